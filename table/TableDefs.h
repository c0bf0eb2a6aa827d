#pragma once
// What the grids share with their hosts: the notification messages, the palette choice of a
// rendering and the banner rows. The cell marks are beside the slot record, in base/TableNode.h.
#include "base/DayRows.h"
#include "base/TableNode.h"
#include "platform/MessageTarget.h"
#include "platform/WindowMessages.h"

#include <string>

// Palette of a rendering: 0 the colour palette, any other value the plain (printing) palette.
enum CELL_STYLE : int {
    CELL_STYLE_COLOR = 0,
    CELL_STYLE_PLAIN = 1,
};

// A move of a picked cell: where it goes, then where it was.
struct tagNMT_MOVE {
    tagTABLE_NODE target;
    tagTABLE_NODE picked;
};

// The banner rows (BlankLine) the grids leave gaps for are in base/DayRows.h.
