// Cell texts: a week grid asks for one per visible cell on every repaint, and the whole-school
// grid for thousands. Budget: the 36 cells of one week grid in well under 50 µs.
#include "base/ScheduleTask.h"
#include "platform/Text.h"

#include <benchmark/benchmark.h>

namespace {

std::string FakeId(const char* kind, int n) { return zem::Format("%s%030d", kind, n); }

template <class T>
T* Add(CZemObjectList& list, const std::string& id, const std::string& name)
{
    auto* object = new T;
    object->SetId(id);
    object->SetName(name);
    object->SetIndex(list.GetCount());
    list.Add(object);
    return object;
}

// Ten classes of twelve plans each, every third plan with an assistant, two plans combined, and
// a room of three places shared by three lessons at some slots.
struct School {
    CScheduleTask task;
    CCourseTable classTable;
    CCourseTable roomTable;

    School()
    {
        for (int i = 0; i < 12; ++i)
            Add<CSubjectInfo>(task.GetSubjectInfoList(), FakeId("s", i), zem::Format("科目%d", i));
        for (int i = 0; i < 40; ++i)
            Add<CTeacherInfo>(task.GetTeacherInfoList(), FakeId("t", i), zem::Format("教师%d", i));
        for (int i = 0; i < 10; ++i)
            Add<CClassInfo>(task.GetClassInfoList(), FakeId("c", i), zem::Format("初一(%d)班", i + 1));
        Add<CRoomInfo>(task.GetRoomInfoList(), FakeId("r", 0), "实验室")->SetCapacity(3);
        for (int i = 0; i < 120; ++i) {
            auto* course = Add<CCourseInfo>(task.GetCourseInfoList(), FakeId("k", i), "");
            course->SetClass(FakeId("c", i / 12));
            course->SetSubject(FakeId("s", i % 12));
            course->SetTeacher(FakeId("t", i % 40));
            if (i % 3 == 0) {
                auto* assistant = Add<CCourseAssistant>(task.GetAssistantList(), course->GetId(), "");
                assistant->GetAssistants().push_back(FakeId("t", (i + 1) % 40));
            }
        }
        auto* combined = Add<CCombineClass>(task.GetCombineCourseList(), "cc", "");
        combined->GetCombineCourse() = {FakeId("k", 0), FakeId("k", 12)};
        task.GetCombineCourseList().ReBuildCourseMap();

        int n = 0;
        for (int day = 0; day < 6; ++day) {
            for (int section = 0; section < 6; ++section, ++n) {
                CCourseTableNode& cell = classTable.GetNode(day, 0, section);
                cell.data(1) = CCourseTableNode::NodeData(FakeId("k", n % 12), FakeId("r", 0), n % 3);
                if (n % 9 == 0) {
                    cell.SetInterleave(true);
                    cell.data(2) = CCourseTableNode::NodeData(FakeId("k", (n + 1) % 12), std::string(), -1);
                }
                CCourseTableNode& shared = roomTable.GetNode(day, 0, section);
                shared.data(1) = CCourseTableNode::NodeData(FakeId("k", n % 120), FakeId("r", 0), 0);
                if (n % 2 == 0) {
                    for (int place = 1; place < 3; ++place) {
                        CCourseTableNode other;
                        other.data(1) =
                            CCourseTableNode::NodeData(FakeId("k", (n + 12 * place) % 120), FakeId("r", 0), place);
                        shared.Combine(other);
                    }
                }
            }
        }
    }
};

void BM_CellInfoWeekGrid(benchmark::State& state)
{
    static School school;
    const auto type = static_cast<TABLE_TYPE>(state.range(0));
    const CCourseTable& table = type == TABLE_ROOM ? school.roomTable : school.classTable;
    const CellInfoParam param{false, true, static_cast<int>(state.range(1)), {}};
    for (auto _ : state) {
        for (int day = 0; day < 6; ++day)
            for (int section = 0; section < 6; ++section)
                benchmark::DoNotOptimize(school.task.GetCellInfo(table.GetNode(day, 0, section), type, param));
    }
    state.SetItemsProcessed(state.iterations() * 36);
}
BENCHMARK(BM_CellInfoWeekGrid)->ArgsProduct({{TABLE_CLASS, TABLE_TEACHER, TABLE_ROOM}, {0, 3}});

}  // namespace

BENCHMARK_MAIN();
