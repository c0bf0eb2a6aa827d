#include "app/timetable/SwapTeacherWizard.h"

#include "app/controls/DialogLook.h"
#include "app/controls/WeekTableCells.h"
#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/TeacherConflictDlg.h"
#include "base/ScheduleTask.h"
#include "base/Utility.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/ItemList.h"

#include <algorithm>
#include <cstdint>

using zem::gui::ItemList;

namespace {

// Moves one plan from teacher `from` to `to`: its main teacher when that is `from`, else `from`'s
// place among its assistants; the placed lessons follow. False when the plan has no place of `from`.
bool MovePlan(CScheduleTask& task, CTaskHelper& helper, CCourseInfo* plan, CTeacherInfo* from, CTeacherInfo* to)
{
    if (!plan || !from || !to || from == to)
        return false;
    if (plan->GetTeacherId() == from->GetId()) {
        plan->SetTeacher(to->GetId());
        // Only the teacher's own plans change hands: a combined-class partner of another teacher
        // stays that teacher's.
        helper.ChangeTeacher(plan, from, to, false);
        return true;
    }
    CCourseAssistant* assistant = task.GetAssistant(plan->GetId());
    if (!assistant)
        return false;
    std::vector<std::string> assistants = assistant->GetAssistants();
    auto place = std::find(assistants.begin(), assistants.end(), from->GetId());
    if (place == assistants.end())
        return false;
    *place = to->GetId();
    helper.ApplyAssistantChange(plan->GetId(), assistants);
    assistant->GetAssistants() = assistants;
    return true;
}

}  // namespace

CSwapTeacherWizard::CSwapTeacherWizard(QWidget* parent) : CAdjustWizardBase(parent)
{
    SetCaptions(kTitle, kStep1, kStep2);
}

void CSwapTeacherWizard::ShowIntro()
{
    const auto [leftBand, rightBand] = LowerPreviews(kListHeight);
    const int ids[2] = {IDC_PLANS_A, IDC_PLANS_B};
    const zem::Rect bands[2] = {leftBand, rightBand};
    for (int side = 0; side < 2; ++side) {
        auto* list = new ItemList(this, ItemList::Mode::List);
        list->SetCheckBoxes(true);
        list->setFlow(QListView::TopToBottom);
        list->setWrapping(true);
        list->setResizeMode(QListView::Adjust);
        zem::Rect rect = bands[side];
        rect.bottom -= 4;
        SetWidgetRect(list, rect);
        AddControl(ids[side], list);
        list->onCheckChanged = [this, side](int, bool) {
            TakeTicked(side);
            RefreshStatus();
        };
        m_lists[side] = list;
    }
    SetStatusText("课表已排好，却要换老师，不用着急，我来帮忙", false);
    SetDlgItemText(zem::IDOK, "执行交换");
}

void CSwapTeacherWizard::ChoosePlans() { ChooseTeacher(0); }

void CSwapTeacherWizard::ChooseTarget() { ChooseTeacher(1); }

void CSwapTeacherWizard::ChooseTeacher(int side)
{
    CTeacherInfo* teacher = PickTeacher();
    if (!teacher)
        return;
    m_teachers[side] = teacher;
    SetDlgItemText(side == 0 ? IDC_STEP1 : IDC_STEP2, teacher->GetName());
    FillList(side);
    ShowObjectTable(side == 0 ? GetLeftTable() : GetRightTable(), &teacher->GetTable(true), TABLE_TEACHER);
    RefreshStatus();
}

void CSwapTeacherWizard::FillList(int side)
{
    ItemList* list = m_lists[side];
    list->DeleteAllItems();
    if (CTeacherInfo* teacher = m_teachers[side]) {
        CTaskHelper helper(Task(), AppHelperContext());
        std::vector<CCourseInfo*> plans;
        helper.GetAllCourses(&plans);
        for (CCourseInfo* plan : plans) {
            // The plans the teacher teaches or assists; a combined-class partner of another
            // teacher is not the teacher's to hand over.
            std::vector<std::string> teachers;
            Task()->GetAllTeacherId(teachers, plan, false);
            if (!IsStringInArray(teachers, teacher->GetId()))
                continue;
            const int row = list->InsertItem(list->GetItemCount(), helper.GetCourseText(plan, true), -1,
                                             reinterpret_cast<std::uintptr_t>(plan));
            list->SetCheck(row, true);
        }
    }
    TakeTicked(side);
}

void CSwapTeacherWizard::TakeTicked(int side)
{
    ItemList* list = m_lists[side];
    m_ticked[side].clear();
    for (int row = 0; row < list->GetItemCount(); ++row)
        if (list->GetCheck(row))
            m_ticked[side].push_back(list->GetItemPtr<CCourseInfo>(row)->GetId());
}

void CSwapTeacherWizard::ShowTables()
{
    ShowObjectTable(GetLeftTable(), m_teachers[0] ? &m_teachers[0]->GetTable(true) : nullptr, TABLE_TEACHER);
    ShowObjectTable(GetRightTable(), m_teachers[1] ? &m_teachers[1]->GetTable(true) : nullptr, TABLE_TEACHER);
}

std::string CSwapTeacherWizard::PairText(const char* format) const
{
    // The counts are of what moves: a ticked plan of a combined class takes its partners along.
    CTaskHelper helper(Task(), AppHelperContext());
    auto moved = [&](int side) {
        return static_cast<int>(helper.PlansMovedWithTeacher(m_ticked[side], m_teachers[side]->GetId()).size());
    };
    return zem::Format(format, m_teachers[0]->GetName().c_str(), moved(0), m_teachers[1]->GetName().c_str(),
                       moved(1));
}

// The combined-class partners of the ticked plans that other teachers teach: they stay where they
// are, and the question says so, a line each.
std::string CSwapTeacherWizard::StayingPartnersText() const
{
    CTaskHelper helper(Task(), AppHelperContext());
    std::vector<std::string> moved = helper.PlansMovedWithTeacher(m_ticked[0], m_teachers[0]->GetId());
    for (const std::string& id : helper.PlansMovedWithTeacher(m_ticked[1], m_teachers[1]->GetId()))
        AddUniqueString(moved, id);
    std::vector<std::string> named;
    std::string text;
    for (const std::string& id : moved)
        for (const CCourseInfo* partner : helper.PartnersTakingTeacher(Task()->FindCourse(id), {}, true)) {
            if (IsStringInArray(moved, partner->GetId()) || IsStringInArray(named, partner->GetId()))
                continue;
            named.push_back(partner->GetId());
            text += zem::Format("\n合班的 %s 不随之交换，仍由原任课教师任教", Task()->GetCourseDesc(partner).c_str());
        }
    return text;
}

void CSwapTeacherWizard::RefreshStatus()
{
    if (!m_teachers[0] || !m_teachers[1])
        return;
    EnableItem(IDC_SOLVE, false);
    EnableItem(zem::IDOK, false);
    m_conflictCount = 0;
    if (m_teachers[0] == m_teachers[1]) {
        SetStatusText("同一个老师交换没有意义", false);
        return;
    }
    CTaskHelper helper(Task(), AppHelperContext());
    CWeekTableCells left(GetLeftTable());
    CWeekTableCells right(GetRightTable());
    std::vector<std::string> classes;
    m_conflictCount =
        helper.FillSubstituteTables(m_teachers[0], m_ticked[0], &left, m_teachers[1], m_ticked[1], &right, &classes);
    if (m_ticked[0].empty() && m_ticked[1].empty())
        SetStatusText("没有勾选要交换的教学计划", false);
    else
        ShowConflictCount(m_conflictCount, "没有冲突，可以交换");
}

void CSwapTeacherWizard::SolveConflicts()
{
    if (!m_teachers[0] || !m_teachers[1])
        return;
    if (m_ticked[0].empty() && m_ticked[1].empty()) {
        zem::ShowMessage("请勾选要交换的教学计划");
        return;
    }
    CTeacherConflictDlg dialog(this);
    dialog.SetWindowTitle(PairText("教师时间冲突 - 交换 %s的%d门课 和 %s的%d门课"));
    dialog.SetObjectPair(m_teachers[0], m_ticked[0], m_teachers[1], m_ticked[1]);
    if (dialog.DoModal() != zem::IDOK)
        return;
    ShowTables();
    RefreshStatus();
    SetChangedTables(dialog.GetResultIds());
}

void CSwapTeacherWizard::Execute()
{
    CScheduleTask* task = Task();
    if (!task)
        return;
    CTeacherInfo* a = m_teachers[0];
    CTeacherInfo* b = m_teachers[1];
    if (!a || !b) {
        zem::ShowMessage("请选择要交换的任课教师");
        return;
    }
    if (m_ticked[0].empty() || m_ticked[1].empty()) {
        zem::ShowMessage("请勾选要交换的教学计划");
        return;
    }
    if (!MayExecute())
        return;
    if (!Confirm(PairText("确定要将 %s的%d门课和 %s的%d门课 交换吗") + StayingPartnersText()) || !BackUpTask())
        return;

    CTaskHelper helper(task, AppHelperContext());
    helper.RestoreTempTables();
    // Through a teacher of no task, so that no plan goes to a teacher who still holds the other
    // side's lessons. It is gone again before anything is saved: nothing may keep its id.
    CTeacherInfo between;
    between.SetId("{swap-" + a->GetId() + "-" + b->GetId() + "}");
    auto plansOf = [&](const std::vector<std::string>& ids) {
        std::vector<CCourseInfo*> plans;
        for (const std::string& id : ids)
            if (CCourseInfo* plan = task->FindCourse(id))
                plans.push_back(plan);
        return plans;
    };
    for (CCourseInfo* plan : plansOf(m_ticked[0]))
        MovePlan(*task, helper, plan, a, &between);
    for (CCourseInfo* plan : plansOf(m_ticked[1]))
        MovePlan(*task, helper, plan, b, a);
    // Every plan that reached the go-between, a combined-class partner that came along included.
    std::vector<CCourseInfo*> all;
    helper.GetAllCourses(&all);
    for (CCourseInfo* plan : all)
        while (MovePlan(*task, helper, plan, &between, b)) {
        }

    auto entry = std::make_unique<CAdjustmentEntry>();
    entry->title = zem::Format("%s ", GetNowString().c_str()) + PairText("交换任课教师 %s的%d门课 和 %s的%d门课");
    for (int side = 0; side < 2; ++side)
        for (CCourseInfo* plan : plansOf(m_ticked[side]))
            CollectCombinedClassIds(entry->ids, plan, task);
    StringArrayAddUnique(entry->ids, a->GetId());
    StringArrayAddUnique(entry->ids, b->GetId());
    AddHistoryEntry(std::move(entry));

    CommitAndSave();
    FillList(0);
    FillList(1);
    ShowTables();
}
