#include "base/ScheduleTask.h"

#include "base/CellRecord.h"

#include <gtest/gtest.h>

#include "support/SchoolBuilder.h"

#include <algorithm>
#include <initializer_list>

namespace {

using Data = CCourseTableNode::NodeData;

// '#' stands for the separator byte 7 in the expected records.
std::string Record(std::string text)
{
    std::replace(text.begin(), text.end(), '#', zem::kCellSeparator);
    return text;
}

CCourseTableNode Whole(const Data& lesson, std::initializer_list<Data> more = {})
{
    CCourseTableNode cell;
    cell.data(1) = lesson;
    for (const Data& further : more) {
        CCourseTableNode extra;
        extra.data(1) = further;
        cell.Combine(extra);
    }
    return cell;
}

CCourseTableNode Split(const Data& odd, const Data& even, std::initializer_list<Data> moreEven = {})
{
    CCourseTableNode cell;
    cell.data(1) = odd;
    cell.data(2) = even;
    cell.SetInterleave(true);
    for (const Data& further : moreEven) {
        CCourseTableNode extra;
        extra.data(2) = further;
        cell.Combine(extra);
    }
    return cell;
}

// Three classes, k2 and k3 taught together, k1 with an assistant, and three rooms: a lab of
// three places, a playground of three and a one-place room.
class CellText : public ::testing::Test {
protected:
    CellText()
    {
        b.Subject("s1", "数学", "数");
        b.Subject("s2", "语文");
        b.Teacher("t1", "王喆", "王");
        b.Teacher("t2", "李堃", "李");
        b.Teacher("t3", "陈玥", "陈");
        b.Class("c1", "初一(1)班", "1班");
        b.Class("c2", "初一(2)班", "2班");
        b.Class("c3", "初一(3)班", "3班");
        b.Room("lab", "实验室", 3);
        b.Room("field", "操场", 3);
        b.Room("piano", "琴房", 1);
        b.Course("k1", "c1", "s1", "t1");
        b.Course("k2", "c2", "s2", "t2");
        b.Course("k3", "c3", "s1", "t3");
        b.Course("k4", "c1", "s2", "t2");
        b.Assistant("k1", {"t3"});
        b.Combined("cc", {"k2", "k3"});
    }

    SchoolBuilder b;
};

TEST_F(CellText, CellRecords)
{
    const CScheduleTask& task = b.Task();
    const CCourseTableNode a = Whole({"k1", "lab", 1});
    const CCourseTableNode oddEven = Split({"k1", "piano", 0}, {"k4", "", -1});
    const CCourseTableNode evenOnly = Split({}, {"k4", "", -1});
    const CCourseTableNode empty;
    const CCourseTableNode gone = Whole({"gone", "lab", 0});
    const CCourseTableNode field = Whole({"k1", "field", 1});
    const CCourseTableNode combined = Whole({"k2", "piano", 0});
    const CCourseTableNode shared = Whole({"k1", "lab", 0}, {{"k2", "lab", 1}, {"k3", "lab", 2}});
    const CCourseTableNode sharedCombined = Whole({"k2", "lab", 0}, {{"k3", "lab", 1}, {"k1", "lab", 2}});
    const CCourseTableNode sharedEven = Split({"k1", "lab", 0}, {"k4", "lab", 0}, {{"k2", "lab", 1}});

    struct Case {
        const CCourseTableNode* cell;
        TABLE_TYPE type;
        int layout;
        bool full;
        bool seat;
        std::vector<std::string> filter;
        const char* expected;
    };
    const TABLE_TYPE C = TABLE_CLASS, T = TABLE_TEACHER, R = TABLE_ROOM;
    const Case cases[] = {
        // The six layouts of the three timetables: short names, seats shown.
        {&a, C, 0, false, true, {}, "1#1#数#王 陈(实验室:2)"},
        {&a, C, 1, false, true, {}, "1#1#数#王 陈"},
        {&a, C, 2, false, true, {}, "1#1#数#实验室:2"},
        {&a, C, 3, false, true, {}, "1#1#数#"},
        {&a, C, 4, false, true, {}, "1#1#王 陈(实验室:2)#"},
        {&a, C, 5, false, true, {}, "1#1#王 陈#"},
        {&a, T, 0, false, true, {}, "1#1#数#1班(实验室:2)"},
        {&a, T, 1, false, true, {}, "1#1#数#1班"},
        {&a, T, 2, false, true, {}, "1#1#数#实验室:2"},
        {&a, T, 3, false, true, {}, "1#1#数#"},
        {&a, T, 4, false, true, {}, "1#1#1班(实验室:2)#"},
        {&a, T, 5, false, true, {}, "1#1#1班#"},
        {&a, R, 0, false, true, {}, "1#1#2: 1班#王 陈(数)"},
        {&a, R, 1, false, true, {}, "1#1#2: 1班#王 陈"},
        {&a, R, 2, false, true, {}, "1#1#2: 1班#数"},
        {&a, R, 3, false, true, {}, "1#1#2: 1班#"},
        {&a, R, 4, false, true, {}, "1#1#王 陈(数)#"},
        {&a, R, 5, false, true, {}, "1#1#王 陈#"},
        // Full names without seats.
        {&a, C, 0, true, false, {}, "1#1#数学#王喆 陈玥(实验室)"},
        {&a, R, 0, true, false, {}, "1#1#初一(1)班#王喆 陈玥(数学)"},
        // No layout, no timetable type, no lesson, a deleted plan.
        {&a, C, 6, false, true, {}, "0#1##"},
        {&a, C, -1, false, true, {}, "0#1##"},
        {&a, static_cast<TABLE_TYPE>(3), 0, false, true, {}, "0#1##"},
        {&empty, C, 0, false, true, {}, "0#1##"},
        {&gone, C, 0, false, true, {}, "0#1##"},
        // Odd/even cells; a one-place room and a lesson without room show no seat and no brackets.
        {&oddEven, C, 0, false, true, {}, "2#1#数#王 陈(琴房)#2#语文#李"},
        {&oddEven, T, 2, false, true, {}, "2#1#数#琴房#2#语文#"},
        {&evenOnly, C, 1, false, true, {}, "2#1###2#语文#李"},
        // The subject filter ignores case.
        {&a, C, 0, false, true, {"S2"}, "0#1##"},
        {&a, C, 0, false, true, {"x", "S1"}, "1#1#数#王 陈(实验室:2)"},
        {&oddEven, C, 1, false, true, {"s2"}, "2#1###2#语文#李"},
        // A playground never shows a seat.
        {&field, R, 0, false, true, {}, "1#1#1班#王 陈(数)"},
        {&field, C, 2, false, true, {}, "1#1#数#操场"},
        // A combined class: its name, and the teachers of all its plans.
        {&combined, T, 1, false, true, {}, "1#1#语文#合班2班|3班"},
        {&combined, C, 0, false, true, {}, "1#1#语文#李 陈(琴房)"},
        // A shared room lists every lesson of the slot, a combined class once.
        {&shared, R, 1, false, true, {}, "1#1#1: 1班，2: 合班2班|3班#王 陈，李 陈"},
        {&sharedCombined, R, 3, false, true, {}, "1#1#1: 合班2班|3班，3: 1班#"},
        {&sharedEven, R, 3, false, true, {}, "2#1#1: 1班##2#1: 1班，2: 合班2班|3班#"},
        {&shared, C, 3, false, true, {}, "1#1#数#"},
        // A filtered-out first lesson leaves no dangling comma.
        {&shared, R, 1, false, true, {"s2"}, "1#1#2: 合班2班|3班#李 陈"},
    };
    for (const Case& c : cases) {
        const CellInfoParam param{c.full, c.seat, c.layout, c.filter};
        EXPECT_EQ(task.GetCellInfo(*c.cell, c.type, param), Record(c.expected))
            << c.expected << " (type " << c.type << ", layout " << c.layout << ")";
    }
}

TEST_F(CellText, DescriptionsAndNames)
{
    CScheduleTask& task = b.Task();
    task.FindCourse("k1")->SetRoom("piano");
    b.SelfStudy("r1", "c2", "s2", "t2", COURSE_TYPE_MORNING_READING);
    b.SelfStudy("e1", "c3", "s1", "t3", COURSE_TYPE_SELF_STUDY);

    EXPECT_EQ(task.GetCourseDesc("k1"), "初一(1)班 数学(王喆 琴房)");
    EXPECT_EQ(task.GetCourseDesc(task.FindCourse("k2")), "初一(2)班 语文(李堃)");
    EXPECT_EQ(task.GetCourseDesc("r1"), "早读：初一(2)班 语文(李堃)");
    EXPECT_EQ(task.GetCourseDesc("e1"), "晚自习：初一(3)班 数学(陈玥)");
    EXPECT_EQ(task.GetCourseDesc("gone"), "");
    EXPECT_EQ(task.GetCourseDesc(nullptr), "");
    // A fixed room deleted since leaves no trailing blank.
    task.GetRoomInfoList().Remove("piano");
    EXPECT_EQ(task.GetCourseDesc("k1"), "初一(1)班 数学(王喆)");

    // A school of one week names no week, whichever of the two it uses; one of two weeks does.
    CSchoolStructure& week = task.GetSchoolStructure();
    EXPECT_FALSE(week.NamesWeeks());
    const tagTABLE_NODE node{0, 4, 0};
    EXPECT_EQ(task.GetTimeNodeDesc(&node), "周一晚自习第1节");
    EXPECT_EQ(task.GetTimeNodeDesc(nullptr), "");
    for (int day = 0; day < zem::kDayCount; ++day)
        week.SetWeekDay(day, day >= 7 && day < 12);
    EXPECT_EQ(task.GetTimeNodeDesc(8, 1, 2), "周二下午第3节");
    week.SetWeekDay(0, true);
    EXPECT_TRUE(week.NamesWeeks());
    EXPECT_EQ(task.GetTimeNodeDesc(8, 1, 2), "第2周周二下午第3节");
    EXPECT_EQ(task.GetTimeNodeDesc(&node), "第1周周一晚自习第1节");

    CCombineClass* combined = b.Combined("cc2", {"gone", "k1", "k4"});
    EXPECT_EQ(task.GetCCName(combined), "合班1班|1班");  // no bar where a deleted plan stood
    EXPECT_EQ(task.GetCCName(nullptr), "");
}

TEST_F(CellText, ActivitiesAndClosedSlots)
{
    CScheduleTask& task = b.Task();
    // School-wide: a flag ceremony on Monday's first period; the second period is closed.
    task.GetSchoolStructure().SetValue(0, 0, 0, CTimeTable::kInvalid);
    task.GetSchoolStructure().SetValue(0, 0, 1, CTimeTable::kInvalid);
    task.GetActivities().AddActivity(SchoolBuilder::N(0, 0, 0), "升旗");
    // Class c1: a class meeting on Tuesday's second period, the third closed.
    auto* cls = b.FixedTime<CFixedTimeOfClass>(task.GetFixedTimeOfClassList(), "c1", "101,102,");
    cls->GetActivities().AddActivity(SchoolBuilder::N(1, 0, 1), "班会");
    // Teacher t1: research on Tuesday's fourth period; Tuesday afternoon's first period closed.
    auto* teacher = b.FixedTime<CFixedTimeOfTeacher>(task.GetFixedTimeOfTeacherList(), "t1", "103,110,");
    teacher->GetActivities().AddActivity(SchoolBuilder::N(1, 0, 3), "教研");
    // Two groups hold t2 (the first names it in upper case); the first in display order wins.
    b.Group("g1", "语文组", {"T2"});
    b.Group("g2", "年级组", {"t2", "t3"});
    auto* g1 = b.FixedTime<CFixedTimeOfTeacherGroup>(task.GetFixedTimeOfTeacherGroupList(), "g1", "200,201,");
    g1->GetActivities().AddActivity(SchoolBuilder::N(2, 0, 1), "集体备课");
    auto* g2 = b.FixedTime<CFixedTimeOfTeacherGroup>(task.GetFixedTimeOfTeacherGroupList(), "g2", "201,");
    g2->GetActivities().AddActivity(SchoolBuilder::N(2, 0, 1), "年级会");

    struct Case {
        const char* id;
        TABLE_TYPE type;
        tagTABLE_NODE node;
        bool disabled;
        const char* activity;
    };
    const TABLE_TYPE C = TABLE_CLASS, T = TABLE_TEACHER, R = TABLE_ROOM;
    const Case cases[] = {
        {"c1", C, {0, 0, 0}, false, "升旗"},
        {"c1", C, {0, 0, 1}, true, ""},
        {"lab", R, {0, 0, 1}, true, ""},
        {"c1", C, {1, 0, 1}, false, "班会"},
        {"c1", C, {1, 0, 2}, true, ""},
        {"c1", C, {1, 0, 4}, false, ""},
        {"t1", T, {1, 0, 2}, false, ""},  // the class's times are not the teacher's
        {"c1", R, {1, 0, 2}, false, ""},
        {"t1", T, {1, 0, 3}, false, "教研"},
        {"t1", T, {1, 1, 0}, true, ""},
        {"t2", T, {2, 0, 0}, true, ""},
        {"t2", T, {2, 0, 1}, false, "集体备课"},
        {"t3", T, {2, 0, 1}, false, "年级会"},
        {"t3", T, {2, 0, 0}, false, ""},
        {"t1", T, {2, 0, 0}, false, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(task.IsDisabledNode(c.id, c.type, c.node), c.disabled)
            << c.id << " " << c.node.day << c.node.segment << c.node.section;
        EXPECT_EQ(task.GetActivityInfo(c.id, c.type, c.node), c.activity)
            << c.id << " " << c.node.day << c.node.segment << c.node.section;
    }
}

}  // namespace
