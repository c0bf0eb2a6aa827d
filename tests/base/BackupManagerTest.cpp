#include "base/BackupManager.h"
#include "base/TaskFolder.h"

#include "support/GbkBytes.h"
#include "platform/Hooks.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A backup copy: a folder in Backup/ holding input.xml and, written last, its marker.
void MakeBackup(const TempFolder& task, const std::string& name, bool withInput = true, bool complete = true)
{
    fs::create_directories(task / ("Backup/" + name));
    if (withInput)
        WriteRaw(task / ("Backup/" + name + "/input.xml"), "<Root/>");
    if (complete)
        WriteRaw(task / ("Backup/" + name + "/" + TaskFolder::kBackupMarker), "");
}

void SetModified(const std::string& path, const zem::LocalTime& time)
{
    const auto seconds = std::chrono::seconds(zem::ToEpochSeconds(time));
    const auto sys = std::chrono::system_clock::time_point(seconds);
    fs::last_write_time(path, fs::file_time_type::clock::from_sys(sys));
}

// Each entry as "type|time|folder|description".
std::vector<std::string> Entries(const CBackupManager& manager)
{
    std::vector<const CBackupEntry*> entries;
    manager.GetAllBackups(entries);
    std::vector<std::string> texts;
    for (const CBackupEntry* e : entries)
        texts.push_back(zem::Format("%d|%s|%s|%s", static_cast<int>(e->m_type), e->m_strTime.c_str(),
                                    e->m_strFolder.c_str(), e->m_strDescription.c_str()));
    return texts;
}

TEST(BackupManager, InitReadsTheStoredListWholeAndDropsWhatIsGone)
{
    TempFolder task;
    MakeBackup(task, "20240302_101500");
    MakeBackup(task, "20240301");
    MakeBackup(task, "20240226_080000");
    const std::string longPath = "/srv/备份/" + std::string(300, 'p') + "/初二";
    const std::string ini =
        "[Backup]\r\n"
        "1=1|20240302101500|20240302_101500|自动排课前\r\n"
        "2=0|20240301120000|20240301|\r\n"           // no description
        "3=0|20240228120000|20240228|\r\n"           // its folder was deleted
        "4=2|20240227090000|" + longPath + "|手工备份\r\n"
        "5=1|20240226080000|20240226_080000|导入前|瑋琝的课表\r\n"
        "6=0|20240225000000|../Backup/20240301|\r\n"  // a day entry names a folder inside Backup only
        "7=0|20240224000000|..|\r\n"
        "8=7|20240223000000|20240301|\r\n"           // no such kind
        "9=0|20240222000000\r\n"
        "10=\r\n"
        "[Common]\r\n"
        "AutoBackupBeforeRestore=0\r\n";
    WriteRaw(task / "backup.ini", Gbk(ini));

    CBackupManager manager;
    manager.Init(task.path().substr(0, task.path().size() - 1));
    const std::vector<std::string> expected = {
        "1|20240302101500|20240302_101500|自动排课前",
        "0|20240301120000|20240301|",
        "2|20240227090000|" + longPath + "|手工备份",
        "1|20240226080000|20240226_080000|导入前|瑋琝的课表",
    };
    EXPECT_EQ(Entries(manager), expected);
    EXPECT_EQ(manager.GetAutoBackupPath(), task / "Backup");
    EXPECT_FALSE(manager.IsNeedAutoBackupBeforeRestore());
    // Reading writes nothing.
    EXPECT_EQ(ReadRaw(task / "backup.ini"), Gbk(ini));

    // A new entry goes to the head and the list is written back in full; read again it is the same.
    MakeBackup(task, "20240303_070000");
    MessageRecorder recorder;
    ASSERT_TRUE(manager.AddEntry(CBackupManager::TimedBackup, "20240303070000", "20240303_070000", "清空课表前"));
    std::vector<std::string> after = expected;
    after.insert(after.begin(), "1|20240303070000|20240303_070000|清空课表前");
    EXPECT_EQ(Entries(manager), after);
    CBackupManager reread;
    reread.Init(task.path());
    EXPECT_EQ(Entries(reread), after);
    EXPECT_FALSE(reread.IsNeedAutoBackupBeforeRestore());
    const std::string written = ReadRaw(task / "backup.ini");
    EXPECT_NE(written.find(Gbk("1=1|20240303070000|20240303_070000|清空课表前\r\n2=1|")), std::string::npos);
    EXPECT_NE(written.find("18=\r\n[Common]\r\n"), std::string::npos);

    reread.SetAutoBackupBeforeRestore(true);
    EXPECT_NE(ReadRaw(task / "backup.ini").find("AutoBackupBeforeRestore=1\r\n"), std::string::npos);
    EXPECT_TRUE(recorder.messages.empty());
}

TEST(BackupManager, OnlyCompleteBackupsAreListedAndOneTheListMissedIsAddedWhenNewer)
{
    TempFolder task;
    // Eight complete timed backups; the list holds the six newest but one, made just before the
    // program stopped. Two more never finished, and a manual one never finished either.
    std::string ini = "[Backup]\r\n";
    for (int i = 1; i <= 8; ++i) {
        const std::string name = zem::Format("20240301_0%d0000", i);
        MakeBackup(task, name);
        if (i >= 2 && i <= 7)
            ini += zem::Format("%d=1|202403010%d0000|%s|\r\n", 8 - i, i, name.c_str());
    }
    MakeBackup(task, "20240301_090000", true, false);
    MakeBackup(task, "20240302", true, false);
    MakeBackup(task, "手工", true, false);
    ini += "7=0|20240302090000|20240302|\r\n8=2|20240303000000|" + task / "Backup/手工" + "|\r\n";
    WriteRaw(task / "backup.ini", Gbk(ini));

    CBackupManager manager;
    manager.Init(task.path());
    std::vector<std::string> expected;
    for (int i = 8; i >= 3; --i)
        expected.push_back(zem::Format("1|202403010%d0000|20240301_0%d0000|", i, i));
    EXPECT_EQ(Entries(manager), expected);
    CBackupManager reread;
    reread.Init(task.path(), false);
    EXPECT_EQ(Entries(reread), expected);
}

TEST(BackupManager, WithoutBackupIniTheListIsRebuiltFromTheBackupFolder)
{
    TempFolder task;
    // Eight day copies whose modification times run against their names, so the time is seen to
    // come from the folder and not from its name. Of two equal times the later name comes first.
    for (int i = 1; i <= 8; ++i) {
        const std::string name = zem::Format("202401%02d", i);
        MakeBackup(task, name);
        SetModified(task / ("Backup/" + name), {2024, 2, 10 - i, 12, 0, 0});
    }
    for (int i = 1; i <= 7; ++i)
        MakeBackup(task, zem::Format("20240205_%02d0000", i + 8));
    MakeBackup(task, "20240209", false);          // no input.xml
    MakeBackup(task, "20240208", true, false);    // never finished
    MakeBackup(task, "2024020");                  // junk names
    MakeBackup(task, "20240205-100000");
    MakeBackup(task, "备份");
    WriteRaw(task / "Backup/20240210/x", "");     // holds no input.xml either
    WriteRaw(task / "Backup/20240211", "a file");

    // A task opened to be read only rebuilds the list but writes nothing.
    CBackupManager readOnly;
    readOnly.Init(task.path(), false);
    EXPECT_EQ(Entries(readOnly).size(), 12u);
    EXPECT_FALSE(fs::exists(task / "backup.ini"));

    CBackupManager manager;
    manager.Init(task.path());
    const std::vector<std::string> expected = {
        "0|20240209120000|20240101|", "0|20240208120000|20240102|", "0|20240207120000|20240103|",
        "0|20240206120000|20240104|", "1|20240205150000|20240205_150000|", "1|20240205140000|20240205_140000|",
        "1|20240205130000|20240205_130000|", "1|20240205120000|20240205_120000|",
        "0|20240205120000|20240105|", "1|20240205110000|20240205_110000|",
        "1|20240205100000|20240205_100000|", "0|20240204120000|20240106|",
    };
    EXPECT_EQ(Entries(manager), expected);
    EXPECT_TRUE(manager.IsNeedAutoBackupBeforeRestore());

    // The rebuilt list is stored, every key up to 18 present.
    std::string ini = "[Backup]\r\n";
    for (std::size_t i = 0; i < 18; ++i)
        ini += std::to_string(i + 1) + "=" + (i < expected.size() ? expected[i] : "") + "\r\n";
    EXPECT_EQ(ReadRaw(task / "backup.ini"), ini);
}

TEST(BackupManager, AFolderWithoutBackupsIsLeftAsItWas)
{
    TempFolder task;
    MakeBackup(task, "20240209", false);  // holds no input.xml: no backup
    CBackupManager manager;
    manager.Init(task.path());
    EXPECT_TRUE(Entries(manager).empty());
    EXPECT_FALSE(fs::exists(task / "backup.ini"));
}

TEST(BackupManager, EachKindKeepsItsSixNewestAndARepeatedFolderMovesToTheHead)
{
    TempFolder task;
    CBackupManager manager;
    manager.Init(task.path());
    for (int i = 1; i <= 8; ++i) {
        const std::string name = zem::Format("20240301_0%d0000", i);
        MakeBackup(task, name);
        ASSERT_TRUE(manager.AddEntry(CBackupManager::TimedBackup, zem::Format("202403010%d0000", i), name, ""));
    }
    MakeBackup(task, "20240301");
    ASSERT_TRUE(manager.AddEntry(CBackupManager::DayBackup, "20240301090000", "20240301", ""));
    ASSERT_TRUE(manager.AddEntry(CBackupManager::ManualBackup, "20240301100000", "/media/u盘/初二", "手工"));
    // A day copy whose folder is not there is not listed.
    ASSERT_TRUE(manager.AddEntry(CBackupManager::DayBackup, "20240302090000", "20240302", ""));
    // Taking the same day copy again moves it to the head.
    ASSERT_TRUE(manager.AddEntry(CBackupManager::DayBackup, "20240301110000", "20240301", ""));

    const std::vector<std::string> expected = {
        "0|20240301110000|20240301|",        "2|20240301100000|/media/u盘/初二|手工",
        "1|20240301080000|20240301_080000|", "1|20240301070000|20240301_070000|",
        "1|20240301060000|20240301_060000|", "1|20240301050000|20240301_050000|",
        "1|20240301040000|20240301_040000|", "1|20240301030000|20240301_030000|",
    };
    EXPECT_EQ(Entries(manager), expected);
    CBackupManager reread;
    reread.Init(task.path());
    EXPECT_EQ(Entries(reread), expected);

    // Text backup.ini cannot hold is refused before anything changes.
    MessageRecorder recorder;
    EXPECT_FALSE(manager.AddEntry(CBackupManager::ManualBackup, "20240301120000", "/media/😀", ""));
    EXPECT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(Entries(manager), expected);
}

}  // namespace
