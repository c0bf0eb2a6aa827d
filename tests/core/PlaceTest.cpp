// Placing plans and choosing their slots: blocks and single lessons, the segments of each kind,
// combined classes, spreading over the week, half lessons and their pairs, exclusive subjects and
// teachers.
#include "support/EngineRun.h"
#include "support/SchoolBuilder.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

// A five-day week of 4 forenoon and 3 afternoon periods, classes c1 and c2, subjects s1..s4 and
// teachers t1..t4.
struct School {
    SchoolBuilder b;
    MessageRecorder recorder;  // the engine's notes about unsaved files

    School()
    {
        b.Class("c1", "一班");
        b.Class("c2", "二班");
        for (const char* id : {"s1", "s2", "s3", "s4"})
            b.Subject(id, std::string("科目") + id);
        for (const char* id : {"t1", "t2", "t3", "t4"})
            b.Teacher(id, std::string("老师") + id);
    }
    CScheduleTask& Task() { return b.Task(); }
    CCourseInfo& Plan(const char* id) { return *b.Task().FindCourse(id); }
};

// Slots grouped by day: day -> segment*10 + section.
std::map<int, std::vector<int>> ByDay(const std::vector<int>& slots)
{
    std::map<int, std::vector<int>> days;
    for (int slot : slots)
        days[slot / 100].push_back(slot % 100);
    return days;
}

TEST(CorePlace, FiveLessonsInBlocksOfTwoTwiceGiveTwoTwoOne)
{
    for (std::uint64_t seed = 1; seed <= 5; ++seed) {
        School s;
        CCourseInfo* plan = s.b.Course("p", "c1", "s1", "t1", "5");
        plan->SetContinuousNodes(2);
        plan->SetContinuousTimes(2);
        ASSERT_EQ(RunEngine(s.Task(), TestOptions(seed)).code, 1);
        std::multiset<int> sizes;
        for (const auto& [day, periods] : ByDay(SlotsOf(*plan))) {
            sizes.insert(static_cast<int>(periods.size()));
            if (periods.size() == 2) {
                EXPECT_EQ(periods[1], periods[0] + 1) << "a block is two periods in a row, seed " << seed;
            }
        }
        EXPECT_EQ(sizes, (std::multiset<int>{1, 2, 2})) << "seed " << seed;
    }
}

TEST(CorePlace, BlocksFallBackToSinglesOnlyWithContinuousTimes)
{
    struct Case {
        int times;
        CWeekCount placed;
    };
    for (const Case& c : {Case{0, CWeekCount()}, Case{1, CWeekCount(3, false)}}) {
        School s;
        // Every other period closed: no two free periods in a row.
        std::string closed;
        for (int day = 0; day < 5; ++day)
            for (int slot : {1, 3, 11})
                closed += std::to_string(day * 100 + slot) + ",";
        s.b.FixedTime<CFixedTimeOfClass>(s.Task().GetFixedTimeOfClassList(), "c1", closed);
        CCourseInfo* plan = s.b.Course("p", "c1", "s1", "t1", "3");
        plan->SetContinuousNodes(2);
        plan->SetContinuousTimes(c.times);
        const CoreRunStats stats = RunEngine(s.Task());
        EXPECT_EQ(LessonsOf(*plan), c.placed) << "continuous times " << c.times;
        EXPECT_EQ(stats.code, c.placed == plan->GetWeekCount() ? 1 : 3);
    }
}

TEST(CorePlace, EachKindStaysInItsSegment)
{
    School s;
    CSchoolStructure& week = s.Task().GetSchoolStructure();
    week.SetSectionNodeMaxCount(3, 1, true);
    week.SetSectionNodeMaxCount(4, 2, true);
    week.RefreshData();
    CCourseInfo* reading = s.b.SelfStudy("mr", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING, "3");
    CCourseInfo* evening = s.b.SelfStudy("ss", "c1", "s2", "t2", COURSE_TYPE_SELF_STUDY, "4");
    CCourseInfo* plan = s.b.Course("p", "c1", "s3", "t3", "6");
    ASSERT_EQ(RunEngine(s.Task()).code, 1);
    for (const auto& [course, segments] : {std::pair{reading, std::set<int>{3}}, std::pair{evening, std::set<int>{4}},
                                           std::pair{plan, std::set<int>{0, 1}}}) {
        EXPECT_EQ(LessonsOf(*course), course->GetWeekCount());
        for (int slot : SlotsOf(*course))
            EXPECT_TRUE(segments.count(slot % 100 / 10)) << course->GetId() << " at " << slot;
    }
}

TEST(CorePlace, CombinedPartnersGetTheSameSlotsOnce)
{
    School s;
    CCourseInfo* p1 = s.b.Course("p1", "c1", "s1", "t1", "4");
    CCourseInfo* p2 = s.b.Course("p2", "c2", "s1", "t2", "4");
    s.b.Course("q1", "c1", "s2", "t3", "6");
    s.b.Course("q2", "c2", "s2", "t3", "6");
    s.b.Combined("cc", {"p1", "p2"});
    ASSERT_EQ(RunEngine(s.Task()).code, 1);
    EXPECT_EQ(SlotsOf(*p1).size(), 4u);
    EXPECT_EQ(SlotsOf(*p1), SlotsOf(*p2));
    for (int slot : SlotsOf(*p1))
        EXPECT_TRUE(s.Task().GetTeacher("t2")->GetTable(false).IsUsed(slot / 100, slot / 10 % 10, slot % 10));
    EXPECT_TRUE(ScheduleIsValid(s.Task()));
}

// Each class of a combined lesson is closed where the other is free: a plan placed first must
// keep off its partner's no-class times as well as its own, whichever of the two goes first.
TEST(CorePlace, ACombinedLessonKeepsOffEachPartnersNoClassTime)
{
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        School s;
        std::string forenoons;
        for (int day = 0; day < 5; ++day)
            for (int section = 0; section < 4; ++section)
                forenoons += std::to_string(day * 100 + section) + ",";
        s.b.FixedTime<CFixedTimeOfClass>(s.Task().GetFixedTimeOfClassList(), "c1", "10,11,12,110,111,112,");
        s.b.FixedTime<CFixedTimeOfClass>(s.Task().GetFixedTimeOfClassList(), "c2", forenoons);
        CCourseInfo* p1 = s.b.Course("p1", "c1", "s1", "t1", "3");
        s.b.Course("p2", "c2", "s1", "t2", "3");
        s.b.Combined("cc", {"p1", "p2"});
        EXPECT_EQ(RunEngine(s.Task(), TestOptions(seed)).code, 1) << "seed " << seed;
        for (int slot : SlotsOf(*p1))
            EXPECT_TRUE(slot % 100 / 10 == 1 && slot / 100 >= 2) << "seed " << seed << " at " << slot;
        EXPECT_TRUE(ScheduleIsValid(s.Task())) << "seed " << seed;
    }
}

TEST(CorePlace, ConcentratedLessonGoesNextToTheTeachersOther)
{
    School s;
    CSchoolStructure& week = s.Task().GetSchoolStructure();
    week.SetSectionNodeMaxCount(4, 3, true);
    week.RefreshData();
    ASSERT_TRUE(s.Task().GetTaskSetting().GetConcentrateSelfstudy());
    s.b.SelfStudy("a", "c1", "s1", "t1", COURSE_TYPE_SELF_STUDY, "1");
    CCourseInfo* b = s.b.SelfStudy("b", "c2", "s1", "t1", COURSE_TYPE_SELF_STUDY, "1");
    s.b.Preset("a", "241,");
    ASSERT_EQ(RunEngine(s.Task()).code, 1);
    const std::vector<int> slots = SlotsOf(*b);
    ASSERT_EQ(slots.size(), 1u);
    EXPECT_TRUE(slots[0] == 240 || slots[0] == 242) << slots[0];
}

TEST(CorePlace, TwoLessonsGoOnDaysApart)
{
    for (std::uint64_t seed = 1; seed <= 5; ++seed) {
        School s;
        CCourseInfo* plan = s.b.Course("p", "c1", "s1", "t1", "2");
        ASSERT_EQ(RunEngine(s.Task(), TestOptions(seed)).code, 1);
        const auto days = ByDay(SlotsOf(*plan));
        ASSERT_EQ(days.size(), 2u);
        EXPECT_GE(days.rbegin()->first - days.begin()->first, 2) << "seed " << seed;
    }
}

TEST(CorePlace, HalfLessonFallsOnEitherHalfOfItsSlot)
{
    std::set<int> halves;
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
        School s;
        CCourseInfo* plan = s.b.Course("p", "c1", "s1", "t1", "0.5");
        ASSERT_EQ(RunEngine(s.Task(), TestOptions(seed)).code, 1);
        const std::vector<int> slots = SlotsOf(*plan);
        ASSERT_EQ(slots.size(), 1u);
        const int slot = slots[0];
        const CCourseTable& table = plan->GetTable(false);
        EXPECT_EQ(table.GetValue(slot / 100, slot / 10 % 10, slot % 10), CTimeTable::kHalfUsed);
        halves.insert(table.GetNode(slot / 100, slot / 10 % 10, slot % 10).GetOddEven("p"));
    }
    EXPECT_EQ(halves, (std::set<int>{1, 2}));
}

TEST(CorePlace, HalfLessonsOfTwoSubjectsShareASlot)
{
    struct Case {
        const char* secondSubject;
        bool shared;
    };
    for (const Case& c : {Case{"s2", true}, Case{"s1", false}}) {
        School s;
        CCourseInfo* a = s.b.Course("a", "c1", "s1", "t1", "0.5");
        CCourseInfo* b = s.b.Course("b", "c1", c.secondSubject, "t2", "0.5");
        ASSERT_EQ(RunEngine(s.Task()).code, 1);
        ASSERT_EQ(SlotsOf(*a).size(), 1u);
        EXPECT_EQ(SlotsOf(*a) == SlotsOf(*b), c.shared) << c.secondSubject;
        if (c.shared) {
            const int slot = SlotsOf(*a)[0];
            const CCourseTableNode& cell = s.Task().GetClass("c1")->GetTable(false).GetNode(slot / 100, slot / 10 % 10, slot % 10);
            EXPECT_EQ(std::set<int>({cell.GetOddEven("a"), cell.GetOddEven("b")}), (std::set<int>{1, 2}));
        }
        EXPECT_TRUE(ScheduleIsValid(s.Task()));
    }
}

// Every slot of the week as fixed-time text, but the ones given.
std::string EverySlotBut(std::initializer_list<int> open)
{
    std::string text;
    for (int day = 0; day < 5; ++day)
        for (int slot : {0, 1, 2, 3, 10, 11, 12})
            if (std::find(open.begin(), open.end(), day * 100 + slot) == open.end())
                text += std::to_string(day * 100 + slot) + ",";
    return text;
}

// A user's pair puts its odd course in the odd half and its even course in the even half.
TEST(CorePlace, AUsersPairKeepsItsSides)
{
    for (const auto& [odd, even] : {std::pair{"a", "b"}, std::pair{"b", "a"}}) {
        School s;
        s.b.Course("a", "c1", "s1", "t1", "0.5");
        s.b.Course("b", "c1", "s2", "t2", "0.5");
        s.b.OddEven("oe", odd, even);
        ASSERT_EQ(RunEngine(s.Task()).code, 1);
        const std::vector<int> slots = SlotsOf(s.Plan(odd));
        ASSERT_EQ(slots.size(), 1u);
        const int slot = slots[0];
        const CCourseTableNode& cell = s.Task().GetClass("c1")->GetTable(false).GetNode(slot / 100, slot / 10 % 10, slot % 10);
        EXPECT_EQ(cell.GetOddEven(odd), 1) << odd;
        EXPECT_EQ(cell.GetOddEven(even), 2) << even;
    }
}

// 一班's only open slot holds a whole-week preset of the teacher of one side of a pair in 二班:
// that side may not go there in its half of the weeks, the other side may.
TEST(CorePlace, ATeachersWholeWeekLessonBlocksBothHalvesForAPair)
{
    for (const char* busySide : {"odd", "even"}) {
        School s;
        s.b.FixedTime<CFixedTimeOfClass>(s.Task().GetFixedTimeOfClassList(), "c1", EverySlotBut({0}));
        s.b.Course("q", "c2", "s3", "t1", "1");
        s.b.Preset("q", "0,");
        const bool evenBusy = std::string(busySide) == "even";
        CCourseInfo* a = s.b.Course("a", "c1", "s1", evenBusy ? "t2" : "t1", "0.5");
        CCourseInfo* b = s.b.Course("b", "c1", "s2", evenBusy ? "t1" : "t2", "0.5");
        s.b.OddEven("oe", "a", "b");
        RunEngine(s.Task());
        EXPECT_TRUE(ScheduleIsValid(s.Task())) << busySide;
        EXPECT_EQ(LessonsOf(evenBusy ? *b : *a), CWeekCount()) << busySide;
        EXPECT_EQ(LessonsOf(evenBusy ? *a : *b), CWeekCount(0, true)) << busySide;
    }
}

// A block of two may not go to the one day with room for it, where a preset lesson already is:
// three lessons there would pass the plan's most of two a day.
TEST(CorePlace, ABlockKeepsTheDailyMaximumBesideAPreset)
{
    School s;
    s.b.FixedTime<CFixedTimeOfClass>(s.Task().GetFixedTimeOfClassList(), "c1", EverySlotBut({0, 1, 2, 3, 100}));
    CCourseInfo* plan = s.b.Course("p", "c1", "s1", "t1", "3");
    plan->SetContinuousNodes(2);
    plan->SetContinuousTimes(1);
    s.b.Preset("p", "0,");
    ASSERT_EQ(s.Task().GetOneDayMaxNodes(plan), 2);
    RunEngine(s.Task());
    EXPECT_LE(ByDay(SlotsOf(*plan))[0].size(), 2u);
    EXPECT_TRUE(ScheduleIsValid(s.Task()));
}

// A pair's half lesson counts for its plan's day too: not on the roomy Monday, where the preset
// lesson already gives the plan its one lesson a day.
TEST(CorePlace, APairedHalfLessonKeepsItsPlansDailyMaximum)
{
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        School s;
        s.b.FixedTime<CFixedTimeOfClass>(s.Task().GetFixedTimeOfClassList(), "c1", EverySlotBut({0, 1, 2, 3, 100, 200}));
        CCourseInfo* a = s.b.Course("a", "c1", "s1", "t1", "1.5");
        s.b.Course("b", "c1", "s2", "t2", "0.5");
        s.b.OddEven("oe", "a", "b");
        s.b.Preset("a", "0,");
        EXPECT_EQ(RunEngine(s.Task(), TestOptions(seed)).code, 1) << seed;
        EXPECT_EQ(LessonsOf(*a), CWeekCount(1, true)) << seed;
        EXPECT_TRUE(ScheduleIsValid(s.Task())) << seed;
    }
}

TEST(CorePlace, ExclusiveSubjectsNeverShareADay)
{
    School s;
    CCourseInfo* a = s.b.Course("a", "c1", "s1", "t1", "2");
    CCourseInfo* b = s.b.Course("b", "c1", "s2", "t2", "3");
    s.b.MutexSubjects("m", {"s1", "s2"});
    ASSERT_EQ(RunEngine(s.Task()).code, 1);
    const auto otherDays = ByDay(SlotsOf(*b));
    for (const auto& [day, periods] : ByDay(SlotsOf(*a)))
        EXPECT_FALSE(otherDays.count(day)) << "day " << day;
}

TEST(CorePlace, ExclusiveTeachersNeverTeachAtOnce)
{
    School s;
    CCourseInfo* a = s.b.Course("a", "c1", "s1", "t1", "6");
    CCourseInfo* b = s.b.Course("b", "c2", "s1", "t2", "6");
    s.b.MutexTeachers("t1", {"t2"});
    ASSERT_EQ(RunEngine(s.Task()).code, 1);
    const std::vector<int> others = SlotsOf(*b);
    for (int slot : SlotsOf(*a))
        EXPECT_FALSE(std::count(others.begin(), others.end(), slot)) << slot;
}

}  // namespace
