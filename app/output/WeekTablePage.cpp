#include "app/output/WeekTablePage.h"

#include "app/controls/Drawing.h"
#include "app/output/PageLayout.h"
#include "app/output/PrintSheet.h"
#include "app/shared/AppServices.h"
#include "app/shared/Vocabulary.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/CellRecord.h"
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

// The font at the ratio of its size, at least a pixel high.
Font ScaledFont(const Font& font, double ratio)
{
    if (ratio >= 1)
        return font;
    LOGFONTA shrunk = font.GetLogFont();
    const int height = std::max(1, Trunc(std::abs(shrunk.height) * ratio));
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

std::string CWeekTablePage::DefaultBannerText(int segment) const
{
    for (int i = 0; i < kMaxBlankLines && m_layout.blankLines[i].segment != -1; ++i) {
        const BlankLine& row = m_layout.blankLines[i];
        if (row.enabled == 0 && row.segment == segment)
            return row.text;
    }
    return {};
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
    const auto bannerRows = [&](int segment, int section, int position, int& y) {
        for (int i = 0; i < kMaxBlankLines && l.blankLines[i].segment != -1; ++i) {
            const BlankLine& row = l.blankLines[i];
            if (row.enabled != 0 && row.segment == segment && row.section == section && row.position == position) {
                DrawBannerRow(dc, y, row.text, first);
                y += l.bannerHeight;
            }
        }
    };

    int y = headerBottom;
    int period = 0;
    for (const int segment : zem::kSegmentsInDayOrder) {
        const int count = m_structure.GetSectionNodeMaxCount(segment);
        if (count <= 0)
            continue;
        // The separators before the afternoon and before the evening (the night, or evening
        // self-study in a school without night periods) carry the default rows' texts.
        const bool separator =
            segment == 1 || segment == 2 || (segment == 4 && m_structure.GetSectionNodeMaxCount(2) == 0);
        if (separator) {
            DrawBannerRow(dc, y, DefaultBannerText(segment == 1 ? 1 : 2), first);
            y += l.bannerHeight;
        }
        int segmentTop = y, segmentBottom = y;
        for (int section = 0; section < count; ++section) {
            bannerRows(segment, section, 0, y);
            const Rect cell(left, y, right, y + l.rowHeight);
            VerticalLine(left, cell.top, cell.bottom);
            DrawCell(dc, cell, tagTABLE_NODE{day, segment, section}, period, item);
            if (first) {
                HorizontalLine(sectionRight, m_x1, cell.bottom);
                if (period < static_cast<int>(periodNames.size()))
                    DrawPeriodName(dc, Rect(sectionRight, cell.top, left + 1, cell.bottom),
                                   periodNames[static_cast<std::size_t>(period)], period, segment);
            }
            if (section == 0)
                segmentTop = cell.top;
            segmentBottom = cell.bottom;
            y = cell.bottom;
            ++period;
            bannerRows(segment, section, 1, y);
        }
        if (first && l.ShowSectionName)
            DrawSegmentName(dc, segmentTop, segmentBottom, segment);
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
    if (segment == 3)
        return m_colours.morningReading;
    if (segment == 4)
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
    // A room's table marks a slot used only when every place of the room is taken; like the screen
    // grid and the workbooks, a room shows whatever lessons its slot holds.
    if (!table->IsUsed(node) && kind != TABLE_ROOM) {
        std::string activity = m_task->GetActivityInfo(item.GetId(), kind, node);
        if (activity.empty())
            return {};
        return {{Rect(cell.left + 1, cell.top + 1, cell.right - 1, cell.bottom), std::move(activity), {}}};
    }
    CellInfoParam param;
    param.fullName = m_layout.ShowFullName;
    param.showRoomSeat = AppServices().GetShowRoomNumber();
    param.layout = m_layout.GetCourseInfoFormat(kind);
    const std::string record = m_task->GetCellInfo(table->GetNode(node), kind, param);
    const std::vector<std::string_view> fields = zem::SplitCellRecord(record);
    const auto field = [&](std::size_t i) { return std::string(fields[i]); };
    if (fields.size() == 4)
        return {{Rect(cell.left + 5, cell.top, cell.right - 5, cell.bottom), field(2), field(3)}};
    if (fields.size() == 7) {
        // A slot shared by an odd-week and an even-week lesson: the two halves beside a rule.
        const int middle = (cell.left + cell.right) / 2;
        return {{Rect(cell.left + 1, cell.top, middle - 1, cell.bottom), field(2), field(3)},
                {Rect(middle + 1, cell.top, cell.right - 1, cell.bottom), field(5), field(6)}};
    }
    return {};
}

double CWeekTablePage::TableTextRatio(DC& dc, const CExportTableItem& item) const
{
    // Below this size print is hard to read; a cell that needs less drops its later lines instead.
    constexpr double kLegiblePoints = 6.5;
    const int smallest = std::min(m_layout.fonts[CPageLayout::FONT_CONTENT].size,
                                  m_layout.fonts[CPageLayout::FONT_CONTENT2].size);
    const double floor = smallest > 0 ? std::min(1.0, kLegiblePoints / smallest) : 1.0;
    // Every cell has the same size; the texts of all cells shrink alike, so that a table never
    // mixes large and small lines.
    const Rect cell(0, 0, m_layout.dayColumnWidth + 1, m_layout.rowHeight);
    double ratio = 1;
    for (int day = 0; day < zem::kDayCount && ratio > floor; ++day) {
        if (!m_structure.IsDayInUse(day))
            continue;
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            for (int section = 0; section < m_structure.GetSectionNodeMaxCount(segment); ++section) {
                for (const CellText& text : CellTexts(cell, tagTABLE_NODE{day, segment, section}, item)) {
                    const int middle = (text.box.top + text.box.bottom) / 2;
                    const Rect upperBox = text.lower.empty() ? text.box
                                                             : Rect(text.box.left, text.box.top, text.box.right, middle);
                    const Rect lowerBox(text.box.left, middle, text.box.right, text.box.bottom);
                    ratio = std::min(ratio, FitRatio(dc,
                                                     {{upperBox, text.upper, m_fonts[F_CONTENT]},
                                                      {lowerBox, text.lower, m_fonts[F_CONTENT2]}},
                                                     floor));
                }
            }
        }
    }
    return std::max(ratio, floor);
}

void CWeekTablePage::DrawLessonLines(DC& dc, const CellText& text)
{
    const Rect& box = text.box;
    const int middle = (box.top + box.bottom) / 2;
    const Rect upperBox(box.left, box.top, box.right, middle);
    const Rect lowerBox(box.left, middle, box.right, box.bottom);
    // What does not fit at the table's size loses its later line, never the subject.
    const bool both = !text.lower.empty() &&
                      Fits(dc, {{upperBox, text.upper, m_fonts[F_CONTENT]}, {lowerBox, text.lower, m_fonts[F_CONTENT2]}},
                           m_textRatio);
    dc.SelectFont(ScaledFont(m_fonts[F_CONTENT], m_textRatio));
    dc.SetTextColor(m_colours.mainText);
    if (!both) {
        DrawTextAligned(&dc, box, text.upper, 4);
        return;
    }
    DrawTextAligned(&dc, upperBox, text.upper, 8);
    dc.SelectFont(ScaledFont(m_fonts[F_CONTENT2], m_textRatio));
    dc.SetTextColor(m_colours.secondaryText);
    DrawTextAligned(&dc, lowerBox, text.lower, 0);
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
