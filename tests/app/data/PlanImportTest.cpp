// The plan pages' "导入" and "导出(&T)", and the export of the combined-class and assistant pages:
// the demo's plans written in both shapes and imported into an empty task, the dialog an empty
// page opens, its template and its shape question, and saving before an export.
#include "support/BasicDataTestSupport.h"

#include "app/controls/HyperLink.h"
#include "app/data/AssistantListPage.h"
#include "app/data/CombineClassListPage.h"
#include "app/data/PlanListPage.h"
#include "app/data/SelfStudyListPage.h"
#include "app/output/import/PlanImportDlg.h"
#include "app/output/workbook/PlanWorkbook.h"
#include "app/output/workbook/Workbook.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/output/workbook/XlsxWriter.h"
#include "app/shared/Vocabulary.h"
#include "base/ScheduleTask.h"
#include "base/TaskLimits.h"
#include "platform/Text.h"
#include "platform/gui/Timers.h"
#include "support/FileScope.h"
#include "support/MessageRecorder.h"
#include "support/TaskLines.h"

#include <QComboBox>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

using Grid = std::vector<std::vector<std::string>>;

void StartAndWait(CPlanImportDlg& dialog)
{
    dialog.SendCommand(CPlanImportDlg::IDC_START);
    while (dialog.IsImporting())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}

CRoomInfo* AddRoom(CScheduleTask& task, const std::string& id, const std::string& name)
{
    auto* room = new CRoomInfo;
    room->SetId(id);
    room->SetName(name);
    room->SetShortName(name);
    room->SetCapacity(1);
    room->SetIndex(task.GetRoomInfoList().GetCount());
    task.GetRoomInfoList().Add(room);
    return room;
}

// Clicks the page's "导出(&T)" with every file chooser answered by `path`; no question is answered Yes.
template <class Page>
void ExportThroughPage(Page& page, int exportId, std::string path)
{
    FileScope chooser(path);
    MessageRecorder messages(zem::IDNO);
    RunPage<Page>(page, [&](Page& p) {
        ASSERT_TRUE(p.IsItemEnabled(exportId));
        p.SendCommand(exportId);
    });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"导出成功! 现在要打开EXCEL文档吗？"});
    EXPECT_TRUE(chooser.opened.empty());
}

// The demo's plans and self-study plans, with rooms "0302" and "3.10" and a half lesson, written
// by each page's export in both shapes, come back the same through the pages of an empty task.
TEST(PlanImport, DemoPlansRoundTripInBothShapes)
{
    zem::gui::FakeClock clock;
    std::vector<std::string> expected[2];
    // The demo's folder is this test's folder and goes with it: the workbooks are kept in memory.
    std::map<std::string, std::string> workbooks;
    {
        DemoSchool demo;
        const TempFolder& files = demo.folder;
        ASSERT_NE(demo.task, nullptr);
        CScheduleTask& task = *demo.task;
        AddRoom(task, "room0302", "0302");
        AddRoom(task, "room310", "3.10");
        const std::vector<CCourseInfo*> plans = ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList());
        ASSERT_GE(plans.size(), 3u);
        plans[0]->SetRoom("room0302");
        plans[1]->SetRoom("room310");
        plans[2]->SetWeekCount(CWeekCount("2.5"));
        const std::vector<CCourseInfo*> selfStudies = ObjectsInOrder<CCourseInfo>(task.GetSelfStudyInfoList());
        ASSERT_FALSE(selfStudies.empty());
        selfStudies[0]->SetRoom("room310");
        for (int format = 0; format < 2; ++format) {
            demo.services.importFormat = format;
            CPlanListPage plansPage;
            ExportThroughPage(plansPage, CPlanListPage::IDC_EXPORT, files / ("plans" + std::to_string(format) + ".xlsx"));
            CSelfStudyListPage selfStudyPage;
            ExportThroughPage(selfStudyPage, CPlanListPage::IDC_EXPORT, files / ("ss" + std::to_string(format) + ".xlsx"));
        }
        for (const char* name : {"plans0.xlsx", "ss0.xlsx", "plans1.xlsx", "ss1.xlsx"}) {
            std::ifstream in(files / name, std::ios::binary);
            workbooks[name] = std::string(std::istreambuf_iterator<char>(in), {});
            EXPECT_FALSE(workbooks[name].empty()) << name;
        }
        expected[0] = PlanLines(task, true);
        expected[1] = PlanLines(task, false);
        ASSERT_NE(std::find_if(expected[0].begin(), expected[0].end(), [](const std::string& line) {
                      return line.find("|0302") != std::string::npos;
                  }), expected[0].end());
    }
    TempFolder files;
    for (const auto& [name, bytes] : workbooks)
        std::ofstream(files / name, std::ios::binary) << bytes;
    for (int format = 0; format < 2; ++format) {
        SCOPED_TRACE(format == 0 ? "cross table" : "flat list");
        SchoolBuilder empty;
        const std::string taskFolder = files / ("task" + std::to_string(format) + "/");
        std::filesystem::create_directories(taskFolder);
        empty.Task().GetTaskInfo().SetTaskFolder(taskFolder);
        FakeAppServices services;
        services.task = &empty.Task();
        services.importFormat = format;
        MessageRecorder messages;
        for (int kind = 0; kind < 2; ++kind) {
            std::string path = files / ((kind == 0 ? "plans" : "ss") + std::to_string(format) + ".xlsx");
            FileScope chooser(path);
            std::unique_ptr<CPlanListPage> page =
                kind == 0 ? std::make_unique<CPlanListPage>() : std::make_unique<CSelfStudyListPage>();
            RunPage<CPlanListPage>(
                *page,
                [&](CPlanListPage& p) {
                    ASSERT_TRUE(p.IsItemEnabled(CListBaseDlg::IDC_IMPORT));
                    p.SendCommand(CListBaseDlg::IDC_IMPORT);
                    p.SendCommand(CListBaseDlg::IDC_SAVE);
                    EXPECT_FALSE(p.IsModified());
                },
                [&](zem::gui::Dialog& dialog) {
                    auto* import = dynamic_cast<CPlanImportDlg*>(&dialog);
                    ASSERT_NE(import, nullptr);
                    EXPECT_EQ(import->GetFormat(), format);
                    StartAndWait(*import);
                    EXPECT_TRUE(import->IsEnded());
                });
            EXPECT_EQ(PlanLines(empty.Task(), kind == 0), expected[kind]);
        }
        const std::string confirm = zem::Format(
            "您当前选择的导入格式是：%s\n\n请确认您要导入的Excel文件内容是 %s 格式\n点击确定按钮继续导入",
            zem::import::PlanFormatName(format), zem::import::PlanFormatName(format));
        // The empty task's week has no morning-reading periods: the self-study save asks about that too.
        std::vector<std::string> texts = messages.Texts();
        texts.erase(std::remove_if(texts.begin(), texts.end(), [](const std::string& text) {
                        return text.rfind("教学时间中设置的全校可用早读", 0) == 0;
                    }), texts.end());
        // Every plan taken; the names written otherwise than the demo spells them follow the count.
        for (std::string& text : texts)
            if (text.rfind("导入完成，共导入 ", 0) == 0)
                text = "导入完成";
        EXPECT_EQ(texts, (std::vector<std::string>{confirm, "导入完成", confirm, "导入完成"}));
    }
}

// A workbook with the rows from row 1.
void WriteSheet(const std::string& path, const Grid& rows)
{
    zem::workbook::Workbook book;
    auto& sheet = book.GetSheet(1);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            if (!rows[r][c].empty())
                sheet.GetRange(zem::workbook::CellName(static_cast<int>(r) + 1, static_cast<int>(c) + 1)).SetValue(rows[r][c]);
    zem::workbook::SaveXlsx(book, path);
}

// The plan page of a task without classes opens the import half a second after it shows. The shape
// chosen is stored; the template holds the shape's headings, opens, and imports back nothing.
TEST(PlanImport, EmptyPageOpensTheDialogAndItsTemplate)
{
    zem::gui::FakeClock clock;
    TempFolder folder;
    SchoolBuilder empty;
    empty.Task().GetTaskInfo().SetTaskFolder(folder.path());
    FakeAppServices services;
    services.task = &empty.Task();
    CPlanListPage page;
    std::string path = folder / "template.xlsx";
    FileScope chooser(path);
    MessageRecorder messages;
    int opened = 0;
    RunPage<CPlanListPage>(
        page,
        [&](CPlanListPage& p) {
            clock.Advance(499);
            EXPECT_EQ(opened, 0);
            clock.Advance(1);
            EXPECT_EQ(opened, 1);
            EXPECT_EQ(p.GetList()->GetItemCount(), 0);
        },
        [&](zem::gui::Dialog& dialog) {
            auto* import = dynamic_cast<CPlanImportDlg*>(&dialog);
            ASSERT_NE(import, nullptr);
            ++opened;
            EXPECT_EQ(import->Caption(), "导入教学计划信息");
            EXPECT_EQ(import->GetFormat(), zem::import::kFlatListFormat);
            SaveScreenshot(import, "PlanImport.flatList");
            import->Item<QComboBox>(CPlanImportDlg::IDC_FORMAT)->setCurrentIndex(0);
            EXPECT_EQ(services.importFormat, 0);
            SaveScreenshot(import, "PlanImport.crossTable");
            import->Send(WM_QUICK_TOOL, CPlanImportDlg::IDC_TEMPLATE, 0);
            EXPECT_EQ(chooser.opened, std::vector<std::string>{path});
            zem::workbook::SheetData sheet;
            std::string error;
            ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(path, sheet, error)) << error;
            EXPECT_EQ(sheet.LastRow(), 1);
            EXPECT_EQ(sheet.Value(1, 2).text, "语文#主#6#2#1");
            StartAndWait(*import);
            EXPECT_TRUE(import->IsEnded());
        });
    EXPECT_EQ(opened, 1);
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Texts()[1], "导入完成，共导入 0 条");
}

// Imports the workbook at `path` into the plan page of `task`'s empty school through the dialog,
// every question answered OK; the messages after the dialog's own confirmation.
std::vector<zem::MessageRequest> ImportPlans(CScheduleTask& task, std::string path, const std::string& screenshot)
{
    FakeAppServices services;
    services.task = &task;
    FileScope chooser(path);
    MessageRecorder messages;
    // The empty page offers its import by a timer: held here, it waits for the test's own import.
    zem::gui::FakeClock clock;
    CPlanListPage page;
    RunPage<CPlanListPage>(
        page,
        [&](CPlanListPage& p) {
            p.SendCommand(CListBaseDlg::IDC_IMPORT);
            SaveScreenshot(&p, screenshot);
            p.SendCommand(CListBaseDlg::IDC_SAVE);
        },
        [&](zem::gui::Dialog& dialog) {
            auto* import = dynamic_cast<CPlanImportDlg*>(&dialog);
            ASSERT_NE(import, nullptr);
            StartAndWait(*import);
            // A refused import leaves the dialog open, as the user would close it.
            if (!import->IsEnded())
                import->EndDialog(zem::IDCANCEL);
        });
    std::vector<zem::MessageRequest> after(messages.messages.begin() + (messages.messages.empty() ? 0 : 1),
                                           messages.messages.end());
    return after;
}

// The dialog's own sample of the flat list, the class on a class's first row only: every plan goes
// to its class. A row without a teacher, a count that is no number or none, and a plan the class
// has already are refused at their rows and said; the others are taken.
TEST(PlanImport, SampleShapeAndRefusedRows)
{
    TempFolder folder;
    SchoolBuilder empty;
    empty.Task().GetTaskInfo().SetTaskFolder(folder.path());
    // Kept for a person to look at.
    std::string path = TestOutputPath("PlanImport.sampleShape.xlsx");
    WriteSheet(path, {{"班级", "课程", "教师", "主/副课", "周课时数", "连课", "次数", "指定教室"},
                      {"初一（1）班", "语文", "张三", "主课", "6", "2", "1", ""},
                      {"", "数学", "李四", "主课", "5", "1", "0", ""},
                      {"", "英语", "", "主课", "4", "1", "0", ""},
                      {"", "物理", "王五", "主课", "abc", "1", "0", "实验室"},
                      {"初一（2）班", "语文", "赵六", "主课", "6", "2", "1", ""},
                      {"", "数学", "李四", "副课", "0", "1", "0", ""},
                      {"", "语文", "赵六", "主课", "6", "2", "1", ""},
                      {"", "历史", "王五", "副课", "2", "", "", ""}});
    const auto messages = ImportPlans(empty.Task(), path, "PlanImport.sampleShape");
    ASSERT_EQ(messages.size(), 1u);
    // What the taken rows made is named too.
    EXPECT_EQ(messages[0].text, "导入 4 条，未导入 4 条：\n第 4 行：没有填写教师\n第 5 行：周课时数无效: abc\n"
                                "第 7 行：周课时数无效: 0\n第 8 行：重复的教学计划：初一（2）班 语文 赵六\n\n"
                                "导入时新建的数据：\n新建班级 2 个：初一（1）班、初一（2）班\n新建课程 3 个：语文、数学、历史\n"
                                "新建教师 4 个：张三、李四、赵六、王五");
    EXPECT_EQ(messages[0].icon, zem::MessageIcon::Warning);
    EXPECT_EQ(PlanLines(empty.Task(), true), (std::vector<std::string>{"初一（1）班|数学|李四|0|1|5|1|0|",
                                                                     "初一（1）班|语文|张三|0|1|6|2|1|",
                                                                     "初一（2）班|历史|王五|0|0|2|1|0|",
                                                                     "初一（2）班|语文|赵六|0|1|6|2|1|"}));
    EXPECT_EQ(empty.Task().GetClassInfoList().GetCount(), 2);
    // 王五 comes with 历史: the refused 物理 row made nothing.
    EXPECT_EQ(empty.Task().GetTeacherInfoList().GetCount(), 4);
    EXPECT_EQ(empty.Task().GetSubjectInfoList().GetCount(), 3);
}

// A list of plans for one class more than a task may hold is refused before anything changes,
// naming the limit.
TEST(PlanImport, ListOverTheClassLimitChangesNothing)
{
    TempFolder folder;
    SchoolBuilder empty;
    empty.Task().GetTaskInfo().SetTaskFolder(folder.path());
    std::string path = folder / "classes.xlsx";
    const std::size_t classes = GetTaskLimit(TaskObjectKind::Class).max + 1;
    Grid rows = {{"班级", "课程", "教师", "主/副课", "周课时数"}};
    for (std::size_t i = 0; i < classes; ++i)
        rows.push_back({"班" + std::to_string(i + 1), "语文", "张三", "主课", "5"});
    WriteSheet(path, rows);
    const auto messages = ImportPlans(empty.Task(), path, "PlanImport.classLimit");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "一个排课任务中的班级不能多于 1000 个（这样会有 1001 个），排课任务将无法再打开。");
    EXPECT_EQ(messages[0].icon, zem::MessageIcon::Error);
    EXPECT_EQ(empty.Task().GetClassInfoList().GetCount(), 0);
    EXPECT_EQ(empty.Task().GetCourseInfoList().GetCount(), 0);
}

// A cross table chosen as a flat list: the worker's question is asked on the GUI thread, and Yes
// reads the file as a cross table; the head teachers reach the page's classes.
TEST(PlanImport, ShapeQuestionAndHeadTeachers)
{
    zem::gui::FakeClock clock;
    TempFolder folder;
    SchoolBuilder empty;
    empty.Task().GetTaskInfo().SetTaskFolder(folder.path());
    FakeAppServices services;
    services.task = &empty.Task();
    std::string path = folder / "cross.xlsx";
    WriteSheet(path, {{"班级", "语文#主#6#2#1", "数学#主#5", "班主任", "英语#4"},
                      {"初一(1)班", "张三", "李四", "王五"},
                      {"初一(2)班", "李四", "", "张三"}});
    FileScope chooser(path);
    ScriptedMessages messages({zem::IDOK, zem::IDYES}, zem::IDOK);
    CPlanListPage page;
    RunPage<CPlanListPage>(
        page,
        [&](CPlanListPage& p) {
            p.SendCommand(CListBaseDlg::IDC_IMPORT);
            p.SendCommand(CListBaseDlg::IDC_SAVE);
        },
        [&](zem::gui::Dialog& dialog) {
            auto* import = dynamic_cast<CPlanImportDlg*>(&dialog);
            ASSERT_NE(import, nullptr);
            StartAndWait(*import);
            EXPECT_TRUE(import->IsEnded());
        });
    ASSERT_EQ(messages.messages.size(), 3u);
    EXPECT_EQ(messages.messages[1].text, zem::import::PlanFormatQuestion(1, 0));
    EXPECT_EQ(messages.messages[1].icon, zem::MessageIcon::Warning);
    // The classes the rows made are stored as names are written; the report says so, and names what was made.
    EXPECT_EQ(messages.messages[2].text, "导入完成，共导入 3 条\n\n以下名称按规范写法导入：\n"
                                         "第 2 行第 B 列：初一(1)班 → 初一（1）班\n第 3 行第 B 列：初一(2)班 → 初一（2）班\n\n"
                                         "导入时新建的数据：\n新建班级 2 个：初一（1）班、初一（2）班\n新建课程 2 个：语文、数学\n"
                                         "新建教师 2 个：张三、李四");
    EXPECT_EQ(services.importFormat, 1);
    CScheduleTask& task = empty.Task();
    EXPECT_EQ(PlanLines(task, true), (std::vector<std::string>{"初一（1）班|数学|李四|0|1|5|1|0|",
                                                             "初一（1）班|语文|张三|0|1|6|2|1|",
                                                             "初一（2）班|语文|李四|0|1|6|2|1|"}));
    auto* first = static_cast<CClassInfo*>(task.GetClassInfoList().FindByName("初一（1）班"));
    auto* second = static_cast<CClassInfo*>(task.GetClassInfoList().FindByName("初一（2）班"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->GetHeadTeacherName(), "王五");
    EXPECT_EQ(second->GetHeadTeacherName(), "张三");
}

// "导出(&T)" of a page with unsaved changes asks first: No writes nothing, Yes saves and writes.
// The combined-class and assistant pages write their lists.
TEST(PlanImport, PageExports)
{
    SmallSchool school;
    school.b.Course("p1", "c1", "s1", "t1", "4");
    school.b.Course("p2", "c2", "s1", "t2", "4");
    school.b.Combined("cc1", {"p1", "p2"});
    school.b.Assistant("p1", {"t3"});
    std::string path = school.folder / "out.xlsx";
    FileScope chooser(path);
    auto firstRow = [&](int row) {
        zem::workbook::SheetData sheet;
        std::string error;
        EXPECT_TRUE(zem::workbook::ReadWorkbookSheet(path, sheet, error)) << error;
        std::vector<std::string> texts;
        for (int c = 1; c <= sheet.LastColumn(); ++c)
            texts.push_back(sheet.Value(row, c).text);
        return texts;
    };
    {
        CPlanListPage page;
        ScriptedMessages messages({zem::IDNO, zem::IDYES, zem::IDNO});
        RunPage<CPlanListPage>(page, [&](CPlanListPage& p) {
            p.SetModified(true);
            p.SendCommand(CPlanListPage::IDC_EXPORT);
            EXPECT_FALSE(std::filesystem::exists(path));
            p.SendCommand(CPlanListPage::IDC_EXPORT);
            EXPECT_FALSE(p.IsModified());
        });
        EXPECT_EQ(messages.Texts().front(), "当前页面有未保存的修改，导出前需要先保存。\n现在保存并导出吗？");
        EXPECT_EQ(messages.Texts().back(), "导出成功! 现在要打开EXCEL文档吗？");
        EXPECT_EQ(firstRow(2), (std::vector<std::string>{"初一(1)班", "语文", "张三", "主课", "", "", "", ""}));
    }
    {
        // A name the cross table would split: refused before a file is asked for.
        std::filesystem::remove(path);
        school.b.Teacher("t4", "张,三");
        school.b.Course("p3", "c2", "s2", "t4", "2");
        school.services.importFormat = 0;
        CPlanListPage page;
        MessageRecorder messages;
        RunPage<CPlanListPage>(page, [&](CPlanListPage& p) { p.SendCommand(CPlanListPage::IDC_EXPORT); });
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{CrossTableRefusalText({"张,三"})});
        EXPECT_FALSE(std::filesystem::exists(path));
        school.services.importFormat = 1;
    }
    {
        CCombineClassListPage page;
        ExportThroughPage(page, CCombineClassListPage::IDC_EXPORT, path);
        EXPECT_EQ(firstRow(2), (std::vector<std::string>{"语文", "张三", "常规", "初一(1)班,初一(2)班"}));
    }
    {
        CAssistantListPage page;
        ExportThroughPage(page, CAssistantListPage::IDC_EXPORT, path);
        EXPECT_EQ(firstRow(2), (std::vector<std::string>{"初一(1)班", "语文", "张三", "常规", "王五"}));
    }
}

}  // namespace
