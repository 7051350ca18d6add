#include "platform/OutputFile.h"

#include <cerrno>

#include "platform/win32/WideText.h"

namespace tallowmark::platform {

namespace {
WriteError ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT: return WriteError::NotFound;
        case EACCES: return WriteError::AccessDenied;
        case ENOSPC: return WriteError::DiskFull;
        default: return WriteError::Other;
    }
}
}  // namespace

OpenedOutput OpenForWriting(const std::string& path) {
    OpenedOutput opened;
    opened.file.reset(_wfopen(Widen(path).c_str(), L"wb"));
    if (!opened.file) opened.error = ErrorFromErrno(errno);
    return opened;
}

WriteError CloseWritten(FileHandle file) {
    const bool failedBefore = std::ferror(file.get()) != 0;
    const bool closeFailed = std::fclose(file.release()) != 0;
    if (failedBefore || closeFailed) return errno == ENOSPC ? WriteError::DiskFull : WriteError::Other;
    return WriteError::None;
}

}  // namespace tallowmark::platform
