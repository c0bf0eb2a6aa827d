#pragma once
// What the grid tests share: a host that records every notification, synthetic mouse input and
// pixel probes of rendered images.
#include "platform/Gdi.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/Messages.h"
#include "table/TableDefs.h"
#include "table/WeekTable.h"
#include "support/PixelProbes.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Notification {
    unsigned message = 0;
    zem::WPARAM wParam = 0;
    zem::LPARAM lParam = 0;
    tagTABLE_NODE node{-9, -9, -9};
    tagNMT_MOVE move{};
    std::string text;
};

// A host window of the grids: records what it receives and answers through the pointers as told.
class RecordingHost : public QWidget, public zem::gui::MessageReceiver {
public:
    RecordingHost();

    std::vector<Notification> received;
    std::vector<unsigned> Messages() const;

    int canMoveAnswer = 1;       // written into the int of WM_TABLE_CAN_MOVE
    bool stopOnFriend = false;   // written into the bool of WM_TABLE_FRIEND_CLICKED
    std::function<void(const Notification&)> onMessage;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
};

// The animation clock as a test drives it, installed for the object's life. Each reading moves it on
// by `tick` milliseconds, so that a slide takes the same number of frames however loaded the
// machine is; with a tick of 0 only Set moves it.
class TestAnimationClock {
public:
    explicit TestAnimationClock(std::int64_t tick);
    ~TestAnimationClock();
    TestAnimationClock(const TestAnimationClock&) = delete;
    TestAnimationClock& operator=(const TestAnimationClock&) = delete;

    std::int64_t Now() const { return m_now; }
    void Set(std::int64_t now) { m_now = now; }
    // Runs the action once from the event loop, when a reading first reaches `time`.
    void At(std::int64_t time, std::function<void()> action);

private:
    std::int64_t m_now = 1000;
    std::int64_t m_tick;
    std::int64_t m_at = 0;
    std::function<void()> m_action;
    zem::gui::AnimationClockHook m_previous;
};

// Mouse input as the window system delivers it.
void Press(QWidget* widget, zem::Point at, Qt::MouseButton button = Qt::LeftButton);
void MoveMouse(QWidget* widget, zem::Point at);

// A cell's rectangle in the grid's client pixels (laid out for the window's current size).
zem::Rect CellRect(CWeekTable& grid, const tagTABLE_NODE& node);
zem::Point CellCentre(CWeekTable& grid, const tagTABLE_NODE& node);

zem::COLORREF PixelAt(const QImage& image, int x, int y);

// A cell text of one entry.
std::string OneEntry(const std::string& key, const std::string& main, const std::string& secondary);
// A cell text of two entries (odd and even weeks).
std::string TwoEntries(const std::string& main1, const std::string& secondary1, const std::string& main2,
                       const std::string& secondary2);
