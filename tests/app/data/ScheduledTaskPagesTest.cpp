// The plan, self-study and assistant pages over a scheduled task read from disk, as a user's is:
// a new teacher is checked against the lessons the task holds, right after opening and after a
// save; and a save that wrote input.xml but not output.xml is not taken for a save.
#include "support/BasicDataTestSupport.h"
#include "support/TableConsistency.h"
#include "support/WriteFault.h"

#include "app/data/AddPlanDlg.h"
#include "app/data/AssistantListPage.h"
#include "app/data/PlanListPage.h"
#include "app/data/SelfStudyListPage.h"
#include "app/timetable/TeacherConflictDlg.h"
#include "base/ScheduleTask.h"
#include "base/ScheduleValidator.h"

#include <QComboBox>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using zem::gui::Dialog;
using Strings = std::vector<std::string>;

const tagTABLE_NODE kMonday{0, 1, 0};
const tagTABLE_NODE kEvening{0, 4, 0};

// The small school with 语文 of 初一(1)班 by 张三 (k1) and 数学 of 初一(2)班 by 李四 (k2), both in the
// first afternoon period on Monday, and an evening self-study of each class by the same teachers
// (e1, e2) at one time; its files written and read back. 王五 teaches nothing.
class ScheduledSchool : public SmallSchool {
public:
    ScheduledSchool()
    {
        CScheduleTask& built = b.Task();
        built.GetSchoolStructure().SetSectionNodeMaxCount(4, 1, true);
        built.GetSchoolStructure().RefreshData();
        built.SetCourseNode(b.Course("k1", "c1", "s1", "t1", "1"), "", false, kMonday, 0);
        built.SetCourseNode(b.Course("k2", "c2", "s2", "t2", "1"), "", false, kMonday, 0);
        built.SetCourseNode(b.SelfStudy("e1", "c1", "s1", "t1", COURSE_TYPE_SELF_STUDY), "", false, kEvening, 0);
        built.SetCourseNode(b.SelfStudy("e2", "c2", "s2", "t2", COURSE_TYPE_SELF_STUDY), "", false, kEvening, 0);
        Reopen();
    }

    // The plan held by the teacher's timetable at the node.
    std::string HeldBy(const char* teacherId, const tagTABLE_NODE& node)
    {
        return Task().GetTeacher(teacherId)->GetTable(false).GetNode(node).GetCourseId(1);
    }
};

// Records the conflict dialogs and leaves each unresolved; hands every other dialog on.
std::function<void(Dialog&)> Conflicts(Strings& captions, std::function<void(Dialog&)> other = {})
{
    return [&captions, other](Dialog& d) {
        if (dynamic_cast<CTeacherConflictDlg*>(&d))
            captions.push_back(d.Caption());
        else if (other)
            other(d);
    };
}

// Gives the first plan shown the row's teacher and saves, which the page refuses.
template <class Page>
void RefusedChange(const CPageRow& row, Strings& conflicts)
{
    Page page;
    RunPage<Page>(
        page,
        [&row](Page& p) {
            SelectRow(p, 0);
            ASSERT_EQ(SendRow(p, row, 1).answer, 0);
            EXPECT_FALSE(p.Save());
            EXPECT_TRUE(p.IsModified());
        },
        Conflicts(conflicts));
}

std::string ChangeCaption(CScheduleTask& task, const char* planId, const char* teacher)
{
    return "教师时间冲突 - 将 " + task.GetCourseDesc(planId) + " 的任课教师修改为 " + teacher;
}

}  // namespace

// Right after opening, a new teacher who already teaches at one of the plan's lessons goes to the
// conflict dialog on every page that changes teachers; left unresolved there, nothing changes.
TEST(ScheduledTaskPages, ANewTeacherBusyAtALessonGetsTheConflictDialogRightAfterOpening)
{
    struct Case {
        const char* what;
        std::function<void(Strings&)> act;
        const char* planId;
        bool assistant;
    };
    const Case cases[] = {
        {"plan page",
         [](Strings& conflicts) {
             RefusedChange<CPlanListPage>({"", "语文", "李四", "主课", "1", "1", "0", ""}, conflicts);
         },
         "k1", false},
        {"plan edit dialog",
         [](Strings& conflicts) {
             CPlanListPage page;
             RunPage<CPlanListPage>(
                 page,
                 [](CPlanListPage& p) {
                     SelectRow(p, 0);
                     p.Edit();
                     EXPECT_EQ(p.GetList()->GetItemText(0, 2), "张三");
                     EXPECT_FALSE(p.IsModified());
                 },
                 Conflicts(conflicts, [](Dialog& d) {
                     auto* edit = dynamic_cast<CAddPlanDlg*>(&d);
                     ASSERT_NE(edit, nullptr);
                     auto* teacher = edit->Item<QComboBox>(CAddPlanDlg::IDC_TEACHER);
                     teacher->setCurrentIndex(teacher->findText("李四"));
                     edit->SendCommand(zem::IDOK);
                     EXPECT_FALSE(edit->IsEnded());  // refused: the form keeps its values
                 }));
         },
         "k1", false},
        {"self-study page",
         [](Strings& conflicts) {
             RefusedChange<CSelfStudyListPage>({"", "晚自习", "语文", "李四", "1", "1", "0", ""}, conflicts);
         },
         "e1", false},
        {"assistant page",
         [](Strings& conflicts) {
             CAssistantListPage page;
             RunPage<CAssistantListPage>(
                 page,
                 [](CAssistantListPage& p) {
                     bool noDialog = true;
                     EXPECT_FALSE(p.CheckAssistants({"t2"}, "k1", &noDialog));
                     EXPECT_FALSE(noDialog);
                 },
                 Conflicts(conflicts));
         },
         "k1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScheduledSchool school;
        CScheduleTask& task = school.Task();
        EXPECT_TRUE(WorkingTablesMatchCommitted(task));
        ScriptedMessages messages;
        Strings conflicts;
        c.act(conflicts);
        const std::string expected =
            c.assistant ? "助教时间冲突 - 为 " + task.GetCourseDesc(c.planId) + " 添加助教 李四"
                        : ChangeCaption(task, c.planId, "李四");
        EXPECT_EQ(conflicts, Strings{expected});
        EXPECT_TRUE(messages.Texts().empty());
        EXPECT_EQ(task.FindCourse(c.planId)->GetTeacherId(), "t1");
        EXPECT_EQ(school.HeldBy("t2", kMonday), "k2");
        EXPECT_EQ(school.HeldBy("t2", kEvening), "e2");
        EXPECT_EQ(task.GetAssistant("k1"), nullptr);
        const ScheduleValidation validation = ValidateSchedule(task);
        EXPECT_TRUE(validation.IsClean()) << validation.Text();
    }
}

// A save moves the lessons to the new teacher; a second change at the same time, on the same page
// or as an assistant, then finds that teacher busy.
TEST(ScheduledTaskPages, ASecondChangeAtTheSameTimeAfterASaveIsCheckedToo)
{
    ScheduledSchool school;
    CScheduleTask& task = school.Task();
    ScriptedMessages messages;
    Strings conflicts;
    CPlanListPage page;
    RunPage<CPlanListPage>(
        page,
        [&](CPlanListPage& p) {
            SelectRow(p, 0);
            ASSERT_EQ(SendRow(p, {"", "语文", "王五", "主课", "1", "1", "0", ""}, 1).answer, 0);
            ASSERT_TRUE(p.Save());
            EXPECT_TRUE(conflicts.empty());
            EXPECT_EQ(school.HeldBy("t3", kMonday), "k1");
            EXPECT_TRUE(WorkingTablesMatchCommitted(task));

            p.SelectCard(1);
            SelectRow(p, 0);
            ASSERT_EQ(SendRow(p, {"", "数学", "王五", "主课", "1", "1", "0", ""}, 1).answer, 0);
            EXPECT_FALSE(p.Save());
            EXPECT_TRUE(p.IsModified());
        },
        Conflicts(conflicts));
    EXPECT_EQ(conflicts, Strings{ChangeCaption(task, "k2", "王五")});

    CAssistantListPage assistants;
    RunPage<CAssistantListPage>(
        assistants,
        [](CAssistantListPage& p) {
            bool noDialog = true;
            EXPECT_FALSE(p.CheckAssistants({"t3"}, "k2", &noDialog));
        },
        Conflicts(conflicts));
    ASSERT_EQ(conflicts.size(), 2u);
    EXPECT_EQ(conflicts[1], "助教时间冲突 - 为 " + task.GetCourseDesc("k2") + " 添加助教 王五");

    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(task.FindCourse("k2")->GetTeacherId(), "t2");
    EXPECT_EQ(school.HeldBy("t3", kMonday), "k1");
    EXPECT_EQ(school.HeldBy("t2", kMonday), "k2");
    const ScheduleValidation validation = ValidateSchedule(task);
    EXPECT_TRUE(validation.IsClean()) << validation.Text();
    EXPECT_TRUE(CompareWithReopened(task, task.GetTaskInfo().GetTaskFile()).IsClean());
}

// When input.xml is written and output.xml is not, the page stays modified and says so once, with
// the reason; the next save writes the timetables the first one changed.
TEST(ScheduledTaskPages, ASaveThatCouldNotWriteTheTimetablesIsNoSave)
{
    struct Case {
        const char* what;
        std::function<std::unique_ptr<CListBaseDlg>()> make;
        std::function<void(CListBaseDlg&)> change;
        const char* failure;
        const char* deleted;  // the plan whose lessons output.xml must lose; null for none
    };
    const Case cases[] = {
        {"plan page, a scheduled plan deleted", [] { return std::make_unique<CPlanListPage>(); },
         [](CListBaseDlg& p) {
             SelectRow(p, 0);
             p.SendCommand(CListBaseDlg::IDC_DELETE);
         },
         "教学计划没有保存成功", "k1"},
        {"self-study page, a scheduled plan deleted", [] { return std::make_unique<CSelfStudyListPage>(); },
         [](CListBaseDlg& p) {
             SelectRow(p, 0);
             p.SendCommand(CListBaseDlg::IDC_DELETE);
         },
         "早读和晚自习没有保存成功", "e1"},
        {"assistant page, an assistant added", [] { return std::make_unique<CAssistantListPage>(); },
         [](CListBaseDlg& p) {
             ASSERT_EQ(SendRow(p, {"初一(1)班", "语文", "张三", "常规", "王五"}, 0, true, true).answer, 0);
         },
         "助教没有保存成功", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScheduledSchool school;
        CScheduleTask& task = school.Task();
        const std::string output = task.GetTaskInfo().GetOutputFilePath();
        const std::string outputBefore = ReadRaw(output);
        const std::string inputBefore = ReadRaw(task.GetTaskInfo().GetInputFilePath());
        std::unique_ptr<CListBaseDlg> page = c.make();
        ScriptedMessages messages;
        RunPage<CListBaseDlg>(*page, [&](CListBaseDlg& p) {
            c.change(p);
            messages.messages.clear();
            {
                WriteFault readOnly(output);
                EXPECT_FALSE(p.Save());
            }
            EXPECT_TRUE(p.IsModified());
            // Said once: what was not saved, and why, the file it could not write.
            ASSERT_EQ(messages.Texts().size(), 1u);
            EXPECT_EQ(messages.Texts().front().rfind(c.failure, 0), 0u) << messages.Texts().front();
            EXPECT_NE(messages.Texts().front().find(output), std::string::npos) << messages.Texts().front();
            messages.messages.clear();
            // The two files are one pair: the failed timetables leave the data as it was too.
            EXPECT_EQ(ReadRaw(task.GetTaskInfo().GetInputFilePath()), inputBefore);
            EXPECT_EQ(ReadRaw(output), outputBefore);

            ASSERT_TRUE(p.Save());
            EXPECT_FALSE(p.IsModified());
        });
        if (c.deleted) {
            EXPECT_EQ(ReadRaw(output).find(std::string("course=\"") + c.deleted + "\""), std::string::npos);
        }
        const ScheduleValidation reopened = CompareWithReopened(task, task.GetTaskInfo().GetTaskFile());
        EXPECT_TRUE(reopened.IsClean()) << reopened.Text();
    }
}

// Deleting scheduled plans takes their lessons out: without a backup first the save is refused,
// says why and changes nothing.
TEST(ScheduledTaskPages, DeletedPlansAreNotSavedWithoutABackup)
{
    ScheduledSchool school;
    CScheduleTask& task = school.Task();
    const std::string input = ReadRaw(task.GetTaskInfo().GetInputFilePath());
    const std::string output = ReadRaw(task.GetTaskInfo().GetOutputFilePath());
    ScriptedMessages messages;
    CPlanListPage page;
    RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
        SelectRow(p, 0);
        p.SendCommand(CListBaseDlg::IDC_DELETE);
        WriteFault noBackups([](const std::string& path) { return path.find("/Backup") != std::string::npos; });
        EXPECT_FALSE(p.Save());
        EXPECT_TRUE(p.IsModified());
    });
    ASSERT_FALSE(messages.Texts().empty());
    EXPECT_EQ(messages.Texts().back(), "删除教学计划前无法备份当前排课任务，教学计划没有保存");
    ASSERT_NE(task.FindCourse("k1"), nullptr);
    EXPECT_EQ(school.HeldBy("t1", kMonday), "k1");
    EXPECT_EQ(ReadRaw(task.GetTaskInfo().GetInputFilePath()), input);
    EXPECT_EQ(ReadRaw(task.GetTaskInfo().GetOutputFilePath()), output);
}
