// Validating a finished timetable of a large school: 120 classes, 350 teachers, 1,800 plans,
// shared rooms and combined classes. It runs before and after every change of a task's timetables
// and after every benchmarked scheduling run, so it must stay within a few milliseconds.
#include "base/ScheduleTask.h"
#include "base/ChangeCheck.h"
#include "base/ScheduleValidator.h"
#include "platform/Text.h"
#include "testing/generator/SchoolGenerator.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kClasses = 120;
constexpr int kTeachers = 350;
constexpr int kPlansPerClass = 15;
constexpr int kRooms = 30;
constexpr int kWeekly[kPlansPerClass] = {4, 4, 4, 3, 3, 3, 2, 2, 2, 2, 2, 2, 1, 1, 1};

std::string FakeId(const char* kind, int n) { return zem::Format("%s%030d", kind, n); }

template <class T>
T* Add(CZemObjectList& list, const std::string& id, int index)
{
    auto* object = new T;
    object->SetId(id);
    object->SetName(id.substr(id.size() - 4));
    object->SetIndex(index);
    list.Add(object);
    return object;
}

bool HasFreePlace(CScheduleTask& task, const std::string& roomId, const tagTABLE_NODE& node)
{
    CRoomInfo* room = task.GetRoom(roomId);
    if (!room)
        return true;
    for (int i = 0; const CCourseTable* place = room->GetComplexTable().Enum(false, i); ++i)
        if (!place->IsUsed(node))
            return true;
    return false;
}

// Places every lesson greedily on the first slot where its class, teacher and room are free.
std::unique_ptr<CScheduleTask> BuildPlacedSchool()
{
    auto task = std::make_unique<CScheduleTask>();
    CSchoolStructure& week = task->GetSchoolStructure();
    for (int day = 5; day < zem::kDayCount; ++day)
        week.SetWeekDay(day, false);
    week.SetSectionNodeMaxCount(1, 4, true);
    week.RefreshData();

    for (int t = 0; t < kTeachers; ++t)
        Add<CTeacherInfo>(task->GetTeacherInfoList(), FakeId("t", t), t);
    for (int s = 0; s < kPlansPerClass; ++s)
        Add<CSubjectInfo>(task->GetSubjectInfoList(), FakeId("s", s), s);
    for (int r = 0; r < kRooms; ++r)
        Add<CRoomInfo>(task->GetRoomInfoList(), FakeId("r", r), r)->SetCapacity(1 + r % 3);
    std::vector<CCourseInfo*> plans;
    for (int c = 0; c < kClasses; ++c) {
        Add<CClassInfo>(task->GetClassInfoList(), FakeId("c", c), c);
        for (int s = 0; s < kPlansPerClass; ++s) {
            const int n = c * kPlansPerClass + s;
            auto* plan = Add<CCourseInfo>(task->GetCourseInfoList(), FakeId("k", n), n);
            plan->SetClass(FakeId("c", c));
            plan->SetSubject(FakeId("s", s));
            plan->SetTeacher(FakeId("t", (c * 3 + s * 7) % kTeachers));
            plan->SetWeekCount(CWeekCount(kWeekly[s], false));
            if (s >= 12)
                plan->SetRoom(FakeId("r", (c + s) % kRooms));
            plans.push_back(plan);
        }
    }
    // Pairs of classes take their last subject together.
    for (int c = 0; c + 1 < kClasses; c += 2) {
        auto* combined = Add<CCombineClass>(task->GetCombineCourseList(), FakeId("cc", c), c);
        combined->GetCombineCourse() = {plans[c * kPlansPerClass + 14]->GetId(),
                                        plans[(c + 1) * kPlansPerClass + 14]->GetId()};
        plans[(c + 1) * kPlansPerClass + 14]->SetRoom(plans[c * kPlansPerClass + 14]->GetRoomParam());
    }
    task->GetCombineCourseList().ReBuildCourseMap();

    for (CCourseInfo* plan : plans) {
        const CCombineClass* combined = task->GetCC(plan->GetId());
        if (combined && combined->GetCombineCourse()[0] != plan->GetId())
            continue;  // placed with its partner
        const CCourseTable& classTable = task->GetClass(plan->GetClassId())->GetTable(false);
        const CCourseTable& teacherTable = task->GetTeacher(plan->GetTeacherId())->GetTable(false);
        int left = plan->GetWeekCount().GetWholeCount();
        for (int slot = 0; slot < zem::kSlotCount && left > 0; ++slot) {
            const tagTABLE_NODE node{slot / 30, slot / 6 % 5, slot % 6};
            if (!week.IsDayInUse(node.day) || node.segment > 1 || node.section >= 4 || classTable.IsUsed(node) ||
                teacherTable.IsUsed(node))
                continue;
            bool partnerFree = HasFreePlace(*task, plan->GetRoomParam(), node);
            if (combined)
                for (const std::string& id : combined->GetCombineCourse()) {
                    const CCourseInfo* partner = task->FindCourse(id);
                    partnerFree = partnerFree && !task->GetClass(partner->GetClassId())->GetTable(false).IsUsed(node) &&
                                  !task->GetTeacher(partner->GetTeacherId())->GetTable(false).IsUsed(node);
                }
            if (!partnerFree)
                continue;
            if (combined)
                for (const std::string& id : combined->GetCombineCourse())
                    task->SetCourseNode(task->FindCourse(id), plan->GetRoomParam(), false, node, 0);
            else
                task->SetCourseNode(plan, plan->GetRoomParam(), false, node, 0);
            --left;
        }
    }
    return task;
}

void BM_ValidateSchedule(benchmark::State& state)
{
    const std::unique_ptr<CScheduleTask> task = BuildPlacedSchool();
    std::size_t violations = 0;
    for (auto _ : state) {
        const ScheduleValidation result = ValidateSchedule(*task);
        violations = result.Count();
        benchmark::DoNotOptimize(violations);
    }
    state.counters["violations"] = static_cast<double>(violations);
}
BENCHMARK(BM_ValidateSchedule)->Unit(benchmark::kMillisecond);

// What an operation pays for being checked: the state before it and the findings after it, the
// change itself being one lesson moved (the cost is the two validations).
void BM_ChangeCheck(benchmark::State& state)
{
    const std::unique_ptr<CScheduleTask> task = BuildPlacedSchool();
    CCourseInfo* plan = task->FindCourse(FakeId("k", 0));
    for (auto _ : state) {
        const CChangeCheck check(*task, false);
        task->SetCourseNode(plan, plan->GetRoomParam(), false, {4, 2, 0}, 0);
        const ChangeFindings findings = check.Findings();
        benchmark::DoNotOptimize(findings.broken.Count());
        state.PauseTiming();
        task->UnsetTableNode(&plan->GetTable(false), {4, 2, 0}, 0);
        task->UnsetTableNode(&task->GetClass(plan->GetClassId())->GetTable(false), {4, 2, 0}, 0);
        task->UnsetTableNode(&task->GetTeacher(plan->GetTeacherId())->GetTable(false), {4, 2, 0}, 0);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ChangeCheck)->Unit(benchmark::kMillisecond);

// The same on the generated L120 school, its timetables filled.
void BM_ChangeCheckL120(benchmark::State& state)
{
    const std::unique_ptr<CScheduleTask> task = zemgen::GenerateSchool({"L120", "tight", 1});
    zemgen::FillTimetables(*task);
    for (auto _ : state) {
        const CChangeCheck check(*task, false);
        const ChangeFindings findings = check.Findings();
        benchmark::DoNotOptimize(findings.broken.Count());
    }
    state.counters["violations"] = static_cast<double>(ValidateSchedule(*task).Count());
}
BENCHMARK(BM_ChangeCheckL120)->Unit(benchmark::kMillisecond);

void BM_CompareTimetables(benchmark::State& state)
{
    const std::unique_ptr<CScheduleTask> first = BuildPlacedSchool();
    const std::unique_ptr<CScheduleTask> second = BuildPlacedSchool();
    for (auto _ : state) {
        const ScheduleValidation result = CompareTimetables(*first, *second);
        benchmark::DoNotOptimize(result.Count());
    }
}
BENCHMARK(BM_CompareTimetables)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
