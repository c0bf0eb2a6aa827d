// Committing manual edits, apart from the rest as it writes the task's timetable file.
#include "app/shell/taskhelper/TaskHelper.h"
#include "app/shell/taskhelper/TaskHelperSlots.h"

#include <vector>

namespace {

// Every committed timetable of the task: classes, teachers, plans and the rooms' parallel tables.
std::vector<CCourseTable*> CommittedTables(CScheduleTask& task)
{
    std::vector<CCourseTable*> tables;
    for (CZemObjectList* list : {&task.GetClassInfoList(), &task.GetTeacherInfoList(), &task.GetCourseInfoList(),
                                 &task.GetSelfStudyInfoList()})
        for (const auto& [id, object] : *list)
            tables.push_back(&static_cast<CZemTableObject*>(object)->GetTable(false));
    for (const auto& [id, object] : task.GetRoomInfoList()) {
        CComplexTable& set = static_cast<CRoomInfo*>(object)->GetComplexTable();
        for (int i = 0; CCourseTable* table = set.Enum(false, i); ++i)
            tables.push_back(table);
    }
    return tables;
}

}  // namespace

bool CTaskHelper::SaveTempTables()
{
    if (!m_task)
        return false;
    // When the file cannot be written the committed tables go back to what it holds, so that
    // discarding the changes afterwards still returns to the file.
    const std::vector<CCourseTable*> tables = CommittedTables(*m_task);
    std::vector<CCourseTable> before;
    before.reserve(tables.size());
    for (const CCourseTable* table : tables)
        before.push_back(*table);
    CommitTempTables(*m_task);
    if (m_task->SaveOutputData())
        return true;
    for (std::size_t i = 0; i < tables.size(); ++i)
        *tables[i] = before[i];
    return false;
}
