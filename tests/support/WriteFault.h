#pragma once
// Fails the writes of chosen files while it lives, as a read-only file or folder answers them.
#include "platform/Files.h"

#include <cerrno>
#include <functional>
#include <string>

class WriteFault {
public:
    // Every write of a file or folder whose path passes the test fails with EACCES.
    explicit WriteFault(std::function<bool(const std::string&)> fails)
        : m_previous(zem::SetFileWriteFaultHook(
              [fails = std::move(fails)](const std::string& path) { return fails(path) ? EACCES : 0; }))
    {
    }
    // Only the file at the path.
    explicit WriteFault(const std::string& path)
        : WriteFault([path](const std::string& written) { return written == path; })
    {
    }
    ~WriteFault() { zem::SetFileWriteFaultHook(m_previous); }
    WriteFault(const WriteFault&) = delete;
    WriteFault& operator=(const WriteFault&) = delete;

private:
    zem::FileWriteFaultHook m_previous;
};
