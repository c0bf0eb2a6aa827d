#pragma once
// The task's own rules, checked over its timetables: nothing booked twice, the rules kept, the
// tables telling one story, the plans untouched, and the saved result reading back the same. The
// program asks it before and after every change of plans or timetables (ChangeCheck.h); the tests
// ask it after runs. Each violation is one line naming the object, the slot and what is wrong: an
// exact line for the log and the tests, and a sentence for the user.
//
// The plans' own tables are the record of what was placed; the class, teacher and room tables
// are checked against them. A lesson that overwrote another in a shared table is reported once,
// as a double booking, not again as a table that misses a lesson.
#include "base/ScheduleTask.h"

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

// What a violation breaks; the values are bits, so that a caller can choose the checks to run.
enum ScheduleCheck : unsigned {
    kCheckDoubleBooking = 1u << 0,  // a class, teacher or room place with two lessons at once
    kCheckRoomCapacity = 1u << 1,   // more lessons in a room at once than it holds
    kCheckFixedTime = 1u << 2,      // a lesson on a fixed no-lesson time of its class, teacher, group, subject or plan
    kCheckUnavailable = 1u << 3,    // a lesson on a slot that the school week does not use
    kCheckPreset = 1u << 4,         // a preset slot that does not hold its plan
    kCheckCombined = 1u << 5,       // plans of a combined class on different slots, halves or rooms
    kCheckHalves = 1u << 6,         // a status that does not say what the cell holds
    kCheckWeekCount = 1u << 7,      // a plan with more lessons than its weekly count
    kCheckSegment = 1u << 8,        // a lesson in a segment its kind of plan does not use
    kCheckConsistency = 1u << 9,    // class, teacher or room tables that disagree with the plans' tables
    kCheckMutexTeacher = 1u << 10,  // two mutually exclusive teachers teaching at once
    kCheckMutexSubject = 1u << 11,  // mutually exclusive subjects of a class on one day
    kCheckCountChanged = 1u << 12,  // a plan whose weekly count a run changed
    kCheckReopen = 1u << 13,        // two tasks whose class, teacher or room tables differ
    kCheckDayMaximum = 1u << 14,    // with strict spreading, a plan with more lessons on a day than its daily maximum
};

// Every check of ValidateSchedule.
constexpr unsigned kAllTableChecks = kCheckDoubleBooking | kCheckRoomCapacity | kCheckFixedTime |
                                     kCheckUnavailable | kCheckPreset | kCheckCombined | kCheckHalves |
                                     kCheckWeekCount | kCheckSegment | kCheckConsistency | kCheckMutexTeacher |
                                     kCheckMutexSubject | kCheckDayMaximum;

// A short tag such as "double-booking"; empty text for anything but a single check.
const char* ScheduleCheckName(ScheduleCheck check);

struct ScheduleViolation {
    ScheduleCheck check;
    std::string text;  // with ids, for the log and the tests
    std::string said;  // for the user: the lesson, the slot and the rule, as the windows name them
    // The text with every stand-in plan named as the plan it stands for (PlanStandIns); empty
    // when the text names none.
    std::string key;
};

// The violations found, grouped by check in the order of the enumeration.
class ScheduleValidation {
public:
    void Add(ScheduleCheck check, std::string text, std::string said = {})
    {
        m_violations.push_back({check, std::move(text), std::move(said), {}});
    }
    void Add(ScheduleViolation violation) { m_violations.push_back(std::move(violation)); }
    void Append(const ScheduleValidation& other);

    const std::vector<ScheduleViolation>& Violations() const { return m_violations; }
    std::size_t Count() const { return m_violations.size(); }
    std::size_t Count(ScheduleCheck check) const;
    // The checks that found something, as a mask.
    unsigned Checks() const;
    bool IsClean() const { return m_violations.empty(); }
    // One line per violation: "[tag] text".
    std::string Text() const;
    // The user's sentences, one a line, the first `most` of them and a line saying how many more.
    std::string Said(std::size_t most = 10) const;

    // Orders the lines by check, keeping the order within each check.
    void SortByCheck();

private:
    std::vector<ScheduleViolation> m_violations;
};

// Plans that carry lessons of another plan, by id, with the id of the plan they stand for: a
// substitute's copy of a plan teaches the plan's lessons in their places. The rules of a lesson's
// place (the class's and subject's fixed times, the plan's own, the daily maximum, exclusive
// subjects) count a stand-in's lessons as the plan's, and each violation's key names the stand-in
// as the plan, so that what the plan broke before is not new under the stand-in's id.
using PlanStandIns = std::map<std::string, std::string>;

// Checks the committed tables (temp false) or the working copies (temp true) of the task.
// The task is only read.
ScheduleValidation ValidateSchedule(CScheduleTask& task, bool temp = false, unsigned checks = kAllTableChecks,
                                    const PlanStandIns& standIns = {});

// The weekly counts of every plan, taken before a run and compared after it.
class PlanCountSnapshot {
public:
    // Plan id and count, sorted by id.
    const std::vector<std::pair<std::string, CWeekCount>>& Counts() const { return m_counts; }

private:
    friend PlanCountSnapshot CaptureCounts(CScheduleTask& task);
    std::vector<std::pair<std::string, CWeekCount>> m_counts;
};

PlanCountSnapshot CaptureCounts(CScheduleTask& task);
// A line for each plan whose count changed, and, with `comeAndGone`, each that disappeared or is new.
ScheduleValidation CompareCounts(const PlanCountSnapshot& before, CScheduleTask& task, bool comeAndGone = true);

// Compares the committed class, teacher and room tables of two tasks slot by slot: the lessons of
// each week (course and room) as sets, so that the parallel place a room lesson took and the order
// of shared lessons do not matter.
ScheduleValidation CompareTimetables(CScheduleTask& first, CScheduleTask& second);
// Opens the task file into a second task and compares its tables with the task's.
ScheduleValidation CompareWithReopened(CScheduleTask& task, const std::string& taskFile);
