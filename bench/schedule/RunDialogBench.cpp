// zem-run-dialog: one whole-school automatic run through the program's run dialog, offscreen, with
// a fixed seed and the program's pauses, on a fresh copy of the task folder. Prints one JSON object:
// the time from the dialog's start to its end, the finish code and the lessons left unplaced.
// Compare with `zem-schedule TASKFILE --seed N --callback` (the engine alone, without pauses).
//
//   zem-run-dialog TASKFILE [--seed N] [--tries N]
#include "app/shell/AppContext.h"
#include "TaskPaths.h"
#include "ToolScratch.h"
#include "app/shell/AutoScheduleDlg.h"
#include "base/ScheduleTask.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/UserFolders.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

double Number(const CWeekCount& count) { return count.GetWholeCount() + (count.HasHalfNode() ? 0.5 : 0.0); }

}  // namespace

int main(int argc, char** argv)
{
    std::string taskFile;
    std::uint64_t seed = 1;
    int tries = 50;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seed" && i + 1 < argc)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--tries" && i + 1 < argc)
            tries = std::atoi(argv[++i]);
        else if (taskFile.empty() && !arg.empty() && arg[0] != '-')
            taskFile = arg;
        else
            taskFile.clear(), i = argc;
    }
    if (taskFile.empty() || tries < 1) {
        std::fprintf(stderr, "usage: zem-run-dialog TASKFILE [--seed N] [--tries N]\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const ToolScratch scratch("zem-run-dialog");
    if (scratch.Folder().empty())
        return 1;
    const std::string& work = scratch.Folder();
    std::string error;
    if (zem::CopyFolder(FolderOf(taskFile), work + "task/", &error) != 0) {
        std::fprintf(stderr, "zem-run-dialog: cannot copy the task folder: %s\n", error.c_str());
        return 1;
    }
    int status = 1;
    {
        CAppContext* context = CAppContext::Create(work + "zem.ini");
        if (context->OpenTask(work + "task/" + NameOf(taskFile), false)) {
            CoreRunOptions options;
            options.seed = seed;
            options.tries = tries;
            options.pauses = true;
            CAutoScheduleDlg::SetRunOptionsForTesting(options);
            CAutoRange range;
            std::vector<std::string> ids;
            for (const auto& [id, object] : context->GetTask()->GetClassInfoList())
                ids.push_back(id);
            range.SetClass(ids);
            // The dialog's own modal loop: it ends itself when the engine reports the end.
            QElapsedTimer timer;
            timer.start();
            CAutoScheduleDlg dialog;
            dialog.SetRange(&range);
            const int code = dialog.RunModal();
            const double seconds = timer.nsecsElapsed() / 1e9;
            const CoreRunStats& stats = *dialog.GetRunStats();
            const double engine = stats.secondsCheck + stats.secondsPlace + stats.secondsCallback + stats.secondsSave;
            // Counted as zem-schedule counts them: the report's lessons left unplaced.
            CWeekCount lost;
            for (const auto& [id, count] : context->GetTask()->GetLastReportInfo().GetCourseLostInfo())
                lost += count;
            // The engine's own work inside the run (its pauses left out) beside the whole dialog.
            std::printf("{\"seed\": %llu, \"code\": %d, \"lost\": %g, \"seconds\": %.4f, "
                        "\"engine_seconds\": %.4f, \"pauses_seconds\": 1.5}\n",
                        static_cast<unsigned long long>(seed), code, Number(lost), seconds, engine);
            status = code == 0 ? 1 : 0;
        }
        CAppContext::Free();
    }
    return status;
}
