#include "app/data/CombineClassListPage.h"

#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/output/workbook/CombinedClassWorkbooks.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "app/shared/Vocabulary.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/ReportList.h"

#include <algorithm>
#include <map>

using zem::gui::ReportList;

namespace {

// The plans of the kind that may be combined: teaching plans, or the self-study items.
std::vector<CCourseInfo*> PlansOfKind(CScheduleTask& task, int kind)
{
    return ObjectsInOrder<CCourseInfo>(kind == COURSE_TYPE_PLAN ? task.GetCourseInfoList() : task.GetSelfStudyInfoList());
}

}  // namespace

CCombineClassListPage::CCombineClassListPage(QWidget* parent) : CBasicDataPage(parent)
{
    m_title = "合班";
    m_importTitle = "合班信息";
    m_importKey = "cc";
    m_cellCountStopsImport = true;
}

bool CCombineClassListPage::OnInitDialog()
{
    if (!CBasicDataPage::OnInitDialog())
        return false;
    RemoveButton(GetDlgItem(IDC_BATCH_ADD));
    InsertButton(AddHoverButton(this, IDC_EXPORT, "导出(&T)"), GetDlgItem(IDC_PRINT), 6);
    GetList()->SetColumnWidth(4, std::max(100, GetList()->width() - 305));
    return true;
}

void CCombineClassListPage::OnCommand(int id)
{
    if (id == IDC_EXPORT) {
        ExportPageWorkbook(this, kCombinedClassExport, true, "合班信息");
        return;
    }
    CBasicDataPage::OnCommand(id);
}

void CCombineClassListPage::InitColumns()
{
    CBasicDataPage::InitColumns();
    ReportList* list = GetList();
    list->InsertColumn(0, "ID", ReportList::Align::Left, 0);
    list->InsertColumn(1, "课程", ReportList::Align::Left, 160);
    list->InsertColumn(2, "教师", ReportList::Align::Left, 70);
    list->InsertColumn(3, "类型", ReportList::Align::Left, 50);
    list->InsertColumn(4, "班级列表", ReportList::Align::Left, 300);
    CScheduleTask* task = Task();
    if (!task)
        return;
    for (const CCombineClass* group : ObjectsInOrder<CCombineClass>(task->GetCombineCourseList())) {
        const std::vector<std::string>& ids = group->GetCombineCourse();
        // A group of one plan, or of a plan that is gone, is no combined class: dropped at the next save.
        if (ids.size() < 2 || !std::all_of(ids.begin(), ids.end(), [&](const std::string& id) { return task->FindCourse(id); }))
            continue;
        CCombineClass* copy = group->Clone();
        const int row = list->InsertItem(list->GetItemCount(), copy->GetId(), reinterpret_cast<std::uintptr_t>(copy));
        ShowGroup(row, *copy);
    }
}

void CCombineClassListPage::ShowGroup(int row, const CCombineClass& group)
{
    CScheduleTask* task = Task();
    CCourseInfo* first = group.GetCombineCourse().empty() ? nullptr : task->FindCourse(group.GetCombineCourse().front());
    if (!first)
        return;
    ReportList* list = GetList();
    list->SetItemText(row, 1, task->GetSubjectName(first->GetSubjectId()));
    list->SetItemText(row, 2, task->GetAllTeacherName(first, true, false));
    list->SetItemText(row, 3, GetCourseKindName(first->GetType()));
    list->SetItemText(row, 4, DescribeClassesOfCourse(task, &group));
}

std::vector<std::string> CCombineClassListPage::CombinedIds(int exceptRow) const
{
    std::vector<std::string> ids;
    for (int row = 0; row < GetList()->GetItemCount(); ++row) {
        const auto* group = GetList()->GetItemPtr<CCombineClass>(row);
        if (row != exceptRow && group)
            ids.insert(ids.end(), group->GetCombineCourse().begin(), group->GetCombineCourse().end());
    }
    return ids;
}

zem::LRESULT CCombineClassListPage::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    if (message == WM_PAGE_ROW)
        return OnCombineRow(zem::FromWParam<CPageNotify>(wParam), zem::FromLParam<const CPageRow>(lParam));
    return CBasicDataPage::WindowProc(message, wParam, lParam);
}

bool CCombineClassListPage::ResolveByName(const CPageRow& cells, CPageNotify& notify, std::vector<std::string>& courseIds)
{
    CScheduleTask* task = Task();
    if (cells.size() < 4)
        return Refuse(&notify, zem::Format("只有%d列数据。请参考导入界面，至少应提供%d列数据", static_cast<int>(cells.size()), 4),
                      true);
    const std::string subjectName(zem::Trim(cells[0]));
    const std::string teacherName(zem::Trim(cells[1]));
    const std::string subjectId = IdByImportedName(task->GetSubjectInfoList(), subjectName);
    if (subjectId.empty())
        return Refuse(&notify, zem::Format("%s不存在: %s", "课程", subjectName.c_str()), true);
    const std::string teacherId = IdByImportedName(task->GetTeacherInfoList(), teacherName);
    if (teacherId.empty())
        return Refuse(&notify, zem::Format("%s不存在: %s", "教师", teacherName.c_str()), true);

    std::vector<std::string> separators{",", "，", "、", ";", "；", "\r\n", "\n", "\r"};
    std::vector<std::string> classNames;
    SplitNameList(cells[3], separators, &classNames, true);
    std::vector<std::string> classIds;
    std::vector<std::string> uniqueNames;
    for (const std::string& name : classNames) {
        const std::string id = IdByImportedName(task->GetClassInfoList(), name);
        if (id.empty())
            return Refuse(&notify, zem::Format("%s不存在: %s", "班级", name.c_str()), true);
        if (std::find(classIds.begin(), classIds.end(), id) == classIds.end()) {
            classIds.push_back(id);
            uniqueNames.push_back(name);
        }
    }
    if (classIds.size() < 2)
        return Refuse(&notify,
                      zem::Format("合班的班级数量应不少于2个，该行只指定了%d个: %s", static_cast<int>(classIds.size()),
                                  cells[3].c_str()),
                      true);

    const int kind = ParseCourseKind(std::string(zem::Trim(cells[2])));
    std::map<std::string, std::vector<CCourseInfo*>> candidates;  // class id -> its plans
    std::map<std::string, std::vector<CCourseInfo*>> otherTeachers;
    for (CCourseInfo* plan : PlansOfKind(*task, kind))
        if (plan->GetType() == kind && plan->GetSubjectId() == subjectId &&
            std::find(classIds.begin(), classIds.end(), plan->GetClassId()) != classIds.end())
            (plan->GetTeacherId() == teacherId ? candidates : otherTeachers)[plan->GetClassId()].push_back(plan);
    // The row names one teacher, as the export writes the first plan's: a class the teacher does
    // not teach the subject takes its plans of the subject by its own teachers.
    for (const std::string& classId : classIds)
        if (candidates[classId].empty())
            candidates[classId] = otherTeachers[classId];
    const std::string kindText = kind == COURSE_TYPE_PLAN ? "教学计划" : GetCourseKindName(kind);
    for (std::size_t i = 0; i < classIds.size(); ++i)
        if (candidates[classIds[i]].empty())
            return Refuse(&notify,
                          zem::Format("相关班级的%s不存在: \n%s %s %s\n\n请检查第2页基本数据维护中的%s列表", kindText.c_str(),
                                      subjectName.c_str(), teacherName.c_str(), uniqueNames[i].c_str(), kindText.c_str()),
                          true);

    // One plan of each class, all with the first class's plan's weekly count.
    for (const CCourseInfo* plan : candidates[classIds.front()]) {
        std::vector<std::string> ids{plan->GetId()};
        for (std::size_t i = 1; i < classIds.size(); ++i) {
            for (const CCourseInfo* other : candidates[classIds[i]])
                if (other->GetWeekCount() == plan->GetWeekCount()) {
                    ids.push_back(other->GetId());
                    break;
                }
        }
        if (ids.size() == classIds.size()) {
            courseIds = ids;
            return true;
        }
    }
    std::string message = "指定班级的相关计划周课时数不完全一致，不能合班：";
    for (const std::string& classId : classIds)
        for (const CCourseInfo* plan : candidates[classId])
            message += "\n" + task->GetCourseDesc(plan) + " 周课时数：" + plan->GetWeekCount().ToString();
    return Refuse(&notify, message, true);
}

bool CCombineClassListPage::CheckGroup(const std::vector<std::string>& courseIds, int ownRow, CPageNotify& notify)
{
    CScheduleTask* task = Task();
    std::vector<const CCourseInfo*> plans;
    for (const std::string& id : courseIds)
        plans.push_back(task->FindCourse(id));
    // Taught together, the plans must have the same number of lessons.
    const bool countsAgree = std::all_of(plans.begin(), plans.end(), [&](const CCourseInfo* plan) {
        return plan->GetWeekCount() == plans.front()->GetWeekCount();
    });
    if (!countsAgree) {
        std::string message = "指定班级的相关计划周课时数不完全一致，不能合班：";
        for (const CCourseInfo* plan : plans)
            message += "\n" + task->GetCourseDesc(plan) + " 周课时数：" + plan->GetWeekCount().ToString();
        return Refuse(&notify, message, true);
    }
    // A plan belongs to one combined class at most.
    ReportList* list = GetList();
    for (int row = 0; row < list->GetItemCount(); ++row) {
        const auto* group = list->GetItemPtr<CCombineClass>(row);
        if (row == ownRow || !group)
            continue;
        for (const std::string& id : courseIds) {
            if (!group->HasCourse(id))
                continue;
            list->ClearSelectedRows();
            list->SetSelected(row, true);
            list->EnsureVisible(row);
            return Refuse(&notify, "该教学计划已经存在合班设置：\n" + task->GetCourseDesc(id), true);
        }
    }
    return true;
}

zem::LRESULT CCombineClassListPage::OnCombineRow(CPageNotify* notify, const CPageRow* cells)
{
    CScheduleTask* task = Task();
    if (!notify || !cells || !GetList() || !task)
        return -1;
    notify->accepted = false;
    std::vector<std::string> courseIds;
    if (notify->byName) {
        if (!ResolveByName(*cells, *notify, courseIds))
            return -1;
    } else {
        for (const std::string& cell : *cells) {
            const std::string id(zem::Trim(cell));
            if (!id.empty() && !StringArrayContainsNoCase(courseIds, id))
                courseIds.push_back(id);
        }
    }
    // Only plans of the task make a group, and only two or more of them.
    if (courseIds.size() < 2 ||
        !std::all_of(courseIds.begin(), courseIds.end(), [&](const std::string& id) { return task->FindCourse(id); }))
        return -1;
    const int selected = GetList()->GetFirstSelected();
    const bool replace = notify->replace != 0 && selected >= 0;
    if (!CheckGroup(courseIds, replace ? selected : -1, *notify))
        return -1;

    notify->accepted = true;
    ReportList* list = GetList();
    int row = selected;
    CCombineClass* group = replace ? list->GetItemPtr<CCombineClass>(row) : nullptr;
    if (!group) {
        group = new CCombineClass;
        group->SetId(NewGuidString());
        row = list->InsertItem(list->GetItemCount(), group->GetId(), reinterpret_cast<std::uintptr_t>(group));
    }
    group->GetCombineCourse() = courseIds;
    ShowGroup(row, *group);
    list->ClearSelectedRows();
    list->SetSelected(row, true);
    list->EnsureVisible(row);
    SetModified(true);
    UpdateStatus();
    UpdateButtons();
    return 0;
}

void CCombineClassListPage::Add()
{
    CCombinedClassPlanDlg picker(this);
    picker.SetTitle("添加合班课程");
    picker.m_okText = "添加";
    picker.m_cancelText = "关闭";
    picker.m_singleSelection = false;
    picker.m_combinedIds = CombinedIds(-1);
    picker.m_page = this;
    picker.DoModal();
}

void CCombineClassListPage::Edit()
{
    const int row = GetList()->GetFirstSelected();
    const auto* group = row >= 0 ? GetList()->GetItemPtr<CCombineClass>(row) : nullptr;
    if (!group)
        return;
    CCombinedClassPlanDlg picker(this);
    picker.SetTitle("修改合班课程");
    picker.m_okText = "修改";
    picker.m_singleSelection = false;
    picker.m_combinedIds = CombinedIds(row);
    picker.m_preChecked = group->GetCombineCourse();
    picker.m_showChosenAtStart = true;
    picker.m_closeAfterAdd = true;
    picker.m_page = this;
    picker.DoModal();
}

void CCombineClassListPage::Sort()
{
    QWidget* button = GetDlgItem(IDC_SORT);
    const QPoint corner = button ? button->mapToGlobal(QPoint(0, button->height())) : QPoint();
    const int chosen = zem::gui::TrackPopupMenu(
        this, {{ID_SORT_BY_COURSE, "按课程排序"}, {ID_SORT_BY_TEACHER, "按教师排序"}}, {corner.x(), corner.y()});
    if (chosen != ID_SORT_BY_COURSE && chosen != ID_SORT_BY_TEACHER)
        return;
    m_sortColumn = chosen == ID_SORT_BY_COURSE ? 1 : 2;
    CBasicDataPage::Sort();
}

bool CCombineClassListPage::Save()
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    BeginStore(CChangeCheck::Plans::Kept);
    CCombineClassList& groups = task->GetCombineCourseList();
    groups.RemoveAll();
    for (int row = 0; row < GetList()->GetItemCount(); ++row) {
        const auto* group = GetList()->GetItemPtr<CCombineClass>(row);
        if (!group)
            continue;
        CCombineClass* copy = group->Clone();
        copy->SetIndex(row);
        groups.Add(copy);
    }
    groups.ReBuildCourseMap();
    m_deletedIds.clear();
    return CBasicDataPage::Save();
}
