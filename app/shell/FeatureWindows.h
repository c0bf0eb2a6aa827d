#pragma once
// The windows of features that the main window opens but other parts of the program build: each
// is reached through a slot here, which the part that builds the window fills at start-up. An
// empty slot means the feature is not in this program: its tool-box entry or quick tool is shown
// disabled, and a launcher reached otherwise says so.
#include <functional>
#include <map>
#include <string>

class CAutoRange;
class CScheduleTask;
class CZemObjectList;

// Features whose window takes nothing and gives nothing back.
enum class Feature {
    TeachingTime,
    ClassList,
    SubjectList,
    TeacherList,
    TeacherGroupList,
    RoomList,
    SelfStudyList,
    PlanList,
    ScheduleRules,
    PresetList,
    CombineClassList,
    ClassFixedTime,
    SubjectFixedTime,
    TeacherFixedTime,
    TeacherGroupFixedTime,
    PlanFixedTime,
    MutexTeacher,
    AssistantList,
    OETeam,
    MutexSubject,
    SchoolTimetable,
    MultiTable,
    Settings,
    TaskInfo,
    Backup,
    DataStatistics,
    TeacherStatistic,
    ExportAll,
    TeacherTimeQuery,
    Restore,
    ClearTimetable,
    ReverseImport,
    TableMove,
    Proctor,
    ExportSettings,
    // The check of the workbook engine, from the settings dialog.
    EngineCheck,
};

struct CFeatureWindows {
    // Runs the feature's window modally.
    std::map<Feature, std::function<void()>> windows;

    // The start page of an automatic run; true when the user confirmed it.
    std::function<bool()> autoScheduleStart;
    // The run over the range; its finish code (0 cancelled, 1 all placed, 2 data check failed,
    // 3 lessons left unplaced).
    std::function<int(CAutoRange& range)> autoScheduleRun;
    // The partial re-scheduling dialog fills the range; true on OK.
    std::function<bool(CAutoRange& range)> partialReschedule;
    // The report of the last run (mode 1-3 the finish code, 4 opened from the tool box); true when
    // the user asked to see the timetables.
    std::function<bool(const std::string& report, int mode)> scheduleReport;
    // The week timetable of an object of a kind (0 class, 1 teacher, 2 room); the id may be empty.
    std::function<void(int kind, const std::string& objectId)> weekTimetable;
    // The chooser of plan adjustment tools: the tool's code (0-3), or -1 when cancelled.
    std::function<int()> planAdjustHub;
    std::function<void(int tool)> planAdjustTool;
    // The lesson-change window on a temporary task; true when the user saved the task in it.
    std::function<bool(CScheduleTask& task, bool isNew, const std::string& teacherId)> tempAdjust;

    bool Has(Feature feature) const;
    // Runs the window when there is one; false when the feature is missing.
    bool Run(Feature feature) const;
};

// The one table of the program.
CFeatureWindows& FeatureWindows();

// The text a launcher shows for a feature this program does not have.
extern const char* const kFeatureMissingText;
