#pragma once
// The windows of an automatic run as the main window reaches them: the start page, the run over a
// range, the partial re-scheduling dialog and the report.
#include <string>

class CAutoRange;

// Fills the run's slots of the feature table; called once at start-up.
void RegisterScheduleWindows();

// True when the user confirmed the start page.
bool RunAutoScheduleStart();
// Runs the run dialog over the range and answers its finish code. A cancelled run reads the task
// back from its files, so that nothing of the stopped run stays in memory to be saved later; so
// does a run whose result was refused, which says why and answers 0.
int RunAutoSchedule(CAutoRange& range);
// True on OK with the range filled.
bool RunPartialReschedule(CAutoRange& range);
// True when the user asked to see the timetables.
bool RunScheduleReport(const std::string& report, int mode);
