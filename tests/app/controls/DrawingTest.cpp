// The drawing routines, checked pixel by pixel, and a sample page for a person to look at.
#include "support/PixelProbes.h"
#include "support/FakeAppServices.h"
#include "app/controls/Bitmaps.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

using zem::COLORREF;
using zem::Rect;
using zem::RGB;
using namespace zem::gui;

namespace {

constexpr COLORREF kPaper = RGB(10, 200, 10);

QImage Paper(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 10));
    return image;
}

// A bitmap whose every pixel says where it is: red = x, blue = y.
QImage Pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(100 + x, 0, 100 + y));
    return image;
}

COLORREF PatternAt(int x, int y)
{
    return RGB(100 + x, 0, 100 + y);
}

TEST(Drawing, TiledBitmapRunsPastTheRectangleButStartsNoTileOutside)
{
    QImage image = Paper(14, 10);
    const QImage tile = Pattern(3, 2);
    {
        DC dc(&image);
        DrawBitmapTiled(&dc, Rect(1, 1, 8, 6), &tile);  // origins 1, 4, 7 across and 1, 3, 5 down
    }
    for (int y = 1; y < 7; ++y)
        for (int x = 1; x < 10; ++x)
            EXPECT_EQ(PixelOf(image, x, y), PatternAt((x - 1) % 3, (y - 1) % 2)) << x << "," << y;
    EXPECT_EQ(CountOther(image, Rect(10, 0, 14, 10), kPaper), 0);
    EXPECT_EQ(CountOther(image, Rect(0, 7, 14, 10), kPaper), 0);

    const QImage empty;
    DC dc(&image);
    DrawBitmapTiled(&dc, Rect(0, 0, 14, 10), &empty);  // nothing to tile: returns at once
    DrawBitmapTiled(&dc, Rect(0, 0, 14, 10), nullptr);
}

TEST(Drawing, TransparentBitmapShowsWhatWasThere)
{
    QImage bitmap = Pattern(4, 4);
    const COLORREF magenta = RGB(255, 0, 255);
    bitmap.setPixel(1, 1, qRgb(255, 0, 255));
    bitmap.setPixel(2, 3, qRgb(255, 0, 255));
    QImage image = Paper(10, 10);
    {
        DC dc(&image);
        // Larger than the bitmap: only the bitmap's part is drawn, nothing is read past it.
        DrawTransparentBitmap(&dc, Rect(2, 2, 9, 9), &bitmap, magenta);
    }
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool see = (x == 1 && y == 1) || (x == 2 && y == 3);
            EXPECT_EQ(PixelOf(image, 2 + x, 2 + y), see ? kPaper : PatternAt(x, y)) << x << "," << y;
        }
    EXPECT_EQ(CountOther(image, Rect(6, 0, 10, 10), kPaper), 0);
    EXPECT_EQ(CountOther(image, Rect(0, 6, 10, 10), kPaper), 0);

    image = Paper(10, 10);
    DC dc(&image);
    DrawTransparentBitmap(&dc, Rect(2, 2, 4, 3), &bitmap, magenta);  // the top-left part only
    EXPECT_EQ(PixelOf(image, 3, 2), PatternAt(1, 0));
    EXPECT_EQ(CountOther(image, Rect(0, 0, 10, 10), kPaper), 2);
}

TEST(Drawing, BitmapBarTilesTheMiddleAndCutsTheRest)
{
    RegisterBitmapResource(9001, [] { return Pattern(4, 3); });  // middle
    RegisterBitmapResource(9002, [] {
        QImage cap(3, 3, QImage::Format_RGB32);
        cap.fill(Qt::black);
        return cap;
    });
    RegisterBitmapResource(9003, [] {
        QImage cap(3, 3, QImage::Format_RGB32);
        cap.fill(Qt::white);
        return cap;
    });
    RegisterBitmapResource(9004, [] { return QImage(); });
    QImage image = Paper(20, 4);
    {
        DC dc(&image);
        // Free width 16 - 3 - 3 = 10: two whole copies of the middle and two columns of a third.
        DrawBitmapBar(&dc, 0, 0, 16, 9001, 9002, 9003);
    }
    EXPECT_EQ(PixelOf(image, 0, 0), RGB(0, 0, 0));
    for (int x = 3; x < 13; ++x)
        EXPECT_EQ(PixelOf(image, x, 1), PatternAt((x - 3) % 4, 1)) << x;
    EXPECT_EQ(PixelOf(image, 13, 0), RGB(255, 255, 255));  // the right cap ends one pixel early
    EXPECT_EQ(PixelOf(image, 14, 0), RGB(255, 255, 255));
    EXPECT_EQ(PixelOf(image, 15, 0), kPaper);

    image = Paper(20, 4);
    DC dc(&image);
    DrawBitmapBar(&dc, 0, 0, 16, 9004, 9002, 4711);  // no middle, no right cap: the left cap only
    EXPECT_EQ(CountOther(image, Rect(0, 0, 20, 4), kPaper), 9);
    DrawBitmapBar(&dc, 10, 0, 12, 9001, 9002, 9003);  // narrower than the caps
}

TEST(Drawing, CenteredBitmapLeavesWhiteOut)
{
    RegisterBitmapResource(9005, [] {
        QImage icon(4, 2, QImage::Format_RGB32);
        icon.fill(Qt::white);
        icon.setPixel(0, 0, qRgb(1, 2, 3));
        return icon;
    });
    QImage image = Paper(11, 7);
    {
        DC dc(&image);
        DrawCenteredBitmap(&dc, Rect(1, 1, 11, 7), 9005);  // (10 - 4) / 2 = 3, (6 - 2) / 2 = 2
    }
    EXPECT_EQ(PixelOf(image, 4, 3), RGB(1, 2, 3));
    EXPECT_EQ(CountOther(image, Rect(0, 0, 11, 7), kPaper), 1);

    ImageList list(4, 2);
    AddBitmapToImageList(&list, 9005);
    AddBitmapToImageList(&list, 4711);
    EXPECT_EQ(list.GetImageCount(), 1);
}

TEST(Drawing, AlignedTextTooTallForTheRectangleIsOneCentredLine)
{
    const std::string text = "全校固定无课时间固定不上课在课表上点击鼠标左键设置";
    const Font& font = CGdiResources::GetInstance()->NormalFont;
    const int lineHeight = font.LineHeight();
    const Rect rect(0, 0, font.TextWidth(text) / 3 + 4, lineHeight * 3 / 2);  // wraps into three lines
    QImage aligned = Paper(rect.right, rect.bottom), single = aligned;
    {
        DC dc(&aligned);
        dc.SelectFont(font);
        DrawTextAligned(&dc, rect, text, 4);
        DC expected(&single);
        expected.SelectFont(font);
        expected.DrawText(text, rect, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
    EXPECT_EQ(aligned, single);

    // Room for the wrapped block: three lines, centred across, at the top or the bottom.
    const Rect tall(0, 0, rect.right, lineHeight * 6);
    for (const int align : {0, 8}) {
        QImage image = Paper(tall.right, tall.bottom);
        {
            DC dc(&image);
            dc.SelectFont(font);
            DrawTextAligned(&dc, tall, text, align);
        }
        const Rect ink = InkBounds(image, kPaper);
        EXPECT_GT(ink.Height(), 2 * lineHeight) << align;
        if (align == 0)
            EXPECT_LT(ink.top, lineHeight / 2);
        else
            EXPECT_GT(ink.bottom, tall.bottom - lineHeight / 2);
    }
    QImage untouched = Paper(20, 20);
    DC dc(&untouched);
    DrawTextAligned(&dc, Rect(0, 0, 20, 20), "", 4);
    EXPECT_EQ(CountOther(untouched, Rect(0, 0, 20, 20), kPaper), 0);
}

TEST(Drawing, TextLinesStepDownByTheFontHeightAndTheGap)
{
    const Font& font = CGdiResources::GetInstance()->NormalFont;
    const int height = font.LineHeight();
    for (const auto& [extra, step, expectedStep] : {std::tuple{4, 0, height + 4}, std::tuple{0, 40, 40}}) {
        QImage first = Paper(200, 200), both = first, blankLine = first;
        {
            DC a(&first), b(&both), c(&blankLine);
            for (DC* dc : {&a, &b, &c})
                dc->SelectFont(font);
            DrawTextLines(&a, 0, 0, 200, 0, "甲", extra, step);
            DrawTextLines(&b, 0, 0, 200, 0, "甲\n甲\n", extra, step);  // the bottom does not limit
            DrawTextLines(&c, 0, 0, 200, 0, "甲\n\n甲", extra, step);
        }
        const Rect one = InkBounds(first, kPaper), two = InkBounds(both, kPaper), gap = InkBounds(blankLine, kPaper);
        EXPECT_EQ(two.bottom - one.bottom, expectedStep);
        EXPECT_EQ(gap.bottom - one.bottom, 2 * expectedStep);  // an empty line inside still takes its place
    }
}

TEST(Drawing, FontSizeThatFillsABox)
{
    QImage image = Paper(10, 10);
    DC dc(&image);
    const Font before = dc.GetFont();
    EXPECT_EQ(FitFontSizeToRect(&dc, "课表", "微软雅黑", 180, Rect(0, 0, 30, 20), 0.6), 180);  // too small
    EXPECT_EQ(FitFontSizeToRect(&dc, "课表", "微软雅黑", 180, Rect(0, 0, 0, 0), 0.6), 180);

    const Rect box(0, 0, 400, 200);
    const int size = FitFontSizeToRect(&dc, "课表", "微软雅黑", 180, box, 0.6);
    EXPECT_EQ((size - 180) % 20, 0);
    auto fits = [&](int tenths) {
        const Font font(zem::LogFont{PointSizeToHeight(tenths), 700, false, false, "微软雅黑"});
        return font.TextWidth("课表") < 240 && font.LineHeight() < 120;
    };
    EXPECT_TRUE(fits(size));
    EXPECT_FALSE(fits(size + 20));
    EXPECT_EQ(dc.GetFont().GetLogFont(), before.GetLogFont());
}

TEST(Drawing, CellBackground)
{
    FakeAppServices services;
    const Rect rect(2, 2, 42, 32);
    QImage image = Paper(50, 40);
    {
        DC dc(&image);
        services.background = 0;
        FillCellBackground(&dc, rect);
    }
    EXPECT_EQ(CountOther(image, rect, RGB(129, 129, 129)), 0);
    {
        DC dc(&image);
        services.background = 1;
        FillCellBackground(&dc, rect);
        FillCellBackground(&dc, Rect(45, 0, 45, 40));  // no width: nothing, and no division by zero
    }
    const int stars = CountOther(image, rect, RGB(0, 0, 0));
    EXPECT_GT(stars, 100);
    EXPECT_LE(stars, 333);
    EXPECT_EQ(CountOther(image, Rect(42, 0, 50, 40), kPaper), 0);
    EXPECT_EQ(CountOther(image, Rect(0, 0, 50, 2), kPaper), 0);
}

TEST(Drawing, SamplePage)
{
    FakeAppServices services;
    CGdiResources* resources = CGdiResources::GetInstance();
    QImage page(480, 360, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        DC dc(&page);
        DrawBitmapBar(&dc, 0, 0, 480, IDB_TOOLBAR_MIDDLE, IDB_TOOLBAR_LEFT, IDB_TOOLBAR_RIGHT);
        dc.SelectFont(resources->TitleFont);
        dc.SetTextColor(RGB(255, 255, 255));
        dc.DrawText("排课任务：2026学年第一学期", Rect(20, 0, 460, 53), DT_SINGLELINE | DT_VCENTER);

        DrawBitmapTiled(&dc, Rect(0, 60, 480, 88), resources->GetBitmap(IDB_HEADER_BACK));
        int x = 20;
        for (const char* name : {"1 开始", "2 基本数据维护", "3 排课条件设置"}) {
            const bool selected = x == 20;
            const int width = 10 * zem::GbkWidth(name) + 18;
            DrawBitmapTiled(&dc, Rect(x + 9, 60, x + width - 9, 88),
                            resources->GetBitmap(selected ? IDB_TAB_SEL_MIDDLE : IDB_TAB_MIDDLE));
            dc.DrawImage(*resources->GetBitmap(selected ? IDB_TAB_SEL_LEFT : IDB_TAB_LEFT), x, 60);
            dc.DrawImage(*resources->GetBitmap(selected ? IDB_TAB_SEL_RIGHT : IDB_TAB_RIGHT), x + width - 9, 60);
            dc.SelectFont(resources->NormalFont);
            dc.SetTextColor(selected ? RGB(0, 0, 0) : RGB(255, 255, 255));
            dc.DrawText(name, Rect(x, 64, x + width, 88), DT_SINGLELINE | DT_CENTER | DT_VCENTER);
            x += width;
        }

        dc.SetTextColor(RGB(0, 0, 0));
        dc.SelectFont(resources->NormalFont);
        DrawTextLines(&dc, 20, 100, 460, 0,
                      "全校固定无课时间：固定不上课，在课表上点击鼠标左键设置\n全校固定活动时间：不指定老师，"
                      "在课表上点击鼠标右键设置\n",
                      4, 0);
        dc.FrameRect(Rect(20, 160, 220, 230), RGB(156, 182, 197));
        DrawTextAligned(&dc, Rect(20, 160, 220, 230), "欢迎使用计算机自动排课！所有的课表将重新自动编排。", 4);

        FillCellBackground(&dc, Rect(240, 160, 460, 340));
        const int size = FitFontSizeToRect(&dc, "初一(1)班", "楷体", 180, Rect(240, 160, 460, 340), 0.6);
        dc.SelectFont(Font(zem::LogFont{PointSizeToHeight(size), 700, false, false, "楷体"}));
        dc.SetTextColor(RGB(255, 220, 120));
        dc.DrawText("初一(1)班", Rect(240, 160, 460, 340), DT_SINGLELINE | DT_CENTER | DT_VCENTER);

        DrawCenteredBitmap(&dc, Rect(20, 240, 220, 340), IDB_PICKER_BUTTON);
    }
    SavePicture(page, "controls_drawing_sample.png");
    EXPECT_GT(CountOther(page, Rect(20, 100, 460, 140), RGB(255, 255, 255)), 200);  // the two lines of text
}

}  // namespace
