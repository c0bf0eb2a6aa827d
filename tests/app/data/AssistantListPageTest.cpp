// The assistant-teacher page: choosing assistants, saving them into the timetables, and the rows
// a workbook sends.
#include "support/BasicDataTestSupport.h"

#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/data/AssistantListPage.h"
#include "app/timetable/TeacherConflictDlg.h"
#include "base/ScheduleTask.h"
#include "platform/gui/ItemList.h"
#include "base/ScheduleValidator.h"

#include <gtest/gtest.h>

using zem::gui::Dialog;
using Strings = std::vector<std::string>;

namespace {

void PickPlan(Dialog& dialog, const std::string& planId)
{
    auto* picker = dynamic_cast<CCoursePlanPickerDlg*>(&dialog);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->Caption(), "选择要安排助教的教学计划");
    auto& list = *picker->GetList();
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (list.GetItemPtr<CCourseInfo>(row)->GetId() == planId) {
            list.ClearSelectedRows();
            list.SetSelected(row, true);
        }
    picker->SendCommand(zem::IDOK);
}

// Sets the ticks of a multi-select dialog to exactly the named teachers and confirms it.
void Tick(Dialog& dialog, const Strings& names, Strings* listed = nullptr)
{
    auto* chooser = dynamic_cast<CMultiSelectDlg*>(&dialog);
    ASSERT_NE(chooser, nullptr);
    auto& list = *chooser->Item<zem::gui::ItemList>(CMultiSelectDlg::IDC_LIST);
    chooser->SendCommand(CMultiSelectDlg::IDC_CHECK_NONE);
    const Strings shown = Listed(list);
    if (listed)
        *listed = shown;
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (std::find(names.begin(), names.end(), shown[i]) != names.end())
            ClickCheck(list, static_cast<int>(i));
    chooser->SendCommand(zem::IDOK);
}

}  // namespace

// Assistants chosen on the page follow the plan's placed lessons on save, and leave them when
// their row is deleted.
TEST(AssistantListPage, AddEditSaveAndDeleteMoveTheLessons)
{
    SmallSchool school;
    CScheduleTask& task = school.Task();
    CCourseInfo* plan = school.b.Course("k1", "c1", "s1", "t1", "2");
    school.b.Course("k2", "c2", "s2", "t2", "1");
    const tagTABLE_NODE monday{0, 1, 0}, tuesday{1, 1, 1};
    for (const bool temp : {false, true}) {
        task.SetCourseNode(plan, "", temp, monday, 0);
        task.SetCourseNode(plan, "", temp, tuesday, 0);
    }
    auto holds = [&](const char* teacher, const tagTABLE_NODE& node) {
        return task.GetTeacher(teacher)->GetTable(false).GetNode(node).GetCourseId(1) == "k1";
    };

    CAssistantListPage page;
    ScriptedMessages messages;
    int step = 0;
    Strings offered;
    RunPage<CAssistantListPage>(
        page,
        [&](CAssistantListPage& p) {
            p.Add();
            ASSERT_EQ(p.GetList()->GetItemCount(), 1);
            EXPECT_EQ(ColumnTexts(p, 2), Strings{"李四"});
            // Adding for the same plan again edits its row.
            p.Add();
            ASSERT_EQ(p.GetList()->GetItemCount(), 1);
            EXPECT_EQ(ColumnTexts(p, 2), Strings{"李四，王五"});
            ASSERT_TRUE(p.Save());
            EXPECT_FALSE(p.IsModified());
            EXPECT_TRUE(holds("t2", monday));
            EXPECT_TRUE(holds("t3", tuesday));
            EXPECT_TRUE(ValidateSchedule(task).IsClean()) << ValidateSchedule(task).Text();
            SaveScreenshot(&p, "assistant_page_small");

            SelectRow(p, 0);
            p.Edit();  // 王五 only
            ASSERT_TRUE(p.Save());
            EXPECT_FALSE(holds("t2", monday));
            EXPECT_TRUE(holds("t3", monday));

            SelectRow(p, 0);
            p.SendCommand(CListBaseDlg::IDC_DELETE);
            ASSERT_TRUE(p.Save());
        },
        [&](Dialog& d) {
            switch (step++) {
            case 0: PickPlan(d, "k1"); break;
            case 1:
                EXPECT_NE(d.Caption().find("的助理教师"), std::string::npos);
                Tick(d, {"李四"}, &offered);
                break;
            case 2: PickPlan(d, "k1"); break;
            case 3:
                EXPECT_NE(d.Caption().find("的助教"), std::string::npos);
                Tick(d, {"李四", "王五"});
                break;
            default: Tick(d, {"王五"}); break;
            }
        });
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(offered, (Strings{"李四", "王五"}));  // never the plan's own teacher
    EXPECT_EQ(task.GetAssistant("k1"), nullptr);
    for (const bool temp : {false, true})
        for (const tagTABLE_NODE& node : {monday, tuesday}) {
            EXPECT_FALSE(task.GetTeacher("t3")->GetTable(temp).IsUsed(node));
            EXPECT_TRUE(task.GetTeacher("t1")->GetTable(temp).IsUsed(node));
        }
    const ScheduleValidation validation = ValidateSchedule(task);
    EXPECT_TRUE(validation.IsClean()) << validation.Text();
}

// A busy assistant opens the conflict dialog; left unresolved there, the choice and the save are
// refused without a further message. A fixed no-class time is refused with the check's text.
TEST(AssistantListPage, ABusyAssistantGoesToTheConflictDialog)
{
    SmallSchool school;
    CScheduleTask& task = school.Task();
    const tagTABLE_NODE node{0, 1, 0};
    CCourseInfo* first = school.b.Course("k1", "c1", "s1", "t1", "1");
    CCourseInfo* second = school.b.Course("k2", "c2", "s2", "t2", "1");
    for (const bool temp : {false, true}) {
        task.SetCourseNode(first, "", temp, node, 0);
        task.SetCourseNode(second, "", temp, node, 0);
    }
    auto* fixed = new CFixedTimeOfObject;
    fixed->SetId("t3");
    fixed->ReadFixedTimeFromString("10,");  // the slot of both lessons
    task.GetFixedTimeOfTeacherList().Add(fixed);

    CAssistantListPage page;
    ScriptedMessages messages;
    Strings conflictCaptions;
    RunPage<CAssistantListPage>(
        page,
        [&](CAssistantListPage& p) {
            bool noDialog = true;
            EXPECT_FALSE(p.CheckAssistants({"t2"}, "k1", &noDialog));
            EXPECT_FALSE(noDialog);
            EXPECT_FALSE(p.CheckAssistants({"t3"}, "k1", &noDialog));
            EXPECT_TRUE(noDialog);
            // Imported rows are checked on save, which then writes nothing.
            ASSERT_EQ(SendRow(p, {"初一(1)班", "语文", "张三", "常规", "李四"}, 0, true, true).answer, 0);
            EXPECT_FALSE(p.Save());
            EXPECT_TRUE(p.IsModified());
        },
        [&](Dialog& d) {
            if (dynamic_cast<CTeacherConflictDlg*>(&d))
                conflictCaptions.push_back(d.Caption());
        });
    EXPECT_EQ(conflictCaptions, Strings(2, "助教时间冲突 - 为 " + task.GetCourseDesc(first) + " 添加助教 李四"));
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("王五 老师的固定无课时间"), std::string::npos);
    EXPECT_TRUE(task.GetAssistantList().IsEmpty());
}

TEST(AssistantListPage, WorkbookRows)
{
    SmallSchool school;
    school.b.Course("k1", "c1", "s1", "t1", "2");
    school.b.SelfStudy("m1", "c2", "s1", "t2", COURSE_TYPE_MORNING_READING, "1");
    struct Case {
        CPageRow cells;
        const char* message;  // empty: taken
    };
    const Case refused[] = {
        {{"初一(1)班", "语文", "张三", "常规"}, "只有4列数据。请参考导入界面，至少应提供5列数据"},
        {{"初九班", "语文", "张三", "常规", "李四"}, "班级不存在: 初九班"},
        {{"初一(1)班", "物理", "张三", "常规", "李四"}, "课程不存在: 物理"},
        {{"初一(1)班", "语文", "赵六", "常规", "李四"}, "教师不存在: 赵六"},
        {{"初一(1)班", "语文", "张三", "常规", "张三、赵六"}, "在第2页教师信息中没有找到这些助教信息: 张三、赵六"},
        {{"初一(1)班", "语文", "张三", "常规", "李四、赵六；钱七"}, "在第2页教师信息中没有找到这些助教信息: 赵六、钱七"},
        {{"初一(1)班", "数学", "张三", "常规", "李四"}, "教学计划不存在: 初一(1)班 数学 张三"},
        {{"初一(2)班", "语文", "李四", "常规", "王五"}, "教学计划不存在: 初一(2)班 语文 李四"},
        {{"初一(1)班", "语文", "张三", "晚自习", "李四"}, "晚自习不存在: 初一(1)班 语文 张三"},
    };
    CAssistantListPage page;
    ScriptedMessages messages;
    RunPage<CAssistantListPage>(page, [&](CAssistantListPage& p) {
        for (const Case& c : refused) {
            SCOPED_TRACE(c.message);
            const SentRow sent = SendRow(p, c.cells, 0, true, true);
            EXPECT_EQ(sent.answer, -1);
            EXPECT_TRUE(sent.notify.error);
            EXPECT_EQ(sent.notify.message, c.message);
        }
        // Rows come only from the workbook, whose cells hold names.
        CPageRow dialogRow{"初一(1)班", "语文", "张三", "常规", "李四"};
        CPageNotify notify;
        EXPECT_EQ(p.Send(WM_PAGE_ROW, zem::ToWParam(&notify), zem::ToLParam(&dialogRow)), -1);
        EXPECT_EQ(p.GetList()->GetItemCount(), 0);

        ASSERT_EQ(SendRow(p, {"初一(2)班", "语文", "李四", "早读", "张三；李四"}, 0, true, true).answer, 0);
        // The plan's own teacher is dropped; names after "、" and "；" are all taken.
        ASSERT_EQ(SendRow(p, {"初一(1)班", "语文", "张三", "常规", "张三、李四"}, 0, true, true).answer, 0);
        // A second row for the plan joins the first.
        ASSERT_EQ(SendRow(p, {"初一(1)班", "语文", "张三", "常规", "王五；李四"}, 0, true, true).answer, 0);
        EXPECT_EQ(ColumnTexts(p, 0), (Strings{"m1", "k1"}));
        EXPECT_EQ(ColumnTexts(p, 2), (Strings{"张三", "李四，王五"}));
        ASSERT_TRUE(p.Save());
    });
    EXPECT_TRUE(messages.Texts().empty());
    CScheduleTask& task = school.Task();
    ASSERT_EQ(task.GetAssistantList().GetCount(), 2);
    EXPECT_EQ(task.GetAssistant("k1")->GetAssistants(), (Strings{"t2", "t3"}));
    EXPECT_EQ(task.GetAssistant("m1")->GetAssistants(), (Strings{"t1"}));
}

TEST(AssistantListPage, DemoTaskShowsItsAssistants)
{
    DemoSchool demo;
    ASSERT_NE(demo.task, nullptr);
    const int records = demo.task->GetAssistantList().GetCount();
    ASSERT_GT(records, 0);
    CAssistantListPage page;
    RunPage<CAssistantListPage>(page, [&](CAssistantListPage& p) {
        p.resize(900, 560);
        EXPECT_EQ(p.Caption(), "助教");
        EXPECT_EQ(p.GetList()->GetItemCount(), records);
        for (const std::string& names : ColumnTexts(p, 2))
            EXPECT_FALSE(names.empty());
        SaveScreenshot(&p, "assistant_page_demo");
    });
}

// A save that could not write leaves the page modified; the next one writes the timetables too,
// though it finds no assistant left to change.
TEST(AssistantListPage, AFailedSaveIsWrittenWholeByTheNext)
{
    SmallSchool school;
    CScheduleTask& task = school.Task();
    const tagTABLE_NODE node{0, 1, 0};
    CCourseInfo* plan = school.b.Course("k1", "c1", "s1", "t1", "1");
    for (const bool temp : {false, true})
        task.SetCourseNode(plan, "", temp, node, 0);
    const std::string folder = task.GetTaskInfo().GetTaskFolder();
    const std::string blocked = school.folder / "blocked";
    ASSERT_TRUE(zem::WriteFileAtomic(blocked, "x"));
    task.GetTaskInfo().SetTaskFolder(blocked);
    CAssistantListPage page;
    ScriptedMessages messages;
    RunPage<CAssistantListPage>(page, [&](CAssistantListPage& p) {
        ASSERT_EQ(SendRow(p, {"初一(1)班", "语文", "张三", "常规", "王五"}, 0, true, true).answer, 0);
        EXPECT_FALSE(p.Save());
        EXPECT_TRUE(p.IsModified());
        task.GetTaskInfo().SetTaskFolder(folder);
        ASSERT_TRUE(p.Save());
    });
    EXPECT_TRUE(task.GetTeacher("t3")->GetTable(false).IsUsed(node));
    EXPECT_TRUE(zem::FileExists(school.folder / "output.xml"));
    EXPECT_TRUE(zem::FileExists(school.folder / "input.xml"));
}
