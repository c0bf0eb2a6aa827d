// zem-schedule: runs the scheduling engine headless over a task with fixed seeds, each run on a
// fresh copy of the task folder, and prints one JSON object per run: the result, the time split,
// the quality of the timetables and what the validator finds.
//
//   zem-schedule TASKFILE [--seed N] [--seeds A-B] [--tries N] [--keep DIR] [--callback] [--no-repair]
//                [--fixed-clock]
//
// --callback runs the program's post-run passes from the engine's callback, as the program does.
// --no-repair leaves out the repair of the best try that the callback makes after the last try, to
// compare with the passes as they were before it.
// --fixed-clock stamps every report with one fixed time, so that runs can be compared byte for byte.
#include "core/Core.h"
#include "TaskPaths.h"

#include "app/taskhelper/TaskHelperCallback.h"
#include "base/ScheduleTask.h"
#include "base/ScheduleValidator.h"
#include "platform/Files.h"
#include "platform/Hooks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Posts go nowhere.
class NullTarget : public zem::MessageTarget {
public:
    zem::LRESULT Send(unsigned, zem::WPARAM, zem::LPARAM) override { return 0; }
    bool Post(unsigned, zem::WPARAM, zem::LPARAM) override { return true; }
    bool PostText(unsigned, zem::WPARAM, std::string) override { return true; }
};

struct Options {
    std::string taskFile;
    std::uint64_t firstSeed = 1;
    std::uint64_t lastSeed = 1;
    int tries = 50;
    std::string keep;
    bool callback = false;
    bool repair = true;
    bool fixedClock = false;
};

std::string Json(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

double Number(const CWeekCount& count) { return count.GetWholeCount() + (count.HasHalfNode() ? 0.5 : 0.0); }

// Quality of the committed timetables.
struct Quality {
    int crowdedPlanDays = 0;     // plan-days with more than one lesson outside blocks
    int consecutiveDayPlans = 0; // plans of 2-3 lessons with two of them on neighbouring days
    int smallPlans = 0;          // plans of 2-3 lessons
    double mainForenoonShare = 0;
};

Quality Measure(CScheduleTask& task)
{
    Quality quality;
    const CSchoolStructure& week = task.GetSchoolStructure();
    std::vector<CCourseInfo*> courses;
    task.GetFullCourseList(courses);
    int mainLessons = 0;
    int mainForenoon = 0;
    for (const CCourseInfo* course : courses) {
        const CCourseTable& table = course->GetTable(false);
        const bool blocks = course->GetContinuousNodes() > 1;
        std::vector<int> dayOrders;
        for (int day = 0; day < zem::kDayCount; ++day) {
            if (!week.IsDayInUse(day))
                continue;
            int outside = 0;
            int lessons = 0;
            for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
                int run = 0;
                for (int section = 0; section <= zem::kSectionCount; ++section) {
                    if (section < zem::kSectionCount && table.IsUsed(day, segment, section)) {
                        ++run;
                        continue;
                    }
                    // A run of two or more is a block for a plan that has blocks.
                    if (!(blocks && run >= 2))
                        outside += run;
                    lessons += run;
                    if (course->GetType() == COURSE_TYPE_PLAN && course->IsMainCourse()) {
                        mainLessons += run;
                        if (segment == 0)
                            mainForenoon += run;
                    }
                    run = 0;
                }
            }
            quality.crowdedPlanDays += outside > 1;
            if (lessons > 0)
                dayOrders.push_back(week.GetWeekOrderByNumber(day));
        }
        const int weekly = course->GetWeekCount().GetWholeCount() + (course->GetWeekCount().HasHalfNode() ? 1 : 0);
        if (weekly >= 2 && weekly <= 3) {
            ++quality.smallPlans;
            bool neighbours = false;
            for (std::size_t i = 1; i < dayOrders.size(); ++i)
                neighbours = neighbours || dayOrders[i] - dayOrders[i - 1] == 1;
            quality.consecutiveDayPlans += neighbours;
        }
    }
    quality.mainForenoonShare = mainLessons > 0 ? static_cast<double>(mainForenoon) / mainLessons : 0;
    return quality;
}

bool ParseSeeds(const std::string& text, Options& options)
{
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos)
        return false;
    char* end = nullptr;
    options.firstSeed = std::strtoull(text.c_str(), &end, 10);
    options.lastSeed = std::strtoull(text.c_str() + dash + 1, &end, 10);
    return options.firstSeed <= options.lastSeed;
}

bool ParseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--seed" && hasValue) {
            options.firstSeed = options.lastSeed = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--seeds" && hasValue) {
            if (!ParseSeeds(argv[++i], options))
                return false;
        } else if (arg == "--tries" && hasValue) {
            options.tries = std::atoi(argv[++i]);
            if (options.tries < 1)
                return false;
        } else if (arg == "--keep" && hasValue) {
            options.keep = argv[++i];
        } else if (arg == "--callback") {
            options.callback = true;
        } else if (arg == "--no-repair") {
            options.repair = false;
        } else if (arg == "--fixed-clock") {
            options.fixedClock = true;
        } else if (!arg.empty() && arg[0] != '-' && options.taskFile.empty()) {
            options.taskFile = arg;
        } else {
            return false;
        }
    }
    return !options.taskFile.empty();
}

// One run on a fresh copy of the task folder; false when the copy or the task cannot be opened or
// the run's final save failed.
bool RunOnce(const Options& options, std::uint64_t seed)
{
    std::string folder;
    if (!options.keep.empty()) {
        folder = options.keep + "/seed-" + std::to_string(seed) + "/";
        zem::RemoveFolder(folder);
    } else {
        char pattern[] = "/tmp/zem-schedule-XXXXXX";
        if (!mkdtemp(pattern)) {
            std::fprintf(stderr, "zem-schedule: no temporary folder\n");
            return false;
        }
        folder = std::string(pattern) + "/";
    }
    std::string error;
    if (zem::CopyFolder(FolderOf(options.taskFile), folder, &error) != 0) {
        std::fprintf(stderr, "zem-schedule: cannot copy the task folder to %s: %s\n", folder.c_str(), error.c_str());
        if (options.keep.empty())
            zem::RemoveFolder(folder);
        return false;
    }
    const std::string taskFile = folder + NameOf(options.taskFile);

    bool opened = false;
    bool saved = false;
    {
        CScheduleTask task;
        opened = task.Open(taskFile);
        if (opened) {
            const PlanCountSnapshot counts = CaptureCounts(task);
            NullTarget target;
            CCore core(task);
            CoreRunOptions runOptions;
            runOptions.seed = seed;
            runOptions.tries = options.tries;
            runOptions.pauses = false;
            core.Init(&target);
            core.SetOptions(runOptions);
            if (options.callback) {
                CoreCallback passes = MakeTaskHelperCallback(task, core.GetStopFlag());
                if (!options.repair)
                    passes = [passes](TRY_SWAP_TYPE type, CAutoRange* range) {
                        if (type != TRY_SWAP_REPAIR)
                            passes(type, range);
                    };
                core.SetCallback(std::move(passes));
            }
            const auto start = std::chrono::steady_clock::now();
            core.Start();
            core.Wait();
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const CoreRunStats& stats = core.GetStats();

            ScheduleValidation validation = ValidateSchedule(task);
            validation.Append(CompareCounts(counts, task));
            if (stats.code != 2)
                validation.Append(CompareWithReopened(task, taskFile));
            for (const ScheduleViolation& violation : validation.Violations())
                std::fprintf(stderr, "seed %llu: [%s] %s\n", static_cast<unsigned long long>(seed),
                             ScheduleCheckName(violation.check), violation.text.c_str());
            const Quality quality = Measure(task);
            // A stopped run saves nothing; every other run must have saved both files.
            saved = !stats.saveFailed;

            std::printf("{\"seed\": %llu, \"callback\": %s, \"code\": %d, \"tries\": %d, \"best_try\": %d, \"lost\": %g, "
                        "\"seconds\": %.4f, \"seconds_per_try\": %.5f, \"seconds_check\": %.4f, "
                        "\"seconds_place\": %.4f, \"seconds_callback\": %.4f, \"seconds_repair\": %.4f, \"seconds_save\": %.4f, "
                        "\"crowded_plan_days\": %d, \"consecutive_day_plans\": %d, \"plans_of_2_3\": %d, "
                        "\"main_forenoon_share\": %.4f, "
                        "\"violations\": %zu, \"save_failed\": %s, \"folder\": %s, \"report\": %s}\n",
                        static_cast<unsigned long long>(seed), options.callback ? "true" : "false", stats.code, stats.tries, stats.bestTry,
                        Number(stats.lost), seconds, stats.tries > 0 ? seconds / stats.tries : 0.0, stats.secondsCheck,
                        stats.secondsPlace, stats.secondsCallback, stats.secondsRepair, stats.secondsSave, quality.crowdedPlanDays,
                        quality.consecutiveDayPlans, quality.smallPlans, quality.mainForenoonShare, validation.Count(),
                        saved ? "false" : "true", Json(folder).c_str(), Json(task.GetLastReportInfo().GetReportInfo()).c_str());
            std::fflush(stdout);
        }
    }
    if (!opened)
        std::fprintf(stderr, "zem-schedule: cannot open the task %s\n", taskFile.c_str());
    else if (!saved)
        std::fprintf(stderr, "zem-schedule: seed %llu: the run's timetables or report were not saved\n",
                     static_cast<unsigned long long>(seed));
    if (options.keep.empty())
        zem::RemoveFolder(folder);
    return opened && saved;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fprintf(stderr, "usage: zem-schedule TASKFILE [--seed N] [--seeds A-B] [--tries N] [--keep DIR] [--callback] "
                             "[--no-repair] [--fixed-clock]\n");
        return 2;
    }
    // Messages for the user go to standard error.
    zem::SetMessageHook([](const zem::MessageRequest& request) {
        std::fprintf(stderr, "zem-schedule: %s\n", request.text.c_str());
        return static_cast<int>(zem::IDOK);
    });
    if (options.fixedClock)
        zem::SetClockHook([] { return zem::LocalTime{2000, 1, 3, 8, 0, 0, 0, 1}; });
    // The task's whole folder is copied for each run: make sure it is one.
    if (!zem::FileExists(options.taskFile)) {
        std::fprintf(stderr, "zem-schedule: no task file %s\n", options.taskFile.c_str());
        return 1;
    }
    int failures = 0;
    for (std::uint64_t seed = options.firstSeed; seed <= options.lastSeed; ++seed)
        failures += !RunOnce(options, seed);
    return failures == 0 ? 0 : 1;
}
