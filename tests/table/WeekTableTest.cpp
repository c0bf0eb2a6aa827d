#include "support/TableTestSupport.h"
#include "platform/gui/Desktop.h"
#include "table/TableTheme.h"
#include "table/WeekTable.h"

#include <gtest/gtest.h>


using zem::COLORREF;
using zem::Point;
using zem::Rect;
using zem::RGB;

namespace {

class WeekGrid : public ::testing::Test {
protected:
    static constexpr int kW = 600, kH = 400;

    void SetUp() override
    {
        grid.Init(&host);
        grid.setGeometry(0, 0, kW, kH);
        grid.SetWeekDays(5);
    }
    void TearDown() override { grid.SetBlankLine(nullptr); }

    void SetCounts(short forenoon, short afternoon, short night, short morning, short selfStudy)
    {
        grid.SetForenoonNodes(forenoon);
        grid.SetAfternoonNodes(afternoon);
        grid.SetNightNodes(night);
        grid.SetMorningReadingNodes(morning);
        grid.SetNightSelfStudyNodes(selfStudy);
    }

    // The last row also takes the pixels the division of the height among the rows leaves over.
    static int LastRowHeight(int rows, int gaps)
    {
        const int available = kH - 2 - (2 + 26 + 1) - 3 * gaps;
        return available / rows + available % rows;
    }

    // Rectangles of the rows of day 0, top to bottom.
    std::vector<Rect> Rows(const std::vector<std::pair<int, int>>& nodes)
    {
        std::vector<Rect> rows;
        for (auto [segment, section] : nodes)
            rows.push_back(CellRect(grid, {0, segment, section}));
        return rows;
    }

    RecordingHost host;
    CWeekTable grid;
};

TEST_F(WeekGrid, SettersRefuseOutOfRangeValues)
{
    EXPECT_EQ(grid.SetWeekDays(15), -1);
    EXPECT_EQ(grid.SetWeekDays(-1), -1);
    EXPECT_EQ(grid.SetWeekDays(14), 0);
    EXPECT_EQ(grid.SetForenoonNodes(7), -1);
    EXPECT_EQ(grid.SetForenoonNodes(-1), -1);
    EXPECT_EQ(grid.SetNightSelfStudyNodes(6), 0);
    EXPECT_EQ(grid.SetColumnTitle(15, "x"), -1);
    EXPECT_EQ(grid.SetColumnTitle(14, "x"), 0);

    grid.SetWeekDays(5);
    std::string text = "unchanged";
    EXPECT_EQ(grid.SetCellInfo({5, 0, 0}, OneEntry("1", "数学", "")), -1);
    EXPECT_EQ(grid.GetCellInfo({5, 0, 0}, &text), -1);
    EXPECT_EQ(grid.SetCellTag({-1, 0, 0}, CELL_TAG_LOCKED), -1);
    // A node without a cell is ignored, also a section beyond its segment's count, which would
    // otherwise land on the next segment's row.
    EXPECT_EQ(grid.SetCellInfo({4, 0, 4}, OneEntry("1", "数学", "")), 0);
    EXPECT_EQ(grid.GetCellInfo({4, 1, 0}, &text), 0);
    EXPECT_EQ(text, "0");
    EXPECT_EQ(grid.SetCellInfo({4, 2, 0}, OneEntry("1", "数学", "")), 0);
    EXPECT_EQ(grid.GetCell({4, 2, 0}), nullptr);
}

TEST_F(WeekGrid, CellTextComesBackAndAMalformedTextChangesNothing)
{
    const tagTABLE_NODE node{2, 1, 1};
    EXPECT_EQ(grid.SetCellInfo(node, OneEntry("A", "Math", "Li")), 0);
    std::string text;
    EXPECT_EQ(grid.GetCellInfo(node, &text), 0);
    EXPECT_EQ(text, OneEntry("A", "Math", "Li"));
    EXPECT_EQ(grid.SetCellInfo(node, std::string("2\7a\7b\7c")), 0);  // refused, but not reported
    grid.GetCellInfo(node, &text);
    EXPECT_EQ(text, OneEntry("A", "Math", "Li"));

    grid.SetCellTipInfo(node, "tip");
    grid.SetCellTag(node, CELL_TAG_LINKED);
    grid.SetCellFocus(node, true);
    grid.SetCellBkColor(node, RGB(9, 9, 9));
    grid.SetForbidCell(node, true);
    grid.SetAllCellNormal();
    const CCell* cell = grid.GetCell(node);
    EXPECT_EQ(cell->GetState(), CCell::STATE_NORMAL);
    EXPECT_EQ(cell->GetTip(), "");
    EXPECT_EQ(cell->GetTag(), CELL_TAG_LINKED);
    EXPECT_EQ(cell->GetEntryCount(), 1);

    grid.Clear();
    EXPECT_EQ(cell->GetEntryCount(), 0);
    EXPECT_EQ(cell->GetTag(), CELL_TAG_NONE);
    EXPECT_FALSE(cell->HasFocus());
    EXPECT_EQ(cell->GetCustomBkColor(), RGB(9, 9, 9));  // custom backgrounds stay
}

TEST_F(WeekGrid, RowsAreEvenWithAGapBeforeTheAfternoonAndTheEvening)
{
    // Forenoon 4, afternoon 4, night 2: the afternoon and night blocks each start 3 pixels lower.
    SetCounts(4, 4, 2, 0, 0);
    const auto rows = Rows({{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 0}, {2, 1}});
    const int top = 2 + 26 + 1, bottom = kH - 2;
    const int h = (bottom - top - 3 * 2) / 10;
    EXPECT_EQ(rows[0].top, top);
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        EXPECT_EQ(rows[i].Height(), h - 1) << i;  // a one-pixel line stays between rows
        const int gap = (i == 3 || i == 7) ? 3 : 0;
        EXPECT_EQ(rows[i + 1].top, rows[i].bottom + 1 + gap) << i;
    }
    EXPECT_EQ(rows.back().bottom, bottom);

    // The column lies right of the period column and below the title row.
    EXPECT_EQ(rows[0].left, 2 + 22 + 1);
}

TEST_F(WeekGrid, EveningSelfStudyGetsTheEveningGap)
{
    struct Case {
        short afternoon, night, selfStudy;
    };
    // With no afternoon, and also after an afternoon without a night, the self-study block starts
    // 3 pixels lower; one gap only before the evening, as much as the row heights leave room for.
    for (const Case& c : {Case{0, 0, 2}, Case{2, 0, 2}, Case{0, 2, 2}}) {
        SetCounts(4, c.afternoon, c.night, 0, c.selfStudy);
        const Rect lastForenoon = CellRect(grid, {0, 0, 3});
        const Rect firstEvening = CellRect(grid, {0, c.night ? 2 : 4, 0});
        const Rect lastRow = CellRect(grid, {0, 4, 1});
        const int expectedGap = c.afternoon ? 0 : 3;  // checked right after the forenoon only without an afternoon
        if (!c.afternoon) {
            EXPECT_EQ(firstEvening.top, lastForenoon.bottom + 1 + expectedGap) << c.afternoon << c.night;
        } else {
            EXPECT_EQ(firstEvening.top, CellRect(grid, {0, 1, 1}).bottom + 1 + 3);
        }
        if (c.night) {
            EXPECT_EQ(CellRect(grid, {0, 4, 0}).top, CellRect(grid, {0, 2, 1}).bottom + 1);  // no second gap
        }
        const int rows = 4 + c.afternoon + c.night + c.selfStudy, gaps = (c.afternoon ? 1 : 0) + 1;
        EXPECT_EQ(lastRow.Height(), LastRowHeight(rows, gaps)) << c.afternoon << c.night;
    }
}

TEST_F(WeekGrid, BannerRowsLeaveGapsWhereTheyAreEnabledAndInRange)
{
    SetCounts(4, 0, 0, 1, 0);
    const auto plain = Rows({{3, 0}, {0, 0}, {0, 1}, {0, 2}, {0, 3}});
    EXPECT_EQ(plain[1].top, plain[0].bottom + 1);  // morning reading runs straight into the forenoon

    BlankLine lines[5];
    lines[0] = {1, 0, 1, 0, "升旗"};   // before forenoon period 2
    lines[1] = {1, 0, 2, 1, "眼保健操"}; // after forenoon period 3
    lines[2] = {0, 0, 0, 0, "off"};     // disabled
    lines[3] = {1, 0, 5, 0, "beyond"};  // no such row
    lines[4] = {1, -1, 0, 0, ""};       // the end
    grid.SetBlankLine(lines);
    const auto rows = Rows({{3, 0}, {0, 0}, {0, 1}, {0, 2}, {0, 3}});
    const int h = rows[0].Height();
    EXPECT_EQ(h, (kH - 2 - (2 + 26 + 1) - 3 * 2) / 5 - 1);
    EXPECT_EQ(rows[1].top, rows[0].bottom + 1);
    EXPECT_EQ(rows[2].top, rows[1].bottom + 1 + 3);
    EXPECT_EQ(rows[3].top, rows[2].bottom + 1);
    EXPECT_EQ(rows[4].top, rows[3].bottom + 1 + 3);
    EXPECT_EQ(rows[4].bottom, kH - 2);
    EXPECT_EQ(rows[4].Height(), LastRowHeight(5, 2));
}

TEST_F(WeekGrid, LeftColumnFitsThePeriodNames)
{
    grid.SetPeriodNames({"1", "2", "3", "4", "5", "6", "7", "8"});
    EXPECT_EQ(CellRect(grid, {0, 0, 0}).left, 2 + 22 + 1);
    grid.SetPeriodNames({"第一节课（上午八点整开始的一节课，持续四十五分钟）"});
    EXPECT_EQ(CellRect(grid, {0, 0, 0}).left, 2 + 108 + 1);
    grid.SetPeriodNames({"第一节", "第二节"});
    EXPECT_EQ(CellRect(grid, {0, 0, 0}).left, 2 + 36 + 6 + 1);
}

TEST_F(WeekGrid, BufferColumnIsTheLastColumn)
{
    grid.ShowCacheColumn(true);
    EXPECT_EQ(grid.GetColumnCount(), 6);
    EXPECT_EQ(grid.SetCellInfo({5, 0, 0}, OneEntry("1", "数学", "")), 0);
    EXPECT_EQ(CellRect(grid, {5, 0, 0}).right, kW - 2);
    EXPECT_EQ(grid.SetCellInfo({6, 0, 0}, OneEntry("1", "数学", "")), -1);

    CTitleRow titles;
    titles.SetColumns(6, true);
    EXPECT_EQ(titles.DisplayTitle(0), "星期一");
    EXPECT_EQ(titles.DisplayTitle(5), "缓冲节次");
    titles.SetSingleTitle(true);
    EXPECT_EQ(titles.DisplayTitle(0), "一");  // from the fifth byte on
    EXPECT_EQ(titles.DisplayTitle(5), "节次");
    titles.SetTitle(1, "Mo");
    EXPECT_EQ(titles.DisplayTitle(1), "");
}

TEST_F(WeekGrid, RightClickTellsWhichHalfOfTheCell)
{
    const Rect r = CellRect(grid, {3, 1, 1});
    const int centre = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    Press(&grid, {centre, y}, Qt::RightButton);
    Press(&grid, {centre + 1, y}, Qt::RightButton);
    Press(&grid, {r.left, r.top}, Qt::RightButton);
    Press(&grid, {r.left, r.bottom}, Qt::RightButton);  // the line between rows: no cell
    Press(&grid, {5, 5}, Qt::RightButton);              // the corner: no cell
    ASSERT_EQ(host.received.size(), 3u);
    for (const Notification& n : host.received) {
        EXPECT_EQ(n.message, WM_TABLE_CELL_RCLICK);
        EXPECT_TRUE(n.node == (tagTABLE_NODE{3, 1, 1}));
    }
    EXPECT_EQ(host.received[0].lParam, 1);
    EXPECT_EQ(host.received[1].lParam, 2);
    EXPECT_EQ(host.received[2].lParam, 1);
}

TEST_F(WeekGrid, PlainRenderingForPrintKeepsTheWindowsPalette)
{
    const tagTABLE_NODE node{0, 0, 1};
    grid.SetForbidCell(node, true);
    QImage image;
    ASSERT_TRUE(grid.GetBitmap(image, CELL_STYLE_PLAIN, kW, kH));
    EXPECT_EQ(CTableTheme::Instance().GetMode(), 0);
    const Rect r = CellRect(grid, node);
    const COLORREF white = RGB(255, 255, 255);
    EXPECT_EQ(PixelAt(image, r.CenterPoint().x, r.CenterPoint().y), white);
    EXPECT_EQ(PixelAt(image, 10, 10), white);  // the corner
    EXPECT_EQ(PixelAt(image, 0, 0), RGB(242, 242, 242));  // the background captured at construction

    ASSERT_TRUE(grid.GetBitmap(image, CELL_STYLE_COLOR, kW, kH));
    EXPECT_EQ(PixelAt(image, r.CenterPoint().x, r.CenterPoint().y), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(image, 10, 10), RGB(31, 26, 23));
    EXPECT_FALSE(grid.GetBitmap(image, CELL_STYLE_COLOR, 0, 10));
}

TEST_F(WeekGrid, EmptyWeekOrDayDrawsWithoutRowsOrColumns)
{
    QImage image;
    SetCounts(0, 0, 0, 0, 0);
    EXPECT_TRUE(grid.GetBitmap(image, CELL_STYLE_COLOR, kW, kH));
    EXPECT_EQ(grid.SetCellInfo({0, 0, 0}, OneEntry("1", "数学", "")), 0);
    EXPECT_EQ(grid.GetCell({0, 0, 0}), nullptr);
    SetCounts(4, 2, 0, 0, 0);
    grid.SetWeekDays(0);
    EXPECT_TRUE(grid.GetBitmap(image, CELL_STYLE_COLOR, kW, kH));
    EXPECT_EQ(PixelAt(image, kW / 2, kH / 2), RGB(242, 242, 242));
    Press(&grid, {kW / 2, kH / 2}, Qt::RightButton);
    EXPECT_TRUE(host.received.empty());
}

TEST_F(WeekGrid, TextsAndPeriodNamesCutShortShowWholeInTheTip)
{
    auto previousCursor = zem::gui::SetCursorPosHook([] { return Point{100, 100}; });
    SetCounts(4, 2, 0, 0, 0);
    grid.SetPeriodNames({"第1节\r\n08:00-08:45\r\n(早操后)", "2"});
    grid.SetLeftColumnWidth(60);
    grid.SetCellInfo({0, 0, 0}, OneEntry("1", "合班高一1|高一2，合班高二9|高二10，合班高三6|高三7", "杜英英(体育)"));
    grid.SetCellInfo({0, 0, 1}, OneEntry("1", "语文", "王"));
    grid.resize(420, 200);
    grid.grab();
    const CTableTipWnd& tip = grid.GetTipWnd();
    const auto hover = [&](Point at) {
        MoveMouse(&grid, at);
        return tip.isVisible() ? tip.GetText() : std::string("<hidden>");
    };
    EXPECT_EQ(hover(CellCentre(grid, {0, 0, 0})), "合班高一1|高一2，合班高二9|高二10，合班高三6|高三7\n杜英英(体育)");
    EXPECT_EQ(hover(CellCentre(grid, {0, 0, 1})), "<hidden>");
    EXPECT_EQ(hover(grid.GetPeriodColumn().GetRowRect(0).CenterPoint()), "第1节\r\n08:00-08:45\r\n(早操后)");
    EXPECT_EQ(hover(grid.GetPeriodColumn().GetRowRect(1).CenterPoint()), "<hidden>");
    grid.SetCellTipInfo({0, 0, 0}, "体育课");
    EXPECT_EQ(hover(CellCentre(grid, {0, 0, 0})), "体育课");
    zem::gui::SetCursorPosHook(previousCursor);
}

// A class timetable as a school would see it, written out for a person to look at.
TEST_F(WeekGrid, RealClassTimetableRendersToAPicture)
{
    SetCounts(4, 3, 0, 1, 2);
    grid.SetPeriodNames({"早读", "第一节", "第二节", "第三节", "第四节", "第五节", "第六节", "第七节", "晚自习一",
                         "晚自习二"});
    BlankLine lines[2];
    lines[0] = {1, 0, 1, 1, "课间操"};
    lines[1] = {1, -1, 0, 0, ""};
    grid.SetBlankLine(lines);

    const char* subjects[] = {"语文", "数学", "英语", "物理", "化学", "生物", "历史", "地理", "政治", "体育"};
    const char* teachers[] = {"王玥", "李堃", "张喆", "陈瑋", "刘琝", "赵敏", "孙浩", "周婷", "吴磊", "郑强"};
    int k = 0;
    for (int day = 0; day < 5; ++day) {
        for (int section = 0; section < 4; ++section, ++k)
            grid.SetCellInfo({day, 0, section}, OneEntry("1", subjects[k % 10], teachers[k % 10]));
        for (int section = 0; section < 3; ++section, ++k)
            grid.SetCellInfo({day, 1, section}, OneEntry("1", subjects[(k * 3) % 10], teachers[(k * 3) % 10]));
        grid.SetCellInfo({day, 3, 0}, OneEntry("1", day % 2 ? "英语早读" : "语文早读", ""));
        grid.SetCellInfo({day, 4, 0}, OneEntry("1", "晚自习", "班主任"));
    }
    grid.SetCellInfo({2, 1, 2}, TwoEntries("音乐", "钱老师", "美术", "冯老师"));
    grid.SetCellTag({0, 0, 0}, CELL_TAG_LOCKED);
    grid.SetCellTag({3, 1, 0}, CELL_TAG_LINKED);
    grid.SetCellTag({4, 1, 2}, CELL_TAG_DISABLED);
    grid.SetForbidCell({4, 1, 2}, true);
    grid.SetCellFocus({1, 0, 1}, true);

    QImage image;
    ASSERT_TRUE(grid.GetBitmap(image, CELL_STYLE_COLOR, 760, 560));
    const std::string path = SavePicture(image, "week_grid.png");
    EXPECT_TRUE(QImage(QString::fromStdString(path)) == image);
}

// A column too narrow for a weekday's spaced-out name shows the whole name unspaced, its ends uncut.
TEST(TitleRow, ANameTooWideToSpaceOutIsDrawnWholeInsideItsColumn)
{
    const zem::gui::Font font;
    CTitleRow titles;
    titles.SetColumns(5, false);
    titles.SetFonts(&font, &font);
    const int width = 5 * (font.TextWidth("星期一") + 3);
    titles.SetRect(Rect(0, 0, width, 30));
    titles.Layout();
    QImage image(width, 30, QImage::Format_RGB32);
    {
        zem::gui::DC dc(&image);
        titles.Draw(dc);
    }
    const COLORREF background = CTableTheme::Instance().GetTitleBkColor();
    const auto inked = [&](int x) {
        for (int y = 0; y < 30; ++y)
            if (PixelAt(image, x, y) != background)
                return true;
        return false;
    };
    for (int i = 0; i < 5; ++i) {
        const Rect r = titles.GetTitleRect(i);
        EXPECT_FALSE(inked(r.left)) << i;
        EXPECT_FALSE(inked(r.right - 1)) << i;
        EXPECT_TRUE(inked((r.left + r.right) / 2)) << i;
    }
}

}  // namespace
