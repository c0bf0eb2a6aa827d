#include "app/shared/ObjectLists.h"

#include "app/shared/AppServices.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"

#include <algorithm>

namespace {

const CZemObjectList* TaskList(const CScheduleTask& task, int kind)
{
    switch (kind) {
    case OBJECT_CLASS:
        return &task.GetClassInfoList();
    case OBJECT_TEACHER:
        return &task.GetTeacherInfoList();
    case OBJECT_ROOM:
        return &task.GetRoomInfoList();
    default:
        return nullptr;
    }
}

}  // namespace

void MapToOrderedList(const CZemObjectList& map, std::vector<CZemObject*>& out)
{
    out = ObjectsInOrder(map);
    std::erase(out, nullptr);
}

void ListTaskObjects(int kind, std::vector<CZemObject*>& out)
{
    const CScheduleTask* task = AppServices().GetTask();
    if (!task)
        return;
    if (const CZemObjectList* list = TaskList(*task, kind))
        MapToOrderedList(*list, out);
}

void BuildObjectList(int kind, CStringPtrList& out, char separator)
{
    std::vector<CZemObject*> remaining;
    ListTaskObjects(kind, remaining);
    const CScheduleTask* task = AppServices().GetTask();
    if (task && kind == OBJECT_TEACHER && AppServices().GetShowTeacherByGroup()) {
        std::vector<CZemObject*> groups;
        MapToOrderedList(task->GetTeacherGroupInfoList(), groups);
        for (CZemObject* object : groups) {
            const auto* group = static_cast<const CTeacherGroupInfo*>(object);
            for (const std::string& teacherId : group->GetTeacherArray()) {
                CTeacherInfo* teacher = task->GetTeacher(teacherId);
                if (!teacher)
                    continue;
                out.push_back(NewNamedObjectItem(teacher, group->GetName() + separator + teacher->GetName()));
                std::erase_if(remaining, [&](const CZemObject* o) { return o->GetId() == teacher->GetId(); });
            }
        }
    }
    for (CZemObject* object : remaining)
        out.push_back(NewNamedObjectItem(object, {}));
}

std::unique_ptr<CNamedObjectItem> NewNamedObjectItem(CZemObject* object, const std::string& text)
{
    auto item = std::make_unique<CNamedObjectItem>();
    item->object = object;
    item->text = text.empty() && object ? object->GetName() : text;
    return item;
}

std::string FindFirstScheduledObject(int kind)
{
    CScheduleTask* task = AppServices().GetTask();
    if (!task)
        return {};
    std::vector<CZemObject*> objects;
    ListTaskObjects(kind, objects);
    if (objects.empty())
        return {};
    CTaskHelper helper(task);
    for (CZemObject* object : objects) {
        const auto* owner = static_cast<const CZemTableObject*>(object);
        if (helper.HasLessons(&owner->GetTable(false)))
            return object->GetId();
    }
    return objects.front()->GetId();
}

void CollectCombinedClassIds(std::vector<std::string>& out, const CCourseInfo* item, const CScheduleTask* task)
{
    if (!item || !task)
        return;
    StringArrayAddUnique(out, item->GetClassId());
    const CCombineClass* combined = task->GetCC(item->GetId());
    if (!combined)
        return;
    for (const std::string& planId : combined->GetCombineCourse()) {
        const CCourseInfo* plan = task->FindCourse(planId);
        if (plan && plan->GetId() != item->GetId())
            StringArrayAddUnique(out, plan->GetClassId());
    }
}
