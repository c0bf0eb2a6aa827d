#pragma once
// What the program asks of the desktop: the work area, the cursor, the program's folder, the move
// sound, the clock of animations, the print dialog and opening files and web pages. Tests replace all
// but the folder through hooks, so that nothing modal ever blocks them and time moves as they say.
#include "platform/Gdi.h"

#include <cstdint>
#include <functional>
#include <string>

class QPrinter;

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

// Milliseconds of a monotonic clock, which animations take their time from.
std::int64_t AnimationClock();

using AnimationClockHook = std::function<std::int64_t()>;
// Returns the previous hook; an empty function restores the real clock.
AnimationClockHook SetAnimationClockHook(AnimationClockHook hook);

// Lets the user choose and set up the printer; false when the user cancels.
bool RunPrintDialog(QPrinter& printer);

// Answers in place of the dialog: sets up the printer as the user would, or returns false to cancel.
using PrintDialogHook = std::function<bool(QPrinter& printer)>;
// Returns the previous hook; an empty function restores the real dialog.
PrintDialogHook SetPrintDialogHook(PrintDialogHook hook);

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

}  // namespace zem::gui
