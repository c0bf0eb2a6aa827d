// Carrying planned substitutions out on a generated school: a whole lesson, an odd-week half and a
// combined-class lesson each go to a copy of their plan with the substitute, the timetables and the
// weekly counts follow, and what would book a teacher twice or names a lesson gone is refused.
#include "app/timetable/SubstituteExecute.h"

#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "base/Rules.h"
#include "base/WeekCount.h"
#include "base/ChangeCheck.h"
#include "support/HelperSchool.h"
#include "support/TaskDump.h"
#include "testing/generator/SchoolGenerator.h"
#include "base/ScheduleValidator.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

enum LessonKind { kWhole, kHalf, kCombined };

struct Lesson {
    CTeacherInfo* teacher = nullptr;
    tagTABLE_NODE cell{};
    int half = 0;
    CCourseInfo* plan = nullptr;
};

std::string Tables(CScheduleTask& task)
{
    std::string out;
    for (const CZemObjectList* list : {&task.GetClassInfoList(), &task.GetTeacherInfoList()})
        for (const auto& [id, object] : *list) {
            const CCourseTable& table = static_cast<CZemTableObject*>(object)->GetTable(true);
            out += id + ":";
            ForEachSlot(task.GetSchoolStructure(), [&](const tagTABLE_NODE& cell) {
                out += std::to_string(table.GetValue(cell)) + table.GetNode(cell).data(1).GetCourseId() +
                       table.GetNode(cell).data(2).GetCourseId() + ",";
            });
        }
    return out;
}

class SubstituteExecuteTest : public testing::Test {
protected:
    void SetUp() override
    {
        school = zemgen::GenerateSchool({"S12", "normal", 1});
        ASSERT_TRUE(school);
        zemgen::FillTimetables(*school);
        school->ReadTempTables();
    }

    // The cells of the teacher's week holding the plan for the whole week.
    static std::vector<tagTABLE_NODE> WholeCellsOf(const CScheduleTask& task, const CTeacherInfo& teacher,
                                                   const CCourseInfo& plan)
    {
        std::vector<tagTABLE_NODE> cells;
        const CCourseTable& table = teacher.GetTable(true);
        ForEachSlot(task.GetSchoolStructure(), [&](const tagTABLE_NODE& cell) {
            if (table.IsUsed(cell) && !table.GetNode(cell).IsInterleave() &&
                table.GetNode(cell).data(1).GetCourseId() == plan.GetId())
                cells.push_back(cell);
        });
        return cells;
    }

    // The first lesson of the kind in a teacher's week that the teacher gives alone (no assistants),
    // of a plan placed at least `lessons` times for the whole week.
    std::optional<Lesson> Find(LessonKind kind, std::size_t lessons = 0) const
    {
        for (const auto& [id, object] : school->GetTeacherInfoList()) {
            auto* teacher = static_cast<CTeacherInfo*>(object);
            const CCourseTable& table = teacher->GetTable(true);
            std::optional<Lesson> found;
            ForEachSlot(school->GetSchoolStructure(), [&](const tagTABLE_NODE& cell) {
                if (!table.IsUsed(cell))
                    return false;
                const CCourseTableNode& node = table.GetNode(cell);
                const int half = node.IsInterleave() ? 1 : 0;
                CCourseInfo* plan = school->FindCourse(node.data(1).GetCourseId());
                if (!plan || plan->GetTeacherId() != id || school->GetAssistant(plan->GetId()))
                    return false;
                const bool combined = school->GetCC(plan->GetId()) != nullptr;
                if ((kind == kHalf) != (half == 1) || (kind == kCombined) != combined ||
                    WholeCellsOf(*school, *teacher, *plan).size() < lessons)
                    return false;
                found = Lesson{teacher, cell, half, plan};
                return true;
            });
            if (found)
                return found;
        }
        return std::nullopt;
    }

    // A teacher other than `not` with no lesson at the cell.
    CTeacherInfo* FreeAt(const tagTABLE_NODE& cell, const CZemObject* other) const
    {
        for (const auto& [id, object] : school->GetTeacherInfoList())
            if (object != other && !static_cast<CTeacherInfo*>(object)->GetTable(true).IsUsed(cell))
                return static_cast<CTeacherInfo*>(object);
        return nullptr;
    }

    std::unique_ptr<CScheduleTask> school;
    CSubstitution substitution;
};

TEST_F(SubstituteExecuteTest, ALessonGoesToACopyOfItsPlanWithTheSubstitute)
{
    for (const LessonKind kind : {kWhole, kHalf, kCombined}) {
        SCOPED_TRACE(kind);
        SetUp();
        const std::optional<Lesson> lesson = Find(kind);
        ASSERT_TRUE(lesson);
        CTeacherInfo* substitute = FreeAt(lesson->cell, lesson->teacher);
        ASSERT_TRUE(substitute);
        std::vector<CCourseInfo*> plans{lesson->plan};
        if (kind == kCombined) {
            plans.clear();
            for (const std::string& id : school->GetCC(lesson->plan->GetId())->GetCombineCourse())
                plans.push_back(school->FindCourse(id));
        }
        std::vector<CWeekCount> counts;
        for (const CCourseInfo* plan : plans)
            counts.push_back(plan->GetWeekCount());
        const int planCount = school->GetCourseInfoList().GetCount();
        const CSubstituteRecord record{lesson->cell.day, lesson->cell.segment, lesson->cell.section, lesson->half,
                                       substitute};
        const ScheduleValidation before = ValidateSchedule(*school, true);

        CSubstitution::Result result = substitution.Execute(*school, lesson->teacher->GetId(), {record});
        ASSERT_TRUE(result.done) << result.refusal;
        ASSERT_TRUE(result.entry);
        const std::string tail = " 安排代课 " + lesson->teacher->GetName() + " 1节 -> " + substitute->GetName();
        EXPECT_EQ(result.entry->title.substr(result.entry->title.size() - tail.size()), tail);
        EXPECT_EQ(school->GetCourseInfoList().GetCount(), planCount + static_cast<int>(plans.size()));

        const int dataHalf = lesson->half == 2 ? 2 : 1;
        const CCourseTableNode& taken = substitute->GetTable(true).GetNode(lesson->cell);
        CCourseInfo* copy = school->FindCourse(taken.data(dataHalf).GetCourseId());
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->GetTeacherId(), substitute->GetId());
        EXPECT_NE(lesson->teacher->GetTable(true).GetNode(lesson->cell).data(dataHalf).GetCourseId(),
                  lesson->plan->GetId());
        const CWeekCount moved = lesson->half == 0 ? CWeekCount(1, false) : CWeekCount(0, true);
        for (std::size_t i = 0; i < plans.size(); ++i) {
            EXPECT_EQ(plans[i]->GetWeekCount(), counts[i] - moved);
            const CCourseTableNode& cell = school->GetClass(plans[i]->GetClassId())->GetTable(true).GetNode(lesson->cell);
            const CCourseInfo* classCopy = school->FindCourse(cell.data(dataHalf).GetCourseId());
            ASSERT_TRUE(classCopy);
            EXPECT_NE(classCopy, plans[i]);
            EXPECT_EQ(classCopy->GetSubjectId(), plans[i]->GetSubjectId());
            EXPECT_EQ(classCopy->GetWeekCount(), moved);
        }
        if (kind == kCombined) {
            const CCombineClass* copies = school->GetCC(copy->GetId());
            ASSERT_TRUE(copies);
            EXPECT_NE(copies, school->GetCC(lesson->plan->GetId()));
            EXPECT_EQ(copies->GetCombineCourse().size(), plans.size());
        }
        const ScheduleValidation check =
            NewViolations(before, ValidateSchedule(*school, true, kAllTableChecks, substitution.StandIns(*school)));
        EXPECT_TRUE(check.IsClean()) << check.Text();
    }
}

// A second lesson of the plan for the same substitute joins the copy made for the first.
TEST_F(SubstituteExecuteTest, OneCopyPerPlanAndSubstitute)
{
    const std::optional<Lesson> lesson = Find(kWhole, 2);
    ASSERT_TRUE(lesson);
    const std::vector<tagTABLE_NODE> cells = WholeCellsOf(*school, *lesson->teacher, *lesson->plan);
    CTeacherInfo* substitute = nullptr;
    for (const auto& [id, object] : school->GetTeacherInfoList()) {
        const CCourseTable& table = static_cast<CTeacherInfo*>(object)->GetTable(true);
        if (object != lesson->teacher && !table.IsUsed(cells[0]) && !table.IsUsed(cells[1]))
            substitute = static_cast<CTeacherInfo*>(object);
    }
    ASSERT_TRUE(substitute);
    const int planCount = school->GetCourseInfoList().GetCount();
    for (const tagTABLE_NODE& cell : {cells[0], cells[1]})
        ASSERT_TRUE(substitution
                        .Execute(*school, lesson->teacher->GetId(),
                                 {{cell.day, cell.segment, cell.section, 0, substitute}})
                        .done);
    EXPECT_EQ(school->GetCourseInfoList().GetCount(), planCount + 1);
    const CCourseInfo* copy = school->FindCourse(substitute->GetTable(true).GetNode(cells[0]).data(1).GetCourseId());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetWeekCount(), CWeekCount(2, false));
    EXPECT_EQ(substitute->GetTable(true).GetNode(cells[1]).data(1).GetCourseId(), copy->GetId());
}

// A substitute who may not teach at the hour another teacher teaches: the substitution would break
// that rule, so it is refused with the rule named and undone down to the last table, count and
// combined class; without the rule the same records are carried out.
TEST_F(SubstituteExecuteTest, ASubstitutionThatBreaksARuleIsRefusedNamedAndUndone)
{
    for (const LessonKind kind : {kWhole, kHalf, kCombined}) {
        SCOPED_TRACE(kind);
        SetUp();
        const std::optional<Lesson> lesson = Find(kind);
        ASSERT_TRUE(lesson);
        CTeacherInfo* substitute = FreeAt(lesson->cell, lesson->teacher);
        ASSERT_TRUE(substitute);
        CTeacherInfo* beside = nullptr;
        for (const auto& [id, object] : school->GetTeacherInfoList())
            if (object != lesson->teacher && object != substitute &&
                static_cast<CTeacherInfo*>(object)->GetTable(true).IsUsed(lesson->cell))
                beside = static_cast<CTeacherInfo*>(object);
        ASSERT_TRUE(beside);
        auto* rule = new CMutexOfTeacher;
        rule->SetId(substitute->GetId());
        rule->GetMutexTeachers() = {beside->GetId()};
        school->GetMutexOfTeacherList().Add(rule);
        school->GetMutexOfTeacherList().RebuildEachTeacherMap();
        const std::vector<CSubstituteRecord> records{
            {lesson->cell.day, lesson->cell.segment, lesson->cell.section, lesson->half, substitute}};
        const std::string before = taskdump::Dump(*school);

        const CSubstitution::Result refused = substitution.Execute(*school, lesson->teacher->GetId(), records);
        EXPECT_FALSE(refused.done);
        EXPECT_FALSE(refused.entry);
        EXPECT_EQ(refused.refusal.rfind("这样调整会违反排课规则，已撤销调整：\n", 0), 0u) << refused.refusal;
        EXPECT_NE(refused.refusal.find("是互斥教师"), std::string::npos) << refused.refusal;
        EXPECT_NE(refused.refusal.find(substitute->GetName()), std::string::npos) << refused.refusal;
        EXPECT_NE(refused.refusal.find(beside->GetName()), std::string::npos) << refused.refusal;
        EXPECT_EQ(taskdump::Dump(*school), before);

        school->GetMutexOfTeacherList().Remove(substitute->GetId());
        school->GetMutexOfTeacherList().RebuildEachTeacherMap();
        const CSubstitution::Result done = substitution.Execute(*school, lesson->teacher->GetId(), records);
        EXPECT_TRUE(done.done);
        EXPECT_TRUE(done.refusal.empty());
    }
}

TEST_F(SubstituteExecuteTest, ConflictingOrStaleRecordsAreRefusedAndChangeNothing)
{
    const std::optional<Lesson> lesson = Find(kWhole);
    ASSERT_TRUE(lesson);
    CTeacherInfo* busy = nullptr;
    for (const auto& [id, object] : school->GetTeacherInfoList())
        if (object != lesson->teacher && static_cast<CTeacherInfo*>(object)->GetTable(true).IsUsed(lesson->cell))
            busy = static_cast<CTeacherInfo*>(object);
    ASSERT_TRUE(busy);
    CTeacherInfo* substitute = FreeAt(lesson->cell, lesson->teacher);
    ASSERT_TRUE(substitute);
    tagTABLE_NODE freeCell{};
    ASSERT_TRUE(ForEachSlot(school->GetSchoolStructure(), [&](const tagTABLE_NODE& cell) {
        freeCell = cell;
        return !lesson->teacher->GetTable(true).IsUsed(cell) && !substitute->GetTable(true).IsUsed(cell);
    }));
    const CSubstituteRecord good{lesson->cell.day, lesson->cell.segment, lesson->cell.section, 0, substitute};
    const CSubstituteRecord conflicting{lesson->cell.day, lesson->cell.segment, lesson->cell.section, 0, busy};
    const CSubstituteRecord stale{freeCell.day, freeCell.segment, freeCell.section, 0, substitute};
    // A whole-cell record of a cell the teacher now holds for one week of two only.
    const CSubstituteRecord halfGone{lesson->cell.day, lesson->cell.segment, lesson->cell.section, 1, substitute};
    struct Case {
        std::vector<CSubstituteRecord> records;
        int conflicts;
        int stale;
    } cases[] = {{{good, conflicting}, 1, 0}, {{stale, good}, 0, 1}, {{halfGone}, 0, 1}};
    const std::string before = Tables(*school);
    const int planCount = school->GetCourseInfoList().GetCount();
    for (const Case& c : cases) {
        const CSubstitution::Result result = substitution.Execute(*school, lesson->teacher->GetId(), c.records);
        EXPECT_FALSE(result.done);
        EXPECT_EQ(result.conflicts, c.conflicts);
        EXPECT_EQ(result.stale, c.stale);
        EXPECT_EQ(Tables(*school), before);
        EXPECT_EQ(school->GetCourseInfoList().GetCount(), planCount);
    }
}

// Executed records follow a moved lesson of their substitute; a move of other teachers leaves them.
TEST(FollowMoveInGroups, RecordsOfTheMovedSubstituteSwapCells)
{
    CTeacherInfo a, b;
    a.SetId("A");
    b.SetId("B");
    std::vector<CSubstituteGroup> groups{{"R", {{0, 0, 0, 0, &a}, {1, 0, 0, 2, &b}}}};
    FollowMoveInGroups(groups, {0, 0, 0}, {1, 0, 0}, {"X"});
    EXPECT_EQ(groups[0].records[0].day, 0);
    FollowMoveInGroups(groups, {0, 0, 0}, {1, 0, 0}, {"A"});
    EXPECT_EQ(groups[0].records[0].day, 1);
    EXPECT_EQ(groups[0].records[1].day, 1);  // B's lesson was not among the moved
    FollowMoveInGroups(groups, {0, 0, 0}, {1, 0, 0}, {"A", "B"});
    EXPECT_EQ(groups[0].records[0].day, 0);
    EXPECT_EQ(groups[0].records[1].day, 0);
    EXPECT_EQ(groups[0].records[1].half, 2);
}

// A pre-arranged lesson taken by a substitute stays pre-arranged: the copy holds its slot, and the
// plan keeps only the pre-arranged slots it still holds.
TEST(SubstitutePreset, TheCopyKeepsTheLock)
{
    HelperSchool school;
    const tagTABLE_NODE taken{0, 0, 0};
    const tagTABLE_NODE kept{1, 0, 0};
    school.b.Preset("p1", "0,100,");
    school.Place("p1", taken);
    school.Place("p1", kept);
    CSubstitution substitution;
    CTeacherInfo* substitute = school.task.GetTeacher("t3");
    ASSERT_TRUE(substitution.Execute(school.task, "t1", {{0, 0, 0, 0, substitute}}).done);

    const std::string copyId = school.At("c1", taken);
    ASSERT_NE(copyId, "p1");
    auto* copyPreset = static_cast<CCoursePreset*>(school.task.GetCoursePresetList().Find(copyId));
    ASSERT_TRUE(copyPreset);
    EXPECT_EQ(copyPreset->GetAllFixedTime(), "0,");
    EXPECT_EQ(static_cast<CCoursePreset*>(school.task.GetCoursePresetList().Find("p1"))->GetAllFixedTime(), "100,");
    CTaskHelper helper(&school.task);
    EXPECT_FALSE(helper.IsPreset(school.ClassTable("c1"), taken, 0));
    const ScheduleValidation check = ValidateSchedule(school.task, true, kCheckPreset | kCheckConsistency);
    EXPECT_TRUE(check.IsClean()) << check.Text();
}

// 语文 of 一班: three a week, so one a day with strict spreading, but two on Monday, the first on the
// class's fixed no-lesson time, the second on the plan's own, and 数学, exclusive with it, on Monday
// too: the task breaks each of those rules once.
void BreakPlaceRules(HelperSchool& school)
{
    school.task.GetTaskSetting().SetStrictDistribution(true);
    school.b.FixedTime<CFixedTimeOfClass>(school.task.GetFixedTimeOfClassList(), "c1", "0,");
    school.b.FixedTime<CFixedTimeOfCourse>(school.task.GetFixedTimeOfCourseList(), "p1", "1,");
    school.b.MutexSubjects("m", {"s1", "s2"});
    school.Place("p1", {0, 0, 0});
    school.Place("p1", {0, 0, 1});
    school.Place("p1", {2, 0, 0});
    school.Place("p2", {0, 0, 2});
}

// The rules of a lesson's place that the task already broke stay the plan's when a substitute takes
// one of its lessons: the copy's lessons count as the plan's (its own fixed times, its daily
// maximum over the whole week, its days for exclusive subjects), so the substitution is carried
// out, and the check still finds each broken rule once.
TEST(SubstituteStandIn, WhatThePlanBrokeWhereItsLessonsAreIsNotTheSubstitutions)
{
    // Each Monday lesson in turn: the copy's lesson beside the plan's other one.
    for (const int section : {0, 1}) {
        SCOPED_TRACE(section);
        HelperSchool school;
        BreakPlaceRules(school);
        const ScheduleValidation before = ValidateSchedule(school.task, true);
        for (const ScheduleCheck check : {kCheckFixedTime, kCheckDayMaximum, kCheckMutexSubject})
            ASSERT_EQ(before.Count(check), check == kCheckFixedTime ? 2u : 1u) << before.Text();

        CSubstitution substitution;
        const CSubstitution::Result result =
            substitution.Execute(school.task, "t1", {{0, 0, section, 0, school.task.GetTeacher("t3")}});
        ASSERT_TRUE(result.done) << result.refusal;

        const PlanStandIns standIns = substitution.StandIns(school.task);
        ASSERT_EQ(standIns.size(), 1u);
        EXPECT_EQ(standIns.begin()->second, "p1");
        const ScheduleValidation after = ValidateSchedule(school.task, true, kAllTableChecks, standIns);
        for (const ScheduleCheck check : {kCheckFixedTime, kCheckDayMaximum, kCheckMutexSubject})
            EXPECT_EQ(after.Count(check), before.Count(check)) << after.Text();
        const ScheduleValidation brought = NewViolations(before, after);
        EXPECT_TRUE(brought.IsClean()) << brought.Text();
        // Seen as a plan of its own, the copy would have broken the exclusive subjects anew.
        EXPECT_EQ(NewViolations(before, ValidateSchedule(school.task, true)).Count(kCheckMutexSubject), 1u);
    }
}

}  // namespace
