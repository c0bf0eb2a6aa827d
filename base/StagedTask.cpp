#include "base/StagedTask.h"

#include "base/Log.h"
#include "base/ScheduleTask.h"
#include "base/TaskFolder.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The folder without its trailing '/'.
std::string PlaceOf(const std::string& folder)
{
    std::string place = TaskFolder(folder).Path();
    place.pop_back();
    return place;
}

// Absent, or a real folder with nothing in it: a staging folder may take its place whole.
bool IsFreePlace(const std::string& target, std::string& error)
{
    if (!TaskFolder::HasEntry(target))
        return true;
    std::vector<zem::FolderEntry> entries;
    if (zem::IsLink(target) || !zem::RealFolderExists(target) || !zem::ListFolder(target, entries, &error) ||
        !entries.empty()) {
        if (error.empty())
            error = zem::Format("该文件夹中已有文件，新的排课任务需要一个空文件夹：%s", target.c_str());
        return false;
    }
    return true;
}

// The task file of the staging folder: the one ".zem" file in it.
std::string TaskFileIn(const std::string& folder)
{
    std::vector<zem::FolderEntry> entries;
    if (!zem::ListFolder(folder, entries))
        return {};
    const std::string_view extension = TaskFolder::kTaskFileExtension;
    std::string found;
    for (const zem::FolderEntry& entry : entries) {
        const std::string_view name = entry.name;
        if (!entry.isFolder && name.size() > extension.size() &&
            zem::EqualsNoCase(name.substr(name.size() - extension.size()), extension)) {
            if (!found.empty())
                return {};
            found = folder + entry.name;
        }
    }
    return found;
}

}  // namespace

StagedTask::~StagedTask() = default;

bool StagedTask::Begin(const std::string& target, std::string& error)
{
    if (target.empty() || target == "/") {
        error = "保存位置无效";
        return false;
    }
    const std::string place = PlaceOf(target);
    if (!IsFreePlace(place, error))
        return false;
    std::string staging;
    if (!TaskFolder::MakeStagingFolder(place, staging, &error))
        return false;
    m_staging = TaskFolder(staging).Path();
    m_target = TaskFolder(place).Path();
    return true;
}

bool StagedTask::PutInPlace(bool withTimetables, std::string& error)
{
    if (!IsActive()) {
        error = "没有正在新建的排课任务";
        return false;
    }
    const std::string taskFile = TaskFileIn(m_staging);
    CScheduleTask readBack;
    const bool whole = !taskFile.empty() && zem::FileExists(m_staging + TaskFolder::kInputFile) &&
                       (!withTimetables || zem::FileExists(m_staging + TaskFolder::kOutputFile)) &&
                       readBack.Open(taskFile, TaskAccess::ReadOnly) && !readBack.IsOutputReadPartial() &&
                       !readBack.IsPairMismatched();
    if (!whole) {
        error = zem::Format("其中的文件没能完整读回：%s", m_staging.c_str());
        Discard();
        return false;
    }
    if (TaskFolder::IsKilledAt("new task: read back"))
        return false;
    // A folder made meanwhile in its place is not replaced.
    const std::string place = PlaceOf(m_target);
    std::error_code ec;
    if (IsFreePlace(place, error))
        fs::rename(PlaceOf(m_staging), place, ec);
    if (error.empty() && !ec)
        TaskFolder::DropOwnerMarker(place);
    if (!error.empty() || ec) {
        if (error.empty())
            error = zem::Format("无法创建文件夹：%s\n%s", place.c_str(), zem::FileErrorReason(ec.value()).c_str());
        Discard();
        return false;
    }
    CLog::inst()->Log("task", "new task %s in place", place.c_str());
    m_staging.clear();
    return true;
}

void StagedTask::Discard()
{
    if (!IsActive())
        return;
    zem::RemoveFolder(PlaceOf(m_staging));
    m_staging.clear();
}
