#include "base/ScheduleValidator.h"
#include "base/ChangeCheck.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/SchoolBuilder.h"
#include "support/TableConsistency.h"
#include "support/CheckExceptions.h"
#include "platform/IdTable.h"
#include "platform/Text.h"

namespace {

// Two classes placed by hand as a run would leave them: a preset, a fixed room shared with
// another class, a lab of two places, a combined class sharing the gym, an odd/even pair, a
// morning reading, and rules of every kind that the placement keeps.
class HandPlacedSchool : public SchoolBuilder {
public:
    explicit HandPlacedSchool(bool labReversed = false)
    {
        CSchoolStructure& week = Task().GetSchoolStructure();
        week.SetSectionNodeMaxCount(3, 1, true);
        week.RefreshData();

        Class("c1", "高一1班");
        Class("c2", "高一2班");
        for (const char* id : {"t1", "t2", "t3", "t4", "t5", "t6"})
            Teacher(id, std::string("老师") + id);
        Subject("s1", "语文");
        Subject("s2", "数学");
        Subject("s3", "英语");
        Subject("s4", "体育");
        Subject("s5", "音乐");
        Room("r", "多媒体教室");
        Room("gym", "体育馆");
        Room("lab", "实验室", 2);

        Course("k1", "c1", "s1", "t1", "2", "r");
        Course("k3", "c2", "s1", "t1", "2");
        Course("k4", "c2", "s2", "t3", "2", "lab");
        Course("k8", "c1", "s5", "t6", "1", "lab");
        Course("k2", "c1", "s2", "t2", "0.5");
        Course("k5", "c1", "s3", "t3", "0.5");
        Course("k6", "c1", "s4", "t4", "1", "gym");
        Course("k7", "c2", "s4", "t5", "1");
        SelfStudy("m1", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING);
        Combined("cc", {"k6", "k7"});
        OddEven("oe", "k2", "k5");
        Preset("k1", "0");
        FixedTime<CFixedTimeOfClass>(Task().GetFixedTimeOfClassList(), "c1", "412");
        FixedTime<CFixedTimeOfTeacher>(Task().GetFixedTimeOfTeacherList(), "t2", "0");
        Group("g", "语文组", {"t1", "t2"});
        FixedTime<CFixedTimeOfTeacherGroup>(Task().GetFixedTimeOfTeacherGroupList(), "g", "411");
        FixedTime<CFixedTimeOfSubject>(Task().GetFixedTimeOfSubjectList(), "s4", "410");
        FixedTime<CFixedTimeOfCourse>(Task().GetFixedTimeOfCourseList(), "k3", "402");
        MutexSubjects("ms", {"s1", "s3"});
        MutexTeachers("t2", {"t6"});

        Place("k1", {0, 0, 0}, 0, "r");
        Place("k1", {1, 0, 0}, 0, "r");
        Place("k3", {0, 0, 1});
        Place("k3", {1, 0, 1});
        Place("k4", {0, 0, 0}, 0, "lab");
        if (labReversed)
            Place("k8", {2, 0, 0}, 0, "lab");
        Place("k4", {2, 0, 0}, 0, "lab");
        if (!labReversed)
            Place("k8", {2, 0, 0}, 0, "lab");
        Place("k2", {2, 0, 1}, 1);
        Place("k5", {2, 0, 1}, 2);
        Place("k6", {3, 1, 0}, 0, "gym");
        Place("k7", {3, 1, 0}, 0, "gym");
        Place("m1", {4, 3, 0});
    }

    void Place(const std::string& id, tagTABLE_NODE node, int oddEven = 0, const std::string& room = {})
    {
        Task().SetCourseNode(Task().FindCourse(id), room, false, node, oddEven);
    }

    // Takes a whole-week lesson out of every table that shows it.
    void Unplace(const std::string& id, tagTABLE_NODE node)
    {
        CScheduleTask& task = Task();
        CCourseInfo* course = task.FindCourse(id);
        const CCourseTableNode::NodeData lesson = course->GetTable(false).GetNode(node).data(1);
        if (CRoomInfo* room = task.GetRoom(lesson.GetRoomId()))
            if (CCourseTable* place = room->GetComplexTable().Enum(false, lesson.GetRoomIndex()))
                if (place->GetNode(node).GetCourseId(1) == id)
                    task.UnsetTableNode(place, node, 0);
        task.UnsetTableNode(&course->GetTable(false), node, 0);
        task.UnsetTableNode(&task.GetClass(course->GetClassId())->GetTable(false), node, 0);
        task.UnsetTableNode(&task.GetTeacher(course->GetTeacherId())->GetTable(false), node, 0);
    }
};

TEST(ScheduleValidator, HandPlacedSchoolIsClean)
{
    HandPlacedSchool school;
    CScheduleTask& task = school.Task();
    const ScheduleValidation committed = ValidateSchedule(task);
    EXPECT_TRUE(committed.IsClean()) << committed.Text();
    // Nothing was placed in the working copies, not even the preset.
    const ScheduleValidation working = ValidateSchedule(task, true);
    EXPECT_EQ(working.Checks(), static_cast<unsigned>(kCheckPreset)) << working.Text();
    EXPECT_TRUE(TablesConsistent(task));
    // The combined partner shares the gym's place; the lab holds two lessons at once.
    EXPECT_EQ(task.FindCourse("k7")->GetTable(false).GetNode(3, 1, 0).GetRoomIndex(1), 0);
    EXPECT_EQ(task.FindCourse("k8")->GetTable(false).GetNode(2, 0, 0).GetRoomIndex(1), 1);
}

TEST(ScheduleValidator, EachBreakIsCaughtByItsOwnCheck)
{
    struct Case {
        const char* name;
        std::function<void(HandPlacedSchool&)> breakIt;
        ScheduleCheck check;
        std::size_t lines;
        const char* mention;  // a text the lines must hold
        const char* said;     // a text the user's sentences must hold
    };
    const Case cases[] = {
        {"teacher double-booked",
         [](HandPlacedSchool& s) {
             s.Course("kx", "c2", "s5", "t1", "1");
             s.Place("kx", {1, 0, 0});
         },
         kCheckDoubleBooking, 1, "teacher t1", "周二上午第1节同时有几节课"},
        {"class double-booked",
         [](HandPlacedSchool& s) {
             s.Course("ky", "c1", "s5", "t6", "1");
             s.Place("ky", {1, 0, 0});
         },
         kCheckDoubleBooking, 1, "class c1", "高一1班在"},
        {"room over capacity",
         [](HandPlacedSchool& s) {
             s.Course("kz", "c2", "s5", "t6", "1", "r");
             s.Place("kz", {1, 0, 0}, 0, "r");
         },
         kCheckRoomCapacity, 1, "2 lessons, room for 1", "周二上午第1节有 2 节课，只能容纳 1 节"},
        {"fixed time of a class",
         [](HandPlacedSchool& s) {
             s.FixedTime<CFixedTimeOfClass>(s.Task().GetFixedTimeOfClassList(), "c1", "100");
         },
         kCheckFixedTime, 1, "class c1", "这是高一1班的固定不排课时间"},
        {"fixed time of a teacher group",
         [](HandPlacedSchool& s) {
             s.Group("g2", "数学组", {"t3"});
             s.FixedTime<CFixedTimeOfTeacherGroup>(s.Task().GetFixedTimeOfTeacherGroupList(), "g2", "200");
         },
         kCheckFixedTime, 1, "teacher group g2", "这是教师组数学组的固定不排课时间"},
        {"fixed time of a teacher, in the odd weeks",
         [](HandPlacedSchool& s) {
             s.FixedTime<CFixedTimeOfTeacher>(s.Task().GetFixedTimeOfTeacherList(), "t2", "201");
         },
         kCheckFixedTime, 1, "odd weeks", "（单周），这是老师t2的固定不排课时间"},
        {"fixed time of a subject",
         [](HandPlacedSchool& s) {
             s.FixedTime<CFixedTimeOfSubject>(s.Task().GetFixedTimeOfSubjectList(), "s2", "0");
         },
         kCheckFixedTime, 1, "subject s2", "这是科目数学的固定不排课时间"},
        {"fixed time of the plan",
         [](HandPlacedSchool& s) {
             s.FixedTime<CFixedTimeOfCourse>(s.Task().GetFixedTimeOfCourseList(), "k3", "1");
         },
         kCheckFixedTime, 1, "plan k3", "这是这个教学计划的固定不排课时间"},
        {"slot the week does not use",
         [](HandPlacedSchool& s) { s.Task().GetSchoolStructure().SetValue(3, 1, 0, CTimeTable::kInvalid); },
         kCheckUnavailable, 2, "not a lesson time", "这不是上课时间"},
        {"preset missing",
         [](HandPlacedSchool& s) { s.Unplace("k1", {0, 0, 0}); },
         kCheckPreset, 1, "preset of plan k1", "周一上午第1节，课表上那里没有这节课"},
        {"combined partners on different slots",
         [](HandPlacedSchool& s) {
             s.Unplace("k7", {3, 1, 0});
             s.Place("k7", {3, 1, 1}, 0, "gym");
         },
         kCheckCombined, 2, "combined class cc", "没有一起上课"},
        {"status 100 on an empty cell",
         [](HandPlacedSchool& s) { s.Task().GetClass("c2")->GetTable(false).SetValue(4, 0, 0, CTimeTable::kFullUsed); },
         kCheckHalves, 1, "status 100 for a cell worth 0", "周五上午第1节的单双周记录有误"},
        {"one lesson too many",
         [](HandPlacedSchool& s) { s.Place("k3", {3, 0, 0}); },
         kCheckWeekCount, 1, "3 lessons placed", "排了 3 节课，多于周课时 2"},
        {"morning reading outside its segment",
         [](HandPlacedSchool& s) {
             s.Unplace("m1", {4, 3, 0});
             s.Place("m1", {4, 0, 0});
         },
         kCheckSegment, 1, "plan m1", "早读课只能排在早读时段"},
        {"class table missing a lesson",
         [](HandPlacedSchool& s) { s.Task().UnsetTableNode(&s.Task().GetClass("c2")->GetTable(false), {0, 0, 1}, 0); },
         kCheckConsistency, 1, "misses plan k3", "周一上午第2节没有"},
        {"mutually exclusive teachers at once",
         [](HandPlacedSchool& s) { s.MutexTeachers("t1", {"t3"}); },
         kCheckMutexTeacher, 1, "teacher t1", "老师t1和老师t3是互斥教师"},
        {"mutually exclusive subjects on one day",
         [](HandPlacedSchool& s) { s.MutexSubjects("ms2", {"s1", "s2"}); },
         kCheckMutexSubject, 1, "高一2班 on day 0", "周一有互斥的科目"},
        {"two lessons of a plan on one day",
         [](HandPlacedSchool& s) {
             s.Unplace("k3", {1, 0, 1});
             s.Place("k3", {0, 1, 0});
         },
         kCheckDayMaximum, 1, "plan k3", "排了 2 节，每天最多 1 节"},
    };
    for (const Case& c : cases) {
        HandPlacedSchool school;
        c.breakIt(school);
        const ScheduleValidation result = ValidateSchedule(school.Task());
        EXPECT_EQ(result.Checks(), static_cast<unsigned>(c.check)) << c.name << "\n" << result.Text();
        EXPECT_EQ(result.Count(c.check), c.lines) << c.name << "\n" << result.Text();
        EXPECT_NE(result.Text().find(c.mention), std::string::npos) << c.name << "\n" << result.Text();
        // The user is told in the windows' words: no id, no line of the log.
        EXPECT_NE(result.Said().find(c.said), std::string::npos) << c.name << "\n" << result.Said();
        for (const ScheduleViolation& violation : result.Violations())
            EXPECT_TRUE(!violation.said.empty() && violation.said.find(" at ") == std::string::npos &&
                        violation.said.find("plan ") == std::string::npos)
                << c.name << "\n" << violation.said;
    }
}

// The daily maximum binds under even spreading only, and presets may pass it.
TEST(ScheduleValidator, DayMaximumLeavesRelaxedSpreadingAndPresetsAlone)
{
    for (const bool presetBoth : {false, true}) {
        HandPlacedSchool school;
        school.Unplace("k3", {1, 0, 1});
        school.Place("k3", {0, 1, 0});
        if (presetBoth)
            school.Preset("k3", "1,10");
        else
            school.Task().GetTaskSetting().SetStrictDistribution(false);
        const ScheduleValidation result = ValidateSchedule(school.Task());
        EXPECT_TRUE(result.IsClean()) << presetBoth << "\n" << result.Text();
    }
}

// A plan that was never placed anywhere has no handle in the process's id table until something
// makes one; what the validator finds must not change when it does.
TEST(ScheduleValidator, FindsTheSameWhateverIdsTheProcessKnows)
{
    HandPlacedSchool school;
    const std::string id = "ScheduleValidatorTest-never-placed";
    school.Course(id, "c2", "s3", "t3", "1");
    school.Preset(id, "200");
    school.Combined("cc2", {"k3", id});
    const ScheduleValidation before = ValidateSchedule(school.Task());
    EXPECT_EQ(before.Checks(), kCheckPreset | kCheckCombined) << before.Text();
    zem::InternId(id);
    EXPECT_EQ(ValidateSchedule(school.Task()).Text(), before.Text());
}

TEST(ScheduleValidator, ChecksCanBeChosen)
{
    HandPlacedSchool school;
    school.Task().GetClass("c2")->GetTable(false).SetValue(4, 0, 0, CTimeTable::kFullUsed);
    school.Place("k3", {3, 0, 0});
    EXPECT_EQ(ValidateSchedule(school.Task()).Checks(), kCheckHalves | kCheckWeekCount);
    EXPECT_EQ(ValidateSchedule(school.Task(), false, kCheckWeekCount).Checks(), kCheckWeekCount);
    // The working copies were not touched.
    EXPECT_TRUE(ValidateSchedule(school.Task(), true, ChecksExcept(CheckException::PresetsNotYetPlaced)).IsClean());
}

TEST(ScheduleValidator, CountsComparedAfterARun)
{
    HandPlacedSchool school;
    CScheduleTask& task = school.Task();
    const PlanCountSnapshot before = CaptureCounts(task);
    EXPECT_TRUE(CompareCounts(before, task).IsClean());

    task.FindCourse("k1")->GetWeekCount().SetHalf(true);
    task.GetCourseInfoList().Remove("k8");
    school.SelfStudy("m2", "c2", "s1", "t1", COURSE_TYPE_SELF_STUDY);
    const ScheduleValidation result = CompareCounts(before, task);
    EXPECT_EQ(result.Checks(), static_cast<unsigned>(kCheckCountChanged));
    ASSERT_EQ(result.Count(), 3u) << result.Text();
    EXPECT_NE(result.Text().find("weekly count 2 before, 2.5 now"), std::string::npos) << result.Text();
    EXPECT_NE(result.Text().find("plan k8: gone"), std::string::npos) << result.Text();
    EXPECT_NE(result.Text().find("plan m2"), std::string::npos) << result.Text();
}

TEST(ScheduleValidator, TwoTasksComparedTableByTable)
{
    // The lab lessons took the other places in the second task: the same timetable.
    HandPlacedSchool first;
    HandPlacedSchool second(true);
    ASSERT_EQ(second.Task().FindCourse("k8")->GetTable(false).GetNode(2, 0, 0).GetRoomIndex(1), 0);
    const ScheduleValidation same = CompareTimetables(first.Task(), second.Task());
    EXPECT_TRUE(same.IsClean()) << same.Text();

    // The gym's place names the other plan of the combined class, as when the two were written
    // the other way round: the same lesson.
    HandPlacedSchool swapped;
    swapped.Task().GetRoom("gym")->GetComplexTable().Enum(false, 0)->GetNode(3, 1, 0).data(1).SetCourseId("k7");
    const ScheduleValidation combined = CompareTimetables(first.Task(), swapped.Task());
    EXPECT_TRUE(combined.IsClean()) << combined.Text();

    second.Task().UnsetTableNode(&second.Task().GetTeacher("t1")->GetTable(false), {0, 0, 1}, 0);
    const ScheduleValidation differ = CompareTimetables(first.Task(), second.Task());
    EXPECT_EQ(differ.Checks(), static_cast<unsigned>(kCheckReopen));
    ASSERT_EQ(differ.Count(), 1u) << differ.Text();
    EXPECT_NE(differ.Text().find("teacher t1"), std::string::npos) << differ.Text();
    EXPECT_NE(differ.Text().find("every week: the first task has k3, the second nothing"), std::string::npos)
        << differ.Text();

    second.Room("hall", "礼堂");
    EXPECT_NE(CompareTimetables(first.Task(), second.Task()).Text().find("room hall 礼堂: only in the second task"),
              std::string::npos);
}

TEST(ScheduleValidator, ReopeningAMissingTaskFileIsOneViolation)
{
    HandPlacedSchool school;
    const ScheduleValidation result = CompareWithReopened(school.Task(), "/nonexistent/zem/task.zem");
    EXPECT_EQ(result.Checks(), static_cast<unsigned>(kCheckReopen));
    EXPECT_EQ(result.Count(), 1u);
}

}  // namespace

// A change is answered for what it broke, not for what the task broke before it: the counts it
// changed unless it edits plans, and the limits its result passes.
TEST(ChangeCheck, NamesWhatTheChangeBroughtAndNothingElse)
{
    struct Case {
        const char* name;
        std::function<void(HandPlacedSchool&)> change;
        CChangeCheck::Plans plans;
        bool clean;
        const char* said;  // a text the user's lines must hold
    };
    const Case cases[] = {
        {"nothing changed", [](HandPlacedSchool&) {}, CChangeCheck::Plans::Kept, true, ""},
        {"a lesson onto a class's fixed time",
         [](HandPlacedSchool& s) {
             s.Unplace("k1", {1, 0, 0});
             s.Place("k1", {4, 1, 2}, 0, "r");
         },
         CChangeCheck::Plans::Kept, false, "这是高一1班的固定不排课时间"},
        {"a lesson taken out of a preset", [](HandPlacedSchool& s) { s.Unplace("k1", {0, 0, 0}); },
         CChangeCheck::Plans::Kept, false, "预排在"},
        {"a plan's count changed by a change that keeps plans",
         [](HandPlacedSchool& s) { s.Task().FindCourse("k3")->SetWeekCount(CWeekCount(3, false)); },
         CChangeCheck::Plans::Kept, false, "的周课时由 2 变成了 3"},
        {"a plan's count changed by a plan edit",
         [](HandPlacedSchool& s) { s.Task().FindCourse("k3")->SetWeekCount(CWeekCount(3, false)); },
         CChangeCheck::Plans::Edited, true, ""},
        {"rooms over the task's limit",
         [](HandPlacedSchool& s) {
             for (const char* id : {"b1", "b2", "b3", "b4", "b5", "b6"})
                 s.Room(id, std::string("大教室") + id, 999);
         },
         CChangeCheck::Plans::Edited, false, "教室容量（合计）"},
    };
    for (const Case& c : cases) {
        HandPlacedSchool school;
        // A rule the task broke already: it is not the change's.
        school.Place("k3", {3, 0, 0});
        const CChangeCheck check(school.Task(), false, c.plans);
        c.change(school);
        const ChangeFindings findings = check.Findings();
        EXPECT_EQ(findings.IsClean(), c.clean) << c.name << "\n" << findings.Said();
        EXPECT_NE(findings.Said().find(c.said), std::string::npos) << c.name << "\n" << findings.Said();
        EXPECT_EQ(findings.Said().find("多于周课时"), std::string::npos) << c.name << "\n" << findings.Said();
    }
}

// The same violation twice before and three times after is one the change brought.
TEST(ChangeCheck, CountsRepeatedViolationsOneByOne)
{
    HandPlacedSchool school;
    school.MutexTeachers("t1", {"t3"});  // t1 and t3 meet at one slot already
    const CChangeCheck check(school.Task(), false);
    school.Unplace("k3", {1, 0, 1});
    school.Place("k3", {2, 0, 1});  // where t3 teaches k5 in the even weeks
    const ChangeFindings findings = check.Findings();
    ASSERT_EQ(findings.broken.Count(), 1u) << findings.Said();
    EXPECT_EQ(findings.broken.Violations()[0].check, kCheckMutexTeacher);
    EXPECT_NE(RefusedChangeText(findings).find("已撤销调整"), std::string::npos);
}

// A change that went on, or that the user is asked to keep, names every rule it broke, however
// many; a refused one, undone, may sum the rest up.
TEST(ChangeCheck, WhatIsKeptIsNamedRuleByRule)
{
    ChangeFindings findings;
    for (int i = 1; i <= 12; ++i)
        findings.broken.Add(kCheckFixedTime, "lesson " + std::to_string(i), zem::Format("第%d节课排在固定不排课时间", i));
    for (const std::string& text :
         {KeptChangeText(findings), KeptImportText(findings), KeepBrokenRulesQuestion(findings)}) {
        for (int i = 1; i <= 12; ++i)
            EXPECT_NE(text.find(zem::Format("第%d节课排在固定不排课时间\n", i)), std::string::npos) << text;
        EXPECT_EQ(text.find("另有"), std::string::npos) << text;
    }
    EXPECT_NE(RefusedChangeText(findings).find("……另有 2 处"), std::string::npos) << RefusedChangeText(findings);
}
