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
    CCourseTableNode& cell = table->GetNode(node);
    const CCourseTableNode::NodeData lesson(courseId, roomId, roomIndex);
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
    const std::string& courseId = course->GetId();
    int roomIndex = -1;
    CRoomInfo* room = roomId.empty() ? nullptr : GetRoom(roomId);
    // A lesson that shares its place with a combined-class partner gets no room entry of its own.
    if (room && !IsRoomUsedForCC(room, node, oddEven, course, temp, roomIndex)) {
        CComplexTable& tables = room->GetComplexTable();
        // The lesson may be written again (the engine rewrites whole tables): keep its place.
        CCourseTable* table = tables.PickUsed(temp, node, HalfOf(oddEven), courseId, roomIndex);
        if (!table)
            table = tables.PickFree(temp, node, oddEven, roomIndex);
        if (table)
            SetTableNode(table, courseId, roomId, roomIndex, node, oddEven);
    }

    SetTableNode(&course->GetTable(temp), courseId, roomId, roomIndex, node, oddEven);
    if (CClassInfo* cls = GetClass(course->GetClassId()))
        SetTableNode(&cls->GetTable(temp), courseId, roomId, roomIndex, node, oddEven);
    if (CTeacherInfo* teacher = GetTeacher(course->GetTeacherId()))
        SetTableNode(&teacher->GetTable(temp), courseId, roomId, roomIndex, node, oddEven);
    if (const CCourseAssistant* assistant = GetAssistant(courseId)) {
        for (const std::string& teacherId : assistant->GetAssistants())
            if (CTeacherInfo* teacher = GetTeacher(teacherId))
                SetTableNode(&teacher->GetTable(temp), courseId, roomId, roomIndex, node, oddEven);
    }
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
