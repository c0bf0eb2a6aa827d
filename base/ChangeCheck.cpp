// The check before and after a change of plans or timetables.
#include "base/ChangeCheck.h"

#include "base/ScheduleTask.h"
#include "base/TaskLimits.h"

#include <limits>
#include <regex>
#include <unordered_map>


namespace {

// The violation without where it is: the slot (" at 第1周周一上午第1节 (0/0/0), every week") and
// the day (" on day 2") go.
std::string KeyOf(const ScheduleViolation& violation)
{
    static const std::regex slot(R"( at [^:]*?\(\d+/\d+/\d+\)(, (every week|odd weeks|even weeks))?| on day \d+)");
    return std::to_string(static_cast<unsigned>(violation.check)) + '\t' +
           std::regex_replace(violation.key.empty() ? violation.text : violation.key, slot, "");
}

}  // namespace

ScheduleValidation NewViolations(const ScheduleValidation& before, const ScheduleValidation& after)
{
    std::unordered_map<std::string, int> old;
    for (const ScheduleViolation& violation : before.Violations())
        ++old[KeyOf(violation)];
    ScheduleValidation brought;
    for (const ScheduleViolation& violation : after.Violations())
        if (int& count = old[KeyOf(violation)]; count > 0)
            --count;
        else
            brought.Add(violation);
    return brought;
}

CChangeCheck::CChangeCheck(CScheduleTask& task, bool temp, Plans plans, const PlanStandIns& standIns)
    : m_task(task),
      m_temp(temp),
      m_plans(plans),
      m_before(ValidateSchedule(task, temp, kAllTableChecks, standIns)),
      m_counts(CaptureCounts(task))
{
}

ChangeFindings CChangeCheck::FindingsOver(bool temp, const PlanStandIns& standIns) const
{
    ChangeFindings findings;
    findings.broken = NewViolations(m_before, ValidateSchedule(m_task, temp, kAllTableChecks, standIns));
    if (m_plans != Plans::Edited)
        findings.counts = CompareCounts(m_counts, m_task, m_plans == Plans::Kept);
    findings.limits = CheckTaskLimits(m_task);
    return findings;
}

std::string ChangeFindings::Said(std::size_t most) const
{
    std::string text;
    for (const std::string& limit : limits)
        text += limit + "\n";
    text += counts.Said(most);
    text += broken.Said(most);
    return text;
}

std::string ChangeFindings::SaidEvery() const
{
    return Said(std::numeric_limits<std::size_t>::max());
}

std::string RefusedChangeText(const ChangeFindings& findings)
{
    return "这样调整会违反排课规则，已撤销调整：\n" + findings.Said();
}

std::string KeptChangeText(const ChangeFindings& findings)
{
    return "调整后以下课程违反了排课规则：\n" + findings.SaidEvery();
}

std::string KeepBrokenRulesQuestion(const ChangeFindings& findings)
{
    return "保存后以下课程违反了排课规则：\n" + findings.SaidEvery() + "\n是否仍然保存？";
}

std::string RefusedImportText(const ChangeFindings& findings)
{
    return "这样导入会违反排课规则，已撤销导入：\n" + findings.Said();
}

std::string KeptImportText(const ChangeFindings& findings)
{
    return "导入后以下课程违反了排课规则：\n" + findings.SaidEvery();
}
