#include "app/data/BatchAddCommon.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "platform/Hooks.h"
#include "platform/gui/ItemList.h"

using zem::Rect;
using zem::gui::ItemList;

namespace {

constexpr zem::COLORREF kListFrameColor = zem::RGB(223, 223, 223);

}  // namespace

bool SendBatchRow(QWidget* dialog, const CPageRow& row)
{
    auto* page = dialog ? dynamic_cast<zem::MessageTarget*>(dialog->parentWidget()) : nullptr;
    CPageNotify notify;
    notify.replace = 0;
    notify.quiet = true;
    notify.byName = false;
    return zem::SendMessage(page, WM_PAGE_ROW, zem::ToWParam(&notify), zem::ToLParam(&row)) == 0 && notify.accepted;
}

bool SendBatchRows(QWidget* dialog, const std::vector<CPageRow>& rows, std::vector<bool>* taken)
{
    auto* page = dialog ? dynamic_cast<zem::MessageTarget*>(dialog->parentWidget()) : nullptr;
    const std::string refusal = CheckPageRows(page, rows, false);
    if (!refusal.empty()) {
        zem::ShowMessage(refusal, "提示", zem::MessageIcon::Warning);
        return false;
    }
    for (const CPageRow& row : rows) {
        const bool took = SendBatchRow(dialog, row);
        if (taken)
            taken->push_back(took);
    }
    return true;
}

CBatchCheckListDlg::CBatchCheckListDlg(QWidget* parent, std::string_view caption, zem::Size sizeUnits, int listId,
                                       int inset)
    : Dialog(parent, caption, sizeUnits), m_listId(listId), m_inset(inset)
{
}

void CBatchCheckListDlg::CreateList(int tickAllId, int tickNoneId)
{
    m_tickAllId = tickAllId;
    m_tickNoneId = tickNoneId;
    m_list = new ItemList(this, ItemList::Mode::List);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->SetCheckBoxes(true);
    AddControl(m_listId, m_list);
    if (tickAllId)
        AddHoverButton(this, tickAllId, "全选");
    if (tickNoneId)
        AddHoverButton(this, tickNoneId, "全不选");
    AddHoverButton(this, zem::IDOK, "批量添加")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    Layout();
}

std::vector<int> CBatchCheckListDlg::TickedRows() const
{
    std::vector<int> rows;
    for (int i = 0; m_list && i < m_list->GetItemCount(); ++i)
        if (m_list->GetCheck(i))
            rows.push_back(i);
    return rows;
}

void CBatchCheckListDlg::OnCommand(int id)
{
    if (m_list && id != 0 && (id == m_tickAllId || id == m_tickNoneId)) {
        for (int i = 0; i < m_list->GetItemCount(); ++i)
            m_list->SetCheck(i, id == m_tickAllId);
        return;
    }
    Dialog::OnCommand(id);
}

void CBatchCheckListDlg::Layout()
{
    if (!m_list)
        return;
    const int margin = Margin();
    const int buttonHeight = Units().Y(14);
    const int buttonTop = height() - margin - buttonHeight;
    m_listFrame = PlaceList(this, m_list, m_listTop >= 0 ? m_listTop : margin, buttonTop - margin, m_inset);
    PlaceButtonRow(this, buttonTop, {m_tickAllId, m_tickNoneId}, {zem::IDOK, zem::IDCANCEL});
}

void CBatchCheckListDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Layout();
}

void CBatchCheckListDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        dc.Draw3dRect(m_listFrame, kListFrameColor, kListFrameColor);
    });
}
