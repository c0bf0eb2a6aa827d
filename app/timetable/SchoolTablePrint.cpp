#include "app/timetable/SchoolTablePrint.h"

#include "app/controls/PdfAside.h"
#include "app/output/PageLayout.h"
#include "app/output/workbook/MasterTimetableWorkbook.h"
#include "app/shared/AppServices.h"
#include "app/shared/Vocabulary.h"
#include "base/CellRecord.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <QImage>
#include <QPagedPaintDevice>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <memory>

using zem::Rect;

namespace {

constexpr zem::COLORREF kLineColour = zem::RGB(0, 0, 0);
constexpr zem::COLORREF kLabelFill = zem::RGB(235, 235, 235);
constexpr const char* kPageFooter = "第 %d 页 / 共 %d 页";

// Packs the periods of every day into pages of `extent`, each band with a header of `bandHeader`.
// A day stays whole when it fits a page; a longer one is cut into bands of what fits.
std::vector<std::vector<CSchoolPrintBand>> PackBands(int days, int perDay, double extent, double bandHeader,
                                                     double period)
{
    std::vector<std::vector<CSchoolPrintBand>> pages;
    if (days <= 0 || perDay <= 0)
        return pages;
    const int most = std::max(1, static_cast<int>(std::floor((extent - bandHeader) / period + 1e-6)));
    double used = 0;
    for (int day = 0; day < days; ++day) {
        for (int first = 0; first < perDay;) {
            const int count = std::min(perDay - first, most);
            const double cost = bandHeader + count * period;
            // A band that does not fit starts a page, and so does a day that has to be cut.
            if (pages.empty() || used + cost > extent + 1e-6 || (first == 0 && count < perDay && used > 0)) {
                pages.emplace_back();
                used = 0;
            }
            pages.back().push_back({day, first, count});
            used += cost;
            first += count;
        }
    }
    return pages;
}

// The size of a period that fills the extent with whole days, within `least` and `most`.
double FitPeriod(int days, int perDay, double extent, double bandHeader, double least, double most)
{
    if (days <= 0 || perDay <= 0)
        return least;
    const int fit = std::min(days, static_cast<int>(std::floor(extent / (bandHeader + perDay * least) + 1e-6)));
    if (fit < 1)
        return least;
    return std::clamp((extent / fit - bandHeader) / perDay, least, most);
}

zem::gui::Font PrintFont(const CFontSpec& face, int dpiY, double scale = 1.0)
{
    CFontSpec sized = face;
    sized.size = std::max(4, static_cast<int>(std::lround(face.size * scale)));
    return zem::gui::Font(PrintLogFont(sized, dpiY));
}

// How much larger than its least size a line grows to fill the pages it needs.
constexpr double kMostLineGrowth = 3;

// Below this size print is hard to read.
constexpr double kLegiblePoints = 6;

// The scales of a face from its own size down to the legible one, in tenths.
std::vector<double> LegibleScales(const CFontSpec& face)
{
    const double floor = face.size > 0 ? std::min(1.0, kLegiblePoints / face.size) : 1.0;
    std::vector<double> scales;
    for (double scale = 1.0; scale > floor + 1e-9; scale -= 0.1)
        scales.push_back(scale);
    scales.push_back(floor);
    return scales;
}

constexpr unsigned kOneLine = zem::gui::DT_CENTER | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE |
                              zem::gui::DT_NOPREFIX;
constexpr unsigned kWrapped = zem::gui::DT_CENTER | zem::gui::DT_WORDBREAK | zem::gui::DT_EDITCONTROL |
                              zem::gui::DT_NOPREFIX;

bool WrappedFits(zem::gui::DC& dc, std::string_view text, const Rect& box)
{
    Rect measured = box;
    dc.DrawText(text, measured, kWrapped | zem::gui::DT_CALCRECT);
    return measured.Width() <= box.Width() && measured.Height() <= box.Height();
}

// The longest start of the text that, followed by "…", fits the box wrapped in the selected font.
std::string ShortenedToFit(zem::gui::DC& dc, const std::string& text, const Rect& box)
{
    static const std::string kMore = "…";
    std::vector<std::size_t> ends;  // after each character
    for (std::size_t i = 0; i < text.size(); i += std::max<std::size_t>(1, zem::Utf8CharLength(text, i)))
        ends.push_back(std::min(text.size(), i + std::max<std::size_t>(1, zem::Utf8CharLength(text, i))));
    std::size_t low = 0, high = ends.size();  // characters kept
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (WrappedFits(dc, text.substr(0, ends[middle - 1]) + kMore, box))
            low = middle;
        else
            high = middle - 1;
    }
    return (low == 0 ? std::string() : text.substr(0, ends[low - 1])) + kMore;
}

}  // namespace

// Whether the text fits the box on one line at a legible size of its face.
bool CSchoolTablePrintSheet::FitsOneLine(zem::gui::DC& dc, std::string_view text, const CFontSpec& face,
                                         const Rect& box, int dpiY)
{
    dc.SelectFont(PrintFont(face, dpiY, LegibleScales(face).back()));
    return dc.GetTextExtent(text).cx <= box.Width() - 2;
}

// The text in the largest legible size of its face that fits the box on one line, else wrapped;
// what even wrapped lines at the legible size cannot hold ends in "…". Whether it was shortened.
bool CSchoolTablePrintSheet::DrawFitted(zem::gui::DC& dc, const std::string& text, const CFontSpec& face,
                                        const Rect& box, int dpiY)
{
    const std::vector<double> scales = LegibleScales(face);
    for (const double scale : scales) {
        dc.SelectFont(PrintFont(face, dpiY, scale));
        if (dc.GetTextExtent(text).cx <= box.Width() - 2) {
            dc.DrawText(text, box, kOneLine);
            return false;
        }
    }
    const auto drawWrapped = [&](const std::string& shown) {
        Rect measured = box;
        dc.DrawText(shown, measured, kWrapped | zem::gui::DT_CALCRECT);
        Rect at = box;
        at.top += std::max(0, (box.Height() - measured.Height()) / 2);
        dc.DrawText(shown, at, kWrapped);
    };
    for (const double scale : scales) {
        dc.SelectFont(PrintFont(face, dpiY, scale));
        if (WrappedFits(dc, text, box)) {
            drawWrapped(text);
            return false;
        }
    }
    drawWrapped(ShortenedToFit(dc, text, box));
    return true;
}

CSchoolTablePrintSheet::CSchoolTablePrintSheet(QWidget* owner, CScheduleTask* task, int kind, int style)
    : CTaskPrintSheet(owner, task), m_kind(SchoolKindOf(kind)), m_style(SchoolStyleOf(style))
{
    const CTablePageLayout& layout = SchoolPageLayout();
    m_title = MasterTimetableTitle(m_kind, m_style);
    if (task) {
        m_model.SetWeek(task->GetSchoolStructure(), layout.ShowSS);
        m_model.SetLines(m_kind, AppServices().GetShowTeacherByGroup() && m_kind == TABLE_TEACHER);
        CollectUsedDayNames(m_dayNames, task->GetSchoolStructure(), false);
        const bool roomNumber = AppServices().GetShowRoomNumber();
        const int periods = m_model.GetPeriodCount();
        m_texts.resize(m_model.GetLines().size());
        for (int line = 0; line < static_cast<int>(m_texts.size()); ++line) {
            auto& texts = m_texts[static_cast<std::size_t>(line)];
            texts.resize(static_cast<std::size_t>(periods));
            for (int period = 0; period < periods; ++period)
                texts[static_cast<std::size_t>(period)] =
                    m_model.CellText(*task, layout, roomNumber, line, period, nullptr);
        }
    }
    const bool twoParts = SchoolTextModeOf(layout.GetCourseInfoFormat(m_kind)) <= 2;
    Metrics& m = m_metrics;
    if (m_style == 0) {
        m.headerHeight = 10;
        m.labelSize = 24;
        m.lineSize = m.leastLine = twoParts ? 11 : 7;
        m.periodSize = m.leastPeriod = twoParts ? 9 : 7;
    } else {
        m.headerHeight = m_style == 1 ? 10 : 8;
        m.labelSize = m_style == 1 ? 16 : 10;
        m.lineSize = m.leastLine = twoParts ? 26 : 16;
        m.periodSize = m.leastPeriod = twoParts ? 8 : 5;
    }
    Paginate();
}

CPageLayout& CSchoolTablePrintSheet::GetPageLayout() const
{
    return SchoolPageLayout();
}

void CSchoolTablePrintSheet::Paginate()
{
    m_pages.clear();
    const CPageLayout& layout = GetPageLayout();
    int paperWidth = 0, paperHeight = 0;
    layout.GetPaperSize(&paperWidth, &paperHeight);
    const double width = paperWidth - layout.marginLeft - layout.marginRight;
    const double height = paperHeight - layout.marginTop - layout.marginBottom - m_metrics.titleHeight -
                          m_metrics.footerHeight;
    Metrics& m = m_metrics;
    const int lines = static_cast<int>(m_model.GetLines().size());
    // Objects go down the page in the horizontal layout and across it in the others.
    const double lineExtent = m_style == 0 ? height - m.headerHeight : width - m.labelSize;
    // The lines share the pages they need evenly and take the room those pages have, up to three
    // times their size: a school of few rooms gets cells that hold a shared room's lessons instead
    // of half a page left blank.
    const int most = std::max(1, static_cast<int>(std::floor(lineExtent / m.leastLine + 1e-6)));
    const int sheets = std::max(1, (lines + most - 1) / most);
    const int perPage = std::max(1, (lines + sheets - 1) / sheets);
    m.lineSize = std::clamp(lineExtent / perPage, m.leastLine, kMostLineGrowth * m.leastLine);
    // The periods run across the page in the horizontal layout and down it in the others; in the
    // crossed one each day is a block with its own titles.
    const double periodExtent = m_style == 0 ? width - m.labelSize : m_style == 1 ? height - m.headerHeight : height;
    const double bandHeader = m_style == 2 ? m.headerHeight : 0;
    const int days = m_model.GetDayCount();
    const int perDay = m_model.GetPeriodsPerDay();
    m_metrics.periodSize = FitPeriod(days, perDay, periodExtent, bandHeader, m.leastPeriod, 2 * m.leastPeriod);
    const std::vector<std::vector<CSchoolPrintBand>> bandPages =
        PackBands(days, perDay, periodExtent, bandHeader, m_metrics.periodSize);
    for (int first = 0; first < std::max(lines, 1); first += perPage) {
        for (const auto& bands : bandPages)
            m_pages.push_back({first, std::min(perPage, lines - first), bands});
    }
}

std::vector<CSchoolTablePrintSheet::Cell> CSchoolTablePrintSheet::PageCells(const CPageLayout& layout, int page) const
{
    std::vector<Cell> cells;
    if (page < 1 || page > GetPageCount())
        return cells;
    const CSchoolPrintPage& p = m_pages[static_cast<std::size_t>(page - 1)];
    const Metrics& m = m_metrics;
    const auto px = [&](double mm) { return static_cast<int>(std::lround(mm * layout.pxPerMmX)); };
    const auto py = [&](double mm) { return static_cast<int>(std::lround(mm * layout.pxPerMmY)); };
    const int left = layout.contentRect.left;
    const int top = layout.contentRect.top + py(m.titleHeight);
    const int perDay = m_model.GetPeriodsPerDay();
    const auto period = [&](const CSchoolPrintBand& band, int k) { return band.dayOrder * perDay + band.first + k; };

    if (m_style == 0) {
        // Day headings over their periods, the period labels under them, then a row per object.
        const int half = py(m.headerHeight / 2);
        int x = left + px(m.labelSize);
        cells.push_back({Rect(left, top, x, top + 2 * half), -1, -1, -1});
        int column = 0;
        for (const CSchoolPrintBand& band : p.bands) {
            const int x0 = left + px(m.labelSize + column * m.periodSize);
            const int x1 = left + px(m.labelSize + (column + band.count) * m.periodSize);
            cells.push_back({Rect(x0, top, x1, top + half), -1, -1, band.dayOrder});
            for (int k = 0; k < band.count; ++k, ++column) {
                const int a = left + px(m.labelSize + column * m.periodSize);
                const int b = left + px(m.labelSize + (column + 1) * m.periodSize);
                cells.push_back({Rect(a, top + half, b, top + 2 * half), -1, period(band, k), -1});
                for (int i = 0; i < p.lineCount; ++i) {
                    const int y0 = top + 2 * half + py(i * m.lineSize);
                    const int y1 = top + 2 * half + py((i + 1) * m.lineSize);
                    cells.push_back({Rect(a, y0, b, y1), p.firstLine + i, period(band, k), -1});
                }
            }
        }
        for (int i = 0; i < p.lineCount; ++i) {
            const int y0 = top + 2 * half + py(i * m.lineSize);
            const int y1 = top + 2 * half + py((i + 1) * m.lineSize);
            cells.push_back({Rect(left, y0, x, y1), p.firstLine + i, -1, -1});
        }
        return cells;
    }
    // The vertical layout: object titles across the top, then the bands' periods down the page,
    // the day and period labels at the left. The crossed layout repeats the titles over each band.
    const int labelRight = left + px(m.labelSize);
    const auto columnRect = [&](int i, int y0, int y1) {
        return Rect(labelRight + px(i * m.lineSize), y0, labelRight + px((i + 1) * m.lineSize), y1);
    };
    const auto titles = [&](int y0, int y1, int dayOrder) {
        cells.push_back({Rect(left, y0, labelRight, y1), -1, -1, dayOrder});
        for (int i = 0; i < p.lineCount; ++i)
            cells.push_back({columnRect(i, y0, y1), p.firstLine + i, -1, -1});
    };
    double y = 0;
    if (m_style == 1) {
        titles(top, top + py(m.headerHeight), -1);
        y = m.headerHeight;
    }
    const int dayWidth = m_style == 1 ? px(m.labelSize / 2) : 0;
    for (const CSchoolPrintBand& band : p.bands) {
        if (m_style == 2) {
            titles(top + py(y), top + py(y + m.headerHeight), band.dayOrder);
            y += m.headerHeight;
        } else {
            cells.push_back({Rect(left, top + py(y), left + dayWidth, top + py(y + band.count * m.periodSize)), -1, -1,
                             band.dayOrder});
        }
        for (int k = 0; k < band.count; ++k) {
            const int y0 = top + py(y + k * m.periodSize);
            const int y1 = top + py(y + (k + 1) * m.periodSize);
            cells.push_back({Rect(left + dayWidth, y0, labelRight, y1), -1, period(band, k), -1});
            for (int i = 0; i < p.lineCount; ++i)
                cells.push_back({columnRect(i, y0, y1), p.firstLine + i, period(band, k), -1});
        }
        y += band.count * m.periodSize;
    }
    return cells;
}

std::vector<Rect> CSchoolTablePrintSheet::LineRects(const QPaintDevice* device, int page, int line) const
{
    CPageLayout& layout = GetPageLayout();
    layout.CalcPageRect(device, false, &GetStructure());
    std::vector<Rect> rects;
    for (const Cell& cell : PageCells(layout, page)) {
        if (cell.line == line && cell.period >= 0)
            rects.push_back(cell.rect);
    }
    return rects;
}

void CSchoolTablePrintSheet::DrawLabel(zem::gui::DC& dc, const Rect& rect, const std::string& label, int dpiY) const
{
    const CTablePageLayout& layout = SchoolPageLayout();
    const zem::TitleLines lines = zem::ReadTitleLines(label);
    const unsigned centred = zem::gui::DT_CENTER | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE;
    // A grouped teacher: the group small above the name.
    if (lines.twoLines) {
        const Rect upper(rect.left, rect.top, rect.right, (rect.top + rect.bottom) / 2);
        const Rect lower(rect.left, upper.bottom, rect.right, rect.bottom);
        dc.SelectFont(PrintFont(layout.otherFont, dpiY, 0.8));
        dc.SetTextColor(zem::RGB(96, 96, 96));
        dc.DrawText(lines.upper, upper, centred);
        dc.SelectFont(PrintFont(layout.otherFont, dpiY));
        dc.SetTextColor(kLineColour);
        dc.DrawText(lines.lower, lower, centred);
        return;
    }
    dc.SelectFont(PrintFont(layout.otherFont, dpiY));
    dc.SetTextColor(kLineColour);
    if (dc.GetTextExtent(label).cx <= rect.Width()) {
        dc.DrawText(label, rect, centred);
        return;
    }
    // Too wide for one line: wrapped, the lines centred up and down.
    const unsigned wrapped = zem::gui::DT_CENTER | zem::gui::DT_WORDBREAK | zem::gui::DT_EDITCONTROL;
    Rect measured = rect;
    dc.DrawText(label, measured, wrapped | zem::gui::DT_CALCRECT);
    Rect at = rect;
    at.top += std::max(0, (rect.Height() - measured.Height()) / 2);
    dc.DrawText(label, at, wrapped);
}

void CSchoolTablePrintSheet::DrawRecord(zem::gui::DC& dc, const Rect& rect, const std::string& record, int dpiY) const
{
    const CTablePageLayout& layout = SchoolPageLayout();
    const zem::CellFields fields = zem::ReadCellRecord(record);
    if (fields.written.empty() || fields.count == "0")
        return;
    dc.SetTextColor(kLineColour);
    Rect inner = rect;
    inner.DeflateRect(1);
    // As many entries as the count asks and the record holds, one at the least.
    const int entries = fields.count == "2" && fields.written.size() >= 2 ? 2 : 1;
    for (int e = 0; e < entries; ++e) {
        const int top = inner.top + inner.Height() * e / entries;
        const int bottom = inner.top + inner.Height() * (e + 1) / entries;
        const std::string main(fields.written[static_cast<std::size_t>(e)].main);
        const std::string second(fields.written[static_cast<std::size_t>(e)].secondary);
        if (entries == 2 && e == 1) {
            dc.SetPenColor(zem::RGB(160, 160, 160));
            dc.MoveTo(inner.left, top);
            dc.LineTo(inner.right, top);
        }
        const Rect box(inner.left, top, inner.right, bottom);
        const int middle = (top + bottom) / 2;
        // Two lines where both fit at a legible size, else one text over the box.
        if (!second.empty() && entries == 1 &&
            FitsOneLine(dc, main, layout.tableFont.main, Rect(box.left, top, box.right, middle), dpiY) &&
            FitsOneLine(dc, second, layout.tableFont.second, Rect(box.left, middle, box.right, bottom), dpiY)) {
            DrawFitted(dc, main, layout.tableFont.main, Rect(box.left, top, box.right, middle), dpiY);
            DrawFitted(dc, second, layout.tableFont.second, Rect(box.left, middle, box.right, bottom), dpiY);
            continue;
        }
        const std::string both = second.empty() ? main : main + " " + second;
        m_shortened += DrawFitted(dc, both, second.empty() ? layout.tableFont.main : layout.tableFont.second, box, dpiY);
    }
}

void CSchoolTablePrintSheet::DrawPage(zem::gui::DC& dc, const CPageLayout& layout, int page, int pageCount) const
{
    const int dpiY = layout.dpiY;
    const Rect content = layout.contentRect;
    const int titleBottom = content.top + static_cast<int>(std::lround(m_metrics.titleHeight * layout.pxPerMmY));
    dc.SetTextColor(kLineColour);
    dc.SelectFont(PrintFont(layout.fonts[CPageLayout::FONT_TITLE], dpiY));
    dc.DrawText(m_title, Rect(content.left, content.top, content.right, titleBottom),
                zem::gui::DT_CENTER | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);
    const int footerTop = content.bottom - static_cast<int>(std::lround(m_metrics.footerHeight * layout.pxPerMmY));
    dc.SelectFont(PrintFont(layout.fonts[CPageLayout::FONT_SMALL], dpiY));
    dc.DrawText(zem::Format(kPageFooter, page, pageCount), Rect(content.left, footerTop, content.right, content.bottom),
                zem::gui::DT_CENTER | zem::gui::DT_VCENTER | zem::gui::DT_SINGLELINE);

    const auto& lines = m_model.GetLines();
    const int perDay = m_model.GetPeriodsPerDay();
    for (const Cell& cell : PageCells(layout, page)) {
        const bool label = cell.line < 0 || cell.period < 0;
        if (label)
            dc.FillSolidRect(cell.rect, kLabelFill);
        dc.FrameRect(cell.rect, kLineColour);
        Rect inner = cell.rect;
        inner.DeflateRect(2);
        if (cell.line >= 0 && cell.period >= 0) {
            DrawRecord(dc, cell.rect,
                       m_texts[static_cast<std::size_t>(cell.line)][static_cast<std::size_t>(cell.period)], dpiY);
        } else if (cell.line >= 0) {
            DrawLabel(dc, inner, lines[static_cast<std::size_t>(cell.line)].label, dpiY);
        } else if (cell.period >= 0) {
            DrawLabel(dc, inner, m_model.PeriodLabel(cell.period % perDay), dpiY);
        } else if (cell.dayOrder >= 0 && cell.dayOrder < static_cast<int>(m_dayNames.size())) {
            DrawLabel(dc, inner, m_dayNames[static_cast<std::size_t>(cell.dayOrder)], dpiY);
        }
    }
}

int CSchoolTablePrintSheet::DrawPrintedPage(zem::gui::DC& dc, int page)
{
    m_shortened = 0;
    DrawPage(dc, GetPageLayout(), page, GetPageCount());
    return m_shortened;
}

void CSchoolTablePrintSheet::Print(QPaintDevice* device, CPrintPageInfo& info)
{
    if (!device)
        return;
    CPageLayout& layout = GetPageLayout();
    layout.CalcPageRect(device, false, &GetStructure());
    const int pageCount = GetPageCount();
    if (info.onScreen) {
        auto* image = dynamic_cast<QImage*>(device);
        const auto dc = image ? std::make_unique<zem::gui::DC>(image) : std::make_unique<zem::gui::DC>(device);
        if (!dc->IsActive())
            return;
        dc->FillSolidRect(layout.paperRect, zem::RGB(255, 255, 255));
        dc->FrameRect(layout.paperRect, 0);
        DrawPage(*dc, layout, info.currentPage, pageCount);
        return;
    }
    auto* printer = dynamic_cast<QPrinter*>(device);
    auto* paged = dynamic_cast<QPagedPaintDevice*>(device);
    CPdfAside aside;
    const auto fail = [&](const char* text) {
        aside.Discard();
        zem::ShowMessage(aside.FailureText(text), "错误", zem::MessageIcon::Error);
    };
    if (printer) {
        printer->setDocName(zem::gui::ToQ(m_title));
        if (!aside.Begin(*printer))
            return fail("连接到打印机失败!");
    }
    auto dc = std::make_unique<zem::gui::DC>(device);
    if (!dc->IsActive()) {
        dc.reset();
        return fail("连接到打印机失败!");
    }
    for (int page = 1; page <= pageCount; ++page) {
        if (page > 1 && (!paged || !paged->newPage())) {
            if (printer)
                printer->abort();
            dc.reset();
            return fail("打印失败!");
        }
        DrawPage(*dc, layout, page, pageCount);
    }
    const bool ended = dc->End();
    dc.reset();
    if (!ended || (printer && printer->printerState() == QPrinter::Error) || !aside.Commit())
        return fail("打印失败!");
    SetDone(true);
}
