// The repair of a run's best try across class and teacher timetables: a lost lesson goes to a slot
// whose lessons in its way (its class's there, its teachers' in other classes) move elsewhere, and
// each of them is placed again the same way, one level shallower. A failed branch is undone step by
// step, so the tables end as they were or with the lesson placed.
#include "app/taskhelper/LostLessonRepair.h"

#include "app/taskhelper/PlacementRules.h"
#include "app/taskhelper/TaskHelper.h"

#include "base/Log.h"
#include "core/Core.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// More lessons in the way than this and the slot is passed over: each one moved is a branch.
constexpr int kMaxInTheWay = 2;

tagTABLE_NODE Shifted(const tagTABLE_NODE& first, int sections) { return {first.day, first.segment, first.section + sections}; }

// Lessons of one plan to place together: one, or a block of consecutive sections of a segment.
struct Unit {
    const CPlanRules* plan = nullptr;
    int length = 1;
    std::string room;
};

// A lesson in the way and where its block starts.
struct InTheWay {
    Unit unit;
    tagTABLE_NODE first{};
};

// One change of the tables, undone in reverse order.
struct Step {
    bool placed = false;  // else removed
    const CPlanRules* plan = nullptr;
    tagTABLE_NODE node{};
    std::string room;
};

struct Candidate {
    tagTABLE_NODE first{};
    int inTheWay = 0;
};

class Repair {
public:
    Repair(CTaskHelper& helper, const CAutoRange* range, const LostLessonRepairBounds& bounds)
        : m_helper(helper), m_rules(*helper.GetRules()), m_task(*helper.GetTask()), m_range(range), m_bounds(bounds),
          m_left(bounds.tries)
    {
        const std::size_t levels = static_cast<std::size_t>(std::max(bounds.depth, 0)) + 1;
        m_candidates.resize(levels);
        m_inTheWay.resize(levels);
    }

    // One whole lesson of the plan; deeper searches only when shallower ones fail.
    bool PlaceLost(const CPlanRules& plan)
    {
        if (!Movable(plan))
            return false;
        m_leftForLesson = m_bounds.triesPerLesson;
        const Unit unit{&plan, 1, plan.plan->GetSpecialRoomId()};
        for (int depth = 0; depth <= m_bounds.depth; ++depth) {
            m_locked.clear();
            if (Place(unit, depth))
                return true;
            if (OutOfTries())
                return false;
        }
        return false;
    }

    bool OutOfTries() const { return m_left <= 0 || m_leftForLesson <= 0 || m_helper.IsStopping(); }

private:
    bool Place(const Unit& unit, int depth);
    bool TryAt(const Unit& unit, const tagTABLE_NODE& first, int depth);
    void ListCandidates(const Unit& unit, int depth, std::vector<Candidate>& out);
    // The lessons in the way of the unit there; false when one of them may not move.
    bool CollectInTheWay(const Unit& unit, const tagTABLE_NODE& first, std::vector<InTheWay>& out);
    bool AddInTheWay(const Unit& unit, CCourseTable& table, const tagTABLE_NODE& node, std::vector<InTheWay>& out);
    bool CanPut(const Unit& unit, const tagTABLE_NODE& first);
    void Put(const CPlanRules& plan, const tagTABLE_NODE& node, const std::string& room, bool record);
    void Remove(const CPlanRules& plan, const tagTABLE_NODE& node, bool record);
    void Undo(std::size_t mark, std::size_t lockMark);
    bool Movable(const CPlanRules& plan);
    bool Locked(const CPlanRules& plan, int slot) const;
    int LessonsOnDay(const CPlanRules& plan, int day) const;
    int DayLimit(const CPlanRules& plan, int length) const;
    const CPlanRules* PartnerRules(CCourseInfo* partner) { return m_rules.Plan(partner); }
    static const void* GroupOf(const CPlanRules& plan)
    {
        return plan.combined ? static_cast<const void*>(plan.combined) : static_cast<const void*>(&plan);
    }
    template <class Visit>
    void ForEachInGroup(const CPlanRules& plan, Visit visit)
    {
        visit(plan);
        for (CCourseInfo* partner : plan.partners)
            if (const CPlanRules* rules = PartnerRules(partner))
                visit(*rules);
    }

    CTaskHelper& m_helper;
    CPlacementRules& m_rules;
    CScheduleTask& m_task;
    const CAutoRange* m_range;
    LostLessonRepairBounds m_bounds;
    int m_left;
    int m_leftForLesson = 0;
    std::vector<Step> m_steps;
    std::vector<std::pair<const void*, int>> m_locked;  // lessons placed in this search, by group and slot
    // One list per depth: a nested call works one level down and leaves the caller's list alone.
    std::vector<std::vector<Candidate>> m_candidates;
    std::vector<std::vector<InTheWay>> m_inTheWay;
};

bool Repair::Movable(const CPlanRules& plan)
{
    bool movable = true;
    ForEachInGroup(plan, [&](const CPlanRules& member) {
        movable = movable && member.complete && member.cls && (!m_range || m_range->IsCourseIn(member.plan));
    });
    return movable;
}

bool Repair::Locked(const CPlanRules& plan, int slot) const
{
    const void* group = GroupOf(plan);
    return std::any_of(m_locked.begin(), m_locked.end(),
                       [&](const auto& entry) { return entry.first == group && entry.second == slot; });
}

int Repair::LessonsOnDay(const CPlanRules& plan, int day) const
{
    const CCourseTable& own = plan.plan->GetTable(true);
    int count = 0;
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        for (int section = 0; section < zem::kSectionCount; ++section)
            count += own.IsUsed(day, segment, section);
    return count;
}

// A block goes to a day its plan does not use; a single lesson to a day with fewer of its lessons
// than an even spread over the week gives, so that the repair never crowds a day the tries kept light.
int Repair::DayLimit(const CPlanRules& plan, int length) const
{
    if (length > 1)
        return length;
    const CWeekCount& count = plan.plan->GetWeekCount();
    const int lessons = count.GetWholeCount() + (count.HasHalfNode() ? 1 : 0);
    const int days = std::max(m_task.GetSchoolStructure().GetWeekDayCount(), 1);
    return std::min(std::max((lessons + days - 1) / days, 1), std::max(plan.dayMax, 1));
}

bool Repair::Place(const Unit& unit, int depth)
{
    std::vector<Candidate>& candidates = m_candidates[static_cast<std::size_t>(depth)];
    ListCandidates(unit, depth, candidates);
    for (const Candidate& candidate : candidates) {
        if (OutOfTries())
            return false;
        --m_left;
        --m_leftForLesson;
        if (TryAt(unit, candidate.first, depth))
            return true;
    }
    return false;
}

// The slots where the unit may start, fewest lessons in the way first.
void Repair::ListCandidates(const Unit& unit, int depth, std::vector<Candidate>& out)
{
    out.clear();
    const CSchoolStructure& week = m_task.GetSchoolStructure();
    int dayFree[zem::kDayCount];
    for (int day = 0; day < zem::kDayCount; ++day) {
        int used = 0;
        ForEachInGroup(*unit.plan, [&](const CPlanRules& member) { used = std::max(used, LessonsOnDay(member, day)); });
        dayFree[day] = DayLimit(*unit.plan, unit.length) - used;
    }
    const int most = depth > 0 ? kMaxInTheWay : 0;
    std::vector<InTheWay>& inTheWay = m_inTheWay[static_cast<std::size_t>(depth)];
    ForEachSlot(week, [&](const tagTABLE_NODE& first) {
        if (dayFree[first.day] < unit.length || first.section + unit.length > week.GetSectionNodeMaxCount(first.segment))
            return;
        bool allowed = true;
        for (int i = 0; i < unit.length && allowed; ++i) {
            const int slot = SlotOf(Shifted(first, i));
            ForEachInGroup(*unit.plan, [&](const CPlanRules& member) { allowed = allowed && member.allowed[slot]; });
        }
        if (!allowed || !CollectInTheWay(unit, first, inTheWay) || static_cast<int>(inTheWay.size()) > most)
            return;
        out.push_back({first, static_cast<int>(inTheWay.size())});
    });
    std::stable_sort(out.begin(), out.end(),
                     [](const Candidate& a, const Candidate& b) { return a.inTheWay < b.inTheWay; });
}

bool Repair::CollectInTheWay(const Unit& unit, const tagTABLE_NODE& first, std::vector<InTheWay>& out)
{
    out.clear();
    bool movable = true;
    for (int i = 0; i < unit.length && movable; ++i) {
        const tagTABLE_NODE node = Shifted(first, i);
        ForEachInGroup(*unit.plan, [&](const CPlanRules& member) {
            if (!movable)
                return;
            CCourseTable& table = member.cls->GetTable(true);
            if (table.IsUsed(node))
                movable = AddInTheWay(unit, table, node, out);
            for (const CTeacherRules* teacher : member.teachers) {
                const CCourseTable& busy = teacher->teacher->GetTable(true);
                if (!movable || !busy.IsUsed(node))
                    continue;
                const CCourseTableNode& cell = busy.GetNode(node);
                const zem::IdHandle lesson =
                    cell.GetCourseHandle(1) != zem::kNoId ? cell.GetCourseHandle(1) : cell.GetCourseHandle(2);
                const CPlanRules* other = lesson == zem::kNoId ? nullptr : m_rules.Plan(lesson);
                if (other && GroupOf(*other) == GroupOf(*unit.plan))
                    continue;
                movable = other && other->cls && AddInTheWay(unit, other->cls->GetTable(true), node, out);
            }
        });
    }
    return movable;
}

// The class's lesson at the node, with the rest of its block, unless it may not move.
bool Repair::AddInTheWay(const Unit& unit, CCourseTable& table, const tagTABLE_NODE& node, std::vector<InTheWay>& out)
{
    const CCourseTableNode& cell = table.GetNode(node);
    const CPlanRules* plan = cell.IsInterleave() ? nullptr : m_rules.PlanOfSlot(cell, 0);
    if (!plan || GroupOf(*plan) == GroupOf(*unit.plan) || !Movable(*plan))
        return false;
    auto holds = [&](int section) {
        if (section < 0 || section >= zem::kSectionCount)
            return false;
        const CCourseTableNode& other = table.GetNode(node.day, node.segment, section);
        return table.IsUsed(node.day, node.segment, section) && !other.IsInterleave() &&
               other.GetCourseHandle(1) == plan->id;
    };
    int low = node.section;
    int high = node.section;
    if (plan->plan->GetContinuousNodes() > 1) {
        while (holds(low - 1))
            --low;
        while (holds(high + 1))
            ++high;
    }
    const tagTABLE_NODE first{node.day, node.segment, low};
    for (int section = low; section <= high; ++section) {
        const int slot = SlotOf(node.day, node.segment, section);
        if (plan->preset[slot] || Locked(*plan, slot))
            return false;
    }
    for (const InTheWay& known : out)
        if (GroupOf(*known.unit.plan) == GroupOf(*plan) && known.first == first)
            return true;
    out.push_back({Unit{plan, high - low + 1, cell.GetRoomId(1)}, first});
    return true;
}

bool Repair::CanPut(const Unit& unit, const tagTABLE_NODE& first)
{
    bool can = true;
    for (int i = 0; i < unit.length && can; ++i) {
        const tagTABLE_NODE node = Shifted(first, i);
        ForEachInGroup(*unit.plan, [&](const CPlanRules& member) {
            CCourseTable& table = member.cls->GetTable(true);
            can = can && !table.IsUsed(node) && m_helper.CanPlaceCourse(&table, node, 0, member.plan, unit.room);
        });
    }
    return can;
}

void Repair::Put(const CPlanRules& plan, const tagTABLE_NODE& node, const std::string& room, bool record)
{
    for (CCourseInfo* partner : plan.partners)
        if (const CPlanRules* rules = PartnerRules(partner))
            m_helper.SetCourseNode(&rules->cls->GetTable(true), partner, room, node, 0);
    m_helper.SetCourseNode(&plan.cls->GetTable(true), plan.plan, room, node, 0);
    if (record)
        m_steps.push_back({true, &plan, node, room});
}

void Repair::Remove(const CPlanRules& plan, const tagTABLE_NODE& node, bool record)
{
    CCourseTable& table = plan.cls->GetTable(true);
    CCourseTableNode& cell = table.GetNode(node);
    if (record)
        m_steps.push_back({false, &plan, node, cell.GetRoomId(1)});
    m_helper.RemoveCourseWithPartners(&table, &cell, node, 0);
}

void Repair::Undo(std::size_t mark, std::size_t lockMark)
{
    while (m_steps.size() > mark) {
        const Step step = std::move(m_steps.back());
        m_steps.pop_back();
        if (step.placed)
            Remove(*step.plan, step.node, false);
        else
            Put(*step.plan, step.node, step.room, false);
    }
    m_locked.resize(lockMark);
}

// Moves the lessons in the way, puts the unit there and places each moved lesson again one level
// down; undoes it all when one of them finds no place.
bool Repair::TryAt(const Unit& unit, const tagTABLE_NODE& first, int depth)
{
    std::vector<InTheWay>& inTheWay = m_inTheWay[static_cast<std::size_t>(depth)];
    if (!CollectInTheWay(unit, first, inTheWay))
        return false;
    const std::size_t mark = m_steps.size();
    const std::size_t lockMark = m_locked.size();
    for (const InTheWay& lesson : inTheWay)
        for (int i = 0; i < lesson.unit.length; ++i)
            if (lesson.unit.plan->cls->GetTable(true).IsUsed(Shifted(lesson.first, i)))
                Remove(*lesson.unit.plan, Shifted(lesson.first, i), true);
    if (!CanPut(unit, first)) {
        Undo(mark, lockMark);
        return false;
    }
    for (int i = 0; i < unit.length; ++i) {
        Put(*unit.plan, Shifted(first, i), unit.room, true);
        m_locked.emplace_back(GroupOf(*unit.plan), SlotOf(Shifted(first, i)));
    }
    // Nested calls work on the lists one level down, so this level's list stays as it is.
    for (const InTheWay& lesson : inTheWay) {
        if (depth == 0 || !Place(lesson.unit, depth - 1)) {
            Undo(mark, lockMark);
            return false;
        }
    }
    return true;
}

}  // namespace

int RepairLostLessons(CTaskHelper& helper, const CAutoRange* range, const LostLessonRepairBounds& bounds)
{
    CScheduleTask* task = helper.GetTask();
    if (!task)
        return 0;
    CReportInfo::CourseLostMap& lost = task->GetLastReportInfo().GetTempCourseLostInfo();
    CPlacementRules& rules = *helper.GetRules();
    Repair repair(helper, range, bounds);
    int placed = 0;
    std::vector<std::string> emptied;
    for (auto& [planId, count] : lost) {
        if (helper.IsStopping())
            break;
        // A combined class's lost lesson is listed under each of its plans; the tries place those.
        if (task->GetCC(planId))
            continue;
        CCourseInfo* plan = task->FindCourse(planId);
        const CPlanRules* planRules = plan ? rules.Plan(plan) : nullptr;
        if (!planRules)
            continue;
        int left = count.GetWholeCount();
        while (left > 0 && repair.PlaceLost(*planRules)) {
            --left;
            ++placed;
        }
        if (left == count.GetWholeCount())
            continue;
        count.SetWholeCount(left);
        if (count.IsEmpty())
            emptied.push_back(planId);
    }
    for (const std::string& planId : emptied)
        lost.erase(planId);
    if (placed > 0 && CLog::inst()->IsEnabled())
        CLog::inst()->Log("repair", "placed %d lost lessons", placed);
    return placed;
}
