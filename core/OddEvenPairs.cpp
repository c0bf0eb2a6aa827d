// Odd/even-week pairs: two half-lesson plans of one class share one slot, one in odd weeks and the
// other in even weeks. Each try pairs the user's teams first, then whatever it can, and places each
// pair as one merged half lesson ahead of every other plan.
#include "core/Engine.h"

#include "base/Log.h"

#include <algorithm>
#include <map>

namespace {

// A new id for a merged course: 32 hexadecimal digits in the form of a random UUID, drawn from the
// run's generator so that a seed repeats the run.
std::string NewMergedId(CoreRandom& random)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string id(32, '0');
    for (char& c : id)
        c = kDigits[random() & 15];
    id[12] = '4';
    id[16] = kDigits[8 + (random() & 3)];
    return id;
}

}  // namespace

void CAutoScheduler::PreparePairs()
{
    m_pairs.clear();
    std::vector<int> halves;
    ListHalves(halves);
    PairTeams(halves);
    std::vector<int> ordered;
    OrderBySubjectFrequency(halves, ordered);
    PairInOrder(ordered);
    // The merged lessons go first, in the order the pairs were made.
    std::vector<CWorkItem> merged;
    for (std::size_t i = 0; i < m_pairs.size(); ++i)
        merged.push_back({-1, static_cast<int>(i)});
    m_work.insert(m_work.begin(), merged.begin(), merged.end());
}

// Half lessons still to place: main subjects first, each group in work-list order.
void CAutoScheduler::ListHalves(std::vector<int>& halves) const
{
    for (const bool mainPass : {true, false})
        for (const CWorkItem& item : m_work) {
            const CPlanState& plan = m_plans[item.plan];
            if (plan.remaining.HasHalfNode() && !plan.done && plan.course->IsMainCourse() == mainPass)
                halves.push_back(item.plan);
        }
}

void CAutoScheduler::MakePair(int odd, int even)
{
    auto pair = std::make_unique<COddEvenPair>();
    pair->merged.reset(m_plans[even].course->Clone());
    pair->merged->SetId(NewMergedId(m_random));
    pair->merged->SetWeekCount(CWeekCount(0, true));
    pair->merged->GetTempTable().Clear();
    pair->oddPlan = odd;
    pair->evenPlan = even;
    pair->oddId = m_plans[odd].course->GetId();
    pair->evenId = m_plans[even].course->GetId();
    m_pairs.push_back(std::move(pair));
}

// The user's teams, each of whose halves is still to place; their halves leave the list.
void CAutoScheduler::PairTeams(std::vector<int>& halves)
{
    auto takeHalf = [&](const std::string& id) {
        for (auto it = halves.begin(); it != halves.end(); ++it)
            if (m_plans[*it].course->GetId() == id) {
                const int plan = *it;
                halves.erase(it);
                return plan;
            }
        return -1;
    };
    for (const COETeam* team : ObjectsInOrder<const COETeam>(m_task->GetOETeamList())) {
        const int odd = takeHalf(team->GetOdd());
        const int even = takeHalf(team->GetEven());
        if (odd >= 0 && even >= 0)
            MakePair(odd, even);
    }
}

// The most frequent subjects first; within one frequency the order turns round.
void CAutoScheduler::OrderBySubjectFrequency(const std::vector<int>& halves, std::vector<int>& ordered) const
{
    std::map<std::string, int> perSubject;
    for (int plan : halves)
        ++perSubject[m_plans[plan].course->GetSubjectId()];
    for (std::size_t f = 1; f <= halves.size(); ++f)
        for (int plan : halves)
            if (perSubject[m_plans[plan].course->GetSubjectId()] == static_cast<int>(f))
                ordered.insert(ordered.begin(), plan);
}

// A plan whose combined class already has a paired plan is not paired again.
bool CAutoScheduler::IsPartnerPaired(int plan) const
{
    for (int partner : m_plans[plan].partners)
        for (const auto& pair : m_pairs)
            if (pair->oddPlan == partner || pair->evenPlan == partner)
                return true;
    return false;
}

// Each plan in turn with the next one of its class and kind in another subject, alternating each
// teacher's sides.
void CAutoScheduler::PairInOrder(std::vector<int>& ordered)
{
    std::map<std::string, int> lastSide;  // teacher id -> 1 odd, 2 even
    auto sideOf = [&](const CCourseInfo* course) {
        auto it = lastSide.find(course->GetTeacherId());
        return it == lastSide.end() ? 0 : it->second;
    };
    CLog* log = CLog::inst();
    while (ordered.size() > 1) {
        const int a = ordered.front();
        ordered.erase(ordered.begin());
        if (IsPartnerPaired(a))
            continue;
        const CCourseInfo* courseA = m_plans[a].course;
        auto found = std::find_if(ordered.begin(), ordered.end(), [&](int b) {
            const CCourseInfo* courseB = m_plans[b].course;
            return !IsPartnerPaired(b) && courseB->GetClassId() == courseA->GetClassId() &&
                   courseB->GetType() == courseA->GetType() && courseB->GetSubjectId() != courseA->GetSubjectId();
        });
        if (found == ordered.end())
            continue;
        const int b = *found;
        const CCourseInfo* courseB = m_plans[b].course;
        int odd = a;
        int even = b;
        const int sideA = sideOf(courseA);
        if (sideA == 1 || (sideA == 0 && sideOf(courseB) == 2)) {
            odd = b;
            even = a;
        }
        lastSide[courseA->GetTeacherId()] = odd == a ? 1 : 2;
        lastSide[courseB->GetTeacherId()] = odd == b ? 1 : 2;
        MakePair(odd, even);
        ordered.erase(found);
        if (log->IsEnabled())
            log->Log("oe", "OEGroup: %s %s", m_task->GetCourseDesc(m_plans[odd].course).c_str(),
                     m_task->GetCourseDesc(m_plans[even].course).c_str());
    }
}

void CAutoScheduler::RemovePairs()
{
    std::erase_if(m_work, [](const CWorkItem& item) { return item.pair >= 0; });
    m_pairs.clear();
}
