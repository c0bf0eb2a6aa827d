#pragma once
// What the structural moves share: the check and the backup before a move, the save that puts the
// task and its files back when it fails, and the history entry and report after it.
#include "app/timetable/TableMoves.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class CTaskHelper;
class CTaskInfo;

namespace move_steps {

// One placed lesson of a class timetable.
struct Lesson {
    CCourseInfo* plan = nullptr;
    std::string classId;
    std::string roomId;
    tagTABLE_NODE node;
    int part = 0;  // 0 the whole week, 1 odd, 2 even weeks
};

// Every placed lesson of the class timetables at the slots the filter takes, all six sections of
// each segment looked at.
template <class Filter, class Visit>
void ForEachLesson(const CScheduleTask& task, Filter takes, Visit visit)
{
    for (CClassInfo* cls : ObjectsInOrder<CClassInfo>(task.GetClassInfoList())) {
        const CCourseTable& table = cls->GetTable(false);
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section) {
                    const tagTABLE_NODE node{day, segment, section};
                    if (!takes(node))
                        continue;
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

// The task's data files as they are now, to be put back when a save fails half-way.
struct SavedFiles {
    explicit SavedFiles(const CTaskInfo& info);
    bool PutBack() const;

    std::vector<std::pair<std::string, std::string>> files;  // path, bytes
    std::vector<std::string> missing;
};

void Tell(const std::string& text, zem::MessageIcon icon = zem::MessageIcon::Information);
void AddUnique(std::vector<std::string>& ids, const std::string& id);
// A refusal said, or a failed backup said; false then.
bool MayMove(CScheduleTask& task, CMoveResult& result, bool bringsPlans = false);
// input.xml first, output.xml after it. When either cannot be written `undo` puts the task back in
// memory and its files are put back from `before`; the user is told, and false is returned.
bool SaveMove(CScheduleTask& task, const SavedFiles& before, CMoveResult& result, const std::function<void()>& undo);
// "<class> <time>（<whose>不排课）" when the slot is a fixed no-lesson time of the lesson's class,
// subject, plan or one of its teachers (their own or their groups'), with an activity on it or
// not; empty when it is none. The helper works on the task the lesson is in.
std::string ClosedTimeNote(CTaskHelper& helper, const std::string& classId, CCourseInfo* plan,
                           const tagTABLE_NODE& node);
// One history entry "<time> 课表大挪移 <what>", then the text with the lessons on fixed no-class times.
void ReportMove(const CMoveResult& result, const std::string& what, std::string text, CAdjustmentEntryList& entries);

}  // namespace move_steps
