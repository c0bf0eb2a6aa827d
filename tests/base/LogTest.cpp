#include "base/Log.h"

#include "base/ScheduleTask.h"

#include "platform/Hooks.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Sets an environment variable for the life of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(Log, LinesHaveThePaddedTagTheTickCountAndTheWholeMessage)
{
    TempFolder folder;
    const std::uint64_t before = zem::TickCount();
    {
        CLog log(true, folder.path());
        ASSERT_EQ(log.GetPath(), folder / "debug.txt");
        log.Log("engine", "try %d strict: %s", 3, "on");
        // The line is on disk before the next call.
        EXPECT_EQ(ReadRaw(folder / "debug.txt").back(), '\n');
        log.Log("a-tag-longer-than-16", "%s", std::string(3000, 'x').c_str());
        const int values[] = {1, -2, 30};
        log.Log("oe", values, 3);
    }
    const std::uint64_t after = zem::TickCount();

    const std::string text = ReadRaw(folder / "debug.txt");
    const std::regex line(R"(\[engine          \] (\d+) try 3 strict: on\n)"
                          R"(\[a-tag-longer-than-16\] \d+ x{3000}\n)"
                          R"(\[oe              \] \d+ 1 -2 30 \n)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(text, match, line)) << text.substr(0, 200);
    const std::uint64_t tick = std::stoull(match[1]);
    EXPECT_GE(tick, before);
    EXPECT_LE(tick, after);

    // A new log starts the file afresh.
    CLog again(true, folder.path());
    again.Log("x", "y");
    EXPECT_TRUE(std::regex_match(ReadRaw(folder / "debug.txt"), std::regex(R"(\[x {15}\] \d+ y\n)")));
}

TEST(Log, OffWritesNoFileAndAnUnwritableFolderFallsBackToTheStateFolder)
{
    TempFolder folder;
    {
        CLog off(false, folder.path());
        off.Log("engine", "%d", 1);
        EXPECT_FALSE(off.IsEnabled());
        EXPECT_EQ(off.GetPath(), "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));

    ScopedEnv state("XDG_STATE_HOME", folder / "state");
    CLog log(true, folder / "not-there/");
    EXPECT_EQ(log.GetPath(), folder / "state/zem/debug.txt");
    log.Log("engine", "ok");
    EXPECT_NE(ReadRaw(folder / "state/zem/debug.txt").find("] "), std::string::npos);
}

TEST(Log, StatusDumpHasARowPerPeriodAndAColumnPerDayInUse)
{
    CScheduleTask task;
    CSchoolStructure& week = task.GetSchoolStructure();
    for (int day = 0; day < zem::kDayCount; ++day)
        week.SetWeekDay(day, day == 0 || day == 8);
    week.SetSectionNodeMaxCount(0, 2, false);
    week.SetSectionNodeMaxCount(1, 0, false);
    week.SetSectionNodeMaxCount(3, 1, false);
    CTimeTable table;
    table.SetValue(0, 0, 0, CTimeTable::kFullUsed);
    table.SetValue(8, 0, 1, CTimeTable::kInvalid);
    table.SetValue(0, 3, 0, CTimeTable::kHalfUsed);
    table.SetValue(1, 0, 0, CTimeTable::kFullUsed);  // a day not in use is left out

    TempFolder folder;
    {
        CLog log(true, folder.path());
        log.Log(&task, &table);
        log.Log(&task, nullptr);
    }
    EXPECT_EQ(ReadRaw(folder / "debug.txt"), "\n  100    0\n    0 -100\n   50    0\n");

    // The whole grid, 14 days of 30 periods, is written whole.
    for (int day = 0; day < zem::kDayCount; ++day)
        week.SetWeekDay(day, true);
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        week.SetSectionNodeMaxCount(segment, zem::kSectionCount, false);
    table.SetValue(12, 4, 5, CTimeTable::kInvalid);
    {
        CLog log(true, folder.path());
        log.Log(&task, &table);
    }
    const std::string text = ReadRaw(folder / "debug.txt");
    EXPECT_EQ(text.size(), 30u * (1 + 14 * 5) + 1);
    EXPECT_EQ(text.substr(text.size() - 11), " -100    0\n");  // the last period of days 12 and 13
}

TEST(Log, TheInstanceIsOneAcrossThreadsAndOnlyDebugTurnsItOn)
{
    TempFolder folder;
    struct Case {
        std::vector<const char*> arguments;
        bool enabled;
    };
    const Case cases[] = {
        {{"zem"}, false},
        {{"--debug"}, false},
        {{"zem", "--debugger"}, false},
        {{"zem", "task.zem", "--debug"}, true},
    };
    for (const Case& c : cases) {
        CLog::Configure(static_cast<int>(c.arguments.size()), c.arguments.data(), folder.path());
        std::vector<CLog*> seen(8);
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < seen.size(); ++i)
            threads.emplace_back([&seen, i] { seen[i] = CLog::inst(); });
        for (std::thread& t : threads)
            t.join();
        ASSERT_NE(seen[0], nullptr);
        for (CLog* log : seen)
            EXPECT_EQ(log, seen[0]);
        EXPECT_EQ(seen[0]->IsEnabled(), c.enabled) << c.arguments.back();
        EXPECT_EQ(std::filesystem::exists(folder / "debug.txt"), c.enabled) << c.arguments.back();
        CLog::free();
        std::filesystem::remove(folder / "debug.txt");
    }
    const char* none[] = {"zem"};
    CLog::Configure(1, none);
}

}  // namespace
