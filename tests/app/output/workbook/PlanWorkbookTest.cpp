// The teaching-plan workbook (kind 6) in both shapes, and the combined-class and assistant
// workbooks (kinds 7 and 8), written by the program's engine and read back by its reader and,
// where it is installed, by LibreOffice.
#include "app/output/import/PlanReader.h"
#include "app/output/workbook/CombinedClassWorkbooks.h"
#include "app/output/workbook/PlanWorkbook.h"
#include "app/output/workbook/WorkbookReader.h"
#include "support/FakeAppServices.h"
#include "support/OfficeCsv.h"
#include "support/SchoolBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zem::workbook::CellValue;
using zem::workbook::SheetData;
using Grid = std::vector<std::vector<std::string>>;

// Three classes (the third without plans), a plan of a class that is not in the list, a half
// lesson, fixed rooms whose names read as numbers, a minor course, combined classes and assistants.
class PlanSchool : public testing::Test {
protected:
    PlanSchool()
    {
        b.Teacher("t1", "张三");
        b.Teacher("t2", "李四");
        b.Teacher("t3", "王五");
        b.Class("c1", "一班");
        b.Class("c2", "3.10");
        b.Class("c3", "三班");
        b.Subject("s1", "语文");
        b.Subject("s2", "数学");
        b.Subject("s3", "英语");
        b.Room("r1", "0302");
        b.Room("r2", "3.10");
        Blocks(b.Course("p1", "c1", "s1", "t1", "6"), 2, 1);
        b.Course("p2", "c1", "s2", "t2", "4");
        b.Course("p3", "c1", "s3", "t3", "2.5", "r2")->SetMainCourse(0);
        Blocks(b.Course("p4", "c2", "s1", "t3", "6"), 2, 1);
        b.Course("p5", "c2", "s2", "t2", "5", "r1");
        b.Course("p6", "c9", "s2", "t2", "3");
        b.SelfStudy("m1", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING, "3");
        b.SelfStudy("e1", "c2", "s2", "t2", COURSE_TYPE_SELF_STUDY, "2");
        b.Combined("cc1", {"p1", "p4"});
        b.Combined("cc2", {"gone", "p2"});
        b.Combined("cc3", {"p2", "gone", "p5"});
        b.Combined("cc4", {});
        b.Assistant("p4", {"t1", "t2"});
        b.Assistant("p2", {});
        b.Assistant("gone", {"t1"});
    }
    static void Blocks(CCourseInfo* plan, int nodes, int times)
    {
        plan->SetContinuousNodes(nodes);
        plan->SetContinuousTimes(times);
    }

    // Writes the kind into a workbook and reads its sheet back; the error text when it failed.
    std::string Write(int kind, bool flag, SheetData& sheet, const std::string& name = "out.xlsx")
    {
        CSpreadsheetExporter exporter(&b.Task());
        exporter.SetDirect(true);
        CExportParam& param = exporter.GetParam();
        param.Reset();
        param.kind = kind;
        param.flag = flag;
        param.fileName = folder / name;
        if (!exporter.RunExport())
            return param.errorText.empty() ? "failed" : param.errorText;
        std::string error;
        EXPECT_TRUE(zem::workbook::ReadWorkbookSheet(param.fileName, sheet, error)) << error;
        return {};
    }

    SchoolBuilder b;
    TempFolder folder;
    FakeAppServices services;
};

// Numbers as "=" and their first three characters; empty cells at the end of a row left out.
Grid Texts(const SheetData& sheet)
{
    Grid grid(static_cast<std::size_t>(sheet.LastRow()), std::vector<std::string>(static_cast<std::size_t>(sheet.LastColumn())));
    sheet.ForEachCell([&](int row, int column, const CellValue& value) {
        grid[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)] =
            value.type == CellValue::Type::Number ? "=" + std::to_string(value.number).substr(0, 3) : value.text;
    });
    for (auto& row : grid)
        while (!row.empty() && row.back().empty())
            row.pop_back();
    return grid;
}

// The cross table: a column per key in the order met, the header carrying the value most later
// plans of the key have, a cell naming what differs from it; the class without plans framed empty.
TEST_F(PlanSchool, CrossTable)
{
    services.importFormat = 0;
    SheetData sheet;
    ASSERT_EQ(Write(kPlanExport, true, sheet), "");
    EXPECT_EQ(Texts(sheet), (Grid{{"", "语文#主#6#2#1", "数学#主#5#1#0#0302", "英语#副#2.5#1#0#3.10"},
                                  {"一班", "张三", "李四,4", "王五"},
                                  {"3.10", "王五", "李四"},
                                  {"三班"}}));

    // Read back as the import reads it, the plans come again.
    zem::import::PlanReadJob job;
    job.format = zem::import::kCrossTableFormat;
    Grid rows;
    job.sendRow = [&](CPageNotify&, const CPageRow& cells) -> zem::LRESULT {
        rows.push_back(cells);
        return 0;
    };
    ASSERT_TRUE(zem::import::ReadPlanSheet(sheet, job).Ok());
    EXPECT_EQ(rows, (Grid{{"一班", "语文", "张三", "主", "6", "2", "1", ""},
                          {"一班", "数学", "李四", "主", "4", "1", "0", ""},
                          {"一班", "英语", "王五", "副", "2.5", "1", "0", "3.10"},
                          {"3.10", "语文", "王五", "主", "6", "2", "1", ""},
                          {"3.10", "数学", "李四", "主", "5", "1", "0", "0302"}}));
}

// The flat list: a row per plan of a listed class, names as text and counts as numbers.
TEST_F(PlanSchool, FlatLists)
{
    SheetData plans;
    ASSERT_EQ(Write(kPlanExport, true, plans), "");
    EXPECT_EQ(Texts(plans), (Grid{{"班级", "课程", "教师", "主/副课", "周课时数", "连课", "次数", "指定教室"},
                                  {"一班", "语文", "张三", "主课", "=6.0", "=2.0", "=1.0"},
                                  {"一班", "数学", "李四", "主课", "=4.0", "=1.0", "=0.0"},
                                  {"一班", "英语", "王五", "副课", "=2.5", "=1.0", "=0.0", "3.10"},
                                  {"3.10", "语文", "王五", "主课", "=6.0", "=2.0", "=1.0"},
                                  {"3.10", "数学", "李四", "主课", "=5.0", "=1.0", "=0.0", "0302"}}));
    SheetData selfStudy;
    ASSERT_EQ(Write(kPlanExport, false, selfStudy), "");
    EXPECT_EQ(Texts(selfStudy), (Grid{{"班级", "类型", "课程", "教师", "周课时数", "连课", "次数", "指定教室"},
                                      {"一班", "早读", "语文", "张三", "=3.0", "=1.0", "=0.0"},
                                      {"3.10", "晚自习", "数学", "李四", "=2.0", "=1.0", "=0.0"}}));
}

// Without plans: the cross table holds A1 and the class names, the flat list its headings.
TEST_F(PlanSchool, EmptyPlanList)
{
    b.Task().GetSelfStudyInfoList().RemoveAll();
    SheetData flat;
    ASSERT_EQ(Write(kPlanExport, false, flat), "");
    EXPECT_EQ(Texts(flat).size(), 1u);
    services.importFormat = 0;
    SheetData cross;
    ASSERT_EQ(Write(kPlanExport, false, cross), "");
    EXPECT_EQ(Texts(cross), (Grid{{}, {"一班"}, {"3.10"}, {"三班"}}));
}

// A name the import would split refuses the cross table, naming it; the flat list takes it.
TEST_F(PlanSchool, CrossTableRefusesNamesThatSplit)
{
    b.Teacher("t4", "张,三");
    b.Room("r3", "实验室#2");
    b.Course("p7", "c3", "s3", "t4", "2", "r3");
    services.importFormat = 0;
    SheetData sheet;
    const std::string error = Write(kPlanExport, true, sheet);
    EXPECT_EQ(error, CrossTableRefusalText({"张,三", "实验室#2"}));
    EXPECT_NE(error.find("平铺列表"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / "out.xlsx"));
    services.importFormat = 1;
    EXPECT_EQ(Write(kPlanExport, true, sheet), "");
}

// Combined classes from their first course, with the classes of every course that exists; plans
// with assistants; records without their plan or without assistants give no row.
TEST_F(PlanSchool, CombinedClassesAndAssistants)
{
    SheetData combined;
    ASSERT_EQ(Write(kCombinedClassExport, true, combined), "");
    EXPECT_EQ(Texts(combined), (Grid{{"课程", "教师", "类型", "班级列表"},
                                     {"语文", "张三", "常规", "一班,3.10"},
                                     {"数学", "李四", "常规", "一班,3.10"}}));
    SheetData assistants;
    ASSERT_EQ(Write(kAssistantExport, true, assistants), "");
    EXPECT_EQ(Texts(assistants), (Grid{{"班级", "课程", "教师", "类型", "助教列表"}, {"3.10", "语文", "王五", "常规", "张三，李四"}}));

    b.Task().GetCombineCourseList().RemoveAll();
    SheetData none;
    ASSERT_EQ(Write(kCombinedClassExport, true, none), "");
    EXPECT_EQ(Texts(none).size(), 1u);
}

// LibreOffice reads the same texts: names that look like numbers stay as written.
TEST_F(PlanSchool, LibreOfficeReadsTheWorkbooks)
{
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    SheetData sheet;
    services.importFormat = 0;
    ASSERT_EQ(Write(kPlanExport, true, sheet, "cross.xlsx"), "");
    ASSERT_EQ(ConvertSheetsToCsv(office, folder / "cross.xlsx", folder.path()), "");
    const std::string cross = ReadCsv(folder / "csv/cross-Sheet1.csv");
    EXPECT_NE(cross.find(",语文#主#6#2#1,数学#主#5#1#0#0302,英语#副#2.5#1#0#3.10"), std::string::npos) << cross;
    EXPECT_NE(cross.find("一班,张三,\"李四,4\",王五"), std::string::npos) << cross;
    EXPECT_NE(cross.find("3.10,王五,李四"), std::string::npos) << cross;
}

TEST_F(PlanSchool, LibreOfficeReadsTheFlatList)
{
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    SheetData sheet;
    ASSERT_EQ(Write(kPlanExport, true, sheet, "flat.xlsx"), "");
    ASSERT_EQ(ConvertSheetsToCsv(office, folder / "flat.xlsx", folder.path()), "");
    const std::string flat = ReadCsv(folder / "csv/flat-Sheet1.csv");
    EXPECT_NE(flat.find("一班,英语,王五,副课,2.5,1,0,3.10"), std::string::npos) << flat;
    EXPECT_NE(flat.find("3.10,数学,李四,主课,5,1,0,0302"), std::string::npos) << flat;
}

TEST_F(PlanSchool, LibreOfficeReadsTheListWorkbooks)
{
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    SheetData sheet;
    ASSERT_EQ(Write(kCombinedClassExport, true, sheet, "combined.xlsx"), "");
    ASSERT_EQ(Write(kAssistantExport, true, sheet, "assistants.xlsx"), "");
    ASSERT_EQ(ConvertSheetsToCsv(office, folder / "combined.xlsx", folder.path()), "");
    ASSERT_EQ(ConvertSheetsToCsv(office, folder / "assistants.xlsx", folder.path()), "");
    const std::string combined = ReadCsv(folder / "csv/combined-Sheet1.csv");
    EXPECT_NE(combined.find("语文,张三,常规,\"一班,3.10\""), std::string::npos) << combined;
    const std::string assistants = ReadCsv(folder / "csv/assistants-Sheet1.csv");
    EXPECT_NE(assistants.find("3.10,语文,王五,常规,张三，李四"), std::string::npos) << assistants;
}

}  // namespace
