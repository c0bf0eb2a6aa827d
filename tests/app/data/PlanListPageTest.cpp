// The teaching-plan page, its edit and batch-change dialogs, and saving plans into a scheduled task.
#include "support/BasicDataTestSupport.h"
#include "support/PickerClicks.h"

#include "app/controls/MultiSelectDlg.h"
#include "app/data/AddPlanDlg.h"
#include "app/data/BatchModifyPlanDlg.h"
#include "app/data/PlanListPage.h"
#include "app/data/SelfStudyListPage.h"
#include "app/shell/ShellBitmaps.h"
#include "base/ScheduleTask.h"
#include "platform/gui/ItemList.h"
#include "base/ScheduleValidator.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QScrollBar>

#include <gtest/gtest.h>

using zem::gui::Dialog;

namespace {

// Takes the rows a dialog sends as the page would, or refuses them.
struct RowSink : zem::MessageTarget {
    std::vector<CPageRow> rows;
    bool accept = true;
    zem::LRESULT Send(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override
    {
        if (message != WM_PAGE_ROW)
            return -1;
        rows.push_back(*zem::FromLParam<const CPageRow>(lParam));
        zem::FromWParam<CPageNotify>(wParam)->accepted = accept;
        return accept ? 0 : -1;
    }
    bool Post(unsigned, zem::WPARAM, zem::LPARAM) override { return false; }
    bool PostText(unsigned, zem::WPARAM, std::string) override { return false; }
};

const CCourseTableNode& NodeOf(CZemTableObject* object, const tagTABLE_NODE& node)
{
    return object->GetTable(false).GetNode(node);
}

// Opens the page's batch modify on the classes and works it while it is open.
void RunBatchModify(CPlanListPage& page, const std::vector<std::string>& classes,
                    const std::function<void(CBatchModifyPlanDlg&)>& work)
{
    CBatchModifyPlanDlg dialog(&page);
    dialog.m_receiver = &page;
    dialog.m_classes = &page.Classes();
    dialog.m_courses = &page.Courses();
    RunModal<CBatchModifyPlanDlg>(dialog, [&](CBatchModifyPlanDlg& d) {
        {
            ModalScope chooser([&](Dialog& shown) { ChooseInMultiSelect(shown, classes); });
            d.ChooseClasses();
        }
        work(d);
    });
}

}  // namespace

TEST(AddPlanDlg, ChecksTheCountsBeforeSending)
{
    struct Case {
        const char* weekCount;
        const char* nodes;
        const char* times;
        const char* message;  // empty: the row is sent
        const char* sentCount;
    };
    const Case cases[] = {
        {"0", "1", "0", "周课时数不能为0", ""},
        {"", "1", "0", "周课时数不能为0", ""},
        {"0.5", "1", "0", "", "0.5"},
        {"1.5", "2", "0", "连课节数必须在1和周课时数之间", ""},
        {"2.5", "2", "0", "", "2.5"},
        {"3.50", "1", "0", "", "3.5"},
        {"3", "0", "0", "", "3"},
        {"3", "1", "-1", "连课次数不能小于0", ""},
        {"3", "2", "2", "连课次数与连课节数的乘积不能超过周课时数", ""},
        {"4", "2", "2", "", "4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.weekCount) + " / " + c.nodes + " x " + c.times);
        RowSink sink;
        CAddPlanDlg dialog(nullptr);
        dialog.m_page = &sink;
        dialog.m_classNames = {"初一(1)班"};
        dialog.m_courseNames = {"语文"};
        dialog.m_teacherNames = {"张三"};
        dialog.m_kindNames = {"主课", "副课"};
        dialog.m_roomNames = {"机房"};
        ScriptedMessages messages;
        RunModal<CAddPlanDlg>(dialog, [&](CAddPlanDlg& d) {
            d.SetDlgItemText(CAddPlanDlg::IDC_WEEK_COUNT, c.weekCount);
            d.SetDlgItemText(CAddPlanDlg::IDC_NODES, c.nodes);
            d.SetDlgItemText(CAddPlanDlg::IDC_TIMES, c.times);
            d.SendCommand(zem::IDOK);
            // Add mode stays open for the next plan.
            EXPECT_FALSE(d.IsEnded());
            d.EndDialog(zem::IDCANCEL);
        });
        if (*c.message) {
            ASSERT_EQ(messages.Texts(), std::vector<std::string>{c.message});
            EXPECT_TRUE(sink.rows.empty());
        } else {
            EXPECT_TRUE(messages.Texts().empty());
            ASSERT_EQ(sink.rows.size(), 1u);
            EXPECT_EQ(sink.rows[0],
                      (CPageRow{"初一(1)班", "语文", "张三", "主课", c.sentCount, c.nodes, c.times, ""}));
        }
    }
}

// An imported plan the plan dialog would refuse is refused at its row with the dialog's words, and a count the week
// cannot hold with the week's number; nothing is made for it.
TEST(PlanListPage, ImportedRowsTheDialogWouldRefuseAreRefused)
{
    SmallSchool school;
    const int usable = school.Task().GetSchoolStructure().GetWeekNodeCount();
    const std::string over = std::to_string(usable + 1);
    struct Case {
        std::string count, nodes, times, message;
    };
    const Case cases[] = {
        {"3", "4", "0", "连课节数必须在1和周课时数之间"},
        {"4", "2", "3", "连课次数与连课节数的乘积不能超过周课时数"},
        {over, "1", "0", "周课时数 " + over + " 超过了一周可用的 " + std::to_string(usable) + " 节"},
    };
    CPlanListPage page;
    ScriptedMessages messages;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        const int cards = p.GetCards()->GetCount();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.message);
            const SentRow sent = SendRow(p, {"初二(1)班", "物理", "赵六", "主课", c.count, c.nodes, c.times, ""}, 0, true, true);
            EXPECT_EQ(sent.answer, -1);
            EXPECT_EQ(sent.notify.message, c.message);
            EXPECT_EQ(p.GetCards()->GetCount(), cards);
        }
        // The same row within the dialog's rules is taken.
        EXPECT_EQ(SendRow(p, {"初二(1)班", "物理", "赵六", "主课", "4", "2", "2", ""}, 0, true, true).answer, 0);
    });
    EXPECT_TRUE(messages.Texts().empty()) << testing::PrintToString(messages.Texts());
}

TEST(PlanListPage, ImportedRowsCreateWhatTheyName)
{
    SmallSchool school;
    CPlanListPage page;
    ScriptedMessages messages;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        const SentRow shortRow = SendRow(p, {"初一(1)班", "语文", "张三"}, 0, true, true);
        EXPECT_EQ(shortRow.answer, -1);
        EXPECT_TRUE(shortRow.notify.error);
        EXPECT_EQ(shortRow.notify.message, "只有3列数据。请参考导入界面，至少应提供8列数据");

        // The caption names the list, the title stays.
        EXPECT_EQ(p.Caption(), "教学计划信息列表");
        EXPECT_EQ(p.Title(), "教学计划信息");
        // No periods are no plan, and a count neither whole nor half would be stored as another: refused with the
        // count, nothing made.
        for (const std::string count : {"0", "2.7", "1.25"}) {
            const SentRow none = SendRow(p, {"初二(1)班", "物理", "赵六", "主副课", count, "2", "0", "实验室"}, 0, true, true);
            EXPECT_EQ(none.answer, -1);
            EXPECT_EQ(none.notify.message, "周课时数无效: " + count);
        }
        EXPECT_EQ(p.GetCards()->GetCount(), 2);
        ASSERT_EQ(SendRow(p, {"初二(1)班", "物理", "赵六", "主副课", "2", "2", "0", "实验室"}, 0, true, true).answer, 0);
        EXPECT_EQ(p.Caption(), "教学计划信息列表 (已修改,未保存)");
        EXPECT_EQ(p.GetCards()->GetCount(), 3);
        EXPECT_EQ(p.GetCards()->GetCurSel(), 2);
        EXPECT_EQ(RowTexts(p, 0), (std::vector<std::string>{"物理", "赵六", "副课", "2", "2", "自动", "实验室"}));
        // A row without a teacher is refused, said to the import, with no box.
        const SentRow noTeacher = SendRow(p, {"初一(2)班", "语文", "", "主课", "2", "1", "0", ""}, 0, true, true);
        EXPECT_EQ(noTeacher.answer, -1);
        EXPECT_EQ(noTeacher.notify.message, "没有填写教师");
        ASSERT_EQ(SendRow(p, {"初一(2)班", "语文", "李四", "主课", "2.5", "1", "0", ""}, 0, true, true).answer, 0);
        EXPECT_EQ(p.GetCards()->GetText(p.GetCards()->GetCurSel()), "初一(2)班");
        // An imported name comes with full-width parentheses: it still names the class typed with
        // plain ones, and no second class is made.
        ASSERT_EQ(SendRow(p, {"初一（1）班", "语文", "张三", "主课", "1", "1", "0", ""}, 0, true, true).answer, 0);
        EXPECT_EQ(p.GetCards()->GetCount(), 3);
        EXPECT_EQ(p.GetCards()->GetText(p.GetCards()->GetCurSel()), "初一(1)班");
        ASSERT_TRUE(p.Save());
    });
    EXPECT_TRUE(messages.Texts().empty());
    CScheduleTask& task = school.Task();
    auto* cls = static_cast<CClassInfo*>(task.GetClassInfoList().FindByName("初二(1)班"));
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->GetStudentCount(), 50u);
    auto* room = static_cast<CRoomInfo*>(task.GetRoomInfoList().FindByName("实验室"));
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->GetCapacity(), 1);
    ASSERT_NE(task.GetSubjectInfoList().FindByName("物理"), nullptr);
    ASSERT_NE(task.GetTeacherInfoList().FindByName("赵六"), nullptr);
    ASSERT_EQ(task.GetCourseInfoList().GetCount(), 3);
    EXPECT_EQ(task.GetClassInfoList().GetCount(), 3);
    for (const auto& [id, object] : task.GetCourseInfoList()) {
        auto* plan = static_cast<CCourseInfo*>(object);
        if (plan->GetClassId() == cls->GetId()) {
            EXPECT_FALSE(plan->IsMainCourse());
            EXPECT_EQ(plan->GetRoomParam(), room->GetId());
            EXPECT_EQ(plan->GetContinuousNodes(), 2);
        } else if (plan->GetClassId() == task.GetClassInfoList().GetObjectId("初一(1)班")) {
            EXPECT_EQ(plan->GetWeekCount().ToString(), "1");
        } else {
            EXPECT_EQ(plan->GetWeekCount().ToString(), "2.5");
        }
    }
}

TEST(PlanListPage, CloneGivesOrderAfterTheTargetsPlans)
{
    SmallSchool school;
    for (int i = 0; i < 5; ++i)
        school.b.Course("a" + std::to_string(i), "c1", i % 2 ? "s1" : "s2", "t1", "1")->SetIndex(i);
    for (int i = 0; i < 3; ++i)
        school.b.Course("b" + std::to_string(i), "c2", "s1", "t2", "1")->SetIndex(i);
    CPlanListPage page;
    ScriptedMessages messages;
    RunPage<CPlanListPage>(
        page,
        [&](CPlanListPage& p) {
            ASSERT_EQ(p.GetShownClassId(), "c1");
            p.GetList()->ClearSelectedRows();
            p.GetList()->SetSelected(1, true);
            p.GetList()->SetSelected(3, true);
            p.OnClone();
            ASSERT_TRUE(p.IsModified());
            std::vector<int> orders;
            for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(*p.PlansOf("c2")))
                orders.push_back(plan->GetIndex());
            EXPECT_EQ(orders, (std::vector<int>{0, 1, 2, 3, 4}));
            EXPECT_EQ(p.GetCards()->GetItemDataPtr(1)->count, 5);
        },
        [&](Dialog& d) {
            EXPECT_EQ(d.Caption(), "将 语文等2门课程 克隆到");
            ChooseInMultiSelect(d, {"初一(2)班"});
        });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"克隆完成"});
}

TEST(PlanListPage, TeacherChangeOnACombinedClassFollowsOnCommit)
{
    SmallSchool school;
    school.b.Course("k1", "c1", "s1", "t1", "2");
    school.b.Course("k2", "c2", "s1", "t1", "2");
    school.b.Combined("cc", {"k1", "k2"});
    CPlanListPage page;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        ASSERT_EQ(p.GetShownClassId(), "c1");
        SelectRow(p, 0);
        ASSERT_EQ(SendRow(p, {"", "语文", "李四", "主课", "2", "1", "0", ""}, 1).answer, 0);
        p.SelectCard(1);  // commits the rows of 初一(1)班
        EXPECT_EQ(p.GetList()->GetItemText(0, 2), "李四");
        EXPECT_EQ(static_cast<CCourseInfo*>(p.PlansOf("c2")->Find("k2"))->GetTeacherId(), "t2");
    });
}

// A teacher change on a scheduled plan moves its lessons, halves and rooms with it.
TEST(PlanListPage, TeacherChangeMovesPlacedLessons)
{
    SmallSchool school;
    CCourseInfo* plan = school.b.Course("k1", "c1", "s1", "t1", "1.5", "r1");
    CScheduleTask& task = school.Task();
    const tagTABLE_NODE whole{0, 1, 0}, odd{1, 1, 1};
    task.SetCourseNode(plan, "r1", false, whole, 0);
    task.SetCourseNode(plan, "r1", false, odd, 1);
    ASSERT_TRUE(ValidateSchedule(task).IsClean()) << ValidateSchedule(task).Text();

    CPlanListPage page;
    ScriptedMessages messages;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        SelectRow(p, 0);
        ASSERT_EQ(SendRow(p, {"", "语文", "王五", "主课", "1.5", "1", "0", "机房"}, 1).answer, 0);
        ASSERT_TRUE(p.Save());
        EXPECT_FALSE(p.IsModified());
    });
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(task.FindCourse("k1")->GetTeacherId(), "t3");
    CTeacherInfo* oldTeacher = task.GetTeacher("t1");
    CTeacherInfo* newTeacher = task.GetTeacher("t3");
    EXPECT_TRUE(NodeOf(oldTeacher, whole).IsEmpty());
    EXPECT_TRUE(NodeOf(oldTeacher, odd).IsEmpty());
    EXPECT_EQ(NodeOf(newTeacher, whole).GetCourseId(1), "k1");
    EXPECT_EQ(NodeOf(newTeacher, whole).GetRoomId(1), "r1");
    EXPECT_EQ(NodeOf(newTeacher, odd).GetOddEven("k1"), 1);
    EXPECT_EQ(NodeOf(newTeacher, odd).GetRoomId(1), "r1");
    EXPECT_TRUE(task.GetClass("c1")->GetTable(false).IsUsed(whole));
    const ScheduleValidation validation = ValidateSchedule(task);
    EXPECT_TRUE(validation.IsClean()) << validation.Text();
}

TEST(PlanListPage, TwoPlansGivenOneTeacherAtOneTimeAreRefused)
{
    SmallSchool school;
    CScheduleTask& task = school.Task();
    const tagTABLE_NODE node{0, 1, 0};
    task.SetCourseNode(school.b.Course("k1", "c1", "s1", "t1", "1"), "", false, node, 0);
    task.SetCourseNode(school.b.Course("k2", "c2", "s2", "t2", "1"), "", false, node, 0);
    CPlanListPage page;
    ScriptedMessages messages;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        for (int card : {0, 1}) {
            p.SelectCard(card);
            SelectRow(p, 0);
            ASSERT_EQ(SendRow(p, {"", p.GetList()->GetItemText(0, 1), "王五", "主课", "1", "1", "0", ""}, 1).answer, 0);
        }
        EXPECT_FALSE(p.Save());
        EXPECT_TRUE(p.IsModified());
    });
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("都重新指定给 王五 老师\n但在已排好的课表中这两门课程的时间安排上是有冲突的。"),
              std::string::npos);
    EXPECT_EQ(task.FindCourse("k1")->GetTeacherId(), "t1");
}

TEST(PlanListPage, APlanWithoutAValidTeacherIsNotSaved)
{
    SmallSchool school;
    school.b.Course("k1", "c1", "s1", "t1", "2");
    CPlanListPage page;
    ScriptedMessages messages;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        SelectRow(p, 0);
        ASSERT_EQ(SendRow(p, {"", "语文", "无此人", "主课", "2", "1", "0", ""}, 1).answer, 0);
        EXPECT_FALSE(p.Save());
    });
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].rfind("教学计划 ", 0), 0u);
    EXPECT_NE(messages.Texts()[0].find(" 的任课教师无效"), std::string::npos);
    EXPECT_EQ(school.Task().FindCourse("k1")->GetTeacherId(), "t1");
}

TEST(PlanListPage, OverBudgetClassesAreListedAndCancelShowsTheFirst)
{
    SmallSchool school;
    CScheduleTask& task = school.Task();
    const int usable = task.GetSchoolStructure().GetWeekNodeCount();
    const std::string over = std::to_string(usable + 1);
    school.b.Course("ok", "c1", "s1", "t1", std::to_string(usable).c_str());
    for (int i = 0; i < 7; ++i) {
        const std::string id = "x" + std::to_string(i);
        school.b.Class(id, "初三(" + std::to_string(i + 1) + ")班")->SetIndex(10 + i);
        school.b.Course("p" + std::to_string(i), id, "s2", "t2", over.c_str());
    }
    CPlanListPage page;
    ScriptedMessages messages({zem::IDCANCEL});
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        EXPECT_FALSE(p.GetCards()->GetItemDataPtr(0)->warning);  // equal to the budget is not over it
        EXPECT_TRUE(p.GetCards()->GetItemDataPtr(2)->warning);
        p.SetModified(true);
        EXPECT_FALSE(p.Save());
        EXPECT_EQ(p.GetShownClassId(), "x0");
        EXPECT_TRUE(p.IsModified());
        SaveScreenshot(&p, "plan_page_over_budget");
    });
    ASSERT_EQ(messages.messages.size(), 1u);
    const std::string& text = messages.messages[0].text;
    EXPECT_EQ(messages.messages[0].buttons, zem::MessageButtons::OkCancel);
    EXPECT_NE(text.find("初三(1)班 等7个班级的周课时数已超出"), std::string::npos);
    EXPECT_NE(text.find("初三(5)班（" + over + "节）\r\n......\r\n"), std::string::npos);
    EXPECT_EQ(text.find("初三(6)班"), std::string::npos);
}

// Deleted plans take their lessons, preset and assistant with them when the page is saved.
TEST(PlanListPage, DeletedPlansLeaveEveryTable)
{
    SmallSchool school;
    CScheduleTask& task = school.Task();
    CCourseInfo* gone = school.b.Course("k1", "c1", "s1", "t1", "2", "r1");
    school.b.Course("k2", "c1", "s2", "t2", "1");
    school.b.Assistant("k1", {"t3"});
    school.b.Preset("k1", "10,");
    const tagTABLE_NODE monday{0, 1, 0}, tuesday{1, 1, 0};
    for (const bool temp : {false, true}) {
        task.SetCourseNode(gone, "r1", temp, monday, 0);
        task.SetCourseNode(gone, "r1", temp, tuesday, 0);
    }
    CPlanListPage page;
    ScriptedMessages messages;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        SelectRow(p, 0);
        ASSERT_EQ(p.GetList()->GetItemText(0, 1), "语文");
        p.SendCommand(CListBaseDlg::IDC_DELETE);
        ASSERT_TRUE(p.Save());
    });
    EXPECT_EQ(task.FindCourse("k1"), nullptr);
    EXPECT_NE(task.FindCourse("k2"), nullptr);
    EXPECT_EQ(task.GetAssistant("k1"), nullptr);
    EXPECT_EQ(task.GetCoursePresetList().Find("k1"), nullptr);
    for (const bool temp : {false, true})
        for (const tagTABLE_NODE& node : {monday, tuesday}) {
            EXPECT_FALSE(task.GetClass("c1")->GetTable(temp).IsUsed(node));
            EXPECT_FALSE(task.GetTeacher("t1")->GetTable(temp).IsUsed(node));
            EXPECT_FALSE(task.GetTeacher("t3")->GetTable(temp).IsUsed(node));
            CComplexTable& places = task.GetRoom("r1")->GetComplexTable();
            for (int index = 0; const CCourseTable* table = places.Enum(temp, index); ++index)
                EXPECT_FALSE(table->IsUsed(node));
        }
    EXPECT_TRUE(zem::FileExists(school.folder / "output.xml"));
}

TEST(PlanListPage, AFailedSaveKeepsThePageModified)
{
    SmallSchool school;
    school.b.Course("k1", "c1", "s1", "t1", "2");
    // A file where the task's folder should be: nothing can be written there.
    const std::string blocked = school.folder / "blocked";
    ASSERT_TRUE(zem::WriteFileAtomic(blocked, "x"));
    school.Task().GetTaskInfo().SetTaskFolder(blocked);
    CPlanListPage page;
    ScriptedMessages messages;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        ASSERT_EQ(SendRow(p, {"初一(1)班", "数学", "李四", "主课", "3", "1", "0", ""}).answer, 0);
        EXPECT_FALSE(p.Save());
        EXPECT_TRUE(p.IsModified());
    });
    ASSERT_FALSE(messages.Texts().empty());
    EXPECT_NE(messages.Texts().back().find("没有保存成功"), std::string::npos);
}

TEST(PlanListPage, BatchChangeWritesThePropertysColumn)
{
    struct Case {
        int property;
        const char* value;
        int column;
        const char* shown;
    };
    const Case cases[] = {
        {0, "数学", 1, "数学"}, {1, "副课", 3, "副课"}, {2, "3.5", 4, "3.5"},
        {3, "0", 5, "不连"},   {4, "2", 6, "2"},       {4, "0", 6, "自动"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.property);
        SmallSchool school;
        school.b.Course("k1", "c1", "s1", "t1", "2");
        school.b.Course("k2", "c2", "s1", "t2", "2");
        // Of another teacher: renaming 语文 to 数学 makes no plan twice.
        school.b.Course("k3", "c2", "s2", "t3", "2");
        CPlanListPage page;
        RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
            tagPLAN_BATCH_MODIFY request;
            request.classIds = {"C1", "c2"};  // ids compare ignoring case
            request.courseName = "语文";
            request.property = c.property;
            request.value = c.value;
            p.Send(WM_PLAN_BATCH_MODIFY, 0, zem::ToLParam(&request));
            EXPECT_TRUE(request.handled);
            EXPECT_EQ(request.changedClasses, 2);
            EXPECT_TRUE(p.IsModified());
            EXPECT_EQ(p.GetShownClassId(), "c2");
            EXPECT_EQ(p.GetList()->GetItemText(0, c.column), c.shown);
            EXPECT_EQ(p.GetList()->GetItemText(1, 1), "数学");  // the other course untouched
        });
    }
}

TEST(BatchModifyPlanDlg, ReportsWhatThePageChanged)
{
    SmallSchool school;
    school.b.Course("k1", "c1", "s1", "t1", "2");
    CPlanListPage page;
    ScriptedMessages messages;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        RunBatchModify(p, {"初一(1)班", "初一(2)班"}, [&](CBatchModifyPlanDlg& d) {
            EXPECT_EQ(d.GetDlgItemText(CBatchModifyPlanDlg::IDC_CHOSEN), "已选择 2 个班级：初一(1)班，初一(2)班");
            d.SetDlgItemText(CBatchModifyPlanDlg::IDC_VALUE, "3.50");
            d.SendCommand(zem::IDOK);
            d.Item<QComboBox>(CBatchModifyPlanDlg::IDC_COURSE)->setCurrentIndex(1);  // 数学: no class has it
            d.SendCommand(zem::IDOK);
            EXPECT_FALSE(d.IsEnded());
            d.EndDialog(zem::IDCANCEL);
        });
        p.SelectCard(0);  // the change left the last chosen class shown
        EXPECT_EQ(p.GetList()->GetItemText(0, 4), "3.5");
    });
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"1 个班级的 语文 课程\n已成功修改 周课时数 为 3.5", "没有找到匹配的数据"}));
}

// A batch change is asked of every row it would change by the plan dialog's rules before any is
// changed: one row it would give a plan no plan may have refuses it whole, and names the row.
TEST(PlanListPage, BatchChangeThatWouldBreakARowChangesNoClass)
{
    struct Case {
        int property;
        const char* value;
        const char* refusal;
    };
    const Case cases[] = {
        {0, "数学", "重复的教学计划：初一(2)班 数学 李四"},
        {2, "1", "初一(2)班 语文 李四：连课节数必须在1和周课时数之间"},
        {3, "3", "初一(1)班 语文 张三：连课节数必须在1和周课时数之间"},
        {4, "-1", "初一(1)班 语文 张三：连课次数不能小于0"},
        {4, "2", "初一(2)班 语文 李四：连课次数与连课节数的乘积不能超过周课时数"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        SmallSchool school;
        school.b.Course("k1", "c1", "s1", "t1", "2");
        school.b.Course("k2", "c2", "s1", "t2", "2")->SetContinuousNodes(2);
        school.b.Course("k3", "c2", "s2", "t2", "2");
        CPlanListPage page;
        RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
            tagPLAN_BATCH_MODIFY request;
            request.classIds = {"c1", "c2"};
            request.courseName = "语文";
            request.property = c.property;
            request.value = c.value;
            p.Send(WM_PLAN_BATCH_MODIFY, 0, zem::ToLParam(&request));
            EXPECT_TRUE(request.handled);
            EXPECT_EQ(request.refusal, c.refusal);
            EXPECT_EQ(request.changedClasses, 0);
            EXPECT_FALSE(p.IsModified());
            for (int card = 0; card < 2; ++card) {
                p.SelectCard(card);
                EXPECT_EQ(p.GetList()->GetItemText(0, 1), "语文");
                EXPECT_EQ(p.GetList()->GetItemText(0, 4), "2");
                EXPECT_EQ(p.GetList()->GetItemText(0, 6), "自动");
            }
        });
    }
}

// The dialog refuses a count the plan cannot hold, and says why the page changed nothing.
TEST(BatchModifyPlanDlg, SaysWhyNothingWasChanged)
{
    SmallSchool school;
    school.b.Course("k1", "c1", "s1", "t1", "2");
    CPlanListPage page;
    ScriptedMessages messages;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        RunBatchModify(p, {"初一(1)班"}, [&](CBatchModifyPlanDlg& d) {
            for (const char* count : {"2.7", "1.25"}) {
                d.SetDlgItemText(CBatchModifyPlanDlg::IDC_VALUE, count);
                d.SendCommand(zem::IDOK);
            }
            d.Item<QComboBox>(CBatchModifyPlanDlg::IDC_PROPERTY)->setCurrentIndex(3);
            d.SetDlgItemText(CBatchModifyPlanDlg::IDC_VALUE, "5");
            d.SendCommand(zem::IDOK);
            d.EndDialog(zem::IDCANCEL);
        });
        EXPECT_FALSE(p.IsModified());
        EXPECT_EQ(p.GetList()->GetItemText(0, 4), "2");
        EXPECT_EQ(p.GetList()->GetItemText(0, 5), "不连");
    });
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{
                                    "周课时数无效: 2.7", "周课时数无效: 1.25",
                                    "没有修改任何班级：初一(1)班 语文 张三：连课节数必须在1和周课时数之间"}));
}

TEST(AddPlanDlg, AWeeklyCountIsWholeLessonsOrAHalfMore)
{
    const std::pair<const char*, bool> cases[] = {
        {"2", true},    {"2.5", true},  {" 2。5 ", true}, {"2.50", true}, {"0", true},
        {"2.7", false}, {"1.25", false}, {"2.", true},    {"", false},    {"-1", false},
        {"abc", false}, {"2.5.1", false}, {".5", true},  {".", false},
    };
    for (const auto& [text, whole] : cases)
        EXPECT_EQ(ParseWeekCountText(text, nullptr), whole) << text;
}

TEST(AddPlanDlg, WarnsWhenThePlanIsScheduled)
{
    RegisterShellBitmaps();  // as the program does at start: the dialog's picture
    SmallSchool school;
    CCourseInfo* plan = school.b.Course("k1", "c1", "s1", "t1", "2");
    school.Task().SetCourseNode(plan, "", false, {0, 1, 0}, 0);
    CPlanListPage page;
    RunPage<CPlanListPage>(
        page,
        [&](CPlanListPage& p) {
            SelectRow(p, 0);
            p.Edit();
        },
        [&](Dialog& d) {
            auto* dialog = dynamic_cast<CAddPlanDlg*>(&d);
            ASSERT_NE(dialog, nullptr);
            EXPECT_TRUE(dialog->IsWarningShown());
            EXPECT_EQ(dialog->Caption(), "修改教学计划信息");
            EXPECT_EQ(dialog->GetDlgItemText(CAddPlanDlg::IDC_WEEK_COUNT), "2");
            SaveScreenshot(dialog, "plan_edit_dialog_warning");
            d.EndDialog(zem::IDCANCEL);
        });
}

// Both clear questions answer Enter with Cancel: pressing it clears nothing.
TEST(PlanListPage, EnterOnEitherClearQuestionClearsNothing)
{
    SmallSchool school;
    school.b.Course("k1", "c1", "s1", "t1", "2");
    school.b.Course("k2", "c2", "s2", "t2", "3");
    std::vector<zem::MessageRequest> asked;
    // Enter presses the default button; without one, the first.
    const zem::MessageHook previous = zem::SetMessageHook([&](const zem::MessageRequest& request) {
        asked.push_back(request);
        return request.defaultAnswer != 0 ? request.defaultAnswer : zem::IDOK;
    });
    CPlanListPage page;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        p.ClearShownClass();
        p.ClearAllClasses();
        EXPECT_EQ(p.GetList()->GetItemCount(), 1);
        EXPECT_FALSE(p.IsModified());
        p.SelectCard(1);
        EXPECT_EQ(p.GetList()->GetItemCount(), 1);
    });
    zem::SetMessageHook(previous);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text, "确定要清空 初一(1)班 的教学计划吗");
    EXPECT_EQ(asked[1].text.rfind("确定要清空所有班级的教学计划吗？", 0), 0u);
    for (const zem::MessageRequest& request : asked)
        EXPECT_EQ(request.buttons, zem::MessageButtons::OkCancel);
}

// With more classes than the card column holds (the demo's 25), the vertical scroll bar takes its
// width from the cards: each card, and the totals at its right edge, stays left of it.
TEST(PlanListPage, CardTotalsStayWholeBesideTheScrollBar)
{
    struct Case {
        const char* png;
        std::function<std::unique_ptr<CPlanListPage>()> make;
    };
    const Case cases[] = {
        {"plan_page_cards_scrolled", [] { return std::make_unique<CPlanListPage>(); }},
        {"selfstudy_page_cards_scrolled", [] { return std::make_unique<CSelfStudyListPage>(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.png);
        DemoSchool demo;
        ASSERT_NE(demo.task, nullptr);
        std::unique_ptr<CPlanListPage> page = c.make();
        RunPage<CPlanListPage>(*page, [&](CPlanListPage& p) {
            QCoreApplication::processEvents();
            CCardListBox* cards = p.GetCards();
            ASSERT_TRUE(cards->verticalScrollBar()->isVisible());
            const int visible = cards->viewport()->width();
            int widest = 0;
            for (int i = 0; i < cards->GetCount(); ++i)
                widest = std::max(widest, cards->visualItemRect(cards->item(i)).right());
            EXPECT_LE(widest, visible - 1);
            // The grey totals of the second card end inside its frame, the frame left of the bar.
            const QImage shot = cards->viewport()->grab().toImage();
            const QRect second = cards->visualItemRect(cards->item(1));
            int rightmostInk = -1;
            for (int y = std::max(0, second.top()); y <= std::min(second.bottom(), shot.height() - 1); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    if (shot.pixelColor(x, y) == QColor(128, 128, 128))
                        rightmostInk = std::max(rightmostInk, x);
            EXPECT_GT(rightmostInk, visible / 2);
            EXPECT_LE(rightmostInk, visible - 10);
            SaveScreenshot(&p, c.png);
        });
    }
}
