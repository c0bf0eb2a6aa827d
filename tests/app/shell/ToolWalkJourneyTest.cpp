// The whole tool set walked once on the demo task: every tool-box entry of the five pages, every
// quick tool, the tool bar and the settings, each window opened, pictured and closed by its close
// box. Only what the README names as not done is greyed; nothing is left open behind a window.
#include "support/JourneyTestSupport.h"

#include "support/FolderSnapshot.h"
#include "app/output/EngineCheckDlg.h"
#include "app/shell/FeatureWindows.h"
#include "app/shell/PagePanel.h"
#include "app/shell/SystemSettingsDlg.h"
#include "app/shell/ToolDescPanel.h"
#include "app/timetable/TeacherStatisticDlg.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/PopupMenu.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QStandardItemModel>

#include <set>

namespace {

using zem::gui::Dialog;

// The task's files but what opening the proctoring window writes by itself: the default
// proctoring's folder and its place at the top of the recent proctorings.
std::map<std::string, std::string> TaskFilesButProctoring(const std::string& taskFolder)
{
    std::map<std::string, std::string> files = Snapshot(taskFolder);
    std::erase_if(files, [](const auto& file) { return file.first.rfind("proctor", 0) == 0; });
    if (auto ini = files.find("task.ini"); ini != files.end()) {
        std::string& text = ini->second;
        const std::size_t start = text.find("[Recently Proctor]");
        if (start != std::string::npos) {
            const std::size_t next = text.find("\n[", start);
            text.erase(start, next == std::string::npos ? std::string::npos : next + 1 - start);
        }
    }
    return files;
}

class ToolWalk : public Journey {
protected:
    ToolWalk()
    {
        m_previousMenu = zem::gui::SetPopupMenuHook([this](const std::vector<zem::gui::MenuItem>& items) {
            menus.push_back(items);
            return menuAnswer;
        });
        m_previousOpen = zem::gui::SetOpenHook([this](const std::string& target) {
            webPages.push_back(target);
            return 42;
        });
        m_previousFile = zem::gui::SetFileDialogHook([this](const zem::gui::FileDialogRequest& request) {
            opened.push_back(where + " file dialog " + request.title);
            return std::string();
        });
        // A window no step asked for is the walk's: pictured and closed as its close box does.
        unaskedDialog = [this](Dialog& d) {
            const int seen = m_pictures[where]++;
            const std::string name = "walk_" + where + (seen ? zem::Format("_%d", seen + 1) : "");
            opened.push_back(where + " " + d.Caption() + " (" + typeid(d).name() + ")");
            // A maximised window fills the office's screen, not the smaller offscreen one.
            if (d.isMaximized()) {
                d.setWindowState(Qt::WindowNoState);
                d.setGeometry(0, 0, 1280, 800);
            }
            SaveScreenshot(&d, name);
            d.close();
            if (!d.IsEnded()) {
                ADD_FAILURE() << where << ": the close box left " << d.Caption() << " open";
                d.EndDialog(zem::IDCANCEL);
            }
        };
    }
    ~ToolWalk() override
    {
        unaskedDialog = nullptr;
        zem::gui::SetFileDialogHook(m_previousFile);
        zem::gui::SetOpenHook(m_previousOpen);
        zem::gui::SetPopupMenuHook(m_previousMenu);
        for (const std::string& window : opened)
            std::printf("walk window: %s\n", window.c_str());
    }

    // The windows shown now that were not shown when the walk began.
    std::vector<std::string> LeftOpen() const
    {
        std::vector<std::string> open;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && !m_baseline.count(w))
                open.push_back(w->windowTitle().toStdString() + " (" + typeid(*w).name() + ")");
        return open;
    }
    void TakeBaseline()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                m_baseline.insert(w);
    }
    // After an entry's window closed: nothing of it stays, and the program still has the task.
    void CheckNothingLeft()
    {
        EXPECT_TRUE(StepsDone()) << where;
        EXPECT_EQ(LeftOpen(), std::vector<std::string>()) << where << " left windows open";
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << where;
        EXPECT_TRUE(CAppContext::Get()->HasTask()) << where << " closed the task";
    }

    static std::string TaskFolder() { return CAppContext::Get()->GetTask()->GetTaskInfo().GetTaskFolder(); }

    std::string where;
    std::map<std::string, std::string> taskFiles;
    std::vector<std::string> opened;
    std::vector<std::vector<zem::gui::MenuItem>> menus;
    int menuAnswer = 0;
    std::vector<std::string> webPages;

private:
    std::set<QWidget*> m_baseline;
    std::map<std::string, int> m_pictures;  // pictures taken per walk step
    zem::gui::PopupMenuHook m_previousMenu;
    zem::gui::OpenHook m_previousOpen;
    zem::gui::FileDialogHook m_previousFile;
};

TEST_F(ToolWalk, EveryEntryOfThePagesTheQuickToolsAndTheToolBarOpensItsWindowWhichClosesByItsCloseBox)
{
    StartProgram([&](CMainDlg& main) {
        OpenDemoTask(main);
        ASSERT_TRUE(StepsDone());
        TakeBaseline();
        CPagePanel& panel = *main.GetPagePanel();

        // The timetables' page before the run too, when they are empty.
        bool scheduled = false;
        for (int page : {0, 1, 2, 4, 3, 4}) {
            ClickPage(main, page);
            std::vector<int> codes;
            for (const CToolBoxItem& item : panel.GetToolBox().GetItems()) {
                if (item.code == 0)
                    continue;
                EXPECT_TRUE(item.enabled) << "the entry " << item.caption << " is greyed";
                codes.push_back(item.code);
            }
            EXPECT_FALSE(codes.empty()) << "page " << page;
            for (int code : codes) {
                where = zem::Format("page%d_%d%s", page + 1, code, page == 4 && !scheduled ? "_empty" : "");
                menus.clear();
                if (code == 1) {
                    // The recent tasks' menu: browsing for another task, given up in the file dialog.
                    menuAnswer = CPagePanel::ID_BROWSE_TASK;
                } else if (code == 24) {
                    // The run itself, so that the timetable windows of page 5 show lessons.
                    Expect<CAutoScheduleStartDlg>("run start", [](CAutoScheduleStartDlg& d) { Click(d, zem::IDOK); });
                    ExpectRunAndReport("walk_page4_24_report");
                }
                ClickTool(main, code);
                menuAnswer = 0;
                CheckNothingLeft();
                if (code == 24) {
                    scheduled = true;
                    taskFiles = TaskFilesButProctoring(TaskFolder());
                }
                if (code == 19) {
                    // Each kind of fixed no-class time from the entry's menu.
                    ASSERT_EQ(menus.size(), 1u);
                    const std::vector<zem::gui::MenuItem> items = menus.front();
                    EXPECT_EQ(items.size(), 5u);
                    for (const zem::gui::MenuItem& item : items) {
                        EXPECT_TRUE(item.enabled) << "the menu item " << item.text << " is greyed";
                        where = zem::Format("page3_19_%d", item.id);
                        menuAnswer = item.id;
                        const std::size_t before = opened.size();
                        ClickTool(main, code);
                        menuAnswer = 0;
                        EXPECT_EQ(opened.size(), before + 1) << item.text << " opened no window";
                        CheckNothingLeft();
                    }
                }
            }
        }
        ASSERT_TRUE(scheduled) << "page 4 had no run";

        for (const CToolDescPanel::QuickTool& tool : CToolDescPanel::QuickTools()) {
            where = zem::Format("quick_%d", tool.id);
            const std::size_t windows = opened.size();
            const std::size_t pages = webPages.size();
            if (tool.id == 105) {
                // The statistics count on a worker: the picture shows them once counted.
                Expect<CTeacherStatisticDlg>("teacher statistics", [&](CTeacherStatisticDlg& d) {
                    opened.push_back(where + " " + d.Caption());
                    UntilDone([&] { return !d.IsCounting(); });
                    SaveScreenshot(&d, "walk_" + where);
                    d.close();
                    EXPECT_TRUE(d.IsEnded());
                });
            }
            ClickQuickTool(main, tool.id);
            CheckNothingLeft();
            // Each opens a window, or for moving a task the placeholder page.
            EXPECT_EQ(opened.size() + webPages.size(), windows + pages + 1) << tool.caption;
        }

        // The tool bar: its web links open the placeholder pages, as the logo does.
        for (const auto& button : main.GetToolBar().GetButtons()) {
            if (button->action == CMainToolBar::ACTION_SETTINGS)
                continue;
            where = zem::Format("toolbar_%d", button->action);
            const std::size_t pages = webPages.size();
            ClickAt(&main.GetToolBar(), button->rect);
            EXPECT_EQ(webPages.size(), pages + 1) << where;
            CheckNothingLeft();
        }
        where = "logo";
        ClickAt(&main, main.GetLogoRect());
        EXPECT_EQ(webPages.size(), 4u);
        CheckNothingLeft();
        where = "task_info";
        const std::size_t windows = opened.size();
        ClickAt(&main.GetToolBar(), main.GetToolBar().GetStatusRect());
        EXPECT_EQ(opened.size(), windows + 1) << "no task information";
        CheckNothingLeft();

        // The settings: greyed are only the entries naming another spreadsheet program and the
        // statement on the master timetables' format; each of the others opens its window.
        where = "settings";
        Expect<CSystemSettingsDlg>("settings", [&](CSystemSettingsDlg& d) {
            SaveScreenshot(&d, "walk_settings");
            for (QAbstractButton* button : d.findChildren<QAbstractButton*>())
                EXPECT_EQ(button->isEnabled(), button != d.GetDlgItem(CSystemSettingsDlg::IDC_SCHOOL_FORMAT))
                    << button->text().toStdString();
            auto* driver = d.Item<QComboBox>(CSystemSettingsDlg::IDC_DRIVER);
            ASSERT_NE(driver, nullptr);
            auto* model = qobject_cast<QStandardItemModel*>(driver->model());
            ASSERT_NE(model, nullptr);
            ASSERT_EQ(model->rowCount(), 3);
            EXPECT_TRUE(model->item(0)->isEnabled());
            EXPECT_FALSE(model->item(1)->isEnabled());
            EXPECT_FALSE(model->item(2)->isEnabled());
            for (int id : {CSystemSettingsDlg::IDC_CHANGE_PASSWORD, CSystemSettingsDlg::IDC_WEEK_FORMAT}) {
                where = zem::Format("settings_%d", id);
                const std::size_t before = opened.size();
                Click(d, id);
                EXPECT_EQ(opened.size(), before + 1) << where << " opened no window";
            }
            // The engine check works on a worker: the picture shows its stages once it is done.
            Expect<CEngineCheckDlg>("engine check", [](CEngineCheckDlg& check) {
                UntilDone([&] { return !check.IsWorkerRunning(); });
                SaveScreenshot(&check, "walk_settings_engine_check");
                check.close();
                EXPECT_TRUE(check.IsEnded());
            });
            Click(d, CSystemSettingsDlg::IDC_CHECK_ENGINE);
            EXPECT_TRUE(StepsDone()) << "no engine check";
            where = "settings";
            d.close();
            EXPECT_TRUE(d.IsEnded()) << "the settings' close box left them open";
        });
        ClickSettings(main);
        CheckNothingLeft();

        // Looking saves nothing: the windows closed unchanged leave the task's files as the run left them.
        EXPECT_EQ(TaskFilesButProctoring(TaskFolder()), taskFiles);
        SaveScreenshot(&main, "walk_main_after");
        main.close();
    });
    for (const std::string& page : webPages)
        std::printf("walk web page: %s\n", page.c_str());
}

}  // namespace
