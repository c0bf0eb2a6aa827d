// The task's automatic copies in its Backup folder, and the copy of a task's files between folders.
#include "base/ScheduleTask.h"

#include "base/TaskFolder.h"
#include "base/Utility.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <set>
#include <utility>

namespace {

constexpr std::int64_t kSecondsBetweenDayBackups = 3600;
constexpr std::size_t kDayBackupsKept = CBackupManager::kMaxEntriesPerType;

// Shared by every task of the process, so that two open tasks do not each copy on every save.
struct AutoBackupState {
    std::mutex mutex;
    bool dayBackupMade = false;
    std::int64_t lastDayBackup = 0;  // epoch seconds of the last backup with an empty key
    std::set<std::string> keys;      // keys backed up once in this run
    bool failureSaid = false;        // a failure was told to the user, and no backup worked since
};

AutoBackupState& State()
{
    static AutoBackupState state;
    return state;
}

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

bool IsDayBackupName(const std::string& name) { return name.size() == 8 && IsAllDigits(name); }

// Keeps the newest day backups; older ones go with everything in them. The folder just written
// stays even when a clock set back makes it look old. Only real folders count: a link named like
// a day is somebody else's and stays, with what it points to.
void PruneDayBackups(const std::string& backupFolder, const std::string& keep)
{
    std::vector<zem::FolderEntry> entries;
    if (!zem::ListFolder(backupFolder, entries))
        return;
    std::vector<std::string> days;
    for (const zem::FolderEntry& entry : entries)
        if (entry.isFolder && IsDayBackupName(entry.name) &&
            zem::FileExists(backupFolder + "/" + entry.name + "/input.xml"))
            days.push_back(entry.name);
    if (days.size() <= kDayBackupsKept)
        return;
    std::sort(days.begin(), days.end(), std::greater<>());
    for (std::size_t i = kDayBackupsKept; i < days.size(); ++i)
        if (days[i] != keep)
            zem::RemoveFolder(backupFolder + "/" + days[i]);
}

// The short text of SyncTaskFiles for a copy that failed.
const char* FailureText(const TaskFolder::CopyReport& report)
{
    if (report.failedPart == TaskFolder::kInputFile)
        return "copy input.xml failed";
    return report.failedRemoving ? "sync delete dest output.xml failed" : "copy output.xml failed";
}

}  // namespace

void CScheduleTask::ResetAutoBackupStateForTesting()
{
    AutoBackupState& state = State();
    std::lock_guard lock(state.mutex);
    state.dayBackupMade = false;
    state.lastDayBackup = 0;
    state.keys.clear();
    state.failureSaid = false;
}

bool CScheduleTask::ReadBackupInfo()
{
    // A task opened to be read only writes nothing, not even its rebuilt backup list.
    m_backupManager.Init(m_taskInfo.GetTaskFolder(), !m_readOnly);
    return true;
}

bool CScheduleTask::AutoBackup(bool timed, const std::string& key, bool oncePerKey)
{
    // A task never saved has no folder; "Backup" would land in the working folder. A task opened
    // to be read only writes nothing.
    const std::string taskFolder = WithSlash(m_taskInfo.GetTaskFolder());
    if (taskFolder.empty() || m_readOnly)
        return false;

    AutoBackupState& state = State();
    std::lock_guard lock(state.mutex);
    const zem::LocalTime now = zem::Now();
    const std::int64_t nowSeconds = zem::ToEpochSeconds(now);
    if (key.empty()) {
        // A clock set back counts as time passed: better one copy too many than none for hours.
        const std::int64_t elapsed = nowSeconds - state.lastDayBackup;
        if (state.dayBackupMade && elapsed >= 0 && elapsed < kSecondsBetweenDayBackups)
            return false;
    } else if (oncePerKey && state.keys.count(key)) {
        return false;
    }

    // A new task before its first save has nothing to copy: make no empty backup folders.
    if (!zem::FileExists(taskFolder + "input.xml"))
        return false;

    // A user who relies on a backup must know it was not made: a failure is said once, until a
    // backup works again, so that a save every minute does not repeat it.
    auto fail = [&](const std::string& reason) {
        if (!std::exchange(state.failureSaid, true)) {
            const std::string what = key.empty() ? std::string("自动备份未能完成")
                                                 : zem::Format("“%s”的备份未能完成", key.c_str());
            zem::ShowMessage(what + "，排课任务的文件没有备份。\n\n" + reason, "提示", zem::MessageIcon::Warning);
        }
        return false;
    };

    // Never into a link: the copies and the pruning stay inside the task folder.
    const std::string backupFolder = taskFolder + "Backup";
    std::string error;
    if (!zem::MakeRealFolder(backupFolder, &error))
        return fail(error);
    const std::string time =
        zem::Format("%04d%02d%02d%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute, now.second);
    const std::string name =
        timed ? zem::Format("%04d%02d%02d_%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute, now.second)
              : zem::Format("%04d%02d%02d", now.year, now.month, now.day);
    // A day backup of the same day is replaced whole, once the new copy is complete.
    const std::string folder = backupFolder + "/" + name;
    if (zem::IsLink(folder))
        return fail(zem::Format("无法使用文件夹，同名的是一个链接：%s", folder.c_str()));
    const TaskFolder::ReplaceCheck check = TaskFolder::CheckReplace(folder, taskFolder, true);
    if (check.verdict == TaskFolder::ReplaceCheck::HoldsTask)
        return fail(zem::Format("备份文件夹中有别的排课任务，不能覆盖：%s", check.task.c_str()));
    if (check.verdict == TaskFolder::ReplaceCheck::CannotCheck)
        return fail(zem::Format("无法查看备份文件夹中的内容：%s\n%s", folder.c_str(), check.error.c_str()));
    const TaskFolder::CopyReport copy = TaskFolder(taskFolder).BackUpTo(folder, {time, key});
    if (!copy.ok)
        return fail(copy.error);

    // The list must belong to this task before an entry goes in (a task saved for the first time
    // was never opened).
    if (m_backupManager.GetAutoBackupPath() != backupFolder)
        ReadBackupInfo();
    const bool listed = m_backupManager.AddEntry(timed ? CBackupManager::TimedBackup : CBackupManager::DayBackup,
                                                 time, name, key, &error);
    PruneDayBackups(backupFolder, name);
    // A backup the list does not show cannot be restored: try again next time. (A description
    // the list cannot hold was refused with its own message.)
    if (!listed)
        return error.empty() ? false : fail(error);

    if (key.empty()) {
        state.dayBackupMade = true;
        state.lastDayBackup = nowSeconds;
    } else if (oncePerKey) {
        state.keys.insert(key);
    }
    state.failureSaid = false;
    return true;
}

bool CScheduleTask::SyncTaskFiles(const std::string& source, const std::string& target, std::string* error)
{
    const TaskFolder::CopyReport report = TaskFolder(source).CopyInto(target);
    if (!report.ok && error)
        *error = FailureText(report);
    return report.ok;
}
