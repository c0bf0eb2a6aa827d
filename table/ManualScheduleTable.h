#pragma once
// The week grid in which the user moves lessons by hand: a first click picks a cell, the host marks
// the cells it may go to as friends, and a click on a friend moves it there.
#include "table/WeekTable.h"

class CManualScheduleTable : public CWeekTable {
public:
    CManualScheduleTable();
    ~CManualScheduleTable() override;

    // Clicks the centre of `from`, then the centre of `to`, as the user would; nothing when either
    // cell is missing.
    void SimulateToSwapCell(const tagTABLE_NODE& from, const tagTABLE_NODE& to);

    bool IsMoving() const { return m_moving; }

protected:
    // Slides the two cells' pictures past each other, then trades their contents (not their tags).
    // False when the grid was destroyed meanwhile.
    bool MoveCell(const tagTABLE_NODE& to, const tagTABLE_NODE& from);

    void OnLButtonDown(zem::Point point) override;
    void OnRButtonDown(zem::Point point) override;

private:
    // Ends the pick and tells the host.
    void ClearPick();

    bool m_moving = false;
};
