// The day swap of the big move on L120, the backup left out: the lessons of two days change places
// in memory, then input.xml and output.xml are written. Budget: under 1 s.
#include "app/timetable/TableMoves.h"
#include "base/ScheduleTask.h"

#include "L120Task.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

void BM_SwapDays_L120(benchmark::State& state)
{
    const std::string folder = std::filesystem::temp_directory_path().string() + "/zem-bench-table-move/";
    std::filesystem::remove_all(folder);
    const std::string taskFile = WriteL120Task(folder);
    CScheduleTask task;
    if (!task.Open(taskFile)) {
        state.SkipWithError("cannot open the fixture");
        return;
    }
    int day = 0;
    for (auto _ : state) {
        CMoveResult result;
        SwapDayLessons(task, day, day + 2, result);
        const bool saved = task.SaveInputData() && task.SaveOutputData();
        benchmark::DoNotOptimize(saved);
        state.counters["lessons"] = result.movedLessons;
        day = (day + 1) % 2;
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SwapDays_L120)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
