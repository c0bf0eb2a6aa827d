// zem-reverse-import: a class master timetable laid out across read back into a new, empty task
// through the program's reverse import, and the task saved. The new task has the teaching time of
// the task given with --week (else the default week); a sheet whose teaching time differs is
// refused with the preview's verdict. Prints one JSON object: classes, lessons, conflicts and the
// seconds of reading and of importing with the saves.
//
//   zem-reverse-import WORKBOOK NEW_TASK_FOLDER [--week TASK.zem] [--no-check]
//   zem-reverse-import --make-fixture DIR     writes the large school with its timetables into
//                                             DIR and prints its task file
#include "app/output/import/ReverseImport.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Hooks.h"

#include "L120Task.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: zem-reverse-import WORKBOOK NEW_TASK_FOLDER [--week TASK.zem] [--no-check]\n"
                         "       zem-reverse-import --make-fixture DIR\n");
    return 2;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The week of the given task file, or the default one.
bool TakeWeek(CScheduleTask& task, const std::string& weekTask)
{
    if (weekTask.empty())
        return true;
    CScheduleTask source;
    if (!source.Open(weekTask, TaskAccess::ReadOnly)) {
        std::fprintf(stderr, "zem-reverse-import: cannot open %s\n", weekTask.c_str());
        return false;
    }
    task.GetSchoolStructure() = source.GetSchoolStructure();
    return true;
}

// The new task's files in the folder, named after it.
bool CreateTask(CScheduleTask& task, std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const std::size_t slash = folder.rfind('/');
    const std::string name = slash == std::string::npos ? folder : folder.substr(slash + 1);
    std::string error;
    if (name.empty() || !zem::MakeFolder(folder, &error)) {
        std::fprintf(stderr, "zem-reverse-import: cannot make the folder %s %s\n", folder.c_str(), error.c_str());
        return false;
    }
    CTaskInfo& info = task.GetTaskInfo();
    info.SetTaskFolder(folder + "/");
    info.SetTaskName(name);
    info.SetTaskAuthor("zem-reverse-import");
    return info.WriteToFile() && task.SaveInputData();
}

int ReverseImport(const std::string& workbook, const std::string& folder, const std::string& weekTask, bool check)
{
    CScheduleTask task;
    if (!TakeWeek(task, weekTask))
        return 1;
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<zem::import::CMasterSheet> sheet;
    std::string error;
    if (!zem::import::ReadMasterSheet(workbook, sheet, error)) {
        std::fprintf(stderr, "zem-reverse-import: %s\n", error.c_str());
        return 1;
    }
    const auto verdict = zem::import::JudgeMasterSheet(zem::import::PreviewMasterSheet(*sheet), task.GetSchoolStructure());
    if (verdict != zem::import::MasterVerdict::Matches) {
        std::fprintf(stderr, "zem-reverse-import: %s\n", zem::import::MasterVerdictText(verdict));
        return 1;
    }
    // A sheet the task could not take is refused before the task is made.
    if (const std::string refused =
            zem::import::CheckMasterLimits(task, zem::import::CountMasterAdditions(task, *sheet));
        !refused.empty()) {
        std::fprintf(stderr, "zem-reverse-import: %s\n", refused.c_str());
        return 1;
    }
    const double readSeconds = SecondsSince(start);
    // Only a sheet that fits makes a task.
    if (!CreateTask(task, folder))
        return 1;
    const auto importStart = std::chrono::steady_clock::now();
    const auto result = zem::import::ImportMasterSheet(task, *sheet, check, [](const std::string& line) {
        // Only the refusals are worth a line on the terminal.
        if (line.rfind("正在导入 ", 0) != 0)
            std::fprintf(stderr, "%s\n", line.c_str());
    });
    const double importSeconds = SecondsSince(importStart);
    if (!result.error.empty()) {
        std::fprintf(stderr, "zem-reverse-import: %s\n", result.error.c_str());
        return 1;
    }
    std::printf("{\"classes\": %d, \"lessons\": %d, \"conflicts\": %d, \"read_seconds\": %.4f, "
                "\"import_seconds\": %.4f}\n",
                result.classes, result.lessons, result.conflicts, readSeconds, importSeconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string workbook, folder, weekTask, fixture;
    bool check = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--week" && hasValue)
            weekTask = argv[++i];
        else if (arg == "--make-fixture" && hasValue)
            fixture = argv[++i];
        else if (arg == "--no-check")
            check = false;
        else if (!arg.empty() && arg[0] != '-' && workbook.empty())
            workbook = arg;
        else if (!arg.empty() && arg[0] != '-' && folder.empty())
            folder = arg;
        else
            return Usage();
    }
    zem::SetMessageHook([](const zem::MessageRequest& request) {
        std::fprintf(stderr, "zem-reverse-import: %s\n", request.text.c_str());
        return static_cast<int>(zem::IDOK);
    });
    if (!fixture.empty()) {
        std::printf("%s\n", WriteL120Task(fixture).c_str());
        return 0;
    }
    if (workbook.empty() || folder.empty())
        return Usage();
    return ReverseImport(workbook, folder, weekTask, check);
}
