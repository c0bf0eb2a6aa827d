// The program opens the proctoring page from its quick tool "排监考", only with a task open.
#include "app/proctor/ProctorDlg.h"
#include "app/shell/ProgramFeatures.h"
#include "app/shell/ToolDescPanel.h"
#include "support/MessageRecorder.h"
#include "support/ShellTestSupport.h"

#include <gtest/gtest.h>

namespace {

using ProctorLaunchTest = ShellTest;

TEST_F(ProctorLaunchTest, TheQuickToolOpensThePageOnTheOpenTask)
{
    MakeContext();
    RegisterProgramFeatures();
    EXPECT_TRUE(CToolDescPanel::IsQuickToolAvailable(1373));
    MessageRecorder messages;
    std::vector<std::string> opened;
    ModalScope scope([&](zem::gui::Dialog& d) {
        auto* page = dynamic_cast<CProctorDlg*>(&d);
        ASSERT_NE(page, nullptr) << d.Caption();
        opened.push_back(page->GetProctor() ? page->GetProctor()->GetName() : "");
        d.SendCommand(zem::IDCANCEL);
    });
    CAppContext::Get()->ShowProctorDialog();
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"没有正在使用的排课任务"});

    ASSERT_TRUE(CAppContext::Get()->OpenDemoTask());
    CAppContext::Get()->ShowProctorDialog();
    EXPECT_EQ(opened, std::vector<std::string>{"未命名的监考"});
}

}  // namespace
