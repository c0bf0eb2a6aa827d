#pragma once
// Export kind 9: an invigilation arrangement in one workbook of three sheets, the same items seen by
// exam, by invigilating teacher and by exam room. data0 of the export's CExportParam points to the
// proctoring's CProctorData, text1 is the title over every sheet.
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/Workbook.h"

constexpr int kInvigilationExport = 9;

bool WriteInvigilationWorkbook(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book);
