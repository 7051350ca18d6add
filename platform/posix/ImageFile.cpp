#include "platform/ImageFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallowmark::platform {

ImageFile::~ImageFile() {
    if (m_handle >= 0) ::close(static_cast<int>(m_handle));
}

FileError ImageFile::Open(const std::string& path) {
    // O_NONBLOCK keeps a FIFO from stalling the open; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        switch (errno) {
            case ENOENT:
            case ENOTDIR: return FileError::NotFound;
            case EACCES:
            case EPERM: return FileError::AccessDenied;
            default: return FileError::ReadFailed;
        }
    }
    m_handle = fd;
    struct stat status {};
    if (::fstat(fd, &status) != 0) return FileError::ReadFailed;
    if (S_ISREG(status.st_mode)) {
        m_qwLength = static_cast<std::uint64_t>(status.st_size);
    } else if (S_ISBLK(status.st_mode)) {
        const off_t end = ::lseek(fd, 0, SEEK_END);
        if (end < 0) return FileError::ReadFailed;
        m_qwLength = static_cast<std::uint64_t>(end);
    } else {
        return FileError::NotARegularFile;
    }
    // The image is read front to back, a piece per thread.
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return FileError::None;
}

FileError ImageFile::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) const {
    got = 0;
    while (got < count) {
        const ssize_t read = ::pread(static_cast<int>(m_handle), into + got, count - got,
                                     static_cast<off_t>(offset + got));
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) return FileError::ReadFailed;
        if (read == 0) break;
        got += static_cast<std::size_t>(read);
    }
    return FileError::None;
}

}  // namespace tallowmark::platform
