#pragma once
// The file systems inside a disk image, read without mounting and without a byte
// written: every partition of its table (or the one file system it holds), walked for the
// index files it holds, allocated, deleted and orphaned, each of which then reads as a
// byte source of its own. Where the build has no libtsk, opening says so.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/ProfilePaths.h"
#include "model/ByteSource.h"
#include "model/FileInImage.h"
#include "model/Outcome.h"
#include "model/TimeText.h"

namespace tallowmark {

// Whether this build reads the file systems inside disk images.
bool ReadsImageFileSystems();

enum class FileState { Allocated, Deleted, Orphan };
// "allocated", "deleted", "orphan".
std::string_view FileStateName(FileState state);

// What a found file's first bytes say, and so whether it is read.
enum class FileContent {
    Index,        // the signature: read as an index file
    NoSignature,  // named as one, allocated, and no index file
    Overwritten,  // deleted (or orphaned), and its clusters now hold something else
    Unreadable,   // the file system could not give its bytes
};
// "index", "no signature", "overwritten", "unreadable".
std::string_view FileContentName(FileContent content);

struct ImagePartition {
    unsigned number = 0;  // from 1, in the order of the partition table; 1 for an image without one
    std::uint64_t startSector = 0;
    std::string fileSystem;  // "NTFS", "FAT32", "exFAT", …
};

// The file's own four times, where its file system keeps them.
struct FileSystemTimes {
    std::optional<FileTime> created, modified, accessed, changed;
};

struct FoundIndexFile {
    ImagePartition partition;
    std::string path;  // from the root, names parted by "/"; orphans under "/$OrphanFiles"
    std::uint64_t inode = 0;                // the metadata address (the MFT entry on NTFS)
    std::optional<std::uint32_t> sequence;  // the MFT entry's sequence number, on NTFS
    FileState state = FileState::Allocated;
    FileContent content = FileContent::Index;
    std::uint64_t size = 0;
    FileSystemTimes times;
    std::string sha256;  // in lower-case hex, for an index file read; empty otherwise
    ProfilePathFacts profile;

    bool Readable() const { return content == FileContent::Index; }
};

// "36" or "36-5" (MFT entry and sequence number).
std::string InodeText(const FoundIndexFile& file);
// "2, NTFS from sector 2048".
std::string PartitionText(const ImagePartition& partition);

struct ImageWalkProgress {
    std::size_t partitions = 0;  // file systems begun
    std::size_t folders = 0;     // folders read
    std::size_t found = 0;       // index files listed
};

// Where a walk reports; called on the walking thread.
class ImageWalkSink {
public:
    virtual ~ImageWalkSink() = default;
    virtual void Found(const FoundIndexFile& file) = 0;
    // After every folder; a sink shows it at its own pace.
    virtual void Progress(const ImageWalkProgress& progress) { (void)progress; }
};

struct ImageWalkOptions {
    // Also every file whose first bytes carry the signature, whatever its name: the start
    // of every file is read.
    bool byContent = false;
    bool hash = true;  // the SHA-256 of every index file found
    // Only the files at this path (from the root, as found files give it) and nothing else.
    std::optional<std::string> onlyPath;
    const std::atomic<bool>* stop = nullptr;  // raised: the walk ends at its next folder or file
};

struct ImageWalkSummary {
    std::size_t fileSystems = 0;  // walked
    std::size_t folders = 0;
    std::size_t unreadable = 0;  // folders and files the file system could not give
    std::size_t found = 0;
    bool stopped = false;
};

// Implemented by the module that holds The Sleuth Kit's library (FileSystemsModule.h),
// which the program loads when it first opens an image.
class ImageFileSystems {
public:
    struct Opened;
    // Opens every file system of `image`, named `name` in messages; a partition that
    // cannot be read is passed over and named in Skipped(). Refused when none can.
    static Opened Open(std::shared_ptr<ByteSource> image, const std::string& name);
    virtual ~ImageFileSystems() = default;
    ImageFileSystems(const ImageFileSystems&) = delete;
    ImageFileSystems& operator=(const ImageFileSystems&) = delete;

    virtual const std::string& Name() const = 0;
    virtual const std::vector<ImagePartition>& Partitions() const = 0;
    // One line per partition that could not be read: which, and why.
    virtual const std::vector<std::string>& Skipped() const = 0;
    // What the image's bytes were found to lack so far (an E01 chunk that reads as
    // zeros), one line each naming the byte range; asked once reading is done.
    virtual std::vector<std::string> Damage() const = 0;

    // Walks every file system depth first, in partition order, and reports each index
    // file as it is found. A folder or file that cannot be read costs only itself.
    virtual ImageWalkSummary Walk(const ImageWalkOptions& options, ImageWalkSink& sink) = 0;
    // The bytes of a file found readable (an overwritten one has none); null when it
    // cannot be opened any more.
    virtual std::unique_ptr<ByteSource> OpenFile(const FoundIndexFile& file) = 0;
    // The regular file at `path` of partition `partition`, found as Windows finds names
    // (letter case aside); null when there is none.
    virtual std::unique_ptr<ByteSource> OpenPath(unsigned partition, const std::string& path) = 0;

protected:
    ImageFileSystems() = default;
};

struct ImageFileSystems::Opened {
    Outcome outcome;
    std::shared_ptr<ImageFileSystems> fileSystems;
};

// A document's way back into the image it was read from: the facts of `file` as the
// properties show them, and the files beside it.
std::shared_ptr<const FileInImage> OriginOf(const std::shared_ptr<ImageFileSystems>& image, const FoundIndexFile& file);

}  // namespace tallowmark
