#include "platform/ReadOnlyFile.h"
#include "platform/ImageFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallowmark::platform {

namespace {
FileError ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return FileError::NotFound;
        case EACCES:
        case EPERM: return FileError::AccessDenied;
        case ETXTBSY: return FileError::SharingViolation;
        default: return FileError::ReadFailed;
    }
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads until `count` bytes are there, the file ends or the system fails; from `*at`
// without moving the file's position when `at` is given.
FileError ReadAll(int fd, std::uint8_t* into, std::size_t count, std::size_t& got, const std::uint64_t* at) {
    got = 0;
    while (got < count) {
        const ssize_t read = at ? ::pread(fd, into + got, count - got, static_cast<off_t>(*at + got))
                                : ::read(fd, into + got, count - got);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) return FileError::ReadFailed;
        if (read == 0) break;
        got += static_cast<std::size_t>(read);
    }
    return FileError::None;
}
}  // namespace

FileContents ReadWholeFile(const std::string& path, std::uint64_t mostBytes, const ReadProgress& reached) {
    FileContents contents;
    // O_NONBLOCK keeps a FIFO from stalling the open; it is refused below.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) {
        contents.error = ErrorFromErrno(errno);
        return contents;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        contents.error = ErrorFromErrno(errno);
        return contents;
    }
    if (!S_ISREG(status.st_mode)) {
        contents.error = FileError::NotARegularFile;
        return contents;
    }
    contents.identity = IdentityOfOpenFile(file.get());
    // Refused before anything is allocated or read: more than the caller can hold.
    if (static_cast<std::uint64_t>(status.st_size) > std::min<std::uint64_t>(mostBytes, SIZE_MAX)) {
        contents.error = FileError::TooLarge;
        return contents;
    }
    const auto length = static_cast<std::size_t>(status.st_size);
    contents.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(length ? length : 1);
    std::size_t done = 0;
    while (done < length) {
        const std::size_t want = reached ? std::min(length - done, kReadPiece) : length - done;
        const ssize_t got = ::read(file.get(), contents.bytes.get() + done, want);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            contents.error = FileError::ReadFailed;
            contents.bytes.reset();
            return contents;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
        if (reached) reached(done, length);
    }
    contents.size = done;
    return contents;
}

SequentialFile::~SequentialFile() {
    if (m_handle >= 0) ::close(static_cast<int>(m_handle));
}

FileError SequentialFile::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return ErrorFromErrno(errno);
    m_handle = fd;
    struct stat status {};
    if (::fstat(fd, &status) != 0) return ErrorFromErrno(errno);
    if (!S_ISREG(status.st_mode)) return FileError::NotARegularFile;
    m_qwLength = static_cast<std::uint64_t>(status.st_size);
    return FileError::None;
}

FileError SequentialFile::Read(std::uint8_t* into, std::size_t count, std::size_t& got) {
    return ReadAll(static_cast<int>(m_handle), into, count, got, nullptr);
}

FileError SequentialFile::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) {
    return ReadAll(static_cast<int>(m_handle), into, count, got, &offset);
}

ImageFile::~ImageFile() {
    if (m_handle >= 0) ::close(static_cast<int>(m_handle));
}

FileError ImageFile::Open(const std::string& path) {
    // O_NONBLOCK keeps a FIFO from stalling the open; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return ErrorFromErrno(errno);
    m_handle = fd;
    struct stat status {};
    if (::fstat(fd, &status) != 0) return ErrorFromErrno(errno);
    if (S_ISREG(status.st_mode)) {
        m_qwLength = static_cast<std::uint64_t>(status.st_size);
    } else if (S_ISBLK(status.st_mode)) {
        const off_t end = ::lseek(fd, 0, SEEK_END);
        if (end < 0) return ErrorFromErrno(errno);
        m_qwLength = static_cast<std::uint64_t>(end);
    } else {
        return FileError::NotARegularFile;
    }
    return FileError::None;
}

FileError ImageFile::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) const {
    return ReadAll(static_cast<int>(m_handle), into, count, got, &offset);
}

}  // namespace tallowmark::platform
