#pragma once
// A most-recently-used list of paths kept in one section of an ini file, newest first, under the
// keys "1".."n"; the first empty key ends the list.
#include <string>
#include <vector>

class CRecentList {
public:
    CRecentList() = default;
    virtual ~CRecentList() = default;

    // Remembers the place and loads the entries from it.
    void Init(const std::string& file, const std::string& section, int capacity);
    // Puts the path at the front: an entry naming the same file leaves its place, entries beyond
    // the capacity drop off, and the list is saved. False when the save failed.
    bool Add(const std::string& path);
    // Removes the entry; the caller saves.
    void RemoveAt(int index);
    // Writes keys 1..n and empties key n+1. Nothing without a file. False when the write failed,
    // with the reason in GetLastError.
    bool Save();

    // The entry, or empty text outside 0..count-1.
    std::string GetAt(int index) const;
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    // The index of the entry naming the same file as the path, or -1.
    int Find(const std::string& path) const;

    const std::string& GetFile() const { return m_file; }
    const std::string& GetSection() const { return m_section; }
    const std::string& GetLastError() const { return m_lastError; }

    // Two entries name the same file: local paths when their canonical forms are equal (letter
    // case matters here); paths written on Windows, which are only kept as text, when they are
    // equal ignoring letter case and the kind of slash.
    static bool IsSameEntry(const std::string& a, const std::string& b);

private:
    void Load();

    std::string m_file;
    std::string m_section;
    int m_capacity = 10;
    std::vector<std::string> m_entries;
    std::string m_lastError;
};
