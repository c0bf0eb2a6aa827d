// Strings, ids, messages and the string table of the program's shared functions.
#include "app/shared/Strings.h"
#include "platform/Hooks.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(SharedStrings, ClampRange)
{
    struct Case {
        int value, low, high, fallback, expected;
    } cases[] = {
        {5, 1, 10, 3, 5}, {15, 1, 10, 3, 3}, {15, 1, 10, 12, 10}, {-2, 1, 10, 0, 1}, {1, 1, 10, 0, 1}, {10, 1, 10, 0, 10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampRange(c.value, c.low, c.high, c.fallback), c.expected) << c.value << " fallback " << c.fallback;
}

TEST(SharedStrings, ArraysCompareWithOrWithoutCase)
{
    std::vector<std::string> names = {"Zhang", "李明"};
    StringArrayAddUnique(names, "ZHANG");
    EXPECT_EQ(names.size(), 2u);
    RemoveString(names, "ZHANG");  // exact comparison: nothing removed
    EXPECT_EQ(names.size(), 2u);
    StringArrayAddAllUnique(names, {"王", "zhang", "王"});
    EXPECT_EQ(names, (std::vector<std::string>{"Zhang", "李明", "王"}));

    std::vector<std::string> many = {"a", "B", "a", "c"};
    RemoveString(many, "a");
    EXPECT_EQ(many, (std::vector<std::string>{"B", "c"}));
    RemoveStringsIn(many, {"b"});
    EXPECT_EQ(many, (std::vector<std::string>{"c"}));
    EXPECT_TRUE(ArrayContainsValue(std::vector<int>{1, 2, 3}, 2));
}

TEST(SharedStrings, MakeUniqueName)
{
    EXPECT_EQ(MakeUniqueName({"一班"}, "二班"), "二班");
    EXPECT_EQ(MakeUniqueName({"一班", "一班(1)"}, "一班"), "一班(2)");
    std::vector<std::string> full = {"x"};
    for (int i = 1; i <= 99; ++i)
        full.push_back("x(" + std::to_string(i) + ")");
    EXPECT_EQ(MakeUniqueName(full, "x"), "x(99)");
}

TEST(SharedStrings, SplitToArrayKeepsEmptyPiecesUnlessDropped)
{
    struct Case {
        const char* text;
        const char* separators;
        bool drop;
        std::vector<std::string> pieces;
    } cases[] = {
        {"a,,b,", ",", false, {"a", "", "b", ""}},
        {"a,,b,", ",", true, {"a", "b"}},
        {"", ",", false, {""}},
        {"", ",", true, {}},
        {"张三 李四", " ", true, {"张三", "李四"}},
        {"a;b,c", ",;", false, {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> out = {"kept"};
        const int added = SplitToArray(c.text, c.separators, out, c.drop);
        EXPECT_EQ(added, static_cast<int>(c.pieces.size())) << c.text;
        out.erase(out.begin());
        EXPECT_EQ(out, c.pieces) << c.text;
    }
}

TEST(SharedStrings, SplitNameListCutsAtTheLeftmostSeparator)
{
    struct Case {
        const char* text;
        std::vector<std::string> pieces;
    } cases[] = {
        {"张三，李四、王五\r\n赵六", {"张三", "李四", "王五", "赵六"}},
        {"张三,", {"张三"}},
        {" 张三 ; 李四 ", {"张三", "李四"}},
        {"", {}},
        {"a\r\n\r\nb", {"a", "b"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> separators;
        std::vector<std::string> out;
        EXPECT_EQ(SplitNameList(c.text, separators, &out, true), static_cast<int>(c.pieces.size())) << c.text;
        EXPECT_EQ(out, c.pieces) << c.text;
        EXPECT_EQ(separators.size(), 7u);  // the defaults were filled in
    }
    // Two separators at one place: the earlier in the array wins.
    std::vector<std::string> shortFirst = {",", ",,"}, longFirst = {",,", ","};
    std::vector<std::string> out;
    SplitNameList("a,,b", shortFirst, &out, false);
    EXPECT_EQ(out, (std::vector<std::string>{"a", "", "b"}));
    out.clear();
    SplitNameList("a,,b", longFirst, &out, false);
    EXPECT_EQ(out, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitNameList("a", longFirst, nullptr, true), -1);
}

TEST(SharedStrings, ColumnLetters)
{
    const std::pair<int, const char*> cases[] = {{1, "A"},   {26, "Z"},   {27, "AA"}, {28, "AB"}, {52, "AZ"},
                                                 {53, "BA"}, {702, "ZZ"}, {703, "AAA"}, {0, ""}, {-5, ""}};
    for (const auto& [column, letters] : cases)
        EXPECT_EQ(ColumnLetters(column), letters) << column;
}

TEST(SharedStrings, NewGuidStringIsThirtyTwoLowerHexDigits)
{
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const std::string id = NewGuidString();
        ASSERT_EQ(id.size(), 32u);
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << id;
        EXPECT_EQ(id[12], '4') << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

TEST(SharedStrings, NowStringFollowsTheClock)
{
    const auto previous = zem::SetClockHook([] { return zem::LocalTime{2026, 3, 1, 8, 5, 9}; });
    EXPECT_EQ(GetNowString(), "2026-03-01 08:05:09");
    zem::SetClockHook(previous);
}

TEST(SharedStrings, MessagesAndTheStringTable)
{
    MessageRecorder recorder;
    EXPECT_EQ(ShowMessage("保存完成"), zem::IDOK);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].caption, "提示");
    EXPECT_EQ(recorder.messages[0].icon, zem::MessageIcon::Information);
    EXPECT_EQ(recorder.messages[0].buttons, zem::MessageButtons::Ok);

    EXPECT_EQ(LoadResString(2), "Tavelin");
    EXPECT_EQ(LoadResString(20), "Tavelin已经在运行");
    EXPECT_EQ(LoadResString(4711), "");
}

TEST(SharedStrings, TextGbkCannotHoldIsRefusedNamingTheCharacter)
{
    std::string message;
    EXPECT_TRUE(CheckGbkText("喆堃玥瑋琝 Zhang", &message));
    EXPECT_FALSE(CheckGbkText("王😀明", &message));
    EXPECT_NE(message.find("“😀”"), std::string::npos) << message;
    EXPECT_FALSE(CheckGbkText("𠀀", &message));  // CJK Extension B
    EXPECT_NE(message.find("“𠀀”"), std::string::npos) << message;
}

TEST(SharedStrings, LineBreaksAndConversions)
{
    EXPECT_EQ(EncodeLineBreaks("a\r\nb\nc", "|"), "a|b|c");
    EXPECT_EQ(DecodeLineBreaks("a|b", "|"), "a\r\nb");
    EXPECT_EQ(DecodeLineBreaks("a|b", ""), "a|b");

    char16_t wide[4];
    EXPECT_EQ(AnsiToWide("李明", wide, 3), 2);
    EXPECT_EQ(std::u16string(wide), u"李明");
    EXPECT_EQ(AnsiToWide("李明", wide, 2), 0);  // no room for the terminating zero
    char narrow[7];
    EXPECT_EQ(WideToAnsi(u"李明", narrow, 7), 6);
    EXPECT_STREQ(narrow, "李明");
    EXPECT_EQ(WideToAnsi(u"李明", narrow, 6), 0);
}

}  // namespace
