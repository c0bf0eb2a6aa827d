#include "platform/gui/PopupMenu.h"

#include "platform/gui/QtText.h"

#include <QMenu>
#include <QPointer>

namespace zem::gui {

namespace {

PopupMenuHook& TheHook()
{
    static PopupMenuHook hook;
    return hook;
}

}  // namespace

int TrackPopupMenu(QWidget* owner, const std::vector<MenuItem>& items, Point screenPoint)
{
    if (const PopupMenuHook& hook = TheHook()) {
        const int chosen = hook(items);
        for (const MenuItem& item : items) {
            if (!item.IsSeparator() && item.id == chosen)
                return item.enabled ? chosen : 0;
        }
        return 0;
    }
    // The owner may go away while the menu's loop runs and take its child menu with it.
    QPointer<QMenu> menu = new QMenu(owner);
    for (const MenuItem& item : items) {
        if (item.IsSeparator())
            menu->addSeparator();
        else {
            QAction* action = menu->addAction(ToQ(item.text));
            action->setData(item.id);
            action->setEnabled(item.enabled);
        }
    }
    QAction* chosen = menu->exec(QPoint(screenPoint.x, screenPoint.y));
    const int id = menu && chosen ? chosen->data().toInt() : 0;
    delete menu.data();
    return id;
}

PopupMenuHook SetPopupMenuHook(PopupMenuHook hook)
{
    PopupMenuHook previous = std::move(TheHook());
    TheHook() = std::move(hook);
    return previous;
}

}  // namespace zem::gui
