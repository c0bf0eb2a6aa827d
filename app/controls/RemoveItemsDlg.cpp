#include "app/controls/RemoveItemsDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Strings.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/ItemList.h"

using zem::Rect;
using zem::gui::ItemList;

CRemoveItemsDlg::CRemoveItemsDlg(QWidget* parent) : Dialog(parent, "", {390, 200}) {}

bool CRemoveItemsDlg::OnInitDialog()
{
    SetCaption(m_prompt);
    m_list = new ItemList(this, ItemList::Mode::List);
    m_list->setFrameShape(QFrame::NoFrame);
    AddControl(IDC_LIST, m_list);
    AddHoverButton(this, zem::IDOK, "移除")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    AddHoverButton(this, IDC_CHECK_ALL, "全选");
    AddHoverButton(this, IDC_CHECK_NONE, "全不选");
    m_list->SetCheckBoxes(true);
    for (const std::string& text : m_texts)
        m_list->InsertItem(m_list->GetItemCount(), text);
    Layout();
    return true;
}

void CRemoveItemsDlg::Layout()
{
    if (!m_list)
        return;
    const auto& u = Units();
    const int margin = u.X(7);
    const int buttonHeight = u.Y(14);
    const int bandTop = height() - kDialogBandHeight;
    m_listFrame = PlaceList(this, m_list, margin, bandTop - margin, 3);
    const int top = bandTop + (kDialogBandHeight - buttonHeight) / 2;
    PlaceButtonRow(this, top, {IDC_CHECK_ALL, IDC_CHECK_NONE}, {zem::IDOK, zem::IDCANCEL});
}

void CRemoveItemsDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Layout();
}

void CRemoveItemsDlg::OnCommand(int id)
{
    if (id == IDC_CHECK_ALL || id == IDC_CHECK_NONE) {
        for (int i = 0; i < m_list->GetItemCount(); ++i)
            m_list->SetCheck(i, id == IDC_CHECK_ALL);
        return;
    }
    Dialog::OnCommand(id);
}

void CRemoveItemsDlg::OnOK()
{
    std::vector<unsigned> checked;
    for (int i = 0; i < m_list->GetItemCount(); ++i) {
        if (m_list->GetCheck(i))
            checked.push_back(static_cast<unsigned>(i));
    }
    if (checked.empty()) {
        ShowMessage("请勾选要移除的项目");
        return;
    }
    const std::string question = zem::Format("确定要移除这 %d 个项目吗？", static_cast<int>(checked.size()));
    if (AskQuestion(question, zem::MessageButtons::OkCancel) != zem::IDOK)
        return;
    m_checkedIndices = std::move(checked);
    EndDialog(zem::IDOK);
}

void CRemoveItemsDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        dc.FillSolidRect(Rect(0, client.bottom - kDialogBandHeight, client.right, client.bottom), kDialogBandColor);
        DrawFramedBox(dc, m_listFrame, false);
    });
}
