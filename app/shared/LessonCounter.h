#pragma once
// Totals, per class, the weekly lessons a task plans and those its timetables hold, and sorts the
// classes into unfinished, over-placed and complete.
#include "base/WeekCount.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class CScheduleTask;

class CLessonCounter {
public:
    struct ClassRecord {
        CWeekCount planned;
        CWeekCount placed;
        std::vector<std::string> unfinishedPlans;   // fewer lessons placed than planned
        std::vector<std::string> overPlacedPlans;   // more lessons placed than planned
    };

    explicit CLessonCounter(CScheduleTask* task = nullptr) : m_task(task) {}

    void SetTask(CScheduleTask* task) { m_task = task; }
    CScheduleTask* GetTask() const { return m_task; }

    // Recounts the class (every class for an empty id) from its working timetable, or from its
    // committed one when useTempTables is false. Other classes keep their earlier counts, which the
    // totals include.
    void Count(const std::string& classId, bool useTempTables);

    // Appends, in class order, the classes with an unfinished plan; with an over-placed plan; with
    // neither and as many lessons placed as planned.
    void GetIdsWithLessons(std::vector<std::string>& out) const;
    void GetIdsWithLessons2(std::vector<std::string>& out) const;
    void GetIdsDiffering(std::vector<std::string>& out) const;

    // The class's record; null when it has none.
    const ClassRecord* Lookup(const std::string& classId) const;

    const CWeekCount& GetTotalPlanned() const { return m_totalPlanned; }
    const CWeekCount& GetTotalPlaced() const { return m_totalPlaced; }

private:
    // Appends, in class order, the classes whose records pass.
    void CollectIds(std::vector<std::string>& out, const std::function<bool(const ClassRecord&)>& take) const;
    // Puts the ids in the order of the task's classes.
    void ToClassOrder(std::vector<std::string>& ids) const;

    CScheduleTask* m_task = nullptr;
    CWeekCount m_totalPlanned;
    CWeekCount m_totalPlaced;
    std::map<std::string, ClassRecord> m_records;
};
