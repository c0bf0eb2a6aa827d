#include "app/output/workbook/LessonGridWorkbook.h"

#include "app/output/workbook/ExportCells.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "base/BasicData.h"
#include "base/ScheduleTask.h"
#include "base/Segment.h"
#include "platform/Text.h"

#include <iterator>

using zem::workbook::Workbook;
using zem::workbook::Worksheet;

namespace {

std::string PeriodLabel(int segment, int section, int sections, int regular)
{
    if (segment == zem::kMorningReading)
        return "早";
    if (segment == zem::kEveningStudy)
        return sections == 1 ? "自" : zem::Format("自%d", section + 1);
    return std::to_string(regular);
}

struct SlotRow {
    std::string subject;
    std::string teachers;
    std::string room;
};

// What one half (0 whole, 1 odd weeks, 2 even weeks) of a used slot shows.
SlotRow LessonOf(CScheduleTask& task, const CCourseTableNode& node, int half)
{
    SlotRow row;
    CCourseInfo* course = task.FindCourse(node.GetCourseId(half));
    if (!course)
        return row;
    row.subject = task.GetSubjectName(course->GetSubjectId());
    // A combined lesson's teachers all, as the class's grid names them.
    row.teachers = task.GetAllTeacherName(course, true, true);
    row.room = task.GetRoomName(node.GetRoomId(half));
    return row;
}

// One row of the sheet: a class's period, or one half of an odd/even period.
struct LessonRow {
    const std::string& className;
    int day;
    const std::string& label;
    const SlotRow& slot;
};

// A column of the sheet: its heading, its width, and the text of its cell in a row; `asText` keeps
// a cell text (a name), else a number becomes a number (the period's).
struct LessonColumn {
    const char* heading;
    double width;
    std::string (*cell)(const LessonRow& row);
    bool asText;
};

// The sheet's columns from B; column A is a margin.
constexpr double kMarginWidth = 3;
const LessonColumn kLessonColumns[] = {
    {"班级", 20, [](const LessonRow& r) { return r.className; }, true},
    {"星期", 7, [](const LessonRow& r) { return GetWeekdayName(r.day, true); }, true},
    {"节次", 7, [](const LessonRow& r) { return r.label; }, false},
    {"课程", 18, [](const LessonRow& r) { return r.slot.subject; }, true},
    {"教师", 12, [](const LessonRow& r) { return r.slot.teachers; }, true},
    {"教室", 12, [](const LessonRow& r) { return r.slot.room; }, true},
};
constexpr int kFirstColumn = 2;
constexpr int kLastColumn = kFirstColumn + static_cast<int>(std::size(kLessonColumns)) - 1;

// The sheet's name, column widths, title in row 2 and headings in row 3; the style of the rows.
CExportCellStyle PrepareLessonSheet(Worksheet& sheet, const std::string& fontName, const std::string& titleText)
{
    sheet.SetName(zem::workbook::MakeUniqueSheetName(zem::workbook::SanitizeSheetName(titleText), {}));
    PrepareListSheet(sheet, fontName, 3);
    sheet.SetStandardWidth(CSpreadsheetExporter::GetGridColumnWidth(6));
    SetColumnWidth(sheet, ColumnLetters(1), kMarginWidth);
    for (int column = kFirstColumn; column <= kLastColumn; ++column)
        SetColumnWidth(sheet, ColumnLetters(column), kLessonColumns[column - kFirstColumn].width);

    CExportCellStyle title;
    title.fontName = fontName;
    title.fontSize = 14;
    const std::string titleFirst = CellAddress(kFirstColumn, 2);
    const std::string titleLast = CellAddress(kLastColumn, 2);
    sheet.GetRange(titleFirst, titleLast).Merge(true);
    SetRowHeight(sheet, 2, 32);
    WriteRange(sheet, titleFirst, titleLast, titleText, &title, false);
    CExportCellStyle header;
    header.fontName = fontName;
    header.fontSize = 11;
    header.bold = true;
    header.colorIndex = 15;
    header.border = true;
    for (int column = kFirstColumn; column <= kLastColumn; ++column) {
        const std::string cell = CellAddress(column, 3);
        WriteRange(sheet, cell, cell, std::string(kLessonColumns[column - kFirstColumn].heading), &header, false);
    }
    CExportCellStyle body = header;
    body.bold = false;
    body.colorIndex = -1;
    return body;
}

void WriteLessonRow(Worksheet& sheet, int row, const LessonRow& lesson, const CExportCellStyle& body)
{
    SetRowHeight(sheet, row, 18);
    for (int column = kFirstColumn; column <= kLastColumn; ++column) {
        const LessonColumn& entry = kLessonColumns[column - kFirstColumn];
        if (entry.asText) {
            WriteTextCell(sheet, column, row, entry.cell(lesson), &body);
        } else {
            const std::string at = CellAddress(column, row);
            WriteRange(sheet, at, at, entry.cell(lesson), &body, false);
        }
    }
}

// A class's rows from `row`, day by day, period by period; the row after them.
int WriteClassLessons(CScheduleTask& task, CClassInfo& cls, Worksheet& sheet, int row,
                      const CExportCellStyle& body)
{
    const CSchoolStructure& week = task.GetSchoolStructure();
    const CCourseTable& table = cls.GetTempTable();
    const auto write = [&](int day, const std::string& label, const SlotRow& slot) {
        WriteLessonRow(sheet, row++, {cls.GetName(), day, label, slot}, body);
    };
    for (int day = 0; day < zem::kDayCount; ++day) {
        if (!week.IsDayInUse(day))
            continue;
        int regular = 0;
        for (const int segment : zem::kSegmentsInDayOrder) {
            const int sections = week.GetSectionNodeMaxCount(segment);
            for (int section = 0; section < sections; ++section) {
                if (zem::IsRegularSegment(segment))
                    ++regular;
                const std::string label = PeriodLabel(segment, section, sections, regular);
                const tagTABLE_NODE slot{day, segment, section};
                const CCourseTableNode& node = table.GetNode(slot);
                if (!table.IsUsed(slot)) {
                    write(day, label, {task.GetActivityInfo(cls.GetId(), TABLE_CLASS, slot), "", ""});
                } else if (node.IsInterleave()) {
                    SlotRow odd = LessonOf(task, node, 1);
                    odd.subject = "(单)" + odd.subject;
                    write(day, label, odd);
                    SlotRow even = LessonOf(task, node, 2);
                    even.subject = "(双)" + even.subject;
                    write(day, label, even);
                } else {
                    write(day, label, LessonOf(task, node, 0));
                }
            }
        }
    }
    return row;
}

}  // namespace

bool WriteLessonGridWorkbook(CSpreadsheetExporter& exporter, Workbook& book)
{
    CScheduleTask* task = exporter.GetTask();
    if (!task)
        return false;
    const std::vector<CClassInfo*> classes = ObjectsInOrder<CClassInfo>(task->GetClassInfoList());
    Worksheet& sheet = book.GetSheet(1);
    const CExportCellStyle body =
        PrepareLessonSheet(sheet, exporter.GetContext().fontName, exporter.GetParam().text1);
    int row = 4;
    const int total = static_cast<int>(classes.size());
    for (int n = 0; n < total; ++n) {
        CClassInfo* cls = classes[static_cast<std::size_t>(n)];
        exporter.ThrowIfCancelled();
        exporter.SendProgress(n + 1, total, cls->GetName());
        row = WriteClassLessons(*task, *cls, sheet, row, body);
    }
    return true;
}

bool ExportLessonGrid(CSpreadsheetExporter& exporter, const std::string& fileName)
{
    CExportParam& param = exporter.GetParam();
    param.Reset();
    param.kind = kLessonGridExport;
    param.fileName = CSpreadsheetExporter::WorkbookFileName(fileName);
    param.text1 = kLessonGridTitle;
    return exporter.RunExport();
}
