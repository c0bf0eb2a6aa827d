#include "app/output/WeekTablePage.h"

#include "app/controls/Drawing.h"
#include "app/output/PageLayout.h"
#include "app/output/PrintSheet.h"
#include "app/shared/AppServices.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/CellRecord.h"
#include "base/DayRows.h"
#include "base/ScheduleTask.h"
#include "base/Segment.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "table/TableTheme.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <vector>

using zem::Rect;
using namespace zem::gui;

namespace {

constexpr zem::COLORREF kBlack = zem::RGB(0, 0, 0);
// Fills the rectangle unless the colour is none (0): plain print leaves its rows white.
void FillBand(DC& dc, const Rect& rect, zem::COLORREF colour)
{
    if (colour != 0)
        dc.FillSolidRect(rect, colour);
}

int Trunc(double value)
{
    return static_cast<int>(value);
}

constexpr unsigned kWrapped = DT_WORDBREAK | DT_EDITCONTROL;

// The font at the ratio of its size, at least a pixel high.
Font ScaledFont(const Font& font, double ratio)
{
    if (ratio >= 1)
        return font;
    LOGFONTA shrunk = font.GetLogFont();
    // A hair over, so that a ratio made of two sizes gives the smaller size exactly.
    const int height = std::max(1, Trunc(std::abs(shrunk.height) * ratio + 1e-6));
    shrunk.height = shrunk.height < 0 ? -height : height;
    return Font(shrunk);
}

struct FittedText {
    const Rect& box;
    const std::string& text;
    const Font& font;
};

// Whether every text, wrapped in its box at the ratio of its font's size, stays inside the box.
bool Fits(DC& dc, std::initializer_list<FittedText> texts, double ratio)
{
    return std::all_of(texts.begin(), texts.end(), [&](const FittedText& t) {
        if (t.text.empty())
            return true;
        dc.SelectFont(ScaledFont(t.font, ratio));
        Rect block = t.box;
        dc.DrawText(t.text, block, DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_EDITCONTROL);
        return block.Width() <= t.box.Width() && block.Height() <= t.box.Height();
    });
}

// Several tables to a page leave cells too small for their lines at the chosen sizes: the largest
// ratio of the sizes, in twentieths down to `floor`, at which every text stays inside its box;
// `floor` when none does.
double FitRatio(DC& dc, std::initializer_list<FittedText> texts, double floor = 0.2)
{
    for (int twentieths = 20; twentieths / 20.0 > floor; --twentieths) {
        if (Fits(dc, texts, twentieths / 20.0))
            return twentieths / 20.0;
    }
    return floor;
}

// Puts the painter's clip back as it was when made.
class ClipScope {
public:
    explicit ClipScope(QPainter& painter)
        : m_painter(painter), m_had(painter.hasClipping()), m_region(painter.clipRegion())
    {
    }
    ~ClipScope()
    {
        if (m_had)
            m_painter.setClipRegion(m_region);
        else
            m_painter.setClipping(false);
    }

private:
    QPainter& m_painter;
    bool m_had;
    QRegion m_region;
};

}  // namespace

CWeekTablePage::CWeekTablePage(const CWeekTablePageLayout& layout, CScheduleTask* task,
                               const CSchoolStructure& structure)
    : m_layout(layout), m_task(task), m_structure(structure)
{
    for (int i = 0; i < F_COUNT; ++i)
        m_fonts[static_cast<std::size_t>(i)] = Font(PrintLogFont(layout.fonts[i], layout.dpiY));
}

void CWeekTablePage::Draw(DC& dc, const Rect& slot, const CExportTableItem& item, const CPrintPageInfo& info)
{
    m_x0 = slot.left;
    m_x1 = slot.right;
    m_y0 = slot.top;
    m_gridTop = m_y0 + m_layout.gridOffset;
    m_gridBottom = m_gridTop + m_layout.gridHeight;
    m_firstCol = m_x0 + m_layout.sectionColumnWidth + m_layout.periodColumnWidth;
    // A rule of a printer's single dot vanishes in print and in viewers; a tenth of a millimetre
    // or so stays visible, and a screen keeps its single pixel.
    m_rule = std::max(1, static_cast<int>(std::lround(0.12 * m_layout.pxPerMmX)));

    const Font previousFont = dc.GetFont();
    const zem::COLORREF previousText = dc.SetTextColor(kBlack);
    const int previousMode = dc.SetBkMode(TRANSPARENT);
    {
        // Nothing leaves the slot; the right rule lies inside its edge.
        ClipScope clip(dc.Painter());
        dc.SetClipRect(Rect(slot.left, slot.top, slot.right + 1, slot.bottom + 1));
        DrawTitle(dc, item, info);
        // Colour print shows the same table as plain print, with every text and banner row, in
        // the colours of the week grid; the grid's screen-only marks (locks, links) stay off paper.
        const bool exportLook = info.onScreen && (info.mode == PREVIEW_EXPORT || info.mode == PREVIEW_SETTINGS);
        const bool subjectColours = AppServices().GetColorTable();
        m_colours = exportLook || m_layout.NormalPrint
                        ? PlainColours(exportLook && subjectColours && item.GetKind() == TABLE_CLASS)
                        : GridColours(subjectColours);
        DrawRuledGrid(dc, item);
        dc.SetTextColor(kBlack);
        DrawInfoLine(dc, item);
    }
    dc.SetBkMode(previousMode);
    dc.SetTextColor(previousText);
    dc.SelectFont(previousFont);
}

CWeekTablePage::Colours CWeekTablePage::PlainColours(bool subjectColours)
{
    return {zem::RGB(192, 192, 192), kBlack, 0, 0, 0, 0, 0, 0, kBlack, kBlack, subjectColours};
}

CWeekTablePage::Colours CWeekTablePage::GridColours(bool subjectColours)
{
    CTableTheme& theme = CTableTheme::Instance();
    const int previous = theme.SetMode(CELL_STYLE_COLOR);
    Colours colours{theme.GetTitleBkColor(),
                    theme.GetTitleTextColor(),
                    theme.GetTitleBkColor(),
                    theme.GetRowAColor(),
                    theme.GetRowBColor(),
                    theme.GetMorningReadingColor(),
                    theme.GetSelfStudyColor(),
                    theme.GetTableBkColor(),
                    CTableTheme::kMainTextColor,
                    CTableTheme::kSecondaryTextColor,
                    subjectColours};
    // As in the grid, lessons on their subject's colour are black.
    if (subjectColours)
        colours.mainText = colours.secondaryText = kBlack;
    theme.SetMode(previous);
    return colours;
}

void CWeekTablePage::DrawTitle(DC& dc, const CExportTableItem& item, const CPrintPageInfo& info)
{
    const std::string& titleTemplate = info.temporary ? m_layout.TempTitleFormat : m_layout.TitleFormat;
    const std::string title = ExpandTitleTemplate(titleTemplate, item.GetName());
    dc.SelectFont(m_fonts[F_TITLE]);
    const unsigned format = DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
    Rect band(m_x0, m_y0, m_x1, m_y0 + m_layout.titleHeight);
    Rect measured = band;
    const int height = dc.DrawText(title, measured, format | DT_CALCRECT);
    // The lines stand in the middle of the band.
    if (height < band.Height())
        band.top += (band.Height() - height) / 2;
    dc.DrawText(title, band, format);
}

void CWeekTablePage::HorizontalLine(int x0, int x1, int y)
{
    m_rules.emplace_back(x0, y, x1, y + m_rule);
}

void CWeekTablePage::VerticalLine(int x, int y0, int y1)
{
    // Down onto the rule across its end, so that corners close; the slot's right edge is the
    // rule's right side, inside the slot.
    const int left = std::min(x, m_x1 - m_rule + 1);
    m_rules.emplace_back(left, y0, left + m_rule, y1 + m_rule - 1);
}

void CWeekTablePage::DrawRuledGrid(DC& dc, const CExportTableItem& item)
{
    m_textRatio = TableTextRatio(dc, item);
    dc.FillSolidRect(Rect(m_x0, m_gridTop, m_x1, m_gridTop + m_layout.headerHeight), m_colours.headerBand);
    int column = 0;
    for (int day = 0; day < zem::kDayCount; ++day) {
        if (m_structure.IsDayInUse(day))
            DrawDayColumn(dc, day, column++, item);
    }
    HorizontalLine(m_x0, m_x1, m_gridTop);
    VerticalLine(m_x0, m_gridTop, m_gridBottom);
    VerticalLine(m_x1, m_gridTop, m_gridBottom);
    // The rules last, over every background: a viewer or printer that snaps a fill to its dots
    // would otherwise let a neighbouring background cover a rule.
    for (const Rect& rule : m_rules)
        dc.FillSolidRect(rule, kBlack);
    m_rules.clear();
}

void CWeekTablePage::DrawDayColumn(DC& dc, int day, int column, const CExportTableItem& item)
{
    const CWeekTablePageLayout& l = m_layout;
    const bool first = column == 0;
    const int left = m_firstCol + column * l.dayColumnWidth - 1;
    const int right = m_firstCol + (column + 1) * l.dayColumnWidth;
    const int headerBottom = m_gridTop + l.headerHeight;
    const int sectionRight = m_x0 + l.sectionColumnWidth;

    dc.SelectFont(m_fonts[F_HEADER]);
    dc.SetTextColor(m_colours.headerText);
    dc.DrawText(GetWeekdayName(day, !l.ShowFullName), Rect(left, m_gridTop, right, headerBottom),
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (first)
        HorizontalLine(sectionRight, m_x1, headerBottom);
    VerticalLine(left, m_gridTop, headerBottom);

    std::vector<std::string> periodNames;
    if (first)
        GetPeriodNames(periodNames, m_structure);
    int y = headerBottom;
    int segmentTop = y;
    for (const zem::DayRow& row : zem::DayRows(m_structure.GetSegmentCounts(), l.blankLines)) {
        if (!row.IsLesson()) {
            DrawBannerRow(dc, y, row.Text(), first);
            y += l.bannerHeight;
            continue;
        }
        const Rect cell(left, y, right, y + l.rowHeight);
        VerticalLine(left, cell.top, cell.bottom);
        DrawCell(dc, cell, tagTABLE_NODE{day, row.segment, row.section}, row.period, item);
        if (first) {
            HorizontalLine(sectionRight, m_x1, cell.bottom);
            if (row.period < static_cast<int>(periodNames.size()))
                DrawPeriodName(dc, Rect(sectionRight, cell.top, left + 1, cell.bottom),
                               periodNames[static_cast<std::size_t>(row.period)], row.period, row.segment);
        }
        if (row.section == 0)
            segmentTop = cell.top;
        y = cell.bottom;
        const bool lastOfSegment = row.section + 1 == m_structure.GetSectionNodeMaxCount(row.segment);
        if (first && lastOfSegment && l.ShowSectionName)
            DrawSegmentName(dc, segmentTop, cell.bottom, row.segment);
    }
}

void CWeekTablePage::DrawPeriodName(DC& dc, const Rect& box, const std::string& name, int row, int segment)
{
    // Inside the rules: the column's left border (or the segment column's rule) and the row's top rule.
    FillBand(dc, Rect(box.left + m_rule, box.top + m_rule, box.right - 1, box.bottom), RowColour(row, segment));
    const unsigned format = DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
    dc.SelectFont(ScaledFont(m_fonts[F_SMALL], FitRatio(dc, {{box, name, m_fonts[F_SMALL]}})));
    dc.SetTextColor(kBlack);
    Rect placed = box;
    Rect measured = box;
    const int height = dc.DrawText(name, measured, format | DT_CALCRECT);
    if (height <= box.Height())
        placed.top += (box.Height() - height) / 2;
    dc.DrawText(name, placed, format);
}

void CWeekTablePage::DrawSegmentName(DC& dc, int top, int bottom, int segment)
{
    const int sectionRight = m_x0 + m_layout.sectionColumnWidth;
    FillBand(dc, Rect(m_x0 + m_rule, top + m_rule, sectionRight, bottom), m_colours.segmentBand);
    VerticalLine(sectionRight, top, bottom);
    HorizontalLine(m_x0, sectionRight, top);
    HorizontalLine(m_x0, sectionRight, bottom);
    dc.SelectFont(m_fonts[F_SMALL]);
    dc.SetTextColor(m_colours.headerText);
    DrawTextAligned(&dc, Rect(m_x0, top, sectionRight, bottom), GetSectionKindNames(segment), 4);
}

zem::COLORREF CWeekTablePage::RowColour(int row, int segment) const
{
    if (segment == zem::kMorningReading)
        return m_colours.morningReading;
    if (segment == zem::kEveningStudy)
        return m_colours.selfStudy;
    return row % 2 ? m_colours.rowA : m_colours.rowB;
}

void CWeekTablePage::DrawBannerRow(DC& dc, int top, const std::string& text, bool firstColumn)
{
    if (!firstColumn)
        return;
    const int bottom = top + m_layout.bannerHeight;
    const int sectionRight = m_x0 + m_layout.sectionColumnWidth;
    FillBand(dc, Rect(sectionRight + m_rule, top + m_rule, m_x1, bottom), m_colours.bannerBand);
    const unsigned format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    // A low banner row (several tables to a page) takes its text smaller rather than letting the
    // row's rules cut through the characters.
    dc.SelectFont(ScaledFont(m_fonts[F_SMALL],
                             FitRatio(dc, {{Rect(sectionRight, top, m_x1, bottom), text, m_fonts[F_SMALL]}})));
    dc.SetTextColor(kBlack);
    const std::size_t bar = text.find('|');
    if (bar != std::string::npos) {
        // The label over the period column, a rule, the rest over the days.
        dc.DrawText(text.substr(0, bar), Rect(sectionRight, top, m_firstCol - 1, bottom), format);
        VerticalLine(m_firstCol - 1, top, bottom);
        dc.DrawText(text.substr(bar + 1), Rect(m_firstCol, top, m_x1, bottom), format);
    } else if (!text.empty()) {
        dc.DrawText(text, Rect(sectionRight, top, m_x1, bottom), format);
    }
    HorizontalLine(sectionRight, m_x1, bottom);
}

std::vector<CWeekTablePage::CellText> CWeekTablePage::CellTexts(const Rect& cell, const tagTABLE_NODE& node,
                                                                 const CExportTableItem& item) const
{
    const CCourseTable* table = item.GetTable();
    if (!m_task || !table)
        return {};
    const TABLE_TYPE kind = item.GetKind();
    // Inside the rule above and the rule on the left.
    const Rect inner(cell.left + m_rule, cell.top + m_rule, cell.right - 1, cell.bottom);
    // A room's table marks a slot used only when every place of the room is taken; like the screen
    // grid and the workbooks, a room shows whatever lessons its slot holds.
    if (!table->IsUsed(node) && kind != TABLE_ROOM) {
        std::string activity = m_task->GetActivityInfo(item.GetId(), kind, node);
        if (activity.empty())
            return {};
        return {{inner, std::move(activity), {}}};
    }
    CellInfoParam param;
    param.fullName = m_layout.ShowFullName;
    param.showRoomSeat = AppServices().GetShowRoomNumber();
    param.layout = m_layout.GetCourseInfoFormat(kind);
    const std::string record = m_task->GetCellInfo(table->GetNode(node), kind, param);
    const zem::CellFields fields = zem::ReadCellRecord(record);
    const auto text = [](const Rect& box, const zem::CellEntry& entry) {
        return CellText{box, std::string(entry.main), std::string(entry.secondary)};
    };
    if (fields.entries.size() == 1)
        return {text(Rect(inner.left + 4, inner.top, inner.right - 4, inner.bottom), fields.entries[0])};
    if (fields.IsPair()) {
        // A slot shared by an odd-week and an even-week lesson: the two halves beside a rule.
        const int middle = (cell.left + cell.right) / 2;
        return {text(Rect(inner.left, inner.top, middle - 1, inner.bottom), fields.entries[0]),
                text(Rect(middle + m_rule + 1, inner.top, inner.right, inner.bottom), fields.entries[1])};
    }
    return {};
}

zem::Size CWeekTablePage::Extent(DC& dc, int font, double ratio, const std::string& text, int width, bool wrap) const
{
    dc.SelectFont(ScaledFont(m_fonts[static_cast<std::size_t>(font)], ratio));
    Rect block(0, 0, width, 0);
    dc.DrawText(text, block, DT_CALCRECT | DT_NOPREFIX | (wrap ? kWrapped : DT_SINGLELINE));
    return {block.Width(), block.Height()};
}

std::string CWeekTablePage::Joined(const CellText& text)
{
    if (text.lower.empty() || text.upper.empty())
        return text.upper + text.lower;
    return text.upper + " " + text.lower;
}

std::string CWeekTablePage::Shortened(DC& dc, const std::string& text, const Rect& box) const
{
    static const std::string kMore = "…";
    std::vector<std::size_t> ends;  // after each character
    for (std::size_t i = 0; i < text.size(); i += std::max<std::size_t>(1, zem::Utf8CharLength(text, i)))
        ends.push_back(std::min(text.size(), i + std::max<std::size_t>(1, zem::Utf8CharLength(text, i))));
    const auto fits = [&](std::size_t kept) {
        const zem::Size size = Extent(dc, F_CONTENT2, m_textRatio, text.substr(0, ends[kept - 1]) + kMore,
                                      box.Width(), true);
        return size.cy <= box.Height();
    };
    std::size_t low = 1, high = ends.size();  // characters kept
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return ends.empty() ? kMore : text.substr(0, ends[low - 1]) + kMore;
}

CWeekTablePage::LineSetting CWeekTablePage::SettingOf(DC& dc, const CellText& text, double ratio, bool wrap) const
{
    const int width = text.box.Width(), height = text.box.Height();
    const zem::Size upper = Extent(dc, F_CONTENT, ratio, text.upper, width, wrap);
    if (text.lower.empty()) {
        if (upper.cx <= width && upper.cy <= height)
            return wrap ? LineSetting::StackedWrapped : LineSetting::Stacked;
        return LineSetting::Shortened;
    }
    const zem::Size lower = Extent(dc, F_CONTENT2, ratio, text.lower, width, wrap);
    if (upper.cx <= width && lower.cx <= width && upper.cy + lower.cy <= height)
        return wrap ? LineSetting::StackedWrapped : LineSetting::Stacked;
    const zem::Size joined = Extent(dc, F_CONTENT2, ratio, Joined(text), width, wrap);
    if (joined.cx <= width && joined.cy <= height)
        return wrap ? LineSetting::JoinedWrapped : LineSetting::Joined;
    if (!wrap) {
        const zem::Size small = Extent(dc, F_CONTENT2, ratio, text.upper, width, false);
        if (small.cx <= width && lower.cx <= width && small.cy + lower.cy <= height)
            return LineSetting::StackedSmall;
    }
    return LineSetting::Shortened;
}

CWeekTablePage::LineSetting CWeekTablePage::SettingAt(DC& dc, const CellText& text, double ratio) const
{
    const LineSetting unwrapped = SettingOf(dc, text, ratio, false);
    return unwrapped != LineSetting::Shortened ? unwrapped : SettingOf(dc, text, ratio, true);
}

std::vector<double> CWeekTablePage::TextRatios() const
{
    // Below this size print is hard to read: a cell that needs less joins or wraps its lines.
    constexpr double kLegiblePoints = 6;
    const int smallest = std::min(m_layout.fonts[CPageLayout::FONT_CONTENT].size,
                                  m_layout.fonts[CPageLayout::FONT_CONTENT2].size);
    const double floor = smallest > 0 ? std::min(1.0, kLegiblePoints / smallest) : 1.0;
    // In twentieths of the chosen sizes, then the floor itself.
    std::vector<double> ratios;
    for (int twentieths = 20; twentieths / 20.0 > floor; --twentieths)
        ratios.push_back(twentieths / 20.0);
    ratios.push_back(floor);
    return ratios;
}

std::size_t CWeekTablePage::CellRatio(DC& dc, const CellText& text, const std::vector<double>& ratios,
                                      std::size_t from) const
{
    // Unbroken lines are the easier read, so a cell shrinks them down to three quarters of the size
    // its wrapped lines would have; a cell that needs more wraps rather than take the whole table
    // smaller.
    constexpr double kShrinkBeforeWrap = 0.75;
    const std::size_t last = ratios.size() - 1;
    std::size_t wrapped = from;
    while (wrapped < last && SettingOf(dc, text, ratios[wrapped], true) == LineSetting::Shortened)
        ++wrapped;
    const double least = ratios[wrapped] * kShrinkBeforeWrap;
    for (std::size_t at = from; at <= last && ratios[at] >= least; ++at) {
        if (SettingOf(dc, text, ratios[at], false) != LineSetting::Shortened)
            return at;
    }
    return wrapped;
}

double CWeekTablePage::TableTextRatio(DC& dc, const CExportTableItem& item) const
{
    // Every cell has the same size; the texts of all cells shrink alike, so that a table never
    // mixes large and small lines.
    const std::vector<double> ratios = TextRatios();
    const std::size_t last = ratios.size() - 1;
    const Rect cell(0, 0, m_layout.dayColumnWidth + 1, m_layout.rowHeight);
    std::size_t at = 0;
    for (int day = 0; day < zem::kDayCount && at < last; ++day) {
        if (!m_structure.IsDayInUse(day))
            continue;
        for (const zem::DayRow& row : zem::DayRows(m_structure.GetSegmentCounts(), nullptr)) {
            for (const CellText& text : CellTexts(cell, tagTABLE_NODE{day, row.segment, row.section}, item)) {
                at = CellRatio(dc, text, ratios, at);
            }
        }
    }
    return ratios[at];
}

void CWeekTablePage::DrawLessonLines(DC& dc, const CellText& text)
{
    const Rect& box = text.box;
    LineSetting setting = SettingAt(dc, text, m_textRatio);
    if (setting == LineSetting::Shortened)
        ++m_shortened;
    const bool wrap = setting != LineSetting::Stacked && setting != LineSetting::Joined &&
                      setting != LineSetting::StackedSmall;
    const unsigned format = DT_CENTER | DT_NOPREFIX | (wrap ? kWrapped : DT_SINGLELINE);
    const int width = box.Width();
    const auto drawAt = [&](int top, int font, const std::string& line, zem::COLORREF colour) {
        const zem::Size size = Extent(dc, font, m_textRatio, line, width, wrap);
        dc.SetTextColor(colour);
        dc.DrawText(line, Rect(box.left, top, box.right, top + size.cy), format);
        return top + size.cy;
    };
    if (setting == LineSetting::Stacked || setting == LineSetting::StackedSmall ||
        setting == LineSetting::StackedWrapped) {
        const int upperFont = setting == LineSetting::StackedSmall ? F_CONTENT2 : F_CONTENT;
        const int height = Extent(dc, upperFont, m_textRatio, text.upper, width, wrap).cy +
                           (text.lower.empty() ? 0 : Extent(dc, F_CONTENT2, m_textRatio, text.lower, width, wrap).cy);
        const int below = drawAt(box.top + (box.Height() - height) / 2, upperFont, text.upper, m_colours.mainText);
        if (!text.lower.empty())
            drawAt(below, F_CONTENT2, text.lower, m_colours.secondaryText);
        return;
    }
    // Joined on one line, wrapped, or as the last resort shortened with a sign that it is.
    const std::string joined = setting == LineSetting::Shortened ? Shortened(dc, Joined(text), box) : Joined(text);
    const int height = Extent(dc, F_CONTENT2, m_textRatio, joined, width, wrap).cy;
    drawAt(box.top + std::max(0, (box.Height() - height) / 2), F_CONTENT2, joined, m_colours.mainText);
}

void CWeekTablePage::DrawCell(DC& dc, const Rect& cell, const tagTABLE_NODE& node, int row,
                              const CExportTableItem& item)
{
    zem::COLORREF fill = RowColour(row, node.segment);
    if (m_colours.subjectColours && m_task) {
        if (const zem::COLORREF subject = CTaskHelper(m_task, AppHelperContext()).GetCellColor(item.GetTable(), node))
            fill = subject;
    }
    FillBand(dc, Rect(cell.left + m_rule, cell.top + m_rule, cell.right - 1, cell.bottom), fill);
    const std::vector<CellText> texts = CellTexts(cell, node, item);
    if (texts.size() == 2) {
        const int middle = (cell.left + cell.right) / 2;
        VerticalLine(middle, cell.top + 1, cell.bottom - 1);
    }
    for (const CellText& text : texts)
        DrawLessonLines(dc, text);
}

void CWeekTablePage::DrawInfoLine(DC& dc, const CExportTableItem& item)
{
    const CWeekTablePageLayout& l = m_layout;
    const int top = m_gridBottom + l.spacing;
    const Rect line(m_x0, top, m_x1, top + l.infoHeight);
    dc.SelectFont(m_fonts[F_SMALL]);
    std::string text;
    if (item.GetKind() == TABLE_CLASS && l.ShowHeadTeacherName) {
        text = "班主任: ";
        if (const CClassInfo* cls = m_task ? m_task->GetClass(item.GetId()) : nullptr)
            text += cls->GetHeadTeacherName();
    } else if (item.GetKind() == TABLE_TEACHER && l.ShowWeekCount) {
        text = "周课时数: " + CTaskHelper(m_task, AppHelperContext()).GetWeekCount(item.GetTable()).ToString();
    }
    if (!text.empty())
        dc.DrawText(text, line, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (l.ShowDate) {
        const zem::LocalTime now = zem::Now();
        dc.DrawText(zem::Format("日期: %04d-%02d-%02d", now.year, now.month, now.day), line,
                    DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}
