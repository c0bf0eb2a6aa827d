// Cell records, descriptions, joins and exam texts, built over a small task.
#include "support/FakeAppServices.h"
#include "app/shared/TextBuilders.h"
#include "base/CellRecord.h"
#include "support/SchoolBuilder.h"
#include "platform/IniFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(TextBuilders, CellKeys)
{
    EXPECT_EQ(MakeCellKey("张老师", "101"), zem::JoinCellRecord({"1", "1", "张老师", "101"}));
    EXPECT_EQ(MakeCellKey("", "101"), zem::JoinCellRecord({"0", "1", "", "101"}));
    EXPECT_EQ(MakeOddEvenCellKey("语文", "张", "数学", "李"),
              zem::JoinCellRecord({"2", "1", "语文", "张", "2", "数学", "李"}));
}

TEST(TextBuilders, FormatOddEvenCell)
{
    struct Case {
        std::string record;
        std::string text;
    } cases[] = {
        {MakeCellKey("张老师，李老师", "101，102"), "张老师 101\n李老师 102"},
        {MakeCellKey("张老师", "101"), "张老师\n101"},
        {MakeCellKey("张老师，李老师", "101"), "张老师，李老师\n101"},
        {MakeCellKey("", "101"), ""},
        {MakeOddEvenCellKey("", "", "数学", "李"), "单周\n\n\n\n双周\n数学\n李"},
        {MakeOddEvenCellKey("语文", "张", "", ""), "单周\n语文\n张\n\n双周\n\n"},
        {MakeOddEvenCellKey("", "x", "", "y"), ""},
        {zem::JoinCellRecord({"1", "1", "张"}), ""},         // fewer fields than the count asks
        {zem::JoinCellRecord({"2", "1", "张", "101"}), ""},  // a count of two parts needs seven fields
        {"", ""},
        {"乱码", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatOddEvenCell(c.record), c.text) << c.record;
}

class TextBuildersTest : public testing::Test {
protected:
    TextBuildersTest()
    {
        for (const auto& [id, name] : {std::pair{"s1", "语文"}, {"s2", "数学"}, {"s3", "英语"}, {"s4", "物理"}, {"s5", "体育*"}})
            b.Subject(id, name);
        b.Teacher("t1", "张老师");
        b.Teacher("t2", "李老师");
        b.Class("c1", "一班");
        b.Class("c2", "二班");
        b.Room("r1", "实验室");
        b.Course("p1", "c1", "s1", "t1");
        b.Course("p2", "c2", "s1", "t1");
        b.Course("p3", "c2", "s2", "t2");
        b.Combined("cc", {"p1", "p2", "gone"});
        services.task = &b.Task();
    }

    SchoolBuilder b;
    FakeAppServices services;
};

TEST_F(TextBuildersTest, SubjectSelection)
{
    EXPECT_EQ(DescribeSubjects(false), "");
    EXPECT_EQ(DescribeSubjects(true), "全部");
    services.subjects = {"s1", "s2", "s3", "s4", "s5"};
    EXPECT_EQ(DescribeSubjects(true), "全部");  // every subject
    services.subjects = {"s2", "s5"};
    EXPECT_EQ(DescribeSubjects(true), "数学体育*");
    EXPECT_EQ(AppendSubjectScope("课表"), "课表(数学体育)");
    services.subjects = {"s3", "s1", "s2", "s4"};
    EXPECT_EQ(DescribeSubjects(false), "英语等4门");
    services.subjects.clear();
    EXPECT_EQ(AppendSubjectScope("课表"), "课表");
}

TEST_F(TextBuildersTest, CourseDescriptionsAndJoins)
{
    const CCourseInfo* p1 = b.Task().FindCourse("p1");
    const std::string description = b.Task().GetCourseDesc(p1);
    EXPECT_EQ(DescribeCourses(p1, 1), description + " 合班");
    EXPECT_EQ(DescribeCourses(p1, 3), description + " 合班 等3门课程");
    EXPECT_EQ(DescribeCourses(b.Task().FindCourse("p3"), 1), b.Task().GetCourseDesc("p3"));
    EXPECT_EQ(DescribeClassesOfCourse(nullptr, b.Task().GetCC("p1")), "一班,二班");

    // An unknown id gives an empty text: none before the first name, two separators later.
    EXPECT_EQ(JoinTeacherNames({"zz", "t1", "zz", "t2"}), "张老师，，李老师");
    EXPECT_EQ(JoinSubjectNames({"s1", "s2"}, &b.Task()), "语文，数学");
    EXPECT_EQ(GetClassOrRoomName(nullptr, "r1"), "实验室");
    EXPECT_EQ(JoinClassOrRoomNames(nullptr, {"c1", "r1", "c2"}), "一班,实验室,二班");
    EXPECT_EQ(FormatNoDataMessage("班级"), "没有可用的班级！\n\n您可以在排课软件主窗口“2 基本数据维护”中添加班级");

    services.task = nullptr;
    EXPECT_EQ(JoinTeacherNames({"t1"}), "");
    EXPECT_EQ(DescribeCourses(p1, 1), "");
}

TEST_F(TextBuildersTest, ExamTimesAndTeacherTags)
{
    auto exam = [](int day, int h1, int m1, int h2, int m2) {
        CProctorData::Plan plan;
        plan.date = {2026, 6, day};
        plan.startTime = {0, 0, 0, h1, m1};
        plan.endTime = {0, 0, 0, h2, m2};
        return plan;
    };
    EXPECT_EQ(FormatTimeRange(exam(5, 8, 0, 10, 30), true), "06月05日 08:00-10:30");
    EXPECT_EQ(FormatTimeRange(exam(5, 8, 0, 10, 30), false), "2026年06月05日 08:00-10:30");

    const CProctorData::Plan morning = exam(5, 8, 0, 10, 0);
    const struct {
        CProctorData::Plan other;
        bool overlaps;
    } cases[] = {
        {exam(5, 10, 0, 12, 0), false}, {exam(5, 9, 0, 11, 0), true}, {exam(5, 8, 0, 10, 0), true},
        {exam(5, 8, 30, 9, 30), true},  {exam(6, 8, 0, 10, 0), false}, {exam(5, 7, 0, 8, 0), false},
        {exam(5, 7, 0, 11, 0), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExamTimesOverlap(&morning, &c.other), c.overlaps) << FormatTimeRange(c.other, true);
        EXPECT_EQ(ExamTimesOverlap(&c.other, &morning), c.overlaps) << FormatTimeRange(c.other, true);
    }
    EXPECT_FALSE(ExamTimesOverlap(&morning, nullptr));

    TempFolder folder;
    b.Task().SetConfigFile(folder / "task.ini");
    CProctorData data;
    data.GetTeacherInfoMap()["t1"] = {{"S1"}, {"c2"}};  // subjects compare without case
    data.GetTeacherInfoMap()["t2"] = {{}, {"c1"}};
    EXPECT_EQ(FormatTeacherTag("t1", "s1", "c2", &data), "张老师");  // tags are off by default
    zem::WriteProfileInt(folder / "task.ini", "Proctor", "ShowTeacherTag", 1);
    EXPECT_EQ(FormatTeacherTag("t1", "s1", "c2", &data), "张老师(科班)");
    EXPECT_EQ(FormatTeacherTag("t1", "s1", "c1", &data), "张老师(科)");
    EXPECT_EQ(JoinTeacherTags({"t1", "t2"}, "s2", "c1", &data), "张老师，李老师(班)");
}

TEST_F(TextBuildersTest, TablesDifferOverTheDaysInUse)
{
    const CSchoolStructure& week = b.Task().GetSchoolStructure();  // days 0..4
    CCourseTable a, other;
    EXPECT_EQ(TablesDiffer(week, &a, &other), 0);
    b.Task().SetTableNode(&other, "p1", "", 0, {6, 0, 0}, 0);  // a day the week does not use
    EXPECT_EQ(TablesDiffer(week, &a, &other), 0);
    b.Task().SetTableNode(&other, "p1", "", 0, {4, 1, 2}, 0);
    EXPECT_EQ(TablesDiffer(week, &a, &other), 1);
    EXPECT_EQ(TablesDiffer(week, &a, nullptr), -1);
}

}  // namespace
