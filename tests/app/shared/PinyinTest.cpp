// Pinyin of names and the search match of the pickers.
#include "app/shared/Pinyin.h"

#include <gtest/gtest.h>

namespace {

TEST(Pinyin, SyllableTable)
{
    const std::pair<int, const char*> cases[] = {
        {1601, "A"},    {1602, "A"},    {1603, "AI"},   {1636, "AO"},   {1788, "BING"}, {1794, "BING"},
        {1801, "BING"}, {1802, "BING"}, {5574, "ZUAN"}, {5589, "ZUO"},  {3278, "LI"},   {3587, "MING"},
        {3432, "LV"},   // 吕
        {2152, "ZHAI"}, {2294, "ER"},   // level-1 codes read from the per-code list
        {5603, "WU"},   {5706, "ER"},   {7746, "ZHAI"}, {8109, "ZHAI"},  // level 2
        {1795, "?"},    {308, "?"},     {8795, "?"},    {0, "?"},
    };
    for (const auto& [code, syllable] : cases)
        EXPECT_STREQ(CPinyin::GetSyllable(code), syllable) << code;
}

TEST(Pinyin, ConvertUnderTheFlags)
{
    CPinyin pinyin;
    EXPECT_EQ(pinyin.Convert("李明"), "LIMING");
    pinyin.m_restUpper = 0;
    EXPECT_EQ(pinyin.Convert("李明"), "Liming");
    pinyin.m_firstUpper = 0;
    EXPECT_EQ(pinyin.Convert("李明（2）"), "liming_2_");  // a GB2312 symbol has no syllable: "?"
    pinyin = CPinyin();
    pinyin.m_initialsOnly = 1;
    EXPECT_EQ(pinyin.Convert("李明"), "LM");
    pinyin = CPinyin();
    pinyin.m_apostrophe = 1;
    EXPECT_EQ(pinyin.Convert("李明3"), "LI'MING'3'");
}

TEST(Pinyin, CharactersOutsideGb2312ContributeNothing)
{
    CPinyin pinyin;
    // 丂 is GBK 81 40: its trail byte is "@" and must not show; 喆 is 86 B4; 😀 has no GBK form.
    EXPECT_EQ(pinyin.Convert("丂喆😀李A"), "LIA");
    EXPECT_EQ(pinyin.Convert("兀"), "WU");  // level 2
}

TEST(Pinyin, SearchMatch)
{
    struct Case {
        const char* name;
        const char* query;
        bool matches;
    } cases[] = {
        {"李明", "li m", true},  {"李明", "lx", false}, {"李明", "LM", true},   {"李明", "liming", true},
        {"李明", "", true},      {"李明", "   ", true},  {"李明", "明", true},   {"李明", "ming li", true},
        {"李明", "lim x", false}, {"Tom李", "tom l", true}, {"Tom李", "TOMLI", true}, {"兀立", "wl", true},
        {"丂", "@", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PinyinMatch(c.name, c.query), c.matches) << c.name << " / " << c.query;
}

}  // namespace
