#pragma once
// The pictures of the main window, drawn in code: the icon, banner, logo, login background, the
// information panel's bar, the tool-box hover and the tool-box pictures of every page.
#include <QIcon>
#include <QImage>

enum {
    IDI_MAIN_ICON = 128,
    IDB_BANNER = 129,
    IDB_LOGO = 130,
    IDB_DESC_MIDDLE = 216,  // information panel bar: tiled middle, left and right end
    IDB_DESC_LEFT = 217,
    IDB_DESC_RIGHT = 218,
    IDB_TOOL_HOVER = 226,
    IDB_LOGIN_BACK = 292,
};

// Adds the pictures to the program's bitmap registry; safe to call more than once.
void RegisterShellBitmaps();
// The program's window icon.
QIcon MainIcon();
// The picture greyed and lightened, white kept white: a tool whose feature is missing.
QImage FadedPicture(const QImage& picture);
