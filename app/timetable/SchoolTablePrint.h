#pragma once
// The whole-school timetable printed as the window shows it (kind, layout, text mode, subject
// filter, fonts) on the paper of the whole-school layout: the lines are spread over the pages, no
// line split between two, and the periods are cut into bands that fit the page, each with its
// header; every page has its title and its number.
#include "app/output/PrintSheet.h"
#include "app/shared/FontSpec.h"
#include "app/timetable/SchoolTimetableModel.h"

#include <string>
#include <string_view>
#include <vector>

// A run of periods of one day: the day's order and its first period and count within the day.
struct CSchoolPrintBand {
    int dayOrder = 0;
    int first = 0;
    int count = 0;
};

// One printed page: a run of lines and the bands of periods it shows.
struct CSchoolPrintPage {
    int firstLine = 0;
    int lineCount = 0;
    std::vector<CSchoolPrintBand> bands;
};

class CSchoolTablePrintSheet : public CTaskPrintSheet {
public:
    // The master timetable of the kind (0 class, 1 teacher, 2 room) in the layout (0 横排, 1 竖排,
    // 2 交叉), with the texts of the task's working timetables now.
    CSchoolTablePrintSheet(QWidget* owner, CScheduleTask* task, int kind, int style);

    CPageLayout& GetPageLayout() const override;
    bool HasWeekPageSettings() const override { return false; }
    int GetPageCount() const override { return static_cast<int>(m_pages.size()); }
    void Print(QPaintDevice* device, CPrintPageInfo& info) override;
    // The preview offers no export of this job.
    void Export(CPrintPageInfo&) override {}

    // "全校班级总课表（横排）" and the like.
    const std::string& GetTitle() const { return m_title; }
    const std::vector<CSchoolPrintPage>& GetPages() const { return m_pages; }
    const CSchoolTimetableModel& GetModel() const { return m_model; }
    // Where page `page` (from 1) puts the line's cells on the device, as Print lays it out; empty
    // when the page does not show the line.
    std::vector<zem::Rect> LineRects(const QPaintDevice* device, int page, int line) const;

    // The page's parts, in millimetres.
    struct Metrics {
        double titleHeight = 12, footerHeight = 8;
        double headerHeight = 0;  // the day and period labels, or the object titles
        double labelSize = 0;     // the object titles' width (horizontal) or the period labels' (others)
        double lineSize = 0;      // an object's line: its height (horizontal) or width (others), fitted to the page
        double leastLine = 0;     // the smallest that is fitted
        double periodSize = 0;    // a period's width (horizontal) or height (others), fitted to the page
        double leastPeriod = 0;   // the smallest that is fitted
    };
    const Metrics& GetMetrics() const { return m_metrics; }

protected:
    // Lessons too long for their cells even wrapped at the smallest legible size are counted.
    int DrawPrintedPage(zem::gui::DC& dc, int page) override;

private:
    void Paginate();
    void DrawPage(zem::gui::DC& dc, const CPageLayout& layout, int page, int pageCount) const;
    // The cells of a page, each with its line and period index (-1 for the labels).
    struct Cell {
        zem::Rect rect;
        int line = -1;
        int period = -1;
        int dayOrder = -1;  // a day heading
    };
    std::vector<Cell> PageCells(const CPageLayout& layout, int page) const;
    void DrawRecord(zem::gui::DC& dc, const zem::Rect& rect, const std::string& record, int dpiY) const;
    static bool FitsOneLine(zem::gui::DC& dc, std::string_view text, const CFontSpec& face, const zem::Rect& box,
                            int dpiY);
    static bool DrawFitted(zem::gui::DC& dc, const std::string& text, const CFontSpec& face, const zem::Rect& box,
                           int dpiY);
    void DrawLabel(zem::gui::DC& dc, const zem::Rect& rect, const std::string& label, int dpiY) const;

    CSchoolTimetableModel m_model;
    int m_kind;
    int m_style;
    std::string m_title;
    std::vector<std::string> m_dayNames;
    std::vector<std::vector<std::string>> m_texts;  // by line, then period
    std::vector<CSchoolPrintPage> m_pages;
    Metrics m_metrics;
    mutable int m_shortened = 0;  // lessons shortened with "…" since it was last cleared
};
