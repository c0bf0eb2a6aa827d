#include "app/timetable/SubstituteExecute.h"

#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ChangeCheck.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"
#include "base/WeekCount.h"
#include "platform/Text.h"

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

namespace {

int HalfOf(int part) { return part == 2 ? 2 : 1; }

// The plan of the regular teacher's lesson the record names, or null when the cell's half holds
// none any more (or the cell is split where the record is whole, or the other way round).
CCourseInfo* RecordPlan(const CScheduleTask& task, const std::string& regularId, const CSubstituteRecord& record)
{
    const CTeacherInfo* regular = task.GetTeacher(regularId);
    if (!regular)
        return nullptr;
    const tagTABLE_NODE cell{record.day, record.segment, record.section};
    const CCourseTable& table = regular->GetTable(true);
    if (!table.IsUsed(cell))
        return nullptr;
    const CCourseTableNode& node = table.GetNode(cell);
    if (node.IsInterleave() != (record.half != 0))
        return nullptr;
    return task.FindCourse(node.data(HalfOf(record.half)).GetCourseId());
}

// Whether the class's cell holds the plan in the record's part.
bool ClassHolds(const CScheduleTask& task, const CCourseInfo& plan, const tagTABLE_NODE& cell, int part)
{
    const CClassInfo* cls = task.GetClass(plan.GetClassId());
    if (!cls)
        return false;
    const CCourseTableNode& node = cls->GetTable(true).GetNode(cell);
    if (!cls->GetTable(true).IsUsed(cell) || node.IsInterleave() != (part != 0))
        return false;
    return node.data(HalfOf(part)).GetCourseId() == plan.GetId();
}

// The plans the lesson consists of: the plan, or every member of its combined class that is
// placed there with it.
std::vector<CCourseInfo*> LessonPlans(const CScheduleTask& task, CCourseInfo* plan, const tagTABLE_NODE& cell, int part)
{
    std::vector<CCourseInfo*> plans;
    if (const CCombineClass* combined = task.GetCC(plan->GetId())) {
        for (const std::string& id : combined->GetCombineCourse())
            if (CCourseInfo* member = task.FindCourse(id); member && ClassHolds(task, *member, cell, part))
                plans.push_back(member);
    } else if (ClassHolds(task, *plan, cell, part)) {
        plans.push_back(plan);
    }
    return plans;
}

void AddTeachersOf(const CScheduleTask& task, const CCourseInfo& plan, std::vector<std::string>& ids)
{
    StringArrayAddUnique(ids, plan.GetTeacherId());
    if (const CCourseAssistant* assistant = task.GetAssistant(plan.GetId()))
        StringArrayAddAllUnique(ids, assistant->GetAssistants());
}

std::string SlotCode(const tagTABLE_NODE& node)
{
    return IntToString(node.day * 100 + node.segment * 10 + node.section) + ",";
}

// A pre-arranged lesson stays pre-arranged when another teacher takes it: its slot goes from the
// plan's pre-arrangement, which no longer holds it, to the copy's.
void HandOverPresetSlot(CScheduleTask& task, const CCourseInfo& plan, const CCourseInfo& copy,
                        const tagTABLE_NODE& cell)
{
    CZemObjectList& presets = task.GetCoursePresetList();
    auto* own = static_cast<CCoursePreset*>(presets.Find(plan.GetId()));
    if (!own || !own->IsFixedTime(cell))
        return;
    auto* taken = static_cast<CCoursePreset*>(presets.Find(copy.GetId()));
    if (!taken) {
        int order = 0;
        for (const auto& [id, object] : presets)
            order = std::max(order, object->GetIndex() + 1);
        taken = new CCoursePreset;
        taken->SetId(copy.GetId());
        taken->SetIndex(order);
        presets.Add(taken);
    }
    taken->ReadFixedTimeFromString(taken->GetAllFixedTime() + SlotCode(cell));
    std::string kept;
    for (const tagTABLE_NODE& node : own->GetNodeList())
        if (!(node == cell))
            kept += SlotCode(node);
    if (kept.empty())
        presets.Remove(plan.GetId());
    else
        own->ReadFixedTimeFromString(kept);
}

std::set<std::string> IdsIn(const CZemObjectList& list)
{
    std::set<std::string> ids;
    for (const auto& [id, object] : list)
        ids.insert(id);
    return ids;
}

// Deletes the objects of the list whose ids are not among `before`; answers their ids.
std::vector<std::string> RemoveAdded(CZemObjectList& list, const std::set<std::string>& before)
{
    std::vector<std::string> added;
    for (const auto& [id, object] : list)
        if (!before.count(id))
            added.push_back(id);
    for (const std::string& id : added)
        list.Remove(id);
    return added;
}

// What a substitution changes, taken before it, so that a refused one leaves the task exactly as
// it was: every working timetable, every plan's weekly count, the presets, and which plans,
// assistants and combined classes there were (a substitution only adds to those lists).
class SubstitutionUndo {
public:
    explicit SubstitutionUndo(CScheduleTask& task) : m_task(task)
    {
        for (CZemObjectList* list : TableLists())
            for (const auto& [id, object] : *list) {
                auto* owner = static_cast<CZemTableObject*>(object);
                m_tables.emplace_back(owner, owner->GetTable(true));
            }
        for (const auto& [id, object] : task.GetRoomInfoList())
            m_rooms.emplace_back(static_cast<CRoomInfo*>(object), static_cast<CRoomInfo*>(object)->GetComplexTable());
        for (CZemObjectList* list : {&task.GetCourseInfoList(), &task.GetSelfStudyInfoList()})
            for (const auto& [id, object] : *list)
                m_counts.emplace_back(static_cast<CCourseInfo*>(object), static_cast<CCourseInfo*>(object)->GetWeekCount());
        for (const auto& [id, object] : task.GetCoursePresetList())
            m_presets.emplace_back(object->Clone());
        m_plans = IdsIn(task.GetCourseInfoList());
        m_selfStudies = IdsIn(task.GetSelfStudyInfoList());
        m_assistants = IdsIn(task.GetAssistantList());
        m_combined = IdsIn(task.GetCombineCourseList());
    }

    // Puts it all back; answers the ids of the plans the substitution added, now gone.
    std::vector<std::string> Restore()
    {
        std::vector<std::string> gone = RemoveAdded(m_task.GetCourseInfoList(), m_plans);
        for (const std::string& id : RemoveAdded(m_task.GetSelfStudyInfoList(), m_selfStudies))
            gone.push_back(id);
        RemoveAdded(m_task.GetAssistantList(), m_assistants);
        RemoveAdded(m_task.GetCombineCourseList(), m_combined);
        m_task.GetCombineCourseList().ReBuildCourseMap();
        m_task.GetCoursePresetList().RemoveAll();
        for (std::unique_ptr<CZemObject>& preset : m_presets)
            m_task.GetCoursePresetList().Add(preset.release());
        for (auto& [owner, table] : m_tables)
            owner->GetTable(true) = table;
        for (auto& [room, places] : m_rooms)
            room->GetComplexTable() = places;
        for (const auto& [plan, count] : m_counts)
            plan->SetWeekCount(count);
        return gone;
    }

private:
    std::vector<CZemObjectList*> TableLists() const
    {
        return {&m_task.GetClassInfoList(), &m_task.GetTeacherInfoList(), &m_task.GetRoomInfoList(),
                &m_task.GetCourseInfoList(), &m_task.GetSelfStudyInfoList()};
    }

    CScheduleTask& m_task;
    std::vector<std::pair<CZemTableObject*, CCourseTable>> m_tables;
    std::vector<std::pair<CRoomInfo*, CComplexTable>> m_rooms;
    std::vector<std::pair<CCourseInfo*, CWeekCount>> m_counts;
    std::vector<std::unique_ptr<CZemObject>> m_presets;
    std::set<std::string> m_plans, m_selfStudies, m_assistants, m_combined;
};

}  // namespace

void FollowMoveInGroups(std::vector<CSubstituteGroup>& groups, const tagTABLE_NODE& source, const tagTABLE_NODE& target,
                        const std::vector<std::string>& teachers)
{
    for (CSubstituteGroup& group : groups)
        for (CSubstituteRecord& r : group.records) {
            if (!r.substitute || std::find(teachers.begin(), teachers.end(), r.substitute->GetId()) == teachers.end())
                continue;
            const tagTABLE_NODE cell{r.day, r.segment, r.section};
            const tagTABLE_NODE* to = cell == source ? &target : cell == target ? &source : nullptr;
            if (to) {
                r.day = to->day;
                r.segment = to->segment;
                r.section = to->section;
            }
        }
}

std::vector<std::string> NodeTeachers(const CScheduleTask& task, const CCourseTableNode& node)
{
    std::vector<std::string> teachers;
    for (const int half : {1, 2}) {
        std::vector<std::string> ids;
        node.GetCourseIds(ids, half);
        for (const std::string& id : ids)
            if (const CCourseInfo* plan = task.FindCourse(id))
                AddTeachersOf(task, *plan, teachers);
    }
    return teachers;
}

std::vector<const CSubstituteRecord*> FindSubstituteConflicts(const CScheduleTask& task,
                                                              const std::vector<CSubstituteRecord>& records)
{
    std::vector<const CSubstituteRecord*> conflicts;
    for (const CSubstituteRecord& record : records) {
        const auto* substitute = record.substitute ? task.GetTeacher(record.substitute->GetId()) : nullptr;
        const tagTABLE_NODE cell{record.day, record.segment, record.section};
        // A fixed no-lesson time (a group's research hour, say) is as taken as a lesson.
        if (substitute && (substitute->GetTable(true).IsUsed(cell) || task.IsTeacherFixedTime(substitute->GetId(), cell)))
            conflicts.push_back(&record);
    }
    return conflicts;
}

std::string SubstituteConflictsSaid(const CScheduleTask& task, const std::vector<const CSubstituteRecord*>& conflicts)
{
    std::string said;
    for (const CSubstituteRecord* record : conflicts) {
        const tagTABLE_NODE cell{record->day, record->segment, record->section};
        const std::string& id = record->substitute->GetId();
        std::string why = "已有课程";
        if (const CTeacherInfo* substitute = task.GetTeacher(id); substitute && !substitute->GetTable(true).IsUsed(cell)) {
            const std::string activity = task.GetActivityInfo(id, TABLE_TEACHER, cell);
            why = "是固定不排课时间" + (activity.empty() ? std::string() : "（" + activity + "）");
        }
        said += task.GetTeacherName(id) + " " + task.GetTimeNodeDesc(&cell) + why + "\n";
    }
    return said;
}

int CountStaleRecords(const CScheduleTask& task, const std::string& regularId,
                      const std::vector<CSubstituteRecord>& records)
{
    int stale = 0;
    for (const CSubstituteRecord& record : records) {
        CCourseInfo* plan = RecordPlan(task, regularId, record);
        const tagTABLE_NODE cell{record.day, record.segment, record.section};
        if (!plan || !record.substitute || !task.GetTeacher(record.substitute->GetId()) ||
            LessonPlans(task, plan, cell, record.half).empty())
            ++stale;
    }
    return stale;
}

CCourseInfo* CSubstitution::CopyFor(CScheduleTask& task, const CCourseInfo& plan, const std::string& regularId,
                                    const std::string& substituteId)
{
    const std::string key = plan.GetId() + "#" + substituteId;
    if (const auto found = m_copies.find(key); found != m_copies.end())
        if (CCourseInfo* copy = task.FindCourse(found->second))
            return copy;

    CZemObjectList& list = plan.GetType() == COURSE_TYPE_PLAN ? task.GetCourseInfoList() : task.GetSelfStudyInfoList();
    int order = 0;
    for (const auto& [id, object] : list)
        if (static_cast<const CCourseInfo*>(object)->GetClassId() == plan.GetClassId())
            order = std::max(order, object->GetIndex() + 1);
    CCourseInfo* copy = plan.Clone();
    copy->SetId(NewGuidString());
    copy->SetIndex(order);
    copy->GetTable(false).Clear();
    copy->GetTable(true).Clear();
    copy->SetWeekCount(CWeekCount());
    // A copy carries single lessons and none of the plan's rules.
    const CCourseInfo fresh;
    copy->SetContinuousNodes(fresh.GetContinuousNodes());
    copy->SetContinuousTimes(fresh.GetContinuousTimes());
    if (copy->GetTeacherId() == regularId)
        copy->SetTeacher(substituteId);
    list.Add(copy);
    if (const CCourseAssistant* assistants = task.GetAssistant(plan.GetId())) {
        auto* record = new CCourseAssistant;
        record->SetId(copy->GetId());
        record->SetName(assistants->GetName());
        record->GetAssistants() = assistants->GetAssistants();
        std::replace(record->GetAssistants().begin(), record->GetAssistants().end(), regularId, substituteId);
        task.GetAssistantList().Add(record);
    }
    m_copies[key] = copy->GetId();
    return copy;
}

CSubstitution::Result CSubstitution::Execute(CScheduleTask& task, const std::string& regularId,
                                             const std::vector<CSubstituteRecord>& records)
{
    Result result;
    const std::vector<const CSubstituteRecord*> conflicts = FindSubstituteConflicts(task, records);
    result.conflicts = static_cast<int>(conflicts.size());
    result.conflictsSaid = SubstituteConflictsSaid(task, conflicts);
    result.stale = CountStaleRecords(task, regularId, records);
    if (result.conflicts > 0 || result.stale > 0 || records.empty())
        return result;

    // A substitution moves lessons from plans to their copies: the counts change by design. Each
    // copy stands for its plan, so what the plan's lessons broke where they are is not new; what
    // else it breaks (a substitute put beside a teacher he may not teach with, a limit of the task)
    // refuses it, undone, and named: nobody was asked to keep it.
    const CChangeCheck check(task, true, CChangeCheck::Plans::Edited, StandIns(task));
    SubstitutionUndo undo(task);
    auto entry = std::make_unique<CAdjustmentEntry>();
    std::vector<std::string> substituteNames;
    StringArrayAddUnique(entry->ids, regularId);
    for (const CSubstituteRecord& record : records) {
        StringArrayAddUnique(substituteNames, record.substitute->GetName());
        CarryOut(task, regularId, record, *entry);
    }
    const ChangeFindings findings = check.Findings(StandIns(task));
    if (!findings.IsClean()) {
        for (const std::string& id : undo.Restore())
            std::erase_if(m_copies, [&id](const auto& copy) { return copy.second == id; });
        result.refusal = RefusedChangeText(findings);
        return result;
    }
    std::string joined;
    for (const std::string& name : substituteNames)
        joined += (joined.empty() ? "" : "，") + name;
    entry->title = zem::Format("%s 安排代课 %s %d节 -> %s", GetNowString().c_str(), task.GetTeacherName(regularId).c_str(),
                               static_cast<int>(records.size()), joined.c_str());
    result.entry = std::move(entry);
    result.done = true;
    return result;
}

PlanStandIns CSubstitution::StandIns(const CScheduleTask& task) const
{
    PlanStandIns standIns;
    for (const auto& [key, copyId] : m_copies)
        if (task.FindCourse(copyId))
            standIns.emplace(copyId, key.substr(0, key.find('#')));
    return standIns;
}

void CSubstitution::CarryOut(CScheduleTask& task, const std::string& regularId, const CSubstituteRecord& record,
                             CAdjustmentEntry& entry)
{
    const tagTABLE_NODE cell{record.day, record.segment, record.section};
    const int part = record.half;
    const std::string substituteId = record.substitute->GetId();
    CCourseInfo* plan = RecordPlan(task, regularId, record);
    const std::vector<CCourseInfo*> plans = LessonPlans(task, plan, cell, part);

    // Taken out with a helper of its own: it reads the plans once, and copies are added below.
    std::vector<std::string> rooms;
    {
        CTaskHelper helper(&task);
        for (CCourseInfo* member : plans) {
            CCourseTable& table = task.GetClass(member->GetClassId())->GetTable(true);
            rooms.push_back(table.GetNode(cell).data(HalfOf(part)).GetRoomId());
            helper.UnsetCourseNode(&table, &table.GetNode(cell), cell, part);
        }
    }
    std::vector<CCourseInfo*> copies;
    for (CCourseInfo* member : plans)
        copies.push_back(CopyFor(task, *member, regularId, substituteId));
    if (copies.size() > 1 && !task.GetCC(copies.front()->GetId())) {
        auto* combined = new CCombineClass;
        combined->SetId(NewGuidString());
        for (const CCourseInfo* copy : copies)
            combined->GetCombineCourse().push_back(copy->GetId());
        task.GetCombineCourseList().Add(combined);
        task.GetCombineCourseList().ReBuildCourseMap();
    }
    const CWeekCount lesson = part == 0 ? CWeekCount(1, false) : CWeekCount(0, true);
    for (std::size_t i = 0; i < plans.size(); ++i) {
        task.SetCourseNode(copies[i], rooms[i], true, cell, part);
        HandOverPresetSlot(task, *plans[i], *copies[i], cell);
        plans[i]->SetWeekCount(plans[i]->GetWeekCount() - lesson);
        copies[i]->SetWeekCount(copies[i]->GetWeekCount() + lesson);
        StringArrayAddUnique(entry.ids, plans[i]->GetClassId());
        AddTeachersOf(task, *plans[i], entry.ids);
        AddTeachersOf(task, *copies[i], entry.ids);
        if (!rooms[i].empty())
            StringArrayAddUnique(entry.ids, rooms[i]);
    }
}
