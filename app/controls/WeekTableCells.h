#pragma once
// A week grid seen as the cells the task helper fills and marks: the helper's column is the
// grid's day. Made on the stack around a helper call, like the helper itself.
#include "app/taskhelper/WeekGridCells.h"

class CWeekTable;

class CWeekTableCells : public CWeekGridCells {
public:
    explicit CWeekTableCells(CWeekTable& grid) : m_grid(grid) {}

    void SetWeekDays(int days) override;
    void SetSegmentNodes(int segment, int count) override;
    void SetColumnTitle(int column, const std::string& title) override;
    void SetPeriodNames(const std::vector<std::string>& names) override;

    void Clear() override;
    void SetCellInfo(const tagTABLE_NODE& cell, const std::string& text) override;
    void SetCellTipInfo(const tagTABLE_NODE& cell, const std::string& tip) override;
    void SetCellTag(const tagTABLE_NODE& cell, CELL_TAG tag) override;
    void SetCellBkColor(const tagTABLE_NODE& cell, zem::COLORREF color) override;
    void SetCellFocus(const tagTABLE_NODE& cell, bool focus) override;
    void SetForbidCell(const tagTABLE_NODE& cell, bool forbid) override;
    void SetAllCellNormal() override;
    void Refresh() override;

private:
    CWeekTable& m_grid;
};
