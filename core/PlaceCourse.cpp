// Placing one plan: a working table of the slots it cannot use, its lessons put at the chosen start
// slots in blocks, and the result written into every table that shows it and carried over to the
// partners of its combined class. Also the odd/even pairs, placed as one merged half lesson.
#include "core/Engine.h"

#include "base/Log.h"
#include "platform/Text.h"

namespace {

// Whether a lesson in another table keeps this one off the slot. For one half of the weeks, a
// split cell whose half for those weeks is empty does not.
bool Blocks(const CCourseTable& table, int day, int segment, int section, int mode)
{
    if (table.GetValue(day, segment, section) == CTimeTable::kFree)
        return false;
    if (mode != 1 && mode != 2)
        return true;
    const CCourseTableNode& cell = table.GetNode(day, segment, section);
    return !(cell.IsInterleave() && !cell.data(mode).HasCourse());
}

// Closes the slots the mask closes.
void CloseSlots(CCourseTable& table, const CTimeTable& mask)
{
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (mask.IsInvalid(day, segment, section))
                    table.SetValue(day, segment, section, CTimeTable::kInvalid);
}

// Calls visit(node, cell) for every used slot of the table, in day, segment, section order.
template <class Visit>
void ForEachUsed(const CCourseTable& table, Visit visit)
{
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (table.IsUsed(day, segment, section))
                    visit(tagTABLE_NODE{day, segment, section}, table.GetNode(day, segment, section));
}

bool IsVisited(const std::vector<std::string>& visited, const std::string& id)
{
    for (const std::string& v : visited)
        if (zem::EqualsNoCase(v, id))
            return true;
    return false;
}

}  // namespace

CWeekCount CAutoScheduler::PlaceCourse(const CWorkItem& item)
{
    CPlanState* plan = item.plan >= 0 ? &m_plans[item.plan] : nullptr;
    COddEvenPair* pair = item.pair >= 0 ? m_pairs[item.pair].get() : nullptr;
    CCourseInfo* course = plan ? plan->course : pair->merged.get();
    CWeekCount remaining = plan ? plan->remaining : course->GetWeekCount();
    if (remaining.IsEmpty() || (plan && plan->done))
        return {};

    CCourseTable& table = m_table;
    table.Clear();
    if (pair) {
        // Every lesson the pair's slot will take, partners' pairs included, must fit there.
        CollectPairMembers(*pair);
        for (const auto& [member, mode] : m_members) {
            MarkUnusable(table, m_plans[member], mode);
            // The merged lesson knows nothing of the members' own lessons: a day where one of them
            // is at its most already takes no half lesson of it.
            const CPlanState& state = m_plans[member];
            const CCourseTable& held = state.course->GetTempTable();
            for (int day : m_daysInUse)
                if (held.IsDayUsed(day, std::max(1, state.dayMax)))
                    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                        for (int section = 0; section < zem::kSectionCount; ++section)
                            table.SetValue(day, segment, section, CTimeTable::kInvalid);
        }
    } else {
        MarkUnusable(table, *plan, 0);
    }
    // Lessons it holds already (presets, lessons a partner brought over).
    const CCourseTable& own = course->GetTempTable();
    for (int day : m_daysInUse)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (own.IsUsed(day, segment, section)) {
                    table.SetValue(day, segment, section, own.GetValue(day, segment, section));
                    table.GetNode(day, segment, section) = own.GetNode(day, segment, section);
                }

    PlaceLessons(item, table, remaining);

    if (pair) {
        // A merged half lesson that finds no slot is no loss: its halves go on alone later.
        PlacePair(*pair, table);
        return {};
    }
    WriteCourseTable(*plan, table);
    SyncPartners(*plan, table);
    plan->remaining = remaining;
    plan->done = true;
    if (!remaining.IsEmpty())
        m_task->GetLastReportInfo().AddTempCourseLostInfo(course->GetId(), remaining);
    return remaining;
}

void CAutoScheduler::MarkUnusable(CCourseTable& table, const CPlanState& plan, int mode) const
{
    CloseSlots(table, plan.fixedMask);
    if (plan.cls)
        CloseBusySlots(table, plan.cls->GetTempTable(), 0);
    for (const CTeacherInfo* teacher : plan.teachers)
        CloseBusySlots(table, teacher->GetTempTable(), mode);
    if (plan.room)
        CloseFullRoomSlots(table, plan.room->GetComplexTable());
    for (const CClassInfo* cls : plan.partnerClasses)
        CloseBusySlots(table, cls->GetTempTable(), 0);
    for (const CTeacherInfo* teacher : plan.mutexTeachers)
        CloseBusySlots(table, teacher->GetTempTable(), 0);
    for (int other : plan.mutexSubjectPlans)
        CloseDaysWithLessons(table, m_plans[other].course->GetTempTable(), mode);
}

// The week closes days out of use whole; only the days in use need looking at.
void CAutoScheduler::CloseBusySlots(CCourseTable& table, const CCourseTable& busy, int busyMode) const
{
    for (int day : m_daysInUse)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (Blocks(busy, day, segment, section, busyMode))
                    table.SetValue(day, segment, section, CTimeTable::kInvalid);
}

// The room's slots where every place is taken (its merged table's full slots, without building it).
void CAutoScheduler::CloseFullRoomSlots(CCourseTable& table, const CComplexTable& places) const
{
    const int count = static_cast<int>(places.GetCount());
    if (count == 0)
        return;
    for (int day : m_daysInUse)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section) {
                int used = 0;
                for (int i = 0; i < count; ++i)
                    used += places.Enum(true, i)->IsUsed(day, segment, section);
                if (used == count)
                    table.SetValue(day, segment, section, CTimeTable::kInvalid);
            }
}

// No day with a lesson of an exclusive subject.
void CAutoScheduler::CloseDaysWithLessons(CCourseTable& table, const CCourseTable& busy, int mode) const
{
    for (int day : m_daysInUse) {
        bool used = false;
        for (int segment = 0; segment < zem::kSegmentCount && !used; ++segment)
            for (int section = 0; section < zem::kSectionCount && !used; ++section)
                used = Blocks(busy, day, segment, section, mode);
        if (used)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section)
                    table.SetValue(day, segment, section, CTimeTable::kInvalid);
    }
}

void CAutoScheduler::PlaceLessons(const CWorkItem& item, CCourseTable& table, CWeekCount& remaining)
{
    const CPlanState* plan = item.plan >= 0 ? &m_plans[item.plan] : nullptr;
    const COddEvenPair* pair = item.pair >= 0 ? m_pairs[item.pair].get() : nullptr;
    const CCourseInfo* course = plan ? plan->course : pair->merged.get();
    // A merged lesson's cells only mark where it goes; the pair's halves get their own.
    const zem::IdHandle courseId = plan ? plan->id : m_plans[pair->evenPlan].id;
    const zem::IdHandle roomId = plan ? plan->roomHandle : zem::kNoId;

    int n = std::max(1, course->GetContinuousNodes());
    if (remaining.GetWholeCount() < n)
        n = std::max(1, remaining.GetWholeCount());
    const int extraSingles = plan ? plan->extraSingles : 0;
    int candidates[zem::kDayCount];
    while (!remaining.IsEmpty()) {
        const int count = ChooseNodes(item, table, n, candidates);
        if (count == 0) {
            if (n < 2 || extraSingles < 1)
                break;
            --n;
            continue;
        }
        for (int k = 0; k < count && !remaining.IsEmpty(); ++k) {
            if (n > 1 && extraSingles >= remaining.GetWholeCount()) {
                n = 1;  // the rest are single lessons
                break;
            }
            const int day = candidates[k] / 1000;
            const int segment = candidates[k] % 1000 / 10;
            const int section = candidates[k] % 10;
            for (int i = 0; i < n && !remaining.IsEmpty(); ++i) {
                CCourseTableNode& cell = table.GetNode(day, segment, section + i);
                cell.data(1) = CCourseTableNode::NodeData(courseId, roomId, -1);
                if (remaining.GetWholeCount() > 0) {
                    table.SetValue(day, segment, section + i, CTimeTable::kFullUsed);
                    remaining = remaining - CWeekCount(1, false);
                } else {
                    table.SetValue(day, segment, section + i, CTimeTable::kHalfUsed);
                    // Odd or even weeks, at random.
                    if (m_random() & 1) {
                        cell.data(2) = cell.data(1);
                        cell.data(1).Clear();
                    }
                    cell.SetInterleave(true);
                    remaining = remaining - CWeekCount(0, true);
                }
            }
        }
    }
}

void CAutoScheduler::WriteCourseTable(CPlanState& plan, const CCourseTable& table)
{
    ForEachUsed(table, [&](const tagTABLE_NODE& node, const CCourseTableNode& cell) {
        const int oddEven = cell.GetOddEven(plan.id);
        m_task->SetCourseNode(plan.course, cell.GetRoomId(oddEven), true, node, oddEven);
    });
}

void CAutoScheduler::SyncPartners(CPlanState& plan, const CCourseTable& table)
{
    for (int index : plan.partners) {
        CPlanState& partner = m_plans[index];
        if (partner.done)
            continue;
        CCourseTable& partnerTable = partner.course->GetTempTable();
        ForEachUsed(table, [&](const tagTABLE_NODE& node, const CCourseTableNode& cell) {
            const int oddEven = cell.GetOddEven(plan.id);
            const int roomIndex = cell.IsInterleave() && oddEven == 2 ? cell.data(2).GetRoomIndex()
                                                                      : cell.data(1).GetRoomIndex();
            m_task->SetTableNode(&partnerTable, partner.course->GetId(), cell.GetRoomId(oddEven), roomIndex, node,
                                 oddEven);
        });
        // From what it holds now, so lessons it had already are not subtracted twice.
        partner.remaining = partner.saved - HeldLessons(partner);
        if (partner.remaining.IsEmpty())
            partner.done = true;
        WriteCourseTable(partner, partnerTable);
    }
}

CWeekCount CAutoScheduler::HeldLessons(const CPlanState& plan) const
{
    int whole = 0;
    int halves = 0;
    ForEachUsed(plan.course->GetTempTable(), [&](const tagTABLE_NODE&, const CCourseTableNode& cell) {
        if (!cell.IsInterleave())
            whole += cell.data(1).GetCourseHandle() == plan.id;
        else
            halves += (cell.data(1).GetCourseHandle() == plan.id) + (cell.data(2).GetCourseHandle() == plan.id);
    });
    return CWeekCount(whole + halves / 2, halves % 2 != 0);
}

void CAutoScheduler::CollectPairMembers(const COddEvenPair& pair)
{
    // The same walk as placing the pair: both sides, their combined-class partners in the same
    // half, and the pairs of those partners.
    m_members.clear();
    m_pending.assign({{pair.oddPlan, 1}, {pair.evenPlan, 2}});
    auto member = [&](int plan) {
        for (const auto& m : m_members)
            if (m.first == plan)
                return true;
        return false;
    };
    while (!m_pending.empty()) {
        const auto [plan, mode] = m_pending.back();
        m_pending.pop_back();
        if (member(plan))
            continue;
        m_members.emplace_back(plan, mode);
        for (int partner : m_plans[plan].partners) {
            if (m_plans[partner].done || member(partner))
                continue;
            m_pending.emplace_back(partner, mode);
            if (const COddEvenPair* other = FindPairOf(m_plans[partner].course->GetId()))
                m_pending.emplace_back(other->oddPlan == partner ? other->evenPlan : other->oddPlan, 3 - mode);
        }
    }
}

COddEvenPair* CAutoScheduler::FindPairOf(const std::string& courseId)
{
    for (auto& pair : m_pairs)
        if (zem::EqualsNoCase(pair->oddId, courseId) || zem::EqualsNoCase(pair->evenId, courseId))
            return pair.get();
    return nullptr;
}

void CAutoScheduler::PlacePair(COddEvenPair& pair, const CCourseTable& table)
{
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (table.IsUsed(day, segment, section)) {
                    std::vector<std::string> visited;
                    PlacePairOnNode(pair, {day, segment, section}, visited);
                    return;
                }
}

void CAutoScheduler::PlacePairOnNode(COddEvenPair& pair, const tagTABLE_NODE& node, std::vector<std::string>& visited)
{
    if (!pair.merged || IsVisited(visited, pair.merged->GetId()) || pair.oddPlan < 0 || pair.evenPlan < 0)
        return;
    CLog* log = CLog::inst();
    if (log->IsEnabled())
        log->Log("schedule", "OE: %s, %s, %s", m_task->GetCourseDesc(m_plans[pair.oddPlan].course).c_str(),
                 m_task->GetCourseDesc(m_plans[pair.evenPlan].course).c_str(), m_task->GetTimeNodeDesc(&node).c_str());
    visited.push_back(pair.merged->GetId());
    PutOnNode(m_plans[pair.oddPlan], node, 1, visited);
    PutOnNode(m_plans[pair.evenPlan], node, 2, visited);
    pair.merged->GetWeekCount().SetHalf(false);
}

void CAutoScheduler::PutOnNode(CPlanState& plan, const tagTABLE_NODE& node, int mode, std::vector<std::string>& visited)
{
    const std::string& id = plan.course->GetId();
    if (IsVisited(visited, id))
        return;
    CCourseTable& table = plan.course->GetTempTable();
    m_task->SetTableNode(&table, id, plan.roomId, -1, node, mode);
    WriteCourseTable(plan, table);
    plan.remaining.SetHalf(false);
    visited.push_back(id);

    for (int index : plan.partners) {
        CPlanState& friendPlan = m_plans[index];
        // A partner that needs nothing more (outside the range, or complete) is left alone.
        if (friendPlan.done || IsVisited(visited, friendPlan.course->GetId()))
            continue;
        CLog* log = CLog::inst();
        if (log->IsEnabled())
            log->Log("schedule", "friend: %s", m_task->GetCourseDesc(friendPlan.course).c_str());
        if (COddEvenPair* other = FindPairOf(friendPlan.course->GetId())) {
            if (other->SideOf(friendPlan.course->GetId()) != mode)
                other->Swap();
            PlacePairOnNode(*other, node, visited);
        } else {
            PutOnNode(friendPlan, node, mode, visited);
        }
    }
}
