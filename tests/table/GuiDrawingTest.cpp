#include "support/TableTestSupport.h"
#include "platform/gui/DC.h"
#include "platform/gui/ImageList.h"

#include <gtest/gtest.h>

using namespace zem::gui;
using zem::COLORREF;
using zem::Rect;
using zem::RGB;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

QImage WhiteImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(GuiDrawing, RectanglesAndLinesLeaveOutTheirRightBottomAndEndPoint)
{
    QImage image = WhiteImage(20, 20);
    {
        DC dc(&image);
        dc.FillSolidRect(Rect(2, 2, 5, 4), kRed);
        dc.SetPenColor(kBlue);
        dc.MoveTo(2, 10);
        dc.LineTo(8, 10);   // horizontal, left to right
        dc.MoveTo(8, 12);
        dc.LineTo(2, 12);   // right to left
        dc.MoveTo(12, 2);
        dc.LineTo(12, 6);   // vertical
        dc.MoveTo(12, 12);
        dc.LineTo(17, 17);  // diagonal
    }
    EXPECT_EQ(BoundsOfColor(image, Rect(0, 0, 10, 8), kRed), Rect(2, 2, 5, 4));
    EXPECT_EQ(BoundsOfColor(image, Rect(0, 10, 10, 11), kBlue), Rect(2, 10, 8, 11));
    EXPECT_EQ(BoundsOfColor(image, Rect(0, 12, 10, 13), kBlue), Rect(3, 12, 9, 13));
    EXPECT_EQ(BoundsOfColor(image, Rect(11, 0, 14, 9), kBlue), Rect(12, 2, 13, 6));
    EXPECT_EQ(CountColor(image, Rect(11, 11, 20, 20), kBlue), 5);
    EXPECT_EQ(PixelAt(image, 16, 16), kBlue);
    EXPECT_EQ(PixelAt(image, 17, 17), kWhite);
}

TEST(GuiDrawing, ThreeDimensionalFrameAndFocusFrame)
{
    QImage image = WhiteImage(20, 20);
    const COLORREF light = RGB(250, 250, 250), dark = RGB(10, 10, 10);
    {
        DC dc(&image);
        dc.FillSolidRect(Rect(0, 0, 20, 20), kBlue);
        dc.Draw3dRect(Rect(2, 2, 10, 8), light, dark);
    }
    // Top and left edge light except the last pixel of each; right and bottom edge dark in full.
    EXPECT_EQ(PixelAt(image, 2, 2), light);
    EXPECT_EQ(PixelAt(image, 8, 2), light);
    EXPECT_EQ(PixelAt(image, 9, 2), dark);
    EXPECT_EQ(PixelAt(image, 2, 6), light);
    EXPECT_EQ(PixelAt(image, 2, 7), dark);
    EXPECT_EQ(PixelAt(image, 9, 7), dark);
    EXPECT_EQ(PixelAt(image, 5, 5), kBlue);
    EXPECT_EQ(PixelAt(image, 10, 8), kBlue);

    const QImage before = image;
    {
        DC dc(&image);
        dc.DrawFocusRect(Rect(1, 1, 15, 15));
    }
    EXPECT_NE(PixelAt(image, 1, 1), PixelAt(before, 1, 1));  // inverted
    EXPECT_EQ(PixelAt(image, 2, 1), PixelAt(before, 2, 1));  // dotted: every other pixel
    EXPECT_EQ(PixelAt(image, 5, 5), kBlue);                  // inside untouched
    {
        DC dc(&image);
        dc.DrawFocusRect(Rect(1, 1, 15, 15));
    }
    EXPECT_EQ(image, before);  // a second call removes it
}

TEST(GuiDrawing, TextIsCentredWrappedAndMeasuredAsTheGridsNeed)
{
    const Font font = Font::FromPoints(90, "宋体");
    QImage image = WhiteImage(200, 100);
    const int lineHeight = font.LineHeight();
    ASSERT_GT(lineHeight, 10);
    {
        DC dc(&image);
        dc.SelectFont(font);
        Rect single(0, 0, 1000, 0);
        EXPECT_EQ(dc.DrawText("数学", single, DT_CALCRECT | DT_SINGLELINE), lineHeight);
        EXPECT_EQ(single.Width(), font.TextWidth("数学"));
        EXPECT_EQ(single.Width(), 24);  // two 12-pixel characters

        struct Case {
            const char* text;
            int width;
            unsigned format;
            int lines;
        };
        const Case cases[] = {
            {"语文数学英语", 50, DT_WORDBREAK, 2},                  // Chinese breaks between characters
            {"Math Physics", 40, DT_WORDBREAK, 2},                  // Latin text breaks between words
            {"Mathematics", 30, DT_WORDBREAK, 1},                   // a long word stays whole...
            {"Mathematics", 30, DT_WORDBREAK | DT_EDITCONTROL, 3},  // ...unless broken like an edit control
            {"第一行\n第二行", 200, 0, 2},                           // explicit lines
            {"第一行\n第二行", 200, DT_SINGLELINE, 1},
        };
        for (const Case& c : cases) {
            Rect r(0, 0, c.width, 0);
            EXPECT_EQ(dc.DrawText(c.text, r, DT_CALCRECT | c.format), c.lines * lineHeight) << c.text;
            EXPECT_LE(r.Width(), std::max(c.width, font.TextWidth(c.text))) << c.text;
        }

        dc.SetTextColor(kBlue);
        dc.DrawText("中", Rect(0, 0, 100, 40), DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
    // Centred on one line: the ink sits in the middle of the rectangle.
    const Rect ink = BoundsOfColor(image, Rect(0, 0, 100, 40), kBlue);
    ASSERT_FALSE(ink.IsRectEmpty());
    EXPECT_NEAR((ink.left + ink.right) / 2, 50, 2);
    EXPECT_NEAR((ink.top + ink.bottom) / 2, 20, 3);
}

TEST(GuiDrawing, TextIsClippedToItsRectangle)
{
    QImage image = WhiteImage(100, 40);
    {
        DC dc(&image);
        dc.SelectFont(Font::FromPoints(90, "宋体"));
        dc.SetTextColor(kBlue);
        dc.DrawText("一二三四五六七八", Rect(10, 5, 40, 30), DT_SINGLELINE | DT_LEFT);
    }
    const Rect ink = BoundsOfColor(image, Rect(0, 0, 100, 40), kBlue);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 40);
}

TEST(GuiDrawing, WindowsFacesMapToTheInstalledChineseFonts)
{
    EXPECT_EQ(ResolveFace("宋体").toStdString(), "WenQuanYi Micro Hei");
    EXPECT_EQ(ResolveFace("微软雅黑").toStdString(), "WenQuanYi Micro Hei");
    EXPECT_EQ(ResolveFace("楷体_GB2312").toStdString(), "AR PL UKai CN");
    EXPECT_EQ(ResolveFace("simhei").toStdString(), "WenQuanYi Micro Hei");
    EXPECT_EQ(ResolveFace("No Such Face").toStdString(), "WenQuanYi Micro Hei");
    EXPECT_EQ(ResolveFace("").toStdString(), "WenQuanYi Micro Hei");

    EXPECT_EQ(PointSizeToHeight(90), -12);
    EXPECT_EQ(PointSizeToHeight(80), -11);
    const Font cell(zem::LogFont{16, 700, true, false, "黑体"});
    EXPECT_NEAR(cell.LineHeight(), 16, 1);  // a positive height is the cell height
    EXPECT_TRUE(cell.GetQFont().italic());
    EXPECT_EQ(cell.GetQFont().weight(), QFont::Bold);
}

TEST(GuiDrawing, TagImagesAreDrawnOverTheBackgroundWithoutTheirWhite)
{
    ImageList images(16, 16);
    EXPECT_EQ(images.Add(MakeTagImage(TagImage::Padlock), kWhite), 0);
    EXPECT_EQ(images.Add(MakeTagImage(TagImage::ChainLink), kWhite), 1);
    EXPECT_EQ(images.Add(MakeTagImage(TagImage::NoEntry), kWhite), 2);

    const COLORREF green = RGB(0, 160, 0);
    QImage image(3 * 20, 20, QImage::Format_RGB32);
    image.fill(QColor(0, 160, 0));
    {
        DC dc(&image);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(images.Draw(dc, i, {i * 20, 2}));
        EXPECT_FALSE(images.Draw(dc, 3, {0, 0}));
    }
    for (int i = 0; i < 3; ++i) {
        const Rect cellOfImage(i * 20, 2, i * 20 + 16, 18);
        EXPECT_GT(cellOfImage.Width() * cellOfImage.Height() - CountColor(image, cellOfImage, green), 20) << i;
        EXPECT_EQ(CountColor(image, cellOfImage, kWhite), 0) << i;
        EXPECT_EQ(PixelAt(image, i * 20, 2), green) << i;                          // corners stay transparent
    }
    EXPECT_EQ(PixelAt(image, 40 + 7, 2 + 3), RGB(255, 140, 0));    // the orange disc
    EXPECT_EQ(PixelAt(image, 40 + 7, 2 + 7), RGB(250, 250, 250));  // and its bar
}

}  // namespace
