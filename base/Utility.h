#pragma once
// Free functions the task classes share: XML lookups, paths, text splitting and testing, slot keys,
// cell records and the folder copy.
#include "base/TableNode.h"

#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <vector>

// The first child element named `name` (ASCII case ignored) among the node's leading run of
// element children: the walk ends at the first child that is not an element (text, comment,
// processing instruction). A null node when there is none.
pugi::xml_node FindChildNodeByName(pugi::xml_node node, std::string_view name);

// The value of the element's attribute of exactly that name; empty text when it has none.
std::string GetNodeAttribute(pugi::xml_node element, std::string_view name);

// False when nothing is at the path; for a folder `wantFolder`; for a file !wantFolder.
bool IsPathExist(const std::string& path, bool wantFolder);

// Appends the pieces of `text` between separator bytes to `pieces` and returns how many it appended.
// Empty pieces are appended unless skipEmpty; a trailing separator never gives an empty last piece.
int SplitTextToArray(std::string_view text, std::string_view separators, std::vector<std::string>& pieces,
                     bool skipEmpty);

// True when every byte is a digit 0 to 9 (also for empty text).
bool IsAllDigits(std::string_view text);

// The cell record of a whole-week cell and of an odd/even cell, fields separated by the byte 7.
std::string MakeCellText(std::string_view line1, std::string_view line2);
std::string MakeCellTextEx(std::string_view oddLine1, std::string_view oddLine2, std::string_view evenLine1,
                           std::string_view evenLine2);

std::string IntToText(int value);

// "早读" for 1, "晚自习" for 2, "教学计划" otherwise.
std::string GetActivityTypeName(int courseType);

// "第1周周一上午第1节" and the like, "周一上午第1节" without `namesWeek` (a school of one week, as
// CSchoolStructure::NamesWeeks decides); empty text for a null node or one out of range.
std::string GetTimeNodeText(const tagTABLE_NODE* node, bool namesWeek);

// Appends the text unless the array holds it already, ASCII case ignored.
void AddUniqueString(std::vector<std::string>& array, std::string_view text);
// True when the array holds the text, ASCII case ignored.
bool IsStringInArray(const std::vector<std::string>& array, std::string_view text);

// The key of a slot: day, segment and section written one after the other ("012", "1023").
std::string MakeNodeKey(int day, int segment, int section);

// Reads a key as a decimal number n: day n / 100, segment n / 10 % 10, section n % 10. True only
// when the key is all digits and names a slot in range; callers must not use the numbers otherwise.
bool ParseNodeKey(std::string_view key, int& day, int& segment, int& section);

// Copies the source folder's contents into the target folder, creating it and overwriting files;
// shows nothing. 0 on success.
int CopyFolderSilently(const std::string& sourceFolder, const std::string& targetFolder);
