#pragma once
// The receiving end of the program's numbered window messages, with no toolkit in sight: libraries
// without windows (the engine) hold one of these; the GUI layer implements it over its event loop.
#include <cstdint>
#include <string>
#include <utility>

namespace zem {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// First number free for the program's own messages.
constexpr unsigned WM_USER = 0x400;

class MessageTarget {
public:
    virtual ~MessageTarget() = default;

    // Delivers the message and returns the receiver's answer. On the receiver's own thread this is a
    // direct call, so records passed by pointer may be answered through; from another thread the
    // caller waits until the receiver's thread has handled it (or the receiver is destroyed: 0).
    virtual LRESULT Send(unsigned message, WPARAM wParam, LPARAM lParam) = 0;

    // Queues the message for the receiver's thread and returns at once. Whatever the parameters point
    // to must outlive the delivery. False when the message cannot be queued.
    virtual bool Post(unsigned message, WPARAM wParam, LPARAM lParam) = 0;

    // Queues the message with a text of its own: while it is handled, lParam points to the text
    // (zero-terminated); the message frees the text once delivered or dropped, so no receiver has
    // anything to free. False when the message cannot be queued.
    virtual bool PostText(unsigned message, WPARAM wParam, std::string text) = 0;
};

// Null-safe forms: a missing target answers 0 and takes no post.
inline LRESULT SendMessage(MessageTarget* target, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return target ? target->Send(message, wParam, lParam) : 0;
}

inline bool PostMessage(MessageTarget* target, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return target && target->Post(message, wParam, lParam);
}

inline bool PostText(MessageTarget* target, unsigned message, WPARAM wParam, std::string text)
{
    return target && target->PostText(message, wParam, std::move(text));
}

// Pointers travel in the two parameters.
template <class T>
WPARAM ToWParam(T* pointer)
{
    return reinterpret_cast<WPARAM>(pointer);
}

template <class T>
LPARAM ToLParam(T* pointer)
{
    return reinterpret_cast<LPARAM>(pointer);
}

template <class T>
T* FromWParam(WPARAM value)
{
    return reinterpret_cast<T*>(value);
}

template <class T>
T* FromLParam(LPARAM value)
{
    return reinterpret_cast<T*>(value);
}

}  // namespace zem
