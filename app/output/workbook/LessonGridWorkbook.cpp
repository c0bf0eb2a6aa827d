#include "app/output/workbook/LessonGridWorkbook.h"

#include "app/output/workbook/ExportCells.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "base/BasicData.h"
#include "base/ScheduleTask.h"
#include "base/Segment.h"
#include "platform/Text.h"

#include <array>

using zem::workbook::Workbook;
using zem::workbook::Worksheet;

namespace {

// Morning reading first and evening self-study last, as a day runs.
constexpr std::array<const char*, 6> kHeadings = {"班级", "星期", "节次", "课程", "教师", "教室"};

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
    row.teachers = task.GetAllTeacherName(course, true, false);
    row.room = task.GetRoomName(node.GetRoomId(half));
    return row;
}

}  // namespace

bool WriteLessonGridWorkbook(CSpreadsheetExporter& exporter, Workbook& book)
{
    const CExportParam& param = exporter.GetParam();
    CScheduleTask* task = exporter.GetTask();
    if (!task)
        return false;
    const CSchoolStructure& week = task->GetSchoolStructure();
    const std::vector<CClassInfo*> classes = ObjectsInOrder<CClassInfo>(task->GetClassInfoList());

    Worksheet& sheet = book.GetSheet(1);
    sheet.SetName(zem::workbook::MakeUniqueSheetName(zem::workbook::SanitizeSheetName(param.text1), {}));
    const std::string& fontName = exporter.GetContext().fontName;
    PrepareListSheet(sheet, fontName, 3);
    sheet.SetStandardWidth(CSpreadsheetExporter::GetGridColumnWidth(6));
    const double widths[] = {3, 20, 7, 7, 18, 12, 12};
    for (int column = 1; column <= 7; ++column)
        SetColumnWidth(sheet, ColumnLetters(column), widths[column - 1]);

    CExportCellStyle title;
    title.fontName = fontName;
    title.fontSize = 14;
    sheet.GetRange("B2", "G2").Merge(true);
    SetRowHeight(sheet, 2, 32);
    WriteRange(sheet, "B2", "G2", param.text1, &title, false);
    CExportCellStyle header;
    header.fontName = fontName;
    header.fontSize = 11;
    header.bold = true;
    header.colorIndex = 15;
    header.border = true;
    for (int column = 2; column <= 7; ++column) {
        const std::string cell = CellAddress(column, 3);
        WriteRange(sheet, cell, cell, std::string(kHeadings[static_cast<std::size_t>(column - 2)]), &header, false);
    }
    CExportCellStyle body = header;
    body.bold = false;
    body.colorIndex = -1;

    int row = 4;
    auto writeRow = [&](const std::string& className, int day, const std::string& label, const SlotRow& slot) {
        SetRowHeight(sheet, row, 18);
        // Names stay text; the period's number becomes a number.
        WriteTextCell(sheet, 2, row, className, &body);
        WriteTextCell(sheet, 3, row, GetWeekdayName(day, true), &body);
        WriteRange(sheet, CellAddress(4, row), CellAddress(4, row), label, &body, false);
        WriteTextCell(sheet, 5, row, slot.subject, &body);
        WriteTextCell(sheet, 6, row, slot.teachers, &body);
        WriteTextCell(sheet, 7, row, slot.room, &body);
        ++row;
    };

    const int total = static_cast<int>(classes.size());
    for (int n = 0; n < total; ++n) {
        CClassInfo* cls = classes[static_cast<std::size_t>(n)];
        exporter.ThrowIfCancelled();
        exporter.SendProgress(n + 1, total, cls->GetName());
        const CCourseTable& table = cls->GetTempTable();
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
                        writeRow(cls->GetName(), day, label,
                                 {task->GetActivityInfo(cls->GetId(), TABLE_CLASS, slot), "", ""});
                    } else if (node.IsInterleave()) {
                        SlotRow odd = LessonOf(*task, node, 1);
                        odd.subject = "(单)" + odd.subject;
                        writeRow(cls->GetName(), day, label, odd);
                        SlotRow even = LessonOf(*task, node, 2);
                        even.subject = "(双)" + even.subject;
                        writeRow(cls->GetName(), day, label, even);
                    } else {
                        writeRow(cls->GetName(), day, label, LessonOf(*task, node, 0));
                    }
                }
            }
        }
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
