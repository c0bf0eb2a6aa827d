#include "platform/gui/Messages.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr unsigned kAsk = zem::WM_USER + 1;

// Answers kAsk with wParam + 1 and writes the answer through lParam as well.
class Counter : public zem::gui::MessageReceiver {
public:
    std::vector<unsigned> seen;
    std::thread::id handledOn;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override
    {
        seen.push_back(message);
        handledOn = std::this_thread::get_id();
        if (lParam)
            *zem::FromLParam<int>(lParam) = static_cast<int>(wParam) + 1;
        return static_cast<zem::LRESULT>(wParam) + 1;
    }
};

TEST(GuiMessages, SameThreadSendIsADirectCallAndAPostWaitsForTheEventLoop)
{
    Counter counter;
    int answer = 0;
    EXPECT_EQ(zem::SendMessage(&counter, kAsk, 41, zem::ToLParam(&answer)), 42);
    EXPECT_EQ(answer, 42);

    EXPECT_TRUE(zem::PostMessage(&counter, kAsk + 1, 1));
    EXPECT_EQ(counter.seen.size(), 1u);  // not yet delivered
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(counter.seen.size(), 2u);
    EXPECT_EQ(counter.seen[1], kAsk + 1);

    EXPECT_EQ(zem::SendMessage(nullptr, kAsk, 1), 0);
    EXPECT_FALSE(zem::PostMessage(nullptr, kAsk, 1));
}

TEST(GuiMessages, WorkerSendIsServedWhileTheGuiThreadWaitsForTheWorker)
{
    Counter counter;
    std::atomic<bool> finished{false};
    zem::LRESULT result = 0;
    int answer = 0;
    std::thread worker([&] {
        result = counter.Send(kAsk, 6, zem::ToLParam(&answer));
        finished = true;
    });
    // A plain join here would deadlock: the worker waits for this thread to handle its send.
    EXPECT_TRUE(zem::gui::WaitWhile([&] { return !finished; }, 5000));
    worker.join();
    EXPECT_EQ(result, 7);
    EXPECT_EQ(answer, 7);
    EXPECT_EQ(counter.handledOn, std::this_thread::get_id());
}

TEST(GuiMessages, WorkerSendIsServedByTheEventLoop)
{
    Counter counter;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        EXPECT_EQ(counter.Send(kAsk, 1, 0), 2);
        finished = true;
    });
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
    EXPECT_EQ(counter.handledOn, std::this_thread::get_id());
}

// Answers by sending to another receiver and returning that answer plus 100.
class Relay : public zem::gui::MessageReceiver {
public:
    MessageTarget* next = nullptr;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM) override
    {
        return next->Send(message, wParam, 0) + 100;
    }
};

TEST(GuiMessages, TwoThreadsSendingToEachOtherServeEachOtherWhileTheyWait)
{
    Counter onGui;
    std::atomic<bool> finished{false};
    std::unique_ptr<Relay> onWorker;
    std::atomic<bool> ready{false};
    zem::LRESULT fromGui = 0;
    std::thread worker([&] {
        onWorker = std::make_unique<Relay>();
        onWorker->next = &onGui;
        ready = true;
        // Serve the GUI thread's send; the relay sends back to the GUI thread, which is waiting.
        zem::gui::WaitWhile([&] { return !finished; }, 5000);
        onWorker.reset();
    });
    while (!ready)
        std::this_thread::yield();
    fromGui = onWorker->Send(kAsk, 1, 0);
    finished = true;
    worker.join();
    EXPECT_EQ(fromGui, 102);
}

TEST(GuiMessages, DestroyingAReceiverAnswersPendingSendsWithZeroAndDropsPosts)
{
    auto counter = std::make_unique<Counter>();
    zem::LRESULT result = -1;
    std::thread worker([&, target = counter.get()] { result = target->Send(kAsk, 1, 0); });
    for (int i = 0; i < 5000 && zem::gui::PendingSendCount() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(zem::gui::PendingSendCount(), 1u);
    counter->Post(kAsk, 5, 0);
    counter.reset();  // neither served nor delivered
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(zem::gui::PendingSendCount(), 0u);
    QCoreApplication::sendPostedEvents();  // the wake-up and the post reach nobody
}

// Keeps the texts of kAsk messages, read through lParam while they are handled; ignores the rest.
class TextReader : public zem::gui::MessageReceiver {
public:
    std::vector<std::string> texts;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM, zem::LPARAM lParam) override
    {
        if (message == kAsk)
            texts.emplace_back(zem::FromLParam<const char>(lParam));
        return 0;
    }
};

// The message owns its text: the receiver reads it during the call and frees nothing, whether it
// handles the message or not; a text never delivered goes with its receiver (the leak checker
// holds the last two).
TEST(GuiMessages, APostedTextBelongsToItsMessage)
{
    const std::string text = "正在检查排课数据,请稍候...";  // longer than a string keeps inline
    TextReader reader;
    EXPECT_TRUE(zem::PostText(&reader, kAsk, 0, text));
    EXPECT_TRUE(zem::PostText(&reader, kAsk + 1, 0, text + " ignored"));
    EXPECT_TRUE(reader.texts.empty());  // not yet delivered
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(reader.texts, std::vector<std::string>{text});

    auto dropped = std::make_unique<TextReader>();
    EXPECT_TRUE(dropped->PostText(kAsk, 0, text + " dropped"));
    dropped.reset();
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(zem::PostText(nullptr, kAsk, 0, text));
}

TEST(GuiMessages, WaitWhileGivesUpAtItsTimeout)
{
    EXPECT_FALSE(zem::gui::WaitWhile([] { return true; }, 20));
    EXPECT_TRUE(zem::gui::WaitWhile([] { return false; }, 0));
}

}  // namespace
