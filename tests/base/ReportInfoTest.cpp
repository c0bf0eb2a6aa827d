#include "base/ReportInfo.h"

#include "platform/Hooks.h"

#include <gtest/gtest.h>

namespace {

// Fixes the clock for the life of a test.
class FixedClock {
public:
    explicit FixedClock(zem::LocalTime time) : previous_(zem::SetClockHook([time] { return time; })) {}
    ~FixedClock() { zem::SetClockHook(previous_); }

private:
    zem::ClockHook previous_;
};

TEST(ReportInfo, TimeIsTakenFromTheClockAndWrittenInChinese)
{
    FixedClock clock({2024, 3, 5, 8, 7, 0});
    CReportInfo report;
    EXPECT_EQ(report.GetTime(), "2024年3月5日 8时7分0秒");
    {
        FixedClock later({2024, 12, 31, 23, 59, 59});
        report.SetCurrentTime();
    }
    EXPECT_EQ(report.GetTime(), "2024年12月31日 23时59分59秒");
}

TEST(ReportInfo, TemporaryLossesSumAndMoveToTheBestTry)
{
    CReportInfo report;
    report.AddTempCourseLostInfo("c1", CWeekCount(3, true));
    report.AddTempCourseLostInfo("c2", CWeekCount(0, true));
    report.AddTempCourseLostInfo("c3", CWeekCount(2, false));
    report.AddTempCourseLostInfo("c3", CWeekCount(1, false));  // replaces
    report.GetTempUnDistributionCourse() = {"c4", "c5"};
    EXPECT_EQ(report.GetTempCourseLostCount(), CWeekCount(5, false));

    report.SaveTempInfo();
    EXPECT_EQ(report.GetCourseLostInfo(),
              (CReportInfo::CourseLostMap{{"c1", CWeekCount(3, true)}, {"c2", CWeekCount(0, true)}, {"c3", CWeekCount(1, false)}}));
    EXPECT_TRUE(report.GetTempCourseLostInfo().empty());
    EXPECT_EQ(report.GetTempCourseLostCount(), CWeekCount());
    EXPECT_EQ(report.GetUnDistributionCourse(), (std::vector<std::string>{"c4", "c5"}));
    EXPECT_EQ(report.GetTempUnDistributionCourse(), (std::vector<std::string>{"c4", "c5"}));

    // The temporary map was emptied by the first save, so a second one empties the losses.
    report.SaveTempInfo();
    EXPECT_TRUE(report.GetCourseLostInfo().empty());

    // Clear resets the run's counts and losses but leaves the try's containers and the text.
    report.AddTempCourseLostInfo("c6", CWeekCount(1, false));
    report.SaveTempInfo();
    report.AddTempCourseLostInfo("c7", CWeekCount(2, false));
    report.SetClassCount(12);
    report.AddErrorInfo("教学计划不完整");
    report.SetReportInfo("【自动排课结果】");
    report.Clear();
    EXPECT_EQ(report.GetClassCount(), 0);
    EXPECT_TRUE(report.GetErrorInfo().empty());
    EXPECT_TRUE(report.GetCourseLostInfo().empty());
    EXPECT_EQ(report.GetTempCourseLostCount(), CWeekCount(2, false));
    EXPECT_EQ(report.GetUnDistributionCourse(), (std::vector<std::string>{"c4", "c5"}));
    EXPECT_EQ(report.GetReportInfo(), "【自动排课结果】");

    report.ClearTempInfo();
    EXPECT_TRUE(report.GetTempCourseLostInfo().empty());
    EXPECT_TRUE(report.GetTempUnDistributionCourse().empty());
}

}  // namespace
