// Exporting everything at once and checking the workbook engine through the program's windows, on
// the demo task after a run: the quick tool "一键导出所有课表" writes its seven workbooks, which the
// program's reader and LibreOffice read back, and the settings dialog's "检测" shows success.
#include "support/JourneyTestSupport.h"
#include "support/OfficeCsv.h"

#include "app/output/EngineCheckDlg.h"
#include "app/output/ExportAllDlg.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/shell/SystemSettingsDlg.h"
#include "base/Utility.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/ReportList.h"

#include <QTreeWidget>

#include <filesystem>

namespace {

class ExportAllJourney : public Journey {};

TEST_F(ExportAllJourney, TheQuickToolWritesEveryWorkbookAndTheEngineCheckSucceeds)
{
    const std::string into = (std::filesystem::path(folder.path()) / "导出" / "").string();
    std::filesystem::create_directories(into);
    const auto previousDialog = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest&) { return into; });
    std::vector<std::string> opened;
    const auto previousOpen = zem::gui::SetOpenHook([&](const std::string& target) {
        opened.push_back(target);
        return zem::gui::kOpenDone;
    });
    StartProgram([&](CMainDlg& main) {
        OpenDemoTask(main);
        ASSERT_TRUE(CAppContext::Get()->HasTask());
        RunWholeSchool(main, "journey_export_all_report");
        ASSERT_TRUE(StepsDone());

        Expect<CExportAllDlg>("export all", [&](CExportAllDlg& d) {
            zem::gui::ReportList* list = d.GetList();
            for (int row = 0; row < list->GetItemCount(); ++row)
                list->SetCheck(row, true);
            Click(d, zem::IDOK);
            for (int row = 0; row < list->GetItemCount(); ++row)
                EXPECT_EQ(list->GetItemText(row, CExportAllDlg::COLUMN_STATUS), "完成") << row;
            SaveScreenshot(&d, "journey_export_all");
            d.close();
        });
        ClickQuickTool(main, 108);
        ASSERT_TRUE(StepsDone());
        EXPECT_EQ(opened, std::vector<std::string>{into});

        Expect<CSystemSettingsDlg>("settings", [&](CSystemSettingsDlg& d) {
            Expect<CEngineCheckDlg>("engine check", [&](CEngineCheckDlg& check) {
                EXPECT_TRUE(Until([&] {
                    QTreeWidget* tree = check.GetTree();
                    return !check.IsWorkerRunning() && tree->topLevelItemCount() == 1 &&
                           tree->topLevelItem(0)->childCount() == 5;
                }));
                EXPECT_EQ(check.GetTree()->topLevelItem(0)->child(4)->text(0).toStdString(), "检测结果：成功");
                Click(check, zem::IDCANCEL);
            });
            ASSERT_TRUE(d.IsItemEnabled(CSystemSettingsDlg::IDC_CHECK_ENGINE));
            Click(d, CSystemSettingsDlg::IDC_CHECK_ENGINE);
            Click(d, zem::IDOK);
        });
        ClickSettings(main);
        ASSERT_TRUE(StepsDone());
        main.close();
    });
    zem::gui::SetOpenHook(previousOpen);
    zem::gui::SetFileDialogHook(previousDialog);

    // Each workbook as the program's reader and LibreOffice read it: every text of its first sheet
    // in LibreOffice's conversion of its sheets.
    std::vector<std::string> files;
    for (const ExportAllKind& kind : CExportAllDlg::Kinds())
        files.push_back(into + kind.name + ".xlsx");
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    ASSERT_EQ(ConvertSheetsToCsv(office, files, folder.path()), "");
    for (const ExportAllKind& kind : CExportAllDlg::Kinds()) {
        SCOPED_TRACE(kind.name);
        zem::workbook::SheetData sheet;
        std::string error;
        ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(into + kind.name + ".xlsx", sheet, error, 0)) << error;
        std::string csv;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path() + "/csv"))
            if (entry.path().filename().string().rfind(kind.name + "-", 0) == 0)
                csv += ReadCsv(entry.path().string());
        ASSERT_FALSE(csv.empty());
        int texts = 0;
        for (int row = 1; row <= sheet.LastRow(); ++row)
            for (int column = 1; column <= sheet.LastColumn(); ++column) {
                const std::string& text = sheet.Value(row, column).text;
                if (text.empty())
                    continue;
                ++texts;
                // A cell's lines may come apart in the conversion: each must be there.
                std::vector<std::string> lines;
                SplitTextToArray(text, "\r\n", lines, true);
                for (const std::string& line : lines)
                    EXPECT_NE(csv.find(line), std::string::npos) << line;
            }
        EXPECT_GT(texts, 10);
    }
}

}  // namespace
