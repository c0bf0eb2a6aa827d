// Conversions under an allocator that leaves errno set, as one growing the heap by mmap does: a
// text longer than one round of the converter must still convert whole.
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <new>
#include <string>

namespace {

thread_local int g_errnoAfterAllocation = 0;

}  // namespace

void* operator new(std::size_t size)
{
    void* block = std::malloc(size != 0 ? size : 1);
    if (!block)
        throw std::bad_alloc();
    if (g_errnoAfterAllocation != 0)
        errno = g_errnoAfterAllocation;
    return block;
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

struct ErrnoAfterAllocation {
    explicit ErrnoAfterAllocation(int code) { g_errnoAfterAllocation = code; }
    ~ErrnoAfterAllocation() { g_errnoAfterAllocation = 0; }
};

TEST(TextAllocation, ASoundTextConvertsWholeWhenAllocationsLeaveErrnoSet)
{
    std::string utf8;
    for (int i = 0; i < 4000; ++i)
        utf8 += "高一课表";
    std::string gbk;
    ASSERT_TRUE(zem::Utf8ToGbk(utf8, gbk));
    for (const int code : {ENOMEM, EILSEQ, EINVAL}) {
        SCOPED_TRACE(code);
        std::string back;
        std::string again;
        {
            ErrnoAfterAllocation allocations(code);
            EXPECT_TRUE(zem::GbkToUtf8(gbk, back));
            EXPECT_TRUE(zem::Gb18030ToUtf8(gbk, again));
        }
        EXPECT_EQ(back, utf8);
        EXPECT_EQ(again, utf8);
        std::string gbkAgain;
        {
            ErrnoAfterAllocation allocations(code);
            EXPECT_TRUE(zem::Utf8ToGbk(utf8, gbkAgain));
        }
        EXPECT_EQ(gbkAgain, gbk);
    }
}

}  // namespace
