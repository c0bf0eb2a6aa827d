// Committing manual edits, apart from the rest as it writes the task's timetable file.
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"

#include <functional>
#include <utility>
#include <vector>

bool CTaskHelper::SaveTempTables()
{
    return m_task && CommitTempTablesAndSave([this] { return m_task->SaveOutputData(); });
}

bool CTaskHelper::SaveInputAndTempTables()
{
    return m_task && CommitTempTablesAndSave([this] { return m_task->SaveInputAndOutput(); });
}

bool CTaskHelper::CommitTempTablesAndSave(const std::function<bool()>& save)
{
    // The file holds the committed tables, so they are committed first. When the write fails they
    // go back to what the file still holds: a later restore then discards the edits as it should,
    // while the working tables keep them for another try.
    struct Kept {
        CZemTableObject* owner;
        CCourseTable committed;
        bool dirty;
    };
    std::vector<Kept> kept;
    for (CZemObjectList* list : {&m_task->GetClassInfoList(), &m_task->GetTeacherInfoList(),
                                 &m_task->GetCourseInfoList(), &m_task->GetSelfStudyInfoList()})
        for (const auto& [id, object] : *list) {
            auto* owner = static_cast<CZemTableObject*>(object);
            kept.push_back({owner, owner->GetTable(false), owner->GetTempTable().IsDirty()});
        }
    std::vector<std::pair<CRoomInfo*, CComplexTable>> rooms;
    for (const auto& [id, object] : m_task->GetRoomInfoList()) {
        auto* room = static_cast<CRoomInfo*>(object);
        rooms.emplace_back(room, room->GetComplexTable());
    }
    CommitTempTables(*m_task);
    if (save())
        return true;
    for (Kept& each : kept) {
        each.owner->GetTable(false) = std::move(each.committed);
        each.owner->GetTempTable().SetDirty(each.dirty);
    }
    for (auto& [room, tables] : rooms)
        room->GetComplexTable() = std::move(tables);
    return false;
}
