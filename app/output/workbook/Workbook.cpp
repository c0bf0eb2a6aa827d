#include "app/output/workbook/Workbook.h"

#include "platform/Text.h"

#include <algorithm>
#include <charconv>

namespace zem::workbook {

namespace {

// More cells than this in one operation is a mistake of the caller, not a workbook.
constexpr long long kMaxCellsPerOperation = 4'000'000;

// A fill set on a cell to say "none here", over a sheet default that has one.
constexpr std::uint32_t kNoFill = 0xFFFFFFFFu;

// The code points of UTF-8 text; an invalid byte counts as one character of its own.
std::vector<char32_t> CodePoints(std::string_view text)
{
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8CharLength(text, i);
        const auto lead = static_cast<unsigned char>(text[i]);
        char32_t c = lead;
        if (n == 2)
            c = lead & 0x1F;
        else if (n == 3)
            c = lead & 0x0F;
        else if (n == 4)
            c = lead & 0x07;
        for (std::size_t k = 1; k < n; ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        points.push_back(c);
        i += n;
    }
    return points;
}

int Utf16Length(std::string_view text)
{
    int length = 0;
    for (char32_t c : CodePoints(text))
        length += c > 0xFFFF ? 2 : 1;
    return length;
}

char32_t FoldCase(char32_t c)
{
    if (c >= U'A' && c <= U'Z')
        return c + 32;
    if (c >= 0xFF21 && c <= 0xFF3A)  // full-width Latin capitals
        return c + 32;
    return c;
}

std::optional<HAlign> HAlignOfCode(int code)
{
    switch (code) {
    case 1: return HAlign::General;
    case 2: case kAlignLeft: return HAlign::Left;
    case 3: case kAlignCenter: return HAlign::Center;
    case 4: case -4152: return HAlign::Right;
    case 5: return HAlign::Fill;
    case 6: case -4130: return HAlign::Justify;
    case 7: return HAlign::CenterAcross;
    case -4117: return HAlign::Distributed;
    default: return std::nullopt;
    }
}

std::optional<VAlign> VAlignOfCode(int code)
{
    switch (code) {
    case 1: case -4160: return VAlign::Top;
    case 2: case kAlignCenter: return VAlign::Center;
    case 3: case -4107: return VAlign::Bottom;
    case 4: case -4130: return VAlign::Justify;
    case -4117: return VAlign::Distributed;
    default: return std::nullopt;
    }
}

Area BoundingBox(const Area& a, const Area& b)
{
    return Area{std::min(a.firstRow, b.firstRow), std::min(a.firstColumn, b.firstColumn),
                std::max(a.lastRow, b.lastRow), std::max(a.lastColumn, b.lastColumn)};
}

void CheckSize(const Area& area)
{
    if (static_cast<long long>(area.Rows()) * area.Columns() > kMaxCellsPerOperation)
        throw WorkbookError("区域过大：" + AreaName(area));
}

}  // namespace

// ---- addresses ----

std::string ColumnName(int column)
{
    std::string name;
    while (column > 0) {
        const int r = (column - 1) % 26;
        name.insert(name.begin(), static_cast<char>('A' + r));
        column = (column - 1) / 26;
    }
    return name;
}

std::string CellName(int row, int column)
{
    return ColumnName(column) + std::to_string(row);
}

bool ParseCellName(std::string_view name, int& row, int& column)
{
    std::size_t i = 0;
    if (i < name.size() && name[i] == '$')
        ++i;
    long long c = 0;
    const std::size_t lettersStart = i;
    for (; i < name.size(); ++i) {
        char ch = name[i];
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 32);
        if (ch < 'A' || ch > 'Z')
            break;
        c = c * 26 + (ch - 'A' + 1);
        if (c > kMaxColumns)
            return false;
    }
    if (i == lettersStart)
        return false;
    if (i < name.size() && name[i] == '$')
        ++i;
    if (i >= name.size() || name[i] < '1' || name[i] > '9')
        return false;
    long long r = 0;
    for (; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
        r = r * 10 + (name[i] - '0');
        if (r > kMaxRows)
            return false;
    }
    row = static_cast<int>(r);
    column = static_cast<int>(c);
    return true;
}

std::string AreaName(const Area& area)
{
    if (area.IsSingleCell())
        return CellName(area.firstRow, area.firstColumn);
    return CellName(area.firstRow, area.firstColumn) + ":" + CellName(area.lastRow, area.lastColumn);
}

// ---- formats ----

void FontPatch::Apply(const FontPatch& over)
{
    if (over.name)
        name = over.name;
    if (over.size)
        size = over.size;
    if (over.bold)
        bold = over.bold;
}

void CellFormat::Apply(const CellFormat& over)
{
    font.Apply(over.font);
    if (over.fill)
        fill = *over.fill == kNoFill ? std::nullopt : over.fill;
    if (over.hAlign)
        hAlign = over.hAlign;
    if (over.vAlign)
        vAlign = over.vAlign;
    if (over.wrap)
        wrap = over.wrap;
    if (over.numberFormat)
        numberFormat = over.numberFormat;
    for (std::size_t e = 0; e < borders.size(); ++e) {
        if (over.borders[e])
            borders[e] = over.borders[e];
    }
}

std::uint32_t PaletteColor(int index)
{
    static constexpr std::array<std::uint32_t, 56> kPalette = {
        0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
        0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
        0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
        0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
        0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
        0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
        0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
    };
    if (index < 1 || index > static_cast<int>(kPalette.size()))
        throw WorkbookError(Format("无效的颜色序号：%d", index));
    return kPalette[static_cast<std::size_t>(index - 1)];
}

// ---- sheet names ----

bool IsValidSheetName(std::string_view name)
{
    if (name.empty() || Utf16Length(name) > kMaxSheetNameLength)
        return false;
    if (name.front() == '\'' || name.back() == '\'')
        return false;
    return name.find_first_of("[]:*?/\\") == std::string_view::npos;
}

bool SameSheetName(std::string_view a, std::string_view b)
{
    const std::vector<char32_t> x = CodePoints(a);
    const std::vector<char32_t> y = CodePoints(b);
    return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                      [](char32_t p, char32_t q) { return FoldCase(p) == FoldCase(q); });
}

namespace {

// The longest prefix of at most `units` UTF-16 units, never cutting a character.
std::string CutToUtf16Units(std::string_view text, int units)
{
    std::size_t end = 0;
    int used = 0;
    while (end < text.size()) {
        const std::size_t n = Utf8CharLength(text, end);
        const int width = n == 4 ? 2 : 1;
        if (used + width > units)
            break;
        used += width;
        end += n;
    }
    return std::string(text.substr(0, end));
}

}  // namespace

std::string SanitizeSheetName(std::string_view text)
{
    std::string name(text);
    for (const char* c : {"\\", "/", "*", "?", ":"})
        name = ReplaceAll(std::move(name), c, "-");
    for (const char* c : {"<", "[", "（"})
        name = ReplaceAll(std::move(name), c, "(");
    for (const char* c : {">", "]", "）"})
        name = ReplaceAll(std::move(name), c, ")");
    while (!name.empty() && name.front() == '\'')
        name.erase(0, 1);
    while (!name.empty() && name.back() == '\'')
        name.pop_back();
    return name.empty() ? "未命名" : name;
}

std::string MakeUniqueSheetName(std::string_view name, const std::vector<std::string>& used)
{
    auto isFree = [&used](const std::string& candidate) {
        return std::none_of(used.begin(), used.end(),
                            [&](const std::string& taken) { return SameSheetName(taken, candidate); });
    };
    std::string candidate = CutToUtf16Units(name, kMaxSheetNameLength);
    // Every used name blocks at most one number, so one of the first used.size() + 1 is free.
    for (std::size_t n = 1; !isFree(candidate) && n <= used.size() + 1; ++n) {
        const std::string suffix = "(" + std::to_string(n) + ")";
        candidate = CutToUtf16Units(name, kMaxSheetNameLength - static_cast<int>(suffix.size())) + suffix;
    }
    return candidate;
}

// ---- typed text ----

std::optional<double> ReadPlainDecimal(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-')
        ++i;
    const std::size_t intStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    const std::size_t intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && text[intStart] == '0'))
        return std::nullopt;
    std::size_t fracDigits = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        const std::size_t fracStart = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        fracDigits = i - fracStart;
        if (fracDigits == 0)
            return std::nullopt;
    }
    // A number holds 15 significant digits; a longer one (an id, a phone number) stays text whole.
    if (i != text.size() || intDigits + fracDigits > 15)
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// ---- the font and fill handles ----

void FontRef::SetName(const std::string& name)
{
    FontPatch patch;
    patch.name = name;
    Apply(patch);
}

void FontRef::SetSize(double size)
{
    if (!(size >= 1 && size <= 409))
        throw WorkbookError(Format("无效的字号：%g", size));
    FontPatch patch;
    patch.size = size;
    Apply(patch);
}

void FontRef::SetBold(bool bold)
{
    FontPatch patch;
    patch.bold = bold;
    Apply(patch);
}

void FontRef::Apply(const FontPatch& patch)
{
    // A font set on whole cells reaches every character: runs give up what it sets.
    auto clearRuns = [&patch](Cell& cell) {
        for (FontRun& run : cell.runs) {
            if (patch.name)
                run.font.name.reset();
            if (patch.size)
                run.font.size.reset();
            if (patch.bold)
                run.font.bold.reset();
        }
        std::erase_if(cell.runs, [](const FontRun& run) { return run.font.IsEmpty(); });
    };
    if (m_start < 0) {
        if (m_wholeSheet) {
            m_sheet->m_default.font.Apply(patch);
            m_sheet->ForEachExistingCell([&](Cell& cell) {
                if (patch.name)
                    cell.format.font.name.reset();
                if (patch.size)
                    cell.format.font.size.reset();
                if (patch.bold)
                    cell.format.font.bold.reset();
                clearRuns(cell);
            });
        } else {
            m_sheet->ForEachCell(m_area, [&](int, int, Cell& cell) {
                cell.format.font.Apply(patch);
                clearRuns(cell);
            });
        }
        return;
    }
    auto addRun = [&](Cell& cell) {
        const std::string* text = std::get_if<std::string>(&cell.value);
        if (!text)
            return;
        const int length = static_cast<int>(CodePoints(*text).size());
        const int start = std::min(m_start, length);
        const int count = std::min(m_length, length - start);
        if (count <= 0)
            return;
        for (FontRun& run : cell.runs) {
            if (run.start == start && run.length == count) {
                run.font.Apply(patch);
                return;
            }
        }
        cell.runs.push_back(FontRun{start, count, patch});
    };
    if (m_wholeSheet)
        m_sheet->ForEachExistingCell(addRun);
    else
        m_sheet->ForEachCell(m_area, [&](int, int, Cell& cell) { addRun(cell); });
}

void InteriorRef::SetColorIndex(int index)
{
    Apply(index != -4142 && index != -4105 && index != 0 ? PaletteColor(index) : kNoFill);
}

void InteriorRef::SetColor(std::uint32_t colorref)
{
    Apply(((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF));
}

void InteriorRef::Apply(std::uint32_t fill)
{
    if (m_wholeSheet) {
        m_sheet->m_default.fill = fill == kNoFill ? std::nullopt : std::optional<std::uint32_t>(fill);
        m_sheet->ForEachExistingCell([](Cell& cell) { cell.format.fill.reset(); });
    } else {
        m_sheet->ForEachCell(m_area, [fill](int, int, Cell& cell) { cell.format.fill = fill; });
    }
}

// ---- ranges ----

void Range::RequireBounded(const char* what) const
{
    if (m_wholeSheet)
        throw WorkbookError(std::string("不能对整张工作表设置") + what);
}

void Range::SetValue(const Value& value)
{
    RequireBounded("值");
    const std::string* text = std::get_if<std::string>(&value);
    if (text && text->size() > kMaxTextLength && Utf16Length(*text) > static_cast<int>(kMaxTextLength))
        throw WorkbookError(Format("单元格文字超过 %zu 个字符", kMaxTextLength));
    m_sheet->ForEachCell(m_area, [&](int row, int column, Cell& cell) {
        if (cell.merge >= 0) {
            const Area& merged = *m_sheet->m_merges[static_cast<std::size_t>(cell.merge)];
            if (row != merged.firstRow || column != merged.firstColumn)
                return;
        }
        CellFormat effective = m_sheet->m_default;
        effective.Apply(cell.format);
        m_sheet->StoreValue(cell, value, effective);
    });
}

void Worksheet::StoreValue(Cell& cell, const Value& value, const CellFormat& effective)
{
    cell.runs.clear();
    const std::string* text = std::get_if<std::string>(&value);
    if (text && !effective.IsTextFormat()) {
        if (const std::optional<double> number = ReadPlainDecimal(*text)) {
            cell.value = *number;
            return;
        }
    }
    cell.value = value;
}

void Range::SetHorizontalAlignment(int code)
{
    const std::optional<HAlign> align = HAlignOfCode(code);
    if (!align)
        throw WorkbookError(Format("无效的水平对齐方式：%d", code));
    SetAttribute(&CellFormat::hAlign, *align);
}

void Range::SetVerticalAlignment(int code)
{
    const std::optional<VAlign> align = VAlignOfCode(code);
    if (!align)
        throw WorkbookError(Format("无效的垂直对齐方式：%d", code));
    SetAttribute(&CellFormat::vAlign, *align);
}

void Range::SetWrapText(bool wrap)
{
    SetAttribute(&CellFormat::wrap, wrap);
}

void Range::SetNumberFormatLocal(const std::string& format)
{
    // A format changes how later typing is read, never a value already there.
    SetAttribute(&CellFormat::numberFormat, format);
}

template <class T>
void Range::SetAttribute(std::optional<T> CellFormat::*attribute, const T& value)
{
    // Set on the whole sheet, it becomes the default and every cell gives up its own.
    if (m_wholeSheet) {
        m_sheet->m_default.*attribute = value;
        m_sheet->ForEachExistingCell([attribute](Cell& cell) { (cell.format.*attribute).reset(); });
    } else {
        m_sheet->ForEachCell(m_area, [&](int, int, Cell& cell) { cell.format.*attribute = value; });
    }
}

void Range::Merge(bool across)
{
    RequireBounded("合并");
    if (!across) {
        m_sheet->MergeArea(m_area);
        return;
    }
    for (int row = m_area.firstRow; row <= m_area.lastRow; ++row)
        m_sheet->MergeArea(Area{row, m_area.firstColumn, row, m_area.lastColumn});
}

void Range::SetColumnWidth(double width)
{
    if (!(width >= 0 && width <= 255))
        throw WorkbookError(Format("无效的列宽：%g", width));
    if (m_wholeSheet) {
        m_sheet->m_standardWidth = width;
        m_sheet->m_columnWidths.clear();
        return;
    }
    for (int column = m_area.firstColumn; column <= m_area.lastColumn; ++column)
        m_sheet->m_columnWidths[column] = width;
}

void Range::SetRowHeight(double height)
{
    RequireBounded("行高");
    if (!(height >= 0 && height <= 409))
        throw WorkbookError(Format("无效的行高：%g", height));
    for (int row = m_area.firstRow; row <= m_area.lastRow; ++row)
        m_sheet->m_rowHeights[row] = height;
}

FontRef Range::Characters(int start, int length)
{
    return FontRef(m_sheet, m_area, m_wholeSheet, std::max(start, 1) - 1, std::max(length, 0));
}

void Range::BorderAround(int lineStyle, int weight, int colorIndex)
{
    RequireBounded("边框");
    BorderStyle style = BorderStyle::None;
    switch (lineStyle) {
    case 1:
        style = weight == 1 ? BorderStyle::Hair
                : weight == -4138 ? BorderStyle::Medium
                : weight == 4 ? BorderStyle::Thick
                : BorderStyle::Thin;
        break;
    case -4115: style = BorderStyle::Dashed; break;
    case -4118: style = BorderStyle::Dotted; break;
    case -4119: style = BorderStyle::Double; break;
    case -4142: style = BorderStyle::None; break;
    default: throw WorkbookError(Format("无效的边框线型：%d", lineStyle));
    }
    const Border border{style, colorIndex == -4105 || colorIndex == 0 ? 0u : PaletteColor(colorIndex)};
    const Area a = m_area;
    m_sheet->ForEachCell(a, [&](int row, int column, Cell& cell) {
        if (row == a.firstRow)
            cell.format.borders[kTopEdge] = border;
        if (row == a.lastRow)
            cell.format.borders[kBottomEdge] = border;
        if (column == a.firstColumn)
            cell.format.borders[kLeftEdge] = border;
        if (column == a.lastColumn)
            cell.format.borders[kRightEdge] = border;
    });
}

// ---- worksheets ----

template <class F>
void Worksheet::ForEachCell(const Area& area, F change)
{
    CheckSize(area);
    for (int row = area.firstRow; row <= area.lastRow; ++row) {
        for (int column = area.firstColumn; column <= area.lastColumn; ++column)
            change(row, column, At(row, column));
    }
}

template <class F>
void Worksheet::ForEachExistingCell(F change)
{
    for (auto& [key, cell] : m_cells)
        change(cell);
}

void Worksheet::SetName(const std::string& name)
{
    if (!IsValidSheetName(name))
        throw WorkbookError("工作表名称无效：" + name);
    if (m_book->IsSheetNameTaken(name, this))
        throw WorkbookError("工作表名称重复：" + name);
    m_name = name;
}

void Worksheet::SetStandardWidth(double width)
{
    if (!(width >= 0 && width <= 255))
        throw WorkbookError(Format("无效的列宽：%g", width));
    m_standardWidth = width;
}

Range Worksheet::GetRange(std::string_view first, std::string_view last)
{
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    if (!ParseCellName(first, r1, c1) || !ParseCellName(last, r2, c2))
        throw WorkbookError("无效的单元格地址：" + std::string(first) + ":" + std::string(last));
    return GetRange(Area{std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)});
}

Range Worksheet::GetRange(const Area& area)
{
    if (area.firstRow < 1 || area.firstColumn < 1 || area.lastRow > kMaxRows || area.lastColumn > kMaxColumns ||
        area.firstRow > area.lastRow || area.firstColumn > area.lastColumn)
        throw WorkbookError("无效的区域");
    return Range(this, area, false);
}

const Cell* Worksheet::FindCell(int row, int column) const
{
    const auto it = m_cells.find(KeyOf(row, column));
    return it == m_cells.end() ? nullptr : &it->second;
}

CellFormat Worksheet::GetEffectiveFormat(int row, int column) const
{
    CellFormat format = m_default;
    if (const Cell* cell = FindCell(row, column))
        format.Apply(cell->format);
    return format;
}

std::vector<Area> Worksheet::GetMergedAreas() const
{
    std::vector<Area> areas;
    for (const std::optional<Area>& area : m_merges) {
        if (area)
            areas.push_back(*area);
    }
    std::sort(areas.begin(), areas.end(), [](const Area& a, const Area& b) {
        return a.firstRow != b.firstRow ? a.firstRow < b.firstRow : a.firstColumn < b.firstColumn;
    });
    return areas;
}

std::optional<Area> Worksheet::FindMergedArea(int row, int column) const
{
    const Cell* cell = FindCell(row, column);
    if (!cell || cell->merge < 0)
        return std::nullopt;
    return m_merges[static_cast<std::size_t>(cell->merge)];
}

void Worksheet::MergeArea(const Area& requested)
{
    if (requested.IsSingleCell())
        return;
    // Every cell of a merged area knows its area, so the areas a merge touches are found by looking
    // at its own cells; each one taken in may widen it to touch more.
    Area united = requested;
    for (bool grew = true; grew;) {
        grew = false;
        CheckSize(united);
        for (int row = united.firstRow; row <= united.lastRow && !grew; ++row) {
            for (int column = united.firstColumn; column <= united.lastColumn; ++column) {
                const Cell* cell = FindCell(row, column);
                if (!cell || cell->merge < 0)
                    continue;
                std::optional<Area>& other = m_merges[static_cast<std::size_t>(cell->merge)];
                if (!other)
                    continue;  // already taken in
                const Area wider = BoundingBox(united, *other);
                other.reset();
                if (!(wider == united)) {
                    united = wider;
                    grew = true;
                    break;
                }
            }
        }
    }
    const int id = static_cast<int>(m_merges.size());
    m_merges.push_back(united);
    ForEachCell(united, [&](int row, int column, Cell& cell) {
        cell.merge = id;
        if (row != united.firstRow || column != united.firstColumn) {
            cell.value = std::monostate();
            cell.runs.clear();
        }
    });
}

// ---- workbooks ----

Workbook::Workbook()
{
    AddSheets(1);
}

Worksheet& Workbook::GetSheet(int index)
{
    if (index < 1 || index > GetSheetCount())
        throw WorkbookError(Format("没有第 %d 张工作表", index));
    return *m_sheets[static_cast<std::size_t>(index - 1)];
}

const Worksheet& Workbook::GetSheet(int index) const
{
    return const_cast<Workbook*>(this)->GetSheet(index);
}

void Workbook::AddSheets(int count)
{
    if (count < 0 || GetSheetCount() + count > 10000)
        throw WorkbookError(Format("无法添加 %d 张工作表", count));
    int number = GetSheetCount();
    for (int i = 0; i < count; ++i) {
        std::string name;
        do {
            name = "Sheet" + std::to_string(++number);
        } while (IsSheetNameTaken(name));
        m_sheets.push_back(std::make_unique<Worksheet>(this, name));
    }
}

void Workbook::SetActiveSheet(int index)
{
    GetSheet(index);
    m_active = index;
}

bool Workbook::IsSheetNameTaken(std::string_view name, const Worksheet* except) const
{
    return std::any_of(m_sheets.begin(), m_sheets.end(), [&](const std::unique_ptr<Worksheet>& sheet) {
        return sheet.get() != except && SameSheetName(sheet->GetName(), name);
    });
}

}  // namespace zem::workbook
