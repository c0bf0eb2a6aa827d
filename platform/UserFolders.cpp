#include "platform/UserFolders.h"

#include "platform/Files.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <vector>

namespace zem {

namespace {

std::mutex& HookMutex()
{
    static std::mutex mutex;
    return mutex;
}

UserFolderHook& TheHook()
{
    static UserFolderHook hook;
    return hook;
}

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

const passwd* OwnEntry(passwd& entry, std::vector<char>& buffer)
{
    buffer.resize(16384);
    passwd* result = nullptr;
    if (getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) != 0)
        return nullptr;
    return result;
}

std::string HomeFolder()
{
    std::string home = Env("HOME");
    if (home.empty()) {
        passwd entry{};
        std::vector<char> buffer;
        if (const passwd* own = OwnEntry(entry, buffer); own && own->pw_dir)
            home = own->pw_dir;
    }
    return WithSlash(home.empty() ? "/" : home);
}

// The value of XDG_<NAME>_DIR as user-dirs.dirs writes it: "$HOME/Documents" or an absolute path.
std::string ExpandHome(std::string value, const std::string& home)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0)
        value = home.substr(0, home.size() - 1) + value.substr(5);
    return value;
}

std::string XdgUserDir(const std::string& name, const std::string& home)
{
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty())
        config = home + ".config";
    const std::string key = "XDG_" + name + "_DIR=";
    std::string value;
    std::ifstream in(WithSlash(config) + "user-dirs.dirs");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) == 0)
            value = line.substr(key.size());
    }
    if (value.empty())
        value = Env(("XDG_" + name + "_DIR").c_str());
    value = ExpandHome(value, home);
    // A folder set to the home folder itself, a relative one or a missing one means "not set".
    if (value.empty() || value.front() != '/' || WithSlash(value) == home || !FolderExists(value))
        return home;
    return WithSlash(value);
}

std::string RealUserFolder(UserFolderKind kind)
{
    const std::string home = HomeFolder();
    switch (kind) {
    case UserFolderKind::Home:
        return home;
    case UserFolderKind::Documents:
        return XdgUserDir("DOCUMENTS", home);
    case UserFolderKind::Desktop:
        return XdgUserDir("DESKTOP", home);
    case UserFolderKind::Temp: {
        const std::string tmp = Env("TMPDIR");
        return WithSlash(tmp.empty() ? "/tmp" : tmp);
    }
    case UserFolderKind::Config: {
        const std::string config = Env("XDG_CONFIG_HOME");
        return !config.empty() && config.front() == '/' ? WithSlash(config) : home + ".config/";
    }
    }
    return home;
}

}  // namespace

std::string UserFolder(UserFolderKind kind)
{
    UserFolderHook hook;
    {
        std::lock_guard lock(HookMutex());
        hook = TheHook();
    }
    return hook ? WithSlash(hook(kind)) : RealUserFolder(kind);
}

UserFolderHook SetUserFolderHook(UserFolderHook hook)
{
    std::lock_guard lock(HookMutex());
    std::swap(TheHook(), hook);
    return hook;
}

std::string LoginName()
{
    passwd entry{};
    std::vector<char> buffer;
    if (const passwd* own = OwnEntry(entry, buffer); own && own->pw_name)
        return own->pw_name;
    return Env("USER");
}

}  // namespace zem
