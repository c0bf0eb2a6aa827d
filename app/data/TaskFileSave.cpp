#include "app/data/TaskFileSave.h"

#include "base/ScheduleTask.h"

bool SaveTaskFiles(CScheduleTask& task, bool& outputOwed)
{
    if (!task.SaveInputData())
        return false;
    if (outputOwed && task.SaveOutputData())
        outputOwed = false;
    return !outputOwed;
}
