// The big move's merges on a generated school saved in a task folder: the school split by the test
// into two tasks by days, by segments and by grades, then merged, gives its timetables back; a
// refusal or a failed save leaves the task and its files as they were.
#include "support/FakeAppServices.h"
#include "support/GeneratedSchool.h"
#include "support/MessageRecorder.h"
#include "support/ModalScope.h"
#include "support/TaskSplit.h"
#include "support/TempFolder.h"
#include "app/shared/Strings.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"
#include "app/timetable/TableMoveDlg.h"
#include "app/timetable/TaskMerge.h"
#include "base/ScheduleTask.h"
#include "base/TaskLimits.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/FileDialogs.h"
#include "testing/generator/SchoolGenerator.h"
#include "base/ScheduleValidator.h"

#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace {

class TaskMergeTest : public testing::Test {
protected:
    void SetUp() override
    {
        CScheduleTask::ResetAutoBackupStateForTesting();
        const std::unique_ptr<CScheduleTask> school = WriteFilledS12(Folder("S12"));
        ASSERT_TRUE(school);
        original = ClassGrids(*school);
        // The first half of the classes stands for a grade.
        const std::vector<CClassInfo*> classes = ObjectsInOrder<CClassInfo>(school->GetClassInfoList());
        for (std::size_t i = 0; i < classes.size() / 2; ++i)
            firstGrade.insert(classes[i]->GetName());
        initial = ValidateSchedule(*school, false, kAllTableChecks);
    }

    std::string Folder(const std::string& name) const { return folder.path() + name + "/"; }

    // A copy of the school, changed by `change` and saved, opened as the test asks.
    std::unique_ptr<CScheduleTask> Part(const std::string& name, const std::function<void(CScheduleTask&)>& change,
                                        TaskAccess access)
    {
        EXPECT_EQ(zem::CopyFolder(Folder("S12"), Folder(name)), 0);
        std::string bytes;
        EXPECT_TRUE(zem::ReadFileBytes(Folder(name) + "S12.zem", bytes));
        {
            CScheduleTask task;
            EXPECT_TRUE(task.Open(Folder(name) + "S12.zem"));
            change(task);
            EXPECT_TRUE(task.SaveInputData());
            EXPECT_TRUE(task.SaveOutputData());
        }
        auto task = std::make_unique<CScheduleTask>();
        EXPECT_TRUE(task->Open(Folder(name) + "S12.zem", access));
        return task;
    }

    void ExpectTheSchoolBack(CScheduleTask& merged, bool countsAdded)
    {
        EXPECT_EQ(ClassGrids(merged), original);
        const ScheduleValidation after = ValidateSchedule(merged, false, kAllTableChecks);
        for (unsigned check = 1; check <= kCheckMutexSubject; check <<= 1) {
            if (check == kCheckWeekCount)
                continue;  // the parts' counts are what their lessons need, not the school's
            EXPECT_EQ(after.Count(static_cast<ScheduleCheck>(check)), initial.Count(static_cast<ScheduleCheck>(check)))
                << check;
        }
        EXPECT_EQ(after.Count(kCheckWeekCount), 0);
        // Each part counted just its own lessons: the merge adds the counts up to what the plans
        // hold now.
        std::vector<CCourseInfo*> plans;
        merged.GetFullCourseList(plans);
        CTaskHelper helper(&merged);
        for (CCourseInfo* plan : countsAdded ? plans : std::vector<CCourseInfo*>{})
            EXPECT_EQ(plan->GetWeekCount(), helper.GetWeekCount(&plan->GetTable(false))) << plan->GetId();
        EXPECT_TRUE(CompareWithReopened(merged, merged.GetTaskInfo().GetTaskFile()).IsClean());
    }

    TempFolder folder;
    FakeAppServices services;
    std::map<std::string, std::string> original;
    std::set<std::string> firstGrade;
    ScheduleValidation initial;
    CAdjustmentEntryList entries;
};

TEST_F(TaskMergeTest, TheSchoolSplitAndMergedAgainGivesItsTimetablesBack)
{
    struct Case {
        MergeKind kind;
        std::function<void(CScheduleTask&, bool first)> split;  // keeps the first part or the rest
    };
    const auto byDays = [](const tagTABLE_NODE& node) { return node.day % 7 < 2; };
    const auto bySegments = [](const tagTABLE_NODE& node) { return node.segment == 0; };
    const Case cases[] = {
        {MergeKind::Days,
         [&](CScheduleTask& task, bool first) {
             KeepLessons(task, [&](const tagTABLE_NODE& node) { return byDays(node) == first; });
             for (int day = 0; day < zem::kDayCount; ++day)
                 if (byDays({day, 0, 0}) != first)
                     task.GetSchoolStructure().SetWeekDay(day, false);
             task.GetSchoolStructure().RefreshData();
             CountTheLessonsKept(task);
         }},
        {MergeKind::Segments,
         [&](CScheduleTask& task, bool first) {
             KeepLessons(task, [&](const tagTABLE_NODE& node) { return bySegments(node) == first; });
             for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                 if (bySegments({0, segment, 0}) != first)
                     task.GetSchoolStructure().SetSectionNodeMaxCount(segment, 0, false);
             task.GetSchoolStructure().ParseFromXMLData();
             CountTheLessonsKept(task);
         }},
        {MergeKind::Classes,
         [&](CScheduleTask& task, bool first) {
             KeepClasses(task, [&](const std::string& name) { return firstGrade.count(name) == (first ? 1u : 0u); });
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(MergeName(c.kind));
        const std::string name = MergeName(c.kind);
        auto task = Part(name + "A", [&](CScheduleTask& t) { c.split(t, true); }, TaskAccess::ReadWrite);
        auto other = Part(name + "B", [&](CScheduleTask& t) { c.split(t, false); }, TaskAccess::ReadOnly);
        services.task = task.get();
        ASSERT_NE(ClassGrids(*task), original);
        ScriptedMessages messages;
        const CMoveResult result = MergeTask(*task, *other, c.kind, entries);
        ASSERT_TRUE(result.saved) << result.refusal;
        EXPECT_GT(result.movedLessons, 0);
        ExpectTheSchoolBack(*task, c.kind != MergeKind::Classes);
        ASSERT_EQ(messages.Texts().size(), 1u);
        EXPECT_EQ(messages.Texts()[0].find(name + "完成"), 0u) << messages.Texts()[0];
    }
}

TEST_F(TaskMergeTest, ARefusedMergeSaysWhyAndChangesNothing)
{
    const auto days = [](CScheduleTask& task) {
        task.GetSchoolStructure().SetWeekDay(1, false);
        task.GetSchoolStructure().RefreshData();
    };
    const auto renamed = [](CScheduleTask& task) {
        for (CClassInfo* cls : ObjectsInOrder<CClassInfo>(task.GetClassInfoList())) {
            cls->SetName(cls->GetName() + "乙");
            task.GetClassInfoList().Modify(cls);
        }
    };
    const auto teachersRenamed = [](CScheduleTask& task) {
        for (CTeacherInfo* teacher : ObjectsInOrder<CTeacherInfo>(task.GetTeacherInfoList())) {
            teacher->SetName(teacher->GetName() + "乙");
            task.GetTeacherInfoList().Modify(teacher);
        }
    };
    struct Case {
        MergeKind kind;
        std::function<void(CScheduleTask&)> other;
        const char* message;
        bool whole = true;  // else the message's beginning
    } cases[] = {
        {MergeKind::Days, [](CScheduleTask&) {}, "两个排课任务都使用星期一，列合并要求两个任务使用的日子不重复"},
        {MergeKind::Segments, [](CScheduleTask&) {}, "两个排课任务都使用上午的节次，行合并要求两个任务使用的节次不重复"},
        {MergeKind::Classes, [](CScheduleTask&) {}, "班级“高一(1)班”已在当前排课任务中，年级合并要求两个任务的班级不重复"},
        {MergeKind::Classes, [&](CScheduleTask& t) { renamed(t); days(t); },
         "两个排课任务的教学时间不同，年级合并要求两个任务的教学时间相同"},
        {MergeKind::Classes, renamed, "教师“", false},  // every teacher is busy at the same times
        // Teachers of their own, but the rooms of the open task, full at the same times.
        {MergeKind::Classes, [&](CScheduleTask& t) { renamed(t); teachersRenamed(t); }, "教室“", false},
    };
    auto task = Part("open", [](CScheduleTask&) {}, TaskAccess::ReadWrite);
    services.task = task.get();
    const std::string input = ReadRaw(task->GetTaskInfo().GetInputFilePath());
    const std::string output = ReadRaw(task->GetTaskInfo().GetOutputFilePath());
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        auto other = Part("other" + std::to_string(n++), c.other, TaskAccess::ReadOnly);
        ScriptedMessages messages;
        const CMoveResult result = MergeTask(*task, *other, c.kind, entries);
        EXPECT_FALSE(result.saved);
        ASSERT_EQ(messages.Texts().size(), 1u);
        if (c.whole)
            EXPECT_EQ(messages.Texts()[0], c.message);
        else
            EXPECT_EQ(messages.Texts()[0].find(c.message), 0u) << messages.Texts()[0];
        EXPECT_EQ(ClassGrids(*task), original);
        EXPECT_EQ(ReadRaw(task->GetTaskInfo().GetInputFilePath()), input);
        EXPECT_EQ(ReadRaw(task->GetTaskInfo().GetOutputFilePath()), output);
    }

    // An other task of subjects the open one lacks would take it past its limit: refused first,
    // whatever the merge, naming the limit.
    std::size_t added = 0;
    auto crowded = Part("crowded",
                        [&](CScheduleTask& t) {
                            // Every subject of the other task named otherwise, and as many as it may hold.
                            for (CSubjectInfo* subject : ObjectsInOrder<CSubjectInfo>(t.GetSubjectInfoList())) {
                                subject->SetName(subject->GetName() + "乙");
                                t.GetSubjectInfoList().Modify(subject);
                                ++added;
                            }
                            while (static_cast<std::size_t>(t.GetSubjectInfoList().GetCount()) <
                                   GetTaskLimit(TaskObjectKind::Subject).max) {
                                auto* subject = new CSubjectInfo;
                                subject->SetId(NewGuidString());
                                subject->SetName("选修" + std::to_string(++added));
                                subject->SetShortName("选");
                                subject->SetIndex(t.GetSubjectInfoList().GetCount());
                                t.GetSubjectInfoList().Add(subject);
                            }
                        },
                        TaskAccess::ReadOnly);
    ScriptedMessages messages;
    const CMoveResult result = MergeTask(*task, *crowded, MergeKind::Days, entries);
    EXPECT_FALSE(result.saved);
    const std::string limit = CheckTaskLimit(*task, TaskObjectKind::Subject, added);
    EXPECT_NE(limit.find("科目不能多于 1000 个"), std::string::npos) << limit;
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{limit});
    EXPECT_EQ(ReadRaw(task->GetTaskInfo().GetInputFilePath()), input);
    EXPECT_EQ(ReadRaw(task->GetTaskInfo().GetOutputFilePath()), output);
}

TEST_F(TaskMergeTest, AFailedSaveOfAMergePutsTheTaskAndItsFilesBack)
{
    const auto split = [this](bool first) {
        return [this, first](CScheduleTask& task) {
            KeepClasses(task, [&](const std::string& name) { return firstGrade.count(name) == (first ? 1u : 0u); });
        };
    };
    auto task = Part("A", split(true), TaskAccess::ReadWrite);
    auto other = Part("B", split(false), TaskAccess::ReadOnly);
    services.task = task.get();
    const std::string input = ReadRaw(task->GetTaskInfo().GetInputFilePath());
    const std::string output = ReadRaw(task->GetTaskInfo().GetOutputFilePath());
    const auto grids = ClassGrids(*task);
    const int classes = task->GetClassInfoList().GetCount();
    const int plans = task->GetCourseInfoList().GetCount();
    const std::string outputPath = task->GetTaskInfo().GetOutputFilePath();
    ScriptedMessages messages;
    const zem::FileWriteFaultHook previous =
        zem::SetFileWriteFaultHook([outputPath](const std::string& path) { return path == outputPath ? EACCES : 0; });
    const CMoveResult result = MergeTask(*task, *other, MergeKind::Classes, entries);
    zem::SetFileWriteFaultHook(previous);
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(ReadRaw(task->GetTaskInfo().GetInputFilePath()), input);
    EXPECT_EQ(ReadRaw(task->GetTaskInfo().GetOutputFilePath()), output);
    EXPECT_EQ(ClassGrids(*task), grids);
    EXPECT_EQ(task->GetClassInfoList().GetCount(), classes);
    EXPECT_EQ(task->GetCourseInfoList().GetCount(), plans);
    EXPECT_TRUE(CompareWithReopened(*task, task->GetTaskInfo().GetTaskFile()).IsClean());
    for (const std::string& text : messages.Texts())
        EXPECT_EQ(text.find("完成"), std::string::npos) << text;
}

TEST_F(TaskMergeTest, TheDialogMergesTheTaskChosenAndRefusesTheOpenTaskItself)
{
    const auto split = [this](bool first) {
        return [this, first](CScheduleTask& task) {
            KeepClasses(task, [&](const std::string& name) { return firstGrade.count(name) == (first ? 1u : 0u); });
        };
    };
    auto task = Part("A", split(true), TaskAccess::ReadWrite);
    Part("B", split(false), TaskAccess::ReadOnly).reset();
    services.task = task.get();
    for (const std::string& chosen : {task->GetTaskInfo().GetTaskFile(), Folder("B") + "S12.zem"}) {
        SCOPED_TRACE(chosen);
        std::vector<zem::gui::FileDialogRequest> requests;
        const auto previous = zem::gui::SetFileDialogHook([&](const zem::gui::FileDialogRequest& request) {
            requests.push_back(request);
            return chosen;
        });
        CTableMoveDlg dialog(nullptr, std::string(ZEM_TEST_DATA_DIR) + "/../../resources/");
        ScriptedMessages messages;
        ModalScope scope([&](zem::gui::Dialog& shown) {
            auto* list = shown.Item<QComboBox>(CTableMoveDlg::IDC_OPERATION);
            list->setCurrentIndex(CTableMoveDlg::MoveMergeClasses);
            emit list->activated(CTableMoveDlg::MoveMergeClasses);
            QTest::mouseClick(shown.GetDlgItem(CTableMoveDlg::IDC_START), Qt::LeftButton);
        });
        dialog.DoModal();
        zem::gui::SetFileDialogHook(previous);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].title, "选择要年级合并的排课任务");
        ASSERT_EQ(messages.Texts().size(), 1u);
        if (chosen == task->GetTaskInfo().GetTaskFile())
            EXPECT_EQ(messages.Texts()[0], "不能和当前排课任务自己合并，请选择另一个排课任务");
        else
            EXPECT_EQ(messages.Texts()[0].find("年级合并完成"), 0u) << messages.Texts()[0];
    }
    ExpectTheSchoolBack(*task, false);
}

}  // namespace
