// The report text shown after an automatic run and kept in report.txt.
#include "base/ReportInfo.h"

#include "base/ScheduleTask.h"
#include "base/Utility.h"
#include "platform/Text.h"

#include <algorithm>

void CReportInfo::MakeReport(const CScheduleTask& task, const std::string& title, int kind)
{
    std::string text = "【排课时间】\n" + GetTime() + "\n\n【基础数据】\n";
    if (title.empty())
        text += zem::Format("周课时数：%-10d班级数：%-10d课程数：%-10d教师数：%-10d早读和晚自习：%-10d教学计划：%d",
                            m_nWeekNodeCount, m_nClassCount, m_nSubjectCount, m_nTeacherCount, m_nSSCount,
                            m_nCourseCount);
    else
        text += title;
    text += "\n\n";

    if (kind == kRunFinished) {
        if (m_courseLost.empty()) {
            // Every lesson placed is no success while the result breaks the task's rules.
            text += std::string(kResultHeading) + (m_brokenRules.empty()
                                                       ? "\n全部排完，排课成功！您可以查看并调整课表\n"
                                                       : "\n全部排完，但排课结果违反了排课规则，请查看并调整课表\n");
            AddUnDistributionInfo(task, text);
        } else {
            text += std::string(kResultHeading) + "\n本次自动排课结束。因资源紧张或排课条件限制，下面部分计划未排：\n";
            std::vector<std::string> ids;
            SortLostCoursesByClass(task, ids);
            for (const std::string& id : ids) {
                const CCourseInfo* course = task.FindCourse(id);
                text += zem::Format("%s（班级:%s 课程:%s 教师:%s 周课时:%s）每周还有 %s 节课未排\n",
                                    GetActivityTypeName(course->GetType()).c_str(),
                                    task.GetClassNameA(course->GetClassId()).c_str(),
                                    task.GetSubjectName(course->GetSubjectId()).c_str(),
                                    task.GetTeacherName(course->GetTeacherId()).c_str(),
                                    course->GetWeekCount().ToString().c_str(), m_courseLost.at(id).ToString().c_str());
            }
            AddUnDistributionInfo(task, text);
            text += "\n【建议】\n"
                    "1. 在“5 查看课表（手工调课）”中打开未排课程的班级课表，手工调整和安排课程\n"
                    "2. 适当调整（放松）相关的排课条件设置，再重新开始自动排课\n"
                    "3. 重新开始自动排课，每次自动排课的结果可能不同\n\n";
        }
        if (!m_brokenRules.empty())
            text += std::string("\n") + kBrokenRulesHeading + "\n" + m_brokenRules;
    } else if (kind == kCheckFailed) {
        text += std::string(kResultHeading) + "\n本次自动排课未开始！请按以下提示调整您的基本数据或排课条件设置\n\n"
                "您所设置的排课数据和排课条件存在以下不合理的地方：\n";
        for (const std::string& line : m_errorInfo) {
            text += line;
            text += '\n';
        }
    }
    m_strReport = std::move(text);
}

void CReportInfo::SortLostCoursesByClass(const CScheduleTask& task, std::vector<std::string>& ids) const
{
    std::vector<std::pair<int, const std::string*>> lost;  // class index, course id
    for (const auto& [courseId, count] : m_courseLost) {
        const CCourseInfo* course = task.FindCourse(courseId);
        const CClassInfo* cls = course ? task.GetClass(course->GetClassId()) : nullptr;
        if (cls)
            lost.emplace_back(cls->GetIndex(), &courseId);
    }
    std::stable_sort(lost.begin(), lost.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [index, courseId] : lost)
        ids.push_back(*courseId);
}

void CReportInfo::AddUnDistributionInfo(const CScheduleTask& task, std::string& text) const
{
    if (task.GetTaskSetting().GetStrictDistribution())
        return;
    // A plan deleted since the run has nothing left to report.
    std::size_t shown = 0;
    for (const std::string& id : m_unDistribution) {
        const CCourseInfo* course = task.FindCourse(id);
        if (!course)
            continue;
        if (shown == 0)
            text += "\n由于在基本规则中没有勾选“课时分布均匀”，下面部分计划可能分布不均衡：";
        text += shown % 2 == 0 ? "\n" : "，";
        text += task.GetCourseDesc(course);
        ++shown;
    }
    if (shown > 0)
        text += '\n';
}
