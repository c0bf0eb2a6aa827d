#pragma once
// The one place a test may switch a rule of the task's check off. Every exception names the state
// of the task it is for and why that rule does not hold there; anywhere else a test asks every
// rule (scripts/check-layers refuses a mask written elsewhere).
#include "base/ScheduleValidator.h"

enum class CheckException {
    // A task before its first run, or a run stopped before its first kept try: the presets are in
    // the preset list but not yet in the tables.
    PresetsNotYetPlaced,
    // A sheet made by hand that puts more lessons of a plan on one day than one block of a segment
    // holds: the lessons stand as the sheet places them (the import lists them), so the plan made
    // passes its daily maximum. A sheet the program wrote keeps it.
    SheetCrowdsADay,
};

struct CheckExceptionRow {
    CheckException exception;
    unsigned off;  // the checks switched off
};

inline constexpr CheckExceptionRow kCheckExceptions[] = {
    {CheckException::PresetsNotYetPlaced, kCheckPreset},
    {CheckException::SheetCrowdsADay, kCheckDayMaximum},
};

// Every check but those the exception switches off.
constexpr unsigned ChecksExcept(CheckException exception)
{
    for (const CheckExceptionRow& row : kCheckExceptions)
        if (row.exception == exception)
            return kAllTableChecks & ~row.off;
    return kAllTableChecks;
}
