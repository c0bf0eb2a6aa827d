#include "app/controls/PriorityCombo.h"

#include "base/ZemObject.h"

#include <QComboBox>

void AddToComboBox(const CZemPrioritySet& priorities, QComboBox* combo)
{
    if (!combo)
        return;
    combo->clear();
    for (int i = 0; i < priorities.GetCount(); ++i)
        combo->addItem(QString::fromStdString(priorities.GetDescByIndex(i)));
    combo->setCurrentIndex(1);
}
