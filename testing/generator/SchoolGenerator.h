#pragma once
// Builds realistic schools through the task's own API, for benchmarks, tests and the demo task.
// The same size, variant and seed always give the same school, byte for byte once saved.
#include "base/ScheduleTask.h"

#include <memory>
#include <string>
#include <vector>

namespace zemgen {

struct SchoolOptions {
    // "S12" one senior grade of 12 classes, "S36" 3 x 12, "S72" 3 x 24, "L120" 3 x 40, "J24" a
    // junior middle school of 3 x 8.
    std::string size = "S12";
    // "normal" fills about 87% of a class's lesson slots, "tight" about 95%.
    std::string variant = "normal";
    unsigned seed = 1;
};

// The sizes and variants the generator knows, for help texts.
const std::vector<std::string>& SchoolSizes();
const std::vector<std::string>& SchoolVariants();

// A new task holding the whole school: week structure, basic data, plans and every kind of rule.
// Null, with a message in `error`, for an unknown size or variant.
std::unique_ptr<CScheduleTask> GenerateSchool(const SchoolOptions& options, std::string* error = nullptr);

// Makes `folder` a task folder of the task: the task file "<name>.zem" and input.xml. False,
// with a reason in `error`, when the folder cannot be made or a file cannot be written.
bool WriteTaskFolder(CScheduleTask& task, const std::string& folder, const std::string& name,
                     const std::string& description, std::string* error = nullptr);

// Places the plans' lessons greedily (presets first, combined classes and odd/even pairs
// together, never two lessons of a class or teacher at once), for tests and benchmarks that need
// full timetables. Not a scheduler: rules beyond those are ignored and some lessons may stay out.
// Returns the number of lessons placed.
int FillTimetables(CScheduleTask& task);

// What the scheduling engine's data checks would refuse in the task: lesson hours of classes,
// teachers and rooms beyond the week, inconsistent combined classes, impossible presets. One line
// per fault; empty for a sound school.
std::vector<std::string> CheckSchool(CScheduleTask& task);

}  // namespace zemgen
