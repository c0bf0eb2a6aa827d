#pragma once
// What the offscreen tools over the program share: every message box written to standard error
// and answered OK, and a scratch folder that holds the program's settings and user folders for the
// run and goes with it.
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/UserFolders.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

class ToolScratch {
public:
    // Messages are prefixed with the tool's name; the folder is made under /tmp.
    explicit ToolScratch(const char* tool)
    {
        zem::SetMessageHook([tool](const zem::MessageRequest& request) {
            std::fprintf(stderr, "%s: %s\n", tool, request.text.c_str());
            return static_cast<int>(zem::IDOK);
        });
        std::string pattern = std::string("/tmp/") + tool + "-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::fprintf(stderr, "%s: no temporary folder\n", tool);
            return;
        }
        m_folder = pattern + "/";
        zem::SetUserFolderHook([folder = m_folder](zem::UserFolderKind) { return folder; });
    }
    ~ToolScratch()
    {
        if (!m_folder.empty())
            zem::RemoveFolder(m_folder);
    }
    ToolScratch(const ToolScratch&) = delete;
    ToolScratch& operator=(const ToolScratch&) = delete;

    // Ends with "/"; empty when it could not be made.
    const std::string& Folder() const { return m_folder; }

private:
    std::string m_folder;
};

// Runs `run` with the program's settings in a scratch folder: the zem.ini given (empty: none) is
// copied there and only read. `run` gets the path of the scratch zem.ini; 1 when the copy failed.
inline int RunWithScratchSettings(const char* tool, const std::string& ini,
                                  const std::function<int(const std::string& settingsFile)>& run)
{
    const ToolScratch scratch(tool);
    if (scratch.Folder().empty())
        return 1;
    const std::string settingsFile = scratch.Folder() + "zem.ini";
    std::string settings;
    if (!ini.empty() && !zem::ReadFileBytes(ini, settings)) {
        std::fprintf(stderr, "%s: cannot read %s\n", tool, ini.c_str());
        return 1;
    }
    if (!settings.empty() && !zem::WriteFileAtomic(settingsFile, settings)) {
        std::fprintf(stderr, "%s: cannot copy %s\n", tool, ini.c_str());
        return 1;
    }
    return run(settingsFile);
}
