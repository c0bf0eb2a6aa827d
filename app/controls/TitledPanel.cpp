#include "app/controls/TitledPanel.h"

#include "app/controls/GdiResources.h"

#include <algorithm>

using zem::Rect;
using namespace zem::gui;

namespace {

// The rectangle with its right and bottom edges never before its left and top ones.
Rect Ordered(Rect r)
{
    r.right = std::max(r.left, r.right);
    r.bottom = std::max(r.top, r.bottom);
    return r;
}

// A rounded rectangle outlined in the pen colour and filled with the brush colour, its corners
// ellipses of w x h; like every filled shape here, it leaves out the right and bottom edge.
void RoundRect(DC& dc, const Rect& r, int w, int h, zem::COLORREF pen, zem::COLORREF brush)
{
    if (r.IsRectEmpty())
        return;
    QPainter& p = dc.Painter();
    p.save();
    p.setPen(ToQColor(pen));
    p.setBrush(ToQColor(brush));
    const QRect outline(r.left, r.top, r.Width() - 1, r.Height() - 1);
    if (outline.width() > 0 && outline.height() > 0)
        p.drawRoundedRect(outline, w / 2.0, h / 2.0);
    else
        p.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToQColor(pen));
    p.restore();
}

}  // namespace

void CTitledPanel::SetRect(int left, int top, int right, int bottom)
{
    m_panelRect = Ordered(Rect(left, top, right, bottom));
    const Rect& panel = m_panelRect;
    m_titleRect = Ordered(Rect(panel.left + 6, panel.top + 1, panel.right - 6, std::min(panel.top + m_titleHeight, panel.bottom)));
    m_bodyRect = Ordered(Rect(panel.left + 3, m_titleRect.bottom + 2, panel.right - 3, panel.bottom - 2));
}

void CTitledPanel::Draw(DC& dc) const
{
    if (m_panelRect.IsRectEmpty())
        return;
    QPainter& p = dc.Painter();
    p.save();
    p.setClipRect(QRect(m_panelRect.left, m_panelRect.top, m_panelRect.Width(), m_panelRect.Height()),
                  Qt::IntersectClip);

    RoundRect(dc, m_panelRect, 8, 8, m_frameColor, m_bkColor);
    // The band: rounded at the top, squared off at the title's bottom by the body's background.
    Rect band = m_panelRect;
    band.DeflateRect(1);
    band.bottom = std::min(band.bottom, m_titleRect.bottom + 10);
    RoundRect(dc, band, 8, 8, m_bkColor, m_titleBkColor);
    band.top = m_titleRect.bottom;
    dc.FillSolidRect(band, m_bkColor);  // outline and fill are both the background

    const int oldMode = dc.SetBkMode(TRANSPARENT);
    const Font oldFont = dc.GetFont();
    dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
    const zem::COLORREF oldColor = dc.SetTextColor(m_titleTextColor);
    if (!m_title.empty())
        dc.DrawText(m_title, m_titleRect, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    // The remark is a hint: in a band too narrow for both it gives way, never overlapping the title.
    const int titleWidth = m_title.empty() ? 0 : dc.GetTextExtent(m_title).cx + 16;
    if (!m_remark.empty() && titleWidth + dc.GetTextExtent(m_remark).cx <= m_titleRect.Width()) {
        dc.SetTextColor(zem::RGB(129, 129, 129));
        dc.DrawText(m_remark, m_titleRect, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    }
    dc.SetTextColor(oldColor);
    dc.SelectFont(oldFont);
    dc.SetBkMode(oldMode);
    p.restore();
}
