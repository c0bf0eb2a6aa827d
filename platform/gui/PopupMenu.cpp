#include "platform/gui/PopupMenu.h"

#include "platform/gui/QtText.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace zem::gui {

namespace {

PopupMenuHook& TheHook()
{
    static PopupMenuHook hook;
    return hook;
}

}  // namespace

void PopupMenu::AppendItem(int id, const std::string& text, bool enabled)
{
    m_items.push_back({id, text, enabled});
}

void PopupMenu::AppendSeparator()
{
    m_items.push_back({});
}

void PopupMenu::InsertItem(int at, int id, const std::string& text, bool enabled)
{
    const auto pos = static_cast<std::size_t>(std::clamp(at, 0, static_cast<int>(m_items.size())));
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(pos), MenuItem{id, text, enabled});
}

void PopupMenu::InsertSeparator(int at)
{
    InsertItem(at, 0, {}, true);
}

MenuItem* PopupMenu::FindItem(int id)
{
    for (MenuItem& item : m_items) {
        if (!item.IsSeparator() && item.id == id)
            return &item;
    }
    return nullptr;
}

int PopupMenu::Track(QWidget* owner, Point screen) const
{
    if (PopupMenuHook hook = TheHook()) {
        const int chosen = hook(*this, screen);
        for (const MenuItem& item : m_items) {
            if (!item.IsSeparator() && item.id == chosen)
                return item.enabled ? chosen : 0;
        }
        return 0;
    }
    QMenu menu(owner);
    for (const MenuItem& item : m_items) {
        if (item.IsSeparator()) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(ToQ(item.text));
        action->setData(item.id);
        action->setEnabled(item.enabled);
    }
    QAction* chosen = menu.exec(QPoint(screen.x, screen.y));
    return chosen ? chosen->data().toInt() : 0;
}

PopupMenuHook SetPopupMenuHook(PopupMenuHook hook)
{
    std::swap(TheHook(), hook);
    return hook;
}

}  // namespace zem::gui
