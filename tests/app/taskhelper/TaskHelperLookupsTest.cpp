// Lookups, texts, counts, the changes of teacher, room and assistants, and clearing timetables.
#include "support/HelperSchool.h"
#include "app/taskhelper/ExportTableItem.h"
#include "app/taskhelper/TaskHelperSlots.h"

#include "testing/generator/SchoolGenerator.h"
#include "platform/Files.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"

namespace {

using Lookups = HelperTest;

const tagTABLE_NODE kMon1{0, 0, 0};

}  // namespace

TEST_F(Lookups, ObjectsByIdAndName)
{
    b.Class("c9", "高一(1)班");
    CTaskHelper helper(&task);
    EXPECT_EQ(helper.FindClassIdByName("高一（1）班"), "c9");
    EXPECT_EQ(helper.FindClassIdByName("一班"), "c1");
    EXPECT_EQ(helper.FindClassIdByName("四班"), "");
    EXPECT_EQ(helper.FindObject("t1", -1), task.GetTeacher("t1"));
    EXPECT_EQ(helper.FindObject("r1", -1), task.GetRoom("r1"));
    EXPECT_EQ(helper.FindObject("t1", 0), nullptr);
    EXPECT_EQ(helper.GetRoomName("nowhere"), "");
    EXPECT_EQ(helper.GetPriorityIndex(), 1);
    EXPECT_EQ(CTaskHelper(nullptr).GetPriorityIndex(), 1);
    EXPECT_EQ(CTaskHelper(nullptr).FindCourse("p1"), nullptr);

    b.SelfStudy("e1", "c1", "s1", "t1", COURSE_TYPE_SELF_STUDY);
    std::vector<CCourseInfo*> plans;
    helper.GetAllCourses(&plans);
    ASSERT_EQ(plans.size(), 8u);
    EXPECT_EQ(plans.front()->GetId(), "p1");
    EXPECT_EQ(plans.back()->GetId(), "e1");
}

TEST_F(Lookups, TextsOfPlansAndSlots)
{
    Place("p2", kMon1, 1);
    Place("p3", kMon1, 2);
    CTaskHelper helper(&task);
    EXPECT_EQ(helper.GetCourseText(Plan("p1"), true), "一班 语文");
    EXPECT_EQ(helper.GetCourseText(Plan("p1"), false), "一班 语文(张老师)");
    EXPECT_EQ(helper.GetCourseText(nullptr, true), "");
    EXPECT_EQ(helper.GetNodeText(ClassTable("c1"), kMon1, 0), "数学,英语");
    EXPECT_EQ(helper.GetNodeText(ClassTable("c1"), kMon1, 2), "英语");
    EXPECT_EQ(helper.GetNodeText(nullptr, kMon1, 0), "");
    EXPECT_EQ(NodeToText({3, 1, 2}), "3-1-2");
}

// Half-used slots count half a lesson; the lessons of a plan's combined class count as its own.
TEST_F(Lookups, CountsOfLessons)
{
    b.Course("k1", "c1", "s4", "t3", "1");
    b.Course("k2", "c2", "s4", "t3", "1");
    b.Combined("kk", {"k1", "k2"});
    Place("p1", {0, 0, 1});
    Place("p1", {1, 0, 1}, 1);
    Place("k2", {2, 0, 0});
    CTaskHelper helper(&task);
    EXPECT_EQ(helper.GetWeekCount(ClassTable("c1")), CWeekCount(1, true));
    EXPECT_EQ(helper.CountCourseNodes("p1", ClassTable("c1"), 0), CWeekCount(1, true));
    EXPECT_EQ(helper.CountCourseNodes("k1", ClassTable("c2"), 0), CWeekCount(1, false));
    EXPECT_FALSE(helper.IsCourseComplete(Plan("p1"), ClassTable("c1")));
    Place("p1", {3, 0, 1});
    EXPECT_FALSE(helper.IsCourseComplete(Plan("p1"), ClassTable("c1")));
    Place("p1", {4, 0, 1});
    EXPECT_TRUE(helper.IsCourseComplete(Plan("p1"), ClassTable("c1")));
    EXPECT_TRUE(helper.HasLessons(ClassTable("c1")));
    EXPECT_FALSE(helper.HasLessons(ClassTable("c3")));
}

TEST_F(Lookups, SlotsShared)
{
    Place("p2", kMon1, 1);   // 一班 数学, odd weeks
    Place("q2", kMon1, 2);   // 二班 物理, even weeks
    Place("w1", {0, 0, 1});  // 三班 物理
    Place("p1", {0, 0, 1});  // 一班 语文
    CTaskHelper helper(&task);
    // Halves that fit together are no clash; two whole lessons are.
    EXPECT_FALSE(helper.HasTableConflict(ClassTable("c1"), ClassTable("c2")));
    EXPECT_TRUE(helper.HasTableConflict(ClassTable("c1"), ClassTable("c3")));
    EXPECT_TRUE(helper.IsOddEvenPair(Plan("p2"), Plan("q2"), kMon1));
    EXPECT_TRUE(helper.IsOddEvenPair(task.GetClass("c1"), task.GetClass("c2"), kMon1));
    EXPECT_FALSE(helper.IsOddEvenPair(Plan("p2"), Plan("p2"), kMon1));
    EXPECT_FALSE(helper.IsOddEvenPair(Plan("p1"), Plan("w1"), {0, 0, 1}));

    const CCourseTableNode& split = ClassTable("c1")->GetNode(kMon1);
    EXPECT_TRUE(helper.NodeHasCourse(split, "p2", false));
    EXPECT_FALSE(helper.NodeHasCourse(split, "q2", false));
    EXPECT_TRUE(helper.IsTeacherInNode(split, "t2"));
    EXPECT_FALSE(helper.IsTeacherInNode(split, "t1"));
}

TEST_F(Lookups, ObjectsOfASlot)
{
    b.Course("k1", "c1", "s4", "t3", "1", "r1");
    b.Course("k2", "c2", "s4", "t3", "1");
    b.Combined("kk", {"k1", "k2"});
    b.Assistant("k1", {"t2"});
    Place("k1", kMon1, 0, "r1");
    CTaskHelper helper(&task);
    std::vector<std::string> ids;
    helper.GetNodeObjectIds(ClassTable("c1")->GetNode(kMon1), 0, &ids);
    EXPECT_EQ(ids, (std::vector<std::string>{"c1", "t3", "c2", "t2", "r1"}));
    ids.clear();
    helper.GetNodeClassIds(ClassTable("c1")->GetNode(kMon1), &ids);
    EXPECT_EQ(ids, (std::vector<std::string>{"c1"}));
    EXPECT_TRUE(helper.NodeHasAnyCourse(ClassTable("c1")->GetNode(kMon1), {"x", "k2"}));
    EXPECT_TRUE(helper.IsRoomInNode(ClassTable("c1")->GetNode(kMon1), "r1"));
    EXPECT_TRUE(helper.CourseUsesRoom(Plan("k1"), "r1"));
    EXPECT_FALSE(helper.IsTeacherOfCourse(Plan("p1"), "t2"));
    EXPECT_TRUE(helper.IsTeacherOfCourse(Plan("k2"), "T2")) << "an assistant of the combined class";
    EXPECT_TRUE(helper.IsSameCombinedClass(Plan("k1"), Plan("k2")));
    EXPECT_FALSE(helper.IsSameCombinedClass(Plan("k1"), nullptr));
}

TEST_F(Lookups, ObjectLists)
{
    b.Group("g1", "理科组", {"t1", "t3"});
    CTaskHelper helper(&task);
    std::vector<std::unique_ptr<CExportTableItem>> items;
    helper.CreateTableItems({"c2", "g1", "nobody", "r1"}, &items);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0]->GetName(), "二班");
    EXPECT_EQ(items[0]->GetKind(), TABLE_CLASS);
    EXPECT_EQ(items[1]->GetId(), "t1");
    EXPECT_EQ(items[2]->GetName(), "王老师");
    EXPECT_EQ(items[2]->GetKind(), TABLE_TEACHER);
    EXPECT_EQ(items[3]->GetKind(), TABLE_ROOM);
    EXPECT_EQ(items[3]->GetTable(), &task.GetRoom("r1")->GetCombineTable(true));

    CZemObjectList list;
    auto* first = new CClassInfo;
    first->SetId("c1");
    list.Add(first);
    helper.CreateObjectList({"c1", "t2", "r1", "gone"}, &list);
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.Find("c1"), first);
    EXPECT_EQ(list.Find("t2")->GetName(), "李老师");
    EXPECT_EQ(list.Find("t2")->GetIndex(), 1);
    EXPECT_EQ(list.Find("r1")->GetIndex(), 2);
    EXPECT_NE(list.Find("t2"), task.GetTeacher("t2"));
}

TEST_F(Lookups, TeacherRoomAndAssistantChangesFollowTheLessons)
{
    Place("p1", kMon1);
    Place("p1", {1, 0, 2}, 2);
    CTaskHelper helper(&task);
    Plan("p1")->SetTeacher("t3");
    helper.ChangeTeacher(Plan("p1"), task.GetTeacher("t1"), task.GetTeacher("t3"));
    EXPECT_FALSE(helper.HasLessons(TeacherTable("t1")));
    EXPECT_EQ(TeacherTable("t3")->GetNode(kMon1).data(1).GetCourseId(), "p1");
    EXPECT_EQ(TeacherTable("t3")->GetNode({1, 0, 2}).data(2).GetCourseId(), "p1");

    helper.ApplyAssistantChange("p1", {"t2"});
    b.Assistant("p1", {"t2"});
    EXPECT_EQ(helper.GetWeekCount(TeacherTable("t2")), CWeekCount(1, true));
    helper.ApplyAssistantChange("p1", {});
    task.GetAssistantList().RemoveAll();
    EXPECT_FALSE(helper.HasLessons(TeacherTable("t2")));

    helper.ChangeRoom(Plan("p1"), kMon1, 0, "r1");
    EXPECT_TRUE(task.GetRoom("r1")->GetComplexTable().Enum(true, 0)->IsUsed(kMon1));
    EXPECT_EQ(ClassTable("c1")->GetNode(kMon1).data(1).GetRoomId(), "r1");
    EXPECT_TRUE(TablesConsistent(task));
}

// A combined class changes teacher as one when the plan already names the new teacher.
TEST_F(Lookups, CombinedClassChangesTeacherTogether)
{
    b.Course("k1", "c1", "s4", "t3", "1");
    b.Course("k2", "c2", "s4", "t3", "1");
    b.Combined("kk", {"k1", "k2"});
    CTaskHelper helper(&task);
    ASSERT_TRUE(helper.PlaceCourseWithPartners(ClassTable("c1"), Plan("k1"), "", kMon1, 0));
    Plan("k1")->SetTeacher("t2");
    helper.ChangeTeacher(Plan("k1"), task.GetTeacher("t3"), task.GetTeacher("t2"));
    EXPECT_EQ(Plan("k2")->GetTeacherId(), "t2");
    helper.ChangeTeacher(Plan("k2"), task.GetTeacher("t3"), task.GetTeacher("t2"));
    EXPECT_FALSE(helper.HasLessons(TeacherTable("t3")));
    EXPECT_TRUE(TeacherTable("t2")->IsUsed(kMon1));
    EXPECT_TRUE(TablesConsistent(task));
}

TEST_F(Lookups, RestoreTakesBackTheSavedTables)
{
    Place("p1", kMon1, 0, "r1");
    CTaskHelper helper(&task);
    helper.RestoreTempTables();
    EXPECT_FALSE(ClassTable("c1")->IsUsed(kMon1));
    EXPECT_FALSE(TeacherTable("t1")->IsUsed(kMon1));
    EXPECT_FALSE(Plan("p1")->GetTable(true).IsUsed(kMon1));
    EXPECT_FALSE(task.GetRoom("r1")->GetComplexTable().Enum(true, 0)->IsUsed(kMon1));
    EXPECT_FALSE(ClassTable("c1")->IsDirty());
    EXPECT_TRUE(TablesConsistent(task));
}

// Committing a series of edits makes the working tables the saved ones and writes them to the
// task's timetable file.
TEST_F(Lookups, SaveCommitsTheWorkingTables)
{
    TempFolder temp;
    std::string error;
    ASSERT_TRUE(zemgen::WriteTaskFolder(task, temp / "task/", "school", "", &error)) << error;
    Place("p1", kMon1, 0, "r1");
    MessageRecorder recorder;
    CTaskHelper helper(&task);
    EXPECT_TRUE(helper.SaveTempTables());
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(task.GetClass("c1")->GetTable(false).GetNode(kMon1).data(1).GetCourseId(), "p1");
    EXPECT_TRUE(task.GetTeacher("t1")->GetTable(false).IsUsed(kMon1));
    EXPECT_TRUE(task.GetRoom("r1")->GetComplexTable().Enum(false, 0)->IsUsed(kMon1));
    EXPECT_FALSE(ClassTable("c1")->IsDirty());
    EXPECT_TRUE(zem::FileExists(temp / "task/output.xml"));

    // What was saved is what a later undo goes back to.
    Place("p2", {1, 0, 0});
    helper.RestoreTempTables();
    EXPECT_TRUE(ClassTable("c1")->IsUsed(kMon1));
    EXPECT_FALSE(ClassTable("c1")->IsUsed({1, 0, 0}));
    EXPECT_TRUE(TablesConsistent(task));
}

// ---- Clearing ----

namespace {

class ClearTest : public HelperTest {
protected:
    ClearTest()
    {
        Place("p1", N(0, 0, 0));
        Place("p2", N(0, 0, 1));
        Place("q1", N(1, 0, 0));
        Place("p1", N(2, 0, 0), 1);
        Place("p2", N(2, 0, 0), 2);
        Place("w2", N(3, 0, 0), 0, "r1");
        // Each case starts again from these lessons.
        CommitTempTables(task);
    }
};

}  // namespace

TEST_F(ClearTest, EachScopeRemovesItsOwnLessonsWithTheirTeachersAndRooms)
{
    ASSERT_EQ(At("c1", N(2, 0, 0), 1), "p1");
    ASSERT_EQ(At("c1", N(2, 0, 0), 2), "p2");
    struct Slot {
        const char* classId;
        tagTABLE_NODE node;
        int half;
    };
    const std::vector<Slot> cells = {{"c1", N(0, 0, 0), 1}, {"c1", N(0, 0, 1), 1}, {"c2", N(1, 0, 0), 1},
                                     {"c1", N(2, 0, 0), 1}, {"c1", N(2, 0, 0), 2}, {"c3", N(3, 0, 0), 1}};
    struct Case {
        const char* what;
        int scope;
        std::vector<std::string> ids;
        std::vector<std::string> left;  // per slot above
    };
    const std::vector<Case> cases = {
        {"all", CTaskHelper::kClearAll, {}, {"", "", "", "", "", ""}},
        {"a class, both halves of its split slot", CTaskHelper::kClearClasses, {"c1"}, {"", "", "q1", "", "", "w2"}},
        {"a teacher, only the half that is his", CTaskHelper::kClearTeachers, {"t1"},
         {"", "p2", "", "", "p2", "w2"}},
        {"a room", CTaskHelper::kClearRooms, {"r1"}, {"p1", "p2", "q1", "p1", "p2", ""}},
        {"an id that is gone", CTaskHelper::kClearTeachers, {"t9"}, {"p1", "p2", "q1", "p1", "p2", "w2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTaskHelper helper(&task);
        helper.RestoreTempTables();
        helper.ClearTimetables(c.scope, c.ids);
        for (std::size_t i = 0; i < cells.size(); ++i)
            EXPECT_EQ(At(cells[i].classId, cells[i].node, cells[i].half), c.left[i]) << "slot " << i;
        EXPECT_TRUE(TablesConsistent(task));
    }
}
