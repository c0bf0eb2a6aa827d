#pragma once
// The whole task's progress of the timetable windows: the lessons placed against those planned.
#include <string>

class CLessonCounter;
class CProgressWnd;
class CScheduleTask;

// Shows the counter's totals on the strip, "已排%s节 / 总课时%s节".
void ShowLessonProgress(CProgressWnd& progress, const CLessonCounter& counter);
// Recounts the plan's class (each member class of a combined class) from the working timetables;
// nothing for a plan the task lacks.
void RecountPlanClasses(CLessonCounter& counter, CScheduleTask* task, const std::string& planId);
