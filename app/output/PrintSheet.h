#pragma once
// The printable sheet: the second base of every window that prints or exports a batch of week
// timetables. The window fills the sheet with groups of timetables and calls ShowPreview; the
// preview pages through the job, draws its pages through Print and prints them.
#include "app/taskhelper/ExportTableItem.h"
#include "base/SchoolStructure.h"
#include "base/TimeTable.h"
#include "platform/Gdi.h"
#include "platform/Hooks.h"
#include "platform/WindowMessages.h"

#include <memory>
#include <string>
#include <vector>

class CPageLayout;
class CWeekTablePageLayout;
class QPaintDevice;
class QPrinter;
class QWidget;

namespace zem::gui {
class DC;
}

// The state of one preview, handed to Print and Export.
struct CPrintPageInfo {
    int pageCount = 0;
    int currentPage = 1;  // from 1
    bool onScreen = true;  // drawing the preview's page, not printing
    int mode = 0;          // 0 print preview, 1 export preview, 2 neither print nor export
    bool temporary = false;  // timetables of a temporary task: their titles take the temporary template
};

// The modes of a preview.
enum { PREVIEW_PRINT = 0, PREVIEW_EXPORT = 1, PREVIEW_SETTINGS = 2 };

// Timetables of a job under one name, which names the exported workbook.
struct CPrintTableGroup {
    explicit CPrintTableGroup(std::string groupName) : name(std::move(groupName)) {}
    std::string name;
    std::vector<std::unique_ptr<CExportTableItem>> items;
};

class CPrintSheet {
public:
    CPrintSheet();
    virtual ~CPrintSheet();
    CPrintSheet(const CPrintSheet&) = delete;
    CPrintSheet& operator=(const CPrintSheet&) = delete;

    // On screen, the current page into the page image; otherwise every page of the job on the
    // printer, which a failure leaves aborted with a message (done stays false).
    virtual void Print(QPaintDevice* device, CPrintPageInfo& info);
    // The spreadsheet export of the job: one workbook per group, into a file the user chooses for
    // one group, into a folder for several. Done when every workbook was written.
    virtual void Export(CPrintPageInfo& info);
    // The page and banner settings of printed and exported week timetables, shown in a preview
    // over the class timetables of the sheet's task (without one, an empty timetable).
    virtual void ExportSettings();
    // Tables per page of the layout, pages rounded up.
    virtual int GetPageCount() const;
    // The window that owns the sheet: parent of the preview and of the grid that draws colour pages.
    virtual QWidget* GetOwnerWnd() const = 0;
    // The task whose timetables are drawn; may be null.
    virtual CScheduleTask* GetTask() const = 0;
    // Called once the preview has closed, with whether it printed its job to the end.
    virtual void AfterPreview(bool done) {}
    // The layout whose paper the job's pages take: the week-timetable one, unless the job draws
    // pages of its own.
    virtual CPageLayout& GetPageLayout() const;
    // Whether the preview offers the week-timetable page and banner settings for the job.
    virtual bool HasWeekPageSettings() const { return true; }

    // The week the pages are drawn for: the task's, or a five-day week of eight periods.
    const CSchoolStructure& GetStructure() const;

    // The sheet owns the group from now on; null is ignored.
    void AddGroup(std::unique_ptr<CPrintTableGroup> group);
    void ClearGroups();
    const std::vector<std::unique_ptr<CPrintTableGroup>>& GetGroups() const { return m_groups; }
    int GetTableCount() const;
    // The n-th table over all groups in order; null outside them.
    CExportTableItem* GetTableAt(int n) const;

    // Runs the preview modally over the groups, then clears them and calls AfterPreview.
    void ShowPreview(int mode, bool temporary);
    bool IsDone() const { return m_done; }

    // One timetable into a slot of a page, in pixels of the device the layout was last computed for.
    void DrawWeekTablePage(zem::gui::DC& dc, const zem::Rect& slot, const CExportTableItem& item,
                           const CPrintPageInfo& info);
    // The lessons of the page (from 1) whose lines, printed, do not fit their cells even at the
    // smallest legible size, and so are printed in part, ending in "…": the page drawn as printed,
    // at a printer's resolution, into a file kept in memory. The preview warns of them.
    int ShortenedLessons(int page);

protected:
    void SetDone(bool done) { m_done = done; }
    // Draws the page (from 1) as printed on the device the page layout was last computed for; the
    // lessons it shortened with "…".
    virtual int DrawPrintedPage(zem::gui::DC& dc, int page);

private:
    void DrawPageSlots(zem::gui::DC& dc, const CWeekTablePageLayout& layout, const CPrintPageInfo& info, int page);
    void DrawScreenPage(zem::gui::DC& dc, const CWeekTablePageLayout& layout, const CPrintPageInfo& info);
    void PrintPages(QPaintDevice* device, const CWeekTablePageLayout& layout, const CPrintPageInfo& info);

    std::vector<std::unique_ptr<CPrintTableGroup>> m_groups;
    bool m_done = false;
    int m_shortenedLessons = 0;  // of the pages drawn since it was last cleared
    CSchoolStructure m_sampleWeek;
    // The empty timetable of the export settings without a task.
    CCourseTable m_emptyTable;
};

// The timetables of every class (kind 0), teacher (1) or room (2) of the task, in the order the
// program lists them, as one group of that name.
std::unique_ptr<CPrintTableGroup> MakeTableGroup(CScheduleTask& task, int kind, const std::string& name);

// A sheet of the program's open task, owned by a window.
class CTaskPrintSheet : public CPrintSheet {
public:
    explicit CTaskPrintSheet(QWidget* owner, CScheduleTask* task = nullptr);
    QWidget* GetOwnerWnd() const override { return m_owner; }
    // The task given, else the open task.
    CScheduleTask* GetTask() const override;

private:
    QWidget* m_owner;
    CScheduleTask* m_task;
};

// The export settings over the saved class timetables of the open task, from a window of the
// program (null: the active one).
void ShowExportSettings(QWidget* parent = nullptr);

// The printer's paper and orientation as the layout has them.
void ApplyLayoutPaper(QPrinter& printer, const CPageLayout& layout);
