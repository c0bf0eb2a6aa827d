#pragma once
// The settings of printed and exported timetable pages: paper, margins and fonts (CPageLayout);
// what a page of week timetables shows (CWeekTablePageLayout); the whole-school timetable's
// settings (CTablePageLayout). The application context owns one of each for the whole run and
// keeps them in zem.ini. CalcPageRect turns a layout into the geometry of one device: a printer, a
// PDF file, a page image, or without one the screen.
#include "app/shared/FontSpec.h"
#include "platform/Gdi.h"
#include "platform/gui/Font.h"
#include "table/TableDefs.h"

#include <string>
#include <vector>

class CSchoolStructure;
class QPaintDevice;

class CPageLayout {
public:
    // Font slots: title, weekday header, small text, cell first line, cell second line.
    enum { FONT_TITLE = 0, FONT_HEADER = 1, FONT_SMALL = 2, FONT_CONTENT = 3, FONT_CONTENT2 = 4, FONT_COUNT = 5 };

    CPageLayout();
    virtual ~CPageLayout() = default;

    // The paper and content rectangles in pixels of the device (null: the screen). The structure
    // (null: none) gives the periods the week layout makes room for.
    virtual void CalcPageRect(const QPaintDevice* device, bool temporary, const CSchoolStructure* structure);
    virtual void SetDefaults();

    // The paper's width and height in millimetres, as the orientation turns it.
    void GetPaperSize(int* widthMm, int* heightMm) const;

    int paper = 1;        // 0 A3, 2 A5, else A4
    int orientation = 0;  // non-zero portrait
    // Room for any printer's edge; more would be taken from the tables of a crowded page.
    int marginLeft = 15, marginTop = 15, marginRight = 15, marginBottom = 15;  // mm
    CFontSpec fonts[FONT_COUNT];
    bool ShowFullName = true;

    // From the last CalcPageRect.
    zem::Rect paperRect;
    zem::Rect contentRect;
    int dpiX = 96, dpiY = 96;
    double pxPerMmX = 96 * kMmPerInchInverse, pxPerMmY = 96 * kMmPerInchInverse;

    // Pixels per millimetre of one dot per inch.
    static constexpr double kMmPerInchInverse = 0.03937007933143675;
};

// The resolution of a device, or of the screen without one.
void DeviceResolution(const QPaintDevice* device, int* dpiX, int* dpiY);
// A print font at the device's vertical resolution: its point size in device pixels, bold or not.
zem::LogFont PrintLogFont(const CFontSpec& font, int dpiY);

class CWeekTablePageLayout : public CPageLayout {
public:
    static constexpr int kMaxTablesPerPage = 6;

    CWeekTablePageLayout();

    // Also the table slots and the row metrics for the periods of the structure.
    void CalcPageRect(const QPaintDevice* device, bool temporary, const CSchoolStructure* structure) override;
    void SetDefaults() override;

    // TableLayout 1 or 2: 2, 3: 4, 4 or 5: 6, any other value 1.
    int GetTablesPerPage() const;
    // Slot i (0..5) of a page; empty otherwise.
    zem::Rect GetTableRect(int i) const;
    // The banner rows that take a row of their own in a table of the structure: the separators
    // before the afternoon and before the evening, and the custom rows at an existing period.
    int CountBreakRows(const CSchoolStructure& structure) const;

    // Kind 1 teacher, 2 room, any other class: the cell-text layout of that table kind.
    int GetCourseInfoFormat(int kind) const;
    void SetCourseInfoFormat(int value, int kind);
    std::string GetTitleFormat() const { return TitleFormat; }
    std::string GetTempTitleFormat() const { return TempTitleFormat; }

    // The weekday header and small text take the content face, at its size kept within 6..12.
    void SyncContentFonts();

    int SheetType = 0;
    std::string TitleFormat = "%NAME%";
    std::string TempTitleFormat = "%NAME%临时课表";
    int CourseInfoFormat[3] = {0, 0, 0};
    bool ShowHeadTeacherName = false;
    bool ShowWeekCount = false;
    bool ShowDate = true;
    bool ShowSectionName = false;
    // The banner rows; `enabled` holds the row's type (0 one of the two standard rows, 1 custom).
    BlankLine blankLines[kMaxBlankLines];
    bool NormalPrint = true;
    int TableLayout = 0;
    int CellHeightInSingleMode = 18;  // mm; 0 = no cap
    int tableGapX = 8, tableGapY = 5; // mm
    bool contentFacePending = false;  // the content face waits for the font scan

    // From the last CalcPageRect, in device pixels.
    zem::Rect tableSlots[kMaxTablesPerPage];
    int titleHeight = 0, headerHeight = 0, bannerHeight = 0, infoHeight = 0, spacing = 0, rowHeight = 0;
    int gridOffset = 0, gridHeight = 0;
    int sectionColumnWidth = 0, periodColumnWidth = 0, dayColumnWidth = 0;

private:
    void LayoutTableRects();
    void CalcMetrics(const QPaintDevice* device, bool temporary, const CSchoolStructure* structure);
    int PeriodColumnWidth(const QPaintDevice* device, const CSchoolStructure* structure) const;
};

// The title template with every "%NAME%" replaced by the table's name and every "%SCHOOL%" by the
// school's; without a school name, that of the program's settings ([Common] SchoolName).
std::string ExpandTitleTemplate(const std::string& titleTemplate, const std::string& tableName,
                                const std::string& schoolName);
std::string ExpandTitleTemplate(const std::string& titleTemplate, const std::string& tableName);

// The week-table layout of the program's settings; without one installed, a layout of this
// process with the defaults.
CWeekTablePageLayout& WeekPageLayout();

class CTablePageLayout : public CPageLayout {
public:
    CTablePageLayout();

    int GetCourseInfoFormat(int kind) const;
    void SetCourseInfoFormat(int value, int kind);

    std::vector<std::string> subjectFilter;  // empty: all subjects
    int Type = 0;
    int Style = 0;  // 0 横排, 1 竖排, 2 交叉
    int CourseInfoFormat[3] = {0, 0, 0};
    bool ShowSS = false;
    // The rows chosen in the whole-school window; emptied when a task is opened.
    std::vector<std::string> chosenRows;
    // The table fonts of the whole-school window: a copy of the context's table font 2.
    CTableFontPair tableFont;
    CFontSpec otherFont;
};

// The whole-school layout of the program's settings; without one installed, a layout of this
// process with the defaults.
CTablePageLayout& SchoolPageLayout();
