#include "platform/IdTable.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace zem;

TEST(IdTable, InternsOnceAndKeepsText)
{
    EXPECT_EQ(InternId(""), kNoId);
    EXPECT_EQ(IdText(kNoId), "");
    const IdHandle a = InternId("0f3c9a1b2d4e4f60a7b8c9d0e1f2a3b4");
    const IdHandle b = InternId("物理实验室");
    EXPECT_NE(a, kNoId);
    EXPECT_NE(a, b);
    EXPECT_EQ(InternId("0f3c9a1b2d4e4f60a7b8c9d0e1f2a3b4"), a);
    EXPECT_EQ(IdText(a), "0f3c9a1b2d4e4f60a7b8c9d0e1f2a3b4");
    EXPECT_EQ(IdText(b), "物理实验室");
    EXPECT_EQ(FindId("never interned here"), kNoId);
    EXPECT_EQ(IdText(0xFFFFFFF0u), "");
}

TEST(IdTable, ConcurrentInternGivesOneHandlePerText)
{
    // Many threads intern overlapping texts across chunk boundaries while others read.
    constexpr int kThreads = 8;
    constexpr int kTexts = 6000;
    std::vector<std::vector<IdHandle>> seen(kThreads, std::vector<IdHandle>(kTexts));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &seen] {
            for (int i = 0; i < kTexts; ++i) {
                const int k = (i * 7 + t * 13) % kTexts;
                const std::string text = "concurrent-" + std::to_string(k);
                const IdHandle h = InternId(text);
                seen[t][k] = h;
                if (IdText(h) != text)
                    ADD_FAILURE() << "text of handle " << h << " is wrong";
            }
        });
    }
    for (auto& th : threads)
        th.join();
    for (int t = 1; t < kThreads; ++t)
        EXPECT_EQ(seen[t], seen[0]);
}
