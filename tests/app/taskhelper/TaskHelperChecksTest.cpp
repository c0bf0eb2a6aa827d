// Placement and swap rules: every refusal with its exact text, swaps of split and combined slots,
// and the moves they make.
#include "support/HelperSchool.h"

#include "base/ScheduleValidator.h"
#include "support/TempFolder.h"
#include "testing/generator/SchoolGenerator.h"

#include <functional>

namespace {

// Placing 一班 语文 (张老师) at Monday's first period, after the setup, is refused with the text.
struct Refusal {
    const char* name;
    std::function<void(HelperSchool&, SchoolBuilder&, CScheduleTask&)> setup;
    int part;
    const char* room;
    const char* text;
};

using Checks = HelperTest;

const tagTABLE_NODE kMon1{0, 0, 0};

}  // namespace

TEST_F(Checks, EveryRefusalOfAPlacementSaysWhy)
{
    const Refusal cases[] = {
        {"school-wide activity",
         [](HelperSchool&, SchoolBuilder&, CScheduleTask& t) {
             t.GetSchoolStructure().SetValue(kMon1, CTimeTable::kInvalid);
             t.GetActivities().AddActivity(kMon1, "升旗");
         },
         0, "", "周一上午第1节 是全校固定活动时间"},
        {"school-wide closed slot",
         [](HelperSchool&, SchoolBuilder&, CScheduleTask& t) {
             t.GetSchoolStructure().SetValue(kMon1, CTimeTable::kInvalid);
         },
         0, "", "周一上午第1节 是全校固定无课时间"},
        {"preset lesson there",
         [](HelperSchool& s, SchoolBuilder& b, CScheduleTask&) {
             b.Preset("p2", "0,");
             s.Place("p2", kMon1);
         },
         0, "", "周一上午第1节 是预排课设置"},
        {"class fixed time",
         [](HelperSchool&, SchoolBuilder& b, CScheduleTask& t) {
             b.FixedTime<CFixedTimeOfClass>(t.GetFixedTimeOfClassList(), "c1", "0,");
         },
         0, "", "周一上午第1节 是 一班 班级的固定无课时间"},
        {"subject fixed time",
         [](HelperSchool&, SchoolBuilder& b, CScheduleTask& t) {
             b.FixedTime<CFixedTimeOfSubject>(t.GetFixedTimeOfSubjectList(), "s1", "0,");
         },
         0, "", "周一上午第1节 是 语文 课程的固定无课时间"},
        {"teacher fixed time",
         [](HelperSchool&, SchoolBuilder& b, CScheduleTask& t) {
             b.FixedTime<CFixedTimeOfTeacher>(t.GetFixedTimeOfTeacherList(), "t1", "0,");
         },
         0, "", "周一上午第1节 是 张老师 老师的固定无课时间"},
        {"teacher group fixed time",
         [](HelperSchool&, SchoolBuilder& b, CScheduleTask& t) {
             b.Group("g1", "语文组", {"t1"});
             b.FixedTime<CFixedTimeOfTeacherGroup>(t.GetFixedTimeOfTeacherGroupList(), "g1", "0,");
         },
         0, "", "周一上午第1节 是 张老师 老师（语文组）的固定无课时间"},
        {"plan fixed time",
         [](HelperSchool&, SchoolBuilder& b, CScheduleTask& t) {
             b.FixedTime<CFixedTimeOfCourse>(t.GetFixedTimeOfCourseList(), "p1", "0,");
         },
         0, "", "周一上午第1节 是 一班 语文(张老师) 的教学计划固定无课时间"},
        {"mutually exclusive teachers",
         [](HelperSchool& s, SchoolBuilder& b, CScheduleTask&) {
             b.MutexTeachers("t1", {"t2"});
             s.Place("w2", kMon1);
         },
         0, "",
         "李老师 老师在 周一上午第1节 已经有课\n张老师 老师和 李老师 老师是互斥教师组，不能排在同一时间上课"},
        {"mutually exclusive subjects",
         [](HelperSchool& s, SchoolBuilder& b, CScheduleTask&) {
             b.MutexSubjects("m1", {"s1", "s3"});
             s.Place("p3", {0, 1, 2});
         },
         0, "", "在 周一下午第3节 已经安排了 英语 课程\n语文 和 英语 是互斥课程，不能安排在同一天"},
        {"busy teacher",
         [](HelperSchool& s, SchoolBuilder&, CScheduleTask&) { s.Place("q1", kMon1); }, 0, "",
         "张老师老师在 周一上午第1节 已经有课【二班 数学】"},
        {"busy teacher in odd weeks",
         [](HelperSchool& s, SchoolBuilder&, CScheduleTask&) { s.Place("q1", kMon1, 1); }, 0,
         "", "张老师老师在 周一上午第1节单周 已经有课【二班 数学】"},
        {"busy teacher in even weeks",
         [](HelperSchool& s, SchoolBuilder&, CScheduleTask&) { s.Place("q1", kMon1, 2); }, 0,
         "", "张老师老师在 周一上午第1节双周 已经有课【二班 数学】"},
        {"even-week lesson against even weeks",
         [](HelperSchool& s, SchoolBuilder&, CScheduleTask&) { s.Place("q1", kMon1, 2); }, 2,
         "", "张老师老师在 周一上午第1节双周 已经有课【二班 数学】"},
        {"room taken",
         [](HelperSchool& s, SchoolBuilder&, CScheduleTask&) { s.Place("q2", kMon1, 0, "r1"); },
         0, "r1", "实验室 教室在 周一上午第1节 已经有课【二班 物理】"},
        {"bigger room full",
         [](HelperSchool& s, SchoolBuilder&, CScheduleTask& t) {
             t.GetRoom("r1")->SetCapacity(2);
             s.Place("q2", kMon1, 0, "r1");
             s.Place("w1", kMon1, 0, "r1");
         },
         0, "r1", "实验室 教室在 周一上午第1节 已经排满【二班 物理，三班 物理】"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        // A fresh school per case.
        HelperSchool school;
        c.setup(school, school.b, school.task);
        CTaskHelper helper(&school.task);
        helper.SetText("before");
        EXPECT_FALSE(helper.CanPlaceCourse(school.ClassTable("c1"), kMon1, c.part, school.Plan("p1"), c.room));
        EXPECT_EQ(helper.GetText(), c.text);
    }
}

TEST_F(Checks, AllowedPlacementsLeaveTheTextAlone)
{
    // The lesson being replaced is the teacher's own; a room of two with one lesson takes another;
    // an odd-week lesson of the teacher leaves the even weeks free.
    Place("p1", N(0, 0, 1));
    task.GetRoom("r1")->SetCapacity(2);
    Place("q2", N(0, 0, 2), 0, "r1");
    Place("q1", N(0, 0, 3), 1);
    CTaskHelper helper(&task);
    helper.SetText("kept");
    EXPECT_TRUE(helper.CanPlaceCourse(ClassTable("c1"), N(0, 0, 1), 0, Plan("p1"), ""));
    EXPECT_TRUE(helper.CanPlaceCourse(ClassTable("c1"), N(0, 0, 2), 0, Plan("p1"), "r1"));
    EXPECT_TRUE(helper.CanPlaceCourse(ClassTable("c1"), N(0, 0, 3), 2, Plan("p1"), ""));
    EXPECT_EQ(helper.GetText(), "kept");
}

TEST_F(Checks, InvalidArgumentsAndKindsOfLesson)
{
    CTaskHelper helper(&task);
    EXPECT_FALSE(helper.CanPlaceCourse(ClassTable("c1"), N(0, 0, 0), 0, nullptr, ""));
    EXPECT_EQ(helper.GetText(), "无效的参数");
    EXPECT_FALSE(helper.IsPreset(nullptr, N(0, 0, 0), 0));
    EXPECT_EQ(helper.GetText(), "无效的参数");
    b.Course("x1", "c1", "s1", "nobody");
    EXPECT_FALSE(helper.CanPlaceCourse(ClassTable("c1"), N(0, 0, 0), 0, Plan("x1"), ""));
    EXPECT_EQ(helper.GetText(), "无效的参数");

    CCourseInfo* reading = b.SelfStudy("m1", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING);
    EXPECT_FALSE(helper.CanPlaceCourse(ClassTable("c1"), N(0, 0, 0), 0, reading, ""));
    EXPECT_EQ(helper.GetText(), "教学计划类型和位置不匹配");
    EXPECT_FALSE(helper.CanPlaceCourse(ClassTable("c1"), N(0, 3, 0), 0, Plan("p1"), ""));
    EXPECT_EQ(helper.GetText(), "教学计划类型和位置不匹配");
}

// A combined class of two plans lets a teacher's lesson in the partner class pass only in a swap,
// where the partner class's slot moves away with it. A direct placement must not book the teacher twice.
TEST_F(Checks, TwoPlanCombinedClassExceptionHoldsOnlyInSwaps)
{
    b.Course("cc1", "c1", "s4", "t1", "1");
    b.Course("cc2", "c2", "s4", "t2", "1");
    b.Combined("k1", {"cc1", "cc2"});
    Place("q1", N(0, 0, 0));  // 张老师 in 二班

    CTaskHelper helper(&task);
    EXPECT_FALSE(helper.CanPlaceCourse(ClassTable("c1"), N(0, 0, 0), 0, Plan("cc1"), ""));
    EXPECT_EQ(helper.GetText(), "张老师老师在 周一上午第1节 已经有课【二班 数学】");

    // The same lesson reached by swapping the combined slot with 二班's 数学.
    Place("cc1", N(0, 0, 1));
    Place("cc2", N(0, 0, 1));
    Place("p3", N(0, 0, 0));
    EXPECT_TRUE(helper.CanSwap(ClassTable("c1"), N(0, 0, 1), N(0, 0, 0), false)) << helper.GetText();
    helper.MoveNode(ClassTable("c1"), N(0, 0, 1), N(0, 0, 0), nullptr, nullptr);
    EXPECT_EQ(At("c1", N(0, 0, 0)), "cc1");
    EXPECT_EQ(At("c2", N(0, 0, 0)), "cc2");
    EXPECT_EQ(At("c2", N(0, 0, 1)), "q1");
    EXPECT_EQ(TeacherTable("t1")->GetNode(N(0, 0, 0)).data(1).GetCourseId(), "cc1");
    EXPECT_EQ(TeacherTable("t1")->GetNode(N(0, 0, 1)).data(1).GetCourseId(), "q1");
    EXPECT_TRUE(TablesConsistent(task));
}

TEST_F(Checks, SwapRefusals)
{
    Place("p1", N(0, 0, 0));
    Place("p1", N(1, 0, 0));
    CTaskHelper helper(&task);
    helper.SetText("before");
    EXPECT_FALSE(helper.CanSwap(ClassTable("c1"), N(0, 0, 0), N(0, 0, 0), false));
    EXPECT_EQ(helper.GetText(), "");
    EXPECT_FALSE(helper.CanSwap(ClassTable("c1"), N(0, 0, 0), N(1, 0, 0), false));
    EXPECT_EQ(helper.GetText(), "这两个节次的内容是一样的，调换没有意义");
    EXPECT_FALSE(helper.CanSwap(ClassTable("c1"), N(2, 0, 0), N(3, 0, 0), false));
    EXPECT_EQ(helper.GetText(), "这两个节次的内容是一样的，调换没有意义");

    task.GetSchoolStructure().SetSectionNodeMaxCount(3, 2, true);
    b.SelfStudy("m1", "c1", "s3", "t3", COURSE_TYPE_MORNING_READING, "2");
    Place("m1", N(0, 3, 0));
    EXPECT_FALSE(helper.CanSwap(ClassTable("c1"), N(0, 3, 0), N(2, 0, 1), false));
    EXPECT_EQ(helper.GetText(), "早读、晚自习和普通教学计划之间不能交换位置");
    EXPECT_TRUE(helper.CanSwap(ClassTable("c1"), N(0, 3, 0), N(0, 3, 1), false)) << helper.GetText();

    // A preset lesson stays where it is.
    b.Preset("p1", "100,");
    CTaskHelper fresh(&task);
    EXPECT_FALSE(fresh.CanSwap(ClassTable("c1"), N(1, 0, 0), N(1, 0, 1), false));
    EXPECT_EQ(fresh.GetText(), "周二上午第1节 是预排课设置");
}

// A split slot moves with both halves; each half must fit where it goes.
TEST_F(Checks, SplitSlotsSwapBothWeekParts)
{
    Place("p2", N(0, 0, 0), 1);  // 李老师, odd weeks
    Place("p3", N(0, 0, 0), 2);  // 王老师, even weeks
    Place("p1", N(0, 0, 1));
    Place("w1", N(0, 0, 1));     // 王老师 busy there in 三班
    CTaskHelper helper(&task);
    EXPECT_TRUE(helper.CanSwapPart(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), 1, false)) << helper.GetText();
    EXPECT_FALSE(helper.CanSwap(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), false));
    EXPECT_EQ(helper.GetText(), "王老师老师在 周一上午第2节 已经有课【三班 物理】");

    helper.MoveNode(ClassTable("c3"), N(0, 0, 1), N(0, 0, 2), nullptr, nullptr);
    ASSERT_TRUE(helper.CanSwap(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), false)) << helper.GetText();
    helper.MoveNode(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), nullptr, nullptr);
    const CCourseTableNode& moved = ClassTable("c1")->GetNode(N(0, 0, 1));
    EXPECT_TRUE(moved.IsInterleave());
    EXPECT_EQ(moved.data(1).GetCourseId(), "p2");
    EXPECT_EQ(moved.data(2).GetCourseId(), "p3");
    EXPECT_EQ(At("c1", N(0, 0, 0)), "p1");
    EXPECT_TRUE(ClassTable("c1")->IsFullUsed(N(0, 0, 1)));
    EXPECT_TRUE(TeacherTable("t3")->IsHalfUsed(N(0, 0, 1)));
    EXPECT_TRUE(TablesConsistent(task));
}

class CombinedSwaps : public HelperTest {
public:
    CombinedSwaps()
    {
        // 一班 and 二班 have 物理 together with 王老师.
        b.Course("k1", "c1", "s4", "t3", "1");
        b.Course("k2", "c2", "s4", "t3", "1");
        b.Combined("kk", {"k1", "k2"});
        Place("k1", N(0, 0, 0));
        Place("k2", N(0, 0, 0));
        Place("p1", N(0, 0, 1));
        Place("q1", N(1, 0, 1));
    }
};

TEST_F(CombinedSwaps, APartnerConflictRefusesTheWholeSwap)
{
    // 二班 英语 (李老师) would go to the combined slot, where 李老师 teaches 三班.
    b.Course("q3", "c2", "s3", "t2", "1");
    Place("q3", N(0, 0, 1));
    Place("w2", N(0, 0, 0));
    CTaskHelper helper(&task);
    EXPECT_FALSE(helper.CanSwap(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), false));
    EXPECT_EQ(helper.GetText(), "合班课程(二班 有冲突)\n李老师老师在 周一上午第1节 已经有课【三班 语文】");
    // Checked by itself the class's own swap is fine.
    EXPECT_TRUE(helper.CanSwap(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), true)) << helper.GetText();
}

TEST_F(CombinedSwaps, APartnerClassMovesWithTheSwap)
{
    CTaskHelper helper(&task);
    ASSERT_TRUE(helper.CanSwap(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), false)) << helper.GetText();
    std::vector<std::string> touched;
    bool partners = false;
    helper.MoveNode(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), &touched, &partners);
    EXPECT_TRUE(partners);
    EXPECT_EQ(touched, (std::vector<std::string>{"c1", "c2"}));
    EXPECT_EQ(At("c1", N(0, 0, 1)), "k1");
    EXPECT_EQ(At("c2", N(0, 0, 1)), "k2");
    EXPECT_EQ(At("c1", N(0, 0, 0)), "p1");
    EXPECT_FALSE(ClassTable("c2")->IsUsed(N(0, 0, 0)));
    EXPECT_TRUE(TablesConsistent(task));
}

// The teacher of the combined lesson also teaches the lesson it swaps with: the partner class's
// move must not take that lesson out of the teacher's timetable.
TEST_F(CombinedSwaps, ATeacherOfBothSwappedLessonsKeepsBoth)
{
    b.Course("p4", "c1", "s2", "t3", "1");
    CTaskHelper helper(&task);
    helper.MoveNode(ClassTable("c1"), N(0, 0, 1), N(2, 0, 0), nullptr, nullptr);
    Place("p4", N(0, 0, 1));
    ASSERT_TRUE(helper.CanSwap(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), false)) << helper.GetText();
    helper.MoveNode(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), nullptr, nullptr);
    EXPECT_EQ(TeacherTable("t3")->GetNode(N(0, 0, 0)).data(1).GetCourseId(), "p4");
    EXPECT_TRUE(TeacherTable("t3")->IsUsed(N(0, 0, 1)));
    EXPECT_TRUE(TablesConsistent(task));
}

// A combined half lesson takes the partner class's whole slot along, the partner's other half
// too: that lesson's teacher must be free where it goes.
TEST_F(CombinedSwaps, ThePartnersOtherHalfIsChecked)
{
    b.Course("h1", "c1", "s3", "t3", "0.5");
    b.Course("h2", "c2", "s3", "t3", "0.5");
    b.Combined("hh", {"h1", "h2"});
    b.Course("y1", "c1", "s2", "t2", "0.5");
    b.Course("y2", "c2", "s1", "t1", "0.5");
    b.Course("x3", "c3", "s2", "t1", "1");
    Place("h1", N(2, 0, 0), 1);
    Place("y1", N(2, 0, 0), 2);
    Place("h2", N(2, 0, 0), 1);
    Place("y2", N(2, 0, 0), 2);
    Place("x3", N(2, 0, 1));
    CTaskHelper helper(&task);
    EXPECT_FALSE(helper.CanSwap(ClassTable("c1"), N(2, 0, 0), N(2, 0, 1), false));
    EXPECT_EQ(helper.GetText(), "合班课程(二班 有冲突)\n张老师老师在 周三上午第2节 已经有课【三班 数学】");
    EXPECT_TRUE(helper.CanSwap(ClassTable("c1"), N(2, 0, 0), N(2, 0, 2), false)) << helper.GetText();
    helper.MoveNode(ClassTable("c1"), N(2, 0, 0), N(2, 0, 2), nullptr, nullptr);
    EXPECT_EQ(At("c2", N(2, 0, 2), 2), "y2");
    EXPECT_TRUE(TablesConsistent(task));
}

// 二班's lesson at the other slot is itself combined with 三班: all three classes move together,
// and a conflict of 三班 refuses the swap.
TEST_F(CombinedSwaps, ChainsOfCombinedClassesMoveAndAreCheckedAsOne)
{
    b.Course("j2", "c2", "s3", "t2", "1");
    b.Course("j3", "c3", "s3", "t2", "1");
    b.Combined("jj", {"j2", "j3"});
    Place("j2", N(0, 0, 1));
    Place("j3", N(0, 0, 1));
    b.Course("x3", "c3", "s2", "t2", "1");
    Place("x3", N(0, 0, 0));

    b.FixedTime<CFixedTimeOfClass>(task.GetFixedTimeOfClassList(), "c3", "0,");
    {
        CTaskHelper fresh(&task);
        EXPECT_FALSE(fresh.CanSwap(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), false));
        EXPECT_EQ(fresh.GetText(), "合班课程(三班 有冲突)\n周一上午第1节 是 三班 班级的固定无课时间");
    }
    task.GetFixedTimeOfClassList().RemoveAll();
    CTaskHelper fresh(&task);
    ASSERT_TRUE(fresh.CanSwap(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), false)) << fresh.GetText();
    std::vector<std::string> touched;
    fresh.MoveNode(ClassTable("c1"), N(0, 0, 0), N(0, 0, 1), &touched, nullptr);
    EXPECT_EQ(touched, (std::vector<std::string>{"c1", "c2", "c3"}));
    EXPECT_EQ(At("c2", N(0, 0, 0)), "j2");
    EXPECT_EQ(At("c3", N(0, 0, 0)), "j3");
    EXPECT_EQ(At("c3", N(0, 0, 1)), "x3");
    EXPECT_TRUE(TablesConsistent(task));
}

// Placing a combined lesson checks each partner where it goes; one that may not go there stops
// the whole placement.
TEST_F(CombinedSwaps, PlacingWithPartnersChecksThePartners)
{
    Place("w2", N(3, 0, 0));  // 李老师 in 三班
    b.Course("h1", "c1", "s3", "t1", "1");
    b.Course("h2", "c2", "s3", "t2", "1");
    b.Combined("hh", {"h1", "h2"});
    CTaskHelper helper(&task);
    EXPECT_FALSE(helper.PlaceCourseWithPartners(ClassTable("c1"), Plan("h1"), "", N(3, 0, 0), 0));
    EXPECT_EQ(helper.GetText(), "合班课程(二班 有冲突)\n李老师老师在 周四上午第1节 已经有课【三班 语文】");
    EXPECT_FALSE(ClassTable("c1")->IsUsed(N(3, 0, 0)));
    EXPECT_FALSE(ClassTable("c2")->IsUsed(N(3, 0, 0)));

    EXPECT_TRUE(helper.PlaceCourseWithPartners(ClassTable("c1"), Plan("h1"), "", N(3, 0, 1), 0));
    EXPECT_EQ(At("c1", N(3, 0, 1)), "h1");
    EXPECT_EQ(At("c2", N(3, 0, 1)), "h2");
    helper.RemoveCourseWithPartners(ClassTable("c1"), &ClassTable("c1")->GetNode(N(3, 0, 1)), N(3, 0, 1), 0);
    EXPECT_FALSE(ClassTable("c1")->IsUsed(N(3, 0, 1)));
    EXPECT_FALSE(ClassTable("c2")->IsUsed(N(3, 0, 1)));
    EXPECT_TRUE(TablesConsistent(task));
}

// A task may come from its files with a teacher or a room booked twice at one time (张老师 in 一班
// and 二班, 实验室 for 一班 and 三班): the teacher's cell holds the lesson read last, the room's one
// place the lesson read first. Either lesson moved by hand away from there, the timetables kept
// are those the saved file gives back.
TEST_F(Checks, ADoubleBookingTheTaskCameWithIsSavedAsItIsKept)
{
    TempFolder folder;
    std::string error;
    ASSERT_TRUE(zemgen::WriteTaskFolder(task, folder / "task/", "school", "", &error)) << error;
    const std::vector<std::pair<std::string, std::string>> teacher = {{"p1", ""}, {"q1", ""}};
    const std::vector<std::pair<std::string, std::string>> room = {{"p2", "r1"}, {"w1", "r1"}};
    const struct Case {
        const char* name;
        const std::vector<std::pair<std::string, std::string>>& lessons;  // plan, room
        const char* movedClass;
    } cases[] = {
        {"the lesson the teacher's cell holds", teacher, "c2"},
        {"the teacher's other lesson", teacher, "c1"},
        {"the lesson with the room's place", room, "c1"},
        {"the room's other lesson", room, "c3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTaskHelper(&task).ClearTimetables(CTaskHelper::kClearAll, {});
        for (const auto& [plan, where] : c.lessons)
            Place(plan, kMon1, 0, where);
        ASSERT_TRUE(CTaskHelper(&task).SaveTempTables());
        CScheduleTask opened;
        ASSERT_TRUE(opened.Open(task.GetTaskInfo().GetTaskFile()));
        CTaskHelper helper(&opened);
        helper.RestoreTempTables();
        ASSERT_TRUE(
            helper.SwapByHand(&opened.GetClass(c.movedClass)->GetTable(true), N(0, 0, 1), kMon1, nullptr, nullptr))
            << helper.GetText();
        ASSERT_TRUE(helper.SaveTempTables());
        CScheduleTask reopened;
        ASSERT_TRUE(reopened.Open(task.GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
        const ScheduleValidation differences = CompareTimetables(opened, reopened);
        EXPECT_TRUE(differences.IsClean()) << differences.Text();
    }
}

TEST_F(Checks, TeacherChangeReasons)
{
    Place("p1", N(1, 0, 0));
    Place("p1", N(2, 0, 0));
    Place("q2", N(2, 0, 0));  // 王老师 busy at the later lesson
    b.FixedTime<CFixedTimeOfTeacher>(task.GetFixedTimeOfTeacherList(), "t3", "100,200,");
    CTaskHelper helper(&task);
    int reason = -1;
    // The first lesson in time order decides: a fixed time.
    EXPECT_FALSE(helper.CheckTeacherChange(Plan("p1"), task.GetTeacher("t3"), &reason));
    EXPECT_EQ(reason, 1);
    EXPECT_EQ(helper.GetText(), "一班的语文在 周二上午第1节 已经排课，而该时间是 王老师 老师的固定无课时间。"
                                "您可以调整固定无课时间的设置，再修改教师。");
    // A busy teacher outranks a fixed time at the same slot.
    static_cast<CFixedTimeOfObject*>(task.GetFixedTimeOfTeacherList().Find("t3"))->ReadFixedTimeFromString("200,");
    CTaskHelper fresh(&task);
    EXPECT_FALSE(fresh.CheckTeacherChange(Plan("p1"), task.GetTeacher("t3"), &reason));
    EXPECT_EQ(reason, 0);
    EXPECT_EQ(fresh.GetText(),
              "一班的语文在 周三上午第1节 已经排课，而 王老师 老师在该时间也已经有课。时间冲突。\n");

    b.Group("g1", "英语组", {"t2"});
    b.FixedTime<CFixedTimeOfTeacherGroup>(task.GetFixedTimeOfTeacherGroupList(), "g1", "100,");
    CTaskHelper grouped(&task);
    reason = -1;
    EXPECT_FALSE(grouped.CheckTeacherChange(Plan("p1"), task.GetTeacher("t2"), &reason));
    EXPECT_EQ(reason, 2);
    EXPECT_EQ(grouped.GetText(), "一班的语文在 周二上午第1节 已经排课，而该时间是 李老师 老师所在教师组（英语组）的"
                               "固定无课时间。您可以调整教师组固定无课时间的设置，再修改教师。");
    // The plan's own teacher is no change at all.
    reason = -1;
    EXPECT_TRUE(grouped.CheckTeacherChange(Plan("p1"), task.GetTeacher("t1"), &reason));
    EXPECT_EQ(reason, -1);

    // A teacher exclusive to the new one teaching at a lesson's time refuses it, as a placement by
    // hand does; an assistant joins the plan's teacher, who stays, so that teacher counts too.
    b.Teacher("t4", "赵老师");
    b.MutexTeachers("t4", {"t2", "t1"});
    Place("w2", N(1, 0, 0));
    Place("q1", N(4, 0, 0));
    CTaskHelper exclusive(&task);
    EXPECT_FALSE(exclusive.CheckTeacherChange(Plan("p1"), task.GetTeacher("t4"), &reason));
    EXPECT_EQ(reason, 3);
    EXPECT_EQ(exclusive.GetText(), "李老师 老师在 周二上午第1节 已经有课\n赵老师 老师和 李老师 老师是互斥教师组，"
                                   "不能排在同一时间上课");
    CTaskHelper leaving(&task);
    EXPECT_TRUE(leaving.CheckTeacherChange(Plan("q1"), task.GetTeacher("t4"), &reason));
    EXPECT_FALSE(leaving.CheckTeacherChange(Plan("q1"), task.GetTeacher("t4"), &reason, false));
    EXPECT_EQ(reason, 3);
}
