// Saving the plan page: the weekly budget, teacher changes of scheduled plans, deleted plans and
// the write-back into the task.
#include "app/data/PlanListPage.h"

#include "app/shared/Strings.h"
#include "app/data/TaskFileSave.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/TeacherConflictDlg.h"
#include "app/shared/SaveFailure.h"
#include "base/ChangeCheck.h"
#include "base/Log.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>
#include <set>

namespace {

std::vector<CCourseInfo*> AllPlans(const std::map<std::string, std::unique_ptr<CZemObjectList>>& plans,
                                   const CZemObjectList& classes)
{
    std::vector<CCourseInfo*> out;
    for (CZemObject* cls : ObjectsInOrder(classes)) {
        const auto found = plans.find(cls->GetId());
        if (found == plans.end())
            continue;
        for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(*found->second))
            out.push_back(plan);
    }
    return out;
}

void CloneBack(CZemObjectList& target, const CZemObjectList& source)
{
    target.RemoveAll();
    for (CZemObject* object : ObjectsInOrder(source))
        target.Add(object->Clone());
}

// Two plans given to the same new teacher must not meet in the timetables; false, after saying
// which, when two do.
bool NewTeachersFree(CTaskHelper& helper, const std::vector<CCourseInfo*>& changed, const CZemObjectList& teachers)
{
    for (std::size_t a = 0; a < changed.size(); ++a)
        for (std::size_t b = a + 1; b < changed.size(); ++b) {
            if (changed[a]->GetTeacherId() != changed[b]->GetTeacherId())
                continue;
            if (!helper.HasTableConflict(&changed[a]->GetTable(false), &changed[b]->GetTable(false)))
                continue;
            zem::ShowMessage(
                zem::Format("%s 和 %s 都重新指定给 %s 老师\n但在已排好的课表中这两门课程的时间安排上是有冲突的。\n\n"
                            "建议您使用第5页的”教学计划调整“工具修改教师。",
                            helper.GetCourseText(changed[a], true).c_str(),
                            helper.GetCourseText(changed[b], true).c_str(),
                            teachers.GetObjectName(changed[a]->GetTeacherId()).c_str()),
                "提示", zem::MessageIcon::Information);
            return false;
        }
    return true;
}

// The task's plans that the page no longer lists.
std::vector<std::string> DeletedPlanIds(const CZemObjectList& taskPlans, const std::vector<CCourseInfo*>& plans)
{
    std::set<std::string> kept;
    for (CCourseInfo* plan : plans)
        kept.insert(plan->GetId());
    std::vector<std::string> deleted;
    for (const auto& [id, object] : taskPlans)
        if (!kept.count(id))
            deleted.push_back(id);
    return deleted;
}

}  // namespace

bool CPlanListPage::CheckWeeklyBudget()
{
    std::string lines;
    int flagged = 0;
    int first = -1;
    for (int card = 0; card < m_cards->GetCount(); ++card) {
        const CCardInfo* info = m_cards->GetItemDataPtr(card);
        if (!info || !info->warning)
            continue;
        if (first < 0)
            first = card;
        ++flagged;
        if (flagged <= 5)
            lines += BudgetLine(m_cards->GetText(card), info->note);
        else if (flagged == 6)
            lines += "......\r\n";
    }
    if (flagged == 0)
        return true;
    const zem::MessageRequest ask{BudgetQuestion(m_cards->GetText(first), flagged, lines), "提示",
                                  zem::MessageIcon::Warning, zem::MessageButtons::OkCancel};
    if (zem::ShowMessage(ask) == zem::IDOK)
        return true;
    if (m_cards->GetCurSel() != first)
        SelectCard(first);
    return false;
}

std::string CPlanListPage::BudgetLine(const std::string& className, const std::string& note) const
{
    return zem::Format("%s（%s节）\r\n", className.c_str(), note.c_str());
}

std::string CPlanListPage::BudgetQuestion(const std::string& firstClass, int flagged, const std::string& lines) const
{
    return zem::Format("教学时间中设置的全校可用周课时数为 %d 节\r\n当前教学计划列表中 %s 等%d个班级的周课时数已超出\r\n%s\r\n"
                       "点击“确定”按钮继续保存\r\n点击“取消”按钮取消保存，去检查这些班级的周课时数",
                       UsablePeriods(), firstClass.c_str(), flagged, lines.c_str());
}

bool CPlanListPage::ConfirmTeacherChange(const std::string& planId, const std::string& teacherName, bool* noDialog)
{
    if (noDialog)
        *noDialog = true;
    CScheduleTask* task = Task();
    if (!task)
        return true;
    CCourseInfo* plan = task->FindCourse(planId);
    auto* teacher = static_cast<CTeacherInfo*>(task->GetTeacherInfoList().FindByName(teacherName));
    if (!plan || !teacher || plan->GetTeacherId() == teacher->GetId())
        return true;
    CTaskHelper helper(task);
    int reason = 0;
    if (helper.CheckTeacherChange(plan, teacher, &reason))
        return true;
    if (reason != 0) {
        ShowMessage(helper.GetText());
        return false;
    }
    // The teacher has lessons of his own at those times: the user may move them out of the way.
    CTeacherConflictDlg conflicts(this);
    conflicts.SetWindowTitle(zem::Format("教师时间冲突 - 将 %s 的任课教师修改为 %s", task->GetCourseDesc(plan).c_str(),
                                         teacher->GetName().c_str()));
    conflicts.AddConflict(plan, teacher, 1);
    if (noDialog)
        *noDialog = false;
    if (conflicts.DoModal() == zem::IDOK)
        RefreshTablesFromTask();
    reason = 0;
    return helper.CheckTeacherChange(plan, teacher, &reason);
}

void CPlanListPage::RefreshTablesFromTask()
{
    CScheduleTask* task = Task();
    if (!task)
        return;
    auto copyTables = [](CZemObjectList& copies, const CZemObjectList& source) {
        for (const auto& [id, object] : source)
            if (auto* copy = static_cast<CZemTableObject*>(copies.Find(id)))
                copy->CopyTable(static_cast<const CZemTableObject*>(object));
    };
    copyTables(m_classes, task->GetClassInfoList());
    copyTables(m_teachers, task->GetTeacherInfoList());
    // A room's places live in its own table set, which only the room's own copy takes over.
    for (const auto& [id, object] : task->GetRoomInfoList())
        if (auto* copy = static_cast<CRoomInfo*>(m_rooms.Find(id)))
            copy->CopyTable(static_cast<const CRoomInfo*>(object));
    for (CCourseInfo* plan : AllPlans(m_plans, m_classes))
        if (const CCourseInfo* own = task->FindCourse(plan->GetId()))
            plan->CopyTable(own);
}

void CPlanListPage::MoveTeacherLessons(CCourseInfo* plan, const std::string& oldId, const std::string& newId)
{
    CScheduleTask* task = Task();
    auto* newTeacher = static_cast<CTeacherInfo*>(m_teachers.Find(newId));
    auto* oldTeacher = static_cast<CTeacherInfo*>(m_teachers.Find(oldId));
    if (!task || !plan || !newTeacher)
        return;
    const CSchoolStructure& week = task->GetSchoolStructure();
    const CCourseTable& own = plan->GetTable(false);
    ForEachSlot(week, [&](const tagTABLE_NODE& at) {
        const CCourseTableNode& node = own.GetNode(at);
        if (node.IsEmpty())
            return;
        const int oddEven = node.GetOddEven(plan->GetId());
        task->SetTableNode(&newTeacher->GetTable(false), plan->GetId(), node.GetRoomId(oddEven),
                           node.GetRoomIndex(oddEven), at, oddEven);
        if (oldTeacher)
            task->UnsetTableNode(&oldTeacher->GetTable(false), at, oddEven);
    });
}

void CPlanListPage::SortTeachersByName()
{
    std::vector<CZemObject*> teachers = ObjectsInOrder(m_teachers);
    std::stable_sort(teachers.begin(), teachers.end(), [](const CZemObject* a, const CZemObject* b) {
        std::string x = a->GetName(), y = b->GetName();
        for (char& c : x)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (char& c : y)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return x < y;
    });
    for (std::size_t i = 0; i < teachers.size(); ++i)
        teachers[i]->SetIndex(static_cast<int>(i));
}

// The plans whose teacher the page changed, each logged; false, having said why, when one names a
// teacher the list no longer has.
bool CPlanListPage::FindTeacherChanges(const std::vector<CCourseInfo*>& plans, std::vector<CCourseInfo*>& changed)
{
    CScheduleTask* task = Task();
    for (CCourseInfo* plan : plans) {
        const CCourseInfo* own = task->FindCourse(plan->GetId());
        if (!own || own->GetTeacherId() == plan->GetTeacherId())
            continue;
        CLog::inst()->Log(m_logTag.c_str(), "\nTeacherChanged: %s old:%s new:%s", task->GetCourseDesc(own).c_str(),
                  task->GetTeacherName(own->GetTeacherId()).c_str(),
                  task->GetTeacherName(plan->GetTeacherId()).c_str());
        // A plan left without a teacher would be written back with its lessons still at the old one.
        if (!m_teachers.Find(plan->GetTeacherId())) {
            ShowMessage(zem::Format("%s %s 的任课教师无效", m_what.c_str(), task->GetCourseDesc(own).c_str()));
            return false;
        }
        changed.push_back(plan);
    }
    return true;
}

// A dialog may have moved lessons that an earlier plan's check relied on: check them all again.
bool CPlanListPage::ConfirmTeacherChanges(const std::vector<CCourseInfo*>& changed)
{
    for (bool again = true; again;) {
        again = false;
        for (CCourseInfo* plan : changed) {
            bool noDialog = true;
            if (!ConfirmTeacherChange(plan->GetId(), m_teachers.GetObjectName(plan->GetTeacherId()), &noDialog))
                return false;
            again = again || !noDialog;
        }
    }
    return true;
}

// The page's lists into the task: the deleted plans leave, the changed ones take their lessons to
// their new teachers.
void CPlanListPage::CommitPlans(const std::vector<CCourseInfo*>& plans, const std::vector<CCourseInfo*>& changed,
                                const std::vector<std::string>& deleted)
{
    CScheduleTask* task = Task();
    if (!deleted.empty()) {
        task->RemovePlans(deleted);
        RefreshTablesFromTask();
    }

    for (CCourseInfo* plan : changed)
        if (const CCourseInfo* own = task->FindCourse(plan->GetId()); own && own->GetTeacherId() != plan->GetTeacherId())
            MoveTeacherLessons(plan, own->GetTeacherId(), plan->GetTeacherId());
    if (task->GetTeacherInfoList().IsEmpty() && !m_teachers.IsEmpty())
        SortTeachersByName();

    CloneBack(task->GetClassInfoList(), m_classes);
    CloneBack(task->GetSubjectInfoList(), m_courses);
    CloneBack(task->GetTeacherInfoList(), m_teachers);
    CloneBack(task->GetRoomInfoList(), m_rooms);
    CZemObjectList& taskPlans = TaskPlans(*task);
    taskPlans.RemoveAll();
    for (CCourseInfo* plan : plans)
        taskPlans.Add(plan->Clone());
    task->GetCombineCourseList().ReBuildCourseMap();
    // The lessons moved to new teachers are in the committed tables only: the next check of a
    // change reads the working ones.
    task->ReadTempTables();
}

bool CPlanListPage::Save()
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    CommitRows();
    if (!CheckWeeklyBudget())
        return false;

    CTaskHelper helper(task);
    const std::vector<CCourseInfo*> plans = AllPlans(m_plans, m_classes);
    std::vector<CCourseInfo*> changed;
    if (!FindTeacherChanges(plans, changed))
        return false;
    if (!m_selfStudy && !NewTeachersFree(helper, changed, m_teachers))
        return false;
    // Plans deleted on the page leave with their lessons, so no table keeps a lesson of a plan
    // that no longer exists. The backup comes before anything of the task changes.
    const std::vector<std::string> deleted = DeletedPlanIds(TaskPlans(*task), plans);
    if (!deleted.empty() && !BackUpBeforeRemovingLessons(*task, false, "删除" + m_what + "前", m_what))
        return false;
    if (!ConfirmTeacherChanges(changed))
        return false;
    BeginStore(CChangeCheck::Plans::Edited);
    CommitPlans(plans, changed, deleted);
    if (!KeepsTaskRules())
        return false;

    // Tables changed in memory stay owed to the timetable file until one save writes it, even
    // when this attempt fails and the next finds nothing left to change.
    if (!deleted.empty() || !changed.empty())
        m_outputPending = true;
    if (!SaveSayingWhy([&] { return SaveTaskFiles(*task, m_outputPending); }, NotSavedText(m_what),
                       kCheckTaskFolderReason)) {
        SetModified(true);
        return false;
    }
    SetModified(false);
    return true;
}
