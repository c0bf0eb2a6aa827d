// Placeholder until the integrity repairs land; the task opens without repairs meanwhile.
#include "base/ScheduleTask.h"

void CScheduleTask::MaintainInputIntegrities() {}
