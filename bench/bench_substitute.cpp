// Choosing a substitute on a generated school with its timetables filled: the candidate list
// refilled as for one keystroke in the search box, over every lesson of the busiest teacher, in
// the model and in the chooser's list. Comparing a temporary task with the formal one: every class
// and teacher timetable, in the function and through the comparison window with its worker.
// Budgets on L120: under 16 ms per refill, under 300 ms per comparison.
#include "GridBenchMain.h"

#include "app/controls/GdiResources.h"
#include "app/shared/AppServices.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/CompareTaskDlg.h"
#include "app/timetable/SubstitutePlan.h"
#include "app/timetable/SubstituteTeacherDlg.h"
#include "base/ScheduleTask.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/Messages.h"
#include "testing/generator/SchoolGenerator.h"

#include <QCoreApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::unique_ptr<CScheduleTask> FilledSchool(const char* size)
{
    std::unique_ptr<CScheduleTask> task = zemgen::GenerateSchool({size, "normal", 1});
    zemgen::FillTimetables(*task);
    // The windows work on the working copies of the timetables.
    CTaskHelper(task.get()).RestoreTempTables();
    return task;
}

// The teacher with the most lessons.
std::string BusiestTeacher(CScheduleTask& task)
{
    CSubstitutePlan plan;
    std::size_t most = 0;
    std::string teacherId;
    for (const auto& [id, object] : task.GetTeacherInfoList()) {
        plan.SetTask(&task, id);
        if (plan.UsedCells().size() > most) {
            most = plan.UsedCells().size();
            teacherId = id;
        }
    }
    return teacherId;
}

// The chooser's list refilled for each keystroke, the preview of the first candidate included; the
// text goes back and forth between the two given, the first empty listing every teacher.
void BM_SubstituteChooserRefill(benchmark::State& state, const char* size, const char* first, const char* second)
{
    std::unique_ptr<CScheduleTask> task = FilledSchool(size);
    const std::string teacherId = BusiestTeacher(*task);
    CSubstitutePlan plan;
    plan.SetTask(task.get(), teacherId);
    CSubstituteTeacherDlg chooser;
    chooser.SetContext(task.get(), teacherId, plan.UsedCells());
    chooser.Create();
    auto* search = chooser.Item<QLineEdit>(CSubstituteTeacherDlg::IDC_SEARCH);
    bool odd = false;
    for (auto _ : state) {
        // Each keystroke changes the text, and the change refills the list.
        search->setText(odd ? first : second);
        odd = !odd;
    }
    state.counters["listed"] = chooser.GetList()->count();
}
BENCHMARK_CAPTURE(BM_SubstituteChooserRefill, L120_typing, "L120", "z", "zh")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SubstituteChooserRefill, L120_all, "L120", "", "z")->Unit(benchmark::kMillisecond);

// A temporary task with one teacher's week changed: every class and teacher timetable compared.
struct ComparedSchools {
    std::unique_ptr<CScheduleTask> formal = FilledSchool("L120");
    std::unique_ptr<CScheduleTask> temp = FilledSchool("L120");
    ComparedSchools()
    {
        auto* teacher = static_cast<CZemTableObject*>(temp->GetTeacherInfoList().Find(BusiestTeacher(*temp)));
        teacher->GetTable(true).Clear();
    }
};

void BM_CompareTasks(benchmark::State& state)
{
    ComparedSchools schools;
    std::size_t found = 0;
    for (auto _ : state) {
        found = FindTaskDifferences(*schools.temp, *schools.formal).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["differences"] = static_cast<double>(found);
}
BENCHMARK(BM_CompareTasks)->Unit(benchmark::kMillisecond);

// The comparison window from its opening to its result, the worker's sends served by the window.
class FormalTask : public CAppServices {
public:
    explicit FormalTask(CScheduleTask* task) : m_task(task) { m_previous = SetAppServices(this); }
    ~FormalTask() override { SetAppServices(m_previous); }
    CScheduleTask* GetTask() const override { return m_task; }

private:
    CScheduleTask* m_task;
    CAppServices* m_previous = nullptr;
};

void BM_CompareDialog(benchmark::State& state)
{
    ComparedSchools schools;
    const FormalTask services(schools.formal.get());
    int found = 0;
    for (auto _ : state) {
        CCompareTaskDlg dialog(nullptr, schools.temp.get(), nullptr);
        dialog.Create();
        zem::gui::WaitWhile([&] {
            QCoreApplication::processEvents();
            return dialog.IsComparing();
        });
        found = static_cast<int>(dialog.GetDifferences().size());
    }
    state.counters["differences"] = found;
}
BENCHMARK(BM_CompareDialog)->Unit(benchmark::kMillisecond);

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

int main(int argc, char** argv) { return RunGridBenchmarks(argc, argv, [] { CGdiResources::DestroyInstance(); }); }
