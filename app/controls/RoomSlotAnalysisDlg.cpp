#include "app/controls/RoomSlotAnalysisDlg.h"

#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Pinyin.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "platform/gui/ReportList.h"

CRoomSlotAnalysisDlg::CRoomSlotAnalysisDlg(QWidget* parent) : CSearchListDlg(parent) {}

CRoomSlotAnalysisDlg::~CRoomSlotAnalysisDlg()
{
    if (m_list)
        m_list->DeleteAllItems();
}

bool CRoomSlotAnalysisDlg::OnInitDialog()
{
    CSearchListDlg::OnInitDialog();
    m_list->SetSingleSelection(true);
    m_list->onDoubleClick = [this](int) { OnOK(); };
    FillList(m_searchText);
    return true;
}

void CRoomSlotAnalysisDlg::InitList()
{
    m_list->InsertColumn(0, "教室", zem::gui::ReportList::Align::Left, 120);
    m_list->InsertColumn(1, "自动分析结果", zem::gui::ReportList::Align::Left, 420);
}

void CRoomSlotAnalysisDlg::FillList(const std::string& filter)
{
    if (!m_list)
        return;
    // The rows go first: they point at the records.
    m_list->DeleteAllItems();
    m_records.clear();
    CScheduleTask* task = AppServices().GetTask();
    if (!task)
        return;
    if (!m_helper)
        m_helper = std::make_unique<CTaskHelper>(task);
    std::vector<CZemObject*> rooms;
    MapToOrderedList(task->GetRoomInfoList(), rooms);
    m_list->setUpdatesEnabled(false);
    for (CZemObject* room : rooms) {
        if (filter.empty() || PinyinMatch(room->GetName(), filter))
            InsertRow(static_cast<CRoomInfo*>(room), task);
    }
    m_list->setUpdatesEnabled(true);
}

bool CRoomSlotAnalysisDlg::InsertRow(CRoomInfo* room, CScheduleTask* task)
{
    auto record = std::make_unique<RowRecord>();
    record->room = room;
    record->text = GetOddEvenName(m_weekPart) + "可以排";
    if (!m_helper)
        m_helper = std::make_unique<CTaskHelper>(task);
    CTaskHelper& helper = *m_helper;
    const tagTABLE_NODE node{m_day, m_segment, m_section};
    std::string message;
    if (!helper.CheckSlotInWeek(node)) {
        // No room is free at a slot the school does not teach.
        record->text = helper.GetText();
        record->rank = 1;
    } else if (helper.CheckRoomConflict(room->GetId(), node, m_weekPart, m_planId, m_currentRoomId, &message)) {
        record->text = message;
        record->rank = 1;
    }
    int row = 0;
    while (row < m_list->GetItemCount() && GetRowRecord(row)->rank <= record->rank)
        ++row;
    row = m_list->InsertItem(row, room->GetName(), reinterpret_cast<std::uintptr_t>(record.get()));
    m_list->SetItemText(row, 1, record->text);
    m_records.push_back(std::move(record));
    return true;
}

const CRoomSlotAnalysisDlg::RowRecord* CRoomSlotAnalysisDlg::GetRowRecord(int row) const
{
    return m_list ? m_list->GetItemPtr<RowRecord>(row) : nullptr;
}

void CRoomSlotAnalysisDlg::OnOK()
{
    if (ValidateSelection())
        EndDialog(zem::IDOK);
}

bool CRoomSlotAnalysisDlg::ValidateSelection()
{
    const RowRecord* record = GetRowRecord(m_list->GetFirstSelected());
    if (!record) {
        ShowMessage("请选择教室");
        return false;
    }
    if (record->rank == 1) {
        zem::ShowMessage(record->text, "提示", zem::MessageIcon::Warning);
        return false;
    }
    m_chosen = {record->room};
    return true;
}
