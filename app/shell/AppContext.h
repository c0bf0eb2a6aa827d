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
class StagedTask;
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
    bool HasTask() const { return m_task != nullptr; }
    CScheduleTask* GetTask() const override { return m_task; }
    void CloseTask();
    // Before the open task closes: when a save of its timetables failed, asks whether to save
    // them again or let them go. True when the task may close; a task let go is not asked again.
    bool ConfirmCloseTask();
    CMainDlg* GetMainDlg() const { return m_mainDlg; }
    void SetMainDlg(CMainDlg* dialog) { m_mainDlg = dialog; }
    void UpdateCaption();

    // ---- Opening and creating tasks ----
    // Opens the task file; with skipIfOpen, the task already open is kept. The task open before
    // is closed only once the new one has opened.
    bool OpenTask(const std::string& path, bool skipIfOpen);
    bool OpenTaskByDialog();
    // Opens the first entry of the recent-task list; false when the list is empty.
    bool ReopenLastTask();
    // Runs the new-task dialog, writes the new task and opens it. A staged task is written into a
    // staging folder beside its place and opened from there (kept out of the recent list) until
    // PutNewTaskInPlace: a program killed meanwhile leaves no task under its name.
    bool CreateNewTask(bool hideTakeOption, bool staged = false);
    // Closes the staged task, puts its folder in its place once its files read back (with
    // `withTimetables` output.xml too) and opens it there. True when there was none.
    bool PutNewTaskInPlace(bool withTimetables);
    // At start: removes what a program killed while making a staged task left in the task folders.
    static void CleanStagedTasks();
    // Opens the demo task, copied first into the user's task folder (a shipped copy cannot be
    // saved in place); a copy made earlier is opened as it stands.
    bool OpenDemoTask();
    // Where the demo task is copied to.
    static std::string GetDemoTaskFile();
    bool IsDataCopiedOnCreate() const { return m_dataCopiedOnCreate; }

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
    int GetLastPage() const { return m_lastPage; }
    CAccountInfo& GetAccountInfo() { return m_account; }
    CRecentList& GetRecentTasks() { return m_recentTasks; }
    CRecentList& GetRecentTempTasks() { return m_recentTempTasks; }
    CTipWnd* GetTipWnd() const override { return m_tipWnd.get(); }
    CTipList* GetTipList() const { return m_tipList.get(); }
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

    int GetExportRange() const { return m_exportRange; }
    int GetDriver() const { return m_driver; }
    int GetLUDriver() const override { return m_luDriver; }
    // The spreadsheet program to try first: Driver, but 2 when Driver is 0 and LUDriver is 2.
    int GetSpreadsheetDriver() const;
    int GetImportFormat() const { return m_importFormat; }
    bool GetColorTable() const override { return m_colorTable; }
    int GetBackground() const { return m_background; }
    bool GetAutoShowDistribution() const override { return m_autoShowDistribution; }
    bool GetPlaySoundInMoving() const override { return m_playSoundInMoving; }
    bool GetMergeContinuous() const { return m_mergeContinuous; }
    bool GetAutoFillEmptyCell() const { return m_autoFillEmptyCell; }
    bool GetShowTagLocked() const override { return m_showTagLocked; }
    bool GetShowTagLinked() const override { return m_showTagLinked; }
    bool GetShowTagDisabled() const override { return m_showTagDisabled; }
    bool GetShowRoomNumber() const override { return m_showRoomNumber; }
    bool GetShowTeacherByGroup() const override { return m_showTeacherByGroup; }
    std::string GetExportFolder() const override { return m_exportFolder; }
    std::string GetLastTaskFolder() const override { return m_lastTaskFolder; }
    std::string GetLastOpenTaskFolder() const { return m_lastOpenTaskFolder; }
    // LastOpenTaskFolder when set, else the default task folder.
    std::string GetOpenFolder() const;
    int GetWeekTableBackground() const override { return m_background; }
    std::vector<std::string> GetSubjectSelection() const override { return m_schoolLayout.subjectFilter; }
    const CConfigHost* GetProgramConfig() const override { return this; }
    CWeekTablePageLayout* GetWeekPageLayout() const override { return &m_weekLayout; }
    bool SaveWeekPageLayout() const override { return const_cast<CAppContext*>(this)->SaveWeekTableSettings(); }
    std::string GetSchoolName() const override { return m_account.GetSchoolName(); }
    void StoreExportFolder(const std::string& folder) const override { const_cast<CAppContext*>(this)->SetExportFolder(folder); }
    void StoreImportFormat(int format) const override { const_cast<CAppContext*>(this)->SetImportFormat(format); }
    // The exporter's note of the engine that wrote a workbook, written to zem.ini at once.
    void SetLUDriver(int driver) const override { const_cast<CAppContext*>(this)->SetLUDriver(driver); }
    // The timetable windows' display settings and table fonts, through the services.
    bool SetColorTable(bool on) const override { return Self().SetColorTable(on); }
    bool SetWeekTableBackground(int background) const override { return Self().SetBackground(background); }
    bool SetAutoShowDistribution(bool on) const override { return Self().SetAutoShowDistribution(on); }
    bool SetPlaySoundInMoving(bool on) const override { return Self().SetPlaySoundInMoving(on); }
    bool SetShowTagLocked(bool on) const override { return Self().SetShowTagLocked(on); }
    bool SetShowTagLinked(bool on) const override { return Self().SetShowTagLinked(on); }
    bool SetShowTagDisabled(bool on) const override { return Self().SetShowTagDisabled(on); }
    bool SetShowRoomNumber(bool on) const override { return Self().SetShowRoomNumber(on); }
    bool SetShowTeacherByGroup(bool on) const override { return Self().SetShowTeacherByGroup(on); }
    bool StoreTableFontRecord(int which, const CTableFontPair& fonts) const override;
    void ResetTableFontRecord(int which) const override;
    CTablePageLayout* GetSchoolPageLayout() const override { return const_cast<CTablePageLayout*>(&m_schoolLayout); }
    bool SaveSchoolPageLayout() const override { return const_cast<CAppContext*>(this)->SaveSchoolTableSettings(); }
    void SyncSchoolTableFont() const override { const_cast<CAppContext*>(this)->SyncSchoolTableFont(); }

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
    // Points the new task's folder at a staging folder for it; false when none can be made (said).
    bool StageNewTask(CTaskInfo& info);
    // Gives a staged task up, closed when open; always false, for the caller that failed.
    bool DiscardStagedTask();
    // The services answer through const members; the settings they change are the context's own.
    CAppContext& Self() const { return const_cast<CAppContext&>(*this); }

    void ReadSettings();
    void ReadWeekTableSettings();
    void ReadSchoolTableSettings();
    void ReadTableFonts();
    void ReadBlankLines();
    int GetIntWithOldKey(const std::string& section, const std::string& key, const std::string& oldKey,
                         int current) const;
    bool GetBool(const std::string& section, const std::string& key, bool current) const;
    bool GetBool(const CSettingKey& key, bool current) const;
    int GetInt(const CSettingKey& key, int current) const;
    std::string GetText(const CSettingKey& key, const std::string& current) const;
    // Writes the keys in one save; on failure logs it and, with tellUser, shows the message.
    bool WriteKeys(const std::vector<CSettingWrite>& writes, bool tellUser);
    bool WriteKey(const CSettingKey& key, const std::string& value, bool tellUser = true);
    void Launch(Feature feature, bool needsTask) const;
    bool CopySourceTaskData(const std::string& sourceTaskFile, const CTaskInfo& target, bool withTimetables);

    CScheduleTask* m_task = nullptr;
    bool m_unsavedTablesLetGo = false;  // the user agreed to lose the open task's unsaved timetables
    CMainDlg* m_mainDlg = nullptr;
    CRecentList m_recentTasks;
    CRecentList m_recentTempTasks;
    int m_lastPage = 1;
    CAccountInfo m_account;
    std::unique_ptr<CTipWnd> m_tipWnd;
    std::unique_ptr<CTipList> m_tipList;
    // Changed by the print settings through the services.
    mutable CWeekTablePageLayout m_weekLayout;
    CTablePageLayout m_schoolLayout;
    CTableFontPair m_tableFonts[3];
    // Builds itself on use, also for readers of the services.
    mutable CSubjectColorMap m_colorMap;
    int m_exportRange = 0;
    int m_driver = 0;
    int m_luDriver = 0;
    int m_importFormat = 1;
    bool m_colorTable = false;
    int m_background = 1;
    bool m_autoShowDistribution = true;
    bool m_playSoundInMoving = true;
    bool m_mergeContinuous = false;
    bool m_autoFillEmptyCell = false;
    bool m_showTagLocked = true;
    bool m_showTagLinked = true;
    bool m_showTagDisabled = true;
    bool m_showRoomNumber = true;
    bool m_showTeacherByGroup = true;
    bool m_dataCopiedOnCreate = false;
    // The new task being made in its staging folder, if any, and its task file's name.
    std::unique_ptr<StagedTask> m_staged;
    std::string m_stagedTaskFile;
    std::string m_exportFolder;
    std::string m_lastTaskFolder;
    std::string m_lastOpenTaskFolder;
};
