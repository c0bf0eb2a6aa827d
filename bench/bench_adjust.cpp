// Changing a timetable by hand: picking a lesson (every cell it may go to computed and marked)
// and a move of it with its history record, in a class of a generated school. Budget: under
// 16 ms each on L120, so that the grid answers a click within a frame.
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/TableContainer.h"
#include "testing/generator/SchoolGenerator.h"

#include "GridBenchMain.h"

#include <benchmark/benchmark.h>


#include <cstdlib>
#include <map>
#include <memory>

namespace {

struct School {
    std::unique_ptr<CScheduleTask> task;
    QWidget host;
    CTableContainer container;
    tagTABLE_NODE from;
    tagTABLE_NODE to;
};

// Emptied before the application goes, as the windows must be.
std::map<std::string, std::unique_ptr<School>>& Schools()
{
    static std::map<std::string, std::unique_ptr<School>> schools;
    return schools;
}

// One school per size, with a class timetable shown and a lesson that may move.
School& SchoolOfSize(const std::string& size)
{
    auto& school = Schools()[size];
    if (school)
        return *school;
    school = std::make_unique<School>();
    zemgen::SchoolOptions options;
    options.size = size;
    school->task = zemgen::GenerateSchool(options);
    zemgen::FillTimetables(*school->task);
    CTaskHelper(school->task.get()).RestoreTempTables();
    school->host.resize(900, 620);
    school->container.Create(&school->host, school->task.get(), nullptr, false);
    school->container.setGeometry(0, 0, 900, 620);
    school->container.GetGrid().SetAnimateMoves(false);
    school->container.GetGrid().SetPlaySoundInMoving(false);
    CClassInfo* cls = static_cast<CClassInfo*>(school->task->GetClassInfoList().begin()->second);
    school->container.SetObject(TABLE_CLASS, cls->GetId());
    school->container.ShowObject();
    CCourseTable& table = *school->container.GetTable();
    CTaskHelper helper(school->task.get());
    const CSchoolStructure& structure = school->task->GetSchoolStructure();
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int section = 0; section < structure.GetSectionNodeMaxCount(0); ++section)
            for (int target = 0; target < structure.GetSectionNodeMaxCount(1); ++target) {
                const tagTABLE_NODE from{day, 0, section};
                const tagTABLE_NODE to{day, 1, target};
                if (structure.IsDayInUse(day) && table.IsUsed(from) && helper.CanSwap(&table, to, from, false)) {
                    school->from = from;
                    school->to = to;
                    return *school;
                }
            }
    std::fprintf(stderr, "no lesson of %s may move\n", size.c_str());
    std::exit(1);
}

void BM_Pick(benchmark::State& state, const char* size)
{
    School& school = SchoolOfSize(size);
    const tagTABLE_NODE cell = school.container.ToGridNode(school.from);
    for (auto _ : state) {
        school.container.OnPick(cell);
        state.PauseTiming();
        school.container.GetGrid().SetAllCellNormal();
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(BM_Pick, S36, "S36")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pick, L120, "L120")->Unit(benchmark::kMillisecond);

// The same, with the grid painted as the user then sees it.
void BM_PickAndPaint(benchmark::State& state, const char* size)
{
    School& school = SchoolOfSize(size);
    const tagTABLE_NODE cell = school.container.ToGridNode(school.from);
    for (auto _ : state) {
        school.container.OnPick(cell);
        benchmark::DoNotOptimize(school.container.GetGrid().grab());
        state.PauseTiming();
        school.container.GetGrid().SetAllCellNormal();
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(BM_PickAndPaint, S36, "S36")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PickAndPaint, L120, "L120")->Unit(benchmark::kMillisecond);

// The move there and, next time, back again, each with its record.
void BM_SwapWithRecord(benchmark::State& state, const char* size)
{
    School& school = SchoolOfSize(size);
    const tagTABLE_NODE a = school.container.ToGridNode(school.from);
    const tagTABLE_NODE b = school.container.ToGridNode(school.to);
    bool back = false;
    for (auto _ : state) {
        school.container.OnMoved(back ? a : b, back ? b : a);
        back = !back;
    }
    state.counters["records"] = school.container.GetHistory().GetCount();
}
BENCHMARK_CAPTURE(BM_SwapWithRecord, S36, "S36")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SwapWithRecord, L120, "L120")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunGridBenchmarks(argc, argv, [] { Schools().clear(); });
}
