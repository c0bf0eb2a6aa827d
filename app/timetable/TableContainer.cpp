// The container window itself: showing a timetable, picks and moves, marks, the history and the
// replays of its records. The context menu's commands are in TableContainerCommands.cpp.
#include "app/timetable/TableContainer.h"

#include "app/shared/AppServices.h"
#include "app/controls/GdiResources.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "app/shared/Vocabulary.h"
#include "app/controls/WeekTableCells.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/HistoryDlg.h"
#include "base/Segment.h"
#include "platform/Text.h"

#include <QPointer>

CTableContainer::CTableContainer() : m_history(std::make_unique<COperationHistory>(this)) {}

CTableContainer::~CTableContainer()
{
    m_history.reset();
    m_historyWnd.reset();
}

CTaskHelper CTableContainer::Helper() const { return CTaskHelper(m_task, AppHelperContext()); }

bool CTableContainer::Create(QWidget* owner, CScheduleTask* task, ITableChangeListener* listener, bool shortTitles)
{
    m_task = task;
    m_ownerWnd = owner;
    m_owner = dynamic_cast<zem::MessageTarget*>(owner);
    m_listener = listener;
    setObjectName("Table_Container");
    setWindowTitle("Table_Container");
    setParent(owner);
    setGeometry(0, 0, 0, 0);
    if (owner)
        show();
    TakeSnapshot();
    m_grid.Init(this, this);
    m_grid.setGeometry(rect());
    CWeekTableCells cells(m_grid);
    Helper().SetupWeekTable(&cells, nullptr, shortTitles);
    m_historyWnd = std::make_unique<CHistoryDlg>(this);
    m_historyWnd->SetTask(task);
    m_historyWnd->Create();
    m_history->SetHistoryWindow(m_historyWnd.get());
    ApplyTableFonts(AppServices().GetTableFontRecord(1), &m_grid, 12, false);
    return true;
}

void CTableContainer::TakeSnapshot()
{
    m_snapshot.clear();
    if (!m_task)
        return;
    for (CZemObjectList* list : {&m_task->GetClassInfoList(), &m_task->GetTeacherInfoList(), &m_task->GetRoomInfoList()})
        for (const auto& [id, object] : *list)
            m_snapshot[id].reset(static_cast<CZemTableObject*>(object)->Clone());
}

void CTableContainer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_grid.setGeometry(rect());
}

tagTABLE_NODE CTableContainer::ToGridNode(const tagTABLE_NODE& slot) const
{
    if (!m_task)
        return slot;
    return {m_task->GetSchoolStructure().GetWeekOrderByNumber(slot.day), slot.segment, slot.section};
}

tagTABLE_NODE CTableContainer::ToDataNode(const tagTABLE_NODE& gridSlot) const
{
    if (!m_task)
        return gridSlot;
    return {m_task->GetSchoolStructure().GetWeekNumberByOrder(gridSlot.day), gridSlot.segment, gridSlot.section};
}

std::string CTableContainer::TimeText(const tagTABLE_NODE& slot) const
{
    return m_task ? m_task->GetTimeNodeDesc(&slot) : std::string();
}

std::string CTableContainer::SlotWithLesson(const tagTABLE_NODE& slot, const tagTABLE_NODE& lessonAt) const
{
    const std::string lesson = Helper().GetNodeText(m_table, lessonAt, 0);
    return lesson.empty() ? TimeText(slot) : TimeText(slot) + "(" + lesson + ")";
}

// ---- Showing a timetable ----

void CTableContainer::SetTable(CCourseTable* table)
{
    if (!table) {
        m_grid.Clear();
        m_table = nullptr;
        return;
    }
    CWeekTableCells cells(m_grid);
    Helper().FillWeekTable(&cells, table, static_cast<TABLE_TYPE>(m_kind), true, true, 0, m_objectId);
    m_table = table;
}

void CTableContainer::Refill()
{
    if (m_table)
        SetTable(m_table);
}

void CTableContainer::ShowObject()
{
    if (!m_task)
        return;
    CZemTableObject* object = Helper().FindObject(m_objectId, m_kind);
    if (!object)
        return;
    auto* room = dynamic_cast<CRoomInfo*>(object);
    SetTable(room ? &room->GetCombineTable(true) : &object->GetTable(true));
    if (m_listener)
        m_listener->SetCentreTitle(object->GetName());
}

void CTableContainer::RewriteCell(const tagTABLE_NODE& slot)
{
    if (!m_table)
        return;
    CWeekTableCells cells(m_grid);
    Helper().FillWeekCell(&cells, m_table, static_cast<TABLE_TYPE>(m_kind), true, true, 0, m_objectId, slot);
    const tagTABLE_NODE cell = ToGridNode(slot);
    m_grid.SetCellFocus(cell, false);
    m_grid.SetCellTag(cell, CELL_TAG_NONE);
    m_grid.SetCellBkColor(cell, 0);
}

void CTableContainer::RefreshMarks()
{
    if (!m_table)
        return;
    CWeekTableCells cells(m_grid);
    Helper().ForEachCell(&cells, m_table, static_cast<TABLE_TYPE>(m_kind), m_objectId);
}

void CTableContainer::RefreshColors()
{
    if (!m_table)
        return;
    CWeekTableCells cells(m_grid);
    Helper().ApplyCellColors(&cells, m_table);
    m_grid.Refresh();
}

template <class Holds>
static void MarkCells(CTableContainer& container, CScheduleTask* task, CCourseTable* table, bool on, Holds holds)
{
    CManualScheduleTable& grid = container.GetGrid();
    ForEachSlot(task->GetSchoolStructure(), [&](const tagTABLE_NODE& slot) {
        const tagTABLE_NODE cell = container.ToGridNode(slot);
        grid.SetCellFocus(cell, false);
        if (!on || (container.GetKind() != TABLE_ROOM && !table->IsUsed(slot)))
            return;
        if (holds(table->GetNode(slot)))
            grid.SetCellFocus(cell, true);
    });
    grid.Refresh();
}

void CTableContainer::HighlightCourse(CCourseInfo* course, bool on)
{
    if (!m_table || !m_task)
        return;
    CTaskHelper helper = Helper();
    const std::string id = course ? course->GetId() : std::string();
    MarkCells(*this, m_task, m_table, on && course,
              [&](const CCourseTableNode& node) { return helper.NodeHasCourse(node, id, true); });
}

void CTableContainer::HighlightTeacher(const std::string& teacherId, bool on)
{
    if (!m_table || !m_task)
        return;
    CTaskHelper helper = Helper();
    MarkCells(*this, m_task, m_table, on,
              [&](const CCourseTableNode& node) { return helper.IsTeacherInNode(node, teacherId); });
}

void CTableContainer::HighlightRoom(const std::string& roomId, bool on)
{
    if (!m_table || !m_task)
        return;
    CTaskHelper helper = Helper();
    MarkCells(*this, m_task, m_table, on,
              [&](const CCourseTableNode& node) { return helper.IsRoomInNode(node, roomId); });
}

void CTableContainer::ShowCourseTargets(CCourseInfo* course)
{
    if (!m_table || !m_task || !course)
        return;
    m_grid.SetAllCellNormal();
    CTaskHelper helper = Helper();
    const std::string room = course->GetSpecialRoomId();
    const bool halfLesson = course->GetWeekCount().HasHalfNode();
    ForEachSlot(m_task->GetSchoolStructure(), [&](const tagTABLE_NODE& slot) {
        if (helper.NodeHasCourse(m_table->GetNode(slot), course->GetId(), true))
            return;
        const tagTABLE_NODE cell = ToGridNode(slot);
        const bool fits = halfLesson ? helper.CanPlaceCourse(m_table, slot, 1, course, room) ||
                                           helper.CanPlaceCourse(m_table, slot, 2, course, room)
                                     : helper.CanPlaceCourse(m_table, slot, 0, course, room);
        if (fits)
            m_grid.SetCellFriend(cell);
        else
            m_grid.SetCellTipInfo(cell, helper.GetText());
    });
    m_grid.Refresh();
}

void CTableContainer::FocusCurrentCell(bool on)
{
    m_grid.SetCellFocus(ToGridNode(m_currentSlot), on);
    m_grid.Refresh();
}

void CTableContainer::SetCurrentSlot(const tagTABLE_NODE& slot, int half)
{
    m_currentSlot = slot;
    m_currentHalf = half;
    m_currentNode = m_table ? &m_table->GetNode(slot) : nullptr;
}

bool CTableContainer::SelectCurrentCell(const std::string& courseId)
{
    tagTABLE_NODE picked;
    if (!m_table || m_grid.GetSelectedCell(&picked) != 0)
        return false;
    const tagTABLE_NODE slot = ToDataNode(picked);
    SetCurrentSlot(slot, m_table->GetNode(slot).GetOddEven(courseId));
    return CanClearCurrent();
}

void CTableContainer::ClearCurrent()
{
    if (m_table)
        ClearCourse(m_table, m_currentSlot, m_currentHalf, "");
}

bool CTableContainer::PlaceCourseAt(const tagTABLE_NODE& gridSlot, const std::string& courseId)
{
    if (!m_table)
        return false;
    const tagTABLE_NODE slot = ToDataNode(gridSlot);
    SetCurrentSlot(slot, m_table->GetNode(slot).GetOddEven(courseId));
    CCourseInfo* course = Helper().FindCourse(courseId);
    return course && PrepareCourse(course);
}

bool CTableContainer::PlaceCourseById(const std::string& courseId)
{
    CCourseInfo* course = Helper().FindCourse(courseId);
    return course && PlaceCourse(course, course->GetSpecialRoomId());
}

std::string CTableContainer::GetCurrentCourseId() const
{
    if (!m_table || !m_table->IsUsed(m_currentSlot))
        return {};
    return m_table->GetNode(m_currentSlot).GetCourseId(m_currentHalf);
}

CCourseInfo* CTableContainer::CurrentCourse() const
{
    if (!m_currentNode)
        return nullptr;
    return Helper().FindCourse(m_currentNode->GetCourseId(m_currentHalf));
}

// ---- History ----

bool CTableContainer::Undo()
{
    // A replay slides cells while serving the event loop: no second one meanwhile.
    if (m_replaying || m_grid.IsMoving())
        return false;
    return m_history->Undo();
}

bool CTableContainer::Redo()
{
    if (m_replaying || m_grid.IsMoving())
        return false;
    return m_history->Redo();
}

bool CTableContainer::CanUndo() const { return m_history->CanUndo(); }

bool CTableContainer::CanRedo() const { return m_history->CanRedo(); }

void CTableContainer::ShowHistory()
{
    if (!m_historyWnd)
        return;
    if (m_historyUnplaced) {
        const QPoint bottomCentre = mapToGlobal(QPoint(width() / 2, height()));
        m_historyWnd->move(bottomCentre.x() - m_historyWnd->width() / 2, bottomCentre.y() + 2);
        m_historyUnplaced = false;
    }
    m_historyWnd->show();
}

void CTableContainer::GetChangedTables(std::vector<std::string>& ids, bool onlyReallyChanged) const
{
    m_history->GetChangedIds(ids);
    if (!onlyReallyChanged || !m_task)
        return;
    CTaskHelper helper = Helper();
    auto tableOf = [](CZemTableObject* object) -> const CCourseTable* {
        auto* room = dynamic_cast<CRoomInfo*>(object);
        return room ? &room->GetCombineTable(true) : &object->GetTable(true);
    };
    for (std::size_t i = ids.size(); i-- > 0;) {
        CZemTableObject* object = helper.FindObject(ids[i], -1);
        const auto before = m_snapshot.find(object ? object->GetId() : ids[i]);
        if (!object || before == m_snapshot.end())
            continue;
        if (TablesDiffer(m_task->GetSchoolStructure(), tableOf(object), tableOf(before->second.get())) == 0)
            ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void CTableContainer::AddRecord(std::unique_ptr<CScheduleOperation> record, const std::string& description)
{
    if (record->m_objectId.empty())
        record->m_objectId = m_objectId;
    record->m_description = description;
    m_history->Add(std::move(record));
}

void CTableContainer::CollectChangedIds(const CCourseTableNode& node, int half, std::vector<std::string>& ids) const
{
    std::vector<std::string> found;
    Helper().GetNodeObjectIds(node, node.IsInterleave() ? half : 0, &found);
    StringArrayAddAllUnique(ids, found);
}

// ---- Grid notifications ----

zem::LRESULT CTableContainer::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    QPointer<CTableContainer> alive(this);
    switch (message) {
    case WM_TABLE_CELL_PICKED:
        OnPick(*zem::FromWParam<tagTABLE_NODE>(wParam));
        if (alive && m_kind == TABLE_CLASS)
            Forward(message, wParam, lParam);
        return 0;
    case WM_TABLE_CELL_MOVED: {
        // The owner hears only of a move that was made.
        const auto* move = zem::FromWParam<tagNMT_MOVE>(wParam);
        if (move && OnMoved(move->target, move->picked) && alive)
            Forward(message, wParam, lParam);
        return 0;
    }
    case WM_TABLE_MOVE_REFUSED:
        if (const auto* text = zem::FromWParam<std::string>(wParam); text && !text->empty())
            zem::ShowMessage(*text, "提示", zem::MessageIcon::Information);
        if (alive)
            Forward(message, wParam, lParam);
        return 0;
    case WM_TABLE_CELL_RCLICK:
        OnContextMenu(*zem::FromWParam<tagTABLE_NODE>(wParam), static_cast<int>(lParam));
        return 0;
    case WM_TABLE_CAN_MOVE:
    case WM_TABLE_PICK_CLEARED:
    case WM_TABLE_FRIEND_CLICKED:
        Forward(message, wParam, lParam);
        return 0;
    default:
        return 0;
    }
}

void CTableContainer::Forward(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    zem::SendMessage(m_owner, message, wParam, lParam);
}

void CTableContainer::OnPick(const tagTABLE_NODE& gridSlot)
{
    m_pickedClassId = m_kind == TABLE_CLASS ? m_objectId : std::string();
    if (m_kind != TABLE_CLASS || !m_table || !m_task)
        return;
    const tagTABLE_NODE picked = ToDataNode(gridSlot);
    CTaskHelper helper = Helper();
    const CSchoolStructure& structure = m_task->GetSchoolStructure();
    // Ordinary lessons go anywhere in the day's three regular segments; morning reading and
    // evening self-study only within their own.
    const int firstSegment = picked.segment < zem::kMorningReading ? zem::kForenoon : picked.segment;
    const int lastSegment = picked.segment < zem::kMorningReading ? zem::kNight : picked.segment;
    const SlotWalk walk{.firstSegment = firstSegment, .lastSegment = lastSegment};
    ForEachSlot(structure, walk, [&](const tagTABLE_NODE& slot) {
        const tagTABLE_NODE cell = ToGridNode(slot);
        if (helper.CanSwap(m_table, slot, picked, false)) {
            m_grid.SetCellFriend(cell);
            m_grid.SetCellTipInfo(cell, "");
        } else {
            m_grid.SetCellTipInfo(cell, helper.GetText());
        }
    });
    if (AppServices().GetAutoShowDistribution())
        if (CCourseInfo* course = helper.FindCourse(m_table->GetNode(picked).GetCourseId(0)))
            HighlightCourse(course, true);
    m_grid.Refresh();
}

bool CTableContainer::OnMoved(const tagTABLE_NODE& gridTarget, const tagTABLE_NODE& gridSource)
{
    if (!m_table || !m_task)
        return false;
    const tagTABLE_NODE target = ToDataNode(gridTarget);
    const tagTABLE_NODE source = ToDataNode(gridSource);
    CTaskHelper helper = Helper();
    std::vector<std::string> movedClasses;
    // While the lesson slid the user may have shown another timetable, or changed this one (a
    // substitution carried out, a command of the context menu): the marks of the pick are old.
    const bool samePick = m_kind == TABLE_CLASS && m_objectId == m_pickedClassId;
    const bool moved = samePick && helper.SwapByHand(m_table, target, source, &movedClasses, nullptr);
    // The grid traded the pictures only when it animated; the cells are written from the data.
    RewriteCell(source);
    RewriteCell(target);
    RefreshMarks();
    RefreshColors();
    if (!moved) {
        // Refused as a drop on a cell the pick did not mark is: with the reason.
        if (samePick && !helper.GetText().empty())
            zem::ShowMessage(helper.GetText(), "提示", zem::MessageIcon::Information);
        return false;
    }
    m_movedInReplay = true;
    if (!m_replaying) {
        auto record = std::make_unique<CSwapOperation>();
        record->m_name = "调课";
        record->m_slotA = source;
        record->m_slotB = target;
        // Each slot with the lesson it held; an empty one by its time alone.
        const std::string description = zem::Format("交换 %s 和 %s", SlotWithLesson(source, target).c_str(),
                                                    SlotWithLesson(target, source).c_str());
        record->m_changedIds.push_back(m_objectId);
        CollectChangedIds(m_table->GetNode(target), 0, record->m_changedIds);
        CollectChangedIds(m_table->GetNode(source), 0, record->m_changedIds);
        StringArrayAddAllUnique(record->m_changedIds, movedClasses);
        AddRecord(std::move(record), description);
    }
    if (m_listener)
        m_listener->OnTableChanged(ITableChangeListener::kSwapped, nullptr);
    return true;
}

// ---- Replays ----

bool CTableContainer::ApplyOperation(CScheduleOperation& record) { return Replay(record, false); }

bool CTableContainer::RevertOperation(CScheduleOperation& record) { return Replay(record, true); }

bool CTableContainer::Replay(CScheduleOperation& record, bool revert)
{
    if (!m_task || !CheckRecordObjects(record, revert))
        return false;
    struct Replaying {
        bool& flag;
        explicit Replaying(bool& f) : flag(f) { flag = true; }
        ~Replaying() { flag = false; }
    } replaying(m_replaying);
    m_kind = TABLE_CLASS;
    m_objectId = record.m_objectId;
    ShowObject();
    if (!m_table)
        return false;
    SetCurrentSlot(revert && record.m_kind == CScheduleOperation::kSwap ? record.m_slotB : record.m_slotA,
                   record.m_half);
    switch (record.m_kind) {
    case CScheduleOperation::kSwap:
        return ReplaySwap(record, revert);
    case CScheduleOperation::kPlaceCourse:
        return ReplayPlace(record, revert);
    case CScheduleOperation::kSetRoom:
        return ReplaySetRoom(record, revert);
    case CScheduleOperation::kClearCourse:
        return ReplayClear(record, revert);
    case CScheduleOperation::kClearRoom:
        return ReplayClearRoom(record, revert);
    case CScheduleOperation::kSwapOddEven:
        return SwapOddEven();
    default:
        return true;
    }
}

// A record whose class, plans or rooms were deleted since cannot be replayed exactly: refusing it
// keeps the timetables telling one story, and the history stays where it is.
bool CTableContainer::CheckRecordObjects(const CScheduleOperation& record, bool revert)
{
    CTaskHelper helper = Helper();
    const char* missing = nullptr;
    auto needPlans = [&](const std::string& ids) {
        std::vector<std::string> list;
        SplitToArray(ids, ",", list, true);
        for (const std::string& id : list)
            if (!helper.FindCourse(id))
                missing = "教学计划";
    };
    auto needRooms = [&](const std::string& ids) {
        std::vector<std::string> list;
        SplitToArray(ids, ",", list, true);
        for (const std::string& id : list)
            if (!helper.GetRoom(id))
                missing = "教室";
    };
    if (!helper.GetClass(record.m_objectId)) {
        missing = "班级";
    } else {
        switch (record.m_kind) {
        case CScheduleOperation::kPlaceCourse:
            needPlans(record.m_ids1);
            if (!revert)
                needRooms(record.m_ids2);
            break;
        case CScheduleOperation::kSetRoom:
            needRooms(revert ? record.m_ids2 : record.m_ids1);
            break;
        case CScheduleOperation::kClearCourse:
            if (revert) {
                needPlans(record.m_ids1);
                needRooms(record.m_ids2);
            }
            break;
        case CScheduleOperation::kClearRoom:
            if (revert)
                needRooms(record.m_ids1);
            break;
        default:
            break;
        }
    }
    if (!missing)
        return true;
    zem::ShowMessage(zem::Format("无法%s“%s”：该操作涉及的%s已被删除。", revert ? "撤销" : "重做",
                                 record.GetName().c_str(), missing),
                     "提示", zem::MessageIcon::Information);
    return false;
}

bool CTableContainer::ReplaySwap(const CScheduleOperation& record, bool revert)
{
    CTaskHelper helper = Helper();
    if (!helper.CanSwap(m_table, record.m_slotA, record.m_slotB, false)) {
        if (!helper.GetText().empty())
            zem::ShowMessage(helper.GetText(), "提示", zem::MessageIcon::Information);
        return false;
    }
    const tagTABLE_NODE from = ToGridNode(revert ? record.m_slotB : record.m_slotA);
    const tagTABLE_NODE to = ToGridNode(revert ? record.m_slotA : record.m_slotB);
    // The grid clicks both cells as the user would; the move counts only if it really happened.
    m_movedInReplay = false;
    // Marks left from a plan's targets would make the first click a drop of that plan.
    m_grid.SetAllCellNormal();
    QPointer<CTableContainer> alive(this);
    m_grid.SimulateToSwapCell(from, to);
    return alive && m_movedInReplay;
}

bool CTableContainer::RoomIsFree(CRoomInfo* room)
{
    int index = -1;
    if (room && room->GetComplexTable().PickFree(true, m_currentSlot, m_currentHalf, index))
        return true;
    if (room)
        zem::ShowMessage(zem::Format("%s 教室在 %s%s 已经排满", room->GetName().c_str(), TimeText(m_currentSlot).c_str(),
                                     GetOddEvenName(m_currentHalf).c_str()),
                         "提示", zem::MessageIcon::Information);
    return false;
}

bool CTableContainer::ReplayPlace(const CScheduleOperation& record, bool revert)
{
    if (revert) {
        ClearCourse(m_table, m_currentSlot, m_currentHalf, "");
        return true;
    }
    CTaskHelper helper = Helper();
    CCourseInfo* course = helper.FindCourse(record.m_ids1);
    if (!helper.CanPlaceCourse(m_table, m_currentSlot, m_currentHalf, course, record.m_ids2)) {
        zem::ShowMessage(helper.GetText(), "提示", zem::MessageIcon::Warning);
        return false;
    }
    return PlaceCourse(course, record.m_ids2);
}

bool CTableContainer::ReplaySetRoom(const CScheduleOperation& record, bool revert)
{
    CTaskHelper helper = Helper();
    if (!revert) {
        CRoomInfo* room = helper.GetRoom(record.m_ids1);
        return RoomIsFree(room) && SetRoom(room, record.m_ids2);
    }
    if (record.m_ids2.empty()) {
        ClearRoom();
        return true;
    }
    CRoomInfo* previous = helper.GetRoom(record.m_ids2);
    return RoomIsFree(previous) && SetRoom(previous, record.m_ids1);
}

bool CTableContainer::ReplayClear(const CScheduleOperation& record, bool revert)
{
    if (!revert) {
        ClearCourse(m_table, m_currentSlot, m_currentHalf, "");
        return true;
    }
    std::vector<std::string> courses;
    std::vector<std::string> rooms;
    SplitToArray(record.m_ids1, ",", courses, false);
    SplitToArray(record.m_ids2, ",", rooms, false);
    rooms.resize(courses.size());
    const bool split = courses.size() > 1;
    CTaskHelper helper = Helper();
    // Every lesson must fit before any goes back, so that nothing is put back half.
    for (std::size_t i = 0; i < courses.size(); ++i) {
        if (courses[i].empty())
            continue;
        const int half = split ? static_cast<int>(i) + 1 : record.m_half;
        if (!helper.CanPlaceCourse(m_table, m_currentSlot, half, helper.FindCourse(courses[i]), rooms[i])) {
            zem::ShowMessage(helper.GetText(), "提示", zem::MessageIcon::Warning);
            return false;
        }
    }
    std::vector<int> placed;
    for (std::size_t i = 0; i < courses.size(); ++i) {
        if (courses[i].empty())
            continue;
        const int half = split ? static_cast<int>(i) + 1 : record.m_half;
        SetCurrentSlot(m_currentSlot, half);
        if (PlaceCourse(helper.FindCourse(courses[i]), rooms[i])) {
            placed.push_back(half);
            continue;
        }
        for (const int done : placed) {
            SetCurrentSlot(m_currentSlot, done);
            ClearCourse(m_table, m_currentSlot, done, "");
        }
        return false;
    }
    return true;
}

bool CTableContainer::ReplayClearRoom(const CScheduleOperation& record, bool revert)
{
    if (!revert) {
        ClearRoom();
        return true;
    }
    CRoomInfo* room = Helper().GetRoom(record.m_ids1);
    return RoomIsFree(room) && SetRoom(room, "");
}
