// The .xls reader's own process: what it keeps of the program (nothing but its pipe) and the limits
// it runs under, every way it can end told apart in a clear message, and its answer read however
// the pipe cuts it.
#include "app/output/workbook/WorkbookReaderParts.h"
#include "app/output/workbook/XlsAnswer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <map>

namespace {

using namespace zem::workbook;
using Type = CellValue::Type;

// The report the reader gives of itself, by row: what (column A) and its value (column B).
std::map<std::string, CellValue> ReportOf(const SheetData& sheet)
{
    std::map<std::string, CellValue> report;
    for (int row = 1; row <= sheet.LastRow(); ++row)
        report[sheet.Value(row, 1).text] = sheet.Value(row, 2);
    return report;
}

TEST(XlsReaderProcess, KeepsNothingButItsPipeAndRunsUnderLimits)
{
    // What the program holds open: a task lock, and descriptors left open across programs.
    TempFolder folder;
    const int lock = ::open((folder / "task.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    int held[2];
    ASSERT_EQ(::pipe(held), 0);

    XlsReaderRun run = XlsReaderFor("unused");
    run.arguments = {"--report"};
    SheetData sheet;
    std::string error;
    ASSERT_TRUE(RunXlsReader(run, sheet, error)) << error;
    const std::map<std::string, CellValue> report = ReportOf(sheet);
    ::close(held[0]);
    ::close(held[1]);
    ::close(lock);

    std::vector<std::string> descriptors;
    for (const auto& [what, value] : report) {
        if (what.starts_with("fd "))
            descriptors.push_back(what + " " + value.text);
    }
    ASSERT_EQ(descriptors.size(), 1u) << testing::PrintToString(descriptors);
    EXPECT_TRUE(descriptors[0].starts_with("fd 1 pipe:")) << descriptors[0];

    EXPECT_GT(report.at("RLIMIT_CPU").number, 0);
    EXPECT_EQ(report.at("RLIMIT_FSIZE").number, 0);
    EXPECT_EQ(report.at("RLIMIT_CORE").number, 0);
    EXPECT_GT(report.at("RLIMIT_NOFILE").number, 0);
    EXPECT_LE(report.at("RLIMIT_NOFILE").number, 64);
#if defined(__SANITIZE_ADDRESS__)
    // The address sanitizer needs terabytes of address space; a Release build has the limit.
    std::printf("the address space is not limited under the address sanitizer\n");
#else
    EXPECT_GT(report.at("RLIMIT_AS").number, 0);
    EXPECT_LE(report.at("RLIMIT_AS").number, 2.0 * 1024 * 1024 * 1024);
#endif
    EXPECT_EQ(report.at("no new privileges").number, 1);
}

// Stand-ins for a reader that a crafted file crashed, hung or turned into a stream of nonsense, as
// shell commands; each ends in a clear message and no cells.
TEST(XlsReaderProcess, EachWayTheReaderEndsIsAClearMessage)
{
    const struct {
        const char* name;
        std::string program;
        std::vector<std::string> arguments;
        const char* reason;
    } cases[] = {
        {"crashes", "/bin/sh", {"-c", "kill -SEGV $$"}, "文件已损坏，无法读取"},
        // The sheet's name and then a crash: what was answered is not kept.
        {"crashes half way", "/bin/sh", {"-c", R"(printf 'N\005\000\000\000hello'; kill -ABRT $$)"}, "文件已损坏，无法读取"},
        {"ends without an answer", "/bin/sh", {"-c", "exit 0"}, "文件已损坏，无法读取"},
        {"answers nonsense", "/bin/sh", {"-c", "exec yes"}, "文件已损坏，无法读取"},
        {"hangs", "/bin/sh", {"-c", "exec sleep 1000"}, "读取超时"},
        {"spins past its processor time", "/bin/sh", {"-c", "ulimit -S -t 1; while :; do :; done"}, "读取超时"},
        {"is not there", "/nonexistent/zem-xls-reader", {}, "找不到读取.xls文件的程序"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The one that hangs is ended by the time limit; the others end on their own long before.
        const XlsReaderRun run{c.program, c.arguments, std::chrono::milliseconds(std::string_view(c.name) == "hangs" ? 200 : 60'000)};
        SheetData sheet;
        sheet.Set(1, 1, CellValue{Type::Text, "left over", 0});
        std::string error;
        EXPECT_FALSE(RunXlsReader(run, sheet, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(sheet.IsEmpty());
        EXPECT_TRUE(sheet.name.empty());
    }
}

std::string AnswerBytes(const std::function<void(AnswerWriter&)>& write)
{
    TempFolder folder;
    const std::string path = folder / "answer";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    {
        AnswerWriter writer(fd);
        write(writer);
    }
    ::close(fd);
    return ReadRaw(path);
}

// The pipe may cut the answer anywhere; a sheet read in pieces of every size is the same, and one
// larger than a sheet may hold is refused as it comes.
TEST(XlsReaderProcess, AnswersReadTheSameHoweverThePipeCutsThem)
{
    const std::string answer = AnswerBytes([](AnswerWriter& writer) {
        writer.Name("教师");
        writer.Cell(1, 1, {Type::Text, "某校教师名单", 0});
        writer.Cell(3, 2, {Type::Number, "", 2.5});
        writer.Cell(4, 5, {Type::Date, "2024-09-01", 45536});
        writer.End();
    });
    for (std::size_t piece = 1; piece <= answer.size(); ++piece) {
        SCOPED_TRACE(piece);
        SheetData sheet;
        AnswerReader reader(sheet);
        for (std::size_t at = 0; at < answer.size(); at += piece)
            reader.Take(std::string_view(answer).substr(at, piece));
        ASSERT_EQ(reader.Current(), AnswerReader::State::Read);
        EXPECT_EQ(sheet.name, "教师");
        EXPECT_EQ(sheet.CellCount(), 3u);
        EXPECT_EQ(sheet.Value(1, 1).text, "某校教师名单");
        EXPECT_EQ(sheet.Value(3, 2).number, 2.5);
        EXPECT_EQ(sheet.Value(4, 5).type, Type::Date);
        EXPECT_EQ(sheet.Value(4, 5).text, "2024-09-01");
    }

    const std::string refused = AnswerBytes([](AnswerWriter& writer) { writer.Refuse("文件设有密码保护"); });
    SheetData sheet;
    AnswerReader reader(sheet);
    EXPECT_EQ(reader.Take(refused), AnswerReader::State::Refused);
    EXPECT_EQ(reader.Reason(), "文件设有密码保护");

    const std::string tooMany = AnswerBytes([](AnswerWriter& writer) {
        for (std::size_t i = 0; i <= kMaxReadCells; ++i)
            writer.Cell(static_cast<int>(i / 100 + 1), static_cast<int>(i % 100 + 1), {Type::Number, "", 1});
        writer.End();
    });
    SheetData big;
    AnswerReader bigReader(big);
    EXPECT_EQ(bigReader.Take(tooMany), AnswerReader::State::TooLarge);
}

}  // namespace
