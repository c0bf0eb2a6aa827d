#include "app/shared/Pinyin.h"

#include "app/shared/Strings.h"
#include "platform/Text.h"

#include <algorithm>
#include <vector>

namespace {

struct PinyinRange {
    short first;
    short last;
    short syllable;
};

struct PinyinCode {
    short code;
    short syllable;
};

#include "PinyinTable.inc"

// The GBK bytes of the text; a character GBK cannot hold is left out.
std::string GbkOf(std::string_view text)
{
    std::string gbk;
    if (zem::Utf8ToGbk(text, gbk))
        return gbk;
    gbk.clear();
    std::string one;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = zem::Utf8CharLength(text, pos);
        if (zem::Utf8ToGbk(text.substr(pos, length), one))
            gbk += one;
        pos += length;
    }
    return gbk;
}

std::string ConvertGbk(const CPinyin& flags, std::string_view gbk)
{
    std::string out;
    out.reserve(gbk.size() * 3);
    bool converted = false;  // a syllable was written
    for (std::size_t i = 0; i < gbk.size();) {
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            if (flags.m_apostrophe)
                out += '\'';
            ++i;
            continue;
        }
        if (i + 1 >= gbk.size() || b == 0x80) {
            ++i;  // a lone high byte, or the one-byte euro sign
            continue;
        }
        const auto t = static_cast<unsigned char>(gbk[i + 1]);
        if (b < 0xA1 || t < 0xA1) {
            // A GBK character outside GB2312 has no syllable. Both of its bytes are skipped: its
            // trail byte may look like an ASCII letter, which must not turn up in the pinyin.
            i += 2;
            continue;
        }
        std::string syllable = CPinyin::GetSyllable((b - 160) * 100 + (t - 160));
        if (flags.m_initialsOnly && !syllable.empty())
            syllable.resize(1);
        // Only the text's first syllable has a first letter: with the rest in lower case 李明 reads
        // "Liming", as a name is written.
        for (std::size_t k = 0; k < syllable.size(); ++k) {
            const bool first = k == 0 && !converted;
            if ((first && !flags.m_firstUpper) || (!first && !flags.m_restUpper))
                syllable[k] = static_cast<char>(syllable[k] + 0x20);
        }
        converted = true;
        out += syllable;
        if (flags.m_apostrophe)
            out += '\'';
        i += 2;
    }
    return out;
}

std::string UpperAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    return upper;
}

}  // namespace

const char* CPinyin::GetSyllable(int code)
{
    const auto byCode = std::lower_bound(std::begin(kCodes), std::end(kCodes), code,
                                         [](const PinyinCode& entry, int c) { return entry.code < c; });
    if (byCode != std::end(kCodes) && byCode->code == code)
        return kSyllables[byCode->syllable];
    const auto range = std::upper_bound(std::begin(kRanges), std::end(kRanges), code,
                                        [](int c, const PinyinRange& entry) { return c < entry.first; });
    if (range != std::begin(kRanges) && code <= std::prev(range)->last)
        return kSyllables[std::prev(range)->syllable];
    return "?";
}

std::string CPinyin::Convert(std::string_view text) const
{
    return ConvertGbk(*this, GbkOf(text));
}

bool PinyinMatch(std::string_view name, std::string_view query)
{
    std::vector<std::string> pieces;
    SplitToArray(query, " ", pieces, true);
    if (pieces.empty())
        return true;
    // Latin letters of a mixed name are upper-cased in the pinyin too, so that "tomli" finds "Tom李".
    const std::string upperName = UpperAscii(name);
    const std::string gbk = GbkOf(upperName);
    CPinyin pinyin;
    pinyin.m_initialsOnly = 1;
    const std::string initials = ConvertGbk(pinyin, gbk);
    pinyin.m_initialsOnly = 0;
    const std::string full = ConvertGbk(pinyin, gbk);
    for (const std::string& piece : pieces) {
        const std::string upper = UpperAscii(piece);
        if (upperName.find(upper) == std::string::npos && initials.find(upper) == std::string::npos &&
            full.find(upper) == std::string::npos)
            return false;
    }
    return true;
}
