#pragma once
// Holds a worker thread at a known point until the test lets it go: the worker calls Hold, the
// test waits until it is held (with its events processed, so that the worker's sends are
// answered), acts, and releases it. Nothing waits on a timer for the worker to get there.
#include <QTest>

#include <condition_variable>
#include <mutex>

class WorkerLatch {
public:
    // On the worker: marks it held, then waits for the release.
    void Hold()
    {
        std::unique_lock lock(m_mutex);
        m_held = true;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_released; });
    }

    // On the test's thread: whether the worker got to Hold within `ms`.
    bool WaitHeld(int ms = 60000)
    {
        return QTest::qWaitFor(
            [&] {
                std::lock_guard lock(m_mutex);
                return m_held;
            },
            ms);
    }

    // Release it whatever the test found, so that joining the worker never waits on the latch.
    void Release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false;
    bool m_released = false;
};
