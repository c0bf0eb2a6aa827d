// What the in-memory workbook does on its own, as a spreadsheet program would.
#include "app/output/workbook/Workbook.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace zem::workbook;

std::string TextAt(const Worksheet& sheet, int row, int column)
{
    const Cell* cell = sheet.FindCell(row, column);
    if (!cell)
        return "<none>";
    if (const auto* text = std::get_if<std::string>(&cell->value))
        return "\"" + *text + "\"";
    if (const auto* number = std::get_if<double>(&cell->value)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%g", *number);
        return buffer;
    }
    return "<empty>";
}

std::string MergesOf(const Worksheet& sheet)
{
    std::string text;
    for (const Area& area : sheet.GetMergedAreas())
        text += (text.empty() ? "" : " ") + AreaName(area);
    return text;
}

// Which edges of a cell have a frame, as "LTRB" with '-' for none.
std::string EdgesOf(const Worksheet& sheet, int row, int column)
{
    const CellFormat format = sheet.GetEffectiveFormat(row, column);
    std::string edges;
    const char names[] = "LTRB";
    for (int e = 0; e < 4; ++e) {
        const auto& border = format.borders[static_cast<std::size_t>(e)];
        edges += border && border->style != BorderStyle::None ? names[e] : '-';
    }
    return edges;
}

struct ModelCase {
    const char* name;
    std::function<void(Worksheet&)> act;
    std::function<void(const Worksheet&)> check;
};
void PrintTo(const ModelCase& c, std::ostream* out) { PrintCaseName(c, out); }

const ModelCase kCases[] = {
    {"a chain of merges becomes one area",
     [](Worksheet& s) {
         s.GetRange("A1", "B1").Merge();
         s.GetRange("B1", "C1").Merge();
         s.GetRange("C1", "D1").Merge();
     },
     [](const Worksheet& s) { EXPECT_EQ(MergesOf(s), "A1:D1"); }},
    {"a cross becomes the box around both",
     [](Worksheet& s) {
         s.GetRange("A2", "C2").Merge();
         s.GetRange("B1", "B3").Merge();
     },
     [](const Worksheet& s) { EXPECT_EQ(MergesOf(s), "A1:C3"); }},
    {"a merge inside another changes nothing",
     [](Worksheet& s) {
         s.GetRange("A1", "C3").Merge();
         s.GetRange("B2", "C2").Merge();
     },
     [](const Worksheet& s) { EXPECT_EQ(MergesOf(s), "A1:C3"); }},
    {"a box that grows takes in what it then touches",
     [](Worksheet& s) {
         s.GetRange("C1", "D2").Merge();
         s.GetRange("A2", "B2").Merge();
         s.GetRange("A4", "B4").Merge();
         s.GetRange("B1", "C1").Merge();  // takes in C1:D2, then A2:B2 that B1:D2 touches
     },
     [](const Worksheet& s) { EXPECT_EQ(MergesOf(s), "A1:D2 A4:B4"); }},
    {"merging across merges each row; one cell merges nothing",
     [](Worksheet& s) {
         s.GetRange("A1", "C2").Merge(true);
         s.GetRange("E5", "E5").Merge();
     },
     [](const Worksheet& s) { EXPECT_EQ(MergesOf(s), "A1:C1 A2:C2"); }},
    {"only the top-left cell of a merged area keeps a value",
     [](Worksheet& s) {
         s.GetRange("A1").SetValue("语文");
         s.GetRange("B1").SetValue("数学");
         s.GetRange("A2").SetValue("下面");
         s.GetRange("A1", "B1").Merge();
         s.GetRange("B1").SetValue("后写");
     },
     [](const Worksheet& s) {
         EXPECT_EQ(TextAt(s, 1, 1), "\"语文\"");
         EXPECT_EQ(TextAt(s, 1, 2), "<empty>");
         EXPECT_EQ(TextAt(s, 2, 1), "\"下面\"");
     }},
    {"a frame around a range sets the outer edges of its cells only",
     [](Worksheet& s) { s.GetRange("B2", "C3").BorderAround(1, 2, 1); },
     [](const Worksheet& s) {
         EXPECT_EQ(EdgesOf(s, 2, 2), "LT--");
         EXPECT_EQ(EdgesOf(s, 2, 3), "-TR-");
         EXPECT_EQ(EdgesOf(s, 3, 2), "L--B");
         EXPECT_EQ(EdgesOf(s, 3, 3), "--RB");
         EXPECT_EQ(EdgesOf(s, 1, 2), "----");
     }},
    {"the sheet's default lies under a range's own setting",
     [](Worksheet& s) {
         s.Cells().SetHorizontalAlignment(3);
         s.Cells().SetVerticalAlignment(-4108);
         s.GetRange("A1").SetHorizontalAlignment(2);
     },
     [](const Worksheet& s) {
         EXPECT_EQ(s.GetEffectiveFormat(1, 1).hAlign, HAlign::Left);
         EXPECT_EQ(s.GetEffectiveFormat(1, 2).hAlign, HAlign::Center);
         EXPECT_EQ(s.GetEffectiveFormat(7, 9).vAlign, VAlign::Center);
     }},
    {"a sheet-wide setting made later replaces the cells' own",
     [](Worksheet& s) {
         s.GetRange("A1").Font().SetSize(20);
         s.GetRange("A1").Interior().SetColorIndex(15);
         s.Cells().Font().SetSize(11);
     },
     [](const Worksheet& s) {
         EXPECT_EQ(s.GetEffectiveFormat(1, 1).font.size, 11);
         EXPECT_EQ(s.GetEffectiveFormat(1, 1).fill, 0xC0C0C0u);
     }},
    {"typed text becomes a number only as a plain decimal",
     [](Worksheet& s) {
         const char* texts[] = {"12", "0302", "1-3", "2.5", "-3", "007", "0", "3.", "1e5", " 12", "123456789012345678"};
         int column = 1;
         for (const char* text : texts)
             s.GetRange(CellName(1, column++)).SetValue(text);
     },
     [](const Worksheet& s) {
         const char* expected[] = {"12", "\"0302\"", "\"1-3\"", "2.5", "-3", "\"007\"", "0", "\"3.\"", "\"1e5\"",
                                   "\" 12\"", "\"123456789012345678\""};
         for (int column = 1; column <= 11; ++column)
             EXPECT_EQ(TextAt(s, 1, column), expected[column - 1]) << "column " << column;
     }},
    {"in a text-formatted cell typed numbers stay text; numbers written before stay numbers",
     [](Worksheet& s) {
         s.GetRange("B1").SetValue("12");
         s.Cells().SetNumberFormatLocal("@");
         s.GetRange("A1").SetValue("12");
     },
     [](const Worksheet& s) {
         EXPECT_EQ(TextAt(s, 1, 1), "\"12\"");
         EXPECT_EQ(TextAt(s, 1, 2), "12");
     }},
    {"a font over the first line stays until the cell's whole font changes",
     [](Worksheet& s) {
         s.GetRange("A1", "A2").SetValue("语文\n302");
         s.GetRange("A1", "A2").Font().SetSize(9);
         s.GetRange("A1", "A2").Characters(0, 2).SetSize(12);
         s.GetRange("A2").Font().SetSize(10);
     },
     [](const Worksheet& s) {
         ASSERT_EQ(s.FindCell(1, 1)->runs.size(), 1u);
         EXPECT_EQ(s.FindCell(1, 1)->runs[0].start, 0);
         EXPECT_EQ(s.FindCell(1, 1)->runs[0].length, 2);
         EXPECT_EQ(s.FindCell(1, 1)->runs[0].font.size, 12);
         EXPECT_TRUE(s.FindCell(2, 1)->runs.empty());
     }},
    {"widths and heights go to every column and row a range spans",
     [](Worksheet& s) {
         s.SetStandardWidth(4);
         s.GetRange("B1", "C9").SetColumnWidth(10);
         s.GetRange("A3", "Z4").SetRowHeight(30);
     },
     [](const Worksheet& s) {
         EXPECT_EQ(s.GetColumnWidths(), (std::map<int, double>{{2, 10}, {3, 10}}));
         EXPECT_EQ(s.GetRowHeights(), (std::map<int, double>{{3, 30}, {4, 30}}));
         EXPECT_EQ(s.GetStandardWidth(), 4);
     }},
};

class WorkbookModel : public ::testing::TestWithParam<ModelCase> {};

TEST_P(WorkbookModel, Case)
{
    SCOPED_TRACE(GetParam().name);
    Workbook book;
    Worksheet& sheet = book.GetSheet(1);
    GetParam().act(sheet);
    GetParam().check(sheet);
}

INSTANTIATE_TEST_SUITE_P(Cases, WorkbookModel, ::testing::ValuesIn(kCases), CaseName());

TEST(WorkbookModelRefusals, WhatTheProgramWouldRefuseThrows)
{
    Workbook book;
    Worksheet& sheet = book.GetSheet(1);
    EXPECT_THROW(sheet.GetRange("A0", "B1"), WorkbookError);
    EXPECT_THROW(sheet.GetRange("XFE1"), WorkbookError);
    EXPECT_THROW(sheet.GetRange("A1").SetHorizontalAlignment(99), WorkbookError);
    EXPECT_THROW(sheet.GetRange("A1").Interior().SetColorIndex(57), WorkbookError);
    EXPECT_THROW(sheet.GetRange("A1").SetValue(std::string(40000, 'x')), WorkbookError);
    EXPECT_THROW(sheet.Cells().Merge(), WorkbookError);
}

TEST(SheetNames, ValidUniqueWithoutRegardToCase)
{
    Workbook book;
    book.AddSheets(2);
    EXPECT_EQ(book.GetSheet(3).GetName(), "Sheet3");
    book.GetSheet(1).SetName("高一(1)班");
    EXPECT_THROW(book.GetSheet(2).SetName("SHEET3"), WorkbookError);
    EXPECT_THROW(book.GetSheet(2).SetName("高一(1)班"), WorkbookError);
    EXPECT_THROW(book.GetSheet(2).SetName(std::string(32, 'a')), WorkbookError);
    EXPECT_THROW(book.GetSheet(2).SetName("a/b"), WorkbookError);
    EXPECT_THROW(book.GetSheet(2).SetName("'名'"), WorkbookError);
    EXPECT_THROW(book.GetSheet(2).SetName(""), WorkbookError);
    book.GetSheet(2).SetName(std::string(31, 'a'));
    book.GetSheet(3).SetName("sheet3");  // its own name in another case
    EXPECT_EQ(book.GetSheet(3).GetName(), "sheet3");
    EXPECT_TRUE(SameSheetName("ＡＢＣ班", "ａｂｃ班"));
}

TEST(SheetNames, SanitizedAndMadeUniqueWithinThirtyOne)
{
    const std::string thirty(30, 'x');
    const std::string forty(40, 'x');
    std::string chinese;
    for (int i = 0; i < 40; ++i)
        chinese += "班";
    struct Case {
        std::string name;
        std::vector<std::string> used;
        std::string expected;
    } cases[] = {
        {SanitizeSheetName("a/b\\c:d*e?f"), {}, "a-b-c-d-e-f"},
        {SanitizeSheetName("<1>[2]（3）"), {}, "(1)(2)(3)"},
        {SanitizeSheetName("'引号'"), {}, "引号"},
        {SanitizeSheetName(""), {}, "未命名"},
        {"高一", {"高一"}, "高一(1)"},
        {"高一", {"高一", "高一(1)"}, "高一(2)"},
        {"Class", {"CLASS"}, "Class(1)"},
        {forty, {}, std::string(31, 'x')},
        {forty, {std::string(31, 'x')}, std::string(28, 'x') + "(1)"},
        {thirty + "y", {thirty + "Y"}, std::string(28, 'x') + "(1)"},
        {chinese, {}, chinese.substr(0, 31 * 3)},
    };
    for (const Case& c : cases) {
        const std::string name = MakeUniqueSheetName(c.name, c.used);
        EXPECT_EQ(name, c.expected) << c.name;
        EXPECT_TRUE(IsValidSheetName(name)) << name;
    }
    // More than 99 taken still gives a free name.
    std::vector<std::string> used = {"表"};
    for (int n = 1; n <= 120; ++n)
        used.push_back("表(" + std::to_string(n) + ")");
    EXPECT_EQ(MakeUniqueSheetName("表", used), "表(121)");
}

}  // namespace
