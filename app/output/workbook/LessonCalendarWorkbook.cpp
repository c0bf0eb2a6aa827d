#include "app/output/workbook/LessonCalendarWorkbook.h"

#include "app/output/workbook/ExportCells.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

#include <algorithm>

using std::chrono::sys_days;
using std::chrono::year_month_day;
using zem::workbook::Workbook;
using zem::workbook::Worksheet;

int LessonCalendarDays(const year_month_day& first, const year_month_day& last)
{
    if (!first.ok() || !last.ok())
        return 0;
    return static_cast<int>((sys_days(last) - sys_days(first)).count()) + 1;
}

bool CheckLessonCalendarSpan(const year_month_day& first, const year_month_day& last, std::string& message)
{
    if (LessonCalendarDays(first, last) < 1) {
        message = "结束日期不能早于开始日期，请重新选择统计的日期范围。";
        return false;
    }
    // A year on from 29 February is 1 March.
    const year_month_day yearOn = first + std::chrono::years(1);
    const sys_days limit = yearOn.ok() ? sys_days(yearOn) : sys_days(yearOn.year() / std::chrono::March / 1);
    if (sys_days(last) >= limit) {
        message = "统计的日期范围不能超过一年，请重新选择。";
        return false;
    }
    return true;
}

int LessonCalendarColumnWidth(int dates)
{
    return dates > 20 ? 3 : 60 / std::max(dates, 1);
}

namespace {

struct CalendarStyles {
    CExportCellStyle title, header, name, count;
};

CalendarStyles MakeCalendarStyles(const std::string& fontName)
{
    CalendarStyles styles;
    styles.title.fontName = fontName;
    styles.title.fontSize = 14;
    styles.title.bold = true;
    styles.title.border = true;
    styles.header = styles.title;
    styles.header.fontSize = 9;
    styles.header.colorIndex = 15;
    styles.name = styles.title;
    styles.name.fontSize = 11;
    styles.count = styles.name;
    styles.count.bold = false;
    return styles;
}

// The title across row 1 over the name column and the dates.
void WriteCalendarTitle(Worksheet& sheet, int dates, const std::string& text, const CalendarStyles& styles)
{
    zem::workbook::Range all = sheet.Cells();
    all.SetHorizontalAlignment(3);
    all.SetVerticalAlignment(zem::workbook::kAlignCenter);
    all.SetWrapText(true);
    const std::string titleEnd = CellAddress(dates + 1, 1);
    sheet.GetRange("A1", titleEnd).Merge(true);
    SetRowHeight(sheet, 1, 32);
    WriteRange(sheet, "A1", titleEnd, text, &styles.title, false);
}

// Row 2: a column for each date from B, headed by its month, day and weekday. Each column's day of
// the week: 0 Monday .. 6 Sunday.
std::vector<int> WriteDateHeads(Worksheet& sheet, const year_month_day& firstDate, int dates,
                                const CalendarStyles& styles)
{
    WriteRange(sheet, "A2", "A2", std::string(), &styles.header, false);
    SetColumnWidth(sheet, "A", 10);
    SetRowHeight(sheet, 2, 42);
    const int width = LessonCalendarColumnWidth(dates);
    std::vector<int> weekdays;
    for (int column = 2; column <= dates + 1; ++column) {
        const year_month_day date{sys_days(firstDate) + std::chrono::days(column - 2)};
        const int weekday = DayIndexFromWeekday(static_cast<int>(std::chrono::weekday(date).c_encoding()) + 1, 0);
        weekdays.push_back(weekday);
        SetColumnWidth(sheet, ColumnLetters(column), width);
        const std::string cell = CellAddress(column, 2);
        const std::string text = zem::Format("%u\n%u\n%s", static_cast<unsigned>(date.month()),
                                             static_cast<unsigned>(date.day()), GetWeekdayName(weekday, true).c_str());
        WriteRange(sheet, cell, cell, text, &styles.header, false);
    }
    return weekdays;
}

// One name's row: its lessons on each date.
void WriteCountRow(Worksheet& sheet, int row, const LessonCalendarRow& line, const CSchoolStructure& week,
                   const std::vector<int>& weekdays, const CalendarStyles& styles)
{
    int first = 0;
    int last = 6;
    week.GetValidWeekBothEnds(first, last);
    const int end = std::min(last, 13);
    const int dates = static_cast<int>(weekdays.size());
    SetRowHeight(sheet, row, 18);
    WriteTextCell(sheet, 1, row, line.name, &styles.name);
    // Runs of days: from the date's weekday (in the second week for a school of the second
    // week only) up to the last day of the cycle, then again from the next date's weekday.
    int column = 2;
    while (column <= dates + 1) {
        int day = weekdays[static_cast<std::size_t>(column - 2)];
        if (day < first)
            day += first;
        for (; day <= end && column <= dates + 1; ++day, ++column) {
            const CWeekCount& lessons = line.counts[static_cast<std::size_t>(day)];
            const bool shown = week.IsDayInUse(day) && !lessons.IsEmpty();
            const std::string cell = CellAddress(column, row);
            WriteRange(sheet, cell, cell, shown ? lessons.ToString() : std::string(), &styles.count, false);
        }
    }
}

}  // namespace

bool WriteLessonCalendarWorkbook(CSpreadsheetExporter& exporter, Workbook& book)
{
    const CExportParam& param = exporter.GetParam();
    const auto* data = static_cast<const CLessonCalendarData*>(param.data2);
    const CScheduleTask* task = exporter.GetTask();
    if (!data || !task)
        return false;
    std::string refusal;
    if (!CheckLessonCalendarSpan(data->firstDate, data->lastDate, refusal)) {
        exporter.SetError(2, refusal);
        return false;
    }
    const int dates = LessonCalendarDays(data->firstDate, data->lastDate);
    Worksheet& sheet = book.GetSheet(1);
    const CalendarStyles styles = MakeCalendarStyles(exporter.GetContext().tableFontName);
    WriteCalendarTitle(sheet, dates, param.text1, styles);
    const std::vector<int> weekdays = WriteDateHeads(sheet, data->firstDate, dates, styles);
    const int total = static_cast<int>(data->rows.size());
    for (int n = 0; n < total; ++n) {
        const LessonCalendarRow& line = data->rows[static_cast<std::size_t>(n)];
        exporter.ThrowIfCancelled();
        exporter.SendProgress(n + 1, total, line.name);
        WriteCountRow(sheet, 3 + n, line, task->GetSchoolStructure(), weekdays, styles);
    }
    return true;
}
