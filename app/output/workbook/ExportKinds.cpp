// Which writer fills the workbook of each export kind.
#include "app/output/workbook/CombinedClassWorkbooks.h"
#include "app/output/workbook/InvigilationWorkbook.h"
#include "app/output/workbook/LessonCalendarWorkbook.h"
#include "app/output/workbook/LessonGridWorkbook.h"
#include "app/output/workbook/MasterTimetableWorkbook.h"
#include "app/output/workbook/PlanWorkbook.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/TeacherWorkloadWorkbook.h"
#include "app/output/workbook/TimetableWorkbook.h"

CSpreadsheetExporter::ContentWriter ProgramContentWriter(int kind)
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
