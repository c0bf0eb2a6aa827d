// Workbooks: the largest timetable workbook a job writes (250 pages of one timetable each) built in
// memory, saved as .xlsx, and read back. Budget: well under the time the user waits for the
// progress window, a few seconds for the whole workbook.
#include "app/output/workbook/WorkbookReader.h"
#include "app/output/workbook/XlsxWriter.h"
#include "platform/Text.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <system_error>

namespace {

using namespace zem::workbook;

// One block as the timetable writer lays it out: title, head row, 8 periods of 7 days with a
// subject in a larger font over a room, frames, and a footer.
void WriteBlock(Worksheet& sheet, int top, int index)
{
    sheet.GetRange(Area{top, 1, top, 9}).Merge(true);
    sheet.GetRange(CellName(top, 1)).SetValue(zem::Format("高一(%d)班课表", index));
    sheet.GetRange(CellName(top, 1)).Font().SetSize(16);
    Range head = sheet.GetRange(Area{top + 2, 1, top + 2, 9});
    head.Interior().SetColorIndex(15);
    head.Font().SetBold(true);
    for (int day = 0; day < 7; ++day)
        sheet.GetRange(CellName(top + 2, 3 + day)).SetValue(zem::Format("星期%d", day + 1));
    for (int period = 0; period < 8; ++period) {
        const int row = top + 3 + period;
        sheet.GetRange(CellName(row, 2)).SetValue(zem::Format("第%d节", period + 1));
        for (int day = 0; day < 7; ++day) {
            Range cell = sheet.GetRange(CellName(row, 3 + day));
            cell.SetValue(zem::Format("科目%d\n%03d", (period + day) % 9, period * 10 + day));
            cell.Font().SetSize(9);
            cell.Characters(0, 3).SetSize(12);
            cell.BorderAround(1, 2, 1);
        }
    }
    sheet.GetRange(Area{top + 11, 1, top + 11, 6}).Merge(true);
    sheet.GetRange(CellName(top + 11, 1)).SetValue("班主任：王喆");
}

void BuildWorkbook(Workbook& book, int blocks)
{
    Worksheet& sheet = book.GetSheet(1);
    sheet.Cells().SetHorizontalAlignment(3);
    sheet.Cells().SetVerticalAlignment(-4108);
    sheet.Cells().SetWrapText(true);
    sheet.Cells().SetNumberFormatLocal("@");
    for (int i = 0; i < blocks; ++i)
        WriteBlock(sheet, 1 + i * 14, i + 1);
}

void BM_BuildTimetableWorkbook(benchmark::State& state)
{
    for (auto _ : state) {
        Workbook book;
        BuildWorkbook(book, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(book.GetSheet(1).GetCells().size());
    }
}
BENCHMARK(BM_BuildTimetableWorkbook)->Arg(250)->Unit(benchmark::kMillisecond);

const std::string& SavedPath()
{
    static const std::string path = [] {
        std::error_code ec;
        const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
        return ((ec ? std::filesystem::path("/tmp") : folder) / "zem-bench-workbook.xlsx").string();
    }();
    return path;
}

void BM_SaveTimetableWorkbook(benchmark::State& state)
{
    Workbook book;
    BuildWorkbook(book, static_cast<int>(state.range(0)));
    for (auto _ : state)
        SaveXlsx(book, SavedPath());
    std::error_code ec;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(SavedPath(), ec));
}
BENCHMARK(BM_SaveTimetableWorkbook)->Arg(250)->Unit(benchmark::kMillisecond);

void BM_ReadTimetableWorkbook(benchmark::State& state)
{
    Workbook book;
    BuildWorkbook(book, 250);
    SaveXlsx(book, SavedPath());
    for (auto _ : state) {
        SheetData sheet;
        std::string error;
        benchmark::DoNotOptimize(ReadWorkbookSheet(SavedPath(), sheet, error));
    }
    std::error_code ec;
    std::filesystem::remove(SavedPath(), ec);
}
BENCHMARK(BM_ReadTimetableWorkbook)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
