#pragma once
// An in-memory workbook shaped like the object model the workbook writers drive: worksheets,
// ranges named by "A1" addresses, values, fonts (also for part of a cell's text), fills, borders,
// alignment, number formats, merges, column widths and row heights.
//
// It does on its own what a spreadsheet program does: a merge that touches merged areas takes them
// in (their bounding box, again until nothing more touches it), only the top-left cell of a merged
// area keeps a value, text that reads as a plain decimal number becomes a number unless the cell's
// format is text ("@"), and sheet names stay valid and unique without regard to case. What the
// program would refuse (a bad address, a duplicate sheet name, an unknown alignment code) throws
// WorkbookError, as an automation call would fail.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zem::workbook {

// The automation codes of the alignments the sheets are written with.
inline constexpr int kAlignLeft = -4131;
inline constexpr int kAlignCenter = -4108;

class WorkbookError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A workbook that the file system refused to take (a full disk, a read-only folder), with the
// errno that says why.
class WorkbookFileError : public WorkbookError {
public:
    WorkbookFileError(int errorNumber, const std::string& text) : WorkbookError(text), m_errorNumber(errorNumber) {}
    int ErrorNumber() const { return m_errorNumber; }

private:
    int m_errorNumber;
};

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
constexpr int kMaxSheetNameLength = 31;  // UTF-16 units, as the file format counts them
constexpr std::size_t kMaxTextLength = 32767;

// A rectangle of cells, 1-based and inclusive.
struct Area {
    int firstRow = 1;
    int firstColumn = 1;
    int lastRow = 1;
    int lastColumn = 1;

    int Rows() const { return lastRow - firstRow + 1; }
    int Columns() const { return lastColumn - firstColumn + 1; }
    bool Contains(int row, int column) const
    {
        return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
    }
    bool Intersects(const Area& other) const
    {
        return firstRow <= other.lastRow && other.firstRow <= lastRow && firstColumn <= other.lastColumn &&
               other.firstColumn <= lastColumn;
    }
    bool IsSingleCell() const { return firstRow == lastRow && firstColumn == lastColumn; }
    friend bool operator==(const Area&, const Area&) = default;
};

// Column letters of a 1-based column: 1 "A", 26 "Z", 27 "AA"; empty for 0 or less.
std::string ColumnName(int column);
// "B3" for row 3, column 2.
std::string CellName(int row, int column);
// Reads "B3" (letters in either case, an optional "$" before each part); false for anything else
// and for a cell outside the sheet.
bool ParseCellName(std::string_view name, int& row, int& column);
// "A1:C3", or "B2" for a single cell.
std::string AreaName(const Area& area);

using Value = std::variant<std::monostate, std::string, double>;

enum class HAlign : std::uint8_t { General, Left, Center, Right, Fill, Justify, CenterAcross, Distributed };
enum class VAlign : std::uint8_t { Top, Center, Bottom, Justify, Distributed };
enum class BorderStyle : std::uint8_t { None, Thin, Medium, Dashed, Dotted, Thick, Double, Hair };
enum Edge { kLeftEdge, kTopEdge, kRightEdge, kBottomEdge };

struct Border {
    BorderStyle style = BorderStyle::None;
    std::uint32_t rgb = 0;  // 0xRRGGBB
    friend bool operator==(const Border&, const Border&) = default;
};

// Font attributes; an unset one comes from the level below (the cell under a run of its text,
// the sheet's defaults under a cell, the workbook's default font under the sheet).
struct FontPatch {
    std::optional<std::string> name;
    std::optional<double> size;
    std::optional<bool> bold;

    bool IsEmpty() const { return !name && !size && !bold; }
    // Takes over every attribute `over` sets.
    void Apply(const FontPatch& over);
    friend bool operator==(const FontPatch&, const FontPatch&) = default;
};

struct CellFormat {
    FontPatch font;
    std::optional<std::uint32_t> fill;  // solid fill, 0xRRGGBB
    std::optional<HAlign> hAlign;
    std::optional<VAlign> vAlign;
    std::optional<bool> wrap;
    std::optional<std::string> numberFormat;  // "@" is text
    std::array<std::optional<Border>, 4> borders;  // by Edge

    void Apply(const CellFormat& over);
    bool IsTextFormat() const { return numberFormat && *numberFormat == "@"; }
    friend bool operator==(const CellFormat&, const CellFormat&) = default;
};

// A font over part of a cell's text, in characters (code points) from 0.
struct FontRun {
    int start = 0;
    int length = 0;
    FontPatch font;
    friend bool operator==(const FontRun&, const FontRun&) = default;
};

struct Cell {
    Value value;
    CellFormat format;
    std::vector<FontRun> runs;  // later runs win where they overlap
    int merge = -1;             // the merged area the cell lies in, -1 for none
};

// The colour of an entry of the program's 56-colour palette (1..56) as 0xRRGGBB; throws outside it.
std::uint32_t PaletteColor(int index);

// Whether a sheet name is one the file format takes: 1 to 31 UTF-16 units, none of []:*?/\ and no
// apostrophe at either end.
bool IsValidSheetName(std::string_view name);
// Sheet names compare without regard to case (ASCII and full-width Latin letters).
bool SameSheetName(std::string_view a, std::string_view b);
// A text made fit for a sheet name: \ / * ? : become "-", < [ （ become "(", > ] ） become ")",
// apostrophes at either end go, and an empty result is "未命名". The length is left to
// MakeUniqueSheetName.
std::string SanitizeSheetName(std::string_view text);
// The name, cut to 31 characters, when no used name equals it without regard to case; else the
// first free one of "name(1)", "name(2)", ... with the name cut so that the whole keeps within 31.
std::string MakeUniqueSheetName(std::string_view name, const std::vector<std::string>& used);

// How a sheet prints: the paper's way round, fitting to pages, the rows repeated on top of every
// page and the columns at the left of every page, the area printed, the rows and columns that
// start a new page, and the page header.
struct PageSetup {
    bool landscape = false;
    int fitWide = 0;  // pages across the print is scaled to; 0: no scaling
    int fitTall = 0;  // pages down when scaling; 0: as many as needed
    int scale = 0;    // percent of the natural size when not fitted to pages; 0: as it is
    int repeatFirstRow = 0;  // 1-based; 0: no repeated rows
    int repeatLastRow = 0;
    int repeatFirstColumn = 0;  // 1-based; 0: no repeated columns
    int repeatLastColumn = 0;
    bool acrossFirst = false;  // the pages of a row of pages before those below them
    std::optional<Area> printArea;
    std::vector<int> pageBreaks;    // 1-based rows that start a page, ascending
    std::vector<int> columnBreaks;  // 1-based columns that start a page, ascending
    std::string header;             // the page header, in the office's header codes; empty: none
    friend bool operator==(const PageSetup&, const PageSetup&) = default;
};

class Workbook;
class Worksheet;

// The font of a range or of part of its text.
class FontRef {
public:
    void SetName(const std::string& name);
    void SetSize(double size);
    void SetBold(bool bold);

private:
    friend class Range;
    FontRef(Worksheet* sheet, const Area& area, bool wholeSheet, int start, int length)
        : m_sheet(sheet), m_area(area), m_wholeSheet(wholeSheet), m_start(start), m_length(length)
    {
    }
    void Apply(const FontPatch& patch);

    Worksheet* m_sheet;
    Area m_area;
    bool m_wholeSheet;
    int m_start;   // -1: the whole text
    int m_length;
};

class InteriorRef {
public:
    // An entry of the palette; -4142 (none) and -4105 (automatic) remove the fill.
    void SetColorIndex(int index);
    // A Windows colour value, 0x00BBGGRR.
    void SetColor(std::uint32_t colorref);

private:
    friend class Range;
    InteriorRef(Worksheet* sheet, const Area& area, bool wholeSheet)
        : m_sheet(sheet), m_area(area), m_wholeSheet(wholeSheet)
    {
    }
    void Apply(std::uint32_t fill);
    Worksheet* m_sheet;
    Area m_area;
    bool m_wholeSheet;
};

// A range of one worksheet: a rectangle, or every cell of the sheet. A handle; the sheet owns the data.
class Range {
public:
    const Area& GetArea() const { return m_area; }
    bool IsWholeSheet() const { return m_wholeSheet; }

    // Every cell of the range gets the value; a cell inside a merged area other than its top-left
    // one keeps none.
    void SetValue(const Value& value);
    void SetValue(const std::string& text) { SetValue(Value(text)); }
    void SetValue(const char* text) { SetValue(Value(std::string(text))); }
    void SetValue(double number) { SetValue(Value(number)); }

    // The automation codes: 1 general, 2 or -4131 left, 3 or -4108 centre, 4 or -4152 right,
    // 5 fill, 6 or -4130 justify, 7 centre across, -4117 distributed.
    void SetHorizontalAlignment(int code);
    // 1 or -4160 top, 2 or -4108 centre, 3 or -4107 bottom, 4 or -4130 justify, -4117 distributed.
    void SetVerticalAlignment(int code);
    void SetWrapText(bool wrap);
    void SetNumberFormatLocal(const std::string& format);

    // Across: each row of the range on its own.
    void Merge(bool across = false);
    // Width of every column the range spans, in characters (0 to 255).
    void SetColumnWidth(double width);
    // Height of every row the range spans, in points (0 to 409).
    void SetRowHeight(double height);

    FontRef Font() { return FontRef(m_sheet, m_area, m_wholeSheet, -1, 0); }
    InteriorRef Interior() { return InteriorRef(m_sheet, m_area, m_wholeSheet); }
    // Part of the text of every cell: characters from `start` (1-based; 0 reads as 1), `length` of them.
    FontRef Characters(int start, int length);

    // A frame around the outside of the range. lineStyle: 1 continuous, -4115 dashes, -4118 dots,
    // -4119 double, -4142 none; weight: 1 hairline, 2 thin, -4138 medium, 4 thick; colorIndex: a
    // palette entry, or -4105 automatic (black).
    void BorderAround(int lineStyle = 1, int weight = 2, int colorIndex = -4105);

private:
    friend class Worksheet;
    Range(Worksheet* sheet, const Area& area, bool wholeSheet) : m_sheet(sheet), m_area(area), m_wholeSheet(wholeSheet) {}
    void RequireBounded(const char* what) const;
    template <class T>
    void SetAttribute(std::optional<T> CellFormat::*attribute, const T& value);

    Worksheet* m_sheet;
    Area m_area;
    bool m_wholeSheet;
};

class Worksheet {
public:
    Worksheet(Workbook* book, std::string name) : m_book(book), m_name(std::move(name)) {}
    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    const std::string& GetName() const { return m_name; }
    // Throws when the name is not valid or another sheet of the workbook has it.
    void SetName(const std::string& name);

    // The width of every column without a width of its own, in characters.
    double GetStandardWidth() const { return m_standardWidth; }
    void SetStandardWidth(double width);

    Range Cells() { return Range(this, Area{1, 1, kMaxRows, kMaxColumns}, true); }
    // From one corner to the other, in either order; throws on a bad address.
    Range GetRange(std::string_view first, std::string_view last);
    Range GetRange(std::string_view cell) { return GetRange(cell, cell); }
    Range GetRange(const Area& area);

    // Reading the sheet back.
    const CellFormat& GetDefaultFormat() const { return m_default; }
    // Cells by position, row by row, left to right.
    const std::map<std::uint64_t, Cell>& GetCells() const { return m_cells; }
    static int RowOfKey(std::uint64_t key) { return static_cast<int>(key >> 16); }
    static int ColumnOfKey(std::uint64_t key) { return static_cast<int>(key & 0xFFFF); }
    const Cell* FindCell(int row, int column) const;
    // The cell's own attributes over the sheet's defaults.
    CellFormat GetEffectiveFormat(int row, int column) const;
    // The merged areas, top to bottom, left to right.
    std::vector<Area> GetMergedAreas() const;
    // The merged area holding the cell, or nothing.
    std::optional<Area> FindMergedArea(int row, int column) const;
    const std::map<int, double>& GetColumnWidths() const { return m_columnWidths; }
    const std::map<int, double>& GetRowHeights() const { return m_rowHeights; }

    const PageSetup& GetPageSetup() const { return m_pageSetup; }
    void SetPageSetup(const PageSetup& setup) { m_pageSetup = setup; }

private:
    friend class Range;
    friend class FontRef;
    friend class InteriorRef;

    static std::uint64_t KeyOf(int row, int column)
    {
        return (static_cast<std::uint64_t>(row) << 16) | static_cast<std::uint64_t>(column);
    }
    Cell& At(int row, int column) { return m_cells[KeyOf(row, column)]; }
    // Calls `change` on every cell of the area, creating the cells.
    template <class F>
    void ForEachCell(const Area& area, F change);
    // Every existing cell gives up its own value of an attribute the whole sheet now sets.
    template <class F>
    void ForEachExistingCell(F change);
    void MergeArea(const Area& area);
    void StoreValue(Cell& cell, const Value& value, const CellFormat& effective);

    Workbook* m_book;
    std::string m_name;
    double m_standardWidth = 8.43;
    CellFormat m_default;
    std::map<std::uint64_t, Cell> m_cells;
    std::vector<std::optional<Area>> m_merges;  // emptied when an area is taken into a larger one
    std::map<int, double> m_columnWidths;
    std::map<int, double> m_rowHeights;
    PageSetup m_pageSetup;
};

class Workbook {
public:
    // A new workbook has one sheet, "Sheet1".
    Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    int GetSheetCount() const { return static_cast<int>(m_sheets.size()); }
    // 1-based; throws outside 1..count.
    Worksheet& GetSheet(int index);
    const Worksheet& GetSheet(int index) const;
    // Appends sheets named "Sheet<n>" with the next free numbers.
    void AddSheets(int count);

    int GetActiveSheet() const { return m_active; }
    void SetActiveSheet(int index);

    // Whether a sheet other than `except` has the name, without regard to case.
    bool IsSheetNameTaken(std::string_view name, const Worksheet* except = nullptr) const;

private:
    std::vector<std::unique_ptr<Worksheet>> m_sheets;
    int m_active = 1;
};

// What a plain decimal typed into a cell becomes: "12" 12, "-3" -3, "2.5" 2.5. Text with a leading
// zero ("0302", "007"), anything else ("1-3", "1e5", " 12") and more than 15 digits stays text.
std::optional<double> ReadPlainDecimal(std::string_view text);

}  // namespace zem::workbook
