#include "platform/BootDeletion.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/ReadOnlyFile.h"
#include "platform/posix/ReplaceFile.h"
#include "platform/posix/TmpfilesEntries.h"

namespace tallowmark::platform {

namespace {
constexpr const char* kEntriesFile = "/etc/tmpfiles.d/tallowmark-delete.conf";
constexpr const char* kHeader =
    "# Files Tallowmark was asked to delete when the system restarts.\n"
    "# The first entry removes this file too, so each request is carried out once.\n";

std::string WithoutTrailingSlashes(std::string_view path) {
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    return std::string(path);
}

std::string EntriesFile(const std::string& root) { return WithoutTrailingSlashes(root) + kEntriesFile; }

struct Entries {
    bool readable = true;
    bool deniedAccess = false;
    std::string text;
};

Entries ReadEntries(const std::string& root) {
    const FileContents contents = ReadWholeFile(EntriesFile(root));
    if (contents.error == FileError::NotFound) return {};
    if (contents.error != FileError::None) return {false, contents.error == FileError::AccessDenied, {}};
    return {true, false, std::string(reinterpret_cast<const char*>(contents.bytes.get()), contents.size)};
}

bool Lists(std::string_view text, const std::string& path) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        if (tmpfiles::RemovedPath(text.substr(0, end)) == path) return true;
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return false;
}

BootDeletionError ErrorOf(int error) {
    return error == EACCES || error == EPERM || error == EROFS ? BootDeletionError::NeedsRights
                                                               : BootDeletionError::Failed;
}

std::string OwnerName(uid_t uid) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) return found->pw_name;
    return std::to_string(uid);
}

// Root runs the removal at boot, and whoever asks is trusted with what they could delete anyway.
bool Trusted(uid_t uid) { return uid == 0 || uid == ::geteuid(); }

// Whether someone untrusted could put something else in place of `entry` in `folder`: a
// folder they own, or one open to others for writing (unless sticky, with `entry` trusted).
bool OthersCouldReplace(const struct stat& folder, const struct stat* entry) {
    const bool openToOthers = (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    const bool guarded = (folder.st_mode & S_ISVTX) && entry && Trusted(entry->st_uid);
    return !Trusted(folder.st_uid) || (openToOthers && !guarded);
}

// The removal follows links to folders, so whoever can put a link where a folder of the
// path is could have a file of the same name deleted elsewhere. Walks from `root` down
// the folders of `path` and reports the first that someone untrusted could change: one
// they own, or one open to others for writing (unless sticky, with the next folder
// trusted). A folder that is missing ends the walk: only whoever may change the folder
// above could make it. The file's own folder is not looked at: a link put in place of
// the file is removed itself.
BootDeletionResult CheckFolders(const std::string& root, std::string_view path) {
    const std::string base = WithoutTrailingSlashes(root);
    struct stat folder {};
    if (::stat(base.empty() ? "/" : base.c_str(), &folder) != 0) return {ErrorOf(errno)};
    std::size_t folderEnd = 1;  // path.substr(0, folderEnd) names `folder`: "/" first
    for (std::size_t end = path.find('/', 1); end != std::string_view::npos; end = path.find('/', end + 1)) {
        struct stat entry {};
        const bool exists = ::lstat((base + std::string(path.substr(0, end))).c_str(), &entry) == 0;
        if (!exists && errno != ENOENT) return {ErrorOf(errno)};
        if (OthersCouldReplace(folder, exists ? &entry : nullptr))
            return {BootDeletionError::ChangeableFolder, std::string(path.substr(0, folderEnd)),
                    OwnerName(folder.st_uid)};
        if (!exists) return {};
        if (S_ISLNK(entry.st_mode)) return {BootDeletionError::LinkOnPath, std::string(path.substr(0, end))};
        if (!S_ISDIR(entry.st_mode)) return {BootDeletionError::Failed};
        folder = entry;
        folderEnd = end;
    }
    return {};
}

// The names of `path` from the last to the first, so that the next is at the back; no
// empty names and no ".".
void PushNames(std::string_view path, std::vector<std::string>& names) {
    std::vector<std::string> inOrder;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (!name.empty() && name != ".") inOrder.emplace_back(name);
        start = end + 1;
    }
    names.insert(names.end(), inOrder.rbegin(), inOrder.rend());
}

std::optional<std::string> LinkTarget(const std::string& link) {
    std::vector<char> target(PATH_MAX);
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) >= target.size()) return std::nullopt;
    return std::string(target.data(), static_cast<std::size_t>(length));
}
// Holds the folder of the entries locked, so that two requests at once do not both read
// the old entries and each write them back with only its own added.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd < 0) {
            m_error = errno;
            return;
        }
        while (::flock(m_fd, LOCK_EX) != 0)
            if (errno != EINTR) {
                m_error = errno;
                break;
            }
    }
    ~FolderLock() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    int Error() const { return m_error; }

private:
    int m_fd;
    int m_error = 0;
};
}  // namespace

std::string SystemBootDeletionRoot() { return "/"; }

// Walks the path a name at a time as the system does, so that what is checked is the very
// link the system follows, and where it leads.
OpenedFile ResolveOpenedFile(const std::string& path, const std::optional<FileIdentity>& identity) {
    constexpr int kMostLinks = 40;  // as the system allows
    if (path.empty() || path.front() != '/') return {{BootDeletionError::Failed}};
    struct Folder {
        std::string path;  // empty for "/"
        struct stat status;
        bool changeable;  // by someone untrusted, or below a folder that is
    };
    std::vector<Folder> folders(1);
    if (::stat("/", &folders.back().status) != 0) return {{ErrorOf(errno)}};
    folders.back().changeable = false;
    std::vector<std::string> names;
    PushNames(path, names);
    int links = 0;
    while (!names.empty()) {
        const std::string name = std::move(names.back());
        names.pop_back();
        if (name == "..") {
            if (folders.size() > 1) folders.pop_back();
            continue;
        }
        const Folder& folder = folders.back();
        const std::string entryPath = folder.path + "/" + name;
        struct stat entry {};
        if (::lstat(entryPath.c_str(), &entry) != 0) return {{BootDeletionError::NotTheFileOpened}};
        const bool changeable = folder.changeable || OthersCouldReplace(folder.status, &entry);
        if (S_ISLNK(entry.st_mode)) {
            if (changeable) return {{BootDeletionError::ChangeableLink, entryPath}};
            const auto target = LinkTarget(entryPath);
            if (!target || target->empty() || ++links > kMostLinks) return {{BootDeletionError::Failed}};
            if (target->front() == '/') folders.resize(1);
            PushNames(*target, names);
            continue;
        }
        if (names.empty()) {
            const FileIdentity found{static_cast<std::uint64_t>(entry.st_dev),
                                     static_cast<std::uint64_t>(entry.st_ino)};
            if (!identity || found != *identity) return {{BootDeletionError::NotTheFileOpened}};
            return {{}, entryPath};
        }
        if (!S_ISDIR(entry.st_mode)) return {{BootDeletionError::NotTheFileOpened}};
        folders.push_back({entryPath, entry, changeable});
    }
    return {{BootDeletionError::NotTheFileOpened}};  // the path named a folder
}

std::string BootEntryFor(const std::string& file, const std::string& root) {
    char* real = ::realpath(root.c_str(), nullptr);
    if (!real) return {};
    std::string base = real;
    std::free(real);
    if (base == "/") return file;
    if (file.size() <= base.size() || file.compare(0, base.size(), base) != 0 || file[base.size()] != '/') return {};
    return file.substr(base.size());
}

BootDeletionResult ScheduleDeletionAtBoot(const std::string& path, const std::string& root) {
    if (tmpfiles::HasControlCharacter(path)) return {BootDeletionError::BadName};
    const auto line = tmpfiles::RemovalLine(path);
    if (!line) return {BootDeletionError::Failed};
    if (BootDeletionResult folders = CheckFolders(root, path); !folders) return folders;

    const std::string entriesFile = EntriesFile(root);
    const FolderLock lock(entriesFile.substr(0, entriesFile.rfind('/')));
    if (lock.Error()) return {ErrorOf(lock.Error())};
    const Entries entries = ReadEntries(root);
    if (!entries.readable) return {entries.deniedAccess ? BootDeletionError::NeedsRights : BootDeletionError::Failed};
    if (Lists(entries.text, path)) return {};

    std::string text = entries.text;
    if (text.empty()) text = std::string(kHeader) + *tmpfiles::RemovalLine(kEntriesFile) + '\n';
    else if (text.back() != '\n')
        text += '\n';
    text += *line + '\n';
    if (const int error = ReplaceFile(entriesFile, text, 0644)) return {ErrorOf(error)};
    return {};
}

bool IsScheduledForDeletionAtBoot(const std::string& path, const std::string& root) {
    const Entries entries = ReadEntries(root);
    return entries.readable && Lists(entries.text, path);
}

}  // namespace tallowmark::platform
