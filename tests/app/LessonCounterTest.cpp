// The lesson counter: per class planned and placed lessons, and the three groups of classes.
#include "app/controls/LessonCounter.h"

#include "support/SchoolBuilder.h"

#include <gtest/gtest.h>

namespace {

TEST(LessonCounter, SortsClassesIntoUnfinishedOverPlacedAndCompleteInClassOrder)
{
    SchoolBuilder school;
    school.Subject("S", "数学");
    school.Teacher("T", "张伟");
    school.Class("B", "二班")->SetIndex(1);
    school.Class("A", "一班")->SetIndex(0);
    school.Class("C", "三班")->SetIndex(2);
    CCourseInfo* a = school.Course("PA", "A", "S", "T", "2");
    CCourseInfo* b = school.Course("PB", "B", "S", "T", "1");
    CCourseInfo* c = school.Course("PC", "C", "S", "T", "1.5");
    school.Course("PX", "gone", "S", "T", "3");  // its class is not in the task
    CScheduleTask& task = school.Task();
    task.SetCourseNode(a, "", false, {0, 0, 0}, 0);          // one of two
    task.SetCourseNode(b, "", false, {0, 0, 1}, 0);          // one of one, then one more
    task.SetCourseNode(b, "", false, {1, 0, 1}, 0);
    task.SetCourseNode(c, "", false, {0, 0, 2}, 0);          // one and a half of one and a half
    task.SetCourseNode(c, "", false, {1, 0, 2}, 1);

    CLessonCounter counter(&task);
    counter.Count("", false);
    std::vector<std::string> unfinished, over, complete;
    counter.GetIdsWithLessons(unfinished);
    counter.GetIdsWithLessons2(over);
    counter.GetIdsDiffering(complete);
    EXPECT_EQ(unfinished, std::vector<std::string>{"A"});
    EXPECT_EQ(over, std::vector<std::string>{"B"});
    EXPECT_EQ(complete, std::vector<std::string>{"C"});
    ASSERT_NE(counter.Lookup("C"), nullptr);
    EXPECT_EQ(counter.Lookup("C")->placed.ToString(), "1.5");
    EXPECT_EQ(counter.Lookup("A")->unfinishedPlans, std::vector<std::string>{"PA"});
    // A plan of a class the task does not hold leaves an empty record.
    ASSERT_NE(counter.Lookup("gone"), nullptr);
    EXPECT_TRUE(counter.Lookup("gone")->planned.IsEmpty());
    EXPECT_EQ(counter.GetPlannedTotal().ToString(), "4.5");
    EXPECT_EQ(counter.GetPlacedTotal().ToString(), "4.5");

    // Recounting one class keeps the others' records in the totals.
    task.SetCourseNode(a, "", false, {2, 0, 0}, 0);
    counter.Count("A", false);
    EXPECT_TRUE(counter.Lookup("A")->unfinishedPlans.empty());
    EXPECT_EQ(counter.GetPlacedTotal().ToString(), "5.5");
    EXPECT_EQ(counter.Lookup("B")->overPlacedPlans, std::vector<std::string>{"PB"});
}

}  // namespace
