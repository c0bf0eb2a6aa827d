// The exporter frame over fake engines and a fake content writer: which engine goes first, which
// error the user sees, long jobs in several workbooks, and the user's cancel between tables.
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/shared/AppServices.h"
#include "platform/Files.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

namespace {

using zem::workbook::Workbook;
using zem::workbook::WorkbookError;

// A spreadsheet engine that does as told and logs what it was asked.
class FakeEngine : public CWorkbookEngine {
public:
    FakeEngine(int id, std::vector<std::string>& log) : m_id(id), m_log(log) {}
    int GetId() const override { return m_id; }
    bool Start(std::string& reason) override
    {
        m_log.push_back("start " + std::to_string(m_id));
        reason = "not here";
        return starts;
    }
    void SaveAs(const Workbook& book, const std::string& path) override
    {
        m_log.push_back("save " + std::to_string(m_id) + " " + path.substr(path.rfind('/') + 1) + " " +
                        std::to_string(book.GetSheet(1).GetCells().size()));
        if (saveFails)
            throw WorkbookError("磁盘已满");
    }
    bool starts = true;
    bool saveFails = false;

private:
    int m_id;
    std::vector<std::string>& m_log;
};

// Records what the frame posts and sends to its window.
class RecordingWindow : public zem::MessageTarget {
public:
    zem::LRESULT Send(unsigned message, zem::WPARAM, zem::LPARAM lParam) override
    {
        if (message == WM_EXPORT_PROGRESS) {
            progress.push_back(*zem::FromLParam<const std::string>(lParam));
            if (onProgress)
                onProgress(progress.back());
        }
        return 0;
    }
    bool Post(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override
    {
        if (message == WM_EXPORT_STAGE)
            stages += std::to_string(wParam) + ":" + std::to_string(lParam) + " ";
        return true;
    }
    bool PostText(unsigned, zem::WPARAM, std::string) override { return true; }
    std::vector<std::string> progress;
    std::string stages;
    std::function<void(const std::string&)> onProgress;
};

// The settings an export reads, as the application context would give them.
class ExportServices : public CAppServices {
public:
    ExportServices() : m_previous(SetAppServices(this)) {}
    ~ExportServices() override { SetAppServices(m_previous); }
    ExportServices(const ExportServices&) = delete;
    ExportServices& operator=(const ExportServices&) = delete;

    int GetExportDriver() const override { return driver; }
    int GetLUDriver() const override { return luDriver; }
    void SetLUDriver(int engine) const override { luDriver = engine; }

    int driver = 0;
    mutable int luDriver = 0;

private:
    CAppServices* m_previous;
};

// One cell per table, the user's cancel looked at between tables, as the timetable writer does.
bool WriteOneCellPerTable(CSpreadsheetExporter& exporter, Workbook& book)
{
    const auto& tables = *exporter.GetParam().tables;
    int done = 0;
    for (CExportTableItem* item : tables) {
        exporter.ThrowIfCancelled();
        if (item->GetName() == "坏表") {
            exporter.NoteIncompleteTable();
        } else {
            book.GetSheet(1).GetRange(zem::workbook::CellName(done + 1, 1)).SetValue(item->GetName());
        }
        exporter.SendProgress(++done, static_cast<int>(tables.size()), item->GetName());
    }
    return true;
}

class ExporterFrame : public ::testing::Test {
protected:
    ExporterFrame()
    {
        previousRunner = SetExportProgressRunner([this](CExportJob& job) {
            runs.push_back(job.filePath.substr(job.filePath.rfind('/') + 1));
            cancel = job.cancel;
            job.work(&window);
        });
    }
    ~ExporterFrame() override
    {
        SetExportProgressRunner(previousRunner);
    }

    std::unique_ptr<CSpreadsheetExporter> MakeExporter()
    {
        auto exporter = std::make_unique<CSpreadsheetExporter>();
        std::vector<std::shared_ptr<CWorkbookEngine>> list;
        for (auto& engine : engines)
            list.push_back(engine);
        exporter->SetEngines(list);
        exporter->SetContentWriter(2, WriteOneCellPerTable);
        return exporter;
    }

    std::vector<CExportTableItem*> Tables(int count, const char* name = "高一(1)班")
    {
        items.clear();
        std::vector<CExportTableItem*> list;
        for (int i = 0; i < count; ++i) {
            items.push_back(std::make_unique<CExportTableItem>(std::to_string(i), name, TABLE_CLASS, &table));
            list.push_back(items.back().get());
        }
        return list;
    }

    TempFolder folder;
    ExportServices settings;
    MessageRecorder messages;
    std::vector<std::string> log;
    std::vector<std::shared_ptr<FakeEngine>> engines{std::make_shared<FakeEngine>(1, log),
                                                     std::make_shared<FakeEngine>(2, log)};
    RecordingWindow window;
    std::vector<std::string> runs;
    std::atomic<bool>* cancel = nullptr;
    CCourseTable table;
    std::vector<std::unique_ptr<CExportTableItem>> items;
    ExportProgressRunner previousRunner;
};

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : " | ") + line;
    return text;
}

TEST_F(ExporterFrame, TriesTheEngineTheSettingsPreferFirst)
{
    struct Case {
        int driver;
        int luDriver;
        const char* order;
    } cases[] = {
        {0, 2, "start 2 | start 1"}, {0, 0, "start 1 | start 2"}, {0, 1, "start 1 | start 2"},
        {1, 2, "start 1 | start 2"}, {2, 0, "start 2 | start 1"}, {3, 2, "start 2 | start 1"},
        {3, 0, "start 1 | start 2"}, {-1, 0, "start 1 | start 2"},
    };
    engines[0]->starts = engines[1]->starts = false;
    for (const Case& c : cases) {
        SCOPED_TRACE("Driver=" + std::to_string(c.driver) + " LUDriver=" + std::to_string(c.luDriver));
        settings.driver = c.driver;
        settings.luDriver = c.luDriver;
        log.clear();
        EXPECT_FALSE(MakeExporter()->Export(folder / "课表.xlsx", Tables(1)));
        EXPECT_EQ(Joined(log), c.order);
    }
}

TEST_F(ExporterFrame, FallsBackQuietlyAndRemembersTheEngineThatWorked)
{
    engines[0]->starts = false;
    EXPECT_TRUE(MakeExporter()->Export(folder / "课表.xls", Tables(2)));
    EXPECT_EQ(Joined(log), "start 1 | start 2 | save 2 课表.xlsx 2");
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(settings.luDriver, 2);
    // The next automatic export starts with it.
    log.clear();
    EXPECT_TRUE(MakeExporter()->Export(folder / "课表.xlsx", Tables(2)));
    EXPECT_EQ(Joined(log), "start 2 | save 2 课表.xlsx 2");
}

TEST_F(ExporterFrame, ShowsTheErrorOfTheFurthestStageOnce)
{
    // Neither engine starts: the start failure.
    engines[0]->starts = engines[1]->starts = false;
    EXPECT_FALSE(MakeExporter()->Export(folder / "课表.xlsx", Tables(1)));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, CSpreadsheetExporter::EngineStartFailedText());
    EXPECT_EQ(messages.messages[0].caption, "提示");
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Error);
    EXPECT_EQ(messages.messages[0].text.find("Excel"), std::string::npos);
    EXPECT_EQ(messages.messages[0].text.find("WPS"), std::string::npos);

    // The first fails while saving, the second does not start: the failure while writing wins.
    messages.messages.clear();
    engines[0]->starts = true;
    engines[0]->saveFails = true;
    EXPECT_FALSE(MakeExporter()->Export(folder / "课表.xlsx", Tables(1)));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text,
              "导出过程中出现异常！\n\n"
              "1 请检查导出的目录下同名文件是否正处于打开状态。\n"
              "2 请检查您的基本数据（班级名、教师名、课程名）中是否包含某些不能正常导出的特殊符号。\n"
              "3 您也可以试试重启电脑再执行导出操作。\r\n\r\n附加信息：磁盘已满");
    EXPECT_EQ(settings.luDriver, 0);
}

// A workbook the disk refuses says why first, without the advice for failures whose reason is not
// known; the file exported before stays as it was.
TEST_F(ExporterFrame, AWorkbookTheDiskRefusesSaysWhyFirst)
{
    const std::string path = folder / "课表.xlsx";
    for (const auto& [code, reason] : {std::pair{ENOSPC, "磁盘空间不足"}, std::pair{EROFS, "磁盘是只读的"}}) {
        SCOPED_TRACE(reason);
        ASSERT_TRUE(zem::WriteFileAtomic(path, "exported before"));
        messages.messages.clear();
        const zem::FileWriteFaultHook previous =
            zem::SetFileWriteFaultHook([&, code = code](const std::string& written) { return written == path ? code : 0; });
        auto exporter = MakeExporter();
        exporter->SetEngines({std::make_shared<CBuiltInWorkbookEngine>()});
        EXPECT_FALSE(exporter->Export(path, Tables(1)));
        zem::SetFileWriteFaultHook(previous);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, std::string("导出失败：") + reason + "\n\n保存失败，写入文件出错：" + path +
                                                 "\n" + reason);
        std::string bytes;
        ASSERT_TRUE(zem::ReadFileBytes(path, bytes));
        EXPECT_EQ(bytes, "exported before");
    }
}

TEST_F(ExporterFrame, DirectRunsPostEveryStageAndShowNothing)
{
    engines[0]->starts = false;
    auto exporter = MakeExporter();
    exporter->SetDirect(true);
    exporter->SetNotifyWindow(&window);
    engines[1]->saveFails = true;
    EXPECT_FALSE(exporter->Export(folder / "课表.xlsx", Tables(1)));
    EXPECT_EQ(window.stages, "1:0 1:1 1:6 2:0 2:1 2:2 2:3 2:4 2:6 ");
    engines[1]->saveFails = false;
    window.stages.clear();
    EXPECT_TRUE(exporter->Export(folder / "课表.xlsx", Tables(1)));
    EXPECT_EQ(window.stages, "1:0 1:1 1:6 2:0 2:1 2:2 2:3 2:4 2:5 ");
    EXPECT_TRUE(runs.empty());  // no progress window
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ExporterFrame, LongJobsGoIntoWorkbooksOf250Pages)
{
    struct Case {
        int perPage;
        int tables;
        std::vector<std::string> saved;
    } cases[] = {
        {1, 250, {"save 1 课表.xlsx 250"}},
        {1, 251, {"save 1 课表.xlsx 250", "save 1 课表_2.xlsx 1"}},
        {2, 500, {"save 1 课表.xlsx 500"}},
        {2, 501, {"save 1 课表.xlsx 500", "save 1 课表_2.xlsx 1"}},
        {6, 3001, {"save 1 课表.xlsx 1500", "save 1 课表_2.xlsx 1500", "save 1 课表_3.xlsx 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.perPage) + " per page, " + std::to_string(c.tables) + " tables");
        log.clear();
        auto exporter = MakeExporter();
        exporter->SetTablesPerPage(c.perPage);
        EXPECT_TRUE(exporter->Export(folder / "课表", Tables(c.tables)));
        std::erase_if(log, [](const std::string& line) { return line.starts_with("start"); });
        EXPECT_EQ(log, c.saved);
    }
    // The progress counts the tables of each workbook.
    EXPECT_EQ(window.progress.back(), "1/1 高一(1)班");
}

TEST_F(ExporterFrame, ChunksOfANameWithoutExtensionGetPathsOfTheirOwn)
{
    struct Case {
        const char* name;
        int chunk;
        const char* expected;
    } cases[] = {
        {"/home/u/课表.xlsx", 2, "/home/u/课表_2.xlsx"},
        {"/home/u/a.b.xlsx", 3, "/home/u/a.b_3.xlsx"},
        {"/home/u.v/课表", 2, "/home/u.v/课表_2"},
        {"/home/u/.xlsx", 2, "/home/u/.xlsx_2"},
        {"课表", 2, "课表_2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CSpreadsheetExporter::ChunkFileName(c.name, c.chunk), c.expected) << c.name;

    struct Named {
        const char* typed;
        const char* saved;
    } names[] = {
        {"/a/课表.xls", "/a/课表.xlsx"}, {"/a/课表.XLS", "/a/课表.xlsx"}, {"/a/课表.xlsx", "/a/课表.xlsx"},
        {"/a/课表", "/a/课表.xlsx"},     {"/a.b/课表", "/a.b/课表.xlsx"},
    };
    for (const Named& n : names)
        EXPECT_EQ(CSpreadsheetExporter::WorkbookFileName(n.typed), n.saved) << n.typed;

    // A folder with a dot in its name: every chunk is a file of its own in that folder.
    std::filesystem::create_directory(folder / "2024.秋");
    auto exporter = MakeExporter();
    exporter->SetEngines({std::make_shared<CBuiltInWorkbookEngine>()});
    EXPECT_TRUE(exporter->Export(folder / "2024.秋/课表", Tables(251)));
    zem::workbook::SheetData sheet;
    std::string error;
    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(folder / "2024.秋/课表.xlsx", sheet, error)) << error;
    EXPECT_EQ(sheet.Rows(), 250);
    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(folder / "2024.秋/课表_2.xlsx", sheet, error)) << error;
    EXPECT_EQ(sheet.Rows(), 1);
}

TEST_F(ExporterFrame, TheUsersCancelStopsBetweenTablesAndWritesNothing)
{
    struct Case {
        const char* what;
        int tables;
        const char* cancelAt;  // the progress text after which the user closes the window
        std::vector<std::string> progress;
    };
    const Case cases[] = {
        {"between tables", 600, "2/", {"1/250 高一(1)班", "2/250 高一(1)班"}},
        // The writer is done, but the workbook is neither saved nor reported as exported.
        {"during the last table", 3, "3/", {"1/3 高一(1)班", "2/3 高一(1)班", "3/3 高一(1)班"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        runs.clear();
        window.progress.clear();
        window.onProgress = [this, &c](const std::string& text) {
            if (text.starts_with(c.cancelAt))
                *cancel = true;  // what the progress window does when the user closes it
        };
        auto exporter = MakeExporter();
        EXPECT_FALSE(exporter->Export(folder / "课表.xlsx", Tables(c.tables)));
        EXPECT_EQ(Joined(log), "start 1");  // no save, no other engine
        EXPECT_EQ(window.progress, c.progress);
        EXPECT_EQ(runs, (std::vector<std::string>{"课表.xlsx"}));  // no further workbook
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_TRUE(exporter->IsCancelled());
    }
}

TEST_F(ExporterFrame, TablesThatFailAreCountedNotSwallowed)
{
    auto exporter = MakeExporter();
    std::vector<CExportTableItem*> list = Tables(251);
    auto bad1 = std::make_unique<CExportTableItem>("x", "坏表", TABLE_CLASS, &table);
    auto bad2 = std::make_unique<CExportTableItem>("y", "坏表", TABLE_CLASS, &table);
    list[3] = bad1.get();
    list[250] = bad2.get();  // in the second workbook
    EXPECT_TRUE(exporter->Export(folder / "课表.xlsx", list));
    EXPECT_EQ(exporter->GetIncompleteTables(), 2);
    EXPECT_EQ(CSpreadsheetExporter::IncompleteText(exporter->GetIncompleteTables()), "有 2 张课表导出不完整");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ExporterFrame, KindsWithoutAWriterFail)
{
    auto exporter = MakeExporter();
    exporter->GetParam().Reset();
    exporter->GetParam().kind = 0;
    EXPECT_FALSE(exporter->RunExport());
    EXPECT_TRUE(messages.messages.empty());
    // A kind left without its writer.
    exporter->SetContentWriter(5, {});
    exporter->GetParam().Reset();
    exporter->GetParam().kind = 5;
    exporter->GetParam().fileName = folder / "日历.xlsx";
    EXPECT_FALSE(exporter->RunExport());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"这种工作簿还不能导出"});
    EXPECT_TRUE(log.empty());
}

TEST(ExporterGrid, ColumnWidthOfTheGridWriters)
{
    const std::pair<int, int> cases[] = {{-1, 12}, {0, 12}, {1, 65}, {5, 13}, {9, 7}, {20, 7}};
    for (const auto& [count, width] : cases)
        EXPECT_EQ(CSpreadsheetExporter::GetGridColumnWidth(count), width) << count;
}

}  // namespace
