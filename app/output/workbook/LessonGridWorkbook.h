#pragma once
// Export kind 5: the lesson list of the whole school. Every slot of every class's timetable is one
// row (two for a slot split into odd and even weeks): class, weekday, period, subject, teachers and
// room; a free slot shows the class's activity there. text1 is the title and the sheet's name.
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/Workbook.h"

#include <string>

constexpr int kLessonGridExport = 5;
// The list's title, and the file name it is offered under.
inline constexpr const char* kLessonGridTitle = "全校课表数据列表";

bool WriteLessonGridWorkbook(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book);

// Writes the lesson list of the exporter's task to the file (".xlsx" in place of ".xls"), under
// the progress window unless the exporter is direct. A failure has been shown unless direct; the
// exporter's CExportParam keeps its text either way.
bool ExportLessonGrid(CSpreadsheetExporter& exporter, const std::string& fileName);
