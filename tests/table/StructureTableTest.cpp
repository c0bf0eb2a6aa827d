#include "support/TableTestSupport.h"
#include "table/StructureTable.h"

#include <gtest/gtest.h>

using zem::Point;
using zem::Rect;

namespace {

class TimePicker : public ::testing::Test {
protected:
    static constexpr int kDays = 5;

    void SetUp() override
    {
        grid.Init(&host);
        grid.setGeometry(0, 0, 500, 300);
        grid.SetWeekDays(kDays);
        grid.SetForenoonNodes(3);
        grid.SetAfternoonNodes(2);
        grid.SetPeriodNames({"1", "2", "3", "4", "5"});
    }

    // The period name beside a row, a day's title, the corner.
    Point PeriodName(int segment, int section) { return {5, CellCentre(grid, {0, segment, section}).y}; }
    Point Title(int day) { return {CellCentre(grid, {day, 0, 0}).x, 10}; }
    static Point Corner() { return {5, 5}; }

    int State(const tagTABLE_NODE& node) { return grid.GetCell(node)->GetState(); }

    RecordingHost host;
    CStructureTable grid;
};

TEST_F(TimePicker, ClickTogglesOneCellAndReportsItsNewValue)
{
    const tagTABLE_NODE node{2, 1, 1};
    Press(&grid, CellCentre(grid, node));
    Press(&grid, CellCentre(grid, node));
    ASSERT_EQ(host.received.size(), 2u);
    for (const Notification& n : host.received) {
        EXPECT_EQ(n.message, WM_TABLE_CELL_TOGGLED);
        EXPECT_TRUE(n.node == node);
    }
    EXPECT_EQ(host.received[0].wParam, 1u);
    EXPECT_EQ(host.received[1].wParam, 0u);
    EXPECT_EQ(State(node), CCell::STATE_NORMAL);

    // The line between two rows belongs to no cell.
    const Rect r = CellRect(grid, {2, 0, 0});
    Press(&grid, {r.CenterPoint().x, r.bottom});
    EXPECT_EQ(host.received.size(), 2u);
}

TEST_F(TimePicker, PeriodNameTogglesThatPeriodOnEveryDayIncludingTheBufferColumn)
{
    grid.ShowCacheColumn(true);
    grid.SetForbidCell({1, 0, 1}, true);
    Press(&grid, PeriodName(0, 1));
    ASSERT_EQ(host.received.size(), static_cast<std::size_t>(kDays + 1));
    for (int day = 0; day <= kDays; ++day) {
        const Notification& n = host.received[static_cast<std::size_t>(day)];
        EXPECT_TRUE(n.node == (tagTABLE_NODE{day, 0, 1}));
        EXPECT_EQ(n.wParam, day == 1 ? 0u : 1u);
        EXPECT_EQ(State({day, 0, 1}), day == 1 ? CCell::STATE_NORMAL : CCell::STATE_FORBIDDEN);
    }
    EXPECT_EQ(State({0, 0, 0}), CCell::STATE_NORMAL);
}

TEST_F(TimePicker, DayTitleTogglesTheWholeDay)
{
    Press(&grid, Title(3));
    ASSERT_EQ(host.received.size(), 5u);
    const tagTABLE_NODE expected[] = {{3, 0, 0}, {3, 0, 1}, {3, 0, 2}, {3, 1, 0}, {3, 1, 1}};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_TRUE(host.received[i].node == expected[i]) << i;
        EXPECT_EQ(State(expected[i]), CCell::STATE_FORBIDDEN);
    }
    EXPECT_EQ(State({2, 0, 0}), CCell::STATE_NORMAL);
}

TEST_F(TimePicker, CornerInvertsEveryCellOnItsOwn)
{
    grid.SetForbidCell({4, 1, 1}, true);
    Press(&grid, Corner());
    ASSERT_EQ(host.received.size(), static_cast<std::size_t>(kDays * 5));
    int set = 0;
    for (const Notification& n : host.received)
        set += static_cast<int>(n.wParam);
    EXPECT_EQ(set, kDays * 5 - 1);
    EXPECT_TRUE(host.received.front().node == (tagTABLE_NODE{0, 0, 0}));  // column by column
    EXPECT_TRUE(host.received[5].node == (tagTABLE_NODE{1, 0, 0}));
    EXPECT_EQ(State({4, 1, 1}), CCell::STATE_NORMAL);
    EXPECT_EQ(State({0, 0, 0}), CCell::STATE_FORBIDDEN);
}

TEST_F(TimePicker, LockBehaviourTogglesThePadlock)
{
    grid.SetSelectBehavior(CStructureTable::SELECT_LOCK);
    const tagTABLE_NODE node{1, 0, 0};
    grid.SetCellTag(node, CELL_TAG_LINKED);
    Press(&grid, CellCentre(grid, node));
    EXPECT_EQ(grid.GetCell(node)->GetTag(), CELL_TAG_LOCKED);
    Press(&grid, CellCentre(grid, node));
    EXPECT_EQ(grid.GetCell(node)->GetTag(), CELL_TAG_NONE);
    ASSERT_EQ(host.received.size(), 2u);
    EXPECT_EQ(host.received[0].wParam, 1u);
    EXPECT_EQ(host.received[1].wParam, 0u);
    EXPECT_EQ(State(node), CCell::STATE_NORMAL);
}

TEST_F(TimePicker, RightClickOnHeadersNamesWhatTheyStandFor)
{
    grid.SetMorningReadingNodes(1);
    Press(&grid, Corner(), Qt::RightButton);
    Press(&grid, Title(3), Qt::RightButton);
    Press(&grid, PeriodName(0, 1), Qt::RightButton);
    Press(&grid, PeriodName(3, 0), Qt::RightButton);
    Press(&grid, CellCentre(grid, {2, 1, 0}), Qt::RightButton);
    const Rect first = CellRect(grid, {0, 0, 0});
    Press(&grid, {5, first.bottom}, Qt::RightButton);  // the line between two period names: nothing
    ASSERT_EQ(host.received.size(), 5u);
    const tagTABLE_NODE expected[] = {{-1, -1, -1}, {3, -1, -1}, {-1, 0, 1}, {-1, 3, 0}, {2, 1, 0}};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(host.received[i].message, i < 4 ? WM_TABLE_HEADER_RCLICK : WM_TABLE_CELL_RCLICK) << i;
        EXPECT_TRUE(host.received[i].node == expected[i]) << i;
    }
    for (int day = 0; day < kDays; ++day)
        EXPECT_EQ(State({day, 0, 1}), CCell::STATE_NORMAL);  // right clicks toggle nothing
}

}  // namespace
