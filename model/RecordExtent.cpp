#include "model/RecordExtent.h"

#include <algorithm>

namespace tallowmark {

BlockEvidence ReadBlockEvidence(const IndexHeader& header, std::uint64_t fileLength, const HashTables::ReadAt& readAt) {
    BlockEvidence evidence;
    evidence.bitmap = AllocationBitmap(header.Bytes());
    evidence.hashTables =
        HashTables::Read(readAt, fileLength, ReadU32(header.Bytes(), kFirstHashTableOffset), header.ClaimedLength());
    return evidence;
}

RecordExtent ExtentOf(const BlockEvidence& evidence, std::uint64_t position, const BlockShape& claimed, ByteView held,
                      bool cutWhereHeldEnds) {
    const BlockState first = evidence.bitmap.StateAt(position);
    const RecordStatus status = first == BlockState::InUse  ? RecordStatus::Live
                                : first == BlockState::Free ? RecordStatus::Deleted
                                                            : RecordStatus::Unknown;
    const bool hashed = evidence.hashTables.PointsAt(position);
    BlockShape shape = claimed;
    bool partial = false;
    // Only blocks the file holds can hold another record.
    const std::uint64_t end = std::min<std::uint64_t>(claimed.lengthInBytes, held.size());
    for (std::uint64_t at = BLOCK_SIZE; at < end; at += BLOCK_SIZE) {
        const std::uint64_t block = position + at;
        const bool taken = status == RecordStatus::Deleted && evidence.bitmap.InUse(block);
        if (taken ||
            (evidence.hashTables.PointsAt(block) && HoldsEntrySignature(held.subspan(static_cast<std::size_t>(at))))) {
            shape.lengthInBytes = at;
            partial = true;
            break;
        }
    }
    if (!partial && cutWhereHeldEnds && held.size() < claimed.lengthInBytes) {
        shape.lengthInBytes = held.size();
        partial = true;
    }
    return {shape, RecordMarks(status, hashed, partial)};
}

}  // namespace tallowmark
