#include "support/PdfPages.h"
#include "app/controls/PrinterJob.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"
#include "platform/Files.h"
#include "platform/gui/Desktop.h"

#include <QPrinter>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The list pages' settings: three font sets, margins (top in points, the rest in device pixels),
// line spacing in points, ruled and centred tables.
constexpr int kTopPt = 40;
constexpr int kBottomPx = 160;
constexpr int kSidePx = 300;
constexpr double kPxToPt = 72.0 / 600.0;  // a PDF file is printed at 600 pixels to the inch

// Starts a job on a PDF file the way the list pages start theirs; sets 0, 1, 2 are 8, 9 and 12 points.
void StartListJob(CPrinterJob& job, const std::string& pdf, int bottomPx = kBottomPx)
{
    ASSERT_EQ(job.SelectPrinter(pdf), 0);
    job.SetOrientation(1);
    ASSERT_EQ(job.StartDoc(), 0);
    ASSERT_EQ(job.AddFontSet("宋体", 8, 8), 0);
    ASSERT_EQ(job.AddFontSet("宋体", 9, 9), 1);
    ASSERT_EQ(job.AddFontSet("宋体", 12, 12), 2);
    job.SetMargins(kTopPt, bottomPx, kSidePx, kSidePx);
    job.SetLineSpacing(5);
    job.SetLineHeight(job.GetPageSize().cy - job.GetPrintRect().top);
    job.SelectFontSet(0);
    ASSERT_EQ(job.StartPage(), 0);
}

void SetListColumns(CPrinterJob& job, std::vector<int> widths)
{
    job.SetColumnCount(static_cast<int>(widths.size()));
    job.SetColumns(static_cast<int>(widths.size()), widths);
    job.SetOption2(1);
    job.SetOption3(1);
    job.SetOption1(200);
    job.SetOption5(1);
    job.SetOption4(5);
}

std::string RowText(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "教师%03d", i);
    return name;
}

std::string WithoutBlanks(std::string text)
{
    std::erase(text, ' ');
    return text;
}

// Prints the sample list: a title, an empty line, a header row and `rows` rows of three columns.
void PrintList(const std::string& pdf, int rows, int bottomPx)
{
    CPrinterJob job;
    StartListJob(job, pdf, bottomPx);
    job.SelectFont(2, true);
    ASSERT_EQ(job.PrintText(2, "教师信息", CPrinterJob::kCenter), 0);
    ASSERT_EQ(job.SkipLines(2, 1), 0);
    SetListColumns(job, {900, 1200, 1500});
    job.SelectFont(0, true);
    ASSERT_EQ(job.PrintTable(0, "编号|姓名|备注"), 0);
    job.SelectFont(0, false);
    for (int i = 1; i <= rows; ++i)
        ASSERT_EQ(job.PrintTable(0, std::to_string(i) + "|" + RowText(i) + "|喆堃玥瑋琝"), 0);
    ASSERT_EQ(job.EndPage(), 0);
    ASSERT_EQ(job.EndDoc(), 0);
}

// Checks a printed list of `rows` rows page by page.
void CheckListPages(const std::string& pdf, int rows, int bottomPx)
{
    const auto info = PdfInfo(pdf);
    EXPECT_EQ(info.at("Title"), "Tavelin");
    const std::vector<PdfPage> pages = ReadPdfPages(pdf);
    ASSERT_EQ(std::to_string(pages.size()), info.at("Pages"));
    ASSERT_GE(pages.size(), 3u);

    const double bottom = pages[0].height - bottomPx * kPxToPt;
    std::vector<std::string> names;  // the name column, in print order
    for (std::size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        EXPECT_NEAR(pages[p].width, 595.3, 0.5);  // A4
        const std::vector<PdfLine> lines = pages[p].Lines();
        ASSERT_GE(lines.size(), 2u);
        // The first line's text starts where the top margin puts it.
        EXPECT_NEAR(lines.front().yMin, kTopPt, 2.5);
        // Nothing, not even a rule, is drawn into the bottom margin.
        EXPECT_LE(LowestInk(pdf, static_cast<int>(p + 1)), bottom + 0.5);
        if (p + 1 < pages.size()) {
            // A page ends only when the next row does not fit: less than a row's pitch is left.
            const double pitch = lines[lines.size() - 1].yMax - lines[lines.size() - 2].yMax;
            EXPECT_GT(lines.back().yMax + pitch, bottom - 1.0);
        }
        for (const PdfWord& word : pages[p].words) {
            if (word.text.starts_with("教师") && word.text != "教师信息")
                names.push_back(word.text);
        }
    }
    ASSERT_EQ(names.size(), static_cast<std::size_t>(rows));
    for (int i = 1; i <= rows; ++i)
        EXPECT_EQ(names[i - 1], RowText(i));

    // The title is centred on the page; the header follows it after an empty line.
    const std::vector<PdfLine> first = pages[0].Lines();
    EXPECT_EQ(first[0].text, "教师信息");
    EXPECT_NEAR((first[0].xMin + first[0].xMax) / 2, pages[0].width / 2, 1.5);
    EXPECT_EQ(first[1].text, "编号姓名备注");
}

TEST(PrinterJobList, PrintsEveryRowOnceOverFullPagesBetweenTheMargins)
{
    // The sample list, kept for a person to look at.
    const std::string sample = TestOutputPath("printed-list.pdf");
    MessageRecorder messages;
    PrintList(sample, 120, kBottomPx);
    ASSERT_TRUE(RenderPage(sample, 1, TestOutputPath("printed-list.png")));
    {
        SCOPED_TRACE("list pages' margins");
        CheckListPages(sample, 120, kBottomPx);
    }
    // A bottom margin that leaves most of a row's height unused on every page.
    TempFolder folder;
    PrintList(folder / "list.pdf", 120, kBottomPx + 70);
    {
        SCOPED_TRACE("larger bottom margin");
        CheckListPages(folder / "list.pdf", 120, kBottomPx + 70);
    }
    EXPECT_TRUE(messages.messages.empty());
}

// The lines of a one-page printout's first page, top to bottom.
std::vector<PdfLine> PrintedLines(const std::string& pdf)
{
    const std::vector<PdfPage> pages = ReadPdfPages(pdf);
    EXPECT_EQ(pages.size(), 1u);
    return pages.empty() ? std::vector<PdfLine>{} : pages[0].Lines();
}

std::string JoinedText(const std::vector<PdfLine>& lines)
{
    std::string text;
    for (const PdfLine& line : lines)
        text += line.text;
    return text;
}

TEST(PrinterJobText, WrapsALongTextWithoutLosingACharacter)
{
    std::string words;
    for (int i = 1; i <= 30; ++i)
        words += "第" + std::to_string(i) + "周 Mathematics 数学 ";
    struct Case {
        const char* name;
        std::string text;
        int lineWidth;  // pixels between the side margins; 0 keeps the list pages' margins
    };
    const Case cases[] = {
        {"words and blanks", words, 0},
        {"a word wider than the line", std::string(500, 'W'), 0},
        {"a line narrower than one character", "喆堃玥瑋琝", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        MessageRecorder messages;
        {
            CPrinterJob job;
            StartListJob(job, folder / "text.pdf");
            int left = kSidePx, right = kSidePx;
            if (c.lineWidth > 0) {
                left = (job.GetPageSize().cx - c.lineWidth) / 2;
                right = job.GetPageSize().cx - c.lineWidth - left;
                job.SetMargins(-1, -1, left, right);
            }
            ASSERT_EQ(job.PrintText(0, c.text), 0);
            ASSERT_EQ(job.EndPage(), 0);
            ASSERT_EQ(job.EndDoc(), 0);
        }
        EXPECT_TRUE(messages.messages.empty());
        const std::vector<PdfLine> lines = PrintedLines(folder / "text.pdf");
        ASSERT_GT(lines.size(), 2u);
        EXPECT_EQ(JoinedText(lines), WithoutBlanks(c.text));
        const double pageWidth = ReadPdfPages(folder / "text.pdf")[0].width;
        for (const PdfLine& line : lines) {
            if (c.lineWidth > 0)
                EXPECT_EQ(line.text.size(), std::string("喆").size()) << line.text;
            else
                EXPECT_LE(line.xMax, pageWidth - kSidePx * kPxToPt + 0.5) << line.text;
        }
    }
}

TEST(PrinterJobTable, LeavesOutCellsPastTheLastColumnAndPrintsMissingOnesEmpty)
{
    TempFolder folder;
    MessageRecorder messages;
    {
        CPrinterJob job;
        StartListJob(job, folder / "table.pdf");
        SetListColumns(job, {900, 900, 900});
        ASSERT_EQ(job.PrintTable(0, "甲|乙|丙|多余|更多"), 0);
        ASSERT_EQ(job.PrintTable(0, "A|B"), 0);
        ASSERT_EQ(job.PrintTable(0, "下一行||末"), 0);
        ASSERT_EQ(job.EndPage(), 0);
        ASSERT_EQ(job.EndDoc(), 0);
    }
    EXPECT_TRUE(messages.messages.empty());
    const std::vector<PdfLine> lines = PrintedLines(folder / "table.pdf");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "甲乙丙");
    EXPECT_EQ(lines[1].text, "AB");
    EXPECT_EQ(lines[2].text, "下一行末");
}

TEST(PrinterJobTable, NegativeLineSpacingNeverStacksRowsOrLeavesThePage)
{
    TempFolder folder;
    {
        CPrinterJob job;
        StartListJob(job, folder / "spacing.pdf");
        job.SetLineSpacing(-1000);
        SetListColumns(job, {900, 900});
        for (const char* row : {"一|1", "二|2", "三|3"})
            ASSERT_EQ(job.PrintTable(0, row), 0);
        ASSERT_EQ(job.EndDoc(), 0);
    }
    const std::vector<PdfLine> lines = PrintedLines(folder / "spacing.pdf");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NEAR(lines[0].yMin, kTopPt, 2.5);
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_GE(lines[i].yMin, lines[i - 1].yMax - 0.5);
}

// A job that cannot print says so once and reports every later step as failed.
void ExpectFailedJob(CPrinterJob& job, const MessageRecorder& messages, const std::string& said = "打印失败!")
{
    EXPECT_EQ(job.StartPage(), -1);
    EXPECT_EQ(job.PrintText(0, "正文"), -1);
    EXPECT_EQ(job.PrintTable(0, "a|b"), -1);
    EXPECT_EQ(job.EndPage(), -1);
    EXPECT_EQ(job.EndDoc(), -1);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{said});
}

TEST(PrinterJobFailure, AMissingDeviceFailsWithAMessageAndNoFile)
{
    TempFolder folder;
    {
        SCOPED_TRACE("unknown printer");
        MessageRecorder messages;
        CPrinterJob job;
        EXPECT_EQ(job.SelectPrinter("没有这台打印机"), -1);
        EXPECT_EQ(job.GetError(), CPrinterJob::kErrorNoDevice);
        EXPECT_EQ(job.StartDoc(), -1);
        ExpectFailedJob(job, messages);
    }
    {
        SCOPED_TRACE("PDF file in a missing folder");
        MessageRecorder messages;
        CPrinterJob job;
        const std::string pdf = folder / "missing/list.pdf";
        EXPECT_EQ(job.SelectPrinter(pdf), 0);
        EXPECT_EQ(job.StartDoc(), -1);
        ExpectFailedJob(job, messages, "打印失败：文件夹不存在\n\n无法保存 PDF 文件：\n" + pdf);
        EXPECT_FALSE(std::filesystem::exists(pdf));
    }
}

// A printout the disk refuses at its end says why first and leaves the last good file.
TEST(PrinterJobFailure, APrintoutTheDiskRefusesSaysWhyAndKeepsTheOldFile)
{
    for (const auto& [code, reason] : {std::pair{ENOSPC, "磁盘空间不足"}, std::pair{EACCES, "没有访问权限"}}) {
        SCOPED_TRACE(reason);
        TempFolder folder;
        const std::string pdf = folder / "list.pdf";
        WriteRaw(pdf, "the last good printout");
        MessageRecorder messages;
        const zem::FileWriteFaultHook previous = zem::SetFileWriteFaultHook(
            [&, code = code](const std::string& written) { return written == pdf ? code : 0; });
        {
            CPrinterJob job;
            StartListJob(job, pdf);
            EXPECT_EQ(job.PrintText(0, "标题"), 0);
            EXPECT_EQ(job.EndPage(), 0);
            EXPECT_EQ(job.EndDoc(), -1);
        }
        zem::SetFileWriteFaultHook(previous);
        EXPECT_EQ(messages.Texts(),
                  std::vector<std::string>{std::string("打印失败：") + reason + "\n\n无法保存 PDF 文件：\n" + pdf});
        EXPECT_EQ(ReadRaw(pdf), "the last good printout");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    }
}

TEST(PrinterJobFailure, APageAreaWithoutRoomForALineFailsAndKeepsTheOldFile)
{
    struct Case {
        const char* name;
        int top, bottom, left, right;  // top in points, the rest in pixels
    };
    const Case cases[] = {
        {"top margin below the page", 2000, kBottomPx, kSidePx, kSidePx},
        {"bottom margin above the top margin", kTopPt, 7000, kSidePx, kSidePx},
        {"side margins wider than the page", kTopPt, kBottomPx, 3000, 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string pdf = folder / "list.pdf";
        WriteRaw(pdf, "the last good printout");
        MessageRecorder messages;
        {
            CPrinterJob job;
            StartListJob(job, pdf);
            job.SetMargins(c.top, c.bottom, c.left, c.right);
            SetListColumns(job, {900, 900});
            EXPECT_EQ(job.PrintText(0, "标题"), -1);
            ExpectFailedJob(job, messages);
        }
        EXPECT_EQ(ReadRaw(pdf), "the last good printout");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    }
}

// Answers the print dialog for one test.
class PrintDialogAnswer {
public:
    explicit PrintDialogAnswer(zem::gui::PrintDialogHook hook) : previous_(zem::gui::SetPrintDialogHook(std::move(hook)))
    {
    }
    ~PrintDialogAnswer() { zem::gui::SetPrintDialogHook(previous_); }

private:
    zem::gui::PrintDialogHook previous_;
};

TEST(PrinterJobDialog, CancelPrintsNothingAndAChosenFileIsPrinted)
{
    TempFolder folder;
    const std::string pdf = folder / "chosen.pdf";
    MessageRecorder messages;
    {
        PrintDialogAnswer cancel([](QPrinter&) { return false; });
        CPrinterJob job;
        EXPECT_EQ(job.SelectPrinter(), -1);
        EXPECT_EQ(job.GetError(), 0);
    }
    {
        PrintDialogAnswer choose([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf));
            printer.setCopyCount(2);
            return true;
        });
        CPrinterJob job;
        ASSERT_EQ(job.SelectPrinter(), 0);
        EXPECT_EQ(job.GetCopies(), 2);
        ASSERT_EQ(job.StartDoc(), 0);
        job.AddFontSet("宋体", 9, 9);
        job.SetMargins(kTopPt, kBottomPx, kSidePx, kSidePx);
        ASSERT_EQ(job.StartPage(), 0);
        ASSERT_EQ(job.PrintText(0, "选择的打印机"), 0);
        ASSERT_EQ(job.EndPage(), 0);
        ASSERT_EQ(job.EndDoc(), 0);
    }
    EXPECT_TRUE(messages.messages.empty());
    const std::vector<PdfLine> lines = PrintedLines(pdf);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "选择的打印机");
    EXPECT_NEAR(lines[0].yMin, kTopPt, 2.5);
}

}  // namespace
