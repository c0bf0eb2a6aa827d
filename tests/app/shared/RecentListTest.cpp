// The most-recently-used list of task files, kept in an ini file.
#include "app/shared/RecentList.h"
#include "platform/IniFile.h"
#include "support/GbkBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

std::vector<std::string> Entries(const CRecentList& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.GetCount(); ++i)
        out.push_back(list.GetAt(i));
    return out;
}

TEST(RecentList, AddMovesTheSameFileToTheFrontAndKeepsTenEntries)
{
    TempFolder folder;
    const std::string ini = folder / "zem.ini";
    CRecentList list;
    list.Init(ini, "Recently Tasks", 10);
    for (int i = 1; i <= 10; ++i)
        ASSERT_TRUE(list.Add(folder.path() + "任务" + std::to_string(i) + "/任务.zem"));
    EXPECT_EQ(list.GetAt(0), folder.path() + "任务10/任务.zem");

    // The eleventh drops the oldest.
    list.Add(folder.path() + "任务11/任务.zem");
    EXPECT_EQ(list.GetCount(), 10);
    EXPECT_EQ(list.GetAt(9), folder.path() + "任务2/任务.zem");
    for (int key = 1; key <= 10; ++key)
        EXPECT_FALSE(zem::GetProfileString(ini, "Recently Tasks", std::to_string(key)).empty()) << key;
    EXPECT_NE(ReadRaw(ini).find("\r\n11=\r\n"), std::string::npos);

    // The same file written another way moves up instead of showing twice.
    list.Add(folder.path() + "任务5/./任务.zem");
    EXPECT_EQ(list.GetCount(), 10);
    EXPECT_EQ(list.Find(folder.path() + "任务5/任务.zem"), 0);

    // A reload reads what was saved.
    CRecentList again;
    again.Init(ini, "recently tasks", 10);
    EXPECT_EQ(Entries(again), Entries(list));
}

TEST(RecentList, SameEntryRules)
{
    struct Case {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"/home/a/任务.zem", "/home/a/任务.zem", true},
        {"/home/a/任务.zem", "/home/a/../a/任务.zem", true},
        {"/home/a/Task.zem", "/home/a/task.zem", false},     // letter case names another file here
        {"D:\\排课\\任务A\\Task.zem", "d:\\排课\\任务A\\TASK.zem", true},  // written on Windows
        {"D:\\排课\\任务A\\Task.zem", "D:/排课/任务A/Task.zem", true},
        {"D:\\排课\\A.zem", "/排课/A.zem", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CRecentList::IsSameEntry(c.a, c.b), c.same) << c.a << " | " << c.b;
}

TEST(RecentList, ACaseOnlyDuplicateOfAWindowsPathMovesToTheFrontWithTheNewCase)
{
    TempFolder folder;
    CRecentList list;
    list.Init(folder / "zem.ini", "Recently Tasks", 10);
    list.Add("D:\\排课\\任务A\\任务A.zem");
    list.Add("/tmp/b.zem");
    list.Add("d:\\排课\\任务a\\任务A.ZEM");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"d:\\排课\\任务a\\任务A.ZEM", "/tmp/b.zem"}));
}

TEST(RecentList, LoadStopsAtTheFirstEmptyKeyAndKeepsWindowsPathsAsText)
{
    TempFolder folder;
    const std::string ini = folder / "zem.ini";
    WriteRaw(ini, Gbk("[Recently Tasks]\r\n1=D:\\排课\\任务A\\任务A.zem\r\n2=/tmp/b.zem\r\n3=\r\n4=/tmp/c.zem\r\n"));
    CRecentList list;
    list.Init(ini, "Recently Tasks", 10);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"D:\\排课\\任务A\\任务A.zem", "/tmp/b.zem"}));
    EXPECT_EQ(list.GetAt(2), "");
    EXPECT_EQ(list.GetAt(-1), "");

    list.RemoveAt(0);
    ASSERT_TRUE(list.Save());
    EXPECT_EQ(ReadRaw(ini), Gbk("[Recently Tasks]\r\n1=/tmp/b.zem\r\n2=\r\n3=\r\n4=/tmp/c.zem\r\n"));
}

TEST(RecentList, AFailedSaveIsReportedWithItsReason)
{
    TempFolder folder;
    const std::string ini = folder / "zem.ini";
    WriteRaw(ini, "[Recently Tasks]\r\n");
    ASSERT_EQ(::chmod(ini.c_str(), 0444), 0);
    CRecentList list;
    list.Init(ini, "Recently Tasks", 10);
    EXPECT_FALSE(list.Add("/tmp/a.zem"));
    EXPECT_FALSE(list.GetLastError().empty());
    EXPECT_EQ(ReadRaw(ini), "[Recently Tasks]\r\n");
    ::chmod(ini.c_str(), 0644);
}

}  // namespace
