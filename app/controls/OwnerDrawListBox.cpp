#include "app/controls/OwnerDrawListBox.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"

#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <QPainter>
#include <QStyledItemDelegate>

using zem::Rect;
using zem::RGB;
using zem::gui::DC;

namespace {

constexpr int kRecordRole = Qt::UserRole + 1;
constexpr zem::COLORREF kGrey = RGB(192, 192, 192);

class RenameItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), COwnerDrawListBox::kItemHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int width = option.rect.width(), height = option.rect.height();
        if (width <= 0 || height <= 0)
            return;
        QImage image(width, height, QImage::Format_RGB32);
        {
            DC dc(&image);
            Rect item = DrawListCard(&dc, Rect(0, 0, width, height), 6, 3, option.state & QStyle::State_Selected);
            dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
            const auto* record = reinterpret_cast<const CRenameRecord*>(index.data(kRecordRole).value<quintptr>());
            if (record) {
                const int l = item.left, t = item.top, r = item.right, b = item.bottom;
                const int m = l + (r - l - 50) / 2;
                const unsigned centred = zem::gui::DT_SINGLELINE | zem::gui::DT_CENTER | zem::gui::DT_VCENTER;
                dc.DrawText(record->name, Rect(l, t, m, b - 14), centred);
                dc.DrawText("->", Rect(m, t, m + 50, b), centred);
                dc.DrawText(record->newName, Rect(m + 50, t, r, b - 14), centred);
                const zem::COLORREF previous = dc.SetTextColor(kGrey);
                dc.DrawText(record->shortName, Rect(l, b - 14, m, b), centred);
                dc.DrawText(record->newShortName, Rect(m + 50, b - 14, r, b), centred);
                dc.SetTextColor(previous);
            }
        }
        painter->drawImage(option.rect.topLeft(), image);
    }
};

}  // namespace

COwnerDrawListBox::COwnerDrawListBox(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new RenameItemDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

int COwnerDrawListBox::AddString(std::string_view text)
{
    auto* item = new QListWidgetItem(zem::gui::ToQ(text));
    item->setSizeHint(QSize(0, kItemHeight));
    addItem(item);
    return count() - 1;
}

void COwnerDrawListBox::ResetContent()
{
    clear();
}

void COwnerDrawListBox::SetItemDataPtr(int index, CRenameRecord* record)
{
    if (QListWidgetItem* it = item(index)) {
        it->setData(kRecordRole, QVariant::fromValue(reinterpret_cast<quintptr>(record)));
        update();
    }
}

CRenameRecord* COwnerDrawListBox::GetItemDataPtr(int index) const
{
    const QListWidgetItem* it = item(index);
    return it ? reinterpret_cast<CRenameRecord*>(it->data(kRecordRole).value<quintptr>()) : nullptr;
}
