#pragma once
// Text helpers. In memory every string is UTF-8; on disk the task's files are GBK. Where behaviour
// depends on GBK bytes (widths, limits, sort order) these helpers measure the GBK form of UTF-8 text.
#include <cstdarg>
#include <string>
#include <string_view>

namespace zem {

// GBK bytes to UTF-8. False (and `out` holds what decoded before the fault) on a byte sequence
// that is not GBK.
bool GbkToUtf8(std::string_view gbk, std::string& out);

// GB18030 bytes (a superset of GBK) to UTF-8, as GbkToUtf8 does.
bool Gb18030ToUtf8(std::string_view gb18030, std::string& out);

// UTF-8 to GBK. False when the text holds a character GBK cannot hold or is not valid UTF-8;
// `out` then holds nothing useful.
bool Utf8ToGbk(std::string_view utf8, std::string& out);

// UTF-8 to GBK, writing each character GBK cannot hold as the XML numeric reference "&#x...;".
// False, with `out` empty, when the text is not valid UTF-8 (an overlong form, a surrogate, a cut
// sequence): nothing is dropped or replaced without the caller knowing.
bool Utf8ToGbkWithCharRefs(std::string_view utf8, std::string& out);

// True when every character of the UTF-8 text has a GBK form.
bool IsGbkRepresentable(std::string_view utf8);
// The first character of the text that has no GBK form (a byte that is not UTF-8 as "\xNN"), for
// a message that names it; empty text when every character has one.
std::string FirstNonGbkChar(std::string_view utf8);

// Number of bytes of the GBK form: 1 for ASCII and the euro sign, 2 for every other character
// (also for one that GBK cannot hold, which the files write as a reference).
int GbkWidth(std::string_view utf8);

// The longest prefix of the text whose GBK form has at most maxBytes bytes, never cutting a character.
std::string_view GbkPrefix(std::string_view utf8, int maxBytes);

// Compares the GBK forms byte by byte (the pinyin order users expect for names): <0, 0, >0.
int CompareGbk(std::string_view a, std::string_view b);

// CompareGbk without regard to ASCII case: the order lists sort names in when a column is sorted.
int CompareGbkNoCase(std::string_view a, std::string_view b);

// ASCII-case-insensitive comparison; other bytes compare as they are.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);
std::string ToLowerAscii(std::string_view text);

// printf-style formatting into a string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* format, va_list args);

// Locale-free reading of a decimal prefix, as the C library's atof and atoi read it: leading white
// space is skipped, the number ends at the first byte that cannot continue it, no digits reads as 0.
// The integer form is clamped to the int range.
double ParseDecimalPrefix(std::string_view text);
int ParseIntPrefix(std::string_view text);

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);
std::string_view Trim(std::string_view text);

// UTF-8 to UTF-16 and back, for rules that count UTF-16 units. A byte that is not UTF-8 and a lone
// surrogate become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Length in bytes of the UTF-8 character that starts at text[pos] (1 for an invalid byte).
std::size_t Utf8CharLength(std::string_view text, std::size_t pos);
// Offset of the first byte that is not part of valid UTF-8 (overlong forms and surrogates are not),
// or npos.
std::size_t FirstInvalidUtf8(std::string_view text);

}  // namespace zem
