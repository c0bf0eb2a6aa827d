// zem-reverse-import: a class master timetable laid out across read back into a new, empty task
// through the program's reverse import, and the task saved. The new task has the teaching time of
// the task given with --week (else the default week); a sheet whose teaching time differs is
// refused with the preview's verdict. Prints one JSON object: classes, lessons, conflicts and the
// seconds of reading and of importing with the saves. The task is made in a staging folder beside
// NEW_TASK_FOLDER and takes that name only once its files read back; what a killed run left there
// goes at the next start.
//
//   zem-reverse-import WORKBOOK NEW_TASK_FOLDER [--week TASK.zem] [--no-check] [--stop-at STEP]
//   zem-reverse-import WORKBOOK --into TASK.zem [--no-check]
//     --into reads the sheet into that task as the open task's import does: its own teaching time
//     judges the sheet, the lessons join its timetables and it is saved where it is.
//     --stop-at (for tests) ends the program at the step as a kill would: "new task: made",
//     "pair: output.xml written", "new task: saved" or "new task: read back".
//   zem-reverse-import --make-fixture DIR     writes the large school with its timetables into
//                                             DIR and prints its task file
#include "app/output/import/ReverseImport.h"
#include "base/ScheduleTask.h"
#include "base/StagedTask.h"
#include "base/TaskFolder.h"
#include "platform/Files.h"
#include "platform/Hooks.h"

#include "L120Task.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: zem-reverse-import WORKBOOK NEW_TASK_FOLDER [--week TASK.zem] [--no-check] "
                         "[--stop-at STEP]\n"
                         "       zem-reverse-import WORKBOOK --into TASK.zem [--no-check]\n"
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

std::string WithoutSlash(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string LeafOf(const std::string& folder)
{
    const std::size_t slash = folder.rfind('/');
    return slash == std::string::npos ? folder : folder.substr(slash + 1);
}

// What a run killed while making a task of that name left beside it.
void CleanLeftovers(const std::string& folder)
{
    const std::size_t slash = folder.rfind('/');
    TaskFolder::CleanStaging(slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash),
                             LeafOf(folder));
}

// The new task's files in a staging folder for `folder`, named after it.
bool CreateTask(CScheduleTask& task, StagedTask& staged, const std::string& folder)
{
    const std::string name = LeafOf(folder);
    std::string error;
    if (name.empty() || !staged.Begin(folder, error)) {
        std::fprintf(stderr, "zem-reverse-import: cannot make the task %s %s\n", folder.c_str(), error.c_str());
        return false;
    }
    CTaskInfo& info = task.GetTaskInfo();
    info.SetTaskFolder(staged.Folder());
    info.SetTaskName(name);
    info.SetTaskAuthor("zem-reverse-import");
    return info.WriteToFile() && task.SaveInputData() && !TaskFolder::IsKilledAt("new task: made");
}

// The sheet read and judged against the task's teaching time and limits; false, said, when it is refused.
bool ReadSheetFor(const CScheduleTask& task, const std::string& workbook,
                  std::unique_ptr<zem::import::CMasterSheet>& sheet)
{
    std::string error;
    if (!zem::import::ReadMasterSheet(workbook, sheet, error)) {
        std::fprintf(stderr, "zem-reverse-import: %s\n", error.c_str());
        return false;
    }
    const auto preview = zem::import::PreviewMasterSheet(*sheet);
    const auto verdict = zem::import::JudgeMasterSheet(preview, task.GetSchoolStructure());
    if (verdict != zem::import::MasterVerdict::Matches) {
        std::fprintf(stderr, "zem-reverse-import: %s\n", zem::import::MasterVerdictText(verdict));
        if (verdict == zem::import::MasterVerdict::Differs)
            std::fprintf(stderr, "zem-reverse-import: %s\n",
                         zem::import::MasterDifferenceText(preview, task.GetSchoolStructure()).c_str());
        return false;
    }
    // A sheet the task could not take is refused before anything is made.
    if (const std::string refused =
            zem::import::CheckMasterLimits(task, zem::import::CountMasterAdditions(task, *sheet));
        !refused.empty()) {
        std::fprintf(stderr, "zem-reverse-import: %s\n", refused.c_str());
        return false;
    }
    return true;
}

void PrintRefusal(const std::string& line)
{
    // Only the refusals are worth a line on the terminal.
    if (line.rfind("正在导入 ", 0) != 0)
        std::fprintf(stderr, "%s\n", line.c_str());
}

// The rules the saved import broke go to the error stream, as the refused lessons do.
void PrintResult(const zem::import::ReverseImportResult& result, double readSeconds, double importSeconds)
{
    if (!result.findings.broken.IsClean())
        std::fprintf(stderr, "%s", KeptImportText(result.findings).c_str());
    std::printf("{\"classes\": %d, \"lessons\": %d, \"conflicts\": %d, \"broken_rules\": %zu, "
                "\"read_seconds\": %.4f, \"import_seconds\": %.4f}\n",
                result.classes, result.lessons, result.conflicts, result.findings.broken.Count(), readSeconds,
                importSeconds);
}

int ReverseImportInto(const std::string& workbook, const std::string& taskFile, bool check)
{
    CScheduleTask task;
    if (!task.Open(taskFile, TaskAccess::ReadWrite)) {
        std::fprintf(stderr, "zem-reverse-import: cannot open %s\n", taskFile.c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<zem::import::CMasterSheet> sheet;
    if (!ReadSheetFor(task, workbook, sheet))
        return 1;
    const double readSeconds = SecondsSince(start);
    const auto importStart = std::chrono::steady_clock::now();
    const auto result = zem::import::ImportMasterSheet(task, *sheet, check, PrintRefusal);
    if (!result.error.empty()) {
        std::fprintf(stderr, "zem-reverse-import: %s\n", result.error.c_str());
        return 1;
    }
    PrintResult(result, readSeconds, SecondsSince(importStart));
    return 0;
}

int ReverseImport(const std::string& workbook, const std::string& folder, const std::string& weekTask, bool check)
{
    CleanLeftovers(folder);
    CScheduleTask task;
    if (!TakeWeek(task, weekTask))
        return 1;
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<zem::import::CMasterSheet> sheet;
    if (!ReadSheetFor(task, workbook, sheet))
        return 1;
    const double readSeconds = SecondsSince(start);
    // Only a sheet that fits makes a task.
    StagedTask staged;
    if (!CreateTask(task, staged, folder)) {
        staged.Discard();
        return 1;
    }
    const auto importStart = std::chrono::steady_clock::now();
    auto result = zem::import::ImportMasterSheet(task, *sheet, check, PrintRefusal);
    if (result.error.empty() && TaskFolder::IsKilledAt("new task: saved"))
        return 1;
    // The task takes its name only once its files read back.
    if (result.error.empty() && !staged.PutInPlace(true, result.error) && result.error.empty())
        result.error = "stopped";
    const double importSeconds = SecondsSince(importStart);
    if (!result.error.empty()) {
        staged.Discard();
        std::fprintf(stderr, "zem-reverse-import: %s\n", result.error.c_str());
        return 1;
    }
    PrintResult(result, readSeconds, importSeconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string workbook, folder, weekTask, fixture, stopAt, into;
    bool check = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--week" && hasValue)
            weekTask = argv[++i];
        else if (arg == "--into" && hasValue)
            into = argv[++i];
        else if (arg == "--make-fixture" && hasValue)
            fixture = argv[++i];
        else if (arg == "--stop-at" && hasValue)
            stopAt = argv[++i];
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
    if (!into.empty())
        return workbook.empty() || !folder.empty() || !weekTask.empty() || !stopAt.empty()
                   ? Usage()
                   : ReverseImportInto(workbook, into, check);
    if (workbook.empty() || folder.empty())
        return Usage();
    // Ends here as a killed program would: no clean-up, no destructors.
    if (!stopAt.empty())
        TaskFolder::SetKillHookForTesting([stopAt](const std::string& step) {
            if (step == stopAt)
                std::_Exit(9);
            return false;
        });
    return ReverseImport(workbook, WithoutSlash(folder), weekTask, check);
}
