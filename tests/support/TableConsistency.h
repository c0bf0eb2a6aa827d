#pragma once
// Checks that a task's timetables tell one story: every lesson of a plan's own table sits in its
// class's, teacher's, assistants' and room's tables, every lesson in those tables belongs to a plan
// that has it in its own table, nothing is booked twice, and every status says what its cell holds
// (0 empty, 50 one half of a split cell, 100 full). Lessons of a combined class may share a
// teacher's or room's cell.
#include "base/ScheduleTask.h"
#include "testing/validator/ScheduleValidator.h"

#include <gtest/gtest.h>

#include <string>

// Both sets of timetables; the problems, one per line, when they disagree.
inline testing::AssertionResult TablesConsistent(CScheduleTask& task)
{
    std::string all;
    for (const bool temp : {false, true}) {
        const ScheduleValidation result =
            ValidateSchedule(task, temp, kCheckConsistency | kCheckHalves | kCheckDoubleBooking);
        for (const ScheduleViolation& violation : result.Violations())
            all += (temp ? "[temp] " : "") + violation.text + "\n";
    }
    if (all.empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << all;
}
