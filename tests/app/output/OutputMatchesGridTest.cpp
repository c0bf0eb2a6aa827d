// What is printed and exported says what the screen says: class, teacher, room and teacher-group
// timetables printed at one, four and six a page, plain and in colour, in three cell layouts, and
// written into timetable workbooks; the whole-school print, the master workbooks in their three
// layouts, the lesson list, the lesson calendar and the invigilation workbook; each read back and
// compared cell by cell with what the screens show. Each case is a test of its own, so that they
// run side by side; the schools are made once a process.
#include "support/GeneratedSchool.h"
#include "support/GridCheck.h"
#include "support/MasterWorkbook.h"
#include "support/OfficeCsv.h"
#include "support/PdfPages.h"
#include "support/SchoolBuilder.h"
#include "support/TempFolder.h"

#include "app/output/TimetableExport.h"
#include "app/output/workbook/MasterTimetableWorkbook.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/LessonCalendarWorkbook.h"
#include "app/output/workbook/InvigilationWorkbook.h"
#include "app/output/workbook/LessonGridWorkbook.h"
#include "app/output/workbook/TimetableWorkbook.h"
#include "app/proctor/ProctorAssignment.h"
#include "app/proctor/ProctorDlg.h"
#include "app/shared/InvigilationRows.h"
#include "app/timetable/SchoolTablePrint.h"
#include "app/timetable/TeacherStatistic.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "platform/Hooks.h"

#include <gtest/gtest.h>

#include <QPrinter>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// A school of long names: three classes "初一(n)班", four teachers, a shared laboratory, a combined
// lesson of two classes there, an odd/even pair and a busy forenoon, with a morning-reading period.
std::unique_ptr<CScheduleTask> MakeHandMadeSchool()
{
    SchoolBuilder b;
    CSchoolStructure& week = b.Task().GetSchoolStructure();
    week.SetSectionNodeMaxCount(zem::kForenoon, 4, true);
    week.SetSectionNodeMaxCount(zem::kAfternoon, 3, true);
    week.SetSectionNodeMaxCount(zem::kMorningReading, 1, true);
    week.RefreshData();
    b.Subject("s1", "语文");
    b.Subject("s2", "数学");
    b.Subject("s3", "英语");
    b.Subject("s4", "物理");
    b.Teacher("t1", "王喆");
    b.Teacher("t2", "李堃");
    b.Teacher("t3", "欧阳玥");
    b.Teacher("t4", "张瑋");
    b.Group("g1", "理科组", {"t2", "t4"});
    for (int n = 1; n <= 3; ++n)
        b.Class("c" + std::to_string(n), "初一(" + std::to_string(n) + ")班");
    b.Room("r1", "物理实验室", 2);
    b.Course("p1", "c1", "s1", "t1", "3");
    b.Course("p2", "c1", "s2", "t2", "3");
    b.Course("p3", "c2", "s1", "t1", "3");
    b.Course("p4", "c2", "s3", "t3", "2");
    b.Course("p5", "c3", "s4", "t4", "2", "r1");
    b.Course("p6", "c3", "s2", "t2", "1.5");
    b.Course("p7", "c3", "s3", "t3", "1.5");
    b.Course("k1", "c1", "s4", "t4", "1", "r1");
    b.Course("k2", "c2", "s4", "t4", "1", "r1");
    b.Combined("kk", {"k1", "k2"});
    std::unique_ptr<CScheduleTask> task = b.Release();
    CTaskHelper helper(task.get());
    const auto place = [&](const std::string& planId, const tagTABLE_NODE& node, int part = 0,
                           const std::string& room = {}) {
        CCourseInfo* plan = task->FindCourse(planId);
        helper.SetCourseNode(&task->GetClass(plan->GetClassId())->GetTable(true), plan, room, node, part);
    };
    for (int day = 0; day < 3; ++day) {
        place("p1", {day, zem::kForenoon, 0});
        place("p3", {day, zem::kForenoon, 1});
        place("p2", {day, zem::kForenoon, 2});
    }
    place("p4", {0, zem::kForenoon, 0});
    place("p4", {3, zem::kAfternoon, 2});
    place("p5", {1, zem::kAfternoon, 0}, 0, "r1");
    place("p5", {4, zem::kForenoon, 3}, 0, "r1");
    place("p6", {2, zem::kAfternoon, 1}, 1);
    place("p7", {2, zem::kAfternoon, 1}, 2);
    place("k1", {3, zem::kForenoon, 3}, 0, "r1");
    place("k2", {3, zem::kForenoon, 3}, 0, "r1");
    // Saved as well, as the workbooks of the whole school read the saved timetables.
    CommitTempTables(*task);
    return task;
}

// The ids of up to `most` objects of a list.
std::vector<std::string> FirstIds(const CZemObjectList& list, int most)
{
    std::vector<std::string> ids;
    for (const CZemObject* object : ObjectsInOrder(list)) {
        if (static_cast<int>(ids.size()) < most)
            ids.push_back(object->GetId());
    }
    return ids;
}

// The schools of the check, each made once a process: a generated school takes a while.
class SchoolCases {
public:
    static CScheduleTask& Get(const std::string& name)
    {
        std::unique_ptr<CScheduleTask>& task = Schools()[name];
        if (!task)
            task = name == "S36" ? MakeFilledSchool() : MakeHandMadeSchool();
        return *task;
    }
    static void Forget() { Schools().clear(); }

private:
    static std::map<std::string, std::unique_ptr<CScheduleTask>>& Schools()
    {
        static std::map<std::string, std::unique_ptr<CScheduleTask>> schools;
        return schools;
    }
};

const char* const kSchools[] = {"hand-made", "S36"};

// The timetables a print job of each kind holds; a teacher group prints its members.
std::map<std::string, std::vector<std::string>> JobsOf(CScheduleTask& task)
{
    // Four tables fill a page at four a page; a larger school is sampled, not printed whole.
    constexpr int kMost = 4;
    std::vector<std::string> group = FirstIds(task.GetTeacherGroupInfoList(), 1);
    return {{"class", FirstIds(task.GetClassInfoList(), kMost)},
            {"teacher", FirstIds(task.GetTeacherInfoList(), kMost)},
            {"room", FirstIds(task.GetRoomInfoList(), kMost)},
            {"teacher group", group}};
}

// The items of the objects, and the same as the check reads them.
struct Items {
    std::vector<std::unique_ptr<CExportTableItem>> owned;
    std::vector<const CExportTableItem*> checked;
    std::vector<CExportTableItem*> tables;
};

Items ItemsOf(CScheduleTask& task, const std::vector<std::string>& ids)
{
    Items items;
    CTaskHelper(&task).CreateTableItems(ids, &items.owned);
    for (const auto& item : items.owned) {
        items.checked.push_back(item.get());
        items.tables.push_back(item.get());
    }
    return items;
}

std::vector<std::string> AllIds(const CZemObjectList& list)
{
    return FirstIds(list, list.GetCount());
}

template <class Param>
class OutputMatchesGridTest : public testing::TestWithParam<Param> {
protected:
    OutputMatchesGridTest()
    {
        services.schoolName = "实验中学";
        services.layout.blankLines[0].text = "午休";
        services.layout.blankLines[2] = {1, zem::kForenoon, 1, 1, "大课间"};
    }
    static void TearDownTestSuite() { SchoolCases::Forget(); }

    CScheduleTask& School(const std::string& name)
    {
        CScheduleTask& task = SchoolCases::Get(name);
        services.task = &task;
        return task;
    }

    void SetCellLayout(int layout)
    {
        for (int kind = 0; kind < 3; ++kind)
            services.layout.SetCourseInfoFormat(layout, kind);
    }

    ExportServices services;
    TempFolder folder;
};

// Report at most this many differences of one case; the rest are counted.
void ExpectNone(const std::vector<std::string>& differences)
{
    constexpr std::size_t kShown = 8;
    for (std::size_t i = 0; i < differences.size() && i < kShown; ++i)
        ADD_FAILURE() << differences[i];
    if (differences.size() > kShown)
        ADD_FAILURE() << differences.size() - kShown << " more differences";
}

std::string CaseName(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return text;
}

// ---- Printed timetables ----

struct PrintCase {
    const char* school;
    int tableLayout;  // one, four or six a page
    bool plain;
};

std::string PerPageName(int tableLayout)
{
    return tableLayout == 0 ? "one a page" : tableLayout == 3 ? "four a page" : "six a page";
}

void PrintTo(const PrintCase& c, std::ostream* out)
{
    *out << c.school << ", " << PerPageName(c.tableLayout) << ", " << (c.plain ? "plain" : "colour");
}

using PrintedTimetables = OutputMatchesGridTest<PrintCase>;

// The first page of each kind of a four-a-page job, kept for a person to look at.
void KeepPages(const std::string& pdf, const std::string& school, const CPrintSheet& sheet)
{
    const std::string kept = zem::Format("%s/grid-check-%s-four", ZEM_TEST_OUTPUT_DIR, school.c_str());
    std::filesystem::copy_file(pdf, kept + ".pdf", std::filesystem::copy_options::overwrite_existing);
    std::map<TABLE_TYPE, int> first;  // kind -> page
    for (int i = 0; const CExportTableItem* item = sheet.GetTableAt(i); ++i)
        first.try_emplace(item->GetKind(), i / 4 + 1);
    const std::map<TABLE_TYPE, const char*> names = {{TABLE_CLASS, "class"}, {TABLE_TEACHER, "teacher"},
                                                     {TABLE_ROOM, "room"}};
    for (const auto& [kind, page] : first) {
        if (names.contains(kind))
            RenderPage(pdf, page, kept + "-" + names.at(kind) + ".png", 100);
    }
}

// Every lesson of every printed table carries every field the grid shows for its layout, at its
// day and period, inside its cell, at a legible size; a lesson shortened with "…" is one the
// preview warns of, and at one a page none is.
TEST_P(PrintedTimetables, CarryEveryFieldOfEveryLesson)
{
    const PrintCase& c = GetParam();
    CScheduleTask& task = School(c.school);
    // One job of every kind's timetables, a group each, as the print dialog makes them.
    std::vector<std::unique_ptr<CPrintTableGroup>> jobs;
    for (const auto& [kind, ids] : JobsOf(task)) {
        auto group = std::make_unique<CPrintTableGroup>(kind);
        CTaskHelper(&task).CreateTableItems(ids, &group->items);
        jobs.push_back(std::move(group));
    }
    services.layout.TableLayout = c.tableLayout;
    services.layout.NormalPrint = c.plain;
    services.colorTable = !c.plain;
    // "课程 + 教师教室", "课程 + 教师", "只显示教师教室".
    for (const int cellLayout : {0, 1, 4}) {
        SCOPED_TRACE(zem::Format("layout %d", cellLayout));
        SetCellLayout(cellLayout);
        TestPrintSheet sheet(&task);
        for (const auto& job : jobs) {
            auto group = std::make_unique<CPrintTableGroup>(job->name);
            for (const auto& item : job->items)
                group->items.push_back(std::make_unique<CExportTableItem>(*item));
            sheet.AddGroup(std::move(group));
        }
        const std::string pdf = folder / "job.pdf";
        ASSERT_TRUE(PrintToPdf(sheet, pdf));
        const gridcheck::PrintFindings found = gridcheck::ComparePrintWithGrid(pdf, sheet, task);
        ExpectNone(found.differences);
        EXPECT_GT(found.lessons, 0);
        EXPECT_GE(found.smallestWord, 6.0);
        if (c.tableLayout == 0) {
            EXPECT_EQ(found.shortened, 0);
        }
        if (c.plain && cellLayout == 0 && c.tableLayout == 3)
            KeepPages(pdf, c.school, sheet);
        // Word heights: about 1.1 times the size of the font.
        std::printf("%s, %s, %s, layout %d: words of two-line lessons %.1f and %.1f pt high, the smallest %.1f pt; "
                    "%d of %d lessons printed in part\n",
                    c.school, PerPageName(c.tableLayout).c_str(), c.plain ? "plain" : "colour", cellLayout,
                    found.firstLine, found.secondLine, found.smallestWord, found.shortened, found.lessons);
    }
}

std::vector<PrintCase> PrintCases()
{
    std::vector<PrintCase> cases;
    for (const char* school : kSchools) {
        for (const int tableLayout : {0, 3, 4}) {
            for (const bool plain : {true, false})
                cases.push_back({school, tableLayout, plain});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(OutputMatchesGrid, PrintedTimetables, testing::ValuesIn(PrintCases()),
                         [](const testing::TestParamInfo<PrintCase>& info) {
                             const PrintCase& c = info.param;
                             return CaseName(zem::Format("%s_%s_%s", c.school, PerPageName(c.tableLayout).c_str(),
                                                         c.plain ? "plain" : "colour"));
                         });

// ---- Workbooks of timetables ----

using TimetableWorkbooks = OutputMatchesGridTest<const char*>;

TEST_P(TimetableWorkbooks, CarryEveryFieldOfEveryLesson)
{
    CScheduleTask& task = School(GetParam());
    for (const auto& [kind, ids] : JobsOf(task)) {
        Items items = ItemsOf(task, ids);
        for (const int tableLayout : {0, 3}) {
            for (const int sheetType : {0, 1}) {
                SCOPED_TRACE(zem::Format("%s, layout %d, sheet type %d", kind.c_str(), tableLayout, sheetType));
                services.layout.TableLayout = tableLayout;
                services.layout.SheetType = sheetType;
                SetCellLayout(0);
                CSpreadsheetExporter exporter(&task);
                exporter.SetDirect(true);
                auto layout = TimetableSheetLayoutOf(services.layout, task.GetSchoolStructure(), false);
                exporter.SetTablesPerPage(layout->tablesPerPage);
                exporter.SetTimetableLayout(layout);
                const std::string path = folder / "课表.xlsx";
                ASSERT_TRUE(exporter.Export(path, items.tables)) << exporter.GetParam().errorText;
                std::vector<std::string> seen;
                int lessons = 0;
                for (int index = 0;; ++index) {
                    zem::workbook::SheetData sheet;
                    std::string error;
                    if (!zem::workbook::ReadWorkbookSheet(path, sheet, error, index))
                        break;
                    ExpectNone(gridcheck::CompareTimetableSheetWithGrid(sheet, items.checked, task, 0,
                                                                        layout->fullNames, layout->blankLines,
                                                                        layout->showSegmentColumn, seen, &lessons));
                }
                EXPECT_EQ(seen.size(), items.owned.size());
                EXPECT_GT(lessons, 0);
            }
        }
    }
}

using MasterWorkbooks = OutputMatchesGridTest<const char*>;

// The kinds of master workbook, each with the name of its print job.
constexpr std::pair<TABLE_TYPE, const char*> kMasterKinds[] = {
    {TABLE_CLASS, "class"}, {TABLE_TEACHER, "teacher"}, {TABLE_ROOM, "room"}};


TEST_P(MasterWorkbooks, CarryEveryFieldOfEveryLesson)
{
    CScheduleTask& task = School(GetParam());
    const std::map<std::string, std::vector<std::string>> jobs = JobsOf(task);
    for (const auto& [kind, job] : kMasterKinds) {
        const Items items = ItemsOf(task, jobs.at(job));
        for (const int style : {0, 1, 2}) {
            for (const bool showSS : {false, true}) {
                SCOPED_TRACE(zem::Format("%s, %s, self-study %d", job, MasterTimetableTitle(kind, style).c_str(),
                                         showSS ? 1 : 0));
                CMasterSheetLayout layout;
                layout.style = style;
                layout.showSS = showSS;
                const std::string path = folder / "总课表.xlsx";
                ASSERT_TRUE(WriteMasterWorkbook(task, kind, layout, path));
                zem::workbook::SheetData sheet;
                std::string error;
                ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(path, sheet, error, 0)) << error;
                int lessons = 0;
                ExpectNone(gridcheck::CompareMasterSheetWithGrid(sheet, items.checked, task, 0, layout.fullNames,
                                                                 showSS, style, &lessons));
                EXPECT_GT(lessons, 0);
            }
        }
    }
}

// The master workbooks as an office prints them (LibreOffice): every page headed by the title and
// the date, with the heading its cells belong to (a day's name; the periods' label column), text of
// 6 points and more with no word running into another, no page across holding a sliver of what the
// others hold, and in 竖排 no day's periods cut from its name by a page's edge.
using PrintedMasterWorkbooks = OutputMatchesGridTest<const char*>;

constexpr double kHeaderBottom = 40;  // points: the page header's lines end above

bool IsDayName(const std::string& word)
{
    return word.rfind("星期", 0) == 0 && word.size() > std::string("星期").size();
}

// What is wrong with one printed page of a master workbook of the arrangement.
std::vector<std::string> MasterPageFaults(const PdfPage& page, const std::string& title, int style)
{
    std::vector<std::string> faults;
    const std::vector<PdfLine> lines = page.Lines();
    if (std::none_of(lines.begin(), lines.end(), [&](const PdfLine& l) { return l.text.find(title) != std::string::npos; }))
        faults.push_back("no title");
    const auto has = [&](const std::string& text) {
        return std::any_of(page.words.begin(), page.words.end(), [&](const PdfWord& w) { return w.text == text; });
    };
    if (!has("2026年03月05日"))
        faults.push_back("no date");
    if (std::none_of(page.words.begin(), page.words.end(), [](const PdfWord& w) { return IsDayName(w.text); }))
        faults.push_back("no day's name");
    if (style != 2 && !has("节次"))
        faults.push_back("no heading");
    for (const PdfWord& word : page.words)
        if (word.yMax - word.yMin < 5.5)
            faults.push_back(word.text + " printed small");
    for (const auto& [a, b] : OverlappingWords(page))
        faults.push_back(a.text + " runs into " + b.text);
    if (style == 1) {
        // Each day on the page shows its name beside its first period.
        const auto label = std::find_if(page.words.begin(), page.words.end(), [](const PdfWord& w) { return w.text == "节次"; });
        const auto firstPeriods = std::count_if(page.words.begin(), page.words.end(), [&](const PdfWord& w) {
            return label != page.words.end() && w.text == "1" && w.xMin < label->xMax && w.xMax > label->xMin;
        });
        const auto days = std::count_if(page.words.begin(), page.words.end(), [](const PdfWord& w) { return IsDayName(w.text); });
        if (firstPeriods != days)
            faults.push_back(zem::Format("%d days begin on the page, %d named", int(firstPeriods), int(days)));
    }
    return faults;
}

// The width the grid takes on the page, in points.
double GridWidth(const PdfPage& page)
{
    double left = page.width, right = 0;
    for (const PdfWord& word : page.words)
        if (word.yMin > kHeaderBottom) {
            left = std::min(left, word.xMin);
            right = std::max(right, word.xMax);
        }
    return std::max(0.0, right - left);
}

TEST_P(PrintedMasterWorkbooks, PrintAsAnOfficeHandsThemOut)
{
    const QString office = OfficeProgram();
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    struct FixedDay {
        zem::ClockHook previous = zem::SetClockHook([] { return zem::LocalTime{2026, 3, 5, 8, 7, 0}; });
        ~FixedDay() { zem::SetClockHook(previous); }
    } day;
    CScheduleTask& task = School(GetParam());
    struct Printed {
        TABLE_TYPE kind;
        const char* name;
        int style;
        std::string workbook;
    };
    std::vector<Printed> printed;
    std::vector<std::string> workbooks;
    for (const auto& [kind, name] : kMasterKinds) {
        for (const int style : {0, 1, 2}) {
            CMasterSheetLayout layout;
            layout.style = style;
            const std::string path = folder / zem::Format("%s-%d.xlsx", name, style);
            ASSERT_TRUE(WriteMasterWorkbook(task, kind, layout, path));
            printed.push_back({kind, name, style, path});
            workbooks.push_back(path);
        }
    }
    // Every workbook through one start of LibreOffice.
    const std::vector<std::string> pdfs = ConvertToPdfs(office, workbooks, folder.path());
    for (std::size_t i = 0; i < printed.size(); ++i) {
        const auto& [kind, name, style, workbook] = printed[i];
        const std::string& pdf = pdfs[i];
        const std::string title = MasterTimetableTitle(kind, style);
        SCOPED_TRACE(title);
        ASSERT_FALSE(pdf.empty());
        const std::vector<PdfPage> pages = ReadPdfPages(pdf);
        ASSERT_FALSE(pages.empty());
        double widest = 0, smallest = 100;
        for (const PdfPage& page : pages) {
            widest = std::max(widest, GridWidth(page));
            for (const PdfWord& word : page.words)
                smallest = std::min(smallest, word.yMax - word.yMin);
        }
        for (std::size_t n = 0; n < pages.size(); ++n) {
            SCOPED_TRACE(zem::Format("page %d of %d", int(n + 1), int(pages.size())));
            ExpectNone(MasterPageFaults(pages[n], title, style));
            EXPECT_GE(GridWidth(pages[n]), widest / 4) << "a sliver";
        }
        // A sheet that fails is kept for a person to look at.
        if (HasFailure())
            std::filesystem::copy_file(pdf, zem::Format("%s/master-printed-%s-%s-%d.pdf", ZEM_TEST_OUTPUT_DIR,
                                                        GetParam(), name, style),
                                       std::filesystem::copy_options::overwrite_existing);
        if (style == 0 && ((kind == TABLE_CLASS && GetParam() == std::string("hand-made")) ||
                           (kind == TABLE_TEACHER && GetParam() == std::string("S36"))))
            RenderPage(pdf, 1, zem::Format("%s/master-printed-%s-%s.png", ZEM_TEST_OUTPUT_DIR, GetParam(), name));
        std::printf("%s, %s: %d pages, the smallest printed word %.1f pt high\n", GetParam(), title.c_str(),
                    int(pages.size()), smallest);
    }
}

// The whole school's lesson list: every class, every period, in order.
using LessonListWorkbooks = OutputMatchesGridTest<const char*>;

TEST_P(LessonListWorkbooks, CarryEveryFieldOfEveryLesson)
{
    CScheduleTask& task = School(GetParam());
    CSpreadsheetExporter exporter(&task);
    exporter.SetDirect(true);
    const std::string path = folder / "全校课表数据列表.xlsx";
    ASSERT_TRUE(ExportLessonGrid(exporter, path)) << exporter.GetParam().errorText;
    zem::workbook::SheetData sheet;
    std::string error;
    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(path, sheet, error, 0)) << error;
    const Items classes = ItemsOf(task, AllIds(task.GetClassInfoList()));
    int lessons = 0;
    ExpectNone(gridcheck::CompareLessonListWithGrid(sheet, classes.checked, task, &lessons));
    EXPECT_GT(lessons, 0);
}

// The lesson calendar of every teacher as the statistics list them, regular lessons counted, over
// two weeks from a Wednesday.
using LessonCalendarWorkbooks = OutputMatchesGridTest<const char*>;

TEST_P(LessonCalendarWorkbooks, CarryTheLessonsOfEveryDate)
{
    using namespace std::chrono;
    CScheduleTask& task = School(GetParam());
    int firstDay = 0, lastDay = 6;
    task.GetSchoolStructure().GetValidWeekBothEnds(firstDay, lastDay);
    ASSERT_LE(lastDay, 6) << "a school of one week";
    const std::vector<std::string> ids = AllIds(task.GetTeacherInfoList());
    const CTeacherStatistic statistic(&task, CStatisticKinds{});
    std::vector<std::unique_ptr<CTeacherStatisticRecord>> records;
    std::vector<const CTeacherStatisticRecord*> listed;
    for (CTeacherInfo* teacher : statistic.GetTeachers()) {
        records.push_back(statistic.Count(*teacher));
        listed.push_back(records.back().get());
    }
    const year_month_day first{2025y, September, 3d};
    constexpr int kDates = 14;
    CLessonCalendarData data{first, year_month_day{sys_days(first) + days(kDates - 1)},
                             BuildLessonCalendarRows(listed)};
    CSpreadsheetExporter exporter(&task);
    exporter.SetDirect(true);
    CExportParam& param = exporter.GetParam();
    param.kind = kLessonCalendarExport;
    param.fileName = folder / "课时.xlsx";
    param.text1 = "教师课时统计表";
    param.data2 = &data;
    ASSERT_TRUE(exporter.RunExport()) << param.errorText;
    zem::workbook::SheetData sheet;
    std::string error;
    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(param.fileName, sheet, error, 0)) << error;
    std::vector<std::string> teacherIds;
    for (const CTeacherInfo* teacher : statistic.GetTeachers())
        teacherIds.push_back(teacher->GetId());
    const Items teachers = ItemsOf(task, teacherIds);
    int lessons = 0;
    ExpectNone(gridcheck::CompareCalendarWithGrid(sheet, teachers.checked, task, first, kDates, &lessons));
    EXPECT_GT(lessons, 0);
    EXPECT_EQ(sheet.LastRow(), 2 + static_cast<int>(teacherIds.size()));
}

// The invigilation workbook of an arrangement the invigilation run makes over the school: an exam
// on each of two days in the first classes' rooms, every teacher listed. Each of its three sheets holds,
// row by row, what the proctoring window lists in that view: a row for each room of an exam, by
// exam and by room, and one for each of its teachers, by teacher.
using InvigilationWorkbooks = OutputMatchesGridTest<const char*>;

TEST_P(InvigilationWorkbooks, ListWhatTheWindowLists)
{
    CScheduleTask& task = School(GetParam());
    CProctorData data;
    data.GetTeacherArray() = AllIds(task.GetTeacherInfoList());
    const std::vector<std::string> subjects = FirstIds(task.GetSubjectInfoList(), 2);
    for (std::size_t n = 0; n < subjects.size(); ++n) {
        auto exam = std::make_unique<CProctorData::Plan>();
        exam->id = "p" + std::to_string(n);
        exam->date = {2024, 6, 5 + static_cast<int>(n)};
        exam->startTime.Parse("08:00");
        exam->endTime.Parse("10:00");
        exam->subject = subjects[n];
        exam->rooms = FirstIds(task.GetClassInfoList(), 6);
        exam->teacherCount = 1 + static_cast<int>(n);
        data.GetPlanList().push_back(std::move(exam));
    }
    BuildTeacherInfoMap(task, data);
    CProctorRunOptions options;
    options.seed = 1;
    options.pacing = false;
    ASSERT_TRUE(CProctorAssignment(task, data, options).Run());
    std::size_t duties = 0;
    for (const auto& item : data.GetProctorList())
        duties += item->teachers.size();
    CSpreadsheetExporter exporter(&task);
    exporter.SetDirect(true);
    CExportParam& param = exporter.GetParam();
    param.kind = kInvigilationExport;
    param.fileName = folder / "监考安排表.xlsx";
    param.text1 = CProctorDlg::ExportTitle("期中考试");
    param.data0 = &data;
    ASSERT_TRUE(exporter.RunExport()) << param.errorText;
    for (const int view : {kViewByPlan, kViewByTeacher, kViewByRoom}) {
        SCOPED_TRACE(zem::Format("view %d", view));
        zem::workbook::SheetData sheet;
        std::string error;
        ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(param.fileName, sheet, error, view)) << error;
        EXPECT_EQ(sheet.Value(1, 1).text, "期中考试监考安排表");
        std::vector<std::vector<std::string>> written, listed;
        for (int row = 2; row <= sheet.LastRow(); ++row)
            written.push_back({sheet.Value(row, 1).text, sheet.Value(row, 2).text, sheet.Value(row, 3).text,
                               sheet.Value(row, 4).text});
        const std::array<const char*, 4> headings = InvigilationHeadings(view);
        listed.push_back({headings.begin(), headings.end()});
        for (const CInvigilationRow& row : BuildInvigilationRows(view, data, &task, false))
            listed.push_back({row.cells.begin(), row.cells.end()});
        EXPECT_EQ(written, listed);
        EXPECT_EQ(listed.size() - 1, view == kViewByTeacher ? duties : data.GetProctorList().size());
    }
}

INSTANTIATE_TEST_SUITE_P(OutputMatchesGrid, InvigilationWorkbooks, testing::ValuesIn(kSchools),
                         [](const auto& info) { return CaseName(info.param); });
INSTANTIATE_TEST_SUITE_P(OutputMatchesGrid, TimetableWorkbooks, testing::ValuesIn(kSchools),
                         [](const auto& info) { return CaseName(info.param); });
INSTANTIATE_TEST_SUITE_P(OutputMatchesGrid, MasterWorkbooks, testing::ValuesIn(kSchools),
                         [](const auto& info) { return CaseName(info.param); });
INSTANTIATE_TEST_SUITE_P(OutputMatchesGrid, PrintedMasterWorkbooks, testing::ValuesIn(kSchools),
                         [](const auto& info) { return CaseName(info.param); });
INSTANTIATE_TEST_SUITE_P(OutputMatchesGrid, LessonListWorkbooks, testing::ValuesIn(kSchools),
                         [](const auto& info) { return CaseName(info.param); });
INSTANTIATE_TEST_SUITE_P(OutputMatchesGrid, LessonCalendarWorkbooks, testing::ValuesIn(kSchools),
                         [](const auto& info) { return CaseName(info.param); });

// ---- The whole-school print ----

struct SchoolPrintCase {
    const char* school;
    int style;  // 0 横排, 1 竖排, 2 交叉
};

// The whole-school layout of the test, as the window's settings hold it.
struct SchoolPrintServices : ExportServices {
    SchoolPrintServices()
    {
        // The program's own fonts of the whole-school table.
        school.tableFont = {{"楷体", 10, false, false}, {"楷体", 8, false, false}};
        school.otherFont = {"楷体", 10, true, false};
    }
    CTablePageLayout* GetSchoolPageLayout() const override { return &school; }
    mutable CTablePageLayout school;
};

class WholeSchoolPrint : public testing::TestWithParam<SchoolPrintCase> {
protected:
    static void TearDownTestSuite() { SchoolCases::Forget(); }
    SchoolPrintServices services;
    TempFolder folder;
};

// Each cell of the whole-school print holds every field of the window's cell, inside the cell;
// what even wrapped lines cannot hold is shortened with "…", and the preview warns of it.
TEST_P(WholeSchoolPrint, CarriesEveryFieldOfEveryLesson)
{
    const SchoolPrintCase& c = GetParam();
    CScheduleTask& task = SchoolCases::Get(c.school);
    services.task = &task;
    for (const int kind : {0, 1, 2}) {
        SCOPED_TRACE(zem::Format("kind %d", kind));
        CSchoolTablePrintSheet sheet(nullptr, &task, kind, c.style);
        QPrinter printer(QPrinter::HighResolution);
        PrepareForPdf(printer);
        ApplyLayoutPaper(printer, sheet.GetPageLayout());
        const std::string pdf = folder / "全校.pdf";
        printer.setOutputFileName(QString::fromStdString(pdf));
        CPrintPageInfo info;
        info.pageCount = sheet.GetPageCount();
        info.onScreen = false;
        sheet.Print(&printer, info);
        ASSERT_TRUE(sheet.IsDone());
        const gridcheck::PrintFindings found = gridcheck::CompareSchoolPrintWithScreen(pdf, sheet, task, kind);
        ExpectNone(found.differences);
        EXPECT_GT(found.lessons, 0);
        EXPECT_GE(found.smallestWord, 6.0);
        const char* const kinds[] = {"class", "teacher", "room"};
        RenderPage(pdf, 1,
                   zem::Format("%s/grid-check-school-%s-%d-%s.png", ZEM_TEST_OUTPUT_DIR, c.school, c.style, kinds[kind]),
                   100);
        std::printf("%s, style %d, kind %d: smallest printed word %.1f pt, %d of %d lessons printed in part\n",
                    c.school, c.style, kind, found.smallestWord, found.shortened, found.lessons);
    }
}

void PrintTo(const SchoolPrintCase& c, std::ostream* out)
{
    *out << c.school << ", style " << c.style;
}

std::vector<SchoolPrintCase> SchoolPrintCases()
{
    std::vector<SchoolPrintCase> cases;
    for (const char* school : kSchools) {
        for (const int style : {0, 1, 2})
            cases.push_back({school, style});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(OutputMatchesGrid, WholeSchoolPrint, testing::ValuesIn(SchoolPrintCases()),
                         [](const testing::TestParamInfo<SchoolPrintCase>& info) {
                             return CaseName(zem::Format("%s_style%d", info.param.school, info.param.style));
                         });

}  // namespace
