#include "base/TaskFolderRestore.h"

#include "base/Log.h"
#include "base/TaskFolder.h"
#include "base/TaskInfo.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kStagingName = ".restore-new";
constexpr const char* kHoldingPrefix = ".restore-old-";
// A holding folder renamed so when the restore is final: from then on it is only to be removed.
constexpr const char* kDonePrefix = ".restore-done-";
// In the holding folder, written before anything is moved: the parts brought in.
constexpr const char* kPlanFile = ".restore-plan";
constexpr const char* kPlanSection = "Restore";

bool Move(const std::string& from, const std::string& to, std::string* error = nullptr)
{
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec && error)
        *error = zem::Format("无法移动 %s：%s", from.c_str(), zem::FileErrorReason(ec.value()).c_str());
    return !ec;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// "<folder><prefix>yyyymmddhhmmss", with "-n" when a folder of that name is there.
std::string StampedFolder(const std::string& folder, const char* prefix)
{
    const zem::LocalTime t = zem::Now();
    const std::string base =
        folder + zem::Format("%s%04d%02d%02d%02d%02d%02d", prefix, t.year, t.month, t.day, t.hour, t.minute, t.second);
    std::string path = base;
    for (int n = 2; TaskFolder::HasEntry(path); ++n)
        path = base + zem::Format("-%d", n);
    return path + "/";
}

bool WritePlan(const std::string& holding, const std::vector<std::string>& staged, std::string& error)
{
    zem::IniFile plan;
    for (std::size_t i = 0; i < staged.size(); ++i) {
        if (!zem::IsGbkRepresentable(staged[i]) || !plan.SetString(kPlanSection, std::to_string(i + 1), staged[i])) {
            error = zem::Format("无法记录要恢复的内容：%s", staged[i].c_str());
            return false;
        }
    }
    return plan.SaveAs(holding + kPlanFile, &error);
}

bool ReadPlan(const std::string& holding, std::vector<std::string>& staged)
{
    zem::IniFile plan;
    if (!zem::FileExists(holding + kPlanFile) || !plan.Load(holding + kPlanFile))
        return false;
    for (const auto& [key, name] : plan.GetSectionKeys(kPlanSection))
        // Only a name in the task folder, never a path out of it.
        if (zem::CheckFileName(name))
            staged.push_back(name);
    return true;
}

// Undoes a restore from what its folders hold: the parts brought in go back to the staging
// folder, then the held parts to their places. Run again after a stop half-way, it goes on where
// it stopped. True when nothing is left held; the restore's folders are then gone.
bool RollBack(const std::string& folder, const std::string& holding)
{
    const std::string staging = folder + kStagingName + "/";
    std::vector<std::string> staged;
    if (!ReadPlan(holding, staged))
        return false;
    std::string error;
    for (const std::string& name : staged) {
        // All the task's own parts were moved aside before the first copy came in: a staged part
        // that is no longer in the staging folder is the copy.
        if (TaskFolder::HasEntry(staging + name) || !TaskFolder::HasEntry(folder + name))
            continue;
        if (!zem::MakeRealFolder(staging, &error) || !Move(folder + name, staging + name, &error)) {
            CLog::inst()->Log("restore", "%s", error.c_str());
            return false;
        }
    }
    std::vector<zem::FolderEntry> held;
    if (!zem::ListFolder(holding, held, &error)) {
        CLog::inst()->Log("restore", "%s", error.c_str());
        return false;
    }
    bool allBack = true;
    for (const zem::FolderEntry& entry : held) {
        if (entry.name == kPlanFile)
            continue;
        if (TaskFolder::HasEntry(folder + entry.name) || !Move(holding + entry.name, folder + entry.name, &error)) {
            CLog::inst()->Log("restore", "cannot put back %s%s %s", holding.c_str(), entry.name.c_str(), error.c_str());
            allBack = false;
        }
    }
    if (!allBack)
        return false;
    zem::RemoveFolder(holding);
    zem::RemoveFolder(staging);
    return true;
}

// Undoes or removes what restores cut short left in the folder.
void Recover(const std::string& folder)
{
    std::vector<zem::FolderEntry> entries;
    if (!zem::ListFolder(folder, entries))
        return;
    bool pending = false;
    for (const zem::FolderEntry& entry : entries) {
        if (!entry.isFolder)
            continue;
        const std::string path = folder + entry.name + "/";
        if (StartsWith(entry.name, kDonePrefix)) {
            zem::RemoveFolder(path);
        } else if (StartsWith(entry.name, kHoldingPrefix)) {
            // A plan whose writing was cut short is no plan.
            zem::RemoveOwnTemporaryFiles(path);
            if (zem::FileExists(path + kPlanFile)) {
                if (RollBack(folder, path))
                    CLog::inst()->Log("restore", "undid the restore cut short in %s", folder.c_str());
                else
                    pending = true;
                continue;
            }
            // Made but nothing moved into it yet; one that holds anything without a plan cannot be
            // told apart from the task's own and stays.
            std::vector<zem::FolderEntry> held;
            if (zem::ListFolder(path, held) && held.empty())
                zem::RemoveFolder(path);
        }
    }
    // The copies are still needed while a restore waits to be undone.
    if (!pending)
        zem::RemoveFolder(folder + kStagingName);
}

// The backup's task file: the one named as the task's, else the only task file it holds.
std::string FindBackupTaskFile(const std::string& backup, const std::string& taskFileName)
{
    if (zem::FileExists(backup + taskFileName) && !zem::IsLink(backup + taskFileName))
        return backup + taskFileName;
    std::vector<zem::FolderEntry> entries;
    zem::ListFolder(backup, entries);
    std::string found;
    for (const zem::FolderEntry& entry : entries) {
        const std::string& name = entry.name;
        const std::string_view extension = TaskFolder::kTaskFileExtension;
        if (entry.isFolder || entry.isLink || name.size() <= extension.size() ||
            !zem::EqualsNoCase(std::string_view(name).substr(name.size() - extension.size()), extension))
            continue;
        if (!found.empty())
            return {};
        found = backup + name;
    }
    return found;
}

}  // namespace

TaskFolderRestore::TaskFolderRestore(const std::string& taskFolder, const std::string& backupFolder)
    : m_folder(TaskFolder(taskFolder).Path()), m_backup(TaskFolder(backupFolder).Path()),
      m_staging(m_folder + kStagingName + "/"), m_busy(m_folder)
{
}

TaskFolderRestore::~TaskFolderRestore()
{
    if (!m_killed && !m_done) {
        if (m_swapped)
            Undo();
        else
            zem::RemoveFolder(m_staging);
    }
}

bool TaskFolderRestore::Stage(const std::string& taskFileName, const std::string& taskName, std::string& error)
{
    // What an earlier restore left is dealt with first, so that its copies are never mixed in.
    Recover(m_folder);
    if (TaskFolder::HasEntry(m_staging)) {
        error = zem::Format("上次恢复留下的文件夹未能清理：%s", m_staging.c_str());
        return false;
    }
    if (!zem::MakeRealFolder(m_staging, &error))
        return false;
    const TaskFolder::CopyReport report =
        TaskFolder(m_backup).CopyInto(m_staging, FindBackupTaskFile(m_backup, taskFileName), taskFileName);
    if (!report.ok) {
        error = report.error;
        return false;
    }
    // A link is not the backup's part and is not brought back; a part that cannot be read whole is
    // not restored in part.
    if (!report.onlyLinksLeftOut) {
        error.clear();
        for (const std::string& reason : report.reasons)
            error += (error.empty() ? "" : "\n") + reason;
        return false;
    }
    m_leftOut = report.leftOut;
    m_staged = report.copied;
    m_replaced = m_staged;
    // Timetables the backup did not have must not survive it.
    if (std::find(m_staged.begin(), m_staged.end(), TaskFolder::kOutputFile) == m_staged.end())
        m_replaced.push_back(TaskFolder::kOutputFile);

    if (std::find(m_staged.begin(), m_staged.end(), taskFileName) != m_staged.end()) {
        CTaskInfo info;
        info.ReadFromFile(m_staging + taskFileName);
        if (info.GetTaskName() != taskName) {
            info.SetTaskName(taskName);
            if (!info.WriteToFile()) {
                error = "无法写入排课任务文件";
                return false;
            }
        }
    }
    if (TaskFolder::IsKilledAt("staged")) {
        m_killed = true;
        error = "killed";
        return false;
    }
    return true;
}

bool TaskFolderRestore::Swap(std::string& error)
{
    m_holding = StampedFolder(m_folder, kHoldingPrefix);
    if (!zem::MakeRealFolder(m_holding, &error))
        return false;
    if (!WritePlan(m_holding, m_staged, error)) {
        zem::RemoveFolder(m_holding);
        return false;
    }
    m_swapped = true;
    auto step = [&](const std::string& from, const std::string& to, const std::string& name) {
        if (!Move(from, to, &error)) {
            Undo();
            return false;
        }
        if (TaskFolder::IsKilledAt(name)) {
            m_killed = true;
            error = "killed";
            return false;
        }
        return true;
    };
    for (const std::string& name : m_replaced)
        if (TaskFolder::HasEntry(m_folder + name) && !step(m_folder + name, m_holding + name, "held " + name))
            return false;
    for (const std::string& name : m_staged)
        if (!step(m_staging + name, m_folder + name, "put " + name))
            return false;
    return true;
}

void TaskFolderRestore::Commit()
{
    m_done = true;
    if (!m_swapped) {
        zem::RemoveFolder(m_staging);
        return;
    }
    // From the rename on, the restore stands even if the program stops before the rest is gone.
    const std::string done = StampedFolder(m_folder, kDonePrefix);
    if (Move(m_holding, done)) {
        if (TaskFolder::IsKilledAt("committed")) {
            m_killed = true;
            return;
        }
        zem::RemoveFolder(done);
    } else {
        zem::RemoveFile(m_holding + kPlanFile);
        zem::RemoveFolder(m_holding);
    }
    zem::RemoveFolder(m_staging);
}

bool TaskFolderRestore::Undo()
{
    m_done = true;
    if (!m_swapped) {
        zem::RemoveFolder(m_staging);
        return true;
    }
    return RollBack(m_folder, m_holding);
}

void TaskFolderRestore::FinishInterrupted(const std::string& taskFolder)
{
    const std::string folder = TaskFolder(taskFolder).Path();
    if (!folder.empty() && !TaskFolder::IsBusy(folder))
        Recover(folder);
}
