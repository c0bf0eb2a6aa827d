#pragma once
// The generated 36-class school with its timetables filled, in the working tables as the screens
// see them.
#include "app/taskhelper/TaskHelper.h"
#include "testing/generator/SchoolGenerator.h"

#include <gtest/gtest.h>

#include <memory>

inline std::unique_ptr<CScheduleTask> MakeFilledSchool()
{
    zemgen::SchoolOptions options;
    options.size = "S36";
    std::string error;
    std::unique_ptr<CScheduleTask> task = zemgen::GenerateSchool(options, &error);
    if (!task) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    zemgen::FillTimetables(*task);
    CTaskHelper(task.get()).RestoreTempTables();
    return task;
}

// A generated school of the size ("S12", "L120", ...) with its timetables filled and saved, as a
// task folder named by the size; null (the failure added) when it cannot be written. The task
// still holds the folder while it lives.
inline std::unique_ptr<CScheduleTask> WriteFilledSchool(const std::string& size, const std::string& folder)
{
    std::unique_ptr<CScheduleTask> school = zemgen::GenerateSchool({size, "normal", 1});
    if (!school) {
        ADD_FAILURE() << size << " was not generated";
        return nullptr;
    }
    zemgen::FillTimetables(*school);
    if (!zemgen::WriteTaskFolder(*school, folder, size, "test") || !school->SaveOutputData()) {
        ADD_FAILURE() << size << " was not written into " << folder;
        return nullptr;
    }
    return school;
}

inline std::unique_ptr<CScheduleTask> WriteFilledS12(const std::string& folder)
{
    return WriteFilledSchool("S12", folder);
}
