#include "app/data/FixedTimePages.h"

#include "app/shared/AppServices.h"
#include "app/shared/Vocabulary.h"
#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/controls/TimeSlotPickerDlg.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/BasicData.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/ReportList.h"

#include <algorithm>

using zem::gui::ReportList;

namespace {

enum { kOwnerColumn = 1, kTimesColumn = 2 };

CScheduleTask* Task()
{
    return AppServices().GetTask();
}

std::string ObjectName(const CZemObjectList& list, const std::string& id)
{
    const CZemObject* object = list.Find(id);
    return object ? object->GetName() : std::string();
}

// The one object the picker chose, as a list of ids.
std::vector<std::string> PickOne(CObjectPickerDlg& picker)
{
    if (picker.DoModal() != zem::IDOK || !picker.GetSelectedObject())
        return {};
    return {picker.GetSelectedObject()->GetId()};
}

std::vector<std::string> ChooseFromList(QWidget* parent, const char* caption,
                                        CZemObjectList& (CScheduleTask::*list)())
{
    CScheduleTask* task = Task();
    if (!task)
        return {};
    CMultiSelectDlg chooser(parent);
    chooser.m_caption = caption;
    chooser.SetItems(&(task->*list)());
    if (chooser.DoModal() != zem::IDOK)
        return {};
    return chooser.GetChosenIds();
}

}  // namespace

// ---- the family

CFixedTimePage::CFixedTimePage(QWidget* parent) : CListBaseDlg(parent) {}

bool CFixedTimePage::OnInitDialog()
{
    if (!CListBaseDlg::OnInitDialog())
        return false;
    // The times take what the list's width leaves.
    GetList()->SetColumnWidth(kTimesColumn, std::max(100, GetList()->width() - m_timesMargin));
    return true;
}

void CFixedTimePage::InitColumns()
{
    CListBaseDlg::InitColumns();
    ReportList* list = GetList();
    list->InsertColumn(0, "ID", ReportList::Align::Left, 0);
    list->InsertColumn(kOwnerColumn, m_ownerHeading, ReportList::Align::Left, m_ownerWidth);
    list->InsertColumn(kTimesColumn, "固定无课时间", ReportList::Align::Left, 300);
    CScheduleTask* task = Task();
    if (!task)
        return;
    for (CZemObject* object : ObjectsInOrder(Entries(*task))) {
        const auto* stored = dynamic_cast<const CFixedTimeOfObject*>(object);
        if (!stored)
            continue;
        // An entry of an owner the task no longer has is dropped at the next save.
        const std::string name = OwnerName(stored->GetId());
        if (name.empty())
            continue;
        CFixedTimeOfObject* copy = stored->Clone();
        copy->SetName(name);
        AppendRow(copy);
    }
}

int CFixedTimePage::FindRow(const std::string& ownerId) const
{
    ReportList* list = GetList();
    for (int row = 0; row < list->GetItemCount(); ++row)
        if (list->GetItemText(row, 0) == ownerId)
            return row;
    return -1;
}

void CFixedTimePage::AppendRow(CFixedTimeOfObject* entry)
{
    ReportList* list = GetList();
    const int row = list->InsertItem(list->GetItemCount(), entry->GetId(), reinterpret_cast<std::uintptr_t>(entry));
    ShowEntry(row, *entry);
}

void CFixedTimePage::ShowEntry(int row, const CFixedTimeOfObject& entry)
{
    GetList()->SetItemText(row, kOwnerColumn, entry.GetName());
    const bool namesWeek = !Task() || Task()->GetSchoolStructure().NamesWeeks();
    GetList()->SetItemText(row, kTimesColumn, entry.GetAllFixedTimeWithPopularWord(namesWeek));
}

void CFixedTimePage::Add()
{
    const std::vector<std::string> owners = ChooseOwners();
    if (owners.empty())
        return;
    // An owner chosen alone that has a row already is edited there: a page holds one row per owner.
    if (owners.size() == 1 || m_manyCaption.empty()) {
        const int row = FindRow(owners.front());
        if (row >= 0) {
            GetList()->ClearSelectedRows();
            GetList()->SetSelected(row, true);
            GetList()->EnsureVisible(row);
            Edit();
            return;
        }
    }

    const std::string first = OwnerName(owners.front());
    CTimeSlotPickerDlg picker(this);
    picker.SetTitle(owners.size() == 1
                        ? zem::Format(m_oneCaption.c_str(), first.c_str())
                        : zem::Format(m_manyCaption.c_str(), first.c_str(), static_cast<int>(owners.size())));
    picker.m_activityMode = m_activities;
    picker.SetAllowedSlots(AllowedSegments(owners.front()));
    if (picker.DoModal() != zem::IDOK)
        return;

    for (const std::string& ownerId : owners) {
        CFixedTimeOfObject* entry = NewEntry();
        entry->SetId(ownerId);
        entry->SetName(OwnerName(ownerId));
        entry->ReadFixedTimeFromTable(&picker.m_marks);
        if (m_activities)
            entry->GetActivities() = picker.m_activities;
        const int row = FindRow(ownerId);
        if (row < 0) {
            AppendRow(entry);
            continue;
        }
        auto* held = GetList()->GetItemPtr<CFixedTimeOfObject>(row);
        if (m_combine)
            held->Combine(entry);
        else
            held->ReadFixedTimeFromTable(&picker.m_marks);
        delete entry;
        ShowEntry(row, *held);
    }
    SetModified(true);
    UpdateButtons();
}

void CFixedTimePage::Edit()
{
    const int row = GetList()->GetFirstSelected();
    if (row < 0)
        return;
    auto* entry = GetList()->GetItemPtr<CFixedTimeOfObject>(row);
    if (!entry)
        return;
    CTimeSlotPickerDlg picker(this);
    picker.SetTitle(zem::Format(m_oneCaption.c_str(), GetList()->GetItemText(row, kOwnerColumn).c_str()));
    entry->WriteFixedTimeToTable(&picker.m_marks);
    if (m_activities) {
        picker.m_activities = entry->GetActivities();
        picker.m_activityMode = true;
    }
    picker.SetAllowedSlots(AllowedSegments(entry->GetId()));
    if (picker.DoModal() != zem::IDOK)
        return;
    entry->ReadFixedTimeFromTable(&picker.m_marks);
    if (m_activities)
        entry->GetActivities() = picker.m_activities;
    ShowEntry(row, *entry);
    SetModified(true);
}

bool CFixedTimePage::Save()
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    BeginStore(CChangeCheck::Plans::Kept);
    CopyRowsInto(Entries(*task));
    m_deletedIds.clear();
    return CListBaseDlg::Save();
}

// ---- classes

CClassFixedTimePage::CClassFixedTimePage(QWidget* parent) : CFixedTimePage(parent)
{
    m_title = m_printTitle = "班级固定无课时间";
    m_ownerHeading = "班级";
    m_oneCaption = "设置 %s 的固定无课时间";
    m_manyCaption = "设置 %s 等%d个班级的固定无课时间";
    m_activities = true;
    m_combine = true;
    m_gradeOrderSort = true;
}

CZemObjectList& CClassFixedTimePage::Entries(CScheduleTask& task) const
{
    return task.GetFixedTimeOfClassList();
}

CFixedTimeOfObject* CClassFixedTimePage::NewEntry() const
{
    return new CFixedTimeOfClass;
}

std::string CClassFixedTimePage::OwnerName(const std::string& ownerId) const
{
    const CScheduleTask* task = Task();
    return task ? task->GetClassNameA(ownerId) : std::string();
}

std::vector<std::string> CClassFixedTimePage::ChooseOwners()
{
    return ChooseFromList(this, "选择班级", &CScheduleTask::GetClassInfoList);
}

// ---- teaching plans

CPlanFixedTimePage::CPlanFixedTimePage(QWidget* parent) : CFixedTimePage(parent)
{
    m_title = m_printTitle = "教学计划固定无课时间";
    m_ownerHeading = "教学计划";
    m_ownerWidth = 250;
    m_timesMargin = 275;
    m_oneCaption = "设置 %s 的固定无课时间";
    m_manyCaption = "设置 %s 等%d个教学计划的固定无课时间";
    m_gradeOrderSort = true;
}

CZemObjectList& CPlanFixedTimePage::Entries(CScheduleTask& task) const
{
    return task.GetFixedTimeOfCourseList();
}

CFixedTimeOfObject* CPlanFixedTimePage::NewEntry() const
{
    return new CFixedTimeOfCourse;
}

std::string CPlanFixedTimePage::OwnerName(const std::string& ownerId) const
{
    CScheduleTask* task = Task();
    const CCourseInfo* plan = task ? task->FindCourse(ownerId) : nullptr;
    return plan ? CTaskHelper(task).GetCourseText(plan, false) : std::string();
}

std::vector<std::string> CPlanFixedTimePage::ChooseOwners()
{
    CCoursePlanPickerDlg picker(this);
    picker.SetTitle("选择教学计划");
    picker.m_singleSelection = false;
    picker.m_sameKindRequired = true;
    if (picker.DoModal() != zem::IDOK)
        return {};
    std::vector<std::string> ids;
    for (const CCourseInfo* plan : picker.GetChosenPlans())
        ids.push_back(plan->GetId());
    return ids;
}

std::vector<int> CPlanFixedTimePage::AllowedSegments(const std::string& ownerId) const
{
    std::vector<int> segments;
    const CScheduleTask* task = Task();
    if (const CCourseInfo* plan = task ? task->FindCourse(ownerId) : nullptr)
        AddSegmentsOfCourseKind(plan->GetType(), &segments);
    return segments;
}

// ---- subjects

CSubjectFixedTimePage::CSubjectFixedTimePage(QWidget* parent) : CFixedTimePage(parent)
{
    m_title = "设置课程固定无课时间";
    m_printTitle = "课程固定无课时间";
    m_ownerHeading = "课程";
    m_oneCaption = "设置 %s 课程的固定无课时间";
    m_manyCaption = "设置 %s 等%d个课程的固定无课时间";
}

CZemObjectList& CSubjectFixedTimePage::Entries(CScheduleTask& task) const
{
    return task.GetFixedTimeOfSubjectList();
}

CFixedTimeOfObject* CSubjectFixedTimePage::NewEntry() const
{
    return new CFixedTimeOfSubject;
}

std::string CSubjectFixedTimePage::OwnerName(const std::string& ownerId) const
{
    const CScheduleTask* task = Task();
    return task ? task->GetSubjectName(ownerId) : std::string();
}

std::vector<std::string> CSubjectFixedTimePage::ChooseOwners()
{
    return ChooseFromList(this, "选择课程", &CScheduleTask::GetSubjectInfoList);
}

// ---- teachers

CTeacherFixedTimePage::CTeacherFixedTimePage(QWidget* parent) : CFixedTimePage(parent)
{
    m_title = m_printTitle = "教师固定无课时间";
    m_ownerHeading = "教师";
    m_oneCaption = "设置 %s 老师的固定无课时间";
    m_activities = true;
}

CZemObjectList& CTeacherFixedTimePage::Entries(CScheduleTask& task) const
{
    return task.GetFixedTimeOfTeacherList();
}

CFixedTimeOfObject* CTeacherFixedTimePage::NewEntry() const
{
    return new CFixedTimeOfTeacher;
}

std::string CTeacherFixedTimePage::OwnerName(const std::string& ownerId) const
{
    const CScheduleTask* task = Task();
    return task ? task->GetTeacherName(ownerId) : std::string();
}

std::vector<std::string> CTeacherFixedTimePage::ChooseOwners()
{
    CTeacherPickerDlg picker(this);
    return PickOne(picker);
}

// ---- teacher groups

CTeacherGroupFixedTimePage::CTeacherGroupFixedTimePage(QWidget* parent) : CFixedTimePage(parent)
{
    m_title = m_printTitle = "教师组固定无课时间";
    m_ownerHeading = "教师组";
    m_oneCaption = "设置 %s 的固定无课时间";
    m_activities = true;
}

CZemObjectList& CTeacherGroupFixedTimePage::Entries(CScheduleTask& task) const
{
    return task.GetFixedTimeOfTeacherGroupList();
}

CFixedTimeOfObject* CTeacherGroupFixedTimePage::NewEntry() const
{
    return new CFixedTimeOfTeacherGroup;
}

std::string CTeacherGroupFixedTimePage::OwnerName(const std::string& ownerId) const
{
    const CScheduleTask* task = Task();
    return task ? ObjectName(task->GetTeacherGroupInfoList(), ownerId) : std::string();
}

std::vector<std::string> CTeacherGroupFixedTimePage::ChooseOwners()
{
    CTeacherGroupPickerDlg picker(this);
    return PickOne(picker);
}
