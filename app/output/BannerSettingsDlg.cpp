#include "app/output/BannerSettingsDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/SkinHeaderCtrl.h"
#include "app/output/BannerRowDlg.h"
#include "app/output/PageLayout.h"
#include "app/output/PrintSheet.h"
#include "app/shared/Vocabulary.h"
#include "platform/Text.h"
#include "platform/gui/ReportList.h"

using zem::gui::ReportList;

namespace {

constexpr const char* kNoSelection = "请先选中要修改的通栏";

// The rows of the list: the layout's rows up to the end marker.
int RowCount(const CWeekTablePageLayout& layout)
{
    int count = 0;
    while (count < kMaxBlankLines && layout.blankLines[count].segment != -1)
        ++count;
    return count;
}

}  // namespace

CBannerSettingsDlg::CBannerSettingsDlg(QWidget* parent, zem::MessageTarget* notify)
    : Dialog(parent, "通栏设置", {300, 150}), m_notify(notify)
{
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
}

bool CBannerSettingsDlg::OnInitDialog()
{
    m_list = new ReportList(this);
    m_list->SetSingleSelection(true);
    m_list->setShowGrid(true);
    m_list->SetHeader(new CSkinHeaderCtrl);
    m_list->InsertColumn(0, "", ReportList::Align::Left, 0);
    m_list->InsertColumn(1, "类型", ReportList::Align::Center, 58);
    m_list->InsertColumn(2, "通栏的位置", ReportList::Align::Left, 150);
    m_list->InsertColumn(3, "通栏显示的信息", ReportList::Align::Left, 240);
    m_list->SetRowHeight(20);
    m_list->onDoubleClick = [this](int) { OnModify(); };
    AddControl(IDC_LIST, m_list);

    AddHoverButton(this, IDC_ADD, "新增");
    AddHoverButton(this, IDC_MODIFY, "修改");
    AddHoverButton(this, IDC_DELETE, "删除");
    const int buttonsTop = height() - Units().Y(21);
    PlaceButtonRow(this, buttonsTop, {}, {IDC_ADD, IDC_MODIFY, IDC_DELETE});
    SetWidgetRect(m_list, zem::Rect(Units().X(7), Units().Y(7), width() - Units().X(7), buttonsTop - Units().Y(5)));
    SetFontOnChildren(this, DialogFont());
    FillList();
    return true;
}

void CBannerSettingsDlg::SetRowTexts(int row)
{
    const BlankLine& line = WeekPageLayout().blankLines[row];
    m_list->SetItemText(row, 1, line.enabled != 0 ? "自定义" : "默认");
    m_list->SetItemText(row, 2,
                        zem::Format("%s第%d节%s", GetSectionKindNames(line.segment).c_str(), line.section + 1,
                                    line.position != 0 ? "之后" : "之前"));
    m_list->SetItemText(row, 3, line.text);
}

void CBannerSettingsDlg::FillList()
{
    m_list->DeleteAllItems();
    const int count = RowCount(WeekPageLayout());
    for (int row = 0; row < count; ++row) {
        m_list->InsertItem(row, "");
        SetRowTexts(row);
    }
}

void CBannerSettingsDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_ADD:
        return OnAdd();
    case IDC_MODIFY:
        return OnModify();
    case IDC_DELETE:
        return OnDelete();
    default:
        Dialog::OnCommand(id);
    }
}

void CBannerSettingsDlg::Changed()
{
    zem::SendMessage(m_notify, WM_PRINT_SETTINGS_CHANGED, 0, 0);
}

void CBannerSettingsDlg::OnAdd()
{
    CWeekTablePageLayout& layout = WeekPageLayout();
    const int count = RowCount(layout);
    if (count >= kMaxBlankLines) {
        zem::ShowMessage(zem::Format("最多只能添加%d个通栏", kMaxBlankLines));
        return;
    }
    CBannerRowDlg editor(this);
    if (editor.DoModal() != zem::IDOK)
        return;
    layout.blankLines[count] = editor.row();
    if (count + 1 < kMaxBlankLines)
        layout.blankLines[count + 1].segment = -1;
    m_list->InsertItem(count, "");
    SetRowTexts(count);
    Changed();
}

int CBannerSettingsDlg::SelectedRow() const
{
    const int row = m_list->GetFirstSelected();
    if (row < 0)
        zem::ShowMessage(kNoSelection);
    return row;
}

void CBannerSettingsDlg::OnModify()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    CWeekTablePageLayout& layout = WeekPageLayout();
    CBannerRowDlg editor(this, layout.blankLines[row]);
    if (editor.DoModal() != zem::IDOK)
        return;
    layout.blankLines[row] = editor.row();
    SetRowTexts(row);
    Changed();
}

void CBannerSettingsDlg::OnDelete()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    if (row < 2) {
        zem::ShowMessage("默认通栏不能删除");
        return;
    }
    CWeekTablePageLayout& layout = WeekPageLayout();
    const int count = RowCount(layout);
    for (int i = row; i + 1 < kMaxBlankLines && i < count; ++i)
        layout.blankLines[i] = layout.blankLines[i + 1];
    if (count == kMaxBlankLines)
        layout.blankLines[kMaxBlankLines - 1] = BlankLine{};
    m_list->DeleteItem(row);
    Changed();
}
