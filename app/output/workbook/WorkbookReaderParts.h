#pragma once
// The readers of the two workbook formats, behind ReadWorkbookSheet.
#include "app/output/workbook/WorkbookReader.h"

#include <string>

namespace zem::workbook {

// The first sheet of an .xls file. False with the reason (without the path).
bool ReadXlsFile(const std::string& path, SheetData& sheet, std::string& error);

}  // namespace zem::workbook
