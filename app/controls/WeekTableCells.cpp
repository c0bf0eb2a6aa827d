#include "app/controls/WeekTableCells.h"

#include "table/WeekTable.h"

void CWeekTableCells::SetWeekDays(int days) { m_grid.SetWeekDays(days); }

void CWeekTableCells::SetSegmentNodes(int segment, int count)
{
    const auto n = static_cast<short>(count);
    switch (segment) {
    case 0:
        m_grid.SetForenoonNodes(n);
        break;
    case 1:
        m_grid.SetAfternoonNodes(n);
        break;
    case 2:
        m_grid.SetNightNodes(n);
        break;
    case 3:
        m_grid.SetMorningReadingNodes(n);
        break;
    case 4:
        m_grid.SetNightSelfStudyNodes(n);
        break;
    default:
        break;
    }
}

void CWeekTableCells::SetColumnTitle(int column, const std::string& title)
{
    m_grid.SetColumnTitle(static_cast<short>(column), title);
}

void CWeekTableCells::SetPeriodNames(const std::vector<std::string>& names) { m_grid.SetPeriodNames(names); }

void CWeekTableCells::Clear() { m_grid.Clear(); }

void CWeekTableCells::SetCellInfo(const tagTABLE_NODE& cell, const std::string& text) { m_grid.SetCellInfo(cell, text); }

void CWeekTableCells::SetCellTipInfo(const tagTABLE_NODE& cell, const std::string& tip)
{
    m_grid.SetCellTipInfo(cell, tip);
}

void CWeekTableCells::SetCellTag(const tagTABLE_NODE& cell, CELL_TAG tag) { m_grid.SetCellTag(cell, tag); }

void CWeekTableCells::SetCellBkColor(const tagTABLE_NODE& cell, zem::COLORREF color)
{
    m_grid.SetCellBkColor(cell, color);
}

void CWeekTableCells::SetCellFocus(const tagTABLE_NODE& cell, bool focus) { m_grid.SetCellFocus(cell, focus); }

void CWeekTableCells::SetForbidCell(const tagTABLE_NODE& cell, bool forbid) { m_grid.SetForbidCell(cell, forbid); }

void CWeekTableCells::SetAllCellNormal() { m_grid.SetAllCellNormal(); }

void CWeekTableCells::Refresh() { m_grid.Refresh(); }
