#include "app/output/workbook/XlsxWriter.h"

#include "platform/Files.h"
#include "platform/Text.h"

#include <xlsxwriter.h>
#include <xlsxwriter/shared_strings.h>
#include <xlsxwriter/styles.h>
#include <xlsxwriter/xmlwriter.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

namespace zem::workbook {

namespace {

// The library reads a colour of 0 as "none"; black has a value of its own.
lxw_color_t LibraryColor(std::uint32_t rgb)
{
    return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb;
}

std::uint8_t LibraryBorder(BorderStyle style)
{
    switch (style) {
    case BorderStyle::None: return LXW_BORDER_NONE;
    case BorderStyle::Thin: return LXW_BORDER_THIN;
    case BorderStyle::Medium: return LXW_BORDER_MEDIUM;
    case BorderStyle::Dashed: return LXW_BORDER_DASHED;
    case BorderStyle::Dotted: return LXW_BORDER_DOTTED;
    case BorderStyle::Thick: return LXW_BORDER_THICK;
    case BorderStyle::Double: return LXW_BORDER_DOUBLE;
    case BorderStyle::Hair: return LXW_BORDER_HAIR;
    }
    return LXW_BORDER_NONE;
}

std::uint8_t LibraryHAlign(HAlign align)
{
    switch (align) {
    case HAlign::General: return LXW_ALIGN_NONE;
    case HAlign::Left: return LXW_ALIGN_LEFT;
    case HAlign::Center: return LXW_ALIGN_CENTER;
    case HAlign::Right: return LXW_ALIGN_RIGHT;
    case HAlign::Fill: return LXW_ALIGN_FILL;
    case HAlign::Justify: return LXW_ALIGN_JUSTIFY;
    case HAlign::CenterAcross: return LXW_ALIGN_CENTER_ACROSS;
    case HAlign::Distributed: return LXW_ALIGN_DISTRIBUTED;
    }
    return LXW_ALIGN_NONE;
}

std::uint8_t LibraryVAlign(VAlign align)
{
    switch (align) {
    case VAlign::Top: return LXW_ALIGN_VERTICAL_TOP;
    case VAlign::Center: return LXW_ALIGN_VERTICAL_CENTER;
    case VAlign::Bottom: return LXW_ALIGN_VERTICAL_BOTTOM;
    case VAlign::Justify: return LXW_ALIGN_VERTICAL_JUSTIFY;
    case VAlign::Distributed: return LXW_ALIGN_VERTICAL_DISTRIBUTED;
    }
    return LXW_ALIGN_VERTICAL_BOTTOM;
}

bool IsGeneralFormat(const std::string& code)
{
    return code.empty() || EqualsNoCase(code, "General") || code == "G/通用格式";
}

std::string FontKey(const FontPatch& font)
{
    return Format("%s|%g|%d", font.name ? font.name->c_str() : "", font.size.value_or(0),
                  font.bold ? (*font.bold ? 1 : 0) : -1);
}

std::string FormatKey(const CellFormat& f)
{
    std::string key = FontKey(f.font);
    key += Format("|%ld|%d|%d|%d|", f.fill ? static_cast<long>(*f.fill) : -1L, f.hAlign ? int(*f.hAlign) : -1,
                  f.vAlign ? int(*f.vAlign) : -1, f.wrap ? int(*f.wrap) : -1);
    key += f.numberFormat.value_or("");
    for (const std::optional<Border>& b : f.borders)
        key += b ? Format("|%d:%u", int(b->style), b->rgb) : std::string("|-");
    return key;
}

// One library format per distinct cell format, made on first use.
class FormatCache {
public:
    explicit FormatCache(lxw_workbook* book) : m_book(book) {}

    lxw_format* Get(const CellFormat& f)
    {
        lxw_format*& slot = m_formats[FormatKey(f)];
        if (slot)
            return slot;
        slot = workbook_add_format(m_book);
        if (!slot)
            throw WorkbookError("内存不足");
        SetFont(slot, f.font);
        if (f.fill) {
            format_set_pattern(slot, LXW_PATTERN_SOLID);
            format_set_bg_color(slot, LibraryColor(*f.fill));
        }
        if (f.hAlign && *f.hAlign != HAlign::General)
            format_set_align(slot, LibraryHAlign(*f.hAlign));
        if (f.vAlign)
            format_set_align(slot, LibraryVAlign(*f.vAlign));
        if (f.wrap && *f.wrap)
            format_set_text_wrap(slot);
        // Text has a number of its own in the format's built-in list.
        if (f.numberFormat && *f.numberFormat == "@")
            format_set_num_format_index(slot, 49);
        else if (f.numberFormat && !IsGeneralFormat(*f.numberFormat))
            format_set_num_format(slot, f.numberFormat->c_str());
        using Setter = void (*)(lxw_format*, uint8_t);
        using ColorSetter = void (*)(lxw_format*, lxw_color_t);
        static constexpr Setter kStyle[4] = {format_set_left, format_set_top, format_set_right, format_set_bottom};
        static constexpr ColorSetter kColor[4] = {format_set_left_color, format_set_top_color,
                                                  format_set_right_color, format_set_bottom_color};
        for (int e = 0; e < 4; ++e) {
            const std::optional<Border>& b = f.borders[static_cast<std::size_t>(e)];
            if (b && b->style != BorderStyle::None) {
                kStyle[e](slot, LibraryBorder(b->style));
                kColor[e](slot, LibraryColor(b->rgb));
            }
        }
        return slot;
    }

    // A format that only sets a font, for a run of rich text.
    lxw_format* GetFont(const FontPatch& font)
    {
        lxw_format*& slot = m_fonts[FontKey(font)];
        if (!slot) {
            slot = workbook_add_format(m_book);
            if (!slot)
                throw WorkbookError("内存不足");
            SetFont(slot, font);
        }
        return slot;
    }

private:
    static void SetFont(lxw_format* format, const FontPatch& font)
    {
        if (font.name)
            format_set_font_name(format, font.name->c_str());
        if (font.size)
            format_set_font_size(format, *font.size);
        if (font.bold && *font.bold)
            format_set_bold(format);
    }

    lxw_workbook* m_book;
    std::map<std::string, lxw_format*> m_formats;
    std::map<std::string, lxw_format*> m_fonts;
};

void Check(lxw_error error, const char* what)
{
    if (error != LXW_NO_ERROR)
        throw WorkbookError(Format("%s：%s", what, lxw_strerror(error)));
}

// Byte offsets of each character of UTF-8 text, and the end.
std::vector<std::size_t> CharacterOffsets(const std::string& text)
{
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < text.size(); i += Utf8CharLength(text, i))
        offsets.push_back(i);
    offsets.push_back(text.size());
    return offsets;
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Text as the file carries it: a control character as "_xHHHH_", and an underscore that would read
// as the start of such an escape as "_x005F_". Done here, since the library's own escaping of
// control characters garbles them.
std::string EscapeForFile(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n') {
            out += Format("_x%04X_", c);
        } else if (c == '_' && i + 6 < text.size() && text[i + 1] == 'x' && IsHexDigit(text[i + 2]) &&
                   IsHexDigit(text[i + 3]) && IsHexDigit(text[i + 4]) && IsHexDigit(text[i + 5]) &&
                   text[i + 6] == '_') {
            out += "_x005F_";
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// The library's own rich-string call assembles each cell's runs in a temporary file, which costs
// a file created and deleted per two-font cell; the same runs are assembled here in memory, by the
// library's writers, and the cell enters the shared strings as the library's call would put it.
void WriteRichString(lxw_worksheet* sheet, lxw_row_t r, lxw_col_t c, const std::vector<std::string>& pieces,
                     const std::vector<lxw_format*>& pieceFonts, lxw_format* format)
{
    char* buffer = nullptr;
    std::size_t length = 0;
    FILE* memory = open_memstream(&buffer, &length);
    if (!memory)
        throw WorkbookError("内存不足");
    lxw_styles* styles = lxw_styles_new();
    if (!styles) {
        std::fclose(memory);
        std::free(buffer);
        throw WorkbookError("内存不足");
    }
    styles->file = memory;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        lxw_xml_start_tag(memory, "r", nullptr);
        lxw_styles_write_rich_font(styles, pieceFonts[i]);
        lxw_styles_write_string_fragment(styles, const_cast<char*>(pieces[i].c_str()));
        lxw_xml_end_tag(memory, "r");
    }
    styles->file = nullptr;
    lxw_styles_free(styles);
    const bool written = std::fclose(memory) == 0;
    const std::unique_ptr<char, decltype(&std::free)> xml(buffer, &std::free);
    if (!written || !xml)
        throw WorkbookError("内存不足");
    // A number cell is made first so that the library files the cell in its row; it then becomes
    // a shared-string cell, which owns nothing of its own to free.
    Check(worksheet_write_number(sheet, r, c, 0, format), "写入单元格失败");
    lxw_row* row = lxw_worksheet_find_row(sheet, r);
    lxw_cell* cell = row ? lxw_worksheet_find_cell_in_row(row, c) : nullptr;
    sst_element* element = lxw_get_sst_index(sheet->sst, xml.get(), LXW_TRUE);
    if (!cell || !element)
        throw WorkbookError("写入单元格失败");
    cell->type = STRING_CELL;
    cell->u.string_id = static_cast<int32_t>(element->index);
    cell->sst_string = element->string;
}

void WriteText(lxw_worksheet* sheet, FormatCache& formats, int row, int column, const std::string& text,
               const Cell& cell, const CellFormat& effective, lxw_format* format)
{
    const lxw_row_t r = static_cast<lxw_row_t>(row - 1);
    const lxw_col_t c = static_cast<lxw_col_t>(column - 1);
    if (cell.runs.empty()) {
        Check(worksheet_write_string(sheet, r, c, EscapeForFile(text).c_str(), format), "写入单元格失败");
        return;
    }
    // The font of each character: the cell's, then every run over it in order.
    const std::vector<std::size_t> offsets = CharacterOffsets(text);
    const int count = static_cast<int>(offsets.size()) - 1;
    std::vector<FontPatch> fonts(static_cast<std::size_t>(count), effective.font);
    for (const FontRun& run : cell.runs) {
        for (int i = run.start; i < run.start + run.length && i < count; ++i)
            fonts[static_cast<std::size_t>(i)].Apply(run.font);
    }
    std::vector<std::string> pieces;
    std::vector<lxw_format*> pieceFonts;
    for (int i = 0; i < count;) {
        int j = i + 1;
        while (j < count && fonts[static_cast<std::size_t>(j)] == fonts[static_cast<std::size_t>(i)])
            ++j;
        pieces.push_back(EscapeForFile(text.substr(
            offsets[static_cast<std::size_t>(i)], offsets[static_cast<std::size_t>(j)] - offsets[static_cast<std::size_t>(i)])));
        pieceFonts.push_back(formats.GetFont(fonts[static_cast<std::size_t>(i)]));
        i = j;
    }
    if (pieces.size() < 2) {
        CellFormat whole = effective;
        if (!fonts.empty())
            whole.font = fonts.front();
        Check(worksheet_write_string(sheet, r, c, EscapeForFile(text).c_str(), formats.Get(whole)), "写入单元格失败");
        return;
    }
    WriteRichString(sheet, r, c, pieces, pieceFonts, format);
}

// Column widths as disjoint ranges in order, every column without its own width at the standard
// width, and the sheet's default format on all of them, so that empty cells show it too.
void WriteColumns(lxw_worksheet* sheet, const Worksheet& source, lxw_format* defaultFormat)
{
    const bool hasDefault = !(source.GetDefaultFormat() == CellFormat{});
    const double standard = source.GetStandardWidth();
    const bool standardIsDefault = standard == LXW_DEF_COL_WIDTH && !hasDefault;
    lxw_format* format = hasDefault ? defaultFormat : nullptr;
    auto put = [&](int first, int last, double width) {
        Check(worksheet_set_column(sheet, static_cast<lxw_col_t>(first - 1), static_cast<lxw_col_t>(last - 1),
                                   width, format),
              "设置列宽失败");
    };
    int next = 1;  // first column not yet written
    const std::map<int, double>& widths = source.GetColumnWidths();
    for (auto it = widths.begin(); it != widths.end();) {
        const int first = it->first;
        const double width = it->second;
        int last = first;
        auto end = std::next(it);
        while (end != widths.end() && end->first == last + 1 && end->second == width) {
            last = end->first;
            ++end;
        }
        if (first > next && !standardIsDefault)
            put(next, first - 1, standard);
        put(first, last, width);
        next = last + 1;
        it = end;
    }
    if (next <= kMaxColumns && !standardIsDefault)
        put(next, kMaxColumns, standard);
}

void WriteSheet(lxw_worksheet* sheet, FormatCache& formats, const Worksheet& source)
{
    lxw_format* defaultFormat = formats.Get(source.GetDefaultFormat());
    WriteColumns(sheet, source, defaultFormat);
    for (const auto& [row, height] : source.GetRowHeights())
        Check(worksheet_set_row(sheet, static_cast<lxw_row_t>(row - 1), height, nullptr), "设置行高失败");
    // Merge first: the library fills a merged area with blanks, which the cells then overwrite.
    for (const Area& area : source.GetMergedAreas()) {
        Check(worksheet_merge_range(sheet, static_cast<lxw_row_t>(area.firstRow - 1),
                                    static_cast<lxw_col_t>(area.firstColumn - 1), static_cast<lxw_row_t>(area.lastRow - 1),
                                    static_cast<lxw_col_t>(area.lastColumn - 1), "", defaultFormat),
              "合并单元格失败");
    }
    for (const auto& [key, cell] : source.GetCells()) {
        const int row = Worksheet::RowOfKey(key);
        const int column = Worksheet::ColumnOfKey(key);
        CellFormat effective = source.GetDefaultFormat();
        effective.Apply(cell.format);
        lxw_format* format = formats.Get(effective);
        const lxw_row_t r = static_cast<lxw_row_t>(row - 1);
        const lxw_col_t c = static_cast<lxw_col_t>(column - 1);
        if (const double* number = std::get_if<double>(&cell.value)) {
            Check(worksheet_write_number(sheet, r, c, *number, format), "写入单元格失败");
        } else if (const std::string* text = std::get_if<std::string>(&cell.value); text && !text->empty()) {
            WriteText(sheet, formats, row, column, *text, cell, effective, format);
        } else {
            Check(worksheet_write_blank(sheet, r, c, format), "写入单元格失败");
        }
    }
}

// The library takes a zero-ended list of the rows (columns) a page starts at, counted from 0.
template <class Index>
void SetBreaks(lxw_worksheet* sheet, const std::vector<int>& starts, lxw_error (*set)(lxw_worksheet*, Index*))
{
    if (starts.empty())
        return;
    std::vector<Index> breaks;
    for (const int start : starts)
        if (start > 1)
            breaks.push_back(static_cast<Index>(start - 1));
    breaks.push_back(0);
    Check(set(sheet, breaks.data()), "设置分页失败");
}

void WritePageSetup(lxw_worksheet* sheet, const PageSetup& setup)
{
    worksheet_set_paper(sheet, 9);  // A4, the paper the printed timetables use
    if (setup.landscape)
        worksheet_set_landscape(sheet);
    else
        worksheet_set_portrait(sheet);
    if (setup.fitWide > 0)
        worksheet_fit_to_pages(sheet, static_cast<std::uint16_t>(setup.fitWide),
                               static_cast<std::uint16_t>(std::max(0, setup.fitTall)));
    else if (setup.scale > 0)
        worksheet_set_print_scale(sheet, static_cast<std::uint16_t>(setup.scale));
    if (setup.repeatFirstRow > 0 && setup.repeatLastRow >= setup.repeatFirstRow)
        Check(worksheet_repeat_rows(sheet, static_cast<lxw_row_t>(setup.repeatFirstRow - 1),
                                    static_cast<lxw_row_t>(setup.repeatLastRow - 1)),
              "设置打印标题失败");
    if (setup.repeatFirstColumn > 0 && setup.repeatLastColumn >= setup.repeatFirstColumn)
        Check(worksheet_repeat_columns(sheet, static_cast<lxw_col_t>(setup.repeatFirstColumn - 1),
                                       static_cast<lxw_col_t>(setup.repeatLastColumn - 1)),
              "设置打印标题失败");
    if (setup.acrossFirst)
        worksheet_print_across(sheet);
    if (!setup.header.empty())
        Check(worksheet_set_header(sheet, setup.header.c_str()), "设置页眉失败");
    if (const auto& area = setup.printArea)
        Check(worksheet_print_area(sheet, static_cast<lxw_row_t>(area->firstRow - 1),
                                   static_cast<lxw_col_t>(area->firstColumn - 1), static_cast<lxw_row_t>(area->lastRow - 1),
                                   static_cast<lxw_col_t>(area->lastColumn - 1)),
              "设置打印区域失败");
    SetBreaks<lxw_row_t>(sheet, setup.pageBreaks, worksheet_set_h_pagebreaks);
    SetBreaks<lxw_col_t>(sheet, setup.columnBreaks, worksheet_set_v_pagebreaks);
    worksheet_center_horizontally(sheet);
}

// Closes the library's workbook on every path.
struct BookHolder {
    lxw_workbook* book = nullptr;
    ~BookHolder()
    {
        if (book)
            workbook_close(book);
    }
};

}  // namespace

void SaveXlsx(const Workbook& book, const std::string& path)
{
    // The library writes only to a named file: build the file in the temporary folder, then put
    // its bytes in place with the program's atomic save.
    std::error_code ec;
    std::string temp = (std::filesystem::temp_directory_path(ec) / "zem-workbook-XXXXXX").string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        const int reason = errno;
        throw WorkbookFileError(reason, "无法创建临时文件：" + FileErrorReason(reason));
    }
    ::close(fd);
    struct TempFile {
        std::string path;
        ~TempFile() { std::remove(path.c_str()); }
    } cleanup{temp};

    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_FALSE;
        options.use_zip64 = LXW_FALSE;
        BookHolder holder;
        holder.book = workbook_new_opt(temp.c_str(), &options);
        if (!holder.book)
            throw WorkbookError("内存不足");
        FormatCache formats(holder.book);
        for (int i = 1; i <= book.GetSheetCount(); ++i) {
            const Worksheet& source = book.GetSheet(i);
            lxw_worksheet* sheet = workbook_add_worksheet(holder.book, source.GetName().c_str());
            if (!sheet)
                throw WorkbookError("工作表名称无效：" + source.GetName());
            if (i == book.GetActiveSheet())
                worksheet_activate(sheet);
            WriteSheet(sheet, formats, source);
            WritePageSetup(sheet, source.GetPageSetup());
        }
        lxw_workbook* closing = holder.book;
        holder.book = nullptr;
        errno = 0;
        const lxw_error error = workbook_close(closing);
        if (error != LXW_NO_ERROR) {
            const int reason = errno;
            if (reason != 0)
                throw WorkbookFileError(reason, "生成工作簿失败：" + FileErrorReason(reason));
            throw WorkbookError(std::string("生成工作簿失败：") + lxw_strerror(error));
        }
    }
    std::string bytes;
    std::string error;
    if (!ReadFileBytes(temp, bytes, &error))
        throw WorkbookError("生成工作簿失败：" + error);
    int code = 0;
    if (!WriteFileAtomic(path, bytes, &error, &code))
        throw WorkbookFileError(code, error);
}

}  // namespace zem::workbook
