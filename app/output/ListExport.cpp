#include "app/output/ListExport.h"

#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/WorkbookRequest.h"

bool ExportTaskWorkbook(QWidget* parent, CScheduleTask* task, int kind, bool flag, const std::string& name)
{
    if (!task)
        return false;
    CSpreadsheetExporter exporter(task);
    CExportParam& param = exporter.GetParam();
    param.Reset();
    param.kind = kind;
    param.flag = flag;
    return RequestWorkbookExport(parent, exporter, name, "导出" + name);
}
