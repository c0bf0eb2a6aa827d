#include "table/SchoolLayoutVert.h"

#include "platform/Text.h"
#include "table/TableTheme.h"

using zem::Point;
using zem::Rect;
using namespace zem::gui;
using namespace school_grid;

std::string CSchoolLayoutVert::StackDayName(std::string_view name)
{
    std::string stacked;
    while (!name.empty()) {
        std::string_view line = zem::GbkPrefix(name, 2);
        if (line.empty())  // never stall on a byte that is not a whole character
            line = name.substr(0, zem::Utf8CharLength(name, 0));
        if (!stacked.empty())
            stacked += '\n';
        stacked += line;
        name.remove_prefix(line.size());
    }
    return stacked;
}

SchoolBarPlacement CSchoolLayoutVert::Refresh(const Rect& k)
{
    SchoolGeometry& g = m_geometry;
    const int titles = static_cast<int>(m_data.colTitles.size());
    g.lineCount = m_data.dayNodes * m_data.DayCount();
    g.barNeeded = false;
    int usable = k.Height();
    g.cellWidth = m_data.hostCellWidth;
    const int free = k.Width() - 2 * kTitleColumnWidth;
    g.columnCount = g.cellWidth > 0 ? std::max(0, free / g.cellWidth + 2) : 0;
    if (g.cellWidth > 0 && static_cast<long long>(g.cellWidth) * titles > free) {
        g.barNeeded = true;
        usable -= kBarThickness;
    }

    g.headerHeight = m_data.bigNameMode ? 36 : 24;
    g.cellHeight = 0;
    if (g.lineCount > 0) {
        g.cellHeight = std::max(0, (usable - g.headerHeight) / g.lineCount);
        g.headerHeight = usable - g.cellHeight * g.lineCount;
    }
    g.body = Rect(2 * kTitleColumnWidth, k.top, k.right, usable);
    g.nodeArea = g.body;
    g.nodeArea.top += g.headerHeight;

    SchoolBarPlacement bar;
    bar.show = g.barNeeded;
    bar.rect = Rect(g.nodeArea.left + 1, g.nodeArea.bottom + 2, k.right - 1, k.bottom - 2);
    bar.rangeMax = g.cellWidth * titles;
    bar.page = g.nodeArea.Width();
    return bar;
}

bool CSchoolLayoutVert::HitNode(Point point, tagNMT_NODE2* node) const
{
    return HitCell(point, &node->row, &node->column);
}

Rect CSchoolLayoutVert::GetNodeRect(int row, int col) const
{
    return CellRect(row, col);
}

bool CSchoolLayoutVert::IsNodeShown(const CSchoolTableNode& node, int first, int last) const
{
    return node.GetColumn() >= first && node.GetColumn() <= last && node.GetRow() < m_geometry.lineCount;
}

void CSchoolLayoutVert::DrawEntryRule(DC& dc, const Rect& text) const
{
    VertLine(dc, text.left + text.Width() / 2, text.top + 1, text.bottom - 1, 1);
}

void CSchoolLayoutVert::MeasureTexts(DC& dc, CSchoolTableNode& node, const Rect& text) const
{
    // One line each: the main text right-aligned left of the middle, the secondary text left-aligned
    // right of it, or the main text alone in the middle; two entries take a half each, the right one
    // right of the rule between them.
    const auto entry = [&](int k, const Rect& area, int shift) {
        const Rect left(area.left, area.top, area.left + area.Width() / 2, area.bottom);
        Rect right = left;
        right.OffsetRect(shift, 0);
        right.right = std::min(right.right, area.right);
        PrepareEntry(dc, node, k, {left, TextVAlign::Center, TextHAlign::Right, false},
                     {right, TextVAlign::Center, TextHAlign::Left, false},
                     {area, TextVAlign::Center, TextHAlign::Center, false});
    };
    if (node.EntryCount() == 1) {
        entry(0, text, text.Width() / 2 + 1);
    } else if (node.EntryCount() == 2) {
        for (int k = 0; k < 2; ++k) {
            Rect s(text.left + text.Width() * k / 2, text.top, text.left + text.Width() * (k + 1) / 2, text.bottom);
            if (k == 1)
                s.left += 1;
            entry(k, s, s.Width() / 2);
        }
    }
}

void CSchoolLayoutVert::Draw(DC& dc, const Rect& d)
{
    const CTableTheme& theme = CTableTheme::Instance();
    const SchoolGeometry& g = m_geometry;
    const Rect r = GridFrame(dc, d);
    const int p = m_data.hBar.pos, w = g.cellWidth;
    const int bottom = g.barNeeded ? d.bottom - kBarThickness : d.bottom;
    const int titles = static_cast<int>(m_data.colTitles.size());

    if (w > 0) {
        const int x0 = g.body.left - p % w;
        const int first = FirstVisible(), last = LastVisible();
        // Bands, one per object: even objects take row C as the lines of the horizontal layout do.
        for (int i = 0; i < g.columnCount; ++i) {
            const int x = x0 + i * w;
            dc.FillSolidRect(Rect(x + 1, r.top + 1, x + w, bottom - 1),
                             (first + i) % 2 == 0 ? theme.GetRowBColor() : theme.GetRowCColor());
            if (i < g.columnCount - 1)
                VertLine(dc, x + w, r.top + 1, r.bottom - 1, 1);
            else
                VertLine(dc, x + w - 1, r.top, r.bottom, 2);
        }
        if (g.cellHeight > 0)
            DrawNodes(dc, first, last);

        dc.SelectFont(m_data.titleFont);
        for (int i = std::max(0, first + 1); i <= last - 1 && i < titles; ++i) {
            Rect title(x0 + (i - first - 1) * w, r.top, x0 + (i - first) * w, r.top + g.headerHeight);
            title.DeflateRect(2);
            const std::size_t t = static_cast<std::size_t>(i);
            DrawTitle(dc, m_data.colTitleLayouts[t], m_data.colTitles[t], title, false);
        }
    }
    DrawTitleArea(dc, r, bottom);
}

void CSchoolLayoutVert::DrawTitleArea(DC& dc, const Rect& r, int bottom) const
{
    // The left title area: day names written downwards and the period labels beside them.
    const CTableTheme& theme = CTableTheme::Instance();
    const SchoolGeometry& g = m_geometry;
    const int h = g.cellHeight, header = g.headerHeight, n = m_data.dayNodes;
    const Rect area(r.left + 1, r.top + 1, r.left + 2 * kTitleColumnWidth - 1, r.bottom);
    dc.FillSolidRect(area, theme.GetTitleBkColor());
    VertLine(dc, r.left, r.top + 1, r.bottom - 1, 2);
    VertLine(dc, r.right, r.top + 1, r.bottom - 1, 2);
    VertLine(dc, r.left + kTitleColumnWidth, r.top + header, bottom - 1, 1);
    VertLine(dc, r.left + 2 * kTitleColumnWidth, r.top + 1, r.bottom - 1, 1);
    for (int i = 0; i <= g.lineCount; ++i) {
        const int y = r.top + header + i * h;
        if (n == 0 || i % n == 0)
            HorzLine(dc, r.left + 1, r.right - 1, y, 2);
        else
            HorzLine(dc, r.left + kTitleColumnWidth + 1, r.right - 1, y, 1);
    }

    dc.SelectFont(m_data.titleFont);
    dc.SetTextColor(theme.GetTitleTextColor());
    const int extra = dc.SetTextCharacterExtra(2);
    for (int day = 0; n > 0 && day < m_data.DayCount(); ++day) {
        const Rect band(r.left, r.top + header + day * n * h, r.left + kTitleColumnWidth,
                        r.top + header + (day + 1) * n * h);
        const std::string name = StackDayName(m_data.days[static_cast<std::size_t>(day)]);
        Rect measured = band;
        dc.DrawText(name, measured, DT_CALCRECT | DT_CENTER);
        Rect text = band;
        if (band.Height() > measured.Height())
            text.top += (band.Height() - measured.Height()) / 2;
        dc.DrawText(name, text, DT_CENTER);
        for (int j = 0; j < n; ++j) {
            const int y = band.top + j * h;
            DrawPeriodLabel(dc, j, Rect(r.left + kTitleColumnWidth, y, r.left + 2 * kTitleColumnWidth, y + h));
        }
    }
    dc.SetTextCharacterExtra(extra);
}
