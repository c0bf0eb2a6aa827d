#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

TEST(SingleInstance, ASecondHolderIsRefusedUntilTheFirstLetsGo)
{
    const std::string name = "zem-test-" + std::to_string(::getpid());
    zem::SingleInstanceLock first;
    ASSERT_TRUE(first.Acquire(name));
    zem::SingleInstanceLock second;
    EXPECT_FALSE(second.Acquire(name));
    EXPECT_FALSE(second.Held());
    EXPECT_TRUE(second.HeldElsewhere());
    first.Release();
    EXPECT_TRUE(second.Acquire(name));
    EXPECT_FALSE(second.HeldElsewhere());
    second.Release();
    ::unlink(second.Path().c_str());
}

TEST(SingleInstance, TheLockLivesInTheRuntimeFolderElseInTheTemporaryOneWithTheUserId)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", "/", 1);
    EXPECT_EQ(zem::SingleInstanceLock::LockPath("zem"), "//zem.lock");
    ::setenv("XDG_RUNTIME_DIR", "relative/folder", 1);
    const std::string fallback = zem::SingleInstanceLock::LockPath("zem");
    EXPECT_NE(fallback.find("zem-" + std::to_string(::getuid()) + ".lock"), std::string::npos);
    EXPECT_EQ(fallback.front(), '/');
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(SingleInstance, ALockFileThatCannotBeMadeIsNotAnotherCopy)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", "/proc", 1);  // exists, but no file can be made there
    zem::SingleInstanceLock lock;
    EXPECT_FALSE(lock.Acquire("zem-test"));
    EXPECT_FALSE(lock.HeldElsewhere());
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}
