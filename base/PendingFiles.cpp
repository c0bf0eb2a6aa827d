// Placeholder until the task files' readers land: nothing can be read yet.
#include "base/ScheduleTask.h"

bool CScheduleTask::ReadInputData() { return false; }
bool CScheduleTask::ReadOutputData() { return false; }
bool CScheduleTask::ReadReportInfo() { return false; }
