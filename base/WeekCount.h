#pragma once
// A weekly lesson count: a whole number of lessons every week plus an optional half lesson, one
// more lesson every second week. Written as 3 or 3.5.
#include <string>
#include <string_view>

class CWeekCount {
public:
    CWeekCount() = default;
    CWeekCount(int wholeCount, bool half) : m_wholeCount(wholeCount), m_half(half) {}
    explicit CWeekCount(std::string_view text) { Parse(text); }
    CWeekCount(const CWeekCount&) = default;
    CWeekCount& operator=(const CWeekCount&) = default;
    virtual ~CWeekCount() = default;

    // Reads a decimal such as "3", "3.5" or "3。5"; text without a leading number gives 0.
    void Parse(std::string_view text);
    std::string ToString() const;

    int GetWholeCount() const { return m_wholeCount; }
    void SetWholeCount(int count) { m_wholeCount = count; }
    bool HasHalfNode() const { return m_half; }
    void SetHalf(bool half) { m_half = half; }
    bool IsEmpty() const { return m_wholeCount == 0 && !m_half; }
    void Clear() { m_wholeCount = 0; m_half = false; }

    bool operator==(const CWeekCount& other) const { return m_wholeCount == other.m_wholeCount && m_half == other.m_half; }
    bool operator!=(const CWeekCount& other) const { return !(*this == other); }
    bool operator>(const CWeekCount& other) const;
    bool operator>=(const CWeekCount& other) const { return *this > other || *this == other; }
    bool operator<(const CWeekCount& other) const;

    CWeekCount operator+(const CWeekCount& other) const;
    CWeekCount& operator+=(const CWeekCount& other) { return *this = *this + other; }
    // The difference, or zero when the other count is larger.
    CWeekCount operator-(const CWeekCount& other) const;

private:
    int m_wholeCount = 0;
    bool m_half = false;
};
