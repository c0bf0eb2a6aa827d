#pragma once
// The cell record a grid shows: an entry count, then per entry a key, a main text and a secondary
// text, every field after the count preceded by the byte 7 ("1", 7, key, 7, main, 7, secondary).
// A title of the whole-school grid uses the same separator between its two lines. Header-only, so
// that the grid library, which links no data library, shares it.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zem {

inline constexpr char kCellSeparator = 7;

// The fields of a record, empty ones kept, also after a trailing separator; "" is one empty field.
inline std::vector<std::string_view> SplitCellRecord(std::string_view record)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t end = record.find(kCellSeparator);
        fields.push_back(record.substr(0, end));
        if (end == std::string_view::npos)
            return fields;
        record.remove_prefix(end + 1);
    }
}

// One entry of a cell record: a lesson, or one half of an odd/even slot, with its two lines.
struct CellEntry {
    std::string_view key, main, secondary;
};

// A cell record by its fields: the count, then one entry, or the two halves of an odd/even slot.
// A text of any other shape (a whole-school title, a damaged record) has no entries.
struct CellFields {
    std::string_view count;
    std::vector<CellEntry> entries;
    // Every whole entry after the count whatever the shape, and the fields after the last one: for a
    // reader that takes as many entries as the count asks.
    std::vector<CellEntry> written;
    std::size_t leftOver = 0;
    bool IsPair() const { return entries.size() == 2; }
};

// The record's fields; the views point into `record`.
inline CellFields ReadCellRecord(std::string_view record)
{
    const std::vector<std::string_view> fields = SplitCellRecord(record);
    CellFields read;
    read.count = fields.front();
    std::size_t i = 1;
    for (; i + 2 < fields.size(); i += 3)
        read.written.push_back({fields[i], fields[i + 1], fields[i + 2]});
    read.leftOver = fields.size() - i;
    if (read.leftOver == 0 && (read.written.size() == 1 || read.written.size() == 2))
        read.entries = read.written;
    return read;
}

// A title of the whole-school grid: one line, or a group's name above a teacher's.
struct TitleLines {
    std::string_view upper, lower;
    bool twoLines = false;
};

// The title's lines; a third line, which no title is made with, is left out. The views point into
// `title`.
inline TitleLines ReadTitleLines(std::string_view title)
{
    const std::vector<std::string_view> lines = SplitCellRecord(title);
    if (lines.size() < 2)
        return {title, {}, false};
    return {lines[0], lines[1], true};
}

// Appends one field to a record that already holds at least one.
inline void AppendCellField(std::string& record, std::string_view field)
{
    record += kCellSeparator;
    record += field;
}

// The fields joined by the separator.
inline std::string JoinCellRecord(std::initializer_list<std::string_view> fields)
{
    std::string record;
    bool first = true;
    for (const std::string_view field : fields) {
        if (!first)
            record += kCellSeparator;
        record += field;
        first = false;
    }
    return record;
}

}  // namespace zem
