#include "table/SchoolLayoutHorz.h"

#include "table/TableTheme.h"

using zem::Point;
using zem::Rect;
using namespace zem::gui;
using namespace school_grid;

SchoolBarPlacement CSchoolLayoutHorz::Refresh(const Rect& k)
{
    SchoolGeometry& g = m_geometry;
    g.headerHeight = 2 * kHeaderRowHeight;
    const int rows = static_cast<int>(m_data.rowTitles.size());
    const int bodyHeight = k.Height() - g.headerHeight;
    g.cellHeight = m_data.hostCellHeight;
    g.lineCount = g.cellHeight > 0 ? std::max(0, bodyHeight / g.cellHeight + 2) : 0;
    g.columnCount = m_data.dayNodes * m_data.DayCount();

    // The bar appears as soon as the lines do not all fit, so that none is out of the mouse's reach.
    g.barNeeded = g.cellHeight > 0 && static_cast<long long>(g.cellHeight) * rows > bodyHeight;
    int usable = k.Width();
    if (g.barNeeded)
        usable -= kBarThickness;

    g.rowTitleWidth = kRowTitleWidth;
    g.cellWidth = 0;
    if (g.columnCount > 0) {
        const int free = std::max(0, usable - kRowTitleWidth);
        g.cellWidth = free / g.columnCount;
        g.rowTitleWidth = kRowTitleWidth + free % g.columnCount;
    }
    g.body = Rect(k.left, g.headerHeight, k.left + usable, k.bottom);
    g.nodeArea = Rect(g.rowTitleWidth, g.headerHeight, k.left + usable, k.bottom);

    SchoolBarPlacement bar;
    bar.vertical = true;
    bar.show = g.barNeeded;
    bar.rect = Rect(g.nodeArea.right + 1, g.nodeArea.top, k.right - 1, k.bottom - 1);
    bar.rect.DeflateRect(1, 1, 0, 1);
    bar.rangeMax = g.cellHeight * rows;
    bar.page = g.body.Height();
    return bar;
}

bool CSchoolLayoutHorz::HitNode(Point point, tagNMT_NODE2* node) const
{
    const SchoolGeometry& g = m_geometry;
    if (!g.nodeArea.PtInRect(point) || g.cellHeight <= 0 || g.cellWidth <= 0)
        return false;
    *node = {(point.y + m_data.vBar.pos - g.nodeArea.top) / g.cellHeight, (point.x - g.nodeArea.left) / g.cellWidth};
    return true;
}

Rect CSchoolLayoutHorz::GetNodeRect(int row, int col) const
{
    const SchoolGeometry& g = m_geometry;
    if (g.cellWidth <= 0 || g.cellHeight <= 0)
        return {};
    const int left = 1 + g.rowTitleWidth + col * g.cellWidth;
    const int top = g.nodeArea.top + row * g.cellHeight - m_data.vBar.pos;
    return Rect(left, top, left + g.cellWidth, top + g.cellHeight);
}

int CSchoolLayoutHorz::FirstVisible() const
{
    return m_geometry.cellHeight > 0 ? m_data.vBar.pos / m_geometry.cellHeight - 1 : 0;
}

int CSchoolLayoutHorz::LastVisible() const
{
    return FirstVisible() + m_geometry.lineCount - 1;
}

bool CSchoolLayoutHorz::IsNodeShown(const CSchoolTableNode& node, int first, int last) const
{
    const int row = node.GetRow();
    return row >= first && row <= last && row < static_cast<int>(m_data.rowTitles.size()) &&
           node.GetColumn() < m_geometry.columnCount;
}

bool CSchoolLayoutHorz::IsCellShown(int row, int col, int first, int last) const
{
    return row >= first && row <= last && col >= 0 && col < m_geometry.columnCount;
}

void CSchoolLayoutHorz::MeasureTexts(DC& dc, CSchoolTableNode& node, const Rect& text) const
{
    // Main text above the middle and secondary text below it, or the main text alone in the middle;
    // two entries take a half each, the lower one below the rule between them.
    const auto entry = [&](int k, const Rect& area) {
        PrepareEntry(dc, node, k, {UpperHalf(area), TextVAlign::Bottom}, {LowerHalf(area), TextVAlign::Top}, {area});
    };
    if (node.EntryCount() == 1) {
        entry(0, text);
    } else if (node.EntryCount() == 2) {
        entry(0, UpperHalf(text));
        Rect lower = LowerHalf(text);
        lower.top += 1;
        entry(1, lower);
    }
}

void CSchoolLayoutHorz::Draw(DC& dc, const Rect& d)
{
    const CTableTheme& theme = CTableTheme::Instance();
    const SchoolGeometry& g = m_geometry;
    const Rect r = GridFrame(dc, d);
    const int rows = static_cast<int>(m_data.rowTitles.size());
    const int h = g.cellHeight;
    const int first = FirstVisible(), last = LastVisible();

    // Lines: bands of alternating colour, a grid line under each and a double one under the last.
    int lastBandBottom = -1;
    for (int row = std::max(0, first); h > 0 && row <= last && row < rows; ++row) {
        const int y = g.nodeArea.top + row * h - m_data.vBar.pos;
        const zem::COLORREF band = row % 2 ? theme.GetRowBColor() : theme.GetRowCColor();
        dc.FillSolidRect(Rect(r.left, y, g.body.right, y + h - 1), band);
        lastBandBottom = y + h;
    }
    if (lastBandBottom >= 0)
        HorzLine(dc, r.left, g.body.right, lastBandBottom, 2);

    DrawNodes(dc, first, last);

    dc.SelectFont(m_data.titleFont);
    for (int row = std::max(0, first); h > 0 && row <= last && row < rows; ++row) {
        Rect title(r.left, g.nodeArea.top + row * h - m_data.vBar.pos, r.left + g.rowTitleWidth, 0);
        title.bottom = title.top + h;
        title.DeflateRect(2);
        const std::size_t i = static_cast<std::size_t>(row);
        DrawTitle(dc, m_data.rowTitleLayouts[i], m_data.rowTitles[i], title, false);
    }
    DrawHeader(dc, d, r);
}

void CSchoolLayoutHorz::DrawHeader(DC& dc, const Rect& d, const Rect& r) const
{
    const CTableTheme& theme = CTableTheme::Instance();
    const SchoolGeometry& g = m_geometry;
    const int w = g.cellWidth, n = m_data.dayNodes;
    const int header = 2 * kHeaderRowHeight;
    dc.FillSolidRect(Rect(r.left + 1, r.top + 1, r.right - 1, r.top + header), theme.GetTitleBkColor());
    HorzLine(dc, r.left + 1, r.right - 1, r.top, 2);
    HorzLine(dc, r.left + 1, r.right - 1, r.bottom, 2);
    HorzLine(dc, r.left + 1, g.barNeeded ? d.right - 1 - kBarThickness : d.right - 1, r.top + kHeaderRowHeight, 1);
    HorzLine(dc, r.left + 1, r.right - 1, r.top + header, 1);
    for (int j = 0; j <= g.columnCount; ++j) {
        const int x = r.left + g.rowTitleWidth + j * w;
        if (n > 0 && j % n == 0)
            VertLine(dc, x, r.top + 1, r.bottom - 1, 2);
        else
            VertLine(dc, x, r.top + kHeaderRowHeight + 1, r.bottom - 1, 1);
    }

    // Day names over their periods, period labels under them, and the corner.
    dc.SetTextColor(theme.GetTitleTextColor());
    const int extra = dc.SetTextCharacterExtra(2);
    const int left = r.left + g.rowTitleWidth;
    for (int day = 0; n > 0 && day < m_data.DayCount(); ++day) {
        const Rect band(left + day * n * w, r.top, left + (day + 1) * n * w, r.top + kHeaderRowHeight);
        dc.DrawText(m_data.days[static_cast<std::size_t>(day)], band, kOneLine);
        for (int j = 0; j < n; ++j) {
            const int x = band.left + j * w;
            DrawPeriodLabel(dc, j, Rect(x, r.top + kHeaderRowHeight, x + w, r.top + header));
        }
    }
    dc.DrawText("星期", Rect(r.left, r.top, left, r.top + kHeaderRowHeight), kOneLine);
    dc.DrawText("节次", Rect(r.left, r.top + kHeaderRowHeight, left, r.top + header), kOneLine);
    dc.SetTextCharacterExtra(extra);
}
