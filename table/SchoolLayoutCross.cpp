#include "table/SchoolLayoutCross.h"

#include "table/TableTheme.h"

using zem::Point;
using zem::Rect;
using namespace zem::gui;
using namespace school_grid;

SchoolBarPlacement CSchoolLayoutCross::Refresh(const Rect& k)
{
    SchoolGeometry& g = m_geometry;
    const int titles = static_cast<int>(m_data.colTitles.size());
    const int days = m_data.DayCount();
    g.lineCount = m_data.dayNodes;
    g.cellWidth = 24;
    g.headerHeight = m_data.bigNameMode ? 120 : 80;
    g.barNeeded = false;
    int usable = k.Height();
    g.leftMargin = kTitleColumnWidth;

    const int free = k.Width() - g.leftMargin;
    int visible = std::max(0, free / g.cellWidth);
    if (visible < titles * days) {
        g.barNeeded = true;
        usable -= kBarThickness;
    } else {
        if (days > 0)
            visible -= visible % days;
        if (visible > 0) {
            g.cellWidth = free / visible;
            g.leftMargin = k.Width() - g.cellWidth * visible;
        }
    }
    g.columnCount = visible;

    g.cellHeight = 0;
    if (g.lineCount > 0) {
        g.cellHeight = std::max(0, (usable - kHeaderRowHeight - g.headerHeight) / g.lineCount);
        g.headerHeight = usable - kHeaderRowHeight - g.cellHeight * g.lineCount;
    }
    g.body = Rect(k.left + g.leftMargin, k.top, k.right, usable);
    g.nodeArea = g.body;
    g.nodeArea.top += kHeaderRowHeight + g.headerHeight;

    g.columnsPerDay = days > 0 ? visible / days : 0;
    g.columnsPerDay = std::max(g.columnsPerDay, titles);

    SchoolBarPlacement bar;
    bar.show = g.barNeeded;
    bar.rect = Rect(g.nodeArea.left + 1, g.nodeArea.bottom + 2, k.right - 1, k.bottom - 2);
    bar.rangeMax = titles * g.cellWidth * days;
    bar.page = g.nodeArea.Width();
    return bar;
}

bool CSchoolLayoutCross::HitNode(Point point, tagNMT_NODE2* node) const
{
    const int perDay = m_geometry.columnsPerDay;
    int line = 0, column = 0;
    if (perDay <= 0 || !HitCell(point, &line, &column))
        return false;
    *node = {line + column / perDay * m_data.dayNodes, column % perDay};
    return true;
}

bool CSchoolLayoutCross::Place(int row, int col, int* displayColumn, int* line) const
{
    const int perDay = m_geometry.columnsPerDay;
    if (m_data.dayNodes <= 0 || perDay <= 0 || col >= perDay)
        return false;
    *displayColumn = col + row / m_data.dayNodes * perDay;
    *line = row % m_data.dayNodes;
    return true;
}

Rect CSchoolLayoutCross::GetNodeRect(int row, int col) const
{
    int displayColumn = 0, line = 0;
    return Place(row, col, &displayColumn, &line) ? CellRect(line, displayColumn) : Rect{};
}

bool CSchoolLayoutCross::IsNodeShown(const CSchoolTableNode& node, int first, int last) const
{
    int displayColumn = 0, line = 0;
    return Place(node.GetRow(), node.GetColumn(), &displayColumn, &line) && displayColumn >= first &&
           displayColumn <= last && node.GetRow() < m_data.dayNodes * m_data.DayCount();
}

void CSchoolLayoutCross::MeasureTexts(DC& dc, CSchoolTableNode& node, const Rect& text) const
{
    if (node.EntryCount() == 1) {
        // The main text above the middle, the secondary text below it.
        Rect lower = UpperHalf(text);
        lower.OffsetRect(0, text.Height() / 2 + 1);
        lower.bottom = std::min(lower.bottom, text.bottom);
        PrepareEntry(dc, node, 0, {UpperHalf(text), TextVAlign::Bottom}, {lower, TextVAlign::Top}, {text});
    } else if (node.EntryCount() == 2) {
        // Two entries one above the other, each with its main text left and its secondary text right;
        // the lower one below the rule between them.
        for (int k = 0; k < 2; ++k) {
            Rect s(text.left, text.top + text.Height() * k / 2, text.right, text.top + text.Height() * (k + 1) / 2);
            if (k == 1)
                s.top += 1;
            const Rect left(s.left, s.top, s.left + s.Width() / 2, s.bottom);
            Rect right = left;
            right.OffsetRect(s.Width() / 2, 0);
            PrepareEntry(dc, node, k, {left, TextVAlign::Bottom}, {right, TextVAlign::Top}, {s});
        }
    }
}

void CSchoolLayoutCross::Draw(DC& dc, const Rect& d)
{
    const CTableTheme& theme = CTableTheme::Instance();
    const SchoolGeometry& g = m_geometry;
    const Rect r = GridFrame(dc, d);
    const int p = m_data.hBar.pos, w = g.cellWidth, h = g.cellHeight, n = m_data.dayNodes;
    const int m = g.leftMargin;
    const int bottom = g.barNeeded ? d.bottom - kBarThickness : r.bottom;
    const int top = r.top + kHeaderRowHeight;

    dc.FillSolidRect(Rect(r.left + m + 1, r.top + 1, r.right - 1, top), theme.GetTitleBkColor());
    const int first = FirstVisible(), last = LastVisible();
    if (w > 0) {
        const int x0 = m - p % w;
        for (int i = 0; i <= g.columnCount; ++i) {
            const int x = x0 + i * w;
            dc.FillSolidRect(Rect(x + 1, top + 1, x + w, bottom - 1),
                             (first + i) % 2 == 0 ? theme.GetRowBColor() : theme.GetRowCColor());
            VertLine(dc, x + w, top + 2, bottom - 2, 1);
        }
        if (h > 0)
            DrawNodes(dc, first, last);
    }

    // Left margin and the lines between periods.
    dc.FillSolidRect(Rect(r.left + 1, r.top + 1, r.left + m - 1, r.bottom), theme.GetTitleBkColor());
    for (int i = 0; i <= n; ++i)
        HorzLine(dc, r.left + 1, r.right - 1, top + g.headerHeight + i * h, 1);
    VertLine(dc, r.left, r.top + 1, r.bottom - 1, 2);
    VertLine(dc, r.right, r.top + 1, r.bottom - 1, 2);

    if (w > 0)
        DrawTitles(dc, r, first, last);

    dc.SetTextColor(theme.GetTitleTextColor());
    for (int j = 0; j < n; ++j) {
        const int y = top + g.headerHeight + j * h;
        DrawPeriodLabel(dc, j, Rect(r.left, y, r.left + m, y + h));
    }
}

void CSchoolLayoutCross::DrawTitles(DC& dc, const Rect& r, int first, int last) const
{
    // Object titles of each day's band, and the day's name over them.
    const CTableTheme& theme = CTableTheme::Instance();
    const SchoolGeometry& g = m_geometry;
    const int p = m_data.hBar.pos, w = g.cellWidth, m = g.leftMargin, q = g.columnsPerDay;
    const int x0 = m - p % w;
    const int top = r.top + kHeaderRowHeight;
    const int titles = static_cast<int>(m_data.colTitles.size());
    dc.SelectFont(m_data.titleFont);
    for (int day = 0; day < m_data.DayCount(); ++day) {
        bool any = false;
        for (int i = 0; i < titles; ++i) {
            const int col = day * q + i;
            if (col < first || col > last)
                continue;
            Rect title(x0 + (col - first - 1) * w, top, x0 + (col - first) * w, top + g.headerHeight);
            title.DeflateRect(2);
            const std::size_t t = static_cast<std::size_t>(i);
            DrawTitle(dc, m_data.colTitleLayouts[t], m_data.colTitles[t], title, true);
            any = true;
        }
        if (!any)
            continue;
        const Rect band(m + day * q * w - p, r.top, m + (day + 1) * q * w - p, top);
        dc.SetTextColor(theme.GetTitleTextColor());
        const int extra = dc.SetTextCharacterExtra(2);
        dc.DrawText(m_data.days[static_cast<std::size_t>(day)], band, kOneLine);
        dc.SetTextCharacterExtra(extra);
        VertLine(dc, band.right, r.top + 1, r.bottom - 1, 2);
    }
}
