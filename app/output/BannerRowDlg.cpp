#include "app/output/BannerRowDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Vocabulary.h"
#include "base/Segment.h"
#include "platform/Text.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

using zem::gui::ToQ;

CBannerRowDlg::CBannerRowDlg(QWidget* parent) : Dialog(parent, "通栏", {200, 104})
{
    m_row.enabled = 1;
    m_row.segment = 0;
    m_row.section = 2;
    m_row.position = 0;
}

CBannerRowDlg::CBannerRowDlg(QWidget* parent, const BlankLine& row)
    : Dialog(parent, "通栏", {200, 104}), m_row(row), m_modify(true)
{
}

bool CBannerRowDlg::OnInitDialog()
{
    const auto label = [this](const char* text, const zem::Rect& rect) {
        auto* widget = new QLabel(ToQ(text), this);
        SetWidgetRect(widget, rect);
    };
    const auto combo = [this](int id, const zem::Rect& rect, const std::vector<std::string>& texts, int index) {
        auto* box = new QComboBox(this);
        for (const std::string& text : texts)
            box->addItem(ToQ(text));
        box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
        SetWidgetRect(box, rect);
        AddControl(id, box);
    };

    label("类型", UnitsRect(8, 10, 24, 10));
    auto* type = new QLineEdit(ToQ(m_row.enabled != 0 ? "自定义" : "默认"), this);
    type->setReadOnly(true);
    SetWidgetRect(type, UnitsRect(34, 8, 60, 13));
    AddControl(IDC_TYPE, type);

    label("位置", UnitsRect(8, 30, 24, 10));
    std::vector<std::string> segments;
    for (int segment = 0; segment < zem::kSegmentCount; ++segment)
        segments.push_back(GetSectionKindNames(segment));
    combo(IDC_SEGMENT, UnitsRect(34, 28, 56, 14), segments, m_row.segment);
    std::vector<std::string> sections;
    for (int i = 1; i <= zem::kSectionCount; ++i)
        sections.push_back(zem::Format("第%d节", i));
    combo(IDC_SECTION, UnitsRect(94, 28, 50, 14), sections, m_row.section);
    combo(IDC_POSITION, UnitsRect(148, 28, 44, 14), {"之前", "之后"}, m_row.position != 0 ? 1 : 0);
    // A standard row stays where the separators are.
    const bool custom = m_row.enabled != 0;
    for (const int id : {IDC_SEGMENT, IDC_SECTION, IDC_POSITION})
        EnableItem(id, custom);

    label("信息", UnitsRect(8, 50, 24, 10));
    auto* text = new QLineEdit(ToQ(m_row.text), this);
    SetWidgetRect(text, UnitsRect(34, 48, 158, 13));
    AddControl(IDC_TEXT, text);

    AddHoverButton(this, zem::IDOK, m_modify ? "修改" : "新增")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    PlaceButtonRow(this, Units().Y(80), {}, {zem::IDOK, zem::IDCANCEL});
    SetFontOnChildren(this, DialogFont());
    return true;
}

void CBannerRowDlg::OnOK()
{
    m_row.segment = Item<QComboBox>(IDC_SEGMENT)->currentIndex();
    m_row.section = Item<QComboBox>(IDC_SECTION)->currentIndex();
    m_row.position = Item<QComboBox>(IDC_POSITION)->currentIndex();
    m_row.text = GetDlgItemText(IDC_TEXT);
    EndDialog(zem::IDOK);
}
