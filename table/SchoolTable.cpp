#include "table/SchoolTable.h"

#include "table/CellStatic.h"
#include "table/SchoolLayoutCross.h"
#include "table/SchoolLayoutHorz.h"
#include "table/SchoolLayoutVert.h"
#include "table/UICore.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <algorithm>

using zem::Point;
using zem::Rect;
using namespace zem::gui;

namespace {

constexpr int kWheelNotch = 120;
constexpr int kWheelStep = 5 * 5;

std::unique_ptr<CSchoolLayout> MakeLayout(CSchoolTable::STYLE style, SchoolTableData& data)
{
    switch (style) {
    case CSchoolTable::STYLE_VERT:
        return std::make_unique<CSchoolLayoutVert>(data);
    case CSchoolTable::STYLE_CROSS:
        return std::make_unique<CSchoolLayoutCross>(data);
    default:
        return std::make_unique<CSchoolLayoutHorz>(data);
    }
}

}  // namespace

// ---- data

CSchoolTable::CSchoolTable() : m_layout(MakeLayout(STYLE_HORZ, m_data)), m_tip(std::make_unique<CTableTipWnd>())
{
    setMouseTracking(true);
    const std::string face = CUICore::instance()->GetDefaultFontName();
    m_data.mainFont = Font::FromPoints(90, face);
    m_data.secondaryFont = Font::FromPoints(70, face);
    m_data.titleFont = Font::FromPoints(90, face);

    m_hScrollBar = new QScrollBar(Qt::Horizontal, this);
    m_vScrollBar = new QScrollBar(Qt::Vertical, this);
    for (QScrollBar* bar : {m_hScrollBar, m_vScrollBar}) {
        bar->hide();
        bar->setSingleStep(kScrollLine);
        const bool vertical = bar == m_vScrollBar;
        // The bar's own steps are replaced by the grid's, then the position it settles on is taken.
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, vertical](int action) {
            const SchoolScrollState& state = vertical ? m_data.vBar : m_data.hBar;
            const unsigned code = zem::gui::ScrollCodeOfAction(action);
            bar->setSliderPosition(ScrollTarget(state, code, bar->sliderPosition()));
        });
        connect(bar, &QAbstractSlider::valueChanged, this,
                [this, vertical](int value) { ScrollTo(vertical ? m_data.vBar : m_data.hBar, value); });
    }
}

CSchoolTable::~CSchoolTable() = default;

void CSchoolTable::Init(QWidget* parent, zem::MessageTarget* notify)
{
    AttachToHost(parent, notify, "SchoolTable_Wnd");
    const std::string face = CUICore::instance()->GetDefaultFontName();
    m_data.mainFont = Font::FromPoints(90, face);
    m_data.secondaryFont = Font::FromPoints(70, face);
    m_data.titleFont = Font::FromPoints(90, face);
    m_data.MarkAllDirty();
}

void CSchoolTable::Init(QWidget* parent)
{
    Init(parent, dynamic_cast<zem::MessageTarget*>(parent));
}

bool CSchoolTable::SetDays(const std::vector<std::string>& names)
{
    m_data.days.insert(m_data.days.end(), names.begin(), names.end());
    return true;
}

bool CSchoolTable::SetSections(int forenoon, int afternoon, int night, int morningReading, int selfStudy)
{
    m_data.sections = {forenoon, afternoon, night, morningReading, selfStudy};
    for (int& count : m_data.sections)
        count = std::max(0, count);
    SetShowSS(m_data.showSS);
    return true;
}

void CSchoolTable::SetShowSS(bool show)
{
    const std::array<int, 5>& s = m_data.sections;
    m_data.showSS = show;
    m_data.dayNodes = s[0] + s[1] + s[2] + (show ? s[3] + s[4] : 0);
}

int CSchoolTable::AddRow(const std::string& title)
{
    m_data.rowTitles.push_back(title);
    m_data.rowTitleLayouts.emplace_back();
    return static_cast<int>(m_data.rowTitles.size()) - 1;
}

int CSchoolTable::AddCol(const std::string& title)
{
    m_data.colTitles.push_back(title);
    m_data.colTitleLayouts.emplace_back();
    return static_cast<int>(m_data.colTitles.size()) - 1;
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
        node->SetTip({});
        return true;
    }
    m_data.nodes.push_back(std::make_unique<CSchoolTableNode>(row, col, text));
    m_nodeMap.emplace(Key(row, col), m_data.nodes.back().get());
    return true;
}

bool CSchoolTable::SetNodeTip(int row, int col, const std::string& tip)
{
    CSchoolTableNode* node = FindNode(row, col);
    if (!node)
        return false;
    node->SetTip(tip);
    return true;
}

void CSchoolTable::SetFriendCells(int n, const int* keys)
{
    if (n < 0)
        return;
    m_data.friends.clear();
    if (n > 0 && keys)
        m_data.friends.assign(keys, keys + n);
}

void CSchoolTable::ClearPick()
{
    m_data.picked = false;
    m_data.pick = {};
}

void CSchoolTable::SetAllCellNormal()
{
    ClearPick();
    update();
}

void CSchoolTable::Clear()
{
    m_data.rowTitles.clear();
    m_data.colTitles.clear();
    m_data.rowTitleLayouts.clear();
    m_data.colTitleLayouts.clear();
    ClearPick();
    m_nodeMap.clear();
    m_data.nodes.clear();
    m_data.friends.clear();
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
    for (const auto& node : m_data.nodes)
        node->SetTip({});
}

void CSchoolTable::SetFont(const LOGFONTA* main, const LOGFONTA* secondary, const LOGFONTA* title)
{
    if (main)
        m_data.mainFont = Font(*main);
    if (secondary)
        m_data.secondaryFont = Font(*secondary);
    if (title)
        m_data.titleFont = Font(*title);
    // Texts laid out in the old fonts would be drawn in the wrong places.
    m_data.MarkAllDirty();
}

// ---- geometry

void CSchoolTable::Refresh()
{
    m_data.MarkAllDirty();
    const Rect client(0, 0, width(), height());
    if (!client.IsRectEmpty()) {
        if (m_layoutStyle != m_style) {
            m_layoutStyle = m_style;
            m_layout = MakeLayout(m_style, m_data);
        }
        const SchoolBarPlacement bar = m_layout->Refresh(client);
        SchoolScrollState& state = bar.vertical ? m_data.vBar : m_data.hBar;
        state.rangeMax = bar.rangeMax;
        state.page = bar.page;
        PlaceBar(bar.vertical ? m_vScrollBar : m_hScrollBar, state, bar.show, bar.rect);
        (bar.vertical ? m_hScrollBar : m_vScrollBar)->hide();
    }
    update();
}

void CSchoolTable::PlaceBar(QScrollBar* bar, SchoolScrollState& state, bool show, const Rect& rect)
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

int CSchoolTable::ScrollTarget(const SchoolScrollState& state, unsigned code, int thumb) const
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

SchoolScrollState& CSchoolTable::LayoutBar()
{
    return m_layout->ObjectsAreRows() ? m_data.vBar : m_data.hBar;
}

void CSchoolTable::ScrollTo(SchoolScrollState& state, int pos)
{
    pos = std::clamp(pos, 0, state.Max());
    if (pos == state.pos)
        return;
    state.pos = pos;
    QScrollBar* bar = &state == &m_data.vBar ? m_vScrollBar : m_hScrollBar;
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
    ScrollTo(m_data.vBar, ScrollTarget(m_data.vBar, code, thumb));
}

void CSchoolTable::OnHScroll(unsigned code, int thumb)
{
    ScrollTo(m_data.hBar, ScrollTarget(m_data.hBar, code, thumb));
}

void CSchoolTable::OnScrollKeyDown(unsigned key)
{
    // Objects as rows scroll their lines up and down; the other layouts (the cross layout too, whose
    // only bar is the horizontal one) scroll their columns sideways.
    const bool rows = m_layout->ObjectsAreRows();
    const unsigned back = rows ? VK_UP : VK_LEFT;
    const unsigned forward = rows ? VK_DOWN : VK_RIGHT;
    unsigned code;
    if (key == VK_PRIOR)
        code = SB_PAGEUP;
    else if (key == VK_NEXT)
        code = SB_PAGEDOWN;
    else if (key == back && IsBarNeeded())
        code = SB_LINEUP;
    else if (key == forward && IsBarNeeded())
        code = SB_LINEDOWN;
    else
        return;
    SchoolScrollState& state = LayoutBar();
    ScrollTo(state, ScrollTarget(state, code, 0));
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
    SchoolScrollState& state = LayoutBar();
    ScrollTo(state, state.pos - notches * kWheelStep);
}

// ---- clicks

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
    if (m_layout->SwapsNodes())
        OnLButtonDownSwapping(hit);
    else
        OnLButtonDownCross(hit);
}

void CSchoolTable::OnLButtonDownSwapping(const tagNMT_NODE2& hit)
{
    // The horizontal and vertical layouts: a click on the picked object's line ends the pick,
    // refuses or swaps; anywhere else it picks.
    const bool horz = m_layout->ObjectsAreRows();
    if (!m_data.picked || !m_layout->OnPickedLine(hit.row, hit.column)) {
        const int object = horz ? hit.row : hit.column;
        if (object >= static_cast<int>(horz ? m_data.rowTitles.size() : m_data.colTitles.size()))
            return;
        PickAndNotify(hit);
        return;
    }
    if (hit == m_data.pick) {
        if (horz)  // the vertical layout keeps the tips
            ClearAllTips();
        ClearPick();
    } else if (!m_layout->IsFriendOfPick(hit.row, hit.column)) {
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
    // Only the pick shows and moves: nothing is swapped and the host is not told.
    if (m_data.picked && hit.column == m_data.pick.column) {
        if (hit.row == m_data.pick.row)
            ClearPick();
        else
            m_data.pick.row = hit.row;
    } else {
        if (hit.column >= static_cast<int>(m_data.colTitles.size()))
            return;
        ClearAllTips();
        m_data.picked = true;
        m_data.pick = hit;
    }
    update();
}

void CSchoolTable::PickAndNotify(const tagNMT_NODE2& cell)
{
    ClearAllTips();
    m_data.picked = true;
    m_data.pick = cell;
    QPointer<CSchoolTable> alive(this);
    tagNMT_NODE2 record = cell;
    Notify(WM_TABLE_NODE_PICKED, 0, zem::ToLParam(&record));
    if (alive)
        update();
}

void CSchoolTable::SwapWithPick(const tagNMT_NODE2& clicked)
{
    const tagNMT_NODE2 picked = m_data.pick;
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
    ClearPick();
    if (!m_layout->ObjectsAreRows())
        ClearAllTips();
    update();
}

// ---- tips, wheel and painting

void CSchoolTable::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    tagNMT_NODE2 hit;
    const CSchoolTableNode* node = HitNode({p.x(), p.y()}, &hit) ? FindNode(hit.row, hit.column) : nullptr;
    m_tip->ShowAtCursor(node ? node->GetDisplayTip() : std::string());
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

void CSchoolTable::paintEvent(QPaintEvent*)
{
    if (width() <= 0 || height() <= 0)
        return;
    if (m_buffer.size() != size())
        m_buffer = QImage(width(), height(), QImage::Format_RGB32);
    {
        DC dc(&m_buffer);
        m_layout->Draw(dc, Rect(0, 0, width(), height()));
    }
    QPainter(this).drawImage(0, 0, m_buffer);
}

bool CSchoolTable::GetBitmap(QImage& image)
{
    image = QImage(kBitmapWidth, kBitmapHeight, QImage::Format_RGB32);
    DC dc(&image);
    m_layout->Draw(dc, Rect(0, 0, kBitmapWidth, kBitmapHeight));
    return true;
}
