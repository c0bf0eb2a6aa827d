#pragma once
// Export kind 3: the teacher workload table, one row per teacher with the weekly lessons planned
// and placed, their distribution over the days and periods, and the classes, subjects and plans
// taught. The writer counts nothing: the requester hands over the texts, as the statistics show
// them, in a CTeacherWorkloadTable at data1; text1 is the title and the sheet's name.
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/Workbook.h"

#include <string>
#include <vector>

constexpr int kTeacherWorkloadExport = 3;

struct TeacherWorkloadRow {
    std::string teacher;
    std::string planned;             // planned weekly lessons
    std::string actual;              // weekly lessons in the timetable
    std::string classCount;
    std::string courseCount;
    std::string dayDistribution;     // one value per day name, joined by ","
    std::string periodDistribution;  // one value per period name, joined by ","
    std::string classes;             // related classes
    std::string courses;             // related subjects
    std::string plans;               // related teaching plans
};

struct CTeacherWorkloadTable {
    std::vector<std::string> dayNames;
    std::vector<std::string> sectionNames;  // may be empty: then no period columns at all
    std::vector<TeacherWorkloadRow> rows;
};

bool WriteTeacherWorkloadWorkbook(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book);
