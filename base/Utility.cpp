#include "base/Utility.h"

#include "base/CellRecord.h"

#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>

pugi::xml_node FindChildNodeByName(pugi::xml_node node, std::string_view name)
{
    for (pugi::xml_node child = node.first_child(); child && child.type() == pugi::node_element;
         child = child.next_sibling()) {
        if (zem::EqualsNoCase(child.name(), name))
            return child;
    }
    return {};
}

std::string GetNodeAttribute(pugi::xml_node element, std::string_view name)
{
    for (pugi::xml_attribute attribute : element.attributes()) {
        if (name == attribute.name())
            return attribute.value();
    }
    return {};
}

bool IsPathExist(const std::string& path, bool wantFolder)
{
    if (zem::FolderExists(path))
        return wantFolder;
    if (zem::FileExists(path))
        return !wantFolder;
    return false;
}

int SplitTextToArray(std::string_view text, std::string_view separators, std::vector<std::string>& pieces,
                     bool skipEmpty)
{
    // Separators are ASCII and the text UTF-8, so a split never lands inside a character.
    int count = 0;
    auto append = [&](std::string_view piece) {
        if (!piece.empty() || !skipEmpty) {
            pieces.emplace_back(piece);
            ++count;
        }
    };
    while (!text.empty()) {
        const std::size_t at = text.find_first_of(separators);
        if (at == std::string_view::npos) {
            append(text);
            break;
        }
        append(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    return count;
}

bool IsAllDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string MakeCellText(std::string_view line1, std::string_view line2)
{
    return zem::JoinCellRecord({line1.empty() ? "0" : "1", "1", line1, line2});
}

std::string MakeCellTextEx(std::string_view oddLine1, std::string_view oddLine2, std::string_view evenLine1,
                           std::string_view evenLine2)
{
    return zem::JoinCellRecord({"2", "1", oddLine1, oddLine2, "2", evenLine1, evenLine2});
}

std::string IntToText(int value) { return std::to_string(value); }

std::string GetActivityTypeName(int courseType)
{
    switch (courseType) {
    case 1:
        return "早读";
    case 2:
        return "晚自习";
    default:
        return "教学计划";
    }
}

std::string GetTimeNodeText(const tagTABLE_NODE* node, bool namesWeek)
{
    static const char* const kDayNames[7] = {"周一", "周二", "周三", "周四", "周五", "周六", "周日"};
    static const char* const kSegmentNames[zem::kSegmentCount] = {"上午", "下午", "晚上", "早读", "晚自习"};
    if (!node || !IsNodeInRange(*node))
        return {};
    const int week = node->day / 7;
    return zem::Format("%s%s%s第%d节", namesWeek ? (week == 0 ? "第1周" : "第2周") : "", kDayNames[node->day % 7],
                       kSegmentNames[node->segment], node->section + 1);
}

bool IsStringInArray(const std::vector<std::string>& array, std::string_view text)
{
    return std::any_of(array.begin(), array.end(),
                       [text](const std::string& element) { return zem::EqualsNoCase(element, text); });
}

void AddUniqueString(std::vector<std::string>& array, std::string_view text)
{
    if (!IsStringInArray(array, text))
        array.emplace_back(text);
}

std::string MakeNodeKey(int day, int segment, int section) { return zem::Format("%d%d%d", day, segment, section); }

bool ParseNodeKey(std::string_view key, int& day, int& segment, int& section)
{
    const int n = zem::ParseIntPrefix(key);
    day = n / 100;
    segment = n / 10 % 10;
    section = n % 10;
    return !key.empty() && IsAllDigits(key) && IsNodeInRange(day, segment, section);
}

int CopyFolderSilently(const std::string& sourceFolder, const std::string& targetFolder)
{
    return zem::CopyFolder(sourceFolder, targetFolder);
}
