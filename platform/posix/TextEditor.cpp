#include "platform/TextEditor.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>

namespace tallowmark::platform {

namespace {
constexpr const char* kTextMimeType = "text/plain";
// Graphical editors tried, in this order, when the desktop registers none.
constexpr const char* kCommonEditors[] = {"gnome-text-editor", "gedit",   "kwrite",  "kate", "mousepad", "pluma", "xed",
                                          "featherpad",        "leafpad", "l3afpad", "geany"};

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        if (end > start) parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::vector<std::string> FoldersFrom(const char* variable, const std::string& fallback) {
    const char* value = std::getenv(variable);
    return Split(value && *value ? value : fallback, ':');
}

// The value of `key` in group `group` of a desktop-entry style file, if it is there.
std::optional<std::string> ValueIn(const std::string& file, const std::string& group, const std::string& key) {
    std::ifstream in(file);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        line = Trimmed(line);
        if (!line.empty() && line.front() == '[') {
            inGroup = line == "[" + group + "]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inGroup && equals != std::string::npos && Trimmed(line.substr(0, equals)) == key)
            return Trimmed(line.substr(equals + 1));
    }
    return std::nullopt;
}

bool IsExecutableFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The full path of `program`, looked up on the search path unless it names a folder.
std::optional<std::string> ResolveProgram(const std::string& program, const DesktopPlaces& places) {
    if (program.find('/') != std::string::npos) {
        if (IsExecutableFile(program)) return program;
        return std::nullopt;
    }
    for (const std::string& folder : places.searchPath) {
        const std::string candidate = folder + "/" + program;
        if (IsExecutableFile(candidate)) return candidate;
    }
    return std::nullopt;
}

// The desktop ids that the desktop's association lists give for text/plain, most
// preferred first, in the order in which desktops read those lists.
std::vector<std::string> RegisteredEditors(const DesktopPlaces& places) {
    std::vector<std::string> lists;
    auto addLists = [&](const std::string& folder, bool legacy) {
        for (const std::string& desktop : places.desktopNames)
            lists.push_back(folder + "/" + desktop + "-mimeapps.list");
        lists.push_back(folder + "/mimeapps.list");
        if (legacy) lists.push_back(folder + "/defaults.list");
    };
    for (const std::string& folder : places.configFolders) addLists(folder, false);
    for (const std::string& folder : places.dataFolders) addLists(folder + "/applications", true);
    std::vector<std::string> ids;
    for (const std::string& list : lists)
        if (const auto value = ValueIn(list, "Default Applications", kTextMimeType))
            for (const std::string& id : Split(*value, ';')) ids.push_back(Trimmed(id));
    return ids;
}

// An Exec value split into arguments: the string escapes first, then the quoting.
std::vector<std::string> SplitExec(const std::string& exec) {
    std::string unescaped;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char next = i + 1 < exec.size() ? exec[i + 1] : '\0';
        if (exec[i] != '\\' || !next) {
            unescaped += exec[i];
            continue;
        }
        const std::string from = "sntr\\", to = " \n\t\r\\";
        const std::size_t known = from.find(next);
        unescaped += known == std::string::npos ? std::string{'\\', next} : std::string{to[known]};
        ++i;
    }
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false, started = false;
    for (std::size_t i = 0; i < unescaped.size(); ++i) {
        const char c = unescaped[i];
        if (quoted) {
            const char next = i + 1 < unescaped.size() ? unescaped[i + 1] : '\0';
            if (c == '\\' && next && std::string("\"`$\\").find(next) != std::string::npos) current += unescaped[++i];
            else if (c == '"')
                quoted = false;
            else
                current += c;
        } else if (c == '"') {
            quoted = started = true;
        } else if (c == ' ' || c == '\t') {
            if (started) arguments.push_back(current);
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started) arguments.push_back(current);
    return arguments;
}

// The arguments of an Exec value with `path` put where the value asks for a file or URL
// (the path itself, as one argument) and the other field codes left out.
std::vector<std::string> FillExec(const std::string& exec, const std::string& path) {
    std::vector<std::string> command;
    bool placed = false;
    for (const std::string& argument : SplitExec(exec)) {
        std::string filled;
        bool onlyCodes = !argument.empty();
        for (std::size_t i = 0; i < argument.size(); ++i) {
            if (argument[i] != '%' || i + 1 == argument.size()) {
                filled += argument[i];
                onlyCodes = false;
                continue;
            }
            const char code = argument[++i];
            if (code == '%') {
                filled += '%';
                onlyCodes = false;
            } else if (std::string("fFuU").find(code) != std::string::npos && !placed) {
                filled += path;
                placed = true;
                onlyCodes = false;
            }
        }
        if (!onlyCodes) command.push_back(filled);
    }
    if (!placed) command.push_back(path);
    return command;
}

// The command of desktop entry `id`, when it is there, runs without a terminal and its
// program is installed.
std::vector<std::string> DesktopEntryCommand(const std::string& id, const std::string& path,
                                             const DesktopPlaces& places) {
    for (const std::string& folder : places.dataFolders) {
        const std::string file = folder + "/applications/" + id;
        const auto exec = ValueIn(file, "Desktop Entry", "Exec");
        if (!exec) continue;
        if (ValueIn(file, "Desktop Entry", "Terminal") == "true" || ValueIn(file, "Desktop Entry", "Hidden") == "true")
            return {};
        std::vector<std::string> command = FillExec(*exec, path);
        const auto program = ResolveProgram(command.front(), places);
        if (!program) return {};
        command.front() = *program;
        return command;
    }
    return {};
}

std::string HomeFolder(const char* below) {
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + below;
}
}  // namespace

DesktopPlaces CurrentDesktopPlaces() {
    DesktopPlaces places;
    places.configFolders = FoldersFrom("XDG_CONFIG_HOME", HomeFolder("/.config"));
    for (const std::string& folder : FoldersFrom("XDG_CONFIG_DIRS", "/etc/xdg")) places.configFolders.push_back(folder);
    places.dataFolders = FoldersFrom("XDG_DATA_HOME", HomeFolder("/.local/share"));
    for (const std::string& folder : FoldersFrom("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        places.dataFolders.push_back(folder);
    for (const std::string& name : FoldersFrom("XDG_CURRENT_DESKTOP", "")) places.desktopNames.push_back(Lower(name));
    places.searchPath = FoldersFrom("PATH", "/usr/local/bin:/usr/bin:/bin");
    return places;
}

std::vector<std::string> TextEditorCommand(const std::string& path, const DesktopPlaces& places) {
    for (const std::string& id : RegisteredEditors(places)) {
        std::vector<std::string> command = DesktopEntryCommand(id, path, places);
        if (!command.empty()) return command;
    }
    for (const char* editor : kCommonEditors)
        if (const auto program = ResolveProgram(editor, places)) return {*program, path};
    return {};
}

bool OpenInTextEditor(const std::string& path) {
    const std::vector<std::string> command = TextEditorCommand(path, CurrentDesktopPlaces());
    if (command.empty()) return false;
    // Everything the child needs is made before the fork: after it, in a process with
    // threads, only the plainest system calls are safe.
    std::vector<char*> argv;
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    // The editor runs as a grandchild, so it never waits for us to reap it.
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        ::setsid();
        if (::fork() == 0) {
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tallowmark::platform
