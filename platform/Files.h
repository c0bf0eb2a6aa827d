#pragma once
// Files and folders. Paths use '/'; a folder path may end with '/'. Nothing here throws: failures
// come back as results, with a text for the user where one is asked for.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zem {

// Symbolic links: a link given as the last part of a path is never written, pruned or removed
// through. A save replaces the link itself, a removal removes the link, a copy leaves links out,
// and a folder that must be real (RealFolderExists, MakeRealFolder) is refused when it is a link.
// Links further up a path (a task folder reached through one) are followed as usual.

// True for an existing path that is not a folder (a symbolic link counts as what it points to).
bool FileExists(const std::string& path);
// True for an existing folder.
bool FolderExists(const std::string& path);
// True for a symbolic link, whatever it points to; a trailing '/' does not make it its target.
bool IsLink(const std::string& path);
// True for an existing folder that is not a symbolic link.
bool RealFolderExists(const std::string& path);

// Creates the folder and any missing parents. True when the folder exists afterwards; false with
// the reason ("文件名太长", "没有访问权限", ...) otherwise, `errorCode` getting its errno.
bool MakeFolder(const std::string& path, std::string* error = nullptr, int* errorCode = nullptr);
// Creates one folder inside an existing one unless it is there. True when the path is a real
// folder afterwards; false, with the reason, when a file or a link has its name or it cannot be
// made. `errorCode` gets the errno (EEXIST for a file, ELOOP for a link).
bool MakeRealFolder(const std::string& path, std::string* error = nullptr, int* errorCode = nullptr);

// Removes a folder with everything in it. True when nothing of it is left (also when it never
// existed). A link in the folder's place is removed itself, its target left alone.
bool RemoveFolder(const std::string& path, std::string* error = nullptr);

// Removes one file (a link itself, never its target). True when the file is gone (also when it
// never existed).
bool RemoveFile(const std::string& path, std::string* error = nullptr);

// Copies a regular file over the target, which is replaced atomically (a link there included).
bool CopyFile(const std::string& source, const std::string& target, std::string* error = nullptr,
              int* errorCode = nullptr);

// Copies the regular files and folders of a folder into the target folder, creating the target
// and its missing parents and overwriting files that exist there. Links and special files (FIFOs,
// devices) are left out: everything else is copied, then the result is ELOOP or ESPIPE and
// `error` names what was left out. A link or file in the target where a folder goes is an
// error, never written through. 0 on success, otherwise a non-zero error number.
int CopyFolder(const std::string& source, const std::string& target, std::string* error = nullptr);

// The most a reader takes in unless it asks for less: more than any task file holds.
inline constexpr std::size_t kMaxReadBytes = std::size_t{64} << 20;

// Reads a whole regular file of at most `maxBytes`. False (with `bytes` empty) when the path is
// missing, a folder, not a regular file (a FIFO, a device), larger than the limit, or unreadable;
// `errorCode` then gets the errno of the failure (ENOENT or ENOTDIR for a missing file, EISDIR for
// a folder, ESPIPE for a file that is not a regular one, EFBIG for one too large). Never blocks
// on a FIFO.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string* error = nullptr,
                   int* errorCode = nullptr, std::size_t maxBytes = kMaxReadBytes);

// Tells whether the bytes of a written file read back, with the program's own reader, as what was
// meant to be saved; false with the reason when they do not.
using ReadBackCheck = std::function<bool(std::string_view bytes, std::string* reason)>;

// Writes bytes to a file so that the file holds either its old or its new content, never a mix:
// a temporary file in the same folder is written, synced, read back and (given a check) checked,
// and only then renamed over the target. On failure the target is untouched, no temporary file is
// left behind and `errorCode` gets the errno of the failure (ENOENT when the folder does not
// exist, EILSEQ when the file did not read back as meant).
// The temporary files that killed runs left in the folder (RemoveOwnTemporaryFiles) go first.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                     int* errorCode = nullptr, const ReadBackCheck& check = {});

// A file written in full beside its target and put in its place only by Commit, for two files that
// must change together: write the first aside, save the second, then commit the first. A program
// killed in between leaves the target as it was and a temporary file the next open removes.
class PendingFile {
public:
    PendingFile() = default;
    // Removes the temporary file unless it was committed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Writes and syncs the bytes beside `path`, failing as WriteFileAtomic does; the target is untouched.
    bool Write(const std::string& path, std::string_view bytes, std::string* error = nullptr,
               int* errorCode = nullptr, const ReadBackCheck& check = {});
    // The target, once Write was called.
    const std::string& Path() const { return path_; }
    // Renames the written file over the target. False, with the reason, when nothing was written or
    // the rename failed; the temporary file is gone either way.
    bool Commit(std::string* error = nullptr, int* errorCode = nullptr);
    // Removes the written file; the target stays as it was.
    void Discard();

private:
    std::string path_;
    std::string temp_;
};

// True for the name of a temporary file that WriteFileAtomic, CopyFile or PendingFile makes. A save killed
// half-way leaves one behind.
bool IsOwnTemporaryFileName(std::string_view name);
// Removes the temporary files of our own naming that are regular files directly in the folder
// (never through a link), left by a process that no longer runs. Returns how many went.
int RemoveOwnTemporaryFiles(const std::string& folder);
// True when no process has the id: one of another user, or this one, still runs.
bool IsProcessGone(int pid);

// For tests: called with the path of every file or folder about to be written or made; a non-zero
// errno fails that write as the system would (a full disk, a read-only folder). Returns the
// previous hook; an empty function turns it off.
using FileWriteFaultHook = std::function<int(const std::string& path)>;
FileWriteFaultHook SetFileWriteFaultHook(FileWriteFaultHook hook);

// For tests: called with the path and the bytes of every file about to be written, which it may
// change, as a faulty writer would. Returns the previous hook; an empty function turns it off.
using FileBytesHook = std::function<void(const std::string& path, std::string& bytes)>;
FileBytesHook SetFileBytesHookForTesting(FileBytesHook hook);

// The reason for an errno as the user reads it ("文件夹不存在", "没有访问权限", ...).
std::string FileErrorReason(int errorNumber);

// Checks a name that becomes a file or folder name (a task, a proctoring, a temporary task, an
// export group): not empty, no path separator, no "..", none of \ / : * ? " < > | or a control
// character, no trailing dot or space, not a device name Windows reserves. A task folder made from
// such a name stays where it was put and still opens on Windows. False with a message for the user.
bool CheckFileName(std::string_view name, std::string* message = nullptr);

// An advisory lock (flock) on a folder, held while the object holds it, so that two programs do
// not write into one folder at the same time. The lock belongs to the program: objects of one
// program share it (a window that opens its task anew while the old one is still open), and it is
// let go when the last of them lets go. Programs that do not ask for it are not stopped.
class FolderLock {
public:
    enum class Result {
        Locked,       // held now
        Busy,         // another program has it
        Unsupported,  // the folder cannot be opened or its file system takes no locks; nothing held
    };

    FolderLock() = default;
    ~FolderLock() { Unlock(); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock on the folder without waiting, giving up one held on another folder first.
    Result Lock(const std::string& folder);
    void Unlock();
    bool IsLocked() const { return held_; }
    // The folder locked, as given to Lock; empty when none.
    const std::string& Folder() const { return folder_; }

private:
    bool held_ = false;
    unsigned long long device_ = 0;
    unsigned long long inode_ = 0;
    std::string folder_;
};

// True when `inner` is the folder `outer` or lies anywhere below it, after resolving "..", links and
// a trailing '/' of either path; a path the system cannot resolve (a name too long, a link loop)
// is compared as written.
bool IsPathSameOrInside(const std::string& inner, const std::string& outer);

// True for a path written on Windows ("X:\...", "X:/...", "\\server\...", anything with a backslash),
// as files made there hold them. Such a path names nothing here and is never handed to the file
// system.
bool IsWindowsPath(std::string_view path);

// The folder that holds the running program, ending with '/'.
std::string ProgramFolder();

struct FolderEntry {
    std::string name;  // without the folder
    bool isFolder = false;  // a real folder, not a link to one
    bool isLink = false;
};

// The entries of a folder ("." and ".." left out), sorted by name. False when it cannot be read.
bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries, std::string* error = nullptr);

}  // namespace zem
