#pragma once
// Numbered window messages carried over Qt events. A window (or dialog) that receives the program's
// messages also derives from MessageReceiver and handles them in WindowProc.
#include "platform/MessageTarget.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class QEvent;

namespace zem::gui {

class MessageReceiver : public MessageTarget {
public:
    // The receiver belongs to the thread that constructs it: its messages are handled there.
    MessageReceiver();
    ~MessageReceiver() override;
    MessageReceiver(const MessageReceiver&) = delete;
    MessageReceiver& operator=(const MessageReceiver&) = delete;

    // Same thread: a direct call of WindowProc. Another thread: the call is queued for the owner's
    // thread and the sender waits, serving sends addressed to its own thread meanwhile; the owner
    // serves it from its event loop, from WaitWhile or from a send of its own, and a receiver
    // destroyed first answers 0.
    LRESULT Send(unsigned message, WPARAM wParam, LPARAM lParam) final;
    // Queued as an event of the owner's thread; dropped if the receiver is destroyed first.
    bool Post(unsigned message, WPARAM wParam, LPARAM lParam) final;
    // Likewise; the text goes with the event.
    bool PostText(unsigned message, WPARAM wParam, std::string text) final;

    std::thread::id OwnerThread() const { return owner_; }

protected:
    virtual LRESULT WindowProc(unsigned message, WPARAM wParam, LPARAM lParam) = 0;

private:
    bool Enqueue(std::unique_ptr<QEvent> event);

    class Mailbox;
    friend class Mailbox;
    friend void ServeSentMessages();
    std::thread::id owner_;
    std::unique_ptr<Mailbox> mailbox_;
};

// Serves the messages other threads are sending to receivers of the calling thread.
void ServeSentMessages();

// How many sends from other threads are waiting to be served, for every receiver.
std::size_t PendingSendCount();

// Waits on the calling thread while `busy` holds, serving sends addressed to this thread meanwhile,
// so that a GUI thread waiting for a worker never deadlocks with a worker sending to it. False when
// the timeout (milliseconds; negative waits without limit) ran out first.
bool WaitWhile(const std::function<bool()>& busy, int timeoutMs = -1);

}  // namespace zem::gui
