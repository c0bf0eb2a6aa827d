#pragma once
// The three priorities of the task's objects in a combo box.
class CZemPrioritySet;
class QComboBox;

// Empties the combo box, adds the three descriptions in index order and selects "正常" (index 1).
// Nothing for a null combo box.
void AddToComboBox(const CZemPrioritySet& priorities, QComboBox* combo);
