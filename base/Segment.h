#pragma once
// The segments of a school day and the order a day runs through them.
#include "base/TableNode.h"

namespace zem {

// A segment by the number a slot stores; the files and the grids count them this way.
enum Segment : int {
    kForenoon = 0,
    kAfternoon = 1,
    kNight = 2,
    kMorningReading = 3,
    kEveningStudy = 4,
};

// The segments in the order a day runs through them, as every grid, list, sheet and workbook shows
// them top to bottom.
inline constexpr Segment kSegmentsInDayOrder[kSegmentCount] = {kMorningReading, kForenoon, kAfternoon, kNight,
                                                               kEveningStudy};

// The forenoon, the afternoon and the night, which hold the regular lessons.
constexpr bool IsRegularSegment(int segment)
{
    return segment >= kForenoon && segment <= kNight;
}

// The morning reading and the evening self-study, each of which holds its own kind of lesson.
constexpr bool IsSelfStudySegment(int segment)
{
    return segment == kMorningReading || segment == kEveningStudy;
}

}  // namespace zem
