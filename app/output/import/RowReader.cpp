// The workbook row reader of the imports.
#include "app/output/import/RowReader.h"

#include "app/output/workbook/Workbook.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "platform/Text.h"

#include <algorithm>
#include <map>
#include <vector>

namespace zem::import {

using zem::workbook::CellValue;
using zem::workbook::SheetData;

namespace {

struct Cell {
    int row;
    int column;
    const CellValue* value;
};

// What a cell counts as when the header row and the first column are looked for: a date holds a
// value even though it is never sent.
bool IsFilled(const CellValue& value)
{
    std::string text;
    return !ReadCellText(value, text) || !text.empty();
}

}  // namespace

std::string RowErrorText(int row, const std::string& message)
{
    return zem::Format("Excel文件中第 %d 行\r\n%s", row, message.c_str());
}

bool ReadImportCell(const CellValue& value, int row, int column, std::string& text, std::string& error)
{
    const std::string letters = zem::workbook::ColumnName(column);
    if (!ReadCellText(value, text)) {
        error = RowErrorText(row, zem::Format("第 %s 列是日期，请把这一列设为文本格式后再导入", letters.c_str()));
        return false;
    }
    std::string gbk;
    if (!zem::Utf8ToGbk(text, gbk)) {
        error = RowErrorText(row, zem::Format("第 %s 列含有无法保存的字符：%s", letters.c_str(), text.c_str()));
        return false;
    }
    return true;
}

bool ReadImportSheet(const std::string& path, SheetData& sheet, std::string& error)
{
    std::string reason;
    if (zem::workbook::ReadWorkbookSheet(path, sheet, reason))
        return true;
    error = ReadFailureText(reason);
    return false;
}

bool ReadCellText(const CellValue& value, std::string& text)
{
    text.clear();
    switch (value.type) {
    case CellValue::Type::Text:
        text = value.text;
        break;
    case CellValue::Type::Number:
        text = zem::Format("%.1f", value.number);
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, ".0") == 0)
            text.resize(text.size() - 2);
        break;
    case CellValue::Type::Date:
        return false;
    default:
        return true;
    }
    NormalizeName(text);
    return true;
}

RowReadResult ReadSheetRows(const SheetData& sheet, const RowReadJob& job)
{
    RowReadResult result;
    if (sheet.IsEmpty())
        return result;
    const int rows = sheet.Rows();
    const int columns = sheet.Columns();
    std::vector<Cell> cells;
    cells.reserve(sheet.CellCount());
    sheet.ForEachCell([&](int row, int column, const CellValue& value) { cells.push_back({row, column, &value}); });

    // The header: the first row with at least half of the used columns filled.
    int headerRow = sheet.FirstRow();
    {
        std::map<int, int> filled;
        for (const Cell& cell : cells)
            if (IsFilled(*cell.value))
                ++filled[cell.row];
        const auto header = std::find_if(filled.begin(), filled.end(), [&](const auto& entry) {
            return entry.second * 2 >= columns;
        });
        if (header != filled.end())
            headerRow = header->first;
    }
    // The first data column: the first with at least half of the used rows filled, from the header down.
    int firstColumn = sheet.FirstColumn();
    {
        std::map<int, int> filled;
        for (const Cell& cell : cells)
            if (cell.row >= headerRow && IsFilled(*cell.value))
                ++filled[cell.column];
        const auto first = std::find_if(filled.begin(), filled.end(), [&](const auto& entry) {
            return entry.second * 2 >= rows;
        });
        if (first != filled.end())
            firstColumn = first->first;
    }
    const int width = std::min(sheet.LastColumn() - firstColumn + 1, kMaxRowCells);
    const int lastColumn = firstColumn + width - 1;

    // The progress counts from the top of the used range, so that it reaches 100 at its last row
    // wherever the range starts.
    auto progress = [&](int row) {
        if (job.progress)
            job.progress(static_cast<int>(static_cast<long long>(row - sheet.FirstRow() + 1) * 100 / rows));
    };
    CPageRow texts;
    std::string text;
    std::size_t next = 0;
    while (next < cells.size() && cells[next].row <= headerRow)
        ++next;
    while (next < cells.size()) {
        if (job.cancel && job.cancel->load()) {
            result.cancelled = true;
            return result;
        }
        const int row = cells[next].row;
        texts.assign(static_cast<std::size_t>(width), std::string());
        bool any = false;
        for (; next < cells.size() && cells[next].row == row; ++next) {
            const Cell& cell = cells[next];
            if (cell.column < firstColumn || cell.column > lastColumn)
                continue;
            if (!ReadImportCell(*cell.value, row, cell.column, text, result.error))
                return result;
            any = any || !text.empty();
            texts[static_cast<std::size_t>(cell.column - firstColumn)] = std::move(text);
        }
        if (any) {
            CPageNotify notify;
            notify.quiet = true;
            notify.byName = true;
            job.sendRow(notify, texts);
            ++result.sentRows;
            // A refusal without the error flag (a name already there) skips the row.
            if (notify.error) {
                result.error = RowErrorText(row, notify.message);
                return result;
            }
        }
        progress(row);
    }
    if (job.progress)
        job.progress(100);
    return result;
}

std::string ReadFailureText(const std::string& reason)
{
    return LoadResString(18) + "\n\n错误原因：" + reason;
}

RowReadResult ReadWorkbookRows(const std::string& path, const RowReadJob& job)
{
    SheetData sheet;
    RowReadResult result;
    if (!ReadImportSheet(path, sheet, result.error))
        return result;
    return ReadSheetRows(sheet, job);
}

}  // namespace zem::import
