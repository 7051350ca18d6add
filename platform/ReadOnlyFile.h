#pragma once
// Reads a whole file for loading: read-only, sharing reading, writing and deleting with
// every other process, so an index file in use by the browser opens all the same.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tallowmark::platform {

enum class FileError { None, NotFound, AccessDenied, SharingViolation, NotARegularFile, ReadFailed };

struct FileContents {
    FileError error = FileError::None;
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
};

// The file's length is asked once; a file that shrinks meanwhile gives what is there.
FileContents ReadWholeFile(const std::string& path);

}  // namespace tallowmark::platform
