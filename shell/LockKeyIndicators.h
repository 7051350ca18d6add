#pragma once
// The CAP/NUM/SCRL states for the status bar, from wherever this session offers them.

#include <optional>

#include "platform/SystemInfo.h"

namespace tallowmark {

// On X11 the keyboard's named XKB indicators; elsewhere what the platform layer can
// read (Windows); nullopt where no source exists (Wayland, offscreen).
std::optional<platform::LockKeys> ReadLockKeyIndicators();

}  // namespace tallowmark
