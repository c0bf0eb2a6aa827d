#pragma once
// The readers of the two workbook formats, behind ReadWorkbookSheet. Each gives false with the
// reason, without the path.
#include "app/output/workbook/WorkbookReader.h"

#include <string>

namespace zem::workbook {

// The active sheet of an .xlsx file, read from the file as it is needed.
bool ReadXlsxFile(const std::string& path, SheetData& sheet, std::string& error);

// The first sheet of an .xls file.
bool ReadXlsFile(const std::string& path, SheetData& sheet, std::string& error);

}  // namespace zem::workbook
