#include "platform/DirectoryReader.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tallowmark::platform {

struct DirectoryReader::Handle {
    DIR* dir;
};

namespace {
// Entries whose type the directory does not record, and links, need a look at the inode.
EntryKind KindOf(int dirFd, const dirent& entry) {
    struct stat status {};
    switch (entry.d_type) {
        case DT_DIR: return EntryKind::Directory;
        case DT_LNK:
            return fstatat(dirFd, entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode) ? EntryKind::DirectoryLink
                                                                                            : EntryKind::File;
        case DT_UNKNOWN:
            if (fstatat(dirFd, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::File;
            if (S_ISDIR(status.st_mode)) return EntryKind::Directory;
            if (!S_ISLNK(status.st_mode)) return EntryKind::File;
            return fstatat(dirFd, entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode) ? EntryKind::DirectoryLink
                                                                                            : EntryKind::File;
        default: return EntryKind::File;
    }
}

bool IsDotOrDotDot(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }
}  // namespace

DirectoryReader::DirectoryReader(const std::string& path) {
    // Without its trailing separator, so that O_NOFOLLOW applies to a link at the end.
    std::string target = path;
    while (target.size() > 1 && target.back() == kPathSeparator) target.pop_back();
    const int fd = ::open(target.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        m_failure = std::generic_category().message(errno);
        if (fd >= 0) ::close(fd);
        return;
    }
    m_handle = std::make_unique<Handle>(dir);
}

DirectoryReader::~DirectoryReader() {
    if (m_handle) ::closedir(m_handle->dir);
}

bool DirectoryReader::IsOpen() const { return m_handle != nullptr; }

bool DirectoryReader::Next(DirectoryEntry& entry) {
    if (!m_handle) return false;
    while (const dirent* found = ::readdir(m_handle->dir)) {
        if (IsDotOrDotDot(found->d_name)) continue;
        entry.name = found->d_name;
        entry.kind = KindOf(::dirfd(m_handle->dir), *found);
        return true;
    }
    return false;
}

}  // namespace tallowmark::platform
