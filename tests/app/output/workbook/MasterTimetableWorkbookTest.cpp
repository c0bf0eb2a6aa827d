// The master timetable (export kind 1) in its three arrangements, written into the in-memory
// workbook and saved by the program's engine.
#include "app/output/workbook/MasterTimetableWorkbook.h"

#include "platform/Hooks.h"
#include "support/FakeAppServices.h"
#include "support/MasterWorkbook.h"
#include "support/OfficeCsv.h"
#include "support/PdfPages.h"
#include "support/SchoolBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

using namespace zem::workbook;

std::string Text(const Worksheet& sheet, int row, int column)
{
    const Cell* cell = sheet.FindCell(row, column);
    if (!cell)
        return {};
    // Period numbers are stored as numbers.
    if (const double* number = std::get_if<double>(&cell->value))
        return std::to_string(static_cast<int>(*number));
    const std::string* text = std::get_if<std::string>(&cell->value);
    return text ? *text : std::string();
}

// `classes` classes in a week of `days` days with a morning-reading period, 4 forenoon, 3
// afternoon periods and one of evening self-study; teacher t2 teaches mathematics and English as
// odd/even halves in class 1 on Tuesday's first period, t1 Chinese on Monday's.
std::unique_ptr<SchoolBuilder> School(int classes, int days)
{
    auto b = std::make_unique<SchoolBuilder>();
    CSchoolStructure& week = b->Task().GetSchoolStructure();
    for (int day = 0; day < zem::kDayCount; ++day)
        week.SetWeekDay(day, day < days);
    week.SetSectionNodeMaxCount(3, 1, true);
    week.SetSectionNodeMaxCount(4, 1, true);
    week.RefreshData();
    b->Subject("s1", "语文");
    b->Subject("s2", "数学");
    b->Subject("s3", "英语");
    b->Teacher("t1", "王喆");
    b->Teacher("t2", "李堃");
    for (int n = 1; n <= classes; ++n)
        b->Class("c" + std::to_string(n), "班" + std::to_string(n));
    b->Task().SetCourseNode(b->Course("p1", "c1", "s1", "t1", "1"), "", false, {0, 0, 0}, 0);
    b->Task().SetCourseNode(b->Course("p2", "c1", "s2", "t2", "0.5"), "", false, {1, 0, 0}, 1);
    b->Task().SetCourseNode(b->Course("p3", "c1", "s3", "t2", "0.5"), "", false, {1, 0, 0}, 2);
    return b;
}

struct MasterCase {
    const char* what;
    int style;
    bool showSS;
    TABLE_TYPE kind;
    int classes, days;
    std::function<void(const Worksheet&)> check;
};

TEST(MasterTimetable, ArrangementsAsTheLayoutSays)
{
    const std::vector<MasterCase> cases = {
        {"横排 without morning reading and self-study: 7 periods a day", 0, false, TABLE_CLASS, 3, 5,
         [](const Worksheet& sheet) {
             EXPECT_EQ(sheet.GetName(), "全校班级总课表(横排)");
             EXPECT_EQ(Text(sheet, 1, 1), "星期");
             EXPECT_EQ(Text(sheet, 1, 2), "星期一");
             EXPECT_EQ(sheet.FindMergedArea(1, 2), (Area{1, 2, 1, 8}));
             EXPECT_EQ(Text(sheet, 1, 9), "星期二");
             EXPECT_EQ(Text(sheet, 2, 2), "1");
             EXPECT_EQ(Text(sheet, 2, 8), "7");
             EXPECT_EQ(Text(sheet, 3, 1), "班1");
             EXPECT_NE(Text(sheet, 3, 2).find("语文"), std::string::npos);
             // Class 1's odd/even pair takes two rows.
             EXPECT_EQ(Text(sheet, 5, 1), "班2");
             EXPECT_EQ(Text(sheet, 6, 1), "班3");
         }},
        {"横排 with them: 早 first and 自 last", 0, true, TABLE_CLASS, 1, 5,
         [](const Worksheet& sheet) {
             EXPECT_EQ(Text(sheet, 2, 2), "早");
             EXPECT_EQ(Text(sheet, 2, 3), "1");
             EXPECT_EQ(Text(sheet, 2, 10), "自");
             EXPECT_EQ(Text(sheet, 1, 11), "星期二");
         }},
        {"横排 teachers: an odd/even pair takes two rows, 15 high or as its lines need", 0, false, TABLE_TEACHER, 1, 5,
         [](const Worksheet& sheet) {
             EXPECT_EQ(Text(sheet, 3, 1), "王喆");
             EXPECT_EQ(sheet.GetRowHeights().at(3), 30);
             EXPECT_EQ(Text(sheet, 4, 1), "李堃");
             EXPECT_GE(sheet.GetRowHeights().at(4), 15);
             EXPECT_EQ(sheet.GetRowHeights().at(5), sheet.GetRowHeights().at(4));
             // Tuesday's first period holds the halves; Monday's is merged over both rows.
             EXPECT_EQ(sheet.FindMergedArea(4, 9), std::nullopt);
             EXPECT_EQ(sheet.FindMergedArea(4, 2), (Area{4, 2, 5, 2}));
         }},
        {"竖排: days down, a column per class, the split one two columns 5 wide", 1, false, TABLE_CLASS, 2, 5,
         [](const Worksheet& sheet) {
             EXPECT_EQ(Text(sheet, 1, 2), "节次");
             EXPECT_EQ(Text(sheet, 2, 1), "星期一");
             EXPECT_EQ(sheet.FindMergedArea(2, 1), (Area{2, 1, 8, 1}));
             EXPECT_EQ(Text(sheet, 9, 1), "星期二");
             EXPECT_EQ(Text(sheet, 1, 3), "班1");
             EXPECT_EQ(sheet.GetColumnWidths().at(3), 5);
             EXPECT_EQ(Text(sheet, 1, 5), "班2");
             EXPECT_EQ(sheet.GetColumnWidths().at(5), 10);
         }},
        {"交叉 with 30 classes and 7 days: a block per day", 2, false, TABLE_CLASS, 30, 7,
         [](const Worksheet& sheet) {
             EXPECT_EQ(Text(sheet, 1, 2), "星期一");
             EXPECT_EQ(sheet.FindMergedArea(1, 2), (Area{1, 2, 1, 31}));
             // Below: 2 heading rows, 7 periods of two rows, one empty row.
             EXPECT_EQ(Text(sheet, 18, 2), "星期二");
             EXPECT_EQ(Text(sheet, 19, 2), "班1");
             EXPECT_EQ(Text(sheet, 3, 1), "1");
             EXPECT_EQ(sheet.FindMergedArea(3, 1), (Area{3, 1, 4, 1}));
             EXPECT_EQ(sheet.GetRowHeights().at(3), 200 / 7);
         }},
        {"交叉 with 3 classes and 5 days: one block", 2, false, TABLE_CLASS, 3, 5,
         [](const Worksheet& sheet) {
             EXPECT_EQ(Text(sheet, 1, 5), "星期二");
             EXPECT_EQ(Text(sheet, 2, 5), "班1");
             EXPECT_EQ(Text(sheet, 18, 2), "");
         }},
        {"交叉 with 30 classes and 5 days, too wide for a legible page side by side: a block per day", 2, false,
         TABLE_CLASS, 30, 5,
         [](const Worksheet& sheet) {
             EXPECT_EQ(Text(sheet, 1, 32), "");
             EXPECT_EQ(Text(sheet, 18, 1), "星期二");
             EXPECT_EQ(Text(sheet, 19, 2), "班1");
         }},
    };
    for (const MasterCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto school = School(c.classes, c.days);
        CMasterSheetLayout layout;
        layout.style = c.style;
        layout.showSS = c.showSS;
        TempFolder folder;
        CSpreadsheetExporter exporter(&school->Task());
        exporter.SetDirect(true);
        CExportParam& param = exporter.GetParam();
        param.kind = kMasterTimetableExport;
        param.value = c.kind;
        param.data1 = &layout;
        param.fileName = folder / "总课表.xlsx";
        Workbook book;
        ASSERT_TRUE(WriteMasterTimetableWorkbook(exporter, book));
        c.check(book.GetSheet(1));
        // And through the engine to a file.
        EXPECT_TRUE(exporter.RunExport()) << param.errorText;
    }
}

// The sheet's first row is the grid: the page header carries the school, the sheet's title and the
// day it was made, in every arrangement and kind, the office's "&" spelled as text.
TEST(MasterTimetable, ThePageHeaderTitlesEveryPage)
{
    FakeAppServices services;
    services.schoolName = "第一中学&分校";
    const zem::ClockHook previous = zem::SetClockHook([] { return zem::LocalTime{2026, 3, 5, 8, 7, 0}; });
    const auto school = School(2, 5);
    for (const TABLE_TYPE kind : {TABLE_CLASS, TABLE_TEACHER, TABLE_ROOM})
        for (const int style : {0, 1, 2}) {
            SCOPED_TRACE(MasterTimetableTitle(kind, style));
            CMasterSheetLayout layout;
            layout.style = style;
            CSpreadsheetExporter exporter(&school->Task());
            CExportParam& param = exporter.GetParam();
            param.kind = kMasterTimetableExport;
            param.value = kind;
            param.data1 = &layout;
            Workbook book;
            ASSERT_TRUE(WriteMasterTimetableWorkbook(exporter, book));
            EXPECT_EQ(book.GetSheet(1).GetPageSetup().header,
                      "&L第一中学&&分校&C&\"-,Bold\"&14 " + MasterTimetableTitle(kind, style) + "&R2026年03月05日");
        }
    zem::SetClockHook(previous);
    EXPECT_EQ(MasterTimetableTitle(TABLE_TEACHER, 2), "全校教师总课表（交叉）");
    EXPECT_EQ(MasterTimetableTitle(TABLE_ROOM, 1), "全校教室总课表（竖排）");
}

// The class master timetable of the layout written and printed by LibreOffice: the PDF's path, or
// empty when either failed.
std::string PrintedClassMaster(CScheduleTask& task, const CMasterSheetLayout& layout, const TempFolder& folder,
                               const QString& office)
{
    const std::string workbook = folder / "总课表.xlsx";
    if (!WriteMasterWorkbook(task, TABLE_CLASS, layout, workbook))
        return {};
    return ConvertToPdf(office, workbook, folder.path());
}

bool HasLineWith(const PdfPage& page, const std::string& text)
{
    const std::vector<PdfLine> lines = page.Lines();
    return std::any_of(lines.begin(), lines.end(), [&](const PdfLine& l) { return l.text.find(text) != std::string::npos; });
}

// Printed as an office prints it: one page wide in every arrangement, with no line of a cell
// running into another; 横排 and 交叉 of a small school on one page, 竖排 down its pages with
// the class names on top of each.
TEST(MasterTimetable, PrintsOnePageWide)
{
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    for (const int style : {0, 1, 2}) {
        SCOPED_TRACE(style);
        const auto school = School(3, 5);
        CMasterSheetLayout layout;
        layout.style = style;
        TempFolder folder;
        const std::string pdf = PrintedClassMaster(school->Task(), layout, folder, office);
        ASSERT_FALSE(pdf.empty());
        const std::vector<PdfPage> pages = ReadPdfPages(pdf);
        if (style == 1)
            EXPECT_GT(pages.size(), 1u);
        else
            EXPECT_EQ(pages.size(), 1u);
        const std::string title = MasterTimetableTitle(TABLE_CLASS, style);
        for (const PdfPage& page : pages) {
            EXPECT_TRUE(std::any_of(page.words.begin(), page.words.end(), [](const PdfWord& w) { return w.text == "班3"; }));
            EXPECT_TRUE(OverlappingWords(page).empty());
            EXPECT_TRUE(HasLineWith(page, title));
        }
        RenderPage(pdf, 1, std::string(ZEM_TEST_OUTPUT_DIR) + "/master-timetable-printed-" + std::to_string(style) + ".png");
    }
}

constexpr double kHeaderBottom = 40;  // points: the page header's lines end above

// A school too wide for one legible page (60 classes a day in 交叉, 7 days of 9 periods 横排, 60
// classes 竖排) prints over pages across at a legible size, never scaled to a page wide: every
// page carries the periods' labels of the repeated first column and the header's title.
TEST(MasterTimetable, AWideSheetPrintsLegiblyOverPagesAcross)
{
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const struct {
        int style, classes, days;
    } cases[] = {{2, 60, 5}, {0, 3, 7}, {1, 60, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        const auto school = School(c.classes, c.days);
        CMasterSheetLayout layout;
        layout.style = c.style;
        layout.showSS = c.style == 0;  // nine periods a day, the sheet 64 columns wide
        TempFolder folder;
        const std::string pdf = PrintedClassMaster(school->Task(), layout, folder, office);
        ASSERT_FALSE(pdf.empty());
        const std::vector<PdfPage> pages = ReadPdfPages(pdf);
        EXPECT_GT(pages.size(), 1u);
        const std::string title = MasterTimetableTitle(TABLE_CLASS, c.style);
        for (std::size_t n = 0; n < pages.size(); ++n) {
            SCOPED_TRACE(n);
            const PdfPage& page = pages[n];
            EXPECT_TRUE(HasLineWith(page, title));
            // The label columns at the left of every page's grid: the periods of 交叉, the heading of
            // the others. (The header's words stand above the grid.)
            const auto label = std::find_if(page.words.begin(), page.words.end(),
                                            [&](const PdfWord& w) { return w.text == (c.style == 2 ? "1" : "星期"); });
            ASSERT_NE(label, page.words.end());
            for (const PdfWord& word : page.words) {
                if (word.yMin > kHeaderBottom) {
                    EXPECT_GE(word.xMax, label->xMin) << word.text;
                }
            }
            // Text of 6 points and more; scaled to one page wide it was under 2.
            for (const PdfWord& word : page.words)
                EXPECT_GE(word.yMax - word.yMin, 5.5) << word.text;
            for (const auto& [a, b] : OverlappingWords(page))
                ADD_FAILURE() << a.text << " runs into " << b.text;
            if (HasFailure())
                RenderPage(pdf, static_cast<int>(n) + 1, std::string(ZEM_TEST_OUTPUT_DIR) + "/master-timetable-wide-" +
                                                             std::to_string(c.style) + "-failed.png");
        }
        RenderPage(pdf, 1, std::string(ZEM_TEST_OUTPUT_DIR) + "/master-timetable-wide-" + std::to_string(c.style) + ".png");
        RenderPage(pdf, 2, std::string(ZEM_TEST_OUTPUT_DIR) + "/master-timetable-wide-" + std::to_string(c.style) + "-2.png");
    }
}

}  // namespace
