#include "app/controls/SkinHeaderCtrl.h"
#include "app/controls/Bitmaps.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"

#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <QPainter>

using zem::Rect;
using zem::gui::DC;

CSkinHeaderCtrl::CSkinHeaderCtrl(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_bitmap(LoadBitmapResource(IDB_HEADER_SKIN))
{
    setFixedHeight(kHeight);
}

QSize CSkinHeaderCtrl::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(kHeight);
    return size;
}

void CSkinHeaderCtrl::paintEvent(QPaintEvent*)
{
    QWidget* area = viewport();
    if (area->width() <= 0 || area->height() <= 0)
        return;
    QImage buffer(area->width(), area->height(), QImage::Format_RGB32);
    {
        DC dc(&buffer);
        dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
        dc.SetBkMode(zem::gui::TRANSPARENT);
        dc.SetTextColor(zem::RGB(0, 0, 0));
        const int top = 0, bottom = area->height(), right = area->width();
        int x = -offset();
        for (int visual = 0; visual < count(); ++visual) {
            const int logical = logicalIndex(visual);
            if (logical < 0 || isSectionHidden(logical))
                continue;
            const int width = sectionSize(logical);
            const Rect cell(x, top, x + width - 1, bottom);
            DrawBitmapTiled(&dc, cell, &m_bitmap);
            const QVariant title = model() ? model()->headerData(logical, orientation(), Qt::DisplayRole) : QVariant();
            const QVariant align =
                model() ? model()->headerData(logical, orientation(), Qt::TextAlignmentRole) : QVariant();
            unsigned format = zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER;
            // Only centring is honoured here; a right-aligned column's title stays at the left.
            if (align.isValid() && (align.toInt() & Qt::AlignHCenter))
                format |= zem::gui::DT_CENTER;
            Rect text = cell;
            text.DeflateRect(4, 0, 4, 0);
            dc.DrawText(zem::gui::FromQ(title.toString().left(127)), text, format);
            x += width;
        }
        if (x < right)
            DrawBitmapTiled(&dc, Rect(x, top, right, bottom), &m_bitmap);
    }
    QPainter(area).drawImage(0, 0, buffer);
}
