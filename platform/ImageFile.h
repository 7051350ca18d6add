#pragma once
// Reads a disk image, a partition or a memory dump at any offset, from several threads at
// once: read-only, sharing reading, writing and deleting with every other process, never
// changing a byte. Regular files and block devices both have a length.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ReadOnlyFile.h"

namespace tallowmark::platform {

class ImageFile {
public:
    ImageFile() = default;
    ~ImageFile();
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    FileError Open(const std::string& path);
    // The length when the image was opened.
    std::uint64_t Length() const { return m_qwLength; }
    // Up to `count` bytes at `offset`: fewer only at the end; ReadFailed when the system
    // reports an error. Safe on several threads at once.
    FileError ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) const;

private:
    std::intptr_t m_handle = -1;
    std::uint64_t m_qwLength = 0;
};

}  // namespace tallowmark::platform
