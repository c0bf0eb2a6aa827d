#pragma once
// What the journeys through the whole program share: the program started as its executable starts
// it (over zem.ini in the test folder), the main window at a common screen size, clicks on its
// pages, tool box and quick tools, every dialog worked by the step the journey queued for it, and
// every message box met recorded and answered as a user pressing Enter would. Workbook exports run
// under their progress window, as in the program, and the journey waits for it to close itself.
#include "support/OutputLessons.h"
#include "support/TaskFolderTest.h"
#include "app/controls/HyperLink.h"
#include "app/controls/MainToolBar.h"
#include "app/output/workbook/ExportProgressDlg.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/shell/AutoScheduleDlg.h"
#include "app/shell/AutoScheduleReportDlg.h"
#include "app/shell/AutoScheduleStartDlg.h"
#include "support/ScreenTestSupport.h"
#include "app/shell/MainDlg.h"
#include "app/shell/NewTaskDlg.h"
#include "app/shell/ShellBitmaps.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <algorithm>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

class Journey : public ShellTest {
protected:
    Journey()
    {
        m_previousArea = zem::gui::SetWorkAreaHook([] { return zem::Rect(0, 0, 1280, 800); });
        m_previousModal = zem::gui::SetModalHook([this](zem::gui::Dialog& d) { OnDialog(d); });
        m_previousMessages = zem::SetMessageHook([this](const zem::MessageRequest& r) { return OnMessage(r); });
        m_previousSound = zem::gui::SetSoundHook([this](const std::string& path) { sounds.push_back(path); });
        m_previousRunner = SetExportProgressRunner({});
        InstallExportProgressWindow();
        m_clock.start();
        // A fixed draw keeps the runs the same from one test run to the next.
        CoreRunOptions options;
        options.seed = 5;
        options.tries = 4;
        options.pauses = false;
        CAutoScheduleDlg::SetRunOptionsForTesting(options);
        CAutoScheduleDlg::ResetFirstRunTimeForTesting();
        CScheduleTask::ResetAutoBackupStateForTesting();
    }
    ~Journey() override
    {
        CAutoScheduleDlg::SetRunOptionsForTesting(std::nullopt);
        SetExportProgressRunner(m_previousRunner);
        zem::gui::SetSoundHook(m_previousSound);
        zem::SetMessageHook(m_previousMessages);
        zem::gui::SetModalHook(m_previousModal);
        zem::gui::SetWorkAreaHook(m_previousArea);
        std::printf("journey: %lld ms, %s\n", static_cast<long long>(m_clock.elapsed()), ResidentMemory().c_str());
        for (const std::string& text : messages)
            std::printf("journey message: %s\n", zem::ReplaceAll(text, "\n", "\\n").c_str());
        for (const std::string& step : m_steps)
            ADD_FAILURE() << "no dialog came for the step " << step;
    }

    // Starts the program as its executable does, on the settings of the test folder; `act` works
    // the main window, which it must close.
    void StartProgram(const std::function<void(CMainDlg&)>& act)
    {
        if (!CAppContext::Exists())
            MakeContext();
        RegisterShellBitmaps();
        RegisterProgramFeatures();
        Expect<CMainDlg>("main window", [&](CMainDlg& main) {
            // The office's screen: the window maximised on it.
            main.setWindowState(Qt::WindowNoState);
            main.resize(1280, 800);
            act(main);
            EXPECT_TRUE(main.IsEnded()) << "the journey left the main window open";
        });
        {
            CMainDlg dialog;
            dialog.DoModal();
        }
        EXPECT_FALSE(CAppContext::Exists());
    }

    // The first start offers a new task by itself; the user declines it and opens the demo task
    // from the start page.
    void OpenDemoTask(CMainDlg& main)
    {
        Expect<CNewTaskDlg>("new task", [](CNewTaskDlg& d) { Click(d, zem::IDCANCEL); });
        ASSERT_TRUE(Until([&] { return StepsDone(); }, 5000)) << "no new-task dialog by itself";
        ClickTool(main, 3);
        ASSERT_TRUE(CAppContext::Get()->HasTask());
        EXPECT_EQ(main.GetPagePanel()->GetCurrentPage(), 1);
    }

    // Queues the step that works a dialog of type D; the steps are taken in the order the dialogs
    // open, nested ones too.
    template <class D>
    void Expect(const std::string& name, std::function<void(D&)> work)
    {
        m_steps.push_back(name);
        m_work.push_back([name, work](zem::gui::Dialog& d) {
            auto* dialog = dynamic_cast<D*>(&d);
            if (!dialog) {
                ADD_FAILURE() << "expected " << name << ", the dialog " << d.Caption() << " ("
                              << typeid(d).name() << ") opened";
                d.EndDialog(zem::IDCANCEL);
                return;
            }
            work(*dialog);
        });
    }

    // Runs the whole school from page 4; the report is closed.
    void RunWholeSchool(CMainDlg& main, const std::string& picture)
    {
        ClickPage(main, 3);
        Expect<CAutoScheduleStartDlg>("run start", [](CAutoScheduleStartDlg& d) { Click(d, zem::IDOK); });
        ExpectRunAndReport(picture);
        ClickTool(main, 24);
    }
    void ExpectRunAndReport(const std::string& picture)
    {
        Expect<CAutoScheduleDlg>("run", [](CAutoScheduleDlg& d) {
            EXPECT_TRUE(Until([&] { return d.IsEnded(); }, 300000)) << "the run did not end";
        });
        Expect<CAutoScheduleReportDlg>("report", [picture](CAutoScheduleReportDlg& d) {
            SaveScreenshot(&d, picture);
            Click(d, zem::IDCANCEL);
        });
    }

    // The answer the next message box whose text contains `text` gets, instead of Enter's.
    void Answer(const std::string& text, int answer) { m_answers.push_back({text, answer}); }

    // Processes events until the condition holds; false after the time.
    // Every wait here is for something that must come: the limit only ends a failing test, so it is
    // never shorter than a loaded machine may take for a step of a few seconds.
    static bool Until(const std::function<bool()>& condition, int timeoutMs = kLeastWaitMs)
    {
        return QTest::qWaitFor(condition, std::max(timeoutMs, kLeastWaitMs));
    }
    static constexpr int kLeastWaitMs = 120000;
    // Processes events until a worker's end shows, however long a loaded machine takes; a worker
    // that never ends is caught by the test run's own time limit, not by a guess of its speed.
    static void UntilDone(const std::function<bool()>& ended)
    {
        while (!ended())
            QTest::qWait(10);
    }
    // Whether every queued step has found its dialog.
    bool StepsDone() const { return m_steps.empty(); }

    static void ClickAt(QWidget* widget, const zem::Rect& r)
    {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(r.CenterPoint().x, r.CenterPoint().y));
    }
    static void ClickPage(CMainDlg& main, int page)
    {
        CPageHeader& header = main.GetPagePanel()->GetPageHeader();
        ASSERT_LT(page, header.GetPageCount());
        ClickAt(&header, header.GetPages()[static_cast<std::size_t>(page)].rect);
        EXPECT_EQ(header.GetSelectedIndex(), page);
    }
    // Clicks the tool-box entry of the action code on the page shown.
    static void ClickTool(CMainDlg& main, int code)
    {
        CToolBox& box = main.GetPagePanel()->GetToolBox();
        box.Layout(box.width());
        const zem::Rect r = box.GetItemRect(code);
        ASSERT_FALSE(r.IsRectEmpty()) << "no tool-box entry " << code;
        ClickAt(&box, r);
    }
    static void ClickQuickTool(CMainDlg& main, int id)
    {
        CHyperLink* link = main.GetPagePanel()->GetToolDescPanel().GetLink(id);
        ASSERT_NE(link, nullptr);
        ASSERT_TRUE(link->isEnabled());
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(5, link->height() / 2));
    }
    static void ClickSettings(CMainDlg& main)
    {
        CMainToolBar& bar = main.GetToolBar();
        for (const auto& button : bar.GetButtons())
            if (button->action == CMainToolBar::ACTION_SETTINGS)
                return ClickAt(&bar, button->rect);
        ADD_FAILURE() << "no settings button";
    }
    static void Click(zem::gui::Dialog& dialog, int id) { QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton); }

    // The process's resident memory, as the system counts it.
    static std::string ResidentMemory()
    {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("VmRSS:", 0) == 0)
                return line;
        return "VmRSS: unknown";
    }

    // Every message box text met, in order; every sound played.
    std::vector<std::string> messages;
    std::vector<std::string> sounds;
    // How many exports ran under their progress window.
    int exportWindows = 0;
    // Works a dialog no step was queued for, when set; else such a dialog is a failure.
    std::function<void(zem::gui::Dialog&)> unaskedDialog;

private:
    void OnDialog(zem::gui::Dialog& d)
    {
        if (auto* progress = dynamic_cast<CExportProgressDlg*>(&d)) {
            ++exportWindows;
            EXPECT_TRUE(Until([&] { return progress->IsEnded(); }, 120000)) << "the export did not end";
            return;
        }
        if (m_work.empty() && unaskedDialog) {
            unaskedDialog(d);
            return;
        }
        if (m_work.empty()) {
            ADD_FAILURE() << "the dialog " << d.Caption() << " (" << typeid(d).name() << ") opened unasked";
            d.EndDialog(zem::IDCANCEL);
            return;
        }
        auto work = std::move(m_work.front());
        m_work.pop_front();
        m_steps.pop_front();
        work(d);
    }
    int OnMessage(const zem::MessageRequest& request)
    {
        messages.push_back(request.text);
        for (auto it = m_answers.begin(); it != m_answers.end(); ++it) {
            if (request.text.find(it->first) != std::string::npos) {
                const int answer = it->second;
                m_answers.erase(it);
                return answer;
            }
        }
        if (request.defaultAnswer != 0)
            return request.defaultAnswer;
        const bool yesNo =
            request.buttons == zem::MessageButtons::YesNo || request.buttons == zem::MessageButtons::YesNoCancel;
        return yesNo ? zem::IDYES : zem::IDOK;
    }

    std::deque<std::string> m_steps;
    std::deque<std::function<void(zem::gui::Dialog&)>> m_work;
    std::vector<std::pair<std::string, int>> m_answers;
    zem::gui::WorkAreaHook m_previousArea;
    zem::gui::ModalHook m_previousModal;
    zem::MessageHook m_previousMessages;
    zem::gui::SoundHook m_previousSound;
    ExportProgressRunner m_previousRunner;
    QElapsedTimer m_clock;
};
