#pragma once
// Inside the engine: the run thread and its messages, the per-teacher daily limits, and the
// scheduler with its per-run facts about each plan. Not part of the library's interface; the
// engine's tests reach in here.
#include "core/Core.h"

#include "base/ScheduleTask.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>


// Weekly lessons of each teacher and the most lessons a day that spreads them evenly.
class CTeacherWeekCountMap {
public:
    struct Record {
        CWeekCount total;
        int perDayLimit = 0;
    };

    // Empties the map first, so one engine can serve several runs.
    void Build(const CScheduleTask& task);
    // 0 for a teacher not in the map.
    int GetPerDayLimit(const std::string& teacherId) const;
    const Record* Find(const std::string& teacherId) const;
    bool IsSortByMainType() const { return m_sortByMainType; }

private:
    std::unordered_map<std::string, Record> m_map;
    bool m_sortByMainType = true;
};

// The run's one source of chance.
using CoreRandom = std::mt19937;

class CCoreEngine {
public:
    CCoreEngine() = default;
    CCoreEngine(const CCoreEngine&) = delete;
    CCoreEngine& operator=(const CCoreEngine&) = delete;
    // Stops and joins a run still going.
    virtual ~CCoreEngine();

    virtual void Init(zem::MessageTarget* window, CScheduleTask* task);
    virtual void SetRange(CAutoRange* range) { m_range = range; }
    virtual void Start();
    virtual void Cancel();
    // Sets the stop flag and ends a pause; does not wait.
    void RequestStop();
    virtual void Free() { Cancel(); }
    // The data checks; false when the task cannot be scheduled (reported, code 2 posted) or the run
    // was stopped (neither).
    virtual bool CheckData();
    virtual void SetCallback(CoreCallback callback) { m_callback = std::move(callback); }
    virtual void Run() {}

    void SetOptions(const CoreRunOptions& options) { m_options = options; }
    void Wait();
    bool IsRunning() const { return m_running.load(); }
    const std::atomic<bool>& GetStopFlag() const { return m_stop; }
    // Valid once the run has ended.
    const CoreRunStats& GetStats() const { return m_stats; }
    const CTeacherWeekCountMap& GetTeacherMap() const { return m_teacherMap; }

    // The report's title for the range: empty for the whole school.
    std::string MakeTitle() const;

protected:
    bool Stopped() const { return m_stop.load(std::memory_order_relaxed); }
    void PostStatus(const char* text);
    // Posts only when the bar moves, unless forced.
    void PostProgress(int percent, bool force = false);
    void PostResult(int code);
    // The short pauses that let a person read the status line; a stop ends them at once.
    void Pause(int milliseconds);
    // Calls the callback, timing it.
    void CallBack(TRY_SWAP_TYPE kind);

    CTeacherWeekCountMap m_teacherMap;
    CAutoRange* m_range = nullptr;
    CoreCallback m_callback;
    zem::MessageTarget* m_window = nullptr;
    CScheduleTask* m_task = nullptr;
    bool m_ready = false;
    CoreRunOptions m_options;
    CoreRunStats m_stats;
    CoreRandom m_random;

private:
    void Worker();
    void Join();
    bool OnWorker() const;

    std::thread m_thread;
    std::atomic<std::thread::id> m_worker{};  // the running worker's id
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::mutex m_joinMutex;   // one joiner at a time
    std::mutex m_pauseMutex;  // with m_wake: pauses that a stop cuts short
    std::condition_variable m_wake;
    int m_lastPercent = -1;
};

// What the scheduler knows about one plan for the whole run, and its state in the try.
struct CPlanState {
    CCourseInfo* course = nullptr;
    zem::IdHandle id = zem::kNoId;
    zem::IdHandle teacherKey = zem::kNoId;  // groups a teacher's plans
    CClassInfo* cls = nullptr;
    CTeacherInfo* teacher = nullptr;
    std::vector<CTeacherInfo*> teachers;  // own, assistants, and those of the combined class
    std::string roomId;                   // the room its lessons go to, or empty
    zem::IdHandle roomHandle = zem::kNoId;
    CRoomInfo* room = nullptr;            // that room, when it exists
    const CCombineClass* combined = nullptr;
    std::vector<int> partners;            // the other plans of its combined class, in the group's order
    std::vector<CClassInfo*> partnerClasses;
    std::vector<CTeacherInfo*> mutexTeachers;
    std::vector<int> mutexSubjectPlans;   // same class and kind, an exclusive subject
    CTimeTable fixedMask;                 // slots closed for the whole run
    int perDayLimit = 0;
    int dayMax = 0;
    int extraSingles = 0;
    // Weight terms that stay for the run.
    int weightBase = 0;
    int g = 0;
    int teacherClasses = 0;
    int teacherLessons = 0;

    // The try's state. The plan's own weekly count never changes during a run.
    CWeekCount saved;
    CWeekCount remaining;
    bool done = false;
    int weight = 0;
};

// Two half-lesson plans placed as one merged half lesson on one slot, odd and even weeks.
struct COddEvenPair {
    std::unique_ptr<CCourseInfo> merged;
    int oddPlan = -1;
    int evenPlan = -1;
    std::string oddId;
    std::string evenId;

    int SideOf(const std::string& id) const { return id == oddId ? 1 : id == evenId ? 2 : 0; }
    void Swap()
    {
        std::swap(oddPlan, evenPlan);
        oddId.swap(evenId);
    }
};

// One entry of a try's work list: a plan, or the merged course of a pair.
struct CWorkItem {
    int plan = -1;
    int pair = -1;
};

class CAutoScheduler : public CCoreEngine {
public:
    CAutoScheduler() = default;
    ~CAutoScheduler() override;

    void Run() override;

    // Test access to the run's facts.
    const std::vector<CPlanState>& GetPlans() const { return m_plans; }

protected:
    // One try; false when a stop ended it.
    bool Try(int index, CWeekCount& bestFinal, CWeekCount& bestAuto);
    void BuildPlans();
    void WeighAll(int mode);
    void Order(const std::vector<int>& input, std::vector<int>& out, bool groupByTeacher);
    void ClearRange();
    void PreparePairs();
    void RemovePairs();
    void PlacePresets();
    void CommitTry();
    void ReadCommittedTables();
    void FinishRun();

    // Placing.
    CWeekCount PlaceCourse(const CWorkItem& item);
    void MarkUnusable(CCourseTable& table, const CPlanState& plan, int mode) const;
    void PlaceLessons(const CWorkItem& item, CCourseTable& table, CWeekCount& remaining);
    void WriteCourseTable(CPlanState& plan, const CCourseTable& table);
    void SyncPartners(CPlanState& plan, const CCourseTable& table);
    void PlacePair(COddEvenPair& pair, const CCourseTable& table);
    void PlacePairOnNode(COddEvenPair& pair, const tagTABLE_NODE& node, std::vector<std::string>& visited);
    void PutOnNode(CPlanState& plan, const tagTABLE_NODE& node, int mode, std::vector<std::string>& visited);
    void CollectPairMembers(const COddEvenPair& pair);
    CWeekCount HeldLessons(const CPlanState& plan) const;
    int PlanOf(const std::string& courseId) const;
    COddEvenPair* FindPairOf(const std::string& courseId);

    // Choosing start nodes: at most one per day, best days first; returns how many.
    int ChooseNodes(const CWorkItem& item, const CCourseTable& table, int n, int* candidates);

private:
    // The steps of BuildPlans.
    void ListObjects();
    void FindPlanObjects(CPlanState& plan, const std::vector<std::string>& teacherIds);
    void FindPartners(CPlanState& plan);
    void FindRoom(CPlanState& plan);
    void FindExclusives(CPlanState& plan, const std::vector<std::string>& teacherIds);
    void CloseFixedSlots(CPlanState& plan, const CTimeTable& weekMask, const std::vector<std::string>& teacherIds,
                         const std::vector<CTeacherGroupInfo*>& groups);
    void SetDayLimits(CPlanState& plan);
    void WeighFixedTerms(CPlanState& plan);
    // The steps of MarkUnusable.
    void CloseBusySlots(CCourseTable& table, const CCourseTable& busy, int busyMode) const;
    void CloseFullRoomSlots(CCourseTable& table, const CComplexTable& places) const;
    void CloseDaysWithLessons(CCourseTable& table, const CCourseTable& busy, int mode) const;
    // The steps of PreparePairs.
    void ListHalves(std::vector<int>& halves) const;
    void MakePair(int odd, int even);
    void PairTeams(std::vector<int>& halves);
    void OrderBySubjectFrequency(const std::vector<int>& halves, std::vector<int>& ordered) const;
    bool IsPartnerPaired(int plan) const;
    void PairInOrder(std::vector<int>& ordered);

protected:
    std::vector<CPlanState> m_plans;      // teaching plans, then self-study plans
    int m_planCount = 0;                  // teaching plans among them
    std::unordered_map<const CCourseInfo*, int> m_planOf;
    std::vector<CClassInfo*> m_classes;
    std::vector<CTeacherInfo*> m_teachers;
    std::vector<CRoomInfo*> m_rooms;
    std::vector<const CCoursePreset*> m_presets;
    std::vector<int> m_daysInUse;
    std::vector<CWorkItem> m_work;
    std::vector<std::unique_ptr<COddEvenPair>> m_pairs;
    int m_tries = 50;
    bool m_strict = true;
    bool m_verticalMargin = true;
    bool m_sortByMainType = false;
    // Scratch space reused for every course, so the loops allocate nothing.
    CCourseTable m_table;
    CTimeTable m_margin;
    std::vector<int> m_order;
    std::vector<int> m_orderedPlans;
    std::vector<int> m_orderedSelf;
    std::vector<int> m_grouped;
    std::vector<std::pair<int, int>> m_members;  // plan and half of each lesson a pair's slot takes
    std::vector<std::pair<int, int>> m_pending;
    std::vector<char> m_taken;
};
