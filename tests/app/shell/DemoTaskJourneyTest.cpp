// Journeys on the demo task, driven only through the program's windows: a backup restored after a
// change, and a partial re-run of two classes.
#include "support/JourneyTestSupport.h"

#include "app/controls/MultiSelectDlg.h"
#include "app/data/AddPlanDlg.h"
#include "app/data/PlanListPage.h"
#include "app/shell/AutoScheduleDlg.h"
#include "app/shell/AutoScheduleReportDlg.h"
#include "app/shell/AutoScheduleStartDlg.h"
#include "app/shell/BackupDlg.h"
#include "app/shell/BackupRestoreDlg.h"
#include "app/shell/NewTaskDlg.h"
#include "app/shell/PartialRescheduleDlg.h"
#include "base/TaskFolder.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/ReportList.h"
#include "base/ScheduleValidator.h"

#include <QCheckBox>
#include <QComboBox>

#include <map>

namespace {

using zem::gui::Dialog;

// The task's own files, without its backups and what a restore puts aside.
std::map<std::string, std::string> TaskFiles(const std::string& taskFolder)
{
    std::map<std::string, std::string> files = FilesIn(taskFolder);
    std::erase_if(files, [](const auto& file) {
        return file.first == "backup.ini" || file.first.rfind("Backup/", 0) == 0 || file.first.rfind(".", 0) == 0;
    });
    return files;
}

class DemoJourney : public Journey {
protected:
    void OpenDemoTask(CMainDlg& main)
    {
        Journey::OpenDemoTask(main);
        if (CAppContext::Get()->HasTask())
            taskFolder = CAppContext::Get()->GetTask()->GetTaskInfo().GetTaskFolder();
    }

    std::string taskFolder;
};

TEST_F(DemoJourney, ABackupRestoredAfterAPlansTeacherChangedGivesBackTheBackedUpFiles)
{
    std::string backupFolder;
    std::string oldTeacher, newTeacher;
    StartProgram([&](CMainDlg& main) {
        OpenDemoTask(main);
        SaveScreenshot(&main, "journey_demo_opened");

        Expect<CBackupDlg>("backup", [&](CBackupDlg& d) {
            Click(d, CBackupDlg::IDC_OPEN_AFTER);
            EXPECT_FALSE(d.Item<QCheckBox>(CBackupDlg::IDC_OPEN_AFTER)->isChecked());
            // Into the documents folder it offers.
            EXPECT_EQ(d.GetDlgItemText(CBackupDlg::IDC_TARGET_FOLDER), Documents());
            backupFolder = Documents() + d.GetDlgItemText(CBackupDlg::IDC_FOLDER_NAME) + "/";
            SaveScreenshot(&d, "journey_demo_backup");
            Click(d, zem::IDOK);
            EXPECT_TRUE(d.IsEnded());
        });
        ClickQuickTool(main, 104);
        ASSERT_TRUE(StepsDone());
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back(), "备份成功");
        const auto backedUp = TaskFiles(taskFolder);
        auto copied = FilesIn(backupFolder);
        EXPECT_EQ(copied.erase(TaskFolder::kBackupMarker), 1u);
        EXPECT_EQ(copied, backedUp);

        // The first plan of the class shown takes another teacher, saved on the page.
        ClickPage(main, 1);
        Expect<CPlanListPage>("plans", [&](CPlanListPage& page) {
            zem::gui::ReportList* list = page.GetList();
            ASSERT_GT(list->GetItemCount(), 0);
            list->SetSelected(0, true);
            Expect<CAddPlanDlg>("plan", [&](CAddPlanDlg& d) {
                QComboBox* teacher = d.Item<QComboBox>(CAddPlanDlg::IDC_TEACHER);
                oldTeacher = teacher->currentText().toStdString();
                // A teacher with no lesson of this class's week is free at any time.
                teacher->setCurrentIndex(teacher->count() - 1 == teacher->currentIndex() ? 0 : teacher->count() - 1);
                newTeacher = teacher->currentText().toStdString();
                SaveScreenshot(&d, "journey_demo_plan_teacher");
                Click(d, zem::IDOK);
            });
            Click(page, CListBaseDlg::IDC_EDIT);
            EXPECT_TRUE(page.IsModified());
            Click(page, CListBaseDlg::IDC_SAVE);
            EXPECT_FALSE(page.IsModified());
            SaveScreenshot(&page, "journey_demo_plans_changed");
            page.close();
        });
        ClickTool(main, 15);
        ASSERT_TRUE(StepsDone());
        EXPECT_NE(oldTeacher, newTeacher);
        EXPECT_NE(TaskFiles(taskFolder), backedUp);

        Expect<CBackupRestoreDlg>("restore", [&](CBackupRestoreDlg& d) {
            zem::gui::ReportList& list = *d.GetList();
            int row = -1;
            for (int i = 0; i < list.GetItemCount(); ++i)
                if (d.GetRowFolder(i) == backupFolder)
                    row = i;
            ASSERT_GE(row, 0) << "the backup is not listed";
            list.SetSelected(row, true);
            SaveScreenshot(&d, "journey_demo_restore");
            Click(d, zem::IDOK);
            EXPECT_TRUE(d.IsEnded());
        });
        ClickQuickTool(main, 1364);
        ASSERT_TRUE(StepsDone());
        EXPECT_EQ(messages.back(), "恢复成功");
        EXPECT_EQ(TaskFiles(taskFolder), backedUp);
        SaveScreenshot(&main, "journey_demo_restored");

        // The open task is the restored one: the plan has its teacher back.
        Expect<CPlanListPage>("plans restored", [&](CPlanListPage& page) {
            EXPECT_EQ(page.GetList()->GetItemText(0, 2), oldTeacher);
            page.close();
        });
        ClickTool(main, 15);
        ASSERT_TRUE(StepsDone());
        main.close();
    });
}

TEST_F(DemoJourney, APartialRerunOfTwoClassesLeavesEveryOtherClassAsItWas)
{
    std::vector<std::string> chosen;
    StartProgram([&](CMainDlg& main) {
        OpenDemoTask(main);
        RunWholeSchool(main, "journey_demo_report");
        ASSERT_TRUE(StepsDone());
        const auto before = LessonsByClass(taskFolder + "output.xml");
        ASSERT_FALSE(before.empty());

        Expect<CPartialRescheduleDlg>("partial", [&](CPartialRescheduleDlg& d) {
            Click(d, CPartialRescheduleDlg::IDC_CHOOSE_CLASSES);
            chosen = d.GetChosenIds();
            SaveScreenshot(&d, "journey_demo_partial");
            Click(d, zem::IDOK);
        });
        Expect<CMultiSelectDlg>("classes", [](CMultiSelectDlg& c) {
            auto& list = *c.Item<zem::gui::ItemList>(CMultiSelectDlg::IDC_LIST);
            ClickCheck(list, 0);
            ClickCheck(list, 1);
            Click(c, zem::IDOK);
        });
        ExpectRunAndReport("journey_demo_partial_report");
        ClickTool(main, 25);
        ASSERT_TRUE(StepsDone());
        ASSERT_EQ(chosen.size(), 2u);

        const auto after = LessonsByClass(taskFolder + "output.xml");
        ASSERT_EQ(after.size(), before.size());
        for (const auto& [classId, lessons] : before) {
            if (classId != chosen[0] && classId != chosen[1]) {
                EXPECT_EQ(after.at(classId), lessons) << classId;
            }
        }
        const ScheduleValidation validation = ValidateSchedule(*CAppContext::Get()->GetTask());
        EXPECT_TRUE(validation.IsClean()) << validation.Text();
        main.close();
    });
}

}  // namespace
