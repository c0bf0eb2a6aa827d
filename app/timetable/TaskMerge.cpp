#include "app/timetable/TaskMerge.h"

#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "app/timetable/TableMoveSteps.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"
#include "base/TaskLimits.h"
#include "base/Utility.h"
#include "platform/Text.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

using namespace move_steps;

namespace {

// The lists of the task that hold a merge's new objects, and whose ids a failed save removes again.
std::vector<CZemObjectList*> MergedLists(CScheduleTask& task)
{
    return {&task.GetSubjectInfoList(),          &task.GetTeacherInfoList(),          &task.GetClassInfoList(),
            &task.GetRoomInfoList(),             &task.GetCourseInfoList(),           &task.GetSelfStudyInfoList(),
            &task.GetCoursePresetList(),         &task.GetFixedTimeOfClassList(),     &task.GetFixedTimeOfCourseList(),
            &task.GetFixedTimeOfSubjectList(),   &task.GetFixedTimeOfTeacherList(),   &task.GetAssistantList(),
            &task.GetCombineCourseList()};
}

std::vector<const CZemObjectList*> NodeListsOf(const CScheduleTask& task)
{
    return {&task.GetCoursePresetList(), &task.GetFixedTimeOfClassList(), &task.GetFixedTimeOfCourseList(),
            &task.GetFixedTimeOfSubjectList(), &task.GetFixedTimeOfTeacherList()};
}

// Everything of the open task a merge changes, to put it back exactly when the save fails.
class TaskSnapshot {
public:
    explicit TaskSnapshot(CScheduleTask& task) : m_week(task.GetSchoolStructure()), m_activities(task.GetActivities())
    {
        for (CZemObjectList* list : MergedLists(task)) {
            std::set<std::string>& ids = m_ids[list];
            for (const auto& [id, object] : *list)
                ids.insert(id);
        }
        for (const CZemObjectList* list : NodeListsOf(task))
            for (const auto& [id, object] : *list) {
                auto* nodes = static_cast<CNodeListObject*>(object);
                auto* fixed = dynamic_cast<CFixedTimeOfObject*>(nodes);
                m_nodeLists.push_back({nodes, nodes->GetAllFixedTime(), fixed ? fixed->GetActivities() : CActivities()});
            }
        for (CZemObjectList* list : {&task.GetClassInfoList(), &task.GetTeacherInfoList(), &task.GetCourseInfoList(),
                                     &task.GetSelfStudyInfoList()})
            for (const auto& [id, object] : *list) {
                auto* owner = static_cast<CZemTableObject*>(object);
                m_tables.emplace_back(owner, owner->GetTable(false));
            }
        for (const auto& [id, object] : task.GetRoomInfoList()) {
            auto* room = static_cast<CRoomInfo*>(object);
            m_rooms.emplace_back(room, room->GetComplexTable());
        }
        std::vector<CCourseInfo*> plans;
        task.GetFullCourseList(plans);
        for (CCourseInfo* plan : plans)
            m_counts.emplace_back(plan, plan->GetWeekCount());
    }

    void Restore(CScheduleTask& task) const
    {
        for (CZemObjectList* list : MergedLists(task)) {
            const std::set<std::string>& kept = m_ids.at(list);
            std::vector<std::string> added;
            for (const auto& [id, object] : *list)
                if (!kept.count(id))
                    added.push_back(id);
            for (const std::string& id : added)
                list->Remove(id);
        }
        task.GetSchoolStructure() = m_week;
        task.GetActivities() = m_activities;
        for (const NodeList& list : m_nodeLists) {
            list.object->ReadFixedTimeFromString(list.text);
            if (auto* fixed = dynamic_cast<CFixedTimeOfObject*>(list.object))
                fixed->GetActivities() = list.activities;
        }
        for (const auto& [owner, table] : m_tables)
            owner->GetTable(false) = table;
        for (const auto& [room, tables] : m_rooms)
            room->GetComplexTable() = tables;
        for (const auto& [plan, count] : m_counts)
            plan->SetWeekCount(count);
        CTaskHelper(&task).RestoreTempTables();
    }

private:
    struct NodeList {
        CNodeListObject* object;
        std::string text;
        CActivities activities;
    };
    CSchoolStructure m_week;
    CActivities m_activities;
    std::map<const CZemObjectList*, std::set<std::string>> m_ids;
    std::vector<NodeList> m_nodeLists;
    std::vector<std::pair<CZemTableObject*, CCourseTable>> m_tables;
    std::vector<std::pair<CRoomInfo*, CComplexTable>> m_rooms;
    std::vector<std::pair<CCourseInfo*, CWeekCount>> m_counts;
};

std::set<std::string> ClassNames(const CScheduleTask& task)
{
    std::set<std::string> names;
    for (const auto& [id, object] : task.GetClassInfoList())
        names.insert(object->GetName());
    return names;
}

// The other task's slots a merge brings over: its days, its segments, or everything.
bool IsBroughtOver(const CScheduleTask& other, MergeKind kind, const tagTABLE_NODE& node)
{
    const CSchoolStructure& week = other.GetSchoolStructure();
    switch (kind) {
    case MergeKind::Days: return week.IsDayInUse(node.day);
    case MergeKind::Segments: return week.GetSectionNodeMaxCount(node.segment) > 0;
    case MergeKind::Classes: return true;
    }
    return false;
}

std::string NameOf(const CZemObjectList& list, const std::string& id)
{
    const CZemObject* object = id.empty() ? nullptr : list.Find(id);
    return object ? object->GetName() : std::string();
}

// A plan as both tasks know it: class, subject and teacher by name, and its kind.
std::string PlanKey(const CScheduleTask& task, const CCourseInfo& plan)
{
    return zem::Format("%d#%s#%s#%s", static_cast<int>(plan.GetType()),
                       NameOf(task.GetClassInfoList(), plan.GetClassId()).c_str(),
                       NameOf(task.GetSubjectInfoList(), plan.GetSubjectId()).c_str(),
                       NameOf(task.GetTeacherInfoList(), plan.GetTeacherId()).c_str());
}

std::map<std::string, CCourseInfo*> PlansByKey(const CScheduleTask& task)
{
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    std::map<std::string, CCourseInfo*> byKey;
    for (CCourseInfo* plan : plans)
        byKey.emplace(PlanKey(task, *plan), plan);
    return byKey;
}

// A combined class of the other task must meet the open task's plans either nowhere or as one
// combined class of the same plans: its lessons are placed plan by plan.
std::string CheckCombinedClasses(const CScheduleTask& task, const CScheduleTask& other)
{
    const std::map<std::string, CCourseInfo*> ours = PlansByKey(task);
    for (CCombineClass* group : ObjectsInOrder<CCombineClass>(other.GetCombineCourseList())) {
        std::set<std::string> matched;
        int missing = 0;
        for (const std::string& id : group->GetCombineCourse()) {
            const CCourseInfo* plan = other.FindCourse(id);
            if (!plan)
                continue;
            const auto found = ours.find(PlanKey(other, *plan));
            if (found == ours.end())
                ++missing;
            else
                matched.insert(found->second->GetId());
        }
        if (matched.empty())
            continue;
        const CCombineClass* mine = task.GetCC(*matched.begin());
        bool same = missing == 0 && mine && mine->GetCombineCourse().size() == matched.size();
        for (const std::string& id : matched)
            same = same && mine->HasCourse(id);
        if (!same)
            return zem::Format("合班“%s”在两个排课任务中的组成不同，无法合并", other.GetCCName(group).c_str());
    }
    return {};
}

bool SameWeek(const CSchoolStructure& a, const CSchoolStructure& b)
{
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        if (a.GetSectionNodeMaxCount(segment) != b.GetSectionNodeMaxCount(segment))
            return false;
    for (int day = 0; day < zem::kDayCount; ++day) {
        if (a.IsDayInUse(day) != b.IsDayInUse(day))
            return false;
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < a.GetSectionNodeMaxCount(segment); ++section)
                if (a.IsInvalid(day, segment, section) != b.IsInvalid(day, segment, section))
                    return false;
    }
    return true;
}

// A room of the open task with no parallel timetable free at the slot.
bool IsRoomTaken(const CRoomInfo& room, const tagTABLE_NODE& node)
{
    for (unsigned i = 0; i < room.GetComplexTable().GetCount(); ++i)
        if (room.GetComplexTable().Enum(false, static_cast<int>(i))->GetValue(node) == CTimeTable::kFree)
            return false;
    return true;
}

// The first teacher or room of the other task's lessons that the open task has busy at that slot.
std::string FindDoubleBooking(const CScheduleTask& task, const CScheduleTask& other)
{
    std::string clash;
    ForEachLesson(
        other, [](const tagTABLE_NODE&) { return true; },
        [&](const Lesson& lesson) {
            if (!clash.empty())
                return;
            std::vector<std::string> teachers;
            other.GetAllTeacherId(teachers, lesson.plan, false);
            for (const std::string& id : teachers) {
                const std::string name = NameOf(other.GetTeacherInfoList(), id);
                const auto* mine = static_cast<CTeacherInfo*>(task.GetTeacherInfoList().FindByName(name));
                if (mine && mine->GetTable(false).IsUsed(lesson.node)) {
                    clash = zem::Format("教师“%s”在%s已有课，合并后会同时上两节课", name.c_str(),
                                        task.GetTimeNodeDesc(&lesson.node).c_str());
                    return;
                }
            }
            const std::string room = NameOf(other.GetRoomInfoList(), lesson.roomId);
            const auto* mine = static_cast<CRoomInfo*>(task.GetRoomInfoList().FindByName(room));
            if (mine && IsRoomTaken(*mine, lesson.node))
                clash = zem::Format("教室“%s”在%s已有课，合并后会同时上两节课", room.c_str(),
                                    task.GetTimeNodeDesc(&lesson.node).c_str());
        });
    return clash;
}

int NextIndex(const CZemObjectList& list)
{
    int next = 0;
    for (const auto& [id, object] : list)
        next = std::max(next, object->GetIndex() + 1);
    return next;
}

// The ids of the other task's objects of a list in the open task: the object of the same name, or a
// copy of it added under a new id, without timetables.
std::map<std::string, std::string> MatchByName(CZemObjectList& ours, const CZemObjectList& theirs)
{
    std::map<std::string, std::string> ids;
    for (CZemObject* object : ObjectsInOrder<CZemObject>(theirs)) {
        if (const CZemObject* mine = ours.FindByName(object->GetName())) {
            ids[object->GetId()] = mine->GetId();
            continue;
        }
        CZemObject* copy = object->Clone();
        copy->SetId(NewGuidString());
        copy->SetIndex(NextIndex(ours));
        if (auto* tables = dynamic_cast<CZemTableObject*>(copy)) {
            tables->GetTable(false).Clear();
            tables->GetTempTable().Clear();
        }
        if (auto* room = dynamic_cast<CRoomInfo*>(copy))
            for (unsigned i = 0; i < room->GetComplexTable().GetCount(); ++i) {
                room->GetComplexTable().Enum(false, static_cast<int>(i))->Clear();
                room->GetComplexTable().Enum(true, static_cast<int>(i))->Clear();
            }
        ids[object->GetId()] = copy->GetId();
        ours.Add(copy);
    }
    return ids;
}

std::string Mapped(const std::map<std::string, std::string>& ids, const std::string& id)
{
    const auto found = ids.find(id);
    return found == ids.end() ? std::string() : found->second;
}

struct IdMaps {
    std::map<std::string, std::string> subjects, teachers, classes, rooms, plans;
};

// The other task's plans in the open task: matched by class, subject and teacher, their weekly
// counts joined when they teach on other days or segments; otherwise copied in.
void MergePlans(CScheduleTask& task, const CScheduleTask& other, MergeKind kind, IdMaps& maps)
{
    std::map<std::string, CCourseInfo*> ours = PlansByKey(task);
    for (const bool selfStudy : {false, true}) {
        const CZemObjectList& theirs = selfStudy ? other.GetSelfStudyInfoList() : other.GetCourseInfoList();
        CZemObjectList& list = selfStudy ? task.GetSelfStudyInfoList() : task.GetCourseInfoList();
        for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(theirs)) {
            const std::string key = PlanKey(other, *plan);
            if (const auto found = ours.find(key); found != ours.end()) {
                maps.plans[plan->GetId()] = found->second->GetId();
                if (kind != MergeKind::Classes)
                    found->second->SetWeekCount(found->second->GetWeekCount() + plan->GetWeekCount());
                continue;
            }
            CCourseInfo* copy = plan->Clone();
            copy->SetId(NewGuidString());
            copy->SetIndex(NextIndex(list));
            copy->SetClass(Mapped(maps.classes, plan->GetClassId()));
            copy->SetSubject(Mapped(maps.subjects, plan->GetSubjectId()));
            copy->SetTeacher(Mapped(maps.teachers, plan->GetTeacherId()));
            if (plan->GetRoomStrategy() == ROOM_STRATEGY_FIXED)
                copy->SetRoom(Mapped(maps.rooms, plan->GetRoomParam()));
            copy->GetTable(false).Clear();
            copy->GetTempTable().Clear();
            maps.plans[plan->GetId()] = copy->GetId();
            ours.emplace(key, copy);
            list.Add(copy);
            // A new plan brings its assistants.
            if (const CCourseAssistant* assistant = other.GetAssistant(plan->GetId())) {
                auto* record = new CCourseAssistant();
                record->SetId(copy->GetId());
                record->SetIndex(NextIndex(task.GetAssistantList()));
                for (const std::string& id : assistant->GetAssistants())
                    if (const std::string mine = Mapped(maps.teachers, id); !mine.empty())
                        record->GetAssistants().push_back(mine);
                task.GetAssistantList().Add(record);
            }
        }
    }
    // A combined class of new plans comes along; one of matched plans is there already.
    for (CCombineClass* group : ObjectsInOrder<CCombineClass>(other.GetCombineCourseList())) {
        std::vector<std::string> members;
        for (const std::string& id : group->GetCombineCourse())
            if (const std::string mine = Mapped(maps.plans, id); !mine.empty())
                members.push_back(mine);
        if (members.empty() || task.GetCC(members.front()))
            continue;
        auto* copy = new CCombineClass();
        copy->SetId(NewGuidString());
        copy->SetName(group->GetName());
        copy->SetIndex(NextIndex(task.GetCombineCourseList()));
        copy->GetCombineCourse() = members;
        task.GetCombineCourseList().Add(copy);
    }
    task.GetCombineCourseList().ReBuildCourseMap();
}

// The other task's pre-arranged lessons and fixed no-class times at the slots brought over, joined
// to the open task's of the same object, with their activities.
void MergeNodeLists(CScheduleTask& task, const CScheduleTask& other, MergeKind kind, const IdMaps& maps)
{
    struct Pair {
        const CZemObjectList* theirs;
        CZemObjectList* ours;
        const std::map<std::string, std::string>* ids;
    };
    const Pair pairs[] = {{&other.GetCoursePresetList(), &task.GetCoursePresetList(), &maps.plans},
                          {&other.GetFixedTimeOfClassList(), &task.GetFixedTimeOfClassList(), &maps.classes},
                          {&other.GetFixedTimeOfCourseList(), &task.GetFixedTimeOfCourseList(), &maps.plans},
                          {&other.GetFixedTimeOfSubjectList(), &task.GetFixedTimeOfSubjectList(), &maps.subjects},
                          {&other.GetFixedTimeOfTeacherList(), &task.GetFixedTimeOfTeacherList(), &maps.teachers}};
    for (const Pair& pair : pairs)
        for (CNodeListObject* object : ObjectsInOrder<CNodeListObject>(*pair.theirs)) {
            const std::string id = Mapped(*pair.ids, object->GetId());
            if (id.empty())
                continue;
            auto* mine = static_cast<CNodeListObject*>(pair.ours->Find(id));
            const bool added = !mine;
            if (added) {
                mine = static_cast<CNodeListObject*>(object->Clone());
                mine->SetId(id);
                mine->SetIndex(NextIndex(*pair.ours));
                mine->ClearAll();
            }
            auto* fixedMine = dynamic_cast<CFixedTimeOfObject*>(mine);
            const auto* fixedTheirs = dynamic_cast<const CFixedTimeOfObject*>(object);
            CActivities activities = fixedMine ? fixedMine->GetActivities() : CActivities();
            std::string text = mine->GetAllFixedTime();
            for (const tagTABLE_NODE& node : object->GetNodeList()) {
                if (!IsBroughtOver(other, kind, node) || mine->IsFixedTime(node))
                    continue;
                text += zem::Format("%d,", node.day * 100 + node.segment * 10 + node.section);
                if (fixedTheirs && !fixedTheirs->GetActivities().GetActivity(node).empty())
                    activities.AddActivity(node, fixedTheirs->GetActivities().GetActivity(node));
            }
            mine->ReadFixedTimeFromString(text);
            if (fixedMine)
                fixedMine->GetActivities() = activities;
            if (added) {
                if (mine->HasFixedTime())
                    pair.ours->Add(mine);
                else
                    delete mine;
            }
        }
}

// The open task's week gains the other's days or segments, slot states and period names with them.
void MergeWeek(CScheduleTask& task, const CScheduleTask& other, MergeKind kind)
{
    if (kind == MergeKind::Classes)
        return;
    CSchoolStructure& week = task.GetSchoolStructure();
    const CSchoolStructure ours = week;
    const CSchoolStructure& theirs = other.GetSchoolStructure();
    for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
        const int mine = ours.GetSectionNodeMaxCount(segment);
        const int others = theirs.GetSectionNodeMaxCount(segment);
        week.SetSectionNodeMaxCount(segment, kind == MergeKind::Days ? std::max(mine, others) : (others > 0 ? others : mine),
                                    false);
    }
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                const tagTABLE_NODE node{day, segment, section};
                if (IsBroughtOver(other, kind, node)) {
                    // Beyond the other task's own periods its days have no lesson time.
                    const bool open = section < theirs.GetSectionNodeMaxCount(segment) && theirs.IsDayInUse(day);
                    week.SetValue(node, open ? theirs.GetValue(node) : CTimeTable::kInvalid);
                } else if (kind == MergeKind::Days && section >= ours.GetSectionNodeMaxCount(segment)) {
                    // A period the other task's days add is none of the open task's days.
                    week.SetValue(node, CTimeTable::kInvalid);
                }
            }
    CPeriodNameList& names = week.GetCustomPeriodNameList();
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        for (int section = 0; section < zem::kSectionCount; ++section) {
            const std::string& theirName = theirs.GetCustomPeriodNameList().Query(segment, section);
            const bool takes = kind == MergeKind::Segments ? theirs.GetSectionNodeMaxCount(segment) > 0
                                                           : names.Query(segment, section).empty();
            if (!theirName.empty() && takes)
                names.Add(segment, section, theirName);
        }
    if (theirs.GetCustomPeriodNameList().IsEnabled())
        names.SetEnabled(true);
    week.ParseFromXMLData();
    for (const auto& [key, name] : other.GetActivities().GetMap()) {
        tagTABLE_NODE node;
        if (ParseNodeKey(key, node.day, node.segment, node.section) && IsBroughtOver(other, kind, node))
            task.GetActivities().AddActivity(node, name);
    }
}

}  // namespace

const char* MergeName(MergeKind kind)
{
    switch (kind) {
    case MergeKind::Days: return "列合并";
    case MergeKind::Segments: return "行合并";
    case MergeKind::Classes: return "年级合并";
    }
    return "";
}

namespace {

// The task's limits after the merge: the other task's objects of names the task lacks, and its
// plans of keys the task lacks, are added.
std::string CheckMergeLimits(const CScheduleTask& task, const CScheduleTask& other)
{
    auto newNames = [](const CZemObjectList& ours, const CZemObjectList& theirs) {
        std::size_t count = 0;
        for (const CZemObject* object : ObjectsInOrder<CZemObject>(theirs))
            count += ours.FindByName(object->GetName()) ? 0 : 1;
        return count;
    };
    std::size_t places = CountTaskObjects(task, TaskObjectKind::RoomPlace);
    for (const CRoomInfo* room : ObjectsInOrder<CRoomInfo>(other.GetRoomInfoList()))
        if (!task.GetRoomInfoList().FindByName(room->GetName()))
            places += room->GetCapacity();
    const std::map<std::string, CCourseInfo*> ours = PlansByKey(task);
    auto newPlans = [&](const CZemObjectList& theirs) {
        std::set<std::string> keys;
        for (const CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(theirs))
            if (const std::string key = PlanKey(other, *plan); !ours.count(key))
                keys.insert(key);
        return keys.size();
    };
    const std::pair<TaskObjectKind, std::size_t> added[] = {
        {TaskObjectKind::Subject, newNames(task.GetSubjectInfoList(), other.GetSubjectInfoList())},
        {TaskObjectKind::Teacher, newNames(task.GetTeacherInfoList(), other.GetTeacherInfoList())},
        {TaskObjectKind::Class, newNames(task.GetClassInfoList(), other.GetClassInfoList())},
        {TaskObjectKind::Room, newNames(task.GetRoomInfoList(), other.GetRoomInfoList())},
        {TaskObjectKind::Plan, newPlans(other.GetCourseInfoList())},
        {TaskObjectKind::SelfStudy, newPlans(other.GetSelfStudyInfoList())}};
    for (const auto& [kind, count] : added)
        if (std::string refusal = CheckTaskLimit(task, kind, count); !refusal.empty())
            return refusal;
    return CheckTaskLimitTotal(TaskObjectKind::RoomPlace, places);
}

// Whether the two tasks fit together for the merge, before the limits.
std::string CheckMergeShape(const CScheduleTask& task, const CScheduleTask& other, MergeKind kind)
{
    const CSchoolStructure& ours = task.GetSchoolStructure();
    const CSchoolStructure& theirs = other.GetSchoolStructure();
    if (other.GetClassInfoList().IsEmpty())
        return "要合并的排课任务中没有班级";
    if (kind == MergeKind::Days) {
        for (int day = 0; day < zem::kDayCount; ++day)
            if (ours.IsDayInUse(day) && theirs.IsDayInUse(day))
                return zem::Format("两个排课任务都使用%s，列合并要求两个任务使用的日子不重复",
                                   GetWeekdayName(day, false).c_str());
    } else if (kind == MergeKind::Segments) {
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            if (ours.GetSectionNodeMaxCount(segment) > 0 && theirs.GetSectionNodeMaxCount(segment) > 0)
                return zem::Format("两个排课任务都使用%s的节次，行合并要求两个任务使用的节次不重复",
                                   GetSectionKindNames(segment).c_str());
    }
    if (kind != MergeKind::Classes) {
        const std::set<std::string> mine = ClassNames(task);
        const std::set<std::string> others = ClassNames(other);
        for (const std::set<std::string>* names : {&mine, &others})
            for (const std::string& name : *names)
                if (!mine.count(name) || !others.count(name))
                    return zem::Format("班级“%s”只在一个排课任务中，%s要求两个任务的班级相同", name.c_str(),
                                       MergeName(kind));
        return CheckCombinedClasses(task, other);
    }
    for (CClassInfo* cls : ObjectsInOrder<CClassInfo>(other.GetClassInfoList()))
        if (task.GetClassInfoList().FindByName(cls->GetName()))
            return zem::Format("班级“%s”已在当前排课任务中，年级合并要求两个任务的班级不重复", cls->GetName().c_str());
    if (!SameWeek(ours, theirs))
        return "两个排课任务的教学时间不同，年级合并要求两个任务的教学时间相同";
    return FindDoubleBooking(task, other);
}

}  // namespace

std::string CheckMerge(const CScheduleTask& task, const CScheduleTask& other, MergeKind kind)
{
    // A task the merge would take past a limit could not be opened again, whatever its shape.
    std::string refusal = CheckMergeLimits(task, other);
    return refusal.empty() ? CheckMergeShape(task, other, kind) : refusal;
}

void MergeTaskInto(CScheduleTask& task, const CScheduleTask& other, MergeKind kind, CMoveResult& result)
{
    CTaskHelper(&task).RestoreTempTables();
    IdMaps maps;
    maps.subjects = MatchByName(task.GetSubjectInfoList(), other.GetSubjectInfoList());
    maps.teachers = MatchByName(task.GetTeacherInfoList(), other.GetTeacherInfoList());
    maps.rooms = MatchByName(task.GetRoomInfoList(), other.GetRoomInfoList());
    maps.classes = MatchByName(task.GetClassInfoList(), other.GetClassInfoList());
    MergePlans(task, other, kind, maps);
    MergeNodeLists(task, other, kind, maps);
    MergeWeek(task, other, kind);

    // The lessons, plan by plan, into the working timetables; the teacher and room timetables follow.
    result.onClosedTimes.clear();
    CTaskHelper helper(&task);
    ForEachLesson(
        other, [&](const tagTABLE_NODE& node) { return IsBroughtOver(other, kind, node); },
        [&](const Lesson& lesson) {
            CCourseInfo* plan = task.FindCourse(Mapped(maps.plans, lesson.plan->GetId()));
            if (!plan)
                return;
            const std::string room = Mapped(maps.rooms, lesson.roomId);
            task.SetCourseNode(plan, room, true, lesson.node, lesson.part);
            ++result.movedLessons;
            AddUnique(result.changedIds, plan->GetClassId());
            std::vector<std::string> teachers;
            task.GetAllTeacherId(teachers, plan, false);
            for (const std::string& id : teachers)
                AddUnique(result.changedIds, id);
            AddUnique(result.changedIds, room);
            if (std::string note = ClosedTimeNote(helper, plan->GetClassId(), plan, lesson.node); !note.empty())
                result.onClosedTimes.push_back(std::move(note));
        });
    CommitTempTables(task);
}

CMoveResult MergeTask(CScheduleTask& task, const CScheduleTask& other, MergeKind kind, CAdjustmentEntryList& entries)
{
    CMoveResult result;
    result.refusal = CheckMerge(task, other, kind);
    if (!MayMove(task, result, true))
        return result;
    const SavedFiles before(task.GetTaskInfo());
    const TaskSnapshot snapshot(task);
    MergeTaskInto(task, other, kind, result);
    if (!SaveMove(task, before, result, [&] { snapshot.Restore(task); }))
        return result;
    const std::string otherName = other.GetTaskInfo().GetTaskName();
    ReportMove(result, zem::Format("%s %s", MergeName(kind), otherName.c_str()),
               zem::Format("%s完成：排课任务“%s”的 %d 节课已合并到当前排课任务", MergeName(kind), otherName.c_str(),
                           result.movedLessons),
               entries);
    return result;
}
