// Placing one plan: a working table of the slots it cannot use, its lessons put at the chosen start
// slots in blocks, and the result written into every table that shows it and carried over to the
// partners of its combined class. Also the odd/even pairs, placed as one merged half lesson.
#include "core/Engine.h"

#include "base/Log.h"
#include "platform/Text.h"

namespace {

constexpr int kDaySlots = zem::kSegmentCount * zem::kSectionCount;

tagTABLE_NODE NodeOf(int slot) { return NodeOfSlot(slot); }

// Whether a lesson in another table keeps this one off the slot. For one half of the weeks, a
// split cell whose half for those weeks is empty does not.
bool Blocks(const CCourseTable& table, int slot, int mode)
{
    if (table.GetValues()[slot] == CTimeTable::kFree)
        return false;
    if (mode != 1 && mode != 2)
        return true;
    const tagTABLE_NODE node = NodeOf(slot);
    const CCourseTableNode& cell = table.GetNode(node);
    return !(cell.IsInterleave() && !cell.data(mode).HasCourse());
}

// Calls visit(slot, cell) for every used slot of the table, in slot order.
template <class Visit>
void ForEachUsed(const CCourseTable& table, Visit visit)
{
    const CTimeTable::Status* values = table.GetValues();
    ForEachTakenSlot(values, [&](int slot) {
        if (CTimeTable::IsUsedStatus(values[slot]))
            visit(slot, table.GetNode(NodeOf(slot)));
    });
}

template <class Visit>
void ForEachUsed(const CWorkTable& table, Visit visit)
{
    for (int slot : table.filled)
        if (table.IsUsed(slot))
            visit(slot, table.cells[slot]);
}

bool Shares(const std::vector<CTeacherInfo*>& a, const std::vector<CTeacherInfo*>& b)
{
    for (const CTeacherInfo* teacher : a)
        if (std::find(b.begin(), b.end(), teacher) != b.end())
            return true;
    return false;
}

// Plans of one combined class give one lesson.
bool Together(const CPlanState& a, const CPlanState& b) { return a.combined && a.combined == b.combined; }

}  // namespace

// ---- CWorkTable

void CWorkTable::Reset()
{
    for (int slot : filled)
        cells[slot].Clear();
    filled.clear();
    values.fill(CTimeTable::kFree);
}

void CWorkTable::Fill(int slot, CTimeTable::Status value, const CCourseTableNode& cell)
{
    values[slot] = value;
    cells[slot] = cell;
    filled.push_back(slot);
}

// ---- Placing

CWeekCount CAutoScheduler::PlaceCourse(const CWorkItem& item)
{
    CPlanState* plan = item.plan >= 0 ? &m_plans[item.plan] : nullptr;
    COddEvenPair* pair = item.pair >= 0 ? &m_pairs[item.pair] : nullptr;
    CWeekCount remaining = plan ? plan->remaining : CWeekCount(0, pair->half);
    if (remaining.IsEmpty() || (plan && plan->done))
        return {};

    CWorkTable& table = m_table;
    table.Reset();
    m_closed.fill(0);
    if (pair) {
        // Every lesson the pair's slot will take, partners' pairs included, must fit there.
        CollectPairMembers(*pair);
        // Lessons of the slot that would book one teacher or class twice, or want more of a room
        // than it has: the pair is not placed as one, and its halves go on alone later.
        if (MembersClash() || !CloseRoomsTooSmall())
            return {};
        for (const auto& [member, mode] : m_members) {
            MarkUnusable(m_plans[member], mode);
            // The merged lesson knows nothing of the members' own lessons: a day where one of them
            // is at its most already takes no half lesson of it.
            const CPlanState& state = m_plans[member];
            const CCourseTable& held = state.course->GetTempTable();
            for (int day : m_daysInUse)
                if (held.IsDayUsed(day, std::max(1, state.dayMax)))
                    CloseDay(day);
        }
    } else {
        MarkUnusable(*plan, 0);
    }
    for (int slot = 0; slot < zem::kSlotCount; ++slot)
        table.values[slot] = m_closed[slot] ? CTimeTable::kInvalid : CTimeTable::kFree;
    // Lessons it holds already (presets, lessons a partner brought over). A merged course holds none.
    if (plan) {
        const CCourseTable& own = plan->course->GetTempTable();
        ForEachUsed(own, [&](int slot, const CCourseTableNode& cell) {
            if (m_slotInUse[slot])
                table.Fill(slot, own.GetValues()[slot], cell);
        });
    }

    PlaceLessons(item, remaining);
    std::sort(table.filled.begin(), table.filled.end());

    if (pair) {
        // A merged half lesson that finds no slot is no loss: its halves go on alone later.
        PlacePair(*pair);
        return {};
    }
    WriteCourseTable(*plan, table);
    SyncPartners(*plan, table);
    plan->remaining = remaining;
    plan->done = true;
    if (!remaining.IsEmpty())
        m_task->GetLastReportInfo().AddTempCourseLostInfo(plan->course->GetId(), remaining);
    return remaining;
}

void CAutoScheduler::MarkUnusable(const CPlanState& plan, int mode)
{
    for (int slot = 0; slot < zem::kSlotCount; ++slot)
        m_closed[slot] |= plan.fixedClosed[slot];
    if (plan.cls)
        CloseBusySlots(plan.cls->GetTempTable(), 0);
    for (const CTeacherInfo* teacher : plan.teachers)
        CloseBusySlots(teacher->GetTempTable(), mode);
    if (plan.room)
        CloseFullRoomSlots(plan.room->GetComplexTable());
    for (const CClassInfo* cls : plan.partnerClasses)
        CloseBusySlots(cls->GetTempTable(), 0);
    for (const CTeacherInfo* teacher : plan.mutexTeachers)
        CloseBusySlots(teacher->GetTempTable(), 0);
    for (int other : plan.mutexSubjectPlans)
        CloseDaysWithLessons(m_plans[other].course->GetTempTable(), mode);
}

// The week closes days out of use whole; only the days in use need looking at.
void CAutoScheduler::CloseBusySlots(const CCourseTable& busy, int busyMode)
{
    const CTimeTable::Status* values = busy.GetValues();
    if (busyMode != 1 && busyMode != 2) {
        for (int slot = 0; slot < zem::kSlotCount; ++slot)
            m_closed[slot] |= static_cast<std::uint8_t>(values[slot] != CTimeTable::kFree) & m_slotInUse[slot];
        return;
    }
    for (int slot = 0; slot < zem::kSlotCount; ++slot)
        if (m_slotInUse[slot] && Blocks(busy, slot, busyMode))
            m_closed[slot] = 1;
}

// The room's slots where every place is taken (its merged table's full slots, without building it).
void CAutoScheduler::CloseFullRoomSlots(const CComplexTable& places)
{
    const int count = static_cast<int>(places.GetCount());
    if (count == 0)
        return;
    std::uint8_t full[zem::kSlotCount];
    std::memcpy(full, m_slotInUse.data(), sizeof full);
    for (int i = 0; i < count; ++i) {
        const CTimeTable::Status* values = places.Enum(true, i)->GetValues();
        for (int slot = 0; slot < zem::kSlotCount; ++slot)
            full[slot] &= static_cast<std::uint8_t>(CTimeTable::IsUsedStatus(values[slot]));
    }
    for (int slot = 0; slot < zem::kSlotCount; ++slot)
        m_closed[slot] |= full[slot];
}

// No day with a lesson of an exclusive subject.
void CAutoScheduler::CloseDaysWithLessons(const CCourseTable& busy, int mode)
{
    for (int day : m_daysInUse) {
        const int first = SlotOf(day, 0, 0);
        for (int slot = first; slot < first + kDaySlots; ++slot)
            if (Blocks(busy, slot, mode)) {
                CloseDay(day);
                break;
            }
    }
}

void CAutoScheduler::CloseDay(int day) { std::fill_n(&m_closed[SlotOf(day, 0, 0)], kDaySlots, 1); }

void CAutoScheduler::PlaceLessons(const CWorkItem& item, CWeekCount& remaining)
{
    const CPlanState* plan = item.plan >= 0 ? &m_plans[item.plan] : nullptr;
    const COddEvenPair* pair = item.pair >= 0 ? &m_pairs[item.pair] : nullptr;
    const CCourseInfo* course = plan ? plan->course : m_plans[pair->mergedFrom].course;
    // A merged lesson's cells only mark where it goes; the pair's halves get their own.
    const zem::IdHandle courseId = plan ? plan->id : m_plans[pair->evenPlan].id;
    const zem::IdHandle roomId = plan ? plan->roomHandle : zem::kNoId;
    CWorkTable& table = m_table;

    int n = std::max(1, course->GetContinuousNodes());
    if (remaining.GetWholeCount() < n)
        n = std::max(1, remaining.GetWholeCount());
    const int extraSingles = plan ? plan->extraSingles : 0;
    int candidates[zem::kDayCount];
    while (!remaining.IsEmpty()) {
        const int count = ChooseNodes(item, n, candidates);
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
                const int slot = SlotOf(day, segment, section + i);
                CCourseTableNode& cell = table.cells[slot];
                table.filled.push_back(slot);
                cell.data(1) = CCourseTableNode::NodeData(courseId, roomId, -1);
                if (remaining.GetWholeCount() > 0) {
                    table.values[slot] = CTimeTable::kFullUsed;
                    remaining = remaining - CWeekCount(1, false);
                } else {
                    table.values[slot] = CTimeTable::kHalfUsed;
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

// The engine's own SetCourseNode: the plan's lookups were made once for the run.
void CAutoScheduler::SetCourseNode(CPlanState& plan, zem::IdHandle roomId, int slot, int oddEven)
{
    CRoomInfo* room = nullptr;
    if (roomId != zem::kNoId) {
        auto [it, added] = m_roomOf.try_emplace(roomId, nullptr);
        if (added)
            it->second = m_task->GetRoom(zem::IdText(roomId));
        room = it->second;
    }
    m_task->SetCourseNode(plan.targets, room, roomId, true, NodeOf(slot), oddEven);
}

template <class Table>
void CAutoScheduler::WriteCourseTable(CPlanState& plan, const Table& table)
{
    ForEachUsed(table, [&](int slot, const CCourseTableNode& cell) {
        const int oddEven = cell.GetOddEven(plan.id);
        SetCourseNode(plan, cell.GetRoomHandle(oddEven), slot, oddEven);
    });
}

template <class Table>
void CAutoScheduler::SyncPartners(CPlanState& plan, const Table& table)
{
    for (int index : plan.partners) {
        CPlanState& partner = m_plans[index];
        if (partner.done)
            continue;
        CCourseTable& partnerTable = partner.course->GetTempTable();
        ForEachUsed(table, [&](int slot, const CCourseTableNode& cell) {
            const int oddEven = cell.GetOddEven(plan.id);
            const int roomIndex = cell.IsInterleave() && oddEven == 2 ? cell.data(2).GetRoomIndex()
                                                                      : cell.data(1).GetRoomIndex();
            CScheduleTask::SetTableNode(
                &partnerTable, CCourseTableNode::NodeData(partner.id, cell.GetRoomHandle(oddEven), roomIndex),
                NodeOf(slot), oddEven);
        });
        // From what it holds now, so lessons it had already are not subtracted twice.
        partner.remaining = partner.saved - HeldLessons(partner);
        if (partner.remaining.IsEmpty())
            partner.done = true;
        WriteCourseTable(partner, partnerTable);
    }
}

// Outside the range and for presets the engine writes from tables of the task.
template void CAutoScheduler::WriteCourseTable(CPlanState&, const CCourseTable&);
template void CAutoScheduler::SyncPartners(CPlanState&, const CCourseTable&);

CWeekCount CAutoScheduler::HeldLessons(const CPlanState& plan) const
{
    int whole = 0;
    int halves = 0;
    ForEachUsed(plan.course->GetTempTable(), [&](int, const CCourseTableNode& cell) {
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

// Two lessons of the pair's slot in one half of the weeks, not of one combined class, with one
// class, one teacher, or teachers who may not teach at once.
bool CAutoScheduler::MembersClash() const
{
    for (std::size_t i = 0; i < m_members.size(); ++i)
        for (std::size_t j = i + 1; j < m_members.size(); ++j) {
            const CPlanState& a = m_plans[m_members[i].first];
            const CPlanState& b = m_plans[m_members[j].first];
            if (m_members[i].second != m_members[j].second || Together(a, b))
                continue;
            if ((a.cls && a.cls == b.cls) || Shares(a.teachers, b.teachers) || Shares(a.mutexTeachers, b.teachers) ||
                Shares(b.mutexTeachers, a.teachers))
                return true;
        }
    return false;
}

// A room that lessons of several combined classes or plans of the slot want in one half needs a
// free place for each: slots with fewer are closed. False when the room has too few places at all.
bool CAutoScheduler::CloseRoomsTooSmall()
{
    auto sameUse = [&](std::size_t i, std::size_t j) {
        const CPlanState& a = m_plans[m_members[i].first];
        const CPlanState& b = m_plans[m_members[j].first];
        return a.room == b.room && m_members[i].second == m_members[j].second;
    };
    for (std::size_t i = 0; i < m_members.size(); ++i) {
        const CRoomInfo* room = m_plans[m_members[i].first].room;
        bool first = room != nullptr;
        for (std::size_t j = 0; first && j < i; ++j)
            first = !sameUse(i, j);
        if (!first)
            continue;
        // How many lessons of this room and half: one for each combined class or plan.
        int wanted = 0;
        for (std::size_t j = i; j < m_members.size(); ++j) {
            if (!sameUse(i, j))
                continue;
            bool counted = false;
            for (std::size_t k = i; !counted && k < j; ++k)
                counted = sameUse(i, k) && Together(m_plans[m_members[j].first], m_plans[m_members[k].first]);
            wanted += !counted;
        }
        if (wanted < 2)
            continue;
        const CComplexTable& places = room->GetComplexTable();
        const int count = static_cast<int>(places.GetCount());
        if (count < wanted)
            return false;
        for (int slot = 0; slot < zem::kSlotCount; ++slot) {
            int free = 0;
            for (int place = 0; place < count; ++place)
                free += places.Enum(true, place)->GetValues()[slot] == CTimeTable::kFree;
            if (free < wanted)
                m_closed[slot] = 1;
        }
    }
    return true;
}

COddEvenPair* CAutoScheduler::FindPairOf(const std::string& courseId)
{
    for (int i = 0; i < m_pairCount; ++i) {
        COddEvenPair& pair = m_pairs[i];
        if (zem::EqualsNoCase(*pair.oddId, courseId) || zem::EqualsNoCase(*pair.evenId, courseId))
            return &pair;
    }
    return nullptr;
}

bool CAutoScheduler::IsVisited(const std::string& id) const
{
    for (const std::string* visited : m_visited)
        if (zem::EqualsNoCase(*visited, id))
            return true;
    return false;
}

void CAutoScheduler::PlacePair(COddEvenPair& pair)
{
    for (int slot : m_table.filled)
        if (m_table.IsUsed(slot)) {
            m_visited.clear();
            PlacePairOnNode(pair, NodeOf(slot));
            return;
        }
}

void CAutoScheduler::PlacePairOnNode(COddEvenPair& pair, const tagTABLE_NODE& node)
{
    if (IsVisited(pair.mergedId) || pair.oddPlan < 0 || pair.evenPlan < 0)
        return;
    CLog* log = CLog::inst();
    if (log->IsEnabled())
        log->Log("schedule", "OE: %s, %s, %s", m_task->GetCourseDesc(m_plans[pair.oddPlan].course).c_str(),
                 m_task->GetCourseDesc(m_plans[pair.evenPlan].course).c_str(), m_task->GetTimeNodeDesc(&node).c_str());
    m_visited.push_back(&pair.mergedId);
    PutOnNode(m_plans[pair.oddPlan], node, 1);
    PutOnNode(m_plans[pair.evenPlan], node, 2);
    pair.half = false;
}

void CAutoScheduler::PutOnNode(CPlanState& plan, const tagTABLE_NODE& node, int mode)
{
    const std::string& id = plan.course->GetId();
    if (IsVisited(id))
        return;
    CCourseTable& table = plan.course->GetTempTable();
    CScheduleTask::SetTableNode(&table, CCourseTableNode::NodeData(plan.id, plan.roomHandle, -1), node, mode);
    WriteCourseTable(plan, table);
    plan.remaining.SetHalf(false);
    m_visited.push_back(&id);

    for (int index : plan.partners) {
        CPlanState& friendPlan = m_plans[index];
        // A partner that needs nothing more (outside the range, or complete) is left alone.
        if (friendPlan.done || IsVisited(friendPlan.course->GetId()))
            continue;
        CLog* log = CLog::inst();
        if (log->IsEnabled())
            log->Log("schedule", "friend: %s", m_task->GetCourseDesc(friendPlan.course).c_str());
        if (COddEvenPair* other = FindPairOf(friendPlan.course->GetId())) {
            if (other->SideOf(friendPlan.course->GetId()) != mode)
                other->Swap();
            PlacePairOnNode(*other, node);
        } else {
            PutOnNode(friendPlan, node, mode);
        }
    }
}
