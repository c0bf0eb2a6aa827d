// The plan adjustment wizards' conflict count, run on every choice of plans or target: 30 chosen
// plans against a busy teacher of L120, the clashes marked on both previews. Budget: under 16 ms,
// so that the wizard answers a choice within a frame.
#include "app/controls/WeekTableCells.h"
#include "app/taskhelper/TaskHelper.h"
#include "table/WeekTable.h"
#include "testing/generator/SchoolGenerator.h"

#include "GridBenchMain.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct School {
    std::unique_ptr<CScheduleTask> task;
    QWidget host;
    CWeekTable left;
    CWeekTable right;
    std::vector<CCourseInfo*> plans;
    CTeacherInfo* teacher = nullptr;
};

std::unique_ptr<School>& TheSchool()
{
    static std::unique_ptr<School> school;
    return school;
}

// L120 with 30 plans of different teachers chosen and the teacher with the most lessons as the
// target, both previews shaped as the wizard shapes them.
School& L120()
{
    auto& school = TheSchool();
    if (school)
        return *school;
    school = std::make_unique<School>();
    school->task = zemgen::GenerateSchool({"L120", "normal", 1});
    zemgen::FillTimetables(*school->task);
    CTaskHelper helper(school->task.get());
    helper.RestoreTempTables();
    std::vector<CCourseInfo*> all;
    helper.GetAllCourses(&all);
    for (std::size_t i = 0; i < all.size() && school->plans.size() < 30; i += all.size() / 30)
        school->plans.push_back(all[i]);
    int most = -1;
    for (CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(school->task->GetTeacherInfoList())) {
        const int lessons = static_cast<int>(helper.GetWeekCount(&teacher->GetTable(true)).GetWholeCount());
        if (lessons > most) {
            most = lessons;
            school->teacher = teacher;
        }
    }
    school->host.resize(720, 440);
    for (CWeekTable* grid : {&school->left, &school->right}) {
        grid->Init(&school->host, nullptr);
        grid->setGeometry(0, 0, 340, 300);
        CWeekTableCells cells(*grid);
        helper.SetupWeekTable(&cells, nullptr, true);
    }
    return *school;
}

// The count alone, as RefreshStatus runs it.
void BM_CountConflicts(benchmark::State& state)
{
    School& school = L120();
    CTaskHelper helper(school.task.get());
    CWeekTableCells left(school.left);
    CWeekTableCells right(school.right);
    int clashes = 0;
    for (auto _ : state) {
        std::vector<std::string> classes;
        bool already = false;
        clashes = helper.MarkPlanConflicts(school.plans, &left, school.teacher, &right, TABLE_TEACHER, &classes,
                                           &already);
        school.left.Refresh();
        school.right.Refresh();
    }
    state.counters["plans"] = static_cast<double>(school.plans.size());
    state.counters["clashes"] = clashes;
}
BENCHMARK(BM_CountConflicts)->Unit(benchmark::kMillisecond);

// A choice as the user makes it: both previews filled afresh, then the count.
void BM_ChooseAndCount(benchmark::State& state)
{
    School& school = L120();
    CTaskHelper helper(school.task.get());
    CWeekTableCells left(school.left);
    CWeekTableCells right(school.right);
    std::vector<const CCourseTable*> tables;
    for (CCourseInfo* plan : school.plans)
        tables.push_back(&plan->GetTable(true));
    for (auto _ : state) {
        left.Clear();
        helper.FillWeekTableEx(&left, tables, TABLE_TEACHER);
        right.Clear();
        helper.FillWeekTable(&right, &school.teacher->GetTable(true), TABLE_TEACHER, false, false, 0, "");
        std::vector<std::string> classes;
        bool already = false;
        benchmark::DoNotOptimize(helper.MarkPlanConflicts(school.plans, &left, school.teacher, &right, TABLE_TEACHER,
                                                          &classes, &already));
        school.left.Refresh();
        school.right.Refresh();
    }
}
BENCHMARK(BM_ChooseAndCount)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunGridBenchmarks(argc, argv, [] { TheSchool().reset(); });
}
