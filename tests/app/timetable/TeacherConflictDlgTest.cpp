// The teacher conflict dialog over a small scheduled school: 张三's 语文 of 初一(1)班 is to go to 王五,
// who teaches 数学 in 初一(2)班 at one of its times. Moving that lesson away clears the clash; Save
// keeps the tables and writes the files, Cancel and a failed save keep the files as they were; the
// plan page opens the dialog for such a teacher change and follows its answer.
#include "support/BasicDataTestSupport.h"
#include "support/DataDialogTestSupport.h"

#include "app/controls/HoverButton.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/data/PlanListPage.h"
#include "app/timetable/TeacherConflictDlg.h"
#include "app/timetable/TimetableWindowSave.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/gui/Desktop.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using zem::gui::Dialog;

namespace {

const tagTABLE_NODE kClash{0, 1, 0};   // Monday afternoon 1: k1 (张三) and k2 (王五)
const tagTABLE_NODE kSecond{1, 1, 0};  // Tuesday afternoon 1: k1 only
const tagTABLE_NODE kFree{2, 1, 0};    // Wednesday afternoon 1: nothing

// k1: 语文 of 初一(1)班 by 张三 at kClash and kSecond; k2: 数学 of 初一(2)班 by 王五 at kClash; saved.
void ScheduleClash(SmallSchool& school)
{
    CScheduleTask::ResetAutoBackupStateForTesting();
    CScheduleTask& task = school.Task();
    CCourseInfo* k1 = school.b.Course("k1", "c1", "s1", "t1", "2");
    CCourseInfo* k2 = school.b.Course("k2", "c2", "s2", "t3", "1");
    for (const bool temp : {false, true}) {
        task.SetCourseNode(k1, "", temp, kClash, 0);
        task.SetCourseNode(k1, "", temp, kSecond, 0);
        task.SetCourseNode(k2, "", temp, kClash, 0);
    }
    SaveSchoolInFolder(task, school.folder.path());
}

// Moves the centre's lesson from one slot to another with two clicks, as the user does.
void Move(CTeacherConflictDlg& dlg, const tagTABLE_NODE& from, const tagTABLE_NODE& to)
{
    CManualScheduleTable& grid = dlg.GetCentre().GetGrid();
    grid.SetAnimateMoves(false);
    PressAt(&grid, CellCentreOf(grid, from), Qt::LeftButton, true);
    PressAt(&grid, CellCentreOf(grid, to), Qt::LeftButton, true);
}

class TeacherConflict : public testing::Test {
protected:
    void SetUp() override
    {
        ScheduleClash(school);
        outputBefore = ReadRaw(OutputPath());
    }

    CScheduleTask& Task() { return school.Task(); }
    std::string OutputPath() { return Task().GetTaskInfo().GetOutputFilePath(); }
    // The plan at the slot of a class's working (temp) or saved timetable.
    std::string PlanAt(const std::string& classId, const tagTABLE_NODE& slot, bool temp = true)
    {
        return Task().GetClass(classId)->GetTable(temp).GetNode(slot).GetCourseId(0);
    }

    static void Click(CTeacherConflictDlg& dlg, int id) { dlg.Item<QPushButton>(id)->click(); }

    // Opens the dialog for k1 going to 王五 and works it.
    int Run(const std::function<void(CTeacherConflictDlg&)>& work)
    {
        CTeacherConflictDlg dlg;
        dlg.SetWindowTitle("教师时间冲突 - 测试");
        dlg.AddConflict(Task().FindCourse("k1"), Task().GetTeacher("t3"), 1);
        const int answer = RunModal<CTeacherConflictDlg>(dlg, work);
        resultIds = dlg.GetResultIds();
        return answer;
    }

    SmallSchool school;
    std::string outputBefore;
    std::vector<std::string> resultIds;
};

TEST_F(TeacherConflict, ASwapThatClearsTheClashEnablesSaveWhichWritesTheTables)
{
    ScriptedMessages messages;
    const int answer = Run([&](CTeacherConflictDlg& dlg) {
        EXPECT_EQ(dlg.Caption(), "教师时间冲突 - 测试");
        EXPECT_EQ(dlg.GetConflictCount(), 1);
        EXPECT_EQ(dlg.GetStatus(), "有 1 个冲突");
        EXPECT_FALSE(dlg.IsItemEnabled(CTeacherConflictDlg::IDC_SAVE));
        // The classes of 王五's clashing lesson first, then the plans' own.
        EXPECT_EQ(dlg.GetClassIds(), (std::vector<std::string>{"c2", "c1"}));
        EXPECT_EQ(dlg.GetCentreTitle(), "初一(2)班 的课表");
        EXPECT_EQ(dlg.GetRightTitle(), "王五 的课表");
        EXPECT_NE(dlg.GetLeftTitle().find("语文"), std::string::npos);
        EXPECT_TRUE(IsCellForbidden(dlg.GetLeftGrid(), kClash));
        EXPECT_TRUE(IsCellForbidden(dlg.GetRightGrid(), kClash));
        EXPECT_FALSE(IsCellForbidden(dlg.GetLeftGrid(), kSecond));
        SaveScreenshot(&dlg, "teacher_conflict");

        Move(dlg, kClash, kFree);
        EXPECT_EQ(dlg.GetConflictCount(), 0);
        EXPECT_EQ(dlg.GetStatus(), "冲突已解决。可以保存");
        EXPECT_FALSE(IsCellForbidden(dlg.GetRightGrid(), kClash));
        EXPECT_EQ(CellMain(dlg.GetRightGrid(), kClash), "");
        EXPECT_NE(CellMain(dlg.GetRightGrid(), kFree), "");
        EXPECT_TRUE(dlg.IsItemEnabled(CTeacherConflictDlg::IDC_SAVE));
        SaveScreenshot(&dlg, "teacher_conflict_solved");
        Click(dlg, CTeacherConflictDlg::IDC_SAVE);
    });
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_TRUE(messages.Texts().empty());
    for (const char* id : {"c2", "t3"})
        EXPECT_NE(std::find(resultIds.begin(), resultIds.end(), id), resultIds.end()) << id;

    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(Task().GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
    const CCourseTable& c2 = reopened.GetClass("c2")->GetTable(false);
    EXPECT_EQ(c2.GetNode(kFree).GetCourseId(0), "k2");
    EXPECT_FALSE(c2.IsUsed(kClash));
    EXPECT_EQ(reopened.GetTeacher("t3")->GetTable(false).GetNode(kFree).GetCourseId(0), "k2");
}

// A move that clears the clash may break a rule the grid does not ask: with strict spreading, 初一(1)班's
// 语文 moved from Monday to Tuesday, where it has its other lesson. The save keeps it and names it.
TEST_F(TeacherConflict, TheSaveNamesTheRuleAMoveBroke)
{
    Task().GetTaskSetting().SetStrictDistribution(true);
    ScriptedMessages messages;
    const int answer = Run([&](CTeacherConflictDlg& dlg) {
        dlg.SendCommand(CTeacherConflictDlg::ID_GOTO_FIRST + 1);
        ASSERT_EQ(dlg.GetCentreTitle(), "初一(1)班 的课表");
        Move(dlg, kClash, tagTABLE_NODE{1, 0, 0});
        ASSERT_EQ(dlg.GetConflictCount(), 0);
        Click(dlg, CTeacherConflictDlg::IDC_SAVE);
    });
    EXPECT_EQ(answer, zem::IDOK);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].rfind(kTimetablesSavedWithFindings, 0), 0u) << messages.Texts()[0];
    EXPECT_NE(messages.Texts()[0].find("初一(1)班 语文(张三)周二排了 2 节，每天最多 1 节"), std::string::npos)
        << messages.Texts()[0];
}

// The right-click "清除" of the centre takes the clashing lesson out for the dialog's time.
TEST_F(TeacherConflict, ClearingTheClashingLessonAlsoSolvesIt)
{
    ScriptedMessages messages({zem::IDYES});
    MenuScript menus;
    Run([&](CTeacherConflictDlg& dlg) {
        menus.choices = {"清除"};
        CManualScheduleTable& grid = dlg.GetCentre().GetGrid();
        PressAt(&grid, CellCentreOf(grid, kClash), Qt::RightButton, true);
        EXPECT_EQ(dlg.GetConflictCount(), 0);
        EXPECT_TRUE(dlg.IsItemEnabled(CTeacherConflictDlg::IDC_SAVE));
        EXPECT_FALSE(Task().GetTeacher("t3")->GetTable(true).IsUsed(kClash));
        Click(dlg, zem::IDCANCEL);
    });
    EXPECT_EQ(PlanAt("c2", kClash), "k2");
}

// A teacher free at every lesson of the plan: nothing to resolve, Save at once.
TEST_F(TeacherConflict, WithoutAClashSaveIsReadyAtOnce)
{
    CTeacherConflictDlg dlg;
    dlg.AddConflict(Task().FindCourse("k1"), Task().GetTeacher("t2"), 1);
    RunModal<CTeacherConflictDlg>(dlg, [](CTeacherConflictDlg& shown) {
        EXPECT_EQ(shown.GetConflictCount(), 0);
        EXPECT_EQ(shown.GetStatus(), "冲突已解决。可以保存");
        EXPECT_TRUE(shown.IsItemEnabled(CTeacherConflictDlg::IDC_SAVE));
        EXPECT_EQ(shown.GetClassIds(), std::vector<std::string>{"c1"});
        EXPECT_EQ(shown.GetCentreTitle(), "初一(1)班 的课表");
        EXPECT_EQ(shown.Caption(), "教师时间冲突");
        shown.EndDialog(zem::IDCANCEL);
    });
}

TEST_F(TeacherConflict, CancelPutsTheTablesBackAndWritesNothing)
{
    ScriptedMessages messages;
    const int answer = Run([&](CTeacherConflictDlg& dlg) {
        Move(dlg, kClash, kFree);
        ASSERT_EQ(PlanAt("c2", kFree), "k2");
        Click(dlg, zem::IDCANCEL);
    });
    EXPECT_EQ(answer, zem::IDCANCEL);
    EXPECT_TRUE(messages.Texts().empty());
    for (const bool temp : {true, false}) {
        EXPECT_EQ(PlanAt("c2", kClash, temp), "k2");
        EXPECT_FALSE(Task().GetClass("c2")->GetTable(temp).IsUsed(kFree));
        EXPECT_EQ(Task().GetTeacher("t3")->GetTable(temp).GetNode(kClash).GetCourseId(0), "k2");
    }
    EXPECT_EQ(ReadRaw(OutputPath()), outputBefore);
}

// Cancel and Save while the centre slides a swap wait for it: the swap is made when its slide ends,
// and would land on tables put back or saved without it.
TEST_F(TeacherConflict, CancelAndSaveWaitForASlidingSwap)
{
    std::int64_t now = 0;
    const zem::gui::AnimationClockHook clock = zem::gui::SetAnimationClockHook([&] { return now += 60; });
    for (const int button : {int(zem::IDCANCEL), int(CTeacherConflictDlg::IDC_SAVE)}) {
        SCOPED_TRACE(button);
        bool pressedWhileSliding = false;
        const int answer = Run([&](CTeacherConflictDlg& dlg) {
            Move(dlg, kClash, kFree);
            ASSERT_TRUE(dlg.IsItemEnabled(CTeacherConflictDlg::IDC_SAVE));
            CManualScheduleTable& grid = dlg.GetCentre().GetGrid();
            grid.SetAnimateMoves(true);
            PressAt(&grid, CellCentreOf(grid, kFree), Qt::LeftButton, true);
            QTimer::singleShot(0, &dlg, [&] {
                if (!grid.IsMoving())
                    return;
                pressedWhileSliding = true;
                Click(dlg, button);
            });
            PressAt(&grid, CellCentreOf(grid, kSecond), Qt::LeftButton, true);
            QCoreApplication::processEvents();
            EXPECT_TRUE(pressedWhileSliding);
            EXPECT_FALSE(dlg.IsEnded());
            Click(dlg, zem::IDCANCEL);
        });
        EXPECT_EQ(answer, zem::IDCANCEL);
        EXPECT_TRUE(ReadRaw(OutputPath()) == outputBefore) << "nothing was saved";
        EXPECT_EQ(PlanAt("c2", kClash), "k2");
    }
    zem::gui::SetAnimationClockHook(clock);
}

// A save that cannot write says why and stays open with the changes; cancelling then still gets
// back the tables the file holds.
TEST_F(TeacherConflict, AFailedSaveSaysWhyAndLosesNothing)
{
    ScriptedMessages messages;
    const std::string output = OutputPath();
    const zem::FileWriteFaultHook previous =
        zem::SetFileWriteFaultHook([output](const std::string& path) { return path == output ? EACCES : 0; });
    const int answer = Run([&](CTeacherConflictDlg& dlg) {
        Move(dlg, kClash, kFree);
        Click(dlg, CTeacherConflictDlg::IDC_SAVE);
        EXPECT_FALSE(dlg.IsEnded());
        EXPECT_TRUE(dlg.IsItemEnabled(CTeacherConflictDlg::IDC_SAVE));
        EXPECT_EQ(PlanAt("c2", kFree), "k2");
        EXPECT_EQ(CellMain(dlg.GetCentre().GetGrid(), kClash), "");
        Click(dlg, zem::IDCANCEL);
    });
    zem::SetFileWriteFaultHook(previous);
    EXPECT_EQ(answer, zem::IDCANCEL);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find(output), std::string::npos) << messages.Texts()[0];
    EXPECT_NE(messages.Texts()[0].find(zem::FileErrorReason(EACCES)), std::string::npos) << messages.Texts()[0];
    EXPECT_EQ(ReadRaw(output), outputBefore);
    for (const bool temp : {true, false}) {
        EXPECT_EQ(PlanAt("c2", kClash, temp), "k2");
        EXPECT_FALSE(Task().GetClass("c2")->GetTable(temp).IsUsed(kFree));
    }
}

TEST_F(TeacherConflict, TheGotoMenuListsTheClassesAndAnotherJoinsOnce)
{
    school.b.Class("c3", "初一(3)班", "初一3");
    MenuScript menus;
    Run([&](CTeacherConflictDlg& dlg) {
        menus.choices = {"初一(1)班"};
        Click(dlg, CTeacherConflictDlg::IDC_GOTO);
        ASSERT_EQ(menus.shown.size(), 1u);
        std::vector<std::string> texts;
        for (const zem::gui::MenuItem& item : menus.shown[0])
            texts.push_back(item.text);
        EXPECT_EQ(texts, (std::vector<std::string>{"初一(2)班", "初一(1)班", "", "其他..."}));
        EXPECT_EQ(dlg.GetCentreTitle(), "初一(1)班 的课表");
        // The plan's own lessons are marked in its class.
        EXPECT_TRUE(dlg.GetCentre().GetGrid().GetCell(kClash)->HasFocus());
        EXPECT_TRUE(dlg.GetCentre().GetGrid().GetCell(kSecond)->HasFocus());
        EXPECT_FALSE(dlg.GetCentre().GetGrid().GetCell(kFree)->HasFocus());

        // The class picker, chosen twice: 初一(3)班 joins the list once.
        ModalScope pickers([](Dialog& picker) {
            picker.Item<QLineEdit>(CObjectPickerDlg::IDC_SEARCH)->setText(QString::fromUtf8("初一(3)"));
            picker.SendCommand(zem::IDOK);
        });
        for (int round = 0; round < 2; ++round) {
            menus.choices = {"其他..."};
            Click(dlg, CTeacherConflictDlg::IDC_GOTO);
        }
        EXPECT_EQ(dlg.GetClassIds(), (std::vector<std::string>{"c2", "c1", "c3"}));
        EXPECT_EQ(dlg.GetCentreTitle(), "初一(3)班 的课表");
        Click(dlg, zem::IDCANCEL);
    });
}

}  // namespace

// The plan page: a new teacher who is busy at the plan's times opens the dialog; its Save lets the
// page save the change, its Cancel stops the save without a further message.
TEST(PlanListPageConflict, TheConflictDialogDecidesTheTeacherChange)
{
    for (const bool solve : {true, false}) {
        SCOPED_TRACE(solve ? "solved and saved" : "cancelled");
        SmallSchool school;
        ScheduleClash(school);
        CScheduleTask& task = school.Task();
        const std::string description = task.GetCourseDesc(task.FindCourse("k1"));

        CPlanListPage page;
        ScriptedMessages messages;
        std::vector<std::string> captions;
        bool saved = !solve;
        RunPage<CPlanListPage>(
            page,
            [&](CPlanListPage& p) {
                SelectRow(p, 0);
                ASSERT_EQ(SendRow(p, {"", "语文", "王五", "主课", "2", "1", "0", ""}, 1).answer, 0);
                saved = p.Save();
                EXPECT_EQ(p.IsModified(), !solve);
            },
            [&](Dialog& dialog) {
                captions.push_back(dialog.Caption());
                auto* conflicts = dynamic_cast<CTeacherConflictDlg*>(&dialog);
                ASSERT_NE(conflicts, nullptr);
                EXPECT_EQ(conflicts->GetConflictCount(), 1);
                if (!solve) {
                    conflicts->Item<QPushButton>(zem::IDCANCEL)->click();
                    return;
                }
                Move(*conflicts, kClash, kFree);
                conflicts->Item<QPushButton>(CTeacherConflictDlg::IDC_SAVE)->click();
            });
        EXPECT_EQ(saved, solve);
        EXPECT_TRUE(messages.Texts().empty());
        EXPECT_EQ(captions, std::vector<std::string>{"教师时间冲突 - 将 " + description + " 的任课教师修改为 王五"});

        CScheduleTask reopened;
        ASSERT_TRUE(reopened.Open(task.GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
        EXPECT_EQ(reopened.FindCourse("k1")->GetTeacherId(), solve ? "t3" : "t1");
        const CCourseTable& newTeacher = reopened.GetTeacher("t3")->GetTable(false);
        EXPECT_EQ(newTeacher.GetNode(kClash).GetCourseId(0), solve ? "k1" : "k2");
        EXPECT_EQ(newTeacher.GetNode(kSecond).GetCourseId(0), solve ? "k1" : "");
        EXPECT_EQ(newTeacher.GetNode(kFree).GetCourseId(0), solve ? "k2" : "");
        EXPECT_EQ(reopened.GetTeacher("t1")->GetTable(false).IsUsed(kClash), !solve);
    }
}
