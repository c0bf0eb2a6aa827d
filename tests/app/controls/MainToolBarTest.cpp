// The main tool bar: where its buttons and the task name go, hovering, and what a click starts.
#include "support/PixelProbes.h"
#include "support/FakeAppServices.h"
#include "app/controls/MainToolBar.h"
#include "platform/gui/Desktop.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

using zem::Rect;

namespace {

void MouseMove(QWidget* widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

void Click(QWidget* widget, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

QPoint Centre(const Rect& r) { return {r.CenterPoint().x, r.CenterPoint().y}; }

// The part of the region that differs from the same region of the plain bar.
Rect DifferenceBounds(const QImage& image, const QImage& plain, const Rect& region)
{
    Rect r(region.right, region.bottom, region.left, region.top);
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x)
            if (image.pixel(x, y) != plain.pixel(x, y)) {
                r.left = std::min(r.left, x);
                r.top = std::min(r.top, y);
                r.right = std::max(r.right, x + 1);
                r.bottom = std::max(r.bottom, y + 1);
            }
    return r;
}

class MainToolBarTest : public testing::Test {
protected:
    void SetUp() override
    {
        host.resize(1000, 100);
        host.show();
        bar.Create(&host);
        bar.setGeometry(0, 0, 800, CMainToolBar::kCapHeight);
        previousOpen = zem::gui::SetOpenHook([this](const std::string& target) {
            opened.push_back(target);
            return zem::gui::kOpenDone;
        });
    }
    void TearDown() override { zem::gui::SetOpenHook(previousOpen); }

    const Rect& ButtonRect(int i) const { return bar.GetButtons().at(static_cast<std::size_t>(i))->rect; }

    FakeAppServices services;
    QWidget host;
    CMainToolBar bar;
    std::vector<std::string> opened;
    zem::gui::OpenHook previousOpen;
};

TEST_F(MainToolBarTest, ButtonsOnTheRightAndTheNameInTheRest)
{
    ASSERT_EQ(bar.GetButtons().size(), 3u);
    EXPECT_EQ(bar.GetButtons()[0]->caption, "设置");
    EXPECT_EQ(bar.GetButtons()[2]->caption, "帮助");
    EXPECT_EQ(ButtonRect(2), Rect(705, 12, 765, 53));
    EXPECT_EQ(ButtonRect(1), Rect(630, 12, 690, 53));
    EXPECT_EQ(ButtonRect(0), Rect(555, 12, 615, 53));
    EXPECT_EQ(bar.GetStatusRect(), Rect(35, 12, 470, 48));

    // Too narrow for the name: its rectangle is empty, never inverted, and the name is not drawn.
    bar.setGeometry(0, 0, 300, CMainToolBar::kCapHeight);
    EXPECT_EQ(ButtonRect(0), Rect(55, 12, 115, 53));
    EXPECT_EQ(bar.GetStatusRect(), Rect(35, 12, 35, 48));
    bar.SetStatusText("高一年级课表", "位置：/tmp/高一");
    const QImage narrow = bar.grab().toImage();
    EXPECT_EQ(CountOther(narrow, Rect(0, 0, 300, 53), zem::RGB(40, 206, 45)), 300 * 53);
}

TEST_F(MainToolBarTest, TheNameIsCentredInItsRectangle)
{
    bar.SetStatusText("二〇二四学年第一学期", "位置：/tmp/学期");
    EXPECT_EQ(bar.GetLocationText(), "位置：/tmp/学期");
    const QImage image = bar.grab().toImage();
    const Rect status = bar.GetStatusRect();
    Rect ink(status.right, status.bottom, status.left, status.top);
    for (int y = status.top; y < status.bottom; ++y)
        for (int x = status.left; x < status.right; ++x)
            if (PixelOf(image, x, y) == zem::RGB(40, 206, 45)) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x + 1);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y + 1);
            }
    ASSERT_FALSE(ink.IsRectEmpty());
    EXPECT_NEAR((ink.left + ink.right) / 2, status.CenterPoint().x, 6);
    EXPECT_NEAR((ink.top + ink.bottom) / 2, status.CenterPoint().y, 4);
}

TEST_F(MainToolBarTest, HoveringLiftsTheIconAndShowsTheHand)
{
    CMainToolBar plain;
    plain.Create(&host);
    plain.RemoveAllButtons();
    plain.setGeometry(0, 0, 800, CMainToolBar::kCapHeight);
    const QImage background = plain.grab().toImage();

    const Rect button = ButtonRect(1);
    const Rect iconArea(button.left - 3, button.top - 3, button.left + 33, button.top + 33);
    const Rect resting = DifferenceBounds(bar.grab().toImage(), background, iconArea);
    EXPECT_EQ(bar.cursor().shape(), Qt::ArrowCursor);

    MouseMove(&bar, Centre(button));
    EXPECT_EQ(bar.GetHoverIndex(), 1);
    EXPECT_EQ(bar.cursor().shape(), Qt::PointingHandCursor);
    Rect lifted = resting;
    lifted.OffsetRect(-1, -1);
    EXPECT_EQ(DifferenceBounds(bar.grab().toImage(), background, iconArea), lifted);

    MouseMove(&bar, QPoint(button.right + 5, 30));  // the gap after the button
    EXPECT_EQ(bar.GetHoverIndex(), -1);
    MouseMove(&bar, Centre(button));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&bar, &leave);
    EXPECT_EQ(bar.GetHoverIndex(), -1);
    EXPECT_EQ(bar.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(DifferenceBounds(bar.grab().toImage(), background, iconArea), resting);
}

TEST_F(MainToolBarTest, ClicksStartTheirActionsAndGapsNothing)
{
    Click(&bar, Centre(ButtonRect(0)));
    EXPECT_EQ(services.settingsShown, 1);
    Click(&bar, Centre(ButtonRect(1)));
    Click(&bar, Centre(ButtonRect(2)));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].rfind(kHomePageAddress, 0), 0u) << opened[0];
    EXPECT_EQ(opened[0].find("help.php"), std::string::npos);
    EXPECT_EQ(opened[1].rfind(std::string(kHomePageAddress) + "help.php", 0), 0u) << opened[1];

    const QPoint gaps[] = {
        {ButtonRect(0).right + 7, 30},       // between two buttons
        {ButtonRect(2).CenterPoint().x, 5},  // above the buttons
        {790, 30},                           // right of the last one
    };
    for (const QPoint& gap : gaps)
        Click(&bar, gap);
    EXPECT_EQ(services.settingsShown, 1);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(services.taskInfoShown, 0);

    Click(&bar, Centre(bar.GetStatusRect()));
    EXPECT_EQ(services.taskInfoShown, 1);
}

TEST_F(MainToolBarTest, Picture)
{
    bar.setGeometry(0, 0, 900, CMainToolBar::kCapHeight);
    bar.SetStatusText("实验中学2024-2025学年第一学期", "位置：/tmp/实验中学");
    MouseMove(&bar, Centre(ButtonRect(1)));
    SavePicture(bar.grab().toImage(), "main_toolbar.png");
}

}  // namespace
