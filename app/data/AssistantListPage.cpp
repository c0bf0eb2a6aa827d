#include "app/data/AssistantListPage.h"

#include "app/shared/Vocabulary.h"
#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/HoverButton.h"
#include "app/data/BasicDataPage.h"
#include "app/output/import/BaseDataImportDlg.h"
#include "app/output/workbook/CombinedClassWorkbooks.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "app/data/TaskFileSave.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "app/timetable/TeacherConflictDlg.h"
#include "app/shared/SaveFailure.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>

using zem::gui::ReportList;

namespace {

enum Column { kId, kPlan, kAssistants };
constexpr int kPlanWidth = 200;

CScheduleTask* Task()
{
    return AppServices().GetTask();
}

bool Contains(const std::vector<std::string>& ids, const std::string& id)
{
    return std::any_of(ids.begin(), ids.end(), [&](const std::string& each) { return zem::EqualsNoCase(each, id); });
}

// The teachers an imported row's cell names as assistants, each once, the plan's own teacher left
// out; the refusal when it names none, or names strangers beside them, who would be dropped without
// a word and the row said imported.
std::string AssistantIds(CScheduleTask& task, const std::string& cell, const std::string& teacherId,
                         std::vector<std::string>& ids)
{
    std::vector<std::string> separators;
    std::vector<std::string> names;
    SplitNameList(cell, separators, &names, true);
    std::string unknown;
    for (const std::string& name : names) {
        const CZemObject* assistant = FindByImportedName(task.GetTeacherInfoList(), name);
        if (!assistant)
            unknown += (unknown.empty() ? "" : "、") + std::string(zem::Trim(name));
        else if (assistant->GetId() != teacherId && !Contains(ids, assistant->GetId()))
            ids.push_back(assistant->GetId());
    }
    if (ids.empty())
        return zem::Format("在第2页教师信息中没有找到这些助教信息: %s", cell.c_str());
    if (!unknown.empty())
        return zem::Format("在第2页教师信息中没有找到这些助教信息: %s", unknown.c_str());
    return {};
}

}  // namespace

CAssistantListPage::CAssistantListPage(QWidget* parent) : CListBaseDlg(parent)
{
    m_title = "助教";
    m_gradeOrderSort = true;
    SetOption(true);
}

bool CAssistantListPage::OnInitDialog()
{
    if (!CListBaseDlg::OnInitDialog())
        return false;
    InsertButton(AddHoverButton(this, IDC_EXPORT, "导出(&T)"), GetDlgItem(IDC_PRINT), 6);
    return true;
}

void CAssistantListPage::OnCommand(int id)
{
    if (id == IDC_EXPORT) {
        ExportPageWorkbook(this, kAssistantExport, true, "助教信息");
        return;
    }
    CListBaseDlg::OnCommand(id);
}

void CAssistantListPage::Import()
{
    RunBaseDataImport(this, "助教信息", ImportColumns(*this));
}

void CAssistantListPage::InitColumns()
{
    CListBaseDlg::InitColumns();
    ReportList* list = GetList();
    list->InsertColumn(kId, "ID", ReportList::Align::Left, 0);
    list->InsertColumn(kPlan, "教学计划", ReportList::Align::Left, kPlanWidth);
    list->InsertColumn(kAssistants, "助教", ReportList::Align::Left, 300);
    CScheduleTask* task = Task();
    if (!task)
        return;
    CTaskHelper helper(task);
    for (CCourseAssistant* record : ObjectsInOrder<CCourseAssistant>(task->GetAssistantList())) {
        // A record whose plan is gone gets no row and leaves the list at the next save.
        const CCourseInfo* plan = task->FindCourse(record->GetId());
        if (!plan)
            continue;
        CCourseAssistant* copy = record->Clone();
        copy->SetName(helper.GetCourseText(plan, true));
        AppendRow(copy);
    }
}

void CAssistantListPage::resizeEvent(QResizeEvent* event)
{
    CListBaseDlg::resizeEvent(event);
    if (ReportList* list = GetList())
        list->SetColumnWidth(kAssistants, std::max(100, list->width() - 225));
}

CCourseAssistant* CAssistantListPage::RowRecord(int row) const
{
    return static_cast<CCourseAssistant*>(GetList()->GetItemPtr<CZemObject>(row));
}

int CAssistantListPage::FindPlanRow(const std::string& planId) const
{
    for (int row = 0; row < GetList()->GetItemCount(); ++row)
        if (zem::EqualsNoCase(GetList()->GetItemText(row, kId), planId))
            return row;
    return -1;
}

int CAssistantListPage::AppendRow(CCourseAssistant* record)
{
    ReportList* list = GetList();
    const int row = list->InsertItem(list->GetItemCount(), record->GetId());
    list->SetItemData(row, reinterpret_cast<std::uintptr_t>(static_cast<CZemObject*>(record)));
    ShowRow(row);
    return row;
}

void CAssistantListPage::ShowRow(int row)
{
    const CCourseAssistant* record = RowRecord(row);
    if (!record)
        return;
    GetList()->SetItemText(row, kPlan, record->GetName());
    GetList()->SetItemText(row, kAssistants, JoinTeacherNames(record->GetAssistants(), Task()));
}

void CAssistantListPage::SelectOnly(int row)
{
    GetList()->ClearSelectedRows();
    GetList()->SetSelected(row, true);
    GetList()->EnsureVisible(row);
}

// ---- add and modify

bool CAssistantListPage::ChooseAssistants(const CCourseInfo* plan, const std::string& caption,
                                          std::vector<std::string>* ids)
{
    CScheduleTask* task = Task();
    CMultiSelectDlg chooser(this);
    chooser.m_caption = caption;
    chooser.SetItems(&task->GetTeacherInfoList());
    chooser.m_excluded = {plan->GetTeacherId()};
    chooser.m_preChecked = *ids;
    chooser.m_check = this;
    chooser.m_checkId = plan->GetId();
    if (chooser.DoModal() != zem::IDOK)
        return false;
    *ids = chooser.GetChosenIds();
    return true;
}

void CAssistantListPage::Add()
{
    CScheduleTask* task = Task();
    if (!task)
        return;
    CCoursePlanPickerDlg picker(this);
    picker.SetTitle("选择要安排助教的教学计划");
    if (picker.DoModal() != zem::IDOK || picker.GetChosenPlans().empty())
        return;
    const CCourseInfo* plan = picker.GetChosenPlans().front();
    if (const int row = FindPlanRow(plan->GetId()); row >= 0) {
        SelectOnly(row);
        Edit();
        return;
    }
    const std::string name = CTaskHelper(task).GetCourseText(plan, true);
    std::vector<std::string> ids;
    if (!ChooseAssistants(plan, zem::Format("选择 %s 的助理教师", name.c_str()), &ids))
        return;
    auto* record = new CCourseAssistant;
    record->SetId(plan->GetId());
    record->SetName(name);
    record->GetAssistants() = ids;
    SelectOnly(AppendRow(record));
    SetModified(true);
    UpdateStatus();
    UpdateButtons();
}

void CAssistantListPage::Edit()
{
    CScheduleTask* task = Task();
    const int row = GetList()->GetFirstSelected();
    CCourseAssistant* record = row >= 0 ? RowRecord(row) : nullptr;
    const CCourseInfo* plan = record && task ? task->FindCourse(record->GetId()) : nullptr;
    if (!plan)
        return;
    std::vector<std::string> ids = record->GetAssistants();
    if (!ChooseAssistants(plan, zem::Format("选择 %s 的助教", record->GetName().c_str()), &ids))
        return;
    record->GetAssistants() = ids;
    ShowRow(row);
    SetModified(true);
}

// ---- checks

bool CAssistantListPage::CheckChosenIds(const std::vector<std::string>& ids, const std::string& checkId)
{
    bool noDialog = true;
    return CheckAssistants(ids, checkId, &noDialog);
}

bool CAssistantListPage::CheckAssistants(const std::vector<std::string>& ids, const std::string& planId,
                                         bool* noDialog)
{
    if (noDialog)
        *noDialog = true;
    CScheduleTask* task = Task();
    CCourseInfo* plan = task && !planId.empty() ? task->FindCourse(planId) : nullptr;
    if (!plan)
        return true;
    CTaskHelper helper(task);
    // Moving lessons in the conflict dialog may clash with an assistant already checked: check
    // them all again after each visit.
    for (bool again = true; again;) {
        again = false;
        for (const std::string& id : ids) {
            CTeacherInfo* teacher = task->GetTeacher(id);
            if (!teacher)
                continue;
            int reason = 0;
            if (helper.CheckTeacherChange(plan, teacher, &reason, false))
                continue;
            if (reason != 0) {
                ShowMessage(helper.GetText());
                return false;
            }
            // The assistant has lessons of his own then: the user may move them out of the way.
            CTeacherConflictDlg conflicts(this);
            conflicts.SetWindowTitle(zem::Format("助教时间冲突 - 为 %s 添加助教 %s", task->GetCourseDesc(plan).c_str(),
                                                 teacher->GetName().c_str()));
            conflicts.AddConflict(plan, teacher, 1);
            conflicts.DoModal();
            if (noDialog)
                *noDialog = false;
            reason = 0;
            if (!helper.CheckTeacherChange(plan, teacher, &reason, false))
                return false;
            again = true;
        }
    }
    return true;
}

// ---- save

bool CAssistantListPage::Save()
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    std::vector<CCourseAssistant*> records;
    for (int row = 0; row < GetList()->GetItemCount(); ++row)
        if (CCourseAssistant* record = RowRecord(row))
            records.push_back(record);
    auto isChanged = [task](const CCourseAssistant* record) {
        const CCourseAssistant* own = task->GetAssistant(record->GetId());
        return !own || *own != *record;
    };
    // A pass that opened the conflict dialog may have moved lessons of records it had passed.
    for (bool again = true; again;) {
        again = false;
        for (const CCourseAssistant* record : records) {
            bool noDialog = true;
            if (isChanged(record) && !CheckAssistants(record->GetAssistants(), record->GetId(), &noDialog))
                return false;
            again = again || !noDialog;
        }
    }

    // The helper changes the working tables: start them from the committed ones.
    CTaskHelper helper(task);
    helper.RestoreTempTables();
    BeginStore(CChangeCheck::Plans::Kept);
    bool tablesChanged = false;
    CZemObjectList& list = task->GetAssistantList();
    for (const CCourseAssistant* record : records) {
        if (isChanged(record)) {
            helper.ApplyAssistantChange(record->GetId(), record->GetAssistants());
            tablesChanged = true;
        }
        list.Remove(record->GetId());
    }
    // What is left belonged to deleted rows: their assistants give the plans' lessons back.
    std::vector<std::string> deleted;
    for (const auto& [id, object] : list)
        deleted.push_back(id);
    for (const std::string& id : deleted) {
        helper.ApplyAssistantChange(id, {});
        tablesChanged = true;
    }

    list.RemoveAll();
    for (std::size_t i = 0; i < records.size(); ++i) {
        CCourseAssistant* copy = records[i]->Clone();
        copy->SetIndex(static_cast<int>(i));
        list.Add(copy);
    }
    // Committed in memory at once, so that the tables always agree with the list; the files are
    // written until one save succeeds.
    if (tablesChanged)
        CommitTempTables(*task);
    if (!KeepsTaskRules())
        return false;
    if (tablesChanged)
        m_outputPending = true;
    if (!SaveSayingWhy([&] { return SaveTaskFiles(*task, m_outputPending); }, NotSavedText("助教"),
                       kCheckTaskFolderReason)) {
        SetModified(true);
        return false;
    }
    SetModified(false);
    return true;
}

// ---- rows from a workbook

zem::LRESULT CAssistantListPage::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    if (message == WM_PAGE_ROW)
        return OnAssistantRow(zem::FromWParam<CPageNotify>(wParam), zem::FromLParam<const CPageRow>(lParam));
    return CListBaseDlg::WindowProc(message, wParam, lParam);
}

zem::LRESULT CAssistantListPage::OnAssistantRow(CPageNotify* notify, const CPageRow* cells)
{
    CScheduleTask* task = Task();
    if (!notify || !cells || !task || !notify->byName)
        return -1;
    notify->accepted = false;
    auto refuse = [notify](const std::string& message) {
        notify->error = true;
        notify->message = message;
        return -1;
    };
    const CPageRow& cell = *cells;
    if (cell.size() < 5)
        return refuse(zem::Format("只有%d列数据。请参考导入界面，至少应提供%d列数据", static_cast<int>(cell.size()), 5));
    CTaskHelper helper(task);
    const std::string classId = IdByImportedName(task->GetClassInfoList(), cell[0]);
    if (classId.empty())
        return refuse(zem::Format("班级不存在: %s", cell[0].c_str()));
    const CZemObject* course = FindByImportedName(task->GetSubjectInfoList(), cell[1]);
    if (!course)
        return refuse(zem::Format("课程不存在: %s", cell[1].c_str()));
    const CZemObject* teacher = FindByImportedName(task->GetTeacherInfoList(), cell[2]);
    if (!teacher)
        return refuse(zem::Format("教师不存在: %s", cell[2].c_str()));
    const bool selfStudy = cell[3] == "早读" || cell[3] == "晚自习";

    std::vector<std::string> ids;
    if (const std::string refusal = AssistantIds(*task, cell[4], teacher->GetId(), ids); !refusal.empty())
        return refuse(refusal);

    const CCourseInfo* plan = nullptr;
    for (CCourseInfo* each : ObjectsInOrder<CCourseInfo>(selfStudy ? task->GetSelfStudyInfoList()
                                                                  : task->GetCourseInfoList()))
        if (each->GetClassId() == classId && each->GetSubjectId() == course->GetId() &&
            each->GetTeacherId() == teacher->GetId()) {
            plan = each;
            break;
        }
    if (!plan)
        return refuse(zem::Format("%s不存在: %s %s %s", cell[3] == "常规" ? "教学计划" : cell[3].c_str(),
                                  cell[0].c_str(), cell[1].c_str(), cell[2].c_str()));

    notify->accepted = true;
    // One row per plan: a second row for it would give its teachers the lessons twice over while
    // the task keeps one record. The imported assistants join the row's (or replace them).
    const int existing = FindPlanRow(plan->GetId());
    int row = existing;
    if (existing >= 0) {
        CCourseAssistant* record = RowRecord(existing);
        if (notify->replace)
            record->GetAssistants().clear();
        for (const std::string& id : ids)
            if (!Contains(record->GetAssistants(), id))
                record->GetAssistants().push_back(id);
        ShowRow(existing);
    } else {
        auto* record = new CCourseAssistant;
        record->SetId(plan->GetId());
        record->SetName(helper.GetCourseText(plan, true));
        record->GetAssistants() = ids;
        row = AppendRow(record);
    }
    SelectOnly(row);
    SetModified(true);
    UpdateStatus();
    UpdateButtons();
    return 0;
}
