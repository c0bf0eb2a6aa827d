#pragma once
// A window's numbered timers: each fires its handler every interval until it is killed or the
// window goes. Tests install a fake clock: timers then wait for the test to move time, and the
// local time of zem::Now moves with it, so nothing waits on the real clock.
#include "platform/Hooks.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QTimer;

namespace zem::gui {

class WindowTimers {
public:
    explicit WindowTimers(std::function<void(int id)> onTimer);
    ~WindowTimers();
    WindowTimers(const WindowTimers&) = delete;
    WindowTimers& operator=(const WindowTimers&) = delete;

    // Starts (or restarts) timer `id`, firing every `ms` milliseconds.
    void SetTimer(int id, int ms);
    void KillTimer(int id);
    void KillAll();
    bool IsActive(int id) const;

private:
    friend class FakeClock;
    void Fire(int id);

    std::function<void(int)> m_onTimer;
    std::map<int, std::unique_ptr<QTimer>> m_real;
    std::map<int, std::uint64_t> m_fake;  // id -> the fake clock's registration
};

// While one exists, every WindowTimers waits for Advance, and zem::Now reads the fake time.
class FakeClock {
public:
    // Starts at 2026-03-05 08:07:00 local time unless given.
    FakeClock();
    explicit FakeClock(const zem::LocalTime& start);
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    // Moves time on, firing every timer that falls due on the way, in time order.
    void Advance(int ms);
    std::int64_t ElapsedMs() const { return m_now; }
    // How many timers wait.
    std::size_t PendingCount() const;

private:
    friend class WindowTimers;
    struct Entry {
        WindowTimers* owner;
        int id;
        int interval;
        std::int64_t due;
    };
    std::uint64_t Add(WindowTimers* owner, int id, int ms);
    void Remove(std::uint64_t key);

    std::int64_t m_startSeconds = 0;
    std::int64_t m_now = 0;
    std::map<std::uint64_t, Entry> m_entries;
    std::function<zem::LocalTime()> m_previousClock;
};

}  // namespace zem::gui
