// The main dialog: start with the last task and page, keys, caption, close, and what it shows.
#include "support/ShellTestSupport.h"
#include "app/shell/MainDlg.h"
#include "app/shell/NewTaskDlg.h"
#include "app/shell/ProgramFeatures.h"
#include "platform/IniFile.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/Timers.h"
#include "support/GbkBytes.h"

#include <QTest>

namespace {

using zem::gui::Dialog;

class MainDlgTest : public ShellTest {
protected:
    MainDlgTest() { m_previousArea = zem::gui::SetWorkAreaHook([] { return zem::Rect(0, 0, 1280, 800); }); }
    ~MainDlgTest() override { zem::gui::SetWorkAreaHook(m_previousArea); }

    // A zem.ini whose last task is the demo task, copied into the user's folder.
    void WithDemoTask(int lastPage)
    {
        MakeContext()->OpenDemoTask();
        CAppContext::Free();
        zem::WriteProfileInt(IniPath(), "Common", "LastPage", lastPage);
        CAppContext::Create(IniPath());
    }

    // Runs the main dialog; `act` works it while it runs.
    void RunMain(const std::function<void(CMainDlg&)>& act)
    {
        ModalScope scope([&](Dialog& d) {
            if (auto* main = dynamic_cast<CMainDlg*>(&d))
                act(*main);
            else
                d.EndDialog(zem::IDCANCEL);  // the new-task dialog offered without a task
        });
        CMainDlg dialog;
        dialog.DoModal();
    }

private:
    zem::gui::WorkAreaHook m_previousArea;
};

TEST_F(MainDlgTest, TheLastPageOutOfRangeOpensPage2)
{
    for (int stored : {7, -1, 3}) {
        SCOPED_TRACE(stored);
        WithDemoTask(stored);
        int page = -2;
        RunMain([&](CMainDlg& main) {
            page = main.GetPagePanel()->GetCurrentPage();
            main.close();
        });
        EXPECT_EQ(page, stored == 3 ? 3 : 1);
    }
}

TEST_F(MainDlgTest, ClosingOnAPageStoresItForTheNextStart)
{
    WithDemoTask(1);
    RunMain([](CMainDlg& main) {
        EXPECT_EQ(main.Caption(), CMainDlg::BuildTitle() + " - 演示排课");
        EXPECT_EQ(main.GetToolBar().GetStatusText(), "演示排课");
        main.GetPagePanel()->GetPageHeader().SelectPage(4);
        // Neither key closes the window.
        QTest::keyClick(&main, Qt::Key_Escape);
        QTest::keyClick(&main, Qt::Key_Return);
        EXPECT_FALSE(main.IsEnded());
        main.close();
        EXPECT_TRUE(main.IsEnded());
    });
    EXPECT_FALSE(CAppContext::Exists());
    EXPECT_EQ(zem::GetProfileString(IniPath(), "Common", "LastPage"), "4");
    CAppContext::Create(IniPath());
    RunMain([](CMainDlg& main) {
        EXPECT_EQ(main.GetPagePanel()->GetCurrentPage(), 4);
        main.close();
    });
}

TEST_F(MainDlgTest, WithoutATaskOnlyTheStartPageShowsAndANewTaskIsOffered)
{
    MakeContext();
    zem::gui::FakeClock clock;
    int offered = 0;
    ModalScope scope([&](Dialog& d) {
        if (dynamic_cast<CNewTaskDlg*>(&d)) {
            ++offered;
            return;
        }
        auto& main = static_cast<CMainDlg&>(d);
        EXPECT_EQ(main.Caption(), CMainDlg::BuildTitle() + " - ");
        EXPECT_EQ(main.GetPagePanel()->GetPageHeader().GetPageCount(), 1);
        main.hide();
        clock.Advance(3000);  // not while the window is hidden
        EXPECT_EQ(offered, 0);
        EXPECT_TRUE(main.IsShowTimerActive());
        main.show();
        clock.Advance(1000);
        EXPECT_EQ(offered, 1);
        EXPECT_FALSE(main.IsShowTimerActive());
        clock.Advance(5000);
        EXPECT_EQ(offered, 1);
        main.setWindowState(Qt::WindowNoState);
        main.resize(1280, 800);
        SaveScreenshot(&main, "main_window_no_task");
        main.close();
    });
    CMainDlg dialog;
    dialog.DoModal();
}

TEST_F(MainDlgTest, ThePagesWithTheDemoTaskOpen)
{
    WithDemoTask(0);
    RegisterProgramFeatures();
    RunMain([](CMainDlg& main) {
        CPagePanel* panel = main.GetPagePanel();
        ASSERT_EQ(panel->GetPageHeader().GetPageCount(), 5);
        EXPECT_TRUE(main.windowState() & Qt::WindowMaximized);
        // The test screen is smaller than an office's: the pictures show a common screen size.
        main.setWindowState(Qt::WindowNoState);
        main.resize(1280, 800);
        for (int page = 0; page < 5; ++page) {
            panel->GetPageHeader().SelectPage(page);
            SaveScreenshot(&main, "main_window_page" + std::to_string(page + 1));
        }
        main.close();
    });
}

}  // namespace
