// The related timetables panel over the generated 36-class school: one grid per related object,
// the edited object's lessons marked, pinned grids first in the order remembered per edited object,
// and scrolling that stays inside the content.
#include "support/PixelProbes.h"
#include "support/GeneratedSchool.h"
#include "app/controls/ScrollPanel.h"
#include "base/CellRecord.h"
#include "platform/gui/ScrollCodes.h"
#include "table/TableItem.h"
#include "table/WeekTable.h"

#include <QCoreApplication>
#include <QMouseEvent>

using zem::Rect;
using namespace zem::gui;

namespace {

void Click(QWidget* widget, const Rect& r)
{
    const QPoint at(r.CenterPoint().x, r.CenterPoint().y);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

class FriendTablesTest : public testing::Test {
protected:
    void SetUp() override
    {
        task = MakeFilledSchool();
        ASSERT_TRUE(task);
        for (CClassInfo* cls : ObjectsInOrder<CClassInfo>(task->GetClassInfoList()))
            classIds.push_back(cls->GetId());
        host.resize(460, 700);
        host.show();
        panel.Create(&host, task.get());
        panel.setGeometry(0, 0, 460, 700);
    }

    CFriendTablesWnd& Tables() { return panel.GetFriendTables(); }
    std::vector<std::string> Shown()
    {
        std::vector<std::string> ids;
        for (const auto& entry : Tables().GetEntries())
            ids.push_back(entry->object.id);
        return ids;
    }
    std::vector<std::string> Classes(std::initializer_list<int> indexes)
    {
        std::vector<std::string> ids;
        for (int i : indexes)
            ids.push_back(classIds.at(static_cast<std::size_t>(i)));
        return ids;
    }
    int Block() const { return 20 + 28 * task->GetSchoolStructure().GetDayNodeCount() + 38; }

    std::unique_ptr<CScheduleTask> task;
    std::vector<std::string> classIds;
    QWidget host;
    CScrollPanel panel;
};

TEST_F(FriendTablesTest, TwentyGridsAtMostAndNoGapForMissingObjects)
{
    std::vector<std::string> ids(classIds.begin(), classIds.begin() + 25);
    panel.ShowLesson(ids, TABLE_CLASS);
    ASSERT_EQ(Tables().GetEntries().size(), 20u);
    EXPECT_EQ(Shown(), std::vector<std::string>(ids.begin(), ids.begin() + 20));

    // Missing objects count towards the twenty but take no place.
    ids.insert(ids.begin() + 3, "no-such-class");
    ids.insert(ids.begin() + 10, "another-missing-one");
    panel.ShowLesson(ids, TABLE_CLASS);
    ASSERT_EQ(Tables().GetEntries().size(), 18u);
    EXPECT_EQ(Tables().GetEntries()[3]->object.id, classIds[3]);
    const int width = Tables().width();
    EXPECT_EQ(width, panel.width() - panel.GetScrollBar().sizeHint().width());
    for (std::size_t i = 0; i < Tables().GetEntries().size(); ++i) {
        const CFriendTablesWnd::Entry& entry = *Tables().GetEntries()[i];
        const int s = static_cast<int>(i) * Block();
        EXPECT_EQ(entry.grid->geometry(), QRect(6, s + 20, width - 12, Block() - 30)) << i;
        EXPECT_EQ(entry.titleRect, Rect(8, s, width - 46, s + 20));
        EXPECT_EQ(entry.pinRect, Rect(width - 46, s, width - 8, s + 20));
    }
    EXPECT_EQ(Tables().GetContentHeight(), 18 * Block());
    EXPECT_EQ(Tables().height(), Tables().GetContentHeight());
    EXPECT_EQ(Tables().GetEntries()[0]->object.name, task->GetClass(classIds[0])->GetName());
}

TEST_F(FriendTablesTest, CellsOfTheEditedObjectAreMarked)
{
    // The teacher of the first class's first plan, and the classes that teacher teaches.
    CCourseInfo* plan = nullptr;
    for (CCourseInfo* p : ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList()))
        if (p->GetClassId() == classIds[0] && !p->GetTeacherId().empty()) {
            plan = p;
            break;
        }
    ASSERT_NE(plan, nullptr);
    const std::string teacher = plan->GetTeacherId();
    Tables().SetCurrentObject(TABLE_TEACHER, teacher);
    panel.ShowLesson({classIds[0], classIds[1]}, TABLE_CLASS);

    const CSchoolStructure& week = task->GetSchoolStructure();
    CTaskHelper helper(task.get());
    int friends = 0, activities = 0;
    for (const auto& entry : Tables().GetEntries()) {
        CWeekTable& grid = *entry->grid;
        EXPECT_EQ(grid.GetColumnCount(), week.GetWeekDayCount()) << "days not in use get no column";
        const CCourseTable& table = task->GetClass(entry->object.id)->GetTempTable();
        ForEachSlot(week, [&](const tagTABLE_NODE& node) {
            const CCell* cell = grid.GetCell({week.GetWeekOrderByNumber(node.day), node.segment, node.section});
            if (!cell) {
                ADD_FAILURE() << "no cell at " << NodeToText(node);
                return true;
            }
            const CCourseTableNode& lesson = table.GetNode(node);
            const bool mine = table.IsUsed(node) &&
                              (helper.IsTeacherOfCourse(helper.FindCourse(lesson.data(1).GetCourseId()), teacher) ||
                               helper.IsTeacherOfCourse(helper.FindCourse(lesson.data(2).GetCourseId()), teacher));
            EXPECT_EQ(cell->GetState() == CCell::STATE_FRIEND, mine) << NodeToText(node);
            friends += mine;
            const std::string activity = task->GetActivityInfo(entry->object.id, TABLE_CLASS, node);
            if (!table.IsUsed(node) && !activity.empty()) {
                ++activities;
                EXPECT_NE(cell->GetInfo().find(activity), std::string::npos) << NodeToText(node);
            }
            return false;
        });
    }
    EXPECT_GT(friends, 0);
    EXPECT_GT(activities, 0) << "a free slot shows its activity";
}

TEST_F(FriendTablesTest, PinnedOrderIsRememberedPerEditedObject)
{
    Tables().SetCurrentObject(TABLE_TEACHER, "teacher-a");
    panel.ShowLesson(Classes({0, 1, 2, 3}), TABLE_CLASS);
    panel.OnVScroll(SB_PAGEDOWN, 0);
    ASSERT_GT(panel.GetScrollPos(), 0);

    Click(&Tables(), Tables().GetEntries()[2]->pinRect);
    EXPECT_EQ(Shown(), Classes({2, 0, 1, 3}));
    EXPECT_EQ(panel.GetScrollPos(), 0) << "pinning shows the top";
    EXPECT_EQ(Tables().GetEntries()[0]->grid->y(), 20) << "laid out again";
    Tables().BringToFront(classIds[3]);
    EXPECT_EQ(Shown(), Classes({3, 2, 0, 1}));
    EXPECT_EQ(Tables().GetRememberedOrder("teacher-a"), Classes({3, 2, 0, 1}));

    // The first grid has no pin link: a click there changes nothing.
    Click(&Tables(), Tables().GetEntries()[0]->pinRect);
    Tables().BringToFront(classIds[3]);
    EXPECT_EQ(Shown(), Classes({3, 2, 0, 1}));

    // Another lesson of the same teacher: the pinned ones first, in the pinned order.
    panel.ShowLesson(Classes({5, 0, 4, 3, 1}), TABLE_CLASS);
    EXPECT_EQ(Shown(), Classes({3, 0, 1, 5, 4}));

    // Another teacher has no remembered order; the first comes back to hers.
    Tables().SetCurrentObject(TABLE_TEACHER, "teacher-b");
    panel.ShowLesson(Classes({0, 1, 2, 3}), TABLE_CLASS);
    EXPECT_EQ(Shown(), Classes({0, 1, 2, 3}));
    Tables().SetCurrentObject(TABLE_TEACHER, "teacher-a");
    panel.ShowLesson(Classes({0, 1, 2, 3}), TABLE_CLASS);
    EXPECT_EQ(Shown(), Classes({3, 2, 0, 1}));
}

TEST_F(FriendTablesTest, ScrollingStaysInsideTheContent)
{
    panel.ShowLesson(Classes({0, 1, 2, 3, 4}), TABLE_CLASS);
    const int limit = Tables().GetContentHeight() - 700;
    ASSERT_GT(limit, 100);
    EXPECT_EQ(panel.GetScrollLimit(), limit);
    EXPECT_EQ(panel.GetScrollBar().maximum(), limit);
    EXPECT_EQ(panel.GetScrollBar().pageStep(), 700);

    const struct {
        unsigned code;
        int thumb;
        int position;
    } steps[] = {
        {SB_LINEUP, 0, 0},          // never above the top
        {SB_LINEDOWN, 0, 5},
        {SB_PAGEDOWN, 0, 55},
        {SB_PAGEUP, 0, 5},
        {SB_PAGEUP, 0, 0},
        {SB_THUMBTRACK, limit - 2, limit - 2},
        {SB_LINEDOWN, 0, limit},    // never past the content
        {SB_LINEDOWN, 0, limit},
        {SB_PAGEDOWN, 0, limit},
        {SB_THUMBPOSITION, 5 * limit, limit},
        {SB_ENDSCROLL, 0, limit},
    };
    for (const auto& step : steps) {
        panel.OnVScroll(step.code, step.thumb);
        EXPECT_EQ(panel.GetScrollPos(), step.position) << step.code;
        EXPECT_EQ(Tables().y(), -step.position);
        EXPECT_EQ(panel.GetScrollBar().value(), step.position);
    }

    // Fewer grids: the position follows the content up, leaving no empty gap.
    panel.ShowLesson(Classes({0, 1}), TABLE_CLASS);
    EXPECT_EQ(panel.GetScrollPos(), Tables().GetContentHeight() - 700);
    EXPECT_EQ(Tables().y(), -panel.GetScrollPos());
    panel.ShowLesson(Classes({0}), TABLE_CLASS);
    EXPECT_EQ(panel.GetScrollPos(), 0);
    EXPECT_EQ(Tables().y(), 0);
}

TEST_F(FriendTablesTest, ShowCourseRefillsOnlyTheGridsOfThePlan)
{
    panel.ShowLesson(Classes({0, 1}), TABLE_CLASS);
    // Empty one slot of each class behind the grids' back.
    auto firstUsed = [&](const std::string& classId) {
        CCourseTable& table = task->GetClass(classId)->GetTempTable();
        for (int section = 0; section < zem::kSectionCount; ++section)
            if (table.IsUsed({0, 0, section}))
                return tagTABLE_NODE{0, 0, section};
        return tagTABLE_NODE{-1, -1, -1};
    };
    const tagTABLE_NODE a = firstUsed(classIds[0]);
    const tagTABLE_NODE b = firstUsed(classIds[1]);
    ASSERT_GE(a.day, 0);
    ASSERT_GE(b.day, 0);
    const std::string planOfA = task->GetClass(classIds[0])->GetTempTable().GetNode(a).data(1).GetCourseId();
    for (const auto& [classId, node] : {std::pair{classIds[0], a}, std::pair{classIds[1], b}}) {
        CCourseTable& table = task->GetClass(classId)->GetTempTable();
        task->UnsetTableNode(&table, node, 0);
        ASSERT_FALSE(table.IsUsed(node));
    }
    Tables().ShowCourse(planOfA);
    auto shown = [&](int entry, const tagTABLE_NODE& node) {
        std::string text;
        Tables().GetEntries()[static_cast<std::size_t>(entry)]->grid->GetCellInfo(
            {task->GetSchoolStructure().GetWeekOrderByNumber(node.day), node.segment, node.section}, &text);
        return text;
    };
    EXPECT_EQ(shown(0, a).find(task->GetSubjectName(task->FindCourse(planOfA)->GetSubjectId())), std::string::npos)
        << "the plan's class is refilled";
    EXPECT_EQ(zem::ReadCellRecord(shown(1, b)).count, "1") << "another class keeps what it showed";

    Tables().ShowCourse("no-such-plan");  // no plan: every grid is refilled
    EXPECT_NE(zem::ReadCellRecord(shown(1, b)).count, "1");
}

TEST_F(FriendTablesTest, Picture)
{
    CCourseInfo* plan = ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList()).front();
    Tables().SetCurrentObject(TABLE_TEACHER, plan->GetTeacherId());
    std::vector<std::string> taught;
    for (CCourseInfo* p : ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList()))
        if (p->GetTeacherId() == plan->GetTeacherId() && std::find(taught.begin(), taught.end(), p->GetClassId()) == taught.end())
            taught.push_back(p->GetClassId());
    taught.push_back(classIds[20]);
    panel.ShowLesson(taught, TABLE_CLASS);
    Tables().BringToFront(classIds[20]);
    SavePicture(host.grab().toImage(), "related_timetables.png");
}

}  // namespace
