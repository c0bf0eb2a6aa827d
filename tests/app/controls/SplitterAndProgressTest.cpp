// Splitter bars: a drag moves the bar within its margins and tells the dialog how far; a drag that
// ends where it began, or one with no room to move, tells nothing. The progress strip: the filled
// part for its range and position, and the click that asks for the completion report.
#include "support/PixelProbes.h"
#include "app/controls/ProgressWnd.h"
#include "app/controls/SplitterBar.h"
#include "platform/gui/Dialog.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <climits>

using zem::Rect;

namespace {

struct Received {
    unsigned message;
    zem::WPARAM wParam;
    zem::LPARAM lParam;
};

class RecordingDialog : public zem::gui::Dialog {
public:
    RecordingDialog() : Dialog(nullptr, "课表", {200, 100}) {}
    std::vector<Received> received;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override
    {
        received.push_back({message, wParam, lParam});
        return 0;
    }
};

void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, at, widget->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void Key(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

int SignedDistance(const Received& r) { return static_cast<int>(static_cast<zem::LPARAM>(r.wParam)); }

constexpr int kBarId = 1001;

class SplitterTest : public testing::Test {
protected:
    void SetUp() override
    {
        dialog.resize(400, 300);
        bar = new QLabel(&dialog);
        bar->setGeometry(100, 0, 4, 300);
        lying = new QLabel(&dialog);
        lying->setGeometry(0, 150, 400, 4);
        dialog.AddControl(kBarId, bar);
        dialog.AddControl(kBarId + 1, lying);
        dialog.show();
        ASSERT_TRUE(upright.Attach(&dialog, kBarId));
        ASSERT_TRUE(flat.Attach(&dialog, kBarId + 1));
        flat.SetRange(20, 30);
    }

    // Presses at x (bar coordinates), moves through the points and releases at the last.
    void Drag(QWidget* widget, std::initializer_list<QPoint> path)
    {
        Mouse(widget, QEvent::MouseButtonPress, *path.begin());
        for (const QPoint& p : path)
            Mouse(widget, QEvent::MouseMove, p);
        Mouse(widget, QEvent::MouseButtonRelease, *(path.end() - 1));
    }

    RecordingDialog dialog;
    QLabel* bar = nullptr;
    QLabel* lying = nullptr;
    CSplitterBar upright;
    CSplitterBarH flat;
};

TEST_F(SplitterTest, AttachingMakesTheControlABar)
{
    EXPECT_EQ(upright.GetFirstMargin(), 10);
    EXPECT_EQ(upright.GetSecondMargin(), 10);
    EXPECT_EQ(bar->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(lying->cursor().shape(), Qt::SizeVerCursor);
    CSplitterBar missing;
    EXPECT_FALSE(missing.Attach(&dialog, 999));
}

TEST_F(SplitterTest, ADragMovesTheBarAndTellsTheDialog)
{
    Mouse(bar, QEvent::MouseButtonPress, {2, 50});
    Mouse(bar, QEvent::MouseMove, {32, 80});
    EXPECT_TRUE(upright.IsDragging());
    EXPECT_EQ(upright.GetGhostRect(), Rect(130, 0, 134, 300)) << "the ghost follows the mouse sideways only";
    EXPECT_EQ(bar->x(), 100) << "the bar waits for the drag's end";
    SavePicture(dialog.grab().toImage(), "splitter_drag.png");
    Mouse(bar, QEvent::MouseButtonRelease, {32, 80});
    EXPECT_FALSE(upright.IsDragging());
    EXPECT_EQ(bar->geometry(), QRect(130, 0, 4, 300));
    ASSERT_EQ(dialog.received.size(), 1u);
    EXPECT_EQ(dialog.received[0].message, WM_SPLITTER_MOVED);
    EXPECT_EQ(dialog.received[0].message, 0x7E8u);
    EXPECT_EQ(SignedDistance(dialog.received[0]), 30);
    EXPECT_EQ(dialog.received[0].lParam, kBarId);
}

TEST_F(SplitterTest, TheMarginsHoldTheBar)
{
    Drag(bar, {{2, 50}, {500, 50}});
    EXPECT_EQ(bar->x() + bar->width(), 400 - 10);
    Drag(bar, {{2, 50}, {-900, 50}});
    EXPECT_EQ(bar->x(), 10);
    ASSERT_EQ(dialog.received.size(), 2u);
    EXPECT_EQ(SignedDistance(dialog.received[0]), 286);
    EXPECT_EQ(SignedDistance(dialog.received[1]), -376);

    Drag(lying, {{50, 1}, {50, 400}});
    EXPECT_EQ(lying->y() + lying->height(), 300 - 30);
    ASSERT_EQ(dialog.received.size(), 3u);
    EXPECT_EQ(SignedDistance(dialog.received[2]), 116);
    EXPECT_EQ(dialog.received[2].lParam, kBarId + 1);
}

TEST_F(SplitterTest, EscapeKeepsWhereTheGhostStands)
{
    Mouse(bar, QEvent::MouseButtonPress, {2, 50});
    Mouse(bar, QEvent::MouseMove, {-38, 50});
    Key(bar, Qt::Key_A);  // other keys are dropped
    EXPECT_TRUE(upright.IsDragging());
    Key(bar, Qt::Key_Escape);
    EXPECT_FALSE(upright.IsDragging());
    EXPECT_TRUE(dialog.isVisible()) << "Esc ends the drag, not the dialog";
    EXPECT_EQ(bar->x(), 60);
    ASSERT_EQ(dialog.received.size(), 1u);
    EXPECT_EQ(SignedDistance(dialog.received[0]), -40);

    // A right click ends a drag the same way.
    Mouse(bar, QEvent::MouseButtonPress, {2, 50});
    Mouse(bar, QEvent::MouseMove, {12, 50});
    Mouse(bar, QEvent::MouseButtonPress, {12, 50}, Qt::RightButton);
    EXPECT_EQ(bar->x(), 70);
    EXPECT_EQ(dialog.received.size(), 2u);
}

TEST_F(SplitterTest, NothingIsSentWithoutAMove)
{
    Drag(bar, {{2, 50}, {30, 50}, {2, 90}});
    EXPECT_EQ(bar->x(), 100);
    EXPECT_TRUE(dialog.received.empty());

    // Margins that leave no room start no drag at all.
    upright.SetRange(250, 250);
    Drag(bar, {{2, 50}, {40, 50}});
    upright.SetRange(10, 388);  // room, but less than the bar is wide
    Drag(bar, {{2, 50}, {40, 50}});
    flat.SetRange(300, 0);
    Drag(lying, {{50, 1}, {50, 40}});
    EXPECT_FALSE(upright.IsDragging());
    EXPECT_EQ(bar->x(), 100);
    EXPECT_EQ(lying->y(), 150);
    EXPECT_TRUE(dialog.received.empty());
}

TEST_F(SplitterTest, ABarDestroyedDuringADragLeavesTheDialogAlone)
{
    {
        CSplitterBar other;
        other.Attach(&dialog, kBarId);
        Mouse(bar, QEvent::MouseButtonPress, {2, 50});
        Mouse(bar, QEvent::MouseMove, {40, 50});
    }
    EXPECT_EQ(bar->x(), 100);
    EXPECT_TRUE(dialog.received.empty());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

class RecordingOwner : public QWidget, public zem::gui::MessageReceiver {
public:
    std::vector<unsigned> messages;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM, zem::LPARAM) override
    {
        messages.push_back(message);
        return 0;
    }
};

TEST(ProgressWnd, FilledPartFollowsRangeAndPosition)
{
    RecordingOwner owner;
    owner.resize(300, 40);
    owner.show();
    CProgressWnd strip;
    ASSERT_TRUE(strip.Create(&owner));
    EXPECT_EQ(strip.objectName(), "Wnd_Progress");
    strip.setGeometry(0, 0, 200, 20);
    const struct {
        int min, max, pos, width;
    } cases[] = {
        {0, 100, 50, 100},
        {0, 100, 33, 66},
        {0, 0, 0, 0},           // no range: nothing to show
        {10, 10, 20, 0},
        {100, 0, 50, 0},        // an inverted range too
        {0, 100, 0, 0},
        {0, 100, -5, 0},        // below the minimum
        {0, 100, 150, 200},     // past the maximum: the whole strip
        {INT_MIN, INT_MAX, 0, 100},  // no overflow
    };
    for (const auto& c : cases) {
        strip.SetRange(c.min, c.max);
        strip.SetPos(c.pos);
        EXPECT_EQ(strip.GetBarRect(), Rect(0, 0, c.width, 20)) << c.min << ".." << c.max << " at " << c.pos;
        const QImage image = strip.grab().toImage();
        EXPECT_EQ(CountOther(image, Rect(0, 0, 200, 20), zem::RGB(255, 165, 0)), 200 * 20 - c.width * 20);
    }

    strip.resize(100, 20);  // a new size lays the bar out again
    EXPECT_EQ(strip.GetBarRect(), Rect(0, 0, 50, 20));
}

TEST(ProgressWnd, AClickAsksForTheCompletionReport)
{
    RecordingOwner owner;
    CProgressWnd strip;
    strip.Create(&owner);
    strip.setGeometry(0, 0, 200, 20);
    Mouse(&strip, QEvent::MouseButtonPress, {10, 10});
    Mouse(&strip, QEvent::MouseButtonPress, {10, 10}, Qt::RightButton);
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0], 0x609u);
    EXPECT_EQ(strip.cursor().shape(), Qt::PointingHandCursor);
}

TEST(ProgressWnd, Picture)
{
    RecordingOwner owner;
    owner.resize(320, 24);
    owner.show();
    CProgressWnd strip;
    strip.Create(&owner);
    strip.setGeometry(0, 0, 320, 24);
    strip.SetRange(0, 360);
    strip.SetPos(234);
    strip.SetText("已排课 234 节，共 360 节（65%）");
    const QImage image = strip.grab().toImage();
    EXPECT_GT(CountOther(image, Rect(0, 0, 320, 24), zem::RGB(255, 165, 0)), 0);
    SavePicture(image, "progress_strip.png");
}

}  // namespace
