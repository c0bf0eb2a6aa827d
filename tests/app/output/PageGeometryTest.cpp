// The geometry of week-table pages for a device of a resolution: the paper and content
// rectangles, the slots of the six arrangements, and the row metrics that must always leave each
// table inside its slot.
#include "app/output/PageLayout.h"
#include "base/SchoolStructure.h"

#include <QImage>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace {

using zem::Rect;

constexpr double kPxPerMmAt600 = 600 * 0.03937007933143675;

// An image stands in for a device: its resolution is all the geometry reads of it.
QImage Device(int dpi)
{
    QImage image(1, 1, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

// Five days; sections of the forenoon, afternoon, night, morning reading and evening self-study.
CSchoolStructure Week(std::array<int, 5> sections)
{
    CSchoolStructure week;
    for (int day = 0; day < zem::kDayCount; ++day)
        week.SetWeekDay(day, day < 5);
    for (int segment = 0; segment < 5; ++segment)
        week.SetSectionNodeMaxCount(segment, sections[static_cast<std::size_t>(segment)], true);
    week.RefreshData();
    return week;
}

int Mm(double mm)
{
    return static_cast<int>(mm * kPxPerMmAt600);
}

// What holds for every layout and week: no metric below a pixel, the grid made of its rows, and
// every part of the table inside its slot.
void ExpectTablesInsideSlots(const CWeekTablePageLayout& l, const CSchoolStructure& week)
{
    for (const int metric : {l.titleHeight, l.headerHeight, l.bannerHeight, l.infoHeight, l.spacing, l.rowHeight,
                             l.gridHeight, l.periodColumnWidth, l.dayColumnWidth})
        EXPECT_GE(metric, 1);
    const int rows = week.GetDayNodeCount();
    if (rows > 0) {
        EXPECT_EQ(l.gridHeight, l.headerHeight + l.CountBreakRows(week) * l.bannerHeight + rows * l.rowHeight);
    }
    for (int i = 0; i < l.GetTablesPerPage(); ++i) {
        const Rect slot = l.GetTableRect(i);
        EXPECT_LE(l.gridOffset + l.gridHeight + l.spacing + l.infoHeight, slot.Height()) << "slot " << i;
        EXPECT_LE(l.sectionColumnWidth + l.periodColumnWidth + week.GetWeekDayCount() * l.dayColumnWidth,
                  slot.Width() + 1)
            << "slot " << i;
    }
}

struct MetricsCase {
    std::string name;
    int paper;
    int tableLayout;
    std::array<int, 5> sections;
    std::function<void(CWeekTablePageLayout&)> setUp;
    bool temporary;
    std::function<void(const CWeekTablePageLayout&, const CSchoolStructure&)> check;
};

TEST(PageGeometry, MetricsFollowTheLayoutAndTheWeekAndKeepEachTableInItsSlot)
{
    const auto none = [](CWeekTablePageLayout&) {};
    const std::vector<MetricsCase> cases = {
        {"A4 landscape, one table", 1, 0, {4, 3, 0, 0, 0}, [](CWeekTablePageLayout& l) { l.CellHeightInSingleMode = 0; },
         false,
         [](const CWeekTablePageLayout& l, const CSchoolStructure&) {
             EXPECT_NEAR(l.pxPerMmX, 23.622, 0.001);
             EXPECT_EQ(l.paperRect, Rect(0, 0, 7015, 4960));
             EXPECT_EQ(l.contentRect, Rect(354, 354, 6661, 4606));
             EXPECT_EQ(l.GetTableRect(0), l.contentRect);
             EXPECT_EQ(l.GetTableRect(1), Rect());
             EXPECT_EQ(l.titleHeight, Mm(12));
             EXPECT_EQ(l.headerHeight, Mm(8));
             EXPECT_EQ(l.bannerHeight, std::min((4606 - 354) / 30, Mm(6)));
             EXPECT_EQ(l.gridOffset, Mm(3) + Mm(12));
         }},
        {"a two-line title raises its band by half", 1, 0, {4, 3, 0, 0, 0},
         [](CWeekTablePageLayout& l) { l.TitleFormat = "%SCHOOL%\r\n%NAME%"; }, false,
         [](const CWeekTablePageLayout& l, const CSchoolStructure&) {
             EXPECT_EQ(l.titleHeight, static_cast<int>(Mm(12) * 1.5));
         }},
        {"the temporary title decides for a temporary job", 1, 1, {4, 3, 0, 0, 0},
         [](CWeekTablePageLayout& l) {
             l.TitleFormat = "%SCHOOL%\r\n%NAME%";
             l.TempTitleFormat = "%NAME%临时课表";
         },
         true, [](const CWeekTablePageLayout& l, const CSchoolStructure&) { EXPECT_EQ(l.titleHeight, Mm(8)); }},
        {"a line feed first raises nothing", 1, 0, {4, 3, 0, 0, 0},
         [](CWeekTablePageLayout& l) { l.TitleFormat = "\n%NAME%"; }, false,
         [](const CWeekTablePageLayout& l, const CSchoolStructure&) { EXPECT_EQ(l.titleHeight, Mm(12)); }},
        {"one table a page caps the rows and lifts the slot's bottom", 1, 0, {4, 3, 0, 0, 0},
         [](CWeekTablePageLayout& l) { l.CellHeightInSingleMode = 10; }, false,
         [](const CWeekTablePageLayout& l, const CSchoolStructure&) {
             EXPECT_EQ(l.rowHeight, Mm(10));
             const int free = (4606 - 354) - 2 * Mm(3) - 1 * l.bannerHeight - Mm(6) - Mm(8) - Mm(12);
             EXPECT_EQ(l.GetTableRect(0).bottom, 4606 - 7 * (free / 7 - Mm(10)));
         }},
        {"the cap holds only with one table a page", 1, 1, {4, 3, 0, 0, 0},
         [](CWeekTablePageLayout& l) { l.CellHeightInSingleMode = 10; }, false,
         [](const CWeekTablePageLayout& l, const CSchoolStructure&) {
             EXPECT_GT(l.rowHeight, Mm(10));
             EXPECT_EQ(l.GetTableRect(0).bottom, l.contentRect.bottom);
         }},
        {"a custom row after a fourth forenoon period of three is no break row", 1, 0, {3, 3, 0, 0, 0},
         [](CWeekTablePageLayout& l) {
             l.blankLines[2] = BlankLine{1, 0, 3, 1, "课间操"};
             l.blankLines[3].segment = -1;
         },
         false, [](const CWeekTablePageLayout& l, const CSchoolStructure& week) { EXPECT_EQ(l.CountBreakRows(week), 1); }},
        {"with four forenoon periods it is one", 1, 0, {4, 3, 0, 0, 0},
         [](CWeekTablePageLayout& l) {
             l.blankLines[2] = BlankLine{1, 0, 3, 1, "课间操"};
             l.blankLines[3].segment = -1;
         },
         false, [](const CWeekTablePageLayout& l, const CSchoolStructure& week) { EXPECT_EQ(l.CountBreakRows(week), 2); }},
        {"evening self-study without night periods gets the evening break", 1, 0, {4, 3, 0, 1, 2}, none, false,
         [](const CWeekTablePageLayout& l, const CSchoolStructure& week) { EXPECT_EQ(l.CountBreakRows(week), 2); }},
        {"a day without periods", 1, 0, {0, 0, 0, 0, 0}, none, false,
         [](const CWeekTablePageLayout& l, const CSchoolStructure& week) {
             EXPECT_EQ(l.rowHeight, Mm(12));
             EXPECT_EQ(l.CountBreakRows(week), 0);
         }},
        {"A5, six tables, fourteen periods", 2, 5, {5, 4, 2, 1, 2}, none, false,
         [](const CWeekTablePageLayout& l, const CSchoolStructure&) {
             EXPECT_EQ(l.paperRect, Rect(0, 0, static_cast<int>(210 * kPxPerMmAt600), static_cast<int>(148 * kPxPerMmAt600)));
         }},
        {"A5 portrait, six tables in two rows, sections shown", 2, 4, {6, 6, 6, 1, 3},
         [](CWeekTablePageLayout& l) {
             l.orientation = 1;
             l.ShowSectionName = true;
         },
         false, [](const CWeekTablePageLayout& l, const CSchoolStructure&) { EXPECT_EQ(l.sectionColumnWidth, Mm(8)); }},
    };
    const QImage device = Device(600);
    for (const MetricsCase& c : cases) {
        SCOPED_TRACE(c.name);
        CWeekTablePageLayout layout;
        layout.paper = c.paper;
        layout.TableLayout = c.tableLayout;
        c.setUp(layout);
        const CSchoolStructure week = Week(c.sections);
        layout.CalcPageRect(&device, c.temporary, &week);
        c.check(layout, week);
        ExpectTablesInsideSlots(layout, week);
    }
}

struct ArrangementCase {
    int tableLayout;
    int rows;
    int columns;
};

TEST(PageGeometry, EachArrangementPutsItsSlotsInReadingOrderWithGapsOnlyBetweenNeighbours)
{
    const std::vector<ArrangementCase> cases = {{0, 1, 1}, {1, 1, 2}, {2, 2, 1}, {3, 2, 2}, {4, 2, 3}, {5, 3, 2}};
    const QImage device = Device(600);
    const CSchoolStructure week = Week({4, 3, 0, 0, 0});
    for (const ArrangementCase& c : cases) {
        SCOPED_TRACE("TableLayout " + std::to_string(c.tableLayout));
        CWeekTablePageLayout layout;
        layout.TableLayout = c.tableLayout;
        // Uncapped rows: the cap of one table a page lifts its slot's bottom.
        layout.CellHeightInSingleMode = 0;
        layout.CalcPageRect(&device, false, &week);
        ASSERT_EQ(layout.GetTablesPerPage(), c.rows * c.columns);
        const Rect content = layout.contentRect;
        const int gx = static_cast<int>(8 * layout.pxPerMmX), gy = static_cast<int>(5 * layout.pxPerMmY);
        for (int row = 0; row < c.rows; ++row) {
            for (int column = 0; column < c.columns; ++column) {
                const Rect slot = layout.GetTableRect(row * c.columns + column);
                if (column == 0) {
                    EXPECT_EQ(slot.left, content.left);
                } else {
                    EXPECT_EQ(slot.left - layout.GetTableRect(row * c.columns + column - 1).right, 2 * gx);
                }
                if (row == 0) {
                    EXPECT_EQ(slot.top, content.top);
                } else {
                    EXPECT_EQ(slot.top - layout.GetTableRect((row - 1) * c.columns + column).bottom, 2 * gy);
                }
                // The last column and row end at the content's edge, short of it only by rounding.
                if (column == c.columns - 1) {
                    EXPECT_LE(content.right - slot.right, 2);
                }
                if (row == c.rows - 1) {
                    EXPECT_LE(content.bottom - slot.bottom, 2);
                }
                EXPECT_GE(content.right, slot.right);
                EXPECT_GE(content.bottom, slot.bottom);
            }
        }
        EXPECT_EQ(layout.GetTableRect(c.rows * c.columns), Rect());
        ExpectTablesInsideSlots(layout, week);
    }
}

}  // namespace
