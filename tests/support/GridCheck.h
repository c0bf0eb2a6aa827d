#pragma once
// One check of what is printed and exported against what the week grid shows: every lesson of every
// timetable, at its day and period, read back from the PDF file a user prints (words with their
// places) or from the workbook a user exports (the program's own reader), against the texts the
// grid builds for the same timetable and cell layout. Each returns the differences, one line each,
// so that a failing test says which table, day and period printed what.
#include "support/PdfPages.h"
#include "support/PrintTestSupport.h"

#include "app/output/workbook/WorkbookReader.h"
#include "app/shared/AppServices.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/ExportTableItem.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/WeekGridCells.h"
#include "app/timetable/SchoolTablePrint.h"
#include "base/CellRecord.h"
#include "base/DayRows.h"
#include "base/Segment.h"
#include "platform/Text.h"

#include <QImage>

#include <algorithm>
#include <chrono>
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
    // The word heights of a lesson printed on two lines, its first and second, the smallest seen.
    double firstLine = 1e9, secondLine = 1e9;
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
    // Two lines: the words of the first line are those at the first word's height.
    if (!words.empty()) {
        const PdfWord& top = words.front();
        const double topMiddle = (top.yMin + top.yMax) / 2;
        std::vector<double> lines[2];
        for (const PdfWord& w : words) {
            const bool first = std::abs((w.yMin + w.yMax) / 2 - topMiddle) < (top.yMax - top.yMin) / 2;
            lines[first ? 0 : 1].push_back(w.yMax - w.yMin);
        }
        const double lastMiddle = (words.back().yMin + words.back().yMax) / 2;
        const bool twoLines = !lines[1].empty() &&
                              std::all_of(words.begin(), words.end(), [&](const PdfWord& w) {
                                  const double middle = (w.yMin + w.yMax) / 2;
                                  const double half = (w.yMax - w.yMin) / 2;
                                  return std::abs(middle - topMiddle) < half || std::abs(middle - lastMiddle) < half;
                              });
        if (twoLines) {
            found.firstLine = std::min(found.firstLine, *std::min_element(lines[0].begin(), lines[0].end()));
            found.secondLine = std::min(found.secondLine, *std::min_element(lines[1].begin(), lines[1].end()));
        }
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

// Adds the findings of a printed page (from 1) to the total. A lesson printed in part must be one
// the preview warns of: the page shortens as many lessons as the sheet says.
inline void AddPrintedPage(PrintFindings& total, PrintFindings found, CPrintSheet& sheet, int page)
{
    const int warned = sheet.ShortenedLessons(page);
    if (found.shortened != warned)
        found.differences.push_back(zem::Format("page %d: %d lessons printed in part, the preview warns of %d", page,
                                                found.shortened, warned));
    total.differences.insert(total.differences.end(), found.differences.begin(), found.differences.end());
    total.smallestWord = std::min(total.smallestWord, found.smallestWord);
    total.firstLine = std::min(total.firstLine, found.firstLine);
    total.secondLine = std::min(total.secondLine, found.secondLine);
    total.shortened += found.shortened;
    total.lessons += found.lessons;
}

// Every page of the sheet as printed into `pdf` (PrintToPdf) against the grid.
inline PrintFindings ComparePrintWithGrid(const std::string& pdf, CPrintSheet& sheet, CScheduleTask& task)
{
    PrintFindings total;
    const std::vector<PdfPage> pages = ReadPdfPages(pdf);
    if (static_cast<int>(pages.size()) != sheet.GetPageCount())
        total.differences.push_back(zem::Format("%d pages printed, %d expected", static_cast<int>(pages.size()),
                                                sheet.GetPageCount()));
    const CWeekTablePageLayout layout = LayoutAt(sheet, 600);
    for (int page = 1; page <= static_cast<int>(pages.size()); ++page)
        AddPrintedPage(total, ComparePrintedPage(pages[static_cast<std::size_t>(page - 1)], layout, sheet, task, page),
                       sheet, page);
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

// Where a master sheet in 交叉 puts a day: the row of the heading that names it over its objects'
// columns (a block's corner in column 1 names it too), and the columns the heading spans.
inline bool FindCrossedDay(const zem::workbook::SheetData& sheet, const std::string& day, int& row, int& first,
                           int& last)
{
    bool found = false;
    sheet.ForEachCell([&](int r, int c, const zem::workbook::CellValue& value) {
        if (!found && c > 1 && value.text == day) {
            row = r;
            first = last = c;
            found = true;
        }
    });
    for (const zem::workbook::MergedArea& area : sheet.MergedAreas()) {
        if (found && area.firstRow == row && area.firstColumn == first)
            last = area.lastColumn;
    }
    return found;
}

// A master timetable sheet against the grid: 横排 (style 0, a row per object, the periods of the
// days across), 竖排 (1, a column per object, the periods of the days down) or 交叉 (2, each day's
// objects across under the day's name, each period two rows down). The periods of each day in
// day order (morning reading and evening self-study with `showSS`), the days in use in order.
inline std::vector<std::string> CompareMasterSheetWithGrid(const zem::workbook::SheetData& sheet,
                                                           const std::vector<const CExportTableItem*>& items,
                                                           CScheduleTask& task, int layout, bool fullNames,
                                                           bool showSS, int style, int* lessons = nullptr)
{
    std::vector<std::string> differences;
    const CSchoolStructure& week = task.GetSchoolStructure();
    std::vector<zem::DayRow> periods;
    for (const zem::DayRow& row : zem::DayRows(week.GetSegmentCounts(), nullptr)) {
        if (row.IsLesson() && (showSS || !zem::IsSelfStudySegment(row.segment)))
            periods.push_back(row);
    }
    const int count = static_cast<int>(periods.size());
    for (const CExportTableItem* item : items) {
        int first = 0, last = 0;
        if (style != 2 && !FindObjectSpan(sheet, item->GetName(), style == 1, first, last)) {
            differences.push_back(item->GetName() + ": not on the sheet");
            continue;
        }
        int dayIndex = 0;
        for (int day = 0; day < zem::kDayCount; ++day) {
            if (!week.IsDayInUse(day))
                continue;
            const int at = 2 + dayIndex++ * count;  // 横排 and 竖排: the day's first period
            int head = 0, column = 0;                // 交叉: the day's heading row, the object's column
            if (style == 2) {
                int firstColumn = 0, lastColumn = 0;
                if (!FindCrossedDay(sheet, GetWeekdayName(day, false), head, firstColumn, lastColumn)) {
                    differences.push_back(GetWeekdayName(day, false) + ": no heading");
                    continue;
                }
                for (int c = firstColumn; c <= lastColumn && column == 0; ++c) {
                    if (CellText(sheet, head + 1, c) == item->GetName())
                        column = c;
                }
                if (column == 0) {
                    differences.push_back(item->GetName() + ": not under " + GetWeekdayName(day, false));
                    continue;
                }
            }
            for (int k = 0; k < count; ++k) {
                const zem::DayRow& period = periods[static_cast<std::size_t>(k)];
                const int row = head + 2 + 2 * k;
                const std::string written = style == 2   ? CellsText(sheet, row, column, row + 1, column)
                                            : style == 1 ? CellsText(sheet, at + k, first, at + k, last)
                                                         : CellsText(sheet, first, at + k, last, at + k);
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
// ---- The whole-school print ----

// The fields of a whole-school cell record, its entries one after the other.
inline std::string RecordText(std::string_view record)
{
    std::string text;
    for (const zem::CellEntry& entry : zem::ReadCellRecord(record).entries)
        text += Squeezed(std::string(entry.main) + std::string(entry.secondary));
    return text;
}

// The whole-school print in `pdf` against what the whole-school window shows with the same
// settings (its lines made as the window makes them): each cell, where the sheet puts it on its
// page, holds every field of the window's cell, and nothing runs past it.
inline PrintFindings CompareSchoolPrintWithScreen(const std::string& pdf, CSchoolTablePrintSheet& sheet,
                                                  CScheduleTask& task, int kind)
{
    PrintFindings total;
    const std::vector<PdfPage> pages = ReadPdfPages(pdf);
    if (static_cast<int>(pages.size()) != sheet.GetPageCount())
        total.differences.push_back(zem::Format("%d pages printed, %d expected", static_cast<int>(pages.size()),
                                                sheet.GetPageCount()));
    const CTablePageLayout& layout = SchoolPageLayout();
    CSchoolTimetableModel screen;
    screen.SetWeek(task.GetSchoolStructure(), layout.ShowSS);
    screen.SetLines(kind, AppServices().GetShowTeacherByGroup() && kind == TABLE_TEACHER);
    const bool roomNumber = AppServices().GetShowRoomNumber();
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(qRound(600 / 0.0254));
    device.setDotsPerMeterY(qRound(600 / 0.0254));
    const auto pt = [](int pixels) { return pixels * 72.0 / 600.0; };
    const int perDay = screen.GetPeriodsPerDay();
    for (int page = 1; page <= static_cast<int>(pages.size()) && page <= sheet.GetPageCount(); ++page) {
        PrintFindings found;
        const CSchoolPrintPage& p = sheet.GetPages()[static_cast<std::size_t>(page - 1)];
        std::vector<int> periods;  // in the order the page lays them out
        for (const CSchoolPrintBand& band : p.bands) {
            for (int k = 0; k < band.count; ++k)
                periods.push_back(band.dayOrder * perDay + band.first + k);
        }
        for (int line = p.firstLine; line < p.firstLine + p.lineCount; ++line) {
            const std::vector<zem::Rect> rects = sheet.LineRects(&device, page, line);
            const std::string& label = screen.GetLines()[static_cast<std::size_t>(line)].label;
            if (rects.size() != periods.size()) {
                found.differences.push_back(zem::Format("page %d, %s: %d cells for %d periods", page, label.c_str(),
                                                        static_cast<int>(rects.size()),
                                                        static_cast<int>(periods.size())));
                continue;
            }
            for (std::size_t i = 0; i < rects.size(); ++i) {
                const zem::Rect& r = rects[i];
                const std::string expected =
                    RecordText(screen.CellText(task, layout, roomNumber, line, periods[i], nullptr));
                const std::string where = zem::Format("page %d, %s, period %d: ", page, label.c_str(), periods[i]);
                CheckPrintedBox(pages[static_cast<std::size_t>(page - 1)], pt(r.left), pt(r.top), pt(r.right),
                                pt(r.bottom), expected, where, found);
            }
        }
        AddPrintedPage(total, found, sheet, page);
    }
    return total;
}

// ---- The lesson list and the lesson calendar ----

// A grid text with its room as a list's column holds it: "物理张瑋(物理实验室:1)" is
// "物理张瑋物理实验室", without the brackets and the place in the room.
inline std::string WithoutRoomMarks(const std::string& text)
{
    const std::size_t open = text.rfind('(');
    if (open == std::string::npos || !text.ends_with(")"))
        return text;
    std::string room = text.substr(open + 1, text.size() - open - 2);
    const std::size_t colon = room.rfind(':');
    if (colon != std::string::npos && colon + 1 < room.size() &&
        std::all_of(room.begin() + static_cast<std::ptrdiff_t>(colon) + 1, room.end(),
                    [](char c) { return c >= '0' && c <= '9'; }))
        room.resize(colon);
    return text.substr(0, open) + room;
}

// The whole school's lesson list (from row 4: a row per class period, two for an odd/even one,
// "(单)" and "(双)" before their subjects) against the class grids: the class, the weekday and the
// fields of the period in the layout "课程 + 教师教室", with full names as the list writes them.
inline std::vector<std::string> CompareLessonListWithGrid(const zem::workbook::SheetData& sheet,
                                                          const std::vector<const CExportTableItem*>& classes,
                                                          CScheduleTask& task, int* lessons = nullptr)
{
    std::vector<std::string> differences;
    const CSchoolStructure& week = task.GetSchoolStructure();
    int row = 4;
    for (const CExportTableItem* item : classes) {
        for (int day = 0; day < zem::kDayCount; ++day) {
            if (!week.IsDayInUse(day))
                continue;
            for (const zem::DayRow& period : zem::DayRows(week.GetSegmentCounts(), nullptr)) {
                if (!period.IsLesson())
                    continue;
                std::vector<std::string> texts = GridTexts(task, *item, 0, true, {day, period.segment, period.section});
                for (std::string& text : texts)
                    text = WithoutRoomMarks(text);
                std::vector<std::string> expected = {texts.empty() ? std::string() : texts[0]};
                if (texts.size() == 2)
                    expected = {"(单)" + texts[0], "(双)" + texts[1]};
                for (const std::string& text : expected) {
                    if (lessons && !texts.empty())
                        ++*lessons;
                    const std::string written = CellsText(sheet, row, 5, row, 7);
                    if (CellText(sheet, row, 2) != item->GetName() || CellText(sheet, row, 3) != GetWeekdayName(day, true) ||
                        written != text)
                        differences.push_back(zem::Format("row %d: ", row) + Where(*item, period, day) + "written '" +
                                              CellText(sheet, row, 2) + " " + CellText(sheet, row, 3) + " " + written +
                                              "', the grid shows '" + text + "'");
                    ++row;
                }
            }
        }
    }
    if (sheet.LastRow() >= row)
        differences.push_back(zem::Format("rows %d to %d follow the last class", row, sheet.LastRow()));
    return differences;
}

// The lessons a teacher's week grid shows on a day in the regular periods: one for a lesson, a
// half for each half of an odd/even slot the teacher has.
inline double GridLessonsOn(CScheduleTask& task, const CExportTableItem& item, int day)
{
    double lessons = 0;
    for (const zem::DayRow& period : zem::DayRows(task.GetSchoolStructure().GetSegmentCounts(), nullptr)) {
        if (!period.IsLesson() || !zem::IsRegularSegment(period.segment))
            continue;
        OneGridCell cell;
        CTaskHelper(&task).FillWeekCell(&cell, item.GetTable(), item.GetKind(), false, false, 0, item.GetId(),
                                        {day, period.segment, period.section});
        const zem::CellFields fields = zem::ReadCellRecord(cell.text);
        for (const zem::CellEntry& entry : fields.entries) {
            if (!entry.main.empty() || !entry.secondary.empty())
                lessons += fields.IsPair() ? 0.5 : 1;
        }
    }
    return lessons;
}

// The lesson calendar (row 3 down a teacher each, column 2 on a date each from `firstDate`) of a
// school of one week against the teachers' grids: each date holds the lessons its weekday's column
// shows, nothing on a day without lessons.
inline std::vector<std::string> CompareCalendarWithGrid(const zem::workbook::SheetData& sheet,
                                                        const std::vector<const CExportTableItem*>& teachers,
                                                        CScheduleTask& task, std::chrono::year_month_day firstDate,
                                                        int dates, int* lessons = nullptr)
{
    std::vector<std::string> differences;
    const CSchoolStructure& week = task.GetSchoolStructure();
    int row = 3;
    for (const CExportTableItem* item : teachers) {
        if (CellText(sheet, row, 1) != item->GetName())
            differences.push_back(zem::Format("row %d names '%s', not '%s'", row, CellText(sheet, row, 1).c_str(),
                                              item->GetName().c_str()));
        for (int n = 0; n < dates; ++n) {
            const std::chrono::year_month_day date{std::chrono::sys_days(firstDate) + std::chrono::days(n)};
            // Monday 0 .. Sunday 6.
            const int day = static_cast<int>(std::chrono::weekday(date).iso_encoding()) - 1;
            const double expected = week.IsDayInUse(day) ? GridLessonsOn(task, *item, day) : 0;
            const zem::workbook::CellValue& value = sheet.Value(row, n + 2);
            const bool number = value.type == zem::workbook::CellValue::Type::Number;
            const bool empty = value.type == zem::workbook::CellValue::Type::Empty || value.text.empty();
            if (lessons && expected > 0)
                ++*lessons;
            if (expected > 0 ? !number || std::abs(value.number - expected) > 1e-9 : !(empty && !number))
                differences.push_back(zem::Format("%s %u-%u: written '%s' (%g), the grid shows %g lessons",
                                                  item->GetName().c_str(), static_cast<unsigned>(date.month()),
                                                  static_cast<unsigned>(date.day()), value.text.c_str(), value.number,
                                                  expected));
        }
        ++row;
    }
    return differences;
}
}  // namespace gridcheck
