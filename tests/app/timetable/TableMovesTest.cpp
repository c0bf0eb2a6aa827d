// The day swap of the big move on a generated school saved in a task folder: the lessons of two days
// change places in every timetable, swapping back gives the files back byte for byte, a refusal or
// a failed save leaves the files as they were; on a small school, what a move says about the lessons
// it moved.
#include "support/BasicDataTestSupport.h"
#include "support/FakeAppServices.h"
#include "support/GeneratedSchool.h"
#include "support/ScreenTestSupport.h"
#include "support/TempFolder.h"
#include "app/timetable/ShiftRowDlg.h"
#include "app/timetable/SwapDaysDlg.h"
#include "app/timetable/TableMoveDlg.h"
#include "app/timetable/TableMoves.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "testing/generator/SchoolGenerator.h"
#include "base/ScheduleValidator.h"

#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <set>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

namespace {

// The lessons on fixed no-lesson times of the days, as "<class> <time>", each once whoever's fixed
// times they break.
std::multiset<std::string> OnFixedTimes(CScheduleTask& task, const ScheduleValidation& validation,
                                        const std::set<int>& days)
{
    static const std::regex kLine(R"(^plan (\S+) .* at (.+) \((\d+)/\d+/\d+\), ([a-z ]+): )");
    std::set<std::string> seen;
    std::multiset<std::string> lessons;
    for (const ScheduleViolation& violation : validation.Violations()) {
        std::smatch match;
        if (violation.check != kCheckFixedTime || !std::regex_search(violation.text, match, kLine) ||
            !days.count(std::stoi(match[3].str())) || !seen.insert(match[0].str()).second)
            continue;
        const CCourseInfo* plan = task.FindCourse(match[1].str());
        lessons.insert(task.GetClassNameA(plan ? plan->GetClassId() : "") + " " + match[2].str());
    }
    return lessons;
}

// The lessons a move's message lists as now on fixed no-lesson times.
std::multiset<std::string> Listed(const CMoveResult& result)
{
    std::multiset<std::string> lessons;
    for (const std::string& note : result.onClosedTimes)
        lessons.insert(note.substr(0, note.find("（")));
    return lessons;
}

class TableMovesTest : public testing::Test {
protected:
    void SetUp() override
    {
        CScheduleTask::ResetAutoBackupStateForTesting();
        const std::string where = folder.path() + "S12/";
        ASSERT_TRUE(WriteFilledS12(where));  // it lets go of the folder at once
        task = std::make_unique<CScheduleTask>();
        taskFile = where + "S12.zem";
        ASSERT_TRUE(task->Open(taskFile));
        services.task = task.get();
        input = ReadRaw(task->GetTaskInfo().GetInputFilePath());
        output = ReadRaw(task->GetTaskInfo().GetOutputFilePath());
    }

    // The files as they were but for the stamp that pairs them, which every save renews.
    bool FilesAsBefore() const
    {
        return Unstamped(ReadRaw(task->GetTaskInfo().GetInputFilePath())) == Unstamped(input) &&
               Unstamped(ReadRaw(task->GetTaskInfo().GetOutputFilePath())) == Unstamped(output);
    }
    static std::string Unstamped(const std::string& bytes)
    {
        return std::regex_replace(bytes, std::regex(" pair=\"[^\"]*\""), "");
    }
    // The course of every slot of a day in a table, segment by segment.
    std::vector<std::string> Day(const CCourseTable& table, int day) const
    {
        std::vector<std::string> cells;
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                const CCourseTableNode& cell = table.GetNode(day, segment, section);
                cells.push_back(cell.data(1).GetCourseId() + "/" + cell.data(2).GetCourseId());
            }
        return cells;
    }
    CClassInfo* FirstClass() const { return ObjectsInOrder<CClassInfo>(task->GetClassInfoList()).front(); }
    CTeacherInfo* FirstTeacher() const
    {
        for (CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(task->GetTeacherInfoList()))
            for (int day = 0; day < zem::kDayCount; ++day)
                for (const std::string& cell : Day(teacher->GetTable(false), day))
                    if (cell != "/")
                        return teacher;
        return nullptr;
    }

    TempFolder folder;
    FakeAppServices services;
    std::unique_ptr<CScheduleTask> task;
    std::string taskFile;
    std::string input;
    std::string output;
    CAdjustmentEntryList entries;
};

TEST_F(TableMovesTest, SwappingTwoDaysMovesEveryTimetableAndSwappingBackGivesTheFilesBack)
{
    // The filled school breaks some rules already: a swap must break none more, but for the fixed
    // no-lesson times, which stay where they are: the lessons now on them are those it lists.
    const ScheduleValidation initial = ValidateSchedule(*task, false);
    struct Case {
        int a;
        int b;
    } cases[] = {{1, 3}, {0, 1}, {3, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a * 10 + c.b);
        CClassInfo* cls = FirstClass();
        CTeacherInfo* teacher = FirstTeacher();
        ASSERT_TRUE(teacher);
        const auto classA = Day(cls->GetTable(false), c.a);
        const auto classB = Day(cls->GetTable(false), c.b);
        const auto teacherA = Day(teacher->GetTable(false), c.a);
        ScriptedMessages messages;
        const CMoveResult result = SwapDays(*task, c.a, c.b, entries);
        ASSERT_TRUE(result.saved) << result.refusal;
        EXPECT_GT(result.movedLessons, 0);
        EXPECT_EQ(Day(cls->GetTable(false), c.b), classA);
        EXPECT_EQ(Day(cls->GetTable(false), c.a), classB);
        EXPECT_EQ(Day(cls->GetTable(true), c.b), classA);
        EXPECT_EQ(Day(teacher->GetTable(false), c.b), teacherA);
        const ScheduleValidation after = ValidateSchedule(*task, false);
        for (unsigned check = 1; check <= kCheckMutexSubject; check <<= 1) {
            if (check == kCheckFixedTime)
                continue;
            EXPECT_EQ(after.Count(static_cast<ScheduleCheck>(check)), initial.Count(static_cast<ScheduleCheck>(check)))
                << check;
        }
        std::set<int> others;
        for (int day = 0; day < zem::kDayCount; ++day)
            if (day != c.a && day != c.b)
                others.insert(day);
        EXPECT_EQ(OnFixedTimes(*task, after, {c.a, c.b}), Listed(result));
        EXPECT_EQ(OnFixedTimes(*task, after, others), OnFixedTimes(*task, initial, others));
        EXPECT_TRUE(CompareWithReopened(*task, taskFile).IsClean());
        EXPECT_FALSE(FilesAsBefore());
        ASSERT_EQ(messages.Texts().size(), 1u);
        EXPECT_EQ(messages.Texts()[0].find("列交换完成"), 0u) << messages.Texts()[0];
        for (const std::string& note : result.onClosedTimes)
            EXPECT_NE(messages.Texts()[0].find(note), std::string::npos) << note;

        ASSERT_TRUE(SwapDays(*task, c.b, c.a, entries).saved);
        EXPECT_TRUE(FilesAsBefore());
        EXPECT_EQ(Day(cls->GetTable(false), c.a), classA);
    }
}

TEST_F(TableMovesTest, ARefusedSwapSaysWhyAndChangesNothing)
{
    struct Case {
        int a;
        int b;
        const char* message;
    } cases[] = {{3, 3, "请选择不同的两天"}, {1, 12, "请选择课表中使用的两天"}, {-1, 2, "请选择课表中使用的两天"},
                   // Friday's last afternoon period is the school's cleaning, which stays where it is.
                   {2, 4, "高一(1)班 周三下午第4节的课无法移到周五下午第4节：这一节是全校大扫除"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ScriptedMessages messages;
        const std::vector<std::string> before = Day(FirstClass()->GetTable(false), 3);
        const CMoveResult result = SwapDays(*task, c.a, c.b, entries);
        EXPECT_FALSE(result.saved);
        EXPECT_EQ(result.refusal, c.message);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(Day(FirstClass()->GetTable(false), 3), before);
        EXPECT_TRUE(FilesAsBefore());
    }
}

TEST_F(TableMovesTest, AFailedSaveOfTheTimetablesPutsTheFilesBackAndSaysNoSuccess)
{
    const std::string outputPath = task->GetTaskInfo().GetOutputFilePath();
    const std::vector<std::string> before = Day(FirstClass()->GetTable(false), 1);
    ScriptedMessages messages;
    const zem::FileWriteFaultHook previous =
        zem::SetFileWriteFaultHook([outputPath](const std::string& path) { return path == outputPath ? EACCES : 0; });
    const CMoveResult result = SwapDays(*task, 1, 3, entries);
    zem::SetFileWriteFaultHook(previous);
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(FilesAsBefore());
    EXPECT_EQ(Day(FirstClass()->GetTable(false), 1), before);
    EXPECT_TRUE(entries.empty());
    // One message says it: the files put back, and why the save failed.
    ASSERT_FALSE(messages.Texts().empty());
    EXPECT_NE(messages.Texts().back().find("已恢复"), std::string::npos) << messages.Texts().back();
    EXPECT_NE(messages.Texts().back().find(outputPath), std::string::npos) << messages.Texts().back();
    for (const zem::MessageRequest& message : messages.messages) {
        EXPECT_EQ(message.text.find("完成"), std::string::npos) << message.text;
        EXPECT_EQ(message.text.find(outputPath) != std::string::npos, &message == &messages.messages.back())
            << message.text;
    }
}

// The lessons of a segment of a day, section by section.
std::vector<std::string> Segment(const CCourseTable& table, int day, int segment)
{
    std::vector<std::string> cells;
    for (int section = 0; section < zem::kSectionCount; ++section) {
        const CCourseTableNode& cell = table.GetNode(day, segment, section);
        cells.push_back(cell.data(1).GetCourseId() + "/" + cell.data(2).GetCourseId());
    }
    return cells;
}

TEST_F(TableMovesTest, ShiftingABoundaryMovesItsPeriodAndShiftingBackGivesTheFilesBack)
{
    // Fixed no-class times go with their periods: every check counts.
    const ScheduleValidation initial = ValidateSchedule(*task, false, kAllTableChecks);
    const CSchoolStructure& week = task->GetSchoolStructure();
    const int forenoon = week.GetSectionNodeMaxCount(0);
    const int afternoon = week.GetSectionNodeMaxCount(1);
    ASSERT_GE(forenoon, 2);
    ASSERT_LT(afternoon, zem::kSectionCount);
    task->GetSchoolStructure().GetCustomPeriodNameList().Add(0, forenoon - 1, "午前");
    ASSERT_TRUE(task->SaveInputData());
    input = ReadRaw(task->GetTaskInfo().GetInputFilePath());
    struct Case {
        CRowShift there;
        CRowShift back;
        int forenoonAfter;
        int afternoonAfter;
    } cases[] = {{{CRowShift::BoundaryForward, 0}, {CRowShift::BoundaryBack, 0}, forenoon - 1, afternoon + 1},
                 {{CRowShift::BoundaryBack, 0}, {CRowShift::BoundaryForward, 0}, forenoon + 1, afternoon - 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.there.kind);
        CClassInfo* cls = FirstClass();
        CTeacherInfo* teacher = FirstTeacher();
        const std::vector<std::string> classForenoon = Segment(cls->GetTable(false), 0, 0);
        const std::vector<std::string> classAfternoon = Segment(cls->GetTable(false), 0, 1);
        const std::vector<std::string> teacherForenoon = Segment(teacher->GetTable(false), 1, 0);
        const std::vector<std::string> teacherAfternoon = Segment(teacher->GetTable(false), 1, 1);
        ScriptedMessages messages;
        const CMoveResult result = ShiftRow(*task, c.there, entries);
        ASSERT_TRUE(result.saved) << result.refusal;
        EXPECT_EQ(week.GetSectionNodeMaxCount(0), c.forenoonAfter);
        EXPECT_EQ(week.GetSectionNodeMaxCount(1), c.afternoonAfter);
        // Forward: the forenoon's last period opens the afternoon; back: the afternoon's first
        // closes the forenoon. Its lessons and its name go with it.
        if (c.there.kind == CRowShift::BoundaryForward) {
            EXPECT_EQ(Segment(cls->GetTable(false), 0, 1)[0], classForenoon[forenoon - 1]);
            EXPECT_EQ(Segment(cls->GetTable(false), 0, 1)[1], classAfternoon[0]);
            EXPECT_EQ(Segment(teacher->GetTable(false), 1, 1)[0], teacherForenoon[forenoon - 1]);
            EXPECT_EQ(week.GetPeriodName(1, 0, false), "午前");
        } else {
            EXPECT_EQ(Segment(cls->GetTable(false), 0, 0)[forenoon], classAfternoon[0]);
            EXPECT_EQ(Segment(cls->GetTable(false), 0, 1)[0], classAfternoon[1]);
            EXPECT_EQ(Segment(teacher->GetTable(false), 1, 0)[forenoon], teacherAfternoon[0]);
        }
        const ScheduleValidation after = ValidateSchedule(*task, false, kAllTableChecks);
        for (unsigned check = 1; check <= kCheckMutexSubject; check <<= 1)
            EXPECT_EQ(after.Count(static_cast<ScheduleCheck>(check)), initial.Count(static_cast<ScheduleCheck>(check)))
                << check;
        EXPECT_TRUE(CompareWithReopened(*task, taskFile).IsClean());
        ASSERT_EQ(messages.Texts().size(), 1u);
        EXPECT_EQ(messages.Texts()[0].find("行平移完成"), 0u) << messages.Texts()[0];

        ASSERT_TRUE(ShiftRow(*task, c.back, entries).saved);
        EXPECT_TRUE(FilesAsBefore());
    }
}

TEST_F(TableMovesTest, AnInsertedPeriodIsEmptyAndTheLaterOnesMoveDown)
{
    const int afternoon = task->GetSchoolStructure().GetSectionNodeMaxCount(1);
    CClassInfo* cls = FirstClass();
    const std::vector<std::string> before = Segment(cls->GetTable(false), 2, 1);
    ScriptedMessages messages;
    ASSERT_TRUE(ShiftRow(*task, {CRowShift::InsertFirst, 1}, entries).saved);
    const CSchoolStructure& week = task->GetSchoolStructure();
    EXPECT_EQ(week.GetSectionNodeMaxCount(1), afternoon + 1);
    const std::vector<std::string> after = Segment(cls->GetTable(false), 2, 1);
    EXPECT_EQ(after[0], "/");
    for (int section = 0; section < afternoon; ++section)
        EXPECT_EQ(after[static_cast<std::size_t>(section + 1)], before[static_cast<std::size_t>(section)]) << section;
    EXPECT_TRUE(week.IsValid(2, 1, 0));
    EXPECT_TRUE(CompareWithReopened(*task, taskFile).IsClean());

    ASSERT_TRUE(ShiftRow(*task, {CRowShift::InsertLast, 1}, entries).saved);
    EXPECT_EQ(week.GetSectionNodeMaxCount(1), afternoon + 2);
    EXPECT_EQ(Segment(cls->GetTable(false), 2, 1)[static_cast<std::size_t>(afternoon + 1)], "/");
    EXPECT_TRUE(week.IsValid(2, 1, afternoon + 1));
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Texts()[1].find("行平移完成：在下午最后1节后增加1节"), 0u) << messages.Texts()[1];
}

TEST_F(TableMovesTest, ARefusedShiftSaysWhyAndChangesNothing)
{
    struct Case {
        int segment;
        int count;  // the segment's periods, set in memory first
        CRowShift shift;
        const char* message;
    } cases[] = {{1, 6, {CRowShift::InsertLast, 1}, "下午最多只能有 6 节课，不能再增加"},
                 {0, 1, {CRowShift::BoundaryForward, 0}, "上午只有 1 节课，不能把它移走"},
                 {2, 0, {CRowShift::BoundaryBack, 1}, "晚上没有节次可以移动"},
                 {1, 6, {CRowShift::BoundaryForward, 0}, "下午最多只能有 6 节课，不能再增加"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        CSchoolStructure& week = task->GetSchoolStructure();
        const CSchoolStructure kept = week;
        week.SetSectionNodeMaxCount(c.segment, c.count, false);
        const CSchoolStructure set = week;
        ScriptedMessages messages;
        const CMoveResult result = ShiftRow(*task, c.shift, entries);
        EXPECT_FALSE(result.saved);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.message});
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            EXPECT_EQ(week.GetSectionNodeMaxCount(segment), set.GetSectionNodeMaxCount(segment));
        EXPECT_TRUE(FilesAsBefore());
        week = kept;
    }
}

TEST_F(TableMovesTest, AFailedSaveOfAShiftPutsTheTaskAndItsFilesBack)
{
    const std::string outputPath = task->GetTaskInfo().GetOutputFilePath();
    const std::vector<std::string> before = Segment(FirstClass()->GetTable(false), 0, 1);
    const int forenoon = task->GetSchoolStructure().GetSectionNodeMaxCount(0);
    ScriptedMessages messages;
    const zem::FileWriteFaultHook previous =
        zem::SetFileWriteFaultHook([outputPath](const std::string& path) { return path == outputPath ? EACCES : 0; });
    const CMoveResult result = ShiftRow(*task, {CRowShift::InsertFirst, 1}, entries);
    zem::SetFileWriteFaultHook(previous);
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(FilesAsBefore());
    EXPECT_EQ(Segment(FirstClass()->GetTable(false), 0, 1), before);
    EXPECT_EQ(task->GetSchoolStructure().GetSectionNodeMaxCount(0), forenoon);
    EXPECT_TRUE(CompareWithReopened(*task, taskFile).IsClean());
    EXPECT_TRUE(entries.empty());
    for (const std::string& text : messages.Texts())
        EXPECT_EQ(text.find("完成"), std::string::npos) << text;
}

TEST_F(TableMovesTest, TheDialogShiftsTheRowChosenInItsInputs)
{
    const int forenoon = task->GetSchoolStructure().GetSectionNodeMaxCount(0);
    CTableMoveDlg dialog(nullptr, std::string(ZEM_TEST_DATA_DIR) + "/../../resources/");
    ScriptedMessages messages;
    ModalScope scope([&](zem::gui::Dialog& shown) {
        if (&shown == &dialog) {
            auto* list = shown.Item<QComboBox>(CTableMoveDlg::IDC_OPERATION);
            list->setCurrentIndex(CTableMoveDlg::MoveShiftRow);
            emit list->activated(CTableMoveDlg::MoveShiftRow);
            QTest::mouseClick(shown.GetDlgItem(CTableMoveDlg::IDC_START), Qt::LeftButton);
            return;
        }
        auto* inputs = dynamic_cast<CShiftRowDlg*>(&shown);
        ASSERT_NE(inputs, nullptr);
        inputs->Item<QComboBox>(CShiftRowDlg::IDC_SHIFT)->setCurrentIndex(4);
        SaveScreenshot(inputs, "table_move_shift_row_inputs");
        inputs->SendCommand(zem::IDOK);
    });
    dialog.DoModal();
    EXPECT_EQ(task->GetSchoolStructure().GetSectionNodeMaxCount(0), forenoon + 1);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].find("行平移完成：在上午第1节前增加1节"), 0u) << messages.Texts()[0];
}

TEST_F(TableMovesTest, TheDialogSwapsTheTwoDaysChosenInItsInputs)
{
    const auto mondayBefore = Day(FirstClass()->GetTable(false), 0);
    CTableMoveDlg dialog(nullptr, std::string(ZEM_TEST_DATA_DIR) + "/../../resources/");
    ScriptedMessages messages;
    ModalScope scope([&](zem::gui::Dialog& shown) {
        if (&shown == &dialog) {
            QTest::mouseClick(shown.GetDlgItem(CTableMoveDlg::IDC_START), Qt::LeftButton);
            return;
        }
        auto* inputs = dynamic_cast<CSwapDaysDlg*>(&shown);
        ASSERT_NE(inputs, nullptr);
        auto* second = inputs->Item<QComboBox>(CSwapDaysDlg::IDC_DAY_B);
        second->setCurrentIndex(2);
        SaveScreenshot(inputs, "table_move_swap_days_inputs");
        inputs->SendCommand(zem::IDOK);
    });
    dialog.DoModal();
    EXPECT_EQ(Day(FirstClass()->GetTable(false), 2), mondayBefore);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].find("列交换完成"), 0u) << messages.Texts()[0];
}

}  // namespace

namespace {

void PlaceBoth(SchoolBuilder& b, CCourseInfo* plan, const tagTABLE_NODE& node)
{
    for (const bool temp : {false, true})
        b.Task().SetCourseNode(plan, "", temp, node, 0);
}

// 张三 teaches 语文 to 初一(1)班 on Monday's first period, 王五 数学 to 初一(2)班 on its second and
// 李四 数学 to 初一(1)班 on its third; 张三 may not teach on Wednesday's first period, and the
// 数学组 of 王五 not on its second.
void BuildSmallMoves(SmallSchool& school)
{
    school.b.Group("g2", "数学组", {"t3"});
    CScheduleTask& task = school.b.Task();
    school.b.FixedTime<CFixedTimeOfTeacher>(task.GetFixedTimeOfTeacherList(), "t1", "200,");
    school.b.FixedTime<CFixedTimeOfTeacherGroup>(task.GetFixedTimeOfTeacherGroupList(), "g2", "201,");
    PlaceBoth(school.b, school.b.Course("k1", "c1", "s1", "t1", "1"), {0, 0, 0});
    PlaceBoth(school.b, school.b.Course("k2", "c2", "s2", "t3", "1"), {0, 0, 1});
    PlaceBoth(school.b, school.b.Course("k3", "c1", "s2", "t2", "2"), {0, 0, 2});
}

class SmallMovesTest : public testing::Test {
protected:
    void SetUp() override
    {
        CScheduleTask::ResetAutoBackupStateForTesting();
        BuildSmallMoves(school);
    }

    void Place(CCourseInfo* plan, const tagTABLE_NODE& node) { PlaceBoth(school.b, plan, node); }

    SmallSchool school;
    CAdjustmentEntryList entries;
};

// A lesson swapped onto a fixed no-lesson time of its teacher or of the teacher's group is said
// as one on its class's is; the lesson on a free slot is not.
TEST_F(SmallMovesTest, ASwapSaysTheLessonsNowOnTheirTeachersClosedTimes)
{
    CScheduleTask& task = school.Reopen();
    ScriptedMessages messages;
    const CMoveResult result = SwapDays(task, 0, 2, entries);
    ASSERT_TRUE(result.saved) << result.refusal;
    EXPECT_EQ(result.movedLessons, 3);
    const tagTABLE_NODE first{2, 0, 0};
    const tagTABLE_NODE second{2, 0, 1};
    const std::vector<std::string> closed = {"初一(1)班 " + task.GetTimeNodeDesc(&first) + "（张三不排课）",
                                             "初一(2)班 " + task.GetTimeNodeDesc(&second) + "（王五不排课）"};
    EXPECT_EQ(result.onClosedTimes, closed);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], "列交换完成：星期一和星期三的 3 节课交换了位置\n\n下列 2 节课现在排在不排课的时间上：\n" +
                                       closed[0] + "\n" + closed[1]);
}

// A fixed no-lesson time with an activity on it (劳动, 党团活动, 教研活动) is as closed as one
// without: 数学 of 初一(1)班 by 李四 swapped onto Wednesday's third period is said whoever's fixed
// time it is, beside the two lessons said without labels.
TEST(SmallMovesLabels, ASwapSaysTheLessonsNowOnLabelledFixedTimes)
{
    const tagTABLE_NODE third{2, 0, 2};
    struct Case {
        const char* what;
        std::function<CFixedTimeOfObject*(SchoolBuilder&)> add;
        const char* whose;
    } cases[] = {
        {"class", [](SchoolBuilder& b) { return b.FixedTime<CFixedTimeOfClass>(b.Task().GetFixedTimeOfClassList(), "c1", "202,"); },
         "班级"},
        {"teacher",
         [](SchoolBuilder& b) { return b.FixedTime<CFixedTimeOfTeacher>(b.Task().GetFixedTimeOfTeacherList(), "t2", "202,"); },
         "李四"},
        {"group",
         [](SchoolBuilder& b) {
             b.Group("g3", "初一组", {"t2"});
             return b.FixedTime<CFixedTimeOfTeacherGroup>(b.Task().GetFixedTimeOfTeacherGroupList(), "g3", "202,");
         },
         "李四"},
        {"subject",
         [](SchoolBuilder& b) { return b.FixedTime<CFixedTimeOfSubject>(b.Task().GetFixedTimeOfSubjectList(), "s2", "202,"); },
         "数学"},
        {"plan",
         [](SchoolBuilder& b) { return b.FixedTime<CFixedTimeOfCourse>(b.Task().GetFixedTimeOfCourseList(), "k3", "202,"); },
         "教学计划"},
    };
    for (const Case& c : cases) {
        for (const char* label : {"", "党团活动"}) {
            SCOPED_TRACE(std::string(c.what) + " " + label);
            CScheduleTask::ResetAutoBackupStateForTesting();
            SmallSchool school;
            BuildSmallMoves(school);
            CFixedTimeOfObject* fixed = c.add(school.b);
            if (*label)
                fixed->GetActivities().AddActivity(third, label);
            CScheduleTask& task = school.Reopen();
            ScriptedMessages messages;
            CAdjustmentEntryList entries;
            const CMoveResult result = SwapDays(task, 0, 2, entries);
            ASSERT_TRUE(result.saved) << result.refusal;
            const std::string line = "初一(1)班 " + task.GetTimeNodeDesc(&third) + "（" + c.whose + "不排课）";
            ASSERT_EQ(result.onClosedTimes.size(), 3u);
            EXPECT_EQ(std::count(result.onClosedTimes.begin(), result.onClosedTimes.end(), line), 1) << line;
            ASSERT_EQ(messages.Texts().size(), 1u);
            EXPECT_NE(messages.Texts()[0].find("下列 3 节课现在排在不排课的时间上：") , std::string::npos)
                << messages.Texts()[0];
            EXPECT_NE(messages.Texts()[0].find(line), std::string::npos) << messages.Texts()[0];
            EXPECT_EQ(ValidateSchedule(task, false, kCheckFixedTime).Count(), 3u)
                << ValidateSchedule(task, false, kCheckFixedTime).Text();
        }
    }
}

// A row shift counts the lessons that changed period, not every lesson of the segments it touches.
TEST_F(SmallMovesTest, AShiftCountsTheLessonsThatChangedPeriod)
{
    const int forenoon = school.b.Task().GetSchoolStructure().GetSectionNodeMaxCount(0);
    ASSERT_GT(forenoon, 3);
    Place(school.b.Course("k4", "c2", "s1", "t2", "1"), {1, 0, forenoon - 1});
    CScheduleTask& task = school.Reopen();
    ScriptedMessages messages;
    const CMoveResult result = ShiftRow(task, {CRowShift::BoundaryForward, 0}, entries);
    ASSERT_TRUE(result.saved) << result.refusal;
    EXPECT_EQ(result.movedLessons, 1);
    EXPECT_EQ(task.GetClass("c2")->GetTable(false).GetNode(1, 1, 0).data(1).GetCourseId(), "k4");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"行平移完成：把上午最后1节移到下午第1节，1 节课随之移动"});
}

}  // namespace
