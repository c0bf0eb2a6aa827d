// The titled panel: its rectangles, the band with rounded top and straight bottom, and panels too
// small for their title.
#include "support/PixelProbes.h"
#include "app/controls/TitledPanel.h"

#include <gtest/gtest.h>

using zem::Rect;
using zem::RGB;

namespace {

constexpr zem::COLORREF kGround = RGB(128, 128, 128);
constexpr zem::COLORREF kBand = RGB(189, 211, 255);
constexpr zem::COLORREF kWhite = RGB(255, 255, 255);

QImage Render(const CTitledPanel& panel, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(zem::gui::ToQColor(kGround));
    zem::gui::DC dc(&image);
    panel.Draw(dc);
    return image;
}

TEST(TitledPanel, Rectangles)
{
    CTitledPanel panel;
    panel.SetRect(10, 20, 310, 220);
    EXPECT_EQ(panel.GetTitleRect(), Rect(16, 21, 304, 44));
    EXPECT_EQ(panel.GetBodyRect(), Rect(13, 46, 307, 218));

    // Too small for the title: cut to the panel, nothing inverted.
    panel.SetRect(0, 0, 200, 15);
    EXPECT_EQ(panel.GetTitleRect(), Rect(6, 1, 194, 15));
    EXPECT_EQ(panel.GetBodyRect(), Rect(3, 17, 197, 17));
    panel.SetRect(0, 0, 8, 8);
    EXPECT_EQ(panel.GetTitleRect(), Rect(6, 1, 6, 8));
    EXPECT_EQ(panel.GetBodyRect(), Rect(3, 10, 5, 10));
}

TEST(TitledPanel, BandDownToTheTitleBottom)
{
    CTitledPanel panel;
    panel.SetRect(10, 20, 310, 220);
    QImage image = Render(panel, 320, 230);
    EXPECT_EQ(PixelOf(image, 150, 20), RGB(223, 223, 223)) << "frame";
    EXPECT_EQ(PixelOf(image, 150, 21), kWhite) << "the band's own rim";
    EXPECT_EQ(PixelOf(image, 150, 22), kBand);
    EXPECT_EQ(PixelOf(image, 150, 43), kBand);
    EXPECT_EQ(PixelOf(image, 150, 44), kWhite) << "straight lower edge at the title bottom";
    EXPECT_EQ(PixelOf(image, 12, 43), kBand) << "lower corners squared off";
    EXPECT_EQ(PixelOf(image, 10, 20), kGround) << "upper corners rounded";
    EXPECT_EQ(PixelOf(image, 150, 219), RGB(223, 223, 223));
    EXPECT_EQ(PixelOf(image, 150, 220), kGround);

    // Between the title height and 10 more: the band still ends at the title bottom.
    panel.SetRect(0, 0, 200, 30);
    image = Render(panel, 200, 40);
    EXPECT_EQ(PixelOf(image, 100, 23), kBand);
    for (int y = 24; y < 29; ++y)
        EXPECT_EQ(PixelOf(image, 100, y), kWhite) << y;
}

TEST(TitledPanel, TextsAndSmallPanels)
{
    CTitledPanel panel;
    panel.SetRect(0, 0, 300, 60);
    const Rect band(8, 3, 292, 23);
    EXPECT_EQ(CountOther(Render(panel, 300, 60), band, kBand), 0) << "no title, no remark: nothing drawn";
    panel.m_title = "教学计划";
    panel.m_remark = "共 36 项";
    const QImage image = Render(panel, 300, 60);
    EXPECT_GT(CountOther(image, Rect(8, 3, 100, 23), kBand), 0);
    EXPECT_GT(CountOther(image, Rect(200, 3, 292, 23), kBand), 0);
    EXPECT_EQ(CountOther(image, Rect(100, 3, 200, 23), kBand), 0);
    SavePicture(image, "titled_panel.png");

    // Too narrow for both: the remark gives way and nothing is drawn over the title.
    panel.m_remark = "鼠标左键点击下方的小方块可以标示课程分布和可排区域";
    const QImage narrow = Render(panel, 300, 60);
    EXPECT_EQ(CountOther(narrow, Rect(120, 3, 292, 23), kBand), 0);

    // Smaller than its title: only what fits, nothing outside the panel.
    panel.SetRect(0, 0, 200, 12);
    const QImage small = Render(panel, 200, 40);
    EXPECT_EQ(CountOther(small, Rect(0, 12, 200, 40), kGround), 0);
    panel.SetRect(50, 50, 40, 40);
    EXPECT_EQ(CountOther(Render(panel, 100, 100), Rect(0, 0, 100, 100), kGround), 0);
}

}  // namespace
