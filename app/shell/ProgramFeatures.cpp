#include "app/shell/ProgramFeatures.h"

#include "app/data/AssistantListPage.h"
#include "app/data/CombineClassListPage.h"
#include "app/data/CoursePresetPage.h"
#include "app/data/DataStatisticsDlg.h"
#include "app/data/FixedTimePages.h"
#include "app/data/MutexPages.h"
#include "app/data/OETeamPage.h"
#include "app/data/ObjectListPages.h"
#include "app/data/PlanListPage.h"
#include "app/data/ScheduleRulesDlg.h"
#include "app/data/SelfStudyListPage.h"
#include "app/data/SplitPlanDlg.h"
#include "app/data/TeacherGroupListPage.h"
#include "app/data/TeachingTimeDlg.h"
#include "app/output/EngineCheckDlg.h"
#include "app/output/ExportAllDlg.h"
#include "app/output/PrintSheet.h"
#include "app/output/import/ReverseImportDlg.h"
#include "app/proctor/ProctorDlg.h"
#include "app/shell/AppContext.h"
#include "app/shell/BackupDlg.h"
#include "app/shell/BackupRestoreDlg.h"
#include "app/shell/ClearTimetableDlg.h"
#include "app/shell/FeatureWindows.h"
#include "app/shell/MainDlg.h"
#include "app/shell/ScheduleWindows.h"
#include "app/shell/SystemSettingsDlg.h"
#include "app/shell/TaskInfoDlg.h"
#include "app/timetable/AdjustTeacherWizard.h"
#include "app/timetable/AdjustRoomWizard.h"
#include "app/timetable/MultiTableDlg.h"
#include "app/timetable/SwapTeacherWizard.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "app/timetable/PlanAdjustHubDlg.h"
#include "app/timetable/SchoolTimetableDlg.h"
#include "app/timetable/TableMoveDlg.h"
#include "app/timetable/TeacherStatisticDlg.h"
#include "app/timetable/TeacherTimeQueryDlg.h"
#include "app/timetable/TempAdjustDlg.h"
#include "app/timetable/WeekTimetableDlg.h"

#include <memory>

namespace {

QWidget* MainWindow()
{
    return CAppContext::Exists() ? CAppContext::Get()->GetMainDlg() : nullptr;
}

// A dialog or list page made over the main window and run modally.
template <class T>
void RunModal()
{
    T dialog(MainWindow());
    dialog.DoModal();
}

void RunWeekTimetable(int kind, const std::string& objectId)
{
    CWeekTimetableDlg dialog(MainWindow());
    dialog.SetInitialObject(kind, objectId);
    dialog.DoModal();
}

// The windows a feature opens that need more than running modally.
void RegisterOwnWindows(CFeatureWindows& windows)
{
    windows.windows[Feature::ExportSettings] = [] { ShowExportSettings(); };
    // The ticked rows are remembered for the next opening, whatever the run did.
    windows.windows[Feature::ExportAll] = [] {
        CAppContext* context = CAppContext::Get();
        CExportAllDlg dialog(MainWindow());
        dialog.SetExportRange(context->GetExportRange());
        dialog.SetSchoolLayout(context->GetSchoolTableLayout());
        dialog.DoModal();
        context->SetExportRange(dialog.GetExportRange());
    };
    // The proctoring page opens without a parent, over the whole work area.
    windows.windows[Feature::Proctor] = [] {
        auto page = std::make_unique<CProctorDlg>();
        page->DoModal();
    };
    windows.windows[Feature::ReverseImport] = [] {
        CReverseImportHost host;
        host.createTask = [] { return CAppContext::Get()->CreateNewTask(false, true); };
        host.finishTask = [](bool imported) { return CAppContext::Get()->PutNewTaskInPlace(imported); };
        host.editTeachingTime = RunModal<CTeachingTimeDlg>;
        RunReverseImport(MainWindow(), host);
    };
    // A saved temporary task is offered again in the page panel's menu.
    windows.tempAdjust = [](CScheduleTask& task, bool isNew, const std::string& teacherId) {
        CTempAdjustDlg dialog(MainWindow(), &task, isNew, teacherId);
        dialog.DoModal();
        if (!dialog.IsSaved() || !CAppContext::Exists())
            return false;
        CRecentList& temps = CAppContext::Get()->GetRecentTempTasks();
        if (!temps.Add(task.GetTaskInfo().GetTaskName()))
            zem::ShowMessage(zem::Format("无法写入排课任务文件 %s", temps.GetFile().c_str()), "提示",
                             zem::MessageIcon::Error);
        return true;
    };
    windows.planAdjustHub = [] {
        CPlanAdjustHubDlg hub(MainWindow());
        return hub.DoModal() == zem::IDOK ? hub.GetResult() : -1;
    };
    // The hub's four plan adjustment tools (0-3).
    windows.planAdjustTool = [](int tool) {
        if (tool == CPlanAdjustHubDlg::ToolAdjustTeacher)
            RunModal<CAdjustTeacherWizard>();
        else if (tool == CPlanAdjustHubDlg::ToolAdjustRoom)
            RunModal<CAdjustRoomWizard>();
        else if (tool == CPlanAdjustHubDlg::ToolSwapTeacher)
            RunModal<CSwapTeacherWizard>();
        else if (tool == CPlanAdjustHubDlg::ToolSplitPlan)
            RunModal<CSplitPlanDlg>();
    };
}

}  // namespace

void RegisterProgramFeatures()
{
    CFeatureWindows& windows = FeatureWindows();
    RegisterScheduleWindows();
    windows.weekTimetable = RunWeekTimetable;
    // The features whose window just runs modally.
    const std::pair<Feature, void (*)()> modal[] = {
        {Feature::TeachingTime, RunModal<CTeachingTimeDlg>},
        {Feature::DataStatistics, RunModal<CDataStatisticsDlg>},
        {Feature::ClassList, RunModal<CClassListPage>},
        {Feature::SubjectList, RunModal<CSubjectListPage>},
        {Feature::TeacherList, RunModal<CTeacherListPage>},
        {Feature::RoomList, RunModal<CRoomListPage>},
        {Feature::TeacherGroupList, RunModal<CTeacherGroupListPage>},
        {Feature::PlanList, RunModal<CPlanListPage>},
        {Feature::SelfStudyList, RunModal<CSelfStudyListPage>},
        {Feature::AssistantList, RunModal<CAssistantListPage>},
        {Feature::ScheduleRules, RunModal<CScheduleRulesDlg>},
        {Feature::ClassFixedTime, RunModal<CClassFixedTimePage>},
        {Feature::SubjectFixedTime, RunModal<CSubjectFixedTimePage>},
        {Feature::TeacherFixedTime, RunModal<CTeacherFixedTimePage>},
        {Feature::TeacherGroupFixedTime, RunModal<CTeacherGroupFixedTimePage>},
        {Feature::PlanFixedTime, RunModal<CPlanFixedTimePage>},
        {Feature::OETeam, RunModal<COETeamPage>},
        {Feature::MutexTeacher, RunModal<CMutexTeacherPage>},
        {Feature::MutexSubject, RunModal<CMutexSubjectPage>},
        {Feature::PresetList, RunModal<CCoursePresetPage>},
        {Feature::CombineClassList, RunModal<CCombineClassListPage>},
        {Feature::Settings, RunModal<CSystemSettingsDlg>},
        {Feature::TaskInfo, RunModal<CTaskInfoDlg>},
        {Feature::Backup, RunModal<CBackupDlg>},
        {Feature::Restore, RunModal<CBackupRestoreDlg>},
        {Feature::ClearTimetable, RunModal<CClearTimetableDlg>},
        {Feature::EngineCheck, RunModal<CEngineCheckDlg>},
        {Feature::TeacherStatistic, RunModal<CTeacherStatisticDlg>},
        {Feature::TeacherTimeQuery, RunModal<CTeacherTimeQueryDlg>},
        {Feature::TableMove, RunModal<CTableMoveDlg>},
        {Feature::SchoolTimetable, RunModal<CSchoolTimetableDlg>},
        {Feature::MultiTable, RunModal<CMultiTableDlg>},
    };
    for (const auto& [feature, run] : modal)
        windows.windows[feature] = run;
    RegisterOwnWindows(windows);
}
