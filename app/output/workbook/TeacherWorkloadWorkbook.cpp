#include "app/output/workbook/TeacherWorkloadWorkbook.h"

#include "app/output/workbook/ExportCells.h"
#include "app/shared/Strings.h"

using zem::workbook::Workbook;
using zem::workbook::Worksheet;

namespace {

struct Styles {
    CExportCellStyle title, header, body, value;

    explicit Styles(const std::string& fontName)
    {
        title.fontName = fontName;
        title.fontSize = 16;
        title.bold = true;
        header = title;
        header.fontSize = 11;
        header.colorIndex = 15;
        header.border = true;
        body = header;
        body.bold = false;
        body.colorIndex = -1;
        value = body;
        value.fontSize = 9;
    }
};

// A header over one column, rows 2 and 3 merged.
void WriteSingleHeader(Worksheet& sheet, int column, const char* text, const CExportCellStyle& style)
{
    const std::string top = CellAddress(column, 2);
    const std::string bottom = CellAddress(column, 3);
    sheet.GetRange(top, bottom).Merge(false);
    WriteRange(sheet, top, bottom, std::string(text), &style, false);
}

// A header over a group of columns: the text across row 2, one name per column in row 3.
void WriteGroupHeader(Worksheet& sheet, int column, const char* text, const std::vector<std::string>& names,
                      const CExportCellStyle& style)
{
    if (names.empty())
        return;
    const int last = column + static_cast<int>(names.size()) - 1;
    const std::string first = CellAddress(column, 2);
    const std::string end = CellAddress(last, 2);
    sheet.GetRange(first, end).Merge(true);
    WriteRange(sheet, first, end, std::string(text), &style, false);
    // Period names such as "1" stay names.
    for (std::size_t i = 0; i < names.size(); ++i)
        WriteTextCell(sheet, column + static_cast<int>(i), 3, names[i], &style);
}

// The values of a distribution in its columns; surplus values are dropped, missing ones leave
// their cells empty.
void WriteDistribution(Worksheet& sheet, int row, int column, int columns, const std::string& values,
                       const CExportCellStyle& style)
{
    std::vector<std::string> parts;
    if (!values.empty())
        SplitToArray(values, ",", parts, false);
    for (int i = 0; i < columns; ++i) {
        const std::string cell = CellAddress(column + i, row);
        const std::string text = i < static_cast<int>(parts.size()) ? parts[static_cast<std::size_t>(i)] : "";
        WriteRange(sheet, cell, cell, text, &style, false);
    }
}

void WriteRelated(Worksheet& sheet, int row, int column, const std::string& text, const CExportCellStyle& style)
{
    const std::string cell = CellAddress(column, row);
    sheet.GetRange(cell).SetHorizontalAlignment(-4131);
    WriteTextCell(sheet, column, row, text, &style);
}

}  // namespace

bool WriteTeacherWorkloadWorkbook(CSpreadsheetExporter& exporter, Workbook& book)
{
    const CExportParam& param = exporter.GetParam();
    const auto* data = static_cast<const CTeacherWorkloadTable*>(param.data1);
    if (!data)
        return false;
    const int days = static_cast<int>(data->dayNames.size());
    const int periods = static_cast<int>(data->sectionNames.size());
    const int columns = days + periods + 8;
    // Where the columns after the distributions start.
    const int after = 4 + days + periods;

    Worksheet& sheet = book.GetSheet(1);
    sheet.SetName(zem::workbook::MakeUniqueSheetName(zem::workbook::SanitizeSheetName(param.text1), {}));
    zem::workbook::Range all = sheet.Cells();
    all.SetHorizontalAlignment(3);
    all.SetVerticalAlignment(-4108);
    all.SetWrapText(true);

    SetColumnWidth(sheet, "A", 15);
    SetColumnWidth(sheet, "B", 6);
    SetColumnWidth(sheet, "C", 6);
    for (int column = 4; column < after; ++column)
        SetColumnWidth(sheet, ColumnLetters(column), 3);
    const double tailWidths[] = {4, 22, 4, 12, 33};
    for (int i = 0; i < 5; ++i)
        SetColumnWidth(sheet, ColumnLetters(after + i), tailWidths[i]);
    SetRowHeight(sheet, 1, 36);
    SetRowHeight(sheet, 2, 16);
    SetRowHeight(sheet, 3, 16);

    const Styles styles(exporter.GetContext().tableFontName);
    const std::string titleEnd = CellAddress(columns, 1);
    sheet.GetRange("A1", titleEnd).Merge(false);
    WriteRange(sheet, "A1", titleEnd, param.text1, &styles.title, false);

    int column = 1;
    for (const char* header : {"教师", "计划周课时", "实际周课时"})
        WriteSingleHeader(sheet, column++, header, styles.header);
    WriteGroupHeader(sheet, column, "每天课时分布", data->dayNames, styles.header);
    column += days;
    // Without periods the period header is left out altogether.
    WriteGroupHeader(sheet, column, "节次课时分布", data->sectionNames, styles.header);
    column += periods;
    for (const char* header : {"班级数", "相关班级", "课程数", "相关课程", "相关教学计划"})
        WriteSingleHeader(sheet, column++, header, styles.header);

    const int total = static_cast<int>(data->rows.size());
    for (int n = 0; n < total; ++n) {
        const TeacherWorkloadRow& texts = data->rows[static_cast<std::size_t>(n)];
        exporter.ThrowIfCancelled();
        exporter.SendProgress(n + 1, total, texts.teacher);
        const int row = 4 + n;
        SetRowHeight(sheet, row, 20);
        // A name stays the text it is; the counts become numbers.
        WriteTextCell(sheet, 1, row, texts.teacher, &styles.body);
        WriteRange(sheet, CellAddress(2, row), CellAddress(2, row), texts.planned, &styles.body, false);
        WriteRange(sheet, CellAddress(3, row), CellAddress(3, row), texts.actual, &styles.body, false);
        WriteDistribution(sheet, row, 4, days, texts.dayDistribution, styles.value);
        WriteDistribution(sheet, row, 4 + days, periods, texts.periodDistribution, styles.value);
        WriteRange(sheet, CellAddress(after, row), CellAddress(after, row), texts.classCount, &styles.body, false);
        WriteRelated(sheet, row, after + 1, texts.classes, styles.body);
        WriteRange(sheet, CellAddress(after + 2, row), CellAddress(after + 2, row), texts.courseCount, &styles.body,
                   false);
        WriteRelated(sheet, row, after + 3, texts.courses, styles.body);
        WriteRelated(sheet, row, after + 4, texts.plans, styles.body);
    }
    return true;
}
