#pragma once
// What the tests of exam invigilation share: a small school with teachers t1..tN, classes c1..c6,
// rooms r1..r3 and subjects s1..s4, installed as the open task, and exams made in one call.
#include "support/FakeAppServices.h"
#include "support/SchoolBuilder.h"

#include "base/ScheduleProctor.h"

#include <memory>
#include <string>
#include <vector>

using Strings = std::vector<std::string>;

class ProctorSchool {
public:
    explicit ProctorSchool(int teachers = 12)
    {
        for (int i = 1; i <= teachers; ++i)
            b.Teacher("t" + std::to_string(i), "教师" + std::to_string(i));
        for (int i = 1; i <= 6; ++i)
            b.Class("c" + std::to_string(i), "高一(" + std::to_string(i) + ")班");
        for (int i = 1; i <= 3; ++i)
            b.Room("r" + std::to_string(i), "实验室" + std::to_string(i));
        const char* subjects[] = {"语文", "数学", "英语", "物理"};
        for (int i = 1; i <= 4; ++i)
            b.Subject("s" + std::to_string(i), subjects[i - 1]);
        services.task = &Task();
    }

    CScheduleTask& Task() { return b.Task(); }

    // Every teacher of the task, in the order they were added.
    Strings AllTeachers()
    {
        Strings ids;
        for (int i = 1; i <= Task().GetTeacherInfoList().GetCount(); ++i)
            ids.push_back("t" + std::to_string(i));
        return ids;
    }

    SchoolBuilder b;
    FakeAppServices services;
};

// An exam on 2024-06-<day> from one time of day to another ("08:00"), in the rooms.
inline CProctorData::Plan* AddExam(CProctorData& data, const std::string& id, int day, const char* start,
                                   const char* end, const std::string& subject, const Strings& rooms, int count)
{
    auto plan = std::make_unique<CProctorData::Plan>();
    plan->id = id;
    plan->date = {2024, 6, day};
    plan->startTime.Parse(start);
    plan->endTime.Parse(end);
    plan->subject = subject;
    plan->rooms = rooms;
    plan->teacherCount = count;
    data.GetPlanList().push_back(std::move(plan));
    return data.GetPlanList().back().get();
}

// The items of an exam, in list order.
inline std::vector<const CProctorData::ProctorItem*> ItemsOf(const CProctorData& data, const std::string& planId)
{
    std::vector<const CProctorData::ProctorItem*> items;
    for (const auto& item : data.GetProctorList())
        if (item->plan == planId)
            items.push_back(item.get());
    return items;
}
