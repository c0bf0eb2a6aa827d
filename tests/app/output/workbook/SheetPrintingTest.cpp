// Rows grown to the lines of their cells before a sheet prints, and the page setup a sheet's shape
// gets: the paper's way round, fitting, repeated heading rows and page breaks.
#include "app/output/workbook/SheetPrinting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace zem::workbook;

struct RowCase {
    std::string what;
    std::function<void(Worksheet&)> write;
    int row;
    double low, high;  // the height the row ends with lies between them
};

TEST(SheetPrinting, RowsGrowToTheLinesOfTheirCells)
{
    const std::vector<RowCase> cases = {
        {"a 12-point row with a lesson's two lines",
         [](Worksheet& s) {
             s.GetRange("A1").SetValue("数学\n李堃");
             s.GetRange("A1").Font().SetSize(12);
             s.GetRange("A1").Characters(4, 2).SetSize(9);
             s.GetRange("A1").SetRowHeight(12);
         },
         1, 25, 30},
        {"one line at the default height stays as it is",
         [](Worksheet& s) { s.GetRange("A1").SetValue("语文"); }, 1, 15, 15},
        {"a tall row never shrinks",
         [](Worksheet& s) {
             s.GetRange("A1").SetValue("语文");
             s.GetRange("A1").SetRowHeight(40);
         },
         1, 40, 40},
        {"wrapped text in a narrow column takes a line for each piece",
         [](Worksheet& s) {
             s.GetRange("A1").SetWrapText(true);
             s.GetRange("A1").SetColumnWidth(4);
             s.GetRange("A1").SetValue("高一年级实验班");
         },
         1, 50, 80},
        {"a merged area over two rows shares what it lacks",
         [](Worksheet& s) {
             s.GetRange("A1", "A2").Merge();
             s.GetRange("A1").SetValue("一\n二\n三\n四");
             s.GetRange("A1", "A2").SetRowHeight(10);
         },
         2, 26, 32},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.what);
        Workbook book;
        Worksheet& sheet = book.GetSheet(1);
        c.write(sheet);
        FitRowsToText(sheet);
        EXPECT_GE(RowHeight(sheet, c.row), c.low);
        EXPECT_LE(RowHeight(sheet, c.row), c.high);
    }
}

TEST(SheetPrinting, TheShapeChoosesTheSetup)
{
    // A wide sheet prints landscape, one page wide, its heading on every page.
    Workbook book;
    Worksheet& wide = book.GetSheet(1);
    wide.GetRange("A1", "AJ1").SetColumnWidth(4);
    wide.GetRange("AJ40").SetValue("末");
    SetUpPrinting(wide, PrintShape::Heading(1, 2));
    const PageSetup& a = wide.GetPageSetup();
    EXPECT_TRUE(a.landscape);
    EXPECT_EQ(a.fitWide, 1);
    EXPECT_EQ(a.fitTall, 0);
    EXPECT_EQ(a.repeatFirstRow, 1);
    EXPECT_EQ(a.repeatLastRow, 2);
    EXPECT_EQ(a.printArea, (Area{1, 1, 40, 36}));

    // Groups of tables down one sheet: a page each, from a scale that keeps the breaks.
    book.AddSheets(1);
    Worksheet& groups = book.GetSheet(2);
    groups.GetRange("A1", "A60").SetRowHeight(20);
    groups.GetRange("F60").SetValue("末");
    PrintShape shape;
    shape.pageStarts = {21, 41};
    SetUpPrinting(groups, shape);
    const PageSetup& b = groups.GetPageSetup();
    EXPECT_FALSE(b.landscape);
    EXPECT_EQ(b.fitWide, 0);
    EXPECT_GT(b.scale, 0);
    EXPECT_EQ(b.pageBreaks, (std::vector<int>{21, 41}));
}

// A sheet too wide for a page at a legible size (9-point text on 200 columns) goes on over pages
// across at two thirds of its size or more, its label column on each page, a row of pages at a
// time; without label columns it is scaled to one page wide as before.
TEST(SheetPrinting, ASheetTooWideForALegiblePagePrintsOverPagesAcross)
{
    for (const bool labels : {true, false}) {
        SCOPED_TRACE(labels);
        Workbook book;
        Worksheet& sheet = book.GetSheet(1);
        sheet.Cells().Font().SetSize(9);
        sheet.GetRange("A1", "GR1").SetColumnWidth(6);
        sheet.GetRange("GR20").SetValue("末");
        PrintShape shape;
        shape.pageStarts = {11};
        shape.titleFirstColumn = labels ? 1 : 0;
        shape.titleLastColumn = labels ? 1 : 0;
        shape.heading = {"", "总表", ""};
        SetUpPrinting(sheet, shape);
        const PageSetup& setup = sheet.GetPageSetup();
        EXPECT_EQ(setup.header, "&C&\"-,Bold\"&14 总表");
        EXPECT_EQ(setup.pageBreaks, (std::vector<int>{11}));
        EXPECT_EQ(setup.fitWide, 0);
        if (labels) {
            EXPECT_GE(setup.scale * 9, 600);
            EXPECT_LE(setup.scale, 100);
            EXPECT_EQ(setup.repeatFirstColumn, 1);
            EXPECT_EQ(setup.repeatLastColumn, 1);
            EXPECT_TRUE(setup.acrossFirst);
        } else {
            EXPECT_LT(setup.scale, 20);
            EXPECT_EQ(setup.repeatFirstColumn, 0);
            EXPECT_FALSE(setup.acrossFirst);
        }
    }
}

// A sheet printed over pages across shares its columns out evenly, whatever their number: no
// page across holds less than half of what the widest holds (filled greedily, the last held a
// column or two).
TEST(SheetPrinting, PagesAcrossShareTheColumnsEvenly)
{
    for (int columns = 100; columns <= 160; ++columns) {
        SCOPED_TRACE(columns);
        Workbook book;
        Worksheet& sheet = book.GetSheet(1);
        sheet.Cells().Font().SetSize(9);
        sheet.GetRange(Area{1, 1, 1, columns}).SetColumnWidth(6);
        sheet.GetRange(Area{20, columns, 20, columns}).SetValue("末");
        PrintShape shape;
        shape.titleFirstColumn = 1;
        shape.titleLastColumn = 1;
        SetUpPrinting(sheet, shape);
        std::vector<int> starts = sheet.GetPageSetup().columnBreaks;
        ASSERT_FALSE(starts.empty());
        starts.insert(starts.begin(), 2);
        starts.push_back(columns + 1);
        double widest = 0, narrowest = 1e9;
        for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
            const double width = ColumnsWidth(sheet, starts[i], starts[i + 1] - 1);
            widest = std::max(widest, width);
            narrowest = std::min(narrowest, width);
        }
        EXPECT_GE(narrowest, widest / 2) << testing::PrintToString(starts);
    }
}

// A tall, narrow sheet that holds at its size either way round prints portrait, and its pages
// down break between its blocks (a day's periods): every page holds whole blocks, as many as fit.
TEST(SheetPrinting, PagesDownBreakBetweenBlocks)
{
    Workbook book;
    Worksheet& sheet = book.GetSheet(1);
    sheet.GetRange("A1", "E1").SetColumnWidth(10);
    PrintShape shape = PrintShape::Heading(1, 1);
    for (int day = 0; day < 5; ++day)
        shape.blockStarts.push_back(2 + 8 * day);
    sheet.GetRange("A2", "A41").SetRowHeight(30);
    sheet.GetRange("E41").SetValue("末");
    SetUpPrinting(sheet, shape);
    const PageSetup& setup = sheet.GetPageSetup();
    EXPECT_FALSE(setup.landscape);
    EXPECT_EQ(setup.scale, 100);
    EXPECT_EQ(setup.fitWide, 0);
    // 734 points a page less the heading row: three days of 240 points fit on none, two on each.
    EXPECT_EQ(setup.pageBreaks, (std::vector<int>{18, 34}));

    // Blocks of a row each may break anywhere: the sheet stays fitted to a page wide.
    PrintShape rows = PrintShape::Heading(1, 1);
    for (int row = 2; row <= 41; ++row)
        rows.blockStarts.push_back(row);
    SetUpPrinting(sheet, rows);
    EXPECT_EQ(sheet.GetPageSetup().fitWide, 1);
    EXPECT_TRUE(sheet.GetPageSetup().pageBreaks.empty());
}

}  // namespace
