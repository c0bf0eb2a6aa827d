// Printing timetables: the 120 class timetables of L120 (timetables filled) printed into a PDF file
// by zem-print, one and four a page, and one page of the print preview painted at screen scale,
// plain and in colour.
//   bench_print [--keep DIR]    the preview benchmarks, then the print runs (one JSON line each); the
//                               PDF files are kept in DIR to be looked at
#include "app/output/PageLayout.h"
#include "app/output/PrintSheet.h"
#include "app/shell/AppContext.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/UserFolders.h"

#include "FreshProcess.h"
#include "L120Task.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const std::string& Scratch()
{
    static const std::string folder = "/tmp/zem-bench-print-" + std::to_string(::getpid()) + "/";
    return folder;
}

const std::string& L120TaskFile()
{
    static const std::string file = WriteL120Task(Scratch() + "L120/");
    return file;
}

// One page of the preview over the open task's class timetables, as the preview paints it.
void PaintPreviewPage(benchmark::State& state, int tableLayout, bool normalPrint)
{
    CAppContext* context = CAppContext::Get();
    if (!context->HasTask()) {
        if (!context->OpenTask(L120TaskFile(), true)) {
            state.SkipWithError("cannot open L120");
            return;
        }
        // The saved timetables: a task opens with empty working copies.
        CTaskHelper(context->GetTask()).RestoreTempTables();
    }
    CTaskPrintSheet sheet(nullptr);
    sheet.AddGroup(MakeTableGroup(*context->GetTask(), TABLE_CLASS, "班级课表"));
    CWeekTablePageLayout& layout = WeekPageLayout();
    layout.TableLayout = tableLayout;
    layout.NormalPrint = normalPrint;
    layout.CalcPageRect(nullptr, false, &sheet.GetStructure());
    CPrintPageInfo info;
    info.pageCount = sheet.GetPageCount();
    info.currentPage = 1;
    for (auto _ : state) {
        QImage page(layout.paperRect.Width(), layout.paperRect.Height(), QImage::Format_RGB32);
        page.fill(Qt::white);
        sheet.Print(&page, info);
        benchmark::DoNotOptimize(page.constBits());
    }
    layout.SetDefaults();
}

void BM_PreviewPageOneTable(benchmark::State& state) { PaintPreviewPage(state, 0, true); }
void BM_PreviewPageFourTables(benchmark::State& state) { PaintPreviewPage(state, 3, true); }
void BM_PreviewPageOneTableInColour(benchmark::State& state) { PaintPreviewPage(state, 0, false); }
BENCHMARK(BM_PreviewPageOneTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewPageFourTables)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewPageOneTableInColour)->Unit(benchmark::kMillisecond);

// zem-print beside this program, in a process of its own; its JSON line goes to standard output.
void PrintWithTool(const std::string& folder, int perPage, bool colour)
{
    const std::string tool = ToolBesideThis("zem-print");
    const std::string out = folder + "classes-" + std::to_string(perPage) + (colour ? "-colour" : "") + ".pdf";
    std::string ini;
    if (colour) {
        ini = Scratch() + "colour.ini";
        zem::WriteFileAtomic(ini, "[WeekTable]\r\nNormalPrint=0\r\n");
    }
    const std::string command = "'" + tool + "' '" + L120TaskFile() + "' --kind class --per-page " +
                                std::to_string(perPage) + " --out '" + out + "'" +
                                (ini.empty() ? std::string() : " --ini '" + ini + "'") + " 2>/dev/null";
    std::printf("zem-print, %d a page%s: ", perPage, colour ? ", colour" : "");
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0)
        std::printf("failed\n");
    else
        std::printf("  the whole process, opening L120 too: %.2f s\n", seconds);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string keep;
    if (argc >= 3 && std::string(argv[argc - 2]) == "--keep") {
        keep = argv[argc - 1];
        if (keep.back() != '/')
            keep += '/';
        argc -= 2;
    }
    QApplication application(argc, argv);
    zem::MakeFolder(Scratch());
    zem::SetUserFolderHook([](zem::UserFolderKind) { return Scratch(); });
    CAppContext::Create(Scratch() + "zem.ini");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CAppContext::Free();
    const std::string folder = keep.empty() ? Scratch() : keep;
    PrintWithTool(folder, 1, false);
    PrintWithTool(folder, 4, false);
    PrintWithTool(folder, 1, true);
    zem::RemoveFolder(Scratch());
    return 0;
}
