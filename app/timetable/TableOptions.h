#pragma once
// The options menu of the timetable windows: the display settings every timetable window shares,
// shown with their marks and changed through the application services, which store them at once.
#include "platform/gui/PopupMenu.h"

#include <vector>

enum TableOptionCommand : int {
    ID_OPTION_FLAT = 32914,
    ID_OPTION_COLOR = 32915,
    ID_OPTION_FONT = 32836,
    ID_OPTION_PLAIN = 32938,
    ID_OPTION_STARRY = 32939,
    ID_OPTION_DISTRIBUTION = 32894,
    ID_OPTION_SOUND = 32913,
    ID_OPTION_TAG_LOCKED = 32902,
    ID_OPTION_TAG_LINKED = 32903,
    ID_OPTION_TAG_DISABLED = 32904,
    ID_OPTION_ROOM_NUMBER = 32925,
};

// The menu's items with the marks of the settings as they are; "字体" is offered only when the
// window can open the font dialog.
std::vector<zem::gui::MenuItem> TableOptionItems(bool withFont);
// Changes the setting of the menu's command; false for a command that is no setting (the font).
bool ApplyTableOption(int id);
// The style command that Ctrl+T stands for: the other style than the current one.
int ToggledStyleOption();
