#pragma once
// Folders and files as the program's dialogs name them. Paths use '/'; a folder path ends with '/'.
// A path written on Windows ("X:\...") names nothing here: it reads as missing and is never handed
// to the file system.
#include <string>

// The folder with a '/' at its end; empty text stays empty.
std::string WithTrailingSlash(std::string folder);
// The folder of the running program.
std::string GetAppDirectory();
// The path up to and including its last '/'; empty text when it has none.
std::string GetFolderOfPath(const std::string& path);
// The user's documents folder (XDG), else the home folder.
std::string GetMyDocumentsFolder();
// The user's desktop folder (XDG), else the home folder.
std::string GetDesktopFolder();
std::string GetTempFolder();
// The remembered folder of the last task when it still exists; else "我的排课任务/" in the
// documents folder, created when missing.
std::string GetDefaultTaskFolder();
// A path inside the desktop folder shown as "桌面/..." ; other paths unchanged.
std::string MakeDisplayPath(const std::string& path);
// 0 when nothing is at the path; otherwise for a folder the want-folder flag, for a file its negation.
int PathIsKind(const std::string& path, bool wantFolder);
// The file's size in KB as "1,234,567.89"; "0" when the file cannot be read.
std::string FormatFileSizeKB(const std::string& path);
// Makes a name usable as a file or folder name, in place: path and wildcard characters become "-",
// brackets become parentheses, a name of 32 or more UTF-16 units keeps its first 30, and an empty
// name becomes "未命名". The result always passes CheckFileName. Returns true.
bool SanitizeFileName(std::string& name);
// Deletes the folder with everything in it. Refuses the root, the home folder and a path with a
// ".." part. Nothing is reported.
void DeleteFolderTree(const std::string& folder);
// Copies the source folder's contents into the target folder without asking; 0 on success.
int CopyFolder(const std::string& source, const std::string& target);
