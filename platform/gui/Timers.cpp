#include "platform/gui/Timers.h"

#include "platform/Hooks.h"

#include <QTimer>

namespace zem::gui {

namespace {

FakeClock*& TheFakeClock()
{
    static FakeClock* clock = nullptr;
    return clock;
}

LocalTime DefaultStart()
{
    LocalTime t;
    t.year = 2026;
    t.month = 3;
    t.day = 5;
    t.hour = 8;
    t.minute = 7;
    t.dayOfWeek = 4;
    return t;
}

}  // namespace

WindowTimers::WindowTimers(std::function<void(int id)> onTimer) : m_onTimer(std::move(onTimer)) {}

WindowTimers::~WindowTimers()
{
    KillAll();
}

void WindowTimers::SetTimer(int id, int ms)
{
    KillTimer(id);
    if (FakeClock* fake = TheFakeClock()) {
        m_fake[id] = fake->Add(this, id, ms);
        return;
    }
    auto timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [this, id] { Fire(id); });
    timer->start(ms);
    m_real[id] = std::move(timer);
}

void WindowTimers::KillTimer(int id)
{
    m_real.erase(id);
    if (auto it = m_fake.find(id); it != m_fake.end()) {
        if (FakeClock* fake = TheFakeClock())
            fake->Remove(it->second);
        m_fake.erase(it);
    }
}

void WindowTimers::KillAll()
{
    m_real.clear();
    if (FakeClock* fake = TheFakeClock()) {
        for (const auto& [id, key] : m_fake)
            fake->Remove(key);
    }
    m_fake.clear();
}

bool WindowTimers::IsActive(int id) const
{
    return m_real.count(id) != 0 || m_fake.count(id) != 0;
}

void WindowTimers::Fire(int id)
{
    if (m_onTimer)
        m_onTimer(id);
}

FakeClock::FakeClock() : FakeClock(DefaultStart()) {}

FakeClock::FakeClock(const LocalTime& start) : m_startSeconds(ToEpochSeconds(start))
{
    TheFakeClock() = this;
    m_previousClock = SetClockHook([this] {
        LocalTime now = FromEpochSeconds(m_startSeconds + m_now / 1000);
        now.millisecond = static_cast<int>(m_now % 1000);
        return now;
    });
}

FakeClock::~FakeClock()
{
    SetClockHook(m_previousClock);
    TheFakeClock() = nullptr;
}

std::uint64_t FakeClock::Add(WindowTimers* owner, int id, int ms)
{
    // Keys are unique across clocks, so a timer left from an earlier clock never removes a new one.
    static std::uint64_t nextKey = 1;
    const std::uint64_t key = nextKey++;
    m_entries[key] = Entry{owner, id, ms < 1 ? 1 : ms, m_now + (ms < 1 ? 1 : ms)};
    return key;
}

void FakeClock::Remove(std::uint64_t key)
{
    m_entries.erase(key);
}

std::size_t FakeClock::PendingCount() const
{
    return m_entries.size();
}

void FakeClock::Advance(int ms)
{
    const std::int64_t end = m_now + ms;
    for (;;) {
        // The earliest timer due by the end; registration order breaks ties.
        auto next = m_entries.end();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->second.due <= end && (next == m_entries.end() || it->second.due < next->second.due))
                next = it;
        }
        if (next == m_entries.end())
            break;
        m_now = next->second.due;
        next->second.due += next->second.interval;
        // The handler may kill or restart timers, this one included.
        WindowTimers* owner = next->second.owner;
        const int id = next->second.id;
        owner->Fire(id);
    }
    m_now = end;
}

}  // namespace zem::gui
