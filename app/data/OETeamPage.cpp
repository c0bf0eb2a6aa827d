#include "app/data/OETeamPage.h"

#include "app/shared/AppServices.h"
#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Strings.h"
#include "base/BasicData.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"
#include "platform/gui/ReportList.h"

#include <QTimer>

#include <algorithm>

using zem::gui::ReportList;

namespace {

enum { kOddColumn = 1, kEvenColumn = 2 };

CScheduleTask* Task()
{
    return AppServices().GetTask();
}

bool HasHalfLessonPlan(const CScheduleTask& task)
{
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    return std::any_of(plans.begin(), plans.end(),
                       [](const CCourseInfo* plan) { return plan->GetWeekCount().HasHalfNode(); });
}

}  // namespace

COETeamPage::COETeamPage(QWidget* parent) : CListBaseDlg(parent)
{
    m_title = "单双周组合";
}

bool COETeamPage::OnInitDialog()
{
    if (!CListBaseDlg::OnInitDialog())
        return false;
    SetCaption(m_title + "（如果有单双周课程，可以在这里指定组合；如不指定，自动排课时将随机配对）");
    if (CHoverButton* swap = Button(IDC_EDIT))
        swap->setText(QStringLiteral("交换(&E)"));
    const CScheduleTask* task = Task();
    if (task && !HasHalfLessonPlan(*task)) {
        // Shortly after the page shows, so that the hint sits over it.
        QTimer::singleShot(100, this, [] {
            ShowMessage("当前教学计划列表中，没有单双周的教学计划\r\n\r\n"
                        "如要设置单双周的教学计划，可以在第2页基本数据维护中把该教学计划的周课时数设为0.5");
        });
    }
    return true;
}

void COETeamPage::InitColumns()
{
    CListBaseDlg::InitColumns();
    ReportList* list = GetList();
    list->InsertColumn(0, "ID", ReportList::Align::Left, 0);
    list->InsertColumn(kOddColumn, "单周", ReportList::Align::Left, 300);
    list->InsertColumn(kEvenColumn, "双周", ReportList::Align::Left, 300);
    CScheduleTask* task = Task();
    if (!task)
        return;
    for (CZemObject* object : ObjectsInOrder(task->GetOETeamList()))
        if (const auto* team = dynamic_cast<const COETeam*>(object))
            AppendRow(team->Clone());
}

void COETeamPage::AppendRow(COETeam* team)
{
    ReportList* list = GetList();
    const int row = list->InsertItem(list->GetItemCount(), team->GetId(), reinterpret_cast<std::uintptr_t>(team));
    ShowTeam(row, *team);
}

void COETeamPage::ShowTeam(int row, const COETeam& team)
{
    const CScheduleTask* task = Task();
    GetList()->SetItemText(row, kOddColumn, task ? task->GetCourseDesc(team.GetOdd()) : std::string());
    GetList()->SetItemText(row, kEvenColumn, task ? task->GetCourseDesc(team.GetEven()) : std::string());
}

std::vector<CCourseInfo*> COETeamPage::PickPlans(const char* title)
{
    CCoursePlanPickerDlg picker(this);
    picker.SetTitle(title);
    picker.m_singleSelection = false;
    picker.m_sameKindRequired = true;
    picker.m_onlyHalfLessons = true;
    if (picker.DoModal() != zem::IDOK)
        return {};
    return picker.GetChosenPlans();
}

void COETeamPage::Add()
{
    ShowMessage("先选择：单周\n\n可以按课程进行搜索，可以多选");
    const std::vector<CCourseInfo*> odd = PickPlans("选择要排在单周的教学计划");
    if (odd.empty())
        return;
    ShowMessage("再选择：双周\n\n可以按课程进行搜索，可以多选");
    const std::vector<CCourseInfo*> even = PickPlans("选择要排在双周的教学计划");
    if (even.empty())
        return;
    if (Pair(odd, even) == 0)
        ShowMessage("同一班级的单周和双周课程才能进行组合");
}

int COETeamPage::Pair(const std::vector<CCourseInfo*>& odd, std::vector<CCourseInfo*> even)
{
    ReportList* list = GetList();
    int made = 0;
    for (const CCourseInfo* p : odd) {
        auto partner = std::find_if(even.begin(), even.end(), [p](const CCourseInfo* q) {
            return q->GetClassId() == p->GetClassId() && q->GetType() == p->GetType() &&
                   q->GetSubjectId() != p->GetSubjectId();
        });
        if (partner == even.end())
            continue;
        const CCourseInfo* q = *partner;
        even.erase(partner);
        // A plan is in one pair at most: its earlier pairs go.
        for (int row = list->GetItemCount() - 1; row >= 0; --row) {
            const auto* team = list->GetItemPtr<COETeam>(row);
            if (team && (team->Has(p->GetId()) || team->Has(q->GetId())))
                DeleteRow(row);
        }
        auto* team = new COETeam;
        team->SetId(NewGuidString());
        team->Set(p->GetId(), q->GetId());
        AppendRow(team);
        ++made;
    }
    if (made > 0) {
        SetModified(true);
        UpdateButtons();
    }
    return made;
}

void COETeamPage::Edit()
{
    const std::vector<int> rows = GetList()->GetSelectedRows();
    if (rows.empty())
        return;
    for (int row : rows) {
        if (auto* team = GetList()->GetItemPtr<COETeam>(row)) {
            team->Swap();
            ShowTeam(row, *team);
        }
    }
    SetModified(true);
}

bool COETeamPage::Save()
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    BeginStore(CChangeCheck::Plans::Kept);
    CopyRowsInto(task->GetOETeamList());
    m_deletedIds.clear();
    return CListBaseDlg::Save();
}
