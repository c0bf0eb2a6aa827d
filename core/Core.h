#pragma once
// The automatic scheduling engine: places every weekly lesson of a task's range on its own worker
// thread, reports progress to a message target and writes the best try back into the task.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/WeekCount.h"
#include "platform/MessageTarget.h"
#include "platform/WindowMessages.h"

class CScheduleTask;
class CCourseInfo;
class CCoreEngine;

enum TRY_SWAP_TYPE {
    TRY_SWAP_LOST = 0,      // after a try that left lessons unplaced
    TRY_SWAP_IMPROVE = 1,   // a new best try, before it is saved
    TRY_SWAP_RELAXED = 2,   // right after 1
    TRY_SWAP_REPAIR = 3,    // once after the last try, on the best try, when it still lost lessons
};

// What a run covers.
class CAutoRange {
public:
    CAutoRange() = default;
    virtual ~CAutoRange() = default;

    void SetClass(const std::vector<std::string>& classIds) { m_classIds = classIds; }
    void SetType(bool mr, bool common, bool ss)
    {
        has_mr = mr;
        has_common = common;
        has_ss = ss;
    }
    bool hasClass(const std::string& classId) const;
    bool IsCourseIn(const CCourseInfo* course) const;
    std::string GetFirstClassId() const { return m_classIds.empty() ? std::string() : m_classIds.front(); }
    int GetClassCount() const { return static_cast<int>(m_classIds.size()); }
    const std::vector<std::string>& GetClassIds() const { return m_classIds; }
    bool IsTypeNull() const { return !has_mr && !has_common && !has_ss; }
    bool IsTypeFull() const { return has_mr && has_common && has_ss; }
    bool hasMR() const { return has_mr; }
    bool hasCommon() const { return has_common; }
    bool hasSS() const { return has_ss; }

private:
    std::vector<std::string> m_classIds;
    bool has_mr = true;
    bool has_common = true;
    bool has_ss = true;
};

// Called on the engine's thread; see TRY_SWAP_TYPE. Bind what it needs (the task, the run's stop
// flag from CCore::GetStopFlag) when it is made.
using CoreCallback = std::function<void(TRY_SWAP_TYPE, CAutoRange*)>;

// The numbers of one finished try, for observers.
struct CoreTryInfo {
    int index = 0;
    CWeekCount automaticLoss;  // lessons the placing left
    CWeekCount finalLoss;      // after the lost-lesson callback
    bool best = false;         // became the best try
};

// Options for tests and benchmarks only; the defaults are the program's behaviour.
struct CoreRunOptions {
    std::optional<std::uint64_t> seed;  // default: the clock
    int tries = 50;
    bool pauses = true;  // the short pauses that let a person read the status line
    std::optional<int> pauseMs;  // each pause's length, when not the program's own
    std::function<void(const CoreTryInfo&)> observer;  // called on the engine's thread after each try
    std::function<void()> beforeSave;  // called on the engine's thread as the final save begins
};

// The result code of a run refused: see CoreRunStats::code.
constexpr int kRunRefused = 4;

// What a finished run did; filled when the worker ends.
struct CoreRunStats {
    // The result code sent with wParam 3; 0 when stopped, kRunRefused when the result broke what a
    // run must keep and was not saved (the task in memory then holds it: the caller reopens the
    // task from its files, which the run left as they were).
    int code = 0;
    std::string refusal;  // with kRunRefused: the user's message naming what the result would break
    bool stopped = false;
    int tries = 0;       // tries made
    int bestTry = -1;
    CWeekCount lost;     // lessons left unplaced by the best try, after the callback
    bool saveFailed = false;
    double secondsCheck = 0;
    double secondsPlace = 0;
    double secondsCallback = 0;  // the repair's time included
    double secondsRepair = 0;
    double secondsSave = 0;
};

class CCore {
public:
    explicit CCore(CScheduleTask& task);
    virtual ~CCore();  // stops and joins a run still going
    CCore(const CCore&) = delete;
    CCore& operator=(const CCore&) = delete;

    void Init(zem::MessageTarget* window);
    void SetRange(CAutoRange* range);
    void SetCallback(CoreCallback callback);
    void SetOptions(const CoreRunOptions& options);
    // Starts the worker; nothing before Init, nothing while a run is going.
    void Start();
    // Stops the worker cooperatively and joins it.
    void Cancel();
    // Asks the worker to stop and returns at once; a window waits for IsRunning to turn false.
    void RequestStop();
    void Free();
    // Blocks until the run's worker has ended (returns at once when none runs).
    void Wait();
    bool IsRunning() const;
    // Set while a stop is asked; callbacks poll it between steps.
    const std::atomic<bool>& GetStopFlag() const;
    const CoreRunStats& GetStats() const;

protected:
    CScheduleTask& GetTask() { return m_task; }

private:
    CScheduleTask& m_task;
    std::unique_ptr<CCoreEngine> m_engine;
};

