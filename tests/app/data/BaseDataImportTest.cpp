// The basic-data pages' "导入": the dialog over each page, its template, a round trip of the demo's
// basic data through workbooks into an empty task, and closing during an import.
#include "support/BasicDataTestSupport.h"

#include "app/controls/HyperLink.h"
#include "app/data/AssistantListPage.h"
#include "app/data/ObjectListPages.h"
#include "app/data/TeacherGroupListPage.h"
#include "app/output/import/BaseDataImportDlg.h"
#include "app/output/workbook/Workbook.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/output/workbook/XlsxWriter.h"
#include "app/shared/Vocabulary.h"
#include "base/TaskLimits.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/Timers.h"
#include "support/FileScope.h"
#include "support/MessageRecorder.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// Serves the worker's rows and its end until the import has ended.
void WaitForImport(const CBaseDataImportDlg& dialog)
{
    while (dialog.IsImporting())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}

std::vector<std::vector<std::string>> AllRows(const CListBaseDlg& page)
{
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < page.GetList()->GetItemCount(); ++row)
        rows.push_back(RowTexts(page, row));
    return rows;
}

// Clicks the page's "导入" and works the dialog with `act`; the page's rows afterwards.
template <class Page>
std::vector<std::vector<std::string>> ImportThroughPage(Page& page, const std::function<void(CBaseDataImportDlg&)>& act)
{
    std::vector<std::vector<std::string>> rows;
    RunPage<Page>(
        page,
        [&](Page& p) {
            EXPECT_TRUE(p.IsItemEnabled(CListBaseDlg::IDC_IMPORT));
            p.SendCommand(CListBaseDlg::IDC_IMPORT);
            rows = AllRows(p);
        },
        [&](zem::gui::Dialog& dialog) {
            auto* import = dynamic_cast<CBaseDataImportDlg*>(&dialog);
            ASSERT_NE(import, nullptr);
            act(*import);
        });
    return rows;
}

void StartAndWait(CBaseDataImportDlg& dialog)
{
    dialog.SendCommand(CBaseDataImportDlg::IDC_START);
    WaitForImport(dialog);
}

// The demo's subjects, teachers, rooms, classes and teacher groups (combined classes need plans), each written as its page shows
// it under the template's headings, come back the same through the pages of an empty task.
TEST(BaseDataImport, DemoBasicDataRoundTripsIntoAnEmptyTask)
{
    struct Kind {
        const char* title;
        std::function<std::unique_ptr<CBasicDataPage>()> make;
    };
    const std::vector<Kind> kinds = {
        {"课程信息", [] { return std::make_unique<CSubjectListPage>(); }},
        {"教师信息", [] { return std::make_unique<CTeacherListPage>(); }},
        {"教室和场地信息", [] { return std::make_unique<CRoomListPage>(); }},
        {"班级信息", [] { return std::make_unique<CClassListPage>(); }},
        {"教师组信息", [] { return std::make_unique<CTeacherGroupListPage>(); }},
    };
    std::vector<std::vector<std::string>> headings(kinds.size());
    std::vector<std::vector<std::vector<std::string>>> rows(kinds.size());
    std::vector<std::vector<std::vector<std::string>>> sheets(kinds.size());
    {
        DemoSchool demo;
        ASSERT_NE(demo.task, nullptr);
        for (std::size_t k = 0; k < kinds.size(); ++k) {
            auto page = kinds[k].make();
            RunPage<CBasicDataPage>(*page, [&](CBasicDataPage& p) {
                headings[k] = p.ImportHeadings();
                rows[k] = AllRows(p);
                // The sheet holds the columns the rows' cells take, the page shows them all.
                const std::vector<std::string> shown = ImportColumns(p);
                for (const auto& row : rows[k]) {
                    std::vector<std::string> cells;
                    for (const std::string& heading : headings[k])
                        cells.push_back(row[std::find(shown.begin(), shown.end(), heading) - shown.begin()]);
                    sheets[k].push_back(cells);
                }
            });
            ASSERT_FALSE(rows[k].empty()) << kinds[k].title;
        }
    }
    // The demo's folder is gone with it: this test's folder is one path.
    TempFolder files;
    // Texts from a workbook arrive as names are typed: "初一(1)班" comes back as "初一（1）班".
    auto normalized = [](std::vector<std::vector<std::string>> texts) {
        for (auto& row : texts)
            for (std::string& cell : row)
                NormalizeName(cell);
        return texts;
    };
    for (std::size_t k = 0; k < kinds.size(); ++k)
        WriteImportSheet(files / (std::to_string(k) + ".xlsx"), headings[k], sheets[k]);

    SchoolBuilder empty;
    const std::string taskFolder = files / "task/";
    std::filesystem::create_directories(taskFolder);
    empty.Task().GetTaskInfo().SetTaskFolder(taskFolder);
    FakeAppServices services;
    services.task = &empty.Task();
    MessageRecorder messages;
    // The empty class page offers its batch add by a timer: held here, it waits for the import.
    zem::gui::FakeClock clock;
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        SCOPED_TRACE(kinds[k].title);
        std::string path = files / (std::to_string(k) + ".xlsx");
        FileScope chooser(path);
        auto page = kinds[k].make();
        std::vector<std::vector<std::string>> imported;
        RunPage<CBasicDataPage>(
            *page,
            [&](CBasicDataPage& p) {
                p.SendCommand(CListBaseDlg::IDC_IMPORT);
                imported = AllRows(p);
                p.SendCommand(CListBaseDlg::IDC_SAVE);
                EXPECT_FALSE(p.IsModified());
            },
            [&](zem::gui::Dialog& dialog) {
                auto* import = dynamic_cast<CBaseDataImportDlg*>(&dialog);
                ASSERT_NE(import, nullptr);
                EXPECT_EQ(import->Caption(), std::string("导入") + kinds[k].title);
                StartAndWait(*import);
                EXPECT_TRUE(import->IsEnded());
            });
        EXPECT_EQ(imported, normalized(rows[k]));
        // Saved: the page opened afresh shows them again.
        auto again = kinds[k].make();
        RunPage<CBasicDataPage>(*again, [&](CBasicDataPage& p) { EXPECT_EQ(AllRows(p), normalized(rows[k])); });
    }
    // Every row taken; the class names the demo writes with ASCII brackets are said after the count.
    std::vector<std::string> reports, heads;
    for (const auto& each : rows)
        reports.push_back(zem::Format("导入完成，共导入 %zu 条", each.size()));
    for (const std::string& text : messages.Texts())
        heads.push_back(text.substr(0, text.find('\n')));
    EXPECT_EQ(heads, reports);
}

// The template link saves the page's headings and opens the file; imported back it adds nothing. A
// row the page refuses stops with its sheet row; a duplicate is passed by.
TEST(BaseDataImport, TemplateAndRefusals)
{
    SmallSchool school;
    CRoomListPage page;
    std::string path = school.folder / "rooms.xlsx";
    FileScope chooser(path);
    MessageRecorder messages;
    const auto afterTemplate = ImportThroughPage<CRoomListPage>(page, [&](CBaseDataImportDlg& dialog) {
        SaveScreenshot(&dialog, "BaseDataImport.rooms");
        dialog.Send(WM_QUICK_TOOL, CBaseDataImportDlg::IDC_TEMPLATE, 0);
        EXPECT_EQ(chooser.opened, std::vector<std::string>{path});
        EXPECT_EQ(dialog.GetDlgItemText(CBaseDataImportDlg::IDC_PATH), path);
        zem::workbook::SheetData sheet;
        std::string error;
        ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(path, sheet, error)) << error;
        std::vector<std::string> heads;
        for (int c = 1; c <= sheet.LastColumn(); ++c)
            heads.push_back(sheet.Value(1, c).text);
        EXPECT_EQ(heads, ImportColumns(page));
        StartAndWait(dialog);
        EXPECT_TRUE(dialog.IsEnded());
    });
    EXPECT_EQ(afterTemplate.size(), 1u);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"导入完成，共导入 0 条"});

    // 机房 is there already and a capacity of 0 is none: both are listed, the others taken.
    WriteImportSheet(path, ImportColumns(page), {{"机房", "机", "2"}, {"操场", "场", "4"}, {"舞蹈室", "舞", "0"}, {"琴房", "琴", "1"}});
    CRoomListPage second;
    messages.messages.clear();
    const auto afterRefusal = ImportThroughPage<CRoomListPage>(second, [&](CBaseDataImportDlg& dialog) {
        StartAndWait(dialog);
        EXPECT_TRUE(dialog.IsEnded());
    });
    EXPECT_EQ(afterRefusal,
              (std::vector<std::vector<std::string>>{{"机房", "机房", "2"}, {"操场", "场", "4"}, {"琴房", "琴", "1"}}));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "导入 2 条，未导入 2 条：\n第 2 行：机房 已存在\n第 4 行：容纳班数必须大于0: 0");
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Warning);
}

// A sheet that would take a page past a limit of the task is refused before any row is sent, the
// limit named; one row fewer is taken whole (shown for classes, the smallest limit). Rooms have two limits: their number and their places.
TEST(BaseDataImport, LimitsRefuseBeforeAnythingChanges)
{
    struct Case {
        const char* name;
        std::function<std::unique_ptr<CBasicDataPage>()> make;
        TaskObjectKind kind;
        std::vector<std::string> headings;
        std::function<std::vector<std::string>(std::size_t)> row;  // the sheet's row i
        std::size_t over;                                         // rows that pass the limit by one
        bool boundary;                                            // one row fewer is taken too
    };
    const std::vector<Case> cases = {
        {"teachers", [] { return std::make_unique<CTeacherListPage>(); }, TaskObjectKind::Teacher, {"姓名", "简称"},
         [](std::size_t i) { return std::vector<std::string>{"教师" + std::to_string(i), "师"}; }, 3000 - 3 + 1, false},
        {"classes", [] { return std::make_unique<CClassListPage>(); }, TaskObjectKind::Class, {"班级名称", "简称"},
         [](std::size_t i) { return std::vector<std::string>{"班" + std::to_string(i), "班"}; }, 1000 - 2 + 1, true},
        {"room places", [] { return std::make_unique<CRoomListPage>(); }, TaskObjectKind::RoomPlace, {"名称", "简称", "容纳班数"},
         [](std::size_t i) { return std::vector<std::string>{"室" + std::to_string(i), "室", "10"}; }, (5000 - 2) / 10 + 1,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SmallSchool school;
        for (const std::size_t count : {c.over, c.boundary ? c.over - 1 : c.over}) {
            auto page = c.make();
            std::vector<std::vector<std::string>> rows;
            for (std::size_t i = 0; i < count; ++i)
                rows.push_back(c.row(i));
            std::string path = school.folder / "limit.xlsx";
            WriteImportSheet(path, c.headings, rows);
            FileScope chooser(path);
            MessageRecorder messages;
            std::size_t before = 0;
            const auto after = ImportThroughPage<CBasicDataPage>(*page, [&](CBaseDataImportDlg& dialog) {
                before = static_cast<std::size_t>(page->GetList()->GetItemCount());
                StartAndWait(dialog);
                dialog.EndDialog(zem::IDCANCEL);
            });
            ASSERT_EQ(messages.messages.size(), 1u);
            if (count == c.over) {
                const std::string expected = c.kind == TaskObjectKind::RoomPlace
                                                 ? CheckTaskLimitTotal(c.kind, 2 + 10 * count)
                                                 : CheckTaskLimitTotal(c.kind, before + count);
                EXPECT_EQ(messages.messages[0].text, expected);
                EXPECT_NE(expected.find("不能多于"), std::string::npos);
                EXPECT_EQ(after.size(), before);
            } else {
                EXPECT_EQ(messages.messages[0].text, zem::Format("导入完成，共导入 %zu 条", count));
                EXPECT_EQ(after.size(), before + count);
            }
        }
    }
}

// A names-only sheet takes nothing and says why at each row; a name stored otherwise than typed
// (half-width parentheses made full-width) is said.
TEST(BaseDataImport, NamesOnlyAndRewrittenNamesAreSaid)
{
    SmallSchool school;
    // Kept for a person to look at.
    std::string path = TestOutputPath("BaseDataImport.namesOnly.xlsx");
    WriteImportSheet(path, {"姓名"}, {{"赵六"}, {"钱七"}});
    FileScope chooser(path);
    MessageRecorder messages;
    CTeacherListPage teachers;
    const auto afterNames = ImportThroughPage<CTeacherListPage>(teachers, [&](CBaseDataImportDlg& dialog) { StartAndWait(dialog); });
    EXPECT_EQ(afterNames.size(), 3u);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "导入 0 条，未导入 2 条：\n第 2 行：只有1列数据。请参考导入界面，至少应提供2列数据\n"
                                         "第 3 行：只有1列数据。请参考导入界面，至少应提供2列数据");
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Warning);

    messages.messages.clear();
    path = TestOutputPath("BaseDataImport.rewrittenNames.xlsx");
    WriteImportSheet(path, {"班级名称", "简称"}, {{"初二(1)班", "初二1"}, {"初一(1)班", "初一1"}});
    CClassListPage classes;
    const auto afterClasses = ImportThroughPage<CClassListPage>(classes, [&](CBaseDataImportDlg& dialog) { StartAndWait(dialog); });
    ASSERT_EQ(afterClasses.size(), 3u);
    EXPECT_EQ(afterClasses[2][0], "初二（1）班");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "导入 1 条，未导入 1 条：\n第 3 行：初一（1）班 已存在\n\n"
                                         "以下名称按规范写法导入：\n第 2 行：初二(1)班 → 初二（1）班");
}

// A priority the task does not name is refused at its row, as the dialog offers none but the task's; a row without
// one takes the normal one.
TEST(BaseDataImport, APriorityTheTaskDoesNotNameIsRefused)
{
    SmallSchool school;
    std::string path = TestOutputPath("BaseDataImport.priorities.xlsx");
    WriteImportSheet(path, {"教师姓名", "简称", "优先级"}, {{"赵六", "赵", "很高"}, {"钱七", "钱", "高"}, {"孙八", "孙", ""}});
    FileScope chooser(path);
    MessageRecorder messages;
    CTeacherListPage teachers;
    const auto rows = ImportThroughPage<CTeacherListPage>(teachers, [&](CBaseDataImportDlg& dialog) { StartAndWait(dialog); });
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[3], (std::vector<std::string>{"钱七", "钱", "高"}));
    EXPECT_EQ(rows[4], (std::vector<std::string>{"孙八", "孙", "正常"}));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "导入 2 条，未导入 1 条：\n第 2 行：优先级无效: 很高");
}

// A teacher group naming a teacher the task does not know, or none at all, is refused at its row with the names:
// it would lose a member without a word, or go at the next opening of the task.
TEST(BaseDataImport, TeacherGroupsOfUnknownMembersAreRefusedNamingThem)
{
    SmallSchool school;
    std::string path = TestOutputPath("BaseDataImport.teacherGroups.xlsx");
    WriteImportSheet(path, {"教师组", "成员"},
               {{"数学组", "张三、李四"}, {"幽灵组", "赵六、钱七"}, {"半组", "王五，孙八"}, {"空组", "、"}});
    FileScope chooser(path);
    MessageRecorder messages;
    CTeacherGroupListPage groups;
    const auto rows = ImportThroughPage<CTeacherGroupListPage>(groups, [&](CBaseDataImportDlg& dialog) { StartAndWait(dialog); });
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][0], "数学组");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "导入 1 条，未导入 3 条：\n第 3 行：教师组 幽灵组 的成员中有不是已有教师的名字：赵六、钱七\n"
                                         "第 4 行：教师组 半组 的成员中有不是已有教师的名字：孙八\n第 5 行：教师组 空组 没有成员");
}

// "保存并打开导入模板" clicked as a user clicks it saves the template and opens it, in the basic-data
// dialog and in the plan dialog alike.
TEST(BaseDataImport, TemplateLinkClickSavesAndOpens)
{
    SmallSchool school;
    std::string path = school.folder / "template.xlsx";
    FileScope chooser(path);
    MessageRecorder messages;
    CSubjectListPage page;
    std::vector<std::string> headings;
    ImportThroughPage<CSubjectListPage>(page, [&](CBaseDataImportDlg& dialog) {
        headings = ImportColumns(page);
        auto* link = dynamic_cast<CHyperLink*>(dialog.GetDlgItem(CBaseDataImportDlg::IDC_TEMPLATE));
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->GetURL(), "");
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(4, link->height() / 2));
        EXPECT_EQ(chooser.opened, std::vector<std::string>{path});
        EXPECT_EQ(dialog.GetDlgItemText(CBaseDataImportDlg::IDC_PATH), path);
        SaveScreenshot(&dialog, "BaseDataImport.templateSaved");
        dialog.EndDialog(zem::IDCANCEL);
    });
    EXPECT_TRUE(messages.Texts().empty());
    zem::workbook::SheetData sheet;
    std::string error;
    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(path, sheet, error)) << error;
    ASSERT_FALSE(headings.empty());
    EXPECT_EQ(sheet.Value(1, 1).text, headings[0]);
}

// Closing during an import asks first: No goes on, Yes stops after the row being read.
TEST(BaseDataImport, ClosingDuringAnImportAsks)
{
    SmallSchool school;
    CTeacherListPage page;
    std::string path = school.folder / "teachers.xlsx";
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 50; ++i)
        rows.push_back({"教师" + std::to_string(i)});
    WriteImportSheet(path, ImportColumns(page), rows);
    FileScope chooser(path);
    ScriptedMessages messages({zem::IDNO, zem::IDYES});
    const auto rowsTaken = ImportThroughPage<CTeacherListPage>(page, [&](CBaseDataImportDlg& dialog) {
        // The worker's first row waits for this thread, which serves nothing until it stops it.
        dialog.SendCommand(CBaseDataImportDlg::IDC_START);
        ASSERT_TRUE(dialog.IsImporting());
        dialog.SendCommand(zem::IDCANCEL);
        EXPECT_TRUE(dialog.IsImporting());
        EXPECT_FALSE(dialog.IsEnded());
        dialog.SendCommand(zem::IDCANCEL);
        EXPECT_FALSE(dialog.IsImporting());
        EXPECT_TRUE(dialog.IsEnded());
    });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>(2, "正在导入数据中, 要立即退出吗?"));
    // The three teachers of the school and at most the row being read when it stopped.
    EXPECT_LE(rowsTaken.size(), 3u + 1u);
    EXPECT_GE(rowsTaken.size(), 3u);
}

// 取消 after an import asks before the imported rows are thrown away: the user may stay with them, or leave the task
// as it was.
TEST(BaseDataImport, CancelAfterAnImportAsksFirst)
{
    SmallSchool school;
    std::string path = TestOutputPath("BaseDataImport.cancelled.xlsx");
    WriteImportSheet(path, {"教师姓名", "简称"}, {{"赵六", "赵"}, {"钱七", "钱"}});
    FileScope chooser(path);
    // The import's report, then the question twice: stay, then leave without saving.
    ScriptedMessages messages({zem::IDOK, zem::IDCANCEL, zem::IDNO});
    CTeacherListPage page;
    const int answer = RunPage<CTeacherListPage>(
        page,
        [&](CTeacherListPage& p) {
            p.SendCommand(CListBaseDlg::IDC_IMPORT);
            ASSERT_EQ(p.GetList()->GetItemCount(), 5);
            p.SendCommand(zem::IDCANCEL);
            EXPECT_FALSE(p.IsEnded());
            EXPECT_EQ(p.GetList()->GetItemCount(), 5);
            p.SendCommand(zem::IDCANCEL);
            EXPECT_TRUE(p.IsEnded());
        },
        [&](zem::gui::Dialog& dialog) { StartAndWait(dynamic_cast<CBaseDataImportDlg&>(dialog)); });
    EXPECT_EQ(answer, zem::IDCANCEL);
    ASSERT_EQ(messages.messages.size(), 3u);
    EXPECT_EQ(messages.messages[1].text, "列表内容已修改,要保存吗?");
    EXPECT_EQ(messages.messages[1].buttons, zem::MessageButtons::YesNoCancel);
    EXPECT_EQ(school.Task().GetTeacherInfoList().GetCount(), 3);
}

// The assistant page opens its import too.
TEST(BaseDataImport, AssistantPageOpensItsImport)
{
    SmallSchool school;
    CAssistantListPage page;
    bool opened = false;
    ImportThroughPage<CAssistantListPage>(page, [&](CBaseDataImportDlg& dialog) {
        opened = true;
        EXPECT_EQ(dialog.Caption(), "导入助教信息");
        dialog.EndDialog(zem::IDCANCEL);
    });
    EXPECT_TRUE(opened);
}

}  // namespace
