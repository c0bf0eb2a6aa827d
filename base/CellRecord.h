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
