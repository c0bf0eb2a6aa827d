// The workbook row reader of the imports.
#include "app/output/import/RowReader.h"

#include "app/output/workbook/Workbook.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>
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

bool ReadImportCell(const CellValue& value, int row, int column, std::string& text, std::string& error,
                    std::string* typed)
{
    const std::string letters = zem::workbook::ColumnName(column);
    if (!ReadCellText(value, text, typed)) {
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

std::string NumberCellText(double number)
{
    // Rounded to one decimal, 2.46 arrived as 2.5 and 2.96 as 3, taken as counts nobody typed: a
    // number keeps the 15 significant digits the spreadsheet shows of it, written without exponent.
    char text[400];
    const std::to_chars_result digits = std::to_chars(text, text + sizeof text, number, std::chars_format::general, 15);
    double shown = number;
    if (digits.ec == std::errc())
        std::from_chars(text, digits.ptr, shown);
    if (shown == 0)
        shown = 0;  // no "-0"
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, shown, std::chars_format::fixed);
    return written.ec == std::errc() ? std::string(text, written.ptr) : std::string();
}

bool ReadCellText(const CellValue& value, std::string& text, std::string* typed)
{
    text.clear();
    if (typed)
        typed->clear();
    switch (value.type) {
    case CellValue::Type::Text:
        text = value.text;
        break;
    case CellValue::Type::Number:
        text = NumberCellText(value.number);
        break;
    case CellValue::Type::Date:
        return false;
    default:
        return true;
    }
    if (typed)
        *typed = text;
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

    // The whole sheet is read before the page is asked about it; the bar moves as rows are sent.
    std::vector<ImportRow> pending;
    CPageRow texts, typed;
    std::string text, typedText;
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
        typed.assign(static_cast<std::size_t>(width), std::string());
        bool any = false;
        for (; next < cells.size() && cells[next].row == row; ++next) {
            const Cell& cell = cells[next];
            if (cell.column < firstColumn || cell.column > lastColumn)
                continue;
            if (!ReadImportCell(*cell.value, row, cell.column, text, result.error, &typedText))
                return result;
            any = any || !text.empty();
            const auto index = static_cast<std::size_t>(cell.column - firstColumn);
            texts[index] = std::move(text);
            typed[index] = std::move(typedText);
        }
        if (any)
            pending.push_back({texts, typed, zem::Format("第 %d 行", row)});
    }
    SendImportRows(pending, job, result, [&](std::size_t sent) {
        if (job.progress)
            job.progress(static_cast<int>(sent * 100 / pending.size()));
    });
    if (job.progress && result.Ok() && !result.cancelled)
        job.progress(100);
    return result;
}

void SendImportRows(const std::vector<ImportRow>& rows, const RowReadJob& job, RowReadResult& result,
                    const std::function<void(std::size_t sent)>& progress)
{
    if (rows.empty())
        return;
    if (job.checkRows) {
        std::vector<CPageRow> cells;
        cells.reserve(rows.size());
        for (const ImportRow& row : rows)
            cells.push_back(row.cells);
        result.error = job.checkRows(cells);
        if (!result.error.empty())
            return;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (job.cancel && job.cancel->load()) {
            result.cancelled = true;
            return;
        }
        const ImportRow& row = rows[i];
        CPageNotify notify;
        notify.quiet = true;
        notify.byName = true;
        notify.typed = &row.typed;
        job.sendRow(notify, row.cells);
        ++result.sentRows;
        if (notify.accepted)
            ++result.takenRows;
        else
            result.refused.push_back({row.where, notify.message.empty() ? "未被接受" : notify.message});
        if (!notify.rewritten.empty())
            result.rewritten.push_back(row.where + "：" + notify.rewritten);
        if (notify.accepted)
            result.made.insert(result.made.end(), notify.made.begin(), notify.made.end());
        if (progress)
            progress(i + 1);
    }
}

std::string ImportReportText(const RowReadResult& result, bool* warning)
{
    // Enough lines to find each kind of fault; a box of thousands would not fit the screen.
    constexpr std::size_t kListed = 20;
    std::string text = result.refused.empty()
                           ? zem::Format("导入完成，共导入 %d 条", result.takenRows)
                           : zem::Format("导入 %d 条，未导入 %zu 条：", result.takenRows, result.refused.size());
    for (std::size_t i = 0; i < result.refused.size() && i < kListed; ++i)
        text += "\n" + result.refused[i].where + "：" + zem::ReplaceAll(result.refused[i].reason, "\r\n", " ");
    if (result.refused.size() > kListed)
        text += zem::Format("\n……另有 %zu 条未导入", result.refused.size() - kListed);
    if (!result.rewritten.empty()) {
        text += "\n\n以下名称按规范写法导入：";
        for (std::size_t i = 0; i < result.rewritten.size() && i < kListed; ++i)
            text += "\n" + result.rewritten[i];
        if (result.rewritten.size() > kListed)
            text += zem::Format("\n……另有 %zu 个", result.rewritten.size() - kListed);
    }
    text += MadeObjectsText(result.made);
    if (warning)
        *warning = !result.refused.empty();
    return text;
}

std::string MadeObjectsText(const std::vector<std::pair<std::string, std::string>>& made)
{
    // Each kind on a line of its own, in the order first made; the first names of a long list.
    constexpr std::size_t kNamed = 10;
    std::vector<std::pair<std::string, std::vector<std::string>>> kinds;
    for (const auto& [kind, name] : made) {
        auto it = std::find_if(kinds.begin(), kinds.end(), [&](const auto& each) { return each.first == kind; });
        if (it == kinds.end())
            it = kinds.insert(kinds.end(), {kind, {}});
        it->second.push_back(name);
    }
    std::string text;
    for (const auto& [kind, names] : kinds) {
        text += zem::Format("\n新建%s %zu 个：", kind.c_str(), names.size());
        for (std::size_t i = 0; i < names.size() && i < kNamed; ++i)
            text += (i ? "、" : "") + names[i];
        if (names.size() > kNamed)
            text += "……";
    }
    return text.empty() ? text : "\n\n导入时新建的数据：" + text;
}

std::string ReadFailureText(const std::string& reason)
{
    // The reason leads; the advice about a damaged file follows it, without its opening alarm.
    const std::string generic = LoadResString(18);
    const std::size_t advice = generic.find('\n');
    if (reason.empty() || advice == std::string::npos)
        return generic;
    return reason + "\n\n" + generic.substr(advice + 1);
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
