#include "app/output/workbook/WorkbookRequest.h"

#include "app/output/workbook/WorkbookReader.h"
#include "app/shared/AppServices.h"
#include "app/shared/Paths.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"

#include <filesystem>

bool RequestWorkbookExport(QWidget* parent, CSpreadsheetExporter& exporter, const std::string& name,
                           const std::string& title)
{
    std::string stem = name;
    SanitizeFileName(stem);
    const zem::LocalTime today = zem::Now();
    zem::gui::FileDialogRequest request;
    request.kind = zem::gui::FileDialogRequest::Kind::SaveFile;
    request.title = title;
    request.filter = zem::workbook::kSaveWorkbookFilter;
    request.folder = AppServices().GetExportFolder();
    request.fileName = zem::Format("%s%04d%02d%02d.xlsx", stem.c_str(), today.year, today.month, today.day);
    request.defaultSuffix = zem::workbook::kWorkbookSuffix;
    const std::string chosen = zem::gui::ChooseFile(parent, request);
    if (chosen.empty())
        return false;
    CExportParam& param = exporter.GetParam();
    param.fileName = CSpreadsheetExporter::WorkbookFileName(chosen);
    if (!exporter.RunExport())
        return false;
    AppServices().StoreExportFolder(std::filesystem::path(param.fileName).parent_path().string() + "/");
    if (zem::ShowMessage({"导出成功! 现在要打开EXCEL文档吗？", "提示", zem::MessageIcon::Question,
                          zem::MessageButtons::YesNo, 0}) == zem::IDYES)
        zem::gui::OpenWithDesktop(param.fileName);
    return true;
}
