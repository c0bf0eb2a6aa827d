// The tip balloon: its size from the measured text, hiding after its time or on a click, and a
// picture of it for a person to look at.
#include "support/PixelProbes.h"
#include "support/FakeAppServices.h"
#include "app/controls/GdiResources.h"
#include "app/controls/TipWnd.h"
#include "platform/gui/DC.h"

#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

using zem::Rect;
using namespace zem::gui;

namespace {

// What DrawText measures for the text in the balloon's font.
Rect Measured(const std::string& text)
{
    QImage scratch(1, 1, QImage::Format_RGB32);
    DC dc(&scratch);
    dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
    Rect rect;
    dc.DrawText(text, rect, DT_CALCRECT);
    return rect;
}

void Click(QWidget* widget, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

TEST(TipWnd, SizeComesFromTheMeasuredText)
{
    CTipWnd tip;
    ASSERT_TRUE(tip.Create());
    EXPECT_EQ(tip.objectName(), "Zem_Tip");
    EXPECT_FALSE(tip.isVisible());

    const std::string body = "教学计划已保存\n共 36 个班级\n请检查课表";
    const Rect text = Measured(body);
    tip.ShowTip(100, 120, "", body, 0);
    EXPECT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.height(), text.Height() + 2 * 2 + 6);  // line spacing between three lines, margins
    EXPECT_EQ(tip.width(), text.Width() + 6);
    EXPECT_EQ(tip.pos(), QPoint(100, 120));

    tip.ShowTip(10, 20, "一个比正文宽得多的标题行", "短", 0);  // the width follows the body only
    EXPECT_EQ(tip.height(), Measured("短").Height() + 18 + 6);
    EXPECT_EQ(tip.width(), Measured("短").Width() + 6);
}

TEST(TipWnd, HidesAfterItsTimeOrOnAClick)
{
    CTipWnd tip;
    tip.Create();
    tip.ShowTip(0, 0, "", "保存完成", 0);
    EXPECT_FALSE(tip.GetHideTimer().isActive());  // stays until clicked
    Click(&tip, QPoint(2, 2));
    EXPECT_FALSE(tip.isVisible());

    tip.ShowTip(0, 0, "", "保存完成", 1);
    EXPECT_TRUE(tip.GetHideTimer().isActive());
    EXPECT_EQ(tip.GetHideTimer().interval(), 1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tip.isVisible(); }));
    EXPECT_FALSE(tip.GetHideTimer().isActive());

    tip.ShowTip(0, 0, "", "保存完成", 5);
    tip.ShowTip(0, 0, "", "再次显示", 0);  // showing again replaces the timer
    EXPECT_FALSE(tip.GetHideTimer().isActive());
}

TEST(TipWnd, SavedTipAtTheWindowsCorner)
{
    CTipWnd tip;
    tip.Create();
    FakeAppServices services;
    services.tipWnd = &tip;
    QWidget window;
    window.setGeometry(200, 150, 300, 100);
    window.show();
    const QPoint origin = window.mapToGlobal(QPoint(0, 0));
    ShowSavedTip(&window, 1);
    EXPECT_EQ(tip.GetText(), "保存完成");
    EXPECT_EQ(tip.pos(), origin + QPoint(300, 0));
    EXPECT_EQ(tip.GetHideTimer().interval(), 1000);
    ShowSavedTip(&window, 0);
    EXPECT_EQ(tip.pos(), origin + QPoint(0, 100));
}

TEST(TipWnd, Picture)
{
    CTipWnd tip;
    tip.Create();
    tip.ShowTip(0, 0, "提示", "教师 张三 在 星期一 第1节 已经有课【初一(1)班 语文】\n请选择其他时间", 0);
    const QImage picture = tip.grab().toImage();
    SavePicture(picture, "controls_tip_balloon.png");
    const int w = picture.width(), h = picture.height();
    EXPECT_EQ(PixelOf(picture, 0, 0), zem::RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(picture, w - 1, h - 1), zem::RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(picture, 1, h - 2), zem::RGB(255, 255, 225));
    // Ink in the title line and in both body lines.
    const int line = CGdiResources::GetInstance()->DefaultFont.LineHeight();
    EXPECT_GT(CountOther(picture, Rect(3, 3, w - 3, 3 + line), zem::RGB(255, 255, 225)), 20);
    EXPECT_GT(CountOther(picture, Rect(3, 21, w - 3, 21 + line), zem::RGB(255, 255, 225)), 20);
    EXPECT_GT(CountOther(picture, Rect(3, 21 + line + 2, w - 3, h - 3), zem::RGB(255, 255, 225)), 20);
}

}  // namespace
