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

// A tool built beside this benchmark, by its file name.
inline std::string ToolBesideThis(const char* name)
{
    char path[4096] = {};
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    const std::string self = n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
    return self.substr(0, self.rfind('/') + 1) + name;
}
