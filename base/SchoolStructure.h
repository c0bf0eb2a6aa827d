#pragma once
// The school week: which days of the two-week cycle are school days, how many periods each segment
// of a day has, which slots are usable, what the periods are called and which activities occupy
// fixed slots.
#include "base/DayRows.h"
#include "base/TimeTable.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <type_traits>

// Activity names by slot key ("%d%d%d" of day, segment and section). Keys are sorted, so the files
// written from the map come out the same every time.
class CActivities {
public:
    using Map = std::map<std::string, std::string>;

    CActivities() = default;
    CActivities(const CActivities&) = default;
    CActivities& operator=(const CActivities&) = default;
    virtual ~CActivities() = default;

    // Sets or replaces the slot's name. A node outside the grid is ignored: its key could read back
    // as another slot ("1100" is day 11, not day 1 segment 10).
    void AddActivity(const tagTABLE_NODE& node, const std::string& name);
    // The key as read from a file; stored as it is.
    void AddActivity(const std::string& key, const std::string& name) { m_map[key] = name; }
    // Empty text when the slot has none.
    const std::string& GetActivity(const tagTABLE_NODE& node) const;
    void DeleteActivity(const tagTABLE_NODE& node);
    void DeleteActivity(const std::string& key) { m_map.erase(key); }
    // Takes every entry of the other map, its names winning under equal keys.
    void Combine(const CActivities& other);

    Map& GetMap() { return m_map; }
    const Map& GetMap() const { return m_map; }

protected:
    static std::string GetNodeString(const tagTABLE_NODE& node);

private:
    Map m_map;
};

// Custom period names by period id ("%d%d" of segment and section).
class CPeriodNameList {
public:
    using Map = std::map<std::string, std::string>;

    CPeriodNameList() = default;
    CPeriodNameList(const CPeriodNameList&) = default;
    CPeriodNameList& operator=(const CPeriodNameList&) = default;
    virtual ~CPeriodNameList() = default;

    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }

    // A period outside the grid is ignored, as its id could name another period.
    void Add(int segment, int section, const std::string& name);
    // The id as read from a file; stored as it is.
    void Add(const std::string& periodId, const std::string& name) { m_map[periodId] = name; }
    // Empty text when the period has no custom name.
    const std::string& Query(int segment, int section) const;

    static std::string MakePeriodId(int segment, int section);
    // Reads the id as a number n: segment n / 10, section n % 10. True only when that is a period
    // of the grid.
    static bool ParsePeriodId(const std::string& periodId, int& segment, int& section);

    Map& GetMap() { return m_map; }
    const Map& GetMap() const { return m_map; }

private:
    bool m_enabled = false;
    Map m_map;
};

// The week structure. The status grid marks each slot 0 (usable) or -100 (not usable).
class CSchoolStructure : public CTimeTable {
public:
    // Days 0 to 9 in use, four forenoon and two afternoon periods.
    CSchoolStructure();
    CSchoolStructure(const CSchoolStructure&) = default;
    CSchoolStructure& operator=(const CSchoolStructure&) = default;

    // Opens or closes all 30 slots of the day and recounts the days in use; the totals wait for
    // RefreshData. A day outside 0..13 is ignored.
    void SetWeekDay(int day, bool inUse);
    bool IsDayInUse(int day) const { return day >= 0 && day < zem::kDayCount && m_dayInUse[day]; }
    int GetWeekDayCount() const { return m_dayCount; }

    // False and nothing changed for a segment outside 0..4 or a count outside 0..6. With `fill`, the
    // sections a growing count adds become usable on every day in use; shrinking changes no slot.
    bool SetSectionNodeMaxCount(int segment, int count, bool fill);
    // 0 for a segment outside 0..4.
    int GetSectionNodeMaxCount(int segment) const;
    // The period counts of the five segments, by segment number.
    zem::SegmentCounts GetSegmentCounts() const
    {
        zem::SegmentCounts counts{};
        for (int segment = 0; segment < zem::kSegmentCount; ++segment)
            counts[static_cast<std::size_t>(segment)] = GetSectionNodeMaxCount(segment);
        return counts;
    }
    // Periods of one day over all five segments.
    int GetDayNodeCount() const;
    // Usable slots of the day's segment within its period count, as of the last ParseFromXMLData.
    int GetNodeCount(int day, int segment) const;

    // Usable lesson slots over the cycle (forenoon, afternoon, night), morning-reading and
    // evening self-study slots, as of the last RefreshData.
    int GetWeekNodeCount() const { return m_weekNodeCount; }
    int GetWeekNodeCountOfReading() const { return m_readingNodeCount; }
    int GetWeekNodeCountOfSelfStudy() const { return m_selfStudyNodeCount; }

    // Derives the per-day counts and the days in use from the grid and the period counts, then
    // refreshes the totals. A day is in use when it has a usable slot within the period counts.
    void ParseFromXMLData();
    virtual void RefreshData();

    // The day number of the order-th day in use; -1 for an order outside 0..13, and the number of
    // days in use when fewer days are in use.
    int GetWeekNumberByOrder(int order) const;
    // The number of days in use before the day (its column in a week grid); -1 outside 0..13.
    int GetWeekOrderByNumber(int day) const;
    // (0, 6) when week 2 is not used, (7, 13) when only week 2 is, else (0, 13).
    void GetValidWeekBothEnds(int& first, int& last) const;
    // True when days of both weeks are in use. Only then do the program's texts name a day's week
    // ("第2周周一") or count over two weeks ("两周课时数"): a school of one week names no week.
    bool NamesWeeks() const;

    // The custom name (unless plain or names are off), else "早", "自" or the period's running
    // number over forenoon, afternoon and night.
    std::string GetPeriodName(int segment, int section, bool plain) const;
    CPeriodNameList& GetCustomPeriodNameList() { return m_periodNames; }
    const CPeriodNameList& GetCustomPeriodNameList() const { return m_periodNames; }

private:
    void CountDaysInUse();

    std::array<bool, zem::kDayCount> m_dayInUse{};
    int m_dayCount = 0;
    std::array<std::array<int, zem::kSegmentCount>, zem::kDayCount> m_nodeCounts{};
    std::array<int, zem::kSegmentCount> m_sectionCounts{};
    int m_weekNodeCount = 0;
    int m_readingNodeCount = 0;
    int m_selfStudyNodeCount = 0;
    CPeriodNameList m_periodNames;
};

// Which slots a walk over the week visits: the days in use (or the one day, when it is in use), day
// by day; of each the segments first to last; of each segment the sections below its count
// (counted) or all six.
struct SlotWalk {
    int day = -1;
    int firstSegment = 0;
    int lastSegment = zem::kSegmentCount - 1;
    bool counted = true;
};

// Visits the slots of the walk in order. A visit that returns bool ends the walk by returning true,
// and the walk then returns true; otherwise it returns false.
template <class Visit>
bool ForEachSlot(const CSchoolStructure& week, const SlotWalk& walk, Visit visit)
{
    const int firstDay = walk.day < 0 ? 0 : walk.day;
    const int lastDay = walk.day < 0 ? zem::kDayCount - 1 : walk.day;
    for (int day = firstDay; day <= lastDay; ++day) {
        if (!week.IsDayInUse(day))
            continue;
        for (int segment = std::max(walk.firstSegment, 0); segment <= std::min(walk.lastSegment, zem::kSegmentCount - 1);
             ++segment) {
            const int sections = walk.counted ? week.GetSectionNodeMaxCount(segment) : zem::kSectionCount;
            for (int section = 0; section < sections; ++section) {
                const tagTABLE_NODE node{day, segment, section};
                if constexpr (std::is_same_v<decltype(visit(node)), bool>) {
                    if (visit(node))
                        return true;
                } else {
                    visit(node);
                }
            }
        }
    }
    return false;
}

// Every counted slot of the days in use.
template <class Visit>
bool ForEachSlot(const CSchoolStructure& week, Visit visit)
{
    return ForEachSlot(week, SlotWalk{}, visit);
}
