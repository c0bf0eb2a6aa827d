#include "app/controls/HoverButton.h"
#include "app/controls/GdiResources.h"

#include "platform/gui/Dialog.h"
#include "platform/gui/QtText.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <algorithm>
#include <array>

using zem::COLORREF;
using zem::Rect;
using zem::RGB;
using zem::gui::DC;

namespace {

// Window edge sizes the inner rectangle leaves out.
constexpr int kEdgeX = 2;
constexpr int kEdgeY = 2;

constexpr COLORREF kFrameColor = RGB(107, 141, 162);
constexpr COLORREF kShadowColor = RGB(160, 160, 160);     // embossed text, dark part
constexpr COLORREF kHighlightColor = RGB(255, 255, 255);  // embossed text, light part

struct EdgePens {
    struct Pen {
        int width;
        COLORREF color;
    };
    Pen left, top, right, bottom;
};
constexpr EdgePens kHoverPens{{3, RGB(250, 196, 88)}, {2, RGB(252, 210, 121)}, {3, RGB(251, 202, 106)},
                              {2, RGB(229, 151, 0)}};
constexpr EdgePens kFocusPens{{3, RGB(153, 198, 252)}, {2, RGB(162, 201, 255)}, {3, RGB(162, 189, 252)},
                              {2, RGB(162, 201, 255)}};

// A thick pen's line lies centred on its path: both end points are covered.
void ThickLine(DC& dc, int x0, int y0, int x1, int y1, const EdgePens::Pen& pen)
{
    const int half = pen.width / 2;
    if (x0 == x1) {
        const int top = std::min(y0, y1), bottom = std::max(y0, y1);
        dc.FillSolidRect(x0 - half, top, pen.width, bottom - top + 1, pen.color);
    } else {
        const int left = std::min(x0, x1), right = std::max(x0, x1);
        dc.FillSolidRect(left, y0 - half, right - left + 1, pen.width, pen.color);
    }
}

int Component(int value, int minus)
{
    return std::clamp(value - minus, 0, 255);
}

}  // namespace

CHoverButton::CHoverButton(QWidget* parent) : QPushButton(parent)
{
    setAttribute(Qt::WA_Hover, true);
}

CHoverButton::CHoverButton(std::string_view caption, QWidget* parent) : CHoverButton(parent)
{
    setText(zem::gui::ToQ(caption));
}

bool CHoverButton::CreateButton(QWidget* parent, std::string_view caption, int id)
{
    if (!parent)
        return false;
    setParent(parent);
    setText(zem::gui::ToQ(caption));
    setGeometry(0, 0, 0, 0);
    if (auto* dialog = dynamic_cast<zem::gui::Dialog*>(parent))
        dialog->AddControl(id, this);
    show();
    return true;
}

void CHoverButton::SetBkColor(COLORREF color)
{
    m_bkColor = color;
    update();
}

unsigned CHoverButton::ItemState() const
{
    unsigned state = 0;
    if (isDown())
        state |= ODS_SELECTED;
    if (!isEnabled())
        state |= ODS_DISABLED;
    if (hasFocus())
        state |= ODS_FOCUS;
    if (isDefault())
        state |= ODS_DEFAULT;
    return state;
}

void CHoverButton::DrawItem(DC& dc, const Rect& rect, unsigned state)
{
    const QString caption = text().left(260);

    // Outline over the item rectangle; its inside is the context's white brush.
    {
        QPainter& painter = dc.Painter();
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(zem::gui::ToQColor(kFrameColor));
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1), 2.5, 2.5);
        painter.restore();
    }

    m_focused = (state & ODS_FOCUS) ? 1 : 0;
    m_emphasised = (m_focused || (state & (ODS_SELECTED | ODS_DEFAULT))) ? 1 : 0;

    Rect inner = rect;
    inner.DeflateRect(kEdgeX, kEdgeY, kEdgeX, kEdgeY);
    DrawBackground(dc, inner);
    if (m_hovered || m_focused)
        DrawFocus(dc, inner);

    if (caption.isEmpty())
        return;
    dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
    QPainter& painter = dc.Painter();
    painter.save();
    painter.setFont(CGdiResources::GetInstance()->DefaultFont.GetQFont());
    const QFontMetrics metrics(painter.font());
    const int width = metrics.horizontalAdvance(caption);
    int x = (inner.left + inner.right) / 2 - width / 2;
    if (caption.contains(u'&'))
        x += metrics.horizontalAdvance(u'&') / 2;  // the prefix character is not drawn
    int y = (inner.top + inner.bottom) / 2 - metrics.height() / 2;
    if (state & ODS_SELECTED) {
        ++x;
        ++y;
    }
    const QRect box(x, y, std::max(width, 1) + 4, metrics.height());
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextSingleLine;
    if (state & ODS_DISABLED) {
        painter.setPen(zem::gui::ToQColor(kHighlightColor));
        painter.drawText(box.translated(1, 1), flags, caption);
        painter.setPen(zem::gui::ToQColor(kShadowColor));
    } else {
        painter.setPen(Qt::black);
    }
    painter.drawText(box, flags, caption);
    painter.restore();
}

void CHoverButton::DrawBackground(DC& dc, const Rect& inner)
{
    const int r = zem::GetRValue(m_bkColor), g = zem::GetGValue(m_bkColor), b = zem::GetBValue(m_bkColor);
    std::array<COLORREF, 64> brushes{};
    for (int i = 0; i < 64; ++i) {
        int a = 0, c = 0;
        if (m_hovered) {
            a = i / 4;
            c = m_emphasised ? i / 3 : i / 5;
        } else {
            a = i / 3;
            c = m_emphasised ? i / 4 : i / 5;
        }
        brushes[static_cast<std::size_t>(i)] = RGB(Component(r, a), Component(g, a), Component(b, c));
    }
    const int height = inner.Height();
    for (int k = 0; k <= height; ++k) {
        const int index = height > 0 ? 63 * k / height : 0;
        dc.FillSolidRect(inner.left, inner.top + k, inner.Width(), 1, brushes[static_cast<std::size_t>(index)]);
    }
}

void CHoverButton::DrawFocus(DC& dc, const Rect& inner)
{
    const bool focusLook = m_focused && !m_hovered;
    const EdgePens& pens = focusLook ? kFocusPens : kHoverPens;
    const int l = inner.left, t = inner.top, r = inner.right, b = inner.bottom;
    ThickLine(dc, l, b - 1, l, t + 1, pens.left);
    ThickLine(dc, r - 1, b - 1, r - 1, t, pens.right);
    ThickLine(dc, l - 1, t, r - 1, t, pens.top);
    ThickLine(dc, l, b, r - 1, b, pens.bottom);
    if (focusLook)
        dc.DrawFocusRect(inner);
}

void CHoverButton::paintEvent(QPaintEvent*)
{
    if (width() <= 0 || height() <= 0)
        return;
    QImage buffer(width(), height(), QImage::Format_RGB32);
    buffer.fill(palette().window().color());
    {
        DC dc(&buffer);
        DrawItem(dc, Rect(0, 0, width(), height()), ItemState());
    }
    QPainter(this).drawImage(0, 0, buffer);
}

void CHoverButton::enterEvent(QEnterEvent* event)
{
    m_hovered = 1;
    update();
    QPushButton::enterEvent(event);
}

void CHoverButton::leaveEvent(QEvent* event)
{
    m_hovered = 0;
    update();
    QPushButton::leaveEvent(event);
}

void CHoverButton::resizeEvent(QResizeEvent* event)
{
    QPushButton::resizeEvent(event);
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width(), height()), 6, 6);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void CHoverButton::focusInEvent(QFocusEvent* event)
{
    QPushButton::focusInEvent(event);
    update();
}

void CHoverButton::focusOutEvent(QFocusEvent* event)
{
    QPushButton::focusOutEvent(event);
    update();
}

CFlatEdit::CFlatEdit(QWidget* parent) : QLineEdit(parent)
{
    setFrame(false);
    setTextMargins(2, 1, 2, 1);
}

bool CFlatEdit::CreateFlat(const Rect& rect, QWidget* parent, int id)
{
    if (!parent)
        return false;
    setParent(parent);
    setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    if (auto* dialog = dynamic_cast<zem::gui::Dialog*>(parent))
        dialog->AddControl(id, this);
    show();
    return true;
}

void CFlatEdit::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    // The border is one flat light-grey line instead of a sunken edge.
    QPainter painter(this);
    painter.setPen(zem::gui::ToQColor(kFrameColor));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}
