#pragma once
// What the program's dialogs ask of the desktop: web pages of the program's site and a folder chooser.
#include <string>

class QWidget;

// Opens a page of the program's web site with the program's query (distribution code, version) in
// the desktop's browser; above 32 when it was opened.
int OpenWebPage(const std::string& address);
// Lets the user choose a folder, starting at `path`. OK stores the chosen folder in `path` and gives
// true; Cancel empties `path`. A folder whose name the task's GBK files cannot hold is refused with a
// message, and `path` is left as it was.
bool BrowseForFolder(QWidget* owner, const std::string& title, unsigned flags, std::string& path);
