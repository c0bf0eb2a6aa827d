#pragma once
// What the program asks of the desktop: the work area, the cursor, the program's folder, the move
// sound and the clock of animations. Tests replace all but the folder through hooks.
#include "platform/gui/Gdi.h"

#include <cstdint>
#include <functional>
#include <string>

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

}  // namespace zem::gui
