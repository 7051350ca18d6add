#pragma once
// The walk of an index file's block area: from the end of the header region to the end of
// its byte source, one record after another. Every rule about where a record ends lives
// here: the kind and length its first 8 bytes claim (RecogniseBlock); the overlap mend (a
// deleted record's claim ends before the first block the bitmap marks in use, and no
// record runs over a block that a hash entry in use points at and that begins a URL, LEAK
// or REDR record: such a record is partial); the cut at the end of the source; a length
// beyond 32 bits, after which the walk ends; and how far the records reach, which tells
// how much of the file is missing. The loaded document, the streamed reader and the
// carver's found files all walk here; what each builds of a record is its own.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/AllocationBitmap.h"
#include "model/ByteSource.h"
#include "model/Format.h"
#include "model/HashTables.h"
#include "model/IndexHeader.h"
#include "model/RecordMarks.h"
#include "platform/ReadOnlyFile.h"

namespace tallowmark {

// What the header and the hash tables say of the blocks, read once per file before its walk.
struct BlockEvidence {
    AllocationBitmap bitmap;
    HashTables hashTables;
};

// Reads the bitmap from `header` and follows the hash-table chain from the header's first
// table through `source`, whose block area starts where the header ends. Nothing for a
// header that leaves no block area.
BlockEvidence ReadBlockEvidence(const IndexHeader& header, ByteSource& source);

// How far a file falls short of what it says of itself: its header records its size, and
// its header region and last record claim bytes up to some offset. A file that holds less
// was cut; it is read as far as it goes, and every walk finds the same.
struct FileShortfall {
    std::uint64_t recordedSize = 0;  // the header's file-size field
    std::uint64_t reach = 0;         // the furthest of that, the header's end and the last record's claim
    std::uint64_t length = 0;        // what the file holds
    std::uint64_t Missing() const { return reach > length ? reach - length : 0; }
    // Widens the reach to `end` (a record's or the header's).
    void Reach(std::uint64_t end) { reach = std::max(reach, end); }
};
// "recorded size 491,520, file holds 100,000", or where the last record reaches when
// that is further than the recorded size.
std::string ShortfallText(const FileShortfall& shortfall);
// The line naming `path` that a command writes to stderr for a file that was cut.
std::string ShortfallNotice(const std::string& path, const FileShortfall& shortfall);

// One record as the walk finds it: a small value that says where it lies, not the record.
struct WalkedRecord {
    std::uint64_t offset = 0;  // where it starts in the source
    std::uint64_t length = 0;  // the length it takes: its claim, or up to where another record begins
    std::uint32_t number = 0;  // its step of the walk; an unrecognised block uses a number up too
    BlockKind kind = BlockKind::Unrecognised;
    RecordMarks marks;  // its status, whether it is hashed, whether it is partial
};

// How a walk reads a source that is not in memory.
struct WalkReading {
    // Of one record, the bytes held at most: a longer one is held in part (a reader that
    // judges no longer record needs no more).
    std::size_t mostHeld = SIZE_MAX;
    // Bytes read at once, counted from where the bytes held must begin.
    std::size_t readAhead = 1 << 20;
    // Holds the bytes of every record since the last TakeBytes, for a reader that hands
    // pieces of the file to other threads; otherwise only the current record's.
    bool keepPieces = false;
};

class RecordWalk {
public:
    // Walks `source`, whose header region is `header` and whose blocks `evidence` tells of
    // (both outlive the walk), from the header's end; no record at all when the header
    // claims nothing, or every byte of the source.
    RecordWalk(ByteSource& source, const IndexHeader& header, const BlockEvidence& evidence,
               const WalkReading& reading = {});
    RecordWalk(const RecordWalk&) = delete;
    RecordWalk& operator=(const RecordWalk&) = delete;

    // Steps to the next record or unrecognised block; false at the end of the source. A
    // source that cannot be read, or whose record could not be held, ends where its bytes
    // do (Failure()).
    bool Next();
    const WalkedRecord& Record() const { return m_record; }
    // The bytes the source holds of the record: fewer than its length where the source
    // ends (or past WalkReading::mostHeld). Good until the next step.
    ByteView Held() const { return m_held; }

    // Where the next step begins.
    std::uint64_t Position() const { return m_position; }
    bool AtEnd() const { return m_position >= m_end; }
    // Goes on at `next` (past the record's start) rather than where the record ends: for a
    // reader whose own checks find that the record is none.
    void GoOnAt(std::uint64_t next) { m_position = next; }
    // Ends the walk at `end` of the source, if that is sooner: for a reader that finds the
    // bytes from there on are not the file's. Records reaching past it are cut there.
    void EndAt(std::uint64_t end) { m_end = std::min(m_end, end); }
    // Bytes read at once from now on (see WalkReading).
    void SetReadAhead(std::size_t bytes) { m_reading.readAhead = bytes; }

    // How much of what the file says of itself it does not hold, as far as the walk went.
    FileShortfall Shortfall() const;
    // Why the walk ended before the source did: a read that failed (ReadFailed), a record
    // too large to hold (TooLarge); None otherwise.
    platform::FileError Failure() const { return m_failure; }

    // With WalkReading::keepPieces: the bytes from the last hand-over to where the walk
    // stands, its records whole (the last one of the source as far as it goes). The walk
    // keeps the bytes it read past them, in `spare`'s room.
    ReadBuffer TakeBytes(ReadBuffer spare);

private:
    // The bytes read already from `position` on.
    ByteView Buffered(std::uint64_t position) const {
        if (position < m_bytesStart || position - m_bytesStart >= m_bytes.size()) return {};
        return ByteView(m_bytes).subspan(static_cast<std::size_t>(position - m_bytesStart));
    }
    // The bytes read from `position` on, `count` of them or as many as the source has.
    ByteView BytesAt(std::uint64_t position, std::uint64_t count);
    // Reads so that the bytes held reach `end` from `position`, or the source's end.
    void Fill(std::uint64_t position, std::uint64_t end);

    ByteSource& m_source;
    const BlockEvidence& m_evidence;
    WalkReading m_reading;
    ByteView m_whole;    // a source held in memory
    ReadBuffer m_bytes;  // or the bytes read of it, from m_bytesStart on
    std::uint64_t m_bytesStart = 0;
    std::uint64_t m_end = 0;  // the source's length, less what could not be read
    std::uint64_t m_position = 0;
    std::uint32_t m_nextNumber = 0;
    WalkedRecord m_record;
    ByteView m_held;
    FileShortfall m_shortfall;
    platform::FileError m_failure = platform::FileError::None;
};

}  // namespace tallowmark
