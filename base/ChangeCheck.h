#pragma once
// Every change of a task's plans or timetables asks the task's own rules before and after it: a
// rule the change broke is refused and named, or listed in the change's message, never met by a
// bare success. A violation the task had before the change is not the change's.
#include "base/ScheduleValidator.h"

#include <cstddef>
#include <string>
#include <vector>

class CScheduleTask;

// What a change brought, found after it.
struct ChangeFindings {
    ScheduleValidation broken;        // rules broken now that were kept before
    ScheduleValidation counts;        // plans whose weekly count a change that keeps plans changed
    std::vector<std::string> limits;  // limits of base/TaskLimits the task passes now

    bool IsClean() const { return broken.IsClean() && counts.IsClean() && limits.empty(); }
    // The user's lines: the limits, the changed counts, then the broken rules; the first `most`
    // rules and a line saying how many more.
    std::string Said(std::size_t most = 10) const;
    // Every line: a change that went on, or that the user is asked to keep, names each rule it
    // broke, however many.
    std::string SaidEvery() const;
};

// The violations of `after` that `before` did not have. A violation is the same wherever its
// lessons went (a day swap or a row shift takes a rule the task broke along with its lessons), so
// violations are compared by what they name without their slot (their key where they have one);
// each counts once.
ScheduleValidation NewViolations(const ScheduleValidation& before, const ScheduleValidation& after);

class CChangeCheck {
public:
    // Whether the change may change the plans' weekly counts (a plan edit, an import of plans), or
    // may add and remove plans with the objects it adds and removes (a reverse import, a basic-data
    // page), every plan it keeps keeping its count.
    enum class Plans { Kept, Edited, KeptWhereTheyStay };

    // Takes the state before the change: what the rules find over the committed tables (temp
    // false) or the working copies the change works on (temp true), and each plan's weekly count.
    // `standIns`: the plans that stand for others in the task as it is.
    CChangeCheck(CScheduleTask& task, bool temp, Plans plans = Plans::Kept, const PlanStandIns& standIns = {});

    // Asks the rules again, over the same tables: what the change brought. `standIns`: those of
    // the state before and those the change made.
    ChangeFindings Findings(const PlanStandIns& standIns = {}) const { return FindingsOver(m_temp, standIns); }
    // The same over the working copies, for a change made there before it is committed: the state
    // before was taken over the committed tables, which the working copies then equalled.
    ChangeFindings FindingsInWorkingTables(const PlanStandIns& standIns = {}) const
    {
        return FindingsOver(true, standIns);
    }

private:
    ChangeFindings FindingsOver(bool temp, const PlanStandIns& standIns) const;

    CScheduleTask& m_task;
    bool m_temp;
    Plans m_plans;
    ScheduleValidation m_before;
    PlanCountSnapshot m_counts;
};

// The user's message for a change refused: the change has been undone, and why.
std::string RefusedChangeText(const ChangeFindings& findings);
// The user's message for a change that went on but broke rules: every one of them.
std::string KeptChangeText(const ChangeFindings& findings);
// The question of a save that would keep rules broken, each named: 是 keeps them.
std::string KeepBrokenRulesQuestion(const ChangeFindings& findings);
// The same for an import: "导入" where the adjustment's texts say "调整".
std::string RefusedImportText(const ChangeFindings& findings);
std::string KeptImportText(const ChangeFindings& findings);
