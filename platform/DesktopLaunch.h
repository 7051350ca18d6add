#pragma once
// Handing a file or an address to the application the desktop chose for it: on Windows
// the shell's association; on freedesktop systems the default application for the
// file's type (shared-mime-info) or the address's scheme, as mimeapps.list sets it.
// Nothing goes through a shell, and no call waits for the application.

#include <string>

namespace tallowmark::platform {

enum class LaunchResult {
    Started,        // an application was started with it
    Failed,         // an application was chosen, but it could not be started
    NoApplication,  // nothing on this system opens it
    Unavailable,    // this build has no way to ask the desktop; the caller may use another
};

// `target` is the absolute path of a local file, or an absolute address such as an
// "https:" or "mailto:" URL.
LaunchResult OpenWithDefaultApplication(const std::string& target);

}  // namespace tallowmark::platform
