#include "platform/ShellRegistration.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/ReadOnlyFile.h"
#include "platform/posix/DesktopFiles.h"
#include "platform/posix/ReplaceFile.h"

namespace tallowmark::platform {

namespace {
// Writes `contents` unless the file already holds exactly that; true when it wrote.
bool WriteIfChanged(const std::string& path, const std::string& contents, bool& ok) {
    const FileContents existing = ReadWholeFile(path);
    if (existing.error == FileError::None &&
        std::string_view(reinterpret_cast<const char*>(existing.bytes.get()), existing.size) == contents)
        return false;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    const bool written = !error && ReplaceFile(path, contents, 0644) == 0;
    ok = ok && written;
    return written;
}

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!folders.empty()) {
        const std::size_t end = std::min(folders.find(':'), folders.size());
        const std::string candidate = std::string(folders.substr(0, end)) + "/" + name;
        if (end > 0 && folders.front() == '/' && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        folders.remove_prefix(std::min(end + 1, folders.size()));
    }
    return {};
}

// Starts `program` with one argument and returns at once. The intermediate child ends
// straight away, so the program is nobody's zombie; it talks to /dev/null.
void StartDetached(const std::string& program, const std::string& argument) {
    if (program.empty()) return;
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()), nullptr};
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::fork() == 0) {
            if (devNull >= 0)
                for (int fd = 0; fd <= 2; ++fd) ::dup2(devNull, fd);
            ::execv(argv[0], argv.data());
        }
        ::_exit(0);
    }
    if (child > 0)
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    if (devNull >= 0) ::close(devNull);
}

// The folder, or the nearest one above it that exists, belongs to root; a link is
// followed to what it leads to.
bool OwnedByRoot(std::string path) {
    if (path.empty() || path.front() != '/') return false;
    for (;;) {
        struct stat status {};
        if (::stat(path.c_str(), &status) == 0) return status.st_uid == 0;
        if (errno != ENOENT || path == "/") return false;
        const std::size_t slash = path.find_last_of('/');
        path = slash == 0 ? std::string("/") : path.substr(0, slash);
    }
}

std::string MimeFolder(const std::string& root) { return root + "/mime"; }
std::string ApplicationsFolder(const std::string& root) { return root + "/applications"; }

// The whole file; nothing when it is missing or unreadable.
std::optional<std::string> TextOf(const std::string& path) {
    const FileContents contents = ReadWholeFile(path);
    if (contents.error != FileError::None) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(contents.bytes.get()), contents.size);
}
}  // namespace

std::string UserRegistrationRoot() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/') return dataHome;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/share";
    return {};
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home ? std::string(home) : std::string();
}

bool MayRegisterIn(const std::string& root, const std::string& home) {
    if (root.empty() || root.front() != '/') return false;
    return ::geteuid() != 0 || (OwnedByRoot(home) && OwnedByRoot(root));
}

RegistrationResult RegisterDocumentType(const std::string& executablePath, const std::string& root,
                                        const DocumentType& type) {
    RegistrationResult result;
    const auto desktopEntry = DesktopEntry(executablePath, type);
    if (root.empty() || root.front() != '/' || !desktopEntry) return {false, false};
    const std::string package = MimePackage(type);
    result.changed |= WriteIfChanged(MimeFolder(root) + "/packages/" + MimePackageFileName(type), package, result.ok);
    result.changed |= WriteIfChanged(ApplicationsFolder(root) + "/" + type.desktopFileName, *desktopEntry, result.ok);
    if (!type.iconSvg.empty())
        WriteIfChanged(root + "/icons/hicolor/scalable/apps/" + type.iconName + ".svg", type.iconSvg, result.ok);
    // The databases may not have been built when the files were written.
    std::error_code error;
    if (!std::filesystem::exists(MimeFolder(root) + "/" + type.mimeType + ".xml", error)) result.changed = true;
    return result;
}

std::vector<std::string> SystemDataFolders() {
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string_view list = dirs && dirs[0] ? dirs : "/usr/local/share:/usr/share";
    std::vector<std::string> folders;
    while (!list.empty()) {
        const std::size_t end = std::min(list.find(':'), list.size());
        // A relative folder is no place of the system's.
        if (end > 0 && list.front() == '/') folders.emplace_back(list.substr(0, end));
        list.remove_prefix(std::min(end + 1, list.size()));
    }
    return folders;
}

bool IsRegisteredSystemWide(const std::string& executablePath, const std::vector<std::string>& dataFolders,
                            const DocumentType& type) {
    if (!DesktopEntry(executablePath, type)) return false;
    const std::string exec = "\nExec=" + ExecArgument(executablePath) + " ";
    std::optional<bool> entryRunsThis;
    bool typeDeclared = false;
    const std::string declaration = "<mime-type type=\"" + type.mimeType + "\"";
    for (const std::string& folder : dataFolders) {
        if (folder.empty() || folder.front() != '/') continue;
        if (!entryRunsThis)
            if (const auto entry = TextOf(ApplicationsFolder(folder) + "/" + type.desktopFileName))
                entryRunsThis = entry->find(exec) != std::string::npos;
        if (!typeDeclared)
            if (const auto package = TextOf(MimeFolder(folder) + "/packages/" + MimePackageFileName(type)))
                typeDeclared = package->find(declaration) != std::string::npos;
    }
    return entryRunsThis.value_or(false) && typeDeclared;
}

void RefreshDesktopDatabases(const std::string& root, const DocumentType&) {
    if (root.empty()) return;
    StartDetached(FindProgram("update-mime-database"), MimeFolder(root));
    StartDetached(FindProgram("update-desktop-database"), ApplicationsFolder(root));
}

}  // namespace tallowmark::platform
