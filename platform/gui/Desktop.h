#pragma once
// What the program asks of the desktop: the work area, the cursor, the program's folder, the move
// sound, opening files and web pages, and choosing a folder. Tests replace each through a hook.
#include "platform/gui/Gdi.h"

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace zem::gui {

// The primary screen less its panels, in screen pixels.
Rect WorkArea();
// The mouse position in screen pixels.
Point CursorPos();

using WorkAreaHook = std::function<Rect()>;
using CursorPosHook = std::function<Point()>;
// Each returns the previous hook; an empty function restores the real desktop.
WorkAreaHook SetWorkAreaHook(WorkAreaHook hook);
CursorPosHook SetCursorPosHook(CursorPosHook hook);

// The folder of the running program, ending with "/".
std::string ProgramFolder();

// Starts playing a sound file and returns at once. A missing or unplayable file plays nothing.
void PlaySoundAsync(const std::string& path);

using SoundHook = std::function<void(const std::string& path)>;
// Returns the previous hook; an empty function restores the real player.
SoundHook SetSoundHook(SoundHook hook);

// Results of OpenWithDesktop, numbered as the program's callers expect: above 32 means opened.
constexpr int kOpenDone = 42;
constexpr int kOpenFileNotFound = 2;
constexpr int kOpenNoAssociation = 31;

// Opens a web address or a file in the program the desktop associates with it (xdg-open, given the
// target as one argument, never through a shell). Without a display (the offscreen platform, or no
// application) nothing is started: the request is written to standard error and kOpenNoAssociation
// comes back.
int OpenWithDesktop(const std::string& target);

using OpenHook = std::function<int(const std::string& target)>;
// Returns the previous hook; an empty function restores the real opener.
OpenHook SetOpenHook(OpenHook hook);

// Lets the user choose a folder, starting at `startFolder`. The chosen folder ends with '/';
// nothing when the user cancels.
std::optional<std::string> ChooseFolder(QWidget* owner, const std::string& title, const std::string& startFolder);

using ChooseFolderHook =
    std::function<std::optional<std::string>(const std::string& title, const std::string& startFolder)>;
// Returns the previous hook; an empty function restores the real folder dialog.
ChooseFolderHook SetChooseFolderHook(ChooseFolderHook hook);

}  // namespace zem::gui
