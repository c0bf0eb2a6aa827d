#pragma once
// A master timetable workbook written as the export writes it, with the layout given as it is
// (the program's own entry takes the whole-school page layout instead).
#include "app/output/workbook/MasterTimetableWorkbook.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "base/ScheduleTask.h"

#include <gtest/gtest.h>

#include <string>

// Writes the master workbook of the kind in the layout to `path`; false, with the failure, when it cannot.
inline bool WriteMasterWorkbook(CScheduleTask& task, int kind, const CMasterSheetLayout& layout,
                                const std::string& path)
{
    CSpreadsheetExporter exporter(&task);
    exporter.SetDirect(true);
    CExportParam& param = exporter.GetParam();
    param.kind = kMasterTimetableExport;
    param.value = kind;
    param.data1 = &layout;
    param.fileName = path;
    if (exporter.RunExport())
        return true;
    ADD_FAILURE() << param.errorText;
    return false;
}
