#include "base/ScheduleTask.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Files.h"
#include "platform/Hooks.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// A clock the test moves by hand, and a fresh backup state for the process.
class FakeClock {
public:
    FakeClock()
    {
        zem::SetClockHook([this] { return now_; });
        CScheduleTask::ResetAutoBackupStateForTesting();
    }
    ~FakeClock()
    {
        zem::SetClockHook({});
        CScheduleTask::ResetAutoBackupStateForTesting();
    }
    void Set(int year, int month, int day, int hour, int minute, int second = 0)
    {
        now_ = zem::LocalTime{year, month, day, hour, minute, second};
        now_ = zem::FromEpochSeconds(zem::ToEpochSeconds(now_));
    }
    void Advance(std::int64_t seconds) { now_ = zem::FromEpochSeconds(zem::ToEpochSeconds(now_) + seconds); }

private:
    zem::LocalTime now_;
};

// Fails every write into the Backup folder as a full disk would, while it lives.
class FullBackupDisk {
public:
    FullBackupDisk()
        : previous_(zem::SetFileWriteFaultHook(
              [](const std::string& path) { return path.find("/Backup/") != std::string::npos ? ENOSPC : 0; }))
    {
    }
    ~FullBackupDisk() { zem::SetFileWriteFaultHook(previous_); }

private:
    zem::FileWriteFaultHook previous_;
};

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 3600;

class AutoBackupTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder = tmp / "任务/";
        WriteRaw(folder + "input.xml", "<in/>");
        WriteRaw(folder + "output.xml", "<out/>");
        WriteRaw(folder + "task.ini", "[Task]\r\n");
        WriteRaw(folder + "temp/t1/input.xml", "<temp/>");
        WriteRaw(folder + "proctor/p1/in.xml", "<proctor/>");
        task.GetTaskInfo().SetTaskFolder(folder);
        clock.Set(2024, 3, 4, 0, 20);
    }

    std::string Backup(const std::string& name) const { return folder + "Backup/" + name + "/"; }
    std::vector<std::string> BackupFolders() const
    {
        std::vector<zem::FolderEntry> entries;
        zem::ListFolder(folder + "Backup", entries);
        std::vector<std::string> names;
        for (const zem::FolderEntry& entry : entries)
            if (entry.isFolder)
                names.push_back(entry.name);
        return names;
    }
    int EntriesOfType(CBackupManager::Type type)
    {
        std::vector<const CBackupEntry*> entries;
        task.GetBackupManager().GetAllBackups(entries);
        int count = 0;
        for (const CBackupEntry* entry : entries)
            count += entry->m_type == type ? 1 : 0;
        return count;
    }

    TempFolder tmp;
    FakeClock clock;
    std::string folder;
    CScheduleTask task;
};

TEST_F(AutoBackupTest, DayBackupAtMostHourly)
{
    // The first backup of the run is made even in the day's first hour.
    EXPECT_TRUE(task.AutoBackup(false, "", false));
    const std::string day = Backup("20240304");
    EXPECT_EQ(ReadRaw(day + "input.xml"), "<in/>");
    EXPECT_EQ(ReadRaw(day + "output.xml"), "<out/>");
    EXPECT_EQ(ReadRaw(day + "task.ini"), "[Task]\r\n");
    EXPECT_EQ(ReadRaw(day + "temp/t1/input.xml"), "<temp/>");
    EXPECT_EQ(ReadRaw(day + "proctor/p1/in.xml"), "<proctor/>");
    EXPECT_FALSE(zem::FileExists(day + "backup.ini"));
    std::vector<const CBackupEntry*> entries;
    task.GetBackupManager().GetAllBackups(entries);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->m_strTime, "20240304002000");
    EXPECT_EQ(entries[0]->m_strFolder, "20240304");

    clock.Advance(30 * kMinute);
    WriteRaw(folder + "input.xml", "<in2/>");
    EXPECT_FALSE(task.AutoBackup(false, "", false));
    EXPECT_EQ(ReadRaw(day + "input.xml"), "<in/>");
    clock.Advance(29 * kMinute);
    EXPECT_FALSE(task.AutoBackup(false, "", false));
    clock.Advance(1 * kMinute);  // a full hour since the backup
    EXPECT_TRUE(task.AutoBackup(false, "", false));
    EXPECT_EQ(ReadRaw(day + "input.xml"), "<in2/>");  // the day's copy refreshed in place

    // A whole day and a half hour later: more than an hour in total.
    clock.Advance(24 * kHour + 30 * kMinute);
    EXPECT_TRUE(task.AutoBackup(false, "", false));
    EXPECT_TRUE(zem::FileExists(Backup("20240305") + "input.xml"));
    EXPECT_EQ(EntriesOfType(CBackupManager::DayBackup), 2);
}

TEST_F(AutoBackupTest, SixDayBackupsKept)
{
    clock.Set(2024, 3, 1, 9, 0);
    ASSERT_TRUE(task.AutoBackup(true, "自动排课前", false));
    for (int day = 4; day <= 10; ++day) {
        clock.Set(2024, 3, day, 10, 0);
        ASSERT_TRUE(task.AutoBackup(false, "", false)) << day;
    }
    const std::vector<std::string> expected = {"20240301_090000", "20240305", "20240306", "20240307",
                                               "20240308", "20240309", "20240310"};
    EXPECT_EQ(BackupFolders(), expected);  // the oldest day went with all it held
    EXPECT_EQ(EntriesOfType(CBackupManager::DayBackup), 6);
    EXPECT_EQ(EntriesOfType(CBackupManager::TimedBackup), 1);
}

TEST_F(AutoBackupTest, KeysAndOncePerKey)
{
    EXPECT_TRUE(task.AutoBackup(true, "清空教学计划前", true));
    clock.Advance(5);
    EXPECT_FALSE(task.AutoBackup(true, "清空教学计划前", true));
    clock.Advance(5);
    EXPECT_TRUE(task.AutoBackup(true, "自动排课前", false));
    clock.Advance(5);
    EXPECT_TRUE(task.AutoBackup(true, "自动排课前", false));
    EXPECT_EQ(BackupFolders(), (std::vector<std::string>{"20240304_002000", "20240304_002010", "20240304_002015"}));
    std::vector<const CBackupEntry*> entries;
    task.GetBackupManager().GetAllBackups(entries);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0]->m_strDescription, "自动排课前");
    EXPECT_EQ(entries[2]->m_strDescription, "清空教学计划前");
    // Timed backups with keys leave the hourly day backup free to run.
    EXPECT_TRUE(task.AutoBackup(false, "", false));
}

TEST_F(AutoBackupTest, FailedBackupIsSaidOnceWithItsReasonAndTriedAgain)
{
    MessageRecorder recorder;
    WriteRaw(folder + "Backup", "not a folder");
    EXPECT_FALSE(task.AutoBackup(false, "", false));
    EXPECT_FALSE(task.AutoBackup(true, "反导入前", true));
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"自动备份未能完成，排课任务的文件没有备份。\n\n"
                                                         "无法创建文件夹，已有同名的文件：" + folder + "Backup"});
    fs::remove(folder + "Backup");
    clock.Advance(10 * kMinute);
    EXPECT_TRUE(task.AutoBackup(false, "", false));
    EXPECT_TRUE(task.AutoBackup(true, "反导入前", true));

    // A full disk during the copy: said once, the half-made copy gone; after a backup that
    // worked, a new failure is said again.
    recorder.messages.clear();
    {
        FullBackupDisk full;
        clock.Advance(5);
        EXPECT_FALSE(task.AutoBackup(true, "自动排课前", false));
        clock.Advance(5);
        EXPECT_FALSE(task.AutoBackup(false, "", false));
    }
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.Texts()[0].rfind("“自动排课前”的备份未能完成，排课任务的文件没有备份。\n\n", 0), 0u);
    EXPECT_NE(recorder.Texts()[0].find("磁盘空间不足"), std::string::npos) << recorder.Texts()[0];
    EXPECT_EQ(recorder.messages[0].icon, zem::MessageIcon::Warning);
    EXPECT_EQ(BackupFolders().size(), 2u);
    clock.Advance(5);
    EXPECT_TRUE(task.AutoBackup(true, "自动排课前", false));
    {
        FullBackupDisk full;
        clock.Advance(5);
        EXPECT_FALSE(task.AutoBackup(true, "自动排课前", false));
    }
    EXPECT_EQ(recorder.messages.size(), 2u);
    recorder.messages.clear();

    // A task whose input cannot be copied makes no backup.
    clock.Advance(2 * kHour);
    fs::remove(folder + "input.xml");
    EXPECT_FALSE(task.AutoBackup(false, "", false));
    WriteRaw(folder + "input.xml", "<in/>");
    EXPECT_TRUE(task.AutoBackup(false, "", false));
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(AutoBackupTest, NewTaskBeforeItsFirstSaveMakesNoFolders)
{
    fs::remove(folder + "input.xml");
    EXPECT_FALSE(task.AutoBackup(false, "", false));
    EXPECT_FALSE(task.AutoBackup(true, "自动排课前", false));
    EXPECT_FALSE(fs::exists(folder + "Backup"));

    // A copy that fails half-way leaves no new folder behind, to be listed later.
    WriteRaw(folder + "input.xml", "<in/>");
    fs::remove(folder + "output.xml");
    fs::create_directory(folder + "output.xml");  // a folder where the file should be
    EXPECT_FALSE(task.AutoBackup(true, "自动排课前", false));
    EXPECT_TRUE(BackupFolders().empty());
}

TEST_F(AutoBackupTest, TaskWithoutFolderMakesNoBackup)
{
    CScheduleTask unsaved;
    const fs::path here = fs::current_path();
    fs::current_path(tmp.path());
    EXPECT_FALSE(unsaved.AutoBackup(false, "", false));
    fs::current_path(here);
    EXPECT_FALSE(fs::exists(tmp / "Backup"));
}

TEST_F(AutoBackupTest, SyncTaskFiles)
{
    const std::string target = tmp / "copy";
    WriteRaw(target + "/output.xml", "<old/>");
    WriteRaw(target + "/report.txt", "kept");
    fs::remove(folder + "output.xml");
    std::string error;
    EXPECT_TRUE(CScheduleTask::SyncTaskFiles(folder, target, &error));
    EXPECT_FALSE(fs::exists(target + "/output.xml"));
    EXPECT_EQ(ReadRaw(target + "/input.xml"), "<in/>");
    EXPECT_EQ(ReadRaw(target + "/temp/t1/input.xml"), "<temp/>");
    EXPECT_EQ(ReadRaw(target + "/proctor/p1/in.xml"), "<proctor/>");
    EXPECT_EQ(ReadRaw(target + "/report.txt"), "kept");

    struct Case {
        const char* name;
        std::function<void()> damage;
        const char* error;
    };
    const Case cases[] = {
        {"no input", [&] { fs::remove(folder + "input.xml"); }, "copy input.xml failed"},
        {"target output is a folder",
         [&] {
             WriteRaw(folder + "output.xml", "<out/>");
             fs::create_directories(target + "/output.xml/x");
         },
         "copy output.xml failed"},
        {"target output cannot go", [&] { fs::create_directories(target + "/output.xml/x"); },
         "sync delete dest output.xml failed"},
    };
    for (const Case& c : cases) {
        SetUp();
        fs::remove(folder + "output.xml");
        fs::remove_all(target + "/output.xml");
        c.damage();
        error.clear();
        EXPECT_FALSE(CScheduleTask::SyncTaskFiles(folder, target, &error)) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
        EXPECT_FALSE(CScheduleTask::SyncTaskFiles(folder, target, nullptr)) << c.name;
        fs::remove_all(folder + "output.xml");
    }
}

}  // namespace
