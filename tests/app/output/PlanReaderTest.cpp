// The teaching-plan reader: the cross table's headers, crossings and weekly-count row, the head
// teachers, the flat list, the shape question, and where a refusal or a bad cell stops.
#include "app/output/import/PlanReader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using zem::import::PlanReadJob;
using zem::import::RowReadResult;
using zem::workbook::CellValue;
using zem::workbook::SheetData;
using Grid = std::vector<std::vector<std::string>>;

SheetData SheetOf(const Grid& grid, int top = 1, int left = 1)
{
    SheetData sheet;
    for (std::size_t r = 0; r < grid.size(); ++r)
        for (std::size_t c = 0; c < grid[r].size(); ++c)
            if (!grid[r][c].empty())
                sheet.Set(top + static_cast<int>(r), left + static_cast<int>(c), {CellValue::Type::Text, grid[r][c], 0});
    return sheet;
}

struct Outcome {
    Grid rows;
    std::vector<std::map<std::string, std::string>> headTeachers;
    std::vector<std::pair<int, int>> questions;
    RowReadResult result;
};

// Reads the sheet; the page takes every row unless `refuse` says it stops the import.
Outcome Read(const SheetData& sheet, int format, bool selfStudy = false, int answer = -1,
         const std::function<bool(const CPageRow&)>& refuse = {})
{
    Outcome run;
    PlanReadJob job;
    job.format = format;
    job.selfStudy = selfStudy;
    job.sendRow = [&](CPageNotify& notify, const CPageRow& cells) -> zem::LRESULT {
        EXPECT_TRUE(notify.byName);
        if (refuse && refuse(cells)) {
            notify.error = true;
            notify.message = "不行";
            return -1;
        }
        run.rows.push_back(cells);
        return 0;
    };
    job.sendHeadTeachers = [&](const std::map<std::string, std::string>& map) { run.headTeachers.push_back(map); };
    job.askFormat = [&](int current, int guess) {
        run.questions.emplace_back(current, guess);
        return answer < 0 ? current : answer;
    };
    run.result = zem::import::ReadPlanSheet(sheet, job);
    return run;
}

// One class row under one header cell: the plan the crossing gives, or none.
TEST(PlanReader, CrossTableCells)
{
    struct Case {
        const char* name;
        std::string header;
        std::string crossing;
        std::string weekly;  // the weekly-count row's cell; empty: no such row
        bool selfStudy;
        Grid expected;
    };
    const std::vector<Case> cases = {
        {"count after the subject", "英语#4", "王五", "", false, {{"一班", "英语", "王五", "主课", "4", "1", "0", ""}}},
        {"self-study default type", "英语#4", "王五", "", true, {{"一班", "早读", "英语", "王五", "4", "1", "0", ""}}},
        {"full header", "语文#主#6#2#1", "张三", "", false, {{"一班", "语文", "张三", "主", "6", "2", "1", ""}}},
        {"header with room", "物理，副，2，1，0，3.10", "赵六", "", false, {{"一班", "物理", "赵六", "副", "2", "1", "0", "3.10"}}},
        {"weekly-count row", "语文", "张三", "5", false, {{"一班", "语文", "张三", "主课", "5", "1", "0", ""}}},
        {"no count anywhere", "语文", "张三", "", false, {{"一班", "语文", "张三", "主课", "1", "1", "0", ""}}},
        {"crossing's own count", "语文#主#6#2#1", "李四#3", "", false, {{"一班", "语文", "李四", "主", "3", "1", "0", ""}}},
        {"crossing's own room", "语文#主#6", "李四,2.5,2,1,0302", "", false, {{"一班", "语文", "李四", "主", "2.5", "2", "1", "0302"}}},
        {"empty crossing", "语文#主#6", "", "", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Grid grid = {{"班级", c.header, "数学#主#5"}, {"一班", c.crossing, ""}};
        if (!c.weekly.empty())
            grid.push_back({"周课时", c.weekly, ""});
        const Outcome run = Read(SheetOf(grid), zem::import::kCrossTableFormat, c.selfStudy);
        EXPECT_TRUE(run.result.Ok()) << run.result.error;
        EXPECT_EQ(run.rows, c.expected);
        EXPECT_TRUE(run.headTeachers.empty());
    }
}

// The "班主任" column sends no plans; its teachers come in one message after the rows. A title row
// above and an empty column to the left are passed by.
TEST(PlanReader, HeadTeachersAndTheSheetsCorner)
{
    const Grid grid = {{"初一年级教学计划"},
                       {"", "班级", "语文#主#6", "班主任", "英语#4"},
                       {"", "初一（1）班", "张三", "张三", "王五"},
                       {"", "初一（2）班", "李四", "赵六", ""}};
    const Outcome run = Read(SheetOf(grid, 2, 1), zem::import::kCrossTableFormat);
    ASSERT_TRUE(run.result.Ok()) << run.result.error;
    EXPECT_EQ(run.rows, (Grid{{"初一（1）班", "语文", "张三", "主", "6", "1", "0", ""},
                              {"初一（1）班", "英语", "王五", "主课", "4", "1", "0", ""},
                              {"初一（2）班", "语文", "李四", "主", "6", "1", "0", ""}}));
    ASSERT_EQ(run.headTeachers.size(), 1u);
    EXPECT_EQ(run.headTeachers[0], (std::map<std::string, std::string>{{"初一（1）班", "张三"}, {"初一（2）班", "赵六"}}));
    EXPECT_TRUE(run.questions.empty());
}

// Flat list rows without a class take the one above; a row wider than 8 cells is cut to 8; an
// empty row sends nothing; numbers arrive as the page reads them.
TEST(PlanReader, FlatListInheritsTheClass)
{
    SheetData sheet = SheetOf({{"班级", "课程", "教师", "主/副课", "周课时数", "连课", "次数", "指定教室", "备注"},
                               {"初一(1)班", "语文", "张 三", "主课", "", "2", "1", "", "多余"},
                               {"", "数学", "李四", "副课", "", "", "", "3.10"},
                               {},
                               {"初一(2)班", "语文", "王五"}});
    sheet.Set(2, 5, {CellValue::Type::Number, "", 6});
    sheet.Set(3, 5, {CellValue::Type::Number, "", 2.5});
    const Outcome run = Read(sheet, zem::import::kFlatListFormat);
    ASSERT_TRUE(run.result.Ok()) << run.result.error;
    EXPECT_EQ(run.rows, (Grid{{"初一（1）班", "语文", "张三", "主课", "6", "2", "1", ""},
                              {"初一（1）班", "数学", "李四", "副课", "2.5", "", "", "3.10"},
                              {"初一（2）班", "语文", "王五", "", "", "", "", ""}}));
    EXPECT_TRUE(run.questions.empty());
}

// The sheet's look against the chosen shape: a cross table read as a list is asked about, and the
// answer decides how this file is read; a list read as a cross table too.
TEST(PlanReader, ShapeQuestion)
{
    const SheetData cross = SheetOf({{"班级", "语文#主#6", "数学#主#5", "英语#4"}, {"一班", "张三", "李四", "王五"}});
    const Outcome kept = Read(cross, zem::import::kFlatListFormat, false, zem::import::kFlatListFormat);
    EXPECT_EQ(kept.questions, (std::vector<std::pair<int, int>>{{1, 0}}));
    EXPECT_EQ(kept.rows.size(), 1u);
    EXPECT_EQ(kept.rows[0][1], "张三");
    const Outcome switched = Read(cross, zem::import::kFlatListFormat, false, zem::import::kCrossTableFormat);
    EXPECT_EQ(switched.rows.size(), 3u);

    const SheetData list = SheetOf({{"班级", "课程", "教师", "主/副课", "周课时数"}, {"一班", "语文", "张三", "主课", "6"}});
    const Outcome asked = Read(list, zem::import::kCrossTableFormat, false, zem::import::kFlatListFormat);
    EXPECT_EQ(asked.questions, (std::vector<std::pair<int, int>>{{0, 1}}));
    EXPECT_EQ(asked.rows, (Grid{{"一班", "语文", "张三", "主课", "6", "", "", ""}}));
    EXPECT_EQ(zem::import::PlanFormatQuestion(1, 0),
              "您之前选择的导入格式是：平铺列表\n\n而您的Excel文件中内容很有可能是 交叉表格 格式\n是否要调整为 交叉表格 格式导入");
}

// A refusal that stops the import names the sheet's row, and in a cross table its column; a date
// stops with its cell; the rows before stay sent.
TEST(PlanReader, StopsNameTheirCell)
{
    const auto refuseLisi = [](const CPageRow& cells) { return cells[2] == "李四"; };
    const Outcome cross = Read(SheetOf({{"班级", "语文#主#6", "数学#主#5"}, {"一班", "张三", "李四"}}),
                           zem::import::kCrossTableFormat, false, -1, refuseLisi);
    EXPECT_EQ(cross.result.error, "Excel文件中第 2 行第 C 列\r\n不行");
    EXPECT_EQ(cross.rows.size(), 1u);
    const Outcome flat = Read(SheetOf({{"班级", "课程", "教师"}, {"一班", "语文", "张三"}, {"一班", "数学", "李四"}}),
                          zem::import::kFlatListFormat, false, -1, refuseLisi);
    EXPECT_EQ(flat.result.error, "Excel文件中第 3 行\r\n不行");
    EXPECT_EQ(flat.rows.size(), 1u);

    SheetData dated = SheetOf({{"班级", "课程", "教师"}, {"一班", "语文", "张三"}, {"一班", "数学", "李四"}});
    dated.Set(3, 2, {CellValue::Type::Date, "2024-09-01", 45536});
    const Outcome date = Read(dated, zem::import::kFlatListFormat);
    EXPECT_EQ(date.result.error.rfind("Excel文件中第 3 行\r\n第 B 列是日期", 0), 0u) << date.result.error;
    EXPECT_EQ(date.rows.size(), 1u);
}

}  // namespace
