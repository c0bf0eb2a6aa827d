// The dialogs of the proctoring page: an exam added and changed, the two rules, the duty counts,
// and the window the assignment runs under.
#include "app/proctor/ExamPlanDlg.h"
#include "app/proctor/ProctorProgressDlg.h"
#include "app/proctor/ProctorRuleDlg.h"
#include "app/proctor/ProctorStatDlg.h"

#include "app/controls/MultiSelectDlg.h"
#include "app/controls/SortListCtrl.h"
#include "platform/gui/ItemList.h"
#include "support/DataDialogTestSupport.h"
#include "support/ProctorSchool.h"
#include "support/WorkerLatch.h"

#include <QComboBox>
#include <QDateEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include <thread>

namespace {

using zem::gui::Dialog;

void Click(Dialog& dialog, int id)
{
    QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

class ClockAt {
public:
    explicit ClockAt(zem::LocalTime time) : m_previous(zem::SetClockHook([time] { return time; })) {}
    ~ClockAt() { zem::SetClockHook(m_previous); }

private:
    zem::ClockHook m_previous;
};

// The chooser of rooms ends with every item ticked, as it opens.
void AcceptChooser(Dialog& dialog)
{
    ASSERT_NE(dynamic_cast<CMultiSelectDlg*>(&dialog), nullptr) << dialog.Caption();
    Click(dialog, zem::IDOK);
}

TEST(ExamPlanDlg, AddsAnExamOnTheNextDayAndRefusesWhatCannotBeWatched)
{
    ProctorSchool school;
    // The last day of a month: the next day is in the next one.
    const ClockAt clock({2024, 6, 30, 16, 45, 0});
    ScriptedMessages messages;
    MenuScript menus;
    CExamPlanDlg dialog;
    // The exam's dialog, then the two choosers it opens.
    DialogScript script({[&](Dialog& shown) {
                             ASSERT_EQ(&shown, &dialog);
                             CExamPlanDlg& d = dialog;
        EXPECT_EQ(d.Caption(), "添加考试计划");
        EXPECT_EQ(d.GetDlgItemText(zem::IDOK), "添加");
        EXPECT_EQ(d.Item<QDateEdit>(CExamPlanDlg::IDC_DATE)->date(), QDate(2024, 7, 1));
        EXPECT_EQ(d.Item<QTimeEdit>(CExamPlanDlg::IDC_START)->time(), QTime(9, 0));
        EXPECT_EQ(d.Item<QTimeEdit>(CExamPlanDlg::IDC_END)->time(), QTime(11, 0));
        EXPECT_EQ(d.Item<QComboBox>(CExamPlanDlg::IDC_COUNT)->currentText(), "2");
        EXPECT_EQ(d.Item<QComboBox>(CExamPlanDlg::IDC_SUBJECT)->currentText(), "语文");
        EXPECT_EQ(d.GetDlgItemText(CExamPlanDlg::IDC_ROOM_CAPTION), "考场列表（0）");

        // No rooms: refused, and the rooms pop-up opens.
        Click(d, zem::IDOK);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(messages.Texts(), Strings{"没有指定考场"});
        ASSERT_EQ(menus.shown.size(), 1u);
        EXPECT_EQ(menus.shown[0][0].text, "从班级信息列表添加常规教室考场");

        // Classes added twice stay once each.
        d.SendCommand(CExamPlanDlg::ID_ROOMS_FROM_CLASSES);
        d.SendCommand(CExamPlanDlg::ID_ROOMS_FROM_CLASSES);
        EXPECT_EQ(d.GetRooms(), (Strings{"c1", "c2", "c3", "c4", "c5", "c6"}));
        EXPECT_EQ(d.GetDlgItemText(CExamPlanDlg::IDC_ROOM_CAPTION), "考场列表（6）");
        EXPECT_EQ(Listed(*d.Item<zem::gui::ItemList>(CExamPlanDlg::IDC_ROOMS))[0], "高一(1)班");

        // An exam that ends when it starts could double-book its teachers.
        d.Item<QTimeEdit>(CExamPlanDlg::IDC_END)->setTime(QTime(9, 0));
        Click(d, zem::IDOK);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(messages.Texts().back(), "结束时间必须晚于开始时间");

        d.Item<QTimeEdit>(CExamPlanDlg::IDC_END)->setTime(QTime(11, 30));
        d.Item<QComboBox>(CExamPlanDlg::IDC_SUBJECT)->setCurrentIndex(1);
        d.Item<QComboBox>(CExamPlanDlg::IDC_COUNT)->setCurrentIndex(2);
        SaveScreenshot(&d, "exam_plan_dialog");
        Click(d, zem::IDOK);
                         },
                         AcceptChooser, AcceptChooser});
    ASSERT_EQ(dialog.DoModal(), zem::IDOK);
    CProctorData::Plan plan;
    dialog.GetPlan(plan);
    EXPECT_EQ(plan.id.size(), 32u);
    EXPECT_EQ(plan.date, (CProctorData::DateTime{2024, 7, 1}));
    EXPECT_EQ(plan.startTime.FormatTime(), "09:00:00");
    EXPECT_EQ(plan.endTime.FormatTime(), "11:30:00");
    EXPECT_EQ(plan.subject, "s2");
    EXPECT_EQ(plan.teacherCount, 3);
    EXPECT_EQ(plan.rooms.size(), 6u);
}

// Once invigilators are assigned, only the subject and the number per room may change; the rest
// stays exactly as stored.
TEST(ExamPlanDlg, AnArrangedExamKeepsItsTimesAndRooms)
{
    ProctorSchool school;
    CProctorData data;
    CProctorData::Plan* stored = AddExam(data, "p1", 5, "08:30:15", "08:30:15", "s1", {"c1", "r2"}, 2);
    CExamPlanDlg dialog;
    dialog.m_modify = true;
    dialog.m_arranged = true;
    dialog.SetPlan(*stored);
    ScriptedMessages messages;
    const int answer = RunModal<CExamPlanDlg>(dialog, [&](CExamPlanDlg& d) {
        EXPECT_EQ(d.Caption(), "修改考试计划（相关监考安排表已生成，部分关键信息禁止修改）");
        EXPECT_EQ(d.GetDlgItemText(zem::IDOK), "保存");
        for (const int id : {CExamPlanDlg::IDC_DATE, CExamPlanDlg::IDC_START, CExamPlanDlg::IDC_END,
                             CExamPlanDlg::IDC_ROOM_MENU})
            EXPECT_FALSE(d.IsItemEnabled(id)) << id;
        EXPECT_TRUE(d.IsItemEnabled(CExamPlanDlg::IDC_SUBJECT));
        EXPECT_EQ(d.Item<QComboBox>(CExamPlanDlg::IDC_SUBJECT)->currentText(), "语文");
        EXPECT_EQ(Listed(*d.Item<zem::gui::ItemList>(CExamPlanDlg::IDC_ROOMS)), (Strings{"高一(1)班", "实验室2"}));
        d.Item<QComboBox>(CExamPlanDlg::IDC_SUBJECT)->setCurrentIndex(3);
        d.Item<QComboBox>(CExamPlanDlg::IDC_COUNT)->setCurrentIndex(0);
        Click(d, zem::IDOK);
    });
    ASSERT_EQ(answer, zem::IDOK);
    EXPECT_TRUE(messages.Texts().empty());
    CProctorData::Plan plan;
    dialog.GetPlan(plan);
    EXPECT_EQ(plan.startTime, stored->startTime);
    EXPECT_EQ(plan.endTime, stored->endTime);
    EXPECT_EQ(plan.date, stored->date);
    EXPECT_EQ(plan.rooms, stored->rooms);
    EXPECT_EQ(plan.subject, "s4");
    EXPECT_EQ(plan.teacherCount, 1);
}

TEST(ExamPlanDlg, ACountNoListOffersIsKept)
{
    ProctorSchool school;
    CProctorData data;
    CExamPlanDlg dialog;
    dialog.m_modify = true;
    dialog.SetPlan(*AddExam(data, "p1", 5, "08:00", "10:00", "gone", {"c1"}, 7));
    RunModal<CExamPlanDlg>(dialog, [&](CExamPlanDlg& d) {
        // A subject deleted from the task selects nothing and stays the exam's.
        EXPECT_EQ(d.Item<QComboBox>(CExamPlanDlg::IDC_SUBJECT)->currentIndex(), -1);
        Click(d, zem::IDOK);
    });
    CProctorData::Plan plan;
    dialog.GetPlan(plan);
    EXPECT_EQ(plan.teacherCount, 7);
    EXPECT_EQ(plan.subject, "gone");
}

TEST(ProctorRuleDlg, ShowsAndTakesBackBothRules)
{
    CProctorRuleDlg dialog;
    dialog.m_classPolicy = CProctorData::Policy::PreferOne;
    dialog.m_subjectPolicy = CProctorData::Policy::Indifferent;
    const int answer = RunModal<CProctorRuleDlg>(dialog, [&](CProctorRuleDlg& d) {
        EXPECT_TRUE(d.Radio(CProctorRuleDlg::IDC_CLASS_PREFER)->isChecked());
        EXPECT_TRUE(d.Radio(CProctorRuleDlg::IDC_SUBJECT_ANY)->isChecked());
        EXPECT_EQ(d.Radio(CProctorRuleDlg::IDC_SUBJECT_PREFER)->text(), "优先安排一位");
        SaveScreenshot(&d, "proctor_rule_dialog");
        QTest::mouseClick(d.Radio(CProctorRuleDlg::IDC_CLASS_AVOID), Qt::LeftButton);
        QTest::mouseClick(d.Radio(CProctorRuleDlg::IDC_SUBJECT_AVOID), Qt::LeftButton);
        EXPECT_FALSE(d.Radio(CProctorRuleDlg::IDC_CLASS_PREFER)->isChecked());
        Click(d, zem::IDOK);
    });
    ASSERT_EQ(answer, zem::IDOK);
    EXPECT_EQ(dialog.m_classPolicy, CProctorData::Policy::Avoid);
    EXPECT_EQ(dialog.m_subjectPolicy, CProctorData::Policy::Avoid);
}

std::vector<std::string> Column(const CSortListCtrl& list, int column)
{
    std::vector<std::string> texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts.push_back(list.GetItemText(row, column));
    return texts;
}

TEST(ProctorStatDlg, CountsEachTeachersRoomsAndSortsOnAHeadingClick)
{
    ProctorSchool school(4);
    CScheduleProctor proctor;
    CProctorData& data = proctor.data();
    data.GetTeacherArray() = {"t1", "t2", "t3", "gone"};
    AddExam(data, "p1", 5, "08:00", "10:00", "s1", {"c1", "c2"}, 1);
    AddExam(data, "p2", 6, "08:00", "10:00", "s2", {"c1"}, 1);
    auto item = [&](const char* plan, const char* room, Strings teachers) {
        data.GetProctorList().push_back(std::make_unique<CProctorData::ProctorItem>(
            CProctorData::ProctorItem{"i" + std::to_string(data.GetProctorList().size()), plan, room, teachers}));
    };
    item("p1", "c1", {"t2"});
    item("p1", "c2", {"t3"});
    item("p2", "c1", {"T2"});  // ids compare ignoring case
    CProctorStatDlg dialog;
    dialog.SetProctor(&proctor);
    RunModal<CProctorStatDlg>(dialog, [&](CProctorStatDlg& d) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return d.IsDone(); }));
        const CSortListCtrl& list = *d.GetList();
        EXPECT_EQ(list.GetColumnHeading(1), "教师");
        EXPECT_EQ(list.GetColumnHeading(2), "监考场次");
        EXPECT_EQ(Column(list, 1), (Strings{"教师1", "教师2", "教师3"}));
        EXPECT_EQ(Column(list, 2), (Strings{"0", "2", "1"}));
        const QRect heading(d.GetList()->GetHeader()->sectionViewportPosition(2), 0,
                            d.GetList()->GetHeader()->sectionSize(2), d.GetList()->GetHeader()->height());
        QTest::mouseClick(d.GetList()->GetHeader()->viewport(), Qt::LeftButton, Qt::NoModifier, heading.center());
        EXPECT_EQ(Column(list, 2), (Strings{"0", "1", "2"}));
        QTest::mouseClick(d.GetList()->GetHeader()->viewport(), Qt::LeftButton, Qt::NoModifier, heading.center());
        EXPECT_EQ(Column(list, 1), (Strings{"教师2", "教师3", "教师1"}));
        SaveScreenshot(&d, "proctor_statistics");
        Click(d, zem::IDOK);
    });
    EXPECT_FALSE(dialog.IsWorkerRunning());
}

class FixedRuns {
public:
    explicit FixedRuns(CProctorRunOptions options = {})
    {
        options.seed = 4;
        options.pacing = false;
        CProctorProgressDlg::SetRunOptionsForTesting(options);
    }
    ~FixedRuns() { CProctorProgressDlg::SetRunOptionsForTesting(std::nullopt); }
};

// The worker's message boxes come up on the window's thread, and the window closes itself after.
TEST(ProctorProgressDlg, RunsTheAssignmentAndShowsItsMessagesOnItsOwnThread)
{
    ProctorSchool school(4);
    CScheduleProctor proctor;
    CProctorData& data = proctor.data();
    data.GetTeacherArray() = school.AllTeachers();
    AddExam(data, "p1", 5, "08:00", "10:00", "s1", {"c1", "c2", "c3"}, 2);
    const FixedRuns runs;
    std::vector<std::thread::id> threads;
    std::vector<std::string> texts;
    const zem::MessageHook previous = zem::SetMessageHook([&](const zem::MessageRequest& request) {
        threads.push_back(std::this_thread::get_id());
        texts.push_back(request.text);
        return zem::IDOK;
    });
    CProctorProgressDlg dialog;
    dialog.SetProctor(&proctor);
    ModalScope scope([&](Dialog& shown) {
        ASSERT_EQ(&shown, &dialog);
        EXPECT_EQ(dialog.Caption(), "正在自动排监考");
        EXPECT_EQ(dialog.GetWords(), (Strings{"教师1", "教师2", "教师3", "教师4"}));
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.IsEnded(); }));
    });
    dialog.RunModal();
    zem::SetMessageHook(previous);
    EXPECT_TRUE(dialog.IsFinished());
    EXPECT_FALSE(dialog.IsWorkerRunning());
    EXPECT_EQ(data.GetProctorList().size(), 3u);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("2024年06月05日 08:00-10:00 语文 高一(3)班已排0人"), std::string::npos);
    EXPECT_EQ(threads[0], std::this_thread::get_id());
    // The bar restarts for every exam and never reaches 100.
    EXPECT_EQ(dialog.GetProgress(), 66);
}

// Closing the window while the worker is held keeps what it made and stops it before the next room.
TEST(ProctorProgressDlg, CancelKeepsTheItemsMadeSoFar)
{
    ProctorSchool school(12);
    CScheduleProctor proctor;
    CProctorData& data = proctor.data();
    data.GetTeacherArray() = school.AllTeachers();
    AddExam(data, "p1", 5, "08:00", "10:00", "s1", {"c1", "c2", "c3", "c4"}, 2);
    WorkerLatch latch;
    CProctorRunOptions options;
    options.afterItem = [&](std::size_t items) {
        if (items == 1)
            latch.Hold();
    };
    const FixedRuns runs(options);
    ScriptedMessages messages;
    CProctorProgressDlg dialog;
    dialog.SetProctor(&proctor);
    ModalScope scope([&](Dialog& shown) {
        EXPECT_TRUE(latch.WaitHeld());
        SaveScreenshot(&dialog, "proctor_progress");
        Click(dialog, zem::IDCANCEL);
        EXPECT_TRUE(dialog.IsEnded());
        latch.Release();
    });
    dialog.RunModal();
    EXPECT_FALSE(dialog.IsWorkerRunning());
    EXPECT_FALSE(dialog.IsFinished());
    EXPECT_EQ(data.GetProctorList().size(), 1u);
    EXPECT_TRUE(messages.Texts().empty());
}

}  // namespace
