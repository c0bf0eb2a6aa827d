#include "base/SchoolStructure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A structure with only the given days of week 1 in use.
CSchoolStructure WithDays(const std::vector<int>& days)
{
    CSchoolStructure structure;
    for (int day = 0; day < zem::kDayCount; ++day)
        structure.SetWeekDay(day, false);
    for (int day : days)
        structure.SetWeekDay(day, true);
    return structure;
}

TEST(SchoolStructure, NewStructureHasTenDaysOfSixPeriods)
{
    const CSchoolStructure structure;
    EXPECT_EQ(structure.GetWeekDayCount(), 10);
    EXPECT_TRUE(structure.IsDayInUse(9));
    EXPECT_FALSE(structure.IsDayInUse(10));
    EXPECT_FALSE(structure.IsDayInUse(14));
    EXPECT_EQ(structure.GetDayNodeCount(), 6);
    EXPECT_EQ(structure.GetWeekNodeCount(), 60);
    EXPECT_EQ(structure.GetWeekNodeCountOfReading(), 0);
    EXPECT_EQ(structure.GetWeekNodeCountOfSelfStudy(), 0);
    EXPECT_EQ(structure.GetValue(9, 4, 5), 0);
    EXPECT_EQ(structure.GetValue(10, 0, 0), -100);
    EXPECT_EQ(structure.GetNodeCount(0, 0), 0);  // known only after ParseFromXMLData
}

TEST(SchoolStructure, SectionCountsAreCheckedAndFillOnlyDaysInUse)
{
    struct Case {
        int segment, count;
    };
    for (const Case& c : {Case{2, 7}, Case{2, -1}, Case{5, 2}, Case{-1, 2}}) {
        CSchoolStructure structure;
        structure.SetValue(0, 2, 0, -100);
        EXPECT_FALSE(structure.SetSectionNodeMaxCount(c.segment, c.count, true)) << c.segment << " " << c.count;
        EXPECT_EQ(structure.GetSectionNodeMaxCount(2), 0);
        EXPECT_EQ(structure.GetValue(0, 2, 0), -100);
    }

    CSchoolStructure structure;
    structure.SetValue(0, 1, 1, -100);
    structure.SetValue(0, 1, 3, -100);
    ASSERT_TRUE(structure.SetSectionNodeMaxCount(1, 4, true));
    EXPECT_EQ(structure.GetValue(0, 1, 1), -100);  // an old section keeps its status
    EXPECT_EQ(structure.GetValue(0, 1, 3), 0);     // a new one opens
    EXPECT_EQ(structure.GetValue(10, 1, 3), -100);  // but not on a day out of use
    EXPECT_EQ(structure.GetWeekNodeCount(), 60);    // totals wait for RefreshData
    structure.RefreshData();
    EXPECT_EQ(structure.GetWeekNodeCount(), 79);

    ASSERT_TRUE(structure.SetSectionNodeMaxCount(1, 1, true));
    EXPECT_EQ(structure.GetValue(0, 1, 3), 0);  // shrinking changes no slot
    ASSERT_TRUE(structure.SetSectionNodeMaxCount(3, 2, false));
    EXPECT_EQ(structure.GetSectionNodeMaxCount(3), 2);
    EXPECT_EQ(structure.GetSectionNodeMaxCount(5), 0);
    structure.RefreshData();
    EXPECT_EQ(structure.GetWeekNodeCount(), 50);
    EXPECT_EQ(structure.GetWeekNodeCountOfReading(), 20);
}

TEST(SchoolStructure, DayOrderConversions)
{
    const CSchoolStructure weekdays = WithDays({0, 1, 2, 3, 4});
    EXPECT_EQ(weekdays.GetWeekDayCount(), 5);
    const int byOrder[][2] = {{0, 0}, {4, 4}, {5, 5}, {6, 5}, {13, 5}, {14, -1}, {-1, -1}};
    for (const auto& [order, day] : byOrder)
        EXPECT_EQ(weekdays.GetWeekNumberByOrder(order), day) << order;
    const int byNumber[][2] = {{0, 0}, {3, 3}, {6, 5}, {13, 5}, {14, -1}, {-1, -1}};
    for (const auto& [day, order] : byNumber)
        EXPECT_EQ(weekdays.GetWeekOrderByNumber(day), order) << day;

    const CSchoolStructure gaps = WithDays({1, 3, 8});
    EXPECT_EQ(gaps.GetWeekNumberByOrder(0), 1);
    EXPECT_EQ(gaps.GetWeekNumberByOrder(2), 8);
    EXPECT_EQ(gaps.GetWeekOrderByNumber(3), 1);
    EXPECT_EQ(gaps.GetWeekOrderByNumber(8), 2);
}

TEST(SchoolStructure, ValidWeekEnds)
{
    struct Case {
        std::vector<int> days;
        int first, last;
    };
    const Case cases[] = {{{0, 4}, 0, 6}, {{}, 0, 6}, {{7, 13}, 7, 13}, {{6, 7}, 0, 13}};
    for (const Case& c : cases) {
        int first = -1, last = -1;
        WithDays(c.days).GetValidWeekBothEnds(first, last);
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(last, c.last);
    }
}

TEST(SchoolStructure, PeriodNames)
{
    CSchoolStructure structure;
    EXPECT_EQ(structure.GetPeriodName(0, 0, false), "1");
    EXPECT_EQ(structure.GetPeriodName(1, 0, false), "5");
    EXPECT_EQ(structure.GetPeriodName(3, 0, false), "早");
    EXPECT_EQ(structure.GetPeriodName(4, 2, false), "自");

    CPeriodNameList& names = structure.GetCustomPeriodNameList();
    names.Add("10", "第五节");
    EXPECT_EQ(structure.GetPeriodName(1, 0, false), "5");  // names off
    names.SetEnabled(true);
    EXPECT_EQ(structure.GetPeriodName(1, 0, false), "第五节");
    EXPECT_EQ(structure.GetPeriodName(1, 0, true), "5");
    EXPECT_EQ(structure.GetPeriodName(1, 1, false), "6");  // no name of its own
    names.Add(3, 0, "晨读");
    EXPECT_EQ(structure.GetPeriodName(3, 0, false), "晨读");
    ASSERT_TRUE(structure.SetSectionNodeMaxCount(0, 5, false));
    EXPECT_EQ(structure.GetPeriodName(1, 1, false), "7");
}

TEST(SchoolStructure, ParseFromXMLDataCountsOnlySlotsWithinTheSectionCounts)
{
    CSchoolStructure structure = WithDays({0, 1, 2});
    // Day 1: usable slots only beyond the counts (forenoon 4, afternoon 2, others 0).
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        structure.SetSectionValueByString(1, segment, "000011");
    structure.SetSectionValueByString(1, 2, "111111");
    structure.SetSectionValueByString(2, 0, "010111");
    // Day 12: out of use by its flag, but the grid says otherwise.
    structure.SetSectionValueByString(12, 1, "010000");
    structure.ParseFromXMLData();

    EXPECT_TRUE(structure.IsDayInUse(0));
    EXPECT_FALSE(structure.IsDayInUse(1));
    EXPECT_TRUE(structure.IsDayInUse(12));
    EXPECT_EQ(structure.GetWeekDayCount(), 3);
    EXPECT_EQ(structure.GetNodeCount(0, 0), 4);
    EXPECT_EQ(structure.GetNodeCount(1, 2), 0);
    EXPECT_EQ(structure.GetNodeCount(2, 0), 2);
    EXPECT_EQ(structure.GetNodeCount(14, 0), 0);
    EXPECT_EQ(structure.GetWeekNodeCount(), 6 + 2 + 2 + 1);
}

TEST(SchoolStructure, ForEachSlotWalksTheDaysInUseInOrder)
{
    CSchoolStructure week = WithDays({1, 8});
    week.SetSectionNodeMaxCount(0, 2, true);
    week.SetSectionNodeMaxCount(1, 1, true);
    week.SetSectionNodeMaxCount(3, 1, true);
    auto walked = [&week](const SlotWalk& walk) {
        std::string text;
        ForEachSlot(week, walk, [&](const tagTABLE_NODE& node) {
            text += std::to_string(node.day) + std::to_string(node.segment) + std::to_string(node.section) + " ";
        });
        return text;
    };
    struct Case {
        const char* name;
        SlotWalk walk;
        const char* slots;
    } cases[] = {
        {"counted", {}, "100 101 110 130 800 801 810 830 "},
        {"regular segments", {.lastSegment = 2}, "100 101 110 800 801 810 "},
        {"one segment", {.firstSegment = 3, .lastSegment = 3}, "130 830 "},
        {"one day", {.day = 8, .lastSegment = 1}, "800 801 810 "},
        {"a day not in use", {.day = 2}, ""},
        {"all sections", {.day = 1, .lastSegment = 0, .counted = false}, "100 101 102 103 104 105 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(walked(c.walk), c.slots) << c.name;

    // A visit that answers true ends the walk there.
    int visited = 0;
    EXPECT_TRUE(ForEachSlot(week, [&](const tagTABLE_NODE& node) {
        ++visited;
        return node.day == 1 && node.segment == 1;
    }));
    EXPECT_EQ(visited, 3);
    EXPECT_FALSE(ForEachSlot(week, [](const tagTABLE_NODE&) { return false; }));
}

TEST(Activities, KeysNamesAndCombine)
{
    CActivities mine;
    mine.AddActivity(tagTABLE_NODE{10, 2, 3}, "班会");
    mine.AddActivity(tagTABLE_NODE{0, 1, 2}, "升旗");
    EXPECT_EQ(mine.GetMap().count("1023"), 1u);
    EXPECT_EQ(mine.GetActivity({0, 1, 2}), "升旗");

    CActivities theirs;
    theirs.AddActivity("012", "劳动");
    theirs.AddActivity("500", "自习");
    mine.Combine(theirs);
    EXPECT_EQ(mine.GetActivity({0, 1, 2}), "劳动");
    EXPECT_EQ(mine.GetActivity({5, 0, 0}), "自习");
    EXPECT_EQ(mine.GetActivity({10, 2, 3}), "班会");

    mine.DeleteActivity(tagTABLE_NODE{10, 2, 3});
    mine.DeleteActivity("999");
    EXPECT_EQ(mine.GetActivity({10, 2, 3}), "");
    EXPECT_EQ(mine.GetMap().size(), 2u);

    // Day 1, segment 10 would be written "1100", the key of day 11.
    mine.AddActivity(tagTABLE_NODE{1, 10, 0}, "错");
    EXPECT_EQ(mine.GetActivity({11, 0, 0}), "");
    EXPECT_EQ(mine.GetActivity({1, 10, 0}), "");
    EXPECT_EQ(mine.GetMap().size(), 2u);
}

TEST(PeriodNameList, IdsAndQueries)
{
    EXPECT_EQ(CPeriodNameList::MakePeriodId(0, 3), "03");
    struct Case {
        const char* id;
        int segment, section;
        bool ok;
    };
    const Case cases[] = {{"03", 0, 3, true}, {"45", 4, 5, true}, {"3", 0, 3, true}, {"16", 1, 6, false}, {"99", 9, 9, false}};
    for (const Case& c : cases) {
        int segment = -1, section = -1;
        EXPECT_EQ(CPeriodNameList::ParsePeriodId(c.id, segment, section), c.ok) << c.id;
        EXPECT_EQ(segment, c.segment) << c.id;
        EXPECT_EQ(section, c.section) << c.id;
    }

    CPeriodNameList names;
    names.Add(1, 2, "第七节");
    names.Add(0, 12, "错");  // would be "012"
    EXPECT_EQ(names.Query(1, 2), "第七节");
    EXPECT_EQ(names.Query(0, 12), "");
    EXPECT_EQ(names.GetMap().size(), 1u);
}

}  // namespace
