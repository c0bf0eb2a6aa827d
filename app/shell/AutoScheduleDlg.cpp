#include "app/shell/AutoScheduleDlg.h"

#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/shell/AppContext.h"
#include "app/taskhelper/TaskHelperCallback.h"
#include "base/Log.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/gui/QtText.h"

#include <QCoreApplication>

#include <map>

namespace {

std::optional<CoreRunOptions>& TestRunOptions()
{
    static std::optional<CoreRunOptions> options;
    return options;
}

// The time of each task's first run since the program started, in seconds, by task file; set
// once. A task opened later in the session gets its own backup before its first run.
std::map<std::string, std::int64_t>& FirstRunTimes()
{
    static std::map<std::string, std::int64_t> times;
    return times;
}

constexpr std::int64_t kBackupAgainAfter = 3 * 3600;

void AddName(std::vector<std::string>& words, const std::string& name)
{
    if (!name.empty())
        StringArrayAddUnique(words, name);
}

}  // namespace

CAutoScheduleDlg::CAutoScheduleDlg(QWidget* parent) : CRunWindowDlg(parent, "自动排课") {}

CAutoScheduleDlg::~CAutoScheduleDlg()
{
    KillTimers();
    StopWorker();
}

void CAutoScheduleDlg::SetRunOptionsForTesting(std::optional<CoreRunOptions> options)
{
    TestRunOptions() = std::move(options);
}

void CAutoScheduleDlg::ResetFirstRunTimeForTesting()
{
    FirstRunTimes().clear();
}

std::vector<std::string> CAutoScheduleDlg::CollectWords(const CScheduleTask& task, const CAutoRange* range)
{
    std::vector<std::string> words;
    if (range && range->GetClassCount() > 0) {
        std::vector<CCourseInfo*> plans;
        task.GetFullCourseList(plans);
        for (const CCourseInfo* plan : plans) {
            if (!range->IsCourseIn(plan))
                continue;
            AddName(words, task.GetSubjectName(plan->GetSubjectId()));
            AddName(words, task.GetTeacherName(plan->GetTeacherId()));
        }
    }
    if (!words.empty())
        return words;
    std::vector<CZemObject*> objects;
    MapToOrderedList(task.GetSubjectInfoList(), objects);
    for (const CZemObject* subject : objects)
        words.push_back(subject->GetName());
    MapToOrderedList(task.GetTeacherInfoList(), objects);
    for (const CZemObject* teacher : objects)
        words.push_back(teacher->GetName());
    return words;
}

void CAutoScheduleDlg::BackUpIfDue(CScheduleTask& task)
{
    const std::int64_t now = zem::ToEpochSeconds(zem::Now());
    const std::int64_t first = FirstRunTimes().try_emplace(task.GetTaskInfo().GetTaskFile(), now).first->second;
    const std::int64_t elapsed = now - first;
    if (elapsed >= 2 && elapsed <= kBackupAgainAfter)
        return;
    m_backedUp = task.AutoBackup(true, kBackupReason, false);
    // A task that was never saved has nothing to back up; any other failure the user must know
    // of before the run overwrites the timetables.
    const std::string input = task.GetTaskInfo().GetInputFilePath();
    if (!m_backedUp && !task.GetTaskInfo().GetTaskFolder().empty() && zem::FileExists(input)) {
        CLog::inst()->Log("schedule", "backup before the run failed: %s", input.c_str());
        zem::ShowMessage("自动排课前未能备份排课任务，本次自动排课仍将继续。\n请检查任务文件夹是否可以写入。", "提示",
                         zem::MessageIcon::Warning);
    }
}

bool CAutoScheduleDlg::OnInitDialog()
{
    SetCaption(LoadResString(2) + " - 自动排课");
    CScheduleTask* task = CAppContext::Exists() ? CAppContext::Get()->GetTask() : nullptr;
    if (!task)
        return false;
    BackUpIfDue(*task);

    BuildControls();
    // The status line stays blank until the engine's first text.
    SetStatus("");

    // The names are read before the engine starts: from then on its thread owns the task.
    std::vector<std::string> words = CollectWords(*task, m_range);

    m_core = std::make_unique<CCore>(*task);
    m_core->Init(this);
    m_core->SetRange(m_range);
    m_core->SetCallback(MakeTaskHelperCallback(*task, m_core->GetStopFlag()));
    if (TestRunOptions())
        m_core->SetOptions(*TestRunOptions());
    m_core->Start();
    m_started = true;

    StartAnimation(std::move(words));
    return true;
}

int CAutoScheduleDlg::RunModal()
{
    DoModal();
    // The modal loop also ends when the program quits: the engine must not outlive the task.
    KillTimers();
    StopWorker();
    return GetFinishCode();
}

void CAutoScheduleDlg::OnAnimationStep()
{
    if (m_stopping && !IsEngineRunning() && !IsEnded())
        EndDialog(zem::IDCANCEL);
}

void CAutoScheduleDlg::OnStatusText(const char* text)
{
    if (!m_stopping)
        SetStatus(text);
}

void CAutoScheduleDlg::OnCancel()
{
    if (IsEnded())
        return;
    // A finished run (its result is saved) or an engine already gone: close at once.
    if (GetFinishCode() != 0 || !IsEngineRunning()) {
        EndDialog(zem::IDCANCEL);
        return;
    }
    if (m_stopping)
        return;
    // Never a kill: the engine stops at its next step and the timer closes the dialog then.
    m_stopping = true;
    m_core->RequestStop();
    SetStatus(kStoppingText);
    EnableItem(zem::IDCANCEL, false);
}

void CAutoScheduleDlg::StopWorker()
{
    if (!m_core)
        return;
    if (m_core->IsRunning()) {
        m_core->RequestStop();
        // Paint and serve the engine's messages (a message box it asks for) while it stops, but
        // take no input: the main window must not start anything on a task still in use.
        while (m_core->IsRunning()) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
            zem::gui::WaitWhile([this] { return m_core->IsRunning(); }, 10);
        }
    }
    m_core->Wait();
}
