// The table of a task's object limits and the check every adding path makes against it.
#include "base/TaskLimits.h"

#include "base/BasicData.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

namespace {

// More than any school has. Every class, teacher, room place and plan carries its timetables, so a
// file of hundreds of thousands of them would take gigabytes.
constexpr TaskLimit kLimits[] = {
    {TaskObjectKind::Subject, "科目", 1000},
    {TaskObjectKind::Teacher, "教师", 3000},
    {TaskObjectKind::TeacherGroup, "教研组", 1000},
    {TaskObjectKind::Class, "班级", 1000},
    {TaskObjectKind::Room, "教室", 1000},
    {TaskObjectKind::RoomPlace, "教室容量（合计）", 5000},
    {TaskObjectKind::SelfStudy, "早读和晚自习", 5000},
    {TaskObjectKind::Plan, "教学计划", 10000},
};

std::size_t Count(const CZemObjectList& list) { return static_cast<std::size_t>(list.GetCount()); }

}  // namespace

const TaskLimit& GetTaskLimit(TaskObjectKind kind)
{
    for (const TaskLimit& limit : kLimits) {
        if (limit.kind == kind)
            return limit;
    }
    return kLimits[0];
}

std::size_t CountTaskObjects(const CScheduleTask& task, TaskObjectKind kind)
{
    switch (kind) {
    case TaskObjectKind::Subject: return Count(task.GetSubjectInfoList());
    case TaskObjectKind::Teacher: return Count(task.GetTeacherInfoList());
    case TaskObjectKind::TeacherGroup: return Count(task.GetTeacherGroupInfoList());
    case TaskObjectKind::Class: return Count(task.GetClassInfoList());
    case TaskObjectKind::Room: return Count(task.GetRoomInfoList());
    case TaskObjectKind::RoomPlace: {
        std::size_t places = 0;
        for (const CRoomInfo* room : ObjectsInOrder<CRoomInfo>(task.GetRoomInfoList()))
            places += room->GetCapacity();
        return places;
    }
    case TaskObjectKind::SelfStudy: return Count(task.GetSelfStudyInfoList());
    case TaskObjectKind::Plan: return Count(task.GetCourseInfoList());
    }
    return 0;
}

std::string TaskLimitText(const TaskLimit& limit, std::size_t total)
{
    return zem::Format("一个排课任务中的%s不能多于 %zu 个（这样会有 %zu 个），排课任务将无法再打开。", limit.name,
                       limit.max, total);
}

std::string CheckTaskLimitTotal(TaskObjectKind kind, std::size_t total)
{
    const TaskLimit& limit = GetTaskLimit(kind);
    return total > limit.max ? TaskLimitText(limit, total) : std::string();
}

std::string CheckTaskLimit(const CScheduleTask& task, TaskObjectKind kind, std::size_t added)
{
    return CheckTaskLimitTotal(kind, CountTaskObjects(task, kind) + added);
}

std::vector<std::string> CheckTaskLimits(const CScheduleTask& task)
{
    std::vector<std::string> broken;
    for (const TaskLimit& limit : kLimits) {
        const std::size_t total = CountTaskObjects(task, limit.kind);
        if (total > limit.max)
            broken.push_back(TaskLimitText(limit, total));
    }
    return broken;
}
