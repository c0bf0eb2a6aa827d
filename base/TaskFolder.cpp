#include "base/TaskFolder.h"

#include "base/Log.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

constexpr const char* kMarkSection = "Backup";
constexpr const char* kMarkTime = "Time";
constexpr const char* kMarkDescription = "Description";
// The two kinds of folder a backup puts beside its place: the copy in the making, and the old
// folder while the new one takes its place on a file system that cannot swap two folders.
constexpr const char* kStagingTag = ".staging-";
constexpr const char* kAsideTag = ".old-";
// More than a school's backup holds; a folder with more is not looked through to be replaced.
constexpr int kMaxEntriesChecked = 100000;
constexpr std::size_t kMaxMarkerBytes = 4096;

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

std::string WithoutSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool HasTaskFileExtension(const std::string& name)
{
    const std::string_view extension = TaskFolder::kTaskFileExtension;
    return name.size() > extension.size() &&
           zem::EqualsNoCase(std::string_view(name).substr(name.size() - extension.size()), extension);
}

std::string LinkReason(const std::string& path) { return zem::Format("%s（是一个链接）", path.c_str()); }

// The folders this program is working in now, by their full paths.
struct BusyFolders {
    std::mutex mutex;
    std::multiset<std::string> folders;
};

BusyFolders& Busy()
{
    static BusyFolders busy;
    return busy;
}

std::string BusyKey(const std::string& folder)
{
    std::error_code ec;
    return WithoutSlash(fs::weakly_canonical(fs::absolute(folder, ec), ec).string());
}

// "<parent>/.<leaf><tag><pid>-<n>", a name nothing else has.
std::string NewAsideName(const std::string& parent, const std::string& leaf, const char* tag)
{
    static std::atomic<unsigned> counter{0};
    for (;;) {
        const std::string path = zem::Format("%s/.%s%s%d-%u", parent.c_str(), leaf.c_str(), tag,
                                             static_cast<int>(::getpid()), counter++);
        if (!TaskFolder::HasEntry(path))
            return path;
    }
}

// The leaf a folder of NewAsideName's naming belongs to, whether it is a staging folder, and the
// process in its name; false for any other name.
bool ParseAsideName(const std::string& name, std::string& leaf, bool& staging, int& pid)
{
    for (const char* tag : {kStagingTag, kAsideTag}) {
        const std::size_t at = name.rfind(tag);
        if (name.empty() || name[0] != '.' || at == std::string::npos || at < 2)
            continue;
        const std::string_view rest = std::string_view(name).substr(at + std::string_view(tag).size());
        const std::size_t dash = rest.find('-');
        auto digits = [](std::string_view text) {
            return !text.empty() && text.size() <= 10 && text.find_first_not_of("0123456789") == std::string_view::npos;
        };
        if (dash == std::string_view::npos || !digits(rest.substr(0, dash)) || !digits(rest.substr(dash + 1)))
            continue;
        const long long number = std::stoll(std::string(rest.substr(0, dash)));
        if (number <= 0 || number > INT_MAX)
            continue;
        leaf = name.substr(1, at - 1);
        staging = tag == kStagingTag;
        pid = static_cast<int>(number);
        return true;
    }
    return false;
}

// What the owner marker of a folder staged or put aside for `leaf` by process `pid` holds.
std::string OwnerMark(int pid, const std::string& leaf) { return zem::Format("%d\n%s\n", pid, leaf.c_str()); }

bool WriteOwnerMarker(const std::string& folder, const std::string& leaf, std::string* error, int* code)
{
    return zem::WriteFileAtomic(WithSlash(folder) + TaskFolder::kOwnerMarker, OwnerMark(::getpid(), leaf), error,
                                code);
}

// True for a folder this program staged or put aside for `leaf`, in a process, named in its name,
// that no longer runs or (this process) is not working in it.
bool IsOwnLeftover(const std::string& folder, const std::string& leaf, int pid)
{
    const std::string marker = WithSlash(folder) + TaskFolder::kOwnerMarker;
    std::string bytes;
    if (!zem::RealFolderExists(folder) || zem::IsLink(marker) || !zem::FileExists(marker) ||
        !zem::ReadFileBytes(marker, bytes, nullptr, nullptr, kMaxMarkerBytes) || bytes != OwnerMark(pid, leaf))
        return false;
    return pid == ::getpid() ? !TaskFolder::IsBusy(folder) : zem::IsProcessGone(pid);
}

// Moves a folder into a name nothing has; 0 or the errno.
int RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return errno;
    if (TaskFolder::HasEntry(to))
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool WriteMarker(const std::string& folder, const TaskFolder::BackupMark& mark, std::string* error)
{
    zem::IniFile ini;
    ini.SetString(kMarkSection, kMarkTime, mark.time);
    // The key is a text of the program's own; one the file cannot hold is left out rather than shown.
    if (zem::IsGbkRepresentable(mark.description) && mark.description.find_first_of("\r\n") == std::string::npos)
        ini.SetString(kMarkSection, kMarkDescription, mark.description);
    return ini.SaveAs(WithSlash(folder) + TaskFolder::kBackupMarker, error);
}

// Puts the finished copy in the place of what is there: both folders are swapped in one step
// where the file system can, else the old one is moved aside first. The old one then goes.
bool PutInPlace(const std::string& staging, const std::string& place, const std::string& parent,
                const std::string& leaf, std::string& error, int& code)
{
    auto fail = [&](int e) {
        code = e;
        error = zem::Format("无法替换文件夹：%s\n%s", place.c_str(), zem::FileErrorReason(e).c_str());
        return false;
    };
    std::error_code ec;
    // A link in its place may always go; the new folder then takes the free name.
    if (zem::IsLink(place) && !zem::RemoveFile(place))
        return fail(errno != 0 ? errno : EIO);
    if (!TaskFolder::HasEntry(place)) {
        const int e = RenameNoReplace(staging, place);
        return e != 0 ? fail(e) : true;
    }
    // The old folder, under the staging folder's name or put aside, is proved the program's too.
    std::string markError;
    int markCode = 0;
    if (!WriteOwnerMarker(place, leaf, &markError, &markCode))
        return fail(markCode);
    if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, place.c_str(), RENAME_EXCHANGE) == 0) {
        zem::RemoveFolder(staging);
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        const int e = errno;
        zem::RemoveFile(WithSlash(place) + TaskFolder::kOwnerMarker);
        return fail(e);
    }
    const std::string aside = NewAsideName(parent, leaf, kAsideTag);
    TaskFolder::Busy making(aside);
    fs::rename(place, aside, ec);
    if (ec) {
        TaskFolder::DropOwnerMarker(place);
        return fail(ec.value());
    }
    if (TaskFolder::IsKilledAt("aside"))
        return fail(EINTR);
    if (const int e = RenameNoReplace(staging, place); e != 0) {
        if (RenameNoReplace(aside, place) == 0)
            TaskFolder::DropOwnerMarker(place);
        return fail(e);
    }
    zem::RemoveFolder(aside);
    return true;
}

struct KillHookSlot {
    std::mutex mutex;
    TaskFolder::KillHook hook;
};

KillHookSlot& TheKillHook()
{
    static KillHookSlot slot;
    return slot;
}

}  // namespace

TaskFolder::TaskFolder(std::string folder) : m_folder(WithSlash(std::move(folder))) {}

bool TaskFolder::IsTaskFolder(const std::string& folder)
{
    std::vector<zem::FolderEntry> entries;
    if (!zem::ListFolder(folder, entries))
        return false;
    for (const zem::FolderEntry& entry : entries)
        if (!entry.isFolder && (entry.name == kInputFile || HasTaskFileExtension(entry.name)))
            return true;
    return false;
}

bool TaskFolder::HoldsTaskFiles(const std::string& folder)
{
    std::vector<zem::FolderEntry> entries;
    if (!zem::ListFolder(folder, entries))
        return false;
    for (const zem::FolderEntry& entry : entries) {
        const std::string& name = entry.name;
        if (!entry.isFolder &&
            (name == kInputFile || name == kOutputFile || name == kSettingsFile || HasTaskFileExtension(name)))
            return true;
    }
    return false;
}

TaskFolder::CopyReport TaskFolder::CopyInto(const std::string& target, const std::string& taskFile,
                                            const std::string& taskFileName) const
{
    CopyReport report;
    const std::string to = WithSlash(target);
    auto fail = [&](const std::string& part, const std::string& error, int code, bool removing) {
        report.failedPart = part;
        report.failedRemoving = removing;
        report.error = error;
        report.errorCode = code != 0 ? code : EIO;
        return report;
    };
    auto leaveOut = [&](const std::string& part, const std::string& reason, bool link) {
        report.leftOut.push_back(part);
        report.reasons.push_back(reason);
        report.onlyLinksLeftOut = report.onlyLinksLeftOut && link;
    };
    std::string error;
    int code = 0;
    auto copyFile = [&](const std::string& from, const std::string& name) {
        if (!zem::CopyFile(from, to + name, &error, &code))
            return false;
        report.copied.push_back(name);
        return true;
    };

    if (!taskFile.empty() && !copyFile(taskFile, taskFileName))
        return fail(taskFileName, error, code, false);
    if (!copyFile(m_folder + kInputFile, kInputFile))
        return fail(kInputFile, error, code, false);
    // A folder of that name counts too: the copy must then fail rather than pass it over.
    if (HasEntry(m_folder + kOutputFile)) {
        if (!copyFile(m_folder + kOutputFile, kOutputFile))
            return fail(kOutputFile, error, code, false);
    } else if (HasEntry(to + kOutputFile) && !zem::RemoveFile(to + kOutputFile, &error)) {
        return fail(kOutputFile, error, EISDIR, true);
    }

    const std::string settings = m_folder + kSettingsFile;
    if (zem::IsLink(settings))
        leaveOut(kSettingsFile, LinkReason(settings), true);
    else if (zem::FileExists(settings) && !copyFile(settings, kSettingsFile))
        leaveOut(kSettingsFile, error, false);

    for (const char* sub : {kTempFolder, kProctorFolder}) {
        const std::string from = m_folder + sub;
        if (zem::IsLink(from)) {
            leaveOut(sub, LinkReason(from), true);
            continue;
        }
        if (!zem::RealFolderExists(from))
            continue;
        code = zem::CopyFolder(from, to + sub, &error);
        // Links and special files inside are left out; all else is copied.
        if (code == 0 || code == ELOOP || code == ESPIPE)
            report.copied.push_back(sub);
        if (code != 0)
            leaveOut(sub, error, code == ELOOP);
    }
    report.ok = true;
    return report;
}

TaskFolder::CopyReport TaskFolder::BackUpTo(const std::string& target, const BackupMark& mark,
                                            const std::string& taskFile, const std::string& taskFileName) const
{
    CopyReport report;
    auto fail = [&](std::string error, int code) {
        report.ok = false;
        report.failedPart.clear();
        report.error = std::move(error);
        report.errorCode = code != 0 ? code : EIO;
        return report;
    };
    const std::string place = WithoutSlash(target);
    const fs::path path(place);
    const std::string parent = path.has_parent_path() ? path.parent_path().string() : std::string(".");
    const std::string leaf = path.filename().string();
    CleanStaging(parent, leaf);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(place, ec);
    if (fs::exists(status) && !fs::is_directory(status) && !fs::is_symlink(status))
        return fail(zem::Format("无法创建文件夹，已有同名的文件：%s", place.c_str()), EEXIST);

    std::string staging;
    std::string error;
    int code = 0;
    if (!MakeStagingFolder(place, staging, &error, &code))
        return fail(error, code);
    TaskFolder::Busy making(staging);
    report = CopyInto(staging, taskFile, taskFileName);
    if (report.ok && IsKilledAt("copied"))
        return fail("killed", EINTR);
    if (report.ok && !WriteMarker(staging, mark, &error)) {
        report = fail(error, EIO);
        report.failedPart = kBackupMarker;
    } else if (report.ok && IsKilledAt("marked")) {
        return fail("killed", EINTR);
    } else if (report.ok && !PutInPlace(staging, place, parent, leaf, error, code)) {
        if (code == EINTR)
            return fail("killed", EINTR);
        report = fail(error, code);
    }
    if (!report.ok)
        zem::RemoveFolder(staging);
    else
        DropOwnerMarker(place);
    return report;
}

bool TaskFolder::IsCompleteBackup(const std::string& folder, BackupMark* mark)
{
    const std::string place = WithSlash(folder);
    const std::string marker = place + kBackupMarker;
    std::string bytes;
    if (!zem::RealFolderExists(folder) || !zem::FileExists(place + kInputFile) || zem::IsLink(marker) ||
        !zem::ReadFileBytes(marker, bytes, nullptr, nullptr, kMaxMarkerBytes))
        return false;
    if (mark) {
        const zem::IniFile ini = zem::IniFile::FromBytes(bytes);
        mark->time = ini.GetString(kMarkSection, kMarkTime);
        mark->description = ini.GetString(kMarkSection, kMarkDescription);
    }
    return true;
}

TaskFolder::ReplaceCheck TaskFolder::CheckReplace(const std::string& folder, const std::string& openTaskFolder,
                                                  bool backupByPlace)
{
    ReplaceCheck check;
    auto verdict = [&](ReplaceCheck::Verdict v) {
        check.verdict = v;
        return check;
    };
    const std::string place = WithoutSlash(folder);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(place, ec);
    if (!fs::exists(status) && !fs::is_symlink(status)) {
        if (!ec || ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory)
            return verdict(ReplaceCheck::Absent);
        check.error = zem::FileErrorReason(ec.value());
        return verdict(ReplaceCheck::CannotCheck);
    }
    if (!openTaskFolder.empty() && zem::IsPathSameOrInside(openTaskFolder, place))
        return verdict(ReplaceCheck::HoldsOpenTask);
    if (fs::is_symlink(status))
        return verdict(ReplaceCheck::Replaceable);
    if (!fs::is_directory(status))
        return verdict(ReplaceCheck::NotAFolder);

    check.isBackup = backupByPlace || IsCompleteBackup(place);
    const std::string temp = std::string(kTempFolder) + "/";
    std::vector<std::string> pending{""};
    while (!pending.empty()) {
        const std::string relative = pending.back();
        pending.pop_back();
        std::vector<zem::FolderEntry> entries;
        if (!zem::ListFolder(place + "/" + relative, entries, &check.error))
            return verdict(ReplaceCheck::CannotCheck);
        bool task = false;
        for (const zem::FolderEntry& entry : entries) {
            if (++check.entries > kMaxEntriesChecked) {
                check.error = zem::Format("其中的文件和文件夹多于 %d 个", kMaxEntriesChecked);
                return verdict(ReplaceCheck::CannotCheck);
            }
            if (entry.isFolder)
                pending.push_back(relative + entry.name + "/");
            else if (entry.name == kInputFile || HasTaskFileExtension(entry.name))
                task = true;
        }
        // A backup is a copy of a task, with the task's temporary tasks in its temp folder.
        if (task && !(check.isBackup && (relative.empty() || relative.rfind(temp, 0) == 0))) {
            check.task = WithoutSlash(place + "/" + relative);
            check.isBackup = false;
            return verdict(ReplaceCheck::HoldsTask);
        }
    }
    return verdict(ReplaceCheck::Replaceable);
}

void TaskFolder::CleanStaging(const std::string& parent, const std::string& leaf)
{
    std::vector<zem::FolderEntry> entries;
    if (!zem::ListFolder(parent, entries))
        return;
    const std::string folder = WithSlash(parent);
    // First a copy that was complete but had not yet taken its place takes it; then a folder
    // moved aside for it goes back when its place is still empty. The rest goes.
    for (const bool stagingPass : {true, false}) {
        for (const zem::FolderEntry& entry : entries) {
            std::string owner;
            bool staging = false;
            int pid = 0;
            if (!entry.isFolder || entry.isLink || !ParseAsideName(entry.name, owner, staging, pid) ||
                staging != stagingPass || (!leaf.empty() && owner != leaf) ||
                !IsOwnLeftover(folder + entry.name, owner, pid))
                continue;
            if ((!staging || IsCompleteBackup(folder + entry.name)) &&
                RenameNoReplace(folder + entry.name, folder + owner) == 0) {
                DropOwnerMarker(folder + owner);
                CLog::inst()->Log("backup", "put %s%s in its place", folder.c_str(), entry.name.c_str());
                continue;
            }
            std::string error;
            if (zem::RemoveFolder(folder + entry.name, &error))
                CLog::inst()->Log("backup", "removed %s%s", folder.c_str(), entry.name.c_str());
            else
                CLog::inst()->Log("backup", "%s", error.c_str());
        }
    }
}

bool TaskFolder::MakeStagingFolder(const std::string& target, std::string& path, std::string* error, int* code)
{
    const fs::path place(WithoutSlash(target));
    const std::string parent = place.has_parent_path() ? place.parent_path().string() : std::string(".");
    const std::string leaf = place.filename().string();
    const std::string staging = NewAsideName(parent, leaf, kStagingTag);
    if (!zem::MakeRealFolder(staging, error, code))
        return false;
    if (!WriteOwnerMarker(staging, leaf, error, code)) {
        zem::RemoveFolder(staging);
        return false;
    }
    path = staging;
    return true;
}

void TaskFolder::DropOwnerMarker(const std::string& folder)
{
    if (!zem::IsLink(folder))
        zem::RemoveFile(WithSlash(folder) + kOwnerMarker);
}

bool TaskFolder::HasEntry(const std::string& path)
{
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(WithoutSlash(path), ec);
    return fs::exists(status) || fs::is_symlink(status);
}

TaskFolder::Busy::Busy(const std::string& folder) : m_key(BusyKey(folder))
{
    std::lock_guard lock(::Busy().mutex);
    ::Busy().folders.insert(m_key);
}

TaskFolder::Busy::~Busy()
{
    std::lock_guard lock(::Busy().mutex);
    ::Busy().folders.erase(::Busy().folders.find(m_key));
}

bool TaskFolder::IsBusy(const std::string& folder)
{
    const std::string key = BusyKey(folder);
    std::lock_guard lock(::Busy().mutex);
    return ::Busy().folders.count(key) != 0;
}

TaskFolder::KillHook TaskFolder::SetKillHookForTesting(KillHook hook)
{
    std::lock_guard lock(TheKillHook().mutex);
    return std::exchange(TheKillHook().hook, std::move(hook));
}

bool TaskFolder::IsKilledAt(const std::string& step)
{
    TaskFolder::KillHook hook;
    {
        std::lock_guard lock(TheKillHook().mutex);
        hook = TheKillHook().hook;
    }
    return hook && hook(step);
}
