#include "app/timetable/TimetableWindowSave.h"

#include "app/shared/AdjustmentHistory.h"
#include "app/shared/AppServices.h"
#include "app/shared/SaveFailure.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ChangeCheck.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"

#include <memory>
#include <vector>

bool SaveTimetablesSayingWhatTheyBreak(CScheduleTask& task, const std::function<bool()>& save,
                                       const std::string& failedText, const std::string& reason)
{
    // The window's changes since the last save, in the working timetables: the committed ones are
    // the state before them.
    const CChangeCheck check(task, false);
    const ChangeFindings findings = check.FindingsInWorkingTables();
    if (!SaveSayingWhy(save, failedText, reason))
        return false;
    // The windows let a move break what their own checks do not ask (a day's maximum with strict
    // spreading, a plan placed past its weekly count); the save keeps it and says each.
    if (!findings.IsClean())
        zem::ShowMessage(kTimetablesSavedWithFindings + findings.SaidEvery(), "提示",
                         zem::MessageIcon::Warning);
    return true;
}

bool SaveTimetablesAndLog(CScheduleTask* task, const std::string& failedText, const std::string& historyTitle,
                          const std::vector<std::string>& changedIds)
{
    if (!task)
        return false;
    // What the data library says of a failed write becomes the reason of the window's one message.
    if (!SaveTimetablesSayingWhatTheyBreak(
            *task, [task] { return CTaskHelper(task, AppHelperContext()).SaveTempTables(); }, failedText,
            "无法写入课表文件 " + task->GetTaskInfo().GetOutputFilePath()))
        return false;
    if (!changedIds.empty()) {
        CAdjustmentEntryList entries;
        entries.push_back(std::make_unique<CAdjustmentEntry>(CAdjustmentEntry{historyTitle, changedIds}));
        SaveAdjustmentHistory(entries);
    }
    return true;
}

bool AskSaveBeforeClosing(CScheduleTask* task, const std::function<bool()>& save)
{
    zem::MessageRequest question;
    question.text = kSaveBeforeClosingQuestion;
    question.icon = zem::MessageIcon::Question;
    question.buttons = zem::MessageButtons::YesNoCancel;
    switch (zem::ShowMessage(question)) {
    case zem::IDCANCEL:
        return false;
    case zem::IDYES:
        return save();
    default:
        // The tables go back to what the files hold.
        CTaskHelper(task, AppHelperContext()).RestoreTempTables();
        return true;
    }
}
