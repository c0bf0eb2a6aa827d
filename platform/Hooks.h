#pragma once
// Hooks through which the libraries reach the user and the clock. The data libraries never show
// windows: they report through the message hook, which the program points at its message boxes
// (marshalled to the GUI thread) and tests point at a recorder.
#include <cstdint>
#include <functional>
#include <string>

namespace zem {

enum class MessageIcon { Information, Warning, Error, Question, None };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
// Answers, numbered as the program's message boxes number them.
enum MessageAnswer { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct MessageRequest {
    std::string text;
    std::string caption = "提示";
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
    // The answer of the button that Enter presses; 0 for the first button.
    int defaultAnswer = 0;
};

using MessageHook = std::function<int(const MessageRequest&)>;

// Shows a message to the user through the installed hook and returns the answer. Without a hook
// the text goes to standard error and the answer is the first button (OK or Yes).
int ShowMessage(const MessageRequest& request);
int ShowMessage(const std::string& text, const std::string& caption = "提示",
                MessageIcon icon = MessageIcon::Information);

// Installs a hook; an empty function restores the default. Returns the previous hook.
MessageHook SetMessageHook(MessageHook hook);

// Local calendar time, as the program's backups and logs name it.
struct LocalTime {
    int year = 1970;
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 4;  // 0 Sunday .. 6 Saturday
};

using ClockHook = std::function<LocalTime()>;

// The current local time, from the installed clock hook or the system clock.
LocalTime Now();
// Seconds since 1970 of a local time (the inverse of what Now breaks down), for differences.
std::int64_t ToEpochSeconds(const LocalTime& time);
LocalTime FromEpochSeconds(std::int64_t seconds);

// Installs a clock for tests; an empty function restores the system clock. Returns the previous one.
ClockHook SetClockHook(ClockHook hook);

// Milliseconds since the machine started (a monotonic clock).
std::uint64_t TickCount();

}  // namespace zem
