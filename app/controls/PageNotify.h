#pragma once
// One row of data delivered to a list page: edit, batch-add and picker dialogs and the spreadsheet
// readers send WM_PAGE_ROW with a CPageNotify in wParam and the row's cells in lParam (a
// std::vector<std::string>*, in the page's visible column order, starting with the name). The page
// answers 0 when it took the row and -1 when it refused it.
#include "platform/MessageTarget.h"

#include <string>
#include <vector>

constexpr unsigned WM_PAGE_ROW = zem::WM_USER + 509;  // 0x5FD

struct CPageNotify {
    bool accepted = false;  // set by the page when it takes the row
    bool error = false;     // set by the page when its refusal must stop an import (text in message)
    std::string message;    // the reason of a refusal
    int replace = 0;        // nonzero: the row overwrites the page's first selected row; 0: appended
    bool quiet = false;     // a refusal for a duplicate name shows no message box
    bool byName = false;    // cells that refer to other objects hold their names, which the page resolves
};

using CPageRow = std::vector<std::string>;
