#include "base/SchoolStructure.h"

#include "base/Segment.h"
#include "base/Utility.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

const std::string kNoText;

const std::string& FindText(const std::map<std::string, std::string>& map, const std::string& key)
{
    auto it = map.find(key);
    return it == map.end() ? kNoText : it->second;
}

}  // namespace

// ---- CActivities

std::string CActivities::GetNodeString(const tagTABLE_NODE& node)
{
    return MakeNodeKey(node.day, node.segment, node.section);
}

void CActivities::AddActivity(const tagTABLE_NODE& node, const std::string& name)
{
    if (IsNodeInRange(node))
        m_map[GetNodeString(node)] = name;
}

const std::string& CActivities::GetActivity(const tagTABLE_NODE& node) const
{
    return IsNodeInRange(node) ? FindText(m_map, GetNodeString(node)) : kNoText;
}

void CActivities::DeleteActivity(const tagTABLE_NODE& node)
{
    if (IsNodeInRange(node))
        m_map.erase(GetNodeString(node));
}

void CActivities::Combine(const CActivities& other)
{
    if (&other == this)
        return;
    for (const auto& [key, name] : other.m_map)
        m_map[key] = name;
}

// ---- CPeriodNameList

void CPeriodNameList::Add(int segment, int section, const std::string& name)
{
    if (IsNodeInRange(0, segment, section))
        m_map[MakePeriodId(segment, section)] = name;
}

const std::string& CPeriodNameList::Query(int segment, int section) const
{
    return IsNodeInRange(0, segment, section) ? FindText(m_map, MakePeriodId(segment, section)) : kNoText;
}

std::string CPeriodNameList::MakePeriodId(int segment, int section) { return zem::Format("%d%d", segment, section); }

bool CPeriodNameList::ParsePeriodId(const std::string& periodId, int& segment, int& section)
{
    const int n = zem::ParseIntPrefix(periodId);
    segment = n / 10;
    section = n % 10;
    return IsNodeInRange(0, segment, section);
}

// ---- CSchoolStructure

CSchoolStructure::CSchoolStructure() : m_sectionCounts{4, 2, 0, 0, 0}
{
    for (int day = 0; day < zem::kDayCount; ++day)
        SetWeekDay(day, day < 10);
    RefreshData();
}

void CSchoolStructure::SetWeekDay(int day, bool inUse)
{
    if (day < 0 || day >= zem::kDayCount)
        return;
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        for (int section = 0; section < zem::kSectionCount; ++section)
            SetValue(day, segment, section, inUse ? kFree : kInvalid);
    m_dayInUse[day] = inUse;
    CountDaysInUse();
}

void CSchoolStructure::CountDaysInUse()
{
    m_dayCount = static_cast<int>(std::count(m_dayInUse.begin(), m_dayInUse.end(), true));
}

bool CSchoolStructure::SetSectionNodeMaxCount(int segment, int count, bool fill)
{
    if (segment < 0 || segment >= zem::kSegmentCount || count < 0 || count > zem::kSectionCount)
        return false;
    if (fill) {
        for (int day = 0; day < zem::kDayCount; ++day)
            if (m_dayInUse[day])
                for (int section = m_sectionCounts[segment]; section < count; ++section)
                    SetValue(day, segment, section, kFree);
    }
    m_sectionCounts[segment] = count;
    return true;
}

int CSchoolStructure::GetSectionNodeMaxCount(int segment) const
{
    return segment >= 0 && segment < zem::kSegmentCount ? m_sectionCounts[segment] : 0;
}

int CSchoolStructure::GetDayNodeCount() const
{
    int count = 0;
    for (int sections : m_sectionCounts)
        count += sections;
    return count;
}

int CSchoolStructure::GetNodeCount(int day, int segment) const
{
    if (day < 0 || day >= zem::kDayCount || segment < 0 || segment >= zem::kSegmentCount)
        return 0;
    return m_nodeCounts[day][segment];
}

void CSchoolStructure::ParseFromXMLData()
{
    for (int day = 0; day < zem::kDayCount; ++day) {
        bool inUse = false;
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            int count = 0;
            for (int section = 0; section < m_sectionCounts[segment]; ++section)
                count += IsValid(day, segment, section);
            m_nodeCounts[day][segment] = count;
            inUse = inUse || count > 0;
        }
        m_dayInUse[day] = inUse;
    }
    CountDaysInUse();
    RefreshData();
}

void CSchoolStructure::RefreshData()
{
    m_weekNodeCount = m_readingNodeCount = m_selfStudyNodeCount = 0;
    for (int day = 0; day < zem::kDayCount; ++day) {
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            int count = 0;
            for (int section = 0; section < m_sectionCounts[segment]; ++section)
                count += IsValid(day, segment, section);
            if (segment == zem::kMorningReading)
                m_readingNodeCount += count;
            else if (segment == zem::kEveningStudy)
                m_selfStudyNodeCount += count;
            else
                m_weekNodeCount += count;
        }
    }
}

int CSchoolStructure::GetWeekNumberByOrder(int order) const
{
    if (order < 0 || order >= zem::kDayCount)
        return -1;
    int seen = 0;
    for (int day = 0; day < zem::kDayCount; ++day) {
        if (!m_dayInUse[day])
            continue;
        if (seen == order)
            return day;
        ++seen;
    }
    return seen;
}

int CSchoolStructure::GetWeekOrderByNumber(int day) const
{
    if (day < 0 || day >= zem::kDayCount)
        return -1;
    return static_cast<int>(std::count(m_dayInUse.begin(), m_dayInUse.begin() + day, true));
}

bool CSchoolStructure::NamesWeeks() const
{
    int first = 0;
    int last = 0;
    GetValidWeekBothEnds(first, last);
    return first == 0 && last == zem::kDayCount - 1;
}

void CSchoolStructure::GetValidWeekBothEnds(int& first, int& last) const
{
    const auto week2 = m_dayInUse.begin() + 7;
    const bool usesWeek1 = std::find(m_dayInUse.begin(), week2, true) != week2;
    const bool usesWeek2 = std::find(week2, m_dayInUse.end(), true) != m_dayInUse.end();
    if (!usesWeek2) {
        first = 0;
        last = 6;
    } else if (!usesWeek1) {
        first = 7;
        last = 13;
    } else {
        first = 0;
        last = 13;
    }
}

std::string CSchoolStructure::GetPeriodName(int segment, int section, bool plain) const
{
    if (!plain && m_periodNames.IsEnabled()) {
        const std::string& name = m_periodNames.Query(segment, section);
        if (!name.empty())
            return name;
    }
    if (segment == zem::kMorningReading)
        return "早";
    if (segment == zem::kEveningStudy)
        return "自";
    int number = section + 1;
    for (int before = 0; before < std::min(segment, zem::kSegmentCount); ++before)
        number += m_sectionCounts[before];
    return zem::Format("%d", number);
}
