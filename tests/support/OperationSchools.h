#pragma once
// The three schools every operation of the program is tried on, each written as a task folder with
// its timetables saved: the demonstration school, a small school made by hand with every kind of
// rule an operation can break, and the generated 36-class school, each scheduled by the engine.
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "support/EngineRun.h"
#include "support/MessageRecorder.h"
#include "support/SchoolBuilder.h"
#include "testing/generator/SchoolGenerator.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

// Three classes of a junior grade: a combined 体育 of two classes sharing the gym, two mutually
// exclusive 数学 teachers, fixed no-lesson times with an activity's name (a teacher's 党团活动, a
// class's 劳动, a teaching group's 教研活动) and one without, a half-week pair, a preset and a
// morning reading; placed by the engine, so that it starts with every rule kept.
inline void BuildHandMadeOperationSchool(SchoolBuilder& b)
{
    CScheduleTask& task = b.Task();
    CSchoolStructure& week = task.GetSchoolStructure();
    week.SetSectionNodeMaxCount(3, 1, true);
    week.RefreshData();
    task.GetTaskSetting().SetStrictDistribution(true);
    for (const auto& [id, name] : {std::pair{"s1", "语文"}, {"s2", "数学"}, {"s3", "英语"}, {"s4", "体育"},
                                   {"s5", "音乐"}, {"s6", "美术"}})
        b.Subject(id, name);
    for (const auto& [id, name] : {std::pair{"t1", "刘强"}, {"t2", "孙丽"}, {"t3", "何静"}, {"t4", "马骏"},
                                   {"t5", "张喆"}, {"t6", "张三"}, {"t7", "李四"}, {"t8", "王五"}, {"t9", "赵玥"}})
        b.Teacher(id, name);
    b.Class("c1", "初一(1)班");
    b.Class("c2", "初一(2)班");
    b.Class("c3", "初一(3)班");
    b.Room("gym", "体育馆");
    b.Course("a1", "c1", "s1", "t5", "5");
    b.Course("a2", "c1", "s2", "t4", "5");
    b.Course("a3", "c1", "s3", "t6", "4");
    b.Course("a4", "c1", "s4", "t1", "2", "gym");
    b.Course("a5", "c1", "s5", "t8", "0.5");
    b.Course("a6", "c1", "s6", "t7", "0.5");
    b.Course("b1", "c2", "s1", "t5", "5");
    b.Course("b2", "c2", "s2", "t3", "5");
    b.Course("b3", "c2", "s3", "t6", "4");
    b.Course("b4", "c2", "s4", "t2", "2", "gym");
    b.Course("b5", "c2", "s5", "t8", "1");
    b.Course("d1", "c3", "s1", "t9", "5");
    b.Course("d2", "c3", "s2", "t4", "5");
    b.Course("d3", "c3", "s3", "t8", "4");
    b.Course("d4", "c3", "s4", "t7", "2");
    b.SelfStudy("m1", "c1", "s1", "t5", COURSE_TYPE_MORNING_READING);
    b.Combined("cc", {"a4", "b4"});
    b.OddEven("oe", "a5", "a6");
    b.Preset("d1", "0");
    b.MutexTeachers("t3", {"t4"});
    b.Group("g", "数学组", {"t3", "t4"});
    // Wednesday afternoon for 张喆, Thursday's last for 初一(1)班, Tuesday's fourth for 数学组.
    b.FixedTime<CFixedTimeOfTeacher>(task.GetFixedTimeOfTeacherList(), "t5", "210,")
        ->GetActivities()
        .AddActivity(tagTABLE_NODE{2, 1, 0}, "党团活动");
    b.FixedTime<CFixedTimeOfClass>(task.GetFixedTimeOfClassList(), "c1", "312,")
        ->GetActivities()
        .AddActivity(tagTABLE_NODE{3, 1, 2}, "劳动");
    b.FixedTime<CFixedTimeOfTeacherGroup>(task.GetFixedTimeOfTeacherGroupList(), "g", "103,")
        ->GetActivities()
        .AddActivity(tagTABLE_NODE{1, 0, 3}, "教研活动");
    b.FixedTime<CFixedTimeOfTeacher>(task.GetFixedTimeOfTeacherList(), "t8", "400,");
}

// Writes the task into the folder with its timetables committed and saved; the task file's path.
inline std::string WriteOperationSchool(CScheduleTask& task, const std::string& folder, const std::string& name)
{
    std::string error;
    EXPECT_TRUE(zemgen::WriteTaskFolder(task, folder, name, "test", &error)) << error;
    EXPECT_TRUE(task.SaveOutputData());
    return folder + name + ".zem";
}

struct OperationSchool {
    const char* name;
    // Writes the school into the folder (ending with '/'); the task file's path.
    std::function<std::string(const std::string& folder)> write;
};

inline const OperationSchool kOperationSchools[] = {
    {"demo",
     [](const std::string& folder) {
         MessageRecorder quiet;
         EXPECT_EQ(zem::CopyFolder(std::string(ZEM_TEST_DATA_DIR) + "/../../resources/demoD", folder), 0);
         CScheduleTask task;
         EXPECT_TRUE(task.Open(folder + "演示排课.zem"));
         RunEngine(task);
         EXPECT_TRUE(task.SaveOutputData());
         return folder + "演示排课.zem";
     }},
    {"hand-made",
     [](const std::string& folder) {
         SchoolBuilder b;
         BuildHandMadeOperationSchool(b);
         RunEngine(b.Task());
         return WriteOperationSchool(b.Task(), folder, "手工学校");
     }},
    {"S36",
     [](const std::string& folder) {
         std::unique_ptr<CScheduleTask> task = zemgen::GenerateSchool({"S36", "normal", 1});
         EXPECT_TRUE(task);
         if (!task)
             return std::string();
         RunEngine(*task);
         return WriteOperationSchool(*task, folder, "S36");
     }},
};
