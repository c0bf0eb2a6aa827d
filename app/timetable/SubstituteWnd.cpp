#include "app/timetable/SubstituteWnd.h"

#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/controls/WeekTableCells.h"
#include "app/shared/AppServices.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/SubstituteTeacherDlg.h"
#include "base/CellRecord.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/DC.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/QtText.h"
#include "table/TableDefs.h"

#include <QCursor>
#include <QTreeWidget>

using zem::Rect;

namespace {

constexpr zem::COLORREF kBandColor = zem::RGB(0xF0, 0xF0, 0xF0);

// The two lines of a lesson as they read with a substitute.
void MarkSubstitute(std::string& line1, std::string& line2, const CSubstituteRecord& record)
{
    line1 += " " + line2;
    line2 = "【代】" + record.substitute->GetName();
}

}  // namespace

std::string DecorateSubstituteCell(const std::string& text, const CSubstitutePlan& plan, const tagTABLE_NODE& cell)
{
    const zem::CellFields fields = zem::ReadCellRecord(text);
    if (fields.IsPair()) {
        const CSubstituteRecord* odd = plan.Find(cell, 1);
        const CSubstituteRecord* even = plan.Find(cell, 2);
        if (!odd && !even)
            return text;
        std::string oddMain(fields.entries[0].main), oddSecondary(fields.entries[0].secondary);
        std::string evenMain(fields.entries[1].main), evenSecondary(fields.entries[1].secondary);
        if (odd)
            MarkSubstitute(oddMain, oddSecondary, *odd);
        if (even)
            MarkSubstitute(evenMain, evenSecondary, *even);
        return zem::JoinCellRecord({"2", "1", oddMain, oddSecondary, "2", evenMain, evenSecondary});
    }
    if (fields.entries.size() == 1) {
        const CSubstituteRecord* whole = plan.Find(cell, 0);
        if (!whole)
            return text;
        std::string main(fields.entries[0].main), secondary(fields.entries[0].secondary);
        MarkSubstitute(main, secondary, *whole);
        return zem::JoinCellRecord({main.empty() ? "0" : "1", "1", main, secondary});
    }
    return text;
}

CSubstituteWnd::CSubstituteWnd() = default;
CSubstituteWnd::~CSubstituteWnd() = default;

bool CSubstituteWnd::Create(QWidget* owner, zem::MessageTarget* notify, CScheduleTask* task,
                            const std::string& teacherId)
{
    setParent(owner);
    setObjectName("Substitute_Wnd");
    m_task = task;
    m_notify = notify;
    m_button = new CHoverButton("", this);
    m_button->setAutoDefault(false);
    QObject::connect(m_button, &QPushButton::clicked, this, [this] { ChooseTeacher(); });
    m_table.Init(this, this);
    m_table.SetTitleHeight(18);
    CWeekTableCells cells(m_table);
    CTaskHelper(m_task, AppHelperContext()).SetupWeekTable(&cells, nullptr, true);

    m_help = new QTreeWidget(this);
    m_help->setHeaderHidden(true);
    WrapTreeTexts(m_help);
    m_help->setFrameShape(QFrame::StyledPanel);
    m_help->setStyleSheet("QTreeWidget { background: #F0F0F0; }");
    m_help->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
    auto* root = new QTreeWidgetItem(QStringList{QStringLiteral("代课操作说明")});
    for (const char* step : {"1 在上方课表的节次上单击鼠标右键，拟定代课教师", "2 如果有冲突，在中间的课表上调整以解决冲突",
                             "3 点击“执行代课”按钮执行代课操作", "4 导出或打印临时课表"})
        root->addChild(new QTreeWidgetItem(QStringList{zem::gui::ToQ(step)}));
    m_help->addTopLevelItem(root);
    root->setExpanded(true);

    SetTeacher(teacherId);
    show();
    m_ready = true;
    Layout();
    return true;
}

void CSubstituteWnd::SetTeacher(const std::string& teacherId)
{
    m_plan.SetTask(m_task, teacherId);
    m_button->setText(zem::gui::ToQ(m_task ? m_task->GetTeacherName(teacherId) : std::string()));
    Refill();
}

tagTABLE_NODE CSubstituteWnd::ToGridNode(const tagTABLE_NODE& cell) const
{
    return {m_task->GetSchoolStructure().GetWeekOrderByNumber(cell.day), cell.segment, cell.section};
}

void CSubstituteWnd::Refill()
{
    m_table.Clear();
    if (const CTeacherInfo* teacher = m_task ? m_task->GetTeacher(GetRegularId()) : nullptr) {
        CTaskHelper helper(m_task, AppHelperContext());
        CWeekTableCells cells(m_table);
        const CCourseTable& table = teacher->GetTable(true);
        CellInfoParam param;
        param.showRoomSeat = AppServices().GetShowRoomNumber();
        for (const tagTABLE_NODE& cell : m_plan.UsedCells()) {
            const std::string text = m_task->GetCellInfo(table.GetNode(cell), TABLE_TEACHER, param);
            helper.SetCellInfo(&cells, cell.day, cell.segment, cell.section, DecorateSubstituteCell(text, m_plan, cell));
        }
    }
    m_table.Refresh();
    update(m_statusRect.left, m_statusRect.top, m_statusRect.Width(), m_statusRect.Height());
    zem::SendMessage(m_notify, WM_SUBSTITUTES_CHANGED, 0, 0);
}

void CSubstituteWnd::SetConflictCount(int count)
{
    m_conflicts = count;
    update();
}

std::string CSubstituteWnd::GetStatusText() const
{
    if (m_plan.GetRecords().empty())
        return "在课表上点击鼠标右键可以选择代课教师";
    if (m_conflicts == 0)
        return "没有冲突";
    return zem::Format("有 %d 节冲突", m_conflicts);
}

zem::LRESULT CSubstituteWnd::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    if (message == WM_TABLE_CELL_RCLICK)
        OnRightClick(*zem::FromWParam<tagTABLE_NODE>(wParam), static_cast<int>(lParam));
    return 0;
}

void CSubstituteWnd::OnRightClick(const tagTABLE_NODE& gridNode, int side)
{
    const CTeacherInfo* teacher = m_task ? m_task->GetTeacher(GetRegularId()) : nullptr;
    if (!teacher)
        return;
    const tagTABLE_NODE cell{m_task->GetSchoolStructure().GetWeekNumberByOrder(gridNode.day), gridNode.segment,
                             gridNode.section};
    const CCourseTable& table = teacher->GetTable(true);
    if (cell.day < 0 || !table.IsUsed(cell))
        return;
    m_clicked = cell;
    m_clickedHalf = table.GetNode(cell).IsInterleave() ? (side == 2 ? 2 : 1) : 0;
    const CCourseInfo* course = m_plan.CourseAt(cell, m_clickedHalf);
    if (!course)
        return;
    const std::string subject = m_task->GetSubjectName(course->GetSubjectId());
    const std::string lesson = m_task->GetClassNameA(course->GetClassId()) + " " + subject;
    const std::vector<zem::gui::MenuItem> menu = {
        {ID_SUBSTITUTE_CELL, "为 当前节次 指定代课教师"},
        {ID_SUBSTITUTE_COURSE, zem::Format("为 %s 指定代课教师", lesson.c_str())},
        {ID_SUBSTITUTE_SUBJECT, zem::Format("为 所有%s 指定代课教师", subject.c_str())},
        {ID_SUBSTITUTE_ALL, "为 所有课程 指定代课教师"},
        {},
        {ID_CANCEL_CELL, "取消当前节次代课"},
        {ID_CANCEL_ALL, "取消所有代课"},
    };
    const QPoint at = QCursor::pos();
    if (const int command = zem::gui::TrackPopupMenu(this, menu, {at.x(), at.y()}))
        OnCommand(command);
}

void CSubstituteWnd::OnCommand(int id)
{
    switch (id) {
    case ID_SUBSTITUTE_CELL:
    case ID_SUBSTITUTE_COURSE:
    case ID_SUBSTITUTE_SUBJECT:
    case ID_SUBSTITUTE_ALL:
        Substitute(id - ID_SUBSTITUTE_CELL);
        return;
    case ID_CANCEL_CELL:
        m_plan.Cancel(m_clicked, m_clickedHalf);
        Refill();
        return;
    case ID_CANCEL_ALL:
        m_plan.CancelAll();
        Refill();
        return;
    case IDC_TEACHER:
        ChooseTeacher();
        return;
    default:
        return;
    }
}

void CSubstituteWnd::Substitute(int mode)
{
    if (!m_task || GetRegularId().empty())
        return;
    const std::vector<tagTABLE_NODE> targets = m_plan.TargetCells(m_clicked, m_clickedHalf, mode);
    const auto focus = [&](bool on) {
        for (const tagTABLE_NODE& cell : targets)
            m_table.SetCellFocus(ToGridNode(cell), on);
        m_table.Refresh();
    };
    focus(true);
    CSubstituteTeacherDlg chooser(window());
    chooser.SetContext(m_task, GetRegularId(), targets);
    if (chooser.DoModal() == zem::IDOK && chooser.GetSubstitute()) {
        m_plan.Assign(targets, m_clicked, m_clickedHalf, mode, chooser.GetSubstitute());
        Refill();
    }
    focus(false);
}

void CSubstituteWnd::ChooseTeacher()
{
    if (!m_task)
        return;
    if (const std::size_t planned = m_plan.GetRecords().size()) {
        zem::ShowMessage(zem::Format("当前拟定的%d节代课尚未执行，您可以点击“执行代课”按钮完成代课操作",
                                     static_cast<int>(planned)));
        return;
    }
    CTeacherAbsencePickerDlg picker(window());
    picker.SetTitle("选择原任课教师");
    picker.m_source = &m_task->GetTeacherInfoList();
    if (picker.DoModal() != zem::IDOK || !picker.GetSelectedObject())
        return;
    SetTeacher(picker.GetSelectedObject()->GetId());
}

void CSubstituteWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout();
}

void CSubstituteWnd::Layout()
{
    if (!m_ready)
        return;
    Rect r(0, 0, width(), height());
    r.DeflateRect(2, 2, 2, 2);
    SetWidgetRect(m_button, Rect(r.left + 2, r.top + 2, r.right - 2, r.top + 28));
    const int tableTop = r.top + 33;
    const int tableBottom = tableTop + height() * 3 / 5;
    SetWidgetRect(&m_table, Rect(r.left, tableTop, r.right, tableBottom));
    const int band = tableBottom + 3;
    m_statusRect = Rect(r.left + 3, band + 1, r.right - 3, band + 29);
    SetWidgetRect(m_help, Rect(r.left, band + 63, r.right, std::max(band + 63, height() - 3)));
    update();
}

void CSubstituteWnd::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kBandColor);
        dc.SelectFont(CGdiResources::GetInstance()->NormalFont);
        dc.SetTextColor(zem::RGB(0, 0, 0));
        dc.SetBkMode(zem::gui::TRANSPARENT);
        const std::string status = GetStatusText();
        if (dc.GetTextExtent(status).cx <= m_statusRect.Width()) {
            dc.DrawText(status, m_statusRect, zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER | zem::gui::DT_LEFT);
            return;
        }
        // A column narrowed by the user: the status goes on over the blank band above the help.
        Rect lines = m_statusRect;
        lines.top += 4;
        lines.bottom = WidgetRect(m_help).top - 2;
        dc.DrawText(status, lines, zem::gui::DT_WORDBREAK | zem::gui::DT_EDITCONTROL | zem::gui::DT_LEFT);
    });
}
