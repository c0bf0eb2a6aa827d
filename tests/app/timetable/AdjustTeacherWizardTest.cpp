// The plan adjustment wizard that gives teaching plans a new teacher, from the chooser it opens by
// itself to the saved task and its adjustment history.
#include "support/AdjustWizardTestSupport.h"

#include "app/shared/TextBuilders.h"
#include "app/timetable/AdjustTeacherWizard.h"
#include "app/timetable/ChangedTimetableDlg.h"
#include "app/timetable/TeacherConflictDlg.h"
#include "platform/Files.h"

#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using zem::gui::Dialog;
using Wizard = CAdjustTeacherWizard;
using namespace wizard_test;

namespace {

class TeacherWizard : public AdjustWizardTest {
protected:
    void Run(const std::vector<std::string>& plans, const std::function<void(Wizard&)>& work)
    {
        AdjustWizardTest::Run<Wizard>(plans, work);
    }
    static void ChooseTeacher(Wizard& wizard) { wizard.SendCommand(Wizard::IDC_STEP2); }
};

// Two plans to a free teacher: the new teacher's timetable gets their lessons, the old ones lose
// them, the saved task, its backup and the history entries say so, and the next chooser starts empty.
TEST_F(TeacherWizard, ExecutesSavesAndLogsEveryChangedPlan)
{
    ScriptedMessages messages({zem::IDYES});
    const std::string k1Desc = Task().GetCourseDesc("k1"), k3Desc = Task().GetCourseDesc("k3");
    const std::string both = DescribeCourses(Task().FindCourse("k1"), 2);
    Run({"k1", "k3"}, [&](Wizard& wizard) {
        ASSERT_EQ(wizard.GetPlans().size(), 2u);
        EXPECT_NE(wizard.GetDlgItemText(Wizard::IDC_STEP1), Wizard::kStep1);
        EXPECT_FALSE(wizard.IsItemEnabled(zem::IDOK));
        SaveScreenshot(&wizard, "adjust_teacher_plans_chosen");
        ChooseTeacher(wizard);
        EXPECT_EQ(wizard.GetDlgItemText(Wizard::IDC_STEP2), "新的任课老师：李四");
        EXPECT_EQ(wizard.GetStatusText(), "没有冲突，可以调整");
        EXPECT_TRUE(wizard.IsItemEnabled(zem::IDOK));
        EXPECT_FALSE(wizard.IsItemEnabled(Wizard::IDC_SOLVE));
        SaveScreenshot(&wizard, "adjust_teacher_target_chosen");
        EXPECT_FALSE(wizard.IsItemEnabled(Wizard::IDC_EXPORT));
        wizard.SendCommand(zem::IDOK);
        EXPECT_EQ(wizard.GetStatusText(), "调整成功");
        EXPECT_FALSE(wizard.IsItemEnabled(zem::IDOK));
        SaveScreenshot(&wizard, "adjust_teacher_done");
        // The changes of this session, newest first, to export or print.
        ASSERT_TRUE(wizard.IsItemEnabled(Wizard::IDC_EXPORT));
        onOther = [&](Dialog& shown) {
            auto* changed = dynamic_cast<CChangedTimetableDlg*>(&shown);
            ASSERT_NE(changed, nullptr) << shown.Caption();
            EXPECT_EQ(changed->Caption(), "导出打印本次变动的课表");
            ASSERT_EQ(changed->GetTree()->topLevelItemCount(), 2);
            EXPECT_NE(changed->GetTree()->topLevelItem(0)->text(0).toStdString().find(k3Desc), std::string::npos);
            EXPECT_NE(changed->GetTree()->topLevelItem(1)->text(0).toStdString().find(k1Desc), std::string::npos);
            EXPECT_TRUE(changed->GetDlgItem(CChangedTimetableDlg::IDC_EXPORT)->isVisible());
        };
        wizard.SendCommand(Wizard::IDC_EXPORT);
        onOther = nullptr;
        wizard.SendCommand(Wizard::IDC_STEP1);
    });
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Texts()[0], "确定要将 " + both + " 的任课教师\n调整为 李四 老师吗");
    EXPECT_EQ(messages.Texts()[1], "调整成功");
    // The chooser after the execution starts with nothing ticked.
    ASSERT_EQ(preChecked.size(), 2u);
    EXPECT_TRUE(preChecked[1].empty());

    CScheduleTask saved;
    ASSERT_TRUE(saved.Open(Task().GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
    EXPECT_EQ(saved.FindCourse("k1")->GetTeacherId(), "t2");
    EXPECT_EQ(saved.FindCourse("k3")->GetTeacherId(), "t2");
    const CCourseTable& newTable = saved.GetTeacher("t2")->GetTable(false);
    EXPECT_EQ(newTable.GetNode(kA).GetCourseId(1), "k1");
    EXPECT_EQ(newTable.GetNode(kB).GetCourseId(1), "k1");
    EXPECT_EQ(newTable.GetNode(kD).GetCourseId(1), "k3");
    EXPECT_FALSE(saved.GetTeacher("t1")->GetTable(false).IsUsed(kA));
    EXPECT_FALSE(saved.GetTeacher("t1")->GetTable(false).IsUsed(kB));
    const ScheduleValidation validation = ValidateSchedule(saved);
    EXPECT_TRUE(validation.IsClean()) << validation.Text();

    std::vector<const CBackupEntry*> backups;
    saved.GetBackupManager().GetAllBackups(backups);
    EXPECT_TRUE(std::any_of(backups.begin(), backups.end(),
                            [](const CBackupEntry* entry) { return entry->m_strDescription == "教学计划调整前"; }));

    // Newest first: k3, which had no teacher, then k1.
    const CAdjustmentEntryList history = History();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_NE(history[0]->title.find(" 调整任课教师 " + k3Desc + " [无教师] -> 李四"), std::string::npos)
        << history[0]->title;
    EXPECT_EQ(history[0]->ids, (std::vector<std::string>{"c2", "t2"}));
    EXPECT_NE(history[1]->title.find(" 调整任课教师 " + k1Desc + " 张三 -> 李四"), std::string::npos)
        << history[1]->title;
    EXPECT_EQ(history[1]->ids, (std::vector<std::string>{"c1", "t1", "t2"}));
}

// Closing without executing writes nothing: task.ini stays byte for byte as it was.
TEST_F(TeacherWizard, ClosingWithoutExecutingLeavesTheHistoryAlone)
{
    const std::string before = ReadRaw(ConfigFile());
    ScriptedMessages messages;
    Run({"k1"}, [&](Wizard& wizard) {
        ChooseTeacher(wizard);
        EXPECT_TRUE(wizard.IsItemEnabled(zem::IDOK));
    });
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(ReadRaw(ConfigFile()), before);
    EXPECT_EQ(Task().FindCourse("k1")->GetTeacherId(), "t1");
}

// Plans that already have the teacher: the status says the change means nothing and execution
// stays off, even through Enter.
TEST_F(TeacherWizard, PlansThatHaveTheTeacherAlreadyCannotBeExecuted)
{
    names = {"张三"};
    ScriptedMessages messages;
    Run({"k1"}, [&](Wizard& wizard) {
        ChooseTeacher(wizard);
        EXPECT_EQ(wizard.GetStatusText(), "同一个老师调整没有意义");
        EXPECT_FALSE(wizard.IsStatusConflict());
        EXPECT_FALSE(wizard.IsItemEnabled(zem::IDOK));
        EXPECT_FALSE(wizard.IsItemEnabled(Wizard::IDC_SOLVE));
        wizard.SendCommand(zem::IDOK);
    });
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_TRUE(History().empty());
}

// A busy teacher: the clash is counted and execution refused until the conflict dialog solved it.
TEST_F(TeacherWizard, ConflictsMustBeSolvedBeforeExecution)
{
    names = {"王五"};
    Task().SetCourseNode(Task().FindCourse("k2"), "", false, kA, 0);
    ScriptedMessages messages;
    std::vector<std::string> captions;
    onOther = [&](Dialog& shown) {
        captions.push_back(shown.Caption());
        EXPECT_NE(dynamic_cast<CTeacherConflictDlg*>(&shown), nullptr);
        shown.SendCommand(zem::IDCANCEL);
    };
    // k2 is at kA in the saved tables too, so both tables agree.
    Task().SetCourseNode(Task().FindCourse("k2"), "", true, kA, 0);
    ASSERT_TRUE(Task().SaveOutputData());
    Run({"k1"}, [&](Wizard& wizard) {
        ChooseTeacher(wizard);
        EXPECT_EQ(wizard.GetConflictCount(), 1);
        EXPECT_EQ(wizard.GetStatusText(), "有1个冲突，您可以单击右侧的“解决冲突”按钮尝试调整");
        EXPECT_TRUE(wizard.IsStatusConflict());
        EXPECT_TRUE(wizard.IsItemEnabled(Wizard::IDC_SOLVE));
        EXPECT_FALSE(wizard.IsItemEnabled(zem::IDOK));
        SaveScreenshot(&wizard, "adjust_teacher_conflicts");
        wizard.SendCommand(Wizard::IDC_SOLVE);
        wizard.SendCommand(zem::IDOK);
    });
    EXPECT_EQ(captions,
              std::vector<std::string>{"教师时间冲突 - 将 " + Task().GetCourseDesc("k1") + " 的任课教师修改为 王五"});
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"冲突还未解决，不能直接调整"});
    EXPECT_EQ(Task().FindCourse("k1")->GetTeacherId(), "t1");
}

// The new teacher's own fixed no-lesson time and that of a group listing the teacher are clashes,
// as the plan list refuses them: the lessons may not go there.
TEST_F(TeacherWizard, TheNewTeachersFixedTimesAreConflicts)
{
    school.b.FixedTime<CFixedTimeOfTeacher>(school.b.Task().GetFixedTimeOfTeacherList(), "t2", "0,");
    school.b.Group("g1", "语文组", {"t2"});
    school.b.FixedTime<CFixedTimeOfTeacherGroup>(school.b.Task().GetFixedTimeOfTeacherGroupList(), "g1", "101,");
    school.Reopen();
    ScriptedMessages messages;
    Run({"k1"}, [&](Wizard& wizard) {
        ChooseTeacher(wizard);
        EXPECT_EQ(wizard.GetConflictCount(), 2);
        EXPECT_TRUE(wizard.IsStatusConflict());
        EXPECT_FALSE(wizard.IsItemEnabled(zem::IDOK));
        wizard.SendCommand(zem::IDOK);
    });
    EXPECT_EQ(Task().FindCourse("k1")->GetTeacherId(), "t1");
}

// A failed write of output.xml is never reported as success; the task's own message says why.
TEST_F(TeacherWizard, AFailedSaveIsNotReportedAsSuccess)
{
    const std::string output = Task().GetTaskInfo().GetOutputFilePath();
    ScriptedMessages messages({zem::IDYES});
    const zem::FileWriteFaultHook previous =
        zem::SetFileWriteFaultHook([output](const std::string& path) { return path == output ? EACCES : 0; });
    Run({"k1"}, [&](Wizard& wizard) {
        ChooseTeacher(wizard);
        wizard.SendCommand(zem::IDOK);
        EXPECT_EQ(wizard.GetStatusText(), Wizard::kNotSaved);
        EXPECT_TRUE(wizard.IsStatusConflict());
    });
    zem::SetFileWriteFaultHook(previous);
    const std::vector<std::string> texts = messages.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[1].find(zem::FileErrorReason(EACCES)), std::string::npos) << texts[1];
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "调整成功"), 0);
}

// Both plans of a combined class chosen: they change once, as one, and the tables stay consistent.
TEST_F(TeacherWizard, BothPlansOfACombinedClassChangeOnce)
{
    const tagTABLE_NODE shared{4, 0, 0};
    school.b.Course("k4", "c1", "s2", "t1", "1");
    school.b.Course("k5", "c2", "s2", "t1", "1");
    school.b.Combined("cc", {"k4", "k5"});
    for (const bool temp : {false, true})
        for (const char* id : {"k4", "k5"})
            school.b.Task().SetCourseNode(school.b.Task().FindCourse(id), "", temp, shared, 0);
    school.Reopen();
    ASSERT_TRUE(ValidateSchedule(Task()).IsClean()) << ValidateSchedule(Task()).Text();
    ScriptedMessages messages({zem::IDYES});
    Run({"k4", "k5"}, [&](Wizard& wizard) {
        ASSERT_EQ(wizard.GetPlans().size(), 2u);
        ChooseTeacher(wizard);
        EXPECT_EQ(wizard.GetStatusText(), "没有冲突，可以调整");
        wizard.SendCommand(zem::IDOK);
        EXPECT_EQ(wizard.GetStatusText(), "调整成功");
    });
    CScheduleTask saved;
    ASSERT_TRUE(saved.Open(Task().GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
    EXPECT_EQ(saved.FindCourse("k4")->GetTeacherId(), "t2");
    EXPECT_EQ(saved.FindCourse("k5")->GetTeacherId(), "t2");
    EXPECT_TRUE(saved.GetTeacher("t2")->GetTable(false).IsUsed(shared));
    EXPECT_FALSE(saved.GetTeacher("t1")->GetTable(false).IsUsed(shared));
    const ScheduleValidation validation = ValidateSchedule(saved);
    EXPECT_TRUE(validation.IsClean()) << validation.Text();
    const CAdjustmentEntryList history = History();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0]->ids, (std::vector<std::string>{"c1", "c2", "t1", "t2"}));
}

}  // namespace

// The user's own first step takes the place of the chooser opening by itself: the delay passing
// while the user's chooser is open, or after it, opens no second one.
TEST_F(TeacherWizard, TheUsersFirstStepTakesThePlaceOfTheChooserOpeningByItself)
{
    zem::gui::FakeClock clock;
    Wizard wizard;
    int choosers = 0;
    ModalScope scope([&](Dialog& shown) {
        if (&shown == &wizard) {
            clock.Advance(Wizard::kChooseDelayMs / 2);
            wizard.SendCommand(Wizard::IDC_STEP1);
            clock.Advance(Wizard::kChooseDelayMs * 4);
            wizard.SendCommand(zem::IDCANCEL);
            return;
        }
        ++choosers;
        clock.Advance(Wizard::kChooseDelayMs * 2);
        Answer(shown, {"k1"});
    });
    wizard.DoModal();
    EXPECT_EQ(choosers, 1);
}

// A change that would break one of the task's rules is undone and named, whoever counted the
// conflicts before: 李四 may not teach while 王五, mutually exclusive with him, does.
class TeacherWizardOverARule : public TeacherWizard {
protected:
    void Build() override
    {
        school.b.MutexTeachers("t2", {"t3"});
        Place(school.b.Course("k4", "c2", "s2", "t3", "1"), "", kA);
    }
};

TEST_F(TeacherWizardOverARule, LeavesTheTaskAsItWas)
{
    ScriptedMessages messages({zem::IDYES});
    Run({"k1"}, [&](Wizard& wizard) {
        ChooseTeacher(wizard);
        wizard.SendCommand(zem::IDOK);
        EXPECT_NE(wizard.GetStatusText(), Wizard::kSuccess);
        EXPECT_TRUE(wizard.IsStatusConflict());
    });
    const std::vector<std::string> texts = messages.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), Wizard::kSuccess), 0);
    for (const std::string& text : texts) {
        if (text.find("违反排课规则") != std::string::npos) {
            EXPECT_NE(text.find("李四和王五是互斥教师"), std::string::npos) << text;
        }
    }
    EXPECT_EQ(Task().FindCourse("k1")->GetTeacherId(), "t1");
    const std::unique_ptr<CScheduleTask> saved = Saved();
    EXPECT_EQ(saved->FindCourse("k1")->GetTeacherId(), "t1");
    // k1's lessons stay 张三's, in memory, in the working copies and in the files.
    for (CScheduleTask* task : {&Task(), saved.get()})
        for (const bool temp : {false, true}) {
            EXPECT_EQ(task->GetTeacher("t1")->GetTable(temp).GetNode(kA).GetCourseId(1), "k1");
            EXPECT_FALSE(task->GetTeacher("t2")->GetTable(temp).IsUsed(kA));
        }
    ExpectValid(Task());
    EXPECT_TRUE(ValidateSchedule(Task(), true).IsClean()) << ValidateSchedule(Task(), true).Text();
}

// A window opened over the wizard before the delay passes keeps the chooser from opening over it,
// and from opening once it closes.
TEST_F(TeacherWizard, TheChooserDoesNotOpenByItselfOverAnotherWindow)
{
    zem::gui::FakeClock clock;
    Wizard wizard;
    Dialog other(&wizard, "另一个窗口", {100, 60});
    int choosers = 0;
    ModalScope scope([&](Dialog& shown) {
        if (&shown == &wizard) {
            other.DoModal();
            clock.Advance(Wizard::kChooseDelayMs * 4);
            wizard.SendCommand(zem::IDCANCEL);
        } else if (&shown == &other) {
            clock.Advance(Wizard::kChooseDelayMs * 2);
            other.EndDialog(zem::IDCANCEL);
        } else {
            ++choosers;
            Answer(shown, {"k1"});
        }
    });
    wizard.DoModal();
    EXPECT_EQ(choosers, 0);
}

namespace {

// One plan of a combined class whose partner has another teacher: 数学 of 初一(1)班 by 张三 (k4)
// with 数学 of 初一(2)班 by 王五 (k5), both at Friday's first period.
class CombinedTeacherWizard : public TeacherWizard {
protected:
    void Build() override
    {
        school.b.Course("k4", "c1", "s2", "t1", "1");
        school.b.Course("k5", "c2", "s2", "t3", "1");
        school.b.Combined("cc", {"k4", "k5"});
        for (const char* id : {"k4", "k5"})
            Place(school.b.Task().FindCourse(id), "", kShared);
    }
    static constexpr tagTABLE_NODE kShared{4, 0, 0};
};

// Both plans get the new teacher, so both old teachers lose the lesson at once, in memory as in the
// saved files, and the question names every plan that changes.
TEST_F(CombinedTeacherWizard, ChoosingOnePlanTakesThePartnersLessonFromItsOwnTeacherToo)
{
    ScriptedMessages messages({zem::IDYES});
    const std::string k4Desc = Task().GetCourseDesc("k4"), k5Desc = Task().GetCourseDesc("k5");
    Run({"k4"}, [&](Wizard& wizard) {
        ChooseTeacher(wizard);
        EXPECT_EQ(wizard.GetStatusText(), "没有冲突，可以调整");
        wizard.SendCommand(zem::IDOK);
        EXPECT_EQ(wizard.GetStatusText(), "调整成功");
    });
    ASSERT_EQ(messages.Texts().size(), 2u);
    for (const std::string& named : {k4Desc, k5Desc, std::string("王五")})
        EXPECT_NE(messages.Texts()[0].find(named), std::string::npos) << named << " / " << messages.Texts()[0];
    for (const bool temp : {true, false})
        EXPECT_FALSE(Task().GetTeacher("t3")->GetTable(temp).IsUsed(kShared)) << temp;
    const ScheduleValidation working = ValidateSchedule(Task(), true);
    EXPECT_TRUE(working.IsClean()) << working.Text();
    std::unique_ptr<CScheduleTask> saved = Saved();
    EXPECT_EQ(saved->FindCourse("k5")->GetTeacherId(), "t2");
    EXPECT_FALSE(saved->GetTeacher("t3")->GetTable(false).IsUsed(kShared));
    // The history names the partner's old teacher among the changed tables.
    const CAdjustmentEntryList history = History();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_TRUE(std::count(history[0]->ids.begin(), history[0]->ids.end(), "t3")) << history[0]->title;
}

}  // namespace

// The new teacher may not teach while a teacher exclusive to him does, as a lesson placed by hand
// may not: 李四 and 王五 are exclusive and 王五 teaches at Monday's first period, where k1 is.
TEST_F(TeacherWizard, AnExclusiveTeachersLessonIsAConflict)
{
    school.b.MutexTeachers("t2", {"t3"});
    Place(school.b.Course("k6", "c2", "s2", "t3", "1"), "", kA);
    school.Reopen();
    ScriptedMessages messages({zem::IDYES});
    Run({"k1"}, [&](Wizard& wizard) {
        ChooseTeacher(wizard);
        EXPECT_EQ(wizard.GetConflictCount(), 1);
        EXPECT_TRUE(wizard.IsStatusConflict());
        wizard.SendCommand(zem::IDOK);
    });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"冲突还未解决，不能直接调整"});
    EXPECT_EQ(Task().FindCourse("k1")->GetTeacherId(), "t1");
}
