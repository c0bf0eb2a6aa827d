#include "base/ScheduleTask.h"

#include <gtest/gtest.h>

#include "support/SchoolBuilder.h"
#include "support/TableConsistency.h"

namespace {

using Lesson = CCourseTableNode::NodeData;

const tagTABLE_NODE kA{1, 0, 2};

TEST(Placing, HalvesOfOneCell)
{
    CScheduleTask task;
    CCourseTable table;
    CCourseTableNode& cell = table.GetNode(kA);

    task.SetTableNode(&table, "odd", "r", 0, kA, 1);
    EXPECT_EQ(table.GetValue(kA), 50);
    EXPECT_TRUE(cell.IsInterleave());
    task.SetTableNode(&table, "even", "", -1, kA, 2);
    EXPECT_EQ(table.GetValue(kA), 100);
    EXPECT_EQ(cell.GetCourseId(1), "odd");
    EXPECT_EQ(cell.data(1), Lesson("odd", "r", 0));
    EXPECT_EQ(cell.GetCourseId(2), "even");

    task.UnsetTableNode(&table, kA, 1);
    EXPECT_EQ(table.GetValue(kA), 50);
    EXPECT_TRUE(cell.IsInterleave());
    EXPECT_EQ(cell.GetCourseId(2), "even");
    task.UnsetTableNode(&table, kA, 2);
    EXPECT_EQ(table.GetValue(kA), 0);
    EXPECT_FALSE(cell.IsInterleave());

    // A whole-week lesson takes the whole cell, pushing out an even-week one.
    task.SetTableNode(&table, "even", "", -1, kA, 2);
    task.SetTableNode(&table, "whole", "r", 1, kA, 0);
    EXPECT_EQ(table.GetValue(kA), 100);
    EXPECT_FALSE(cell.IsInterleave());
    EXPECT_FALSE(cell.data(2).HasCourse());
    task.UnsetTableNode(&table, kA, 0);
    EXPECT_EQ(table.GetValue(kA), 0);
    EXPECT_EQ(cell, CCourseTableNode());

    // Null tables and nodes outside the grid are ignored.
    task.SetTableNode(nullptr, "x", "", -1, kA, 0);
    task.UnsetTableNode(nullptr, kA, 0);
    const CCourseTable before = table;
    for (const tagTABLE_NODE node : {tagTABLE_NODE{14, 0, 0}, tagTABLE_NODE{0, 5, 0}, tagTABLE_NODE{-1, 0, 0}}) {
        task.SetTableNode(&table, "x", "", -1, node, 1);
        task.UnsetTableNode(&table, node, 0);
    }
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                EXPECT_EQ(table.GetNode(day, segment, section), before.GetNode(day, segment, section));
                EXPECT_EQ(table.GetValue(day, segment, section), before.GetValue(day, segment, section));
            }
}

// A school whose plans k1..k6 each have their own class and teacher and share room r.
class PlacingSchool : public testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 1; i <= 6; ++i) {
            const std::string n = std::to_string(i);
            b.Class("c" + n, "班" + n);
            b.Teacher("t" + n, "师" + n);
            b.Course("k" + n, "c" + n, "s", "t" + n, "2.5", "r");
        }
        b.Subject("s", "物理");
        b.Teacher("helper", "助教");
        b.Assistant("k1", {"helper", "gone"});
    }

    CCourseInfo* K(int i) { return task.FindCourse("k" + std::to_string(i)); }
    const CCourseTableNode& RoomCell(int index, const tagTABLE_NODE& node, bool temp = false)
    {
        return task.GetRoom("r")->GetComplexTable().Enum(temp, index)->GetNode(node);
    }
    int ClassRoomIndex(int course, const tagTABLE_NODE& node, int half)
    {
        return task.GetClass("c" + std::to_string(course))->GetTable(false).GetNode(node).data(half).GetRoomIndex();
    }

    SchoolBuilder b;
    CScheduleTask& task = b.Task();
};

TEST_F(PlacingSchool, RoomOfCapacityThree)
{
    b.Room("r", "实验室", 3);
    struct Step {
        int course, oddEven, table;  // table -1: the room had no place left
    };
    const Step steps[] = {
        {1, 0, 0}, {2, 0, 1},
        {3, 1, 2},   // odd weeks in the last free place
        {4, 2, 2},   // even weeks beside it
        {5, 0, -1},  // all three places taken
        {6, 1, -1},
    };
    for (const Step& s : steps) {
        task.SetCourseNode(K(s.course), "r", false, kA, s.oddEven);
        const int half = s.oddEven == 2 ? 2 : 1;
        const Lesson& own = K(s.course)->GetTable(false).GetNode(kA).data(half);
        EXPECT_EQ(own, Lesson("k" + std::to_string(s.course), "r", s.table)) << "k" << s.course;
        EXPECT_EQ(ClassRoomIndex(s.course, kA, half), s.table);
        EXPECT_TRUE(TablesConsistent(task)) << "after k" << s.course;
    }
    EXPECT_EQ(RoomCell(2, kA).GetCourseId(1), "k3");
    EXPECT_EQ(RoomCell(2, kA).GetCourseId(2), "k4");
    EXPECT_EQ(task.GetRoom("r")->GetComplexTable().Enum(false, 2)->GetValue(kA), 100);
    EXPECT_EQ(task.GetTeacher("helper")->GetTable(false).GetNode(kA).data(1), Lesson("k1", "r", 0));
    // The committed tables were written, the working copies not.
    EXPECT_EQ(task.GetClass("c1")->GetTable(true).GetValue(kA), 0);
    EXPECT_EQ(RoomCell(0, kA, true), CCourseTableNode());
}

TEST_F(PlacingSchool, RoomPlaceIsNotTakenFromAnotherLesson)
{
    // An even-week lesson must not land beside a whole-week one, nor a whole-week lesson push out
    // an even-week one: either would book the place twice.
    b.Room("r", "实验室", 2);
    const tagTABLE_NODE kB{2, 1, 0};
    task.SetCourseNode(K(1), "r", true, kA, 0);
    task.SetCourseNode(K(2), "r", true, kA, 2);
    task.SetCourseNode(K(3), "r", true, kB, 2);
    task.SetCourseNode(K(4), "r", true, kB, 0);
    EXPECT_EQ(K(2)->GetTable(true).GetNode(kA).GetRoomIndex(2), 1);
    EXPECT_EQ(K(4)->GetTable(true).GetNode(kB).GetRoomIndex(1), 1);
    EXPECT_EQ(RoomCell(0, kB, true).GetCourseId(2), "k3");
    EXPECT_TRUE(TablesConsistent(task));
}

TEST_F(PlacingSchool, SameLessonWrittenTwiceKeepsOnePlace)
{
    for (const int capacity : {1, 2}) {
        for (const int oddEven : {0, 1, 2}) {
            SetUp();  // every object anew, with empty tables
            b.Room("r", "实验室", capacity);
            task.SetCourseNode(K(1), "r", false, kA, oddEven);
            task.SetCourseNode(K(1), "r", false, kA, oddEven);
            const int half = oddEven == 2 ? 2 : 1;
            int entries = 0;
            for (int i = 0; i < capacity; ++i)
                entries += RoomCell(i, kA).data(half).GetCourseId() == "k1" ? 1 : 0;
            EXPECT_EQ(entries, 1) << capacity << "/" << oddEven;
            EXPECT_EQ(K(1)->GetTable(false).GetNode(kA).GetRoomIndex(half), 0) << capacity << "/" << oddEven;
            EXPECT_TRUE(TablesConsistent(task)) << capacity << "/" << oddEven;
        }
    }
}

TEST_F(PlacingSchool, CombinedClassesShareOnePlace)
{
    b.Room("r", "大教室", 2);
    b.Combined("cc", {"", "k1", "k2"});  // an empty id matches no empty cell
    K(2)->SetTeacher("t1");               // one teacher for both classes
    task.SetCourseNode(K(1), "r", false, kA, 0);
    int index = -1;
    EXPECT_TRUE(task.IsRoomUsedForCC(task.GetRoom("r"), kA, 0, K(2), false, index));
    EXPECT_EQ(index, 0);
    task.SetCourseNode(K(2), "r", false, kA, 0);
    EXPECT_EQ(K(2)->GetTable(false).GetNode(kA).data(1), Lesson("k2", "r", 0));
    EXPECT_EQ(RoomCell(0, kA).GetCourseId(1), "k1");
    EXPECT_FALSE(RoomCell(1, kA).data(1).HasCourse());
    task.SetCourseNode(K(3), "r", false, kA, 0);  // not in the combined class: the second place
    EXPECT_EQ(K(3)->GetTable(false).GetNode(kA).GetRoomIndex(1), 1);
    EXPECT_TRUE(TablesConsistent(task));

    index = 7;
    EXPECT_FALSE(task.IsRoomUsedForCC(task.GetRoom("r"), kA, 2, K(2), false, index));  // other half
    EXPECT_FALSE(task.IsRoomUsedForCC(task.GetRoom("r"), kA, 0, K(2), true, index));   // other set
    EXPECT_FALSE(task.IsRoomUsedForCC(task.GetRoom("r"), kA, 0, K(4), false, index));  // no combined class
    EXPECT_FALSE(task.IsRoomUsedForCC(nullptr, kA, 0, K(2), false, index));
    EXPECT_FALSE(task.IsRoomUsedForCC(task.GetRoom("r"), kA, 0, nullptr, false, index));
    EXPECT_EQ(index, 7);
}

TEST_F(PlacingSchool, MissingObjectsAndBadNodes)
{
    // No room object, a class and teacher that are gone: the plan's own table still gets the lesson.
    K(1)->SetClass("none");
    K(1)->SetTeacher("none");
    task.SetCourseNode(K(1), "r", false, kA, 1);
    EXPECT_EQ(K(1)->GetTable(false).GetNode(kA).data(1), Lesson("k1", "r", -1));
    EXPECT_EQ(task.GetTeacher("helper")->GetTable(false).GetValue(kA), 50);

    task.SetCourseNode(nullptr, "r", false, kA, 0);
    b.Room("r", "实验室", 1);
    task.SetCourseNode(K(2), "r", false, {0, 0, 6}, 0);
    task.SetCourseNode(K(2), "r", false, {-3, 0, 0}, 0);
    EXPECT_EQ(RoomCell(0, {0, 0, 5}), CCourseTableNode());
    EXPECT_TRUE(TablesConsistent(task));
}

}  // namespace
