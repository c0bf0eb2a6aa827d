// The chooser of the plan adjustment tools.
#include "support/ScreenTestSupport.h"
#include "app/controls/HyperLink.h"
#include "app/timetable/PlanAdjustHubDlg.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

using Hub = CPlanAdjustHubDlg;

TEST(PlanAdjustHub, ShowsTheFourToolsAndOnlyTheBuiltOnesCanBeChosen)
{
    Hub hub;
    const int answer = RunModal<Hub>(hub, [](Hub& shown) {
        EXPECT_EQ(shown.Caption(), "教学计划调整");
        EXPECT_EQ(shown.GetDlgItemText(Hub::IDC_TITLE), "教学计划调整");
        struct Row {
            int id;
            const char* caption;
            const char* description;
            bool enabled;
        } rows[] = {
            {Hub::IDC_ADJUST_TEACHER, "调整任课教师", "为一个或多个教学计划指定新的任课教师", true},
            {Hub::IDC_ADJUST_ROOM, "调整教室和场地", "为一个或多个教学计划指定新的教室或取消教室", false},
            {Hub::IDC_SWAP_TEACHER, "交换任课教师", "交换两个老师的全部或部分教学计划", false},
            {Hub::IDC_SPLIT_PLAN, "拆分教学计划", "把一个教学计划分拆成不同的课程\n例如：一周5节体育课，把其中2节改为足球",
             true},
        };
        for (const Row& row : rows) {
            EXPECT_EQ(shown.GetDlgItemText(row.id), row.caption);
            EXPECT_EQ(shown.GetDlgItemText(Hub::DescriptionId(row.id)), row.description) << row.caption;
            EXPECT_EQ(shown.IsItemEnabled(row.id), row.enabled) << row.caption;
            // Every text is wholly inside the dialog, and no description runs under a button.
            const QRect text = shown.GetDlgItem(Hub::DescriptionId(row.id))->geometry();
            EXPECT_TRUE(shown.rect().contains(text)) << row.caption;
            EXPECT_GT(text.left(), shown.GetDlgItem(row.id)->geometry().right()) << row.caption;
        }
        EXPECT_EQ(shown.GetDlgItemText(Hub::IDC_NOTE), "这里的调整结果会自动同步到整个系统，包括基本数据和课表");
        auto* history = shown.Item<CHyperLink>(Hub::IDC_HISTORY);
        ASSERT_NE(history, nullptr);
        EXPECT_EQ(history->text().toStdString(), "历史记录");
        EXPECT_FALSE(history->isEnabled());
        EXPECT_FALSE(history->geometry().intersects(shown.GetDlgItem(Hub::IDC_NOTE)->geometry()));
        SaveScreenshot(&shown, "plan_adjust_hub");

        // A grey button or link does nothing; the teacher wizard ends the chooser with its code.
        QTest::mouseClick(shown.GetDlgItem(Hub::IDC_ADJUST_ROOM), Qt::LeftButton);
        shown.SendCommand(Hub::IDC_SWAP_TEACHER);
        QTest::mouseClick(history, Qt::LeftButton);
        EXPECT_FALSE(shown.IsEnded());
        EXPECT_EQ(shown.GetResult(), -1);
        QTest::mouseClick(shown.GetDlgItem(Hub::IDC_ADJUST_TEACHER), Qt::LeftButton);
    });
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_EQ(hub.GetResult(), Hub::ToolAdjustTeacher);
}

}  // namespace
