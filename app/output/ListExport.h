#pragma once
// The export command of the list pages: a workbook of one export kind written from the task.
#include <string>

class CScheduleTask;
class QWidget;

// Asks for the file (named `name` and today's date, in the export folder), writes the kind's
// workbook of the task there under the progress window (`flag` as the kind reads it), remembers
// the folder and offers to open the workbook. False when nothing was written; a failure has been
// told by the exporter.
bool ExportTaskWorkbook(QWidget* parent, CScheduleTask* task, int kind, bool flag, const std::string& name);
