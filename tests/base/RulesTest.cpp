#include "base/Rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Ids = std::vector<std::string>;
using Nodes = std::vector<tagTABLE_NODE>;

std::string Describe(const Nodes& nodes)
{
    std::string text;
    for (const tagTABLE_NODE& node : nodes)
        text += "(" + std::to_string(node.day) + "," + std::to_string(node.segment) + "," +
                std::to_string(node.section) + ")";
    return text;
}

// Both kinds of node list read and write the same text.
template <class T>
class NodeListTest : public testing::Test {};
using NodeListKinds = testing::Types<CFixedTimeOfTeacher, CCoursePreset>;
TYPED_TEST_SUITE(NodeListTest, NodeListKinds);

TYPED_TEST(NodeListTest, FixedTimeStrings)
{
    struct Case {
        const char* text;
        Nodes nodes;
        const char* written;
    };
    const Case cases[] = {
        {"0,12,,1305,-3", {{0, 0, 0}, {0, 1, 2}, {13, 0, 5}}, "0,12,1305,"},
        {"1345,1345", {{13, 4, 5}, {13, 4, 5}}, "1345,1345,"},
        {"9999", {}, ""},
        {"59", {}, ""},    // day 0, segment 5, section 9
        {"1400", {}, ""},  // day 14
        {"16,7,105", {{1, 0, 5}}, "105,"},
        {" 42,", {{0, 4, 2}}, "42,"},
        {"", {}, ""},
        {",,", {}, ""},
    };
    for (const Case& c : cases) {
        TypeParam object;
        object.ReadFixedTimeFromString("3,4");
        object.ReadFixedTimeFromString(c.text);
        EXPECT_EQ(Describe(object.GetNodeList()), Describe(c.nodes)) << c.text;
        EXPECT_EQ(object.GetAllFixedTime(), c.written) << c.text;
        EXPECT_EQ(object.HasFixedTime(), !c.nodes.empty()) << c.text;
    }
}

TYPED_TEST(NodeListTest, CopyOntoItselfOrFromNullKeepsTheNodes)
{
    TypeParam object;
    object.SetId("x1");
    object.ReadFixedTimeFromString("0,112,");
    object.Copy(&object);
    object.Copy(static_cast<const TypeParam*>(nullptr));
    EXPECT_EQ(object.GetAllFixedTime(), "0,112,");
    EXPECT_EQ(object.GetId(), "x1");

    TypeParam other;
    other.ReadFixedTimeFromString("5,");
    other.Copy(&object);
    EXPECT_EQ(other.GetAllFixedTime(), "0,112,");
    EXPECT_EQ(other.GetId(), "x1");

    const std::unique_ptr<CZemObject> clone(object.Clone());
    auto* cloned = dynamic_cast<TypeParam*>(clone.get());
    ASSERT_NE(cloned, nullptr);  // a clone keeps its kind
    EXPECT_EQ(cloned->GetAllFixedTime(), "0,112,");
}

TYPED_TEST(NodeListTest, TablesInAndOut)
{
    CTimeTable table;
    TypeParam object;
    object.ReadFixedTimeFromString("5,");
    object.ReadFixedTimeFromTable(nullptr);
    EXPECT_EQ(object.GetAllFixedTime(), "5,");
    object.ReadFixedTimeFromTable(&table);
    EXPECT_FALSE(object.HasFixedTime());

    table.SetValue(13, 4, 5, -100);
    table.SetValue(0, 2, 1, -100);
    table.SetValue(0, 1, 3, 100);
    object.ReadFixedTimeFromTable(&table);
    EXPECT_EQ(object.GetAllFixedTime(), "21,1345,");  // slot order
    EXPECT_TRUE(object.IsFixedTime({0, 2, 1}));
    EXPECT_FALSE(object.IsFixedTime({0, 1, 3}));
    EXPECT_EQ(object.GetAllFixedTimeWithPopularWord(true), "第1周周一晚上第2节，第2周周日晚自习第6节");
}

TEST(FixedTimeOfObject, ActivitiesTravelWithTheNodes)
{
    CFixedTimeOfClass source;
    source.SetId("c1");
    source.ReadFixedTimeFromString("12,300,");
    source.GetActivities().AddActivity(tagTABLE_NODE{3, 0, 0}, "升旗");
    EXPECT_EQ(source.GetAllFixedTimeWithPopularWord(true), "第1周周一下午第3节，第1周周四上午第1节(升旗)");
    EXPECT_EQ(source.GetAllFixedTimeWithPopularWord(false), "周一下午第3节，周四上午第1节(升旗)");

    CFixedTimeOfClass copy;
    copy.ReadFixedTimeFromString("5,");
    copy.GetActivities().AddActivity(tagTABLE_NODE{0, 0, 5}, "劳动");
    copy.Copy(&source);
    EXPECT_EQ(copy.GetAllFixedTime(), "12,300,");
    EXPECT_EQ(copy.GetActivities().GetMap(), source.GetActivities().GetMap());

    copy.Copy(&copy);
    EXPECT_EQ(copy.GetActivities().GetMap().size(), 1u);

    // Combining merges the slots as a set: none the entry holds is listed twice.
    copy.Combine(&copy);
    EXPECT_EQ(copy.GetAllFixedTime(), "12,300,");
    CFixedTimeOfClass more;
    more.ReadFixedTimeFromString("300,5,");
    more.GetActivities().AddActivity(tagTABLE_NODE{3, 0, 0}, "班会");
    copy.Combine(&more);
    EXPECT_EQ(copy.GetAllFixedTime(), "12,300,5,");
    EXPECT_EQ(copy.GetActivities().GetActivity({3, 0, 0}), "班会");
    copy.Combine(nullptr);
    CCoursePreset notAFixedTime;
    notAFixedTime.ReadFixedTimeFromString("1,");
    copy.Combine(&notAFixedTime);
    EXPECT_EQ(copy.GetNodeList().size(), 3u);

    copy.ReadFixedTimeFromString("");
    EXPECT_TRUE(copy.GetActivities().GetMap().empty());
    source.ReadFixedTimeFromTable(std::make_unique<CTimeTable>().get());
    EXPECT_TRUE(source.GetActivities().GetMap().empty());

    CTimeTable table;
    copy.ReadFixedTimeFromString("12,1345,");
    copy.WriteFixedTimeToTable(&table);
    copy.WriteFixedTimeToTable(nullptr);
    EXPECT_EQ(table.GetValue(0, 1, 2), -100);
    EXPECT_EQ(table.GetValue(13, 4, 5), -100);
    EXPECT_EQ(table.GetValue(0, 0, 0), 0);
}

TEST(CoursePreset, WritesItsLessonIntoHalfOne)
{
    CCoursePreset preset;
    preset.SetId("p1");
    preset.ReadFixedTimeFromString("12,1345,");
    EXPECT_EQ(preset.GetFixedTimeCount(), 2);

    CCourseTable table;
    CCourseTableNode& split = table.GetNode(0, 1, 2);
    split.SetInterleave(true);
    split.data(1).SetRoomIndex(3);
    split.data(2).SetCourseId("p2");
    preset.WriteFixedTimeToTable(&table, "r1");
    preset.WriteFixedTimeToTable(nullptr, "r1");

    EXPECT_EQ(table.GetValue(0, 1, 2), 100);
    EXPECT_EQ(split.data(1).GetCourseId(), "p1");
    EXPECT_EQ(split.data(1).GetRoomId(), "r1");
    EXPECT_EQ(split.data(1).GetRoomIndex(), 3);
    EXPECT_TRUE(split.IsInterleave());
    EXPECT_EQ(split.data(2).GetCourseId(), "p2");
    EXPECT_EQ(table.GetNode(13, 4, 5).GetCourseId(1), "p1");

    CTimeTable blocked;
    preset.DisableFixedTimeToTable(&blocked);
    EXPECT_TRUE(blocked.IsInvalid(13, 4, 5));
}

CCombineClass* Group(const std::string& id, const Ids& courses)
{
    auto* group = new CCombineClass;
    group->SetId(id);
    group->GetCombineCourse() = courses;
    return group;
}

TEST(CombineClassList, CourseMapFollowsRemoveReplaceAndAdd)
{
    CCombineClassList list;
    list.Add(Group("g1", {"P1", "p2"}));
    list.Add(Group("g2", {"p3"}));
    EXPECT_EQ(list.FindByCourse("p2"), nullptr);  // not before a rebuild
    list.ReBuildCourseMap();

    CCombineClass* g1 = list.FindByCourse("P1");
    ASSERT_NE(g1, nullptr);
    EXPECT_EQ(g1->GetId(), "g1");
    EXPECT_TRUE(g1->HasCourse("p1"));
    EXPECT_FALSE(g1->HasCourse("p3"));
    EXPECT_EQ(list.FindByCourse("p1"), nullptr);  // the map's key is exact

    list.Replace("p3", "p4");
    EXPECT_EQ(list.FindByCourse("p3"), nullptr);
    ASSERT_NE(list.FindByCourse("p4"), nullptr);
    list.Replace("g2", "g9");
    EXPECT_EQ(list.FindByCourse("p4")->GetId(), "g9");

    list.Remove("g1");
    EXPECT_EQ(list.FindByCourse("P1"), nullptr);
    EXPECT_EQ(list.FindByCourse("p2"), nullptr);

    // A group that Add replaces is deleted: the map hands out neither it nor its successor,
    // which lacks the plan.
    list.Add(Group("g9", {"p5"}));
    EXPECT_EQ(list.FindByCourse("p4"), nullptr);
    list.Add(Group("g9", {"p4", "p6"}));
    ASSERT_NE(list.FindByCourse("p4"), nullptr);
    EXPECT_EQ(list.FindByCourse("p4")->GetCombineCourse(), (Ids{"p4", "p6"}));

    list.RemoveAll();
    EXPECT_EQ(list.FindByCourse("p4"), nullptr);
}

TEST(CombineClass, ReplaceAndCopy)
{
    const std::unique_ptr<CCombineClass> group(Group("g1", {"p1", "p2", "p1"}));
    group->Replace("p1", "p7");
    EXPECT_EQ(group->GetCombineCourse(), (Ids{"p7", "p2", "p7"}));
    const std::unique_ptr<CCombineClass> clone(group->Clone());
    EXPECT_EQ(clone->GetId(), "g1");
    EXPECT_EQ(clone->GetCombineCourse(), group->GetCombineCourse());
    group->Copy(group.get());
    group->Copy(static_cast<const CCombineClass*>(nullptr));
    EXPECT_EQ(group->GetCombineCourse().size(), 3u);
}

CMutexOfTeacher* MutexRecord(const std::string& teacher, const Ids& partners)
{
    auto* record = new CMutexOfTeacher;
    record->SetId(teacher);
    record->GetMutexTeachers() = partners;
    return record;
}

TEST(MutexOfTeacherList, RebuiltMapIsSymmetricWithoutRepeats)
{
    using Records = std::map<std::string, Ids>;
    struct Case {
        Records records;
        Records expected;  // partners sorted
    };
    const Case cases[] = {
        {{{"A", {"B"}}}, {{"A", {"B"}}, {"B", {"A"}}}},
        {{{"A", {"B"}}, {"B", {"A"}}}, {{"A", {"B"}}, {"B", {"A"}}}},
        {{{"A", {"B", "C"}}}, {{"A", {"B", "C"}}, {"B", {"A"}}, {"C", {"A"}}}},
        {{{"A", {"B"}}, {"C", {"B"}}}, {{"A", {"B"}}, {"B", {"A", "C"}}, {"C", {"B"}}}},
        {{{"A", {"B", "B"}}, {"B", {"C", "A"}}}, {{"A", {"B"}}, {"B", {"A", "C"}}, {"C", {"B"}}}},
    };
    for (const Case& c : cases) {
        CMutexOfTeacherList list;
        for (const auto& [teacher, partners] : c.records)
            list.Add(MutexRecord(teacher, partners));
        list.RebuildEachTeacherMap();
        list.RebuildEachTeacherMap();  // a rebuild starts afresh
        for (const auto& [teacher, partners] : c.expected) {
            const Ids* found = list.FindTeacherMutexInfo(teacher);
            ASSERT_NE(found, nullptr) << teacher;
            Ids sorted = *found;
            std::sort(sorted.begin(), sorted.end());
            EXPECT_EQ(sorted, partners) << teacher;
        }
        EXPECT_EQ(list.FindTeacherMutexInfo("Z"), nullptr);
    }

    CMutexOfTeacherList list;
    list.Add(MutexRecord("A", {"B", "C"}));
    list.RebuildEachTeacherMap();
    EXPECT_EQ(*list.FindTeacherMutexInfo("A"), (Ids{"C", "B"}));  // taken from the last
    list.Remove("A");
    list.RebuildEachTeacherMap();
    EXPECT_EQ(list.FindTeacherMutexInfo("B"), nullptr);
}

TEST(MutexRules, ReplaceAndCopy)
{
    CMutexOfTeacher teacher;
    teacher.SetId("A");
    teacher.GetMutexTeachers() = {"B", "C", "B"};
    teacher.Replace("B", "D");
    EXPECT_EQ(teacher.GetMutexTeachers(), (Ids{"D", "C", "D"}));
    CMutexOfTeacher teacherCopy;
    teacherCopy.Copy(&teacher);
    EXPECT_EQ(teacherCopy.GetMutexTeachers(), teacher.GetMutexTeachers());
    teacherCopy.Copy(&teacherCopy);
    teacherCopy.Copy(static_cast<const CMutexOfTeacher*>(nullptr));
    EXPECT_EQ(teacherCopy.GetMutexTeachers().size(), 3u);

    CMutexSubject subjects;
    subjects.SetId("m1");
    subjects.Reset({"s1", "s2"});
    subjects.Replace("s2", "s3");
    const std::unique_ptr<CMutexSubject> clone(subjects.Clone());
    EXPECT_EQ(clone->GetId(), "m1");
    EXPECT_EQ(clone->GetSubjectArray(), (Ids{"s1", "s3"}));
    subjects.Copy(&subjects);
    subjects.Copy(static_cast<const CMutexSubject*>(nullptr));
    EXPECT_EQ(subjects.GetSubjectArray().size(), 2u);
}

TEST(OETeam, PairOperations)
{
    COETeam team;
    team.SetId("o1");
    team.Set("X", "X");
    team.Replace("X", "Y");
    EXPECT_EQ(team.GetOdd(), "Y");
    EXPECT_EQ(team.GetEven(), "Y");

    team.Set("p1", "p2");
    team.Replace(team.GetOdd(), team.GetEven());  // the caller's ids may be the pair's own
    EXPECT_EQ(team.GetOdd(), "p2");
    team.Set("p1", "p2");
    team.Swap();
    EXPECT_EQ(team.GetOdd(), "p2");
    EXPECT_EQ(team.GetEven(), "p1");
    EXPECT_TRUE(team.Has("p1"));
    EXPECT_FALSE(team.Has("P1"));

    const std::unique_ptr<COETeam> clone(team.Clone());
    EXPECT_EQ(clone->GetId(), "o1");
    EXPECT_EQ(clone->GetOdd(), "p2");
    EXPECT_EQ(clone->GetEven(), "p1");
}

}  // namespace
