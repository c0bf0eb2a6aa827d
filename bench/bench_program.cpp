// The program's own paths: from the main dialog's start to its window shown with the demo task
// reopened, and opening L120 (120 classes, about 370 teachers, 1,680 plans, timetables filled)
// through the application context as the open command does; then the peak resident memory of a
// fresh process that starts the context and opens L120 that way.
//   bench_program                    the benchmarks, then the memory
//   bench_program --open-once FILE   opens FILE through the context and prints the memory
#include "app/shell/AppContext.h"
#include "app/shell/MainDlg.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/UserFolders.h"
#include "platform/gui/Dialog.h"
#include "testing/generator/SchoolGenerator.h"

#include "FreshProcess.h"
#include "L120Task.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

const std::string& Scratch()
{
    static const std::string folder = "/tmp/zem-bench-program-" + std::to_string(::getpid()) + "/";
    return folder;
}

// The user's folders inside the scratch folder, so nothing is written into the real home.
void UseScratchFolders()
{
    zem::MakeFolder(Scratch() + "docs");
    zem::SetUserFolderHook([](zem::UserFolderKind kind) {
        return kind == zem::UserFolderKind::Documents ? Scratch() + "docs/" : Scratch();
    });
}

const std::string& L120TaskFile()
{
    static const std::string file = WriteL120Task(Scratch() + "L120/");
    return file;
}

// From the main dialog's construction to its window shown, with the demo task reopened from the
// recent list (the splash aside: it shows beside this, not before it).
void BM_MainWindowWithDemoTask(benchmark::State& state)
{
    const std::string ini = Scratch() + "zem.ini";
    CAppContext::Create(ini)->OpenDemoTask();
    CAppContext::Free();
    for (auto _ : state) {
        CAppContext::Create(ini);
        const auto start = Clock::now();
        double seconds = 0;
        bool demoOpen = false;
        zem::gui::SetModalHook([&](zem::gui::Dialog& dialog) {
            QApplication::processEvents();
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            demoOpen = CAppContext::Get()->HasTask();
            dialog.close();
        });
        CMainDlg main;
        main.DoModal();
        zem::gui::SetModalHook(nullptr);
        if (!demoOpen)
            state.SkipWithError("the demo task was not reopened");
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_MainWindowWithDemoTask)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_OpenL120ThroughTheContext(benchmark::State& state)
{
    const std::string& file = L120TaskFile();
    CAppContext* context = CAppContext::Create(Scratch() + "zem.ini");
    for (auto _ : state) {
        state.PauseTiming();
        context->CloseTask();
        state.ResumeTiming();
        if (!context->OpenTask(file, true))
            state.SkipWithError("open failed");
    }
    CAppContext::Free();
}
BENCHMARK(BM_OpenL120ThroughTheContext)->Unit(benchmark::kMillisecond);

long StatusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(key), nullptr, 10);
    return -1;
}

int OpenOnce(const char* file)
{
    const long before = StatusKb("VmRSS:");
    CAppContext* context = CAppContext::Create(Scratch() + "zem.ini");
    const auto start = Clock::now();
    if (!context->OpenTask(file, true))
        return 1;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("L120 opened through the context in %.0f ms; resident %.1f MB (peak %.1f MB, %.1f MB before the "
                "task)\n",
                ms, StatusKb("VmRSS:") / 1024.0, StatusKb("VmHWM:") / 1024.0, before / 1024.0);
    CAppContext::Free();
    return 0;
}

void MeasureInFreshProcess()
{
    RunOpenOnceInFreshProcess(L120TaskFile());
}

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    UseScratchFolders();
    int result = 0;
    if (argc == 3 && std::strcmp(argv[1], "--open-once") == 0) {
        result = OpenOnce(argv[2]);
        zem::RemoveFolder(Scratch());
    } else {
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv))
            return 1;
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        MeasureInFreshProcess();
        zem::RemoveFolder(Scratch());
    }
    return result;
}
