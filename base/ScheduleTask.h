#pragma once
// The open timetabling task: every list of basic data and rules, the week structure, the
// timetables inside the objects, the last report and the backup list. One thread uses it at a time.
#include <functional>
#include <string>
#include <vector>

#include "base/BackupManager.h"
#include "base/BasicData.h"
#include "base/ConfigHost.h"
#include "base/ReportInfo.h"
#include "base/Rules.h"
#include "base/SchoolStructure.h"
#include "base/TaskInfo.h"
#include "base/TaskSetting.h"
#include "base/TimeTable.h"
#include "base/ZemObject.h"
#include "platform/Files.h"

namespace pugi {
class xml_document;
}

// How a task is opened: for writing, holding the task folder against every other writer, or to
// be read only (a comparison, a second look), when it is never saved.
enum class TaskAccess { ReadWrite, ReadOnly };

// Which timetable a cell text is built for.
enum TABLE_TYPE { TABLE_CLASS = 0, TABLE_TEACHER = 1, TABLE_ROOM = 2 };

// How GetCellInfo shapes a cell's text.
struct CellInfoParam {
    bool fullName = false;        // full names, else short names
    bool showRoomSeat = false;    // the 1-based parallel use of a shared room
    int layout = 0;               // 0..5: which texts go on the two lines
    std::vector<std::string> subjectFilter;  // when not empty, only lessons of these subjects get text
};

class CScheduleTask : public CConfigHost {
public:
    CScheduleTask();
    ~CScheduleTask() override;
    CScheduleTask(const CScheduleTask&) = delete;
    CScheduleTask& operator=(const CScheduleTask&) = delete;

    bool Clear() { return true; }
    // Opening for writing is refused, with a message, while another program has the task open
    // for writing; the task then holds its folder until it is destroyed. Opening also removes the
    // temporary files that saves killed half-way left.
    bool Open(const std::string& taskFile, TaskAccess access = TaskAccess::ReadWrite);
    bool IsReadOnly() const { return m_readOnly; }
    // Every working timetable (classes, teachers, plans, rooms) := its committed one. The checks of
    // a change read the working tables, so opening does it, and so does whoever changes the
    // committed tables directly.
    void ReadTempTables();

    // Lookups by id; null or empty text when absent.
    CClassInfo* GetClass(const std::string& id) const;
    CTeacherInfo* GetTeacher(const std::string& id) const;
    CRoomInfo* GetRoom(const std::string& id) const;
    CSubjectInfo* GetSubject(const std::string& id) const;
    CCourseAssistant* GetAssistant(const std::string& courseId) const;
    CCombineClass* GetCC(const std::string& courseId) const;
    CMutexSubject* GetMutexSubject(const std::string& subjectId) const;
    CCourseInfo* FindCourse(const std::string& id) const;
    std::string GetClassNameA(const std::string& id) const;
    std::string GetTeacherName(const std::string& id) const;
    std::string GetSubjectName(const std::string& id) const;
    std::string GetRoomName(const std::string& id) const;

    // Queries.
    void GetFullCourseList(std::vector<CCourseInfo*>& out) const;
    int GetClassCountOfTeacher(const CZemObjectList& courses, const std::string& teacherId) const;
    int GetWeekCountOfTeacher(const CZemObjectList& courses, const std::string& teacherId) const;
    int GetWeekCountOfMutexSubject(CMutexSubject* rule, const CZemObjectList& courses, const std::string& classId) const;
    void GetAllTeacherId(std::vector<std::string>& out, CCourseInfo* course, bool withCombined) const;
    std::string GetAllTeacherName(CCourseInfo* course, bool fullName, bool withCombined) const;
    int GetOneDayMaxNodes(const CCourseInfo* course) const;

    // Accessors.
    CTaskInfo& GetTaskInfo() { return m_taskInfo; }
    const CTaskInfo& GetTaskInfo() const { return m_taskInfo; }
    void SetTaskInfo(const CTaskInfo& info) { m_taskInfo = info; }
    CSchoolStructure& GetSchoolStructure() { return m_schoolStructure; }
    const CSchoolStructure& GetSchoolStructure() const { return m_schoolStructure; }
    CActivities& GetActivities() { return m_activities; }
    const CActivities& GetActivities() const { return m_activities; }
    CZemObjectList& GetSubjectInfoList() { return m_subjects; }
    const CZemObjectList& GetSubjectInfoList() const { return m_subjects; }
    CZemObjectList& GetTeacherInfoList() { return m_teachers; }
    const CZemObjectList& GetTeacherInfoList() const { return m_teachers; }
    CZemObjectList& GetTeacherGroupInfoList() { return m_teacherGroups; }
    const CZemObjectList& GetTeacherGroupInfoList() const { return m_teacherGroups; }
    CZemObjectList& GetClassInfoList() { return m_classes; }
    const CZemObjectList& GetClassInfoList() const { return m_classes; }
    CZemObjectList& GetRoomInfoList() { return m_rooms; }
    const CZemObjectList& GetRoomInfoList() const { return m_rooms; }
    CZemObjectList& GetCourseInfoList() { return m_courses; }
    const CZemObjectList& GetCourseInfoList() const { return m_courses; }
    CZemObjectList& GetSelfStudyInfoList() { return m_selfStudies; }
    const CZemObjectList& GetSelfStudyInfoList() const { return m_selfStudies; }
    CZemObjectList& GetFixedTimeOfTeacherList() { return m_fixedTeachers; }
    const CZemObjectList& GetFixedTimeOfTeacherList() const { return m_fixedTeachers; }
    CZemObjectList& GetFixedTimeOfTeacherGroupList() { return m_fixedTeacherGroups; }
    const CZemObjectList& GetFixedTimeOfTeacherGroupList() const { return m_fixedTeacherGroups; }
    CZemObjectList& GetFixedTimeOfClassList() { return m_fixedClasses; }
    const CZemObjectList& GetFixedTimeOfClassList() const { return m_fixedClasses; }
    CZemObjectList& GetFixedTimeOfSubjectList() { return m_fixedSubjects; }
    const CZemObjectList& GetFixedTimeOfSubjectList() const { return m_fixedSubjects; }
    CZemObjectList& GetFixedTimeOfCourseList() { return m_fixedCourses; }
    const CZemObjectList& GetFixedTimeOfCourseList() const { return m_fixedCourses; }
    CZemObjectList& GetCoursePresetList() { return m_presets; }
    const CZemObjectList& GetCoursePresetList() const { return m_presets; }
    CZemObjectList& GetAssistantList() { return m_assistants; }
    const CZemObjectList& GetAssistantList() const { return m_assistants; }
    CZemObjectList& GetOETeamList() { return m_oeTeams; }
    const CZemObjectList& GetOETeamList() const { return m_oeTeams; }
    CZemObjectList& GetMutexSubjectList() { return m_mutexSubjects; }
    const CZemObjectList& GetMutexSubjectList() const { return m_mutexSubjects; }
    CMutexOfTeacherList& GetMutexOfTeacherList() { return m_mutexTeachers; }
    const CMutexOfTeacherList& GetMutexOfTeacherList() const { return m_mutexTeachers; }
    CCombineClassList& GetCombineCourseList() { return m_combineClasses; }
    const CCombineClassList& GetCombineCourseList() const { return m_combineClasses; }
    CZemPrioritySet& GetPrioritySet() { return m_prioritySet; }
    CTaskSetting& GetTaskSetting() { return m_taskSetting; }
    const CTaskSetting& GetTaskSetting() const { return m_taskSetting; }
    CReportInfo& GetLastReportInfo() { return m_lastReport; }
    CBackupManager& GetBackupManager() { return m_backupManager; }
    bool IsDirty() const { return m_dirty; }
    void SetDirty(bool dirty) { m_dirty = dirty; }

    // Placing lessons.
    void SetTableNode(CCourseTable* table, const std::string& courseId, const std::string& roomId, int roomIndex,
                      tagTABLE_NODE node, int oddEven);
    static void SetTableNode(CCourseTable* table, const CCourseTableNode::NodeData& lesson, tagTABLE_NODE node,
                             int oddEven);
    void UnsetTableNode(CCourseTable* table, tagTABLE_NODE node, int oddEven);
    void SetCourseNode(CCourseInfo* course, const std::string& roomId, bool temp, tagTABLE_NODE node, int oddEven);
    // What SetCourseNode looks up by text about a plan, for callers that place many of its lessons.
    struct CourseNodeTargets {
        CCourseInfo* course = nullptr;
        zem::IdHandle courseId = zem::kNoId;
        std::vector<zem::IdHandle> combinedIds;  // its combined class's plans, as found in a room's tables
        CClassInfo* cls = nullptr;
        std::vector<CTeacherInfo*> teachers;  // its own, then its assistants
    };
    void ResolveCourseNode(CCourseInfo* course, CourseNodeTargets& out) const;
    // SetCourseNode with the lookups done: room is the room of roomId, or null.
    void SetCourseNode(const CourseNodeTargets& targets, CRoomInfo* room, zem::IdHandle roomId, bool temp,
                       tagTABLE_NODE node, int oddEven);
    bool IsRoomUsedForCC(CRoomInfo* room, tagTABLE_NODE node, int oddEven, CCourseInfo* course, bool temp,
                         int& roomIndex);

    // Data integrity.
    void MaintainInputIntegrities();
    void MaintainSchoolStructureIntegrity();
    void MaintainClassIntegrity(bool clearTables);
    void MaintainSubjectIntegrity(bool clearTables);
    void MaintainTeacherIntegrity(bool clearTables);
    void MaintainRoomIntegrity(bool clearTables);
    void MaintainCourseIntegrity(bool clearTables);
    // Removes the plans (teaching, morning-reading or self-study) with these ids together with their lessons in every table
    // (committed and temp), presets, fixed times, combined classes, assistants and odd/even pairs.
    void RemovePlans(const std::vector<std::string>& ids);

    // Cell and description texts.
    std::string GetCellInfo(const CCourseTableNode& cell, TABLE_TYPE type, const CellInfoParam& param) const;
    std::string GetCCName(const CCombineClass* combined) const;
    std::string GetCourseDesc(const CCourseInfo* course) const;
    std::string GetCourseDesc(const std::string& courseId) const;
    std::string GetTimeNodeDesc(const tagTABLE_NODE* node) const;
    std::string GetTimeNodeDesc(int day, int segment, int section) const;
    bool IsDisabledNode(const std::string& id, TABLE_TYPE type, tagTABLE_NODE node) const;
    // Whether the node is a fixed no-lesson time of the teacher or of a group listing the teacher,
    // an activity shown there or not: no lesson may be given to the teacher there.
    bool IsTeacherFixedTime(const std::string& teacherId, tagTABLE_NODE node) const;
    std::string GetActivityInfo(const std::string& id, TABLE_TYPE type, tagTABLE_NODE node) const;

    // Timetable file and report file.
    // Refuses, with a message, while IsOutputReadPartial holds.
    bool SaveOutputData();
    // True when opening the task skipped part of output.xml. Saving the timetables would then
    // overwrite the lessons that never reached memory, so SaveOutputData refuses until the user
    // has agreed to that and the caller has cleared the flag.
    bool IsOutputReadPartial() const { return m_outputReadPartial; }
    void ClearOutputReadPartial() { m_outputReadPartial = false; }
    // True after a failed SaveOutputData until one succeeds: the timetables in memory are not
    // those of output.xml, and closing the task loses them.
    bool HasUnsavedTables() const { return m_tablesUnsaved; }
    void InitReportInfo();
    // Says nothing itself: the caller tells the user, with the reason `errorCode` gets (an errno).
    // The file is stamped with the run of output.xml.
    bool SaveLastReportInfo(int* errorCode = nullptr);
    // Saves a finished run's timetables and report as one result, under a new run stamp: the
    // report is written aside, then output.xml (which says its own failure), then the report is
    // put in place. A program killed in between leaves a report whose stamp differs from
    // output.xml's, which the next open shows as out of date. When output.xml fails, the files
    // keep the earlier run's report.
    struct RunResultSave {
        bool outputSaved = false;
        int reportError = 0;  // the errno of a failed write of report.txt, 0 when it did not fail
    };
    RunResultSave SaveRunResult();
    // The run whose timetables output.xml holds, as stamped in it; empty for a file without one.
    const std::string& GetRunStamp() const { return m_strRunStamp; }
    // True when the report read on opening belongs to another run than output.xml.
    bool IsLastReportOutOfDate() const { return m_reportOutOfDate; }
    // For tests: called between the steps of SaveRunResult, so that a test can end the program there.
    enum class RunSaveStep { ReportWritten, OutputWritten };
    static void SetRunSaveHookForTesting(std::function<void(RunSaveStep)> hook);

    // Backups.
    bool AutoBackup(bool timed, const std::string& key, bool oncePerKey);
    static bool SyncTaskFiles(const std::string& source, const std::string& target, std::string* error);
    // The backup state is shared by every task of the process; tests start from a fresh one.
    static void ResetAutoBackupStateForTesting();

    // Input file.
    bool SaveInputData();

    // Saves input.xml and output.xml as one pair under a new pair stamp, for a change of both (a
    // move, a merge, an import of timetables): input.xml is written aside, output.xml put in place,
    // then input.xml. When a write fails, output.xml is put back, so that the folder holds the
    // files it held; the user is told, and false. A program killed between the two leaves files
    // whose stamps differ, which the next open tells (IsPairMismatched).
    bool SaveInputAndOutput();
    // True when input.xml and output.xml read on opening carry different pair stamps: they were not
    // saved together, and the timetables may not fit the plans. Files without stamps never differ.
    // The files stay so, saved under stamps that differ, until the user takes the timetables as
    // they are (ConfirmPair) or restores a backup: a save alone proves nothing of them.
    bool IsPairMismatched() const { return m_pairMismatch; }
    // The user takes the timetables as fitting the plans: the pair is saved as one. False, the
    // user told, when that save fails; the files then stay mismatched.
    bool ConfirmPair();

protected:
    void RemoveCourseRelatedData(CCourseInfo* course, bool clearTables);
    void GetCellCourseInfo(const CCourseTableNode::NodeData& data, TABLE_TYPE type, const CellInfoParam& param,
                           std::string& line1, std::string& line2) const;
    void GetMoreDataExceptCC(const CCourseTableNode& cell, int half,
                             std::vector<const CCourseTableNode::NodeData*>& out) const;
    bool ReadOutputData();
    bool ReadReportInfo();
    bool ReadBackupInfo();
    bool ReadInputData();

private:
    // Removes the plans of the list that the test calls orphans, with what hangs on them.
    void RemoveCourses(CZemObjectList& list, const std::function<bool(const CCourseInfo&)>& orphan, bool clearTables);

    CTaskInfo m_taskInfo;
    CSchoolStructure m_schoolStructure;
    CActivities m_activities;
    CZemObjectList m_subjects;
    CZemObjectList m_teachers;
    CZemObjectList m_teacherGroups;
    CZemObjectList m_classes;
    CZemObjectList m_rooms;
    CZemObjectList m_courses;
    CZemObjectList m_selfStudies;
    CZemObjectList m_fixedTeachers;
    CZemObjectList m_fixedTeacherGroups;
    CZemObjectList m_fixedClasses;
    CZemObjectList m_fixedSubjects;
    CZemObjectList m_fixedCourses;
    CZemObjectList m_presets;
    CZemObjectList m_assistants;
    CZemObjectList m_oeTeams;
    CZemObjectList m_mutexSubjects;
    CMutexOfTeacherList m_mutexTeachers;
    CCombineClassList m_combineClasses;
    CZemPrioritySet m_prioritySet;
    CTaskSetting m_taskSetting;
    CReportInfo m_lastReport;
    CBackupManager m_backupManager;
    // False, having said why, when the task must not be saved now: opened read-only, its
    // input.xml not read in full, its folder gone, or (for a task opened for writing and moved to
    // another folder) another program writing in the new one.
    bool CheckSavable();
    // Holds the task folder against other writers; false, having said so, when one has it.
    bool LockForWriting();
    // Removes what writes cut short left in the task folder, and undoes a restore cut short.
    void CleanUpLeftovers() const;
    // The documents the saves write, with the pair stamp given (none when empty).
    void BuildInputDocument(pugi::xml_document& doc, const std::string& pairStamp);
    void BuildOutputDocument(pugi::xml_document& doc, const std::string& pairStamp) const;
    // The stamp a save writes into output.xml: input.xml's, or, while the files are mismatched,
    // one of its own, so that the next open tells it again.
    std::string OutputPairStamp() const;
    // False, having said why, while part of output.xml went unread on opening.
    bool MayReplaceOutput() const;

    bool m_dirty = false;
    bool m_outputReadPartial = false;
    bool m_tablesUnsaved = false;
    bool m_reportOutOfDate = false;
    std::string m_strRunStamp;
    std::string m_pairStamp;  // the stamp input.xml carries; every save of either file writes it
    bool m_pairMismatch = false;
    bool m_inputPairDamaged = false;
    bool m_inputReadFailed = false;
    bool m_readOnly = false;
    bool m_writer = false;  // opened for writing: holds its folder against other writers
    zem::FolderLock m_lock;
};
