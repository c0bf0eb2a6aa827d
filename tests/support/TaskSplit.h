#pragma once
// A scheduled school cut into parts, as the merges put them together again: lessons kept by slot,
// classes kept by name, each plan's count made what its lessons kept need, and the class
// timetables by names to compare the whole with.
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

inline std::string GridNameOf(const CZemObjectList& list, const std::string& id)
{
    const CZemObject* object = id.empty() ? nullptr : list.Find(id);
    return object ? object->GetName() : std::string();
}

// Every placed lesson of the class timetables by names: class, slot and half to subject, teacher
// and room.
inline std::map<std::string, std::string> ClassGrids(const CScheduleTask& task)
{
    std::map<std::string, std::string> grids;
    for (const auto& [id, object] : task.GetClassInfoList()) {
        const CCourseTable& table = static_cast<const CClassInfo*>(object)->GetTable(false);
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section) {
                    const CCourseTableNode& cell = table.GetNode(day, segment, section);
                    for (const int half : {1, 2}) {
                        if (half == 2 && !cell.IsInterleave())
                            continue;
                        const CCourseTableNode::NodeData& data = cell.data(half);
                        const CCourseInfo* plan = data.HasCourse() ? task.FindCourse(data.GetCourseId()) : nullptr;
                        if (!plan)
                            continue;
                        grids[zem::Format("%s|%d.%d.%d|%d", object->GetName().c_str(), day, segment, section, half)] =
                            GridNameOf(task.GetSubjectInfoList(), plan->GetSubjectId()) + "/" +
                            GridNameOf(task.GetTeacherInfoList(), plan->GetTeacherId()) + "/" +
                            GridNameOf(task.GetRoomInfoList(), data.GetRoomId());
                    }
                }
    }
    return grids;
}

// Takes the lessons at the slots the test does not keep out of every timetable.
inline void KeepLessons(CScheduleTask& task, const std::function<bool(const tagTABLE_NODE&)>& keeps)
{
    CTaskHelper helper(&task);
    helper.RestoreTempTables();
    for (const auto& [id, object] : task.GetClassInfoList()) {
        CCourseTable& table = static_cast<CClassInfo*>(object)->GetTable(true);
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section) {
                    const tagTABLE_NODE node{day, segment, section};
                    CCourseTableNode& cell = table.GetNode(node);
                    if (keeps(node) || cell.IsEmpty())
                        continue;
                    if (!cell.IsInterleave()) {
                        helper.UnsetCourseNode(&table, &cell, node, 0);
                        continue;
                    }
                    for (const int part : {2, 1})
                        if (cell.data(part).HasCourse())
                            helper.UnsetCourseNode(&table, &table.GetNode(node), node, part);
                }
    }
    CommitTempTables(task);
}

// Keeps the classes the test names, with their plans.
inline void KeepClasses(CScheduleTask& task, const std::function<bool(const std::string& name)>& keeps)
{
    std::vector<std::string> plans, classes;
    std::vector<CCourseInfo*> all;
    task.GetFullCourseList(all);
    for (const auto& [id, object] : task.GetClassInfoList())
        if (!keeps(object->GetName()))
            classes.push_back(id);
    for (CCourseInfo* plan : all)
        if (std::find(classes.begin(), classes.end(), plan->GetClassId()) != classes.end())
            plans.push_back(plan->GetId());
    task.RemovePlans(plans);
    for (const std::string& id : classes) {
        task.GetFixedTimeOfClassList().Remove(id);
        task.GetClassInfoList().Remove(id);
    }
}

// Each plan's weekly count made what its lessons in this part need.
inline void CountTheLessonsKept(CScheduleTask& task)
{
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    CTaskHelper helper(&task);
    for (CCourseInfo* plan : plans)
        plan->SetWeekCount(helper.GetWeekCount(&plan->GetTable(false)));
}

// The lessons of the class timetables at the slots `at` holds, a half of a split cell once each.
template <class At>
inline int ClassLessonsAt(const CScheduleTask& task, At at)
{
    int lessons = 0;
    for (const CClassInfo* cls : ObjectsInOrder<CClassInfo>(task.GetClassInfoList()))
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section) {
                    if (!at(tagTABLE_NODE{day, segment, section}))
                        continue;
                    const CCourseTableNode& cell = cls->GetTable(false).GetNode(day, segment, section);
                    lessons += cell.data(1).HasCourse() ? 1 : 0;
                    lessons += cell.IsInterleave() && cell.data(2).HasCourse() ? 1 : 0;
                }
    return lessons;
}
