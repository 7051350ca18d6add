#pragma once
// Reads a disk image, a partition, a memory dump or an index file at any offset, from
// several threads at once: read-only, sharing reading, writing and deleting with every
// other process, never changing a byte. Regular files and block devices both have a length.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileIdentity.h"

#include "platform/ReadOnlyFile.h"

namespace tallowmark::platform {

class ImageFile {
public:
    ImageFile() = default;
    ~ImageFile();
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    // Which files Open takes: a disk as well as a file (an image), or a regular file alone
    // (an index file, refused as NotARegularFile otherwise, a folder included).
    enum class Kinds { FilesAndDisks, FilesOnly };
    FileError Open(const std::string& path, Kinds kinds = Kinds::FilesAndDisks);
    // The very file that was opened, whatever its path names later.
    std::optional<FileIdentity> Identity() const { return IdentityOfOpenFile(m_handle); }
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
