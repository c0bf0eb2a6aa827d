#pragma once
// A small school open in the application for the picker tests: two classes, three teachers, plans
// of every kind (one with an assistant, one of 2.5 lessons, a combined class) and three rooms.
#include "support/FakeAppServices.h"

#include "app/taskhelper/TaskHelper.h"
#include "support/SchoolBuilder.h"

class PickerSchool {
public:
    PickerSchool()
    {
        CSchoolStructure& week = task.GetSchoolStructure();
        week.SetSectionNodeMaxCount(3, 1, true);  // morning reading
        week.SetSectionNodeMaxCount(4, 1, true);  // evening self-study
        week.RefreshData();
        b.Subject("s1", "语文");
        b.Subject("s2", "数学");
        b.Subject("s3", "英语");
        b.Subject("s4", "自习");
        b.Teacher("t1", "张伟");
        b.Teacher("t2", "李娜");
        b.Teacher("t3", "王芳");
        b.Class("c1", "一班");
        b.Class("c2", "二班");
        b.Room("r1", "实验室");
        b.Room("r2", "机房");
        b.Room("r3", "操场", 3);
        b.Course("p1", "c1", "s1", "t1", "3");
        b.Course("p2", "c1", "s2", "t2", "2.5");
        b.Course("p3", "c1", "s3", "t1", "2");
        b.Course("q1", "c2", "s1", "t1", "3");
        b.Course("q2", "c2", "s2", "t3", "2");
        b.SelfStudy("m1", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING);
        b.SelfStudy("e1", "c1", "s4", "t3", COURSE_TYPE_SELF_STUDY);
        b.Assistant("p1", {"t3"});
        b.Combined("cc1", {"p1", "q1"});
        services.task = &task;
    }

    static tagTABLE_NODE N(int day, int segment, int section) { return {day, segment, section}; }

    CCourseInfo* Plan(const std::string& id) { return task.FindCourse(id); }

    // Places a lesson of the plan in its class's working timetable.
    void Place(const std::string& planId, const tagTABLE_NODE& node, int part = 0, const std::string& room = {})
    {
        CCourseInfo* plan = Plan(planId);
        CTaskHelper(&task).SetCourseNode(&task.GetClass(plan->GetClassId())->GetTable(true), plan, room, node, part);
    }

    SchoolBuilder b;
    CScheduleTask& task = b.Task();
    FakeAppServices services;
};
