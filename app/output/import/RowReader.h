#pragma once
// Hands the data rows of a workbook's sheet, as cell texts, to a list page: the header row and the
// first data column are found by how full the rows and columns are; every non-empty row after the
// header goes to the page, which checks and stores it. The whole sheet is read, and the page asked
// whether it can take that many rows, before the first row is sent. Runs on the import worker; the
// page's answers come through the job's functions, which the caller carries to the GUI thread.
#include "app/controls/PageNotify.h"
#include "app/output/workbook/WorkbookReader.h"
#include "platform/MessageTarget.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace zem::import {

struct RowReadJob {
    // Sends one row to the page: 0 taken, -1 refused (the reason in the record).
    std::function<zem::LRESULT(CPageNotify& notify, const CPageRow& cells)> sendRow;
    // Asked once before the first row is sent: the page's refusal of them all (a limit of the task
    // they would pass), empty when it may take them. May be empty.
    std::function<std::string(const std::vector<CPageRow>& rows)> checkRows;
    // 0 to 100, after each row of the sheet, empty ones too.
    std::function<void(int percent)> progress;
    // Set by the GUI thread; read before every data row.
    const std::atomic<bool>* cancel = nullptr;
};

// A row the page did not take: where it stands in the sheet ("第 5 行") and why.
struct RefusedRow {
    std::string where;
    std::string reason;
};

struct RowReadResult {
    // Empty when the whole sheet was read (or the reading was cancelled).
    std::string error;
    int sentRows = 0;
    int takenRows = 0;
    std::vector<RefusedRow> refused;
    // Names the page stored otherwise than the sheet spells them: "第 3 行：初一(1)班 → 初一（1）班".
    std::vector<std::string> rewritten;
    // What the taken rows made besides themselves, kind and name, in the order made.
    std::vector<std::pair<std::string, std::string>> made;
    bool cancelled = false;
    bool Ok() const { return error.empty(); }
};

// A row read from the sheet, waiting to be sent: its cells, the cells as typed (before names were
// normalised) and where it stands.
struct ImportRow {
    CPageRow cells;
    CPageRow typed;
    std::string where;
};

// Asks the page about all the rows, then sends them one by one, counting what it takes and what it
// refuses; `progress` maps the rows sent to the bar. Stops between rows when cancelled.
void SendImportRows(const std::vector<ImportRow>& rows, const RowReadJob& job, RowReadResult& result,
                    const std::function<void(std::size_t sent)>& progress);

// What an import says at its end: the rows taken and refused, each refused row with its reason, the
// names written otherwise than typed. `warning` tells whether anything was refused.
std::string ImportReportText(const RowReadResult& result, bool* warning = nullptr);

// A row has at most this many cells: no page has more columns, and a stray cell far to the right
// must not make every row that wide.
constexpr int kMaxRowCells = 256;

// A number cell's text: its 15 significant digits without exponent or trailing zeros (3, 2.5, 1.25).
std::string NumberCellText(double number);

// The text a cell arrives as: a text normalised as names are, a number as NumberCellText gives
// it, nothing for a boolean or an error. False for a date, which no page takes.
// `typed`, when given, receives the text before it was normalised.
bool ReadCellText(const zem::workbook::CellValue& value, std::string& text, std::string* typed = nullptr);

// What an import says when the workbook could not be read: the reader's reason first, then the
// program's advice.
std::string ReadFailureText(const std::string& reason);
// The report's lines of the objects an import made besides its rows: "新建教室 2 个：机房2、实验室"; empty
// when it made none.
std::string MadeObjectsText(const std::vector<std::pair<std::string, std::string>>& made);
// "Excel文件中第 %d 行\r\n%s": where a refusal or a bad cell stopped the import.
std::string RowErrorText(int row, const std::string& message);
// The text of the cell at (row, column) as ReadCellText gives it; false, with the error naming the
// cell, for a date or for a character GBK cannot hold.
bool ReadImportCell(const zem::workbook::CellValue& value, int row, int column, std::string& text,
                    std::string& error, std::string* typed = nullptr);
// Reads the sheet the workbook at `path` opens on; false with the text the user sees.
bool ReadImportSheet(const std::string& path, zem::workbook::SheetData& sheet, std::string& error);

// Reads the rows of a sheet already in memory.
RowReadResult ReadSheetRows(const zem::workbook::SheetData& sheet, const RowReadJob& job);

// Reads the sheet the workbook at `path` opens on, then its rows.
RowReadResult ReadWorkbookRows(const std::string& path, const RowReadJob& job);

}  // namespace zem::import
