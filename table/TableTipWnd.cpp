#include "table/TableTipWnd.h"

#include "platform/gui/DC.h"
#include "platform/gui/Desktop.h"
#include "table/UICore.h"

#include <QPainter>
#include <QRegion>

using zem::Point;
using zem::Rect;
using zem::RGB;
using namespace zem::gui;

CTableTipWnd::CTableTipWnd()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint), m_font(CUICore::instance()->GetDefaultFont())
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(0, 0);
}

CTableTipWnd::~CTableTipWnd() = default;

Point CTableTipWnd::Place(Point cursor, zem::Size size, const Rect& workArea)
{
    Point at{cursor.x - 20, cursor.y + 20};
    if (at.y + size.cy > workArea.bottom)
        at.y = cursor.y - size.cy - 5;
    if (at.x + size.cx > workArea.right)
        at.x = cursor.x - size.cx + 20;
    return at;
}

void CTableTipWnd::ShowAtCursor(const std::string& text)
{
    if (text != m_text) {
        m_text = text;
        QImage scratch(1, 1, QImage::Format_RGB32);
        DC dc(&scratch);
        dc.SelectFont(m_font);
        Rect measured(0, 0, 100, 0);
        dc.DrawText(m_text, measured, DT_CALCRECT);
        m_textRect = measured;
        m_textRect.OffsetRect(5, 3);
        const int w = measured.Width() + 11, h = measured.Height() + 7;
        resize(w, h);
        // The two free corners of the shadowed box stay transparent.
        setMask(QRegion(0, 0, w - 1, h - 1).united(QRegion(1, 1, w - 1, h - 1)));
        update();
    }
    if (m_text.empty()) {
        hide();
        return;
    }
    const Point at = Place(CursorPos(), {width(), height()}, WorkArea());
    move(at.x, at.y);
    show();
}

void CTableTipWnd::HideTip()
{
    hide();
}

void CTableTipWnd::paintEvent(QPaintEvent*)
{
    const int w = width(), h = height();
    QImage image(w, h, QImage::Format_RGB32);
    {
        DC dc(&image);
        dc.FillSolidRect(Rect(1, 1, w, h), RGB(159, 159, 159));
        const Rect box(0, 0, w - 1, h - 1);
        dc.FillSolidRect(box, RGB(255, 255, 225));
        dc.FrameRect(box, RGB(118, 118, 118));
        dc.SelectFont(m_font);
        dc.SetTextColor(RGB(0, 0, 0));
        dc.DrawText(m_text, m_textRect, DT_LEFT | DT_TOP);
    }
    QPainter(this).drawImage(0, 0, image);
}
