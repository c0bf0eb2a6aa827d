// A school from nothing to its timetables, as an office builds it through the program's windows:
// the new task, the teaching time, classes, courses and teachers added in batches, the plans, the
// automatic run and its report; then the program quits and reopens the task by itself.
#include "support/DataDialogTestSupport.h"
#include "support/JourneyTestSupport.h"

#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/controls/TimeSlotPickerDlg.h"
#include "app/data/AddPlanDlg.h"
#include "app/data/BatchAddClassDlg.h"
#include "app/data/BatchAddCourseDlg.h"
#include "app/data/BatchAddTeacherDlg.h"
#include "app/data/CombineClassListPage.h"
#include "app/data/CoursePresetPage.h"
#include "app/data/FixedTimePages.h"
#include "app/data/MutexPages.h"
#include "app/data/ObjectListPages.h"
#include "app/data/PlanListPage.h"
#include "app/data/SelfStudyListPage.h"
#include "app/data/TeachingTimeDlg.h"
#include "app/shell/AutoScheduleDlg.h"
#include "app/shell/AutoScheduleReportDlg.h"
#include "app/shell/AutoScheduleStartDlg.h"
#include "app/shell/NewTaskDlg.h"
#include "app/timetable/WeekTimetableDlg.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/ReportList.h"
#include "base/ScheduleValidator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

using zem::gui::Dialog;

const std::string kTaskName = "2026学年第一学期";

// Twenty-four teachers, pasted as the office's list holds them: a name a line, some with the
// characters of names that GBK's common set lacks.
const std::vector<std::string> kTeachers = {
    "王喆", "李堃", "张玥", "陈瑋", "刘琝", "杨洋", "赵敏", "黄磊", "周芳", "吴强", "徐静", "孙涛",
    "胡军", "朱丽", "高峰", "林娜", "何勇", "郭婷", "马超", "罗兰", "梁宇", "宋佳", "郑浩", "谢琳",
};

// The week of every class: course, lessons, teacher of the class's pair (classes 2k and 2k+1
// share their teachers).
struct PlanOfClass {
    const char* course;
    const char* count;
    int firstTeacher;
};
const PlanOfClass kPlans[] = {{"语文", "5", 0}, {"数学", "5", 6}, {"英语", "4", 12}, {"体育", "2", 18}};

// Every lesson of every class's timetable, as "class day segment section plan" lines.
std::string ClassTables(CScheduleTask& task)
{
    std::string text;
    for (const auto& [id, object] : task.GetClassInfoList()) {
        const CCourseTable& table = task.GetClass(id)->GetTable(false);
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section)
                    if (table.IsUsed(day, segment, section))
                        text += zem::Format("%s %d %d %d %s\n", object->GetName().c_str(), day, segment, section,
                                            table.GetNode(day, segment, section).data(1).GetCourseId().c_str());
    }
    return text;
}

// Picks the combo box's entry of that text as the user does.
void Choose(QComboBox* box, const std::string& text)
{
    const int index = box->findText(QString::fromStdString(text));
    ASSERT_GE(index, 0) << text;
    box->setCurrentIndex(index);
    emit box->activated(index);
}

class NewSchoolJourney : public Journey {
protected:
    std::string TaskFolder() const { return Documents() + "我的排课任务/" + kTaskName + "/"; }

    void NewTask(CMainDlg& main)
    {
        Expect<CNewTaskDlg>("new task", [this](CNewTaskDlg& d) {
            QLineEdit* name = d.Item<QLineEdit>(CNewTaskDlg::IDC_NAME);
            name->clear();
            TypeText(name, kTaskName);
            EXPECT_EQ(d.GetDlgItemText(CNewTaskDlg::IDC_FOLDER) + "/", TaskFolder());
            SaveScreenshot(&d, "journey_new_task");
            Click(d, zem::IDOK);
        });
        // The new task asks for its teaching time by itself.
        Expect<CTeachingTimeDlg>("teaching time", [](CTeachingTimeDlg& d) {
            for (int day = 0; day < zem::kDayCount; ++day) {
                QCheckBox* box = d.Item<QCheckBox>(CTeachingTimeDlg::IDC_DAY_FIRST + day);
                if (box->isVisible() && box->isChecked() != (day < 5))
                    box->click();
            }
            const int sections[zem::kSegmentCount] = {4, 3, 0, 0, 1};  // forenoon, afternoon, evening, reading, self-study
            for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
                QComboBox* box = d.Item<QComboBox>(CTeachingTimeDlg::IDC_SECTIONS_FIRST + segment);
                box->setCurrentIndex(sections[segment]);
                emit box->activated(sections[segment]);
            }
            EXPECT_EQ(d.GetSummaryText(), "每周课时数 35 晚自习 5");
            SaveScreenshot(&d, "journey_teaching_time");
            Click(d, zem::IDOK);
            EXPECT_FALSE(d.IsModified());
            d.close();
        });
        ASSERT_TRUE(Until([&] { return StepsDone(); })) << "the new task was not offered by itself";
        ASSERT_TRUE(CAppContext::Get()->HasTask());
        EXPECT_EQ(main.GetPagePanel()->GetCurrentPage(), 1);
        SaveScreenshot(&main, "journey_task_created");
    }

    // Opens the page of the tool-box entry; `work` fills it, then it is saved and closed.
    template <class Page>
    void OnPage(CMainDlg& main, int code, const std::string& picture, std::function<void(Page&)> work)
    {
        Expect<Page>(picture, [work, picture](Page& page) {
            work(page);
            Click(page, CListBaseDlg::IDC_SAVE);
            EXPECT_FALSE(page.IsModified()) << picture;
            SaveScreenshot(&page, picture);
            page.close();
            EXPECT_TRUE(page.IsEnded()) << picture;
        });
        ClickTool(main, code);
        ASSERT_TRUE(StepsDone()) << picture;
    }

    void BasicData(CMainDlg& main)
    {
        // A class page without classes offers the batch add by itself.
        OnPage<CClassListPage>(main, 9, "journey_classes", [this](CClassListPage& page) {
            Expect<CBatchAddClassDlg>("batch classes", [](CBatchAddClassDlg& d) {
                Choose(d.Item<QComboBox>(CBatchAddClassDlg::IDC_SCHOOL_TYPE), "初中（初一，初二，初三）");
                QLineEdit* count = d.Item<QLineEdit>(CBatchAddClassDlg::IDC_COUNT);
                count->clear();
                TypeText(count, "4");
                SaveScreenshot(&d, "journey_batch_classes");
                Click(d, zem::IDOK);
            });
            ASSERT_TRUE(Until([&] { return StepsDone(); }, 5000)) << "no batch add by itself";
            EXPECT_EQ(page.GetList()->GetItemCount(), 12);
        });
        OnPage<CSubjectListPage>(main, 10, "journey_courses", [this](CSubjectListPage& page) {
            Expect<CBatchAddCourseDlg>("batch courses", [](CBatchAddCourseDlg& d) {
                Choose(d.GetLevelBox(), "初中");
                SaveScreenshot(&d, "journey_batch_courses");
                Click(d, zem::IDOK);
            });
            Click(page, CBasicDataPage::IDC_BATCH_ADD);
            EXPECT_EQ(page.GetList()->GetItemCount(), 15);
        });
        OnPage<CTeacherListPage>(main, 11, "journey_teachers", [this](CTeacherListPage& page) {
            Expect<CBatchAddTeacherDlg>("batch teachers", [](CBatchAddTeacherDlg& d) {
                std::string pasted;
                for (const std::string& name : kTeachers)
                    pasted += name + "\n";
                d.GetNamesEdit()->setFocus();
                d.GetNamesEdit()->insertPlainText(QString::fromStdString(pasted));
                SaveScreenshot(&d, "journey_batch_teachers");
                Click(d, zem::IDOK);
            });
            Click(page, CBasicDataPage::IDC_BATCH_ADD);
            EXPECT_EQ(page.GetList()->GetItemCount(), static_cast<int>(kTeachers.size()));
        });
        OnPage<CPlanListPage>(main, 15, "journey_plans", [this](CPlanListPage& page) {
            Expect<CAddPlanDlg>("plans", [](CAddPlanDlg& d) {
                QComboBox* classes = d.Item<QComboBox>(CAddPlanDlg::IDC_CLASS);
                ASSERT_EQ(classes->count(), 12);
                for (int k = 0; k < classes->count(); ++k) {
                    for (const PlanOfClass& plan : kPlans) {
                        classes->setCurrentIndex(k);
                        emit classes->activated(k);
                        Choose(d.Item<QComboBox>(CAddPlanDlg::IDC_COURSE), plan.course);
                        Choose(d.Item<QComboBox>(CAddPlanDlg::IDC_TEACHER),
                               kTeachers[static_cast<std::size_t>(plan.firstTeacher + k / 2)]);
                        d.SetDlgItemText(CAddPlanDlg::IDC_WEEK_COUNT, plan.count);
                        Click(d, zem::IDOK);
                        ASSERT_FALSE(d.IsEnded());
                    }
                }
                SaveScreenshot(&d, "journey_plan_dialog");
                Click(d, zem::IDCANCEL);
            });
            Click(page, CListBaseDlg::IDC_ADD);
            EXPECT_EQ(page.GetCards()->GetCount(), 12);
        });
        // One evening self-study a week for every class, kept by its Chinese teacher.
        OnPage<CSelfStudyListPage>(main, 14, "journey_self_study", [this](CSelfStudyListPage& page) {
            Expect<CAddPlanDlg>("self-study", [](CAddPlanDlg& d) {
                QComboBox* classes = d.Item<QComboBox>(CAddPlanDlg::IDC_CLASS);
                ASSERT_EQ(classes->count(), 12);
                for (int k = 0; k < classes->count(); ++k) {
                    classes->setCurrentIndex(k);
                    emit classes->activated(k);
                    Choose(d.Item<QComboBox>(CAddPlanDlg::IDC_KIND), CSelfStudyListPage::kSelfStudy);
                    Choose(d.Item<QComboBox>(CAddPlanDlg::IDC_COURSE), "自习");
                    Choose(d.Item<QComboBox>(CAddPlanDlg::IDC_TEACHER), kTeachers[static_cast<std::size_t>(k / 2)]);
                    d.SetDlgItemText(CAddPlanDlg::IDC_WEEK_COUNT, "1");
                    Click(d, zem::IDOK);
                    ASSERT_FALSE(d.IsEnded());
                }
                SaveScreenshot(&d, "journey_self_study_dialog");
                Click(d, zem::IDCANCEL);
            });
            Click(page, CListBaseDlg::IDC_ADD);
        });
        const CScheduleTask* task = CAppContext::Get()->GetTask();
        EXPECT_EQ(task->GetClassInfoList().GetCount(), 12);
        EXPECT_EQ(task->GetTeacherInfoList().GetCount(), static_cast<int>(kTeachers.size()));
    }

    // Clicks a cell of a week grid as the user does.
    static void ClickCell(CWeekTable& grid, const tagTABLE_NODE& cell)
    {
        zem::Rect r;
        grid.GetCellRect(cell, &r);
        QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.mapFromGlobal(QPoint(r.CenterPoint().x, r.CenterPoint().y)));
    }
    // Ticks the named entries of the chooser and confirms it.
    static void Tick(CMultiSelectDlg& chooser, const std::vector<std::string>& names)
    {
        auto& list = *chooser.Item<zem::gui::ItemList>(CMultiSelectDlg::IDC_LIST);
        const std::vector<std::string> listed = Listed(list);
        for (const std::string& name : names) {
            const auto at = std::find(listed.begin(), listed.end(), name);
            ASSERT_NE(at, listed.end()) << name;
            ClickCheck(list, static_cast<int>(at - listed.begin()));
        }
        Click(chooser, zem::IDOK);
    }

    void Rules(CMainDlg& main)
    {
        ClickPage(main, 2);
        SaveScreenshot(&main, "journey_rules_page");
        // A class without lessons on Friday's last afternoon period.
        Expect<CClassFixedTimePage>("class fixed times", [this](CClassFixedTimePage& page) {
            Expect<CMultiSelectDlg>("classes", [](CMultiSelectDlg& d) { Tick(d, {kFixedClass}); });
            Expect<CTimeSlotPickerDlg>("slots", [](CTimeSlotPickerDlg& d) {
                ClickCell(*d.GetGrid(), kFixedSlot);
                EXPECT_TRUE(d.m_marks.IsInvalid(kFixedSlot.day, kFixedSlot.segment, kFixedSlot.section));
                SaveScreenshot(&d, "journey_fixed_time_slots");
                Click(d, zem::IDOK);
            });
            Click(page, CListBaseDlg::IDC_ADD);
            EXPECT_EQ(page.GetList()->GetItemCount(), 1);
            Click(page, CListBaseDlg::IDC_SAVE);
            EXPECT_FALSE(page.IsModified());
            SaveScreenshot(&page, "journey_fixed_times");
            page.close();
        });
        menus.choices = {"班级固定无课时间"};
        ClickTool(main, 19);
        ASSERT_TRUE(StepsDone());

        // A pre-arranged lesson: the maths of one class first thing on Monday.
        OnPage<CCoursePresetPage>(main, 17, "journey_presets", [this](CCoursePresetPage& page) {
            Expect<CCoursePlanPickerDlg>("preset plan", [](CCoursePlanPickerDlg& d) {
                TickPlans(d, {std::string(kPresetClass) + " 数学("});
            });
            Expect<CTimeSlotPickerDlg>("preset slot", [](CTimeSlotPickerDlg& d) {
                ClickCell(*d.GetGrid(), kPresetSlot);
                SaveScreenshot(&d, "journey_preset_slot");
                Click(d, zem::IDOK);
            });
            Click(page, CListBaseDlg::IDC_ADD);
            EXPECT_EQ(page.GetList()->GetItemCount(), 1);
        });
        // A combined class: the two classes of one PE teacher take PE together.
        OnPage<CCombineClassListPage>(main, 18, "journey_combined", [this](CCombineClassListPage& page) {
            Expect<CCombinedClassPlanDlg>("combined plans", [](CCombinedClassPlanDlg& d) {
                TickPlans(d, {"初一（1）班 体育(", "初一（2）班 体育("});
                EXPECT_FALSE(d.IsEnded());  // open for the next group
                SaveScreenshot(&d, "journey_combined_plans");
                Click(d, zem::IDCANCEL);
            });
            Click(page, CListBaseDlg::IDC_ADD);
            EXPECT_EQ(page.GetList()->GetItemCount(), 1);
        });
        // Two Chinese teachers of different grades never at the same time.
        OnPage<CMutexTeacherPage>(main, 20, "journey_mutex_teachers", [this](CMutexTeacherPage& page) {
            Expect<CTeacherPickerDlg>("teacher", [](CTeacherPickerDlg& d) {
                d.Item<QLineEdit>(CObjectPickerDlg::IDC_SEARCH)->clear();
                TypeText(d.Item<QLineEdit>(CObjectPickerDlg::IDC_SEARCH), kTeachers[0]);
                Click(d, zem::IDOK);
            });
            Expect<CMultiSelectDlg>("exclusive teachers", [](CMultiSelectDlg& d) { Tick(d, {kTeachers[2]}); });
            Click(page, CListBaseDlg::IDC_ADD);
            EXPECT_EQ(page.GetList()->GetItemCount(), 1);
        });
    }

    // Ticks the plans whose descriptions start with the texts and confirms the picker.
    static void TickPlans(CCoursePlanPickerDlg& picker, const std::vector<std::string>& starts)
    {
        const CScheduleTask& task = *CAppContext::Get()->GetTask();
        zem::gui::ReportList& list = *picker.GetList();
        int ticked = 0;
        for (int row = 0; row < list.GetItemCount(); ++row) {
            const std::string desc = task.GetCourseDesc(list.GetItemPtr<CCourseInfo>(row));
            for (const std::string& start : starts)
                if (desc.rfind(start, 0) == 0) {
                    list.model()->setData(list.model()->index(row, 0), Qt::Checked, Qt::CheckStateRole);
                    ++ticked;
                }
        }
        EXPECT_EQ(ticked, static_cast<int>(starts.size()));
        Click(picker, zem::IDOK);
    }

    // The class of the fixed no-class time, and its slot; the class and slot of the preset.
    static constexpr const char* kFixedClass = "初一（1）班";
    static constexpr tagTABLE_NODE kFixedSlot{4, 1, 2};
    static constexpr const char* kPresetClass = "初二（1）班";
    static constexpr tagTABLE_NODE kPresetSlot{0, 0, 0};

    void Run(CMainDlg& main)
    {
        ClickPage(main, 3);
        SaveScreenshot(&main, "journey_run_page");
        Expect<CAutoScheduleStartDlg>("run start", [](CAutoScheduleStartDlg& d) {
            SaveScreenshot(&d, "journey_run_start");
            Click(d, zem::IDOK);
        });
        Expect<CAutoScheduleDlg>("run", [](CAutoScheduleDlg& d) {
            EXPECT_TRUE(Until([&] { return d.IsEnded(); }, 300000)) << "the run did not end";
        });
        Expect<CAutoScheduleReportDlg>("report", [this](CAutoScheduleReportDlg& d) {
            report = d.GetReportEdit()->toPlainText().toStdString();
            SaveScreenshot(&d, "journey_report");
            EXPECT_EQ(d.GetDlgItemText(zem::IDOK), "查看课表(&V)");
            Click(d, zem::IDOK);
        });
        Expect<CWeekTimetableDlg>("week timetable", [this](CWeekTimetableDlg& d) { MoveOneLesson(d); });
        ClickTool(main, 24);
        ASSERT_TRUE(StepsDone());
        EXPECT_EQ(main.GetPagePanel()->GetCurrentPage(), 4);
        EXPECT_NE(report.find("全部排完"), std::string::npos) << report;
        EXPECT_NE(report.find("早读和晚自习：12"), std::string::npos) << report;
    }

    // In the class timetable the report opened: a lesson picked and placed on a free slot the grid
    // offers, then saved, and the window closed.
    void MoveOneLesson(CWeekTimetableDlg& d)
    {
        // The office's screen, larger than the test's.
        d.setWindowState(Qt::WindowNoState);
        d.resize(1280, 800);
        CTableContainer& container = d.GetContainer();
        ASSERT_EQ(container.GetKind(), 0);
        CCourseTable& table = *container.GetTable();
        SaveScreenshot(&d, "journey_week_before");
        auto click = [&](const tagTABLE_NODE& slot) {
            zem::Rect r;
            container.GetGrid().GetCellRect(container.ToGridNode(slot), &r);
            QTest::mouseClick(&container.GetGrid(), Qt::LeftButton, {},
                              container.GetGrid().mapFromGlobal(QPoint(r.CenterPoint().x, r.CenterPoint().y)));
        };
        const CSchoolStructure& week = CAppContext::Get()->GetTask()->GetSchoolStructure();
        std::vector<tagTABLE_NODE> periods;
        ForEachSlot(week, {.lastSegment = 1}, [&](const tagTABLE_NODE& node) { periods.push_back(node); });
        for (const tagTABLE_NODE& from : periods) {
            if (!table.IsUsed(from))
                continue;
            const std::string plan = table.GetNode(from).data(1).GetCourseId();
            click(from);
            for (const tagTABLE_NODE& to : periods) {
                const CCell* cell = container.GetGrid().GetCell(container.ToGridNode(to));
                if (table.IsUsed(to) || !cell || cell->GetState() != CCell::STATE_FRIEND)
                    continue;
                click(to);
                EXPECT_TRUE(Until([&] { return !d.IsAnimating(); }));
                EXPECT_FALSE(table.IsUsed(from));
                ASSERT_TRUE(table.IsUsed(to));
                EXPECT_EQ(table.GetNode(to).data(1).GetCourseId(), plan);
                movedTo = to;
                break;
            }
            if (movedTo)
                break;
            click(from);  // no free place for this one: the pick is dropped
        }
        ASSERT_TRUE(movedTo) << "no lesson could be moved";
        EXPECT_TRUE(d.IsModified());
        SaveScreenshot(&d, "journey_week_after");
        Click(d, CWeekTimetableDlg::IDC_SAVE);
        EXPECT_FALSE(d.IsModified());
        d.close();
        EXPECT_TRUE(d.IsEnded());
    }

    std::string report;
    std::optional<tagTABLE_NODE> movedTo;
    MenuScript menus;
};

TEST_F(NewSchoolJourney, FromAnEmptyConfigurationToTimetablesThatReopenWithTheProgram)
{
    std::map<std::string, std::vector<std::string>> saved;
    std::string shown;
    StartProgram([&](CMainDlg& main) {
        NewTask(main);
        BasicData(main);
        Rules(main);
        Run(main);
        saved = LessonsByClass(TaskFolder() + "output.xml");
        CScheduleTask& task = *CAppContext::Get()->GetTask();
        shown = ClassTables(task);
        for (const auto& [id, object] : task.GetClassInfoList())
            if (object->GetName() == kFixedClass) {
                EXPECT_FALSE(task.GetClass(id)->GetTable(false).IsUsed(kFixedSlot.day, kFixedSlot.segment,
                                                                        kFixedSlot.section));
            } else if (object->GetName() == kPresetClass) {
                const CCourseTable& table = task.GetClass(id)->GetTable(false);
                ASSERT_TRUE(table.IsUsed(kPresetSlot.day, kPresetSlot.segment, kPresetSlot.section));
                const std::string plan =
                    table.GetNode(kPresetSlot.day, kPresetSlot.segment, kPresetSlot.section).data(1).GetCourseId();
                EXPECT_NE(task.GetCourseDesc(plan).find(" 数学("), std::string::npos) << task.GetCourseDesc(plan);
            }
        main.close();
    });
    ASSERT_EQ(saved.size(), 12u);

    // The next start opens the task by itself, with the timetables it was left with.
    StartProgram([&](CMainDlg& main) {
        ASSERT_TRUE(CAppContext::Get()->HasTask());
        EXPECT_EQ(main.Caption(), CMainDlg::BuildTitle() + " - " + kTaskName);
        CScheduleTask& task = *CAppContext::Get()->GetTask();
        EXPECT_EQ(task.GetClassInfoList().GetCount(), 12);
        EXPECT_TRUE(CompareWithReopened(task, task.GetTaskInfo().GetTaskFile()).IsClean());
        EXPECT_EQ(ClassTables(task), shown);
        SaveScreenshot(&main, "journey_reopened");
        // The report of the last run is still there.
        ClickPage(main, 3);
        std::string again;
        Expect<CAutoScheduleReportDlg>("report again", [&](CAutoScheduleReportDlg& d) {
            again = d.GetReportEdit()->toPlainText().toStdString();
            Click(d, zem::IDCANCEL);
        });
        ClickTool(main, 26);
        EXPECT_EQ(again, report);
        main.close();
    });
    EXPECT_EQ(LessonsByClass(TaskFolder() + "output.xml"), saved);

    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(TaskFolder() + kTaskName + ".zem", TaskAccess::ReadOnly));
    const ScheduleValidation validation = ValidateSchedule(reopened);
    EXPECT_TRUE(validation.IsClean()) << validation.Text();
}

}  // namespace
