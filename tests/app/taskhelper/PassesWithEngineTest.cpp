// The passes inside real runs of the engine over a generated school with few free periods.
#include "app/taskhelper/TaskHelperCallback.h"
#include "testing/generator/SchoolGenerator.h"
#include "support/EngineRun.h"
#include "platform/Files.h"
#include "support/MessageRecorder.h"
#include "support/SchoolBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

// Writes the school's task folder once; each run opens a copy of it, as the program would.
bool WriteTightSchool(const std::string& folder)
{
    zemgen::SchoolOptions options;
    options.size = "S36";
    options.variant = "tight";
    std::string error;
    std::unique_ptr<CScheduleTask> generated = zemgen::GenerateSchool(options, &error);
    if (generated && zemgen::WriteTaskFolder(*generated, folder, "school", "", &error))
        return true;
    ADD_FAILURE() << error;
    return false;
}

std::unique_ptr<CScheduleTask> OpenCopy(const std::string& from, const std::string& folder)
{
    std::string error;
    if (zem::CopyFolder(from, folder, &error) != 0) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    auto task = std::make_unique<CScheduleTask>();
    EXPECT_TRUE(task->Open(folder + "school.zem"));
    return task;
}

// With the passes no seed loses more lessons than without them, and every rule still holds.
TEST(PassesWithEngine, TightSchoolLosesNoMoreAndKeepsEveryRule)
{
    TempFolder temp;
    const std::string school = temp / "school/";
    ASSERT_TRUE(WriteTightSchool(school));
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        CWeekCount lost[2];
        for (const bool passes : {false, true}) {
            const std::string folder = temp / (std::to_string(seed) + (passes ? "p/" : "/"));
            std::unique_ptr<CScheduleTask> task = OpenCopy(school, folder);
            ASSERT_TRUE(task);
            const PlanCountSnapshot counts = CaptureCounts(*task);
            MessageRecorder recorder;
            std::atomic<bool> stop{false};
            CoreRunOptions options = TestOptions(seed);
            options.tries = 2;
            const CoreRunStats stats =
                RunEngine(*task, options, nullptr, nullptr, passes ? MakeTaskHelperCallback(*task, stop) : CoreCallback());
            lost[passes] = stats.lost;
            if (!passes)
                continue;
            EXPECT_TRUE(ScheduleIsValid(*task));
            EXPECT_TRUE(CompareCounts(counts, *task).IsClean());
        }
        EXPECT_LE(lost[1].GetWholeCount() * 2 + lost[1].HasHalfNode(), lost[0].GetWholeCount() * 2 + lost[0].HasHalfNode())
            << lost[1].ToString() << " with the passes, " << lost[0].ToString() << " without";
    }
}

// What a run leaves depends on its seed alone, not on a run made before it on the same open task:
// the engine and the passes keep nothing of one run for the next.
TEST(PassesWithEngine, ARunAfterAnotherEndsAsAFreshOne)
{
    TempFolder temp;
    const std::string school = temp / "school/";
    ASSERT_TRUE(WriteTightSchool(school));
    auto run = [](CScheduleTask& task, std::uint64_t seed) {
        MessageRecorder recorder;
        std::atomic<bool> stop{false};
        CoreRunOptions options = TestOptions(seed);
        options.tries = 3;
        RunEngine(task, options, nullptr, nullptr, MakeTaskHelperCallback(task, stop));
    };
    std::unique_ptr<CScheduleTask> fresh = OpenCopy(school, temp / "fresh/");
    std::unique_ptr<CScheduleTask> again = OpenCopy(school, temp / "again/");
    ASSERT_TRUE(fresh && again);
    run(*fresh, 4);
    run(*again, 7);
    run(*again, 4);
    EXPECT_TRUE(Snapshot(*fresh) == Snapshot(*again));
    std::string outputs[2];
    for (int i = 0; i < 2; ++i) {
        std::string bytes;
        ASSERT_TRUE(zem::ReadFileBytes(temp / (i == 0 ? "fresh/output.xml" : "again/output.xml"), bytes));
        outputs[i] = TimetablesWithoutRunStamp(bytes);
    }
    EXPECT_TRUE(outputs[0] == outputs[1]);
}

// Both classes' half lessons of one subject taught together, each class's half in a team with a
// half lesson of another subject: the two teamed halves share the combined lesson's slot, in the
// other half of the weeks. With one teacher they cannot both go there (the data check refuses
// that); in a room of two places they can, only where both places are free.
void TiedHalves(SchoolBuilder& b, bool oneTeacher)
{
    for (const char* id : {"s1", "s2", "s3", "s4"})
        b.Subject(id, std::string("科目") + id);
    for (const char* id : {"t1", "t2", "t3", "t4", "t5"})
        b.Teacher(id, std::string("老师") + id);
    b.Room("r", "音乐室", 2);
    for (const char* id : {"c1", "c2", "c3"})
        b.Class(id, std::string("班") + id);
    b.Course("m1", "c1", "s1", "t1", "4");
    b.Course("m2", "c2", "s1", "t1", "4");
    b.Course("a1", "c1", "s2", "t2", "0.5")->SetMainCourse(0);
    b.Course("a2", "c2", "s2", "t2", "0.5")->SetMainCourse(0);
    b.Combined("cc", {"a1", "a2"});
    const std::string room = oneTeacher ? "" : "r";
    b.Course("y1", "c1", "s3", "t3", "0.5", room)->SetMainCourse(0);
    b.Course("y2", "c2", "s3", oneTeacher ? "t3" : "t4", "0.5", room)->SetMainCourse(0);
    b.OddEven("oe1", "y1", "a1");
    b.OddEven("oe2", "y2", "a2");
    if (oneTeacher)
        return;
    // Another class's lessons in the room everywhere but on Friday's forenoon.
    std::string slots;
    for (int day = 0; day < 5; ++day)
        for (int slot : {0, 1, 2, 3, 10, 11, 12})
            if (day < 4 || slot >= 10)
                slots += std::to_string(day * 100 + slot) + ",";
    b.Course("q", "c3", "s4", "t5", "31", "r");
    b.Preset("q", slots);
}

TEST(PassesWithEngine, HalvesTiedByACombinedClassBookNobodyTwice)
{
    for (const bool oneTeacher : {true, false}) {
        for (const bool passes : {false, true}) {
            for (std::uint64_t seed = 1; seed <= 10; ++seed) {
                SCOPED_TRACE((oneTeacher ? "one teacher" : "a room of two places") + std::string(passes ? ", passes" : "") +
                             ", seed " + std::to_string(seed));
                SchoolBuilder b;
                TiedHalves(b, oneTeacher);
                CScheduleTask& task = b.Task();
                MessageRecorder recorder;
                std::atomic<bool> stop{false};
                const CoreCallback callback = passes ? MakeTaskHelperCallback(task, stop) : CoreCallback();
                const CoreRunStats stats = oneTeacher ? RunEngineUnchecked(task, TestOptions(seed), callback)
                                                      : RunEngine(task, TestOptions(seed), nullptr, nullptr, callback);
                EXPECT_EQ(stats.code, 1);
                EXPECT_TRUE(ScheduleIsValid(task));
            }
        }
    }
}

// The demo's 美术 of 初一(1)班 and 初一(2)班 taught together: each is teamed with 音乐 of one
// teacher, so the check names the two 音乐 plans and refuses; placed all the same, nobody is
// booked twice.
TEST(PassesWithEngine, TheDemoWithItsTeamedArtLessonsCombined)
{
    TempFolder temp;
    ASSERT_EQ(zem::CopyFolder(std::string(ZEM_TEST_DATA_DIR) + "/../../resources/demoD", temp / "demo/"), 0);
    CScheduleTask task;
    ASSERT_TRUE(task.Open(temp / "demo/演示排课.zem"));
    auto plan = [&](const char* className, const char* subject) -> CCourseInfo* {
        for (CCourseInfo* course : ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList()))
            if (task.GetClassNameA(course->GetClassId()) == className && task.GetSubjectName(course->GetSubjectId()) == subject)
                return course;
        return nullptr;
    };
    CCourseInfo* art1 = plan("初一(1)班", "美术");
    CCourseInfo* art2 = plan("初一(2)班", "美术");
    CCourseInfo* music1 = plan("初一(1)班", "音乐");
    CCourseInfo* music2 = plan("初一(2)班", "音乐");
    ASSERT_TRUE(art1 && art2 && music1 && music2);
    ASSERT_EQ(music1->GetTeacherId(), music2->GetTeacherId());
    auto* combined = new CCombineClass;
    combined->SetId("tied-art");
    combined->GetCombineCourse() = {art1->GetId(), art2->GetId()};
    task.GetCombineCourseList().Add(combined);
    task.GetCombineCourseList().ReBuildCourseMap();

    MessageRecorder recorder;
    std::atomic<bool> stop{false};
    CoreRunOptions options = TestOptions(1);
    options.tries = 5;
    EXPECT_EQ(RunEngine(task, options, nullptr, nullptr, MakeTaskHelperCallback(task, stop)).code, 2);
    const std::vector<std::string>& lines = task.GetLastReportInfo().GetErrorInfo();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(task.GetCourseDesc(music1) + " 和 " + task.GetCourseDesc(music2)), std::string::npos)
        << lines[0];

    RunEngineUnchecked(task, options, MakeTaskHelperCallback(task, stop));
    EXPECT_EQ(LessonsOf(*music1), CWeekCount(0, true));
    EXPECT_EQ(LessonsOf(*music2), CWeekCount(0, true));
    EXPECT_TRUE(ScheduleIsValid(task));
}

}  // namespace
