#include "app/data/ObjectListPages.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "app/data/PromoteGradeDlg.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/ModalState.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/ReportList.h"

#include <charconv>

using zem::gui::ReportList;

namespace {

// Column texts of the rows, 1-based as the list's: index 0 is column 1.
const std::string& At(const std::vector<std::string>& columns, std::size_t index)
{
    static const std::string empty;
    return index < columns.size() ? columns[index] : empty;
}

}  // namespace

// ---- shared by the four pages

CObjectListPage::CObjectListPage(QWidget* parent, std::vector<Column> columns, TaskListOf list, Repair repair)
    : CBasicDataPage(parent), m_columns(std::move(columns)), m_taskList(list), m_repair(repair)
{
}

void CObjectListPage::InitColumns()
{
    CBasicDataPage::InitColumns();
    ReportList* list = GetList();
    list->InsertColumn(0, "ID", ReportList::Align::Left, 0);
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        list->InsertColumn(static_cast<int>(i + 1), m_columns[i].heading, ReportList::Align::Left, m_columns[i].width);
    CScheduleTask* task = Task();
    if (!task)
        return;
    for (CZemObject* object : ObjectsInOrder((task->*m_taskList)())) {
        const int row = list->InsertItem(list->GetItemCount(), object->GetId());
        const std::vector<std::string> texts = ObjectColumns(*object);
        for (std::size_t i = 0; i < texts.size(); ++i)
            list->SetItemText(row, static_cast<int>(i + 1), texts[i]);
    }
}

std::vector<std::string> CObjectListPage::RowColumns(int row) const
{
    std::vector<std::string> columns;
    for (int column = 1; column < GetList()->GetColumnCount(); ++column)
        columns.push_back(GetList()->GetItemText(row, column));
    return columns;
}

bool CObjectListPage::Save()
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    // The rows as they stand are the result, whatever brought them (an add, a modify, a batch
    // add, a promotion): the task's limits are asked of them before anything is stored.
    if (const std::string refusal = CheckAddedRows({}, false); !refusal.empty()) {
        zem::ShowMessage(refusal, "提示", zem::MessageIcon::Warning);
        return false;
    }
    CZemObjectList& objects = (task->*m_taskList)();
    ReportList* list = GetList();
    for (int row = 0; row < list->GetItemCount(); ++row)
        if (!CanStore(objects.Find(list->GetItemText(row, 0)), RowColumns(row)))
            return false;
    // A row removed takes its plans along; every plan that stays keeps its count.
    BeginStore(CChangeCheck::Plans::KeptWhereTheyStay);
    for (int row = 0; row < list->GetItemCount(); ++row) {
        const std::string id = list->GetItemText(row, 0);
        const std::vector<std::string> columns = RowColumns(row);
        if (CZemObject* object = objects.Find(id)) {
            StoreColumns(*object, columns);
            object->SetIndex(row);
            objects.Modify(object);
        } else {
            CZemObject* added = NewObject();
            added->SetId(id);
            StoreColumns(*added, columns);
            added->SetIndex(row);
            objects.Add(added);
        }
    }
    for (const std::string& id : m_deletedIds)
        objects.Remove(id);
    m_deletedIds.clear();
    (task->*m_repair)(true);
    // Assistants and odd/even pairs of the plans that went with the removed objects.
    task->MaintainCourseIntegrity(true);
    return CBasicDataPage::Save();
}

void CObjectListPage::Add()
{
    std::unique_ptr<CObjectInfoDlg> dialog = NewDialog(nullptr);
    dialog->DoModal();
}

void CObjectListPage::Edit()
{
    const int row = GetList()->GetFirstSelected();
    if (row < 0)
        return;
    const std::vector<std::string> columns = RowColumns(row);
    std::unique_ptr<CObjectInfoDlg> dialog = NewDialog(&columns);
    dialog->m_modify = true;
    dialog->m_name = At(columns, 0);
    dialog->m_shortName = At(columns, 1);
    dialog->DoModal();
}

// ---- classes

CClassListPage::CClassListPage(QWidget* parent)
    : CPriorityListPage(parent, {{"班级名称", 260}, {"简称", 120}, {"优先级", 100}, {"班主任", 100}},
                        &CScheduleTask::GetClassInfoList, &CScheduleTask::MaintainClassIntegrity),
      m_timers([this](int id) {
          if (id != kBatchAddTimer)
              return;
          m_timers.KillTimer(kBatchAddTimer);
          // The offer never opens over a window the user opened meanwhile.
          if (zem::gui::OtherModalOpen(this))
              return;
          BatchAdd();
          UpdateStatus();
      })
{
    m_title = "班级信息列表";
    m_importTitle = "班级信息";
    m_importKey = "class";
    m_limitKind = TaskObjectKind::Class;
    m_gradeOrderSort = true;
}

bool CClassListPage::OnInitDialog()
{
    if (!CPriorityListPage::OnInitDialog())
        return false;
    CHoverButton* promote = AddHoverButton(this, IDC_PROMOTE, "升年级(&G)");
    InsertButton(promote, nullptr, 15);
    // A school without classes starts with adding them all at once.
    if (GetList()->GetItemCount() == 0 && HasBatchAdd())
        m_timers.SetTimer(kBatchAddTimer, 500);
    return true;
}

void CClassListPage::OnCommand(int id)
{
    // Once the user acts, the page no longer offers the batch add by itself.
    m_timers.KillTimer(kBatchAddTimer);
    if (id == IDC_PROMOTE) {
        PromoteGrades();
        return;
    }
    CPriorityListPage::OnCommand(id);
}

void CClassListPage::PromoteGrades()
{
    if (PromoteClassRows(this, *GetList()))
        SetModified(true);
}

std::vector<std::string> CClassListPage::ObjectColumns(const CZemObject& object) const
{
    std::vector<std::string> columns = CPriorityListPage::ObjectColumns(object);
    columns.push_back(static_cast<const CClassInfo&>(object).GetHeadTeacherName());
    return columns;
}

void CClassListPage::StoreColumns(CZemObject& object, const std::vector<std::string>& columns) const
{
    CPriorityListPage::StoreColumns(object, columns);
    static_cast<CClassInfo&>(object).SetHeadTeacherName(At(columns, 3));
}

std::unique_ptr<CObjectInfoDlg> CClassListPage::NewDialog(const std::vector<std::string>* columns)
{
    std::unique_ptr<CObjectInfoDlg> dialog = CPriorityListPage::NewDialog(columns);
    if (columns)
        static_cast<CClassInfoDlg&>(*dialog).m_headTeacher = At(*columns, 3);
    return dialog;
}

std::optional<std::string> CClassListPage::MissingCellText(int index) const
{
    if (index == 3)
        return std::nullopt;  // no head teacher given: the column keeps its text
    return CPriorityListPage::MissingCellText(index);
}

// ---- teachers

CTeacherListPage::CTeacherListPage(QWidget* parent)
    : CPriorityListPage(parent, {{"教师姓名", 200}, {"简称", 100}, {"优先级", 100}}, &CScheduleTask::GetTeacherInfoList,
                        &CScheduleTask::MaintainTeacherIntegrity)
{
    m_title = "教师信息列表";
    m_importTitle = "教师信息";
    m_importKey = "teacher";
    m_limitKind = TaskObjectKind::Teacher;
}

void CTeacherListPage::Sort()
{
    QWidget* button = GetDlgItem(IDC_SORT);
    const QPoint corner = button ? button->mapToGlobal(QPoint(0, button->height())) : QPoint();
    const int chosen = zem::gui::TrackPopupMenu(
        this, {{ID_SORT_BY_NAME, "按姓名排序"}, {ID_SORT_BY_GROUP, "按教师组排序"}}, {corner.x(), corner.y()});
    if (chosen != ID_SORT_BY_NAME && chosen != ID_SORT_BY_GROUP)
        return;
    m_sortMode = chosen == ID_SORT_BY_GROUP ? 1 : 0;

    m_groupOfRow.clear();
    CScheduleTask* task = Task();
    const std::vector<CTeacherGroupInfo*> groups =
        task ? ObjectsInOrder<CTeacherGroupInfo>(task->GetTeacherGroupInfoList()) : std::vector<CTeacherGroupInfo*>();
    for (int row = 0; row < GetList()->GetItemCount(); ++row) {
        const std::string id = GetList()->GetItemText(row, 0);
        std::string group;
        for (const CTeacherGroupInfo* candidate : groups) {
            if (candidate->FindTeacher(id)) {
                group = candidate->GetName();
                break;
            }
        }
        m_groupOfRow.push_back(group);
    }
    CPriorityListPage::Sort();
}

int CTeacherListPage::CompareRows(int row1, int row2)
{
    const auto count = static_cast<int>(m_groupOfRow.size());
    if (m_sortMode == 1 && row1 < count && row2 < count) {
        const std::string& group1 = m_groupOfRow[static_cast<std::size_t>(row1)];
        const std::string& group2 = m_groupOfRow[static_cast<std::size_t>(row2)];
        if (!zem::EqualsNoCase(group1, group2)) {
            if (group1.empty())
                return 1;
            if (group2.empty())
                return -1;
            return zem::CompareGbkNoCase(group1, group2);
        }
    }
    return CPriorityListPage::CompareRows(row1, row2);
}

// ---- subjects

CSubjectListPage::CSubjectListPage(QWidget* parent)
    : CPriorityListPage(parent, {{"课程名称", 260}, {"简称", 120}, {"优先级", 100}}, &CScheduleTask::GetSubjectInfoList,
                        &CScheduleTask::MaintainSubjectIntegrity)
{
    m_title = "课程信息列表";
    m_importTitle = "课程信息";
    m_importKey = "subject";
    m_limitKind = TaskObjectKind::Subject;
}

// ---- rooms

bool ParseRoomCapacity(const std::string& cell, int* capacity)
{
    const std::string_view text = zem::Trim(cell);
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range) {
        // Far beyond any room: the largest capacity; far below: refused.
        value = text.front() == '-' ? 0 : static_cast<int>(CRoomInfo::kMaxCapacity);
    } else if (error != std::errc() || end == first) {
        value = 1;  // no number: one class at a time
    }
    if (value < 1)
        return false;
    if (capacity)
        *capacity = std::min(value, static_cast<int>(CRoomInfo::kMaxCapacity));
    return true;
}

CRoomListPage::CRoomListPage(QWidget* parent)
    : CObjectListPage(parent, {{"教室(场地)名称", 200}, {"简称", 100}, {"容纳班数", 100}}, &CScheduleTask::GetRoomInfoList,
                      &CScheduleTask::MaintainRoomIntegrity)
{
    m_title = "教室和场地信息列表 （此处维护有竞争性的特殊教室，如计算机机房、操场等。每班一个的固定教室可以不录入）";
    m_importTitle = "教室和场地信息";
    m_importKey = "room";
    m_limitKind = TaskObjectKind::Room;
}

bool CRoomListPage::Validate(const CPageRow* cells, CPageNotify* notify)
{
    if (!CObjectListPage::Validate(cells, notify))
        return false;
    // A count below 1 would wrap round to a huge capacity.
    if (cells->size() > 2 && !ParseRoomCapacity((*cells)[2], nullptr))
        return Refuse(notify, zem::Format("容纳班数必须大于0: %s", (*cells)[2].c_str()), true);
    return true;
}

// Rooms have two limits: their number and their places summed.
std::string CRoomListPage::CheckAddedRows(const std::vector<CPageRow>& rows, bool byName, int replacedRow) const
{
    std::string refusal = CObjectListPage::CheckAddedRows(rows, byName, replacedRow);
    if (!refusal.empty())
        return refusal;
    std::size_t places = 0;
    int capacity = 0;
    for (int row = 0; row < GetList()->GetItemCount(); ++row)
        if (row != replacedRow && ParseRoomCapacity(GetList()->GetItemText(row, 3), &capacity))
            places += static_cast<std::size_t>(capacity);
    std::set<std::string> names = NormalizedNames(replacedRow);
    for (const CPageRow& row : rows) {
        std::string name = row.empty() ? std::string() : row[0];
        NormalizeName(name);
        if (row.size() > 2 && names.insert(zem::ToLowerAscii(name)).second && ParseRoomCapacity(row[2], &capacity))
            places += static_cast<std::size_t>(capacity);
    }
    return CheckTaskLimitTotal(TaskObjectKind::RoomPlace, places);
}

std::string CRoomListPage::CellText(int index, const std::string& cell) const
{
    if (index != 2)
        return CObjectListPage::CellText(index, cell);
    // The column shows the capacity the room will get.
    int capacity = 1;
    ParseRoomCapacity(cell, &capacity);
    return IntToString(capacity);
}

CZemObject* CRoomListPage::NewObject() const
{
    return new CRoomInfo;
}

std::vector<std::string> CRoomListPage::ObjectColumns(const CZemObject& object) const
{
    const auto& room = static_cast<const CRoomInfo&>(object);
    return {room.GetName(), room.GetShortName(), IntToString(static_cast<int>(room.GetCapacity()))};
}

void CRoomListPage::StoreColumns(CZemObject& object, const std::vector<std::string>& columns) const
{
    auto& room = static_cast<CRoomInfo&>(object);
    room.SetName(At(columns, 0));
    room.SetShortName(At(columns, 1));
    int capacity = 1;
    ParseRoomCapacity(At(columns, 2), &capacity);
    // Unchanged, so that the parallel timetables of a room in use stay as they are.
    if (static_cast<unsigned>(capacity) != room.GetCapacity())
        room.SetCapacity(capacity);
}

bool CRoomListPage::CanStore(const CZemObject* object, const std::vector<std::string>& columns) const
{
    const auto* room = static_cast<const CRoomInfo*>(object);
    if (!room)
        return true;
    int capacity = 1;
    ParseRoomCapacity(At(columns, 2), &capacity);
    const unsigned inUse = room->GetComplexTable().GetPlacesInUse();
    if (static_cast<unsigned>(capacity) >= inUse)
        return true;
    ShowMessage(zem::Format("%s 的第 %u 个位置已经排了课，容纳班数不能少于 %u。请先调整该教室的课表。",
                            At(columns, 0).c_str(), inUse, inUse));
    return false;
}

std::unique_ptr<CObjectInfoDlg> CRoomListPage::NewDialog(const std::vector<std::string>* columns)
{
    auto dialog = std::make_unique<CRoomInfoDlg>(this);
    if (columns) {
        int capacity = 1;
        ParseRoomCapacity(At(*columns, 2), &capacity);
        dialog->m_capacity = capacity;
    }
    return dialog;
}
