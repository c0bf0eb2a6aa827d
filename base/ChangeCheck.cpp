// The check before and after a change of plans or timetables.
#include "base/ChangeCheck.h"

#include "base/ScheduleTask.h"
#include "base/TaskLimits.h"


namespace {

std::string KeyOf(const ScheduleViolation& violation)
{
    return std::to_string(static_cast<unsigned>(violation.check)) + '\t' + violation.text;
}

}  // namespace

CChangeCheck::CChangeCheck(CScheduleTask& task, bool temp, Plans plans)
    : m_task(task), m_temp(temp), m_plans(plans), m_counts(CaptureCounts(task))
{
    const ScheduleValidation before = ValidateSchedule(task, temp);
    for (const ScheduleViolation& violation : before.Violations())
        ++m_before[KeyOf(violation)];
}

ChangeFindings CChangeCheck::Findings() const { return FindingsOver(m_temp); }

ChangeFindings CChangeCheck::FindingsOver(bool temp) const
{
    ChangeFindings findings;
    std::unordered_map<std::string, int> before = m_before;
    const ScheduleValidation after = ValidateSchedule(m_task, temp);
    for (const ScheduleViolation& violation : after.Violations()) {
        const auto it = before.find(KeyOf(violation));
        if (it != before.end() && it->second > 0)
            --it->second;
        else
            findings.broken.Add(violation.check, violation.text, violation.said);
    }
    if (m_plans == Plans::Kept)
        findings.counts = CompareCounts(m_counts, m_task);
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

std::string RefusedChangeText(const ChangeFindings& findings)
{
    return "这样调整会违反排课规则，已撤销调整：\n" + findings.Said();
}

std::string KeptChangeText(const ChangeFindings& findings)
{
    return "调整后以下课程违反了排课规则：\n" + findings.Said();
}
