// Task folders as a user's files may come: edited by hand, copied from another system, full of
// links, with special files, too large, on a full or read-only disk, or opened by two programs.
// Each case starts from a good task folder and a folder beside it that links may point to; after
// it, every file that was there before is unchanged (but those the case names) and nothing
// outside the task folder was touched.
#include "base/ScheduleProctor.h"
#include "base/ScheduleTask.h"
#include "base/TaskFolder.h"
#include "base/TaskFolderRestore.h"

#include "support/TaskDump.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "support/FixedClock.h"
#include "support/FolderSnapshot.h"
#include "support/GbkBytes.h"
#include "support/GoneProcess.h"
#include "support/KillAt.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const kInputError = "读取 input.xml 文件出错！";
const char* const kOutputError = "读取 output.xml 文件出错！";
const char* const kOutputKept = "打开任务时，output.xml 中有部分课表未能读入。为免覆盖文件中的这些课表，本次未保存课表。";

std::string FullInput()
{
    std::string text;
    EXPECT_TRUE(zem::GbkToUtf8(ReadRaw(std::string(ZEM_TEST_DATA_DIR) + "/input/full.xml"), text));
    return text;
}

const char* const kOutput =
    "<?xml version='1.0' encoding='GB2312'?><Output><Class id=\"c1\" name=\"初一(1)班\">"
    "<Item day=\"0\" segment=\"0\" section=\"0\" course=\"k1\" room=\"\" oddEven=\"0\"/>"
    "<Item day=\"2\" segment=\"0\" section=\"0\" course=\"k2\" room=\"r1\" oddEven=\"0\"/></Class>"
    "<Class id=\"c2\" name=\"初一(2)班\"><Item day=\"2\" segment=\"0\" section=\"0\" course=\"k3\" room=\"r1\" oddEven=\"0\"/>"
    "<Item day=\"1\" segment=\"0\" section=\"1\" course=\"k4\" room=\"\" oddEven=\"1\"/>"
    "<Item day=\"1\" segment=\"0\" section=\"1\" course=\"k5\" room=\"\" oddEven=\"2\"/></Class></Output>";

const char* const kProctorIn =
    "<?xml version='1.0' encoding='GB2312'?><Input><PlanInfo><Plan id=\"p1\" date=\"05 June 2024\" "
    "starttime=\"08:30:00\" endtime=\"10:00:00\" subject=\"语文\" teachercount=\"1\"><Rooms><Room>101室</Room></Rooms>"
    "</Plan></PlanInfo><TeacherInfo><Teacher>王喆</Teacher></TeacherInfo><Rule><ClassPolicy>1</ClassPolicy>"
    "<SubjectPolicy>2</SubjectPolicy></Rule></Input>";

const char* const kProctorOut =
    "<?xml version='1.0' encoding='GB2312'?><Output><Items><Item id=\"i1\" plan=\"p1\" room=\"101室\">"
    "<Teachers><Teacher>王喆</Teacher></Teachers></Item></Items></Output>";

// When a save that keeps damaged files aside dates them.
const zem::LocalTime kSaveTime{2025, 3, 7, 9, 30, 5};

// The offer to keep files not read in full aside, each line "in.xml 改名为 ...".
std::string KeepAsideQuestion(const std::vector<std::string>& lines)
{
    std::string text = "监考数据未能完整读入，直接保存会覆盖文件中没有读入的内容。\n\n要把损坏的文件改名保留，再保存当前的监考数据吗？"
                       "（选“否”则本次不保存）\n";
    for (const std::string& line : lines)
        text += "\n" + line;
    return text;
}

std::string Said(const std::string& heading, const std::string& why) { return heading + "\n\n" + why; }
std::string UnreadText(const std::string& path) { return "文件的列表中夹有文字，其后的内容没有读入：\n" + path; }
std::string TooDeepText(const std::string& path) { return "无法读取 XML 文件：" + path + "\nXML 嵌套层次过深（超过 32 层）"; }

struct Folders {
    std::string task;     // ends with '/'
    std::string outside;  // beside the task folder, ends with '/'
    std::string taskFile;
    std::string input() const { return task + "input.xml"; }
    std::string output() const { return task + "output.xml"; }
};

// A good task with timetables and a report, and a folder of somebody else's files beside it:
// files named like the task's and day-named folders such as backups have.
Folders MakeFolders(const TempFolder& dir)
{
    Folders f{dir / "task/", dir / "outside/", {}};
    f.taskFile = MakeTaskFolder(f.task, Gbk(FullInput()));
    WriteRaw(f.output(), Gbk(kOutput));
    WriteRaw(f.task + "report.txt", Gbk("上次的报告") + std::string(1, '\0'));
    WriteRaw(f.task + "task.ini", "[WeekTable]\r\nLastView0=2\r\n");
    for (const char* name : {"report.txt", "output.xml", "input.xml", "task.ini"})
        WriteRaw(f.outside + name, std::string("theirs: ") + name);
    for (int day = 1; day <= 7; ++day)
        WriteRaw(f.outside + zem::Format("days/2020010%d/input.xml", day), "theirs");
    WriteRaw(f.outside + "proctor/期中/in.xml", "theirs");
    return f;
}

void Link(const std::string& target, const std::string& link)
{
    fs::remove_all(link);
    fs::create_symlink(target, link);
}

void Fifo(const std::string& path)
{
    fs::remove_all(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
}

std::string Today()
{
    const zem::LocalTime now = zem::Now();
    return zem::Format("%04d%02d%02d", now.year, now.month, now.day);
}

// Writes white space as character references between the elements below the root element.
std::string WithWhiteSpaceReferences(const std::string& text, const std::string& root)
{
    const std::size_t at = text.find("<" + root);
    std::string body = zem::ReplaceAll(text.substr(at), ">\n<", "><");
    return text.substr(0, at) + zem::ReplaceAll(body, "><", ">&#32;&#10;&#9;<");
}

// Inserts a comment and a processing instruction as the first children of every element named
// `name` that has children.
std::string WithNotesIn(std::string text, const std::string& name)
{
    for (std::size_t at = text.find("<" + name); at != std::string::npos; at = text.find("<" + name, at + 1)) {
        const char next = text[at + 1 + name.size()];
        const std::size_t close = text.find('>', at);
        if ((next != ' ' && next != '>') || text[close - 1] == '/')
            continue;
        text.insert(close + 1, "<!-- 备注：" + name + " --><?note " + name + "?>");
    }
    return text;
}

std::string Nested(const std::string& inner, int depth)
{
    std::string text;
    text.reserve(inner.size() + 7u * static_cast<unsigned>(depth));
    for (int i = 0; i < depth; ++i)
        text += "<a>";
    text += inner;
    for (int i = 0; i < depth; ++i)
        text += "</a>";
    return text;
}

// Fails every write under the path as the system would, while it lives.
class WriteFault {
public:
    WriteFault(std::string under, int error)
        : previous_(zem::SetFileWriteFaultHook([under, error](const std::string& path) {
              return path.rfind(under, 0) == 0 ? error : 0;
          }))
    {
    }
    ~WriteFault() { zem::SetFileWriteFaultHook(previous_); }

private:
    zem::FileWriteFaultHook previous_;
};

struct Case {
    std::string name;
    std::function<void(const Folders&)> arrange;
    // Does what the program would and checks what it must say and do.
    std::function<void(const Folders&, MessageRecorder&)> act;
    // Paths in the task folder (with all beneath them) that may change or go; one ending in '*'
    // stands for every path it begins.
    std::vector<std::string> changed = {};
};

bool Changes(const Case& c, const std::string& path)
{
    for (const std::string& allowed : c.changed) {
        if (!allowed.empty() && allowed.back() == '*' && path.rfind(allowed.substr(0, allowed.size() - 1), 0) == 0)
            return true;
        if (path == allowed || path.rfind(allowed + "/", 0) == 0)
            return true;
    }
    return false;
}

// The backups the task lists, as "folder|description".
std::vector<std::string> Listed(CScheduleTask& task)
{
    std::vector<const CBackupEntry*> entries;
    task.GetBackupManager().GetAllBackups(entries);
    std::vector<std::string> listed;
    for (const CBackupEntry* entry : entries)
        listed.push_back(entry->m_strFolder + "|" + entry->m_strDescription);
    return listed;
}

// The entries of the task folder a restore or a backup puts aside while it works.
std::vector<std::string> AsideIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; it != end; it.increment(ec))
        if (const std::string name = it->path().filename().string(); name[0] == '.' && name.find(".~zem.") != 0)
            names.push_back(name);
    return names;
}

constexpr const char* kOpenTaskVariable = "ZEM_TEST_OPEN_TASK";

// Opens the task for writing in a program of its own (this test program, running the test below):
// its exit status, 0 opened or 3 refused, and what it said.
std::pair<int, std::string> OpenInAnotherProgram(const std::string& taskFile)
{
    const std::string command =
        "'" + fs::read_symlink("/proc/self/exe").string() + "' --gtest_filter=HostileTaskFolder.OpenedByAnotherProgram 2>&1";
    ::setenv(kOpenTaskVariable, taskFile.c_str(), 1);
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ::unsetenv(kOpenTaskVariable);
    if (!pipe)
        return {-1, "no second program"};
    std::string said;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        said.append(buffer, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, said};
}

// Opens the task, expecting it to open; the task keeps the folder until it goes.
std::unique_ptr<CScheduleTask> Opened(const Folders& f, TaskAccess access = TaskAccess::ReadWrite)
{
    auto task = std::make_unique<CScheduleTask>();
    EXPECT_TRUE(task->Open(f.taskFile, access));
    return task;
}

TEST(HostileTaskFolder, NothingIsLostAndNothingOutsideIsTouched)
{
    // What the good folder holds, for the cases whose reading must not change it.
    std::string goodDump;
    {
        TempFolder dir;
        goodDump = taskdump::Dump(*Opened(MakeFolders(dir)));
    }
    auto readsAsTheGoodFolder = [&](const Folders& f, MessageRecorder& recorder) {
        auto task = Opened(f);
        EXPECT_FALSE(task->IsOutputReadPartial());
        EXPECT_EQ(taskdump::Dump(*task), goodDump);
        EXPECT_TRUE(recorder.messages.empty());
    };
    auto opensNot = [](const std::function<std::string(const Folders&)> message) {
        return [message](const Folders& f, MessageRecorder& recorder) {
            CScheduleTask task;
            const auto start = std::chrono::steady_clock::now();
            EXPECT_FALSE(task.Open(f.taskFile));
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
            EXPECT_EQ(recorder.Texts(), std::vector<std::string>{message(f)});
            EXPECT_FALSE(task.SaveInputData());
        };
    };
    auto timetablesKept = [](const std::function<std::string(const Folders&)> message) {
        return [message](const Folders& f, MessageRecorder& recorder) {
            auto task = Opened(f);
            EXPECT_TRUE(task->IsOutputReadPartial());
            EXPECT_FALSE(task->SaveOutputData());
            EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{message(f), kOutputKept}));
        };
    };

    std::vector<Case> cases;
    // A comment or processing instruction first in every list and named part of input.xml.
    for (const char* name :
         {"SchoolStructure", "WeekDay", "MaxSection", "Activities", "PeriodName", "SubjectInfo", "TeacherInfo",
          "TeacherGroupInfo", "TeacherGroup", "ClassInfo", "RoomInfo", "SelfStudy", "CourseInfo", "FixedTimeOfTeacher",
          "FixedTimeOfTeacherGroup", "FixedTimeOfClass", "FixedTimeOfSubject", "FixedTimeOfCourse", "FixedTime",
          "BaseSetting", "CombineCourseInfo", "CombineCourse", "CoursePreset", "MutexTeacherInfo", "MutexTeacher",
          "AssistantInfo", "Assistant", "OETeamInfo", "MutexSubjectInfo", "MutexSubject", "Input"}) {
        cases.push_back({std::string("a comment first in ") + name,
                         [name](const Folders& f) { WriteRaw(f.input(), Gbk(WithNotesIn(FullInput(), name))); },
                         readsAsTheGoodFolder});
    }
    cases.push_back({"comments before and between the sections of input.xml",
                     [](const Folders& f) {
                         std::string text = zem::ReplaceAll(FullInput(), "\n<", "\n<!-- 注 --><");
                         WriteRaw(f.input(), Gbk(text));
                     },
                     readsAsTheGoodFolder});
    cases.push_back({"comments between the classes and lessons of output.xml",
                     [](const Folders& f) {
                         std::string text = zem::ReplaceAll(kOutput, "<Item", "<!-- 课 --><Item");
                         WriteRaw(f.output(), Gbk(zem::ReplaceAll(text, "<Class", "<?note 班?><Class")));
                     },
                     readsAsTheGoodFolder});
    cases.push_back({"white space as references between the elements of every file",
                     [](const Folders& f) {
                         WriteRaw(f.input(), Gbk(WithWhiteSpaceReferences(FullInput(), "Input")));
                         WriteRaw(f.output(), Gbk(WithWhiteSpaceReferences(kOutput, "Output")));
                         WriteRaw(f.task + "proctor/期中/in.xml", Gbk(WithWhiteSpaceReferences(kProctorIn, "Input")));
                     },
                     [&](const Folders& f, MessageRecorder& recorder) {
                         readsAsTheGoodFolder(f, recorder);
                         auto task = Opened(f, TaskAccess::ReadOnly);
                         CScheduleProctor set;
                         EXPECT_TRUE(set.Open(task.get(), "期中"));
                         EXPECT_EQ(set.data().GetTeacherArray(), std::vector<std::string>{"王喆"});
                         ASSERT_EQ(set.data().GetPlanList().size(), 1u);
                         EXPECT_EQ(set.data().GetPlanList()[0]->rooms, std::vector<std::string>{"101室"});
                         EXPECT_TRUE(recorder.messages.empty());
                     }});
    // Other text ends a list: the file is not read in part and saved over.
    cases.push_back({"text between the plans of input.xml",
                     [](const Folders& f) {
                         WriteRaw(f.input(), Gbk(zem::ReplaceAll(FullInput(), "<Course id=\"k3\"", "x<Course id=\"k3\"")));
                     },
                     opensNot([](const Folders& f) { return Said(kInputError, UnreadText(f.input())); })});
    cases.push_back({"text between the lessons of output.xml",
                     [](const Folders& f) {
                         WriteRaw(f.output(), Gbk(zem::ReplaceAll(kOutput, "<Item day=\"2\" segment=\"0\" section=\"0\" course=\"k2\"",
                                                                  "x<Item day=\"2\" segment=\"0\" section=\"0\" course=\"k2\"")));
                     },
                     timetablesKept([](const Folders& f) { return Said(kOutputError, UnreadText(f.output())); })});
    // Nesting tens of thousands deep where text is read.
    cases.push_back({"input.xml nested deep in forenoon",
                     [](const Folders& f) {
                         WriteRaw(f.input(), Gbk(zem::ReplaceAll(FullInput(), "<forenoon>4</forenoon>",
                                                                 "<forenoon>" + Nested("4", 100000) + "</forenoon>")));
                     },
                     opensNot([](const Folders& f) { return Said(kInputError, TooDeepText(f.input())); })});
    cases.push_back({"output.xml nested deep in a lesson",
                     [](const Folders& f) {
                         WriteRaw(f.output(), Gbk(zem::ReplaceAll(kOutput, "oddEven=\"2\"/>",
                                                                  "oddEven=\"2\">" + Nested("", 100000) + "</Item>")));
                     },
                     timetablesKept([](const Folders& f) { return Said(kOutputError, TooDeepText(f.output())); })});
    // Bytes that are no character in a file declared UTF-8: refused with the place, never read in
    // part and saved over.
    auto encodingFault = [](const std::string& path, const std::vector<std::string>& texts) {
        ASSERT_FALSE(texts.empty());
        const std::string heading = "读取 " + path.substr(path.rfind('/') + 1) + " 文件出错！\n\n无法读取 XML 文件：" + path +
                                    "\n文件编码有误：不是 UTF-8 编码的文本（第 ";
        EXPECT_EQ(texts[0].rfind(heading, 0), 0u) << texts[0];
    };
    auto asUtf8 = [](const std::string& text, const std::string& from, const std::string& to) {
        const std::string declared = zem::ReplaceAll(zem::ReplaceAll(text, "encoding=\"GB2312\"", "encoding=\"UTF-8\""),
                                                     "encoding='GB2312'", "encoding='UTF-8'");
        return zem::ReplaceAll(declared, from, to);
    };
    for (const std::string& bad : {std::string("\xC0\xAF"), std::string("\xED\xA0\x80")}) {
        cases.push_back({"input.xml in UTF-8 with bytes that are no character in a name",
                         [=](const Folders& f) { WriteRaw(f.input(), asUtf8(FullInput(), "王喆", "王" + bad + "喆")); },
                         [=](const Folders& f, MessageRecorder& recorder) {
                             CScheduleTask task;
                             EXPECT_FALSE(task.Open(f.taskFile));
                             EXPECT_FALSE(task.SaveInputData());
                             encodingFault(f.input(), recorder.Texts());
                         }});
        cases.push_back({"output.xml in UTF-8 with bytes that are no character in a name",
                         [=](const Folders& f) { WriteRaw(f.output(), asUtf8(kOutput, "初一(1)班", "初一" + bad + "(1)班")); },
                         [=](const Folders& f, MessageRecorder& recorder) {
                             auto task = Opened(f);
                             EXPECT_TRUE(task->IsOutputReadPartial());
                             EXPECT_FALSE(task->SaveOutputData());
                             encodingFault(f.output(), recorder.Texts());
                             EXPECT_EQ(recorder.Texts().back(), kOutputKept);
                         }});
        cases.push_back({"in.xml in UTF-8 with bytes that are no character in a name",
                         [=](const Folders& f) {
                             WriteRaw(f.task + "proctor/期中/in.xml", asUtf8(kProctorIn, "王喆", "王" + bad + "喆"));
                         },
                         [=](const Folders& f, MessageRecorder& recorder) {
                             auto task = Opened(f);
                             CScheduleProctor set;
                             EXPECT_FALSE(set.Open(task.get(), "期中"));
                             EXPECT_FALSE(set.Save());
                             encodingFault(f.task + "proctor/期中/in.xml", recorder.Texts());
                         }});
    }
    // input.xml and output.xml saved as one pair, and a save cut short between them.
    cases.push_back({"a pair save killed between output.xml and input.xml",
                     [](const Folders&) {},
                     [](const Folders& f, MessageRecorder& recorder) {
                         {
                             auto task = Opened(f);
                             task->GetTeacher("t1")->SetName("王玥");
                             KillAt kill("pair: output.xml written");
                             EXPECT_FALSE(task->SaveInputAndOutput());
                         }
                         auto task = Opened(f);
                         EXPECT_TRUE(task->IsPairMismatched());
                         EXPECT_EQ(task->GetTeacherName("t1"), "王喆");
                         EXPECT_TRUE(recorder.messages.empty());
                         EXPECT_TRUE(AsideIn(f.task).empty());
                     },
                     {"output.xml", "Backup", "backup.ini"}});
    cases.push_back({"a pair save whose output.xml cannot be written",
                     [](const Folders&) {},
                     [](const Folders& f, MessageRecorder& recorder) {
                         {
                             auto task = Opened(f);
                             task->GetTeacher("t1")->SetName("王玥");
                             WriteFault fault(f.output(), EACCES);
                             EXPECT_FALSE(task->SaveInputAndOutput());
                         }
                         ASSERT_EQ(recorder.messages.size(), 1u);
                         const std::string said = recorder.messages[0].text;
                         EXPECT_EQ(said.rfind("保存出错！\n\n无法写入文件：\n" + f.output(), 0), 0u) << said;
                         EXPECT_EQ(said.substr(said.rfind("\n") + 1), "input.xml 和 output.xml 都没有改变。");
                         auto task = Opened(f);
                         EXPECT_FALSE(task->IsPairMismatched());
                         EXPECT_EQ(task->GetTeacherName("t1"), "王喆");
                         // Saved together, the pair opens as one.
                         task->GetTeacher("t1")->SetName("王玥");
                         EXPECT_TRUE(task->SaveInputAndOutput());
                         EXPECT_TRUE(task->SaveInputData());
                         EXPECT_FALSE(Opened(f)->IsPairMismatched());
                     },
                     {"input.xml", "output.xml", "Backup", "backup.ini"}});
    cases.push_back({"a pair save whose input.xml cannot take its place after output.xml did",
                     [](const Folders&) {},
                     [](const Folders& f, MessageRecorder& recorder) {
                         const std::string input = ReadRaw(f.input());
                         const std::string output = ReadRaw(f.output());
                         {
                             auto task = Opened(f);
                             task->GetTeacher("t1")->SetName("王玥");
                             // A folder takes input.xml's name once output.xml is in place.
                             const auto previous = TaskFolder::SetKillHookForTesting([&](const std::string& step) {
                                 if (step == "pair: output.xml written") {
                                     fs::remove(f.input());
                                     fs::create_directories(f.input() + "/held");
                                 }
                                 return false;
                             });
                             EXPECT_FALSE(task->SaveInputAndOutput());
                             TaskFolder::SetKillHookForTesting(previous);
                         }
                         EXPECT_EQ(ReadRaw(f.output()), output);
                         ASSERT_EQ(recorder.messages.size(), 1u);
                         const std::string said = recorder.messages[0].text;
                         EXPECT_EQ(said.substr(said.rfind("\n") + 1),
                                   "已把 output.xml 恢复为保存前的样子，input.xml 和 output.xml 都没有改变。");
                         fs::remove_all(f.input());
                         WriteRaw(f.input(), input);
                         EXPECT_FALSE(Opened(f)->IsPairMismatched());
                     },
                     {"Backup", "backup.ini"}});
    // A stamp that is there but damaged proves no pair, on either file.
    const std::string stamp64 = " pair=\"" + std::string(64, '7') + "\"";
    const std::string stamp65 = " pair=\"" + std::string(65, '7') + "\"";
    for (const auto& [what, inputStamp, outputStamp, mismatched] :
         {std::tuple<const char*, std::string, std::string, bool>{"stamped by two saves", " pair=\"20240101080000-1\"",
                                                                  " pair=\"20240102080000-2\"", true},
          {"of which an older version wrote output.xml", " pair=\"20240101080000-1\"", "", false},
          {"stamped alike with a stamp of 64 bytes", stamp64, stamp64, false},
          {"with an empty output stamp", " pair=\"20240101080000-1\"", " pair=\"\"", true},
          {"with an output stamp of 65 bytes", " pair=\"20240101080000-1\"", stamp65, true},
          {"with an output stamp holding a space", " pair=\"20240101080000-1\"", " pair=\"20240101080000 1\"", true},
          {"with the output stamp twice", " pair=\"20240101080000-1\"", " pair=\"20240101080000-1\" pair=\"20240101080000-1\"",
           true},
          {"with a damaged input stamp beside an unstamped output.xml", " pair=\"\"", "", true},
          {"with the input stamp twice", " pair=\"20240101080000-1\" pair=\"20240101080000-1\"",
           " pair=\"20240101080000-1\"", true}}) {
        const std::string in = inputStamp;
        const std::string out = outputStamp;
        const bool differ = mismatched;
        cases.push_back({std::string("input.xml and output.xml ") + what,
                         [=](const Folders& f) {
                             WriteRaw(f.input(), Gbk(zem::ReplaceAll(FullInput(), "<Input>", "<Input" + in + ">")));
                             WriteRaw(f.output(), Gbk(zem::ReplaceAll(kOutput, "<Output>", "<Output" + out + ">")));
                         },
                         [=](const Folders& f, MessageRecorder& recorder) {
                             EXPECT_EQ(Opened(f)->IsPairMismatched(), differ);
                             EXPECT_TRUE(recorder.messages.empty());
                         }});
    }

    cases.push_back({"in.xml nested deep in ClassPolicy",
                     [](const Folders& f) {
                         WriteRaw(f.task + "proctor/期中/in.xml",
                                  Gbk(zem::ReplaceAll(kProctorIn, "<ClassPolicy>1", "<ClassPolicy>" + Nested("1", 100000))));
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         CScheduleProctor set;
                         EXPECT_FALSE(set.Open(task.get(), "期中"));
                         const FixedClock clock(kSaveTime);
                         EXPECT_FALSE(set.Save());  // the offer to keep it aside declined
                         EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{
                                                         Said("读取 in.xml 文件出错！", TooDeepText(f.task + "proctor/期中/in.xml")),
                                                         KeepAsideQuestion({"in.xml 改名为 in-损坏-20250307-093005.xml"})}));
                     }});
    // Links: a save replaces the link itself; what it points to stays as it was.
    for (const char* file : {"report.txt", "output.xml", "input.xml", "task.ini"}) {
        cases.push_back({std::string(file) + " a link out of the folder",
                         [file](const Folders& f) {
                             if (std::string(file) != "report.txt" && std::string(file) != "task.ini")
                                 fs::copy_file(f.task + file, f.outside + file, fs::copy_options::overwrite_existing);
                             Link(f.outside + file, f.task + file);
                         },
                         [file](const Folders& f, MessageRecorder& recorder) {
                             const std::string before = ReadRaw(f.outside + file);
                             auto task = Opened(f);
                             task->GetLastReportInfo().SetReportInfo("新的报告");
                             EXPECT_TRUE(task->SaveLastReportInfo());
                             EXPECT_TRUE(task->SaveOutputData());
                             EXPECT_TRUE(task->SaveInputData());
                             EXPECT_TRUE(task->SetConfig("WeekTable", "LastView0", "3"));
                             EXPECT_FALSE(zem::IsLink(f.task + file));
                             EXPECT_EQ(ReadRaw(f.outside + file), before);
                             EXPECT_TRUE(recorder.messages.empty());
                         },
                         {"report.txt", "output.xml", "input.xml", "task.ini", "backup.ini", "Backup"}});
    }
    cases.push_back({"Backup a link to somebody's day folders",
                     [](const Folders& f) { Link(f.outside + "days", f.task + "Backup"); },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         EXPECT_FALSE(task->AutoBackup(true, "自动排课前", false));
                         EXPECT_TRUE(task->SaveInputData());  // said once, not again
                         EXPECT_EQ(recorder.Texts(), std::vector<std::string>{
                                                         "“自动排课前”的备份未能完成，排课任务的文件没有备份。\n\n"
                                                         "无法使用文件夹，同名的是一个链接：" + f.task + "Backup"});
                         std::vector<const CBackupEntry*> entries;
                         task->GetBackupManager().GetAllBackups(entries);
                         EXPECT_TRUE(entries.empty());
                     },
                     {"input.xml", "backup.ini"}});
    cases.push_back({"today's backup a link out of the folder",
                     [](const Folders& f) {
                         ASSERT_TRUE(zem::MakeFolder(f.task + "Backup"));
                         Link(f.outside + "days/20200101", f.task + "Backup/" + Today());
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         EXPECT_FALSE(task->AutoBackup(false, "", false));
                         ASSERT_EQ(recorder.messages.size(), 1u);
                         EXPECT_NE(recorder.Texts()[0].find("同名的是一个链接"), std::string::npos) << recorder.Texts()[0];
                     }});
    cases.push_back({"day-named links among the backups",
                     [](const Folders& f) {
                         for (int day = 1; day <= 7; ++day)
                             WriteRaw(f.task + zem::Format("Backup/2019010%d/input.xml", day), "old");
                         Link(f.outside + "days/20200101", f.task + "Backup/20180101");
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         EXPECT_TRUE(task->AutoBackup(false, "", false));
                         EXPECT_TRUE(zem::IsLink(f.task + "Backup/20180101"));
                         EXPECT_FALSE(zem::FolderExists(f.task + "Backup/20190102"));
                         EXPECT_TRUE(zem::FolderExists(f.task + "Backup/20190103"));
                         EXPECT_TRUE(recorder.messages.empty());
                     },
                     {"Backup/20190101", "Backup/20190102", "backup.ini"}});
    cases.push_back({"proctor a link out of the folder",
                     [](const Folders& f) { Link(f.outside + "proctor", f.task + "proctor"); },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         CScheduleProctor set;
                         EXPECT_FALSE(set.Open(task.get(), "期中"));
                         set.data().GetTeacherArray().push_back("王喆");
                         EXPECT_FALSE(set.Save());
                         EXPECT_EQ(recorder.Texts(),
                                   (std::vector<std::string>{
                                       "无法创建监考数据文件夹。\n\n无法使用文件夹，同名的是一个链接：" + f.task + "proctor",
                                       "保存出错！\n\n无法使用文件夹，同名的是一个链接：" + f.task + "proctor"}));
                     }});
    cases.push_back({"removing a backup folder that is a link",
                     [](const Folders& f) { Link(f.outside + "days", f.task + "Backup"); },
                     [](const Folders& f, MessageRecorder&) {
                         EXPECT_TRUE(zem::RemoveFolder(f.task + "Backup/"));
                         EXPECT_FALSE(fs::exists(fs::symlink_status(f.task + "Backup")));
                     },
                     {"Backup"}});
    cases.push_back({"copying a task folder with links",
                     [](const Folders& f) {
                         Link(f.outside + "report.txt", f.task + "report.txt");
                         Link(f.outside + "proctor", f.task + "proctor");
                     },
                     [](const Folders& f, MessageRecorder&) {
                         const std::string copy = f.task + "../copy/";
                         std::string error;
                         EXPECT_EQ(zem::CopyFolder(f.task, copy, &error), ELOOP);
                         EXPECT_NE(error.find("proctor（是一个链接）"), std::string::npos) << error;
                         EXPECT_NE(error.find("report.txt（是一个链接）"), std::string::npos) << error;
                         EXPECT_EQ(ReadRaw(copy + "input.xml"), ReadRaw(f.input()));
                         for (const auto& [path, what] : Snapshot(copy))
                             EXPECT_NE(what.rfind("link", 0), 0u) << path;
                         fs::remove_all(copy);
                     }});
    // Files that are not files, and files no school has.
    cases.push_back({"input.xml a FIFO", [](const Folders& f) { Fifo(f.input()); },
                     opensNot([](const Folders& f) { return std::string(kInputError) + "\n\n不是普通文件：" + f.input(); })});
    cases.push_back({"input.xml a link to a device", [](const Folders& f) { Link("/dev/zero", f.input()); },
                     opensNot([](const Folders& f) { return std::string(kInputError) + "\n\n不是普通文件：" + f.input(); })});
    cases.push_back({"output.xml a FIFO", [](const Folders& f) { Fifo(f.output()); },
                     timetablesKept([](const Folders& f) { return std::string(kOutputError) + "\n\n不是普通文件：" + f.output(); })});
    cases.push_back({"report.txt and task.ini FIFOs",
                     [](const Folders& f) {
                         Fifo(f.task + "report.txt");
                         Fifo(f.task + "task.ini");
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         EXPECT_EQ(task->GetLastReportInfo().GetReportInfo(), "");
                         EXPECT_EQ(task->GetConfigInt("WeekTable", "LastView0", 7), 7);
                         EXPECT_FALSE(task->SetConfig("WeekTable", "LastView0", "3"));
                         EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"无法读取文件：\n" + f.task +
                                                                              "task.ini\n（不是普通文件）"});
                     }});
    cases.push_back({"the task file a FIFO", [](const Folders& f) { Fifo(f.taskFile); },
                     opensNot([](const Folders& f) { return "读取 测试.zem 文件出错！\n\n不是普通文件：" + f.taskFile; })});
    cases.push_back({"input.xml larger than any school's",
                     [](const Folders& f) { fs::resize_file(f.input(), (std::uintmax_t{64} << 20) + 1); },
                     opensNot([](const Folders& f) {
                         return std::string(kInputError) + "\n\n文件太大（超过 64 MB）：" + f.input();
                     })});
    cases.push_back({"input.xml with more teachers than a school has",
                     [](const Folders& f) {
                         std::string teachers;
                         for (int i = 0; i < 3001; ++i)
                             teachers += zem::Format("<Teacher id=\"x%d\" name=\"张%d\" shortname=\"\" priority=\"1\" index=\"%d\"/>", i, i, i);
                         WriteRaw(f.input(), Gbk(zem::ReplaceAll(FullInput(), "</TeacherInfo>", teachers + "</TeacherInfo>")));
                     },
                     opensNot([](const Folders& f) {
                         return std::string(kInputError) + "\n\n文件中的教师多于 3000 个，超出了一所学校可能有的数量：\n" + f.input();
                     })});
    cases.push_back({"in.xml with more exams than a school has",
                     [](const Folders& f) {
                         std::string plans;
                         for (int i = 0; i < 10001; ++i)
                             plans += zem::Format("<Plan id=\"p%d\"/>", i);
                         WriteRaw(f.task + "proctor/期中/in.xml",
                                  Gbk(zem::ReplaceAll(kProctorIn, "</PlanInfo>", plans + "</PlanInfo>")));
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         CScheduleProctor set;
                         EXPECT_FALSE(set.Open(task.get(), "期中"));
                         EXPECT_TRUE(set.data().GetPlanList().empty());
                         const FixedClock clock(kSaveTime);
                         EXPECT_FALSE(set.Save());
                         EXPECT_EQ(recorder.Texts(),
                                   (std::vector<std::string>{
                                       "读取 in.xml 文件出错！\n\n文件中的考试多于 10000 个，超出了一所学校可能有的数量：\n" +
                                           f.task + "proctor/期中/in.xml",
                                       KeepAsideQuestion({"in.xml 改名为 in-损坏-20250307-093005.xml"})}));
                     }});
    // 是 keeps the damaged file under a dated name no other file has, and saves afresh what was
    // read, the whole out.xml with it.
    cases.push_back({"a damaged in.xml kept aside on 是 and the set saved afresh",
                     [](const Folders& f) {
                         const std::string set = f.task + "proctor/期中/";
                         WriteRaw(set + "in.xml", Gbk(zem::ReplaceAll(kProctorIn, "</PlanInfo>",
                                                                      "x<Plan id=\"p2\"/></PlanInfo>")));
                         WriteRaw(set + "out.xml", Gbk(kProctorOut));
                         WriteRaw(set + "in-损坏-20250307-093005.xml", "kept before");
                     },
                     [](const Folders& f, MessageRecorder&) {
                         const std::string set = f.task + "proctor/期中/";
                         const std::string damaged = ReadRaw(set + "in.xml");
                         auto task = Opened(f);
                         CScheduleProctor proctor;
                         ScriptedMessages answers({}, zem::IDYES);
                         EXPECT_FALSE(proctor.Open(task.get(), "期中"));
                         const FixedClock clock(kSaveTime);
                         EXPECT_TRUE(proctor.Save());
                         EXPECT_EQ(answers.Texts(), (std::vector<std::string>{
                                                        Said("读取 in.xml 文件出错！", UnreadText(set + "in.xml")),
                                                        KeepAsideQuestion({"in.xml 改名为 in-损坏-20250307-093005-2.xml"})}));
                         EXPECT_EQ(ReadRaw(set + "in-损坏-20250307-093005-2.xml"), damaged);
                         CScheduleProctor reread;
                         EXPECT_TRUE(reread.Open(task.get(), "期中"));
                         ASSERT_EQ(reread.data().GetPlanList().size(), 1u);
                         ASSERT_EQ(reread.data().GetProctorList().size(), 1u);
                         EXPECT_EQ(reread.data().GetProctorList()[0]->teachers, std::vector<std::string>{"王喆"});
                         EXPECT_TRUE(reread.Save());
                         EXPECT_EQ(answers.messages.size(), 2u);
                     },
                     {"proctor/期中/in.xml", "proctor/期中/out.xml"}});
    // Encodings of other editors and systems.
    cases.push_back({"input.xml in UTF-8 with Chinese names",
                     [](const Folders& f) {
                         WriteRaw(f.input(), zem::ReplaceAll(FullInput(), "encoding=\"GB2312\"", "encoding=\"UTF-8\""));
                     },
                     [&](const Folders& f, MessageRecorder& recorder) {
                         readsAsTheGoodFolder(f, recorder);
                         auto task = Opened(f, TaskAccess::ReadOnly);
                         EXPECT_EQ(task->GetTeacherName("t1"), "王喆");
                     }});
    for (const char* end : {"\r\n", "\r"}) {
        cases.push_back({std::string("the task file in UTF-8 with a mark, lines ending ") + (end[1] ? "CR LF" : "CR"),
                         [end](const Folders& f) {
                             WriteRaw(f.taskFile, "\xEF\xBB\xBF[Task Info]" + std::string(end) + "Name=物理组" + end +
                                                      "Description=喆" + end);
                         },
                         [](const Folders& f, MessageRecorder& recorder) {
                             {
                                 auto task = Opened(f);
                                 EXPECT_EQ(task->GetTaskInfo().GetTaskName(), "物理组");
                                 task->GetTaskInfo().SetTaskAuthor("王玥");
                                 EXPECT_TRUE(task->GetTaskInfo().WriteToFile());
                             }
                             auto task = Opened(f);
                             EXPECT_EQ(task->GetTaskInfo().GetTaskName(), "物理组");
                             EXPECT_EQ(task->GetTaskInfo().GetDescription(), "喆");
                             EXPECT_EQ(task->GetTaskInfo().GetTaskAuthor(), "王玥");
                             EXPECT_TRUE(recorder.messages.empty());
                         },
                         {"测试.zem"}});
    }
    cases.push_back({"the task file in GBK behind a UTF-8 mark",
                     [](const Folders& f) {
                         WriteRaw(f.taskFile, "\xEF\xBB\xBF[Task Info]\r\nName=物理组\r\n" +
                                                  Gbk("Creator=王喆\r\nDescription=初一年级\r\n"));
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         {
                             auto task = Opened(f);
                             EXPECT_EQ(task->GetTaskInfo().GetTaskAuthor(), "王喆");
                             EXPECT_EQ(task->GetTaskInfo().GetDescription(), "初一年级");
                             task->GetTaskInfo().SetTaskAuthor("李堃");
                             EXPECT_TRUE(task->GetTaskInfo().WriteToFile());
                         }
                         auto task = Opened(f);
                         EXPECT_EQ(task->GetTaskInfo().GetTaskName(), "物理组");
                         EXPECT_EQ(task->GetTaskInfo().GetTaskAuthor(), "李堃");
                         EXPECT_EQ(task->GetTaskInfo().GetDescription(), "初一年级");
                         EXPECT_TRUE(recorder.messages.empty());
                     },
                     {"测试.zem"}});
    for (const auto& [what, line] : {std::pair{"a Name that is no GBK", std::string("Name=\x81\x7F\r\n")},
                                     std::pair{"no Name", std::string()}}) {
        const std::string nameLine = line;
        cases.push_back({std::string("the task file with ") + what,
                         [nameLine](const Folders& f) {
                             WriteRaw(f.taskFile, "[Task Info]\r\n" + nameLine + Gbk("Creator=王喆\r\n"));
                         },
                         [](const Folders& f, MessageRecorder& recorder) {
                             auto task = Opened(f);
                             EXPECT_EQ(task->GetTaskInfo().GetTaskName(), "task");
                             EXPECT_EQ(task->GetTaskInfo().GetTaskAuthor(), "王喆");
                             EXPECT_EQ(recorder.Texts(),
                                       std::vector<std::string>{"排课任务文件 " + f.taskFile +
                                                                " 中的任务名称（Name）无法读取，已改用文件夹的名称“task”。"});
                         }});
    }
    cases.push_back({"backup.ini with relative paths",
                     [](const Folders& f) {
                         WriteRaw(f.task + "backup.ini",
                                  Gbk("[Backup]\r\n1=2|20240102080000|../outside/days|\r\n2=2|20240102080000|copy|\r\n"
                                      "3=2|20240102080000|..\\outside|\r\n4=2|20240101080000|" + f.outside + "gone|\r\n"
                                      "5=2|20230101080000|D:\\备份\\测试|\r\n"));
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         std::vector<const CBackupEntry*> entries;
                         task->GetBackupManager().GetAllBackups(entries);
                         std::vector<std::string> folders;
                         for (const CBackupEntry* entry : entries)
                             folders.push_back(entry->m_strFolder);
                         // A full path to a folder that is not there is a backup on a missing disk: listed.
                         EXPECT_EQ(folders, (std::vector<std::string>{f.outside + "gone", "D:\\备份\\测试"}));
                         std::string error;
                         EXPECT_FALSE(task->GetBackupManager().AddEntry(CBackupManager::ManualBackup, "20240103080000",
                                                                        "备份/测试", "", &error));
                         EXPECT_EQ(error, "备份位置不是完整的路径：备份/测试");
                         EXPECT_TRUE(recorder.messages.empty());
                     }});
    cases.push_back({"report.txt of another run than output.xml",
                     [](const Folders& f) {
                         WriteRaw(f.output(), Gbk(zem::ReplaceAll(kOutput, "<Output>", "<Output run=\"20240102080000-2\">")));
                         WriteRaw(f.task + "report.txt", Gbk("上次的报告") + std::string(1, '\0') + "20240101080000-1");
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         EXPECT_TRUE(task->IsLastReportOutOfDate());
                         const std::string& report = task->GetLastReportInfo().GetReportInfo();
                         EXPECT_EQ(report.rfind("【报告已过期】\n", 0), 0u) << report;
                         EXPECT_EQ(report.substr(report.size() - std::string("上次的报告").size()), "上次的报告");
                         EXPECT_TRUE(recorder.messages.empty());
                     }});
    // Names too long for the system and links that lead to themselves, where the task's folders go.
    cases.push_back({"Backup and proctor links that lead to themselves",
                     [](const Folders& f) {
                         Link(f.task + "Backup", f.task + "Backup");
                         Link(f.task + "proctor", f.task + "proctor");
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         EXPECT_FALSE(task->AutoBackup(true, "自动排课前", false));
                         CScheduleProctor set;
                         EXPECT_FALSE(set.Open(task.get(), "期中"));
                         EXPECT_EQ(recorder.Texts(),
                                   (std::vector<std::string>{
                                       "“自动排课前”的备份未能完成，排课任务的文件没有备份。\n\n"
                                       "无法使用文件夹，同名的是一个链接：" + f.task + "Backup",
                                       "无法创建监考数据文件夹。\n\n无法使用文件夹，同名的是一个链接：" + f.task + "proctor"}));
                     }});
    cases.push_back({"a proctoring named too long for the system",
                     [](const Folders&) {},
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         CScheduleProctor set;
                         // 258 bytes: a name the file-name check lets through, longer than a folder entry holds.
                         std::string longName(90, 'x');
                         for (int i = 0; i < 14; ++i)
                             longName += "期中考试";
                         EXPECT_FALSE(set.Open(task.get(), longName));
                         ASSERT_EQ(recorder.messages.size(), 1u);
                         EXPECT_NE(recorder.Texts()[0].find("文件名太长"), std::string::npos) << recorder.Texts()[0];
                     },
                     {"proctor"}});
    // Two programs on one task; one program's own windows may open it anew.
    cases.push_back({"a second writer", [](const Folders&) {},
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto first = Opened(f);
                         const auto [refused, said] = OpenInAnotherProgram(f.taskFile);
                         EXPECT_EQ(refused, 3);
                         EXPECT_NE(said.find("该排课任务正在被其他程序使用"), std::string::npos) << said;
                         auto again = Opened(f);
                         auto reader = Opened(f, TaskAccess::ReadOnly);
                         EXPECT_FALSE(reader->SaveInputData());
                         EXPECT_FALSE(reader->SaveOutputData());
                         EXPECT_FALSE(reader->AutoBackup(true, "自动排课前", false));
                         EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{"该排课任务是以只读方式打开的，不能保存。",
                                                                               "该排课任务是以只读方式打开的，不能保存。"}));
                         // Once the program lets go, another opens the task for writing.
                         first.reset();
                         EXPECT_EQ(OpenInAnotherProgram(f.taskFile).first, 3);
                         again.reset();
                         EXPECT_EQ(OpenInAnotherProgram(f.taskFile).first, 0);
                     }});
    // A disk that takes nothing: every save says why, the backup that failed before it says so once.
    for (const auto& [what, code, text] : {std::tuple{"a full disk", ENOSPC, "磁盘空间不足"},
                                           std::tuple{"a read-only folder", EROFS, "磁盘是只读的"},
                                           std::tuple{"a folder denied to the user", EACCES, "没有访问权限"}}) {
        const int error = code;
        const std::string reason = text;
        cases.push_back({what, [](const Folders& f) { WriteRaw(f.task + "proctor/期中/in.xml", Gbk(kProctorIn)); },
                         [error, reason](const Folders& f, MessageRecorder& recorder) {
                             auto task = Opened(f);
                             CScheduleProctor set;
                             EXPECT_TRUE(set.Open(task.get(), "期中"));
                             WriteFault fault(f.task, error);
                             EXPECT_FALSE(task->SaveInputData());
                             EXPECT_FALSE(task->SaveOutputData());
                             EXPECT_FALSE(task->SetConfig("WeekTable", "LastView0", "3"));
                             task->GetTaskInfo().SetTaskAuthor("王玥");
                             EXPECT_FALSE(task->GetTaskInfo().WriteToFile());
                             int reportError = 0;
                             EXPECT_FALSE(task->SaveLastReportInfo(&reportError));
                             EXPECT_EQ(reportError, error);
                             EXPECT_FALSE(set.Save());
                             const std::string why = "（" + reason + "）";
                             EXPECT_EQ(recorder.Texts(),
                                       (std::vector<std::string>{
                                           "自动备份未能完成，排课任务的文件没有备份。\n\n无法创建文件夹：" + f.task +
                                               "Backup\n" + reason,
                                           "保存出错！\n\n无法写入文件：\n" + f.input() + "\n" + why,
                                           "保存出错！\n\n无法写入文件：\n" + f.output() + "\n" + why,
                                           "无法写入文件：\n" + f.task + "task.ini\n" + why,
                                           "无法写入文件：\n" + f.taskFile + "\n" + why,
                                           "保存出错！\n\n无法写入文件：\n" + f.task + "proctor/期中/in.xml\n" + why}));
                         }});
    }
    // Work a killed program left half done: a backup is listed only when complete, a restore
    // that never became final is undone.
    cases.push_back({"a day backup cut short, and one another program left half made",
                     [](const Folders& f) {
                         WriteRaw(f.task + "Backup/20240101/input.xml", "<Input/>");
                         KillAt kill("copied");
                         EXPECT_FALSE(TaskFolder(f.task).BackUpTo(f.task + "Backup/" + Today(), {}).ok);
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         EXPECT_TRUE(Listed(*task).empty());
                         EXPECT_TRUE(AsideIn(f.task + "Backup").empty());
                         EXPECT_TRUE(task->AutoBackup(false, "", false));
                         EXPECT_EQ(Listed(*task), std::vector<std::string>{Today() + "|"});
                         EXPECT_TRUE(recorder.messages.empty());
                     },
                     {"Backup/." + Today() + ".staging-*"}});
    cases.push_back({"a backup complete but not yet in its place",
                     [](const Folders& f) {
                         ASSERT_TRUE(zem::MakeFolder(f.task + "Backup"));
                         KillAt kill("marked");
                         EXPECT_FALSE(TaskFolder(f.task)
                                          .BackUpTo(f.task + "Backup/20240101_080000", {"20240101080000", "清除课表数据前"})
                                          .ok);
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         EXPECT_EQ(Listed(*task), std::vector<std::string>{"20240101_080000|清除课表数据前"});
                         EXPECT_TRUE(TaskFolder::IsCompleteBackup(f.task + "Backup/20240101_080000"));
                         EXPECT_TRUE(AsideIn(f.task + "Backup").empty());
                         EXPECT_TRUE(recorder.messages.empty());
                     },
                     {"Backup/.20240101_080000.staging-*"}});
    cases.push_back({"a backup complete but not listed, before a restore that was killed",
                     [](const Folders& f) {
                         ASSERT_TRUE(zem::MakeFolder(f.task + "Backup"));
                         for (const char* name : {"20231231_080000", "20240101_080000"})
                             ASSERT_TRUE(TaskFolder(f.task).BackUpTo(f.task + "Backup/" + name,
                                                                     {zem::ReplaceAll(name, "_", ""), "恢复备份前"})
                                             .ok);
                         WriteRaw(f.task + "backup.ini", Gbk("[Backup]\r\n1=1|20231231080000|20231231_080000|恢复备份前\r\n"));
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         EXPECT_EQ(Listed(*task), (std::vector<std::string>{"20240101_080000|恢复备份前",
                                                                            "20231231_080000|恢复备份前"}));
                         EXPECT_TRUE(recorder.messages.empty());
                     },
                     {"backup.ini"}});
    for (const char* step : {"staged", "held output.xml", "put input.xml", "put task.ini"}) {
        cases.push_back({std::string("a restore killed at ") + step,
                         [step](const Folders& f) {
                             const std::string backup = f.task + "Backup/20240101_080000/";
                             ASSERT_TRUE(zem::MakeFolder(f.task + "Backup"));
                             ASSERT_TRUE(TaskFolder(f.task).BackUpTo(backup, {}).ok);
                             WriteRaw(backup + "input.xml", "<Input/>");
                             fs::remove(backup + "output.xml");
                             KillAt kill(step);
                             TaskFolderRestore restore(f.task, backup);
                             std::string error;
                             EXPECT_FALSE(restore.Stage("测试.zem", "测试", error) && restore.Swap(error));
                         },
                         [&](const Folders& f, MessageRecorder& recorder) {
                             readsAsTheGoodFolder(f, recorder);
                             EXPECT_TRUE(AsideIn(f.task).empty());
                             EXPECT_EQ(ReadRaw(f.output()), Gbk(kOutput));
                         },
                         {"input.xml", ".restore-*", "backup.ini"}});
    }
    cases.push_back({"temp and task.ini links out of the folder, backed up and restored",
                     [](const Folders& f) {
                         Link(f.outside + "proctor", f.task + "temp");
                         Link(f.outside + "task.ini", f.task + "task.ini");
                     },
                     [](const Folders& f, MessageRecorder& recorder) {
                         const std::string backup = f.task + "../backup/";
                         const TaskFolder::CopyReport copy =
                             TaskFolder(f.task).BackUpTo(backup, {}, f.taskFile, "测试.zem");
                         ASSERT_TRUE(copy.ok) << copy.error;
                         EXPECT_EQ(copy.leftOut, (std::vector<std::string>{"task.ini", "temp"}));
                         for (const auto& [path, what] : Snapshot(backup)) {
                             EXPECT_NE(what.rfind("link", 0), 0u) << path;
                             EXPECT_EQ(path.rfind("temp", 0), std::string::npos) << path;
                         }
                         EXPECT_FALSE(fs::exists(backup + "task.ini"));
                         {
                             TaskFolderRestore restore(f.task, backup);
                             std::string error;
                             ASSERT_TRUE(restore.Stage("测试.zem", "测试", error)) << error;
                             ASSERT_TRUE(restore.Swap(error)) << error;
                             restore.Commit();
                         }
                         EXPECT_TRUE(zem::IsLink(f.task + "temp"));
                         EXPECT_TRUE(zem::IsLink(f.task + "task.ini"));
                         EXPECT_TRUE(AsideIn(f.task).empty());
                         EXPECT_TRUE(recorder.messages.empty());
                         fs::remove_all(backup);
                     }});
    // backup.ini only lists what Backup holds: one that is no file to read is kept aside under a name
    // of its own and written anew, and the backup is made.
    const std::pair<const char*, std::function<void(const std::string&)>> damagedLists[] = {
        {"a pipe", [](const std::string& path) { Fifo(path); }},
        {"a link to a device", [](const std::string& path) { Link("/dev/zero", path); }},
        {"larger than a list can be", [](const std::string& path) { WriteRaw(path, std::string(zem::kMaxIniFileBytes + 1, ';')); }},
    };
    for (const auto& [what, spoil] : damagedLists) {
        cases.push_back({std::string("backup.ini ") + what,
                         [spoil = spoil](const Folders& f) { spoil(f.task + "backup.ini"); },
                         [](const Folders& f, MessageRecorder& recorder) {
                             auto entry = [&](const std::string& name) {
                                 const auto tree = Snapshot(f.task);
                                 return tree.count(name) != 0 ? tree.at(name) : std::string("absent");
                             };
                             const std::string damaged = entry("backup.ini");
                             const FixedClock clock(kSaveTime);
                             auto task = Opened(f);
                             EXPECT_TRUE(task->AutoBackup(true, "课表大挪移前", false));
                             EXPECT_TRUE(recorder.messages.empty()) << testing::PrintToString(recorder.Texts());
                             EXPECT_EQ(entry("backup-损坏-20250307-093005.ini"), damaged);
                             EXPECT_EQ(Listed(*Opened(f)), Listed(*task));
                             EXPECT_FALSE(Listed(*task).empty());
                             EXPECT_EQ(entry("backup.ini").rfind("file ", 0), 0u);
                         },
                         {"backup.ini", "backup-损坏-*", "Backup"}});
    }
    // Of runs that ended; one of a run still going stays, as its save may be writing it.
    const std::string gone = std::to_string(RunInGoneProcess());
    cases.push_back({"temporary files that killed saves left",
                     [=](const Folders& f) {
                         WriteRaw(f.task + ".~zem." + gone + ".7.tmp", std::string(2 << 20, 'x'));
                         WriteRaw(f.task + "Backup/20240101/.~zem." + gone + ".1.tmp", "x");
                         WriteRaw(f.task + "Backup/20240101/input.xml", "old");
                         WriteRaw(f.task + "proctor/期中/.~zem." + gone + ".3.tmp", "x");
                         WriteRaw(f.task + ".~zem." + std::to_string(RunningProcess()) + ".2.tmp", "theirs");
                         WriteRaw(f.task + "notes.tmp", "mine");
                         WriteRaw(f.task + ".~zem.tmp", "mine");
                         Link(f.outside + "report.txt", f.task + ".~zem." + gone + ".5.tmp");
                     },
                     [=](const Folders& f, MessageRecorder& recorder) {
                         auto task = Opened(f);
                         EXPECT_FALSE(fs::exists(f.task + ".~zem." + gone + ".7.tmp"));
                         EXPECT_TRUE(recorder.messages.empty());
                     },
                     {".~zem." + gone + ".7.tmp", "Backup/20240101/.~zem." + gone + ".1.tmp",
                      "proctor/期中/.~zem." + gone + ".3.tmp"}});


    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScheduleTask::ResetAutoBackupStateForTesting();
        TempFolder dir;
        const Folders f = MakeFolders(dir);
        c.arrange(f);
        const auto taskBefore = Snapshot(f.task);
        const auto outsideBefore = Snapshot(f.outside);
        {
            MessageRecorder recorder;
            c.act(f, recorder);
        }
        const auto taskAfter = Snapshot(f.task);
        for (const auto& [path, what] : taskBefore) {
            if (Changes(c, path))
                continue;
            const auto after = taskAfter.find(path);
            ASSERT_NE(after, taskAfter.end()) << path << " is gone";
            EXPECT_EQ(after->second, what) << path;
        }
        EXPECT_EQ(Snapshot(f.outside), outsideBefore);
        EXPECT_EQ(Snapshot(dir.path()).count("copy"), 0u);
    }
}

// The second program of the case "a second writer": opens the task named in the environment for
// writing and says what it heard. Skipped when run on its own.
TEST(HostileTaskFolder, OpenedByAnotherProgram)
{
    const char* taskFile = std::getenv(kOpenTaskVariable);
    if (!taskFile)
        GTEST_SKIP() << "run by the case \"a second writer\"";
    MessageRecorder recorder;
    CScheduleTask task;
    const bool opened = task.Open(taskFile);
    for (const std::string& text : recorder.Texts())
        std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    std::_Exit(opened ? 0 : 3);
}

}  // namespace
