// Timetable workbooks of L120 (timetables filled) written by zem-export, each in a process of its
// own: every class, teacher and room timetable one a page, the master timetables of classes,
// teachers and rooms, and the lesson list — the seven workbooks of exporting everything at once. Each line gives the export's own seconds (from zem-export's JSON) and the
// whole process's, opening L120 too.
//   bench_export [--keep DIR]    the workbooks are kept in DIR to be looked at
#include "FreshProcess.h"
#include "L120Task.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// Runs zem-export and returns the export's own seconds, or a negative number when it failed.
double Export(const std::string& taskFile, const std::string& arguments, const std::string& out, double* whole)
{
    const std::string command = "'" + ToolBesideThis("zem-export") + "' '" + taskFile + "' " + arguments +
                                " --out '" + out + "' 2>/dev/null";
    const auto start = std::chrono::steady_clock::now();
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    char line[512] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    const int status = ::pclose(pipe);
    *whole = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!read || status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    const char* seconds = std::strstr(line, "\"seconds\": ");
    return seconds ? std::atof(seconds + 11) : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string scratch = "/tmp/zem-bench-export-" + std::to_string(::getpid()) + "/";
    std::string keep = scratch;
    if (argc == 3 && std::string(argv[1]) == "--keep") {
        keep = argv[2];
        if (keep.back() != '/')
            keep += '/';
    }
    const std::string taskFile = WriteL120Task(scratch + "L120/");
    std::error_code ignored;
    std::filesystem::create_directories(keep, ignored);
    struct Run {
        const char* caption;
        const char* arguments;
        const char* file;
    };
    const Run runs[] = {
        {"class timetables (120)", "--kind class", "classes.xlsx"},
        {"teacher timetables", "--kind teacher", "teachers.xlsx"},
        {"room timetables", "--kind room", "rooms.xlsx"},
        {"master timetable of classes", "--kind master --table class", "master-classes.xlsx"},
        {"master timetable of teachers", "--kind master --table teacher", "master-teachers.xlsx"},
        {"master timetable of rooms", "--kind master --table room", "master-rooms.xlsx"},
        {"lesson list", "--kind lessons", "lessons.xlsx"},
    };
    double total = 0;
    bool failed = false;
    for (const Run& run : runs) {
        double whole = 0;
        const double seconds = Export(taskFile, run.arguments, keep + run.file, &whole);
        if (seconds < 0) {
            std::printf("%-30s failed\n", run.caption);
            failed = true;
            continue;
        }
        total += seconds;
        std::printf("%-30s export %.3f s, whole process %.2f s\n", run.caption, seconds, whole);
    }
    std::printf("%-30s export %.3f s\n", "all seven workbooks", total);
    if (keep == scratch)
        std::system(("rm -rf '" + scratch + "'").c_str());
    return failed ? 1 : 0;
}
