#pragma once
// Small jobs every dialog and window of the program does the same way: numbers as text, the
// message box, the string table, arrays of strings, splitting text, new object ids, the time, and
// line breaks kept in ini files. Strings are UTF-8; comparisons "ignoring case" ignore ASCII case.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

// ---- Numbers, messages and resources ----

std::string IntToString(int value);
// 1 when the value is non-zero, else 0.
int ToBool(int value);
// The value when low <= value <= high; else the fallback when that lies inside; else the nearer bound.
int ClampRange(int value, int low, int high, int fallback);
// A text of the program's string table; empty text for an id it does not hold.
std::string LoadResString(int id);
// A message box with the caption "提示", the information icon and an OK button; returns its answer.
int ShowMessage(const std::string& text);

// Refuses text that the task's GBK files cannot hold (CJK Extension B, emoji...), with a message
// that names the first such character, so that it never turns into "?" on disk.
bool CheckGbkText(std::string_view text, std::string* message = nullptr);

// ---- Arrays of strings ----

bool StringArrayContainsNoCase(const std::vector<std::string>& array, std::string_view text);
// Appends the text unless the array holds it, ignoring case.
void StringArrayAddUnique(std::vector<std::string>& array, std::string_view text);
void StringArrayAddAllUnique(std::vector<std::string>& array, const std::vector<std::string>& more);
// Removes every entry equal to the text (case-sensitive).
void RemoveString(std::vector<std::string>& array, std::string_view text);
// Removes every entry that the second array holds, ignoring case.
void RemoveStringsIn(std::vector<std::string>& array, const std::vector<std::string>& remove);

template <class T>
bool ArrayContainsValue(const std::vector<T>& array, const T& value)
{
    return std::find(array.begin(), array.end(), value) != array.end();
}

// The base name when no entry equals it; else the first free "name(1)" .. "name(99)"; after 99
// the text with 99, even if taken.
std::string MakeUniqueName(const std::vector<std::string>& names, const std::string& baseName);

// Cuts at any of the separator bytes (ASCII). Empty pieces are kept unless dropEmpty: "a,,b,"
// gives a, "", b, ""; an empty text gives one empty piece. Appends; returns how many it appended.
int SplitToArray(std::string_view text, std::string_view separators, std::vector<std::string>& out,
                 bool dropEmpty);

// Cuts at separator strings: at each step the leftmost separator found ends a piece, the earlier
// one in the array on a tie. An empty separator array is first filled with "," "，" "、" "\r\n"
// "\n" ";" "；". Pieces are trimmed of blanks; a trailing separator gives no empty piece. Appends;
// returns the output's new size, -1 without an output array.
int SplitNameList(std::string_view text, std::vector<std::string>& separators, std::vector<std::string>* out,
                  bool dropEmpty);

// Spreadsheet column letters of a 1-based column: 1 A, 26 Z, 27 AA, 703 AAA; empty below 1.
std::string ColumnLetters(int column);

// ---- Ids, time and the user ----

// A new random UUID as 32 lower-case hexadecimal digits without "-": the id of every new object.
std::string NewGuidString();
// The local time as "2026-03-01 08:05:09".
std::string GetNowString();
// The login name of the user; empty text when it cannot be found.
std::string GetWindowsUserName();

// ---- Conversions ----

// UTF-8 to UTF-16 and back into a buffer of `size` units including the terminating zero. 0 and
// nothing written when the buffer is too small; else the length written (without the zero).
int AnsiToWide(std::string_view text, char16_t* buffer, int size);
int WideToAnsi(std::u16string_view text, char* buffer, int size);

// Every "\r\n", then every remaining "\n", replaced by the token (before a multi-line text goes
// into an ini file), and back: every token replaced by "\r\n".
std::string EncodeLineBreaks(const std::string& text, const std::string& token);
std::string DecodeLineBreaks(const std::string& text, const std::string& token);
