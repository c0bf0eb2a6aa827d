#include "platform/gui/PopupMenu.h"

#include "platform/gui/QtText.h"

#include <QActionGroup>
#include <QMenu>
#include <QPointer>

namespace zem::gui {

namespace {

PopupMenuHook& TheHook()
{
    static PopupMenuHook hook;
    return hook;
}

// Whether the id is that of an item that can be chosen, in the menu or one of its sub-menus.
bool IsChoosable(const std::vector<MenuItem>& items, int id)
{
    for (const MenuItem& item : items) {
        if (!item.children.empty()) {
            if (item.enabled && IsChoosable(item.children, id))
                return true;
        } else if (!item.IsSeparator() && item.id == id) {
            return item.enabled;
        }
    }
    return false;
}

void AddItems(QMenu* menu, const std::vector<MenuItem>& items)
{
    QActionGroup* radios = nullptr;
    for (const MenuItem& item : items) {
        if (item.IsSeparator()) {
            menu->addSeparator();
        } else if (!item.children.empty()) {
            QMenu* sub = menu->addMenu(ToQ(item.text));
            sub->setEnabled(item.enabled);
            AddItems(sub, item.children);
        } else {
            QAction* action = menu->addAction(ToQ(item.text));
            action->setData(item.id);
            action->setEnabled(item.enabled);
            if (item.checked || item.radio) {
                action->setCheckable(true);
                action->setChecked(item.checked);
            }
            if (item.radio) {
                if (!radios)
                    radios = new QActionGroup(menu);
                radios->addAction(action);
            }
        }
    }
}

}  // namespace

int TrackPopupMenu(QWidget* owner, const std::vector<MenuItem>& items, Point screenPoint)
{
    if (const PopupMenuHook& hook = TheHook()) {
        const int chosen = hook(items);
        return chosen != 0 && IsChoosable(items, chosen) ? chosen : 0;
    }
    // The owner may go away while the menu's loop runs and take its child menu with it.
    QPointer<QMenu> menu = CreatePopupMenu(owner, items);
    QAction* chosen = menu->exec(QPoint(screenPoint.x, screenPoint.y));
    const int id = menu && chosen ? chosen->data().toInt() : 0;
    delete menu.data();
    return id;
}

QMenu* CreatePopupMenu(QWidget* owner, const std::vector<MenuItem>& items)
{
    auto* menu = new QMenu(owner);
    AddItems(menu, items);
    return menu;
}

PopupMenuHook SetPopupMenuHook(PopupMenuHook hook)
{
    PopupMenuHook previous = std::move(TheHook());
    TheHook() = std::move(hook);
    return previous;
}

}  // namespace zem::gui
