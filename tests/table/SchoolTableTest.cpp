#include "support/TableTestSupport.h"
#include "base/CellRecord.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "table/CellStatic.h"
#include "table/SchoolLayoutVert.h"
#include "table/SchoolTable.h"
#include "table/TableTheme.h"

#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>


using zem::COLORREF;
using zem::Point;
using zem::Rect;
using zem::RGB;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kDimmed = RGB(168, 168, 168);

const std::vector<std::string> kFiveDays = {"星期一", "星期二", "星期三", "星期四", "星期五"};

struct Received {
    unsigned message = 0;
    tagNMT_NODE2 node;
    tagNMT_MOVE2 move;
    std::string text;
};

class SchoolGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousSound = zem::gui::SetSoundHook([this](const std::string& path) { sounds.push_back(path); });
        grid = new CSchoolTable;
        grid->Init(&host);
        grid->SetAnimateMoves(false);
        // Records live only during the call: copy them out as the host would read them.
        host.onMessage = [this](const Notification& n) {
            Received r{n.message, {}, {}, n.text};
            if (n.message == WM_TABLE_NODE_PICKED)
                r.node = *zem::FromLParam<tagNMT_NODE2>(n.lParam);
            if (n.message == WM_TABLE_NODES_SWAPPED)
                r.move = *zem::FromLParam<tagNMT_MOVE2>(n.lParam);
            received.push_back(r);
            if (onReceived)
                onReceived(r);
        };
        host.show();
    }
    void TearDown() override
    {
        delete grid.data();
        zem::gui::SetSoundHook(m_previousSound);
    }

    // Five days of eight periods (4 forenoon, 3 afternoon, 1 night); morning reading and
    // self-study are hidden unless shown.
    void Days(int days = 5)
    {
        grid->SetDays(std::vector<std::string>(kFiveDays.begin(), kFiveDays.begin() + std::min(days, 5)));
        if (days > 5)
            grid->SetDays(std::vector<std::string>(static_cast<std::size_t>(days - 5), "星期六"));
        grid->SetSections(4, 3, 1, 1, 2);
    }
    void Layout(CSchoolTable::STYLE style, int w, int h)
    {
        grid->SetStyle(style);
        grid->setGeometry(0, 0, w, h);
        grid->Refresh();
    }
    void Click(int row, int col) { Press(grid, grid->GetNodeRect(row, col).CenterPoint()); }
    std::vector<unsigned> Messages() const
    {
        std::vector<unsigned> messages;
        for (const Received& r : received)
            messages.push_back(r.message);
        return messages;
    }
    std::string Text(int row, int col) const
    {
        const CSchoolTableNode* node = grid->GetNode(row, col);
        return node ? node->GetText() : "<none>";
    }
    QImage Render()
    {
        QImage image;
        EXPECT_TRUE(grid->GetBitmap(image));
        return image;
    }

    RecordingHost host;
    QPointer<CSchoolTable> grid;
    std::vector<Received> received;
    std::function<void(const Received&)> onReceived;
    std::vector<std::string> sounds;

private:
    zem::gui::SoundHook m_previousSound;
};

// ---- layout arithmetic

TEST_F(SchoolGrid, HorizontalLayoutSplitsTheWidthAmongThePeriodsAndScrollsItsLines)
{
    Days();
    for (int i = 0; i < 3; ++i)
        grid->AddRow("高一(" + std::to_string(i + 1) + ")班");
    Layout(CSchoolTable::STYLE_HORZ, 1000, 300);
    // 40 periods share 1000 - 65 pixels; the row titles take the remainder.
    EXPECT_EQ(grid->GetColumnCount(), 40);
    EXPECT_EQ(grid->GetCellWidth(), 23);
    EXPECT_EQ(grid->GetRowTitleWidth(), 80);
    EXPECT_EQ(grid->GetNodeArea(), Rect(80, 52, 1000, 300));
    EXPECT_EQ(grid->GetNodeRect(1, 2), Rect(127, 76, 150, 100));
    EXPECT_FALSE(grid->IsBarNeeded());
    EXPECT_TRUE(grid->GetVertBar()->isHidden());
    EXPECT_TRUE(grid->GetHorzBar()->isHidden());

    // Thirty classes do not fit: the bar takes 22 pixels of the width.
    for (int i = 3; i < 30; ++i)
        grid->AddRow("班" + std::to_string(i + 1));
    Layout(CSchoolTable::STYLE_HORZ, 1000, 400);
    EXPECT_TRUE(grid->IsBarNeeded());
    EXPECT_EQ(grid->GetCellWidth(), 22);
    EXPECT_EQ(grid->GetRowTitleWidth(), 65 + 913 % 40);
    EXPECT_EQ(grid->GetLineCount(), 348 / 24 + 2);
    const QScrollBar* bar = grid->GetVertBar();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->geometry(), QRect(980, 53, 19, 345));
    EXPECT_EQ(bar->maximum(), 30 * 24 - 348);
    EXPECT_EQ(bar->pageStep(), 348);

    // Scrolled down by 30 pixels: every line moves up, and clicks find the lines under them.
    grid->OnVScroll(SB_THUMBPOSITION, 30);
    EXPECT_EQ(grid->GetVertScrollPos(), 30);
    EXPECT_EQ(bar->value(), 30);
    EXPECT_EQ(grid->GetNodeRect(1, 2).top, 52 + 24 - 30);
    tagNMT_NODE2 hit;
    ASSERT_TRUE(grid->HitNode({200, 60}, &hit));
    EXPECT_EQ(hit, (tagNMT_NODE2{1, (200 - 98) / 22}));
    EXPECT_FALSE(grid->HitNode({50, 60}, &hit));  // row titles
    EXPECT_FALSE(grid->HitNode({200, 40}, &hit));  // header
}

TEST_F(SchoolGrid, HorizontalBarAppearsAsSoonAsTheLastLineIsCutOff)
{
    Days();
    for (int i = 0; i < 11; ++i)
        grid->AddRow("班" + std::to_string(i + 1));
    // Ten lines and a bit fit in 250 pixels of body: the eleventh needs the bar to be reached.
    Layout(CSchoolTable::STYLE_HORZ, 1000, 52 + 250);
    ASSERT_TRUE(grid->IsBarNeeded());
    for (int i = 0; i < 10; ++i)
        grid->OnScrollKeyDown(VK_NEXT);
    EXPECT_EQ(grid->GetVertScrollPos(), 11 * 24 - 250);
    EXPECT_EQ(grid->GetNodeRect(10, 0).bottom, 52 + 250);

    // All eleven fit: no bar, and nothing scrolls.
    Layout(CSchoolTable::STYLE_HORZ, 1000, 52 + 264);
    EXPECT_FALSE(grid->IsBarNeeded());
    EXPECT_EQ(grid->GetVertScrollPos(), 0);
}

TEST_F(SchoolGrid, VerticalLayoutGivesTheHeaderTheRemainderOfTheHeight)
{
    Days();
    for (int i = 0; i < 20; ++i)
        grid->AddCol("班" + std::to_string(i + 1));
    grid->SetCellWidth(60);
    Layout(CSchoolTable::STYLE_VERT, 800, 600);
    EXPECT_EQ(grid->GetLineCount(), 40);
    EXPECT_EQ(grid->GetColumnCount(), 14);
    EXPECT_TRUE(grid->IsBarNeeded());
    EXPECT_EQ(grid->GetCellHeight(), 13);
    EXPECT_EQ(grid->GetHeaderHeight(), 58);
    EXPECT_EQ(grid->GetNodeArea(), Rect(52, 58, 800, 578));
    const QScrollBar* bar = grid->GetHorzBar();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_TRUE(grid->GetVertBar()->isHidden());
    EXPECT_EQ(bar->geometry(), QRect(53, 580, 746, 18));
    EXPECT_EQ(bar->maximum(), 1200 - 748);
    EXPECT_EQ(bar->pageStep(), 748);
    EXPECT_EQ(grid->GetNodeRect(3, 2), Rect(172, 97, 232, 110));

    grid->OnHScroll(SB_THUMBTRACK, 100);
    EXPECT_EQ(grid->GetNodeRect(3, 2), Rect(72, 97, 132, 110));
    tagNMT_NODE2 hit;
    ASSERT_TRUE(grid->HitNode({60, 100}, &hit));
    EXPECT_EQ(hit, (tagNMT_NODE2{3, 1}));

    // Big names take a taller header; a width that holds every column needs no bar.
    grid->SetBigNameMode(true);
    Layout(CSchoolTable::STYLE_VERT, 52 + 1200, 600);
    EXPECT_FALSE(grid->IsBarNeeded());
    EXPECT_EQ(grid->GetCellHeight(), (600 - 36) / 40);
    EXPECT_EQ(grid->GetHeaderHeight(), 600 - 14 * 40);
    EXPECT_EQ(grid->GetHorzScrollPos(), 0);
    EXPECT_TRUE(grid->GetHorzBar()->isHidden());
}

TEST_F(SchoolGrid, CrossLayoutStretchesWholeDaysOrScrollsThem)
{
    Days();
    for (int i = 0; i < 6; ++i)
        grid->AddCol("班" + std::to_string(i + 1));
    Layout(CSchoolTable::STYLE_CROSS, 1000, 600);
    const auto expectGeometry = [&](int cellWidth, int margin) {
        EXPECT_EQ(grid->GetCellWidth(), cellWidth);
        EXPECT_EQ(grid->GetLeftMargin(), margin);
        EXPECT_EQ(grid->GetCellHeight(), 61);
        EXPECT_EQ(grid->GetHeaderHeight(), 86);
        EXPECT_EQ(grid->GetNodeArea(), Rect(margin, 112, 1000, 600));
        EXPECT_FALSE(grid->IsBarNeeded());
        EXPECT_TRUE(grid->GetHorzBar()->isHidden());
    };
    expectGeometry(24, 40);
    EXPECT_EQ(grid->GetColumnCount(), 40);
    EXPECT_EQ(grid->GetColumnsPerDay(), 8);
    grid->Refresh();
    expectGeometry(24, 40);

    // Line 3 of display column 17 is period 3 of day 2 for object 1.
    EXPECT_EQ(grid->GetNodeRect(2 * 8 + 3, 1), Rect(40 + 17 * 24, 112 + 3 * 61, 40 + 18 * 24, 112 + 4 * 61));
    Press(grid, {40 + 17 * 24 + 5, 112 + 3 * 61 + 5});
    EXPECT_TRUE(grid->IsPicked());
    EXPECT_EQ(grid->GetPick(), (tagNMT_NODE2{19, 1}));

    // Seven days of five classes: 35 columns of 27 pixels.
    grid->SetDays({"星期六", "星期日"});
    grid->Clear();
    for (int i = 0; i < 5; ++i)
        grid->AddCol("班" + std::to_string(i + 1));
    Layout(CSchoolTable::STYLE_CROSS, 1000, 600);
    expectGeometry(27, 55);
    EXPECT_EQ(grid->GetColumnsPerDay(), 5);

    // Thirty classes over seven days do not fit: fixed 24-pixel columns and the bar.
    for (int i = 5; i < 30; ++i)
        grid->AddCol("班" + std::to_string(i + 1));
    Layout(CSchoolTable::STYLE_CROSS, 1000, 600);
    EXPECT_TRUE(grid->IsBarNeeded());
    EXPECT_EQ(grid->GetCellWidth(), 24);
    EXPECT_EQ(grid->GetLeftMargin(), 26);
    EXPECT_EQ(grid->GetColumnsPerDay(), 30);
    EXPECT_EQ(grid->GetCellHeight(), (578 - 26 - 80) / 8);
    EXPECT_EQ(grid->GetHorzBar()->maximum(), 30 * 24 * 7 - 974);
    EXPECT_EQ(grid->GetNodeRect(8 + 2, 4).left, 26 + (30 + 4) * 24);
}

TEST_F(SchoolGrid, NodeKeysStayDistinctForBigSchools)
{
    // 120 classes as columns, and rows far beyond what 16-bit keys could tell apart.
    grid->SetNodeText(0, 100, OneEntry("1", "语文", "王"));
    grid->SetNodeText(1, 0, OneEntry("1", "数学", "李"));
    grid->SetNodeText(700, 0, OneEntry("1", "英语", "张"));
    grid->SetNodeText(44, 64, OneEntry("1", "物理", "陈"));
    EXPECT_EQ(Text(0, 100), OneEntry("1", "语文", "王"));
    EXPECT_EQ(Text(1, 0), OneEntry("1", "数学", "李"));
    EXPECT_EQ(Text(700, 0), OneEntry("1", "英语", "张"));
    EXPECT_EQ(Text(44, 64), OneEntry("1", "物理", "陈"));
    EXPECT_FALSE(grid->SetNodeText(-1, 0, "x"));
}

TEST_F(SchoolGrid, NodesTipsFriendsAndClear)
{
    Days();
    grid->AddRow("高一(1)班");
    EXPECT_FALSE(grid->SetNodeTip(0, 0, "无"));
    EXPECT_TRUE(grid->SetNodeText(0, 0, OneEntry("1", "语文", "王")));
    EXPECT_TRUE(grid->SetNodeTip(0, 0, "提示"));
    // A second text for the cell replaces the first, tip included.
    EXPECT_TRUE(grid->SetNodeText(0, 0, OneEntry("1", "数学", "李")));
    EXPECT_EQ(Text(0, 0), OneEntry("1", "数学", "李"));
    EXPECT_EQ(grid->GetNode(0, 0)->GetTip(), "");

    grid->SetNodeText(0, 1, OneEntry("1", "英语", "张"));
    grid->SetNodeTip(0, 1, "英语");
    grid->SwapNode({{0, 0}, {0, 1}});
    EXPECT_EQ(Text(0, 0), OneEntry("1", "英语", "张"));
    EXPECT_EQ(grid->GetNode(0, 0)->GetTip(), "英语");
    EXPECT_EQ(grid->GetNode(0, 0)->GetColumn(), 0);
    grid->SwapNode({{0, 0}, {0, 7}});  // no node there: nothing happens
    EXPECT_EQ(Text(0, 0), OneEntry("1", "英语", "张"));

    const int friends[] = {3, 5};
    grid->SetFriendCells(2, friends);
    grid->SetFriendCells(-1, friends + 1);
    EXPECT_EQ(grid->GetFriendCells(), (std::vector<int>{3, 5}));
    grid->SetFriendCells(0, nullptr);
    EXPECT_TRUE(grid->GetFriendCells().empty());

    // Clear keeps the days and periods.
    grid->SetFriendCells(2, friends);
    grid->Clear();
    EXPECT_EQ(grid->GetNode(0, 0), nullptr);
    EXPECT_TRUE(grid->GetFriendCells().empty());
    EXPECT_EQ(grid->AddRow("高一(2)班"), 0);
    Layout(CSchoolTable::STYLE_HORZ, 1000, 300);
    EXPECT_EQ(grid->GetColumnCount(), 40);
}

TEST_F(SchoolGrid, ShowingSelfStudyAddsItsPeriodsAndLabels)
{
    Days(1);
    EXPECT_EQ(grid->GetDayNodes(), 8);
    grid->SetShowSS(true);
    EXPECT_EQ(grid->GetDayNodes(), 11);
    grid->AddRow("高一(1)班");
    Layout(CSchoolTable::STYLE_HORZ, 65 + 11 * 40, 200);
    EXPECT_EQ(grid->GetCellWidth(), 40);
    const QImage image = Render();
    // Labels are white on the dark header: "早" over the first period, "自" over the last two.
    const auto labelWidth = [&](int period) {
        return BoundsOfColor(image, Rect(66 + period * 40 + 2, 28, 66 + period * 40 + 38, 52), RGB(255, 255, 255))
            .Width();
    };
    for (int period : {0, 9, 10})
        EXPECT_GT(labelWidth(period), 7) << period;  // one Chinese character
    for (int period : {1, 4, 8})
        EXPECT_LT(labelWidth(period), 7) << period;  // one digit
}

// ---- picking and swapping

class SchoolGridClicks : public SchoolGrid {
protected:
    void SetUp() override
    {
        SchoolGrid::SetUp();
        Days();
        for (int i = 0; i < 4; ++i) {
            grid->AddRow("高一(" + std::to_string(i + 1) + ")班");
            grid->AddCol("高一(" + std::to_string(i + 1) + ")班");
        }
        // Row 1 holds periods 0..7 of Monday; period 6 is empty.
        const char* subjects[] = {"语文", "数学", "英语", "物理", "化学", "生物", "", "体育"};
        for (int p = 0; p < 8; ++p) {
            if (*subjects[p])
                for (int line = 0; line < 4; ++line) {
                    grid->SetNodeText(line, p, OneEntry("1", subjects[p], "王"));
                    grid->SetNodeText(p, line, OneEntry("1", subjects[p], "王"));
                }
        }
        // The host marks where the pick may go and explains the rest, as the program does.
        onReceived = [this](const Received& r) {
            if (r.message != WM_TABLE_NODE_PICKED)
                return;
            const int friends[] = {5, 6};
            grid->SetFriendCells(2, friends);
            const bool horz = grid->IsHorzStyle();
            grid->SetNodeTip(horz ? r.node.row : 3, horz ? 3 : r.node.column, "张老师该节有课");
        };
    }
};

TEST_F(SchoolGridClicks, HorizontalPickRefuseSwapAndClear)
{
    Layout(CSchoolTable::STYLE_HORZ, 1000, 300);
    grid->SetNodeTip(1, 4, "old tip");
    Click(1, 2);
    ASSERT_EQ(Messages(), std::vector<unsigned>{WM_TABLE_NODE_PICKED});
    EXPECT_EQ(received[0].node, (tagNMT_NODE2{1, 2}));
    EXPECT_EQ(grid->GetNode(1, 4)->GetTip(), "");  // tips emptied before the host is told

    // Not a friend: the host hears the cell's tip, even an empty one; the pick stays.
    Click(1, 3);
    Click(1, 4);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[1].message, WM_TABLE_MOVE_REFUSED);
    EXPECT_EQ(received[1].text, "张老师该节有课");
    EXPECT_EQ(received[2].message, WM_TABLE_MOVE_REFUSED);
    EXPECT_EQ(received[2].text, "");
    EXPECT_EQ(grid->GetPick(), (tagNMT_NODE2{1, 2}));

    // A friend: sound, swap, report, pick cleared.
    Click(1, 5);
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[3].message, WM_TABLE_NODES_SWAPPED);
    EXPECT_EQ(received[3].move.target, (tagNMT_NODE2{1, 5}));
    EXPECT_EQ(received[3].move.picked, (tagNMT_NODE2{1, 2}));
    EXPECT_EQ(Text(1, 5), OneEntry("1", "英语", "王"));
    EXPECT_EQ(Text(1, 2), OneEntry("1", "生物", "王"));
    EXPECT_EQ(sounds.size(), 1u);
    EXPECT_FALSE(grid->IsPicked());

    // The picked cell again: pick and tips cleared, the host not told.
    received.clear();
    Click(2, 0);
    grid->SetNodeTip(2, 1, "tip");
    Click(2, 0);
    EXPECT_EQ(Messages(), std::vector<unsigned>{WM_TABLE_NODE_PICKED});
    EXPECT_FALSE(grid->IsPicked());
    EXPECT_EQ(grid->GetNode(2, 1)->GetTip(), "");

    // Another row picks anew; a line without a row title picks nothing.
    Click(2, 0);
    Click(3, 1);
    EXPECT_EQ(grid->GetPick(), (tagNMT_NODE2{3, 1}));
    Click(5, 1);
    EXPECT_EQ(grid->GetPick(), (tagNMT_NODE2{3, 1}));
    EXPECT_EQ(received.size(), 3u);
}

TEST_F(SchoolGridClicks, SwapIntoAnEmptyPeriodMovesTheText)
{
    Layout(CSchoolTable::STYLE_HORZ, 1000, 300);
    Click(0, 1);
    Click(0, 6);  // a friend without a node
    ASSERT_EQ(received.back().message, WM_TABLE_NODES_SWAPPED);
    EXPECT_EQ(Text(0, 6), OneEntry("1", "数学", "王"));
    EXPECT_EQ(Text(0, 1), "");
}

TEST_F(SchoolGridClicks, VerticalPickRefuseSwapAndClear)
{
    grid->SetCellWidth(80);
    Layout(CSchoolTable::STYLE_VERT, 600, 500);
    Click(2, 1);
    ASSERT_EQ(Messages(), std::vector<unsigned>{WM_TABLE_NODE_PICKED});
    EXPECT_EQ(received[0].node, (tagNMT_NODE2{2, 1}));

    // Not a friend: only a tip text is reported; an empty one says nothing.
    Click(4, 1);
    EXPECT_EQ(received.size(), 1u);
    Click(3, 1);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1].message, WM_TABLE_MOVE_REFUSED);
    EXPECT_EQ(received[1].text, "张老师该节有课");
    EXPECT_EQ(grid->GetPick(), (tagNMT_NODE2{2, 1}));

    Click(5, 1);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[2].message, WM_TABLE_NODES_SWAPPED);
    EXPECT_EQ(received[2].move.target, (tagNMT_NODE2{5, 1}));
    EXPECT_EQ(received[2].move.picked, (tagNMT_NODE2{2, 1}));
    EXPECT_EQ(Text(5, 1), OneEntry("1", "英语", "王"));
    EXPECT_EQ(grid->GetNode(3, 1)->GetTip(), "");  // a swap empties the tips
    EXPECT_FALSE(grid->IsPicked());

    // Clicking the pick again ends it and leaves the tips; a column without a title does nothing.
    Click(0, 2);
    Click(0, 2);
    EXPECT_FALSE(grid->IsPicked());
    EXPECT_EQ(grid->GetNode(3, 2)->GetTip(), "张老师该节有课");
    Click(0, 5);
    EXPECT_FALSE(grid->IsPicked());
    EXPECT_EQ(received.size(), 4u);
}

TEST_F(SchoolGridClicks, CrossLayoutOnlyShowsAndMovesThePick)
{
    Layout(CSchoolTable::STYLE_CROSS, 1000, 500);
    grid->SetNodeTip(0, 0, "tip");
    Click(9, 2);  // Tuesday, period 1
    EXPECT_EQ(grid->GetPick(), (tagNMT_NODE2{9, 2}));
    EXPECT_EQ(grid->GetNode(0, 0)->GetTip(), "");
    Click(3, 2);
    EXPECT_EQ(grid->GetPick(), (tagNMT_NODE2{3, 2}));
    Click(3, 2);
    EXPECT_FALSE(grid->IsPicked());
    // Display column 5 of Monday holds no object (four titles in eight columns per day).
    Press(grid, {grid->GetNodeRect(0, 3).right + grid->GetCellWidth() + 2, grid->GetNodeArea().top + 5});
    EXPECT_FALSE(grid->IsPicked());
    EXPECT_TRUE(received.empty());
    EXPECT_TRUE(sounds.empty());
}

TEST_F(SchoolGridClicks, AnimatedSwapIgnoresClicksUntilThePicturesArrive)
{
    grid->SetAnimateMoves(true);
    Layout(CSchoolTable::STYLE_HORZ, 1000, 300);
    TestAnimationClock clock(10);
    bool runningDuringSlide = false;
    int slides = 0;
    std::int64_t swappedAt = 0;
    onReceived = [&, base = onReceived](const Received& r) {
        base(r);
        if (r.message == WM_TABLE_NODES_SWAPPED)
            swappedAt = clock.Now();
    };
    Click(1, 2);
    const std::int64_t start = clock.Now();
    clock.At(start + 300, [&] {
        runningDuringSlide = grid->IsSwapRunning();
        for (CCellStatic* s : grid->findChildren<CCellStatic*>())
            slides += s->isVisible() && !s->WaitForMoveComplete();
        Click(2, 2);  // ignored
    });
    Click(1, 5);
    EXPECT_TRUE(runningDuringSlide);
    EXPECT_EQ(slides, 2);
    EXPECT_GE(swappedAt - start, CCellStatic::kSlideMs);  // the host hears of it once the pictures arrived
    EXPECT_FALSE(grid->IsSwapRunning());
    EXPECT_EQ(Messages(), (std::vector<unsigned>{WM_TABLE_NODE_PICKED, WM_TABLE_NODES_SWAPPED}));
    EXPECT_EQ(Text(1, 5), OneEntry("1", "英语", "王"));

    // The host destroying the grid during the slide ends the swap quietly.
    Click(1, 2);
    clock.At(clock.Now() + 100, [&] { delete grid.data(); });
    Click(1, 5);
    EXPECT_TRUE(grid.isNull());
    EXPECT_EQ(received.back().message, WM_TABLE_NODE_PICKED);
}

TEST_F(SchoolGridClicks, HostMayRefillTheGridWhenTold)
{
    Layout(CSchoolTable::STYLE_HORZ, 1000, 300);
    onReceived = [this, base = onReceived](const Received& r) {
        base(r);
        if (r.message == WM_TABLE_NODES_SWAPPED) {
            grid->Clear();
            grid->AddRow("高一(1)班");
            grid->SetNodeText(0, 0, OneEntry("1", "语文", "王"));
            grid->Refresh();
        }
    };
    Click(1, 2);
    Click(1, 5);
    EXPECT_FALSE(grid->IsPicked());
    EXPECT_EQ(Text(0, 0), OneEntry("1", "语文", "王"));
    Render();
}

TEST_F(SchoolGridClicks, TipsFollowTheMouseInEveryLayout)
{
    auto previousCursor = zem::gui::SetCursorPosHook([] { return Point{100, 100}; });
    const CTableTipWnd& tip = grid->GetTipWnd();
    struct Case {
        CSchoolTable::STYLE style;
        int row, col;
    };
    grid->SetCellWidth(80);
    for (const Case& c : {Case{CSchoolTable::STYLE_HORZ, 1, 3}, Case{CSchoolTable::STYLE_VERT, 3, 1},
                          Case{CSchoolTable::STYLE_CROSS, 11, 2}}) {
        Layout(c.style, 1000, 500);
        grid->SetNodeText(c.row, c.col, OneEntry("1", "音乐", "钱"));
        grid->SetNodeTip(c.row, c.col, "王老师该节有课");
        MoveMouse(grid, grid->GetNodeRect(c.row, c.col).CenterPoint());
        EXPECT_TRUE(tip.isVisible()) << c.style;
        EXPECT_EQ(tip.GetText(), "王老师该节有课");
        MoveMouse(grid, grid->GetNodeRect(0, 0).CenterPoint());
        EXPECT_FALSE(tip.isVisible()) << c.style;
        MoveMouse(grid, grid->GetNodeRect(c.row, c.col).CenterPoint());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(grid, &leave);
        EXPECT_FALSE(tip.isVisible());
    }
    zem::gui::SetCursorPosHook(previousCursor);
}

TEST_F(SchoolGrid, ATextCutShortShowsWholeInTheTipUnlessTheHostSetOne)
{
    auto previousCursor = zem::gui::SetCursorPosHook([] { return Point{100, 100}; });
    Days();
    grid->AddRow("高一(1)班");
    const std::string whole = OneEntry("1", "信息技术", "孔娴雪，任云(计算机房1)");
    grid->SetNodeText(0, 0, whole);
    grid->SetNodeText(0, 1, OneEntry("1", "语文", "王"));
    Layout(CSchoolTable::STYLE_HORZ, 1000, 300);  // 23-pixel columns
    grid->grab();
    const CTableTipWnd& tip = grid->GetTipWnd();
    MoveMouse(grid, grid->GetNodeRect(0, 0).CenterPoint());
    EXPECT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.GetText(), "信息技术\n孔娴雪，任云(计算机房1)");
    MoveMouse(grid, grid->GetNodeRect(0, 1).CenterPoint());  // shown whole: no tip
    EXPECT_FALSE(tip.isVisible());
    grid->SetNodeTip(0, 0, "张老师该节有课");
    MoveMouse(grid, grid->GetNodeRect(0, 0).CenterPoint());
    EXPECT_EQ(tip.GetText(), "张老师该节有课");
    zem::gui::SetCursorPosHook(previousCursor);
}

// ---- scrolling

TEST_F(SchoolGrid, KeysScrollTheBarOfTheLayout)
{
    Days();
    for (int i = 0; i < 40; ++i) {
        grid->AddRow("班" + std::to_string(i + 1));
        grid->AddCol("班" + std::to_string(i + 1));
    }
    // Horizontal: lines scroll up and down; left and right do nothing.
    Layout(CSchoolTable::STYLE_HORZ, 1000, 452);
    const int max = 40 * 24 - 400;
    const int page = std::max(max / 5, 30);
    struct Step {
        unsigned key;
        int expected;
    };
    const Step horz[] = {{VK_DOWN, 5}, {VK_DOWN, 10}, {VK_UP, 5}, {VK_NEXT, 5 + page}, {VK_LEFT, 5 + page},
                         {VK_RIGHT, 5 + page}, {VK_PRIOR, 5}, {VK_PRIOR, 0}, {VK_UP, 0}, {0x41, 0}};
    for (const Step& s : horz) {
        grid->OnScrollKeyDown(s.key);
        EXPECT_EQ(grid->GetVertScrollPos(), s.expected) << s.key;
    }
    for (int i = 0; i < 10; ++i)
        grid->OnScrollKeyDown(VK_NEXT);
    EXPECT_EQ(grid->GetVertScrollPos(), max);
    EXPECT_EQ(grid->GetHorzScrollPos(), 0);

    // Vertical and cross: columns scroll sideways; up and down do nothing.
    grid->SetCellWidth(60);
    for (const CSchoolTable::STYLE style : {CSchoolTable::STYLE_VERT, CSchoolTable::STYLE_CROSS}) {
        Layout(style, 800, 600);
        ASSERT_TRUE(grid->IsBarNeeded());
        grid->OnHScroll(SB_THUMBPOSITION, 0);
        grid->OnScrollKeyDown(VK_RIGHT);
        grid->OnScrollKeyDown(VK_DOWN);
        EXPECT_EQ(grid->GetHorzScrollPos(), 5) << style;
        grid->OnScrollKeyDown(VK_NEXT);
        const int hMax = grid->GetHorzBar()->maximum();
        EXPECT_EQ(grid->GetHorzScrollPos(), 5 + std::max(hMax / 5, 30)) << style;
        grid->OnScrollKeyDown(VK_LEFT);
        EXPECT_EQ(grid->GetHorzScrollPos(), std::max(hMax / 5, 30)) << style;
    }

    // Without a bar the arrow keys do nothing, the page keys still clamp at the ends.
    Layout(CSchoolTable::STYLE_VERT, 52 + 40 * 60, 600);
    ASSERT_FALSE(grid->IsBarNeeded());
    grid->OnScrollKeyDown(VK_RIGHT);
    grid->OnScrollKeyDown(VK_NEXT);
    EXPECT_EQ(grid->GetHorzScrollPos(), 0);
}

TEST_F(SchoolGrid, WheelScrollsFiveLinesOfFivePixelsANotch)
{
    Days();
    for (int i = 0; i < 40; ++i) {
        grid->AddRow("班" + std::to_string(i + 1));
        grid->AddCol("班" + std::to_string(i + 1));
    }
    const auto wheel = [&](int delta) {
        const QPointF at(300, 300);
        QWheelEvent event(at, grid->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid, &event);
    };
    Layout(CSchoolTable::STYLE_HORZ, 1000, 452);
    wheel(-120);
    EXPECT_EQ(grid->GetVertScrollPos(), 25);
    wheel(-60);  // half a notch waits for the other half
    EXPECT_EQ(grid->GetVertScrollPos(), 25);
    wheel(-60);
    EXPECT_EQ(grid->GetVertScrollPos(), 50);
    wheel(240);
    EXPECT_EQ(grid->GetVertScrollPos(), 0);

    // The other layouts wheel their horizontal bar, never past its end.
    grid->SetCellWidth(60);
    for (const CSchoolTable::STYLE style : {CSchoolTable::STYLE_VERT, CSchoolTable::STYLE_CROSS}) {
        Layout(style, 800, 600);
        grid->OnHScroll(SB_THUMBPOSITION, 0);
        wheel(-120);
        EXPECT_EQ(grid->GetHorzScrollPos(), 25) << style;
        wheel(-120 * 1000);
        EXPECT_EQ(grid->GetHorzScrollPos(), grid->GetHorzBar()->maximum()) << style;
        EXPECT_EQ(grid->GetHorzBar()->maximum(), grid->GetHorzBar()->value());
        EXPECT_GT(grid->GetHorzScrollPos(), 0);
    }
}

TEST_F(SchoolGrid, ScrollBarArrowsStepByTheGridsLine)
{
    Days();
    for (int i = 0; i < 40; ++i)
        grid->AddRow("班" + std::to_string(i + 1));
    Layout(CSchoolTable::STYLE_HORZ, 1000, 452);
    QScrollBar* bar = grid->GetVertBar();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(grid->GetVertScrollPos(), 5);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(grid->GetVertScrollPos(), 5 + std::max((40 * 24 - 400) / 5, 30));
    bar->setSliderPosition(77);
    EXPECT_EQ(grid->GetVertScrollPos(), 77);
    EXPECT_EQ(grid->GetNodeRect(0, 0).top, 52 - 77);
}

// ---- texts and drawing

TEST(SchoolGridText, DayNamesAreWrittenTwoBytesALine)
{
    struct Case {
        const char* name;
        const char* stacked;
    };
    const Case cases[] = {
        {"星期一", "星\n期\n一"}, {"Mon", "Mo\nn"},     {"周1", "周\n1"},
        {"1周", "1\n周"},         {"A周B", "A\n周\nB"}, {"12", "12"},
        {"瑋", "瑋"},             {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CSchoolLayoutVert::StackDayName(c.name), c.stacked) << c.name;
}

TEST(PreparedText, DrawsWhatDrawTextDraws)
{
    using namespace zem::gui;
    const Font fonts[] = {Font::FromPoints(90, "微软雅黑"), Font::FromPoints(70, "微软雅黑")};
    const char* texts[] = {"语文", "王玥", "Math", "高一(1)班", "物理化学生物地理", "音乐 美术", "A\nB", "j", ""};
    const unsigned formats[] = {
        DT_CENTER | DT_VCENTER | DT_SINGLELINE,        DT_RIGHT | DT_BOTTOM | DT_SINGLELINE,
        DT_LEFT | DT_TOP | DT_SINGLELINE,              DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL,
        DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP,
    };
    const Rect rects[] = {Rect(10, 10, 70, 40), Rect(10, 10, 30, 22), Rect(0, 0, 12, 8)};
    for (const Font& font : fonts) {
        for (const char* text : texts) {
            for (unsigned format : formats) {
                for (const Rect& rect : rects) {
                    QImage expected(100, 60, QImage::Format_RGB32), actual(100, 60, QImage::Format_RGB32);
                    expected.fill(Qt::white);
                    actual.fill(Qt::white);
                    {
                        DC dc(&expected);
                        dc.SelectFont(font);
                        dc.SetTextColor(kRed);
                        Rect moved = rect;
                        moved.OffsetRect(7, 3);
                        dc.DrawText(text, moved, format);
                    }
                    {
                        DC dc(&actual);
                        dc.SelectFont(font);
                        PreparedText prepared;
                        prepared.Prepare(dc, text, rect, format);
                        prepared.Draw(dc, 7, 3, kRed);
                    }
                    EXPECT_TRUE(actual == expected) << text << " format " << format << " in " << rect.Width() << "x"
                                                    << rect.Height();
                }
            }
        }
    }

    // Texts on one line are shaped once; what breaks or trims is left to DrawText.
    QImage image(10, 10, QImage::Format_RGB32);
    DC dc(&image);
    dc.SelectFont(fonts[0]);
    struct Case {
        const char* text;
        unsigned format;
        bool shaped;
    };
    for (const Case& c : {Case{"语文", formats[0], true}, Case{"语文", formats[3], true},
                          Case{"物理化学生物地理", formats[0], true}, Case{"物理化学生物地理", formats[3], false},
                          Case{"音乐 美术", formats[0], false}}) {
        PreparedText prepared;
        prepared.Prepare(dc, c.text, rects[0], c.format);
        EXPECT_EQ(prepared.IsShaped(), c.shaped) << c.text << " " << c.format;
    }
}

TEST_F(SchoolGrid, OneEntryTextSitsBesideOrAboveItsSecondaryText)
{
    Days(1);
    grid->AddRow("高一(1)班");
    grid->AddCol("高一(1)班");
    grid->SetNodeText(0, 0, OneEntry("1", "语文", "王玥"));
    grid->SetCellWidth(120);
    grid->SetCellHeight(60);
    struct Case {
        CSchoolTable::STYLE style;
        bool sideBySide;
    };
    for (const Case& c : {Case{CSchoolTable::STYLE_HORZ, false}, Case{CSchoolTable::STYLE_VERT, true},
                          Case{CSchoolTable::STYLE_CROSS, false}}) {
        Layout(c.style, 780, 520);
        const QImage image = Render();
        const Rect cell = grid->GetNodeRect(0, 0);
        const Rect main = BoundsOfColor(image, cell, kBlack);
        const Rect secondary = BoundsOfColor(image, cell, kRed);
        ASSERT_FALSE(main.IsRectEmpty()) << c.style;
        ASSERT_FALSE(secondary.IsRectEmpty()) << c.style;
        const Point mid = cell.CenterPoint();
        if (c.sideBySide) {
            EXPECT_LE(main.right, mid.x + 1) << c.style;
            EXPECT_GE(secondary.left, mid.x) << c.style;
        } else {
            EXPECT_LE(main.bottom, mid.y + 1) << c.style;
            EXPECT_GE(secondary.top, mid.y - 1) << c.style;
        }
    }
}

TEST_F(SchoolGridClicks, PickFillsFriendsAndDimsTheOtherLines)
{
    const CTableTheme& theme = CTableTheme::Instance();
    grid->SetCellWidth(80);
    struct Case {
        CSchoolTable::STYLE style;
        int pickRow, pickCol, friendRow, friendCol, otherRow, otherCol;
    };
    for (const Case& c : {Case{CSchoolTable::STYLE_HORZ, 1, 2, 1, 5, 2, 2},
                          Case{CSchoolTable::STYLE_VERT, 2, 1, 5, 1, 2, 2}}) {
        Layout(c.style, 900, 800);
        Click(c.pickRow, c.pickCol);
        const QImage image = Render();
        // Fills leave the cell's edge; texts keep 2 pixels off it.
        const auto inner = [&](int row, int col) {
            Rect r = grid->GetNodeRect(row, col);
            r.DeflateRect(1);
            return r;
        };
        const Rect picked = inner(c.pickRow, c.pickCol), friendCell = inner(c.friendRow, c.friendCol);
        EXPECT_EQ(PixelAt(image, picked.left, picked.bottom - 1), theme.GetPickedColor()) << c.style;
        EXPECT_EQ(PixelAt(image, friendCell.left, friendCell.bottom - 1), theme.GetFriendColor()) << c.style;
        // The empty friend (period 6) is marked too.
        const Rect empty = c.style == CSchoolTable::STYLE_HORZ ? inner(c.pickRow, 6) : inner(6, c.pickCol);
        EXPECT_EQ(PixelAt(image, empty.left, empty.bottom - 1), theme.GetFriendColor()) << c.style;
        // Cells of other lines keep their band and show their texts grey.
        EXPECT_GT(CountColor(image, inner(c.otherRow, c.otherCol), kDimmed), 10) << c.style;
        EXPECT_EQ(CountColor(image, inner(c.otherRow, c.otherCol), kBlack), 0) << c.style;
        EXPECT_GT(CountColor(image, picked, kBlack), 10) << c.style;
        grid->SetAllCellNormal();
        const QImage normal = Render();
        EXPECT_NE(PixelAt(normal, picked.left, picked.bottom - 1), theme.GetPickedColor()) << c.style;
        EXPECT_GT(CountColor(normal, inner(c.otherRow, c.otherCol), kBlack), 10) << c.style;
    }
}

TEST_F(SchoolGrid, DegenerateSizesDrawAndClickWithoutFault)
{
    // A line height of 0, a vertical layout without a column width, a cross layout without
    // periods, a window smaller than its margins.
    Days();
    grid->AddRow("高一(1)班");
    grid->AddCol("高一(1)班");
    grid->SetNodeText(0, 0, OneEntry("1", "语文", "王"));
    struct Case {
        CSchoolTable::STYLE style;
        int cellHeight, cellWidth, w, h;
        bool noPeriods;
    };
    const Case cases[] = {
        {CSchoolTable::STYLE_HORZ, 0, 0, 800, 400, false},  {CSchoolTable::STYLE_HORZ, -5, 0, 800, 400, false},
        {CSchoolTable::STYLE_VERT, 24, 0, 800, 400, false}, {CSchoolTable::STYLE_VERT, 24, 60, 30, 20, false},
        {CSchoolTable::STYLE_CROSS, 24, 0, 20, 10, false},  {CSchoolTable::STYLE_CROSS, 24, 0, 800, 400, true},
        {CSchoolTable::STYLE_HORZ, 24, 0, 40, 30, true},
    };
    for (const Case& c : cases) {
        if (c.noPeriods)
            grid->SetSections(0, 0, 0, 0, 0);
        grid->SetCellHeight(c.cellHeight);
        grid->SetCellWidth(c.cellWidth);
        Layout(c.style, c.w, c.h);
        Render();
        grid->grab();
        for (Point p : {Point{c.w / 2, c.h / 2}, Point{c.w - 1, c.h - 1}}) {
            Press(grid, p);
            MoveMouse(grid, p);
        }
        grid->OnScrollKeyDown(VK_NEXT);
        grid->OnScrollKeyDown(VK_RIGHT);
        grid->SetSections(4, 3, 1, 1, 2);
    }
}

// ---- a real school, for a person to look at

TEST_F(SchoolGrid, RealSchoolRendersInEveryLayout)
{
    grid->SetDays(kFiveDays);
    grid->SetSections(4, 3, 0, 1, 2);
    grid->SetShowSS(true);
    const char* subjects[] = {"语文", "数学", "英语", "物理", "化学", "生物", "历史", "地理", "政治", "体育"};
    const char* teachers[] = {"王玥", "李堃", "张喆", "陈瑋", "刘琝", "赵敏", "孙浩", "周婷", "吴磊", "郑强"};
    const char* grades[] = {"高一", "高二", "高三"};
    const int dayNodes = grid->GetDayNodes();

    const auto fill = [&](bool objectsAreRows) {
        grid->Clear();
        for (int c = 0; c < 36; ++c) {
            const std::string title = zem::JoinCellRecord({grades[c / 12], "(" + std::to_string(c % 12 + 1) + ")班"});
            objectsAreRows ? grid->AddRow(title) : grid->AddCol(title);
            for (int day = 0; day < 5; ++day) {
                for (int p = 0; p < dayNodes; ++p) {
                    const int k = (c * 7 + day * 3 + p) % 10;
                    std::string text;
                    if (p == 0)
                        text = OneEntry("1", day % 2 ? "英语" : "语文", "");
                    else if (p >= dayNodes - 2)
                        text = OneEntry("1", "自习", "");
                    else if ((c + day + p) % 17 == 0)
                        text = TwoEntries("音乐", "钱", "美术", "冯");
                    else if ((c + day * 2 + p) % 13 == 0)
                        continue;  // a free period
                    else
                        text = OneEntry("1", subjects[k], teachers[k]);
                    const int period = day * dayNodes + p;
                    objectsAreRows ? grid->SetNodeText(c, period, text) : grid->SetNodeText(period, c, text);
                }
            }
        }
    };
    struct Case {
        CSchoolTable::STYLE style;
        const char* file;
        int w, h;
    };
    for (const Case& c : {Case{CSchoolTable::STYLE_HORZ, "school_grid_horizontal.png", 1600, 900},
                          Case{CSchoolTable::STYLE_VERT, "school_grid_vertical.png", 1600, 900},
                          Case{CSchoolTable::STYLE_CROSS, "school_grid_cross.png", 1600, 900}}) {
        fill(c.style == CSchoolTable::STYLE_HORZ);
        grid->SetCellHeight(52);
        grid->SetCellWidth(160);
        Layout(c.style, c.w, c.h);
        // A pick with its friends, as the user sees it while moving a lesson.
        if (c.style != CSchoolTable::STYLE_CROSS) {
            const bool horz = c.style == CSchoolTable::STYLE_HORZ;
            Click(horz ? 2 : 12, horz ? 12 : 2);
            const int friends[] = {3, 14, 25};
            grid->SetFriendCells(3, friends);
        }
        const QImage image = grid->grab().toImage();
        const std::string path = SavePicture(image, c.file);
        EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(c.w, c.h));
        grid->SetAllCellNormal();
    }
}

}  // namespace
