#pragma once
// The frame of the command-line tools that run the program's windows and writers offscreen: no
// display, the toolkit kept from the tool's own options, and the application context over a
// scratch copy of the zem.ini given.
#include "app/shell/AppContext.h"

#include "ToolScratch.h"

#include <QApplication>

#include <functional>
#include <string>

inline int RunOffscreenTool(char** argv, const char* tool, const std::string& ini, const std::function<int()>& work)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The toolkit sees only the program's name: it would take "--style" as its own option.
    int toolkitArgc = 1;
    QApplication application(toolkitArgc, argv);
    // The program's settings and folders stay in a scratch folder: the zem.ini given is only read.
    return RunWithScratchSettings(tool, ini, [&](const std::string& settingsFile) {
        CAppContext::Create(settingsFile);
        const int status = work();
        CAppContext::Free();
        return status;
    });
}
