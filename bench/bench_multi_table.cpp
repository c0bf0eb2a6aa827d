// The multi-timetable window with nine panes: a lesson moved in the first pane (a class) and the
// change shown in every pane, the class's teachers among them. Budget: under 50 ms on L120.
#include "app/shared/AppServices.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/MultiTableDlg.h"
#include "app/timetable/WeekTableWnd.h"
#include "testing/generator/SchoolGenerator.h"

#include "GridBenchMain.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

class BenchServices : public CAppServices {
public:
    CScheduleTask* GetTask() const override { return task; }
    CScheduleTask* task = nullptr;
};

struct School {
    std::unique_ptr<CScheduleTask> task;
    BenchServices services;
    std::unique_ptr<CMultiTableDlg> window;
    tagTABLE_NODE from;
    tagTABLE_NODE to;
};

// Emptied before the application goes, as the windows must be.
std::unique_ptr<School>& TheSchool()
{
    static std::unique_ptr<School> school;
    return school;
}

// L120 with its timetables filled, the window on nine panes: the first class, then its teachers.
School& MakeSchool()
{
    auto& school = TheSchool();
    if (school)
        return *school;
    school = std::make_unique<School>();
    zemgen::SchoolOptions options;
    options.size = "L120";
    school->task = zemgen::GenerateSchool(options);
    zemgen::FillTimetables(*school->task);
    school->services.task = school->task.get();
    SetAppServices(&school->services);
    school->task->SetConfigInt(CMultiTableDlg::kSection, "ViewType", 3);
    school->window = std::make_unique<CMultiTableDlg>();
    school->window->Create();
    school->window->resize(1920, 1040);
    school->window->show();

    CWeekTableWnd& first = *school->window->GetPane(0);
    CCourseTable& table = *first.GetContainer().GetTable();
    CTaskHelper helper(school->task.get());
    std::vector<std::string> teachers;
    const CSchoolStructure& structure = school->task->GetSchoolStructure();
    bool found = false;
    for (int day = 0; day < zem::kDayCount && !found; ++day)
        for (int section = 0; section < structure.GetSectionNodeMaxCount(0) && !found; ++section)
            for (int target = 0; target < structure.GetSectionNodeMaxCount(1) && !found; ++target) {
                const tagTABLE_NODE from{day, 0, section};
                const tagTABLE_NODE to{day, 1, target};
                if (structure.IsDayInUse(day) && table.IsUsed(from) && helper.CanSwap(&table, to, from, false)) {
                    school->from = from;
                    school->to = to;
                    found = true;
                }
            }
    if (!found) {
        std::fprintf(stderr, "no lesson of L120 may move\n");
        std::exit(1);
    }
    for (const tagTABLE_NODE& slot : {school->from, school->to})
        if (CCourseInfo* plan = helper.FindCourse(table.GetNode(slot).GetCourseId(0)))
            teachers.push_back(plan->GetTeacherId());
    for (int i = 1; i < school->window->GetPaneCount() && i <= static_cast<int>(teachers.size()); ++i)
        school->window->GetPane(i)->SetObjects(TABLE_TEACHER, teachers[static_cast<std::size_t>(i - 1)]);
    first.GetContainer().GetGrid().SetAnimateMoves(false);
    first.GetContainer().GetGrid().SetPlaySoundInMoving(false);
    return *school;
}

// The move there and, next time, back: the record, every other pane reloaded, the progress; with
// paint, also the window painted as the user then sees it.
void BM_ChangeShownInNinePanes(benchmark::State& state, bool paint)
{
    School& school = MakeSchool();
    CTableContainer& container = school.window->GetPane(0)->GetContainer();
    const tagTABLE_NODE a = container.ToGridNode(school.from);
    const tagTABLE_NODE b = container.ToGridNode(school.to);
    bool back = false;
    for (auto _ : state) {
        container.OnMoved(back ? a : b, back ? b : a);
        if (paint)
            benchmark::DoNotOptimize(school.window->grab());
        back = !back;
    }
    state.counters["panes"] = school.window->GetPaneCount();
}
BENCHMARK_CAPTURE(BM_ChangeShownInNinePanes, L120, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ChangeShownInNinePanes, L120Painted, true)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunGridBenchmarks(argc, argv, [] {
        TheSchool().reset();
        SetAppServices(nullptr);
    });
}
