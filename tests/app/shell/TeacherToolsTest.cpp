// The quick tools "教师课时统计" and "上课时间查询" open their windows on the open task.
#include "support/ShellTestSupport.h"
#include "app/controls/HyperLink.h"
#include "app/controls/SortListCtrl.h"
#include "app/shell/ProgramFeatures.h"
#include "app/shell/ToolDescPanel.h"
#include "app/timetable/TeacherStatisticDlg.h"
#include "base/ScheduleTask.h"
#include "platform/gui/Messages.h"

#include <gtest/gtest.h>

namespace {

using TeacherToolsTest = ShellTest;

TEST_F(TeacherToolsTest, TheQuickToolsAreLiveAndOpenTheirWindowsOnTheOpenTask)
{
    MakeContext();
    ASSERT_TRUE(CAppContext::Get()->OpenDemoTask());
    RegisterProgramFeatures();
    EXPECT_TRUE(CToolDescPanel::IsQuickToolAvailable(105));
    EXPECT_TRUE(CToolDescPanel::IsQuickToolAvailable(109));

    CToolDescPanel panel;
    panel.Create(nullptr);
    std::vector<std::string> captions;
    int rows = -1;
    ModalScope scope([&](zem::gui::Dialog& d) {
        captions.push_back(d.Caption());
        if (auto* statistics = dynamic_cast<CTeacherStatisticDlg*>(&d)) {
            EXPECT_TRUE(zem::gui::WaitWhile([&] { return statistics->IsCounting(); }, 30000));
            rows = statistics->GetList()->GetItemCount();
        }
        d.close();
    });
    panel.Send(WM_QUICK_TOOL, 105, 0);
    panel.Send(WM_QUICK_TOOL, 109, 0);
    EXPECT_EQ(captions, (std::vector<std::string>{"教师任课情况统计分析", "教师上课时间查询"}));
    EXPECT_EQ(rows, CAppContext::Get()->GetTask()->GetTeacherInfoList().GetCount());
}

}  // namespace
