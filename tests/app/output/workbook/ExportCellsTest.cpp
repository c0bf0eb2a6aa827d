// The cell operations of the workbook writers, on an in-memory workbook and a small school.
#include "app/output/workbook/ExportCells.h"

#include "support/SchoolBuilder.h"

#include <gtest/gtest.h>

namespace {

using namespace zem::workbook;

TEST(ExportCellsWriteRange, TwoFontsOnlyWhereTheyDiffer)
{
    Workbook book;
    Worksheet& sheet = book.GetSheet(1);
    CExportCellStyle style;
    style.fontName = "宋体";
    style.fontSize = 12;
    style.bold = true;
    style.fontName2 = "宋体";
    style.fontSize2 = 9;
    WriteRange(sheet, "A1", "A1", Value(std::string("语文\n302")), &style, true);
    const Cell* cell = sheet.FindCell(1, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->format.font.size, 9);
    EXPECT_EQ(cell->format.font.bold, true);
    ASSERT_EQ(cell->runs.size(), 1u);
    EXPECT_EQ(cell->runs[0].start, 0);
    EXPECT_EQ(cell->runs[0].length, 2);
    EXPECT_EQ(cell->runs[0].font.size, 12);

    // Equal fonts, one line, a line break first, or the flag off: one font for the whole cell.
    style.fontSize2 = 12;
    WriteRange(sheet, "B1", "B1", Value(std::string("语文\n302")), &style, true);
    style.fontSize2 = 9;
    WriteRange(sheet, "C1", "C1", Value(std::string("语文")), &style, true);
    WriteRange(sheet, "D1", "D1", Value(std::string("\n302")), &style, true);
    WriteRange(sheet, "E1", "E1", Value(std::string("语文\n302")), &style, false);
    for (int column = 2; column <= 5; ++column) {
        SCOPED_TRACE(column);
        EXPECT_TRUE(sheet.FindCell(1, column)->runs.empty());
        EXPECT_EQ(sheet.FindCell(1, column)->format.font.size, 12);
    }
}

TEST(ExportCellsWriteRange, FillsAndFrames)
{
    Workbook book;
    Worksheet& sheet = book.GetSheet(1);
    sheet.GetRange("A1", "C1").Interior().SetColorIndex(34);
    CExportCellStyle plain;
    plain.fontName = "宋体";
    plain.fontSize = 9;
    WriteRange(sheet, "A1", "A1", Value(std::string("x")), &plain, false);  // -1 and 0: left as it was
    CExportCellStyle indexed = plain;
    indexed.colorIndex = 15;
    indexed.border = true;
    WriteRange(sheet, "B1", "B2", Value(std::string("y")), &indexed, false);
    CExportCellStyle colored = plain;
    colored.color = 0x0080FF;  // a Windows colour value: red FF, green 80, blue 00
    WriteRange(sheet, "C1", "C1", Value(std::string("z")), &colored, false);
    EXPECT_EQ(sheet.GetEffectiveFormat(1, 1).fill, 0xCCFFFFu);
    EXPECT_EQ(sheet.GetEffectiveFormat(1, 2).fill, 0xC0C0C0u);
    EXPECT_EQ(sheet.GetEffectiveFormat(1, 3).fill, 0xFF8000u);
    EXPECT_TRUE(sheet.GetEffectiveFormat(1, 2).borders[kTopEdge]);
    EXPECT_TRUE(sheet.GetEffectiveFormat(2, 2).borders[kBottomEdge]);
    EXPECT_FALSE(sheet.GetEffectiveFormat(1, 2).borders[kBottomEdge]);
    EXPECT_FALSE(sheet.GetEffectiveFormat(1, 1).borders[kTopEdge]);
    EXPECT_EQ(std::get<std::string>(sheet.FindCell(2, 2)->value), "y");

    SetColumnWidth(sheet, "AB", 6.5);
    SetRowHeight(sheet, 4, 20);
    EXPECT_EQ(sheet.GetColumnWidths().at(28), 6.5);
    EXPECT_EQ(sheet.GetRowHeights().at(4), 20);
    EXPECT_EQ(CellAddress(28, 3), "AB3");

    MergeWithBorder(sheet, "D1", "D3");
    EXPECT_EQ(sheet.GetMergedAreas().size(), 1u);
    EXPECT_TRUE(sheet.GetEffectiveFormat(3, 4).borders[kBottomEdge]);
}

// A class with three Chinese lessons in a row on Monday morning, mathematics with odd/even halves on
// Tuesday, and an empty Wednesday.
class LessonCells : public ::testing::Test {
protected:
    LessonCells()
    {
        b.Subject("s1", "语文");
        b.Subject("s2", "数学");
        b.Subject("s3", "英语");
        b.Teacher("t1", "王喆");
        b.Teacher("t2", "李堃");
        b.Class("c1", "高一(1)班");
        CCourseInfo* chinese = b.Course("p1", "c1", "s1", "t1", "5");
        CCourseInfo* maths = b.Course("p2", "c1", "s2", "t2", "2.5");
        CCourseInfo* english = b.Course("p3", "c1", "s3", "t2", "2.5");
        for (int section = 0; section < 3; ++section)
            b.Task().SetCourseNode(chinese, "", false, {0, 0, section}, 0);
        b.Task().SetCourseNode(maths, "", false, {1, 0, 0}, 1);
        b.Task().SetCourseNode(english, "", false, {1, 0, 0}, 2);
        context.mergeContinuous = true;
    }

    const CCourseTable& ClassTable() { return static_cast<const CZemTableObject*>(b.Task().GetClass("c1"))->GetTable(false); }

    // Writes Monday's four forenoon periods down column 2 from row 3.
    void WriteMonday(Worksheet& sheet, bool noMerge = false)
    {
        std::vector<int> splits;
        for (int section = 0; section < 4; ++section)
            WriteLessonCell(context, b.Task(), ClassTable(), {0, 0, section}, TABLE_CLASS, true, 0, {}, sheet,
                            3 + section, 2, kHalvesBeside, splits, &style, "c1", true, noMerge);
        EXPECT_TRUE(splits.empty());
    }

    SchoolBuilder b;
    CExportContext context;
    CExportCellStyle style{"宋体", 10, false, -1, 0, true, "宋体", 8};
};

TEST_F(LessonCells, EqualLessonsInARowMergeIntoOneArea)
{
    Workbook book;
    Worksheet& sheet = book.GetSheet(1);
    WriteMonday(sheet);
    EXPECT_EQ(sheet.GetMergedAreas(), (std::vector<Area>{{3, 2, 5, 2}}));
    const std::string* first = std::get_if<std::string>(&sheet.FindCell(3, 2)->value);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first->find("语文"), std::string::npos);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(sheet.FindCell(4, 2)->value));
    EXPECT_TRUE(sheet.GetEffectiveFormat(5, 2).borders[kBottomEdge]);

    Workbook off;
    context.mergeContinuous = false;
    WriteMonday(off.GetSheet(1));
    EXPECT_TRUE(off.GetSheet(1).GetMergedAreas().empty());
    context.mergeContinuous = true;
    Workbook refused;
    WriteMonday(refused.GetSheet(1), true);
    EXPECT_TRUE(refused.GetSheet(1).GetMergedAreas().empty());
}

TEST_F(LessonCells, OddAndEvenHalvesGoBesideOrBelow)
{
    struct Case {
        int mode;
        int row, column;  // of the second half
        int split;        // what the split list notes
    } cases[] = {{kHalvesBeside, 3, 3, 3}, {kHalvesDownByRow, 4, 2, 3}, {kHalvesDown, 4, 2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        Workbook book;
        Worksheet& sheet = book.GetSheet(1);
        std::vector<int> splits;
        WriteLessonCell(context, b.Task(), ClassTable(), {1, 0, 0}, TABLE_CLASS, true, 0, {}, sheet, 3, 2, c.mode,
                        splits, &style, "c1", true, false);
        EXPECT_EQ(splits, std::vector<int>{c.split});
        const auto* first = std::get_if<std::string>(&sheet.FindCell(3, 2)->value);
        const auto* second = std::get_if<std::string>(&sheet.FindCell(c.row, c.column)->value);
        ASSERT_TRUE(first && second);
        EXPECT_NE(first->find("数学"), std::string::npos) << *first;
        EXPECT_NE(second->find("英语"), std::string::npos) << *second;
    }
}

TEST_F(LessonCells, EmptyClassCellsReadSelfStudyWhenAsked)
{
    std::vector<ExportCellEntry> parts;
    const CTeacherInfo* teacher = b.Task().GetTeacher("t2");
    const CCourseTable& teacherTable = static_cast<const CZemTableObject*>(teacher)->GetTable(false);
    EXPECT_EQ(GetExportCellText(context, b.Task(), ClassTable(), {2, 0, 0}, TABLE_CLASS, true, 0, {}, "c1", parts), "");
    context.autoFillEmptyCell = true;
    EXPECT_EQ(GetExportCellText(context, b.Task(), ClassTable(), {2, 0, 0}, TABLE_CLASS, true, 0, {}, "c1", parts),
              "自习");
    EXPECT_EQ(GetExportCellText(context, b.Task(), teacherTable, {2, 0, 0}, TABLE_TEACHER, true, 0, {}, "t2", parts),
              "");
    EXPECT_NE(GetExportCellText(context, b.Task(), ClassTable(), {0, 0, 0}, TABLE_CLASS, true, 0, {}, "c1", parts),
              "自习");
    EXPECT_EQ(parts.size(), 1u);
}

TEST_F(LessonCells, CellsChangedAgainstTheOpenTask)
{
    SchoolBuilder other;
    other.Subject("s1", "语文");
    other.Teacher("t1", "王喆");
    other.Class("c1", "高一(1)班");
    other.Task().SetCourseNode(other.Course("p1", "c1", "s1", "t1", "5"), "", false, {0, 0, 1}, 0);
    const CCourseTable& exported = static_cast<const CZemTableObject*>(other.Task().GetClass("c1"))->GetTable(false);

    context.openTask = &b.Task();
    EXPECT_FALSE(IsCellChangedFromOpenTask(context, &b.Task(), exported, {0, 0, 0}, "c1", TABLE_CLASS));
    EXPECT_TRUE(IsCellChangedFromOpenTask(context, &other.Task(), exported, {0, 0, 0}, "c1", TABLE_CLASS));
    EXPECT_FALSE(IsCellChangedFromOpenTask(context, &other.Task(), exported, {0, 0, 1}, "c1", TABLE_CLASS));
    EXPECT_FALSE(IsCellChangedFromOpenTask(context, &other.Task(), exported, {0, 0, 0}, "nobody", TABLE_CLASS));
    context.openTask = nullptr;
    EXPECT_FALSE(IsCellChangedFromOpenTask(context, &other.Task(), exported, {0, 0, 0}, "c1", TABLE_CLASS));
}

TEST(ExportCellsDays, WeekdaysToDayNumbers)
{
    const int cases[][3] = {{2, 0, 0}, {1, 0, 6}, {7, 0, 5}, {2, 1, 7}, {1, 1, 13}};
    for (const auto& c : cases)
        EXPECT_EQ(DayIndexFromWeekday(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

}  // namespace
