// The workbook row reader: which rows and cells reach the page, what they read as, and where it stops.
#include "app/output/import/RowReader.h"
#include "app/output/workbook/Workbook.h"
#include "app/output/workbook/XlsxWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace {

using namespace zem::import;
using zem::workbook::CellValue;
using zem::workbook::SheetData;

struct SheetCell {
    int row;
    int column;
    std::variant<std::string, double> value;
};

SheetData SheetOf(const std::vector<SheetCell>& cells)
{
    SheetData sheet;
    for (const SheetCell& cell : cells) {
        CellValue value;
        if (const auto* text = std::get_if<std::string>(&cell.value)) {
            value.type = CellValue::Type::Text;
            value.text = *text;
        } else {
            value.type = CellValue::Type::Number;
            value.number = std::get<double>(cell.value);
        }
        sheet.Set(cell.row, cell.column, value);
    }
    return sheet;
}

// A page that takes every row but refuses the names it is told to: quietly as a duplicate, or with
// a reason; it may set the cancel flag after a row.
struct FakePage {
    std::set<std::string> duplicates;
    std::set<std::string> refused;
    int cancelAfter = -1;
    std::atomic<bool> cancel{false};
    std::vector<CPageRow> taken;
    std::vector<int> progress;
    int received = 0;

    RowReadJob Job()
    {
        RowReadJob job;
        job.cancel = &cancel;
        job.progress = [this](int percent) { progress.push_back(percent); };
        job.sendRow = [this](CPageNotify& notify, const CPageRow& cells) -> zem::LRESULT {
            EXPECT_TRUE(notify.quiet);
            EXPECT_TRUE(notify.byName);
            EXPECT_EQ(notify.replace, 0);
            if (++received == cancelAfter)
                cancel = true;
            const std::string& name = cells.at(0);
            if (duplicates.count(name))
                return -1;
            if (refused.count(name)) {
                notify.error = true;
                notify.message = "没有名为" + name + "的教师";
                return -1;
            }
            notify.accepted = true;
            taken.push_back(cells);
            return 0;
        };
        return job;
    }
};

TEST(RowReader, SheetCases)
{
    struct Case {
        const char* name;
        std::vector<SheetCell> cells;
        std::vector<CPageRow> taken;
        std::string error;  // empty: none
        std::set<std::string> duplicates = {};
        std::set<std::string> refused = {};
        int cancelAfter = -1;
        std::vector<int> progress = {};  // checked when not empty
        std::string report = {};         // the end message, checked when not empty
    };
    const std::vector<Case> cases = {
        {"a one-cell title row and an empty left column are skipped",
         {{1, 1, "某校教师名单"}, {2, 2, "姓名"}, {2, 3, "周课时"}, {3, 2, "张三"}, {3, 3, 3.0}, {4, 2, "李四"}},
         {{"张三", "3"}, {"李四", ""}},
         ""},
        {"a header alone sends nothing", {{1, 1, "姓名"}, {1, 2, "周课时"}}, {}, "", {}, {}, -1, {}},
        {"empty rows are skipped but move the bar",
         {{1, 1, "姓名"}, {1, 2, "周课时"}, {2, 1, "张三"}, {4, 1, "李四"}},
         {{"张三", ""}, {"李四", ""}},
         "",
         {},
         {},
         -1,
         {50, 100, 100}},
        // As the sheet shows them: never rounded to a count nobody typed (2.46 is no 2.5).
        {"numbers read to 15 digits without .0",
         {{1, 1, "姓名"}, {1, 2, "a"}, {1, 3, "b"}, {1, 4, "c"}, {2, 1, "张三"}, {2, 2, 3.0}, {2, 3, 2.5}, {2, 4, 1.25},
          {3, 1, 12.0}, {3, 2, 2.46}, {3, 3, 0.1 + 0.2}, {3, 4, 13812345678.0}},
         {{"张三", "3", "2.5", "1.25"}, {"12", "2.46", "0.3", "13812345678"}},
         ""},
        {"texts are normalised as names",
         {{1, 1, "姓名"}, {1, 2, "班级"}, {2, 1, "张 三"}, {2, 2, "高一(1)班\n语文"}},
         {{"张三", "高一（1）班语文"}},
         ""},
        {"a refusal is listed with its sheet row and the import goes on",
         {{1, 1, "名单"}, {2, 1, "姓名"}, {2, 2, "课时"}, {2, 3, "系数"}, {3, 1, "张三"}, {5, 1, "王五"}, {6, 1, "赵六"}},
         {{"张三", "", ""}, {"赵六", "", ""}},
         "",
         {},
         {"王五"},
         -1,
         {},
         "导入 2 条，未导入 1 条：\n第 5 行：没有名为王五的教师"},
        {"a duplicate is passed by and said",
         {{1, 1, "姓名"}, {1, 2, "课时"}, {2, 1, "张三"}, {3, 1, "李四"}, {4, 1, "王五"}},
         {{"张三", ""}, {"王五", ""}},
         "",
         {"李四"},
         {},
         -1,
         {},
         "导入 2 条，未导入 1 条：\n第 3 行：未被接受"},
        {"names only: every row taken is counted",
         {{1, 1, "姓名"}, {2, 1, "张三"}, {3, 1, "李四"}},
         {{"张三"}, {"李四"}},
         "",
         {},
         {},
         -1,
         {},
         "导入完成，共导入 2 条"},
        {"cancel stops before the next row",
         {{1, 1, "姓名"}, {1, 2, "课时"}, {2, 1, "张三"}, {3, 1, "李四"}},
         {{"张三", ""}},
         "",
         {},
         {},
         1},
        {"a character GBK cannot hold stops the reading before any row is sent",
         {{1, 1, "姓名"}, {1, 2, "课时"}, {2, 1, "张三"}, {3, 1, "李\xF0\x9F\x98\x80"}},
         {},
         "Excel文件中第 3 行\r\n第 A 列含有无法保存的字符"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePage page;
        page.duplicates = c.duplicates;
        page.refused = c.refused;
        page.cancelAfter = c.cancelAfter;
        const RowReadResult result = ReadSheetRows(SheetOf(c.cells), page.Job());
        EXPECT_EQ(page.taken, c.taken);
        if (c.error.empty()) {
            EXPECT_TRUE(result.Ok()) << result.error;
        } else {
            EXPECT_EQ(result.error.substr(0, c.error.size()), c.error);
        }
        EXPECT_EQ(result.cancelled, c.cancelAfter > 0);
        if (!c.progress.empty()) {
            EXPECT_EQ(page.progress, c.progress);
        }
        if (!c.report.empty()) {
            EXPECT_EQ(zem::import::ImportReportText(result), c.report);
        }
    }
}

// A date stops the reading, naming its row and column: the .xls fixture's table from B2 under a
// title holds one in its 入职日期 column.
TEST(RowReader, DateCellStopsWithRowAndColumn)
{
    FakePage page;
    const RowReadResult result = ReadWorkbookRows(std::string(ZEM_TEST_DATA_DIR) + "/workbook/teachers.xls", page.Job());
    EXPECT_TRUE(page.taken.empty());
    EXPECT_EQ(result.error, "Excel文件中第 3 行\r\n第 E 列是日期，请把这一列设为文本格式后再导入");
}

// A workbook the writer made reads back row by row under its title; a file that is none gives the
// reader's reason.
TEST(RowReader, WorkbookFiles)
{
    TempFolder folder;
    zem::workbook::Workbook book;
    auto& sheet = book.GetSheet(1);
    sheet.GetRange("A1").SetValue("教室和场地信息");
    sheet.GetRange("A2").SetValue("名称");
    sheet.GetRange("B2").SetValue("容量");
    sheet.GetRange("C2").SetValue("类型");
    sheet.GetRange("A3").SetValue("302");
    sheet.GetRange("B3").SetValue(45.0);
    sheet.GetRange("A4").SetValue("操场 (东)");
    sheet.GetRange("B4").SetValue(2.5);
    zem::workbook::SaveXlsx(book, folder / "rooms.xlsx");

    FakePage page;
    const RowReadResult result = ReadWorkbookRows(folder / "rooms.xlsx", page.Job());
    EXPECT_TRUE(result.Ok()) << result.error;
    EXPECT_EQ(page.taken, (std::vector<CPageRow>{{"302", "45", ""}, {"操场（东）", "2.5", ""}}));
    EXPECT_EQ(page.progress.back(), 100);

    WriteRaw(folder / "not.xlsx", "not a workbook");
    FakePage none;
    const RowReadResult bad = ReadWorkbookRows(folder / "not.xlsx", none.Job());
    // The reader's own reason leads, the advice follows.
    SheetData unread;
    std::string reason;
    ASSERT_FALSE(zem::workbook::ReadWorkbookSheet(folder / "not.xlsx", unread, reason));
    ASSERT_FALSE(reason.empty());
    EXPECT_EQ(bad.error.rfind(reason + "\n\n", 0), 0u) << bad.error;
    EXPECT_TRUE(bad.error.ends_with("请检查文件是否是完整的Excel文件（.xlsx 或 .xls），数据格式是否符合要求。")) << bad.error;
    EXPECT_EQ(bad.error.find("导入过程中出现异常"), std::string::npos) << bad.error;
    EXPECT_TRUE(none.taken.empty());
}

}  // namespace
