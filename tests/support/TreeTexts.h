#pragma once
// The texts of a tree's items: the top-level ones in order, and those that do not show whole.
#include "platform/gui/QtText.h"

#include <QFontMetrics>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <string>
#include <vector>

inline std::vector<std::string> TopLevelTexts(const QTreeWidget& tree)
{
    std::vector<std::string> texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        texts.push_back(zem::gui::FromQ(tree.topLevelItem(i)->text(0)));
    return texts;
}

// The item texts a user cannot read whole: running past the tree's right edge, needing more lines,
// wrapped to their row's width, than their row is high, or (unless `scrollDown`, where each item is
// scrolled into view first, as a user scrolls a narrow tree) below the tree's bottom.
inline std::vector<std::string> TextsNotWhole(QTreeWidget& tree, bool scrollDown = false)
{
    std::vector<std::string> cut;
    const QFontMetrics metrics(tree.font());
    // The item's text keeps a focus frame's margin and a pixel off either side of its row.
    const int margin = 2 * (tree.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &tree) + 1);
    const QSize view = tree.viewport()->size();
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        if (scrollDown)
            tree.scrollToItem(*it);
        const QRect row = tree.visualItemRect(*it);
        const int room = row.width() - margin;
        const QRect needed = metrics.boundingRect(QRect(0, 0, room, 1 << 16), Qt::TextWordWrap, (*it)->text(0));
        if (row.right() >= view.width() || row.bottom() >= view.height() || needed.width() > room ||
            needed.height() > row.height())
            cut.push_back(zem::gui::FromQ((*it)->text(0)));
    }
    return cut;
}
