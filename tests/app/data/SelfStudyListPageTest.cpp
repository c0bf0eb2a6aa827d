// The morning-reading and evening self-study page: its rows, its budgets and its save.
#include "support/BasicDataTestSupport.h"

#include "app/data/AddPlanDlg.h"
#include "app/data/SelfStudyListPage.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "base/ScheduleValidator.h"

#include <gtest/gtest.h>

using zem::gui::Dialog;

namespace {

// One reading and one self-study period a day on the small school's five days.
void OpenBothSegments(CScheduleTask& task)
{
    CSchoolStructure& week = task.GetSchoolStructure();
    week.SetSectionNodeMaxCount(3, 1, true);
    week.SetSectionNodeMaxCount(4, 1, true);
    week.RefreshData();
}

CPageRow Row(const char* kind, const char* count, const char* cls = "初一(1)班", const char* room = "")
{
    return {cls, kind, "语文", "张三", count, "1", "0", room};
}

}  // namespace

TEST(SelfStudyListPage, RowsTakeTheirKindAndARealCount)
{
    struct Case {
        const char* kind;
        const char* count;
        const char* shownKind;  // empty: refused
        const char* shownCount;
    };
    const Case cases[] = {
        {"晚自习课", "2", "晚自习", "2"}, {"晚", "1", "晚自习", "1"}, {"早", "1", "早读", "1"},
        {"", "1.5", "早读", "1.5"},        {"早读", "0", "早读", "0"},  // no count made 1 here
        {"早读", "abc", "", ""},           {"早读", "-1", "", ""},     {"晚自习", "", "", ""},
        {"早读", "2.7", "", ""},           {"早读", "1.25", "", ""},   {"早读", "2.50", "早读", "2.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " / " + c.count);
        SmallSchool school;
        CSelfStudyListPage page;
        ScriptedMessages messages;
        RunPage<CSelfStudyListPage>(page, [&](CSelfStudyListPage& p) {
            const SentRow sent = SendRow(p, Row(c.kind, c.count), 0, true, true);
            if (!*c.shownKind) {
                EXPECT_EQ(sent.answer, -1);
                EXPECT_TRUE(sent.notify.error);
                EXPECT_EQ(sent.notify.message, std::string("周课时数无效: ") + c.count);
                EXPECT_EQ(p.GetList()->GetItemCount(), 0);
                return;
            }
            ASSERT_EQ(sent.answer, 0);
            EXPECT_EQ(RowTexts(p, 0), (std::vector<std::string>{c.shownKind, "语文", "张三", c.shownCount, "不连", "自动", ""}));
        });
    }
}

TEST(SelfStudyListPage, ImportedRowsMakeClassesAndRoomsAndSaveIntoTheSelfStudyList)
{
    SmallSchool school;
    OpenBothSegments(school.Task());
    school.b.Course("k1", "c1", "s1", "t1", "2");
    CSelfStudyListPage page;
    ScriptedMessages messages;
    RunPage<CSelfStudyListPage>(page, [&](CSelfStudyListPage& p) {
        EXPECT_EQ(SendRow(p, {"初一(1)班", "早读"}, 0, true, true).notify.message,
                  "只有2列数据。请参考导入界面，至少应提供8列数据");
        ASSERT_EQ(SendRow(p, {"初三(1)班", "晚自习", "物理", "赵六", "2", "1", "0", "自习室"}, 0, true, true).answer, 0);
        EXPECT_EQ(p.GetCards()->GetText(p.GetCards()->GetCurSel()), "初三(1)班");
        ASSERT_EQ(SendRow(p, Row("早读", "1", "初一(1)班"), 0, true, true).answer, 0);
        ASSERT_TRUE(p.Save());
    });
    EXPECT_TRUE(messages.Texts().empty());
    CScheduleTask& task = school.Task();
    auto* cls = static_cast<CClassInfo*>(task.GetClassInfoList().FindByName("初三(1)班"));
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->GetStudentCount(), 40u);
    auto* room = static_cast<CRoomInfo*>(task.GetRoomInfoList().FindByName("自习室"));
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->GetCapacity(), 50);
    // The teaching plans stay as they were; the new rows are self-study plans of their kind.
    ASSERT_EQ(task.GetCourseInfoList().GetCount(), 1);
    ASSERT_EQ(task.GetSelfStudyInfoList().GetCount(), 2);
    for (const auto& [id, object] : task.GetSelfStudyInfoList()) {
        auto* plan = static_cast<CCourseInfo*>(object);
        if (plan->GetClassId() == cls->GetId()) {
            EXPECT_EQ(plan->GetType(), COURSE_TYPE_SELF_STUDY);
            EXPECT_EQ(plan->GetRoomParam(), room->GetId());
            EXPECT_EQ(plan->GetWeekCount().ToString(), "2");
        } else {
            EXPECT_EQ(plan->GetType(), COURSE_TYPE_MORNING_READING);
            EXPECT_EQ(plan->GetClassId(), "c1");
        }
    }
}

TEST(SelfStudyListPage, EachBudgetFlagsItsClassAndTheSaveListsThem)
{
    SmallSchool school;
    CScheduleTask& task = school.Task();
    OpenBothSegments(task);
    const int reading = task.GetSchoolStructure().GetWeekNodeCountOfReading();
    const int evening = task.GetSchoolStructure().GetWeekNodeCountOfSelfStudy();
    ASSERT_GT(reading, 0);
    const std::string over = std::to_string(reading + 1);
    school.b.SelfStudy("a1", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING, std::to_string(reading).c_str());
    school.b.SelfStudy("a2", "c1", "s2", "t2", COURSE_TYPE_SELF_STUDY, "1");
    school.b.SelfStudy("b1", "c2", "s1", "t1", COURSE_TYPE_MORNING_READING, over.c_str());
    CSelfStudyListPage page;
    ScriptedMessages messages({zem::IDCANCEL});
    RunPage<CSelfStudyListPage>(page, [&](CSelfStudyListPage& p) {
        ASSERT_EQ(p.GetShownClassId(), "c1");
        EXPECT_FALSE(p.GetCards()->GetItemDataPtr(0)->warning);  // equal to the budget is not over it
        EXPECT_EQ(p.GetCards()->GetItemDataPtr(0)->note, std::to_string(reading) + ",1");
        EXPECT_TRUE(p.GetCards()->GetItemDataPtr(1)->warning);
        EXPECT_EQ(p.GetStatusText(), zem::Format("可用早读 %d 节，晚自习 %d 节。初一(1)班 当前已用早读 %d 节，晚自习 1 节",
                                                 reading, evening, reading));
        p.SelectCard(1);
        EXPECT_NE(p.GetStatusText().find("当前已用早读 " + over + " 节，晚自习 0 节"), std::string::npos);
        p.SelectCard(0);
        p.SetModified(true);
        EXPECT_FALSE(p.Save());
        EXPECT_EQ(p.GetShownClassId(), "c2");
        EXPECT_TRUE(p.IsModified());
    });
    ASSERT_EQ(messages.Texts().size(), 1u);
    const std::string text = messages.Texts()[0];
    EXPECT_EQ(text.rfind(zem::Format("教学时间中设置的全校可用早读为 %d 节，晚自习为 %d 节\r\n", reading, evening), 0), 0u);
    EXPECT_NE(text.find("初一(2)班 等1个班级的早读或晚自习周课时数已超出"), std::string::npos);
    EXPECT_NE(text.find("初一(2)班（早读 " + over + ", 晚自习 0）\r\n"), std::string::npos);
    EXPECT_EQ(task.FindCourse("b1")->GetWeekCount().ToString(), over);
}

// A deleted self-study plan takes its lessons out of the class's, teacher's and assistant's tables.
TEST(SelfStudyListPage, DeletedPlansLeaveEveryTable)
{
    SmallSchool school;
    CScheduleTask& task = school.Task();
    OpenBothSegments(task);
    CCourseInfo* gone = school.b.SelfStudy("a1", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING, "1");
    school.b.SelfStudy("a2", "c1", "s2", "t2", COURSE_TYPE_SELF_STUDY, "1");
    school.b.Assistant("a1", {"t3"});
    const tagTABLE_NODE morning{0, 3, 0};
    for (const bool temp : {false, true})
        task.SetCourseNode(gone, "", temp, morning, 0);
    ASSERT_TRUE(task.GetTeacher("t3")->GetTable(false).IsUsed(morning));
    CSelfStudyListPage page;
    ScriptedMessages messages;
    RunPage<CSelfStudyListPage>(page, [&](CSelfStudyListPage& p) {
        SelectRow(p, 0);
        ASSERT_EQ(p.GetList()->GetItemText(0, 1), "早读");
        p.SendCommand(CListBaseDlg::IDC_DELETE);
        ASSERT_TRUE(p.Save());
    });
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(task.FindCourse("a1"), nullptr);
    EXPECT_NE(task.FindCourse("a2"), nullptr);
    EXPECT_EQ(task.GetAssistant("a1"), nullptr);
    for (const bool temp : {false, true})
        for (const char* id : {"t1", "t3"})
            EXPECT_FALSE(task.GetTeacher(id)->GetTable(temp).IsUsed(morning)) << id;
    EXPECT_FALSE(task.GetClass("c1")->GetTable(false).IsUsed(morning));
    const ScheduleValidation validation = ValidateSchedule(task);
    EXPECT_TRUE(validation.IsClean()) << validation.Text();
}

TEST(SelfStudyListPage, DemoTaskShowsItsPlansAndEditsThemInSelfStudyMode)
{
    DemoSchool demo;
    ASSERT_NE(demo.task, nullptr);
    CSelfStudyListPage page;
    RunPage<CSelfStudyListPage>(
        page,
        [&](CSelfStudyListPage& p) {
            p.resize(1000, 620);
            ASSERT_GT(p.GetList()->GetItemCount(), 0);
            // The caption names the list; the title stays.
            EXPECT_EQ(p.Caption(), "早读和晚自习信息列表");
            EXPECT_EQ(p.Title(), "早读和晚自习信息");
            const std::string kind = p.GetList()->GetItemText(0, 1);
            EXPECT_TRUE(kind == "早读" || kind == "晚自习") << kind;
            SaveScreenshot(&p, "selfstudy_page_demo");
            SelectRow(p, 0);
            p.Edit();
            EXPECT_EQ(p.GetList()->GetItemText(0, 1), kind);
            EXPECT_TRUE(p.IsModified());
        },
        [&](Dialog& d) {
            auto* dialog = dynamic_cast<CAddPlanDlg*>(&d);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->Caption(), "修改早读和晚自习信息");
            d.SendCommand(zem::IDOK);
        });
}

// The lessons a failed save took out are written by the next save, which finds nothing to delete.
TEST(SelfStudyListPage, AFailedSaveIsWrittenWholeByTheNext)
{
    SmallSchool school;
    CScheduleTask& task = school.Task();
    OpenBothSegments(task);
    CCourseInfo* gone = school.b.SelfStudy("a1", "c1", "s1", "t1", COURSE_TYPE_SELF_STUDY, "1");
    task.SetCourseNode(gone, "", false, {0, 4, 0}, 0);
    const std::string folder = task.GetTaskInfo().GetTaskFolder();
    const std::string blocked = school.folder / "blocked";
    ASSERT_TRUE(zem::WriteFileAtomic(blocked, "x"));
    task.GetTaskInfo().SetTaskFolder(blocked);
    CSelfStudyListPage page;
    ScriptedMessages messages;
    RunPage<CSelfStudyListPage>(page, [&](CSelfStudyListPage& p) {
        SelectRow(p, 0);
        p.SendCommand(CListBaseDlg::IDC_DELETE);
        EXPECT_FALSE(p.Save());
        EXPECT_TRUE(p.IsModified());
        EXPECT_NE(messages.Texts().back().find("早读和晚自习没有保存成功"), std::string::npos);
        task.GetTaskInfo().SetTaskFolder(folder);
        ASSERT_TRUE(p.Save());
    });
    EXPECT_TRUE(zem::FileExists(school.folder / "output.xml"));
}
