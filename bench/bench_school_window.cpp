// The whole-school timetable window on L120: filling its grid with the teacher master timetable
// (budget: under 150 ms), and a swap of two periods of a class answered without refilling the
// grid (budget: under 16 ms, a frame).
#include "app/output/PageLayout.h"
#include "app/shared/AppServices.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/SchoolTimetableDlg.h"
#include "base/ScheduleTask.h"
#include "testing/generator/SchoolGenerator.h"

#include "GridBenchMain.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// The program's services over the generated school.
class BenchServices : public CAppServices {
public:
    CScheduleTask* GetTask() const override { return task.get(); }
    CTablePageLayout* GetSchoolPageLayout() const override { return &layout; }
    bool GetShowTeacherByGroup() const override { return false; }
    std::unique_ptr<CScheduleTask> task;
    mutable CTablePageLayout layout;
};

struct Window {
    BenchServices services;
    std::unique_ptr<CSchoolTimetableDlg> dialog;
    tagNMT_MOVE2 move;  // two periods of the first class that may change places
};

std::unique_ptr<Window>& TheWindow()
{
    static std::unique_ptr<Window> window;
    return window;
}

// The window open on L120's master timetable of the kind, 1920 x 1080.
Window& Open(int kind)
{
    auto& window = TheWindow();
    if (window && window->dialog->GetKind() == kind)
        return *window;
    window.reset();
    window = std::make_unique<Window>();
    window->services.task = zemgen::GenerateSchool({"L120", "normal", 1});
    zemgen::FillTimetables(*window->services.task);
    window->services.layout.Type = kind;
    SetAppServices(&window->services);
    window->dialog = std::make_unique<CSchoolTimetableDlg>();
    window->dialog->Create();
    window->dialog->resize(1920, 1080);
    window->dialog->GetGrid().SetAnimateMoves(false);
    return *window;
}

void BM_ReloadTeacherMasterTimetable(benchmark::State& state)
{
    Window& window = Open(1);
    for (auto _ : state)
        window.dialog->Reload();
    state.counters["lines"] = static_cast<double>(window.dialog->GetModel().GetLines().size());
}
BENCHMARK(BM_ReloadTeacherMasterTimetable)->Unit(benchmark::kMillisecond);

// The grid trades the two cells and tells the window, which moves the lesson in the timetables;
// the next time the lesson goes back.
void BM_SwapWithoutReload(benchmark::State& state)
{
    Window& window = Open(0);
    CSchoolTimetableDlg& dialog = *window.dialog;
    const CSchoolTimetableModel& model = dialog.GetModel();
    CScheduleTask& task = *window.services.task;
    CCourseTable* table = model.TableOf(0);
    CTaskHelper helper(&task);
    bool found = false;
    for (int a = 0; a < model.GetPeriodCount() && !found; ++a) {
        for (int b = a + 1; b < model.GetPeriodCount() && !found; ++b) {
            tagTABLE_NODE na, nb;
            model.NodeOfPeriod(a, &na);
            model.NodeOfPeriod(b, &nb);
            const auto single = [&](const tagTABLE_NODE& n) {
                return table->IsUsed(n) && !task.GetCC(table->GetNode(n).data(1).GetCourseId());
            };
            if (single(na) && single(nb) && helper.CanSwap(table, na, nb, false)) {
                window.move = {{0, b}, {0, a}};
                found = true;
            }
        }
    }
    if (!found) {
        std::fprintf(stderr, "no two periods of the first class may change places\n");
        std::exit(1);
    }
    // One swap first, to be sure the lesson really moves in the timetables.
    tagTABLE_NODE from, to;
    model.NodeOfPeriod(window.move.picked.column, &from);
    model.NodeOfPeriod(window.move.target.column, &to);
    const std::string lesson = table->GetNode(from).data(1).GetCourseId();
    tagNMT_MOVE2 move = window.move;
    dialog.GetGrid().SwapNode(move);
    dialog.Send(WM_TABLE_NODES_SWAPPED, 0, zem::ToLParam(&move));
    if (table->GetNode(to).data(1).GetCourseId() != lesson) {
        std::fprintf(stderr, "the swap did not move the lesson\n");
        std::exit(1);
    }
    std::swap(move.target, move.picked);
    for (auto _ : state) {
        dialog.GetGrid().SwapNode(move);
        dialog.Send(WM_TABLE_NODES_SWAPPED, 0, zem::ToLParam(&move));
        std::swap(move.target, move.picked);
    }
}
BENCHMARK(BM_SwapWithoutReload)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunGridBenchmarks(argc, argv, [] {
        TheWindow().reset();
        SetAppServices(nullptr);
    });
}
