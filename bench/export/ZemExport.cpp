// zem-export: writes the saved class, teacher or room timetables of a task (one a page), or its
// master timetable of classes, teachers or rooms, into a workbook through the exporter and writers
// of the program, offscreen, with no window shown. The layouts are those of the zem.ini given (else
// the defaults). Prints one JSON object: tables, the seconds of the export alone and the file's bytes.
//
//   zem-export TASK.zem --kind class|teacher|room|master|lessons --out FILE.xlsx [--style 0|1|2]
//              [--table class|teacher|room] [--ini zem.ini]
// --table chooses the master timetable's objects (classes unless given); "lessons" is the whole
// school's lesson list.
#include "app/output/PageLayout.h"
#include "app/output/PrintSheet.h"
#include "app/output/TimetableExport.h"
#include "app/output/workbook/LessonGridWorkbook.h"
#include "app/output/workbook/SpreadsheetExporter.h"
#include "app/output/workbook/TimetableWorkbook.h"
#include "app/shell/AppContext.h"
#include "app/taskhelper/TaskHelper.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"

#include "OffscreenTool.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: zem-export TASK.zem --kind class|teacher|room|master|lessons --out FILE.xlsx "
                         "[--style 0|1|2] [--table class|teacher|room] [--ini zem.ini]\n");
    return 2;
}

constexpr int kMaster = 3;
constexpr int kLessons = 4;
const std::map<std::string, int> kKindOf = {
    {"class", 0}, {"teacher", 1}, {"room", 2}, {"master", kMaster}, {"lessons", kLessons}};

int ExportTask(const std::string& taskFile, int kind, int style, int tableKind, const std::string& out)
{
    CAppContext* context = CAppContext::Get();
    if (!context->OpenTask(taskFile, false))
        return 1;
    CScheduleTask& task = *context->GetTask();
    // The timetables as saved: a task opens with empty working copies.
    CTaskHelper(&task).RestoreTempTables();
    QElapsedTimer timer;
    bool written = false;
    int tables = 0;
    if (kind == kLessons) {
        tables = task.GetClassInfoList().GetCount();
        timer.start();
        CSpreadsheetExporter exporter(&task);
        exporter.SetDirect(true);
        written = ExportLessonGrid(exporter, out);
        if (!written)
            std::fprintf(stderr, "zem-export: %s\n", exporter.GetParam().errorText.c_str());
    } else if (kind == kMaster) {
        CTablePageLayout layout = context->GetSchoolTableLayout();
        layout.Style = style;
        tables = tableKind == TABLE_TEACHER ? task.GetTeacherInfoList().GetCount()
                 : tableKind == TABLE_ROOM  ? task.GetRoomInfoList().GetCount()
                                            : task.GetClassInfoList().GetCount();
        timer.start();
        written = ExportMasterTimetable(&task, layout, tableKind, out);
    } else {
        const auto group = MakeTableGroup(task, kind, "zem-export");
        std::vector<CExportTableItem*> items;
        for (const auto& item : group->items)
            items.push_back(item.get());
        tables = static_cast<int>(items.size());
        CWeekTablePageLayout& page = WeekPageLayout();
        page.TableLayout = 0;
        timer.start();
        CSpreadsheetExporter exporter(&task);
        exporter.SetDirect(true);
        const auto layout = TimetableSheetLayoutOf(page, task.GetSchoolStructure(), false);
        exporter.SetTablesPerPage(layout->tablesPerPage);
        exporter.SetTimetableLayout(layout);
        written = exporter.Export(out, items);
        if (!written)
            std::fprintf(stderr, "zem-export: %s\n", exporter.GetParam().errorText.c_str());
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!written)
        return 1;
    std::string bytes;
    zem::ReadFileBytes(CSpreadsheetExporter::WorkbookFileName(out), bytes);
    std::printf("{\"tables\": %d, \"seconds\": %.4f, \"bytes\": %zu}\n", tables, seconds, bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string taskFile, out, ini;
    int kind = -1, style = 0, tableKind = TABLE_CLASS;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--kind" && hasValue) {
            const auto found = kKindOf.find(argv[++i]);
            kind = found == kKindOf.end() ? -1 : found->second;
        } else if (arg == "--table" && hasValue) {
            const auto found = kKindOf.find(argv[++i]);
            tableKind = found == kKindOf.end() || found->second >= kMaster ? -1 : found->second;
        } else if (arg == "--style" && hasValue) {
            style = std::atoi(argv[++i]);
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
    if (taskFile.empty() || out.empty() || kind < 0 || style < 0 || style > 2 || tableKind < 0)
        return Usage();
    return RunOffscreenTool(argv, "zem-export", ini, [&] { return ExportTask(taskFile, kind, style, tableKind, out); });
}
