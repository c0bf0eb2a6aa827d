// The teaching-plan reader of the imports: the cross table and the flat list.
#include "app/output/import/PlanReader.h"

#include "app/output/workbook/Workbook.h"
#include "app/shared/Strings.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>

namespace zem::import {

using zem::workbook::SheetData;

namespace {

constexpr std::array<const char*, 3> kWeeklyCountWords = {"周课时数", "周课时", "节数"};
constexpr std::array<const char*, 7> kFlatListWords = {"班级", "课程", "教师", "周课时数", "连课", "次数", "指定教室"};
constexpr const char* kHeadTeacher = "班主任";

std::vector<std::string> PlanSeparators()
{
    return {"，", ",", "#"};
}

std::vector<std::string> SplitFields(const std::string& text, bool dropEmpty)
{
    std::vector<std::string> separators = PlanSeparators();
    std::vector<std::string> fields;
    SplitNameList(text, separators, &fields, dropEmpty);
    return fields;
}

bool IsCountText(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

bool IsWeeklyCountRow(const std::string& firstCell)
{
    const std::string word = zem::ReplaceAll(firstCell, " ", "");
    return std::any_of(kWeeklyCountWords.begin(), kWeeklyCountWords.end(), [&](const char* each) { return word == each; });
}

// The sheet's cells as the imports read them; the first bad cell stops the reading with its error.
class PlanCells {
public:
    explicit PlanCells(const SheetData& sheet) : m_sheet(sheet) {}

    bool Get(int row, int column, std::string& text)
    {
        return ReadImportCell(m_sheet.Value(row, column), row, column, text, error);
    }
    // A date counts as filled although it is never read.
    bool IsFilled(int row, int column) const
    {
        std::string text;
        return !ReadCellText(m_sheet.Value(row, column), text) || !text.empty();
    }
    bool ReadRow(int row, int firstColumn, int lastColumn, std::vector<std::string>& texts)
    {
        texts.assign(static_cast<std::size_t>(std::max(0, lastColumn - firstColumn + 1)), std::string());
        for (int column = firstColumn; column <= lastColumn; ++column)
            if (!Get(row, column, texts[static_cast<std::size_t>(column - firstColumn)]))
                return false;
        return true;
    }

    std::string error;

private:
    const SheetData& m_sheet;
};

class PlanSheetReader {
public:
    PlanSheetReader(const SheetData& sheet, const PlanReadJob& job) : m_sheet(sheet), m_cells(sheet), m_job(job) {}

    RowReadResult Read();

private:
    bool Cancelled()
    {
        if (m_job.cancel && m_job.cancel->load())
            m_result.cancelled = true;
        return m_result.cancelled;
    }
    void Progress(int row) const
    {
        if (m_job.progress)
            m_job.progress(static_cast<int>(static_cast<long long>(row - m_sheet.FirstRow() + 1) * 90 / m_sheet.Rows()) + 10);
    }
    // False when the page's refusal stops the import.
    bool Send(const CPageRow& cells, int row, int column);
    void ReadFlatList();
    void ReadCrossTable();

    const SheetData& m_sheet;
    PlanCells m_cells;
    const PlanReadJob& m_job;
    RowReadResult m_result;
    int m_headerRow = 0;
    int m_firstColumn = 0;
};

bool PlanSheetReader::Send(const CPageRow& cells, int row, int column)
{
    CPageNotify notify;
    notify.quiet = true;
    notify.byName = true;
    m_job.sendRow(notify, cells);
    ++m_result.sentRows;
    if (!notify.error)
        return true;
    // The sheet's row (and in a cross table the column) the refused plan came from.
    m_result.error = column > 0 ? zem::Format("Excel文件中第 %d 行第 %s 列\r\n%s", row,
                                              zem::workbook::ColumnName(column).c_str(), notify.message.c_str())
                                : RowErrorText(row, notify.message);
    return false;
}

RowReadResult PlanSheetReader::Read()
{
    if (m_sheet.IsEmpty())
        return m_result;
    const int firstRow = m_sheet.FirstRow();
    // Ten rows and columns from the used range's corner tell where the header and the classes are.
    const int scanRow = std::min(m_sheet.LastRow(), firstRow + 9);
    const int scanColumn = std::min(m_sheet.LastColumn(), m_sheet.FirstColumn() + 9);
    m_headerRow = firstRow;
    for (int row = firstRow; row <= scanRow; ++row) {
        int filled = 0;
        for (int column = m_sheet.FirstColumn(); column <= scanColumn; ++column)
            filled += m_cells.IsFilled(row, column) ? 1 : 0;
        if (filled * 2 >= scanColumn - m_sheet.FirstColumn() + 1) {
            m_headerRow = row;
            break;
        }
    }
    m_firstColumn = m_sheet.FirstColumn();
    for (int column = m_sheet.FirstColumn(); column <= scanColumn; ++column) {
        int filled = 0;
        for (int row = m_headerRow; row <= scanRow; ++row)
            filled += m_cells.IsFilled(row, column) ? 1 : 0;
        if (filled * 2 >= scanRow - m_headerRow + 1) {
            m_firstColumn = column;
            break;
        }
    }
    std::vector<std::string> header, second;
    if (!m_cells.ReadRow(m_headerRow, m_firstColumn, scanColumn, header) ||
        !m_cells.ReadRow(m_headerRow + 1, m_firstColumn, scanColumn, second)) {
        m_result.error = m_cells.error;
        return m_result;
    }
    // The guess chooses how this file is read; the user's choice stays as it was.
    const int format = GuessPlanFormat(header, second, m_job.format, m_job.askFormat);
    if (m_job.progress)
        m_job.progress(10);
    if (format == kCrossTableFormat)
        ReadCrossTable();
    else
        ReadFlatList();
    if (m_result.error.empty() && !m_cells.error.empty())
        m_result.error = m_cells.error;
    if (m_result.Ok() && !m_result.cancelled && m_job.progress)
        m_job.progress(100);
    return m_result;
}

void PlanSheetReader::ReadFlatList()
{
    const int lastColumn = std::min(m_sheet.LastColumn(), m_firstColumn + kPlanRowCells - 1);
    std::string className;
    CPageRow cells;
    for (int row = m_headerRow + 1; row <= m_sheet.LastRow(); ++row) {
        if (Cancelled())
            return;
        if (!m_cells.ReadRow(row, m_firstColumn, lastColumn, cells))
            return;
        cells.resize(kPlanRowCells);
        // An empty row is no plan; it is not sent as one of the class above.
        if (std::any_of(cells.begin(), cells.end(), [](const std::string& cell) { return !cell.empty(); })) {
            if (!cells[0].empty())
                className = cells[0];
            else
                cells[0] = className;
            if (!Send(cells, row, 0))
                return;
        }
        Progress(row);
    }
}

void PlanSheetReader::ReadCrossTable()
{
    const int lastRow = m_sheet.LastRow();
    const int lastColumn = m_sheet.LastColumn();
    std::map<int, std::string> weekly;
    std::string text;
    for (int row = m_headerRow + 1; row <= lastRow; ++row) {
        if (Cancelled())
            return;
        if (!m_cells.Get(row, m_firstColumn, text))
            return;
        if (!IsWeeklyCountRow(text))
            continue;
        for (int column = m_firstColumn + 1; column <= lastColumn; ++column) {
            if (!m_cells.Get(row, column, weekly[column]))
                return;
        }
        break;
    }

    const std::string defaultType = m_job.selfStudy ? "早读" : "主课";
    std::map<std::string, std::string> headTeachers;
    for (int row = m_headerRow + 1; row <= lastRow; ++row) {
        if (Cancelled())
            return;
        std::string className;
        if (!m_cells.Get(row, m_firstColumn, className))
            return;
        if (IsWeeklyCountRow(className)) {
            Progress(row);
            continue;
        }
        for (int column = m_firstColumn + 1; column <= lastColumn; ++column) {
            if (Cancelled())
                return;
            std::string heading;
            if (!m_cells.Get(m_headerRow, column, heading))
                return;
            if (heading.empty())
                continue;
            std::string subject = heading, type = defaultType, teacher, count = "1", nodes = "1", times = "0", room;
            std::vector<std::string> fields = SplitFields(heading, true);
            // "英语#4": the count follows the subject at once.
            if (fields.size() >= 2 && fields.size() <= 5 && IsCountText(fields[1]))
                fields.insert(fields.begin() + 1, defaultType);
            const auto week = weekly.find(column);
            if ((fields.size() == 1 || fields.size() == 2) && week != weekly.end() && !week->second.empty()) {
                if (fields.size() == 1)
                    fields.push_back(defaultType);
                fields.push_back(week->second);
            }
            if (fields.size() == 1)
                subject = fields[0];
            if (fields.size() >= 2) {
                subject = fields[0];
                type = fields[1];
                std::string* rest[] = {&count, &nodes, &times, &room};
                for (std::size_t i = 2; i < fields.size() && i < 6; ++i)
                    *rest[i - 2] = fields[i];
            }
            std::string crossing;
            if (!m_cells.Get(row, column, crossing))
                return;
            const std::vector<std::string> own = SplitFields(crossing, false);
            if (!own.empty())
                teacher = own[0];
            if (own.size() >= 2) {
                count = own[1];
                nodes = "1";
                times = "0";
                room.clear();
                std::string* rest[] = {&nodes, &times, &room};
                for (std::size_t i = 2; i < own.size() && i < 5; ++i)
                    *rest[i - 2] = own[i];
            }
            if (className.empty() || subject.empty() || teacher.empty())
                continue;
            if (zem::EqualsNoCase(subject, kHeadTeacher)) {
                headTeachers[className] = teacher;
                continue;
            }
            const CPageRow cells = m_job.selfStudy ? CPageRow{className, type, subject, teacher, count, nodes, times, room}
                                                   : CPageRow{className, subject, teacher, type, count, nodes, times, room};
            if (!Send(cells, row, column))
                return;
        }
        Progress(row);
    }
    if (!headTeachers.empty() && m_job.sendHeadTeachers)
        m_job.sendHeadTeachers(headTeachers);
}

}  // namespace

const char* PlanFormatName(int format)
{
    return format == kCrossTableFormat ? "交叉表格" : "平铺列表";
}

int GuessPlanFormat(const std::vector<std::string>& headerRow, const std::vector<std::string>& secondRow,
                    int current, const std::function<int(int current, int guess)>& ask)
{
    int separated = 0;
    for (const std::vector<std::string>* cells : {&headerRow, &secondRow})
        for (std::size_t i = 1; i < cells->size(); ++i) {
            const std::string& cell = (*cells)[i];
            if (cell.empty())
                continue;
            const std::size_t first = zem::Utf8CharLength(cell, 0);
            if (cell.find(',', first) != std::string::npos || cell.find('#', first) != std::string::npos ||
                cell.find("，", first) != std::string::npos)
                ++separated;
        }
    int guess = separated > 2 ? kCrossTableFormat : -1;
    if (guess == current)
        return current;
    const auto words = std::count_if(kFlatListWords.begin(), kFlatListWords.end(), [&](const char* word) {
        return std::any_of(headerRow.begin(), headerRow.end(), [&](const std::string& cell) { return zem::EqualsNoCase(cell, word); });
    });
    if (words > 2)
        guess = kFlatListFormat;
    if (guess != current && guess != -1 && ask)
        return ask(current, guess);
    return current;
}

std::string PlanFormatQuestion(int current, int guess)
{
    return zem::Format("您之前选择的导入格式是：%s\n\n而您的Excel文件中内容很有可能是 %s 格式\n是否要调整为 %s 格式导入",
                       PlanFormatName(current), PlanFormatName(guess), PlanFormatName(guess));
}

RowReadResult ReadPlanSheet(const SheetData& sheet, const PlanReadJob& job)
{
    return PlanSheetReader(sheet, job).Read();
}

RowReadResult ReadPlanWorkbook(const std::string& path, const PlanReadJob& job)
{
    SheetData sheet;
    RowReadResult result;
    if (!ReadImportSheet(path, sheet, result.error))
        return result;
    return ReadPlanSheet(sheet, job);
}

}  // namespace zem::import
