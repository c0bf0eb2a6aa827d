#include "app/output/workbook/TimetableWorkbook.h"

#include "app/output/workbook/ExportCells.h"
#include "app/output/workbook/SheetPrinting.h"
#include "app/shared/AppServices.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/ExportTableItem.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/Segment.h"
#include "base/WeekCount.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>

using zem::workbook::Value;
using zem::workbook::Workbook;
using zem::workbook::Worksheet;

namespace {

// Rows from the top of a table: morning reading, forenoon, afternoon, night, evening self-study.
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

// The text of the standard banner row of the afternoon (1) or of the evening (2).
std::string DefaultBannerText(const CTimetableSheetLayout& layout, int segment)
{
    for (int i = 0; i < kMaxBlankLines && layout.blankLines[i].segment != -1; ++i) {
        const BlankLine& line = layout.blankLines[i];
        if (line.enabled == 0 && line.segment == segment)
            return line.text;
    }
    return {};
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
    all.SetVerticalAlignment(-4108);
    all.SetWrapText(true);
    all.SetNumberFormatLocal("@");
}

std::vector<GridRow> PlanGrid(const CTimetableSheetLayout& layout, const CSchoolStructure& structure, int firstRow,
                              std::vector<SegmentSpan>& spans)
{
    std::vector<std::string> periodNames;
    GetPeriodNames(periodNames, structure);
    std::size_t period = 0;
    std::vector<GridRow> rows;
    int row = firstRow;
    const auto bannerRows = [&](int segment, int section, int position) {
        for (int i = 0; i < kMaxBlankLines && layout.blankLines[i].segment != -1; ++i) {
            const BlankLine& line = layout.blankLines[i];
            if (line.enabled != 0 && line.segment == segment && line.section == section && line.position == position)
                rows.push_back({row++, false, false, segment, section, false, line.text});
        }
    };
    for (const int segment : zem::kSegmentsInDayOrder) {
        const int count = structure.GetSectionNodeMaxCount(segment);
        if (count <= 0)
            continue;
        if (segment == zem::kAfternoon || segment == zem::kNight ||
            (segment == zem::kEveningStudy && structure.GetSectionNodeMaxCount(zem::kNight) == 0))
            rows.push_back({row++, false, true, segment, 0, false,
                            DefaultBannerText(layout, segment == zem::kAfternoon ? 1 : 2)});
        SegmentSpan span{segment, 0, 0};
        for (int section = 0; section < count; ++section) {
            bannerRows(segment, section, 0);
            GridRow lesson{row++, true, false, segment, section, false,
                           period < periodNames.size() ? periodNames[period] : std::string()};
            ++period;
            // Continuous lessons never merge across a segment or a banner row.
            lesson.mergeUpwards = section > 0 && !rows.empty() && rows.back().lesson;
            if (section == 0)
                span.firstRow = lesson.row;
            rows.push_back(lesson);
            bannerRows(segment, section, 1);
        }
        span.lastRow = row - 1;
        spans.push_back(span);
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

bool WriteTimetableBlock(CSpreadsheetExporter& exporter, const CTimetableSheetLayout& layout, Worksheet& sheet,
                         CTableBlockParam& block)
{
    const CScheduleTask* task = exporter.GetTask();
    if (!task)
        return false;
    const CSchoolStructure& structure = task->GetSchoolStructure();
    std::vector<int> days;
    for (int day = 0; day < zem::kDayCount; ++day) {
        if (structure.IsDayInUse(day))
            days.push_back(day);
    }
    if (days.empty())
        return false;

    const int R = block.row;
    const int C = block.column;
    const int standardWidth = exporter.GetStandardWidth();
    if (R == 1 && C >= 2)
        SetColumnWidth(sheet, ColumnLetters(C - 1), layout.gapX * 2 * 0.47244096);
    if (C == 1 && R >= 2)
        SetRowHeight(sheet, R - 1, static_cast<int>(layout.gapY * 144 * 0.03937008));
    const int L = layout.showSegmentColumn ? C + 1 : C;
    if (layout.showSegmentColumn)
        SetColumnWidth(sheet, ColumnLetters(C), Width(layout.segmentColumnWidth, layout.dpiX));
    SetColumnWidth(sheet, ColumnLetters(L), Width(layout.sectionColumnWidth, layout.dpiX));

    const CExportCellStyle head = Style(layout.headFont, true, 15, true);
    const CExportCellStyle label = Style(layout.headFont, false, -1, true);
    const CExportCellStyle banner = Style(layout.headFont, false, -1, false);
    const CExportCellStyle title = Style(layout.titleFont, layout.titleFont.bold, -1, false);
    const CExportCellStyle footer = Style(layout.headFont, false, -1, false);
    CExportCellStyle lesson = Style(layout.cellFont, layout.cellFont.bold, -1, true);
    lesson.fontName2 = layout.cellFont2.faceName;
    lesson.fontSize2 = layout.cellFont2.size;

    SetRowHeight(sheet, R, Height(layout.titleHeight, layout.dpiY));
    SetRowHeight(sheet, R + 1, Height(layout.gapHeight, layout.dpiY));
    const int headRow = R + 2;
    SetRowHeight(sheet, headRow, Height(layout.headHeight, layout.dpiY));
    for (int column = C; column <= L; ++column)
        WriteRange(sheet, CellAddress(column, headRow), CellAddress(column, headRow), Value(), &head, false);

    std::vector<SegmentSpan> spans;
    const std::vector<GridRow> grid = PlanGrid(layout, structure, headRow + 1, spans);
    const int lastGridRow = grid.empty() ? headRow : grid.back().row;
    // The extent is known before the cells are written, so that a block failing half-way is passed
    // by the next one instead of being written over.
    block.lastRow = lastGridRow + 1;
    block.lastColumn = L + 2 * static_cast<int>(days.size());
    for (const GridRow& row : grid) {
        SetRowHeight(sheet, row.row, Height(row.lesson ? layout.rowHeight : layout.bannerHeight, layout.dpiY));
        const std::string at = CellAddress(L, row.row);
        if (row.lesson) {
            WriteRange(sheet, at, at, Value(row.text), &label, false);
            continue;
        }
        const std::size_t bar = row.text.find('|');
        WriteRange(sheet, at, at, Value(row.text.substr(0, bar)), &banner, false);
        if (bar != std::string::npos) {
            const std::string after = CellAddress(L + 1, row.row);
            WriteRange(sheet, after, after, Value(row.text.substr(bar + 1)), &banner, false);
        }
    }
    if (layout.showSegmentColumn) {
        for (const SegmentSpan& span : spans) {
            const std::string first = CellAddress(C, span.firstRow);
            const std::string last = CellAddress(C, span.lastRow);
            WriteRange(sheet, first, last, Value(GetSectionKindNames(span.segment)), &label, false);
            MergeWithBorder(sheet, first, last);
        }
    }

    const CExportContext& context = exporter.GetContext();
    const int kindIndex = std::clamp(static_cast<int>(block.kind), 0, 2);
    const bool openTask = context.openTask == task;
    std::vector<std::string> noFilter;
    int column = L + 1;
    for (const int day : days) {
        WriteRange(sheet, CellAddress(column, headRow), CellAddress(column, headRow),
                   Value(GetWeekdayName(day, !layout.fullNames)), &head, false);
        std::vector<int> splits;
        for (const GridRow& row : grid) {
            if (!row.lesson || !block.table)
                continue;
            const tagTABLE_NODE node{day, row.segment, row.section};
            CExportCellStyle style = lesson;
            if (IsCellChangedFromOpenTask(context, task, *block.table, node, block.id, block.kind))
                style.colorIndex = 33;
            else if (zem::IsSelfStudySegment(row.segment))
                style.colorIndex = 34;
            else if (block.kind == TABLE_CLASS && openTask && layout.colorTable)
                style.color = CTaskHelper(const_cast<CScheduleTask*>(task), AppHelperContext())
                                  .GetCellColor(block.table, node);
            WriteLessonCell(context, *task, *block.table, node, block.kind, layout.fullNames,
                            layout.cellFormat[kindIndex], noFilter, sheet, row.row, column, kHalvesBeside, splits,
                            &style, block.id, row.mergeUpwards, !row.mergeUpwards);
        }
        if (!block.twoColumnDays && splits.empty()) {
            ++column;
            continue;
        }
        SetColumnWidth(sheet, ColumnLetters(column), standardWidth / 2);
        SetColumnWidth(sheet, ColumnLetters(column + 1), standardWidth / 2);
        WriteRange(sheet, CellAddress(column + 1, headRow), CellAddress(column + 1, headRow), Value(), &head, false);
        MergeWithBorder(sheet, CellAddress(column, headRow), CellAddress(column + 1, headRow));
        for (const GridRow& row : grid) {
            // Banner rows are merged across the whole block below.
            if (row.lesson && std::find(splits.begin(), splits.end(), row.row) == splits.end())
                MergeWithBorder(sheet, CellAddress(column, row.row), CellAddress(column + 1, row.row));
        }
        column += 2;
    }
    const int lastColumn = column - 1;
    block.lastColumn = lastColumn;

    const std::string titleFirst = CellAddress(C, R);
    const std::string titleLast = CellAddress(lastColumn, R);
    sheet.GetRange(titleFirst, titleLast).Merge(true);
    const std::string& titleFormat = exporter.IsTemporary() ? layout.tempTitleFormat : layout.titleFormat;
    WriteRange(sheet, titleFirst, titleFirst, Value(layout.expandTitle ? layout.expandTitle(titleFormat, block.name)
                                                                        : zem::ReplaceAll(titleFormat, "%NAME%", block.name)), &title, false);

    for (const GridRow& row : grid) {
        if (row.lesson)
            continue;
        const int start = row.separator && layout.showSegmentColumn ? C : L;
        if (row.text.find('|') != std::string::npos && lastColumn > L) {
            MergeWithBorder(sheet, CellAddress(start, row.row), CellAddress(L, row.row));
            MergeWithBorder(sheet, CellAddress(L + 1, row.row), CellAddress(lastColumn, row.row));
        } else {
            MergeWithBorder(sheet, CellAddress(start, row.row), CellAddress(lastColumn, row.row));
        }
    }

    const int footerRow = lastGridRow + 1;
    SetRowHeight(sheet, footerRow, Height(layout.gapHeight + layout.footerHeight, layout.dpiY));
    const int w = lastColumn - L < 5 ? 2 : 4;
    // A narrow block keeps at least one column for each part.
    const int leftLast = std::max(C, std::min(lastColumn - w, lastColumn - 1));
    zem::workbook::Range left = sheet.GetRange(CellAddress(C, footerRow), CellAddress(leftLast, footerRow));
    left.Merge(true);
    left.SetHorizontalAlignment(2);
    WriteRange(sheet, CellAddress(C, footerRow), CellAddress(C, footerRow), Value(FooterText(exporter, layout, block)),
               &footer, false);
    if (leftLast < lastColumn) {
        zem::workbook::Range right =
            sheet.GetRange(CellAddress(leftLast + 1, footerRow), CellAddress(lastColumn, footerRow));
        right.Merge(true);
        right.SetHorizontalAlignment(-4152);
        if (layout.dateLine) {
            const zem::LocalTime now = zem::Now();
            WriteRange(sheet, CellAddress(leftLast + 1, footerRow), CellAddress(leftLast + 1, footerRow),
                       Value(zem::Format("%04d年%02d月%02d日", now.year, now.month, now.day)), &footer, false);
        }
    }
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

}  // namespace

bool WriteTimetableWorkbook(CSpreadsheetExporter& exporter, Workbook& book)
{
    const CExportParam& param = exporter.GetParam();
    if (!param.tables)
        return false;
    static const CTimetableSheetLayout kDefaults;
    const CTimetableSheetLayout& layout = exporter.GetTimetableLayout() ? *exporter.GetTimetableLayout() : kDefaults;
    const std::vector<CExportTableItem*>& tables = *param.tables;
    const int standardWidth = Width(layout.dayColumnWidth, layout.dpiX);
    exporter.SetStandardWidth(standardWidth);
    const int n = static_cast<int>(tables.size());
    const int perPage = std::max(1, layout.tablesPerPage);
    int done = 0;

    if (layout.sheetType == 1) {
        if (book.GetSheetCount() == 0)
            book.AddSheets(1);
        Worksheet& sheet = book.GetSheet(1);
        PrepareSheet(sheet, standardWidth);
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
        return true;
    }

    const int pages = n / perPage + (n % perPage != 0 ? 1 : 0);
    if (book.GetSheetCount() < pages)
        book.AddSheets(pages - book.GetSheetCount());
    if (book.GetSheetCount() < pages) {
        exporter.SetError(2, "创建工作表失败");
        return false;
    }
    const bool twoColumnDays = layout.tableLayout >= 2 && layout.tableLayout <= 5;
    std::vector<std::string> given;
    for (int page = 1; page <= pages && done < n; ++page) {
        Worksheet& sheet = book.GetSheet(page);
        PrepareSheet(sheet, standardWidth);
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
