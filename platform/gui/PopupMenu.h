#pragma once
// Context menus: a list of commands shown at a screen point, answering the chosen command. Like
// the other modal things of the program it goes through a hook that tests replace, so that no test
// ever waits on an open menu.
#include "platform/Gdi.h"

#include <functional>
#include <string>
#include <vector>

class QMenu;
class QWidget;

namespace zem::gui {

struct MenuItem {
    int id = 0;          // the command; 0 with empty text is a separator
    std::string text;    // UTF-8
    bool enabled = true; // a greyed item is shown but never chosen
    bool checked = false; // shown with a check mark, or a radio mark when `radio`
    bool radio = false;
    std::vector<MenuItem> children{};  // a sub-menu under the item's text; the item itself is no command
    bool IsSeparator() const { return id == 0 && text.empty() && children.empty(); }
};

// Shows the menu at the screen point and waits for the user; the chosen item's id, 0 when the menu
// is dismissed.
int TrackPopupMenu(QWidget* owner, const std::vector<MenuItem>& items, Point screenPoint);

// The menu as TrackPopupMenu shows it, not yet shown; the owner (or the caller) deletes it. For
// pictures of a menu.
QMenu* CreatePopupMenu(QWidget* owner, const std::vector<MenuItem>& items);

// Answers in place of the menu with the id of an item, sub-menus' items included (0: dismissed).
using PopupMenuHook = std::function<int(const std::vector<MenuItem>& items)>;
// Returns the previous hook; an empty function restores real menus.
PopupMenuHook SetPopupMenuHook(PopupMenuHook hook);

}  // namespace zem::gui
