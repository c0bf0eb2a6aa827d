#include "base/ScheduleTask.h"

#include <gtest/gtest.h>

#include "support/SchoolBuilder.h"

namespace {

TEST(ScheduleTask, LookupsAndNames)
{
    SchoolBuilder b;
    b.Subject("s1", "数学", "数");
    b.Teacher("t1", "王喆", "王");
    b.Class("c1", "初一(1)班", "1班");
    b.Course("k1", "c1", "s1", "t1", "4");
    b.SelfStudy("k1", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING);
    b.SelfStudy("r1", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING);
    CScheduleTask& task = b.Task();

    EXPECT_EQ(task.GetTeacherName("t1"), "王喆");
    EXPECT_EQ(task.GetClassNameA("nope"), "");
    EXPECT_EQ(task.FindCourse("k1")->GetType(), COURSE_TYPE_PLAN);  // the teaching plan wins
    EXPECT_EQ(task.FindCourse("r1")->GetType(), COURSE_TYPE_MORNING_READING);
    EXPECT_EQ(task.FindCourse(""), nullptr);
    std::vector<CCourseInfo*> all;
    task.GetFullCourseList(all);
    EXPECT_EQ(all.size(), 3u);
}

TEST(ScheduleTask, TeacherCountsAndNames)
{
    SchoolBuilder b;
    b.Teacher("t1", "王喆", "王");
    b.Teacher("t2", "李堃");
    b.Teacher("t3", "陈玥", "陈");
    b.Course("k1", "c1", "s1", "t1", "2.5");
    b.Course("k2", "c2", "s1", "T1", "2.5");
    b.Course("k3", "c1", "s2", "t1", "1");
    b.Course("k4", "c3", "s2", "t3", "1");
    b.Assistant("k1", {"t2", "t1"});
    b.Combined("cc", {"k1", "k4"});
    CScheduleTask& task = b.Task();

    EXPECT_EQ(task.GetClassCountOfTeacher(task.GetCourseInfoList(), "t1"), 2);
    EXPECT_EQ(task.GetWeekCountOfTeacher(task.GetCourseInfoList(), "t1"), 6);  // 2.5 + 2.5 + 1
    EXPECT_EQ(task.GetWeekCountOfTeacher(task.GetCourseInfoList(), "t3"), 1);
    EXPECT_EQ(task.GetAllTeacherName(task.FindCourse("k1"), true, false), "王喆 李堃");
    EXPECT_EQ(task.GetAllTeacherName(task.FindCourse("k1"), false, true), "王 李堃 陈");
    EXPECT_EQ(task.GetAllTeacherName(nullptr, true, true), "");

    CMutexSubject* rule = b.MutexSubjects("m", {"S2", "s1"});
    EXPECT_EQ(task.GetMutexSubject("s2"), rule);
    EXPECT_EQ(task.GetWeekCountOfMutexSubject(rule, task.GetCourseInfoList(), "C1"), 3);  // 2.5 + 1
}

TEST(ScheduleTask, OneDayMaxNodes)
{
    struct Case {
        const char* count;
        int nodes, times, days, expected;
    };
    const Case cases[] = {
        {"5", 1, 0, 5, 1}, {"6", 1, 0, 5, 2}, {"6", 2, 1, 5, 2}, {"10", 2, 5, 5, 2},
        {"10", 2, 0, 5, 2}, {"12", 2, 0, 5, 4}, {"4.5", 1, 0, 5, 1}, {"3", 1, 0, 0, 3},
    };
    for (const Case& c : cases) {
        SchoolBuilder b;
        CSchoolStructure& week = b.Task().GetSchoolStructure();
        for (int day = 0; day < zem::kDayCount; ++day)
            week.SetWeekDay(day, day < c.days);
        CCourseInfo* course = b.Course("k", "c", "s", "t", c.count);
        course->SetContinuousNodes(c.nodes);
        course->SetContinuousTimes(c.times);
        EXPECT_EQ(b.Task().GetOneDayMaxNodes(course), c.expected) << c.count << " " << c.nodes << "x" << c.times;
    }
}

}  // namespace
