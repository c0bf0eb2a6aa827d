#include "app/timetable/AdjustTeacherWizard.h"

#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/TeacherConflictDlg.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>

CAdjustTeacherWizard::CAdjustTeacherWizard(QWidget* parent) : CAdjustWizardBase(parent)
{
    SetCaptions(kTitle, kStep1, kStep2);
}

CTeacherInfo* CAdjustTeacherWizard::NewTeacher() const { return dynamic_cast<CTeacherInfo*>(m_target); }

void CAdjustTeacherWizard::ShowIntro() { SetStatusText("课表已排好，却要换老师，不用着急，我来帮忙", false); }

void CAdjustTeacherWizard::ChoosePlans() { PickPlans(); }

void CAdjustTeacherWizard::ChooseTarget()
{
    CTeacherInfo* teacher = PickTeacher();
    if (!teacher)
        return;
    m_target = teacher;
    SetDlgItemText(IDC_STEP2, zem::Format("新的任课老师：%s", teacher->GetName().c_str()));
    ShowTargetTable(&teacher->GetTable(true), TABLE_TEACHER);
    RefreshStatus();
}

void CAdjustTeacherWizard::RefreshStatus()
{
    if (m_plans.empty() || !NewTeacher())
        return;
    CountConflicts(TABLE_TEACHER, "同一个老师调整没有意义", "没有冲突，可以调整");
}

void CAdjustTeacherWizard::SolveConflicts()
{
    CTeacherInfo* teacher = NewTeacher();
    if (m_plans.empty() || !teacher)
        return;
    CTeacherConflictDlg dialog(this);
    dialog.SetWindowTitle(zem::Format("教师时间冲突 - 将 %s 的任课教师修改为 %s", PlansText().c_str(),
                                      teacher->GetName().c_str()));
    dialog.AddConflicts(m_plans, teacher, TABLE_TEACHER);
    if (dialog.DoModal() != zem::IDOK)
        return;
    ShowPlans();
    ShowTargetTable(&teacher->GetTable(true), TABLE_TEACHER);
    RefreshStatus();
    SetChangedTables(dialog.GetResultIds());
}

// The combined-class partners not chosen that take the new teacher with a chosen plan, each on a
// line of its own, so that the question names every plan that changes.
std::string CAdjustTeacherWizard::PartnersText(const CTeacherInfo* teacher) const
{
    CScheduleTask* task = Task();
    CTaskHelper helper(task, AppHelperContext());
    std::vector<const CCourseInfo*> named;
    std::string text;
    for (const CCourseInfo* plan : m_plans)
        for (const CCourseInfo* partner : helper.PartnersTakingTeacher(plan, plan->GetTeacherId(), true)) {
            if (partner->GetTeacherId() == teacher->GetId() ||
                std::find(m_plans.begin(), m_plans.end(), partner) != m_plans.end() ||
                std::find(named.begin(), named.end(), partner) != named.end())
                continue;
            named.push_back(partner);
            text += zem::Format("\n合班的 %s 也一并调整", task->GetCourseDesc(partner).c_str());
        }
    return text;
}

void CAdjustTeacherWizard::Execute()
{
    CScheduleTask* task = Task();
    CTeacherInfo* teacher = NewTeacher();
    if (!task)
        return;
    if (m_plans.empty() || !teacher) {
        zem::ShowMessage("请选择要调整的教学计划和新的任课教师");
        return;
    }
    if (!MayExecute())
        return;
    if (!Confirm(zem::Format("确定要将 %s 的任课教师\n调整为 %s 老师吗", PlansText().c_str(), teacher->GetName().c_str()) +
                 PartnersText(teacher)))
        return;
    if (!BackUpTask())
        return;

    CTaskHelper helper(task, AppHelperContext());
    helper.RestoreTempTables();
    for (CCourseInfo* plan : m_plans) {
        // A combined-class partner changed with an earlier plan has the teacher by now: its lessons
        // are the shared ones and moved already.
        if (plan->GetTeacherId() == teacher->GetId())
            continue;
        const std::string description = task->GetCourseDesc(plan);
        CTeacherInfo* oldTeacher = task->GetTeacher(plan->GetTeacherId());
        // The partners' teachers give up the class's lessons too, so their tables changed.
        std::vector<std::string> partnerTeachers;
        for (const CCourseInfo* partner : helper.PartnersTakingTeacher(plan, plan->GetTeacherId(), true))
            if (task->GetTeacher(partner->GetTeacherId()))
                StringArrayAddUnique(partnerTeachers, partner->GetTeacherId());
        plan->SetTeacher(teacher->GetId());
        helper.ChangeTeacher(plan, oldTeacher, teacher);

        auto entry = std::make_unique<CAdjustmentEntry>();
        entry->title = zem::Format("%s 调整任课教师 %s %s -> %s", GetNowString().c_str(), description.c_str(),
                                   oldTeacher ? oldTeacher->GetName().c_str() : kNoTeacher,
                                   teacher->GetName().c_str());
        CollectCombinedClassIds(entry->ids, plan, task);
        if (oldTeacher)
            StringArrayAddUnique(entry->ids, oldTeacher->GetId());
        for (const std::string& id : partnerTeachers)
            StringArrayAddUnique(entry->ids, id);
        StringArrayAddUnique(entry->ids, teacher->GetId());
        AddHistoryEntry(std::move(entry));
    }
    if (!CommitAndSave())
        return;
    m_plansChosen = false;
    ShowPlans();
    ShowTargetTable(&teacher->GetTable(true), TABLE_TEACHER);
}
