#include "app/proctor/ProctorRuleDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "platform/gui/DC.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>

using zem::Rect;

namespace {

constexpr const char* kPolicyTexts[] = {"无所谓", "尽量避免", "优先安排一位"};

}  // namespace

CProctorRuleDlg::CProctorRuleDlg(QWidget* parent) : Dialog(parent, "监考规则", {214, 128}) {}

QRadioButton* CProctorRuleDlg::Radio(int id) const
{
    return Item<QRadioButton>(id);
}

bool CProctorRuleDlg::OnInitDialog()
{
    SetCaption("监考规则");
    struct Group {
        const char* title;
        const char* remark;
        int firstId;
        CProctorData::Policy value;
        int top;
    };
    const Group groups[] = {
        {"所教班级", "考场是班级教室时，该班的任课教师：", IDC_CLASS_ANY, m_classPolicy, 7},
        {"所教课程", "考试科目的任课教师：", IDC_SUBJECT_ANY, m_subjectPolicy, 46},
    };
    for (const Group& group : groups) {
        auto* box = new QGroupBox(QString::fromUtf8(group.title), this);
        SetWidgetRect(box, UnitsRect(7, group.top, 200, 35));
        auto* remark = new QLabel(QString::fromUtf8(group.remark), box);
        SetWidgetRect(remark, UnitsRect(8, 10, 185, 10));
        auto* buttons = new QButtonGroup(box);
        const int lefts[] = {8, 60, 120};
        for (int i = 0; i < 3; ++i) {
            auto* radio = new QRadioButton(QString::fromUtf8(kPolicyTexts[i]), box);
            SetWidgetRect(radio, UnitsRect(lefts[i], 21, i == 2 ? 75 : 50, 11));
            buttons->addButton(radio, i);
            AddControl(group.firstId + i, radio);
        }
        Radio(group.firstId + std::clamp(static_cast<int>(group.value), 0, 2))->setChecked(true);
    }
    AddHoverButton(this, zem::IDOK, "确定")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    PlaceButtonRow(this, height() - kDialogBandHeight + (kDialogBandHeight - Units().Y(14)) / 2, {},
                   {zem::IDOK, zem::IDCANCEL});
    return true;
}

CProctorData::Policy CProctorRuleDlg::ValueOf(int firstId, CProctorData::Policy fallback) const
{
    for (int i = 0; i < 3; ++i) {
        if (Radio(firstId + i)->isChecked())
            return CProctorData::Policy(i);
    }
    return fallback;
}

void CProctorRuleDlg::OnOK()
{
    m_classPolicy = ValueOf(IDC_CLASS_ANY, m_classPolicy);
    m_subjectPolicy = ValueOf(IDC_SUBJECT_ANY, m_subjectPolicy);
    EndDialog(zem::IDOK);
}

void CProctorRuleDlg::paintEvent(QPaintEvent*)
{
    PaintButtonBandDialog(this);
}
