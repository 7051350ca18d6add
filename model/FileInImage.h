#pragma once
// A document read from a file inside a disk image: where in the image the file lies, and
// the way back into that image's file system for the files beside it (its cached copies).

#include <memory>
#include <string>

#include "model/ByteSource.h"

namespace tallowmark {

// The texts that say where the file lies, as they are shown.
struct ImagePlace {
    std::string image;      // the image, as the user named it
    unsigned partition = 0;
    std::string partitionText;  // "2, NTFS from sector 2048"
    std::string path;       // inside its file system, from the root, names parted by "/"
    std::string state;      // allocated, deleted or orphan
    std::string inode;      // the metadata address, with its sequence number where there is one
    std::string sha256;     // of the file's bytes, in hex
};

// "IMAGE:PARTITION:PATH", the one name of a file inside an image in titles and timelines.
std::string ImageSourceText(const std::string& image, unsigned partition, const std::string& path);

class FileInImage {
public:
    explicit FileInImage(ImagePlace place) : m_place(std::move(place)) {}
    virtual ~FileInImage() = default;
    FileInImage(const FileInImage&) = delete;
    FileInImage& operator=(const FileInImage&) = delete;

    const ImagePlace& Place() const { return m_place; }
    // The file at `path` (from the root, names parted by "/") in the same file system, its
    // names compared as Windows compares them; null when it is not there.
    virtual std::unique_ptr<ByteSource> OpenInSameFileSystem(const std::string& path) const = 0;

private:
    ImagePlace m_place;
};

}  // namespace tallowmark
