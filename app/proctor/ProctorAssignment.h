#pragma once
// The automatic assignment of invigilators: for every exam of a proctoring and every room of it,
// the exam's number of teachers drawn from the proctoring's teacher list, keeping teachers out of
// exams at the same time, spreading the duties evenly and honouring the two rules (taught class,
// taught course). Needs no window: the progress window runs it on its worker, the benchmark tool
// runs it directly.
#include "base/ScheduleProctor.h"
#include "platform/Hooks.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

class CScheduleTask;

// What the rules need to know of each teacher, from the task's teaching plans: the subjects and
// the classes the teacher teaches. Built only when the proctoring's map is still empty.
void BuildTeacherInfoMap(const CScheduleTask& task, CProctorData& data);

// How one run goes; the program takes the defaults.
struct CProctorRunOptions {
    // The draw among teachers with equal duties; from the clock unless fixed (tests, benchmarks).
    std::optional<std::uint32_t> seed;
    // The pauses that let the user watch the run: 100 ms before it starts, 10 ms after each room.
    bool pacing = true;
    // Tests: called on the worker after each item is appended, with the count of items so far
    // (a latch that holds the worker).
    std::function<void(std::size_t items)> afterItem;
};

// The old arrangement of a proctoring, taken out while a new run fills an empty list, so that a
// run that makes nothing (two exams at one time in one room, a cancel before the first room)
// leaves the old one, and the user's changes to it, as they were.
class CArrangementAside {
public:
    explicit CArrangementAside(CProctorData& data);
    CArrangementAside(const CArrangementAside&) = delete;
    CArrangementAside& operator=(const CArrangementAside&) = delete;
    // After the run: true when it made items, which replace the old ones; false when the old
    // arrangement is back in the list: the run made none, or it was cancelled (or stopped) before
    // its end while there was an old arrangement, which its part must not replace.
    bool ReplacedByRun(bool completed);

private:
    CProctorData& m_data;
    CProctorData::ProctorList m_old;
};

class CProctorAssignment {
public:
    static constexpr int kStartPauseMs = 100;
    static constexpr int kRoomPauseMs = 10;
    static constexpr int kShownShortages = 3;
    static constexpr const char* kConflictFormat = "下面两项考试计划指定相同考场: %s，但考试时间冲突\n\n%s %s\n%s %s";
    static constexpr const char* kShortageHead = "由于时间冲突或教师资源不足，部分考场监考教师未达指定人数\n\n";

    // The task gives names and tells which teacher ids still name a teacher; both must outlive the run.
    CProctorAssignment(const CScheduleTask& task, CProctorData& data, CProctorRunOptions options = {});

    // Where the run reports: the bar's percentage and the two message boxes. Unset ones are dropped.
    std::function<void(int percent)> onProgress;
    std::function<void(const zem::MessageRequest& request)> onMessage;

    // The whole run: the conflict check, then the items of every plan appended to the arrangement
    // list, then the shortage report. `cancel` is checked before each room; items already appended
    // stay. False when two exams at one time share a room (nothing assigned) or the run was cancelled.
    bool Run(const std::atomic<bool>* cancel = nullptr);

    // The conflict message for the first two exams at one time that share a room; empty when none do.
    std::string FindRoomConflict() const;
    // The lines of the rooms that got fewer teachers than asked, in the order of the run.
    const std::vector<std::string>& GetShortages() const { return m_shortages; }
    // The report shown for them: the head, the first three lines, "..." when there are more.
    static std::string FormatShortageReport(const std::vector<std::string>& lines);

    // The teachers of one room, picked out of the plan's remaining candidates (which lose them) by
    // the rules; at most the plan's teacher count.
    static std::vector<std::string> PickTeachers(std::vector<std::string>& remaining, const CProctorData::Plan& plan,
                                                 const std::string& roomId, const CProctorData::Rule& rule,
                                                 const CProctorData::TeacherInfoMap& info);

    // One candidate of a plan, with what the rules ask of the teacher.
    struct Candidate {
        std::string id;
        const CProctorData::TeacherInfo* info = nullptr;  // null: nothing known of the teacher
        bool teachesSubject = false;                      // the plan's subject
    };

private:
    static Candidate MakeCandidate(const std::string& id, const CProctorData::TeacherInfoMap& info,
                                   const std::string& subject);
    // The teachers who may watch the plan's rooms, fewest duties first, equal duties in a random order.
    std::vector<Candidate> OrderedCandidates(const CProctorData::Plan& plan);
    // PickTeachers over candidates whose subjects are known.
    static std::vector<std::string> Pick(std::vector<Candidate>& remaining, int count, const std::string& roomId,
                                         const CProctorData::Rule& rule);
    void Pause(int ms, const std::atomic<bool>* cancel) const;
    void Report(const std::string& text) const;

    const CScheduleTask& m_task;
    CProctorData& m_data;
    CProctorRunOptions m_options;
    std::mt19937 m_random;
    std::vector<std::string> m_shortages;
    // The plans by id (several, in a damaged file) and each teacher's items so far (exact ids).
    std::unordered_map<std::string, std::vector<const CProctorData::Plan*>> m_plansById;
    std::unordered_map<std::string, int> m_duties;
};
