#pragma once
// Answers every file chooser with `path` while it lives, and records what the desktop is asked to open.
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"

#include <string>
#include <vector>

class FileScope {
public:
    explicit FileScope(std::string& path)
    {
        m_dialogs = zem::gui::SetFileDialogHook([&path](const zem::gui::FileDialogRequest&) { return path; });
        m_open = zem::gui::SetOpenHook([this](const std::string& target) {
            opened.push_back(target);
            return zem::gui::kOpenDone;
        });
    }
    ~FileScope()
    {
        zem::gui::SetFileDialogHook(m_dialogs);
        zem::gui::SetOpenHook(m_open);
    }
    FileScope(const FileScope&) = delete;
    FileScope& operator=(const FileScope&) = delete;

    std::vector<std::string> opened;

private:
    zem::gui::FileDialogHook m_dialogs;
    zem::gui::OpenHook m_open;
};
