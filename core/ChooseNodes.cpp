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
    int* candidates = nullptr;
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

    // Takes the best start found on the day at the position, if any, and drops the day.
    void TakeDay(int* days, int position)
    {
        if (best >= 1000)
            return;
        candidates[found++] = days[position] * 1000 + bestSegment * 10 + bestSection;
        days[position] = -1;
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

// Days with the most free slots first, or with the fewest first.
void SortByFreeSlots(int* days, int* counts, int inPlay, const CTimeTable& counted, bool fewestFirst)
{
    for (int k = 0; k < inPlay; ++k)
        counts[k] = counted.GetFreeNodeCount(days[k]);
    for (int k = 0; k < inPlay; ++k) {
        int best = k;
        for (int j = k + 1; j < inPlay; ++j)
            if (fewestFirst ? counts[j] < counts[best] : counts[j] > counts[best])
                best = j;
        std::swap(days[k], days[best]);
        std::swap(counts[k], counts[best]);
    }
}

// Among days of equal count, consecutive days move apart.
void MoveNeighboursApart(int* days, int* counts, int inPlay)
{
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
}

// Days the teacher has filled to the limit go last.
void PutTeacherFullDaysLast(int* days, int inPlay, const CTimeTable& teacher, int n, int perDayLimit)
{
    int loads[zem::kDayCount];
    for (int k = 0; k < inPlay; ++k)
        loads[k] = teacher.GetCommonUsedNodeCount(days[k]);
    int m = inPlay - 1;
    int moves = m;
    while (loads[0] + n > perDayLimit && m > 0 && moves > 0) {
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

// No day beyond the plan's most lessons a day; returns how many days are left.
int DropFullDays(int* days, int inPlay, const CCourseTable& table, int dayMax, int n)
{
    for (int k = 0; k < inPlay;) {
        if (table.IsDayUsed(days[k], dayMax - n + 1)) {
            for (int j = k; j + 1 < inPlay; ++j)
                days[j] = days[j + 1];
            days[--inPlay] = -1;
        } else {
            ++k;
        }
    }
    return inPlay;
}

// Main subjects in the forenoon from its first period, the others in the afternoon from its last.
void TakeMainTypeStarts(Rating& rating, int* days, bool main)
{
    for (int position = 0; position < zem::kDayCount; ++position) {
        const int day = days[position];
        if (day < 0 || !rating.week->IsDayInUse(day))
            continue;
        rating.best = 1000;
        rating.RateSegment(day, main ? 0 : 1, main);
        rating.TakeDay(days, position);
    }
}

// The table with the teacher's neighbouring periods closed too.
void CloseTeacherNeighbours(CTimeTable& margin, const CTimeTable& table, const CTimeTable* teacher)
{
    margin = table;
    if (!teacher)
        return;
    for (int day = 0; day < zem::kDayCount; ++day)
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (teacher->IsUsed(day, segment, section)) {
                    if (section > 0)
                        margin.SetValue(day, segment, section - 1, CTimeTable::kInvalid);
                    if (section < zem::kSectionCount - 1)
                        margin.SetValue(day, segment, section + 1, CTimeTable::kInvalid);
                }
}

// A start in any segment for each day left, the forenoon and afternoon in the order of the plan's
// kind (or now and then turned round).
void TakeAnySegmentStarts(Rating& rating, int* days, bool sortByMainType, bool main)
{
    for (int position = 0; position < zem::kDayCount; ++position) {
        const int day = days[position];
        if (day < 0 || !rating.week->IsDayInUse(day))
            continue;
        int segments[zem::kSegmentCount] = {0, 1, 2, 3, 4};
        if (sortByMainType && !main)
            std::swap(segments[0], segments[1]);
        else if ((*rating.random)() % 3 == 1)
            std::swap(segments[0], segments[1]);
        rating.best = 1000;
        for (int segment : segments)
            if (rating.week->GetSectionNodeMaxCount(segment) >= rating.n)
                rating.RateSegment(day, segment, main);
        rating.TakeDay(days, position);
    }
}

}  // namespace

int CAutoScheduler::ChooseNodes(const CWorkItem& item, const CCourseTable& table, int n, int* candidates)
{
    const bool merged = item.plan < 0;
    const CPlanState& facts = merged ? m_plans[m_pairs[item.pair]->evenPlan] : m_plans[item.plan];
    const CCourseInfo* course = merged ? m_pairs[item.pair]->merged.get() : facts.course;
    const CTaskSetting& setting = m_task->GetTaskSetting();
    const CTimeTable* teacher = facts.teacher ? &facts.teacher->GetTempTable() : nullptr;
    const bool concentrate = course->GetType() == COURSE_TYPE_SELF_STUDY ? setting.GetConcentrateSelfstudy()
                                                                          : setting.GetConcentrateByTeacher();
    const bool byTeacher = concentrate && teacher;

    int days[zem::kDayCount];
    int inPlay = 0;
    for (int day : m_daysInUse)
        days[inPlay++] = day;
    for (int k = inPlay; k < zem::kDayCount; ++k)
        days[k] = -1;
    // Days with the most room first; or, concentrating, the teacher's busiest days first.
    int counts[zem::kDayCount];
    SortByFreeSlots(days, counts, inPlay, byTeacher ? *teacher : static_cast<const CTimeTable&>(table), byTeacher);
    MoveNeighboursApart(days, counts, inPlay);
    if (byTeacher && course->GetType() == COURSE_TYPE_PLAN && facts.perDayLimit >= 1 && inPlay > 0)
        PutTeacherFullDaysLast(days, inPlay, *teacher, n, facts.perDayLimit);
    const int dayMax = merged ? m_task->GetOneDayMaxNodes(const_cast<CCourseInfo*>(course)) : facts.dayMax;
    DropFullDays(days, inPlay, table, dayMax, n);

    Rating rating;
    rating.teacher = byTeacher ? teacher : nullptr;
    rating.week = &m_task->GetSchoolStructure();
    rating.daysInUse = &m_daysInUse;
    rating.random = &m_random;
    rating.n = n;
    rating.candidates = candidates;
    const bool main = course->IsMainCourse();
    if (m_sortByMainType) {
        rating.rated = &table;
        TakeMainTypeStarts(rating, days, main);
    }
    // In the early tries a first round keeps off the teacher's neighbouring periods.
    const bool margin = m_verticalMargin && !concentrate;
    if (margin)
        CloseTeacherNeighbours(m_margin, table, teacher);
    for (int round = margin ? 0 : 1; round < 2; ++round) {
        rating.rated = round == 0 ? &m_margin : static_cast<const CTimeTable*>(&table);
        TakeAnySegmentStarts(rating, days, m_sortByMainType, main);
    }
    return rating.found;
}
