#pragma once
// One week timetable drawn into a slot of a printed or previewed page: the title, the ruled grid
// with its weekday header, period and segment names, separator and banner rows and the lesson texts,
// black on white ("普通打印") or in the week grid's colours ("彩色打印"); and the information line
// under the grid. Every size comes from the layout, computed for the same device just before.
#include "platform/Gdi.h"
#include "platform/gui/Font.h"

#include <array>
#include <string>
#include <vector>

class CExportTableItem;
class CSchoolStructure;
class CScheduleTask;
class CWeekTablePageLayout;
struct BlankLine;
struct CPrintPageInfo;
struct tagTABLE_NODE;

namespace zem::gui {
class DC;
}

class CWeekTablePage {
public:
    // The task may be null (an empty timetable).
    CWeekTablePage(const CWeekTablePageLayout& layout, CScheduleTask* task, const CSchoolStructure& structure);

    void Draw(zem::gui::DC& dc, const zem::Rect& slot, const CExportTableItem& item, const CPrintPageInfo& info);
    // The lessons drawn so far whose lines did not fit their cell even at the smallest legible size,
    // and so were printed in part, ending in "…".
    int ShortenedLessons() const { return m_shortened; }

private:
    // The font slots of the layout, at the resolution of the device drawn on.
    enum { F_TITLE, F_HEADER, F_SMALL, F_CONTENT, F_CONTENT2, F_COUNT };
    // What the table is painted in; a background of 0 leaves its place white.
    struct Colours {
        zem::COLORREF headerBand, headerText, segmentBand;
        zem::COLORREF rowA, rowB, morningReading, selfStudy, bannerBand;
        zem::COLORREF mainText, secondaryText;
        bool subjectColours;  // lesson cells take their subject's colour
    };
    static Colours PlainColours(bool subjectColours);
    // The week grid's colour palette, as the grid shows it with or without subject colours.
    static Colours GridColours(bool subjectColours);

    void DrawTitle(zem::gui::DC& dc, const CExportTableItem& item, const CPrintPageInfo& info);
    void DrawRuledGrid(zem::gui::DC& dc, const CExportTableItem& item);
    // One day column from the header down; the first column also draws the period column.
    void DrawDayColumn(zem::gui::DC& dc, int day, int column, const CExportTableItem& item);
    // A separator or banner row at y; its text and lines only with the first column.
    void DrawBannerRow(zem::gui::DC& dc, int top, const std::string& text, bool firstColumn);
    // The period name of a row, in the period column.
    void DrawPeriodName(zem::gui::DC& dc, const zem::Rect& box, const std::string& name, int row, int segment);
    void DrawSegmentName(zem::gui::DC& dc, int top, int bottom, int segment);
    // `row` counts the rows of the table from the top, for the alternating row colours.
    void DrawCell(zem::gui::DC& dc, const zem::Rect& cell, const tagTABLE_NODE& node, int row,
                  const CExportTableItem& item);
    // The background of a row (0 none): the bands of morning reading and evening self-study, else
    // alternating.
    zem::COLORREF RowColour(int row, int segment) const;
    // What a cell shows: a box (the cell, or half of it for an odd/even pair) with the upper and
    // lower line of its lesson, or its activity alone.
    struct CellText {
        zem::Rect box;
        std::string upper, lower;
    };
    std::vector<CellText> CellTexts(const zem::Rect& cell, const tagTABLE_NODE& node,
                                    const CExportTableItem& item) const;
    // How a lesson's lines are set in its box: one above the other, each unbroken; joined on one
    // line in the second line's font ("语文 初一(1)班"); one above the other, both in the second
    // line's font, so that no name is broken between two lines; the first and second wrapped; or,
    // where even the wrapped lines are too tall, as much of them as the box holds, ending in "…".
    enum class LineSetting { Stacked, Joined, StackedSmall, StackedWrapped, JoinedWrapped, Shortened };
    // The first setting, unbroken or (with `wrap`) wrapped, whose lines fit the box at the ratio.
    LineSetting SettingOf(zem::gui::DC& dc, const CellText& text, double ratio, bool wrap) const;
    // The first setting that fits at the ratio, unbroken ones before wrapped ones.
    LineSetting SettingAt(zem::gui::DC& dc, const CellText& text, double ratio) const;
    // The width and height of the text in the font slot at the ratio, on one line or wrapped.
    zem::Size Extent(zem::gui::DC& dc, int font, double ratio, const std::string& text, int width, bool wrap) const;
    static std::string Joined(const CellText& text);
    // The longest start of the text that, followed by "…", fits the box wrapped at the table's size;
    // at least its first character.
    std::string Shortened(zem::gui::DC& dc, const std::string& text, const zem::Rect& box) const;
    // The ratios of the cell fonts' sizes a table may be drawn at, largest first, down to the
    // smallest legible size.
    std::vector<double> TextRatios() const;
    // The place in `ratios`, from `from` on, of the largest ratio the cell's text may take.
    std::size_t CellRatio(zem::gui::DC& dc, const CellText& text, const std::vector<double>& ratios,
                          std::size_t from) const;
    // The ratio every cell of the table is drawn at.
    double TableTextRatio(zem::gui::DC& dc, const CExportTableItem& item) const;
    // A lesson's lines in its box, set as SettingAt finds.
    void DrawLessonLines(zem::gui::DC& dc, const CellText& text);
    void DrawInfoLine(zem::gui::DC& dc, const CExportTableItem& item);
    // A rule of the table, drawn once every background is; x1 and y1 are past the end.
    void HorizontalLine(int x0, int x1, int y);
    void VerticalLine(int x, int y0, int y1);

    const CWeekTablePageLayout& m_layout;
    CScheduleTask* m_task;
    const CSchoolStructure& m_structure;
    std::array<zem::gui::Font, F_COUNT> m_fonts;

    // Of the slot being drawn.
    int m_x0 = 0, m_x1 = 0, m_y0 = 0;
    int m_gridTop = 0, m_gridBottom = 0, m_firstCol = 0;
    double m_textRatio = 1;
    int m_rule = 1;  // the width of a rule
    int m_shortened = 0;
    std::vector<zem::Rect> m_rules;  // drawn after the backgrounds
    Colours m_colours = PlainColours(false);
};
