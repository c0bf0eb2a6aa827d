#include "app/controls/MultiSelectDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/shared/ObjectLists.h"
#include "app/shared/Pinyin.h"
#include "app/shared/Strings.h"
#include "base/ZemObject.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/QtText.h"

#include <QLabel>
#include <QLineEdit>

using zem::Rect;
using zem::gui::ItemList;

CMultiSelectDlg::CMultiSelectDlg(QWidget* parent) : Dialog(parent, "", {339, 178}) {}

void CMultiSelectDlg::SetItems(const CZemObjectList* items)
{
    if (!items)
        return;
    m_items.clear();
    MapToOrderedList(*items, m_items);
}

bool CMultiSelectDlg::OnInitDialog()
{
    AddHoverButton(this, IDC_SHOW_ALL, "显示全部(&A)");
    AddHoverButton(this, IDC_SHOW_SELECTED, "显示已选中(&S)");
    auto* label = new QLabel(QStringLiteral("搜索"), this);
    AddControl(IDC_SEARCH_LABEL, label);
    m_search = new QLineEdit(this);
    m_search->setFrame(false);
    AddControl(IDC_SEARCH, m_search);
    m_list = new ItemList(this, ItemList::Mode::List);
    m_list->setFrameShape(QFrame::NoFrame);
    AddControl(IDC_LIST, m_list);
    AddHoverButton(this, zem::IDOK, m_okText.empty() ? "确定" : m_okText)->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    AddHoverButton(this, IDC_CHECK_ALL, "全选");
    AddHoverButton(this, IDC_CHECK_NONE, "全不选");
    m_summary = new QLabel(this);
    m_summary->setWordWrap(false);
    m_summary->setTextFormat(Qt::PlainText);
    AddControl(IDC_SUMMARY, m_summary);

    m_list->SetCheckBoxes(true);
    SetCaption(m_caption);
    Layout();

    QObject::connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        FillList(zem::gui::FromQ(text));
    });
    m_list->onCheckChanged = [this](int, bool) {
        if (!m_updating)
            UpdateSummary();
    };

    FillList({});
    if (m_checkAll || !m_preChecked.empty()) {
        m_updating = true;
        for (int i = 0; i < m_list->GetItemCount(); ++i) {
            const auto* object = m_list->GetItemPtr<CZemObject>(i);
            if (m_checkAll) {
                m_list->SetCheck(i, true);
            } else if (StringArrayContainsNoCase(m_preChecked, object->GetId())) {
                m_list->SetCheck(i, true);
                m_list->EnsureVisible(i);
            }
        }
        m_updating = false;
    }
    UpdateSummary();
    return true;
}

void CMultiSelectDlg::Layout()
{
    if (!m_list)
        return;
    const auto& u = Units();
    const int margin = u.X(7);
    const int buttonWidth = u.X(50), buttonHeight = u.Y(14);
    const int bandTop = (kDialogBandHeight - buttonHeight) / 2;
    PlaceButtonRow(this, bandTop, {IDC_SHOW_ALL, IDC_SHOW_SELECTED}, {});
    const int labelLeft = margin + 2 * buttonWidth + u.X(16);
    QWidget* label = GetDlgItem(IDC_SEARCH_LABEL);
    label->adjustSize();
    SetWidgetTopLeft(label, labelLeft, (kDialogBandHeight - label->height()) / 2);
    m_searchFrame = Rect(labelLeft + label->width() + u.X(4), bandTop, width() - margin, bandTop + buttonHeight);
    PlaceEditInFrame(m_search, m_searchFrame);

    const int buttonsTop = height() - margin - buttonHeight;
    const int summaryHeight = u.Y(12);
    const int summaryTop = buttonsTop - u.Y(4) - summaryHeight;
    m_listFrame = Rect(margin, kDialogBandHeight + u.Y(5), width() - margin, summaryTop - u.Y(3));
    Rect list = m_listFrame;
    list.DeflateRect(1);
    SetWidgetRect(m_list, list);
    SetWidgetRect(m_summary, Rect(margin, summaryTop, width() - margin, summaryTop + summaryHeight));

    PlaceButtonRow(this, buttonsTop, {IDC_CHECK_ALL, IDC_CHECK_NONE}, {zem::IDOK, zem::IDCANCEL});
}

void CMultiSelectDlg::resizeEvent(QResizeEvent* event)
{
    Dialog::resizeEvent(event);
    Layout();
}

void CMultiSelectDlg::FillList(const std::string& filter)
{
    if (!m_list)
        return;
    m_updating = true;
    m_list->setUpdatesEnabled(false);
    m_list->DeleteAllItems();
    for (CZemObject* object : m_items) {
        const std::string& id = object->GetId();
        if (std::find(m_excluded.begin(), m_excluded.end(), id) != m_excluded.end())
            continue;
        if (filter == kSelectedFilter) {
            if (!m_checked.count(id))
                continue;
        } else if (!filter.empty() && !PinyinMatch(object->GetName(), filter)) {
            continue;
        }
        const int index = m_list->InsertItem(m_list->GetItemCount(), object->GetName(), -1,
                                             reinterpret_cast<std::uintptr_t>(object));
        m_list->SetCheck(index, m_checked.count(id) != 0);
    }
    m_list->setUpdatesEnabled(true);
    m_updating = false;
}

void CMultiSelectDlg::CheckAllListed(bool checked)
{
    m_updating = true;
    for (int i = 0; i < m_list->GetItemCount(); ++i)
        m_list->SetCheck(i, checked);
    m_updating = false;
    UpdateSummary();
}

void CMultiSelectDlg::UpdateSummary()
{
    for (int i = 0; i < m_list->GetItemCount(); ++i) {
        const std::string& id = m_list->GetItemPtr<CZemObject>(i)->GetId();
        if (m_list->GetCheck(i))
            m_checked.insert(id);
        else
            m_checked.erase(id);
    }
    m_summary->setText(zem::gui::ToQ(GetSummaryText()));
}

std::string CMultiSelectDlg::GetSummaryText() const
{
    std::string text = zem::Format("已选 %d 项", static_cast<int>(m_checked.size()));
    std::string names;
    for (const CZemObject* object : m_items) {
        if (!m_checked.count(object->GetId()))
            continue;
        names += (names.empty() ? "" : ",") + object->GetName();
    }
    if (!m_checked.empty())
        text += ": " + names;
    return text;
}

void CMultiSelectDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_SHOW_ALL:
        m_search->clear();  // refills with the empty filter
        FillList({});
        break;
    case IDC_SHOW_SELECTED: FillList(kSelectedFilter); break;
    case IDC_CHECK_ALL: CheckAllListed(true); break;
    case IDC_CHECK_NONE: CheckAllListed(false); break;
    default: Dialog::OnCommand(id); break;
    }
}

void CMultiSelectDlg::OnOK()
{
    std::vector<std::string> chosen;
    for (const CZemObject* object : m_items) {
        if (m_checked.count(object->GetId()))
            chosen.push_back(object->GetId());
    }
    if (static_cast<int>(chosen.size()) < m_minCount) {
        ShowMessage(zem::Format("您至少要选中 %d 项", m_minCount));
        return;
    }
    if (m_check && !m_check->CheckChosenIds(chosen, m_checkId))
        return;
    if (!m_confirmText.empty()) {
        const std::string question = zem::ReplaceAll(m_confirmText, "%COUNT%", std::to_string(chosen.size()));
        if (AskQuestion(question, zem::MessageButtons::YesNo) != zem::IDYES)
            return;
    }
    m_chosenIds = std::move(chosen);
    EndDialog(zem::IDOK);
}

void CMultiSelectDlg::paintEvent(QPaintEvent*)
{
    PaintBandDialog(this, m_searchFrame, m_listFrame);
}
