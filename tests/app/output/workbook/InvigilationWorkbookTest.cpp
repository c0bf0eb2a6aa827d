// The invigilation workbook (export kind 9) written by the program's own engine and read back: its
// three sheets and their rows, as the program's reader and, where it is installed, LibreOffice read
// them.
#include "app/output/workbook/InvigilationWorkbook.h"

#include "app/output/workbook/WorkbookReader.h"
#include "app/output/workbook/XlsxWriter.h"
#include "support/ProctorSchool.h"
#include "support/MessageRecorder.h"
#include "support/ExportProgressRecorder.h"
#include "support/OfficeCsv.h"
#include "support/PdfPages.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using zem::workbook::SheetData;

// The program's engine, with a look at the workbook before it is saved.
class LookingEngine : public CBuiltInWorkbookEngine {
public:
    std::function<void(const zem::workbook::Workbook&)> look;
    void SaveAs(const zem::workbook::Workbook& book, const std::string& path) override
    {
        if (look)
            look(book);
        CBuiltInWorkbookEngine::SaveAs(book, path);
    }
};

void AddItem(CProctorData& data, const char* plan, const char* room, Strings teachers)
{
    data.GetProctorList().push_back(std::make_unique<CProctorData::ProctorItem>(
        CProctorData::ProctorItem{"i" + std::to_string(data.GetProctorList().size()), plan, room, teachers}));
}

// Two exams; an item whose exam is gone heads room r2; the room id "C1" differs from c1 in case.
class Arrangement : public testing::Test {
protected:
    Arrangement() : school(4)
    {
        school.Task().SetConfigFile(folder / "task.ini");
        data.GetTeacherArray() = {"t1", "t2", "t3", "gone", "t4"};
        data.GetTeacherInfoMap()["t1"] = {{"s1"}, {"c1"}};
        AddExam(data, "p1", 5, "08:00", "10:00", "s1", {"c1", "c2"}, 2);
        AddExam(data, "p2", 6, "14:00", "16:00", "s2", {"r2", "C1"}, 1);
        AddItem(data, "pX", "r2", {"t2"});
        AddItem(data, "p1", "c1", {"t1", "t2"});
        AddItem(data, "p1", "c2", {"t3"});
        AddItem(data, "p2", "r2", {"t1"});
        AddItem(data, "p2", "C1", {"t3"});
    }

    bool Export(CWorkbookEngine* engine = nullptr)
    {
        CSpreadsheetExporter exporter(&school.Task());
        if (engine)
            exporter.SetEngines({std::shared_ptr<CWorkbookEngine>(engine, [](CWorkbookEngine*) {})});
        exporter.SetDirect(true);
        exporter.SetNotifyWindow(&window);
        CExportParam& param = exporter.GetParam();
        param.kind = kInvigilationExport;
        param.fileName = path;
        param.text1 = "期中考试监考安排表";
        param.data0 = &data;
        return exporter.RunExport();
    }

    // Rows from 3 down, four cells each, of sheet `index`.
    std::vector<Strings> Rows(int index, SheetData* sheet = nullptr)
    {
        SheetData read;
        std::string error;
        EXPECT_TRUE(zem::workbook::ReadWorkbookSheet(path, read, error, index)) << error;
        std::vector<Strings> rows;
        for (int row = 3; row <= read.LastRow(); ++row) {
            Strings cells;
            for (int column = 1; column <= 4; ++column)
                cells.push_back(read.Value(row, column).text);
            rows.push_back(cells);
        }
        if (sheet)
            *sheet = read;
        return rows;
    }

    TempFolder folder;
    ProctorSchool school;
    CProctorData data;
    ExportProgressRecorder window;
    std::string path = folder / "期中考试监考安排表.xlsx";
};

TEST_F(Arrangement, ThreeSheetsByExamByTeacherAndByRoom)
{
    ASSERT_TRUE(school.Task().SetConfigInt("Proctor", "HideYear", 1));
    ASSERT_TRUE(school.Task().SetConfigInt("Proctor", "ShowTeacherTag", 1));
    LookingEngine engine;
    engine.look = [](const zem::workbook::Workbook& book) {
        ASSERT_EQ(book.GetSheetCount(), 3);
        for (int n = 1; n <= 3; ++n) {
            const zem::workbook::Worksheet& sheet = book.GetSheet(n);
            EXPECT_EQ(sheet.GetMergedAreas(), (std::vector<zem::workbook::Area>{{1, 1, 1, 4}}));
            EXPECT_EQ(sheet.GetRowHeights().at(1), 32);
            EXPECT_EQ(sheet.GetRowHeights().at(3), 18);
            EXPECT_EQ(sheet.GetStandardWidth(), 12);
            EXPECT_TRUE(sheet.GetEffectiveFormat(2, 1).font.bold.value_or(false));
            EXPECT_EQ(sheet.GetEffectiveFormat(2, 4).fill, zem::workbook::PaletteColor(15));
            EXPECT_FALSE(sheet.GetEffectiveFormat(3, 1).fill.has_value());
        }
        EXPECT_EQ(book.GetSheet(1).GetColumnWidths().at(1), 28);
        EXPECT_EQ(book.GetSheet(2).GetColumnWidths().at(3), 24);
        EXPECT_EQ(book.GetSheet(3).GetColumnWidths().at(4), 25);
    };
    ASSERT_TRUE(Export(&engine));
    // For a person to open and look at.
    std::filesystem::copy_file(path, std::string(ZEM_TEST_OUTPUT_DIR) + "/invigilation_workbook.xlsx",
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(window.texts, (Strings{"1/3 监考安排表 - 按考试计划", "2/3 监考安排表 - 按监考教师", "3/3 监考安排表 - 按考场"}));

    SheetData sheet;
    // By exam: the item without its exam is left out; dates without the year; tagged names.
    EXPECT_EQ(Rows(0, &sheet), (std::vector<Strings>{
                                   {"06月05日 08:00-10:00", "语文", "高一(1)班", "教师1(科班)，教师2"},
                                   {"06月05日 08:00-10:00", "语文", "高一(2)班", "教师3"},
                                   {"06月06日 14:00-16:00", "数学", "实验室2", "教师1"},
                                   {"06月06日 14:00-16:00", "数学", "", "教师3"},
                               }));
    EXPECT_EQ(sheet.name, "按考试计划");
    EXPECT_EQ(sheet.Value(1, 1).text, "期中考试监考安排表");
    EXPECT_EQ(sheet.Value(2, 4).text, "监考教师");
    // By teacher: each teacher on each of his items, ids compared ignoring case; the id that names
    // no teacher, and the teacher without items, give no row.
    EXPECT_EQ(Rows(1, &sheet), (std::vector<Strings>{
                                   {"教师1(科班)", "06月05日 08:00-10:00", "语文", "高一(1)班"},
                                   {"教师1", "06月06日 14:00-16:00", "数学", "实验室2"},
                                   {"教师2", "06月05日 08:00-10:00", "语文", "高一(1)班"},
                                   {"教师3", "06月05日 08:00-10:00", "语文", "高一(2)班"},
                                   {"教师3", "06月06日 14:00-16:00", "数学", ""},
                               }));
    EXPECT_EQ(sheet.name, "按监考教师");
    // By room: in the order of each room's first item, with every item of the room whatever the
    // case of its id; r2's first item has no exam, its other item is still written.
    EXPECT_EQ(Rows(2, &sheet), (std::vector<Strings>{
                                   {"实验室2", "06月06日 14:00-16:00", "数学", "教师1"},
                                   {"高一(1)班", "06月05日 08:00-10:00", "语文", "教师1(科班)，教师2"},
                                   {"", "06月06日 14:00-16:00", "数学", "教师3"},
                                   {"高一(2)班", "06月05日 08:00-10:00", "语文", "教师3"},
                               }));
    EXPECT_EQ(sheet.name, "按考场");
    EXPECT_EQ(sheet.Value(2, 1).text, "考场");
}

TEST_F(Arrangement, AnEmptyArrangementGivesTitlesAndHeadingsOnly)
{
    data.FreeProctorList();
    ASSERT_TRUE(Export());
    for (int n = 0; n < 3; ++n) {
        SheetData sheet;
        EXPECT_TRUE(Rows(n, &sheet).empty());
        EXPECT_EQ(sheet.LastRow(), 2);
        // With the year, and names without tags, by default.
        EXPECT_EQ(sheet.Value(1, 1).text, "期中考试监考安排表");
    }
    data.FreeProctorList();
    AddItem(data, "p1", "c1", {"t1"});
    ASSERT_TRUE(Export());
    EXPECT_EQ(Rows(0), (std::vector<Strings>{{"2024年06月05日 08:00-10:00", "语文", "高一(1)班", "教师1"}}));
}

// Where LibreOffice is installed, it reads the same three sheets.
TEST_F(Arrangement, LibreOfficeReadsTheWorkbook)
{
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    ASSERT_TRUE(Export());
    ASSERT_EQ(ConvertSheetsToCsv(office, path, folder.path()), "");
    auto read = [&](const char* sheet) {
        const std::string text = ReadCsv(folder / ("csv/期中考试监考安排表-" + std::string(sheet) + ".csv"));
        EXPECT_FALSE(text.empty()) << sheet;
        return text;
    };
    const std::string byExam = read("按考试计划");
    EXPECT_NE(byExam.find("期中考试监考安排表"), std::string::npos) << byExam;
    EXPECT_NE(byExam.find("2024年06月05日 08:00-10:00,语文,高一(1)班,教师1，教师2"), std::string::npos) << byExam;
    EXPECT_NE(read("按监考教师").find("教师3,2024年06月06日 14:00-16:00,数学,"), std::string::npos);
    EXPECT_NE(read("按考场").find("实验室2,2024年06月06日 14:00-16:00,数学,教师1"), std::string::npos);
}

// Printed as an office prints it: each sheet one page wide, its headings beside its rows.
TEST_F(Arrangement, EachSheetPrintsOnePageWide)
{
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    ASSERT_TRUE(Export());
    const std::string pdf = ConvertToPdf(office, path, folder.path());
    ASSERT_FALSE(pdf.empty());
    const std::vector<PdfPage> pages = ReadPdfPages(pdf);
    ASSERT_EQ(pages.size(), 3u);
    for (const PdfPage& page : pages) {
        const auto has = [&](const char* text) {
            return std::any_of(page.words.begin(), page.words.end(), [&](const PdfWord& w) { return w.text == text; });
        };
        EXPECT_TRUE(has("期中考试监考安排表"));
        EXPECT_TRUE(has("监考教师"));
        EXPECT_TRUE(OverlappingWords(page).empty());
    }
    RenderPage(pdf, 1, std::string(ZEM_TEST_OUTPUT_DIR) + "/invigilation-workbook-printed.png");
}

}  // namespace
