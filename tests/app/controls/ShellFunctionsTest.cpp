// Web pages and the folder chooser, through the desktop's hooks.
#include "support/PixelProbes.h"
#include "app/controls/ShellFunctions.h"
#include "support/MessageRecorder.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"

#include <gtest/gtest.h>

namespace {

TEST(ShellFunctions, WebPagesCarryTheProgramsQuery)
{
    std::vector<std::string> opened;
    const auto previous = zem::gui::SetOpenHook([&](const std::string& target) {
        opened.push_back(target);
        return 42;
    });
    EXPECT_EQ(OpenWebPage("https://example.org/help.php"), 42);
    OpenWebPage("https://example.org/help.php?id=7");
    OpenWebPage("https://example.org/help.php?id=7&");
    zem::gui::SetOpenHook(previous);
    EXPECT_EQ(opened, (std::vector<std::string>{"https://example.org/help.php?c=zem&t=0&v=1.0",
                                                "https://example.org/help.php?id=7&c=zem&t=0&v=1.0",
                                                "https://example.org/help.php?id=7&c=zem&t=0&v=1.0"}));
}

TEST(ShellFunctions, WithoutADisplayNothingIsOpened)
{
    EXPECT_EQ(zem::gui::OpenWithDesktop("https://example.org/"), zem::gui::kOpenNoAssociation);
    EXPECT_EQ(zem::gui::OpenWithDesktop("/no/such/file.xlsx"), zem::gui::kOpenFileNotFound);
}

TEST(ShellFunctions, BrowseForFolder)
{
    std::string answer = "/home/u/排课/";
    zem::gui::FileDialogRequest asked;
    const auto previous = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest& request) {
        asked = request;
        return answer;
    });
    MessageRecorder recorder;
    std::string path = "/home/u/";
    EXPECT_TRUE(BrowseForFolder(nullptr, "选择文件夹", 0, path));
    EXPECT_EQ(asked.kind, zem::gui::FileDialogRequest::Kind::Folder);
    EXPECT_EQ(asked.title, "选择文件夹");
    EXPECT_EQ(asked.folder, "/home/u/");
    EXPECT_EQ(path, "/home/u/排课/");

    answer = "/home/u/课表😀/";  // a folder the task's files could not name
    EXPECT_FALSE(BrowseForFolder(nullptr, "选择文件夹", 0, path));
    EXPECT_EQ(path, "/home/u/排课/");
    ASSERT_EQ(recorder.Texts().size(), 1u);
    EXPECT_NE(recorder.Texts()[0].find("“😀”"), std::string::npos);

    answer.clear();  // cancelled
    EXPECT_FALSE(BrowseForFolder(nullptr, "选择文件夹", 0, path));
    EXPECT_EQ(path, "");
    zem::gui::SetFileDialogHook(previous);
}

}  // namespace
