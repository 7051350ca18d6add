#include "platform/OutputFile.h"

#include <cerrno>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace tallowmark::platform {

namespace {
std::wstring Widen(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
    return wide;
}

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
