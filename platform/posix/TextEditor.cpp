#include "platform/TextEditor.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

#ifdef TALLOWMARK_HAVE_GIO
#include <gio/gio.h>
#endif

namespace tallowmark::platform {

namespace {
// Graphical editors tried, in this order, when the desktop registers none.
constexpr const char* kCommonEditors[] = {"gnome-text-editor", "gedit",   "kwrite",  "kate", "mousepad", "pluma", "xed",
                                          "featherpad",        "leafpad", "l3afpad", "geany"};

bool IsExecutableFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The full path of `program` in a folder of the search path.
std::optional<std::string> FindOnSearchPath(const std::string& program) {
    const char* value = std::getenv("PATH");
    const std::string searchPath = value && *value ? value : "/usr/local/bin:/usr/bin:/bin";
    for (std::size_t start = 0; start <= searchPath.size();) {
        const std::size_t end = std::min(searchPath.find(':', start), searchPath.size());
        if (end > start) {
            const std::string candidate = searchPath.substr(start, end - start) + "/" + program;
            if (IsExecutableFile(candidate)) return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

// Starts `program` with `path` as its one argument, as a grandchild, so that it never
// waits for us to reap it.
bool Start(const std::string& program, const std::string& path) {
    // Everything the child needs is made before the fork: after it, in a process with
    // threads, only the plainest system calls are safe.
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(path.c_str()), nullptr};
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        ::setsid();
        if (::fork() == 0) {
            ::execv(argv[0], argv);
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

#ifdef TALLOWMARK_HAVE_GIO
// The desktop's own editor for plain text, if it registers one.
std::optional<LaunchResult> OpenInDesktopEditor(const std::string& path) {
    GAppInfo* editor = g_app_info_get_default_for_type("text/plain", FALSE);
    if (!editor) return std::nullopt;
    GFile* file = g_file_new_for_path(path.c_str());
    GList files{file, nullptr, nullptr};
    const bool started = g_app_info_launch(editor, &files, nullptr, nullptr);
    g_object_unref(file);
    g_object_unref(editor);
    return started ? LaunchResult::Started : LaunchResult::Failed;
}
#else
std::optional<LaunchResult> OpenInDesktopEditor(const std::string&) { return std::nullopt; }
#endif
}  // namespace

LaunchResult OpenInTextEditor(const std::string& path) {
    // A common editor also stands in for the desktop's when that one cannot start (one
    // that runs in a terminal, where no terminal is installed).
    const std::optional<LaunchResult> desktops = OpenInDesktopEditor(path);
    if (desktops == LaunchResult::Started) return *desktops;
    for (const char* editor : kCommonEditors)
        if (const auto program = FindOnSearchPath(editor))
            return Start(*program, path) ? LaunchResult::Started : LaunchResult::Failed;
    return desktops.value_or(LaunchResult::NoApplication);
}

}  // namespace tallowmark::platform
