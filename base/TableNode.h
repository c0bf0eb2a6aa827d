#pragma once
// One lesson slot of the two-week cycle. A plain record, shared with the grid library,
// which knows no other task data.

namespace zem {
constexpr int kDayCount = 14;     // 0..6 week 1 Monday..Sunday, 7..13 week 2
constexpr int kSegmentCount = 5;  // forenoon, afternoon, night, morning reading, evening self-study
constexpr int kSectionCount = 6;  // periods within a segment
constexpr int kSlotCount = kDayCount * kSegmentCount * kSectionCount;  // 420
}  // namespace zem

struct tagTABLE_NODE {
    int day = 0;
    int segment = 0;
    int section = 0;
};

inline bool IsNodeInRange(int day, int segment, int section)
{
    return day >= 0 && day < zem::kDayCount && segment >= 0 && segment < zem::kSegmentCount &&
           section >= 0 && section < zem::kSectionCount;
}

inline bool IsNodeInRange(const tagTABLE_NODE& node)
{
    return IsNodeInRange(node.day, node.segment, node.section);
}

// Position of a slot in every 420-slot grid; -1 when out of range.
inline int SlotOf(int day, int segment, int section)
{
    if (!IsNodeInRange(day, segment, section))
        return -1;
    return (day * zem::kSegmentCount + segment) * zem::kSectionCount + section;
}

inline int SlotOf(const tagTABLE_NODE& node)
{
    return SlotOf(node.day, node.segment, node.section);
}

inline bool operator==(const tagTABLE_NODE& a, const tagTABLE_NODE& b)
{
    return a.day == b.day && a.segment == b.segment && a.section == b.section;
}
