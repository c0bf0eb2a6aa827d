#include "platform/Xml.h"

#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <cerrno>

namespace zem {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

void SetError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

// "line L, column C" of a byte offset into UTF-8 text, counting characters, both from 1.
std::string Position(std::string_view utf8, std::size_t offset)
{
    offset = std::min(offset, utf8.size());
    int line = 1;
    int column = 1;
    for (std::size_t pos = 0; pos < offset; pos += Utf8CharLength(utf8, pos)) {
        if (utf8[pos] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return Format("第 %d 行，第 %d 列", line, column);
}

// Opens the reason for bytes that are not text in the file's encoding.
constexpr const char* kEncodingFault = "文件编码有误：";

const char* Describe(pugi::xml_parse_status status)
{
    switch (status) {
    case pugi::status_out_of_memory:
        return "内存不足";
    case pugi::status_unrecognized_tag:
        return "无法识别的标记";
    case pugi::status_bad_pi:
        return "声明或处理指令有误";
    case pugi::status_bad_comment:
        return "注释有误";
    case pugi::status_bad_cdata:
        return "CDATA 段有误";
    case pugi::status_bad_doctype:
        return "文档类型声明有误";
    case pugi::status_bad_pcdata:
        return "文本有误";
    case pugi::status_bad_start_element:
        return "开始标记有误";
    case pugi::status_bad_attribute:
        return "属性有误";
    case pugi::status_bad_end_element:
        return "结束标记有误";
    case pugi::status_end_element_mismatch:
        return "结束标记与开始标记不配对，或文件不完整";
    case pugi::status_no_document_element:
        return "没有根元素";
    default:
        return "无法解析";
    }
}

int DigitValue(char c, bool hex)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Offset of the first character reference that names no character text may hold (zero, a
// surrogate, beyond U+10FFFF), or npos. The parser would take it in as a cut text or as bytes
// that are no character, and the next save would write something else. Comments, CDATA sections
// and processing instructions hold no references.
std::size_t FirstBadCharRef(std::string_view text)
{
    static constexpr std::pair<std::string_view, std::string_view> kLiteral[] = {
        {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}};
    std::size_t pos = 0;
    while ((pos = text.find_first_of("<&", pos)) != std::string_view::npos) {
        const auto literal = std::find_if(std::begin(kLiteral), std::end(kLiteral),
                                          [&](const auto& l) { return text.substr(pos, l.first.size()) == l.first; });
        if (literal != std::end(kLiteral)) {
            const std::size_t end = text.find(literal->second, pos + literal->first.size());
            if (end == std::string_view::npos)
                return end;  // the parser reports the section left open
            pos = end + literal->second.size();
            continue;
        }
        if (text.substr(pos, 2) != "&#") {
            ++pos;
            continue;
        }
        std::size_t i = pos + 2;
        const bool hex = i < text.size() && text[i] == 'x';
        i += hex ? 1 : 0;
        const std::size_t first = i;
        unsigned long value = 0;
        for (int d; i < text.size() && (d = DigitValue(text[i], hex)) >= 0; ++i)
            value = std::min(value * (hex ? 16 : 10) + static_cast<unsigned long>(d), 0x110000UL);
        if (i > first && (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF))
            return pos;
        pos = i;
    }
    return std::string_view::npos;
}

// The value of the declaration's "encoding", empty when the bytes start with no declaration or
// it names none. The declaration is ASCII in every encoding the files may use.
bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string DeclaredEncoding(std::string_view bytes)
{
    if (bytes.substr(0, 5) != "<?xml" || bytes.size() < 6 || !IsXmlSpace(bytes[5]))
        return {};
    const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
    std::size_t pos = declaration.find("encoding");
    if (pos == std::string_view::npos)
        return {};
    pos += 8;
    auto skipSpace = [&] {
        while (pos < declaration.size() && IsXmlSpace(declaration[pos]))
            ++pos;
    };
    skipSpace();
    if (pos >= declaration.size() || declaration[pos] != '=')
        return {};
    ++pos;
    skipSpace();
    if (pos >= declaration.size() || (declaration[pos] != '"' && declaration[pos] != '\''))
        return {};
    const std::size_t end = declaration.find(declaration[pos], pos + 1);
    if (end == std::string_view::npos)
        return {};
    return std::string(declaration.substr(pos + 1, end - pos - 1));
}

enum class Encoding { Gbk, Gb18030, Utf8, Other };

Encoding EncodingNamed(std::string_view name)
{
    if (name.empty() || EqualsNoCase(name, "GBK") || EqualsNoCase(name, "GB2312") || EqualsNoCase(name, "CP936"))
        return Encoding::Gbk;
    if (EqualsNoCase(name, "GB18030"))
        return Encoding::Gb18030;
    if (EqualsNoCase(name, "UTF-8") || EqualsNoCase(name, "UTF8"))
        return Encoding::Utf8;
    return Encoding::Other;
}

// True when a node lies deeper than `limit` levels below the document; the walk uses no recursion.
bool NestedDeeperThan(const pugi::xml_document& doc, int limit)
{
    pugi::xml_node node = doc.first_child();
    int depth = 1;
    while (node) {
        if (depth > limit)
            return true;
        if (const pugi::xml_node child = node.first_child()) {
            node = child;
            ++depth;
            continue;
        }
        while (node != doc && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node == doc)
            break;
        node = node.next_sibling();
    }
    return false;
}

// What a text node reads back as: the parser takes a CR before a LF for a plain line break.
std::string ReadBackText(std::string_view text) { return ReplaceAll(std::string(text), "\r\n", "\n"); }

// A node the writer leaves out or the parser drops: the declaration (the writer puts its own) and
// text of white space only between elements.
bool IsLeftOut(pugi::xml_node node)
{
    if (node.type() == pugi::node_declaration)
        return true;
    if (node.type() != pugi::node_pcdata)
        return false;
    const std::string_view text = node.value();
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

pugi::xml_node NextKept(pugi::xml_node node)
{
    while (node && IsLeftOut(node))
        node = node.next_sibling();
    return node;
}

// "<path>" of an element for a message, from the document down.
std::string NodePath(pugi::xml_node node)
{
    std::string path;
    for (; node && node.type() != pugi::node_document; node = node.parent())
        path = "/" + std::string(node.type() == pugi::node_element ? node.name() : "text()") + path;
    return path.empty() ? "/" : path;
}

// True when `read` holds what `meant` holds: the same nodes in the same order, each element with
// the same attributes and values, each text the same. Otherwise `where` names the first node that
// differs.
bool SameNodes(pugi::xml_node meant, pugi::xml_node read, std::string& where, int depth)
{
    if (depth > kMaxXmlDepth) {
        where = NodePath(meant);
        return false;
    }
    pugi::xml_node m = NextKept(meant.first_child());
    pugi::xml_node r = NextKept(read.first_child());
    for (; m && r; m = NextKept(m.next_sibling()), r = NextKept(r.next_sibling())) {
        bool same = m.type() == r.type() && std::string_view(m.name()) == r.name();
        if (same && (m.type() == pugi::node_pcdata || m.type() == pugi::node_cdata))
            same = ReadBackText(m.value()) == r.value();
        else if (same)
            same = std::string_view(m.value()) == r.value();
        pugi::xml_attribute ma = m.first_attribute();
        pugi::xml_attribute ra = r.first_attribute();
        for (; same && ma && ra; ma = ma.next_attribute(), ra = ra.next_attribute())
            same = std::string_view(ma.name()) == ra.name() && std::string_view(ma.value()) == ra.value();
        if (!same || ma || ra) {
            where = NodePath(m);
            return false;
        }
        if (!SameNodes(m, r, where, depth + 1))
            return false;
    }
    if (m || r) {
        where = NodePath(m ? m : r);
        return false;
    }
    return true;
}

struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, std::size_t size) override { text.append(static_cast<const char*>(data), size); }
};

}  // namespace

bool ParseXmlBytes(pugi::xml_document& doc, std::string_view bytes, std::string* error, int maxDepth)
{
    doc.reset();
    std::string utf8;
    const bool marked = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    if (marked)
        bytes.remove_prefix(kUtf8Bom.size());
    if (!marked && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
        SetError(error, "不支持 UTF-16 编码的文件");
        return false;
    }
    const std::string declared = DeclaredEncoding(bytes);
    const Encoding encoding = marked ? Encoding::Utf8 : EncodingNamed(declared);
    if (encoding == Encoding::Other) {
        SetError(error, Format("不支持文件声明的编码“%s”（只能是 GBK、GB2312、GB18030 或 UTF-8）", declared.c_str()));
        return false;
    }
    if (encoding == Encoding::Utf8) {
        utf8.assign(bytes);
        const std::size_t bad = FirstInvalidUtf8(utf8);
        if (bad != std::string_view::npos) {
            SetError(error, std::string(kEncodingFault) + "不是 UTF-8 编码的文本（" + Position(utf8, bad) + "）");
            return false;
        }
    } else if (!(encoding == Encoding::Gb18030 ? Gb18030ToUtf8(bytes, utf8) : GbkToUtf8(bytes, utf8))) {
        // What decoded before the fault ends where the fault is.
        SetError(error, Format("%s不是 %s 编码的文本（%s）", kEncodingFault, encoding == Encoding::Gb18030 ? "GB18030" : "GBK",
                               Position(utf8, utf8.size()).c_str()));
        return false;
    }
    if (const std::size_t bad = FirstBadCharRef(utf8); bad != std::string_view::npos) {
        SetError(error, Format("XML 格式错误（%s）：字符引用无效", Position(utf8, bad).c_str()));
        return false;
    }
    // The text is UTF-8 now, whatever encoding the declaration names.
    const pugi::xml_parse_result result = doc.load_buffer(utf8.data(), utf8.size(), kXmlParseFlags, pugi::encoding_utf8);
    if (!result) {
        doc.reset();
        SetError(error, Format("XML 格式错误（%s）：%s", Position(utf8, static_cast<std::size_t>(result.offset)).c_str(),
                               Describe(result.status)));
        return false;
    }
    if (NestedDeeperThan(doc, maxDepth)) {
        doc.reset();
        SetError(error, Format("XML 嵌套层次过深（超过 %d 层）", maxDepth));
        return false;
    }
    return true;
}

bool LoadXmlFile(pugi::xml_document& doc, const std::string& path, std::string* error, int* errorCode)
{
    doc.reset();
    std::string bytes;
    std::string detail;
    if (!ReadFileBytes(path, bytes, &detail, errorCode)) {
        SetError(error, detail);
        return false;
    }
    if (bytes.empty())
        detail = "文件是空的";
    else if (ParseXmlBytes(doc, bytes, &detail))
        return true;
    SetError(error, Format("无法读取 XML 文件：%s\n%s", path.c_str(), detail.c_str()));
    return false;
}

bool XmlFileBytes(const pugi::xml_document& doc, std::string& bytes, std::string* error)
{
    // Elements are indented with tabs, one to a line, and lines end with CR LF, as files written
    // on Windows do, so that a file reads the same in an editor on either system.
    StringWriter writer;
    writer.text.assign(kXmlDeclaration);
    writer.text += '\n';
    for (pugi::xml_node child = doc.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_declaration)
            child.print(writer, "\t", pugi::format_default, pugi::encoding_utf8);
    }
    // A CR already before a LF belongs to element text and reads back as a plain line break. A
    // CR on its own, which only element text can hold, is written as a reference: reading would
    // turn it into a line break.
    const std::string& text = writer.text;
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            crlf += '\r';
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            crlf += "&#13;";
        else
            crlf += text[i];
    }
    if (Utf8ToGbkWithCharRefs(crlf, bytes))
        return true;
    const std::size_t bad = FirstInvalidUtf8(crlf);
    SetError(error, Format("文件中有无法保存的文字：%s", Position(crlf, bad).c_str()));
    return false;
}

bool XmlReadsBackAs(const pugi::xml_document& doc, std::string_view bytes, std::string* error)
{
    pugi::xml_document read;
    std::string detail;
    if (!ParseXmlBytes(read, bytes, &detail)) {
        SetError(error, detail);
        return false;
    }
    std::string where;
    if (!SameNodes(doc, read, where, 0)) {
        SetError(error, Format("读回的内容与要保存的不同（%s）", where.c_str()));
        return false;
    }
    return true;
}

bool SaveXmlFile(const pugi::xml_document& doc, const std::string& path, std::string* error, int* errorCode)
{
    std::string bytes;
    std::string detail;
    if (!XmlFileBytes(doc, bytes, &detail)) {
        if (errorCode)
            *errorCode = EILSEQ;
        SetError(error, Format("保存失败：%s\n%s", path.c_str(), detail.c_str()));
        return false;
    }
    const ReadBackCheck check = [&doc](std::string_view written, std::string* reason) {
        return XmlReadsBackAs(doc, written, reason);
    };
    return WriteFileAtomic(path, bytes, error, errorCode, check);
}

}  // namespace zem
