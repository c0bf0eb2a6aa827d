#pragma once
// File and folder choosers. Filters are written as the program writes them, "文本|*.txt;*.csv|所有文件|*.*";
// folders end with "/". Tests install a hook that answers instead of the user.
#include <functional>
#include <string>

class QWidget;

namespace zem::gui {

struct FileDialogRequest {
    enum class Kind { OpenFile, SaveFile, Folder };
    Kind kind = Kind::OpenFile;
    std::string title;
    std::string filter;        // empty: every file
    std::string folder;        // where the chooser starts
    std::string fileName;      // proposed name (save)
    std::string defaultSuffix; // added to a saved name typed without one, e.g. "xlsx"
};

// The chosen path, or empty when the user cancelled.
std::string ChooseFile(QWidget* parent, const FileDialogRequest& request);

using FileDialogHook = std::function<std::string(const FileDialogRequest&)>;
// Returns the previous hook; an empty function restores the real choosers.
FileDialogHook SetFileDialogHook(FileDialogHook hook);

// "Excel文件|*.xlsx;*.xls|所有文件|*.*" as the toolkit's filter list: "Excel文件 (*.xlsx *.xls);;所有文件 (*)".
std::string ToToolkitFilter(const std::string& filter);

}  // namespace zem::gui
