// The print preview as a user works it: its tool bar by mode and page, the page settings that
// change the job at once, the banner list and its editor, and the title box.
#include "support/HelperSchool.h"
#include "support/PixelProbes.h"
#include "support/PrintTestSupport.h"
#include "support/ScreenTestSupport.h"
#include "support/ShellTestSupport.h"

#include "app/output/BannerRowDlg.h"
#include "app/output/BannerSettingsDlg.h"
#include "app/output/PreviewPageWnd.h"
#include "app/output/PrintPreviewDlg.h"
#include "app/output/PrintSettingsDlg.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/ReportList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

using zem::gui::Dialog;
using P = CPrintPreviewDlg;
using S = CPrintSettingsDlg;
using B = CBannerSettingsDlg;

class PreviewTest : public testing::Test {
protected:
    PreviewTest() : sheet(&school.task) { school.Place("p1", HelperSchool::N(0, 0, 0)); }

    // Runs the preview of `tables` copies in the mode; `work` works it. Banner editors that open
    // meanwhile are worked by the steps queued in `editors`, in turn.
    void RunPreview(int tables, int mode, const std::function<void(P&)>& work)
    {
        sheet.AddCopies(tables, "c1", school.ClassTable("c1"));
        ModalScope modal([&](Dialog& shown) {
            if (auto* preview = dynamic_cast<P*>(&shown)) {
                work(*preview);
                preview->EndDialog(zem::IDCANCEL);
            } else if (auto* editor = dynamic_cast<CBannerRowDlg*>(&shown)) {
                ASSERT_FALSE(editors.empty()) << "a banner editor opened unasked";
                auto step = std::move(editors.front());
                editors.pop_front();
                step(*editor);
            } else {
                ADD_FAILURE() << "unexpected dialog " << shown.Caption();
            }
        });
        sheet.ShowPreview(mode, false);
    }

    static void Click(Dialog& dialog, int id) { QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton); }
    static S& Settings(P& preview) { return *preview.GetPageWnd()->GetSettingsDlg(); }
    static B& Banners(P& preview) { return *preview.GetPageWnd()->GetBannerDlg(); }
    // Chooses the entry of a combo box as the user does.
    static void Choose(Dialog& dialog, int id, int index)
    {
        auto* combo = dialog.Item<QComboBox>(id);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    static void Select(zem::gui::ReportList& list, int row)
    {
        list.ClearSelectedRows();
        list.SetSelected(row, true);
    }
    static std::vector<bool> PagingEnabled(P& preview)
    {
        std::vector<bool> enabled;
        for (const int id : {P::ID_FIRST_PAGE, P::ID_PREVIOUS_PAGE, P::ID_NEXT_PAGE, P::ID_LAST_PAGE})
            enabled.push_back(preview.IsItemEnabled(id));
        return enabled;
    }

    PrintServices services;
    HelperSchool school;
    TestPrintSheet sheet;
    std::deque<std::function<void(CBannerRowDlg&)>> editors;
};

struct SettingsCase {
    bool withTask;
    int pages;
    int periods;
};

TEST_F(PreviewTest, TheExportSettingsShowTheSavedClassTimetablesOrAnEmptyWeekOfEightPeriods)
{
    // Saved lessons, and working copies emptied as a window left them unsaved.
    for (const char* id : {"c1", "c2", "c3"}) {
        school.task.GetClass(id)->SaveTempTable();
        *school.ClassTable(id) = CCourseTable();
    }
    const std::vector<SettingsCase> cases = {{true, 3, 7}, {false, 1, 8}};
    for (const SettingsCase& c : cases) {
        SCOPED_TRACE(c.withTask);
        services.task = c.withTask ? &school.task : nullptr;
        ModalScope modal([&](Dialog& shown) {
            auto* preview = dynamic_cast<P*>(&shown);
            ASSERT_NE(preview, nullptr);
            EXPECT_EQ(preview->Caption(),
                      "Tavelin - 周课表导出预览 ( 第 1 页 共 " + std::to_string(c.pages) + " 页 )");
            preview->GetPageWnd()->PageImage();
            const CWeekTablePageLayout& l = services.layout;
            const int rows = (l.gridHeight - l.headerHeight - l.bannerHeight) / l.rowHeight;
            EXPECT_EQ(rows, c.periods);
            preview->EndDialog(zem::IDCANCEL);
        });
        ShowExportSettings();
    }
    EXPECT_TRUE(school.ClassTable("c1")->IsUsed(HelperSchool::N(0, 0, 0)));
}

struct ModeCase {
    int mode;
    std::string title;
    bool print;
    bool exportButton;
    bool printModeShown;
    std::string screenshot;
};

TEST_F(PreviewTest, TheModeDecidesPrintAndExportAndAOnePageJobCannotPage)
{
    const std::vector<ModeCase> cases = {
        {PREVIEW_PRINT, "打印预览", true, false, true, "print-preview-mode-0"},
        {PREVIEW_EXPORT, "周课表导出预览", false, true, false, ""},
        {PREVIEW_SETTINGS, "周课表导出预览", false, false, false, "print-preview-mode-2"},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.mode);
        RunPreview(1, c.mode, [&](P& preview) {
            EXPECT_EQ(preview.Caption(), "Tavelin - " + c.title + " ( 第 1 页 共 1 页 )");
            EXPECT_EQ(PagingEnabled(preview), std::vector<bool>(4, false));
            EXPECT_EQ(preview.HasButton(P::ID_PRINT), c.print);
            EXPECT_EQ(preview.HasButton(P::ID_EXPORT), c.exportButton);
            if (c.exportButton) {
                EXPECT_TRUE(preview.IsItemEnabled(P::ID_EXPORT));
            }
            S& settings = Settings(preview);
            EXPECT_TRUE(settings.isVisible());
            EXPECT_EQ(settings.GetDlgItem(S::IDC_NORMAL_PRINT)->isVisible(), c.printModeShown);
            EXPECT_EQ(settings.GetDlgItem(S::IDC_SHEET_TYPE)->isVisible(), !c.printModeShown);
            if (!c.screenshot.empty()) {
                preview.resize(1280, 800);
                QApplication::processEvents();
                SaveScreenshot(&preview, c.screenshot);
                SaveScreenshot(&settings, "print-settings-mode-" + std::to_string(c.mode));
            }
        });
        EXPECT_EQ(sheet.afterPreview.back(), false);
    }
    // The layout is written once the preview has closed, once for each preview.
    EXPECT_EQ(services.layoutSaves, 3);
}

TEST_F(PreviewTest, PagingButtonsFollowTheCurrentPage)
{
    RunPreview(3, PREVIEW_PRINT, [&](P& preview) {
        EXPECT_EQ(PagingEnabled(preview), (std::vector<bool>{false, false, true, true}));
        Click(preview, P::ID_NEXT_PAGE);
        EXPECT_EQ(PagingEnabled(preview), std::vector<bool>(4, true));
        EXPECT_EQ(preview.GetPageWnd()->GetInfo().currentPage, 2);
        Click(preview, P::ID_LAST_PAGE);
        EXPECT_EQ(PagingEnabled(preview), (std::vector<bool>{true, true, false, false}));
        EXPECT_EQ(preview.Caption(), "Tavelin - 打印预览 ( 第 3 页 共 3 页 )");
        Click(preview, P::ID_PREVIOUS_PAGE);
        Click(preview, P::ID_PREVIOUS_PAGE);
        EXPECT_EQ(PagingEnabled(preview), (std::vector<bool>{false, false, true, true}));
        EXPECT_EQ(preview.GetCurrentPage(), 1);
    });
}

TEST_F(PreviewTest, FourTablesAPageFromPageThreeOfFiveShowsPageOneOfTwo)
{
    RunPreview(5, PREVIEW_PRINT, [&](P& preview) {
        Click(preview, P::ID_NEXT_PAGE);
        Click(preview, P::ID_NEXT_PAGE);
        ASSERT_EQ(preview.Caption(), "Tavelin - 打印预览 ( 第 3 页 共 5 页 )");
        S& settings = Settings(preview);
        EXPECT_TRUE(settings.GetDlgItem(S::IDC_ROW_HEIGHT)->isVisible());
        Choose(settings, S::IDC_TABLES_PER_PAGE, 3);
        EXPECT_EQ(preview.Caption(), "Tavelin - 打印预览 ( 第 1 页 共 2 页 )");
        EXPECT_EQ(PagingEnabled(preview), (std::vector<bool>{false, false, true, true}));
        EXPECT_FALSE(settings.GetDlgItem(S::IDC_ROW_HEIGHT)->isVisible());
        EXPECT_EQ(services.layout.TableLayout, 3);
        // The page shows four tables now: four grey header bands.
        const QImage& page = preview.GetPageWnd()->PageImage();
        const CWeekTablePageLayout at = services.layout;
        int bands = 0;
        for (int i = 0; i < 4; ++i) {
            const zem::Rect slot = at.GetTableRect(i);
            bands += PixelOf(page, slot.left + 3, slot.top + at.gridOffset + 2) == zem::RGB(192, 192, 192);
        }
        EXPECT_EQ(bands, 4);
        Choose(settings, S::IDC_TABLES_PER_PAGE, 0);
        EXPECT_TRUE(settings.GetDlgItem(S::IDC_ROW_HEIGHT)->isVisible());
        EXPECT_EQ(preview.GetPageCount(), 5);
    });
}

struct DefaultsCase {
    int mode;
    int answer;
    bool normalPrintAfter;
    int sheetTypeAfter;
    std::string titleAfter;
};

TEST_F(PreviewTest, RestoringDefaultsKeepsWhatThisPreviewDoesNotShow)
{
    const std::vector<DefaultsCase> cases = {
        // An export preview keeps the print mode, a print preview the worksheet arrangement.
        {PREVIEW_SETTINGS, zem::IDOK, false, 0, "%NAME%"},
        {PREVIEW_PRINT, zem::IDOK, true, 1, "%NAME%"},
        {PREVIEW_PRINT, zem::IDCANCEL, false, 1, "%SCHOOL% %NAME%"},
    };
    for (const DefaultsCase& c : cases) {
        SCOPED_TRACE(c.mode);
        services.layout = CWeekTablePageLayout();
        services.layout.NormalPrint = false;
        services.layout.SheetType = 1;
        services.layout.TitleFormat = "%SCHOOL% %NAME%";
        services.layout.ShowDate = false;
        ScriptedMessages messages({c.answer});
        RunPreview(1, c.mode, [&](P& preview) {
            S& settings = Settings(preview);
            Click(settings, S::IDC_DEFAULTS);
            EXPECT_EQ(settings.GetDlgItemText(S::IDC_TITLE), c.titleAfter);
            EXPECT_EQ(settings.Item<QCheckBox>(S::IDC_DATE)->isChecked(), c.answer == zem::IDOK);
        });
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"确定要恢复所有设置项为默认值吗"});
        EXPECT_EQ(messages.messages[0].buttons, zem::MessageButtons::OkCancel);
        EXPECT_EQ(services.layout.NormalPrint, c.normalPrintAfter);
        EXPECT_EQ(services.layout.SheetType, c.sheetTypeAfter);
        EXPECT_EQ(services.layout.TitleFormat, c.titleAfter);
    }
}

TEST_F(PreviewTest, TheTitleBoxKeepsABarFromBecomingALineBreakAndOffersTheTemplates)
{
    std::vector<zem::gui::MenuItem> offered;
    const auto previousMenu = zem::gui::SetPopupMenuHook([&](const std::vector<zem::gui::MenuItem>& items) {
        offered = items;
        return S::kFirstTemplateCommand + 6;  // "%SCHOOL%\r\n%NAME%"
    });
    RunPreview(1, PREVIEW_PRINT, [&](P& preview) {
        S& settings = Settings(preview);
        auto* title = settings.Item<QPlainTextEdit>(S::IDC_TITLE);
        title->setFocus();
        title->selectAll();
        TypeText(title, "A|B");
        EXPECT_EQ(settings.GetDlgItemText(S::IDC_TITLE), "A｜B");
        EXPECT_EQ(services.layout.TitleFormat, "A｜B");
        Click(settings, S::IDC_TEMPLATES);
        EXPECT_EQ(settings.GetDlgItemText(S::IDC_TITLE), "%SCHOOL%\n%NAME%");
        EXPECT_EQ(services.layout.TitleFormat, "%SCHOOL%\r\n%NAME%");
    });
    zem::gui::SetPopupMenuHook(previousMenu);
    ASSERT_EQ(offered.size(), 2 + CPrintSettingsDlg::TitleTemplates().size());
    EXPECT_EQ(offered[0].text, "模板列表：");
    EXPECT_FALSE(offered[0].enabled);
    EXPECT_TRUE(offered[1].IsSeparator());
    EXPECT_EQ(offered[2].text, "%NAME%");
    EXPECT_EQ(offered[8].text, "%SCHOOL%(换行)%NAME%");
    EXPECT_EQ(offered[8].id, S::kFirstTemplateCommand + 6);
}

TEST_F(PreviewTest, TheBannerListHoldsTenRowsAndKeepsTheTwoDefaultOnes)
{
    ScriptedMessages messages;
    const auto add = [&](P& preview, const std::string& text) {
        editors.push_back([text](CBannerRowDlg& editor) {
            EXPECT_EQ(editor.GetDlgItemText(zem::IDOK), "新增");
            EXPECT_EQ(editor.GetDlgItemText(CBannerRowDlg::IDC_TYPE), "自定义");
            editor.Item<QComboBox>(CBannerRowDlg::IDC_SECTION)->setCurrentIndex(1);
            editor.Item<QComboBox>(CBannerRowDlg::IDC_POSITION)->setCurrentIndex(1);
            editor.Item<QLineEdit>(CBannerRowDlg::IDC_TEXT)->setText(QString::fromStdString(text));
            if (text == "A")
                SaveScreenshot(&editor, "banner-row-editor");
            Click(editor, zem::IDOK);
        });
        Click(Banners(preview), B::IDC_ADD);
    };
    RunPreview(1, PREVIEW_PRINT, [&](P& preview) {
        Click(preview, P::ID_BANNERS);
        B& banners = Banners(preview);
        EXPECT_TRUE(banners.isVisible());
        zem::gui::ReportList& list = *banners.GetList();
        ASSERT_EQ(list.GetItemCount(), 2);
        EXPECT_EQ(list.GetItemText(0, 1), "默认");
        EXPECT_EQ(list.GetItemText(0, 2), "下午第1节之前");
        EXPECT_EQ(list.GetItemText(1, 2), "晚上第1节之前");
        for (const char* text : {"A", "B"})
            add(preview, text);
        ASSERT_EQ(list.GetItemCount(), 4);
        EXPECT_EQ(list.GetItemText(2, 1), "自定义");
        EXPECT_EQ(list.GetItemText(2, 2), "上午第2节之后");
        EXPECT_EQ(list.GetItemText(3, 3), "B");
        SaveScreenshot(&banners, "banner-settings");

        // The third of four goes; the fourth moves up.
        Select(list, 2);
        Click(banners, B::IDC_DELETE);
        ASSERT_EQ(list.GetItemCount(), 3);
        EXPECT_EQ(list.GetItemText(2, 3), "B");
        EXPECT_EQ(services.layout.blankLines[2].text, "B");
        EXPECT_EQ(services.layout.blankLines[3].segment, -1);

        // The default rows stay; their editor changes only their text.
        for (const int row : {0, 1}) {
            Select(list, row);
            Click(banners, B::IDC_DELETE);
        }
        EXPECT_EQ(list.GetItemCount(), 3);
        editors.push_back([](CBannerRowDlg& editor) {
            EXPECT_EQ(editor.GetDlgItemText(zem::IDOK), "修改");
            EXPECT_FALSE(editor.IsItemEnabled(CBannerRowDlg::IDC_SEGMENT));
            editor.Item<QLineEdit>(CBannerRowDlg::IDC_TEXT)->setText("午休|12:00-13:30");
            Click(editor, zem::IDOK);
        });
        Select(list, 0);
        Click(banners, B::IDC_MODIFY);
        EXPECT_EQ(list.GetItemText(0, 3), "午休|12:00-13:30");
        EXPECT_EQ(services.layout.blankLines[0].text, "午休|12:00-13:30");
        EXPECT_EQ(services.layout.blankLines[0].segment, 1);

        // Up to ten rows in all.
        for (int i = 0; i < 7; ++i)
            add(preview, "C" + std::to_string(i));
        EXPECT_EQ(list.GetItemCount(), 10);
        Click(banners, B::IDC_ADD);
        EXPECT_EQ(list.GetItemCount(), 10);
        // Full, the last row's deletion leaves the end of the list after nine.
        Select(list, 9);
        Click(banners, B::IDC_DELETE);
        EXPECT_EQ(services.layout.blankLines[9].segment, -1);
        list.ClearSelectedRows();
        Click(banners, B::IDC_MODIFY);
    });
    EXPECT_TRUE(editors.empty());
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"默认通栏不能删除", "默认通栏不能删除",
                                                          "最多只能添加10个通栏", "请先选中要修改的通栏"}));
}

}  // namespace
