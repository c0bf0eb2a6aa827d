// Folders and files of the program's shared functions, with the user's folders inside a test folder.
#include "support/FakeAppServices.h"
#include "app/shared/Paths.h"
#include "platform/Files.h"
#include "support/TempFolder.h"
#include "platform/UserFolders.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class SharedPathsTest : public testing::Test {
protected:
    SharedPathsTest()
    {
        previous_ = zem::SetUserFolderHook([this](zem::UserFolderKind kind) {
            switch (kind) {
            case zem::UserFolderKind::Documents:
                return folder.path() + "home/文档/";
            case zem::UserFolderKind::Desktop:
                return desktop;
            case zem::UserFolderKind::Temp:
                return folder.path() + "tmp/";
            default:
                return folder.path() + "home/";
            }
        });
        zem::MakeFolder(folder.path() + "home/文档");
    }
    ~SharedPathsTest() override { zem::SetUserFolderHook(previous_); }

    TempFolder folder;
    std::string desktop = folder.path() + "home/桌面/";
    FakeAppServices services;

private:
    zem::UserFolderHook previous_;
};

TEST_F(SharedPathsTest, DefaultTaskFolder)
{
    // No remembered folder: the documents folder's task folder, created.
    const std::string made = folder.path() + "home/文档/我的排课任务/";
    EXPECT_EQ(GetDefaultTaskFolder(), made);
    EXPECT_TRUE(zem::FolderExists(made));

    // A remembered folder that exists comes back with its slash.
    zem::MakeFolder(folder.path() + "tasks");
    services.lastTaskFolder = folder.path() + "tasks";
    EXPECT_EQ(GetDefaultTaskFolder(), folder.path() + "tasks/");

    // One that is gone, or one written on Windows, is passed over.
    for (const char* last : {"/nowhere/at/all/", "D:\\排课\\", "C:/tasks"}) {
        services.lastTaskFolder = last;
        EXPECT_EQ(GetDefaultTaskFolder(), made) << last;
    }
}

TEST_F(SharedPathsTest, DisplayPathShowsTheDesktop)
{
    EXPECT_EQ(MakeDisplayPath(desktop + "任务/a.zem"), "桌面/任务/a.zem");
    EXPECT_EQ(MakeDisplayPath(desktop.substr(0, desktop.size() - 1)), "桌面");
    const std::string other = folder.path() + "home/桌面2/a.zem";
    EXPECT_EQ(MakeDisplayPath(other), other);
    // Without a desktop folder of its own, the home folder is not shown as the desktop.
    desktop = folder.path() + "home/";
    EXPECT_EQ(MakeDisplayPath(desktop + "a.zem"), desktop + "a.zem");
}

TEST_F(SharedPathsTest, PathIsKindAndFolderOfPath)
{
    const std::string file = folder / "a.txt";
    WriteRaw(file, "x");
    EXPECT_EQ(PathIsKind(file, true), 0);
    EXPECT_EQ(PathIsKind(file, false), 1);
    EXPECT_EQ(PathIsKind(folder.path(), true), 1);
    EXPECT_EQ(PathIsKind(folder.path(), false), 0);
    EXPECT_EQ(PathIsKind(folder / "missing", false), 0);
    EXPECT_EQ(PathIsKind("C:\\Windows", true), 0);

    EXPECT_EQ(GetFolderOfPath("/home/u/任务/a.zem"), "/home/u/任务/");
    EXPECT_EQ(GetFolderOfPath("/a.zem"), "/");
    EXPECT_EQ(GetFolderOfPath("a.zem"), "");
    EXPECT_EQ(GetTempFolder(), folder.path() + "tmp/");
}

TEST_F(SharedPathsTest, FileSizeInKilobytes)
{
    struct Case {
        std::uintmax_t bytes;
        const char* text;
    } cases[] = {
        {1536, "1.50"}, {1500 * 1024, "1,500.00"}, {0, "0.00"}, {999 * 1024, "999.00"},
        {1264197519, "1,234,567.89"},  // sparse, so nothing is written
    };
    for (const Case& c : cases) {
        const std::string file = folder / "size.bin";
        WriteRaw(file, "");
        std::filesystem::resize_file(file, c.bytes);
        EXPECT_EQ(FormatFileSizeKB(file), c.text) << c.bytes;
    }
    EXPECT_EQ(FormatFileSizeKB(folder / "missing.bin"), "0");
    EXPECT_EQ(FormatFileSizeKB(folder.path()), "0");
}

TEST_F(SharedPathsTest, SanitizedNamesAreAlwaysUsableFileNames)
{
    std::string fortyChinese, thirtyChinese, thirtyOneChinese;
    for (int i = 0; i < 40; ++i) {
        fortyChinese += "课";
        if (i < 30)
            thirtyChinese += "课";
        if (i < 31)
            thirtyOneChinese += "课";
    }
    struct Case {
        std::string name;
        std::string expected;
    } cases[] = {
        {"初一/1班:语文", "初一-1班-语文"},
        {"a\\b*c?d", "a-b-c-d"},
        {"<一>[二]（三）", "(一)(二)(三)"},
        {"", "未命名"},
        {fortyChinese, thirtyChinese},
        {thirtyOneChinese, thirtyOneChinese},
        // Beyond the listed characters: nothing that leaves a folder or fails on Windows.
        {"说\"明\"|甲", "说-明--甲"},
        {"..", "未命名"},
        {"../../etc", ".-.-etc"},
        {"期末..", "期末"},
        {"备份 ", "备份"},
        {"CON", "CON_"},
        {"a\tb", "a-b"},
    };
    for (Case& c : cases) {
        std::string name = c.name;
        EXPECT_TRUE(SanitizeFileName(name));
        EXPECT_EQ(name, c.expected) << c.name;
        std::string message;
        EXPECT_TRUE(zem::CheckFileName(name, &message)) << name << ": " << message;
    }
}

TEST_F(SharedPathsTest, DeleteFolderTreeStaysInsideWhatItIsGiven)
{
    const std::string tree = folder / "tree/";
    WriteRaw(tree + "a/b/c.txt", "x");
    WriteRaw(folder / "keep.txt", "x");
    DeleteFolderTree(tree + "a/..");  // a ".." part is refused
    EXPECT_TRUE(zem::FileExists(tree + "a/b/c.txt"));
    DeleteFolderTree(folder.path() + "home");  // the home folder is refused
    EXPECT_TRUE(zem::FolderExists(folder.path() + "home/文档"));
    DeleteFolderTree(tree);
    EXPECT_FALSE(zem::FolderExists(tree));
    EXPECT_TRUE(zem::FileExists(folder / "keep.txt"));
}

TEST_F(SharedPathsTest, CopyFolderCopiesTheTree)
{
    WriteRaw(folder / "from/a/b.txt", "内容");
    EXPECT_EQ(CopyFolder(folder / "from", folder / "to"), 0);
    EXPECT_EQ(ReadRaw(folder / "to/a/b.txt"), "内容");
    EXPECT_NE(CopyFolder("D:\\from", folder / "to2"), 0);
}

}  // namespace
