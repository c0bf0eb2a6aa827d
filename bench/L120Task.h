#pragma once
// L120, the large school of the benchmarks (120 classes, about 370 teachers, 1,680 plans), with
// its timetables filled, written as a task folder.
#include "base/ScheduleTask.h"
#include "testing/generator/SchoolGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

// Writes L120 into the folder and returns its task file; a fixture that cannot be written ends
// the benchmark.
inline std::string WriteL120Task(const std::string& folder)
{
    std::unique_ptr<CScheduleTask> task = zemgen::GenerateSchool({"L120", "normal", 1});
    zemgen::FillTimetables(*task);
    if (!zemgen::WriteTaskFolder(*task, folder, "L120", "benchmark") || !task->SaveOutputData()) {
        std::fprintf(stderr, "cannot write the fixture into %s\n", folder.c_str());
        std::exit(1);
    }
    return task->GetTaskInfo().GetTaskFile();
}
