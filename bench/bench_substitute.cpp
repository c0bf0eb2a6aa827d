// Choosing a substitute on a generated school with its timetables filled: the candidate list
// refilled as for one keystroke in the search box, over every lesson of the busiest teacher.
// Budget on L120: under 16 ms per refill.
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/SubstitutePlan.h"
#include "base/ScheduleTask.h"
#include "testing/generator/SchoolGenerator.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_SubstituteCandidates(benchmark::State& state, const char* size)
{
    std::unique_ptr<CScheduleTask> task = zemgen::GenerateSchool({size, "normal", 1});
    zemgen::FillTimetables(*task);
    // The window works on the working copies of the timetables.
    CTaskHelper(task.get()).RestoreTempTables();
    // The teacher with the most lessons, all of them substituted.
    CSubstitutePlan plan;
    std::size_t most = 0;
    std::string teacherId;
    for (const auto& [id, object] : task->GetTeacherInfoList()) {
        plan.SetTask(task.get(), id);
        if (plan.UsedCells().size() > most) {
            most = plan.UsedCells().size();
            teacherId = id;
        }
    }
    plan.SetTask(task.get(), teacherId);
    const std::vector<tagTABLE_NODE> targets = plan.UsedCells();
    const CSubstituteCandidates candidates(*task, teacherId, targets);
    std::size_t found = 0;
    for (auto _ : state) {
        found = candidates.Fill(false, false, true, "z").size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["targets"] = static_cast<double>(targets.size());
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_SubstituteCandidates, L120, "L120")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
