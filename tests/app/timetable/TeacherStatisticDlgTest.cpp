// The teacher workload statistics over a small school: 张三 (t1) with two regular plans and one of
// morning reading, 李四 (t2) with one odd-week lesson, a second 张三 (t3) teaching a combined class
// of three classes, 王五 (t4) without plans, 赵六 (t5) assisting t1's 语文 and 钱七 (t6) whose one plan
// stands in the self-study list as a regular one. The worker is held at a latch where a test needs
// it to be.
#include "support/FakeAppServices.h"
#include "support/ScreenTestSupport.h"
#include "support/SchoolBuilder.h"
#include "support/TempFolder.h"

#include "app/controls/SortListCtrl.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/timetable/LessonCalendarSpanDlg.h"
#include "app/timetable/TeacherStatisticDlg.h"
#include "base/ConfigHost.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/Messages.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <string>
#include <vector>

namespace {

using Dlg = CTeacherStatisticDlg;
using Rows = std::vector<std::vector<std::string>>;

class TeacherStatistic : public testing::Test {
protected:
    TeacherStatistic()
    {
        CSchoolStructure& week = b.Task().GetSchoolStructure();
        week.SetSectionNodeMaxCount(3, 1, true);  // one morning reading
        week.SetSectionNodeMaxCount(4, 1, true);  // one evening self-study
        week.RefreshData();
        for (const auto& [id, name] : {std::pair{"t1", "张三"}, {"t2", "李四"}, {"t3", "张三"}, {"t4", "王五"},
                                       {"t5", "赵六"}, {"t6", "钱七"}})
            b.Teacher(id, name);
        b.Class("c1", "初一(1)班");
        b.Class("c2", "初一(2)班");
        b.Class("c3", "初一(3)班");
        b.Subject("s1", "语文");
        b.Subject("s2", "数学");
        b.Subject("s3", "英语");

        CCourseInfo* chinese = b.Course("k1", "c1", "s1", "t1", "2");
        b.Assistant("k1", {"t5"});
        Place(chinese, {0, 0, 0});
        Place(chinese, {1, 0, 1});
        CCourseInfo* maths = b.Course("k2", "c1", "s2", "t1", "1.5");
        Place(maths, {2, 1, 0});
        Place(maths, {3, 0, 2}, 1);
        Place(b.Course("k3", "c2", "s3", "t2", "0.5"), {0, 1, 1}, 1);
        CCourseInfo* combined = b.Course("k4", "c1", "s2", "t3", "3");
        b.Course("k5", "c2", "s2", "t3", "3");
        b.Course("k6", "c3", "s2", "t3", "3");
        b.Combined("cc1", {"k4", "k5", "k6"});
        Place(combined, {4, 0, 0});
        Place(b.SelfStudy("k7", "c1", "s1", "t1", COURSE_TYPE_MORNING_READING, "1"), {0, 3, 0});
        b.SelfStudy("k8", "c2", "s3", "t6", COURSE_TYPE_PLAN, "2");

        config.SetConfigFile(folder / "zem.ini");
        services.task = &b.Task();
        services.config = &config;
    }

    // A lesson in the class's and the teachers' saved timetables (half 1: odd weeks only).
    void Place(CCourseInfo* plan, const tagTABLE_NODE& slot, int half = 0)
    {
        b.Task().SetCourseNode(plan, "", false, slot, half);
    }

    // Opens the dialog, lets the count finish, and works it.
    int Run(const std::function<void(Dlg&)>& work, Dlg::WorkerHook hook = {})
    {
        Dlg dlg;
        dlg.SetWorkerHook(std::move(hook));
        return RunModal<Dlg>(dlg, work);
    }

    static void WaitForCount(Dlg& dlg)
    {
        ASSERT_TRUE(zem::gui::WaitWhile([&] { return dlg.IsCounting(); }, 30000));
    }

    static std::vector<std::string> Headings(const Dlg& dlg)
    {
        std::vector<std::string> headings;
        for (int column = 1; column < dlg.GetList()->GetColumnCount(); ++column)
            headings.push_back(dlg.GetList()->GetColumnHeading(column));
        return headings;
    }

    static Rows ListedRows(const Dlg& dlg)
    {
        Rows rows;
        for (int row = 0; row < dlg.GetList()->GetItemCount(); ++row) {
            std::vector<std::string> texts;
            for (int column = 1; column < dlg.GetList()->GetColumnCount(); ++column)
                texts.push_back(dlg.GetList()->GetItemText(row, column));
            rows.push_back(texts);
        }
        return rows;
    }

    // The details shown: each subject followed by its lines.
    static std::vector<std::string> Details(const Dlg& dlg)
    {
        std::vector<std::string> texts;
        QTreeWidget* tree = dlg.GetTree();
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* subject = tree->topLevelItem(i);
            texts.push_back(subject->text(0).toStdString());
            EXPECT_TRUE(subject->isExpanded());
            for (int j = 0; j < subject->childCount(); ++j)
                texts.push_back("  " + subject->child(j)->text(0).toStdString());
        }
        return texts;
    }

    static void Select(Dlg& dlg, int row)
    {
        dlg.GetList()->ClearSelectedRows();
        dlg.GetList()->SetSelected(row, true);
    }

    TempFolder folder;
    SchoolBuilder b;
    CConfigHost config;
    FakeAppServices services;
};

TEST_F(TeacherStatistic, RegularLessonsAloneCountPlansAgainstTimetablesByDayAndPeriod)
{
    Run([&](Dlg& dlg) {
        WaitForCount(dlg);
        EXPECT_EQ(dlg.Caption(), "教师任课情况统计分析");
        // Five days, then the seven regular periods: no morning reading or self-study column.
        EXPECT_EQ(Headings(dlg), (std::vector<std::string>{"教师", "计划课时", "实际课时", "一", "二", "三", "四", "五",
                                                           "1", "2", "3", "4", "5", "6", "7", "相关班级", "相关课程"}));
        EXPECT_EQ(dlg.GetList()->GetColumnWidth(0), 0);
        EXPECT_EQ(dlg.GetFirstDayColumn(), 4);
        EXPECT_EQ(dlg.GetLastPeriodColumn(), 15);
        // 张三's morning reading is neither planned nor placed here; 李四's odd-week lesson is half a
        // lesson on Monday's sixth period; the combined class counts its three lessons once; 钱七's
        // plan in the self-study list is not looked at.
        EXPECT_EQ(ListedRows(dlg),
                  (Rows{{"张三", "3.5", "3.5", "1", "1", "1", "0.5", "0", "1", "1", "0.5", "0", "1", "0", "0", "1", "2"},
                        {"李四", "0.5", "0.5", "0.5", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0.5", "0", "1", "1"},
                        {"张三", "3", "1", "0", "0", "0", "0", "1", "1", "0", "0", "0", "0", "0", "0", "3", "1"},
                        {"王五", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"},
                        {"赵六", "2", "2", "1", "1", "0", "0", "0", "1", "1", "0", "0", "0", "0", "0", "1", "1"},
                        {"钱七", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"}}));
        EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_STATUS),
                  "单击列头可以排序，单击表格中的行可在右方显示详细信息。其中，计划周课时统计自教学计划，实际周课时统计自教师课表");
        // The workbooks are written from the finished count.
        EXPECT_TRUE(dlg.IsItemEnabled(Dlg::IDC_EXPORT));
        EXPECT_TRUE(dlg.IsItemEnabled(Dlg::IDC_WORKBOOK));
    });
}

TEST_F(TeacherStatistic, TheDetailsFollowTheSelectedRowEvenForTwoTeachersOfOneName)
{
    Run([&](Dlg& dlg) {
        WaitForCount(dlg);
        // The first row is selected when the count ends.
        ASSERT_NE(dlg.GetShownRecord(), nullptr);
        EXPECT_EQ(dlg.GetShownRecord()->teacherId, "t1");
        EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_NAME), "张三");
        // Placed as planned: no planned part.
        EXPECT_EQ(Details(dlg), (std::vector<std::string>{"语文", "  2节 初一(1)班", "数学", "  1.5节 初一(1)班"}));
        EXPECT_EQ(dlg.GetShownRecord()->details.at("k2"), "初一(1)班数学(1.5节)");
        SaveScreenshot(&dlg, "teacher_statistic_details");

        struct Case {
            int row;
            const char* teacherId;
            std::vector<std::string> details;
        } cases[] = {
            {2, "t3", {"数学", "  1节(计划3) 合班：初一(1)班,初一(2)班,初一(3)班"}},
            {4, "t5", {"语文", "  2节 初一(1)班(助)"}},
            {3, "t4", {}},
            {0, "t1", {"语文", "  2节 初一(1)班", "数学", "  1.5节 初一(1)班"}},
        };
        for (const Case& c : cases) {
            Select(dlg, c.row);
            ASSERT_NE(dlg.GetShownRecord(), nullptr) << c.row;
            EXPECT_EQ(dlg.GetShownRecord()->teacherId, c.teacherId);
            EXPECT_EQ(Details(dlg), c.details) << c.teacherId;
        }
        // One detail per combined class, its text held for the exports.
        EXPECT_EQ(dlg.GetRecordOfRow(2)->details,
                  (std::map<std::string, std::string>{{"k4", "合班：初一(1)班,初一(2)班,初一(3)班数学(3节)"}}));
        EXPECT_EQ(dlg.GetRecordOfRow(4)->details.at("k1"), "初一(1)班语文(助 2节)");

        // Sorted by name the two 张三 stand together and each row keeps its own record.
        dlg.GetList()->SortColumn(1, true);
        std::vector<std::string> ids;
        for (int row = 0; row < dlg.GetList()->GetItemCount(); ++row)
            if (dlg.GetList()->GetItemText(row, 1) == "张三")
                ids.push_back(dlg.GetRecordOfRow(row)->teacherId);
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, (std::vector<std::string>{"t1", "t3"}));
    });
}

TEST_F(TeacherStatistic, MorningReadingCountsAllPlansWithItsPeriodFirst)
{
    Run([&](Dlg& dlg) {
        WaitForCount(dlg);
        dlg.Item<QCheckBox>(Dlg::IDC_MORNING_READING)->click();
        WaitForCount(dlg);
        const std::vector<std::string> headings = Headings(dlg);
        ASSERT_EQ(headings.size(), 18u);
        EXPECT_EQ(headings[8], "早");
        EXPECT_EQ(headings[9], "1");
        EXPECT_EQ(dlg.GetFirstPeriodColumn(), 9);
        const Rows rows = ListedRows(dlg);
        ASSERT_EQ(rows.size(), 6u);
        // 张三: the morning reading on Monday; 钱七: the plan of the self-study list, now walked.
        EXPECT_EQ(std::vector<std::string>(rows[0].begin(), rows[0].begin() + 4),
                  (std::vector<std::string>{"张三", "4.5", "4.5", "2"}));
        EXPECT_EQ(rows[0][8], "1");
        EXPECT_EQ(rows[5][1], "2");
        Select(dlg, 1);
        Select(dlg, 0);
        EXPECT_EQ(Details(dlg), (std::vector<std::string>{"语文", "  2节 初一(1)班", "  早读1节 初一(1)班", "数学",
                                                          "  1.5节 初一(1)班"}));
    });
}

TEST_F(TeacherStatistic, ABoxClickedWhileCountingStartsAfreshWithoutRowsOfTheFirstCount)
{
    std::atomic<bool> held{false};
    std::atomic<bool> released{false};
    Run(
        [&](Dlg& dlg) {
            // The first row is in; the worker holds the second until the test lets it go, just
            // before the click, so that the row arrives while the count is being stopped.
            ASSERT_TRUE(zem::gui::WaitWhile([&] { return dlg.GetList()->GetItemCount() < 1 || !held; }, 30000));
            EXPECT_TRUE(dlg.IsCounting());
            // No workbook of a list still filling.
            EXPECT_FALSE(dlg.IsItemEnabled(Dlg::IDC_EXPORT));
            EXPECT_FALSE(dlg.IsItemEnabled(Dlg::IDC_WORKBOOK));
            released = true;
            released.notify_all();
            dlg.Item<QCheckBox>(Dlg::IDC_SELF_STUDY)->click();
            WaitForCount(dlg);
            std::vector<std::string> names;
            for (const auto& row : ListedRows(dlg))
                names.push_back(row[0]);
            EXPECT_EQ(names, (std::vector<std::string>{"张三", "李四", "张三", "王五", "赵六", "钱七"}));
            ASSERT_EQ(dlg.GetRecords().size(), 6u);
            for (int row = 0; row < 6; ++row)
                EXPECT_EQ(dlg.GetRecordOfRow(row), dlg.GetRecords()[static_cast<std::size_t>(row)].get());
            // The second count's columns: the evening self-study period last.
            EXPECT_EQ(Headings(dlg)[15], "自");
        },
        [&](int run, int teacher, const std::atomic<bool>&) {
            if (run != 1 || teacher != 1)
                return;
            held = true;
            released.wait(false);
        });
}

TEST_F(TeacherStatistic, ClosingWhileCountingEndsOnceTheWorkerStoppedAndStoresTheSettings)
{
    std::atomic<bool> held{false};
    const int answer = Run(
        [&](Dlg& dlg) {
            ASSERT_TRUE(zem::gui::WaitWhile([&] { return !held.load(); }, 30000));
            dlg.Item<QCheckBox>(Dlg::IDC_SELF_STUDY)->setChecked(true);
            dlg.close();
            EXPECT_TRUE(dlg.IsEnded());
            EXPECT_FALSE(dlg.IsCounting());
        },
        [&](int, int teacher, const std::atomic<bool>& cancel) {
            if (teacher != 2)
                return;
            held = true;
            cancel.wait(false);
        });
    EXPECT_EQ(answer, zem::IDCANCEL);
    EXPECT_EQ(config.GetConfigInt("TeacherStatistic", "HasNightSelfStudy", -1), 1);
    EXPECT_EQ(config.GetConfigInt("TeacherStatistic", "HasMorningReading", -1), 0);
}

TEST_F(TeacherStatistic, TheBoxesAndTheDetailWidthAreReadBackAndAWidthOutOfRangeGives100)
{
    struct Case {
        int stored;
        int shown;
    } cases[] = {{200, 200}, {100, 100}, {99, 100}, {50, 100}, {5000, 100}};
    for (const Case& c : cases) {
        config.SetConfigInt("Common", "StatisticDetailWidth", c.stored);
        config.SetConfigInt("TeacherStatistic", "HasMorningReading", 1);
        config.SetConfigInt("TeacherStatistic", "HasNightSelfStudy", 0);
        Run([&](Dlg& dlg) {
            EXPECT_EQ(dlg.GetDetailWidth(), c.shown) << c.stored;
            EXPECT_TRUE(dlg.Item<QCheckBox>(Dlg::IDC_REGULAR)->isChecked());
            EXPECT_TRUE(dlg.Item<QCheckBox>(Dlg::IDC_MORNING_READING)->isChecked());
            EXPECT_FALSE(dlg.Item<QCheckBox>(Dlg::IDC_SELF_STUDY)->isChecked());
            // Nothing of the splitter, the list or the details leaves the window.
            const QRect tree = dlg.GetTree()->geometry();
            EXPECT_GT(tree.left(), dlg.GetList()->geometry().right());
            EXPECT_LE(tree.right(), dlg.width());
            WaitForCount(dlg);
            dlg.Item<QCheckBox>(Dlg::IDC_MORNING_READING)->click();
            dlg.close();
        });
        EXPECT_EQ(config.GetConfigInt("Common", "StatisticDetailWidth", -1), c.shown) << c.stored;
        EXPECT_EQ(config.GetConfigInt("TeacherStatistic", "HasMorningReading", -1), 0);
    }
}

// ---- Workbooks ----

// Answers the file dialog with a path in the task's folder, the success question as told, records
// what is opened, and fixes the day at 10 December 2025.
class WorkbookHooks {
public:
    explicit WorkbookHooks(std::string path) : m_path(std::move(path))
    {
        m_dialog = zem::gui::SetFileDialogHook([this](const zem::gui::FileDialogRequest& request) {
            requests.push_back(request);
            return m_path;
        });
        m_open = zem::gui::SetOpenHook([this](const std::string& target) {
            opened.push_back(target);
            return zem::gui::kOpenDone;
        });
        m_clock = zem::SetClockHook([] { return zem::LocalTime{2025, 12, 10, 9, 30, 0, 0, 3}; });
    }
    ~WorkbookHooks()
    {
        zem::gui::SetFileDialogHook(m_dialog);
        zem::gui::SetOpenHook(m_open);
        zem::SetClockHook(m_clock);
    }

    std::vector<zem::gui::FileDialogRequest> requests;
    std::vector<std::string> opened;

private:
    std::string m_path;
    zem::gui::FileDialogHook m_dialog;
    zem::gui::OpenHook m_open;
    zem::ClockHook m_clock;
};

// The cells of a row read back: texts, and numbers after "#".
std::vector<std::string> ReadRow(const zem::workbook::SheetData& sheet, int row, int columns)
{
    std::vector<std::string> texts;
    for (int column = 1; column <= columns; ++column) {
        const zem::workbook::CellValue& value = sheet.Value(row, column);
        texts.push_back(value.type == zem::workbook::CellValue::Type::Number ? "#" + zem::Format("%g", value.number)
                                                                               : value.text);
    }
    return texts;
}

zem::workbook::SheetData ReadBack(const std::string& path)
{
    zem::workbook::SheetData sheet;
    std::string error;
    EXPECT_TRUE(zem::workbook::ReadWorkbookSheet(path, sheet, error, 0)) << error;
    return sheet;
}

// The statistics table is written as the list shows it: its order after sorting, its columns, the
// kinds counted in the title; the folder is kept and the workbook opened when the user says so.
TEST_F(TeacherStatistic, TheStatisticsTableIsWrittenAsListedAndOffersToOpenIt)
{
    services.exportFolder = folder.path();
    WorkbookHooks hooks(folder / "统计分析.xls");
    MessageRecorder messages(zem::IDYES);
    Run([&](Dlg& dlg) {
        WaitForCount(dlg);
        dlg.GetList()->SortColumn(1, true);
        QTest::mouseClick(dlg.GetDlgItem(Dlg::IDC_EXPORT), Qt::LeftButton);
    });
    ASSERT_EQ(hooks.requests.size(), 1u);
    EXPECT_EQ(hooks.requests[0].fileName, "教师任课情况统计分析表20251210.xlsx");
    EXPECT_EQ(hooks.requests[0].folder, folder.path());
    const std::string written = folder / "统计分析.xlsx";
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"导出成功! 现在要打开EXCEL文档吗？"});
    EXPECT_EQ(hooks.opened, std::vector<std::string>{written});
    EXPECT_EQ(services.storedExportFolder, folder.path());

    const zem::workbook::SheetData sheet = ReadBack(written);
    EXPECT_EQ(sheet.name, "教师任课情况统计分析表(常规)");
    EXPECT_EQ(sheet.Value(1, 1).text, "教师任课情况统计分析表（常规）");
    // Five days, seven periods, then the classes and subjects.
    EXPECT_EQ(sheet.LastColumn(), 20);
    EXPECT_EQ(ReadRow(sheet, 3, 15), (std::vector<std::string>{"", "", "", "一", "二", "三", "四", "五", "1", "2", "3",
                                                              "4", "5", "6", "7"}));
    std::vector<std::string> names;
    for (int row = 4; row <= sheet.LastRow(); ++row)
        names.push_back(sheet.Value(row, 1).text);
    EXPECT_EQ(names, (std::vector<std::string>{"李四", "钱七", "王五", "张三", "张三", "赵六"}));
    std::vector<std::string> first, combined;
    for (int row = 7; row <= 8; ++row) {
        const std::vector<std::string> cells = ReadRow(sheet, row, 20);
        (cells[1] == "#3.5" ? first : combined) = cells;
    }
    EXPECT_EQ(first, (std::vector<std::string>{"张三", "#3.5", "#3.5", "#1", "#1", "#1", "#0.5", "#0", "#1", "#1",
                                               "#0.5", "#0", "#1", "#0", "#0", "#1", "初一(1)班", "#2", "语文、数学",
                                               "初一(1)班语文(2节)；初一(1)班数学(1.5节)"}));
    EXPECT_EQ(std::vector<std::string>(combined.begin() + 15, combined.end()),
              (std::vector<std::string>{"#3", "初一(1)班、初一(2)班、初一(3)班", "#1", "数学",
                                        "合班：初一(1)班,初一(2)班,初一(3)班数学(3节)"}));
}

// The lesson calendar asks for its dates, the current month first; an empty span and one over a
// year are refused with the dialog kept open; each listed teacher's lessons go on the dates.
TEST_F(TeacherStatistic, TheLessonCalendarAsksForItsDatesAndRefusesAnEmptyOrTooLongSpan)
{
    WorkbookHooks hooks(folder / "课时.xlsx");
    MessageRecorder messages(zem::IDNO);
    std::vector<std::string> shownSpan;
    std::vector<bool> endedAfterRefusals;
    Dlg dlg;
    ModalScope scope([&](zem::gui::Dialog& shown) {
        if (&shown == &dlg) {
            WaitForCount(dlg);
            dlg.Item<QCheckBox>(Dlg::IDC_MORNING_READING)->click();
            WaitForCount(dlg);
            QTest::mouseClick(dlg.GetDlgItem(Dlg::IDC_WORKBOOK), Qt::LeftButton);
            dlg.close();
            return;
        }
        auto* span = dynamic_cast<CLessonCalendarSpanDlg*>(&shown);
        ASSERT_NE(span, nullptr);
        auto* first = span->Item<QDateEdit>(CLessonCalendarSpanDlg::IDC_FIRST);
        auto* last = span->Item<QDateEdit>(CLessonCalendarSpanDlg::IDC_LAST);
        shownSpan = {first->date().toString(Qt::ISODate).toStdString(), last->date().toString(Qt::ISODate).toStdString()};
        SaveScreenshot(span, "lesson_calendar_span");
        for (const auto& [from, to] : {std::pair{QDate(2025, 12, 8), QDate(2025, 12, 7)},
                                       std::pair{QDate(2025, 12, 1), QDate(2026, 12, 1)}}) {
            first->setDate(from);
            last->setDate(to);
            QTest::mouseClick(span->GetDlgItem(zem::IDOK), Qt::LeftButton);
            endedAfterRefusals.push_back(span->IsEnded());
        }
        first->setDate(QDate(2025, 12, 1));
        last->setDate(QDate(2025, 12, 7));
        QTest::mouseClick(span->GetDlgItem(zem::IDOK), Qt::LeftButton);
    });
    dlg.DoModal();
    EXPECT_EQ(shownSpan, (std::vector<std::string>{"2025-12-01", "2025-12-31"}));
    EXPECT_EQ(endedAfterRefusals, (std::vector<bool>{false, false}));
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"结束日期不能早于开始日期，请重新选择统计的日期范围。",
                                                          "统计的日期范围不能超过一年，请重新选择。",
                                                          "导出成功! 现在要打开EXCEL文档吗？"}));
    ASSERT_EQ(hooks.requests.size(), 1u);
    EXPECT_EQ(hooks.requests[0].fileName, "教师课时统计表20251210.xlsx");
    EXPECT_TRUE(hooks.opened.empty());

    const zem::workbook::SheetData sheet = ReadBack(folder / "课时.xlsx");
    EXPECT_EQ(sheet.Value(1, 1).text, "教师课时统计表（2025年12月1日至2025年12月7日）");
    EXPECT_EQ(sheet.Value(2, 2).text, "12\n1\n一");
    EXPECT_EQ(sheet.Value(2, 8).text, "12\n7\n日");
    // Counted with morning reading, as the list shows: 张三's Monday has two lessons; Saturday and
    // Sunday are not taught.
    EXPECT_EQ(ReadRow(sheet, 3, 8), (std::vector<std::string>{"张三", "#2", "#1", "#1", "#0.5", "", "", ""}));
    EXPECT_EQ(ReadRow(sheet, 4, 8), (std::vector<std::string>{"李四", "#0.5", "", "", "", "", "", ""}));
    EXPECT_EQ(sheet.LastRow(), 8);
}

// A workbook that cannot be saved is told as a failure: no success question, no folder kept.
TEST_F(TeacherStatistic, AWorkbookThatCannotBeSavedIsToldAndNotOffered)
{
    WorkbookHooks hooks(folder / "缺少的文件夹/统计分析.xlsx");
    MessageRecorder messages(zem::IDYES);
    Run([&](Dlg& dlg) {
        WaitForCount(dlg);
        QTest::mouseClick(dlg.GetDlgItem(Dlg::IDC_EXPORT), Qt::LeftButton);
    });
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Error);
    // Its reason first.
    EXPECT_EQ(messages.messages[0].text.rfind("导出失败：文件夹不存在\n\n", 0), 0u) << messages.messages[0].text;
    EXPECT_TRUE(hooks.opened.empty());
    EXPECT_TRUE(services.storedExportFolder.empty());
}

}  // namespace
