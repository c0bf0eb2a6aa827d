#pragma once
// The user's own folders and login name, as the desktop names them. Tests replace the folders
// through a hook, so that nothing is written into the real home folder.
#include <functional>
#include <string>

namespace zem {

enum class UserFolderKind { Home, Documents, Desktop, Temp, Config };

// The folder, ending with '/'. Documents and Desktop come from the XDG user folders
// ($XDG_CONFIG_HOME/user-dirs.dirs, else the XDG_*_DIR variables), else the home folder; Temp is
// $TMPDIR, else /tmp.
std::string UserFolder(UserFolderKind kind);

using UserFolderHook = std::function<std::string(UserFolderKind kind)>;
// Returns the previous hook; an empty function restores the real folders.
UserFolderHook SetUserFolderHook(UserFolderHook hook);

// The login name of the user running the program; empty text when it cannot be found.
std::string LoginName();

}  // namespace zem
