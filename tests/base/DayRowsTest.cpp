#include "base/DayRows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A day's rows written short: "L<segment><section>" a period, "S:<text>" a separator, "B:<text>" a
// banner row.
std::string Rows(const zem::SegmentCounts& counts, const BlankLine* lines)
{
    std::string out;
    for (const zem::DayRow& row : zem::DayRows(counts, lines)) {
        if (!out.empty())
            out += ' ';
        if (row.IsLesson())
            out += "L" + std::to_string(row.segment) + std::to_string(row.section);
        else
            out += (row.kind == zem::DayRowKind::Separator ? "S:" : "B:") + row.Text();
    }
    return out;
}

TEST(DayRows, PeriodsInDayOrderWithSeparatorsAndBannerRowsWhereTheyStand)
{
    BlankLine lines[kMaxBlankLines];
    lines[0] = {0, zem::kAfternoon, 0, 0, "午休"};
    lines[1] = {0, zem::kNight, 0, 0, "晚饭"};
    lines[2] = {1, zem::kForenoon, 1, 1, "大课间"};
    lines[3] = {1, zem::kForenoon, 0, 0, "升旗"};
    lines[4] = {1, zem::kAfternoon, 5, 0, "没有这节"};  // at no period of the day
    struct Case {
        zem::SegmentCounts counts;  // forenoon, afternoon, night, morning reading, evening study
        std::string rows;
    };
    const Case cases[] = {
        {{2, 1, 1, 1, 1}, "L30 B:升旗 L00 L01 B:大课间 S:午休 L10 S:晚饭 L20 L40"},
        // Without night periods the evening's separator stands before the evening self-study.
        {{1, 1, 0, 0, 1}, "B:升旗 L00 S:午休 L10 S:晚饭 L40"},
        {{2, 0, 0, 0, 0}, "B:升旗 L00 L01 B:大课间"},
        {{0, 0, 0, 0, 0}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(c.counts, lines), c.rows);
    // Periods count from the top; a list without standard rows leaves the separators without text.
    const std::vector<zem::DayRow> rows = zem::DayRows({2, 1, 0, 1, 0}, nullptr);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[4].period, 3);
    EXPECT_EQ(rows[3].kind, zem::DayRowKind::Separator);
    EXPECT_EQ(rows[3].Text(), "");
    EXPECT_EQ(zem::BreakRowCount(rows), 1);
}

}  // namespace
