// The multi-timetable window with nine panes: a lesson moved in the first pane (a class) and the
// change shown in every pane, the worst case: each of the other eight shows the class or a teacher
// (with rooms: or a room) of the two lessons that trade places, so that all nine are filled and
// painted again. Budget: under 50 ms on L120.
#include "app/shared/AppServices.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/MultiTableDlg.h"
#include "app/timetable/WeekTableWnd.h"
#include "testing/generator/SchoolGenerator.h"

#include "GridBenchMain.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

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

// L120 with its timetables filled, the window on nine panes, the first on a class with a lesson
// that may move.
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
    school->window = std::make_unique<CMultiTableDlg>();
    school->window->Create();
    school->window->SetViewType(3);
    school->window->resize(1920, 1040);
    school->window->show();

    CWeekTableWnd& first = *school->window->GetPane(0);
    CCourseTable& table = *first.GetContainer().GetTable();
    CTaskHelper helper(school->task.get());
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
    first.GetContainer().GetGrid().SetAnimateMoves(false);
    first.GetContainer().GetGrid().SetPlaySoundInMoving(false);
    return *school;
}

// The other panes on the class and the objects of the two lessons that trade places.
void ShowTouchedObjects(School& school, bool withRooms)
{
    CWeekTableWnd& first = *school.window->GetPane(0);
    const CCourseTable& table = *first.GetContainer().GetTable();
    CTaskHelper helper(school.task.get());
    std::vector<std::pair<int, std::string>> touched{{TABLE_CLASS, first.GetContainer().GetObjectId()}};
    for (const tagTABLE_NODE& slot : {school.from, school.to}) {
        const CCourseTableNode& node = table.GetNode(slot);
        if (CCourseInfo* plan = helper.FindCourse(node.GetCourseId(0)))
            touched.emplace_back(TABLE_TEACHER, plan->GetTeacherId());
        if (withRooms && !node.data(1).GetRoomId().empty())
            touched.emplace_back(TABLE_ROOM, node.data(1).GetRoomId());
    }
    for (int i = 1; i < school.window->GetPaneCount(); ++i) {
        const auto& [kind, id] = touched[static_cast<std::size_t>(i) % touched.size()];
        school.window->GetPane(i)->SetObjects(kind, id);
    }
}

// The move there and, next time, back: the record, every other pane reloaded, the progress; with
// paint, also what changed painted as the screen then shows it.
void BM_ChangeShownInNinePanes(benchmark::State& state, bool paint, bool withRooms)
{
    School& school = MakeSchool();
    ShowTouchedObjects(school, withRooms);
    CTableContainer& container = school.window->GetPane(0)->GetContainer();
    const tagTABLE_NODE a = container.ToGridNode(school.from);
    const tagTABLE_NODE b = container.ToGridNode(school.to);
    bool back = false;
    QCoreApplication::processEvents();
    for (auto _ : state) {
        container.OnMoved(back ? a : b, back ? b : a);
        if (paint)
            QCoreApplication::processEvents();
        back = !back;
    }
    state.counters["panes"] = school.window->GetPaneCount();
}
BENCHMARK_CAPTURE(BM_ChangeShownInNinePanes, L120, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ChangeShownInNinePanes, L120Painted, true, false)->Unit(benchmark::kMillisecond);
// A shared room with many classes at a time is the grid that takes longest to paint.
BENCHMARK_CAPTURE(BM_ChangeShownInNinePanes, L120WithRoomsPainted, true, true)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunGridBenchmarks(argc, argv, [] {
        TheSchool().reset();
        SetAppServices(nullptr);
    });
}
