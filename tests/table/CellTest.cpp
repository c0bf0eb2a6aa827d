#include "support/TableTestSupport.h"
#include "base/CellRecord.h"
#include "table/ManualScheduleTable.h"
#include "table/TableItem.h"
#include "table/TableTheme.h"

#include <gtest/gtest.h>

using zem::COLORREF;
using zem::Rect;
using zem::RGB;

namespace {

TEST(CellText, ParserTakesWellFormedTextsAndRefusesTheRestKeepingTheOldText)
{
    const std::string old = OneEntry("1", "旧课", "老师");
    struct Case {
        std::string text;
        int result;
        std::string stored;  // GetInfo afterwards
    };
    const Case cases[] = {
        {OneEntry("A", "数学", "李"), 0, OneEntry("A", "数学", "李")},
        {OneEntry("1", "数学", ""), 0, OneEntry("1", "数学", "")},
        {TwoEntries("语文", "张", "英语", "王"), 0, TwoEntries("语文", "张", "英语", "王")},
        {"0", 0, "0"},
        {"", 0, "0"},
        {"x", 0, "0"},  // no number reads as 0
        {zem::JoinCellRecord({"1", "A", "数学", "李", "extra"}), 0, OneEntry("A", "数学", "李")},
        {zem::JoinCellRecord({"2", "a", "b", "c"}), -3, old},  // 4 parts, 7 needed
        {"8", -3, old},                                       // 25 parts needed
        {zem::JoinCellRecord({"1", "a", "b"}), -3, old},       // 3 parts, 4 needed
        {zem::JoinCellRecord({"1", "a", "b", "c", "d", "e", "f", "g"}), -3, old},  // 8 parts, whatever the count
        {zem::JoinCellRecord({"-1", "a", "b", "c"}), -3, old},                      // a negative count
    };
    for (const Case& c : cases) {
        CCell cell;
        ASSERT_EQ(cell.ParseInfo(old), 0);
        EXPECT_EQ(cell.ParseInfo(c.text), c.result) << c.text;
        EXPECT_EQ(cell.GetInfo(), c.stored) << c.text;
    }
}

TEST(CellText, MoveTradesContentButNotTags)
{
    CCell a, b;
    a.ParseInfo(OneEntry("1", "数学", "李"));
    a.SetTip("a tip");
    a.SetTag(CELL_TAG_LOCKED);
    a.SetCustomBkColor(RGB(1, 2, 3));
    a.SetState(CCell::STATE_PICKED);
    b.SetState(CCell::STATE_FRIEND);
    b.SetFocus(true);
    a.ExchangeContent(b);
    EXPECT_EQ(a.GetInfo(), "0");
    EXPECT_EQ(b.GetInfo(), OneEntry("1", "数学", "李"));
    EXPECT_EQ(b.GetTip(), "a tip");
    EXPECT_EQ(b.GetCustomBkColor(), RGB(1, 2, 3));
    EXPECT_EQ(b.GetState(), CCell::STATE_PICKED);
    EXPECT_EQ(a.GetState(), CCell::STATE_FRIEND);
    EXPECT_TRUE(a.HasFocus());
    EXPECT_EQ(a.GetTag(), CELL_TAG_LOCKED);
    EXPECT_EQ(b.GetTag(), CELL_TAG_NONE);
}

// One big cell (day 0, forenoon period 0) rendered alone.
class CellDrawing : public ::testing::Test {
protected:
    static constexpr int kW = 240, kH = 130;
    static constexpr COLORREF kMainText = RGB(0, 0, 255);
    static constexpr COLORREF kSecondaryText = RGB(0, 128, 0);
    const tagTABLE_NODE node{0, 0, 0};

    void SetUp() override
    {
        grid.Init(&host);
        grid.setGeometry(0, 0, kW, kH);
        grid.SetWeekDays(1);
        grid.SetForenoonNodes(1);
        grid.SetAfternoonNodes(0);
    }

    QImage Render()
    {
        QImage image;
        EXPECT_TRUE(grid.GetBitmap(image, CELL_STYLE_COLOR, kW, kH));
        cell = CellRect(grid, node);
        return image;
    }

    void Pick() { Press(&grid, CellCentre(grid, node)); }

    RecordingHost host;
    CManualScheduleTable grid;  // the one grid in which a click picks a cell
    Rect cell;
};

TEST_F(CellDrawing, OneEntryPutsTheMainTextAboveAndTheSecondaryTextBelow)
{
    grid.SetCellInfo(node, OneEntry("1", "数学", "李老师"));
    QImage image = Render();
    const int h = cell.Height();
    const Rect main = BoundsOfColor(image, cell, kMainText);
    const Rect secondary = BoundsOfColor(image, cell, kSecondaryText);
    ASSERT_FALSE(main.IsRectEmpty());
    ASSERT_FALSE(secondary.IsRectEmpty());
    EXPECT_GE(main.top, cell.top);
    EXPECT_LE(main.bottom, cell.bottom - 2 * h / 5);
    EXPECT_GE(secondary.top, cell.top + 3 * h / 5);
    EXPECT_LE(secondary.bottom, cell.bottom);
    EXPECT_NEAR((main.left + main.right) / 2, (cell.left + cell.right) / 2, 2);

    // Without a secondary text the main text is centred in the whole cell.
    grid.SetCellInfo(node, OneEntry("1", "数学", ""));
    image = Render();
    const Rect alone = BoundsOfColor(image, cell, kMainText);
    EXPECT_NEAR((alone.top + alone.bottom) / 2, (cell.top + cell.bottom) / 2, 2);
    EXPECT_EQ(CountColor(image, cell, kSecondaryText), 0);
}

TEST_F(CellDrawing, TwoEntriesAreSplitByADiagonal)
{
    grid.SetCellInfo(node, TwoEntries("语文", "张", "英语", "王"));
    const QImage image = Render();
    const int mid = (cell.left + cell.right) / 2;
    const COLORREF white = RGB(255, 255, 255);
    EXPECT_EQ(PixelAt(image, mid + 5, cell.top + 2), white);
    EXPECT_NE(PixelAt(image, mid - 5, cell.bottom - 2), white);  // the end point stays out
    EXPECT_GT(CountColor(image, cell, white), cell.Height() - 6);

    const Rect leftMain = BoundsOfColor(image, Rect(cell.left, cell.top, mid, cell.bottom), kMainText);
    const Rect rightMain = BoundsOfColor(image, Rect(mid, cell.top, cell.right, cell.bottom), kMainText);
    ASSERT_FALSE(leftMain.IsRectEmpty());
    ASSERT_FALSE(rightMain.IsRectEmpty());
    EXPECT_LE(leftMain.bottom, cell.bottom - 2 * cell.Height() / 5);
    EXPECT_GT(CountColor(image, Rect(cell.left, cell.top + cell.Height() / 2, mid, cell.bottom), kSecondaryText), 0);
    EXPECT_GT(CountColor(image, Rect(mid, cell.top + cell.Height() / 2, cell.right, cell.bottom), kSecondaryText), 0);
}

TEST_F(CellDrawing, TagImageSitsAtTheTopRightCorner)
{
    const COLORREF orange = RGB(255, 140, 0);
    grid.SetCellTag(node, CELL_TAG_DISABLED);
    QImage image = Render();
    const Rect corner(cell.right - 20, cell.top + 3, cell.right - 4, cell.top + 19);
    EXPECT_GT(CountColor(image, corner, orange), 100);
    EXPECT_EQ(CountColor(image, cell, orange), CountColor(image, corner, orange));

    grid.SetCellTag(node, CELL_TAG_NONE);
    image = Render();
    EXPECT_EQ(CountColor(image, cell, orange), 0);
}

TEST_F(CellDrawing, BackgroundFollowsStateOutsideColourModeAndTheCustomColourInIt)
{
    const CTableTheme& theme = CTableTheme::Instance();
    const COLORREF custom = RGB(10, 200, 220);
    const COLORREF normal = theme.GetRowBColor();  // the first row is even
    struct Case {
        bool colorMode;
        int state;
        COLORREF customBk;
        COLORREF expected;
    };
    const Case cases[] = {
        {false, CCell::STATE_NORMAL, custom, normal},
        {false, CCell::STATE_PICKED, 0, theme.GetPickedColor()},
        {false, CCell::STATE_FRIEND, 0, theme.GetFriendColor()},
        {false, CCell::STATE_FORBIDDEN, custom, theme.GetForbiddenColor()},
        {true, CCell::STATE_NORMAL, custom, custom},
        {true, CCell::STATE_FORBIDDEN, custom, custom},
        {true, CCell::STATE_FORBIDDEN, 0, normal},
        {true, CCell::STATE_PICKED, 0, normal},
    };
    for (const Case& c : cases) {
        grid.SetAllCellNormal();
        grid.SetColorMode(c.colorMode);
        grid.SetCellBkColor(node, c.customBk);
        if (c.state == CCell::STATE_FRIEND)
            grid.SetCellFriend(node);
        else if (c.state == CCell::STATE_FORBIDDEN)
            grid.SetForbidCell(node, true);
        else if (c.state == CCell::STATE_PICKED)
            Pick();
        const QImage image = Render();
        const zem::Point centre = cell.CenterPoint();
        EXPECT_EQ(PixelAt(image, centre.x, centre.y), c.expected) << c.colorMode << " state " << c.state;
    }
}

TEST_F(CellDrawing, ColourModeFramesPickedAndFriendCellsAndPlainModeShowsFocus)
{
    const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
    grid.SetColorMode(true);
    Pick();
    QImage image = Render();
    // Sunken: two dark top-left and two light bottom-right edges.
    EXPECT_EQ(PixelAt(image, cell.left, cell.top), black);
    EXPECT_EQ(PixelAt(image, cell.left + 1, cell.top + 1), black);
    EXPECT_EQ(PixelAt(image, cell.right - 1, cell.bottom - 1), white);
    EXPECT_EQ(PixelAt(image, cell.right - 2, cell.bottom - 2), white);

    grid.SetAllCellNormal();
    grid.SetCellFriend(node);
    image = Render();
    // Raised, two pixels in: light top-left, dark bottom-right.
    EXPECT_EQ(PixelAt(image, cell.left + 2, cell.top + 2), white);
    EXPECT_EQ(PixelAt(image, cell.right - 3, cell.bottom - 3), black);
    EXPECT_NE(PixelAt(image, cell.left, cell.top), white);

    grid.SetColorMode(false);
    grid.SetAllCellNormal();
    const COLORREF normal = CTableTheme::Instance().GetRowBColor();
    image = Render();
    EXPECT_EQ(PixelAt(image, cell.left + 1, cell.top + 1), normal);
    grid.SetCellFocus(node, true);
    image = Render();
    // The dotted frame inverts every other pixel one pixel inside the cell.
    const int x = cell.left + 1 + ((cell.left + cell.top) % 2), y = cell.top + 1;
    EXPECT_NE(PixelAt(image, x, y), normal);
    EXPECT_EQ(PixelAt(image, x + 1, y), normal);
}

}  // namespace
