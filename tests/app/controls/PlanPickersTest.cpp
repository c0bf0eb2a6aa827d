#include "support/PickerSchool.h"
#include "support/PickerClicks.h"
#include "support/ScreenTestSupport.h"

#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/PageNotify.h"
#include "app/controls/RoomSlotAnalysisDlg.h"
#include "platform/gui/ReportList.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using zem::gui::Dialog;
using zem::gui::ReportList;
using Strings = std::vector<std::string>;

void Search(CSearchListDlg& dialog, const char* text)
{
    dialog.Item<QLineEdit>(CSearchListDlg::IDC_SEARCH)->setText(QString::fromUtf8(text));
}

void Click(Dialog& dialog, int id)
{
    QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

Strings Column(const ReportList& list, int column)
{
    Strings texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts.push_back(list.GetItemText(row, column));
    return texts;
}

int RowOf(CCoursePlanPickerDlg& picker, const std::string& planId)
{
    ReportList& list = *picker.GetList();
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (list.GetItemPtr<CCourseInfo>(row)->GetId() == planId)
            return row;
    return -1;
}

Strings Ids(const std::vector<CCourseInfo*>& plans)
{
    Strings ids;
    for (const CCourseInfo* plan : plans)
        ids.push_back(plan->GetId());
    return ids;
}

TEST(PlanPicker, ListsPlansClassByClassAndSearchesOnlyThePlansOwnTeacher)
{
    PickerSchool school;
    CCoursePlanPickerDlg picker;
    picker.SetTitle("选择教学计划");
    ScriptedMessages messages;
    const int answer = RunModal<CCoursePlanPickerDlg>(picker, [&](CCoursePlanPickerDlg& p) {
        ReportList& list = *p.GetList();
        EXPECT_EQ(p.Caption(), "选择教学计划");
        EXPECT_EQ(Column(list, 0), (Strings{"一班", "一班", "一班", "一班", "一班", "二班", "二班"}));
        EXPECT_EQ(Column(list, 1), (Strings{"语文", "数学", "英语", "语文", "自习", "语文", "数学"}));
        EXPECT_EQ(Column(list, 2)[0], "张伟 王芳");  // the assistant is shown
        EXPECT_EQ(Column(list, 3)[3], "早读");
        EXPECT_EQ(Column(list, 5)[1], "2.5");

        // 王芳 assists 一班's 语文 but teaches only these two.
        Search(p, "王芳");
        EXPECT_EQ(Column(list, 1), (Strings{"自习", "数学"}));
        Search(p, "zw yw");  // pinyin initials of 张伟 and 语文, words in any place
        EXPECT_EQ(Column(list, 0), (Strings{"一班", "一班", "二班"}));

        Click(p, zem::IDOK);
        EXPECT_FALSE(p.IsEnded());
        Click(p, CSearchListDlg::IDC_SHOW_ALL);
        EXPECT_EQ(list.GetItemCount(), 7);
        EXPECT_EQ(p.GetDlgItemText(CSearchListDlg::IDC_SEARCH), "");
        SaveScreenshot(&p, "plan_picker_small");
        // A double click on a row acts as OK.
        QCoreApplication::processEvents();
        const QRect cell = list.visualRect(list.model()->index(2, 1));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell.center());
    });
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_EQ(messages.Texts(), Strings{"请选择教学计划"});
    EXPECT_EQ(Ids(picker.GetChosenPlans()), Strings{"p3"});
}

TEST(PlanPicker, APlanHiddenBySearchStaysCheckedAndShowSelectedListsIt)
{
    PickerSchool school;
    CCoursePlanPickerDlg picker;
    picker.SetTitle("选择教学计划");
    picker.m_singleSelection = false;
    picker.m_preChecked = {"P2"};  // ids match ignoring case
    const int answer = RunModal<CCoursePlanPickerDlg>(picker, [&](CCoursePlanPickerDlg& p) {
        ReportList& list = *p.GetList();
        EXPECT_TRUE(list.GetCheck(RowOf(p, "p2")));
        EXPECT_EQ(p.Caption(), "选择教学计划 - 已选 1 项");
        UserCheck(list, RowOf(p, "q1"), true);
        EXPECT_EQ(p.Caption(), "选择教学计划 - 已选 2 项");

        Search(p, "英语");
        ASSERT_EQ(list.GetItemCount(), 1);
        UserCheck(list, 0, true);
        EXPECT_EQ(p.Caption(), "选择教学计划 - 已选 3 项");
        Click(p, CSearchListDlg::IDC_SHOW_SELECTED);
        EXPECT_EQ(Column(list, 1), (Strings{"数学", "英语", "语文"}));
        SaveScreenshot(&p, "plan_picker_checked");
        Click(p, zem::IDOK);
    });
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_EQ(Ids(picker.GetChosenPlans()), (Strings{"p2", "p3", "q1"}));
}

TEST(PlanPicker, CheckBoxModeRefusesNothingCheckedAndMixedKinds)
{
    PickerSchool school;
    CCoursePlanPickerDlg picker;
    picker.m_singleSelection = false;
    ScriptedMessages messages;
    RunModal<CCoursePlanPickerDlg>(picker, [&](CCoursePlanPickerDlg& p) {
        Click(p, zem::IDOK);
        Click(p, CSearchListDlg::IDC_CHECK_ALL);
        EXPECT_EQ(p.GetCheckedSet().size(), 7u);
        Click(p, zem::IDOK);  // 早读 and 晚自习 among them
        Click(p, CSearchListDlg::IDC_CHECK_NONE);
        EXPECT_TRUE(p.GetCheckedSet().empty());
        EXPECT_FALSE(p.IsEnded());
    });
    EXPECT_EQ(messages.Texts(), (Strings{"请勾选要选择的教学计划", "选中的教学计划不是同一类型"}));

    // Without the same-kind rule the mixed set is taken.
    CCoursePlanPickerDlg mixed;
    mixed.m_singleSelection = false;
    mixed.m_sameKindRequired = false;
    mixed.m_preChecked = {"p1", "e1"};
    EXPECT_EQ(RunModal<CCoursePlanPickerDlg>(mixed, [](CCoursePlanPickerDlg& p) { Click(p, zem::IDOK); }), zem::IDOK);
    EXPECT_EQ(Ids(mixed.GetChosenPlans()), (Strings{"p1", "e1"}));
}

TEST(PlanPicker, FiltersOfTheCaller)
{
    PickerSchool school;
    struct Case {
        const char* name;
        std::function<void(CCoursePlanPickerDlg&)> set;
        Strings listed;
    };
    const Case cases[] = {
        {"class filter ignores case", [](CCoursePlanPickerDlg& p) { p.m_classFilter = "C2"; }, {"q1", "q2"}},
        {"only half lessons", [](CCoursePlanPickerDlg& p) { p.m_onlyHalfLessons = true; }, {"p2"}},
        {"chosen at start",
         [](CCoursePlanPickerDlg& p) {
             p.m_singleSelection = false;
             p.m_preChecked = {"q2", "p3"};
             p.m_showChosenAtStart = true;
         },
         {"p3", "q2"}},
        {"chosen at start with nothing chosen",
         [](CCoursePlanPickerDlg& p) {
             p.m_singleSelection = false;
             p.m_showChosenAtStart = true;
         },
         {"p1", "p2", "p3", "m1", "e1", "q1", "q2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCoursePlanPickerDlg picker;
        c.set(picker);
        RunModal<CCoursePlanPickerDlg>(picker, [&](CCoursePlanPickerDlg& p) {
            Strings ids;
            for (int row = 0; row < p.GetList()->GetItemCount(); ++row)
                ids.push_back(p.GetList()->GetItemPtr<CCourseInfo>(row)->GetId());
            EXPECT_EQ(ids, c.listed);
        });
    }
}

TEST(PresetPlanPicker, RefusesTwoPlansOfOneClassBeforeOneTeacher)
{
    PickerSchool school;
    struct Case {
        Strings checked;
        const char* reason;  // null: accepted
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {{"p1", "p3"}, "同一班级的多个教学计划不能预排在同一时间", "p1", "p3"},  // one class and one teacher
        {{"p1", "q1"}, "合班课程只需指定其中一个", "p1", "q1"},
        {{"p3", "q1"}, "同一教师的多个教学计划不能预排在同一时间", "p3", "q1"},
        {{"p2", "q2"}, nullptr, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.checked.front() + "+" + c.checked.back());
        CPresetPlanPickerDlg picker;
        picker.m_singleSelection = false;
        picker.m_preChecked = c.checked;
        ScriptedMessages messages;
        const int answer = RunModal<CCoursePlanPickerDlg>(picker, [](CCoursePlanPickerDlg& p) { Click(p, zem::IDOK); });
        if (!c.reason) {
            EXPECT_EQ(answer, zem::IDOK);
            EXPECT_TRUE(messages.Texts().empty());
            continue;
        }
        EXPECT_EQ(answer, zem::IDCANCEL);
        EXPECT_EQ(messages.Texts(), Strings{std::string(c.reason) + "\r\n\r\n" + school.task.GetCourseDesc(c.first) +
                                            "\r\n" + school.task.GetCourseDesc(c.second)});
    }
}

TEST(PlanPairPicker, OddAndEvenWeekLessonsAtOneSlotDoNotClash)
{
    PickerSchool school;
    school.Place("p2", PickerSchool::N(0, 0, 0), 1);
    school.Place("q2", PickerSchool::N(0, 0, 0), 2);
    school.Place("p1", PickerSchool::N(1, 0, 0));
    school.Place("q1", PickerSchool::N(1, 0, 0));  // its combined-class partner
    school.Place("p3", PickerSchool::N(2, 1, 2));
    school.Place("q2", PickerSchool::N(2, 1, 2));

    CPlanPairPickerDlg pair;
    pair.m_singleSelection = false;
    pair.m_preChecked = {"p2", "q2", "p1", "q1"};
    EXPECT_EQ(RunModal<CCoursePlanPickerDlg>(pair, [](CCoursePlanPickerDlg& p) { Click(p, zem::IDOK); }), zem::IDOK);

    CPlanPairPickerDlg clash;
    clash.m_singleSelection = false;
    clash.m_preChecked = {"p3", "q2"};
    ScriptedMessages messages;
    RunModal<CCoursePlanPickerDlg>(clash, [](CCoursePlanPickerDlg& p) {
        Search(p, "英语");
        Click(p, zem::IDOK);
        EXPECT_FALSE(p.IsEnded());
        EXPECT_EQ(p.GetList()->GetItemCount(), 2);  // switched to the chosen plans
    });
    EXPECT_EQ(messages.Texts(), Strings{"您选择的这两个教学计划\r\n" + school.task.GetCourseDesc("p3") + "\r\n" +
                                        school.task.GetCourseDesc("q2") + "\r\n\r\n在 " +
                                        school.task.GetTimeNodeDesc(2, 1, 2) + " 都有课，不能同时调整"});
}

// The list page the combined-class picker sends its rows to.
class RecordingPage : public zem::gui::MessageReceiver {
public:
    std::vector<std::pair<int, CPageRow>> rows;
    bool accept = true;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override
    {
        if (message == WM_PAGE_ROW) {
            rows.emplace_back(zem::FromWParam<CPageNotify>(wParam)->replace, *zem::FromLParam<CPageRow>(lParam));
            zem::FromWParam<CPageNotify>(wParam)->accepted = accept;
        }
        return accept ? 0 : -1;
    }
};

TEST(CombinedClassPlanPicker, ChecksTheGroupAndSendsItToThePage)
{
    PickerSchool school;
    school.b.Course("q3", "c2", "s3", "t1", "2");
    school.b.Course("q4", "c2", "s1", "t1", "3");
    school.b.Course("q5", "c2", "s1", "t1", "2");
    school.b.Course("p5", "c1", "s1", "t1", "2.5");
    school.b.SelfStudy("m2", "c2", "s1", "t1", COURSE_TYPE_MORNING_READING, "3");
    struct Case {
        Strings checked;
        std::string reason;
    };
    const std::string rule = "合班课程必须是相同教师，相同课程，相同课时，相同类型，不同班级的教学计划。\n\n"
                             "错误原因：您选择的教学计划 ";
    const Case cases[] = {
        {{"p1"}, "请选择两个以上的班级进行合班编排"},
        {{"p1", "q2"}, rule + "教师名称不相同"},
        {{"p1", "q3"}, rule + "课程名称不相同"},
        {{"p1", "q5"}, rule + "周课时数不相同"},
        {{"p5", "q5"}, rule + "周课时数不相同"},  // 2.5 and 2: the half counts
        {{"p1", "m2"}, rule + "课程类型不相同"},
        {{"q1", "q4"}, rule + "班级名称相同"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        CCombinedClassPlanDlg picker;
        picker.m_singleSelection = false;
        picker.m_sameKindRequired = false;
        picker.m_preChecked = c.checked;
        ScriptedMessages messages;
        RunModal<CCoursePlanPickerDlg>(picker, [](CCoursePlanPickerDlg& p) { Click(p, zem::IDOK); });
        EXPECT_EQ(messages.Texts(), Strings{c.reason});
    }

    RecordingPage page;
    CCombinedClassPlanDlg adding;
    adding.m_page = &page;
    adding.m_singleSelection = false;
    adding.m_preChecked = {"q4", "p1"};
    ScriptedMessages messages;
    const int answer = RunModal<CCoursePlanPickerDlg>(adding, [&](CCoursePlanPickerDlg& p) {
        Click(p, zem::IDOK);
        EXPECT_FALSE(p.IsEnded());  // stays open for the next group
        EXPECT_TRUE(p.GetCheckedSet().empty());
        UserCheck(*p.GetList(), RowOf(p, "p1"), true);
        UserCheck(*p.GetList(), RowOf(p, "q1"), true);
        Click(p, zem::IDOK);
    });
    EXPECT_EQ(answer, zem::IDCANCEL);
    ASSERT_EQ(page.rows.size(), 1u);
    EXPECT_EQ(page.rows[0], (std::pair<int, CPageRow>{0, {"p1", "q4"}}));
    EXPECT_EQ(messages.Texts(), (Strings{"添加完成", school.task.GetCourseDesc("p1") + " 已在合班列表中存在"}));

    CCombinedClassPlanDlg modifying;
    modifying.m_page = &page;
    modifying.m_closeAfterAdd = true;
    modifying.m_singleSelection = false;
    modifying.m_preChecked = {"p1", "q1"};
    EXPECT_EQ(RunModal<CCoursePlanPickerDlg>(modifying, [](CCoursePlanPickerDlg& p) { Click(p, zem::IDOK); }), zem::IDOK);
    EXPECT_EQ(page.rows.back(), (std::pair<int, CPageRow>{1, {"p1", "q1"}}));
}

TEST(CombinedClassPlanPicker, AGroupThePageRefusesIsNotReportedAsAdded)
{
    PickerSchool school;
    RecordingPage page;
    page.accept = false;
    for (const bool modify : {false, true}) {
        SCOPED_TRACE(modify ? "modify" : "add");
        CCombinedClassPlanDlg picker;
        picker.m_page = &page;
        picker.m_closeAfterAdd = modify;
        picker.m_singleSelection = false;
        picker.m_preChecked = {"p1", "q1"};
        ScriptedMessages messages;
        RunModal<CCoursePlanPickerDlg>(picker, [](CCoursePlanPickerDlg& p) {
            Click(p, zem::IDOK);
            EXPECT_FALSE(p.IsEnded());  // open, the ticks kept for a correction
            EXPECT_EQ(p.GetCheckedSet().size(), 2u);
        });
        EXPECT_TRUE(messages.Texts().empty());
    }
    EXPECT_EQ(page.rows.size(), 2u);
}

TEST(PlanSlotAnalysis, ListsThePlansTheSlotTakesPlaceableFirst)
{
    PickerSchool school;
    school.b.FixedTime<CFixedTimeOfTeacher>(school.task.GetFixedTimeOfTeacherList(), "t2", "1,");  // 李娜 at (0,0,1)
    school.Place("p3", PickerSchool::N(1, 0, 0));
    school.Place("p3", PickerSchool::N(2, 0, 0));

    CPlanSlotAnalysisDlg picker;
    picker.SetTitle("选择教学计划");
    picker.m_classFilter = "c1";
    picker.m_day = 0;
    picker.m_segment = 0;
    picker.m_section = 1;
    ScriptedMessages messages;
    const std::string slot = school.task.GetTimeNodeDesc(0, 0, 1);
    const int answer = RunModal<CCoursePlanPickerDlg>(picker, [&](CCoursePlanPickerDlg& p) {
        ReportList& list = *p.GetList();
        EXPECT_EQ(p.Caption(), "选择教学计划 在" + slot);
        EXPECT_EQ(list.GetColumnCount(), 5);
        EXPECT_EQ(list.GetColumnHeading(4), "自动分析结果");
        EXPECT_EQ(list.GetColumnWidth(0), 0);
        EXPECT_EQ(Column(list, 1), (Strings{"语文", "英语", "数学"}));
        EXPECT_EQ(Column(list, 4), (Strings{"可以排", "可以排(已排完)", slot + " 是 李娜 老师的固定无课时间"}));
        SaveScreenshot(&p, "plan_slot_analysis_small");
        list.SetSelected(2, true);
        Click(p, zem::IDOK);
        EXPECT_FALSE(p.IsEnded());
        list.SetSelected(1, true);
        Click(p, zem::IDOK);
    });
    EXPECT_EQ(answer, zem::IDOK);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Warning);
    EXPECT_EQ(picker.GetChosenPlan(), school.Plan("p3"));
}

TEST(PlanSlotAnalysis, EachKindOfPlanOnlyForItsSegment)
{
    PickerSchool school;
    struct Case {
        int segment;
        Strings subjects;
    };
    for (const Case& c : {Case{4, {"自习"}}, Case{3, {"语文"}}, Case{1, {"语文", "数学", "英语"}}}) {
        SCOPED_TRACE(c.segment);
        CPlanSlotAnalysisDlg picker;
        picker.m_classFilter = "c1";
        picker.m_segment = c.segment;
        RunModal<CCoursePlanPickerDlg>(picker, [&](CCoursePlanPickerDlg& p) {
            EXPECT_EQ(Column(*p.GetList(), 1), c.subjects);
            EXPECT_EQ(Column(*p.GetList(), 4), Strings(c.subjects.size(), "可以排"));
        });
    }
}

TEST(PlanSlotAnalysis, ASlotOutsideTheWeekIsNeverPlaceable)
{
    PickerSchool school;
    // The forenoon had five periods once: the fifth keeps its free status.
    school.task.GetSchoolStructure().SetSectionNodeMaxCount(0, 5, true);
    school.task.GetSchoolStructure().SetSectionNodeMaxCount(0, 4, false);
    for (const tagTABLE_NODE& slot : {PickerSchool::N(5, 0, 0), PickerSchool::N(0, 0, 4)}) {
        SCOPED_TRACE(slot.day * 100 + slot.section);
        CPlanSlotAnalysisDlg picker;
        picker.m_classFilter = "c1";
        picker.m_day = slot.day;
        picker.m_section = slot.section;
        RunModal<CCoursePlanPickerDlg>(picker, [&](CCoursePlanPickerDlg& p) {
            const std::string closed = school.task.GetTimeNodeDesc(&slot) + " 是全校固定无课时间";
            EXPECT_EQ(Column(*p.GetList(), 4), Strings(3, closed));
        });
        CRoomSlotAnalysisDlg rooms;
        rooms.m_day = slot.day;
        rooms.m_section = slot.section;
        rooms.m_planId = "p1";
        RunModal<CRoomSlotAnalysisDlg>(rooms, [&](CRoomSlotAnalysisDlg& d) {
            for (int row = 0; row < d.GetList()->GetItemCount(); ++row)
                EXPECT_EQ(d.GetRowRecord(row)->rank, 1);
        });
    }
}

TEST(PlanSlotAnalysis, AnUnknownClassListsNothing)
{
    PickerSchool school;
    CPlanSlotAnalysisDlg picker;
    picker.m_classFilter = "nope";
    ScriptedMessages messages;
    RunModal<CCoursePlanPickerDlg>(picker, [](CCoursePlanPickerDlg& p) {
        EXPECT_EQ(p.GetList()->GetItemCount(), 0);
        Click(p, zem::IDOK);
    });
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[0].text, "获取班级信息失败");
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Error);
    EXPECT_EQ(messages.messages[1].text, "请选择教学计划");
    EXPECT_EQ(picker.GetChosenPlan(), nullptr);
}

TEST(RoomSlotAnalysis, FreeRoomsFirstAndABusyRoomRefused)
{
    PickerSchool school;
    school.Place("p1", PickerSchool::N(0, 0, 0), 0, "r1");
    school.Place("q2", PickerSchool::N(0, 0, 0), 0, "r2");
    const std::string busy = "机房 教室在 " + school.task.GetTimeNodeDesc(0, 0, 0) + " 已经有课【" +
                             CTaskHelper(&school.task).GetCourseText(school.Plan("q2"), true) + "】";
    struct Case {
        int weekPart;
        std::string free;
    };
    for (const Case& c : {Case{0, "可以排"}, Case{1, "单周可以排"}, Case{2, "双周可以排"}}) {
        SCOPED_TRACE(c.weekPart);
        CRoomSlotAnalysisDlg rooms;
        rooms.SetTitle("选择教室");
        rooms.m_weekPart = c.weekPart;
        rooms.m_planId = "p1";
        rooms.m_currentRoomId = "r1";  // holds p1 itself
        ScriptedMessages messages;
        const int answer = RunModal<CRoomSlotAnalysisDlg>(rooms, [&](CRoomSlotAnalysisDlg& d) {
            ReportList& list = *d.GetList();
            EXPECT_EQ(Column(list, 0), (Strings{"实验室", "操场", "机房"}));
            EXPECT_EQ(Column(list, 1), (Strings{c.free, c.free, busy}));
            if (c.weekPart == 2)
                SaveScreenshot(&d, "room_slot_analysis_small");
            list.SetSelected(2, true);
            Click(d, zem::IDOK);
            EXPECT_FALSE(d.IsEnded());
            list.SetSelected(1, true);
            Click(d, zem::IDOK);
        });
        EXPECT_EQ(answer, zem::IDOK);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, busy);
        EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Warning);
        EXPECT_EQ(rooms.GetChosenRoom(), school.task.GetRoom("r3"));
    }
}

TEST(RoomSlotAnalysis, ASearchHidingEveryRoomLeavesNothingToChoose)
{
    PickerSchool school;
    CRoomSlotAnalysisDlg rooms;
    rooms.m_planId = "p1";
    ScriptedMessages messages;
    const int answer = RunModal<CRoomSlotAnalysisDlg>(rooms, [](CRoomSlotAnalysisDlg& d) {
        Search(d, "jf");
        EXPECT_EQ(Column(*d.GetList(), 0), Strings{"机房"});
        Search(d, "xyz  ");
        EXPECT_EQ(d.GetList()->GetItemCount(), 0);
        Click(d, zem::IDOK);
        EXPECT_FALSE(d.IsEnded());
        Click(d, CSearchListDlg::IDC_SHOW_ALL);
        EXPECT_EQ(d.GetList()->GetItemCount(), 3);
        // A double click acts as OK.
        QCoreApplication::processEvents();
        const QRect cell = d.GetList()->visualRect(d.GetList()->model()->index(1, 0));
        QTest::mouseClick(d.GetList()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(d.GetList()->viewport(), Qt::LeftButton, {}, cell.center());
    });
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_EQ(messages.Texts(), Strings{"请选择教室"});
    EXPECT_EQ(rooms.GetChosenRoom(), school.task.GetRoom("r2"));
}

}  // namespace
