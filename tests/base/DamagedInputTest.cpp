// Damaged task files, one fault per case: opening never crashes and says what failed, values out
// of range are brought into it, and a file that could not be read in full is never saved over.
#include "base/ScheduleProctor.h"
#include "base/ScheduleTask.h"

#include "support/FixedClock.h"
#include "support/TaskDump.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "support/GbkBytes.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

const char* const kInputError = "读取 input.xml 文件出错！";
const char* const kOutputError = "读取 output.xml 文件出错！";
const char* const kInError = "读取 in.xml 文件出错！";
const char* const kOutError = "读取 out.xml 文件出错！";
const char* const kOutputKept = "打开任务时，output.xml 中有部分课表未能读入。为免覆盖文件中的这些课表，本次未保存课表。";
// A proctoring not read in full offers, at its save, to keep the damaged file under a dated name (the
// recorder answers no, so nothing is saved); the clock is held at kSaveTime.
const zem::LocalTime kSaveTime{2025, 3, 7, 9, 30, 5};
std::string KeepAsideQuestion(const std::string& line)
{
    return "监考数据未能完整读入，直接保存会覆盖文件中没有读入的内容。\n\n要把损坏的文件改名保留，再保存当前的监考数据吗？"
           "（选“否”则本次不保存）\n\n" + line;
}
const std::string kProctorKeptIn = KeepAsideQuestion("in.xml 改名为 in-损坏-20250307-093005.xml");
const std::string kProctorKeptOut = KeepAsideQuestion("out.xml 改名为 out-损坏-20250307-093005.xml");

const char* const kSet = "proctor/期中/";

// A message naming a file of the task: "<task>/" stands for the task folder.
std::string Said(const char* heading, const std::string& why) { return std::string(heading) + "\n\n" + why; }
std::string NotXml(const std::string& file, const std::string& detail)
{
    return "无法读取 XML 文件：<task>/" + file + "\n" + detail;
}
std::string AFolder(const std::string& file) { return "这是文件夹，不是文件：<task>/" + file; }

// The good files of a task with its timetables and one invigilation set, as UTF-8 text.
std::map<std::string, std::string> GoodFiles()
{
    std::string input;
    EXPECT_TRUE(zem::GbkToUtf8(ReadRaw(std::string(ZEM_TEST_DATA_DIR) + "/input/full.xml"), input));
    return {
        {"input.xml", input},
        {"output.xml", "<?xml version='1.0' encoding='GB2312'?><Output><Class id=\"c1\" name=\"初一(1)班\">"
                       "<Item day=\"0\" segment=\"0\" section=\"0\" course=\"k1\" room=\"\" oddEven=\"0\"/>"
                       "<Item day=\"2\" segment=\"0\" section=\"0\" course=\"k2\" room=\"r1\" oddEven=\"0\"/>"
                       "</Class></Output>"},
        {std::string(kSet) + "in.xml",
         "<?xml version='1.0' encoding='GB2312'?><Input><PlanInfo>"
         "<Plan id=\"p1\" date=\"05 June 2024\" starttime=\"08:30:00\" endtime=\"10:00:00\" subject=\"语文\" "
         "teachercount=\"2\"><Rooms><Room>101室</Room><Room>102室</Room></Rooms></Plan>"
         "<Plan id=\"p2\" date=\"06 June 2024\" starttime=\"14:00:00\" endtime=\"16:00:00\" subject=\"数学\" "
         "teachercount=\"1\"><Rooms><Room>101室</Room></Rooms></Plan></PlanInfo>"
         "<TeacherInfo><Teacher>王喆</Teacher><Teacher>李堃</Teacher></TeacherInfo>"
         "<Rule><ClassPolicy>1</ClassPolicy><SubjectPolicy>2</SubjectPolicy></Rule></Input>"},
        {std::string(kSet) + "out.xml",
         "<?xml version='1.0' encoding='GB2312'?><Output><Items>"
         "<Item id=\"i1\" plan=\"p1\" room=\"101室\"><Teachers><Teacher>王喆</Teacher></Teachers></Item>"
         "<Item id=\"i2\" plan=\"p2\" room=\"101室\"><Teachers><Teacher>李堃</Teacher></Teachers></Item>"
         "</Items></Output>"},
    };
}

using Edit = std::function<std::string(const std::string&)>;

Edit Replace(std::string from, std::string to)
{
    return [from, to](const std::string& text) {
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : std::string(text).replace(at, from.size(), to);
    };
}

Edit CutInTheMiddle()
{
    return [](const std::string& text) { return text.substr(0, text.size() / 2); };
}

struct Case {
    const char* name;
    std::string file;  // in the task folder
    // The damage done to the file's text, which is then written as GBK; Raw gives the bytes
    // themselves; neither: a folder takes the file's place.
    Edit edit;
    std::function<std::string(const std::string&)> raw;
    bool taskOpens;
    bool setOpens;
    std::vector<std::string> messages;  // shown while opening, then while saving
    // Files whose bytes no save may change.
    std::vector<std::string> kept = {};
    std::function<void(CScheduleTask&, CScheduleProctor&)> check = {};
};

std::string NotGbk(const std::string& text)
{
    // A lead byte followed by a byte no GBK character has as its second byte.
    std::string bytes = Gbk(text);
    return bytes.insert(bytes.find(Gbk("王喆")), "\x81\x7F");
}

// The bytes of a file, or what a folder holds.
std::string Contents(const std::string& path)
{
    std::vector<zem::FolderEntry> entries;
    if (!zem::ListFolder(path, entries))
        return ReadRaw(path);
    std::string names = "folder:";
    for (const zem::FolderEntry& entry : entries)
        names += " " + entry.name;
    return names;
}

TEST(DamagedInput, EveryFileOfATask)
{
    const std::string in = std::string(kSet) + "in.xml";
    const std::string out = std::string(kSet) + "out.xml";
    const std::vector<Case> cases = {
        // input.xml: the task does not open.
        {"input.xml cut in the middle", "input.xml", CutInTheMiddle(), {}, false, false,
         {Said(kInputError, NotXml("input.xml", "XML 格式错误（第 41 行，第 21 列）：属性有误"))}},
        {"input.xml not GBK", "input.xml", {}, NotGbk, false, false,
         {Said(kInputError, NotXml("input.xml", "文件编码有误：不是 GBK 编码的文本（第 29 行，第 24 列）"))}},
        {"input.xml empty", "input.xml", {}, [](const std::string&) { return std::string(); }, false, false,
         {Said(kInputError, NotXml("input.xml", "文件是空的"))}},
        {"input.xml a folder", "input.xml", {}, {}, false, false, {Said(kInputError, AFolder("input.xml"))}},
        // input.xml: numbers and keys out of range are brought into it or dropped.
        {"capacity2 -1", "input.xml", Replace("capacity2=\"6\"", "capacity2=\"-1\""), {}, true, true, {}, {},
         [](CScheduleTask& task, CScheduleProctor&) { EXPECT_EQ(task.GetRoom("r1")->GetCapacity(), 1u); }},
        {"huge numbers", "input.xml",
         [](const std::string& text) {
             return Replace("weekcount=\"3\"", "weekcount=\"99999999999999999999\"")(
                 Replace("studentcount=\"45\"", "studentcount=\"4294967296\"")(
                     Replace("<forenoon>4</forenoon>", "<forenoon>2147483648</forenoon>")(text)));
         },
         {}, true, true, {}, {},
         [](CScheduleTask& task, CScheduleProctor&) {
             EXPECT_EQ(task.FindCourse("k1")->GetWeekCount().GetWholeCount(), zem::kSlotCount);
             EXPECT_EQ(task.GetClass("c1")->GetStudentCount(), static_cast<unsigned>(INT_MAX));
             EXPECT_EQ(task.GetSchoolStructure().GetSectionNodeMaxCount(0), 4);
         }},
        {"bad activity keys", "input.xml",
         Replace("<Activity node=\"412\" name=\"全校大扫除\"/>",
                 "<Activity node=\"abc\" name=\"甲\"/><Activity node=\"9999\" name=\"乙\"/><Activity node=\"\" name=\"丙\"/>"
                 "<Activity node=\"-12\" name=\"丁\"/><Activity node=\"412\" name=\"全校大扫除\"/>"),
         {}, true, true, {}, {},
         [](CScheduleTask& task, CScheduleProctor&) {
             EXPECT_EQ(task.GetActivities().GetMap(), (std::map<std::string, std::string>{{"412", "全校大扫除"}}));
         }},
        // A slot beyond the week is dropped; one without digits reads as 0, as numbers do.
        {"fixed times out of range", "input.xml", Replace("time=\"312,\"", "time=\"312,1399,3,-1,abc,99999999999,\""),
         {}, true, true, {}, {},
         [](CScheduleTask& task, CScheduleProctor&) {
             EXPECT_EQ(static_cast<CNodeListObject*>(task.GetFixedTimeOfClassList().Find("c1"))->GetAllFixedTime(), "312,3,0,");
         }},
        // output.xml: the task opens with what could be read, and the file is kept.
        {"output.xml nodes out of range", "output.xml",
         Replace("day=\"2\" segment=\"0\" section=\"0\"", "day=\"14\" segment=\"0\" section=\"-1\""), {}, true, true,
         {Said(kOutputError, "文件中有一节课的时间缺少或超出范围：\n<task>/output.xml"), kOutputKept}, {"output.xml"},
         [](CScheduleTask& task, CScheduleProctor&) {
             EXPECT_EQ(task.GetClass("c1")->GetTable(false).GetNode(0, 0, 0).GetCourseId(1), "k1");
         }},
        {"output.xml cut in the middle", "output.xml", CutInTheMiddle(), {}, true, true,
         {Said(kOutputError, NotXml("output.xml", "XML 格式错误（第 1 行，第 116 列）：属性有误")), kOutputKept},
         {"output.xml"}},
        {"output.xml not GBK", "output.xml", {}, [](const std::string& t) { return Gbk(t) + "\xFF"; }, true, true,
         {Said(kOutputError, NotXml("output.xml", "文件编码有误：不是 GBK 编码的文本（第 1 行，第 238 列）")), kOutputKept},
         {"output.xml"}},
        {"output.xml empty", "output.xml", {}, [](const std::string&) { return std::string(); }, true, true,
         {Said(kOutputError, NotXml("output.xml", "文件是空的")), kOutputKept}, {"output.xml"}},
        {"output.xml a folder", "output.xml", {}, {}, true, true, {Said(kOutputError, AFolder("output.xml")), kOutputKept},
         {"output.xml"}},
        // in.xml and out.xml: the set does not open and neither file is saved over.
        {"in.xml cut in the middle", in, CutInTheMiddle(), {}, true, false,
         {Said(kInError, NotXml(in, "XML 格式错误（第 1 行，第 262 列）：属性有误")), kProctorKeptIn}, {in, out}},
        {"in.xml not GBK", in, {}, NotGbk, true, false,
         {Said(kInError, NotXml(in, "文件编码有误：不是 GBK 编码的文本（第 1 行，第 393 列）")), kProctorKeptIn}, {in, out}},
        {"in.xml empty", in, {}, [](const std::string&) { return std::string(); }, true, false,
         {Said(kInError, NotXml(in, "文件是空的")), kProctorKeptIn}, {in, out}},
        {"in.xml a folder", in, {}, {}, true, false, {Said(kInError, AFolder(in)), kProctorKeptIn}, {in, out}},
        {"in.xml tags that do not match", in, Replace("<Input>", "<Inpt>"), {}, true, false,
         {Said(kInError, NotXml(in, "XML 格式错误（第 1 行，第 514 列）：结束标记与开始标记不配对，或文件不完整")),
          kProctorKeptIn},
         {in, out}},
        {"in.xml no Input element", in,
         [](const std::string& text) { return Replace("</Input>", "</Inpt>")(Replace("<Input>", "<Inpt>")(text)); }, {},
         true, false, {Said(kInError, "文件中没有 Input 元素：\n<task>/" + in), kProctorKeptIn}, {in, out}},
        {"in.xml a date that is none", in, Replace("06 June 2024", "06 Juin 2024"), {}, true, false,
         {Said(kInError, "文件中的日期或时间“06 Juin 2024”无法识别：\n<task>/" + in), kProctorKeptIn}, {in, out}},
        // Comments and processing instructions are passed over; other text ends a list unread.
        {"in.xml plans after a comment", in, Replace("<Plan id=\"p2\"", "<!-- 2 --><?pi x?><Plan id=\"p2\""), {}, true,
         true, {}, {},
         [](CScheduleTask&, CScheduleProctor& set) { EXPECT_NE(set.data().GetPlan("p2"), nullptr); }},
        {"in.xml rooms after text", in, Replace("<Rooms><Room>101室</Room><Room>", "<Rooms><Room>101室</Room>x<Room>"), {},
         true, false, {Said(kInError, "文件的列表中夹有文字，其后的内容没有读入：\n<task>/" + in), kProctorKeptIn}, {in, out}},
        {"in.xml huge numbers", in,
         [](const std::string& text) {
             return Replace("teachercount=\"2\"", "teachercount=\"99999999999\"")(
                 Replace("<ClassPolicy>1", "<ClassPolicy>-99999999999")(text));
         },
         {}, true, true, {}, {},
         [](CScheduleTask&, CScheduleProctor& set) {
             EXPECT_EQ(set.data().GetPlan("p1")->teacherCount, 999);
             EXPECT_EQ(static_cast<int>(set.data().GetRule().classPolicy), INT_MIN);
         }},
        {"out.xml cut in the middle", out, CutInTheMiddle(), {}, true, false,
         {Said(kOutError, NotXml(out, "XML 格式错误（第 1 行，第 120 列）：结束标记有误")), kProctorKeptOut}, {in, out}},
        {"out.xml a folder", out, {}, {}, true, false, {Said(kOutError, AFolder(out)), kProctorKeptOut}, {in, out}},
        {"out.xml teachers after a comment", out,
         Replace("<Teacher>王喆</Teacher>", "<Teacher>王喆</Teacher><!-- --><Teacher>张玥</Teacher>"), {}, true, true,
         {}, {},
         [](CScheduleTask&, CScheduleProctor& set) {
             EXPECT_EQ(set.data().GetProctorList()[0]->teachers, (std::vector<std::string>{"王喆", "张玥"}));
         }},
        {"out.xml white space written as a reference between teachers", out,
         Replace("<Teachers><Teacher>王喆</Teacher>", "<Teachers>&#9;&#13;\n<Teacher>王喆</Teacher>"), {}, true, true,
         {}, {},
         [](CScheduleTask&, CScheduleProctor& set) {
             EXPECT_EQ(set.data().GetProctorList()[0]->teachers, std::vector<std::string>{"王喆"});
         }},
        {"out.xml teachers after text", out,
         Replace("<Teacher>王喆</Teacher>", "<Teacher>王喆</Teacher>x<Teacher>张玥</Teacher>"), {}, true, false,
         {Said(kOutError, "文件的列表中夹有文字，其后的内容没有读入：\n<task>/" + out), kProctorKeptOut}, {in, out}},
    };

    const FixedClock clock(kSaveTime);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        std::map<std::string, std::string> files = GoodFiles();
        const std::string taskFile = MakeTaskFolder(dir.path(), Gbk(files["input.xml"]));
        for (const auto& [name, text] : files)
            WriteRaw(dir / name, Gbk(text));
        if (c.edit) {
            WriteRaw(dir / c.file, Gbk(c.edit(files[c.file])));
        } else if (c.raw) {
            WriteRaw(dir / c.file, c.raw(files[c.file]));
        } else {
            ASSERT_TRUE(zem::RemoveFile(dir / c.file));
            ASSERT_TRUE(zem::MakeFolder(dir / c.file));
            WriteRaw(dir / (c.file + "/x"), "x");
        }
        std::map<std::string, std::string> before;
        for (const std::string& name : c.kept)
            before[name] = Contents(dir / name);

        MessageRecorder recorder;
        CScheduleTask task;
        EXPECT_EQ(task.Open(taskFile), c.taskOpens);
        CScheduleProctor set;
        if (c.taskOpens) {
            EXPECT_EQ(set.Open(&task, "期中"), c.setOpens);
            if (c.check)
                c.check(task, set);
            // The saves the program would make next: each either writes what it has or keeps the file.
            EXPECT_EQ(task.SaveOutputData(), !task.IsOutputReadPartial());
            EXPECT_EQ(set.Save(), c.setOpens);
        }
        std::vector<std::string> expected;
        for (const std::string& text : c.messages)
            expected.push_back(zem::ReplaceAll(text, "<task>/", dir / ""));
        EXPECT_EQ(recorder.Texts(), expected);
        for (const std::string& name : c.kept) {
            if (name == c.file) {
                EXPECT_EQ(zem::FolderExists(dir / name), !c.edit && !c.raw) << name;
            }
            EXPECT_EQ(Contents(dir / name), before[name]) << name;
        }
    }
}

}  // namespace
