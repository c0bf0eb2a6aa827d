#include "app/output/workbook/InvigilationWorkbook.h"

#include "app/output/workbook/ExportCells.h"
#include "app/output/workbook/SheetPrinting.h"
#include "app/shared/InvigilationRows.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "base/ScheduleProctor.h"
#include "base/ScheduleTask.h"

#include <array>

using zem::workbook::Workbook;
using zem::workbook::Worksheet;

namespace {

struct SheetLayout {
    const char* name;
    const char* longTitle;  // shown while the sheet is written
    int view;
    std::array<double, 4> widths;
};

constexpr SheetLayout kSheets[] = {
    {"按考试计划", "监考安排表 - 按考试计划", kViewByPlan, {28, 18, 12, 28}},
    {"按监考教师", "监考安排表 - 按监考教师", kViewByTeacher, {18, 28, 24, 16}},
    {"按考场", "监考安排表 - 按考场", kViewByRoom, {15, 28, 18, 25}},
};

void WriteSheet(Worksheet& sheet, const SheetLayout& layout, const std::vector<CInvigilationRow>& rows,
                const std::string& title, const CExportContext& context)
{
    sheet.SetName(layout.name);
    PrepareListSheet(sheet, context.fontName, static_cast<int>(rows.size()) + 2);
    CExportCellStyle titleStyle;
    titleStyle.fontName = context.tableFontName;
    titleStyle.fontSize = 16;
    titleStyle.bold = true;
    CExportCellStyle headerStyle = titleStyle;
    headerStyle.fontSize = 11;
    headerStyle.colorIndex = 15;
    headerStyle.border = true;
    CExportCellStyle bodyStyle = headerStyle;
    bodyStyle.bold = false;
    bodyStyle.colorIndex = -1;

    sheet.GetRange("A1", "D1").Merge(true);
    SetRowHeight(sheet, 1, 32);
    WriteRange(sheet, "A1", "D1", title, &titleStyle, false);
    const std::array<const char*, 4> headings = InvigilationHeadings(layout.view);
    for (int column = 1; column <= 4; ++column) {
        const std::size_t at = static_cast<std::size_t>(column - 1);
        const std::string cell = CellAddress(column, 2);
        WriteRange(sheet, cell, cell, std::string(headings[at]), &headerStyle, false);
        SetColumnWidth(sheet, ColumnLetters(column), layout.widths[at]);
    }
    int row = 3;
    for (const CInvigilationRow& texts : rows) {
        for (int column = 1; column <= 4; ++column) {
            const std::string cell = CellAddress(column, row);
            WriteRange(sheet, cell, cell, texts.cells[static_cast<std::size_t>(column - 1)], &bodyStyle, false);
        }
        ++row;
    }
    zem::workbook::SetUpPrinting(sheet, zem::workbook::PrintShape::Heading(1, 2));
}

}  // namespace

bool WriteInvigilationWorkbook(CSpreadsheetExporter& exporter, Workbook& book)
{
    const CExportParam& param = exporter.GetParam();
    const auto* data = static_cast<const CProctorData*>(param.data0);
    if (!data)
        return false;
    if (book.GetSheetCount() < 3)
        book.AddSheets(3 - book.GetSheetCount());
    if (book.GetSheetCount() < 3) {
        exporter.SetError(2, "创建工作表失败");
        return false;
    }
    const CScheduleTask* task = exporter.GetTask();
    const bool hideYear = task && task->GetConfigInt(kProctorSection, kHideYearKey, 0) != 0;
    for (int n = 1; n <= 3; ++n) {
        const SheetLayout& layout = kSheets[n - 1];
        exporter.ThrowIfCancelled();
        exporter.SendProgress(n, 3, layout.longTitle);
        WriteSheet(book.GetSheet(n), layout, BuildInvigilationRows(layout.view, *data, task, hideYear), param.text1,
                   exporter.GetContext());
    }
    return true;
}
