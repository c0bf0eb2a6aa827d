// The commands of the proctoring page: the exams, the teachers, the rules, the assignment, the
// statistics and the export, the open proctoring's name, and changing one room's invigilators.
#include "app/proctor/ProctorDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/controls/NameInputDlg.h"
#include "app/output/workbook/InvigilationWorkbook.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/proctor/ExamPlanDlg.h"
#include "app/proctor/ProctorAssignment.h"
#include "app/proctor/ProctorProgressDlg.h"
#include "app/proctor/ProctorRuleDlg.h"
#include "app/proctor/ProctorStatDlg.h"
#include "app/shared/AppServices.h"
#include "app/shared/InvigilationRows.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "base/ScheduleProctor.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/ReportList.h"

#include <QGuiApplication>

#include <filesystem>
#include <string_view>
#include <system_error>

namespace {

using ProctorItem = CProctorData::ProctorItem;
using Plan = CProctorData::Plan;

void Warn(const std::string& text)
{
    zem::ShowMessage(text, "提示", zem::MessageIcon::Warning);
}

// Refuses a teacher for a room when the teacher already watches another room of the exam or a room
// of an exam at the same time: the rule the automatic assignment keeps.
class CInvigilatorCheck : public CMultiSelectCheck {
public:
    CInvigilatorCheck(const CProctorData& data, const ProctorItem& item, const CScheduleTask* task)
        : m_data(data), m_item(item), m_task(task)
    {
    }

    bool CheckChosenIds(const std::vector<std::string>& ids, const std::string&) override
    {
        const Plan* plan = m_data.GetPlan(m_item.plan);
        for (const std::string& id : ids) {
            for (const auto& other : m_data.GetProctorList()) {
                if (other.get() == &m_item || !StringArrayContainsNoCase(other->teachers, id))
                    continue;
                const std::string name = m_task ? m_task->GetTeacherName(id) : id;
                const std::string room = GetClassOrRoomName(m_task, other->room);
                const Plan* otherPlan = m_data.GetPlan(other->plan);
                if (other->plan == m_item.plan) {
                    Warn(zem::Format("%s 已安排在这场考试的考场 %s 监考，不能同时监考两个考场", name.c_str(),
                                     room.c_str()));
                    return false;
                }
                if (plan && otherPlan && ExamTimesOverlap(plan, otherPlan)) {
                    Warn(zem::Format("%s 已安排在 %s %s 的考场 %s 监考，与这场考试的时间冲突", name.c_str(),
                                     FormatTimeRange(*otherPlan, false).c_str(),
                                     m_task ? m_task->GetSubjectName(otherPlan->subject).c_str() : "", room.c_str()));
                    return false;
                }
            }
        }
        return true;
    }

private:
    const CProctorData& m_data;
    const ProctorItem& m_item;
    const CScheduleTask* m_task;
};

}  // namespace

// ---- Exams ----

void CProctorDlg::AddPlan()
{
    const CScheduleTask* task = Task();
    if (!task || !HasObjectsOrSay(task->GetSubjectInfoList(), "课程（考试科目）信息"))
        return;
    CExamPlanDlg dialog(this);
    if (dialog.DoModal() != zem::IDOK)
        return;
    auto plan = std::make_unique<Plan>();
    dialog.GetPlan(*plan);
    Plan* added = plan.get();
    Data().GetPlanList().push_back(std::move(plan));
    FillPlanRow(m_plans->InsertItem(m_plans->GetItemCount(), added->id), added);
    SetModified(true);
}

void CProctorDlg::EditPlan()
{
    const int row = m_plans->GetFirstSelected();
    if (row < 0)
        return;
    Plan* plan = m_plans->GetItemPtr<Plan>(row);
    CExamPlanDlg dialog(this);
    dialog.m_modify = true;
    for (const auto& item : Data().GetProctorList())
        dialog.m_arranged = dialog.m_arranged || item->plan == plan->id;
    dialog.SetPlan(*plan);
    if (dialog.DoModal() != zem::IDOK)
        return;
    dialog.GetPlan(*plan);
    FillPlanRow(row, plan);
    ShowResults();
    SetModified(true);
}

void CProctorDlg::MovePlans(bool up)
{
    // The plan list moves with the rows, so that the assignment and the saved file keep the order
    // the user sees. A block of selected rows moves as one; one already at the edge stays.
    CProctorData::PlanList& plans = Data().GetPlanList();
    std::vector<int> rows = m_plans->GetSelectedRows();
    if (!up)
        std::reverse(rows.begin(), rows.end());
    bool moved = false;
    for (const int row : rows) {
        const int other = up ? row - 1 : row + 1;
        if (other < 0 || other >= m_plans->GetItemCount() || m_plans->IsSelected(other))
            continue;
        m_plans->SwapItems(row, other);
        std::swap(plans[static_cast<std::size_t>(row)], plans[static_cast<std::size_t>(other)]);
        moved = true;
    }
    if (moved)
        SetModified(true);
}

void CProctorDlg::DeletePlans()
{
    const std::vector<int> rows = m_plans->GetSelectedRows();
    if (rows.empty())
        return;
    const std::string question = zem::Format(
        "删除考试计划会同步删除相关的监考安排表！\n\n确定要删除选中的这 %d 项考试计划吗", static_cast<int>(rows.size()));
    if (AskQuestion(question, zem::MessageButtons::YesNo) != zem::IDYES)
        return;
    CProctorData::PlanList& plans = Data().GetPlanList();
    CProctorData::ProctorList& items = Data().GetProctorList();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        const std::string id = plans[static_cast<std::size_t>(*row)]->id;
        std::erase_if(items, [&](const std::unique_ptr<ProctorItem>& item) { return item->plan == id; });
        plans.erase(plans.begin() + *row);
        m_plans->DeleteItem(*row);
    }
    ShowResults();
    SetModified(true);
}

void CProctorDlg::ClearPlans()
{
    std::string question = "确定要清除所有的考试计划吗";
    if (!Data().GetProctorList().empty())
        question = "清空考试计划会同步清空所有已经生成的监考安排表\n\n" + question;
    if (AskQuestion(question, zem::MessageButtons::YesNo) != zem::IDYES)
        return;
    Data().FreePlanList();
    Data().FreeProctorList();
    m_plans->DeleteAllItems();
    ShowResults();
    SetModified(true);
}

// ---- Teachers ----

void CProctorDlg::ChooseTeachers()
{
    const CScheduleTask* task = Task();
    if (!task || !HasObjectsOrSay(task->GetTeacherInfoList(), "教师信息"))
        return;
    CMultiSelectDlg chooser(this);
    chooser.SetItems(&task->GetTeacherInfoList());
    chooser.m_caption = "选择参加监考的老师";
    chooser.m_preChecked = Data().GetTeacherArray();
    if (chooser.DoModal() != zem::IDOK)
        return;
    Data().GetTeacherArray() = chooser.GetChosenIds();
    FillTeachers();
    ShowResults();
    SetModified(true);
}

void CProctorDlg::AddTeachersBy(int command)
{
    const CScheduleTask* task = Task();
    if (!task)
        return;
    const bool byClass = command == ID_TEACHERS_BY_CLASS, bySubject = command == ID_TEACHERS_BY_SUBJECT;
    const CZemObjectList& objects = byClass     ? task->GetClassInfoList()
                                    : bySubject ? task->GetSubjectInfoList()
                                                : task->GetTeacherGroupInfoList();
    if (!HasObjectsOrSay(objects, byClass ? "班级信息" : bySubject ? "课程信息" : "教师组信息"))
        return;
    CMultiSelectDlg chooser(this);
    chooser.SetItems(&objects);
    chooser.m_caption = byClass     ? "按所教班级选择参加监考的老师"
                        : bySubject ? "按所教课程选择参加监考的老师"
                                    : "按教师组选择参加监考的老师";
    if (chooser.DoModal() != zem::IDOK)
        return;
    const std::vector<std::string>& chosen = chooser.GetChosenIds();
    std::vector<std::string> collected;
    if (byClass || bySubject) {
        std::vector<CZemObject*> plans;
        MapToOrderedList(task->GetCourseInfoList(), plans);
        for (const CZemObject* object : plans) {
            const auto* plan = static_cast<const CCourseInfo*>(object);
            const std::string& key = byClass ? plan->GetClassId() : plan->GetSubjectId();
            if (!plan->GetTeacherId().empty() && StringArrayContainsNoCase(chosen, key))
                StringArrayAddUnique(collected, plan->GetTeacherId());
        }
    } else {
        for (const std::string& id : chosen) {
            if (const auto* group = static_cast<const CTeacherGroupInfo*>(task->GetTeacherGroupInfoList().Find(id)))
                StringArrayAddAllUnique(collected, group->GetTeacherArray());
        }
    }
    StringArrayAddAllUnique(Data().GetTeacherArray(), collected);
    FillTeachers();
    ShowResults();
    SetModified(true);
}

void CProctorDlg::ClearTeachers()
{
    if (AskQuestion("确定要清空当前监考教师列表吗", zem::MessageButtons::YesNo) != zem::IDYES)
        return;
    Data().GetTeacherArray().clear();
    FillTeachers();
    ShowResults();
    SetModified(true);
}

// ---- Rules, assignment, statistics, export ----

void CProctorDlg::EditRule()
{
    CProctorRuleDlg dialog(this);
    CProctorData::Rule& rule = Data().GetRule();
    dialog.m_classPolicy = rule.classPolicy;
    dialog.m_subjectPolicy = rule.subjectPolicy;
    if (dialog.DoModal() != zem::IDOK)
        return;
    rule.classPolicy = dialog.m_classPolicy;
    rule.subjectPolicy = dialog.m_subjectPolicy;
    SetModified(true);
}

void CProctorDlg::StartAssignment()
{
    if (Data().GetPlanList().empty()) {
        Warn("考试计划为空！请先添加考试计划");
        return;
    }
    if (m_teacherRows == 0) {
        Warn("监考教师列表为空！请先添加监考教师");
        return;
    }
    const CScheduleTask* task = Task();
    if (!task)
        return;
    // Two exams at one time in one room stop the run before it assigns anything: said before the
    // old arrangement is put in question, which then stays as it is.
    if (const std::string conflict = CProctorAssignment(*task, Data()).FindRoomConflict(); !conflict.empty()) {
        Warn(conflict);
        return;
    }
    // Asked whenever items exist, also when the view shown has no row of them: a new run must never
    // add to an old arrangement.
    if (!Data().GetProctorList().empty() &&
        AskQuestion("当前监考安排表已有数据！确定要重新开始排监考吗？", zem::MessageButtons::YesNo) != zem::IDYES)
        return;
    m_results->DeleteAllItems();
    CArrangementAside old(Data());
    bool completed = false;
    {
        CProctorProgressDlg progress(this);
        progress.SetProctor(m_proctor.get());
        progress.RunModal();
        completed = progress.IsRunCompleted();
    }
    // A run that made nothing, or a cancelled one, leaves the old arrangement.
    const bool replaced = old.ReplacedByRun(completed);
    ShowResults();
    if (replaced)
        SetModified(true);
}

void CProctorDlg::ShowStatistics()
{
    CProctorStatDlg dialog(this);
    dialog.SetProctor(m_proctor.get());
    dialog.DoModal();
}

std::string CProctorDlg::ExportTitle(const std::string& proctorName)
{
    static const std::string kTitle = "监考安排表";
    static const std::string kProctoring = "监考";
    if (proctorName.empty() || proctorName == CScheduleProctor::kDefaultName)
        return kTitle;
    const bool saysProctoring = std::string_view(proctorName).ends_with(kProctoring);
    return saysProctoring ? proctorName + "安排表" : proctorName + kTitle;
}

void CProctorDlg::Export()
{
    CScheduleTask* task = Task();
    if (!task)
        return;
    const std::string title = ExportTitle(m_proctor->GetName());
    const zem::LocalTime now = zem::Now();
    zem::gui::FileDialogRequest request;
    request.kind = zem::gui::FileDialogRequest::Kind::SaveFile;
    request.title = "导出监考安排表";
    request.filter = zem::workbook::kSaveWorkbookFilter;
    request.folder = AppServices().GetExportFolder();
    request.fileName = title + zem::Format("%04d%02d%02d", now.year, now.month, now.day) + ".xlsx";
    request.defaultSuffix = zem::workbook::kWorkbookSuffix;
    const std::string chosen = zem::gui::ChooseFile(this, request);
    if (chosen.empty())
        return;
    CSpreadsheetExporter exporter(task);
    CExportParam& param = exporter.GetParam();
    param.Reset();
    param.kind = kInvigilationExport;
    param.fileName = CSpreadsheetExporter::WorkbookFileName(chosen);
    param.text1 = title;
    param.data0 = &Data();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = exporter.RunExport();
    QGuiApplication::restoreOverrideCursor();
    // A failure has been told by the exporter.
    if (!written)
        return;
    const std::string question = "监考安排表已经导出到：\n" + param.fileName + "\n\n要打开这个工作簿吗？";
    if (AskQuestion(question, zem::MessageButtons::YesNo) == zem::IDYES)
        zem::gui::OpenWithDesktop(param.fileName);
}

// ---- The open proctoring's name ----

std::string CProctorDlg::AskName(const std::string& caption, const std::string& prompt, const std::string& current)
{
    const std::string folder = Task()->GetTaskInfo().GetProctorFolder();
    std::string name = current;
    for (;;) {
        CNameInputDlg dialog(this);
        dialog.m_caption = caption;
        dialog.m_prompt = prompt;
        dialog.m_name = name;
        if (dialog.DoModal() != zem::IDOK)
            return {};
        name = dialog.m_name;
        std::string message;
        if (!zem::CheckFileName(name, &message)) {
            Warn(message);
            continue;
        }
        // Another proctoring's folder of that name but for case would be the same folder on Windows.
        bool taken = current.empty() && zem::EqualsNoCase(name, m_proctor->GetName());
        std::vector<zem::FolderEntry> entries;
        if (zem::ListFolder(folder, entries)) {
            for (const zem::FolderEntry& entry : entries)
                taken = taken || (entry.name != current && zem::EqualsNoCase(entry.name, name));
        }
        if (!taken)
            return name;
        Warn(zem::Format("已经有名为“%s”的监考，请换一个名称", name.c_str()));
    }
}

void CProctorDlg::Rename()
{
    const std::string current = m_proctor->GetName();
    const std::string name = AskName("修改监考名称", "请输入监考的新名称", current);
    if (name.empty() || name == current)
        return;
    const std::string folder = Task()->GetTaskInfo().GetProctorFolder();
    if (zem::FolderExists(folder + current)) {
        std::error_code error;
        std::filesystem::rename(folder + current, folder + name, error);
        if (error) {
            Warn("修改监考名称失败：" + zem::FileErrorReason(error.value()));
            return;
        }
    }
    m_proctor->SetName(name);
    if (const int at = m_recent.Find(current); at >= 0)
        m_recent.RemoveAt(at);
    m_recent.Add(name);
    UpdateCaptions();
}

void CProctorDlg::CreateProctor()
{
    const std::string name = AskName("创建新的监考", "请输入新监考的名称", {});
    if (!name.empty())
        OpenProctor(name);
}

void CProctorDlg::OpenRecent(int index)
{
    const std::string name = m_recent.GetAt(index);
    if (!name.empty() && zem::FolderExists(Task()->GetTaskInfo().GetProctorFolder() + name))
        OpenProctor(name);
}

// ---- One room's invigilators ----

void CProctorDlg::ChangeItemTeachers()
{
    const CScheduleTask* task = Task();
    const int row = m_results->GetFirstSelected();
    if (!task || row < 0)
        return;
    const ProctorItem* shown = m_results->GetItemPtr<const ProctorItem>(row);
    ProctorItem* item = nullptr;
    for (const auto& candidate : Data().GetProctorList()) {
        if (candidate.get() == shown)
            item = candidate.get();
    }
    const Plan* plan = item ? Data().GetPlan(item->plan) : nullptr;
    if (!plan)
        return;
    CMultiSelectDlg chooser(this);
    chooser.SetItems(&task->GetTeacherInfoList());
    // The proctoring's teachers, and those the room has already, so that none is dropped unseen.
    for (const auto& [id, teacher] : task->GetTeacherInfoList()) {
        if (!StringArrayContainsNoCase(Data().GetTeacherArray(), id) && !StringArrayContainsNoCase(item->teachers, id))
            chooser.m_excluded.push_back(id);
    }
    chooser.m_caption = zem::Format("更改监考教师 - %s %s %s", FormatTimeRange(*plan, m_hideYear).c_str(),
                                    task->GetSubjectName(plan->subject).c_str(),
                                    GetClassOrRoomName(task, item->room).c_str());
    chooser.m_preChecked = item->teachers;
    chooser.m_minCount = 0;
    CInvigilatorCheck check(Data(), *item, task);
    chooser.m_check = &check;
    if (chooser.DoModal() != zem::IDOK)
        return;
    // Teachers kept stay in their places (the first is the one the rules chose first); new ones follow.
    const std::vector<std::string>& chosen = chooser.GetChosenIds();
    std::vector<std::string> teachers;
    for (const std::string& id : item->teachers) {
        if (StringArrayContainsNoCase(chosen, id))
            teachers.push_back(id);
    }
    StringArrayAddAllUnique(teachers, chosen);
    item->teachers = std::move(teachers);
    ShowResults();
    if (const int at = m_results->FindItemData(reinterpret_cast<std::uintptr_t>(item)); at >= 0) {
        m_results->SetSelected(at, true);
        m_results->EnsureVisible(at);
    }
    SetModified(true);
}
