// Faults a run must not have: losses that are none, lessons counted twice, a result code that
// disagrees with the report, a failed save reported as success, and stops that leave the task
// half changed.
#include "support/EngineRun.h"
#include "support/EngineSchools.h"
#include "support/MessageRecorder.h"
#include "support/CheckExceptions.h"

#include <gtest/gtest.h>

namespace {

std::string AllSlotsBut(int keep)
{
    std::string slots;
    for (int day = 0; day < 5; ++day)
        for (int segment = 0; segment < 2; ++segment)
            for (int section = 0; section < 4; ++section) {
                const int slot = day * 100 + segment * 10 + section;
                if (slot != keep)
                    slots += std::to_string(slot) + ",";
            }
    return slots;
}

// Two half lessons that pair up but have no slot in common: each goes alone, and nothing is lost.
TEST(CoreRunFault, MergedHalfLessonWithoutASlotIsNoLoss)
{
    SchoolBuilder b;
    b.Class("c1", "一班");
    b.Subject("s1", "语文");
    b.Subject("s2", "数学");
    b.Teacher("t1", "甲");
    b.Teacher("t2", "乙");
    CCourseInfo* a = b.Course("a", "c1", "s1", "t1", "0.5");
    CCourseInfo* e = b.Course("e", "c1", "s2", "t2", "0.5");
    b.FixedTime<CFixedTimeOfTeacher>(b.Task().GetFixedTimeOfTeacherList(), "t1", AllSlotsBut(0));
    b.FixedTime<CFixedTimeOfTeacher>(b.Task().GetFixedTimeOfTeacherList(), "t2", AllSlotsBut(1));
    MessageRecorder recorder;
    const CoreRunStats stats = RunEngine(b.Task());
    EXPECT_EQ(stats.code, 1);
    EXPECT_EQ(stats.tries, 1);
    EXPECT_EQ(SlotsOf(*a), std::vector<int>{0});
    EXPECT_EQ(SlotsOf(*e), std::vector<int>{1});
    EXPECT_NE(b.Task().GetLastReportInfo().GetReportInfo().find("全部排完"), std::string::npos);
}

// Presets on two partners of a combined class: each brings its lesson to the other once.
TEST(CoreRunFault, PresetsOfCombinedPartnersAreNotCountedTwice)
{
    SchoolBuilder b;
    b.Class("c1", "一班");
    b.Class("c2", "二班");
    b.Subject("s1", "语文");
    b.Teacher("t1", "甲");
    b.Teacher("t2", "乙");
    CCourseInfo* a = b.Course("a", "c1", "s1", "t1", "3");
    CCourseInfo* p = b.Course("p", "c2", "s1", "t2", "3");
    b.Combined("cc", {"a", "p"});
    b.Preset("a", "0,");
    b.Preset("p", "101,");
    MessageRecorder recorder;
    ASSERT_EQ(RunEngine(b.Task()).code, 1);
    EXPECT_EQ(LessonsOf(*a), CWeekCount(3, false));
    EXPECT_EQ(SlotsOf(*a), SlotsOf(*p));
    const std::vector<int> slots = SlotsOf(*a);
    EXPECT_TRUE(std::count(slots.begin(), slots.end(), 0) && std::count(slots.begin(), slots.end(), 101));
    EXPECT_TRUE(ScheduleIsValid(b.Task()));
}

// A pair whose side is in a combined class brings the partner's pair to the same slot: that pair
// must fit there too.
TEST(CoreRunFault, PairOfACombinedPartnerFitsTheSlot)
{
    SchoolBuilder b;
    b.Class("c1", "一班");
    b.Class("c2", "二班");
    b.Subject("s1", "体育");
    b.Subject("s2", "音乐");
    for (const char* t : {"t1", "t2", "t3", "t9"})
        b.Teacher(t, t);
    b.Course("a1", "c1", "s1", "t1", "0.5");
    b.Course("a2", "c2", "s1", "t2", "0.5");
    b.Course("b1", "c1", "s2", "t3", "0.5");
    CCourseInfo* b2 = b.Course("b2", "c2", "s2", "t9", "0.5");
    b.Combined("cc", {"a1", "a2"});
    b.OddEven("oe1", "a1", "b1");
    b.OddEven("oe2", "a2", "b2");
    b.FixedTime<CFixedTimeOfTeacher>(b.Task().GetFixedTimeOfTeacherList(), "t9", AllSlotsBut(11));
    MessageRecorder recorder;
    ASSERT_EQ(RunEngine(b.Task()).code, 1);
    EXPECT_EQ(SlotsOf(*b2), std::vector<int>{11});
    for (const char* id : {"a1", "a2", "b1"})
        EXPECT_EQ(SlotsOf(*b.Task().FindCourse(id)), std::vector<int>{11}) << id;
    EXPECT_TRUE(ScheduleIsValid(b.Task()));
}

// The code comes from the losses that are finally kept, whichever pass of the callback clears them.
TEST(CoreRunFault, ResultCodeFollowsTheKeptLosses)
{
    struct Case {
        int clearingKind;  // -1: no callback
        int code;
    };
    for (const Case& c : {Case{-1, 3}, Case{TRY_SWAP_LOST, 1}, Case{TRY_SWAP_RELAXED, 1}, Case{TRY_SWAP_REPAIR, 1}}) {
        SchoolBuilder b;
        SmallSchool(b);
        UnplaceableLesson(b);
        CScheduleTask& task = b.Task();
        CoreCallback callback;
        if (c.clearingKind >= 0)
            callback = [&task, &c](TRY_SWAP_TYPE kind, CAutoRange*) {
                if (kind == c.clearingKind)
                    task.GetLastReportInfo().GetTempCourseLostInfo().erase("never");
            };
        MessageRecorder recorder;
        RecordingTarget target;
        const CoreRunStats stats = RunEngine(task, TestOptions(), &target, nullptr, callback);
        EXPECT_EQ(stats.code, c.code) << "kind " << c.clearingKind;
        EXPECT_EQ(target.Results(), std::vector<long>{c.code});
        // Never an early end: the placing itself always leaves the lesson.
        EXPECT_EQ(stats.tries, 50);
        const bool success = task.GetLastReportInfo().GetReportInfo().find("全部排完") != std::string::npos;
        EXPECT_EQ(success, c.code == 1);
    }
}

TEST(CoreRunFault, FailedSaveIsSaidNotHidden)
{
    SchoolBuilder b;
    SmallSchool(b);
    b.Task().GetTaskInfo().SetTaskFolder("/dev/null/task/");
    MessageRecorder recorder;
    RecordingTarget target;
    const CoreRunStats stats = RunEngine(b.Task(), TestOptions(), &target);
    EXPECT_EQ(stats.code, 1);
    EXPECT_TRUE(stats.saveFailed);
    EXPECT_EQ(target.StatusTexts().back(), "排课完成，但排课结果未能全部保存.");
    // The task says its failed save of output.xml; the engine that of report.txt.
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_NE(recorder.messages[0].text.find("保存出错"), std::string::npos);
    EXPECT_EQ(recorder.messages[1].text, "排课报告未能保存到 report.txt（文件夹不存在），请检查任务文件夹是否可以写入。");
    const std::string& report = b.Task().GetLastReportInfo().GetReportInfo();
    EXPECT_NE(report.find("【保存失败】\n排课结果未能保存到课表文件 output.xml，请检查任务文件夹是否可以写入。\n"
                          "排课报告未能保存到 report.txt"),
              std::string::npos);
}

// A stop at any point leaves every plan's count, the working tables equal to the committed ones,
// and no result.
TEST(CoreRunFault, StopAnywhereLeavesTheTaskWhole)
{
    enum Where { AfterProgress, AfterTry, InLossCallback, InBestCallback, InRepairCallback, BeforeSave };
    struct Case {
        const char* name;
        Where where;
        int count;
    };
    for (const Case& c : {Case{"first progress", AfterProgress, 1}, Case{"tenth progress", AfterProgress, 10},
                          Case{"after a try", AfterTry, 2}, Case{"loss callback", InLossCallback, 3},
                          Case{"best callback", InBestCallback, 1}, Case{"repair callback", InRepairCallback, 1},
                          Case{"final save", BeforeSave, 1}}) {
        SchoolBuilder b;
        SmallSchool(b);
        UnplaceableLesson(b);
        CScheduleTask& task = b.Task();
        const std::string counts = Snapshot(task, false);
        MessageRecorder recorder;
        RecordingTarget target;
        CCore core(task);
        int seen = 0;
        auto stopAt = [&](Where where) {
            if (where == c.where && ++seen == c.count)
                core.Cancel();
        };
        target.onMessage = [&](const RecordingTarget::Message& m, int) {
            if (m.wParam == 1)
                stopAt(AfterProgress);
        };
        CoreRunOptions options = TestOptions();
        options.tries = c.where == BeforeSave ? 3 : 50;
        options.observer = [&](const CoreTryInfo&) { stopAt(AfterTry); };
        options.beforeSave = [&] { stopAt(BeforeSave); };
        core.Init(&target);
        core.SetOptions(options);
        core.SetCallback([&](TRY_SWAP_TYPE kind, CAutoRange*) {
            if (kind == TRY_SWAP_LOST)
                stopAt(InLossCallback);
            else if (kind == TRY_SWAP_IMPROVE)
                stopAt(InBestCallback);
            else if (kind == TRY_SWAP_REPAIR)
                stopAt(InRepairCallback);
        });
        core.Start();
        core.Wait();
        EXPECT_EQ(seen, c.count) << c.name;
        EXPECT_TRUE(core.GetStats().stopped) << c.name;
        EXPECT_EQ(core.GetStats().code, 0) << c.name;
        EXPECT_TRUE(target.Results().empty()) << c.name;
        EXPECT_EQ(Snapshot(task, false), counts) << c.name;
        EXPECT_TRUE(WorkingEqualsCommitted(task)) << c.name;
        // A stop before the first kept try leaves the tables as they were: empty, presets and all.
        EXPECT_TRUE(ScheduleIsValid(task, ChecksExcept(CheckException::PresetsNotYetPlaced))) << c.name;
    }
}

}  // namespace
