// The task information dialog: renaming the open task and saving it under another name or place.
#include "support/TaskFolderTest.h"
#include "app/controls/NameInputDlg.h"
#include "app/shell/TaskInfoDlg.h"
#include "platform/gui/FileDialogs.h"

#include <functional>

using zem::gui::Dialog;

namespace {

class TaskInfoTest : public TaskFolderTest {
protected:
    // Runs the dialog from the tool bar's launcher, clicks `button`, types `name` into the name
    // prompt and chooses `chosenFolder` when asked for one. The messages shown.
    std::vector<std::string> Run(int button, const std::string& name, const std::string& chosenFolder = {})
    {
        const zem::gui::FileDialogHook previous =
            zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest&) { return chosenFolder; });
        ScriptedMessages messages;
        ModalScope modal([&](Dialog& shown) {
            if (auto* input = dynamic_cast<CNameInputDlg*>(&shown)) {
                input->SetDlgItemText(CNameInputDlg::IDC_NAME, name);
                input->SendCommand(zem::IDOK);
                return;
            }
            ASSERT_NE(dynamic_cast<CTaskInfoDlg*>(&shown), nullptr);
            shown.SendCommand(button);
            shownName = shown.GetDlgItemText(CTaskInfoDlg::IDC_NAME);
            shownFolder = shown.GetDlgItemText(CTaskInfoDlg::IDC_FOLDER);
            shown.EndDialog(zem::IDCANCEL);
        });
        CAppContext::Get()->ShowTaskInfoDialog();
        zem::gui::SetFileDialogHook(previous);
        return messages.Texts();
    }

    const CRecentList& Recent() const { return CAppContext::Get()->GetRecentTasks(); }

    std::string shownName;
    std::string shownFolder;
};

}  // namespace

TEST_F(TaskInfoTest, TheDialogShowsTheOpenTask)
{
    OpenSchool();
    ModalScope modal([&](Dialog& shown) {
        EXPECT_EQ(shown.GetDlgItemText(CTaskInfoDlg::IDC_NAME), "初二");
        EXPECT_EQ(shown.GetDlgItemText(CTaskInfoDlg::IDC_FOLDER), TaskFolder());
        SaveScreenshot(&shown, "task-info-dialog");
        shown.EndDialog(zem::IDCANCEL);
    });
    CAppContext::Get()->ShowTaskInfoDialog();
}

TEST_F(TaskInfoTest, RenamingMovesTheTaskFileAndEveryListFollows)
{
    const std::string oldFile = OpenSchool();
    const std::string folderBefore = TaskFolder();
    EXPECT_TRUE(Run(CTaskInfoDlg::IDC_RENAME, "初二下学期").empty());

    const std::string newFile = folderBefore + "初二下学期.zem";
    EXPECT_FALSE(zem::FileExists(oldFile));
    EXPECT_TRUE(zem::FileExists(newFile));
    EXPECT_EQ(Task()->GetTaskInfo().GetTaskName(), "初二下学期");
    EXPECT_EQ(Task()->GetTaskInfo().GetTaskFile(), newFile);
    EXPECT_EQ(shownName, "初二下学期");
    EXPECT_EQ(Recent().GetAt(0), newFile);
    EXPECT_EQ(Recent().Find(oldFile), -1);
    // The name is in the file, so the task reopens under it.
    CScheduleTask reread;
    ASSERT_TRUE(reread.Open(newFile));
    EXPECT_EQ(reread.GetTaskInfo().GetTaskName(), "初二下学期");
}

TEST_F(TaskInfoTest, ARefusedNameChangesNothing)
{
    const std::string file = OpenSchool();
    WriteRaw(TaskFolder() + "初三.zem", "[Task Info]\r\nName=初三\r\n");
    const auto before = FilesIn(TaskFolder());
    for (const char* name : {"初三", "初二:下", "初二."}) {
        SCOPED_TRACE(name);
        const std::vector<std::string> messages = Run(CTaskInfoDlg::IDC_RENAME, name);
        ASSERT_EQ(messages.size(), 1u);
        if (std::string(name) == "初三") {
            EXPECT_EQ(messages[0], "排课任务 初三 已存在");
        }
        EXPECT_TRUE(FilesIn(TaskFolder()) == before);
        EXPECT_EQ(Task()->GetTaskInfo().GetTaskFile(), file);
        EXPECT_EQ(shownName, "初二");
    }
}

TEST_F(TaskInfoTest, SaveAsCopiesTheTaskToANewFolderAndOpensTheCopy)
{
    const std::string oldFile = OpenSchool();
    const std::string oldFolder = TaskFolder();
    // A temporary task of the copy must be the copy's own.
    CRecentList temps;
    temps.Init(oldFile, "Recently Temp Tasks", 10);
    ASSERT_TRUE(temps.Add(oldFolder + "temp/调课/调课.zem"));
    const auto before = FilesIn(oldFolder);
    const std::string place = folder.path() + "另一处/";
    ASSERT_TRUE(zem::MakeFolder(place));

    EXPECT_TRUE(Run(CTaskInfoDlg::IDC_SAVE_AS, "初二副本", place).empty());

    const std::string newFolder = place + "初二副本/";
    const std::string newFile = newFolder + "初二副本.zem";
    EXPECT_EQ(Task()->GetTaskInfo().GetTaskFile(), newFile);
    EXPECT_EQ(Task()->GetTaskInfo().GetTaskName(), "初二副本");
    EXPECT_EQ(shownFolder, newFolder);
    EXPECT_TRUE(FilesIn(oldFolder) == before);
    EXPECT_EQ(ReadRaw(newFolder + "input.xml"), before.at("input.xml"));
    EXPECT_EQ(ReadRaw(newFolder + "output.xml"), before.at("output.xml"));
    EXPECT_FALSE(zem::FileExists(newFolder + "初二.zem"));
    EXPECT_EQ(Recent().GetAt(0), newFile);
    EXPECT_GE(Recent().Find(oldFile), 1);
    EXPECT_EQ(CAppContext::Get()->GetRecentTempTasks().GetAt(0), newFolder + "temp/调课/调课.zem");
}

TEST_F(TaskInfoTest, SaveAsRefusesAFolderThatExistsOrLiesInsideTheTask)
{
    const std::string file = OpenSchool();
    const std::string place = folder.path() + "另一处/";
    ASSERT_TRUE(zem::MakeFolder(place + "已有"));
    struct Case {
        std::string name;
        std::function<std::string()> folder;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"已有", [&] { return place; }, "文件夹 " + place + "已有/ 已存在，请换一个名称或位置"},
        {"副本", [&] { return TaskFolder() + "temp/"; }, "不能另存到当前排课任务文件夹内部"},
        // A relative place would be taken from wherever the program was started.
        {"副本", [&] { return std::string("另一处/"); }, "保存位置无效"},
        // A name the file system refuses: said with its reason, not an end of the program.
        {std::string(300, 'x'), [&] { return place; },
         "另存排课任务失败：\n复制文件夹失败：" + TaskFolder() + " -> " + place + std::string(300, 'x') +
             "/\n文件名太长"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = FilesIn(folder.path());
        EXPECT_EQ(Run(CTaskInfoDlg::IDC_SAVE_AS, c.name, c.folder()), std::vector<std::string>{c.message});
        EXPECT_TRUE(FilesIn(folder.path()) == before);
        EXPECT_EQ(Task()->GetTaskInfo().GetTaskFile(), file);
    }
}
