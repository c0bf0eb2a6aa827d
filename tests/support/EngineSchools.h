#pragma once
// Small schools for the engine's tests.
#include "support/SchoolBuilder.h"

#include <string>

// Three classes of 20 lessons in a week of 35 slots: main and other subjects, blocks of two, half
// lessons that pair up, a combined class, a shared room and a preset.
inline void SmallSchool(SchoolBuilder& b)
{
    b.Subject("s1", "语文");
    b.Subject("s2", "数学");
    b.Subject("s3", "英语");
    b.Subject("s4", "体育");
    b.Subject("s5", "音乐");
    for (const char* t : {"t1", "t2", "t3", "t4", "t5"})
        b.Teacher(t, std::string("老师") + t);
    b.Room("gym", "操场", 2);
    for (int i = 1; i <= 3; ++i) {
        const std::string n = std::to_string(i);
        b.Class("c" + n, n + "班");
        b.Course("yw" + n, "c" + n, "s1", "t1", "6");
        CCourseInfo* math = b.Course("sx" + n, "c" + n, "s2", "t2", "5");
        math->SetContinuousNodes(2);
        math->SetContinuousTimes(2);
        b.Course("yy" + n, "c" + n, "s3", "t3", "5");
        b.Course("ty" + n, "c" + n, "s4", "t4", "2.5", "gym")->SetMainCourse(0);
        b.Course("yl" + n, "c" + n, "s5", "t5", "1.5")->SetMainCourse(0);
    }
    b.Combined("cc", {"yy1", "yy2"});
    b.Preset("yw1", "0,");
}

// A plan of class c3 whose teacher is never free: every try leaves its lesson unplaced.
inline CCourseInfo* UnplaceableLesson(SchoolBuilder& b)
{
    b.Teacher("busy", "没空老师");
    std::string everySlot;
    for (int day = 0; day < 5; ++day)
        for (int segment = 0; segment < 2; ++segment)
            for (int section = 0; section < 4; ++section)
                everySlot += std::to_string(day * 100 + segment * 10 + section) + ",";
    b.FixedTime<CFixedTimeOfTeacher>(b.Task().GetFixedTimeOfTeacherList(), "busy", everySlot);
    return b.Course("never", "c3", "s3", "busy", "1");
}
