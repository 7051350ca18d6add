#include "platform/BootDeletion.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <unistd.h>

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
