#pragma once
// Export kind 6: the teaching plans (flag true) or the morning-reading and evening self-study plans
// (flag false) of the exporter's task in one sheet, in the shape the plan import reads back:
// [Common] ImportFormat 0 gives the cross table, any other value the flat list.
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/Workbook.h"

#include <map>
#include <string>
#include <vector>

class CCourseInfo;
class CScheduleTask;

constexpr int kPlanExport = 6;

// The cross table's columns: a plan's column key ("语文#主") and the value its column header
// carries, the one most of the key's later plans have, so that their cells hold the teacher alone.
class PlanColumnIndex {
public:
    explicit PlanColumnIndex(const CScheduleTask& task) : m_task(task) {}

    std::string GetColumnKey(const CCourseInfo& plan) const;
    // "周课时#连课#次数" and "#" and the fixed room's name when it has one; "#1#0" at the end is cut.
    std::string GetPlanValue(const CCourseInfo& plan) const;
    std::string GetDefaultValue(const std::string& key) const;
    void Build(const std::vector<CCourseInfo*>& plans);

private:
    const CScheduleTask& m_task;
    std::map<std::string, std::string> m_defaults;
};

// The subject, teacher and room names of the plans a cross table would hold that the import would
// split at "#", "," or "，"; each once, in the order met.
std::vector<std::string> CrossTableSplitNames(const CScheduleTask& task, bool ordinaryPlans);
// What the user is told when there are such names.
std::string CrossTableRefusalText(const std::vector<std::string>& names);

bool WritePlanWorkbook(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book);
