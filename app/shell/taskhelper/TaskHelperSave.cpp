// Committing manual edits, apart from the rest as it writes the task's timetable file.
#include "app/shell/taskhelper/TaskHelper.h"
#include "app/shell/taskhelper/TaskHelperSlots.h"

bool CTaskHelper::SaveTempTables()
{
    if (!m_task)
        return false;
    CommitTempTables(*m_task);
    return m_task->SaveOutputData();
}
