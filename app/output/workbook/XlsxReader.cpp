// The active sheet of an .xlsx file: a zip of XML parts found through their relationships.
#include "app/output/workbook/Workbook.h"
#include "app/output/workbook/WorkbookReader.h"
#include "platform/Text.h"

#include <pugixml.hpp>
#include <zip.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace zem::workbook {

namespace {

// Parts larger than this, unpacked, are refused: a small file must not fill the memory.
constexpr zip_uint64_t kMaxPartSize = 256u * 1024 * 1024;

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ZipCloser {
    void operator()(zip_t* zip) const { zip_discard(zip); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

class Package {
public:
    explicit Package(std::string_view bytes)
    {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
        if (!source)
            throw Failure("内存不足");
        zip_t* zip = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!zip) {
            zip_source_free(source);
            zip_error_fini(&error);
            throw Failure("文件不是完整的工作簿（压缩包已损坏）");
        }
        zip_error_fini(&error);
        m_zip.reset(zip);
    }

    bool Has(const std::string& name) const
    {
        return zip_name_locate(m_zip.get(), name.c_str(), ZIP_FL_NOCASE) >= 0;
    }

    // The unpacked bytes of a part; throws when it is missing (unless optional), too large or damaged.
    std::string Read(const std::string& name, bool optional = false) const
    {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat(m_zip.get(), name.c_str(), ZIP_FL_NOCASE, &st) != 0) {
            if (optional)
                return {};
            throw Failure("工作簿缺少 " + name);
        }
        if ((st.valid & ZIP_STAT_SIZE) && st.size > kMaxPartSize)
            throw Failure("工作簿中的 " + name + " 太大");
        std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen(m_zip.get(), name.c_str(), ZIP_FL_NOCASE));
        if (!file)
            throw Failure("无法解压 " + name);
        std::string bytes;
        char buffer[65536];
        for (;;) {
            const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
            if (n < 0)
                throw Failure("无法解压 " + name);
            if (n == 0)
                break;
            if (bytes.size() + static_cast<std::size_t>(n) > kMaxPartSize)
                throw Failure("工作簿中的 " + name + " 太大");
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes;
    }

private:
    std::unique_ptr<zip_t, ZipCloser> m_zip;
};

std::string_view LocalName(const char* name)
{
    std::string_view n(name);
    const std::size_t colon = n.find(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

pugi::xml_node Child(pugi::xml_node node, std::string_view local)
{
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_element && LocalName(child.name()) == local)
            return child;
    }
    return {};
}

template <class F>
void ForEachChild(pugi::xml_node node, std::string_view local, F visit)
{
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_element && LocalName(child.name()) == local)
            visit(child);
    }
}

// The relationship id of a sheet: the attribute "id" in the relationships namespace, "r:id".
std::string RelationshipId(pugi::xml_node node)
{
    for (pugi::xml_attribute a : node.attributes()) {
        const std::string_view name(a.name());
        if (name.find(':') != std::string_view::npos && LocalName(a.name()) == "id")
            return a.value();
    }
    return {};
}

pugi::xml_document Parse(const std::string& bytes, const std::string& name)
{
    pugi::xml_document doc;
    const pugi::xml_parse_result result =
        doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
    if (!result || !doc.document_element())
        throw Failure("工作簿中的 " + name + " 已损坏");
    return doc;
}

// A part name resolved against the folder of the part that names it.
std::string ResolvePart(const std::string& base, std::string_view target)
{
    std::string path;
    if (!target.empty() && target.front() == '/') {
        path = std::string(target.substr(1));
    } else {
        const std::size_t slash = base.rfind('/');
        path = (slash == std::string::npos ? std::string() : base.substr(0, slash + 1)) + std::string(target);
    }
    std::vector<std::string> parts;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = path.find('/', begin);
        if (end == std::string::npos)
            end = path.size();
        const std::string piece = path.substr(begin, end - begin);
        if (piece == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
        begin = end + 1;
    }
    std::string resolved;
    for (const std::string& p : parts)
        resolved += (resolved.empty() ? "" : "/") + p;
    return resolved;
}

// The relationships of a part, by id, with their types; targets resolved.
struct Relationship {
    std::string type;
    std::string target;
};

std::map<std::string, Relationship> ReadRelationships(const Package& package, const std::string& part)
{
    const std::size_t slash = part.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
    const std::string relsName = folder + "_rels/" + part.substr(slash + 1) + ".rels";
    std::map<std::string, Relationship> relationships;
    const std::string bytes = package.Read(relsName, true);
    if (bytes.empty())
        return relationships;
    const pugi::xml_document doc = Parse(bytes, relsName);
    ForEachChild(doc.document_element(), "Relationship", [&](pugi::xml_node r) {
        if (std::string_view(r.attribute("TargetMode").value()) == "External")
            return;
        relationships[r.attribute("Id").value()] = {r.attribute("Type").value(),
                                                    ResolvePart(part, r.attribute("Target").value())};
    });
    return relationships;
}

std::string FindByType(const std::map<std::string, Relationship>& relationships, std::string_view typeEnd)
{
    for (const auto& [id, r] : relationships) {
        if (std::string_view(r.type).ends_with(typeEnd))
            return r.target;
    }
    return {};
}

void AppendCodePoint(std::string& out, unsigned c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Characters XML cannot carry are escaped in cell text as "_xHHHH_".
std::string DecodeEscapes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && IsHex(text[i + 2]) && IsHex(text[i + 3]) &&
            IsHex(text[i + 4]) && IsHex(text[i + 5]) && text[i + 6] == '_') {
            unsigned code = 0;
            std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16);
            // Surrogate halves alone are no characters.
            if (code < 0xD800 || code > 0xDFFF)
                AppendCodePoint(out, code);
            i += 7;
            continue;
        }
        out += text[i++];
    }
    return out;
}

// The text of a string item: its own text, or its runs' texts; phonetic guides left out.
std::string ItemText(pugi::xml_node item)
{
    std::string text;
    for (pugi::xml_node child : item.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string_view name = LocalName(child.name());
        // Each piece is escaped on its own.
        if (name == "t")
            text += DecodeEscapes(child.text().get());
        else if (name == "r")
            text += DecodeEscapes(Child(child, "t").text().get());
    }
    return text;
}

bool IsDateFormatId(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

// A format code shows a date when it has a date or time part outside quotes, brackets and escapes.
bool IsDateFormatCode(std::string_view code)
{
    bool quoted = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (quoted) {
            quoted = c != '"';
            continue;
        }
        switch (c) {
        case '"': quoted = true; break;
        case '\\': case '_': case '*': ++i; break;
        case '[': {
            const std::size_t close = code.find(']', i);
            if (close == std::string_view::npos)
                return false;
            // Elapsed time ("[h]:mm") is a time; colours and locales are not.
            const std::string_view inside = code.substr(i + 1, close - i - 1);
            if (!inside.empty() && (inside[0] == 'h' || inside[0] == 'H' || inside[0] == 'm' || inside[0] == 'M' ||
                                    inside[0] == 's' || inside[0] == 'S'))
                return true;
            i = close;
            break;
        }
        case 'y': case 'Y': case 'm': case 'M': case 'd': case 'D': case 'h': case 'H': case 's': case 'S':
            if (EqualsNoCase(code.substr(i, 7), "General"))
                return false;
            return true;
        default: break;
        }
    }
    return false;
}

std::vector<bool> ReadDateStyles(const Package& package, const std::string& part)
{
    std::vector<bool> dateStyles;
    if (part.empty())
        return dateStyles;
    const std::string bytes = package.Read(part, true);
    if (bytes.empty())
        return dateStyles;
    const pugi::xml_document doc = Parse(bytes, part);
    std::map<int, bool> custom;
    ForEachChild(Child(doc.document_element(), "numFmts"), "numFmt", [&](pugi::xml_node f) {
        custom[f.attribute("numFmtId").as_int(-1)] = IsDateFormatCode(f.attribute("formatCode").value());
    });
    ForEachChild(Child(doc.document_element(), "cellXfs"), "xf", [&](pugi::xml_node xf) {
        const int id = xf.attribute("numFmtId").as_int(0);
        const auto it = custom.find(id);
        dateStyles.push_back(it != custom.end() ? it->second : IsDateFormatId(id));
    });
    return dateStyles;
}

std::optional<double> ReadNumber(std::string_view text)
{
    text = Trim(text);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

struct SheetContext {
    const std::vector<std::string>* strings;
    const std::vector<bool>* dateStyles;
    bool date1904 = false;
};

CellValue ReadCell(pugi::xml_node c, const SheetContext& context)
{
    CellValue value;
    const std::string_view type = c.attribute("t").value();
    const pugi::xml_node v = Child(c, "v");
    const std::string_view raw = v.text().get();
    if (type == "s") {
        const std::optional<double> index = ReadNumber(raw);
        if (index && *index >= 0 && *index < static_cast<double>(context.strings->size())) {
            value.type = CellValue::Type::Text;
            value.text = (*context.strings)[static_cast<std::size_t>(*index)];
        }
    } else if (type == "inlineStr") {
        value.type = CellValue::Type::Text;
        value.text = ItemText(Child(c, "is"));
    } else if (type == "str") {
        if (v) {
            value.type = CellValue::Type::Text;
            value.text = DecodeEscapes(raw);
        }
    } else if (type == "b") {
        if (v) {
            value.type = CellValue::Type::Boolean;
            value.number = Trim(raw) == "1" ? 1 : 0;
        }
    } else if (type == "e") {
        if (v) {
            value.type = CellValue::Type::Error;
            value.text = std::string(raw);
        }
    } else if (type == "d") {
        // An ISO date written as text.
        int y = 0, m = 0, d = 0;
        if (std::sscanf(std::string(raw).c_str(), "%d-%d-%d", &y, &m, &d) == 3 && y >= 1900 && y <= 9999 &&
            m >= 1 && m <= 12 && d >= 1 && d <= 31) {
            value.type = CellValue::Type::Date;
            value.number = SerialOfDate(y, m, d);
            value.text = DateTextOfSerial(value.number);
        }
    } else if (v) {
        if (const std::optional<double> number = ReadNumber(raw)) {
            const std::size_t style = static_cast<std::size_t>(std::max(0, c.attribute("s").as_int(0)));
            const bool isDate = style < context.dateStyles->size() && (*context.dateStyles)[style];
            value.number = *number;
            value.type = CellValue::Type::Number;
            if (isDate) {
                const double serial = *number + (context.date1904 ? 1462 : 0);
                const std::string text = DateTextOfSerial(serial);
                if (!text.empty()) {
                    value.type = CellValue::Type::Date;
                    value.number = serial;
                    value.text = text;
                }
            }
        }
    }
    return value;
}

void ReadCells(const pugi::xml_document& doc, const SheetContext& context, SheetData& sheet)
{
    const pugi::xml_node data = Child(doc.document_element(), "sheetData");
    int row = 0;
    for (pugi::xml_node r : data.children()) {
        if (r.type() != pugi::node_element || LocalName(r.name()) != "row")
            continue;
        // Rows and cells without a reference follow the one before.
        const int number = r.attribute("r").as_int(0);
        row = number >= 1 && number <= kMaxRows ? number : row + 1;
        if (row > kMaxRows)
            break;
        int column = 0;
        for (pugi::xml_node c : r.children()) {
            if (c.type() != pugi::node_element || LocalName(c.name()) != "c")
                continue;
            int cellRow = 0, cellColumn = 0;
            if (ParseCellName(c.attribute("r").value(), cellRow, cellColumn) && cellRow == row)
                column = cellColumn;
            else
                ++column;
            if (column > kMaxColumns)
                break;
            CellValue value = ReadCell(c, context);
            if (value.type == CellValue::Type::Empty)
                continue;
            sheet.Set(row, column, std::move(value));
            if (sheet.CellCount() > kMaxReadCells)
                throw Failure("工作表太大，无法读取");
        }
    }
}

}  // namespace

bool ReadXlsxBytes(std::string_view bytes, SheetData& sheet, std::string& error, int sheetIndex)
{
    sheet.Clear();
    error.clear();
    try {
        const Package package(bytes);
        const std::map<std::string, Relationship> root = ReadRelationships(package, "");
        std::string bookPart = FindByType(root, "/officeDocument");
        if (bookPart.empty() || !package.Has(bookPart))
            bookPart = "xl/workbook.xml";
        const pugi::xml_document book = Parse(package.Read(bookPart), bookPart);
        const pugi::xml_node workbook = book.document_element();

        std::vector<pugi::xml_node> sheets;
        ForEachChild(Child(workbook, "sheets"), "sheet", [&](pugi::xml_node s) { sheets.push_back(s); });
        if (sheets.empty())
            throw Failure("工作簿中没有工作表");
        if (sheetIndex >= static_cast<int>(sheets.size()))
            throw Failure("工作簿中没有这张工作表");
        const int active = Child(Child(workbook, "bookViews"), "workbookView").attribute("activeTab").as_int(0);
        const int index = sheetIndex >= 0 ? sheetIndex : active >= 0 && active < static_cast<int>(sheets.size()) ? active : 0;
        const pugi::xml_node chosen = sheets[static_cast<std::size_t>(index)];
        const std::string_view date1904 = Child(workbook, "workbookPr").attribute("date1904").value();

        const std::map<std::string, Relationship> relationships = ReadRelationships(package, bookPart);
        const auto target = relationships.find(RelationshipId(chosen));
        if (target == relationships.end() || !package.Has(target->second.target))
            throw Failure(std::string("找不到工作表 ") + chosen.attribute("name").value());

        std::vector<std::string> strings;
        const std::string stringsPart = FindByType(relationships, "/sharedStrings");
        if (!stringsPart.empty()) {
            const std::string stringBytes = package.Read(stringsPart, true);
            if (!stringBytes.empty()) {
                const pugi::xml_document doc = Parse(stringBytes, stringsPart);
                ForEachChild(doc.document_element(), "si", [&](pugi::xml_node si) { strings.push_back(ItemText(si)); });
            }
        }
        const std::vector<bool> dateStyles = ReadDateStyles(package, FindByType(relationships, "/styles"));

        const SheetContext context{&strings, &dateStyles, date1904 == "1" || date1904 == "true"};
        const pugi::xml_document doc = Parse(package.Read(target->second.target), target->second.target);
        ReadCells(doc, context, sheet);
        sheet.name = chosen.attribute("name").value();
        return true;
    } catch (const Failure& failure) {
        error = failure.what();
    } catch (const std::bad_alloc&) {
        error = "内存不足";
    }
    sheet.Clear();
    return false;
}

}  // namespace zem::workbook
