// The program's fixed vocabularies.
#include "app/shared/Vocabulary.h"
#include "base/SchoolStructure.h"

#include <gtest/gtest.h>

namespace {

TEST(Vocabulary, NextGradeName)
{
    struct Case {
        const char* name;
        int preset;
        const char* next;
    } cases[] = {
        {"初三(2)班", 5, "初一(2)班"},    // the last of "一二三" is followed by the first
        {"初三(2)班", 2, "初四(2)班"},    // "一二三四五六"
        {"一年级三班", 2, "二年级三班"},  // only the first grade character changes
        {"大班", 0, "托班"},
        {"高1班", 7, "高2班"},
        {"高中", 5, "高中"},             // no character of the preset
        {"初三", 11, "初三"},            // no such preset
    };
    for (const Case& c : cases)
        EXPECT_EQ(CGradeNamePresets::NextGradeName(c.name, c.preset), c.next) << c.name << " " << c.preset;
    EXPECT_EQ(CGradeNamePresets::GetCount(), 11);
    EXPECT_EQ(CGradeNamePresets::GetAt(10), "789");
}

TEST(Vocabulary, GradeSortKeyOrdersGrades)
{
    std::vector<std::string> names = {"初三1班", "初一2班", "初二1班", "大班", "托班"};
    for (std::string& name : names)
        GradeSortKey(name);
    EXPECT_EQ(names, (std::vector<std::string>{"初21班", "初02班", "初11班", "3班", "0班"}));
    EXPECT_LT(names[1], names[2]);
    EXPECT_LT(names[2], names[0]);
}

TEST(Vocabulary, DaysSegmentsAndPeriods)
{
    EXPECT_EQ(GetWeekdayName(6, false), "星期日");
    EXPECT_EQ(GetWeekdayName(7, true), "一");
    EXPECT_EQ(GetWeekdayName(14, true), "");
    EXPECT_EQ(GetSectionKindNames(4), "晚自习");
    EXPECT_EQ(GetSectionKindNames(5), "");

    CSchoolStructure week;  // four forenoon and two afternoon periods
    for (int day = 0; day < 14; ++day)
        week.SetWeekDay(day, day < 5 || day == 7 || day == 13);
    std::vector<std::string> days;
    CollectUsedDayNames(days, week, true);
    EXPECT_EQ(days, (std::vector<std::string>{"一", "二", "三", "四", "五", "一", "日"}));
    days.clear();
    CollectUsedDayNames(days, week, false);
    EXPECT_EQ(days.back(), "星期日");
    // A message tells the two Mondays of a two-week school apart; a school of one week has one.
    EXPECT_EQ(GetDayName(week, 0), "第1周星期一");
    EXPECT_EQ(GetDayName(week, 7), "第2周星期一");
    EXPECT_EQ(GetDayName(week, 14), "");
    CSchoolStructure oneWeek;
    for (int day = 0; day < 14; ++day)
        oneWeek.SetWeekDay(day, day < 6);
    EXPECT_EQ(GetDayName(oneWeek, 2), "星期三");

    week.SetSectionNodeMaxCount(3, 1, true);
    week.SetSectionNodeMaxCount(4, 1, true);
    std::vector<std::string> periods;
    GetPeriodNames(periods, week);
    ASSERT_EQ(periods.size(), 8u);
    EXPECT_EQ(periods.front(), week.GetPeriodName(3, 0, false));
    EXPECT_EQ(periods[1], week.GetPeriodName(0, 0, false));
    EXPECT_EQ(periods.back(), week.GetPeriodName(4, 0, false));
}

TEST(Vocabulary, CourseKindsAndSegments)
{
    EXPECT_EQ(GetCourseKindName(2), "晚自习");
    EXPECT_EQ(GetCourseKindName(3), "Unknown Course Type");
    EXPECT_EQ(ParseCourseKind("早读"), 1);
    EXPECT_EQ(ParseCourseKind("晚自习"), 2);
    EXPECT_EQ(ParseCourseKind("常规"), 0);

    const std::tuple<int, int, bool> accepts[] = {{1, 0, true}, {3, 0, false}, {4, 2, true}, {3, 1, true},
                                                  {2, 2, false}, {5, 0, false}, {-1, 0, false}};
    for (const auto& [segment, kind, expected] : accepts)
        EXPECT_EQ(SegmentAcceptsCourseKind(segment, kind), expected) << segment << "," << kind;

    std::vector<int> segments = {9};
    EXPECT_EQ(AddSegmentsOfCourseKind(0, &segments), 4);
    EXPECT_EQ(segments, (std::vector<int>{9, 0, 1, 2}));
    EXPECT_EQ(AddSegmentsOfCourseKind(2, nullptr), 0);

    EXPECT_EQ(GetOddEvenName(2), "双周");
    EXPECT_EQ(GetOddEvenName(0), "");
    EXPECT_EQ(GetObjectKindName(1), "教师");
    EXPECT_EQ(GetObjectKindName(7), "班级");
    std::vector<std::string> activities;
    GetActivityKindNames(activities);
    ASSERT_EQ(activities.size(), 9u);
    EXPECT_EQ(activities.back(), "课后服务");
}

TEST(Vocabulary, Continuity)
{
    EXPECT_EQ(FormatContinuityCount(0), "不连");
    EXPECT_EQ(FormatContinuityCount(1), "不连");
    EXPECT_EQ(FormatContinuityCount(2), "2");
    EXPECT_EQ(FormatContinuity(0), "自动");
    EXPECT_EQ(FormatContinuity(3), "3");
    const std::pair<const char*, int> counts[] = {{"不连", 1}, {"单排", 1}, {"0", 1}, {"3", 3}, {"x", 1}};
    for (const auto& [text, value] : counts)
        EXPECT_EQ(ParseContinuityCount(text), value) << text;
    EXPECT_EQ(ParseContinuity("自动"), 0);
    EXPECT_EQ(ParseContinuity("2"), 2);
}

TEST(Vocabulary, NormalizeName)
{
    std::string name = " 初一 (1)\n班 ";
    NormalizeName(name);
    EXPECT_EQ(name, "初一（1）班");
}

}  // namespace
