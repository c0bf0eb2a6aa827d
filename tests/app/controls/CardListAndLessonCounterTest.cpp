#include "support/ScreenTestSupport.h"

#include "app/controls/CardListBox.h"
#include "app/shared/LessonCounter.h"
#include "app/taskhelper/TaskHelper.h"
#include "support/SchoolBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

// Pixels of the colour inside the entry's card.
int PixelsOf(CCardListBox& list, const QImage& image, int index, zem::COLORREF color)
{
    const QRect r = list.visualItemRect(list.item(index)).translated(list.viewport()->pos());
    const zem::Rect region(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    return region.Width() * region.Height() - CountOther(image, region, color);
}

TEST(CardListBox, ACardShowsItsCountAndNoteOnlyAboveZero)
{
    CZemObject first, second;
    CCardInfo counted{&first, 12, "超出", true};
    CCardInfo empty{&second, 0, "超出", true};
    CCardListBox list;
    list.resize(240, 260);
    list.AddString("一班");
    list.AddString("二班");
    list.AddString("一个名字很长很长很长很长很长很长很长的班级");
    list.SetItemDataPtr(0, &counted);
    list.SetItemDataPtr(1, &empty);
    list.show();

    // An entry without a record keeps having none.
    list.SetItemInfo(2, 5, "x", false);
    EXPECT_EQ(list.GetItemDataPtr(2), nullptr);
    EXPECT_EQ(list.GetItemObject(2), nullptr);
    EXPECT_EQ(list.GetItemDataPtr(7), nullptr);
    EXPECT_EQ(list.GetItemObject(1), &second);

    const QImage image = Snapshot(&list);
    SavePicture(image, "card_list_box.png");
    const zem::COLORREF red = zem::RGB(255, 0, 0), grey = zem::RGB(128, 128, 128);
    EXPECT_GT(PixelsOf(list, image, 0, red), 0);   // the warning note
    EXPECT_GT(PixelsOf(list, image, 0, grey), 0);  // the count
    EXPECT_EQ(PixelsOf(list, image, 1, red), 0);
    EXPECT_EQ(PixelsOf(list, image, 1, grey), 0);
    // The long name wraps: its card is taller.
    EXPECT_GT(list.visualItemRect(list.item(2)).height(), list.visualItemRect(list.item(0)).height());

    list.SetItemInfo(1, 3, "未排完", false);
    EXPECT_EQ(empty.count, 3);
    EXPECT_EQ(empty.note, "未排完");
    const QImage after = Snapshot(&list);
    EXPECT_GT(PixelsOf(list, after, 1, grey), 0);
    EXPECT_EQ(PixelsOf(list, after, 1, red), 0);
}

class LessonCounterTest : public testing::Test {
protected:
    LessonCounterTest()
    {
        b.Subject("s1", "语文");
        b.Teacher("t1", "张伟");
        b.Class("c3", "三班");
        b.Class("c1", "一班");
        b.Class("c2", "二班");
        b.Course("p1", "c1", "s1", "t1", "2");
        b.Course("p2", "c1", "s1", "t1", "1.5");
        b.Course("q1", "c2", "s1", "t1", "1");
        b.Course("w1", "c3", "s1", "t1", "1");
        b.Course("x1", "gone", "s1", "t1", "3");  // of a class the task does not have
        Place("p1", {0, 0, 0});
        Place("p1", {1, 0, 0});
        Place("p2", {2, 0, 0});
        Place("q1", {3, 0, 0});
        Place("q1", {4, 0, 0});
        Place("w1", {0, 1, 0});
    }

    void Place(const std::string& planId, const tagTABLE_NODE& node, int part = 0)
    {
        CCourseInfo* plan = task.FindCourse(planId);
        CTaskHelper(&task).SetCourseNode(&task.GetClass(plan->GetClassId())->GetTable(true), plan, {}, node, part);
    }

    Strings Unfinished() const { return Get(&CLessonCounter::GetIdsWithLessons); }
    Strings OverPlaced() const { return Get(&CLessonCounter::GetIdsWithLessons2); }
    Strings Complete() const { return Get(&CLessonCounter::GetIdsDiffering); }

    Strings Get(void (CLessonCounter::*list)(std::vector<std::string>&) const) const
    {
        Strings ids;
        (counter.*list)(ids);
        return ids;
    }

    SchoolBuilder b;
    CScheduleTask& task = b.Task();
    CLessonCounter counter{&task};
};

TEST_F(LessonCounterTest, SortsTheClassesByWhatTheirTimetablesHold)
{
    counter.Count("", true);
    const CLessonCounter::ClassRecord* c1 = counter.Lookup("c1");
    ASSERT_NE(c1, nullptr);
    EXPECT_EQ(c1->planned, CWeekCount("3.5"));
    EXPECT_EQ(c1->placed, CWeekCount("3"));
    EXPECT_EQ(c1->unfinishedPlans, Strings{"p2"});
    EXPECT_EQ(counter.Lookup("c2")->overPlacedPlans, Strings{"q1"});
    // The plan of a missing class makes an empty record and counts nowhere.
    ASSERT_NE(counter.Lookup("gone"), nullptr);
    EXPECT_TRUE(counter.Lookup("gone")->planned.IsEmpty());
    EXPECT_EQ(counter.GetTotalPlanned(), CWeekCount("5.5"));
    EXPECT_EQ(counter.GetTotalPlaced(), CWeekCount("6"));
    EXPECT_EQ(Unfinished(), Strings{"c1"});
    EXPECT_EQ(OverPlaced(), Strings{"c2"});
    EXPECT_EQ(Complete(), Strings{"c3"});

    // Nothing is committed: every class is unfinished, in the task's class order.
    counter.Count("", false);
    EXPECT_EQ(Unfinished(), (Strings{"c3", "c1", "c2"}));
    EXPECT_TRUE(counter.GetTotalPlaced().IsEmpty());
}

TEST_F(LessonCounterTest, RecountingOneClassKeepsTheOthersInTheTotals)
{
    counter.Count("", true);
    Place("p2", {2, 1, 1}, 1);  // the odd-week half lesson
    counter.Count("c1", true);
    EXPECT_TRUE(counter.Lookup("c1")->unfinishedPlans.empty());
    EXPECT_EQ(counter.Lookup("c1")->placed, CWeekCount("3.5"));
    EXPECT_EQ(counter.GetTotalPlaced(), CWeekCount("6.5"));
    EXPECT_EQ(Complete(), (Strings{"c3", "c1"}));

    counter.Count("c1", false);
    EXPECT_EQ(counter.GetTotalPlaced(), CWeekCount("3"));  // c2 and c3 as last counted
    EXPECT_EQ(counter.Lookup("c2")->placed, CWeekCount("2"));
}

}  // namespace
