#include "app/controls/TipWnd.h"

#include "app/shared/AppServices.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/shared/Strings.h"
#include "platform/gui/DC.h"

#include <QMouseEvent>
#include <QPainter>

using zem::Rect;
using zem::RGB;
using namespace zem::gui;

CTipWnd::CTipWnd()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_hideTimer.setSingleShot(true);
    QObject::connect(&m_hideTimer, &QTimer::timeout, this, [this] { hide(); });
}

CTipWnd::~CTipWnd() = default;

bool CTipWnd::Create()
{
    setObjectName("Zem_Tip");
    setWindowTitle("Zem_Tip");
    resize(0, 0);
    hide();
    return true;
}

void CTipWnd::ShowTip(int x, int y, const std::string& title, const std::string& text, int seconds)
{
    m_title = title;
    m_text = text;

    QImage scratch(1, 1, QImage::Format_RGB32);
    DC dc(&scratch);
    dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
    Rect size;
    dc.DrawText(m_text, size, DT_CALCRECT);  // lines break only at line breaks
    std::vector<std::string> lines;
    SplitToArray(m_text, "\n", lines, false);
    if (lines.size() > 1)
        size.bottom += static_cast<int>(lines.size() - 1) * kLineSpacing;
    if (!m_title.empty())
        size.bottom += kTitleHeight;
    size.InflateRect(3);

    setGeometry(x, y, size.Width(), size.Height());
    show();
    raise();
    update();
    if (seconds > 0)
        m_hideTimer.start(seconds * 1000);
    else
        m_hideTimer.stop();
}

void CTipWnd::paintEvent(QPaintEvent*)
{
    const Rect client(0, 0, width(), height());
    QImage image(std::max(1, client.Width()), std::max(1, client.Height()), QImage::Format_RGB32);
    {
        DC dc(&image);
        dc.FillSolidRect(client, RGB(255, 255, 225));
        dc.FrameRect(client, RGB(0, 0, 0));
        Rect area = client;
        area.DeflateRect(3);
        dc.SetBkMode(TRANSPARENT);
        dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
        dc.SetTextColor(RGB(0, 0, 0));
        if (!m_title.empty()) {
            dc.DrawText(m_title, area, DT_LEFT | DT_TOP | DT_SINGLELINE);
            area.top += kTitleHeight;
        }
        DrawTextLines(&dc, area.left, area.top, area.right, area.bottom, m_text, kLineSpacing, 0);
    }
    QPainter(this).drawImage(0, 0, image);
}

void CTipWnd::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_hideTimer.stop();
        hide();
    }
}

void ShowSavedTip(QWidget* window, int corner)
{
    CTipWnd* tip = AppServices().GetTipWnd();
    if (!tip || !window)
        return;
    const QPoint origin = window->mapToGlobal(QPoint(0, 0));
    if (corner == 1)
        tip->ShowTip(origin.x() + window->width(), origin.y(), "", "保存完成", 1);
    else
        tip->ShowTip(origin.x(), origin.y() + window->height(), "", "保存完成", 1);
}
