#pragma once
// Inside the engine: the run thread and its messages, the per-teacher daily limits, and the
// scheduler with its per-run facts about each plan. Not part of the library's interface; the
// engine's tests reach in here.
#include "core/Core.h"

#include "base/ScheduleTask.h"

class CChangeCheck;
struct ChangeFindings;

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstring>
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

// A 420-slot grid of yes/no, a byte a slot, so that whole grids combine in a few vector steps.
using SlotFlags = std::array<std::uint8_t, zem::kSlotCount>;

inline tagTABLE_NODE NodeOfSlot(int slot)
{
    constexpr int kDaySlots = zem::kSegmentCount * zem::kSectionCount;
    return {slot / kDaySlots, slot / zem::kSectionCount % zem::kSegmentCount, slot % zem::kSectionCount};
}

// Calls visit(slot) for every slot of the grid that is not free, in slot order. Most of a plan's
// grid is free, so free stretches are passed over eight slots at a time.
template <class Visit>
void ForEachTakenSlot(const CTimeTable::Status* values, Visit visit)
{
    static_assert(CTimeTable::kFree == 0);
    int slot = 0;
    for (; slot + 8 <= zem::kSlotCount; slot += 8) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, values + slot, sizeof eight);
        if (eight == 0)
            continue;
        for (int k = slot; k < slot + 8; ++k)
            if (values[k] != CTimeTable::kFree)
                visit(k);
    }
    for (; slot < zem::kSlotCount; ++slot)
        if (values[slot] != CTimeTable::kFree)
            visit(slot);
}

// What the scheduler knows about one plan for the whole run, and its state in the try.
struct CPlanState {
    CCourseInfo* course = nullptr;
    zem::IdHandle id = zem::kNoId;
    int teacherIndex = 0;                   // its teacher id, numbered 0.. over the run's plans: groups a teacher's plans
    int classIndex = 0;                     // its class id, numbered likewise
    int subjectIndex = 0;                   // its subject id, numbered likewise
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
    SlotFlags fixedClosed{};              // slots closed for the whole run
    CScheduleTask::CourseNodeTargets targets;  // where its lessons are written
    int perDayLimit = 0;
    int dayMax = 0;
    int mergedDayMax = -1;                // of a merged half lesson cloned from it; -1 until needed
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
    bool paired = false;  // a side of one of the try's odd/even pairs
    int weight = 0;
};

// Two half-lesson plans placed as one merged half lesson on one slot, odd and even weeks. The
// merged lesson is the even plan's course with one half lesson a week and an id of its own.
struct COddEvenPair {
    std::string mergedId;
    bool half = true;     // the merged half lesson still to place
    int mergedFrom = -1;  // the plan the merged lesson was cloned from (the even one when made)
    int oddPlan = -1;
    int evenPlan = -1;
    const std::string* oddId = nullptr;
    const std::string* evenId = nullptr;

    int SideOf(const std::string& id) const { return id == *oddId ? 1 : id == *evenId ? 2 : 0; }
    void Swap()
    {
        std::swap(oddPlan, evenPlan);
        std::swap(oddId, evenId);
    }
};

// One entry of a try's work list: a plan, or the merged course of a pair.
struct CWorkItem {
    int plan = -1;
    int pair = -1;
};

// The table one course is placed in: the slots it cannot use, the lessons it holds and those it
// gets. Reset for every course, touching only the cells the last one filled.
struct CWorkTable {
    std::array<CTimeTable::Status, zem::kSlotCount> values{};
    std::array<CCourseTableNode, zem::kSlotCount> cells;
    std::vector<int> filled;  // slots whose cells hold a lesson, each once

    bool IsUsed(int slot) const { return CTimeTable::IsUsedStatus(values[slot]); }
    void Reset();
    void Fill(int slot, CTimeTable::Status value, const CCourseTableNode& cell);
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
    bool RepairBestTry();
    void CopyTables(bool commit);
    // Checks the kept result against the task's state before the run (`before`), then saves and
    // reports it, or refuses it unsaved.
    void FinishRun(const CChangeCheck& before);
    // Keeps the result from the files: nothing saved, the refusal in the stats and the end posted.
    void RefuseResult(const ChangeFindings& findings);

    // Placing.
    CWeekCount PlaceCourse(const CWorkItem& item);
    void MarkUnusable(const CPlanState& plan, int mode);
    void PlaceLessons(const CWorkItem& item, CWeekCount& remaining);
    template <class Table>
    void WriteCourseTable(CPlanState& plan, const Table& table);
    template <class Table>
    void SyncPartners(CPlanState& plan, const Table& table);
    void SetCourseNode(CPlanState& plan, zem::IdHandle roomId, int slot, int oddEven);
    void PlacePair(COddEvenPair& pair);
    void PlacePairOnNode(COddEvenPair& pair, const tagTABLE_NODE& node);
    void PutOnNode(CPlanState& plan, const tagTABLE_NODE& node, int mode);
    void CollectPairMembers(const COddEvenPair& pair);
    bool MembersClash() const;
    bool CloseRoomsTooSmall();
    CWeekCount HeldLessons(const CPlanState& plan) const;
    int PlanOf(const std::string& courseId) const;
    COddEvenPair* FindPairOf(const std::string& courseId);
    int MergedDayMax(CPlanState& even);

    // Choosing start nodes: at most one per day, best days first; returns how many.
    int ChooseNodes(const CWorkItem& item, int n, int* candidates);

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
    void NumberKeys();
    void ListTeams();
    // The steps of MarkUnusable.
    void CloseBusySlots(const CCourseTable& busy, int busyMode);
    void CloseFullRoomSlots(const CComplexTable& places);
    void CloseDaysWithLessons(const CCourseTable& busy, int mode);
    void CloseDay(int day);
    // The steps of PreparePairs.
    void ListHalves();
    void MakePair(int odd, int even);
    void PairTeams();
    void OrderBySubjectFrequency();
    bool IsPartnerPaired(int plan) const;
    void PairInOrder();
    bool IsVisited(const std::string& id) const;
    // Resets a working table of the range between tries.
    void ResetTable(CCourseTable& table) const;

protected:
    std::vector<CPlanState> m_plans;      // teaching plans, then self-study plans
    int m_planCount = 0;                  // teaching plans among them
    std::unordered_map<const CCourseInfo*, int> m_planOf;
    std::vector<CClassInfo*> m_classes;
    std::vector<CTeacherInfo*> m_teachers;
    std::vector<CRoomInfo*> m_rooms;
    std::vector<const CCoursePreset*> m_presets;
    std::vector<std::pair<zem::IdHandle, zem::IdHandle>> m_teams;  // each team's odd and even ids
    std::vector<int> m_daysInUse;
    SlotFlags m_slotInUse{};              // the slots of the days in use
    int m_sectionCounts[zem::kSegmentCount] = {};
    bool m_concentrate = false;           // by teacher, for teaching plans and morning reading
    bool m_concentrateSelfStudy = false;
    std::unordered_map<zem::IdHandle, CRoomInfo*> m_roomOf;  // the room of a cell's room id
    std::vector<CWorkItem> m_work;
    std::vector<COddEvenPair> m_pairs;    // the try's pairs are the first m_pairCount
    int m_pairCount = 0;
    int m_tries = 50;
    bool m_strict = true;
    bool m_verticalMargin = true;
    bool m_sortByMainType = false;
    bool m_tablesReset = false;           // the range's tables were cleared whole this run
    bool m_committedCopied = false;       // a try was committed whole this run
    // Scratch space reused for every course, so the loops allocate nothing.
    CWorkTable m_table;
    SlotFlags m_closed{};
    std::array<CTimeTable::Status, zem::kSlotCount> m_margin{};
    std::vector<int> m_order;
    std::vector<int> m_orderedPlans;
    std::vector<int> m_orderedSelf;
    std::vector<int> m_weights;
    std::vector<int> m_distinct;
    std::vector<int> m_groupFill;
    std::vector<int> m_groupStart;
    std::vector<int> m_draws;
    std::vector<int> m_grouped;
    std::vector<int> m_teacherFirst;
    std::vector<int> m_halves;
    std::vector<int> m_ordered;
    std::vector<std::pair<int, int>> m_keyed;
    std::vector<char> m_taken;
    std::vector<int> m_subjectCounts;
    std::vector<int> m_presetPlans;       // the plan of each preset, or -1
    std::vector<std::vector<int>> m_classPlans;  // per class index, its plans in order
    std::vector<int> m_lastSide;          // per teacher index: 1 odd, 2 even, 0 none yet
    std::vector<std::pair<int, int>> m_members;  // plan and half of each lesson a pair's slot takes
    std::vector<std::pair<int, int>> m_pending;
    std::vector<const std::string*> m_visited;
};
