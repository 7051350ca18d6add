#pragma once
// Where a record ends. A deleted record's block count may still claim blocks that a live
// record took over after it was freed; a walk that steps over the whole count loses the
// live record. So a deleted record ends before the first block of its claim that the
// bitmap marks in use, and no record runs over a block that a hash entry in use points
// at and that begins a URL, LEAK or REDR record. A record cut this way is partial. Both
// walks, the loaded document's and the streamed one's, ask here.

#include <algorithm>
#include <cstdint>
#include <string>

#include "model/AllocationBitmap.h"
#include "model/Format.h"
#include "model/HashTables.h"
#include "model/IndexHeader.h"
#include "model/RecordMarks.h"

namespace tallowmark {

// What the header and the hash tables say of the blocks, read once per file before its walk.
struct BlockEvidence {
    AllocationBitmap bitmap;
    HashTables hashTables;
};

struct RecordExtent {
    BlockShape shape;  // the kind, and the length the record takes
    RecordMarks marks;
};

// Reads the bitmap from `header` and follows the hash-table chain from the header's first
// table, in a file of `fileLength` bytes whose block area starts where the header ends.
BlockEvidence ReadBlockEvidence(const IndexHeader& header, std::uint64_t fileLength, const HashTables::ReadAt& readAt);

// How far the record of `claimed` at `position` reaches; `held` is what the file holds of
// its claim. The one rule of both walks; a record of one block is never cut.
struct RecordStep {
    BlockShape shape;  // the kind, and the length the record takes
    bool partial;      // cut short of its claim
};
RecordStep CutClaim(const BlockEvidence& evidence, std::uint64_t position, const BlockShape& claimed, ByteView held);
// Whether the record at `position`, of which the file holds `heldLength` bytes of its
// claim, may end before it: it was freed, or a hash entry points inside it. Most records
// do neither, and a walk asks this of every one.
inline bool MayBeCut(const BlockEvidence& evidence, std::uint64_t position, std::uint64_t heldLength) {
    return evidence.bitmap.StateAt(position) == BlockState::Free ||
           evidence.hashTables.PointsInside(position, heldLength);
}
inline RecordStep StepOf(const BlockEvidence& evidence, std::uint64_t position, const BlockShape& claimed,
                         ByteView held) {
    if (!MayBeCut(evidence, position, std::min<std::uint64_t>(claimed.lengthInBytes, held.size())))
        return {claimed, false};
    return CutClaim(evidence, position, claimed, held);
}

// The marks of the record at `position`: its status, whether it is hashed, and `partial`.
inline RecordMarks MarksAt(const BlockEvidence& evidence, std::uint64_t position, bool partial) {
    const BlockState first = evidence.bitmap.StateAt(position);
    const RecordStatus status = first == BlockState::InUse  ? RecordStatus::Live
                                : first == BlockState::Free ? RecordStatus::Deleted
                                                            : RecordStatus::Unknown;
    return RecordMarks(status, evidence.hashTables.PointsAt(position), partial);
}

// Whether a record of `shape`, of which `held` bytes are at hand, is partial: cut short of
// its claim by the walk (`cut`), or by the end of the file.
inline bool IsPartial(bool cut, const BlockShape& shape, std::size_t held) { return cut || held < shape.lengthInBytes; }

// Both at once, for a walk that builds the record as it steps over it.
inline RecordExtent ExtentOf(const BlockEvidence& evidence, std::uint64_t position, const BlockShape& claimed,
                             ByteView held) {
    const RecordStep step = StepOf(evidence, position, claimed, held);
    const std::size_t heldOfStep = static_cast<std::size_t>(std::min<std::uint64_t>(held.size(), step.shape.lengthInBytes));
    return {step.shape, MarksAt(evidence, position, IsPartial(step.partial, step.shape, heldOfStep))};
}

// How far a file falls short of what it says of itself: its header records its size, and
// its header region and last record claim bytes up to some offset. A file that holds less
// was cut; it is read as far as it goes, and both walks find the same.
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

}  // namespace tallowmark
