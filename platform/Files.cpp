#include "platform/Files.h"

#include "platform/Text.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace zem {
namespace {

void SetError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

void SetCode(int* errorCode, int value)
{
    if (errorCode)
        *errorCode = value;
}


// Closes a descriptor on every path out of a function unless released.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, reporting the result: on some file systems a failed write only shows here.
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The path's components without the empty one a trailing '/' leaves.
std::vector<fs::path> Components(const fs::path& path)
{
    std::vector<fs::path> parts;
    for (const fs::path& part : path.lexically_normal())
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

// The path with links and ".." resolved as far as it exists; where that fails (a name too long, a
// link loop, a folder that cannot be searched) as it is written.
std::vector<fs::path> ResolvedComponents(const fs::path& path)
{
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    if (ec)
        absolute = path;
    const fs::path resolved = fs::weakly_canonical(absolute, ec);
    return Components(ec ? absolute : resolved);
}

bool IsSameOrInside(const fs::path& inner, const fs::path& outer)
{
    const auto a = ResolvedComponents(inner);
    const auto b = ResolvedComponents(outer);
    return a.size() >= b.size() && std::equal(b.begin(), b.end(), a.begin());
}

// "folder/" names the link itself once the '/' is gone; "folder/" through a link names its target.
std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

fs::file_status LinkStatus(const std::string& path)
{
    std::error_code ec;
    return fs::symlink_status(WithoutTrailingSlash(path), ec);
}

struct FaultHookSlot {
    std::mutex mutex;
    FileWriteFaultHook hook;
};

FaultHookSlot& FaultHook()
{
    static FaultHookSlot slot;
    return slot;
}

// The errno a test asks a write to the path to fail with; 0 almost always.
int InjectedFault(const std::string& path)
{
    FileWriteFaultHook hook;
    {
        std::lock_guard lock(FaultHook().mutex);
        hook = FaultHook().hook;
    }
    return hook ? hook(path) : 0;
}

struct BytesHookSlot {
    std::mutex mutex;
    FileBytesHook hook;
};

BytesHookSlot& BytesHook()
{
    static BytesHookSlot slot;
    return slot;
}

// Writes the bytes, as a test's hook may have changed them, to the descriptor: 0 or the errno.
int WriteBytes(int fd, const std::string& path, std::string_view bytes)
{
    FileBytesHook hook;
    {
        std::lock_guard lock(BytesHook().mutex);
        hook = BytesHook().hook;
    }
    if (!hook)
        return WriteAll(fd, bytes) ? 0 : errno;
    std::string changed(bytes);
    hook(path, changed);
    return WriteAll(fd, changed) ? 0 : errno;
}

std::string SizeText(std::size_t bytes)
{
    if (bytes >= (std::size_t{1} << 20) && bytes % (std::size_t{1} << 20) == 0)
        return Format("%zu MB", bytes >> 20);
    if (bytes >= 1024 && bytes % 1024 == 0)
        return Format("%zu KB", bytes >> 10);
    return Format("%zu 字节", bytes);
}

constexpr std::string_view kTempPrefix = ".~zem.";
constexpr std::string_view kTempSuffix = ".tmp";

// The failure of a save: its errno in `errorCode`, its text in `error`; false.
bool RefuseSave(int code, std::string text, std::string* error, int* errorCode)
{
    SetCode(errorCode, code);
    SetError(error, std::move(text));
    return false;
}

// Writes a temporary file beside the target, filled by `fill` and synced, whose path goes to
// `temp`. `fill` writes to the descriptor and returns 0 or the errno of its failure. On failure no
// temporary file is left.
bool WriteTemporary(const std::string& path, const std::function<int(int fd)>& fill, std::string& temp,
                    std::string* error, int* errorCode, const ReadBackCheck& check = {})
{
    SetCode(errorCode, 0);
    auto refuse = [&](int code, std::string text) { return RefuseSave(code, std::move(text), error, errorCode); };
    std::error_code ec;
    const fs::path target(path);
    if (!target.has_filename()) {
        if (fs::is_directory(target, ec))
            return refuse(EISDIR, Format("保存失败，已有同名的文件夹：%s", path.c_str()));
        return refuse(EINVAL, Format("不是文件的路径：%s", path.c_str()));
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) {
        const int code = ec && ec.value() != ENOENT ? ec.value() : ENOENT;
        if (code == ENOENT || code == ENOTDIR)
            return refuse(code, Format("保存失败，文件夹不存在：%s", folder.c_str()));
        return refuse(code, Format("保存失败，无法访问文件夹：%s\n%s", folder.c_str(), FileErrorReason(code).c_str()));
    }
    struct stat existing {};
    const bool exists = ::lstat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return refuse(EISDIR, Format("保存失败，已有同名的文件夹：%s", path.c_str()));

    static std::atomic<unsigned> counter{0};
    int rawFd = -1;
    for (int attempt = 0; attempt < 100 && rawFd < 0; ++attempt) {
        temp = (folder / Format("%s%d.%u%s", std::string(kTempPrefix).c_str(), static_cast<int>(::getpid()),
                                counter++, std::string(kTempSuffix).c_str()))
                   .string();
        rawFd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (rawFd < 0 && errno != EEXIST)
            break;
    }
    if (rawFd < 0) {
        const int e = errno;
        temp.clear();
        return refuse(e, Format("保存失败，无法在文件夹中写入：%s\n%s", folder.c_str(), FileErrorReason(e).c_str()));
    }
    FileDescriptor fd(rawFd);
    auto fail = [&](const char* what, int e) {
        ::unlink(temp.c_str());
        temp.clear();
        return refuse(e, Format("%s：%s\n%s", what, path.c_str(), FileErrorReason(e).c_str()));
    };

    // A replaced file keeps its permissions; a replaced link gives its place to a plain file.
    if (exists && S_ISREG(existing.st_mode))
        ::fchmod(fd.get(), existing.st_mode & 07777);

    if (const int fault = InjectedFault(path))
        return fail("保存失败，写入文件出错", fault);
    if (const int e = fill(fd.get()))
        return fail("保存失败，写入文件出错", e);
    if (::fsync(fd.get()) != 0)
        return fail("保存失败，写入磁盘出错", errno);
    if (!fd.Close())
        return fail("保存失败，关闭文件出错", errno);
    if (check) {
        // What goes in place is what the disk gives back, read as the program reads the file.
        std::string written;
        std::string reason;
        int e = 0;
        if (!ReadFileBytes(temp, written, &reason, &e))
            return fail("保存失败，读回文件出错", e ? e : EIO);
        if (!check(written, &reason)) {
            ::unlink(temp.c_str());
            temp.clear();
            return refuse(EILSEQ, Format("保存失败，写入的内容读回时与要保存的不符：%s\n%s", path.c_str(),
                                         reason.c_str()));
        }
    }
    return true;
}

// Renames a temporary file of WriteTemporary over its target; on failure the temporary file goes.
bool PutTemporaryInPlace(const std::string& temp, const std::string& path, std::string* error, int* errorCode)
{
    SetCode(errorCode, 0);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int e = errno;
        ::unlink(temp.c_str());
        return RefuseSave(e, Format("保存失败，无法替换文件：%s\n%s", path.c_str(), FileErrorReason(e).c_str()), error,
                          errorCode);
    }
    // Make the rename itself durable; the content is already safe, so a failure here is not reported.
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

// Writes a file through a temporary one beside it that is renamed over the target when `fill`
// succeeded. A link in the target's place is replaced by the file, never written through.
bool WriteThroughTemporary(const std::string& path, const std::function<int(int fd)>& fill, std::string* error,
                           int* errorCode)
{
    std::string temp;
    return WriteTemporary(path, fill, temp, error, errorCode) && PutTemporaryInPlace(temp, path, error, errorCode);
}

// Opens a regular file for reading without blocking on a FIFO or opening a device. -1 with the
// errno in `code` and a text in `error` otherwise.
int OpenRegularFile(const std::string& path, struct stat& st, std::string* error, int& code)
{
    auto refuse = [&](int e, std::string text) {
        code = e;
        SetError(error, std::move(text));
        return -1;
    };
    auto openError = [&](int e) {
        return refuse(e, e == ENOENT || e == ENOTDIR
                             ? Format("找不到文件：%s", path.c_str())
                             : Format("无法打开文件：%s\n%s", path.c_str(), FileErrorReason(e).c_str()));
    };
    auto checkType = [&]() {
        if (S_ISDIR(st.st_mode))
            return refuse(EISDIR, Format("这是文件夹，不是文件：%s", path.c_str()));
        if (!S_ISREG(st.st_mode))
            return refuse(ESPIPE, Format("不是普通文件：%s", path.c_str()));
        return 0;
    };
    if (::stat(path.c_str(), &st) != 0)
        return openError(errno);
    if (checkType() < 0)
        return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return openError(errno);
    // The name may have been given to something else in between.
    if (::fstat(fd, &st) != 0 || checkType() < 0) {
        if (code == 0)
            code = errno;
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

bool IsPathSameOrInside(const std::string& inner, const std::string& outer)
{
    return IsSameOrInside(inner, outer);
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    return fs::exists(status) && !fs::is_directory(status);
}

bool FolderExists(const std::string& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool IsLink(const std::string& path) { return fs::is_symlink(LinkStatus(path)); }

bool RealFolderExists(const std::string& path) { return fs::is_directory(LinkStatus(path)); }

bool MakeFolder(const std::string& path, std::string* error, int* errorCode)
{
    SetCode(errorCode, 0);
    auto refuse = [&](int code) {
        SetCode(errorCode, code);
        SetError(error, Format("无法创建文件夹：%s\n%s", path.c_str(), FileErrorReason(code).c_str()));
        return false;
    };
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return true;
    if (const int fault = InjectedFault(path))
        return refuse(fault);
    std::error_code made;
    fs::create_directories(path, made);
    if (fs::is_directory(path, ec))
        return true;
    // The library calls a file in the folder's place "not a directory": the user hears what is there.
    if (!made || (made.value() == ENOTDIR && fs::exists(LinkStatus(path))))
        return refuse(EEXIST);
    return refuse(made.value());
}

bool MakeRealFolder(const std::string& path, std::string* error, int* errorCode)
{
    SetCode(errorCode, 0);
    auto refuse = [&](int code, std::string text) {
        SetCode(errorCode, code);
        SetError(error, std::move(text));
        return false;
    };
    const std::string folder = WithoutTrailingSlash(path);
    fs::file_status status = LinkStatus(folder);
    if (!fs::exists(status) && !fs::is_symlink(status)) {
        if (const int fault = InjectedFault(folder))
            return refuse(fault, Format("无法创建文件夹：%s\n%s", folder.c_str(), FileErrorReason(fault).c_str()));
        if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
            const int e = errno;
            return refuse(e, Format("无法创建文件夹：%s\n%s", folder.c_str(), FileErrorReason(e).c_str()));
        }
        status = LinkStatus(folder);
    }
    if (fs::is_symlink(status))
        return refuse(ELOOP, Format("无法使用文件夹，同名的是一个链接：%s", folder.c_str()));
    if (!fs::is_directory(status))
        return refuse(EEXIST, Format("无法创建文件夹，已有同名的文件：%s", folder.c_str()));
    return true;
}

bool RemoveFolder(const std::string& path, std::string* error)
{
    const std::string folder = WithoutTrailingSlash(path);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(folder, ec);
    if (!fs::exists(status) && !fs::is_symlink(status))
        return true;
    if (fs::is_symlink(status)) {
        // The link goes; whatever it points to stays.
        if (::unlink(folder.c_str()) != 0 && errno != ENOENT) {
            const int e = errno;
            SetError(error, Format("无法删除链接：%s\n%s", folder.c_str(), FileErrorReason(e).c_str()));
            return false;
        }
        return true;
    }
    if (!fs::is_directory(status)) {
        SetError(error, Format("不是文件夹：%s", path.c_str()));
        return false;
    }
    // remove_all removes links inside as links.
    fs::remove_all(folder, ec);
    if (ec) {
        SetError(error, Format("无法删除文件夹：%s\n%s", path.c_str(), FileErrorReason(ec.value()).c_str()));
        return false;
    }
    return true;
}

bool RemoveFile(const std::string& path, std::string* error)
{
    const std::string file = WithoutTrailingSlash(path);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file, ec);
    if (!fs::exists(status) && !fs::is_symlink(status))
        return true;
    if (fs::is_directory(status)) {
        SetError(error, Format("不是文件：%s", path.c_str()));
        return false;
    }
    if (!fs::remove(file, ec) && ec) {
        SetError(error, Format("无法删除文件：%s\n%s", path.c_str(), FileErrorReason(ec.value()).c_str()));
        return false;
    }
    return true;
}

bool CopyFile(const std::string& source, const std::string& target, std::string* error, int* errorCode)
{
    SetCode(errorCode, 0);
    struct stat st {};
    int code = 0;
    const int sourceFd = OpenRegularFile(source, st, error, code);
    if (sourceFd < 0) {
        SetCode(errorCode, code);
        return false;
    }
    FileDescriptor from(sourceFd);
    int readError = 0;
    const bool copied = WriteThroughTemporary(
        target,
        [&](int fd) {
            char buffer[65536];
            for (;;) {
                const ssize_t n = ::read(from.get(), buffer, sizeof buffer);
                if (n == 0)
                    return 0;
                if (n < 0) {
                    if (errno == EINTR)
                        continue;
                    readError = errno;
                    return readError;
                }
                if (!WriteAll(fd, std::string_view(buffer, static_cast<std::size_t>(n))))
                    return errno;
            }
        },
        error, errorCode);
    if (!copied && readError != 0)
        SetError(error, Format("读取文件失败：%s\n%s", source.c_str(), FileErrorReason(readError).c_str()));
    return copied;
}

int CopyFolder(const std::string& source, const std::string& target, std::string* error)
{
    std::error_code ec;
    if (!fs::is_directory(source, ec)) {
        if (ec && ec.value() != ENOENT && ec.value() != ENOTDIR) {
            SetError(error, Format("无法读取要复制的文件夹：%s\n%s", source.c_str(), FileErrorReason(ec.value()).c_str()));
            return ec.value();
        }
        SetError(error, Format("找不到要复制的文件夹：%s", source.c_str()));
        return ENOENT;
    }
    // A copy into the folder itself would never end.
    if (IsSameOrInside(target, source)) {
        SetError(error, Format("不能把文件夹复制到它自己里面：%s -> %s", source.c_str(), target.c_str()));
        return EINVAL;
    }
    auto fail = [&](int code, const std::string& reason) {
        SetError(error, Format("复制文件夹失败：%s -> %s\n%s", source.c_str(), target.c_str(), reason.c_str()));
        return code != 0 ? code : EIO;
    };
    if (IsLink(target))
        return fail(ELOOP, Format("目标是一个链接：%s", target.c_str()));
    int folderCode = 0;
    if (!MakeFolder(target, nullptr, &folderCode))
        return fail(folderCode, FileErrorReason(folderCode));

    // Folder by folder without recursion; links are never followed, so no loop can form.
    std::vector<fs::path> pending{fs::path()};
    std::string leftOut;
    int leftOutCode = 0;
    while (!pending.empty()) {
        const fs::path relative = pending.back();
        pending.pop_back();
        fs::directory_iterator it(fs::path(source) / relative, ec);
        if (ec)
            return fail(ec.value(), FileErrorReason(ec.value()));
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            std::error_code typeError;
            const fs::file_status status = it->symlink_status(typeError);
            const fs::path name = relative / it->path().filename();
            const std::string to = (fs::path(target) / name).string();
            if (fs::is_directory(status)) {
                std::string folderError;
                if (!MakeRealFolder(to, &folderError))
                    return fail(EEXIST, folderError);
                pending.push_back(name);
            } else if (fs::is_regular_file(status)) {
                std::string fileError;
                int code = 0;
                if (!CopyFile(it->path().string(), to, &fileError, &code))
                    return fail(code, fileError);
            } else {
                // A link would lead the copy out of the folder, a FIFO or device holds no file to
                // copy: both stay behind, and the copy says so once it has taken all else.
                const bool link = fs::is_symlink(status);
                if (leftOutCode == 0)
                    leftOutCode = link ? ELOOP : ESPIPE;
                leftOut += Format("\n%s（%s）", name.c_str(), link ? "是一个链接" : "不是普通文件");
            }
        }
        if (ec)
            return fail(ec.value(), FileErrorReason(ec.value()));
    }
    if (leftOutCode != 0)
        return fail(leftOutCode, "下列内容没有复制：" + leftOut);
    return 0;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string* error, int* errorCode,
                   std::size_t maxBytes)
{
    bytes.clear();
    SetCode(errorCode, 0);
    struct stat st {};
    int code = 0;
    const int rawFd = OpenRegularFile(path, st, error, code);
    if (rawFd < 0) {
        SetCode(errorCode, code);
        return false;
    }
    FileDescriptor fd(rawFd);
    auto tooLarge = [&] {
        bytes.clear();
        SetCode(errorCode, EFBIG);
        SetError(error, Format("文件太大（超过 %s）：%s", SizeText(maxBytes).c_str(), path.c_str()));
        return false;
    };
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
        return tooLarge();
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            bytes.clear();
            SetCode(errorCode, e);
            SetError(error, Format("读取文件失败：%s\n%s", path.c_str(), FileErrorReason(e).c_str()));
            return false;
        }
        // A file that grows while it is read is held to the same limit.
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes)
            return tooLarge();
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error, int* errorCode,
                     const ReadBackCheck& check)
{
    // A save killed before left its temporary file, a whole workbook perhaps, hidden beside its
    // target: the next save into the folder takes away those of runs that ended.
    const fs::path target(path);
    if (target.has_filename())
        RemoveOwnTemporaryFiles(target.has_parent_path() ? target.parent_path().string() : std::string("."));
    std::string temp;
    return WriteTemporary(
               path, [&](int fd) { return WriteBytes(fd, path, bytes); }, temp, error, errorCode, check) &&
           PutTemporaryInPlace(temp, path, error, errorCode);
}

PendingFile::~PendingFile() { Discard(); }

bool PendingFile::Write(const std::string& path, std::string_view bytes, std::string* error, int* errorCode,
                        const ReadBackCheck& check)
{
    Discard();
    path_ = path;
    return WriteTemporary(
        path, [&](int fd) { return WriteBytes(fd, path, bytes); }, temp_, error, errorCode, check);
}

bool PendingFile::Commit(std::string* error, int* errorCode)
{
    if (temp_.empty())
        return RefuseSave(EINVAL, Format("保存失败，没有写好的文件：%s", path_.c_str()), error, errorCode);
    const std::string temp = std::exchange(temp_, {});
    return PutTemporaryInPlace(temp, path_, error, errorCode);
}

void PendingFile::Discard()
{
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
}

bool IsOwnTemporaryFileName(std::string_view name)
{
    if (name.size() <= kTempPrefix.size() + kTempSuffix.size() || name.substr(0, kTempPrefix.size()) != kTempPrefix ||
        name.substr(name.size() - kTempSuffix.size()) != kTempSuffix)
        return false;
    // "<pid>.<counter>", both decimal.
    const std::string_view middle = name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
    const std::size_t dot = middle.find('.');
    auto digits = [](std::string_view s) {
        return !s.empty() && s.size() <= 10 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    return dot != std::string_view::npos && digits(middle.substr(0, dot)) && digits(middle.substr(dot + 1));
}

namespace {

// The process in a temporary file's name; 0 for none that can be.
int PidOfTemporaryFile(const std::string& name)
{
    const long long pid = std::strtoll(name.c_str() + kTempPrefix.size(), nullptr, 10);
    return pid > 0 && pid <= INT_MAX ? static_cast<int>(pid) : 0;
}

}  // namespace

int RemoveOwnTemporaryFiles(const std::string& folder)
{
    std::vector<FolderEntry> entries;
    if (!RealFolderExists(folder) || !ListFolder(folder, entries))
        return 0;
    const std::string prefix = WithoutTrailingSlash(folder) + "/";
    int removed = 0;
    for (const FolderEntry& entry : entries) {
        // Another run's save may be writing it now.
        if (entry.isFolder || entry.isLink || !IsOwnTemporaryFileName(entry.name) ||
            !IsProcessGone(PidOfTemporaryFile(entry.name)))
            continue;
        struct stat st {};
        const std::string path = prefix + entry.name;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0)
            ++removed;
    }
    return removed;
}

bool IsProcessGone(int pid)
{
    return pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

FileBytesHook SetFileBytesHookForTesting(FileBytesHook hook)
{
    std::lock_guard lock(BytesHook().mutex);
    return std::exchange(BytesHook().hook, std::move(hook));
}

FileWriteFaultHook SetFileWriteFaultHook(FileWriteFaultHook hook)
{
    std::lock_guard lock(FaultHook().mutex);
    return std::exchange(FaultHook().hook, std::move(hook));
}

std::string FileErrorReason(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
        return "文件夹不存在";
    case EACCES:
    case EPERM:
        return "没有访问权限";
    case ENOSPC:
    case EDQUOT:
        return "磁盘空间不足";
    case EFBIG:
        return "文件太大";
    case EROFS:
        return "磁盘是只读的";
    case EISDIR:
        return "这是一个文件夹";
    case EEXIST:
        return "同名的文件已存在";
    case ENOTEMPTY:
        return "文件夹不是空的";
    case EBUSY:
    case ETXTBSY:
        return "文件正在使用中";
    case ENAMETOOLONG:
        return "文件名太长";
    case ELOOP:
        return "是一个链接";
    case ESPIPE:
        return "不是普通文件";
    case EMFILE:
    case ENFILE:
        return "打开的文件太多";
    case EIO:
        return "读写磁盘出错";
    case EINVAL:
        return "路径无效";
    case EXDEV:
        return "不能跨磁盘移动";
    case EILSEQ:
        return "写入的内容读回时与要保存的不符";
    default:
        return Format("错误代码 %d", errorNumber);
    }
}

bool CheckFileName(std::string_view name, std::string* message)
{
    auto refuse = [&](std::string text) {
        SetError(message, std::move(text));
        return false;
    };
    const std::string shown(name);
    if (name.empty())
        return refuse("名称不能为空。");
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return refuse("名称中不能含有换行符或其他控制字符。");
    }
    if (name.find_first_of("\\/:*?\"<>|") != std::string_view::npos)
        return refuse(Format("名称“%s”中不能含有下列字符：\\ / : * ? \" < > |", shown.c_str()));
    if (name.find("..") != std::string_view::npos)
        return refuse(Format("名称“%s”中不能含有“..”。", shown.c_str()));
    if (name.back() == '.' || name.back() == ' ')
        return refuse(Format("名称“%s”不能以点或空格结尾。", shown.c_str()));
    // Windows keeps these device names for itself, with any extension.
    const std::string_view stem = Trim(name.substr(0, name.find('.')));
    static constexpr std::string_view kReserved[] = {"CON", "PRN", "AUX", "NUL"};
    bool reserved = std::any_of(std::begin(kReserved), std::end(kReserved),
                                [&](std::string_view r) { return EqualsNoCase(stem, r); });
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9')
        reserved = EqualsNoCase(stem.substr(0, 3), "COM") || EqualsNoCase(stem.substr(0, 3), "LPT");
    if (reserved)
        return refuse(Format("“%s”是系统保留的名称，不能使用。", shown.c_str()));
    return true;
}

namespace {

// The folders this program holds, by device and inode, each with its descriptor and the number of
// FolderLock objects that hold it.
struct HeldFolder {
    int fd = -1;
    int holders = 0;
};

struct HeldFolders {
    std::mutex mutex;
    std::map<std::pair<unsigned long long, unsigned long long>, HeldFolder> folders;
};

HeldFolders& Held()
{
    static HeldFolders held;
    return held;
}

}  // namespace

FolderLock::Result FolderLock::Lock(const std::string& folder)
{
    if (held_ && folder_ == folder)
        return Result::Locked;
    Unlock();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Result::Unsupported;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return Result::Unsupported;
    }
    const auto key = std::make_pair(static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino));
    HeldFolders& held = Held();
    std::lock_guard guard(held.mutex);
    auto it = held.folders.find(key);
    if (it != held.folders.end()) {
        ::close(fd);
        ++it->second.holders;
    } else {
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int e = errno;
            ::close(fd);
            return e == EWOULDBLOCK ? Result::Busy : Result::Unsupported;
        }
        held.folders.emplace(key, HeldFolder{fd, 1});
    }
    held_ = true;
    device_ = key.first;
    inode_ = key.second;
    folder_ = folder;
    return Result::Locked;
}

void FolderLock::Unlock()
{
    if (held_) {
        HeldFolders& held = Held();
        std::lock_guard guard(held.mutex);
        const auto it = held.folders.find({device_, inode_});
        if (it != held.folders.end() && --it->second.holders == 0) {
            ::close(it->second.fd);
            held.folders.erase(it);
        }
    }
    held_ = false;
    folder_.clear();
}

bool IsWindowsPath(std::string_view path)
{
    if (path.find('\\') != std::string_view::npos)
        return true;
    const bool driveLetter = path.size() >= 2 && path[1] == ':' &&
                             ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return driveLetter;
}

std::string ProgramFolder()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "./";
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries, std::string* error)
{
    entries.clear();
    std::error_code ec;
    fs::directory_iterator it(path, ec);
    if (ec) {
        SetError(error, Format("无法读取文件夹：%s\n%s", path.c_str(), FileErrorReason(ec.value()).c_str()));
        return false;
    }
    // Stepping with an error code: the iterator's own ++ would throw.
    while (it != fs::directory_iterator()) {
        std::error_code typeError;
        const fs::file_status status = it->symlink_status(typeError);
        entries.push_back({it->path().filename().string(), fs::is_directory(status), fs::is_symlink(status)});
        if (it.increment(ec); ec)
            break;
    }
    if (ec) {
        entries.clear();
        SetError(error, Format("无法读取文件夹：%s\n%s", path.c_str(), FileErrorReason(ec.value()).c_str()));
        return false;
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
}

}  // namespace zem
