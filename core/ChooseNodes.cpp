// Choosing where a plan's next lessons start: at most one start per day, best days first. Days
// are ordered by room (or the teacher's load when lessons are concentrated), consecutive days are
// pushed apart, full days dropped; within a day the start that stacks least on the plan's own
// periods wins.
#include "base/Segment.h"
#include "core/Engine.h"

#include <cstdlib>
#include <utility>

namespace {

using Status = CTimeTable::Status;
constexpr int kDaySlots = zem::kSegmentCount * zem::kSectionCount;

// The slot of a node the callers keep inside the grid (no range checks in the inner loops).
int Slot(int day, int segment, int section) { return (day * zem::kSegmentCount + segment) * zem::kSectionCount + section; }

bool UsedAt(const Status* values, int day, int segment, int section)
{
    return CTimeTable::IsUsedStatus(values[Slot(day, segment, section)]);
}

// Byte-wide counts over fixed stretches, which the compiler turns into a few vector steps.
int FreeCount(const Status* values, int day)
{
    const Status* dayValues = values + Slot(day, 0, 0);
    std::uint8_t count = 0;
    for (int i = 0; i < kDaySlots; ++i)
        count += static_cast<std::uint8_t>(dayValues[i] == CTimeTable::kFree);
    return count;
}

// Used slots among the day's first ones.
template <int kSlots>
int UsedCount(const Status* values, int day)
{
    const Status* dayValues = values + Slot(day, 0, 0);
    std::uint8_t count = 0;
    for (int i = 0; i < kSlots; ++i)
        count += static_cast<std::uint8_t>((dayValues[i] == CTimeTable::kHalfUsed) |
                                           (dayValues[i] == CTimeTable::kFullUsed));
    return count;
}

// Rates starts within the sections of a segment (the callers keep every section they look at
// below the segment's count, so no slot read leaves its row).
struct Rating {
    const Status* rated = nullptr;
    const Status* teacher = nullptr;  // null when not concentrating
    const CSchoolStructure* week = nullptr;
    const int* sectionCounts = nullptr;
    const std::vector<int>* daysInUse = nullptr;
    CoreRandom* random = nullptr;
    int n = 1;
    int* candidates = nullptr;
    int found = 0;
    int best = 1000;
    int bestSegment = 0;
    int bestSection = 0;
    int starts[zem::kSegmentCount * 10] = {};  // per period (segment x 10 + section): candidates' blocks over it
    // Per period: the days in use with a lesson there in the rated table, counted when first needed.
    int columns[zem::kSegmentCount * zem::kSectionCount] = {};

    void SetRated(const Status* table)
    {
        rated = table;
        std::fill(std::begin(columns), std::end(columns), -1);
    }

    int Column(int period)
    {
        int& count = columns[period];
        if (count < 0) {
            count = 0;
            for (int day : *daysInUse)
                count += CTimeTable::IsUsedStatus(rated[Slot(day, 0, 0) + period]);
        }
        return count;
    }

    void Rate(int day, int segment, int section)
    {
        const Status* row = rated + Slot(day, segment, 0);
        for (int j = 0; j < n; ++j)
            if (row[section + j] != CTimeTable::kFree)
                return;
        const int sections = sectionCounts[segment];
        const bool hasBefore = section > 0;
        const bool hasAfter = section + n < sections;
        // Never right next to its own lessons.
        if ((hasBefore && CTimeTable::IsUsedStatus(row[section - 1])) ||
            (hasAfter && CTimeTable::IsUsedStatus(row[section + n])))
            return;
        if (teacher) {
            if (best == -1)
                return;
            // Right beside another lesson of the teacher wins the day.
            if ((hasBefore && UsedAt(teacher, day, segment, section - 1)) ||
                (hasAfter && UsedAt(teacher, day, segment, section + n))) {
                Take(-1, segment, section);
                return;
            }
        }
        // Fewer lessons at the same period on other days, and fewer starts of this round there.
        int score = 0;
        for (int j = 0; j < n; ++j)
            score += starts[segment * 10 + section + j] + Column(segment * zem::kSectionCount + section + j);
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
        // A block lies within its segment's sections.
        for (int j = 0; j < n; ++j)
            ++starts[bestSegment * 10 + bestSection + j];
        days[position] = -1;
    }

    void RateSegment(int day, int segment, bool fromStart)
    {
        const int sections = sectionCounts[segment];
        if (fromStart)
            for (int section = 0; section <= sections - n; ++section)
                Rate(day, segment, section);
        else
            for (int section = sections - n; section >= 0; --section)
                Rate(day, segment, section);
    }
};

// Days with the most free slots first, or with the fewest first.
void SortByFreeSlots(int* days, int* counts, int inPlay, const Status* counted, bool fewestFirst)
{
    for (int k = 0; k < inPlay; ++k)
        counts[k] = FreeCount(counted, days[k]);
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
void PutTeacherFullDaysLast(int* days, int inPlay, const Status* teacher, int n, int perDayLimit)
{
    int loads[zem::kDayCount];
    for (int k = 0; k < inPlay; ++k)
        loads[k] = UsedCount<2 * zem::kSectionCount>(teacher, days[k]);
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
int DropFullDays(int* days, int inPlay, const Status* table, int dayMax, int n)
{
    for (int k = 0; k < inPlay;) {
        if (UsedCount<kDaySlots>(table, days[k]) >= dayMax - n + 1) {
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

// The table with the teacher's neighbouring periods closed too, on the days in use (the only
// ones rated).
void CloseTeacherNeighbours(Status* margin, const Status* table, const Status* teacher, const std::vector<int>& days)
{
    for (int day : days) {
        const int first = Slot(day, 0, 0);
        std::copy(table + first, table + first + kDaySlots, margin + first);
        if (!teacher)
            continue;
        for (int row = first; row < first + kDaySlots; row += zem::kSectionCount)
            for (int section = 0; section < zem::kSectionCount; ++section)
                if (CTimeTable::IsUsedStatus(teacher[row + section])) {
                    if (section > 0)
                        margin[row + section - 1] = CTimeTable::kInvalid;
                    if (section < zem::kSectionCount - 1)
                        margin[row + section + 1] = CTimeTable::kInvalid;
                }
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
        int segments[zem::kSegmentCount] = {zem::kForenoon, zem::kAfternoon, zem::kNight, zem::kMorningReading,
                                            zem::kEveningStudy};
        if (sortByMainType && !main)
            std::swap(segments[0], segments[1]);
        else if ((*rating.random)() % 3 == 1)
            std::swap(segments[0], segments[1]);
        rating.best = 1000;
        for (int segment : segments)
            if (rating.sectionCounts[segment] >= rating.n)
                rating.RateSegment(day, segment, main);
        rating.TakeDay(days, position);
    }
}

}  // namespace

int CAutoScheduler::ChooseNodes(const CWorkItem& item, int n, int* candidates)
{
    const bool merged = item.plan < 0;
    const CPlanState& facts = merged ? m_plans[m_pairs[item.pair].evenPlan] : m_plans[item.plan];
    // A merged lesson is a copy of the plan it was made from.
    CPlanState& origin = merged ? m_plans[m_pairs[item.pair].mergedFrom] : m_plans[item.plan];
    const CCourseInfo* course = origin.course;
    const Status* table = m_table.values.data();
    const Status* teacher = facts.teacher ? facts.teacher->GetTempTable().GetValues() : nullptr;
    const bool concentrate = course->GetType() == COURSE_TYPE_SELF_STUDY ? m_concentrateSelfStudy : m_concentrate;
    const bool byTeacher = concentrate && teacher;

    int days[zem::kDayCount];
    int inPlay = 0;
    for (int day : m_daysInUse)
        days[inPlay++] = day;
    for (int k = inPlay; k < zem::kDayCount; ++k)
        days[k] = -1;
    // Days with the most room first; or, concentrating, the teacher's busiest days first.
    int counts[zem::kDayCount];
    SortByFreeSlots(days, counts, inPlay, byTeacher ? teacher : table, byTeacher);
    MoveNeighboursApart(days, counts, inPlay);
    if (byTeacher && course->GetType() == COURSE_TYPE_PLAN && facts.perDayLimit >= 1 && inPlay > 0)
        PutTeacherFullDaysLast(days, inPlay, teacher, n, facts.perDayLimit);
    const int dayMax = merged ? MergedDayMax(origin) : facts.dayMax;
    DropFullDays(days, inPlay, table, dayMax, n);

    Rating rating;
    rating.teacher = byTeacher ? teacher : nullptr;
    rating.week = &m_task->GetSchoolStructure();
    rating.sectionCounts = m_sectionCounts;
    rating.daysInUse = &m_daysInUse;
    rating.random = &m_random;
    rating.n = n;
    rating.candidates = candidates;
    const bool main = course->IsMainCourse();
    if (m_sortByMainType) {
        rating.SetRated(table);
        TakeMainTypeStarts(rating, days, main);
    }
    // In the early tries a first round keeps off the teacher's neighbouring periods.
    const bool margin = m_verticalMargin && !concentrate;
    if (margin)
        CloseTeacherNeighbours(m_margin.data(), table, teacher, m_daysInUse);
    for (int round = margin ? 0 : 1; round < 2; ++round) {
        rating.SetRated(round == 0 ? m_margin.data() : table);
        TakeAnySegmentStarts(rating, days, m_sortByMainType, main);
    }
    return rating.found;
}

// The most lessons a day of a merged half lesson made from the plan: the plan's course with one
// half lesson a week, worked out once a run.
int CAutoScheduler::MergedDayMax(CPlanState& origin)
{
    if (origin.mergedDayMax < 0) {
        std::unique_ptr<CCourseInfo> merged(origin.course->Clone());
        merged->SetWeekCount(CWeekCount(0, true));
        origin.mergedDayMax = m_task->GetOneDayMaxNodes(merged.get());
    }
    return origin.mergedDayMax;
}
