// The floating words: dots and words at their start, words renewed from below, a fixed seed that
// repeats a run, and areas too small for the words.
#include "support/PixelProbes.h"
#include "app/controls/FloatingWords.h"

#include <gtest/gtest.h>

#include <map>

using zem::Rect;
using Animation = CFloatingWordsAnimation;

namespace {

const std::vector<std::string> kWords = {"语文", "数学", "英语", "物理", "化学", "生物", "张明远", "李晓华",
                                          "王建国", "赵丽", "历史", "地理", "政治", "体育", "音乐", "美术",
                                          "信息技术", "通用技术", "陈静", "刘洋", "孙伟"};

QImage Render(const Animation& animation, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    zem::gui::DC dc(&image);
    animation.Draw(dc);
    return image;
}

TEST(FloatingWords, WithoutWordsOnlyTheDots)
{
    Animation animation;
    animation.SetSeed(7);
    animation.Init(nullptr, 10, 20, 210, 120, {});
    EXPECT_TRUE(animation.GetWords().empty());
    ASSERT_EQ(animation.GetDots().size(), 100u);
    animation.Step();
    EXPECT_TRUE(animation.GetWords().empty());

    const QImage image = Render(animation, 220, 130);
    EXPECT_EQ(PixelOf(image, 5, 5), zem::RGB(255, 255, 255)) << "nothing outside the area";
    std::map<std::pair<int, int>, zem::COLORREF> last;  // a later dot covers an earlier one
    for (const Animation::Dot& dot : animation.GetDots()) {
        EXPECT_TRUE(Rect(0, 0, 200, 100).PtInRect({dot.x, dot.y}));
        last[{dot.x, dot.y}] = dot.color;
    }
    for (const auto& [at, color] : last)
        EXPECT_EQ(PixelOf(image, 10 + at.first, 20 + at.second), color);
    EXPECT_LE(CountOther(image, Rect(10, 20, 210, 120), zem::RGB(24, 24, 24)), 100);
}

TEST(FloatingWords, FewWordsRepeat)
{
    Animation animation;
    animation.SetSeed(3);
    animation.Init(nullptr, 0, 0, 300, 200, {"语文", "数学", "英语"});
    ASSERT_EQ(animation.GetWords().size(), 18u);
    std::map<std::string, int> shown;
    for (const Animation::Word& word : animation.GetWords()) {
        ++shown[word.text];
        EXPECT_GE(word.speed, 1);
        EXPECT_LE(word.speed, Animation::kMaxSpeed);
    }
    // The list refills each time it runs dry, so each word is taken once per round.
    EXPECT_EQ(shown, (std::map<std::string, int>{{"数学", 6}, {"英语", 6}, {"语文", 6}}));
    EXPECT_EQ(animation.GetAvailableWords().size() + animation.GetUsedWords().size(), 3u);
}

TEST(FloatingWords, WordsComeBackFromBelow)
{
    Animation animation;
    animation.SetSeed(11);
    animation.Init(nullptr, 0, 0, 400, 240, kWords);
    int visible = 0;
    for (const Animation::Word& word : animation.GetWords()) {
        EXPECT_GE(word.rect.top, 0);
        EXPECT_LT(word.rect.top, 2 * 240);
        visible += word.rect.top < 240;
    }
    EXPECT_GT(visible, 0);
    EXPECT_LT(visible, 18);

    int renewed = 0;
    for (int step = 0; step < 1500; ++step) {
        std::vector<Rect> before;
        for (const Animation::Word& word : animation.GetWords())
            before.push_back(word.rect);
        animation.Step();
        for (std::size_t i = 0; i < before.size(); ++i) {
            const Animation::Word& word = animation.GetWords()[i];
            if (word.rect.top > before[i].top) {
                ++renewed;
                EXPECT_GE(word.rect.top, 240) << "a renewed word enters from below";
                EXPECT_LE(before[i].bottom, Animation::kMaxSpeed) << "only a word gone past the top";
            } else {
                EXPECT_EQ(word.rect.top, before[i].top - word.speed);
            }
        }
    }
    EXPECT_GT(renewed, 18);
}

TEST(FloatingWords, AFixedSeedRepeatsTheRun)
{
    auto run = [](std::uint32_t seed) {
        Animation animation;
        animation.SetSeed(seed);
        animation.Init(nullptr, 0, 0, 320, 180, kWords);
        for (int i = 0; i < 200; ++i)
            animation.Step();
        std::vector<std::string> state;
        for (const Animation::Word& word : animation.GetWords())
            state.push_back(word.text + "@" + std::to_string(word.rect.left) + "," + std::to_string(word.rect.top));
        return state;
    };
    EXPECT_EQ(run(5), run(5));
    EXPECT_NE(run(5), run(6));
}

// No area, or one narrower than a word: nothing divides by zero, offsets stay inside the excess.
TEST(FloatingWords, AreasTooSmall)
{
    Animation empty;
    empty.Init(nullptr, 5, 5, 5, 5, kWords);
    EXPECT_EQ(empty.GetWords().size(), 18u);
    for (const Animation::Word& word : empty.GetWords())
        EXPECT_EQ(word.rect.top, 0);
    empty.Step();
    const QImage image = Render(empty, 20, 20);
    EXPECT_EQ(CountOther(image, Rect(0, 0, 20, 20), zem::RGB(255, 255, 255)), 0);

    Animation narrow;
    narrow.SetSeed(2);
    narrow.Init(nullptr, 0, 0, 8, 100, {"信息技术与通用技术"});
    for (const Animation::Word& word : narrow.GetWords()) {
        EXPECT_GE(word.rect.left, 0);
        EXPECT_LT(word.rect.left, std::max(1, word.rect.Width() - 8));
    }
}

TEST(FloatingWords, Picture)
{
    Animation animation;
    animation.SetSeed(2024);
    animation.Init(nullptr, 0, 0, 480, 270, kWords);
    for (int i = 0; i < 120; ++i)
        animation.Step();
    SavePicture(Render(animation, 480, 270), "floating_words.png");
}

}  // namespace
