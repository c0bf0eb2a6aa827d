// What is printed and exported says what the week grid says: class, teacher, room and teacher-group
// timetables printed at one, four and six a page, plain and in colour, in three cell layouts, and
// written into timetable workbooks, each read back and compared cell by cell with the grid's texts.
#include "support/GeneratedSchool.h"
#include "support/GridCheck.h"
#include "support/SchoolBuilder.h"
#include "support/TempFolder.h"

#include "app/output/TimetableExport.h"
#include "app/output/workbook/MasterTimetableWorkbook.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/TimetableWorkbook.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"

#include <gtest/gtest.h>

#include <algorithm>
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

struct School {
    std::string name;
    std::unique_ptr<CScheduleTask> task;
};

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

class OutputMatchesGrid : public testing::Test {
protected:
    OutputMatchesGrid()
    {
        schools.push_back({"hand-made", MakeHandMadeSchool()});
        schools.push_back({"S36", MakeFilledSchool()});
        services.schoolName = "实验中学";
        services.layout.blankLines[0].text = "午休";
        services.layout.blankLines[2] = {1, zem::kForenoon, 1, 1, "大课间"};
    }

    void SetCellLayout(int layout)
    {
        for (int kind = 0; kind < 3; ++kind)
            services.layout.SetCourseInfoFormat(layout, kind);
    }

    std::vector<School> schools;
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

TEST_F(OutputMatchesGrid, PrintedTimetablesCarryEveryFieldOfEveryLesson)
{
    struct PerPage {
        int tableLayout;
        const char* name;
    };
    const PerPage perPage[] = {{0, "one a page"}, {3, "four a page"}, {4, "six a page"}};
    // "课程 + 教师教室", "课程 + 教师", "只显示教师教室".
    const int cellLayouts[] = {0, 1, 4};
    std::map<std::string, double> smallest;  // printed word heights, per tables a page
    std::map<std::string, int> shortened;    // lessons printed in part, per school and tables a page
    for (School& school : schools) {
        ASSERT_TRUE(school.task);
        services.task = school.task.get();
        // One job of every kind's timetables, a group each, as the print dialog makes them.
        std::vector<std::unique_ptr<CPrintTableGroup>> jobs;
        for (const auto& [kind, ids] : JobsOf(*school.task)) {
            auto group = std::make_unique<CPrintTableGroup>(kind);
            CTaskHelper(school.task.get()).CreateTableItems(ids, &group->items);
            jobs.push_back(std::move(group));
        }
        for (const PerPage& page : perPage) {
            for (const bool plain : {true, false}) {
                for (const int cellLayout : cellLayouts) {
                    SCOPED_TRACE(zem::Format("%s, %s, %s, layout %d", school.name.c_str(), page.name,
                                             plain ? "plain" : "colour", cellLayout));
                    services.layout.TableLayout = page.tableLayout;
                    services.layout.NormalPrint = plain;
                    services.colorTable = !plain;
                    SetCellLayout(cellLayout);
                    TestPrintSheet sheet(school.task.get());
                    for (const auto& job : jobs) {
                        auto group = std::make_unique<CPrintTableGroup>(job->name);
                        for (const auto& item : job->items)
                            group->items.push_back(std::make_unique<CExportTableItem>(*item));
                        sheet.AddGroup(std::move(group));
                    }
                    const std::string pdf = folder / "job.pdf";
                    ASSERT_TRUE(PrintToPdf(sheet, pdf));
                    const gridcheck::PrintFindings found = gridcheck::ComparePrintWithGrid(pdf, sheet, *school.task);
                    ExpectNone(found.differences);
                    EXPECT_GT(found.lessons, 0);
                    // For a person to look at: each school's plain print, and its first page.
                    if (plain && cellLayout == 0) {
                        const std::string kept = zem::Format("%s/grid-check-%s-%d", ZEM_TEST_OUTPUT_DIR,
                                                             school.name.c_str(), page.tableLayout);
                        std::filesystem::copy_file(pdf, kept + ".pdf", std::filesystem::copy_options::overwrite_existing);
                        RenderPage(pdf, 1, kept + ".png", 80);
                    }
                    double& least = smallest.try_emplace(page.name, 1e9).first->second;
                    least = std::min(least, found.smallestWord);
                    shortened[school.name + ", " + page.name] += found.shortened;
                }
            }
        }
    }
    // Shrunk lines stay legible.
    for (const auto& [page, height] : smallest) {
        EXPECT_GE(height, 6.0) << page;
        std::printf("smallest printed lesson word, %s: %.1f pt\n", page.c_str(), height);
    }
    // At one a page every lesson prints whole; more tables a page may shorten long ones, as the
    // preview says.
    for (const auto& [where, count] : shortened) {
        if (where.ends_with("one a page")) {
            EXPECT_EQ(count, 0) << where;
        }
        std::printf("lessons printed in part, %s: %d\n", where.c_str(), count);
    }
}

TEST_F(OutputMatchesGrid, TimetableWorkbooksCarryEveryFieldOfEveryLesson)
{
    for (School& school : schools) {
        ASSERT_TRUE(school.task);
        services.task = school.task.get();
        for (const auto& [kind, ids] : JobsOf(*school.task)) {
            std::vector<std::unique_ptr<CExportTableItem>> items;
            CTaskHelper(school.task.get()).CreateTableItems(ids, &items);
            for (const int tableLayout : {0, 3}) {
                for (const int sheetType : {0, 1}) {
                    SCOPED_TRACE(zem::Format("%s, %s, layout %d, sheet type %d", school.name.c_str(), kind.c_str(),
                                             tableLayout, sheetType));
                    services.layout.TableLayout = tableLayout;
                    services.layout.SheetType = sheetType;
                    SetCellLayout(0);
                    std::vector<CExportTableItem*> tables;
                    std::vector<const CExportTableItem*> checked;
                    for (const auto& item : items) {
                        tables.push_back(item.get());
                        checked.push_back(item.get());
                    }
                    CSpreadsheetExporter exporter(school.task.get());
                    exporter.SetDirect(true);
                    auto layout = TimetableSheetLayoutOf(services.layout, school.task->GetSchoolStructure(), false);
                    exporter.SetTablesPerPage(layout->tablesPerPage);
                    exporter.SetTimetableLayout(layout);
                    const std::string path = folder / "课表.xlsx";
                    ASSERT_TRUE(exporter.Export(path, tables)) << exporter.GetParam().errorText;
                    std::vector<std::string> seen;
                    int lessons = 0;
                    for (int index = 0;; ++index) {
                        zem::workbook::SheetData sheet;
                        std::string error;
                        if (!zem::workbook::ReadWorkbookSheet(path, sheet, error, index))
                            break;
                        ExpectNone(gridcheck::CompareTimetableSheetWithGrid(
                            sheet, checked, *school.task, 0, layout->fullNames, layout->blankLines,
                            layout->showSegmentColumn, seen, &lessons));
                    }
                    EXPECT_EQ(seen.size(), items.size());
                    EXPECT_GT(lessons, 0);
                }
            }
        }
    }
}

TEST_F(OutputMatchesGrid, MasterTimetableWorkbooksCarryEveryFieldOfEveryLesson)
{
    const std::pair<TABLE_TYPE, const char*> kinds[] = {
        {TABLE_CLASS, "class"}, {TABLE_TEACHER, "teacher"}, {TABLE_ROOM, "room"}};
    for (School& school : schools) {
        ASSERT_TRUE(school.task);
        services.task = school.task.get();
        const std::map<std::string, std::vector<std::string>> jobs = JobsOf(*school.task);
        for (const auto& [kind, job] : kinds) {
            std::vector<std::unique_ptr<CExportTableItem>> items;
            CTaskHelper(school.task.get()).CreateTableItems(jobs.at(job), &items);
            std::vector<const CExportTableItem*> checked;
            for (const auto& item : items)
                checked.push_back(item.get());
            for (const int style : {0, 1}) {
                for (const bool showSS : {false, true}) {
                    SCOPED_TRACE(zem::Format("%s, %s, %s, self-study %d", school.name.c_str(), job,
                                             style == 0 ? "across" : "down", showSS ? 1 : 0));
                    CMasterSheetLayout layout;
                    layout.style = style;
                    layout.showSS = showSS;
                    CSpreadsheetExporter exporter(school.task.get());
                    exporter.SetDirect(true);
                    CExportParam& param = exporter.GetParam();
                    param.kind = kMasterTimetableExport;
                    param.value = kind;
                    param.data1 = &layout;
                    param.fileName = folder / "总课表.xlsx";
                    ASSERT_TRUE(exporter.RunExport()) << param.errorText;
                    zem::workbook::SheetData sheet;
                    std::string error;
                    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(param.fileName, sheet, error, 0)) << error;
                    int lessons = 0;
                    ExpectNone(gridcheck::CompareMasterSheetWithGrid(sheet, checked, *school.task, 0, layout.fullNames,
                                                                     showSS, style == 1, &lessons));
                    EXPECT_GT(lessons, 0);
                }
            }
        }
    }
}

}  // namespace
