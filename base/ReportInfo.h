#pragma once
// The record of one automatic scheduling run: when it ran, how big the task was, why the data
// check refused to start, which lessons stayed unplaced and which plans may be spread unevenly,
// and the report text shown to the user. The engine fills the temporary containers per try and
// keeps those of the best try.
#include "base/WeekCount.h"
#include "platform/Hooks.h"

#include <map>
#include <string>
#include <vector>

class CScheduleTask;

class CReportInfo {
public:
    // Course id -> lessons per week still unplaced.
    using CourseLostMap = std::map<std::string, CWeekCount>;

    CReportInfo();
    CReportInfo(const CReportInfo&) = default;
    CReportInfo& operator=(const CReportInfo&) = default;
    virtual ~CReportInfo() = default;

    // Time = now; counts, error lines and the lost lessons emptied. The temporary containers, the
    // undistributed plans and the report text stay.
    void Clear();
    void SetCurrentTime();
    // "2024年3月5日 8时7分0秒"
    std::string GetTime() const;

    void SetWeekNodeCount(int count) { m_nWeekNodeCount = count; }
    int GetWeekNodeCount() const { return m_nWeekNodeCount; }
    void SetClassCount(int count) { m_nClassCount = count; }
    int GetClassCount() const { return m_nClassCount; }
    void SetTeacherCount(int count) { m_nTeacherCount = count; }
    int GetTeacherCount() const { return m_nTeacherCount; }
    void SetSubjectCount(int count) { m_nSubjectCount = count; }
    int GetSubjectCount() const { return m_nSubjectCount; }
    // Morning-reading and evening self-study plans.
    void SetSSCount(int count) { m_nSSCount = count; }
    int GetSSCount() const { return m_nSSCount; }
    // Teaching plans.
    void SetCourseCount(int count) { m_nCourseCount = count; }
    int GetCourseCount() const { return m_nCourseCount; }

    void AddErrorInfo(const std::string& text) { m_errorInfo.push_back(text); }
    std::vector<std::string>& GetErrorInfo() { return m_errorInfo; }
    CourseLostMap& GetCourseLostInfo() { return m_courseLost; }
    CourseLostMap& GetTempCourseLostInfo() { return m_tempCourseLost; }
    std::vector<std::string>& GetUnDistributionCourse() { return m_unDistribution; }
    std::vector<std::string>& GetTempUnDistributionCourse() { return m_tempUnDistribution; }

    // Empties the temporary lost lessons and undistributed plans before a try.
    void ClearTempInfo();
    // Stores the count under the course id, replacing an earlier one.
    void AddTempCourseLostInfo(const std::string& courseId, const CWeekCount& count);
    CWeekCount GetTempCourseLostCount() const;
    // Keeps the try in progress as the best: its lost lessons move over (the temporary map ends
    // empty) and its undistributed plans are copied.
    void SaveTempInfo();

    void SetReportInfo(const std::string& text) { m_strReport = text; }
    const std::string& GetReportInfo() const { return m_strReport; }

    // The headings of the report text that the report window finds again: the line after the first
    // is the result, the lines after the second say what could not be saved.
    static constexpr const char* kResultHeading = "【自动排课结果】";
    static constexpr const char* kSaveFailedHeading = "【保存失败】";
    // The rules the run's result broke, one a line after it.
    static constexpr const char* kBrokenRulesHeading = "【违反排课规则】";

    // The rules the result of the run broke, one a line, for the report of a finished run; empty
    // when it broke none.
    void SetBrokenRules(const std::string& lines) { m_brokenRules = lines; }
    const std::string& GetBrokenRules() const { return m_brokenRules; }

    // The kinds of MakeReport; any other kind gives the heading only.
    static constexpr int kRunFinished = 0;
    static constexpr int kCheckFailed = 1;
    // Builds the report text of the record and keeps it as the report text. An empty title
    // becomes a line of the task's counts.
    void MakeReport(const CScheduleTask& task, const std::string& title, int kind);

protected:
    // The lost plans whose course and class still exist, by class index; plans of classes with
    // equal indexes keep the map's order.
    void SortLostCoursesByClass(const CScheduleTask& task, std::vector<std::string>& ids) const;
    // The plans that may be spread unevenly, two a line; nothing when even spreading is required.
    void AddUnDistributionInfo(const CScheduleTask& task, std::string& text) const;

private:
    zem::LocalTime m_time;
    int m_nWeekNodeCount = 0;
    int m_nClassCount = 0;
    int m_nTeacherCount = 0;
    int m_nSubjectCount = 0;
    int m_nSSCount = 0;
    int m_nCourseCount = 0;
    std::vector<std::string> m_errorInfo;
    CourseLostMap m_courseLost;
    CourseLostMap m_tempCourseLost;
    std::vector<std::string> m_unDistribution;
    std::vector<std::string> m_tempUnDistribution;
    std::string m_strReport;
    std::string m_brokenRules;
};
