#include "platform/ReadOnlyFile.h"
#include "platform/ImageFile.h"

#include <algorithm>

#include "platform/win32/WideText.h"

namespace tallowmark::platform {

namespace {
FileError ErrorFromLastError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH: return FileError::NotFound;
        case ERROR_ACCESS_DENIED: return FileError::AccessDenied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return FileError::SharingViolation;
        default: return FileError::ReadFailed;
    }
}

// Opens a file front to back, sharing it with every other process; its handle stays in
// `handle` also when it turns out to be no file on a disk.
FileError OpenToRead(const std::string& path, std::intptr_t& handle, std::uint64_t& length) {
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ErrorFromLastError(GetLastError());
    handle = reinterpret_cast<std::intptr_t>(file);
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) return FileError::NotARegularFile;
    length = static_cast<std::uint64_t>(size.QuadPart);
    return FileError::None;
}

// Reads until `count` bytes are there, the file ends or the system fails; from `*at` when
// `at` is given. A read at an offset moves a synchronous handle's position too.
FileError ReadAll(HANDLE file, std::uint8_t* into, std::size_t count, std::size_t& got, const std::uint64_t* at) {
    got = 0;
    while (got < count) {
        OVERLAPPED position{};
        if (at) {
            const std::uint64_t from = *at + got;
            position.Offset = static_cast<DWORD>(from);
            position.OffsetHigh = static_cast<DWORD>(from >> 32);
        }
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - got, 1u << 30));
        if (!ReadFile(file, into + got, want, &read, at ? &position : nullptr)) {
            if (at && GetLastError() == ERROR_HANDLE_EOF) break;
            return FileError::ReadFailed;
        }
        if (read == 0) break;
        got += read;
    }
    return FileError::None;
}
}  // namespace

FileContents ReadWholeFile(const std::string& path, std::uint64_t mostBytes, const ReadProgress& reached) {
    FileContents contents;
    const std::wstring widePath = Widen(path);
    HANDLE file = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // Windows refuses to open a folder this way with "access denied"; it is no file.
        const DWORD attributes = GetFileAttributesW(widePath.c_str());
        const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        contents.error = isFolder ? FileError::NotARegularFile : ErrorFromLastError(error);
        return contents;
    }
    LARGE_INTEGER length{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &length)) {
        CloseHandle(file);
        contents.error = FileError::NotARegularFile;
        return contents;
    }
    contents.identity = IdentityOfOpenFile(reinterpret_cast<std::intptr_t>(file));
    // Refused before anything is allocated or read: more than the caller can hold.
    if (static_cast<std::uint64_t>(length.QuadPart) > std::min<std::uint64_t>(mostBytes, SIZE_MAX)) {
        CloseHandle(file);
        contents.error = FileError::TooLarge;
        return contents;
    }
    const auto size = static_cast<std::size_t>(length.QuadPart);
    contents.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size ? size : 1);
    std::size_t done = 0;
    while (done < size) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, reached ? kReadPiece : 1u << 30));
        if (!ReadFile(file, contents.bytes.get() + done, want, &got, nullptr)) {
            CloseHandle(file);
            contents.error = FileError::ReadFailed;
            contents.bytes.reset();
            return contents;
        }
        if (got == 0) break;
        done += got;
        if (reached) reached(done, size);
    }
    CloseHandle(file);
    contents.size = done;
    return contents;
}

SequentialFile::~SequentialFile() {
    if (m_handle != -1) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

FileError SequentialFile::Open(const std::string& path) { return OpenToRead(path, m_handle, m_qwLength); }

FileError SequentialFile::Read(std::uint8_t* into, std::size_t count, std::size_t& got) {
    return ReadAll(reinterpret_cast<HANDLE>(m_handle), into, count, got, nullptr);
}

FileError SequentialFile::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) {
    // The position the next Read goes on from is put back after.
    const HANDLE file = reinterpret_cast<HANDLE>(m_handle);
    LARGE_INTEGER position{};
    got = 0;
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, &position, FILE_CURRENT)) return FileError::ReadFailed;
    FileError error = ReadAll(file, into, count, got, &offset);
    if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) error = FileError::ReadFailed;
    return error;
}

ImageFile::~ImageFile() {
    if (m_handle != -1) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

FileError ImageFile::Open(const std::string& path) { return OpenToRead(path, m_handle, m_qwLength); }

FileError ImageFile::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) const {
    // The offset travels with each read, so that threads never share a file position.
    return ReadAll(reinterpret_cast<HANDLE>(m_handle), into, count, got, &offset);
}

}  // namespace tallowmark::platform
