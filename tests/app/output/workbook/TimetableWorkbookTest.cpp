// The timetable workbook (export kind 2) written by the program's own engine and read back: where
// the blocks of a page stand, what one block holds and how it is merged, filled and named.
#include "app/output/workbook/TimetableWorkbook.h"

#include "app/output/workbook/WorkbookReader.h"
#include "app/shared/AppServices.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/ExportTableItem.h"
#include "support/OfficeCsv.h"
#include "support/PdfPages.h"
#include "support/SchoolBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {

using namespace zem::workbook;

class MergingServices : public CAppServices {
public:
    bool GetMergeContinuous() const override { return true; }
};

// Keeps the workbook the engine was given.
class KeepingEngine : public CBuiltInWorkbookEngine {
public:
    void SaveAs(const Workbook& book, const std::string& path) override
    {
        CBuiltInWorkbookEngine::SaveAs(book, path);
        saved = true;
    }
    bool saved = false;
};

// Seven classes in a week with a morning-reading period, 4 forenoon and 3 afternoon periods. Class
// 1 has Chinese on Monday in all forenoon periods and the first afternoon one, and mathematics and
// English as odd/even halves on Tuesday's first period.
class Timetables : public testing::Test {
protected:
    Timetables() : previous(SetAppServices(&services))
    {
        CSchoolStructure& week = b.Task().GetSchoolStructure();
        week.SetSectionNodeMaxCount(3, 1, true);
        week.RefreshData();
        b.Subject("s1", "语文");
        b.Subject("s2", "数学");
        b.Subject("s3", "英语");
        b.Teacher("t1", "王喆");
        b.Teacher("t2", "李堃");
        for (int n = 1; n <= 7; ++n)
            b.Class("c" + std::to_string(n), "高一(" + std::to_string(n) + ")班");
        CCourseInfo* chinese = b.Course("p1", "c1", "s1", "t1", "5");
        for (int section = 0; section < 4; ++section)
            b.Task().SetCourseNode(chinese, "", false, {0, 0, section}, 0);
        b.Task().SetCourseNode(chinese, "", false, {0, 1, 0}, 0);
        b.Task().SetCourseNode(b.Course("p2", "c1", "s2", "t2", "2.5"), "", false, {1, 0, 0}, 1);
        b.Task().SetCourseNode(b.Course("p3", "c1", "s3", "t2", "2.5"), "", false, {1, 0, 0}, 2);
        for (int n = 1; n <= 7; ++n) {
            const std::string id = "c" + std::to_string(n);
            CClassInfo* cls = b.Task().GetClass(id);
            items.push_back(std::make_unique<CExportTableItem>(
                id, cls->GetName(), TABLE_CLASS, &static_cast<CZemTableObject*>(cls)->GetTable(false)));
        }
        layout->blankLines[0] = {0, 1, 0, 0, "午休"};
        layout->blankLines[1] = {1, 0, 1, 0, "课间操|做操"};
    }
    ~Timetables() override { SetAppServices(previous); }

    // Exports the first `count` tables and hands back the workbook as written.
    const Workbook& Export(int count)
    {
        std::vector<CExportTableItem*> tables;
        for (int n = 0; n < count; ++n)
            tables.push_back(items[static_cast<std::size_t>(n)].get());
        CSpreadsheetExporter exporter(&b.Task());
        exporter.SetDirect(true);
        exporter.SetTablesPerPage(layout->tablesPerPage);
        exporter.SetTimetableLayout(layout);
        exporter.SetContentWriter(kTimetableExport, [this](CSpreadsheetExporter& e, Workbook& written) {
            const bool ok = WriteTimetableWorkbook(e, written);
            book = std::make_unique<Workbook>();
            // The writer's own workbook goes to the engine; a copy is kept by writing it again.
            WriteTimetableWorkbook(e, *book);
            return ok;
        });
        EXPECT_TRUE(exporter.Export(path, tables)) << exporter.GetParam().errorText;
        incomplete = exporter.GetIncompleteTables();
        return *book;
    }

    static std::string Text(const Worksheet& sheet, int row, int column)
    {
        const Cell* cell = sheet.FindCell(row, column);
        const std::string* text = cell ? std::get_if<std::string>(&cell->value) : nullptr;
        return text ? *text : std::string();
    }

    MergingServices services;
    CAppServices* previous;
    SchoolBuilder b;
    std::vector<std::unique_ptr<CExportTableItem>> items;
    std::shared_ptr<CTimetableSheetLayout> layout = std::make_shared<CTimetableSheetLayout>();
    TempFolder folder;
    std::string path = folder / "课表.xlsx";
    std::unique_ptr<Workbook> book;
    int incomplete = 0;
};

// Rows of a block at row 1: title 1, gap 2, head 3, morning reading 4, forenoon 5, the banner row
// 6, forenoon 7-9, the afternoon's separator 10, afternoon 11-13, footer 14.
TEST_F(Timetables, SevenTablesFourToAPage)
{
    layout->tableLayout = 3;
    layout->tablesPerPage = 4;
    const Workbook& written = Export(7);
    ASSERT_GE(written.GetSheetCount(), 2);
    const Worksheet& first = written.GetSheet(1);
    EXPECT_EQ(first.GetName(), "高一(1)班，高一(2)班，高一(3)班，高一(4)班");
    EXPECT_EQ(written.GetSheet(2).GetName(), "高一(5)班，高一(6)班，高一(7)班");
    // Five days of two half columns after the label column: columns 1-11; one empty column and row between.
    for (const auto& [row, column, name] : std::vector<std::tuple<int, int, std::string>>{
             {1, 1, "高一(1)班"}, {1, 13, "高一(2)班"}, {16, 1, "高一(3)班"}, {16, 13, "高一(4)班"}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Text(first, row, column), name);
        EXPECT_EQ(first.FindMergedArea(row, column), (Area{row, column, row, column + 10}));
    }
    EXPECT_EQ(Text(first, 3, 2), "星期一");
    EXPECT_EQ(Text(first, 3, 4), "星期二");
    EXPECT_EQ(first.GetStandardWidth(), 80 * 12 / 96);
    EXPECT_EQ(first.GetColumnWidths().at(2), 10 / 2);

    // Monday: Chinese merged over forenoon periods 2-4 and both half columns, never across the
    // banner row above period 2 nor across the afternoon's separator.
    EXPECT_EQ(first.FindMergedArea(7, 2), (Area{7, 2, 9, 3}));
    EXPECT_EQ(first.FindMergedArea(5, 2), (Area{5, 2, 5, 3}));
    EXPECT_EQ(first.FindMergedArea(11, 2), (Area{11, 2, 11, 3}));
    EXPECT_NE(Text(first, 11, 2).find("语文"), std::string::npos);
    // Tuesday's odd/even halves side by side, not merged.
    EXPECT_EQ(first.FindMergedArea(5, 4), std::nullopt);
    EXPECT_NE(Text(first, 5, 4).find("数学"), std::string::npos);
    EXPECT_NE(Text(first, 5, 5).find("英语"), std::string::npos);
    // Two fonts in a lesson cell: the second line in the smaller font.
    const Cell* lesson = first.FindCell(5, 2);
    ASSERT_NE(lesson, nullptr);
    EXPECT_EQ(lesson->format.font.size, 9);
    ASSERT_EQ(lesson->runs.size(), 1u);
    EXPECT_EQ(lesson->runs[0].font.size, 10);
    // Morning reading filled 34, the forenoon not; the head row 15.
    EXPECT_EQ(first.GetEffectiveFormat(4, 2).fill, PaletteColor(34));
    EXPECT_FALSE(first.GetEffectiveFormat(5, 2).fill.has_value());
    EXPECT_EQ(first.GetEffectiveFormat(3, 2).fill, PaletteColor(15));
    // The banner in two merged parts, the separator across the block.
    EXPECT_EQ(Text(first, 6, 1), "课间操");
    EXPECT_EQ(Text(first, 6, 2), "做操");
    EXPECT_EQ(first.FindMergedArea(6, 2), (Area{6, 2, 6, 11}));
    EXPECT_EQ(Text(first, 10, 1), "午休");
    EXPECT_EQ(first.FindMergedArea(10, 1), (Area{10, 1, 10, 11}));
    // Period names in the order of the rows: morning reading first.
    std::vector<std::string> periods;
    GetPeriodNames(periods, b.Task().GetSchoolStructure());
    ASSERT_GE(periods.size(), 3u);
    EXPECT_EQ(Text(first, 4, 1), periods[0]);
    EXPECT_EQ(Text(first, 7, 1), periods[2]);

    // For a person to open and look at.
    std::filesystem::copy_file(path, std::string(ZEM_TEST_OUTPUT_DIR) + "/timetable_workbook.xlsx",
                               std::filesystem::copy_options::overwrite_existing);
    // The file as the program reads it back.
    SheetData read;
    std::string error;
    ASSERT_TRUE(ReadWorkbookSheet(path, read, error, 0)) << error;
    EXPECT_EQ(read.name, first.GetName());
    EXPECT_EQ(read.Value(16, 13).text, "高一(4)班");
    EXPECT_EQ(read.Value(6, 2).text, "做操");
}

TEST_F(Timetables, DaysStayOneColumnOnePerPageUnlessSplit)
{
    const Workbook& written = Export(2);
    const Worksheet& first = written.GetSheet(1);
    EXPECT_EQ(first.GetName(), "高一(1)班");
    EXPECT_EQ(written.GetSheet(2).GetName(), "高一(2)班");
    // Monday one column (2), Tuesday split (3-4), Wednesday one column (5).
    EXPECT_EQ(Text(first, 3, 2), "星期一");
    EXPECT_EQ(Text(first, 3, 3), "星期二");
    EXPECT_EQ(Text(first, 3, 5), "星期三");
    EXPECT_EQ(first.FindMergedArea(3, 3), (Area{3, 3, 3, 4}));
    EXPECT_EQ(first.FindMergedArea(7, 2), (Area{7, 2, 9, 2}));
    EXPECT_EQ(first.FindMergedArea(1, 1), (Area{1, 1, 1, 7}));
    // A class without a split day: five columns.
    EXPECT_EQ(written.GetSheet(2).FindMergedArea(1, 1), (Area{1, 1, 1, 6}));
}

TEST_F(Timetables, PageNamesStayValidAndDistinct)
{
    const std::string longName(40, 'x');
    const char* names[] = {"Ab", "ab", "Ab", "a/b", nullptr, nullptr, ""};
    for (std::size_t n = 0; n < items.size(); ++n) {
        const CExportTableItem& item = *items[n];
        items[n] = std::make_unique<CExportTableItem>(item.GetId(), names[n] ? names[n] : longName, item.GetKind(),
                                                      item.GetTable());
    }
    const Workbook& written = Export(7);
    std::vector<std::string> got;
    for (int n = 1; n <= 7; ++n) {
        const std::string& name = written.GetSheet(n).GetName();
        EXPECT_TRUE(IsValidSheetName(name)) << name;
        for (const std::string& earlier : got)
            EXPECT_FALSE(SameSheetName(name, earlier)) << name << " " << earlier;
        got.push_back(name);
    }
    EXPECT_EQ(got[0], "Ab");
    EXPECT_EQ(got[3], "a-b");
    EXPECT_EQ(got[4], std::string(31, 'x'));
    EXPECT_EQ(got[6], "未命名");
}

// A block that fails half-way stays as far as it came, is counted, and the next block follows.
TEST_F(Timetables, AFailedBlockIsCountedAndTheNextFollows)
{
    layout->tableLayout = 1;
    layout->tablesPerPage = 2;
    const CExportTableItem& item = *items[0];
    // A title longer than a cell holds.
    items[0] = std::make_unique<CExportTableItem>(item.GetId(), std::string(kMaxTextLength + 1, 'x'), item.GetKind(),
                                                  item.GetTable());
    const Workbook& written = Export(2);
    // Both writings of the test's engine count it.
    EXPECT_EQ(incomplete, 2);
    const Worksheet& first = written.GetSheet(1);
    EXPECT_EQ(Text(first, 3, 2), "星期一");
    // The next block starts right of what the failed one wrote (columns 1-7), not over it.
    EXPECT_EQ(Text(first, 1, 9), "高一(2)班");
    EXPECT_EQ(first.FindMergedArea(1, 9), (Area{1, 9, 1, 14}));
}

// Where LibreOffice is installed, it reads every text of both sheets that the program's reader reads.
TEST_F(Timetables, LibreOfficeReadsTheWorkbook)
{
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    layout->tableLayout = 3;
    layout->tablesPerPage = 4;
    const Workbook& written = Export(7);
    ASSERT_EQ(ConvertSheetsToCsv(office, path, folder.path()), "");
    for (int n = 1; n <= 2; ++n) {
        const std::string sheetName = written.GetSheet(n).GetName();
        SCOPED_TRACE(sheetName);
        // Every expected file must be there.
        const std::string csv = ReadCsv(folder / ("csv/课表-" + sheetName + ".csv"));
        ASSERT_FALSE(csv.empty());
        SheetData read;
        std::string error;
        ASSERT_TRUE(ReadWorkbookSheet(path, read, error, n - 1)) << error;
        int texts = 0;
        for (int row = 1; row <= read.LastRow(); ++row) {
            for (int column = 1; column <= read.LastColumn(); ++column) {
                const std::string& text = read.Value(row, column).text;
                if (text.empty())
                    continue;
                ++texts;
                EXPECT_NE(csv.find(text), std::string::npos) << text;
            }
        }
        EXPECT_GT(texts, 20);
    }
}

// As an office prints the workbook: a page for each table or group of tables of a printed page,
// in every layout, with no line of a cell running into another.
TEST_F(Timetables, PrintsAPageForEachPrintedPageWithNoTextClipped)
{
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    struct Case {
        std::string name;
        int tableLayout, perPage, sheetType, tables, pages;
    };
    const std::vector<Case> cases = {
        {"one a page", 0, 1, 0, 3, 3},
        {"four a page", 3, 4, 0, 7, 2},
        {"four a page on one sheet", 3, 4, 1, 7, 2},
        {"six a page on one sheet", 4, 6, 1, 7, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        layout->tableLayout = c.tableLayout;
        layout->tablesPerPage = c.perPage;
        layout->sheetType = c.sheetType;
        Export(c.tables);
        const std::string pdf = ConvertToPdf(office, path, folder.path());
        ASSERT_FALSE(pdf.empty());
        const std::vector<PdfPage> pages = ReadPdfPages(pdf);
        EXPECT_EQ(static_cast<int>(pages.size()), c.pages);
        for (std::size_t page = 0; page < pages.size(); ++page) {
            SCOPED_TRACE(page + 1);
            for (const auto& [a, b] : OverlappingWords(pages[page]))
                ADD_FAILURE() << a.text << " runs into " << b.text;
        }
        // The titles of the page's tables, and class 1's lessons, legible.
        const std::vector<PdfWord>& words = pages[0].words;
        for (int n = 1; n <= std::min(c.perPage, c.tables); ++n) {
            const std::string title = "高一(" + std::to_string(n) + ")班";
            EXPECT_TRUE(std::any_of(words.begin(), words.end(), [&](const PdfWord& w) { return w.text == title; }))
                << title;
        }
        const auto teacher = std::find_if(words.begin(), words.end(), [](const PdfWord& w) { return w.text == "王喆"; });
        ASSERT_NE(teacher, words.end());
        EXPECT_GE(teacher->yMax - teacher->yMin, 4.5) << "a lesson's second line prints too small";
        std::string picture = "timetable-workbook-" + std::to_string(c.perPage) + "-" + std::to_string(c.sheetType);
        RenderPage(pdf, 1, std::string(ZEM_TEST_OUTPUT_DIR) + "/" + picture + ".png");
        std::filesystem::remove(pdf);
    }
}

}  // namespace
