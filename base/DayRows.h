#pragma once
// The rows of one day in a week timetable, top to bottom, as the week grid, the printed page and
// the timetable workbook lay them out: the periods of the segments in day order, the separator
// before the afternoon and the one before the evening, and the banner rows the user added before or
// after a period. Header-only, so that the grid library, which links no data library, shares it.
#include "base/Segment.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

// A banner row kept with the page and grid settings. In the list of a page layout `enabled` holds the
// row's type: 0 the text of a standard separator (segment 1 the afternoon's, 2 the evening's), else a
// row of its own at its period. The list ends at the first record whose segment is -1, or after
// kMaxBlankLines records.
struct BlankLine {
    int enabled = 0;    // non-zero: a row of its own
    int segment = -1;   // 0..4; -1 ends the list
    int section = 0;
    int position = 0;   // 0: a row before that period, 1: a row after it
    std::string text;
};
constexpr int kMaxBlankLines = 10;

namespace zem {

enum class DayRowKind { Lesson, Separator, Banner };

struct DayRow {
    DayRowKind kind = DayRowKind::Lesson;
    int segment = 0;
    int section = 0;  // a lesson's period in its segment; the period a banner row stands by
    int period = 0;   // a lesson's place among the day's periods, from 0 (the period names' order)
    // A banner row's record; a separator's standard record, null when the list has none.
    const BlankLine* banner = nullptr;
    bool IsLesson() const { return kind == DayRowKind::Lesson; }
    // The text of a banner or separator row.
    std::string Text() const { return banner && kind != DayRowKind::Lesson ? banner->text : std::string(); }
};

// Periods per segment, by segment number.
using SegmentCounts = std::array<int, kSegmentCount>;

// The standard record of the separator before the afternoon (1) or before the evening (2).
inline const BlankLine* StandardBanner(const BlankLine* lines, int which)
{
    for (int i = 0; lines && i < kMaxBlankLines && lines[i].segment != -1; ++i) {
        if (lines[i].enabled == 0 && lines[i].segment == which)
            return &lines[i];
    }
    return nullptr;
}

// A separator stands before the afternoon, and before the evening: the night, or the evening
// self-study in a school without night periods.
constexpr bool HasSeparatorBefore(int segment, const SegmentCounts& counts)
{
    return segment == kAfternoon || segment == kNight || (segment == kEveningStudy && counts[kNight] == 0);
}

// The rows of a day of these periods with the banner list (kMaxBlankLines records, or null).
inline std::vector<DayRow> DayRows(const SegmentCounts& counts, const BlankLine* lines)
{
    std::vector<DayRow> rows;
    const auto banners = [&](int segment, int section, int position) {
        for (int i = 0; lines && i < kMaxBlankLines && lines[i].segment != -1; ++i) {
            const BlankLine& line = lines[i];
            if (line.enabled != 0 && line.segment == segment && line.section == section && line.position == position)
                rows.push_back({DayRowKind::Banner, segment, section, 0, &line});
        }
    };
    int period = 0;
    for (const int segment : kSegmentsInDayOrder) {
        const int count = std::clamp(counts[static_cast<std::size_t>(segment)], 0, kSectionCount);
        if (count == 0)
            continue;
        if (HasSeparatorBefore(segment, counts))
            rows.push_back({DayRowKind::Separator, segment, 0, 0,
                            StandardBanner(lines, segment == kAfternoon ? 1 : 2)});
        for (int section = 0; section < count; ++section) {
            banners(segment, section, 0);
            rows.push_back({DayRowKind::Lesson, segment, section, period++, nullptr});
            banners(segment, section, 1);
        }
    }
    return rows;
}

// How many rows of the day are not periods.
inline int BreakRowCount(const std::vector<DayRow>& rows)
{
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), [](const DayRow& r) { return !r.IsLesson(); }));
}

}  // namespace zem
