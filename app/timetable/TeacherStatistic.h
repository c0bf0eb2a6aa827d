#pragma once
// Teachers' workloads: for each teacher the weekly lessons the teaching plans ask for against those
// the teacher's timetable holds, by day and by period, with the classes and subjects taught, and
// the detail lines the statistics dialog shows under each subject. Counting needs no window, so
// that the dialog's worker thread runs it.
#include "app/output/workbook/LessonCalendarWorkbook.h"
#include "app/output/workbook/TeacherWorkloadWorkbook.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/WeekCount.h"

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CScheduleTask;
class CTeacherInfo;

// Which kinds of lessons count: regular lessons (forenoon, afternoon, night), morning reading and
// evening self-study.
struct CStatisticKinds {
    bool regular = true;
    bool morningReading = false;
    bool selfStudy = false;

    // A plan's kind (0 regular, 1 morning reading, 2 evening self-study).
    bool CountsKind(int kind) const;
    // A segment (0..2 regular, 3 morning reading, 4 evening self-study).
    bool CountsSegment(int segment) const;
};

// One teacher's workload.
struct CTeacherStatisticRecord {
    std::string teacherId;
    std::string name;
    CWeekCount planned;  // the weekly counts of the counted plans (a combined class once)
    CWeekCount actual;   // the teacher's used slots in the counted segments
    std::map<std::string, std::string> classes;   // class id -> class name of every counted plan
    std::map<std::string, std::string> subjects;  // subject id -> subject name
    // Plan id -> "初一(1)班语文(早读 助 2节)": one per counted plan, a combined class once.
    std::map<std::string, std::string> details;
    std::array<CWeekCount, zem::kDayCount> perDay{};
    std::array<CWeekCount, zem::kSegmentCount * zem::kSectionCount> perPeriod{};  // segment * 6 + section
    std::map<std::string, CWeekCount> perCourseActual;  // plan id -> its lessons in the timetable
};

// The lines under one subject of a teacher's details.
struct CStatisticDetailGroup {
    std::string subject;
    std::vector<std::string> lines;
};

// Counts over one task with one choice of kinds. Made on the thread that counts; the task must not
// change meanwhile.
class CTeacherStatistic {
public:
    CTeacherStatistic(CScheduleTask* task, const CStatisticKinds& kinds);

    // The days in use, ascending.
    const std::vector<int>& GetDays() const { return m_days; }
    // The counted periods as {day -1, segment, section}: morning reading first, then forenoon,
    // afternoon and night, evening self-study last.
    const std::vector<tagTABLE_NODE>& GetPeriods() const { return m_periods; }
    // Every teacher of the task, in order.
    const std::vector<CTeacherInfo*>& GetTeachers() const { return m_teachers; }

    // The teacher's record; null when `cancel` came up, which is looked at before each plan.
    std::unique_ptr<CTeacherStatisticRecord> Count(const CTeacherInfo& teacher,
                                                   const std::atomic<bool>* cancel = nullptr) const;

private:
    void CountTimetable(const CTeacherInfo& teacher, CTeacherStatisticRecord& record) const;

    CScheduleTask* m_task;
    CStatisticKinds m_kinds;
    CTaskHelper m_helper;
    std::vector<int> m_days;
    std::vector<tagTABLE_NODE> m_periods;
    std::vector<CTeacherInfo*> m_teachers;
    std::vector<CCourseInfo*> m_courses;
};

// The record's subjects in the subjects' order, each with a line per plan:
// "早读1节(计划2) 初一(1)班(助)" (kind, lessons in the timetable, the plan's count when it differs,
// the class or "合班：" and the combined classes, "(助)" when the teacher assists).
std::vector<CStatisticDetailGroup> BuildStatisticDetails(const CScheduleTask* task,
                                                         const CTeacherStatisticRecord& record);

// The workload table of the records in the order given, with the day and period columns counted:
// the texts the statistics show, the classes and subjects by name in their order, and the plans'
// texts regular ones first.
CTeacherWorkloadTable BuildTeacherWorkloadTable(const CScheduleTask* task, const std::vector<int>& days,
                                                const std::vector<tagTABLE_NODE>& periods,
                                                const std::vector<const CTeacherStatisticRecord*>& records);
// Each record's lessons per teaching day, for the lesson calendar.
std::vector<LessonCalendarRow> BuildLessonCalendarRows(const std::vector<const CTeacherStatisticRecord*>& records);
