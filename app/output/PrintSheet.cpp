#include "app/output/PrintSheet.h"

#include "app/controls/PdfAside.h"
#include "app/output/PageLayout.h"
#include "app/output/PrintPreviewDlg.h"
#include "app/output/WeekTablePage.h"
#include "app/shared/AppServices.h"
#include "app/shared/ObjectLists.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "platform/Hooks.h"
#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPrinter>

using zem::Rect;

namespace {

constexpr const char* kConnectFailed = "连接到打印机失败!";
constexpr const char* kPrintFailed = "打印失败!";
// Printed documents are named after the program's title, as the list printer names them.
constexpr const char* kDocumentName = "Tavelin";
// The export settings without a task show one empty timetable under this name.
constexpr const char* kSampleName = "示例班级";
constexpr const char* kClassGroupName = "班级课表";

void ShowPrintError(const char* text)
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
    m_sampleWeek.SetSectionNodeMaxCount(0, 4, true);
    m_sampleWeek.SetSectionNodeMaxCount(1, 4, true);
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
            ShowPrintError(kConnectFailed);
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
        ShowPrintError(kPrintFailed);
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
        ShowPrintError(kPrintFailed);
        return;
    }
    m_done = true;
}

void CPrintSheet::DrawWeekTablePage(zem::gui::DC& dc, const Rect& slot, const CExportTableItem& item,
                                    const CPrintPageInfo& info)
{
    CWeekTablePage page(WeekPageLayout(), GetTask(), GetStructure(), GetOwnerWnd());
    page.Draw(dc, slot, item, info);
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

void ApplyLayoutPaper(QPrinter& printer, const CPageLayout& layout)
{
    const QPageSize::PageSizeId size =
        layout.paper == 0 ? QPageSize::A3 : layout.paper == 2 ? QPageSize::A5 : QPageSize::A4;
    printer.setPageSize(QPageSize(size));
    printer.setPageOrientation(layout.orientation != 0 ? QPageLayout::Portrait : QPageLayout::Landscape);
}
