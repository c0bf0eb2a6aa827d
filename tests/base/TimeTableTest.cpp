#include "base/TimeTable.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using NodeData = CCourseTableNode::NodeData;
using Ids = std::vector<std::string>;

constexpr tagTABLE_NODE kNode{3, 1, 2};

// Nodes that lie outside the grid in each coordinate, at both ends.
const tagTABLE_NODE kOutOfRange[] = {{14, 0, 0}, {-1, 0, 0}, {0, 5, 0}, {0, -1, 0}, {0, 0, 6}, {0, 0, -1}, {1000000, 0, 0}};

CCourseTableNode Cell(const char* course1, const char* course2, bool interleave)
{
    CCourseTableNode cell;
    cell.data(1) = NodeData(course1, std::string("R") + course1, 0);
    if (*course2)
        cell.data(2) = NodeData(course2, std::string("R") + course2, 1);
    cell.SetInterleave(interleave);
    return cell;
}

Ids CourseIds(const CCourseTableNode& cell, int half)
{
    Ids ids;
    cell.GetCourseIds(ids, half);
    return ids;
}

TEST(TimeTable, StatusPredicates)
{
    struct Case {
        CTimeTable::Status value;
        bool valid, invalid, full, half, used;
    };
    const Case cases[] = {
        {0, true, false, false, false, false},
        {50, false, false, false, true, true},
        {100, false, false, true, false, true},
        {-100, false, true, false, false, false},
    };
    for (const Case& c : cases) {
        CTimeTable table;
        table.SetValue(kNode, c.value);
        EXPECT_EQ(table.GetValue(3, 1, 2), c.value);
        EXPECT_EQ(table.IsValid(kNode), c.valid) << int(c.value);
        EXPECT_EQ(table.IsInvalid(3, 1, 2), c.invalid) << int(c.value);
        EXPECT_EQ(table.IsFullUsed(kNode), c.full) << int(c.value);
        EXPECT_EQ(table.IsHalfUsed(kNode), c.half) << int(c.value);
        EXPECT_EQ(table.IsUsed(kNode), c.used) << int(c.value);
    }
}

TEST(TimeTable, NodesOutsideTheGridAreNotAvailableAndNeverWritten)
{
    for (const tagTABLE_NODE& node : kOutOfRange) {
        CTimeTable table;
        table.SetValue(node, 100);
        table.SetValue(node.day, node.segment, node.section, 50);
        EXPECT_EQ(table.GetValue(node), CTimeTable::kInvalid) << node.day << node.segment << node.section;
        EXPECT_TRUE(table.IsInvalid(node.day, node.segment, node.section));
        for (int day = 0; day < zem::kDayCount; ++day)
            EXPECT_EQ(table.GetFreeNodeCount(day), 30) << "a write leaked into day " << day;
    }
    CTimeTable table;
    table.SetSectionValueByString(14, 0, "000000");
    table.SetSectionValueByString(0, 5, "000000");
    EXPECT_EQ(table.GetFreeNodeCount(13), 30);
    EXPECT_EQ(table.GetFreeNodeCount(14), 0);
    EXPECT_EQ(table.GetSectionStringOfSegment(0, 5), "000000");
}

TEST(TimeTable, DayCounts)
{
    CTimeTable table;
    table.SetValue(2, 0, 0, 100);
    table.SetValue(2, 1, 5, 50);
    table.SetValue(2, 2, 0, 100);  // night: counts as used, not as common
    table.SetValue(2, 4, 1, -100);
    EXPECT_EQ(table.GetFreeNodeCount(2), 26);
    EXPECT_EQ(table.GetCommonUsedNodeCount(2), 2);
    EXPECT_TRUE(table.IsDayUsed(2, 3));
    EXPECT_FALSE(table.IsDayUsed(2, 4));
    EXPECT_TRUE(table.IsDayUsed(5, 0));
    EXPECT_FALSE(table.IsDayUsed(5, 1));
}

TEST(TimeTable, SectionStrings)
{
    CTimeTable table;
    table.SetValue(0, 0, 1, 50);
    table.SetValue(0, 0, 2, 100);
    table.SetValue(0, 0, 3, -100);
    EXPECT_EQ(table.GetSectionStringOfSegment(0, 0), "100011");

    table.SetValue(0, 0, 4, 100);
    table.SetSectionValueByString(0, 0, "110");
    EXPECT_EQ(table.GetValue(0, 0, 0), 0);
    EXPECT_EQ(table.GetValue(0, 0, 1), 0);
    EXPECT_EQ(table.GetValue(0, 0, 2), -100);
    EXPECT_EQ(table.GetValue(0, 0, 3), -100);  // beyond the text: unchanged
    EXPECT_EQ(table.GetValue(0, 0, 4), 100);

    table.SetSectionValueByString(0, 1, "1x1111111");  // longer than six: the rest is ignored
    EXPECT_EQ(table.GetSectionStringOfSegment(0, 1), "101111");
    EXPECT_EQ(table.GetSectionStringOfSegment(0, 2), "111111");
}

TEST(TimeTable, DirtyFlag)
{
    CCourseTable table;
    table.SetValue(kNode, 100);
    table.Clear();
    EXPECT_FALSE(table.IsDirty());
    table.SetDirty(true);
    const CCourseTable copy(table);
    EXPECT_TRUE(copy.IsDirty());
    table.Clear();
    EXPECT_TRUE(table.IsDirty());
}

TEST(CourseTableNode, ClearWithAndWithoutCourse)
{
    CCourseTableNode cell = Cell("X", "X", true);
    cell.Combine(Cell("Y", "X", false));  // more data 1: Y, more data 2: X
    cell.Clear("X");
    EXPECT_EQ(cell.GetCourseId(1), "");
    EXPECT_EQ(cell.data(1).GetRoomIndex(), -1);
    EXPECT_EQ(cell.GetCourseId(2), "X");  // only the first half holding it is emptied
    EXPECT_TRUE(cell.IsInterleave());
    EXPECT_EQ(CourseIds(cell, 1), Ids{"Y"});
    EXPECT_FALSE(cell.HasMoreData(2));

    cell.Clear("never interned anywhere");
    EXPECT_EQ(CourseIds(cell, 2), Ids{"X"});

    cell.Clear();
    EXPECT_EQ(cell, CCourseTableNode());
    EXPECT_FALSE(cell.IsInterleave());
    EXPECT_FALSE(cell.HasMoreData(1));
}

TEST(CourseTableNode, HalvesFollowTheSplit)
{
    const CCourseTableNode whole = Cell("A", "B", false);
    const CCourseTableNode split = Cell("A", "B", true);
    for (int half : {0, 1}) {
        EXPECT_EQ(whole.GetCourseId(half), "A");
        EXPECT_EQ(split.GetCourseId(half), "A");
    }
    EXPECT_EQ(whole.GetCourseId(2), "A");  // not split: half 2 is not read
    EXPECT_EQ(whole.GetRoomId(2), "RA");
    EXPECT_EQ(whole.GetRoomIndex(2), 0);
    EXPECT_EQ(split.GetCourseId(2), "B");
    EXPECT_EQ(split.GetRoomId(2), "RB");
    EXPECT_EQ(split.GetRoomIndex(2), 1);
    EXPECT_EQ(whole.data(2).GetCourseId(), "B");  // data() addresses the half itself

    EXPECT_EQ(Cell("", "B", false).GetFirstValidCourseId(), "");
    EXPECT_EQ(Cell("", "B", true).GetFirstValidCourseId(), "B");
    EXPECT_EQ(split.GetFirstValidCourseId(), "A");
}

TEST(CourseTableNode, GetOddEven)
{
    CCourseTableNode split = Cell("A", "B", true);
    split.Combine(Cell("C", "D", true));
    CCourseTableNode whole = Cell("A", "", false);
    whole.Combine(Cell("C", "", false));
    struct Case {
        const CCourseTableNode* cell;
        const char* course;
        int expected;
    };
    const Case cases[] = {
        {&whole, "A", 0}, {&whole, "C", 0}, {&split, "A", 1}, {&split, "B", 2},
        {&split, "C", 1}, {&split, "D", 2}, {&split, "Z", 0}, {&split, "never interned either", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.cell->GetOddEven(c.course), c.expected) << c.course;
    // Half 2 is tested first.
    EXPECT_EQ(Cell("A", "A", true).GetOddEven("A"), 2);
}

TEST(CourseTableNode, CombineFillsEmptyHalvesThenMoreData)
{
    CCourseTableNode cell = Cell("A", "", false);
    CCourseTableNode other = Cell("B", "C", true);
    other.Combine(Cell("D", "", false));  // the other's more data is not taken over
    cell.Combine(other);
    EXPECT_TRUE(cell.IsInterleave());
    EXPECT_EQ(cell.GetCourseId(1), "A");
    EXPECT_EQ(cell.GetCourseId(2), "C");
    EXPECT_EQ(cell.GetRoomIndex(2), 1);
    EXPECT_EQ(CourseIds(cell, 1), (Ids{"A", "B"}));
    EXPECT_EQ(CourseIds(cell, 2), (Ids{"C"}));
    std::vector<NodeData*> more;
    cell.GetMoreData(more, 0);
    ASSERT_EQ(more.size(), 1u);
    EXPECT_EQ(more[0]->GetRoomId(), "RB");

    // Not split: half 2 reads as half 1, with more data 1.
    CCourseTableNode whole = Cell("A", "", false);
    whole.Combine(Cell("B", "", false));
    EXPECT_EQ(CourseIds(whole, 2), (Ids{"A", "B"}));
    Ids appended{"x"};
    EXPECT_EQ(whole.GetCourseIds(appended, 1), 3);  // appends and returns the new size

    cell.Combine(cell);  // halves only, as for any other cell
    EXPECT_EQ(CourseIds(cell, 1), (Ids{"A", "B", "A"}));
    EXPECT_EQ(CourseIds(cell, 2), (Ids{"C", "C"}));
}

TEST(CourseTableNode, CopiesOwnTheirMoreData)
{
    CCourseTableNode cell = Cell("A", "B", true);
    cell.Combine(Cell("C", "D", true));
    CCourseTableNode copy = cell;
    EXPECT_EQ(copy, cell);
    copy.Clear("C");
    EXPECT_NE(copy, cell);
    EXPECT_EQ(CourseIds(cell, 1), (Ids{"A", "C"}));

    CCourseTableNode assigned = Cell("Q", "", false);
    assigned = cell;
    EXPECT_EQ(assigned, cell);
    assigned = CCourseTableNode();
    EXPECT_FALSE(assigned.HasMoreData(1));

    struct Case {
        CCourseTableNode a, b;
        bool equal;
    };
    CCourseTableNode moreB = Cell("A", "", false);
    moreB.Combine(Cell("B", "", false));
    CCourseTableNode moreC = Cell("A", "", false);
    moreC.Combine(Cell("C", "", false));
    const Case cases[] = {
        {Cell("A", "", false), Cell("A", "", false), true},
        {Cell("A", "", false), Cell("A", "", true), false},
        {Cell("A", "", false), Cell("B", "", false), false},
        {Cell("A", "B", false), Cell("A", "", false), false},  // half 2 counts even when not split
        {moreB, moreB, true},
        {moreB, moreC, false},
        {moreB, Cell("A", "", false), false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].a == cases[i].b, cases[i].equal) << "case " << i;
}

TEST(CourseTable, NodesOutsideTheGridReadEmptyAndDiscardWrites)
{
    CCourseTable table;
    for (const tagTABLE_NODE& node : kOutOfRange) {
        CCourseTableNode& scratch = table.GetNode(node);
        scratch = Cell("A", "B", true);
        scratch.Combine(Cell("C", "", false));
        EXPECT_EQ(table.GetNode(node.day, node.segment, node.section), CCourseTableNode());
        const CCourseTable& constTable = table;
        EXPECT_EQ(constTable.GetNode(node), CCourseTableNode());
    }
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                ASSERT_EQ(table.GetNode(day, segment, section), CCourseTableNode());
}

TEST(CourseTable, CopyAndClear)
{
    CCourseTable table;
    const tagTABLE_NODE other{9, 4, 5};
    table.GetNode(kNode) = Cell("B", "C", true);
    table.SetValue(kNode, -100);
    table.GetNode(other) = Cell("A", "", false);
    table.GetNode(other).Combine(Cell("M", "", false));
    table.SetValue(other, 100);

    CCourseTable copy = table;
    copy.GetNode(other).Clear("M");
    copy.SetValue(other, 0);
    EXPECT_EQ(CourseIds(table.GetNode(other), 1), (Ids{"A", "M"}));
    EXPECT_EQ(table.GetValue(other), 100);
    copy = table;
    EXPECT_EQ(copy.GetNode(other), table.GetNode(other));

    table.Clear();
    EXPECT_EQ(table.GetNode(other), CCourseTableNode());
    EXPECT_EQ(table.GetValue(kNode), 0);
    EXPECT_EQ(CourseIds(copy.GetNode(other), 1), (Ids{"A", "M"}));
}

// Every slot of the two tables, cells and statuses, the same; the first difference fails.
void ExpectSameSlots(const CCourseTable& a, const CCourseTable& b)
{
    for (int slot = 0; slot < zem::kSlotCount; ++slot) {
        ASSERT_EQ(a.GetNodeOfSlot(slot), b.GetNodeOfSlot(slot)) << "slot " << slot;
        ASSERT_EQ(a.GetValues()[slot], b.GetValues()[slot]) << "slot " << slot;
    }
}

// Cells are made only when written: what was never written, cleared or copied from nothing reads
// exactly as a fresh cell, from every form of access.
TEST(CourseTable, UnwrittenClearedAndCopiedSlotsReadAsFreshCells)
{
    const CCourseTable fresh;
    CCourseTable table;
    const tagTABLE_NODE neighbour{kNode.day, kNode.segment, kNode.section + 1};
    table.GetNode(kNode) = Cell("A", "B", true);
    EXPECT_EQ(std::as_const(table).GetNode(neighbour), CCourseTableNode());
    EXPECT_EQ(table.GetNode(neighbour), CCourseTableNode());
    for (const int slot : {-1, zem::kSlotCount, zem::kSlotCount + 5})
        EXPECT_EQ(table.GetNodeOfSlot(slot), CCourseTableNode()) << slot;
    EXPECT_EQ(&table.GetNodeOfSlot(SlotOf(kNode)), &table.GetNode(kNode));

    // Written, then cleared by the cell and by the table.
    table.GetNode(kNode).Clear();
    ExpectSameSlots(table, fresh);
    table.GetNode(kNode).Combine(Cell("C", "", false));
    table.GetNode(kNode).Combine(Cell("D", "", false));
    table.GetNode(kNode).Clear("C");
    table.GetNode(kNode).Clear("D");
    ExpectSameSlots(table, fresh);
    table.GetNode(kNode) = Cell("E", "", false);
    table.Clear();
    ExpectSameSlots(table, fresh);
}

// A copy holds every cell that differs from a fresh one, even one without a course (a room alone,
// a split alone), and an assignment drops the target's cells that the source does not have.
TEST(CourseTable, CopiesAndAssignmentsKeepExactlyTheSourceCells)
{
    CCourseTable source;
    CCourseTableNode roomOnly;
    roomOnly.data(1).SetRoomId("R1");
    CCourseTableNode splitOnly;
    splitOnly.SetInterleave(true);
    CCourseTableNode indexOnly;
    indexOnly.data(2).SetRoomIndex(3);
    source.GetNode(0, 0, 0) = roomOnly;
    source.GetNode(13, 4, 5) = splitOnly;
    source.GetNode(7, 2, 0) = indexOnly;
    source.GetNode(kNode) = Cell("A", "", false);
    source.GetNode(kNode).Combine(Cell("M", "", false));
    source.SetValue(kNode, CTimeTable::kFullUsed);
    source.GetNode(1, 1, 1) = Cell("gone", "", false);
    source.GetNode(1, 1, 1).Clear();

    const CCourseTable copy = source;
    ExpectSameSlots(copy, source);
    EXPECT_EQ(CourseIds(copy.GetNode(kNode), 1), (Ids{"A", "M"}));

    CCourseTable target;
    target.GetNode(5, 0, 0) = Cell("X", "", false);
    target.GetNode(kNode) = Cell("Y", "Z", true);
    target = source;
    ExpectSameSlots(target, source);
    target = std::as_const(target);
    ExpectSameSlots(target, source);

    // The copies are independent of the source and of each other.
    target.GetNode(kNode).Clear("M");
    source.GetNode(0, 0, 0).Clear();
    EXPECT_EQ(CourseIds(copy.GetNode(kNode), 1), (Ids{"A", "M"}));
    EXPECT_EQ(copy.GetNode(0, 0, 0), roomOnly);
    EXPECT_EQ(target.GetNode(0, 0, 0), roomOnly);

    CCourseTable moved = std::move(target);
    EXPECT_EQ(moved.GetNode(0, 0, 0), roomOnly);
    target = CCourseTable();
    ExpectSameSlots(target, CCourseTable());
}

// Screens keep a pointer to the cell they show: it must stay good through clears and assignments
// of its table, whichever side had the cell.
TEST(CourseTable, ACellReferenceOutlivesClearsAndAssignments)
{
    const auto holding = [](const char* course) {
        CCourseTable table;
        table.GetNode(kNode) = Cell(course, "", false);
        return table;
    };
    CCourseTable table = holding("A");
    CCourseTableNode& held = table.GetNode(kNode);
    table.Clear();
    EXPECT_EQ(held, CCourseTableNode());
    table = holding("B");
    EXPECT_EQ(held, Cell("B", "", false));
    table = CCourseTable();
    EXPECT_EQ(held, CCourseTableNode());
    const CCourseTable other = holding("C");
    table = other;
    EXPECT_EQ(held, Cell("C", "", false));
    table = CCourseTable();
    table = other;
    held = Cell("D", "", false);
    EXPECT_EQ(table.GetNode(kNode), Cell("D", "", false));
    EXPECT_EQ(other.GetNode(kNode), Cell("C", "", false));
}

// A room with one parallel table per place, each holding what the test puts at kNode.
CComplexTable Room(std::vector<const char*> coursesAtNode, bool temp = true)
{
    CComplexTable room;
    room.Resize(static_cast<unsigned>(coursesAtNode.size()));
    for (int i = 0; i < static_cast<int>(coursesAtNode.size()); ++i) {
        if (!*coursesAtNode[i])
            continue;
        CCourseTable* table = room.Enum(temp, i);
        table->GetNode(kNode) = Cell(coursesAtNode[i], "", false);
        table->SetValue(kNode, 100);
    }
    return room;
}

TEST(ComplexTable, ResizeKeepsTheFirstTables)
{
    CComplexTable room = Room({"A", "B", "C"});
    room.Enum(false, 1)->SetValue(kNode, 50);
    room.Resize(2);
    ASSERT_EQ(room.GetCount(), 2u);
    EXPECT_EQ(room.Enum(true, 1)->GetNode(kNode).GetCourseId(0), "B");
    EXPECT_EQ(room.Enum(false, 1)->GetValue(kNode), 50);
    EXPECT_EQ(room.Enum(true, 2), nullptr);
    room.Resize(4);
    EXPECT_EQ(room.Enum(true, 0)->GetNode(kNode).GetCourseId(0), "A");
    EXPECT_EQ(room.Enum(true, 3)->GetNode(kNode), CCourseTableNode());
    EXPECT_EQ(room.Enum(true, -1), nullptr);
    room.Resize(0);
    EXPECT_EQ(room.GetCount(), 0u);
    EXPECT_EQ(room.Enum(false, 0), nullptr);
}

// A use is free for a whole-week lesson only with both halves empty, for an even-week one only
// where no whole-week lesson is.
TEST(ComplexTable, PickFreeAndPickUsed)
{
    CComplexTable room = Room({"A", "", "", ""});
    room.Enum(true, 1)->GetNode(kNode) = Cell("", "C", true);  // even half taken, odd half free
    room.Enum(true, 2)->GetNode(kNode) = Cell("D", "", true);  // odd half taken, even half free

    struct Case {
        int half;
        const char* course;
        int freeIndex;  // -1: none
        int usedIndex;
    };
    const Case cases[] = {
        {0, "A", 3, 0}, {1, "D", 1, 2}, {2, "C", 2, 1}, {2, "A", 2, -1}, {0, "Z", 3, -1}, {0, "never interned at all", 3, -1},
    };
    for (const Case& c : cases) {
        int index = 99;
        CCourseTable* table = room.PickFree(true, kNode, c.half, index);
        EXPECT_EQ(table, room.Enum(true, c.freeIndex)) << c.half << c.course;
        EXPECT_EQ(index, c.freeIndex < 0 ? 99 : c.freeIndex);

        index = 99;
        table = room.PickUsed(true, kNode, c.half, c.course, index);
        EXPECT_EQ(table, room.Enum(true, c.usedIndex)) << c.half << c.course;
        EXPECT_EQ(index, c.usedIndex < 0 ? 99 : c.usedIndex) << "a miss leaves the index alone";
        EXPECT_EQ(room.PickUsedTableIndex(true, kNode, c.half, c.course), c.usedIndex);
    }
    // The committed set is separate; out-of-range nodes and empty rooms give nothing.
    int index = 99;
    room.Enum(true, 3)->GetNode(kNode) = Cell("E", "", true);
    EXPECT_EQ(room.PickFree(true, kNode, 0, index), nullptr);
    EXPECT_EQ(room.PickUsed(false, kNode, 0, "A", index), nullptr);
    EXPECT_EQ(room.PickFree(false, kNode, 0, index), room.Enum(false, 0));
    EXPECT_EQ(room.PickFree(true, {14, 0, 0}, 0, index), nullptr);
    EXPECT_EQ(room.PickUsedTableIndex(true, {0, 0, 6}, 0, ""), -1);
    CComplexTable empty;
    EXPECT_EQ(empty.PickFree(true, kNode, 0, index), nullptr);
    EXPECT_EQ(empty.PickUsedTableIndex(true, kNode, 0, "A"), -1);
}

TEST(ComplexTable, CombineIntoOneTable)
{
    struct Case {
        std::vector<const char*> courses;
        CTimeTable::Status status;
        Ids half1;
    };
    const Case cases[] = {
        {{"A", ""}, 0, {"A"}},
        {{"A", "B"}, 100, {"A", "B"}},
        {{"", ""}, 0, {}},
        {{"A", "B", "C"}, 100, {"A", "B", "C"}},
    };
    for (const Case& c : cases) {
        const CComplexTable room = Room(c.courses);
        CCourseTable target;
        target.SetValue(0, 0, 0, -100);
        room.Combine(target, true);
        EXPECT_EQ(target.GetValue(kNode), c.status);
        EXPECT_EQ(CourseIds(target.GetNode(kNode), 1), c.half1);
        EXPECT_EQ(target.GetValue(0, 0, 0), -100) << "blocked slots stay blocked";
        EXPECT_EQ(target.GetValue(0, 0, 1), 0);
    }
    // Capacity 2, both places used: the second lesson is further data of half 1.
    CCourseTable target;
    Room({"A", "B"}).Combine(target, true);
    std::vector<NodeData*> more;
    target.GetNode(kNode).GetMoreData(more, 1);
    ASSERT_EQ(more.size(), 1u);
    EXPECT_EQ(more[0]->GetCourseId(), "B");

    // Only the chosen set is read, and a room without places changes nothing.
    CCourseTable untouched;
    Room({"A", "B"}).Combine(untouched, false);
    EXPECT_EQ(untouched.GetValue(kNode), 0);
    EXPECT_EQ(untouched.GetNode(kNode), CCourseTableNode());
    untouched.SetValue(kNode, 50);
    CComplexTable().Combine(untouched, true);
    EXPECT_EQ(untouched.GetValue(kNode), 50);
}

TEST(ComplexTable, ReadSaveAndAssign)
{
    CComplexTable room = Room({"A", "B"});
    room.SaveTemps();
    EXPECT_EQ(room.Enum(false, 1)->GetNode(kNode).GetCourseId(0), "B");
    room.Enum(true, 1)->GetNode(kNode).Clear();
    room.ReadTemps();
    EXPECT_EQ(room.Enum(true, 1)->GetNode(kNode).GetCourseId(0), "B");

    CComplexTable other = Room({"Z"});
    other = room;
    ASSERT_EQ(other.GetCount(), 2u);
    other.Enum(true, 0)->GetNode(kNode).Clear();
    EXPECT_EQ(room.Enum(true, 0)->GetNode(kNode).GetCourseId(0), "A");
}

}  // namespace
