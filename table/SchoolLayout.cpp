#include "table/SchoolLayout.h"

#include "base/CellRecord.h"
#include "table/TableTheme.h"
#include "table/TextFit.h"

using zem::COLORREF;
using zem::Point;
using zem::Rect;
using zem::RGB;
using namespace zem::gui;
using namespace school_grid;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kSecondaryText = RGB(255, 0, 0);
constexpr COLORREF kDimmedText = RGB(168, 168, 168);
constexpr COLORREF kTitleUpperText = RGB(129, 129, 129);

}  // namespace

bool CSchoolLayout::OnPickedLine(int row, int col) const
{
    return ObjectsAreRows() ? row == m_data.pick.row : col == m_data.pick.column;
}

bool CSchoolLayout::IsFriendOfPick(int row, int col) const
{
    const int key = ObjectsAreRows() ? col : row;
    return std::find(m_data.friends.begin(), m_data.friends.end(), key) != m_data.friends.end();
}

Rect CSchoolLayout::GridFrame(DC& dc, const Rect& d)
{
    dc.FillSolidRect(d, kGridColor);
    Rect r = d;
    r.DeflateRect(1);
    return r;
}

void CSchoolLayout::HorzLine(DC& dc, int left, int right, int y, int width)
{
    dc.FillSolidRect(Rect(left, y - width / 2, right, y - width / 2 + width), kGridColor);
}

void CSchoolLayout::VertLine(DC& dc, int x, int top, int bottom, int width)
{
    dc.FillSolidRect(Rect(x - width / 2, top, x - width / 2 + width, bottom), kGridColor);
}

Rect CSchoolLayout::UpperHalf(const Rect& r)
{
    return Rect(r.left, r.top, r.right, r.top + r.Height() / 2);
}

Rect CSchoolLayout::LowerHalf(const Rect& r)
{
    return Rect(r.left, r.top + r.Height() / 2, r.right, r.bottom);
}

void CSchoolLayout::PrepareEntry(DC& dc, CSchoolTableNode& node, int k, const TextSlot& mainSlot,
                                 const TextSlot& secondarySlot, const TextSlot& alone) const
{
    SchoolNodeLayout& layout = node.Layout();
    const std::size_t i = static_cast<std::size_t>(k);
    const zem::CellEntry& entry = node.Entry(k);
    const TextPair texts =
        FitTextPair(entry.main, m_data.mainFont, mainSlot, entry.secondary, m_data.secondaryFont, secondarySlot, alone);
    dc.SelectFont(m_data.mainFont);
    layout.main[i].Prepare(dc, texts.main);
    dc.SelectFont(m_data.secondaryFont);
    layout.secondary[i].Prepare(dc, texts.secondary);
    layout.shortened = layout.shortened || !texts.whole;
}

Rect CSchoolLayout::TextArea(const Rect& node) const
{
    Rect text = node;
    text.DeflateRect(2);
    return text;
}

void CSchoolLayout::DrawEntryRule(DC& dc, const Rect& text) const
{
    HorzLine(dc, text.left + 1, text.right - 1, text.top + text.Height() / 2, 1);
}

void CSchoolLayout::PlaceNode(DC& dc, CSchoolTableNode& node) const
{
    SchoolNodeLayout& layout = node.Layout();
    const Rect rect = GetNodeRect(node.GetRow(), node.GetColumn());
    const bool sameSize = rect.Width() == layout.rect.Width() && rect.Height() == layout.rect.Height();
    if (sameSize && !layout.dirty) {
        layout.MoveTo(rect);
        return;
    }
    layout.rect = rect;
    layout.main = {};
    layout.secondary = {};
    layout.shortened = false;
    MeasureTexts(dc, node, TextArea(rect));
    layout.dirty = false;
}

void CSchoolLayout::DrawPickFills(DC& dc, int first, int last) const
{
    if (!m_data.picked)
        return;
    // Every friend of the pick and the pick itself, whether or not a node fills the cell.
    const CTableTheme& theme = CTableTheme::Instance();
    const auto fill = [&](int row, int col, COLORREF color) {
        if (!IsCellShown(row, col, first, last))
            return;
        Rect r = GetNodeRect(row, col);
        if (r.IsRectEmpty())
            return;
        r.DeflateRect(1);
        dc.FillSolidRect(r, color);
    };
    const tagNMT_NODE2& pick = m_data.pick;
    for (int key : m_data.friends) {
        if (ObjectsAreRows())
            fill(pick.row, key, theme.GetFriendColor());
        else
            fill(key, pick.column, theme.GetFriendColor());
    }
    fill(pick.row, pick.column, theme.GetPickedColor());
}

void CSchoolLayout::DrawNodes(DC& dc, int first, int last)
{
    DrawPickFills(dc, first, last);

    // Place and lay out what shows, then draw all main texts and all secondary texts, one font each.
    std::vector<const CSchoolTableNode*> shown;
    shown.reserve(m_data.nodes.size());
    for (const auto& owned : m_data.nodes) {
        CSchoolTableNode& node = *owned;
        if (node.EntryCount() == 0 || !IsNodeShown(node, first, last))
            continue;
        PlaceNode(dc, node);
        shown.push_back(&node);
    }

    dc.SetBkMode(TRANSPARENT);
    for (const bool secondary : {false, true}) {
        dc.SelectFont(secondary ? m_data.secondaryFont : m_data.mainFont);
        for (const CSchoolTableNode* node : shown) {
            const bool dimmed = m_data.picked && !OnPickedLine(node->GetRow(), node->GetColumn());
            const COLORREF color = dimmed ? kDimmedText : secondary ? kSecondaryText : kBlack;
            const SchoolNodeLayout& layout = node->Layout();
            for (std::size_t k = 0; k < static_cast<std::size_t>(node->EntryCount()); ++k)
                (secondary ? layout.secondary : layout.main)[k].Draw(dc, 0, 0, color);
        }
    }

    for (const CSchoolTableNode* node : shown) {
        if (node->EntryCount() != 2)
            continue;
        DrawEntryRule(dc, TextArea(node->Layout().rect));
    }
}

void CSchoolLayout::DrawTitle(DC& dc, SchoolTitleLayout& layout, const std::string& title, const Rect& rect,
                              bool fitSingle) const
{
    const zem::Size size{rect.Width(), rect.Height()};
    if (layout.size != size) {
        // Laid out once for the cell size, relative to the cell's corner.
        layout.size = size;
        const zem::TitleLines lines = zem::ReadTitleLines(title);
        layout.twoLines = lines.twoLines;
        const Rect origin(0, 0, size.cx, size.cy);
        if (!layout.twoLines) {
            layout.upper.Prepare(dc, FitText(dc, title, {origin, TextVAlign::Center, TextHAlign::Center, fitSingle}));
        } else {
            layout.upper.Prepare(dc, FitText(dc, lines.upper, {UpperHalf(origin), TextVAlign::Bottom}));
            layout.lower.Prepare(dc, FitText(dc, lines.lower, {LowerHalf(origin), TextVAlign::Top}));
        }
    }
    layout.upper.Draw(dc, rect.left, rect.top, layout.twoLines ? kTitleUpperText : kBlack);
    if (layout.twoLines)
        layout.lower.Draw(dc, rect.left, rect.top, kBlack);
}

void CSchoolLayout::DrawPeriodLabel(DC& dc, int period, const Rect& rect) const
{
    // The label's first row carries the grid line above it.
    Rect box = rect;
    box.top += 1;
    DrawFittedText(dc, m_data.PeriodLabel(period), {box, TextVAlign::Center, TextHAlign::Center, false});
}

// ---- CSchoolColumnLayout

Rect CSchoolColumnLayout::TextArea(const Rect& node) const
{
    // The grid line of a line lies on its cells' second row, so that their last rows are free.
    Rect text = node;
    text.DeflateRect(2, 2, 2, 0);
    return text;
}

int CSchoolColumnLayout::FirstVisible() const
{
    return m_geometry.cellWidth > 0 ? m_data.hBar.pos / m_geometry.cellWidth - 1 : 0;
}

int CSchoolColumnLayout::LastVisible() const
{
    const SchoolGeometry& g = m_geometry;
    return g.cellWidth > 0 ? (g.body.Width() + m_data.hBar.pos) / g.cellWidth + 1 : -1;
}

bool CSchoolColumnLayout::IsCellShown(int row, int col, int, int) const
{
    return row >= 0 && row < m_data.dayNodes * m_data.DayCount() && col >= 0;
}

bool CSchoolColumnLayout::HitCell(Point point, int* line, int* displayColumn) const
{
    const SchoolGeometry& g = m_geometry;
    if (!g.nodeArea.PtInRect(point) || g.cellHeight <= 0 || g.cellWidth <= 0)
        return false;
    *line = (point.y - g.nodeArea.top) / g.cellHeight;
    *displayColumn = (point.x + m_data.hBar.pos - g.nodeArea.left) / g.cellWidth;
    return true;
}

Rect CSchoolColumnLayout::CellRect(int line, int displayColumn) const
{
    const SchoolGeometry& g = m_geometry;
    if (g.cellWidth <= 0 || g.cellHeight <= 0)
        return {};
    const int left = g.body.left + displayColumn * g.cellWidth - m_data.hBar.pos;
    const int top = g.nodeArea.top + line * g.cellHeight;
    return Rect(left, top, left + g.cellWidth, top + g.cellHeight);
}
