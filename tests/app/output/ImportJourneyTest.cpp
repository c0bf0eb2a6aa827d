// Importing what the program exported, through its windows: on the demo task after a run, the plan
// page exports its workbook as a flat list and as a cross table and the whole-school window writes
// the class master timetable; new tasks made through the new-task window import each plan workbook
// through their plan page, and another takes the master timetable back through "反导入".
#include "support/JourneyTestSupport.h"
#include "support/TaskLines.h"

#include "app/data/PlanListPage.h"
#include "app/data/TeachingTimeDlg.h"
#include "app/output/import/PlanImportDlg.h"
#include "app/output/import/ReverseImportDlg.h"
#include "app/shell/NewTaskDlg.h"
#include "app/timetable/SchoolTimetableDlg.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/PopupMenu.h"
#include "base/ScheduleValidator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <filesystem>

namespace {

class ImportJourney : public Journey {
protected:
    ImportJourney()
    {
        m_previousChooser = zem::gui::SetFileDialogHook([this](const zem::gui::FileDialogRequest&) { return chosen; });
        m_previousOpen = zem::gui::SetOpenHook([](const std::string&) { return zem::gui::kOpenDone; });
    }
    ~ImportJourney() override
    {
        zem::gui::SetOpenHook(m_previousOpen);
        zem::gui::SetFileDialogHook(m_previousChooser);
    }

    // A new task from the start page, with the teaching time of `week` set in the dialog the new
    // task opens by itself.
    void NewTask(CMainDlg& main, const std::string& name, const CSchoolStructure& week)
    {
        Expect<CNewTaskDlg>("new task " + name, [name](CNewTaskDlg& d) {
            QLineEdit* edit = d.Item<QLineEdit>(CNewTaskDlg::IDC_NAME);
            edit->clear();
            TypeText(edit, name);
            Click(d, zem::IDOK);
        });
        Expect<CTeachingTimeDlg>("teaching time " + name, [&week, name](CTeachingTimeDlg& d) {
            for (int day = 0; day < zem::kDayCount; ++day) {
                QCheckBox* box = d.Item<QCheckBox>(CTeachingTimeDlg::IDC_DAY_FIRST + day);
                if (box && box->isVisible() && box->isChecked() != week.IsDayInUse(day))
                    box->click();
            }
            for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
                QComboBox* box = d.Item<QComboBox>(CTeachingTimeDlg::IDC_SECTIONS_FIRST + segment);
                const int count = week.GetSectionNodeMaxCount(segment);
                ASSERT_LT(count, box->count()) << segment;
                box->setCurrentIndex(count);
                emit box->activated(count);
            }
            SaveScreenshot(&d, "journey_import_teaching_time_" + name);
            Click(d, zem::IDOK);
            d.close();
        });
        ClickPage(main, 0);
        ClickTool(main, 2);
        ASSERT_TRUE(Until([&] { return StepsDone(); })) << "no teaching time for the new task";
        CScheduleTask* task = CAppContext::Get()->GetTask();
        ASSERT_NE(task, nullptr);
        EXPECT_EQ(task->GetTaskInfo().GetTaskName(), name);
        EXPECT_EQ(task->GetSchoolStructure().GetWeekDayCount(), week.GetWeekDayCount());
        EXPECT_EQ(task->GetSchoolStructure().GetDayNodeCount(), week.GetDayNodeCount());
    }

    // Chooses the shape in the plan import dialog's list; the program keeps it for the export too.
    static void ChooseFormat(CPlanImportDlg& d, int format)
    {
        auto* formats = d.Item<QComboBox>(CPlanImportDlg::IDC_FORMAT);
        formats->setCurrentIndex(format);
        EXPECT_EQ(d.GetFormat(), format);
    }

    // The plan page of an empty task opens its import by itself; the workbook of that shape is
    // imported and the page saved.
    void ImportPlans(CMainDlg& main, int format, const std::string& path, const std::string& picture)
    {
        Expect<CPlanListPage>("plans " + picture, [&, this](CPlanListPage& page) {
            Expect<CPlanImportDlg>("import " + picture, [&, this](CPlanImportDlg& d) {
                // The dialog opens on the shape chosen last, the other one in this journey.
                EXPECT_EQ(d.GetFormat(), 1 - format);
                ChooseFormat(d, format);
                chosen = path;
                SaveScreenshot(&d, picture + "_dialog");
                Click(d, CPlanImportDlg::IDC_START);
                EXPECT_TRUE(Until([&] { return !d.IsImporting(); }, 120000));
                EXPECT_TRUE(d.IsEnded());
            });
            ASSERT_TRUE(Until([&] { return StepsDone(); }, 5000)) << "the empty plan page offered no import";
            Click(page, CListBaseDlg::IDC_SAVE);
            EXPECT_FALSE(page.IsModified());
            SaveScreenshot(&page, picture);
            page.close();
        });
        ClickPage(main, 1);
        ClickTool(main, 15);
        ASSERT_TRUE(StepsDone());
    }

    std::string chosen;

private:
    zem::gui::FileDialogHook m_previousChooser;
    zem::gui::OpenHook m_previousOpen;
};

TEST_F(ImportJourney, PlansAndTheMasterTimetableComeBackIntoNewTasks)
{
    const std::string files = (std::filesystem::path(folder.path()) / "导出" / "").string();
    std::filesystem::create_directories(files);
    const std::string planFiles[2] = {files + "计划交叉表格.xlsx", files + "计划平铺列表.xlsx"};
    std::string masterFile;
    std::vector<std::string> demoPlans;
    std::map<std::string, std::string> demoLessons;
    CSchoolStructure demoWeek;
    int demoClasses = 0, demoTeachers = 0, demoSubjects = 0, demoRooms = 0, demoCombined = 0;
    StartProgram([&](CMainDlg& main) {
        OpenDemoTask(main);
        RunWholeSchool(main, "journey_import_report");
        ASSERT_TRUE(StepsDone());
        CScheduleTask& demo = *CAppContext::Get()->GetTask();
        demoPlans = PlanLines(demo, true);
        demoLessons = ClassLessons(demo, false);
        demoWeek = demo.GetSchoolStructure();
        demoClasses = demo.GetClassInfoList().GetCount();
        demoTeachers = demo.GetTeacherInfoList().GetCount();
        demoSubjects = demo.GetSubjectInfoList().GetCount();
        demoRooms = demo.GetRoomInfoList().GetCount();
        demoCombined = demo.GetCombineCourseList().GetCount();
        ASSERT_FALSE(demoLessons.empty());

        // The plan workbook in each shape, the shape chosen in the import dialog's list.
        Expect<CPlanListPage>("demo plans", [&, this](CPlanListPage& page) {
            for (const int format : {zem::import::kFlatListFormat, zem::import::kCrossTableFormat}) {
                Expect<CPlanImportDlg>("shape", [format](CPlanImportDlg& d) {
                    ChooseFormat(d, format);
                    d.close();
                });
                Click(page, CListBaseDlg::IDC_IMPORT);
                ASSERT_TRUE(StepsDone());
                chosen = planFiles[format];
                Answer("导出成功!", zem::IDNO);
                Click(page, CPlanListPage::IDC_EXPORT);
                EXPECT_TRUE(std::filesystem::exists(planFiles[format])) << planFiles[format];
            }
            SaveScreenshot(&page, "journey_import_demo_plans");
            page.close();
        });
        ClickPage(main, 1);
        ClickTool(main, 15);
        ASSERT_TRUE(StepsDone());

        // The class master timetable from the whole-school window, laid out across, its
        // morning-reading and evening self-study periods shown: the teaching time the new task gets.
        masterFile = files + "全校班级总课表.xlsx";
        Expect<CSchoolTimetableDlg>("whole school", [&, this](CSchoolTimetableDlg& d) {
            EXPECT_EQ(d.Item<QComboBox>(CSchoolTimetableDlg::IDC_STYLE)->currentText().toStdString(), "横排");
            const auto previousMenu = zem::gui::SetPopupMenuHook([](const std::vector<zem::gui::MenuItem>& items) {
                for (const zem::gui::MenuItem& item : items)
                    if (item.id == CSchoolTimetableDlg::ID_SHOW_SS) {
                        EXPECT_FALSE(item.checked);
                        return item.id;
                    }
                ADD_FAILURE() << "no self-study entry in the options";
                return 0;
            });
            Click(d, CSchoolTimetableDlg::IDC_OPTIONS);
            zem::gui::SetPopupMenuHook(previousMenu);
            chosen = masterFile;
            Answer("导出成功!", zem::IDNO);
            Click(d, CSchoolTimetableDlg::IDC_EXPORT);
            SaveScreenshot(&d, "journey_import_whole_school");
            d.close();
        });
        ClickPage(main, 4);
        ClickTool(main, 28);
        ASSERT_TRUE(StepsDone());
        ASSERT_TRUE(std::filesystem::exists(masterFile)) << masterFile;

        // Each plan workbook into a task of its own: the demo's plans, by name.
        const char* const names[2] = {"导入交叉表格", "导入平铺列表"};
        for (const int format : {zem::import::kFlatListFormat, zem::import::kCrossTableFormat}) {
            SCOPED_TRACE(names[format]);
            NewTask(main, names[format], demoWeek);
            ImportPlans(main, format, planFiles[format], std::string("journey_import_plans_") + names[format]);
            EXPECT_EQ(PlanLines(*CAppContext::Get()->GetTask(), true), demoPlans);
        }

        // The master timetable into another empty task, unchecked: the new task's plans take no
        // double lessons, which their even spreading would refuse.
        NewTask(main, "反导入", demoWeek);
        chosen = masterFile;
        Expect<CReverseImportDlg>("reverse import", [](CReverseImportDlg& d) {
            SaveScreenshot(&d, "journey_reverse_import");
            Click(d, zem::IDOK);
        });
        Expect<CReverseImportPreviewDlg>("reverse preview", [](CReverseImportPreviewDlg& d) {
            ASSERT_TRUE(Until([&] { return !d.IsPreviewing(); }, 60000));
            ASSERT_TRUE(Until([&] { return d.IsItemEnabled(zem::IDOK); }, 5000)) << d.LogText();
            auto* check = d.Item<QCheckBox>(CReverseImportPreviewDlg::IDC_CHECK_CONFLICT);
            if (check->isChecked())
                check->click();
            SaveScreenshot(&d, "journey_reverse_preview");
            Click(d, zem::IDOK);
            EXPECT_TRUE(Until([&] { return d.IsEnded(); }, 120000)) << d.LogText();
        });
        ClickQuickTool(main, 1372);
        ASSERT_TRUE(StepsDone());
        CScheduleTask& fresh = *CAppContext::Get()->GetTask();
        EXPECT_EQ(fresh.GetClassInfoList().GetCount(), demoClasses);
        // Every lesson back with its subject, teachers and kind, activities as activities: nothing more.
        EXPECT_EQ(ClassLessons(fresh, false), demoLessons);
        EXPECT_LE(fresh.GetTeacherInfoList().GetCount(), demoTeachers);
        EXPECT_LE(fresh.GetSubjectInfoList().GetCount(), demoSubjects);
        EXPECT_LE(fresh.GetRoomInfoList().GetCount(), demoRooms);
        // The combined classes come back as combined classes: no teacher is booked twice; the plans
        // made record the double lessons they were given.
        EXPECT_EQ(fresh.GetCombineCourseList().GetCount(), demoCombined);
        const ScheduleValidation found = ValidateSchedule(fresh);
        EXPECT_TRUE(found.IsClean()) << found.Text();
        SaveScreenshot(&main, "journey_reverse_imported");
        main.close();
    });
}

}  // namespace
