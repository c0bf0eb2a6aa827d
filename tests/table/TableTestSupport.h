#pragma once
// What the grid tests share: a host that records every notification, synthetic mouse input and
// pixel probes of rendered images.
#include "platform/Gdi.h"
#include "platform/gui/Messages.h"
#include "table/TableDefs.h"
#include "table/WeekTable.h"

#include <QImage>
#include <QWidget>

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

// Mouse input as the window system delivers it.
void Press(QWidget* widget, zem::Point at, Qt::MouseButton button = Qt::LeftButton);
void MoveMouse(QWidget* widget, zem::Point at);

// A cell's rectangle in the grid's client pixels (laid out for the window's current size).
zem::Rect CellRect(CWeekTable& grid, const tagTABLE_NODE& node);
zem::Point CellCentre(CWeekTable& grid, const tagTABLE_NODE& node);

zem::COLORREF PixelAt(const QImage& image, int x, int y);
// The smallest rectangle holding every pixel of `color` inside `region` (empty when there is none).
zem::Rect BoundsOfColor(const QImage& image, const zem::Rect& region, zem::COLORREF color);
int CountColor(const QImage& image, const zem::Rect& region, zem::COLORREF color);

// A cell text of one entry.
std::string OneEntry(const std::string& key, const std::string& main, const std::string& secondary);
// A cell text of two entries (odd and even weeks).
std::string TwoEntries(const std::string& main1, const std::string& secondary1, const std::string& main2,
                       const std::string& secondary2);
