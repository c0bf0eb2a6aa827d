#include "app/controls/WorkerThread.h"

#include "platform/gui/Messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr unsigned kNews = zem::WM_USER + 1;

// A window of the test's thread that counts what the worker sends it.
class Window : public zem::gui::MessageReceiver {
public:
    int received = 0;

protected:
    zem::LRESULT WindowProc(unsigned, zem::WPARAM, zem::LPARAM) override
    {
        ++received;
        return 1;
    }
};

// Until a send from another thread is waiting to be served; nothing is served meanwhile.
void AwaitPendingSend()
{
    while (zem::gui::PendingSendCount() == 0)
        std::this_thread::yield();
}

TEST(WorkerThread, StopWhileTheWorkerSendsServesTheSendAndJoins)
{
    Window window;
    std::atomic<int> sends{0};
    int hookCalls = 0;
    CWorkerThread worker;
    worker.SetStopHook([&] { ++hookCalls; });
    worker.Start([&] {
        while (!worker.IsStopRequested()) {
            ++sends;
            window.Send(kNews, 0, 0);
        }
    });
    // The worker waits in its send, and this thread has not served it: stopping must serve it, or
    // neither thread would go on.
    AwaitPendingSend();
    worker.StopAndWait();

    EXPECT_FALSE(worker.IsRunning());
    EXPECT_FALSE(worker.HasThread());
    EXPECT_TRUE(worker.IsStopRequested());
    EXPECT_EQ(hookCalls, 1);
    EXPECT_EQ(window.received, sends.load());
    EXPECT_EQ(sends.load(), 1);
}

TEST(WorkerThread, DestructorStopsAndJoinsAWorkerThatWaitsForTheFlag)
{
    Window window;
    std::atomic<bool> sawStop{false};
    {
        CWorkerThread worker;
        worker.Start([&] {
            worker.StopFlag().wait(false);
            sawStop = true;
            // A last word after the stop is still answered.
            window.Send(kNews, 0, 0);
        });
        EXPECT_TRUE(worker.IsRunning());
    }
    EXPECT_TRUE(sawStop.load());
    EXPECT_EQ(window.received, 1);
}

TEST(WorkerThread, AWorkerThatFinishesIsJoinedByWaitAndAStartAfterAStopRunsAfresh)
{
    Window window;
    CWorkerThread worker;
    int result = 0;
    worker.Start([&] {
        result = 42;
        window.Send(kNews, 0, 0);
    });
    worker.Wait();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(window.received, 1);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_FALSE(worker.HasThread());
    EXPECT_FALSE(worker.IsStopRequested());

    // Stopped once, the next start lowers the flag again: the new work runs whole.
    worker.Start([&] { worker.StopFlag().wait(false); });
    worker.StopAndWait();
    bool stopSeenAtStart = true;
    worker.Start([&] { stopSeenAtStart = worker.IsStopRequested(); });
    worker.Wait();
    EXPECT_FALSE(stopSeenAtStart);
    // Waiting or stopping without a thread does nothing.
    worker.Wait();
    worker.StopAndWait();
    EXPECT_FALSE(worker.HasThread());
}

}  // namespace
