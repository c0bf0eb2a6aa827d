#include "app/controls/SearchListDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/controls/SkinHeaderCtrl.h"
#include "platform/gui/QtText.h"
#include "platform/gui/ReportList.h"

#include <QLabel>
#include <QLineEdit>

using zem::Rect;

namespace {

std::string WithoutTrailingBlanks(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    return text;
}

}  // namespace

CSearchListDlg::CSearchListDlg(QWidget* parent) : Dialog(parent, "", {505, 246}) {}

bool CSearchListDlg::OnInitDialog()
{
    SetCaption(m_caption);
    AddHoverButton(this, IDC_SHOW_ALL, "显示全部(&A)");
    AddHoverButton(this, IDC_SHOW_SELECTED, "显示已选中(&S)")->hide();
    auto* label = new QLabel(QStringLiteral("搜索"), this);
    AddControl(IDC_SEARCH_LABEL, label);
    m_search = new QLineEdit(this);
    m_search->setFrame(false);
    m_search->setText(zem::gui::ToQ(m_searchText));
    AddControl(IDC_SEARCH, m_search);
    m_list = new zem::gui::ReportList(this);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->SetHeader(new CSkinHeaderCtrl);
    // The last column takes the room left, so that long analysis texts show whole.
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setShowGrid(true);
    m_list->SetRowHeight(kRowHeight);
    AddControl(IDC_LIST, m_list);
    AddHoverButton(this, zem::IDOK, m_okText.empty() ? "确定" : m_okText)->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, m_cancelText.empty() ? "取消" : m_cancelText);
    AddHoverButton(this, IDC_CHECK_ALL, "全选")->hide();
    AddHoverButton(this, IDC_CHECK_NONE, "全不选")->hide();

    InitList();
    Layout();
    QObject::connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_clearing)
            return;
        m_searchText = WithoutTrailingBlanks(zem::gui::FromQ(text));
        FillList(m_searchText);
    });
    m_search->setFocus();
    return true;
}

void CSearchListDlg::ShowCheckButtons()
{
    for (int id : {IDC_SHOW_SELECTED, IDC_CHECK_ALL, IDC_CHECK_NONE})
        ShowItem(id, true);
    m_list->SetCheckBoxes(true);
    Layout();
}

void CSearchListDlg::ClearSearch()
{
    m_searchText.clear();
    m_clearing = true;
    m_search->clear();
    m_clearing = false;
}

void CSearchListDlg::Layout()
{
    if (!m_list)
        return;
    const auto& u = Units();
    const int buttonHeight = u.Y(14);
    const int bandTop = (kDialogBandHeight - buttonHeight) / 2;
    const int buttonsTop = height() - u.X(7) - buttonHeight;
    const bool checkMode = !GetDlgItem(IDC_SHOW_SELECTED)->isHidden();
    if (checkMode) {
        PlaceButtonRow(this, bandTop, {IDC_SHOW_ALL, IDC_SHOW_SELECTED}, {});
        PlaceButtonRow(this, buttonsTop, {IDC_CHECK_ALL, IDC_CHECK_NONE}, {zem::IDOK, zem::IDCANCEL});
    } else {
        PlaceButtonRow(this, bandTop, {IDC_SHOW_ALL}, {});
        PlaceButtonRow(this, buttonsTop, {}, {zem::IDOK, zem::IDCANCEL});
    }
    m_searchFrame = PlaceSearchBand(this, GetDlgItem(checkMode ? IDC_SHOW_SELECTED : IDC_SHOW_ALL),
                                    GetDlgItem(IDC_SEARCH_LABEL), m_search);
    m_listFrame = PlaceBandList(this, m_list, buttonsTop);
    update();
}

void CSearchListDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Layout();
}

void CSearchListDlg::OnCommand(int id)
{
    if (id == IDC_SHOW_ALL) {
        ClearSearch();
        FillList(m_searchText);
        return;
    }
    Dialog::OnCommand(id);
}

void CSearchListDlg::paintEvent(QPaintEvent*)
{
    PaintBandDialog(this, m_searchFrame, m_listFrame);
}
