// Placeholder until the task files' readers land: nothing can be read yet.
#include "base/ScheduleTask.h"

bool CScheduleTask::ReadInputData() { return false; }
bool CScheduleTask::ReadOutputData() { return false; }
bool CScheduleTask::ReadReportInfo() { return false; }

// Placeholders until the timetable and report files land: nothing is written yet.
bool CScheduleTask::SaveOutputData() { return false; }
bool CScheduleTask::SaveLastReportInfo() { return false; }
void CScheduleTask::InitReportInfo()
{
    m_lastReport.Clear();
    m_lastReport.SetWeekNodeCount(m_schoolStructure.GetWeekNodeCount());
    m_lastReport.SetClassCount(m_classes.GetCount());
    m_lastReport.SetSubjectCount(m_subjects.GetCount());
    m_lastReport.SetTeacherCount(m_teachers.GetCount());
    m_lastReport.SetSSCount(m_selfStudies.GetCount());
    m_lastReport.SetCourseCount(m_courses.GetCount());
}
