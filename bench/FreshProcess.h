#pragma once
// Peak memory is only meaningful in a process of its own: the benchmarks run themselves again.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

extern char** environ;

// Runs this program as `self --open-once file` and waits for it to end.
inline void RunOpenOnceInFreshProcess(std::string file)
{
    char self[] = "/proc/self/exe";
    char flag[] = "--open-once";
    char* argv[] = {self, flag, file.data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, environ) != 0) {
        std::perror("posix_spawn");
        return;
    }
    int status = 0;
    waitpid(child, &status, 0);
}
