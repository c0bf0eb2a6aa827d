#include "app/timetable/LessonCountDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "platform/gui/QtText.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

CLessonCountDlg::CLessonCountDlg(QWidget* parent) : Dialog(parent, "选择安排的课程数量", {194, 97}) {}

bool CLessonCountDlg::OnInitDialog()
{
    auto place = [this](QWidget* widget, int x, int y, int cx, int cy) { SetWidgetRect(widget, UnitsRect(x, y, cx, cy)); };
    auto* course = new QLabel(zem::gui::ToQ(m_courseText), this);
    place(course, 7, 7, 180, 12);
    AddControl(IDC_COURSE, course);
    auto* group = new QGroupBox(this);
    place(group, 7, 22, 122, 68);
    static constexpr struct {
        int id;
        const char* text;
        int top;
    } kRadios[] = {{IDC_WHOLE, "1节", 34}, {IDC_ODD, "0.5节（单周）", 52}, {IDC_EVEN, "0.5节（双周）", 70}};
    for (const auto& radio : kRadios) {
        auto* button = new QRadioButton(zem::gui::ToQ(radio.text), this);
        place(button, 17, radio.top, 104, 12);
        AddControl(radio.id, button);
    }
    if (m_noWholeLeft) {
        EnableItem(IDC_WHOLE, false);
        if (m_value == 0)
            m_value = 1;
    }
    const int checked = m_value == 1 ? IDC_ODD : m_value == 2 ? IDC_EVEN : IDC_WHOLE;
    Item<QRadioButton>(checked)->setChecked(true);
    auto* ok = new CHoverButton("确定", this);
    ok->setDefault(true);
    place(ok, 137, 28, 50, 14);
    AddControl(zem::IDOK, ok);
    auto* cancel = new CHoverButton("取消", this);
    cancel->setAutoDefault(false);
    place(cancel, 137, 48, 50, 14);
    AddControl(zem::IDCANCEL, cancel);
    setFixedSize(size());
    return true;
}

void CLessonCountDlg::OnOK()
{
    m_value = Item<QRadioButton>(IDC_ODD)->isChecked() ? 1 : Item<QRadioButton>(IDC_EVEN)->isChecked() ? 2 : 0;
    EndDialog(zem::IDOK);
}
