// Odd/even-week pairs: two half-lesson plans of one class share one slot, one in odd weeks and the
// other in even weeks. Each try pairs the user's teams first, then whatever it can, and places each
// pair as one merged half lesson ahead of every other plan.
#include "core/Engine.h"

#include "base/Log.h"

#include <algorithm>

namespace {

// A new id for a merged course: 32 hexadecimal digits in the form of a random UUID, drawn from the
// run's generator so that a seed repeats the run.
void NewMergedId(CoreRandom& random, std::string& id)
{
    static const char kDigits[] = "0123456789ABCDEF";
    id.assign(32, '0');
    for (char& c : id)
        c = kDigits[random() & 15];
    id[12] = '4';
    id[16] = kDigits[8 + (random() & 3)];
}

}  // namespace

void CAutoScheduler::PreparePairs()
{
    m_pairCount = 0;
    ListHalves();
    PairTeams();
    OrderBySubjectFrequency();
    PairInOrder();
    // The merged lessons go first, in the order the pairs were made.
    m_work.insert(m_work.begin(), static_cast<std::size_t>(m_pairCount), CWorkItem{});
    for (int i = 0; i < m_pairCount; ++i)
        m_work[i] = {-1, i};
}

// Half lessons still to place: main subjects first, each group in work-list order.
void CAutoScheduler::ListHalves()
{
    m_halves.clear();
    for (const bool mainPass : {true, false})
        for (const CWorkItem& item : m_work) {
            const CPlanState& plan = m_plans[item.plan];
            if (plan.remaining.HasHalfNode() && !plan.done && plan.course->IsMainCourse() == mainPass)
                m_halves.push_back(item.plan);
        }
}

void CAutoScheduler::MakePair(int odd, int even)
{
    if (m_pairCount == static_cast<int>(m_pairs.size()))
        m_pairs.emplace_back();
    COddEvenPair& pair = m_pairs[m_pairCount++];
    NewMergedId(m_random, pair.mergedId);
    pair.half = true;
    pair.mergedFrom = even;
    pair.oddPlan = odd;
    pair.evenPlan = even;
    pair.oddId = &m_plans[odd].course->GetId();
    pair.evenId = &m_plans[even].course->GetId();
    m_plans[odd].paired = true;
    m_plans[even].paired = true;
}

// The user's teams, each of whose halves is still to place; their halves leave the list.
void CAutoScheduler::PairTeams()
{
    auto takeHalf = [&](zem::IdHandle id) {
        for (auto it = m_halves.begin(); it != m_halves.end(); ++it)
            if (m_plans[*it].id == id) {
                const int plan = *it;
                m_halves.erase(it);
                return plan;
            }
        return -1;
    };
    for (const auto& [oddId, evenId] : m_teams) {
        const int odd = takeHalf(oddId);
        const int even = takeHalf(evenId);
        if (odd >= 0 && even >= 0)
            MakePair(odd, even);
    }
}

// The most frequent subjects first; within one frequency the order turns round.
void CAutoScheduler::OrderBySubjectFrequency()
{
    for (int plan : m_halves)
        ++m_subjectCounts[m_plans[plan].subjectIndex];
    m_keyed.clear();
    for (std::size_t i = 0; i < m_halves.size(); ++i)
        m_keyed.emplace_back(m_subjectCounts[m_plans[m_halves[i]].subjectIndex], static_cast<int>(i));
    std::sort(m_keyed.begin(), m_keyed.end(), std::greater<>());
    m_ordered.clear();
    for (const auto& [count, position] : m_keyed)
        m_ordered.push_back(m_halves[position]);
    for (int plan : m_halves)
        m_subjectCounts[m_plans[plan].subjectIndex] = 0;
}

// A plan whose combined class already has a paired plan is not paired again.
bool CAutoScheduler::IsPartnerPaired(int plan) const
{
    for (int partner : m_plans[plan].partners)
        if (m_plans[partner].paired)
            return true;
    return false;
}

// Each plan in turn with the next one of its class and kind in another subject, alternating each
// teacher's sides.
void CAutoScheduler::PairInOrder()
{
    std::fill(m_lastSide.begin(), m_lastSide.end(), 0);  // per teacher: 1 odd, 2 even
    const std::size_t count = m_ordered.size();
    m_taken.assign(count, 0);
    std::size_t left = count;
    CLog* log = CLog::inst();
    for (std::size_t first = 0; left > 1; ++first) {
        if (m_taken[first])
            continue;
        m_taken[first] = 1;
        --left;
        const int a = m_ordered[first];
        if (IsPartnerPaired(a))
            continue;
        const CPlanState& planA = m_plans[a];
        std::size_t found = first + 1;
        for (; found < count; ++found) {
            if (m_taken[found])
                continue;
            const int b = m_ordered[found];
            const CPlanState& planB = m_plans[b];
            if (!IsPartnerPaired(b) && planB.classIndex == planA.classIndex &&
                planB.course->GetType() == planA.course->GetType() && planB.subjectIndex != planA.subjectIndex)
                break;
        }
        if (found == count)
            continue;
        const int b = m_ordered[found];
        const CPlanState& planB = m_plans[b];
        int odd = a;
        int even = b;
        const int sideA = m_lastSide[planA.teacherIndex];
        if (sideA == 1 || (sideA == 0 && m_lastSide[planB.teacherIndex] == 2)) {
            odd = b;
            even = a;
        }
        m_lastSide[planA.teacherIndex] = odd == a ? 1 : 2;
        m_lastSide[planB.teacherIndex] = odd == b ? 1 : 2;
        MakePair(odd, even);
        m_taken[found] = 1;
        --left;
        if (log->IsEnabled())
            log->Log("oe", "OEGroup: %s %s", m_task->GetCourseDesc(m_plans[odd].course).c_str(),
                     m_task->GetCourseDesc(m_plans[even].course).c_str());
    }
}

void CAutoScheduler::RemovePairs()
{
    std::erase_if(m_work, [](const CWorkItem& item) { return item.pair >= 0; });
    for (int i = 0; i < m_pairCount; ++i) {
        m_plans[m_pairs[i].oddPlan].paired = false;
        m_plans[m_pairs[i].evenPlan].paired = false;
    }
    m_pairCount = 0;
}
