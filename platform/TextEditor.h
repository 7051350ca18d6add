#pragma once
// Opening a file in the plain-text editor: Notepad on Windows, the desktop's registered
// editor elsewhere.

#include <string>
#include <vector>

namespace tallowmark::platform {

// Where a desktop keeps its settings and programs.
struct DesktopPlaces {
    std::vector<std::string> configFolders;  // user's first
    std::vector<std::string> dataFolders;    // user's first
    std::vector<std::string> desktopNames;   // the running desktop's names, lower case
    std::vector<std::string> searchPath;     // folders searched for programs
};

// The places of the user's session (empty on Windows, where nothing needs them).
DesktopPlaces CurrentDesktopPlaces();

// The program, with its full path, and the arguments that open `path` in the plain-text
// editor: on Windows Notepad; elsewhere the application the desktop registers as the
// default for text/plain, else a common editor found on the search path. `path` is one
// argument whatever it holds. Empty when there is no editor.
std::vector<std::string> TextEditorCommand(const std::string& path, const DesktopPlaces& places);

// Starts the editor on `path` without waiting for it and without a shell. False when
// no editor could be started.
bool OpenInTextEditor(const std::string& path);

}  // namespace tallowmark::platform
