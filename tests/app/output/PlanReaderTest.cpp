// The teaching-plan reader: the cross table's headers, crossings and weekly-count row, the head
// teachers, the flat list and its columns by their headings, the shape question, the refused rows
// and the bad cells, and the page's check of all the rows before the first is sent.
#include "app/output/import/PlanReader.h"
#include "platform/Text.h"

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
    std::vector<std::size_t> checked;  // the number of rows of each check
    RowReadResult result;
};

// Reads the sheet; the page takes every row unless `refuse` says it does not; `limit` refuses them all.
Outcome Read(const SheetData& sheet, int format, bool selfStudy = false, int answer = -1,
         const std::function<bool(const CPageRow&)>& refuse = {}, const std::string& limit = {})
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
        notify.accepted = true;
        run.rows.push_back(cells);
        return 0;
    };
    job.checkRows = [&](const std::vector<CPageRow>& rows) {
        run.checked.push_back(rows.size());
        return limit;
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
// answer decides how this file is read (a cross table kept as a list is refused, its columns not
// a list's); a list read as a cross table too.
TEST(PlanReader, ShapeQuestion)
{
    const SheetData cross = SheetOf({{"班级", "语文#主#6", "数学#主#5", "英语#4"}, {"一班", "张三", "李四", "王五"}});
    const Outcome kept = Read(cross, zem::import::kFlatListFormat, false, zem::import::kFlatListFormat);
    EXPECT_EQ(kept.questions, (std::vector<std::pair<int, int>>{{1, 0}}));
    // Kept as a list, its header names no subject and no teacher column: nothing is read from it.
    EXPECT_TRUE(kept.rows.empty());
    EXPECT_EQ(kept.result.error.rfind("Excel文件第 1 行的表头中没有“课程”、“教师”列", 0), 0u) << kept.result.error;
    const Outcome switched = Read(cross, zem::import::kFlatListFormat, false, zem::import::kCrossTableFormat);
    EXPECT_EQ(switched.rows.size(), 3u);

    const SheetData list = SheetOf({{"班级", "课程", "教师", "主/副课", "周课时数"}, {"一班", "语文", "张三", "主课", "6"}});
    const Outcome asked = Read(list, zem::import::kCrossTableFormat, false, zem::import::kFlatListFormat);
    EXPECT_EQ(asked.questions, (std::vector<std::pair<int, int>>{{0, 1}}));
    EXPECT_EQ(asked.rows, (Grid{{"一班", "语文", "张三", "主课", "6", "", "", ""}}));
    EXPECT_EQ(zem::import::PlanFormatQuestion(1, 0),
              "您之前选择的导入格式是：平铺列表\n\n而您的Excel文件中内容很有可能是 交叉表格 格式\n是否要调整为 交叉表格 格式导入");
}

// A refused row is listed with its sheet row, and in a cross table its column, and the import goes
// on; a date stops the reading before any row is sent; the page's refusal of all the rows (a limit)
// sends none.
TEST(PlanReader, RefusedRowsBadCellsAndLimits)
{
    const auto refuseLisi = [](const CPageRow& cells) { return cells[2] == "李四"; };
    const Outcome cross = Read(SheetOf({{"班级", "语文#主#6", "数学#主#5"}, {"一班", "张三", "李四"}, {"二班", "李四", "王五"}}),
                               zem::import::kCrossTableFormat, false, -1, refuseLisi);
    EXPECT_TRUE(cross.result.Ok()) << cross.result.error;
    EXPECT_EQ(cross.rows.size(), 2u);
    EXPECT_EQ(cross.result.takenRows, 2);
    ASSERT_EQ(cross.result.refused.size(), 2u);
    EXPECT_EQ(cross.result.refused[0].where, "第 2 行第 C 列");
    EXPECT_EQ(cross.result.refused[1].where, "第 3 行第 B 列");
    EXPECT_EQ(zem::import::ImportReportText(cross.result), "导入 2 条，未导入 2 条：\n第 2 行第 C 列：不行\n第 3 行第 B 列：不行");
    const Outcome flat = Read(SheetOf({{"班级", "课程", "教师"}, {"一班", "语文", "张三"}, {"一班", "数学", "李四"}}),
                              zem::import::kFlatListFormat, false, -1, refuseLisi);
    EXPECT_EQ(zem::import::ImportReportText(flat.result), "导入 1 条，未导入 1 条：\n第 3 行：不行");

    SheetData dated = SheetOf({{"班级", "课程", "教师"}, {"一班", "语文", "张三"}, {"一班", "数学", "李四"}});
    dated.Set(3, 2, {CellValue::Type::Date, "2024-09-01", 45536});
    const Outcome date = Read(dated, zem::import::kFlatListFormat);
    EXPECT_EQ(date.result.error.rfind("Excel文件中第 3 行\r\n第 B 列是日期", 0), 0u) << date.result.error;
    EXPECT_TRUE(date.rows.empty());
    EXPECT_TRUE(date.checked.empty());

    const Outcome limited = Read(SheetOf({{"班级", "语文#主#6", "班主任"}, {"一班", "张三", "张三"}, {"二班", "李四", "李四"}}),
                                 zem::import::kCrossTableFormat, false, -1, {}, "太多了");
    EXPECT_EQ(limited.result.error, "太多了");
    EXPECT_EQ(limited.checked, std::vector<std::size_t>{2});
    EXPECT_TRUE(limited.rows.empty());
    EXPECT_TRUE(limited.headTeachers.empty());
}

// The dialog's own sample of the flat list names the class on a class's first row only, so the
// class column is mostly empty: the columns are found by their headings, in any order, and an empty
// class cell continues the class above. The names arrive normalised, and as typed beside them.
TEST(PlanReader, FlatListColumnsByTheirHeadings)
{
    const Grid grid = {{"班级", "教师", "课程", "主/副课", "周课时数", "连课", "次数", "指定教室"},
                       {"初一(1)班", "张三", "语文", "主课", "6", "2", "1", ""},
                       {"", "李四", "数学", "主课", "5", "1", "0", ""},
                       {"", "王五", "英语", "主课", "4", "1", "0", ""},
                       {"", "赵六", "物理", "主课", "3", "1", "0", "实验室"},
                       {"初一（2）班", "张三", "语文", "主课", "6", "2", "1", ""},
                       {"", "李四", "数学", "主课", "5", "1", "0", ""},
                       {"", "王五", "英语", "主课", "4", "1", "0", ""},
                       {"", "赵六", "物理", "主课", "3", "1", "0", ""}};
    std::vector<CPageRow> typed;
    PlanReadJob job;
    Grid rows;
    job.format = zem::import::kFlatListFormat;
    job.sendRow = [&](CPageNotify& notify, const CPageRow& cells) -> zem::LRESULT {
        notify.accepted = true;
        rows.push_back(cells);
        typed.push_back(notify.typed ? *notify.typed : CPageRow{});
        return 0;
    };
    const RowReadResult result = zem::import::ReadPlanSheet(SheetOf(grid), job);
    ASSERT_TRUE(result.Ok()) << result.error;
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0], (CPageRow{"初一（1）班", "语文", "张三", "主课", "6", "2", "1", ""}));
    EXPECT_EQ(rows[3], (CPageRow{"初一（1）班", "物理", "赵六", "主课", "3", "1", "0", "实验室"}));
    EXPECT_EQ(rows[7], (CPageRow{"初一（2）班", "物理", "赵六", "主课", "3", "1", "0", ""}));
    EXPECT_EQ(typed[1][0], "初一(1)班");
    EXPECT_EQ(zem::import::ImportReportText(result), "导入完成，共导入 8 条");

    // The self-study list's own order, "类型" second.
    const Outcome selfStudy = Read(SheetOf({{"班级", "类型", "课程", "教师", "周课时数"}, {"一班", "晚自习", "数学", "李四", "4"}, {"", "早读", "语文", "张三", "3"}}),
                                   zem::import::kFlatListFormat, true);
    EXPECT_EQ(selfStudy.rows, (Grid{{"一班", "晚自习", "数学", "李四", "4", "", "", ""}, {"一班", "早读", "语文", "张三", "3", "", "", ""}}));
}

}  // namespace

namespace {

// A flat list headed in another office's words, or not headed at all, with the class on a class's first row only:
// the columns are found by what they hold. A sheet whose columns cannot be placed is refused before any row is sent.
TEST(PlanReader, FlatListColumnsFoundByWhatTheyHold)
{
    // The class column mostly empty, as the dialog's own sample has it.
    const Grid plans = {{"初一(1)班", "语文", "张三", "主课", "6"}, {"", "数学", "李四", "主课", "5"},
                        {"", "英语", "王五", "副课", "4"},          {"初一(2)班", "物理", "赵六", "副课", "3"},
                        {"", "化学", "钱七", "副课", "2"},          {"", "生物", "孙八", "副课", "1"}};
    Grid expected;
    std::string className;
    for (const auto& plan : plans) {
        className = plan[0].empty() ? className : zem::ReplaceAll(zem::ReplaceAll(plan[0], "(", "（"), ")", "）");
        expected.push_back({className, plan[1], plan[2], plan[3], plan[4], "", "", ""});
    }
    struct Case {
        const char* name;
        Grid header;
        int left;
        const char* refusal;  // how the reason starts; empty: read
    };
    const Case cases[] = {
        {"other words", {{"班级", "科目", "任课教师", "类型", "周课时"}}, 1, ""},
        {"no header", {}, 1, ""},
        {"no header, from column C", {}, 3, ""},
        {"a header without the teacher", {{"班级", "科目", "老师名", "类型", "周课时"}}, 1,
         "Excel文件第 1 行的表头中没有“教师”列"},
        {"headings no list uses", {{"名称", "名目", "人员", "种类", "每周"}}, 1, "Excel文件中没有可以识别的表头，第 1 行第 E 列"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Grid grid = c.header;
        grid.insert(grid.end(), plans.begin(), plans.end());
        const Outcome run = Read(SheetOf(grid, 1, c.left), zem::import::kFlatListFormat);
        if (*c.refusal) {
            EXPECT_EQ(run.result.error.rfind(c.refusal, 0), 0u) << run.result.error;
            EXPECT_TRUE(run.rows.empty());
            EXPECT_TRUE(run.checked.empty());
            continue;
        }
        ASSERT_TRUE(run.result.Ok()) << run.result.error;
        EXPECT_EQ(run.rows, expected);
    }
}

}  // namespace
