#include "base/BasicData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Ids = std::vector<std::string>;

constexpr tagTABLE_NODE kNode{2, 0, 1};

TEST(SubjectInfo, CopyTakesTheShortNameAsShown)
{
    CSubjectInfo subject;
    subject.SetId("s1");
    subject.SetName("语文");
    EXPECT_EQ(subject.GetShortName(), "语文");

    CSubjectInfo copy;
    copy.SetShortName("旧");
    copy.Copy(&subject);
    EXPECT_EQ(copy.GetId(), "s1");
    EXPECT_EQ(copy.GetShortName(), "语文");
    copy.SetName("语文课");
    EXPECT_EQ(copy.GetShortName(), "语文");  // stored now, no longer follows the name

    CSubjectInfo assigned;
    assigned = subject;  // assignment keeps the short name as stored
    assigned.SetName("国文");
    EXPECT_EQ(assigned.GetShortName(), "国文");

    copy.Copy(static_cast<const CSubjectInfo*>(nullptr));
    copy.Copy(&copy);
    EXPECT_EQ(copy.GetShortName(), "语文");
}

TEST(TeacherGroupInfo, MembersReplaceAndRemoveTheLaterOne)
{
    CTeacherGroupInfo group;
    group.SetId("g1");
    group.ResetGroup({"t1", "t2", "t1", "t3"});
    EXPECT_TRUE(group.FindTeacher("t2"));
    EXPECT_FALSE(group.FindTeacher("T2"));

    group.RemoveTeacher("t1");
    EXPECT_EQ(group.GetTeacherArray(), (Ids{"t1", "t2", "t3"}));
    group.RemoveTeacher("t9");
    group.AddTeacher("t3");
    group.Replace("t3", "t7");
    EXPECT_EQ(group.GetTeacherArray(), (Ids{"t1", "t2", "t7", "t7"}));

    const std::unique_ptr<CZemObject> clone(group.Clone());
    auto* cloned = dynamic_cast<CTeacherGroupInfo*>(clone.get());
    ASSERT_NE(cloned, nullptr);
    EXPECT_EQ(cloned->GetId(), "g1");
    EXPECT_EQ(cloned->GetTeacherArray(), group.GetTeacherArray());

    group.Copy(static_cast<const CTeacherGroupInfo*>(nullptr));
    group.Copy(&group);
    EXPECT_EQ(group.GetTeacherArray().size(), 4u);
    group.RemoveAllTeacher();
    EXPECT_TRUE(group.GetTeacherArray().empty());
}

TEST(ClassAndTeacherInfo, CopyAndCloneKeepTablesAndFields)
{
    CClassInfo klass;
    klass.SetId("c1");
    klass.SetName("高一(1)班");
    klass.SetStudentCount(48);
    klass.SetHeadTeacherName("王喆");
    klass.GetTable(false).SetValue(kNode, 100);
    const std::unique_ptr<CClassInfo> clone(klass.Clone());
    EXPECT_EQ(clone->GetStudentCount(), 48u);
    EXPECT_EQ(clone->GetHeadTeacherName(), "王喆");
    EXPECT_EQ(clone->GetTable(false).GetValue(kNode), 100);

    CTeacherInfo teacher;
    teacher.SetId("t1");
    teacher.SetShortName("堃");
    teacher.GetTempTable().SetValue(kNode, 50);
    const std::unique_ptr<CTeacherInfo> teacherClone(teacher.Clone());
    EXPECT_EQ(teacherClone->GetShortName(), "堃");
    EXPECT_EQ(teacherClone->GetTempTable().GetValue(kNode), 50);
}

TEST(RoomInfo, CapacityStaysWithinOneTo999AndSizesTheParallelTables)
{
    const CRoomInfo fresh;
    EXPECT_EQ(fresh.GetCapacity(), 1u);
    EXPECT_EQ(fresh.GetComplexTable().GetCount(), 1u);  // a new room can take a lesson
    EXPECT_FALSE(fresh.IsComplex());

    struct Case {
        long long set;
        unsigned capacity;
    };
    const Case cases[] = {{0, 1}, {1, 1}, {3, 3}, {-5, 1}, {999, 999}, {1000, 999}, {4294967295LL, 999}};
    for (const Case& c : cases) {
        CRoomInfo room;
        room.SetCapacity(c.set);
        EXPECT_EQ(room.GetCapacity(), c.capacity) << c.set;
        EXPECT_EQ(room.GetComplexTable().GetCount(), c.capacity) << c.set;
        EXPECT_EQ(room.IsComplex(), c.capacity > 1) << c.set;
    }
}

TEST(RoomInfo, CombineTableMergesOneSetIntoAClearedTable)
{
    CRoomInfo room;
    room.SetId("r1");
    room.SetCapacity(2);
    CComplexTable& places = room.GetComplexTable();
    const tagTABLE_NODE other{4, 1, 0};
    for (int i = 0; i < 2; ++i) {
        places.Enum(true, i)->SetValue(kNode, 100);
        places.Enum(true, i)->GetNode(kNode).data(1).SetCourseId(i == 0 ? "p1" : "p2");
    }
    places.Enum(true, 0)->SetValue(other, 100);
    places.Enum(true, 0)->GetNode(other).data(1).SetCourseId("p3");

    CCourseTable& merged = room.GetCombineTable(true);
    EXPECT_EQ(merged.GetValue(kNode), 100);  // both places taken
    EXPECT_EQ(merged.GetNode(kNode).GetCourseId(1), "p1");
    EXPECT_EQ(merged.GetValue(other), 0);  // one place still free
    EXPECT_EQ(merged.GetNode(other).GetCourseId(1), "p3");

    // The committed set is empty: its merged table holds nothing, whatever it held before.
    CCourseTable& committed = room.GetCombineTable(false);
    EXPECT_NE(&committed, &merged);
    EXPECT_FALSE(committed.GetNode(kNode).GetFirstValidCourseHandle());
    EXPECT_EQ(committed.GetValue(kNode), 0);
    committed.SetValue(kNode, -100);
    EXPECT_EQ(room.GetCombineTable(false).GetValue(kNode), 0);
}

TEST(RoomInfo, CopyTakesCapacityAndPlacesCopyTableKeepsCapacity)
{
    CRoomInfo source;
    source.SetId("r1");
    source.SetShortName("实验室");
    source.SetCapacity(3);
    source.GetComplexTable().Enum(false, 2)->SetValue(kNode, 100);

    CRoomInfo copy;
    copy.Copy(&source);
    EXPECT_EQ(copy.GetId(), "r1");
    EXPECT_EQ(copy.GetCapacity(), 3u);
    EXPECT_EQ(copy.GetComplexTable().Enum(false, 2)->GetValue(kNode), 100);

    CRoomInfo tables;
    tables.SetId("r2");
    tables.CopyTable(&source);
    EXPECT_EQ(tables.GetId(), "r2");
    EXPECT_EQ(tables.GetShortName(), "实验室");
    EXPECT_EQ(tables.GetCapacity(), 1u);
    EXPECT_EQ(tables.GetComplexTable().GetCount(), 3u);

    const std::unique_ptr<CRoomInfo> clone(source.Clone());
    EXPECT_EQ(clone->GetCapacity(), 3u);
    copy.Copy(&copy);
    copy.Copy(static_cast<const CRoomInfo*>(nullptr));
    EXPECT_EQ(copy.GetComplexTable().Enum(false, 2)->GetValue(kNode), 100);
}

TEST(CourseInfo, ReplaceChangesOnlyTheFirstMatchingField)
{
    struct Case {
        const char *subject, *teacher, *klass, *room;
        const char *wantSubject, *wantTeacher, *wantClass, *wantRoom;
    };
    const Case cases[] = {
        {"X", "X", "c", "r", "Y", "X", "c", "r"},
        {"s", "X", "X", "X", "s", "Y", "X", "X"},
        {"s", "t", "X", "X", "s", "t", "Y", "X"},
        {"s", "t", "c", "X", "s", "t", "c", "Y"},
        {"s", "t", "c", "r", "s", "t", "c", "r"},
        {"x", "t", "c", "r", "x", "t", "c", "r"},
    };
    for (const Case& c : cases) {
        CCourseInfo course;
        course.SetSubject(c.subject);
        course.SetTeacher(c.teacher);
        course.SetClass(c.klass);
        course.SetRoomParam(c.room);
        course.Replace("X", "Y");
        EXPECT_EQ(course.GetSubjectId(), c.wantSubject);
        EXPECT_EQ(course.GetTeacherId(), c.wantTeacher);
        EXPECT_EQ(course.GetClassId(), c.wantClass);
        EXPECT_EQ(course.GetRoomParam(), c.wantRoom);
    }
}

TEST(CourseInfo, DefaultsRoomAndCopy)
{
    CCourseInfo course;
    EXPECT_TRUE(course.IsMainCourse());
    EXPECT_EQ(course.GetContinuousNodes(), 1);
    EXPECT_EQ(course.GetContinuousTimes(), 0);
    EXPECT_TRUE(course.GetWeekCount().IsEmpty());
    EXPECT_EQ(course.GetRoomStrategy(), ROOM_STRATEGY_NONE);
    EXPECT_EQ(course.GetType(), COURSE_TYPE_PLAN);

    course.SetRoom("r1");
    EXPECT_EQ(course.GetRoomStrategy(), ROOM_STRATEGY_FIXED);
    EXPECT_EQ(course.GetSpecialRoomId(), "r1");
    course.SetRoomStrategy(ROOM_STRATEGY_NONE);
    EXPECT_EQ(course.GetSpecialRoomId(), "");
    EXPECT_EQ(course.GetRoomParam(), "r1");
    course.SetRoom("");
    EXPECT_EQ(course.GetRoomStrategy(), ROOM_STRATEGY_NONE);
    EXPECT_EQ(course.GetSpecialRoomId(), "");

    course.SetId("p1");
    course.SetClass("c1");
    course.SetSubject("s1");
    course.SetTeacher("t1");
    course.SetRoom("r2");
    course.SetMainCourse(0);
    course.GetWeekCount() = CWeekCount(3, true);
    course.SetContinuousNodes(2);
    course.SetContinuousTimes(1);
    course.SetType(COURSE_TYPE_SELF_STUDY);
    course.GetTable(false).SetValue(kNode, 100);
    EXPECT_FALSE(course.IsMainCourse());

    const std::unique_ptr<CZemObject> clone(course.Clone());
    auto* copy = dynamic_cast<CCourseInfo*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetClassId(), "c1");
    EXPECT_EQ(copy->GetSubjectId(), "s1");
    EXPECT_EQ(copy->GetTeacherId(), "t1");
    EXPECT_EQ(copy->GetSpecialRoomId(), "r2");
    EXPECT_FALSE(copy->IsMainCourse());
    EXPECT_EQ(copy->GetWeekCount(), CWeekCount(3, true));
    EXPECT_EQ(copy->GetContinuousNodes(), 2);
    EXPECT_EQ(copy->GetContinuousTimes(), 1);
    EXPECT_EQ(copy->GetType(), COURSE_TYPE_SELF_STUDY);
    EXPECT_EQ(copy->GetTable(false).GetValue(kNode), 100);
}

TEST(CourseAssistant, EqualityIgnoresOrderOnly)
{
    struct Case {
        const char* id1;
        Ids teachers1;
        const char* id2;
        Ids teachers2;
        bool equal;
    };
    const Case cases[] = {
        {"p1", {"X", "Y"}, "p1", {"Y", "X"}, true},
        {"p1", {"X", "Y"}, "p1", {"X", "Z"}, false},
        {"p1", {"X", "Y"}, "p2", {"X", "Y"}, false},
        {"p1", {"X"}, "p1", {"X", "Y"}, false},
        {"p1", {"X"}, "p1", {"x"}, false},
        {"p1", {}, "p1", {}, true},
        {"p1", {"X", "X", "Y"}, "p1", {"X", "Y", "X"}, true},
        {"p1", {"X", "X", "Y"}, "p1", {"X", "Y", "Y"}, false},
    };
    for (const Case& c : cases) {
        CCourseAssistant a, b;
        a.SetId(c.id1);
        a.GetAssistants() = c.teachers1;
        b.SetId(c.id2);
        b.GetAssistants() = c.teachers2;
        EXPECT_EQ(a == b, c.equal) << c.id1 << " " << c.id2;
        EXPECT_EQ(b == a, c.equal) << c.id1 << " " << c.id2;
        EXPECT_EQ(a != b, !c.equal);
    }
}

TEST(CourseAssistant, ReplaceAndCopy)
{
    CCourseAssistant assistant;
    assistant.SetId("p1");
    assistant.GetAssistants() = {"t1", "t2", "t1"};
    assistant.Replace("t1", "t9");
    EXPECT_EQ(assistant.GetAssistants(), (Ids{"t9", "t2", "t9"}));
    // The new id may be an element of the array itself.
    assistant.Replace(assistant.GetAssistants()[1], assistant.GetAssistants()[0]);
    EXPECT_EQ(assistant.GetAssistants(), (Ids{"t9", "t9", "t9"}));

    CCourseAssistant copy;
    copy.GetAssistants() = {"old"};
    copy.Copy(&assistant);
    EXPECT_EQ(copy, assistant);
    copy.Copy(static_cast<const CCourseAssistant*>(nullptr));
    copy.Copy(&copy);
    EXPECT_EQ(copy.GetAssistants().size(), 3u);
}

}  // namespace
