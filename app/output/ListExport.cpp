#include "app/output/ListExport.h"

#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/shared/AppServices.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"

#include <filesystem>

bool ExportTaskWorkbook(QWidget* parent, CScheduleTask* task, int kind, bool flag, const std::string& name)
{
    if (!task)
        return false;
    const zem::LocalTime now = zem::Now();
    zem::gui::FileDialogRequest request;
    request.kind = zem::gui::FileDialogRequest::Kind::SaveFile;
    request.title = "导出" + name;
    request.filter = zem::workbook::kSaveWorkbookFilter;
    request.folder = AppServices().GetExportFolder();
    request.fileName = zem::Format("%s%04d%02d%02d.%s", name.c_str(), now.year, now.month, now.day,
                                   zem::workbook::kWorkbookSuffix);
    request.defaultSuffix = zem::workbook::kWorkbookSuffix;
    const std::string chosen = zem::gui::ChooseFile(parent, request);
    if (chosen.empty())
        return false;
    CSpreadsheetExporter exporter(task);
    CExportParam& param = exporter.GetParam();
    param.Reset();
    param.kind = kind;
    param.flag = flag;
    param.fileName = CSpreadsheetExporter::WorkbookFileName(chosen);
    if (!exporter.RunExport())
        return false;
    std::string folder = std::filesystem::path(param.fileName).parent_path().string();
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    AppServices().StoreExportFolder(folder);
    if (zem::ShowMessage({"导出成功! 现在要打开EXCEL文档吗？", "提示", zem::MessageIcon::Question,
                          zem::MessageButtons::YesNo, 0}) == zem::IDYES)
        zem::gui::OpenWithDesktop(param.fileName);
    return true;
}
