// Which writer fills the workbook of each export kind, and how its sheets print.
#include "app/output/workbook/CombinedClassWorkbooks.h"
#include "app/output/workbook/InvigilationWorkbook.h"
#include "app/output/workbook/LessonCalendarWorkbook.h"
#include "app/output/workbook/LessonGridWorkbook.h"
#include "app/output/workbook/MasterTimetableWorkbook.h"
#include "app/output/workbook/PlanWorkbook.h"
#include "app/output/workbook/SheetPrinting.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/TeacherWorkloadWorkbook.h"
#include "app/output/workbook/TimetableWorkbook.h"

namespace {

CSpreadsheetExporter::ContentWriter KindWriter(int kind)
{
    // Each kind's writer joins here as it is built; until then an export of it fails with a message.
    switch (kind) {
    case kMasterTimetableExport:
        return WriteMasterTimetableWorkbook;
    case kTimetableExport:
        return WriteTimetableWorkbook;
    case kPlanExport:
        return WritePlanWorkbook;
    case kCombinedClassExport:
        return WriteCombinedClassWorkbook;
    case kAssistantExport:
        return WriteAssistantWorkbook;
    case kInvigilationExport:
        return WriteInvigilationWorkbook;
    case kTeacherWorkloadExport:
        return WriteTeacherWorkloadWorkbook;
    case kLessonCalendarExport:
        return WriteLessonCalendarWorkbook;
    case kLessonGridExport:
        return WriteLessonGridWorkbook;
    default:
        return {};
    }
}

}  // namespace

CSpreadsheetExporter::ContentWriter ProgramContentWriter(int kind)
{
    CSpreadsheetExporter::ContentWriter writer = KindWriter(kind);
    if (!writer)
        return writer;
    return [writer](CSpreadsheetExporter& exporter, zem::workbook::Workbook& book) {
        if (!writer(exporter, book))
            return false;
        // A writer that knows its sheets' shape sets them up; a list repeats its heading row.
        for (int i = 1; i <= book.GetSheetCount(); ++i) {
            zem::workbook::Worksheet& sheet = book.GetSheet(i);
            if (sheet.GetPageSetup() == zem::workbook::PageSetup{})
                zem::workbook::SetUpPrinting(sheet, zem::workbook::PrintShape::Heading(1, 1));
        }
        return true;
    };
}
