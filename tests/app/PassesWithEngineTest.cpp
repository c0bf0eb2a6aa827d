// The passes inside real runs of the engine over a generated school with few free periods.
#include "app/shell/taskhelper/TaskHelperCallback.h"
#include "testing/generator/SchoolGenerator.h"
#include "support/EngineRun.h"
#include "platform/Files.h"
#include "support/MessageRecorder.h"
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

}  // namespace
