#include "app/controls/CardListBox.h"

#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <QMouseEvent>
#include <QStyledItemDelegate>

using zem::Rect;
using zem::RGB;
using zem::gui::DC;

namespace {

constexpr int kRecordRole = Qt::UserRole + 1;
constexpr int kCardInsetX = 8;
constexpr int kTextInset = 6;
constexpr zem::COLORREF kGrey = RGB(128, 128, 128);
constexpr zem::COLORREF kRed = RGB(255, 0, 0);
constexpr unsigned kWrapped = zem::gui::DT_WORDBREAK | zem::gui::DT_EDITCONTROL | zem::gui::DT_CENTER;

class CardDelegate : public QStyledItemDelegate {
public:
    explicit CardDelegate(CCardListBox* list) : QStyledItemDelegate(list), m_list(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // Measured in the width the text is drawn in (inside the frame), so no wrapped line is cut.
        const int width = m_list->viewport()->width() - 2 * (kCardInsetX + 1 + kTextInset);
        QImage scratch(1, 1, QImage::Format_RGB32);
        DC dc(&scratch);
        dc.SelectFont(m_list->m_font);
        Rect text(0, 0, std::max(1, width), 0);
        const int height = dc.DrawText(zem::gui::FromQ(index.data().toString()), text, kWrapped | zem::gui::DT_CALCRECT);
        // As wide as the viewport is now, never as it was: once a vertical scroll bar takes its
        // part, a wider card would put its totals under the bar.
        return {m_list->viewport()->width(), height + 2 * m_list->m_margin};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int width = option.rect.width(), height = option.rect.height();
        if (width <= 0 || height <= 0)
            return;
        QImage image(width, height, QImage::Format_RGB32);
        {
            DC dc(&image);
            const Rect inner = DrawListCard(&dc, Rect(0, 0, width, height), kCardInsetX, 4, option.state & QStyle::State_Selected);
            dc.SelectFont(m_list->m_font);
            Rect text(inner.left + kTextInset, inner.top + m_list->m_margin - 5, inner.right - kTextInset, inner.bottom);
            dc.DrawText(zem::gui::FromQ(index.data().toString()), text, kWrapped);

            const auto* info = reinterpret_cast<const CCardInfo*>(index.data(kRecordRole).value<quintptr>());
            if (info && info->count > 0) {
                Rect corner = inner;
                corner.DeflateRect(2, 0, 2, 0);
                dc.SetTextColor(kGrey);
                dc.DrawText(std::to_string(info->count), corner,
                            zem::gui::DT_SINGLELINE | zem::gui::DT_RIGHT | zem::gui::DT_TOP);
                dc.SetTextColor(info->warning ? kRed : kGrey);
                dc.DrawText(info->note, corner, zem::gui::DT_SINGLELINE | zem::gui::DT_RIGHT | zem::gui::DT_BOTTOM);
            }
        }
        painter->drawImage(option.rect.topLeft(), image);
    }

private:
    CCardListBox* m_list;
};

}  // namespace

CCardListBox::CCardListBox(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new CardDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    // Heights follow the width: the text wraps inside it, so nothing ever needs to scroll sideways.
    setResizeMode(QListView::Adjust);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int CCardListBox::AddString(std::string_view text)
{
    addItem(new QListWidgetItem(zem::gui::ToQ(text)));
    return count() - 1;
}

std::string CCardListBox::GetText(int index) const
{
    const QListWidgetItem* it = item(index);
    return it ? zem::gui::FromQ(it->text()) : std::string();
}

void CCardListBox::SetItemDataPtr(int index, CCardInfo* card)
{
    if (QListWidgetItem* it = item(index))
        it->setData(kRecordRole, QVariant::fromValue(reinterpret_cast<quintptr>(card)));
}

CCardInfo* CCardListBox::GetItemDataPtr(int index) const
{
    const QListWidgetItem* it = item(index);
    return it ? reinterpret_cast<CCardInfo*>(it->data(kRecordRole).value<quintptr>()) : nullptr;
}

CZemObject* CCardListBox::GetItemObject(int index) const
{
    const CCardInfo* card = GetItemDataPtr(index);
    return card ? card->object : nullptr;
}

void CCardListBox::SetItemInfo(int index, int count, const std::string& note, bool warning)
{
    CCardInfo* card = GetItemDataPtr(index);
    if (!card)
        return;
    card->count = count;
    card->note = note;
    card->warning = warning;
    if (QListWidgetItem* it = item(index))
        viewport()->update(visualItemRect(it));
}

void CCardListBox::mouseMoveEvent(QMouseEvent* event)
{
    const bool overEntry = itemAt(event->position().toPoint()) != nullptr;
    if (overEntry)
        viewport()->setCursor(CGdiResources::GetInstance()->m_handCursor);
    else
        viewport()->unsetCursor();
    QListWidget::mouseMoveEvent(event);
}

void CCardListBox::leaveEvent(QEvent* event)
{
    viewport()->unsetCursor();
    QListWidget::leaveEvent(event);
}

void CCardListBox::resizeEvent(QResizeEvent* event)
{
    QListWidget::resizeEvent(event);
    doItemsLayout();
}
