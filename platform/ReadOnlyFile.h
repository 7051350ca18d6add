#pragma once
// Reads a whole file for loading: read-only, sharing reading, writing and deleting with
// every other process, so an index file in use by the browser opens all the same.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/FileIdentity.h"

namespace tallowmark::platform {

enum class FileError { None, NotFound, AccessDenied, SharingViolation, NotARegularFile, ReadFailed, TooLarge };

struct FileContents {
    FileError error = FileError::None;
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    // The very file that was read, asked of the open file itself: whatever its path names later.
    std::optional<FileIdentity> identity;
};

// Told how many bytes of the file's `length` have been read, after each piece of
// kReadPiece bytes.
using ReadProgress = std::function<void(std::uint64_t read, std::uint64_t length)>;
inline constexpr std::size_t kReadPiece = 16 << 20;

// The file's length is asked once; a file that shrinks meanwhile gives what is there. A
// file longer than `mostBytes` is refused (TooLarge) before anything is read. `reached`,
// when given, is told of the reading as it goes.
FileContents ReadWholeFile(const std::string& path, std::uint64_t mostBytes = UINT64_MAX,
                           const ReadProgress& reached = {});

// Reads a file front to back in pieces of the caller's choosing, with the same sharing
// as ReadWholeFile, so a large file never has to be held whole.
class SequentialFile {
public:
    SequentialFile() = default;
    ~SequentialFile();
    SequentialFile(const SequentialFile&) = delete;
    SequentialFile& operator=(const SequentialFile&) = delete;

    FileError Open(const std::string& path);
    // The length when the file was opened.
    std::uint64_t Length() const { return m_qwLength; }
    // Up to `count` bytes from where the last read ended: fewer only at the end of the
    // file; ReadFailed when the system reports an error.
    FileError Read(std::uint8_t* into, std::size_t count, std::size_t& got);
    // Up to `count` bytes from `offset`, leaving where the next Read goes on unchanged.
    FileError ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got);

private:
    std::intptr_t m_handle = -1;
    std::uint64_t m_qwLength = 0;
};

}  // namespace tallowmark::platform
