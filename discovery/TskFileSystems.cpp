// The file systems inside disk images through The Sleuth Kit's library: the one file that
// includes libtsk (and OpenSSL, for the files' SHA-256), built only where both are found,
// into the module the program loads when it first opens an image.
#include <openssl/evp.h>
#include <tsk/libtsk.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "discovery/FileSystemsModule.h"
#include "model/Digest.h"
#include "model/PreciseTime.h"

namespace tallowmark {

namespace {
constexpr std::string_view kIndexSignature = "Client UrlCache MMF Ver ";
constexpr std::size_t kReadPiece = 1 << 20;

// What the library said of the last failure on this thread, on one line; it is cleared.
std::string TakeTskError() {
    const char* said = tsk_error_get();
    std::string text = said ? said : "";
    tsk_error_reset();
    std::replace(text.begin(), text.end(), '\n', ' ');
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text.empty() ? "unknown failure" : text;
}

// An image the library reads through our byte source. The library's part comes first, so
// that the library's pointer to it is a pointer to the whole.
struct ExternalImage {
    TSK_IMG_INFO info;
    ByteSource* source;
};

ssize_t ReadExternalImage(TSK_IMG_INFO* info, TSK_OFF_T offset, char* into, size_t count) {
    auto* image = reinterpret_cast<ExternalImage*>(info);
    if (offset < 0) return -1;
    std::size_t got = 0;
    if (!image->source->ReadAt(static_cast<std::uint64_t>(offset), reinterpret_cast<std::uint8_t*>(into), count, got))
        return -1;
    return static_cast<ssize_t>(got);
}
void CloseExternalImage(TSK_IMG_INFO* info) { delete reinterpret_cast<ExternalImage*>(info); }
void ExternalImageStat(TSK_IMG_INFO*, FILE*) {}

struct FileSystem {
    ImagePartition partition;
    TSK_FS_INFO* fs;
};

// An image opened by the library, shared by its file systems and the files read from them.
struct TskImage {
    std::shared_ptr<ByteSource> image;
    std::string name;
    TSK_IMG_INFO* img = nullptr;
    TSK_VS_INFO* vs = nullptr;
    std::vector<FileSystem> fileSystems;
    std::vector<ImagePartition> partitions;
    std::vector<std::string> skipped;
    std::mutex lock;  // the library's handles serve one thread at a time

    ~TskImage() {
        for (FileSystem& fileSystem : fileSystems) tsk_fs_close(fileSystem.fs);
        if (vs) tsk_vs_close(vs);
        if (img) tsk_img_close(img);
    }

    TSK_FS_INFO* FileSystemOf(unsigned partition) const {
        for (const FileSystem& fileSystem : fileSystems)
            if (fileSystem.partition.number == partition) return fileSystem.fs;
        return nullptr;
    }

    void AddFileSystem(TSK_FS_INFO* fs, unsigned number, std::uint64_t startSector) {
        ImagePartition partition{number, startSector, tsk_fs_type_toname(fs->ftype)};
        if (partition.fileSystem == "fat12" || partition.fileSystem == "fat16" || partition.fileSystem == "fat32" ||
            partition.fileSystem == "ntfs")
            std::transform(partition.fileSystem.begin(), partition.fileSystem.end(), partition.fileSystem.begin(),
                           [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });
        else if (partition.fileSystem == "exfat")
            partition.fileSystem = "exFAT";
        partitions.push_back(partition);
        fileSystems.push_back({std::move(partition), fs});
    }
};

// A file of an image's file system, read through the library.
class TskFileSource : public ByteSource {
public:
    TskFileSource(std::shared_ptr<TskImage> owner, TSK_FS_FILE* file)
        : m_owner(std::move(owner)), m_file(file), m_qwLength(static_cast<std::uint64_t>(std::max<TSK_OFF_T>(0, file->meta->size))) {}
    ~TskFileSource() override {
        const std::lock_guard guard(m_owner->lock);
        tsk_fs_file_close(m_file);
    }
    std::uint64_t Length() const override { return m_qwLength; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override {
        got = 0;
        const std::lock_guard guard(m_owner->lock);
        while (got < count && offset + got < m_qwLength) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(count - got, m_qwLength - offset - got));
            const ssize_t read = tsk_fs_file_read(m_file, static_cast<TSK_OFF_T>(offset + got),
                                                  reinterpret_cast<char*>(into + got), want, TSK_FS_FILE_READ_FLAG_NONE);
            if (read <= 0) {
                tsk_error_reset();
                return false;
            }
            got += static_cast<std::size_t>(read);
        }
        return true;
    }

private:
    std::shared_ptr<TskImage> m_owner;
    TSK_FS_FILE* m_file;
    std::uint64_t m_qwLength;
};

// One walk over every file system of an image, under the image's lock.
class Walker {
public:
    Walker(const ImageWalkOptions& options, ImageWalkSink& sink) : m_options(options), m_sink(sink) {}

    void WalkFileSystem(const FileSystem& fileSystem) {
        ++m_progress.partitions;
        struct Folder {
            TSK_INUM_T address;
            std::string path;
            bool orphans;  // in or below the library's folder of orphan files
        };
        TSK_FS_INFO* fs = fileSystem.fs;
        std::vector<Folder> folders{{fs->root_inum, {}, false}};
        // Each folder is read once, however many names lead to it: a damaged file system
        // whose folders hold each other ends all the same.
        std::unordered_set<TSK_INUM_T> seen{fs->root_inum};
        while (!folders.empty() && !Stopped()) {
            const Folder folder = std::move(folders.back());
            folders.pop_back();
            TSK_FS_DIR* dir = tsk_fs_dir_open_meta(fs, folder.address);
            if (!dir) {
                tsk_error_reset();
                ++m_summary.unreadable;
                continue;
            }
            ++m_summary.folders;
            ++m_progress.folders;
            std::vector<Folder> children;
            const std::size_t count = tsk_fs_dir_getsize(dir);
            for (std::size_t i = 0; i < count && !Stopped(); ++i) {
                const TSK_FS_NAME* name = tsk_fs_dir_get_name(dir, i);
                if (!name || !name->name || TSK_FS_ISDOT(name->name)) continue;
                std::string path = folder.path + '/' + name->name;
                const bool deleted = (name->flags & TSK_FS_NAME_FLAG_UNALLOC) != 0;
                if (TSK_FS_IS_DIR_NAME(name->type)) {
                    const bool orphans = folder.orphans || name->type == TSK_FS_NAME_TYPE_VIRT_DIR;
                    if (!seen.contains(name->meta_addr) && IsFolderToWalk(dir, i, deleted)) {
                        seen.insert(name->meta_addr);
                        children.push_back({name->meta_addr, std::move(path), orphans});
                    }
                    continue;
                }
                if (name->type != TSK_FS_NAME_TYPE_REG && name->type != TSK_FS_NAME_TYPE_UNDEF) continue;
                const bool named = m_options.onlyPath ? path == *m_options.onlyPath
                                                      : IsIndexFileNameInImage(name->name, deleted || folder.orphans);
                if (!named && (!m_options.byContent || m_options.onlyPath)) continue;
                TSK_FS_FILE* file = tsk_fs_dir_get(dir, i);
                if (!file) {
                    tsk_error_reset();
                    continue;
                }
                Consider(fileSystem, *file, std::move(path), folder.orphans, named);
                tsk_fs_file_close(file);
            }
            tsk_fs_dir_close(dir);
            // The first child on top, so that the walk follows each folder's own order.
            for (auto child = children.rbegin(); child != children.rend(); ++child) folders.push_back(std::move(*child));
            m_sink.Progress(m_progress);
        }
    }

    ImageWalkSummary Summary() const { return m_summary; }

private:
    bool Stopped() {
        if (m_options.stop && m_options.stop->load(std::memory_order_relaxed)) m_summary.stopped = true;
        return m_summary.stopped;
    }

    // A deleted folder is walked only while its metadata is still a folder's and free: one
    // taken again belongs to whatever took it, and is reached by that one's own name.
    static bool IsFolderToWalk(TSK_FS_DIR* dir, std::size_t index, bool deleted) {
        if (!deleted) return true;
        TSK_FS_FILE* file = tsk_fs_dir_get(dir, index);
        if (!file) {
            tsk_error_reset();
            return false;
        }
        const bool walk = file->meta && TSK_FS_IS_DIR_META(file->meta->type) &&
                          (file->meta->flags & TSK_FS_META_FLAG_UNALLOC) != 0;
        tsk_fs_file_close(file);
        return walk;
    }

    void Consider(const FileSystem& fileSystem, TSK_FS_FILE& listed, std::string path, bool orphan, bool named) {
        const TSK_FS_NAME& name = *listed.name;
        // The library leaves out the metadata of a deleted NTFS name, whose MFT entry was
        // given the next sequence number when it was freed: it is read by its address.
        std::unique_ptr<TSK_FS_FILE, decltype(&tsk_fs_file_close)> byAddress(nullptr, tsk_fs_file_close);
        if (!listed.meta && name.meta_addr != 0) {
            byAddress.reset(tsk_fs_file_open_meta(fileSystem.fs, nullptr, name.meta_addr));
            if (!byAddress) tsk_error_reset();
        }
        TSK_FS_FILE& file = byAddress ? *byAddress : listed;
        const TSK_FS_META* meta = file.meta;
        FoundIndexFile found;
        found.partition = fileSystem.partition;
        found.path = std::move(path);
        found.inode = name.meta_addr;
        const bool ntfs = TSK_FS_TYPE_ISNTFS(fileSystem.fs->ftype);
        const bool deletedName = (name.flags & TSK_FS_NAME_FLAG_UNALLOC) != 0;
        const bool unallocated = deletedName || (meta && (meta->flags & TSK_FS_META_FLAG_UNALLOC));
        found.state = orphan ? FileState::Orphan : unallocated ? FileState::Deleted : FileState::Allocated;
        if (meta) {
            if (ntfs) found.sequence = meta->seq;
            found.size = static_cast<std::uint64_t>(std::max<TSK_OFF_T>(0, meta->size));
            found.times.created = FileTimeOfUnixTime(meta->crtime, meta->crtime_nano);
            found.times.modified = FileTimeOfUnixTime(meta->mtime, meta->mtime_nano);
            found.times.accessed = FileTimeOfUnixTime(meta->atime, meta->atime_nano);
            found.times.changed = FileTimeOfUnixTime(meta->ctime, meta->ctime_nano);
        }
        // A deleted name whose metadata a later file took (in use again, or freed once
        // more, which counted the sequence number on past the one freeing gave it): the
        // bytes there are that file's.
        const bool taken = deletedName && meta &&
                           ((meta->flags & TSK_FS_META_FLAG_ALLOC) ||
                            (ntfs && static_cast<std::uint16_t>(meta->seq - name.meta_seq) > 1));
        found.content = ContentOf(file, found, taken);
        if (!named && found.content != FileContent::Index) return;
        if (found.content == FileContent::Index && m_options.hash && !Hash(file, found)) {
            found.content = FileContent::Unreadable;
            ++m_summary.unreadable;
        }
        found.profile = ProfilePathFactsOf(found.path);
        ++m_summary.found;
        ++m_progress.found;
        m_sink.Found(found);
    }

    FileContent ContentOf(TSK_FS_FILE& file, const FoundIndexFile& found, bool taken) {
        const FileContent notIndex =
            found.state == FileState::Allocated ? FileContent::NoSignature : FileContent::Overwritten;
        if (!file.meta || taken) return found.state == FileState::Allocated ? FileContent::Unreadable : notIndex;
        if (found.size < kIndexSignature.size()) return notIndex;
        std::array<char, kIndexSignature.size()> start{};
        const ssize_t read = tsk_fs_file_read(&file, 0, start.data(), start.size(), TSK_FS_FILE_READ_FLAG_NONE);
        if (read < 0) {
            tsk_error_reset();
            ++m_summary.unreadable;
            return FileContent::Unreadable;
        }
        return static_cast<std::size_t>(read) == start.size() && std::string_view(start.data(), start.size()) == kIndexSignature
                   ? FileContent::Index
                   : notIndex;
    }

    bool Hash(TSK_FS_FILE& file, FoundIndexFile& found) {
        std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
        if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return false;
        if (m_piece.empty()) m_piece.resize(kReadPiece);
        for (std::uint64_t at = 0; at < found.size;) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(m_piece.size(), found.size - at));
            const ssize_t read = tsk_fs_file_read(&file, static_cast<TSK_OFF_T>(at), m_piece.data(), want,
                                                  TSK_FS_FILE_READ_FLAG_NONE);
            if (read <= 0) {
                tsk_error_reset();
                return false;
            }
            EVP_DigestUpdate(context.get(), m_piece.data(), static_cast<std::size_t>(read));
            at += static_cast<std::uint64_t>(read);
        }
        std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
        unsigned int length = 0;
        if (EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1) return false;
        found.sha256 = HexDigest(ByteView(digest.data(), length));
        return true;
    }

    const ImageWalkOptions& m_options;
    ImageWalkSink& m_sink;
    ImageWalkSummary m_summary;
    ImageWalkProgress m_progress;
    std::vector<char> m_piece;
};

// The file systems of one image, as the library found them.
class TskFileSystems final : public ImageFileSystems {
public:
    explicit TskFileSystems(std::shared_ptr<TskImage> image) : m_impl(std::move(image)) {}

    const std::string& Name() const override { return m_impl->name; }
    const std::vector<ImagePartition>& Partitions() const override { return m_impl->partitions; }
    const std::vector<std::string>& Skipped() const override { return m_impl->skipped; }
    std::vector<std::string> Damage() const override { return m_impl->image->Damage(); }

    ImageWalkSummary Walk(const ImageWalkOptions& options, ImageWalkSink& sink) override {
        const std::lock_guard guard(m_impl->lock);
        Walker walker(options, sink);
        for (const FileSystem& fileSystem : m_impl->fileSystems) {
            walker.WalkFileSystem(fileSystem);
            if (walker.Summary().stopped) break;
        }
        ImageWalkSummary summary = walker.Summary();
        summary.fileSystems = m_impl->fileSystems.size();
        return summary;
    }

    std::unique_ptr<ByteSource> OpenFile(const FoundIndexFile& found) override {
        if (!found.Readable()) return nullptr;
        const std::lock_guard guard(m_impl->lock);
        TSK_FS_INFO* fs = m_impl->FileSystemOf(found.partition.number);
        return Opened(fs ? tsk_fs_file_open_meta(fs, nullptr, found.inode) : nullptr, false);
    }

    std::unique_ptr<ByteSource> OpenPath(unsigned partition, const std::string& path) override {
        const std::lock_guard guard(m_impl->lock);
        TSK_FS_INFO* fs = m_impl->FileSystemOf(partition);
        return Opened(fs ? tsk_fs_file_open(fs, nullptr, path.c_str()) : nullptr, true);
    }

private:
    // `file` as a byte source, when it is one (and a regular file, if `regularOnly`).
    std::unique_ptr<ByteSource> Opened(TSK_FS_FILE* file, bool regularOnly) {
        if (!file || !file->meta || (regularOnly && file->meta->type != TSK_FS_META_TYPE_REG)) {
            tsk_error_reset();
            if (file) tsk_fs_file_close(file);
            return nullptr;
        }
        return std::make_unique<TskFileSource>(m_impl, file);
    }

    std::shared_ptr<TskImage> m_impl;  // shared with the files read from it
};

ImageFileSystems::Opened OpenTskFileSystems(std::shared_ptr<ByteSource> image, const std::string& name) {
    auto impl = std::make_shared<TskImage>();
    impl->image = std::move(image);
    impl->name = name;
    auto* external = new ExternalImage{};
    external->source = impl->image.get();
    impl->img = tsk_img_open_external(external, static_cast<TSK_OFF_T>(impl->image->Length()), 512, ReadExternalImage,
                                      CloseExternalImage, ExternalImageStat);
    if (!impl->img) {
        delete external;
        return {Outcome::Failure(name + ": " + TakeTskError()), nullptr};
    }
    impl->vs = tsk_vs_open(impl->img, 0, TSK_VS_TYPE_DETECT);
    if (impl->vs) {
        unsigned number = 0;
        for (TSK_PNUM_T i = 0; i < impl->vs->part_count; ++i) {
            const TSK_VS_PART_INFO* part = tsk_vs_part_get(impl->vs, i);
            if (!part || !(part->flags & TSK_VS_PART_FLAG_ALLOC)) continue;
            ++number;
            if (TSK_FS_INFO* fs = tsk_fs_open_vol(part, TSK_FS_TYPE_DETECT)) {
                impl->AddFileSystem(fs, number, part->start);
            } else {
                impl->skipped.push_back("partition " + std::to_string(number) + " (" + (part->desc ? part->desc : "") +
                                        " from sector " + std::to_string(part->start) + ") cannot be read: " +
                                        TakeTskError());
            }
        }
    } else {
        tsk_error_reset();
        if (TSK_FS_INFO* fs = tsk_fs_open_img(impl->img, 0, TSK_FS_TYPE_DETECT)) impl->AddFileSystem(fs, 1, 0);
        else
            tsk_error_reset();
    }
    if (impl->fileSystems.empty()) {
        std::string message = name + ": no file system found: try tallowmark-cli carve";
        for (const std::string& skipped : impl->skipped) message += "; " + skipped;
        return {Outcome::Failure(std::move(message)), nullptr};
    }
    return {Outcome::Success(), std::make_shared<TskFileSystems>(std::move(impl))};
}

constexpr FileSystemsModule kModule{&OpenTskFileSystems};
}  // namespace

}  // namespace tallowmark

extern "C" __attribute__((visibility("default"))) const tallowmark::FileSystemsModule*
TALLOWMARK_FILE_SYSTEMS_ENTRY() {
    return &tallowmark::kModule;
}
