#pragma once
// What the grids share with their hosts: the notification messages, the palette choice of a
// rendering and the banner rows. The cell marks are beside the slot record, in base/TableNode.h.
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

// A banner row the host keeps in the week grids: the grids leave a gap for it; its text is the host's.
// The list ends at the first record whose segment is -1, or after kMaxBlankLines records.
struct BlankLine {
    int enabled = 0;    // non-zero: in use
    int segment = -1;   // 0..4; -1 ends the list
    int section = 0;
    int position = 0;   // 0: a gap before that row, 1: a gap after it
    std::string text;
};
constexpr int kMaxBlankLines = 10;
