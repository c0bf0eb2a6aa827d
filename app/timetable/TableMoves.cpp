#include "app/timetable/TableMoves.h"

#include "base/ChangeCheck.h"

#include "app/timetable/TableMoveSteps.h"

#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "app/shared/SaveFailure.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"
#include "base/Utility.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

namespace move_steps {

namespace {
constexpr const char* kBackupReason = "课表大挪移前";
}  // namespace

void Tell(const std::string& text, zem::MessageIcon icon)
{
    zem::ShowMessage(text, "提示", icon);
}

void AddUnique(std::vector<std::string>& ids, const std::string& id)
{
    if (!id.empty() && std::find(ids.begin(), ids.end(), id) == ids.end())
        ids.push_back(id);
}

SavedFiles::SavedFiles(const CTaskInfo& info)
{
    for (const std::string& path : {info.GetInputFilePath(), info.GetOutputFilePath()}) {
        std::string bytes;
        if (zem::ReadFileBytes(path, bytes))
            files.emplace_back(path, std::move(bytes));
        else
            missing.push_back(path);
    }
}

bool SavedFiles::PutBack() const
{
    bool ok = true;
    for (const auto& [path, bytes] : files) {
        std::string now;
        if (!zem::ReadFileBytes(path, now) || now != bytes)
            ok = zem::WriteFileAtomic(path, bytes) && ok;
    }
    for (const std::string& path : missing)
        if (zem::FileExists(path))
            ok = zem::RemoveFile(path) && ok;
    return ok;
}

// A move made in memory, written: input.xml (the week, the pre-arranged lessons and rules) first,
// output.xml after it. When either cannot be written the task is put back in memory by `undo`, its
// files from `before`, and the user is told; false then.
bool SaveMove(CScheduleTask& task, const SavedFiles& before, CMoveResult& result, const std::function<void()>& undo)
{
    // The one message says what became of the files, then why the save failed.
    std::string reason;
    result.saved = SaveHoldingNotices([&task] { return task.SaveInputAndOutput(); }, reason);
    if (result.saved)
        return true;
    undo();
    const bool putBack = before.PutBack();
    const std::string notSaved = putBack ? "课表大挪移没有保存成功，排课任务的文件已恢复为挪移前的样子。"
                                         : "课表大挪移没有保存成功，排课任务的文件也没能恢复，请从备份“课表大挪移前”恢复。";
    SayFailedSave(notSaved + kReasonBreak, reason, kCheckTaskFolderReason);
    result.movedLessons = 0;
    return false;
}

// Checked and backed up; false (the user told why) when the move may not go ahead.
bool MayMove(CScheduleTask& task, CMoveResult& result, bool bringsPlans)
{
    if (!result.refusal.empty()) {
        Tell(result.refusal);
        return false;
    }
    if (!task.AutoBackup(true, kBackupReason, false)) {
        result.refusal = "无法备份当前排课任务，课表没有改变";
        Tell(result.refusal, zem::MessageIcon::Error);
        return false;
    }
    // A merge brings the other task's plans; no move changes a plan's weekly count.
    result.check = std::make_shared<const CChangeCheck>(
        task, false, bringsPlans ? CChangeCheck::Plans::Edited : CChangeCheck::Plans::Kept);
    return true;
}

std::string ClosedTimeNote(CTaskHelper& helper, const std::string& classId, CCourseInfo* plan,
                           const tagTABLE_NODE& node)
{
    // Every fixed no-lesson time a placement by hand refuses, with an activity on it or not.
    const std::string whose = helper.FixedTimeHolder(plan, node);
    if (whose.empty())
        return {};
    const CScheduleTask& task = *helper.GetTask();
    return zem::Format("%s %s（%s不排课）", task.GetClassNameA(classId).c_str(), task.GetTimeNodeDesc(&node).c_str(),
                       whose.c_str());
}

// What the task's rules find broken since the move began, beyond the lessons on no-lesson times
// listed already: the move goes on, and says each.
std::string BrokenRulesText(const CChangeCheck& check)
{
    ChangeFindings findings = check.Findings();
    ScheduleValidation others;
    for (const ScheduleViolation& violation : findings.broken.Violations())
        if (violation.check != kCheckFixedTime && violation.check != kCheckUnavailable)
            others.Add(violation.check, violation.text, violation.said);
    findings.broken = std::move(others);
    return findings.IsClean() ? std::string() : "\n\n" + KeptChangeText(findings);
}

// One history entry for the move, and what it did said to the user.
void ReportMove(const CMoveResult& result, const std::string& what, std::string text, CAdjustmentEntryList& entries)
{
    auto entry = std::make_unique<CAdjustmentEntry>();
    entry->title = zem::Format("%s 课表大挪移 %s", GetNowString().c_str(), what.c_str());
    entry->ids = result.changedIds;
    entries.push_back(std::move(entry));
    SaveAdjustmentHistory(entries);
    // Every one of them: the user is to move each off its no-lesson time.
    if (!result.onClosedTimes.empty()) {
        text += zem::Format("\n\n下列 %d 节课现在排在不排课的时间上：", static_cast<int>(result.onClosedTimes.size()));
        for (const std::string& note : result.onClosedTimes)
            text += "\n" + note;
    }
    if (result.check)
        text += BrokenRulesText(*result.check);
    Tell(text);
}

}  // namespace move_steps

using namespace move_steps;

namespace {


template <class Visit>
void ForEachLessonOfDay(const CScheduleTask& task, int day, Visit visit)
{
    const CSchoolStructure& week = task.GetSchoolStructure();
    ForEachLesson(
        task,
        [&](const tagTABLE_NODE& node) {
            return node.day == day && node.section < week.GetSectionNodeMaxCount(node.segment);
        },
        visit);
}

int OtherDay(int day, int dayA, int dayB)
{
    return day == dayA ? dayB : day == dayB ? dayA : day;
}

// A lesson time of the school week: open in the school structure. A school activity's slot is
// not one, and the activities stay where they are.
bool IsInWeek(const CScheduleTask& task, const tagTABLE_NODE& node)
{
    return !task.GetSchoolStructure().IsInvalid(node);
}


}  // namespace

namespace {

// Unsets every lesson, then sets each at the slot `to` gives it; the class, teacher, room and plan
// timetables follow. The changed timetables, the lessons that changed slot and those now on a fixed
// no-lesson time of their class or teachers are noted.
template <class To>
void MoveLessons(CScheduleTask& task, const std::vector<Lesson>& lessons, To to, CMoveResult& result)
{
    CTaskHelper helper(&task);
    for (const Lesson& lesson : lessons) {
        CCourseTable& table = task.GetClass(lesson.classId)->GetTable(true);
        helper.UnsetCourseNode(&table, &table.GetNode(lesson.node), lesson.node, lesson.part);
    }
    result.onClosedTimes.clear();
    result.movedLessons = 0;
    for (const Lesson& lesson : lessons) {
        const tagTABLE_NODE target = to(lesson.node);
        task.SetCourseNode(lesson.plan, lesson.roomId, true, target, lesson.part);
        AddUnique(result.changedIds, lesson.classId);
        std::vector<std::string> teachers;
        task.GetAllTeacherId(teachers, lesson.plan, false);
        for (const std::string& id : teachers)
            AddUnique(result.changedIds, id);
        AddUnique(result.changedIds, lesson.roomId);
        if (!(target == lesson.node))
            ++result.movedLessons;
        if (std::string note = ClosedTimeNote(helper, lesson.classId, lesson.plan, target); !note.empty())
            result.onClosedTimes.push_back(std::move(note));
    }
}

// The slots of a pre-arranged lesson or a fixed no-class time where `to` puts them, in their order;
// a slot `to` answers with a day of -1 is dropped. A fixed time's activities go with their slots.
template <class To>
void MoveNodeList(CNodeListObject& object, To to)
{
    std::string text;
    bool moved = false;
    for (const tagTABLE_NODE& node : object.GetNodeList()) {
        const tagTABLE_NODE target = to(node);
        moved = moved || !(target == node);
        if (target.day >= 0)
            text += zem::Format("%d,", target.day * 100 + target.segment * 10 + target.section);
    }
    if (!moved)
        return;
    auto* fixed = dynamic_cast<CFixedTimeOfObject*>(&object);
    CActivities activities;
    if (fixed) {
        for (const auto& [key, name] : fixed->GetActivities().GetMap()) {
            tagTABLE_NODE node;
            if (!ParseNodeKey(key, node.day, node.segment, node.section)) {
                activities.AddActivity(key, name);
                continue;
            }
            const tagTABLE_NODE target = to(node);
            if (target.day >= 0)
                activities.AddActivity(target, name);
        }
    }
    object.ReadFixedTimeFromString(text);
    if (fixed)
        fixed->GetActivities() = activities;
}

}  // namespace

std::string CheckSwapDays(const CScheduleTask& task, int dayA, int dayB)
{
    const CSchoolStructure& week = task.GetSchoolStructure();
    if (!week.IsDayInUse(dayA) || !week.IsDayInUse(dayB))
        return "请选择课表中使用的两天";
    if (dayA == dayB)
        return "请选择不同的两天";
    // A lesson must not land on a slot the other day lacks.
    std::string refusal;
    for (int day : {dayA, dayB})
        ForEachLessonOfDay(task, day, [&](const Lesson& lesson) {
            const tagTABLE_NODE target{OtherDay(day, dayA, dayB), lesson.node.segment, lesson.node.section};
            if (refusal.empty() && !IsInWeek(task, target))
            {
                const std::string& activity = task.GetActivities().GetActivity(target);
                refusal = zem::Format("%s %s的课无法移到%s：%s", task.GetClassNameA(lesson.classId).c_str(),
                                      task.GetTimeNodeDesc(&lesson.node).c_str(), task.GetTimeNodeDesc(&target).c_str(),
                                      activity.empty() ? "这一节不是上课时间" : ("这一节是" + activity).c_str());
            }
        });
    return refusal;
}

void SwapDayLessons(CScheduleTask& task, int dayA, int dayB, CMoveResult& result)
{
    CTaskHelper(&task).RestoreTempTables();
    std::vector<Lesson> lessons;
    for (int day : {dayA, dayB})
        ForEachLessonOfDay(task, day, [&](const Lesson& lesson) { lessons.push_back(lesson); });
    const auto swapped = [&](const tagTABLE_NODE& node) {
        return tagTABLE_NODE{OtherDay(node.day, dayA, dayB), node.segment, node.section};
    };
    MoveLessons(task, lessons, swapped, result);
    // Pre-arranged lessons go with their lessons; their order in the list stays. Fixed no-class
    // times stay where they are.
    for (CCoursePreset* preset : ObjectsInOrder<CCoursePreset>(task.GetCoursePresetList()))
        MoveNodeList(*preset, swapped);
    CommitTempTables(task);
}

CMoveResult SwapDays(CScheduleTask& task, int dayA, int dayB, CAdjustmentEntryList& entries)
{
    CMoveResult result;
    result.refusal = CheckSwapDays(task, dayA, dayB);
    if (!MayMove(task, result))
        return result;
    const SavedFiles before(task.GetTaskInfo());
    SwapDayLessons(task, dayA, dayB, result);
    if (!SaveMove(task, before, result, [&] {
            CMoveResult undo;
            SwapDayLessons(task, dayA, dayB, undo);
        }))
        return result;
    const std::string nameA = GetDayName(task.GetSchoolStructure(), dayA);
    const std::string nameB = GetDayName(task.GetSchoolStructure(), dayB);
    ReportMove(result, zem::Format("列交换 %s <-> %s", nameA.c_str(), nameB.c_str()),
               zem::Format("列交换完成：%s和%s的 %d 节课交换了位置", nameA.c_str(), nameB.c_str(), result.movedLessons),
               entries);
    return result;
}

namespace {

constexpr const char* kShiftSegmentNames[] = {"上午", "下午", "晚上"};

std::array<int, zem::kSegmentCount> SectionCounts(const CSchoolStructure& week)
{
    std::array<int, zem::kSegmentCount> counts{};
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        counts[static_cast<std::size_t>(segment)] = week.GetSectionNodeMaxCount(segment);
    return counts;
}

bool IsBoundary(const CRowShift& shift)
{
    return shift.kind == CRowShift::BoundaryForward || shift.kind == CRowShift::BoundaryBack;
}

bool Touches(const CRowShift& shift, int segment)
{
    return segment == shift.segment || (IsBoundary(shift) && segment == shift.segment + 1);
}

CRowShift Inverse(const CRowShift& shift)
{
    static constexpr CRowShift::Kind kInverse[] = {CRowShift::BoundaryBack, CRowShift::BoundaryForward,
                                                   CRowShift::RemoveFirst,  CRowShift::RemoveLast,
                                                   CRowShift::InsertFirst,  CRowShift::InsertLast};
    return {kInverse[shift.kind], shift.segment};
}

// The period counts after the shift.
std::array<int, zem::kSegmentCount> CountsAfter(const CRowShift& shift, std::array<int, zem::kSegmentCount> counts)
{
    const auto a = static_cast<std::size_t>(shift.segment);
    switch (shift.kind) {
    case CRowShift::BoundaryForward: --counts[a]; ++counts[a + 1]; break;
    case CRowShift::BoundaryBack: ++counts[a]; --counts[a + 1]; break;
    case CRowShift::InsertFirst:
    case CRowShift::InsertLast: ++counts[a]; break;
    case CRowShift::RemoveFirst:
    case CRowShift::RemoveLast: --counts[a]; break;
    }
    return counts;
}

// The section of the period an insert adds, or -1.
int AddedSection(const CRowShift& shift, const std::array<int, zem::kSegmentCount>& counts)
{
    if (shift.kind == CRowShift::InsertFirst)
        return 0;
    if (shift.kind == CRowShift::InsertLast)
        return counts[static_cast<std::size_t>(shift.segment)];
    return -1;
}

// Where the shift puts a slot: a permutation of the six sections of the segments it touches, so a
// shift and its inverse give every slot back. An insert's new period takes the slot past the last
// one, which holds nothing of the week.
tagTABLE_NODE ShiftedSlot(const CRowShift& shift, const std::array<int, zem::kSegmentCount>& counts,
                          const tagTABLE_NODE& node)
{
    const int a = shift.segment;
    const int b = a + 1;
    const int last = zem::kSectionCount - 1;
    const int countA = counts[static_cast<std::size_t>(a)];
    const int day = node.day;
    switch (shift.kind) {
    case CRowShift::BoundaryForward:
        if (node.segment == a && node.section == countA - 1)
            return {day, b, 0};
        if (node.segment == b)
            return node.section == last ? tagTABLE_NODE{day, a, countA - 1} : tagTABLE_NODE{day, b, node.section + 1};
        break;
    case CRowShift::BoundaryBack:
        if (node.segment == b)
            return node.section == 0 ? tagTABLE_NODE{day, a, countA} : tagTABLE_NODE{day, b, node.section - 1};
        if (node.segment == a && node.section == countA)
            return {day, b, last};
        break;
    case CRowShift::InsertFirst:
        if (node.segment == a)
            return {day, a, (node.section + 1) % zem::kSectionCount};
        break;
    case CRowShift::RemoveFirst:
        if (node.segment == a)
            return {day, a, (node.section + last) % zem::kSectionCount};
        break;
    case CRowShift::InsertLast:
    case CRowShift::RemoveLast: break;
    }
    return node;
}

// Every rule object holding slots: pre-arranged lessons and the five kinds of fixed no-class times.
template <class Visit>
void ForEachNodeList(CScheduleTask& task, Visit visit)
{
    for (CZemObjectList* list : {&task.GetCoursePresetList(), &task.GetFixedTimeOfClassList(),
                                 &task.GetFixedTimeOfCourseList(), &task.GetFixedTimeOfSubjectList(),
                                 &task.GetFixedTimeOfTeacherList(), &task.GetFixedTimeOfTeacherGroupList()})
        for (CNodeListObject* object : ObjectsInOrder<CNodeListObject>(*list))
            visit(*object);
}

// What a shift changes besides the timetables, to be put back exactly.
struct WeekSnapshot {
    explicit WeekSnapshot(CScheduleTask& task) : week(task.GetSchoolStructure()), activities(task.GetActivities())
    {
        ForEachNodeList(task, [&](CNodeListObject& object) {
            auto* fixed = dynamic_cast<CFixedTimeOfObject*>(&object);
            nodeLists.push_back({&object, object.GetAllFixedTime(), fixed ? fixed->GetActivities() : CActivities()});
        });
    }
    void Restore(CScheduleTask& task) const
    {
        task.GetSchoolStructure() = week;
        task.GetActivities() = activities;
        for (const NodeList& list : nodeLists) {
            list.object->ReadFixedTimeFromString(list.text);
            if (auto* fixed = dynamic_cast<CFixedTimeOfObject*>(list.object))
                fixed->GetActivities() = list.activities;
        }
    }

    struct NodeList {
        CNodeListObject* object;
        std::string text;
        CActivities activities;
    };
    CSchoolStructure week;
    CActivities activities;
    std::vector<NodeList> nodeLists;
};

}  // namespace

const std::vector<CRowShiftChoice>& RowShiftChoices()
{
    static const std::vector<CRowShiftChoice> choices = {
        {{CRowShift::BoundaryForward, 0}, "把上午最后1节移到下午第1节"},
        {{CRowShift::BoundaryBack, 0}, "把下午第1节移到上午最后1节"},
        {{CRowShift::BoundaryForward, 1}, "把下午最后1节移到晚上第1节"},
        {{CRowShift::BoundaryBack, 1}, "把晚上第1节移到下午最后1节"},
        {{CRowShift::InsertFirst, 0}, "在上午第1节前增加1节"},
        {{CRowShift::InsertLast, 0}, "在上午最后1节后增加1节"},
        {{CRowShift::InsertFirst, 1}, "在下午第1节前增加1节"},
        {{CRowShift::InsertLast, 1}, "在下午最后1节后增加1节"},
        {{CRowShift::InsertFirst, 2}, "在晚上第1节前增加1节"},
        {{CRowShift::InsertLast, 2}, "在晚上最后1节后增加1节"},
    };
    return choices;
}

std::string CheckRowShift(const CScheduleTask& task, const CRowShift& shift)
{
    const int lastSegment = IsBoundary(shift) ? 1 : 2;
    if (shift.segment < 0 || shift.segment > lastSegment)
        return "请选择要平移的节次";
    const auto counts = SectionCounts(task.GetSchoolStructure());
    const auto after = CountsAfter(shift, counts);
    for (int segment = shift.segment; segment <= shift.segment + (IsBoundary(shift) ? 1 : 0); ++segment) {
        const auto at = static_cast<std::size_t>(segment);
        const char* name = kShiftSegmentNames[segment];
        if (after[at] > zem::kSectionCount)
            return zem::Format("%s最多只能有 %d 节课，不能再增加", name, zem::kSectionCount);
        if (after[at] < counts[at] && counts[at] == 0)
            return zem::Format("%s没有节次可以移动", name);
        if (after[at] < counts[at] && after[at] == 0)
            return zem::Format("%s只有 1 节课，不能把它移走", name);
    }
    return {};
}

void ShiftRowLessons(CScheduleTask& task, const CRowShift& shift, CMoveResult& result)
{
    CTaskHelper(&task).RestoreTempTables();
    CSchoolStructure& week = task.GetSchoolStructure();
    const CSchoolStructure before = week;
    const auto counts = SectionCounts(before);
    const auto after = CountsAfter(shift, counts);
    const int added = AddedSection(shift, counts);
    const auto touched = [&](const tagTABLE_NODE& node) { return Touches(shift, node.segment); };
    // Nothing of the old week lands on the new period: what a slot past the last one held is dropped.
    const auto to = [&](const tagTABLE_NODE& node) {
        if (!touched(node))
            return node;
        const tagTABLE_NODE target = ShiftedSlot(shift, counts, node);
        return target.segment == shift.segment && target.section == added ? tagTABLE_NODE{-1, 0, 0} : target;
    };

    std::vector<Lesson> lessons;
    ForEachLesson(task, touched, [&](const Lesson& lesson) { lessons.push_back(lesson); });

    // The week: the slots' states, the period counts, the new period open on the days in use.
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                const tagTABLE_NODE node{day, segment, section};
                if (touched(node))
                    week.SetValue(ShiftedSlot(shift, counts, node), before.GetValue(node));
            }
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        week.SetSectionNodeMaxCount(segment, after[static_cast<std::size_t>(segment)], false);
    if (added >= 0)
        for (int day = 0; day < zem::kDayCount; ++day)
            week.SetValue(day, shift.segment, added, before.IsDayInUse(day) ? CTimeTable::kFree : CTimeTable::kInvalid);
    // Period names follow their period.
    CPeriodNameList::Map& names = week.GetCustomPeriodNameList().GetMap();
    std::vector<std::pair<tagTABLE_NODE, std::string>> moved;
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        for (int section = 0; section < zem::kSectionCount; ++section) {
            const tagTABLE_NODE node{0, segment, section};
            if (!touched(node))
                continue;
            const auto found = names.find(CPeriodNameList::MakePeriodId(segment, section));
            if (found == names.end())
                continue;
            moved.emplace_back(node, found->second);
            names.erase(found);
        }
    for (const auto& [node, name] : moved) {
        const tagTABLE_NODE target = to(node);
        if (target.day >= 0)
            week.GetCustomPeriodNameList().Add(target.segment, target.section, name);
    }
    week.ParseFromXMLData();
    // The school's activities follow their slots.
    CActivities& activities = task.GetActivities();
    std::vector<std::pair<tagTABLE_NODE, std::string>> named;
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                const tagTABLE_NODE node{day, segment, section};
                if (!touched(node) || activities.GetActivity(node).empty())
                    continue;
                named.emplace_back(node, activities.GetActivity(node));
                activities.DeleteActivity(node);
            }
    for (const auto& [node, name] : named) {
        const tagTABLE_NODE target = to(node);
        if (target.day >= 0)
            activities.AddActivity(target, name);
    }
    ForEachNodeList(task, [&](CNodeListObject& object) { MoveNodeList(object, to); });

    MoveLessons(task, lessons, to, result);
    CommitTempTables(task);
}

CMoveResult ShiftRow(CScheduleTask& task, const CRowShift& shift, CAdjustmentEntryList& entries)
{
    CMoveResult result;
    result.refusal = CheckRowShift(task, shift);
    if (!MayMove(task, result))
        return result;
    const SavedFiles before(task.GetTaskInfo());
    const WeekSnapshot week(task);
    ShiftRowLessons(task, shift, result);
    if (!SaveMove(task, before, result, [&] {
            CMoveResult undo;
            ShiftRowLessons(task, Inverse(shift), undo);
            week.Restore(task);
        }))
        return result;
    std::string caption;
    for (const CRowShiftChoice& choice : RowShiftChoices())
        if (choice.shift.kind == shift.kind && choice.shift.segment == shift.segment)
            caption = choice.caption;
    ReportMove(result, "行平移 " + caption,
               zem::Format("行平移完成：%s，%d 节课随之移动", caption.c_str(), result.movedLessons), entries);
    return result;
}
