#pragma once
// Small operations every workbook writer uses: addresses, widths and heights, writing a range in a
// style, merging with a frame, the text of a lesson cell, and one lesson cell with its odd/even
// halves and merged continuous lessons.
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/Workbook.h"
#include "base/ScheduleTask.h"

#include <cstdint>
#include <string>
#include <vector>

// The look of a range, filled by the writer for each range it writes.
struct CExportCellStyle {
    std::string fontName;
    int fontSize = 0;  // points
    bool bold = false;
    int colorIndex = -1;      // fill as a palette entry; -1 none
    std::uint32_t color = 0;  // fill as a Windows colour value 0x00BBGGRR; 0 none; only when colorIndex is -1
    bool border = false;      // a thin frame around the range
    std::string fontName2;    // the font of the text after the first line break
    int fontSize2 = 0;
};

// "B3" for column 2, row 3.
std::string CellAddress(int column, int row);
// The width of a column named by its letters.
void SetColumnWidth(zem::workbook::Worksheet& cells, const std::string& columnLetters, double width);
void SetRowHeight(zem::workbook::Worksheet& cells, int row, int height);
// Writes a value into the range from one address to the other in a style (or none). With twoFonts,
// a text with a line break after its first character shows its first line in the first font and
// the rest in the second, when the two differ.
void WriteRange(zem::workbook::Worksheet& cells, const std::string& first, const std::string& last,
                const zem::workbook::Value& value, const CExportCellStyle* style, bool twoFonts);
// A cell whose text stays text (format "@"), also where it reads as a number: a name.
void WriteTextCell(zem::workbook::Worksheet& cells, int column, int row, const std::string& text,
                   const CExportCellStyle* style);
void MergeWithBorder(zem::workbook::Worksheet& cells, const std::string& first, const std::string& last);
// The look of a sheet that lists rows: standard column width 12, every cell centred both ways with
// wrapped text in the font at 11 points, and rows 1 to `rows` 18 points high.
void PrepareListSheet(zem::workbook::Worksheet& cells, const std::string& fontName, int rows);

// One lesson of a cell's record (or one half of an odd/even cell) with its two lines.
struct ExportCellEntry {
    std::string main, secondary;
};

// The text of one lesson cell (its first half for an odd/even cell), and the entries of the cell's
// record in `entries`: one for a whole lesson, two for an odd/even pair. An unused cell of a class
// or teacher shows the object's activity there.
std::string GetExportCellText(const CExportContext& context, const CScheduleTask& task, const CCourseTable& table,
                              const tagTABLE_NODE& node, TABLE_TYPE kind, bool fullNames, int cellFormat,
                              const std::vector<std::string>& subjectFilter, const std::string& objectId,
                              std::vector<ExportCellEntry>& entries);
// An empty class cell reads "自习" when [WeekTable] AutoFillEmptyCell is on.
void FillEmptyCellText(const CExportContext& context, TABLE_TYPE kind, std::string& text);

// How an odd/even cell puts its second half.
enum HalvesMode {
    kHalvesDown = 0,        // the row below; the column is noted as split
    kHalvesBeside = 1,      // the column to the right; the row is noted as split
    kHalvesDownByRow = 2,   // the row below; the row is noted as split
};

// Writes the lesson of a node at (row, column) in the style: the first half there, the second half
// of an odd/even cell beside or below it as the mode says (noting the split in `splits`), and, when
// [WeekTable] MergeContinuous is on, merges it with the cell before it (above when mergeUpwards,
// else to the left) when that one holds the same lesson of the previous period.
void WriteLessonCell(const CExportContext& context, const CScheduleTask& task, const CCourseTable& table,
                     const tagTABLE_NODE& node, TABLE_TYPE kind, bool fullNames, int cellFormat,
                     const std::vector<std::string>& subjectFilter, zem::workbook::Worksheet& cells, int row,
                     int column, int halvesMode, std::vector<int>& splits, const CExportCellStyle* style,
                     const std::string& objectId, bool mergeUpwards, bool noMerge);

// Whether the exported task is another one than the open task and this cell differs from the same
// object's cell there.
bool IsCellChangedFromOpenTask(const CExportContext& context, const CScheduleTask* exportTask,
                               const CCourseTable& table, const tagTABLE_NODE& node, const std::string& objectId,
                               TABLE_TYPE kind);

// The day number of a weekday (1 Sunday .. 7 Saturday) in the first week, or the second when
// secondWeek is 1: Monday 0, Sunday 6.
int DayIndexFromWeekday(int dayOfWeek, int secondWeek);
