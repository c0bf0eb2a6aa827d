// The task's automatic copies in its Backup folder, and the copy of a task's files between folders.
#include "base/ScheduleTask.h"

#include "base/Utility.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <set>

namespace {

constexpr std::int64_t kSecondsBetweenDayBackups = 3600;
constexpr std::size_t kDayBackupsKept = CBackupManager::kMaxEntriesPerType;

// Shared by every task of the process, so that two open tasks do not each copy on every save.
struct AutoBackupState {
    std::mutex mutex;
    bool dayBackupMade = false;
    std::int64_t lastDayBackup = 0;  // epoch seconds of the last backup with an empty key
    std::set<std::string> keys;      // keys backed up once in this run
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

// A folder of that name counts too: the copy must then fail rather than pass it over.
bool PathExists(const std::string& path) { return zem::FileExists(path) || zem::FolderExists(path); }

bool IsDayBackupName(const std::string& name) { return name.size() == 8 && IsAllDigits(name); }

// Keeps the newest day backups; older ones go with everything in them. The folder just written
// stays even when a clock set back makes it look old.
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

}  // namespace

void CScheduleTask::ResetAutoBackupStateForTesting()
{
    AutoBackupState& state = State();
    std::lock_guard lock(state.mutex);
    state.dayBackupMade = false;
    state.lastDayBackup = 0;
    state.keys.clear();
}

bool CScheduleTask::ReadBackupInfo()
{
    m_backupManager.Init(m_taskInfo.GetTaskFolder());
    return true;
}

bool CScheduleTask::AutoBackup(bool timed, const std::string& key, bool oncePerKey)
{
    // A task never saved has no folder; "Backup" would land in the working folder.
    const std::string taskFolder = WithSlash(m_taskInfo.GetTaskFolder());
    if (taskFolder.empty())
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
    const std::string backupFolder = taskFolder + "Backup";
    if (!zem::MakeFolder(backupFolder))
        return false;
    const std::string time =
        zem::Format("%04d%02d%02d%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute, now.second);
    const std::string name =
        timed ? zem::Format("%04d%02d%02d_%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute, now.second)
              : zem::Format("%04d%02d%02d", now.year, now.month, now.day);
    // A day backup of the same day is refreshed in place.
    const std::string folder = backupFolder + "/" + name + "/";
    const bool fresh = !zem::FolderExists(folder);
    if (!zem::MakeFolder(folder))
        return false;
    if (!SyncTaskFiles(taskFolder, folder, nullptr)) {
        // A half-made copy would be listed when the list is rebuilt from the folders.
        if (fresh)
            zem::RemoveFolder(folder);
        return false;
    }

    // The list must belong to this task before an entry goes in (a task saved for the first time
    // was never opened).
    if (m_backupManager.GetAutoBackupPath() != backupFolder)
        ReadBackupInfo();
    const bool listed = m_backupManager.AddEntry(timed ? CBackupManager::TimedBackup : CBackupManager::DayBackup,
                                                 time, name, key);
    PruneDayBackups(backupFolder, name);
    // A backup the list does not show cannot be restored: try again next time.
    if (!listed)
        return false;

    if (key.empty()) {
        state.dayBackupMade = true;
        state.lastDayBackup = nowSeconds;
    } else if (oncePerKey) {
        state.keys.insert(key);
    }
    return true;
}

bool CScheduleTask::SyncTaskFiles(const std::string& source, const std::string& target, std::string* error)
{
    const std::string from = WithSlash(source);
    const std::string to = WithSlash(target);
    auto fail = [error](const char* text) {
        if (error)
            *error = text;
        return false;
    };

    if (!zem::CopyFile(from + "input.xml", to + "input.xml"))
        return fail("copy input.xml failed");
    if (PathExists(from + "output.xml")) {
        if (!zem::CopyFile(from + "output.xml", to + "output.xml"))
            return fail("copy output.xml failed");
    } else if (PathExists(to + "output.xml")) {
        // A copy without timetables must not keep older ones.
        if (!zem::RemoveFile(to + "output.xml"))
            return fail("sync delete dest output.xml failed");
    }
    if (zem::FileExists(from + "task.ini"))
        zem::CopyFile(from + "task.ini", to + "task.ini");
    for (const char* sub : {"temp", "proctor"})
        if (zem::FolderExists(from + sub))
            CopyFolderSilently(from + sub, to + sub);
    return true;
}
