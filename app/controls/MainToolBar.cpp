#include "app/controls/MainToolBar.h"

#include "app/shared/AppServices.h"
#include "app/controls/Bitmaps.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/ShellFunctions.h"
#include "platform/gui/DC.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

using zem::Rect;
using namespace zem::gui;

namespace {

// A 32 x 32 icon on a transparent ground, drawn smooth.
QImage Icon(void (*draw)(QPainter&))
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// A round badge with a soft light from the top left.
void Badge(QPainter& p, const QColor& light, const QColor& dark, const QColor& rim)
{
    QRadialGradient face(QPointF(12, 10), 18);
    face.setColorAt(0, light);
    face.setColorAt(1, dark);
    p.setPen(QPen(rim, 1.2));
    p.setBrush(face);
    p.drawEllipse(QPointF(16, 16), 13.5, 13.5);
}

void DrawGear(QPainter& p)
{
    QPainterPath gear;
    gear.addEllipse(QPointF(16, 16), 10.5, 10.5);
    for (int tooth = 0; tooth < 8; ++tooth) {
        QPainterPath t;
        t.addRoundedRect(QRectF(-3.2, -15, 6.4, 8), 1.2, 1.2);
        QTransform turn;
        turn.translate(16, 16);
        turn.rotate(45.0 * tooth);
        gear = gear.united(turn.map(t));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(16, 16), 4.5, 4.5);
    gear = gear.subtracted(hole);
    QLinearGradient metal(0, 2, 0, 30);
    metal.setColorAt(0, QColor(246, 248, 252));
    metal.setColorAt(1, QColor(170, 182, 200));
    p.setPen(QPen(QColor(96, 110, 134), 1.2));
    p.setBrush(metal);
    p.drawPath(gear);
}

void DrawGlobe(QPainter& p)
{
    Badge(p, QColor(120, 196, 250), QColor(24, 96, 186), QColor(18, 70, 140));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(222, 238, 252), 1.2));
    p.drawEllipse(QPointF(16, 16), 6, 13);
    p.drawLine(QPointF(16, 3), QPointF(16, 29));
    p.drawLine(QPointF(3, 16), QPointF(29, 16));
    p.drawLine(QPointF(5.5, 9.5), QPointF(26.5, 9.5));
    p.drawLine(QPointF(5.5, 22.5), QPointF(26.5, 22.5));
}

void DrawHelp(QPainter& p)
{
    Badge(p, QColor(132, 214, 126), QColor(34, 138, 58), QColor(24, 100, 40));
    // The question mark as strokes, so it needs no font.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(250, 250, 250), 3.4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath hook;
    hook.moveTo(11.5, 12.5);
    hook.cubicTo(11.5, 6.5, 21, 6.5, 21, 12);
    hook.cubicTo(21, 16, 16, 16, 16, 20);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 250));
    p.drawEllipse(QPointF(16, 25), 2.1, 2.1);
}

void RegisterButtonImages()
{
    static const bool registered = [] {
        RegisterBitmapResource(IDB_TOOLBAR_SETTINGS, [] { return Icon(DrawGear); });
        RegisterBitmapResource(IDB_TOOLBAR_WEBSITE, [] { return Icon(DrawGlobe); });
        RegisterBitmapResource(IDB_TOOLBAR_HELP, [] { return Icon(DrawHelp); });
        return true;
    }();
    (void)registered;
}

}  // namespace

CMainToolBar::CMainToolBar()
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CMainToolBar::~CMainToolBar() = default;

bool CMainToolBar::Create(QWidget* parent)
{
    setObjectName("MainToolBar");
    setParent(parent);
    setCursor(CGdiResources::GetInstance()->m_arrowCursor);
    // Moves arrive without a button held, so the hovered button can follow the mouse.
    setMouseTracking(true);
    setGeometry(0, 0, 0, 0);
    if (parent)
        show();
    RegisterButtonImages();
    AddButton(ACTION_SETTINGS, IDB_TOOLBAR_SETTINGS, "设置");
    AddButton(ACTION_HOME_PAGE, IDB_TOOLBAR_WEBSITE, "官网");
    AddButton(ACTION_HELP, IDB_TOOLBAR_HELP, "帮助");
    Layout(width(), height());
    return true;
}

void CMainToolBar::AddButton(int action, int bitmapId, const std::string& caption)
{
    AddBitmapToImageList(&m_imageList, bitmapId);
    auto button = std::make_unique<Button>();
    button->action = action;
    button->image = m_imageList.GetImageCount() - 1;
    button->caption = caption;
    m_buttons.push_back(std::move(button));
}

void CMainToolBar::SetStatusText(const std::string& name, const std::string& location)
{
    m_statusText = name;
    m_locationText = location;
    update(QRect(m_statusRect.left, m_statusRect.top, m_statusRect.Width(), m_statusRect.Height()));
}

void CMainToolBar::RemoveAllButtons()
{
    while (!m_buttons.empty())
        m_buttons.pop_back();
    SetHoverIndex(-1);
}

void CMainToolBar::Layout(int cx, int cy)
{
    const int count = static_cast<int>(m_buttons.size());
    const int bottom = std::max(12, cy);
    for (int i = 0; i < count; ++i) {
        const int left = cx - 95 - (count - 1 - i) * kButtonPitch;
        m_buttons[static_cast<std::size_t>(i)]->rect = Rect(left, 12, left + kButtonWidth, bottom);
    }
    // Between the left end and the first button; a bar too narrow leaves it empty rather than
    // inverted, so the name never runs over the buttons.
    const int free = cx - 95 - kButtonPitch * count;
    Rect status(25 + 10, 12, free - 10, cy - 5);
    status.right = std::max(status.left, status.right);
    status.bottom = std::max(status.top, status.bottom);
    m_statusRect = status;
}

void CMainToolBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout(width(), height());
    update();
}

void CMainToolBar::paintEvent(QPaintEvent*)
{
    const Rect client(0, 0, width(), height());
    QImage image(std::max(1, client.Width()), std::max(1, client.Height()), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        DC dc(&image);
        CGdiResources* resources = CGdiResources::GetInstance();
        Rect middle = client;
        middle.DeflateRect(13, 0, 13, 0);
        DrawBitmapTiled(&dc, middle, resources->GetBitmap(IDB_TOOLBAR_MIDDLE));
        // The caps go on last: they cover the tiles that run past the middle.
        if (const QImage* left = resources->GetBitmap(IDB_TOOLBAR_LEFT))
            dc.Painter().drawImage(QPoint(client.left, client.top), *left, QRect(0, 0, 13, kCapHeight));
        if (const QImage* right = resources->GetBitmap(IDB_TOOLBAR_RIGHT))
            dc.Painter().drawImage(QPoint(client.right - 13, client.top), *right, QRect(0, 0, 13, kCapHeight));

        dc.SetBkMode(TRANSPARENT);
        dc.SelectFont(resources->DefaultFont);
        dc.SetTextColor(zem::RGB(255, 255, 255));  // the skin is dark: black captions would not read
        for (std::size_t i = 0; i < m_buttons.size(); ++i) {
            const Button& button = *m_buttons[i];
            const bool hovered = static_cast<int>(i) == m_hoverIndex;
            m_imageList.Draw(dc, button.image, {button.rect.left - hovered, button.rect.top - hovered});
            Rect caption = button.rect;
            caption.left += 34;
            dc.DrawText(button.caption, caption, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        }

        if (!m_statusText.empty() && !m_statusRect.IsRectEmpty()) {
            dc.SelectFont(resources->TitleFont);
            dc.SetTextColor(zem::RGB(40, 206, 45));
            dc.SetTextCharacterExtra(5);
            Rect box;
            dc.DrawText(m_statusText, box, DT_CALCRECT | DT_SINGLELINE);
            const int x = m_statusRect.left + (m_statusRect.Width() - box.Width()) / 2;
            const int y = m_statusRect.top + (m_statusRect.Height() - box.Height()) / 2;
            // Centred on the rectangle, and kept inside it.
            dc.Painter().save();
            dc.SetClipRect(m_statusRect);
            dc.DrawText(m_statusText, Rect(x, y, x + box.Width(), y + box.Height()), DT_SINGLELINE | DT_NOCLIP);
            dc.Painter().restore();
            dc.SetTextCharacterExtra(0);
        }
    }
    QPainter(this).drawImage(0, 0, image);
}

int CMainToolBar::HitButton(zem::Point point) const
{
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i]->rect.PtInRect(point))
            return static_cast<int>(i);
    return -1;
}

void CMainToolBar::SetHoverIndex(int index)
{
    if (index == m_hoverIndex)
        return;
    m_hoverIndex = index;
    CGdiResources* resources = CGdiResources::GetInstance();
    setCursor(index >= 0 ? resources->m_handCursor : resources->m_arrowCursor);
    update();
}

void CMainToolBar::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    m_tracking = true;
    const QPoint at = event->position().toPoint();
    SetHoverIndex(HitButton({at.x(), at.y()}));
}

void CMainToolBar::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    m_tracking = false;
    SetHoverIndex(-1);
}

void CMainToolBar::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const zem::Point point{at.x(), at.y()};
    if (const int hit = HitButton(point); hit >= 0) {
        RunAction(m_buttons[static_cast<std::size_t>(hit)]->action);
        return;
    }
    if (m_statusRect.PtInRect(point))
        AppServices().ShowTaskInfoDialog();
}

void CMainToolBar::RunAction(int action)
{
    switch (action) {
    case ACTION_SETTINGS:
        AppServices().ShowSettingsDialog();
        break;
    case ACTION_HOME_PAGE:
        OpenWebPage(kHomePageAddress);  // a page that cannot be opened says nothing
        break;
    case ACTION_HELP:
        OpenWebPage(kHelpPageAddress);
        break;
    default:
        break;
    }
}
