// Entering lessons into every timetable that shows them, and taking them out again.
#include "base/ScheduleTask.h"

namespace {

// Half 2 holds the even-week lesson; every other value addresses half 1.
int HalfOf(int oddEven) { return oddEven == 2 ? 2 : 1; }

}  // namespace

void CScheduleTask::SetTableNode(CCourseTable* table, const std::string& courseId, const std::string& roomId,
                                 int roomIndex, tagTABLE_NODE node, int oddEven)
{
    if (!table || !IsNodeInRange(node))
        return;
    SetTableNode(table, CCourseTableNode::NodeData(courseId, roomId, roomIndex), node, oddEven);
}

void CScheduleTask::SetTableNode(CCourseTable* table, const CCourseTableNode::NodeData& lesson, tagTABLE_NODE node,
                                 int oddEven)
{
    if (!table || !IsNodeInRange(node))
        return;
    CCourseTableNode& cell = table->GetNode(node);
    if (oddEven == 1 || oddEven == 2) {
        const int other = oddEven == 1 ? 2 : 1;
        cell.data(oddEven) = lesson;
        cell.SetInterleave(true);
        table->SetValue(node, cell.data(other).HasCourse() ? CTimeTable::kFullUsed : CTimeTable::kHalfUsed);
        return;
    }
    cell.data(1) = lesson;
    cell.SetInterleave(false);
    cell.data(2).Clear();
    table->SetValue(node, CTimeTable::kFullUsed);
}

void CScheduleTask::UnsetTableNode(CCourseTable* table, tagTABLE_NODE node, int oddEven)
{
    if (!table || !IsNodeInRange(node))
        return;
    CCourseTableNode& cell = table->GetNode(node);
    if (oddEven == 1 || oddEven == 2) {
        const int other = oddEven == 1 ? 2 : 1;
        cell.data(oddEven).Clear();
        if (cell.data(other).HasCourse()) {
            table->SetValue(node, CTimeTable::kHalfUsed);
        } else {
            cell.SetInterleave(false);
            table->SetValue(node, CTimeTable::kFree);
        }
        return;
    }
    cell.Clear();
    table->SetValue(node, CTimeTable::kFree);
}

void CScheduleTask::SetCourseNode(CCourseInfo* course, const std::string& roomId, bool temp, tagTABLE_NODE node,
                                  int oddEven)
{
    if (!course || !IsNodeInRange(node))
        return;
    CourseNodeTargets targets;
    ResolveCourseNode(course, targets);
    SetCourseNode(targets, roomId.empty() ? nullptr : GetRoom(roomId), zem::InternId(roomId), temp, node, oddEven);
}

void CScheduleTask::ResolveCourseNode(CCourseInfo* course, CourseNodeTargets& out) const
{
    out.course = course;
    out.courseId = zem::InternId(course->GetId());
    out.combinedIds.clear();
    if (const CCombineClass* combined = GetCC(course->GetId()))
        for (const std::string& courseId : combined->GetCombineCourse())
            // An empty id would match every empty cell.
            if (!courseId.empty())
                out.combinedIds.push_back(HandleToMatch(courseId));
    out.cls = GetClass(course->GetClassId());
    out.teachers.clear();
    if (CTeacherInfo* teacher = GetTeacher(course->GetTeacherId()))
        out.teachers.push_back(teacher);
    if (const CCourseAssistant* assistant = GetAssistant(course->GetId()))
        for (const std::string& teacherId : assistant->GetAssistants())
            if (CTeacherInfo* teacher = GetTeacher(teacherId))
                out.teachers.push_back(teacher);
}

void CScheduleTask::SetCourseNode(const CourseNodeTargets& targets, CRoomInfo* room, zem::IdHandle roomId, bool temp,
                                  tagTABLE_NODE node, int oddEven)
{
    if (!targets.course || !IsNodeInRange(node))
        return;
    int roomIndex = -1;
    if (room) {
        CComplexTable& tables = room->GetComplexTable();
        const int half = HalfOf(oddEven);
        // A lesson that shares its place with a combined-class partner gets no room entry of its own.
        bool shared = false;
        for (zem::IdHandle courseId : targets.combinedIds) {
            const int found = tables.PickUsedTableIndex(temp, node, half, courseId);
            if (found >= 0) {
                roomIndex = found;
                shared = true;
                break;
            }
        }
        if (!shared) {
            // The lesson may be written again (the engine rewrites whole tables): keep its place.
            roomIndex = tables.PickUsedTableIndex(temp, node, half, targets.courseId);
            CCourseTable* table = roomIndex >= 0 ? tables.Enum(temp, roomIndex) : tables.PickFree(temp, node, oddEven, roomIndex);
            if (table)
                SetTableNode(table, CCourseTableNode::NodeData(targets.courseId, roomId, roomIndex), node, oddEven);
        }
    }
    const CCourseTableNode::NodeData lesson(targets.courseId, roomId, roomIndex);
    SetTableNode(&targets.course->GetTable(temp), lesson, node, oddEven);
    if (targets.cls)
        SetTableNode(&targets.cls->GetTable(temp), lesson, node, oddEven);
    for (CTeacherInfo* teacher : targets.teachers)
        SetTableNode(&teacher->GetTable(temp), lesson, node, oddEven);
}

bool CScheduleTask::IsRoomUsedForCC(CRoomInfo* room, tagTABLE_NODE node, int oddEven, CCourseInfo* course, bool temp,
                                    int& roomIndex)
{
    if (!room || !course)
        return false;
    const CCombineClass* combined = GetCC(course->GetId());
    if (!combined)
        return false;
    for (const std::string& courseId : combined->GetCombineCourse()) {
        // An empty id would match every empty cell.
        if (courseId.empty())
            continue;
        const int found = room->GetComplexTable().PickUsedTableIndex(temp, node, HalfOf(oddEven), courseId);
        if (found >= 0) {
            roomIndex = found;
            return true;
        }
    }
    return false;
}
