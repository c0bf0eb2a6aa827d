#include "app/timetable/ShiftRowDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "platform/gui/QtText.h"

#include <QComboBox>
#include <QLabel>

CShiftRowDlg::CShiftRowDlg(QWidget* parent) : Dialog(parent, "行平移", {200, 56}) {}

bool CShiftRowDlg::OnInitDialog()
{
    auto* label = new QLabel(zem::gui::ToQ("平移"), this);
    SetWidgetRect(label, UnitsRect(10, 12, 30, 12));
    auto* shifts = new QComboBox(this);
    for (const CRowShiftChoice& choice : RowShiftChoices())
        shifts->addItem(zem::gui::ToQ(choice.caption));
    SetWidgetRect(shifts, UnitsRect(42, 10, 148, 14));
    AddControl(IDC_SHIFT, shifts);
    AddHoverButton(this, zem::IDOK, "确定(&O)")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消(&C)");
    PlaceButtonRow(this, UnitsRect(0, 36, 0, 14).top, {}, {zem::IDOK, zem::IDCANCEL});
    return true;
}

void CShiftRowDlg::OnOK()
{
    const int index = Item<QComboBox>(IDC_SHIFT)->currentIndex();
    if (index >= 0 && index < static_cast<int>(RowShiftChoices().size()))
        m_shift = RowShiftChoices()[static_cast<std::size_t>(index)].shift;
    Dialog::OnOK();
}
