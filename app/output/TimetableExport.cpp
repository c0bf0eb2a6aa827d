#include "app/output/TimetableExport.h"

#include "app/output/PageLayout.h"
#include "app/output/workbook/MasterTimetableWorkbook.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/TimetableWorkbook.h"
#include "app/shared/AppServices.h"
#include "app/shared/Paths.h"
#include "app/shared/Strings.h"
#include "platform/Text.h"

std::shared_ptr<const CTimetableSheetLayout> TimetableSheetLayoutOf(const CWeekTablePageLayout& page,
                                                                    const CSchoolStructure& structure, bool temporary)
{
    CWeekTablePageLayout screen = page;
    screen.CalcPageRect(nullptr, temporary, &structure);
    auto layout = std::make_shared<CTimetableSheetLayout>();
    layout->titleFormat = screen.TitleFormat;
    layout->tempTitleFormat = screen.TempTitleFormat;
    layout->sheetType = screen.SheetType;
    layout->tableLayout = screen.TableLayout;
    layout->tablesPerPage = screen.GetTablesPerPage();
    layout->gapX = screen.tableGapX;
    layout->gapY = screen.tableGapY;
    layout->titleFont = screen.fonts[CPageLayout::FONT_TITLE];
    layout->headFont = screen.fonts[CPageLayout::FONT_HEADER];
    layout->cellFont = screen.fonts[CPageLayout::FONT_CONTENT];
    layout->cellFont2 = screen.fonts[CPageLayout::FONT_CONTENT2];
    layout->showSegmentColumn = screen.ShowSectionName;
    layout->fullNames = screen.ShowFullName;
    layout->headTeacherLine = screen.ShowHeadTeacherName;
    layout->weekCountLine = screen.ShowWeekCount;
    layout->dateLine = screen.ShowDate;
    layout->colorTable = AppServices().GetColorTable();
    for (int kind = 0; kind < 3; ++kind)
        layout->cellFormat[kind] = screen.GetCourseInfoFormat(kind);
    for (int i = 0; i < kMaxBlankLines; ++i)
        layout->blankLines[i] = screen.blankLines[i];
    layout->dpiX = screen.dpiX;
    layout->dpiY = screen.dpiY;
    // The page's segment names stand in its "section" column, the period names in its "period" one.
    layout->dayColumnWidth = screen.dayColumnWidth;
    layout->segmentColumnWidth = screen.sectionColumnWidth;
    layout->sectionColumnWidth = screen.periodColumnWidth;
    layout->titleHeight = screen.titleHeight;
    layout->gapHeight = screen.spacing;
    layout->headHeight = screen.headerHeight;
    layout->bannerHeight = screen.bannerHeight;
    layout->footerHeight = screen.infoHeight;
    layout->rowHeight = screen.rowHeight;
    const std::string school = AppServices().GetSchoolName();
    layout->expandTitle = [school](const std::string& format, const std::string& name) {
        return ExpandTitleTemplate(format, name, school);
    };
    return layout;
}

std::string TimetableWorkbookName(const std::string& folder, const std::string& groupName, const zem::LocalTime& day)
{
    std::string name = groupName;
    SanitizeFileName(name);
    return zem::Format("%s%s(%04d%02d%02d).xlsx", folder.c_str(), name.c_str(), day.year, day.month, day.day);
}

bool ExportMasterTimetable(CScheduleTask* task, const CTablePageLayout& page, int tableKind,
                           const std::string& fileName)
{
    CSpreadsheetExporter exporter(task);
    return ExportMasterTimetable(exporter, page, tableKind, fileName);
}

bool ExportMasterTimetable(CSpreadsheetExporter& exporter, const CTablePageLayout& page, int tableKind,
                           const std::string& fileName)
{
    CMasterSheetLayout layout;
    layout.style = page.Style;
    layout.showSS = page.ShowSS;
    layout.fullNames = page.ShowFullName;
    for (int kind = 0; kind < 3; ++kind)
        layout.cellFormat[kind] = page.GetCourseInfoFormat(kind);
    layout.subjectFilter = page.subjectFilter;
    layout.labelFont = page.fonts[CPageLayout::FONT_SMALL];
    layout.lessonFont = page.fonts[CPageLayout::FONT_CONTENT];
    layout.lessonFont2 = page.fonts[CPageLayout::FONT_CONTENT2];
    CExportParam& param = exporter.GetParam();
    param.Reset();
    param.kind = kMasterTimetableExport;
    param.fileName = CSpreadsheetExporter::WorkbookFileName(fileName);
    param.value = tableKind;
    param.data1 = &layout;
    return exporter.RunExport();
}
