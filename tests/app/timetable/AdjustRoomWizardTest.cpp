// The plan adjustment wizard that gives teaching plans a new fixed room or takes their room away.
#include "support/AdjustWizardTestSupport.h"

#include "app/shared/TextBuilders.h"
#include "app/timetable/AdjustRoomWizard.h"
#include "app/timetable/TeacherConflictDlg.h"

#include <gtest/gtest.h>

using zem::gui::Dialog;
using Wizard = CAdjustRoomWizard;
using namespace wizard_test;

namespace {

const tagTABLE_NODE kE{4, 0, 0};  // Friday morning 1: k6 in 操场, k7 without a room
const tagTABLE_NODE kF{4, 0, 1};  // Friday morning 2: k4 and k5, one combined class, in 机房

// Beside the common school: the room 操场 (r2, one class at a time); k6 (数学 of 初一(1)班 by 李四)
// fixed in 操场 and k7 (数学 of 初一(2)班 by 王五) at the same time; the combined class of k4 and k5
// (语文 of both classes by 李四) fixed in 机房.
class RoomWizard : public AdjustWizardTest {
protected:
    void Build() override
    {
        school.b.Room("r2", "操场", 1);
        CCourseInfo* k6 = school.b.Course("k6", "c1", "s2", "t2", "1");
        k6->SetRoom("r2");
        Place(k6, "r2", kE);
        Place(school.b.Course("k7", "c2", "s2", "t3", "1"), "", kE);
        CCourseInfo* k4 = school.b.Course("k4", "c1", "s1", "t2", "1");
        CCourseInfo* k5 = school.b.Course("k5", "c2", "s1", "t2", "1");
        school.b.Combined("cc", {"k4", "k5"});
        for (CCourseInfo* plan : {k4, k5}) {
            plan->SetRoom("r1");
            Place(plan, "r1", kF);
        }
    }

    void Run(const std::vector<std::string>& plans, const std::function<void(Wizard&)>& work)
    {
        AdjustWizardTest::Run<Wizard>(plans, work);
    }
    static void ChooseRoom(Wizard& wizard) { wizard.SendCommand(Wizard::IDC_STEP2); }

    // The plans the room holds at the time, over its parallel timetables.
    static std::vector<std::string> RoomLessons(CScheduleTask& task, const char* roomId, const tagTABLE_NODE& node)
    {
        const CCourseTableNode& cell = task.GetRoom(roomId)->GetCombineTable(false).GetNode(node);
        std::vector<std::string> plans;
        for (const int half : {1, 2})
            if (cell.data(half).HasCourse())
                plans.push_back(cell.data(half).GetCourseId());
        return plans;
    }
    static std::string RoomAt(CScheduleTask& task, const char* classId, const tagTABLE_NODE& node)
    {
        return task.GetClass(classId)->GetTable(false).GetNode(node).data(1).GetRoomId();
    }
};

// A plan without a room into 机房: the plan, its lesson and the room's timetable say so, and the
// entry names the class and both rooms.
TEST_F(RoomWizard, GivesThePlansTheNewRoom)
{
    names = {"机房"};
    ScriptedMessages messages({zem::IDYES});
    const std::string desc = Task().GetCourseDesc("k2");
    Run({"k2"}, [&](Wizard& wizard) {
        EXPECT_EQ(wizard.GetDlgItemText(Wizard::IDC_NO_ROOM), "取消指定的教室");
        EXPECT_FALSE(wizard.GetDlgItem(Wizard::IDC_NO_ROOM)->geometry().intersects(
            wizard.GetDlgItem(Wizard::IDC_STEP2)->geometry()));
        // Plans alone can already be executed: without a room it takes their rooms away.
        EXPECT_EQ(wizard.GetStatusText(), "没有选择新的教室，单击调整按钮可以取消已指定的教室");
        SaveScreenshot(&wizard, "adjust_room_plans_chosen");
        ChooseRoom(wizard);
        EXPECT_EQ(wizard.GetDlgItemText(Wizard::IDC_STEP2), "新的教室和场地：机房");
        EXPECT_EQ(wizard.GetStatusText(), "没有冲突，可以调整");
        EXPECT_TRUE(wizard.IsItemEnabled(zem::IDOK));
        SaveScreenshot(&wizard, "adjust_room_target_chosen");
        wizard.SendCommand(zem::IDOK);
        EXPECT_EQ(wizard.GetStatusText(), "调整成功");
        EXPECT_TRUE(wizard.IsItemEnabled(Wizard::IDC_EXPORT));
        SaveScreenshot(&wizard, "adjust_room_done");
    });
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"确定要将 " + desc + " 的教室\n调整为 机房 吗", "调整成功"}));
    const auto saved = Saved();
    EXPECT_EQ(saved->FindCourse("k2")->GetSpecialRoomId(), "r1");
    EXPECT_EQ(RoomAt(*saved, "c2", kC), "r1");
    EXPECT_EQ(RoomLessons(*saved, "r1", kC), std::vector<std::string>{"k2"});
    ExpectValid(*saved);
    const CAdjustmentEntryList history = History();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_NE(history[0]->title.find(" 调整教室和场地 " + desc + " -> 机房"), std::string::npos) << history[0]->title;
    EXPECT_EQ(history[0]->ids, (std::vector<std::string>{"c2", "r1"}));
}

// "取消指定的教室" with one plan of a combined class, or both: both plans lose their fixed room and
// their lesson its room, once; the question defaults to No, and the entry names "[不指定教室]".
class RoomWizardCombined : public RoomWizard, public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(RoomWizardCombined, WithoutARoomClearsThePartnersRoomsToo)
{
    const std::vector<std::string> plans = GetParam();
    names = {"机房"};
    ScriptedMessages messages({zem::IDOK, zem::IDYES});
    const std::string desc = Task().GetCourseDesc("k4");
    const std::string described = DescribeCourses(Task().FindCourse("k4"), static_cast<int>(plans.size()));
    Run(plans, [&](Wizard& wizard) {
        ChooseRoom(wizard);
        EXPECT_EQ(wizard.GetStatusText(), "同一教室和场地，调整没有意义");
        wizard.SendCommand(Wizard::IDC_NO_ROOM);
        EXPECT_EQ(wizard.GetDlgItemText(Wizard::IDC_STEP2), Wizard::kStep2);
        EXPECT_EQ(wizard.GetTarget(), nullptr);
        EXPECT_EQ(wizard.GetStatusText(), "没有选择新的教室，单击调整按钮可以取消已指定的教室");
        ASSERT_TRUE(wizard.IsItemEnabled(zem::IDOK));
        wizard.SendCommand(zem::IDOK);
        EXPECT_EQ(wizard.GetStatusText(), "调整成功");
    });
    ASSERT_EQ(messages.messages.size(), 3u);
    EXPECT_EQ(messages.messages[0].text,
              "右侧已清空\r\n请点击下方的执行调整按钮，可取消左侧教学计划中已指定的教室和场地");
    EXPECT_EQ(messages.messages[1].text, "没有指定新的教室，您是要取消 " + described + " 已安排的教室吗");
    EXPECT_EQ(messages.messages[1].defaultAnswer, zem::IDNO);
    const auto saved = Saved();
    for (const char* plan : {"k4", "k5"})
        EXPECT_EQ(saved->FindCourse(plan)->GetSpecialRoomId(), "") << plan;
    for (const char* cls : {"c1", "c2"})
        EXPECT_EQ(RoomAt(*saved, cls, kF), "") << cls;
    EXPECT_TRUE(RoomLessons(*saved, "r1", kF).empty());
    ExpectValid(*saved);
    const CAdjustmentEntryList history = History();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_NE(history[0]->title.find(" 调整教室和场地 " + desc + " -> [不指定教室]"), std::string::npos)
        << history[0]->title;
    EXPECT_EQ(history[0]->ids, (std::vector<std::string>{"c1", "c2", "r1"}));
}

INSTANTIATE_TEST_SUITE_P(OneOrBoth, RoomWizardCombined,
                         testing::Values(std::vector<std::string>{"k4"}, std::vector<std::string>{"k4", "k5"}));

// A room busy at the plan's time: counted, and execution refused until the clash is solved.
TEST_F(RoomWizard, ConflictsMustBeSolvedBeforeExecution)
{
    names = {"操场"};
    ScriptedMessages messages;
    std::vector<std::string> captions;
    onOther = [&](Dialog& shown) {
        EXPECT_NE(dynamic_cast<CTeacherConflictDlg*>(&shown), nullptr);
        captions.push_back(shown.Caption());
        shown.SendCommand(zem::IDCANCEL);
    };
    Run({"k7"}, [&](Wizard& wizard) {
        ChooseRoom(wizard);
        EXPECT_EQ(wizard.GetConflictCount(), 1);
        EXPECT_EQ(wizard.GetStatusText(), "有1个冲突，您可以单击右侧的“解决冲突”按钮尝试调整");
        EXPECT_TRUE(wizard.IsItemEnabled(Wizard::IDC_SOLVE));
        EXPECT_FALSE(wizard.IsItemEnabled(zem::IDOK));
        SaveScreenshot(&wizard, "adjust_room_conflicts");
        wizard.SendCommand(Wizard::IDC_SOLVE);
        wizard.SendCommand(zem::IDOK);
    });
    EXPECT_EQ(captions,
              std::vector<std::string>{"教室和场地时间冲突 - 将 " + Task().GetCourseDesc("k7") + " 的教室修改为 操场"});
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"冲突还未解决，不能直接调整"});
    EXPECT_EQ(Task().FindCourse("k7")->GetSpecialRoomId(), "");
    EXPECT_TRUE(History().empty());
}

}  // namespace
