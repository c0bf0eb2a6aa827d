#pragma once
// The week grid in which the user marks times: a click toggles a cell, a period name that period on
// every day, a day title that whole day, the corner every cell. Each toggled cell is reported.
#include "table/WeekTable.h"

class CStructureTable : public CWeekTable {
public:
    enum SelectBehavior {
        SELECT_FORBID = 0,  // toggles a cell between normal and forbidden
        SELECT_LOCK = 1,    // toggles a cell's padlock tag
    };

    void SetSelectBehavior(SelectBehavior behavior) { m_selectBehavior = behavior; }
    SelectBehavior GetSelectBehavior() const { return m_selectBehavior; }

protected:
    // Toggles one cell and notifies the host; nothing for a row without a cell.
    void InverseCellState(int day, int row);

    void OnLButtonDown(zem::Point point) override;
    void OnRButtonDown(zem::Point point) override;

private:
    SelectBehavior m_selectBehavior = SELECT_FORBID;
};
