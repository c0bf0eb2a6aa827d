#pragma once
// One week timetable drawn into a slot of a printed or previewed page: the title, the ruled grid
// with its weekday header, period and segment names, separator and banner rows and the lesson texts
// ("普通打印"), or the grid as a hidden week grid paints it, scaled into the slot ("彩色打印"); and
// the information line under the grid. Every size comes from the layout, computed for the same
// device just before.
#include "platform/Gdi.h"
#include "platform/gui/Font.h"

#include <array>
#include <string>
#include <vector>

class CExportTableItem;
class CSchoolStructure;
class CScheduleTask;
class CWeekTablePageLayout;
class QWidget;
struct BlankLine;
struct CPrintPageInfo;
struct tagTABLE_NODE;

namespace zem::gui {
class DC;
}

class CWeekTablePage {
public:
    // The task may be null (an empty timetable); the owner, parent of the hidden grid, too.
    CWeekTablePage(const CWeekTablePageLayout& layout, CScheduleTask* task, const CSchoolStructure& structure,
                   QWidget* owner);

    void Draw(zem::gui::DC& dc, const zem::Rect& slot, const CExportTableItem& item, const CPrintPageInfo& info);

private:
    // The font slots of the layout, at the resolution of the device drawn on.
    enum { F_TITLE, F_HEADER, F_SMALL, F_CONTENT, F_CONTENT2, F_COUNT };

    void DrawTitle(zem::gui::DC& dc, const CExportTableItem& item, const CPrintPageInfo& info);
    void DrawRuledGrid(zem::gui::DC& dc, const CExportTableItem& item, const CPrintPageInfo& info);
    // One day column from the header down; the first column also draws the period column.
    void DrawDayColumn(zem::gui::DC& dc, int day, int column, const CExportTableItem& item, const CPrintPageInfo& info);
    // A separator or banner row at y; its text and lines only with the first column.
    void DrawBannerRow(zem::gui::DC& dc, int top, const std::string& text, bool firstColumn);
    void DrawCell(zem::gui::DC& dc, const zem::Rect& cell, const tagTABLE_NODE& node, const CExportTableItem& item,
                  const CPrintPageInfo& info);
    // What a cell shows: a box (the cell, or half of it for an odd/even pair) with the upper and
    // lower line of its lesson, or its activity alone.
    struct CellText {
        zem::Rect box;
        std::string upper, lower;
    };
    std::vector<CellText> CellTexts(const zem::Rect& cell, const tagTABLE_NODE& node,
                                    const CExportTableItem& item) const;
    // The ratio of the cell fonts' sizes every cell of the table is drawn at.
    double TableTextRatio(zem::gui::DC& dc, const CExportTableItem& item) const;
    // The upper and lower line of a lesson in the rectangle, or the upper alone in its middle.
    void DrawLessonLines(zem::gui::DC& dc, const CellText& text);
    void DrawGridPicture(zem::gui::DC& dc, const CExportTableItem& item, const CPrintPageInfo& info);
    void DrawInfoLine(zem::gui::DC& dc, const CExportTableItem& item);
    void HorizontalLine(zem::gui::DC& dc, int x0, int x1, int y);
    void VerticalLine(zem::gui::DC& dc, int x, int y0, int y1);
    // The text of the default banner row of the segment (afternoon 1, night 2).
    std::string DefaultBannerText(int segment) const;

    const CWeekTablePageLayout& m_layout;
    CScheduleTask* m_task;
    const CSchoolStructure& m_structure;
    QWidget* m_owner;
    std::array<zem::gui::Font, F_COUNT> m_fonts;

    // Of the slot being drawn.
    int m_x0 = 0, m_x1 = 0, m_y0 = 0;
    int m_gridTop = 0, m_gridBottom = 0, m_firstCol = 0;
    double m_textRatio = 1;
};
