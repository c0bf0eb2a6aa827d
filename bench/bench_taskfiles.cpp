// Opening and saving the largest school, L120 (120 classes, about 370 teachers, 1,680 plans,
// timetables filled): wall time per operation, and the peak resident memory of a process that
// opens the task and saves it once, measured in a fresh process so the benchmark's own memory
// does not count.
//   bench_taskfiles                    the benchmarks, then the peak memory
//   bench_taskfiles --open-once FILE   opens and saves FILE once and prints the peak resident memory
#include "base/ScheduleTask.h"
#include "testing/generator/SchoolGenerator.h"
#include "platform/Files.h"
#include "platform/Hooks.h"

#include "FreshProcess.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// The task folder of the fixture, made once per process.
const std::string& L120TaskFile()
{
    static const std::string file = [] {
        const std::string folder = "/tmp/zem-bench-taskfiles-" + std::to_string(::getpid()) + "/";
        std::unique_ptr<CScheduleTask> task = zemgen::GenerateSchool({"L120", "normal", 1});
        const int placed = zemgen::FillTimetables(*task);
        if (!zemgen::WriteTaskFolder(*task, folder, "L120", "benchmark") || !task->SaveOutputData()) {
            std::fprintf(stderr, "cannot write the fixture into %s\n", folder.c_str());
            std::exit(1);
        }
        std::fprintf(stderr, "fixture: %s, %d lessons placed\n", folder.c_str(), placed);
        return task->GetTaskInfo().GetTaskFile();
    }();
    return file;
}

void RemoveFixture()
{
    const std::string& file = L120TaskFile();
    zem::RemoveFolder(file.substr(0, file.rfind('/') + 1));
}

void BM_OpenL120(benchmark::State& state)
{
    const std::string& file = L120TaskFile();
    for (auto _ : state) {
        CScheduleTask task;
        if (!task.Open(file))
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(task.GetClassInfoList().GetCount());
    }
}
BENCHMARK(BM_OpenL120)->Unit(benchmark::kMillisecond);

// Saving writes both files, input.xml and output.xml, as the program's save does.
void BM_SaveL120(benchmark::State& state)
{
    CScheduleTask task;
    if (!task.Open(L120TaskFile()))
        state.SkipWithError("open failed");
    for (auto _ : state) {
        if (!task.SaveInputData() || !task.SaveOutputData())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveL120)->Unit(benchmark::kMillisecond);

long PeakResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

int OpenOnce(const char* file)
{
    CScheduleTask task;
    if (!task.Open(file))
        return 1;
    std::printf("peak resident memory after opening L120: %.1f MB (%d classes, %d teachers, %d plans)\n",
                static_cast<double>(PeakResidentKb()) / 1024.0, task.GetClassInfoList().GetCount(),
                task.GetTeacherInfoList().GetCount(), task.GetCourseInfoList().GetCount());
    if (!task.SaveInputData() || !task.SaveOutputData())
        return 1;
    std::printf("peak resident memory after saving it too: %.1f MB\n", static_cast<double>(PeakResidentKb()) / 1024.0);
    return 0;
}

void MeasurePeakInFreshProcess()
{
    RunOpenOnceInFreshProcess(L120TaskFile());
}

}  // namespace

int main(int argc, char** argv)
{
    // Messages go to standard error; nothing waits for an answer.
    if (argc == 3 && std::strcmp(argv[1], "--open-once") == 0)
        return OpenOnce(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    MeasurePeakInFreshProcess();
    RemoveFixture();
    return 0;
}
