#pragma once
// Runs the engine the way the tests need it: headless, a fixed seed, no pauses, every message
// recorded, and the run waited for.
#include "core/Core.h"
#include "core/Engine.h"

#include "base/ScheduleTask.h"
#include "base/ScheduleValidator.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

// Records what the engine posts, status texts included.
class RecordingTarget : public zem::MessageTarget {
public:
    struct Message {
        unsigned id = 0;
        zem::WPARAM wParam = 0;
        zem::LPARAM lParam = 0;
        std::string text;  // of a status message
    };

    zem::LRESULT Send(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override
    {
        Record({message, wParam, lParam, {}});
        return 0;
    }

    bool Post(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override
    {
        Record({message, wParam, lParam, {}});
        return true;
    }

    bool PostText(unsigned message, zem::WPARAM wParam, std::string text) override
    {
        Record({message, wParam, 0, std::move(text)});
        return true;
    }

    std::vector<Message> Messages() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }

    std::vector<std::string> StatusTexts() const
    {
        std::vector<std::string> texts;
        for (const Message& m : Messages())
            if (m.wParam == 0)
                texts.push_back(m.text);
        return texts;
    }

    // The result codes sent with wParam 3.
    std::vector<long> Results() const
    {
        std::vector<long> codes;
        for (const Message& m : Messages())
            if (m.wParam == 3)
                codes.push_back(static_cast<long>(m.lParam));
        return codes;
    }

    // Called on the engine's thread after each message is recorded.
    std::function<void(const Message&, int count)> onMessage;

private:
    void Record(const Message& m)
    {
        int count = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            messages_.push_back(m);
            count = static_cast<int>(messages_.size());
        }
        if (onMessage)
            onMessage(m, count);
    }

    mutable std::mutex mutex_;
    std::vector<Message> messages_;
};

inline CoreRunOptions TestOptions(std::uint64_t seed = 1)
{
    CoreRunOptions options;
    options.seed = seed;
    options.pauses = false;
    return options;
}

// Runs the engine over the task to its end and returns its numbers.
inline CoreRunStats RunEngine(CScheduleTask& task, CoreRunOptions options = TestOptions(), RecordingTarget* target = nullptr,
                              CAutoRange* range = nullptr, CoreCallback callback = {})
{
    RecordingTarget own;
    CCore core(task);
    core.Init(target ? target : &own);
    core.SetRange(range);
    core.SetCallback(std::move(callback));
    core.SetOptions(options);
    core.Start();
    core.Wait();
    return core.GetStats();
}

// RunEngine without the data checks: what the placing alone makes of data they would refuse.
inline CoreRunStats RunEngineUnchecked(CScheduleTask& task, CoreRunOptions options = TestOptions(),
                                       CoreCallback callback = {})
{
    struct Unchecked : CAutoScheduler {
        bool CheckData() override { return true; }
    };
    RecordingTarget target;
    Unchecked engine;
    engine.Init(&target, &task);
    engine.SetCallback(std::move(callback));
    engine.SetOptions(options);
    engine.Start();
    engine.Wait();
    return engine.GetStats();
}

// Every rule (or the chosen ones) kept by the committed timetables, and by the working ones.
inline testing::AssertionResult ScheduleIsValid(CScheduleTask& task, unsigned checks = kAllTableChecks)
{
    ScheduleValidation all = ValidateSchedule(task, false, checks);
    all.Append(ValidateSchedule(task, true, checks));
    if (all.IsClean())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << all.Text();
}

// Lessons of the plan in its own committed (or working) table: whole lessons and halves.
inline CWeekCount LessonsOf(const CCourseInfo& course, bool temp = false)
{
    const CCourseTable& table = course.GetTable(temp);
    const zem::IdHandle id = zem::FindId(course.GetId());
    int whole = 0;
    int halves = 0;
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                if (!table.IsUsed(day, segment, section))
                    continue;
                const CCourseTableNode& cell = table.GetNode(day, segment, section);
                if (!cell.IsInterleave())
                    whole += cell.data(1).GetCourseHandle() == id;
                else
                    halves += (cell.data(1).GetCourseHandle() == id) + (cell.data(2).GetCourseHandle() == id);
            }
    return CWeekCount(whole + halves / 2, halves % 2 != 0);
}

// The slots a plan's committed table uses, as day*100 + segment*10 + section.
inline std::vector<int> SlotsOf(const CCourseInfo& course, bool temp = false)
{
    std::vector<int> slots;
    const CCourseTable& table = course.GetTable(temp);
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (table.IsUsed(day, segment, section))
                    slots.push_back(day * 100 + segment * 10 + section);
    return slots;
}

// Every plan's id and weekly count, and every table of the task, committed and working, as text:
// equal snapshots mean an unchanged task.
inline std::string Snapshot(CScheduleTask& task, bool withTables = true)
{
    std::string out;
    auto table = [&](const CCourseTable& t) {
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section) {
                    const CCourseTableNode& cell = t.GetNode(day, segment, section);
                    out += std::to_string(t.GetValue(day, segment, section));
                    for (int half : {1, 2})
                        out += ":" + cell.data(half).GetCourseId() + "/" + cell.data(half).GetRoomId() + "/" +
                               std::to_string(cell.data(half).GetRoomIndex());
                    out += cell.IsInterleave() ? "i," : ",";
                }
        out += "\n";
    };
    std::vector<CCourseInfo*> courses;
    task.GetFullCourseList(courses);
    for (CCourseInfo* course : courses) {
        out += course->GetId() + "=" + course->GetWeekCount().ToString() + "\n";
        if (withTables) {
            table(course->GetTable(false));
            table(course->GetTable(true));
        }
    }
    if (!withTables)
        return out;
    for (const auto& [id, object] : task.GetClassInfoList()) {
        table(static_cast<CClassInfo*>(object)->GetTable(false));
        table(static_cast<CClassInfo*>(object)->GetTable(true));
    }
    for (const auto& [id, object] : task.GetTeacherInfoList()) {
        table(static_cast<CTeacherInfo*>(object)->GetTable(false));
        table(static_cast<CTeacherInfo*>(object)->GetTable(true));
    }
    for (const auto& [id, object] : task.GetRoomInfoList()) {
        CComplexTable& set = static_cast<CRoomInfo*>(object)->GetComplexTable();
        for (int i = 0; const CCourseTable* t = set.Enum(false, i); ++i)
            table(*t);
        for (int i = 0; const CCourseTable* t = set.Enum(true, i); ++i)
            table(*t);
    }
    return out;
}

// True when every working table equals its committed table.
inline bool WorkingEqualsCommitted(CScheduleTask& task)
{
    auto same = [](const CCourseTable& a, const CCourseTable& b) {
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section)
                    if (a.GetValue(day, segment, section) != b.GetValue(day, segment, section) ||
                        a.GetNode(day, segment, section) != b.GetNode(day, segment, section))
                        return false;
        return true;
    };
    std::vector<CCourseInfo*> courses;
    task.GetFullCourseList(courses);
    for (CCourseInfo* course : courses)
        if (!same(course->GetTable(false), course->GetTable(true)))
            return false;
    for (const auto& [id, object] : task.GetClassInfoList())
        if (!same(static_cast<CClassInfo*>(object)->GetTable(false), static_cast<CClassInfo*>(object)->GetTable(true)))
            return false;
    for (const auto& [id, object] : task.GetTeacherInfoList())
        if (!same(static_cast<CTeacherInfo*>(object)->GetTable(false), static_cast<CTeacherInfo*>(object)->GetTable(true)))
            return false;
    for (const auto& [id, object] : task.GetRoomInfoList()) {
        CComplexTable& set = static_cast<CRoomInfo*>(object)->GetComplexTable();
        for (int i = 0; const CCourseTable* t = set.Enum(false, i); ++i)
            if (!same(*t, *set.Enum(true, i)))
                return false;
    }
    return true;
}

// output.xml's bytes without the stamp every run writes anew, for comparing the timetables of two
// runs byte for byte; fails the test when the file has no stamp.
inline std::string TimetablesWithoutRunStamp(const std::string& outputXml)
{
    const std::regex stamp(" run=\"[^\"]+\"");
    EXPECT_TRUE(std::regex_search(outputXml, stamp)) << "output.xml has no run stamp";
    return std::regex_replace(outputXml, stamp, "");
}
