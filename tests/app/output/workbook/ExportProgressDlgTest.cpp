// The window exports run under: what it shows, how closing it stops the worker, and a whole export
// under it with the error reported on the window's thread.
#include "app/output/workbook/ExportProgressDlg.h"

#include "app/output/workbook/SpreadsheetExporter.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"
#include "support/QtTestEnvironment.h"
#include "support/ModalScope.h"
#include "support/PixelProbes.h"

#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

int TrailingDots(const QString& text)
{
    int dots = 0;
    for (int i = static_cast<int>(text.size()) - 1; i >= 0 && text[i] == '.'; --i)
        ++dots;
    return dots;
}

// Ends the hook's run when the dialog has ended by itself.
bool WaitForEnd(zem::gui::Dialog& dialog)
{
    return QTest::qWaitFor([&] { return dialog.IsEnded(); }, 10000);
}

TEST(ExportProgressWindow, ShowsTheTableOnOneLineAndStopsTheWorkerWhenClosed)
{
    std::atomic<bool> cancel{false};
    std::atomic<bool> sent{false};
    CExportProgressDlg dialog;
    dialog.SetFilePath("/home/教务处/高一课表.xlsx");
    dialog.SetWorker(
        [&](zem::MessageTarget* window) {
            const std::string text = "1/3 高一(1)班\n（单双周）";
            zem::SendMessage(window, WM_EXPORT_PROGRESS, 0, zem::ToLParam(&text));
            sent = true;
            // Goes on until told to stop, as a long export would.
            while (!cancel)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return false;
        },
        &cancel);
    ModalScope hook([&](zem::gui::Dialog& shown) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return sent.load(); }, 10000));
        EXPECT_EQ(shown.Caption(), "导出中");
        EXPECT_EQ(shown.GetDlgItemText(1024), "1/3 高一(1)班 （单双周）");
        EXPECT_TRUE(shown.GetDlgItemText(1023).starts_with("正在导出 高一课表.xlsx，请稍候 ."));
        SavePicture(shown.grab().toImage(), "export_progress.png");

        // Esc asks the worker to stop; the window stays, answering, until the worker has ended.
        QTest::keyClick(&shown, Qt::Key_Escape);
        EXPECT_TRUE(cancel.load());
        EXPECT_TRUE(shown.GetDlgItemText(1023).starts_with("正在停止导出，请稍候 "));
        ASSERT_TRUE(WaitForEnd(shown));
    });
    EXPECT_EQ(dialog.DoModal(), zem::IDOK);
    EXPECT_FALSE(dialog.IsWorkerRunning());
    EXPECT_FALSE(dialog.GetResult());
}

TEST(ExportProgressWindow, DotsRunOneToSixAndCarryOnInTheNextWindow)
{
    int dots = 0;
    ModalScope hook([&](zem::gui::Dialog& shown) {
        auto& progress = static_cast<CExportProgressDlg&>(shown);
        if (dots == 0) {
            dots = TrailingDots(QString::fromStdString(shown.GetDlgItemText(1023)));
            for (int i = 0; i < 7; ++i) {
                progress.Tick();
                const int next = TrailingDots(QString::fromStdString(shown.GetDlgItemText(1023)));
                EXPECT_EQ(next, dots % 6 + 1);
                dots = next;
            }
        } else {
            EXPECT_EQ(TrailingDots(QString::fromStdString(shown.GetDlgItemText(1023))), dots % 6 + 1);
        }
        WaitForEnd(shown);
    });
    CExportProgressDlg first;
    first.DoModal();
    CExportProgressDlg second;
    second.DoModal();
}

TEST(ExportProgressWindow, AnExportRunsUnderItAndItsErrorIsShownOnTheWindowsThread)
{
    const ExportProgressRunner previous = SetExportProgressRunner({});
    InstallExportProgressWindow();
    ModalScope hook([](zem::gui::Dialog& shown) { WaitForEnd(shown); });
    TempFolder folder;
    const std::thread::id gui = std::this_thread::get_id();
    std::vector<std::thread::id> messageThreads;
    const zem::MessageHook previousHook = zem::SetMessageHook([&](const zem::MessageRequest&) {
        messageThreads.push_back(std::this_thread::get_id());
        return zem::IDOK;
    });
    std::thread::id writerThread;

    CCourseTable table;
    CExportTableItem item("c1", "高一(1)班", TABLE_CLASS, &table);
    const std::vector<CExportTableItem*> tables{&item};
    {
        CSpreadsheetExporter exporter;
        exporter.SetContentWriter(2, [&](CSpreadsheetExporter& e, zem::workbook::Workbook& book) {
            writerThread = std::this_thread::get_id();
            book.GetSheet(1).GetRange("A1").SetValue(item.GetName());
            e.SendProgress(1, 1, item.GetName());
            return true;
        });
        EXPECT_TRUE(exporter.Export(folder / "课表.xls", tables));
        EXPECT_TRUE(std::filesystem::exists(folder / "课表.xlsx"));
        EXPECT_NE(writerThread, gui);
        EXPECT_TRUE(messageThreads.empty());
    }
    {
        CSpreadsheetExporter exporter;
        exporter.SetContentWriter(2, [](CSpreadsheetExporter&, zem::workbook::Workbook& book) {
            book.GetSheet(1).SetName("a/b");  // refused, as a spreadsheet program refuses it
            return true;
        });
        EXPECT_FALSE(exporter.Export(folder / "坏.xlsx", tables));
        EXPECT_EQ(messageThreads, std::vector<std::thread::id>{gui});
        EXPECT_FALSE(std::filesystem::exists(folder / "坏.xlsx"));
    }
    zem::SetMessageHook(previousHook);
    SetExportProgressRunner(previous);
}

}  // namespace
