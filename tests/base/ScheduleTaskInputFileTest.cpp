#include "base/ScheduleTask.h"

#include <gtest/gtest.h>

#include "support/SchoolBuilder.h"
#include "support/TableConsistency.h"
#include "support/TaskDump.h"
#include "testing/generator/SchoolGenerator.h"
#include "platform/Text.h"
#include "support/GbkBytes.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"

#include <functional>
#include <memory>
#include <regex>

namespace {

const char* const kReadError = "读取 input.xml 文件出错！";

// The hand-made file with every section and every optional attribute, as UTF-8 text.
std::string FullFixture()
{
    std::string text;
    EXPECT_TRUE(zem::GbkToUtf8(ReadRaw(std::string(ZEM_TEST_DATA_DIR) + "/input/full.xml"), text));
    return text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

struct Opened {
    std::unique_ptr<CScheduleTask> task = std::make_unique<CScheduleTask>();
    bool ok = false;
    std::vector<std::string> messages;
};

// Opens a task whose input.xml holds the UTF-8 text, written as GBK.
Opened OpenInput(const TempFolder& dir, const std::string& utf8)
{
    MessageRecorder recorder;
    Opened opened;
    opened.ok = opened.task->Open(MakeTaskFolder(dir.path(), Gbk(utf8)));
    opened.messages = recorder.Texts();
    return opened;
}

TEST(InputFile, ReadsEveryPartOfAHandMadeFile)
{
    TempFolder dir;
    Opened opened = OpenInput(dir, FullFixture());
    ASSERT_TRUE(opened.ok);
    EXPECT_TRUE(opened.messages.empty());
    CScheduleTask& task = *opened.task;

    const CSchoolStructure& week = task.GetSchoolStructure();
    EXPECT_EQ(week.GetWeekDayCount(), 5);
    EXPECT_EQ(week.GetSectionNodeMaxCount(1), 3);
    EXPECT_EQ(week.GetWeekNodeCount(), 5 * 7 - 1);  // Friday afternoon has two periods
    EXPECT_EQ(week.GetWeekNodeCountOfReading(), 5);
    EXPECT_EQ(week.GetWeekNodeCountOfSelfStudy(), 10);
    EXPECT_TRUE(week.IsInvalid(4, 1, 2));
    EXPECT_EQ(task.GetActivities().GetMap().at("412"), "全校大扫除");
    EXPECT_TRUE(week.GetCustomPeriodNameList().IsEnabled());
    EXPECT_EQ(week.GetCustomPeriodNameList().Query(0, 0), "第1节\r\n08:00:08:45");
    EXPECT_EQ(week.GetCustomPeriodNameList().Query(4, 0), "晚自习");

    EXPECT_EQ(task.GetSubject("s1")->GetShortName(), "语");
    EXPECT_EQ(task.GetSubject("s1")->GetPriority(), 0);
    EXPECT_EQ(task.GetTeacher("t1")->GetShortName(), "王");
    EXPECT_EQ(task.GetTeacher("t1")->GetPriority(), 2);
    EXPECT_EQ(task.GetTeacherName("t3"), "陈玥瑋");
    const auto* group = static_cast<CTeacherGroupInfo*>(task.GetTeacherGroupInfoList().Find("g1"));
    EXPECT_EQ(group->GetTeacherArray(), (std::vector<std::string>{"t1", "t2"}));
    EXPECT_EQ(group->GetPriority(), 1);
    EXPECT_EQ(task.GetClass("c1")->GetStudentCount(), 45u);
    EXPECT_EQ(task.GetClass("c2")->GetHeadTeacherName(), "李堃");
    EXPECT_EQ(task.GetRoom("r1")->GetCapacity(), 6u);

    const CCourseInfo* k1 = task.FindCourse("k1");
    EXPECT_EQ(k1->GetWeekCount(), CWeekCount(3, true));
    EXPECT_EQ(k1->GetContinuousNodes(), 2);
    EXPECT_EQ(k1->GetContinuousTimes(), 1);
    EXPECT_TRUE(k1->IsMainCourse());
    EXPECT_EQ(k1->GetType(), COURSE_TYPE_PLAN);
    EXPECT_EQ(task.FindCourse("k2")->GetSpecialRoomId(), "r1");
    EXPECT_EQ(task.FindCourse("m1")->GetType(), COURSE_TYPE_MORNING_READING);
    EXPECT_EQ(task.GetSelfStudyInfoList().GetCount(), 1);

    const auto* teacherTimes = static_cast<CFixedTimeOfTeacher*>(task.GetFixedTimeOfTeacherList().Find("t1"));
    EXPECT_EQ(teacherTimes->GetAllFixedTime(), "102,1210,");
    EXPECT_EQ(teacherTimes->GetActivities().GetMap().at("102"), "教研");
    const auto* groupTimes = static_cast<CFixedTimeOfTeacherGroup*>(task.GetFixedTimeOfTeacherGroupList().Find("g1"));
    EXPECT_EQ(groupTimes->GetActivities().GetMap().size(), 2u);
    EXPECT_EQ(static_cast<CNodeListObject*>(task.GetFixedTimeOfClassList().Find("c1"))->GetAllFixedTime(), "312,");
    EXPECT_EQ(static_cast<CNodeListObject*>(task.GetFixedTimeOfSubjectList().Find("s2"))->GetAllFixedTime(), "0,100,200,");
    EXPECT_EQ(static_cast<CNodeListObject*>(task.GetFixedTimeOfCourseList().Find("k1"))->GetAllFixedTime(), "400,");

    const CTaskSetting& setting = task.GetTaskSetting();
    EXPECT_FALSE(setting.GetStrictDistribution());
    EXPECT_FALSE(setting.GetSortByMainCourseType());
    EXPECT_TRUE(setting.GetConcentrateByTeacher());
    EXPECT_FALSE(setting.GetConcentrateSelfstudy());

    ASSERT_NE(task.GetCC("k3"), nullptr);  // the course map was rebuilt
    EXPECT_EQ(task.GetCC("k3")->GetId(), "cc1");
    EXPECT_EQ(static_cast<CCoursePreset*>(task.GetCoursePresetList().Find("k1"))->GetAllFixedTime(), "10,");
    ASSERT_NE(task.GetMutexOfTeacherList().FindTeacherMutexInfo("t3"), nullptr);  // the map was rebuilt
    EXPECT_EQ(*task.GetMutexOfTeacherList().FindTeacherMutexInfo("t3"), std::vector<std::string>{"t1"});
    EXPECT_EQ(task.GetAssistant("k2")->GetAssistants(), std::vector<std::string>{"t1"});
    const auto* team = static_cast<COETeam*>(task.GetOETeamList().Find("oe1"));
    EXPECT_EQ(team->GetOdd(), "k4");
    EXPECT_EQ(team->GetEven(), "k5");
    EXPECT_EQ(task.GetMutexSubject("s2")->GetId(), "ms1");
}

// A whole school with its timetables: saved, reopened and saved again, nothing changes.
TEST(InputFile, GeneratedSchoolSurvivesSaveAndOpen)
{
    TempFolder dir;
    std::unique_ptr<CScheduleTask> school = zemgen::GenerateSchool({"S12", "tight", 7});
    ASSERT_TRUE(school);
    EXPECT_TRUE(zemgen::CheckSchool(*school).empty());
    EXPECT_GT(zemgen::FillTimetables(*school), 400);
    ASSERT_TRUE(TablesConsistent(*school));
    ASSERT_TRUE(zemgen::WriteTaskFolder(*school, dir / "a", "一", "描述"));
    ASSERT_TRUE(school->SaveOutputData());

    // The school lets go of its folder, as a program closing it does.
    const std::string taskFile = school->GetTaskInfo().GetTaskFile();
    // An opened task's working tables are its committed ones.
    school->ReadTempTables();
    const std::string dump = taskdump::Dump(*school);
    school.reset();
    MessageRecorder recorder;
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(taskFile));
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(taskdump::Dump(reopened), dump);
    EXPECT_EQ(reopened.GetTaskInfo().GetDescription(), "描述");

    // Saving the reopened task writes the same bytes again.
    ASSERT_TRUE(zem::MakeFolder(dir / "b"));
    reopened.GetTaskInfo().SetTaskFolder(dir / "b");
    ASSERT_TRUE(reopened.SaveInputData());
    ASSERT_TRUE(reopened.SaveOutputData());
    EXPECT_EQ(ReadRaw(dir / "b/input.xml"), ReadRaw(dir / "a/input.xml"));
    EXPECT_EQ(ReadRaw(dir / "b/output.xml"), ReadRaw(dir / "a/output.xml"));
}

// The program's demo opens as a sound junior middle school without timetables. Opening writes
// the backup list, so a copy is opened.
TEST(InputFile, DemoTaskOpens)
{
    TempFolder dir;
    ASSERT_EQ(zem::CopyFolder(std::string(ZEM_TEST_DATA_DIR) + "/../../resources/demoD", dir.path()), 0);
    MessageRecorder recorder;
    CScheduleTask demo;
    ASSERT_TRUE(demo.Open(dir / "演示排课.zem"));
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(demo.GetTaskInfo().GetTaskName(), "演示排课");
    EXPECT_EQ(demo.GetClassInfoList().GetCount(), 24);
    EXPECT_EQ(demo.GetClassNameA(demo.GetClassInfoList().begin()->first).rfind("初", 0), 0u);
    EXPECT_EQ(zemgen::CheckSchool(demo), std::vector<std::string>{});
    EXPECT_FALSE(zem::FileExists(demo.GetTaskInfo().GetOutputFilePath()));
}

TEST(InputFile, GeneratorIsDeterministic)
{
    std::unique_ptr<CScheduleTask> a = zemgen::GenerateSchool({"J24", "normal", 3});
    std::unique_ptr<CScheduleTask> b = zemgen::GenerateSchool({"J24", "normal", 3});
    std::unique_ptr<CScheduleTask> c = zemgen::GenerateSchool({"J24", "normal", 4});
    EXPECT_EQ(taskdump::Dump(*a), taskdump::Dump(*b));
    EXPECT_NE(taskdump::Dump(*a), taskdump::Dump(*c));
    EXPECT_EQ(zemgen::GenerateSchool({"S99", "normal", 1}), nullptr);
}

TEST(InputFile, WritesTheLayoutOthersRead)
{
    TempFolder dir;
    SchoolBuilder b;
    b.Teacher("t2", "李堃")->SetIndex(0);
    b.Teacher("t1", "王喆", "王")->SetIndex(0);  // same index: the id decides
    b.Teacher("t0", "陈玥")->SetIndex(5);
    b.Room("r1", "操场", 6);
    CCourseInfo* course = b.Course("k1", "c1", "s1", "t1", "3.5", "r1");
    course->SetMainCourse(0);
    course->SetContinuousNodes(2);
    CScheduleTask& task = b.Task();
    task.GetTaskInfo().SetTaskFolder(dir.path());
    ASSERT_TRUE(task.SaveInputData());
    const std::string bytes = ReadRaw(dir / "input.xml");

    EXPECT_EQ(bytes.rfind("<?xml version='1.0' encoding='GB2312'?>", 0), 0u);
    std::vector<std::string> sections;
    std::regex section("\n\t<([A-Za-z]+)");
    for (std::sregex_iterator it(bytes.begin(), bytes.end(), section), end; it != end; ++it)
        sections.push_back((*it)[1]);
    EXPECT_EQ(sections, (std::vector<std::string>{
                            "SchoolStructure", "SubjectInfo", "TeacherInfo", "TeacherGroupInfo", "ClassInfo", "RoomInfo",
                            "SelfStudy", "CourseInfo", "FixedTimeOfTeacher", "FixedTimeOfTeacherGroup",
                            "FixedTimeOfClass", "FixedTimeOfSubject", "FixedTimeOfCourse", "BaseSetting",
                            "CombineCourseInfo", "CoursePreset", "MutexTeacherInfo", "AssistantInfo", "OETeamInfo",
                            "MutexSubjectInfo"}));
    EXPECT_NE(bytes.find("<Course id=\"k1\" class=\"c1\" subject=\"s1\" teacher=\"t1\" maincourse=\"0\" "
                         "weekcount=\"3\" halfnode=\"1\" contnodes=\"2\" conttimes=\"0\" roomstrategy=\"2\" "
                         "roomparam=\"r1\" index=\"0\" />"),
              std::string::npos);
    EXPECT_NE(bytes.find("<Room id=\"r1\" name=\"" + Gbk("操场") + "\" shortname=\"" + Gbk("操场") +
                         "\" capacity2=\"6\" priority=\"1\" index=\"0\" />"),
              std::string::npos);
    // Lists by index, then id; an empty short name is written as the name.
    const std::size_t t0 = bytes.find("id=\"t0\""), t1 = bytes.find("id=\"t1\""), t2 = bytes.find("id=\"t2\"");
    EXPECT_LT(t1, t2);
    EXPECT_LT(t2, t0);
    EXPECT_NE(bytes.find("name=\"" + Gbk("李堃") + "\" shortname=\"" + Gbk("李堃") + "\""), std::string::npos);
    EXPECT_NE(bytes.find("<day index=\"13\" forenoon=\"000000\""), std::string::npos);
    EXPECT_NE(bytes.find("<StrictDistribution>1</StrictDistribution>"), std::string::npos);
}

// Markup characters and characters the code page lacks come back as they were.
TEST(InputFile, AnyTextSurvivesTheFile)
{
    TempFolder dir;
    SchoolBuilder b;
    const std::string name = "吉&<\"𠮷\">'";
    b.Teacher("t&1", name, "𠮷");
    b.Task().GetActivities().AddActivity("412", "升旗 & 广播操");
    b.Task().GetSchoolStructure().SetValue(4, 1, 2, CTimeTable::kInvalid);
    CScheduleTask& task = b.Task();
    const std::string taskFile = MakeTaskFolder(dir.path(), "");
    task.GetTaskInfo().ReadFromFile(taskFile);
    ASSERT_TRUE(task.SaveInputData());
    EXPECT_NE(ReadRaw(dir / "input.xml").find("&#x20BB7;"), std::string::npos);

    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(taskFile, TaskAccess::ReadOnly));
    EXPECT_EQ(reopened.GetTeacherName("t&1"), name);
    EXPECT_EQ(reopened.GetTeacher("t&1")->GetShortName(), "𠮷");
    EXPECT_EQ(reopened.GetActivities().GetMap().at("412"), "升旗 & 广播操");
}

// Each optional attribute or child, removed in turn, gives its default and nothing else fails.
TEST(InputFile, AbsentOptionalPartsTakeTheirDefaults)
{
    struct Case {
        const char* name;
        const char* from;
        const char* to;
        std::function<void(CScheduleTask&)> check;
    };
    const std::vector<Case> cases = {
        {"headteacher", " headteacher=\"王喆\"", "", [](CScheduleTask& t) { EXPECT_EQ(t.GetClass("c1")->GetHeadTeacherName(), ""); }},
        {"capacity2", " capacity2=\"6\"", "", [](CScheduleTask& t) { EXPECT_EQ(t.GetRoom("r1")->GetCapacity(), 1u); }},
        {"halfnode", "weekcount=\"3\" halfnode=\"1\"", "weekcount=\"3\"",
         [](CScheduleTask& t) { EXPECT_EQ(t.FindCourse("k1")->GetWeekCount(), CWeekCount(3, false)); }},
        {"contnodes", "halfnode=\"1\" contnodes=\"2\"", "halfnode=\"1\"",
         [](CScheduleTask& t) { EXPECT_EQ(t.FindCourse("k1")->GetContinuousNodes(), 1); }},
        {"conttimes", "contnodes=\"2\" conttimes=\"1\"", "contnodes=\"2\"",
         [](CScheduleTask& t) { EXPECT_EQ(t.FindCourse("k1")->GetContinuousTimes(), 0); }},
        {"roomstrategy and roomparam", "roomstrategy=\"2\" roomparam=\"r1\" index=\"1\"", "index=\"1\"",
         [](CScheduleTask& t) {
             EXPECT_EQ(t.FindCourse("k2")->GetRoomStrategy(), ROOM_STRATEGY_NONE);
             EXPECT_EQ(t.FindCourse("k2")->GetRoomParam(), "");
         }},
        {"mr", "<day index=\"0\" forenoon=\"111100\" afternoon=\"111000\" night=\"000000\" mr=\"100000\"",
         "<day index=\"0\" forenoon=\"111100\" afternoon=\"111000\" night=\"000000\"",
         // The segment keeps what it had: every period of a new week is open.
         [](CScheduleTask& t) { EXPECT_TRUE(t.GetSchoolStructure().IsValid(0, 3, 1)); }},
        {"activities of a fixed time", "<Activities><Activity node=\"102\" name=\"教研\"/></Activities>", "",
         [](CScheduleTask& t) {
             auto* fixed = static_cast<CFixedTimeOfTeacher*>(t.GetFixedTimeOfTeacherList().Find("t1"));
             EXPECT_TRUE(fixed->GetActivities().GetMap().empty());
             EXPECT_EQ(fixed->GetAllFixedTime(), "102,1210,");
         }},
        {"a base setting", "<ConcentrateByTeacher>1</ConcentrateByTeacher>", "",
         [](CScheduleTask& t) {
             EXPECT_FALSE(t.GetTaskSetting().GetConcentrateByTeacher());  // the default stays
             EXPECT_FALSE(t.GetTaskSetting().GetStrictDistribution());
         }},
        {"the period names", "<PeriodName enable=\"1\"><Name id=\"00\">第1节|08:00：08:45</Name><Name id=\"40\">晚自习</Name></PeriodName>",
         "", [](CScheduleTask& t) { EXPECT_FALSE(t.GetSchoolStructure().GetCustomPeriodNameList().IsEnabled()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        Opened opened = OpenInput(dir, Replaced(FullFixture(), c.from, c.to));
        ASSERT_TRUE(opened.ok);
        EXPECT_TRUE(opened.messages.empty());
        c.check(*opened.task);
    }
}

// A section that is absent leaves its part of the task as it was; the others still read.
TEST(InputFile, AbsentSectionIsSkipped)
{
    const char* sections[] = {
        "SchoolStructure", "SubjectInfo", "TeacherInfo", "TeacherGroupInfo", "ClassInfo", "RoomInfo", "SelfStudy",
        "CourseInfo", "FixedTimeOfTeacher", "FixedTimeOfTeacherGroup", "FixedTimeOfClass", "FixedTimeOfSubject",
        "FixedTimeOfCourse", "BaseSetting", "CombineCourseInfo", "CoursePreset", "MutexTeacherInfo", "AssistantInfo",
        "OETeamInfo", "MutexSubjectInfo"};
    const std::string full = FullFixture();
    for (const char* section : sections) {
        SCOPED_TRACE(section);
        const std::string open = std::string("<") + section + ">";
        const std::string close = std::string("</") + section + ">";
        std::string text = full;
        const std::size_t from = text.find(open);
        const std::size_t to = text.find(close, from);
        ASSERT_NE(to, std::string::npos);
        text.erase(from, to + close.size() - from);

        TempFolder dir;
        Opened opened = OpenInput(dir, text);
        ASSERT_TRUE(opened.ok);
        EXPECT_TRUE(opened.messages.empty());
        CScheduleTask& task = *opened.task;
        const std::string name = section;
        if (name == "SchoolStructure") {
            EXPECT_EQ(task.GetSchoolStructure().GetWeekDayCount(), 10);  // a new task's week
        } else {
            EXPECT_EQ(task.GetSchoolStructure().GetWeekDayCount(), 5);
        }
        if (name == "BaseSetting") {
            EXPECT_TRUE(task.GetTaskSetting().GetStrictDistribution());
        } else if (name == "SubjectInfo") {
            EXPECT_EQ(task.GetSubject("s1"), nullptr);
            EXPECT_TRUE(task.GetMutexSubjectList().IsEmpty());  // they name no subject now
        } else if (name == "CombineCourseInfo") {
            EXPECT_EQ(task.GetCC("k2"), nullptr);
        } else if (name == "MutexSubjectInfo") {
            EXPECT_EQ(task.GetMutexSubject("s1"), nullptr);
        }
        if (name != "MutexSubjectInfo" && name != "SubjectInfo") {
            EXPECT_NE(task.GetMutexSubjectList().Find("ms1"), nullptr);  // the last section is still read
        }
    }
}

TEST(InputFile, MissingRequiredAttributeFailsTheOpening)
{
    struct Case {
        const char* from;
        const char* to;
        const char* missing;  // the attribute the message names
    };
    const Case cases[] = {
        {"<Subject id=\"s2\" name=\"体育\" shortname=\"体育\" priority=\"1\"", "<Subject id=\"s2\" name=\"体育\" shortname=\"体育\"",
         "priority"},
        {"<day index=\"3\" forenoon=\"111100\"", "<day index=\"3\"", "forenoon"},
        {"<Activity node=\"412\"", "<Activity", "node"},
        {"<PeriodName enable=\"1\">", "<PeriodName>", "enable"},
        {"<Class id=\"c2\" name=\"初一(2)班\" shortname=\"初一2\" studentcount=\"44\"", "<Class id=\"c2\" name=\"初一(2)班\" shortname=\"初一2\"",
         "studentcount"},
        {"weekcount=\"2\" halfnode=\"0\" contnodes=\"1\" conttimes=\"0\" roomstrategy=\"2\" roomparam=\"r1\" index=\"2\"",
         "weekcount=\"2\" halfnode=\"0\" contnodes=\"1\" conttimes=\"0\" roomstrategy=\"2\" roomparam=\"r1\"", "index"},
        {"<FixedTime id=\"c1\" time=\"312,\"", "<FixedTime id=\"c1\"", "time"},
        {"<Activity node=\"110\" name=\"教研活动\"/>", "<Activity node=\"110\"/>", "name"},
        {"odd=\"k4\" even=\"k5\"", "odd=\"k4\"", "even"},
        {"<MutexSubject id=\"ms1\" index=\"0\">", "<MutexSubject id=\"ms1\">", "index"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        TempFolder dir;
        Opened opened = OpenInput(dir, Replaced(FullFixture(), c.from, c.to));
        EXPECT_FALSE(opened.ok);
        EXPECT_EQ(opened.messages, std::vector<std::string>{zem::Format("%s\n\n文件中有元素缺少属性“%s”：\n%s", kReadError,
                                                                        c.missing, (dir / "input.xml").c_str())});
    }

    // What was read before the fault stays in the task.
    TempFolder dir;
    Opened opened = OpenInput(dir, Replaced(FullFixture(), cases[0].from, cases[0].to));
    EXPECT_NE(opened.task->GetSubject("s1"), nullptr);
    EXPECT_EQ(opened.task->GetSubject("s2"), nullptr);
}

TEST(InputFile, MissingOrDamagedFileIsReported)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string reason;  // "%s" stands for the file
    };
    const Case cases[] = {
        {"missing", "", "找不到文件：%s"},
        {"not XML", "这不是 XML", "无法读取 XML 文件：%s\n文件编码有误：不是 GBK 编码的文本（第 1 行，第 5 列）"},
        {"cut short", Gbk(FullFixture().substr(0, 900)), "无法读取 XML 文件：%s\nXML 格式错误（第 13 行，第 72 列）：属性有误"},
        {"no Input element", "<?xml version='1.0'?><Output/>", "文件中没有 Input 元素：\n%s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        MessageRecorder recorder;
        CScheduleTask task;
        EXPECT_FALSE(task.Open(MakeTaskFolder(dir.path(), c.bytes)));
        EXPECT_EQ(recorder.Texts(), std::vector<std::string>{std::string(kReadError) + "\n\n" +
                                                             zem::ReplaceAll(c.reason, "%s", dir / "input.xml")});
        EXPECT_EQ(recorder.messages[0].icon, zem::MessageIcon::Error);
    }
}

TEST(InputFile, OlderFilesAndHandEditedOnes)
{
    // The older attribute for a block's length, and the older period names.
    std::string text = Replaced(FullFixture(), "contnodes=\"2\"", "sequencenumber=\"2\"");
    text = Replaced(text, "contnodes=\"1\" conttimes=\"0\" roomstrategy=\"2\" roomparam=\"r1\" index=\"1\"",
                    "sequencenumber=\"0\" conttimes=\"0\" roomstrategy=\"2\" roomparam=\"r1\" index=\"1\"");
    text = Replaced(text, "<PeriodName enable=\"1\"><Name id=\"00\">第1节|08:00：08:45</Name><Name id=\"40\">晚自习</Name></PeriodName>",
                    "<SectionName type=\"1\" nssNumber=\"1\"><Section>A</Section><X>B</X><Section>C</Section><Section>D</Section>"
                    "<Section>E</Section><Section>F</Section><Section>G</Section><Section>H</Section></SectionName>");
    // A comment inside a list is passed over; a day beyond the week changes nothing.
    text = Replaced(text, "</TeacherInfo>", "<!-- 停 --><Teacher id=\"t9\" name=\"赵琝\" shortname=\"赵\" priority=\"1\" index=\"3\"/></TeacherInfo>");
    text = Replaced(text, "<day index=\"13\"", "<day index=\"14\" forenoon=\"111111\" afternoon=\"111111\" night=\"111111\"/><day index=\"13\"");
    // A teacher without an id is dropped; a repeated id leaves the later one.
    text = Replaced(text, "<Teacher id=\"t2\"", "<Teacher id=\"\" name=\"无名\" shortname=\"\" priority=\"1\" index=\"8\"/>"
                                             "<Teacher id=\"t1\" name=\"后来者\" shortname=\"\" priority=\"1\" index=\"9\"/><Teacher id=\"t2\"");
    // The settings written as attributes of their section.
    text = Replaced(text, "<BaseSetting>", "<BaseSetting StrictDistribution=\"1\" ConcentrateSelfstudy=\"1\" "
                                           "SortByMainCourseType=\"1\" ConcentrateByTeacher=\"0\">");
    text = Replaced(text, "<StrictDistribution>0</StrictDistribution>", "");

    TempFolder dir;
    Opened opened = OpenInput(dir, text);
    ASSERT_TRUE(opened.ok);
    CScheduleTask& task = *opened.task;
    EXPECT_EQ(task.FindCourse("k1")->GetContinuousNodes(), 2);
    EXPECT_EQ(task.FindCourse("k2")->GetContinuousNodes(), 1);

    const CPeriodNameList& names = task.GetSchoolStructure().GetCustomPeriodNameList();
    EXPECT_TRUE(names.IsEnabled());
    EXPECT_EQ(names.Query(0, 0), "第 1 节\r\nA");
    EXPECT_EQ(names.Query(0, 1), "第 2 节\r\nB");
    EXPECT_EQ(names.Query(1, 0), "第 5 节\r\nE");
    EXPECT_EQ(names.Query(1, 2), "第 7 节\r\nG");  // H finds no period
    EXPECT_EQ(names.Query(4, 1), "自2");
    EXPECT_EQ(names.Query(3, 0), "");

    EXPECT_NE(task.GetTeacher("t3"), nullptr);
    EXPECT_NE(task.GetTeacher("t9"), nullptr);
    EXPECT_EQ(task.GetTeacherInfoList().GetCount(), 4);
    EXPECT_EQ(task.GetTeacherName("t1"), "后来者");
    EXPECT_FALSE(task.GetSchoolStructure().IsDayInUse(13));
    EXPECT_EQ(task.GetSchoolStructure().GetWeekDayCount(), 5);

    // A child element wins over an attribute; an attribute stands in for a missing child.
    EXPECT_TRUE(task.GetTaskSetting().GetStrictDistribution());
    EXPECT_FALSE(task.GetTaskSetting().GetSortByMainCourseType());
    EXPECT_TRUE(task.GetTaskSetting().GetConcentrateByTeacher());
}

TEST(InputFile, NumbersAreKeptInRange)
{
    struct Case {
        const char* from;
        const char* to;
        std::function<void(CScheduleTask&)> check;
    };
    const std::vector<Case> cases = {
        {"capacity2=\"6\"", "capacity2=\"-1\"", [](CScheduleTask& t) { EXPECT_EQ(t.GetRoom("r1")->GetCapacity(), 1u); }},
        {"capacity2=\"6\"", "capacity2=\"4294967295\"", [](CScheduleTask& t) { EXPECT_EQ(t.GetRoom("r1")->GetCapacity(), 999u); }},
        {"studentcount=\"45\"", "studentcount=\"-3\"", [](CScheduleTask& t) { EXPECT_EQ(t.GetClass("c1")->GetStudentCount(), 0u); }},
        {"weekcount=\"3\"", "weekcount=\"99999999999\"",
         [](CScheduleTask& t) { EXPECT_EQ(t.FindCourse("k1")->GetWeekCount().GetWholeCount(), zem::kSlotCount); }},
        {"weekcount=\"3\"", "weekcount=\"-2\"", [](CScheduleTask& t) { EXPECT_EQ(t.FindCourse("k1")->GetWeekCount(), CWeekCount(0, true)); }},
        {"conttimes=\"1\"", "conttimes=\"-7\"", [](CScheduleTask& t) { EXPECT_EQ(t.FindCourse("k1")->GetContinuousTimes(), 0); }},
        {"contnodes=\"2\"", "contnodes=\" 2abc\"", [](CScheduleTask& t) { EXPECT_EQ(t.FindCourse("k1")->GetContinuousNodes(), 2); }},
        {"priority=\"2\"", "priority=\"9\"", [](CScheduleTask& t) { EXPECT_EQ(t.GetTeacher("t1")->GetPriority(), 2); }},
        {"type=\"1\"", "type=\"-4\"", [](CScheduleTask& t) { EXPECT_EQ(t.FindCourse("m1")->GetType(), COURSE_TYPE_PLAN); }},
        {"<forenoon>4</forenoon>", "<forenoon>7</forenoon>",
         [](CScheduleTask& t) { EXPECT_EQ(t.GetSchoolStructure().GetSectionNodeMaxCount(0), 4); }},  // a new week's count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        TempFolder dir;
        Opened opened = OpenInput(dir, Replaced(FullFixture(), c.from, c.to));
        ASSERT_TRUE(opened.ok);
        c.check(*opened.task);
    }
}

}  // namespace
