#include "app/shell/ScheduleWindows.h"

#include "app/shell/AppContext.h"
#include "app/shell/AutoScheduleDlg.h"
#include "app/shell/AutoScheduleReportDlg.h"
#include "app/shell/AutoScheduleStartDlg.h"
#include "app/shell/FeatureWindows.h"
#include "app/shell/MainDlg.h"
#include "app/shell/PartialRescheduleDlg.h"
#include "base/Log.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"

namespace {

QWidget* Owner()
{
    return CAppContext::Exists() ? CAppContext::Get()->GetMainDlg() : nullptr;
}

// The task as its files hold it: the stopped run's tables and report are gone, the backup made
// before the run stays.
void ReopenTask()
{
    CAppContext* context = CAppContext::Get();
    CScheduleTask* task = context->GetTask();
    if (!task)
        return;
    const std::string taskFile = task->GetTaskInfo().GetTaskFile();
    if (context->OpenTask(taskFile, false))
        return;
    // The task could not be read back (its own messages said why): close it rather than keep a
    // half-made timetable that a later save would write out.
    CLog::inst()->Log("schedule", "task not reopened after a stopped run: %s", taskFile.c_str());
    context->CloseTask();
    context->UpdateCaption();
    zem::ShowMessage("自动排课已取消，但无法重新打开排课任务，任务已关闭。\n" + taskFile, "提示",
                     zem::MessageIcon::Warning);
}

}  // namespace

bool RunAutoScheduleStart()
{
    CAutoScheduleStartDlg dialog(Owner());
    return dialog.DoModal() == zem::IDOK;
}

int RunAutoSchedule(CAutoRange& range)
{
    if (!CAppContext::Exists() || !CAppContext::Get()->GetTask())
        return 0;
    bool started = false;
    int finish = 0;
    std::string refusal;
    {
        CAutoScheduleDlg dialog(Owner());
        dialog.SetRange(&range);
        finish = dialog.RunModal();
        started = dialog.IsEngineStarted();
        if (const CoreRunStats* stats = dialog.GetRunStats())
            refusal = stats->refusal;
    }
    // A refused result was not saved: as after a stop, the task is what its files hold; the user
    // learns what the result would have broken, and no report of it follows.
    if (finish == kRunRefused) {
        ReopenTask();
        zem::ShowMessage(refusal, "自动排课", zem::MessageIcon::Warning);
        return 0;
    }
    if (finish == 0 && started)
        ReopenTask();
    return finish;
}

bool RunPartialReschedule(CAutoRange& range)
{
    CPartialRescheduleDlg dialog(Owner());
    dialog.SetRange(&range);
    return dialog.DoModal() == zem::IDOK;
}

bool RunScheduleReport(const std::string& report, int mode)
{
    CAutoScheduleReportDlg dialog(Owner());
    dialog.m_report = report;
    dialog.m_mode = mode;
    dialog.m_canViewTables = static_cast<bool>(FeatureWindows().weekTimetable);
    return dialog.DoModal() == zem::IDOK;
}

void RegisterScheduleWindows()
{
    CFeatureWindows& windows = FeatureWindows();
    windows.autoScheduleStart = RunAutoScheduleStart;
    windows.autoScheduleRun = RunAutoSchedule;
    windows.partialReschedule = RunPartialReschedule;
    windows.scheduleReport = RunScheduleReport;
}
