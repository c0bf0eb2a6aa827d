#include "app/timetable/OperationHistory.h"

#include "app/shared/Strings.h"

CScheduleOperation::CScheduleOperation(int kind) : m_kind(kind), m_time(GetNowString()) {}

COperationHistory::COperationHistory(IOperationTarget* target) : m_target(target) {}

COperationHistory::~COperationHistory() = default;

bool COperationHistory::CanUndo() const { return !m_records.empty() && m_index >= 0; }

bool COperationHistory::CanRedo() const { return !m_records.empty() && m_index < GetCount() - 1; }

bool COperationHistory::Undo()
{
    if (!CanUndo())
        return false;
    if (m_target && !m_target->RevertOperation(*m_records[static_cast<std::size_t>(m_index)]))
        return false;
    --m_index;
    NotifyHistoryWindow();
    return true;
}

bool COperationHistory::Redo()
{
    if (!CanRedo())
        return false;
    if (m_target && !m_target->ApplyOperation(*m_records[static_cast<std::size_t>(m_index + 1)]))
        return false;
    ++m_index;
    NotifyHistoryWindow();
    return true;
}

void COperationHistory::Add(std::unique_ptr<CScheduleOperation> record)
{
    if (!record)
        return;
    m_records.resize(static_cast<std::size_t>(m_index + 1));
    m_records.push_back(std::move(record));
    m_index = GetCount() - 1;
    NotifyHistoryWindow();
}

void COperationHistory::NotifyHistoryWindow()
{
    zem::SendMessage(m_window, WM_HISTORY_CHANGED, zem::ToWParam(&m_records), m_index);
}

void COperationHistory::GetChangedIds(std::vector<std::string>& ids) const
{
    ids.clear();
    for (int i = 0; i <= m_index && i < GetCount(); ++i)
        for (const std::string& id : m_records[static_cast<std::size_t>(i)]->m_changedIds)
            StringArrayAddUnique(ids, id);
}
