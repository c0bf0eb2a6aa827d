#pragma once
// Reading the sheet a workbook file opens on, cell by cell, for the imports: an .xlsx file's active
// sheet, or an .xls file's first sheet. Which kind a file is, is told by its first bytes, not its name.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zem::workbook {

// What the file choosers offer where a workbook is opened, and where one is saved.
inline constexpr const char* kOpenWorkbookFilter = "Excel文件|*.xlsx;*.xls";
inline constexpr const char* kSaveWorkbookFilter = "Excel文件|*.xlsx";
inline constexpr const char* kWorkbookSuffix = "xlsx";

struct CellValue {
    enum class Type { Empty, Text, Number, Boolean, Error, Date };
    Type type = Type::Empty;
    // Text: the text; Error: the error's code ("#DIV/0!"); Date: "2024-09-01", with " 08:30:00" when
    // it has a time of day.
    std::string text;
    // Number: the number; Boolean: 1 or 0; Date: the day number of the 1900 date system.
    double number = 0;
};

// Cells merged into one, 1-based and inclusive; the value stands in the top left cell.
struct MergedArea {
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 0;
    int lastColumn = 0;
};

// The cells of one sheet that hold a value. A text cell holding "" counts as empty.
class SheetData {
public:
    std::string name;

    bool IsEmpty() const { return m_cells.empty(); }
    // The used range: from the first to the last row and column that hold a value, 1-based; all 0
    // for an empty sheet.
    int FirstRow() const { return m_firstRow; }
    int FirstColumn() const { return m_firstColumn; }
    int LastRow() const { return m_lastRow; }
    int LastColumn() const { return m_lastColumn; }
    int Rows() const { return IsEmpty() ? 0 : m_lastRow - m_firstRow + 1; }
    int Columns() const { return IsEmpty() ? 0 : m_lastColumn - m_firstColumn + 1; }
    std::size_t CellCount() const { return m_cells.size(); }
    // The bytes of the cells' texts.
    std::size_t TextBytes() const { return m_textBytes; }
    // Holds more than a sheet that is read may hold (kMaxReadCells, kMaxReadTextBytes).
    bool IsOverReadLimit() const;

    // An empty value for a cell without one, also outside the sheet.
    const CellValue& Value(int row, int column) const;
    // Stores a value (an empty one removes the cell).
    void Set(int row, int column, CellValue value);
    // The merged areas of an .xlsx sheet, as the file lists them; an .xls file gives none.
    const std::vector<MergedArea>& MergedAreas() const { return m_merges; }
    void AddMergedArea(const MergedArea& area) { m_merges.push_back(area); }
    void Clear();
    // Calls f(row, column, value) for every cell holding a value, row by row, left to right.
    template <class F>
    void ForEachCell(F&& f) const
    {
        for (const auto& [key, value] : m_cells)
            f(static_cast<int>(key >> 16), static_cast<int>(key & 0xFFFF), value);
    }

private:
    void Recount();

    std::map<std::uint64_t, CellValue> m_cells;
    std::vector<MergedArea> m_merges;
    int m_firstRow = 0;
    int m_firstColumn = 0;
    int m_lastRow = 0;
    int m_lastColumn = 0;
    std::size_t m_textBytes = 0;
};

// A sheet with more cells holding values than this, or more text, is refused rather than read into
// memory: a school's workbooks hold a few thousand, and this many still leaves the reader well under
// 200 MB.
constexpr std::size_t kMaxReadCells = 300'000;
constexpr std::size_t kMaxReadTextBytes = 32u * 1024 * 1024;
// No sheet merges more areas than it has cells.
constexpr std::size_t kMaxReadMergedAreas = kMaxReadCells;
// The reason a sheet beyond these, or a workbook that unpacks to more than any school's does, is
// refused with.
inline constexpr const char* kTooLargeReason = "工作表太大，无法读取";
// Refusals for other reasons, each saying its own.
inline constexpr const char* kCellTooLargeReason = "工作表中有内容太长（超过 1 MB）的单元格，无法读取";
inline constexpr const char* kTagTooLongReason = "工作簿中有过长的 XML 标记，文件可能已损坏";
inline constexpr const char* kTooDeepReason = "工作簿中的 XML 嵌套层次过深，文件可能已损坏";
inline constexpr const char* kTooManyPartsReason = "工作簿包含的文件太多，无法读取";
inline constexpr const char* kTooManyRelationsReason = "工作簿中的关联记录太多，文件可能已损坏";
inline constexpr const char* kTooManySheetsReason = "工作簿中的工作表太多，无法读取";
inline constexpr const char* kTooManyFormatsReason = "工作簿中的单元格格式太多，无法读取";
inline constexpr const char* kTooManyMergedReason = "工作表中的合并单元格太多，无法读取";

// Reads the sheet a workbook file opens on, or with `sheetIndex` 0 or more the sheet at that place
// (of an .xls file only the first). False, with the sheet empty and a reason the user can read in
// `error`, when the file is missing, unreadable, not a workbook, damaged, protected by a password or
// too large, or has no such sheet. Formula cells give the value saved with them in an .xlsx file
// and nothing in an .xls file.
bool ReadWorkbookSheet(const std::string& path, SheetData& sheet, std::string& error, int sheetIndex = -1);

// The same over the bytes of an .xlsx file.
bool ReadXlsxBytes(std::string_view bytes, SheetData& sheet, std::string& error, int sheetIndex = -1);

// "2024-09-01" (and " 08:30:00" when there is a time of day) for a day number of the 1900 system.
std::string DateTextOfSerial(double serial);
// The day number of a calendar date, 1900 system (1900-03-01 is 61).
double SerialOfDate(int year, int month, int day);

}  // namespace zem::workbook
