// Every operation that changes a task's plans or timetables, on three schools: after it the saved
// task, read back by the program's own reader, keeps every rule it kept before unless the
// operation's message names the rule broken; a plan's weekly count changes only by a plan edit;
// and what the operation said it did is what changed.
// The engine's support first: Qt's headers make a keyword of one of its names.
#include "support/OperationSchools.h"

#include "app/output/PageLayout.h"
#include "app/output/PrintSheet.h"
#include "app/output/TimetableExport.h"
#include "app/output/import/ReverseImport.h"
#include "app/shared/AdjustmentHistory.h"
#include "app/timetable/TableMoves.h"
#include "base/ChangeCheck.h"
#include "base/ScheduleTask.h"
#include "base/ScheduleValidator.h"
#include "support/FakeAppServices.h"
#include "support/MessageRecorder.h"
#include "support/OperationTable.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Two days of lessons in use: Wednesday and Thursday, where the hand-made school keeps 张喆's
// 党团活动 and 初一(1)班's 劳动.
constexpr int kDayA = 2;
constexpr int kDayB = 3;

const Operation kMoveAndImportOperations[] = {
    {"day swap", false,
     [](OperationRun& run) {
         const CMoveResult result = SwapDays(run.task, kDayA, kDayB, run.entries);
         EXPECT_TRUE(result.saved) << result.refusal;
     },
     [](const OperationRun& run, CScheduleTask&) {
         EXPECT_EQ(NumberBefore(run.said, "节课交换了位置"),
                   ClassLessonsOnDay(run.before, kDayA) + ClassLessonsOnDay(run.before, kDayB));
     }},
    // Into the school itself, its timetables cleared first: every lesson fills a lesson its plan
    // already counts.
    {"reverse import into the open task", false,
     [](OperationRun& run) {
         FakeAppServices services;
         services.task = &run.task;
         CTablePageLayout layout;
         layout.Style = 0;
         layout.ShowSS = true;
         const std::string path = run.task.GetTaskInfo().GetTaskFolder() + "总课表.xlsx";
         ASSERT_TRUE(ExportMasterTimetable(&run.task, layout, TABLE_CLASS, path));
         std::unique_ptr<zem::import::CMasterSheet> sheet;
         std::string error;
         ASSERT_TRUE(zem::import::ReadMasterSheet(path, sheet, error)) << error;
         CTaskHelper helper(&run.task);
         helper.ClearTimetables(CTaskHelper::kClearAll, {});
         ASSERT_TRUE(helper.SaveTempTables());
         const zem::import::ReverseImportResult result = zem::import::ImportMasterSheet(run.task, *sheet, true);
         EXPECT_EQ(result.error, "");
     }},
    {"row shift", false,
     [](OperationRun& run) {
         const CMoveResult result = ShiftRow(run.task, {CRowShift::InsertFirst, 0}, run.entries);
         EXPECT_TRUE(result.saved || !result.refusal.empty()) << result.refusal;
     }},
};

// Said in the user's words, or, for a lesson on a no-lesson time, the lesson named as the big
// move's list names it: its class and its slot ("初一(1)班 周三下午第1节（张喆不排课）").
bool Said(const std::vector<std::string>& said, const ScheduleViolation& violation)
{
    if (Mentions(said, violation.said))
        return true;
    if (violation.check != kCheckFixedTime && violation.check != kCheckUnavailable)
        return false;
    const std::string& text = violation.said;
    const std::size_t at = text.find("排在");
    const std::size_t end = text.find("，", at);
    if (at == std::string::npos || end == std::string::npos)
        return false;
    std::string slot = text.substr(at + std::string("排在").size(), end - at - std::string("排在").size());
    slot = slot.substr(0, slot.find("（"));
    return Mentions(said, text.substr(0, text.find(' ')) + " " + slot + "（");
}

void TryOperation(const OperationSchool& school, const Operation& operation)
{
    SCOPED_TRACE(std::string(school.name) + ": " + operation.name);
    TempFolder folder;
    const std::string taskFile = school.write(folder.path());
    ASSERT_FALSE(taskFile.empty());

    CScheduleTask before;
    ASSERT_TRUE(before.Open(taskFile, TaskAccess::ReadOnly));
    const ScheduleValidation rulesBefore = ValidateSchedule(before);
    const PlanCountSnapshot counts = CaptureCounts(before);

    CScheduleTask task;
    ASSERT_TRUE(task.Open(taskFile));
    CTaskHelper(&task).RestoreTempTables();
    OperationRun run{task, before, {}, {}, {}};
    {
        MessageRecorder messages(zem::IDYES);
        operation.run(run);
        std::vector<std::string> said = messages.Texts();
        said.insert(said.end(), run.said.begin(), run.said.end());
        run.said = std::move(said);
    }

    CScheduleTask after;
    ASSERT_TRUE(after.Open(taskFile, TaskAccess::ReadOnly));
    // Every rule the change broke is in what it said, in the user's words.
    const ScheduleValidation broken =
        NewViolations(rulesBefore, ValidateSchedule(after, false, kAllTableChecks, run.standIns));
    for (const ScheduleViolation& violation : broken.Violations())
        EXPECT_TRUE(Said(run.said, violation))
            << "broken and not said: " << violation.text << "\n  " << violation.said << "\nsaid:\n"
            << testing::PrintToString(run.said);
    if (!operation.editsPlans) {
        const ScheduleValidation changed = CompareCounts(counts, after);
        EXPECT_TRUE(changed.IsClean()) << changed.Text();
    }
    // A refused change leaves the task exactly as it was: its timetables and its plans' counts.
    if (Mentions(run.said, "已撤销")) {
        const ScheduleValidation moved = CompareTimetables(before, after);
        EXPECT_TRUE(moved.IsClean()) << moved.Text();
        const ScheduleValidation changed = CompareCounts(counts, after);
        EXPECT_TRUE(changed.IsClean()) << changed.Text();
    }
    // What is in memory is what was saved.
    const ScheduleValidation unsaved = CompareTimetables(task, after);
    EXPECT_TRUE(unsaved.IsClean()) << unsaved.Text();
    if (operation.compare)
        operation.compare(run, after);
}

}  // namespace

std::size_t OperationSchoolCount()
{
    return std::size(kOperationSchools);
}

std::string OperationCaseName(const testing::TestParamInfo<std::tuple<std::size_t, const Operation*>>& info)
{
    std::string name =
        std::string(kOperationSchools[std::get<0>(info.param)].name) + "_" + std::get<1>(info.param)->name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

TEST_P(OperationCheck, SaysWhatItBrokeAndDidWhatItSaid)
{
    const auto [school, operation] = GetParam();
    TryOperation(kOperationSchools[school], *operation);
}

ZEM_OPERATION_ROWS(MovesAndImports, kMoveAndImportOperations);
