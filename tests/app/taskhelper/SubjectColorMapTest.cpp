// Subject colours: by weekly lessons, one colour per name for the whole process, the palette wrapping.
#include "app/taskhelper/SubjectColorMap.h"
#include "support/SchoolBuilder.h"

#include <gtest/gtest.h>

namespace {

zem::COLORREF PaletteAfter(int start, int steps)
{
    return CSubjectColorMap::kPalette[(start + steps) % CSubjectColorMap::kPaletteSize];
}

}  // namespace

TEST(SubjectColorMap, MostLessonsFirstTiesInIdOrder)
{
    SchoolBuilder b;
    b.Class("c1", "一班");
    b.Teacher("t1", "张老师");
    b.Subject("sb", "颜色测试乙");
    b.Subject("sa", "颜色测试甲");
    b.Subject("sc", "颜色测试丙");
    b.Subject("sd", "颜色测试丁");  // no plans
    b.Course("p1", "c1", "sb", "t1", "2");
    b.Course("p2", "c1", "sa", "t1", "1.5");
    b.Course("p3", "c1", "sa", "t1", "0.5");
    b.Course("p4", "c1", "sc", "t1", "3");

    std::vector<CSubjectInfo*> order;
    CSubjectColorMap::BuildSubjectOrder(&b.Task(), &order);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0]->GetId(), "sc");
    EXPECT_EQ(order[1]->GetId(), "sa");  // 2 lessons each: ids in order
    EXPECT_EQ(order[2]->GetId(), "sb");

    const int start = CSubjectColorMap::NextColorIndex();
    CSubjectColorMap colors;
    colors.Build(&b.Task());
    EXPECT_EQ(colors.GetColor(b.Task().FindCourse("p4"), &b.Task()), PaletteAfter(start, 0));
    EXPECT_EQ(colors.GetColor(b.Task().FindCourse("p3"), &b.Task()), PaletteAfter(start, 1));
    EXPECT_EQ(colors.GetColor(b.Task().FindCourse("p1"), &b.Task()), PaletteAfter(start, 2));
    EXPECT_EQ(colors.GetColor(nullptr, &b.Task()), 0u);
    CCourseInfo lonely;
    lonely.SetSubject("sd");
    EXPECT_EQ(colors.GetColor(&lonely, &b.Task()), 0u);
}

// A name keeps its colour in a rebuild and in another task; new names go on round the palette.
TEST(SubjectColorMap, NamesKeepTheirColoursAndThePaletteWraps)
{
    SchoolBuilder first;
    first.Class("c1", "一班");
    first.Teacher("t1", "张老师");
    for (int i = 0; i < 40; ++i) {
        const std::string id = "s" + std::to_string(100 + i);
        first.Subject(id, "轮转科目" + std::to_string(i));
        first.Course("p" + std::to_string(i), "c1", id, "t1", std::to_string(50 - i).c_str());
    }
    const int start = CSubjectColorMap::NextColorIndex();
    CSubjectColorMap colors;
    colors.Build(&first.Task());
    EXPECT_EQ(colors.GetColor(first.Task().FindCourse("p0"), &first.Task()), PaletteAfter(start, 0));
    EXPECT_EQ(colors.GetColor(first.Task().FindCourse("p38"), &first.Task()), PaletteAfter(start, 0));
    EXPECT_EQ(colors.GetColor(first.Task().FindCourse("p39"), &first.Task()), PaletteAfter(start, 1));

    SchoolBuilder second;
    second.Class("c1", "一班");
    second.Teacher("t1", "张老师");
    second.Subject("x1", "轮转科目5");
    second.Subject("x2", "轮转新科目");
    second.Course("q1", "c1", "x1", "t1", "5");
    second.Course("q2", "c1", "x2", "t1", "4");
    colors.Build(&second.Task());
    EXPECT_EQ(colors.GetColor(second.Task().FindCourse("q1"), &second.Task()), PaletteAfter(start, 5));
    EXPECT_EQ(colors.GetColor(second.Task().FindCourse("q2"), &second.Task()), PaletteAfter(start, 40));
    // Asked about the first task again, the map is built from it: its names kept their colours.
    EXPECT_EQ(colors.GetColor(first.Task().FindCourse("p0"), &first.Task()), PaletteAfter(start, 0));
    EXPECT_EQ(colors.GetColor(second.Task().FindCourse("q2"), &second.Task()), PaletteAfter(start, 40));
}

// A map never built colours the task it is asked about.
TEST(SubjectColorMap, AnUnbuiltMapBuildsFromTheTaskAskedAbout)
{
    SchoolBuilder b;
    b.Class("c1", "一班");
    b.Teacher("t1", "张老师");
    b.Subject("s1", "颜色测试戊");
    b.Course("p1", "c1", "s1", "t1", "2");
    const int start = CSubjectColorMap::NextColorIndex();
    CSubjectColorMap fresh;
    EXPECT_EQ(fresh.GetColor(b.Task().FindCourse("p1"), &b.Task()), PaletteAfter(start, 0));
}
