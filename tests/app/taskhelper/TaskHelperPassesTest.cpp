// The passes the engine calls back after a try: lost lessons placed strictly (moving other lessons
// out of the way) and relaxed, main courses moved forward and teachers' lessons brought together.
#include "app/taskhelper/TaskHelperCallback.h"
#include "support/HelperSchool.h"

#include "base/Log.h"
#include "core/Core.h"
#include "platform/Files.h"
#include "support/TempFolder.h"

namespace {

// A short week: Monday and Tuesday with two forenoon periods, nothing else.
class Passes : public HelperTest {
public:
    Passes()
    {
        CSchoolStructure& week = task.GetSchoolStructure();
        for (int day = 2; day < zem::kDayCount; ++day)
            week.SetWeekDay(day, false);
        week.SetSectionNodeMaxCount(0, 2, true);
        week.SetSectionNodeMaxCount(1, 0, true);
        week.RefreshData();
        b.Course("p4", "c1", "s4", "t3", "1");
    }

    CReportInfo::CourseLostMap& Lost() { return task.GetLastReportInfo().GetTempCourseLostInfo(); }

    // Whether the plan has at most one lesson a day.
    bool OnePerDay(const std::string& planId)
    {
        const CCourseTable& own = Plan(planId)->GetTable(true);
        for (int day = 0; day < 2; ++day)
            if (own.IsDayUsed(day, 2))
                return false;
        return true;
    }
};

const tagTABLE_NODE kMon1{0, 0, 0}, kMon2{0, 0, 1}, kTue1{1, 0, 0}, kTue2{1, 0, 1};

}  // namespace

TEST_F(Passes, NothingLostNothingChanges)
{
    Place("p1", kMon1);
    Place("p2", kTue1);
    const CCourseTable before = *ClassTable("c1");
    CTaskHelper helper(&task);
    helper.PlaceLostCourses();
    task.GetTaskSetting().SetStrictDistribution(false);
    helper.PlaceLostCoursesRelaxed();
    EXPECT_TRUE(ClassTable("c1")->GetNode(kMon2) == before.GetNode(kMon2));
    EXPECT_FALSE(ClassTable("c1")->IsUsed(kMon2));
    EXPECT_FALSE(ClassTable("c1")->IsUsed(kTue2));
    EXPECT_TRUE(Lost().empty());
}

// 一班's only free period is on Monday, where 语文 already is: 英语 moves there from Tuesday and
// 语文 takes its place.
TEST_F(Passes, StrictPlacingMovesAnotherLessonOutOfTheWay)
{
    Place("p1", kMon1);
    Place("p3", kTue1);
    Place("p4", kTue2);
    Lost()["p1"] = CWeekCount(1, false);
    CTaskHelper helper(&task);
    helper.PlaceLostCourses();
    EXPECT_TRUE(Lost().empty());
    EXPECT_EQ(At("c1", kTue1), "p1");
    EXPECT_EQ(At("c1", kMon2), "p3");
    EXPECT_TRUE(OnePerDay("p1"));
    EXPECT_TRUE(TablesConsistent(task));
}

// Neither Tuesday lesson can go to the free Monday period and 语文 cannot go to the first Tuesday
// period; two moves in a row make room: 数学 to Monday, 英语 into its place, 语文 to 英语's.
TEST_F(Passes, StrictPlacingChainsTwoMoves)
{
    Place("p1", kMon1);
    Place("p2", kTue1);
    Place("p3", kTue2);
    b.FixedTime<CFixedTimeOfTeacher>(task.GetFixedTimeOfTeacherList(), "t1", "100,");
    b.FixedTime<CFixedTimeOfTeacher>(task.GetFixedTimeOfTeacherList(), "t3", "1,");
    Lost()["p1"] = CWeekCount(1, false);
    CTaskHelper helper(&task);
    helper.PlaceLostCourses();
    EXPECT_TRUE(Lost().empty());
    EXPECT_EQ(At("c1", kMon2), "p2");
    EXPECT_EQ(At("c1", kTue1), "p3");
    EXPECT_EQ(At("c1", kTue2), "p1");
    EXPECT_TRUE(TablesConsistent(task));
}

// 语文 may take 英语's Monday period only by sending 英语 to the other Monday period, which would put
// the two mutually exclusive subjects on one day: the move is undone and 语文 stays lost.
TEST_F(Passes, ADisplacementIsCheckedWhereItEnds)
{
    b.MutexSubjects("m1", {"s1", "s3"});
    b.FixedTime<CFixedTimeOfTeacher>(task.GetFixedTimeOfTeacherList(), "t1", "1,");
    Place("p1", kTue1);
    Place("p3", kMon1);
    Lost()["p1"] = CWeekCount(1, false);
    CTaskHelper helper(&task);
    helper.PlaceLostCourses();
    EXPECT_EQ(Lost()["p1"], CWeekCount(1, false));
    EXPECT_EQ(At("c1", kMon1), "p3");
    EXPECT_FALSE(ClassTable("c1")->IsUsed(kMon2));
    EXPECT_TRUE(TablesConsistent(task));
}

// A lesson that cannot move keeps 语文 from Tuesday: strict placing gives up, relaxed placing puts
// the second lesson on Monday and lists the plan as not evenly distributed, unless even spreading
// is required.
TEST_F(Passes, OnlyRelaxedPlacingDoublesUpADay)
{
    Place("p1", kMon1);
    Place("p3", kTue1);
    Place("p4", kTue2);
    b.Preset("p3", "100,");
    b.Preset("p4", "101,");
    Lost()["p1"] = CWeekCount(1, false);
    CTaskHelper helper(&task);
    helper.PlaceLostCourses();
    EXPECT_EQ(Lost()["p1"], CWeekCount(1, false));
    EXPECT_FALSE(ClassTable("c1")->IsUsed(kMon2));

    helper.PlaceLostCoursesRelaxed();  // even spreading is on
    EXPECT_FALSE(ClassTable("c1")->IsUsed(kMon2));

    task.GetTaskSetting().SetStrictDistribution(false);
    helper.PlaceLostCoursesRelaxed();
    EXPECT_TRUE(Lost().empty());
    EXPECT_EQ(At("c1", kMon2), "p1");
    EXPECT_EQ(task.GetLastReportInfo().GetTempUnDistributionCourse(), (std::vector<std::string>{"p1"}));
    EXPECT_TRUE(TablesConsistent(task));
}

// 语文 could take the combined 物理's Tuesday period, but 二班's side of that swap would send its
// own 物理 to Tuesday, where it already is: the swap is refused and 语文 takes the free Tuesday
// period instead.
TEST_F(Passes, ADisplacementKeepsAPartnerClassWithinItsDailyMaximum)
{
    b.Course("x1", "c1", "s4", "t2", "1");
    b.Course("x2", "c2", "s4", "t2", "1");
    b.Combined("kk", {"x1", "x2"});
    Place("p1", kMon1);
    Place("x1", kTue1);
    Place("x2", kTue1);
    Place("q2", kMon2);
    Place("q2", kTue2);
    Lost()["p1"] = CWeekCount(1, false);
    CTaskHelper helper(&task);
    helper.PlaceLostCourses();
    EXPECT_TRUE(Lost().empty());
    EXPECT_EQ(At("c1", kTue2), "p1");
    EXPECT_EQ(At("c2", kTue1), "x2");
    EXPECT_TRUE(OnePerDay("q2"));
    EXPECT_TRUE(TablesConsistent(task));
}

// A lost 1.5 whose whole lesson gets placed keeps its half lesson in the report.
TEST_F(Passes, AHalfLessonStaysLost)
{
    Place("p1", kMon1);
    Lost()["p1"] = CWeekCount(1, true);
    CTaskHelper helper(&task);
    helper.PlaceLostCourses();
    ASSERT_EQ(Lost().count("p1"), 1u);
    EXPECT_EQ(Lost()["p1"], CWeekCount(0, true));
    EXPECT_EQ(task.GetLastReportInfo().GetTempCourseLostCount(), CWeekCount(0, true));
    EXPECT_TRUE(ClassTable("c1")->IsUsed(kTue1) || ClassTable("c1")->IsUsed(kTue2));
}

TEST_F(Passes, DoublePeriodsAndCombinedClassesAreLeftAlone)
{
    Plan("p2")->SetContinuousNodes(2);
    b.Course("k1", "c1", "s3", "t3", "1");
    b.Course("k2", "c2", "s3", "t3", "1");
    b.Combined("kk", {"k1", "k2"});
    Lost()["p2"] = CWeekCount(2, false);
    Lost()["k1"] = CWeekCount(1, false);
    CTaskHelper helper(&task);
    helper.PlaceLostCourses();
    EXPECT_EQ(Lost()["p2"], CWeekCount(2, false));
    EXPECT_EQ(Lost()["k1"], CWeekCount(1, false));
    EXPECT_FALSE(helper.HasLessons(ClassTable("c1")));

    // A single missing lesson of a double-period plan is tried like any other.
    Lost()["p2"] = CWeekCount(1, false);
    helper.PlaceLostCourses();
    EXPECT_EQ(Lost().count("p2"), 0u);
    EXPECT_EQ(helper.CountCourseNodes("p2", ClassTable("c1"), 0), CWeekCount(1, false));
}

TEST_F(Passes, AStopEndsThePass)
{
    Lost()["p1"] = CWeekCount(2, false);
    std::atomic<bool> stop{true};
    CTaskHelper helper(&task);
    helper.SetStopFlag(&stop);
    helper.PlaceLostCourses();
    EXPECT_EQ(Lost()["p1"], CWeekCount(2, false));
    stop = false;
    helper.PlaceLostCourses();
    EXPECT_TRUE(Lost().empty());
}

// The callback places lost lessons after a try and leaves the relaxed pass to the task's setting.
TEST_F(Passes, TheCallbackDispatchesOnItsTask)
{
    std::atomic<bool> stop{false};
    CoreCallback callback = MakeTaskHelperCallback(task, stop);
    Place("p1", kMon1);
    Place("p3", kTue1);
    Place("p4", kTue2);
    b.Preset("p3", "100,");
    b.Preset("p4", "101,");
    Lost()["p1"] = CWeekCount(1, false);
    callback(TRY_SWAP_LOST, nullptr);
    callback(TRY_SWAP_IMPROVE, nullptr);
    callback(TRY_SWAP_RELAXED, nullptr);
    EXPECT_EQ(Lost()["p1"], CWeekCount(1, false));
    task.GetTaskSetting().SetStrictDistribution(false);
    callback(TRY_SWAP_RELAXED, nullptr);
    EXPECT_TRUE(Lost().empty());
}

class MainCourses : public HelperTest {
public:
    MainCourses()
    {
        b.Course("p4", "c1", "s4", "t3", "1")->SetMainCourse(0);
        Plan("q2")->SetMainCourse(0);
    }
};

TEST_F(MainCourses, TheLatestMainLessonOfTheDayTakesTheEarlyPeriod)
{
    // 一班 on Monday: 物理 (minor) first, then 语文, 数学 and, in the afternoon, 英语.
    Place("p4", {0, 0, 0});
    Place("p1", {0, 0, 1});
    Place("p2", {0, 0, 2});
    Place("p3", {0, 1, 1});
    // A minor lesson of 二班 at the third period is not an early one: it stays.
    Place("q2", {0, 0, 2});
    Place("q1", {0, 1, 2});
    CTaskHelper helper(&task);
    helper.MoveMainCoursesForward(nullptr);
    EXPECT_EQ(At("c1", {0, 0, 0}), "p3");
    EXPECT_EQ(At("c1", {0, 1, 1}), "p4");
    EXPECT_EQ(At("c1", {0, 0, 1}), "p1");
    EXPECT_EQ(At("c2", {0, 0, 2}), "q2");
    EXPECT_TRUE(TablesConsistent(task));
}

TEST_F(MainCourses, ARangeWithoutRegularLessonsChangesNothing)
{
    Place("p4", {0, 0, 0});
    Place("p1", {0, 0, 1});
    task.GetTaskSetting().SetConcentrateByTeacher(true);
    CAutoRange range;
    range.SetType(true, false, true);
    CTaskHelper helper(&task);
    helper.OptimizeRange(&range);
    EXPECT_EQ(At("c1", {0, 0, 0}), "p4");

    // A range that names other classes leaves this one alone too.
    range.SetType(true, true, true);
    range.SetClass({"c2"});
    helper.OptimizeRange(&range);
    EXPECT_EQ(At("c1", {0, 0, 0}), "p4");
    range.SetClass({"C1"});
    helper.OptimizeRange(&range);
    EXPECT_EQ(At("c1", {0, 0, 0}), "p1");
}

// 张老师 teaches 一班 first thing and 二班 two periods later: 二班's lesson comes next to the other.
TEST_F(MainCourses, ATeachersLessonsComeTogether)
{
    Place("p1", {0, 0, 0});
    Place("q1", {0, 0, 2});
    Place("q2", {0, 0, 1});
    CTaskHelper helper(&task);
    helper.ConcentrateTeacherLessons(nullptr);
    EXPECT_EQ(At("c2", {0, 0, 2}), "q1") << "off until the task asks for it";
    task.GetTaskSetting().SetConcentrateByTeacher(true);
    helper.ConcentrateTeacherLessons(nullptr);
    EXPECT_EQ(At("c2", {0, 0, 1}), "q1");
    EXPECT_EQ(At("c2", {0, 0, 2}), "q2");
    EXPECT_TRUE(TablesConsistent(task));
}

// 张老师's move brings a combined lesson of 二班 and 三班 along, which splits 李老师's pair in 三班;
// 李老师's move brings it back, which splits 张老师's again. The sweeps stop after ten rounds.
TEST(ConcentrationSweeps, StopAfterTen)
{
    SchoolBuilder b;
    CScheduleTask& task = b.Task();
    CSchoolStructure& week = task.GetSchoolStructure();
    for (int day = 1; day < zem::kDayCount; ++day)
        week.SetWeekDay(day, false);
    week.SetSectionNodeMaxCount(1, 0, true);
    week.RefreshData();
    task.GetTaskSetting().SetConcentrateByTeacher(true);
    b.Subject("s1", "语文");
    for (const char* id : {"ta", "tk", "tm", "tz"})
        b.Teacher(id, std::string("老师") + id);
    for (const char* id : {"c1", "c2", "c3", "c5"})
        b.Class(id, std::string("班") + id);
    b.Course("a1", "c1", "s1", "ta", "1");
    b.Course("a2", "c2", "s1", "ta", "1");
    b.Course("k2", "c2", "s1", "tk", "1");
    b.Course("k3", "c3", "s1", "tk", "1");
    b.Combined("kk", {"k2", "k3"});
    b.Course("m3", "c3", "s1", "tm", "1");
    b.Course("m5", "c5", "s1", "tm", "1");
    b.Course("z0", "c5", "s1", "tz", "1");
    b.Course("z2", "c5", "s1", "tz", "1");
    b.Preset("z0", "0,");
    b.Preset("z2", "2,");
    CTaskHelper helper(&task);
    auto place = [&](const char* planId, int section) {
        CCourseInfo* plan = task.FindCourse(planId);
        helper.SetCourseNode(&task.GetClass(plan->GetClassId())->GetTable(true), plan, "", {0, 0, section}, 0);
    };
    place("a1", 0);
    place("a2", 2);
    place("k2", 1);
    place("k3", 1);
    place("m3", 2);
    place("m5", 3);
    place("z0", 0);
    place("z2", 2);

    TempFolder temp;
    const char* arguments[] = {"zem", "--debug"};
    CLog::free();
    CLog::Configure(2, arguments, temp / "");
    helper.ConcentrateTeacherLessons(nullptr);
    CLog::free();
    CLog::Configure(1, arguments);

    std::string log;
    ASSERT_TRUE(zem::ReadFileBytes(temp / "debug.txt", log));
    int moves = 0;
    for (std::size_t at = log.find("[concentrate"); at != std::string::npos; at = log.find("[concentrate", at + 1))
        ++moves;
    EXPECT_EQ(moves, 20);
    EXPECT_EQ(task.GetClass("c2")->GetTable(true).GetNode(0, 0, 2).data(1).GetCourseId(), "a2");
    EXPECT_TRUE(TablesConsistent(task));
}
