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

// The mark drawn at a cell's top-right corner: image n-1 of the grid theme's image list. Here, so
// that the task helper can choose a cell's mark without knowing the grids.
enum CELL_TAG : int {
    CELL_TAG_NONE = 0,
    CELL_TAG_LOCKED = 1,    // padlock
    CELL_TAG_LINKED = 2,    // chain link
    CELL_TAG_DISABLED = 3,  // no-entry disc
};
