#include "app/data/TaskFileSave.h"

#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

bool SaveTaskFiles(CScheduleTask& task, bool& outputOwed)
{
    if (!outputOwed)
        return task.SaveInputData();
    if (!task.SaveInputAndOutput())
        return false;
    outputOwed = false;
    return true;
}

bool BackUpBeforeRemovingLessons(CScheduleTask& task, bool timed, const std::string& reason, const std::string& what)
{
    const CTaskInfo& info = task.GetTaskInfo();
    if (task.AutoBackup(timed, reason, false) || info.GetTaskFolder().empty() ||
        !zem::FileExists(info.GetInputFilePath()))
        return true;
    // The backup says its own reason only once a session: every refusal says why it refused.
    zem::ShowMessage(zem::Format("%s无法备份当前排课任务，%s没有保存", reason.c_str(), what.c_str()), "提示",
                     zem::MessageIcon::Error);
    return false;
}
