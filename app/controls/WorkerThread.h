#pragma once
// The one owner of a window's worker thread. The work polls the stop flag; stopping raises it and
// waits for the work to return while serving what the worker sends to this thread, so that neither
// thread waits for the other; the destructor stops and joins, so no thread outlives its owner.
// A window whose worker sends to it still stops the worker in its own destructor, before any of
// its parts go.
#include <atomic>
#include <functional>
#include <thread>

class CWorkerThread {
public:
    CWorkerThread() = default;
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Runs `work` on a thread of its own with the stop flag lowered; one still going is stopped
    // and joined first.
    void Start(std::function<void()> work);
    // Raises the stop flag (waking a wait on it) and calls the stop hook; returns at once.
    void RequestStop();
    // RequestStop, then Wait. The flag stays raised until the next Start.
    void StopAndWait();
    // Waits until the work has returned, serving the sends of other threads to this one, then joins.
    void Wait();

    // The work has not returned yet.
    bool IsRunning() const { return m_running.load(); }
    // A thread was started and is not joined yet (it may have returned).
    bool HasThread() const { return m_thread.joinable(); }
    bool IsStopRequested() const { return m_stop.load(); }
    // The flag the work polls; engines take it by pointer.
    std::atomic<bool>& StopFlag() { return m_stop; }
    const std::atomic<bool>& StopFlag() const { return m_stop; }
    // Also called on every stop request: for work that stops through a flag of its own.
    void SetStopHook(std::function<void()> hook) { m_stopHook = std::move(hook); }

private:
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::function<void()> m_stopHook;
};
