#pragma once
// Process ids for tests of what a run left behind: one of a run that has ended, one still running,
// and work done by a run of its own that then ends as a killed one would.
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

// Runs `work` in a process of its own that ends right after it; returns that process's id, which
// no process has once it returns (until the system gives it out again).
inline int RunInGoneProcess(const std::function<void()>& work = {})
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (work)
            work();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

// A process that runs as long as the test: the one that started it.
inline int RunningProcess() { return static_cast<int>(::getppid()); }

// What the owner marker of a folder staged or put aside for `leaf` by process `pid` holds.
inline std::string OwnerMark(int pid, const std::string& leaf) { return std::to_string(pid) + "\n" + leaf + "\n"; }
