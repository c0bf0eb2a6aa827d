#include "app/controls/CoursePlanPickerDlg.h"

#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/controls/PageNotify.h"
#include "app/shared/Pinyin.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/SchoolStructure.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/ReportList.h"

using zem::gui::ReportList;
using Align = ReportList::Align;

namespace {

void ShowWarning(const std::string& text)
{
    zem::ShowMessage(text, "提示", zem::MessageIcon::Warning);
}

}  // namespace

// ---- CCoursePlanPickerDlg ----

CCoursePlanPickerDlg::CCoursePlanPickerDlg(QWidget* parent) : CSearchListDlg(parent) {}

bool CCoursePlanPickerDlg::OnInitDialog()
{
    m_task = AppServices().GetTask();
    m_plans.clear();
    if (m_task) {
        std::vector<CZemObject*> ordered, selfStudies, classes;
        MapToOrderedList(m_task->GetCourseInfoList(), ordered);
        MapToOrderedList(m_task->GetSelfStudyInfoList(), selfStudies);
        ordered.insert(ordered.end(), selfStudies.begin(), selfStudies.end());
        // Grouped by class in class order; a plan of no listed class is not offered.
        MapToOrderedList(m_task->GetClassInfoList(), classes);
        for (const CZemObject* cls : classes)
            for (CZemObject* object : ordered) {
                auto* plan = static_cast<CCourseInfo*>(object);
                if (plan->GetClassId() == cls->GetId())
                    m_plans.push_back(plan);
            }
    }

    CSearchListDlg::OnInitDialog();
    m_list->SetSingleSelection(true);
    m_list->onCheckChanged = [this](int, bool) {
        if (!m_updating)
            UpdateCaption();
    };
    m_list->onDoubleClick = [this](int) {
        if (m_singleSelection)
            OnOK();
    };
    if (!m_singleSelection)
        ShowCheckButtons();

    PrepareRows();
    FillList(m_searchText);
    if (!m_preChecked.empty()) {
        m_updating = true;
        for (int row = 0; row < m_list->GetItemCount(); ++row) {
            const CCourseInfo* plan = GetRowPlan(row);
            if (plan && StringArrayContainsNoCase(m_preChecked, plan->GetId())) {
                m_list->SetCheck(row, true);
                m_list->EnsureVisible(row);
            }
        }
        m_updating = false;
        UpdateCaption();
    }
    if (m_showChosenAtStart && !m_checked.empty())
        FillList(kSelectedFilter);
    return true;
}

void CCoursePlanPickerDlg::InitList()
{
    struct Column {
        const char* title;
        int width;
        Align align;
    };
    static constexpr Column kColumns[] = {{"班级", 140, Align::Left},   {"课程", 125, Align::Left},
                                          {"教师", 88, Align::Left},    {"类型", 48, Align::Center},
                                          {"主/副课", 60, Align::Center}, {"周课时数", 60, Align::Center},
                                          {"连课", 40, Align::Center},  {"指定教室", 60, Align::Left}};
    for (const Column& column : kColumns)
        m_list->InsertColumn(m_list->GetColumnCount(), column.title, column.align, column.width);
}

bool CCoursePlanPickerDlg::RowMatches(CCourseInfo* plan, const std::string& filter, CScheduleTask* task)
{
    if (filter.empty())
        return true;
    // Only the plan's own teacher: the further teachers shown in the table are not searched.
    const std::string text = zem::Format(
        "%s %s %s %s %s %s %d %s", task->GetClassNameA(plan->GetClassId()).c_str(),
        task->GetSubjectName(plan->GetSubjectId()).c_str(), task->GetTeacherName(plan->GetTeacherId()).c_str(),
        GetCourseKindName(plan->GetType()).c_str(), plan->IsMainCourse() ? "主课" : "副课",
        plan->GetWeekCount().ToString().c_str(), plan->GetContinuousNodes(),
        task->GetRoomName(plan->GetSpecialRoomId()).c_str());
    return PinyinMatch(text, filter);
}

int CCoursePlanPickerDlg::InsertRow(CCourseInfo* plan, CScheduleTask* task)
{
    const int row = m_list->InsertItem(m_list->GetItemCount(), task->GetClassNameA(plan->GetClassId()),
                                       reinterpret_cast<std::uintptr_t>(plan));
    m_list->SetItemText(row, 1, task->GetSubjectName(plan->GetSubjectId()));
    m_list->SetItemText(row, 2, task->GetAllTeacherName(plan, true, false));
    m_list->SetItemText(row, 3, GetCourseKindName(plan->GetType()));
    m_list->SetItemText(row, 4, plan->IsMainCourse() ? "主课" : "副课");
    m_list->SetItemText(row, 5, plan->GetWeekCount().ToString());
    m_list->SetItemText(row, 6, IntToString(plan->GetContinuousNodes()));
    m_list->SetItemText(row, 7, task->GetRoomName(plan->GetSpecialRoomId()));
    return row;
}

CCourseInfo* CCoursePlanPickerDlg::GetRowPlan(int row)
{
    return m_list->GetItemPtr<CCourseInfo>(row);
}

void CCoursePlanPickerDlg::FillList(const std::string& filter)
{
    if (!m_list)
        return;
    m_updating = true;
    m_list->setUpdatesEnabled(false);
    m_list->DeleteAllItems();
    for (CCourseInfo* plan : m_plans) {
        if (!m_classFilter.empty() && !zem::EqualsNoCase(plan->GetClassId(), m_classFilter))
            continue;
        if (m_onlyHalfLessons && !plan->GetWeekCount().HasHalfNode())
            continue;
        const bool checked = m_checked.count(plan->GetId()) != 0;
        if (filter == kSelectedFilter ? !checked : !RowMatches(plan, filter, m_task))
            continue;
        const int row = InsertRow(plan, m_task);
        if (row >= 0 && checked)
            m_list->SetCheck(row, true);
    }
    m_list->setUpdatesEnabled(true);
    m_updating = false;
}

void CCoursePlanPickerDlg::UpdateCaption()
{
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        const CCourseInfo* plan = GetRowPlan(row);
        if (!plan)
            continue;
        if (m_list->GetCheck(row))
            m_checked.insert(plan->GetId());
        else
            m_checked.erase(plan->GetId());
    }
    SetCaption(zem::Format("%s - 已选 %d 项", m_caption.c_str(), static_cast<int>(m_checked.size())));
}

void CCoursePlanPickerDlg::CheckAllListed(bool checked)
{
    m_updating = true;
    for (int row = 0; row < m_list->GetItemCount(); ++row)
        m_list->SetCheck(row, checked);
    m_updating = false;
    UpdateCaption();
}

void CCoursePlanPickerDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_CHECK_ALL: CheckAllListed(true); break;
    case IDC_CHECK_NONE: CheckAllListed(false); break;
    case IDC_SHOW_SELECTED: FillList(kSelectedFilter); break;
    default: CSearchListDlg::OnCommand(id); break;
    }
}

void CCoursePlanPickerDlg::OnOK()
{
    m_chosen.clear();
    if (m_singleSelection) {
        const int row = m_list->GetFirstSelected();
        CCourseInfo* plan = row >= 0 ? GetRowPlan(row) : nullptr;
        if (!plan) {
            ShowMessage("请选择教学计划");
            return;
        }
        m_chosen.push_back(plan);
    } else {
        UpdateCaption();
        for (CCourseInfo* plan : m_plans)
            if (m_checked.count(plan->GetId()))
                m_chosen.push_back(plan);
        if (m_chosen.empty()) {
            ShowMessage("请勾选要选择的教学计划");
            return;
        }
        if (m_sameKindRequired) {
            for (std::size_t i = 1; i < m_chosen.size(); ++i) {
                if (m_chosen[i]->GetType() != m_chosen[i - 1]->GetType()) {
                    m_chosen.clear();
                    ShowMessage("选中的教学计划不是同一类型");
                    return;
                }
            }
        }
    }
    if (ValidateSelection())
        OnConfirm();
}

// ---- CCombinedClassPlanDlg ----

CCombinedClassPlanDlg::CCombinedClassPlanDlg(QWidget* parent)
    : CCoursePlanPickerDlg(parent), m_page(dynamic_cast<zem::MessageTarget*>(parent))
{
}

bool CCombinedClassPlanDlg::ValidateSelection()
{
    if (m_chosen.size() <= 1) {
        ShowMessage("请选择两个以上的班级进行合班编排");
        return false;
    }
    for (const CCourseInfo* plan : m_chosen) {
        if (StringArrayContainsNoCase(m_combinedIds, plan->GetId())) {
            ShowMessage(zem::Format("%s 已在合班列表中存在", m_task->GetCourseDesc(plan).c_str()));
            return false;
        }
    }
    const CCourseInfo* first = m_chosen.front();
    for (std::size_t i = 1; i < m_chosen.size(); ++i) {
        const CCourseInfo* plan = m_chosen[i];
        const char* reason = nullptr;
        if (!zem::EqualsNoCase(plan->GetTeacherId(), first->GetTeacherId()))
            reason = "教师名称不相同";
        else if (plan->GetSubjectId() != first->GetSubjectId())
            reason = "课程名称不相同";
        else if (plan->GetWeekCount() != first->GetWeekCount())
            reason = "周课时数不相同";
        else if (plan->GetType() != first->GetType())
            reason = "课程类型不相同";
        else if (plan->GetClassId() == first->GetClassId())
            reason = "班级名称相同";
        if (reason) {
            ShowMessage(std::string("合班课程必须是相同教师，相同课程，相同课时，相同类型，不同班级的教学计划。\n\n"
                                    "错误原因：您选择的教学计划 ") +
                        reason);
            return false;
        }
    }
    return true;
}

void CCombinedClassPlanDlg::OnConfirm()
{
    CPageRow cells;
    for (const CCourseInfo* plan : m_chosen)
        cells.push_back(plan->GetId());
    CPageNotify notify;
    notify.replace = m_closeAfterAdd ? 1 : 0;
    // A group the page refused is not added: the page said why, and the ticks stay for a correction.
    if (zem::SendMessage(m_page, WM_PAGE_ROW, zem::ToWParam(&notify), zem::ToLParam(&cells)) != 0 || !notify.accepted)
        return;
    if (m_closeAfterAdd) {
        EndDialog(zem::IDOK);
        return;
    }
    ShowMessage("添加完成");
    m_combinedIds.insert(m_combinedIds.end(), cells.begin(), cells.end());
    m_checked.clear();
    CheckAllListed(false);
}

// ---- CPlanPairPickerDlg ----

bool CPlanPairPickerDlg::ValidateSelection()
{
    CTaskHelper helper(m_task);
    CCourseInfo* first = nullptr;
    CCourseInfo* clash = nullptr;
    tagTABLE_NODE clashAt;
    ForEachSlot(m_task->GetSchoolStructure(), [&](const tagTABLE_NODE& node) {
        first = nullptr;
        for (CCourseInfo* plan : m_chosen) {
            if (!plan->GetTempTable().IsUsed(node))
                continue;
            if (!first) {
                first = plan;
            } else if (plan != first && !helper.IsSameCombinedClass(first, plan) &&
                       !helper.IsOddEvenPair(first, plan, node)) {
                clash = plan;
                clashAt = node;
                return true;
            }
        }
        return false;
    });
    if (!clash)
        return true;
    FillList(kSelectedFilter);
    ShowMessage(zem::Format("您选择的这两个教学计划\r\n%s\r\n%s\r\n\r\n在 %s 都有课，不能同时调整",
                            m_task->GetCourseDesc(first).c_str(), m_task->GetCourseDesc(clash).c_str(),
                            m_task->GetTimeNodeDesc(&clashAt).c_str()));
    return false;
}

// ---- CPresetPlanPickerDlg ----

bool CPresetPlanPickerDlg::ValidateSelection()
{
    CTaskHelper helper(m_task);
    for (std::size_t i = 0; i < m_chosen.size(); ++i) {
        for (std::size_t j = i + 1; j < m_chosen.size(); ++j) {
            const CCourseInfo* a = m_chosen[i];
            const CCourseInfo* b = m_chosen[j];
            const char* reason = nullptr;
            if (a->GetClassId() == b->GetClassId())
                reason = "同一班级的多个教学计划不能预排在同一时间";
            else if (a->GetTeacherId() == b->GetTeacherId())
                reason = helper.IsSameCombinedClass(a, b) ? "合班课程只需指定其中一个"
                                                          : "同一教师的多个教学计划不能预排在同一时间";
            if (reason) {
                ShowMessage(zem::Format("%s\r\n\r\n%s\r\n%s", reason, m_task->GetCourseDesc(a).c_str(),
                                        m_task->GetCourseDesc(b).c_str()));
                return false;
            }
        }
    }
    return true;
}

// ---- CPlanSlotAnalysisDlg ----

CPlanSlotAnalysisDlg::CPlanSlotAnalysisDlg(QWidget* parent) : CCoursePlanPickerDlg(parent)
{
    m_singleSelection = true;
}

CPlanSlotAnalysisDlg::~CPlanSlotAnalysisDlg() = default;

void CPlanSlotAnalysisDlg::FillList(const std::string& filter)
{
    if (!m_list)
        return;
    // The rows go first: they point at the records.
    m_list->DeleteAllItems();
    m_records.clear();
    CCoursePlanPickerDlg::FillList(filter);
}

void CPlanSlotAnalysisDlg::PrepareRows()
{
    if (!m_task)
        return;
    m_caption += " 在" + m_task->GetTimeNodeDesc(m_day, m_segment, m_section);
    SetCaption(m_caption);
    m_list->SetColumnWidth(0, 0);
    m_list->SetColumnWidth(2, 110);
    while (m_list->GetColumnCount() > 4)
        m_list->DeleteColumn(4);
    m_list->InsertColumn(4, "自动分析结果", Align::Left, 330);
    m_class = m_task->GetClass(m_classFilter);
    m_helper = std::make_unique<CTaskHelper>(m_task);
    if (!m_class)
        zem::ShowMessage("获取班级信息失败", "提示", zem::MessageIcon::Error);
}

int CPlanSlotAnalysisDlg::InsertRow(CCourseInfo* plan, CScheduleTask* task)
{
    if (!m_class || !SegmentAcceptsCourseKind(m_segment, plan->GetType()))
        return -1;
    auto record = std::make_unique<RowRecord>();
    record->plan = plan;
    CTaskHelper& helper = *m_helper;
    CCourseTable* table = &m_class->GetTempTable();
    const tagTABLE_NODE node{m_day, m_segment, m_section};
    const std::string room = plan->GetSpecialRoomId();
    const bool half = plan->GetWeekCount().HasHalfNode();
    if (helper.CanPlaceCourse(table, node, 0, plan, room))
        record->text = "可以排";
    else if (half && helper.CanPlaceCourse(table, node, 1, plan, room))
        record->text = "单周可以排";
    else if (half && helper.CanPlaceCourse(table, node, 2, plan, room))
        record->text = "双周可以排";
    if (record->text.empty()) {
        record->text = helper.GetText();
        record->rank = 2;
    } else if (helper.IsCourseComplete(plan, table, 0)) {
        record->text += "(已排完)";
        record->rank = 1;
    }

    int row = 0;
    while (row < m_list->GetItemCount() && GetRowRecord(row)->rank <= record->rank)
        ++row;
    row = m_list->InsertItem(row, task->GetClassNameA(plan->GetClassId()), reinterpret_cast<std::uintptr_t>(record.get()));
    m_list->SetItemText(row, 1, task->GetSubjectName(plan->GetSubjectId()));
    m_list->SetItemText(row, 2, task->GetAllTeacherName(plan, true, false));
    m_list->SetItemText(row, 3, GetCourseKindName(plan->GetType()));
    m_list->SetItemText(row, 4, record->text);
    m_records.push_back(std::move(record));
    return row;
}

const CPlanSlotAnalysisDlg::RowRecord* CPlanSlotAnalysisDlg::GetRowRecord(int row) const
{
    return m_list ? m_list->GetItemPtr<RowRecord>(row) : nullptr;
}

CCourseInfo* CPlanSlotAnalysisDlg::GetRowPlan(int row)
{
    const RowRecord* record = GetRowRecord(row);
    return record ? record->plan : nullptr;
}

bool CPlanSlotAnalysisDlg::ValidateSelection()
{
    const RowRecord* record = GetRowRecord(m_list->GetFirstSelected());
    if (!m_class || !record)
        return false;
    if (record->rank == 2) {
        ShowWarning(record->text);
        return false;
    }
    return true;
}
