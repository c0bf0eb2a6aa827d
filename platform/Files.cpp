#include "platform/Files.h"

#include "platform/Text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

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

bool IsSameOrInside(const fs::path& inner, const fs::path& outer)
{
    std::error_code ec;
    const auto a = Components(fs::weakly_canonical(fs::absolute(inner, ec), ec));
    const auto b = Components(fs::weakly_canonical(fs::absolute(outer, ec), ec));
    return a.size() >= b.size() && std::equal(b.begin(), b.end(), a.begin());
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

bool MakeFolder(const std::string& path, std::string* error)
{
    std::error_code ec;
    fs::create_directories(path, ec);
    if (fs::is_directory(path))
        return true;
    SetError(error, Format("无法创建文件夹：%s\n%s", path.c_str(),
                           ec ? FileErrorReason(ec.value()).c_str() : "同名的文件已存在"));
    return false;
}

bool RemoveFolder(const std::string& path, std::string* error)
{
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (!fs::exists(status))
        return true;
    if (!fs::is_directory(status)) {
        SetError(error, Format("不是文件夹：%s", path.c_str()));
        return false;
    }
    fs::remove_all(path, ec);
    if (ec) {
        SetError(error, Format("无法删除文件夹：%s\n%s", path.c_str(), FileErrorReason(ec.value()).c_str()));
        return false;
    }
    return true;
}

bool RemoveFile(const std::string& path, std::string* error)
{
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (!fs::exists(status))
        return true;
    if (fs::is_directory(status)) {
        SetError(error, Format("不是文件：%s", path.c_str()));
        return false;
    }
    if (!fs::remove(path, ec) && ec) {
        SetError(error, Format("无法删除文件：%s\n%s", path.c_str(), FileErrorReason(ec.value()).c_str()));
        return false;
    }
    return true;
}

bool CopyFile(const std::string& source, const std::string& target, std::string* error)
{
    std::string bytes;
    return ReadFileBytes(source, bytes, error) && WriteFileAtomic(target, bytes, error);
}

int CopyFolder(const std::string& source, const std::string& target, std::string* error)
{
    std::error_code ec;
    if (!fs::is_directory(source, ec)) {
        SetError(error, Format("找不到要复制的文件夹：%s", source.c_str()));
        return ENOENT;
    }
    // A copy into the folder itself would never end.
    if (IsSameOrInside(target, source)) {
        SetError(error, Format("不能把文件夹复制到它自己里面：%s -> %s", source.c_str(), target.c_str()));
        return EINVAL;
    }
    fs::create_directories(target, ec);
    if (!ec) {
        // Links are copied as links, so a link that points back up never loops.
        fs::copy(source, target,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing | fs::copy_options::copy_symlinks,
                 ec);
    }
    if (ec) {
        SetError(error, Format("复制文件夹失败：%s -> %s\n%s", source.c_str(), target.c_str(),
                               FileErrorReason(ec.value()).c_str()));
        return ec.value() != 0 ? ec.value() : EIO;
    }
    return 0;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string* error, int* errorCode)
{
    bytes.clear();
    SetCode(errorCode, 0);
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        const int e = errno;
        SetCode(errorCode, e);
        SetError(error, e == ENOENT ? Format("找不到文件：%s", path.c_str())
                                    : Format("无法打开文件：%s\n%s", path.c_str(), FileErrorReason(e).c_str()));
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            SetCode(errorCode, EISDIR);
            SetError(error, Format("这是文件夹，不是文件：%s", path.c_str()));
            return false;
        }
        if (S_ISREG(st.st_mode))
            bytes.reserve(static_cast<std::size_t>(st.st_size));
    }
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
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error, int* errorCode)
{
    SetCode(errorCode, 0);
    auto refuse = [&](int code, std::string text) {
        SetCode(errorCode, code);
        SetError(error, std::move(text));
        return false;
    };
    std::error_code ec;
    fs::path target(path);
    // Saving through a link updates the file it points to and keeps the link.
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }
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
    if (fs::is_directory(target, ec))
        return refuse(EISDIR, Format("保存失败，已有同名的文件夹：%s", path.c_str()));

    static std::atomic<unsigned> counter{0};
    std::string temp;
    int rawFd = -1;
    for (int attempt = 0; attempt < 100 && rawFd < 0; ++attempt) {
        temp = (folder / Format(".~zem.%d.%u.tmp", static_cast<int>(::getpid()), counter++)).string();
        rawFd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (rawFd < 0 && errno != EEXIST)
            break;
    }
    if (rawFd < 0) {
        const int e = errno;
        return refuse(e, Format("保存失败，无法在文件夹中写入：%s\n%s", folder.c_str(),
                                FileErrorReason(e).c_str()));
    }
    FileDescriptor fd(rawFd);
    auto fail = [&](const char* what, int e) {
        ::unlink(temp.c_str());
        return refuse(e, Format("%s：%s\n%s", what, path.c_str(), FileErrorReason(e).c_str()));
    };

    // A replaced file keeps its permissions.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0)
        ::fchmod(fd.get(), st.st_mode & 07777);

    if (!WriteAll(fd.get(), bytes))
        return fail("保存失败，写入文件出错", errno);
    if (::fsync(fd.get()) != 0)
        return fail("保存失败，写入磁盘出错", errno);
    if (!fd.Close())
        return fail("保存失败，关闭文件出错", errno);
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return fail("保存失败，无法替换文件", errno);

    // Make the rename itself durable; the content is already safe, so a failure here is not reported.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
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
        return "链接指向自身";
    case EMFILE:
    case ENFILE:
        return "打开的文件太多";
    case EIO:
        return "读写磁盘出错";
    case EINVAL:
        return "路径无效";
    case EXDEV:
        return "不能跨磁盘移动";
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
        entries.push_back({it->path().filename().string(), it->is_directory(typeError)});
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
