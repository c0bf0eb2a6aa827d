#include "app/timetable/TableMoves.h"

#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>
#include <utility>

namespace {

constexpr const char* kBackupReason = "课表大挪移前";

// One placed lesson of a class timetable.
struct Lesson {
    CCourseInfo* plan = nullptr;
    std::string classId;
    std::string roomId;
    tagTABLE_NODE node;
    int part = 0;  // 0 the whole week, 1 odd, 2 even weeks
};

template <class Visit>
void ForEachLessonOfDay(const CScheduleTask& task, int day, Visit visit)
{
    const CSchoolStructure& week = task.GetSchoolStructure();
    for (CClassInfo* cls : ObjectsInOrder<CClassInfo>(task.GetClassInfoList())) {
        const CCourseTable& table = cls->GetTable(false);
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < week.GetSectionNodeMaxCount(segment); ++section) {
                const tagTABLE_NODE node{day, segment, section};
                const CCourseTableNode& cell = table.GetNode(node);
                const int first = cell.IsInterleave() ? 1 : 0;
                for (int part = first; part <= (cell.IsInterleave() ? 2 : 0); ++part) {
                    const CCourseTableNode::NodeData& data = cell.data(part == 2 ? 2 : 1);
                    if (CCourseInfo* plan = data.HasCourse() ? task.FindCourse(data.GetCourseId()) : nullptr)
                        visit(Lesson{plan, cls->GetId(), data.GetRoomId(), node, part});
                }
            }
    }
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

void AddUnique(std::vector<std::string>& ids, const std::string& id)
{
    if (!id.empty() && std::find(ids.begin(), ids.end(), id) == ids.end())
        ids.push_back(id);
}

// The task's data files as they are now, to be put back when a save fails half-way.
struct SavedFiles {
    std::vector<std::pair<std::string, std::string>> files;  // path, bytes
    std::vector<std::string> missing;

    explicit SavedFiles(const CTaskInfo& info)
    {
        for (const std::string& path : {info.GetInputFilePath(), info.GetOutputFilePath()}) {
            std::string bytes;
            if (zem::ReadFileBytes(path, bytes))
                files.emplace_back(path, std::move(bytes));
            else
                missing.push_back(path);
        }
    }
    bool PutBack() const
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
};

void Tell(const std::string& text, zem::MessageIcon icon = zem::MessageIcon::Information)
{
    zem::ShowMessage(text, "提示", icon);
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
    CTaskHelper helper(&task);
    helper.RestoreTempTables();
    std::vector<Lesson> lessons;
    for (int day : {dayA, dayB})
        ForEachLessonOfDay(task, day, [&](const Lesson& lesson) { lessons.push_back(lesson); });
    for (const Lesson& lesson : lessons) {
        CCourseTable& table = task.GetClass(lesson.classId)->GetTable(true);
        helper.UnsetCourseNode(&table, &table.GetNode(lesson.node), lesson.node, lesson.part);
    }
    result.onClosedTimes.clear();
    for (const Lesson& lesson : lessons) {
        const tagTABLE_NODE target{OtherDay(lesson.node.day, dayA, dayB), lesson.node.segment, lesson.node.section};
        task.SetCourseNode(lesson.plan, lesson.roomId, true, target, lesson.part);
        AddUnique(result.changedIds, lesson.classId);
        std::vector<std::string> teachers;
        task.GetAllTeacherId(teachers, lesson.plan, false);
        for (const std::string& id : teachers)
            AddUnique(result.changedIds, id);
        AddUnique(result.changedIds, lesson.roomId);
        if (task.IsDisabledNode(lesson.classId, TABLE_CLASS, target))
            result.onClosedTimes.push_back(task.GetClassNameA(lesson.classId) + " " + task.GetTimeNodeDesc(&target));
    }
    result.movedLessons = static_cast<int>(lessons.size());
    // Pre-arranged lessons go with their lessons; their order in the list stays.
    for (CCoursePreset* preset : ObjectsInOrder<CCoursePreset>(task.GetCoursePresetList())) {
        std::string text;
        bool moved = false;
        for (const tagTABLE_NODE& node : preset->GetNodeList()) {
            const int day = OtherDay(node.day, dayA, dayB);
            moved = moved || day != node.day;
            text += zem::Format("%d,", day * 100 + node.segment * 10 + node.section);
        }
        if (moved)
            preset->ReadFixedTimeFromString(text);
    }
    CommitTempTables(task);
}

CMoveResult SwapDays(CScheduleTask& task, int dayA, int dayB, CAdjustmentEntryList& entries)
{
    CMoveResult result;
    result.refusal = CheckSwapDays(task, dayA, dayB);
    if (!result.refusal.empty()) {
        Tell(result.refusal);
        return result;
    }
    if (!task.AutoBackup(true, kBackupReason, false)) {
        result.refusal = "无法备份当前排课任务，课表没有改变";
        Tell(result.refusal, zem::MessageIcon::Error);
        return result;
    }
    const SavedFiles before(task.GetTaskInfo());
    SwapDayLessons(task, dayA, dayB, result);
    // input.xml holds the pre-arranged lessons: it goes first, and output.xml only after it.
    result.saved = task.SaveInputData() && task.SaveOutputData();
    if (!result.saved) {
        CMoveResult undo;
        SwapDayLessons(task, dayA, dayB, undo);
        const bool putBack = before.PutBack();
        Tell(putBack ? "课表大挪移没有保存成功，排课任务的文件已恢复为挪移前的样子"
                     : "课表大挪移没有保存成功，排课任务的文件也没能恢复，请从备份“课表大挪移前”恢复",
             zem::MessageIcon::Error);
        result.movedLessons = 0;
        return result;
    }
    auto entry = std::make_unique<CAdjustmentEntry>();
    entry->title = zem::Format("%s 课表大挪移 列交换 %s <-> %s", GetNowString().c_str(),
                               GetWeekdayName(dayA, false).c_str(), GetWeekdayName(dayB, false).c_str());
    entry->ids = result.changedIds;
    entries.push_back(std::move(entry));
    SaveAdjustmentHistory(entries);

    std::string text = zem::Format("列交换完成：%s和%s的 %d 节课交换了位置", GetWeekdayName(dayA, false).c_str(),
                                   GetWeekdayName(dayB, false).c_str(), result.movedLessons);
    if (!result.onClosedTimes.empty()) {
        text += zem::Format("\n\n下列 %d 节课现在排在班级不排课的时间上：", static_cast<int>(result.onClosedTimes.size()));
        for (std::size_t i = 0; i < result.onClosedTimes.size() && i < 10; ++i)
            text += "\n" + result.onClosedTimes[i];
        if (result.onClosedTimes.size() > 10)
            text += "\n……";
    }
    Tell(text);
    return result;
}
