// The table container over the generated 36-class school: picks mark exactly the cells the task
// helper lets a lesson go to, every kind of change is undone and redone exactly, the history window
// shows what is undone in grey, and a long random session leaves the timetables consistent.
#include "support/PixelProbes.h"
#include "support/FakeAppServices.h"
#include "support/GeneratedSchool.h"
#include "support/ScreenTestSupport.h"
#include "app/controls/CoursePlanPickerDlg.h"
#include "app/shared/ObjectLists.h"
#include "app/controls/RoomSlotAnalysisDlg.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/HistoryDlg.h"
#include "app/timetable/LessonCountDlg.h"
#include "app/timetable/TableContainer.h"
#include "platform/Text.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/ReportList.h"
#include "app/shared/Strings.h"
#include "support/MessageRecorder.h"
#include "support/TableConsistency.h"
#include "table/TableItem.h"
#include "base/ScheduleValidator.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QRadioButton>

#include <functional>
#include <optional>
#include <map>
#include <random>

using zem::gui::Dialog;

namespace {

class RecordingListener : public ITableChangeListener {
public:
    void SetCentreTitle(const std::string& name) override { titles.push_back(name); }
    void OnTableChanged(int code, void*) override { codes.push_back(code); }
    std::vector<std::string> titles;
    std::vector<int> codes;
};

// Every slot of every class, teacher and room working table, to compare two moments cell by cell.
struct TablesState {
    std::map<std::string, std::vector<std::pair<CCourseTableNode, CTimeTable::Status>>> tables;

    static TablesState Of(CScheduleTask& task)
    {
        TablesState state;
        auto take = [&](const std::string& key, const CCourseTable& table) {
            auto& cells = state.tables[key];
            for (int day = 0; day < zem::kDayCount; ++day)
                for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                    for (int section = 0; section < zem::kSectionCount; ++section)
                        cells.emplace_back(table.GetNode(day, segment, section), table.GetValue(day, segment, section));
        };
        for (CZemObjectList* list : {&task.GetClassInfoList(), &task.GetTeacherInfoList()})
            for (const auto& [id, object] : *list)
                take(id, static_cast<CZemTableObject*>(object)->GetTable(true));
        for (const auto& [id, object] : task.GetRoomInfoList())
            take(id, static_cast<CRoomInfo*>(object)->GetCombineTable(true));
        return state;
    }

    // The ids whose tables differ.
    std::vector<std::string> Differences(const TablesState& other) const
    {
        std::vector<std::string> ids;
        for (const auto& [id, cells] : tables) {
            const auto it = other.tables.find(id);
            if (it == other.tables.end() || it->second.size() != cells.size()) {
                ids.push_back(id);
                continue;
            }
            for (std::size_t i = 0; i < cells.size(); ++i)
                if (cells[i].first != it->second[i].first || cells[i].second != it->second[i].second) {
                    ids.push_back(id);
                    break;
                }
        }
        return ids;
    }
};

testing::AssertionResult SameTables(const TablesState& a, const TablesState& b)
{
    const std::vector<std::string> differing = a.Differences(b);
    if (differing.empty())
        return testing::AssertionSuccess();
    auto failure = testing::AssertionFailure() << differing.size() << " tables differ, first " << differing.front();
    return failure;
}

class TableContainerTest : public testing::Test {
protected:
    void SetUp() override
    {
        task = MakeFilledSchool();
        ASSERT_TRUE(task);
        services.task = task.get();
        host.resize(900, 620);
        host.show();
        container.Create(&host, task.get(), &listener, false);
        container.setGeometry(0, 0, 900, 620);
        container.GetGrid().SetAnimateMoves(false);
        container.GetGrid().SetPlaySoundInMoving(false);
        for (CClassInfo* cls : ObjectsInOrder<CClassInfo>(task->GetClassInfoList()))
            classes.push_back(cls);
        ShowClass(classes.front());
    }

    void ShowClass(CClassInfo* cls)
    {
        container.SetObject(TABLE_CLASS, cls->GetId());
        container.ShowObject();
    }
    CCourseTable& Table() { return *container.GetTable(); }
    // The nodes of the days in use, in the order the container walks them.
    std::vector<tagTABLE_NODE> Slots(int firstSegment = 0, int lastSegment = 4) const
    {
        std::vector<tagTABLE_NODE> nodes;
        ForEachSlot(task->GetSchoolStructure(), {.firstSegment = firstSegment, .lastSegment = lastSegment},
                    [&](const tagTABLE_NODE& node) { nodes.push_back(node); });
        return nodes;
    }
    // The first slot of the shown class that passes the test.
    std::optional<tagTABLE_NODE> FindSlot(const std::function<bool(const tagTABLE_NODE&)>& test)
    {
        for (const tagTABLE_NODE& slot : Slots())
            if (test(slot))
                return slot;
        return std::nullopt;
    }
    // Searches every class for a slot that passes; shows that class.
    std::optional<tagTABLE_NODE> FindInAnyClass(const std::function<bool(const tagTABLE_NODE&)>& test)
    {
        for (CClassInfo* cls : classes) {
            ShowClass(cls);
            if (auto slot = FindSlot(test))
                return slot;
        }
        return std::nullopt;
    }
    bool CanSwap(const tagTABLE_NODE& a, const tagTABLE_NODE& b)
    {
        return CTaskHelper(task.get()).CanSwap(&Table(), a, b, false);
    }
    const CCell* Cell(const tagTABLE_NODE& slot) { return container.GetGrid().GetCell(container.ToGridNode(slot)); }
    // A lesson slot of the shown class with a place it may move to.
    std::optional<std::pair<tagTABLE_NODE, tagTABLE_NODE>> FindSwap()
    {
        std::optional<std::pair<tagTABLE_NODE, tagTABLE_NODE>> found;
        FindInAnyClass([&](const tagTABLE_NODE& from) {
            if (!Table().IsUsed(from) || from.segment > 2)
                return false;
            for (const tagTABLE_NODE& to : Slots(0, 2))
                if (CanSwap(to, from)) {
                    found = {{from, to}};
                    return true;
                }
            return false;
        });
        return found;
    }
    // Moves the lesson as the user does: a click on it, a click on the target.
    void UserMove(const tagTABLE_NODE& from, const tagTABLE_NODE& to)
    {
        container.GetGrid().SimulateToSwapCell(container.ToGridNode(from), container.ToGridNode(to));
    }
    int Index() { return container.GetHistory().GetIndex(); }
    int Count() { return container.GetHistory().GetCount(); }

    std::unique_ptr<CScheduleTask> task;
    FakeAppServices services;
    QWidget host;
    RecordingListener listener;
    CTableContainer container;
    std::vector<CClassInfo*> classes;
};

TEST_F(TableContainerTest, PickMarksExactlyTheCellsTheHelperLetsTheLessonGoTo)
{
    // An ordinary lesson and, where the school has one, a morning-reading lesson.
    for (const bool reading : {false, true}) {
        const auto picked = FindInAnyClass(
            [&](const tagTABLE_NODE& s) { return Table().IsUsed(s) && (reading ? s.segment == 3 : s.segment < 3); });
        if (!picked) {
            ASSERT_TRUE(reading) << "no ordinary lesson";
            continue;
        }
        container.GetGrid().SimulateToSwapCell(container.ToGridNode(*picked), container.ToGridNode(*picked));
        // Clicking the picked cell again ends the pick; pick it once more and look.
        const zem::Point centre = Cell(*picked)->GetRect().CenterPoint();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(centre.x, centre.y), QPointF(), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&container.GetGrid(), &press);
        CTaskHelper helper(task.get());
        int friends = 0;
        for (const tagTABLE_NODE& slot : Slots()) {
            const bool offered = reading ? slot.segment == picked->segment : slot.segment < 3;
            const bool allowed = offered && helper.CanSwap(&Table(), slot, *picked, false);
            const CCell* cell = Cell(slot);
            ASSERT_TRUE(cell);
            EXPECT_EQ(cell->GetState() == CCell::STATE_FRIEND, allowed)
                << slot.day << "-" << slot.segment << "-" << slot.section;
            if (offered && !allowed && !(slot == *picked)) {
                EXPECT_EQ(cell->GetTip(), helper.GetText());
            }
            friends += allowed;
        }
        EXPECT_GT(friends, 0);
        if (!reading)
            SaveScreenshot(&container, "table-container-pick");
        QCoreApplication::sendEvent(&container.GetGrid(), &press);
    }
}

TEST_F(TableContainerTest, CourseTargetsAreTheCellsThePlanMayGoTo)
{
    CCourseInfo* plan = nullptr;
    for (CCourseInfo* candidate : ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList()))
        if (candidate->GetClassId() == container.GetObjectId()) {
            plan = candidate;
            break;
        }
    ASSERT_TRUE(plan);
    container.ShowCourseTargets(plan);
    CTaskHelper helper(task.get());
    const std::string room = plan->GetSpecialRoomId();
    int targets = 0;
    for (const tagTABLE_NODE& slot : Slots()) {
        const bool holds = helper.NodeHasCourse(Table().GetNode(slot), plan->GetId(), true);
        const bool fits = !holds && (plan->GetWeekCount().HasHalfNode()
                                         ? helper.CanPlaceCourse(&Table(), slot, 1, plan, room) ||
                                               helper.CanPlaceCourse(&Table(), slot, 2, plan, room)
                                         : helper.CanPlaceCourse(&Table(), slot, 0, plan, room));
        EXPECT_EQ(Cell(slot)->GetState() == CCell::STATE_FRIEND, fits) << slot.day << slot.segment << slot.section;
        targets += fits;
    }
    EXPECT_GT(targets, 0);
}

TEST_F(TableContainerTest, PickInTeacherTableDoesNothing)
{
    CTeacherInfo* teacher = ObjectsInOrder<CTeacherInfo>(task->GetTeacherInfoList()).front();
    container.SetObject(TABLE_TEACHER, teacher->GetId());
    container.ShowObject();
    const auto slot = FindSlot([&](const tagTABLE_NODE& s) { return Table().IsUsed(s); });
    ASSERT_TRUE(slot);
    container.OnPick(container.ToGridNode(*slot));
    for (const tagTABLE_NODE& s : Slots())
        EXPECT_NE(Cell(s)->GetState(), CCell::STATE_FRIEND);
}

TEST_F(TableContainerTest, SwapUndoRedoRestoresEveryTableWithoutNewRecords)
{
    const auto swap = FindSwap();
    ASSERT_TRUE(swap);
    const TablesState before = TablesState::Of(*task);
    UserMove(swap->first, swap->second);
    const TablesState after = TablesState::Of(*task);
    ASSERT_FALSE(after.Differences(before).empty());
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(container.GetHistory().GetRecords()[0]->GetName(), "调课");
    EXPECT_EQ(listener.codes, std::vector<int>{ITableChangeListener::kSwapped});

    ASSERT_TRUE(container.Undo());
    EXPECT_TRUE(SameTables(TablesState::Of(*task), before));
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Index(), -1);
    ASSERT_TRUE(container.Redo());
    EXPECT_TRUE(SameTables(TablesState::Of(*task), after));
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Index(), 0);
    EXPECT_TRUE(TablesConsistent(*task));

    // Swapped there and back by hand: touched, but nothing really changed.
    UserMove(swap->second, swap->first);
    ASSERT_EQ(Count(), 2);
    std::vector<std::string> touched;
    container.GetChangedTables(touched, false);
    EXPECT_TRUE(StringArrayContainsNoCase(touched, container.GetObjectId()));
    std::vector<std::string> changed;
    container.GetChangedTables(changed, true);
    EXPECT_TRUE(changed.empty()) << changed.size();
    EXPECT_TRUE(SameTables(TablesState::Of(*task), before));
}

TEST_F(TableContainerTest, DropOnCellNotAllowedShowsItsReasonAndChangesNothing)
{
    std::optional<std::pair<tagTABLE_NODE, tagTABLE_NODE>> refused;
    FindInAnyClass([&](const tagTABLE_NODE& from) {
        if (!Table().IsUsed(from) || from.segment > 2)
            return false;
        for (const tagTABLE_NODE& to : Slots(0, 2))
            if (!(to == from) && !CanSwap(to, from)) {
                refused = {{from, to}};
                return true;
            }
        return false;
    });
    ASSERT_TRUE(refused);
    CTaskHelper helper(task.get());
    helper.CanSwap(&Table(), refused->second, refused->first, false);
    const std::string reason = helper.GetText();
    MessageRecorder messages;
    const TablesState before = TablesState::Of(*task);
    UserMove(refused->first, refused->second);
    EXPECT_TRUE(SameTables(TablesState::Of(*task), before));
    EXPECT_EQ(Count(), 0);
    if (!reason.empty()) {
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{reason});
    }
}

// What the right click offers, and where it goes from a teacher's timetable.
TEST_F(TableContainerTest, ContextMenuFitsTheCell)
{
    std::vector<std::vector<zem::gui::MenuItem>> shown;
    int answer = 0;
    const zem::gui::PopupMenuHook previous = zem::gui::SetPopupMenuHook([&](const std::vector<zem::gui::MenuItem>& items) {
        shown.push_back(items);
        return answer;
    });
    auto texts = [&] {
        std::vector<std::string> list;
        for (const zem::gui::MenuItem& item : shown.back())
            list.push_back(item.text);
        return list;
    };
    auto rightClick = [&](const tagTABLE_NODE& slot, int side) {
        container.OnContextMenu(container.ToGridNode(slot), side);
    };
    const auto withRoom = FindInAnyClass([&](const tagTABLE_NODE& s) {
        return Table().IsUsed(s) && !Table().GetNode(s).IsInterleave() && !Table().GetNode(s).GetRoomId(0).empty();
    });
    ASSERT_TRUE(withRoom);
    const CCourseInfo* plan = task->FindCourse(Table().GetNode(*withRoom).GetCourseId(0));
    const std::string teacher = zem::Format("转到 %s 的课表", task->GetTeacherName(plan->GetTeacherId()).c_str());
    const std::string room =
        zem::Format("转到 %s 的课表", task->GetRoom(Table().GetNode(*withRoom).GetRoomId(0))->GetName().c_str());
    rightClick(*withRoom, 1);
    const std::vector<std::string> full = texts();
    ASSERT_GE(full.size(), 7u);
    EXPECT_EQ(full[0], teacher);
    EXPECT_NE(std::find(full.begin(), full.end(), room), full.end());
    for (const char* item : {"更改课程", "更改教室", "取消教室", "清除"})
        EXPECT_NE(std::find(full.begin(), full.end(), item), full.end()) << item;
    EXPECT_EQ(std::find(full.begin(), full.end(), "单双周交换"), full.end());

    const auto withoutRoom = FindInAnyClass([&](const tagTABLE_NODE& s) {
        return Table().IsUsed(s) && !Table().GetNode(s).IsInterleave() && Table().GetNode(s).GetRoomId(0).empty();
    });
    ASSERT_TRUE(withoutRoom);
    rightClick(*withoutRoom, 1);
    const std::vector<std::string> bare = texts();
    EXPECT_NE(std::find(bare.begin(), bare.end(), "安排教室"), bare.end());
    EXPECT_EQ(std::find(bare.begin(), bare.end(), "取消教室"), bare.end());
    EXPECT_EQ(bare.size(), full.size() - 2);

    const auto empty = FindSlot([&](const tagTABLE_NODE& s) { return !Table().IsUsed(s); });
    ASSERT_TRUE(empty);
    rightClick(*empty, 1);
    EXPECT_EQ(texts(), std::vector<std::string>{"安排课程"});

    // The right half of a split cell is its even-week lesson.
    if (const auto split = FindInAnyClass([&](const tagTABLE_NODE& s) { return Table().GetNode(s).IsInterleave(); })) {
        rightClick(*split, 2);
        EXPECT_EQ(container.GetCurrentHalf(), 2);
        const std::vector<std::string> splitMenu = texts();
        EXPECT_NE(std::find(splitMenu.begin(), splitMenu.end(), "单双周交换"), splitMenu.end());
    }

    // From the teacher's timetable, a right click goes to the lesson's class.
    ShowClass(task->GetClass(plan->GetClassId()));
    answer = CTableContainer::ID_GOTO_TEACHER;
    rightClick(*withRoom, 1);
    EXPECT_EQ(container.GetKind(), TABLE_TEACHER);
    EXPECT_EQ(container.GetObjectId(), plan->GetTeacherId());
    const std::size_t menus = shown.size();
    rightClick(*withRoom, 1);
    EXPECT_EQ(shown.size(), menus);
    EXPECT_EQ(container.GetKind(), TABLE_CLASS);
    EXPECT_EQ(container.GetObjectId(), plan->GetClassId());
    EXPECT_EQ(listener.titles.back(), task->GetClassNameA(plan->GetClassId()));
    zem::gui::SetPopupMenuHook(previous);
}

// "安排课程" and "更改教室" choose with the slot's analysis and change the cell.
TEST_F(TableContainerTest, AssignAndChangeRoomGoThroughTheAnalysisDialogs)
{
    MessageRecorder answers(zem::IDYES);
    int command = 0;
    const zem::gui::PopupMenuHook previous =
        zem::gui::SetPopupMenuHook([&](const std::vector<zem::gui::MenuItem>&) { return command; });
    std::vector<std::string> captions;
    ModalScope modal([&](Dialog& dialog) {
        captions.push_back(dialog.Caption());
        auto choose = [&](zem::gui::ReportList* list, const std::function<bool(int)>& fits) {
            for (int row = 0; row < list->GetItemCount(); ++row)
                if (fits(row)) {
                    list->ClearSelectedRows();
                    list->SetSelected(row, true);
                    dialog.SendCommand(zem::IDOK);
                    return;
                }
        };
        if (auto* plans = dynamic_cast<CPlanSlotAnalysisDlg*>(&dialog))
            choose(plans->GetList(), [&](int row) { return plans->GetRowRecord(row)->rank < 2; });
        else if (auto* rooms = dynamic_cast<CRoomSlotAnalysisDlg*>(&dialog))
            choose(rooms->GetList(), [&](int row) {
                const CRoomSlotAnalysisDlg::RowRecord* record = rooms->GetRowRecord(row);
                return record->rank == 0 && record->room->GetId() != Table().GetNode(container.GetCurrentSlot()).GetRoomId(container.GetCurrentHalf());
            });
        else
            dialog.SendCommand(zem::IDOK);
    });
    const auto empty = FindInAnyClass([&](const tagTABLE_NODE& s) { return s.segment < 3 && !Table().IsUsed(s); });
    ASSERT_TRUE(empty);
    command = CTableContainer::ID_ASSIGN_COURSE;
    container.OnContextMenu(container.ToGridNode(*empty), 1);
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.front().rfind("选择教学计划", 0), 0u) << captions.front();
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(container.GetHistory().GetRecords()[0]->GetName(), "安排课程");
    EXPECT_TRUE(Table().IsUsed(*empty));

    const auto withRoom = FindSlot([&](const tagTABLE_NODE& s) {
        return Table().IsUsed(s) && !Table().GetNode(s).IsInterleave() && !Table().GetNode(s).GetRoomId(0).empty();
    });
    if (!withRoom)
        GTEST_SKIP() << "no lesson with a room in this class";
    command = CTableContainer::ID_CHANGE_ROOM;
    captions.clear();
    const std::string before = Table().GetNode(*withRoom).GetRoomId(0);
    container.OnContextMenu(container.ToGridNode(*withRoom), 1);
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.front().rfind("选择教室", 0), 0u) << captions.front();
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(container.GetHistory().GetRecords()[1]->GetName(), "安排教室");
    EXPECT_NE(Table().GetNode(*withRoom).GetRoomId(0), before);
    EXPECT_TRUE(TablesConsistent(*task));
    zem::gui::SetPopupMenuHook(previous);
}

// One change of each kind of record: made, undone and redone, with all tables compared.
TEST_F(TableContainerTest, EveryKindOfChangeIsUndoneAndRedoneExactly)
{
    MessageRecorder answers(zem::IDYES);
    CTaskHelper helper(task.get());
    auto lessonWithRoom = [&](bool withRoom) {
        return [&, withRoom](const tagTABLE_NODE& s) {
            const CCourseTableNode& node = Table().GetNode(s);
            return Table().IsUsed(s) && !node.IsInterleave() && !task->GetCC(node.GetCourseId(0)) &&
                   helper.IsPreset(&Table(), s, 0) && (withRoom == !node.GetRoomId(0).empty());
        };
    };
    // A room with a free place at the current slot, other than the lesson's own.
    auto freeRoom = [&](const std::string& except) -> CRoomInfo* {
        for (CRoomInfo* room : ObjectsInOrder<CRoomInfo>(task->GetRoomInfoList())) {
            int index = -1;
            if (room->GetId() != except &&
                room->GetComplexTable().PickFree(true, container.GetCurrentSlot(), 0, index))
                return room;
        }
        return nullptr;
    };
    struct Case {
        const char* name;
        std::function<bool()> change;  // false: the school offers no such cell
    };
    const std::vector<Case> cases = {
        {"安排课程",
         [&] {
             for (CClassInfo* cls : classes) {
                 ShowClass(cls);
                 for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList())) {
                     if (plan->GetClassId() != cls->GetId() || plan->GetWeekCount().HasHalfNode() ||
                         task->GetCC(plan->GetId()))
                         continue;
                     const auto empty = FindSlot([&](const tagTABLE_NODE& s) {
                         return s.segment < 3 && !Table().IsUsed(s) &&
                                helper.CanPlaceCourse(&Table(), s, 0, plan, plan->GetSpecialRoomId());
                     });
                     if (empty)
                         return container.PlaceCourseAt(container.ToGridNode(*empty), plan->GetId()) &&
                                container.PlaceCourseById(plan->GetId());
                 }
             }
             return false;
         }},
        {"清除课程",
         [&] {
             const auto slot = FindInAnyClass(lessonWithRoom(true));
             if (!slot)
                 return false;
             container.SetCurrentSlot(*slot, 0);
             container.OnClear();
             return true;
         }},
        {"清除课程",  // one week's half of a split cell: undone, that half only comes back
         [&] {
             const auto slot = FindInAnyClass([&](const tagTABLE_NODE& s) {
                 const CCourseTableNode& node = Table().GetNode(s);
                 return node.IsInterleave() && node.data(1).HasCourse() && node.data(2).HasCourse() &&
                        !task->GetCC(node.GetCourseId(1)) && helper.IsPreset(&Table(), s, 1);
             });
             if (!slot)
                 return false;
             container.SetCurrentSlot(*slot, 1);
             container.OnClear();
             return true;
         }},
        {"安排教室",
         [&] {
             const auto slot = FindInAnyClass(lessonWithRoom(false));
             if (!slot)
                 return false;
             container.SetCurrentSlot(*slot, 0);
             CRoomInfo* room = freeRoom("");
             return room && container.SetRoom(room, "");
         }},
        {"安排教室",  // a change of room
         [&] {
             const auto slot = FindInAnyClass(lessonWithRoom(true));
             if (!slot)
                 return false;
             container.SetCurrentSlot(*slot, 0);
             const std::string current = Table().GetNode(*slot).GetRoomId(0);
             CRoomInfo* room = freeRoom(current);
             return room && container.SetRoom(room, current);
         }},
        {"清除教室",
         [&] {
             const auto slot = FindInAnyClass(lessonWithRoom(true));
             if (!slot)
                 return false;
             container.SetCurrentSlot(*slot, 0);
             container.ClearRoom();
             return true;
         }},
        {"交换单双周",
         [&] {
             const auto slot = FindInAnyClass([&](const tagTABLE_NODE& s) {
                 const CCourseTableNode& node = Table().GetNode(s);
                 return node.IsInterleave() && node.data(1).HasCourse() && node.data(2).HasCourse();
             });
             if (!slot)
                 return false;
             container.SetCurrentSlot(*slot, 1);
             container.OnSwapOddEven();
             return true;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int records = Count();
        const TablesState before = TablesState::Of(*task);
        ASSERT_TRUE(c.change()) << "the school has no cell for this change";
        ASSERT_EQ(Count(), records + 1);
        const CScheduleOperation& record = *container.GetHistory().GetRecords().back();
        EXPECT_EQ(record.GetName(), c.name);
        const TablesState after = TablesState::Of(*task);
        const std::vector<std::string> differing = after.Differences(before);
        ASSERT_FALSE(differing.empty());
        // Every table the change touched is among the record's ids.
        for (const std::string& id : differing)
            EXPECT_TRUE(StringArrayContainsNoCase(record.m_changedIds, id)) << id;
        ASSERT_TRUE(container.Undo());
        EXPECT_TRUE(SameTables(TablesState::Of(*task), before));
        ASSERT_TRUE(container.Redo());
        EXPECT_TRUE(SameTables(TablesState::Of(*task), after));
        EXPECT_EQ(Count(), records + 1);
        EXPECT_TRUE(TablesConsistent(*task));
    }
}

TEST_F(TableContainerTest, ClearingASplitCellAndUndoingPutsBothHalvesBack)
{
    MessageRecorder answers(zem::IDYES);
    const auto slot = FindInAnyClass([&](const tagTABLE_NODE& s) {
        const CCourseTableNode& node = Table().GetNode(s);
        return node.IsInterleave() && node.data(1).HasCourse() && node.data(2).HasCourse();
    });
    ASSERT_TRUE(slot);
    const std::string odd = Table().GetNode(*slot).GetCourseId(1);
    const std::string even = Table().GetNode(*slot).GetCourseId(2);
    const TablesState before = TablesState::Of(*task);
    container.SetCurrentSlot(*slot, 0);
    container.OnClear();
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(container.GetHistory().GetRecords()[0]->m_ids1, odd + "," + even);
    EXPECT_FALSE(Table().IsUsed(*slot));
    ASSERT_TRUE(container.Undo());
    const CCourseTableNode& node = Table().GetNode(*slot);
    EXPECT_TRUE(node.IsInterleave());
    EXPECT_EQ(node.GetCourseId(1), odd);
    EXPECT_EQ(node.GetCourseId(2), even);
    EXPECT_TRUE(SameTables(TablesState::Of(*task), before));
}

// A lesson placed over a whole-week lesson clears that lesson first, in a record of its own, also
// when it takes one week only; undoing both brings the whole-week lesson back whole.
TEST_F(TableContainerTest, PlacingOverAnOccupiedCellMakesTwoRecords)
{
    MessageRecorder answers(zem::IDYES);
    CTaskHelper helper(task.get());
    struct Case {
        const char* what;
        bool halfPlan;
        int half;  // the week the new lesson takes
    };
    for (const Case& c : {Case{"a whole lesson", false, 0}, Case{"an odd-week lesson", true, 1}}) {
        SCOPED_TRACE(c.what);
        CCourseInfo* plan = nullptr;
        const auto slot = FindInAnyClass([&](const tagTABLE_NODE& s) {
            const CCourseTableNode& node = Table().GetNode(s);
            if (!Table().IsUsed(s) || s.segment > 2 || node.IsInterleave() || task->GetCC(node.GetCourseId(0)))
                return false;
            for (CCourseInfo* candidate : ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList()))
                if (candidate->GetClassId() == container.GetObjectId() && candidate->GetId() != node.GetCourseId(0) &&
                    candidate->GetWeekCount().HasHalfNode() == c.halfPlan && !task->GetCC(candidate->GetId()) &&
                    helper.CanPlaceCourse(&Table(), s, c.half, candidate, candidate->GetSpecialRoomId()) &&
                    (!c.halfPlan || helper.CanPlaceCourse(&Table(), s, 2, candidate, candidate->GetSpecialRoomId()))) {
                    plan = candidate;
                    return true;
                }
            return false;
        });
        ASSERT_TRUE(slot && plan);
        const std::string replaced = Table().GetNode(*slot).GetCourseId(0);
        const int applied = Index();
        const TablesState before = TablesState::Of(*task);
        {
            // A half-lesson plan asks which weeks: the odd ones.
            ModalScope weeks([](Dialog& dialog) {
                dialog.Item<QRadioButton>(CLessonCountDlg::IDC_ODD)->click();
                dialog.SendCommand(zem::IDOK);
            });
            ASSERT_TRUE(container.PlaceCourseAt(container.ToGridNode(*slot), plan->GetId()));
            ASSERT_TRUE(container.PlaceCourseById(plan->GetId()));
        }
        ASSERT_EQ(Index(), applied + 2);
        ASSERT_EQ(Count(), Index() + 1);
        const auto& history = container.GetHistory().GetRecords();
        EXPECT_EQ(history[static_cast<std::size_t>(Index()) - 1]->GetName(), "清除课程");
        EXPECT_EQ(history.back()->GetName(), "安排课程");
        EXPECT_EQ(Table().GetNode(*slot).GetCourseId(c.half), plan->GetId());
        EXPECT_NE(Table().GetNode(*slot).GetCourseId(2), replaced);  // nothing of it is left in a week
        ASSERT_TRUE(container.Undo());
        ASSERT_TRUE(container.Undo());
        EXPECT_FALSE(Table().GetNode(*slot).IsInterleave());
        EXPECT_EQ(Table().GetNode(*slot).GetCourseId(0), replaced);
        EXPECT_TRUE(SameTables(TablesState::Of(*task), before));
    }
}

TEST_F(TableContainerTest, HalfLessonPlanWithWholeLessonsPlacedCannotTakeAWholeLesson)
{
    CTaskHelper helper(task.get());
    CCourseInfo* plan = nullptr;
    const auto slot = FindInAnyClass([&](const tagTABLE_NODE& s) {
        if (Table().IsUsed(s) || s.segment > 2)
            return false;
        for (CCourseInfo* candidate : ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList())) {
            if (candidate->GetClassId() != container.GetObjectId() || !candidate->GetWeekCount().HasHalfNode() ||
                task->GetCC(candidate->GetId()))
                continue;
            const CWeekCount placed = helper.CountCourseNodes(candidate->GetId(), &Table(), 0);
            const std::string room = candidate->GetSpecialRoomId();
            if (placed.GetWholeCount() >= candidate->GetWeekCount().GetWholeCount() &&
                helper.CanPlaceCourse(&Table(), s, 1, candidate, room) &&
                helper.CanPlaceCourse(&Table(), s, 2, candidate, room)) {
                plan = candidate;
                return true;
            }
        }
        return false;
    });
    ASSERT_TRUE(slot && plan) << "no half-lesson plan with its whole lessons placed";
    bool wholeEnabled = true;
    bool oddChosen = false;
    std::string caption;
    ModalScope modal([&](Dialog& dialog) {
        caption = dialog.Caption();
        wholeEnabled = dialog.IsItemEnabled(CLessonCountDlg::IDC_WHOLE);
        oddChosen = dialog.Item<QRadioButton>(CLessonCountDlg::IDC_ODD)->isChecked();
        SavePicture(Snapshot(&dialog), "lesson-count-dialog.png");
        dialog.SendCommand(zem::IDOK);
    });
    ASSERT_TRUE(container.PlaceCourseAt(container.ToGridNode(*slot), plan->GetId()));
    EXPECT_EQ(caption, "选择安排的课程数量");
    EXPECT_FALSE(wholeEnabled);
    EXPECT_TRUE(oddChosen);
    EXPECT_EQ(container.GetCurrentHalf(), 1);
    ASSERT_TRUE(container.PlaceCourseById(plan->GetId()));
    EXPECT_EQ(Table().GetNode(*slot).GetCourseId(1), plan->GetId());
    EXPECT_TRUE(TablesConsistent(*task));
}

// The history says a swap by its slots as the school names them: a slot left empty by its time
// alone, and in a school of one week without "第1周".
TEST_F(TableContainerTest, ASwapIntoAnEmptySlotIsDescribedByTimeAndLesson)
{
    int first = 0;
    int last = 0;
    task->GetSchoolStructure().GetValidWeekBothEnds(first, last);
    ASSERT_LT(last, zem::kDayCount / 2);
    std::optional<std::pair<tagTABLE_NODE, tagTABLE_NODE>> found;
    FindInAnyClass([&](const tagTABLE_NODE& from) {
        if (!Table().IsUsed(from) || from.segment > 2)
            return false;
        for (const tagTABLE_NODE& to : Slots(0, 2))
            if (!Table().IsUsed(to) && CanSwap(to, from)) {
                found = {{from, to}};
                return true;
            }
        return false;
    });
    ASSERT_TRUE(found);
    const auto [from, to] = *found;
    const std::string lesson = CTaskHelper(task.get()).GetNodeText(&Table(), from, 0);
    ASSERT_FALSE(lesson.empty());
    UserMove(from, to);
    ASSERT_EQ(Count(), 1);
    const auto time = [&](const tagTABLE_NODE& slot) {
        const std::string text = task->GetTimeNodeDesc(&slot);
        EXPECT_EQ(text.find("第1周"), std::string::npos) << text;
        return text;
    };
    EXPECT_EQ(container.GetHistory().GetRecords()[0]->GetDescription(),
              "交换 " + time(from) + "(" + lesson + ") 和 " + time(to));
}

TEST_F(TableContainerTest, HistoryWindowGreysTheUndoneRows)
{
    MessageRecorder answers(zem::IDYES);
    container.ShowHistory();
    CHistoryDlg* window = container.GetHistoryWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->GetList()->GetItemCount(), 0);
    EXPECT_FALSE(container.CanUndo());
    EXPECT_FALSE(container.CanRedo());
    for (int i = 0; i < 3; ++i) {
        const auto swap = FindSwap();
        ASSERT_TRUE(swap);
        UserMove(swap->first, swap->second);
    }
    ASSERT_EQ(Count(), 3);
    std::vector<std::string> firstIds;
    container.GetHistory().GetChangedIds(firstIds);
    ASSERT_TRUE(container.Undo());
    ASSERT_TRUE(container.Undo());
    EXPECT_EQ(Index(), 0);
    zem::gui::ReportList* list = window->GetList();
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_FALSE(window->IsRowUndone(0));
    EXPECT_TRUE(window->IsRowUndone(1));
    EXPECT_TRUE(window->IsRowUndone(2));
    EXPECT_EQ(list->GetItemText(0, 3), "调课");
    EXPECT_EQ(list->GetItemText(0, 2), task->GetClassNameA(container.GetHistory().GetRecords()[0]->GetClassId()));
    std::vector<std::string> ids;
    container.GetHistory().GetChangedIds(ids);
    EXPECT_EQ(ids, std::vector<std::string>(container.GetHistory().GetRecords()[0]->m_changedIds));
    window->resize(700, 160);
    SaveScreenshot(window, "history-window");

    // A new change drops the two undone records.
    const auto swap = FindSwap();
    ASSERT_TRUE(swap);
    UserMove(swap->first, swap->second);
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(list->GetItemCount(), 2);
    EXPECT_FALSE(window->IsRowUndone(1));
    ASSERT_TRUE(container.Undo());
    ASSERT_TRUE(container.Undo());
    EXPECT_EQ(Index(), -1);
    EXPECT_TRUE(window->IsRowUndone(0));
    EXPECT_FALSE(container.CanUndo());
    EXPECT_TRUE(container.CanRedo());
}

TEST_F(TableContainerTest, UndoNeedingADeletedPlanIsRefusedAndChangesNothing)
{
    MessageRecorder answers(zem::IDYES);
    const auto slot = FindInAnyClass([&](const tagTABLE_NODE& s) {
        const CCourseTableNode& node = Table().GetNode(s);
        return node.IsInterleave() && node.data(1).HasCourse() && node.data(2).HasCourse() &&
               !task->GetCC(node.GetCourseId(1)) && !task->GetCC(node.GetCourseId(2));
    });
    ASSERT_TRUE(slot);
    const std::string even = Table().GetNode(*slot).GetCourseId(2);
    container.SetCurrentSlot(*slot, 0);
    container.OnClear();
    ASSERT_EQ(Count(), 1);
    // The even-week plan is deleted meanwhile (its lessons are all out of the tables).
    CTaskHelper(task.get()).RemoveCourseWithPartners(&Table(), &Table().GetNode(*slot), *slot, 2);
    CCourseInfo* plan = task->FindCourse(even);
    ASSERT_TRUE(plan);
    for (const tagTABLE_NODE& s : Slots()) {
        if (!plan->GetTable(true).IsUsed(s))
            continue;
        ShowClass(task->GetClass(plan->GetClassId()));
        const int part = plan->GetTable(true).GetNode(s).GetOddEven(even);
        CTaskHelper(task.get()).RemoveCourseWithPartners(&Table(), &Table().GetNode(s), s, part);
    }
    task->GetCourseInfoList().Remove(even);
    const ScheduleValidation working = ValidateSchedule(*task, true, kCheckConsistency | kCheckHalves);
    ASSERT_TRUE(working.IsClean()) << working.Text();
    const TablesState before = TablesState::Of(*task);
    answers.messages.clear();

    EXPECT_FALSE(container.Undo());
    EXPECT_EQ(answers.Texts(), std::vector<std::string>{"无法撤销“清除课程”：该操作涉及的教学计划已被删除。"});
    EXPECT_TRUE(SameTables(TablesState::Of(*task), before));
    EXPECT_EQ(Index(), 0);
    EXPECT_TRUE(container.CanUndo());

    // The history goes on working.
    const auto swap = FindSwap();
    ASSERT_TRUE(swap);
    UserMove(swap->first, swap->second);
    EXPECT_EQ(Count(), 2);
    EXPECT_TRUE(container.Undo());
    EXPECT_TRUE(SameTables(TablesState::Of(*task), before));
}

TEST_F(TableContainerTest, ChangedTablesNameTheClassItsPartnersAndTheRooms)
{
    MessageRecorder answers(zem::IDYES);
    // A combined lesson with a room, cleared: the class, the partners' classes and the room.
    const auto slot = FindInAnyClass([&](const tagTABLE_NODE& s) {
        const CCourseTableNode& node = Table().GetNode(s);
        return Table().IsUsed(s) && !node.IsInterleave() && task->GetCC(node.GetCourseId(0)) &&
               CTaskHelper(task.get()).IsPreset(&Table(), s, 0);
    });
    ASSERT_TRUE(slot) << "no combined lesson";
    const CCourseTableNode node = Table().GetNode(*slot);
    container.SetCurrentSlot(*slot, 0);
    container.OnClear();
    ASSERT_GE(Count(), 1);
    std::vector<std::string> ids;
    container.GetChangedTables(ids, true);
    EXPECT_TRUE(StringArrayContainsNoCase(ids, container.GetObjectId()));
    for (const std::string& partnerId : task->GetCC(node.GetCourseId(0))->GetCombineCourse())
        if (const CCourseInfo* partner = task->FindCourse(partnerId)) {
            EXPECT_TRUE(StringArrayContainsNoCase(ids, partner->GetClassId())) << partnerId;
        }
    if (!node.GetRoomId(0).empty()) {
        EXPECT_TRUE(StringArrayContainsNoCase(ids, node.GetRoomId(0)));
    }
}

TEST_F(TableContainerTest, RandomSessionLeavesTheTimetablesSound)
{
    MessageRecorder answers(zem::IDYES);
    ModalScope modal([](Dialog& dialog) { dialog.SendCommand(zem::IDOK); });
    const unsigned checks = kCheckDoubleBooking | kCheckRoomCapacity | kCheckHalves | kCheckConsistency |
                            kCheckSegment | kCheckCombined | kCheckPreset;
    // The generated school starts with a few rooms over capacity; none may be added.
    const ScheduleValidation initial = ValidateSchedule(*task, true, checks);
    ASSERT_EQ(initial.Count(), initial.Count(kCheckRoomCapacity)) << initial.Text();
    std::mt19937 random(20240601);
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    CTaskHelper helper(task.get());
    int changes = 0;
    std::string done;  // what the last steps did, for a failure's message
    for (int step = 0; step < 200; ++step) {
        ShowClass(classes[pick(classes.size())]);
        const std::vector<tagTABLE_NODE> nodes = Slots(0, 2);
        const tagTABLE_NODE slot = nodes[pick(nodes.size())];
        const std::size_t action = pick(11);
        done = zem::Format("%s\nstep %d: action %zu at %d-%d-%d of %s, records %d index %d", done.c_str(), step, action,
                           slot.day, slot.segment, slot.section, container.GetObjectId().c_str(), Count(), Index());
        switch (action) {
        case 0:
        case 1: {  // a move
            std::vector<tagTABLE_NODE> targets;
            for (const tagTABLE_NODE& to : nodes)
                if (CanSwap(to, slot))
                    targets.push_back(to);
            if (!targets.empty())
                UserMove(slot, targets[pick(targets.size())]);
            break;
        }
        case 2:  // a clear
            container.SetCurrentSlot(slot, 0);
            container.OnClear();
            break;
        case 3: {  // a placement of one of the class's plans
            std::vector<CCourseInfo*> plans;
            for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList()))
                if (plan->GetClassId() == container.GetObjectId())
                    plans.push_back(plan);
            CCourseInfo* plan = plans[pick(plans.size())];
            if (container.PlaceCourseAt(container.ToGridNode(slot), plan->GetId()))
                container.PlaceCourseById(plan->GetId());
            break;
        }
        case 4:
        case 5:
            container.Undo();
            break;
        case 6:
        case 7:
            container.Redo();
            break;
        case 8: {  // a room for the lesson, where one is free
            container.SetCurrentSlot(slot, Table().GetNode(slot).IsInterleave() ? 1 : 0);
            const std::vector<CRoomInfo*> rooms = ObjectsInOrder<CRoomInfo>(task->GetRoomInfoList());
            CRoomInfo* room = rooms[pick(rooms.size())];
            int index = -1;
            if (room->GetComplexTable().PickFree(true, slot, container.GetCurrentHalf(), index))
                container.SetRoom(room, Table().GetNode(slot).GetRoomId(container.GetCurrentHalf()));
            break;
        }
        case 9:
            container.SetCurrentSlot(slot, 0);
            container.ClearRoom();
            break;
        default:
            container.SetCurrentSlot(slot, 1);
            container.OnSwapOddEven();
            break;
        }
        changes = std::max(changes, Count());
        const ScheduleValidation now = ValidateSchedule(*task, true, checks);
        ASSERT_EQ(now.Count(), now.Count(kCheckRoomCapacity)) << done << "\n" << now.Text();
        ASSERT_LE(now.Count(kCheckRoomCapacity), initial.Count(kCheckRoomCapacity)) << "step " << step;
    }
    EXPECT_GT(changes, 20);
}

}  // namespace
