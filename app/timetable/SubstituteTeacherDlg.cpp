#include "app/timetable/SubstituteTeacherDlg.h"

#include "app/controls/Bitmaps.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/WeekTableCells.h"
#include "app/shared/AppServices.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/DC.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/QtText.h"

#include <QCheckBox>
#include <QLineEdit>

using zem::Rect;
using zem::gui::ItemList;

namespace {

constexpr zem::COLORREF kIconMask = zem::RGB(255, 255, 255);

// The week order of the target cells: the grid's columns are the days in use.
tagTABLE_NODE GridNode(const CScheduleTask& task, const tagTABLE_NODE& cell)
{
    return {task.GetSchoolStructure().GetWeekOrderByNumber(cell.day), cell.segment, cell.section};
}

}  // namespace

CSubstituteTeacherDlg::CSubstituteTeacherDlg(QWidget* parent)
    : Dialog(parent, "选择代课教师", {440, 250}), m_images(32, 32)
{
}

CSubstituteTeacherDlg::~CSubstituteTeacherDlg() = default;

void CSubstituteTeacherDlg::SetContext(CScheduleTask* task, const std::string& regularId,
                                       const std::vector<tagTABLE_NODE>& targets)
{
    m_task = task;
    m_regularId = regularId;
    m_targets = targets;
}

bool CSubstituteTeacherDlg::OnInitDialog()
{
    AddLabel(this, "搜索", UnitsRect(7, 9, 20, 10), IDC_SEARCH_LABEL);
    m_searchFrame = UnitsRect(28, 7, 90, 14);
    m_search = AddEdit(this, IDC_SEARCH, m_searchFrame);
    m_search->setFrame(false);
    PlaceEditInFrame(m_search, m_searchFrame);
    m_free = AddCheck(this, IDC_FREE, "有空的", UnitsRect(126, 9, 42, 10), false);
    m_sameClass = AddCheck(this, IDC_SAME_CLASS, "同班级", UnitsRect(170, 9, 42, 10), false);
    m_sameSubject = AddCheck(this, IDC_SAME_SUBJECT, "同科目", UnitsRect(214, 9, 42, 10), false);
    AddHoverButton(this, IDC_SHOW_ALL, "显示全部教师", UnitsRect(262, 6, 70, 15));

    m_listFrame = UnitsRect(7, 30, 180, 190);
    m_list = new ItemList(this, ItemList::Mode::Icon);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->SetSingleSelection(true);
    Rect inner = m_listFrame;
    inner.DeflateRect(1, 1, 1, 1);
    AddField(this, IDC_LIST, m_list, inner);
    m_images.Add(LoadBitmapResource(IDB_TEACHER_PICKER), kIconMask);
    m_list->SetImageList(m_images);

    m_titleRect = UnitsRect(194, 30, 239, 12);
    m_preview.Init(this, nullptr);
    AddField(this, IDC_PREVIEW, &m_preview, UnitsRect(194, 44, 239, 176));
    if (m_task) {
        CWeekTableCells cells(m_preview);
        CTaskHelper(m_task, AppHelperContext()).SetupWeekTable(&cells, nullptr, true);
    }
    m_preview.Refresh();

    AddHoverButton(this, zem::IDOK, "确定(&O)")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消(&C)");
    PlaceButtonRow(this, UnitsRect(0, 228, 0, 14).top, {}, {zem::IDOK, zem::IDCANCEL});

    if (m_task)
        m_candidates = std::make_unique<CSubstituteCandidates>(*m_task, m_regularId, m_targets);
    QObject::connect(m_search, &QLineEdit::textChanged, this, [this] { FillList(); });
    for (QCheckBox* check : {m_free, m_sameClass, m_sameSubject})
        QObject::connect(check, &QCheckBox::toggled, this, [this] { FillList(); });
    m_list->onSelectionChanged = [this] { ShowPreview(); };
    m_list->onDoubleClick = [this](int) { OnOK(); };
    FillList();
    setFixedSize(size());
    return true;
}

void CSubstituteTeacherDlg::FillList()
{
    if (!m_candidates || !m_list)
        return;
    m_filling = true;
    m_list->setUpdatesEnabled(false);
    m_list->DeleteAllItems();
    const std::string search = zem::gui::FromQ(m_search->text());
    for (CZemObject* teacher : m_candidates->Fill(m_free->isChecked(), m_sameClass->isChecked(),
                                                  m_sameSubject->isChecked(), search))
        m_list->InsertItem(m_list->GetItemCount(), teacher->GetName(), 0, reinterpret_cast<std::uintptr_t>(teacher));
    m_list->setUpdatesEnabled(true);
    m_filling = false;
    if (m_list->GetItemCount() > 0)
        m_list->SetSelected(0, true);
    ShowPreview();
}

void CSubstituteTeacherDlg::ShowPreview()
{
    if (m_filling || !m_task)
        return;
    const int row = m_list->GetFirstSelected();
    auto* teacher = row >= 0 ? m_list->GetItemPtr<CTeacherInfo>(row) : nullptr;
    m_preview.Clear();
    if (teacher) {
        CWeekTableCells cells(m_preview);
        CTaskHelper(m_task, AppHelperContext())
            .FillWeekTable(&cells, &teacher->GetTable(true), TABLE_TEACHER, false, false, 0, teacher->GetId());
        for (const tagTABLE_NODE& cell : m_targets)
            m_preview.SetCellFocus(GridNode(*m_task, cell), true);
        m_previewTitle = zem::Format("%s 老师的课表", teacher->GetName().c_str());
    } else {
        m_previewTitle.clear();
    }
    m_preview.Refresh();
    update();
}

void CSubstituteTeacherDlg::OnCommand(int id)
{
    if (id == IDC_SHOW_ALL) {
        // One refill for the whole reset.
        for (QCheckBox* check : {m_free, m_sameClass, m_sameSubject}) {
            const QSignalBlocker quiet(check);
            check->setChecked(false);
        }
        const QSignalBlocker quiet(m_search);
        m_search->clear();
        FillList();
        return;
    }
    Dialog::OnCommand(id);
}

void CSubstituteTeacherDlg::OnOK()
{
    const int row = m_list ? m_list->GetFirstSelected() : -1;
    if (row < 0) {
        zem::ShowMessage(kNoChoiceText, "提示");
        return;
    }
    m_substitute = m_list->GetItemPtr<CZemObject>(row);
    EndDialog(zem::IDOK);
}

void CSubstituteTeacherDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        dc.FillSolidRect(Rect(0, 0, client.right, kDialogBandHeight), kDialogBandColor);
        DrawFramedBox(dc, m_searchFrame, true);
        DrawFramedBox(dc, m_listFrame, false);
        dc.SelectFont(CGdiResources::GetInstance()->NormalFont);
        dc.SetTextColor(zem::RGB(0, 0, 0));
        dc.DrawText(m_previewTitle, m_titleRect, zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER | zem::gui::DT_LEFT);
    });
}
