#include "base/ReportInfo.h"

#include "platform/Text.h"

CReportInfo::CReportInfo() { Clear(); }

void CReportInfo::Clear()
{
    SetCurrentTime();
    m_nWeekNodeCount = m_nClassCount = m_nTeacherCount = 0;
    m_nSubjectCount = m_nSSCount = m_nCourseCount = 0;
    m_errorInfo.clear();
    m_courseLost.clear();
    m_brokenRules.clear();
}

void CReportInfo::SetCurrentTime() { m_time = zem::Now(); }

std::string CReportInfo::GetTime() const
{
    return zem::Format("%d年%d月%d日 %d时%d分%d秒", m_time.year, m_time.month, m_time.day, m_time.hour, m_time.minute,
                       m_time.second);
}

void CReportInfo::ClearTempInfo()
{
    m_tempCourseLost.clear();
    m_tempUnDistribution.clear();
}

void CReportInfo::AddTempCourseLostInfo(const std::string& courseId, const CWeekCount& count)
{
    m_tempCourseLost[courseId] = count;
}

CWeekCount CReportInfo::GetTempCourseLostCount() const
{
    CWeekCount sum;
    for (const auto& [id, count] : m_tempCourseLost)
        sum += count;
    return sum;
}

void CReportInfo::SaveTempInfo()
{
    m_courseLost = std::move(m_tempCourseLost);
    m_tempCourseLost.clear();
    m_unDistribution = m_tempUnDistribution;
}
