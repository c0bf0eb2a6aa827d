// Exporting every standard workbook at once, and the check of the workbook engine: which rows are
// ticked and remembered, the files each row writes and the status it shows, and the stages of the
// check's tree.
#include "support/HelperSchool.h"
#include "support/MessageRecorder.h"
#include "support/ModalScope.h"
#include "support/PrintTestSupport.h"
#include "support/ScreenTestSupport.h"
#include "support/TempFolder.h"

#include "app/output/EngineCheckDlg.h"
#include "app/output/ExportAllDlg.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/ReportList.h"

#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using zem::gui::Dialog;

// Writes nothing: every save fails with the reason given.
class FailingEngine : public CWorkbookEngine {
public:
    int GetId() const override { return kBuiltInEngine; }
    bool Start(std::string&) override { return true; }
    void SaveAs(const zem::workbook::Workbook&, const std::string&) override
    {
        throw zem::workbook::WorkbookError("磁盘已满");
    }
};

class ExportAll : public testing::Test {
protected:
    ExportAll()
    {
        services.task = &school.task;
        school.Place("p1", HelperSchool::N(0, 0, 0));
        school.Place("q1", HelperSchool::N(1, 0, 1));
        // The dialog exports the saved timetables.
        CommitTempTables(school.task);
        previousOpen = zem::gui::SetOpenHook([this](const std::string& target) {
            opened.push_back(target);
            return zem::gui::kOpenDone;
        });
        previousDialog = zem::gui::SetFileDialogHook([this](const zem::gui::FileDialogRequest& request) {
            requests.push_back(request);
            return answer;
        });
    }
    ~ExportAll() override
    {
        zem::gui::SetFileDialogHook(previousDialog);
        zem::gui::SetOpenHook(previousOpen);
    }

    // Opens the dialog, lets `work` act on it, then closes it as its close box does.
    void Run(CExportAllDlg& dialog, const std::function<void(CExportAllDlg&)>& work)
    {
        ModalScope modal([&](Dialog& shown) {
            work(dialog);
            shown.close();
        });
        dialog.DoModal();
    }

    static std::vector<bool> Ticks(const CExportAllDlg& dialog)
    {
        std::vector<bool> ticks;
        for (int row = 0; row < dialog.GetList()->GetItemCount(); ++row)
            ticks.push_back(dialog.GetList()->GetCheck(row));
        return ticks;
    }
    static std::vector<std::string> Column(const CExportAllDlg& dialog, int column)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < dialog.GetList()->GetItemCount(); ++row)
            texts.push_back(dialog.GetList()->GetItemText(row, column));
        return texts;
    }
    static void Tick(CExportAllDlg& dialog, std::initializer_list<int> rows)
    {
        for (int row = 0; row < dialog.GetList()->GetItemCount(); ++row)
            dialog.GetList()->SetCheck(row, std::find(rows.begin(), rows.end(), row) != rows.end());
    }
    static void ClickOk(CExportAllDlg& dialog)
    {
        QTest::mouseClick(dialog.GetDlgItem(zem::IDOK), Qt::LeftButton);
    }

    ExportServices services;
    HelperSchool school;
    TempFolder folder;
    std::string answer;
    std::vector<zem::gui::FileDialogRequest> requests;
    std::vector<std::string> opened;
    zem::gui::OpenHook previousOpen;
    zem::gui::FileDialogHook previousDialog;
};

TEST_F(ExportAll, TheStoredRangeTicksItsRowsAndTheTicksAreStoredOnClosing)
{
    struct Case {
        int stored;
        std::vector<bool> ticked;
        std::initializer_list<int> tick;
        int storedAfter;
    };
    const Case cases[] = {
        {0, {true, true, true, true, true, true, true}, {0, 3, 6}, 1 | 16 | 256},
        {6, {false, true, true, false, false, false, false}, {}, 0},
        {256 | 32, {false, false, false, false, true, false, true}, {1}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        CExportAllDlg dialog;
        dialog.SetExportRange(c.stored);
        Run(dialog, [&](CExportAllDlg& d) {
            EXPECT_EQ(Ticks(d), c.ticked);
            Tick(d, c.tick);
        });
        EXPECT_EQ(dialog.GetExportRange(), c.storedAfter);
    }
}

TEST_F(ExportAll, RowsNameTheirWorkbooksAndTheMenuOffersItsCommands)
{
    CExportAllDlg dialog;
    Run(dialog, [&](CExportAllDlg& d) {
        EXPECT_EQ(Column(d, CExportAllDlg::COLUMN_NAME),
                  (std::vector<std::string>{"全校班级总课表", "全校教师总课表", "全校教室总课表", "所有班级课表",
                                            "所有教师课表", "所有教室课表", "全校课表数据列表"}));
        EXPECT_EQ(Column(d, CExportAllDlg::COLUMN_FILE),
                  (std::vector<std::string>{"全校班级总课表.xlsx", "全校教师总课表.xlsx", "全校教室总课表.xlsx",
                                            "所有班级课表.xlsx", "所有教师课表.xlsx", "所有教室课表.xlsx",
                                            "全校课表数据列表.xlsx"}));
        // The settings button drops the menu; its third entry is greyed, the last toggles.
        std::vector<zem::gui::MenuItem> shown;
        const auto previous = zem::gui::SetPopupMenuHook([&](const std::vector<zem::gui::MenuItem>& items) {
            shown = items;
            return CExportAllDlg::ID_OPEN_FOLDER;
        });
        QTest::mouseClick(d.GetDlgItem(CExportAllDlg::IDC_SETTINGS), Qt::LeftButton);
        zem::gui::SetPopupMenuHook(previous);
        ASSERT_EQ(shown.size(), 3u);
        EXPECT_EQ(shown[0].text, "周课表导出格式设置");
        EXPECT_FALSE(shown[1].enabled);
        EXPECT_TRUE(shown[2].checked);
        EXPECT_FALSE(d.GetOpenFolder());
        EXPECT_FALSE(d.SettingsMenu()[2].checked);
    });
    // A subject selection names the master timetables' files after it.
    services.subjects = {"s1", "s2"};
    CExportAllDlg scoped;
    Run(scoped, [&](CExportAllDlg& d) {
        EXPECT_EQ(d.GetList()->GetItemText(0, CExportAllDlg::COLUMN_FILE), "全校班级总课表(语文数学).xlsx");
        EXPECT_EQ(d.GetList()->GetItemText(3, CExportAllDlg::COLUMN_FILE), "所有班级课表.xlsx");
    });
}

TEST_F(ExportAll, EachTickedRowWritesItsWorkbookAndShowsHowItWent)
{
    answer = folder.path();
    services.folder = "/nowhere";
    ScriptedMessages messages;
    CExportAllDlg dialog;
    Run(dialog, [&](CExportAllDlg& d) {
        Tick(d, {0, 1, 2, 3, 4, 5, 6});
        ClickOk(d);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].kind, zem::gui::FileDialogRequest::Kind::Folder);
        EXPECT_EQ(requests[0].folder, "/nowhere");
        EXPECT_EQ(Column(d, CExportAllDlg::COLUMN_STATUS),
                  std::vector<std::string>(7, "完成"));
        SaveScreenshot(&d, "export_all_after_run");
    });
    EXPECT_TRUE(messages.Texts().empty());
    const std::string into = (std::filesystem::path(folder.path()) / "").string();
    EXPECT_EQ(services.folder, into);
    EXPECT_EQ(opened, std::vector<std::string>{into});
    zem::workbook::SheetData read;
    std::string error;
    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(into + "所有班级课表.xlsx", read, error, 0)) << error;
    EXPECT_EQ(read.Value(1, 1).text, "一班");
    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(into + "全校课表数据列表.xlsx", read, error, 0)) << error;
    EXPECT_EQ(read.Value(2, 2).text, "全校课表数据列表");
    for (const char* file : {"全校班级总课表.xlsx", "全校教师总课表.xlsx", "全校教室总课表.xlsx", "所有教师课表.xlsx",
                             "所有教室课表.xlsx"})
        EXPECT_TRUE(std::filesystem::exists(into + file)) << file;

    // Again: asked once whether to replace; No writes nothing and shows nothing.
    const auto before = std::filesystem::last_write_time(into + "所有班级课表.xlsx");
    ScriptedMessages refuse({zem::IDNO});
    CExportAllDlg again;
    Run(again, [&](CExportAllDlg& d) {
        Tick(d, {1, 3});
        ClickOk(d);
        EXPECT_EQ(Column(d, CExportAllDlg::COLUMN_STATUS), std::vector<std::string>(7, ""));
    });
    EXPECT_EQ(refuse.Texts(), std::vector<std::string>{"导出文件夹中已有同名的课表文件，要替换它们吗？"});
    EXPECT_EQ(std::filesystem::last_write_time(into + "所有班级课表.xlsx"), before);
}

TEST_F(ExportAll, AFailedWorkbookSaysWhyInItsRowAndTheRunGoesOn)
{
    answer = folder.path();
    ScriptedMessages messages;
    CExportAllDlg dialog;
    dialog.SetEngines({std::make_shared<FailingEngine>()});
    Run(dialog, [&](CExportAllDlg& d) {
        Tick(d, {0, 3});
        ClickOk(d);
        EXPECT_EQ(Column(d, CExportAllDlg::COLUMN_STATUS),
                  (std::vector<std::string>{"失败：磁盘已满", "", "", "失败：磁盘已满", "", "", ""}));
    });
    EXPECT_TRUE(messages.Texts().empty());
    // Nothing written: the folder is neither opened nor stored.
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(services.folder.empty());

    // No row ticked: nothing asked but a word.
    CExportAllDlg none;
    Run(none, [&](CExportAllDlg& d) {
        Tick(d, {});
        ClickOk(d);
    });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"请至少勾选一种要导出的课表"});
    EXPECT_EQ(requests.size(), 1u);
}

std::vector<std::string> TreeTexts(QTreeWidget* tree)
{
    std::vector<std::string> texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = tree->topLevelItem(i);
        texts.push_back(root->text(0).toStdString());
        for (int j = 0; j < root->childCount(); ++j)
            texts.push_back("  " + root->child(j)->text(0).toStdString());
    }
    return texts;
}

TEST_F(ExportAll, TheEngineCheckShowsEachStageAndLeavesNoFile)
{
    struct Case {
        bool failing;
        std::vector<std::string> tree;
    };
    const Case cases[] = {
        {false, {"检测 内置工作簿引擎", "  加载组件", "  创建工作簿", "  写入数据", "  保存文件", "  检测结果：成功"}},
        {true, {"检测 内置工作簿引擎", "  加载组件", "  创建工作簿", "  写入数据", "  保存文件", "  检测结果：失败"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        ScriptedMessages messages;
        CEngineCheckDlg dialog;
        if (c.failing)
            dialog.SetEngines({std::make_shared<FailingEngine>()});
        ModalScope modal([&](Dialog& shown) {
            ASSERT_TRUE(QTest::qWaitFor([&] {
                QApplication::processEvents();
                return !dialog.IsWorkerRunning() && TreeTexts(dialog.GetTree()).size() == c.tree.size();
            }));
            EXPECT_EQ(TreeTexts(dialog.GetTree()), c.tree);
            EXPECT_TRUE(dialog.GetTree()->topLevelItem(0)->isExpanded());
            if (!c.failing)
                SaveScreenshot(&shown, "engine_check");
            QTest::mouseClick(shown.GetDlgItem(zem::IDCANCEL), Qt::LeftButton);
        });
        dialog.DoModal();
        EXPECT_FALSE(dialog.GetTestFile().empty());
        EXPECT_FALSE(std::filesystem::exists(dialog.GetTestFile()));
        EXPECT_TRUE(messages.Texts().empty());
    }
}

}  // namespace
