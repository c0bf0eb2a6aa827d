// The printable sheet: its tables and pages over the groups, the preview's printing into the PDF
// file the print dialog chose, and printers that fail at the start or at a page.
#include "support/HelperSchool.h"
#include "support/PdfPages.h"
#include "support/PrintTestSupport.h"
#include "support/ScreenTestSupport.h"
#include "support/TempFolder.h"

#include "app/output/PrintPreviewDlg.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"

#include <QPrinter>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

namespace {

using zem::gui::Dialog;

struct PageCountCase {
    std::vector<int> groups;  // tables of each group
    int tableLayout;
    int pages;
};

TEST(PrintSheet, CountsPagesAndFindsTablesAcrossItsGroups)
{
    PrintServices services;
    HelperSchool school;
    const std::vector<PageCountCase> cases = {
        {{3, 4}, 1, 4}, {{7}, 0, 7}, {{4}, 3, 1}, {{5}, 3, 2}, {{6, 1}, 4, 2}, {{}, 5, 0}, {{0, 0}, 0, 0}};
    for (const PageCountCase& c : cases) {
        services.layout.TableLayout = c.tableLayout;
        TestPrintSheet sheet(&school.task);
        int total = 0;
        for (const int count : c.groups) {
            sheet.AddCopies(count, "c1", school.ClassTable("c1"));
            total += count;
        }
        SCOPED_TRACE(total);
        EXPECT_EQ(sheet.GetTableCount(), total);
        EXPECT_EQ(sheet.GetPageCount(), c.pages);
        EXPECT_EQ(sheet.GetTableAt(-1), nullptr);
        EXPECT_EQ(sheet.GetTableAt(total), nullptr);
        if (total > 0) {
            // Numbered within their groups; the last table is the last group's last.
            EXPECT_EQ(sheet.GetTableAt(total - 1)->GetName(), "表" + std::to_string(c.groups.back()));
        }
    }
}

class PrintJobTest : public testing::Test {
public:
    PrintJobTest() : sheet(&school.task)
    {
        services.layout.TableLayout = 1;  // two tables a page
        sheet.AddCopies(7, "c1", school.ClassTable("c1"));
    }

    // The preview prints; the print dialog answers with a PDF file at `path`, or cancels when empty.
    void PrintThroughPreview(const std::string& path)
    {
        const auto previousDialog = zem::gui::SetPrintDialogHook([&](QPrinter& printer) {
            if (path.empty())
                return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(path));
            return true;
        });
        ModalScope modal([](Dialog& shown) {
            auto* preview = dynamic_cast<CPrintPreviewDlg*>(&shown);
            ASSERT_NE(preview, nullptr);
            QTest::mouseClick(preview->GetDlgItem(CPrintPreviewDlg::ID_PRINT), Qt::LeftButton);
            QTest::mouseClick(preview->GetDlgItem(CPrintPreviewDlg::ID_CLOSE), Qt::LeftButton);
        });
        sheet.ShowPreview(PREVIEW_PRINT, false);
        zem::gui::SetPrintDialogHook(previousDialog);
    }

    PrintServices services;
    HelperSchool school;
    TestPrintSheet sheet;
    TempFolder folder;
};

TEST_F(PrintJobTest, SevenTablesTwoAPageGiveFourLandscapePagesWithTheSeventhAloneOnTheLast)
{
    ScriptedMessages messages;
    const std::string pdf = folder.path() + "课表.pdf";
    PrintThroughPreview(pdf);
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(sheet.afterPreview, std::vector<bool>{true});
    const auto info = PdfInfo(pdf);
    ASSERT_EQ(info.count("Pages"), 1u);
    EXPECT_EQ(info.at("Pages"), "4");
    const std::vector<PdfPage> pages = ReadPdfPages(pdf);
    ASSERT_EQ(pages.size(), 4u);
    for (const PdfPage& page : pages) {
        EXPECT_NEAR(page.width, 841.9, 1);
        EXPECT_NEAR(page.height, 595.3, 1);
    }
    std::vector<std::string> lastTitles;
    for (const PdfWord& word : pages[3].words)
        if (word.text.rfind("表", 0) == 0)
            lastTitles.push_back(word.text);
    EXPECT_EQ(lastTitles, std::vector<std::string>{"表7"});
    // The groups go once the preview has closed.
    EXPECT_EQ(sheet.GetTableCount(), 0);
    RenderPage(pdf, 4, std::string(ZEM_TEST_OUTPUT_DIR) + "/print-sheet-page-4.png", 60);
}

// A printer whose pages after the first cannot be opened.
class PagelessPrinter : public QPrinter {
public:
    PagelessPrinter() : QPrinter(QPrinter::HighResolution) {}
    bool newPage() override { return false; }
};

struct FailureCase {
    std::string name;
    std::function<void(PrintJobTest&, const std::string& path)> print;
    std::string targetFolder;  // relative to the test folder
    std::vector<std::string> messages;  // "{path}" stands for the chosen file
    int writeFault = 0;                 // the errno every write of the chosen file fails with
};

TEST_F(PrintJobTest, AFailedOrCancelledPrintShowsWhyLeavesTheFileAsItWasAndIsNotDone)
{
    const std::vector<FailureCase> cases = {
        {"the chosen file's folder does not exist",
         [](PrintJobTest& t, const std::string& path) { t.PrintThroughPreview(path); }, "missing/",
         {"打印失败：文件夹不存在\n\n无法保存 PDF 文件：\n{path}"}},
        {"a full disk", [](PrintJobTest& t, const std::string& path) { t.PrintThroughPreview(path); }, "",
         {"打印失败：磁盘空间不足\n\n无法保存 PDF 文件：\n{path}"}, ENOSPC},
        {"a read-only folder", [](PrintJobTest& t, const std::string& path) { t.PrintThroughPreview(path); }, "",
         {"打印失败：没有访问权限\n\n无法保存 PDF 文件：\n{path}"}, EACCES},
        {"the print dialog cancelled", [](PrintJobTest& t, const std::string&) { t.PrintThroughPreview(""); }, "",
         {}},
        {"a page cannot be opened",
         [](PrintJobTest& t, const std::string& path) {
             PagelessPrinter printer;
             PrepareForPdf(printer);
             ApplyLayoutPaper(printer, t.services.layout);
             printer.setOutputFileName(QString::fromStdString(path));
             CPrintPageInfo info;
             info.pageCount = t.sheet.GetPageCount();
             info.onScreen = false;
             t.sheet.Print(&printer, info);
             t.sheet.AfterPreview(t.sheet.IsDone());
         },
         "", {"打印失败!"}},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (sheet.GetTableCount() == 0)
            sheet.AddCopies(7, "c1", school.ClassTable("c1"));
        sheet.afterPreview.clear();
        const std::string path = folder.path() + c.targetFolder + "课表.pdf";
        // A file printed before stays as it was.
        if (c.targetFolder.empty()) {
            ASSERT_TRUE(zem::WriteFileAtomic(path, "old"));
        }
        ScriptedMessages messages;
        const zem::FileWriteFaultHook previous = zem::SetFileWriteFaultHook(
            [&](const std::string& written) { return written == path ? c.writeFault : 0; });
        c.print(*this, path);
        zem::SetFileWriteFaultHook(previous);
        std::vector<std::string> expected;
        for (const std::string& text : c.messages)
            expected.push_back(zem::ReplaceAll(text, "{path}", path));
        EXPECT_EQ(messages.Texts(), expected);
        for (const zem::MessageRequest& message : messages.messages) {
            EXPECT_EQ(message.caption, "错误");
            EXPECT_EQ(message.icon, zem::MessageIcon::Error);
        }
        EXPECT_EQ(sheet.afterPreview, std::vector<bool>{false});
        std::string bytes;
        if (c.targetFolder.empty()) {
            ASSERT_TRUE(zem::ReadFileBytes(path, bytes));
            EXPECT_EQ(bytes, "old");
        } else {
            EXPECT_FALSE(zem::ReadFileBytes(path, bytes));
        }
    }
}

}  // namespace
