// The export settings through the program's windows on the demo task: from the settings dialog's
// "周课表格式设置" and from the quick tool "导出设置", and the layout they set outliving the program.
#include "support/JourneyTestSupport.h"

#include "app/controls/MainToolBar.h"
#include "app/output/PreviewPageWnd.h"
#include "app/output/PrintPreviewDlg.h"
#include "app/output/PrintSettingsDlg.h"
#include "app/shell/SystemSettingsDlg.h"
#include "platform/IniFile.h"

#include <QComboBox>

namespace {

using P = CPrintPreviewDlg;
using S = CPrintSettingsDlg;

class ExportSettingsJourney : public Journey {
protected:
    static void Choose(zem::gui::Dialog& dialog, int id, int index)
    {
        auto* combo = dialog.Item<QComboBox>(id);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
};

TEST_F(ExportSettingsJourney, BothWaysOpenTheSettingsPreviewAndItsLayoutIsThereAfterARestart)
{
    StartProgram([&](CMainDlg& main) {
        OpenDemoTask(main);
        ASSERT_TRUE(CAppContext::Get()->HasTask());
        const int classes = CAppContext::Get()->GetTask()->GetClassInfoList().GetCount();
        ASSERT_GT(classes, 4);
        Expect<CSystemSettingsDlg>("settings", [&](CSystemSettingsDlg& d) {
            ASSERT_TRUE(d.IsItemEnabled(CSystemSettingsDlg::IDC_WEEK_FORMAT));
            Expect<P>("export settings", [&](P& preview) {
                EXPECT_EQ(preview.Caption(),
                          zem::Format("Tavelin - 周课表导出预览 ( 第 1 页 共 %d 页 )", classes));
                EXPECT_FALSE(preview.HasButton(P::ID_PRINT));
                EXPECT_FALSE(preview.HasButton(P::ID_EXPORT));
                S& settings = *preview.GetPageWnd()->GetSettingsDlg();
                Choose(settings, S::IDC_TABLES_PER_PAGE, 3);
                Choose(settings, S::IDC_CLASS_FORMAT, 3);
                EXPECT_EQ(preview.Caption(), zem::Format("Tavelin - 周课表导出预览 ( 第 1 页 共 %d 页 )",
                                                         (classes + 3) / 4));
                QApplication::processEvents();
                SaveScreenshot(&preview, "journey_export_settings_preview");
                Click(preview, P::ID_CLOSE);
            });
            Click(d, CSystemSettingsDlg::IDC_WEEK_FORMAT);
            Click(d, zem::IDOK);
        });
        ClickSettings(main);
        ASSERT_TRUE(StepsDone());
        // Written when the preview closed.
        EXPECT_EQ(zem::GetProfileString(IniPath(), "WeekTable", "TableLayout"), "3");
        EXPECT_EQ(zem::GetProfileString(IniPath(), "WeekTable", "CIF0"), "3");

        Expect<P>("export settings from the quick tool", [&](P& preview) {
            S& settings = *preview.GetPageWnd()->GetSettingsDlg();
            EXPECT_EQ(settings.Item<QComboBox>(S::IDC_TABLES_PER_PAGE)->currentIndex(), 3);
            Choose(settings, S::IDC_ORIENTATION, 1);
            Click(preview, P::ID_CLOSE);
        });
        ClickQuickTool(main, 1374);
        ASSERT_TRUE(StepsDone());
        main.close();
    });
    // A new start reads the same layout back.
    CAppContext* context = MakeContext();
    const CWeekTablePageLayout& layout = context->GetWeekTableLayout();
    EXPECT_EQ(layout.TableLayout, 3);
    EXPECT_EQ(layout.GetCourseInfoFormat(0), 3);
    EXPECT_EQ(layout.orientation, 1);
    EXPECT_EQ(layout.TitleFormat, "%NAME%");
    EXPECT_EQ(layout.blankLines[1].segment, 2);
    EXPECT_EQ(layout.blankLines[2].segment, -1);
}

}  // namespace
