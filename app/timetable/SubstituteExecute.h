#pragma once
// Carrying planned substitutions out in a temporary task: each planned lesson goes to a
// substitution plan, a copy of its plan with the substitute in the regular teacher's place, so that
// every timetable follows from the plans as for any placed lesson and survives saving.
#include "app/shared/AdjustmentHistory.h"
#include "app/timetable/SubstitutePlan.h"
#include "base/ScheduleValidator.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CCourseTableNode;
class CScheduleTask;

// Substitutions carried out together for one regular teacher.
struct CSubstituteGroup {
    std::string regularId;
    std::vector<CSubstituteRecord> records;
};

// A lesson moved by hand from source to target (two lessons swapped): the executed records of a
// substitute among the teachers of either cell go to the other cell, keeping their halves.
void FollowMoveInGroups(std::vector<CSubstituteGroup>& groups, const tagTABLE_NODE& source, const tagTABLE_NODE& target,
                        const std::vector<std::string>& teachers);
// The teachers (main and assistants) of every lesson in the cell, both halves and the further
// lessons a teacher's or room's cell holds.
std::vector<std::string> NodeTeachers(const CScheduleTask& task, const CCourseTableNode& node);

// The records whose substitute is taken at the record's cell: a lesson there (either half), or a
// fixed no-lesson time of his own or of one of his teaching groups.
std::vector<const CSubstituteRecord*> FindSubstituteConflicts(const CScheduleTask& task,
                                                              const std::vector<CSubstituteRecord>& records);
// The records of `conflicts` as the user reads them, a line each: the substitute, the slot and what
// takes it ("张喆 周三下午第1节已有课程", "…是固定不排课时间（党团活动）").
std::string SubstituteConflictsSaid(const CScheduleTask& task, const std::vector<const CSubstituteRecord*>& conflicts);
// The records whose cell and half no longer hold a lesson of the regular teacher.
int CountStaleRecords(const CScheduleTask& task, const std::string& regularId,
                      const std::vector<CSubstituteRecord>& records);

class CSubstitution {
public:
    struct Result {
        int conflicts = 0;  // records refused: the substitute has a lesson or a fixed no-lesson time there
        std::string conflictsSaid;  // each of them, named, a line each
        int stale = 0;      // records refused: the regular teacher's lesson is gone
        bool done = false;  // every record carried out
        std::unique_ptr<CAdjustmentEntry> entry;  // the history entry of the substitution
        // When the task's rules refused the substitution (it was undone): the user's message
        // naming what it would break.
        std::string refusal;
    };

    // Carries out every record in the task's working timetables, or none of them when a record
    // conflicts or is stale. A plan's lessons taken by one substitute share one copy of the plan
    // (per window: the map lives with this object); the copy's weekly count grows by each lesson
    // (half a lesson for a half cell) and the plan's shrinks. The members of a combined class get a
    // copy each, combined with one another. A substitution that would break a rule of the task is
    // undone, the task exactly as before, and refused with the rule named.
    Result Execute(CScheduleTask& task, const std::string& regularId, const std::vector<CSubstituteRecord>& records);

    // The copies this object made that the task still has, each standing for its plan: the task's
    // rules count their lessons as the plans'.
    PlanStandIns StandIns(const CScheduleTask& task) const;

private:
    // One record: its lesson out of the regular plans, into their copies.
    void CarryOut(CScheduleTask& task, const std::string& regularId, const CSubstituteRecord& record,
                  CAdjustmentEntry& entry);
    CCourseInfo* CopyFor(CScheduleTask& task, const CCourseInfo& plan, const std::string& regularId,
                         const std::string& substituteId);

    std::map<std::string, std::string> m_copies;  // plan id + "#" + substitute id -> copy id
};
