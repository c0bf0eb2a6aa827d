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

    bool Get(int row, int column, std::string& text, std::string* typed = nullptr)
    {
        return ReadImportCell(m_sheet.Value(row, column), row, column, text, error, typed);
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
    // The cells of `row` at `columns` (0: no such column, an empty cell), as read and as typed.
    bool ReadColumns(int row, const std::vector<int>& columns, CPageRow& texts, CPageRow& typed)
    {
        texts.assign(columns.size(), std::string());
        typed.assign(columns.size(), std::string());
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] > 0 && !Get(row, columns[i], texts[i], &typed[i]))
                return false;
        return true;
    }

    std::string error;

private:
    const SheetData& m_sheet;
};

// The headings a flat list's column may carry, for each cell of a page row in the mode's order; the words other
// offices' lists use too, so that a list headed "科目" or "任课教师" finds its columns.
std::vector<std::vector<std::string>> FlatListHeadings(bool selfStudy)
{
    const std::vector<std::string> cls = {"班级", "班级名称", "班名"};
    const std::vector<std::string> course = {"课程", "课程名称", "科目", "学科"};
    const std::vector<std::string> teacher = {"教师", "任课教师", "授课教师", "教师姓名", "老师"};
    const std::vector<std::string> kind = {"主/副课", "主副课", "类型"};
    std::vector<std::string> count(kWeeklyCountWords.begin(), kWeeklyCountWords.end());
    count.insert(count.end(), {"课时", "课时数"});
    const std::vector<std::string> nodes = {"连课", "连课节数"}, times = {"次数", "连课次数"};
    const std::vector<std::string> room = {"指定教室", "教室", "上课教室"};
    if (selfStudy)
        return {cls, kind, course, teacher, count, nodes, times, room};
    return {cls, course, teacher, kind, count, nodes, times, room};
}

// A cross table's crossing as a page row: the heading's "课程#类型#周课时#连课#次数#指定教室", the
// weekly-count row's count, and the crossing's "教师#周课时#连课#次数#指定教室".
struct CrossPlan {
    std::string className, subject, type, teacher, count = "1", nodes = "1", times = "0", room;
};

CrossPlan ParseCrossing(const std::string& className, const std::string& heading, const std::string& crossing,
                        const std::string* weekly, const std::string& defaultType)
{
    CrossPlan plan;
    plan.className = className;
    plan.subject = heading;
    plan.type = defaultType;
    std::vector<std::string> fields = SplitFields(heading, true);
    // "英语#4": the count follows the subject at once.
    if (fields.size() >= 2 && fields.size() <= 5 && IsCountText(fields[1]))
        fields.insert(fields.begin() + 1, defaultType);
    if ((fields.size() == 1 || fields.size() == 2) && weekly && !weekly->empty()) {
        if (fields.size() == 1)
            fields.push_back(defaultType);
        fields.push_back(*weekly);
    }
    if (fields.size() == 1)
        plan.subject = fields[0];
    if (fields.size() >= 2) {
        plan.subject = fields[0];
        plan.type = fields[1];
        std::string* rest[] = {&plan.count, &plan.nodes, &plan.times, &plan.room};
        for (std::size_t i = 2; i < fields.size() && i < 6; ++i)
            *rest[i - 2] = fields[i];
    }
    const std::vector<std::string> own = SplitFields(crossing, false);
    if (!own.empty())
        plan.teacher = own[0];
    if (own.size() >= 2) {
        plan.count = own[1];
        plan.nodes = "1";
        plan.times = "0";
        plan.room.clear();
        std::string* rest[] = {&plan.nodes, &plan.times, &plan.room};
        for (std::size_t i = 2; i < own.size() && i < 5; ++i)
            *rest[i - 2] = own[i];
    }
    return plan;
}

CPageRow CrossRow(const CrossPlan& plan, bool selfStudy)
{
    return selfStudy ? CPageRow{plan.className, plan.type, plan.subject, plan.teacher, plan.count, plan.nodes, plan.times, plan.room}
                     : CPageRow{plan.className, plan.subject, plan.teacher, plan.type, plan.count, plan.nodes, plan.times, plan.room};
}

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
    void FindHeader();
    // The sheet's column of each cell of a page row (0: none) and the first row of plans; false, with the
    // reason, when the columns cannot be placed.
    bool FlatListColumns(std::vector<int>& columns, int& firstRow);
    bool UnheadedColumns(std::vector<int>& columns, int& firstRow);
    std::string HeaderSample() const;
    void ReadFlatList();
    void ReadCrossTable();
    // The row of weekly counts under the header, by column; false when a bad cell stopped the reading.
    bool ReadWeeklyCounts(std::map<int, std::string>& weekly);
    void SendRows();

    const SheetData& m_sheet;
    PlanCells m_cells;
    const PlanReadJob& m_job;
    RowReadResult m_result;
    std::vector<ImportRow> m_rows;
    std::map<std::string, std::string> m_headTeachers;
    int m_headerRow = 0;
    int m_firstColumn = 0;
};

void PlanSheetReader::FindHeader()
{
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
}

RowReadResult PlanSheetReader::Read()
{
    if (m_sheet.IsEmpty())
        return m_result;
    FindHeader();
    const int scanColumn = std::min(m_sheet.LastColumn(), m_sheet.FirstColumn() + 9);
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
    if (m_result.Ok() && !m_result.cancelled)
        SendRows();
    if (m_result.Ok() && !m_result.cancelled && m_job.progress)
        m_job.progress(100);
    return m_result;
}

// Nothing reaches the page before the whole sheet has been read without a bad cell and the page
// has agreed to take that many plans.
void PlanSheetReader::SendRows()
{
    SendImportRows(m_rows, m_job, m_result, [&](std::size_t sent) {
        if (m_job.progress)
            m_job.progress(10 + static_cast<int>(sent * 90 / m_rows.size()));
    });
    if (m_result.Ok() && !m_result.cancelled && !m_headTeachers.empty() && m_job.sendHeadTeachers)
        m_job.sendHeadTeachers(m_headTeachers);
}

bool PlanSheetReader::FlatListColumns(std::vector<int>& columns, int& firstRow)
{
    const auto headings = FlatListHeadings(m_job.selfStudy);
    columns.assign(headings.size(), 0);
    std::string text;
    for (int column = m_sheet.FirstColumn(); column <= m_sheet.LastColumn(); ++column) {
        if (!m_cells.Get(m_headerRow, column, text))
            return false;
        text = zem::ReplaceAll(text, " ", "");
        for (std::size_t i = 0; i < headings.size(); ++i)
            if (columns[i] == 0 && std::any_of(headings[i].begin(), headings[i].end(),
                                               [&](const std::string& word) { return zem::EqualsNoCase(text, word); }))
                columns[i] = column;
    }
    firstRow = m_headerRow + 1;
    if (std::any_of(columns.begin(), columns.end(), [](int column) { return column > 0; })) {
        // A header names the columns: the class, the subject and the teacher must be among them.
        std::string missing;
        const std::size_t course = m_job.selfStudy ? 2 : 1, teacher = m_job.selfStudy ? 3 : 2;
        for (const std::size_t i : {std::size_t{0}, course, teacher})
            if (columns[i] == 0)
                missing += (missing.empty() ? "" : "、") + ("“" + headings[i].front() + "”");
        if (!missing.empty())
            m_result.error = zem::Format("Excel文件第 %d 行的表头中没有%s列，无法确定各列的内容，没有导入任何数据",
                                         m_headerRow, missing.c_str());
        return missing.empty();
    }
    return UnheadedColumns(columns, firstRow);
}

// A list without a header holds the page's columns in order from its first filled column, its first row a plan;
// the weekly counts show the columns stand so, else nothing is read.
bool PlanSheetReader::UnheadedColumns(std::vector<int>& columns, int& firstRow)
{
    int first = m_sheet.LastColumn();
    for (int row = m_headerRow; row <= m_sheet.LastRow(); ++row)
        for (int column = m_sheet.FirstColumn(); column < first; ++column)
            if (m_cells.IsFilled(row, column))
                first = column;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int column = first + static_cast<int>(i);
        columns[i] = column <= m_sheet.LastColumn() ? column : 0;
    }
    firstRow = m_headerRow;
    const int count = columns[4];
    std::string text;
    for (int row = m_headerRow; count > 0 && row <= m_sheet.LastRow(); ++row) {
        if (!m_cells.Get(row, count, text))
            return false;
        if (!text.empty() && !IsCountText(zem::ReplaceAll(text, " ", ""))) {
            m_result.error = zem::Format("Excel文件中没有可以识别的表头，第 %d 行第 %s 列不是周课时数，无法确定各列的内容，"
                                         "没有导入任何数据。请在第一行写上表头：%s",
                                         row, zem::workbook::ColumnName(count).c_str(), HeaderSample().c_str());
            return false;
        }
    }
    return true;
}

std::string PlanSheetReader::HeaderSample() const
{
    std::string sample;
    for (const auto& words : FlatListHeadings(m_job.selfStudy))
        sample += (sample.empty() ? "" : " ") + words.front();
    return sample;
}

void PlanSheetReader::ReadFlatList()
{
    std::vector<int> columns;
    int firstRow = 0;
    if (!FlatListColumns(columns, firstRow))
        return;
    std::string className, typedClass;
    CPageRow cells, typed;
    for (int row = firstRow; row <= m_sheet.LastRow(); ++row) {
        if (Cancelled())
            return;
        if (!m_cells.ReadColumns(row, columns, cells, typed))
            return;
        // An empty row is no plan; it is not sent as one of the class above.
        if (std::none_of(cells.begin(), cells.end(), [](const std::string& cell) { return !cell.empty(); }))
            continue;
        // An empty class cell continues the class above, as the dialog's sample shows.
        if (!cells[0].empty()) {
            className = cells[0];
            typedClass = typed[0];
        } else {
            cells[0] = className;
            typed[0] = typedClass;
        }
        m_rows.push_back({cells, typed, zem::Format("第 %d 行", row)});
    }
}

bool PlanSheetReader::ReadWeeklyCounts(std::map<int, std::string>& weekly)
{
    std::string text;
    for (int row = m_headerRow + 1; row <= m_sheet.LastRow(); ++row) {
        if (!m_cells.Get(row, m_firstColumn, text))
            return false;
        if (!IsWeeklyCountRow(text))
            continue;
        for (int column = m_firstColumn + 1; column <= m_sheet.LastColumn(); ++column)
            if (!m_cells.Get(row, column, weekly[column]))
                return false;
        break;
    }
    return true;
}

void PlanSheetReader::ReadCrossTable()
{
    std::map<int, std::string> weekly;
    if (!ReadWeeklyCounts(weekly))
        return;
    const std::string defaultType = m_job.selfStudy ? "早读" : "主课";
    for (int row = m_headerRow + 1; row <= m_sheet.LastRow(); ++row) {
        if (Cancelled())
            return;
        std::string className, typedClass;
        if (!m_cells.Get(row, m_firstColumn, className, &typedClass))
            return;
        if (IsWeeklyCountRow(className))
            continue;
        for (int column = m_firstColumn + 1; column <= m_sheet.LastColumn(); ++column) {
            std::string heading, typedHeading, crossing, typedCrossing;
            if (!m_cells.Get(m_headerRow, column, heading, &typedHeading) ||
                !m_cells.Get(row, column, crossing, &typedCrossing))
                return;
            if (heading.empty())
                continue;
            const auto week = weekly.find(column);
            const std::string* count = week == weekly.end() ? nullptr : &week->second;
            const CrossPlan plan = ParseCrossing(className, heading, crossing, count, defaultType);
            if (className.empty() || plan.subject.empty() || plan.teacher.empty())
                continue;
            if (zem::EqualsNoCase(plan.subject, kHeadTeacher)) {
                m_headTeachers[className] = plan.teacher;
                continue;
            }
            const CrossPlan typed = ParseCrossing(typedClass, typedHeading, typedCrossing, count, defaultType);
            m_rows.push_back({CrossRow(plan, m_job.selfStudy), CrossRow(typed, m_job.selfStudy),
                              zem::Format("第 %d 行第 %s 列", row, zem::workbook::ColumnName(column).c_str())});
        }
    }
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
