#pragma once
// A small school for the helper's tests: three classes, three teachers, four subjects and one room,
// with lessons placed through the helper into the working timetables.
#include "app/taskhelper/TaskHelper.h"
#include "support/SchoolBuilder.h"
#include "support/TableConsistency.h"

#include <gtest/gtest.h>

class HelperSchool {
public:
    HelperSchool()
    {
        b.Subject("s1", "语文");
        b.Subject("s2", "数学");
        b.Subject("s3", "英语");
        b.Subject("s4", "物理");
        b.Teacher("t1", "张老师");
        b.Teacher("t2", "李老师");
        b.Teacher("t3", "王老师");
        b.Class("c1", "一班");
        b.Class("c2", "二班");
        b.Class("c3", "三班");
        b.Room("r1", "实验室");
        b.Course("p1", "c1", "s1", "t1", "3");
        b.Course("p2", "c1", "s2", "t2", "3");
        b.Course("p3", "c1", "s3", "t3", "2");
        b.Course("q1", "c2", "s2", "t1", "3");
        b.Course("q2", "c2", "s4", "t3", "2");
        b.Course("w1", "c3", "s4", "t3", "2");
        b.Course("w2", "c3", "s1", "t2", "2");
    }

    static tagTABLE_NODE N(int day, int segment, int section) { return {day, segment, section}; }

    CCourseTable* ClassTable(const std::string& classId) { return &task.GetClass(classId)->GetTable(true); }
    CCourseTable* TeacherTable(const std::string& teacherId) { return &task.GetTeacher(teacherId)->GetTable(true); }
    CCourseInfo* Plan(const std::string& id) { return task.FindCourse(id); }

    // Places a lesson of the plan (and nothing else) through the helper.
    void Place(const std::string& planId, const tagTABLE_NODE& node, int part = 0, const std::string& room = {})
    {
        CTaskHelper helper(&task);
        CCourseInfo* plan = Plan(planId);
        helper.SetCourseNode(ClassTable(plan->GetClassId()), plan, room, node, part);
    }

    // The plan in the class's slot for the week part (1 or 0: first half, 2: second half).
    std::string At(const std::string& classId, const tagTABLE_NODE& node, int half = 1)
    {
        return ClassTable(classId)->GetNode(node).data(half).GetCourseId();
    }

    SchoolBuilder b;
    CScheduleTask& task = b.Task();
};

// The school as a test fixture.
class HelperTest : public HelperSchool, public testing::Test {};
