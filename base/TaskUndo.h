#pragma once
// The task's data as it stood before a change, to put back whole when the change is refused: every
// list of basic data, plans and rules, each object with both its timetables. Windows find objects
// by id again after a change (a page's save replaces them with copies too), so the objects put
// back are copies, not the ones the change touched.
#include <memory>
#include <vector>

class CScheduleTask;
class CZemObject;
class CZemObjectList;

// Every list of the task's objects: basic data, plans and rules.
std::vector<CZemObjectList*> TaskObjectLists(CScheduleTask& task);

class CTaskUndo {
public:
    explicit CTaskUndo(CScheduleTask& task);
    ~CTaskUndo();
    CTaskUndo(const CTaskUndo&) = delete;
    CTaskUndo& operator=(const CTaskUndo&) = delete;

    // Puts every list back as it was when the undo was taken.
    void Restore();

private:
    CScheduleTask& m_task;
    // Copies of each list's objects, in the order of the task's lists.
    std::vector<std::vector<std::unique_ptr<CZemObject>>> m_lists;
};
