#include "app/output/workbook/SheetPrinting.h"

#include "platform/Text.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace zem::workbook {

namespace {

constexpr double kDefaultFontSize = 11;
constexpr double kDefaultRowHeight = 15;  // points, the height of a row without one of its own
constexpr double kMaxRowHeight = 409;
constexpr double kLineSpacing = 1.2;  // line height over font size, as office programs lay out
constexpr double kCellPadding = 2;    // points left over above, below and beside a cell's text
// A4 less the default margins (0.7 inch beside, 0.75 inch above and below), in points.
constexpr double kPrintableShort = 595 - 2 * 50.4;
constexpr double kPrintableLong = 842 - 2 * 54;
constexpr double kScaleSafety = 0.92;

// The font size at character `index` of the text: the last run over it, else the cell's.
double SizeAt(const Cell& cell, const CellFormat& effective, int index)
{
    double size = effective.font.size.value_or(kDefaultFontSize);
    for (const FontRun& run : cell.runs)
        if (run.font.size && index >= run.start && index < run.start + run.length)
            size = *run.font.size;
    return size;
}

double CharWidth(std::size_t bytes, double size)
{
    // A wide (CJK) character takes an em, any other a little more than half of one.
    return bytes >= 3 ? size : size * 0.6;
}

// The lines a line of text takes when wrapped to `room` points, a character at a time as office
// programs break Chinese text (a word of Latin letters may break earlier there; close enough).
int WrappedLines(std::string_view line, double size, double room)
{
    int lines = 1;
    double used = 0;
    for (std::size_t pos = 0; pos < line.size();) {
        const std::size_t length = std::max<std::size_t>(1, Utf8CharLength(line, pos));
        const double width = CharWidth(length, size);
        if (used > 0 && used + width > room) {
            ++lines;
            used = 0;
        }
        used += width;
        pos += length;
    }
    return lines;
}

}  // namespace

double TextHeightNeeded(const Cell& cell, const CellFormat& effective, double width)
{
    const std::string* text = std::get_if<std::string>(&cell.value);
    if (!text || text->empty())
        return 0;
    const bool wrap = effective.wrap.value_or(false);
    const double room = std::max(1.0, width - kCellPadding);
    double height = kCellPadding;
    int index = 0;  // in characters, where the line starts
    std::size_t start = 0;
    while (start <= text->size()) {
        std::size_t end = text->find('\n', start);
        if (end == std::string::npos)
            end = text->size();
        std::string_view line(*text);
        line = line.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const double size = SizeAt(cell, effective, index);
        const int lines = wrap ? WrappedLines(line, size, room) : 1;
        height += lines * size * kLineSpacing;
        for (std::size_t pos = start; pos < end; pos += std::max<std::size_t>(1, Utf8CharLength(*text, pos)))
            ++index;
        ++index;  // the line break
        start = end + 1;
    }
    return height;
}

double ColumnsWidth(const Worksheet& sheet, int first, int last)
{
    double points = 0;
    for (int column = first; column <= last; ++column) {
        const auto it = sheet.GetColumnWidths().find(column);
        const double characters = it != sheet.GetColumnWidths().end() ? it->second : sheet.GetStandardWidth();
        // Characters of the default font and five pixels of padding, at 96 pixels an inch. A
        // character is seven pixels where the office has the default face, nine where it stands in
        // a wider one: the wider is taken, so that the sheet never runs over its pages.
        points += characters > 0 ? (characters * 9 + 5) * 0.75 : 0;
    }
    return points;
}

double RowHeight(const Worksheet& sheet, int row)
{
    const auto it = sheet.GetRowHeights().find(row);
    return it != sheet.GetRowHeights().end() ? it->second : kDefaultRowHeight;
}

void FitRowsToText(Worksheet& sheet)
{
    std::map<int, double> raised;
    for (const auto& [key, cell] : sheet.GetCells()) {
        const int row = Worksheet::RowOfKey(key);
        const int column = Worksheet::ColumnOfKey(key);
        Area area{row, column, row, column};
        if (cell.merge >= 0) {
            const std::optional<Area> merged = sheet.FindMergedArea(row, column);
            if (merged && (merged->firstRow != row || merged->firstColumn != column))
                continue;  // only the top-left cell of a merged area shows text
            if (merged)
                area = *merged;
        }
        const double needed =
            TextHeightNeeded(cell, sheet.GetEffectiveFormat(row, column), ColumnsWidth(sheet, area.firstColumn, area.lastColumn));
        double have = 0;
        for (int r = area.firstRow; r <= area.lastRow; ++r)
            have += raised.count(r) ? raised[r] : RowHeight(sheet, r);
        if (needed <= have + 1)
            continue;
        // The rows of a merged area share what is missing.
        const double more = (needed - have) / area.Rows();
        for (int r = area.firstRow; r <= area.lastRow; ++r)
            raised[r] = std::min(kMaxRowHeight, (raised.count(r) ? raised[r] : RowHeight(sheet, r)) + more);
    }
    for (const auto& [row, height] : raised)
        sheet.GetRange(Area{row, 1, row, 1}).SetRowHeight(std::ceil(height));
}

namespace {

constexpr double kLegibleSize = 6;  // points: the smallest text a printed sheet may show

Area UsedArea(const Worksheet& sheet)
{
    Area used{1, 1, 1, 1};
    for (const auto& [key, cell] : sheet.GetCells()) {
        used.lastRow = std::max(used.lastRow, Worksheet::RowOfKey(key));
        used.lastColumn = std::max(used.lastColumn, Worksheet::ColumnOfKey(key));
    }
    for (const Area& merged : sheet.GetMergedAreas()) {
        used.lastRow = std::max(used.lastRow, merged.lastRow);
        used.lastColumn = std::max(used.lastColumn, merged.lastColumn);
    }
    return used;
}

// The tallest stretch that has to share one page: the whole sheet, a group of tables, or (for a
// list that runs over pages) nothing beyond the width.
double TallestStretch(const Worksheet& sheet, const PrintShape& shape, const Area& used)
{
    std::vector<int> starts = shape.pageStarts;
    starts.push_back(used.lastRow + 1);
    std::sort(starts.begin(), starts.end());
    double tallest = 0;
    int from = 1;
    for (const int next : starts) {
        double height = 0;
        for (int row = from; row < next; ++row)
            height += RowHeight(sheet, row);
        tallest = std::max(tallest, height);
        from = next;
    }
    return tallest;
}

// The smallest size a text of the sheet is written at.
double SmallestTextSize(const Worksheet& sheet)
{
    double smallest = 0;
    const auto take = [&](double size) { smallest = smallest > 0 ? std::min(smallest, size) : size; };
    for (const auto& [key, cell] : sheet.GetCells()) {
        const std::string* text = std::get_if<std::string>(&cell.value);
        if (text ? text->empty() : !std::holds_alternative<double>(cell.value))
            continue;
        take(sheet.GetEffectiveFormat(Worksheet::RowOfKey(key), Worksheet::ColumnOfKey(key))
                 .font.size.value_or(kDefaultFontSize));
        for (const FontRun& run : cell.runs)
            if (run.font.size)
                take(*run.font.size);
    }
    return smallest > 0 ? smallest : kDefaultFontSize;
}

// The header codes of the heading: "&" is the codes' own sign, doubled in a text.
std::string HeaderCodes(const PageHeading& heading)
{
    const auto escaped = [](const std::string& text) {
        std::string out;
        for (const char c : text)
            out += c == '&' ? std::string("&&") : std::string(1, c);
        return out;
    };
    std::string codes;
    if (!heading.left.empty())
        codes += "&L" + escaped(heading.left);
    if (!heading.centre.empty())
        codes += "&C&\"-,Bold\"&14 " + escaped(heading.centre);
    if (!heading.right.empty())
        codes += "&R" + escaped(heading.right);
    return codes;
}

// The columns that start the pages across when `room` points of a page are left beside the repeated
// columns: as many as fit, a page starting at a merged area's first column rather than inside it
// (so that a day's heading is not cut), where that still leaves the page a column. Given the number
// of pages, each page takes its share of what is left instead, so that the last is no sliver.
std::vector<int> ColumnBreaks(const Worksheet& sheet, const Area& used, int firstFree, double room, int pages = 0)
{
    const std::vector<Area> merged = sheet.GetMergedAreas();
    std::vector<int> breaks;
    const auto shareFrom = [&](int column) {
        const int left = std::max(1, pages - static_cast<int>(breaks.size()));
        return pages > 0 ? ColumnsWidth(sheet, column, used.lastColumn) / left : room;
    };
    int pageStart = firstFree;
    double filled = 0, share = shareFrom(firstFree);
    for (int column = firstFree; column <= used.lastColumn; ++column) {
        const double width = ColumnsWidth(sheet, column, column);
        // A column goes on the page while it fits and most of it falls within the page's share.
        if (filled == 0 || (filled + width <= room && filled + width / 2 <= share)) {
            filled += width;
            continue;
        }
        int start = column;
        for (const Area& area : merged)
            if (area.firstColumn < start && area.lastColumn >= column && area.firstColumn > pageStart)
                start = area.firstColumn;
        breaks.push_back(start);
        pageStart = start;
        share = shareFrom(start);
        filled = ColumnsWidth(sheet, start, column);
    }
    return breaks;
}

// The breaks of ColumnBreaks with the pages across made even; filled greedily, the last page across
// may hold a column or two, a sliver an office would not hand out. Never more pages than greedily.
std::vector<int> EvenColumnBreaks(const Worksheet& sheet, const Area& used, int firstFree, double room)
{
    std::vector<int> greedy = ColumnBreaks(sheet, used, firstFree, room);
    std::vector<int> even = ColumnBreaks(sheet, used, firstFree, room, static_cast<int>(greedy.size()) + 1);
    return even.size() <= greedy.size() ? even : greedy;
}

// The rows that start the pages down when `room` points of a page are left below the repeated
// rows: each block on the page it starts on while it fits there, else on the next.
std::vector<int> BlockBreaks(const Worksheet& sheet, const PrintShape& shape, const Area& used, double room)
{
    std::vector<int> starts = shape.blockStarts;
    starts.push_back(used.lastRow + 1);
    std::sort(starts.begin(), starts.end());
    std::vector<int> breaks;
    int from = shape.titleLastRow + 1;
    double filled = 0;
    for (const int next : starts) {
        if (next <= from)
            continue;
        double height = 0;
        for (int row = from; row < next; ++row)
            height += RowHeight(sheet, row);
        if (filled > 0 && filled + height > room) {
            breaks.push_back(from);
            filled = 0;
        }
        filled += height;
        from = next;
    }
    return breaks;
}

// Whether a block holds rows a page could part; blocks of a row each may break anywhere.
bool HasTallBlocks(const PrintShape& shape, const Area& used)
{
    std::vector<int> starts = shape.blockStarts;
    starts.push_back(used.lastRow + 1);
    std::sort(starts.begin(), starts.end());
    for (std::size_t i = 0; i + 1 < starts.size(); ++i)
        if (starts[i + 1] - starts[i] > 1)
            return true;
    return false;
}

double RepeatedRowsHeight(const Worksheet& sheet, const PrintShape& shape)
{
    double height = 0;
    for (int row = shape.titleFirstRow; shape.titleFirstRow > 0 && row <= shape.titleLastRow; ++row)
        height += RowHeight(sheet, row);
    return height;
}

// A sheet too wide for one legible page: printed at a legible scale (as large as lets a stretch
// that shares a page fit its height) over pages across, its title columns at the left of each
// page and each row of pages before the next; the way round that takes fewer pages.
void PrintAcross(PageSetup& setup, const Worksheet& sheet, const PrintShape& shape, double tallest, double floor)
{
    const Area used = *setup.printArea;
    const double width = ColumnsWidth(sheet, 1, used.lastColumn);
    struct Way {
        bool landscape;
        double scale;
        double pages;
    };
    const auto way = [&](bool landscape) {
        const double pageWidth = landscape ? kPrintableLong : kPrintableShort;
        const double pageHeight = landscape ? kPrintableShort : kPrintableLong;
        const double scale = std::clamp(pageHeight / std::max(1.0, tallest) * kScaleSafety, floor, 1.0);
        const double pages = std::ceil(width * scale / pageWidth) * std::ceil(tallest * scale / pageHeight);
        return Way{landscape, scale, pages};
    };
    const Way portrait = way(false);
    const Way landscape = way(true);
    const bool wider = landscape.pages < portrait.pages ||
                       (landscape.pages == portrait.pages && landscape.scale >= portrait.scale);
    const Way& chosen = wider ? landscape : portrait;
    setup.landscape = chosen.landscape;
    setup.scale = std::clamp(static_cast<int>(std::ceil(chosen.scale * 100)), 10, 100);
    setup.repeatFirstColumn = shape.titleFirstColumn;
    setup.repeatLastColumn = std::max(shape.titleFirstColumn, shape.titleLastColumn);
    setup.acrossFirst = true;
    const double pageWidth = (chosen.landscape ? kPrintableLong : kPrintableShort) / (setup.scale / 100.0);
    const double repeated = ColumnsWidth(sheet, setup.repeatFirstColumn, setup.repeatLastColumn);
    setup.columnBreaks = EvenColumnBreaks(sheet, used, setup.repeatLastColumn + 1, pageWidth - repeated);
    for (const int row : shape.pageStarts)
        if (row > 1)
            setup.pageBreaks.push_back(row);
    if (shape.pageStarts.empty()) {
        const double pageHeight = (chosen.landscape ? kPrintableShort : kPrintableLong) / (setup.scale / 100.0);
        setup.pageBreaks = BlockBreaks(sheet, shape, used, pageHeight - RepeatedRowsHeight(sheet, shape));
    }
}

// Fitted to one page wide, the smallest text must still print legibly. The width is reckoned in
// the wider face; in the office's own face a character is 7 pixels of those 9.
bool FitsLegibly(double width, double smallestSize)
{
    const double floor = std::min(1.0, kLegibleSize / smallestSize);
    return kPrintableLong / std::max(1.0, width) * 9 / 7 >= floor;
}

}  // namespace

bool FitsALegiblePageWide(int columns, double characters, double size)
{
    return FitsLegibly(columns * (characters * 9 + 5) * 0.75, size);
}

void SetUpPrinting(Worksheet& sheet, const PrintShape& shape)
{
    FitRowsToText(sheet);
    const Area used = UsedArea(sheet);
    const double width = ColumnsWidth(sheet, 1, used.lastColumn);
    const double tallest = TallestStretch(sheet, shape, used);
    const bool pages = shape.onePage || !shape.pageStarts.empty();
    // Fitted to a page wide, a sheet is never enlarged: either way round that holds it at its size
    // prints it alike, and portrait then takes fewer pages down.
    const auto scaleOn = [&](double pageWidth, double pageHeight) {
        const double across = pageWidth / std::max(1.0, width);
        return pages ? std::min(across, pageHeight / std::max(1.0, tallest)) : std::min(1.0, across);
    };
    PageSetup setup;
    setup.printArea = used;
    setup.header = HeaderCodes(shape.heading);
    if (shape.titleFirstRow > 0) {
        setup.repeatFirstRow = shape.titleFirstRow;
        setup.repeatLastRow = std::max(shape.titleFirstRow, shape.titleLastRow);
    }
    // The way round that prints the sheet larger; portrait when both do alike.
    setup.landscape = scaleOn(kPrintableLong, kPrintableShort) > scaleOn(kPrintableShort, kPrintableLong) * 1.02;
    const double scale = setup.landscape ? scaleOn(kPrintableLong, kPrintableShort) : scaleOn(kPrintableShort, kPrintableLong);
    if (shape.titleFirstColumn > 0 && !FitsLegibly(width, SmallestTextSize(sheet))) {
        PrintAcross(setup, sheet, shape, tallest, std::min(1.0, kLegibleSize / SmallestTextSize(sheet)));
    } else if (!shape.pageStarts.empty() || (shape.onePage && scale >= 1)) {
        // Office programs drop the page breaks of a sheet scaled to pages, and never enlarge one:
        // the scale is set instead, a little short of the estimate, which may err.
        setup.scale = std::clamp(static_cast<int>(scale * 100 * kScaleSafety), 10, 400);
        for (const int row : shape.pageStarts)
            if (row > 1)
                setup.pageBreaks.push_back(row);
    } else if (!shape.blockStarts.empty() && HasTallBlocks(shape, used)) {
        // Office programs drop the page breaks of a sheet fitted to a page wide: the scale is set
        // instead, so that the pages down break between blocks.
        setup.scale = std::clamp(static_cast<int>(scale * 100 * (scale < 1 ? kScaleSafety : 1)), 10, 100);
        const double pageHeight = (setup.landscape ? kPrintableShort : kPrintableLong) / (setup.scale / 100.0);
        setup.pageBreaks = BlockBreaks(sheet, shape, used, pageHeight - RepeatedRowsHeight(sheet, shape));
    } else {
        setup.fitWide = 1;
        setup.fitTall = shape.onePage ? 1 : 0;
    }
    sheet.SetPageSetup(setup);
}

}  // namespace zem::workbook
