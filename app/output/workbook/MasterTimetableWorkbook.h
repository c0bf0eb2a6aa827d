#pragma once
// Export kind 1: the whole school's master timetable of one table kind on one sheet, "横排" (a row
// per object), "竖排" (a column per object) or "交叉" (a block per day, each period two rows).
// value of the export's CExportParam is the table kind; data1 points to a CMasterSheetLayout (null:
// the defaults).
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/Workbook.h"
#include "app/shared/FontSpec.h"

#include <string>
#include <vector>

constexpr int kMasterTimetableExport = 1;
// How the sheet titles the morning-reading and evening self-study periods; the reverse import
// reads them back by these titles.
constexpr const char* kMorningReadingTitle = "早";
constexpr const char* kSelfStudyTitle = "自";

// What the sheet takes of the whole-school layout.
struct CMasterSheetLayout {
    int style = 0;  // 0 横排, 1 竖排, 2 交叉
    bool showSS = false;  // morning reading and evening self-study
    bool fullNames = false;
    int cellFormat[3] = {0, 0, 0};  // by table kind
    std::vector<std::string> subjectFilter;
    CFontSpec labelFont{"宋体", 9, false, false};
    CFontSpec lessonFont{"宋体", 10, false, false};
    CFontSpec lessonFont2{"宋体", 9, false, false};
};

// "全校班级总课表（横排）" and the like.
std::string MasterTimetableTitle(int tableKind, int style);

bool WriteMasterTimetableWorkbook(CSpreadsheetExporter& exporter, zem::workbook::Workbook& book);
