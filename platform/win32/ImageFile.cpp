#include "platform/ImageFile.h"

#include <algorithm>

#include "platform/win32/WideText.h"

namespace tallowmark::platform {

ImageFile::~ImageFile() {
    if (m_handle != -1) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

FileError ImageFile::Open(const std::string& path) {
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND: return FileError::NotFound;
            case ERROR_ACCESS_DENIED: return FileError::AccessDenied;
            case ERROR_SHARING_VIOLATION: return FileError::SharingViolation;
            default: return FileError::ReadFailed;
        }
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
    LARGE_INTEGER length{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &length)) return FileError::NotARegularFile;
    m_qwLength = static_cast<std::uint64_t>(length.QuadPart);
    return FileError::None;
}

FileError ImageFile::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) const {
    got = 0;
    while (got < count) {
        // The offset travels with each read, so that threads never share a file position.
        OVERLAPPED at{};
        const std::uint64_t position = offset + got;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - got, 1u << 30));
        if (!ReadFile(reinterpret_cast<HANDLE>(m_handle), into + got, want, &read, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return FileError::ReadFailed;
        }
        if (read == 0) break;
        got += read;
    }
    return FileError::None;
}

}  // namespace tallowmark::platform
