#include "testing/generator/SchoolGenerator.h"

#include <gtest/gtest.h>

#include "support/SchoolBuilder.h"

#include <map>
#include <set>

namespace {

// Every size and variant is a sound school with every kind of rule, as full as promised, and
// with teachers of 2 to 6 classes.
TEST(SchoolGenerator, EverySchoolIsSoundAndComplete)
{
    for (const unsigned seed : {1u, 11u}) {
        for (const std::string& size : zemgen::SchoolSizes()) {
            for (const std::string& variant : zemgen::SchoolVariants()) {
                SCOPED_TRACE(size + " " + variant + " " + std::to_string(seed));
                std::unique_ptr<CScheduleTask> task = zemgen::GenerateSchool({size, variant, seed});
                ASSERT_TRUE(task);
                EXPECT_EQ(zemgen::CheckSchool(*task), std::vector<std::string>{});

                CScheduleTask& t = *task;
                for (CZemObjectList* list :
                     {&t.GetTeacherGroupInfoList(), &t.GetRoomInfoList(), &t.GetSelfStudyInfoList(),
                      &t.GetFixedTimeOfTeacherList(), &t.GetFixedTimeOfTeacherGroupList(), &t.GetFixedTimeOfClassList(),
                      &t.GetFixedTimeOfSubjectList(), &t.GetFixedTimeOfCourseList(), &t.GetCoursePresetList(),
                      &t.GetAssistantList(), &t.GetOETeamList(), &t.GetMutexSubjectList(),
                      static_cast<CZemObjectList*>(&t.GetMutexOfTeacherList()),
                      static_cast<CZemObjectList*>(&t.GetCombineCourseList())})
                    EXPECT_FALSE(list->IsEmpty());

                std::map<std::string, double> lessons;
                std::map<std::string, std::set<std::string>> classesOfTeacher;
                bool half = false, block = false;
                for (const auto& [id, object] : t.GetCourseInfoList()) {
                    const auto* course = static_cast<const CCourseInfo*>(object);
                    const CWeekCount& count = course->GetWeekCount();
                    lessons[course->GetClassId()] += count.GetWholeCount() + (count.HasHalfNode() ? 0.5 : 0);
                    if (t.GetSubjectName(course->GetSubjectId()) != "班会")
                        classesOfTeacher[course->GetTeacherId()].insert(course->GetClassId());
                    half = half || count.HasHalfNode();
                    block = block || course->GetContinuousNodes() == 2;
                }
                EXPECT_TRUE(half);
                EXPECT_TRUE(block);
                const double slots = t.GetSchoolStructure().GetWeekNodeCount();
                for (const auto& [classId, count] : lessons) {
                    const double fill = count / slots;
                    EXPECT_NEAR(fill, variant == "tight" ? 0.95 : 0.87, 0.01) << t.GetClassNameA(classId);
                }
                for (const auto& [teacherId, classes] : classesOfTeacher) {
                    EXPECT_GE(classes.size(), 2u) << t.GetTeacherName(teacherId);
                    EXPECT_LE(classes.size(), 6u) << t.GetTeacherName(teacherId);
                }
            }
        }
    }
}

// A teacher's closed morning and the group's research afternoon on one day leave a 5-a-week
// plan four days: no timetable spreads it evenly. On different days the week is enough.
TEST(SchoolGenerator, ASchoolCheckCountsThePlansOpenDays)
{
    const struct {
        const char* afternoon;
        const char* fault;  // empty: none
    } cases[] = {{"10,11,12", "4 days open, 5 needed"}, {"110,111,112", ""}};
    for (const auto& c : cases) {
        SchoolBuilder b;
        b.Class("c1", "一班");
        b.Subject("s1", "数学");
        b.Teacher("t1", "王喆");
        b.Course("k1", "c1", "s1", "t1", "5");
        b.FixedTime<CFixedTimeOfTeacher>(b.Task().GetFixedTimeOfTeacherList(), "t1", "0,1,2,3");
        b.Group("g1", "数学组", {"t1"});
        b.FixedTime<CFixedTimeOfTeacherGroup>(b.Task().GetFixedTimeOfTeacherGroupList(), "g1", c.afternoon);
        const std::vector<std::string> faults = zemgen::CheckSchool(b.Task());
        ASSERT_EQ(faults.size(), *c.fault ? 1u : 0u) << c.afternoon;
        if (!faults.empty()) {
            EXPECT_NE(faults[0].find(c.fault), std::string::npos) << faults[0];
        }
    }
}

TEST(SchoolGenerator, SizesAsPromised)
{
    std::unique_ptr<CScheduleTask> large = zemgen::GenerateSchool({"L120", "normal", 1});
    EXPECT_EQ(large->GetClassInfoList().GetCount(), 120);
    EXPECT_NEAR(large->GetTeacherInfoList().GetCount(), 350, 30);
    EXPECT_NEAR(large->GetCourseInfoList().GetCount(), 1800, 150);
    std::unique_ptr<CScheduleTask> s36 = zemgen::GenerateSchool({"S36", "normal", 1});
    EXPECT_NEAR(s36->GetTeacherInfoList().GetCount(), 110, 10);

    // The names carry characters that only the larger code page holds.
    std::string names;
    for (const auto& [id, object] : s36->GetTeacherInfoList())
        names += object->GetName();
    for (const char* rare : {"喆", "堃", "玥", "瑋", "琝"})
        EXPECT_NE(names.find(rare), std::string::npos) << rare;
}

}  // namespace
