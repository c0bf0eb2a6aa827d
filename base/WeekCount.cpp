#include "base/WeekCount.h"

#include "platform/Text.h"


void CWeekCount::Parse(std::string_view text)
{
    double value = zem::ParseDecimalPrefix(zem::ReplaceAll(std::string(text), "。", "."));
    // Keep value * 10 inside the int range; no real plan comes near it.
    if (!(value > -2e8))
        value = value != value ? 0.0 : -2e8;
    else if (value > 2e8)
        value = 2e8;
    m_wholeCount = static_cast<int>(value);
    m_half = static_cast<int>(value * 10) % 10 == 5;
}

std::string CWeekCount::ToString() const
{
    std::string text = std::to_string(m_wholeCount);
    if (m_half)
        text += ".5";
    return text;
}

bool CWeekCount::operator>(const CWeekCount& other) const
{
    if (m_wholeCount != other.m_wholeCount)
        return m_wholeCount > other.m_wholeCount;
    return m_half && !other.m_half;
}

bool CWeekCount::operator<(const CWeekCount& other) const
{
    if (m_wholeCount != other.m_wholeCount)
        return m_wholeCount < other.m_wholeCount;
    return other.m_half && !m_half;
}

CWeekCount CWeekCount::operator+(const CWeekCount& other) const
{
    CWeekCount sum(m_wholeCount + other.m_wholeCount, m_half || other.m_half);
    if (m_half && other.m_half) {
        ++sum.m_wholeCount;
        sum.m_half = false;
    }
    return sum;
}

CWeekCount CWeekCount::operator-(const CWeekCount& other) const
{
    int whole = m_wholeCount - other.m_wholeCount;
    if (whole < 0)
        return {};
    if (m_half == other.m_half)
        return {whole, false};
    if (m_half)
        return {whole, true};
    // The other has the half and this has not: borrow a lesson.
    if (whole > 0)
        return {whole - 1, true};
    return {};
}
