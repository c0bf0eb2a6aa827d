#pragma once
// One check of what is printed and exported against what the week grid shows: every lesson of every
// timetable, at its day and period, read back from the PDF file a user prints (words with their
// places) or from the workbook a user exports (the program's own reader), against the texts the
// grid builds for the same timetable and cell layout. Each returns the differences, one line each,
// so that a failing test says which table, day and period printed what.
#include "support/PdfPages.h"
#include "support/PrintTestSupport.h"

#include "app/output/workbook/WorkbookReader.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/ExportTableItem.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/WeekGridCells.h"
#include "base/CellRecord.h"
#include "base/DayRows.h"
#include "platform/Text.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace gridcheck {

// The text without blanks and line breaks: print may join or wrap the lines of a cell.
inline std::string Squeezed(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
            out += c;
    }
    return out;
}

// What the week grid shows in a slot of the table: for each lesson (the two halves of an odd/even
// slot each) its fields one after the other, or the slot's activity; nothing for an empty slot.
// One cell of a week grid as the helper fills it: the last text written into it.
class OneGridCell : public CWeekGridCells {
public:
    void SetWeekDays(int) override {}
    void SetSegmentNodes(int, int) override {}
    void SetColumnTitle(int, const std::string&) override {}
    void SetPeriodNames(const std::vector<std::string>&) override {}
    void Clear() override { text.clear(); }
    void SetCellInfo(const tagTABLE_NODE&, const std::string& written) override { text = written; }
    void SetCellTipInfo(const tagTABLE_NODE&, const std::string&) override {}
    void SetCellTag(const tagTABLE_NODE&, CELL_TAG) override {}
    void SetCellBkColor(const tagTABLE_NODE&, zem::COLORREF) override {}
    void SetCellFocus(const tagTABLE_NODE&, bool) override {}
    void SetForbidCell(const tagTABLE_NODE&, bool) override {}
    void SetAllCellNormal() override {}
    void Refresh() override {}
    std::string text;
};

inline std::vector<std::string> GridTexts(CScheduleTask& task, const CExportTableItem& item, int layout,
                                          bool fullNames, const tagTABLE_NODE& node)
{
    OneGridCell cell;
    CTaskHelper(&task).FillWeekCell(&cell, item.GetTable(), item.GetKind(), true, fullNames, layout, item.GetId(),
                                    node);
    std::vector<std::string> texts;
    for (const zem::CellEntry& entry : zem::ReadCellRecord(cell.text).entries)
        texts.push_back(Squeezed(std::string(entry.main) + std::string(entry.secondary)));
    if (std::all_of(texts.begin(), texts.end(), [](const std::string& t) { return t.empty(); }))
        return {};
    return texts;
}

inline std::string Where(const CExportTableItem& item, const zem::DayRow& row, int day)
{
    return zem::Format("%s %s %d-%d: ", item.GetName().c_str(), GetWeekdayName(day, false).c_str(), row.segment,
                       row.section);
}

// The words whose middle lies in the box (points), line by line from the top, each line left to right.
inline std::vector<PdfWord> WordsIn(const PdfPage& page, double left, double top, double right, double bottom)
{
    std::vector<PdfWord> words;
    for (const PdfWord& w : page.words) {
        const double x = (w.xMin + w.xMax) / 2, y = (w.yMin + w.yMax) / 2;
        if (x > left && x < right && y > top && y < bottom)
            words.push_back(w);
    }
    std::sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) {
        const double lineA = (a.yMin + a.yMax) / 2, lineB = (b.yMin + b.yMax) / 2;
        const double height = std::min(a.yMax - a.yMin, b.yMax - b.yMin);
        if (std::abs(lineA - lineB) > height / 2)
            return lineA < lineB;
        return a.xMin < b.xMin;
    });
    return words;
}

// The smallest height of a printed lesson word, in points, over the checks made so far.
struct PrintFindings {
    std::vector<std::string> differences;
    double smallestWord = 1e9;
    int shortened = 0;  // lessons printed in part, ending in "…"
    int lessons = 0;    // boxes where the grid shows a text
};

inline constexpr std::string_view kMore = "…";

// Compares one box of a printed cell (points) with the grid's text for it.
inline void CheckPrintedBox(const PdfPage& page, double left, double top, double right, double bottom,
                            const std::string& expected, const std::string& where, PrintFindings& found)
{
    const std::vector<PdfWord> words = WordsIn(page, left, top, right, bottom);
    if (!expected.empty())
        ++found.lessons;
    std::string printed;
    for (const PdfWord& w : words) {
        printed += w.text;
        found.smallestWord = std::min(found.smallestWord, w.yMax - w.yMin);
        // Nothing runs past the cell's rules.
        constexpr double kSlack = 0.6;
        if (w.xMin < left - kSlack || w.xMax > right + kSlack || w.yMin < top - kSlack || w.yMax > bottom + kSlack)
            found.differences.push_back(where + "'" + w.text + "' runs past its cell");
    }
    const std::string squeezed = Squeezed(printed);
    // A lesson too long for its cell even at the smallest legible size says that it is shortened.
    if (squeezed.size() > kMore.size() && squeezed.ends_with(kMore) &&
        expected.starts_with(squeezed.substr(0, squeezed.size() - kMore.size())) && squeezed != expected) {
        ++found.shortened;
        return;
    }
    if (squeezed != expected)
        found.differences.push_back(where + "printed '" + printed + "', the grid shows '" + expected + "'");
}

// The timetables of one printed page (from 1) against the grid: the table in slot i of page p is
// the sheet's table (p - 1) * per page + i.
inline PrintFindings ComparePrintedPage(const PdfPage& page, const CWeekTablePageLayout& l, const CPrintSheet& sheet,
                                        CScheduleTask& task, int pageNumber)
{
    PrintFindings found;
    const int perPage = l.GetTablesPerPage();
    const auto pt = [](int pixels) { return pixels * 72.0 / 600.0; };
    const CSchoolStructure& week = sheet.GetStructure();
    const std::vector<zem::DayRow> rows = zem::DayRows(week.GetSegmentCounts(), l.blankLines);
    for (int slotIndex = 0; slotIndex < perPage; ++slotIndex) {
        const CExportTableItem* item = sheet.GetTableAt((pageNumber - 1) * perPage + slotIndex);
        if (!item)
            break;
        const zem::Rect slot = l.GetTableRect(slotIndex);
        const int firstCol = slot.left + l.sectionColumnWidth + l.periodColumnWidth;
        int column = 0;
        for (int day = 0; day < zem::kDayCount; ++day) {
            if (!week.IsDayInUse(day))
                continue;
            const int left = firstCol + column * l.dayColumnWidth - 1, right = firstCol + (column + 1) * l.dayColumnWidth;
            ++column;
            int y = slot.top + l.gridOffset + l.headerHeight;
            for (const zem::DayRow& row : rows) {
                const int top = y;
                y += row.IsLesson() ? l.rowHeight : l.bannerHeight;
                if (!row.IsLesson())
                    continue;
                const std::vector<std::string> texts = GridTexts(
                    task, *item, l.GetCourseInfoFormat(item->GetKind()), l.ShowFullName, {day, row.segment, row.section});
                const std::string where = Where(*item, row, day);
                if (texts.size() == 2) {
                    const int middle = (left + right) / 2;
                    CheckPrintedBox(page, pt(left), pt(top), pt(middle), pt(y), texts[0], where + "odd ", found);
                    CheckPrintedBox(page, pt(middle), pt(top), pt(right), pt(y), texts[1], where + "even ", found);
                } else {
                    CheckPrintedBox(page, pt(left), pt(top), pt(right), pt(y), texts.empty() ? "" : texts[0], where,
                                    found);
                }
            }
        }
    }
    return found;
}

// Every page of the sheet as printed into `pdf` (PrintToPdf) against the grid. A lesson printed in
// part must be one the preview warns of: each page shortens as many lessons as the sheet says.
inline PrintFindings ComparePrintWithGrid(const std::string& pdf, CPrintSheet& sheet, CScheduleTask& task)
{
    PrintFindings total;
    const std::vector<PdfPage> pages = ReadPdfPages(pdf);
    if (static_cast<int>(pages.size()) != sheet.GetPageCount())
        total.differences.push_back(zem::Format("%d pages printed, %d expected", static_cast<int>(pages.size()),
                                                sheet.GetPageCount()));
    const CWeekTablePageLayout layout = LayoutAt(sheet, 600);
    for (int page = 1; page <= static_cast<int>(pages.size()); ++page) {
        PrintFindings found = ComparePrintedPage(pages[static_cast<std::size_t>(page - 1)], layout, sheet, task, page);
        const int warned = sheet.ShortenedLessons(page);
        if (found.shortened != warned)
            found.differences.push_back(zem::Format("page %d: %d lessons printed in part, the preview warns of %d",
                                                    page, found.shortened, warned));
        total.differences.insert(total.differences.end(), found.differences.begin(), found.differences.end());
        total.smallestWord = std::min(total.smallestWord, found.smallestWord);
        total.shortened += found.shortened;
        total.lessons += found.lessons;
    }
    return total;
}

// The cell whose value a workbook cell shows: the top left cell of the merged area it lies in.
inline std::pair<int, int> Anchor(const zem::workbook::SheetData& sheet, int row, int column)
{
    for (const zem::workbook::MergedArea& area : sheet.MergedAreas()) {
        if (row >= area.firstRow && row <= area.lastRow && column >= area.firstColumn && column <= area.lastColumn)
            return {area.firstRow, area.firstColumn};
    }
    return {row, column};
}

inline std::string CellText(const zem::workbook::SheetData& sheet, int row, int column)
{
    const auto [r, c] = Anchor(sheet, row, column);
    return sheet.Value(r, c).text;
}

// Where a timetable block stands on a sheet: its title cell's row and column, found by its text.
inline bool FindBlock(const zem::workbook::SheetData& sheet, const std::string& title, int& row, int& column)
{
    bool found = false;
    sheet.ForEachCell([&](int r, int c, const zem::workbook::CellValue& value) {
        if (!found && value.text == title) {
            row = r;
            column = c;
            found = true;
        }
    });
    return found;
}

// The grid's texts of a slot joined, as a workbook cell (or the two halves of an odd/even one) holds them.
inline std::string GridText(CScheduleTask& task, const CExportTableItem& item, int layout, bool fullNames,
                            const tagTABLE_NODE& node)
{
    std::string joined;
    for (const std::string& text : GridTexts(task, item, layout, fullNames, node))
        joined += text;
    return joined;
}

// The texts of the cells from (row, column) to (lastRow, lastColumn), a merged area counted once.
inline std::string CellsText(const zem::workbook::SheetData& sheet, int row, int column, int lastRow, int lastColumn)
{
    std::string text;
    std::vector<std::pair<int, int>> read;
    for (int r = row; r <= lastRow; ++r) {
        for (int c = column; c <= lastColumn; ++c) {
            const std::pair<int, int> anchor = Anchor(sheet, r, c);
            if (std::find(read.begin(), read.end(), anchor) != read.end())
                continue;
            read.push_back(anchor);
            text += Squeezed(sheet.Value(anchor.first, anchor.second).text);
        }
    }
    return text;
}

// The cell (row or column) a master sheet gives the object, and the next one too when its lessons
// were split into two halves (the name's cell merged over both, or the name standing alone).
inline bool FindObjectSpan(const zem::workbook::SheetData& sheet, const std::string& name, bool down, int& first,
                           int& last)
{
    int row = 0, column = 0;
    sheet.ForEachCell([&](int r, int c, const zem::workbook::CellValue& value) {
        if (row == 0 && value.text == name && (down ? r == 1 : c == 1)) {
            row = r;
            column = c;
        }
    });
    if (row == 0)
        return false;
    first = last = down ? column : row;
    for (const zem::workbook::MergedArea& area : sheet.MergedAreas()) {
        if (area.firstRow == row && area.firstColumn == column)
            last = down ? area.lastColumn : area.lastRow;
    }
    return true;
}

// A master timetable sheet, across (a row per object) or down (a column per object), against the
// grid: the periods of each day in day order (morning reading and evening self-study with
// `showSS`), the days in use one after the other.
inline std::vector<std::string> CompareMasterSheetWithGrid(const zem::workbook::SheetData& sheet,
                                                           const std::vector<const CExportTableItem*>& items,
                                                           CScheduleTask& task, int layout, bool fullNames,
                                                           bool showSS, bool down, int* lessons = nullptr)
{
    std::vector<std::string> differences;
    const CSchoolStructure& week = task.GetSchoolStructure();
    std::vector<zem::DayRow> periods;
    for (const zem::DayRow& row : zem::DayRows(week.GetSegmentCounts(), nullptr)) {
        if (row.IsLesson() && (showSS || !zem::IsSelfStudySegment(row.segment)))
            periods.push_back(row);
    }
    for (const CExportTableItem* item : items) {
        int first = 0, last = 0;
        if (!FindObjectSpan(sheet, item->GetName(), down, first, last)) {
            differences.push_back(item->GetName() + ": not on the sheet");
            continue;
        }
        int at = 2;
        for (int day = 0; day < zem::kDayCount; ++day) {
            if (!week.IsDayInUse(day))
                continue;
            for (const zem::DayRow& period : periods) {
                const std::string written =
                    down ? CellsText(sheet, at, first, at, last) : CellsText(sheet, first, at, last, at);
                ++at;
                const std::string expected = GridText(task, *item, layout, fullNames, {day, period.segment, period.section});
                if (lessons && !expected.empty())
                    ++*lessons;
                if (written != expected)
                    differences.push_back(Where(*item, period, day) + "written '" + written + "', the grid shows '" +
                                          expected + "'");
            }
        }
    }
    return differences;
}

// Every timetable block of a timetable workbook's sheet against the grid: the block titled by its
// table's name, the weekday head two rows under the title, then the rows of a day; a day takes
// the columns its head spans. `showSegmentColumn` as the export's layout; only the blocks of
// `items` that stand on the sheet are checked, and the names of those found are added to `seen`.
inline std::vector<std::string> CompareTimetableSheetWithGrid(const zem::workbook::SheetData& sheet,
                                                              const std::vector<const CExportTableItem*>& items,
                                                              CScheduleTask& task, int layout, bool fullNames,
                                                              const BlankLine* banners, bool showSegmentColumn,
                                                              std::vector<std::string>& seen, int* lessons = nullptr)
{
    std::vector<std::string> differences;
    const CSchoolStructure& week = task.GetSchoolStructure();
    const std::vector<zem::DayRow> rows = zem::DayRows(week.GetSegmentCounts(), banners);
    for (const CExportTableItem* item : items) {
        int top = 0, left = 0;
        if (!FindBlock(sheet, item->GetName(), top, left))
            continue;
        seen.push_back(item->GetName());
        const int headRow = top + 2;
        int column = left + (showSegmentColumn ? 2 : 1);
        for (int day = 0; day < zem::kDayCount; ++day) {
            if (!week.IsDayInUse(day))
                continue;
            int last = column;
            for (const zem::workbook::MergedArea& area : sheet.MergedAreas()) {
                if (area.firstRow == headRow && area.firstColumn == column)
                    last = area.lastColumn;
            }
            if (CellText(sheet, headRow, column) != GetWeekdayName(day, !fullNames))
                differences.push_back(item->GetName() + ": no head of " + GetWeekdayName(day, false));
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const zem::DayRow& row = rows[i];
                if (!row.IsLesson())
                    continue;
                const int r = headRow + 1 + static_cast<int>(i);
                const std::string written = CellsText(sheet, r, column, r, last);
                const std::string expected = GridText(task, *item, layout, fullNames, {day, row.segment, row.section});
                if (lessons && !expected.empty())
                    ++*lessons;
                if (written != expected)
                    differences.push_back(Where(*item, row, day) + "written '" + written + "', the grid shows '" +
                                          expected + "'");
            }
            column = last + 1;
        }
    }
    return differences;
}
}  // namespace gridcheck
