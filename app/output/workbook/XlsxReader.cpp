// The active sheet of an .xlsx file: a zip of XML parts found through their relationships.
//
// A small file may unpack to a great deal. So every part is read as it unpacks, tag by tag, and
// what is kept of it is bounded: the zip's directory, the shared strings, the styles and the cells.
// The cells and string items are parsed a batch at a time. Whatever the file, the reader stays
// far below 200 MB, and a file beyond the bounds is refused as too large, not as damaged.
#include "PartScanner.h"
#include "WorkbookReaderParts.h"
#include "app/output/workbook/Workbook.h"
#include "app/output/workbook/WorkbookReader.h"
#include "platform/Text.h"

#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace zem::workbook {

namespace {

// libzip keeps every entry of the directory in memory; a workbook has a few dozen.
constexpr std::uint64_t kMaxZipEntries = 10'000;
constexpr std::uint64_t kMaxZipDirectory = 8u * 1024 * 1024;
// One cell or string item, whole; they are parsed in batches of about kBatchSize.
constexpr std::size_t kMaxElementSize = 1024 * 1024;
constexpr std::size_t kBatchSize = 256 * 1024;
// Relationships, sheets, number formats and cell formats of one workbook.
constexpr std::size_t kMaxRecords = 65'536;
constexpr std::size_t kMaxSharedStrings = 300'000;

std::uint64_t LittleEndian(std::string_view bytes, std::size_t at, std::size_t width)
{
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

using ReadAt = std::function<std::string(std::uint64_t offset, std::size_t length)>;

// libzip reads the directory of every end record it finds in the last 64 KB and keeps it whole, so a
// file whose end records claim more than a workbook holds is refused before it is opened. A record
// libzip would pass over at once (another disk, a directory outside the file) is passed over here.
void CheckZipDirectory(std::uint64_t size, const ReadAt& readAt)
{
    constexpr std::size_t kEndSize = 22;
    constexpr std::size_t kEnd64Size = 56;
    if (size < kEndSize)
        return;
    const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndSize + 65535));
    const std::uint64_t tailStart = size - tailSize;
    const std::string tail = readAt(tailStart, tailSize);
    for (std::size_t at = tail.find("PK\x05\x06"); at != std::string::npos && at + kEndSize <= tail.size();
         at = tail.find("PK\x05\x06", at + 1)) {
        std::uint64_t position = tailStart + at;
        std::uint64_t disks = LittleEndian(tail, at + 4, 2) | LittleEndian(tail, at + 6, 2);
        std::uint64_t entries = std::max(LittleEndian(tail, at + 8, 2), LittleEndian(tail, at + 10, 2));
        std::uint64_t directorySize = LittleEndian(tail, at + 12, 4);
        std::uint64_t directoryOffset = LittleEndian(tail, at + 16, 4);
        // A Zip64 end record, named by the locator just before.
        if (at >= 20 && tail.compare(at - 20, 4, "PK\x06\x07") == 0) {
            const std::uint64_t offset = LittleEndian(tail, at - 20 + 8, 8);
            const bool inside = size >= kEnd64Size && offset <= size - kEnd64Size;
            const std::string record = inside ? readAt(offset, kEnd64Size) : std::string();
            if (record.size() == kEnd64Size && record.starts_with("PK\x06\x06")) {
                position = offset;
                disks = LittleEndian(record, 16, 4) | LittleEndian(record, 20, 4);
                entries = std::max(LittleEndian(record, 24, 8), LittleEndian(record, 32, 8));
                directorySize = LittleEndian(record, 40, 8);
                directoryOffset = LittleEndian(record, 48, 8);
            }
        }
        if (disks != 0 || directoryOffset > position || directorySize > position - directoryOffset)
            continue;
        if (entries > kMaxZipEntries || directorySize > kMaxZipDirectory)
            throw ReadFailure(kTooManyPartsReason);
    }
}

struct ZipCloser {
    void operator()(zip_t* zip) const { zip_discard(zip); }
};

class Package {
public:
    // Takes the source.
    explicit Package(zip_source_t* source)
    {
        zip_error_t error;
        zip_error_init(&error);
        zip_t* zip = zip_open_from_source(source, ZIP_RDONLY, &error);
        zip_error_fini(&error);
        if (!zip) {
            zip_source_free(source);
            throw ReadFailure("文件不是完整的工作簿（压缩包已损坏）");
        }
        m_zip.reset(zip);
    }

    zip_t* Zip() const { return m_zip.get(); }
    bool Has(const std::string& name) const
    {
        return zip_name_locate(m_zip.get(), name.c_str(), ZIP_FL_NOCASE) >= 0;
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

// Elements copied out of a part, parsed together; each goes to `visit`, and the batch is emptied.
template <class Visit>
void ParseBatch(pugi::xml_document& doc, std::string& batch, const std::string& part, Visit visit)
{
    if (batch.empty())
        return;
    if (!doc.load_buffer_inplace(batch.data(), batch.size(), pugi::parse_default | pugi::parse_ws_pcdata_single,
                                 pugi::encoding_utf8))
        throw ReadFailure("工作簿中的 " + part + " 已损坏");
    for (pugi::xml_node node : doc.children()) {
        if (node.type() == pugi::node_element)
            visit(node);
    }
    doc.reset();
    batch.clear();
}

// Walks a part to its end and gives `visit` the start tags inside the first element of each of
// the names in `sections` below the document element (as a tree would find them), with the
// section's index; the section's own start tag comes at depth 1.
template <class Visit>
void ForEachTagIn(XmlScanner& xml, std::initializer_list<std::string_view> sections, Visit visit)
{
    std::vector<bool> seen(sections.size());
    std::size_t inside = sections.size();
    while (xml.Next()) {
        if (!xml.IsStart()) {
            if (xml.Depth() == 1)
                inside = sections.size();
            continue;
        }
        if (xml.Depth() == 1) {
            const auto it = std::find(sections.begin(), sections.end(), xml.LocalName());
            const std::size_t section = static_cast<std::size_t>(it - sections.begin());
            if (it == sections.end() || seen[section])
                continue;
            seen[section] = true;
            inside = section;
        }
        if (inside < sections.size())
            visit(inside, xml);
    }
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


// The relationships of a part that the reader follows: the target of one id, and of the first (by
// id) of each kind it needs. Targets are resolved.
struct Links {
    std::string ofId;
    std::string document;
    std::string strings;
    std::string styles;
};

Links ReadLinks(const Package& package, const std::string& part, std::string_view id)
{
    const std::size_t slash = part.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
    Links links;
    PartReader reader(package.Zip(), folder + "_rels/" + part.substr(slash + 1) + ".rels", true);
    if (!reader.Exists())
        return links;
    struct Kind {
        std::string_view typeEnd;
        std::string* target;
        std::string id;
        bool found = false;
    } kinds[] = {{"/officeDocument", &links.document, {}},
                 {"/sharedStrings", &links.strings, {}},
                 {"/styles", &links.styles, {}}};
    XmlScanner xml(reader);
    std::size_t count = 0;
    while (xml.Next()) {
        if (!xml.IsStart() || xml.Depth() != 1 || xml.LocalName() != "Relationship")
            continue;
        if (++count > kMaxRecords)
            throw ReadFailure(kTooManyRelationsReason);
        const pugi::xml_node r = xml.Tag();
        if (std::string_view(r.attribute("TargetMode").value()) == "External")
            continue;
        const std::string_view rid = r.attribute("Id").value();
        const std::string_view type = r.attribute("Type").value();
        const std::string target = ResolvePart(part, r.attribute("Target").value());
        if (rid == id)
            links.ofId = target;
        for (Kind& kind : kinds) {
            if (type.ends_with(kind.typeEnd) && (!kind.found || rid <= kind.id)) {
                kind.found = true;
                kind.id = rid;
                *kind.target = target;
            }
        }
    }
    return links;
}

// What the workbook part tells of its sheets: read twice, first for how many there are and which is
// shown, then for that one's name and relationship, so that no list of sheets is kept.
struct Book {
    int activeTab = 0;
    bool date1904 = false;
    std::size_t sheets = 0;
    std::string name;  // of the sheet picked
    std::string id;
};

Book ReadBook(const Package& package, const std::string& part, std::optional<std::size_t> pick)
{
    Book book;
    PartReader reader(package.Zip(), part, false);
    XmlScanner xml(reader);
    bool seenView = false;
    enum Section { Views, Sheets, Properties };
    ForEachTagIn(xml, {"bookViews", "sheets", "workbookPr"}, [&](std::size_t section, XmlScanner& tag) {
        const std::string_view name = tag.LocalName();
        if (section == Properties && tag.Depth() == 1) {
            const std::string_view date1904 = tag.Tag().attribute("date1904").value();
            book.date1904 = date1904 == "1" || date1904 == "true";
        } else if (section == Views && tag.Depth() == 2 && name == "workbookView" && !seenView) {
            seenView = true;
            book.activeTab = tag.Tag().attribute("activeTab").as_int(0);
        } else if (section == Sheets && tag.Depth() == 2 && name == "sheet") {
            if (pick && *pick == book.sheets) {
                const pugi::xml_node sheet = tag.Tag();
                book.name = sheet.attribute("name").value();
                book.id = RelationshipId(sheet);
            }
            if (++book.sheets > kMaxRecords)
                throw ReadFailure(kTooManySheetsReason);
        }
    });
    return book;
}

// The shared strings. Their texts go into blocks that never grow, so that the table takes little
// more than what it holds.
class SharedStrings {
public:
    void Add(std::string_view text)
    {
        if (m_items.size() >= kMaxSharedStrings || m_bytes + text.size() > kMaxReadTextBytes)
            throw ReadFailure(kTooLargeReason);
        m_bytes += text.size();
        if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < text.size()) {
            m_blocks.emplace_back();
            m_blocks.back().reserve(std::max(kBlockSize, text.size()));
        }
        std::string& block = m_blocks.back();
        const std::size_t start = block.size();
        block += text;
        m_items.push_back(std::string_view(block).substr(start));
    }
    std::size_t Count() const { return m_items.size(); }
    std::string_view At(std::size_t i) const { return m_items[i]; }

private:
    static constexpr std::size_t kBlockSize = 1024 * 1024;
    std::vector<std::string> m_blocks;
    std::vector<std::string_view> m_items;
    std::size_t m_bytes = 0;
};

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
        const std::size_t mark = std::min(text.find('_', i), text.size());
        out.append(text, i, mark - i);
        i = mark;
        if (i == text.size())
            break;
        if (i + 6 < text.size() && text[i + 1] == 'x' && IsHex(text[i + 2]) && IsHex(text[i + 3]) &&
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


void ReadSharedStrings(const Package& package, const std::string& part, SharedStrings& strings)
{
    if (part.empty())
        return;
    PartReader reader(package.Zip(), part, true);
    if (!reader.Exists())
        return;
    XmlScanner xml(reader);
    pugi::xml_document doc;
    std::string batch;
    auto add = [&](pugi::xml_node si) { strings.Add(ItemText(si)); };
    while (xml.Next()) {
        if (!xml.IsStart() || xml.Depth() != 1)
            continue;
        if (xml.LocalName() != "si") {
            xml.SkipElement();
            continue;
        }
        // One string item is one cell's text.
        xml.AppendElement(batch, kMaxElementSize, kCellTooLargeReason);
        if (batch.size() >= kBatchSize)
            ParseBatch(doc, batch, part, add);
    }
    ParseBatch(doc, batch, part, add);
}

std::vector<bool> ReadDateStyles(const Package& package, const std::string& part)
{
    std::vector<bool> dateStyles;
    if (part.empty())
        return dateStyles;
    PartReader reader(package.Zip(), part, true);
    if (!reader.Exists())
        return dateStyles;
    XmlScanner xml(reader);
    std::map<int, bool> custom;
    std::size_t customCount = 0;
    std::vector<int> formats;  // of the cell formats, in order
    enum Section { Custom, Formats };
    ForEachTagIn(xml, {"numFmts", "cellXfs"}, [&](std::size_t section, XmlScanner& tag) {
        if (tag.Depth() != 2)
            return;
        if (section == Custom && tag.LocalName() == "numFmt") {
            if (++customCount > kMaxRecords)
                throw ReadFailure(kTooManyFormatsReason);
            const pugi::xml_node f = tag.Tag();
            custom[f.attribute("numFmtId").as_int(-1)] = IsDateFormatCode(f.attribute("formatCode").value());
        } else if (section == Formats && tag.LocalName() == "xf") {
            if (formats.size() >= kMaxRecords)
                throw ReadFailure(kTooManyFormatsReason);
            formats.push_back(tag.Tag().attribute("numFmtId").as_int(0));
        }
    });
    for (const int id : formats) {
        const auto it = custom.find(id);
        dateStyles.push_back(it != custom.end() ? it->second : IsDateFormatId(id));
    }
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
    const SharedStrings* strings;
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
        if (index && *index >= 0 && *index < static_cast<double>(context.strings->Count())) {
            value.type = CellValue::Type::Text;
            value.text = std::string(context.strings->At(static_cast<std::size_t>(*index)));
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


// The rows and cells of the sheet's data, in order. Rows and cells without a reference follow the
// one before.
class CellWalk {
public:
    CellWalk(const SheetContext& context, SheetData& sheet) : m_context(context), m_sheet(sheet) {}

    void Visit(pugi::xml_node node)
    {
        const std::string_view name = LocalName(node.name());
        // Past the last row of a sheet nothing more is read.
        if (m_row > kMaxRows)
            return;
        if (name == "row") {
            const int number = node.attribute("r").as_int(0);
            m_row = number >= 1 && number <= kMaxRows ? number : m_row + 1;
            m_column = 0;
            return;
        }
        if (name != "c" || m_row < 1 || m_column > kMaxColumns)
            return;
        int cellRow = 0, cellColumn = 0;
        if (ParseCellName(node.attribute("r").value(), cellRow, cellColumn) && cellRow == m_row)
            m_column = cellColumn;
        else
            ++m_column;
        if (m_column > kMaxColumns)
            return;
        CellValue value = ReadCell(node, m_context);
        if (value.type == CellValue::Type::Empty)
            return;
        m_sheet.Set(m_row, m_column, std::move(value));
        if (m_sheet.IsOverReadLimit())
            throw ReadFailure(kTooLargeReason);
    }

private:
    const SheetContext& m_context;
    SheetData& m_sheet;
    int m_row = 0;
    int m_column = 0;
};

// A mergeCell's "A1:C2"; a reference that names no area of the sheet is passed over.
void AddMergedArea(std::string_view ref, SheetData& sheet)
{
    const std::size_t colon = ref.find(':');
    if (colon == std::string_view::npos)
        return;
    MergedArea area;
    if (!ParseCellName(ref.substr(0, colon), area.firstRow, area.firstColumn) ||
        !ParseCellName(ref.substr(colon + 1), area.lastRow, area.lastColumn))
        return;
    if (area.firstRow > area.lastRow)
        std::swap(area.firstRow, area.lastRow);
    if (area.firstColumn > area.lastColumn)
        std::swap(area.firstColumn, area.lastColumn);
    if (sheet.MergedAreas().size() >= kMaxReadMergedAreas)
        throw ReadFailure(kTooManyMergedReason);
    sheet.AddMergedArea(area);
}

// The cells of the first sheetData, each row's start tag (as an empty element) and its cells whole
// going into batches, and the areas of the first mergeCells.
void ReadCells(const Package& package, const std::string& part, const SheetContext& context, SheetData& sheet)
{
    PartReader reader(package.Zip(), part, false);
    XmlScanner xml(reader);
    pugi::xml_document doc;
    std::string batch;
    CellWalk walk(context, sheet);
    auto visit = [&](pugi::xml_node node) { walk.Visit(node); };
    std::size_t rows = 0;
    ForEachTagIn(xml, {"sheetData", "mergeCells"}, [&](std::size_t section, XmlScanner& tag) {
        if (tag.Depth() == 1)
            return;
        const std::string_view name = tag.LocalName();
        if (section == 1) {
            if (tag.Depth() == 2 && name == "mergeCell")
                AddMergedArea(tag.Tag().attribute("ref").value(), sheet);
            return;
        }
        if (tag.Depth() == 2 && name == "row") {
            // No sheet has more rows.
            if (++rows > static_cast<std::size_t>(kMaxRows))
                throw ReadFailure(kTooLargeReason);
            tag.AppendTag(batch);
        } else if (tag.Depth() == 3 && name == "c") {
            tag.AppendElement(batch, kMaxElementSize, kCellTooLargeReason);
        } else {
            tag.SkipElement();
        }
        if (batch.size() >= kBatchSize)
            ParseBatch(doc, batch, part, visit);
    });
    ParseBatch(doc, batch, part, visit);
}

void ReadPackage(const Package& package, SheetData& sheet, int sheetIndex)
{
    std::string bookPart = ReadLinks(package, "", {}).document;
    if (bookPart.empty() || !package.Has(bookPart))
        bookPart = "xl/workbook.xml";
    const Book book = ReadBook(package, bookPart, std::nullopt);
    if (book.sheets == 0)
        throw ReadFailure("工作簿中没有工作表");
    if (sheetIndex >= 0 && static_cast<std::size_t>(sheetIndex) >= book.sheets)
        throw ReadFailure("工作簿中没有这张工作表");
    const std::size_t shown = sheetIndex >= 0 ? static_cast<std::size_t>(sheetIndex)
                              : book.activeTab >= 0 && static_cast<std::size_t>(book.activeTab) < book.sheets
                                  ? static_cast<std::size_t>(book.activeTab)
                                  : 0;
    const Book chosen = ReadBook(package, bookPart, shown);
    const Links links = ReadLinks(package, bookPart, chosen.id);
    if (links.ofId.empty() || !package.Has(links.ofId))
        throw ReadFailure("找不到工作表 " + chosen.name);

    SharedStrings strings;
    ReadSharedStrings(package, links.strings, strings);
    const std::vector<bool> dateStyles = ReadDateStyles(package, links.styles);
    const SheetContext context{&strings, &dateStyles, book.date1904};
    ReadCells(package, links.ofId, context, sheet);
    sheet.name = chosen.name;
}

// Reads the package the source opens, which it takes.
bool ReadXlsx(const std::function<zip_source_t*()>& open, SheetData& sheet, std::string& error, int sheetIndex)
{
    sheet.Clear();
    error.clear();
    try {
        const Package package(open());
        ReadPackage(package, sheet, sheetIndex);
        return true;
    } catch (const ReadFailure& failure) {
        error = failure.what();
    } catch (const std::bad_alloc&) {
        error = "内存不足";
    }
    sheet.Clear();
    return false;
}

zip_source_t* MadeSource(zip_source_t* source, zip_error_t& error)
{
    zip_error_fini(&error);
    if (!source)
        throw ReadFailure("内存不足");
    return source;
}

}  // namespace

bool ReadXlsxBytes(std::string_view bytes, SheetData& sheet, std::string& error, int sheetIndex)
{
    return ReadXlsx(
        [&] {
            CheckZipDirectory(bytes.size(), [&](std::uint64_t offset, std::size_t length) {
                return offset > bytes.size() ? std::string()
                                             : std::string(bytes.substr(static_cast<std::size_t>(offset), length));
            });
            zip_error_t error;
            zip_error_init(&error);
            return MadeSource(zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error), error);
        },
        sheet, error, sheetIndex);
}

bool ReadXlsxFile(const std::string& path, SheetData& sheet, std::string& error, int sheetIndex)
{
    return ReadXlsx(
        [&] {
            // The source takes the file; it reads from it as the parts are read.
            std::FILE* file = std::fopen(path.c_str(), "rb");
            if (!file)
                throw ReadFailure("无法读取文件");
            std::unique_ptr<std::FILE, int (*)(std::FILE*)> owned(file, std::fclose);
            if (::fseeko(file, 0, SEEK_END) != 0)
                throw ReadFailure("无法读取文件");
            const off_t size = ::ftello(file);
            if (size < 0)
                throw ReadFailure("无法读取文件");
            CheckZipDirectory(static_cast<std::uint64_t>(size), [&](std::uint64_t offset, std::size_t length) {
                std::string bytes(length, '\0');
                if (::fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0)
                    return std::string();
                bytes.resize(std::fread(bytes.data(), 1, length, file));
                return bytes;
            });
            zip_error_t error;
            zip_error_init(&error);
            zip_source_t* source = MadeSource(zip_source_filep_create(file, 0, -1, &error), error);
            owned.release();
            return source;
        },
        sheet, error, sheetIndex);
}

}  // namespace zem::workbook
