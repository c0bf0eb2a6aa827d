#include "platform/gui/Messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>

namespace zem::gui {

namespace {

QEvent::Type PostedMessageType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QEvent::Type WakeUpType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Qt deletes the event after delivery, or with its receiver when never delivered; an owned text
// goes with it.
class PostedMessage : public QEvent {
public:
    PostedMessage(unsigned message, WPARAM wParam, LPARAM lParam)
        : QEvent(PostedMessageType()), message(message), wParam(wParam), lParam(lParam)
    {
    }
    PostedMessage(unsigned message, WPARAM wParam, std::string text)
        : QEvent(PostedMessageType()), message(message), wParam(wParam), text(std::move(text)), ownsText(true)
    {
    }
    LPARAM Param() const { return ownsText ? ToLParam(text.c_str()) : lParam; }

    unsigned message;
    WPARAM wParam;
    LPARAM lParam = 0;
    std::string text;
    bool ownsText = false;
};

// A send from another thread, waiting on the sender's stack until its receiver's thread serves it.
struct PendingSend {
    MessageReceiver* target;
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool taken = false;  // being served
    bool done = false;
};

struct SendQueue {
    std::mutex mutex;
    std::condition_variable changed;
    std::list<PendingSend*> pending;
};

SendQueue& Queue()
{
    static SendQueue queue;
    return queue;
}

}  // namespace

class MessageReceiver::Mailbox : public QObject {
public:
    explicit Mailbox(MessageReceiver* owner) : owner_(owner) {}

    bool event(QEvent* e) override
    {
        if (e->type() == PostedMessageType()) {
            auto* m = static_cast<PostedMessage*>(e);
            owner_->WindowProc(m->message, m->wParam, m->Param());
            return true;
        }
        if (e->type() == WakeUpType()) {
            ServeSentMessages();
            return true;
        }
        return QObject::event(e);
    }

private:
    MessageReceiver* owner_;
};

MessageReceiver::MessageReceiver()
    : owner_(std::this_thread::get_id()), mailbox_(std::make_unique<Mailbox>(this))
{
}

MessageReceiver::~MessageReceiver()
{
    SendQueue& queue = Queue();
    std::unique_ptr<Mailbox> mailbox;
    {
        std::lock_guard lock(queue.mutex);
        for (auto it = queue.pending.begin(); it != queue.pending.end();) {
            PendingSend* p = *it;
            if (p->target == this && !p->taken) {
                p->done = true;
                it = queue.pending.erase(it);
            } else {
                ++it;
            }
        }
        mailbox = std::move(mailbox_);
    }
    queue.changed.notify_all();
    // The mailbox goes now, and with it every message still queued for this receiver.
}

LRESULT MessageReceiver::Send(unsigned message, WPARAM wParam, LPARAM lParam)
{
    if (std::this_thread::get_id() == owner_)
        return WindowProc(message, wParam, lParam);

    SendQueue& queue = Queue();
    PendingSend send{this, message, wParam, lParam};
    {
        std::lock_guard lock(queue.mutex);
        if (!mailbox_)
            return 0;
        queue.pending.push_back(&send);
        QCoreApplication::postEvent(mailbox_.get(), new QEvent(WakeUpType()));
    }
    queue.changed.notify_all();
    // While waiting, serve what others send to this thread, so that two threads sending to each
    // other do not wait for each other forever.
    std::unique_lock lock(queue.mutex);
    while (!send.done) {
        lock.unlock();
        ServeSentMessages();
        lock.lock();
        if (!send.done)
            queue.changed.wait_for(lock, std::chrono::milliseconds(2));
    }
    return send.result;
}

bool MessageReceiver::Post(unsigned message, WPARAM wParam, LPARAM lParam)
{
    return Enqueue(std::make_unique<PostedMessage>(message, wParam, lParam));
}

bool MessageReceiver::PostText(unsigned message, WPARAM wParam, std::string text)
{
    return Enqueue(std::make_unique<PostedMessage>(message, wParam, std::move(text)));
}

bool MessageReceiver::Enqueue(std::unique_ptr<QEvent> event)
{
    std::lock_guard lock(Queue().mutex);
    if (!mailbox_)
        return false;
    QCoreApplication::postEvent(mailbox_.get(), event.release());
    return true;
}

void ServeSentMessages()
{
    SendQueue& queue = Queue();
    const auto self = std::this_thread::get_id();
    for (;;) {
        PendingSend* send = nullptr;
        {
            std::lock_guard lock(queue.mutex);
            for (PendingSend* p : queue.pending) {
                if (!p->taken && p->target->owner_ == self) {
                    p->taken = true;
                    send = p;
                    break;
                }
            }
        }
        if (!send)
            return;
        const LRESULT result = send->target->WindowProc(send->message, send->wParam, send->lParam);
        {
            std::lock_guard lock(queue.mutex);
            send->result = result;
            send->done = true;
            queue.pending.remove(send);
        }
        queue.changed.notify_all();
    }
}

std::size_t PendingSendCount()
{
    std::lock_guard lock(Queue().mutex);
    return Queue().pending.size();
}

bool WaitWhile(const std::function<bool()>& busy, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    SendQueue& queue = Queue();
    for (;;) {
        ServeSentMessages();
        if (!busy())
            return true;
        if (timeoutMs >= 0 && Clock::now() >= deadline)
            return false;
        // Woken at once by a new send; the short period notices `busy` turning false.
        std::unique_lock lock(queue.mutex);
        queue.changed.wait_for(lock, std::chrono::milliseconds(2));
    }
}

}  // namespace zem::gui
