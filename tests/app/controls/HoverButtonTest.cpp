#include "support/ScreenTestSupport.h"

#include "app/controls/HoverButton.h"

#include <QApplication>
#include <QEnterEvent>

#include <gtest/gtest.h>

namespace {

using zem::RGB;

constexpr int kWidth = 90;
constexpr int kHeight = 40;

QImage Draw(CHoverButton& button, unsigned state, int width = kWidth, int height = kHeight)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    zem::gui::DC dc(&image);
    button.DrawItem(dc, {0, 0, width, height}, state);
    return image;
}

void Hover(CHoverButton& button, bool on)
{
    if (on) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&button, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&button, &leave);
    }
}

TEST(HoverButton, GradientRowsDependOnHoverAndEmphasis)
{
    // The middle row of the inner rectangle (k = h / 2, brush 31) in each of the four looks.
    struct Case {
        const char* name;
        bool hovered;
        unsigned state;
        zem::COLORREF background;
        zem::COLORREF middle;
    };
    const Case cases[] = {
        {"plain", false, 0, RGB(255, 255, 255), RGB(245, 245, 249)},
        {"default button", false, CHoverButton::ODS_DEFAULT, RGB(255, 255, 255), RGB(245, 245, 248)},
        {"hovered", true, 0, RGB(255, 255, 255), RGB(248, 248, 249)},
        {"hovered and pressed", true, CHoverButton::ODS_SELECTED, RGB(255, 255, 255), RGB(248, 248, 245)},
        {"modified save button", false, 0, RGB(255, 255, 200), RGB(245, 245, 194)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CHoverButton button;
        button.SetBkColor(c.background);
        Hover(button, c.hovered);
        const QImage image = Draw(button, c.state);
        const int top = 2, h = kHeight - 4;
        EXPECT_EQ(PixelOf(image, 20, top + h / 2), c.middle);
        if (!c.hovered) {
            EXPECT_EQ(PixelOf(image, 20, top), c.background);  // brush 0 at the top
        }
        // Rows darken downwards.
        EXPECT_LE(zem::GetRValue(PixelOf(image, 20, top + h - 3)), zem::GetRValue(c.middle));
    }
}

TEST(HoverButton, EdgesShowHoverAndFocus)
{
    const zem::COLORREF orange = RGB(250, 196, 88), blue = RGB(153, 198, 252);
    CHoverButton button;
    const QImage plain = Draw(button, 0);
    EXPECT_NE(PixelOf(plain, 2, 20), orange);
    EXPECT_NE(PixelOf(plain, 2, 20), blue);

    const QImage focused = Draw(button, CHoverButton::ODS_FOCUS);
    EXPECT_EQ(PixelOf(focused, 1, 20), blue);
    // The dotted focus rectangle inverts every other pixel of the inner rectangle's border.
    EXPECT_NE(PixelOf(focused, 2, 20), PixelOf(focused, 2, 21));

    Hover(button, true);
    const QImage hovered = Draw(button, 0);
    EXPECT_EQ(PixelOf(hovered, 1, 20), orange);
    // Focused under the mouse: the orange edges and no focus rectangle.
    const QImage both = Draw(button, CHoverButton::ODS_FOCUS);
    EXPECT_EQ(PixelOf(both, 1, 20), orange);
    EXPECT_EQ(PixelOf(both, 2, 20), PixelOf(both, 2, 21));

    Hover(button, false);
    EXPECT_FALSE(button.IsHovered());
}

TEST(HoverButton, CaptionIsCentredPressedOffsetAndDisabledEmbossed)
{
    CHoverButton button("确定", nullptr);
    const zem::Rect all(0, 0, kWidth, kHeight);
    const zem::Rect normal = BoundsOfDark(Draw(button, 0), all);
    ASSERT_FALSE(normal.IsRectEmpty());
    EXPECT_NEAR((normal.left + normal.right) / 2, kWidth / 2, 2);

    const zem::Rect pressed = BoundsOfDark(Draw(button, CHoverButton::ODS_SELECTED), all);
    EXPECT_EQ(pressed.left, normal.left + 1);
    EXPECT_EQ(pressed.top, normal.top + 1);

    const QImage disabled = Draw(button, CHoverButton::ODS_DISABLED);
    EXPECT_TRUE(BoundsOfDark(disabled, all).IsRectEmpty());
    EXPECT_GT(CountColor(disabled, all, RGB(160, 160, 160)), 10);

    // A mnemonic "&" is not drawn: the caption sits where it would without it, its letter underlined.
    CHoverButton prefixed("添加(&A)", nullptr);
    CHoverButton bare("添加(A)", nullptr);
    const zem::Rect withPrefix = BoundsOfDark(Draw(prefixed, 0), all);
    const zem::Rect without = BoundsOfDark(Draw(bare, 0), all);
    EXPECT_NEAR(withPrefix.left, without.left, 1);
    EXPECT_NEAR(withPrefix.right, without.right, 1);
    EXPECT_GT(withPrefix.bottom, without.bottom);  // the underline
}

TEST(HoverButton, AButtonWithoutInnerHeightPaintsOneRowOfTheFirstBrush)
{
    CHoverButton button;
    button.SetBkColor(RGB(255, 255, 200));
    const QImage image = Draw(button, 0, kWidth, 4);
    EXPECT_EQ(PixelOf(image, 20, 2), RGB(255, 255, 200));
}

TEST(HoverButton, FlatEditHasALightGreyFrame)
{
    QWidget parent;
    parent.resize(200, 60);
    auto* edit = new CFlatEdit;
    ASSERT_TRUE(edit->CreateFlat({10, 10, 150, 34}, &parent, 1003));
    const QImage image = Snapshot(edit);
    EXPECT_EQ(PixelOf(image, 0, 10), CFlatEdit::kFrameColor);
    EXPECT_EQ(PixelOf(image, 70, 0), CFlatEdit::kFrameColor);
    EXPECT_EQ(PixelOf(image, 139, 23), CFlatEdit::kFrameColor);
}

}  // namespace
