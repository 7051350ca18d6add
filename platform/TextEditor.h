#pragma once
// Opening a file in the plain-text editor: Notepad on Windows; elsewhere the desktop's
// default application for plain text, else (or when that cannot start) a common editor
// found on the search path.

#include <string>

#include "platform/DesktopLaunch.h"

namespace tallowmark::platform {

// Starts the editor on `path` without waiting for it and without a shell; `path` is one
// argument whatever it holds. NoApplication when there is no editor to start.
LaunchResult OpenInTextEditor(const std::string& path);

}  // namespace tallowmark::platform
