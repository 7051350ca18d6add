#include "discovery/ImageFileList.h"

namespace tallowmark {

namespace {
std::string Counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}
}  // namespace

ImageFileRow ImageFileRowOf(const FoundIndexFile& file) {
    ImageFileRow row;
    row.state = std::string(FileStateName(file.state));
    if (!file.Readable()) row.state += ", " + std::string(FileContentName(file.content));
    row.user = file.profile.user;
    row.role = RoleText(file.profile);
    row.path = file.path;
    row.size = SizeText(file.size);
    if (file.times.modified) row.modified = FormatTime(ToTimeValue(*file.times.modified), SHORT_TIME_FORMAT);
    return row;
}

std::string NotReadText(const FoundIndexFile& file) {
    switch (file.content) {
        case FileContent::Index: return {};
        case FileContent::NoSignature: return "not read: named as an index file, it holds none";
        case FileContent::Overwritten:
            return "not read: its clusters now hold other bytes; tallowmark-cli carve recovers the records left in "
                   "the image";
        case FileContent::Unreadable: return "not read: the file system could not give its bytes";
    }
    return {};
}

std::string ImageWalkProgressText(const ImageWalkProgress& progress, std::size_t fileSystems) {
    return "Partition " + std::to_string(progress.partitions) + " of " + std::to_string(fileSystems) + ": " +
           Counted(progress.folders, "folder read", "folders read") + ", " +
           Counted(progress.found, "index file found", "index files found");
}

std::string ImageWalkEndText(const ImageWalkSummary& summary, std::size_t skippedPartitions) {
    std::string text = Counted(summary.found, "index file found", "index files found");
    if (summary.stopped) text = "Stopped: " + text;
    if (skippedPartitions) text += "; " + Counted(skippedPartitions, "partition", "partitions") + " could not be read";
    if (summary.unreadable)
        text += "; " + Counted(summary.unreadable, "folder or file", "folders or files") + " could not be read";
    return text;
}

}  // namespace tallowmark
