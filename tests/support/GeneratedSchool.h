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

// The generated 12-class school with its timetables filled and saved, as a task folder; null (the
// failure added) when it cannot be written. The task still holds the folder while it lives.
inline std::unique_ptr<CScheduleTask> WriteFilledS12(const std::string& folder)
{
    std::unique_ptr<CScheduleTask> school = zemgen::GenerateSchool({"S12", "normal", 1});
    if (!school) {
        ADD_FAILURE() << "S12 was not generated";
        return nullptr;
    }
    zemgen::FillTimetables(*school);
    if (!zemgen::WriteTaskFolder(*school, folder, "S12", "test") || !school->SaveOutputData()) {
        ADD_FAILURE() << "S12 was not written into " << folder;
        return nullptr;
    }
    return school;
}

