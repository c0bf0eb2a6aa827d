#include "app/data/CoursePresetPage.h"

#include "app/shared/AppServices.h"
#include "app/controls/CoursePlanPickerDlg.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "app/controls/TimeSlotPickerDlg.h"
#include "app/shared/Vocabulary.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/ReportList.h"

#include <algorithm>

using zem::gui::ReportList;

namespace {

CScheduleTask* Task()
{
    return AppServices().GetTask();
}

// The plan as the helper describes it: class, subject and teacher.
std::string Description(const CCourseInfo* plan)
{
    return Task()->GetCourseDesc(plan);
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\r\n") + line;
    return text;
}

bool SameSlot(const tagTABLE_NODE& a, const tagTABLE_NODE& b)
{
    return a.day == b.day && a.segment == b.segment && a.section == b.section;
}

const char* const kSaveAnyway = "\r\n\r\n点击“确定”按钮继续保存\r\n点击“取消”按钮取消保存，去检查相关数据";

}  // namespace

CCoursePresetPage::CCoursePresetPage(QWidget* parent) : CListBaseDlg(parent)
{
    m_title = "预排课";
    m_gradeOrderSort = true;
    SetOption(false);
}

bool CCoursePresetPage::OnInitDialog()
{
    if (!CListBaseDlg::OnInitDialog())
        return false;
    GetList()->SetColumnWidth(2, std::max(200, GetList()->width() - 275));
    return true;
}

void CCoursePresetPage::InitColumns()
{
    CListBaseDlg::InitColumns();
    ReportList* list = GetList();
    list->InsertColumn(0, "ID", ReportList::Align::Left, 0);
    list->InsertColumn(1, "教学计划", ReportList::Align::Left, 250);
    list->InsertColumn(2, "预先安排在", ReportList::Align::Left, 400);
    CScheduleTask* task = Task();
    if (!task)
        return;
    for (const CCoursePreset* entry : ObjectsInOrder<CCoursePreset>(task->GetCoursePresetList())) {
        const CCourseInfo* plan = task->FindCourse(entry->GetId());
        if (!plan)
            continue;  // the plan is gone: the entry goes at the next save
        CCoursePreset* copy = entry->Clone();
        copy->SetName(Description(plan));
        const int row = list->InsertItem(list->GetItemCount(), copy->GetId(), reinterpret_cast<std::uintptr_t>(copy));
        ShowEntry(row, *copy);
    }
}

void CCoursePresetPage::ShowEntry(int row, const CCoursePreset& entry)
{
    GetList()->SetItemText(row, 1, entry.GetName());
    const bool namesWeek = !Task() || Task()->GetSchoolStructure().NamesWeeks();
    GetList()->SetItemText(row, 2, entry.GetAllFixedTimeWithPopularWord(namesWeek));
}

int CCoursePresetPage::FindRow(const std::string& planId) const
{
    for (int row = 0; row < GetList()->GetItemCount(); ++row)
        if (GetList()->GetItemText(row, 0) == planId)
            return row;
    return -1;
}

void CCoursePresetPage::PreparePicker(CTimeSlotPickerDlg& picker, const CCourseInfo& plan, const std::string& subject,
                                      const std::string& teacher)
{
    picker.m_labelMode = true;
    picker.m_labelText = MakeCellKey(subject, teacher);
    std::vector<int> segments;
    AddSegmentsOfCourseKind(plan.GetType(), &segments);
    picker.SetAllowedSlots(segments);
}

void CCoursePresetPage::Add()
{
    CScheduleTask* task = Task();
    if (!task)
        return;
    CPresetPlanPickerDlg plans(this);
    plans.SetTitle("选择预排的教学计划");
    plans.m_singleSelection = false;
    if (plans.DoModal() != zem::IDOK || plans.GetChosenCount() == 0)
        return;
    const std::vector<CCourseInfo*> chosen = plans.GetChosenPlans();
    const CCourseInfo* first = chosen.front();
    if (chosen.size() == 1) {
        if (const int row = FindRow(first->GetId()); row >= 0) {
            GetList()->ClearSelectedRows();
            GetList()->SetSelected(row, true);
            GetList()->EnsureVisible(row);
            Edit();
            return;
        }
    }

    // Several plans share one set of slots: the one with the fewest lessons bounds it.
    const CCourseInfo* reference = first;
    bool otherSubject = false;
    bool otherTeacher = false;
    for (const CCourseInfo* plan : chosen) {
        if (plan->GetWeekCount().GetWholeCount() < reference->GetWeekCount().GetWholeCount())
            reference = plan;
        otherSubject = otherSubject || plan->GetSubjectId() != first->GetSubjectId();
        otherTeacher = otherTeacher || plan->GetTeacherId() != first->GetTeacherId();
    }
    const bool group = chosen.size() > 1;
    std::string subject = task->GetSubjectName(reference->GetSubjectId());
    std::string teacher = task->GetTeacherName(reference->GetTeacherId());
    std::string description = Description(reference);
    if (group) {
        subject += otherSubject ? "等" : "";
        teacher += otherTeacher ? "等" : "";
        description = zem::Format("%s 等 %d 个教学计划", description.c_str(), static_cast<int>(chosen.size()));
    }

    CTimeSlotPickerDlg marks(this);
    marks.SetTitle("预排 " + description);
    PreparePicker(marks, *first, subject, teacher);
    marks.SetLessonLimit(reference->GetWeekCount(), group);
    if (marks.DoModal() != zem::IDOK)
        return;

    ReportList* list = GetList();
    list->ClearSelectedRows();
    for (const CCourseInfo* plan : chosen) {
        if (const int old = FindRow(plan->GetId()); old >= 0)
            DeleteRow(old);
        auto* entry = new CCoursePreset;
        entry->SetId(plan->GetId());
        entry->SetName(Description(plan));
        entry->ReadFixedTimeFromTable(&marks.m_marks);
        const int row = list->InsertItem(list->GetItemCount(), entry->GetId(), reinterpret_cast<std::uintptr_t>(entry));
        ShowEntry(row, *entry);
        list->SetSelected(row, true);
        list->EnsureVisible(row);
    }
    SetModified(true);
    UpdateStatus();
    UpdateButtons();
}

void CCoursePresetPage::Edit()
{
    CScheduleTask* task = Task();
    const int row = GetList()->GetFirstSelected();
    auto* entry = row >= 0 ? GetList()->GetItemPtr<CCoursePreset>(row) : nullptr;
    const CCourseInfo* plan = entry && task ? task->FindCourse(entry->GetId()) : nullptr;
    if (!plan)
        return;
    CTimeSlotPickerDlg marks(this);
    marks.SetTitle("预排 " + Description(plan));
    PreparePicker(marks, *plan, task->GetSubjectName(plan->GetSubjectId()), task->GetTeacherName(plan->GetTeacherId()));
    marks.SetLessonLimit(plan->GetWeekCount(), false);
    entry->DisableFixedTimeToTable(&marks.m_marks);
    if (marks.DoModal() != zem::IDOK)
        return;
    entry->ReadFixedTimeFromTable(&marks.m_marks);
    ShowEntry(row, *entry);
    SetModified(true);
}

bool CCoursePresetPage::AskToSave(const std::string& text)
{
    zem::MessageRequest request;
    request.text = text;
    request.icon = zem::MessageIcon::Warning;
    request.buttons = zem::MessageButtons::OkCancel;
    return zem::ShowMessage(request) == zem::IDOK;
}

bool CCoursePresetPage::ValidateEntries()
{
    CScheduleTask* task = Task();
    if (!task)
        return false;
    struct Row {
        const CCourseInfo* plan;
        const CCoursePreset* entry;
    };
    std::vector<Row> rows;
    for (int row = 0; row < GetList()->GetItemCount(); ++row) {
        const auto* entry = GetList()->GetItemPtr<CCoursePreset>(row);
        const CCourseInfo* plan = entry ? task->FindCourse(entry->GetId()) : nullptr;
        if (plan)
            rows.push_back({plan, entry});
    }
    const CCombineClassList& combined = task->GetCombineCourseList();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CCourseInfo* pi = rows[i].plan;
        const std::vector<tagTABLE_NODE>& si = rows[i].entry->GetNodeList();
        for (std::size_t j = i + 1; j < rows.size(); ++j) {
            const CCourseInfo* pj = rows[j].plan;
            if (pj->GetId() == pi->GetId())
                continue;
            const bool sameClass = pi->GetClassId() == pj->GetClassId();
            if (!sameClass && pi->GetTeacherId() != pj->GetTeacherId())
                continue;
            const std::vector<tagTABLE_NODE>& sj = rows[j].entry->GetNodeList();
            auto shared = std::find_if(si.begin(), si.end(), [&](const tagTABLE_NODE& a) {
                return std::any_of(sj.begin(), sj.end(), [&](const tagTABLE_NODE& b) { return SameSlot(a, b); });
            });
            if (shared == si.end())
                continue;
            const CCombineClass* group = combined.FindByCourse(pi->GetId());
            const char* reason = sameClass ? "同一班级的多个教学计划不能预排在同一时间"
                                 : group && group == combined.FindByCourse(pj->GetId())
                                     ? "合班课程只需指定其中一个"
                                     : "同一教师的多个教学计划不能预排在同一时间";
            return AskToSave(zem::Format("%s （时间：%s）\r\n%s\r\n%s", reason, task->GetTimeNodeDesc(&*shared).c_str(),
                                         task->GetCourseDesc(pi).c_str(), task->GetCourseDesc(pj).c_str()) +
                             kSaveAnyway);
        }

        const std::string& roomId = pi->GetSpecialRoomId();
        const CRoomInfo* room = roomId.empty() ? nullptr : task->GetRoom(roomId);
        if (!room)
            continue;
        for (const tagTABLE_NODE& slot : si) {
            std::vector<std::string> ids;
            for (std::size_t j = i + 1; j < rows.size(); ++j)
                if (rows[j].plan->GetSpecialRoomId() == roomId && rows[j].entry->IsFixedTime(slot))
                    ids.push_back(rows[j].plan->GetId());
            if (ids.empty())
                continue;
            ids.insert(ids.begin(), pi->GetId());
            // A combined class sits in the room as one class.
            for (std::size_t k = 0; k < ids.size(); ++k) {
                const CCombineClass* group = task->GetCC(ids[k]);
                if (!group)
                    continue;
                ids.erase(std::remove_if(ids.begin() + static_cast<std::ptrdiff_t>(k) + 1, ids.end(),
                                         [&](const std::string& id) { return StringArrayContainsNoCase(group->GetCombineCourse(), id); }),
                          ids.end());
            }
            const int capacity = static_cast<int>(room->GetCapacity());
            if (static_cast<int>(ids.size()) <= capacity)
                continue;
            std::vector<std::string> others;
            for (std::size_t k = 1; k < ids.size(); ++k)
                others.push_back(task->GetCourseDesc(ids[k]));
            return AskToSave(zem::Format("%s 在同一时间（%s）的预排课超出可容纳的班级数量 %d\r\n%s\r\n%s",
                                         room->GetName().c_str(), task->GetTimeNodeDesc(&slot).c_str(),
                                         capacity, task->GetCourseDesc(pi).c_str(),
                                         JoinLines(others).c_str()) +
                             kSaveAnyway);
        }
    }
    return true;
}

bool CCoursePresetPage::Save()
{
    CScheduleTask* task = Task();
    if (!task || !ValidateEntries())
        return false;
    // No check of the timetables: a preset is what the next run places, so they need not hold it
    // yet, and the page asked about its conflicts itself.
    CZemObjectList& presets = task->GetCoursePresetList();
    presets.RemoveAll();
    for (int row = 0; row < GetList()->GetItemCount(); ++row) {
        const auto* entry = GetList()->GetItemPtr<CCoursePreset>(row);
        if (!entry || !task->FindCourse(entry->GetId()))
            continue;
        CCoursePreset* copy = entry->Clone();
        copy->SetIndex(row);
        presets.Add(copy);
    }
    m_deletedIds.clear();
    return CListBaseDlg::Save();
}
