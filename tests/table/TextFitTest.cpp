#include "support/TableTestSupport.h"
#include "table/TextFit.h"

#include <gtest/gtest.h>

using zem::Rect;
using zem::RGB;
using namespace zem::gui;

namespace {

constexpr zem::COLORREF kWhite = RGB(255, 255, 255);

// Draws the fitted text as the grids do, and once more without clipping: a text that loses no pixel
// to the clip has no cut character.
void ExpectWholeCharactersInsideTheBox(const Font& font, const FittedText& fitted, const Rect& box,
                                       const std::string& what)
{
    QImage clipped(200, 120, QImage::Format_RGB32), free(200, 120, QImage::Format_RGB32);
    for (QImage* image : {&clipped, &free}) {
        image->fill(Qt::white);
        DC dc(image);
        dc.SelectFont(font);
        FittedText copy = fitted;
        if (image == &free)
            copy.format |= DT_NOCLIP;
        DrawFitted(dc, copy);
    }
    EXPECT_TRUE(clipped == free) << what << ": a character is cut";
    int outside = 0;
    for (int y = 0; y < free.height(); ++y)
        for (int x = 0; x < free.width(); ++x)
            outside += PixelAt(free, x, y) != kWhite && !box.PtInRect({x, y});
    EXPECT_EQ(outside, 0) << what;
    if (!fitted.extent.IsRectEmpty()) {
        const Rect ink = BoundsOfColor(free, Rect(0, 0, 200, 120), RGB(0, 0, 0));
        EXPECT_TRUE(fitted.extent.left <= ink.left && ink.right <= fitted.extent.right &&
                    fitted.extent.top <= ink.top && ink.bottom <= fitted.extent.bottom)
            << what << ": ink outside the extent the grid reports";
    }
}

TEST(TextFit, KeepsFittingTextsThenShrinksWrapsAndShortens)
{
    const Font font = Font::FromPoints(90, "微软雅黑");  // 12 pixels
    struct Case {
        const char* text;
        Rect box;
        bool wrap;
        int pixels;  // of the font drawn in
        bool whole;
        const char* drawn;  // null: the text itself
    };
    const auto box = [](int w, int h) { return Rect(10, 10, 10 + w, 10 + h); };
    const Case cases[] = {
        {"语文", box(60, 30), true, 12, true, nullptr},
        {"物理化学生物地理", box(60, 40), true, 12, true, nullptr},  // wraps at its own size
        {"语文数学", box(40, 20), true, 10, true, nullptr},          // one line, smaller
        {"物理化学生物地理历史政治音乐美术", box(60, 20), true, 9, false, "物理化学生物\n地理历史政…"},
        // A long text, as a shared room's cell holds, keeps the same first lines.
        {"物理化学生物地理历史政治音乐美术物理化学生物地理历史政治音乐美术物理化学生物地理历史政治音乐美术"
         "物理化学生物地理历史政治音乐美术物理化学生物地理历史政治音乐美术物理化学生物地理历史政治音乐美术",
         box(60, 20), true, 9, false, "物理化学生物\n地理历史政…"},
        {"物理化学生物地理", box(60, 16), false, 9, false, "物理化学生…"},
        {"语文", box(60, 13), true, 12, true, nullptr},  // the ink fits where the line box does not
        {"语文", box(60, 12), false, 12, true, nullptr},
        {"语文", box(60, 11), true, 11, true, nullptr},
        {"语文", box(60, 6), true, 9, false, "…"},  // too low for a character
        {"语文", box(4, 30), true, 12, false, ""},  // too narrow even for "…": nothing
        {"", box(60, 30), true, 12, true, ""},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.text) + " in " + std::to_string(c.box.Width()) + "x" +
                                 std::to_string(c.box.Height());
        const FittedText fitted = FitText(font, c.text, {c.box, TextVAlign::Center, TextHAlign::Center, c.wrap});
        const Font& used = fitted.font ? *fitted.font : font;
        EXPECT_EQ(used.GetQFont().pixelSize(), c.pixels) << what;
        EXPECT_EQ(fitted.whole, c.whole) << what;
        EXPECT_EQ(fitted.text, c.drawn ? c.drawn : c.text) << what;
        ExpectWholeCharactersInsideTheBox(used, fitted, c.box, what);
    }
}

TEST(TextFit, AMainTextTakesBothSlotsWhenItsSecondaryTextCannotBeShownWhole)
{
    const Font main = Font::FromPoints(90, "微软雅黑"), secondary = Font::FromPoints(70, "微软雅黑");
    const Rect upper(0, 0, 60, 5), lower(0, 5, 60, 10), both(0, 0, 60, 10);
    const TextPair cramped = FitTextPair("音乐", main, {upper, TextVAlign::Bottom}, "钱老师", secondary,
                                         {lower, TextVAlign::Top}, {both});
    EXPECT_FALSE(cramped.whole);
    EXPECT_EQ(cramped.main.text, "音乐");
    EXPECT_TRUE(cramped.main.whole);
    EXPECT_TRUE(cramped.secondary.text.empty());

    const TextPair roomy = FitTextPair("音乐", main, {Rect(0, 0, 60, 20), TextVAlign::Bottom}, "钱老师", secondary,
                                       {Rect(0, 20, 60, 40), TextVAlign::Top}, {Rect(0, 0, 60, 40)});
    EXPECT_TRUE(roomy.whole);
    EXPECT_EQ(roomy.secondary.text, "钱老师");
    EXPECT_FALSE(roomy.main.font);  // both at their own sizes
}

}  // namespace
