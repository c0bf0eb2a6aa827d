#include "app/data/MutexPages.h"

#include "app/shared/AppServices.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/ReportList.h"

#include <algorithm>

using zem::gui::ReportList;

namespace {

CScheduleTask* Task()
{
    return AppServices().GetTask();
}

// Appends a row owning the entry.
int AppendRow(ReportList* list, CZemObject* entry)
{
    return list->InsertItem(list->GetItemCount(), entry->GetId(), reinterpret_cast<std::uintptr_t>(entry));
}

void SelectOnly(ReportList* list, int row)
{
    list->ClearSelectedRows();
    list->SetSelected(row, true);
    list->EnsureVisible(row);
}

// Selects the row just added, alone, and marks the page modified.
void ShowAddedRow(CListBaseDlg& page, int row)
{
    SelectOnly(page.GetList(), row);
    page.SetModified(true);
    page.UpdateStatus();
    page.UpdateButtons();
}

// Empties the task's list and fills it with copies of the rows' entries in the rows' order.
template <class Entry>
void StoreRows(const ReportList* list, CZemObjectList& target)
{
    target.RemoveAll();
    for (int row = 0; row < list->GetItemCount(); ++row) {
        const auto* entry = list->GetItemPtr<Entry>(row);
        if (!entry)
            continue;
        CZemObject* copy = entry->Clone();
        copy->SetIndex(row);
        target.Add(copy);
    }
}

}  // namespace

// ---- mutually exclusive teachers

CMutexTeacherPage::CMutexTeacherPage(QWidget* parent) : CListBaseDlg(parent)
{
    m_title = "互斥教师组";
    SetOption(false);
}

bool CMutexTeacherPage::OnInitDialog()
{
    if (!CListBaseDlg::OnInitDialog())
        return false;
    GetList()->SetColumnWidth(2, std::max(200, GetList()->width() - 185));
    return true;
}

void CMutexTeacherPage::InitColumns()
{
    CListBaseDlg::InitColumns();
    ReportList* list = GetList();
    list->InsertColumn(0, "ID", ReportList::Align::Left, 0);
    list->InsertColumn(1, "教师", ReportList::Align::Left, 160);
    list->InsertColumn(2, "不要排在同一时间上课的教师", ReportList::Align::Left, 400);
    CScheduleTask* task = Task();
    if (!task)
        return;
    for (const CMutexOfTeacher* entry : ObjectsInOrder<CMutexOfTeacher>(task->GetMutexOfTeacherList())) {
        const CTeacherInfo* teacher = task->GetTeacher(entry->GetId());
        if (!teacher)
            continue;  // left the task: dropped at the next save
        CMutexOfTeacher* copy = entry->Clone();
        copy->SetName(teacher->GetName());
        ShowEntry(AppendRow(list, copy), *copy);
    }
}

void CMutexTeacherPage::ShowEntry(int row, const CMutexOfTeacher& entry)
{
    GetList()->SetItemText(row, 1, entry.GetName());
    GetList()->SetItemText(row, 2, JoinTeacherNames(entry.GetMutexTeachers(), Task()));
}

int CMutexTeacherPage::FindRow(const std::string& teacherId) const
{
    for (int row = 0; row < GetList()->GetItemCount(); ++row)
        if (GetList()->GetItemText(row, 0) == teacherId)
            return row;
    return -1;
}

bool CMutexTeacherPage::ChoosePartners(const std::string& teacherId, const std::string& teacherName,
                                       std::vector<std::string>& partners)
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    CMultiSelectDlg chooser(this);
    chooser.m_caption = zem::Format("选择不要与%s老师排在同一时间的教师", teacherName.c_str());
    chooser.SetItems(&task->GetTeacherInfoList());
    chooser.m_excluded = {teacherId};
    chooser.m_preChecked = partners;
    chooser.m_minCount = 1;
    if (chooser.DoModal() != zem::IDOK)
        return false;
    partners = chooser.GetChosenIds();
    return true;
}

void CMutexTeacherPage::Add()
{
    CTeacherPickerDlg picker(this);
    if (picker.DoModal() != zem::IDOK || !picker.GetSelectedObject())
        return;
    const CZemObject* teacher = picker.GetSelectedObject();
    if (const int row = FindRow(teacher->GetId()); row >= 0) {
        SelectOnly(GetList(), row);
        Edit();
        return;
    }
    std::vector<std::string> partners;
    if (!ChoosePartners(teacher->GetId(), teacher->GetName(), partners))
        return;
    auto* entry = new CMutexOfTeacher;
    entry->SetId(teacher->GetId());
    entry->SetName(teacher->GetName());
    entry->GetMutexTeachers() = partners;
    const int row = AppendRow(GetList(), entry);
    ShowEntry(row, *entry);
    ShowAddedRow(*this, row);
}

void CMutexTeacherPage::Edit()
{
    const int row = GetList()->GetFirstSelected();
    auto* entry = row >= 0 ? GetList()->GetItemPtr<CMutexOfTeacher>(row) : nullptr;
    if (!entry)
        return;
    std::vector<std::string> partners = entry->GetMutexTeachers();
    if (!ChoosePartners(entry->GetId(), GetList()->GetItemText(row, 1), partners))
        return;
    entry->GetMutexTeachers() = partners;
    ShowEntry(row, *entry);
    SetModified(true);
}

bool CMutexTeacherPage::Save()
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    BeginStore(CChangeCheck::Plans::Kept);
    CMutexOfTeacherList& entries = task->GetMutexOfTeacherList();
    StoreRows<CMutexOfTeacher>(GetList(), entries);
    // The page keeps one direction; the map makes every pair mutual.
    entries.RebuildEachTeacherMap();
    m_deletedIds.clear();
    return CListBaseDlg::Save();
}

// ---- mutually exclusive subjects

CMutexSubjectPage::CMutexSubjectPage(QWidget* parent) : CListBaseDlg(parent)
{
    m_title = "课程互斥";
    SetOption(false);
}

bool CMutexSubjectPage::OnInitDialog()
{
    if (!CListBaseDlg::OnInitDialog())
        return false;
    // The explanation stays until the first change resets the caption.
    SetCaption(Title() + "（同一班级课表上的互斥课程不安排在同一天，例如体育和足球）");
    return true;
}

void CMutexSubjectPage::InitColumns()
{
    CListBaseDlg::InitColumns();
    ReportList* list = GetList();
    list->InsertColumn(0, "ID", ReportList::Align::Left, 0);
    list->InsertColumn(1, "序号", ReportList::Align::Left, 80);
    list->InsertColumn(2, "不排在同一天的互斥课程", ReportList::Align::Left, 600);
    CScheduleTask* task = Task();
    if (!task)
        return;
    for (const CMutexSubject* entry : ObjectsInOrder<CMutexSubject>(task->GetMutexSubjectList())) {
        CMutexSubject* copy = entry->Clone();
        ShowEntry(AppendRow(list, copy), *copy);
    }
}

void CMutexSubjectPage::ShowEntry(int row, const CMutexSubject& entry)
{
    GetList()->SetItemText(row, 1, IntToString(row + 1));
    GetList()->SetItemText(row, 2, JoinSubjectNames(entry.GetSubjectArray(), Task()));
}

bool CMutexSubjectPage::ChooseSubjects(int minCount, std::vector<std::string>& subjectIds)
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    CMultiSelectDlg chooser(this);
    chooser.m_caption = "选择不排在同一天的一组互斥课程";
    chooser.SetItems(&task->GetSubjectInfoList());
    chooser.m_preChecked = subjectIds;
    chooser.m_minCount = minCount;
    if (chooser.DoModal() != zem::IDOK)
        return false;
    subjectIds = chooser.GetChosenIds();
    return true;
}

void CMutexSubjectPage::Add()
{
    std::vector<std::string> subjectIds;
    if (!ChooseSubjects(2, subjectIds))
        return;
    auto* entry = new CMutexSubject;
    entry->SetId(NewGuidString());
    entry->SetIndex(GetList()->GetItemCount());
    entry->Reset(subjectIds);
    const int row = AppendRow(GetList(), entry);
    ShowEntry(row, *entry);
    ShowAddedRow(*this, row);
}

void CMutexSubjectPage::Edit()
{
    const int row = GetList()->GetFirstSelected();
    auto* entry = row >= 0 ? GetList()->GetItemPtr<CMutexSubject>(row) : nullptr;
    if (!entry)
        return;
    std::vector<std::string> subjectIds = entry->GetSubjectArray();
    if (!ChooseSubjects(1, subjectIds))
        return;
    entry->Reset(subjectIds);
    ShowEntry(row, *entry);
    SetModified(true);
}

bool CMutexSubjectPage::Save()
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    BeginStore(CChangeCheck::Plans::Kept);
    StoreRows<CMutexSubject>(GetList(), task->GetMutexSubjectList());
    m_deletedIds.clear();
    return CListBaseDlg::Save();
}
