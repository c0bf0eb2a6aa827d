#include "PartScanner.h"

#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <functional>

namespace zem::workbook {

namespace {

using namespace std::string_view_literals;

// A part larger than this, unpacked, is refused: it only costs time, but no workbook a school
// uses comes near it.
constexpr zip_uint64_t kMaxPartSize = 256u * 1024 * 1024;
constexpr std::size_t kPieceSize = 64 * 1024;
// No tag a workbook writes comes near these.
constexpr std::size_t kMaxTagSize = 64 * 1024;
constexpr std::size_t kMaxDepth = 1000;

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// The encoding of a part that is not UTF-8, as XML tells it: a byte-order mark, the bytes of "<"
// in a wide encoding, or a declaration of Latin-1.
const char* OtherEncoding(std::string_view head)
{
    if (head.starts_with("\x00\x00\xFE\xFF"sv) || head.starts_with("\x00\x00\x00\x3C"sv))
        return "UTF-32BE";
    if (head.starts_with("\xFF\xFE\x00\x00"sv) || head.starts_with("\x3C\x00\x00\x00"sv))
        return "UTF-32LE";
    if (head.starts_with("\xFE\xFF"sv) || head.starts_with("\x00\x3C\x00\x3F"sv))
        return "UTF-16BE";
    if (head.starts_with("\xFF\xFE"sv) || head.starts_with("\x3C\x00\x3F\x00"sv))
        return "UTF-16LE";
    if (!head.starts_with("<?xml"))
        return nullptr;
    const std::string_view declaration = head.substr(0, head.find("?>"));
    std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return nullptr;
    at = declaration.find_first_of("\"'", at);
    if (at == std::string_view::npos)
        return nullptr;
    const std::size_t end = declaration.find(declaration[at], at + 1);
    const std::string_view name = declaration.substr(at + 1, end == std::string_view::npos ? 0 : end - at - 1);
    return EqualsNoCase(name, "latin1") || EqualsNoCase(name, "ISO-8859-1") ? "ISO-8859-1" : nullptr;
}

bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

// ---- the bytes of a part ----

PartReader::PartReader(zip_t* zip, const std::string& name, bool optional) : m_name(name)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(zip, name.c_str(), ZIP_FL_NOCASE, &st) != 0) {
        if (optional)
            return;
        throw ReadFailure("工作簿缺少 " + name);
    }
    if ((st.valid & ZIP_STAT_SIZE) && st.size > kMaxPartSize)
        throw ReadFailure(kTooLargeReason);
    if (optional && (st.valid & ZIP_STAT_SIZE) && st.size == 0)
        return;
    m_file = zip_fopen(zip, name.c_str(), ZIP_FL_NOCASE);
    if (!m_file)
        throw ReadFailure("无法解压 " + name);
}

PartReader::~PartReader()
{
    if (m_file)
        zip_fclose(m_file);
    if (m_converter != kNoConverter)
        iconv_close(m_converter);
}

bool PartReader::ReadMore(std::string& out)
{
    if (!m_file || m_ended)
        return false;
    char piece[kPieceSize];
    const zip_int64_t n = zip_fread(m_file, piece, sizeof piece);
    if (n < 0)
        throw ReadFailure("无法解压 " + m_name);
    const std::string_view bytes(piece, static_cast<std::size_t>(n));
    if (n == 0) {
        m_ended = true;
        if (m_converter != kNoConverter)
            Convert({}, out, true);
        return false;
    }
    m_unpacked += static_cast<std::uint64_t>(n);
    if (m_unpacked > kMaxPartSize)
        throw ReadFailure(kTooLargeReason);
    if (!m_started) {
        m_started = true;
        if (const char* encoding = OtherEncoding(bytes)) {
            m_converter = iconv_open("UTF-8", encoding);
            if (m_converter == kNoConverter)
                throw ReadFailure("不支持工作簿中 " + m_name + " 的字符集");
        }
    }
    if (m_converter != kNoConverter)
        Convert(bytes, out, false);
    else
        out.append(bytes);
    return true;
}

void PartReader::Convert(std::string_view bytes, std::string& out, bool last)
{
    m_pending.append(bytes);
    char* in = m_pending.data();
    std::size_t inLeft = m_pending.size();
    while (inLeft > 0) {
        char buffer[16384];
        char* to = buffer;
        std::size_t toLeft = sizeof buffer;
        const std::size_t done = iconv(m_converter, &in, &inLeft, &to, &toLeft);
        out.append(buffer, static_cast<std::size_t>(to - buffer));
        if (done != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        if (errno == EINVAL && !last)
            break;  // a character the piece cut: the next piece ends it
        throw ReadFailure("工作簿中的 " + m_name + " 已损坏");
    }
    m_pending.erase(0, m_pending.size() - inLeft);
}

// ---- the tags ----

void XmlScanner::Damaged() const
{
    throw ReadFailure("工作簿中的 " + m_part.Name() + " 已损坏");
}

// Reads on; the bytes before the position are done with. False at the end of the part.
bool XmlScanner::More()
{
    if (m_ended)
        return false;
    m_buffer.erase(0, m_pos);
    m_pos = 0;
    const std::size_t before = m_buffer.size();
    while (m_buffer.size() == before) {
        if (!m_part.ReadMore(m_buffer)) {
            m_ended = true;
            return false;
        }
    }
    return true;
}

void XmlScanner::Take(std::size_t count)
{
    if (m_copy) {
        m_copy->append(m_buffer, m_pos, count);
        if (m_copy->size() > m_copyEnd)
            throw ReadFailure(m_copyRefusal);
    }
    m_pos += count;
}

// Up to the next '<'; false when the part ends first.
bool XmlScanner::TakeText()
{
    for (;;) {
        const std::size_t lt = m_buffer.find('<', m_pos);
        if (lt != std::string::npos) {
            Take(lt - m_pos);
            return true;
        }
        Take(m_buffer.size() - m_pos);
        if (!More())
            return false;
    }
}

// Through `end`, however far it is (comments, character data, instructions).
void XmlScanner::TakeThrough(std::string_view end)
{
    for (;;) {
        const std::size_t at = m_buffer.find(end, m_pos);
        if (at != std::string::npos) {
            Take(at + end.size() - m_pos);
            return;
        }
        // What may be the start of `end` stays for the next piece.
        const std::size_t keep = std::min(m_buffer.size() - m_pos, end.size() - 1);
        Take(m_buffer.size() - m_pos - keep);
        if (!More())
            Damaged();
    }
}

// The length of the tag at the position, through its '>' outside quotes (and, in a document type
// declaration, outside its brackets).
std::size_t XmlScanner::TagLength(bool declaration)
{
    char quote = 0;
    int brackets = 0;
    for (std::size_t i = 1;;) {
        const char* marks = quote == '"' ? "\"" : quote == '\'' ? "'" : declaration ? "\"'[]>" : "\"'<>";
        const std::size_t at = m_buffer.find_first_of(marks, m_pos + i);
        if ((at == std::string::npos ? m_buffer.size() : at) - m_pos >= kMaxTagSize)
            throw ReadFailure(kTagTooLongReason);
        if (at == std::string::npos) {
            i = m_buffer.size() - m_pos;
            if (!More())
                Damaged();
            continue;
        }
        i = at - m_pos + 1;
        const char c = m_buffer[at];
        if (quote)
            quote = 0;
        else if (c == '"' || c == '\'')
            quote = c;
        else if (c == '[')
            ++brackets;
        else if (c == ']')
            --brackets;
        else if (c == '<')
            Damaged();
        else if (brackets <= 0)
            return i;
    }
}

bool XmlScanner::Next()
{
    if (m_emptyPending) {
        m_emptyPending = false;
        m_start = false;
        m_done = m_depth == 0;
        return true;
    }
    if (m_done)
        return false;
    for (;;) {
        // The part ended inside the document element, or before it.
        if (!TakeText())
            Damaged();
        while (m_buffer.size() - m_pos < 9 && More()) {
        }
        const std::string_view rest = std::string_view(m_buffer).substr(m_pos);
        const char second = rest.size() > 1 ? rest[1] : '\0';
        if (second == '!' || second == '?') {
            if (rest.starts_with("<!--")) {
                Take(4);
                TakeThrough("-->");
            } else if (rest.starts_with("<![CDATA[")) {
                if (m_open.empty())
                    Damaged();
                Take(9);
                TakeThrough("]]>");
            } else if (second == '?') {
                Take(2);
                TakeThrough("?>");
            } else {
                if (!m_open.empty())
                    Damaged();
                Take(TagLength(true));
            }
            continue;
        }
        const bool end = second == '/';
        const std::size_t length = TagLength(false);
        m_tag.assign(m_buffer, m_pos, length);
        Take(length);

        const std::size_t nameStart = end ? 2 : 1;
        if (nameStart >= m_tag.size() || !IsNameStart(m_tag[nameStart]))
            Damaged();
        const std::size_t nameEnd = m_tag.find_first_of(end ? " \t\r\n>" : " \t\r\n/>", nameStart);
        m_nameStart = nameStart;
        m_nameEnd = std::min(nameEnd, m_tag.size());
        const std::string_view name = std::string_view(m_tag).substr(m_nameStart, m_nameEnd - m_nameStart);
        const std::uint64_t hash = std::hash<std::string_view>{}(name);
        if (end) {
            for (std::size_t i = nameEnd; i + 1 < m_tag.size(); ++i) {
                if (!IsSpace(m_tag[i]))
                    Damaged();
            }
            if (m_open.empty() || m_open.back() != hash)
                Damaged();
            m_open.pop_back();
            m_start = false;
            m_depth = static_cast<int>(m_open.size());
            m_done = m_open.empty();
            return true;
        }
        m_start = true;
        m_depth = static_cast<int>(m_open.size());
        if (m_tag.ends_with("/>")) {
            m_emptyPending = true;
        } else {
            if (m_open.size() >= kMaxDepth)
                throw ReadFailure(kTooDeepReason);
            m_open.push_back(hash);
        }
        return true;
    }
}

std::string_view XmlScanner::LocalName() const
{
    const std::string_view name = std::string_view(m_tag).substr(m_nameStart, m_nameEnd - m_nameStart);
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

void XmlScanner::AppendTag(std::string& out) const
{
    out += m_tag;
    if (!m_tag.ends_with("/>"))
        out.insert(out.size() - 1, 1, '/');
}

pugi::xml_node XmlScanner::Tag()
{
    std::string element;
    AppendTag(element);
    if (!m_tagDocument.load_buffer(element.data(), element.size(), pugi::parse_default, pugi::encoding_utf8))
        Damaged();
    return m_tagDocument.first_child();
}

void XmlScanner::AppendElement(std::string& out, std::size_t limit, const char* tooLarge)
{
    const std::size_t start = out.size();
    out += m_tag;
    if (m_tag.size() > limit)
        throw ReadFailure(tooLarge);
    struct Copying {
        XmlScanner& scanner;
        ~Copying() { scanner.m_copy = nullptr; }
    } copying{*this};
    m_copy = &out;
    m_copyEnd = start + limit;
    m_copyRefusal = tooLarge;
    SkipElement();
}

void XmlScanner::SkipElement()
{
    const int depth = m_depth;
    while (Next()) {
        if (!m_start && m_depth == depth)
            return;
    }
}

}  // namespace zem::workbook
