// Choosing where a plan's next lessons start: at most one start per day, best days first. Days
// are ordered by room (or the teacher's load when lessons are concentrated), consecutive days are
// pushed apart, full days dropped; within a day the start that stacks least on the plan's own
// periods wins.
#include "core/Engine.h"

#include <cstdlib>
#include <utility>

namespace {

struct Rating {
    const CTimeTable* rated = nullptr;
    const CTimeTable* teacher = nullptr;  // null when not concentrating
    const CSchoolStructure* week = nullptr;
    const std::vector<int>* daysInUse = nullptr;
    CoreRandom* random = nullptr;
    int n = 1;
    const int* candidates = nullptr;
    int found = 0;
    int best = 1000;
    int bestSegment = 0;
    int bestSection = 0;

    void Rate(int day, int segment, int section)
    {
        const CTimeTable& t = *rated;
        for (int j = 0; j < n; ++j)
            if (t.GetValue(day, segment, section + j) != CTimeTable::kFree)
                return;
        const int sections = week->GetSectionNodeMaxCount(segment);
        const bool hasBefore = section > 0;
        const bool hasAfter = section + n < sections;
        // Never right next to its own lessons.
        if ((hasBefore && t.IsUsed(day, segment, section - 1)) || (hasAfter && t.IsUsed(day, segment, section + n)))
            return;
        if (teacher) {
            if (best == -1)
                return;
            // Right beside another lesson of the teacher wins the day.
            if ((hasBefore && teacher->IsUsed(day, segment, section - 1)) ||
                (hasAfter && teacher->IsUsed(day, segment, section + n))) {
                Take(-1, segment, section);
                return;
            }
        }
        // Fewer lessons at the same period on other days, and fewer starts of this round there.
        int score = 0;
        for (int j = 0; j < n; ++j) {
            const int period = segment * 10 + section + j;
            for (int c = 0; c < found; ++c) {
                const int start = candidates[c] % 100;
                score += start <= period && period <= start + n - 1;
            }
            for (int other : *daysInUse)
                score += t.IsUsed(other, segment, section + j);
        }
        if (score > best)
            return;
        if (score == best && (n > 1 || ((*random)() & 1)))
            return;
        Take(score, segment, section);
    }

    void Take(int score, int segment, int section)
    {
        best = score;
        bestSegment = segment;
        bestSection = section;
    }

    void RateSegment(int day, int segment, bool fromStart)
    {
        const int sections = week->GetSectionNodeMaxCount(segment);
        if (fromStart)
            for (int section = 0; section <= sections - n; ++section)
                Rate(day, segment, section);
        else
            for (int section = sections - n; section >= 0; --section)
                Rate(day, segment, section);
    }
};

}  // namespace

int CAutoScheduler::ChooseNodes(const CWorkItem& item, const CCourseTable& table, int n, int* candidates)
{
    const bool merged = item.plan < 0;
    const CPlanState& facts = merged ? m_plans[m_pairs[item.pair]->evenPlan] : m_plans[item.plan];
    const CCourseInfo* course = merged ? m_pairs[item.pair]->merged.get() : facts.course;
    const CSchoolStructure& week = m_task->GetSchoolStructure();
    const CTaskSetting& setting = m_task->GetTaskSetting();
    const CTimeTable* teacher = facts.teacher ? &facts.teacher->GetTempTable() : nullptr;

    int days[zem::kDayCount];
    int inPlay = 0;
    for (int day : m_daysInUse)
        days[inPlay++] = day;
    for (int k = inPlay; k < zem::kDayCount; ++k)
        days[k] = -1;

    const bool concentrate = course->GetType() == COURSE_TYPE_SELF_STUDY ? setting.GetConcentrateSelfstudy()
                                                                          : setting.GetConcentrateByTeacher();
    const bool byTeacher = concentrate && teacher;

    // Days with the most room first; or, concentrating, the teacher's busiest days first.
    int counts[zem::kDayCount];
    const CTimeTable& counted = byTeacher ? *teacher : static_cast<const CTimeTable&>(table);
    for (int k = 0; k < inPlay; ++k)
        counts[k] = counted.GetFreeNodeCount(days[k]);
    for (int k = 0; k < inPlay; ++k) {
        int best = k;
        for (int j = k + 1; j < inPlay; ++j)
            if (byTeacher ? counts[j] < counts[best] : counts[j] > counts[best])
                best = j;
        std::swap(days[k], days[best]);
        std::swap(counts[k], counts[best]);
    }
    // Among days of equal count, consecutive days move apart.
    for (int k = 0; k < inPlay; ++k) {
        int l = k + 1;
        while (l < inPlay && counts[l] == counts[k])
            ++l;
        if (l == k + 1)
            continue;
        int c = k == 0 ? 1 : k;
        while (c < l) {
            if (std::abs(days[c] - days[c - 1]) == 1) {
                std::swap(days[c], days[l - 1]);
                std::swap(counts[c], counts[l - 1]);
                --l;
            } else {
                ++c;
            }
        }
    }
    // Concentrating a teaching plan: days the teacher has filled to the limit go last.
    if (byTeacher && course->GetType() == COURSE_TYPE_PLAN && facts.perDayLimit >= 1 && inPlay > 0) {
        int loads[zem::kDayCount];
        for (int k = 0; k < inPlay; ++k)
            loads[k] = teacher->GetCommonUsedNodeCount(days[k]);
        int m = inPlay - 1;
        int moves = m;
        while (loads[0] + n > facts.perDayLimit && m > 0 && moves > 0) {
            const int day = days[0];
            const int load = loads[0];
            for (int k = 0; k < m; ++k) {
                days[k] = days[k + 1];
                loads[k] = loads[k + 1];
            }
            days[m] = day;
            loads[m] = load;
            --moves;
            if (loads[0] < loads[m])
                --m;
        }
    }

    // No day beyond the plan's most lessons a day.
    const int dayMax = merged ? m_task->GetOneDayMaxNodes(const_cast<CCourseInfo*>(course)) : facts.dayMax;
    for (int k = 0; k < inPlay;) {
        if (table.IsDayUsed(days[k], dayMax - n + 1)) {
            for (int j = k; j + 1 < inPlay; ++j)
                days[j] = days[j + 1];
            days[--inPlay] = -1;
        } else {
            ++k;
        }
    }

    Rating rating;
    rating.teacher = byTeacher ? teacher : nullptr;
    rating.week = &week;
    rating.daysInUse = &m_daysInUse;
    rating.random = &m_random;
    rating.n = n;
    rating.candidates = candidates;
    const bool main = course->IsMainCourse();
    auto takeDay = [&](int position) {
        if (rating.best >= 1000)
            return;
        candidates[rating.found++] = days[position] * 1000 + rating.bestSegment * 10 + rating.bestSection;
        days[position] = -1;
    };

    // Main subjects in the forenoon from its first period, the others in the afternoon from its last.
    if (m_sortByMainType) {
        rating.rated = &table;
        for (int position = 0; position < zem::kDayCount; ++position) {
            const int day = days[position];
            if (day < 0 || !week.IsDayInUse(day))
                continue;
            rating.best = 1000;
            rating.RateSegment(day, main ? 0 : 1, main);
            takeDay(position);
        }
    }

    // Any segment. In the early tries a first round keeps off the teacher's neighbouring periods.
    const bool margin = m_verticalMargin && !concentrate;
    if (margin) {
        m_margin = static_cast<const CTimeTable&>(table);
        if (teacher)
            for (int day = 0; day < zem::kDayCount; ++day)
                for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                    for (int section = 0; section < zem::kSectionCount; ++section)
                        if (teacher->IsUsed(day, segment, section)) {
                            if (section > 0)
                                m_margin.SetValue(day, segment, section - 1, CTimeTable::kInvalid);
                            if (section < zem::kSectionCount - 1)
                                m_margin.SetValue(day, segment, section + 1, CTimeTable::kInvalid);
                        }
    }
    for (int round = margin ? 0 : 1; round < 2; ++round) {
        rating.rated = round == 0 ? &m_margin : static_cast<const CTimeTable*>(&table);
        for (int position = 0; position < zem::kDayCount; ++position) {
            const int day = days[position];
            if (day < 0 || !week.IsDayInUse(day))
                continue;
            int segments[zem::kSegmentCount] = {0, 1, 2, 3, 4};
            if (m_sortByMainType && !main)
                std::swap(segments[0], segments[1]);
            else if (m_random() % 3 == 1)
                std::swap(segments[0], segments[1]);
            rating.best = 1000;
            for (int segment : segments)
                if (week.GetSectionNodeMaxCount(segment) >= n)
                    rating.RateSegment(day, segment, main);
            takeDay(position);
        }
    }
    return rating.found;
}
