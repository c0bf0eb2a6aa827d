#pragma once
// Holds the program's clock at one local time while it lives.
#include "platform/Hooks.h"

class FixedClock {
public:
    explicit FixedClock(zem::LocalTime time) : m_previous(zem::SetClockHook([time] { return time; })) {}
    ~FixedClock() { zem::SetClockHook(m_previous); }
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;

private:
    zem::ClockHook m_previous;
};
