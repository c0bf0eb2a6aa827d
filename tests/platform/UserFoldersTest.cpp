// The user's folders from the XDG user-dirs file, and the hook that replaces them.
#include "support/TempFolder.h"
#include "platform/UserFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace zem;

namespace {

// Points HOME and XDG_CONFIG_HOME into the test's folder for its life.
class FakeHome {
public:
    explicit FakeHome(const std::string& home) : home_(Save("HOME")), config_(Save("XDG_CONFIG_HOME"))
    {
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + ".config").c_str(), 1);
    }
    ~FakeHome()
    {
        Restore("HOME", home_);
        Restore("XDG_CONFIG_HOME", config_);
    }

private:
    static std::pair<bool, std::string> Save(const char* name)
    {
        const char* value = std::getenv(name);
        return {value != nullptr, value ? value : ""};
    }
    static void Restore(const char* name, const std::pair<bool, std::string>& saved)
    {
        if (saved.first)
            setenv(name, saved.second.c_str(), 1);
        else
            unsetenv(name);
    }
    std::pair<bool, std::string> home_, config_;
};

TEST(UserFolders, XdgUserDirsNameTheDocumentsAndDesktop)
{
    TempFolder folder;
    FakeHome home(folder.path());
    WriteRaw(folder / ".config/user-dirs.dirs",
             "# written by xdg-user-dirs-update\n"
             "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n"
             "XDG_DOCUMENTS_DIR=\"$HOME/文档\"\n"
             "XDG_MUSIC_DIR=\"$HOME/\"\n");
    std::filesystem::create_directories(folder / "文档");
    EXPECT_EQ(UserFolder(UserFolderKind::Home), folder.path());
    EXPECT_EQ(UserFolder(UserFolderKind::Documents), folder / "文档/");
    // A folder that does not exist is not used: the home folder stands in.
    EXPECT_EQ(UserFolder(UserFolderKind::Desktop), folder.path());
}

TEST(UserFolders, WithoutUserDirsTheHomeFolderStandsIn)
{
    TempFolder folder;
    FakeHome home(folder.path());
    EXPECT_EQ(UserFolder(UserFolderKind::Documents), folder.path());
    EXPECT_EQ(UserFolder(UserFolderKind::Temp).back(), '/');
}

TEST(UserFolders, HookReplacesTheFolders)
{
    const auto previous = SetUserFolderHook([](UserFolderKind) { return std::string("/test/docs"); });
    EXPECT_EQ(UserFolder(UserFolderKind::Documents), "/test/docs/");
    SetUserFolderHook(previous);
    EXPECT_NE(UserFolder(UserFolderKind::Documents), "/test/docs/");
    EXPECT_FALSE(LoginName().empty());
}

}  // namespace
