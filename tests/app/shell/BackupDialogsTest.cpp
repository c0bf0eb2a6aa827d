// Backing the open task up into a folder of the user's choice, restoring a backup, and clearing
// timetables.
#include "support/TaskFolderTest.h"
#include "support/FolderSnapshot.h"
#include "support/KillAt.h"
#include "support/MessageRecorder.h"
#include "support/TableConsistency.h"
#include "app/shell/BackupDlg.h"
#include "app/shell/BackupRestoreDlg.h"
#include "app/shell/ClearTimetableDlg.h"
#include "app/shell/TaskRename.h"
#include "app/shell/TaskRestore.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "base/TaskFolder.h"
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

// What a backup folder holds of the task: its files without the marker, which must be there.
std::map<std::string, std::string> BackedUpFiles(const std::string& backup)
{
    std::map<std::string, std::string> files = FilesIn(backup);
    EXPECT_EQ(files.erase(TaskFolder::kBackupMarker), 1u) << backup << " is not a complete backup";
    return files;
}

// Makes a copy of a task folder a complete backup.
void MarkComplete(const std::string& backup)
{
    WriteRaw(backup + TaskFolder::kBackupMarker, "");
}

// Answers every message as Enter does, with its default button, and records it.
class PressEnter {
public:
    PressEnter()
        : m_previous(zem::SetMessageHook([this](const zem::MessageRequest& request) {
              messages.push_back(request);
              return request.defaultAnswer != 0 ? request.defaultAnswer
                                                : (request.buttons == zem::MessageButtons::YesNo ? zem::IDYES
                                                                                                 : zem::IDOK);
          }))
    {
    }
    ~PressEnter() { zem::SetMessageHook(m_previous); }
    PressEnter(const PressEnter&) = delete;
    PressEnter& operator=(const PressEnter&) = delete;

    std::vector<zem::MessageRequest> messages;

private:
    zem::MessageHook m_previous;
};

std::vector<CBackupEntry> Entries(CScheduleTask* task)
{
    std::vector<const CBackupEntry*> entries;
    task->GetBackupManager().GetAllBackups(entries);
    std::vector<CBackupEntry> copies;
    for (const CBackupEntry* entry : entries)
        copies.push_back(*entry);
    return copies;
}

const std::string kNameTooLong =
    "创建备份目录失败\r\n\r\n错误代码：36（文件名太长）\r\n您可以尝试更换“备份到”的目标文件夹（比如备份到桌面）";

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
    const std::map<std::string, std::string> copied = BackedUpFiles(destination);
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

TEST_F(BackupTest, AnExistingFolderIsReplacedWholeOnlyWhenTheUserSaysYesAndEnterKeepsIt)
{
    OpenSchool();
    const std::string destination = Target() + "备份/";
    WriteRaw(destination + "stale.txt", "old");
    const std::size_t listed = Entries(Task()).size();
    auto backUp = [&] {
        RunBackup([&](CBackupDlg& dialog) {
            dialog.SetDlgItemText(CBackupDlg::IDC_TARGET_FOLDER, Target());
            dialog.SetDlgItemText(CBackupDlg::IDC_FOLDER_NAME, "备份");
            dialog.SendCommand(zem::IDOK);
            if (!dialog.IsEnded())
                dialog.EndDialog(zem::IDCANCEL);
        });
    };

    // The question names what would go, and Enter answers 否.
    {
        PressEnter enter;
        backUp();
        ASSERT_EQ(enter.messages.size(), 1u);
        EXPECT_EQ(enter.messages[0].text, "备份位置已经存在同名的文件夹，要将其覆盖吗\n\n覆盖后，其中的 1 个文件和文件夹将被删除：\n" +
                                              destination);
        EXPECT_EQ(enter.messages[0].buttons, zem::MessageButtons::YesNo);
        EXPECT_EQ(enter.messages[0].defaultAnswer, zem::IDNO);
    }
    EXPECT_EQ(FilesIn(destination), (std::map<std::string, std::string>{{"stale.txt", "old"}}));
    EXPECT_EQ(Entries(Task()).size(), listed);

    ScriptedMessages yes({zem::IDYES});
    backUp();
    ASSERT_EQ(yes.messages.size(), 2u);
    EXPECT_EQ(yes.messages[1].text, "备份成功");
    EXPECT_TRUE(BackedUpFiles(destination) == CoreFiles(TaskFolder()));
    EXPECT_EQ(NamesIn(Target()), std::vector<std::string>{"备份"});
    EXPECT_EQ(Entries(Task()).size(), listed + 1);

    // An earlier backup, temporary tasks and all, is named as such and replaced whole.
    WriteRaw(destination + "旧的.txt", "old");
    ScriptedMessages again({zem::IDYES});
    backUp();
    ASSERT_EQ(again.messages.size(), 2u);
    EXPECT_EQ(again.messages[0].text,
              "备份位置已经存在同名的文件夹，要将其覆盖吗\n\n覆盖后，其中较早的备份将被删除：\n" + destination);
    EXPECT_EQ(again.messages[0].defaultAnswer, zem::IDNO);
    EXPECT_TRUE(BackedUpFiles(destination) == CoreFiles(TaskFolder()));
    EXPECT_EQ(NamesIn(Target()), std::vector<std::string>{"备份"});
}

TEST_F(BackupTest, AFolderHoldingTheOpenTaskOrAnotherTaskIsNeverReplaced)
{
    OpenSchool();
    ASSERT_TRUE(Task()->AutoBackup(true, "测试", false));
    const std::string tasks = folder.path() + "tasks/";
    // A sibling task, a task deep in a folder, and an earlier backup that holds a task of its own.
    WriteRaw(tasks + "初三/初三.zem", "[Task Info]\r\nName=初三\r\n");
    WriteRaw(tasks + "初三/input.xml", "<Input/>");
    WriteRaw(folder.path() + "资料/2024/旧任务/input.xml", "<Input/>");
    WriteRaw(folder.path() + "资料/说明.txt", "notes");
    ASSERT_TRUE(zem::MakeFolder(Target()));
    ScriptedMessages made;
    RunBackup([&](CBackupDlg& dialog) {
        dialog.SetDlgItemText(CBackupDlg::IDC_TARGET_FOLDER, Target());
        dialog.SetDlgItemText(CBackupDlg::IDC_FOLDER_NAME, "旧备份");
        dialog.SendCommand(zem::IDOK);
    });
    ASSERT_EQ(made.Texts(), std::vector<std::string>{"备份成功"});
    WriteRaw(Target() + "旧备份/放错的任务/放错.zem", "[Task Info]\r\nName=放错\r\n");

    struct Case {
        const char* what;
        std::string target;
        std::string name;
        std::string message;
    };
    const std::string other = "\n\n请换一个备份文件夹名或位置。";
    const std::vector<Case> cases = {
        {"the folder of all tasks", folder.path(), "tasks",
         "备份位置 " + tasks + " 中有当前排课任务，不能覆盖。" + other},
        {"a sibling task", tasks, "初三", "备份位置 " + tasks + "初三/ 中有排课任务 " + tasks + "初三，不能覆盖。" + other},
        {"a task deep in a folder", folder.path(), "资料",
         "备份位置 " + folder.path() + "资料/ 中有排课任务 " + folder.path() + "资料/2024/旧任务，不能覆盖。" + other},
        {"a backup holding a task outside its temp folder", Target(), "旧备份",
         "备份位置 " + Target() + "旧备份/ 中有排课任务 " + Target() + "旧备份/放错的任务，不能覆盖。" + other},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t listed = Entries(Task()).size();
        const auto before = FilesIn(folder.path());
        PressEnter enter;
        RunBackup([&](CBackupDlg& dialog) {
            dialog.SetDlgItemText(CBackupDlg::IDC_TARGET_FOLDER, c.target);
            dialog.SetDlgItemText(CBackupDlg::IDC_FOLDER_NAME, c.name);
            dialog.SendCommand(zem::IDOK);
            EXPECT_FALSE(dialog.IsEnded());
            dialog.EndDialog(zem::IDCANCEL);
        });
        // Refused without a question: nothing to answer wrongly.
        ASSERT_EQ(enter.messages.size(), 1u);
        EXPECT_EQ(enter.messages[0].text, c.message);
        EXPECT_EQ(enter.messages[0].icon, zem::MessageIcon::Warning);
        EXPECT_TRUE(FilesIn(folder.path()) == before);
        EXPECT_EQ(Entries(Task()).size(), listed);
    }
    // The open task still opens whole, with its own backups.
    CScheduleTask reread;
    ASSERT_TRUE(reread.Open(Task()->GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
    EXPECT_EQ(reread.GetClassInfoList().GetCount(), 3);
    EXPECT_FALSE(Entries(&reread).empty());
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
        // The file system refuses the name; the dialog says why and goes on.
        {"a name of 300 characters", [&] { return Target(); }, std::string(300, 'x'),
         "无法查看备份位置 " + Target() + std::string(300, 'x') + "/ 中的内容，不能覆盖：文件名太长\n\n请换一个备份文件夹名或位置。"},
        {"a relative place", [&] { return std::string("备份盘"); }, "备份",
         "创建备份目录失败\r\n\r\n错误代码：22（路径无效）\r\n您可以尝试更换“备份到”的目标文件夹（比如备份到桌面）"},
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

// Enter on the name the dialog proposes for a task with a long name: the copy is made beside the
// destination under a longer name than the proposal, which the file system refuses.
TEST_F(BackupTest, TheProposedNameOfATaskWithALongNameFailsWithItsReason)
{
    std::string name;
    for (int i = 0; i < 79; ++i)
        name += "初";
    OpenSchool(name);
    ASSERT_TRUE(zem::MakeFolder(Target()));
    ScriptedMessages messages;
    RunBackup([&](CBackupDlg& dialog) {
        dialog.SetDlgItemText(CBackupDlg::IDC_TARGET_FOLDER, Target());
        dialog.SendCommand(zem::IDOK);
        EXPECT_FALSE(dialog.IsEnded());
        dialog.EndDialog(zem::IDCANCEL);
    });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kNameTooLong});
    EXPECT_TRUE(NamesIn(Target()).empty());
}

TEST_F(BackupTest, APieceThatCannotBeCopiedOrIsALinkIsNamedInAWarningAndLeftOut)
{
    const std::string outside = folder.path() + "别处/";
    WriteRaw(outside + "临时/别人的.zem", "[Task Info]\r\nName=别人\r\n");
    WriteRaw(outside + "task.ini", "[WeekTable]\r\nLastView0=别人\r\n");
    auto link = [&](const std::string& target, const std::string& name) {
        std::filesystem::remove_all(TaskFolder() + name);
        std::filesystem::create_symlink(target, TaskFolder() + name);
    };
    struct Case {
        const char* task;
        std::function<void()> arrange;
        std::string leftOut;
    };
    const std::vector<Case> cases = {
        // A pipe is no file that a copy can take.
        {"管道", [&] { ASSERT_EQ(::mkfifo((TaskFolder() + "temp/pipe").c_str(), 0600), 0); }, "temp"},
        {"临时链接", [&] { link(outside + "临时", "temp"); }, "temp"},
        {"设置链接", [&] { link(outside + "task.ini", "task.ini"); }, "task.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.task);
        OpenSchool(c.task);
        zem::RemoveFolder(Target());
        ASSERT_TRUE(zem::MakeFolder(Target()));
        c.arrange();
        ScriptedMessages messages;
        RunBackup([&](CBackupDlg& dialog) {
            dialog.SetDlgItemText(CBackupDlg::IDC_TARGET_FOLDER, Target());
            dialog.SetDlgItemText(CBackupDlg::IDC_FOLDER_NAME, "备份");
            dialog.SendCommand(zem::IDOK);
            EXPECT_TRUE(dialog.IsEnded());
        });
        ASSERT_EQ(messages.Texts(), std::vector<std::string>{"备份完成，但以下内容未能复制：" + c.leftOut});
        EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Warning);
        const auto copied = BackedUpFiles(Target() + "备份/");
        EXPECT_EQ(copied.at("input.xml"), ReadRaw(TaskFolder() + "input.xml"));
        EXPECT_EQ(copied.count(c.leftOut), 0u);
        for (const auto& [path, bytes] : copied)
            EXPECT_EQ(bytes.find("别人"), std::string::npos) << path;
        EXPECT_EQ(Entries(Task()).front().m_strFolder, Target() + "备份/");
    }
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
        EXPECT_EQ(list.GetItemText(row, 1), "2026年03月05日 08:07:00");
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
    // The checks of later changes read the restored lessons.
    EXPECT_TRUE(WorkingTablesMatchCommitted(*Task()));
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

// A save of the pair killed between output.xml and input.xml: the next open says so, names the
// backup the operation made, and restores it when asked.
TEST_F(RestoreTest, FilesNotSavedTogetherAreSaidOnOpeningWithTheBackupBeforeTheOperation)
{
    zem::gui::FakeClock clock;  // 2026-03-05 08:07:00
    const std::string file = OpenSchool();
    ASSERT_TRUE(Task()->AutoBackup(true, "课表大挪移前", false));
    const auto backedUp = CoreFiles(TaskFolder());
    clock.Advance(60'000);
    Task()->GetClass("c1")->SetName("九班");
    CTaskHelper(Task()).ClearTimetables(CTaskHelper::kClearAll, {});
    {
        KillAt kill("pair: output.xml written");
        ASSERT_FALSE(CTaskHelper(Task()).SaveInputAndTempTables());
    }
    const std::string offer = "排课任务的基本数据（input.xml）与课表（output.xml）不是同一次保存的：上次保存时程序被中止，"
                              "课表可能与教学计划不符。\n\n是否从备份“课表大挪移前”（2026年03月05日 08:07:00）恢复？";
    for (const int answer : {zem::IDNO, zem::IDYES}) {
        SCOPED_TRACE(answer);
        clock.Advance(60'000);
        ScriptedMessages messages({answer});
        ASSERT_TRUE(CAppContext::Get()->OpenTask(file, false));
        ASSERT_FALSE(messages.messages.empty());
        EXPECT_EQ(messages.messages[0].text, offer);
        EXPECT_EQ(messages.messages[0].buttons, zem::MessageButtons::YesNo);
        EXPECT_EQ(Task()->IsPairMismatched(), answer == zem::IDNO);
    }
    // The backup's files, the timetables that belong to its plans included.
    EXPECT_TRUE(CoreFiles(TaskFolder()) == backedUp);
    EXPECT_EQ(Task()->GetClassNameA("c1"), "一班");
    EXPECT_FALSE(Task()->GetClass("c1")->GetTable(false).GetNode(HelperSchool::N(0, 0, 0)).IsEmpty());
}

// Kept as they are, the files stay mismatched through every kind of save: only the user's yes to
// the timetables, or a restore, takes them as a pair. Without a backup the question comes at once.
TEST_F(RestoreTest, MismatchedFilesAreToldAgainAfterASaveUntilTheTimetablesAreConfirmed)
{
    zem::gui::FakeClock clock;  // 2026-03-05 08:07:00
    const std::string file = OpenSchool();
    const std::string told = "排课任务的基本数据（input.xml）与课表（output.xml）不是同一次保存的：上次保存时程序被中止，"
                             "课表可能与教学计划不符。\n\n";
    const std::string question = "是否确认课表与教学计划相符？\n\n"
                                 "选“是”：把 input.xml 和 output.xml 当作同一次保存的文件重新保存，以后打开时不再提示。\n"
                                 "选“否”：课表保持现状，以后每次打开都会再次提示，直到从备份恢复或确认课表。";
    auto killedPairSave = [&] {
        Task()->GetClass("c1")->SetName("九班");
        KillAt kill("pair: output.xml written");
        ASSERT_FALSE(CTaskHelper(Task()).SaveInputAndTempTables());
    };
    auto open = [&](std::vector<int> answers) {
        clock.Advance(60'000);
        ScriptedMessages messages(answers);
        EXPECT_TRUE(CAppContext::Get()->OpenTask(file, false));
        return messages.messages;
    };
    // The day's first save backed the task up; without a backup the question comes at once.
    std::filesystem::remove_all(TaskFolder() + "Backup");
    zem::RemoveFile(TaskFolder() + "backup.ini");
    killedPairSave();
    std::vector<zem::MessageRequest> said = open({zem::IDNO});
    ASSERT_EQ(said.size(), 1u) << said.front().text;
    EXPECT_EQ(said[0].text, told + "没有可用的备份，请检查课表。\n\n" + question);
    EXPECT_EQ(said[0].buttons, zem::MessageButtons::YesNo);
    EXPECT_EQ(said[0].defaultAnswer, zem::IDNO);

    ASSERT_TRUE(Task()->AutoBackup(true, "课表大挪移前", false));
    const std::vector<std::pair<const char*, std::function<bool()>>> saves = {
        {"both files", [&] { return Task()->SaveInputAndOutput(); }},
        {"input.xml", [&] { return Task()->SaveInputData(); }},
        {"output.xml", [&] { return Task()->SaveOutputData(); }},
    };
    for (const auto& [what, save] : saves) {
        SCOPED_TRACE(what);
        said = open({zem::IDNO, zem::IDNO});
        ASSERT_EQ(said.size(), 2u);
        EXPECT_EQ(said[0].text.rfind(told + "是否从备份“课表大挪移前”", 0), 0u) << said[0].text;
        EXPECT_EQ(said[1].text, "没有从备份恢复。\n\n" + question);
        ASSERT_TRUE(Task()->IsPairMismatched());
        ASSERT_TRUE(save());
    }
    // Confirmed, the pair is saved as one and opens without a word.
    said = open({zem::IDNO, zem::IDYES});
    ASSERT_EQ(said.size(), 2u);
    EXPECT_FALSE(Task()->IsPairMismatched());
    EXPECT_TRUE(open({}).empty());
    EXPECT_FALSE(Task()->IsPairMismatched());
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
        // A copy killed half-way lacks its marker: restored, it would bring back half a task.
        {"a copy that never finished", [&] { zem::RemoveFile(backup + TaskFolder::kBackupMarker); },
         "该备份没有完成，不能用来恢复"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        zem::RemoveFolder(backup);
        ASSERT_EQ(zem::CopyFolder(TaskFolder(), backup), 0);
        MarkComplete(backup);
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

// A link that leads to itself where the restore would put the task's files aside (a leftover of the
// same second): the restore takes another name for its holding folder, never follows the link, and
// the task gets the backup's files.
TEST_F(RestoreTest, ALeftoverLinkWhereTheTaskIsPutAsideIsPassedBy)
{
    zem::gui::FakeClock clock;  // 2026-03-05 08:07:00
    OpenSchool();
    const std::string backup = folder.path() + "备份/";
    ASSERT_EQ(zem::CopyFolder(TaskFolder(), backup), 0);
    MarkComplete(backup);
    std::string backedUp;
    ASSERT_TRUE(zem::ReadFileBytes(backup + "input.xml", backedUp));
    ChangeTask();
    const std::string holding = TaskFolder() + ".restore-old-20260305080700";
    ASSERT_EQ(::symlink(holding.c_str(), holding.c_str()), 0);
    MessageRecorder messages;
    EXPECT_TRUE(RestoreTaskFromBackup(backup));
    std::string restored;
    ASSERT_TRUE(zem::ReadFileBytes(TaskFolder() + "input.xml", restored));
    EXPECT_TRUE(restored == backedUp);
    struct stat link {};
    EXPECT_EQ(::lstat(holding.c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
}

// ---- Clearing ----

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
    // The question promises what is done: a backup, listed under the name it gives, to restore from.
    EXPECT_EQ(messages.messages[0].text, "清除前会自动备份当前排课任务，清除后可以用“恢复排课任务”从备份“清除课表数据前”找回。"
                                         "\n\n确定要清除吗？");
    EXPECT_EQ(messages.messages[0].caption, "警告");
    EXPECT_EQ(messages.messages[0].defaultAnswer, zem::IDCANCEL);
    EXPECT_EQ(messages.messages[1].text, "清除完成");
    EXPECT_NE(messages.messages[0].text.find("“" + Entries(Task()).front().m_strDescription + "”"), std::string::npos);
    // Saved: the task read back has lost 张老师's lessons only.
    CScheduleTask reread;
    ASSERT_TRUE(reread.Open(Task()->GetTaskInfo().GetTaskFile()));
    EXPECT_TRUE(reread.GetClass("c1")->GetTable(false).GetNode(HelperSchool::N(0, 0, 0)).IsEmpty());
    EXPECT_TRUE(reread.GetClass("c2")->GetTable(false).GetNode(HelperSchool::N(1, 0, 0)).IsEmpty());
    EXPECT_EQ(reread.GetClass("c1")->GetTable(false).GetNode(HelperSchool::N(0, 0, 1)).GetCourseId(1), "p2");
}

TEST_F(RestoreTest, ABackupsLinkedTempIsNeitherFollowedNorCopiedAndTheTaskKeepsItsOwn)
{
    OpenSchool();
    const std::string backup = folder.path() + "备份/";
    const std::string outside = folder.path() + "别处/";
    WriteRaw(outside + "别人/别人.zem", "[Task Info]\r\nName=别人\r\n");
    ASSERT_EQ(zem::CopyFolder(TaskFolder(), backup), 0);
    MarkComplete(backup);
    zem::RemoveFolder(backup + "temp");
    std::filesystem::create_symlink(outside, backup + "temp");
    const auto tempBefore = FilesIn(TaskFolder() + "temp");
    const auto outsideBefore = FilesIn(outside);

    ScriptedMessages messages;
    ModalScope modal([&](Dialog& shown) {
        auto& dialog = dynamic_cast<CBackupRestoreDlg&>(shown);
        zem::gui::ReportList& list = *dialog.GetList();
        int row = -1;
        for (int i = 0; i < list.GetItemCount(); ++i)
            if (dialog.GetRowFolder(i) == backup)
                row = i;
        ASSERT_GE(row, 0);
        list.SetSelected(row, true);
        dialog.SendCommand(zem::IDOK);
        EXPECT_TRUE(dialog.IsEnded());
    });
    ASSERT_TRUE(Task()->GetBackupManager().AddEntry(CBackupManager::ManualBackup, "20260305080700", backup, ""));
    CAppContext::Get()->ShowRestoreDialog();
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[1].text, "恢复完成，但备份中的链接没有恢复：temp");
    EXPECT_EQ(FilesIn(TaskFolder() + "temp"), tempBefore);
    EXPECT_FALSE(zem::IsLink(TaskFolder() + "temp"));
    EXPECT_EQ(FilesIn(outside), outsideBefore);
}

TEST_F(RestoreTest, AManualBackupBringsItsTaskFileBackUnderTheTasksPresentName)
{
    OpenSchool();
    const std::string backup = folder.path() + "手工备份/";
    ASSERT_EQ(zem::CopyFolder(TaskFolder(), backup), 0);
    MarkComplete(backup);
    ASSERT_TRUE(zem::WriteProfileString(backup + "初二.zem", "Task Info", "Description", "备份时的说明"));
    ASSERT_TRUE(RenameOpenTask("初二下"));
    ASSERT_TRUE(RestoreTaskFromBackup(backup));
    EXPECT_EQ(Task()->GetTaskInfo().GetTaskFile(), TaskFolder() + "初二下.zem");
    EXPECT_EQ(Task()->GetTaskInfo().GetTaskName(), "初二下");
    EXPECT_EQ(Task()->GetTaskInfo().GetDescription(), "备份时的说明");
    EXPECT_FALSE(zem::FileExists(TaskFolder() + "初二.zem"));
}
