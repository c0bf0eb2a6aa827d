// Planning substitutions on a hand-made week of one teacher: the lessons each command reaches,
// the records they leave, and the teachers offered to stand in.
#include "app/timetable/SubstitutePlan.h"

#include "app/shared/Pinyin.h"
#include "app/timetable/SubstituteExecute.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "support/HelperSchool.h"
#include "testing/generator/SchoolGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

std::string Text(const std::vector<tagTABLE_NODE>& cells)
{
    std::string out;
    for (const tagTABLE_NODE& c : cells)
        out += std::to_string(c.day) + std::to_string(c.segment) + std::to_string(c.section) + " ";
    return out;
}

std::string Text(const std::vector<CSubstituteRecord>& records)
{
    std::string out;
    for (const CSubstituteRecord& r : records)
        out += std::to_string(r.day) + std::to_string(r.segment) + std::to_string(r.section) + "/" +
               std::to_string(r.half) + ":" + r.substitute->GetName() + " ";
    return out;
}

class SubstitutePlanTest : public testing::Test {
protected:
    void SetUp() override
    {
        school = zemgen::GenerateSchool({"S12", "normal", 1});
        ASSERT_TRUE(school);
        // Two plans of one subject in different classes, and one of another subject.
        for (const auto& [id, a] : school->GetCourseInfoList())
            for (const auto& [id2, b] : school->GetCourseInfoList()) {
                auto* x = static_cast<CCourseInfo*>(a);
                auto* y = static_cast<CCourseInfo*>(b);
                if (!same && x->GetSubjectId() == y->GetSubjectId() && x->GetClassId() != y->GetClassId()) {
                    same = x;
                    sameOther = y;
                }
                if (same && !other && y->GetSubjectId() != same->GetSubjectId())
                    other = y;
            }
        ASSERT_TRUE(same && sameOther && other);
        regular = static_cast<CZemTableObject*>(school->GetTeacherInfoList().begin()->second);
        CCourseTable& t = regular->GetTable(true);
        t.Clear();
        // A, B: the same plan; C: its subject in another class; D split: that subject in odd
        // weeks, another in even weeks; E: the other subject.
        put({0, 0, 0}, same);
        put({1, 0, 1}, same);
        put({2, 1, 0}, sameOther);
        put({3, 0, 0}, sameOther, other);
        put({4, 0, 0}, other);
        plan.SetTask(school.get(), regular->GetId());
        std::vector<CZemObject*> teachers;
        for (const auto& [id, object] : school->GetTeacherInfoList())
            if (object != regular)
                teachers.push_back(object);
        ASSERT_GE(teachers.size(), 2u);
        s1 = teachers[0];
        s2 = teachers[1];
    }
    void put(const tagTABLE_NODE& cell, const CCourseInfo* first, const CCourseInfo* second = nullptr)
    {
        CCourseTable& t = regular->GetTable(true);
        t.SetValue(cell, CTimeTable::kFullUsed);
        CCourseTableNode& node = t.GetNode(cell);
        node.data(1).SetCourseId(first->GetId());
        if (second) {
            node.SetInterleave(true);
            node.data(2).SetCourseId(second->GetId());
        }
    }

    std::unique_ptr<CScheduleTask> school;
    CCourseInfo* same = nullptr;
    CCourseInfo* sameOther = nullptr;
    CCourseInfo* other = nullptr;
    CZemTableObject* regular = nullptr;
    CZemObject* s1 = nullptr;
    CZemObject* s2 = nullptr;
    CSubstitutePlan plan;
};

TEST_F(SubstitutePlanTest, EachCommandReachesItsLessons)
{
    struct Case {
        int mode;
        tagTABLE_NODE clicked;
        int half;
        const char* targets;
        const char* records;  // with s1
    } cases[] = {
        {kSubstituteCell, {0, 0, 0}, 0, "000 ", "000/0 "},
        {kSubstituteCourse, {0, 0, 0}, 0, "000 101 ", "000/0 101/0 "},
        {kSubstituteSubject, {0, 0, 0}, 0, "000 101 210 300 ", "000/0 101/0 210/0 300/1 "},
        {kSubstituteAll, {0, 0, 0}, 0, "000 101 210 300 400 ", "000/0 101/0 210/0 300/1 300/2 400/0 "},
        // From the even half of the split cell: its subject is the last lesson's.
        {kSubstituteSubject, {3, 0, 0}, 2, "300 400 ", "300/2 400/0 "},
        {kSubstituteCell, {3, 0, 0}, 2, "300 ", "300/2 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + " " + std::to_string(c.clicked.day));
        plan.CancelAll();
        const std::vector<tagTABLE_NODE> targets = plan.TargetCells(c.clicked, c.half, c.mode);
        EXPECT_EQ(Text(targets), c.targets);
        plan.Assign(targets, c.clicked, c.half, c.mode, s1);
        std::string expected;
        for (std::string rest = c.records; !rest.empty();) {
            const std::size_t blank = rest.find(' ');
            expected += rest.substr(0, blank) + ":" + s1->GetName() + " ";
            rest.erase(0, blank + 1);
        }
        EXPECT_EQ(Text(plan.GetRecords()), expected);
    }
}

TEST_F(SubstitutePlanTest, ASecondSubstituteReplacesTheFirstAndCancelTakesOneKey)
{
    plan.Assign(plan.TargetCells({3, 0, 0}, 1, kSubstituteAll), {3, 0, 0}, 1, kSubstituteAll, s1);
    const std::size_t count = plan.GetRecords().size();
    plan.Assign({{3, 0, 0}}, {3, 0, 0}, 1, kSubstituteCell, s2);
    EXPECT_EQ(plan.GetRecords().size(), count);
    EXPECT_EQ(plan.Find({3, 0, 0}, 1)->substitute, s2);
    EXPECT_EQ(plan.Find({3, 0, 0}, 2)->substitute, s1);
    EXPECT_EQ(plan.Find({3, 0, 0}, 0), nullptr);
    plan.Cancel({3, 0, 0}, 1);
    EXPECT_EQ(plan.Find({3, 0, 0}, 1), nullptr);
    EXPECT_EQ(plan.GetRecords().size(), count - 1);
    // A lesson gone since the targets were taken gets no record.
    regular->GetTable(true).SetValue({4, 0, 0}, CTimeTable::kFree);
    plan.CancelAll();
    plan.Assign({{0, 0, 0}, {4, 0, 0}}, {0, 0, 0}, 0, kSubstituteAll, s1);
    EXPECT_EQ(Text(plan.GetRecords()), "000/0:" + s1->GetName() + " ");
}

TEST_F(SubstitutePlanTest, RecordsFollowTheRegularTeachersMovedLessons)
{
    plan.Assign({{0, 0, 0}}, {0, 0, 0}, 0, kSubstituteCell, s1);
    plan.Assign({{3, 0, 0}}, {3, 0, 0}, 2, kSubstituteCell, s2);
    const std::string before = Text(plan.GetRecords());
    // Without the regular teacher in either cell nothing planned moves, a substitute there or not.
    plan.FollowMove({0, 0, 0}, {3, 0, 0}, {s1->GetId(), "别人"});
    EXPECT_EQ(Text(plan.GetRecords()), before);
    // A move to a free cell, then a swap of the two planned lessons.
    plan.FollowMove({0, 0, 0}, {0, 0, 5}, {"别人", regular->GetId()});
    EXPECT_EQ(Text(plan.GetRecords()), "005/0:" + s1->GetName() + " 300/2:" + s2->GetName() + " ");
    plan.FollowMove({3, 0, 0}, {0, 0, 5}, {regular->GetId()});
    EXPECT_EQ(Text(plan.GetRecords()), "300/0:" + s1->GetName() + " 005/2:" + s2->GetName() + " ");
}

TEST_F(SubstitutePlanTest, DaysSwitchedOffAreNotReached)
{
    school->GetSchoolStructure().SetWeekDay(1, false);
    EXPECT_EQ(Text(plan.TargetCells({0, 0, 0}, 0, kSubstituteCourse)), "000 ");
}

TEST_F(SubstitutePlanTest, TheCandidatesAndTheirFilters)
{
    const std::vector<tagTABLE_NODE> targets = plan.TargetCells({0, 0, 0}, 0, kSubstituteCourse);
    // s1 is busy at a target; s2 teaches the subject of the target lessons.
    auto* busy = static_cast<CZemTableObject*>(s1);
    busy->GetTable(true).SetValue({1, 0, 1}, CTimeTable::kFullUsed);
    auto* teacherTable = &static_cast<CZemTableObject*>(s2)->GetTable(true);
    teacherTable->SetValue({0, 0, 0}, CTimeTable::kFree);
    teacherTable->SetValue({1, 0, 1}, CTimeTable::kFree);
    sameOther->SetTeacher(s2->GetId());
    CSubstituteCandidates candidates(*school, regular->GetId(), targets);
    EXPECT_EQ(candidates.GetSubjectIds(), std::vector<std::string>{same->GetSubjectId()});

    const std::vector<CZemObject*> all = candidates.Fill(false, false, false, "");
    EXPECT_EQ(all.size(), school->GetTeacherInfoList().GetCount() - 1u);
    EXPECT_EQ(std::find(all.begin(), all.end(), regular), all.end());
    const std::vector<CZemObject*> free = candidates.Fill(true, false, false, "");
    EXPECT_EQ(std::find(free.begin(), free.end(), s1), free.end());
    EXPECT_NE(std::find(free.begin(), free.end(), s2), free.end());
    // A fixed no-lesson time of a group listing s2 at a target lesson: s2 is taken there, in the
    // chooser and for the substitution.
    auto* group = new CTeacherGroupInfo;
    group->SetId("research");
    group->ResetGroup({s2->GetId()});
    school->GetTeacherGroupInfoList().Add(group);
    auto* fixed = new CFixedTimeOfTeacherGroup;
    fixed->SetId("research");
    const tagTABLE_NODE& target = targets[0];
    fixed->ReadFixedTimeFromString(std::to_string(target.day * 100 + target.segment * 10 + target.section) + ",");
    school->GetFixedTimeOfTeacherGroupList().Add(fixed);
    const std::vector<CZemObject*> stillFree =
        CSubstituteCandidates(*school, regular->GetId(), targets).Fill(true, false, false, "");
    EXPECT_EQ(std::find(stillFree.begin(), stillFree.end(), s2), stillFree.end());
    const std::vector<CSubstituteRecord> records{{target.day, target.segment, target.section, 0, s2}};
    EXPECT_EQ(FindSubstituteConflicts(*school, records).size(), 1u);
    school->GetFixedTimeOfTeacherGroupList().Remove("research");

    const std::vector<CZemObject*> subject = candidates.Fill(false, false, true, "");
    EXPECT_NE(std::find(subject.begin(), subject.end(), s2), subject.end());
    for (CZemObject* t : subject) {
        bool teaches = false;
        for (const auto& [id, c] : school->GetCourseInfoList())
            teaches = teaches || (static_cast<CCourseInfo*>(c)->GetTeacherId() == t->GetId() &&
                                  static_cast<CCourseInfo*>(c)->GetSubjectId() == same->GetSubjectId());
        EXPECT_TRUE(teaches) << t->GetName();
    }
    // Two words: the pinyin initials of the name and a piece of its full pinyin, both needed.
    CPinyin initials;
    initials.m_initialsOnly = 1;
    const std::string ini = zem::ToLowerAscii(initials.Convert(s2->GetName()));
    const std::string full = zem::ToLowerAscii(CPinyin().Convert(s2->GetName()));
    ASSERT_GE(full.size(), 3u);
    const std::vector<CZemObject*> found = candidates.Fill(false, false, false, ini + " " + full.substr(1, 2));
    EXPECT_NE(std::find(found.begin(), found.end(), s2), found.end());
    EXPECT_TRUE(candidates.Fill(false, false, false, ini + " qqqq").empty());
    for (CZemObject* t : candidates.Fill(false, false, false, regular->GetName()))
        EXPECT_NE(t, regular);
}

// A morning-reading or evening self-study plan is a course of its teacher: it counts for "同班级"
// and "同科目" as a teaching plan does.
TEST(SubstituteCandidates, SelfStudyPlansCountForTheClassAndSubjectFilters)
{
    HelperSchool school;
    school.b.Teacher("t4", "赵老师");
    school.b.Teacher("t5", "钱老师");
    school.b.SelfStudy("m1", "c1", "s2", "t4", COURSE_TYPE_MORNING_READING);
    school.b.SelfStudy("m2", "c3", "s1", "t5", COURSE_TYPE_SELF_STUDY);
    school.Place("p1", {0, 0, 0});  // 语文 of 一班 by 张老师
    const CSubstituteCandidates candidates(school.task, "t1", {{0, 0, 0}});
    const auto names = [](const std::vector<CZemObject*>& teachers) {
        std::vector<std::string> out;
        for (const CZemObject* teacher : teachers)
            out.push_back(teacher->GetName());
        return out;
    };
    EXPECT_EQ(names(candidates.Fill(false, true, false, "")),
              (std::vector<std::string>{"李老师", "王老师", "赵老师"}));
    EXPECT_EQ(names(candidates.Fill(false, false, true, "")), (std::vector<std::string>{"李老师", "钱老师"}));
}

}  // namespace
