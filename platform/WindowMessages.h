#pragma once
// Every private window message of the program, once, in order of number, with its payload. A new
// message takes a number here and nowhere else; scripts/check-layers fails when a send, a post or a
// window procedure names a message not written here as `constexpr unsigned WM_NAME = number;`, or
// when a number is used twice. "Sent" messages are answered on the receiver's thread
// before the sender goes on, so records passed by pointer live on the sender's stack; "posted"
// ones carry nothing that must outlive the sender unless said.
#include "platform/MessageTarget.h"

// The timetable grids' notifications, sent to the window given to a grid's Init.
constexpr unsigned WM_TABLE_CELL_PICKED = 0x465;     // wParam node*
constexpr unsigned WM_TABLE_CAN_MOVE = 0x466;        // wParam tagNMT_MOVE*, lParam int* (set 0 to refuse)
constexpr unsigned WM_TABLE_CELL_MOVED = 0x467;      // wParam tagNMT_MOVE*
constexpr unsigned WM_TABLE_MOVE_REFUSED = 0x468;    // wParam std::string* tip text of the clicked cell
constexpr unsigned WM_TABLE_CELL_TOGGLED = 0x469;    // wParam new value 1/0, lParam node*
constexpr unsigned WM_TABLE_CELL_RCLICK = 0x46A;     // wParam node*, lParam 1 left half, 2 right half
constexpr unsigned WM_TABLE_NODE_PICKED = 0x46B;     // lParam {row, column}
constexpr unsigned WM_TABLE_NODES_SWAPPED = 0x46C;   // lParam tagNMT_MOVE2*
constexpr unsigned WM_TABLE_PICK_CLEARED = 0x46D;    // no parameters
constexpr unsigned WM_TABLE_HEADER_RCLICK = 0x46E;   // wParam node*, -1 where it does not apply
constexpr unsigned WM_TABLE_FRIEND_CLICKED = 0x46F;  // wParam node*, lParam bool* (set true to stop)

// Progress of a run, posted by the engine (and sent by the invigilator assignment) to its run
// window, so that the engine never waits for a receiver that may be waiting for it. wParam 0: a
// status text (posted with the text, lParam points to it while the message is handled); 1: the
// percentage 0..100; 3: the finish code (1 all placed, 2 data check failed, 3 lessons left
// unplaced; 0 for the invigilators), not sent when an engine run was stopped.
constexpr unsigned WM_SCHEDULE_PROGRESS = 0x52C;
// Sent by the invigilator assignment to its run window: lParam a const zem::MessageRequest* to show.
constexpr unsigned WM_PROCTOR_MESSAGE = 0x52D;

// Sent by the tool box to the page panel: wParam the action code, lParam the CToolBoxItem* (null
// when the action comes from elsewhere).
constexpr unsigned WM_TOOLBOX_ACTION = 0x5F4;
// Sent by the page header to the page panel to fill the tool box; wParam the page index 0-4.
constexpr unsigned WM_FILL_TOOLBOX = 0x5F6;
// Sent to a list page with one row of data: wParam a CPageNotify*, lParam the row's cells (a
// std::vector<std::string>*). The page answers 0 when it took the row and -1 when it refused it.
constexpr unsigned WM_PAGE_ROW = 0x5FD;

// The teacher statistics worker's messages to its dialog, each sent: lParam the const
// CTeacherStatistic*, to build the columns; lParam a CTeacherStatisticRecord*, handed over (the
// sender frees it when 0 is answered); the end, no parameters.
constexpr unsigned WM_STATISTIC_COLUMNS = 0x5FE;
constexpr unsigned WM_STATISTIC_ROW = 0x5FF;
constexpr unsigned WM_STATISTIC_DONE = 0x600;

// Sent to the owner of a week table window when the user went to another object inside a pane:
// wParam the pane's cookie, lParam a const std::string* of the object's id.
constexpr unsigned WM_WEEKTABLE_CHANGED = 0x601;
// Sent to the owner when a timetable was changed in a pane: wParam the pane's cookie, lParam a
// const std::string* of the plan ids involved (comma-separated, empty when none is known).
constexpr unsigned WM_PANE_TABLE_CHANGED = 0x602;
// Sent to the owner when a course card is clicked: wParam 1 when the card was marked as holding
// the picked lesson, else 0; lParam the card's CCourseInfo*, null when the click hit no card.
constexpr unsigned WM_COURSE_CARD_CLICK = 0x604;
// Sent to the history window after every change of the list: wParam the record list
// (const std::vector<std::unique_ptr<CScheduleOperation>>*), lParam the index.
constexpr unsigned WM_HISTORY_CHANGED = 0x605;
// Sent by the page settings and banner dialogs to the print preview after a change: wParam
// non-zero when the number of tables per page may have changed.
constexpr unsigned WM_PRINT_SETTINGS_CHANGED = 0x607;
// Sent (never posted) to the window being edited after every change of the table fonts: lParam
// the whole working record (CTableFontPair*), to be read during the call.
constexpr unsigned WM_TABLE_FONT_CHANGED = 0x608;
// Sent by a progress strip to its owner on every left click; no parameters.
constexpr unsigned WM_SHOW_COMPLETION = 0x609;
// Sent by the substitutes window to its owner after every change of the plan or of its regular
// teacher; no parameters.
constexpr unsigned WM_SUBSTITUTES_CHANGED = 0x60A;
// Posted to the notify window while a workbook is written: wParam the engine, lParam the stage
// (0 begin, 1 loading the engine, 2 creating the workbook, 3 writing, 4 saving, 5 succeeded, 6 failed).
constexpr unsigned WM_EXPORT_STAGE = 0x60B;
// Sent by a list dialog's find box to its owner: wParam the const CFindRequest*.
constexpr unsigned WM_FIND_NEXT = 0x60C;
// Sent by the batch modify dialog to the plan list page: lParam a tagPLAN_BATCH_MODIFY*, whose
// result the page fills in.
constexpr unsigned WM_PLAN_BATCH_MODIFY = 0x60D;
// Sent to the notify window after each table of a workbook: lParam a const std::string* "%d/%d %s".
constexpr unsigned WM_EXPORT_PROGRESS = 0x60E;
// Sent to the plan page once an import's rows are in: lParam a const std::map<std::string,
// std::string>* of class names and their head teachers.
constexpr unsigned WM_SET_HEAD_TEACHERS = 0x60F;
// Posted to the window given to the font scan once the installed faces are listed; no parameters.
constexpr unsigned WM_FONTS_READY = 0x610;
// Sent by the comparison dialog to its receiver: wParam the std::string* title (may be null),
// lParam a CZemObjectList* of copies of the differing timetables' objects (may be null), each
// copy's order its place in the list. The copies die when the send returns.
constexpr unsigned WM_EXPORT_DIFF_TABLES = 0x611;
// The invigilator statistics worker's messages to its dialog, each sent: lParam a const
// CProctorStatRow*, read during the call; then the end, no parameters.
constexpr unsigned WM_PROCTOR_STAT_ROW = 0x612;
constexpr unsigned WM_PROCTOR_STAT_DONE = 0x613;

// The comparison worker's messages to its dialog, each sent: lParam a const CTaskDifference*,
// read during the call; then the end, no parameters.
constexpr unsigned WM_COMPARE_FOUND = 0x631;
constexpr unsigned WM_COMPARE_DONE = 0x632;

// Sent by a splitter bar to its owner: wParam the signed distance the bar moved, in pixels;
// lParam the bar's control id.
constexpr unsigned WM_SPLITTER_MOVED = 0x7E8;

// Asked of a list page before an import or a batch add sends it rows: wParam a CPageRowsCheck*;
// the page sets `refusal` when taking them all would pass a limit of the task.
constexpr unsigned WM_PAGE_ROWS_CHECK = 0xBD0;
// Posted by the base data import's worker to its dialog: the bar's position (wParam); the end of
// a run (wParam its number).
constexpr unsigned WM_BASE_IMPORT_PROGRESS = 0xBE1;
constexpr unsigned WM_BASE_IMPORT_DONE = 0xBE2;
// Posted by the reverse import's preview worker to its dialog: a line of the log (wParam the
// pass, the line as the message's text); the end of a pass (wParam the pass).
constexpr unsigned WM_REVERSE_IMPORT_LOG = 0xBE3;
constexpr unsigned WM_REVERSE_IMPORT_PASS_DONE = 0xBE4;
// Posted by the reverse import dialog to itself between two classes, so that it stays responsive.
constexpr unsigned WM_REVERSE_IMPORT_STEP = 0xBE5;
// Sent by the plan import's worker to its dialog: which shape to read the sheet as (wParam the
// current one, lParam the guess); the answer is the shape chosen.
constexpr unsigned WM_PLAN_IMPORT_ASK_FORMAT = 0xBE6;
// Sent by any thread to the message box host on the GUI thread: lParam a const
// zem::MessageRequest*; the answer is the button pressed.
constexpr unsigned WM_SHOW_MESSAGE_BOX = 0xBF0;
// Posted by an export's worker to its progress window when its work has ended; no parameters.
constexpr unsigned WM_EXPORT_WORKER_DONE = 0xBF1;

// Sent by a hyperlink that opens a tool rather than an address to its parent: wParam the link's
// control id.
constexpr unsigned WM_QUICK_TOOL = 0x2261;
