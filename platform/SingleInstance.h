#pragma once
// One running copy of the program per user: an exclusive advisory lock on a file in the user's runtime
// folder. The system drops the lock when the process ends, so a crash leaves nothing stale behind.
#include <string>

namespace zem {

class SingleInstanceLock {
public:
    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // True when this process now holds the lock named `name`; false when another holds it or the
    // lock file cannot be made.
    bool Acquire(const std::string& name);
    void Release();
    bool Held() const { return m_fd >= 0; }
    // After a failed Acquire: true when another process holds the lock, false when the lock file
    // could not be made (the caller may then go on as the only copy).
    bool HeldElsewhere() const { return m_heldElsewhere; }
    const std::string& Path() const { return m_path; }

    // $XDG_RUNTIME_DIR/<name>.lock, else the temporary folder with the user id in the file name.
    static std::string LockPath(const std::string& name);

private:
    int m_fd = -1;
    bool m_heldElsewhere = false;
    std::string m_path;
};

}  // namespace zem
