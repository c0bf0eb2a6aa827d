#pragma once
// How a window asks for one workbook of an export kind: the user chooses the file (the export
// folder, the name proposed with today's date), the workbook is written under the progress window,
// the folder is kept for the next export, and the user may open the workbook.
#include "app/output/workbook/SpreadsheetExporter.h"

#include <string>

class QWidget;

// The exporter's CExportParam holds the kind and its data; the file name is set here. `name`
// is what the proposed file is called before its date; `title` the file chooser's. True when the
// workbook was written; a failure has been shown by the exporter.
bool RequestWorkbookExport(QWidget* parent, CSpreadsheetExporter& exporter, const std::string& name,
                           const std::string& title = "导出为");
