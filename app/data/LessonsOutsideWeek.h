#pragma once
// Lessons left on slots that a new week no longer offers: closing a day, lowering a segment's
// periods or closing a period for the whole school leaves the lessons there hidden in every table.
#include "base/ChangeCheck.h"
#include "base/ScheduleTask.h"

// The week offers the slot: its day is in use, its section within the segment's periods, and the
// slot is not closed.
bool IsSlotInWeek(const CSchoolStructure& week, const tagTABLE_NODE& node);

// Lessons of the classes' committed timetables on slots that the previous week offered and the new
// one does not; an odd-week and an even-week lesson count one each, a combined lesson once per class.
int CountLessonsLeftOutside(const CScheduleTask& task, const CSchoolStructure& previous, const CSchoolStructure& week);

// Takes those lessons out of the class, plan, teacher and room working timetables, started afresh
// from the committed ones, and returns how many class lessons went. The caller commits them with
// its save (CTaskHelper::SaveInputAndTempTables), so that a failed save takes nothing out.
int RemoveLessonsLeftOutside(CScheduleTask& task, const CSchoolStructure& previous, const CSchoolStructure& week);

// Takes out of the findings of a change of the week the lessons it left on slots the week no
// longer offers, which the user chose to keep, and returns them; what stays in the findings the
// user was not asked about.
ScheduleValidation TakeLessonsKeptOutside(ChangeFindings& findings);
