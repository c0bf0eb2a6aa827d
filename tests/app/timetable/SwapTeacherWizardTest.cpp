// The plan adjustment wizard that exchanges ticked teaching plans between two teachers.
#include "support/AdjustWizardTestSupport.h"

#include "app/timetable/SwapTeacherWizard.h"
#include "app/timetable/TeacherConflictDlg.h"
#include "platform/Files.h"
#include "platform/gui/ItemList.h"

#include <gtest/gtest.h>

using zem::gui::Dialog;
using Wizard = CSwapTeacherWizard;
using namespace wizard_test;

namespace {

const tagTABLE_NODE kE{4, 0, 0};  // Friday morning 1: k7

// Beside the common school: k7 (语文 of 初一(2)班 by 李四, 张三 assisting) at kE; k8 (英语 of
// 初一(2)班 by 王五) at kA, where 张三 teaches k1.
class SwapWizard : public AdjustWizardTest {
protected:
    void Build() override
    {
        school.b.Subject("s3", "英语", "英");
        Place(school.b.Course("k7", "c2", "s1", "t2", "1"), "", kE);
        school.b.Assistant("k7", {"t1"});
        Place(school.b.Course("k8", "c2", "s3", "t3", "1"), "", kA);
        names = {"张三", "王五"};
    }

    void Run(const std::function<void(Wizard&)>& work) { AdjustWizardTest::Run<Wizard>({}, work); }

    static std::vector<std::string> Listed(Wizard& wizard, int side)
    {
        std::vector<std::string> ids;
        zem::gui::ItemList* list = wizard.GetList(side);
        for (int row = 0; row < list->GetItemCount(); ++row)
            ids.push_back(list->GetItemPtr<CCourseInfo>(row)->GetId());
        return ids;
    }
    // Unticks (or ticks) the plan as a click on its box does.
    static void Untick(Wizard& wizard, int side, const std::string& planId, bool tick = false)
    {
        zem::gui::ItemList* list = wizard.GetList(side);
        for (int row = 0; row < list->GetItemCount(); ++row)
            if (list->GetItemPtr<CCourseInfo>(row)->GetId() == planId)
                list->item(row)->setCheckState(tick ? Qt::Checked : Qt::Unchecked);
    }
    static std::string TeacherAt(CScheduleTask& task, const char* teacherId, const tagTABLE_NODE& node)
    {
        return task.GetTeacher(teacherId)->GetTable(false).GetNode(node).data(1).GetCourseId();
    }
};

// 张三's plans of one class and subject are told apart in the list by their kind: the plan he
// assists in and his morning reading say so, his own lesson plan stands alone.
class SwapKindsWizard : public SwapWizard {
protected:
    void Build() override
    {
        SwapWizard::Build();
        school.b.Course("k12", "c2", "s1", "t1", "1");
    }
};

TEST_F(SwapKindsWizard, ListsEachPlanWithItsKind)
{
    // The school has no morning-reading period to save such a plan with: it becomes one here.
    Task().FindCourse("k12")->SetType(COURSE_TYPE_MORNING_READING);
    Run([&](Wizard& wizard) {
        std::vector<std::string> rows;
        zem::gui::ItemList* list = wizard.GetList(0);
        for (int row = 0; row < list->GetItemCount(); ++row)
            rows.push_back(list->GetItemText(row));
        EXPECT_EQ(rows, (std::vector<std::string>{"初一(1)班 语文", "初一(2)班 语文（助教）", "初一(2)班 语文（早读）"}));
        SaveScreenshot(&wizard, "swap_teacher_kinds");
    });
}

// Every plan of both ticked: the main teachers change places, 张三's assistant place on k7 goes
// to 王五 while 李四 keeps k7, the timetables follow, and nothing keeps the go-between teacher.
TEST_F(SwapWizard, ExchangesThePlansAndAnAssistantPlace)
{
    ScriptedMessages messages({zem::IDYES});
    Run([&](Wizard& wizard) {
        EXPECT_EQ(wizard.GetDlgItemText(zem::IDOK), "执行交换");
        EXPECT_EQ(wizard.GetDlgItemText(Wizard::IDC_STEP1), "张三");
        EXPECT_EQ(Listed(wizard, 0), (std::vector<std::string>{"k1", "k7"}));
        EXPECT_EQ(wizard.GetTickedIds(0), (std::vector<std::string>{"k1", "k7"}));
        SaveScreenshot(&wizard, "swap_teacher_first_chosen");
        wizard.SendCommand(Wizard::IDC_STEP2);
        EXPECT_EQ(wizard.GetDlgItemText(Wizard::IDC_STEP2), "王五");
        EXPECT_EQ(Listed(wizard, 1), (std::vector<std::string>{"k2", "k8"}));
        EXPECT_EQ(wizard.GetStatusText(), "没有冲突，可以交换");
        ASSERT_TRUE(wizard.IsItemEnabled(zem::IDOK));
        SaveScreenshot(&wizard, "swap_teacher_second_chosen");
        wizard.SendCommand(zem::IDOK);
        EXPECT_EQ(wizard.GetStatusText(), "调整成功");
        EXPECT_FALSE(wizard.IsItemEnabled(zem::IDOK));
        EXPECT_TRUE(wizard.IsItemEnabled(Wizard::IDC_EXPORT));
        // The lists show what each teacher holds now.
        EXPECT_EQ(Listed(wizard, 0), (std::vector<std::string>{"k2", "k8"}));
        EXPECT_EQ(Listed(wizard, 1), (std::vector<std::string>{"k1", "k7"}));
        SaveScreenshot(&wizard, "swap_teacher_done");
    });
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"确定要将 张三的2门课和 王五的2门课 交换吗", "调整成功"}));

    const auto saved = Saved();
    EXPECT_EQ(saved->FindCourse("k1")->GetTeacherId(), "t3");
    EXPECT_EQ(saved->FindCourse("k2")->GetTeacherId(), "t1");
    EXPECT_EQ(saved->FindCourse("k8")->GetTeacherId(), "t1");
    EXPECT_EQ(saved->FindCourse("k7")->GetTeacherId(), "t2");
    EXPECT_EQ(saved->GetAssistant("k7")->GetAssistants(), std::vector<std::string>{"t3"});
    EXPECT_EQ(TeacherAt(*saved, "t3", kA), "k1");
    EXPECT_EQ(TeacherAt(*saved, "t3", kB), "k1");
    EXPECT_EQ(TeacherAt(*saved, "t3", kE), "k7");
    EXPECT_EQ(TeacherAt(*saved, "t2", kE), "k7");
    EXPECT_EQ(TeacherAt(*saved, "t1", kA), "k8");
    EXPECT_EQ(TeacherAt(*saved, "t1", kC), "k2");
    EXPECT_FALSE(saved->GetTeacher("t1")->GetTable(false).IsUsed(kE));
    ExpectValid(*saved);
    for (const std::string& file : {Task().GetTaskInfo().GetInputFilePath(), Task().GetTaskInfo().GetOutputFilePath()})
        EXPECT_EQ(ReadRaw(file).find("{swap"), std::string::npos) << file;

    const CAdjustmentEntryList history = History();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_NE(history[0]->title.find(" 交换任课教师 张三的2门课 和 王五的2门课"), std::string::npos) << history[0]->title;
    EXPECT_EQ(history[0]->ids, (std::vector<std::string>{"c1", "c2", "t1", "t3"}));
}

// The status counts as soon as either side has a ticked plan; execution needs both sides, and one
// teacher on both sides means nothing.
TEST_F(SwapWizard, RefusesUntilBothSidesAreTickedAndFree)
{
    ScriptedMessages messages;
    std::vector<std::string> captions;
    onOther = [&](Dialog& shown) {
        EXPECT_NE(dynamic_cast<CTeacherConflictDlg*>(&shown), nullptr);
        captions.push_back(shown.Caption());
        shown.SendCommand(zem::IDCANCEL);
    };
    Run([&](Wizard& wizard) {
        wizard.SendCommand(Wizard::IDC_STEP2);
        // k8 stays with 王五 at kA, where k1 would come.
        Untick(wizard, 1, "k8");
        EXPECT_EQ(wizard.GetTickedIds(1), std::vector<std::string>{"k2"});
        EXPECT_EQ(wizard.GetConflictCount(), 1);
        EXPECT_EQ(wizard.GetStatusText(), "有1个冲突，您可以单击右侧的“解决冲突”按钮尝试调整");
        EXPECT_TRUE(wizard.IsItemEnabled(Wizard::IDC_SOLVE));
        SaveScreenshot(&wizard, "swap_teacher_conflicts");
        wizard.SendCommand(Wizard::IDC_SOLVE);
        wizard.SendCommand(zem::IDOK);

        Untick(wizard, 1, "k2");
        Untick(wizard, 0, "k1");
        EXPECT_EQ(wizard.GetConflictCount(), 0);
        EXPECT_EQ(wizard.GetStatusText(), "没有冲突，可以交换");
        wizard.SendCommand(zem::IDOK);
        Untick(wizard, 0, "k7");
        EXPECT_EQ(wizard.GetStatusText(), "没有勾选要交换的教学计划");

        names = {"张三"};
        wizard.SendCommand(Wizard::IDC_STEP2);
        EXPECT_EQ(wizard.GetStatusText(), "同一个老师交换没有意义");
        EXPECT_FALSE(wizard.IsItemEnabled(zem::IDOK));
        EXPECT_FALSE(wizard.IsItemEnabled(Wizard::IDC_SOLVE));
    });
    EXPECT_EQ(captions, std::vector<std::string>{"教师时间冲突 - 交换 张三的2门课 和 王五的1门课"});
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"冲突还未解决，不能直接调整", "请勾选要交换的教学计划"}));
    EXPECT_EQ(Task().FindCourse("k1")->GetTeacherId(), "t1");
    EXPECT_TRUE(History().empty());
}

// Beside the swap school: 张三 teaches 体育 to 初一(1)班 (k9) and 初一(3)班 (k10) as one combined
// class at kF, where 王五 teaches 体育 to 初一(2)班 (k11).
class SwapCombinedWizard : public SwapWizard {
protected:
    static constexpr tagTABLE_NODE kF{4, 0, 1};  // Friday morning 2

    void Build() override
    {
        SwapWizard::Build();
        school.b.Class("c3", "初一(3)班", "初一3");
        school.b.Subject("s4", "体育", "体");
        CCourseInfo* k9 = school.b.Course("k9", "c1", "s4", "t1", "1");
        CCourseInfo* k10 = school.b.Course("k10", "c3", "s4", "t1", "1");
        school.b.Combined("cc", {"k9", "k10"});
        Place(k9, "", kF);
        Place(k10, "", kF);
        Place(school.b.Course("k11", "c2", "s4", "t3", "1"), "", kF);
    }
};

// A teacher's timetable names one plan of a combined class, and ticking the other must still count
// the whole class, which moves as one: the clash with 王五's own 体育 is found and execution
// refused; with that lesson ticked too the exchange goes through and books nobody twice.
TEST_F(SwapCombinedWizard, CountsTheCombinedClassThatMovesAlong)
{
    const std::string held = Task().GetTeacher("t1")->GetTable(true).GetNode(kF).data(1).GetCourseId();
    ASSERT_TRUE(held == "k9" || held == "k10") << held;
    const std::string ticked = held == "k9" ? "k10" : "k9";
    ScriptedMessages messages({zem::IDOK, zem::IDYES});
    std::vector<std::string> captions;
    onOther = [&](Dialog& shown) {
        captions.push_back(shown.Caption());
        shown.SendCommand(zem::IDCANCEL);
    };
    Run([&](Wizard& wizard) {
        wizard.SendCommand(Wizard::IDC_STEP2);
        for (const char* id : {"k1", "k7", held.c_str()})
            Untick(wizard, 0, id);
        for (const char* id : {"k8", "k11"})
            Untick(wizard, 1, id);
        ASSERT_EQ(wizard.GetTickedIds(0), std::vector<std::string>{ticked});
        EXPECT_EQ(wizard.GetConflictCount(), 1);
        SaveScreenshot(&wizard, "swap_teacher_combined_conflict");
        wizard.SendCommand(zem::IDOK);
        wizard.SendCommand(Wizard::IDC_SOLVE);

        Untick(wizard, 1, "k11", true);
        EXPECT_EQ(wizard.GetStatusText(), "没有冲突，可以交换");
        wizard.SendCommand(zem::IDOK);
        EXPECT_EQ(wizard.GetStatusText(), "调整成功");
    });
    EXPECT_EQ(captions, std::vector<std::string>{"教师时间冲突 - 交换 张三的2门课 和 王五的1门课"});
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"冲突还未解决，不能直接调整",
                                                          "确定要将 张三的2门课和 王五的2门课 交换吗", "调整成功"}));
    const auto saved = Saved();
    for (const char* id : {"k9", "k10"})
        EXPECT_EQ(saved->FindCourse(id)->GetTeacherId(), "t3") << id;
    for (const char* id : {"k2", "k11"})
        EXPECT_EQ(saved->FindCourse(id)->GetTeacherId(), "t1") << id;
    EXPECT_EQ(TeacherAt(*saved, "t1", kF), "k11");
    ExpectValid(*saved);
}

// Beside the swap school: 张三 teaches 体育 to 初一(1)班 (k9) and 李四 to 初一(3)班 (k12) as one
// combined class at Friday's second period.
class SwapSharedClassWizard : public SwapWizard {
protected:
    static constexpr tagTABLE_NODE kF{4, 0, 1};

    void Build() override
    {
        SwapWizard::Build();
        school.b.Class("c3", "初一(3)班", "初一3");
        school.b.Subject("s4", "体育", "体");
        Place(school.b.Course("k9", "c1", "s4", "t1", "1"), "", kF);
        Place(school.b.Course("k12", "c3", "s4", "t2", "1"), "", kF);
        school.b.Combined("cc", {"k9", "k12"});
    }
};

// Only the chosen teacher's plans change hands: 李四's plan of the combined class is not 张三's to
// give, stays 李四's, and the question says so.
TEST_F(SwapSharedClassWizard, AnotherTeachersPlanOfTheCombinedClassStaysWithThatTeacher)
{
    const std::string k12Desc = Task().GetCourseDesc("k12");
    ScriptedMessages messages({zem::IDYES});
    Run([&](Wizard& wizard) {
        EXPECT_EQ(Listed(wizard, 0), (std::vector<std::string>{"k1", "k7", "k9"}));
        wizard.SendCommand(Wizard::IDC_STEP2);
        EXPECT_EQ(wizard.GetStatusText(), "没有冲突，可以交换");
        wizard.SendCommand(zem::IDOK);
        EXPECT_EQ(wizard.GetStatusText(), "调整成功");
    });
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"确定要将 张三的3门课和 王五的2门课 交换吗\n合班的 " + k12Desc +
                                                              " 不随之交换，仍由原任课教师任教",
                                                          "调整成功"}));
    const auto saved = Saved();
    EXPECT_EQ(saved->FindCourse("k9")->GetTeacherId(), "t3");
    EXPECT_EQ(saved->FindCourse("k12")->GetTeacherId(), "t2");
    EXPECT_EQ(TeacherAt(*saved, "t3", kF), "k9");
    EXPECT_EQ(TeacherAt(*saved, "t2", kF), "k12");
    EXPECT_FALSE(saved->GetTeacher("t1")->GetTable(false).IsUsed(kF));
    ExpectValid(*saved);
}

}  // namespace
