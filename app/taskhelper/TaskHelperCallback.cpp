#include "app/taskhelper/TaskHelperCallback.h"

#include "app/taskhelper/LostLessonRepair.h"
#include "app/taskhelper/TaskHelper.h"

#include <memory>

CoreCallback MakeTaskHelperCallback(CScheduleTask& task, const std::atomic<bool>& stop)
{
    // The rules stay as they are while the run goes on, so every call reads them from the first one.
    auto rules = std::make_shared<std::shared_ptr<CPlacementRules>>();
    return [&task, &stop, rules](TRY_SWAP_TYPE type, CAutoRange* range) {
        CTaskHelper helper(&task);
        helper.SetStopFlag(&stop);
        if (*rules)
            helper.ShareRules(*rules);
        switch (type) {
        case TRY_SWAP_LOST:
            helper.PlaceLostCourses();
            break;
        case TRY_SWAP_IMPROVE:
            helper.OptimizeRange(range);
            break;
        case TRY_SWAP_RELAXED:
            helper.PlaceLostCoursesRelaxed();
            break;
        case TRY_SWAP_REPAIR:
            RepairLostLessons(helper, range);
            break;
        default:
            return;
        }
        *rules = helper.GetRules();
    };
}
