#include "app/output/workbook/TimetableWorkbook.h"

#include "app/output/workbook/ExportCells.h"
#include "app/output/workbook/SheetPrinting.h"
#include "app/shared/AppServices.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/ExportTableItem.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/DayRows.h"
#include "base/Segment.h"
#include "base/WeekCount.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>

using zem::workbook::Value;
using zem::workbook::Workbook;
using zem::workbook::Worksheet;

namespace {

constexpr int kLastSheetRow = 60000;

// One row of a block's grid.
struct GridRow {
    int row = 0;
    bool lesson = false;
    bool separator = false;  // the row before the afternoon or the evening
    int segment = 0;
    int section = 0;
    bool mergeUpwards = false;  // a lesson row directly under the previous period of its segment
    std::string text;           // the label: a period name or a banner text
};

struct SegmentSpan {
    int segment, firstRow, lastRow;
};

int Width(int pixels, int dpi)
{
    return dpi > 0 ? pixels * 12 / dpi : pixels;
}

int Height(int pixels, int dpi)
{
    return static_cast<int>(dpi > 0 ? pixels * 72.0 / dpi : pixels);
}

CExportCellStyle Style(const CFontSpec& font, bool bold, int colorIndex, bool border)
{
    CExportCellStyle style;
    style.fontName = font.faceName;
    style.fontSize = font.size;
    style.bold = bold;
    style.colorIndex = colorIndex;
    style.border = border;
    return style;
}

void PrepareSheet(Worksheet& sheet, int standardWidth)
{
    sheet.SetStandardWidth(standardWidth);
    zem::workbook::Range all = sheet.Cells();
    all.SetHorizontalAlignment(3);
    all.SetVerticalAlignment(zem::workbook::kAlignCenter);
    all.SetWrapText(true);
    all.SetNumberFormatLocal("@");
}

std::vector<GridRow> PlanGrid(const CTimetableSheetLayout& layout, const CSchoolStructure& structure, int firstRow,
                              std::vector<SegmentSpan>& spans)
{
    std::vector<std::string> periodNames;
    GetPeriodNames(periodNames, structure);
    std::vector<GridRow> rows;
    int row = firstRow;
    for (const zem::DayRow& day : zem::DayRows(structure.GetSegmentCounts(), layout.blankLines)) {
        if (!day.IsLesson()) {
            // A banner row after a period belongs to that period's segment in the segment column.
            if (day.kind == zem::DayRowKind::Banner && !spans.empty() && spans.back().segment == day.segment &&
                spans.back().lastRow == row - 1)
                spans.back().lastRow = row;
            rows.push_back({row++, false, day.kind == zem::DayRowKind::Separator, day.segment, day.section, false,
                            day.Text()});
            continue;
        }
        const std::size_t period = static_cast<std::size_t>(day.period);
        GridRow lesson{row++, true, false, day.segment, day.section, false,
                       period < periodNames.size() ? periodNames[period] : std::string()};
        // Continuous lessons never merge across a segment or a banner row.
        lesson.mergeUpwards = day.section > 0 && !rows.empty() && rows.back().lesson;
        if (day.section == 0)
            spans.push_back({day.segment, lesson.row, lesson.row});
        spans.back().lastRow = lesson.row;
        rows.push_back(lesson);
    }
    return rows;
}

std::string FooterText(const CSpreadsheetExporter& exporter, const CTimetableSheetLayout& layout,
                       const CTableBlockParam& block)
{
    const CScheduleTask* task = exporter.GetTask();
    if (block.kind == TABLE_CLASS && layout.headTeacherLine) {
        const CClassInfo* cls = task ? task->GetClass(block.id) : nullptr;
        return "班主任：" + (cls ? cls->GetHeadTeacherName() : std::string());
    }
    if (block.kind == TABLE_TEACHER && layout.weekCountLine && block.table)
        return "周课时数：" +
               CTaskHelper(const_cast<CScheduleTask*>(task), AppHelperContext()).GetWeekCount(block.table).ToString();
    return {};
}

}  // namespace

void NextBlockPosition(int tableLayout, int index, int& row, int& column, int lastColumn, int lastRow, int bandColumn)
{
    // By layout, what follows block k of a page: 'r' right of it, 'd' below at the band's first column.
    static const char* const kMoves[] = {"", "r", "d", "rdr", "rrdrr", "rdrdr"};
    if (tableLayout < 0 || tableLayout > 5)
        return;
    const std::string_view moves = kMoves[tableLayout];
    if (index < 1 || static_cast<std::size_t>(index) > moves.size())
        return;
    if (moves[static_cast<std::size_t>(index - 1)] == 'r') {
        column = lastColumn + 2;
    } else {
        row = lastRow + 2;
        column = bandColumn;
    }
}

namespace {

// The cell styles of a block.
struct BlockStyles {
    CExportCellStyle head, label, banner, title, footer, lesson;
};

BlockStyles MakeBlockStyles(const CTimetableSheetLayout& layout)
{
    BlockStyles styles{Style(layout.headFont, true, 15, true),
                       Style(layout.headFont, false, -1, true),
                       Style(layout.headFont, false, -1, false),
                       Style(layout.titleFont, layout.titleFont.bold, -1, false),
                       Style(layout.headFont, false, -1, false),
                       Style(layout.cellFont, layout.cellFont.bold, -1, true)};
    styles.lesson.fontName2 = layout.cellFont2.faceName;
    styles.lesson.fontSize2 = layout.cellFont2.size;
    return styles;
}

std::vector<int> DaysInUse(const CSchoolStructure& structure)
{
    std::vector<int> days;
    for (int day = 0; day < zem::kDayCount; ++day) {
        if (structure.IsDayInUse(day))
            days.push_back(day);
    }
    return days;
}

// A block being written: where it stands, its rows and its styles. Columns from the left: the
// segment column (when shown), the period column `labelColumn`, then the days.
struct Block {
    Block(CSpreadsheetExporter& e, const CScheduleTask& t, const CTimetableSheetLayout& l, Worksheet& s,
          CTableBlockParam& p)
        : exporter(e), task(t), layout(l), sheet(s), param(p), days(DaysInUse(t.GetSchoolStructure()))
    {
    }

    CSpreadsheetExporter& exporter;
    const CScheduleTask& task;
    const CTimetableSheetLayout& layout;
    Worksheet& sheet;
    CTableBlockParam& param;
    std::vector<int> days;
    int top = 0, left = 0, labelColumn = 0, headRow = 0;
    BlockStyles styles;
    std::vector<GridRow> grid;
    std::vector<SegmentSpan> spans;
    int lastGridRow = 0, lastColumn = 0;
};

// The gap before a block in the sheet's first row or column, and the widths of its label columns.
void SetLabelColumns(const Block& b)
{
    const CTimetableSheetLayout& layout = b.layout;
    if (b.top == 1 && b.left >= 2)
        SetColumnWidth(b.sheet, ColumnLetters(b.left - 1), layout.gapX * 2 * 0.47244096);
    if (b.left == 1 && b.top >= 2)
        SetRowHeight(b.sheet, b.top - 1, static_cast<int>(layout.gapY * 144 * 0.03937008));
    if (layout.showSegmentColumn)
        SetColumnWidth(b.sheet, ColumnLetters(b.left), Width(layout.segmentColumnWidth, layout.dpiX));
    SetColumnWidth(b.sheet, ColumnLetters(b.labelColumn), Width(layout.sectionColumnWidth, layout.dpiX));
}

// The title, gap and head rows' heights, and the head cells over the label columns.
void WriteHeadRows(const Block& b)
{
    SetRowHeight(b.sheet, b.top, Height(b.layout.titleHeight, b.layout.dpiY));
    SetRowHeight(b.sheet, b.top + 1, Height(b.layout.gapHeight, b.layout.dpiY));
    SetRowHeight(b.sheet, b.headRow, Height(b.layout.headHeight, b.layout.dpiY));
    for (int column = b.left; column <= b.labelColumn; ++column)
        WriteRange(b.sheet, CellAddress(column, b.headRow), CellAddress(column, b.headRow), Value(), &b.styles.head,
                   false);
}

// Each grid row's height and its label: a period name, or a banner's text ("left|right" in two cells).
void WriteRowLabels(const Block& b)
{
    const int L = b.labelColumn;
    for (const GridRow& row : b.grid) {
        SetRowHeight(b.sheet, row.row,
                     Height(row.lesson ? b.layout.rowHeight : b.layout.bannerHeight, b.layout.dpiY));
        const std::string at = CellAddress(L, row.row);
        if (row.lesson) {
            WriteRange(b.sheet, at, at, Value(row.text), &b.styles.label, false);
            continue;
        }
        const std::size_t bar = row.text.find('|');
        WriteRange(b.sheet, at, at, Value(row.text.substr(0, bar)), &b.styles.banner, false);
        if (bar != std::string::npos) {
            const std::string after = CellAddress(L + 1, row.row);
            WriteRange(b.sheet, after, after, Value(row.text.substr(bar + 1)), &b.styles.banner, false);
        }
    }
}

void WriteSegmentColumn(const Block& b)
{
    if (!b.layout.showSegmentColumn)
        return;
    for (const SegmentSpan& span : b.spans) {
        const std::string first = CellAddress(b.left, span.firstRow);
        const std::string last = CellAddress(b.left, span.lastRow);
        WriteRange(b.sheet, first, last, Value(GetSectionKindNames(span.segment)), &b.styles.label, false);
        MergeWithBorder(b.sheet, first, last);
    }
}

// A lesson cell's style: changed from the open task, a reading or self-study period, or the
// class's cell colour.
CExportCellStyle LessonStyle(const Block& b, const tagTABLE_NODE& node, int segment)
{
    const CExportContext& context = b.exporter.GetContext();
    CExportCellStyle style = b.styles.lesson;
    if (IsCellChangedFromOpenTask(context, &b.task, *b.param.table, node, b.param.id, b.param.kind))
        style.colorIndex = 33;
    else if (zem::IsSelfStudySegment(segment))
        style.colorIndex = 34;
    else if (b.param.kind == TABLE_CLASS && context.openTask == &b.task && b.layout.colorTable)
        style.color = CTaskHelper(const_cast<CScheduleTask*>(&b.task), AppHelperContext())
                          .GetCellColor(b.param.table, node);
    return style;
}

// One day's head and lesson cells from `column`; the rows whose lesson was split in two halves.
std::vector<int> WriteDayLessons(const Block& b, int day, int column)
{
    WriteRange(b.sheet, CellAddress(column, b.headRow), CellAddress(column, b.headRow),
               Value(GetWeekdayName(day, !b.layout.fullNames)), &b.styles.head, false);
    std::vector<int> splits;
    if (!b.param.table)
        return splits;
    const CExportContext& context = b.exporter.GetContext();
    const int kindIndex = std::clamp(static_cast<int>(b.param.kind), 0, 2);
    std::vector<std::string> noFilter;
    for (const GridRow& row : b.grid) {
        if (!row.lesson)
            continue;
        const tagTABLE_NODE node{day, row.segment, row.section};
        CExportCellStyle style = LessonStyle(b, node, row.segment);
        WriteLessonCell(context, b.task, *b.param.table, node, b.param.kind, b.layout.fullNames,
                        b.layout.cellFormat[kindIndex], noFilter, b.sheet, row.row, column, kHalvesBeside, splits,
                        &style, b.param.id, row.mergeUpwards, !row.mergeUpwards);
    }
    return splits;
}

// A day of two columns: both half wide, the head and every whole lesson merged across them.
void JoinDayColumns(const Block& b, int column, const std::vector<int>& splits)
{
    const int standardWidth = b.exporter.GetStandardWidth();
    SetColumnWidth(b.sheet, ColumnLetters(column), standardWidth / 2);
    SetColumnWidth(b.sheet, ColumnLetters(column + 1), standardWidth / 2);
    WriteRange(b.sheet, CellAddress(column + 1, b.headRow), CellAddress(column + 1, b.headRow), Value(),
               &b.styles.head, false);
    MergeWithBorder(b.sheet, CellAddress(column, b.headRow), CellAddress(column + 1, b.headRow));
    for (const GridRow& row : b.grid) {
        // Banner rows are merged across the whole block below.
        if (row.lesson && std::find(splits.begin(), splits.end(), row.row) == splits.end())
            MergeWithBorder(b.sheet, CellAddress(column, row.row), CellAddress(column + 1, row.row));
    }
}

// The days right of the labels, one column each, two where the block asks or a lesson was split;
// the last column written.
int WriteDays(const Block& b)
{
    int column = b.labelColumn + 1;
    for (const int day : b.days) {
        const std::vector<int> splits = WriteDayLessons(b, day, column);
        if (!b.param.twoColumnDays && splits.empty()) {
            ++column;
            continue;
        }
        JoinDayColumns(b, column, splits);
        column += 2;
    }
    return column - 1;
}

void WriteTitle(const Block& b)
{
    const std::string titleFirst = CellAddress(b.left, b.top);
    const std::string titleLast = CellAddress(b.lastColumn, b.top);
    b.sheet.GetRange(titleFirst, titleLast).Merge(true);
    const CTimetableSheetLayout& layout = b.layout;
    const std::string& titleFormat = b.exporter.IsTemporary() ? layout.tempTitleFormat : layout.titleFormat;
    WriteRange(b.sheet, titleFirst, titleFirst,
               Value(layout.expandTitle ? layout.expandTitle(titleFormat, b.param.name)
                                        : zem::ReplaceAll(titleFormat, "%NAME%", b.param.name)),
               &b.styles.title, false);
}

// A banner row across the block; "left|right" banners as two merged parts.
void MergeBannerRows(const Block& b)
{
    const int L = b.labelColumn;
    for (const GridRow& row : b.grid) {
        if (row.lesson)
            continue;
        const int start = row.separator && b.layout.showSegmentColumn ? b.left : L;
        if (row.text.find('|') != std::string::npos && b.lastColumn > L) {
            MergeWithBorder(b.sheet, CellAddress(start, row.row), CellAddress(L, row.row));
            MergeWithBorder(b.sheet, CellAddress(L + 1, row.row), CellAddress(b.lastColumn, row.row));
        } else {
            MergeWithBorder(b.sheet, CellAddress(start, row.row), CellAddress(b.lastColumn, row.row));
        }
    }
}

// The row under the grid: the head teacher or week count on the left, the date on the right.
void WriteFooter(const Block& b)
{
    const int footerRow = b.lastGridRow + 1;
    const int C = b.left;
    const int lastColumn = b.lastColumn;
    SetRowHeight(b.sheet, footerRow, Height(b.layout.gapHeight + b.layout.footerHeight, b.layout.dpiY));
    const int w = lastColumn - b.labelColumn < 5 ? 2 : 4;
    // A narrow block keeps at least one column for each part.
    const int leftLast = std::max(C, std::min(lastColumn - w, lastColumn - 1));
    zem::workbook::Range left = b.sheet.GetRange(CellAddress(C, footerRow), CellAddress(leftLast, footerRow));
    left.Merge(true);
    left.SetHorizontalAlignment(2);
    WriteRange(b.sheet, CellAddress(C, footerRow), CellAddress(C, footerRow),
               Value(FooterText(b.exporter, b.layout, b.param)), &b.styles.footer, false);
    if (leftLast >= lastColumn)
        return;
    zem::workbook::Range right = b.sheet.GetRange(CellAddress(leftLast + 1, footerRow), CellAddress(lastColumn, footerRow));
    right.Merge(true);
    right.SetHorizontalAlignment(-4152);
    if (b.layout.dateLine) {
        const zem::LocalTime now = zem::Now();
        WriteRange(b.sheet, CellAddress(leftLast + 1, footerRow), CellAddress(leftLast + 1, footerRow),
                   Value(zem::Format("%04d年%02d月%02d日", now.year, now.month, now.day)), &b.styles.footer, false);
    }
}

}  // namespace

bool WriteTimetableBlock(CSpreadsheetExporter& exporter, const CTimetableSheetLayout& layout, Worksheet& sheet,
                         CTableBlockParam& block)
{
    const CScheduleTask* task = exporter.GetTask();
    if (!task)
        return false;
    Block b(exporter, *task, layout, sheet, block);
    if (b.days.empty())
        return false;
    b.top = block.row;
    b.left = block.column;
    b.labelColumn = layout.showSegmentColumn ? b.left + 1 : b.left;
    b.headRow = b.top + 2;
    SetLabelColumns(b);
    b.styles = MakeBlockStyles(layout);
    WriteHeadRows(b);
    b.grid = PlanGrid(layout, task->GetSchoolStructure(), b.headRow + 1, b.spans);
    b.lastGridRow = b.grid.empty() ? b.headRow : b.grid.back().row;
    // The extent is known before the cells are written, so that a block failing half-way is passed
    // by the next one instead of being written over.
    block.lastRow = b.lastGridRow + 1;
    block.lastColumn = b.labelColumn + 2 * static_cast<int>(b.days.size());
    WriteRowLabels(b);
    WriteSegmentColumn(b);
    b.lastColumn = WriteDays(b);
    block.lastColumn = b.lastColumn;
    WriteTitle(b);
    MergeBannerRows(b);
    WriteFooter(b);
    return true;
}

namespace {

// Writes a block; a failure inside it ends the block where it stands and is counted, and the next
// block starts past what it may have written.
bool WriteBlockOrNote(CSpreadsheetExporter& exporter, const CTimetableSheetLayout& layout, Worksheet& sheet,
                      CTableBlockParam& block)
{
    try {
        return WriteTimetableBlock(exporter, layout, sheet, block);
    } catch (const zem::workbook::WorkbookError&) {
        exporter.NoteIncompleteTable();
        return false;
    }
}

CTableBlockParam BlockOf(const CExportTableItem& item, int row, int column, bool twoColumnDays)
{
    CTableBlockParam block;
    block.kind = item.GetKind();
    block.table = item.GetTable();
    block.name = item.GetName();
    block.id = item.GetId();
    block.row = row;
    block.column = column;
    block.lastRow = row;
    block.lastColumn = column;
    block.twoColumnDays = twoColumnDays;
    return block;
}

// Every table on the first sheet: the blocks of a printed page as its layout places them, the
// pages stacked down a column band; a band full, the next one right of it.
void WriteAllOnOneSheet(CSpreadsheetExporter& exporter, const CTimetableSheetLayout& layout, Workbook& book,
                        const std::vector<CExportTableItem*>& tables)
{
    if (book.GetSheetCount() == 0)
        book.AddSheets(1);
    Worksheet& sheet = book.GetSheet(1);
    PrepareSheet(sheet, exporter.GetStandardWidth());
    const int n = static_cast<int>(tables.size());
    const int perPage = std::max(1, layout.tablesPerPage);
    int done = 0;
    int row = 1, column = 1, index = 1;
    int bandColumn = 1, bandLastColumn = 1;  // the column band the pages stack in
    zem::workbook::PrintShape shape;  // a page for each group of tables a printed page holds
    for (const CExportTableItem* item : tables) {
        if (index == 1 && row > 1 && column == 1)
            shape.pageStarts.push_back(row);
        exporter.ThrowIfCancelled();
        CTableBlockParam block = BlockOf(*item, row, column, true);
        WriteBlockOrNote(exporter, layout, sheet, block);
        exporter.SendProgress(++done, n, item->GetName());
        bandLastColumn = std::max(bandLastColumn, block.lastColumn);
        if (index < perPage) {
            NextBlockPosition(layout.tableLayout, index, row, column, block.lastColumn, block.lastRow, bandColumn);
            ++index;
        } else {
            row = block.lastRow + 2;
            column = bandColumn;
            index = 1;
        }
        if (row > kLastSheetRow) {
            // A new column band right of everything written so far, so no block lands on another.
            row = 1;
            bandColumn = column = bandLastColumn + 1;
        }
    }
    zem::workbook::SetUpPrinting(sheet, shape);
}

// A sheet for each printed page, named for its tables.
bool WriteSheetPerPage(CSpreadsheetExporter& exporter, const CTimetableSheetLayout& layout, Workbook& book,
                       const std::vector<CExportTableItem*>& tables)
{
    const int n = static_cast<int>(tables.size());
    const int perPage = std::max(1, layout.tablesPerPage);
    const int pages = n / perPage + (n % perPage != 0 ? 1 : 0);
    if (book.GetSheetCount() < pages)
        book.AddSheets(pages - book.GetSheetCount());
    if (book.GetSheetCount() < pages) {
        exporter.SetError(2, "创建工作表失败");
        return false;
    }
    const bool twoColumnDays = layout.tableLayout >= 2 && layout.tableLayout <= 5;
    int done = 0;
    std::vector<std::string> given;
    for (int page = 1; page <= pages && done < n; ++page) {
        Worksheet& sheet = book.GetSheet(page);
        PrepareSheet(sheet, exporter.GetStandardWidth());
        int row = 1, column = 1;
        std::string name;
        for (int index = 1; index <= perPage && done < n; ++index) {
            exporter.ThrowIfCancelled();
            const CExportTableItem& item = *tables[static_cast<std::size_t>(done)];
            CTableBlockParam block = BlockOf(item, row, column, twoColumnDays);
            WriteBlockOrNote(exporter, layout, sheet, block);
            exporter.SendProgress(++done, n, item.GetName());
            name += (index > 1 ? "，" : "") + item.GetName();
            NextBlockPosition(layout.tableLayout, index, row, column, block.lastColumn, block.lastRow);
        }
        // Against the names given so far and the default names of the sheets still to come.
        std::vector<std::string> used = given;
        for (int other = page + 1; other <= book.GetSheetCount(); ++other)
            used.push_back(book.GetSheet(other).GetName());
        const std::string unique = zem::workbook::MakeUniqueSheetName(zem::workbook::SanitizeSheetName(name), used);
        sheet.SetName(unique);
        given.push_back(unique);
        // The tables of a printed page on one paper.
        zem::workbook::SetUpPrinting(sheet, zem::workbook::PrintShape::OnePage());
    }
    return true;
}

}  // namespace

bool WriteTimetableWorkbook(CSpreadsheetExporter& exporter, Workbook& book)
{
    const CExportParam& param = exporter.GetParam();
    if (!param.tables)
        return false;
    static const CTimetableSheetLayout kDefaults;
    const CTimetableSheetLayout& layout = exporter.GetTimetableLayout() ? *exporter.GetTimetableLayout() : kDefaults;
    exporter.SetStandardWidth(Width(layout.dayColumnWidth, layout.dpiX));
    if (layout.sheetType == 1) {
        WriteAllOnOneSheet(exporter, layout, book, *param.tables);
        return true;
    }
    return WriteSheetPerPage(exporter, layout, book, *param.tables);
}
