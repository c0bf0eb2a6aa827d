#include "base/ScheduleProctor.h"

#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "support/GbkBytes.h"
#include "support/MessageRecorder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using DateTime = CProctorData::DateTime;

// A task that lives in the folder, as far as its invigilation data is concerned.
struct TaskIn {
    explicit TaskIn(const TempFolder& dir) : TaskIn(dir.path()) {}
    explicit TaskIn(const std::string& folder)
    {
        EXPECT_TRUE(zem::MakeFolder(folder));
        task.GetTaskInfo().SetTaskFolder(folder);
    }
    CScheduleTask task;
};

void AddPlan(CProctorData& data, const std::string& id, DateTime date, DateTime start, DateTime end,
             const std::string& subject, std::vector<std::string> rooms, int teacherCount)
{
    auto plan = std::make_unique<CProctorData::Plan>();
    *plan = {id, date, start, end, subject, std::move(rooms), teacherCount};
    data.GetPlanList().push_back(std::move(plan));
}

void AddItem(CProctorData& data, const std::string& id, const std::string& plan, const std::string& room,
             std::vector<std::string> teachers)
{
    auto item = std::make_unique<CProctorData::ProctorItem>();
    *item = {id, plan, room, std::move(teachers)};
    data.GetProctorList().push_back(std::move(item));
}

// Three exams in three rooms each, two teachers per room.
void FillExams(CProctorData& data)
{
    const std::vector<std::string> rooms = {"101教室", "102教室", "实验楼&3"};
    AddPlan(data, "p1", {2024, 6, 5}, {0, 0, 0, 8, 30, 0}, {0, 0, 0, 10, 0, 0}, "语文", rooms, 2);
    AddPlan(data, "p2", {2024, 6, 5}, {0, 0, 0, 14, 0, 0}, {0, 0, 0, 16, 0, 0}, "数学", rooms, 2);
    AddPlan(data, "p3", {2024, 12, 31}, {0, 0, 0, 8, 0, 5}, {0, 0, 0, 9, 30, 0}, "英语", rooms, 3);
    data.GetTeacherArray() = {"王喆", "李堃", "张玥", "陈瑋", "赵琝", "𠮷田"};
    data.GetRule() = {CProctorData::Policy::Indifferent, CProctorData::Policy(3)};
    int n = 0;
    for (const char* plan : {"p1", "p2", "p3"})
        for (const std::string& room : rooms)
            AddItem(data, "i" + std::to_string(++n), plan, room, {"王喆", n % 2 ? "李堃" : "张玥"});
}

void ExpectSameData(const CProctorData& a, const CProctorData& b)
{
    ASSERT_EQ(a.GetPlanList().size(), b.GetPlanList().size());
    for (std::size_t i = 0; i < a.GetPlanList().size(); ++i) {
        const CProctorData::Plan &x = *a.GetPlanList()[i], &y = *b.GetPlanList()[i];
        SCOPED_TRACE(x.id);
        EXPECT_EQ(x.id, y.id);
        EXPECT_EQ(x.date, y.date);
        EXPECT_EQ(x.startTime, y.startTime);
        EXPECT_EQ(x.endTime, y.endTime);
        EXPECT_EQ(x.subject, y.subject);
        EXPECT_EQ(x.rooms, y.rooms);
        EXPECT_EQ(x.teacherCount, y.teacherCount);
    }
    EXPECT_EQ(a.GetTeacherArray(), b.GetTeacherArray());
    EXPECT_EQ(a.GetRule().classPolicy, b.GetRule().classPolicy);
    EXPECT_EQ(a.GetRule().subjectPolicy, b.GetRule().subjectPolicy);
    ASSERT_EQ(a.GetProctorList().size(), b.GetProctorList().size());
    for (std::size_t i = 0; i < a.GetProctorList().size(); ++i) {
        const CProctorData::ProctorItem &x = *a.GetProctorList()[i], &y = *b.GetProctorList()[i];
        EXPECT_EQ(x.id, y.id);
        EXPECT_EQ(x.plan, y.plan);
        EXPECT_EQ(x.room, y.room);
        EXPECT_EQ(x.teachers, y.teachers);
    }
}

TEST(ScheduleProctor, ExamsRoundTripThroughBothFiles)
{
    TempFolder dir;
    TaskIn t(dir);
    MessageRecorder recorder;
    CScheduleProctor proctor;
    ASSERT_TRUE(proctor.Open(&t.task, "期末考试"));
    FillExams(proctor.data());
    ASSERT_TRUE(proctor.Save());

    const std::string in = ReadRaw(dir / "proctor/期末考试/in.xml");
    const std::string out = ReadRaw(dir / "proctor/期末考试/out.xml");
    EXPECT_EQ(in.rfind("<?xml version='1.0' encoding='GB2312'?>", 0), 0u);
    EXPECT_NE(in.find("<Plan id=\"p1\" date=\"05 June 2024\" starttime=\"08:30:00\" endtime=\"10:00:00\" subject=\"" +
                      Gbk("语文") + "\" teachercount=\"2\">"),
              std::string::npos);
    EXPECT_NE(in.find("<Room>" + Gbk("实验楼") + "&amp;3</Room>"), std::string::npos);
    EXPECT_NE(in.find("<Teacher>&#x20BB7;" + Gbk("田") + "</Teacher>"), std::string::npos);
    EXPECT_NE(in.find("<Rule>\r\n\t\t<ClassPolicy>0</ClassPolicy>\r\n\t\t<SubjectPolicy>3</SubjectPolicy>"),
              std::string::npos);
    EXPECT_NE(out.find("<Item id=\"i4\" plan=\"p2\" room=\"101" + Gbk("教室") + "\">\r\n\t\t\t<Teachers>"),
              std::string::npos);

    CScheduleProctor reopened;
    ASSERT_TRUE(reopened.Open(&t.task, "期末考试"));
    ExpectSameData(proctor.data(), reopened.data());
    EXPECT_EQ(reopened.data().GetPlan("p3")->rooms[2], "实验楼&3");
    EXPECT_EQ(reopened.data().GetPlan("p9"), nullptr);
    EXPECT_TRUE(recorder.messages.empty());

    // Saved again unchanged, both files keep their bytes.
    ASSERT_TRUE(reopened.Save());
    EXPECT_EQ(ReadRaw(dir / "proctor/期末考试/in.xml"), in);
    EXPECT_EQ(ReadRaw(dir / "proctor/期末考试/out.xml"), out);
}

TEST(ScheduleProctor, NewSetStartsEmptyAndAnEmptyOneRoundTrips)
{
    TempFolder dir;
    TaskIn t(dir);
    CScheduleProctor proctor;
    // Neither the proctor folder nor the set's exists yet.
    ASSERT_TRUE(proctor.Open(&t.task));
    EXPECT_EQ(proctor.GetName(), "未命名的监考");
    EXPECT_TRUE(zem::FolderExists(dir / "proctor/未命名的监考"));
    EXPECT_TRUE(proctor.data().GetPlanList().empty());
    EXPECT_EQ(proctor.data().GetRule().classPolicy, CProctorData::Policy::Avoid);
    EXPECT_EQ(proctor.data().GetRule().subjectPolicy, CProctorData::Policy::PreferOne);

    proctor.data().GetRule().classPolicy = CProctorData::Policy(4);
    ASSERT_TRUE(proctor.Save());
    EXPECT_NE(ReadRaw(dir / "proctor/未命名的监考/in.xml").find("<PlanInfo />"), std::string::npos);
    CScheduleProctor reopened;
    ASSERT_TRUE(reopened.Open(&t.task, "未命名的监考"));
    EXPECT_TRUE(reopened.data().GetPlanList().empty());
    EXPECT_EQ(reopened.data().GetRule().classPolicy, CProctorData::Policy(4));
    EXPECT_EQ(reopened.data().GetRule().subjectPolicy, CProctorData::Policy::PreferOne);

    EXPECT_FALSE(CScheduleProctor().Open(nullptr, "x"));
}

// A date in Chinese, a time with its half of the day and an empty end time, as in.xml holds them.
TEST(ScheduleProctor, DatesAndTimesReadFromInXml)
{
    TempFolder dir;
    TaskIn t(dir);
    WriteRaw(dir / "proctor/月考/in.xml",
             Gbk("<?xml version='1.0' encoding='GB2312'?><Input><PlanInfo>"
                 "<Plan id=\"p1\" date=\"2024年6月5日\" starttime=\"下午2:30\" endtime=\"\" subject=\"物理\" "
                 "teachercount=\"99999999999\"/></PlanInfo></Input>"));
    CScheduleProctor proctor;
    ASSERT_TRUE(proctor.Open(&t.task, "月考"));
    const CProctorData::Plan* plan = proctor.data().GetPlan("p1");
    ASSERT_NE(plan, nullptr);
    EXPECT_EQ(plan->date, (DateTime{2024, 6, 5}));
    EXPECT_EQ(plan->startTime, (DateTime{0, 0, 0, 14, 30, 0}));
    EXPECT_EQ(plan->endTime, DateTime{});
    EXPECT_EQ(plan->teacherCount, 999);
}

TEST(ScheduleProctor, EmptyNameIsRefusedAndNothingWritten)
{
    TempFolder dir;
    TaskIn t(dir);
    CScheduleProctor proctor;
    ASSERT_TRUE(proctor.Open(&t.task, "月考"));
    FillExams(proctor.data());
    proctor.SetName("");
    MessageRecorder recorder;
    EXPECT_FALSE(proctor.Save());
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"监考名称不能为空"});
    EXPECT_EQ(recorder.messages[0].icon, zem::MessageIcon::Information);
    EXPECT_FALSE(zem::FileExists(dir / "proctor/in.xml"));
    EXPECT_FALSE(zem::FileExists(dir / "proctor/月考/in.xml"));
}

// A name becomes a folder: it may not leave the proctor folder or be unusable on Windows.
TEST(ScheduleProctor, UnsafeNamesAreRefused)
{
    struct Case {
        const char* name;
        const char* message;
    };
    const Case cases[] = {
        {"../逃逸", "名称“../逃逸”中不能含有下列字符：\\ / : * ? \" < > |"},
        {"/tmp/逃逸", "名称“/tmp/逃逸”中不能含有下列字符：\\ / : * ? \" < > |"},
        {"a\\b", "名称“a\\b”中不能含有下列字符：\\ / : * ? \" < > |"},
        {"期中:一", "名称“期中:一”中不能含有下列字符：\\ / : * ? \" < > |"},
        {"..", "名称“..”中不能含有“..”。"},
        {"期中 ", "名称“期中 ”不能以点或空格结尾。"},
        {"期中.", "名称“期中.”不能以点或空格结尾。"},
        {"con", "“con”是系统保留的名称，不能使用。"},
        {"LPT1.txt", "“LPT1.txt”是系统保留的名称，不能使用。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        const std::string task = dir / "task/";
        TaskIn t(task);
        MessageRecorder recorder;
        CScheduleProctor proctor;
        EXPECT_FALSE(proctor.Open(&t.task, c.name));
        FillExams(proctor.data());
        EXPECT_FALSE(proctor.Save());
        EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{c.message, c.message}));
        // Nothing was made anywhere: not beside the task, not inside it.
        std::vector<zem::FolderEntry> entries;
        ASSERT_TRUE(zem::ListFolder(dir.path(), entries));
        EXPECT_EQ(entries.size(), 1u);
        ASSERT_TRUE(zem::ListFolder(task, entries));
        EXPECT_TRUE(entries.empty());
    }
}

TEST(ScheduleProctor, SaveIntoATaskFolderThatWasMoved)
{
    TempFolder dir;
    const std::string task = dir / "task/";
    TaskIn t(task);
    CScheduleProctor proctor;
    ASSERT_TRUE(proctor.Open(&t.task, "月考"));
    ASSERT_TRUE(zem::RemoveFolder(task));

    MessageRecorder recorder;
    EXPECT_FALSE(proctor.Save());
    EXPECT_EQ(recorder.Texts(),
              std::vector<std::string>{"保存出错！\n\n监考数据文件夹不存在，可能已被改名或移动：\n" + task + "proctor/月考"});
    EXPECT_EQ(recorder.messages[0].icon, zem::MessageIcon::Error);
    EXPECT_FALSE(zem::FolderExists(task));  // not made anew
}

}  // namespace
