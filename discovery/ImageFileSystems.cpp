#include "discovery/ImageFileSystems.h"

#ifdef TALLOWMARK_HAVE_LIBTSK
#include "discovery/FileSystemsModule.h"
#include "platform/ProgramModule.h"
#endif

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

#ifdef TALLOWMARK_HAVE_LIBTSK
// Looked for once, not loaded: asking costs no start its time, and the menus ask often.
bool ReadsImageFileSystems() {
    static const bool present = platform::HasProgramModule(kFileSystemsModuleFile);
    return present;
}

ImageFileSystems::Opened ImageFileSystems::Open(std::shared_ptr<ByteSource> image, const std::string& name) {
    // An E01 set with a segment missing or cut short reads as zeros where it is: a file
    // system walked over that would tell of files that are not there, so it is refused.
    if (const std::vector<std::string> damage = image->Damage(); !damage.empty()) {
        std::string message = name + ": ";
        for (const std::string& line : damage) message += line + (&line == &damage.back() ? "" : "; ");
        return {Outcome::Failure(message), nullptr};
    }
    static const platform::ProgramModule module =
        platform::LoadProgramModule(kFileSystemsModuleFile, kFileSystemsModuleEntry);
    if (!module.entry)
        return {Outcome::Failure(name + ": the file systems inside disk images cannot be read: " + module.error),
                nullptr};
    const auto entry = reinterpret_cast<FileSystemsModuleEntry>(module.entry);
    return entry()->open(std::move(image), name);
}
#else
bool ReadsImageFileSystems() { return false; }

ImageFileSystems::Opened ImageFileSystems::Open(std::shared_ptr<ByteSource>, const std::string& name) {
    return {Outcome::Failure(name + ": this build reads no file systems inside disk images (it has no libtsk)"), nullptr};
}
#endif

}  // namespace tallowmark
