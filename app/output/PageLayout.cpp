#include "app/output/PageLayout.h"

#include "app/shared/AppServices.h"
#include "app/shared/Vocabulary.h"
#include "base/DayRows.h"
#include "base/SchoolStructure.h"
#include "platform/gui/Font.h"
#include "table/UICore.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QRegularExpression>
#include <QScreen>

#include <algorithm>
#include <cstdint>

using zem::Rect;

namespace {

int KindIndex(int kind)
{
    return kind == 1 || kind == 2 ? kind : 0;
}

int Trunc(double value)
{
    return static_cast<int>(value);
}

}  // namespace

void DeviceResolution(const QPaintDevice* device, int* dpiX, int* dpiY)
{
    int x = 96;
    int y = 96;
    if (device) {
        x = device->logicalDpiX();
        y = device->logicalDpiY();
    } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            x = qRound(screen->logicalDotsPerInchX());
            y = qRound(screen->logicalDotsPerInchY());
        }
    }
    *dpiX = std::max(1, x);
    *dpiY = std::max(1, y);
}

zem::LogFont PrintLogFont(const CFontSpec& font, int dpiY)
{
    // The point size at the device's resolution, rounded as the system's MulDiv rounds.
    const int pixels = static_cast<int>((static_cast<std::int64_t>(font.size) * dpiY + 36) / 72);
    return zem::LogFont{-std::max(1, pixels), font.bold ? 700 : 400, false, false, font.faceName};
}

CPageLayout::CPageLayout()
{
    CPageLayout::SetDefaults();
}

void CPageLayout::GetPaperSize(int* widthMm, int* heightMm) const
{
    int shortSide = 210, longSide = 297;
    if (paper == 0) {
        shortSide = 297;
        longSide = 420;
    } else if (paper == 2) {
        shortSide = 148;
        longSide = 210;
    }
    *widthMm = orientation != 0 ? shortSide : longSide;
    *heightMm = orientation != 0 ? longSide : shortSide;
}

void CPageLayout::CalcPageRect(const QPaintDevice* device, bool, const CSchoolStructure*)
{
    int width = 0, height = 0;
    GetPaperSize(&width, &height);
    DeviceResolution(device, &dpiX, &dpiY);
    // Both factors from the horizontal resolution, as the stored layouts were made.
    pxPerMmX = pxPerMmY = dpiX * kMmPerInchInverse;
    paperRect = Rect(0, 0, Trunc(pxPerMmX * width), Trunc(pxPerMmY * height));
    contentRect = Rect(Trunc(marginLeft * pxPerMmX), Trunc(marginTop * pxPerMmY),
                       paperRect.right - Trunc(marginRight * pxPerMmX), paperRect.bottom - Trunc(marginBottom * pxPerMmY));
}

void CPageLayout::SetDefaults()
{
    // The Windows face name: the font alias table turns it into the installed KaiTi family.
    const std::string kai = "楷体";
    fonts[FONT_TITLE] = {CUICore::instance()->GetDefaultTableFontName(), 18, true, false};
    fonts[FONT_HEADER] = {kai, 9, true, false};
    fonts[FONT_SMALL] = {kai, 9, false, false};
    fonts[FONT_CONTENT] = {kai, 12, false, false};
    fonts[FONT_CONTENT2] = {kai, 9, false, false};
}

CWeekTablePageLayout::CWeekTablePageLayout()
{
    // The two standard banner rows: before the afternoon and before the night.
    blankLines[0].segment = zem::kAfternoon;
    blankLines[1].segment = zem::kNight;
}

void CWeekTablePageLayout::SetDefaults()
{
    CPageLayout::SetDefaults();
    SheetType = 0;
    TitleFormat = "%NAME%";
    std::fill(std::begin(CourseInfoFormat), std::end(CourseInfoFormat), 0);
    ShowHeadTeacherName = false;
    ShowWeekCount = false;
    ShowDate = true;
    ShowSectionName = false;
    NormalPrint = true;
    TableLayout = 0;
    CellHeightInSingleMode = 18;
}

int CWeekTablePageLayout::GetTablesPerPage() const
{
    switch (TableLayout) {
    case 1:
    case 2:
        return 2;
    case 3:
        return 4;
    case 4:
    case 5:
        return 6;
    default:
        return 1;
    }
}

Rect CWeekTablePageLayout::GetTableRect(int i) const
{
    return i >= 0 && i < kMaxTablesPerPage ? tableSlots[i] : Rect();
}

int CWeekTablePageLayout::CountBreakRows(const CSchoolStructure& structure) const
{
    return zem::BreakRowCount(zem::DayRows(structure.GetSegmentCounts(), blankLines));
}

void CWeekTablePageLayout::CalcPageRect(const QPaintDevice* device, bool temporary, const CSchoolStructure* structure)
{
    CPageLayout::CalcPageRect(device, temporary, structure);
    LayoutTableRects();
    CalcMetrics(device, temporary, structure);
}

void CWeekTablePageLayout::LayoutTableRects()
{
    std::fill(std::begin(tableSlots), std::end(tableSlots), Rect());
    const int L = contentRect.left, T = contentRect.top, R = contentRect.right, B = contentRect.bottom;
    const int gx = Trunc(tableGapX * pxPerMmX), gy = Trunc(tableGapY * pxPerMmY);
    const int cx = (L + R) / 2, cy = (T + B) / 2;
    switch (TableLayout) {
    case 1:
        tableSlots[0] = Rect(L, T, cx - gx, B);
        tableSlots[1] = Rect(cx + gx, T, R, B);
        break;
    case 2:
        tableSlots[0] = Rect(L, T, R, cy - gy);
        tableSlots[1] = Rect(L, cy + gy, R, B);
        break;
    case 3:
        tableSlots[0] = Rect(L, T, cx - gx, cy - gy);
        tableSlots[1] = Rect(cx + gx, T, R, cy - gy);
        tableSlots[2] = Rect(L, cy + gy, cx - gx, B);
        tableSlots[3] = Rect(cx + gx, cy + gy, R, B);
        break;
    case 4: {
        const int w = (R - L - 4 * gx) / 3;
        for (int column = 0; column < 3; ++column) {
            const int left = L + column * (w + 2 * gx);
            tableSlots[column] = Rect(left, T, left + w, cy - gy);
            tableSlots[3 + column] = Rect(left, cy + gy, left + w, B);
        }
        break;
    }
    case 5: {
        const int h = (B - T - 4 * gy) / 3;
        for (int row = 0; row < 3; ++row) {
            const int top = T + row * (h + 2 * gy);
            tableSlots[2 * row] = Rect(L, top, cx - gx, top + h);
            tableSlots[2 * row + 1] = Rect(cx + gx, top, R, top + h);
        }
        break;
    }
    default:
        tableSlots[0] = Rect(L, T, R, B);
        break;
    }
}

void CWeekTablePageLayout::CalcMetrics(const QPaintDevice* device, bool temporary, const CSchoolStructure* structure)
{
    const Rect& slot = tableSlots[0];
    const int H = slot.bottom - slot.top;
    const double e = pxPerMmY;
    const bool single = GetTablesPerPage() == 1;
    // Several tables a page give their rows what the weekday heads and the date line do not need.
    titleHeight = Trunc((single ? 12 : 8) * e);
    headerHeight = Trunc((single ? 8 : 5) * e);
    infoHeight = Trunc((single ? 6 : 4) * e);
    spacing = Trunc((single ? 3 : 2) * e);
    bannerHeight = std::min(H / 30, Trunc((single ? 6 : 5) * e));
    const std::string& title = temporary ? TempTitleFormat : TitleFormat;
    if (title.find('\n', 1) != std::string::npos)
        titleHeight = Trunc(titleHeight * 1.5);

    const int breaks = structure ? CountBreakRows(*structure) : 0;
    const int n = structure ? structure->GetDayNodeCount() : 0;
    int rest = 0;
    if (n == 0) {
        rowHeight = Trunc(12 * e);
    } else {
        int fixed = 2 * spacing + breaks * bannerHeight + infoHeight + headerHeight + titleHeight;
        if (H - fixed < n) {
            // A slot too small for its rows: the bands give way in proportion, so that every row
            // keeps at least a pixel and the table stays inside its slot.
            const std::int64_t room = std::max(0, H - n);
            for (int* band : {&titleHeight, &headerHeight, &infoHeight, &spacing, &bannerHeight})
                *band = std::max<int>(1, static_cast<int>(*band * room / std::max(1, fixed)));
            fixed = 2 * spacing + breaks * bannerHeight + infoHeight + headerHeight + titleHeight;
        }
        const int free = H - fixed;
        rowHeight = std::max(1, free / n);
        rest = std::max(0, free - rowHeight * n);
        if (single && CellHeightInSingleMode > 0) {
            const int cap = std::max(1, Trunc(CellHeightInSingleMode * e));
            if (cap < rowHeight) {
                const int saved = n * (rowHeight - cap);
                tableSlots[0].bottom -= saved;
                rest += saved;
                rowHeight = cap;
            }
        }
    }
    gridOffset = spacing + titleHeight;
    gridHeight = std::max(1, H - titleHeight - 2 * spacing - infoHeight - rest);

    const int x0 = slot.left, x1 = slot.right;
    sectionColumnWidth = ShowSectionName ? Trunc(8 * pxPerMmX) : 0;
    periodColumnWidth = PeriodColumnWidth(device, structure);
    dayColumnWidth = Trunc(20 * pxPerMmX);
    const int days = structure ? structure->GetWeekDayCount() : 0;
    if (days > 0) {
        dayColumnWidth = std::max(1, (x1 - sectionColumnWidth - periodColumnWidth - x0) / days);
        periodColumnWidth = std::max(1, x1 - days * dayColumnWidth - sectionColumnWidth - x0);
    }
}

int CWeekTablePageLayout::PeriodColumnWidth(const QPaintDevice* device, const CSchoolStructure* structure) const
{
    int width = Trunc(6 * pxPerMmX);
    if (!structure || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return width;
    std::vector<std::string> names;
    GetPeriodNames(names, *structure);
    // Several tables a page: the names shrink to the smallest legible size before the days give up
    // their width to them.
    constexpr int kLegiblePoints = 6;
    const bool several = GetTablesPerPage() > 1;
    CFontSpec face = fonts[FONT_SMALL];
    if (several && face.size > kLegiblePoints)
        face.size = kLegiblePoints;
    const zem::gui::Font font(PrintLogFont(face, dpiY));
    const QFontMetrics metrics = device ? QFontMetrics(font.GetQFont(), const_cast<QPaintDevice*>(device))
                                        : QFontMetrics(font.GetQFont());
    // A name of several lines ("第1节", its times under it) is as wide as its widest line.
    for (const std::string& name : names) {
        for (const QString& line : QString::fromStdString(name).split(QRegularExpression("\\r?\\n")))
            width = std::max(width, metrics.horizontalAdvance(line));
    }
    return std::min(width + Trunc((several ? 1.5 : 3) * pxPerMmX), Trunc(30 * pxPerMmX));
}

std::string ExpandTitleTemplate(const std::string& titleTemplate, const std::string& tableName,
                                const std::string& schoolName)
{
    // One pass, so that a name holding a placeholder stays as it is.
    static constexpr std::string_view kName = "%NAME%";
    static constexpr std::string_view kSchool = "%SCHOOL%";
    std::string out;
    std::string_view rest = titleTemplate;
    while (!rest.empty()) {
        if (rest.starts_with(kName)) {
            out += tableName;
            rest.remove_prefix(kName.size());
        } else if (rest.starts_with(kSchool)) {
            out += schoolName;
            rest.remove_prefix(kSchool.size());
        } else {
            out += rest.front();
            rest.remove_prefix(1);
        }
    }
    return out;
}

std::string ExpandTitleTemplate(const std::string& titleTemplate, const std::string& tableName)
{
    return ExpandTitleTemplate(titleTemplate, tableName, AppServices().GetSchoolName());
}

int CWeekTablePageLayout::GetCourseInfoFormat(int kind) const
{
    return CourseInfoFormat[KindIndex(kind)];
}

void CWeekTablePageLayout::SetCourseInfoFormat(int value, int kind)
{
    CourseInfoFormat[KindIndex(kind)] = value;
}

void CWeekTablePageLayout::SyncContentFonts()
{
    const CFontSpec& content = fonts[FONT_CONTENT];
    const int size = std::clamp(content.size, 6, 12);
    for (int slot : {FONT_HEADER, FONT_SMALL}) {
        fonts[slot].faceName = content.faceName;
        fonts[slot].size = size;
    }
}

CTablePageLayout::CTablePageLayout()
{
    ShowFullName = false;
}

int CTablePageLayout::GetCourseInfoFormat(int kind) const
{
    return CourseInfoFormat[KindIndex(kind)];
}

void CTablePageLayout::SetCourseInfoFormat(int value, int kind)
{
    CourseInfoFormat[KindIndex(kind)] = value;
}

CWeekTablePageLayout& WeekPageLayout()
{
    if (CWeekTablePageLayout* layout = AppServices().GetWeekPageLayout())
        return *layout;
    static CWeekTablePageLayout defaults;
    return defaults;
}

CTablePageLayout& SchoolPageLayout()
{
    if (CTablePageLayout* layout = AppServices().GetSchoolPageLayout())
        return *layout;
    static CTablePageLayout defaults;
    return defaults;
}
