#pragma once
// Checks that a task's timetables tell one story: every lesson of a plan's own table sits in its
// class's, teacher's, assistants' and room's tables, every lesson in those tables belongs to a plan
// that has it in its own table, nothing is booked twice, and every status says what its cell holds
// (0 empty, 50 one half of a split cell, 100 full). Lessons of a combined class may share a
// teacher's or room's cell.
#include "base/ScheduleTask.h"
#include "base/ScheduleValidator.h"

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

// Every working timetable (classes, teachers, plans, rooms) equals its committed one, cell by cell
// and status by status; the ids that differ otherwise.
inline testing::AssertionResult WorkingTablesMatchCommitted(CScheduleTask& task)
{
    std::string differing;
    auto compare = [&](const std::string& id, const CCourseTable& working, const CCourseTable& committed) {
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section)
                    if (working.GetValue(day, segment, section) != committed.GetValue(day, segment, section) ||
                        working.GetNode(day, segment, section) != committed.GetNode(day, segment, section)) {
                        differing += id + " ";
                        return;
                    }
    };
    for (CZemObjectList* list : {&task.GetClassInfoList(), &task.GetTeacherInfoList(), &task.GetCourseInfoList(),
                                 &task.GetSelfStudyInfoList()})
        for (const auto& [id, object] : *list) {
            auto* owner = static_cast<CZemTableObject*>(object);
            compare(id, owner->GetTable(true), owner->GetTable(false));
        }
    for (const auto& [id, object] : task.GetRoomInfoList()) {
        CComplexTable& places = static_cast<CRoomInfo*>(object)->GetComplexTable();
        for (int i = 0; const CCourseTable* committed = places.Enum(false, i); ++i) {
            const CCourseTable* working = places.Enum(true, i);
            if (!working)
                differing += id + " ";
            else
                compare(id, *working, *committed);
        }
    }
    if (differing.empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "working tables differ from the committed ones: " << differing;
}
