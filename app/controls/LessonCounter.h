#pragma once
// Per class of a task, the weekly lessons planned and placed, and which classes are unfinished,
// over-placed or complete: what the completion view and the timetable windows' progress show.
#include "base/WeekCount.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class CScheduleTask;

class CLessonCounter {
public:
    struct Record {
        CWeekCount planned;
        CWeekCount placed;
        std::vector<std::string> unfinishedPlans;  // fewer lessons placed than planned
        std::vector<std::string> overPlacedPlans;  // more lessons placed than planned
    };

    explicit CLessonCounter(CScheduleTask* task = nullptr) : m_task(task) {}

    void SetTask(CScheduleTask* task) { m_task = task; }
    CScheduleTask* GetTask() const { return m_task; }

    // Recounts one class (all classes for an empty id), from the working tables or, with
    // useTemp, from their saved copies. Other classes keep their records.
    void Count(const std::string& classId, bool useTemp);

    // Appends, in the task's class order: classes with an unfinished plan, classes with an
    // over-placed plan, and classes with neither whose placed count equals the planned one.
    void GetIdsWithLessons(std::vector<std::string>& out) const;
    void GetIdsWithLessons2(std::vector<std::string>& out) const;
    void GetIdsDiffering(std::vector<std::string>& out) const;

    // The record of a class, or null when it was never counted.
    const Record* Lookup(const std::string& classId) const;

    const CWeekCount& GetPlannedTotal() const { return m_planned; }
    const CWeekCount& GetPlacedTotal() const { return m_placed; }

private:
    // Appends the ids of the records taken, in the task's class order.
    void AppendInClassOrder(const std::function<bool(const Record&)>& take, std::vector<std::string>& out) const;

    CScheduleTask* m_task = nullptr;
    std::map<std::string, Record> m_records;
    CWeekCount m_planned;
    CWeekCount m_placed;
};
