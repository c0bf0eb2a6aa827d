#pragma once
// Process-wide table of interned ids. Timetable cells hold a 32-bit handle instead of the id text,
// so a table stays small and copies like plain memory. Append-only and thread-safe: a handle, once
// given, names the same text for the life of the process, and reading it takes no lock.
#include <cstdint>
#include <string>
#include <string_view>

namespace zem {

using IdHandle = std::uint32_t;
constexpr IdHandle kNoId = 0;  // the empty text

// The handle of a text, interning it on first use. The empty text is always kNoId.
IdHandle InternId(std::string_view text);

// The handle of a text that was interned before, or kNoId when it never was (never adds).
IdHandle FindId(std::string_view text);

// The text of a handle; the empty text for kNoId or an unknown handle. The reference stays valid
// for the life of the process.
const std::string& IdText(IdHandle handle);

// How many texts are interned (the empty text not counted).
std::size_t IdCount();

}  // namespace zem
