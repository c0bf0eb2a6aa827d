#include "app/timetable/AdjustWizardBase.h"

#include "app/controls/DialogPlacement.h"
#include "app/shared/AppServices.h"
#include "app/controls/AdjustToolLook.h"
#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/shared/TextBuilders.h"
#include "app/timetable/ChangedTimetableDlg.h"
#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/WeekTableCells.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "app/shared/SaveFailure.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/DC.h"
#include "platform/gui/ModalState.h"

#include <algorithm>
#include <tuple>

using zem::Rect;

namespace {

constexpr int kMargin = 12;
constexpr int kClientWidth = 720;
constexpr int kClientHeight = 440;
constexpr int kStepHeight = 28;
constexpr int kStatusTextOffset = 45;
constexpr zem::COLORREF kOkColor = zem::RGB(34, 139, 34);
constexpr zem::COLORREF kConflictColor = zem::RGB(220, 0, 0);

}  // namespace

CAdjustWizardBase::CAdjustWizardBase(QWidget* parent)
    : Dialog(parent, "教学计划调整", {360, 220}), m_timers([this](int id) { OnTimer(id); })
{
}

CAdjustWizardBase::~CAdjustWizardBase()
{
    // Closing saved the entries; a window ended otherwise still keeps them.
    if (!m_entries.empty() && AppServices().GetTask())
        SaveAdjustmentHistory(m_entries);
}

void CAdjustWizardBase::SetCaptions(const std::string& title, const std::string& step1, const std::string& step2)
{
    m_title = title;
    m_step1 = step1;
    m_step2 = step2;
}

bool CAdjustWizardBase::OnInitDialog()
{
    m_task = AppServices().GetTask();
    SetCaption("教学计划调整 - " + m_title);
    setFixedSize(kClientWidth, kClientHeight);
    const int half = (kClientWidth - 3 * kMargin) / 2;
    const int stepTop = kDialogBandHeight + 10;
    const int tableTop = stepTop + kStepHeight + 6;
    const int tableBottom = kClientHeight - kDialogFooterHeight - 10;
    m_leftFrame = Rect(kMargin, tableTop, kMargin + half, tableBottom);
    m_rightFrame = Rect(2 * kMargin + half, tableTop, kClientWidth - kMargin, tableBottom);

    const int stepBottom = stepTop + kStepHeight;
    AddHoverButton(this, IDC_STEP1, m_step1, Rect(m_leftFrame.left, stepTop, m_leftFrame.left + half, stepBottom));
    AddHoverButton(this, IDC_STEP2, m_step2, Rect(m_rightFrame.left, stepTop, m_rightFrame.left + half, stepBottom));

    CTaskHelper helper(m_task, AppHelperContext());
    for (CWeekTable* grid : {&m_left, &m_right}) {
        grid->Init(this, nullptr);
        CWeekTableCells cells(*grid);
        helper.SetupWeekTable(&cells, nullptr, true);
    }
    Rect inner = m_leftFrame;
    inner.DeflateRect(1);
    SetWidgetRect(&m_left, inner);
    inner = m_rightFrame;
    inner.DeflateRect(1);
    SetWidgetRect(&m_right, inner);

    const int buttonHeight = Units().Y(14);
    SetWidgetSize(AddHoverButton(this, IDC_EXPORT, "导出打印本次变动的课表"), Units().X(110), buttonHeight);
    AddHoverButton(this, IDC_SOLVE, "解决冲突");
    AddHoverButton(this, zem::IDOK, "执行调整")->setDefault(true);
    PlaceButtonRow(this, kClientHeight - kDialogFooterHeight + (kDialogFooterHeight - buttonHeight) / 2, {},
                   {IDC_EXPORT, IDC_SOLVE, zem::IDOK});
    EnableItem(IDC_SOLVE, false);
    EnableItem(zem::IDOK, false);
    EnableItem(IDC_EXPORT, false);
    const int exportLeft = GetDlgItem(IDC_EXPORT)->x();
    m_statusRect = Rect(kMargin, kClientHeight - kDialogFooterHeight, exportLeft - 8, kClientHeight);

    ShowIntro();
    m_timers.SetTimer(kChooseTimer, kChooseDelayMs);
    return true;
}

void CAdjustWizardBase::OnTimer(int id)
{
    if (id != kChooseTimer)
        return;
    m_timers.KillTimer(kChooseTimer);
    // The chooser opens by itself only over the wizard alone, never over a window opened meanwhile.
    if (zem::gui::OtherModalOpen(this))
        return;
    ChoosePlans();
}

void CAdjustWizardBase::OnCommand(int id)
{
    // Whatever the user does first takes the place of the chooser opening by itself.
    m_timers.KillTimer(kChooseTimer);
    switch (id) {
    case IDC_STEP1:
        ChoosePlans();
        return;
    case IDC_STEP2:
        ChooseTarget();
        return;
    case IDC_SOLVE:
        if (IsItemEnabled(IDC_SOLVE))
            SolveConflicts();
        return;
    case IDC_EXPORT:
        if (IsItemEnabled(IDC_EXPORT))
            ShowChangedTimetables(this, m_entries);
        return;
    default:
        Dialog::OnCommand(id);
    }
}

void CAdjustWizardBase::OnCancel()
{
    m_timers.KillAll();
    if (AppServices().GetTask())
        SaveAdjustmentHistory(m_entries);
    Dialog::OnCancel();
}

void CAdjustWizardBase::SetStatusText(const std::string& text, bool conflict)
{
    m_statusText = text;
    m_statusConflict = conflict;
    update();
}

void CAdjustWizardBase::ShowObjectTable(CWeekTable& grid, const CCourseTable* table, int kind)
{
    CTaskHelper helper(m_task, AppHelperContext());
    CWeekTableCells cells(grid);
    cells.Clear();
    if (table)
        helper.FillWeekTable(&cells, table, static_cast<TABLE_TYPE>(kind), false, false, 0, "");
    grid.Refresh();
}

void CAdjustWizardBase::ShowPlansTable()
{
    CTaskHelper helper(m_task, AppHelperContext());
    CWeekTableCells cells(m_left);
    cells.Clear();
    std::vector<const CCourseTable*> tables;
    for (CCourseInfo* plan : m_plans)
        tables.push_back(&plan->GetTable(true));
    if (!tables.empty())
        helper.FillWeekTableEx(&cells, tables, TABLE_TEACHER);
    m_left.Refresh();
}

void CAdjustWizardBase::SetChangedTables(const std::vector<std::string>& ids)
{
    StringArrayAddAllUnique(m_pendingIds, ids);
}

void CAdjustWizardBase::AddHistoryEntry(std::unique_ptr<CAdjustmentEntry> entry)
{
    StringArrayAddAllUnique(entry->ids, m_pendingIds);
    m_pendingIds.clear();
    // The history writer puts the last given first, so the list keeps the order of execution.
    m_entries.push_back(std::move(entry));
}

void CAdjustWizardBase::CountConflicts(int kind, const std::string& same, const std::string& none)
{
    EnableItem(IDC_SOLVE, false);
    EnableItem(zem::IDOK, false);
    CTaskHelper helper(m_task, AppHelperContext());
    CWeekTableCells left(m_left);
    CWeekTableCells right(m_right);
    std::vector<std::string> classes;
    bool allAlready = false;
    m_conflictCount = helper.MarkPlanConflicts(m_plans, &left, m_target, &right, kind, &classes, &allAlready);
    m_left.Refresh();
    m_right.Refresh();
    if (allAlready)
        SetStatusText(same, false);
    else
        ShowConflictCount(m_conflictCount, none);
}

void CAdjustWizardBase::ShowConflictCount(int count, const std::string& none)
{
    EnableItem(zem::IDOK, count == 0);
    EnableItem(IDC_SOLVE, count != 0);
    if (count == 0)
        SetStatusText(none, false);
    else
        SetStatusText(zem::Format("有%d个冲突，您可以单击右侧的“解决冲突”按钮尝试调整", count), true);
}

std::string CAdjustWizardBase::PlansText() const
{
    return m_plans.empty() ? std::string() : DescribeCourses(m_plans.front(), static_cast<int>(m_plans.size()));
}

void CAdjustWizardBase::ShowPlans()
{
    SetDlgItemText(IDC_STEP1, m_plans.empty() ? m_step1 : PlansText());
    ShowPlansTable();
}

void CAdjustWizardBase::PickPlans()
{
    if (!m_task)
        return;
    CPlanPairPickerDlg picker(this);
    if (!ChooseAdjustPlans(picker, "选择要调整的教学计划", m_plans, m_plansChosen))
        return;
    ShowPlans();
    RefreshStatus();
}

CTeacherInfo* CAdjustWizardBase::PickTeacher()
{
    if (!m_task)
        return nullptr;
    CTeacherPickerDlg picker(this);
    if (picker.DoModal() != zem::IDOK)
        return nullptr;
    return dynamic_cast<CTeacherInfo*>(picker.GetSelectedObject());
}

bool CAdjustWizardBase::MayExecute()
{
    if (m_conflictCount >= 1) {
        zem::ShowMessage(kUnsolved);
        return false;
    }
    // The button is off while the change would mean nothing; Enter is not to get past that.
    return IsItemEnabled(zem::IDOK);
}

bool CAdjustWizardBase::Confirm(const std::string& text, bool noByDefault)
{
    zem::MessageRequest question;
    question.text = text;
    question.icon = zem::MessageIcon::Question;
    question.buttons = zem::MessageButtons::YesNo;
    if (noByDefault)
        question.defaultAnswer = zem::IDNO;
    return zem::ShowMessage(question) == zem::IDYES;
}

std::pair<Rect, Rect> CAdjustWizardBase::LowerPreviews(int height)
{
    std::pair<Rect, Rect> freed;
    for (auto [frame, grid, band] : {std::tuple(&m_leftFrame, &m_left, &freed.first),
                                     std::tuple(&m_rightFrame, &m_right, &freed.second)}) {
        *band = Rect(frame->left, frame->top, frame->right, frame->top + height);
        frame->top += height;
        Rect inner = *frame;
        inner.DeflateRect(1);
        SetWidgetRect(grid, inner);
    }
    update();
    return freed;
}

bool CAdjustWizardBase::BackUpTask()
{
    if (m_task && m_task->AutoBackup(true, "教学计划调整前", false)) {
        TakeStateBefore();
        return true;
    }
    zem::ShowMessage("调整前无法备份当前排课任务，教学计划没有调整", "提示", zem::MessageIcon::Error);
    return false;
}

void CAdjustWizardBase::TakeStateBefore()
{
    // The committed timetables are what the working ones start from: the change is made there.
    m_check.emplace(*m_task, false);
    m_staffBefore.clear();
    for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(m_task->GetCourseInfoList()))
        m_staffBefore.push_back({plan, plan->GetTeacherId(), plan->GetRoomParam(), plan->GetRoomStrategy()});
    m_assistantsBefore.clear();
    for (const CCourseAssistant* assistant : ObjectsInOrder<CCourseAssistant>(m_task->GetAssistantList()))
        m_assistantsBefore.emplace_back(assistant->GetId(), assistant->GetAssistants());
    m_entriesBefore = m_entries.size();
}

void CAdjustWizardBase::PutPlansBack()
{
    for (const PlanStaff& staff : m_staffBefore) {
        staff.plan->SetTeacher(staff.teacher);
        staff.plan->SetRoomParam(staff.room);
        staff.plan->SetRoomStrategy(staff.roomStrategy);
    }
    for (const auto& [planId, assistants] : m_assistantsBefore)
        if (CCourseAssistant* assistant = m_task->GetAssistant(planId))
            assistant->GetAssistants() = assistants;
    CTaskHelper(m_task).RestoreTempTables();
    m_entries.resize(m_entriesBefore);
}

bool CAdjustWizardBase::KeepsTheRules()
{
    if (!m_check)
        return true;
    const ChangeFindings findings = m_check->FindingsInWorkingTables();
    m_check.reset();
    if (findings.IsClean())
        return true;
    PutPlansBack();
    SetStatusText(kNotDone, true);
    zem::ShowMessage(RefusedChangeText(findings), "提示", zem::MessageIcon::Warning);
    return false;
}

bool CAdjustWizardBase::CommitAndSave()
{
    if (!KeepsTheRules())
        return false;
    CommitTempTables(*m_task);
    // The timetables only follow the plans: a lesson of a plan that input.xml lacks is dropped on
    // reading, so the plans go first.
    CScheduleTask* task = m_task;
    if (!SaveSayingWhy([task] { return task->SaveInputAndOutput(); }, NotSavedText("教学计划调整"),
                       kCheckTaskFolderReason)) {
        SetStatusText(kNotSaved, true);
        return false;
    }
    SetStatusText(kSuccess, false);
    EnableItem(zem::IDOK, false);
    EnableItem(IDC_EXPORT, true);
    zem::ShowMessage(kSuccess);
    return true;
}

void CAdjustWizardBase::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        const CGdiResources* gdi = CGdiResources::GetInstance();
        PaintAdjustToolBands(dc, client, m_title);
        DrawFramedBox(dc, m_leftFrame, false);
        DrawFramedBox(dc, m_rightFrame, false);
        if (m_statusText.empty())
            return;
        // The status mark: green without a conflict, red with one.
        const int size = 22;
        const int top = m_statusRect.top + (m_statusRect.Height() - size) / 2;
        dc.FillSolidRect(Rect(m_statusRect.left + 8, top, m_statusRect.left + 8 + size, top + size),
                         m_statusConflict ? kConflictColor : kOkColor);
        dc.SelectFont(gdi->NormalFont);
        dc.SetTextColor(zem::RGB(0, 0, 0));
        // A long status (the conflict text) takes two lines of the band.
        Rect text(m_statusRect.left + kStatusTextOffset, m_statusRect.top, m_statusRect.right, m_statusRect.bottom);
        Rect measured = text;
        dc.DrawText(m_statusText, measured, zem::gui::DT_WORDBREAK | zem::gui::DT_EDITCONTROL | zem::gui::DT_CALCRECT);
        text.top += std::max(0, (text.Height() - measured.Height()) / 2);
        dc.DrawText(m_statusText, text, zem::gui::DT_WORDBREAK | zem::gui::DT_EDITCONTROL | zem::gui::DT_LEFT);
    });
}
