#include "app/shell/TaskRestore.h"

#include "app/shared/Paths.h"
#include "app/shell/AppContext.h"
#include "base/Log.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* kStagingName = ".restore-new";
constexpr const char* kHoldingName = ".restore-old";
constexpr const char* kFailedText = "恢复备份失败，排课任务已还原为恢复前的状态。\n\n%s";

bool Exists(const std::string& path)
{
    return zem::FileExists(path) || zem::FolderExists(path);
}

bool Move(const std::string& from, const std::string& to, std::string* error)
{
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec && error)
        *error = zem::Format("无法移动 %s：%s", from.c_str(), zem::FileErrorReason(ec.value()).c_str());
    return !ec;
}

// The backup's task file: the one named as the task's, else the only task file it holds.
std::string FindBackupTaskFile(const std::string& backup, const std::string& taskFileName)
{
    if (zem::FileExists(backup + taskFileName))
        return backup + taskFileName;
    std::vector<zem::FolderEntry> entries;
    zem::ListFolder(backup, entries);
    std::string found;
    for (const zem::FolderEntry& entry : entries) {
        const std::string& name = entry.name;
        if (entry.isFolder || name.size() <= 4 || !zem::EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".zem"))
            continue;
        if (!found.empty())
            return {};
        found = backup + name;
    }
    return found;
}

// The pieces of a task folder a restore replaces, named as in the folder.
struct RestorePlan {
    std::vector<std::string> staged;   // copied aside, to be put in
    std::vector<std::string> replaced; // the task's own, to be held aside
};

class Restore {
public:
    Restore(const std::string& taskFolder, const std::string& backup)
        : m_folder(taskFolder), m_backup(backup), m_staging(taskFolder + kStagingName + "/"),
          m_holding(HoldingFolder(taskFolder))
    {
    }

    // Copies the backup's pieces aside; nothing of the task changes.
    bool Stage(const std::string& taskFileName, const std::string& taskName, std::string& error)
    {
        zem::RemoveFolder(m_staging);
        if (!zem::MakeFolder(m_staging, &error))
            return false;
        const std::string taskFile = FindBackupTaskFile(m_backup, taskFileName);
        if (!taskFile.empty()) {
            if (!zem::CopyFile(taskFile, m_staging + taskFileName, &error))
                return false;
            // A backup taken before a rename names the task as it was: the task keeps its name.
            CTaskInfo info;
            info.ReadFromFile(m_staging + taskFileName);
            if (info.GetTaskName() != taskName) {
                info.SetTaskName(taskName);
                if (!info.WriteToFile()) {
                    error = "无法写入排课任务文件";
                    return false;
                }
            }
            Take(taskFileName, true);
        }
        for (const char* name : {"input.xml", "output.xml", "task.ini"}) {
            if (zem::FileExists(m_backup + name)) {
                if (!zem::CopyFile(m_backup + name, m_staging + name, &error))
                    return false;
                Take(name, true);
            } else if (std::string_view(name) == "output.xml") {
                // Timetables the backup did not have must not survive it.
                Take(name, false);
            }
        }
        for (const char* name : {"temp", "proctor"}) {
            if (!zem::FolderExists(m_backup + name))
                continue;
            if (zem::CopyFolder(m_backup + name, m_staging + name, &error) != 0)
                return false;
            Take(name, true);
        }
        return true;
    }

    // Holds the task's pieces aside and puts the staged ones in their place. On failure the
    // pieces moved so far go back.
    bool Swap(std::string& error)
    {
        if (!zem::MakeFolder(m_holding, &error))
            return false;
        for (const std::string& name : m_plan.replaced) {
            if (Exists(m_folder + name) && !Move(m_folder + name, m_holding + name, &error)) {
                Undo();
                return false;
            }
            m_held.push_back(name);
        }
        for (const std::string& name : m_plan.staged) {
            if (!Move(m_staging + name, m_folder + name, &error)) {
                Undo();
                return false;
            }
            m_putIn.push_back(name);
        }
        return true;
    }

    // Takes the restored pieces out and puts the task's own back.
    void Undo()
    {
        for (const std::string& name : m_putIn) {
            zem::RemoveFolder(m_folder + name);
            zem::RemoveFile(m_folder + name);
        }
        m_putIn.clear();
        for (const std::string& name : m_held) {
            std::string error;
            if (Exists(m_holding + name) && !Move(m_holding + name, m_folder + name, &error)) {
                CLog::inst()->Log("restore", "%s", error.c_str());
                m_bKeepHolding = true;
            }
        }
        m_held.clear();
    }

    // Removes what the restore left aside. The holding folder stays when anything could not go back.
    void Clean()
    {
        zem::RemoveFolder(m_staging);
        if (!m_bKeepHolding)
            zem::RemoveFolder(m_holding);
    }

private:
    // Named by the time, so that pieces an earlier restore could not put back are never mixed in.
    static std::string HoldingFolder(const std::string& taskFolder)
    {
        const zem::LocalTime t = zem::Now();
        return taskFolder + zem::Format("%s-%04d%02d%02d%02d%02d%02d/", kHoldingName, t.year, t.month, t.day, t.hour,
                                        t.minute, t.second);
    }

    void Take(const std::string& name, bool staged)
    {
        if (staged)
            m_plan.staged.push_back(name);
        m_plan.replaced.push_back(name);
    }

    std::string m_folder;
    std::string m_backup;
    std::string m_staging;
    std::string m_holding;
    RestorePlan m_plan;
    std::vector<std::string> m_held;
    std::vector<std::string> m_putIn;
    bool m_bKeepHolding = false;
};

}  // namespace

bool RestoreTaskFromBackup(const std::string& backupFolder)
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
    if (zem::IsWindowsPath(backup) || !zem::FileExists(backup + "input.xml")) {
        zem::ShowMessage("备份文件不存在，可能被移动或删除", "提示", zem::MessageIcon::Error);
        return false;
    }

    Restore restore(folder, backup);
    std::string error;
    if (!restore.Stage(taskFileName, info.GetTaskName(), error)) {
        restore.Clean();
        zem::ShowMessage(zem::Format("无法读取备份中的文件，排课任务没有改变。\n\n%s", error.c_str()), "提示",
                         zem::MessageIcon::Error);
        return false;
    }
    if (task->GetBackupManager().IsNeedAutoBackupBeforeRestore() && !task->AutoBackup(true, "恢复备份前", false)) {
        restore.Clean();
        zem::ShowMessage("恢复前无法备份当前排课任务，排课任务没有改变", "提示", zem::MessageIcon::Error);
        return false;
    }
    if (!restore.Swap(error)) {
        restore.Clean();
        zem::ShowMessage(zem::Format(kFailedText, error.c_str()), "提示", zem::MessageIcon::Error);
        return false;
    }
    // The task open now stays open until the restored one has opened.
    if (!context->OpenTask(taskFile, false)) {
        restore.Undo();
        restore.Clean();
        zem::ShowMessage(zem::Format(kFailedText, "备份中的排课任务无法打开。"), "提示", zem::MessageIcon::Error);
        return false;
    }
    restore.Clean();
    return true;
}
