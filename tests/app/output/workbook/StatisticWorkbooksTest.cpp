// The teacher workload table (export kind 3), the lesson calendar (kind 4) and the lesson list
// (kind 5): each writer fills a workbook that is looked at, saved by the program's engine and
// read back by the program's reader and, where it is installed, by LibreOffice.
#include "app/output/workbook/LessonCalendarWorkbook.h"
#include "app/output/workbook/LessonGridWorkbook.h"
#include "app/output/workbook/TeacherWorkloadWorkbook.h"

#include "app/output/workbook/ExportCells.h"
#include "app/output/workbook/WorkbookReader.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "support/ExportProgressRecorder.h"
#include "support/OfficeCsv.h"
#include "support/SchoolBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>

namespace {

using std::chrono::year_month_day;
using zem::workbook::Area;
using zem::workbook::CellValue;
using zem::workbook::SheetData;
using zem::workbook::Workbook;
using zem::workbook::Worksheet;
using Texts = std::vector<std::string>;

constexpr year_month_day Date(int year, unsigned month, unsigned day)
{
    return year_month_day{std::chrono::year(year), std::chrono::month(month), std::chrono::day(day)};
}

// What a cell read back holds: its text, or "#" and the number.
std::string Shown(const CellValue& value)
{
    switch (value.type) {
    case CellValue::Type::Text: return value.text;
    case CellValue::Type::Number: return "#" + zem::Format("%g", value.number);
    case CellValue::Type::Empty: return "";
    default: return "?" + value.text;
    }
}

Texts RowOf(const SheetData& sheet, int row, int firstColumn, int lastColumn)
{
    Texts texts;
    for (int column = firstColumn; column <= lastColumn; ++column)
        texts.push_back(Shown(sheet.Value(row, column)));
    return texts;
}

std::vector<double> Widths(const Worksheet& sheet, int firstColumn, int lastColumn)
{
    std::vector<double> widths;
    for (int column = firstColumn; column <= lastColumn; ++column) {
        const auto width = sheet.GetColumnWidths().find(column);
        widths.push_back(width == sheet.GetColumnWidths().end() ? -1 : width->second);
    }
    return widths;
}

bool Framed(const Worksheet& sheet, int row, int column)
{
    const zem::workbook::CellFormat format = sheet.GetEffectiveFormat(row, column);
    for (const auto& border : format.borders)
        if (!border || border->style != zem::workbook::BorderStyle::Thin)
            return false;
    return true;
}

// Runs the kind's writer into a workbook, saves it with the program's engine and reads it back.
class Writer {
public:
    explicit Writer(CScheduleTask* task) : exporter(task) { exporter.SetNotifyWindow(&window); }

    CExportParam& Param() { return exporter.GetParam(); }

    void Write(int kind, const std::string& path)
    {
        Param().kind = kind;
        Param().fileName = path;
        ASSERT_TRUE(ProgramContentWriter(kind)(exporter, book));
        CBuiltInWorkbookEngine().SaveAs(book, path);
        std::string error;
        ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(path, read, error, 0)) << error;
    }
    Worksheet& Sheet() { return book.GetSheet(1); }

    ExportProgressRecorder window;
    CSpreadsheetExporter exporter;
    Workbook book;
    SheetData read;
};

// ---- Teacher workload ----

struct WorkloadCase {
    const char* name;
    Texts dayNames;
    Texts sectionNames;
    std::vector<TeacherWorkloadRow> rows;
    std::vector<double> widths;
    Texts header2;
    Texts header3;
    Texts row4;
};

class WorkloadTable : public testing::TestWithParam<WorkloadCase> {};

TEST_P(WorkloadTable, ColumnsFollowTheDaysAndPeriodsAndNamesStayText)
{
    const WorkloadCase& c = GetParam();
    TempFolder folder;
    CTeacherWorkloadTable table{c.dayNames, c.sectionNames, c.rows};
    Writer writer(nullptr);
    writer.Param().text1 = "教师任课情况统计分析";
    writer.Param().data1 = &table;
    writer.Write(kTeacherWorkloadExport, folder / "workload.xlsx");
    const int columns = static_cast<int>(c.dayNames.size() + c.sectionNames.size()) + 8;
    const Worksheet& sheet = writer.Sheet();
    EXPECT_EQ(sheet.GetName(), "教师任课情况统计分析");
    EXPECT_EQ(Widths(sheet, 1, columns + 1), c.widths);
    EXPECT_EQ(sheet.GetRowHeights().at(1), 36);
    EXPECT_EQ(sheet.GetRowHeights().at(3), 16);
    ASSERT_TRUE(sheet.FindMergedArea(1, columns));
    EXPECT_EQ(*sheet.FindMergedArea(1, 1), (Area{1, 1, 1, columns}));
    // A single header over two rows; the distributions' over their columns.
    EXPECT_EQ(*sheet.FindMergedArea(3, 1), (Area{2, 1, 3, 1}));
    EXPECT_EQ(sheet.FindMergedArea(2, 4).value_or(Area{2, 4, 2, 4}),
              (Area{2, 4, 2, 3 + static_cast<int>(c.dayNames.size())}));
    EXPECT_EQ(sheet.GetEffectiveFormat(2, columns).fill, zem::workbook::PaletteColor(15));

    const SheetData& read = writer.read;
    EXPECT_EQ(read.Value(1, 1).text, "教师任课情况统计分析");
    EXPECT_EQ(RowOf(read, 2, 1, columns + 1), c.header2);
    EXPECT_EQ(RowOf(read, 3, 1, columns + 1), c.header3);
    EXPECT_EQ(RowOf(read, 4, 1, columns + 1), c.row4);
    EXPECT_EQ(read.LastRow(), 3 + static_cast<int>(c.rows.size()));
    EXPECT_EQ(read.LastColumn(), columns);
    Texts progress;
    for (std::size_t n = 0; n < c.rows.size(); ++n)
        progress.push_back(zem::Format("%zu/%zu %s", n + 1, c.rows.size(), c.rows[n].teacher.c_str()));
    EXPECT_EQ(writer.window.texts, progress);
    if (!c.rows.empty()) {
        // The related columns are left-aligned text; the distribution values smaller.
        EXPECT_EQ(sheet.GetEffectiveFormat(4, columns).hAlign, zem::workbook::HAlign::Left);
        EXPECT_EQ(sheet.GetEffectiveFormat(4, 4).font.size, 9);
        EXPECT_TRUE(Framed(sheet, 4, columns));
    }
}

const TeacherWorkloadRow kNumberLike{"302", "2.5", "2", "1", "1", "1,2,3", "1", "3.10", "1.25", "初一(1)班数学(2.5节)"};

INSTANTIATE_TEST_SUITE_P(
    Cases, WorkloadTable,
    testing::Values(
        // Surplus day values are dropped, a missing period value leaves its cell empty.
        WorkloadCase{"DaysAndPeriods",
                     {"一", "二"},
                     {"1", "2"},
                     {kNumberLike},
                     {15, 6, 6, 3, 3, 3, 3, 4, 22, 4, 12, 33, -1},
                     {"教师", "计划周课时", "实际周课时", "每天课时分布", "", "节次课时分布", "", "班级数", "相关班级",
                      "课程数", "相关课程", "相关教学计划", ""},
                     {"", "", "", "一", "二", "1", "2", "", "", "", "", "", ""},
                     {"302", "#2.5", "#2", "#1", "#2", "#1", "", "#1", "3.10", "#1", "1.25", "初一(1)班数学(2.5节)", ""}},
        // Without periods: D + 8 columns, no period header, the period values ignored.
        WorkloadCase{"NoPeriods",
                     {"一", "二", "三"},
                     {},
                     {{"王五", "0", "0", "0", "0", "1,,2", "5,5", "", "", ""}},
                     {15, 6, 6, 3, 3, 3, 4, 22, 4, 12, 33, -1},
                     {"教师", "计划周课时", "实际周课时", "每天课时分布", "", "", "班级数", "相关班级", "课程数", "相关课程",
                      "相关教学计划", ""},
                     {"", "", "", "一", "二", "三", "", "", "", "", "", ""},
                     {"王五", "#0", "#0", "#1", "", "#2", "#0", "", "#0", "", "", ""}},
        // No rows: the title and the headers only, and no progress.
        WorkloadCase{"NoRows",
                     {"一"},
                     {"早"},
                     {},
                     {15, 6, 6, 3, 3, 4, 22, 4, 12, 33, -1},
                     {"教师", "计划周课时", "实际周课时", "每天课时分布", "节次课时分布", "班级数", "相关班级", "课程数",
                      "相关课程", "相关教学计划", ""},
                     {"", "", "", "一", "早", "", "", "", "", "", ""},
                     Texts(11)}),
    [](const testing::TestParamInfo<WorkloadCase>& info) { return std::string(info.param.name); });

// ---- Lesson calendar ----

struct CalendarCase {
    const char* name;
    std::set<int> days;  // in use
    year_month_day first;
    year_month_day last;
    double width;
    Texts counts;  // row 3 from column B
    std::string firstHeader;
};

class LessonCalendar : public testing::TestWithParam<CalendarCase> {};

TEST_P(LessonCalendar, DatesTakeTheCountsOfTheirTeachingDays)
{
    const CalendarCase& c = GetParam();
    TempFolder folder;
    SchoolBuilder b;
    for (int day = 0; day < zem::kDayCount; ++day)
        b.Task().GetSchoolStructure().SetWeekDay(day, c.days.count(day) > 0);
    b.Task().GetSchoolStructure().RefreshData();
    // Day d has d + 1 lessons, day 3 a half one more.
    CLessonCalendarData data{c.first, c.last, {{"302", {}}}};
    for (int day = 0; day < zem::kDayCount; ++day)
        data.rows[0].counts[static_cast<std::size_t>(day)] = CWeekCount(day + 1, day == 3);
    Writer writer(&b.Task());
    writer.Param().text1 = "教师课时统计表";
    writer.Param().data2 = &data;
    writer.Write(kLessonCalendarExport, folder / "calendar.xlsx");

    const int dates = static_cast<int>(c.counts.size());
    const Worksheet& sheet = writer.Sheet();
    EXPECT_EQ(sheet.GetName(), "Sheet1");
    EXPECT_EQ(Widths(sheet, 1, 2), (std::vector<double>{10, c.width}));
    EXPECT_EQ(sheet.GetColumnWidths().at(dates + 1), c.width);
    EXPECT_EQ(sheet.GetRowHeights().at(2), 42);
    EXPECT_EQ(*sheet.FindMergedArea(1, 1), (Area{1, 1, 1, dates + 1}));
    for (int column = 1; column <= dates + 1; ++column)
        EXPECT_TRUE(Framed(sheet, 3, column)) << column;
    const SheetData& read = writer.read;
    EXPECT_EQ(read.Value(1, 1).text, "教师课时统计表");
    EXPECT_EQ(read.Value(2, 2).text, c.firstHeader);
    EXPECT_EQ(Shown(read.Value(3, 1)), "302");
    EXPECT_EQ(RowOf(read, 3, 2, dates + 1), c.counts);
    EXPECT_EQ(read.LastColumn(), dates + 1);
    EXPECT_EQ(writer.window.texts, Texts{"1/1 302"});
}

const std::set<int> kFiveDays{0, 1, 2, 3, 4};

INSTANTIATE_TEST_SUITE_P(
    Cases, LessonCalendar,
    testing::Values(
        CalendarCase{"TwentyDatesAreThreeWide", kFiveDays, Date(2025, 12, 1), Date(2025, 12, 20), 3,
                     {"#1", "#2", "#3", "#4.5", "#5", "", "", "#1", "#2", "#3", "#4.5", "#5", "", "", "#1", "#2", "#3",
                      "#4.5", "#5", ""},
                     "12\n1\n一"},
        // A Sunday of a five-day school: empty, but framed.
        CalendarCase{"OneDateIsSixtyWide", kFiveDays, Date(2025, 12, 7), Date(2025, 12, 7), 60, {""}, "12\n7\n日"},
        // From a Wednesday: the rest of the first week, the second week, then the first again.
        CalendarCase{"TwoWeekSchoolAlternatesItsHalves",
                     {0, 1, 2, 3, 4, 7, 8, 9, 10, 11},
                     Date(2025, 12, 3),
                     Date(2025, 12, 16),
                     4,
                     {"#3", "#4.5", "#5", "", "", "#8", "#9", "#10", "#11", "#12", "", "", "#1", "#2"},
                     "12\n3\n三"},
        CalendarCase{"SecondWeekOnlyUsesItsDays", {7, 8, 9, 10, 11}, Date(2025, 12, 1), Date(2025, 12, 2), 30,
                     {"#8", "#9"}, "12\n1\n一"}),
    [](const testing::TestParamInfo<CalendarCase>& info) { return std::string(info.param.name); });

// An empty span, or one over a year, is refused: the dialog says why, and the writer fails with it.
TEST(LessonCalendarSpan, AnEmptySpanAndOneOverAYearAreRefused)
{
    const struct {
        year_month_day first, last;
        bool valid;
    } cases[] = {
        {Date(2025, 3, 1), Date(2025, 3, 1), true},    {Date(2025, 3, 2), Date(2025, 3, 1), false},
        {Date(2025, 1, 1), Date(2025, 12, 31), true},  {Date(2025, 1, 1), Date(2026, 1, 1), false},
        {Date(2024, 2, 29), Date(2025, 2, 28), true},  {Date(2024, 2, 29), Date(2025, 3, 1), false},
    };
    for (const auto& c : cases) {
        std::string message;
        EXPECT_EQ(CheckLessonCalendarSpan(c.first, c.last, message), c.valid) << message;
        EXPECT_EQ(message.empty(), c.valid);
    }
    SchoolBuilder b;
    CLessonCalendarData data{Date(2025, 3, 2), Date(2025, 3, 1), {}};
    CSpreadsheetExporter exporter(&b.Task());
    exporter.SetDirect(true);
    TempFolder folder;
    CExportParam& param = exporter.GetParam();
    param.kind = kLessonCalendarExport;
    param.fileName = folder / "calendar.xlsx";
    param.data2 = &data;
    EXPECT_FALSE(exporter.RunExport());
    EXPECT_EQ(param.errorText, "结束日期不能早于开始日期，请重新选择统计的日期范围。");
    EXPECT_FALSE(zem::FileExists(param.fileName));
}

// ---- Lesson list ----

// Class "302" on Mondays: 数学 with its assistant in room "3.10" first, 语文 in odd and 英语 in even
// weeks second, the school's "班会" in the afternoon's last period.
class LessonGrid : public testing::TestWithParam<int> {
protected:
    LessonGrid()
    {
        CSchoolStructure& week = b.Task().GetSchoolStructure();
        week.SetSectionNodeMaxCount(3, 1, true);
        week.SetSectionNodeMaxCount(4, GetParam(), true);
        week.SetValue(0, 1, 2, CTimeTable::kInvalid);
        week.RefreshData();
        b.Task().GetActivities().AddActivity(tagTABLE_NODE{0, 1, 2}, "班会");
        b.Class("c1", "302");
        for (const auto& [id, name] : {std::pair{"t1", "张三"}, {"t2", "李四"}, {"t3", "王五"}, {"t4", "赵六"}})
            b.Teacher(id, name);
        b.Subject("s1", "数学");
        b.Subject("s2", "语文");
        b.Subject("s3", "英语");
        b.Room("r1", "3.10");
        b.Task().SetCourseNode(b.Course("k1", "c1", "s1", "t1", "1", "r1"), "r1", false, {0, 0, 0}, 0);
        b.Assistant("k1", {"t4"});
        b.Task().SetCourseNode(b.Course("k2", "c1", "s2", "t2", "0.5"), "", false, {0, 0, 1}, 1);
        b.Task().SetCourseNode(b.Course("k3", "c1", "s3", "t3", "0.5"), "", false, {0, 0, 1}, 2);
        b.Task().ReadTempTables();
    }

    SchoolBuilder b;
};

TEST_P(LessonGrid, EverySlotOfTheWeekIsARowAndASplitSlotTwo)
{
    const int selfStudy = GetParam();
    TempFolder folder;
    Writer writer(&b.Task());
    writer.Param().text1 = kLessonGridTitle;
    writer.Write(kLessonGridExport, folder / "list.xlsx");
    const Worksheet& sheet = writer.Sheet();
    EXPECT_EQ(sheet.GetName(), kLessonGridTitle);
    EXPECT_EQ(sheet.GetStandardWidth(), 10);
    EXPECT_EQ(Widths(sheet, 1, 7), (std::vector<double>{3, 20, 7, 7, 18, 12, 12}));
    EXPECT_EQ(*sheet.FindMergedArea(2, 2), (Area{2, 2, 2, 7}));
    EXPECT_EQ(sheet.GetRowHeights().at(2), 32);
    EXPECT_TRUE(sheet.GetEffectiveFormat(3, 7).font.bold.value_or(false));
    EXPECT_TRUE(Framed(sheet, 5, 7));

    const SheetData& read = writer.read;
    EXPECT_EQ(read.Value(2, 2).text, kLessonGridTitle);
    EXPECT_EQ(RowOf(read, 3, 2, 7), (Texts{"班级", "星期", "节次", "课程", "教师", "教室"}));
    std::vector<Texts> monday = {
        {"302", "一", "早", "", "", ""},
        {"302", "一", "#1", "数学", "张三 赵六", "3.10"},
        {"302", "一", "#2", "(单)语文", "李四", ""},
        {"302", "一", "#2", "(双)英语", "王五", ""},
        {"302", "一", "#3", "", "", ""},
        {"302", "一", "#4", "", "", ""},
        {"302", "一", "#5", "", "", ""},
        {"302", "一", "#6", "", "", ""},
        {"302", "一", "#7", "班会", "", ""},
    };
    if (selfStudy == 1)
        monday.push_back({"302", "一", "自", "", "", ""});
    for (int section = 1; selfStudy > 1 && section <= selfStudy; ++section)
        monday.push_back({"302", "一", "自" + std::to_string(section), "", "", ""});
    std::vector<Texts> rows;
    for (int row = 4; row < 4 + static_cast<int>(monday.size()); ++row)
        rows.push_back(RowOf(read, row, 2, 7));
    EXPECT_EQ(rows, monday);
    // Five days of 1 + 7 + self-study slots, one of them split.
    EXPECT_EQ(read.LastRow(), 3 + 5 * (8 + selfStudy) + 1);
    EXPECT_EQ(RowOf(read, read.LastRow(), 2, 3), (Texts{"302", "五"}));
    EXPECT_EQ(writer.window.texts, Texts{"1/1 302"});
}

INSTANTIATE_TEST_SUITE_P(SelfStudySections, LessonGrid, testing::Values(0, 1, 2));

// ---- LibreOffice ----

// Where LibreOffice is installed, it reads the three workbooks as the program's reader does.
TEST(StatisticWorkbooks, LibreOfficeReadsThem)
{
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    TempFolder folder;
    SchoolBuilder b;
    b.Class("c1", "302");
    b.Teacher("t1", "张三");
    b.Subject("s1", "数学");
    b.Room("r1", "3.10");
    b.Task().SetCourseNode(b.Course("k1", "c1", "s1", "t1", "1", "r1"), "r1", false, {0, 0, 0}, 0);
    b.Task().ReadTempTables();

    CTeacherWorkloadTable workload{{"一", "二"}, {}, {kNumberLike}};
    Writer first(nullptr);
    first.Param().text1 = "教师任课情况统计分析";
    first.Param().data1 = &workload;
    first.Write(kTeacherWorkloadExport, folder / "workload.xlsx");
    CLessonCalendarData calendar{Date(2025, 12, 1), Date(2025, 12, 2), {{"张三", {}}}};
    calendar.rows[0].counts[0] = CWeekCount(2, true);
    Writer second(&b.Task());
    second.Param().text1 = "教师课时统计表";
    second.Param().data2 = &calendar;
    second.Write(kLessonCalendarExport, folder / "calendar.xlsx");
    // The lesson list through its request, as the export of every timetable asks for it.
    CSpreadsheetExporter third(&b.Task());
    third.SetDirect(true);
    ASSERT_TRUE(ExportLessonGrid(third, folder / "list.xls"));
    EXPECT_EQ(third.GetParam().fileName, folder / "list.xlsx");

    // For a person to open and look at.
    for (const char* name : {"workload", "calendar", "list"})
        std::filesystem::copy_file(folder / (std::string(name) + ".xlsx"),
                                   std::string(ZEM_TEST_OUTPUT_DIR) + "/statistic_" + name + ".xlsx",
                                   std::filesystem::copy_options::overwrite_existing);
    ASSERT_EQ(ConvertSheetsToCsv(office, {folder / "workload.xlsx", folder / "calendar.xlsx", folder / "list.xlsx"},
                                 folder.path()),
              "");
    const std::string workloadCsv = ReadCsv(folder / "csv/workload-教师任课情况统计分析.csv");
    EXPECT_NE(workloadCsv.find("302,2.5,2,1,2,1,3.10,1,1.25,初一(1)班数学(2.5节)"), std::string::npos) << workloadCsv;
    const std::string calendarCsv = ReadCsv(folder / "csv/calendar-Sheet1.csv");
    EXPECT_NE(calendarCsv.find("张三,2.5,"), std::string::npos) << calendarCsv;
    EXPECT_NE(calendarCsv.find("\"12\n1\n一\""), std::string::npos) << calendarCsv;
    const std::string listCsv = ReadCsv(folder / ("csv/list-" + std::string(kLessonGridTitle) + ".csv"));
    EXPECT_NE(listCsv.find(",302,一,1,数学,张三,3.10"), std::string::npos) << listCsv;
}

}  // namespace
