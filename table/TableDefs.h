#pragma once
// What the grids share with their hosts: the notification messages, the palette choice of a
// rendering and the banner rows. The cell marks are beside the slot record, in base/TableNode.h.
#include "base/TableNode.h"
#include "platform/MessageTarget.h"

#include <string>

// Notifications, sent synchronously to the window given to a grid's Init. Records passed by pointer
// live on the grid's stack for the duration of the call.
constexpr unsigned WM_TABLE_CELL_PICKED = zem::WM_USER + 101;     // wParam node*
constexpr unsigned WM_TABLE_CAN_MOVE = zem::WM_USER + 102;        // wParam tagNMT_MOVE*, lParam int* (set 0 to refuse)
constexpr unsigned WM_TABLE_CELL_MOVED = zem::WM_USER + 103;      // wParam tagNMT_MOVE*
constexpr unsigned WM_TABLE_MOVE_REFUSED = zem::WM_USER + 104;    // wParam std::string* tip text of the clicked cell
constexpr unsigned WM_TABLE_CELL_TOGGLED = zem::WM_USER + 105;    // wParam new value 1/0, lParam node*
constexpr unsigned WM_TABLE_CELL_RCLICK = zem::WM_USER + 106;     // wParam node*, lParam 1 left half, 2 right half
constexpr unsigned WM_TABLE_NODE_PICKED = zem::WM_USER + 107;     // lParam {row, column}
constexpr unsigned WM_TABLE_NODES_SWAPPED = zem::WM_USER + 108;   // lParam tagNMT_MOVE2*
constexpr unsigned WM_TABLE_PICK_CLEARED = zem::WM_USER + 109;    // no parameters
constexpr unsigned WM_TABLE_HEADER_RCLICK = zem::WM_USER + 110;   // wParam node*, -1 where it does not apply
constexpr unsigned WM_TABLE_FRIEND_CLICKED = zem::WM_USER + 111;  // wParam node*, lParam bool* (set true to stop)

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
