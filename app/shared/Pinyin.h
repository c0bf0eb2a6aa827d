#pragma once
// Pinyin of names, for the search boxes: typing "lm" or "liming" finds 李明. Works on the GB2312
// characters of the text's GBK form; syllables are upper-case ASCII without tones ("ü" is "V").
#include <string>
#include <string_view>

class CPinyin {
public:
    CPinyin() = default;
    virtual ~CPinyin() = default;

    // The syllable of a GB2312 zone-position code ((lead - 160) * 100 + trail - 160), or "?".
    static const char* GetSyllable(int code);
    // The text with every GB2312 character replaced by its syllable under the flags below; ASCII is
    // kept, any other character is left out.
    std::string Convert(std::string_view text) const;

    int m_apostrophe = 0;    // "'" after every converted unit
    int m_firstUpper = 1;    // cleared: the first letter of the first syllable in lower case
    int m_restUpper = 1;     // cleared: every other letter of the syllables in lower case
    int m_initialsOnly = 0;  // each syllable cut to its first letter
};

// True when every blank-separated piece of the query, upper-cased, occurs in the upper-cased name,
// its pinyin initials or its full pinyin. An empty query matches every name.
bool PinyinMatch(std::string_view name, std::string_view query);
