// The rule pages of mutually exclusive teachers and subjects, pre-arranged lessons and combined
// classes: what they add, what they refuse, and what their saves leave in the task.
#include "support/BasicDataTestSupport.h"
#include "support/PickerClicks.h"

#include "app/data/CombineClassListPage.h"
#include "app/data/CoursePresetPage.h"
#include "app/data/MutexPages.h"
#include "base/Rules.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

using zem::gui::Dialog;
using Strings = std::vector<std::string>;

namespace {

tagTABLE_NODE N(int day, int segment, int section)
{
    return {day, segment, section};
}

// The small school with plans: p1 and q1 are one combined class; p2 and q3 share the room 琴房,
// which holds one class.
class RuleSchool : public SmallSchool {
public:
    RuleSchool()
    {
        b.Room("r2", "琴房", 1);
        b.Course("p1", "c1", "s1", "t1", "3");
        b.Course("p2", "c1", "s2", "t2", "0.5", "r2");
        b.Course("q1", "c2", "s1", "t1", "3");
        b.Course("q2", "c2", "s2", "t1", "2");
        b.Course("q3", "c2", "s2", "t3", "1", "r2");
        b.Combined("cc1", {"p1", "q1"});
    }

    std::string Desc(const std::string& planId) { return Task().GetCourseDesc(planId); }
};

const std::string kSaveAnyway = "\r\n\r\n点击“确定”按钮继续保存\r\n点击“取消”按钮取消保存，去检查相关数据";

}  // namespace

TEST(MutexTeacherPage, AddingAListedTeacherEditsItsRowAndSavingMakesPairsMutual)
{
    SmallSchool school;
    CMutexTeacherPage page;
    Strings captions;
    Strings offered;
    int chooser = 0;
    RunPage<CMutexTeacherPage>(
        page,
        [&](CMutexTeacherPage& p) {
            p.Add();
            EXPECT_EQ(RowTexts(p, 0), (Strings{"张三", "李四"}));
            p.Add();  // 张三 again: his row is edited, not doubled
            ASSERT_EQ(p.GetList()->GetItemCount(), 1);
            EXPECT_EQ(RowTexts(p, 0), (Strings{"张三", "李四，王五"}));
            EXPECT_TRUE(p.Save());
        },
        [&](Dialog& d) {
            if (dynamic_cast<CTeacherPickerDlg*>(&d))
                return PickObject(d, "张三");
            auto* multi = dynamic_cast<CMultiSelectDlg*>(&d);
            ASSERT_NE(multi, nullptr);
            captions.push_back(multi->m_caption);
            offered = Listed(*multi->Item<zem::gui::ItemList>(CMultiSelectDlg::IDC_LIST));
            ChooseInMultiSelect(d, {++chooser == 1 ? "李四" : "王五"});
        });
    EXPECT_EQ(captions, Strings(2, "选择不要与张三老师排在同一时间的教师"));
    EXPECT_EQ(offered, (Strings{"李四", "王五"}));  // never the teacher himself

    const CMutexOfTeacherList& saved = school.Task().GetMutexOfTeacherList();
    ASSERT_EQ(saved.GetCount(), 1);
    for (const char* partner : {"t2", "t3"}) {
        const Strings* partners = saved.FindTeacherMutexInfo(partner);
        ASSERT_NE(partners, nullptr) << partner;
        EXPECT_EQ(*partners, Strings{"t1"});
    }
    EXPECT_TRUE(zem::FileExists(school.Task().GetTaskInfo().GetInputFilePath()));
}

TEST(MutexSubjectPage, AGroupNeedsTwoSubjectsAndTheCaptionExplainsUntilTheFirstChange)
{
    SmallSchool school;
    CMutexSubjectPage page;
    ScriptedMessages messages;
    RunPage<CMutexSubjectPage>(
        page,
        [&](CMutexSubjectPage& p) {
            EXPECT_EQ(p.windowTitle().toStdString(), "课程互斥（同一班级课表上的互斥课程不安排在同一天，例如体育和足球）");
            p.Add();
            EXPECT_EQ(RowTexts(p, 0), (Strings{"1", "语文，数学"}));
            EXPECT_EQ(p.windowTitle().toStdString(), "课程互斥 (已修改,未保存)");
            EXPECT_TRUE(p.Save());
        },
        [&](Dialog& d) {
            ChooseInMultiSelect(d, {"语文"});
            EXPECT_FALSE(d.IsEnded());  // one subject is no group
            ChooseInMultiSelect(d, {"数学"});
        });
    EXPECT_EQ(messages.Texts(), Strings{"您至少要选中 2 项"});
    const CZemObjectList& groups = school.Task().GetMutexSubjectList();
    ASSERT_EQ(groups.GetCount(), 1);
    EXPECT_EQ(static_cast<const CMutexSubject*>(groups.begin()->second)->GetSubjectArray(), (Strings{"s1", "s2"}));
}

TEST(CoursePresetPage, TheSlotPickerIsLimitedByTheFewestLessons)
{
    struct Case {
        const char* what;
        Strings plans;
        int marks;
        const char* reference;  // the plan with the fewest lessons
        const char* caption;    // after "预排 "; "%s" is the reference plan's description
        const char* refusal;  // empty: the rows are added
    };
    const Case cases[] = {
        {"3 lessons, 4 slots", {"p1"}, 4, "p1", "%s", "该教学计划每周只有3节课，您的选择已超出。"},
        {"3 lessons, 3 slots", {"p1"}, 3, "p1", "%s", ""},
        // A plan of half a lesson a week has no most: its lesson takes one week of two slots.
        {"half a lesson, 2 slots", {"p2"}, 2, "p2", "%s", ""},
        {"half a lesson, 1 slot", {"p2"}, 1, "p2", "%s", ""},
        {"a group with half a lesson", {"p2", "q3"}, 2, "p2", "%s 等 2 个教学计划", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RuleSchool school;
        CCoursePresetPage page;
        ScriptedMessages messages;
        std::string caption;
        RunPage<CCoursePresetPage>(
            page, [](CCoursePresetPage& p) { p.Add(); },
            [&](Dialog& d) {
                auto* picker = dynamic_cast<CTimeSlotPickerDlg*>(&d);
                if (!picker)
                    return ChoosePlans(d, c.plans);
                caption = picker->m_caption;
                for (int day = 0; day < c.marks; ++day)
                    ClickGrid(*picker, N(day, 0, 0));
                QTest::mouseClick(picker->GetDlgItem(zem::IDOK), Qt::LeftButton);
                if (!picker->IsEnded())
                    picker->EndDialog(zem::IDCANCEL);
            });
        EXPECT_EQ(caption, "预排 " + zem::Format(c.caption, school.Desc(c.reference).c_str()));
        if (*c.refusal) {
            EXPECT_EQ(messages.Texts(), Strings{c.refusal});
            EXPECT_EQ(page.GetList()->GetItemCount(), 0);
            continue;
        }
        EXPECT_TRUE(messages.Texts().empty());
        ASSERT_EQ(page.GetList()->GetItemCount(), static_cast<int>(c.plans.size()));
        std::string times;
        for (int day = 0; day < c.marks; ++day)
            times += (day ? "，" : "") + school.Task().GetTimeNodeDesc(day, 0, 0);
        EXPECT_EQ(RowTexts(page, 0), (Strings{school.Desc(c.plans[0]), times}));
    }
}

TEST(CoursePresetPage, ConflictsAskBeforeSavingAndCancelSavesNothing)
{
    struct Case {
        const char* a;
        const char* b;
        const char* reason;  // null: the capacity question
    };
    const Case cases[] = {
        {"p1", "p2", "同一班级的多个教学计划不能预排在同一时间"},
        {"p1", "q1", "合班课程只需指定其中一个"},
        {"p1", "q2", "同一教师的多个教学计划不能预排在同一时间"},
        {"p2", "q3", nullptr},
    };
    for (const Case& c : cases) {
        for (const int answer : {zem::IDOK, zem::IDCANCEL}) {
            SCOPED_TRACE(std::string(c.a) + "+" + c.b + (answer == zem::IDOK ? " OK" : " Cancel"));
            RuleSchool school;
            school.b.Preset(c.a, "0,");
            school.b.Preset(c.b, "100,0,");  // shares its second slot
            const std::string time = school.Task().GetTimeNodeDesc(0, 0, 0);
            CCoursePresetPage page;
            ScriptedMessages messages({answer});
            bool saved = false;
            RunPage<CCoursePresetPage>(page, [&](CCoursePresetPage& p) {
                ASSERT_EQ(p.GetList()->GetItemCount(), 2);
                // What the task holds now comes from the page alone.
                school.Task().GetCoursePresetList().RemoveAll();
                p.SetModified(true);
                saved = p.Save();
                EXPECT_EQ(p.IsModified(), !saved);
            });
            const std::string expected =
                c.reason ? zem::Format("%s （时间：%s）\r\n%s\r\n%s", c.reason, time.c_str(), school.Desc(c.a).c_str(),
                                       school.Desc(c.b).c_str())
                         : zem::Format("琴房 在同一时间（%s）的预排课超出可容纳的班级数量 1\r\n%s\r\n%s", time.c_str(),
                                       school.Desc(c.a).c_str(), school.Desc(c.b).c_str());
            ASSERT_EQ(messages.messages.size(), 1u);
            EXPECT_EQ(messages.messages[0].text, expected + kSaveAnyway);
            EXPECT_EQ(messages.messages[0].buttons, zem::MessageButtons::OkCancel);
            EXPECT_EQ(saved, answer == zem::IDOK);
            EXPECT_EQ(school.Task().GetCoursePresetList().GetCount(), answer == zem::IDOK ? 2 : 0);
            EXPECT_EQ(zem::FileExists(school.Task().GetTaskInfo().GetInputFilePath()), answer == zem::IDOK);
        }
    }
}

TEST(CoursePresetPage, PlansOfDifferentClassesAndTeachersAskNothingBelowTheRoomsCapacity)
{
    RuleSchool school;
    school.b.Room("r3", "操场", 2);
    school.Task().FindCourse("p2")->SetRoom("r3");
    school.Task().FindCourse("q3")->SetRoom("r3");
    school.b.Preset("p2", "0,");
    school.b.Preset("q3", "0,");
    CCoursePresetPage page;
    ScriptedMessages messages;
    RunPage<CCoursePresetPage>(page, [](CCoursePresetPage& p) { EXPECT_TRUE(p.ValidateEntries()); });
    EXPECT_TRUE(messages.Texts().empty());
}

// ---- combined classes

namespace {

// r1 and r2 differ in weekly count; u1 and u2 can be combined, and so can v2 with p1 but that p1
// is combined already.
class CombineSchool : public RuleSchool {
public:
    CombineSchool()
    {
        b.Course("r1", "c1", "s2", "t3", "2");
        b.Course("r2", "c2", "s2", "t3", "3");
        b.Course("u1", "c1", "s2", "t2", "2");
        b.Course("u2", "c2", "s2", "t2", "2");
        b.Course("v2", "c2", "s1", "t1", "3");
    }
};

}  // namespace

TEST(CombineClassListPage, RefusesGroupsBeforeAnythingIsSaved)
{
    CombineSchool school;
    const std::string countsDiffer = "指定班级的相关计划周课时数不完全一致，不能合班：\n" + school.Desc("r1") +
                                     " 周课时数：2\n" + school.Desc("r2") + " 周课时数：3";
    // Every candidate of the named classes, class by class.
    const std::string candidatesDiffer = "指定班级的相关计划周课时数不完全一致，不能合班：\n" + school.Desc("r1") +
                                         " 周课时数：2\n" + school.Desc("q3") + " 周课时数：1\n" + school.Desc("r2") +
                                         " 周课时数：3";
    const std::string combined = "该教学计划已经存在合班设置：\n" + school.Desc("p1");
    struct Case {
        const char* what;
        CPageRow cells;
        bool byName;  // a workbook row (quiet), else the picker's plan ids
        std::string message;
    };
    const Case cases[] = {
        {"too few cells", {"数学", "李四"}, true, "只有2列数据。请参考导入界面，至少应提供4列数据"},
        {"one class", {"数学", "李四", "", "初一(1)班、初一(1)班"}, true, "合班的班级数量应不少于2个，该行只指定了1个: 初一(1)班、初一(1)班"},
        {"unknown subject", {"物理", "李四", "", "初一(1)班,初一(2)班"}, true, "课程不存在: 物理"},
        {"unknown class", {"数学", "李四", "", "初一(1)班；初三(9)班"}, true, "班级不存在: 初三(9)班"},
        {"no such plan", {"数学", "张三", "早读", "初一(1)班,初一(2)班"}, true,
         "相关班级的早读不存在: \n数学 张三 初一(1)班\n\n请检查第2页基本数据维护中的早读列表"},
        {"counts differ, workbook", {"数学", "王五", "", "初一(1)班\n初一(2)班"}, true, candidatesDiffer},
        {"counts differ, picker", {"r1", "r2"}, false, countsDiffer},
        {"already combined, workbook", {"语文", "张三", "常规", "初一(1)班，初一(2)班"}, true, combined},
        {"already combined, picker", {"v2", "p1"}, false, combined},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CCombineClassListPage page;
        ScriptedMessages messages;
        RunPage<CCombineClassListPage>(page, [&](CCombineClassListPage& p) {
            ASSERT_EQ(p.GetList()->GetItemCount(), 1);
            p.GetList()->ClearSelectedRows();
            const SentRow sent = SendRow(p, c.cells, 0, c.byName, c.byName);
            EXPECT_EQ(sent.answer, -1);
            EXPECT_FALSE(sent.notify.accepted);
            EXPECT_EQ(p.GetList()->GetItemCount(), 1);
            EXPECT_FALSE(p.IsModified());
            if (c.message.empty())
                return;
            EXPECT_TRUE(sent.notify.error);
            EXPECT_EQ(sent.notify.message, c.message);
            EXPECT_EQ(messages.Texts(), c.byName ? Strings{} : Strings{c.message});
            if (c.message == combined) {
                EXPECT_EQ(p.GetList()->GetFirstSelected(), 0);  // the row that holds the plan
            }
        });
    }
}

TEST(CombineClassListPage, PickedAndImportedGroupsAreSavedWithTheirPlanMap)
{
    CombineSchool school;
    school.b.Course("u3", "c1", "s1", "t3", "2");
    school.b.Course("u4", "c2", "s1", "t3", "2");
    CCombineClassListPage page;
    ScriptedMessages messages;
    RunPage<CCombineClassListPage>(
        page,
        [&](CCombineClassListPage& p) {
            p.Add();  // the picker sends u1 and u2
            ASSERT_EQ(p.GetList()->GetItemCount(), 2);
            EXPECT_EQ(RowTexts(p, 1), (Strings{"数学", "李四", "常规", "初一(1)班,初一(2)班"}));
            // The workbook's row picks the plan of the equal count.
            const SentRow imported = SendRow(p, {"语文", "王五", "", "初一(1)班,初一(2)班"}, 0, true, true);
            EXPECT_EQ(imported.answer, 0);
            // Modifying a group keeps its own plans out of the check.
            SelectRow(p, 0);
            EXPECT_EQ(SendRow(p, {"q1", "p1"}, 1).answer, 0);
            EXPECT_TRUE(p.Save());
        },
        [&](Dialog& d) {
            ChoosePlans(d, {"u1", "u2"});
            EXPECT_FALSE(d.IsEnded());  // open for the next group
            d.EndDialog(zem::IDCANCEL);
        });
    EXPECT_EQ(messages.Texts(), Strings{"添加完成"});
    const CCombineClassList& groups = school.Task().GetCombineCourseList();
    ASSERT_EQ(groups.GetCount(), 3);
    EXPECT_EQ(groups.FindByCourse("u2")->GetCombineCourse(), (Strings{"u1", "u2"}));
    EXPECT_EQ(groups.FindByCourse("u4")->GetCombineCourse(), (Strings{"u3", "u4"}));
    EXPECT_EQ(groups.FindByCourse("p1")->GetCombineCourse(), (Strings{"q1", "p1"}));
}
