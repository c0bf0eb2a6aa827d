#include "base/ScheduleTask.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "support/SchoolBuilder.h"
#include "support/TableConsistency.h"

namespace {

const tagTABLE_NODE kA{0, 0, 1};  // k1 and its combined partner k2 share room r
const tagTABLE_NODE kB{1, 1, 0};  // k1 odd weeks, k4 even weeks: both teacher t1's
const tagTABLE_NODE kC{4, 1, 2};  // k1 put in room q by hand
const tagTABLE_NODE kD{2, 2, 0};  // k1 at night
const tagTABLE_NODE kE{0, 3, 0};  // morning reading k3
const tagTABLE_NODE kF{3, 0, 3};  // k5 in room q

bool SameTable(const CCourseTable& a, const CCourseTable& b)
{
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (a.GetNode(day, segment, section) != b.GetNode(day, segment, section) ||
                    a.GetValue(day, segment, section) != b.GetValue(day, segment, section))
                    return false;
    return true;
}

std::set<std::string> Ids(const CZemObjectList& list)
{
    std::set<std::string> ids;
    for (const auto& [id, object] : list)
        ids.insert(id);
    return ids;
}

class Integrity : public testing::Test {
protected:
    void SetUp() override
    {
        task.GetSchoolStructure().SetSectionNodeMaxCount(3, 1, true);
        task.GetSchoolStructure().SetSectionNodeMaxCount(2, 1, true);
        b.Class("c1", "一班");
        b.Class("c2", "二班");
        b.Subject("s1", "物理");
        b.Subject("s2", "语文");
        for (const char* id : {"t1", "t2", "t3", "t4"})
            b.Teacher(id, id);
        b.Room("r", "大教室", 2);
        b.Room("q", "实验室", 1);
        b.Course("k1", "c1", "s1", "t1", "3.5", "r");
        b.Course("k2", "c2", "s1", "t2", "1", "r");
        b.SelfStudy("k3", "c1", "s2", "t1", COURSE_TYPE_MORNING_READING);
        b.Course("k4", "c2", "s2", "t1", "0.5");
        b.Course("k5", "c2", "s1", "t4", "1", "q");
        b.Assistant("k1", {"t3", "t4"});
        b.Combined("cc", {"k1", "k2"});
        b.Preset("k1", "1,");
        b.FixedTime<CFixedTimeOfCourse>(task.GetFixedTimeOfCourseList(), "k1", "4,");
        b.FixedTime<CFixedTimeOfClass>(task.GetFixedTimeOfClassList(), "c1", "5,");
        b.FixedTime<CFixedTimeOfClass>(task.GetFixedTimeOfClassList(), "c2", "5,");
        b.FixedTime<CFixedTimeOfTeacher>(task.GetFixedTimeOfTeacherList(), "t1", "5,");
        b.Group("g1", "一组", {"t1"});
        b.Group("g2", "二组", {"t1", "t2"});
        b.FixedTime<CFixedTimeOfTeacherGroup>(task.GetFixedTimeOfTeacherGroupList(), "g1", "5,");
        b.FixedTime<CFixedTimeOfTeacherGroup>(task.GetFixedTimeOfTeacherGroupList(), "g2", "5,");
        b.OddEven("oe", "k1", "k4");

        for (const bool temp : {false, true}) {
            task.SetCourseNode(K("k1"), "r", temp, kA, 0);
            task.SetCourseNode(K("k2"), "r", temp, kA, 0);
            task.SetCourseNode(K("k1"), "r", temp, kB, 1);
            task.SetCourseNode(K("k4"), "", temp, kB, 2);
            task.SetCourseNode(K("k1"), "q", temp, kC, 0);
            task.SetCourseNode(K("k1"), "r", temp, kD, 0);
            task.SetCourseNode(K("k3"), "", temp, kE, 0);
            task.SetCourseNode(K("k5"), "q", temp, kF, 0);
        }
        ASSERT_TRUE(TablesConsistent(task));
    }

    CCourseInfo* K(const std::string& id) { return task.FindCourse(id); }
    CCourseTable& TeacherTable(const std::string& id, bool temp = false)
    {
        return task.GetTeacher(id)->GetTable(temp);
    }
    CCourseTable& RoomTable(const std::string& id, int index, bool temp = false)
    {
        return *task.GetRoom(id)->GetComplexTable().Enum(temp, index);
    }
    std::set<std::string> Plans()
    {
        std::set<std::string> ids = Ids(task.GetCourseInfoList());
        ids.merge(Ids(task.GetSelfStudyInfoList()));
        return ids;
    }

    SchoolBuilder b;
    CScheduleTask& task = b.Task();
};

TEST_F(Integrity, DeletedClassTakesItsPlansOutOfEveryTable)
{
    task.GetClassInfoList().Remove("c1");
    task.MaintainClassIntegrity(true);

    EXPECT_EQ(Plans(), (std::set<std::string>{"k2", "k4", "k5"}));
    EXPECT_TRUE(task.GetCoursePresetList().IsEmpty());
    EXPECT_TRUE(task.GetFixedTimeOfCourseList().IsEmpty());
    EXPECT_TRUE(task.GetCombineCourseList().IsEmpty());
    EXPECT_EQ(task.GetCC("k2"), nullptr);
    EXPECT_EQ(Ids(task.GetFixedTimeOfClassList()), std::set<std::string>{"c2"});

    for (const bool temp : {false, true}) {
        SCOPED_TRACE(temp ? "temp" : "committed");
        CCourseTable& t1 = TeacherTable("t1", temp);
        for (const tagTABLE_NODE node : {kA, kC, kD, kE})
            EXPECT_EQ(t1.GetValue(node), 0);
        // The even-week lesson of another class stays, now alone in its cell.
        EXPECT_EQ(t1.GetValue(kB), 50);
        EXPECT_EQ(t1.GetNode(kB).GetCourseId(2), "k4");
        EXPECT_FALSE(t1.GetNode(kB).data(1).HasCourse());
        for (const char* assistant : {"t3", "t4"})
            for (const tagTABLE_NODE node : {kA, kB, kC, kD})
                EXPECT_EQ(TeacherTable(assistant, temp).GetValue(node), 0) << assistant;
        EXPECT_EQ(TeacherTable("t4", temp).GetNode(kF).GetCourseId(1), "k5");
        // The partner of the dissolved combined class keeps the place they shared.
        EXPECT_EQ(RoomTable("r", 0, temp).GetNode(kA).data(1), CCourseTableNode::NodeData("k2", "r", 0));
        EXPECT_EQ(RoomTable("r", 0, temp).GetValue(kA), 100);
        EXPECT_EQ(RoomTable("r", 0, temp).GetValue(kD), 0);
        EXPECT_EQ(RoomTable("q", 0, temp).GetValue(kC), 0);
    }
    EXPECT_TRUE(TablesConsistent(task));
}

// One teacher for both classes of the combined class: the teacher's cell names the plan placed last,
// and the partner's lesson takes it over when that plan goes, as the room's does.
TEST_F(Integrity, ATeacherOfBothPartnersKeepsThePartnersLesson)
{
    K("k2")->SetTeacher("t3");
    for (const bool temp : {false, true}) {
        task.UnsetTableNode(&TeacherTable("t2", temp), kA, 0);
        task.SetCourseNode(K("k2"), "r", temp, kA, 0);
        task.SetCourseNode(K("k1"), "r", temp, kA, 0);
    }
    ASSERT_TRUE(TablesConsistent(task));
    ASSERT_EQ(TeacherTable("t3").GetNode(kA).GetCourseId(1), "k1");

    task.RemovePlans({"k1"});

    for (const bool temp : {false, true}) {
        SCOPED_TRACE(temp ? "temp" : "committed");
        EXPECT_EQ(TeacherTable("t3", temp).GetNode(kA).data(1), CCourseTableNode::NodeData("k2", "r", 0));
        EXPECT_EQ(TeacherTable("t3", temp).GetValue(kA), 100);
        EXPECT_EQ(TeacherTable("t4", temp).GetValue(kA), 0);
    }
    EXPECT_TRUE(TablesConsistent(task));
}

TEST_F(Integrity, DeletedBasicDataRepairs)
{
    struct Case {
        const char* name;
        std::function<void(CScheduleTask&)> remove;
        std::set<std::string> plansLeft;
        std::function<void(CScheduleTask&)> check;
    };
    const Case cases[] = {
        {"subject",
         [](CScheduleTask& t) {
             t.GetSubjectInfoList().Remove("s2");
             t.MaintainSubjectIntegrity(true);
         },
         {"k1", "k2", "k5"},
         [](CScheduleTask& t) {
             const CCourseTable& t1 = t.GetTeacher("t1")->GetTable(false);
             EXPECT_EQ(t1.GetValue(kB), 50);
             EXPECT_EQ(t1.GetNode(kB).GetCourseId(1), "k1");
             EXPECT_EQ(t1.GetValue(kE), 0);
             EXPECT_EQ(t.GetCombineCourseList().GetCount(), 1);
         }},
        {"teacher",
         [](CScheduleTask& t) {
             t.GetTeacherInfoList().Remove("t1");
             t.MaintainTeacherIntegrity(true);
         },
         {"k2", "k5"},
         [](CScheduleTask& t) {
             EXPECT_EQ(Ids(t.GetTeacherGroupInfoList()), std::set<std::string>{"g2"});
             EXPECT_EQ(static_cast<CTeacherGroupInfo*>(t.GetTeacherGroupInfoList().Find("g2"))->GetTeacherArray(),
                       std::vector<std::string>{"t2"});
             EXPECT_EQ(Ids(t.GetFixedTimeOfTeacherGroupList()), std::set<std::string>{"g2"});
             EXPECT_TRUE(t.GetFixedTimeOfTeacherList().IsEmpty());
             EXPECT_EQ(t.GetClass("c1")->GetTable(true).GetValue(kA), 0);
             EXPECT_EQ(t.GetClass("c2")->GetTable(true).GetValue(kB), 0);
         }},
        {"assistant teacher",
         [](CScheduleTask& t) {
             t.GetTeacherInfoList().Remove("t4");
             t.MaintainTeacherIntegrity(true);
         },
         {"k1", "k2", "k3", "k4"},
         [](CScheduleTask& t) {
             EXPECT_EQ(t.GetAssistant("k1")->GetAssistants(), std::vector<std::string>{"t3"});
             EXPECT_EQ(t.GetRoom("q")->GetComplexTable().Enum(false, 0)->GetValue(kF), 0);
             EXPECT_EQ(t.GetRoom("q")->GetComplexTable().Enum(false, 0)->GetValue(kC), 100);
         }},
        {"room",
         [](CScheduleTask& t) {
             t.GetRoomInfoList().Remove("q");
             t.MaintainRoomIntegrity(true);
         },
         {"k1", "k2", "k3", "k4", "k5"},
         [](CScheduleTask& t) {
             EXPECT_EQ(t.FindCourse("k5")->GetRoomParam(), "");
             EXPECT_EQ(t.FindCourse("k5")->GetRoomStrategy(), ROOM_STRATEGY_NONE);
             EXPECT_EQ(t.FindCourse("k1")->GetRoomParam(), "r");
             EXPECT_EQ(t.FindCourse("k5")->GetTable(false).GetValue(kF), 100);  // lessons stay
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();  // every object anew, placed again
        c.remove(task);
        EXPECT_EQ(Plans(), c.plansLeft);
        c.check(task);
        EXPECT_TRUE(TablesConsistent(task));
    }
}

TEST_F(Integrity, OpeningRepairsListsAndLeavesTablesAlone)
{
    task.GetClassInfoList().Remove("c1");
    task.GetTeacherInfoList().Remove("t2");
    const CCourseTable t1 = TeacherTable("t1");
    const CCourseTable t3 = TeacherTable("t3", true);
    const CCourseTable r0 = RoomTable("r", 0);
    CSchoolStructure& week = task.GetSchoolStructure();
    week.SetValue(kA, CTimeTable::kInvalid);
    CActivities& activities = task.GetActivities();
    activities.AddActivity(kA, "升旗");
    activities.AddActivity(kB, "班会");
    activities.AddActivity("070", "坏键");
    activities.AddActivity("x1", "坏键");
    b.Assistant("k9", {"t3"});
    b.OddEven("oe2", "k4", "k9");
    b.Combined("cc2", {"k4", "k5"});

    task.MaintainInputIntegrities();

    EXPECT_EQ(Plans(), (std::set<std::string>{"k4", "k5"}));
    EXPECT_TRUE(SameTable(TeacherTable("t1"), t1));
    EXPECT_TRUE(SameTable(TeacherTable("t3", true), t3));
    EXPECT_TRUE(SameTable(RoomTable("r", 0), r0));
    EXPECT_EQ(activities.GetMap().size(), 1u);
    EXPECT_EQ(activities.GetActivity(kA), "升旗");
    // The teacher group named only remaining teachers after t2 went; the rules that named k1 or
    // k9 (which never existed) went; the combined class of two remaining plans stayed.
    EXPECT_EQ(Ids(task.GetTeacherGroupInfoList()), (std::set<std::string>{"g1", "g2"}));
    EXPECT_TRUE(task.GetAssistantList().IsEmpty());
    EXPECT_TRUE(task.GetOETeamList().IsEmpty());
    EXPECT_EQ(Ids(task.GetCombineCourseList()), std::set<std::string>{"cc2"});
    EXPECT_TRUE(task.GetCoursePresetList().IsEmpty());
}

TEST_F(Integrity, TeacherGroupLeftEmptyGoesWithItsFixedTimes)
{
    task.GetTeacherInfoList().Remove("t1");
    task.MaintainTeacherIntegrity(false);
    EXPECT_EQ(task.GetTeacherGroupInfoList().Find("g1"), nullptr);
    EXPECT_EQ(task.GetFixedTimeOfTeacherGroupList().Find("g1"), nullptr);
    EXPECT_NE(task.GetFixedTimeOfTeacherGroupList().Find("g2"), nullptr);
}

}  // namespace

namespace {

// Rules that name a deleted subject or teacher go with it; rules still naming two live ones stay.
TEST_F(Integrity, DeletedSubjectsAndTeachersTakeTheirRulesAlong)
{
    b.Subject("s3", "化学");
    b.FixedTime<CFixedTimeOfSubject>(task.GetFixedTimeOfSubjectList(), "s2", "5,");
    b.FixedTime<CFixedTimeOfSubject>(task.GetFixedTimeOfSubjectList(), "s1", "5,");
    b.MutexSubjects("m1", {"s1", "s2"});
    b.MutexSubjects("m2", {"s1", "s2", "s3"});
    b.MutexTeachers("t1", {"t2"});
    b.MutexTeachers("t2", {"t3", "t4"});

    task.GetSubjectInfoList().Remove("s2");
    task.MaintainSubjectIntegrity(true);
    EXPECT_EQ(Ids(task.GetFixedTimeOfSubjectList()), std::set<std::string>{"s1"});
    EXPECT_EQ(Ids(task.GetMutexSubjectList()), std::set<std::string>{"m2"});
    EXPECT_EQ(static_cast<CMutexSubject*>(task.GetMutexSubjectList().Find("m2"))->GetSubjectArray(),
              (std::vector<std::string>{"s1", "s3"}));

    task.GetTeacherInfoList().Remove("t1");
    task.GetTeacherInfoList().Remove("t3");
    task.MaintainTeacherIntegrity(true);
    EXPECT_EQ(Ids(task.GetMutexOfTeacherList()), std::set<std::string>{"t2"});
    EXPECT_EQ(task.GetMutexOfTeacherList().FindTeacherMutexInfo("t1"), nullptr);
    const std::vector<std::string>* partners = task.GetMutexOfTeacherList().FindTeacherMutexInfo("t2");
    ASSERT_NE(partners, nullptr);
    EXPECT_EQ(*partners, std::vector<std::string>{"t4"});
}

}  // namespace
