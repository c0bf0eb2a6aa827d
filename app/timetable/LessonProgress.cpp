#include "app/timetable/LessonProgress.h"

#include "app/controls/ProgressWnd.h"
#include "app/shared/AppServices.h"
#include "app/shared/LessonCounter.h"
#include "app/shared/ObjectLists.h"
#include "app/taskhelper/TaskHelper.h"
#include "platform/Text.h"

#include <vector>

void ShowLessonProgress(CProgressWnd& progress, const CLessonCounter& counter)
{
    const CWeekCount& placed = counter.GetTotalPlaced();
    const CWeekCount& planned = counter.GetTotalPlanned();
    progress.SetRange(0, planned.GetWholeCount());
    progress.SetPos(placed.GetWholeCount());
    progress.SetText(zem::Format("已排%s节 / 总课时%s节", placed.ToString().c_str(), planned.ToString().c_str()));
    progress.Refresh();
}

void RecountPlanClasses(CLessonCounter& counter, CScheduleTask* task, const std::string& planId)
{
    CCourseInfo* plan = task ? CTaskHelper(task, AppHelperContext()).FindCourse(planId) : nullptr;
    if (!plan)
        return;
    std::vector<std::string> classes;
    CollectCombinedClassIds(classes, plan, task);
    for (const std::string& classId : classes)
        counter.Count(classId, true);
}
