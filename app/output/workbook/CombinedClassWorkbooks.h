#pragma once
// Export kinds 7 and 8: the combined classes and the plans with assistant teachers of the
// exporter's task, one list sheet each. Only fileName of the export's CExportParam is read.
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/Workbook.h"

constexpr int kCombinedClassExport = 7;
constexpr int kAssistantExport = 8;

bool WriteCombinedClassWorkbook(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book);
bool WriteAssistantWorkbook(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book);
