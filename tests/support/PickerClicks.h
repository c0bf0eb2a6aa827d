#pragma once
// Working the pickers the pages open, as the user does: ticking in the multi-select dialog and the
// plan pickers, picking an object by its name, marking slots of the time-slot picker.
#include "support/ScreenTestSupport.h"

#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/MultiSelectDlg.h"
#include "app/controls/ObjectPickerDlg.h"
#include "app/controls/TimeSlotPickerDlg.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/ReportList.h"
#include "table/StructureTable.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Ticks the named items of a multi-select dialog and confirms it.
inline void ChooseInMultiSelect(zem::gui::Dialog& dialog, const std::vector<std::string>& names)
{
    auto* chooser = dynamic_cast<CMultiSelectDlg*>(&dialog);
    ASSERT_NE(chooser, nullptr);
    auto& list = *chooser->Item<zem::gui::ItemList>(CMultiSelectDlg::IDC_LIST);
    const std::vector<std::string> listed = Listed(list);
    for (const std::string& name : names)
        for (std::size_t i = 0; i < listed.size(); ++i)
            if (listed[i] == name)
                ClickCheck(list, static_cast<int>(i));
    chooser->SendCommand(zem::IDOK);
}

// Ticks or clears a row's check box as the user's click does.
inline void UserCheck(zem::gui::ReportList& list, int row, bool on)
{
    list.model()->setData(list.model()->index(row, 0), on ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

// Ticks the plans of a check-box plan picker and confirms it.
inline void ChoosePlans(zem::gui::Dialog& dialog, const std::vector<std::string>& planIds)
{
    auto* picker = dynamic_cast<CCoursePlanPickerDlg*>(&dialog);
    ASSERT_NE(picker, nullptr);
    zem::gui::ReportList& list = *picker->GetList();
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (std::count(planIds.begin(), planIds.end(), list.GetItemPtr<CCourseInfo>(row)->GetId()))
            UserCheck(list, row, true);
    QTest::mouseClick(picker->GetDlgItem(zem::IDOK), Qt::LeftButton);
}

// Searches an object picker for the name (which selects the first match) and confirms it.
inline void PickObject(zem::gui::Dialog& dialog, const std::string& name)
{
    auto* picker = dynamic_cast<CObjectPickerDlg*>(&dialog);
    ASSERT_NE(picker, nullptr);
    picker->Item<QLineEdit>(CObjectPickerDlg::IDC_SEARCH)->setText(QString::fromStdString(name));
    QTest::mouseClick(picker->GetDlgItem(zem::IDOK), Qt::LeftButton);
}

// Clicks the grid as the user does: a cell, a day's title (segment -1) or a period name (day -1).
inline void ClickGrid(CTimeSlotPickerDlg& picker, const tagTABLE_NODE& target, Qt::MouseButton button = Qt::LeftButton)
{
    CStructureTable& grid = *picker.GetGrid();
    const tagTABLE_NODE cell{std::max(target.day, 0), std::max(target.segment, 0), std::max(target.section, 0)};
    zem::Rect r;
    grid.GetCellRect(cell, &r);
    const QPoint centre = grid.mapFromGlobal(QPoint(r.CenterPoint().x, r.CenterPoint().y));
    QPoint at = centre;
    if (target.segment < 0)
        at.setY(5);  // the title row
    if (target.day < 0)
        at.setX(5);  // the period names
    QTest::mouseClick(&grid, button, {}, at);
}
