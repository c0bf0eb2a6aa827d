// Importing a flat plan list of 2,520 rows (the L120 school's 120 classes, 21 plans each) into the
// plan page of an empty task, through the import dialog's worker and the page's rows, as a user's
// first import. Budget: under 5 s.
#include "app/data/PlanListPage.h"
#include "app/output/import/PlanImportDlg.h"
#include "app/output/workbook/Workbook.h"
#include "app/output/workbook/XlsxWriter.h"
#include "app/shared/AppServices.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/Timers.h"
#include "testing/generator/SchoolGenerator.h"

#include "GridBenchMain.h"
#include "ImportFixture.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

class TaskServices : public CAppServices {
public:
    CScheduleTask* GetTask() const override { return task; }
    int GetImportFormat() const override { return 1; }
    CScheduleTask* task = nullptr;
};

void BM_FlatPlanListIntoThePage(benchmark::State& state)
{
    const std::string folder = std::filesystem::temp_directory_path() / ("zem-bench-plan-import-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/plans.xlsx";
    WriteFlatPlanList(*zemgen::GenerateSchool({"L120", "normal", 1}), path);
    zem::gui::FakeClock clock;
    auto files = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest&) { return path; });
    auto messages = zem::SetMessageHook([](const zem::MessageRequest&) { return zem::IDOK; });
    int classes = 0;
    for (auto _ : state) {
        CScheduleTask task;
        TaskServices services;
        services.task = &task;
        SetAppServices(&services);
        CPlanListPage page;
        double ms = 0;
        auto modal = zem::gui::SetModalHook([&](zem::gui::Dialog& dialog) {
            if (&dialog == &page) {
                page.SendCommand(CListBaseDlg::IDC_IMPORT);
                classes = page.GetCards()->GetCount();
                return;
            }
            auto* import = dynamic_cast<CPlanImportDlg*>(&dialog);
            if (!import)
                return;
            const auto start = std::chrono::steady_clock::now();
            import->SendCommand(CPlanImportDlg::IDC_START);
            // The end of the run is posted: the loop serves it with the rows sent.
            while (import->IsImporting())
                QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
            ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        });
        page.DoModal();
        zem::gui::SetModalHook(modal);
        SetAppServices(nullptr);
        state.SetIterationTime(ms / 1000);
    }
    zem::gui::SetFileDialogHook(files);
    zem::SetMessageHook(messages);
    std::filesystem::remove_all(folder);
    state.counters["rows"] = kImportPlansPerClass * classes;
    if (classes != 120) {
        std::fprintf(stderr, "%d classes imported\n", classes);
        std::exit(1);
    }
}
BENCHMARK(BM_FlatPlanListIntoThePage)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    return RunGridBenchmarks(argc, argv);
}
