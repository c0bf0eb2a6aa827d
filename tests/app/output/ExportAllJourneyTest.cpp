// Exporting every kind of workbook through the program's windows, on the demo task after a run: the
// quick tool "一键导出所有课表" writes its seven workbooks, each list page's "导出(&T)" and the
// teacher statistics' two buttons theirs, and the settings dialog's "检测" shows success. The
// program's reader and LibreOffice read every workbook back alike.
#include "support/JourneyTestSupport.h"
#include "support/OfficeCsv.h"

#include "app/output/EngineCheckDlg.h"
#include "app/output/ExportAllDlg.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/data/AssistantListPage.h"
#include "app/data/CombineClassListPage.h"
#include "app/data/PlanListPage.h"
#include "app/data/SelfStudyListPage.h"
#include "app/timetable/LessonCalendarSpanDlg.h"
#include "app/timetable/TeacherStatisticDlg.h"
#include "app/shell/SystemSettingsDlg.h"
#include "base/Utility.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/ReportList.h"

#include <QTreeWidget>

#include <filesystem>

namespace {

class ExportAllJourney : public Journey {
protected:
    // Opens the list page of the tool-box entry and clicks its "导出(&T)".
    template <class Page>
    void ExportFromPage(CMainDlg& main, int page, int tool, const std::string& picture)
    {
        ClickPage(main, page);
        Expect<Page>(picture, [&](Page& list) {
            SaveScreenshot(&list, picture);
            Click(list, Page::IDC_EXPORT);
            list.close();
        });
        ClickTool(main, tool);
        ASSERT_TRUE(StepsDone());
    }
};

TEST_F(ExportAllJourney, EveryKindExportedReadsBackAlikeAndTheEngineCheckSucceeds)
{
    const std::string into = (std::filesystem::path(folder.path()) / "导出" / "").string();
    std::filesystem::create_directories(into);
    // The folder for the export-all dialog; a workbook's proposed name in it for the others.
    std::vector<std::string> written;
    const auto previousDialog = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest& request) {
        if (request.kind == zem::gui::FileDialogRequest::Kind::Folder)
            return into;
        written.push_back(into + request.fileName);
        return written.back();
    });
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

        ExportFromPage<CPlanListPage>(main, 1, 15, "journey_export_plans");
        ExportFromPage<CSelfStudyListPage>(main, 1, 14, "journey_export_self_study");
        ExportFromPage<CCombineClassListPage>(main, 2, 18, "journey_export_combined");
        ExportFromPage<CAssistantListPage>(main, 2, 21, "journey_export_assistants");
        Expect<CTeacherStatisticDlg>("teacher statistics", [&](CTeacherStatisticDlg& d) {
            UntilDone([&] { return !d.IsCounting(); });
            SaveScreenshot(&d, "journey_export_teacher_statistics");
            Click(d, CTeacherStatisticDlg::IDC_EXPORT);
            Expect<CLessonCalendarSpanDlg>("lesson calendar span", [](CLessonCalendarSpanDlg& span) {
                SaveScreenshot(&span, "journey_export_lesson_calendar_span");
                Click(span, zem::IDOK);
            });
            Click(d, CTeacherStatisticDlg::IDC_WORKBOOK);
            d.close();
        });
        ClickQuickTool(main, 105);
        ASSERT_TRUE(StepsDone());
        // Each export under its progress window, its workbook offered to open.
        ASSERT_EQ(written.size(), 6u);
        EXPECT_EQ(exportWindows, static_cast<int>(CExportAllDlg::Kinds().size() + written.size()));
        EXPECT_EQ(std::vector<std::string>(opened.begin() + 1, opened.end()), written);

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
    files.insert(files.end(), written.begin(), written.end());
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    ASSERT_EQ(ConvertSheetsToCsv(office, files, folder.path()), "");
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::string stem = std::filesystem::path(file).stem().string();
        zem::workbook::SheetData sheet;
        std::string error;
        ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(file, sheet, error, 0)) << error;
        std::string csv;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path() + "/csv"))
            if (entry.path().filename().string().rfind(stem + "-", 0) == 0)
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
