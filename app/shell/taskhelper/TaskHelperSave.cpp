// Committing manual edits, apart from the rest as it writes the task's timetable file.
#include "app/shell/TaskHelper.h"
#include "app/shell/TaskHelperSlots.h"

bool CTaskHelper::SaveTempTables()
{
    if (!m_task)
        return false;
    CommitTempTables(*m_task);
    return m_task->SaveOutputData();
}
