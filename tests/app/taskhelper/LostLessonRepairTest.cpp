// The repair after the last try: a lost lesson whose only day is full goes there once the lessons
// in its way, of its class and of its teacher in other classes, move elsewhere, a double period as
// one block; where no timetable exists it gives up and leaves every table as it was.
#include "app/taskhelper/LostLessonRepair.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperCallback.h"

#include "support/EngineRun.h"
#include "support/EngineSchools.h"
#include "support/MessageRecorder.h"
#include "support/SchoolBuilder.h"
#include "support/CheckExceptions.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Variant {
    const char* name;
    bool preset = false;            // 一班's 物理 on Thursday is preset
    bool combined = false;          // 英语 is taught to 一班 and 二班 together
    bool teacherElsewhere = false;  // 数学's teacher teaches 三班 in both open Friday periods
    bool classFixed = false;        // 一班's free period is closed to it: no timetable exists
};

// The plan's lessons in the working tables, at most one a day, but for one day with two in a row.
bool SpreadWithOneBlock(CScheduleTask& task, const char* planId)
{
    const CCourseTable& own = task.FindCourse(planId)->GetTable(true);
    int blocks = 0;
    for (int day = 0; day < 5; ++day) {
        if (!own.IsDayUsed(day, 2))
            continue;
        if (own.IsDayUsed(day, 3))
            return false;
        bool adjacent = false;
        for (int segment = 0; segment < 2; ++segment)
            for (int section = 0; section + 1 < zem::kSectionCount; ++section)
                adjacent = adjacent || (own.IsUsed(day, segment, section) && own.IsUsed(day, segment, section + 1));
        blocks += adjacent ? 1 : 100;
    }
    return blocks == 1;
}

// 一班's week is full but for Thursday's third period (-), and 数学 (M) lost its fifth lesson. It
// has one a day Monday to Thursday; its teacher's group closes Friday but for the third and fourth
// periods, which hold 英语's double period (Y):
//
//          Mon Tue Wed Thu Fri
//   fn1    M   M   M   M   A
//   fn2    Y   Y   Y   B   W
//   fn3    C   C   C   -   Y
//   fn4    D   D   D   Z   Y
//   af1-3  E,G,H every day
//
// Once 数学 takes a Friday period, 英语's block can only go to Thursday, where 物理 (B) or 政治 (Z)
// must leave for the Friday period the block left free.
class FullFriday {
public:
    explicit FullFriday(const Variant& v) : m_variant(v)
    {
        m_task.GetTaskSetting().SetStrictDistribution(true);
        m_b.Class("c1", "一班");
        m_b.Class("c2", "二班");
        m_b.Class("c3", "三班");
        const char* subjects[][3] = {{"M", "数学", "5"}, {"Y", "英语", "5"}, {"A", "体育", "1"}, {"B", "物理", "1"},
                                     {"W", "美术", "1"},  {"C", "化学", "3"}, {"D", "生物", "3"}, {"Z", "政治", "1"},
                                     {"E", "语文", "5"},  {"G", "历史", "5"}, {"H", "地理", "5"}};
        for (const auto& [id, name, count] : subjects) {
            m_b.Subject(std::string("s") + id, name);
            m_b.Teacher(std::string("t") + id, std::string(name) + "老师");
            m_b.Course(id, "c1", std::string("s") + id, std::string("t") + id, count);
        }
        CCourseInfo* english = m_task.FindCourse("Y");
        english->SetContinuousNodes(2);
        english->SetContinuousTimes(1);
        m_b.Group("g", "数学组", {"tM"});
        m_b.FixedTime<CFixedTimeOfTeacherGroup>(m_task.GetFixedTimeOfTeacherGroupList(), "g", "400,401,410,411,412,");
        if (v.combined) {
            m_b.Course("Y2", "c2", "sY", "tY", "5")->SetContinuousNodes(2);
            m_task.FindCourse("Y2")->SetContinuousTimes(1);
            m_b.Combined("yy", {"Y", "Y2"});
        }
        if (v.teacherElsewhere) {
            m_b.Subject("sX", "数学兴趣");
            m_b.Course("X1", "c3", "sM", "tM", "1");
            m_b.Course("X2", "c3", "sX", "tM", "1");
        }
        if (v.preset)
            m_b.Preset("B", "301,");
        if (v.classFixed)
            m_b.FixedTime<CFixedTimeOfClass>(m_task.GetFixedTimeOfClassList(), "c1", "302,");
        Fill();
        m_task.GetLastReportInfo().GetTempCourseLostInfo()["M"] = CWeekCount(1, false);
    }

    CScheduleTask& Task() { return m_task; }
    CWeekCount Lost() { return m_task.GetLastReportInfo().GetTempCourseLostCount(); }
    std::string At(const char* classId, int day, int segment, int section)
    {
        return m_task.GetClass(classId)->GetTable(true).GetNode(day, segment, section).data(1).GetCourseId();
    }

private:
    void Put(const char* planId, int day, int segment, int section)
    {
        CTaskHelper helper(&m_task);
        CCourseInfo* plan = m_task.FindCourse(planId);
        helper.SetCourseNode(&m_task.GetClass(plan->GetClassId())->GetTable(true), plan, "", {day, segment, section}, 0);
    }

    void Fill()
    {
        for (int day = 0; day < 5; ++day) {
            for (const auto& [section, planId] : {std::pair{0, "E"}, std::pair{1, "G"}, std::pair{2, "H"}})
                Put(planId, day, 1, section);
            if (day < 3) {
                for (const auto& [section, planId] :
                     {std::pair{0, "M"}, std::pair{1, "Y"}, std::pair{2, "C"}, std::pair{3, "D"}})
                    Put(planId, day, 0, section);
            }
        }
        Put("M", 3, 0, 0);
        Put("B", 3, 0, 1);
        Put("Z", 3, 0, 3);
        Put("A", 4, 0, 0);
        Put("W", 4, 0, 1);
        for (int section : {2, 3})
            Put("Y", 4, 0, section);
        if (m_variant.combined) {
            for (int day = 0; day < 3; ++day)
                Put("Y2", day, 0, 1);
            for (int section : {2, 3})
                Put("Y2", 4, 0, section);
        }
        if (m_variant.teacherElsewhere) {
            Put("X1", 4, 0, 2);
            Put("X2", 4, 0, 3);
        }
    }

    Variant m_variant;
    SchoolBuilder m_b;
    CScheduleTask& m_task = m_b.Task();
};

// Where every plan's lessons are in the working tables, and what every class's slots hold. With the
// validator's word that the teachers' and rooms' tables agree, equal texts mean equal timetables;
// a teacher's cell may show either plan of a combined lesson.
std::string PlacedLessons(CScheduleTask& task)
{
    std::string out;
    std::vector<CCourseInfo*> courses;
    task.GetFullCourseList(courses);
    for (const CCourseInfo* course : courses) {
        out += course->GetId() + ":";
        for (int slot : SlotsOf(*course, true))
            out += " " + std::to_string(slot);
        out += "\n";
    }
    for (const char* classId : {"c1", "c2", "c3"}) {
        const CCourseTable& table = task.GetClass(classId)->GetTable(true);
        for (int day = 0; day < 5; ++day)
            for (int segment = 0; segment < 2; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section)
                    out += table.GetNode(day, segment, section).data(1).GetCourseId() + ",";
        out += "\n";
    }
    return out;
}

}  // namespace

// The passes after a try cannot place the lesson: they never move a double period. The repair does,
// and every rule holds.
TEST(LostLessonRepair, PlacesTheFifthLessonBehindADoublePeriod)
{
    for (const Variant& v : {Variant{"plain"}, Variant{"preset", true}, Variant{"combined", false, true},
                             Variant{"preset and combined", true, true},
                             Variant{"teacher elsewhere", false, false, true}}) {
        SCOPED_TRACE(v.name);
        FullFriday school(v);
        CScheduleTask& task = school.Task();
        ASSERT_TRUE(ScheduleIsValid(task, ChecksExcept(CheckException::PresetsNotYetPlaced)));
        CTaskHelper helper(&task);
        helper.PlaceLostCourses();
        helper.PlaceLostCoursesRelaxed();
        ASSERT_EQ(school.Lost(), CWeekCount(1, false));

        EXPECT_EQ(RepairLostLessons(helper, nullptr), 1);
        EXPECT_TRUE(school.Lost().IsEmpty());
        EXPECT_TRUE(task.GetLastReportInfo().GetTempCourseLostInfo().empty());
        EXPECT_EQ(LessonsOf(*task.FindCourse("M"), true), CWeekCount(5, false));
        EXPECT_TRUE(SpreadWithOneBlock(task, "Y"));
        EXPECT_TRUE(ValidateSchedule(task, true).IsClean()) << ValidateSchedule(task, true).Text();
        if (v.preset) {
            EXPECT_EQ(school.At("c1", 3, 0, 1), "B");
        }
        if (v.combined) {
            EXPECT_EQ(SlotsOf(*task.FindCourse("Y2"), true), SlotsOf(*task.FindCourse("Y"), true));
        }
        if (v.teacherElsewhere) {
            EXPECT_TRUE(school.At("c3", 4, 0, 2).empty() || school.At("c3", 4, 0, 3).empty());
        }
    }
}

// A lost single lesson of a plan with a double period goes to a day without its lessons: the day
// maximum of two the block needs is not a second day of two under strict distribution.
TEST(LostLessonRepair, ASingleLessonOfAPlanWithADoublePeriodTakesADayOfItsOwn)
{
    SchoolBuilder b;
    CScheduleTask& task = b.Task();
    task.GetTaskSetting().SetStrictDistribution(true);
    b.Class("c1", "一班");
    b.Subject("sY", "英语");
    b.Teacher("tY", "英语老师");
    CCourseInfo* english = b.Course("Y", "c1", "sY", "tY", "5");
    english->SetContinuousNodes(2);
    english->SetContinuousTimes(1);
    CTaskHelper helper(&task);
    CCourseTable* table = &task.GetClass("c1")->GetTable(true);
    // The block on Monday, one lesson each on Tuesday and Wednesday; the fifth is lost.
    for (const tagTABLE_NODE& node : {tagTABLE_NODE{0, 0, 0}, tagTABLE_NODE{0, 0, 1}, tagTABLE_NODE{1, 0, 0},
                                      tagTABLE_NODE{2, 0, 0}})
        helper.SetCourseNode(table, english, "", node, 0);
    task.GetLastReportInfo().GetTempCourseLostInfo()["Y"] = CWeekCount(1, false);
    ASSERT_TRUE(ScheduleIsValid(task, ChecksExcept(CheckException::PresetsNotYetPlaced)));

    EXPECT_EQ(RepairLostLessons(helper, nullptr), 1);
    EXPECT_EQ(LessonsOf(*english, true), CWeekCount(5, false));
    EXPECT_TRUE(SpreadWithOneBlock(task, "Y"));
    EXPECT_TRUE(ValidateSchedule(task, true).IsClean()) << ValidateSchedule(task, true).Text();
}

// Where no timetable exists, or the way needs more moves than allowed, or the run is stopping, the
// repair places nothing and every table stays as it was.
TEST(LostLessonRepair, GivesUpWithinItsBoundsLeavingTheTables)
{
    struct Case {
        const char* name;
        Variant variant;
        LostLessonRepairBounds bounds;
        bool stop = false;
    };
    LostLessonRepairBounds shallow;
    shallow.depth = 1;
    LostLessonRepairBounds deep;
    deep.depth = 6;
    deep.triesPerLesson = deep.tries = 50000;
    for (const Case& c : {Case{"no timetable", Variant{"", false, false, false, true}, {}},
                          Case{"no timetable, deeper", Variant{"", true, true, true, true}, deep},
                          Case{"one move too deep", Variant{"plain"}, shallow},
                          Case{"stopping", Variant{"plain"}, {}, true}}) {
        SCOPED_TRACE(c.name);
        FullFriday school(c.variant);
        CScheduleTask& task = school.Task();
        const std::string before = PlacedLessons(task);
        std::atomic<bool> stop{c.stop};
        CTaskHelper helper(&task);
        helper.SetStopFlag(&stop);
        EXPECT_EQ(RepairLostLessons(helper, nullptr, c.bounds), 0);
        EXPECT_EQ(school.Lost(), CWeekCount(1, false));
        EXPECT_EQ(PlacedLessons(task), before);
        EXPECT_TRUE(ValidateSchedule(task, true).IsClean()) << ValidateSchedule(task, true).Text();
    }
}

// Lessons outside the run's range stay where they are, even when moving them is the only way.
TEST(LostLessonRepair, LeavesClassesOutsideTheRange)
{
    FullFriday school(Variant{"combined", false, true});
    CScheduleTask& task = school.Task();
    const std::string before = PlacedLessons(task);
    CAutoRange range;
    range.SetClass({"c1"});
    CTaskHelper helper(&task);
    EXPECT_EQ(RepairLostLessons(helper, &range), 0);
    EXPECT_EQ(PlacedLessons(task), before);
    range.SetClass({"c1", "c2"});
    EXPECT_EQ(RepairLostLessons(helper, &range), 1);
}

// In a run: a lesson no timetable can hold stays lost and the report says so; the run window is
// told of the repair while it works.
TEST(LostLessonRepair, AnInfeasibleRunStillLosesWhatItMust)
{
    SchoolBuilder b;
    SmallSchool(b);
    UnplaceableLesson(b);
    CScheduleTask& task = b.Task();
    MessageRecorder recorder;
    RecordingTarget target;
    std::atomic<bool> stop{false};
    CoreRunOptions options = TestOptions(3);
    options.tries = 5;
    const CoreRunStats stats = RunEngine(task, options, &target, nullptr, MakeTaskHelperCallback(task, stop));
    EXPECT_EQ(stats.code, 3);
    EXPECT_EQ(stats.lost, CWeekCount(1, false));
    const CReportInfo::CourseLostMap& lost = task.GetLastReportInfo().GetCourseLostInfo();
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost.begin()->first, "never");
    EXPECT_NE(task.GetLastReportInfo().GetReportInfo().find("教师:没空老师 周课时:1）每周还有 1 节课未排"),
              std::string::npos)
        << task.GetLastReportInfo().GetReportInfo();
    const std::vector<std::string> texts = target.StatusTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "正在补排未排上的课程，请稍候..."), texts.end());
    EXPECT_TRUE(ScheduleIsValid(task));
    EXPECT_TRUE(WorkingEqualsCommitted(task));
}
