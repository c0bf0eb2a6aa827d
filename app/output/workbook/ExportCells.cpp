#include "app/output/workbook/ExportCells.h"

#include "app/shared/Strings.h"
#include "base/BasicData.h"
#include "base/CellRecord.h"
#include "platform/Text.h"

using zem::workbook::Range;
using zem::workbook::Value;
using zem::workbook::Worksheet;

namespace {

std::string Lines(const std::string& first, const std::string& second)
{
    return second.empty() ? first : first + "\n" + second;
}

int CharacterCount(std::string_view text)
{
    int count = 0;
    for (std::size_t i = 0; i < text.size(); i += zem::Utf8CharLength(text, i))
        ++count;
    return count;
}

}  // namespace

std::string CellAddress(int column, int row)
{
    return zem::workbook::CellName(row, column);
}

void SetColumnWidth(Worksheet& cells, const std::string& columnLetters, double width)
{
    cells.GetRange(columnLetters + "1").SetColumnWidth(width);
}

void SetRowHeight(Worksheet& cells, int row, int height)
{
    cells.GetRange("A" + std::to_string(row)).SetRowHeight(height);
}

void WriteRange(Worksheet& cells, const std::string& first, const std::string& last, const Value& value,
                const CExportCellStyle* style, bool twoFonts)
{
    Range range = cells.GetRange(first, last);
    if (style) {
        if (style->colorIndex != -1)
            range.Interior().SetColorIndex(style->colorIndex);
        else if (style->color != 0)
            range.Interior().SetColor(style->color);
        if (!style->fontName.empty())
            range.Font().SetName(style->fontName);
        if (style->fontSize > 0)
            range.Font().SetSize(style->fontSize);
        range.Font().SetBold(style->bold);
    }
    range.SetValue(value);
    if (style && twoFonts) {
        const std::string* text = std::get_if<std::string>(&value);
        const std::size_t lineFeed = text ? text->find('\n') : std::string::npos;
        const std::string name2 = style->fontName2.empty() ? style->fontName : style->fontName2;
        const int size2 = style->fontSize2 > 0 ? style->fontSize2 : style->fontSize;
        if (lineFeed != std::string::npos && lineFeed > 0 && (name2 != style->fontName || size2 != style->fontSize)) {
            if (!name2.empty())
                range.Font().SetName(name2);
            if (size2 > 0)
                range.Font().SetSize(size2);
            zem::workbook::FontRef head = range.Characters(0, CharacterCount(std::string_view(*text).substr(0, lineFeed)));
            if (!style->fontName.empty())
                head.SetName(style->fontName);
            if (style->fontSize > 0)
                head.SetSize(style->fontSize);
        }
    }
    if (style && style->border)
        range.BorderAround(1, 2, 1);
}

void WriteTextCell(Worksheet& cells, int column, int row, const std::string& text, const CExportCellStyle* style)
{
    const std::string cell = CellAddress(column, row);
    cells.GetRange(cell).SetNumberFormatLocal("@");
    WriteRange(cells, cell, cell, Value(text), style, false);
}

void MergeWithBorder(Worksheet& cells, const std::string& first, const std::string& last)
{
    Range range = cells.GetRange(first, last);
    range.Merge(false);
    range.BorderAround(1, 2, 1);
}

void PrepareListSheet(Worksheet& cells, const std::string& fontName, int rows)
{
    cells.SetStandardWidth(12);
    Range all = cells.Cells();
    all.SetHorizontalAlignment(3);
    all.SetVerticalAlignment(zem::workbook::kAlignCenter);
    all.SetWrapText(true);
    all.Font().SetName(fontName);
    all.Font().SetSize(11);
    if (rows > 0)
        cells.GetRange(zem::workbook::Area{1, 1, rows, 1}).SetRowHeight(18);
}

std::string GetExportCellText(const CExportContext& context, const CScheduleTask& task, const CCourseTable& table,
                              const tagTABLE_NODE& node, TABLE_TYPE kind, bool fullNames, int cellFormat,
                              const std::vector<std::string>& subjectFilter, const std::string& objectId,
                              std::vector<ExportCellEntry>& entries)
{
    CellInfoParam param;
    param.fullName = fullNames;
    param.showRoomSeat = context.showRoomNumber;
    param.layout = cellFormat;
    param.subjectFilter = subjectFilter;
    entries.clear();
    const std::string record = task.GetCellInfo(table.GetNode(node), kind, param);
    for (const zem::CellEntry& entry : zem::ReadCellRecord(record).entries)
        entries.push_back({std::string(entry.main), std::string(entry.secondary)});
    std::string text;
    if (!table.IsUsed(node) && kind != TABLE_ROOM)
        text = task.GetActivityInfo(objectId, kind, node);
    else if (!entries.empty())
        text = Lines(entries[0].main, entries[0].secondary);
    FillEmptyCellText(context, kind, text);
    return text;
}

void FillEmptyCellText(const CExportContext& context, TABLE_TYPE kind, std::string& text)
{
    if (context.autoFillEmptyCell && kind == TABLE_CLASS && text.empty())
        text = "自习";
}

void WriteLessonCell(const CExportContext& context, const CScheduleTask& task, const CCourseTable& table,
                     const tagTABLE_NODE& node, TABLE_TYPE kind, bool fullNames, int cellFormat,
                     const std::vector<std::string>& subjectFilter, Worksheet& cells, int row, int column,
                     int halvesMode, std::vector<int>& splits, const CExportCellStyle* style,
                     const std::string& objectId, bool mergeUpwards, bool noMerge)
{
    std::vector<ExportCellEntry> entries;
    const std::string text = GetExportCellText(context, task, table, node, kind, fullNames, cellFormat,
                                               subjectFilter, objectId, entries);
    const std::string here = CellAddress(column, row);
    WriteRange(cells, here, here, Value(text), style, true);

    if (entries.size() == 2) {
        std::string second = Lines(entries[1].main, entries[1].secondary);
        FillEmptyCellText(context, kind, second);
        int secondRow = row + 1;
        int secondColumn = column;
        if (halvesMode == kHalvesBeside) {
            splits.push_back(row);
            secondRow = row;
            secondColumn = column + 1;
        } else if (halvesMode == kHalvesDownByRow) {
            splits.push_back(row);
        } else {
            splits.push_back(column);
        }
        const std::string there = CellAddress(secondColumn, secondRow);
        WriteRange(cells, there, there, Value(second), style, true);
    }

    if (noMerge || !context.mergeContinuous || node.section <= 0 || text.empty() || entries.size() != 1)
        return;
    std::vector<ExportCellEntry> previousEntries;
    const tagTABLE_NODE previous{node.day, node.segment, node.section - 1};
    const std::string previousText = GetExportCellText(context, task, table, previous, kind, fullNames, cellFormat,
                                                       subjectFilter, objectId, previousEntries);
    if (previousEntries.size() != 1 || previousText != text)
        return;
    const std::string before = mergeUpwards ? CellAddress(column, row - 1) : CellAddress(column - 1, row);
    MergeWithBorder(cells, before, here);
}

bool IsCellChangedFromOpenTask(const CExportContext& context, const CScheduleTask* exportTask,
                               const CCourseTable& table, const tagTABLE_NODE& node, const std::string& objectId,
                               TABLE_TYPE kind)
{
    const CScheduleTask* open = context.openTask;
    if (!open || exportTask == open)
        return false;
    const CCourseTableNode& exported = table.GetNode(node);
    switch (kind) {
    case TABLE_CLASS:
        if (const CClassInfo* object = open->GetClass(objectId))
            return exported != static_cast<const CZemTableObject*>(object)->GetTable(false).GetNode(node);
        return false;
    case TABLE_TEACHER:
        if (const CTeacherInfo* object = open->GetTeacher(objectId))
            return exported != static_cast<const CZemTableObject*>(object)->GetTable(false).GetNode(node);
        return false;
    case TABLE_ROOM:
        if (const CRoomInfo* room = open->GetRoom(objectId)) {
            // The room's own table is the union of its parallel uses; built aside, so the open
            // task is only read.
            CCourseTable combined;
            room->GetComplexTable().Combine(combined, false);
            return exported != combined.GetNode(node);
        }
        return false;
    }
    return false;
}

int DayIndexFromWeekday(int dayOfWeek, int secondWeek)
{
    const int day = dayOfWeek == 1 ? 6 : dayOfWeek - 2;
    return secondWeek == 1 ? day + 7 : day;
}
