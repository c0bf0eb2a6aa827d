#include "app/shared/Paths.h"

#include "app/shared/AppServices.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/UserFolders.h"

#include <sys/stat.h>

#include <fstream>

std::string WithTrailingSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

namespace {

std::string WithSlash(std::string folder)
{
    return WithTrailingSlash(std::move(folder));
}

bool HasParentPart(const std::string& path)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find('/', start);
        if (path.compare(start, end == std::string::npos ? std::string::npos : end - start, "..") == 0)
            return true;
        if (end == std::string::npos)
            return false;
        start = end + 1;
    }
}

// Thousands separators in the integer part of a number written with "%.2f".
std::string GroupThousands(const std::string& number)
{
    const std::size_t point = number.find('.');
    std::string integer = number.substr(0, point);
    const std::string rest = point == std::string::npos ? std::string() : number.substr(point);
    const std::size_t digitsStart = (!integer.empty() && integer[0] == '-') ? 1 : 0;
    for (int at = static_cast<int>(integer.size()) - 3; at > static_cast<int>(digitsStart); at -= 3)
        integer.insert(static_cast<std::size_t>(at), ",");
    return integer + rest;
}

}  // namespace

std::string GetAppDirectory()
{
    return zem::ProgramFolder();
}

std::string GetFolderOfPath(const std::string& path)
{
    // A path at the root keeps its "/": every absolute path here starts with one.
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string GetMyDocumentsFolder()
{
    return zem::UserFolder(zem::UserFolderKind::Documents);
}

std::string GetDesktopFolder()
{
    return zem::UserFolder(zem::UserFolderKind::Desktop);
}

std::string GetTempFolder()
{
    return zem::UserFolder(zem::UserFolderKind::Temp);
}

std::string GetDefaultTaskFolder()
{
    const std::string last = AppServices().GetLastTaskFolder();
    if (!last.empty() && PathIsKind(last, true))
        return WithSlash(last);
    const std::string folder = GetMyDocumentsFolder() + "我的排课任务/";
    zem::MakeFolder(folder);
    return folder;
}

std::string MakeDisplayPath(const std::string& path)
{
    const std::string desktop = GetDesktopFolder();
    // Without a desktop folder of its own the desktop is the home folder, which is not shown as 桌面.
    if (desktop.empty() || desktop == zem::UserFolder(zem::UserFolderKind::Home))
        return path;
    // Only the folder itself or a path inside it: "Desktop2/..." is not on the desktop.
    const std::string prefix = desktop.substr(0, desktop.size() - 1);
    if (path.compare(0, prefix.size(), prefix) != 0 || (path.size() > prefix.size() && path[prefix.size()] != '/'))
        return path;
    return "桌面" + path.substr(prefix.size());
}

int PathIsKind(const std::string& path, bool wantFolder)
{
    if (path.empty() || zem::IsWindowsPath(path))
        return 0;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return 0;
    const bool isFolder = S_ISDIR(info.st_mode);
    return (isFolder ? wantFolder : !wantFolder) ? 1 : 0;
}

std::string FormatFileSizeKB(const std::string& path)
{
    if (!PathIsKind(path, false))
        return "0";
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return "0";
    const auto bytes = static_cast<double>(file.tellg());
    if (bytes < 0)
        return "0";
    return GroupThousands(zem::Format("%.2f", bytes / 1024.0));
}

bool SanitizeFileName(std::string& name)
{
    std::u16string wide = zem::Utf8ToUtf16(name);
    for (char16_t& c : wide) {
        switch (c) {
        case u'\\': case u'/': case u'*': case u'?': case u':':
        // No file name may hold these either.
        case u'"': case u'|':
            c = u'-';
            break;
        case u'<': case u'[': case u'（':
            c = u'(';
            break;
        case u'>': case u']': case u'）':
            c = u')';
            break;
        default:
            if (c < 0x20 || c == 0x7F)
                c = u'-';
        }
    }
    if (wide.size() >= 32) {
        std::size_t keep = 30;
        if (wide[keep - 1] >= 0xD800 && wide[keep - 1] <= 0xDBFF)
            --keep;  // never cut a character in half
        wide.resize(keep);
    }
    // A folder made from the name must stay where it is put and open on Windows: no "..", no
    // trailing dot or space, no device name.
    std::u16string cleaned;
    for (const char16_t c : wide) {
        if (c == u'.' && !cleaned.empty() && cleaned.back() == u'.')
            continue;
        cleaned += c;
    }
    while (!cleaned.empty() && (cleaned.back() == u'.' || cleaned.back() == u' '))
        cleaned.pop_back();
    name = zem::Utf16ToUtf8(cleaned);
    if (name.empty())
        name = "未命名";
    if (!zem::CheckFileName(name))
        name += "_";
    return true;
}

void DeleteFolderTree(const std::string& folder)
{
    if (folder.empty() || zem::IsWindowsPath(folder) || HasParentPart(folder))
        return;
    const std::string target = WithSlash(folder);
    if (target == "/" || target == zem::UserFolder(zem::UserFolderKind::Home) || !PathIsKind(target, true))
        return;
    zem::RemoveFolder(target);
}

int CopyFolder(const std::string& source, const std::string& target)
{
    if (zem::IsWindowsPath(source) || zem::IsWindowsPath(target))
        return 2;
    return zem::CopyFolder(source, target);
}
