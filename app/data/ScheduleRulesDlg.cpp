#include "app/data/ScheduleRulesDlg.h"

#include "app/shared/AppServices.h"
#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/shared/SaveFailure.h"
#include "base/ChangeCheck.h"
#include "base/ScheduleTask.h"
#include "platform/gui/QtText.h"

#include <QCheckBox>
#include <QGroupBox>

using zem::gui::ToQ;

namespace {

struct RuleBox {
    int id;
    const char* text;
    int CScheduleRulesDlg::*member;
};
const RuleBox kBoxes[] = {
    {CScheduleRulesDlg::IDC_STRICT_DISTRIBUTION, "课时分布均匀", &CScheduleRulesDlg::m_strictDistribution},
    {CScheduleRulesDlg::IDC_MAIN_COURSE_FORENOON, "主课尽量排上午,副课尽量排下午.",
     &CScheduleRulesDlg::m_sortByMainCourseType},
    {CScheduleRulesDlg::IDC_CONCENTRATE_TEACHER, "教师的跨班课尽量连在一起", &CScheduleRulesDlg::m_concentrateByTeacher},
    {CScheduleRulesDlg::IDC_CONCENTRATE_SELF_STUDY, "教师的晚自习上课时间尽量集中",
     &CScheduleRulesDlg::m_concentrateSelfstudy},
};

}  // namespace

CScheduleRulesDlg::CScheduleRulesDlg(QWidget* parent) : Dialog(parent, "自动排课基本规则", {186, 112}) {}

QCheckBox* CScheduleRulesDlg::Box(int id) const
{
    return Item<QCheckBox>(id);
}

bool CScheduleRulesDlg::OnInitDialog()
{
    if (const CScheduleTask* task = AppServices().GetTask()) {
        const CTaskSetting& setting = task->GetTaskSetting();
        m_strictDistribution = setting.GetStrictDistribution() ? 1 : 0;
        m_sortByMainCourseType = setting.GetSortByMainCourseType() ? 1 : 0;
        m_concentrateByTeacher = setting.GetConcentrateByTeacher() ? 1 : 0;
        m_concentrateSelfstudy = setting.GetConcentrateSelfstudy() ? 1 : 0;
    }
    auto* frame = new QGroupBox(this);
    SetWidgetRect(frame, UnitsRect(7, 5, 172, 78));
    int top = 16;
    for (const RuleBox& rule : kBoxes) {
        auto* box = new QCheckBox(ToQ(rule.text), this);
        SetWidgetRect(box, UnitsRect(18, top, 156, 10));
        box->setChecked(this->*rule.member != 0);
        AddControl(rule.id, box);
        top += 16;
    }
    AddHoverButton(this, zem::IDOK, "确定")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    PlaceButtonRow(this, height() - Units().Y(7) - Units().Y(14), {}, {zem::IDOK, zem::IDCANCEL});
    setFixedSize(size());
    return true;
}

void CScheduleRulesDlg::OnOK()
{
    for (const RuleBox& rule : kBoxes)
        this->*rule.member = Box(rule.id)->isChecked() ? 1 : 0;
    CScheduleTask* task = AppServices().GetTask();
    if (!task)
        return EndDialog(zem::IDOK);
    CTaskSetting& setting = task->GetTaskSetting();
    const CTaskSetting before = setting;
    const CChangeCheck check(*task, false);
    setting.SetStrictDistribution(m_strictDistribution != 0);
    setting.SetSortByMainCourseType(m_sortByMainCourseType != 0);
    setting.SetConcentrateByTeacher(m_concentrateByTeacher != 0);
    setting.SetConcentrateSelfstudy(m_concentrateSelfstudy != 0);
    // Strict spreading is also a rule of the timetables there are: lessons already two on a day
    // are the user's to keep, asked as the list pages ask.
    const ChangeFindings findings = check.Findings();
    if (!findings.IsClean() &&
        AskQuestion(KeepBrokenRulesQuestion(findings), zem::MessageButtons::YesNo) != zem::IDYES) {
        setting = before;
        return;
    }
    // A failed save says why; the dialog stays open with the boxes as they are, and the task keeps
    // the flags its file holds.
    if (!SaveSayingWhy([task] { return task->SaveInputData(); }, NotSavedText("排课规则"), kCheckTaskFolderReason)) {
        setting = before;
        return;
    }
    EndDialog(zem::IDOK);
}
