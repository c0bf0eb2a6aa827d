#include "app/shell/TaskRename.h"

#include "app/shared/RecentList.h"
#include "app/shared/Strings.h"
#include "app/shared/Paths.h"
#include "app/shell/AppContext.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace {

constexpr const char* kTempTasksSection = "Recently Temp Tasks";
constexpr int kTempTasksCapacity = 10;

void Refuse(const std::string& text)
{
    zem::ShowMessage(text, "提示", zem::MessageIcon::Warning);
}

bool IsUsableName(const std::string& name)
{
    std::string message;
    if (!zem::CheckFileName(name, &message) || !CheckGbkText(name, &message)) {
        Refuse(message);
        return false;
    }
    return true;
}

bool Exists(const std::string& path)
{
    return zem::FileExists(path) || zem::FolderExists(path);
}

bool MoveFile(const std::string& from, const std::string& to, std::string* error)
{
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    if (ec && error)
        *error = zem::FileErrorReason(ec.value());
    return !ec;
}

// Writes the name into the "Task Info" of a task file; the ini engine tells the user of a failure.
bool WriteTaskName(const std::string& taskFile, const std::string& name)
{
    CTaskInfo info;
    if (!info.ReadFromFile(taskFile))
        return false;
    info.SetTaskName(name);
    return info.WriteToFile();
}

// The copy's temporary tasks lie in its own temp folder: its list is made to say so.
bool MoveTempTaskList(const std::string& taskFile, const std::string& oldFolder, const std::string& newFolder)
{
    CRecentList list;
    list.Init(taskFile, kTempTasksSection, kTempTasksCapacity);
    std::vector<std::string> entries;
    bool changed = false;
    for (int i = 0; i < list.GetCount(); ++i) {
        std::string entry = list.GetAt(i);
        if (entry.compare(0, oldFolder.size(), oldFolder) == 0) {
            entry = newFolder + entry.substr(oldFolder.size());
            changed = true;
        }
        entries.push_back(entry);
    }
    if (!changed)
        return true;
    while (list.GetCount() > 0)
        list.RemoveAt(0);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        list.Add(*it);
    return list.Save();
}

void ForgetRecentTask(CAppContext* context, const std::string& taskFile)
{
    CRecentList& recent = context->GetRecentTasks();
    const int index = recent.Find(taskFile);
    if (index < 0)
        return;
    recent.RemoveAt(index);
    recent.Save();
}

}  // namespace

bool RenameOpenTask(const std::string& name)
{
    CAppContext* context = CAppContext::Exists() ? CAppContext::Get() : nullptr;
    CScheduleTask* task = context ? context->GetTask() : nullptr;
    if (!task)
        return false;
    const CTaskInfo info = task->GetTaskInfo();
    const std::string oldName = info.GetTaskName();
    const std::string oldFile = info.GetTaskFile();
    const std::string newFile = WithTrailingSlash(info.GetTaskFolder()) + name + ".zem";
    if (name == oldName && newFile == oldFile)
        return true;
    if (!IsUsableName(name))
        return false;
    if (newFile != oldFile && Exists(newFile)) {
        Refuse(zem::Format("排课任务 %s 已存在", name.c_str()));
        return false;
    }

    std::string error;
    if (newFile != oldFile && !MoveFile(oldFile, newFile, &error)) {
        zem::ShowMessage(zem::Format("无法修改排课任务名称：%s\n%s", oldFile.c_str(), error.c_str()), "提示",
                         zem::MessageIcon::Error);
        return false;
    }
    auto undo = [&] {
        WriteTaskName(newFile, oldName);
        if (newFile != oldFile)
            MoveFile(newFile, oldFile, nullptr);
        return false;
    };
    if (!WriteTaskName(newFile, name))
        return undo();
    // The task open now stays open until it has opened under its new file.
    if (!context->OpenTask(newFile, false))
        return undo();
    if (newFile != oldFile)
        ForgetRecentTask(context, oldFile);
    return true;
}

bool SaveOpenTaskAs(const std::string& folder, const std::string& name)
{
    CAppContext* context = CAppContext::Exists() ? CAppContext::Get() : nullptr;
    CScheduleTask* task = context ? context->GetTask() : nullptr;
    if (!task)
        return false;
    if (!IsUsableName(name))
        return false;
    // A relative path would land wherever the program happened to be started.
    if (folder.empty() || zem::IsWindowsPath(folder) || folder.front() != '/' || !zem::FolderExists(folder)) {
        Refuse("保存位置无效");
        return false;
    }
    // The copy is made of the files: timetables that never reached them are saved first or let go.
    if (!context->ConfirmCloseTask())
        return false;
    const CTaskInfo info = task->GetTaskInfo();
    const std::string oldFolder = WithTrailingSlash(info.GetTaskFolder());
    const std::string oldFile = info.GetTaskFile();
    const std::string newFolder = WithTrailingSlash(folder) + name + "/";
    if (zem::IsPathSameOrInside(newFolder, oldFolder)) {
        Refuse("不能另存到当前排课任务文件夹内部");
        return false;
    }
    if (Exists(newFolder)) {
        Refuse(zem::Format("文件夹 %s 已存在，请换一个名称或位置", newFolder.c_str()));
        return false;
    }

    // Whatever goes wrong from here, the half-made copy goes; the open task was never touched.
    auto fail = [&](const std::string& text) {
        zem::RemoveFolder(newFolder);
        if (!text.empty())
            zem::ShowMessage(text, "提示", zem::MessageIcon::Error);
        return false;
    };
    std::string error;
    if (zem::CopyFolder(oldFolder, newFolder, &error) != 0)
        return fail("另存排课任务失败：\n" + error);
    const std::string copiedFile = newFolder + oldFile.substr(oldFile.rfind('/') + 1);
    const std::string newFile = newFolder + name + ".zem";
    if (copiedFile != newFile && !MoveFile(copiedFile, newFile, &error))
        return fail(zem::Format("另存排课任务失败：\n%s\n%s", newFile.c_str(), error.c_str()));
    if (!WriteTaskName(newFile, name))
        return fail({});
    if (!MoveTempTaskList(newFile, oldFolder, newFolder))
        return fail(zem::Format("另存排课任务失败：无法写入 %s", newFile.c_str()));
    if (!context->OpenTask(newFile, false))
        return fail({});
    return true;
}
