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
