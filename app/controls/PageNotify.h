#pragma once
// One row of data delivered to a list page: edit, batch-add and picker dialogs and the spreadsheet
// readers send WM_PAGE_ROW with a CPageNotify in wParam and the row's cells in lParam (a
// std::vector<std::string>*, in the page's visible column order, starting with the name). The page
// answers 0 when it took the row and -1 when it refused it.
#include "platform/MessageTarget.h"
#include "platform/WindowMessages.h"

#include <string>
#include <utility>
#include <vector>

struct CPageNotify {
    bool accepted = false;  // set by the page when it takes the row
    bool error = false;     // set by the page when its refusal must stop an import (text in message)
    std::string message;    // the reason of a refusal
    int replace = 0;        // nonzero: the row overwrites the page's first selected row; 0: appended
    bool quiet = false;     // a refusal for a duplicate name shows no message box
    bool byName = false;    // cells that refer to other objects hold their names, which the page resolves
    // An import's cells as the sheet holds them, before names were normalised: a page that stores
    // a name otherwise than typed says so in `rewritten` ("初一(1)班 → 初一（1）班").
    const std::vector<std::string>* typed = nullptr;
    std::string rewritten;
    // The objects a taken row made besides its own, each as its kind and its name ("教室", "机房2"),
    // for the import's report.
    std::vector<std::pair<std::string, std::string>> made;
};

using CPageRow = std::vector<std::string>;

// Asked of a page with WM_PAGE_ROWS_CHECK before an import or a batch add sends it rows.
struct CPageRowsCheck {
    const std::vector<CPageRow>* rows = nullptr;
    bool byName = false;  // as CPageNotify::byName of the rows that follow
    std::string refusal;
};

// The page's answer to WM_PAGE_ROWS_CHECK; empty when it may take the rows (or does not ask).
inline std::string CheckPageRows(zem::MessageTarget* page, const std::vector<CPageRow>& rows, bool byName)
{
    CPageRowsCheck check;
    check.rows = &rows;
    check.byName = byName;
    if (page)
        zem::SendMessage(page, WM_PAGE_ROWS_CHECK, zem::ToWParam(&check), 0);
    return check.refusal;
}
