// The task's lists copied before a change and put back after a refused one.
#include "base/TaskUndo.h"

#include "base/ScheduleTask.h"

std::vector<CZemObjectList*> TaskObjectLists(CScheduleTask& task)
{
    return {&task.GetSubjectInfoList(),       &task.GetTeacherInfoList(),        &task.GetTeacherGroupInfoList(),
            &task.GetClassInfoList(),         &task.GetRoomInfoList(),           &task.GetCourseInfoList(),
            &task.GetSelfStudyInfoList(),     &task.GetFixedTimeOfTeacherList(), &task.GetFixedTimeOfTeacherGroupList(),
            &task.GetFixedTimeOfClassList(),  &task.GetFixedTimeOfSubjectList(), &task.GetFixedTimeOfCourseList(),
            &task.GetCoursePresetList(),      &task.GetAssistantList(),          &task.GetOETeamList(),
            &task.GetMutexSubjectList(),      &task.GetMutexOfTeacherList(),     &task.GetCombineCourseList()};
}

CTaskUndo::CTaskUndo(CScheduleTask& task) : m_task(task)
{
    for (const CZemObjectList* list : TaskObjectLists(task)) {
        std::vector<std::unique_ptr<CZemObject>>& copies = m_lists.emplace_back();
        for (const CZemObject* object : ObjectsInOrder(*list))
            copies.emplace_back(object->Clone());
    }
}

CTaskUndo::~CTaskUndo() = default;

void CTaskUndo::Restore()
{
    const std::vector<CZemObjectList*> lists = TaskObjectLists(m_task);
    for (std::size_t i = 0; i < lists.size(); ++i) {
        lists[i]->RemoveAll();
        for (const std::unique_ptr<CZemObject>& object : m_lists[i])
            lists[i]->Add(object->Clone());
    }
    m_task.GetCombineCourseList().ReBuildCourseMap();
    m_task.GetMutexOfTeacherList().RebuildEachTeacherMap();
}
