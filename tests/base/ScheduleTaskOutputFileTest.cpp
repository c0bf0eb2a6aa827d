#include "base/ScheduleTask.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/SchoolBuilder.h"
#include "support/TableConsistency.h"
#include "support/TaskDump.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "support/GbkBytes.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"

#include <csignal>
#include <random>
#include <regex>

namespace {

const char* const kReadError = "读取 output.xml 文件出错！";

std::string FullFixtureBytes() { return ReadRaw(std::string(ZEM_TEST_DATA_DIR) + "/input/full.xml"); }

std::vector<std::string> Items(const std::string& bytes)
{
    std::vector<std::string> items;
    std::regex item("<Item [^>]*/>");
    for (std::sregex_iterator it(bytes.begin(), bytes.end(), item), end; it != end; ++it)
        items.push_back(it->str());
    return items;
}

TEST(OutputFile, WritesEveryPeriodOfEveryClassInUse)
{
    TempFolder dir;
    SchoolBuilder b;  // five days of 4 + 3 periods
    b.Class("c2", "初一(2)班")->SetIndex(1);
    CClassInfo* first = b.Class("c1", "初一(1)班");
    first->SetIndex(0);
    // An odd/even cell and a whole-week cell, written straight into the class's table.
    CCourseTableNode& split = b.Task().GetClass("c2")->GetTable(false).GetNode(2, 1, 2);
    split.data(1) = CCourseTableNode::NodeData("k1", "r1", 0);
    split.data(2) = CCourseTableNode::NodeData("k2", "", -1);
    split.SetInterleave(true);
    b.Task().GetClass("c2")->GetTable(false).GetNode(0, 0, 0).data(1) = CCourseTableNode::NodeData("k3", "", -1);
    CScheduleTask& task = b.Task();
    task.GetTaskInfo().SetTaskFolder(dir.path());
    ASSERT_TRUE(task.SaveOutputData());

    const std::string bytes = ReadRaw(dir / "output.xml");
    EXPECT_EQ(bytes.rfind("<?xml version='1.0' encoding='GB2312'?>", 0), 0u);
    const std::size_t c1 = bytes.find("<Class id=\"c1\" name=\"" + Gbk("初一(1)班") + "\">");
    const std::size_t c2 = bytes.find("<Class id=\"c2\"");
    ASSERT_NE(c1, std::string::npos);
    EXPECT_LT(c1, c2);  // by index
    const std::vector<std::string> empty = Items(bytes.substr(c1, c2 - c1));
    const std::vector<std::string> used = Items(bytes.substr(c2));
    ASSERT_EQ(empty.size(), 35u);
    EXPECT_EQ(empty.front(), "<Item day=\"0\" segment=\"0\" section=\"0\" course=\"\" room=\"\" oddEven=\"0\" />");
    EXPECT_EQ(empty.back(), "<Item day=\"4\" segment=\"1\" section=\"2\" course=\"\" room=\"\" oddEven=\"0\" />");
    ASSERT_EQ(used.size(), 36u);
    EXPECT_EQ(used[0], "<Item day=\"0\" segment=\"0\" section=\"0\" course=\"k3\" room=\"\" oddEven=\"0\" />");
    const std::size_t at = 2 * 7 + 4 + 2;  // day 2, afternoon period 3
    EXPECT_EQ(used[at], "<Item day=\"2\" segment=\"1\" section=\"2\" course=\"k1\" room=\"r1\" oddEven=\"1\" />");
    EXPECT_EQ(used[at + 1], "<Item day=\"2\" segment=\"1\" section=\"2\" course=\"k2\" room=\"\" oddEven=\"2\" />");
}

// The task folder was renamed or moved away while the task was open.
TEST(OutputFile, SavesIntoAFolderThatWasRemoved)
{
    TempFolder dir;
    SchoolBuilder b;
    b.Class("c1", "初一(1)班");
    CScheduleTask& task = b.Task();
    task.GetTaskInfo().SetTaskFolder(dir / "moved");
    task.GetLastReportInfo().SetReportInfo("报告");
    const std::string message = "保存出错！\n\n排课任务文件夹不存在，可能已被改名或移动：\n" + dir / "moved/";
    for (bool (CScheduleTask::*save)() : {&CScheduleTask::SaveInputData, &CScheduleTask::SaveOutputData}) {
        MessageRecorder recorder;
        EXPECT_FALSE((task.*save)());
        ASSERT_EQ(recorder.Texts(), std::vector<std::string>{message});
        EXPECT_EQ(recorder.messages[0].icon, zem::MessageIcon::Error);
    }
    EXPECT_FALSE(task.SaveLastReportInfo());
    EXPECT_FALSE(zem::FolderExists(dir / "moved"));
}

TEST(OutputFile, ReportTextRoundTrip)
{
    TempFolder dir;
    const std::string taskFile = MakeTaskFolder(dir.path(), FullFixtureBytes());
    CScheduleTask task;
    ASSERT_TRUE(task.Open(taskFile));

    task.InitReportInfo();
    CReportInfo& report = task.GetLastReportInfo();
    EXPECT_EQ(report.GetClassCount(), 2);
    EXPECT_EQ(report.GetTeacherCount(), 3);
    EXPECT_EQ(report.GetSubjectCount(), 2);
    EXPECT_EQ(report.GetSSCount(), 1);
    EXPECT_EQ(report.GetCourseCount(), 5);
    EXPECT_EQ(report.GetWeekNodeCount(), 34);

    const std::string text = "排课报告\n王喆 未排：语文 1 节\n";
    report.SetReportInfo(text);
    ASSERT_TRUE(task.SaveLastReportInfo());
    EXPECT_EQ(ReadRaw(dir / "report.txt"), Gbk(text) + std::string(1, '\0'));  // line feeds stay line feeds

    // Reading stops at the first zero byte.
    WriteRaw(dir / "report.txt", Gbk("上次的报告") + std::string(1, '\0') + "junk");
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(taskFile, TaskAccess::ReadOnly));
    EXPECT_EQ(reopened.GetLastReportInfo().GetReportInfo(), "上次的报告");
}

// The lessons of a faulty output.xml that could be read must not be saved over the file unasked.
TEST(OutputFile, FaultyFileIsReportedOnceAndNotOverwritten)
{
    const std::string good = "<Item day=\"0\" segment=\"0\" section=\"0\" course=\"k1\" room=\"\" oddEven=\"0\"/>";
    const std::string evenK2 = "<Item day=\"0\" segment=\"0\" section=\"0\" course=\"k2\" room=\"r1\" oddEven=\"2\"/>";
    struct Case {
        const char* name;
        std::string xml;
        const char* kept;  // the lesson that must stay at 0/0/0, or none
        int half;
        std::string reason;  // "%s" stands for the file
    };
    const std::string outOfRange = "文件中有一节课的时间缺少或超出范围：\n%s";
    const std::string twoAtOnce = "文件中有两节课排在初一(1)班的同一个时间（周一上午第1节）：\n%s";
    const Case cases[] = {
        {"day out of range", "<Output><Class id=\"c1\" name=\"x\"><Item day=\"14\" segment=\"0\" section=\"0\" course=\"k1\" room=\"\"/>" +
                                 good + "<Item day=\"0\" segment=\"5\" section=\"0\" course=\"k1\" room=\"\"/></Class></Output>",
         "k1", 1, outOfRange},
        {"section out of range", "<Output><Class id=\"c1\" name=\"x\">" + good +
                                     "<Item day=\"0\" segment=\"0\" section=\"-1\" course=\"k1\" room=\"\"/></Class></Output>",
         "k1", 1, outOfRange},
        {"day missing", "<Output><Class id=\"c1\" name=\"x\"><Item segment=\"0\" section=\"1\" course=\"k1\" room=\"\"/>" + good +
                            "</Class></Output>",
         "k1", 1, outOfRange},
        {"two lessons of a class at once", "<Output><Class id=\"c1\" name=\"x\">" + good +
                                               "<Item day=\"0\" segment=\"0\" section=\"0\" course=\"k2\" room=\"r1\" oddEven=\"1\"/></Class></Output>",
         "k1", 1, twoAtOnce},
        {"a whole-week lesson onto a held even half", "<Output><Class id=\"c1\" name=\"x\">" + evenK2 + good + "</Class></Output>",
         "k2", 2, twoAtOnce},
        {"not XML", "<Output><Class>", nullptr, 0,
         "无法读取 XML 文件：%s\nXML 格式错误（第 1 行，第 54 列）：结束标记与开始标记不配对，或文件不完整"},
        {"no Output element", "<Input/>", nullptr, 0, "文件中没有 Output 元素：\n%s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        const std::string taskFile = MakeTaskFolder(dir.path(), FullFixtureBytes());
        const std::string bytes = "<?xml version='1.0' encoding='GB2312'?>" + c.xml;
        WriteRaw(dir / "output.xml", bytes);

        MessageRecorder recorder;
        CScheduleTask task;
        ASSERT_TRUE(task.Open(taskFile));
        EXPECT_EQ(recorder.Texts(), std::vector<std::string>{std::string(kReadError) + "\n\n" +
                                                             zem::ReplaceAll(c.reason, "%s", dir / "output.xml")});
        EXPECT_TRUE(task.IsOutputReadPartial());
        // The good item still loads; a lesson already in the cell stays.
        if (c.kept) {
            const CCourseTableNode& cell = task.GetClass("c1")->GetTable(false).GetNode(0, 0, 0);
            EXPECT_EQ(cell.data(c.half).GetCourseId(), c.kept);
            EXPECT_EQ(cell.data(3 - c.half).GetCourseId(), "");
        }

        EXPECT_FALSE(task.SaveOutputData());
        EXPECT_EQ(recorder.messages.size(), 2u);
        EXPECT_EQ(ReadRaw(dir / "output.xml"), bytes);

        // Once the user has agreed, the timetables in memory replace the file.
        task.ClearOutputReadPartial();
        EXPECT_TRUE(task.SaveOutputData());
        EXPECT_NE(ReadRaw(dir / "output.xml"), bytes);
    }
}

TEST(OutputFile, LoadingPlacesEveryStoredLesson)
{
    TempFolder dir;
    const std::string taskFile = MakeTaskFolder(dir.path(), FullFixtureBytes());
    // k2 and k3 are one combined class in the playground; k4 and k5 an odd/even pair; t1
    // assists in k2.
    WriteRaw(dir / "output.xml", Gbk("<?xml version='1.0' encoding='GB2312'?><Output>"
                                     "<Class id=\"c1\" name=\"初一(1)班\">"
                                     "<Item day=\"0\" segment=\"0\" section=\"0\" course=\"k1\" room=\"\" oddEven=\"0\"/>"
                                     "<Item day=\"0\" segment=\"0\" section=\"1\" course=\"k1\" room=\"\"/>"
                                     "<Item day=\"2\" segment=\"0\" section=\"0\" course=\"k2\" room=\"r1\" oddEven=\"0\"/>"
                                     "<Item day=\"2\" segment=\"0\" section=\"1\" course=\"nope\" room=\"\" oddEven=\"0\"/>"
                                     "<Item day=\"2\" segment=\"0\" section=\"2\" course=\"\" room=\"\" oddEven=\"0\"/>"
                                     "</Class><Class id=\"c2\" name=\"初一(2)班\">"
                                     "<Item day=\"2\" segment=\"0\" section=\"0\" course=\"k3\" room=\"r1\" oddEven=\"0\"/>"
                                     "<Item day=\"1\" segment=\"0\" section=\"1\" course=\"k4\" room=\"\" oddEven=\"1\"/>"
                                     "<Item day=\"1\" segment=\"0\" section=\"1\" course=\"k5\" room=\"\" oddEven=\"2\"/>"
                                     "</Class></Output>"));
    MessageRecorder recorder;
    CScheduleTask task;
    ASSERT_TRUE(task.Open(taskFile));
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_FALSE(task.IsOutputReadPartial());
    EXPECT_TRUE(TablesConsistent(task));

    const CCourseTable& c1 = task.GetClass("c1")->GetTable(false);
    EXPECT_EQ(c1.GetNode(0, 0, 1).GetCourseId(1), "k1");  // no oddEven: the whole week
    EXPECT_FALSE(c1.GetNode(0, 0, 1).IsInterleave());
    EXPECT_TRUE(c1.GetNode(2, 0, 1).GetCourseId(1).empty());
    const CCourseTableNode& split = task.GetClass("c2")->GetTable(false).GetNode(1, 0, 1);
    EXPECT_TRUE(split.IsInterleave());
    EXPECT_EQ(split.GetCourseId(1), "k4");
    EXPECT_EQ(split.GetCourseId(2), "k5");
    EXPECT_EQ(task.GetClass("c2")->GetTable(false).GetValue(1, 0, 1), CTimeTable::kFullUsed);

    // The combined class shares one place of the room, whatever it had when saved.
    const CComplexTable& places = task.GetRoom("r1")->GetComplexTable();
    EXPECT_EQ(places.Enum(false, 0)->GetNode(2, 0, 0).GetCourseId(1), "k2");
    EXPECT_TRUE(places.Enum(false, 1)->GetNode(2, 0, 0).GetCourseId(1).empty());
    EXPECT_EQ(task.GetClass("c2")->GetTable(false).GetNode(2, 0, 0).GetRoomIndex(1), 0);
    EXPECT_EQ(task.GetTeacher("t1")->GetTable(false).GetNode(2, 0, 0).GetCourseId(1), "k2");  // the assistant

    // Written back, every period of each class in use, the stored lessons among them.
    ASSERT_TRUE(task.SaveOutputData());
    const std::string bytes = ReadRaw(dir / "output.xml");
    EXPECT_EQ(Items(bytes).size(), 2u * 5 * (4 + 3 + 1 + 2) + 1);  // two classes, five days, one split cell
    EXPECT_NE(bytes.find("<Item day=\"0\" segment=\"0\" section=\"1\" course=\"k1\" room=\"\" oddEven=\"0\" />"),
              std::string::npos);
    EXPECT_NE(bytes.find("<Item day=\"1\" segment=\"0\" section=\"1\" course=\"k5\" room=\"\" oddEven=\"2\" />"),
              std::string::npos);
}

// Randomly damaged task files, seeded so a failure repeats: opening never crashes, and a task
// that does not open says so once.
TEST(OutputFile, DamagedTaskFilesNeverCrash)
{
    const std::string input = FullFixtureBytes();
    const std::string output = "<?xml version='1.0' encoding='GB2312'?><Output><Class id=\"c1\" name=\"x\">"
                               "<Item day=\"0\" segment=\"0\" section=\"0\" course=\"k1\" room=\"\" oddEven=\"0\"/>"
                               "<Item day=\"2\" segment=\"0\" section=\"0\" course=\"k2\" room=\"r1\" oddEven=\"1\"/>"
                               "</Class></Output>";
    std::mt19937 random(20240901);
    auto damage = [&](std::string bytes) {
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < edits && !bytes.empty(); ++i) {
            const std::size_t at = random() % bytes.size();
            switch (random() % 4) {
            case 0: bytes[at] = static_cast<char>(random()); break;
            case 1: bytes.erase(at, 1 + random() % 8); break;
            case 2: bytes.insert(at, 1, "<>\"/=&-0123456789"[random() % 18]); break;
            default: bytes.resize(at); break;
            }
        }
        return bytes;
    };
    TempFolder dir;
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE(round);
        const bool damageInput = round % 2 == 0;
        const std::string folder = dir / std::to_string(round);
        const std::string taskFile = MakeTaskFolder(folder, damageInput ? damage(input) : input);
        WriteRaw(folder + "/output.xml", damageInput ? output : damage(output));
        MessageRecorder recorder;
        CScheduleTask task;
        const bool opened = task.Open(taskFile);
        if (!opened) {
            // Said once, with the reason.
            ASSERT_EQ(recorder.messages.size(), 1u);
            EXPECT_EQ(recorder.Texts()[0].rfind("读取 input.xml 文件出错！\n\n", 0), 0u) << recorder.Texts()[0];
        } else {
            EXPECT_LE(recorder.messages.size(), 1u);
            EXPECT_TRUE(TablesConsistent(task));
        }
    }
}

TEST(OutputFile, TaskWithoutTimetablesOpensQuietly)
{
    TempFolder dir;
    MessageRecorder recorder;
    CScheduleTask task;
    ASSERT_TRUE(task.Open(MakeTaskFolder(dir.path(), FullFixtureBytes())));
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_FALSE(task.IsOutputReadPartial());
    EXPECT_EQ(task.GetLastReportInfo().GetReportInfo(), "");
    EXPECT_TRUE(task.SaveOutputData());
}

}  // namespace

// A run's two result files change together: the program killed between their writes leaves the
// report of the earlier run beside it, and opening the task says the report is out of date.
TEST(OutputFile, AKillBetweenTheResultFilesLeavesAReportShownAsOutOfDate)
{
    enum class KilledAt { Nowhere, ReportWritten, OutputWritten };
    for (const KilledAt killed : {KilledAt::Nowhere, KilledAt::ReportWritten, KilledAt::OutputWritten}) {
        SCOPED_TRACE(static_cast<int>(killed));
        TempFolder dir;
        const std::string taskFile = MakeTaskFolder(dir.path(), FullFixtureBytes());
        MessageRecorder recorder;
        {
            CScheduleTask task;
            ASSERT_TRUE(task.Open(taskFile));
            task.GetLastReportInfo().SetReportInfo("上次的报告");
            const CScheduleTask::RunResultSave saved = task.SaveRunResult();
            ASSERT_TRUE(saved.outputSaved);
            ASSERT_EQ(saved.reportError, 0);
        }
        const std::string oldOutput = ReadRaw(dir / "output.xml");
        const std::string oldReport = ReadRaw(dir / "report.txt");

        // The next run, in a program of its own that the hook ends as kill -9 would.
        auto run = [&] {
            CScheduleTask task;
            if (!task.Open(taskFile))
                return false;
            task.SetCourseNode(task.FindCourse("k1"), "", false, {1, 0, 0}, 0);
            task.GetLastReportInfo().SetReportInfo("这次的报告");
            CScheduleTask::SetRunSaveHookForTesting([killed](CScheduleTask::RunSaveStep step) {
                if ((step == CScheduleTask::RunSaveStep::ReportWritten && killed == KilledAt::ReportWritten) ||
                    (step == CScheduleTask::RunSaveStep::OutputWritten && killed == KilledAt::OutputWritten))
                    ::kill(::getpid(), SIGKILL);
            });
            const CScheduleTask::RunResultSave saved = task.SaveRunResult();
            CScheduleTask::SetRunSaveHookForTesting({});
            return saved.outputSaved && saved.reportError == 0;
        };
        if (killed == KilledAt::Nowhere) {
            ASSERT_TRUE(run());
        } else {
            const pid_t child = ::fork();
            if (child == 0) {
                run();
                std::_Exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
        }

        const bool outputChanged = ReadRaw(dir / "output.xml") != oldOutput;
        EXPECT_EQ(outputChanged, killed != KilledAt::ReportWritten);
        EXPECT_EQ(ReadRaw(dir / "report.txt") != oldReport, killed == KilledAt::Nowhere);
        CScheduleTask reopened;
        ASSERT_TRUE(reopened.Open(taskFile));
        const std::string& report = reopened.GetLastReportInfo().GetReportInfo();
        EXPECT_EQ(reopened.IsLastReportOutOfDate(), killed == KilledAt::OutputWritten);
        switch (killed) {
        case KilledAt::Nowhere:
            EXPECT_EQ(report, "这次的报告");
            break;
        case KilledAt::ReportWritten:
            EXPECT_EQ(report, "上次的报告");
            break;
        case KilledAt::OutputWritten:
            EXPECT_EQ(report.rfind("【报告已过期】\n", 0), 0u) << report;
            EXPECT_NE(report.find("上次的报告"), std::string::npos) << report;
            break;
        }
        EXPECT_EQ(reopened.GetClass("c1")->GetTable(false).GetNode(1, 0, 0).GetCourseId(1), outputChanged ? "k1" : "");
        // The report waiting beside its target went when the task was opened again.
        std::vector<zem::FolderEntry> entries;
        ASSERT_TRUE(zem::ListFolder(dir.path(), entries));
        for (const zem::FolderEntry& entry : entries)
            EXPECT_FALSE(zem::IsOwnTemporaryFileName(entry.name)) << entry.name;
        EXPECT_TRUE(recorder.messages.empty());
    }
}

// The stamp goes after the zero that ends the report's text, where readers of the text never look,
// and old files without stamps read as they always did.
TEST(OutputFile, ReportAndTimetablesCarryTheSameRunStamp)
{
    TempFolder dir;
    const std::string taskFile = MakeTaskFolder(dir.path(), FullFixtureBytes());
    MessageRecorder recorder;
    CScheduleTask task;
    ASSERT_TRUE(task.Open(taskFile));
    task.GetLastReportInfo().SetReportInfo("报告");
    ASSERT_TRUE(task.SaveRunResult().outputSaved);
    const std::string stamp = task.GetRunStamp();
    ASSERT_FALSE(stamp.empty());
    EXPECT_EQ(ReadRaw(dir / "report.txt"), Gbk("报告") + std::string(1, '\0') + stamp);
    EXPECT_NE(ReadRaw(dir / "output.xml").find("<Output run=\"" + stamp + "\">"), std::string::npos);
    // A save of the timetables alone keeps the run they came from.
    ASSERT_TRUE(task.SaveOutputData());
    EXPECT_NE(ReadRaw(dir / "output.xml").find("<Output run=\"" + stamp + "\">"), std::string::npos);
    task.GetLastReportInfo().SetReportInfo("报告");
    ASSERT_TRUE(task.SaveRunResult().outputSaved);
    EXPECT_NE(task.GetRunStamp(), stamp);

    // Files written before stamps, or by a program that knows none.
    WriteRaw(dir / "output.xml", "<?xml version='1.0' encoding='GB2312'?><Output/>");
    WriteRaw(dir / "report.txt", Gbk("旧报告") + std::string(1, '\0'));
    CScheduleTask old;
    ASSERT_TRUE(old.Open(taskFile, TaskAccess::ReadOnly));
    EXPECT_EQ(old.GetRunStamp(), "");
    EXPECT_FALSE(old.IsLastReportOutOfDate());
    EXPECT_EQ(old.GetLastReportInfo().GetReportInfo(), "旧报告");
    EXPECT_TRUE(recorder.messages.empty());
}
