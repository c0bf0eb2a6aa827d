// The main dialog: start with the last task and page, keys, caption, close, and what it shows.
#include "support/ShellTestSupport.h"
#include "app/data/PlanSplit.h"
#include "app/shell/MainDlg.h"
#include "app/shell/NewTaskDlg.h"
#include "app/shell/ProgramFeatures.h"
#include "base/ScheduleTask.h"
#include "platform/IniFile.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/Timers.h"
#include "base/TaskFolder.h"
#include "support/FolderSnapshot.h"
#include "support/GbkBytes.h"
#include "support/GoneProcess.h"
#include "support/MessageRecorder.h"
#include "support/WriteFault.h"

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

// The start cleans what killed new tasks left where it stages them, the folder last chosen with
// 浏览 (here the home folder) included, and nothing else there: a look-alike of another program,
// another task, a link and a run still going keep their folders.
TEST_F(MainDlgTest, TheStartMovesNothingInTheHomeFolderThatTheProgramDidNotMake)
{
    const std::string home = folder.path() + "home/";
    const std::string tasks = Documents() + "我的排课任务/";
    const int gone = RunInGoneProcess();
    const std::string g = std::to_string(gone);
    WriteRaw(home + ".桌面.old-2024-01/notes.txt", "notes");
    WriteRaw(home + ".mozilla.old-2023-12/prefs.js", "prefs");
    WriteRaw(home + ".高一.staging-999-0/高一.zem", "[Task Info]\r\nName=高一\r\n");
    WriteRaw(home + ".高一.staging-999-0/input.xml", "<Input/>");
    WriteRaw(home + ".高二.staging-" + g + "-0/input.xml", "<Input/>");
    WriteRaw(home + ".高二.staging-" + g + "-0/" + TaskFolder::kBackupMarker, "");
    WriteRaw(folder.path() + "elsewhere/" + TaskFolder::kOwnerMarker, OwnerMark(gone, "高三"));
    std::filesystem::create_directory_symlink(folder.path() + "elsewhere", home + ".高三.staging-" + g + "-1");
    const std::string running = ".高四.staging-" + std::to_string(RunningProcess()) + "-2";
    WriteRaw(home + running + "/" + TaskFolder::kOwnerMarker, OwnerMark(RunningProcess(), "高四"));
    // What killed runs of the program left: new tasks that never took their names.
    for (const std::string& parent : {home, tasks})
        WriteRaw(parent + ".新任务.staging-" + g + "-3/" + TaskFolder::kOwnerMarker, OwnerMark(gone, "新任务"));
    MakeContext()->SetLastTaskFolder(home);
    CAppContext::Free();
    CAppContext::Create(IniPath());
    // All but the program's own settings and folder of tasks, and its leftovers.
    auto others = [&] {
        auto tree = Snapshot(home);
        for (auto it = tree.begin(); it != tree.end();) {
            const bool own = it->first.rfind(".config", 0) == 0 || it->first.rfind("文档/", 0) == 0 ||
                             it->first.find(".新任务.staging-") != std::string::npos;
            it = own ? tree.erase(it) : std::next(it);
        }
        return tree;
    };
    const auto before = others();
    RunMain([](CMainDlg& main) { main.close(); });
    EXPECT_EQ(others(), before);
    for (const std::string& parent : {home, tasks})
        EXPECT_FALSE(std::filesystem::exists(parent + ".新任务.staging-" + g + "-3")) << parent;
    EXPECT_TRUE(std::filesystem::exists(folder.path() + "elsewhere/" + TaskFolder::kOwnerMarker));
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

// Timetables a save could not write are lost when the program closes: it asks first, and saves
// again, stays open or lets them go as the user says.
TEST_F(MainDlgTest, ClosingAfterAFailedSaveAsksBeforeTheTimetablesAreLost)
{
    const std::string question = "课表没有保存成功，课表文件 output.xml 中还是以前的课表。关闭排课任务后，现在的课表将会丢失。\n\n"
                                 "要再次保存课表吗？";
    for (const int letGo : {zem::IDYES, zem::IDNO}) {
        SCOPED_TRACE(letGo);
        WithDemoTask(1);
        std::string output;
        RunMain([&](CMainDlg& main) {
            CScheduleTask* task = CAppContext::Get()->GetTask();
            output = task->GetTaskInfo().GetOutputFilePath();
            // A folder in the file's place: every save of the timetables fails.
            ASSERT_TRUE(zem::RemoveFile(output));
            ASSERT_TRUE(zem::MakeFolder(output));
            MessageRecorder failed;
            ASSERT_FALSE(task->SaveOutputData());
            {
                ScriptedMessages cancel({zem::IDCANCEL});
                main.close();
                EXPECT_FALSE(main.IsEnded());
                EXPECT_EQ(cancel.Texts(), std::vector<std::string>{question});
                EXPECT_EQ(cancel.messages[0].buttons, zem::MessageButtons::YesNoCancel);
            }
            {
                ScriptedMessages again({zem::IDYES});
                main.close();
                EXPECT_FALSE(main.IsEnded());  // the save failed again and said so
                ASSERT_EQ(again.messages.size(), 2u);
                EXPECT_EQ(again.messages[1].text.rfind("保存课表失败：保存出错！", 0), 0u) << again.messages[1].text;
            }
            ASSERT_TRUE(zem::RemoveFolder(output));
            ScriptedMessages last({letGo});
            main.close();
            EXPECT_TRUE(main.IsEnded());
            EXPECT_EQ(last.Texts(), std::vector<std::string>{question});
        });
        // Yes saved the timetables; No let them go.
        EXPECT_EQ(zem::FileExists(output), letGo == zem::IDYES);
        if (CAppContext::Exists())
            CAppContext::Free();
    }
}

// A plan split whose save failed stays in memory, its lessons under the new plan. Saving again on
// closing writes the plans with the timetables: the timetables alone would hold lessons of a plan
// input.xml lacks, which the reader drops.
TEST_F(MainDlgTest, SavingAgainOnClosingWritesThePlansWithTheTimetables)
{
    WithDemoTask(1);
    std::string taskFile;
    std::string classId;
    std::string splitId;
    const tagTABLE_NODE slot{0, 0, 0};
    RunMain([&](CMainDlg& main) {
        CScheduleTask* task = CAppContext::Get()->GetTask();
        ASSERT_TRUE(task);
        taskFile = task->GetTaskInfo().GetTaskFile();
        CCourseInfo* plan = nullptr;
        for (CCourseInfo* candidate : ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList()))
            if (!plan && candidate->GetWeekCount().GetWholeCount() >= 2 && !task->GetCC(candidate->GetId()))
                plan = candidate;
        ASSERT_TRUE(plan);
        classId = plan->GetClassId();
        task->SetCourseNode(plan, plan->GetSpecialRoomId(), false, slot, 0);
        ASSERT_TRUE(task->SaveInputAndOutput());
        std::string course;
        // A course the class has no plan of with the teacher: the split makes a new plan.
        const CPlanKeyIndex plans = BuildPlanKeyIndex(*task);
        for (const CSubjectInfo* subject : ObjectsInOrder<CSubjectInfo>(task->GetSubjectInfoList()))
            if (!plans.count(MakePlanKey(classId, plan->GetTeacherId(), subject->GetId())) &&
                CheckSplit(*task, plans, *plan, 1, subject->GetId()).empty())
                course = subject->GetId();
        ASSERT_FALSE(course.empty());
        {
            MessageRecorder failed;
            const WriteFault fault(task->GetTaskInfo().GetInputFilePath());
            CPlanKeyIndex index = BuildPlanKeyIndex(*task);
            std::mt19937 random(1);
            CAdjustmentEntryList entries;
            const CSplitResult result = SplitPlans(*task, index, {{plan}, 1, course, kSplitEarliest}, random, entries);
            ASSERT_EQ(result.movedLessons, 1);
            ASSERT_FALSE(result.saved);
        }
        splitId = task->GetClass(classId)->GetTable(false).GetNode(slot).data(1).GetCourseId();
        ASSERT_NE(splitId, plan->GetId());
        ScriptedMessages again({zem::IDYES});
        main.close();
        EXPECT_TRUE(main.IsEnded());
    });
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(taskFile, TaskAccess::ReadOnly));
    EXPECT_NE(reopened.FindCourse(splitId), nullptr);
    EXPECT_EQ(reopened.GetClass(classId)->GetTable(false).GetNode(slot).data(1).GetCourseId(), splitId);
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
