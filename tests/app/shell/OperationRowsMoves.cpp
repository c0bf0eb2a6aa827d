// The operation table's rows of the big move's merges: the open school cut in two, by days, by
// segments or by classes, its other part kept in a copy of its folder, and the copy merged back
// as the big move's window merges a task chosen.
// The engine's support first: Qt's headers make a keyword of one of its names.
#include "support/OperationSchools.h"

#include "app/timetable/TaskMerge.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "support/FakeAppServices.h"
#include "support/OperationTable.h"
#include "support/TaskSplit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// Which part of the school a slot or a class is in: the open task keeps the first part.
struct Cut {
    std::function<bool(const tagTABLE_NODE&)> firstSlot;  // null for a cut by classes
    std::set<std::string> firstClasses;                  // class names
};

// The first half of the days in use.
Cut CutByDays(const CScheduleTask& task)
{
    std::vector<int> days;
    for (int day = 0; day < zem::kDayCount; ++day)
        if (task.GetSchoolStructure().IsDayInUse(day))
            days.push_back(day);
    const std::set<int> first(days.begin(), days.begin() + static_cast<std::ptrdiff_t>(days.size() / 2));
    return {[first](const tagTABLE_NODE& node) { return first.count(node.day) > 0; }, {}};
}

Cut CutBySegments(const CScheduleTask&)
{
    return {[](const tagTABLE_NODE& node) { return node.segment == 0; }, {}};
}

// The first half of the classes, with every class a combined class joins to one of them.
Cut CutByClasses(const CScheduleTask& task)
{
    const std::vector<CClassInfo*> classes = ObjectsInOrder<CClassInfo>(task.GetClassInfoList());
    std::set<std::string> ids;
    for (std::size_t i = 0; i < classes.size() / 2; ++i)
        ids.insert(classes[i]->GetId());
    std::vector<CCourseInfo*> plans;
    task.GetFullCourseList(plans);
    for (bool grew = true; grew;) {
        grew = false;
        for (const CCourseInfo* plan : plans)
            if (const CCombineClass* combined = task.GetCC(plan->GetId()); combined && ids.count(plan->GetClassId()))
                for (const std::string& partner : combined->GetCombineCourse())
                    if (const CCourseInfo* other = task.FindCourse(partner))
                        grew = ids.insert(other->GetClassId()).second || grew;
    }
    Cut cut;
    for (const std::string& id : ids)
        cut.firstClasses.insert(task.GetClassNameA(id));
    return cut;
}

// Keeps one part of the school: its slots (the week then uses only those) or its classes.
void KeepPart(CScheduleTask& task, const Cut& cut, bool first)
{
    if (!cut.firstSlot) {
        KeepClasses(task, [&](const std::string& name) { return (cut.firstClasses.count(name) > 0) == first; });
        return;
    }
    KeepLessons(task, [&](const tagTABLE_NODE& node) { return cut.firstSlot(node) == first; });
    CSchoolStructure& week = task.GetSchoolStructure();
    for (int day = 0; day < zem::kDayCount; ++day)
        if (cut.firstSlot({day, 1, 0}) != first && cut.firstSlot({day, 0, 0}) != first)
            week.SetWeekDay(day, false);
    week.RefreshData();
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        if (cut.firstSlot({0, segment, 0}) != first && cut.firstSlot({zem::kDayCount - 1, segment, 0}) != first)
            week.SetSectionNodeMaxCount(segment, 0, false);
    week.ParseFromXMLData();
}

// A folder the row makes, removed when it ends.
struct PartFolder {
    explicit PartFolder(std::string folder) : path(std::move(folder)) { std::filesystem::remove_all(path); }
    ~PartFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string path;
};

struct MergeRow {
    MergeKind kind;
    Cut (*cut)(const CScheduleTask&);
};

// Cuts the open task and a copy of its folder into the two parts, saves both, and merges the
// copy back. A cut by slots leaves each plan of the open task the count the copy's part does not
// take, so that the counts the merge adds up are the school's again.
void CutAndMergeBack(OperationRun& run, const MergeRow& row)
{
    FakeAppServices services;
    services.task = &run.task;
    const Cut cut = row.cut(run.task);
    const std::string folder = run.task.GetTaskInfo().GetTaskFolder();
    const std::string taskFile = run.task.GetTaskInfo().GetTaskFile();
    const std::string fileName = taskFile.substr(taskFile.rfind('/') + 1);
    // Beside the test's folder, which holds the open task.
    const PartFolder part(folder.substr(0, folder.size() - 1) + ".part/");
    ASSERT_EQ(zem::CopyFolder(folder, part.path), 0);
    std::map<std::string, CWeekCount> otherCounts;
    {
        CScheduleTask other;
        ASSERT_TRUE(other.Open(part.path + fileName));
        KeepPart(other, cut, false);
        if (cut.firstSlot) {
            CountTheLessonsKept(other);
            std::vector<CCourseInfo*> plans;
            other.GetFullCourseList(plans);
            for (const CCourseInfo* plan : plans)
                otherCounts[plan->GetId()] = plan->GetWeekCount();
        }
        ASSERT_TRUE(other.SaveInputData());
        ASSERT_TRUE(other.SaveOutputData());
    }
    KeepPart(run.task, cut, true);
    std::vector<CCourseInfo*> plans;
    run.task.GetFullCourseList(plans);
    for (CCourseInfo* plan : plans)
        if (const auto found = otherCounts.find(plan->GetId()); found != otherCounts.end())
            plan->SetWeekCount(plan->GetWeekCount() - found->second);
    ASSERT_TRUE(run.task.SaveInputData());
    ASSERT_TRUE(run.task.SaveOutputData());

    CScheduleTask other;
    ASSERT_TRUE(other.Open(part.path + fileName, TaskAccess::ReadOnly));
    const CMoveResult result = MergeTask(run.task, other, row.kind, run.entries);
    EXPECT_TRUE(result.saved) << result.refusal;
}

// The school is whole again, and the message counts the lessons the copy's part held.
void CompareMergedBack(const OperationRun& run, CScheduleTask& after, const MergeRow& row)
{
    const Cut cut = row.cut(run.before);
    EXPECT_EQ(ClassGrids(after), ClassGrids(run.before));
    const int brought = ClassLessonsAt(run.before, [&](const tagTABLE_NODE& node) {
        return cut.firstSlot ? !cut.firstSlot(node) : true;
    });
    int lessons = brought;
    if (!cut.firstSlot) {
        lessons = 0;
        for (const CClassInfo* cls : ObjectsInOrder<CClassInfo>(run.before.GetClassInfoList())) {
            if (cut.firstClasses.count(cls->GetName()))
                continue;
            for (int day = 0; day < zem::kDayCount; ++day)
                for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                    for (int section = 0; section < zem::kSectionCount; ++section) {
                        const CCourseTableNode& cell = cls->GetTable(false).GetNode(day, segment, section);
                        lessons += cell.data(1).HasCourse() ? 1 : 0;
                        lessons += cell.IsInterleave() && cell.data(2).HasCourse() ? 1 : 0;
                    }
        }
    }
    EXPECT_EQ(NumberBefore(run.said, "节课已合并到当前排课任务"), lessons) << testing::PrintToString(run.said);
}

const MergeRow kDays{MergeKind::Days, CutByDays};
const MergeRow kSegments{MergeKind::Segments, CutBySegments};
const MergeRow kClasses{MergeKind::Classes, CutByClasses};

const Operation kMergeOperations[] = {
    // Days and segments add the two parts' counts up to the school's.
    {"merge of days", false, [](OperationRun& run) { CutAndMergeBack(run, kDays); },
     [](const OperationRun& run, CScheduleTask& after) { CompareMergedBack(run, after, kDays); }},
    {"merge of segments", false, [](OperationRun& run) { CutAndMergeBack(run, kSegments); },
     [](const OperationRun& run, CScheduleTask& after) { CompareMergedBack(run, after, kSegments); }},
    // The other part's classes come back as new plans.
    {"merge of grades", true, [](OperationRun& run) { CutAndMergeBack(run, kClasses); },
     [](const OperationRun& run, CScheduleTask& after) { CompareMergedBack(run, after, kClasses); }},
};

}  // namespace

ZEM_OPERATION_ROWS(Merges, kMergeOperations);
