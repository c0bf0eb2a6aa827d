#include "base/WeekCount.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

CWeekCount W(const char* text) { return CWeekCount(text); }

TEST(WeekCount, ParsesAndPrints)
{
    struct Case {
        const char* text;
        int whole;
        bool half;
        const char* printed;
    };
    const Case cases[] = {
        {"3", 3, false, "3"},       {"3.5", 3, true, "3.5"},  {"2。5", 2, true, "2.5"},
        {"2.55", 2, true, "2.5"},   {"2.4", 2, false, "2"},   {"2.6", 2, false, "2"},
        {"0.5", 0, true, "0.5"},    {"-0.5", 0, false, "0"},  {"abc", 0, false, "0"},
        {"", 0, false, "0"},        {"  4.5x", 4, true, "4.5"}, {"1e40", 200000000, false, "200000000"},
    };
    for (const Case& c : cases) {
        const CWeekCount count(c.text);
        EXPECT_EQ(count.GetWholeCount(), c.whole) << c.text;
        EXPECT_EQ(count.HasHalfNode(), c.half) << c.text;
        EXPECT_EQ(count.ToString(), c.printed) << c.text;
    }
    EXPECT_EQ(W("2。5"), CWeekCount(2, true));
    EXPECT_FALSE(W("0.5").IsEmpty());
    EXPECT_TRUE(W("0").IsEmpty());
}

TEST(WeekCount, ParsingIgnoresTheNumericLocale)
{
    // Under a locale whose decimal mark is a comma, atof would read "2.5" as 2.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    const CWeekCount count("2.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(count, CWeekCount(2, true));
}

TEST(WeekCount, Arithmetic)
{
    struct Case {
        const char* a;
        char op;
        const char* b;
        const char* result;
    };
    const Case cases[] = {
        {"1.5", '+', "1.5", "3"}, {"1.5", '+', "1", "2.5"}, {"0", '+', "0.5", "0.5"},
        {"3", '-', "1.5", "1.5"}, {"2.5", '-', "1.5", "1"}, {"2.5", '-', "1", "1.5"},
        {"1", '-', "1.5", "0"},   {"2", '-', "3", "0"},     {"2.5", '-', "3", "0"},
        {"0", '-', "0.5", "0"},   {"3.5", '-', "0.5", "3"},
    };
    for (const Case& c : cases) {
        const CWeekCount r = c.op == '+' ? W(c.a) + W(c.b) : W(c.a) - W(c.b);
        EXPECT_EQ(r.ToString(), c.result) << c.a << c.op << c.b;
    }
    CWeekCount sum(1, true);
    sum += CWeekCount(0, true);
    EXPECT_EQ(sum, CWeekCount(2, false));
}

TEST(WeekCount, Comparisons)
{
    EXPECT_TRUE(W("2") > W("1.5"));
    EXPECT_TRUE(W("2") < W("2.5"));
    EXPECT_TRUE(W("2.5") >= W("2.5"));
    EXPECT_TRUE(W("3") != W("3.5"));
    EXPECT_FALSE(W("2.5") > W("2.5"));
    EXPECT_FALSE(W("2.5") < W("2.5"));
    EXPECT_FALSE(W("1.5") >= W("2"));
}

}  // namespace
