#pragma once
// What the tests of printed timetables share: a printable sheet over a test task, the program's
// services with a page layout of the test's own, printing a sheet into a 600 dpi PDF file as the
// preview prints, and a page drawn as the preview draws it.
#include "app/controls/PdfAside.h"
#include "app/output/PageLayout.h"
#include "app/output/PrintSheet.h"
#include "support/FakeAppServices.h"

#include <QImage>
#include <QPrinter>

#include <memory>
#include <string>
#include <vector>

class TestPrintSheet : public CPrintSheet {
public:
    explicit TestPrintSheet(CScheduleTask* task) : m_task(task) {}

    QWidget* GetOwnerWnd() const override { return nullptr; }
    CScheduleTask* GetTask() const override { return m_task; }
    void AfterPreview(bool done) override { afterPreview.push_back(done); }

    // `count` timetables named "表1".. that show the one table.
    void AddCopies(int count, const std::string& id, CCourseTable* table, TABLE_TYPE kind = TABLE_CLASS)
    {
        auto group = std::make_unique<CPrintTableGroup>("组");
        for (int i = 1; i <= count; ++i)
            group->items.push_back(std::make_unique<CExportTableItem>(id, "表" + std::to_string(i), kind, table));
        AddGroup(std::move(group));
    }

    std::vector<bool> afterPreview;

private:
    CScheduleTask* m_task;
};

// The program's services with a layout of the test; the layout starts with its defaults.
class PrintServices : public FakeAppServices {
public:
    PrintServices() { weekLayout = &layout; }
    CWeekTablePageLayout layout;
};

// The same with an export folder that the test reads and the export stores.
class ExportServices : public PrintServices {
public:
    std::string GetExportFolder() const override { return folder; }
    void StoreExportFolder(const std::string& stored) const override { folder = stored; }
    mutable std::string folder;
};

// Every page of the sheet printed into a PDF file at 600 dpi, on the layout's paper, as the
// preview prints once a PDF file is chosen. Whether the job reached its end.
inline bool PrintToPdf(CPrintSheet& sheet, const std::string& path, bool temporary = false)
{
    QPrinter printer(QPrinter::HighResolution);
    PrepareForPdf(printer);
    ApplyLayoutPaper(printer, WeekPageLayout());
    printer.setOutputFileName(QString::fromStdString(path));
    CPrintPageInfo info;
    info.pageCount = sheet.GetPageCount();
    info.onScreen = false;
    info.temporary = temporary;
    sheet.Print(&printer, info);
    return sheet.IsDone();
}

// Page `page` of the sheet as the preview draws it, at the resolution given.
inline QImage DrawPage(CPrintSheet& sheet, int page, int mode, int dpi = 96)
{
    CWeekTablePageLayout probe = WeekPageLayout();
    QImage image(1, 1, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    probe.CalcPageRect(&image, false, &sheet.GetStructure());
    image = QImage(probe.paperRect.Width(), probe.paperRect.Height(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    CPrintPageInfo info;
    info.pageCount = sheet.GetPageCount();
    info.currentPage = page;
    info.mode = mode;
    sheet.Print(&image, info);
    return image;
}

// The program's layout as it is computed for a device of the resolution.
inline CWeekTablePageLayout LayoutAt(const CPrintSheet& sheet, int dpi, bool temporary = false)
{
    CWeekTablePageLayout layout = WeekPageLayout();
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(qRound(dpi / 0.0254));
    device.setDotsPerMeterY(qRound(dpi / 0.0254));
    layout.CalcPageRect(&device, temporary, &sheet.GetStructure());
    return layout;
}
