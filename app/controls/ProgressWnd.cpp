#include "app/controls/ProgressWnd.h"

#include "app/controls/GdiResources.h"
#include "platform/gui/DC.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdint>

using zem::Rect;
using namespace zem::gui;

CProgressWnd::CProgressWnd()
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CProgressWnd::~CProgressWnd() = default;

bool CProgressWnd::Create(QWidget* owner)
{
    return Create(owner, dynamic_cast<zem::MessageTarget*>(owner));
}

bool CProgressWnd::Create(QWidget* owner, zem::MessageTarget* notify)
{
    m_notify = notify;
    setObjectName("Wnd_Progress");
    setParent(owner);
    setCursor(CGdiResources::GetInstance()->m_handCursor);
    setGeometry(0, 0, 0, 0);
    if (owner)
        show();
    Layout();
    return true;
}

void CProgressWnd::SetRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = maximum;
    Layout();
    update();
}

void CProgressWnd::SetPos(int position)
{
    m_pos = position;
    Layout();
    update();
}

void CProgressWnd::SetText(const std::string& caption)
{
    m_caption = caption;
    update();
}

void CProgressWnd::Layout()
{
    m_clientRect = Rect(0, 0, width(), height());
    m_barRect = Rect(m_clientRect.left, m_clientRect.top, m_clientRect.left, m_clientRect.bottom);
    // In 64 bits, so that no range overflows; a position outside the range fills nothing or all.
    const std::int64_t span = static_cast<std::int64_t>(m_max) - m_min;
    if (span > 0) {
        const std::int64_t done = std::clamp<std::int64_t>(static_cast<std::int64_t>(m_pos) - m_min, 0, span);
        m_barRect.right = m_clientRect.left + static_cast<int>(m_clientRect.Width() * done / span);
    }
}

void CProgressWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout();
    update();
}

void CProgressWnd::paintEvent(QPaintEvent*)
{
    QImage image(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    {
        DC dc(&image);
        dc.FillSolidRect(m_clientRect, m_bkColor);
        dc.FillSolidRect(m_barRect, zem::RGB(255, 165, 0));
        if (!m_caption.empty()) {
            dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
            dc.SetBkMode(TRANSPARENT);
            dc.DrawText(m_caption, m_clientRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    QPainter(this).drawImage(0, 0, image);
}

void CProgressWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        zem::SendMessage(m_notify, WM_SHOW_COMPLETION, 0, 0);
    QWidget::mousePressEvent(event);
}
