// The passes the engine calls back after a try: lost lessons placed (strictly, moving other lessons
// out of the way, then relaxed), main courses moved towards the forenoon and a teacher's lessons
// in different classes brought together. Every change goes through the swap and placement rules.
#include "app/taskhelper/PlacementRules.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/taskhelper/TaskHelperSlots.h"

#include "base/Log.h"
#include "base/Segment.h"
#include "base/Utility.h"
#include "core/Core.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace {

constexpr int kMaxConcentrateSweeps = 10;

CLog* DebugLog()
{
    CLog* log = CLog::inst();
    return log->IsEnabled() ? log : nullptr;
}

// Which days the timetable has a lesson on.
void DaysWithLessons(const CCourseTable& table, bool (&days)[zem::kDayCount])
{
    constexpr int kDaySlots = zem::kSegmentCount * zem::kSectionCount;
    const CTimeTable::Status* values = table.GetValues();
    for (int day = 0; day < zem::kDayCount; ++day) {
        const CTimeTable::Status* first = values + SlotOf(day, 0, 0);
        // A plan's days are mostly free: a day of free slots is told at a glance.
        std::uint64_t words[4] = {};
        std::memcpy(words, first, kDaySlots);
        days[day] = (words[0] | words[1] | words[2] | words[3]) != 0 &&
                    std::any_of(first, first + kDaySlots, CTimeTable::IsUsedStatus);
    }
}

}  // namespace

bool CTaskHelper::IsClassInRange(const CAutoRange* range, const std::string& classId) const
{
    if (!range)
        return true;
    for (const std::string& id : range->GetClassIds())
        if (zem::EqualsNoCase(id, classId))
            return true;
    return false;
}

// ---- Lost lessons ----

void CTaskHelper::PlaceLostCourses()
{
    if (!m_task)
        return;
    const int sweeps = m_task->GetLastReportInfo().GetTempCourseLostCount().GetWholeCount();
    for (int i = 0; i < sweeps && !IsStopping(); ++i)
        if (!PlaceLostCoursesSweep())
            break;
}

bool CTaskHelper::PlaceLostCoursesSweep() { return PlaceLostEntries(false); }

void CTaskHelper::PlaceLostCoursesRelaxed()
{
    if (m_task && !m_task->GetTaskSetting().GetStrictDistribution())
        PlaceLostEntries(true);
}

// One walk over the lost lessons of the try. The passes place whole lessons: an entry keeps its
// half lesson and goes only when nothing is left. Relaxed placing may give a plan two lessons on
// a day, so the plans it placed are listed as not evenly distributed.
bool CTaskHelper::PlaceLostEntries(bool relaxed)
{
    if (!m_task)
        return false;
    CReportInfo& report = m_task->GetLastReportInfo();
    CReportInfo::CourseLostMap& lost = report.GetTempCourseLostInfo();
    bool changed = false;
    std::vector<std::string> emptied;
    for (auto& [planId, count] : lost) {
        if (IsStopping())
            break;
        if (m_task->GetCC(planId))
            continue;
        const int whole = count.GetWholeCount();
        if (whole <= 0)
            continue;
        const int left = PlaceCourseLessons(planId, whole, relaxed);
        if (left == whole)
            continue;
        if (relaxed)
            AddUniqueString(report.GetTempUnDistributionCourse(), planId);
        count.SetWholeCount(left);
        changed = true;
        if (count.IsEmpty())
            emptied.push_back(planId);
    }
    for (const std::string& planId : emptied)
        lost.erase(planId);
    return changed;
}

int CTaskHelper::PlaceCourseLessons(const std::string& planId, int count, bool relaxed)
{
    if (count < 1)
        return 0;
    CCourseInfo* plan = FindCourse(planId);
    if (!plan)
        return count;
    const std::string room = plan->GetSpecialRoomId();
    // Double periods are completed only when a single lesson is missing.
    if (plan->GetContinuousNodes() > 1 && count > 1)
        return count;
    CCourseTable* table = ClassTableOf(plan);
    if (!table)
        return count;
    m_free.clear();
    ForEachSlot(m_task->GetSchoolStructure(), [&](const tagTABLE_NODE& node) {
        if (table->IsValid(node))
            m_free.push_back(node);
    });
    for (const tagTABLE_NODE& period : m_free) {
        if (count <= 0 || IsStopping())
            break;
        // A displacement fills only its own slot, but never place over a lesson.
        if (!table->IsValid(period))
            continue;
        if (relaxed) {
            if (CanPlace(table, period, 0, plan, room, false)) {
                SetCourseNode(table, plan, room, period, 0);
                --count;
            }
        } else if (PlaceLessonWithDisplacement(3, plan, room, table, period)) {
            --count;
        }
    }
    return count;
}

// What a slot's own rules allow, whatever the timetables hold.
bool CTaskHelper::StaticallyAllowed(const CPlanRules& plan, const tagTABLE_NODE& node)
{
    const int slot = SlotOf(node);
    return slot >= 0 && plan.allowed[slot];
}

// The slots where the plan could still go once the class's lesson there moves away: its rules allow
// the slot, it has no lesson that day, and its teachers are free there or teach that lesson.
// Moving lessons of this class between other slots changes none of this.
void CTaskHelper::ReachableSlots(const CPlanRules& plan, CCourseTable* table, const tagTABLE_NODE& except,
                                 SlotSet& out)
{
    out.reset();
    bool ownDays[zem::kDayCount];
    DaysWithLessons(plan.plan->GetTable(true), ownDays);
    ForEachSlot(m_task->GetSchoolStructure(), [&](const tagTABLE_NODE& node) {
        if (node == except || ownDays[node.day] || !StaticallyAllowed(plan, node))
            return;
        const int slot = SlotOf(node);
        const CCourseTableNode& cell = table->GetNode(node);
        const CPlanRules* there = Rules().PlanOfSlot(cell, 0);
        if (there && there->preset[slot])
            return;
        for (const CTeacherRules* teacher : plan.teachers) {
            for (const CTeacherInfo* other : teacher->exclusive)
                if (other->GetTable(true).IsUsed(node) && !(there && there->mainTeacher == other))
                    return;
            const CCourseTable& busy = teacher->teacher->GetTable(true);
            if (!busy.IsUsed(node))
                continue;
            const zem::IdHandle lesson = busy.GetNode(node).GetCourseHandle(1);
            if (lesson == zem::kNoId || (there && std::find(there->allTeachers.begin(), there->allTeachers.end(),
                                                            teacher->teacher) != there->allTeachers.end()))
                continue;
            if (const CPlanRules* held = Rules().Plan(lesson); held && held->combined && held->combined == plan.combined)
                continue;
            return;
        }
        out.set(slot);
    });
}

// An exchange across days moves lessons of partner classes too: none of them may end up with more
// lessons on its new day than its plan's daily maximum.
bool CTaskHelper::MoveKeepsDayMaximum(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b)
{
    if (a.day == b.day)
        return true;
    TablesMovedWith(table, a, b, m_moved);
    for (const auto& entry : m_moved) {
        const CCourseTableNode& cellA = entry.first->GetNode(a);
        const CCourseTableNode& cellB = entry.first->GetNode(b);
        for (const auto& [from, to, target] : {std::tuple{&cellA, &cellB, b}, std::tuple{&cellB, &cellA, a}}) {
            const CPlanRules* previous = nullptr;
            for (int half = 1; half <= 2; ++half) {
                const CPlanRules* plan = Rules().PlanOfSlot(*from, half);
                if (!plan || plan == previous)
                    continue;
                previous = plan;
                // A lesson of the same plan coming the other way keeps the count.
                if (plan == Rules().PlanOfSlot(*to, 1) || plan == Rules().PlanOfSlot(*to, 2))
                    continue;
                if (plan->plan->GetTable(true).IsDayUsed(target.day, std::max(plan->dayMax, 1)))
                    return false;
            }
        }
    }
    return true;
}

bool CTaskHelper::PlaceLessonAt(CCourseInfo* plan, const std::string& room, CCourseTable* table,
                                const tagTABLE_NODE& period, const tagTABLE_NODE& candidate)
{
    std::vector<std::string> touched;
    MoveNode(table, period, candidate, &touched, nullptr);
    // Checked again after the move: the lesson that went to the free slot may now share the day.
    if (CanPlace(table, candidate, 0, plan, room, false)) {
        SetCourseNode(table, plan, room, candidate, 0);
        return true;
    }
    touched.clear();
    MoveNode(table, period, candidate, &touched, nullptr);
    return false;
}

bool CTaskHelper::PlaceLessonWithDisplacement(int depth, CCourseInfo* plan, const std::string& room,
                                              CCourseTable* table, const tagTABLE_NODE& period)
{
    if (depth <= 1 || !plan || !table || !m_task)
        return false;
    CheckFreeNode(table, period);
    const CCourseTable& own = plan->GetTable(true);
    if (!own.IsDayUsed(period.day, 1) && CanPlace(table, period, 0, plan, room, false)) {
        SetCourseNode(table, plan, room, period, 0);
        return true;
    }

    const CPlanRules& rules = *Rules().Plan(plan);
    SlotSet reachable;
    ReachableSlots(rules, table, period, reachable);
    // The plan's own days, as they stand until the first move below.
    bool ownDays[zem::kDayCount];
    DaysWithLessons(own, ownDays);
    // The nested call can only place directly or after one more move of its own; a nested call
    // that could move again would fail at once, so it is not made.
    const bool deeper = depth - 1 > 1;
    const bool periodUsable = !ownDays[period.day] && StaticallyAllowed(rules, period);
    const std::size_t reachableCount = reachable.count();
    auto worthTrying = [&](const tagTABLE_NODE& candidate) {
        const bool here = reachable[SlotOf(candidate)];
        if (here)
            return true;
        return deeper && (StaticallyAllowed(rules, candidate) || reachableCount > 0 || periodUsable);
    };

    // Nested calls go shallower and never grow the lists, so this one's list stays put under them.
    if (m_candidates.size() <= static_cast<std::size_t>(depth))
        m_candidates.resize(static_cast<std::size_t>(depth) + 1);
    std::vector<tagTABLE_NODE>& candidates = m_candidates[depth];
    candidates.clear();
    ForEachSlot(m_task->GetSchoolStructure(), [&](const tagTABLE_NODE& candidate) {
        if (candidate == period || ownDays[candidate.day] || !worthTrying(candidate))
            return;
        if (const CPlanRules* moved = Rules().PlanOfSlot(table->GetNode(candidate), 0)) {
            const CCourseTable& movedOwn = moved->plan->GetTable(true);
            if (moved->plan->GetContinuousNodes() > 1 && movedOwn.IsDayUsed(candidate.day, 2))
                return;
            if (candidate.day != period.day && movedOwn.IsDayUsed(period.day, 1))
                return;
        }
        if (MoveKeepsDayMaximum(table, period, candidate) && CanSwap(table, period, candidate, false))
            candidates.push_back(candidate);
    });
    OrderCandidatesBySegment(plan->IsMainCourse(), candidates);

    for (const tagTABLE_NODE& candidate : candidates)
        if (reachable[SlotOf(candidate)] && CanPlace(table, candidate, 0, plan, room, false) &&
            PlaceLessonAt(plan, room, table, period, candidate))
            return true;
    if (!deeper)
        return false;
    for (const tagTABLE_NODE& candidate : candidates) {
        if (IsStopping())
            return false;
        std::vector<std::string> touched;
        MoveNode(table, period, candidate, &touched, nullptr);
        CheckFreeNode(table, candidate);
        if (PlaceLessonWithDisplacement(depth - 1, plan, room, table, candidate))
            return true;
        touched.clear();
        MoveNode(table, period, candidate, &touched, nullptr);
        CheckFreeNode(table, period);
    }
    return false;
}

void CTaskHelper::OrderCandidatesBySegment(bool mainCourse, std::vector<tagTABLE_NODE>& periods)
{
    const int preferred = mainCourse ? zem::kForenoon : zem::kAfternoon;
    std::stable_partition(periods.begin(), periods.end(),
                          [preferred](const tagTABLE_NODE& period) { return period.segment == preferred; });
}

void CTaskHelper::CheckFreeNode(const CCourseTable* table, const tagTABLE_NODE& node) const
{
    if (!table)
        return;
    const CCourseTableNode& cell = table->GetNode(node);
    if (cell.data(1).HasCourse() || cell.data(2).HasCourse())
        CLog::inst()->Log("try", "free node error.");
}

// ---- Improvement of a new best try ----

void CTaskHelper::OptimizeRange(CAutoRange* range)
{
    MoveMainCoursesForward(range);
    ConcentrateTeacherLessons(range);
}

void CTaskHelper::MoveMainCoursesForward(CAutoRange* range)
{
    if (!m_task || (range && !range->hasCommon()) || !m_task->GetTaskSetting().GetSortByMainCourseType())
        return;
    const CSchoolStructure& structure = m_task->GetSchoolStructure();
    std::vector<tagTABLE_NODE> early;
    for (CClassInfo* cls : Rules().Classes()) {
        if (IsStopping())
            return;
        if (!IsClassInRange(range, cls->GetId()))
            continue;
        CCourseTable* table = &cls->GetTable(true);
        for (int day = 0; day < zem::kDayCount; ++day) {
            if (!structure.IsDayInUse(day))
                continue;
            early.clear();
            for (int section = 0; section < std::min(2, structure.GetSectionNodeMaxCount(zem::kForenoon)); ++section)
                early.push_back({day, zem::kForenoon, section});
            for (int segment = zem::kAfternoon; segment <= zem::kNight; ++segment)
                if (structure.GetSectionNodeMaxCount(segment) > 0)
                    early.push_back({day, segment, 0});
            for (const tagTABLE_NODE& period : early) {
                const CPlanRules* minor = Rules().PlanOfSlot(table->GetNode(period), 0);
                if (!minor || minor->plan->IsMainCourse() || minor->plan->GetTable(true).IsDayUsed(day, 2))
                    continue;
                // The latest main lesson of the day that may change places with it.
                bool found = false;
                tagTABLE_NODE partner{};
                for (int segment = zem::kNight; segment >= period.segment && !found; --segment) {
                    const int first = segment == period.segment ? period.section + 1 : 0;
                    for (int section = structure.GetSectionNodeMaxCount(segment) - 1; section >= first; --section) {
                        const tagTABLE_NODE candidate{day, segment, section};
                        const CPlanRules* main = Rules().PlanOfSlot(table->GetNode(candidate), 0);
                        if (!main || !main->plan->IsMainCourse() || main->plan->GetTable(true).IsDayUsed(day, 2) ||
                            !CanSwap(table, period, candidate, false))
                            continue;
                        partner = candidate;
                        found = true;
                        break;
                    }
                }
                if (!found)
                    continue;
                std::vector<std::string> touched;
                MoveNode(table, period, partner, &touched, nullptr);
                if (CLog* log = DebugLog())
                    log->Log("try opt", "%s swap %s - %s to optimize", cls->GetName().c_str(),
                             NodeToText(period).c_str(), NodeToText(partner).c_str());
            }
        }
    }
}

void CTaskHelper::ConcentrateTeacherLessons(CAutoRange* range)
{
    if (!m_task || (range && !range->hasCommon()) || !m_task->GetTaskSetting().GetConcentrateByTeacher())
        return;
    const CSchoolStructure& structure = m_task->GetSchoolStructure();
    std::vector<tagTEACHER_LESSON> lessons;
    for (int sweep = 0; sweep < kMaxConcentrateSweeps; ++sweep) {
        bool changed = false;
        for (CTeacherInfo* teacher : Rules().Teachers()) {
            CCourseTable& table = teacher->GetTable(true);
            for (int day = 0; day < zem::kDayCount; ++day) {
                if (IsStopping())
                    return;
                if (!structure.IsDayInUse(day))
                    continue;
                lessons.clear();
                ForEachSlot(structure, {.day = day, .lastSegment = zem::kNight}, [&](const tagTABLE_NODE& node) {
                    if (!table.IsUsed(node))
                        return;
                    if (const CPlanRules* plan = Rules().PlanOfSlot(table.GetNode(node), 0))
                        lessons.push_back({node, plan->plan});
                });
                if (lessons.size() >= 2 && ConcentrateTeacherDay(range, *this, &table, lessons))
                    changed = true;
            }
        }
        if (!changed)
            break;
    }
}

bool ConcentrateTeacherDay(CAutoRange* range, CTaskHelper& helper, CCourseTable* teacherTable,
                           const std::vector<tagTEACHER_LESSON>& lessons)
{
    const bool byMainType = helper.GetTask()->GetTaskSetting().GetSortByMainCourseType();
    for (std::size_t i = 0; i < lessons.size(); ++i) {
        for (std::size_t j = i + 1; j < lessons.size(); ++j) {
            const tagTEACHER_LESSON& a = lessons[i];
            const tagTEACHER_LESSON& b = lessons[j];
            if (b.period.segment == a.period.segment && b.period.section == a.period.section + 1)
                continue;
            if (zem::EqualsNoCase(a.plan->GetClassId(), b.plan->GetClassId()))
                continue;
            if (byMainType && a.plan->IsMainCourse() != b.plan->IsMainCourse() && a.period.segment != b.period.segment)
                continue;
            if (MoveLessonNextTo(range, helper, teacherTable, a, b) || MoveLessonNextTo(range, helper, teacherTable, b, a))
                return true;
        }
    }
    return false;
}

bool HasAdjacentLesson(const CSchoolStructure* structure, const CCourseTable* table, int day, int segment, int section)
{
    if (!structure || !table)
        return false;
    return (section > 0 && table->IsUsed(day, segment, section - 1)) ||
           (section < structure->GetSectionNodeMaxCount(segment) - 1 && table->IsUsed(day, segment, section + 1));
}

bool MoveLessonNextTo(CAutoRange* range, CTaskHelper& helper, CCourseTable* teacherTable, const tagTEACHER_LESSON& r,
                      const tagTEACHER_LESSON& q)
{
    CScheduleTask* task = helper.GetTask();
    if (!task || !teacherTable || !r.plan || !q.plan)
        return false;
    const CSchoolStructure& structure = task->GetSchoolStructure();
    if (HasAdjacentLesson(&structure, teacherTable, q.period.day, q.period.segment, q.period.section))
        return false;
    int targets[2] = {-1, -1};
    for (int section = r.period.section - 1; section >= 0 && targets[0] < 0; --section)
        if (!teacherTable->IsUsed(r.period.day, r.period.segment, section))
            targets[0] = section;
    for (int section = r.period.section + 1;
         section < structure.GetSectionNodeMaxCount(r.period.segment) && targets[1] < 0; ++section)
        if (!teacherTable->IsUsed(r.period.day, r.period.segment, section))
            targets[1] = section;
    CClassInfo* cls = task->GetClass(q.plan->GetClassId());
    if (!cls || !helper.IsClassInRange(range, cls->GetId()))
        return false;
    CCourseTable* classTable = &cls->GetTable(true);
    const bool byMainType = task->GetTaskSetting().GetSortByMainCourseType();
    const bool qFirstOfDay = q.period.segment == zem::kForenoon && q.period.section == 0;
    for (const int section : targets) {
        if (section < 0)
            continue;
        const tagTABLE_NODE target{r.period.day, r.period.segment, section};
        // The first forenoon lesson is kept for main courses.
        if (byMainType && !q.plan->IsMainCourse() && target.segment == zem::kForenoon && target.section == 0)
            continue;
        if (const CCourseInfo* there = task->FindCourse(classTable->GetNode(target).data(1).GetCourseId())) {
            const CTeacherInfo* teacher = task->GetTeacher(there->GetTeacherId());
            if (teacher && HasAdjacentLesson(&structure, &teacher->GetTable(true), target.day, target.segment,
                                             target.section))
                continue;
            if (byMainType && !there->IsMainCourse() && qFirstOfDay)
                continue;
        }
        if (!helper.CanSwap(classTable, q.period, target, false))
            continue;
        std::vector<std::string> touched;
        helper.MoveNode(classTable, q.period, target, &touched, nullptr);
        if (CLog* log = DebugLog())
            log->Log("concentrate", "swap %s %d%d%d -> %d%d%d near %s", task->GetCourseDesc(q.plan).c_str(),
                     q.period.day, q.period.segment, q.period.section, target.day, target.segment, target.section,
                     task->GetCourseDesc(r.plan).c_str());
        return true;
    }
    return false;
}
