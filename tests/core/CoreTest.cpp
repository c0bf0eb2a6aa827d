// The engine's facade: the range, the report title, the teachers' daily limits, the messages of a
// run, and the run thread's life.
#include "support/EngineRun.h"
#include "support/EngineSchools.h"
#include "core/Engine.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

namespace {

TEST(CoreRange, ClassesMatchWithoutCaseAndKindsFilter)
{
    CAutoRange range;
    range.SetClass({"Class-A"});
    EXPECT_TRUE(range.hasClass("class-a"));
    EXPECT_FALSE(range.hasClass("class-b"));
    EXPECT_FALSE(range.IsCourseIn(nullptr));

    struct Case {
        _CourseType type;
        bool mr, common, ss, in;
    };
    for (const Case& c : {Case{COURSE_TYPE_PLAN, true, true, true, true}, Case{COURSE_TYPE_PLAN, true, false, true, false},
                          Case{COURSE_TYPE_MORNING_READING, false, true, true, false},
                          Case{COURSE_TYPE_SELF_STUDY, true, true, false, false},
                          Case{COURSE_TYPE_SELF_STUDY, false, false, true, true}}) {
        CCourseInfo course;
        course.SetClass("CLASS-a");
        course.SetType(c.type);
        range.SetType(c.mr, c.common, c.ss);
        EXPECT_EQ(range.IsCourseIn(&course), c.in) << c.type << c.mr << c.common << c.ss;
    }
}

TEST(CoreRange, ReportTitleNamesTheRange)
{
    SchoolBuilder b;
    SmallSchool(b);
    struct Case {
        std::vector<std::string> classes;
        bool mr, common, ss;
        const char* title;
    };
    const std::vector<Case> cases = {
        {{"c1"}, false, true, false, "重排 1班 的 常规 计划"},
        {{"c2"}, true, false, true, "重排 2班 的 早读晚自习 计划"},
        {{"c1", "c3"}, true, true, true, "重排 1班 等 2 个班级的 所有计划"},
        {{"c1", "c2", "c3"}, true, true, true, ""},
        {{"c1", "c2", "c3"}, true, true, false, "重排 1班 等 3 个班级的 早读常规 计划"},
    };
    for (const Case& c : cases) {
        CAutoRange range;
        range.SetClass(c.classes);
        range.SetType(c.mr, c.common, c.ss);
        CAutoScheduler engine;
        engine.Init(nullptr, &b.Task());
        engine.SetRange(&range);
        EXPECT_EQ(engine.MakeTitle(), c.title);
    }
    CAutoScheduler whole;
    whole.Init(nullptr, &b.Task());
    EXPECT_EQ(whole.MakeTitle(), "");
}

TEST(CoreTeacherMap, DailyLimitSpreadsTheWeekAndCountsACombinedLessonOnce)
{
    SchoolBuilder b;
    b.Class("c1", "一班");
    b.Class("c2", "二班");
    b.Subject("s1", "语文");
    b.Teacher("t1", "甲");
    b.Teacher("t2", "乙");
    b.Course("a", "c1", "s1", "t1", "9");
    b.Course("b", "c1", "s1", "t2", "4.5");
    b.Course("c", "c2", "s1", "t2", "5");
    b.Course("d", "c2", "s1", "t1", "4");
    b.Combined("cc", {"a", "d"});  // with 9 and 4 lessons only the first met counts
    CTeacherWeekCountMap map;
    map.Build(b.Task());
    EXPECT_EQ(map.Find("t1")->total, CWeekCount(9, false));
    EXPECT_EQ(map.GetPerDayLimit("t1"), 2);  // 9 in 5 days
    EXPECT_EQ(map.GetPerDayLimit("t2"), 3);  // 9.5 in 5 days
    EXPECT_EQ(map.GetPerDayLimit("nobody"), 0);
    EXPECT_FALSE(map.IsSortByMainType());  // every plan is a main subject

    // A second run starts afresh.
    map.Build(b.Task());
    EXPECT_EQ(map.Find("t2")->total, CWeekCount(9, true));
    b.Task().FindCourse("b")->SetMainCourse(0);
    map.Build(b.Task());
    EXPECT_TRUE(map.IsSortByMainType());
}

TEST(CoreRun, PlacesEveryLessonAndTellsTheWindow)
{
    SchoolBuilder b;
    SmallSchool(b);
    CScheduleTask& task = b.Task();
    const std::string counts = Snapshot(task, false);
    MessageRecorder recorder;
    RecordingTarget target;
    const CoreRunStats stats = RunEngine(task, TestOptions(3), &target);

    EXPECT_EQ(stats.code, 1);
    EXPECT_FALSE(stats.stopped);
    EXPECT_EQ(stats.lost, CWeekCount());
    EXPECT_TRUE(task.GetLastReportInfo().GetCourseLostInfo().empty());
    EXPECT_NE(task.GetLastReportInfo().GetReportInfo().find("全部排完，排课成功！"), std::string::npos);
    std::vector<CCourseInfo*> courses;
    task.GetFullCourseList(courses);
    for (const CCourseInfo* course : courses)
        EXPECT_EQ(LessonsOf(*course), course->GetWeekCount()) << course->GetId();
    EXPECT_EQ(Snapshot(task, false), counts);
    EXPECT_TRUE(ScheduleIsValid(task));
    EXPECT_TRUE(WorkingEqualsCommitted(task));

    // Two status lines, progress that only grows up to 100, then the end.
    const auto messages = target.Messages();
    ASSERT_GE(messages.size(), 5u);
    EXPECT_EQ(messages[0].text, "正在检查排课数据,请稍候...");
    EXPECT_EQ(messages[1].text, "正在排课，请稍候...");
    long last = -1;
    for (std::size_t i = 2; i + 2 < messages.size(); ++i) {
        EXPECT_EQ(messages[i].wParam, 1u);
        EXPECT_GE(messages[i].lParam, last);
        last = messages[i].lParam;
    }
    EXPECT_EQ(messages[messages.size() - 3].lParam, 100);
    EXPECT_EQ(messages[messages.size() - 2].wParam, 0u);
    EXPECT_EQ(messages.back().wParam, 3u);
    EXPECT_EQ(messages.back().lParam, 1);
}

TEST(CoreRun, RangeKeepsTheOtherClassesAsTheyWere)
{
    SchoolBuilder b;
    SmallSchool(b);
    CScheduleTask& task = b.Task();
    MessageRecorder recorder;
    ASSERT_EQ(RunEngine(task, TestOptions(1)).code, 1);
    std::vector<CCourseInfo*> courses;
    task.GetFullCourseList(courses);
    std::map<std::string, std::vector<int>> before;
    for (const CCourseInfo* course : courses)
        before[course->GetId()] = SlotsOf(*course);

    CAutoRange range;
    range.SetClass({"C1"});
    ASSERT_EQ(RunEngine(task, TestOptions(2), nullptr, &range).code, 1);
    for (const CCourseInfo* course : courses) {
        EXPECT_EQ(LessonsOf(*course), course->GetWeekCount()) << course->GetId();
        // Other classes stay; so does the combined lesson that one of them shares with class 1.
        if (course->GetClassId() != "c1" || course->GetId() == "yy1") {
            EXPECT_EQ(SlotsOf(*course), before[course->GetId()]) << course->GetId();
        }
    }
    EXPECT_TRUE(ScheduleIsValid(task));
}

TEST(CoreRun, EverySeedKeepsEveryRule)
{
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        SchoolBuilder b;
        SmallSchool(b);
        UnplaceableLesson(b);
        CScheduleTask& task = b.Task();
        const PlanCountSnapshot counts = CaptureCounts(task);
        MessageRecorder recorder;
        CoreRunOptions options = TestOptions(seed);
        options.tries = 5;
        const CoreRunStats stats = RunEngine(task, options);
        EXPECT_EQ(stats.code, 3);
        EXPECT_EQ(stats.lost, CWeekCount(1, false)) << "seed " << seed;
        EXPECT_TRUE(ScheduleIsValid(task)) << "seed " << seed;
        EXPECT_TRUE(CompareCounts(counts, task).IsClean()) << "seed " << seed;
    }
}

TEST(CoreRun, SameSeedSameTimetables)
{
    std::string first;
    for (int run = 0; run < 2; ++run) {
        SchoolBuilder b;
        SmallSchool(b);
        MessageRecorder recorder;
        RunEngine(b.Task(), TestOptions(42));
        const std::string tables = Snapshot(b.Task());
        if (run == 0)
            first = tables;
        else
            EXPECT_EQ(tables, first);
    }
}

TEST(CoreRun, DoesNotTouchTheSharedRandomGenerator)
{
    std::srand(5);
    const int expected = std::rand();
    std::srand(5);
    SchoolBuilder b;
    SmallSchool(b);
    MessageRecorder recorder;
    RunEngine(b.Task());
    EXPECT_EQ(std::rand(), expected);
}

TEST(CoreThread, NothingBeforeInitAndCancelWithoutRunIsHarmless)
{
    SchoolBuilder b;
    SmallSchool(b);
    CCore core(b.Task());
    core.Start();
    EXPECT_FALSE(core.IsRunning());
    core.Cancel();
    core.Wait();
    RecordingTarget target;
    core.Init(&target);
    core.Cancel();
    core.Free();
    EXPECT_TRUE(target.Messages().empty());
}

TEST(CoreThread, SecondStartWhileRunningDoesNothing)
{
    SchoolBuilder b;
    SmallSchool(b);
    MessageRecorder recorder;
    RecordingTarget target;
    std::atomic<bool> release{false};
    std::atomic<bool> inTry{false};
    CoreRunOptions options = TestOptions();
    options.observer = [&](const CoreTryInfo&) {
        inTry = true;
        while (!release)
            std::this_thread::yield();
    };
    CCore core(b.Task());
    core.Init(&target);
    core.SetOptions(options);
    core.Start();
    while (!inTry)
        std::this_thread::yield();
    core.Start();
    release = true;
    core.Wait();
    EXPECT_EQ(target.Results(), std::vector<long>{1});
    int checks = 0;
    for (const std::string& text : target.StatusTexts())
        checks += text == "正在检查排课数据,请稍候...";
    EXPECT_EQ(checks, 1);

    // The engine serves another run afterwards.
    core.Start();
    core.Wait();
    EXPECT_EQ(target.Results(), (std::vector<long>{1, 1}));
}

TEST(CoreThread, DestroyingTheEngineMidRunStopsIt)
{
    SchoolBuilder b;
    SmallSchool(b);
    UnplaceableLesson(b);  // all tries run
    const std::string counts = Snapshot(b.Task(), false);
    RecordingTarget target;
    std::atomic<int> tries{0};
    std::atomic<bool> held{false};
    {
        CCore core(b.Task());
        const std::atomic<bool>& stop = core.GetStopFlag();
        CoreRunOptions options = TestOptions();
        // The second try holds the engine until the destructor asks it to stop.
        options.observer = [&](const CoreTryInfo& info) {
            ++tries;
            if (info.index < 1)
                return;
            held = true;
            while (!stop)
                std::this_thread::yield();
        };
        core.Init(&target);
        core.SetOptions(options);
        core.Start();
        while (!held)
            std::this_thread::yield();
    }
    EXPECT_EQ(tries, 2);
    EXPECT_TRUE(target.Results().empty());
    EXPECT_EQ(Snapshot(b.Task(), false), counts);
    EXPECT_TRUE(WorkingEqualsCommitted(b.Task()));
}

TEST(CoreThread, CancelCutsAPauseShort)
{
    SchoolBuilder b;
    SmallSchool(b);
    RecordingTarget target;
    CoreRunOptions options = TestOptions();
    options.pauses = true;
    // A pause longer than the test run's own limit: only the stop can end it.
    options.pauseMs = 3600 * 1000;
    CCore core(b.Task());
    core.Init(&target);
    core.SetOptions(options);
    core.Start();
    while (target.Messages().empty())
        std::this_thread::yield();
    core.Cancel();
    EXPECT_FALSE(core.IsRunning());
    EXPECT_TRUE(core.GetStats().stopped);
    EXPECT_TRUE(target.Results().empty());
}

// A stop while the check's status shows ends the run there, even when the check would refuse the
// data: no report, no result.
TEST(CoreThread, StopDuringTheCheckPausePostsNoResult)
{
    SchoolBuilder b;  // no plans: the check refuses it
    RecordingTarget target;
    CoreRunOptions options = TestOptions();
    options.pauses = true;
    CCore core(b.Task());
    target.onMessage = [&](const RecordingTarget::Message& m, int) {
        if (m.wParam == 0)
            core.Cancel();
    };
    core.Init(&target);
    core.SetOptions(options);
    core.Start();
    core.Wait();
    EXPECT_TRUE(core.GetStats().stopped);
    EXPECT_EQ(core.GetStats().code, 0);
    EXPECT_TRUE(target.Results().empty());
    EXPECT_EQ(b.Task().GetLastReportInfo().GetReportInfo(), "");
}

}  // namespace
