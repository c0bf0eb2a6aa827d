#include "platform/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

using namespace zem;

namespace {

TEST(Text, GbkConversionTakesNameCharactersBeyondGb2312)
{
    // 喆 堃 玥 瑋 琝 are GBK but not GB2312.
    std::string gbk;
    ASSERT_TRUE(Utf8ToGbk("喆堃玥瑋琝", gbk));
    EXPECT_EQ(gbk, "\x86\xb4\x88\xd2\xab\x68\xac\x7c\xac\x5c");
    std::string utf8;
    ASSERT_TRUE(GbkToUtf8(gbk, utf8));
    EXPECT_EQ(utf8, "喆堃玥瑋琝");

    EXPECT_FALSE(Utf8ToGbk("a😀", gbk));
    EXPECT_FALSE(IsGbkRepresentable("𠀀"));
    EXPECT_TRUE(IsGbkRepresentable("琝 abc"));
    std::string withRefs;
    ASSERT_TRUE(Utf8ToGbkWithCharRefs("王😀玥", withRefs));
    EXPECT_EQ(withRefs, "\xcd\xf5&#x1F600;\xab\x68");
    EXPECT_FALSE(GbkToUtf8("ab\x81\x7f", utf8));
    EXPECT_EQ(utf8, "ab");
}

// Bytes that are no character once cut a conversion short without a word, or became a reference
// no reader takes; now the conversion fails and the text's first fault is found.
TEST(Text, BytesThatAreNoCharacterFailTheConversion)
{
    struct Case {
        const char* name;
        std::string text;
        std::size_t fault;
    };
    const Case cases[] = {
        {"an overlong slash", "王\xC0\xAF喆玥", 3},
        {"an overlong three-byte form", "a\xE0\x80\xAF" "b", 1},
        {"a lone surrogate", "王\xED\xA0\x80喆", 3},
        {"a surrogate before a character GBK lacks", "\xED\xB0\x80😀", 0},
        {"past U+10FFFF", "x\xF4\x90\x80\x80", 1},
        {"a sequence cut short", "王\xE5\x96", 3},
        {"a stray continuation byte", "😀\x80", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string out = "stale";
        EXPECT_FALSE(Utf8ToGbkWithCharRefs(c.text, out));
        EXPECT_TRUE(out.empty());
        EXPECT_FALSE(Utf8ToGbk(c.text, out));
        EXPECT_EQ(FirstInvalidUtf8(c.text), c.fault);
    }
    // The shortest forms at each length's edge are characters.
    for (const std::string text : {"\xC2\x80", "\xE0\xA0\x80", "\xF0\x90\x80\x80", "\xEF\xBF\xBF", "\xF4\x8F\xBF\xBF"}) {
        EXPECT_EQ(FirstInvalidUtf8(text), std::string::npos);
        std::string out;
        EXPECT_TRUE(Utf8ToGbkWithCharRefs(text, out));
    }
}

TEST(Text, GbkWidthAndPrefixNeverCutACharacter)
{
    struct Case {
        const char* text;
        int width;
        int maxBytes;
        const char* prefix;
    };
    const Case cases[] = {
        {"", 0, 4, ""},
        {"abc", 3, 2, "ab"},
        {"张三a", 5, 3, "张"},
        {"张三a", 5, 4, "张三"},
        {"张三a", 5, 5, "张三a"},
        {"ab张", 4, 3, "ab"},
        {"喆😀x", 5, 4, "喆😀"},
        {"瑋", 2, 1, ""},
        {"€5张", 4, 2, "€5"},  // the euro sign is the one byte 0x80
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GbkWidth(c.text), c.width) << c.text;
        EXPECT_EQ(GbkPrefix(c.text, c.maxBytes), c.prefix) << c.text << " " << c.maxBytes;
    }
}

TEST(Text, CompareGbkSortsNamesInPinyinOrder)
{
    std::vector<std::string> names = {"张三", "王五", "李四", "陈六", "Zoe", "李", "安然", "赵", "Amy"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareGbk(a, b) < 0; });
    EXPECT_EQ(names, (std::vector<std::string>{"Amy", "Zoe", "安然", "陈六", "李", "李四", "王五", "张三", "赵"}));
    EXPECT_EQ(CompareGbk("王五", "王五"), 0);
}

TEST(Text, NumberPrefixesReadWithoutLocale)
{
    struct Case {
        const char* text;
        int integer;
        double decimal;
    };
    const Case cases[] = {
        {"42", 42, 42.0},
        {" \t\n42abc", 42, 42.0},
        {"-7", -7, -7.0},
        {"+5", 5, 5.0},
        {"3.75", 3, 3.75},
        {"1,5", 1, 1.0},
        {".5", 0, 0.5},
        {"1e3", 1, 1000.0},
        {"abc", 0, 0.0},
        {"", 0, 0.0},
        {"-", 0, 0.0},
        {"99999999999", INT_MAX, 99999999999.0},
        {"-99999999999", INT_MIN, -99999999999.0},
        {"２", 0, 0.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseIntPrefix(c.text), c.integer) << '"' << c.text << '"';
        EXPECT_DOUBLE_EQ(ParseDecimalPrefix(c.text), c.decimal) << '"' << c.text << '"';
    }
}

TEST(Text, NoCaseComparisonFoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(EqualsNoCase("Class1班", "cLASS1班"));
    EXPECT_FALSE(EqualsNoCase("Ａ", "ａ"));
    EXPECT_FALSE(EqualsNoCase("ab", "abc"));
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_EQ(ToLowerAscii("ABC张"), "abc张");
}

TEST(Text, Utf16AndTheFirstCharacterGbkLacks)
{
    const std::u16string wide = {u'李', 0xD840, 0xDC00, u'a'};
    EXPECT_EQ(Utf8ToUtf16("李𠀀a"), wide);
    EXPECT_EQ(Utf16ToUtf8(wide), "李𠀀a");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD840, u'x'}), "\uFFFDx");  // a lone surrogate
    EXPECT_EQ(Utf8ToUtf16("\xFF" "a"), u"\uFFFDa");

    EXPECT_EQ(FirstNonGbkChar("喆堃玥瑋琝"), "");
    EXPECT_EQ(FirstNonGbkChar("王😀明𠀀"), "😀");
    EXPECT_EQ(FirstNonGbkChar("a\xFF"), "\\xFF");
}

}  // namespace
