#include "table/ManualScheduleTable.h"

#include "table/CellStatic.h"

#include <QMouseEvent>
#include <QPointer>

using zem::Point;
using zem::Rect;

CManualScheduleTable::CManualScheduleTable() = default;

CManualScheduleTable::~CManualScheduleTable() = default;

void CManualScheduleTable::SimulateToSwapCell(const tagTABLE_NODE& from, const tagTABLE_NODE& to)
{
    LayoutClient();
    const CCell* fromCell = CellOf(from);
    const CCell* toCell = CellOf(to);
    if (!fromCell || !toCell)
        return;
    const Point fromCentre = fromCell->GetRect().CenterPoint();
    const Point toCentre = toCell->GetRect().CenterPoint();
    QPointer<CManualScheduleTable> alive(this);
    OnLButtonDown(fromCentre);
    if (alive)
        OnLButtonDown(toCentre);
}

bool CManualScheduleTable::MoveCell(const tagTABLE_NODE& to, const tagTABLE_NODE& from)
{
    if (to == from)
        return true;
    m_moving = true;
    CCell* toCell = CellOf(to);
    CCell* fromCell = CellOf(from);
    if (toCell && fromCell) {
        QPointer<CManualScheduleTable> alive(this);
        CCellStatic::MoveCell(toCell->GetRect(), fromCell->GetRect(), this);
        if (!alive)
            return false;
        // The host may have changed the grid while the pictures slid; look the cells up again.
        toCell = CellOf(to);
        fromCell = CellOf(from);
        if (toCell && fromCell)
            toCell->ExchangeContent(*fromCell);
    }
    m_moving = false;
    return true;
}

void CManualScheduleTable::ClearPick()
{
    SetAllCellNormal();
    Notify(WM_TABLE_PICK_CLEARED);
}

void CManualScheduleTable::OnLButtonDown(Point point)
{
    if (m_moving)
        return;
    LayoutClient();
    tagTABLE_NODE node;
    if (!HitCell(point, &node))
        return;
    CCell* cell = CellOf(node);
    // The host may destroy the grid from any notification; nothing is touched after that.
    QPointer<CManualScheduleTable> alive(this);

    if (m_picked) {
        if (!(node == m_pickedNode)) {
            if (cell->GetState() != CCell::STATE_FRIEND) {
                std::string tip = cell->GetTip();
                Notify(WM_TABLE_MOVE_REFUSED, zem::ToWParam(&tip));
                return;
            }
            tagNMT_MOVE move{node, m_pickedNode};
            int allow = 1;
            Notify(WM_TABLE_CAN_MOVE, zem::ToWParam(&move), zem::ToLParam(&allow));
            if (!alive || (allow & 0xFFFF) == 0)
                return;
            cell->SetState(CCell::STATE_PICKED);
            const Rect& r = cell->GetRect();
            repaint(r.left, r.top, r.Width(), r.Height());
            PlayMoveSound();
            if (IsAnimateMoves() && !MoveCell(node, move.picked))
                return;
            Notify(WM_TABLE_CELL_MOVED, zem::ToWParam(&move));
            if (!alive)
                return;
        }
        ClearPick();
        return;
    }

    if (cell->GetState() == CCell::STATE_FRIEND) {
        bool stop = false;
        Notify(WM_TABLE_FRIEND_CLICKED, zem::ToWParam(&node), zem::ToLParam(&stop));
        if (!alive || stop)
            return;
    }
    SetAllCellNormal();
    m_picked = true;
    m_pickedNode = node;
    CellOf(node)->SetState(CCell::STATE_PICKED);
    Refresh();
    Notify(WM_TABLE_CELL_PICKED, zem::ToWParam(&node));
}

void CManualScheduleTable::OnRButtonDown(Point point)
{
    // The context menu's commands change the timetable the sliding lesson is put down in.
    if (m_moving)
        return;
    LayoutClient();
    tagTABLE_NODE node;
    if (!HitCell(point, &node))
        return;
    SetAllCellNormal();
    CCell* cell = CellOf(node);
    cell->SetState(CCell::STATE_PICKED);
    const Rect& r = cell->GetRect();
    const zem::LPARAM side = point.x > (r.left + r.right) / 2 ? 2 : 1;
    Notify(WM_TABLE_CELL_RCLICK, zem::ToWParam(&node), side);
}
