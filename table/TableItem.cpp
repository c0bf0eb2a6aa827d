#include "table/TableItem.h"

#include "base/CellRecord.h"
#include "platform/Text.h"
#include "table/TableTheme.h"

#include <QFontMetrics>

#include <vector>

using zem::COLORREF;
using zem::Point;
using zem::Rect;
using zem::RGB;
using namespace zem::gui;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Enabled banner rows at a row, before it (position 0) or after it (position 1).
int BlankLinesAt(int segment, int section, int position)
{
    const BlankLine* lines = CTableTheme::Instance().GetBlankLine();
    int count = 0;
    for (int i = 0; lines && i < kMaxBlankLines && lines[i].segment != -1; ++i) {
        const BlankLine& line = lines[i];
        if (line.enabled && line.segment == segment && line.section == section && line.position == position)
            ++count;
    }
    return count;
}

}  // namespace

FittedText FitText(DC& dc, std::string_view text, const Rect& rect, TextVAlign align)
{
    const unsigned vertical = align == TextVAlign::Center ? DT_VCENTER
                              : align == TextVAlign::Bottom ? DT_BOTTOM
                                                            : DT_TOP;
    const FittedText singleLine{rect, DT_SINGLELINE | DT_CENTER | vertical};
    if (text.empty())
        return singleLine;

    Rect oneLine = rect;
    const int lineHeight = dc.DrawText(text, oneLine, DT_CALCRECT | DT_SINGLELINE);
    const unsigned wrapped = DT_WORDBREAK | DT_EDITCONTROL | DT_CENTER;
    Rect block = rect;
    dc.DrawText(text, block, DT_CALCRECT | wrapped);

    const int width = block.Width(), height = block.Height();
    Rect placed;
    placed.left = rect.left + (rect.Width() - width) / 2;
    placed.right = placed.left + width;
    if (align == TextVAlign::Center)
        placed.top = rect.top + (rect.Height() - height) / 2;
    else if (align == TextVAlign::Bottom)
        placed.top = rect.bottom - height;
    else
        placed.top = rect.top;
    placed.bottom = placed.top + height;

    if (height > rect.Height()) {
        if (rect.Height() < 2 * lineHeight)
            return singleLine;
        placed.top = rect.top;
        placed.bottom = rect.bottom;
    }
    return {placed, wrapped};
}

void DrawFittedText(DC& dc, std::string_view text, const Rect& rect, TextVAlign align)
{
    const FittedText fitted = FitText(dc, text, rect, align);
    dc.DrawText(text, fitted.rect, fitted.format);
}

void PreparedText::Prepare(DC& dc, std::string_view text, const Rect& rect, unsigned format)
{
    m_rect = rect;
    m_format = format & ~DT_CALCRECT;
    m_empty = text.empty();
    m_shaped = false;
    m_clip = false;
    m_line = QStaticText();
    m_text.clear();
    if (m_empty)
        return;
    const QString line = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(dc.Painter().font());
    const int width = metrics.horizontalAdvance(line);
    // Spaces and line feeds change where DrawText breaks or trims lines; a wrapped text wider than
    // its rectangle takes more than one line. Those are left to DrawText.
    const bool oneLine = text.find_first_of(" \r\n") == std::string_view::npos &&
                         ((m_format & DT_SINGLELINE) || width <= rect.Width());
    if (!oneLine) {
        m_text = text;
        return;
    }
    int x = rect.left, y = rect.top;
    if (m_format & DT_CENTER)
        x = rect.left + (rect.Width() - width) / 2;
    else if (m_format & DT_RIGHT)
        x = rect.right - width;
    if (m_format & DT_SINGLELINE) {
        if (m_format & DT_VCENTER)
            y = rect.top + (rect.Height() - metrics.height()) / 2;
        else if (m_format & DT_BOTTOM)
            y = rect.bottom - metrics.height();
    }
    m_topLeft = QPoint(x, y);
    // Clipping costs; it is needed only where the ink may leave the rectangle.
    const QRect ink = metrics.boundingRect(line).translated(x, y + metrics.ascent()).adjusted(-1, -1, 1, 1);
    m_clip = !(m_format & DT_NOCLIP) && !QRect(rect.left, rect.top, rect.Width(), rect.Height()).contains(ink);
    m_line.setTextFormat(Qt::PlainText);
    m_line.setText(line);
    m_line.prepare(QTransform(), dc.Painter().font());
    m_shaped = true;
}

void PreparedText::Draw(DC& dc, int dx, int dy, COLORREF color) const
{
    if (m_empty)
        return;
    if (!m_shaped) {
        Rect r = m_rect;
        r.OffsetRect(dx, dy);
        const COLORREF previous = dc.SetTextColor(color);
        dc.DrawText(m_text, r, m_format);
        dc.SetTextColor(previous);
        return;
    }
    QPainter& painter = dc.Painter();
    painter.setPen(ToQColor(color));
    const QPoint at = m_topLeft + QPoint(dx, dy);
    if (!m_clip) {
        painter.drawStaticText(at, m_line);
        return;
    }
    painter.save();
    painter.setClipRect(QRect(m_rect.left + dx, m_rect.top + dy, std::max(0, m_rect.Width()), std::max(0, m_rect.Height())),
                        Qt::IntersectClip);
    painter.drawStaticText(at, m_line);
    painter.restore();
}

void PreparedText::Offset(int dx, int dy)
{
    m_rect.OffsetRect(dx, dy);
    m_topLeft += QPoint(dx, dy);
}

// ---- CCell

int CCell::ParseInfo(std::string_view text)
{
    const std::vector<std::string_view> parts = zem::SplitCellRecord(text);
    if (parts.size() > 1 + 3 * kMaxEntries)
        return kMalformed;
    const int count = zem::ParseIntPrefix(parts[0]);
    // A negative count is as malformed as a missing field.
    if (count < 0 || parts.size() < static_cast<std::size_t>(3 * count + 1))
        return kMalformed;
    m_entryCount = count;
    for (int i = 0; i < kMaxEntries; ++i) {
        CellEntry& entry = m_entries[static_cast<std::size_t>(i)];
        if (i < count) {
            entry.key = parts[static_cast<std::size_t>(1 + 3 * i)];
            entry.main = parts[static_cast<std::size_t>(2 + 3 * i)];
            entry.secondary = parts[static_cast<std::size_t>(3 + 3 * i)];
        } else {
            entry = CellEntry{};
        }
    }
    return 0;
}

std::string CCell::GetInfo() const
{
    std::string text = std::to_string(m_entryCount);
    for (int i = 0; i < m_entryCount; ++i) {
        const CellEntry& entry = m_entries[static_cast<std::size_t>(i)];
        for (const std::string* field : {&entry.key, &entry.main, &entry.secondary})
            zem::AppendCellField(text, *field);
    }
    return text;
}

void CCell::SetColors(COLORREF picked, COLORREF friendColor, COLORREF mainText, COLORREF secondaryText)
{
    m_pickedBk = picked;
    m_friendBk = friendColor;
    m_mainText = mainText;
    m_secondaryText = secondaryText;
}

void CCell::Empty()
{
    m_entryCount = 0;
    m_entries = {};
}

void CCell::ExchangeContent(CCell& other)
{
    std::swap(m_entries, other.m_entries);
    std::swap(m_entryCount, other.m_entryCount);
    std::swap(m_tip, other.m_tip);
    std::swap(m_state, other.m_state);
    std::swap(m_focus, other.m_focus);
    std::swap(m_customBk, other.m_customBk);
}

COLORREF CCell::BackgroundColor() const
{
    if (m_colorMode)
        return m_customBk != 0 ? m_customBk : m_normalBk;
    switch (m_state) {
    case STATE_PICKED:
        return m_pickedBk;
    case STATE_FRIEND:
        return m_friendBk;
    case STATE_FORBIDDEN:
        return CTableTheme::Instance().GetForbiddenColor();
    default:
        return m_normalBk;
    }
}

void CCell::Draw(DC& dc)
{
    const Rect rc = m_rect;
    if (rc.IsRectEmpty())
        return;
    dc.FillSolidRect(rc, BackgroundColor());

    if (m_colorMode) {
        if (m_state == STATE_PICKED) {
            Rect r = rc;
            dc.Draw3dRect(r, kBlack, kWhite);
            r.DeflateRect(1);
            dc.Draw3dRect(r, kBlack, kWhite);
        } else if (m_state == STATE_FRIEND) {
            Rect r = rc;
            r.DeflateRect(2);
            dc.Draw3dRect(r, kWhite, kBlack);
        }
    } else if (m_focus) {
        Rect r = rc;
        r.DeflateRect(1);
        dc.DrawFocusRect(r);
    }

    if (m_entryCount > 0) {
        dc.SetBkMode(TRANSPARENT);
        const COLORREF mainColor = m_colorMode ? kBlack : m_mainText;
        const COLORREF secondaryColor = m_colorMode ? kBlack : m_secondaryText;
        if (m_entryCount >= 2) {
            const int mid = (rc.left + rc.right) / 2;
            dc.SetPenColor(kWhite);
            dc.MoveTo(mid + 5, rc.top + 2);
            dc.LineTo(mid - 5, rc.bottom - 2);
            Rect half(rc.left, rc.top, rc.left + rc.Width() / 2, rc.bottom);
            // Each part keeps clear of the diagonal where the diagonal comes near it.
            DrawEntry(dc, m_entries[0], half, 1, 1, 1, 5, mainColor, secondaryColor);
            half.OffsetRect(rc.Width() / 2, 0);
            DrawEntry(dc, m_entries[1], half, 5, 1, 1, 1, mainColor, secondaryColor);
        } else {
            Rect inner = rc;
            inner.DeflateRect(5, 0, 5, 0);
            DrawEntry(dc, m_entries[0], inner, 0, 0, 0, 0, mainColor, secondaryColor);
        }
    }

    if (m_tag > 0)
        CTableTheme::Instance().GetImageList().Draw(dc, m_tag - 1, {rc.right - 20, rc.top + 3});
}

void CCell::DrawEntry(DC& dc, const CellEntry& entry, Rect half, int mainLeft, int mainRight, int secondaryLeft,
                      int secondaryRight, COLORREF mainColor, COLORREF secondaryColor)
{
    const int h = half.Height();
    Rect mainRect = half;
    mainRect.DeflateRect(mainLeft, 0, mainRight, 0);
    if (!entry.secondary.empty()) {
        mainRect.bottom -= 2 * h / 5;
        Rect secondaryRect = half;
        secondaryRect.top += 3 * h / 5;
        secondaryRect.DeflateRect(secondaryLeft, 0, secondaryRight, 0);
        if (m_secondaryFont)
            dc.SelectFont(*m_secondaryFont);
        dc.SetTextColor(secondaryColor);
        DrawFittedText(dc, entry.secondary, secondaryRect, TextVAlign::Center);
    }
    if (m_primaryFont)
        dc.SelectFont(*m_primaryFont);
    dc.SetTextColor(mainColor);
    DrawFittedText(dc, entry.main, mainRect, TextVAlign::Center);
}

// ---- CTableColumn

void CTableColumn::SetSegmentCounts(const std::array<int, zem::kSegmentCount>& counts)
{
    m_rowCount = 0;
    for (int s = 0; s < zem::kSegmentCount; ++s) {
        m_counts[static_cast<std::size_t>(s)] = std::clamp(counts[static_cast<std::size_t>(s)], 0, zem::kSectionCount);
        m_rowCount += m_counts[static_cast<std::size_t>(s)];
    }
}

int CTableColumn::GetSegmentCount(int segment) const
{
    return segment >= 0 && segment < zem::kSegmentCount ? m_counts[static_cast<std::size_t>(segment)] : 0;
}

int CTableColumn::SegmentOfRow(int row) const
{
    // Top to bottom: morning reading, forenoon, afternoon, night, evening self-study.
    for (int segment : {3, 0, 1, 2}) {
        if (row < m_counts[static_cast<std::size_t>(segment)])
            return segment;
        row -= m_counts[static_cast<std::size_t>(segment)];
    }
    return 4;
}

int CTableColumn::SectionOfRow(int row) const
{
    for (int segment : {3, 0, 1, 2}) {
        if (row < m_counts[static_cast<std::size_t>(segment)])
            return row;
        row -= m_counts[static_cast<std::size_t>(segment)];
    }
    return row;
}

int CTableColumn::RowOfNode(int segment, int section) const
{
    // A section beyond its segment's count would land in the next segment's rows.
    if (section < 0 || section >= GetSegmentCount(segment))
        return -1;
    if (segment == 3)
        return section;
    int row = section + m_counts[3];
    if (segment > 0)
        row += m_counts[0];
    if (segment > 1)
        row += m_counts[1];
    if (segment == 4)
        row += m_counts[2];
    return row;
}

int CTableColumn::GapCount() const
{
    int gaps = (m_counts[1] > 0 ? 1 : 0) + (m_counts[2] + m_counts[4] > 0 ? 1 : 0);
    const BlankLine* lines = CTableTheme::Instance().GetBlankLine();
    for (int i = 0; lines && i < kMaxBlankLines && lines[i].segment != -1; ++i) {
        const BlankLine& line = lines[i];
        if (line.enabled && line.segment >= 0 && line.segment < zem::kSegmentCount && line.section >= 0 &&
            line.section < GetSegmentCount(line.segment))
            ++gaps;
    }
    return gaps;
}

int CTableColumn::HitRow(Point point) const
{
    return FirstRectHolding(m_rowRects, m_rowCount, point);
}

void CTableColumn::LayoutRows(int left, int right, int top, int bottom)
{
    m_rowRects.fill(Rect{});
    if (m_rowCount == 0)
        return;
    const int height = (bottom - top - kGap * GapCount()) / m_rowCount;
    int y = top;
    for (int row = 0; row < m_rowCount; ++row) {
        const int segment = SegmentOfRow(row), section = SectionOfRow(row);
        // One gap before the afternoon and one before the evening (night, or self-study when there is
        // no night), as GapCount reserves them.
        if (section == 0 && (segment == 1 || segment == 2 || (segment == 4 && m_counts[2] == 0)))
            y += kGap;
        y += kGap * BlankLinesAt(segment, section, 0);
        m_rowRects[static_cast<std::size_t>(row)] = Rect(left, y, right, y + height - 1);
        y += height + kGap * BlankLinesAt(segment, section, 1);
    }
    m_rowRects[static_cast<std::size_t>(m_rowCount - 1)].bottom = bottom;
}

// ---- CDayColumn

CCell* CDayColumn::CellOfNode(int segment, int section)
{
    const int row = RowOfNode(segment, section);
    return row < 0 ? nullptr : &m_cells[static_cast<std::size_t>(row)];
}

void CDayColumn::SetCellColors(COLORREF picked, COLORREF friendColor, COLORREF mainText, COLORREF secondaryText)
{
    for (CCell& cell : m_cells)
        cell.SetColors(picked, friendColor, mainText, secondaryText);
}

void CDayColumn::SetCellFonts(const Font* primary, const Font* secondary)
{
    SetFonts(primary, secondary);
    for (CCell& cell : m_cells)
        cell.SetFonts(primary, secondary);
}

void CDayColumn::SetColorMode(bool on)
{
    for (CCell& cell : m_cells)
        cell.SetColorMode(on);
}

void CDayColumn::Layout()
{
    LayoutRows(m_rect.left, m_rect.right, m_rect.top, m_rect.bottom);
    const CTableTheme& theme = CTableTheme::Instance();
    for (int row = 0; row < kMaxRows; ++row) {
        CCell& cell = m_cells[static_cast<std::size_t>(row)];
        cell.SetRect(m_rowRects[static_cast<std::size_t>(row)]);
        const int segment = SegmentOfRow(row);
        if (segment == 3)
            cell.SetNormalColor(theme.GetMorningReadingColor());
        else if (segment == 4)
            cell.SetNormalColor(theme.GetSelfStudyColor());
        else
            cell.SetNormalColor(row % 2 ? theme.GetRowAColor() : theme.GetRowBColor());
    }
}

void CDayColumn::Draw(DC& dc)
{
    for (int row = 0; row < m_rowCount; ++row)
        m_cells[static_cast<std::size_t>(row)].Draw(dc);
}
