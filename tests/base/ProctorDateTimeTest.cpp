#include "base/ScheduleProctor.h"

#include <gtest/gtest.h>

namespace {

using DateTime = CProctorData::DateTime;

// Dates and times written by machines with other settings, and what is no date.
TEST(ProctorDateTime, ReadsTheSpellingsOfOtherMachines)
{
    struct Case {
        const char* text;
        DateTime expected;
    };
    const Case good[] = {
        {"05 June 2024", {2024, 6, 5}},
        {"5 jun 2024", {2024, 6, 5}},
        {"05 JUNE 2024", {2024, 6, 5}},
        {"June 5, 2024", {2024, 6, 5}},
        {"29 Feb 2024", {2024, 2, 29}},
        {"1 Sept 2024", {2024, 9, 1}},
        {"05 六月 2024", {2024, 6, 5}},
        {"05 十二月 2024", {2024, 12, 5}},
        {"05 6月 2024", {2024, 6, 5}},
        {"2024年6月5日", {2024, 6, 5}},
        {"2024年十一月5号", {2024, 11, 5}},
        {"2024-06-05", {2024, 6, 5}},
        {"2024/6/5", {2024, 6, 5}},
        {"2024.06.05", {2024, 6, 5}},
        {"June　5，\t2024", {2024, 6, 5}},
        {"6/5/2024", {2024, 6, 5}},
        {"25/12/2024", {2024, 12, 25}},
        {"5 June 24", {2024, 6, 5}},
        {"08:30:00", {0, 0, 0, 8, 30, 0}},
        {"8:30", {0, 0, 0, 8, 30, 0}},
        {"2:30:15 PM", {0, 0, 0, 14, 30, 15}},
        {"12:05 am", {0, 0, 0, 0, 5, 0}},
        {"下午2:30", {0, 0, 0, 14, 30, 0}},
        {"上午 12:00:00", {0, 0, 0, 0, 0, 0}},
        {"2024-06-05 08:30:00", {2024, 6, 5, 8, 30, 0}},
        {"2024-06-05T08:30:00", {2024, 6, 5, 8, 30, 0}},
        {"2024年6月5日 下午3:00", {2024, 6, 5, 15, 0, 0}},
    };
    for (const Case& c : good) {
        DateTime value;
        EXPECT_TRUE(value.Parse(c.text)) << c.text;
        EXPECT_EQ(value, c.expected) << c.text;
    }
    const char* const bad[] = {
        "", "  ", "Invalid DateTime", "31 June 2024", "29 Feb 2023", "5 Juni 2024", "05 十三月 2024", "6/5/24",
        "2024-13-05", "24:00:00", "8:60", "13:00 PM", "PM", "5 June", "2024年", "8:30:00:00", "5 June 2024 x",
        "2024-06-05 8:30 9:30", "99999 June 5",
    };
    for (const char* text : bad) {
        DateTime value{2000, 1, 2, 3, 4, 5};
        EXPECT_FALSE(value.Parse(text)) << text;
        EXPECT_EQ(value, (DateTime{2000, 1, 2, 3, 4, 5})) << text;  // untouched
    }

    EXPECT_EQ((DateTime{2024, 6, 5, 8, 3, 9}.FormatDate()), "05 June 2024");
    EXPECT_EQ((DateTime{2024, 6, 5, 8, 3, 9}.FormatTime()), "08:03:09");
    EXPECT_EQ((DateTime{0, 0, 0, 8, 3, 9}.FormatDate()), "");
    // What reading would refuse is not written.
    EXPECT_EQ((DateTime{2023, 2, 29}.FormatDate()), "");
    EXPECT_EQ((DateTime{0, 0, 0, 24, 0, 0}.FormatTime()), "");
}

}  // namespace
