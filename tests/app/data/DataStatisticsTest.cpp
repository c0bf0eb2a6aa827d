#include "support/DataDialogTestSupport.h"
#include "support/FakeAppServices.h"
#include "app/data/DataStatisticsDlg.h"
#include "platform/gui/ReportList.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;

// A small task with a different number of entries in most lists.
void FillSchool(SchoolBuilder& school)
{
    school.Task().GetTaskInfo().SetTaskName("统计测试");
    for (int i = 1; i <= 3; ++i)
        school.Class("C" + std::to_string(i), "班" + std::to_string(i));
    school.Subject("S1", "语文");
    school.Subject("S2", "数学");
    for (int i = 1; i <= 4; ++i)
        school.Teacher("T" + std::to_string(i), "教师" + std::to_string(i));
    school.Group("G1", "语文组", {"T1", "T2"});
    for (int i = 1; i <= 5; ++i)
        school.Room("R" + std::to_string(i), "教室" + std::to_string(i));
    for (int i = 1; i <= 6; ++i)
        school.Course("P" + std::to_string(i), "C" + std::to_string((i - 1) % 3 + 1), i <= 3 ? "S1" : "S2",
                      "T" + std::to_string((i - 1) % 4 + 1));
    school.SelfStudy("Q1", "C1", "S1", "T1", COURSE_TYPE_MORNING_READING);
    school.Preset("P1", "100,");
    school.Combined("K1", {"P1", "P2"});
    school.FixedTime<CFixedTimeOfClass>(school.Task().GetFixedTimeOfClassList(), "C1", "100,");
    school.FixedTime<CFixedTimeOfClass>(school.Task().GetFixedTimeOfClassList(), "C2", "100,");
    school.FixedTime<CFixedTimeOfSubject>(school.Task().GetFixedTimeOfSubjectList(), "S1", "100,");
    for (const char* id : {"T1", "T2", "T3"})
        school.FixedTime<CFixedTimeOfTeacher>(school.Task().GetFixedTimeOfTeacherList(), id, "100,");
    school.FixedTime<CFixedTimeOfTeacherGroup>(school.Task().GetFixedTimeOfTeacherGroupList(), "G1", "100,");
    for (const char* id : {"P1", "P2", "P3", "P4"})
        school.FixedTime<CFixedTimeOfCourse>(school.Task().GetFixedTimeOfCourseList(), id, "100,");
    school.MutexTeachers("T1", {"T2"});
    school.MutexTeachers("T3", {"T4"});
    school.Assistant("P3", {"T4"});
}

TEST(DataStatistics, CountsEveryListOfTheOpenTask)
{
    SchoolBuilder school;
    FillSchool(school);
    FakeAppServices services;
    services.task = &school.Task();
    const Lines expected = {
        {"排课任务名称", "统计测试"},  {"周课时数", "35"},          {"班级", "3"},
        {"课程", "2"},                 {"教师", "4"},               {"教师组", "1"},
        {"教室和场地", "5"},           {"教学计划总数", "6"},       {"早读和晚自习总数", "1"},
        {"预排课", "1"},               {"合班", "1"},               {"班级固定无课时间", "2"},
        {"课程固定无课时间", "1"},     {"教师固定无课时间", "3"},   {"教师组固定无课时间", "1"},
        {"教学计划固定无课时间", "4"}, {"互斥教师组", "2"},         {"助教", "1"},
    };
    DialogScript script({[&](zem::gui::Dialog& dialog) {
        auto& dlg = static_cast<CDataStatisticsDlg&>(dialog);
        zem::gui::ReportList& list = *dlg.GetList();
        EXPECT_EQ(dlg.Caption(), "基本数据统计");
        EXPECT_EQ(list.GetColumnHeading(0), "项目");
        EXPECT_EQ(list.GetColumnHeading(1), "值");
        EXPECT_EQ(list.GetColumnWidth(0), 240);
        EXPECT_EQ(list.GetColumnWidth(1), 260);
        Lines shown;
        for (int row = 0; row < list.GetItemCount(); ++row)
            shown.emplace_back(list.GetItemText(row, 0), list.GetItemText(row, 1));
        EXPECT_EQ(shown, expected);
        // Every line and both columns are seen without scrolling.
        EXPECT_GE(list.viewport()->width(), 500);
        EXPECT_GE(list.viewport()->height(), 18 * 20);
        EXPECT_EQ(dlg.GetDlgItemText(zem::IDCANCEL), "关闭(&C)");
        SaveScreenshot(&dlg, "data-statistics");
        QTest::mouseClick(dlg.GetDlgItem(zem::IDCANCEL), Qt::LeftButton);
        EXPECT_TRUE(dlg.IsEnded());
    }});
    CDataStatisticsDlg dialog;
    EXPECT_EQ(dialog.DoModal(), zem::IDCANCEL);
    EXPECT_EQ(script.captions, std::vector<std::string>{"基本数据统计"});
}

TEST(DataStatistics, DoesNotOpenWithoutATask)
{
    FakeAppServices services;
    DialogScript script;
    CDataStatisticsDlg dialog;
    EXPECT_EQ(dialog.DoModal(), zem::IDCANCEL);
    EXPECT_TRUE(script.captions.empty());
}

}  // namespace
