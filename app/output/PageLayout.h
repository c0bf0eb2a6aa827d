#pragma once
// The settings of printed and exported timetable pages: paper, margins and fonts (CPageLayout);
// what a page of week timetables shows (CWeekTablePageLayout); the whole-school timetable's
// settings (CTablePageLayout). The application context owns one of each for the whole run and
// keeps them in zem.ini.
#include "app/shared/FontSpec.h"
#include "table/TableDefs.h"

#include <string>
#include <vector>

class CPageLayout {
public:
    // Font slots: title, weekday header, small text, cell first line, cell second line.
    enum { FONT_TITLE = 0, FONT_HEADER = 1, FONT_SMALL = 2, FONT_CONTENT = 3, FONT_CONTENT2 = 4, FONT_COUNT = 5 };

    CPageLayout();
    virtual ~CPageLayout() = default;

    virtual void SetDefaults();

    int paper = 1;        // 0 A3, 2 A5, else A4
    int orientation = 0;  // non-zero portrait
    int marginLeft = 20, marginTop = 26, marginRight = 20, marginBottom = 26;  // mm
    CFontSpec fonts[FONT_COUNT];
    bool ShowFullName = true;
};

class CWeekTablePageLayout : public CPageLayout {
public:
    CWeekTablePageLayout();

    void SetDefaults() override;

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
};

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
