// Whole generated schools through the task files: every rule kept, the saved timetables reopening
// the same, and the same seed writing the same output.xml byte for byte.
#include "support/EngineRun.h"
#include "testing/generator/SchoolGenerator.h"
#include "platform/Files.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>


namespace {

// Writes the generated school as a task folder and opens it from there, as the program would.
std::unique_ptr<CScheduleTask> OpenGenerated(const std::string& size, const std::string& variant,
                                             const std::string& folder)
{
    zemgen::SchoolOptions options;
    options.size = size;
    options.variant = variant;
    std::string error;
    std::unique_ptr<CScheduleTask> generated = zemgen::GenerateSchool(options, &error);
    EXPECT_TRUE(generated) << error;
    if (!generated || !zemgen::WriteTaskFolder(*generated, folder, "school", "", &error)) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    generated.reset();  // it lets go of the folder, as a program closing the task does
    auto task = std::make_unique<CScheduleTask>();
    EXPECT_TRUE(task->Open(folder + "school.zem"));
    return task;
}

TEST(CoreGeneratedSchool, RunsKeepEveryRuleAndReopenTheSame)
{
    TempFolder temp;
    for (const char* variant : {"normal", "tight"}) {
        for (std::uint64_t seed : {1, 2}) {
            const std::string folder = temp / (std::string(variant) + std::to_string(seed) + "/");
            std::unique_ptr<CScheduleTask> task = OpenGenerated("S12", variant, folder);
            ASSERT_TRUE(task);
            const PlanCountSnapshot counts = CaptureCounts(*task);
            MessageRecorder recorder;
            CoreRunOptions options = TestOptions(seed);
            options.tries = 10;
            const CoreRunStats stats = RunEngine(*task, options);
            EXPECT_TRUE(stats.code == 1 || stats.code == 3) << stats.code;
            EXPECT_FALSE(stats.saveFailed);
            EXPECT_TRUE(recorder.messages.empty());
            EXPECT_TRUE(ScheduleIsValid(*task)) << variant << " seed " << seed;
            EXPECT_TRUE(CompareCounts(counts, *task).IsClean());
            const ScheduleValidation reopened = CompareWithReopened(*task, folder + "school.zem");
            EXPECT_TRUE(reopened.IsClean()) << reopened.Text();
            EXPECT_TRUE(zem::FileExists(folder + "report.txt"));
        }
    }
}

TEST(CoreGeneratedSchool, SameSeedWritesTheSameTimetableFile)
{
    TempFolder temp;
    std::string outputs[2];
    for (int run = 0; run < 2; ++run) {
        const std::string folder = temp / ("run" + std::to_string(run) + "/");
        std::unique_ptr<CScheduleTask> task = OpenGenerated("S12", "tight", folder);
        ASSERT_TRUE(task);
        MessageRecorder recorder;
        CoreRunOptions options = TestOptions(9);
        options.tries = 10;
        RunEngine(*task, options);
        std::string bytes;
        ASSERT_TRUE(zem::ReadFileBytes(folder + "output.xml", bytes));
        outputs[run] = TimetablesWithoutRunStamp(bytes);
    }
    EXPECT_FALSE(outputs[0].empty());
    EXPECT_TRUE(outputs[0] == outputs[1]) << "output.xml differs between two runs of seed 9";
}

}  // namespace
