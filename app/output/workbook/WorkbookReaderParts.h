#pragma once
// The readers of the two workbook formats, behind ReadWorkbookSheet. Each gives false with the
// reason, without the path.
#include "app/output/workbook/WorkbookReader.h"

#include <chrono>
#include <string>
#include <vector>

namespace zem::workbook {

// The active sheet of an .xlsx file, read from the file as it is needed.
bool ReadXlsxFile(const std::string& path, SheetData& sheet, std::string& error, int sheetIndex = -1);

// The first sheet of an .xls file, read by the reader's own process (zem-xls-reader beside the
// program).
bool ReadXlsFile(const std::string& path, SheetData& sheet, std::string& error);

// How the reader's process is started; tests start others through it.
struct XlsReaderRun {
    std::string program;
    std::vector<std::string> arguments;
    // Past this the process is ended and the file taken for a damaged one.
    std::chrono::milliseconds timeLimit;
};
XlsReaderRun XlsReaderFor(const std::string& path);
// Runs the process and takes its answer (XlsAnswer.h): the sheet, or false with the reason: the
// process's own, or that it crashed, ran out of time or answered more than a sheet may hold.
bool RunXlsReader(const XlsReaderRun& run, SheetData& sheet, std::string& error);

}  // namespace zem::workbook
