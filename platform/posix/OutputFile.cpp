#include "platform/OutputFile.h"

#include <cerrno>

namespace tallowmark::platform {

namespace {
WriteError ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return WriteError::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR: return WriteError::AccessDenied;
        case ENOSPC:
        case EDQUOT: return WriteError::DiskFull;
        default: return WriteError::Other;
    }
}
}  // namespace

OpenedOutput OpenForWriting(const std::string& path) {
    OpenedOutput opened;
    errno = 0;
    opened.file.reset(std::fopen(path.c_str(), "wbe"));
    if (!opened.file) opened.error = ErrorFromErrno(errno);
    return opened;
}

WriteError CloseWritten(FileHandle file) {
    errno = 0;
    const bool failedBefore = std::ferror(file.get()) != 0;
    const int savedErrno = errno;
    errno = 0;
    const bool closeFailed = std::fclose(file.release()) != 0;
    if (failedBefore || closeFailed) {
        const WriteError error = ErrorFromErrno(errno ? errno : savedErrno);
        return error == WriteError::None ? WriteError::Other : error;
    }
    return WriteError::None;
}

}  // namespace tallowmark::platform
