#include "app/shell/TaskRestore.h"

#include "app/shared/Paths.h"
#include "app/shell/AppContext.h"
#include "app/shell/BackupRestoreDlg.h"
#include "base/ScheduleTask.h"
#include "base/TaskFolder.h"
#include "base/TaskFolderRestore.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

constexpr const char* kFailedText = "恢复备份失败，排课任务已还原为恢复前的状态。\n\n%s";

// Asked when the user keeps mismatched files: only a yes takes them as a pair; else every open
// tells again, however often the task is saved meanwhile.
void AskToConfirmTimetables(CScheduleTask& task, const std::string& lead)
{
    if (task.IsReadOnly())
        return;
    zem::MessageRequest question;
    question.text = lead +
                    "是否确认课表与教学计划相符？\n\n"
                    "选“是”：把 input.xml 和 output.xml 当作同一次保存的文件重新保存，以后打开时不再提示。\n"
                    "选“否”：课表保持现状，以后每次打开都会再次提示，直到从备份恢复或确认课表。";
    question.icon = zem::MessageIcon::Question;
    question.buttons = zem::MessageButtons::YesNo;
    question.defaultAnswer = zem::IDNO;
    if (zem::ShowMessage(question) == zem::IDYES)
        task.ConfirmPair();
}

}  // namespace

bool OfferBackupForMismatchedFiles()
{
    CAppContext* context = CAppContext::Exists() ? CAppContext::Get() : nullptr;
    CScheduleTask* task = context ? context->GetTask() : nullptr;
    if (!task || !task->IsPairMismatched())
        return false;
    std::string text = "排课任务的基本数据（input.xml）与课表（output.xml）不是同一次保存的：上次保存时程序被中止，"
                       "课表可能与教学计划不符。";
    // The operations that save the pair back up first, each under its reason ("课表大挪移前"): the
    // newest such backup comes first, then the newest of any other kind.
    std::vector<const CBackupEntry*> entries;
    task->GetBackupManager().GetAllBackups(entries);
    std::stable_partition(entries.begin(), entries.end(),
                          [](const CBackupEntry* entry) { return entry->m_type == CBackupManager::TimedBackup; });
    const std::string autoFolder = task->GetBackupManager().GetAutoBackupPath();
    for (const CBackupEntry* entry : entries) {
        const std::string folder = entry->m_type == CBackupManager::ManualBackup ? entry->m_strFolder
                                                                                 : autoFolder + "/" + entry->m_strFolder;
        if (zem::IsWindowsPath(folder) || !TaskFolder::IsCompleteBackup(WithTrailingSlash(folder)))
            continue;
        const std::string name = entry->m_strDescription.empty() ? "系统自动备份" : entry->m_strDescription;
        zem::MessageRequest question;
        question.text = zem::Format("%s\n\n是否从备份“%s”（%s）恢复？", text.c_str(), name.c_str(),
                                    CBackupRestoreDlg::FormatBackupTime(entry->m_strTime).c_str());
        question.icon = zem::MessageIcon::Warning;
        question.buttons = zem::MessageButtons::YesNo;
        if (zem::ShowMessage(question) == zem::IDYES)
            return RestoreTaskFromBackup(folder);
        AskToConfirmTimetables(*task, "没有从备份恢复。\n\n");
        return false;
    }
    AskToConfirmTimetables(*task, text + "\n\n没有可用的备份，请检查课表。\n\n");
    return false;
}

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
