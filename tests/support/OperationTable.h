#pragma once
// The table of operations tried on every school of support/OperationSchools.h. Each family of
// operations keeps its rows in its own file and instantiates the one test over them with
// ZEM_OPERATION_ROWS; tests/app/shell/OperationCheckTest.cpp holds the test itself.
#include "app/shared/AdjustmentHistory.h"
#include "base/ScheduleTask.h"
#include "base/ScheduleValidator.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <functional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

// What an operation is handed: the open task and what it said.
struct OperationRun {
    CScheduleTask& task;
    const CScheduleTask& before;  // the task as its files held it before the operation
    // What it said: the messages, after what the operation showed in a window of its own (a report).
    std::vector<std::string> said;
    CAdjustmentEntryList entries;
    PlanStandIns standIns;  // the plans the operation made to stand for others (a substitute's copies)
};

struct Operation {
    const char* name;
    bool editsPlans;
    std::function<void(OperationRun&)> run;
    // Compares what the operation said with the two tasks, before and after (read back).
    std::function<void(const OperationRun&, CScheduleTask& after)> compare = {};
};

// One test a school and an operation, so that the slow schools run side by side.
class OperationCheck : public testing::TestWithParam<std::tuple<std::size_t, const Operation*>> {};

std::string OperationCaseName(const testing::TestParamInfo<std::tuple<std::size_t, const Operation*>>& info);
std::size_t OperationSchoolCount();

// Every school × every row of `rows` (an array of Operation).
#define ZEM_OPERATION_ROWS(family, rows)                                                                   \
    INSTANTIATE_TEST_SUITE_P(family, OperationCheck,                                                       \
                             testing::Combine(testing::Range<std::size_t>(0, OperationSchoolCount()),      \
                                              testing::ValuesIn(OperationPointers(rows))),                 \
                             OperationCaseName)

template <std::size_t N>
std::vector<const Operation*> OperationPointers(const Operation (&rows)[N])
{
    std::vector<const Operation*> pointers;
    for (const Operation& row : rows)
        pointers.push_back(&row);
    return pointers;
}

// The first number the message holds before `words`, or -1.
inline int NumberBefore(const std::vector<std::string>& said, const std::string& words)
{
    const std::regex pattern("(\\d+) " + words);
    for (const std::string& text : said)
        if (std::smatch match; std::regex_search(text, match, pattern))
            return std::stoi(match[1]);
    return -1;
}

// The lessons of the class timetables on a day: each half of a split cell counts once.
inline int ClassLessonsOnDay(const CScheduleTask& task, int day)
{
    int lessons = 0;
    const CSchoolStructure& week = task.GetSchoolStructure();
    for (const CClassInfo* cls : ObjectsInOrder<CClassInfo>(task.GetClassInfoList()))
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < week.GetSectionNodeMaxCount(segment); ++section) {
                const CCourseTableNode& cell = cls->GetTable(false).GetNode(day, segment, section);
                lessons += cell.data(1).HasCourse() ? 1 : 0;
                lessons += cell.IsInterleave() && cell.data(2).HasCourse() ? 1 : 0;
            }
    return lessons;
}

inline bool Mentions(const std::vector<std::string>& said, const std::string& sentence)
{
    for (const std::string& text : said)
        if (text.find(sentence) != std::string::npos)
            return true;
    return false;
}
