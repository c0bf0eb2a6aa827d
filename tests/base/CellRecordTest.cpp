#include "base/CellRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CellRecord, SplitKeepsEveryEmptyFieldAndJoinRestoresTheRecord)
{
    const std::string sep(1, zem::kCellSeparator);
    struct Case {
        std::string record;
        std::vector<std::string_view> fields;
    };
    const Case cases[] = {
        {"", {""}},
        {"0", {"0"}},
        {sep, {"", ""}},
        {"1" + sep + "1" + sep + "语文" + sep + "张喆", {"1", "1", "语文", "张喆"}},
        {"1" + sep + "1" + sep + "语文" + sep, {"1", "1", "语文", ""}},  // a trailing separator
        {"0" + sep + "1" + sep + sep, {"0", "1", "", ""}},
        {sep + sep + "a" + sep + sep, {"", "", "a", "", ""}},
        {"2" + sep + "1" + sep + "数学" + sep + "王" + sep + "2" + sep + sep, {"2", "1", "数学", "王", "2", "", ""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(zem::SplitCellRecord(c.record), c.fields) << c.record;
        std::string joined(c.fields.front());
        for (std::size_t i = 1; i < c.fields.size(); ++i)
            zem::AppendCellField(joined, c.fields[i]);
        EXPECT_EQ(joined, c.record);
    }
    EXPECT_EQ(zem::JoinCellRecord({"1", "1", "语文", ""}), cases[4].record);
    EXPECT_EQ(zem::JoinCellRecord({}), "");
}

TEST(CellRecord, ReadGivesTheEntriesOfAWholeOrSplitCellAndNoneOfAnyOtherShape)
{
    const std::string sep(1, zem::kCellSeparator);
    // The fields are views into the record, which the test keeps.
    const std::string wholeRecord = "1" + sep + "1" + sep + "语文" + sep + "张喆";
    const zem::CellFields whole = zem::ReadCellRecord(wholeRecord);
    ASSERT_EQ(whole.entries.size(), 1u);
    EXPECT_FALSE(whole.IsPair());
    EXPECT_EQ(whole.entries[0].main, "语文");
    EXPECT_EQ(whole.entries[0].secondary, "张喆");
    const std::string splitRecord = "2" + sep + "1" + sep + "数学" + sep + "王" + sep + "2" + sep + sep + "李";
    const zem::CellFields split = zem::ReadCellRecord(splitRecord);
    ASSERT_TRUE(split.IsPair());
    EXPECT_EQ(split.count, "2");
    EXPECT_EQ(split.entries[0].main, "数学");
    EXPECT_EQ(split.entries[1].key, "2");
    EXPECT_EQ(split.entries[1].main, "");
    EXPECT_EQ(split.entries[1].secondary, "李");
    for (const std::string& other : {std::string(), "0" + sep + "1", "1" + sep + "1" + sep + "a" + sep + "b" + sep + "c"})
        EXPECT_TRUE(zem::ReadCellRecord(other).entries.empty()) << other;
}

// A reader that honours the count takes the whole entries of any shape and sees what is left over.
TEST(CellRecord, ReadGivesEveryWholeEntryOfAnyShapeAndTheFieldsLeftOver)
{
    struct Case {
        std::string record;
        std::vector<std::string_view> mains;  // of the whole entries, in order
        std::size_t leftOver;
    };
    const Case cases[] = {
        {"0", {}, 0},
        {zem::JoinCellRecord({"1", "a"}), {}, 1},
        {zem::JoinCellRecord({"1", "1", "语文", "张", "x"}), {"语文"}, 1},
        {zem::JoinCellRecord({"2", "1", "语文", "张", "2", "数学"}), {"语文"}, 2},
        {zem::JoinCellRecord({"3", "1", "a", "b", "2", "c", "d", "3", "e", "f"}), {"a", "c", "e"}, 0},
    };
    for (const Case& c : cases) {
        const zem::CellFields read = zem::ReadCellRecord(c.record);
        std::vector<std::string_view> mains;
        for (const zem::CellEntry& entry : read.written)
            mains.push_back(entry.main);
        EXPECT_EQ(mains, c.mains) << c.record;
        EXPECT_EQ(read.leftOver, c.leftOver) << c.record;
        EXPECT_TRUE(read.entries.empty()) << c.record;  // none is a whole or split cell
    }
    const std::string last = zem::JoinCellRecord({"3", "1", "a", "b", "2", "c", "d", "3", "e", "f"});
    EXPECT_EQ(zem::ReadCellRecord(last).written.back().secondary, "f");
}

TEST(CellRecord, TitleReadsAsOneLineOrTwo)
{
    struct Case {
        std::string title;
        bool twoLines;
        std::string_view upper, lower;
    };
    const Case cases[] = {
        {"王喆", false, "王喆", ""},
        {"", false, "", ""},
        {zem::JoinCellRecord({"语文组", "王喆"}), true, "语文组", "王喆"},
        {zem::JoinCellRecord({"", "王喆"}), true, "", "王喆"},
        {zem::JoinCellRecord({"语文组", "王喆", "多余"}), true, "语文组", "王喆"},  // no title has a third line
    };
    for (const Case& c : cases) {
        const zem::TitleLines lines = zem::ReadTitleLines(c.title);
        EXPECT_EQ(lines.twoLines, c.twoLines) << c.title;
        EXPECT_EQ(lines.upper, c.upper) << c.title;
        EXPECT_EQ(lines.lower, c.lower) << c.title;
    }
}

}  // namespace
