#pragma once
// The reverse import: a class master timetable laid out across ("横排": a row per class, a column
// per period of the week) read back into a task. The sheet is read once and kept; its preview
// compares its teaching time with the task's, and the import creates the classes, subjects,
// teachers, rooms and plans it names and places every lesson in the working timetables.
// Nothing here shows a window: lines for the log go to a callback.
#include "app/output/workbook/WorkbookReader.h"
#include "base/ChangeCheck.h"
#include "base/TaskUndo.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class CScheduleTask;
class CSchoolStructure;
class CTaskHelper;
class CClassInfo;
class CCourseInfo;
class CRoomInfo;
class CZemObject;
class CZemObjectList;
struct tagTABLE_NODE;

namespace zem::import {

// A cell's text as the reverse import reads it: a text as it stands, a number as NumberCellText
// gives it, a date as its day; carriage returns taken out and each line's blanks trimmed, a
// run of them kept as one: a blank parts the teachers of a lesson ("刘强 孙丽").
std::string MasterCellText(const zem::workbook::CellValue& value);

// One class of the sheet: its name and one cell per data column, each already joined with the
// cell under it when the class takes two rows ("odd|even").
struct MasterClassRow {
    int row = 0;
    std::string name;
    std::vector<std::string> cells;
};

// A class master timetable as read from a sheet. A value merged over several columns of a class
// row stands in each of them (a double lesson); merges in the header rows are left as they are,
// so that a day's title counts once.
class CMasterSheet {
public:
    explicit CMasterSheet(zem::workbook::SheetData sheet);

    // The row of the day titles (the period titles are the next), and the column of the class names.
    int HeaderRow() const { return m_headerRow; }
    int FirstColumn() const { return m_firstColumn; }
    int LastRow() const { return m_sheet.LastRow(); }
    int LastColumn() const { return m_sheet.LastColumn(); }
    bool IsEmpty() const { return m_sheet.IsEmpty(); }

    std::string Text(int row, int column) const;
    // Whether a lesson cell names its teacher on a second line, as the program writes lessons: a
    // cell of one line is then an activity, unless it names a subject of the task.
    bool HasTeacherLines() const { return m_teacherLines; }
    // Whether a lesson cell with a teacher line teaches the subject: a cell of it alone is a lesson.
    bool TeachesSubject(const std::string& subject) const { return m_subjects.count(subject) > 0; }
    // The class rows from the third row of the layout down; a row with an empty class cell
    // belongs to the class above it.
    std::vector<MasterClassRow> ClassRows() const;

private:
    zem::workbook::SheetData m_sheet;
    int m_headerRow = 0;
    int m_firstColumn = 0;
    bool m_teacherLines = false;
    std::set<std::string> m_subjects;
    // Areas merged over columns, by their top row, ordered by their first column.
    std::map<int, std::vector<zem::workbook::MergedArea>> m_merges;
};

// What a preview finds: the classes and the teaching time of the sheet.
struct MasterPreview {
    std::vector<std::string> classes;
    int days = 0;
    int periods = 0;
    int perDay = 0;
    // Periods titled "早…" and "自…" (morning reading, evening self-study), over the whole week.
    int morningReading = 0;
    int selfStudy = 0;
    // The period titles of the columns, over the whole week.
    std::vector<std::string> titles;
    bool stopped = false;
};
MasterPreview PreviewMasterSheet(const CMasterSheet& sheet, const std::atomic<bool>* stop = nullptr);

enum class MasterVerdict { Matches, NotAcross, Differs };
// Whether the sheet's days and periods a day are the task's, with its morning reading and evening
// self-study or without them, matched by their count; where the sheet titles periods "早…", "自…"
// or "晚…", also that they stand where the task's periods of that kind are.
MasterVerdict JudgeMasterSheet(const MasterPreview& preview, const CSchoolStructure& week);
// Whether the sheet's columns hold the morning-reading and self-study periods too.
bool MasterShowsSelfStudy(const MasterPreview& preview, const CSchoolStructure& week);
// The log's line for the verdict.
const char* MasterVerdictText(MasterVerdict verdict);
// What differs between the sheet's teaching time and the task's: the counts, or the titles that do
// not fit their periods.
std::string MasterDifferenceText(const MasterPreview& preview, const CSchoolStructure& week);
// The log's lines of a preview, verdict excluded.
std::string MasterPreviewText(const MasterPreview& preview);

// Reads the workbook's sheet for the reverse import; false with the reason the user reads.
bool ReadMasterSheet(const std::string& path, std::unique_ptr<CMasterSheet>& sheet, std::string& error);

// What an import of the sheet would add to the task, counted without changing it, and the names
// of the sheet that look like short names the task lacks.
struct MasterAdditions {
    std::size_t classes = 0, subjects = 0, teachers = 0, rooms = 0, plans = 0, selfStudy = 0;
    std::vector<std::string> unknownShortNames;
};
MasterAdditions CountMasterAdditions(const CScheduleTask& task, const CMasterSheet& sheet);
// Empty when the task can take what the sheet adds; else the message naming the limit passed.
std::string CheckMasterLimits(const CScheduleTask& task, const MasterAdditions& added);
// The preview's line about short names the task lacks; empty when there are none.
std::string ShortNamesText(const MasterAdditions& added);

// The task's subjects, teachers and rooms by name and by short name.
struct MasterNames;

// Imports class rows into the working timetables of a task. The caller commits them afterwards
// (CTaskHelper::SaveTempTables) and saves the basic data.
class CReverseImporter {
public:
    CReverseImporter(CScheduleTask& task, const CMasterSheet& sheet, bool checkConflicts);
    ~CReverseImporter();
    CReverseImporter(const CReverseImporter&) = delete;
    CReverseImporter& operator=(const CReverseImporter&) = delete;

    // A line for the log; a refused lesson also counts as a conflict.
    std::function<void(const std::string& line)> log;

    // Fills the class's periods of the week, in day order and, within a day, morning reading,
    // forenoon, afternoon, night and evening self-study, from the cells.
    void ImportClassRow(const std::string& className, const std::vector<std::string>& cells);
    // One cell's lesson for a week part (0 every week, 1 odd, 2 even weeks).
    void ImportCell(const std::string& className, int day, int segment, int section, int half,
                    const std::string& text);

    // After the last row: a combined class the import made that holds one class is none, and the
    // plans it made record their double periods.
    void Finish();

    bool ConflictsReported() const { return m_conflicts > 0; }
    int Conflicts() const { return m_conflicts; }
    int PlacedLessons() const { return m_placed; }

    // What one cell made, undone when its lesson is refused.
    struct Made;
    // Classes the sheet shows taught one lesson together, made one combined class.
    struct CombinedGroup;

private:
    CClassInfo& ClassNamed(const std::string& name);
    void ImportLesson(CClassInfo& cls, const tagTABLE_NODE& node, int half, const std::string& text);
    CZemObject* Named(CZemObjectList& list, const std::string& name, Made& made);
    CRoomInfo* RoomFor(const std::string& name, const tagTABLE_NODE& node, int half, Made& made);
    void PreferPlannedTeachers(const CClassInfo& cls, const std::string& subjectId, const std::vector<std::string>& names,
                               const std::string& roomId, const tagTABLE_NODE& node,
                               std::vector<std::string>& teacherIds) const;
    CCourseInfo* PlanFor(CClassInfo& cls, const std::string& subjectId, const std::vector<std::string>& teacherIds,
                         const std::string& roomId, const tagTABLE_NODE& node, int half, Made& made);
    CCourseInfo* MakePlan(CClassInfo& cls, const std::string& subjectId, const std::vector<std::string>& teacherIds,
                          std::size_t ownTeachers, const std::string& roomId, int type, int half, Made& made);
    void JoinCombined(CCourseInfo& plan, CombinedGroup& group, Made& made);
    void ImportActivity(CClassInfo& cls, const tagTABLE_NODE& node, const std::string& text);
    void Undo(Made& made);
    void RecordDoublePeriods();
    void Conflict(const std::string& line);
    void IndexPlans();
    void FindCombinedGroups();

    CScheduleTask& m_task;
    const CMasterSheet& m_sheet;
    bool m_checkConflicts;
    std::unique_ptr<CTaskHelper> m_helper;
    int m_priority = 0;
    int m_conflicts = 0;
    int m_placed = 0;
    // The plans by class, subject, teacher, room and kind, in display order.
    std::map<std::string, std::vector<CCourseInfo*>> m_plans;
    // The plans the task held when the import began: their weekly counts stay the user's.
    std::set<const CCourseInfo*> m_ownPlans;
    std::set<const CRoomInfo*> m_madeRooms;
    std::unique_ptr<MasterNames> m_names;
    bool m_selfStudyShown = true;
    // The combined classes the sheet shows, and each of their cells by class and slot.
    std::map<std::string, std::unique_ptr<CombinedGroup>> m_groups;
    std::map<std::string, CombinedGroup*> m_groupOfCell;
};

// Commits the working timetables and saves input.xml and output.xml; empty, or the one text that
// says the failure: kReverseImportSaveFailed, then the file and the reason the task gave.
std::string SaveReverseImport(CScheduleTask& task);
constexpr const char* kReverseImportSaveFailed = "保存排课任务失败，反导入的数据和课表都没有保存";

// The task's rules and lists as they stood before an import, asked after its last row and before
// its save. Each lesson was placed by the placement's own check, or knowingly without it; what the
// whole import broke besides is listed with its end. An import that would change a weekly count
// of the task's own plans or pass a limit is undone whole: the task is as it was, nothing saved.
class CReverseImportCheck {
public:
    // Taken with the working timetables equal to the committed ones, before the first row.
    explicit CReverseImportCheck(CScheduleTask& task);

    // What the import brought; when it is refused, the task has been put back.
    ChangeFindings Finish();
    static bool Refuses(const ChangeFindings& findings) { return !findings.counts.IsClean() || !findings.limits.empty(); }

private:
    CChangeCheck m_check;
    CTaskUndo m_undo;
};

// "反导入完成", and the rules the import broke when it broke any.
std::string ReverseImportDoneText(const ChangeFindings& findings);

struct ReverseImportResult {
    int classes = 0;
    int lessons = 0;
    int conflicts = 0;
    // The limit the sheet would pass or the rule the import would break (nothing changed), or a
    // failed save.
    std::string error;
    ChangeFindings findings;  // what the saved import broke, kept with the lessons
};

// The whole import without a window: the limits checked, every class row of the sheet, then the saves. The working
// timetables are those of the task's files at the start.
ReverseImportResult ImportMasterSheet(CScheduleTask& task, const CMasterSheet& sheet, bool checkConflicts,
                                      const std::function<void(const std::string& line)>& log = {});

}  // namespace zem::import
