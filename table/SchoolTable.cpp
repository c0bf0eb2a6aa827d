#include "table/SchoolTable.h"

#include "platform/Text.h"
#include "table/CellStatic.h"
#include "table/TableItem.h"
#include "table/TableTheme.h"
#include "table/UICore.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <algorithm>

using zem::COLORREF;
using zem::Point;
using zem::Rect;
using zem::RGB;
using namespace zem::gui;

namespace {

constexpr char kSeparator = 7;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kSecondaryText = RGB(255, 0, 0);
constexpr COLORREF kDimmedText = RGB(168, 168, 168);
constexpr COLORREF kTitleUpperText = RGB(129, 129, 129);
constexpr unsigned kOneLine = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
constexpr int kWheelNotch = 120;
constexpr int kWheelStep = 5 * 5;

std::vector<std::string> SplitParts(std::string_view text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(kSeparator, start);
        parts.emplace_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

// Lines as the pens of the grid draw them: a 2-pixel line covers the pixel before its coordinate too.
void HorzLine(DC& dc, int left, int right, int y, int width)
{
    dc.FillSolidRect(Rect(left, y - width / 2, right, y - width / 2 + width), CSchoolTable::kGridColor);
}

void VertLine(DC& dc, int x, int top, int bottom, int width)
{
    dc.FillSolidRect(Rect(x - width / 2, top, x - width / 2 + width, bottom), CSchoolTable::kGridColor);
}

// Fills the drawing rectangle with the grid colour and returns the frame the layouts draw in.
Rect GridFrame(DC& dc, const Rect& d)
{
    dc.FillSolidRect(d, CSchoolTable::kGridColor);
    Rect r = d;
    r.DeflateRect(1);
    return r;
}

Rect UpperHalf(const Rect& r)
{
    return Rect(r.left, r.top, r.right, r.top + r.Height() / 2);
}

Rect LowerHalf(const Rect& r)
{
    return Rect(r.left, r.top + r.Height() / 2, r.right, r.bottom);
}

// Fits the text into the rectangle and shapes it in the DC's current font.
void Fit(DC& dc, PreparedText& out, std::string_view text, const Rect& rect, TextVAlign align)
{
    const FittedText fitted = FitText(dc, text, rect, align);
    out.Prepare(dc, text, fitted.rect, fitted.format);
}

}  // namespace

// ---- CSchoolTableNode

CSchoolTableNode::CSchoolTableNode(int row, int column, std::string text) : m_row(row), m_column(column)
{
    SetText(std::move(text));
}

void CSchoolTableNode::SetText(std::string text)
{
    m_text = std::move(text);
    m_parts = SplitParts(m_text);
    m_dirty = true;
}

void CSchoolTableNode::ExchangeContent(CSchoolTableNode& other)
{
    std::swap(m_text, other.m_text);
    std::swap(m_tip, other.m_tip);
    std::swap(m_parts, other.m_parts);
    m_dirty = other.m_dirty = true;
}

int CSchoolTableNode::EntryCount() const
{
    switch (m_parts.size()) {
    case 4:
        return 1;
    case 7:
        return 2;
    default:
        return 0;
    }
}

void CSchoolTableNode::MoveTo(const Rect& rect)
{
    const int dx = rect.left - m_rect.left, dy = rect.top - m_rect.top;
    if (dx == 0 && dy == 0)
        return;
    for (int k = 0; k < 2; ++k) {
        m_main[static_cast<std::size_t>(k)].Offset(dx, dy);
        m_secondary[static_cast<std::size_t>(k)].Offset(dx, dy);
    }
    m_rect = rect;
}

// ---- CSchoolTable: data

CSchoolTable::CSchoolTable() : m_tip(std::make_unique<CTableTipWnd>())
{
    setMouseTracking(true);
    const std::string face = CUICore::instance()->GetDefaultFontName();
    m_mainFont = Font::FromPoints(90, face);
    m_secondaryFont = Font::FromPoints(70, face);
    m_titleFont = Font::FromPoints(90, face);

    m_hScrollBar = new QScrollBar(Qt::Horizontal, this);
    m_vScrollBar = new QScrollBar(Qt::Vertical, this);
    for (QScrollBar* bar : {m_hScrollBar, m_vScrollBar}) {
        bar->hide();
        bar->setSingleStep(kScrollLine);
        const bool vertical = bar == m_vScrollBar;
        // The bar's own steps are replaced by the grid's, then the position it settles on is taken.
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, vertical](int action) {
            const ScrollState& state = vertical ? m_vBar : m_hBar;
            unsigned code = SB_ENDSCROLL;
            int thumb = bar->sliderPosition();
            switch (action) {
            case QAbstractSlider::SliderSingleStepSub:
                code = SB_LINEUP;
                break;
            case QAbstractSlider::SliderSingleStepAdd:
                code = SB_LINEDOWN;
                break;
            case QAbstractSlider::SliderPageStepSub:
                code = SB_PAGEUP;
                break;
            case QAbstractSlider::SliderPageStepAdd:
                code = SB_PAGEDOWN;
                break;
            default:
                code = SB_THUMBTRACK;
                break;
            }
            bar->setSliderPosition(ScrollTarget(state, code, thumb));
        });
        connect(bar, &QAbstractSlider::valueChanged, this,
                [this, vertical](int value) { ScrollTo(vertical ? m_vBar : m_hBar, value); });
    }
}

CSchoolTable::~CSchoolTable() = default;

void CSchoolTable::Init(QWidget* parent, zem::MessageTarget* notify)
{
    AttachToHost(parent, notify, "SchoolTable_Wnd");
    const std::string face = CUICore::instance()->GetDefaultFontName();
    m_mainFont = Font::FromPoints(90, face);
    m_secondaryFont = Font::FromPoints(70, face);
    m_titleFont = Font::FromPoints(90, face);
    MarkAllDirty();
}

void CSchoolTable::Init(QWidget* parent)
{
    Init(parent, dynamic_cast<zem::MessageTarget*>(parent));
}

bool CSchoolTable::SetDays(const std::vector<std::string>& names)
{
    m_days.insert(m_days.end(), names.begin(), names.end());
    return true;
}

bool CSchoolTable::SetSections(int forenoon, int afternoon, int night, int morningReading, int selfStudy)
{
    m_sections = {forenoon, afternoon, night, morningReading, selfStudy};
    for (int& count : m_sections)
        count = std::max(0, count);
    SetShowSS(m_showSS);
    return true;
}

void CSchoolTable::SetShowSS(bool show)
{
    m_showSS = show;
    m_dayNodes = m_sections[0] + m_sections[1] + m_sections[2] + (show ? m_sections[3] + m_sections[4] : 0);
}

int CSchoolTable::AddRow(const std::string& title)
{
    m_rowTitles.push_back(title);
    m_rowTitleLayouts.emplace_back();
    return static_cast<int>(m_rowTitles.size()) - 1;
}

int CSchoolTable::AddCol(const std::string& title)
{
    m_colTitles.push_back(title);
    m_colTitleLayouts.emplace_back();
    return static_cast<int>(m_colTitles.size()) - 1;
}

CSchoolTableNode* CSchoolTable::FindNode(int row, int col)
{
    const auto it = m_nodeMap.find(Key(row, col));
    return it == m_nodeMap.end() ? nullptr : it->second;
}

const CSchoolTableNode* CSchoolTable::GetNode(int row, int col) const
{
    return const_cast<CSchoolTable*>(this)->FindNode(row, col);
}

bool CSchoolTable::SetNodeText(int row, int col, const std::string& text)
{
    if (row < 0 || col < 0)
        return false;
    if (CSchoolTableNode* node = FindNode(row, col)) {
        // A second node for the cell would be drawn over the first: replace it instead.
        node->SetText(text);
        node->m_tip.clear();
        return true;
    }
    m_nodes.push_back(std::make_unique<CSchoolTableNode>(row, col, text));
    m_nodeMap.emplace(Key(row, col), m_nodes.back().get());
    return true;
}

bool CSchoolTable::SetNodeTip(int row, int col, const std::string& tip)
{
    CSchoolTableNode* node = FindNode(row, col);
    if (!node)
        return false;
    node->m_tip = tip;
    return true;
}

void CSchoolTable::SetFriendCells(int n, const int* keys)
{
    if (n < 0)
        return;
    m_friends.clear();
    if (n > 0 && keys)
        m_friends.assign(keys, keys + n);
}

void CSchoolTable::SetAllCellNormal()
{
    m_picked = false;
    m_pick = {};
    update();
}

void CSchoolTable::Clear()
{
    m_rowTitles.clear();
    m_colTitles.clear();
    m_rowTitleLayouts.clear();
    m_colTitleLayouts.clear();
    m_picked = false;
    m_pick = {};
    m_nodeMap.clear();
    m_nodes.clear();
    m_friends.clear();
    m_tip->HideTip();
    update();
}

void CSchoolTable::SwapNode(const tagNMT_MOVE2& move)
{
    CSchoolTableNode* a = FindNode(move.target.row, move.target.column);
    CSchoolTableNode* b = FindNode(move.picked.row, move.picked.column);
    if (a && b && a != b)
        a->ExchangeContent(*b);
}

void CSchoolTable::ClearAllTips()
{
    for (const auto& node : m_nodes)
        node->m_tip.clear();
}

void CSchoolTable::SetFont(const LOGFONTA* main, const LOGFONTA* secondary, const LOGFONTA* title)
{
    if (main)
        m_mainFont = Font(*main);
    if (secondary)
        m_secondaryFont = Font(*secondary);
    if (title)
        m_titleFont = Font(*title);
    // Texts laid out in the old fonts would be drawn in the wrong places.
    MarkAllDirty();
}

void CSchoolTable::MarkAllDirty()
{
    for (const auto& node : m_nodes)
        node->m_dirty = true;
    for (auto* layouts : {&m_rowTitleLayouts, &m_colTitleLayouts})
        for (TitleLayout& layout : *layouts)
            layout.size = {-1, -1};
}

std::string CSchoolTable::StackDayName(std::string_view name)
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

std::string CSchoolTable::PeriodLabel(int period) const
{
    const int morning = m_showSS ? m_sections[3] : 0;
    if (m_showSS && period < morning)
        return "早";
    if (m_showSS && period >= m_dayNodes - m_sections[4])
        return "自";
    return std::to_string(period + 1 - morning);
}

// ---- geometry

void CSchoolTable::Refresh()
{
    MarkAllDirty();
    const Rect client(0, 0, width(), height());
    if (!client.IsRectEmpty()) {
        m_layoutStyle = m_style;
        switch (m_layoutStyle) {
        case STYLE_VERT:
            RefreshVert(client);
            break;
        case STYLE_CROSS:
            RefreshCross(client);
            break;
        default:
            RefreshHorz(client);
            break;
        }
    }
    update();
}

void CSchoolTable::RefreshHorz(const Rect& k)
{
    m_headerHeight = 2 * kHeaderRowHeight;
    const int rows = static_cast<int>(m_rowTitles.size());
    const int bodyHeight = k.Height() - m_headerHeight;
    m_cellHeight = m_hostCellHeight;
    m_lineCount = m_cellHeight > 0 ? std::max(0, bodyHeight / m_cellHeight + 2) : 0;
    m_columnCount = m_dayNodes * static_cast<int>(m_days.size());

    // The bar appears as soon as the lines do not all fit, so that none is out of the mouse's reach.
    m_barNeeded = m_cellHeight > 0 && static_cast<long long>(m_cellHeight) * rows > bodyHeight;
    int usable = k.Width();
    if (m_barNeeded)
        usable -= kBarThickness;

    m_rowTitleWidth = kRowTitleWidth;
    m_cellWidth = 0;
    if (m_columnCount > 0) {
        const int free = std::max(0, usable - kRowTitleWidth);
        m_cellWidth = free / m_columnCount;
        m_rowTitleWidth = kRowTitleWidth + free % m_columnCount;
    }
    m_horzBody = Rect(k.left, m_headerHeight, k.left + usable, k.bottom);
    m_horzNodeArea = Rect(m_rowTitleWidth, m_headerHeight, k.left + usable, k.bottom);

    Rect bar(m_horzNodeArea.right + 1, m_horzNodeArea.top, k.right - 1, k.bottom - 1);
    bar.DeflateRect(1, 1, 0, 1);
    m_vBar.rangeMax = m_cellHeight * rows;
    m_vBar.page = m_horzBody.Height();
    PlaceBar(m_vScrollBar, m_vBar, m_barNeeded, bar);
    m_hScrollBar->hide();
}

void CSchoolTable::RefreshVert(const Rect& k)
{
    const int titles = static_cast<int>(m_colTitles.size());
    m_lineCount = m_dayNodes * static_cast<int>(m_days.size());
    m_barNeeded = false;
    int usable = k.Height();
    m_cellWidth = m_hostCellWidth;
    const int free = k.Width() - 2 * kTitleColumnWidth;
    m_columnCount = m_cellWidth > 0 ? std::max(0, free / m_cellWidth + 2) : 0;
    if (m_cellWidth > 0 && static_cast<long long>(m_cellWidth) * titles > free) {
        m_barNeeded = true;
        usable -= kBarThickness;
    }

    m_headerHeight = m_bigNameMode ? 36 : 24;
    m_cellHeight = 0;
    if (m_lineCount > 0) {
        m_cellHeight = std::max(0, (usable - m_headerHeight) / m_lineCount);
        m_headerHeight = usable - m_cellHeight * m_lineCount;
    }
    m_vertBody = Rect(2 * kTitleColumnWidth, k.top, k.right, usable);
    m_vertNodeArea = m_vertBody;
    m_vertNodeArea.top += m_headerHeight;

    m_hBar.rangeMax = m_cellWidth * titles;
    m_hBar.page = m_vertNodeArea.Width();
    PlaceBar(m_hScrollBar, m_hBar, m_barNeeded,
             Rect(m_vertNodeArea.left + 1, m_vertNodeArea.bottom + 2, k.right - 1, k.bottom - 2));
    m_vScrollBar->hide();
}

void CSchoolTable::RefreshCross(const Rect& k)
{
    const int titles = static_cast<int>(m_colTitles.size());
    const int days = static_cast<int>(m_days.size());
    m_lineCount = m_dayNodes;
    m_cellWidth = 24;
    m_headerHeight = m_bigNameMode ? 120 : 80;
    m_barNeeded = false;
    int usable = k.Height();
    m_leftMargin = kTitleColumnWidth;

    const int free = k.Width() - m_leftMargin;
    int visible = std::max(0, free / m_cellWidth);
    if (visible < titles * days) {
        m_barNeeded = true;
        usable -= kBarThickness;
    } else {
        if (days > 0)
            visible -= visible % days;
        if (visible > 0) {
            m_cellWidth = free / visible;
            m_leftMargin = k.Width() - m_cellWidth * visible;
        }
    }
    m_columnCount = visible;

    m_cellHeight = 0;
    if (m_lineCount > 0) {
        m_cellHeight = std::max(0, (usable - kHeaderRowHeight - m_headerHeight) / m_lineCount);
        m_headerHeight = usable - kHeaderRowHeight - m_cellHeight * m_lineCount;
    }
    m_vertBody = Rect(k.left + m_leftMargin, k.top, k.right, usable);
    m_vertNodeArea = m_vertBody;
    m_vertNodeArea.top += kHeaderRowHeight + m_headerHeight;

    m_columnsPerDay = days > 0 ? visible / days : 0;
    m_columnsPerDay = std::max(m_columnsPerDay, titles);

    m_hBar.rangeMax = titles * m_cellWidth * days;
    m_hBar.page = m_vertNodeArea.Width();
    PlaceBar(m_hScrollBar, m_hBar, m_barNeeded,
             Rect(m_vertNodeArea.left + 1, m_vertNodeArea.bottom + 2, k.right - 1, k.bottom - 2));
    m_vScrollBar->hide();
}

void CSchoolTable::PlaceBar(QScrollBar* bar, ScrollState& state, bool show, const Rect& rect)
{
    state.pos = std::clamp(state.pos, 0, state.Max());
    {
        const QSignalBlocker blocker(bar);
        bar->setRange(0, state.Max());
        bar->setPageStep(std::max(1, state.page));
        bar->setValue(state.pos);
    }
    if (show) {
        bar->setGeometry(rect.left, rect.top, std::max(0, rect.Width()), std::max(0, rect.Height()));
        bar->show();
    } else {
        bar->hide();
    }
}

// ---- scrolling

int CSchoolTable::ScrollTarget(const ScrollState& state, unsigned code, int thumb) const
{
    const int max = state.Max();
    const int pageStep = std::max(max / 5, 30);
    int pos = state.pos;
    switch (code) {
    case SB_LINEUP:
        pos -= kScrollLine;
        break;
    case SB_LINEDOWN:
        pos += kScrollLine;
        break;
    case SB_PAGEUP:
        pos -= pageStep;
        break;
    case SB_PAGEDOWN:
        pos += pageStep;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        pos = thumb;
        break;
    default:
        break;
    }
    return std::clamp(pos, 0, max);
}

void CSchoolTable::ScrollTo(ScrollState& state, int pos)
{
    pos = std::clamp(pos, 0, state.Max());
    if (pos == state.pos)
        return;
    state.pos = pos;
    QScrollBar* bar = &state == &m_vBar ? m_vScrollBar : m_hScrollBar;
    {
        const QSignalBlocker blocker(bar);
        bar->setValue(pos);
    }
    // Nodes keep their laid-out texts and only move with the body.
    const Rect& body = GetBody();
    update(QRect(body.left, body.top, std::max(0, body.Width()), std::max(0, body.Height())));
}

void CSchoolTable::OnVScroll(unsigned code, int thumb)
{
    ScrollTo(m_vBar, ScrollTarget(m_vBar, code, thumb));
}

void CSchoolTable::OnHScroll(unsigned code, int thumb)
{
    ScrollTo(m_hBar, ScrollTarget(m_hBar, code, thumb));
}

void CSchoolTable::OnScrollKeyDown(unsigned key)
{
    // The horizontal layout scrolls its lines up and down; the others (the cross layout too, whose
    // only bar is the horizontal one) scroll their columns sideways.
    const bool horz = m_layoutStyle == STYLE_HORZ;
    const unsigned back = horz ? VK_UP : VK_LEFT;
    const unsigned forward = horz ? VK_DOWN : VK_RIGHT;
    unsigned code;
    if (key == VK_PRIOR)
        code = SB_PAGEUP;
    else if (key == VK_NEXT)
        code = SB_PAGEDOWN;
    else if (key == back && m_barNeeded)
        code = SB_LINEUP;
    else if (key == forward && m_barNeeded)
        code = SB_LINEDOWN;
    else
        return;
    if (horz)
        OnVScroll(code);
    else
        OnHScroll(code);
}

void CSchoolTable::OnMouseWheel(int delta)
{
    // Whole notches scroll; what a fine-grained wheel or touchpad sends adds up to notches.
    if ((m_wheelRest < 0) != (delta < 0))
        m_wheelRest = 0;
    m_wheelRest += delta;
    const int notches = m_wheelRest / kWheelNotch;
    m_wheelRest -= notches * kWheelNotch;
    if (notches == 0)
        return;
    ScrollState& state = m_layoutStyle == STYLE_HORZ ? m_vBar : m_hBar;
    ScrollTo(state, state.pos - notches * kWheelStep);
}

// ---- hit testing and clicks

bool CSchoolTable::HitNode(Point point, tagNMT_NODE2* node) const
{
    const Rect& area = GetNodeArea();
    if (!area.PtInRect(point) || m_cellHeight <= 0 || m_cellWidth <= 0)
        return false;
    if (m_layoutStyle == STYLE_HORZ) {
        *node = {(point.y + m_vBar.pos - area.top) / m_cellHeight, (point.x - area.left) / m_cellWidth};
        return true;
    }
    const int line = (point.y - area.top) / m_cellHeight;
    const int column = (point.x + m_hBar.pos - area.left) / m_cellWidth;
    if (m_layoutStyle == STYLE_VERT) {
        *node = {line, column};
        return true;
    }
    if (m_columnsPerDay <= 0)
        return false;
    *node = {line + column / m_columnsPerDay * m_dayNodes, column % m_columnsPerDay};
    return true;
}

bool CSchoolTable::IsFriendOfPick(int row, int col) const
{
    const int key = m_layoutStyle == STYLE_HORZ ? col : row;
    return std::find(m_friends.begin(), m_friends.end(), key) != m_friends.end();
}

bool CSchoolTable::OnPickedLine(int row, int col) const
{
    return m_layoutStyle == STYLE_HORZ ? row == m_pick.row : col == m_pick.column;
}

void CSchoolTable::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        OnLButtonDown({p.x(), p.y()});
    }
    event->accept();
}

void CSchoolTable::OnLButtonDown(Point point)
{
    if (m_swapRunning)
        return;
    tagNMT_NODE2 hit;
    if (!HitNode(point, &hit))
        return;
    if (m_layoutStyle == STYLE_CROSS)
        OnLButtonDownCross(hit);
    else
        OnLButtonDownSwapping(hit);
}

void CSchoolTable::OnLButtonDownSwapping(const tagNMT_NODE2& hit)
{
    // The horizontal and vertical layouts: a click on the picked object's line ends the pick,
    // refuses or swaps; anywhere else it picks.
    const bool horz = m_layoutStyle == STYLE_HORZ;
    if (!m_picked || !OnPickedLine(hit.row, hit.column)) {
        const int object = horz ? hit.row : hit.column;
        if (object >= static_cast<int>(horz ? m_rowTitles.size() : m_colTitles.size()))
            return;
        PickAndNotify(hit);
        return;
    }
    if (hit == m_pick) {
        if (horz)  // the vertical layout keeps the tips
            ClearAllTips();
        m_picked = false;
        m_pick = {};
    } else if (!IsFriendOfPick(hit.row, hit.column)) {
        // The horizontal layout reports an empty tip too; the vertical one only a tip to show.
        const CSchoolTableNode* node = FindNode(hit.row, hit.column);
        if (node && (horz || !node->GetTip().empty())) {
            std::string tip = node->GetTip();
            Notify(WM_TABLE_MOVE_REFUSED, zem::ToWParam(&tip));
        }
        return;  // the pick stays
    } else {
        SwapWithPick(hit);
        return;
    }
    update();
}

void CSchoolTable::OnLButtonDownCross(const tagNMT_NODE2& hit)
{
    // The cross layout only shows the pick: nothing is swapped and the host is not told.
    if (m_picked && hit.column == m_pick.column) {
        if (hit.row == m_pick.row) {
            m_picked = false;
            m_pick = {};
        } else {
            m_pick.row = hit.row;
        }
    } else {
        if (hit.column >= static_cast<int>(m_colTitles.size()))
            return;
        ClearAllTips();
        m_picked = true;
        m_pick = hit;
    }
    update();
}

void CSchoolTable::PickAndNotify(const tagNMT_NODE2& cell)
{
    ClearAllTips();
    m_picked = true;
    m_pick = cell;
    QPointer<CSchoolTable> alive(this);
    tagNMT_NODE2 record = cell;
    Notify(WM_TABLE_NODE_PICKED, 0, zem::ToLParam(&record));
    if (alive)
        update();
}

void CSchoolTable::SwapWithPick(const tagNMT_NODE2& clicked)
{
    const tagNMT_NODE2 picked = m_pick;
    QPointer<CSchoolTable> alive(this);
    PlayMoveSound();
    if (m_animateMoves) {
        CCellStatic::MoveCell(GetNodeRect(picked.row, picked.column), GetNodeRect(clicked.row, clicked.column), this,
                              &m_swapRunning);
        // The host may have destroyed the grid while the pictures slid.
        if (!alive)
            return;
    }
    // A period without a node is an empty one: the text moves into it and leaves an empty cell.
    const bool clickedExists = FindNode(clicked.row, clicked.column) != nullptr;
    const bool pickedExists = FindNode(picked.row, picked.column) != nullptr;
    if (clickedExists != pickedExists)
        SetNodeText(clickedExists ? picked.row : clicked.row, clickedExists ? picked.column : clicked.column, "");
    tagNMT_MOVE2 move{clicked, picked};
    SwapNode(move);
    Notify(WM_TABLE_NODES_SWAPPED, 0, zem::ToLParam(&move));
    if (!alive)
        return;
    m_picked = false;
    m_pick = {};
    if (m_layoutStyle == STYLE_VERT)
        ClearAllTips();
    update();
}

// ---- tips and wheel

void CSchoolTable::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    tagNMT_NODE2 hit;
    const CSchoolTableNode* node = HitNode({p.x(), p.y()}, &hit) ? FindNode(hit.row, hit.column) : nullptr;
    if (node && !node->GetTip().empty())
        m_tip->ShowAtCursor(node->GetTip());
    else
        m_tip->HideTip();
}

void CSchoolTable::leaveEvent(QEvent*)
{
    m_tip->HideTip();
}

void CSchoolTable::wheelEvent(QWheelEvent* event)
{
    OnMouseWheel(event->angleDelta().y());
    event->accept();
}

void CSchoolTable::resizeEvent(QResizeEvent*)
{
    Refresh();
}

// ---- node places

Rect CSchoolTable::GetNodeRect(int row, int col) const
{
    const int w = m_cellWidth, h = m_cellHeight;
    if (w <= 0 || h <= 0)
        return {};
    if (m_layoutStyle == STYLE_HORZ) {
        const int left = 1 + m_rowTitleWidth + col * w;
        const int top = m_horzNodeArea.top + row * h - m_vBar.pos;
        return Rect(left, top, left + w, top + h);
    }
    int displayColumn = col, line = row;
    if (m_layoutStyle == STYLE_CROSS && !CrossPlace(row, col, &displayColumn, &line))
        return {};
    const int left = m_vertBody.left + displayColumn * w - m_hBar.pos;
    const int top = m_vertNodeArea.top + line * h;
    return Rect(left, top, left + w, top + h);
}

bool CSchoolTable::CrossPlace(int row, int col, int* displayColumn, int* line) const
{
    if (m_dayNodes <= 0 || m_columnsPerDay <= 0 || col >= m_columnsPerDay)
        return false;
    *displayColumn = col + row / m_dayNodes * m_columnsPerDay;
    *line = row % m_dayNodes;
    return true;
}

int CSchoolTable::FirstVisible() const
{
    if (m_layoutStyle == STYLE_HORZ)
        return m_cellHeight > 0 ? m_vBar.pos / m_cellHeight - 1 : 0;
    return m_cellWidth > 0 ? m_hBar.pos / m_cellWidth - 1 : 0;
}

int CSchoolTable::LastVisible() const
{
    if (m_layoutStyle == STYLE_HORZ)
        return FirstVisible() + m_lineCount - 1;
    return m_cellWidth > 0 ? (m_vertBody.Width() + m_hBar.pos) / m_cellWidth + 1 : -1;
}

bool CSchoolTable::IsNodeShown(const CSchoolTableNode& node, int first, int last) const
{
    switch (m_layoutStyle) {
    case STYLE_HORZ:
        return node.m_row >= first && node.m_row <= last && node.m_row < static_cast<int>(m_rowTitles.size()) &&
               node.m_column < m_columnCount;
    case STYLE_VERT:
        return node.m_column >= first && node.m_column <= last && node.m_row < m_lineCount;
    default: {
        int displayColumn, line;
        return CrossPlace(node.m_row, node.m_column, &displayColumn, &line) && displayColumn >= first &&
               displayColumn <= last && node.m_row < m_dayNodes * static_cast<int>(m_days.size());
    }
    }
}

void CSchoolTable::UpdateNodeRect(CSchoolTableNode& node) const
{
    const Rect rect = GetNodeRect(node.m_row, node.m_column);
    const bool sameSize = rect.Width() == node.m_rect.Width() && rect.Height() == node.m_rect.Height();
    if (!sameSize || node.m_measuredStyle != m_layoutStyle) {
        node.m_dirty = true;
        node.m_rect = rect;
    } else if (!node.m_dirty) {
        node.MoveTo(rect);
    } else {
        node.m_rect = rect;
    }
}

// ---- measuring node texts

void CSchoolTable::MeasureNode(DC& dc, CSchoolTableNode& node)
{
    node.m_main = {};
    node.m_secondary = {};
    Rect text = node.m_rect;
    text.DeflateRect(2);
    switch (m_layoutStyle) {
    case STYLE_VERT:
        MeasureVert(dc, node, text);
        break;
    case STYLE_CROSS:
        MeasureCross(dc, node, text);
        break;
    default:
        MeasureHorz(dc, node, text);
        break;
    }
    node.m_dirty = false;
    node.m_measuredStyle = m_layoutStyle;
}

void CSchoolTable::MeasureHorz(DC& dc, CSchoolTableNode& node, const Rect& text)
{
    // Main text above the middle and secondary text below it, or the main text alone in the middle.
    const auto entry = [&](int k, const Rect& area) {
        const std::string_view main = node.Part(2 + 3 * k), secondary = node.Part(3 + 3 * k);
        PreparedText& mainText = node.m_main[static_cast<std::size_t>(k)];
        dc.SelectFont(m_mainFont);
        if (secondary.empty()) {
            Fit(dc, mainText, main, area, TextVAlign::Center);
            return;
        }
        Fit(dc, mainText, main, UpperHalf(area), TextVAlign::Bottom);
        dc.SelectFont(m_secondaryFont);
        Fit(dc, node.m_secondary[static_cast<std::size_t>(k)], secondary, LowerHalf(area), TextVAlign::Top);
    };
    if (node.EntryCount() == 1) {
        entry(0, text);
    } else if (node.EntryCount() == 2) {
        entry(0, UpperHalf(text));
        entry(1, LowerHalf(text));
    }
}

void CSchoolTable::MeasureVert(DC& dc, CSchoolTableNode& node, const Rect& text)
{
    // One line each: the main text right-aligned left of the middle, the secondary text left-aligned
    // right of it.
    constexpr unsigned kLine = DT_VCENTER | DT_SINGLELINE;
    const auto entry = [&](int k, const Rect& area, int shift) {
        const std::string_view main = node.Part(2 + 3 * k), secondary = node.Part(3 + 3 * k);
        PreparedText& mainText = node.m_main[static_cast<std::size_t>(k)];
        dc.SelectFont(m_mainFont);
        if (secondary.empty()) {
            mainText.Prepare(dc, main, area, kLine | DT_CENTER);
            return;
        }
        Rect left(area.left, area.top, area.left + area.Width() / 2, area.bottom);
        mainText.Prepare(dc, main, left, kLine | DT_RIGHT);
        left.OffsetRect(shift, 0);
        dc.SelectFont(m_secondaryFont);
        node.m_secondary[static_cast<std::size_t>(k)].Prepare(dc, secondary, left, kLine | DT_LEFT);
    };
    if (node.EntryCount() == 1) {
        entry(0, text, text.Width() / 2 + 1);
    } else if (node.EntryCount() == 2) {
        for (int k = 0; k < 2; ++k) {
            const Rect s(text.left + text.Width() * k / 2, text.top, text.left + text.Width() * (k + 1) / 2,
                         text.bottom);
            entry(k, s, s.Width() / 2);
        }
    }
}

void CSchoolTable::MeasureCross(DC& dc, CSchoolTableNode& node, const Rect& text)
{
    if (node.EntryCount() == 1) {
        const std::string_view main = node.Part(2), secondary = node.Part(3);
        dc.SelectFont(m_mainFont);
        if (secondary.empty()) {
            Fit(dc, node.m_main[0], main, text, TextVAlign::Center);
            return;
        }
        Rect upper = UpperHalf(text);
        Fit(dc, node.m_main[0], main, upper, TextVAlign::Bottom);
        upper.OffsetRect(0, text.Height() / 2 + 1);
        dc.SelectFont(m_secondaryFont);
        Fit(dc, node.m_secondary[0], secondary, upper, TextVAlign::Top);
    } else if (node.EntryCount() == 2) {
        // Two entries one above the other, each with its main text left and its secondary text right.
        for (int k = 0; k < 2; ++k) {
            const Rect s(text.left, text.top + text.Height() * k / 2, text.right,
                         text.top + text.Height() * (k + 1) / 2);
            const std::string_view main = node.Part(2 + 3 * k), secondary = node.Part(3 + 3 * k);
            PreparedText& mainText = node.m_main[static_cast<std::size_t>(k)];
            dc.SelectFont(m_mainFont);
            if (secondary.empty()) {
                Fit(dc, mainText, main, s, TextVAlign::Center);
                continue;
            }
            Rect left(s.left, s.top, s.left + s.Width() / 2, s.bottom);
            Fit(dc, mainText, main, left, TextVAlign::Bottom);
            left.OffsetRect(s.Width() / 2, 0);
            dc.SelectFont(m_secondaryFont);
            Fit(dc, node.m_secondary[static_cast<std::size_t>(k)], secondary, left, TextVAlign::Top);
        }
    }
}

// ---- drawing

void CSchoolTable::paintEvent(QPaintEvent*)
{
    if (width() <= 0 || height() <= 0)
        return;
    if (m_buffer.size() != size())
        m_buffer = QImage(width(), height(), QImage::Format_RGB32);
    {
        DC dc(&m_buffer);
        DrawLayout(dc, Rect(0, 0, width(), height()));
    }
    QPainter(this).drawImage(0, 0, m_buffer);
}

bool CSchoolTable::GetBitmap(QImage& image)
{
    image = QImage(kBitmapWidth, kBitmapHeight, QImage::Format_RGB32);
    DC dc(&image);
    DrawLayout(dc, Rect(0, 0, kBitmapWidth, kBitmapHeight));
    return true;
}

void CSchoolTable::DrawLayout(DC& dc, const Rect& rect)
{
    switch (m_layoutStyle) {
    case STYLE_VERT:
        DrawVertTable(dc, rect);
        break;
    case STYLE_CROSS:
        DrawCrossTable(dc, rect);
        break;
    default:
        DrawHorzTable(dc, rect);
        break;
    }
}

void CSchoolTable::DrawPickFills(DC& dc, int first, int last)
{
    if (!m_picked)
        return;
    // Every friend of the pick and the pick itself, whether or not a node fills the cell.
    const CTableTheme& theme = CTableTheme::Instance();
    const auto fill = [&](int row, int col, COLORREF color) {
        const bool inside = m_layoutStyle == STYLE_HORZ
                                ? row >= first && row <= last && col >= 0 && col < m_columnCount
                                : row >= 0 && row < m_dayNodes * static_cast<int>(m_days.size()) && col >= 0;
        if (!inside)
            return;
        Rect r = GetNodeRect(row, col);
        if (r.IsRectEmpty())
            return;
        r.DeflateRect(1);
        dc.FillSolidRect(r, color);
    };
    for (int key : m_friends) {
        if (m_layoutStyle == STYLE_HORZ)
            fill(m_pick.row, key, theme.GetFriendColor());
        else
            fill(key, m_pick.column, theme.GetFriendColor());
    }
    fill(m_pick.row, m_pick.column, theme.GetPickedColor());
}

void CSchoolTable::DrawNodes(DC& dc, int first, int last)
{
    DrawPickFills(dc, first, last);

    // Place and lay out what shows, then draw all main texts and all secondary texts, one font each.
    std::vector<CSchoolTableNode*> shown;
    shown.reserve(m_nodes.size());
    for (const auto& owned : m_nodes) {
        CSchoolTableNode& node = *owned;
        if (node.EntryCount() == 0 || !IsNodeShown(node, first, last))
            continue;
        UpdateNodeRect(node);
        if (node.m_dirty)
            MeasureNode(dc, node);
        shown.push_back(&node);
    }

    dc.SetBkMode(TRANSPARENT);
    for (const bool secondary : {false, true}) {
        dc.SelectFont(secondary ? m_secondaryFont : m_mainFont);
        for (const CSchoolTableNode* node : shown) {
            const bool dimmed = m_picked && !OnPickedLine(node->m_row, node->m_column);
            const COLORREF color = dimmed ? kDimmedText : secondary ? kSecondaryText : kBlack;
            for (int k = 0; k < node->EntryCount(); ++k)
                (secondary ? node->m_secondary : node->m_main)[static_cast<std::size_t>(k)].Draw(dc, 0, 0, color);
        }
    }

    // A rule between the two entries of an odd/even cell.
    for (const CSchoolTableNode* node : shown) {
        if (node->EntryCount() != 2)
            continue;
        Rect t = node->m_rect;
        t.DeflateRect(2);
        if (m_layoutStyle == STYLE_VERT)
            VertLine(dc, t.left + t.Width() / 2, t.top + 1, t.bottom - 1, 1);
        else
            HorzLine(dc, t.left + 1, t.right - 1, t.top + t.Height() / 2, 1);
    }
}

void CSchoolTable::DrawTitle(DC& dc, TitleLayout& layout, const std::string& title, const Rect& rect,
                             bool fitSingle)
{
    const zem::Size size{rect.Width(), rect.Height()};
    if (layout.size != size) {
        // Laid out once for the cell size, relative to the cell's corner.
        layout.size = size;
        layout.parts = SplitParts(title);
        const Rect origin(0, 0, size.cx, size.cy);
        if (layout.parts.size() < 2) {
            if (fitSingle)
                Fit(dc, layout.upper, title, origin, TextVAlign::Center);
            else
                layout.upper.Prepare(dc, title, origin, kOneLine);
        } else {
            Fit(dc, layout.upper, layout.parts[0], UpperHalf(origin), TextVAlign::Bottom);
            Fit(dc, layout.lower, layout.parts[1], LowerHalf(origin), TextVAlign::Top);
        }
    }
    const bool twoParts = layout.parts.size() >= 2;
    layout.upper.Draw(dc, rect.left, rect.top, twoParts ? kTitleUpperText : kBlack);
    if (twoParts)
        layout.lower.Draw(dc, rect.left, rect.top, kBlack);
}

void CSchoolTable::DrawPeriodLabel(DC& dc, int period, const Rect& rect)
{
    dc.DrawText(PeriodLabel(period), rect, kOneLine);
}

void CSchoolTable::DrawHorzTable(DC& dc, const Rect& d)
{
    const CTableTheme& theme = CTableTheme::Instance();
    const Rect r = GridFrame(dc, d);
    const int rows = static_cast<int>(m_rowTitles.size());
    const int w = m_cellWidth, h = m_cellHeight, n = m_dayNodes;
    const int first = FirstVisible(), last = LastVisible();

    // Lines: bands of alternating colour, a grid line under each and a double one under the last.
    int lastBandBottom = -1;
    for (int row = std::max(0, first); h > 0 && row <= last && row < rows; ++row) {
        const int y = m_horzNodeArea.top + row * h - m_vBar.pos;
        dc.FillSolidRect(Rect(r.left, y, m_horzBody.right, y + h - 1), row % 2 ? theme.GetRowBColor() : theme.GetRowCColor());
        lastBandBottom = y + h;
    }
    if (lastBandBottom >= 0)
        HorzLine(dc, r.left, m_horzBody.right, lastBandBottom, 2);

    DrawNodes(dc, first, last);

    // Row titles.
    dc.SelectFont(m_titleFont);
    for (int row = std::max(0, first); h > 0 && row <= last && row < rows; ++row) {
        Rect title(r.left, m_horzNodeArea.top + row * h - m_vBar.pos, r.left + m_rowTitleWidth, 0);
        title.bottom = title.top + h;
        title.DeflateRect(2);
        DrawTitle(dc, m_rowTitleLayouts[static_cast<std::size_t>(row)], m_rowTitles[static_cast<std::size_t>(row)],
                  title, false);
    }

    // Header and grid lines.
    const int header = 2 * kHeaderRowHeight;
    dc.FillSolidRect(Rect(r.left + 1, r.top + 1, r.right - 1, r.top + header), theme.GetTitleBkColor());
    HorzLine(dc, r.left + 1, r.right - 1, r.top, 2);
    HorzLine(dc, r.left + 1, r.right - 1, r.bottom, 2);
    HorzLine(dc, r.left + 1, m_barNeeded ? d.right - 1 - kBarThickness : d.right - 1, r.top + kHeaderRowHeight, 1);
    HorzLine(dc, r.left + 1, r.right - 1, r.top + header, 1);
    for (int j = 0; j <= m_columnCount; ++j) {
        const int x = r.left + m_rowTitleWidth + j * w;
        if (n > 0 && j % n == 0)
            VertLine(dc, x, r.top + 1, r.bottom - 1, 2);
        else
            VertLine(dc, x, r.top + kHeaderRowHeight + 1, r.bottom - 1, 1);
    }

    // Day names over their periods, period labels under them, and the corner.
    dc.SetTextColor(theme.GetTitleTextColor());
    const int extra = dc.SetTextCharacterExtra(2);
    const int left = r.left + m_rowTitleWidth;
    for (int day = 0; n > 0 && day < static_cast<int>(m_days.size()); ++day) {
        const Rect band(left + day * n * w, r.top, left + (day + 1) * n * w, r.top + kHeaderRowHeight);
        dc.DrawText(m_days[static_cast<std::size_t>(day)], band, kOneLine);
        for (int j = 0; j < n; ++j) {
            const int x = band.left + j * w;
            DrawPeriodLabel(dc, j, Rect(x, r.top + kHeaderRowHeight, x + w, r.top + header));
        }
    }
    dc.DrawText("星期", Rect(r.left, r.top, left, r.top + kHeaderRowHeight), kOneLine);
    dc.DrawText("节次", Rect(r.left, r.top + kHeaderRowHeight, left, r.top + header), kOneLine);
    dc.SetTextCharacterExtra(extra);
}

void CSchoolTable::DrawVertTable(DC& dc, const Rect& d)
{
    const CTableTheme& theme = CTableTheme::Instance();
    const Rect r = GridFrame(dc, d);
    const int p = m_hBar.pos, w = m_cellWidth, h = m_cellHeight, header = m_headerHeight, n = m_dayNodes;
    const int bottom = m_barNeeded ? d.bottom - kBarThickness : d.bottom;
    const int titles = static_cast<int>(m_colTitles.size());

    if (w > 0) {
        const int x0 = m_vertBody.left - p % w;
        const int first = FirstVisible(), last = LastVisible();
        // Bands, one per object: even objects take row C as the lines of the horizontal layout do.
        for (int i = 0; i < m_columnCount; ++i) {
            const int x = x0 + i * w;
            dc.FillSolidRect(Rect(x + 1, r.top + 1, x + w, bottom - 1),
                             (first + i) % 2 == 0 ? theme.GetRowBColor() : theme.GetRowCColor());
            if (i < m_columnCount - 1)
                VertLine(dc, x + w, r.top + 1, r.bottom - 1, 1);
            else
                VertLine(dc, x + w - 1, r.top, r.bottom, 2);
        }
        if (h > 0)
            DrawNodes(dc, first, last);

        dc.SelectFont(m_titleFont);
        for (int i = std::max(0, first + 1); i <= last - 1 && i < titles; ++i) {
            Rect title(x0 + (i - first - 1) * w, r.top, x0 + (i - first) * w, r.top + header);
            title.DeflateRect(2);
            DrawTitle(dc, m_colTitleLayouts[static_cast<std::size_t>(i)], m_colTitles[static_cast<std::size_t>(i)],
                      title, false);
        }
    }

    // The left title area: day names written downwards and the period labels beside them.
    dc.FillSolidRect(Rect(r.left + 1, r.top + 1, r.left + 2 * kTitleColumnWidth - 1, r.bottom), theme.GetTitleBkColor());
    VertLine(dc, r.left, r.top + 1, r.bottom - 1, 2);
    VertLine(dc, r.right, r.top + 1, r.bottom - 1, 2);
    VertLine(dc, r.left + kTitleColumnWidth, r.top + header, bottom - 1, 1);
    VertLine(dc, r.left + 2 * kTitleColumnWidth, r.top + 1, r.bottom - 1, 1);
    for (int i = 0; i <= m_lineCount; ++i) {
        const int y = r.top + header + i * h;
        if (n == 0 || i % n == 0)
            HorzLine(dc, r.left + 1, r.right - 1, y, 2);
        else
            HorzLine(dc, r.left + kTitleColumnWidth + 1, r.right - 1, y, 1);
    }

    dc.SelectFont(m_titleFont);
    dc.SetTextColor(theme.GetTitleTextColor());
    const int extra = dc.SetTextCharacterExtra(2);
    for (int day = 0; n > 0 && day < static_cast<int>(m_days.size()); ++day) {
        const Rect band(r.left, r.top + header + day * n * h, r.left + kTitleColumnWidth,
                        r.top + header + (day + 1) * n * h);
        const std::string name = StackDayName(m_days[static_cast<std::size_t>(day)]);
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

void CSchoolTable::DrawCrossTable(DC& dc, const Rect& d)
{
    const CTableTheme& theme = CTableTheme::Instance();
    const Rect r = GridFrame(dc, d);
    const int p = m_hBar.pos, w = m_cellWidth, h = m_cellHeight, header = m_headerHeight, n = m_dayNodes;
    const int m = m_leftMargin, q = m_columnsPerDay;
    const int bottom = m_barNeeded ? d.bottom - kBarThickness : r.bottom;
    const int titles = static_cast<int>(m_colTitles.size());
    const int top = r.top + kHeaderRowHeight;

    dc.FillSolidRect(Rect(r.left + m + 1, r.top + 1, r.right - 1, top), theme.GetTitleBkColor());
    const int first = FirstVisible(), last = LastVisible();
    const int x0 = w > 0 ? m - p % w : m;
    if (w > 0) {
        for (int i = 0; i <= m_columnCount; ++i) {
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
        HorzLine(dc, r.left + 1, r.right - 1, top + header + i * h, 1);
    VertLine(dc, r.left, r.top + 1, r.bottom - 1, 2);
    VertLine(dc, r.right, r.top + 1, r.bottom - 1, 2);

    // Object titles of each day's band, and the day's name over them.
    dc.SelectFont(m_titleFont);
    for (int day = 0; w > 0 && day < static_cast<int>(m_days.size()); ++day) {
        bool any = false;
        for (int i = 0; i < titles; ++i) {
            const int g = day * q + i;
            if (g < first || g > last)
                continue;
            Rect title(x0 + (g - first - 1) * w, top, x0 + (g - first) * w, top + header);
            title.DeflateRect(2);
            DrawTitle(dc, m_colTitleLayouts[static_cast<std::size_t>(i)], m_colTitles[static_cast<std::size_t>(i)],
                      title, true);
            any = true;
        }
        if (!any)
            continue;
        const Rect band(m + day * q * w - p, r.top, m + (day + 1) * q * w - p, top);
        dc.SetTextColor(theme.GetTitleTextColor());
        const int extra = dc.SetTextCharacterExtra(2);
        dc.DrawText(m_days[static_cast<std::size_t>(day)], band, kOneLine);
        dc.SetTextCharacterExtra(extra);
        VertLine(dc, band.right, r.top + 1, r.bottom - 1, 2);
    }

    dc.SetTextColor(theme.GetTitleTextColor());
    for (int j = 0; j < n; ++j) {
        const int y = top + header + j * h;
        DrawPeriodLabel(dc, j, Rect(r.left, y, r.left + m, y + h));
    }
}
