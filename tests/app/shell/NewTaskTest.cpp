// Opening and creating tasks: the new-task dialog, the context's open path and its messages.
#include "support/ShellTestSupport.h"
#include "app/shell/MainDlg.h"
#include "app/shell/NewTaskDlg.h"
#include "base/ScheduleTask.h"
#include "platform/IniFile.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/Timers.h"
#include "support/MessageRecorder.h"
#include "support/TaskFolders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {

using zem::gui::Dialog;

class NewTaskTest : public ShellTest {
protected:
    std::string TaskFolder() const { return Documents() + "我的排课任务/"; }

    // Makes a small task folder with input.xml and output.xml and lists it as recent.
    std::string MakeSourceTask(const std::string& name)
    {
        const std::string folderPath = folder.path() + "源/" + name + "/";
        CScheduleTask task;
        const std::string file = SaveTaskFolder(task, folderPath, name);
        WriteRaw(folderPath + "output.xml", "<?xml version='1.0' encoding='GB2312'?>\r\n<Output/>\r\n");
        return file;
    }

    static QLineEdit* Edit(Dialog& d, int id) { return d.Item<QLineEdit>(id); }
    static QCheckBox* Check(Dialog& d, int id) { return d.Item<QCheckBox>(id); }
    // A click on the box itself (the rest of the control's width takes no click).
    static void Click(Dialog& d, int id)
    {
        QCheckBox* box = Check(d, id);
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
    }
};

TEST_F(NewTaskTest, TypingTheNameSetsTheFolder)
{
    MakeContext();
    CTaskInfo info;
    info.SetTaskName("abc");
    info.SetTaskFolder(TaskFolder());
    CNewTaskDlg dialog(nullptr, &info, false);
    std::string folderText;
    ModalScope scope([&](Dialog& d) {
        Edit(d, CNewTaskDlg::IDC_FOLDER)->setText(QString::fromStdString(TaskFolder() + "abc"));
        Edit(d, CNewTaskDlg::IDC_NAME)->clear();
        TypeText(Edit(d, CNewTaskDlg::IDC_NAME), "2026学年第一学期");
        folderText = d.GetDlgItemText(CNewTaskDlg::IDC_FOLDER);
    });
    dialog.DoModal();
    EXPECT_EQ(folderText, TaskFolder() + "2026学年第一学期");
}

TEST_F(NewTaskTest, CreateRefusesWhatWouldNotMakeATask)
{
    MakeContext();
    const std::string shared = TaskFolder() + "已有";
    zem::MakeFolder(shared);
    WriteRaw(shared + "/input.xml", "<Input/>");
    WriteRaw(TaskFolder() + "重名/重名.zem", "[Task Info]\r\n");
    WriteRaw(folder.path() + "一个文件", "x");
    struct Case {
        std::string name;
        std::string folder;
        std::string message;
    } cases[] = {
        {"", TaskFolder() + "x", "任务名称不能为空"},
        {"a/b", TaskFolder() + "a/b", "x"},  // the file-name check's own text
        {"新任务", folder.path() + "一个文件", "保存位置无效\n\n同名的文件已存在"},
        {"新任务", "/没有/这个/上级/新任务", "保存位置无效\n\n文件夹不存在"},
        {"相对位置", "相对位置", "保存位置无效\n\n请填写以“/”开头的完整路径"},
        {"重名", TaskFolder() + "重名", "排课任务 重名 已存在"},
        {"另一个", shared, "该文件夹中已有排课任务，请选择其他保存位置"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " in " + c.folder);
        CTaskInfo info;
        CNewTaskDlg dialog(nullptr, &info, false);
        MessageRecorder messages;
        bool ended = true;
        ModalScope scope([&](Dialog& d) {
            Edit(d, CNewTaskDlg::IDC_NAME)->setText(QString::fromStdString(c.name));
            Edit(d, CNewTaskDlg::IDC_FOLDER)->setText(QString::fromStdString(c.folder));
            d.SendCommand(zem::IDOK);
            ended = d.IsEnded();
        });
        EXPECT_EQ(dialog.DoModal(), zem::IDCANCEL);
        EXPECT_FALSE(ended);
        ASSERT_EQ(messages.messages.size(), 1u);
        if (c.message != "x") {
            EXPECT_EQ(messages.messages[0].text, c.message);
        }
    }
    EXPECT_FALSE(zem::FileExists(shared + "/另一个.zem"));
    EXPECT_FALSE(zem::FolderExists("相对位置"));  // nothing lands where the program was started
}

TEST_F(NewTaskTest, TimetablesCannotBeTakenWithoutTheBasicData)
{
    MakeContext();
    CAppContext::Get()->GetRecentTasks().Add(MakeSourceTask("上学期"));
    CTaskInfo info;
    info.SetTaskFolder(TaskFolder());
    CNewTaskDlg dialog(nullptr, &info, false);
    ModalScope scope([&](Dialog& d) {
        auto& dlg = static_cast<CNewTaskDlg&>(d);
        EXPECT_FALSE(dlg.IsExpanded());
        EXPECT_EQ(dlg.height(), dlg.CollapsedHeight());
        Click(d, CNewTaskDlg::IDC_TAKE_EXISTING);
        EXPECT_TRUE(dlg.IsExpanded());
        EXPECT_EQ(dlg.height(), dlg.ExpandedHeight());
        EXPECT_EQ(d.Item<QComboBox>(CNewTaskDlg::IDC_SOURCE)->currentText().toStdString(),
                  "上学期 (" + folder.path() + "源/上学期/)");
        Click(d, CNewTaskDlg::IDC_TAKE_TABLES);
        EXPECT_TRUE(Check(d, CNewTaskDlg::IDC_TAKE_TABLES)->isChecked());
        Click(d, CNewTaskDlg::IDC_TAKE_BASIC);
        EXPECT_FALSE(Check(d, CNewTaskDlg::IDC_TAKE_TABLES)->isChecked());
        EXPECT_FALSE(Check(d, CNewTaskDlg::IDC_TAKE_TABLES)->isEnabled());
        Click(d, CNewTaskDlg::IDC_TAKE_BASIC);
        Click(d, CNewTaskDlg::IDC_TAKE_TABLES);
        TypeText(Edit(d, CNewTaskDlg::IDC_NAME), "2026学年第一学期");
        SaveScreenshot(&d, "new_task_dialog_expanded");
    });
    dialog.DoModal();
}

TEST_F(NewTaskTest, TheTakeOptionIsHiddenWithoutASourceTask)
{
    MakeContext();
    CAppContext::Get()->GetRecentTasks().Add(folder.path() + "不存在/不存在.zem");
    for (bool hide : {false, true}) {
        CTaskInfo info;
        CNewTaskDlg dialog(nullptr, &info, hide);
        bool shown = true;
        ModalScope scope([&](Dialog& d) { shown = Check(d, CNewTaskDlg::IDC_TAKE_EXISTING)->isVisible(); });
        dialog.DoModal();
        EXPECT_FALSE(shown);
    }
}

TEST_F(NewTaskTest, CreatingFromAnExistingTaskCopiesItsFiles)
{
    CAppContext* context = MakeContext();
    const std::string source = MakeSourceTask("上学期");
    context->GetRecentTasks().Add(source);
    for (bool tables : {false, true}) {
        SCOPED_TRACE(tables);
        const std::string name = tables ? "带课表" : "不带课表";
        ModalScope scope([&](Dialog& d) {
            Click(d, CNewTaskDlg::IDC_TAKE_EXISTING);
            auto* sources = d.Item<QComboBox>(CNewTaskDlg::IDC_SOURCE);
            sources->setCurrentIndex(sources->findText(QString::fromUtf8("上学期"), Qt::MatchStartsWith));
            if (tables)
                Click(d, CNewTaskDlg::IDC_TAKE_TABLES);
            TypeText(Edit(d, CNewTaskDlg::IDC_NAME), name);
            d.SendCommand(zem::IDOK);
        });
        ASSERT_TRUE(context->CreateNewTask(false));
        EXPECT_TRUE(context->IsDataCopiedOnCreate());
        const std::string made = TaskFolder() + name + "/";
        EXPECT_EQ(ReadRaw(made + "input.xml"), ReadRaw(folder.path() + "源/上学期/input.xml"));
        EXPECT_EQ(zem::FileExists(made + "output.xml"), tables);
        EXPECT_EQ(context->GetTask()->GetTaskInfo().GetTaskName(), name);
        EXPECT_EQ(zem::GetProfileString(made + name + ".zem", "Task Info", "Creator"), zem::LoginName());
    }
}

TEST_F(NewTaskTest, AFailedCopyIsSaidAndTheTaskStartsEmpty)
{
    CAppContext* context = MakeContext();
    const std::string source = MakeSourceTask("上学期");
    context->GetRecentTasks().Add(source);
    MessageRecorder messages;
    ModalScope scope([&](Dialog& d) {
        Click(d, CNewTaskDlg::IDC_TAKE_EXISTING);
        Click(d, CNewTaskDlg::IDC_TAKE_TABLES);
        Edit(d, CNewTaskDlg::IDC_NAME)->setText(QString::fromUtf8("新"));
        TypeText(Edit(d, CNewTaskDlg::IDC_NAME), "任务");
        // The source loses its timetables after it was offered.
        zem::RemoveFile(folder.path() + "源/上学期/output.xml");
        d.SendCommand(zem::IDOK);
    });
    ASSERT_TRUE(context->CreateNewTask(false));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text.rfind("无法从现有排课任务中导入数据：", 0), 0u) << messages.messages[0].text;
    EXPECT_FALSE(context->IsDataCopiedOnCreate());
    EXPECT_TRUE(zem::FileExists(TaskFolder() + "新任务/input.xml"));
}

TEST_F(NewTaskTest, OpeningTasks)
{
    CAppContext* context = MakeContext();
    MessageRecorder messages;
    const std::string missing = folder.path() + "搬走了/任务.zem";
    EXPECT_FALSE(context->OpenTask(missing, true));
    ASSERT_EQ(messages.Texts(),
              std::vector<std::string>{"排课任务文件 " + missing +
                                       " 不存在\n\n您如果移动或重命名了相关文件夹，可以重新打开该排课任务文件，方法是：\n"
                                       "在第1页 开始 -> 打开排课任务 -> 浏览文件夹，然后找到新位置的排课任务"});
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Error);
    EXPECT_FALSE(context->OpenTask("D:\\排课\\任务A\\任务A.zem", true));  // written on Windows: never opened

    const std::string a = MakeSourceTask("甲");
    const std::string b = MakeSourceTask("乙");
    ASSERT_TRUE(context->OpenTask(a, true));
    CScheduleTask* first = context->GetTask();
    EXPECT_TRUE(context->OpenTask(folder.path() + "源/./甲/甲.zem", true));
    EXPECT_EQ(context->GetTask(), first);  // the same file: nothing done

    // A task that fails to open leaves the one open before.
    WriteRaw(folder.path() + "坏/坏.zem", "[Task Info]\r\nName=坏\r\n");
    WriteRaw(folder.path() + "坏/input.xml", "<Input><not closed");
    EXPECT_FALSE(context->OpenTask(folder.path() + "坏/坏.zem", true));
    EXPECT_EQ(context->GetTask(), first);

    ASSERT_TRUE(context->OpenTask(b, true));
    EXPECT_EQ(context->GetTask()->GetTaskInfo().GetTaskName(), "乙");
    EXPECT_EQ(context->GetRecentTasks().GetAt(0), b);
    EXPECT_EQ(context->GetRecentTasks().GetAt(1), a);
    EXPECT_EQ(context->GetRecentTempTasks().GetFile(), b);

    // The file dialog starts in the folder that holds the last opened task's folder.
    zem::gui::FileDialogRequest asked;
    auto previous = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest& request) {
        asked = request;
        return a;
    });
    EXPECT_TRUE(context->OpenTaskByDialog());
    zem::gui::SetFileDialogHook(previous);
    EXPECT_EQ(asked.title, "打开排课任务");
    EXPECT_EQ(asked.folder, TaskFolder());
    EXPECT_EQ(context->GetLastOpenTaskFolder(), folder.path() + "源/");
    EXPECT_EQ(context->GetTask()->GetTaskInfo().GetTaskName(), "甲");
}

TEST_F(NewTaskTest, TheDemoTaskIsCopiedOnceIntoTheUsersTaskFolder)
{
    CAppContext* context = MakeContext();
    ASSERT_TRUE(context->OpenDemoTask());
    const std::string copy = CAppContext::GetDemoTaskFile();
    EXPECT_EQ(copy, TaskFolder() + "演示排课/演示排课.zem");
    EXPECT_EQ(context->GetTask()->GetTaskInfo().GetTaskFile(), copy);
    EXPECT_GT(context->GetTask()->GetClassInfoList().GetCount(), 0);
    // A copy the user changed is opened as it stands.
    zem::WriteProfileString(copy, "Task Info", "Description", "改过");
    ASSERT_TRUE(context->OpenDemoTask());
    EXPECT_EQ(zem::GetProfileString(copy, "Task Info", "Description"), "改过");
}

TEST_F(NewTaskTest, ANewTaskFromTheMainWindowOpensOnPage2AndThenTheTeachingTime)
{
    MakeContext();
    zem::gui::FakeClock clock;
    auto previousArea = zem::gui::SetWorkAreaHook([] { return zem::Rect(0, 0, 1280, 800); });
    int teachingTime = 0;
    FeatureWindows().windows[Feature::TeachingTime] = [&] { ++teachingTime; };
    std::string caption;
    int page = -1;
    ModalScope scope([&](Dialog& d) {
        if (auto* newTask = dynamic_cast<CNewTaskDlg*>(&d)) {
            TypeText(Edit(*newTask, CNewTaskDlg::IDC_NAME), "2026学年第一学期");
            QTest::mouseClick(newTask->GetDlgItem(zem::IDOK), Qt::LeftButton);
            return;
        }
        auto& main = static_cast<CMainDlg&>(d);
        clock.Advance(1000);  // no task open: the new-task dialog is offered
        caption = main.Caption();
        page = main.GetPagePanel()->GetCurrentPage();
        clock.Advance(299);
        EXPECT_EQ(teachingTime, 0);
        clock.Advance(1);
        EXPECT_EQ(teachingTime, 1);
        clock.Advance(5000);
        EXPECT_EQ(teachingTime, 1);
        main.close();
    });
    CMainDlg dialog;
    dialog.DoModal();
    zem::gui::SetWorkAreaHook(previousArea);
    EXPECT_EQ(caption, CMainDlg::BuildTitle() + " - 2026学年第一学期");
    EXPECT_EQ(page, 1);
    const std::string task = TaskFolder() + "2026学年第一学期/";
    EXPECT_TRUE(zem::FileExists(task + "2026学年第一学期.zem"));
    EXPECT_TRUE(zem::FileExists(task + "input.xml"));
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(task + "2026学年第一学期.zem"));
    EXPECT_EQ(reopened.GetClassInfoList().GetCount(), 0);
    // Closing stored the page.
    EXPECT_EQ(zem::GetProfileString(IniPath(), "Common", "LastPage"), "1");
}

}  // namespace
