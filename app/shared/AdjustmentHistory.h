#pragma once
// The stored history of plan adjustments: in an ini section, keys "1", "2", ... newest first, each
// value the entry's title followed by "|" and each changed timetable's id; the key after the last
// entry is empty.
#include <memory>
#include <string>
#include <vector>

struct CAdjustmentEntry {
    std::string title;
    std::vector<std::string> ids;  // class, teacher and room timetables it changed
};

using CAdjustmentEntryList = std::vector<std::unique_ptr<CAdjustmentEntry>>;

// The task.ini section of the history and the number of entries it keeps.
constexpr const char* kAdjustmentHistorySection = "AdjustmentHistory";
constexpr int kAdjustmentHistoryCount = 100;

class CAdjustmentHistory {
public:
    CAdjustmentHistory() = default;
    virtual ~CAdjustmentHistory() { Clear(); }
    CAdjustmentHistory(const CAdjustmentHistory&) = delete;
    CAdjustmentHistory& operator=(const CAdjustmentHistory&) = delete;

    // Reads keys "1".."count" of the section, stopping at the first empty one.
    void Load(const std::string& file, const std::string& section, int count);
    void Clear() { m_entries.clear(); }

    CAdjustmentEntryList& GetEntries() { return m_entries; }
    const std::string& GetFile() const { return m_file; }
    const std::string& GetSection() const { return m_section; }
    int GetCapacity() const { return m_capacity; }

private:
    std::string m_file;
    std::string m_section;
    int m_capacity = 100;
    CAdjustmentEntryList m_entries;
};

// Puts the new entries in front of the open task's history in task.ini (the last given ends up
// first), keeps the hundred newest (fewer when they would pass 256 KB) and empties the given list.
// Nothing is written without an open task or without entries; a failed write leaves the section
// as it was.
void SaveAdjustmentHistory(CAdjustmentEntryList& newEntries);
// The same into any ini file's section, keeping `kept` entries, the given list (oldest first) left
// as it is; false when the file could not be read for editing or written.
bool SaveAdjustmentHistoryTo(const std::string& file, const std::string& section, int kept,
                             const CAdjustmentEntryList& newEntries);
