// The usage tips: each shown once in random order before any repeats; a tip fetched by id counts
// as shown.
#include "app/shell/TipList.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(TipList, TwelveDistinctTipsThenARepeat)
{
    CTipList tips;
    tips.Seed(7);
    std::set<std::string> seen;
    for (int i = 0; i < 12; ++i) {
        const CTipItem* tip = tips.GetRandom();
        ASSERT_NE(tip, nullptr);
        EXPECT_TRUE(seen.insert(tip->title).second) << tip->title;
    }
    EXPECT_EQ(tips.GetNotShownCount(), 0);
    const CTipItem* next = tips.GetRandom();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(seen.count(next->title), 1u);
    EXPECT_EQ(tips.GetNotShownCount(), 11);  // a new round started with all twelve
}

TEST(TipList, ATipFetchedByIdCountsAsShown)
{
    CTipList tips;
    const CTipItem* tip = tips.GetById(2);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->title, "快速生成基本数据");
    EXPECT_EQ(tips.GetNotShownCount(), 11);
    EXPECT_EQ(tips.GetById(2)->title, "快速生成基本数据");
    EXPECT_EQ(tips.GetShownCount(), 1);
    EXPECT_EQ(tips.GetById(99), nullptr);
    for (int i = 0; i < 11; ++i)
        EXPECT_NE(tips.GetRandom()->id, 2);
}

}  // namespace
