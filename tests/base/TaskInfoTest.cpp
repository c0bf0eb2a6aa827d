#include "base/ConfigHost.h"
#include "base/TaskInfo.h"

#include "support/GbkBytes.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(TaskInfo, PathsFollowTheFolder)
{
    struct Case {
        const char* folder;
        const char* stored;
        const char* parent;
    };
    const Case cases[] = {
        {"/srv/排课/初二/", "/srv/排课/初二/", "/srv/排课/"},
        {"/srv/排课/初二", "/srv/排课/初二/", "/srv/排课/"},
        {"/初二/", "/初二/", "/初二"},
        {"tasks/初二/", "tasks/初二/", "tasks/"},
        {"初二", "初二/", "初二"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        CTaskInfo info;
        info.SetTaskName("初二年级");
        info.SetTaskFolder(c.folder);
        EXPECT_EQ(info.GetTaskFolder(), c.stored) << c.folder;
        EXPECT_EQ(info.GetParentFolder(), c.parent) << c.folder;
        const std::string folder = c.stored;
        EXPECT_EQ(info.GetTaskFile(), folder + "初二年级.zem") << c.folder;
        EXPECT_EQ(info.GetInputFilePath(), folder + "input.xml") << c.folder;
        EXPECT_EQ(info.GetOutputFilePath(), folder + "output.xml") << c.folder;
        EXPECT_EQ(info.GetTempFolder(), folder + "temp/") << c.folder;
        EXPECT_EQ(info.GetProctorFolder(), folder + "proctor/") << c.folder;
    }
}

TEST(TaskInfo, ReadsAWindowsTaskFileAndRewritesOnlyTheNameLine)
{
    TempFolder folder;
    const std::string path = folder / "初二.zem";
    const std::string original = ReadRaw(std::string(ZEM_TEST_DATA_DIR) + "/task/windows.zem");
    WriteRaw(path, original);

    CTaskInfo info;
    ASSERT_TRUE(info.ReadFromFile(path));
    // Section and key names ignore case and the first of a duplicate key wins.
    EXPECT_EQ(info.GetTaskName(), "初二年级 喆堃");
    EXPECT_EQ(info.GetTaskAuthor(), "张玥 ");
    EXPECT_EQ(info.GetCreateDate(), "2023-09-01 08:30:00");
    // Read whole, well past 259 bytes, with the second byte of 瑋 being '|' in GBK.
    const std::string description = info.GetDescription();
    EXPECT_EQ(Gbk(description).size(), 312u);
    const std::string end = "瑋琝两位老师的跨班课。";
    EXPECT_EQ(description.substr(description.size() - end.size()), end);
    EXPECT_EQ(info.GetTaskFolder(), folder.path());
    // The task file stays the file it was read from, whatever the name says.
    EXPECT_EQ(info.GetTaskFile(), path);
    EXPECT_TRUE(info.HasSaved());

    info.SetTaskName("初二年级（新）");
    MessageRecorder recorder;
    ASSERT_TRUE(info.WriteToFile());
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(ReadRaw(path), ReplaceOnce(original, "name=初二年级 喆堃", "name=初二年级（新）"));
    EXPECT_FALSE(std::filesystem::exists(folder / "初二年级（新）.zem"));
}

TEST(TaskInfo, NewTaskFileHoldsTheFourKeysInOrder)
{
    TempFolder folder;
    CTaskInfo info;
    info.SetTaskFolder(folder.path());
    info.SetTaskName("高一 瑋");
    info.SetTaskAuthor("教务处");
    info.SetCreateDate("2024-02-20 09:00:00");
    ASSERT_TRUE(info.WriteToFile());
    EXPECT_EQ(ReadRaw(folder / "高一 瑋.zem"),
              Gbk("[Task Info]\r\nName=高一 瑋\r\nCreator=教务处\r\nCreateTime=2024-02-20 09:00:00\r\nDescription=\r\n"));

    CTaskInfo back;
    ASSERT_TRUE(back.ReadFromFile(folder / "高一 瑋.zem"));
    EXPECT_EQ(back.GetTaskName(), "高一 瑋");
    EXPECT_EQ(back.GetTaskAuthor(), "教务处");
    EXPECT_EQ(back.GetDescription(), "");

    CTaskInfo missing;
    EXPECT_FALSE(missing.ReadFromFile(folder / "none.zem"));
    EXPECT_EQ(missing.GetTaskName(), "");
    EXPECT_EQ(missing.GetTaskFile(), folder / "none.zem");
}

TEST(TaskInfo, WriteRefusesANameThatWouldLeaveTheFolderAndWritesNothing)
{
    TempFolder folder;
    const char* names[] = {"", "../初二", "a/b", "初二.", "C:任务", "NUL"};
    for (const char* name : names) {
        MessageRecorder recorder;
        CTaskInfo info;
        info.SetTaskFolder(folder / "tasks");
        info.SetTaskName(name);
        EXPECT_FALSE(info.WriteToFile()) << name;
        // A task without a name is simply not written; the others are refused with a reason.
        EXPECT_EQ(recorder.messages.size(), *name ? 1u : 0u) << name;
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));

    MessageRecorder recorder;
    CTaskInfo info;
    info.SetTaskFolder(folder / "gone");
    info.SetTaskName("初二");
    EXPECT_FALSE(info.WriteToFile());
    EXPECT_EQ(recorder.Texts(),
              std::vector<std::string>{"无法写入文件：\n" + folder.path() + "gone/初二.zem\n（文件夹不存在）"});
}

TEST(ConfigHost, TypedValuesGoStraightToTheFile)
{
    TempFolder folder;
    CConfigHost host;
    host.SetConfigFile(folder / "task.ini");
    EXPECT_EQ(host.GetConfig("Proctor", "Name", "默认"), "默认");
    EXPECT_EQ(host.GetConfigInt("Proctor", "ShowTeacherTag", 7), 7);

    ASSERT_TRUE(host.SetConfigInt("WeekTable", "LastView0", -42));
    ASSERT_TRUE(host.SetConfig("Proctor", "Name", "期中考试 堃"));
    const std::string longValue(1500, 'x');
    ASSERT_TRUE(host.SetConfig("MultiTable", "Ids", longValue));
    EXPECT_EQ(ReadRaw(folder / "task.ini"),
              Gbk("[WeekTable]\r\nLastView0=-42\r\n[Proctor]\r\nName=期中考试 堃\r\n[MultiTable]\r\nIds=") + longValue +
                  "\r\n");

    // A second host on the same file sees every write: nothing is cached.
    CConfigHost other(host);
    EXPECT_EQ(other.GetConfigInt("weektable", "lastview0", 0), -42);
    EXPECT_EQ(other.GetConfig("Proctor", "Name", ""), "期中考试 堃");
    EXPECT_EQ(other.GetConfig("MultiTable", "Ids", ""), longValue);
    ASSERT_TRUE(host.SetConfigInt("WeekTable", "LastView0", 3));
    EXPECT_EQ(other.GetConfigInt("WeekTable", "LastView0", 0), 3);
}

}  // namespace
