#include "app/data/SplitPlanDlg.h"

#include "app/controls/DialogPlacement.h"
#include "app/shared/AppServices.h"
#include "app/controls/AdjustToolLook.h"
#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/controls/SkinHeaderCtrl.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "app/timetable/ChangedTimetableDlg.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"
#include "platform/gui/ReportList.h"

#include <QComboBox>
#include <QLabel>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>

using zem::Rect;
using zem::gui::FromQ;
using zem::gui::ReportList;
using zem::gui::ToQ;

namespace {

constexpr int kMargin = 12;
constexpr int kRowHeight = 20;
constexpr int kClientWidth = 600;
constexpr int kClientHeight = 470;
constexpr const char* kTitle = "拆分教学计划";

// A typed count: its leading whole number, as the field shows it; anything else is 0, which the
// check refuses.
int ParseCount(const std::string& text)
{
    const std::string_view trimmed = zem::Trim(text);
    char* end = nullptr;
    const std::string digits(trimmed);
    const long value = std::strtol(digits.c_str(), &end, 10);
    if (end == digits.c_str())
        return 0;
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

}  // namespace

CSplitPlanDlg::CSplitPlanDlg(QWidget* parent)
    : Dialog(parent, kTitle, {300, 200}),
      m_random(static_cast<std::mt19937::result_type>(std::chrono::steady_clock::now().time_since_epoch().count())),
      m_timers([this](int id) { OnTimer(id); })
{
}

CSplitPlanDlg::~CSplitPlanDlg()
{
    // Closing saved the entries; a window ended otherwise still keeps them.
    if (!m_entries.empty() && AppServices().GetTask())
        SaveAdjustmentHistory(m_entries);
}

bool CSplitPlanDlg::OnInitDialog()
{
    m_task = AppServices().GetTask();
    SetCaption(std::string("教学计划调整 - ") + kTitle);
    setFixedSize(kClientWidth, kClientHeight);
    const auto& u = Units();
    const int buttonHeight = u.Y(14);

    const int chooseTop = kDialogBandHeight + 10;
    AddHoverButton(this, IDC_CHOOSE, "选择要拆分的教学计划",
                   Rect(kMargin, chooseTop, kMargin + u.X(100), chooseTop + buttonHeight));
    const int sentenceTop = kClientHeight - kDialogFooterHeight - 10 - buttonHeight;
    AddSentence(sentenceTop);
    AddPlanList(chooseTop + buttonHeight + 8, sentenceTop - 10);

    SetWidgetSize(AddHoverButton(this, IDC_EXPORT, "导出打印本次变动的课表"), u.X(110), buttonHeight);
    // Until a split changed timetables.
    EnableItem(IDC_EXPORT, false);
    AddHoverButton(this, zem::IDOK, "执行拆分")->setDefault(true);
    PlaceButtonRow(this, kClientHeight - kDialogFooterHeight + (kDialogFooterHeight - buttonHeight) / 2, {IDC_EXPORT}, {zem::IDOK});

    if (m_task)
        m_index = BuildPlanKeyIndex(*m_task);
    m_timers.SetTimer(kChooseTimer, kChooseDelayMs);
    return true;
}

void CSplitPlanDlg::AddSentence(int top)
{
    // 把其中 [position] 的 [count] 节，修改为 [course].
    auto* position = new QComboBox(this);
    for (const char* item : {"随机位置", "一周中靠前", "一周中靠后"})
        position->addItem(ToQ(item));
    position->setCurrentIndex(0);
    auto* count = new QComboBox(this);
    count->setEditable(true);
    for (int n = 1; n <= 5; ++n)
        count->addItem(ToQ(IntToString(n)));
    count->setCurrentIndex(0);
    auto* courses = new QComboBox(this);
    courses->setMaxVisibleItems(15);
    if (m_task)
        for (CZemObject* course : ObjectsInOrder(m_task->GetSubjectInfoList()))
            courses->addItem(ToQ(course->GetName()), ToQ(course->GetId()));
    CWordRow sentence(this, {kMargin, top, Units().Y(14), 6});
    sentence.Words("把其中");
    sentence.Field(IDC_POSITION, position, 110);
    sentence.Words("的");
    sentence.Field(IDC_COUNT, count, 56);
    sentence.Words("节");
    sentence.Words("修改为");
    sentence.Field(IDC_COURSE, courses, 150);
    m_position = kSplitRandom;
    m_count = 1;
    if (courses->count() > 0) {
        courses->setCurrentIndex(courses->count() - 1);
        m_newCourseId = FromQ(courses->currentData().toString());
    }

    QObject::connect(position, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_position = index;
        RefreshPreview();
    });
    // A chosen item and typed text both arrive as the field's text.
    QObject::connect(count, &QComboBox::currentTextChanged, this,
                     [this](const QString& value) { OnCountText(FromQ(value)); });
    QObject::connect(courses, &QComboBox::currentIndexChanged, this, [this, courses](int) {
        m_newCourseId = FromQ(courses->currentData().toString());
        RefreshPreview();
    });
}

void CSplitPlanDlg::AddPlanList(int top, int bottom)
{
    m_list = new ReportList(this);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->SetHeader(new CSkinHeaderCtrl);
    m_list->setShowGrid(true);
    m_list->SetRowHeight(kRowHeight);
    m_list->SetSingleSelection(true);
    m_list->InsertColumn(kRefusedMark, "", ReportList::Align::Left, 0);
    m_list->InsertColumn(kPlan, "教学计划", ReportList::Align::Left, 255);
    m_list->InsertColumn(kKind, "类型", ReportList::Align::Center, 55);
    m_list->InsertColumn(kWeekCount, "周课时数", ReportList::Align::Center, 60);
    m_list->InsertColumn(kReason, "", ReportList::Align::Left, 175);
    m_list->horizontalHeader()->setStretchLastSection(true);
    AddControl(IDC_PLANS, m_list);
    m_listFrame = Rect(kMargin, top, kClientWidth - kMargin, bottom);
    Rect inner = m_listFrame;
    inner.DeflateRect(1);
    SetWidgetRect(m_list, inner);
}

void CSplitPlanDlg::OnTimer(int id)
{
    if (id != kChooseTimer)
        return;
    m_timers.KillTimer(kChooseTimer);
    ChoosePlans();
}

void CSplitPlanDlg::OnCountText(const std::string& text)
{
    m_count = ParseCount(text);
    RefreshPreview();
}

void CSplitPlanDlg::OnCommand(int id)
{
    if (id == IDC_CHOOSE) {
        ChoosePlans();
        return;
    }
    if (id == IDC_EXPORT) {
        if (IsItemEnabled(IDC_EXPORT))
            ShowChangedTimetables(this, m_entries);
        return;
    }
    Dialog::OnCommand(id);
}

void CSplitPlanDlg::ChoosePlans()
{
    if (!m_task)
        return;
    CCoursePlanPickerDlg picker(this);
    if (!ChooseAdjustPlans(picker, "选择要拆分的教学计划", m_plans, m_plansChosen))
        return;
    FillRows();
    RefreshPreview();
}

void CSplitPlanDlg::FillRows()
{
    m_list->DeleteAllItems();
    for (CCourseInfo* plan : m_plans) {
        const int row = m_list->InsertItem(m_list->GetItemCount(), "", reinterpret_cast<std::uintptr_t>(plan));
        m_list->SetItemText(row, kPlan, m_task->GetCourseDesc(plan));
        m_list->SetItemText(row, kKind, GetCourseKindName(plan->GetType()));
        m_list->SetItemText(row, kWeekCount, plan->GetWeekCount().ToString());
    }
}

void CSplitPlanDlg::RefreshPreview()
{
    if (!m_task || !m_list)
        return;
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        const CCourseInfo* plan = m_list->GetItemPtr<CCourseInfo>(row);
        const std::string reason = CheckSplit(*m_task, m_index, *plan, m_count, m_newCourseId);
        m_list->SetItemText(row, kReason, reason);
        m_list->SetItemText(row, kRefusedMark, reason.empty() ? "" : "1");
        m_list->SetItemColors(row, reason.empty() ? ReportList::kDefaultColor : kRefusedColor);
    }
}

void CSplitPlanDlg::OnOK()
{
    if (!m_task)
        return;
    if (m_plans.empty()) {
        ShowMessage("请选择要拆分的教学计划");
        ChoosePlans();
        return;
    }
    RefreshPreview();
    CSplitRequest request;
    request.count = m_count;
    request.newCourseId = m_newCourseId;
    request.position = m_position;
    for (int row = 0; row < m_list->GetItemCount(); ++row)
        if (m_list->GetItemText(row, kRefusedMark).empty())
            request.plans.push_back(m_list->GetItemPtr<CCourseInfo>(row));
    if (request.plans.empty()) {
        ShowMessage("所选的教学计划都不能拆分，原因见列表");
        return;
    }
    const CSplitResult result = SplitPlans(*m_task, m_index, request, m_random, m_entries);
    if (result.splitPlans == 0)
        return;
    if (result.saved)
        EnableItem(IDC_EXPORT, true);
    // The counts changed, and so may the reasons.
    FillRows();
    RefreshPreview();
    if (result.saved)
        ShowMessage(zem::Format("拆分完成：%d 个教学计划各有 %d 节改为 %s（已排好的课有 %d 节随之修改）",
                                result.splitPlans, m_count, m_task->GetSubjectName(m_newCourseId).c_str(),
                                result.movedLessons));
}

void CSplitPlanDlg::OnCancel()
{
    m_timers.KillAll();
    if (AppServices().GetTask())
        SaveAdjustmentHistory(m_entries);
    Dialog::OnCancel();
}

void CSplitPlanDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        PaintAdjustToolBands(dc, client, kTitle);
        DrawFramedBox(dc, m_listFrame, false);
    });
}
