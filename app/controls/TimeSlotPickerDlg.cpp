#include "app/controls/TimeSlotPickerDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/controls/NameInputDlg.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "app/shared/Vocabulary.h"
#include "app/controls/WeekTableCells.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/SchoolStructure.h"
#include "base/ScheduleTask.h"
#include "base/WeekCount.h"
#include "platform/Text.h"
#include "platform/gui/PopupMenu.h"
#include "table/StructureTable.h"
#include "table/TableDefs.h"

#include <QCursor>
#include <QLabel>

#include <algorithm>

using zem::Rect;

namespace {

constexpr CTimeTable::Status kMarked = CTimeTable::kInvalid;

CSchoolStructure OpenWeek()
{
    const CScheduleTask* task = AppServices().GetTask();
    return task ? task->GetSchoolStructure() : CSchoolStructure();
}

}  // namespace

CTimeSlotPickerDlg::CTimeSlotPickerDlg(QWidget* parent)
    : Dialog(parent, "选择时间", {319, 201}), m_marks(OpenWeek())
{
    m_marks.Clear();
}

void CTimeSlotPickerDlg::SetLessonLimit(const CWeekCount& weekly, bool group)
{
    // The whole lessons are the maximum: a plan of half a lesson a week (whole part 0) has none, as
    // its one lesson may fall in either week.
    m_maxCount = weekly.GetWholeCount();
    m_overCountMessage = zem::Format(group ? "该组教学计划最少的每周只有%d节课，您的选择已超出。"
                                           : "该教学计划每周只有%d节课，您的选择已超出。",
                                     m_maxCount);
}

const CSchoolStructure& CTimeSlotPickerDlg::Week() const
{
    const CScheduleTask* task = AppServices().GetTask();
    return task ? task->GetSchoolStructure() : m_marks;
}

bool CTimeSlotPickerDlg::OnInitDialog()
{
    m_grid = new CStructureTable;
    m_grid->Init(this, this);
    m_grid->SetSelectBehavior(m_labelMode ? CStructureTable::SELECT_LOCK : CStructureTable::SELECT_FORBID);
    CWeekTableCells cells(*m_grid);
    CTaskHelper(AppServices().GetTask()).SetupWeekTable(&cells, nullptr, true, &m_marks);

    for (int day = 0; day < zem::kDayCount; ++day) {
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            for (int section = 0; section < zem::kSectionCount; ++section) {
                if (!m_marks.IsInvalid(day, segment, section))
                    continue;
                if (!m_marks.IsDayInUse(day) || section >= m_marks.GetSectionNodeMaxCount(segment)) {
                    m_marks.SetValue(day, segment, section, CTimeTable::kFree);
                    continue;
                }
                const tagTABLE_NODE cell{m_marks.GetWeekOrderByNumber(day), segment, section};
                if (m_labelMode) {
                    m_grid->SetCellInfo(cell, m_labelText);
                    m_grid->SetCellTag(cell, CELL_TAG_LOCKED);
                    continue;
                }
                m_grid->SetForbidCell(cell, true);
                const std::string& activity = m_activities.GetActivity({day, segment, section});
                if (!activity.empty())
                    m_grid->SetCellInfo(cell, MakeCellKey(activity, {}));
            }
        }
    }

    SetCaption(m_caption);
    AddHoverButton(this, zem::IDOK, m_okText)->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    m_hint = new QLabel(this);
    m_hint->setTextFormat(Qt::PlainText);
    AddControl(IDC_HINT, m_hint);
    if (m_activityMode) {
        m_hint->setText(QStringLiteral("左键固定无课，右键固定活动"));
        if (m_activityNames.empty())
            GetActivityKindNames(m_activityNames);
    }
    Layout();
    m_grid->Refresh();
    return true;
}

void CTimeSlotPickerDlg::Layout()
{
    if (!m_grid)
        return;
    const auto& u = Units();
    const int margin = u.X(7);
    const int buttonHeight = u.Y(14);
    const int buttonsTop = height() - margin - buttonHeight;
    SetWidgetRect(m_grid, Rect(margin, margin, width() - margin, buttonsTop - u.Y(5)));
    PlaceButtonRow(this, buttonsTop, {}, {zem::IDOK, zem::IDCANCEL});
    const int buttonsLeft = GetDlgItem(zem::IDOK)->x();
    SetWidgetRect(m_hint, Rect(margin, buttonsTop, buttonsLeft - u.X(4), buttonsTop + buttonHeight));
}

void CTimeSlotPickerDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Layout();
}

zem::LRESULT CTimeSlotPickerDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    switch (message) {
    case WM_TABLE_CELL_TOGGLED:
        if (const auto* cell = reinterpret_cast<const tagTABLE_NODE*>(lParam))
            OnCellToggled(static_cast<int>(wParam), *cell);
        return 0;
    case WM_TABLE_CELL_RCLICK:
    case WM_TABLE_HEADER_RCLICK:
        if (const auto* target = reinterpret_cast<const tagTABLE_NODE*>(wParam))
            OnRightClick(*target);
        return 0;
    default:
        return Dialog::WindowProc(message, wParam, lParam);
    }
}

void CTimeSlotPickerDlg::OnCellToggled(int value, const tagTABLE_NODE& cell)
{
    const tagTABLE_NODE slot{m_marks.GetWeekNumberByOrder(cell.day), cell.segment, cell.section};
    m_marks.SetValue(slot, value > 0 ? kMarked : CTimeTable::kFree);
    if (value <= 0) {
        m_activities.DeleteActivity(slot);
        m_grid->SetCellInfo(cell, MakeCellKey({}, {}));
    } else if (m_labelMode) {
        m_grid->SetCellInfo(cell, m_labelText);
    }
}

void CTimeSlotPickerDlg::OnRightClick(const tagTABLE_NODE& target)
{
    if (!m_activityMode)
        return;
    std::vector<zem::gui::MenuItem> menu;
    for (std::size_t i = 0; i < m_activityNames.size() && ID_ACTIVITY_FIRST + i <= ID_ACTIVITY_LAST; ++i)
        menu.push_back({ID_ACTIVITY_FIRST + static_cast<int>(i), m_activityNames[i]});
    menu.push_back({});
    menu.push_back({ID_ACTIVITY_OTHER, "其他..."});
    m_target = target;
    const QPoint cursor = QCursor::pos();
    if (const int command = zem::gui::TrackPopupMenu(this, menu, {cursor.x(), cursor.y()}))
        OnCommand(command);
}

void CTimeSlotPickerDlg::OnCommand(int id)
{
    if (id >= ID_ACTIVITY_FIRST && id <= ID_ACTIVITY_LAST) {
        const std::size_t index = static_cast<std::size_t>(id - ID_ACTIVITY_FIRST);
        if (index < m_activityNames.size())
            ApplyActivity(m_activityNames[index]);
        return;
    }
    if (id == ID_ACTIVITY_OTHER) {
        CNameInputDlg input(this);
        if (input.DoModal() != zem::IDOK)
            return;
        ApplyActivity(input.m_name);
        m_activityNames.insert(m_activityNames.begin(), input.m_name);
        return;
    }
    Dialog::OnCommand(id);
}

void CTimeSlotPickerDlg::ApplyActivity(const std::string& name)
{
    const int columns = m_marks.GetWeekDayCount();
    auto periodsOf = [&](int column) {
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < m_marks.GetSectionNodeMaxCount(segment); ++section)
                ApplyActivityAt(name, column, segment, section);
    };
    if (m_target.day < 0 && m_target.segment >= 0 && m_target.section >= 0) {
        for (int column = 0; column < columns; ++column)
            ApplyActivityAt(name, column, m_target.segment, m_target.section);
    } else if (m_target.day < 0 && m_target.segment < 0) {
        for (int column = 0; column < columns; ++column)
            periodsOf(column);
    } else if (m_target.day >= 0 && m_target.segment < 0) {
        periodsOf(m_target.day);
    } else if (m_target.day >= 0 && m_target.section >= 0) {
        ApplyActivityAt(name, m_target.day, m_target.segment, m_target.section);
    }
    m_grid->Refresh();
}

void CTimeSlotPickerDlg::ApplyActivityAt(const std::string& name, int column, int segment, int section)
{
    const tagTABLE_NODE slot{m_marks.GetWeekNumberByOrder(column), segment, section};
    if (!IsNodeInRange(slot))
        return;
    const tagTABLE_NODE cell{column, segment, section};
    m_grid->SetCellInfo(cell, MakeCellKey(name, {}));
    m_grid->SetForbidCell(cell, true);
    m_marks.SetValue(slot, kMarked);
    m_activities.AddActivity(slot, name);
}

int CTimeSlotPickerDlg::CountMarks() const
{
    int count = 0;
    ForEachSlot(Week(), [&](const tagTABLE_NODE& slot) { count += m_marks.IsInvalid(slot); });
    return count;
}

void CTimeSlotPickerDlg::OnOK()
{
    const bool refused = ForEachSlot(Week(), [&](const tagTABLE_NODE& slot) {
        return m_marks.IsInvalid(slot) && !m_allowedSegments.empty() &&
               !ArrayContainsValue(m_allowedSegments, slot.segment);
    });
    if (refused) {
        ShowMessage("选择了不被允许的区域");
        return;
    }
    const int count = CountMarks();
    if (m_maxCount > 0 && m_maxCount < count) {
        const std::string text =
            m_overCountMessage.empty() ? zem::Format("您最多只能选中 %d 项", m_maxCount) : m_overCountMessage;
        zem::ShowMessage(text, "提示", zem::MessageIcon::Warning);
        return;
    }
    if (count == 0) {
        ShowMessage("您必须至少选中一项");
        return;
    }
    EndDialog(zem::IDOK);
}
