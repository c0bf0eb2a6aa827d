#pragma once
// One timetable of a print or export job: the class, teacher or room it belongs to and its table.
#include "base/ScheduleTask.h"

#include <string>

class CExportTableItem {
public:
    CExportTableItem(std::string id, std::string name, TABLE_TYPE kind, CCourseTable* table)
        : m_id(std::move(id)), m_name(std::move(name)), m_kind(kind), m_table(table) {}
    virtual ~CExportTableItem() = default;

    const std::string& GetId() const { return m_id; }
    // Shown as "%NAME%" in titles; names sheets and progress texts.
    const std::string& GetName() const { return m_name; }
    TABLE_TYPE GetKind() const { return m_kind; }
    // Not owned.
    CCourseTable* GetTable() const { return m_table; }

private:
    std::string m_id;
    std::string m_name;
    TABLE_TYPE m_kind;
    CCourseTable* m_table;
};
