#include "platform/gui/ImageList.h"

#include <QPainter>
#include <QPainterPath>

namespace zem::gui {

int ImageList::Add(const QImage& image, COLORREF mask)
{
    QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    if (converted.width() != cx_ || converted.height() != cy_)
        converted = converted.scaled(cx_, cy_);
    const QRgb key = qRgb(GetRValue(mask), GetGValue(mask), GetBValue(mask));
    for (int y = 0; y < converted.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(converted.scanLine(y));
        for (int x = 0; x < converted.width(); ++x) {
            if ((line[x] | 0xFF000000u) == key)
                line[x] = 0;
        }
    }
    images_.push_back(converted);
    return GetImageCount() - 1;
}

bool ImageList::Draw(DC& dc, int index, Point at) const
{
    if (index < 0 || index >= GetImageCount())
        return false;
    dc.DrawImage(images_[static_cast<std::size_t>(index)], at.x, at.y);
    return true;
}

namespace {

void DrawPadlock(QPainter& p)
{
    // Shackle: a grey arch above the body.
    const QColor steel(96, 96, 104);
    p.fillRect(4, 3, 2, 5, steel);
    p.fillRect(10, 3, 2, 5, steel);
    p.fillRect(5, 1, 6, 2, steel);
    p.fillRect(4, 2, 1, 1, steel);
    p.fillRect(11, 2, 1, 1, steel);
    // Body: gold with a darker rim and a keyhole.
    const QColor rim(150, 100, 10);
    p.fillRect(2, 7, 12, 8, rim);
    p.fillRect(3, 8, 10, 6, QColor(232, 178, 40));
    p.fillRect(3, 8, 10, 1, QColor(250, 214, 110));
    p.fillRect(7, 9, 2, 2, QColor(40, 30, 10));
    p.fillRect(7, 11, 2, 2, QColor(40, 30, 10));
}

void DrawChainLink(QPainter& p)
{
    // Two interlocked links, drawn on the diagonal.
    p.translate(8, 8);
    p.rotate(-45);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(70, 110, 170), 2));
    p.drawRoundedRect(QRectF(-7.5, -2.5, 9, 5), 2.5, 2.5);
    p.setPen(QPen(QColor(40, 70, 130), 2));
    p.drawRoundedRect(QRectF(-1.5, -2.5, 9, 5), 2.5, 2.5);
}

void DrawNoEntry(QPainter& p)
{
    p.setPen(QColor(200, 90, 0));
    p.setBrush(QColor(255, 140, 0));
    p.drawEllipse(QRect(0, 0, 15, 15));
    // Off-white: pure white is the mask colour and would let the cell show through.
    p.fillRect(3, 7, 10, 2, QColor(250, 250, 250));
}

}  // namespace

QImage MakeTagImage(TagImage which)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);  // hard edges: white is the mask colour
    switch (which) {
    case TagImage::Padlock:
        DrawPadlock(p);
        break;
    case TagImage::ChainLink:
        DrawChainLink(p);
        break;
    case TagImage::NoEntry:
        DrawNoEntry(p);
        break;
    }
    return image;
}

}  // namespace zem::gui
