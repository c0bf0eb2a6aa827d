#include "platform/Text.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zem {
namespace {

// One converter per thread and direction: iconv_open is costly and an iconv_t is not thread-safe.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; false at the first sequence that cannot be converted. `consumed`
    // tells how many input bytes were converted.
    bool Convert(std::string_view in, std::string& out, std::size_t* consumed = nullptr)
    {
        out.clear();
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buffer[4096];
        bool ok = true;
        while (srcLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            // errno is iconv's only until the next call: the append below may set it too.
            const bool stopped = r == static_cast<std::size_t>(-1) && errno != E2BIG;
            out.append(buffer, dst - buffer);
            if (stopped) {
                ok = false;
                break;
            }
        }
        if (ok) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
            out.append(buffer, dst - buffer);
        }
        if (consumed)
            *consumed = in.size() - srcLeft;
        return ok;
    }

private:
    iconv_t cd_;
};

Converter& FromGbk()
{
    thread_local Converter converter("UTF-8", "GBK");
    return converter;
}

Converter& FromGb18030()
{
    thread_local Converter converter("UTF-8", "GB18030");
    return converter;
}

Converter& ToGbk()
{
    thread_local Converter converter("GBK", "UTF-8");
    return converter;
}

// Decodes one UTF-8 character at pos; -1 when the bytes are not valid UTF-8.
long DecodeUtf8(std::string_view text, std::size_t pos, std::size_t& length)
{
    const auto c = static_cast<unsigned char>(text[pos]);
    length = 1;
    if (c < 0x80)
        return c;
    int extra;
    long cp;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return -1;
    }
    if (pos + extra >= text.size())
        return -1;
    for (int i = 1; i <= extra; ++i) {
        const auto b = static_cast<unsigned char>(text[pos + i]);
        if ((b & 0xC0) != 0x80)
            return -1;
        cp = (cp << 6) | (b & 0x3F);
    }
    // An overlong form ("C0 AF" for '/'), a surrogate or a value past U+10FFFF is no character:
    // the converters refuse it, and a reader must not take it for one.
    static constexpr long kShortest[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kShortest[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return -1;
    length = extra + 1;
    return cp;
}

}  // namespace

bool GbkToUtf8(std::string_view gbk, std::string& out) { return FromGbk().Convert(gbk, out); }

bool Gb18030ToUtf8(std::string_view gb18030, std::string& out) { return FromGb18030().Convert(gb18030, out); }

bool Utf8ToGbk(std::string_view utf8, std::string& out) { return ToGbk().Convert(utf8, out); }

bool Utf8ToGbkWithCharRefs(std::string_view utf8, std::string& out)
{
    if (ToGbk().Convert(utf8, out))
        return true;
    // Slow path, only for text with characters GBK lacks: convert character by character.
    out.clear();
    std::string piece;
    std::size_t runStart = 0;
    std::size_t pos = 0;
    auto flushRun = [&](std::size_t end) {
        if (end <= runStart)
            return true;
        const bool converted = ToGbk().Convert(utf8.substr(runStart, end - runStart), piece);
        out += piece;
        return converted;
    };
    while (pos < utf8.size()) {
        std::size_t length;
        const long cp = DecodeUtf8(utf8, pos, length);
        // Bytes that are no character have no form to write: the caller hears of it rather
        // than getting a text cut short or a reference no reader takes.
        if (cp < 0) {
            out.clear();
            return false;
        }
        if (cp >= 0x80 && !ToGbk().Convert(utf8.substr(pos, length), piece)) {
            if (!flushRun(pos)) {
                out.clear();
                return false;
            }
            out += Format("&#x%lX;", cp);
            runStart = pos + length;
        }
        pos += length;
    }
    if (!flushRun(utf8.size())) {
        out.clear();
        return false;
    }
    return true;
}

namespace {
// The GBK form for comparing: characters GBK lacks as references, bytes that are no UTF-8 as
// they are (a comparison must still order them somewhere).
std::string GbkSortKey(std::string_view utf8)
{
    std::string out;
    if (Utf8ToGbkWithCharRefs(utf8, out))
        return out;
    out.clear();
    std::string piece;
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t length;
        if (DecodeUtf8(utf8, pos, length) >= 0 && Utf8ToGbkWithCharRefs(utf8.substr(pos, length), piece))
            out += piece;
        else
            out.append(utf8.substr(pos, length));
        pos += length;
    }
    return out;
}
}  // namespace

bool IsGbkRepresentable(std::string_view utf8)
{
    std::string out;
    return ToGbk().Convert(utf8, out);
}

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t length;
        long cp = DecodeUtf8(utf8, pos, length);
        if (cp < 0 || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            cp = 0xFFFD;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        pos += length;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        unsigned long cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string FirstNonGbkChar(std::string_view utf8)
{
    if (IsGbkRepresentable(utf8))
        return {};
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t length = Utf8CharLength(utf8, pos);
        const std::string_view c = utf8.substr(pos, length);
        if (!IsGbkRepresentable(c))
            return length == 1 ? Format("\\x%02X", static_cast<unsigned char>(c[0])) : std::string(c);
        pos += length;
    }
    return {};
}

std::size_t Utf8CharLength(std::string_view text, std::size_t pos)
{
    std::size_t length;
    DecodeUtf8(text, pos, length);
    return length;
}

std::size_t FirstInvalidUtf8(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = Utf8CharLength(text, pos);
        if (length == 1 && static_cast<unsigned char>(text[pos]) >= 0x80)
            return pos;
        pos += length;
    }
    return std::string_view::npos;
}

namespace {
// GBK bytes of the character of `length` bytes at pos: one for ASCII and for the euro sign, which
// the code page keeps at the single byte 0x80; two for every other.
int CharGbkWidth(std::string_view utf8, std::size_t pos, std::size_t length)
{
    if (static_cast<unsigned char>(utf8[pos]) < 0x80 || utf8.substr(pos, length) == "\u20AC")
        return 1;
    return 2;
}
}  // namespace

int GbkWidth(std::string_view utf8)
{
    int width = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t length = Utf8CharLength(utf8, pos);
        width += CharGbkWidth(utf8, pos, length);
        pos += length;
    }
    return width;
}

std::string_view GbkPrefix(std::string_view utf8, int maxBytes)
{
    int width = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t length = Utf8CharLength(utf8, pos);
        const int w = CharGbkWidth(utf8, pos, length);
        if (width + w > maxBytes)
            break;
        width += w;
        pos += length;
    }
    return utf8.substr(0, pos);
}

int CompareGbk(std::string_view a, std::string_view b)
{
    const std::string ga = GbkSortKey(a);
    const std::string gb = GbkSortKey(b);
    const int r = std::memcmp(ga.data(), gb.data(), std::min(ga.size(), gb.size()));
    if (r != 0)
        return r < 0 ? -1 : 1;
    return ga.size() < gb.size() ? -1 : (ga.size() > gb.size() ? 1 : 0);
}

namespace {
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

int CompareNoCase(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(LowerAscii(a[i]));
        const auto cb = static_cast<unsigned char>(LowerAscii(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int CompareGbkNoCase(std::string_view a, std::string_view b)
{
    return CompareNoCase(GbkSortKey(a), GbkSortKey(b));
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareNoCase(a, b) == 0; }

std::string ToLowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

std::string FormatV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    char buffer[256];
    const int n = std::vsnprintf(buffer, sizeof buffer, format, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (static_cast<std::size_t>(n) < sizeof buffer)
        return std::string(buffer, n);
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(n);
    return out;
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = FormatV(format, args);
    va_end(args);
    return out;
}

namespace {
std::string_view SkipLeadingSpace(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    return text.substr(i);
}
}  // namespace

double ParseDecimalPrefix(std::string_view text)
{
    text = SkipLeadingSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.'))
        return 0.0;
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        value = HUGE_VAL;
    else if (result.ec != std::errc())
        return 0.0;
    return negative ? -value : value;
}

int ParseIntPrefix(std::string_view text)
{
    text = SkipLeadingSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return text;
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

std::string_view Trim(std::string_view text)
{
    const char* spaces = " \t\r\n\v\f";
    const std::size_t begin = text.find_first_not_of(spaces);
    if (begin == std::string_view::npos)
        return {};
    const std::size_t end = text.find_last_not_of(spaces);
    return text.substr(begin, end - begin + 1);
}

}  // namespace zem
