// Backing the open task up into a folder of the user's choice, restoring a backup, and clearing
// timetables.
#include "support/TaskFolderTest.h"
#include "support/MessageRecorder.h"
#include "app/shell/BackupDlg.h"
#include "app/shell/BackupRestoreDlg.h"
#include "app/shell/ClearTimetableDlg.h"
#include "app/shell/TaskRename.h"
#include "app/shell/TaskRestore.h"
#include "platform/IniFile.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/PopupMenu.h"
#include "platform/gui/ReportList.h"
#include "platform/gui/Timers.h"
#include "app/controls/MultiSelectDlg.h"
#include "platform/gui/ItemList.h"

#include <QCheckBox>

#include <sys/stat.h>

#include <functional>

using zem::gui::Dialog;

namespace {

// The task's own files, without its backups and what a restore puts aside.
std::map<std::string, std::string> CoreFiles(const std::string& taskFolder)
{
    std::map<std::string, std::string> files = FilesIn(taskFolder);
    std::erase_if(files, [](const auto& file) {
        return file.first == "backup.ini" || file.first.rfind("Backup/", 0) == 0 || file.first.rfind(".", 0) == 0;
    });
    return files;
}

std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<zem::FolderEntry> entries;
    zem::ListFolder(folder, entries);
    std::vector<std::string> names;
    for (const zem::FolderEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}

std::vector<CBackupEntry> Entries(CScheduleTask* task)
{
    std::vector<const CBackupEntry*> entries;
    task->GetBackupManager().GetAllBackups(entries);
    std::vector<CBackupEntry> copies;
    for (const CBackupEntry* entry : entries)
        copies.push_back(*entry);
    return copies;
}

class BackupTest : public TaskFolderTest {
protected:
    // Runs the backup dialog from its launcher; `act` works it once it is shown.
    void RunBackup(const std::function<void(CBackupDlg&)>& act)
    {
        ModalScope modal([&](Dialog& shown) {
            auto* dialog = dynamic_cast<CBackupDlg*>(&shown);
            ASSERT_NE(dialog, nullptr);
            dialog->Item<QCheckBox>(CBackupDlg::IDC_OPEN_AFTER)->setChecked(false);
            act(*dialog);
        });
        CAppContext::Get()->ShowBackupDialog();
    }

    std::string Target() const { return folder.path() + "备份盘/"; }
};

}  // namespace

TEST_F(BackupTest, TheTaskIsCopiedIntoAFolderNamedByTheMinuteAndListedAsAManualBackup)
{
    zem::gui::FakeClock clock;  // 2026-03-05 08:07:00
    OpenSchool();
    ASSERT_TRUE(zem::MakeFolder(Target()));
    std::string opened;
    const zem::gui::OpenHook previousOpen = zem::gui::SetOpenHook([&](const std::string& target) {
        opened = target;
        return zem::gui::kOpenDone;
    });
    ScriptedMessages messages;
    ModalScope modal([&](Dialog& shown) {
        EXPECT_EQ(shown.GetDlgItemText(CBackupDlg::IDC_TASK_FOLDER), TaskFolder());
        EXPECT_EQ(shown.GetDlgItemText(CBackupDlg::IDC_TARGET_FOLDER), Documents());
        EXPECT_EQ(shown.GetDlgItemText(CBackupDlg::IDC_FOLDER_NAME), "初二_202603050807");
        SaveScreenshot(&shown, "backup-dialog");
        shown.SetDlgItemText(CBackupDlg::IDC_TARGET_FOLDER, Target());
        shown.SendCommand(zem::IDOK);
        EXPECT_TRUE(shown.IsEnded());
    });
    CAppContext::Get()->ShowBackupDialog();
    zem::gui::SetOpenHook(previousOpen);

    const std::string destination = Target() + "初二_202603050807/";
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"备份成功"});
    EXPECT_EQ(NamesIn(Target()), std::vector<std::string>{"初二_202603050807"});
    const std::map<std::string, std::string> copied = FilesIn(destination);
    EXPECT_TRUE(copied == CoreFiles(TaskFolder()));
    EXPECT_TRUE(copied.count("初二.zem") && copied.count("output.xml") && copied.count("temp/调课/调课.zem") &&
                copied.count("proctor/期中/in.xml"));
    const std::vector<CBackupEntry> entries = Entries(Task());
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries[0].m_type, CBackupManager::ManualBackup);
    EXPECT_EQ(entries[0].m_strTime, "20260305080700");
    EXPECT_EQ(entries[0].m_strFolder, destination);
    EXPECT_EQ(zem::GetProfileString(TaskFolder() + "backup.ini", "Backup", "1"), "2|20260305080700|" + destination + "|");
    EXPECT_EQ(opened, destination);
}

TEST_F(BackupTest, AnExistingFolderIsReplacedWholeOnlyWhenTheUserSaysYes)
{
    OpenSchool();
    const std::string destination = Target() + "备份/";
    WriteRaw(destination + "stale.txt", "old");
    const std::size_t listed = Entries(Task()).size();
    const std::string question = "备份位置已经存在同名的文件夹，要将其覆盖吗";

    ScriptedMessages no({zem::IDNO});
    RunBackup([&](CBackupDlg& dialog) {
        dialog.SetDlgItemText(CBackupDlg::IDC_TARGET_FOLDER, Target());
        dialog.SetDlgItemText(CBackupDlg::IDC_FOLDER_NAME, "备份");
        dialog.SendCommand(zem::IDOK);
        EXPECT_FALSE(dialog.IsEnded());
        dialog.EndDialog(zem::IDCANCEL);
    });
    EXPECT_EQ(no.Texts(), std::vector<std::string>{question});
    EXPECT_EQ(FilesIn(destination), (std::map<std::string, std::string>{{"stale.txt", "old"}}));
    EXPECT_EQ(Entries(Task()).size(), listed);

    ScriptedMessages yes({zem::IDYES});
    RunBackup([&](CBackupDlg& dialog) {
        dialog.SetDlgItemText(CBackupDlg::IDC_TARGET_FOLDER, Target());
        dialog.SetDlgItemText(CBackupDlg::IDC_FOLDER_NAME, "备份");
        dialog.SendCommand(zem::IDOK);
    });
    EXPECT_EQ(yes.Texts(), (std::vector<std::string>{question, "备份成功"}));
    EXPECT_TRUE(FilesIn(destination) == CoreFiles(TaskFolder()));
    EXPECT_EQ(NamesIn(Target()), std::vector<std::string>{"备份"});
    EXPECT_EQ(Entries(Task()).size(), listed + 1);
}

TEST_F(BackupTest, RefusedBackupsLeaveNothingBehindAndKeepTheDialogOpen)
{
    OpenSchool();
    ASSERT_TRUE(zem::MakeFolder(Target()));
    struct Case {
        const char* what;
        std::function<std::string()> target;
        std::string name;
        std::string message;  // empty: the name check's own message
    };
    const std::vector<Case> cases = {
        {"the task folder", [&] { return TaskFolder(); }, "备份", "不能备份到排课任务文件夹内部"},
        {"below the task folder", [&] { return TaskFolder() + "temp"; }, "备份", "不能备份到排课任务文件夹内部"},
        {"the task folder by its own name", [&] { return folder.path() + "tasks/"; }, "初二",
         "不能备份到排课任务文件夹内部"},
        {"a blank name", [&] { return Target(); }, "  ", "备份文件夹名不能为空"},
        {"a name with a separator", [&] { return Target(); }, "a/b", ""},
        {"a task without input.xml", [&] {
             zem::RemoveFile(TaskFolder() + "input.xml");
             return Target();
         },
         "备份", "备份input.xml文件失败\r\n\r\n找不到要备份的当前排课任务文件！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t listed = Entries(Task()).size();
        const std::string target = c.target();
        const auto before = FilesIn(folder.path() + "tasks/");
        ScriptedMessages messages;
        RunBackup([&](CBackupDlg& dialog) {
            dialog.SetDlgItemText(CBackupDlg::IDC_TARGET_FOLDER, target);
            dialog.SetDlgItemText(CBackupDlg::IDC_FOLDER_NAME, c.name);
            dialog.SendCommand(zem::IDOK);
            EXPECT_FALSE(dialog.IsEnded());
            dialog.EndDialog(zem::IDCANCEL);
        });
        ASSERT_EQ(messages.messages.size(), 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(messages.messages[0].text, c.message);
        }
        EXPECT_TRUE(NamesIn(Target()).empty());
        EXPECT_TRUE(FilesIn(folder.path() + "tasks/") == before);
        EXPECT_EQ(Entries(Task()).size(), listed);
    }
}

TEST_F(BackupTest, APieceThatCannotBeCopiedIsNamedInAWarning)
{
    OpenSchool();
    ASSERT_TRUE(zem::MakeFolder(Target()));
    // A pipe is no file that a copy can take.
    ASSERT_EQ(::mkfifo((TaskFolder() + "temp/pipe").c_str(), 0600), 0);
    ScriptedMessages messages;
    RunBackup([&](CBackupDlg& dialog) {
        dialog.SetDlgItemText(CBackupDlg::IDC_TARGET_FOLDER, Target());
        dialog.SetDlgItemText(CBackupDlg::IDC_FOLDER_NAME, "备份");
        dialog.SendCommand(zem::IDOK);
        EXPECT_TRUE(dialog.IsEnded());
    });
    ASSERT_EQ(messages.Texts(), std::vector<std::string>{"备份完成，但以下内容未能复制：temp"});
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Warning);
    EXPECT_EQ(ReadRaw(Target() + "备份/input.xml"), ReadRaw(TaskFolder() + "input.xml"));
    EXPECT_EQ(Entries(Task()).front().m_strFolder, Target() + "备份/");
}

// ---- Restore ----

namespace {

class RestoreTest : public TaskFolderTest {
protected:
    // Changes every piece of the task: one more class, no lessons, other settings, a new
    // temporary task.
    void ChangeTask()
    {
        auto* cls = new CClassInfo;
        cls->SetId("c9");
        cls->SetName("九班");
        Task()->GetClassInfoList().Add(cls);
        ASSERT_TRUE(Task()->SaveInputData());
        CTaskHelper helper(Task());
        helper.ClearTimetables(CTaskHelper::kClearAll, {});
        ASSERT_TRUE(helper.SaveTempTables());
        WriteRaw(TaskFolder() + "task.ini", "[WeekTable]\r\nLastView0=c9\r\n");
        WriteRaw(TaskFolder() + "temp/新/新.zem", "[Task Info]\r\nName=新\r\n");
    }

    int RowOf(zem::gui::ReportList& list, int column, const std::string& text)
    {
        for (int row = 0; row < list.GetItemCount(); ++row)
            if (list.GetItemText(row, column) == text)
                return row;
        return -1;
    }
};

}  // namespace

TEST_F(RestoreTest, ARestoredTaskHoldsTheBackupsFilesAndTheStateBeforeIsKept)
{
    zem::gui::FakeClock clock;
    OpenSchool();
    ASSERT_TRUE(Task()->AutoBackup(true, "测试", false));
    const auto backedUp = CoreFiles(TaskFolder());
    clock.Advance(60'000);
    ChangeTask();
    const auto changed = CoreFiles(TaskFolder());
    ASSERT_NE(changed, backedUp);
    ASSERT_TRUE(Task()->GetBackupManager().AddEntry(CBackupManager::ManualBackup, "2025-1-1", folder.path() + "gone/", ""));

    ScriptedMessages messages;
    ModalScope modal([&](Dialog& shown) {
        auto& dialog = dynamic_cast<CBackupRestoreDlg&>(shown);
        zem::gui::ReportList& list = *dialog.GetList();
        EXPECT_FALSE(dialog.IsItemEnabled(zem::IDOK));
        const int missing = RowOf(list, 1, "2025-1-1");
        ASSERT_GE(missing, 0);
        EXPECT_EQ(list.GetItemText(missing, 0), "1");
        EXPECT_EQ(list.GetItemText(missing, 3), "备份文件不存在，可能被移动或删除");
        list.SetSelected(missing, true);
        EXPECT_FALSE(dialog.IsItemEnabled(zem::IDOK));
        list.ClearSelectedRows();
        const int row = RowOf(list, 2, "系统自动备份 - 测试");
        ASSERT_GE(row, 0);
        EXPECT_EQ(list.GetItemText(row, 1), "2026年 03月05日 08:07:00");
        EXPECT_EQ(list.GetItemText(row, 4), "当前排课任务目录");
        EXPECT_EQ(list.GetItemText(row, 3).rfind("基本数据：", 0), 0u);
        list.SetSelected(row, true);
        EXPECT_TRUE(dialog.IsItemEnabled(zem::IDOK));
        SaveScreenshot(&dialog, "restore-dialog");
        dialog.SendCommand(zem::IDOK);
        EXPECT_TRUE(dialog.IsEnded());
    });
    CAppContext::Get()->ShowRestoreDialog();

    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[1].text, "恢复成功");
    EXPECT_TRUE(CoreFiles(TaskFolder()) == backedUp);
    EXPECT_EQ(Task()->GetClassInfoList().GetCount(), 3);
    EXPECT_FALSE(Task()->GetClass("c1")->GetTable(false).GetNode(HelperSchool::N(0, 0, 0)).IsEmpty());
    // The state the restore replaced is a backup of its own.
    const std::vector<CBackupEntry> entries = Entries(Task());
    const auto before = std::find_if(entries.begin(), entries.end(),
                                     [](const CBackupEntry& e) { return e.m_strDescription == "恢复备份前"; });
    ASSERT_NE(before, entries.end());
    const auto saved = FilesIn(Task()->GetBackupManager().GetAutoBackupPath() + "/" + before->m_strFolder);
    EXPECT_EQ(saved.at("input.xml"), changed.at("input.xml"));
    EXPECT_TRUE(saved.count("temp/新/新.zem"));

    // A backup without timetables leaves none behind.
    const std::string backup = Task()->GetBackupManager().GetAutoBackupPath() + "/20260305_080700/";
    ASSERT_TRUE(zem::RemoveFile(backup + "output.xml"));
    clock.Advance(60'000);
    ASSERT_TRUE(RestoreTaskFromBackup(backup));
    EXPECT_FALSE(zem::FileExists(TaskFolder() + "output.xml"));
    EXPECT_EQ(NamesIn(TaskFolder()), (std::vector<std::string>{"Backup", "backup.ini", "input.xml", "proctor", "task.ini",
                                                                "temp", "初二.zem"}));
}

TEST_F(RestoreTest, ARestoreThatFailsLeavesTheTaskAsItWas)
{
    OpenSchool();
    const std::string backup = folder.path() + "备份/";
    struct Case {
        const char* what;
        std::function<void()> spoil;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"a backup that cannot be opened", [&] { WriteRaw(backup + "input.xml", "<<这不是数据"); },
         "恢复备份失败，排课任务已还原为恢复前的状态。"},
        {"a piece that cannot be read", [&] { ASSERT_EQ(::mkfifo((backup + "temp/pipe").c_str(), 0600), 0); },
         "无法读取备份中的文件，排课任务没有改变。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        zem::RemoveFolder(backup);
        ASSERT_EQ(zem::CopyFolder(TaskFolder(), backup), 0);
        zem::RemoveFile(backup + "output.xml");
        c.spoil();
        ChangeTask();
        const auto before = CoreFiles(TaskFolder());
        CScheduleTask* open = Task();
        MessageRecorder messages;
        EXPECT_FALSE(RestoreTaskFromBackup(backup));
        ASSERT_FALSE(messages.messages.empty());
        EXPECT_EQ(messages.messages.back().text.rfind(c.message, 0), 0u) << messages.messages.back().text;
        EXPECT_TRUE(CoreFiles(TaskFolder()) == before);
        EXPECT_EQ(Task(), open);
        for (const std::string& name : NamesIn(TaskFolder()))
            EXPECT_NE(name.rfind(".restore", 0), 0u) << name;
    }
}

TEST_F(TaskFolderTest, TheClearButtonWaitsEightSecondsThenClearsTheChosenTeachersLessons)
{
    zem::gui::FakeClock clock;
    OpenSchool();
    const zem::gui::PopupMenuHook previousMenu =
        zem::gui::SetPopupMenuHook([](const std::vector<zem::gui::MenuItem>&) { return int(CClearTimetableDlg::ID_SCOPE_TEACHER); });
    ScriptedMessages messages;
    ModalScope modal([&](Dialog& shown) {
        if (auto* select = dynamic_cast<CMultiSelectDlg*>(&shown)) {
            EXPECT_EQ(select->Caption(), "选择要清除的课表");
            zem::gui::ItemList& list = *select->Item<zem::gui::ItemList>(CMultiSelectDlg::IDC_LIST);
            for (int i = 0; i < list.GetItemCount(); ++i)
                if (list.GetItemText(i) == "张老师")
                    ClickCheck(list, i);
            select->SendCommand(zem::IDOK);
            return;
        }
        auto& dialog = dynamic_cast<CClearTimetableDlg&>(shown);
        const std::string caption = "点击这里清除课表数据";
        EXPECT_EQ(dialog.GetDlgItemText(CClearTimetableDlg::IDC_SCOPE_TEXT), "当前范围：所有课表数据");
        for (int second = 0; second < 8; ++second) {
            EXPECT_FALSE(dialog.IsItemEnabled(CClearTimetableDlg::IDC_CLEAR)) << second;
            EXPECT_EQ(dialog.GetDlgItemText(CClearTimetableDlg::IDC_CLEAR),
                      second == 0 ? caption : caption + "(" + std::to_string(8 - second) + ")");
            clock.Advance(1000);
        }
        EXPECT_TRUE(dialog.IsItemEnabled(CClearTimetableDlg::IDC_CLEAR));
        EXPECT_EQ(dialog.GetDlgItemText(CClearTimetableDlg::IDC_CLEAR), caption);
        dialog.SendCommand(CClearTimetableDlg::IDC_SCOPE);
        EXPECT_EQ(dialog.GetDlgItemText(CClearTimetableDlg::IDC_SCOPE_TEXT), "当前范围（按教师）：张老师");
        SaveScreenshot(&dialog, "clear-timetable-dialog");
        dialog.SendCommand(CClearTimetableDlg::IDC_CLEAR);
        EXPECT_TRUE(dialog.IsEnded());
    });
    CAppContext::Get()->ShowClearTimetableDialog();
    zem::gui::SetPopupMenuHook(previousMenu);

    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[0].text, "课表数据清除后不可恢复，确定要清除吗？");
    EXPECT_EQ(messages.messages[0].caption, "警告");
    EXPECT_EQ(messages.messages[0].defaultAnswer, zem::IDCANCEL);
    EXPECT_EQ(messages.messages[1].text, "清除完成");
    EXPECT_EQ(Entries(Task()).front().m_strDescription, "清除课表数据前");
    // Saved: the task read back has lost 张老师's lessons only.
    CScheduleTask reread;
    ASSERT_TRUE(reread.Open(Task()->GetTaskInfo().GetTaskFile()));
    EXPECT_TRUE(reread.GetClass("c1")->GetTable(false).GetNode(HelperSchool::N(0, 0, 0)).IsEmpty());
    EXPECT_TRUE(reread.GetClass("c2")->GetTable(false).GetNode(HelperSchool::N(1, 0, 0)).IsEmpty());
    EXPECT_EQ(reread.GetClass("c1")->GetTable(false).GetNode(HelperSchool::N(0, 0, 1)).GetCourseId(1), "p2");
}

TEST_F(RestoreTest, AManualBackupBringsItsTaskFileBackUnderTheTasksPresentName)
{
    OpenSchool();
    const std::string backup = folder.path() + "手工备份/";
    ASSERT_EQ(zem::CopyFolder(TaskFolder(), backup), 0);
    ASSERT_TRUE(zem::WriteProfileString(backup + "初二.zem", "Task Info", "Description", "备份时的说明"));
    ASSERT_TRUE(RenameOpenTask("初二下"));
    ASSERT_TRUE(RestoreTaskFromBackup(backup));
    EXPECT_EQ(Task()->GetTaskInfo().GetTaskFile(), TaskFolder() + "初二下.zem");
    EXPECT_EQ(Task()->GetTaskInfo().GetTaskName(), "初二下");
    EXPECT_EQ(Task()->GetTaskInfo().GetDescription(), "备份时的说明");
    EXPECT_FALSE(zem::FileExists(TaskFolder() + "初二.zem"));
}
