#include "discovery/ImageFileSystems.h"

namespace tallowmark {

std::string_view FileStateName(FileState state) {
    switch (state) {
        case FileState::Allocated: return "allocated";
        case FileState::Deleted: return "deleted";
        case FileState::Orphan: return "orphan";
    }
    return {};
}

std::string_view FileContentName(FileContent content) {
    switch (content) {
        case FileContent::Index: return "index";
        case FileContent::NoSignature: return "no signature";
        case FileContent::Overwritten: return "overwritten";
        case FileContent::Unreadable: return "unreadable";
    }
    return {};
}

std::string InodeText(const FoundIndexFile& file) {
    std::string text = std::to_string(file.inode);
    if (file.sequence) text += '-' + std::to_string(*file.sequence);
    return text;
}

std::string PartitionText(const ImagePartition& partition) {
    return std::to_string(partition.number) + ", " + partition.fileSystem + " from sector " +
           std::to_string(partition.startSector);
}

namespace {
class OriginInImage : public FileInImage {
public:
    OriginInImage(ImagePlace place, std::shared_ptr<ImageFileSystems> image)
        : FileInImage(std::move(place)), m_image(std::move(image)) {}
    std::unique_ptr<ByteSource> OpenInSameFileSystem(const std::string& path) const override {
        return m_image->OpenPath(Place().partition, path);
    }

private:
    std::shared_ptr<ImageFileSystems> m_image;
};
}  // namespace

std::shared_ptr<const FileInImage> OriginOf(const std::shared_ptr<ImageFileSystems>& image, const FoundIndexFile& file) {
    ImagePlace place;
    place.image = image->Name();
    place.partition = file.partition.number;
    place.partitionText = PartitionText(file.partition);
    place.path = file.path;
    place.state = std::string(FileStateName(file.state));
    place.inode = InodeText(file);
    place.sha256 = file.sha256;
    return std::make_shared<OriginInImage>(std::move(place), image);
}

#ifndef TALLOWMARK_HAVE_LIBTSK
struct ImageFileSystems::Impl {};

bool ReadsImageFileSystems() { return false; }

ImageFileSystems::Opened ImageFileSystems::Open(std::shared_ptr<ByteSource>, const std::string& name) {
    return {Outcome::Failure(name + ": this build reads no file systems inside disk images (it has no libtsk)"), nullptr};
}
ImageFileSystems::ImageFileSystems(std::shared_ptr<Impl> impl) : m_impl(std::move(impl)) {}
ImageFileSystems::~ImageFileSystems() = default;
const std::string& ImageFileSystems::Name() const {
    static const std::string none;
    return none;
}
const std::vector<ImagePartition>& ImageFileSystems::Partitions() const {
    static const std::vector<ImagePartition> none;
    return none;
}
const std::vector<std::string>& ImageFileSystems::Skipped() const {
    static const std::vector<std::string> none;
    return none;
}
std::vector<std::string> ImageFileSystems::Damage() const { return {}; }
ImageWalkSummary ImageFileSystems::Walk(const ImageWalkOptions&, ImageWalkSink&) { return {}; }
std::unique_ptr<ByteSource> ImageFileSystems::OpenFile(const FoundIndexFile&) { return nullptr; }
std::unique_ptr<ByteSource> ImageFileSystems::OpenPath(unsigned, const std::string&) { return nullptr; }
#endif

}  // namespace tallowmark
