#include "platform/BootDeletion.h"

#include <cerrno>
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
        const bool openToOthers = (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
        const bool guarded = (folder.st_mode & S_ISVTX) && exists && Trusted(entry.st_uid);
        if (!Trusted(folder.st_uid) || (openToOthers && !guarded))
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
