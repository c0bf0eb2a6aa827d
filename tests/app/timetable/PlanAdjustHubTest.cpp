// The chooser of the plan adjustment tools.
#include "support/BasicDataTestSupport.h"
#include "support/ScreenTestSupport.h"
#include "app/controls/HyperLink.h"
#include "app/data/SplitPlanDlg.h"
#include "app/shell/FeatureWindows.h"
#include "app/shell/ProgramFeatures.h"
#include "app/timetable/AdjustRoomWizard.h"
#include "app/timetable/AdjustTeacherWizard.h"
#include "app/timetable/SwapTeacherWizard.h"
#include "app/timetable/ChangedTimetableDlg.h"
#include "app/timetable/PlanAdjustHubDlg.h"

#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using Hub = CPlanAdjustHubDlg;

struct Row {
    int id;
    const char* caption;
    const char* description;
    int result;
};
const Row kRows[] = {
    {Hub::IDC_ADJUST_TEACHER, "调整任课教师", "为一个或多个教学计划指定新的任课教师", Hub::ToolAdjustTeacher},
    {Hub::IDC_ADJUST_ROOM, "调整教室和场地", "为一个或多个教学计划指定新的教室或取消教室", Hub::ToolAdjustRoom},
    {Hub::IDC_SWAP_TEACHER, "交换任课教师", "交换两个老师的全部或部分教学计划", Hub::ToolSwapTeacher},
    {Hub::IDC_SPLIT_PLAN, "拆分教学计划", "把一个教学计划分拆成不同的课程\n例如：一周5节体育课，把其中2节改为足球",
     Hub::ToolSplitPlan},
};

TEST(PlanAdjustHub, ShowsTheFourToolsAndEachEndsItWithItsCode)
{
    for (const Row& chosen : kRows) {
        Hub hub;
        const int answer = RunModal<Hub>(hub, [&](Hub& shown) {
            EXPECT_EQ(shown.Caption(), "教学计划调整");
            EXPECT_EQ(shown.GetDlgItemText(Hub::IDC_TITLE), "教学计划调整");
            for (const Row& row : kRows) {
                EXPECT_EQ(shown.GetDlgItemText(row.id), row.caption);
                EXPECT_EQ(shown.GetDlgItemText(Hub::DescriptionId(row.id)), row.description) << row.caption;
                EXPECT_TRUE(shown.IsItemEnabled(row.id)) << row.caption;
                // Every text is wholly inside the dialog, and no description runs under a button.
                const QRect text = shown.GetDlgItem(Hub::DescriptionId(row.id))->geometry();
                EXPECT_TRUE(shown.rect().contains(text)) << row.caption;
                EXPECT_GT(text.left(), shown.GetDlgItem(row.id)->geometry().right()) << row.caption;
            }
            EXPECT_EQ(shown.GetDlgItemText(Hub::IDC_NOTE), "这里的调整结果会自动同步到整个系统，包括基本数据和课表");
            auto* history = shown.Item<CHyperLink>(Hub::IDC_HISTORY);
            ASSERT_NE(history, nullptr);
            EXPECT_EQ(history->text().toStdString(), "历史记录");
            EXPECT_TRUE(history->isEnabled());
            EXPECT_FALSE(history->geometry().intersects(shown.GetDlgItem(Hub::IDC_NOTE)->geometry()));
            if (chosen.id == Hub::IDC_ADJUST_TEACHER)
                SaveScreenshot(&shown, "plan_adjust_hub");
            QTest::mouseClick(shown.GetDlgItem(chosen.id), Qt::LeftButton);
        });
        EXPECT_EQ(answer, zem::IDOK) << chosen.caption;
        EXPECT_EQ(hub.GetResult(), chosen.result) << chosen.caption;
    }
}

// The link shows the open task's history over the hub, which stays open.
TEST(PlanAdjustHub, HistoryLinkOpensTheViewerAndLeavesTheHubOpen)
{
    SmallSchool school;
    school.Task().SetConfigFile(school.folder / "task.ini");
    CAdjustmentEntryList entries;
    entries.push_back(std::make_unique<CAdjustmentEntry>(CAdjustmentEntry{"换老师", {"c1", "t1"}}));
    SaveAdjustmentHistory(entries);

    Hub hub;
    std::vector<std::string> shownTitles;
    bool hubOpenMeanwhile = false;
    ModalScope scope([&](zem::gui::Dialog& shown) {
        if (&shown == &hub) {
            QTest::mouseClick(shown.Item<CHyperLink>(Hub::IDC_HISTORY), Qt::LeftButton);
            EXPECT_FALSE(shown.IsEnded());
            EXPECT_EQ(hub.GetResult(), -1);
            return;
        }
        auto* viewer = dynamic_cast<CChangedTimetableDlg*>(&shown);
        ASSERT_NE(viewer, nullptr) << shown.Caption();
        hubOpenMeanwhile = !hub.IsEnded();
        shownTitles.push_back(viewer->Caption());
        ASSERT_EQ(viewer->GetTree()->topLevelItemCount(), 1);
        EXPECT_EQ(viewer->GetTree()->topLevelItem(0)->text(0).toStdString(), "换老师");
    });
    EXPECT_EQ(hub.DoModal(), zem::IDCANCEL);
    EXPECT_EQ(shownTitles, std::vector<std::string>{"历史记录"});
    EXPECT_TRUE(hubOpenMeanwhile);
}

// The program runs the tool of each code the hub answers.
TEST(PlanAdjustHub, TheProgramRunsTheChosenTool)
{
    SmallSchool school;
    RegisterProgramFeatures();
    ASSERT_TRUE(FeatureWindows().planAdjustTool);
    std::vector<std::string> shown;
    ModalScope scope([&](zem::gui::Dialog& dialog) {
        shown.push_back(dialog.Caption());
        dialog.EndDialog(zem::IDCANCEL);
    });
    for (const Row& row : kRows)
        FeatureWindows().planAdjustTool(row.result);
    EXPECT_EQ(shown, (std::vector<std::string>{"教学计划调整 - 调整任课教师", "教学计划调整 - 调整教室和场地",
                                               "教学计划调整 - 交换任课教师", "教学计划调整 - 拆分教学计划"}));
}

}  // namespace
