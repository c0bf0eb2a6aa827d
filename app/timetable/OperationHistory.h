#pragma once
// The undo and redo list of the manual changes made in a table container. Records keep no copies
// of timetables: undo and redo hand a record back to its target, which replays the change backwards
// or forwards, and a replay the target refuses leaves the list where it was.
#include "base/TableNode.h"
#include "platform/MessageTarget.h"
#include "platform/WindowMessages.h"

#include <memory>
#include <string>
#include <vector>

// One manual change. The kinds are told apart by their number alone.
class CScheduleOperation {
public:
    enum Kind : int {
        kSwap = 0,          // "调课": slot A source, slot B target
        kPlaceCourse = 1,   // "安排课程": ids1 course, ids2 room given
        kSetRoom = 2,       // "安排教室": ids1 new room, ids2 previous room
        kClearCourse = 3,   // "清除课程": ids1 course id(s), ids2 their room id(s), "," between
        kClearRoom = 4,     // "清除教室": ids1 the room taken away
        kSwapOddEven = 5,   // "交换单双周"
    };

    // Stamps the record with the time it is made.
    explicit CScheduleOperation(int kind);
    virtual ~CScheduleOperation() = default;

    int GetKind() const { return m_kind; }
    const std::string& GetName() const { return m_name; }
    const std::string& GetClassId() const { return m_objectId; }
    const std::string& GetDescription() const { return m_description; }
    const std::string& GetTime() const { return m_time; }

    int m_kind;
    std::string m_name;
    std::string m_objectId;  // the class whose table was changed
    std::string m_description;
    std::string m_time;
    tagTABLE_NODE m_slotA;
    tagTABLE_NODE m_slotB;
    int m_half = 0;  // 0 whole, 1 odd weeks, 2 even weeks
    std::string m_ids1;
    std::string m_ids2;
    std::string m_extra1;
    std::string m_extra2;
    // The classes, teachers and rooms whose timetables the change touched.
    std::vector<std::string> m_changedIds;
};

// One class per kind, so that a record says what it is; they add nothing.
class CSwapOperation : public CScheduleOperation {
public:
    CSwapOperation() : CScheduleOperation(kSwap) {}
};
class CPlaceCourseOperation : public CScheduleOperation {
public:
    CPlaceCourseOperation() : CScheduleOperation(kPlaceCourse) {}
};
class CSetRoomOperation : public CScheduleOperation {
public:
    CSetRoomOperation() : CScheduleOperation(kSetRoom) {}
};
class CClearCourseOperation : public CScheduleOperation {
public:
    CClearCourseOperation() : CScheduleOperation(kClearCourse) {}
};
class CClearRoomOperation : public CScheduleOperation {
public:
    CClearRoomOperation() : CScheduleOperation(kClearRoom) {}
};
class CSwapOddEvenOperation : public CScheduleOperation {
public:
    CSwapOddEvenOperation() : CScheduleOperation(kSwapOddEven) {}
};

// Replays records: ApplyOperation redoes a change, RevertOperation undoes it; false refuses.
class IOperationTarget {
public:
    virtual ~IOperationTarget() = default;
    virtual bool ApplyOperation(CScheduleOperation& record) = 0;
    virtual bool RevertOperation(CScheduleOperation& record) = 0;
};

class COperationHistory {
public:
    using Records = std::vector<std::unique_ptr<CScheduleOperation>>;

    explicit COperationHistory(IOperationTarget* target);
    virtual ~COperationHistory();
    COperationHistory(const COperationHistory&) = delete;
    COperationHistory& operator=(const COperationHistory&) = delete;

    bool CanUndo() const;
    bool CanRedo() const;
    // False when there is nothing to undo or redo, or the target refused the replay.
    bool Undo();
    bool Redo();
    // Drops the undone records, appends this one and makes it the last applied; null is ignored.
    void Add(std::unique_ptr<CScheduleOperation> record);
    void NotifyHistoryWindow();
    // The ids every applied record touched, each once whatever its letter case, in first-seen order.
    void GetChangedIds(std::vector<std::string>& ids) const;

    void SetHistoryWindow(zem::MessageTarget* window) { m_window = window; }
    const Records& GetRecords() const { return m_records; }
    int GetIndex() const { return m_index; }
    int GetCount() const { return static_cast<int>(m_records.size()); }

private:
    Records m_records;
    int m_index = -1;  // the last applied record; -1 when none is
    zem::MessageTarget* m_window = nullptr;
    IOperationTarget* m_target = nullptr;
};
