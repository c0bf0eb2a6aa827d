// The container's commands on one cell of a class timetable: the context menu, placing and
// clearing lessons, rooms, the odd/even swap and the go-to commands.
#include "app/timetable/TableContainer.h"

#include "app/shared/AppServices.h"
#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/RoomSlotAnalysisDlg.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/LessonCountDlg.h"
#include "base/Log.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"

#include <QCursor>

using zem::gui::MenuItem;

namespace {

int Ask(const std::string& text)
{
    zem::MessageRequest request;
    request.text = text;
    request.icon = zem::MessageIcon::Question;
    request.buttons = zem::MessageButtons::YesNo;
    return zem::ShowMessage(request);
}

void Warn(const std::string& text) { zem::ShowMessage(text, "提示", zem::MessageIcon::Warning); }

void Inform(const std::string& text) { zem::ShowMessage(text, "提示", zem::MessageIcon::Information); }

}  // namespace

// ---- Choosers ----

CCourseInfo* CTableContainer::ChoosePlan()
{
    CPlanSlotAnalysisDlg picker(this);
    picker.SetTitle("选择教学计划");
    picker.m_classFilter = m_objectId;
    picker.m_day = m_currentSlot.day;
    picker.m_segment = m_currentSlot.segment;
    picker.m_section = m_currentSlot.section;
    return picker.DoModal() == zem::IDOK ? picker.GetChosenPlan() : nullptr;
}

CRoomInfo* CTableContainer::ChooseRoom(const std::string& courseId, const std::string& roomId)
{
    CRoomSlotAnalysisDlg picker(this);
    picker.SetTitle("选择教室");
    picker.m_day = m_currentSlot.day;
    picker.m_segment = m_currentSlot.segment;
    picker.m_section = m_currentSlot.section;
    picker.m_weekPart = m_currentHalf;
    picker.m_planId = courseId;
    picker.m_currentRoomId = roomId;
    return picker.DoModal() == zem::IDOK ? picker.GetChosenRoom() : nullptr;
}

// ---- The context menu ----

void CTableContainer::OnContextMenu(const tagTABLE_NODE& gridSlot, int side)
{
    if (!m_table || !m_task)
        return;
    const tagTABLE_NODE slot = ToDataNode(gridSlot);
    const CCourseTableNode& node = m_table->GetNode(slot);
    SetCurrentSlot(slot, node.IsInterleave() ? (side == 2 ? 2 : 1) : 0);
    switch (m_kind) {
    case TABLE_CLASS:
        ShowContextMenu();
        break;
    case TABLE_TEACHER:
        GoToClassOfCourse(node.GetCourseId(m_currentHalf));
        break;
    case TABLE_ROOM:
        ShowClassChoice(node);
        break;
    default:
        break;
    }
}

void CTableContainer::ShowContextMenu()
{
    if (!m_currentNode)
        return;
    CCourseInfo* course = CurrentCourse();
    const std::string roomId = m_currentNode->GetRoomId(m_currentHalf);
    const bool split = m_currentNode->IsInterleave();
    std::vector<MenuItem> menu;
    if (m_menuMode == kMenuNormal && course) {
        menu = {{ID_GOTO_TEACHER, "转到教师课表"}, {ID_GOTO_ROOM, "转到教室课表"}, {},
                {ID_SWAP_ODD_EVEN, "单双周交换"},   {ID_ASSIGN_COURSE, "更改课程"},  {ID_CHANGE_ROOM, "更改教室"},
                {ID_CLEAR_ROOM, "取消教室"},        {ID_CLEAR, "清除"}};
        if (CRoomInfo* room = Helper().GetRoom(roomId)) {
            menu[1].text = zem::Format("转到 %s 的课表", room->GetName().c_str());
        } else {
            std::erase_if(menu, [](const MenuItem& item) { return item.id == ID_GOTO_ROOM || item.id == ID_CLEAR_ROOM; });
            for (MenuItem& item : menu)
                if (item.id == ID_CHANGE_ROOM)
                    item.text = "安排教室";
        }
    } else if (m_menuMode == kMenuNormal) {
        menu = {{ID_SWAP_ODD_EVEN, "单双周交换"}, {ID_ASSIGN_COURSE, "安排课程"}};
    } else if (m_menuMode == kMenuTemporary && course) {
        menu = {{ID_GOTO_TEACHER, "转到教师课表"}};
    } else if (m_menuMode == kMenuConflict && course) {
        menu = {{ID_GOTO_TEACHER, "转到教师课表"}, {}, {ID_CLEAR, "清除"}};
    } else {
        return;
    }
    if (m_menuMode == kMenuNormal && !split)
        std::erase_if(menu, [](const MenuItem& item) { return item.id == ID_SWAP_ODD_EVEN; });
    if (course)
        AddTeacherItems(course, menu);
    const QPoint cursor = QCursor::pos();
    const int command = zem::gui::TrackPopupMenu(this, menu, {cursor.x(), cursor.y()});
    if (command)
        OnCommand(command);
}

void CTableContainer::AddTeacherItems(CCourseInfo* course, std::vector<MenuItem>& menu) const
{
    std::vector<std::string> teachers;
    m_task->GetAllTeacherId(teachers, course, false);
    for (std::size_t i = 0; i < teachers.size(); ++i) {
        const std::string text = zem::Format("转到 %s 的课表", m_task->GetTeacherName(teachers[i]).c_str());
        if (i == 0) {
            for (MenuItem& item : menu)
                if (item.id == ID_GOTO_TEACHER)
                    item.text = text;
            continue;
        }
        const std::size_t at = std::min(i, menu.size());
        menu.insert(menu.begin() + static_cast<std::ptrdiff_t>(at),
                    MenuItem{ID_GOTO_TEACHER + static_cast<int>(i), text});
    }
}

void CTableContainer::OnCommand(int id)
{
    if (id >= ID_GOTO_TEACHER && id <= ID_GOTO_TEACHER + 100)
        OnGotoTeacher(id);
    else if (id >= ID_GOTO_CLASS && id <= ID_GOTO_CLASS + 100)
        OnGotoClass(id);
    else if (id == ID_GOTO_ROOM)
        OnGotoRoom();
    else if (id == ID_ASSIGN_COURSE)
        OnAssignCourse();
    else if (id == ID_CHANGE_ROOM)
        OnChangeRoom();
    else if (id == ID_CLEAR_ROOM)
        ClearRoom();
    else if (id == ID_CLEAR)
        OnClear();
    else if (id == ID_SWAP_ODD_EVEN)
        OnSwapOddEven();
}

// ---- Go-to commands ----

void CTableContainer::OnGotoTeacher(int id)
{
    CCourseInfo* course = CurrentCourse();
    if (!course)
        return;
    std::vector<std::string> teachers;
    m_task->GetAllTeacherId(teachers, course, false);
    const int index = id - ID_GOTO_TEACHER;
    const std::string teacherId =
        index >= 1 && index < static_cast<int>(teachers.size()) ? teachers[static_cast<std::size_t>(index)]
                                                                : course->GetTeacherId();
    if (!Helper().GetTeacher(teacherId))
        return;
    SetObject(TABLE_TEACHER, teacherId);
    ShowObject();
}

void CTableContainer::OnGotoRoom()
{
    if (!m_currentNode)
        return;
    const std::string roomId = m_currentNode->GetRoomId(m_currentHalf);
    if (!Helper().GetRoom(roomId))
        return;
    SetObject(TABLE_ROOM, roomId);
    ShowObject();
}

void CTableContainer::GoToClassOfCourse(const std::string& courseId)
{
    CTaskHelper helper = Helper();
    CCourseInfo* course = helper.FindCourse(courseId);
    if (!course || !helper.GetClass(course->GetClassId()))
        return;
    SetObject(TABLE_CLASS, course->GetClassId());
    ShowObject();
}

void CTableContainer::GetNodeClassIds(std::vector<std::string>& ids, const CCourseTableNode& node, int half) const
{
    std::vector<std::string> courses;
    node.GetCourseIds(courses, half);
    for (const std::string& courseId : courses) {
        if (const CCombineClass* combined = m_task->GetCC(courseId))
            for (const std::string& partner : combined->GetCombineCourse())
                ids.push_back(partner);
        else
            ids.push_back(courseId);
    }
}

void CTableContainer::ShowClassChoice(const CCourseTableNode& node)
{
    std::vector<std::string> courses;
    GetNodeClassIds(courses, node, m_currentHalf);
    if (courses.size() == 1) {
        GoToClassOfCourse(courses.front());
        return;
    }
    if (courses.empty())
        return;
    CTaskHelper helper = Helper();
    std::vector<MenuItem> menu;
    for (std::size_t i = 0; i < courses.size(); ++i) {
        const CCourseInfo* course = helper.FindCourse(courses[i]);
        const std::string name = course ? helper.GetClassName(course->GetClassId()) : std::string();
        menu.push_back({ID_GOTO_CLASS + static_cast<int>(i), zem::Format("转到 %s 的课表", name.c_str())});
    }
    const QPoint cursor = QCursor::pos();
    if (const int command = zem::gui::TrackPopupMenu(this, menu, {cursor.x(), cursor.y()}))
        OnCommand(command);
}

void CTableContainer::OnGotoClass(int id)
{
    if (!m_table)
        return;
    std::vector<std::string> courses;
    GetNodeClassIds(courses, m_table->GetNode(m_currentSlot), m_currentHalf);
    const int index = id - ID_GOTO_CLASS;
    if (index >= 0 && index < static_cast<int>(courses.size()))
        GoToClassOfCourse(courses[static_cast<std::size_t>(index)]);
}

// ---- Placing ----

void CTableContainer::OnAssignCourse()
{
    if (!m_table)
        return;
    CCourseInfo* plan = ChoosePlan();
    if (plan && PrepareCourse(plan))
        PlaceCourse(plan, plan->GetSpecialRoomId());
}

bool CTableContainer::PrepareCourse(CCourseInfo* course)
{
    if (!m_table || !course)
        return false;
    CTaskHelper helper = Helper();
    const std::string room = course->GetSpecialRoomId();
    if (course->GetWeekCount().HasHalfNode()) {
        const bool odd = helper.CanPlaceCourse(m_table, m_currentSlot, 1, course, room);
        const bool even = helper.CanPlaceCourse(m_table, m_currentSlot, 2, course, room);
        if (odd && even) {
            CLessonCountDlg dialog(this);
            dialog.m_courseText = helper.GetCourseText(course, false);
            const CWeekCount left = course->GetWeekCount() - helper.CountCourseNodes(course->GetId(), m_table, 0);
            dialog.m_noWholeLeft = left.GetWholeCount() < 1;
            if (dialog.DoModal() != zem::IDOK)
                return false;
            m_currentHalf = dialog.m_value;
        } else if (odd || even) {
            m_currentHalf = odd ? 1 : 2;
        }
    } else {
        m_currentHalf = 0;
    }
    // The lesson is placed only where the helper's rules let it go.
    if (!helper.CanPlaceCourse(m_table, m_currentSlot, m_currentHalf, course, room)) {
        Warn(helper.GetText());
        return false;
    }
    return ConfirmCombinedPlace(course) && CheckCombinedNodes(course);
}

bool CTableContainer::ConfirmCombinedPlace(CCourseInfo* course)
{
    const CCombineClass* combined = m_task->GetCC(course->GetId());
    if (!combined)
        return true;
    CTaskHelper helper = Helper();
    std::string classes;
    for (const std::string& otherId : combined->GetCombineCourse()) {
        const CCourseInfo* other = otherId == course->GetId() ? nullptr : helper.FindCourse(otherId);
        if (!other)
            continue;
        classes += (classes.empty() ? "" : "，") + helper.GetClassName(other->GetClassId());
    }
    if (classes.empty())
        return true;
    return Ask(zem::Format("%s 是合班课程。\n在 %s 安排该课程将在 %s 的课表中同步更改。要继续吗",
                           m_task->GetCourseDesc(course).c_str(), TimeText(m_currentSlot).c_str(),
                           classes.c_str())) == zem::IDYES;
}

bool CTableContainer::CheckCombinedNodes(CCourseInfo* course)
{
    CTaskHelper helper = Helper();
    std::vector<CCourseTable*> tables{m_table};
    if (const CCombineClass* combined = m_task->GetCC(course->GetId()))
        for (const std::string& otherId : combined->GetCombineCourse())
            if (const CCourseInfo* other = otherId == course->GetId() ? nullptr : helper.FindCourse(otherId))
                if (CClassInfo* cls = helper.GetClass(other->GetClassId()))
                    tables.push_back(&cls->GetTable(true));
    for (CCourseTable* table : tables) {
        if (!helper.IsPreset(table, m_currentSlot, m_currentHalf)) {
            Warn(helper.GetText());
            return false;
        }
    }
    return true;
}

void CTableContainer::ClearCombinedTargets(CCourseInfo* course)
{
    // A half lesson placed over a whole-week lesson replaces all of it: clearing only one week
    // would leave the other week's half of a lesson its plan holds whole.
    auto halfToClear = [this](const CCourseTable& table) {
        return table.GetNode(m_currentSlot).IsInterleave() ? m_currentHalf : 0;
    };
    CTaskHelper helper = Helper();
    if (const CCombineClass* combined = m_task->GetCC(course->GetId())) {
        const std::vector<std::string> partners = combined->GetCombineCourse();
        for (const std::string& otherId : partners) {
            const CCourseInfo* other = otherId == course->GetId() ? nullptr : helper.FindCourse(otherId);
            CClassInfo* cls = other ? helper.GetClass(other->GetClassId()) : nullptr;
            if (cls && &cls->GetTable(true) != m_table)
                ClearCourse(&cls->GetTable(true), m_currentSlot, halfToClear(cls->GetTable(true)), cls->GetId());
        }
    }
    ClearCourse(m_table, m_currentSlot, halfToClear(*m_table), "");
}

bool CTableContainer::PlaceCourse(CCourseInfo* course, const std::string& roomId)
{
    if (!m_table || !course)
        return false;
    CTaskHelper helper = Helper();
    // Asked again when it is made: the timetables may have changed since its cell was marked.
    if (!helper.CanPlaceCourse(m_table, m_currentSlot, m_currentHalf, course, roomId)) {
        Warn(helper.GetText());
        return false;
    }
    // The partners' own checks come before anything is cleared, so a refusal changes nothing.
    if (const CCombineClass* combined = m_task->GetCC(course->GetId())) {
        for (const std::string& otherId : combined->GetCombineCourse()) {
            CCourseInfo* other = otherId == course->GetId() ? nullptr : helper.FindCourse(otherId);
            CClassInfo* cls = other ? helper.GetClass(other->GetClassId()) : nullptr;
            if (cls && !helper.CanPlaceCourse(&cls->GetTable(true), m_currentSlot, m_currentHalf, other, roomId)) {
                Warn(helper.GetText());
                return false;
            }
        }
    }
    ClearCombinedTargets(course);
    if (!helper.PlaceCourseWithPartners(m_table, course, roomId, m_currentSlot, m_currentHalf)) {
        Warn(helper.GetText());
        return false;
    }
    RewriteCell(m_currentSlot);
    RefreshMarks();
    RefreshColors();
    if (!m_replaying) {
        auto record = std::make_unique<CPlaceCourseOperation>();
        record->m_name = "安排课程";
        record->m_slotA = m_currentSlot;
        record->m_half = m_currentHalf;
        record->m_ids1 = course->GetId();
        record->m_ids2 = roomId;
        record->m_changedIds.push_back(m_objectId);
        CollectChangedIds(m_table->GetNode(m_currentSlot), m_currentHalf, record->m_changedIds);
        AddRecord(std::move(record), zem::Format("在 %s%s 安排 %s", TimeText(m_currentSlot).c_str(),
                                                 GetOddEvenName(m_currentHalf).c_str(),
                                                 helper.GetNodeText(m_table, m_currentSlot, m_currentHalf).c_str()));
    }
    if (m_listener)
        m_listener->OnTableChanged(ITableChangeListener::kPlaced, course);
    return true;
}

// ---- Clearing ----

void CTableContainer::OnClear()
{
    if (m_table && CanClearCurrent())
        ClearCourse(m_table, m_currentSlot, m_currentHalf, "");
}

bool CTableContainer::CanClearCurrent()
{
    if (!m_currentNode || !m_table)
        return false;
    if (!ConfirmCombinedClear())
        return false;
    CTaskHelper helper = Helper();
    if (!helper.IsPreset(m_table, m_currentSlot, m_currentHalf)) {
        Warn(helper.GetText());
        return false;
    }
    return true;
}

bool CTableContainer::ConfirmCombinedClear()
{
    CCourseInfo* course = CurrentCourse();
    const CCombineClass* combined = course ? m_task->GetCC(course->GetId()) : nullptr;
    if (!combined)
        return true;
    CTaskHelper helper = Helper();
    std::string classes;
    for (const std::string& otherId : combined->GetCombineCourse()) {
        if (otherId == course->GetId())
            continue;
        CCourseInfo* other = helper.FindCourse(otherId);
        // A partner missing or not in this cell: nothing of theirs goes with it.
        if (!other || other->GetTable(true).GetNode(m_currentSlot).GetCourseId(m_currentHalf) != otherId)
            return true;
        classes += (classes.empty() ? "" : "，") + helper.GetClassName(other->GetClassId());
    }
    return Ask(zem::Format("%s 的 %s 是合班课程。\n清除该节点将同步清除 %s 的该节次内容。要继续吗",
                           TimeText(m_currentSlot).c_str(), helper.GetSubjectName(course->GetSubjectId()).c_str(),
                           classes.c_str())) == zem::IDYES;
}

bool CTableContainer::ClearCourse(CCourseTable* table, const tagTABLE_NODE& slot, int half, const std::string& ownerId)
{
    if (!table)
        return false;
    CTaskHelper helper = Helper();
    const std::string text = helper.GetNodeText(table, slot, half);
    if (text.empty() || text == ",")
        return false;
    CCourseTableNode& node = table->GetNode(slot);
    const std::string objectId = ownerId.empty() ? m_objectId : ownerId;
    std::vector<std::string> changed{objectId};
    CollectChangedIds(node, half, changed);
    std::string courses = node.GetCourseId(half);
    std::string rooms = node.GetRoomId(half);
    if (half == 0 && node.IsInterleave()) {
        courses += "," + node.GetCourseId(2);
        rooms += "," + node.GetRoomId(2);
        helper.RemoveCourseWithPartners(table, &node, slot, 2);
    }
    // The odd half of a split cell goes as a half, so that the teachers' other halves stay.
    helper.RemoveCourseWithPartners(table, &node, slot, half == 0 && node.IsInterleave() ? 1 : half);
    if (ownerId.empty() || ownerId == m_objectId) {
        RewriteCell(slot);
        m_grid.Refresh();
    }
    if (!m_replaying) {
        auto record = std::make_unique<CClearCourseOperation>();
        record->m_name = "清除课程";
        record->m_objectId = objectId;
        record->m_slotA = slot;
        record->m_half = half;
        record->m_ids1 = courses;
        record->m_ids2 = rooms;
        record->m_changedIds = changed;
        AddRecord(std::move(record), zem::Format("在 %s%s 清除课程 %s", TimeText(slot).c_str(),
                                                 GetOddEvenName(half).c_str(), text.c_str()));
    }
    if (m_listener)
        m_listener->OnTableChanged(ITableChangeListener::kCleared, &courses);
    return true;
}

// ---- Rooms ----

void CTableContainer::OnChangeRoom()
{
    CCourseInfo* course = CurrentCourse();
    if (!course)
        return;
    const std::string roomId = m_currentNode->GetRoomId(m_currentHalf);
    CRoomInfo* room = ChooseRoom(course->GetId(), roomId);
    if (!room || room->GetId() == roomId)
        return;
    CTaskHelper helper = Helper();
    std::string clash;
    if (helper.CheckRoomConflict(room->GetId(), m_currentSlot, m_currentHalf, course->GetId(), roomId, &clash)) {
        Inform(clash);
        return;
    }
    SetRoom(room, roomId);
}

void CTableContainer::PinLessonHalf()
{
    // A room belongs to one lesson: on a split cell that is one week's half, never the whole cell.
    if (m_currentNode && m_currentNode->IsInterleave() && m_currentHalf == 0)
        m_currentHalf = m_currentNode->data(1).HasCourse() ? 1 : 2;
}

bool CTableContainer::SetRoom(CRoomInfo* room, const std::string& previousRoomId)
{
    PinLessonHalf();
    CCourseInfo* course = CurrentCourse();
    if (!course || !room) {
        CLog::inst()->Log("manual table", "SetRoomImpl FindCourse failed, id: %s",
                         m_currentNode ? m_currentNode->GetCourseId(m_currentHalf).c_str() : "");
        return false;
    }
    std::vector<std::string> changed{m_objectId};
    CollectChangedIds(*m_currentNode, m_currentHalf, changed);
    CTaskHelper helper = Helper();
    helper.ChangeRoom(course, m_currentSlot, m_currentHalf, room->GetId());
    CollectChangedIds(*m_currentNode, m_currentHalf, changed);
    RewriteCell(m_currentSlot);
    RefreshMarks();
    RefreshColors();
    if (!m_replaying) {
        auto record = std::make_unique<CSetRoomOperation>();
        record->m_name = "安排教室";
        record->m_slotA = m_currentSlot;
        record->m_half = m_currentHalf;
        record->m_ids1 = room->GetId();
        record->m_ids2 = previousRoomId;
        record->m_changedIds = changed;
        if (!previousRoomId.empty())
            StringArrayAddUnique(record->m_changedIds, previousRoomId);
        AddRecord(std::move(record), zem::Format("在 %s%s 安排教室 %s", TimeText(m_currentSlot).c_str(),
                                                 GetOddEvenName(m_currentHalf).c_str(), room->GetName().c_str()));
    }
    if (m_listener)
        m_listener->OnTableChanged(ITableChangeListener::kRoomSet, nullptr);
    return true;
}

void CTableContainer::ClearRoom()
{
    PinLessonHalf();
    CCourseInfo* course = CurrentCourse();
    if (!course) {
        CLog::inst()->Log("manual table", "OnNodeRemoveRoom GetCourse failed, id: %s",
                         m_currentNode ? m_currentNode->GetCourseId(m_currentHalf).c_str() : "");
        return;
    }
    std::vector<std::string> changed{m_objectId};
    CollectChangedIds(*m_currentNode, m_currentHalf, changed);
    const std::string roomId = m_currentNode->GetRoomId(m_currentHalf);
    CTaskHelper helper = Helper();
    helper.ChangeRoom(course, m_currentSlot, m_currentHalf, "");
    RewriteCell(m_currentSlot);
    RefreshMarks();
    RefreshColors();
    if (CRoomInfo* room = helper.GetRoom(roomId); room && !m_replaying) {
        auto record = std::make_unique<CClearRoomOperation>();
        record->m_name = "清除教室";
        record->m_slotA = m_currentSlot;
        record->m_half = m_currentHalf;
        record->m_ids1 = roomId;
        record->m_changedIds = changed;
        AddRecord(std::move(record), zem::Format("在 %s%s 清除教室 %s", TimeText(m_currentSlot).c_str(),
                                                 GetOddEvenName(m_currentHalf).c_str(), room->GetName().c_str()));
    }
    if (m_listener)
        m_listener->OnTableChanged(ITableChangeListener::kRoomCleared, nullptr);
}

// ---- Odd and even weeks ----

void CTableContainer::OnSwapOddEven()
{
    if (!m_currentNode || !m_currentNode->IsInterleave() || !SwapOddEven())
        return;
    if (!m_replaying) {
        auto record = std::make_unique<CSwapOddEvenOperation>();
        record->m_name = "交换单双周";
        record->m_slotA = m_currentSlot;
        record->m_changedIds.push_back(m_objectId);
        CollectChangedIds(*m_currentNode, 0, record->m_changedIds);
        AddRecord(std::move(record), zem::Format("在 %s 交换单双周课程 %s", TimeText(m_currentSlot).c_str(),
                                                 Helper().GetNodeText(m_table, m_currentSlot, 0).c_str()));
    }
    if (m_listener)
        m_listener->OnTableChanged(ITableChangeListener::kOddEvenSwapped, nullptr);
}

bool CTableContainer::SwapOddEven()
{
    if (!m_currentNode || !m_table || !m_currentNode->IsInterleave())
        return false;
    CTaskHelper helper = Helper();
    CCourseTableNode& node = *m_currentNode;
    CCourseInfo* odd = helper.FindCourse(node.GetCourseId(1));
    CCourseInfo* even = helper.FindCourse(node.GetCourseId(2));
    const std::string oddRoom = node.GetRoomId(1);
    const std::string evenRoom = node.GetRoomId(2);
    if ((odd && !helper.CanPlaceCourse(m_table, m_currentSlot, 2, odd, oddRoom)) ||
        (even && !helper.CanPlaceCourse(m_table, m_currentSlot, 1, even, evenRoom))) {
        Inform(helper.GetText());
        return false;
    }
    auto fill = [&](CCourseInfo* first, const std::string& firstRoom, CCourseInfo* second,
                    const std::string& secondRoom) {
        helper.RemoveCourseWithPartners(m_table, &node, m_currentSlot, 1);
        bool placed = !first || helper.PlaceCourseWithPartners(m_table, first, firstRoom, m_currentSlot, 1);
        helper.RemoveCourseWithPartners(m_table, &node, m_currentSlot, 2);
        placed = (!second || helper.PlaceCourseWithPartners(m_table, second, secondRoom, m_currentSlot, 2)) && placed;
        return placed;
    };
    const bool swapped = fill(even, evenRoom, odd, oddRoom);
    if (!swapped) {
        // A partner class refused its half: everything goes back as it was.
        const std::string reason = helper.GetText();
        fill(odd, oddRoom, even, evenRoom);
        Inform(reason);
    }
    RewriteCell(m_currentSlot);
    RefreshMarks();
    RefreshColors();
    return swapped;
}
