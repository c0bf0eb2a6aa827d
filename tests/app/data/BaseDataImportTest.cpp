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
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/Timers.h"
#include "support/FileScope.h"
#include "support/MessageRecorder.h"

#include <QCoreApplication>

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

// A workbook with the headings in row 1 and the rows under them.
void WriteSheet(const std::string& path, const std::vector<std::string>& headings,
                const std::vector<std::vector<std::string>>& rows)
{
    zem::workbook::Workbook book;
    auto& sheet = book.GetSheet(1);
    auto put = [&](int row, const std::vector<std::string>& texts) {
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (!texts[i].empty())
                sheet.GetRange(zem::workbook::CellName(row, static_cast<int>(i) + 1)).SetValue(texts[i]);
    };
    put(1, headings);
    for (std::size_t r = 0; r < rows.size(); ++r)
        put(static_cast<int>(r) + 2, rows[r]);
    zem::workbook::SaveXlsx(book, path);
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
        WriteSheet(files / (std::to_string(k) + ".xlsx"), headings[k], sheets[k]);

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
    EXPECT_EQ(messages.Texts(), std::vector<std::string>(kinds.size(), "导入完成"));
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
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"导入完成"});

    // 机房 is there already; a capacity of 0 stops the import at its row.
    WriteSheet(path, ImportColumns(page), {{"机房", "机", "2"}, {"操场", "场", "4"}, {"舞蹈室", "舞", "0"}, {"琴房", "琴", "1"}});
    CRoomListPage second;
    messages.messages.clear();
    const auto afterRefusal = ImportThroughPage<CRoomListPage>(second, [&](CBaseDataImportDlg& dialog) {
        StartAndWait(dialog);
        EXPECT_FALSE(dialog.IsEnded());
        EXPECT_EQ(dialog.GetDlgItemText(CBaseDataImportDlg::IDC_START), "开始导入吧");
        dialog.EndDialog(zem::IDCANCEL);
    });
    EXPECT_EQ(afterRefusal, (std::vector<std::vector<std::string>>{{"机房", "机房", "2"}, {"操场", "场", "4"}}));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text.rfind("Excel文件中第 4 行\r\n", 0), 0u) << messages.messages[0].text;
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Error);
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
    WriteSheet(path, ImportColumns(page), rows);
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
