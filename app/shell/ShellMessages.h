#pragma once
// The numbered messages between the main dialog's windows.
#include "platform/MessageTarget.h"

// The page header tells the page panel to fill the tool box; wParam the page index 0-4.
constexpr unsigned WM_FILL_TOOLBOX = 0x5F6;
// A tool-box action; wParam the action code.
constexpr unsigned WM_TOOLBOX_ACTION = 0x5F4;
