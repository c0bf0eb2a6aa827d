#pragma once
// Pop-up menus built in code: items with the program's command ids, separators and disabled items.
// Tests install a hook that picks the command in place of the user.
#include "platform/Gdi.h"

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace zem::gui {

struct MenuItem {
    int id = 0;            // 0 with an empty text: a separator
    std::string text;
    bool enabled = true;
    bool IsSeparator() const { return id == 0 && text.empty(); }
};

class PopupMenu {
public:
    void AppendItem(int id, const std::string& text, bool enabled = true);
    void AppendSeparator();
    // Inserts before position `at` (the end when beyond it).
    void InsertItem(int at, int id, const std::string& text, bool enabled = true);
    void InsertSeparator(int at);
    // The item with the id, or null.
    MenuItem* FindItem(int id);
    const std::vector<MenuItem>& Items() const { return m_items; }

    // Shows the menu with its top-left corner at the screen point and waits for a choice; the chosen
    // command id, or 0 when the user chose nothing. A disabled item is never chosen.
    int Track(QWidget* owner, Point screen) const;

private:
    std::vector<MenuItem> m_items;
};

// Answers in place of the user: given the menu, the command to choose (0 for none).
using PopupMenuHook = std::function<int(const PopupMenu& menu, Point screen)>;
// Returns the previous hook; an empty function restores real menus.
PopupMenuHook SetPopupMenuHook(PopupMenuHook hook);

}  // namespace zem::gui
