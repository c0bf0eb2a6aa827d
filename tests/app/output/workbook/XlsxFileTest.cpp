// A saved workbook as a file: unzipped and checked part by part, read back by the program's reader,
// and read by an independent reader where one is installed.
#include "app/output/workbook/WorkbookReader.h"
#include "app/output/workbook/XlsxWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <zip.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace {

using namespace zem::workbook;

std::string Unzip(const std::string& path, const std::string& entry)
{
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!zip)
        return {};
    std::string bytes;
    if (zip_file_t* file = zip_fopen(zip, entry.c_str(), 0)) {
        char buffer[4096];
        zip_int64_t n = 0;
        while ((n = zip_fread(file, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, static_cast<std::size_t>(n));
        zip_fclose(file);
    }
    zip_discard(zip);
    return bytes;
}

pugi::xml_document ParsePart(const std::string& path, const std::string& entry)
{
    pugi::xml_document doc;
    const std::string bytes = Unzip(path, entry);
    EXPECT_TRUE(doc.load_buffer(bytes.data(), bytes.size())) << entry;
    return doc;
}

// Two sheets: a timetable-like block on the first, with a merged title, a cell in two fonts, the
// three fills the writers use and widths; a second sheet that is the one shown.
void BuildSample(Workbook& book)
{
    Worksheet& sheet = book.GetSheet(1);
    sheet.SetName("高一(1)班，高一(2)班");
    sheet.SetStandardWidth(9);
    sheet.Cells().SetHorizontalAlignment(3);
    sheet.Cells().SetVerticalAlignment(-4108);
    sheet.Cells().SetWrapText(true);
    sheet.Cells().SetNumberFormatLocal("@");
    sheet.GetRange("A1", "D1").Merge(true);
    sheet.GetRange("A1").SetValue("高一(1)班课表");
    sheet.GetRange("A1").Font().SetName("黑体");
    sheet.GetRange("A1").Font().SetSize(16);
    sheet.GetRange("B3").SetValue("语文\n302");
    sheet.GetRange("B3").Font().SetName("宋体");
    sheet.GetRange("B3").Font().SetSize(9);
    sheet.GetRange("B3").Characters(0, 2).SetName("黑体");
    sheet.GetRange("B3").Characters(0, 2).SetSize(12);
    sheet.GetRange("A2", "D2").Interior().SetColorIndex(15);
    sheet.GetRange("B4").Interior().SetColorIndex(33);
    sheet.GetRange("A4").Interior().SetColorIndex(34);
    sheet.GetRange("A2", "D4").BorderAround(1, 2, 1);
    sheet.GetRange("A3").SetValue("0302");
    sheet.GetRange("C3").SetValue("数学");
    sheet.GetRange("C3", "C4").Merge();
    sheet.GetRange("C4", "D4").Merge();  // touches C3:C4: C3:D4
    sheet.GetRange("B1").SetColumnWidth(5);
    sheet.GetRange("C1").SetColumnWidth(5);
    sheet.GetRange("F1").SetColumnWidth(12);
    sheet.GetRange("A1").SetRowHeight(30);
    book.AddSheets(1);
    Worksheet& second = book.GetSheet(2);
    second.GetRange("A1").SetValue("12");
    second.GetRange("B2").SetValue("1-3");
    book.SetActiveSheet(2);
}

class SavedWorkbook : public ::testing::Test {
protected:
    void SetUp() override
    {
        Workbook book;
        BuildSample(book);
        path = folder / "课表.xlsx";
        SaveXlsx(book, path);
    }

    TempFolder folder;
    std::string path;
};

TEST_F(SavedWorkbook, MergedAreasAreDisjointAndColumnsInOrder)
{
    const pugi::xml_document doc = ParsePart(path, "xl/worksheets/sheet1.xml");
    std::vector<Area> merges;
    for (const pugi::xpath_node& m : doc.select_nodes("//mergeCell")) {
        const std::string ref = m.node().attribute("ref").value();
        const std::size_t colon = ref.find(':');
        ASSERT_NE(colon, std::string::npos) << ref;
        Area a;
        ASSERT_TRUE(ParseCellName(ref.substr(0, colon), a.firstRow, a.firstColumn));
        ASSERT_TRUE(ParseCellName(ref.substr(colon + 1), a.lastRow, a.lastColumn));
        merges.push_back(a);
    }
    std::set<std::string> refs;
    for (const Area& a : merges)
        refs.insert(AreaName(a));
    EXPECT_EQ(refs, (std::set<std::string>{"A1:D1", "C3:D4"}));
    for (std::size_t i = 0; i < merges.size(); ++i) {
        for (std::size_t j = i + 1; j < merges.size(); ++j)
            EXPECT_FALSE(merges[i].Intersects(merges[j])) << AreaName(merges[i]) << " " << AreaName(merges[j]);
    }

    int lastMax = 0;
    std::map<int, double> widths;
    for (const pugi::xpath_node& c : doc.select_nodes("//cols/col")) {
        const int min = c.node().attribute("min").as_int();
        const int max = c.node().attribute("max").as_int();
        EXPECT_GT(min, lastMax) << "column ranges overlap or are out of order";
        EXPECT_LE(min, max);
        lastMax = max;
        widths[min] = c.node().attribute("width").as_double();
    }
    EXPECT_EQ(lastMax, kMaxColumns);  // the standard width reaches every column
    EXPECT_NEAR(widths[2], 5.71, 0.01);   // 5 characters and the cell's padding
    EXPECT_NEAR(widths[6], 12.71, 0.01);
    EXPECT_NEAR(widths[1], 9.71, 0.01);
    EXPECT_STREQ(doc.select_node("//row[@r='1']").node().attribute("ht").value(), "30");
}

TEST_F(SavedWorkbook, RunsFillsAndFramesAreInTheFile)
{
    const pugi::xml_document strings = ParsePart(path, "xl/sharedStrings.xml");
    const pugi::xpath_node rich = strings.select_node("//si[r]");
    ASSERT_TRUE(rich);
    std::vector<std::string> texts, faces, sizes;
    for (const pugi::xpath_node& r : rich.node().select_nodes("r")) {
        texts.push_back(r.node().child("t").text().get());
        faces.push_back(r.node().child("rPr").child("rFont").attribute("val").value());
        sizes.push_back(r.node().child("rPr").child("sz").attribute("val").value());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"语文", "\n302"}));
    EXPECT_EQ(faces, (std::vector<std::string>{"黑体", "宋体"}));
    EXPECT_EQ(sizes, (std::vector<std::string>{"12", "9"}));

    const pugi::xml_document styles = ParsePart(path, "xl/styles.xml");
    std::set<std::string> fills;
    for (const pugi::xpath_node& f : styles.select_nodes("//fills/fill/patternFill[@patternType='solid']/fgColor"))
        fills.insert(f.node().attribute("rgb").value());
    EXPECT_EQ(fills, (std::set<std::string>{"FFC0C0C0", "FF00CCFF", "FFCCFFFF"}));
    EXPECT_TRUE(styles.select_node("//cellXfs/xf[@numFmtId='49']")) << Unzip(path, "xl/styles.xml");  // text "@"
    EXPECT_TRUE(styles.select_node("//borders/border[left/@style='thin' and top/@style='thin']"));

    const pugi::xml_document book = ParsePart(path, "xl/workbook.xml");
    EXPECT_STREQ(book.select_node("//sheet[1]").node().attribute("name").value(), "高一(1)班，高一(2)班");
    EXPECT_STREQ(book.select_node("//workbookView").node().attribute("activeTab").value(), "1");
}

TEST_F(SavedWorkbook, ReadsBackThroughTheProgramsReader)
{
    SheetData sheet;
    std::string error;
    ASSERT_TRUE(ReadWorkbookSheet(path, sheet, error)) << error;
    // The sheet shown is the second.
    EXPECT_EQ(sheet.name, "Sheet2");
    EXPECT_EQ(sheet.Value(1, 1).type, CellValue::Type::Number);
    EXPECT_EQ(sheet.Value(1, 1).number, 12);
    EXPECT_EQ(sheet.Value(2, 2).text, "1-3");
    EXPECT_EQ(sheet.FirstRow(), 1);
    EXPECT_EQ(sheet.LastColumn(), 2);

    // The first, once it is the sheet shown.
    Workbook book;
    BuildSample(book);
    book.SetActiveSheet(1);
    SaveXlsx(book, path);
    ASSERT_TRUE(ReadWorkbookSheet(path, sheet, error)) << error;
    EXPECT_EQ(sheet.Value(1, 1).text, "高一(1)班课表");
    EXPECT_EQ(sheet.Value(3, 1).text, "0302");
    EXPECT_EQ(sheet.Value(3, 2).text, "语文\n302");
    EXPECT_EQ(sheet.Value(3, 3).text, "数学");
    EXPECT_EQ(sheet.Value(1, 2).type, CellValue::Type::Empty);
    EXPECT_EQ(sheet.Rows(), 3);
    EXPECT_EQ(sheet.Columns(), 3);
}

TEST(XlsxSave, TextsComeBackAsTheyWereWritten)
{
    const std::string texts[] = {"制表\t符", "回车\r\n换行", "控制\x01字符\x1F", "g_x0041_h", "_x005F_", "  空格  ",
                                 "瑋琝喆堃玥", "𠀀扩展B"};
    TempFolder folder;
    for (bool twoFonts : {false, true}) {
        Workbook book;
        int row = 1;
        for (const std::string& text : texts) {
            Range cell = book.GetSheet(1).GetRange(CellName(row++, 1));
            cell.SetValue(text);
            if (twoFonts)
                cell.Characters(0, 1).SetSize(14);
        }
        SaveXlsx(book, folder / "texts.xlsx");
        SheetData sheet;
        std::string error;
        ASSERT_TRUE(ReadWorkbookSheet(folder / "texts.xlsx", sheet, error)) << error;
        row = 1;
        for (const std::string& text : texts)
            EXPECT_EQ(sheet.Value(row++, 1).text, text) << twoFonts;
    }
}

TEST(XlsxSave, AFailedSaveLeavesTheOldFileAndSaysWhy)
{
    TempFolder folder;
    const std::string path = folder / "old.xlsx";
    WriteRaw(path, "old bytes");
    Workbook book;
    book.GetSheet(1).GetRange("A1").SetValue("新");
    try {
        SaveXlsx(book, folder / "missing/new.xlsx");
        ADD_FAILURE() << "saved into a folder that does not exist";
    } catch (const WorkbookError& error) {
        EXPECT_NE(std::string(error.what()).find("文件夹不存在"), std::string::npos) << error.what();
    }
    std::filesystem::create_directory(folder / "locked");
    SaveXlsx(book, folder / "locked/a.xlsx");
    std::filesystem::permissions(folder / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (::geteuid() != 0) {
        EXPECT_THROW(SaveXlsx(book, folder / "locked/a.xlsx"), WorkbookError);
        SheetData sheet;
        std::string error;
        EXPECT_TRUE(ReadWorkbookSheet(folder / "locked/a.xlsx", sheet, error)) << error;
    }
    std::filesystem::permissions(folder / "locked", std::filesystem::perms::owner_all);
    EXPECT_EQ(ReadRaw(path), "old bytes");
    // Nothing of the failed saves is left beside the files.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++entries;
    EXPECT_EQ(entries, 2u);
}

// An independent reader, where one is installed, sees the same merges, fonts and fills.
TEST(XlsxIndependentReader, SeesMergesFontsAndFills)
{
    // The system's python, where the Debian package puts the module, before any other on the path.
    std::string python;
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
        if (std::system((std::string(candidate) + " -c 'import openpyxl' >/dev/null 2>&1").c_str()) == 0) {
            python = candidate;
            break;
        }
    }
    if (python.empty())
        GTEST_SKIP() << "python3-openpyxl is not installed: the workbook is not checked by an independent reader";
    TempFolder folder;
    Workbook book;
    BuildSample(book);
    const std::string path = folder / "check.xlsx";
    SaveXlsx(book, path);
    const std::string script = std::string(ZEM_TEST_DATA_DIR) + "/workbook/describe_workbook.py";
    const std::string out = folder / "out.txt";
    ASSERT_EQ(std::system((python + " '" + script + "' '" + path + "' > '" + out + "'").c_str()), 0);
    const std::string expected =
        "sheets 高一(1)班，高一(2)班|Sheet2 active Sheet2\n"
        "merged A1:D1 C3:D4\n"
        "A1 '高一(1)班课表' 黑体 16.0 bold=False fill=None format=@\n"
        "A2 None Calibri 11.0 bold=False fill=FFC0C0C0 format=@\n"
        "B2 None Calibri 11.0 bold=False fill=FFC0C0C0 format=@\n"
        "C2 None Calibri 11.0 bold=False fill=FFC0C0C0 format=@\n"
        "D2 None Calibri 11.0 bold=False fill=FFC0C0C0 format=@\n"
        "A3 '0302' Calibri 11.0 bold=False fill=None format=@\n"
        "B3 '语文\\n302' 宋体 9.0 bold=False fill=None format=@\n"
        "C3 '数学' Calibri 11.0 bold=False fill=None format=@\n"
        "A4 None Calibri 11.0 bold=False fill=FFCCFFFF format=@\n"
        "B4 None Calibri 11.0 bold=False fill=FF00CCFF format=@\n"
        "Sheet2 A1 12 B2 '1-3'\n";
    // A reader that keeps the fonts of parts of a text also lists them; older ones flatten the text.
    std::string seen;
    std::istringstream lines(ReadRaw(out));
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("runs ")) {
            EXPECT_TRUE(line.starts_with("runs B3 ") && line.find("黑体") < line.find("宋体")) << line;
            continue;
        }
        seen += line + "\n";
    }
    EXPECT_EQ(seen, expected);
}

}  // namespace
