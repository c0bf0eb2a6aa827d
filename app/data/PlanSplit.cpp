#include "app/data/PlanSplit.h"

#include "app/shared/Strings.h"
#include "app/data/LessonsOutsideWeek.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "app/shared/SaveFailure.h"
#include "base/ChangeCheck.h"
#include "base/Segment.h"
#include "base/WeekCount.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// The segments of a day in the order their lessons are given.

// The plan that takes the lessons: the existing plan of the key when it is of the same kind.
CCourseInfo* FindTarget(const CPlanKeyIndex& index, const CCourseInfo& plan, const std::string& newCourseId)
{
    const auto found = index.find(MakePlanKey(plan.GetClassId(), plan.GetTeacherId(), newCourseId));
    if (found == index.end() || found->second->GetType() != plan.GetType())
        return nullptr;
    return found->second;
}

CZemObjectList& ListOfKind(CScheduleTask& task, const CCourseInfo& plan)
{
    return plan.GetType() == COURSE_TYPE_PLAN ? task.GetCourseInfoList() : task.GetSelfStudyInfoList();
}

CCourseInfo* CreateTarget(CScheduleTask& task, const CCourseInfo& plan, const std::string& newCourseId)
{
    CZemObjectList& list = ListOfKind(task, plan);
    int order = 0;
    for (const auto& [id, object] : list)
        if (static_cast<const CCourseInfo*>(object)->GetClassId() == plan.GetClassId())
            order = std::max(order, object->GetIndex() + 1);
    auto* target = new CCourseInfo;
    target->SetId(NewGuidString());
    target->SetClass(plan.GetClassId());
    target->SetTeacher(plan.GetTeacherId());
    target->SetSubject(newCourseId);
    target->SetType(plan.GetType());
    target->SetMainCourse(plan.IsMainCourse() ? 1 : 0);
    // The lessons keep their rooms, so the new plan keeps the plan's room.
    target->SetRoomStrategy(plan.GetRoomStrategy());
    target->SetRoomParam(plan.GetRoomParam());
    target->SetIndex(order);
    list.Add(target);
    return target;
}

void AddUnique(std::vector<std::string>& ids, const std::string& id)
{
    if (!id.empty() && std::find(ids.begin(), ids.end(), id) == ids.end())
        ids.push_back(id);
}

// The teachers whose tables hold the plan's lessons: its own, then its assistants.
void AddTeachersOf(const CScheduleTask& task, const CCourseInfo& plan, std::vector<std::string>& ids)
{
    AddUnique(ids, plan.GetTeacherId());
    if (const CCourseAssistant* assistant = task.GetAssistant(plan.GetId()))
        for (const std::string& id : assistant->GetAssistants())
            AddUnique(ids, id);
}

// A taken lesson is the new course's: a preset slot of the plan there would be a broken rule.
void DropTakenPresets(CScheduleTask& task, const CCourseInfo& plan, const std::vector<tagTABLE_NODE>& taken)
{
    auto* preset = static_cast<CCoursePreset*>(task.GetCoursePresetList().Find(plan.GetId()));
    if (!preset)
        return;
    std::string kept;
    for (const tagTABLE_NODE& node : preset->GetNodeList())
        if (std::find(taken.begin(), taken.end(), node) == taken.end())
            kept += IntToString(node.day * 100 + node.segment * 10 + node.section) + ",";
    if (kept.empty())
        task.GetCoursePresetList().Remove(plan.GetId());
    else
        preset->ReadFixedTimeFromString(kept);
}

}  // namespace

std::string MakePlanKey(const std::string& classId, const std::string& teacherId, const std::string& courseId)
{
    return classId + "#" + teacherId + "#" + courseId;
}

CPlanKeyIndex BuildPlanKeyIndex(const CScheduleTask& task)
{
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    CPlanKeyIndex index;
    for (CCourseInfo* plan : plans)
        index.emplace(MakePlanKey(plan->GetClassId(), plan->GetTeacherId(), plan->GetSubjectId()), plan);
    return index;
}

std::string CheckSplit(const CScheduleTask& task, const CPlanKeyIndex& index, const CCourseInfo& plan, int count,
                       const std::string& newCourseId)
{
    if (count <= 0)
        return "拆分节数应大于0";
    if (CWeekCount(count, false) >= plan.GetWeekCount())
        return "拆分节数应小于周课时数";
    if (newCourseId == plan.GetSubjectId())
        return "新课程名称和之前相同";
    if (task.GetCC(plan.GetId()))
        return "合班课程不支持";
    // Lessons joining a combined plan would sit in one class only.
    if (const CCourseInfo* target = FindTarget(index, plan, newCourseId); target && task.GetCC(target->GetId()))
        return "合班课程不支持";
    return {};
}

std::vector<tagTABLE_NODE> PickSplitLessons(const CScheduleTask& task, const CCourseInfo& plan, int count,
                                            int position, std::mt19937& random, const std::string& newCourseId,
                                            const CCourseInfo* target)
{
    const CSchoolStructure& week = task.GetSchoolStructure();
    const CCourseTable& table = plan.GetTable(false);
    std::vector<tagTABLE_NODE> placed;
    for (int day = 0; day < zem::kDayCount; ++day)
        for (const int segment : zem::kSegmentsInDayOrder)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                const tagTABLE_NODE node{day, segment, section};
                const CCourseTableNode& cell = table.GetNode(node);
                // A half lesson stays: the split gives whole lessons.
                if (IsSlotInWeek(week, node) && !cell.IsInterleave() && cell.GetCourseId(1) == plan.GetId())
                    placed.push_back(node);
            }
    if (position == kSplitRandom)
        std::shuffle(placed.begin(), placed.end(), random);
    else if (position == kSplitLatest)
        std::reverse(placed.begin(), placed.end());
    // Taken last, when nothing else is left: a pre-arranged lesson, which belongs to its plan, and a
    // slot closed to the new course or to the plan that takes the lessons.
    const CNodeListObject* keep[] = {
        static_cast<const CNodeListObject*>(task.GetCoursePresetList().Find(plan.GetId())),
        static_cast<const CNodeListObject*>(task.GetFixedTimeOfSubjectList().Find(newCourseId)),
        target ? static_cast<const CNodeListObject*>(task.GetFixedTimeOfCourseList().Find(target->GetId())) : nullptr,
    };
    std::stable_partition(placed.begin(), placed.end(), [&keep](const tagTABLE_NODE& node) {
        return std::none_of(std::begin(keep), std::end(keep),
                            [&node](const CNodeListObject* slots) { return slots && slots->IsFixedTime(node); });
    });
    placed.resize(std::min<std::size_t>(placed.size(), static_cast<std::size_t>(std::max(count, 0))));
    return placed;
}

namespace {

// What a split changed besides the timetables, to put back when the check refuses it.
struct SplitUndo {
    std::vector<std::pair<CCourseInfo*, CWeekCount>> counts;  // the counts of every plan a split touches
    std::vector<std::pair<CCourseInfo*, std::string>> created;  // new targets and their keys in the index
    std::vector<std::unique_ptr<CCoursePreset>> presets;       // copies of the presets of the split plans
    std::vector<std::string> presetIds;                        // the split plans whose presets go back
    std::size_t entries = 0;

    void Put(CScheduleTask& task, CPlanKeyIndex& index, CAdjustmentEntryList& list)
    {
        CTaskHelper(&task).RestoreTempTables();
        for (const auto& [plan, count] : counts)
            plan->SetWeekCount(count);
        for (const std::string& id : presetIds)
            task.GetCoursePresetList().Remove(id);
        for (std::unique_ptr<CCoursePreset>& preset : presets)
            task.GetCoursePresetList().Add(preset.release());
        for (const auto& [target, key] : created) {
            index.erase(key);
            ListOfKind(task, *target).Remove(target->GetId());
        }
        list.resize(entries);
    }
};

struct SplitOf {
    CCourseInfo* plan;
    CCourseInfo* target;
    std::string description;
};

// Targets first: the helper reads the plans once, when it first needs them. What each split will
// change is noted for the undo.
std::vector<SplitOf> PrepareSplits(CScheduleTask& task, CPlanKeyIndex& index, const std::vector<CCourseInfo*>& plans,
                                   const std::string& newCourseId, SplitUndo& undo)
{
    std::vector<SplitOf> splits;
    for (CCourseInfo* plan : plans) {
        CCourseInfo* target = FindTarget(index, *plan, newCourseId);
        if (!target) {
            target = CreateTarget(task, *plan, newCourseId);
            const std::string key = MakePlanKey(plan->GetClassId(), plan->GetTeacherId(), newCourseId);
            index.emplace(key, target);
            undo.created.emplace_back(target, key);
        }
        undo.counts.emplace_back(plan, plan->GetWeekCount());
        undo.counts.emplace_back(target, target->GetWeekCount());
        undo.presetIds.push_back(plan->GetId());
        if (const CZemObject* preset = task.GetCoursePresetList().Find(plan->GetId()))
            undo.presets.emplace_back(static_cast<const CCoursePreset*>(preset)->Clone());
        splits.push_back({plan, target, task.GetCourseDesc(plan)});
    }
    // The counts go back in reverse, so that a plan both split and joined ends as it began.
    std::reverse(undo.counts.begin(), undo.counts.end());
    return splits;
}

// Moves the lessons of one split in the working tables and moves its count; the entry that
// records it.
std::unique_ptr<CAdjustmentEntry> SplitOne(CScheduleTask& task, CTaskHelper& helper, const SplitOf& split,
                                           const CSplitRequest& request, std::mt19937& random, CSplitResult& result)
{
    CCourseInfo& plan = *split.plan;
    auto entry = std::make_unique<CAdjustmentEntry>();
    entry->title = zem::Format("%s 拆分教学计划 %s %d节 -> %s", GetNowString().c_str(), split.description.c_str(),
                               request.count, task.GetSubjectName(request.newCourseId).c_str());
    AddUnique(entry->ids, plan.GetClassId());
    AddTeachersOf(task, plan, entry->ids);
    AddTeachersOf(task, *split.target, entry->ids);

    CClassInfo* cls = task.GetClass(plan.GetClassId());
    const std::vector<tagTABLE_NODE> taken =
        PickSplitLessons(task, plan, request.count, request.position, random, request.newCourseId, split.target);
    for (const tagTABLE_NODE& node : taken) {
        const std::string roomId = plan.GetTable(false).GetNode(node).GetRoomId(1);
        CCourseTable& table = cls ? cls->GetTable(true) : plan.GetTable(true);
        helper.UnsetCourseNode(&table, &table.GetNode(node), node, 0);
        task.SetCourseNode(split.target, roomId, true, node, 0);
        AddUnique(entry->ids, roomId);
        ++result.movedLessons;
    }
    DropTakenPresets(task, plan, taken);
    const CWeekCount moved(request.count, false);
    plan.SetWeekCount(plan.GetWeekCount() - moved);
    split.target->SetWeekCount(split.target->GetWeekCount() + moved);
    return entry;
}

}  // namespace

CSplitResult SplitPlans(CScheduleTask& task, CPlanKeyIndex& index, const CSplitRequest& request,
                        std::mt19937& random, CAdjustmentEntryList& entries)
{
    CSplitResult result;
    std::vector<CCourseInfo*> allowed;
    for (CCourseInfo* plan : request.plans)
        if (plan && CheckSplit(task, index, *plan, request.count, request.newCourseId).empty())
            allowed.push_back(plan);
    if (allowed.empty())
        return result;
    if (!task.AutoBackup(true, "拆分教学计划前", false)) {
        zem::ShowMessage("拆分前无法备份当前排课任务，教学计划没有拆分", "提示", zem::MessageIcon::Error);
        return result;
    }
    // A split edits plans: their counts change, and a new plan may come.
    const CChangeCheck check(task, false, CChangeCheck::Plans::Edited);
    SplitUndo undo;
    undo.entries = entries.size();

    std::vector<SplitOf> splits = PrepareSplits(task, index, allowed, request.newCourseId, undo);
    CTaskHelper helper(&task);
    helper.RestoreTempTables();
    for (const SplitOf& split : splits) {
        entries.push_back(SplitOne(task, helper, split, request, random, result));
        ++result.splitPlans;
    }
    // Each split is made in the working tables; one that breaks a rule the task kept is undone as a
    // whole, before anything is committed or saved, and named.
    const ChangeFindings findings = check.FindingsInWorkingTables();
    if (!findings.IsClean()) {
        undo.Put(task, index, entries);
        zem::ShowMessage(RefusedChangeText(findings), "提示", zem::MessageIcon::Warning);
        return {};
    }
    // The tables are committed even when a save fails, so that they agree with the plans in memory.
    CommitTempTables(task);
    // Lessons of a plan that input.xml lacks would be dropped on reading: the timetables only follow
    // the plans.
    result.saved = SaveSayingWhy([&task] { return task.SaveInputAndOutput(); }, NotSavedText("拆分后的教学计划"),
                                 kCheckTaskFolderReason);
    return result;
}
