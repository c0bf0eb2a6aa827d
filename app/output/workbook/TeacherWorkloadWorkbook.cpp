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
    sheet.GetRange(cell).SetHorizontalAlignment(zem::workbook::kAlignLeft);
    WriteTextCell(sheet, column, row, text, &style);
}

// How a column's cell shows its value.
enum class CellKind {
    Name,     // text as it is
    Count,    // a number
    Related,  // a list of names, left-aligned
    Spread,   // a group of columns, one value each
};

// A column of the sheet: its heading, its width, the row's field and how its cell shows it. A
// group's columns are one per name of `names`, under the heading across them.
struct WorkloadColumn {
    const char* heading;
    double width;
    std::string TeacherWorkloadRow::*field;
    CellKind kind;
    std::vector<std::string> CTeacherWorkloadTable::*names = nullptr;
};

const WorkloadColumn kWorkloadColumns[] = {
    {"教师", 15, &TeacherWorkloadRow::teacher, CellKind::Name},
    {"计划周课时", 6, &TeacherWorkloadRow::planned, CellKind::Count},
    {"实际周课时", 6, &TeacherWorkloadRow::actual, CellKind::Count},
    {"每天课时分布", 3, &TeacherWorkloadRow::dayDistribution, CellKind::Spread, &CTeacherWorkloadTable::dayNames},
    // Without periods the period header is left out altogether.
    {"节次课时分布", 3, &TeacherWorkloadRow::periodDistribution, CellKind::Spread,
     &CTeacherWorkloadTable::sectionNames},
    {"班级数", 4, &TeacherWorkloadRow::classCount, CellKind::Count},
    {"相关班级", 22, &TeacherWorkloadRow::classes, CellKind::Related},
    {"课程数", 4, &TeacherWorkloadRow::courseCount, CellKind::Count},
    {"相关课程", 12, &TeacherWorkloadRow::courses, CellKind::Related},
    {"相关教学计划", 33, &TeacherWorkloadRow::plans, CellKind::Related},
};

// How many sheet columns a column takes.
int Span(const WorkloadColumn& column, const CTeacherWorkloadTable& data)
{
    return column.names ? static_cast<int>((data.*column.names).size()) : 1;
}

int SheetColumns(const CTeacherWorkloadTable& data)
{
    int columns = 0;
    for (const WorkloadColumn& column : kWorkloadColumns)
        columns += Span(column, data);
    return columns;
}

void SetColumnWidths(Worksheet& sheet, const CTeacherWorkloadTable& data)
{
    int at = 1;
    for (const WorkloadColumn& column : kWorkloadColumns)
        for (int i = 0; i < Span(column, data); ++i)
            SetColumnWidth(sheet, ColumnLetters(at++), column.width);
}

void WriteHeaders(Worksheet& sheet, const CTeacherWorkloadTable& data, const CExportCellStyle& style)
{
    int at = 1;
    for (const WorkloadColumn& column : kWorkloadColumns) {
        if (column.names)
            WriteGroupHeader(sheet, at, column.heading, data.*column.names, style);
        else
            WriteSingleHeader(sheet, at, column.heading, style);
        at += Span(column, data);
    }
}

void WriteTeacherRow(Worksheet& sheet, int row, const TeacherWorkloadRow& texts, const CTeacherWorkloadTable& data,
                     const Styles& styles)
{
    SetRowHeight(sheet, row, 20);
    int at = 1;
    for (const WorkloadColumn& column : kWorkloadColumns) {
        const std::string& value = texts.*column.field;
        switch (column.kind) {
        case CellKind::Name:
            WriteTextCell(sheet, at, row, value, &styles.body);
            break;
        case CellKind::Count:
            WriteRange(sheet, CellAddress(at, row), CellAddress(at, row), value, &styles.body, false);
            break;
        case CellKind::Related:
            WriteRelated(sheet, row, at, value, styles.body);
            break;
        case CellKind::Spread:
            WriteDistribution(sheet, row, at, Span(column, data), value, styles.value);
            break;
        }
        at += Span(column, data);
    }
}

}  // namespace

bool WriteTeacherWorkloadWorkbook(CSpreadsheetExporter& exporter, Workbook& book)
{
    const CExportParam& param = exporter.GetParam();
    const auto* data = static_cast<const CTeacherWorkloadTable*>(param.data1);
    if (!data)
        return false;
    Worksheet& sheet = book.GetSheet(1);
    sheet.SetName(zem::workbook::MakeUniqueSheetName(zem::workbook::SanitizeSheetName(param.text1), {}));
    zem::workbook::Range all = sheet.Cells();
    all.SetHorizontalAlignment(3);
    all.SetVerticalAlignment(zem::workbook::kAlignCenter);
    all.SetWrapText(true);
    SetColumnWidths(sheet, *data);
    SetRowHeight(sheet, 1, 36);
    SetRowHeight(sheet, 2, 16);
    SetRowHeight(sheet, 3, 16);

    const Styles styles(exporter.GetContext().tableFontName);
    const std::string titleEnd = CellAddress(SheetColumns(*data), 1);
    sheet.GetRange("A1", titleEnd).Merge(false);
    WriteRange(sheet, "A1", titleEnd, param.text1, &styles.title, false);
    WriteHeaders(sheet, *data, styles.header);

    const int total = static_cast<int>(data->rows.size());
    for (int n = 0; n < total; ++n) {
        const TeacherWorkloadRow& texts = data->rows[static_cast<std::size_t>(n)];
        exporter.ThrowIfCancelled();
        exporter.SendProgress(n + 1, total, texts.teacher);
        WriteTeacherRow(sheet, 4 + n, texts, *data, styles);
    }
    return true;
}
