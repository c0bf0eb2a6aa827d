#pragma once
// Export kind 2: week timetables of classes, teachers or rooms in one workbook, each a block of
// cells that looks like the printed timetable; one sheet per printed page, or all on the first sheet.
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/Workbook.h"
#include "app/shared/FontSpec.h"
#include "base/ScheduleTask.h"
#include "table/TableDefs.h"

#include <functional>
#include <string>

constexpr int kTimetableExport = 2;

// What the blocks take of the week-timetable page layout: its settings and its geometry computed
// for the screen, in screen pixels.
struct CTimetableSheetLayout {
    std::string titleFormat = "%NAME%";
    std::string tempTitleFormat = "%NAME%临时课表";
    int sheetType = 0;  // 1: every table on the first sheet
    int tableLayout = 0;
    int tablesPerPage = 1;
    int gapX = 8, gapY = 5;  // mm
    CFontSpec titleFont{"宋体", 16, true, false};
    CFontSpec headFont{"宋体", 10, false, false};
    CFontSpec cellFont{"宋体", 10, false, false};
    CFontSpec cellFont2{"宋体", 9, false, false};
    bool showSegmentColumn = false;
    bool fullNames = true;
    bool headTeacherLine = false;
    bool weekCountLine = false;
    bool dateLine = true;
    bool colorTable = false;  // [WeekTable] ColorTable
    int cellFormat[3] = {0, 0, 0};  // by table kind
    BlankLine blankLines[kMaxBlankLines];
    int dpiX = 96, dpiY = 96;
    int dayColumnWidth = 80, segmentColumnWidth = 30, sectionColumnWidth = 60;
    // The title of a table from the title format; without it "%NAME%" stands for the table's name.
    std::function<std::string(const std::string& format, const std::string& name)> expandTitle;
    int titleHeight = 40, gapHeight = 6, headHeight = 24, bannerHeight = 20, footerHeight = 20, rowHeight = 40;
};

// One block to write.
struct CTableBlockParam {
    TABLE_TYPE kind = TABLE_CLASS;
    const CCourseTable* table = nullptr;
    std::string name;
    std::string id;
    int column = 1;
    int row = 1;
    bool twoColumnDays = false;  // every day two columns, also without an odd/even pair
    int lastColumn = 1;          // out
    int lastRow = 1;             // out: the footer row
};

// Where the next block of a page starts after block `index` (1-based) of it: right of it, or below
// the page's blocks at the band's first column.
void NextBlockPosition(int tableLayout, int index, int& row, int& column, int lastColumn, int lastRow,
                       int bandColumn = 1);

// Writes one block; false, with nothing written, when the school has no day in use.
bool WriteTimetableBlock(CSpreadsheetExporter& exporter, const CTimetableSheetLayout& layout,
                         zem::workbook::Worksheet& sheet, CTableBlockParam& block);

bool WriteTimetableWorkbook(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book);
