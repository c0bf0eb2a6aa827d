#pragma once
// The list of a task's backups, kept in the task folder's backup.ini: day and timed copies in the
// folder "Backup" and manual copies elsewhere, newest first, at most six of each kind.
#include <list>
#include <string>
#include <vector>

struct CBackupEntry;

class CBackupManager {
public:
    enum Type {
        DayBackup = 0,     // Backup/YYYYMMDD, refreshed at most hourly
        TimedBackup = 1,   // Backup/YYYYMMDD_hhmmss, before a risky operation
        ManualBackup = 2,  // a folder the user chose; the entry holds its full path
    };
    static constexpr int kMaxEntriesPerType = 6;

    CBackupManager();
    CBackupManager(const CBackupManager&);
    CBackupManager& operator=(const CBackupManager&);
    virtual ~CBackupManager();

    // Loads the list of the task in `taskFolder` from backup.ini; without stored entries the list
    // is rebuilt from the Backup folder and, when it found any and `store` allows, written back.
    // Only complete backups are listed; one made but not listed when the program stopped is added.
    void Init(const std::string& taskFolder, bool store = true);
    // Puts an entry at the head of the list and writes backup.ini. A day or timed entry whose
    // folder is not in the Backup folder is not added. False when backup.ini cannot be written,
    // having said why; given `error`, the reason goes there and nothing is shown.
    bool AddEntry(Type type, const std::string& time, const std::string& folder, const std::string& description,
                  std::string* error = nullptr);
    // Appends the entries, newest first. They stay owned by the manager and live until its list changes.
    void GetAllBackups(std::vector<const CBackupEntry*>& out) const;

    // The folder of day and timed backups: task folder + "Backup", without a trailing '/'.
    std::string GetAutoBackupPath() const { return m_strBackupFolder; }
    bool IsNeedAutoBackupBeforeRestore() const { return m_bAutoBackupBeforeRestore; }
    void SetAutoBackupBeforeRestore(bool on);

private:
    void AddEntryToHead(Type type, const std::string& time, const std::string& folder, const std::string& description);
    void BuildEntryListFromAutoBackupFolder(bool store);
    // Adds the complete backups of the Backup folder that are newer than the list's own.
    void AddUnlistedBackups(bool store);
    // The complete day and timed backups of the Backup folder, oldest first.
    std::vector<CBackupEntry> CompleteBackupsInFolder() const;
    bool Write(std::string* error = nullptr) const;
    void FreeEntryList();
    std::string IniPath() const { return m_strTaskFolder + "backup.ini"; }

    std::list<CBackupEntry> m_entries;
    std::string m_strTaskFolder;
    std::string m_strBackupFolder;
    bool m_bAutoBackupBeforeRestore = true;
};

struct CBackupEntry {
    std::string m_strTime;    // local time, "YYYYMMDDhhmmss"
    std::string m_strFolder;  // a folder name in the Backup folder, or a full path for a manual backup
    CBackupManager::Type m_type = CBackupManager::DayBackup;
    std::string m_strDescription;  // what the backup was taken before, or empty
};
