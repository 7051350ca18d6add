#pragma once
// The CAP/NUM/SCRL states for the status bar, from wherever this session offers them.

#include <optional>

class QStatusBar;

#include "platform/SystemInfo.h"

namespace tallowmark {

// On X11 the keyboard's named XKB indicators; elsewhere what the platform layer can
// read (Windows); nullopt where no source exists (Wayland, offscreen).
std::optional<platform::LockKeys> ReadLockKeyIndicators();

// The CAP, NUM and SCRL panes at the end of `bar`, enabled while their key is on.
void AddLockKeyPanes(QStatusBar& bar);

}  // namespace tallowmark
