#include "base/BackupManager.h"

#include "base/Log.h"
#include "base/TaskFolder.h"
#include "base/Utility.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

#include <sys/stat.h>

#include <cstdio>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace {

constexpr const char* kBackupSection = "Backup";
constexpr const char* kCommonSection = "Common";
constexpr const char* kAutoBackupKey = "AutoBackupBeforeRestore";
constexpr int kMaxKeys = CBackupManager::kMaxEntriesPerType * 3;

std::string ValueOf(const CBackupEntry& entry)
{
    return zem::Format("%d|%s|%s|%s", static_cast<int>(entry.m_type), entry.m_strTime.c_str(),
                       entry.m_strFolder.c_str(), entry.m_strDescription.c_str());
}

// "type|time|folder|description": empty pieces before the description are skipped, as older
// files may hold them; everything after the folder is the description, '|' included.
std::optional<CBackupEntry> ParseValue(std::string_view value)
{
    std::vector<std::string_view> head;
    while (head.size() < 3 && !value.empty()) {
        const std::size_t bar = value.find('|');
        const std::string_view piece = value.substr(0, bar);
        value = bar == std::string_view::npos ? std::string_view() : value.substr(bar + 1);
        if (!piece.empty())
            head.push_back(piece);
    }
    if (head.size() < 3)
        return std::nullopt;
    const int type = zem::ParseIntPrefix(head[0]);
    if (type < CBackupManager::DayBackup || type > CBackupManager::ManualBackup)
        return std::nullopt;
    CBackupEntry entry;
    entry.m_type = static_cast<CBackupManager::Type>(type);
    entry.m_strTime = head[1];
    entry.m_strFolder = head[2];
    entry.m_strDescription = value;
    return entry;
}

// A manual backup's folder as the user chose it: a full path here, or one written on Windows
// ("X:\..." or "\\server\..."), which is listed as missing. A relative path would be looked up
// wherever the program was started.
bool IsFullPath(std::string_view folder)
{
    if (!folder.empty() && folder.front() == '/')
        return true;
    if (folder.substr(0, 2) == "\\\\")
        return true;
    return folder.size() >= 3 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/') &&
           ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
}

std::string ModificationTime(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    const zem::LocalTime t = zem::FromEpochSeconds(st.st_mtime);
    return zem::Format("%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

// backup.ini only lists what the Backup folder holds. One that is no file to read (a pipe, a
// device, a link to one, or larger than a list can be) is kept under a name of its own, never over
// another file, so that the list is written anew; false for any other fault.
bool SetDamagedListAside(const std::string& path, int code)
{
    if (code != ESPIPE && code != EFBIG && code != ELOOP)
        return false;
    const zem::LocalTime now = zem::Now();
    const std::string stem = zem::Format("%s-损坏-%04d%02d%02d-%02d%02d%02d", path.substr(0, path.size() - 4).c_str(),
                                         now.year, now.month, now.day, now.hour, now.minute, now.second);
    std::string aside = stem + ".ini";
    for (int n = 2; TaskFolder::HasEntry(aside); ++n)
        aside = zem::Format("%s-%d.ini", stem.c_str(), n);
    if (::rename(path.c_str(), aside.c_str()) != 0)
        return false;
    CLog::inst()->Log("backup", "kept the damaged %s aside as %s", path.c_str(), aside.c_str());
    return true;
}

}  // namespace

CBackupManager::CBackupManager() = default;
CBackupManager::CBackupManager(const CBackupManager&) = default;
CBackupManager& CBackupManager::operator=(const CBackupManager&) = default;
CBackupManager::~CBackupManager() = default;

void CBackupManager::Init(const std::string& taskFolder, bool store)
{
    m_strTaskFolder = taskFolder;
    if (!m_strTaskFolder.empty() && m_strTaskFolder.back() != '/')
        m_strTaskFolder += '/';
    m_strBackupFolder = m_strTaskFolder + "Backup";
    FreeEntryList();

    // An unreadable file reads as empty: the list is then rebuilt from the folder.
    std::string bytes;
    zem::ReadFileBytes(IniPath(), bytes, nullptr, nullptr, zem::kMaxIniFileBytes);
    const zem::IniFile ini = zem::IniFile::FromBytes(bytes);
    // Highest key first, each to the head, so the stored order comes back.
    for (int n = kMaxKeys; n >= 1; --n) {
        const std::string value = ini.GetString(kBackupSection, std::to_string(n));
        if (const std::optional<CBackupEntry> entry = ParseValue(value))
            AddEntryToHead(entry->m_type, entry->m_strTime, entry->m_strFolder, entry->m_strDescription);
    }
    if (m_entries.empty())
        BuildEntryListFromAutoBackupFolder(store);
    else
        AddUnlistedBackups(store);
    m_bAutoBackupBeforeRestore = ini.GetInt(kCommonSection, kAutoBackupKey, 1) != 0;
}

bool CBackupManager::AddEntry(Type type, const std::string& time, const std::string& folder,
                              const std::string& description, std::string* error)
{
    if (type == ManualBackup && !IsFullPath(folder)) {
        const std::string text = zem::Format("备份位置不是完整的路径：%s", folder.c_str());
        if (error)
            *error = text;
        else
            zem::ShowMessage(text, "提示", zem::MessageIcon::Warning);
        return false;
    }
    // Refuse here, with the ini file's own message, what backup.ini could not hold.
    CBackupEntry entry{time, folder, type, description};
    zem::IniFile probe;
    if (!probe.SetString(kBackupSection, "1", ValueOf(entry)))
        return false;
    AddEntryToHead(type, time, folder, description);
    return Write(error);
}

void CBackupManager::AddEntryToHead(Type type, const std::string& time, const std::string& folder,
                                    const std::string& description)
{
    // A day or timed entry names a complete backup in the real Backup folder, never a path or a
    // link out of it. A manual backup that is there but was never finished is no backup either;
    // one that is not there (a removable disk) stays listed as missing.
    if (type == DayBackup || type == TimedBackup) {
        if (!zem::CheckFileName(folder) || !zem::RealFolderExists(m_strBackupFolder) ||
            !TaskFolder::IsCompleteBackup(m_strBackupFolder + "/" + folder))
            return;
    } else if (!IsFullPath(folder) ||
               (folder[0] == '/' && zem::FolderExists(folder) && !TaskFolder::IsCompleteBackup(folder))) {
        return;
    }
    int count = 0;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->m_type != type) {
            ++it;
            continue;
        }
        if (it->m_strFolder == folder) {
            m_entries.erase(it);
            break;
        }
        if (++count >= kMaxEntriesPerType)
            it = m_entries.erase(it);
        else
            ++it;
    }
    m_entries.push_front(CBackupEntry{time, folder, type, description});
}

std::vector<CBackupEntry> CBackupManager::CompleteBackupsInFolder() const
{
    // A Backup that is a link holds somebody else's folders.
    std::vector<zem::FolderEntry> names;
    if (zem::RealFolderExists(m_strBackupFolder))
        zem::ListFolder(m_strBackupFolder, names);
    std::vector<CBackupEntry> candidates;
    for (const zem::FolderEntry& name : names) {
        const std::string folder = m_strBackupFolder + "/" + name.name;
        TaskFolder::BackupMark mark;
        if (!name.isFolder || !TaskFolder::IsCompleteBackup(folder, &mark))
            continue;
        CBackupEntry entry;
        entry.m_strFolder = name.name;
        entry.m_strDescription = mark.description;
        if (name.name.size() == 8 && IsAllDigits(name.name)) {
            entry.m_type = DayBackup;
            // The marker holds the backup's own time; a folder copied in keeps its own.
            entry.m_strTime = mark.time.size() == 14 && IsAllDigits(mark.time) ? mark.time : ModificationTime(folder);
        } else if (std::string digits = zem::ReplaceAll(name.name, "_", "");
                   name.name.size() == 15 && digits.size() == 14 && IsAllDigits(digits)) {
            entry.m_type = TimedBackup;
            entry.m_strTime = std::move(digits);
        } else {
            continue;
        }
        candidates.push_back(std::move(entry));
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const CBackupEntry& a, const CBackupEntry& b) { return a.m_strTime < b.m_strTime; });
    return candidates;
}

void CBackupManager::BuildEntryListFromAutoBackupFolder(bool store)
{
    const std::vector<CBackupEntry> candidates = CompleteBackupsInFolder();
    for (const CBackupEntry& entry : candidates)
        AddEntryToHead(entry.m_type, entry.m_strTime, entry.m_strFolder, entry.m_strDescription);
    // A task folder that is gone gets no backup.ini of its own, and a list with nothing to hold
    // changes no file: opening a task without backups leaves its folder as it was.
    if (store && !candidates.empty() && zem::FolderExists(m_strTaskFolder.empty() ? "." : m_strTaskFolder))
        Write();
}

void CBackupManager::AddUnlistedBackups(bool store)
{
    // A backup made just before the program stopped may be complete but not yet listed. Only one
    // newer than every listed backup of its kind is taken, so that those the list let go of as
    // too many stay out.
    auto newestListed = [this](Type type) {
        std::string newest;
        for (const CBackupEntry& entry : m_entries)
            if (entry.m_type == type && entry.m_strTime > newest)
                newest = entry.m_strTime;
        return newest;
    };
    const std::string newestDay = newestListed(DayBackup);
    const std::string newestTimed = newestListed(TimedBackup);
    bool added = false;
    for (const CBackupEntry& candidate : CompleteBackupsInFolder()) {
        const bool listed = std::any_of(m_entries.begin(), m_entries.end(), [&](const CBackupEntry& entry) {
            return entry.m_type == candidate.m_type && entry.m_strFolder == candidate.m_strFolder;
        });
        if (listed || candidate.m_strTime <= (candidate.m_type == DayBackup ? newestDay : newestTimed))
            continue;
        AddEntryToHead(candidate.m_type, candidate.m_strTime, candidate.m_strFolder, candidate.m_strDescription);
        added = true;
    }
    if (store && added)
        Write();
}

bool CBackupManager::Write(std::string* error) const
{
    zem::IniFile ini;
    if (!ini.Load(IniPath()) && !(SetDamagedListAside(IniPath(), errno) && ini.Load(IniPath()))) {
        if (error)
            *error = zem::Format("无法读取文件：\n%s\n（%s）", IniPath().c_str(), zem::FileErrorReason(errno).c_str());
        else
            ini.LoadForEdit(IniPath());
        return false;
    }
    int key = 1;
    for (const CBackupEntry& entry : m_entries) {
        if (key > kMaxKeys)
            break;
        ini.SetString(kBackupSection, std::to_string(key++), ValueOf(entry));
    }
    for (; key <= kMaxKeys; ++key)
        ini.SetString(kBackupSection, std::to_string(key), "");
    return ini.SaveIfModified(error);
}

void CBackupManager::FreeEntryList() { m_entries.clear(); }

void CBackupManager::GetAllBackups(std::vector<const CBackupEntry*>& out) const
{
    for (const CBackupEntry& entry : m_entries)
        out.push_back(&entry);
}

void CBackupManager::SetAutoBackupBeforeRestore(bool on)
{
    if (m_bAutoBackupBeforeRestore == on)
        return;
    m_bAutoBackupBeforeRestore = on;
    zem::WriteProfileString(IniPath(), kCommonSection, kAutoBackupKey, on ? "1" : "0");
}
