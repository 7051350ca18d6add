#include "model/RecordExtent.h"

#include <algorithm>

#include "model/TimeText.h"

namespace tallowmark {

BlockEvidence ReadBlockEvidence(const IndexHeader& header, std::uint64_t fileLength, const HashTables::ReadAt& readAt) {
    BlockEvidence evidence;
    evidence.bitmap = AllocationBitmap(header.Bytes());
    evidence.hashTables =
        HashTables::Read(readAt, fileLength, ReadU32(header.Bytes(), kFirstHashTableOffset), header.ClaimedLength());
    return evidence;
}

std::string ShortfallText(const FileShortfall& shortfall) {
    const std::string holds = ", file holds " + GroupedDigits(shortfall.length);
    if (shortfall.reach > shortfall.recordedSize) return "its records reach " + GroupedDigits(shortfall.reach) + holds;
    return "recorded size " + GroupedDigits(shortfall.recordedSize) + holds;
}

std::string ShortfallNotice(const std::string& path, const FileShortfall& shortfall) {
    return path + ": " + GroupedDigits(shortfall.Missing()) + " bytes are missing (" + ShortfallText(shortfall) +
           "); the file was read as far as it goes";
}

RecordStep CutClaim(const BlockEvidence& evidence, std::uint64_t position, const BlockShape& claimed, ByteView held) {
    const bool deleted = evidence.bitmap.StateAt(position) == BlockState::Free;
    // Only blocks the file holds can hold another record.
    const std::uint64_t end = std::min<std::uint64_t>(claimed.lengthInBytes, held.size());
    for (std::uint64_t at = BLOCK_SIZE; at < end; at += BLOCK_SIZE) {
        const std::uint64_t block = position + at;
        if ((deleted && evidence.bitmap.InUse(block)) ||
            (evidence.hashTables.PointsAt(block) && HoldsEntrySignature(held.subspan(static_cast<std::size_t>(at)))))
            return {{claimed.kind, at}, true};
    }
    return {claimed, false};
}

}  // namespace tallowmark
