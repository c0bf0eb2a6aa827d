#include "app/shell/AppContext.h"

#include "app/controls/GdiResources.h"
#include "app/shared/Paths.h"
#include "app/shared/Strings.h"
#include "app/controls/TipWnd.h"
#include "app/shell/MainDlg.h"
#include "app/shell/NewTaskDlg.h"
#include "app/shell/PagePanel.h"
#include "app/shell/ScheduleCompletionDlg.h"
#include "app/shell/TaskRestore.h"
#include "app/shared/SaveFailure.h"
#include "base/Log.h"
#include "base/ScheduleTask.h"
#include "base/StagedTask.h"
#include "base/TaskFolder.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/UserFolders.h"
#include "platform/gui/FileDialogs.h"

#include <unistd.h>

namespace {

CAppContext*& TheContext()
{
    static CAppContext* context = nullptr;
    return context;
}

constexpr const char* kMissingTaskFormat =
    "排课任务文件 %s 不存在\n\n您如果移动或重命名了相关文件夹，可以重新打开该排课任务文件，方法是：\n"
    "在第1页 开始 -> 打开排课任务 -> 浏览文件夹，然后找到新位置的排课任务";

}  // namespace

// ---- Lifetime ----

CAppContext* CAppContext::Get()
{
    if (!TheContext())
        Create(GetIniFilePath());
    return TheContext();
}

CAppContext* CAppContext::Create(const std::string& iniPath)
{
    Free();
    TheContext() = new CAppContext(iniPath);
    return TheContext();
}

bool CAppContext::Exists()
{
    return TheContext() != nullptr;
}

void CAppContext::Free()
{
    delete TheContext();
    TheContext() = nullptr;
}

std::string CAppContext::GetIniFilePath()
{
    const std::string programFolder = zem::ProgramFolder();
    if (::access(programFolder.c_str(), W_OK) == 0)
        return programFolder + "zem.ini";
    const std::string folder = zem::UserFolder(zem::UserFolderKind::Config) + "zem/";
    zem::MakeFolder(folder);
    return folder + "zem.ini";
}

std::string CAppContext::GetResourceFolder()
{
    const std::string programFolder = zem::ProgramFolder();
    if (zem::FolderExists(programFolder + "demoD"))
        return programFolder;
    return programFolder + "../share/zem/";
}

CAppContext::CAppContext(const std::string& iniPath)
{
    SetConfigFile(iniPath);
    m_recentTasks.Init(iniPath, "Recently Tasks", 10);
    ResetTableFonts(3);
    ReadSettings();
    m_tipWnd = std::make_unique<CTipWnd>();
    m_tipWnd->Create();
    m_tipList = std::make_unique<CTipList>();
    SetAppServices(this);
}

CAppContext::~CAppContext()
{
    if (&AppServices() == this)
        SetAppServices(nullptr);
    m_tipList.reset();
    CloseTask();
}

void CAppContext::CloseTask()
{
    delete m_task;
    m_task = nullptr;
    m_unsavedTablesLetGo = false;
}

bool CAppContext::ConfirmCloseTask()
{
    if (!m_task || !m_task->HasUnsavedTables() || m_unsavedTablesLetGo)
        return true;
    zem::MessageRequest question;
    question.text = "课表没有保存成功，课表文件 output.xml 中还是以前的课表。关闭排课任务后，现在的课表将会丢失。\n\n"
                    "要再次保存课表吗？";
    question.icon = zem::MessageIcon::Warning;
    question.buttons = zem::MessageButtons::YesNoCancel;
    switch (zem::ShowMessage(question)) {
    case zem::IDYES:
        // With the plans as memory holds them: a failed pair save (a plan split, an adjustment)
        // left plans that input.xml lacks, and the timetables alone would lose their lessons on
        // reading. A save that fails again says why; the task stays open.
        return SaveSayingWhy([this] { return m_task->SaveInputAndOutput(); }, "保存课表失败：", kCheckTaskFolderReason);
    case zem::IDNO:
        m_unsavedTablesLetGo = true;
        return true;
    default:
        return false;
    }
}

void CAppContext::UpdateCaption()
{
    if (m_mainDlg)
        m_mainDlg->UpdateCaption();
}

// ---- Opening and creating tasks ----

bool CAppContext::OpenTask(const std::string& path, bool skipIfOpen)
{
    if (!PathIsKind(path, false)) {
        zem::ShowMessage(zem::Format(kMissingTaskFormat, path.c_str()), "提示", zem::MessageIcon::Error);
        return false;
    }
    const bool same = m_task && CRecentList::IsSameEntry(m_task->GetTaskInfo().GetTaskFile(), path);
    if (skipIfOpen && same)
        return true;
    // The same task opened anew (a restore) replaces its timetables on purpose.
    if (!same && !ConfirmCloseTask())
        return false;

    auto* task = new CScheduleTask();
    if (!task->Open(path)) {
        delete task;
        return false;
    }
    CloseTask();
    m_task = task;
    UpdateCaption();
    // The list is a convenience: a failed save is logged, the task stays open.
    // A task in its staging folder is not yet where the list could find it again.
    if (!(m_staged && m_staged->IsActive()) && !m_recentTasks.Add(path))
        CLog::inst()->Log("settings", "recent tasks not saved: %s", m_recentTasks.GetLastError().c_str());
    m_recentTempTasks.Init(path, "Recently Temp Tasks", 10);
    m_schoolLayout.chosenRows.clear();
    m_colorMap.Build(m_task);
    if (m_mainDlg && m_mainDlg->GetPagePanel())
        m_mainDlg->GetPagePanel()->AddTaskPages();
    OfferBackupForMismatchedFiles();
    return true;
}

bool CAppContext::OpenTaskByDialog()
{
    zem::gui::FileDialogRequest request;
    request.kind = zem::gui::FileDialogRequest::Kind::OpenFile;
    request.title = "打开排课任务";
    request.filter = "排课任务文件(*.zem)|*.zem";
    request.folder = GetOpenFolder();
    const std::string path = zem::gui::ChooseFile(m_mainDlg, request);
    if (path.empty())
        return false;
    SetLastOpenTaskFolder(path);
    return OpenTask(path, true);
}

bool CAppContext::ReopenLastTask()
{
    if (m_recentTasks.GetCount() == 0)
        return false;
    return OpenTask(m_recentTasks.GetAt(0), true);
}

std::string CAppContext::GetDemoTaskFile()
{
    return GetMyDocumentsFolder() + "我的排课任务/演示排课/演示排课.zem";
}

bool CAppContext::OpenDemoTask()
{
    const std::string target = GetDemoTaskFile();
    if (!PathIsKind(target, false)) {
        std::string error;
        if (zem::CopyFolder(GetResourceFolder() + "demoD", GetFolderOfPath(target), &error) != 0) {
            zem::ShowMessage("无法复制演示排课任务：\n" + error, "提示", zem::MessageIcon::Error);
            return false;
        }
    }
    return OpenTask(target, true);
}

bool CAppContext::CopySourceTaskData(const std::string& sourceTaskFile, const CTaskInfo& target, bool withTimetables)
{
    const std::string folder = GetFolderOfPath(sourceTaskFile);
    if (folder.empty())
        return true;
    CTaskInfo source;
    source.SetTaskFolder(folder);
    std::string error;
    bool copied = zem::CopyFile(source.GetInputFilePath(), target.GetInputFilePath(), &error);
    if (copied && withTimetables)
        copied = zem::CopyFile(source.GetOutputFilePath(), target.GetOutputFilePath(), &error);
    if (!copied)
        zem::ShowMessage("无法从现有排课任务中导入数据：\n" + error, "提示", zem::MessageIcon::Warning);
    return copied;
}

bool CAppContext::CreateNewTask(bool hideTakeOption, bool staged)
{
    auto scratch = std::make_unique<CScheduleTask>();
    CTaskInfo& info = scratch->GetTaskInfo();
    info.SetTaskAuthor(GetWindowsUserName());
    info.SetCreateDate(GetNowString());
    info.SetTaskFolder(GetDefaultTaskFolder());
    m_dataCopiedOnCreate = false;

    CNewTaskDlg dialog(m_mainDlg, &info, hideTakeOption);
    if (dialog.DoModal() != zem::IDOK)
        return false;
    if (staged && !StageNewTask(info))
        return false;

    const std::string path = info.GetTaskFile();
    SetLastPage(1);
    if (!info.WriteToFile())
        return DiscardStagedTask();
    if (dialog.m_nTakeFromExisting && dialog.m_nTakeBasicData) {
        m_dataCopiedOnCreate = true;
        if (!CopySourceTaskData(dialog.m_strSourceTaskFile, info, dialog.m_nTakeTimetables != 0))
            m_dataCopiedOnCreate = false;
    }
    if (!zem::FileExists(info.GetInputFilePath()) &&
        !SaveSayingWhy([&scratch] { return scratch->SaveInputData(); }, "新建排课任务失败：", kCheckTaskFolderReason))
        return DiscardStagedTask();
    scratch.reset();
    if (staged && TaskFolder::IsKilledAt("new task: made"))
        return false;
    return OpenTask(path, true) || DiscardStagedTask();
}

// The new task's files go into a staging folder beside the folder the dialog chose.
bool CAppContext::StageNewTask(CTaskInfo& info)
{
    auto staged = std::make_unique<StagedTask>();
    std::string error;
    if (!staged->Begin(info.GetTaskFolder(), error)) {
        zem::ShowMessage("无法新建排课任务：\n" + error, "提示", zem::MessageIcon::Error);
        return false;
    }
    info.SetTaskFolder(staged->Folder());
    const std::string file = info.GetTaskFile();
    m_stagedTaskFile = file.substr(file.rfind('/') + 1);
    m_staged = std::move(staged);
    return true;
}

bool CAppContext::DiscardStagedTask()
{
    if (m_staged) {
        if (m_task && m_task->GetTaskInfo().GetTaskFolder() == m_staged->Folder())
            CloseTask();
        m_staged->Discard();
        m_staged.reset();
    }
    return false;
}

bool CAppContext::PutNewTaskInPlace(bool withTimetables)
{
    if (!m_staged || !m_staged->IsActive())
        return true;
    const std::string taskFile = m_staged->Target() + m_stagedTaskFile;
    // Its lock goes with it: the task reopens from its place.
    if (m_task && m_task->GetTaskInfo().GetTaskFolder() == m_staged->Folder())
        CloseTask();
    std::string error;
    if (!m_staged->PutInPlace(withTimetables, error)) {
        if (!error.empty()) {
            zem::ShowMessage("新的排课任务没有保存：\n" + error, "提示", zem::MessageIcon::Error);
            m_staged.reset();
        }
        return false;
    }
    m_staged.reset();
    return OpenTask(taskFile, true);
}

void CAppContext::CleanStagedTasks()
{
    // New tasks are made in the folder the new-task dialog offers first.
    std::vector<std::string> parents{GetMyDocumentsFolder() + "我的排课任务"};
    // A folder written on Windows is foreign: never handed to the file system.
    if (Exists() && !Get()->GetLastTaskFolder().empty() && !zem::IsWindowsPath(Get()->GetLastTaskFolder()))
        parents.push_back(Get()->GetLastTaskFolder());
    for (const std::string& parent : parents)
        if (zem::RealFolderExists(parent))
            TaskFolder::CleanStaging(parent);
}

// ---- Launchers ----

bool CAppContext::RequireTask() const
{
    if (HasTask())
        return true;
    zem::ShowMessage("没有正在使用的排课任务", "提示", zem::MessageIcon::Information);
    return false;
}

void CAppContext::Launch(Feature feature, bool needsTask) const
{
    if (needsTask && !RequireTask())
        return;
    if (!FeatureWindows().Run(feature))
        zem::ShowMessage(kFeatureMissingText, "提示", zem::MessageIcon::Information);
}

std::string CAppContext::ShowCompletionDialog(QWidget* parent, const CLessonCounter& counter) const
{
    CScheduleCompletionDlg dialog(parent);
    dialog.SetLessonCounter(&counter);
    return dialog.DoModal() == zem::IDOK ? dialog.GetSelectedClassId() : std::string();
}

void CAppContext::ShowSettingsDialog() const
{
    Launch(Feature::Settings, false);
}

void CAppContext::ShowTaskInfoDialog() const
{
    if (HasTask())
        Launch(Feature::TaskInfo, false);
}

void CAppContext::ShowBackupDialog() const
{
    Launch(Feature::Backup, true);
}

void CAppContext::ShowDataStatisticsDialog() const
{
    Launch(Feature::DataStatistics, true);
}

void CAppContext::ShowTeacherStatisticDialog() const
{
    Launch(Feature::TeacherStatistic, true);
}

void CAppContext::ShowExportAllDialog() const
{
    Launch(Feature::ExportAll, true);
}

void CAppContext::ShowTeacherTimeQueryDialog() const
{
    Launch(Feature::TeacherTimeQuery, true);
}

void CAppContext::ShowRestoreDialog() const
{
    Launch(Feature::Restore, true);
}

void CAppContext::ShowClearTimetableDialog() const
{
    Launch(Feature::ClearTimetable, true);
}

void CAppContext::ShowReverseImportDialog() const
{
    Launch(Feature::ReverseImport, false);
}

void CAppContext::ShowTableMoveDialog() const
{
    Launch(Feature::TableMove, true);
}

void CAppContext::ShowProctorDialog() const
{
    Launch(Feature::Proctor, true);
}
