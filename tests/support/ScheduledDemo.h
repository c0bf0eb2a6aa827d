#pragma once
// The demo task after one engine run, written once per suite for its tests to copy, and the class
// timetables of a task as text to compare.
#include "support/EngineRun.h"
#include "support/MessageRecorder.h"

#include "base/BasicData.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

inline const std::string kDemoTaskName = "演示排课.zem";

// Copies the shipped demo task into the folder, runs the engine on it and saves its timetables.
inline void WriteScheduledDemo(const std::string& folder)
{
    MessageRecorder quiet;
    std::filesystem::remove_all(folder);
    ASSERT_EQ(zem::CopyFolder(std::string(ZEM_TEST_DATA_DIR) + "/../../resources/demoD", folder), 0);
    CScheduleTask task;
    ASSERT_TRUE(task.Open(folder + kDemoTaskName));
    RunEngine(task);
    ASSERT_TRUE(task.SaveOutputData());
}

// Every class timetable, working (temp) or committed, as text.
inline std::string ClassTablesText(CScheduleTask& task, bool temp)
{
    std::string out;
    for (const auto& [id, object] : task.GetClassInfoList()) {
        const CCourseTable& table = static_cast<CClassInfo*>(object)->GetTable(temp);
        out += id + ":";
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section) {
                    const CCourseTableNode& cell = table.GetNode(day, segment, section);
                    out += std::to_string(table.GetValue(day, segment, section)) + "/" + cell.data(1).GetCourseId() +
                           "/" + cell.data(2).GetCourseId() + ",";
                }
        out += "\n";
    }
    return out;
}
