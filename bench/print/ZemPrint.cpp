// zem-print: prints the saved class, teacher or room timetables of a task into a PDF file through the
// printable sheet, page layout and page drawing of the print preview, offscreen, with no window
// shown. The layout is that of the zem.ini given (else the defaults), with N tables a page. Prints
// one JSON object: tables, pages, the seconds of the printing alone and the file's bytes.
//
//   zem-print TASK.zem --kind class|teacher|room --per-page N --out FILE.pdf [--ini zem.ini]
#include "app/controls/PdfAside.h"
#include "app/output/PageLayout.h"
#include "app/output/PrintSheet.h"
#include "app/shell/AppContext.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"

#include "OffscreenTool.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: zem-print TASK.zem --kind class|teacher|room --per-page 1|2|4|6 --out FILE.pdf "
                         "[--ini zem.ini]\n");
    return 2;
}

// The tables per page the layout offers, as its arrangement.
const std::map<int, int> kArrangementOf = {{1, 0}, {2, 1}, {4, 3}, {6, 4}};
const std::map<std::string, int> kKindOf = {{"class", 0}, {"teacher", 1}, {"room", 2}};

int PrintTask(const std::string& taskFile, int kind, int perPage, const std::string& out)
{
    CAppContext* context = CAppContext::Get();
    if (!context->OpenTask(taskFile, false))
        return 1;
    CScheduleTask& task = *context->GetTask();
    // The timetables as saved: a task opens with empty working copies.
    CTaskHelper(&task).RestoreTempTables();
    CTaskPrintSheet sheet(nullptr);
    sheet.AddGroup(MakeTableGroup(task, kind, "zem-print"));
    CWeekTablePageLayout& layout = WeekPageLayout();
    layout.TableLayout = kArrangementOf.at(perPage);

    QPrinter printer(QPrinter::HighResolution);
    PrepareForPdf(printer);
    ApplyLayoutPaper(printer, layout);
    printer.setOutputFileName(QString::fromStdString(out));
    CPrintPageInfo info;
    info.pageCount = sheet.GetPageCount();
    info.onScreen = false;
    info.mode = PREVIEW_PRINT;
    QElapsedTimer timer;
    timer.start();
    sheet.Print(&printer, info);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!sheet.IsDone())
        return 1;
    std::string bytes;
    zem::ReadFileBytes(out, bytes);
    std::printf("{\"tables\": %d, \"pages\": %d, \"seconds\": %.4f, \"bytes\": %zu}\n", sheet.GetTableCount(),
                info.pageCount, seconds, bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string taskFile, out, ini;
    int kind = -1, perPage = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--kind" && hasValue) {
            const auto found = kKindOf.find(argv[++i]);
            kind = found == kKindOf.end() ? -1 : found->second;
        } else if (arg == "--per-page" && hasValue) {
            perPage = std::atoi(argv[++i]);
        } else if (arg == "--out" && hasValue) {
            out = argv[++i];
        } else if (arg == "--ini" && hasValue) {
            ini = argv[++i];
        } else if (taskFile.empty() && !arg.empty() && arg[0] != '-') {
            taskFile = arg;
        } else {
            return Usage();
        }
    }
    if (taskFile.empty() || out.empty() || kind < 0 || !kArrangementOf.count(perPage))
        return Usage();
    return RunOffscreenTool(argv, "zem-print", ini, [&] { return PrintTask(taskFile, kind, perPage, out); });
}
