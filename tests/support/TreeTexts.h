#pragma once
// The texts of a tree's top-level items, in order.
#include "platform/gui/QtText.h"

#include <QTreeWidget>

#include <string>
#include <vector>

inline std::vector<std::string> TopLevelTexts(const QTreeWidget& tree)
{
    std::vector<std::string> texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        texts.push_back(zem::gui::FromQ(tree.topLevelItem(i)->text(0)));
    return texts;
}
