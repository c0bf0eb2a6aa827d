#include "app/output/PrintSheet.h"

#include "app/controls/PdfAside.h"
#include "app/output/PageLayout.h"
#include "app/output/PrintPreviewDlg.h"
#include "app/output/TimetableExport.h"
#include "app/output/WeekTablePage.h"
#include "app/output/workbook/MasterTimetableWorkbook.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/TimetableWorkbook.h"
#include "app/output/workbook/WorkbookReader.h"
#include "app/shared/Paths.h"
#include "app/shared/Strings.h"
#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "base/Segment.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/DC.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QBuffer>
#include <QPdfWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPrinter>

#include <filesystem>

using zem::Rect;

namespace {

constexpr const char* kConnectFailed = "连接到打印机失败!";
constexpr const char* kPrintFailed = "打印失败!";
// Printed documents are named after the program's title, as the list printer names them.
constexpr const char* kDocumentName = "Tavelin";
// The export settings without a task show one empty timetable under this name.
constexpr const char* kSampleName = "示例班级";
constexpr const char* kClassGroupName = "班级课表";

void ShowPrintError(const std::string& text)
{
    zem::ShowMessage(text, "错误", zem::MessageIcon::Error);
}

bool PrinterFailed(const QPrinter* printer)
{
    return printer && printer->printerState() == QPrinter::Error;
}

}  // namespace

CPrintSheet::CPrintSheet()
{
    for (int day = 0; day < zem::kDayCount; ++day)
        m_sampleWeek.SetWeekDay(day, day < 5);
    m_sampleWeek.SetSectionNodeMaxCount(zem::kForenoon, 4, true);
    m_sampleWeek.SetSectionNodeMaxCount(zem::kAfternoon, 4, true);
    m_sampleWeek.RefreshData();
}

CPrintSheet::~CPrintSheet() = default;

const CSchoolStructure& CPrintSheet::GetStructure() const
{
    const CScheduleTask* task = GetTask();
    return task ? task->GetSchoolStructure() : m_sampleWeek;
}

void CPrintSheet::AddGroup(std::unique_ptr<CPrintTableGroup> group)
{
    if (group)
        m_groups.push_back(std::move(group));
}

void CPrintSheet::ClearGroups()
{
    m_groups.clear();
}

int CPrintSheet::GetTableCount() const
{
    int count = 0;
    for (const auto& group : m_groups)
        count += static_cast<int>(group->items.size());
    return count;
}

CExportTableItem* CPrintSheet::GetTableAt(int n) const
{
    if (n < 0)
        return nullptr;
    for (const auto& group : m_groups) {
        const int count = static_cast<int>(group->items.size());
        if (n < count)
            return group->items[static_cast<std::size_t>(n)].get();
        n -= count;
    }
    return nullptr;
}

CPageLayout& CPrintSheet::GetPageLayout() const
{
    return WeekPageLayout();
}

int CPrintSheet::GetPageCount() const
{
    const int perPage = WeekPageLayout().GetTablesPerPage();
    const int count = GetTableCount();
    return count / perPage + (count % perPage != 0 ? 1 : 0);
}

void CPrintSheet::ShowPreview(int mode, bool temporary)
{
    m_done = false;
    {
        CPrintPreviewDlg preview(GetOwnerWnd(), this, GetPageCount(), 1, true, mode, temporary);
        preview.DoModal();
        ClearGroups();
        AfterPreview(m_done);
    }
}

std::unique_ptr<CPrintTableGroup> MakeTableGroup(CScheduleTask& task, int kind, const std::string& name)
{
    CZemObjectList& list = kind == TABLE_TEACHER ? task.GetTeacherInfoList()
                           : kind == TABLE_ROOM  ? task.GetRoomInfoList()
                                                 : task.GetClassInfoList();
    std::vector<CZemObject*> objects;
    MapToOrderedList(list, objects);
    std::vector<std::string> ids;
    for (const CZemObject* object : objects)
        ids.push_back(object->GetId());
    auto group = std::make_unique<CPrintTableGroup>(name);
    CTaskHelper(&task, AppHelperContext()).CreateTableItems(ids, &group->items);
    return group;
}

void CPrintSheet::ExportSettings()
{
    CScheduleTask* task = GetTask();
    auto group = task ? MakeTableGroup(*task, TABLE_CLASS, kClassGroupName)
                      : std::make_unique<CPrintTableGroup>(kClassGroupName);
    if (group->items.empty())
        group->items.push_back(std::make_unique<CExportTableItem>("", kSampleName, TABLE_CLASS, &m_emptyTable));
    ClearGroups();
    AddGroup(std::move(group));
    ShowPreview(PREVIEW_SETTINGS, false);
}

void CPrintSheet::Print(QPaintDevice* device, CPrintPageInfo& info)
{
    if (!device)
        return;
    CWeekTablePageLayout& layout = WeekPageLayout();
    layout.CalcPageRect(device, info.temporary, &GetStructure());
    if (!info.onScreen) {
        PrintPages(device, layout, info);
        return;
    }
    QImage* image = dynamic_cast<QImage*>(device);
    const auto dc = image ? std::make_unique<zem::gui::DC>(image) : std::make_unique<zem::gui::DC>(device);
    if (dc->IsActive())
        DrawScreenPage(*dc, layout, info);
}

void CPrintSheet::DrawScreenPage(zem::gui::DC& dc, const CWeekTablePageLayout& layout, const CPrintPageInfo& info)
{
    const Rect paper = layout.paperRect;
    dc.FillSolidRect(paper, zem::RGB(255, 255, 255));
    // A pen two pixels wide along the paper's edge.
    dc.FrameRect(paper, 0);
    dc.FrameRect(Rect(paper.left + 1, paper.top + 1, paper.right - 1, paper.bottom - 1), 0);
    const bool exporting = info.mode == PREVIEW_EXPORT || info.mode == PREVIEW_SETTINGS;
    if (exporting) {
        // The grid of a worksheet behind the tables.
        const Rect sheet(paper.left + 2, paper.top + 2, paper.right - 2, paper.bottom - 2);
        constexpr zem::COLORREF kSheetLine = zem::RGB(240, 240, 240);
        for (int x = sheet.left; x < sheet.right; x += 80)
            dc.FillSolidRect(Rect(x, sheet.top, x + 1, sheet.bottom), kSheetLine);
        for (int y = sheet.top; y < sheet.bottom; y += 24)
            dc.FillSolidRect(Rect(sheet.left, y, sheet.right, y + 1), kSheetLine);
    }
    const int perPage = layout.GetTablesPerPage();
    for (int i = 0; i < perPage; ++i) {
        const CExportTableItem* item = GetTableAt(i + perPage * (info.currentPage - 1));
        if (!item)
            continue;
        const Rect slot = layout.GetTableRect(i);
        if (exporting)
            dc.FillSolidRect(Rect(slot.left - 5, slot.top - 5, slot.right + 5, slot.bottom + 5), zem::RGB(255, 255, 255));
        DrawWeekTablePage(dc, slot, *item, info);
    }
}

void CPrintSheet::DrawPageSlots(zem::gui::DC& dc, const CWeekTablePageLayout& layout, const CPrintPageInfo& info,
                                int page)
{
    const int perPage = layout.GetTablesPerPage();
    for (int i = 0; i < perPage; ++i) {
        if (const CExportTableItem* item = GetTableAt(perPage * (page - 1) + i))
            DrawWeekTablePage(dc, layout.GetTableRect(i), *item, info);
    }
}

void CPrintSheet::PrintPages(QPaintDevice* device, const CWeekTablePageLayout& layout, const CPrintPageInfo& info)
{
    auto* printer = dynamic_cast<QPrinter*>(device);
    auto* paged = dynamic_cast<QPagedPaintDevice*>(device);
    CPdfAside aside;
    if (printer) {
        printer->setDocName(zem::gui::ToQ(kDocumentName));
        if (!aside.Begin(*printer)) {
            ShowPrintError(aside.FailureText(kConnectFailed));
            return;
        }
    }
    auto dc = std::make_unique<zem::gui::DC>(device);
    if (!dc->IsActive() || PrinterFailed(printer)) {
        dc.reset();
        aside.Discard();
        ShowPrintError(kConnectFailed);
        return;
    }
    const auto abort = [&] {
        if (printer)
            printer->abort();
        dc.reset();
        aside.Discard();
        ShowPrintError(aside.FailureText(kPrintFailed));
    };
    for (int page = 1; page <= info.pageCount; ++page) {
        // The document's first page begins with it; every later one is asked for.
        if (page > 1 && (!paged || !paged->newPage())) {
            abort();
            return;
        }
        if (PrinterFailed(printer)) {
            abort();
            return;
        }
        DrawPageSlots(*dc, layout, info, page);
    }
    const bool ended = dc->End();
    dc.reset();
    if (!ended || PrinterFailed(printer) || !aside.Commit()) {
        aside.Discard();
        ShowPrintError(aside.FailureText(kPrintFailed));
        return;
    }
    m_done = true;
}

void CPrintSheet::DrawWeekTablePage(zem::gui::DC& dc, const Rect& slot, const CExportTableItem& item,
                                    const CPrintPageInfo& info)
{
    CWeekTablePage page(WeekPageLayout(), GetTask(), GetStructure());
    page.Draw(dc, slot, item, info);
    m_shortenedLessons += page.ShortenedLessons();
}

int CPrintSheet::DrawPrintedPage(zem::gui::DC& dc, int page)
{
    CPrintPageInfo info;
    info.onScreen = false;
    info.pageCount = GetPageCount();
    info.currentPage = page;
    m_shortenedLessons = 0;
    DrawPageSlots(dc, WeekPageLayout(), info, page);
    return m_shortenedLessons;
}

int CPrintSheet::ShortenedLessons(int page)
{
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&file);
    pdf.setResolution(600);
    GetPageLayout().CalcPageRect(&pdf, false, &GetStructure());
    zem::gui::DC dc(&pdf);
    const int shortened = dc.IsActive() ? DrawPrintedPage(dc, page) : 0;
    dc.End();
    return shortened;
}

CTaskPrintSheet::CTaskPrintSheet(QWidget* owner, CScheduleTask* task) : m_owner(owner), m_task(task) {}

CScheduleTask* CTaskPrintSheet::GetTask() const
{
    return m_task ? m_task : AppServices().GetTask();
}

void ShowExportSettings(QWidget* parent)
{
    if (!parent)
        parent = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    // As every window that opens over the task, it shows the timetables as saved: working copies
    // that a window left unsaved go.
    if (CScheduleTask* task = AppServices().GetTask())
        CTaskHelper(task, AppHelperContext()).RestoreTempTables();
    CTaskPrintSheet sheet(parent);
    sheet.ExportSettings();
}

namespace {

using TableGroups = std::vector<std::unique_ptr<CPrintTableGroup>>;

// Every workbook of the job under a name of its own: groups of one name, or names that the
// cleaning makes equal, get "(1)", "(2)" ...
std::vector<std::string> JobFileNames(const TableGroups& groups, const std::string& into, const zem::LocalTime& today)
{
    std::vector<std::string> names, stems;
    for (const auto& group : groups) {
        std::string stem = group->name;
        SanitizeFileName(stem);
        stem = MakeUniqueName(stems, stem);
        stems.push_back(stem);
        names.push_back(TimetableWorkbookName(into, stem, today));
    }
    return names;
}

// One group: the file dialog asks for the workbook. Its path, `folder` becoming its folder; none
// when the user cancels.
std::vector<std::string> ChooseOneWorkbook(QWidget* parent, const TableGroups& groups, std::string& folder,
                                           const zem::LocalTime& today)
{
    zem::gui::FileDialogRequest request;
    request.kind = zem::gui::FileDialogRequest::Kind::SaveFile;
    request.title = "导出为";
    request.filter = zem::workbook::kSaveWorkbookFilter;
    request.folder = folder;
    request.fileName = std::filesystem::path(JobFileNames(groups, "", today).front()).filename().string();
    request.defaultSuffix = "xlsx";
    const std::string chosen = zem::gui::ChooseFile(parent, request);
    if (chosen.empty())
        return {};
    std::vector<std::string> paths{CSpreadsheetExporter::WorkbookFileName(chosen)};
    folder = std::filesystem::path(paths.front()).parent_path().string() + "/";
    return paths;
}

// Several groups: a folder is asked for, and once whether to replace the workbooks it already
// holds under their names. Their paths there; none when the user cancels.
std::vector<std::string> ChooseExportFolder(QWidget* parent, const TableGroups& groups, std::string& folder,
                                            const zem::LocalTime& today)
{
    zem::gui::FileDialogRequest request;
    request.kind = zem::gui::FileDialogRequest::Kind::Folder;
    request.title = "导出到";
    request.folder = folder;
    folder = zem::gui::ChooseFile(parent, request);
    if (folder.empty())
        return {};
    if (folder.back() != '/')
        folder += '/';
    std::vector<std::string> paths = JobFileNames(groups, folder, today);
    // The file dialog asks for one file; a folder asks once for all.
    std::error_code error;
    const bool replaces = std::any_of(paths.begin(), paths.end(), [&](const std::string& path) {
        return std::filesystem::exists(path, error);
    });
    if (replaces && zem::ShowMessage({"导出文件夹中已有同名的课表文件，要替换它们吗？", "提示",
                                      zem::MessageIcon::Question, zem::MessageButtons::YesNo, zem::IDNO}) != zem::IDYES)
        return {};
    return paths;
}

// A workbook for each group; false when one failed (the exporter has said why; workbooks already
// written stay). `incomplete` counts the tables left incomplete.
bool ExportGroups(CScheduleTask* task, const TableGroups& groups, const std::vector<std::string>& paths,
                  const std::shared_ptr<const CTimetableSheetLayout>& layout, bool temporary, int& incomplete)
{
    for (std::size_t n = 0; n < groups.size(); ++n) {
        std::vector<CExportTableItem*> tables;
        for (const auto& item : groups[n]->items)
            tables.push_back(item.get());
        CSpreadsheetExporter exporter(task);
        exporter.SetTemporary(temporary);
        exporter.SetTablesPerPage(layout->tablesPerPage);
        exporter.SetTimetableLayout(layout);
        if (!exporter.Export(paths[n], tables))
            return false;
        incomplete += exporter.GetIncompleteTables();
    }
    return true;
}

// Says the export is done, offering to open the workbook or the folder; or how many tables were
// left incomplete.
void SayExported(const std::vector<std::string>& paths, const std::string& folder, int incomplete)
{
    if (incomplete > 0) {
        zem::ShowMessage(CSpreadsheetExporter::IncompleteText(incomplete), "提示", zem::MessageIcon::Warning);
        return;
    }
    const bool one = paths.size() == 1;
    const char* question = one ? "导出成功! 现在要打开EXCEL文档吗？" : "导出成功! 现在要打开导出文件夹吗？";
    if (zem::ShowMessage({question, "提示", zem::MessageIcon::Question, zem::MessageButtons::YesNo, 0}) == zem::IDYES)
        zem::gui::OpenWithDesktop(one ? paths.front() : folder);
}

}  // namespace

void CPrintSheet::Export(CPrintPageInfo& info)
{
    m_done = false;
    if (m_groups.empty())
        return;
    std::string folder = AppServices().GetExportFolder();
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    const zem::LocalTime today = zem::Now();
    const std::vector<std::string> paths = m_groups.size() == 1
                                               ? ChooseOneWorkbook(GetOwnerWnd(), m_groups, folder, today)
                                               : ChooseExportFolder(GetOwnerWnd(), m_groups, folder, today);
    if (paths.empty())
        return;
    const std::shared_ptr<const CTimetableSheetLayout> layout =
        TimetableSheetLayoutOf(WeekPageLayout(), GetStructure(), info.temporary);
    int incomplete = 0;
    if (!ExportGroups(GetTask(), m_groups, paths, layout, info.temporary, incomplete))
        return;
    AppServices().StoreExportFolder(folder);
    m_done = true;
    SayExported(paths, folder, incomplete);
}

void ApplyLayoutPaper(QPrinter& printer, const CPageLayout& layout)
{
    const QPageSize::PageSizeId size =
        layout.paper == 0 ? QPageSize::A3 : layout.paper == 2 ? QPageSize::A5 : QPageSize::A4;
    printer.setPageSize(QPageSize(size));
    printer.setPageOrientation(layout.orientation != 0 ? QPageLayout::Portrait : QPageLayout::Landscape);
}
