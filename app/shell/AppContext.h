#pragma once
// The one program-wide object: it owns the open task, remembers the main dialog, and holds every
// program-wide user setting of zem.ini, the recent-task lists, the table fonts, the two page
// layouts, the subject colour map, the tip balloon and the tip list. Settings are read once when
// the context is made; each setter writes its key at once.
#include "app/shared/AppServices.h"
#include "app/shared/FontSpec.h"
#include "app/shared/RecentList.h"
#include "app/shared/SettingsFile.h"
#include "app/output/PageLayout.h"
#include "app/shell/FeatureWindows.h"
#include "app/shell/TipList.h"
#include "app/taskhelper/SubjectColorMap.h"
#include "base/ConfigHost.h"

#include <memory>
#include <string>
#include <vector>

class CMainDlg;
class CScheduleTask;
class CTaskInfo;
class CTipWnd;

// The user's school.
class CAccountInfo {
public:
    std::string GetSchoolName() const { return m_schoolName; }
    void SetSchoolName(const std::string& name) { m_schoolName = name; }

private:
    std::string m_schoolName = "演示学校";
};

class CAppContext : public CConfigHost, public CAppServices {
public:
    // The one context, made on first use over GetIniFilePath().
    static CAppContext* Get();
    // Makes the one context over the given settings file, replacing one that exists.
    static CAppContext* Create(const std::string& iniPath);
    static bool Exists();
    // Deletes the context, and with it the open task.
    static void Free();

    // zem.ini beside the program when that folder can be written (a portable copy), else in the
    // user's configuration folder.
    static std::string GetIniFilePath();
    // The program's read-only resources (the demo task): beside the program, else the install's
    // data folder. Ends with "/".
    static std::string GetResourceFolder();

    ~CAppContext() override;
    CAppContext(const CAppContext&) = delete;
    CAppContext& operator=(const CAppContext&) = delete;

    // ---- The open task and the main dialog ----
    bool HasTask() const { return m_pTask != nullptr; }
    CScheduleTask* GetTask() const override { return m_pTask; }
    void CloseTask();
    // Before the open task closes: when a save of its timetables failed, asks whether to save
    // them again or let them go. True when the task may close; a task let go is not asked again.
    bool ConfirmCloseTask();
    CMainDlg* GetMainDlg() const { return m_pMainDlg; }
    void SetMainDlg(CMainDlg* dialog) { m_pMainDlg = dialog; }
    void UpdateCaption();

    // ---- Opening and creating tasks ----
    // Opens the task file; with skipIfOpen, the task already open is kept. The task open before
    // is closed only once the new one has opened.
    bool OpenTask(const std::string& path, bool skipIfOpen);
    bool OpenTaskByDialog();
    // Opens the first entry of the recent-task list; false when the list is empty.
    bool ReopenLastTask();
    // Runs the new-task dialog, writes the new task and opens it.
    bool CreateNewTask(bool hideTakeOption);
    // Opens the demo task, copied first into the user's task folder (a shipped copy cannot be
    // saved in place); a copy made earlier is opened as it stands.
    bool OpenDemoTask();
    // Where the demo task is copied to.
    static std::string GetDemoTaskFile();
    bool IsDataCopiedOnCreate() const { return m_bDataCopiedOnCreate; }

    // ---- Launchers of feature dialogs ----
    void ShowSettingsDialog() const override;
    void ShowTaskInfoDialog() const override;
    std::string ShowCompletionDialog(QWidget* parent, const CLessonCounter& counter) const override;
    void ShowBackupDialog() const;
    void ShowDataStatisticsDialog() const;
    void ShowTeacherStatisticDialog() const;
    void ShowExportAllDialog() const;
    void ShowTeacherTimeQueryDialog() const;
    void ShowRestoreDialog() const;
    void ShowClearTimetableDialog() const;
    void ShowReverseImportDialog() const;
    void ShowTableMoveDialog() const;
    void ShowProctorDialog() const;
    // True when a task is open; otherwise says there is none.
    bool RequireTask() const;

    // ---- Settings ----
    int GetLastPage() const { return m_nLastPage; }
    CAccountInfo& GetAccountInfo() { return m_account; }
    CRecentList& GetRecentTasks() { return m_recentTasks; }
    CRecentList& GetRecentTempTasks() { return m_recentTempTasks; }
    CTipWnd* GetTipWnd() const override { return m_pTipWnd.get(); }
    CTipList* GetTipList() const { return m_pTipList.get(); }
    CWeekTablePageLayout& GetWeekTableLayout() { return m_weekLayout; }
    CTablePageLayout& GetSchoolTableLayout() { return m_schoolLayout; }
    CSubjectColorMap& GetSubjectColorMap() { return m_colorMap; }
    // i is 0 (week window), 1 (multi-timetable window) or 2 (whole-school window).
    CTableFontPair& GetTableFont(int i) { return m_tableFonts[i]; }
    const CTableFontPair* GetTableFontRecord(int which) const override
    {
        return which >= 0 && which < 3 ? &m_tableFonts[which] : nullptr;
    }
    CSubjectColorMap* GetColorMap() const override { return &m_colorMap; }

    int GetExportRange() const { return m_nExportRange; }
    int GetDriver() const { return m_nDriver; }
    int GetLUDriver() const { return m_nLUDriver; }
    // The spreadsheet program to try first: Driver, but 2 when Driver is 0 and LUDriver is 2.
    int GetSpreadsheetDriver() const;
    int GetImportFormat() const { return m_nImportFormat; }
    bool GetColorTable() const override { return m_bColorTable; }
    int GetBackground() const { return m_nBackground; }
    bool GetAutoShowDistribution() const override { return m_bAutoShowDistribution; }
    bool GetPlaySoundInMoving() const override { return m_bPlaySoundInMoving; }
    bool GetMergeContinuous() const { return m_bMergeContinuous; }
    bool GetAutoFillEmptyCell() const { return m_bAutoFillEmptyCell; }
    bool GetShowTagLocked() const override { return m_bShowTagLocked; }
    bool GetShowTagLinked() const override { return m_bShowTagLinked; }
    bool GetShowTagDisabled() const override { return m_bShowTagDisabled; }
    bool GetShowRoomNumber() const override { return m_bShowRoomNumber; }
    bool GetShowTeacherByGroup() const override { return m_bShowTeacherByGroup; }
    std::string GetExportFolder() const override { return m_strExportFolder; }
    std::string GetLastTaskFolder() const override { return m_strLastTaskFolder; }
    std::string GetLastOpenTaskFolder() const { return m_strLastOpenTaskFolder; }
    // LastOpenTaskFolder when set, else the default task folder.
    std::string GetOpenFolder() const;
    int GetWeekTableBackground() const override { return m_nBackground; }
    std::vector<std::string> GetSubjectSelection() const override { return m_schoolLayout.subjectFilter; }
    const CConfigHost* GetProgramConfig() const override { return this; }
    CWeekTablePageLayout* GetWeekPageLayout() const override { return &m_weekLayout; }
    bool SaveWeekPageLayout() const override { return const_cast<CAppContext*>(this)->SaveWeekTableSettings(); }
    std::string GetSchoolName() const override { return m_account.GetSchoolName(); }
    void StoreExportFolder(const std::string& folder) const override { const_cast<CAppContext*>(this)->SetExportFolder(folder); }

    // Each stores the value and writes its key at once. A failed write is logged and shown as
    // "无法写入设置文件 %s"; the setter then answers false.
    bool SetExportFolder(const std::string& folder);
    bool SetExportRange(int range);
    bool SetDriver(int driver);
    bool SetLUDriver(int driver);
    bool SetImportFormat(int format);
    bool SetMergeContinuous(bool on);
    bool SetAutoFillEmptyCell(bool on);
    bool SetColorTable(bool on);
    bool SetBackground(int background);
    bool SetAutoShowDistribution(bool on);
    bool SetPlaySoundInMoving(bool on);
    bool SetShowTagLocked(bool on);
    bool SetShowTagLinked(bool on);
    bool SetShowTagDisabled(bool on);
    bool SetShowRoomNumber(bool on);
    bool SetShowTeacherByGroup(bool on);
    bool SetLastTaskFolder(const std::string& folder);
    // From the path of a task file: the folder that holds the task's folder.
    bool SetLastOpenTaskFolder(const std::string& taskFile);
    // Written at close, when nobody waits for an answer: a failure is only logged.
    bool SetLastPage(int page);
    bool SaveWeekTableSettings();
    bool SaveSchoolTableSettings();
    // Writes the eight keys of table font 0, 1 or 2; other values write nothing.
    bool SaveTableFonts(int which);

    // Table font `which` (0-2, or 3 for all) back to the KaiTi face and its default sizes.
    void ResetTableFonts(int which);
    // The whole-school layout takes table font 2.
    void SyncSchoolTableFont();
    // Table fonts waiting for a face get the scanned KaiTi face.
    void ApplyScannedFonts();

    // The path of the settings file, for messages.
    std::string GetIniFilePathOfContext() const { return GetConfigFile(); }

private:
    explicit CAppContext(const std::string& iniPath);

    void ReadSettings();
    void ReadWeekTableSettings();
    void ReadSchoolTableSettings();
    void ReadTableFonts();
    void ReadBlankLines();
    int GetIntWithOldKey(const std::string& section, const std::string& key, const std::string& oldKey,
                         int current) const;
    bool GetBool(const std::string& section, const std::string& key, bool current) const;
    // Writes the keys in one save; on failure logs it and, with tellUser, shows the message.
    bool WriteKeys(const std::vector<CSettingWrite>& writes, bool tellUser);
    bool WriteKey(const std::string& section, const std::string& key, const std::string& value, bool tellUser = true);
    void Launch(Feature feature, bool needsTask) const;
    bool CopySourceTaskData(const std::string& sourceTaskFile, const CTaskInfo& target, bool withTimetables);

    CScheduleTask* m_pTask = nullptr;
    bool m_bUnsavedTablesLetGo = false;  // the user agreed to lose the open task's unsaved timetables
    CMainDlg* m_pMainDlg = nullptr;
    CRecentList m_recentTasks;
    CRecentList m_recentTempTasks;
    int m_nLastPage = 1;
    CAccountInfo m_account;
    std::unique_ptr<CTipWnd> m_pTipWnd;
    std::unique_ptr<CTipList> m_pTipList;
    // Changed by the print settings through the services.
    mutable CWeekTablePageLayout m_weekLayout;
    CTablePageLayout m_schoolLayout;
    CTableFontPair m_tableFonts[3];
    // Builds itself on use, also for readers of the services.
    mutable CSubjectColorMap m_colorMap;
    int m_nExportRange = 0;
    int m_nDriver = 0;
    int m_nLUDriver = 0;
    int m_nImportFormat = 1;
    bool m_bColorTable = false;
    int m_nBackground = 1;
    bool m_bAutoShowDistribution = true;
    bool m_bPlaySoundInMoving = true;
    bool m_bMergeContinuous = false;
    bool m_bAutoFillEmptyCell = false;
    bool m_bShowTagLocked = true;
    bool m_bShowTagLinked = true;
    bool m_bShowTagDisabled = true;
    bool m_bShowRoomNumber = true;
    bool m_bShowTeacherByGroup = true;
    bool m_bDataCopiedOnCreate = false;
    std::string m_strExportFolder;
    std::string m_strLastTaskFolder;
    std::string m_strLastOpenTaskFolder;
};
