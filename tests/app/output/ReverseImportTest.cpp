// The reverse import of a class master timetable: the preview's verdicts, what cells become, the
// demonstration school's master timetable read back, and the preview dialog.
// Before any Qt header, whose "slots" it would meet.
#include "support/EngineRun.h"

#include "app/output/import/ReverseImport.h"
#include "app/output/import/ReverseImportDlg.h"

#include "support/BasicDataTestSupport.h"
#include "support/CheckExceptions.h"
#include "support/FakeAppServices.h"
#include "support/MessageRecorder.h"
#include "support/ScreenTestSupport.h"
#include "support/KillAt.h"
#include "support/ModalScope.h"
#include "support/SchoolBuilder.h"
#include "support/ShellTestSupport.h"
#include "support/TaskLines.h"
#include "support/TempFolder.h"
#include "support/WriteFault.h"

#include "app/output/PageLayout.h"
#include "app/output/TimetableExport.h"
#include "app/output/workbook/Workbook.h"
#include "app/output/workbook/XlsxWriter.h"
#include "app/shell/NewTaskDlg.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/BasicData.h"
#include "base/ScheduleTask.h"
#include "base/Segment.h"
#include "base/TaskFolder.h"
#include "base/TaskLimits.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/FileDialogs.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using zem::gui::Dialog;
using zem::import::CMasterSheet;
using zem::import::MasterVerdict;
using zem::workbook::CellValue;
using zem::workbook::SheetData;

CellValue Text(const std::string& text)
{
    return CellValue{CellValue::Type::Text, text, 0};
}

// A sheet across: "星期" and "节次" in column A, the day titles over their first period, the
// periods numbered; then one row per entry, its name in column A (empty: the class above's second
// row) and its cells from column B.
struct ClassLine {
    std::string name;
    std::vector<std::string> cells;
};
SheetData Across(int days, int perDay, const std::vector<ClassLine>& lines = {})
{
    static const char* const kDays[] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"};
    SheetData sheet;
    sheet.Set(1, 1, Text("星期"));
    sheet.Set(2, 1, Text("节次"));
    for (int d = 0; d < days; ++d) {
        sheet.Set(1, 2 + d * perDay, Text(kDays[d % 7]));
        for (int k = 0; k < perDay; ++k)
            sheet.Set(2, 2 + d * perDay + k, CellValue{CellValue::Type::Number, {}, static_cast<double>(k + 1)});
    }
    int row = 3;
    for (const ClassLine& line : lines) {
        sheet.Set(row, 1, Text(line.name));
        for (std::size_t i = 0; i < line.cells.size(); ++i)
            sheet.Set(row, 2 + static_cast<int>(i), Text(line.cells[i]));
        ++row;
    }
    return sheet;
}

// Days 0-4, four forenoon and four afternoon periods, and a morning-reading period when asked.
std::unique_ptr<CScheduleTask> WeekTask(bool morningReading = false)
{
    auto task = std::make_unique<CScheduleTask>();
    CSchoolStructure& week = task->GetSchoolStructure();
    for (int day = 0; day < zem::kDayCount; ++day)
        week.SetWeekDay(day, day < 5);
    week.SetSectionNodeMaxCount(0, 4, true);
    week.SetSectionNodeMaxCount(1, 4, true);
    week.SetSectionNodeMaxCount(2, 0, true);
    week.SetSectionNodeMaxCount(3, morningReading ? 1 : 0, true);
    week.SetSectionNodeMaxCount(4, 0, true);
    week.RefreshData();
    return task;
}

TEST(ReverseImportPreview, VerdictsOfTheTeachingTime)
{
    struct Case {
        const char* what;
        int days, perDay;
        MasterVerdict verdict;
    };
    const Case cases[] = {
        {"5 days of 8 against 5 x 8", 5, 8, MasterVerdict::Matches},
        {"6 days against 5", 6, 8, MasterVerdict::Differs},
        {"5 days of 7 against 8", 5, 7, MasterVerdict::Differs},
        {"20 day titles: not laid out across", 20, 2, MasterVerdict::NotAcross},
        {"one period a day: not laid out across", 5, 1, MasterVerdict::NotAcross},
    };
    const auto task = WeekTask();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CMasterSheet sheet(Across(c.days, c.perDay, {{"高一1班", {"语文"}}, {"高一2班", {"数学"}}}));
        const auto preview = zem::import::PreviewMasterSheet(sheet);
        EXPECT_EQ(preview.days, c.days);
        EXPECT_EQ(preview.periods, c.days * c.perDay);
        EXPECT_EQ(preview.classes, (std::vector<std::string>{"高一1班", "高一2班"}));
        EXPECT_EQ(zem::import::JudgeMasterSheet(preview, task->GetSchoolStructure()), c.verdict);
    }
    EXPECT_STREQ(zem::import::MasterVerdictText(MasterVerdict::NotAcross),
                 "您的Excel文件可能不是横排的班级总课表格式，请检查");
}

TEST(ReverseImportPreview, ATitleRowAboveAndAnEmptyColumnBesideAreSkipped)
{
    SheetData sheet;
    sheet.Set(1, 3, Text("全校班级总课表"));
    const SheetData across = Across(5, 8, {{"高一1班", {"语文"}}});
    across.ForEachCell([&](int row, int column, const CellValue& value) { sheet.Set(row + 1, column + 1, value); });
    const CMasterSheet master(std::move(sheet));
    EXPECT_EQ(master.HeaderRow(), 2);
    EXPECT_EQ(master.FirstColumn(), 2);
    const auto task = WeekTask();
    EXPECT_EQ(zem::import::JudgeMasterSheet(zem::import::PreviewMasterSheet(master), task->GetSchoolStructure()),
              MasterVerdict::Matches);
}

// A task of one morning-reading, eight lesson and two self-study periods a day against sheets of five days titled
// as offices title them: the periods match by their count, the titles only where they name a kind, and what
// differs is said.
TEST(ReverseImportPreview, PeriodsMatchByTheirCountAndTitlesByTheirKind)
{
    const auto task = WeekTask(true);
    CSchoolStructure& week = task->GetSchoolStructure();
    week.SetSectionNodeMaxCount(zem::kEveningStudy, 2, true);
    week.RefreshData();
    auto numbered = [](int from, int to) {
        std::vector<std::string> titles;
        for (int n = from; n <= to; ++n)
            titles.push_back(std::to_string(n));
        return titles;
    };
    auto with = [&](std::vector<std::string> before, std::vector<std::string> middle, std::vector<std::string> after) {
        before.insert(before.end(), middle.begin(), middle.end());
        before.insert(before.end(), after.begin(), after.end());
        return before;
    };
    struct Case {
        const char* what;
        std::vector<std::string> titles;  // of one day
        MasterVerdict verdict;
        bool selfStudyShown;
        const char* difference;  // the start of what is said of a sheet that differs
    };
    const Case cases[] = {
        {"as the program writes it", with({"早"}, numbered(1, 8), {"自", "自"}), MasterVerdict::Matches, true, ""},
        {"self-study numbered", with({"早"}, numbered(1, 8), {"自1", "自2"}), MasterVerdict::Matches, true, ""},
        {"self-study as the evening", with({"早"}, numbered(1, 8), {"晚1", "晚2"}), MasterVerdict::Matches, true, ""},
        {"without them, as by default", numbered(1, 8), MasterVerdict::Matches, false, ""},
        {"every period numbered", numbered(1, 11), MasterVerdict::Matches, true, ""},
        {"a lesson where the self-study is", with({"早"}, numbered(1, 9), {"自"}), MasterVerdict::Differs, true,
         "每天第 10 个节次的标题是“9”，当前排课任务的这个节次是晚自习"},
        {"morning reading at the end", with(numbered(1, 8), {"自", "自"}, {"早"}), MasterVerdict::Differs, true,
         "每天第 1 个节次的标题是“1”，当前排课任务的这个节次是早读"},
        {"nine periods", numbered(1, 9), MasterVerdict::Differs, true, "Excel文件中上课 5 天、每天 9 个节次"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SheetData sheet = Across(5, static_cast<int>(c.titles.size()));
        for (int day = 0; day < 5; ++day)
            for (std::size_t k = 0; k < c.titles.size(); ++k)
                sheet.Set(2, 2 + day * static_cast<int>(c.titles.size()) + static_cast<int>(k), Text(c.titles[k]));
        const auto preview = zem::import::PreviewMasterSheet(CMasterSheet(std::move(sheet)));
        EXPECT_EQ(zem::import::JudgeMasterSheet(preview, week), c.verdict);
        if (c.verdict == MasterVerdict::Matches)
            EXPECT_EQ(zem::import::MasterShowsSelfStudy(preview, week), c.selfStudyShown);
        else
            EXPECT_EQ(zem::import::MasterDifferenceText(preview, week).rfind(c.difference, 0), 0u)
                << zem::import::MasterDifferenceText(preview, week);
    }
}

// The lessons the class has in the working timetable, "subject/teacher/room" per half, by slot.
std::string LessonAt(CScheduleTask& task, const std::string& className, const tagTABLE_NODE& node, int half)
{
    auto* cls = static_cast<CClassInfo*>(task.GetClassInfoList().FindByName(className));
    if (!cls)
        return "no class";
    const CCourseTableNode& cell = cls->GetTempTable().GetNode(node);
    const CCourseInfo* plan = task.FindCourse(cell.data(half).GetCourseId());
    if (!plan)
        return {};
    std::string text = task.GetSubject(plan->GetSubjectId())->GetName() + "/" +
                       task.GetTeacher(plan->GetTeacherId())->GetName();
    if (const CRoomInfo* room = task.GetRoom(cell.data(half).GetRoomId()))
        text += "/" + room->GetName();
    return text;
}

std::vector<std::string> Plans(CScheduleTask& task, CZemObjectList& list)
{
    std::vector<std::string> plans;
    std::vector<CCourseInfo*> all;
    for (const auto& [id, object] : list) {
        auto* plan = static_cast<CCourseInfo*>(object);
        std::string text = task.GetClass(plan->GetClassId())->GetName() + " " +
                           task.GetSubject(plan->GetSubjectId())->GetName() + " " +
                           task.GetTeacher(plan->GetTeacherId())->GetName() + " " + plan->GetWeekCount().ToString();
        if (!plan->GetSpecialRoomId().empty())
            text += " " + task.GetRoom(plan->GetSpecialRoomId())->GetName();
        if (plan->GetType() != COURSE_TYPE_PLAN)
            text += " type" + std::to_string(plan->GetType());
        plans.push_back(text);
    }
    std::sort(plans.begin(), plans.end());
    return plans;
}

TEST(ReverseImport, WhatTheCellsBecome)
{
    struct Case {
        const char* what;
        bool morningReading;
        std::vector<ClassLine> lines;
        std::function<void(SheetData&)> merge;
        std::vector<std::string> plans;
        std::vector<std::string> selfStudy;
        std::function<void(CScheduleTask&, const std::vector<std::string>& log)> check;
    };
    const std::vector<Case> cases = {
        {"a class on two rows: odd weeks above, even weeks below, each a plan of 0.5", false,
         {{"高一1班", {"语文"}}, {"", {"数学"}}}, {},
         {"高一1班 数学 高一1班数学 0.5", "高一1班 语文 高一1班语文 0.5"}, {},
         [](CScheduleTask& task, const std::vector<std::string>&) {
             EXPECT_EQ(LessonAt(task, "高一1班", {0, 0, 0}, 1), "语文/高一1班语文");
             EXPECT_EQ(LessonAt(task, "高一1班", {0, 0, 0}, 2), "数学/高一1班数学");
         }},
        {"a subject alone is taught by the class's teacher of it", false, {{"高一1班", {"语文"}}}, {},
         {"高一1班 语文 高一1班语文 1"}, {}, {}},
        {"subject, line break, teacher and room: a room of one place, a plan with that room", false,
         {{"高一1班", {"语文\n张三（302）", "物理\n李 四(实验室)"}}}, {},
         {"高一1班 物理 李四 1 实验室", "高一1班 语文 张三 1 302"}, {},
         [](CScheduleTask& task, const std::vector<std::string>&) {
             auto* room = static_cast<CRoomInfo*>(task.GetRoomInfoList().FindByName("302"));
             ASSERT_NE(room, nullptr);
             EXPECT_EQ(room->GetCapacity(), 1u);
             EXPECT_EQ(LessonAt(task, "高一1班", {0, 0, 0}, 1), "语文/张三/302");
         }},
        {"a shared room's seat names the room, which grows to hold the classes the sheet puts in it", false,
         {{"高一1班", {"体育\n张三(操场:1)"}}, {"高一2班", {"体育\n李四(操场:2)"}}}, {},
         {"高一1班 体育 张三 1 操场", "高一2班 体育 李四 1 操场"}, {},
         [](CScheduleTask& task, const std::vector<std::string>&) {
             auto* room = static_cast<CRoomInfo*>(task.GetRoomInfoList().FindByName("操场"));
             ASSERT_NE(room, nullptr);
             EXPECT_EQ(room->GetCapacity(), 2u);
             EXPECT_EQ(task.GetRoomInfoList().GetCount(), 1);
         }},
        {"in a sheet of teachers, one line is a lesson of a subject it teaches, else the class's activity", false,
         {{"高一1班", {"语文\n张三", "语文", "劳动"}}}, {}, {"高一1班 语文 张三 1", "高一1班 语文 高一1班语文 1"}, {},
         [](CScheduleTask& task, const std::vector<std::string>&) {
             const std::string id = task.GetClassInfoList().FindByName("高一1班")->GetId();
             EXPECT_EQ(task.GetActivityInfo(id, TABLE_CLASS, {0, 0, 2}), "劳动");
             EXPECT_EQ(task.GetTeacherInfoList().GetCount(), 2);
         }},
        {"five equal cells: one plan of 5", false,
         {{"高一1班", {"数学\n王五", "数学\n王五", "", "数学\n王五", "数学\n王五", "数学\n王五"}}}, {},
         {"高一1班 数学 王五 5"}, {}, {}},
        {"morning reading goes to the self-study list", true, {{"高一1班", {"英语\n赵六", "英语\n赵六"}}}, {},
         {"高一1班 英语 赵六 1"}, {"高一1班 英语 赵六 1 type1"},
         [](CScheduleTask& task, const std::vector<std::string>&) {
             EXPECT_EQ(LessonAt(task, "高一1班", {0, 3, 0}, 1), "英语/赵六");
             EXPECT_EQ(LessonAt(task, "高一1班", {0, 0, 0}, 1), "英语/赵六");
         }},
        {"a lesson merged over two periods: a lesson in each", false, {{"高一1班", {"", "化学\n钱七"}}},
         [](SheetData& sheet) { sheet.AddMergedArea({3, 3, 3, 4}); }, {"高一1班 化学 钱七 2"}, {},
         [](CScheduleTask& task, const std::vector<std::string>&) {
             EXPECT_EQ(LessonAt(task, "高一1班", {0, 0, 1}, 1), "化学/钱七");
             EXPECT_EQ(LessonAt(task, "高一1班", {0, 0, 2}, 1), "化学/钱七");
         }},
        {"a class named twice: its second lesson in a used slot is refused and named", false,
         {{"高一1班", {"语文\n张三"}}, {"高一2班", {"数学\n李四"}}, {"高一1班", {"数学\n李四"}}}, {},
         {"高一1班 语文 张三 1", "高一2班 数学 李四 1"}, {},
         [](CScheduleTask& task, const std::vector<std::string>& log) {
             EXPECT_EQ(LessonAt(task, "高一1班", {0, 0, 0}, 1), "语文/张三");
             EXPECT_NE(std::find(log.begin(), log.end(),
                                 "高一1班 " + task.GetTimeNodeDesc(0, 0, 0) + " 已经有课，没有导入：数学 李四"),
                       log.end())
                 << testing::PrintToString(log);
         }},
        {"a half cell after a whole one of the same plan adds half a lesson", false,
         {{"高一1班", {"语文\n张三", "语文\n张三"}}, {"", {"", "数学\n李四"}}}, {},
         {"高一1班 数学 李四 0.5", "高一1班 语文 张三 1.5"}, {},
         [](CScheduleTask& task, const std::vector<std::string>&) {
             EXPECT_EQ(LessonAt(task, "高一1班", {0, 0, 1}, 1), "语文/张三");
             EXPECT_EQ(LessonAt(task, "高一1班", {0, 0, 1}, 2), "数学/李四");
         }},
        {"two lessons in a row make the plan's double period", false,
         {{"高一1班", {"语文\n张三", "语文\n张三", "数学\n李四", "语文\n张三"}}}, {},
         {"高一1班 数学 李四 1", "高一1班 语文 张三 3"}, {},
         [](CScheduleTask& task, const std::vector<std::string>&) {
             for (const CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList())) {
                 const bool chinese = task.GetSubjectName(plan->GetSubjectId()) == "语文";
                 EXPECT_EQ(plan->GetContinuousNodes(), chinese ? 2 : 1);
                 EXPECT_EQ(plan->GetContinuousTimes(), chinese ? 1 : 0);
             }
         }},
        {"an even-week lesson alone", false, {{"高一1班", {"", ""}}, {"", {"", "数学\n李四"}}}, {},
         {"高一1班 数学 李四 0.5"}, {},
         [](CScheduleTask& task, const std::vector<std::string>&) {
             EXPECT_EQ(LessonAt(task, "高一1班", {0, 0, 1}, 1), "");
             EXPECT_EQ(LessonAt(task, "高一1班", {0, 0, 1}, 2), "数学/李四");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto task = WeekTask(c.morningReading);
        SheetData sheet = Across(5, c.morningReading ? 9 : 8, c.lines);
        if (c.merge)
            c.merge(sheet);
        const CMasterSheet master(std::move(sheet));
        // With the conflict check: the plans each row makes are placed by it.
        zem::import::CReverseImporter importer(*task, master, true);
        std::vector<std::string> log;
        importer.log = [&](const std::string& line) { log.push_back(line); };
        for (const auto& row : master.ClassRows())
            importer.ImportClassRow(row.name, row.cells);
        importer.Finish();
        EXPECT_EQ(Plans(*task, task->GetCourseInfoList()), c.plans);
        EXPECT_EQ(Plans(*task, task->GetSelfStudyInfoList()), c.selfStudy);
        if (c.check)
            c.check(*task, log);
        EXPECT_TRUE(ScheduleIsValid(*task, ChecksExcept(CheckException::SheetCrowdsADay)));
    }
}

TEST(ReverseImport, ATeacherBusyElsewhereIsAConflictWhenChecked)
{
    for (const bool check : {true, false}) {
        SCOPED_TRACE(check ? "checked" : "unchecked");
        const auto task = WeekTask();
        // Another subject: not a lesson the two classes take together, which the same subject would be.
        const CMasterSheet master(Across(5, 8, {{"高一1班", {"语文\n张三"}}, {"高一2班", {"书法\n张三"}}}));
        zem::import::CReverseImporter importer(*task, master, check);
        for (const auto& row : master.ClassRows())
            importer.ImportClassRow(row.name, row.cells);
        EXPECT_EQ(importer.ConflictsReported(), check);
        EXPECT_EQ(importer.PlacedLessons(), check ? 1 : 2);
    }
}

TEST(ReverseImport, ALessonTheCheckRefusesMakesNothing)
{
    const auto task = WeekTask();
    auto* room = new CRoomInfo;
    room->SetId("r302");
    room->SetName("302");
    room->SetCapacity(1);
    task->GetRoomInfoList().Add(room);
    // The second class's lesson finds the room taken: its new subject and teacher are not kept.
    const CMasterSheet master(Across(5, 8, {{"高一1班", {"语文\n张三(302)"}}, {"高一2班", {"物理\n李四(302)"}}}));
    zem::import::CReverseImporter importer(*task, master, true);
    for (const auto& row : master.ClassRows())
        importer.ImportClassRow(row.name, row.cells);
    EXPECT_EQ(importer.Conflicts(), 1);
    EXPECT_EQ(Plans(*task, task->GetCourseInfoList()), std::vector<std::string>{"高一1班 语文 张三 1 302"});
    EXPECT_EQ(task->GetSubjectInfoList().GetCount(), 1);
    EXPECT_EQ(task->GetTeacherInfoList().GetCount(), 1);
    EXPECT_EQ(task->GetClassInfoList().GetCount(), 2);
}

TEST(ReverseImport, ASheetOverTheTasksLimitsIsRefusedBeforeAnythingChanges)
{
    const auto task = WeekTask();
    std::vector<ClassLine> lines;
    for (int n = 0; n < 1001; ++n)
        lines.push_back({"班" + std::to_string(n), {"语文\n张三"}});
    const CMasterSheet master(Across(5, 8, lines));
    const auto added = zem::import::CountMasterAdditions(*task, master);
    EXPECT_EQ(added.classes, 1001u);
    EXPECT_EQ(added.teachers, 1u);
    EXPECT_EQ(added.plans, 1001u);
    const std::string refused = zem::import::CheckMasterLimits(*task, added);
    EXPECT_EQ(refused, CheckTaskLimit(*task, TaskObjectKind::Class, 1001));
    EXPECT_NE(refused.find("班级"), std::string::npos);
    const auto result = zem::import::ImportMasterSheet(*task, master, true);
    EXPECT_EQ(result.error, refused);
    EXPECT_TRUE(task->GetClassInfoList().IsEmpty());
}

// Every limit of the task is asked before a reverse import: a task at its limit of any kind refuses a sheet that adds
// one more of it, naming the limit, and nothing changes.
TEST(ReverseImport, EveryKindsLimitIsCheckedBeforeAnythingChanges)
{
    struct Case {
        TaskObjectKind kind;
        std::function<void(CScheduleTask&, std::size_t max)> fill;
    };
    auto many = [](auto make) {
        return [make](CScheduleTask& task, std::size_t max) {
            for (std::size_t n = 0; n < max; ++n)
                make(task, "x" + std::to_string(n));
        };
    };
    auto named = [](CZemObjectList& list, CZemObject* object, const std::string& id) {
        object->SetId(id);
        object->SetName(id);
        list.Add(object);
    };
    const Case cases[] = {
        {TaskObjectKind::Class, many([&](CScheduleTask& t, const std::string& id) { named(t.GetClassInfoList(), new CClassInfo, id); })},
        {TaskObjectKind::Subject, many([&](CScheduleTask& t, const std::string& id) { named(t.GetSubjectInfoList(), new CSubjectInfo, id); })},
        {TaskObjectKind::Teacher, many([&](CScheduleTask& t, const std::string& id) { named(t.GetTeacherInfoList(), new CTeacherInfo, id); })},
        {TaskObjectKind::Room, many([&](CScheduleTask& t, const std::string& id) {
             auto* room = new CRoomInfo;
             room->SetCapacity(1);
             named(t.GetRoomInfoList(), room, id);
         })},
        {TaskObjectKind::RoomPlace, [&](CScheduleTask& t, std::size_t max) {
             // Rooms of 100 places: no room holds more than a few hundred.
             for (std::size_t n = 0; n < max / 100; ++n) {
                 auto* room = new CRoomInfo;
                 room->SetCapacity(100);
                 named(t.GetRoomInfoList(), room, "操场" + std::to_string(n));
             }
         }},
        {TaskObjectKind::Plan, many([](CScheduleTask& t, const std::string& id) {
             auto* plan = new CCourseInfo;
             plan->SetId(id);
             t.GetCourseInfoList().Add(plan);
         })},
        {TaskObjectKind::SelfStudy, many([](CScheduleTask& t, const std::string& id) {
             auto* plan = new CCourseInfo;
             plan->SetId(id);
             plan->SetType(COURSE_TYPE_MORNING_READING);
             t.GetSelfStudyInfoList().Add(plan);
         })},
    };
    for (const Case& c : cases) {
        const TaskLimit& limit = GetTaskLimit(c.kind);
        SCOPED_TRACE(limit.name);
        const auto task = WeekTask(true);
        c.fill(*task, limit.max);
        // One of each kind more: a class, a subject, a teacher, a room of one place, a plan and a morning reading.
        const CMasterSheet sheet(Across(5, 9, {{"新班", {"新科\n新老师(新教室)", "新科\n新老师(新教室)"}}}));
        const int classes = task->GetClassInfoList().GetCount();
        const auto result = zem::import::ImportMasterSheet(*task, sheet, true);
        EXPECT_EQ(result.error, CheckTaskLimit(*task, c.kind, 1));
        EXPECT_NE(result.error.find(limit.name), std::string::npos) << result.error;
        EXPECT_EQ(task->GetClassInfoList().GetCount(), classes);
        EXPECT_EQ(task->GetClassInfoList().FindByName("新班"), nullptr);
    }
}

TEST(ReverseImportReader, AnXlsxFileGivesItsMergedAreas)
{
    TempFolder folder;
    zem::workbook::Workbook book;
    auto& sheet = book.GetSheet(1);
    sheet.GetRange("B1").SetValue(std::string("星期一"));
    sheet.GetRange("B1", "E1").Merge(false);
    sheet.GetRange("C3").SetValue(std::string("化学\n钱七"));
    sheet.GetRange("C3", "D4").Merge(false);
    const std::string path = folder / "merged.xlsx";
    zem::workbook::SaveXlsx(book, path);
    SheetData read;
    std::string error;
    ASSERT_TRUE(zem::workbook::ReadWorkbookSheet(path, read, error)) << error;
    ASSERT_EQ(read.MergedAreas().size(), 2u);
    std::vector<std::tuple<int, int, int, int>> areas;
    for (const auto& area : read.MergedAreas())
        areas.emplace_back(area.firstRow, area.firstColumn, area.lastRow, area.lastColumn);
    std::sort(areas.begin(), areas.end());
    EXPECT_EQ(areas, (std::vector<std::tuple<int, int, int, int>>{{1, 2, 1, 5}, {3, 3, 4, 4}}));
}

// The program's settings for the master timetable the round trip writes.
class MergingServices : public FakeAppServices {
public:
    bool GetMergeContinuous() const override { return true; }
};

TEST(ReverseImportRoundTrip, TheDemonstrationSchoolsMasterTimetableGivesItsClassTimetables)
{
    DemoSchool demo;
    ASSERT_TRUE(demo.task);
    MergingServices services;
    services.task = demo.task.get();
    // Shared rooms show their seats ("机1:2"), as the program does by default.
    services.showRoomNumber = true;
    RunEngine(*demo.task);
    CTaskHelper(demo.task.get()).RestoreTempTables();
    TempFolder folder;
    CTablePageLayout layout;
    layout.Style = 0;
    // The teaching time counts the morning reading and evening self-study periods too.
    layout.ShowSS = true;
    ASSERT_TRUE(ExportMasterTimetable(demo.task.get(), layout, TABLE_CLASS, folder / "master.xlsx"));
    std::unique_ptr<CMasterSheet> sheet;
    std::string error;
    ASSERT_TRUE(zem::import::ReadMasterSheet(folder / "master.xlsx", sheet, error)) << error;

    // A new empty task with the demonstration school's teaching time.
    auto fresh = std::make_unique<CScheduleTask>();
    fresh->GetSchoolStructure() = demo.task->GetSchoolStructure();
    CTaskInfo& info = fresh->GetTaskInfo();
    ASSERT_TRUE(zem::MakeFolder(folder / "new"));
    info.SetTaskFolder(folder / "new/");
    info.SetTaskName("反导入");
    ASSERT_TRUE(info.WriteToFile());
    ASSERT_TRUE(fresh->SaveInputData());
    services.task = fresh.get();
    const auto preview = zem::import::PreviewMasterSheet(*sheet);
    ASSERT_EQ(zem::import::JudgeMasterSheet(preview, fresh->GetSchoolStructure()), MasterVerdict::Matches)
        << zem::import::MasterPreviewText(preview) << fresh->GetSchoolStructure().GetWeekDayCount() << " "
        << fresh->GetSchoolStructure().GetDayNodeCount();
    // Unchecked: the new task's plans take no double lessons, which its even spreading would refuse.
    const auto result = zem::import::ImportMasterSheet(*fresh, *sheet, false);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.classes, demo.task->GetClassInfoList().GetCount());

    // The activities of the demonstration school's empty slots stay activities: no lesson more.
    const std::map<std::string, std::string> imported = ClassLessons(*fresh, false);
    const std::map<std::string, std::string> original = ClassLessons(*demo.task, false);
    EXPECT_EQ(imported.size(), original.size());
    EXPECT_LE(fresh->GetTeacherInfoList().GetCount(), demo.task->GetTeacherInfoList().GetCount());
    std::vector<std::string> differences;
    for (const auto& [slot, lesson] : original) {
        const auto found = imported.find(slot);
        const std::string got = found == imported.end() ? "nothing" : found->second;
        if (got != lesson)
            differences.push_back(slot + " " + lesson + " -> " + got);
    }
    EXPECT_EQ(differences, std::vector<std::string>{});
    // What was saved reads back the same.
    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(info.GetTaskFile(), TaskAccess::ReadOnly));
    EXPECT_EQ(ClassLessons(reopened, false), ClassLessons(*fresh, false));
    // The combined classes come back as combined classes: no teacher is booked twice; the plans
    // made record the double lessons they were given.
    EXPECT_EQ(fresh->GetCombineCourseList().GetCount(), demo.task->GetCombineCourseList().GetCount());
    EXPECT_TRUE(ScheduleIsValid(*fresh));
}

// A small school made by hand with what a class master timetable shows: short subject names, a
// teacher known by a short name, a combined class, an assisted lesson, an activity of a class, a
// slot the whole school keeps for an activity, morning reading, evening self-study and an odd/even
// pair; its lessons placed and committed in its folder.
class HandMadeSchool {
public:
    HandMadeSchool()
    {
        CSchoolStructure& week = task.GetSchoolStructure();
        week.SetSectionNodeMaxCount(3, 1, true);
        week.SetSectionNodeMaxCount(4, 1, true);
        week.SetValue(kClosed, CTimeTable::kInvalid);
        week.RefreshData();
        task.GetActivities().AddActivity(kClosed, "班会");
        b.Subject("s1", "语文", "语");
        b.Subject("s2", "数学", "数");
        b.Subject("s3", "英语", "英");
        b.Subject("s4", "体育", "体");
        b.Subject("s5", "音乐", "音");
        b.Subject("s6", "美术", "美");
        b.Teacher("t1", "刘强");
        b.Teacher("t2", "孙丽");
        b.Teacher("t3", "赵琝");
        b.Teacher("t4", "高原");
        b.Teacher("t5", "马明", "马");
        b.Teacher("t6", "王芳");
        b.Class("c1", "初一(1)班");
        b.Class("c2", "初一(2)班");
        b.Class("c3", "初一(3)班");
        b.Room("r1", "实验室");
        b.Course("p1", "c1", "s1", "t6", "3");
        b.Course("p2", "c1", "s2", "t5", "2");
        b.Course("p3", "c1", "s4", "t1", "2");
        b.Course("q1", "c2", "s4", "t2", "2");
        b.Course("q2", "c2", "s2", "t5", "2", "r1");
        b.Course("w1", "c3", "s3", "t3", "2");
        b.Course("w2", "c3", "s5", "t2", "0.5");
        b.Course("w3", "c3", "s6", "t1", "0.5");
        b.SelfStudy("m1", "c1", "s3", "t3", COURSE_TYPE_MORNING_READING, "2");
        b.SelfStudy("m2", "c2", "s2", "t5", COURSE_TYPE_SELF_STUDY, "1");
        b.Combined("cc", {"p3", "q1"});
        b.Assistant("w1", {"t4"});
        b.FixedTime<CFixedTimeOfClass>(task.GetFixedTimeOfClassList(), "c1", "212,")
            ->GetActivities()
            .AddActivity(kLabour, "劳动");

        CTaskInfo& info = task.GetTaskInfo();
        info.SetTaskFolder(folder / "");
        info.SetTaskName("手工学校");
        EXPECT_TRUE(info.WriteToFile());
        EXPECT_TRUE(task.SaveInputData());
        task.ReadTempTables();
        CTaskHelper helper(&task);
        auto place = [&](const char* plan, std::initializer_list<tagTABLE_NODE> nodes, int half = 0,
                         const std::string& room = {}) {
            CCourseInfo* course = task.FindCourse(plan);
            for (const tagTABLE_NODE& node : nodes)
                EXPECT_TRUE(helper.PlaceCourseWithPartners(&task.GetClass(course->GetClassId())->GetTable(true), course,
                                                           room, node, half))
                    << plan << helper.GetText();
        };
        place("p1", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
        place("p2", {{0, 0, 1}, {3, 1, 0}});
        place("p3", {{1, 1, 0}, {3, 1, 1}});
        place("q2", {{0, 0, 0}, {2, 0, 1}}, 0, "r1");
        place("w1", {{0, 0, 2}, {4, 0, 0}});
        place("w2", {{2, 1, 1}}, 1);
        place("w3", {{2, 1, 1}}, 2);
        place("m1", {{0, 3, 0}, {1, 3, 0}});
        place("m2", {{2, 4, 0}});
        EXPECT_TRUE(helper.SaveTempTables());
    }

    // The class master timetable as the whole-school window exports it: across, short names,
    // morning reading and self-study shown unless `showSS` is false, the program's default.
    std::string Export(bool showSS = true)
    {
        FakeAppServices services;
        services.task = &task;
        CTablePageLayout layout;
        layout.Style = 0;
        layout.ShowSS = showSS;
        const std::string path = folder / "总课表.xlsx";
        EXPECT_TRUE(ExportMasterTimetable(&task, layout, TABLE_CLASS, path));
        return path;
    }

    static constexpr tagTABLE_NODE kClosed{4, 1, 2};
    static constexpr tagTABLE_NODE kLabour{2, 1, 2};
    TempFolder folder;
    SchoolBuilder b;
    CScheduleTask& task = b.Task();
};

// A task's plans of a list by short names, with their kinds: what a sheet of short names carries.
std::vector<std::string> ShortPlanLines(CScheduleTask& task, CZemObjectList& list)
{
    std::vector<std::string> lines;
    for (const CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(list))
        lines.push_back(task.GetClass(plan->GetClassId())->GetName() + " " +
                        task.GetSubject(plan->GetSubjectId())->GetShortName() + " " +
                        zem::ReplaceAll(task.GetAllTeacherName(const_cast<CCourseInfo*>(plan), false, false), " ", "+") +
                        " " + plan->GetWeekCount().ToString() + " type" + std::to_string(plan->GetType()));
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::unique_ptr<CMasterSheet> ReadSheet(const std::string& path)
{
    std::unique_ptr<CMasterSheet> sheet;
    std::string error;
    EXPECT_TRUE(zem::import::ReadMasterSheet(path, sheet, error)) << error;
    return sheet;
}

TEST(ReverseImportRoundTrip, TheHandMadeSchoolComesBackIntoANewTaskWithItsTeachingTime)
{
    HandMadeSchool school;
    const auto sheet = ReadSheet(school.Export());
    ASSERT_TRUE(sheet);
    TempFolder folder;
    CScheduleTask fresh;
    fresh.GetSchoolStructure() = school.task.GetSchoolStructure();
    fresh.GetActivities() = school.task.GetActivities();
    CTaskInfo& info = fresh.GetTaskInfo();
    info.SetTaskFolder(folder / "");
    info.SetTaskName("反导入");
    ASSERT_TRUE(info.WriteToFile());
    ASSERT_TRUE(fresh.SaveInputData());
    const auto preview = zem::import::PreviewMasterSheet(*sheet);
    EXPECT_EQ(preview.morningReading, 5);
    EXPECT_EQ(preview.selfStudy, 5);
    ASSERT_EQ(zem::import::JudgeMasterSheet(preview, fresh.GetSchoolStructure()), MasterVerdict::Matches);
    // The new task knows none of the short names.
    EXPECT_NE(zem::import::ShortNamesText(zem::import::CountMasterAdditions(fresh, *sheet)).find("数、"),
              std::string::npos);
    std::vector<std::string> log;
    // Checked: the combined class is one lesson of both classes, which the check lets through.
    const auto result = zem::import::ImportMasterSheet(fresh, *sheet, true,
                                                       [&](const std::string& line) { log.push_back(line); });
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.conflicts, 0) << testing::PrintToString(log);

    CScheduleTask reopened;
    ASSERT_TRUE(reopened.Open(info.GetTaskFile(), TaskAccess::ReadOnly));
    EXPECT_EQ(ClassLessons(reopened, false), ClassLessons(school.task, false));
    // No object the school does not have: no teacher made of an activity or of a cell's two names.
    EXPECT_EQ(reopened.GetClassInfoList().GetCount(), 3);
    EXPECT_EQ(reopened.GetSubjectInfoList().GetCount(), 6);
    EXPECT_EQ(reopened.GetTeacherInfoList().GetCount(), 6);
    EXPECT_EQ(reopened.GetRoomInfoList().GetCount(), 1);
    EXPECT_EQ(ShortPlanLines(reopened, reopened.GetSelfStudyInfoList()),
              ShortPlanLines(school.task, school.task.GetSelfStudyInfoList()));
    // The combined class comes back as the school holds it: each class's plan with its own
    // teacher, the two plans one combined class; the assisted lesson keeps its assistant.
    EXPECT_EQ(ShortPlanLines(reopened, reopened.GetCourseInfoList()),
              (std::vector<std::string>{"初一(1)班 体 刘强 2 type0", "初一(1)班 数 马 2 type0",
                                        "初一(1)班 语 王芳 3 type0", "初一(2)班 体 孙丽 2 type0",
                                        "初一(2)班 数 马 2 type0", "初一(3)班 美 刘强 0.5 type0",
                                        "初一(3)班 英 赵琝+高原 2 type0", "初一(3)班 音 孙丽 0.5 type0"}));
    ASSERT_EQ(reopened.GetCombineCourseList().GetCount(), 1);
    for (const auto& [id, object] : reopened.GetCombineCourseList()) {
        std::vector<std::string> classes;
        for (const std::string& plan : static_cast<const CCombineClass*>(object)->GetCombineCourse())
            classes.push_back(reopened.GetClassNameA(reopened.FindCourse(plan)->GetClassId()));
        EXPECT_EQ(classes, (std::vector<std::string>{"初一(1)班", "初一(2)班"}));
    }
    // The class's activity stays its activity; the school's closed slot makes nothing.
    const CZemObject* first = reopened.GetClassInfoList().FindByName("初一(1)班");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(reopened.GetActivityInfo(first->GetId(), TABLE_CLASS, HandMadeSchool::kLabour), "劳动");
    // No teacher is booked twice.
    EXPECT_TRUE(ScheduleIsValid(reopened, kAllTableChecks));
}

// A lesson the check refuses takes its class out of the combined class it would have joined, whether it is the first
// class of the lesson or a later one; a combined class left with one class is none, and none names a plan gone.
TEST(ReverseImport, ARefusedLessonOfACombinedClassLeavesNoCombinedClass)
{
    struct Case {
        const char* what;
        bool teacherBusy;  // else the second class may not have a lesson then
        const char* kept;
    };
    const Case cases[] = {
        {"the first class's teacher may not teach then", true, "初一2班 体育 孙丽 1 type0"},
        {"the second class may not have a lesson then", false, "初一1班 体育 刘强 1 type0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SchoolBuilder b;
        CScheduleTask& task = b.Task();
        task.GetSchoolStructure() = WeekTask()->GetSchoolStructure();
        if (c.teacherBusy) {
            b.Teacher("t1", "刘强");
            b.FixedTime<CFixedTimeOfTeacher>(task.GetFixedTimeOfTeacherList(), "t1", "0,");
        } else {
            b.Class("c2", "初一2班");
            b.FixedTime<CFixedTimeOfClass>(task.GetFixedTimeOfClassList(), "c2", "0,");
        }
        const CMasterSheet sheet(Across(5, 8, {{"初一1班", {"体育\n刘强 孙丽"}}, {"初一2班", {"体育\n孙丽 刘强"}}}));
        std::vector<std::string> log;
        zem::import::CReverseImporter importer(task, sheet, true);
        importer.log = [&](const std::string& line) { log.push_back(line); };
        for (const auto& row : sheet.ClassRows())
            importer.ImportClassRow(row.name, row.cells);
        importer.Finish();
        EXPECT_EQ(importer.Conflicts(), 1) << testing::PrintToString(log);
        EXPECT_TRUE(task.GetCombineCourseList().IsEmpty());
        EXPECT_EQ(ShortPlanLines(task, task.GetCourseInfoList()), std::vector<std::string>{c.kept});
        EXPECT_TRUE(ValidateSchedule(task, true, kAllTableChecks).IsClean()) << ValidateSchedule(task, true).Text();
    }
}

// A plan the import made grows by each lesson placed; a later lesson the check refuses leaves its count as it was.
TEST(ReverseImport, ARefusedLaterLessonLeavesTheMadePlansCount)
{
    SchoolBuilder b;
    CScheduleTask& task = b.Task();
    task.GetSchoolStructure() = WeekTask()->GetSchoolStructure();
    b.Teacher("t1", "张三");
    // 张三 may not teach in the first period of Tuesday; the lessons stand on Monday, Tuesday and Wednesday.
    b.FixedTime<CFixedTimeOfTeacher>(task.GetFixedTimeOfTeacherList(), "t1", "100,");
    std::vector<std::string> cells(17);
    cells[0] = cells[8] = cells[16] = "语文\n张三";
    const CMasterSheet sheet(Across(5, 8, {{"高一1班", cells}}));
    zem::import::CReverseImporter importer(task, sheet, true);
    for (const auto& row : sheet.ClassRows())
        importer.ImportClassRow(row.name, row.cells);
    importer.Finish();
    EXPECT_EQ(importer.Conflicts(), 1);
    EXPECT_EQ(importer.PlacedLessons(), 2);
    EXPECT_EQ(ShortPlanLines(task, task.GetCourseInfoList()), std::vector<std::string>{"高一1班 语文 张三 2 type0"});
    EXPECT_TRUE(ValidateSchedule(task, true, kAllTableChecks).IsClean()) << ValidateSchedule(task, true).Text();
}

TEST(ReverseImportRoundTrip, IntoTheSchoolItselfItsShortNamesAndCombinedClassFindItsObjects)
{
    HandMadeSchool school;
    const auto sheet = ReadSheet(school.Export());
    ASSERT_TRUE(sheet);
    const std::map<std::string, std::string> lessons = ClassLessons(school.task, false);
    const int teachers = school.task.GetTeacherInfoList().GetCount();
    const auto plans = ShortPlanLines(school.task, school.task.GetCourseInfoList());
    const auto selfStudy = ShortPlanLines(school.task, school.task.GetSelfStudyInfoList());
    {
        CTaskHelper helper(&school.task);
        helper.ClearTimetables(CTaskHelper::kClearAll, {});
        ASSERT_TRUE(helper.SaveTempTables());
    }
    EXPECT_TRUE(zem::import::ShortNamesText(zem::import::CountMasterAdditions(school.task, *sheet)).empty());
    std::vector<std::string> log;
    // Checked: the combined class's second class finds its lesson placed with the first's.
    const auto result = zem::import::ImportMasterSheet(school.task, *sheet, true,
                                                       [&](const std::string& line) { log.push_back(line); });
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.conflicts, 0) << testing::PrintToString(log);
    EXPECT_EQ(ClassLessons(school.task, false), lessons);
    EXPECT_EQ(school.task.GetTeacherInfoList().GetCount(), teachers);
    EXPECT_EQ(school.task.GetSubjectInfoList().GetCount(), 6);
    EXPECT_EQ(school.task.GetRoomInfoList().GetCount(), 1);
    // The plans the school has take the lessons: the combined class's and the assisted one's too.
    EXPECT_EQ(school.task.GetClass("c2")->GetTable(false).GetNode(1, 1, 0).data(1).GetCourseId(), "q1");
    EXPECT_EQ(school.task.GetClass("c3")->GetTable(false).GetNode(0, 0, 2).data(1).GetCourseId(), "w1");
    // Each lesson fills one its plan counts: no count grows, no half-week plan is made twice.
    EXPECT_EQ(ShortPlanLines(school.task, school.task.GetCourseInfoList()), plans);
    EXPECT_EQ(ShortPlanLines(school.task, school.task.GetSelfStudyInfoList()), selfStudy);
    EXPECT_TRUE(ScheduleIsValid(school.task, kAllTableChecks));
}

// Two teachers share a short name, as the sheet writes them: each lesson finds the plan of the class's teacher of the
// subject, not a new plan of the teacher whose full name it is.
TEST(ReverseImport, AShortNameTwoTeachersShareFindsThePlanTheClassHas)
{
    SchoolBuilder b;
    CScheduleTask& task = b.Task();
    task.GetSchoolStructure() = WeekTask()->GetSchoolStructure();
    b.Subject("s1", "语文", "语");
    b.Teacher("t1", "蒋强", "蒋强");
    b.Teacher("t2", "蒋秀强", "蒋强");
    b.Class("c1", "高一1班");
    b.Class("c2", "高一2班");
    b.Course("p1", "c1", "s1", "t1", "1");
    b.Course("p2", "c2", "s1", "t2", "1");
    const CMasterSheet sheet(Across(5, 8, {{"高一1班", {"语\n蒋强"}}, {"高一2班", {"", "语\n蒋强"}}}));
    zem::import::CReverseImporter importer(task, sheet, true);
    for (const auto& row : sheet.ClassRows())
        importer.ImportClassRow(row.name, row.cells);
    importer.Finish();
    EXPECT_EQ(importer.Conflicts(), 0);
    EXPECT_EQ(task.GetCourseInfoList().GetCount(), 2);
    EXPECT_EQ(task.GetClass("c2")->GetTempTable().GetNode(0, 0, 1).data(1).GetCourseId(), "p2");
}

// A sheet with more lessons of a plan than the task's plan counts: the plan stays as the user set it, and the lesson
// over it is refused at its slot, checked or not.
TEST(ReverseImport, ALessonBeyondTheTasksPlanIsRefusedAndTheCountStays)
{
    for (const bool check : {true, false}) {
        SCOPED_TRACE(check ? "checked" : "unchecked");
        SchoolBuilder b;
        CScheduleTask& task = b.Task();
        task.GetSchoolStructure() = WeekTask()->GetSchoolStructure();
        b.Subject("s1", "语文", "语文");
        b.Subject("s2", "音乐", "音乐");
        b.Teacher("t1", "张三");
        b.Class("c1", "高一1班");
        b.Course("p1", "c1", "s1", "t1", "1");
        b.Course("p2", "c1", "s2", "t1", "0.5");
        const CMasterSheet sheet(Across(5, 8, {{"高一1班", {"语文\n张三", "语文\n张三", "音乐\n张三|", "|音乐\n张三"}}}));
        std::vector<std::string> log;
        zem::import::CReverseImporter importer(task, sheet, check);
        importer.log = [&](const std::string& line) { log.push_back(line); };
        for (const auto& row : sheet.ClassRows())
            importer.ImportClassRow(row.name, row.cells);
        importer.Finish();
        EXPECT_EQ(importer.PlacedLessons(), 2);
        EXPECT_EQ(importer.Conflicts(), 2) << testing::PrintToString(log);
        EXPECT_EQ(ShortPlanLines(task, task.GetCourseInfoList()),
                  (std::vector<std::string>{"高一1班 语文 张三 1 type0", "高一1班 音乐 张三 0.5 type0"}));
        ASSERT_EQ(log.size(), 3u);
        EXPECT_NE(log[1].find("周课时已经排满"), std::string::npos) << log[1];
    }
}

// The master timetable written with the program's default settings leaves the morning reading and the self-study
// out: it still reads back into its own task, every lesson of the other periods where it was.
TEST(ReverseImportRoundTrip, TheDefaultMasterTimetableWithoutSelfStudyReadsBackIntoItsTask)
{
    HandMadeSchool school;
    const auto sheet = ReadSheet(school.Export(false));
    ASSERT_TRUE(sheet);
    std::map<std::string, std::string> lessons = ClassLessons(school.task, false);
    std::erase_if(lessons, [](const auto& lesson) {
        return lesson.second.ends_with("/" + std::to_string(COURSE_TYPE_MORNING_READING)) ||
               lesson.second.ends_with("/" + std::to_string(COURSE_TYPE_SELF_STUDY));
    });
    const auto plans = ShortPlanLines(school.task, school.task.GetCourseInfoList());
    {
        CTaskHelper helper(&school.task);
        helper.ClearTimetables(CTaskHelper::kClearAll, {});
        ASSERT_TRUE(helper.SaveTempTables());
    }
    const auto preview = zem::import::PreviewMasterSheet(*sheet);
    ASSERT_EQ(zem::import::JudgeMasterSheet(preview, school.task.GetSchoolStructure()), MasterVerdict::Matches)
        << zem::import::MasterDifferenceText(preview, school.task.GetSchoolStructure());
    std::vector<std::string> log;
    const auto result = zem::import::ImportMasterSheet(school.task, *sheet, true,
                                                       [&](const std::string& line) { log.push_back(line); });
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.conflicts, 0) << testing::PrintToString(log);
    EXPECT_EQ(ClassLessons(school.task, false), lessons);
    EXPECT_EQ(ShortPlanLines(school.task, school.task.GetCourseInfoList()), plans);
    EXPECT_TRUE(ScheduleIsValid(school.task, kAllTableChecks));
}

// The sheet written as an .xlsx file by the program's writer.
void WriteSheet(const SheetData& data, const std::string& path)
{
    zem::workbook::Workbook book;
    auto& sheet = book.GetSheet(1);
    data.ForEachCell([&](int row, int column, const CellValue& value) {
        auto cell = sheet.GetRange(zem::workbook::CellName(row, column));
        if (value.type == CellValue::Type::Number)
            cell.SetValue(value.number);
        else
            cell.SetValue(value.text);
    });
    zem::workbook::SaveXlsx(book, path);
}

// An empty task of 5 days of 8 periods in its folder, open as the program's task.
struct PreviewFixture {
    PreviewFixture()
    {
        task = WeekTask();
        CTaskInfo& info = task->GetTaskInfo();
        zem::MakeFolder(folder / "task");
        info.SetTaskFolder(folder / "task/");
        info.SetTaskName("反导入");
        EXPECT_TRUE(info.WriteToFile());
        EXPECT_TRUE(task->SaveInputData());
        services.task = task.get();
        WriteSheet(Across(5, 8, {{"高一1班", {"语文\n张三", "数学\n李四"}}, {"高一2班", {"数学\n李四", "语文\n张三"}},
                                 {"高一3班", {"英语"}}}),
                   path);
    }

    std::vector<std::string> SavedClasses() const
    {
        CScheduleTask saved;
        EXPECT_TRUE(saved.Open(task->GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
        std::vector<std::string> names;
        for (const auto& [id, object] : saved.GetClassInfoList())
            names.push_back(object->GetName());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder folder;
    std::unique_ptr<CScheduleTask> task;
    FakeAppServices services;
    std::string path = folder / "总课表.xlsx";
};

bool WaitForPreview(CReverseImportPreviewDlg& dialog)
{
    return QTest::qWaitFor([&] { return !dialog.IsPreviewing(); }, 20000);
}

TEST(ReverseImportPreviewDlg, ImportsTheSheetTheMatchingPreviewRead)
{
    PreviewFixture fixture;
    MessageRecorder messages;
    CReverseImportPreviewDlg dialog(nullptr, fixture.path);
    RunModal<CReverseImportPreviewDlg>(dialog, [&](CReverseImportPreviewDlg& d) {
        ASSERT_TRUE(WaitForPreview(d));
        EXPECT_NE(d.LogText().find("和当前排课任务的教学时间一致，可以反导入"), std::string::npos) << d.LogText();
        EXPECT_NE(d.LogText().find("Excel文件中的班级有：3个\n高一1班,高一2班,高一3班"), std::string::npos);
        EXPECT_EQ(d.GetDlgItemText(CReverseImportPreviewDlg::IDC_TEACHING_TIME), "5 天，每天 8 节");
        EXPECT_TRUE(d.IsItemEnabled(zem::IDOK));
        SaveScreenshot(&d, "ReverseImportPreview");
        // A file changed after the preview does not reach the task: the sheet previewed does.
        WriteSheet(Across(5, 8, {{"初一1班", {"物理"}}}), fixture.path);
        d.SendCommand(zem::IDOK);
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.IsEnded(); }, 20000));
    });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"反导入完成"});
    EXPECT_EQ(fixture.SavedClasses(), (std::vector<std::string>{"高一1班", "高一2班", "高一3班"}));
    EXPECT_TRUE(ScheduleIsValid(*fixture.task));
}

TEST(ReverseImportPreviewDlg, PreviewingAgainReadsTheFileAfresh)
{
    PreviewFixture fixture;
    MessageRecorder messages;
    CReverseImportPreviewDlg dialog(nullptr, fixture.path);
    RunModal<CReverseImportPreviewDlg>(dialog, [&](CReverseImportPreviewDlg& d) {
        ASSERT_TRUE(WaitForPreview(d));
        WriteSheet(Across(6, 8, {{"初一1班", {"物理"}}}), fixture.path);
        d.SendCommand(CReverseImportPreviewDlg::IDC_PREVIEW);
        ASSERT_TRUE(WaitForPreview(d));
        EXPECT_NE(d.LogText().find("和当前排课任务的教学时间不一致"), std::string::npos) << d.LogText();
        EXPECT_FALSE(d.IsItemEnabled(zem::IDOK));
        // A file that cannot be read says why, in the log and in a box.
        zem::WriteFileAtomic(fixture.path, "not a workbook");
        d.SendCommand(CReverseImportPreviewDlg::IDC_PREVIEW);
        ASSERT_TRUE(WaitForPreview(d));
        EXPECT_NE(d.LogText().find("请检查文件是否是完整的Excel文件"), std::string::npos) << d.LogText();
        EXPECT_FALSE(d.IsItemEnabled(zem::IDOK));
    });
    // The reader's reason leads, naming the file.
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].find("导入过程中出现异常"), std::string::npos) << messages.Texts()[0];
    EXPECT_LT(messages.Texts()[0].find(fixture.path), messages.Texts()[0].find("请检查文件")) << messages.Texts()[0];
    EXPECT_TRUE(fixture.task->GetClassInfoList().IsEmpty());
}

TEST(ReverseImportPreviewDlg, ClosingDuringTheImportStopsAndSavesWhatWasImported)
{
    PreviewFixture fixture;
    MessageRecorder messages(zem::IDYES);
    CReverseImportPreviewDlg dialog(nullptr, fixture.path);
    RunModal<CReverseImportPreviewDlg>(dialog, [&](CReverseImportPreviewDlg& d) {
        ASSERT_TRUE(WaitForPreview(d));
        d.SendCommand(zem::IDOK);
        ASSERT_TRUE(d.IsImporting());
        d.SendCommand(zem::IDCANCEL);
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.IsEnded(); }, 20000));
    });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"正在导入数据中, 要立即退出吗?"});
    std::vector<std::string> held;
    for (const auto& [id, object] : fixture.task->GetClassInfoList())
        held.push_back(object->GetName());
    std::sort(held.begin(), held.end());
    EXPECT_LT(held.size(), 3u);
    EXPECT_EQ(fixture.SavedClasses(), held);
}

TEST(ReverseImportDlg, ATaskWithPlansAsksWhereTheImportGoesThenPreviewsTheChosenFile)
{
    PreviewFixture fixture;
    auto* plan = new CCourseInfo;
    plan->SetId("p1");
    fixture.task->GetCourseInfoList().Add(plan);
    int created = 0;
    CReverseImportHost host;
    host.createTask = [&] {
        ++created;
        return true;
    };
    std::vector<std::string> chosen;
    const auto previousChooser = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest& request) {
        chosen.push_back(request.title);
        return fixture.path;
    });
    // No: the import goes into the open task; Cancel: nothing happens.
    for (const int answer : {zem::IDNO, zem::IDCANCEL}) {
        SCOPED_TRACE(answer);
        chosen.clear();
        ScriptedMessages messages({answer});
        CReverseImportDlg dialog(nullptr, host);
        bool previewed = false;
        ModalScope scope([&](zem::gui::Dialog& shown) {
            if (&shown == &dialog) {
                SaveScreenshot(&dialog, "ReverseImportIntroduction");
                dialog.SendCommand(zem::IDOK);
            } else if (auto* preview = dynamic_cast<CReverseImportPreviewDlg*>(&shown)) {
                previewed = WaitForPreview(*preview) && preview->IsItemEnabled(zem::IDOK);
            }
        });
        dialog.DoModal();
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].buttons, zem::MessageButtons::YesNoCancel);
        EXPECT_EQ(previewed, answer == zem::IDNO);
        EXPECT_EQ(chosen.size(), answer == zem::IDNO ? 1u : 0u);
    }
    EXPECT_EQ(created, 0);
    zem::gui::SetFileDialogHook(previousChooser);
}

TEST(ReverseImportPreviewDlg, AFailedSaveOrBackupIsSaidAndNothingLooksDone)
{
    struct Case {
        const char* what;
        std::function<bool(const std::string&)> fails;
        int extraPlans;
        const char* said;
        bool imported;
        const char* file;  // the file a failed save names
    };
    const Case cases[] = {
        {"input.xml cannot be written", [](const std::string& path) { return path.ends_with("/input.xml"); }, 0,
         zem::import::kReverseImportSaveFailed, true, "input.xml"},
        {"output.xml cannot be written", [](const std::string& path) { return path.ends_with("/output.xml"); }, 0,
         zem::import::kReverseImportSaveFailed, true, "output.xml"},
        {"the backup of a task with many plans fails and the user stops",
         [](const std::string& path) { return path.find("/Backup") != std::string::npos; }, 31,
         "反导入前无法备份当前排课任务，是否继续反导入？", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PreviewFixture fixture;
        for (int n = 0; n < c.extraPlans; ++n) {
            auto* plan = new CCourseInfo;
            plan->SetId("p" + std::to_string(n));
            fixture.task->GetCourseInfoList().Add(plan);
        }
        ScriptedMessages messages({}, zem::IDNO);
        CReverseImportPreviewDlg dialog(nullptr, fixture.path);
        RunModal<CReverseImportPreviewDlg>(dialog, [&](CReverseImportPreviewDlg& d) {
            ASSERT_TRUE(WaitForPreview(d));
            const WriteFault fault(c.fails);
            d.SendCommand(zem::IDOK);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !d.IsImporting(); }, 20000));
            EXPECT_FALSE(d.IsEnded());
            EXPECT_NE(d.GetDlgItemText(zem::IDOK), "反导入完成");
        });
        const auto texts = messages.Texts();
        EXPECT_EQ(std::find(texts.begin(), texts.end(), "反导入完成"), texts.end());
        if (c.file) {
            // A failed save is said once, with the file and the reason.
            ASSERT_EQ(texts.size(), 1u) << testing::PrintToString(texts);
            EXPECT_EQ(texts[0].rfind(c.said, 0), 0u) << texts[0];
            EXPECT_NE(texts[0].find(fixture.task->GetTaskInfo().GetTaskFolder() + c.file), std::string::npos) << texts[0];
        } else {
            EXPECT_NE(std::find(texts.begin(), texts.end(), c.said), texts.end()) << testing::PrintToString(texts);
        }
        EXPECT_EQ(fixture.task->GetClassInfoList().GetCount(), c.imported ? 3 : 0);
    }
}


// The staging folders a killed new task left in the folder of tasks.
std::vector<std::string> StagingFolders(const std::string& tasks)
{
    std::vector<std::string> found;
    std::vector<zem::FolderEntry> entries;
    zem::ListFolder(tasks, entries);
    for (const zem::FolderEntry& entry : entries)
        if (entry.isFolder && entry.name.find(".staging-") != std::string::npos)
            found.push_back(entry.name);
    return found;
}

// A new task for the import is made aside and takes its name only once its files read back: a kill
// at any step leaves no task under its name, and the next start removes what it left.
class ReverseImportIntoANewTask : public ShellTest {};

TEST_F(ReverseImportIntoANewTask, AKillAtAnyStepLeavesNoTaskAndTheNextStartRemovesItsLeftovers)
{
    CAppContext* context = MakeContext();
    const std::string tasks = Documents() + "我的排课任务/";
    const std::string sheet = folder / "总课表.xlsx";
    // The teaching time a new task starts with.
    CScheduleTask week;
    week.GetSchoolStructure().RefreshData();
    WriteSheet(Across(week.GetSchoolStructure().GetWeekDayCount(), week.GetSchoolStructure().GetDayNodeCount(),
                      {{"高一1班", {"语文\n张三", "数学\n李四"}}, {"高一2班", {"数学\n李四", "语文\n张三"}}}),
               sheet);
    const auto previousChooser = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest&) { return sheet; });
    CReverseImportHost host;
    host.createTask = [context] { return context->CreateNewTask(false, true); };
    host.finishTask = [context](bool imported) { return context->PutNewTaskInPlace(imported); };
    int n = 0;
    for (const std::string step : {"", "new task: made", "new task: imported", "new task: read back"}) {
        SCOPED_TRACE(step);
        const std::string name = "反导入" + std::to_string(++n);
        const std::string place = tasks + name + "/";
        const KillAt kill(step.empty() ? "never" : step);
        // "是": the task open has plans, and the import goes into a new one.
        ScriptedMessages messages({}, zem::IDYES);
        ModalScope scope([&](Dialog& d) {
            if (auto* created = dynamic_cast<CNewTaskDlg*>(&d)) {
                TypeText(created->Item<QLineEdit>(CNewTaskDlg::IDC_NAME), name);
                d.SendCommand(zem::IDOK);
            } else if (auto* preview = dynamic_cast<CReverseImportPreviewDlg*>(&d)) {
                ASSERT_TRUE(WaitForPreview(*preview));
                ASSERT_TRUE(preview->IsItemEnabled(zem::IDOK)) << preview->LogText();
                // The task is open from its staging folder, and kept out of the recent list.
                EXPECT_FALSE(zem::FileExists(place + name + ".zem"));
                EXPECT_EQ(StagingFolders(tasks).size(), 1u);
                if (step.empty())
                    SaveScreenshot(preview, "ReverseImportIntoANewTask");
                d.SendCommand(zem::IDOK);
                EXPECT_TRUE(QTest::qWaitFor([&] { return d.IsEnded(); }, 20000)) << preview->LogText();
            } else {
                d.SendCommand(zem::IDOK);
            }
        });
        CReverseImportDlg dialog(nullptr, host);
        dialog.DoModal();
        if (step.empty()) {
            EXPECT_EQ(messages.Texts(), std::vector<std::string>{"反导入完成"});
            ASSERT_NE(context->GetTask(), nullptr);
            EXPECT_EQ(context->GetTask()->GetTaskInfo().GetTaskFile(), place + name + ".zem");
            EXPECT_EQ(context->GetRecentTasks().GetAt(0), place + name + ".zem");
            EXPECT_EQ(context->GetTask()->GetClassInfoList().GetCount(), 2);
            EXPECT_TRUE(zem::FileExists(place + "output.xml"));
            EXPECT_EQ(StagingFolders(tasks), std::vector<std::string>{});
            continue;
        }
        // Killed: nothing under the task's name but the empty folder the new-task window made.
        EXPECT_FALSE(TaskFolder::IsTaskFolder(place));
        EXPECT_EQ(StagingFolders(tasks).size(), 1u);
        context->CloseTask();
        CAppContext::CleanStagedTasks();
        EXPECT_EQ(StagingFolders(tasks), std::vector<std::string>{});
        EXPECT_FALSE(TaskFolder::IsTaskFolder(place));
    }
    zem::gui::SetFileDialogHook(previousChooser);
}

}  // namespace
