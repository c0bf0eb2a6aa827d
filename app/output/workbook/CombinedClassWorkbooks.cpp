#include "app/output/workbook/CombinedClassWorkbooks.h"

#include "app/output/workbook/ExportCells.h"
#include "app/shared/Strings.h"
#include "app/shared/TextBuilders.h"
#include "app/shared/Vocabulary.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"

#include <string>
#include <vector>

using zem::workbook::Worksheet;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// The headings and the rows in one sheet; the last column is the wide, left-aligned list.
void WriteListSheet(const CExportContext& context, Worksheet& sheet, const std::vector<std::string>& headings,
                    const Rows& rows)
{
    PrepareListSheet(sheet, context.fontName, static_cast<int>(rows.size()) + 1);
    CExportCellStyle header;
    header.fontName = context.tableFontName;
    header.fontSize = 11;
    header.bold = true;
    header.colorIndex = 15;
    header.border = true;
    CExportCellStyle body = header;
    body.bold = false;
    body.colorIndex = -1;
    const int columns = static_cast<int>(headings.size());
    for (int column = 1; column <= columns; ++column) {
        const std::string cell = CellAddress(column, 1);
        WriteRange(sheet, cell, cell, headings[static_cast<std::size_t>(column - 1)], &header, false);
    }
    SetColumnWidth(sheet, ColumnLetters(columns), 40);
    if (rows.empty())
        return;
    // Every cell is a name or a list of names: a class "3.10" stays text.
    sheet.GetRange(CellAddress(1, 2), CellAddress(columns, static_cast<int>(rows.size()) + 1)).SetNumberFormatLocal("@");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int row = static_cast<int>(r) + 2;
        for (int column = 1; column <= columns; ++column) {
            const std::string cell = CellAddress(column, row);
            if (column == columns)
                sheet.GetRange(cell).SetHorizontalAlignment(zem::workbook::kAlignLeft);
            WriteRange(sheet, cell, cell, rows[r][static_cast<std::size_t>(column - 1)], &body, false);
        }
    }
}

}  // namespace

bool WriteCombinedClassWorkbook(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book)
{
    const CScheduleTask* task = exporter.GetTask();
    if (!task)
        return false;
    Rows rows;
    for (const CCombineClass* combined : ObjectsInOrder<CCombineClass>(task->GetCombineCourseList())) {
        const std::vector<std::string>& courses = combined->GetCombineCourse();
        const CCourseInfo* first = courses.empty() ? nullptr : task->FindCourse(courses.front());
        if (!first)
            continue;
        rows.push_back({task->GetSubjectName(first->GetSubjectId()), task->GetTeacherName(first->GetTeacherId()),
                        GetCourseKindName(first->GetType()), DescribeClassesOfCourse(task, combined)});
    }
    WriteListSheet(exporter.GetContext(), book.GetSheet(1), {"课程", "教师", "类型", "班级列表"}, rows);
    return true;
}

bool WriteAssistantWorkbook(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book)
{
    const CScheduleTask* task = exporter.GetTask();
    if (!task)
        return false;
    Rows rows;
    for (const CCourseAssistant* record : ObjectsInOrder<CCourseAssistant>(task->GetAssistantList())) {
        const CCourseInfo* plan = record->GetAssistants().empty() ? nullptr : task->FindCourse(record->GetId());
        if (!plan)
            continue;
        rows.push_back({task->GetClassNameA(plan->GetClassId()), task->GetSubjectName(plan->GetSubjectId()),
                        task->GetTeacherName(plan->GetTeacherId()), GetCourseKindName(plan->GetType()),
                        JoinTeacherNames(record->GetAssistants(), task)});
    }
    WriteListSheet(exporter.GetContext(), book.GetSheet(1), {"班级", "课程", "教师", "类型", "助教列表"}, rows);
    return true;
}
