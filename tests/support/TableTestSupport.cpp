#include "support/TableTestSupport.h"

#include "base/CellRecord.h"
#include "platform/gui/Font.h"
#include "support/QtTestEnvironment.h"
#include "table/UICore.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <utility>

namespace {

// Hard-edged text, so that pixels can be checked exactly.
class TableEnvironment : public QtTestEnvironment {
public:
    void SetUp() override
    {
        QtTestEnvironment::SetUp();
        zem::gui::SetTextAntialiasing(false);
    }
    void TearDown() override
    {
        CUICore::Free();
        QtTestEnvironment::TearDown();
    }
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new TableEnvironment);

}  // namespace

RecordingHost::RecordingHost()
{
    resize(640, 400);
}

std::vector<unsigned> RecordingHost::Messages() const
{
    std::vector<unsigned> messages;
    for (const Notification& n : received)
        messages.push_back(n.message);
    return messages;
}

zem::LRESULT RecordingHost::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    Notification n;
    n.message = message;
    n.wParam = wParam;
    n.lParam = lParam;
    switch (message) {
    case WM_TABLE_CELL_PICKED:
    case WM_TABLE_FRIEND_CLICKED:
    case WM_TABLE_CELL_RCLICK:
    case WM_TABLE_HEADER_RCLICK:
        n.node = *zem::FromWParam<tagTABLE_NODE>(wParam);
        break;
    case WM_TABLE_CELL_TOGGLED:
        n.node = *zem::FromLParam<tagTABLE_NODE>(lParam);
        break;
    case WM_TABLE_CAN_MOVE:
    case WM_TABLE_CELL_MOVED:
        n.move = *zem::FromWParam<tagNMT_MOVE>(wParam);
        break;
    case WM_TABLE_MOVE_REFUSED:
        n.text = *zem::FromWParam<std::string>(wParam);
        break;
    default:
        break;
    }
    received.push_back(n);
    if (message == WM_TABLE_CAN_MOVE)
        *zem::FromLParam<int>(lParam) = canMoveAnswer;
    if (message == WM_TABLE_FRIEND_CLICKED)
        *zem::FromLParam<bool>(lParam) = stopOnFriend;
    if (onMessage)
        onMessage(n);
    return 0;
}

TestAnimationClock::TestAnimationClock(std::int64_t tick) : m_tick(tick)
{
    m_previous = zem::gui::SetAnimationClockHook([this] {
        m_now += m_tick;
        if (m_action && m_now >= m_at)
            QTimer::singleShot(0, std::exchange(m_action, nullptr));
        return m_now;
    });
}

TestAnimationClock::~TestAnimationClock()
{
    zem::gui::SetAnimationClockHook(std::move(m_previous));
}

void TestAnimationClock::At(std::int64_t time, std::function<void()> action)
{
    m_at = time;
    m_action = std::move(action);
}

void Press(QWidget* widget, zem::Point at, Qt::MouseButton button)
{
    const QPointF local(at.x, at.y);
    const QPointF global = widget->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

void MoveMouse(QWidget* widget, zem::Point at)
{
    const QPointF local(at.x, at.y);
    QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

zem::Rect CellRect(CWeekTable& grid, const tagTABLE_NODE& node)
{
    zem::Rect r;
    grid.GetCellRect(node, &r);
    const QPoint origin = grid.mapToGlobal(QPoint(0, 0));
    r.OffsetRect(-origin.x(), -origin.y());
    return r;
}

zem::Point CellCentre(CWeekTable& grid, const tagTABLE_NODE& node)
{
    return CellRect(grid, node).CenterPoint();
}

zem::COLORREF PixelAt(const QImage& image, int x, int y)
{
    return PixelOf(image, x, y);
}

std::string OneEntry(const std::string& key, const std::string& main, const std::string& secondary)
{
    return zem::JoinCellRecord({"1", key, main, secondary});
}

std::string TwoEntries(const std::string& main1, const std::string& secondary1, const std::string& main2,
                       const std::string& secondary2)
{
    return zem::JoinCellRecord({"2", "1", main1, secondary1, "2", main2, secondary2});
}
