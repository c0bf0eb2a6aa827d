// Splitting teaching plans: which plans may be split, which lessons a split takes, and the split
// dialog from choosing plans to the saved task.
#include "support/BasicDataTestSupport.h"

#include "app/shared/AdjustmentHistory.h"
#include "app/timetable/ChangedTimetableDlg.h"
#include "app/controls/CoursePlanPickerDlg.h"
#include "app/data/PlanSplit.h"
#include "app/data/SplitPlanDlg.h"
#include "base/ScheduleTask.h"
#include "platform/gui/ReportList.h"
#include "platform/gui/Timers.h"
#include "base/ScheduleValidator.h"

#include <QComboBox>

#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using zem::gui::Dialog;
using zem::gui::ReportList;

namespace {

void UserCheck(ReportList& list, int row)
{
    list.model()->setData(list.model()->index(row, 0), Qt::Checked, Qt::CheckStateRole);
}

// Ticks the plans in the picker and confirms it.
void PickPlans(Dialog& dialog, const std::vector<const CCourseInfo*>& plans)
{
    auto* picker = dynamic_cast<CCoursePlanPickerDlg*>(&dialog);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->Caption().rfind("选择要拆分的教学计划", 0), 0u) << picker->Caption();
    ReportList& list = *picker->GetList();
    for (const CCourseInfo* plan : plans)
        for (int row = 0; row < list.GetItemCount(); ++row)
            if (list.GetItemPtr<CCourseInfo>(row) == plan)
                UserCheck(list, row);
    picker->SendCommand(zem::IDOK);
}

void SetCombo(CSplitPlanDlg& dialog, int id, const std::string& text)
{
    auto* combo = dialog.Item<QComboBox>(id);
    const int index = combo->findText(QString::fromStdString(text));
    if (index >= 0)
        combo->setCurrentIndex(index);
    else
        combo->setEditText(QString::fromStdString(text));  // typed into the count field
}

std::vector<std::string> Column(const ReportList& list, int column)
{
    std::vector<std::string> texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts.push_back(list.GetItemText(row, column));
    return texts;
}

bool IsRed(const ReportList& list, int row)
{
    const QVariant colour = list.model()->data(list.model()->index(row, CSplitPlanDlg::kPlan), Qt::ForegroundRole);
    return colour.isValid() && colour.value<QBrush>().color() == QColor(255, 0, 0);
}

CCourseInfo* FindPlan(CScheduleTask& task, const std::string& classId, const std::string& teacherId,
                      const std::string& courseId)
{
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    for (CCourseInfo* plan : plans)
        if (plan->GetClassId() == classId && plan->GetTeacherId() == teacherId && plan->GetSubjectId() == courseId)
            return plan;
    return nullptr;
}

// A regular plan of the demo with at least `count` lessons a week and no combined class.
CCourseInfo* DemoPlan(CScheduleTask& task, int count)
{
    for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList()))
        if (plan->GetWeekCount().GetWholeCount() >= count && !task.GetCC(plan->GetId()))
            return plan;
    return nullptr;
}

// A course the plan's class has no plan of with the plan's teacher.
std::string FreeCourse(CScheduleTask& task, const CCourseInfo& plan)
{
    std::string found;
    for (CSubjectInfo* course : ObjectsInOrder<CSubjectInfo>(task.GetSubjectInfoList()))
        if (!FindPlan(task, plan.GetClassId(), plan.GetTeacherId(), course->GetId()))
            found = course->GetId();
    return found;
}

// The demo is not scheduled, so its own presets hold no lessons, which the validator reports: they
// are not what these tests place by hand and check.
void DropUnplacedPresets(CScheduleTask& task) { task.GetCoursePresetList().RemoveAll(); }

// A plan of the demo placed on the first three days, 0:00, 1:01 and 2:02, with presets at `presets`;
// the demo's own presets are dropped.
CCourseInfo* PlacedPlan(CScheduleTask& task, const std::string& presets)
{
    DropUnplacedPresets(task);
    CCourseInfo* plan = DemoPlan(task, 4);
    if (!plan)
        return nullptr;
    for (const tagTABLE_NODE& node : {tagTABLE_NODE{0, 0, 0}, tagTABLE_NODE{1, 0, 1}, tagTABLE_NODE{2, 0, 2}})
        task.SetCourseNode(plan, plan->GetSpecialRoomId(), false, node, 0);
    auto* preset = new CCoursePreset;
    preset->SetId(plan->GetId());
    preset->ReadFixedTimeFromString(presets);
    task.GetCoursePresetList().Add(preset);
    return plan;
}

}  // namespace

TEST(SplitPlan, CheckSplitRefusesByTheFirstRuleThatHolds)
{
    SmallSchool school;
    school.b.Subject("s3", "体育", "体");
    school.b.Course("k1", "c1", "s1", "t1", "3");
    school.b.Course("k2", "c1", "s3", "t1", "3.5");
    school.b.Course("k3", "c1", "s2", "t2", "2");
    school.b.Course("k4", "c2", "s2", "t2", "2");
    school.b.Combined("cc", {"k3", "k4"});
    // Its lessons would join k4, which is taught together with another class.
    school.b.Course("k5", "c2", "s3", "t2", "4");
    CScheduleTask& task = school.Task();
    const CPlanKeyIndex index = BuildPlanKeyIndex(task);

    struct Case {
        const char* plan;
        int count;
        const char* course;
        const char* reason;
    };
    const Case cases[] = {
        {"k1", 2, "s2", ""},
        {"k1", 3, "s2", "拆分节数应小于周课时数"},
        {"k2", 3, "s2", ""},  // 3.5 a week leaves half a lesson
        {"k1", 0, "s2", "拆分节数应大于0"},
        {"k1", -2, "s2", "拆分节数应大于0"},
        {"k1", 1, "s1", "新课程名称和之前相同"},
        {"k3", 1, "s2", "新课程名称和之前相同"},  // before its combined class
        {"k3", 1, "s1", "合班课程不支持"},
        {"k5", 1, "s2", "合班课程不支持"},
        {"k5", 1, "s1", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckSplit(task, index, *task.FindCourse(c.plan), c.count, c.course), c.reason)
            << c.plan << " " << c.count << " " << c.course;
}

TEST(SplitPlan, TakesOnlyPlacedWholeWeekLessonsByThePositionRule)
{
    SmallSchool school;
    CCourseInfo* plan = school.b.Course("k1", "c1", "s1", "t1", "4.5");
    CScheduleTask& task = school.Task();
    const tagTABLE_NODE first{0, 0, 1}, second{0, 1, 0}, third{2, 0, 0}, half{1, 0, 0};
    for (const tagTABLE_NODE& node : {third, first, second})
        task.SetCourseNode(plan, "", false, node, 0);
    task.SetCourseNode(plan, "", false, half, 1);
    using Nodes = std::vector<tagTABLE_NODE>;
    struct Case {
        int count;
        int position;
        Nodes taken;
    };
    const Case cases[] = {
        {2, kSplitEarliest, {first, second}},
        {2, kSplitLatest, {third, second}},
        {4, kSplitEarliest, {first, second, third}},  // never more than are placed
        {0, kSplitEarliest, {}},
    };
    std::mt19937 random(7);
    for (const Case& c : cases)
        EXPECT_EQ(PickSplitLessons(task, *plan, c.count, c.position, random), c.taken)
            << c.count << " " << c.position;

    // A pre-arranged lesson, and a slot closed to the new course, are taken only when no other is left.
    school.b.Preset("k1", "1,");  // the first slot
    school.b.FixedTime<CFixedTimeOfSubject>(task.GetFixedTimeOfSubjectList(), "s2", "10,");  // the second
    EXPECT_EQ(PickSplitLessons(task, *plan, 2, kSplitEarliest, random, "s2"), (Nodes{third, first}));
    EXPECT_EQ(PickSplitLessons(task, *plan, 3, kSplitEarliest, random, "s2"), (Nodes{third, first, second}));
    EXPECT_EQ(PickSplitLessons(task, *plan, 2, kSplitEarliest, random, "s1"), (Nodes{second, third}));
    task.GetCoursePresetList().Remove("k1");

    std::set<std::pair<int, int>> seen;
    for (unsigned seed = 0; seed < 20; ++seed) {
        std::mt19937 seeded(seed);
        const Nodes taken = PickSplitLessons(task, *plan, 1, kSplitRandom, seeded);
        ASSERT_EQ(taken.size(), 1u);
        EXPECT_NE(taken[0], half);
        seen.insert({taken[0].day, taken[0].segment * 10 + taken[0].section});
    }
    EXPECT_EQ(seen.size(), 3u);  // every placed lesson can be the one taken
}

// The whole path: the picker opens by itself, the split moves N placed lessons to a new plan of the
// same class and teacher, and the saved task holds the change, its backup and its history.
TEST(SplitPlanDlg, SplitsIntoANewPlanAndSavesEverything)
{
    zem::gui::FakeClock clock;
    DemoSchool demo;
    ASSERT_NE(demo.task, nullptr);
    CScheduleTask& task = *demo.task;
    DropUnplacedPresets(task);
    CCourseInfo* plan = DemoPlan(task, 4);
    ASSERT_NE(plan, nullptr);
    const std::string planId = plan->GetId(), classId = plan->GetClassId(), teacherId = plan->GetTeacherId();
    const CWeekCount before = plan->GetWeekCount();
    // A course the class has no plan of with this teacher.
    std::string newCourse;
    for (CSubjectInfo* course : ObjectsInOrder<CSubjectInfo>(task.GetSubjectInfoList()))
        if (course->GetId() != plan->GetSubjectId() && !FindPlan(task, classId, teacherId, course->GetId()))
            newCourse = course->GetId();
    ASSERT_FALSE(newCourse.empty());
    const std::string room = plan->GetSpecialRoomId();
    const tagTABLE_NODE early{0, 0, 0}, second{1, 0, 1}, later{2, 0, 2}, last{3, 0, 3};
    for (const tagTABLE_NODE& node : {later, last, early, second})
        task.SetCourseNode(plan, room, false, node, 0);
    ASSERT_TRUE(task.SaveOutputData());
    ASSERT_TRUE(ValidateSchedule(task).IsClean()) << ValidateSchedule(task).Text();

    CSplitPlanDlg dialog;
    ScriptedMessages messages;
    std::vector<std::string> changedTitles;
    ModalScope scope([&](Dialog& shown) {
        if (auto* changed = dynamic_cast<CChangedTimetableDlg*>(&shown)) {
            for (int i = 0; i < changed->GetTree()->topLevelItemCount(); ++i)
                changedTitles.push_back(changed->GetTree()->topLevelItem(i)->text(0).toStdString());
            return;
        }
        if (&shown != &dialog) {
            PickPlans(shown, {plan});
            return;
        }
        clock.Advance(CSplitPlanDlg::kChooseDelayMs);
        ASSERT_EQ(dialog.GetPlans().size(), 1u);
        EXPECT_EQ(dialog.GetList()->GetItemText(0, CSplitPlanDlg::kWeekCount), before.ToString());
        SetCombo(dialog, CSplitPlanDlg::IDC_POSITION, "一周中靠前");
        SetCombo(dialog, CSplitPlanDlg::IDC_COUNT, "2");
        SetCombo(dialog, CSplitPlanDlg::IDC_COURSE, task.GetSubjectName(newCourse));
        EXPECT_EQ(dialog.GetList()->GetItemText(0, CSplitPlanDlg::kReason), "");
        EXPECT_FALSE(dialog.IsItemEnabled(CSplitPlanDlg::IDC_EXPORT));
        dialog.SendCommand(zem::IDOK);
        EXPECT_EQ(dialog.GetList()->GetItemText(0, CSplitPlanDlg::kWeekCount), (before - CWeekCount(2, false)).ToString());
        // The split's changes, to export or print.
        ASSERT_TRUE(dialog.IsItemEnabled(CSplitPlanDlg::IDC_EXPORT));
        dialog.SendCommand(CSplitPlanDlg::IDC_EXPORT);
        ASSERT_EQ(changedTitles.size(), 1u);
        EXPECT_NE(changedTitles[0].find(" 拆分教学计划 "), std::string::npos) << changedTitles[0];
        dialog.SendCommand(zem::IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), zem::IDCANCEL);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].rfind("拆分完成", 0), 0u) << messages.Texts()[0];

    // The saved files, read afresh.
    std::unique_ptr<CScheduleTask> saved = demo.Open();
    ASSERT_NE(saved, nullptr);
    const CCourseInfo* source = saved->FindCourse(planId);
    CCourseInfo* target = FindPlan(*saved, classId, teacherId, newCourse);
    ASSERT_NE(source, nullptr);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(source->GetWeekCount(), before - CWeekCount(2, false));
    EXPECT_EQ(target->GetWeekCount(), CWeekCount(2, false));
    EXPECT_EQ(target->GetType(), COURSE_TYPE_PLAN);
    const CCourseTable& classTable = saved->GetClass(classId)->GetTable(false);
    for (const tagTABLE_NODE& node : {early, second})
        EXPECT_EQ(classTable.GetNode(node).GetCourseId(1), target->GetId());
    for (const tagTABLE_NODE& node : {later, last})
        EXPECT_EQ(classTable.GetNode(node).GetCourseId(1), planId);
    EXPECT_EQ(saved->GetTeacher(teacherId)->GetTable(false).GetNode(early).GetCourseId(1), target->GetId());
    const ScheduleValidation validation = ValidateSchedule(*saved);
    EXPECT_TRUE(validation.IsClean()) << validation.Text();
    EXPECT_TRUE(CompareTimetables(task, *saved).IsClean()) << CompareTimetables(task, *saved).Text();

    std::vector<const CBackupEntry*> backups;
    saved->GetBackupManager().GetAllBackups(backups);
    EXPECT_TRUE(std::any_of(backups.begin(), backups.end(),
                            [](const CBackupEntry* entry) { return entry->m_strDescription == "拆分教学计划前"; }));

    CAdjustmentHistory history;
    history.Load(task.GetConfigFile(), "AdjustmentHistory", 10);
    ASSERT_EQ(history.GetEntries().size(), 1u);
    const CAdjustmentEntry& entry = *history.GetEntries().front();
    EXPECT_NE(entry.title.find(" 拆分教学计划 " + task.GetCourseDesc(planId) + " 2节 -> "), std::string::npos)
        << entry.title;
    EXPECT_NE(entry.title.find("-> " + task.GetSubjectName(newCourse)), std::string::npos) << entry.title;
    EXPECT_EQ(entry.ids.at(0), classId);
    EXPECT_EQ(entry.ids.at(1), teacherId);
}

// A second split joins the plan the first one made, and the preview marks refused plans in red.
TEST(SplitPlanDlg, PreviewMarksRefusedPlansAndFollowsEveryChange)
{
    DemoSchool demo;
    ASSERT_NE(demo.task, nullptr);
    CScheduleTask& task = *demo.task;
    // The first class's plans and a plan of a combined class.
    std::vector<const CCourseInfo*> chosen;
    const std::vector<CCourseInfo*> plans = ObjectsInOrder<CCourseInfo>(task.GetCourseInfoList());
    const std::string classId = ObjectsInOrder<CClassInfo>(task.GetClassInfoList()).front()->GetId();
    for (const CCourseInfo* plan : plans)
        if (plan->GetClassId() == classId && chosen.size() < 6)
            chosen.push_back(plan);
    for (const CCourseInfo* plan : plans)
        if (task.GetCC(plan->GetId()) && std::find(chosen.begin(), chosen.end(), plan) == chosen.end()) {
            chosen.push_back(plan);
            break;
        }
    ASSERT_EQ(chosen.size(), 7u);

    CSplitPlanDlg dialog;
    ScriptedMessages messages;
    ModalScope scope([&](Dialog& shown) {
        if (&shown != &dialog) {
            PickPlans(shown, chosen);
            return;
        }
        dialog.SendCommand(CSplitPlanDlg::IDC_CHOOSE);
        ReportList& list = *dialog.GetList();
        ASSERT_EQ(list.GetItemCount(), 7);
        EXPECT_EQ(dialog.GetCount(), 1);
        EXPECT_EQ(dialog.GetNewCourseId(), ObjectsInOrder<CSubjectInfo>(task.GetSubjectInfoList()).back()->GetId());
        SetCombo(dialog, CSplitPlanDlg::IDC_COUNT, "2");
        std::vector<std::string> expected;
        for (const CCourseInfo* plan : chosen)
            expected.push_back(CheckSplit(task, BuildPlanKeyIndex(task), *plan, 2, dialog.GetNewCourseId()));
        EXPECT_EQ(Column(list, CSplitPlanDlg::kReason), expected);
        EXPECT_EQ(list.GetItemText(6, CSplitPlanDlg::kReason), "合班课程不支持");
        for (int row = 0; row < list.GetItemCount(); ++row) {
            EXPECT_EQ(IsRed(list, row), !expected[row].empty()) << row;
            EXPECT_EQ(list.GetItemText(row, CSplitPlanDlg::kRefusedMark), expected[row].empty() ? "" : "1");
        }
        EXPECT_EQ(list.GetItemText(0, CSplitPlanDlg::kKind), "常规");
        SaveScreenshot(&dialog, "split_plan_preview");

        // The first plan's own course refuses it; another course lets it go again.
        SetCombo(dialog, CSplitPlanDlg::IDC_COURSE, task.GetSubjectName(chosen[0]->GetSubjectId()));
        EXPECT_EQ(list.GetItemText(0, CSplitPlanDlg::kReason), "新课程名称和之前相同");
        EXPECT_TRUE(IsRed(list, 0));
        SetCombo(dialog, CSplitPlanDlg::IDC_COURSE, "班会");
        EXPECT_EQ(list.GetItemText(0, CSplitPlanDlg::kReason), expected[0]);
        EXPECT_EQ(IsRed(list, 0), !expected[0].empty());

        // Typed counts: beyond the list's five, and text that is no number.
        SetCombo(dialog, CSplitPlanDlg::IDC_COUNT, "7");
        EXPECT_EQ(dialog.GetCount(), 7);
        SetCombo(dialog, CSplitPlanDlg::IDC_COUNT, "abc");
        EXPECT_EQ(Column(list, CSplitPlanDlg::kReason), std::vector<std::string>(7, "拆分节数应大于0"));
        dialog.SendCommand(zem::IDOK);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"所选的教学计划都不能拆分，原因见列表"});
        dialog.SendCommand(zem::IDCANCEL);
    });
    dialog.DoModal();
    // Nothing was split: the task is as it was.
    EXPECT_EQ(task.GetCourseInfoList().GetCount(), static_cast<int>(plans.size()));
}

// A plan split twice into one course: the second split joins the plan the first one made.
TEST(SplitPlan, ASecondSplitJoinsThePlanTheFirstMade)
{
    DemoSchool demo;
    ASSERT_NE(demo.task, nullptr);
    CScheduleTask& task = *demo.task;
    CCourseInfo* plan = DemoPlan(task, 4);
    ASSERT_NE(plan, nullptr);
    const std::string newCourse = FreeCourse(task, *plan);
    const CWeekCount before = plan->GetWeekCount();
    const int planCount = task.GetCourseInfoList().GetCount();
    CPlanKeyIndex index = BuildPlanKeyIndex(task);
    CAdjustmentEntryList entries;
    std::mt19937 random(1);
    ScriptedMessages messages;
    for (int round = 0; round < 2; ++round) {
        const CSplitResult result = SplitPlans(task, index, {{plan}, 1, newCourse, kSplitRandom}, random, entries);
        EXPECT_EQ(result.splitPlans, 1);
        EXPECT_EQ(result.movedLessons, 0);  // nothing placed
        EXPECT_TRUE(result.saved);
    }
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(task.GetCourseInfoList().GetCount(), planCount + 1);
    EXPECT_EQ(plan->GetWeekCount(), before - CWeekCount(2, false));
    EXPECT_EQ(FindPlan(task, plan->GetClassId(), plan->GetTeacherId(), newCourse)->GetWeekCount(), CWeekCount(2, false));
    EXPECT_EQ(entries.size(), 2u);
}

// Pre-arranged lessons go last, but when nothing else is left the lessons taken leave the plan's
// presets: a preset slot holding another course's lesson would be a broken rule.
TEST(SplitPlan, TakenPresetLessonsLeaveThePlansPresets)
{
    DemoSchool demo;
    ASSERT_NE(demo.task, nullptr);
    CScheduleTask& task = *demo.task;
    const tagTABLE_NODE second{1, 0, 1};
    CCourseInfo* plan = PlacedPlan(task, "0,101,");  // presets on the first and second slots
    ASSERT_NE(plan, nullptr);
    const std::string newCourse = FreeCourse(task, *plan);
    ASSERT_TRUE(ValidateSchedule(task).IsClean()) << ValidateSchedule(task).Text();

    CPlanKeyIndex index = BuildPlanKeyIndex(task);
    CAdjustmentEntryList entries;
    std::mt19937 random(1);
    ScriptedMessages messages;
    const CSplitResult result = SplitPlans(task, index, {{plan}, 2, newCourse, kSplitEarliest}, random, entries);
    EXPECT_EQ(result.movedLessons, 2);
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(static_cast<const CCoursePreset*>(task.GetCoursePresetList().Find(plan->GetId()))->GetNodeList(),
              std::vector<tagTABLE_NODE>{second});
    const ScheduleValidation validation = ValidateSchedule(task);
    EXPECT_TRUE(validation.IsClean()) << validation.Text();
}

// A split that would put the new course's lessons on times closed to it is undone whole and named:
// the plans, presets, tables, index and saved files are as before, and nothing says it was done.
TEST(SplitPlan, ASplitThatBreaksARuleIsRefusedAndLeavesTheTaskAsItWas)
{
    DemoSchool demo;
    ASSERT_NE(demo.task, nullptr);
    CScheduleTask& task = *demo.task;
    const tagTABLE_NODE first{0, 0, 0}, second{1, 0, 1}, third{2, 0, 2};
    CCourseInfo* plan = PlacedPlan(task, "0,");
    ASSERT_NE(plan, nullptr);
    const std::string newCourse = FreeCourse(task, *plan);
    // Every placed lesson sits on a time the new course may not use.
    auto* closed = static_cast<CFixedTimeOfSubject*>(task.GetFixedTimeOfSubjectList().Find(newCourse));
    if (!closed) {
        closed = new CFixedTimeOfSubject;
        closed->SetId(newCourse);
        task.GetFixedTimeOfSubjectList().Add(closed);
    }
    closed->ReadFixedTimeFromString("0,101,202,");
    ASSERT_TRUE(task.SaveInputAndOutput());
    ASSERT_TRUE(ValidateSchedule(task).IsClean()) << ValidateSchedule(task).Text();
    std::string input, output;
    ASSERT_TRUE(zem::ReadFileBytes(task.GetTaskInfo().GetInputFilePath(), input));
    ASSERT_TRUE(zem::ReadFileBytes(task.GetTaskInfo().GetOutputFilePath(), output));
    const CWeekCount before = plan->GetWeekCount();
    const int plans = task.GetCourseInfoList().GetCount();

    CPlanKeyIndex index = BuildPlanKeyIndex(task);
    const std::size_t keys = index.size();
    CAdjustmentEntryList entries;
    std::mt19937 random(1);
    ScriptedMessages messages;
    const CSplitResult result = SplitPlans(task, index, {{plan}, 2, newCourse, kSplitEarliest}, random, entries);
    EXPECT_EQ(result.splitPlans, 0);
    EXPECT_FALSE(result.saved);
    ASSERT_EQ(messages.Texts().size(), 1u);
    const std::string said = messages.Texts()[0];
    EXPECT_EQ(said.rfind("这样调整会违反排课规则，已撤销调整", 0), 0u) << said;
    EXPECT_NE(said.find(task.GetSubjectName(newCourse)), std::string::npos) << said;

    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(index.size(), keys);
    EXPECT_EQ(task.GetCourseInfoList().GetCount(), plans);
    EXPECT_EQ(FindPlan(task, plan->GetClassId(), plan->GetTeacherId(), newCourse), nullptr);
    EXPECT_EQ(plan->GetWeekCount(), before);
    const auto* kept = static_cast<const CCoursePreset*>(task.GetCoursePresetList().Find(plan->GetId()));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->GetNodeList(), std::vector<tagTABLE_NODE>{first});
    for (const bool temp : {false, true})
        for (const tagTABLE_NODE& node : {first, second, third})
            EXPECT_EQ(task.GetClass(plan->GetClassId())->GetTable(temp).GetNode(node).GetCourseId(1), plan->GetId());
    EXPECT_TRUE(ValidateSchedule(task).IsClean()) << ValidateSchedule(task).Text();
    EXPECT_TRUE(ValidateSchedule(task, true).IsClean()) << ValidateSchedule(task, true).Text();

    std::string inputAfter, outputAfter;
    ASSERT_TRUE(zem::ReadFileBytes(task.GetTaskInfo().GetInputFilePath(), inputAfter));
    ASSERT_TRUE(zem::ReadFileBytes(task.GetTaskInfo().GetOutputFilePath(), outputAfter));
    EXPECT_TRUE(inputAfter == input);
    EXPECT_TRUE(outputAfter == output);
    std::unique_ptr<CScheduleTask> saved = demo.Open();
    ASSERT_NE(saved, nullptr);
    EXPECT_TRUE(CompareTimetables(task, *saved).IsClean()) << CompareTimetables(task, *saved).Text();
    EXPECT_EQ(saved->FindCourse(plan->GetId())->GetWeekCount(), before);
}
