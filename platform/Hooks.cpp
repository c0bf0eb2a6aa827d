#include "platform/Hooks.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace zem {
namespace {

std::mutex& HookMutex()
{
    static std::mutex mutex;
    return mutex;
}

MessageHook& MessageHookSlot()
{
    static MessageHook hook;
    return hook;
}

ClockHook& ClockHookSlot()
{
    static ClockHook hook;
    return hook;
}

int DefaultAnswer(MessageButtons buttons)
{
    return (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel) ? IDYES : IDOK;
}

}  // namespace

int ShowMessage(const MessageRequest& request)
{
    MessageHook hook;
    {
        std::lock_guard lock(HookMutex());
        hook = MessageHookSlot();
    }
    if (hook)
        return hook(request);
    std::fprintf(stderr, "[%s] %s\n", request.caption.c_str(), request.text.c_str());
    return DefaultAnswer(request.buttons);
}

int ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon)
{
    MessageRequest request;
    request.text = text;
    request.caption = caption;
    request.icon = icon;
    return ShowMessage(request);
}

MessageHook SetMessageHook(MessageHook hook)
{
    std::lock_guard lock(HookMutex());
    MessageHook previous = std::move(MessageHookSlot());
    MessageHookSlot() = std::move(hook);
    return previous;
}

LocalTime FromEpochSeconds(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    LocalTime time;
    time.year = tm.tm_year + 1900;
    time.month = tm.tm_mon + 1;
    time.day = tm.tm_mday;
    time.hour = tm.tm_hour;
    time.minute = tm.tm_min;
    time.second = tm.tm_sec;
    time.dayOfWeek = tm.tm_wday;
    return time;
}

std::int64_t ToEpochSeconds(const LocalTime& time)
{
    std::tm tm{};
    tm.tm_year = time.year - 1900;
    tm.tm_mon = time.month - 1;
    tm.tm_mday = time.day;
    tm.tm_hour = time.hour;
    tm.tm_min = time.minute;
    tm.tm_sec = time.second;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

LocalTime Now()
{
    ClockHook hook;
    {
        std::lock_guard lock(HookMutex());
        hook = ClockHookSlot();
    }
    if (hook)
        return hook();
    const auto now = std::chrono::system_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    LocalTime time = FromEpochSeconds(ms / 1000);
    time.millisecond = static_cast<int>(ms % 1000);
    return time;
}

ClockHook SetClockHook(ClockHook hook)
{
    std::lock_guard lock(HookMutex());
    ClockHook previous = std::move(ClockHookSlot());
    ClockHookSlot() = std::move(hook);
    return previous;
}

std::uint64_t TickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000 + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000;
}

}  // namespace zem
