#include "app/timetable/LastViewed.h"

#include "base/ScheduleTask.h"
#include "platform/Text.h"

namespace {

constexpr const char* kSection = "WeekTable";

std::string KeyOf(int kind)
{
    return zem::Format("LastView%d", kind);
}

}  // namespace

std::string LastViewedObject(const CScheduleTask& task, int kind)
{
    return task.GetConfig(kSection, KeyOf(kind), "");
}

void RememberViewedObject(CScheduleTask& task, int kind, const std::string& objectId)
{
    task.SetConfig(kSection, KeyOf(kind), objectId);
}
