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

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr int kPlansPerClass = 21;

class TaskServices : public CAppServices {
public:
    CScheduleTask* GetTask() const override { return task; }
    int GetImportFormat() const override { return 1; }
    CScheduleTask* task = nullptr;
};

// The flat list: every class of L120 with 21 plans of its subjects and teachers.
std::string WriteFlatList(const std::string& folder)
{
    std::unique_ptr<CScheduleTask> school = zemgen::GenerateSchool({"L120", "normal", 1});
    std::vector<std::string> subjects, teachers;
    for (CZemObject* subject : ObjectsInOrder(school->GetSubjectInfoList()))
        subjects.push_back(subject->GetName());
    for (CZemObject* teacher : ObjectsInOrder(school->GetTeacherInfoList()))
        teachers.push_back(teacher->GetName());
    while (subjects.size() < kPlansPerClass)
        subjects.push_back("选修" + std::to_string(subjects.size()));
    zem::workbook::Workbook book;
    auto& sheet = book.GetSheet(1);
    const char* headings[] = {"班级", "课程", "教师", "主/副课", "周课时数", "连课", "次数", "指定教室"};
    for (int c = 0; c < 8; ++c)
        sheet.GetRange(zem::workbook::CellName(1, c + 1)).SetValue(headings[c]);
    int row = 2;
    std::size_t teacher = 0;
    for (CZemObject* cls : ObjectsInOrder(school->GetClassInfoList())) {
        for (int p = 0; p < kPlansPerClass; ++p, ++row) {
            const std::string cells[] = {cls->GetName(), subjects[static_cast<std::size_t>(p)], teachers[teacher++ % teachers.size()],
                                         p < 6 ? "主课" : "副课", p == 20 ? "2.5" : "2", p < 3 ? "2" : "1", p < 3 ? "1" : "0", ""};
            for (int c = 0; c < 8; ++c)
                if (!cells[c].empty())
                    sheet.GetRange(zem::workbook::CellName(row, c + 1)).SetValue(cells[c]);
        }
    }
    const std::string path = folder + "/plans.xlsx";
    zem::workbook::SaveXlsx(book, path);
    return path;
}

void BM_FlatPlanListIntoThePage(benchmark::State& state)
{
    const std::string folder = std::filesystem::temp_directory_path() / ("zem-bench-plan-import-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = WriteFlatList(folder);
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
    state.counters["rows"] = kPlansPerClass * classes;
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
