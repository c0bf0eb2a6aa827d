#pragma once
// The one way screens and the run's improvement passes look at and change a task's timetables:
// lookups and short texts, the rules that decide whether a lesson may go to a slot or two slots may
// change places, the changes themselves (combined classes move as one), and the passes the engine
// calls back after a try. A helper is made on the stack for one use; it works on the working
// (temporary) timetables. A refused check leaves its reason in the helper's text.
//
// The helper reads the task's rules once, on first use: make a new helper after changing them.
#include "base/ScheduleTask.h"
#include "platform/Gdi.h"

#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CAutoRange;
class CExportTableItem;
class CPlacementRules;
struct CPlanRules;
struct CTeacherRules;
class CSubjectColorMap;
class CWeekGridCells;

// What the helper reads of the program around it: the open task and the display settings of
// zem.ini. The application context fills it; the defaults are zem.ini's.
struct CHelperContext {
    CScheduleTask* openTask = nullptr;
    CSubjectColorMap* colorMap = nullptr;
    bool colorTable = false;       // [WeekTable] ColorTable
    bool showTagLocked = true;     // [WeekTable] ShowTagLocked
    bool showTagLinked = true;     // [WeekTable] ShowTagLinked
    bool showTagDisabled = true;   // [WeekTable] ShowTagDisabled
    bool showRoomNumber = true;    // [Common] ShowRoomNumber
};

// One lesson of a teacher's day, as the concentration pass sees it.
struct tagTEACHER_LESSON {
    tagTABLE_NODE period;
    CCourseInfo* plan = nullptr;
};

class CTaskHelper {
public:
    // With no task, the context's open task; the task may be null, and lookups then find nothing.
    explicit CTaskHelper(CScheduleTask* task = nullptr, const CHelperContext& context = {});
    CTaskHelper(const CTaskHelper&) = delete;
    CTaskHelper& operator=(const CTaskHelper&) = delete;
    virtual ~CTaskHelper();

    CScheduleTask* GetTask() const { return m_task; }
    const CHelperContext& GetContext() const { return m_context; }

    // The reason of the last refused check; a check that passes leaves it alone.
    const std::string& GetText() const;
    void SetText(const std::string& text);

    // The run's stop flag: the passes look at it between plans, classes and teacher-days.
    void SetStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }
    // Lets helpers of one run share what they read of the rules (the rules do not change while it runs).
    void ShareRules(const std::shared_ptr<CPlacementRules>& rules) { m_rules = rules; }
    std::shared_ptr<CPlacementRules> GetRules();

    // ---- Lookups (null or empty text when not found) ----
    CCourseInfo* FindCourse(const std::string& id) const;
    CClassInfo* GetClass(const std::string& id) const;
    CTeacherInfo* GetTeacher(const std::string& id) const;
    CSubjectInfo* GetSubject(const std::string& id) const;
    CRoomInfo* GetRoom(const std::string& id) const;
    std::string GetClassName(const std::string& id) const;
    std::string GetTeacherName(const std::string& id) const;
    std::string GetSubjectName(const std::string& id) const;
    std::string GetRoomName(const std::string& id) const;
    // kind -1: a class, else a teacher, else a room; 0 class, 1 teacher, 2 room only.
    CZemTableObject* FindObject(const std::string& id, int kind) const;
    // Also finds a class whose name has ASCII parentheses where the given one has full-width ones.
    std::string FindClassIdByName(const std::string& name) const;
    // The teaching plans, then the morning-reading and self-study plans, each in display order.
    void GetAllCourses(std::vector<CCourseInfo*>* out) const;
    int GetPriorityIndex() const;
    // The lessons of a timetable over the days in use: a half-used slot counts half a lesson.
    CWeekCount GetWeekCount(const CCourseTable* table) const;
    void GetNodeClassIds(const CCourseTableNode& node, std::vector<std::string>* ids) const;
    // slots 0 both, 1 the first, 2 the second: the classes, teachers, partner classes, assistants
    // and rooms of the lessons there.
    void GetNodeObjectIds(const CCourseTableNode& node, int slots, std::vector<std::string>* ids) const;
    bool NodeHasAnyCourse(const CCourseTableNode& node, const std::vector<std::string>& ids) const;

    // ---- Texts ----
    std::string GetCourseText(const CCourseInfo* plan, bool withClass) const;
    std::string GetNodeText(const CCourseTable* table, const tagTABLE_NODE& period, int part) const;

    // ---- Object lists ----
    // One item per class, teacher, teacher-group member or room named by the ids; unknown ids are skipped.
    void CreateTableItems(const std::vector<std::string>& ids,
                          std::vector<std::unique_ptr<CExportTableItem>>* out) const;
    // Copies of the classes, teachers and rooms named by the ids that the list does not hold yet.
    void CreateObjectList(const std::vector<std::string>& ids, CZemObjectList* list) const;

    // ---- Week grids (a column per day in use) ----
    // Shapes the grid for the week of the structure (the task's when null): a column per day in use
    // and not hidden, titled "星期一".. or, with short titles, "一".., and the period names (the
    // plain ones with short titles).
    void SetupWeekTable(CWeekGridCells* grid, const std::array<bool, zem::kDayCount>* hiddenDays, bool shortTitles,
                        const CSchoolStructure* structure = nullptr) const;
    // Writes the text into the slot's cell, the day's column being its place among the days in use.
    void SetCellInfo(CWeekGridCells* grid, int day, int segment, int section, const std::string& text) const;
    // The cells of a timetable; a room's grid gets a text for every slot, free or not.
    void FillWeekTable(CWeekGridCells* grid, const CCourseTable* table, TABLE_TYPE type, bool showActivities,
                       bool fullNames, int layout, const std::string& objectId);
    // One cell of FillWeekTable, written afresh: its text (an unused slot's activity) and tip.
    void FillWeekCell(CWeekGridCells* grid, const CCourseTable* table, TABLE_TYPE type, bool showActivities,
                      bool fullNames, int layout, const std::string& objectId, const tagTABLE_NODE& period);
    // Several timetables in one grid; a slot that more of them use says how many.
    void FillWeekTableEx(CWeekGridCells* grid, const std::vector<const CCourseTable*>& tables, TABLE_TYPE type);
    // The locked, linked and disabled marks of every slot, then a refresh.
    void ForEachCell(CWeekGridCells* grid, const CCourseTable* table, TABLE_TYPE type, const std::string& objectId);
    void MarkCellTag(CWeekGridCells* grid, const CCourseTable* table, TABLE_TYPE type, const std::string& objectId,
                     const tagTABLE_NODE& period);
    // The subject colour of the slot's lesson; 0 unless colours are on and this is the open task.
    zem::COLORREF GetCellColor(const CCourseTable* table, const tagTABLE_NODE& period) const;
    void ApplyCellColors(CWeekGridCells* grid, const CCourseTable* table) const;
    // Marks the slots where the plans clash among themselves or (type 1 teacher, 2 room) with the
    // target; returns the number of clashes. Works on the open task.
    int MarkPlanConflicts(const std::vector<CCourseInfo*>& plans, CWeekGridCells* gridA, CZemTableObject* target,
                          CWeekGridCells* gridB, int type, std::vector<std::string>* classes, bool* allAlready);
    // Marks the lessons of two objects that a substitution would exchange (the plans named and the
    // partners that move with them), and the slots where the exchange clashes; returns the number
    // of clashes.
    int FillSubstituteTables(CZemTableObject* a, const std::vector<std::string>& idsA, CWeekGridCells* gridA,
                             CZemTableObject* b, const std::vector<std::string>& idsB, CWeekGridCells* gridB,
                             std::vector<std::string>* classes);

    // ---- Checks: true = allowed; on false GetText says why ----
    // Whether the slots may change places; skipPartners leaves combined-class partners unchecked.
    bool CanSwap(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b, bool skipPartners);
    bool CanSwapPart(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b, int part, bool skipPartners);
    // True when the lesson at the slot is not a preset one.
    bool IsPreset(CCourseTable* table, const tagTABLE_NODE& period, int part);
    // Whether the slot is a usable slot of the school's week: a day in use, a section within its
    // segment's count, not closed for the whole school.
    bool CheckSlotInWeek(const tagTABLE_NODE& period);
    // Whether the plan may be placed at the slot for the week part (0 every week, 1 odd, 2 even).
    bool CanPlaceCourse(CCourseTable* table, const tagTABLE_NODE& period, int part, CCourseInfo* plan,
                        const std::string& room);
    bool CheckCourseAtNode(CCourseTable* table, const tagTABLE_NODE& period, int part, CCourseInfo* plan,
                           const std::string& room);
    // True when there IS a conflict; the message (when given) then says which.
    bool CheckRoomConflict(const std::string& roomId, const tagTABLE_NODE& period, int part, const std::string& planId,
                           const std::string& roomAtPeriod, std::string* message);
    // On a refusal reason gets 0 (the teacher is busy), 1 (the teacher's fixed time), 2 (a group's)
    // or 3 (a teacher exclusive to the new one teaches then). The plan's teacher gives the lessons
    // up unless the new one only joins (an assistant: replacesTeacher false).
    bool CheckTeacherChange(CCourseInfo* plan, CTeacherInfo* newTeacher, int* reason, bool replacesTeacher = true);
    bool IsTeacherGroupFixedTime(const std::string& teacherId, const tagTABLE_NODE& period, std::string* groupName);
    // Whose fixed no-lesson time the slot is for the plan's lessons, as a placement by hand finds
    // it, with an activity on it or not: "班级", the subject's name, the teacher's name (the
    // teacher's own or a group's), "教学计划"; empty when it is none.
    std::string FixedTimeHolder(CCourseInfo* plan, const tagTABLE_NODE& period);
    // Whether the teacher may take a lesson at the slot, as a placement by hand asks it: not on the
    // teacher's or a group's fixed no-lesson time, nor while an exclusive teacher teaches, unless
    // that teacher is among those leaving the slot.
    bool CanTeacherTakeAt(const std::string& teacherId, const tagTABLE_NODE& period,
                          std::span<const CTeacherInfo* const> leaving = {});

    // ---- Changes (working timetables) ----
    void SetCourseNode(CCourseTable* classTable, CCourseInfo* plan, const std::string& room,
                       const tagTABLE_NODE& period, int part);
    // Places the plan and its combined-class partners. Each partner is checked first in its own
    // class; when one may not go there nothing is placed and GetText says why.
    bool PlaceCourseWithPartners(CCourseTable* classTable, CCourseInfo* plan, const std::string& room,
                                 const tagTABLE_NODE& period, int part);
    void UnsetCourseNode(CCourseTable* table, CCourseTableNode* node, const tagTABLE_NODE& period, int part);
    void RemoveCourseWithPartners(CCourseTable* table, CCourseTableNode* node, const tagTABLE_NODE& period, int part);
    // Whose lessons ClearTimetables removes: every class's, or the chosen classes', teachers' or rooms'.
    enum ClearScope { kClearAll = 0, kClearClasses = 1, kClearTeachers = 2, kClearRooms = 3 };
    // Removes the lessons of the scope from the working timetables, each lesson with its teachers,
    // assistants, room and combined-class partners. Ids the task lacks are passed over.
    void ClearTimetables(int scope, std::vector<std::string> ids);
    // Exchanges two slots of a class, and of every class whose combined lessons move with them.
    void MoveNode(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b,
                  std::vector<std::string>* touchedClasses, bool* partnersMoved);
    // A lesson moved by hand from source to target, as the grids' drops make it. It is asked again
    // when it is made, since the timetables may have changed since its cells were marked: false,
    // with GetText saying why, when CanSwap refuses; nothing has changed then.
    bool SwapByHand(CCourseTable* table, const tagTABLE_NODE& target, const tagTABLE_NODE& source,
                    std::vector<std::string>* touchedClasses, bool* partnersMoved);
    // Gives the plan's lessons to its new teacher (set on the plan already). Its combined-class
    // partners of the old teacher change with it, since a teacher's timetable holds the class's
    // lessons once; with wholeClass the partners of other teachers change too.
    void ChangeTeacher(CCourseInfo* plan, CTeacherInfo* oldTeacher, CTeacherInfo* newTeacher, bool wholeClass = true);
    void ChangeRoom(CCourseInfo* plan, const tagTABLE_NODE& period, int part, const std::string& newRoom);
    void ApplyAssistantChange(const std::string& planId, const std::vector<std::string>& newAssistants);
    // Undo or commit a series of manual edits of the working timetables.
    void RestoreTempTables();
    // Commits the working tables and writes output.xml; when the write fails the committed tables
    // are as before and false comes back.
    bool SaveTempTables();
    // The same, writing input.xml and output.xml as one pair: for changes of the plans that the
    // timetables follow. When either write fails neither file changed.
    bool SaveInputAndTempTables();

    // ---- Predicates ----
    bool IsTeacherOfCourse(const CCourseInfo* plan, const std::string& teacherId) const;
    // The plans a change of the teacher's plans moves: each plan, and beside one the teacher leads
    // its combined-class partners the teacher leads too; another teacher's plan stays with that
    // teacher. Unknown ids are kept.
    std::vector<std::string> PlansMovedWithTeacher(const std::vector<std::string>& ids,
                                                   const std::string& teacherId) const;
    // The combined-class partners that take the plan's new teacher with it: those of its old
    // teacher, or with wholeClass every one.
    std::vector<CCourseInfo*> PartnersTakingTeacher(const CCourseInfo* plan, const std::string& oldTeacherId,
                                                    bool wholeClass) const;
    bool NodeHasCourse(const CCourseTableNode& node, const std::string& planId, bool partners) const;
    bool IsTeacherInNode(const CCourseTableNode& node, const std::string& teacherId) const;
    bool IsRoomInNode(const CCourseTableNode& node, const std::string& roomId) const;
    bool IsSameCombinedClass(const CCourseInfo* a, const CCourseInfo* b) const;
    bool IsOddEvenPair(CZemTableObject* a, CZemTableObject* b, const tagTABLE_NODE& period) const;
    bool CourseUsesRoom(CCourseInfo* plan, const std::string& roomId) const;
    bool IsCourseComplete(const CCourseInfo* plan, const CCourseTable* table, int mode = 0) const;
    bool HasTableConflict(const CCourseTable* a, const CCourseTable* b) const;
    bool HasLessons(const CCourseTable* table) const;
    bool HasObject(int kind, const std::string& id) const;
    // The plan's lessons (its partners' too) in the table: slots in use, or every slot for mode 2.
    CWeekCount CountCourseNodes(const std::string& planId, const CCourseTable* table, int mode) const;

    // ---- Passes the engine calls back after a try ----
    void PlaceLostCourses();                      // after a try that lost lessons
    void OptimizeRange(CAutoRange* range);        // a new best try
    void PlaceLostCoursesRelaxed();               // right after OptimizeRange
    bool PlaceLostCoursesSweep();
    // Places up to count lessons of the plan; returns how many are still unplaced.
    int PlaceCourseLessons(const std::string& planId, int count, bool relaxed);
    bool PlaceLessonWithDisplacement(int depth, CCourseInfo* plan, const std::string& room, CCourseTable* table,
                                     const tagTABLE_NODE& period);
    static void OrderCandidatesBySegment(bool mainCourse, std::vector<tagTABLE_NODE>& periods);
    void MoveMainCoursesForward(CAutoRange* range);
    void ConcentrateTeacherLessons(CAutoRange* range);
    // Logs "free node error." when a slot that must be empty holds a lesson.
    void CheckFreeNode(const CCourseTable* table, const tagTABLE_NODE& node) const;

    // Whether the class is in the range; every class is without one.
    bool IsClassInRange(const CAutoRange* range, const std::string& classId) const;
    // Whether the run's stop flag is up.
    bool IsStopping() const { return m_stop && m_stop->load(std::memory_order_relaxed); }

    // The reason of a refusal, kept as data and written out only when someone reads it.
    struct Reason;

protected:
    CPlacementRules& Rules();

private:
    // Commits the working tables and saves through `save`; when it fails the committed tables are
    // as the files still hold them.
    bool CommitTempTablesAndSave(const std::function<bool()>& save);
    // Starts a new reason of the kind (a Reason::Kind) and marks the text for rewriting.
    Reason& Refusal(int kind, const tagTABLE_NODE& node);
    bool RefuseText(const char* text);
    bool CheckAtNode(CCourseTable* table, const tagTABLE_NODE& period, int part, CCourseInfo* plan,
                     const std::string& room, bool inSwap);
    // The text and tip FillWeekTable gives a slot; false when it gives none.
    bool WeekCellText(const CCourseTable* table, TABLE_TYPE type, bool showActivities, bool fullNames, int layout,
                      const std::string& objectId, const tagTABLE_NODE& period, std::string* text,
                      std::string* tip) const;
    // Writes the teacher's working cell at the slot again from the classes' lessons there, as the
    // task's reader writes it; nothing when no class has a lesson of the teacher then.
    void RefillTeacherSlot(CTeacherInfo& teacher, const tagTABLE_NODE& period);
    // Gives the room's free places at the slot to the classes' lessons there that have none.
    void RefillRoomSlot(CRoomInfo& room, const tagTABLE_NODE& period);
    // The steps of CheckAtNode.
    bool CheckFixedTimes(const CPlanRules& rules, const tagTABLE_NODE& period, int slot);
    bool CheckExclusiveTeachers(const CPlanRules& rules, const tagTABLE_NODE& period, const CPlanRules* replaced);
    std::vector<const CTeacherInfo*> TeachersGivingUp(CCourseInfo* plan);
    bool CheckTeacherFixedTimes(const CTeacherRules& teacher, const tagTABLE_NODE& period, int slot);
    bool CheckExclusiveOf(const CTeacherRules& teacher, const tagTABLE_NODE& period,
                          std::span<const CTeacherInfo* const> leaving);
    bool CheckExclusiveSubjects(const CPlanRules& rules, const CCourseTable* table, const tagTABLE_NODE& period,
                                int part);
    bool CheckTeachersFree(const CPlanRules& rules, const tagTABLE_NODE& period, int part, const CPlanRules* replaced,
                           bool inSwap);
    bool CanPlace(CCourseTable* table, const tagTABLE_NODE& period, int part, CCourseInfo* plan,
                  const std::string& room, bool inSwap);
    bool RoomConflict(const std::string& roomId, const tagTABLE_NODE& period, int part, const CCourseInfo* plan,
                      const std::string& roomAtPeriod, std::string* message);
    bool SwapPartnerClasses(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b);
    // The class tables an exchange of the two slots changes: the table itself, then the partner
    // classes its lessons take along (each with the partner plan that reached it). Returns how
    // many of them the table's own lessons reach directly, itself included.
    using MovedTables = std::vector<std::pair<CCourseTable*, const CCourseInfo*>>;
    std::size_t TablesMovedWith(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b,
                                MovedTables& reached);
    bool MoveKeepsDayMaximum(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b);
    void MoveNodeOnce(CCourseTable* table, const tagTABLE_NODE& a, const tagTABLE_NODE& b,
                      std::vector<CCourseInfo*>& placed);
    void EmptyNode(CCourseTable* table, const tagTABLE_NODE& period);
    void FillNode(CCourseTable* table, const CCourseTableNode& from, const tagTABLE_NODE& period,
                  std::vector<CCourseInfo*>& placed);
    bool PlaceLessonAt(CCourseInfo* plan, const std::string& room, CCourseTable* table, const tagTABLE_NODE& period,
                       const tagTABLE_NODE& candidate);
    bool PlaceLostEntries(bool relaxed);
    bool StaticallyAllowed(const CPlanRules& plan, const tagTABLE_NODE& node);
    void ReachableSlots(const CPlanRules& plan, CCourseTable* table, const tagTABLE_NODE& except,
                        std::bitset<zem::kSlotCount>& out);
    CCourseTable* ClassTableOf(const CCourseInfo* plan) const;
    std::string FormatReason(const Reason& reason) const;
    tagTABLE_NODE GridCell(const tagTABLE_NODE& period) const;

    CScheduleTask* m_task = nullptr;
    CHelperContext m_context;
    const std::atomic<bool>* m_stop = nullptr;
    std::shared_ptr<CPlacementRules> m_rules;
    std::unique_ptr<Reason> m_reason;
    mutable std::string m_text;
    mutable bool m_textStale = false;
    std::vector<zem::IdHandle> m_scratch;
    // Scratch space of the passes, kept between calls so that their loops allocate nothing.
    std::vector<tagTABLE_NODE> m_free;
    std::vector<std::vector<tagTABLE_NODE>> m_candidates;  // one list per depth of displacement
    MovedTables m_moved;
    MovedTables m_reached;
    std::vector<CCourseInfo*> m_placed;
};

// "day-segment-section", for log lines.
std::string NodeToText(const tagTABLE_NODE& period);

// Moves one lesson of a teacher's day next to another in another class; true after one move.
bool ConcentrateTeacherDay(CAutoRange* range, CTaskHelper& helper, CCourseTable* teacherTable,
                           const std::vector<tagTEACHER_LESSON>& lessons);
// Moves lesson q into a free slot of the teacher right before or after the lessons around r.
bool MoveLessonNextTo(CAutoRange* range, CTaskHelper& helper, CCourseTable* teacherTable,
                      const tagTEACHER_LESSON& r, const tagTEACHER_LESSON& q);
// True when the section before or after the slot, same day and segment, is used.
bool HasAdjacentLesson(const CSchoolStructure* structure, const CCourseTable* table, int day, int segment, int section);
