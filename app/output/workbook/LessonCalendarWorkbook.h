#pragma once
// Export kind 4: the lesson calendar. For each date of a span, one column; for each named row, the
// lessons it has on that date, taken from its counts per day of the teaching week. A school with a
// second week alternates the two halves from the first date's week on. The requester hands over a
// CLessonCalendarData at data2; text1 is the title.
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/Workbook.h"
#include "base/WeekCount.h"

#include <array>
#include <chrono>
#include <string>
#include <vector>

constexpr int kLessonCalendarExport = 4;

struct LessonCalendarRow {
    std::string name;
    std::array<CWeekCount, 14> counts{};  // by day number 0..13
};

struct CLessonCalendarData {
    std::chrono::year_month_day firstDate;
    std::chrono::year_month_day lastDate;  // inclusive
    std::vector<LessonCalendarRow> rows;
};

// The dates of the span, first and last included; 0 or less when the last is before the first.
int LessonCalendarDays(const std::chrono::year_month_day& first, const std::chrono::year_month_day& last);
// Whether a span can be written: not empty, and at most a year (the last date before the first
// date's day a year on). Otherwise false with the text that says why.
bool CheckLessonCalendarSpan(const std::chrono::year_month_day& first, const std::chrono::year_month_day& last,
                             std::string& message);
// The width of a date column: 3 for more than 20 dates, else 60 shared among them.
int LessonCalendarColumnWidth(int dates);

bool WriteLessonCalendarWorkbook(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book);
