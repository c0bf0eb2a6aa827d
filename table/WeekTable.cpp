#include "table/WeekTable.h"

#include "platform/Text.h"
#include "table/TableTheme.h"
#include "table/UICore.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

using zem::COLORREF;
using zem::Point;
using zem::Rect;
using zem::RGB;
using namespace zem::gui;

namespace {

const char* const kDefaultTitles[] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"};
const char* const kBufferTitle = "缓冲节次";

}  // namespace

// ---- CPeriodColumn

void CPeriodColumn::Layout()
{
    const Rect& r = m_rect;
    m_corner = Rect(r.left, r.top, r.left + m_leftWidth, r.top + m_titleHeight);
    LayoutRows(r.left, r.right, r.top + m_titleHeight + 1, r.bottom);
}

void CPeriodColumn::Draw(DC& dc)
{
    const CTableTheme& theme = CTableTheme::Instance();
    dc.FillSolidRect(m_rect, theme.GetTitleBkColor());
    if (m_primaryFont)
        dc.SelectFont(*m_primaryFont);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    m_nameExtents.fill(Rect{});
    const int rows = std::min(m_rowCount, static_cast<int>(m_names.size()));
    for (int row = 0; row < rows; ++row) {
        const std::size_t i = static_cast<std::size_t>(row);
        const Rect& rowRect = m_rowRects[i];
        dc.FillSolidRect(rowRect, row % 2 ? theme.GetRowAColor() : theme.GetRowBColor());
        m_nameExtents[i] = DrawFittedText(dc, m_names[i], {NameBox(rowRect)}).extent;
    }
}

bool CPeriodColumn::IsNameShortened(int row) const
{
    if (row < 0 || row >= std::min(m_rowCount, static_cast<int>(m_names.size())) || !m_primaryFont)
        return false;
    const std::size_t i = static_cast<std::size_t>(row);
    return !FitText(*m_primaryFont, m_names[i], {NameBox(m_rowRects[i])}).whole;
}

Rect CPeriodColumn::NameBox(const Rect& row)
{
    // Word-wrapped and centred in its row, a pixel off the lines between rows: a period's times
    // under its name take more lines than a low row has room for at full size.
    Rect box = row;
    box.DeflateRect(0, 1, 0, 1);
    return box;
}

// ---- CTitleRow

CTitleRow::CTitleRow()
{
    for (std::size_t i = 0; i < std::size(kDefaultTitles); ++i)
        m_titles[i] = kDefaultTitles[i];
}

std::string CTitleRow::DisplayTitle(int index) const
{
    std::string title = (m_bufferColumn && index == m_columnCount - 1)
                            ? std::string(kBufferTitle)
                            : m_titles.at(static_cast<std::size_t>(index));
    // Short titles drop the first four bytes of the stored text ("星期一" shows "一").
    if (m_singleTitle)
        title.erase(0, zem::GbkPrefix(title, 4).size());
    return title;
}

int CTitleRow::HitTitle(Point point) const
{
    return FirstRectHolding(m_titleRects, m_columnCount, point);
}

void CTitleRow::Layout()
{
    m_titleRects.fill(Rect{});
    if (m_columnCount <= 0)
        return;
    const Rect& r = m_rect;
    const int w = r.Width() / m_columnCount;
    for (int i = 0; i < m_columnCount; ++i)
        m_titleRects[static_cast<std::size_t>(i)] = Rect(r.left + i * w + 1, r.top, r.left + (i + 1) * w, r.bottom);
    m_titleRects[static_cast<std::size_t>(m_columnCount - 1)].right = r.right;
}

void CTitleRow::Draw(DC& dc)
{
    const CTableTheme& theme = CTableTheme::Instance();
    if (m_primaryFont)
        dc.SelectFont(*m_primaryFont);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(theme.GetTitleTextColor());
    const int extra = dc.SetTextCharacterExtra(2);
    for (int i = 0; i < m_columnCount; ++i) {
        const Rect& r = m_titleRects[static_cast<std::size_t>(i)];
        const std::string title = DisplayTitle(i);
        dc.FillSolidRect(r, theme.GetTitleBkColor());
        // Spaced out where the column has room for it; a narrow column keeps the whole name unspaced.
        dc.SetTextCharacterExtra(2);
        if (dc.GetTextExtent(title).cx > r.Width())
            dc.SetTextCharacterExtra(0);
        dc.DrawText(title, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    dc.SetTextCharacterExtra(extra);
}

// ---- CWeekTable

CWeekTable::CWeekTable()
    : m_tableBk(CTableTheme::Instance().GetTableBkColor()),
      m_mainText(CTableTheme::kMainTextColor),
      m_secondaryText(CTableTheme::kSecondaryTextColor),
      m_tip(std::make_unique<CTableTipWnd>())
{
    setMouseTracking(true);
    // Usable as an off-screen renderer even before Init.
    InitDefaultProperties();
}

CWeekTable::~CWeekTable() = default;

void CWeekTable::Init(QWidget* parent, zem::MessageTarget* notify)
{
    AttachToHost(parent, notify, "Table_Wnd");
    InitDefaultProperties();
}

void CWeekTable::Init(QWidget* parent)
{
    Init(parent, dynamic_cast<zem::MessageTarget*>(parent));
}

void CWeekTable::InitDefaultProperties()
{
    const std::string face = CUICore::instance()->GetDefaultTableFontName();
    m_titleFont = Font::FromPoints(90, face);
    m_primaryFont = Font::FromPoints(90, face);
    m_secondaryFont = Font::FromPoints(80, face);
    const CTableTheme& theme = CTableTheme::Instance();
    m_pickedBk = theme.GetPickedColor();
    m_friendBk = theme.GetFriendColor();
    m_mainText = CTableTheme::kMainTextColor;
    m_secondaryText = CTableTheme::kSecondaryTextColor;
    m_counts = {4, 2, 0, 0, 0};
    m_weekDays = kMaxWeekDays;
    m_bufferColumn = false;
    m_animateMoves = true;
    RefreshPartInfo();
}

int CWeekTable::GetColumnCount() const
{
    return m_weekDays + (m_bufferColumn ? 1 : 0);
}

short CWeekTable::SetWeekDays(int days)
{
    if (days < 0 || days > kMaxWeekDays)
        return kOutOfRange;
    if (days != m_weekDays) {
        m_weekDays = days;
        Refresh();
    }
    return 0;
}

short CWeekTable::SetSegmentCount(int segment, short count)
{
    if (count < 0 || count > zem::kSectionCount)
        return kOutOfRange;
    int& stored = m_counts[static_cast<std::size_t>(segment)];
    if (count != stored) {
        stored = count;
        RefreshPartInfo();
        Refresh();
    }
    return 0;
}

short CWeekTable::SetForenoonNodes(short count) { return SetSegmentCount(0, count); }
short CWeekTable::SetAfternoonNodes(short count) { return SetSegmentCount(1, count); }
short CWeekTable::SetNightNodes(short count) { return SetSegmentCount(2, count); }
short CWeekTable::SetMorningReadingNodes(short count) { return SetSegmentCount(3, count); }
short CWeekTable::SetNightSelfStudyNodes(short count) { return SetSegmentCount(4, count); }

void CWeekTable::SetPeriodNames(const std::vector<std::string>& names)
{
    m_periodColumn.SetPeriodNames(names);
    m_periodColumn.SetLeftColumnWidth(CalcLeftColumnWidth(names));
    RefreshPartInfo();
    Refresh();
}

int CWeekTable::CalcLeftColumnWidth(const std::vector<std::string>& names) const
{
    int widest = 0;
    for (const std::string& name : names)
        widest = std::max(widest, m_titleFont.TextWidth(name));
    if (widest < 16)
        return 22;
    return std::min(widest + 6, 108);
}

void CWeekTable::SetTitleHeight(int height)
{
    m_titleHeight = height;
    m_periodColumn.SetTitleHeight(height);
}

void CWeekTable::SetLeftColumnWidth(int width)
{
    m_periodColumn.SetLeftColumnWidth(width);
}

void CWeekTable::SetSingleTitle(bool on)
{
    m_titleRow.SetSingleTitle(on);
}

void CWeekTable::SetBackgroundColor(COLORREF color)
{
    m_tableBk = color;
}

short CWeekTable::SetColumnTitle(short index, const std::string& title)
{
    if (index < 0 || index >= CTitleRow::kMaxTitles)
        return kOutOfRange;
    m_titleRow.SetTitle(index, title);
    return 0;
}

void CWeekTable::ShowCacheColumn(bool show)
{
    m_bufferColumn = show;
    Refresh();
}

void CWeekTable::SetBlankLine(const BlankLine* lines)
{
    CTableTheme::Instance().SetBlankLine(lines);
}

void CWeekTable::SetFont(const LOGFONTA* primary, const LOGFONTA* secondary, const LOGFONTA* title)
{
    if (primary)
        m_primaryFont = Font(*primary);
    if (secondary)
        m_secondaryFont = Font(*secondary);
    if (title)
        m_titleFont = Font(*title);
    m_periodColumn.SetLeftColumnWidth(CalcLeftColumnWidth(m_periodColumn.GetPeriodNames()));
}

void CWeekTable::GetFont(LOGFONTA* primary) const
{
    if (primary)
        *primary = m_primaryFont.GetLogFont();
}

void CWeekTable::SetColorMode(bool on)
{
    for (CDayColumn& column : m_columns)
        column.SetColorMode(on);
    CTableWnd::SetColorMode(on);
}

void CWeekTable::Refresh()
{
    update();
}

// ---- cells

CCell* CWeekTable::CellOf(const tagTABLE_NODE& node)
{
    if (node.day < 0 || node.day >= GetColumnCount())
        return nullptr;
    return m_columns[static_cast<std::size_t>(node.day)].CellOfNode(node.segment, node.section);
}

const CCell* CWeekTable::GetCell(const tagTABLE_NODE& node) const
{
    return const_cast<CWeekTable*>(this)->CellOf(node);
}

short CWeekTable::Locate(const tagTABLE_NODE& node, CCell*& cell)
{
    cell = CellOf(node);
    return node.day < 0 || node.day >= GetColumnCount() ? kOutOfRange : 0;
}

template <class Change>
short CWeekTable::ChangeCell(const tagTABLE_NODE& node, Change change)
{
    CCell* cell;
    const short result = Locate(node, cell);
    if (cell)
        change(*cell);
    return result;
}

short CWeekTable::SetCellInfo(const tagTABLE_NODE& node, std::string_view text)
{
    // A malformed text leaves the cell as it was.
    return ChangeCell(node, [&](CCell& cell) { cell.ParseInfo(text); });
}

short CWeekTable::GetCellInfo(const tagTABLE_NODE& node, std::string* text) const
{
    if (node.day < 0 || node.day >= GetColumnCount())
        return kOutOfRange;
    const CCell* cell = GetCell(node);
    if (cell && text)
        *text = cell->GetInfo();
    return 0;
}

short CWeekTable::SetCellTipInfo(const tagTABLE_NODE& node, std::string_view tip)
{
    return ChangeCell(node, [&](CCell& cell) { cell.SetTip(std::string(tip)); });
}

short CWeekTable::SetCellTag(const tagTABLE_NODE& node, CELL_TAG tag)
{
    return ChangeCell(node, [&](CCell& cell) { cell.SetTag(tag); });
}

short CWeekTable::SetCellFocus(const tagTABLE_NODE& node, bool focus)
{
    return ChangeCell(node, [&](CCell& cell) { cell.SetFocus(focus); });
}

short CWeekTable::SetCellBkColor(const tagTABLE_NODE& node, COLORREF color)
{
    return ChangeCell(node, [&](CCell& cell) { cell.SetCustomBkColor(color); });
}

short CWeekTable::SetCellFriend(const tagTABLE_NODE& node)
{
    return ChangeCell(node, [](CCell& cell) { cell.SetState(CCell::STATE_FRIEND); });
}

void CWeekTable::SetForbidCell(const tagTABLE_NODE& node, bool forbid)
{
    if (CCell* cell = CellOf(node))
        cell->SetState(forbid ? CCell::STATE_FORBIDDEN : CCell::STATE_NORMAL);
}

void CWeekTable::SetAllCellNormal()
{
    for (CDayColumn& column : m_columns) {
        for (int row = 0; row < CTableColumn::kMaxRows; ++row) {
            CCell& cell = column.GetCell(row);
            cell.SetTip({});
            cell.SetState(CCell::STATE_NORMAL);
        }
    }
    m_picked = false;
    Refresh();
}

void CWeekTable::Clear()
{
    for (CDayColumn& column : m_columns) {
        for (int row = 0; row < CTableColumn::kMaxRows; ++row) {
            CCell& cell = column.GetCell(row);
            cell.Empty();
            cell.SetTip({});
            cell.SetFocus(false);
            cell.SetTag(CELL_TAG_NONE);
            cell.SetState(CCell::STATE_NORMAL);
        }
    }
    m_picked = false;
    Refresh();
}

short CWeekTable::GetSelectedCell(tagTABLE_NODE* node) const
{
    if (!m_picked)
        return -1;
    if (node)
        *node = m_pickedNode;
    return 0;
}

Rect CWeekTable::ClientToScreen(const Rect& rect) const
{
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    Rect screen = rect;
    screen.OffsetRect(origin.x(), origin.y());
    return screen;
}

void CWeekTable::GetSelectedCellRect(Rect* rect)
{
    if (m_picked)
        GetCellRect(m_pickedNode, rect);
}

void CWeekTable::GetCellRect(const tagTABLE_NODE& node, Rect* rect)
{
    if (!rect)
        return;
    LayoutClient();
    if (const CCell* cell = CellOf(node))
        *rect = ClientToScreen(cell->GetRect());
}

// ---- layout and drawing

void CWeekTable::RefreshPartInfo()
{
    m_titleRow.SetColumns(GetColumnCount(), m_bufferColumn);
    m_titleRow.SetFonts(&m_titleFont, nullptr);
    m_periodColumn.SetSegmentCounts(m_counts);
    m_periodColumn.SetFonts(&m_titleFont, nullptr);
    for (CDayColumn& column : m_columns) {
        column.SetSegmentCounts(m_counts);
        column.SetCellColors(m_pickedBk, m_friendBk, m_mainText, m_secondaryText);
        column.SetCellFonts(&m_primaryFont, &m_secondaryFont);
    }
}

void CWeekTable::CalcRect(const Rect& rect)
{
    Rect r = rect;
    r.DeflateRect(2);
    const int leftWidth = m_periodColumn.GetLeftColumnWidth();
    const Rect period(r.left, r.top, r.left + leftWidth, r.bottom);
    m_periodColumn.SetRect(period);
    const Rect title(period.right, r.top, r.right, r.top + m_titleHeight);
    m_titleRow.SetRect(title);

    const int n = GetColumnCount();
    const int w = n > 0 ? (r.right - leftWidth - r.left) / n : 0;
    for (int i = 0; i < kMaxColumns; ++i) {
        Rect column;
        if (i < n) {
            column = Rect(period.right + 1 + i * w, title.bottom + 1, period.right + i * w + w, r.bottom);
            if (i == n - 1)
                column.right = r.right;
        }
        m_columns[static_cast<std::size_t>(i)].SetRect(column);
        m_columns[static_cast<std::size_t>(i)].Layout();
    }
    m_titleRow.Layout();
    m_periodColumn.Layout();
}

void CWeekTable::LayoutClient()
{
    RefreshPartInfo();
    CalcRect(Rect(0, 0, width(), height()));
}

void CWeekTable::DrawTable(DC& dc, const Rect& rect)
{
    RefreshPartInfo();
    CalcRect(rect);
    dc.FillSolidRect(rect, m_tableBk);
    m_periodColumn.Draw(dc);
    m_titleRow.Draw(dc);
    for (int i = 0; i < GetColumnCount(); ++i)
        m_columns[static_cast<std::size_t>(i)].Draw(dc);
}

bool CWeekTable::GetBitmap(QImage& image, CELL_STYLE style, int w, int h)
{
    if (w <= 0 || h <= 0)
        return false;
    CTableTheme& theme = CTableTheme::Instance();
    const int previous = theme.SetMode(style);
    image = QImage(w, h, QImage::Format_RGB32);
    {
        DC dc(&image);
        DrawTable(dc, Rect(0, 0, w, h));
    }
    theme.SetMode(previous);
    // Clicks hit-test against the window's own layout again.
    LayoutClient();
    return true;
}

void CWeekTable::paintEvent(QPaintEvent*)
{
    if (width() <= 0 || height() <= 0)
        return;
    QImage buffer(width(), height(), QImage::Format_RGB32);
    {
        DC dc(&buffer);
        DrawTable(dc, Rect(0, 0, width(), height()));
    }
    QPainter(this).drawImage(0, 0, buffer);
}

// ---- mouse

void CWeekTable::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        OnLButtonDown({p.x(), p.y()});
    else if (event->button() == Qt::RightButton)
        OnRButtonDown({p.x(), p.y()});
    event->accept();
}

void CWeekTable::OnLButtonDown(Point) {}

void CWeekTable::mouseMoveEvent(QMouseEvent* event)
{
    LayoutClient();
    const QPoint p = event->position().toPoint();
    tagTABLE_NODE node;
    std::string tip;
    if (HitCell({p.x(), p.y()}, &node)) {
        tip = CellOf(node)->GetDisplayTip();
    } else {
        const int row = m_periodColumn.HitRow({p.x(), p.y()});
        const std::vector<std::string>& names = m_periodColumn.GetPeriodNames();
        if (row >= 0 && row < static_cast<int>(names.size()) && m_periodColumn.IsNameShortened(row))
            tip = names[static_cast<std::size_t>(row)];
    }
    m_tip->ShowAtCursor(tip);
}

void CWeekTable::leaveEvent(QEvent*)
{
    m_tip->HideTip();
}

bool CWeekTable::HitCell(Point point, tagTABLE_NODE* node) const
{
    for (int c = 0; c < GetColumnCount(); ++c) {
        const CDayColumn& column = m_columns[static_cast<std::size_t>(c)];
        const int row = column.HitRow(point);
        if (row >= 0) {
            *node = {c, column.SegmentOfRow(row), column.SectionOfRow(row)};
            return true;
        }
    }
    return false;
}

void CWeekTable::OnRButtonDown(Point point)
{
    LayoutClient();
    tagTABLE_NODE node;
    if (!HitCell(point, &node))
        return;
    const Rect& r = CellOf(node)->GetRect();
    const zem::LPARAM side = point.x > (r.left + r.right) / 2 ? 2 : 1;
    Notify(WM_TABLE_CELL_RCLICK, zem::ToWParam(&node), side);
}
