#include "app/shell/TaskRestore.h"

#include "app/shared/Paths.h"
#include "app/shell/AppContext.h"
#include "base/ScheduleTask.h"
#include "base/TaskFolder.h"
#include "base/TaskFolderRestore.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

namespace {

constexpr const char* kFailedText = "恢复备份失败，排课任务已还原为恢复前的状态。\n\n%s";

}  // namespace

bool RestoreTaskFromBackup(const std::string& backupFolder, std::vector<std::string>* leftOut)
{
    CAppContext* context = CAppContext::Exists() ? CAppContext::Get() : nullptr;
    CScheduleTask* task = context ? context->GetTask() : nullptr;
    if (!task)
        return false;
    const std::string backup = WithTrailingSlash(backupFolder);
    const CTaskInfo info = task->GetTaskInfo();
    const std::string folder = WithTrailingSlash(info.GetTaskFolder());
    const std::string taskFile = info.GetTaskFile();
    const std::string taskFileName = taskFile.substr(taskFile.rfind('/') + 1);
    if (zem::IsWindowsPath(backup) || !zem::FileExists(backup + TaskFolder::kInputFile)) {
        zem::ShowMessage("备份文件不存在，可能被移动或删除", "提示", zem::MessageIcon::Error);
        return false;
    }
    // A copy that never finished would bring back half a task.
    if (!TaskFolder::IsCompleteBackup(backup)) {
        zem::ShowMessage("该备份没有完成，不能用来恢复", "提示", zem::MessageIcon::Error);
        return false;
    }

    TaskFolderRestore restore(folder, backup);
    std::string error;
    if (!restore.Stage(taskFileName, info.GetTaskName(), error)) {
        zem::ShowMessage(zem::Format("无法读取备份中的文件，排课任务没有改变。\n\n%s", error.c_str()), "提示",
                         zem::MessageIcon::Error);
        return false;
    }
    if (task->GetBackupManager().IsNeedAutoBackupBeforeRestore() && !task->AutoBackup(true, "恢复备份前", false)) {
        zem::ShowMessage("恢复前无法备份当前排课任务，排课任务没有改变", "提示", zem::MessageIcon::Error);
        return false;
    }
    if (!restore.Swap(error)) {
        zem::ShowMessage(zem::Format(kFailedText, error.c_str()), "提示", zem::MessageIcon::Error);
        return false;
    }
    // The task open now stays open until the restored one has opened.
    if (!context->OpenTask(taskFile, false)) {
        restore.Undo();
        zem::ShowMessage(zem::Format(kFailedText, "备份中的排课任务无法打开。"), "提示", zem::MessageIcon::Error);
        return false;
    }
    restore.Commit();
    if (leftOut)
        *leftOut = restore.LeftOut();
    return true;
}
