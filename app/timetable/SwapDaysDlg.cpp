#include "app/timetable/SwapDaysDlg.h"

#include "app/controls/DialogLook.h"
#include "app/shared/Vocabulary.h"
#include "base/ScheduleTask.h"
#include "platform/gui/QtText.h"

#include <QComboBox>
#include "app/controls/HoverButton.h"

#include <algorithm>
#include <QLabel>

CSwapDaysDlg::CSwapDaysDlg(QWidget* parent, const CScheduleTask& task)
    : Dialog(parent, "列交换", {200, 76}), m_task(task)
{
}

bool CSwapDaysDlg::OnInitDialog()
{
    const CSchoolStructure& week = m_task.GetSchoolStructure();
    int row = 0;
    for (int id : {IDC_DAY_A, IDC_DAY_B}) {
        auto* label = new QLabel(zem::gui::ToQ(id == IDC_DAY_A ? "交换" : "和"), this);
        SetWidgetRect(label, UnitsRect(10, 12 + row * 20, 30, 12));
        auto* days = new QComboBox(this);
        for (int day = 0; day < zem::kDayCount; ++day)
            if (week.IsDayInUse(day))
                days->addItem(zem::gui::ToQ(GetDayName(week, day)), day);
        // Two different days to start with.
        days->setCurrentIndex(std::min(row, days->count() - 1));
        SetWidgetRect(days, UnitsRect(42, 10 + row * 20, 148, 14));
        AddControl(id, days);
        ++row;
    }
    AddHoverButton(this, zem::IDOK, "确定(&O)")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消(&C)");
    PlaceButtonRow(this, UnitsRect(0, 56, 0, 14).top, {}, {zem::IDOK, zem::IDCANCEL});
    return true;
}

void CSwapDaysDlg::OnOK()
{
    m_dayA = Item<QComboBox>(IDC_DAY_A)->currentData().toInt();
    m_dayB = Item<QComboBox>(IDC_DAY_B)->currentData().toInt();
    Dialog::OnOK();
}
