#pragma once
// Saving a workbook as an .xlsx file.
#include "app/output/workbook/Workbook.h"

#include <string>

namespace zem::workbook {

// Writes the workbook to the path. The file is written beside the target under a temporary name and
// renamed over it, so a failed save leaves a file already there as it was. Throws WorkbookError
// with the reason.
void SaveXlsx(const Workbook& book, const std::string& path);

}  // namespace zem::workbook
