#include "table/TableItem.h"

#include "base/CellRecord.h"
#include "base/DayRows.h"
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

}  // namespace

// ---- CCell

int CCell::ParseInfo(std::string_view text)
{
    const zem::CellFields fields = zem::ReadCellRecord(text);
    const std::size_t written = fields.written.size();
    const std::size_t most = m_entries.size();
    // More fields than the entries a cell holds is malformed whatever the count says.
    if (written > most || (written == most && fields.leftOver > 0))
        return kMalformed;
    const int count = zem::ParseIntPrefix(fields.count);
    // A negative count is as malformed as a missing field.
    if (count < 0 || static_cast<std::size_t>(count) > written)
        return kMalformed;
    m_entryCount = count;
    for (std::size_t i = 0; i < most; ++i) {
        CellEntry& entry = m_entries[i];
        if (i < static_cast<std::size_t>(count)) {
            const zem::CellEntry& read = fields.written[i];
            entry = CellEntry{std::string(read.key), std::string(read.main), std::string(read.secondary)};
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

CCell::Texts CCell::FitTexts() const
{
    Texts texts;
    const Rect& rc = m_rect;
    if (rc.IsRectEmpty() || m_entryCount <= 0)
        return texts;
    if (m_entryCount >= 2) {
        // Each part keeps clear of the diagonal where the diagonal comes near it.
        Rect half(rc.left, rc.top, rc.left + rc.Width() / 2, rc.bottom);
        texts.entries[0] = FitEntry(m_entries[0], half, {1, 1, 1, 5});
        half.OffsetRect(rc.Width() / 2, 0);
        texts.entries[1] = FitEntry(m_entries[1], half, {5, 1, 1, 1});
        texts.count = 2;
    } else {
        Rect inner = rc;
        inner.DeflateRect(5, 0, 5, 0);
        texts.entries[0] = FitEntry(m_entries[0], inner, {0, 0, 0, 0});
        texts.count = 1;
    }
    for (int i = 0; i < texts.count; ++i)
        texts.whole = texts.whole && texts.entries[static_cast<std::size_t>(i)].whole;
    return texts;
}

TextPair CCell::FitEntry(const CellEntry& entry, const Rect& half, const EntryInsets& insets) const
{
    // The main text takes the upper 3/5 and the secondary text the lower 2/5, or the main text all.
    const int h = half.Height();
    Rect alone = half;
    alone.DeflateRect(insets.mainLeft, 0, insets.mainRight, 0);
    Rect mainRect = alone;
    mainRect.bottom -= 2 * h / 5;
    Rect secondaryRect = half;
    secondaryRect.top += 3 * h / 5;
    secondaryRect.DeflateRect(insets.secondaryLeft, 0, insets.secondaryRight, 0);
    return FitTextPair(entry.main, PrimaryFont(), {AvoidTag(mainRect)}, entry.secondary, SecondaryFont(),
                       {AvoidTag(secondaryRect)}, {AvoidTag(alone)});
}

const Font& CCell::PrimaryFont() const
{
    static const Font fallback;
    return m_primaryFont ? *m_primaryFont : fallback;
}

const Font& CCell::SecondaryFont() const
{
    return m_secondaryFont ? *m_secondaryFont : PrimaryFont();
}

Rect CCell::AvoidTag(Rect box) const
{
    if (m_tag <= 0)
        return box;
    const Rect tag(m_rect.right - 20, m_rect.top + 3, m_rect.right - 4, m_rect.top + 19);
    if (box.top < tag.bottom && box.bottom > tag.top && box.right > tag.left)
        box.right = std::max(box.left, tag.left - 1);
    return box;
}

void CCell::Draw(DC& dc)
{
    m_textCount = 0;
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
        if (m_entryCount >= 2) {
            const int mid = (rc.left + rc.right) / 2;
            dc.SetPenColor(kWhite);
            dc.MoveTo(mid + 5, rc.top + 2);
            dc.LineTo(mid - 5, rc.bottom - 2);
        }
        const Texts texts = FitTexts();
        // Blue and green cannot be read on the red of a forbidden cell (a closed slot's activity, a
        // slot the comparison marks): its texts are white there.
        const bool onRed = !m_colorMode && m_state == STATE_FORBIDDEN && BackgroundColor() != kWhite;
        for (int i = 0; i < texts.count; ++i) {
            const TextPair& entry = texts.entries[static_cast<std::size_t>(i)];
            const std::pair<const FittedText*, COLORREF> parts[] = {
                {&entry.secondary, m_colorMode ? kBlack : onRed ? kWhite : m_secondaryText},
                {&entry.main, m_colorMode ? kBlack : onRed ? kWhite : m_mainText},
            };
            for (const auto& [fitted, color] : parts) {
                if (fitted->text.empty())
                    continue;
                dc.SelectFont(fitted == &entry.main ? PrimaryFont() : SecondaryFont());
                dc.SetTextColor(color);
                DrawFitted(dc, *fitted);
                if (m_textCount < static_cast<int>(m_textExtents.size()))
                    m_textExtents[static_cast<std::size_t>(m_textCount++)] = fitted->extent;
            }
        }
    }

    if (m_tag > 0)
        CTableTheme::Instance().GetImageList().Draw(dc, m_tag - 1, {rc.right - 20, rc.top + 3});
}

std::string CCell::GetDisplayTip() const
{
    if (!m_tip.empty() || FitTexts().whole)
        return m_tip;
    // The entries one after the other, each main text above its secondary text.
    std::string whole;
    for (int i = 0; i < m_entryCount; ++i) {
        const CellEntry& entry = m_entries[static_cast<std::size_t>(i)];
        for (const std::string* text : {&entry.main, &entry.secondary}) {
            if (text->empty())
                continue;
            if (!whole.empty())
                whole += '\n';
            whole += *text;
        }
    }
    return whole;
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
    for (const int segment : zem::kSegmentsInDayOrder) {
        if (row < m_counts[static_cast<std::size_t>(segment)])
            return segment;
        row -= m_counts[static_cast<std::size_t>(segment)];
    }
    return zem::kEveningStudy;
}

int CTableColumn::SectionOfRow(int row) const
{
    for (const int segment : zem::kSegmentsInDayOrder) {
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
    int row = section;
    for (const int before : zem::kSegmentsInDayOrder) {
        if (before == segment)
            break;
        row += m_counts[static_cast<std::size_t>(before)];
    }
    return row;
}

int CTableColumn::GapCount() const
{
    return zem::BreakRowCount(zem::DayRows(m_counts, CTableTheme::Instance().GetBlankLine()));
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
    const std::vector<zem::DayRow> rows = zem::DayRows(m_counts, CTableTheme::Instance().GetBlankLine());
    const int height = (bottom - top - kGap * zem::BreakRowCount(rows)) / m_rowCount;
    int y = top;
    for (const zem::DayRow& row : rows) {
        // A gap for each separator and banner row.
        if (!row.IsLesson()) {
            y += kGap;
            continue;
        }
        m_rowRects[static_cast<std::size_t>(row.period)] = Rect(left, y, right, y + height - 1);
        y += height;
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
        if (segment == zem::kMorningReading)
            cell.SetNormalColor(theme.GetMorningReadingColor());
        else if (segment == zem::kEveningStudy)
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
