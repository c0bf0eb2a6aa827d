#pragma once
// What the shared functions and controls read of the program around them: the open task and a few
// user settings of zem.ini. The application context implements it and installs itself; tests
// install their own. Without one installed no task is open and every setting has its default.
#include <string>
#include <vector>

class CConfigHost;
class CLessonCounter;
class QWidget;
class CScheduleTask;
class CSubjectColorMap;
class CTipWnd;
class CTablePageLayout;
class CWeekTablePageLayout;
struct CHelperContext;
struct CTableFontPair;

class CAppServices {
public:
    virtual ~CAppServices() = default;

    // The open task; null when none is open.
    virtual CScheduleTask* GetTask() const { return nullptr; }
    // [Common] LastTaskFolder; possibly empty.
    virtual std::string GetLastTaskFolder() const { return {}; }
    // [Common] ShowTeacherByGroup: list teachers under their groups.
    virtual bool GetShowTeacherByGroup() const { return true; }
    // [WeekTable] Background: 1 is the normal (starry) cell background.
    virtual int GetWeekTableBackground() const { return 1; }
    // The remembered subject selection (ids of subjects).
    virtual std::vector<std::string> GetSubjectSelection() const { return {}; }
    // The program's one tip balloon; null before it exists.
    virtual CTipWnd* GetTipWnd() const { return nullptr; }
    // [Common] ShowRoomNumber: cell texts name a shared room's seat.
    virtual bool GetShowRoomNumber() const { return true; }
    // The modal system settings dialog.
    virtual void ShowSettingsDialog() const {}
    // The modal task information dialog; nothing while no task is open.
    virtual void ShowTaskInfoDialog() const {}
    // [Export] Driver: the workbook engine to try first, 0 automatic. [Export] LUDriver: the engine
    // that last wrote a workbook, which SetLUDriver stores in zem.ini at once.
    virtual int GetExportDriver() const { return 0; }
    virtual int GetLUDriver() const { return 0; }
    virtual void SetLUDriver(int driver) const {}
    // [WeekTable] AutoFillEmptyCell: an empty class cell reads "自习"; MergeContinuous: equal
    // lessons in a row share one cell.
    virtual bool GetAutoFillEmptyCell() const { return false; }
    virtual bool GetMergeContinuous() const { return false; }
    // [Export] Folder: where exported workbooks are proposed; empty when not known.
    virtual std::string GetExportFolder() const { return {}; }
    // Remembers the folder a workbook was last exported to.
    virtual void StoreExportFolder(const std::string& folder) const {}
    // [Common] ImportFormat.
    virtual int GetImportFormat() const { return 1; }
    // Stores it in zem.ini at once.
    virtual void StoreImportFormat(int format) const {}
    // [WeekTable] AutoShowDistribution: picking a lesson marks every cell of its plan.
    virtual bool GetAutoShowDistribution() const { return false; }
    // [WeekTable] ColorTable: cells coloured by subject.
    virtual bool GetColorTable() const { return false; }
    // [WeekTable] ShowTagLocked, ShowTagLinked, ShowTagDisabled: the marks of preset, linked and
    // closed cells.
    virtual bool GetShowTagLocked() const { return false; }
    virtual bool GetShowTagLinked() const { return false; }
    virtual bool GetShowTagDisabled() const { return false; }
    // The subject colours of the open task; null when there are none.
    virtual CSubjectColorMap* GetColorMap() const { return nullptr; }
    // Table font record 0 (week window), 1 (multi-timetable window) or 2 (whole-school window);
    // null keeps a grid's own fonts.
    virtual const CTableFontPair* GetTableFontRecord(int which) const { return nullptr; }
    // [WeekTable] PlaySoundInMoving: a lesson that slides plays the move sound.
    virtual bool GetPlaySoundInMoving() const { return false; }
    // The modal completion view over the counter's classes; the class the user chose, empty when
    // none was.
    virtual std::string ShowCompletionDialog(QWidget* parent, const CLessonCounter& counter) const { return {}; }
    // zem.ini, for the keys that features keep there themselves; null: nothing is read or written.
    virtual const CConfigHost* GetProgramConfig() const { return nullptr; }
    // The page layout of printed and exported week timetables ([WeekTable]); null: printing keeps
    // a layout of its own.
    virtual CWeekTablePageLayout* GetWeekPageLayout() const { return nullptr; }
    // Writes every [WeekTable] key of that layout; false (the user told why) when zem.ini was not
    // written.
    virtual bool SaveWeekPageLayout() const { return true; }
    // [Common] SchoolName: "%SCHOOL%" of printed titles.
    virtual std::string GetSchoolName() const { return {}; }

    // The display settings the timetable windows share. Each stores the value and writes its key
    // of zem.ini at once; false (the user told why) when zem.ini was not written.
    virtual bool SetColorTable(bool on) const { return true; }
    virtual bool SetWeekTableBackground(int background) const { return true; }
    virtual bool SetAutoShowDistribution(bool on) const { return true; }
    virtual bool SetPlaySoundInMoving(bool on) const { return true; }
    virtual bool SetShowTagLocked(bool on) const { return true; }
    virtual bool SetShowTagLinked(bool on) const { return true; }
    virtual bool SetShowTagDisabled(bool on) const { return true; }
    virtual bool SetShowRoomNumber(bool on) const { return true; }
    virtual bool SetShowTeacherByGroup(bool on) const { return true; }
    // Table font record 0, 1 or 2 takes the fonts and is written to zem.ini [TableFont] at once;
    // false (the user told why) when it was not written. Other records are ignored.
    virtual bool StoreTableFontRecord(int which, const CTableFontPair& fonts) const { return true; }
    // Table font record 0, 1 or 2 back to its defaults (not yet written).
    virtual void ResetTableFontRecord(int which) const {}
    // The whole-school window's settings ([SchoolTable]); null: the window keeps a layout of its own.
    virtual CTablePageLayout* GetSchoolPageLayout() const { return nullptr; }
    // Writes every [SchoolTable] key of that layout at once; false (the user told why) when
    // zem.ini was not written.
    virtual bool SaveSchoolPageLayout() const { return true; }
    // The whole-school layout takes table font 2 again, after that font changed.
    virtual void SyncSchoolTableFont() const {}
};

// What the task helper reads of the settings, from the installed services.
CHelperContext AppHelperContext();

// The installed services, or defaults when none is installed.
const CAppServices& AppServices();
// Installs services (null restores the defaults) and returns the previous ones. The caller keeps
// ownership and must uninstall them before they are destroyed.
CAppServices* SetAppServices(CAppServices* services);
