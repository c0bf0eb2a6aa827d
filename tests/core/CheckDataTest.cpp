// The data checks: each refusal, with its exact lines, code 2 and the task left as it was; and the
// borderline data they let through.
#include "support/CaseNames.h"
#include "support/EngineRun.h"
#include "support/SchoolBuilder.h"

#include <gtest/gtest.h>

namespace {

// Two classes in a week of 35 lesson slots, each under its limits.
void Valid(SchoolBuilder& b)
{
    b.Class("c1", "一班");
    b.Class("c2", "二班");
    b.Subject("s1", "语文");
    b.Subject("s2", "数学");
    b.Teacher("t1", "张三");
    b.Teacher("t2", "李四");
    b.Teacher("t3", "王五");
    b.Room("r1", "实验室");
    b.Room("r2", "机房", 2);
    b.Course("p1", "c1", "s1", "t1", "5");
    b.Course("p2", "c1", "s2", "t2", "4");
    b.Course("p3", "c2", "s1", "t3", "5");
    b.Course("p4", "c2", "s2", "t3", "4");
}

CCourseInfo* Plan(SchoolBuilder& b, const char* id) { return b.Task().FindCourse(id); }

// A combined half lesson of both classes, each class's half in a team with a half lesson of the
// other subject: those two can only go in the other half of the combined lesson's slot.
void LinkedHalves(SchoolBuilder& b, const char* secondTeacher, const std::string& room = {})
{
    b.Course("h1", "c1", "s1", "t1", "0.5");
    b.Course("h2", "c2", "s1", "t1", "0.5");
    b.Combined("cc", {"h1", "h2"});
    b.Course("k1", "c1", "s2", "t2", "0.5", room);
    b.Course("k2", "c2", "s2", secondTeacher, "0.5", room);
    b.OddEven("oe1", "k1", "h1");
    b.OddEven("oe2", "k2", "h2");
}

struct CheckCase {
    const char* name;
    std::function<void(SchoolBuilder&)> mutate;
    std::vector<std::string> lines;  // empty: the check passes
};
void PrintTo(const CheckCase& c, std::ostream* out) { PrintCaseName(c, out); }

const std::vector<CheckCase>& Cases()
{
    static const std::vector<CheckCase> cases = {
        {"NoPlans", [](SchoolBuilder& b) { b.Task().GetCourseInfoList().RemoveAll(); },
         {"教学计划列表为空！请先添加教学计划，再开始自动排课。"}},
        {"PlanWithoutTeacher", [](SchoolBuilder& b) { Plan(b, "p2")->SetTeacher("gone"); },
         {"一班 的教学计划数据不完整，请检查。"}},
        {"PlanWithoutSubject", [](SchoolBuilder& b) { Plan(b, "p3")->SetSubject(""); },
         {"二班 的教学计划数据不完整，请检查。"}},
        {"ClassesOverTheWeek",
         [](SchoolBuilder& b) {
             Plan(b, "p1")->SetWeekCount(CWeekCount("31.5"));
             Plan(b, "p4")->SetWeekCount(CWeekCount("31"));
         },
         {"在第2页基本数据维护中，一班 的教学计划总课时数(35.5节)超出可用的教学时间(35节)",
          "在第2页基本数据维护中，二班 的教学计划总课时数(36节)超出可用的教学时间(35节)"}},
        {"MorningReadingWithoutSlots",
         [](SchoolBuilder& b) { b.SelfStudy("m1", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING, "1"); },
         {"在第2页基本数据维护中，一班 的早读总课时数(1节)超出可用的教学时间(0节)"}},
        {"TeacherOverTheWeek",
         [](SchoolBuilder& b) {
             Plan(b, "p3")->SetTeacher("t1");
             Plan(b, "p1")->SetWeekCount(CWeekCount("20"));
             Plan(b, "p3")->SetWeekCount(CWeekCount("20"));
         },
         {"张三老师 的教学计划课时数(40节)超出可用的教学时间(35节)"}},
        {"RoomOverTheWeek",
         [](SchoolBuilder& b) {
             for (const char* id : {"p1", "p2", "p3", "p4"})
                 Plan(b, id)->SetRoom("r1");
             Plan(b, "p4")->SetWeekCount(CWeekCount("26"));
         },
         {"\"实验室\" 教室的教学计划课时数(40节)超出可用的教学时间(35节，按 周课时数35 乘以 教室数量1 计算)"}},
        {"CombinedClassRoomsDiffer",
         [](SchoolBuilder& b) {
             Plan(b, "p1")->SetRoom("r1");
             Plan(b, "p3")->SetRoom("r2");
             b.Combined("cc", {"p1", "p3"});
         },
         {"一班 和 二班 的合班课程 语文 指定两个不同的教室：实验室, 机房。请在教学计划中为合班课程指定同一教室。"}},
        {"CombinedClassCountsDiffer",
         [](SchoolBuilder& b) {
             Plan(b, "p3")->SetWeekCount(CWeekCount("4"));
             b.Combined("cc", {"p1", "p3"});
         },
         {"一班 和 二班 的合班课程 语文 周课时数不同：5, 4。请在教学计划中为合班课程指定相同的周课时数。"}},
        {"LinkedHalvesShareATeacher", [](SchoolBuilder& b) { LinkedHalves(b, "t2"); },
         {"合班课程 一班 语文(张三)、二班 语文(张三) 与单双周搭配相连，使 一班 数学(李四) 和 二班 数学(李四) 只能排在同一时间的同一单双周，"
          "但李四老师不能同时上两节课。请修改合班课程或单双周搭配。"}},
        {"LinkedHalvesOfExclusiveTeachers",
         [](SchoolBuilder& b) {
             LinkedHalves(b, "t3");
             b.MutexTeachers("t2", {"t3"});
         },
         {"合班课程 一班 语文(张三)、二班 语文(张三) 与单双周搭配相连，使 一班 数学(李四) 和 二班 数学(王五) 只能排在同一时间的同一单双周，"
          "但李四老师和王五老师不能同时上课。请修改合班课程或单双周搭配。"}},
        {"LinkedHalvesPutAClassTwice",
         [](SchoolBuilder& b) {
             b.Subject("s3", "英语");
             LinkedHalves(b, "t3");
             Plan(b, "k2")->SetClass("c1");
             Plan(b, "k2")->SetSubject("s3");
         },
         {"合班课程 一班 语文(张三)、二班 语文(张三) 与单双周搭配相连，使 一班 数学(李四) 和 一班 英语(王五) 只能排在同一时间的同一单双周，"
          "但一班不能同时上两节课。请修改合班课程或单双周搭配。"}},
        {"LinkedHalvesOverfillARoom", [](SchoolBuilder& b) { LinkedHalves(b, "t3", "r1"); },
         {"合班课程 一班 语文(张三)、二班 语文(张三) 与单双周搭配相连，使 一班 数学(李四 实验室) 和 二班 数学(王五 实验室) 只能排在同一时间的同一单双周，"
          "但\"实验室\" 教室只能容纳1个班。请修改合班课程或单双周搭配。"}},
        {"PresetOutsideTheWeek",
         [](SchoolBuilder& b) {
             b.Preset("p1", "500,");
             b.Preset("p2", "500,");  // never looked at
         },
         {"一班 语文(张三) 的预排课时间(周六上午第1节)不是有效的教学时间，请查看教学时间设置。"}},
        {"PresetOnTeacherFixedTime",
         [](SchoolBuilder& b) {
             b.FixedTime<CFixedTimeOfTeacher>(b.Task().GetFixedTimeOfTeacherList(), "t1", "0,");
             b.Preset("p1", "0,");
         },
         {"一班 语文(张三) 的预排课时间(周一上午第1节)是该教师的固定无课时间，请查看教师固定无课时间设置。"}},
        {"PresetOnTeacherGroupFixedTime",
         [](SchoolBuilder& b) {
             b.Group("g1", "语文组", {"t2", "t1"});
             b.FixedTime<CFixedTimeOfTeacherGroup>(b.Task().GetFixedTimeOfTeacherGroupList(), "g1", "1,");
             b.Preset("p1", "0,1,");
         },
         {"一班 语文(张三) 的预排课时间(周一上午第2节)是该教师（ 语文组 ）的固定无课时间，请查看教师组固定无课时间设置。"}},
        {"PresetOnClassFixedTime",
         [](SchoolBuilder& b) {
             b.FixedTime<CFixedTimeOfClass>(b.Task().GetFixedTimeOfClassList(), "c1", "2,");
             b.Preset("p1", "2,");
         },
         {"一班 语文(张三) 的预排课时间(周一上午第3节)是该班级的固定无课时间，请查看班级固定无课时间设置。"}},
        {"PresetOnSubjectFixedTime",
         [](SchoolBuilder& b) {
             b.FixedTime<CFixedTimeOfSubject>(b.Task().GetFixedTimeOfSubjectList(), "s1", "3,");
             b.Preset("p1", "3,");
         },
         {"一班 语文(张三) 的预排课时间(周一上午第4节)是该课程的固定无课时间，请查看课程固定无课时间设置。"}},
        {"PresetOnPlanFixedTime",
         [](SchoolBuilder& b) {
             b.FixedTime<CFixedTimeOfCourse>(b.Task().GetFixedTimeOfCourseList(), "p1", "10,");
             b.Preset("p1", "10,");
         },
         {"一班 语文(张三) 的预排课时间(周一下午第1节)是该教学计划的固定无课时间，请查看教学计划固定无课时间设置。"}},
        {"PresetsOfOneClassClash",
         [](SchoolBuilder& b) {
             b.Preset("p1", "0,101,");
             b.Preset("p2", "101,");
         },
         {"一班 语文(张三) 和 一班 数学(李四) 的预排课时间(周二上午第2节)冲突。"}},
        {"PresetsOfCombinedClassClash",
         [](SchoolBuilder& b) {
             Plan(b, "p3")->SetTeacher("t1");
             b.Combined("cc", {"p1", "p3"});
             b.Preset("p1", "0,");
             b.Preset("p3", "0,");
         },
         {"一班 语文(张三) 和 二班 语文(张三) 的预排课时间(周一上午第1节)冲突。合班课程只需设置其中之一。"}},
        {"PresetsOverfillARoom",
         [](SchoolBuilder& b) {
             b.Class("c3", "三班");
             b.Teacher("t4", "赵六");
             b.Course("p5", "c3", "s2", "t4", "4");
             for (const char* id : {"p1", "p4", "p5"}) {
                 Plan(b, id)->SetRoom("r2");
                 b.Preset(id, "0,");
             }
         },
         {"一班 语文(张三 机房) 和 二班 数学(王五 机房)，三班 数学(赵六 机房) 的预排课时间(周一上午第1节)教室(机房 容纳班数:2)冲突。"}},
        // What passes.
        {"OnlySelfStudy",
         [](SchoolBuilder& b) {
             b.Task().GetCourseInfoList().RemoveAll();
             b.Task().GetSchoolStructure().SetSectionNodeMaxCount(4, 1, true);
             b.Task().GetSchoolStructure().RefreshData();
             b.SelfStudy("e1", "c1", "s1", "t1", COURSE_TYPE_SELF_STUDY, "1");
         },
         {}},
        {"ClassExactlyFull", [](SchoolBuilder& b) { Plan(b, "p1")->SetWeekCount(CWeekCount("31")); }, {}},
        {"CombinedLessonCountsOnceForTheTeacher",
         [](SchoolBuilder& b) {
             Plan(b, "p3")->SetTeacher("t1");
             Plan(b, "p1")->SetWeekCount(CWeekCount("20"));
             Plan(b, "p3")->SetWeekCount(CWeekCount("20"));
             b.Combined("cc", {"p1", "p3"});
         },
         {}},
        {"CombinedRoomsDifferOnlyInCase",
         [](SchoolBuilder& b) {
             b.Room("lab", "物理实验室");
             b.Room("LAB", "物理实验室二");
             Plan(b, "p1")->SetRoom("lab");
             Plan(b, "p3")->SetRoom("LAB");
             b.Combined("cc", {"p1", "p3"});
         },
         {}},
        {"LinkedHalvesFitARoomOfTwo", [](SchoolBuilder& b) { LinkedHalves(b, "t3", "r2"); }, {}},
        {"LinkedHalvesCombinedThemselves",
         [](SchoolBuilder& b) {
             LinkedHalves(b, "t2");
             b.Combined("cc2", {"k1", "k2"});
         },
         {}},
        {"CombinedClassSharesARoomPlace",
         [](SchoolBuilder& b) {
             b.Class("c3", "三班");
             b.Teacher("t4", "赵六");
             b.Course("p5", "c3", "s2", "t4", "4");
             for (const char* id : {"p1", "p4", "p5"}) {
                 Plan(b, id)->SetRoom("r2");
                 b.Preset(id, "0,");
             }
             b.Combined("cc", {"p4", "p5"});
         },
         {}},
    };
    return cases;
}

class DataCheck : public testing::TestWithParam<CheckCase> {};

TEST_P(DataCheck, ReportsExactlyItsLinesAndLeavesTheTaskAlone)
{
    SchoolBuilder b;
    Valid(b);
    GetParam().mutate(b);
    CScheduleTask& task = b.Task();
    const std::string before = Snapshot(task);

    RecordingTarget target;
    const CoreRunStats stats = RunEngine(task, TestOptions(), &target);

    const std::vector<std::string>& lines = GetParam().lines;
    EXPECT_EQ(task.GetLastReportInfo().GetErrorInfo(), lines);
    if (lines.empty()) {
        EXPECT_NE(stats.code, 2);
        return;
    }
    EXPECT_EQ(stats.code, 2);
    EXPECT_EQ(target.Results(), std::vector<long>{2});
    EXPECT_EQ(target.StatusTexts(), std::vector<std::string>{"正在检查排课数据,请稍候..."});
    EXPECT_EQ(Snapshot(task), before);
    const std::string& report = task.GetLastReportInfo().GetReportInfo();
    EXPECT_NE(report.find("本次自动排课未开始！"), std::string::npos);
    EXPECT_NE(report.find(lines.back() + "\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Core, DataCheck, testing::ValuesIn(Cases()), CaseName());

}  // namespace
