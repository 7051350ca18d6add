#pragma once
// One loaded cache index file: its header, its records in file order, path and title.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/ByteSource.h"
#include "model/FileInImage.h"
#include "model/Format.h"
#include "model/IndexHeader.h"
#include "model/IndexRecord.h"
#include "model/Outcome.h"
#include "model/RecordWalk.h"
#include "platform/FileIdentity.h"
#include "platform/OutputFile.h"

namespace tallowmark {

inline constexpr const char* kMsgUnexpectedFormat = "Unexpected file format.";
inline constexpr const char* kMsgNotFound = "%1 was not found.";
inline constexpr const char* kMsgAccessDenied = "Access to %1 was denied.";
inline constexpr const char* kMsgSharingViolation = "A sharing violation occurred while accessing %1.";
inline constexpr const char* kMsgFailedToOpen = "Failed to open document.";
inline constexpr const char* kMsgFailedToSave = "Failed to save document.";
inline constexpr const char* kMsgDiskFull = "Disk full while accessing %1.";
inline constexpr const char* kMsgTargetIsOpenDocument = "%1 is the file of the open document %2; nothing was written.";
inline constexpr const char* kMsgCopyDiffers =
    "The copy written to %1 did not read back as the file's bytes; nothing was saved.";
inline constexpr const char* kMsgSavedCopy = "Saved a copy of %1 (SHA-256 %2)";

// Refuses `target` when it is the file of one of `openFiles` (however its path is written:
// a hard link, a symbolic link), with the message that names both; success otherwise.
Outcome RefuseOpenDocumentFile(const std::string& target, const std::vector<std::string>& openFiles);

// Writes a file for the user through the output service: refused when `path` is one of
// `inputs`; `write` makes the bytes, which replace an existing file only once all are on
// the disk (and `check`, when given, approved them as read back). A target that cannot be
// made gets `cannotOpen` when one is given, else the file error's own message. `written`,
// when given, gets the identity of the file made.
Outcome WriteUserFile(const std::string& path, const std::vector<std::string>& inputs,
                      const std::function<void(std::ostream&)>& write, const char* cannotOpen = nullptr,
                      const platform::OutputFile::WrittenCheck& check = {},
                      std::optional<platform::FileIdentity>* written = nullptr);

// Told, on the loading thread, how far a load has come: `done` of `total`, the file's
// reading and then the walk of its records each half of it.
using LoadProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Where the walk found one record, all a document keeps of it: the record itself is made
// over the file's bytes when asked for (TallowmarkDoc::Record). Nearly every record starts
// at a block's start and takes whole blocks; one that does not (or is longer than 128 MiB)
// is `odd`, its place and length kept in the document's OddPlace list. Its number (its
// step of the walk) is its place among the entries plus the unrecognised blocks before
// it, which the document keeps where that count changes (NumberStep).
struct RecordEntry {
    std::uint32_t block;        // where it starts, in blocks of BLOCK_SIZE; odd: its index among the odd places
    std::uint32_t blocks : 20;  // its length in blocks, as the walk took it
    std::uint32_t kind : 3;     // a BlockKind
    std::uint32_t odd : 1;
    std::uint32_t marks : 8;  // its RecordMarks, the kind of entry told
};
static_assert(sizeof(RecordEntry) == 8);

// From the entry at `place` on, the walk had stepped over `skipped` unrecognised blocks.
struct NumberStep {
    std::uint32_t place;
    std::uint32_t skipped;
};

// The place and length of a record whose entry cannot tell them.
struct OddPlace {
    std::uint64_t offset;
    std::uint64_t length;
};

class TallowmarkDoc;

// The records of a document in file order, made as they are read.
class RecordRange {
public:
    class Iterator {
    public:
        using value_type = IndexRecord;
        using difference_type = std::ptrdiff_t;
        Iterator() = default;
        Iterator(const TallowmarkDoc* document, std::size_t index) : m_document(document), m_index(index) {}
        IndexRecord operator*() const;
        Iterator& operator++() {
            ++m_index;
            return *this;
        }
        Iterator operator++(int) { return {m_document, m_index++}; }
        bool operator==(const Iterator& other) const { return m_index == other.m_index; }

    private:
        const TallowmarkDoc* m_document = nullptr;
        std::size_t m_index = 0;
    };

    explicit RecordRange(const TallowmarkDoc& document) : m_document(&document) {}
    Iterator begin() const { return {m_document, 0}; }
    Iterator end() const;
    std::size_t size() const;
    bool empty() const { return size() == 0; }
    IndexRecord operator[](std::size_t index) const;
    IndexRecord front() const { return (*this)[0]; }
    IndexRecord back() const { return (*this)[size() - 1]; }

private:
    const TallowmarkDoc* m_document;
};

class TallowmarkDoc {
public:

    // A load reads its source in pieces of this many bytes, telling its progress after each.
    static constexpr std::size_t kReadPiece = 16 << 20;

    TallowmarkDoc() = default;
    TallowmarkDoc(const TallowmarkDoc&) = delete;
    TallowmarkDoc& operator=(const TallowmarkDoc&) = delete;

    // Reads the whole file at `path`; on success the document takes the path and its
    // title becomes the file name. A file longer than the machine could hold is refused
    // before it is read. `progress`, when given, is told how far it has come.
    Outcome OnOpenDocument(const std::string& path, const LoadProgress& progress = {});
    // Reads the whole of `source` (a file of this machine, bytes in memory, a file inside
    // a disk image) as the file named `name`, which becomes the path name and the title;
    // refused as a file is when it could not fit. `progress` as for OnOpenDocument.
    Outcome OpenSource(ByteSource& source, const std::string& name, const LoadProgress& progress = {});
    // Takes `size` bytes already read as the file at `path`; the fuzzer feeds it directly.
    Outcome OpenImage(std::unique_ptr<std::uint8_t[]> bytes, std::size_t size, const std::string& path,
                      const LoadProgress& progress = {});
    // The longest file whose bytes and records fit in the machine's memory.
    static std::uint64_t LargestLoadableFile();

    // Writes the copy of the file: every byte that was read, as it was read.
    void Serialize(std::ostream& out) const;
    // Save As: writes the copy to `path`, which the document then takes as its own, once
    // the written file's SHA-256 is that of the bytes read. Never onto the document's own
    // file, nor onto any of `openFiles`. Succeeds with the text that tells the user so.
    Outcome SaveAs(const std::string& path, const std::vector<std::string>& openFiles = {});
    // The bytes that were read.
    ByteView Image() const { return {m_pImage.get(), m_nImageSize}; }

    // The files a file written for this document must not be: its own (the image, for a
    // file read from one) and `openFiles`.
    std::vector<std::string> InputsWith(const std::vector<std::string>& openFiles) const;

    // Where in a disk image the document was read from; null for a file of this machine,
    // and after Save As, which makes the document the copy written.
    const FileInImage* Origin() const { return m_pOrigin.get(); }
    void SetOrigin(std::shared_ptr<const FileInImage> origin) { m_pOrigin = std::move(origin); }

    // Null for a document read from an empty file.
    const IndexHeader* Header() const { return m_pHeader.get(); }
    bool IsVersion4() const { return m_pHeader && m_pHeader->IsVersion4(); }
    // Every record, in file order; the record `index` of them.
    RecordRange Records() const { return RecordRange(*this); }
    // Where `record`, one of this document's, starts in the file.
    std::uint64_t OffsetOf(const IndexRecord& record) const {
        return static_cast<std::uint64_t>(record.Bytes().data() - m_pImage.get());
    }
    std::size_t RecordCount() const { return m_records.size(); }
    IndexRecord Record(std::size_t index) const;
    // What the walk found of each record.
    const std::vector<RecordEntry>& Entries() const { return m_records; }
    // The allocation bitmap and the hash tables, as the walk read them.
    const BlockEvidence& Evidence() const { return m_evidence; }
    // How much of what the file says of itself it does not hold.
    const FileShortfall& Shortfall() const { return m_shortfall; }

    const std::string& PathName() const { return m_strPathName; }
    // The file that was read (or written by Save As), whatever its path names now;
    // nothing for bytes that came from no file.
    const std::optional<platform::FileIdentity>& Identity() const { return m_identity; }
    const std::string& Title() const { return m_strTitle; }
    void SetPathName(const std::string& path);  // also sets the title to the file name
    void SetTitle(const std::string& title) { m_strTitle = title; }

private:
    Outcome LoadIndex(ByteView file, const LoadProgress& progress);
    // One step of `walk`: appends the entry of the record it finds, if it is one.
    void ReadRecordAt(RecordWalk& walk);
    std::uint32_t NumberOf(std::size_t index) const;
    void DeleteContents();

    std::string m_strPathName;
    std::string m_strTitle;
    std::shared_ptr<const FileInImage> m_pOrigin;
    std::optional<platform::FileIdentity> m_identity;
    std::unique_ptr<std::uint8_t[]> m_pImage;  // the file's bytes; header and records view into them
    std::size_t m_nImageSize = 0;
    std::unique_ptr<IndexHeader> m_pHeader;
    BlockEvidence m_evidence;
    FileShortfall m_shortfall;
    std::vector<RecordEntry> m_records;
    std::vector<OddPlace> m_oddPlaces;
    std::vector<NumberStep> m_numberSteps;  // none while no block was skipped
};

}  // namespace tallowmark

namespace tallowmark {
inline IndexRecord RecordRange::Iterator::operator*() const { return m_document->Record(m_index); }
inline RecordRange::Iterator RecordRange::end() const { return {m_document, m_document->RecordCount()}; }
inline std::size_t RecordRange::size() const { return m_document->RecordCount(); }
inline IndexRecord RecordRange::operator[](std::size_t index) const { return m_document->Record(index); }
}  // namespace tallowmark
