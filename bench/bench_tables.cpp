// Copying timetables: one table, and committing or discarding the working tables of a school's
// objects. Budget: the working tables of 2,000 objects copy in under 20 ms.
#include "base/TimeTable.h"
#include "base/ZemObject.h"
#include "platform/Text.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

std::string FakeId(const char* kind, int n) { return zem::Format("%s%030d", kind, n); }

// About thirty lessons over the week, a few odd/even cells and a few shared cells with further lessons.
void Fill(CCourseTable& table, int seed)
{
    int placed = 0;
    for (int day = 0; day < 6; ++day) {
        for (int segment = 0; segment < 2; ++segment) {
            for (int section = 0; section < (segment == 0 ? 4 : 2); ++section) {
                if ((day + segment + section + seed) % 4 == 0)
                    continue;
                CCourseTableNode& cell = table.GetNode(day, segment, section);
                const int plan = (seed * 7 + placed) % 1800;
                cell.data(1) = CCourseTableNode::NodeData(FakeId("p", plan), FakeId("r", plan % 90), 0);
                if (placed % 9 == 0) {
                    cell.SetInterleave(true);
                    cell.data(2) = CCourseTableNode::NodeData(FakeId("p", plan + 1), std::string(), -1);
                }
                if (placed % 11 == 0) {
                    CCourseTableNode partner;
                    partner.data(1) = CCourseTableNode::NodeData(FakeId("p", plan + 2), FakeId("r", 1), 1);
                    cell.Combine(partner);
                }
                table.SetValue(day, segment, section, CTimeTable::kFullUsed);
                ++placed;
            }
        }
    }
}

void BM_CopyCourseTable(benchmark::State& state)
{
    CCourseTable source;
    Fill(source, 1);
    CCourseTable target;
    for (auto _ : state) {
        target = source;
        benchmark::DoNotOptimize(target);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sizeof(CCourseTable)));
}
BENCHMARK(BM_CopyCourseTable);

void BM_CopyConstructCourseTable(benchmark::State& state)
{
    CCourseTable source;
    Fill(source, 2);
    for (auto _ : state) {
        auto copy = std::make_unique<CCourseTable>(source);
        benchmark::DoNotOptimize(copy.get());
    }
}
BENCHMARK(BM_CopyConstructCourseTable);

std::vector<std::unique_ptr<CZemTableObject>> MakeObjects(int count)
{
    std::vector<std::unique_ptr<CZemTableObject>> objects;
    for (int i = 0; i < count; ++i) {
        auto object = std::make_unique<CZemTableObject>();
        object->SetId(FakeId("o", i));
        Fill(object->GetTempTable(), i);
        objects.push_back(std::move(object));
    }
    return objects;
}

void BM_SaveTempTable(benchmark::State& state)
{
    const auto objects = MakeObjects(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (const auto& object : objects)
            object->SaveTempTable();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SaveTempTable)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_ReadTempTable(benchmark::State& state)
{
    const auto objects = MakeObjects(static_cast<int>(state.range(0)));
    for (const auto& object : objects)
        object->SaveTempTable();
    for (auto _ : state) {
        for (const auto& object : objects)
            object->ReadTempTable();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ReadTempTable)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::AddCustomContext("sizeof(CCourseTableNode)", std::to_string(sizeof(CCourseTableNode)));
    benchmark::AddCustomContext("sizeof(CCourseTable)", std::to_string(sizeof(CCourseTable)));
    benchmark::AddCustomContext("sizeof(CZemTableObject)", std::to_string(sizeof(CZemTableObject)));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
