#pragma once
// Files and folders. Paths use '/'; a folder path may end with '/'. Nothing here throws: failures
// come back as results, with a text for the user where one is asked for.
#include <string>
#include <string_view>
#include <vector>

namespace zem {

// True for an existing path that is not a folder (a symbolic link counts as what it points to).
bool FileExists(const std::string& path);
// True for an existing folder.
bool FolderExists(const std::string& path);

// Creates the folder and any missing parents. True when the folder exists afterwards.
bool MakeFolder(const std::string& path, std::string* error = nullptr);

// Removes a folder with everything in it. True when nothing of it is left (also when it never existed).
bool RemoveFolder(const std::string& path, std::string* error = nullptr);

// Removes one file. True when the file is gone (also when it never existed).
bool RemoveFile(const std::string& path, std::string* error = nullptr);

// Copies a file over the target, which is replaced atomically.
bool CopyFile(const std::string& source, const std::string& target, std::string* error = nullptr);

// Copies the contents of a folder into the target folder, creating the target and its missing
// parents and overwriting files that exist there. 0 on success, otherwise a non-zero error number.
int CopyFolder(const std::string& source, const std::string& target, std::string* error = nullptr);

// Reads a whole file. False (with `bytes` empty) when the path is missing, a folder, or unreadable;
// `errorCode` then gets the errno of the failure (ENOENT or ENOTDIR for a missing file, EISDIR for
// a folder).
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string* error = nullptr,
                   int* errorCode = nullptr);

// Writes bytes to a file so that the file holds either its old or its new content, never a mix:
// a temporary file in the same folder is written, synced and renamed over the target. On failure
// the target is untouched, no temporary file is left behind and `errorCode` gets the errno of the
// failure (ENOENT when the folder does not exist).
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                     int* errorCode = nullptr);

// The reason for an errno as the user reads it ("文件夹不存在", "没有访问权限", ...).
std::string FileErrorReason(int errorNumber);

// Checks a name that becomes a file or folder name (a task, a proctoring, a temporary task, an
// export group): not empty, no path separator, no "..", none of \ / : * ? " < > | or a control
// character, no trailing dot or space, not a device name Windows reserves. A task folder made from
// such a name stays where it was put and still opens on Windows. False with a message for the user.
bool CheckFileName(std::string_view name, std::string* message = nullptr);

// True when `inner` is the folder `outer` or lies anywhere below it, after resolving "..", links and
// a trailing '/' of either path.
bool IsPathSameOrInside(const std::string& inner, const std::string& outer);

// True for a path written on Windows ("X:\...", "X:/...", "\\server\...", anything with a backslash),
// as files made there hold them. Such a path names nothing here and is never handed to the file
// system.
bool IsWindowsPath(std::string_view path);

// The folder that holds the running program, ending with '/'.
std::string ProgramFolder();

struct FolderEntry {
    std::string name;  // without the folder
    bool isFolder = false;
};

// The entries of a folder ("." and ".." left out), sorted by name. False when it cannot be read.
bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries, std::string* error = nullptr);

}  // namespace zem
