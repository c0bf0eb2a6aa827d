#include "app/shared/RecentList.h"

#include "app/shared/SettingsFile.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

#include <algorithm>
#include <filesystem>

namespace {

std::string CanonicalForm(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    if (ec)
        canonical = std::filesystem::path(path).lexically_normal();
    return canonical.string();
}

std::string WindowsForm(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    for (char& c : path) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return path;
}

}  // namespace

void CRecentList::Init(const std::string& file, const std::string& section, int capacity)
{
    m_file = file;
    m_section = section;
    m_capacity = std::max(1, capacity);
    Load();
}

void CRecentList::Load()
{
    m_entries.clear();
    if (m_file.empty())
        return;
    zem::IniFile ini;
    ini.Load(m_file);
    for (int i = 1; i <= m_capacity; ++i) {
        const std::string value = ini.GetString(m_section, std::to_string(i));
        if (value.empty())
            break;
        m_entries.push_back(value);
    }
}

bool CRecentList::IsSameEntry(const std::string& a, const std::string& b)
{
    const bool windowsA = zem::IsWindowsPath(a);
    if (windowsA != zem::IsWindowsPath(b))
        return false;
    if (windowsA)
        return WindowsForm(a) == WindowsForm(b);
    return a == b || CanonicalForm(a) == CanonicalForm(b);
}

int CRecentList::Find(const std::string& path) const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (IsSameEntry(m_entries[i], path))
            return static_cast<int>(i);
    }
    return -1;
}

bool CRecentList::Add(const std::string& path)
{
    if (m_file.empty())
        return true;
    if (const int at = Find(path); at >= 0)
        m_entries.erase(m_entries.begin() + at);
    m_entries.insert(m_entries.begin(), path);
    if (static_cast<int>(m_entries.size()) > m_capacity)
        m_entries.resize(static_cast<std::size_t>(m_capacity));
    return Save();
}

void CRecentList::RemoveAt(int index)
{
    if (index >= 0 && index < GetCount())
        m_entries.erase(m_entries.begin() + index);
}

bool CRecentList::Save()
{
    m_lastError.clear();
    if (m_file.empty())
        return true;
    std::vector<CSettingWrite> writes;
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        writes.push_back({m_section, std::to_string(i + 1), m_entries[i]});
    writes.push_back({m_section, std::to_string(m_entries.size() + 1), ""});
    return WriteSettings(m_file, writes, &m_lastError);
}

std::string CRecentList::GetAt(int index) const
{
    return index >= 0 && index < GetCount() ? m_entries[static_cast<std::size_t>(index)] : std::string();
}
