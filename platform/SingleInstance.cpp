#include "platform/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zem {

SingleInstanceLock::~SingleInstanceLock()
{
    Release();
}

std::string SingleInstanceLock::LockPath(const std::string& name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime && *runtime == '/' && ::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode))
        return std::string(runtime) + "/" + name + ".lock";
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp == '/' ? tmp : "/tmp";
    return folder + "/" + name + "-" + std::to_string(::getuid()) + ".lock";
}

bool SingleInstanceLock::Acquire(const std::string& name)
{
    Release();
    m_heldElsewhere = false;
    m_path = LockPath(name);
    // O_NOFOLLOW: a link planted in a shared temporary folder must not lead the lock elsewhere.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void SingleInstanceLock::Release()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace zem
