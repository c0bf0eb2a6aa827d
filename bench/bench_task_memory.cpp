// What a large school costs in memory: L120 tight (zem-generate --size L120 --variant tight
// --seed 1) opened, then scheduled as zem-schedule --callback does (seed 1, 50 tries, pauses off),
// each step reported as seconds, resident memory, peak resident memory and page faults of a
// fresh process, so that the benchmark's own memory does not count. The benchmark itself times
// opening the task.
//   bench_task_memory                    the open benchmark, then the memory of a fresh process
//   bench_task_memory --open-once FILE   opens FILE, runs the engine once and prints each step
#include "app/taskhelper/TaskHelperCallback.h"
#include "base/ScheduleTask.h"
#include "core/Core.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "testing/generator/SchoolGenerator.h"

#include "FreshProcess.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

const std::string& L120TightTaskFile()
{
    static const std::string file = [] {
        const std::string folder = "/tmp/zem-bench-task-memory-" + std::to_string(::getpid()) + "/";
        std::string error;
        std::unique_ptr<CScheduleTask> task = zemgen::GenerateSchool({"L120", "tight", 1}, &error);
        if (!task || !zemgen::WriteTaskFolder(*task, folder, "L120_tight_1", "benchmark", &error)) {
            std::fprintf(stderr, "cannot write the fixture into %s: %s\n", folder.c_str(), error.c_str());
            std::exit(1);
        }
        return task->GetTaskInfo().GetTaskFile();
    }();
    return file;
}

void BM_OpenL120Tight(benchmark::State& state)
{
    const std::string& file = L120TightTaskFile();
    for (auto _ : state) {
        CScheduleTask task;
        if (!task.Open(file))
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(task.GetCourseInfoList().GetCount());
    }
}
BENCHMARK(BM_OpenL120Tight)->Unit(benchmark::kMillisecond);

// Kilobytes of the field of /proc/self/status ("VmRSS:", "VmHWM:").
long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0)
            return std::strtol(line.c_str() + length, nullptr, 10);
    return -1;
}

// Seconds of processor time the process has used so far, all threads.
double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One step: its wall and processor seconds (on a loaded machine the second is the steadier), then
// the process's memory and page faults so far.
class Step {
public:
    Step() : m_wall(Clock::now()), m_cpu(CpuSeconds()) {}

    void Report(const char* step) const
    {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        std::printf("%-28s %7.3f s (cpu %7.3f s)  resident %6.1f MB  peak %6.1f MB  page faults %7ld\n", step,
                    std::chrono::duration<double>(Clock::now() - m_wall).count(), CpuSeconds() - m_cpu,
                    static_cast<double>(StatusKb("VmRSS:")) / 1024.0, static_cast<double>(StatusKb("VmHWM:")) / 1024.0,
                    usage.ru_minflt + usage.ru_majflt);
        std::fflush(stdout);
    }

private:
    Clock::time_point m_wall;
    double m_cpu;
};

// Posts go nowhere.
class NullTarget : public zem::MessageTarget {
public:
    zem::LRESULT Send(unsigned, zem::WPARAM, zem::LPARAM) override { return 0; }
    bool Post(unsigned, zem::WPARAM, zem::LPARAM) override { return true; }
    bool PostText(unsigned, zem::WPARAM, std::string) override { return true; }
};

// Opens the task and schedules it in this process, as the program does after opening it.
int OpenOnce(const char* file)
{
    Step().Report("started");
    CScheduleTask task;
    const Step open;
    if (!task.Open(file))
        return 1;
    open.Report("L120 tight opened");

    NullTarget target;
    CCore core(task);
    CoreRunOptions options;
    options.seed = 1;
    options.pauses = false;
    core.Init(&target);
    core.SetOptions(options);
    core.SetCallback(MakeTaskHelperCallback(task, core.GetStopFlag()));
    const Step run;
    core.Start();
    core.Wait();
    run.Report("scheduled (seed 1, passes)");
    return core.GetStats().saveFailed ? 1 : 0;
}

// The run saves into the fixture: it runs on a copy.
void MeasureInFreshProcess()
{
    const std::string& file = L120TightTaskFile();
    const std::string folder = file.substr(0, file.rfind('/') + 1);
    const std::string copy = folder.substr(0, folder.size() - 1) + "-run/";
    if (zem::CopyFolder(folder, copy) != 0) {
        std::fprintf(stderr, "cannot copy the fixture to %s\n", copy.c_str());
        return;
    }
    RunOpenOnceInFreshProcess(copy + file.substr(file.rfind('/') + 1));
    zem::RemoveFolder(copy);
}

}  // namespace

int main(int argc, char** argv)
{
    zem::SetMessageHook([](const zem::MessageRequest& request) {
        std::fprintf(stderr, "bench_task_memory: %s\n", request.text.c_str());
        return static_cast<int>(zem::IDOK);
    });
    if (argc == 3 && std::strcmp(argv[1], "--open-once") == 0)
        return OpenOnce(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    MeasureInFreshProcess();
    const std::string& file = L120TightTaskFile();
    zem::RemoveFolder(file.substr(0, file.rfind('/') + 1));
    return 0;
}
