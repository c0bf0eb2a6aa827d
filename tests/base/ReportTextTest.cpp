#include "base/ReportInfo.h"

#include <gtest/gtest.h>

#include "support/SchoolBuilder.h"

namespace {

const char kSuccess[] = "【自动排课结果】\n全部排完，排课成功！您可以查看并调整课表\n";
const char kUneven[] = "\n由于在基本规则中没有勾选“课时分布均匀”，下面部分计划可能分布不均衡：";

// Classes are listed in the order 初一(1)班, (2)班, (3)班 (indexes 0, 1, 2); the plans' ids run
// the other way round.
class ReportText : public ::testing::Test {
protected:
    ReportText()
    {
        b.Subject("s1", "数学");
        b.Subject("s2", "语文");
        b.Teacher("t1", "王喆");
        b.Teacher("t2", "李堃");
        b.Class("c1", "初一(1)班");
        b.Class("c2", "初一(2)班");
        b.Class("c3", "初一(3)班");
        b.Course("k1", "c3", "s1", "t1", "4");
        b.Course("k2", "c1", "s2", "t2", "2.5");
        b.Course("k3", "c2", "s1", "t1", "3");
        b.SelfStudy("k4", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING);
        report.SetWeekNodeCount(30);
        report.SetClassCount(3);
        report.SetSubjectCount(2);
        report.SetTeacherCount(2);
        report.SetSSCount(1);
        report.SetCourseCount(3);
    }

    std::string Heading(const std::string& title) const
    {
        return "【排课时间】\n" + report.GetTime() + "\n\n【基础数据】\n" + title + "\n\n";
    }

    SchoolBuilder b;
    CReportInfo& report = b.Task().GetLastReportInfo();
};

TEST_F(ReportText, AllPlacedWithAndWithoutThePlansSpreadUnevenly)
{
    struct Case {
        bool strict;
        std::vector<std::string> uneven;
        std::string tail;
    };
    const Case cases[] = {
        {true, {"k1", "k2", "k3"}, ""},
        {false, {}, ""},
        {false,
         {"k1", "k2", "k4"},
         std::string(kUneven) + "\n初一(3)班 数学(王喆)，初一(1)班 语文(李堃)\n早读：初一(1)班 数学(王喆)\n"},
        // A plan deleted since the run is left out.
        {false, {"gone", "k3"}, std::string(kUneven) + "\n初一(2)班 数学(王喆)\n"},
        {false, {"gone"}, ""},
    };
    for (const Case& c : cases) {
        b.Task().GetTaskSetting().SetStrictDistribution(c.strict);
        report.GetUnDistributionCourse() = c.uneven;
        report.MakeReport(b.Task(), "标题", CReportInfo::kRunFinished);
        EXPECT_EQ(report.GetReportInfo(), Heading("标题") + kSuccess + c.tail) << c.uneven.size();
    }
}

TEST_F(ReportText, LostPlansInClassOrderThenTheAdvice)
{
    b.Task().GetTaskSetting().SetStrictDistribution(false);
    report.GetCourseLostInfo() = {
        {"k1", CWeekCount("1")}, {"k2", CWeekCount("0.5")}, {"k3", CWeekCount("2")},
        {"k4", CWeekCount("1")}, {"k9", CWeekCount("3")},  // k9 was deleted since
    };
    report.GetUnDistributionCourse() = {"k3"};
    report.MakeReport(b.Task(), "", CReportInfo::kRunFinished);
    const std::string counts = "周课时数：30        班级数：3         课程数：2         教师数：2         "
                               "早读和晚自习：1         教学计划：3";
    EXPECT_EQ(report.GetReportInfo(),
              Heading(counts) +
                  "【自动排课结果】\n本次自动排课结束。因资源紧张或排课条件限制，下面部分计划未排：\n"
                  "教学计划（班级:初一(1)班 课程:语文 教师:李堃 周课时:2.5）每周还有 0.5 节课未排\n"
                  "早读（班级:初一(1)班 课程:数学 教师:王喆 周课时:1）每周还有 1 节课未排\n"
                  "教学计划（班级:初一(2)班 课程:数学 教师:王喆 周课时:3）每周还有 2 节课未排\n"
                  "教学计划（班级:初一(3)班 课程:数学 教师:王喆 周课时:4）每周还有 1 节课未排\n" +
                  kUneven +
                  "\n初一(2)班 数学(王喆)\n"
                  "\n【建议】\n"
                  "1. 在“5 查看课表（手工调课）”中打开未排课程的班级课表，手工调整和安排课程\n"
                  "2. 适当调整（放松）相关的排课条件设置，再重新开始自动排课\n"
                  "3. 重新开始自动排课，每次自动排课的结果可能不同\n\n");
}

// Broken rules take the success away and follow the result, whether lessons were left or not; a
// new run's record starts without them.
TEST_F(ReportText, BrokenRulesFollowTheResultAndNoSuccessIsSaid)
{
    b.Task().GetTaskSetting().SetStrictDistribution(true);
    const std::string rules = "初一(1)班 语文(李堃)排在第1周周一上午第1节，这是初一(1)班的固定不排课时间\n";
    report.SetBrokenRules(rules);
    report.MakeReport(b.Task(), "标题", CReportInfo::kRunFinished);
    EXPECT_EQ(report.GetReportInfo(), Heading("标题") +
                                          "【自动排课结果】\n全部排完，但排课结果违反了排课规则，请查看并调整课表\n"
                                          "\n【违反排课规则】\n" + rules);

    report.GetCourseLostInfo() = {{"k1", CWeekCount("1")}};
    report.MakeReport(b.Task(), "标题", CReportInfo::kRunFinished);
    const std::string& text = report.GetReportInfo();
    EXPECT_EQ(text.find("排课成功"), std::string::npos);
    const std::string tail = "每次自动排课的结果可能不同\n\n\n【违反排课规则】\n" + rules;
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

    report.Clear();
    EXPECT_TRUE(report.GetBrokenRules().empty());
}

TEST_F(ReportText, FailedCheckListsTheErrorsAndOtherKindsOnlyTheHeading)
{
    report.AddErrorInfo("初一(1)班 的课时数超过了可用课时");
    report.AddErrorInfo("教师 王喆 的课时数太多");
    report.MakeReport(b.Task(), "标题", CReportInfo::kCheckFailed);
    EXPECT_EQ(report.GetReportInfo(),
              Heading("标题") +
                  "【自动排课结果】\n本次自动排课未开始！请按以下提示调整您的基本数据或排课条件设置\n\n"
                  "您所设置的排课数据和排课条件存在以下不合理的地方：\n"
                  "初一(1)班 的课时数超过了可用课时\n"
                  "教师 王喆 的课时数太多\n");

    report.MakeReport(b.Task(), "标题", 2);
    EXPECT_EQ(report.GetReportInfo(), Heading("标题"));
}

}  // namespace
