#include "table/StructureTable.h"

#include <QPointer>

using zem::Point;

void CStructureTable::InverseCellState(int day, int row)
{
    if (day < 0 || day >= GetColumnCount())
        return;
    const CDayColumn& column = m_columns[static_cast<std::size_t>(day)];
    if (row < 0 || row >= column.GetRowCount())
        return;
    tagTABLE_NODE node{day, column.SegmentOfRow(row), column.SectionOfRow(row)};
    CCell* cell = CellOf(node);
    if (!cell)
        return;
    int value;
    if (m_selectBehavior == SELECT_LOCK) {
        value = cell->GetTag() != CELL_TAG_LOCKED ? CELL_TAG_LOCKED : CELL_TAG_NONE;
        cell->SetTag(value);
    } else {
        const bool forbid = cell->GetState() != CCell::STATE_FORBIDDEN;
        cell->SetState(forbid ? CCell::STATE_FORBIDDEN : CCell::STATE_NORMAL);
        value = forbid ? 1 : 0;
    }
    Notify(WM_TABLE_CELL_TOGGLED, static_cast<zem::WPARAM>(value), zem::ToLParam(&node));
}

void CStructureTable::OnLButtonDown(Point point)
{
    LayoutClient();
    const int columns = GetColumnCount();
    // The host may destroy the grid from a notification; stop toggling then.
    QPointer<CStructureTable> alive(this);

    if (m_periodColumn.GetRect().PtInRect(point)) {
        const int row = m_periodColumn.HitRow(point);
        if (row >= 0) {
            for (int day = 0; day < columns && alive; ++day)
                InverseCellState(day, row);
        } else if (m_periodColumn.GetCornerRect().PtInRect(point)) {
            for (int day = 0; day < columns && alive; ++day) {
                const int rows = m_columns[static_cast<std::size_t>(day)].GetRowCount();
                for (int r = 0; r < rows && alive; ++r)
                    InverseCellState(day, r);
            }
        } else {
            return;
        }
    } else if (m_titleRow.GetRect().PtInRect(point)) {
        const int day = m_titleRow.HitTitle(point);
        if (day < 0)
            return;
        const int rows = m_columns[static_cast<std::size_t>(day)].GetRowCount();
        for (int r = 0; r < rows && alive; ++r)
            InverseCellState(day, r);
    } else {
        for (int day = 0; day < columns && alive; ++day) {
            const int row = m_columns[static_cast<std::size_t>(day)].HitRow(point);
            if (row >= 0)
                InverseCellState(day, row);
        }
    }
    if (alive)
        Refresh();
}

void CStructureTable::OnRButtonDown(Point point)
{
    LayoutClient();
    tagTABLE_NODE header{-1, -1, -1};
    if (m_periodColumn.GetRect().PtInRect(point)) {
        const int row = m_periodColumn.HitRow(point);
        if (row >= 0) {
            header.segment = m_periodColumn.SegmentOfRow(row);
            header.section = m_periodColumn.SectionOfRow(row);
        } else if (!m_periodColumn.GetCornerRect().PtInRect(point)) {
            return;
        }
    } else if (m_titleRow.GetRect().PtInRect(point)) {
        header.day = m_titleRow.HitTitle(point);
        if (header.day < 0)
            return;
    } else {
        CWeekTable::OnRButtonDown(point);
        return;
    }
    Notify(WM_TABLE_HEADER_RCLICK, zem::ToWParam(&header));
}
