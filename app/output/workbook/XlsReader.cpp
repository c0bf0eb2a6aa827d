// The first sheet of an .xls file, read by a process of its own (XlsReaderMain.cpp) that the
// program starts for each file: the library it runs corrupts memory on some damaged files. The
// process is started by posix_spawn, so that nothing of this one (its threads, locks, descriptors)
// runs in it, and the program gets the cells or a reason, never a crash.
#include "WorkbookReaderParts.h"
#include "XlsAnswer.h"
#include "platform/Files.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

extern char** environ;

namespace zem::workbook {

namespace {

// Closes what it holds when it goes.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};

struct SpawnAttributes {
    posix_spawnattr_t attributes;
    SpawnAttributes() { posix_spawnattr_init(&attributes); }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes); }
};

// Starts the reader with its standard output on `out` and no other descriptor; 0 or the error.
int Spawn(const XlsReaderRun& run, int out, pid_t& child)
{
    SpawnActions actions;
    posix_spawn_file_actions_adddup2(&actions.actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions.actions, STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions.actions, STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions.actions, STDERR_FILENO + 1);
    // The limits it sets end it with their signals, whatever this process ignores or blocks.
    SpawnAttributes attributes;
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (const int signal : {SIGPIPE, SIGXCPU, SIGXFSZ})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes.attributes, &none);
    posix_spawnattr_setsigdefault(&attributes.attributes, &defaults);
    posix_spawnattr_setflags(&attributes.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv{const_cast<char*>(run.program.c_str())};
    for (const std::string& argument : run.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return posix_spawn(&child, run.program.c_str(), &actions.actions, &attributes.attributes, argv.data(), environ);
}

}  // namespace

XlsReaderRun XlsReaderFor(const std::string& path)
{
    return {ProgramFolder() + ZEM_XLS_READER_NAME, {"--", path}, std::chrono::seconds(30)};
}

bool RunXlsReader(const XlsReaderRun& run, SheetData& sheet, std::string& error)
{
    sheet.Clear();
    error.clear();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = "系统资源不足";
        return false;
    }
    Descriptor in{fds[0]};
    pid_t child = -1;
    {
        const Descriptor out{fds[1]};
        if (const int failed = Spawn(run, out.fd, child)) {
            error = failed == ENOENT || failed == EACCES ? "找不到读取.xls文件的程序：" + run.program : "系统资源不足";
            return false;
        }
    }

    AnswerReader answer(sheet);
    bool timedOut = false;
    const auto deadline = std::chrono::steady_clock::now() + run.timeLimit;
    while (answer.Current() == AnswerReader::State::More) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{in.fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        char buffer[65536];
        const ssize_t n = ::read(in.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        answer.Take(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    // A reader that has said all it will, or that this side stopped listening to, goes.
    if (answer.Current() != AnswerReader::State::Read && answer.Current() != AnswerReader::State::Refused)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    const AnswerReader::State state = answer.Current();
    const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (state == AnswerReader::State::Read && exited)
        return true;
    sheet.Clear();
    if (state == AnswerReader::State::Refused && exited)
        error = answer.Reason();
    else if (state == AnswerReader::State::TooLarge)
        error = kTooLargeReason;
    else if (timedOut || (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU))
        error = "读取超时，文件可能已损坏";
    else
        error = "文件已损坏，无法读取";
    return false;
}

bool ReadXlsFile(const std::string& path, SheetData& sheet, std::string& error)
{
    return RunXlsReader(XlsReaderFor(path), sheet, error);
}

}  // namespace zem::workbook
