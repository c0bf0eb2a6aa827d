// The temporary lesson-change tasks of the page panel: the menu of the open task's temporary
// tasks, their clean-up, and starting one.
#include "app/shell/PagePanel.h"

#include "app/controls/ObjectPickerDlg.h"
#include "app/shared/Paths.h"
#include "app/controls/RemoveItemsDlg.h"
#include "app/shell/AppContext.h"
#include "app/shell/FeatureWindows.h"
#include "app/timetable/TimetableWindowSave.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <cerrno>
#include <filesystem>
#include <memory>

namespace {

CScheduleTask* OpenTask()
{
    return CAppContext::Exists() ? CAppContext::Get()->GetTask() : nullptr;
}

// The folder of a new temporary task: the name as given, else with "_2", "_3"... when a folder of
// that name exists. Empty when none is free.
std::string FreeTempFolderName(const std::string& tempFolder, const std::string& name)
{
    if (!zem::FolderExists(tempFolder + name) && !zem::FileExists(tempFolder + name))
        return name;
    for (int n = 2; n < 1000; ++n) {
        const std::string candidate = zem::Format("%s_%d", name.c_str(), n);
        if (!zem::FolderExists(tempFolder + candidate) && !zem::FileExists(tempFolder + candidate))
            return candidate;
    }
    return {};
}

// Deletes a temporary task's folder that this program made, and only when it is a direct child of
// the task's temp folder.
void RemoveCreatedTempFolder(const std::string& tempFolder, const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path parent = fs::weakly_canonical(fs::path(folder).parent_path(), ec);
    const fs::path temp = fs::weakly_canonical(fs::path(tempFolder), ec);
    if (ec || parent != temp)
        return;
    zem::RemoveFolder(folder);
}

// A new temporary task of the open task for the absent teacher: a folder of its own in the temp
// folder (`createdFolder`) with copies of the task's files, opened. Null, after saying why and
// removing what it made, when it cannot be made.
std::unique_ptr<CScheduleTask> CreateTempTask(CScheduleTask& task, const std::string& teacherId,
                                              std::string& createdFolder)
{
    const std::string tempFolder = task.GetTaskInfo().GetTempFolder();
    const zem::LocalTime now = zem::Now();
    std::string newName = zem::Format("%04d%02d%02d_%02d%02d_%s_临时调代课", now.year, now.month, now.day, now.hour,
                                      now.minute, task.GetTeacherName(teacherId).c_str());
    std::string message;
    if (!zem::CheckFileName(newName, &message)) {
        zem::ShowMessage(message, "提示", zem::MessageIcon::Warning);
        return nullptr;
    }
    // Never through a link: a temporary task is written inside the task folder.
    std::string error;
    if (!zem::MakeRealFolder(tempFolder, &error)) {
        zem::ShowMessage("生成临时任务文件出错\n\n" + error, "提示", zem::MessageIcon::Warning);
        return nullptr;
    }
    // Another temporary task of this teacher in the same minute keeps its folder.
    newName = FreeTempFolderName(tempFolder, newName);
    const std::string folder = tempFolder + newName;
    std::error_code ec;
    if (newName.empty() || !std::filesystem::create_directory(folder, ec)) {
        const std::string reason = newName.empty() ? std::string("同名的文件夹太多")
                                                   : zem::FileErrorReason(ec ? ec.value() : EEXIST);
        zem::ShowMessage(zem::Format("生成临时任务文件出错\n\n无法创建文件夹：%s\n%s", folder.c_str(), reason.c_str()),
                         "提示", zem::MessageIcon::Warning);
        return nullptr;
    }
    createdFolder = folder;

    auto temp = std::make_unique<CScheduleTask>();
    CTaskInfo& info = temp->GetTaskInfo();
    info.SetTaskName(newName);
    info.SetTaskFolder(folder);
    const CTaskInfo& source = task.GetTaskInfo();
    // A task not yet scheduled has no timetable file: its temporary task starts without one.
    const bool hasTables = zem::FileExists(source.GetOutputFilePath());
    if (!info.WriteToFile() || !zem::CopyFile(source.GetInputFilePath(), info.GetInputFilePath()) ||
        (hasTables && !zem::CopyFile(source.GetOutputFilePath(), info.GetOutputFilePath()))) {
        zem::ShowMessage("生成临时任务文件出错", "提示", zem::MessageIcon::Warning);
        RemoveCreatedTempFolder(tempFolder, createdFolder);
        return nullptr;
    }
    const std::string file = info.GetTaskFile();
    temp = std::make_unique<CScheduleTask>();
    if (!temp->Open(file)) {
        zem::ShowMessage("打开临时任务失败", "提示", zem::MessageIcon::Warning);
        RemoveCreatedTempFolder(tempFolder, createdFolder);
        return nullptr;
    }
    return temp;
}

}  // namespace

std::string CPagePanel::TempTaskFile(const std::string& name)
{
    const CScheduleTask* task = OpenTask();
    if (!task)
        return {};
    return task->GetTaskInfo().GetTempFolder() + name + "/" + name + ".zem";
}

void CPagePanel::ShowTempTaskMenu()
{
    CScheduleTask* task = OpenTask();
    if (!task)
        return;
    const CRecentList& temps = CAppContext::Get()->GetRecentTempTasks();
    std::vector<zem::gui::MenuItem> menu;
    menu.push_back({ID_TEMP_NEW, zem::Format("基于当前任务 - %s", task->GetTaskInfo().GetTaskName().c_str())});
    menu.push_back({});
    const int count = std::min(temps.GetCount(), ID_TEMP_LAST - ID_TEMP_FIRST + 1);
    for (int i = 0; i < count; ++i) {
        const std::string name = temps.GetAt(i);
        const bool exists = PathIsKind(TempTaskFile(name), false) != 0;
        std::string text = zem::Format("基于临时任务 - %s", name.c_str());
        if (!exists)
            text += " （没有找到文件）";
        menu.push_back({ID_TEMP_FIRST + i, text, exists});
    }
    menu.push_back({});
    menu.push_back({ID_TEMP_CLEAN, "清理临时任务..."});
    if (const int command = zem::gui::TrackPopupMenu(this, menu, MenuPoint(34)))
        OnMenuCommand(command);
}

void CPagePanel::CleanTempTasks()
{
    CRecentList& temps = CAppContext::Get()->GetRecentTempTasks();
    std::vector<std::string> names;
    for (int i = 0; i < temps.GetCount(); ++i)
        names.push_back(temps.GetAt(i));
    if (names.empty())
        return;
    CRemoveItemsDlg dialog(this);
    dialog.SetPrompt("临时调课代课 - 从列表中移除临时任务");
    dialog.SetItems(names);
    if (dialog.DoModal() != zem::IDOK)
        return;
    const std::vector<unsigned>& ticked = dialog.GetCheckedIndices();
    for (auto it = ticked.rbegin(); it != ticked.rend(); ++it)
        temps.RemoveAt(static_cast<int>(*it));
    if (!temps.Save())
        zem::ShowMessage(zem::Format("无法写入排课任务文件 %s", temps.GetFile().c_str()), "提示",
                         zem::MessageIcon::Error);
}

void CPagePanel::StartTempAdjust(const std::string& name)
{
    CScheduleTask* task = OpenTask();
    const CFeatureWindows windows = FeatureWindows();
    if (!task || !windows.tempAdjust)
        return;

    auto temp = std::make_unique<CScheduleTask>();
    if (!name.empty()) {
        // What the task says of a failed opening is the reason of the one message; a file that is
        // gone nobody else says.
        const std::string file = TempTaskFile(name);
        const std::string fallback = zem::Format(zem::FileExists(file) ? "无法读取临时任务文件 %s" : "临时任务文件 %s 不存在",
                                                 file.c_str());
        if (!SaveSayingWhy([&] { return temp->Open(file); }, "打开临时任务 " + name + " 出错" + kReasonBreak, fallback))
            return;
    }

    const std::string title = name.empty() ? std::string("选择被代课的教师")
                                           : zem::Format("选择本次被代课的教师 （基于临时任务 - %s）", name.c_str());
    CTeacherAbsencePickerDlg picker(this);
    picker.SetTitle(title);
    picker.m_source = name.empty() ? &task->GetTeacherInfoList() : &temp->GetTeacherInfoList();
    if (picker.DoModal() != zem::IDOK || !picker.GetSelectedObject())
        return;
    const std::string teacherId = picker.GetSelectedObject()->GetId();

    std::string createdFolder;
    const std::string tempFolder = task->GetTaskInfo().GetTempFolder();
    if (name.empty() && !(temp = CreateTempTask(*task, teacherId, createdFolder)))
        return;

    const bool kept = windows.tempAdjust(*temp, !createdFolder.empty(), teacherId);
    temp.reset();
    if (!createdFolder.empty() && !kept)
        RemoveCreatedTempFolder(tempFolder, createdFolder);
}
