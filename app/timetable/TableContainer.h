#pragma once
// The child window in which a week timetable is changed by hand: one pick-and-place grid showing a
// class, teacher or room of a task. Picks, drops and the context menu's commands become changes of
// the task's working timetables, made by the task helper; each change is a record of the
// container's history, which undo and redo replay. Only class timetables are edited: a right click
// in a teacher's or room's timetable goes to the class of the lesson there.
#include "app/timetable/OperationHistory.h"
#include "base/ScheduleTask.h"
#include "platform/gui/Messages.h"
#include "platform/gui/PopupMenu.h"
#include "table/ManualScheduleTable.h"

#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

class CHistoryDlg;
class CTaskHelper;

// What the window embedding a container hears of it, in slot order.
class ITableChangeListener {
public:
    // What OnTableChanged reports.
    enum Change : int {
        kSwapped = 0,        // two cells traded places; object null
        kPlaced = 1,         // a plan was placed; object the CCourseInfo*
        kCleared = 2,        // lessons were taken out; object the std::string* of their plan id(s)
        kRoomSet = 3,        // null
        kRoomCleared = 4,    // null
        kOddEvenSwapped = 5  // null
    };

    virtual ~ITableChangeListener() = default;
    virtual void FocusTeacherList() {}
    virtual void FocusRoomList() {}
    // Another object's timetable is shown now.
    virtual void SetCentreTitle(const std::string& name) = 0;
    virtual void OnTableChanged(int code, void* object) = 0;
};

class CTableContainer : public QWidget, public zem::gui::MessageReceiver, public IOperationTarget {
public:
    // The context menu's commands.
    enum Command : int {
        ID_GOTO_TEACHER = 10000,  // .. 10100, one per teacher of the lesson
        ID_GOTO_ROOM = 32778,
        ID_ASSIGN_COURSE = 32777,
        ID_CHANGE_ROOM = 32775,
        ID_CLEAR_ROOM = 32781,
        ID_CLEAR = 32776,
        ID_SWAP_ODD_EVEN = 32864,
        ID_GOTO_CLASS = 1724,  // .. 1824, one per class of a room's lesson
        ID_OTHER_CLASS = 32830,
    };
    // Which context menu a class cell gets.
    enum MenuMode : int { kMenuNormal = 0, kMenuTemporary = 1, kMenuConflict = 2 };

    CTableContainer();
    ~CTableContainer() override;

    // Makes the container a visible child of `owner` (which also hears the grid's notifications
    // when it receives the program's messages), shapes the grid for the task's week (short day
    // titles with shortTitles) and makes the history window.
    bool Create(QWidget* owner, CScheduleTask* task, ITableChangeListener* listener, bool shortTitles);

    // Shows the timetable (owned by the task) for the kind and object set before.
    void SetTable(CCourseTable* table);
    void Refill();
    // Shows the timetable of the object of the kind and id set; nothing for an id the task lacks.
    void ShowObject();
    void SetObject(int kind, const std::string& objectId)
    {
        m_kind = kind;
        m_objectId = objectId;
    }
    const std::string& GetObjectId() const { return m_objectId; }
    int GetKind() const { return m_kind; }
    CCourseTable* GetTable() const { return m_table; }
    void SetMenuMode(int mode) { m_menuMode = mode; }
    int GetMenuMode() const { return m_menuMode; }

    void RefreshMarks();
    void RefreshColors();
    // Focus marks on every cell holding the plan, teacher or room (none when off).
    void HighlightCourse(CCourseInfo* course, bool on);
    void HighlightTeacher(const std::string& teacherId, bool on);
    void HighlightRoom(const std::string& roomId, bool on);
    // Marks every cell the plan may go to as a drop target; the others get the reason as tip.
    void ShowCourseTargets(CCourseInfo* course);
    void FocusCurrentCell(bool on);
    // Makes the grid's picked cell current, with the plan's half there; whether it may be cleared.
    bool SelectCurrentCell(const std::string& courseId);
    // Takes the lesson at the current cell out, without asking.
    void ClearCurrent();
    // Makes the grid cell current and prepares placing the plan there (half, questions, checks).
    bool PlaceCourseAt(const tagTABLE_NODE& gridSlot, const std::string& courseId);
    // Places the plan at the current cell with its fixed room.
    bool PlaceCourseById(const std::string& courseId);
    std::string GetCurrentCourseId() const;
    // The current cell in task terms (day number); the half 0 whole, 1 odd, 2 even weeks.
    void SetCurrentSlot(const tagTABLE_NODE& slot, int half);
    const tagTABLE_NODE& GetCurrentSlot() const { return m_currentSlot; }
    int GetCurrentHalf() const { return m_currentHalf; }

    bool Undo();
    bool Redo();
    bool CanUndo() const;
    bool CanRedo() const;
    void ShowHistory();
    // The classes, teachers and rooms the applied records touched; with onlyReallyChanged, only
    // those whose timetable differs from when the container was made.
    void GetChangedTables(std::vector<std::string>& ids, bool onlyReallyChanged) const;
    // After a save: what changed is counted from the tables as they are now.
    void ResetChangedTables() { TakeSnapshot(); }

    // The grid's notifications, in grid order. A move is made only in the class timetable its
    // pick was made in, and only when the task helper allows it at that moment; whether it was.
    void OnPick(const tagTABLE_NODE& gridSlot);
    bool OnMoved(const tagTABLE_NODE& gridTarget, const tagTABLE_NODE& gridSource);
    void OnContextMenu(const tagTABLE_NODE& gridSlot, int side);
    // A command of the context menu.
    void OnCommand(int id);

    // The commands, on the current cell.
    void ShowContextMenu();
    void OnGotoTeacher(int id);
    void OnGotoRoom();
    void OnGotoClass(int id);
    void OnAssignCourse();
    void OnChangeRoom();
    void ClearRoom();
    void OnClear();
    void OnSwapOddEven();
    bool PrepareCourse(CCourseInfo* course);
    bool PlaceCourse(CCourseInfo* course, const std::string& roomId);
    bool ClearCourse(CCourseTable* table, const tagTABLE_NODE& slot, int half, const std::string& ownerId);
    bool CanClearCurrent();
    bool SetRoom(CRoomInfo* room, const std::string& previousRoomId);
    bool SwapOddEven();

    bool ApplyOperation(CScheduleOperation& record) override;
    bool RevertOperation(CScheduleOperation& record) override;

    CManualScheduleTable& GetGrid() { return m_grid; }
    COperationHistory& GetHistory() { return *m_history; }
    CHistoryDlg* GetHistoryWindow() const { return m_historyWnd.get(); }
    tagTABLE_NODE ToGridNode(const tagTABLE_NODE& slot) const;
    tagTABLE_NODE ToDataNode(const tagTABLE_NODE& gridSlot) const;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The plan to place in the current cell and the room for its lesson there, chosen with the
    // slot's analysis; null when the user cancels.
    CCourseInfo* ChoosePlan();
    CRoomInfo* ChooseRoom(const std::string& courseId, const std::string& roomId);
    CTaskHelper Helper() const;
    bool Replay(CScheduleOperation& record, bool revert);
    // Whether the objects a replay needs still exist; a message says which is gone when not.
    bool CheckRecordObjects(const CScheduleOperation& record, bool revert);
    bool ReplaySwap(const CScheduleOperation& record, bool revert);
    bool ReplayPlace(const CScheduleOperation& record, bool revert);
    bool ReplaySetRoom(const CScheduleOperation& record, bool revert);
    bool ReplayClear(const CScheduleOperation& record, bool revert);
    bool ReplayClearRoom(const CScheduleOperation& record, bool revert);
    // On a split cell, the half of a lesson rather than the whole cell.
    void PinLessonHalf();
    // Whether the room has a free place at the current slot for the current half; says why not.
    bool RoomIsFree(CRoomInfo* room);
    void AddRecord(std::unique_ptr<CScheduleOperation> record, const std::string& description);
    // The record's object, the lessons', teachers', partner classes' and rooms' ids of the half.
    void CollectChangedIds(const CCourseTableNode& node, int half, std::vector<std::string>& ids) const;
    // Writes the slot's cell afresh from the timetable.
    void RewriteCell(const tagTABLE_NODE& slot);
    bool ConfirmCombinedClear();
    bool ConfirmCombinedPlace(CCourseInfo* course);
    bool CheckCombinedNodes(CCourseInfo* course);
    void ClearCombinedTargets(CCourseInfo* course);
    void AddTeacherItems(CCourseInfo* course, std::vector<zem::gui::MenuItem>& menu) const;
    void GetNodeClassIds(std::vector<std::string>& ids, const CCourseTableNode& node, int half) const;
    void ShowClassChoice(const CCourseTableNode& node);
    void GoToClassOfCourse(const std::string& courseId);
    // The plan of the lesson at the current cell and half; null when none.
    CCourseInfo* CurrentCourse() const;
    std::string TimeText(const tagTABLE_NODE& slot) const;
    // "<time>(<lesson>)" of a slot and the lesson that held it, now at `lessonAt`; the time alone
    // when that is empty.
    std::string SlotWithLesson(const tagTABLE_NODE& slot, const tagTABLE_NODE& lessonAt) const;
    void Forward(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam);
    void TakeSnapshot();

    CScheduleTask* m_task = nullptr;
    QWidget* m_ownerWnd = nullptr;
    zem::MessageTarget* m_owner = nullptr;
    ITableChangeListener* m_listener = nullptr;
    CManualScheduleTable m_grid;
    CCourseTable* m_table = nullptr;
    std::unique_ptr<CHistoryDlg> m_historyWnd;
    int m_kind = TABLE_CLASS;
    std::string m_objectId;
    std::string m_pickedClassId;  // the class timetable the grid's pick was made in
    CCourseTableNode* m_currentNode = nullptr;
    tagTABLE_NODE m_currentSlot;
    int m_currentHalf = 0;
    int m_menuMode = kMenuNormal;
    std::unique_ptr<COperationHistory> m_history;
    bool m_replaying = false;
    bool m_movedInReplay = false;
    bool m_historyUnplaced = true;
    // Copies of every class, teacher and room as they were at Create, by id.
    std::map<std::string, std::unique_ptr<CZemTableObject>> m_snapshot;
};
