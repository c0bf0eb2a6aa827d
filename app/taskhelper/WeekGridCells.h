#pragma once
// The cells of a week grid as the task helper fills and marks them: a column per day in use, then
// segment and section. The controls implement it over the grid control (CWeekTableCells), so the
// helper itself never draws.
#include "base/TableNode.h"
#include "platform/Gdi.h"

#include <string>
#include <vector>

class CWeekGridCells {
public:
    virtual ~CWeekGridCells() = default;

    // The grid's shape: the days shown, the periods of a segment (a zem::Segment), a column's title
    // and the period names from the top row down.
    virtual void SetWeekDays(int days) = 0;
    virtual void SetSegmentNodes(int segment, int count) = 0;
    virtual void SetColumnTitle(int column, const std::string& title) = 0;
    virtual void SetPeriodNames(const std::vector<std::string>& names) = 0;

    virtual void Clear() = 0;
    virtual void SetCellInfo(const tagTABLE_NODE& cell, const std::string& text) = 0;
    virtual void SetCellTipInfo(const tagTABLE_NODE& cell, const std::string& tip) = 0;
    virtual void SetCellTag(const tagTABLE_NODE& cell, CELL_TAG tag) = 0;
    virtual void SetCellBkColor(const tagTABLE_NODE& cell, zem::COLORREF color) = 0;
    virtual void SetCellFocus(const tagTABLE_NODE& cell, bool focus) = 0;
    virtual void SetForbidCell(const tagTABLE_NODE& cell, bool forbid) = 0;
    // Every cell without focus or forbidden mark.
    virtual void SetAllCellNormal() = 0;
    virtual void Refresh() = 0;
};

// The display text of a cell record (fields separated by the byte 7): a whole-week record gives its
// two texts on two lines, or, when the first lists several names separated by "，" and the second
// as many, one line per pair; a split record gives its odd- and even-week texts under "单周" and
// "双周". Empty for a record without text or of another shape.
std::string FormatOddEvenCell(const std::string& record);
