#include "model/RecordWalk.h"

#include <new>
#include <utility>

#include "model/TimeText.h"
#include "model/format/FileHeaderLayout.h"
#include "platform/MemoryLimit.h"

namespace tallowmark {

namespace {
// Whether the record at `position`, of which `held` bytes of its claim are at hand, may
// end before its claim: it was freed, or a hash entry points inside it. Most records do
// neither, and the walk asks this of every one.
bool MayBeCut(const BlockEvidence& evidence, std::uint64_t position, std::uint64_t held) {
    return evidence.bitmap.StateAt(position) == BlockState::Free || evidence.hashTables.PointsInside(position, held);
}

// Where the record of `claimed` bytes at `position` ends: before the first block of its
// claim that the bitmap marks in use, when the record itself was freed, or that a hash
// entry points at and that begins an entry. Only blocks the source holds can hold another
// record; a record of one block is never cut. Returns the length it takes.
std::uint64_t CutClaim(const BlockEvidence& evidence, std::uint64_t position, std::uint64_t claimed, ByteView held) {
    const bool deleted = evidence.bitmap.StateAt(position) == BlockState::Free;
    const std::uint64_t end = std::min<std::uint64_t>(claimed, held.size());
    for (std::uint64_t at = BLOCK_SIZE; at < end; at += BLOCK_SIZE) {
        const std::uint64_t block = position + at;
        if ((deleted && evidence.bitmap.InUse(block)) ||
            (evidence.hashTables.PointsAt(block) && HoldsEntrySignature(held.subspan(static_cast<std::size_t>(at)))))
            return at;
    }
    return claimed;
}

// The status the bitmap gives the record at `position`, and whether a hash entry points at it.
RecordMarks MarksAt(const BlockEvidence& evidence, std::uint64_t position, bool partial) {
    const BlockState first = evidence.bitmap.StateAt(position);
    const RecordStatus status = first == BlockState::InUse  ? RecordStatus::Live
                                : first == BlockState::Free ? RecordStatus::Deleted
                                                            : RecordStatus::Unknown;
    return RecordMarks(status, evidence.hashTables.PointsAt(position), partial);
}
}  // namespace

BlockEvidence ReadBlockEvidence(const IndexHeader& header, ByteSource& source) {
    BlockEvidence evidence;
    const std::uint64_t blockAreaStart = header.ClaimedLength();
    if (blockAreaStart == 0 || blockAreaStart >= source.Length()) return evidence;
    evidence.bitmap = AllocationBitmap(header.Bytes());
    evidence.hashTables =
        HashTables::Read(source, ReadU32(header.Bytes(), fileheader::kFirstHashTable.Offset()), blockAreaStart);
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

RecordWalk::RecordWalk(ByteSource& source, const IndexHeader& header, const BlockEvidence& evidence,
                       const WalkReading& reading)
    : m_source(source), m_evidence(evidence), m_reading(reading), m_end(source.Length()) {
    // Handing pieces over takes bytes of the walk's own.
    if (!reading.keepPieces) m_whole = source.Whole();
    const std::uint64_t headerLength = header.ClaimedLength();
    m_shortfall.recordedSize = header.FileSizeField();
    m_shortfall.Reach(m_shortfall.recordedSize);
    m_shortfall.Reach(headerLength);
    m_position = headerLength == 0 ? m_end : headerLength;
    m_bytesStart = m_position;
}

bool RecordWalk::Next() {
    const std::uint64_t position = m_position;
    if (position >= m_end) return false;
    // The record's bytes, as far as its claim and the source go: in memory, or read (and
    // nearly always read already).
    // A source that cannot be read ends where its bytes do, perhaps before this record.
    ByteView rest = m_whole.empty() ? Buffered(position) : m_whole.subspan(static_cast<std::size_t>(position));
    if (rest.size() < 8 && m_whole.empty()) {
        rest = BytesAt(position, 8);
        if (position >= m_end) return false;
    }
    const BlockShape claimed = RecogniseBlockAt(rest);
    const std::uint64_t wanted = std::min<std::uint64_t>({claimed.lengthInBytes, m_reading.mostHeld, m_end - position});
    if (rest.size() < wanted) {
        rest = BytesAt(position, wanted);
        if (position >= m_end) return false;
    }
    ByteView held = rest.first(static_cast<std::size_t>(std::min<std::uint64_t>(wanted, rest.size())));
    std::uint64_t length = claimed.lengthInBytes;
    if (MayBeCut(m_evidence, position, held.size())) {
        length = CutClaim(m_evidence, position, length, held);
        held = held.first(static_cast<std::size_t>(std::min<std::uint64_t>(held.size(), length)));
    }
    const bool partial = length < claimed.lengthInBytes || m_end - position < length;
    m_record = {position, length, m_nextNumber++, claimed.kind, MarksAt(m_evidence, position, partial)};
    m_held = held;
    m_shortfall.Reach(position + length);
    m_position = NextRecordPosition(position, {claimed.kind, length});
    return true;
}

ByteView RecordWalk::BytesAt(std::uint64_t position, std::uint64_t count) {
    if (position >= m_end) return {};
    std::uint64_t end = position + std::min(count, m_end - position);
    if (m_bytesStart + m_bytes.size() < end || position < m_bytesStart) Fill(position, end);
    end = std::min(end, m_bytesStart + m_bytes.size());
    if (position < m_bytesStart || position >= end) return {};
    return ByteView(m_bytes).subspan(static_cast<std::size_t>(position - m_bytesStart),
                                     static_cast<std::size_t>(end - position));
}

void RecordWalk::Fill(std::uint64_t position, std::uint64_t end) {
    // The bytes that must stay: the piece's so far, or the record's.
    const std::uint64_t keep = m_reading.keepPieces ? m_bytesStart : position;
    const std::uint64_t heldEnd = m_bytesStart + m_bytes.size();
    if (keep >= heldEnd || keep < m_bytesStart) {
        m_bytes.Resize(0);
        m_bytesStart = keep;
    } else if (keep > m_bytesStart) {
        m_bytes.Assign(ByteView(m_bytes).subspan(static_cast<std::size_t>(keep - m_bytesStart)));
        m_bytesStart = keep;
    }
    const std::uint64_t from = m_bytesStart + m_bytes.size();
    const std::uint64_t to = std::max(end, std::min(m_end, keep + m_reading.readAhead));
    if (to <= from) return;
    // A record whose length claims more than a share of the machine's memory (a few such
    // are read at once) ends the walk, as does an allocation that fails: never the program.
    static const std::uint64_t kLargestHeld = platform::UsableMemory() / 4;
    const std::size_t had = m_bytes.size();
    const auto want = static_cast<std::size_t>(to - from);
    bool fits = to - m_bytesStart <= kLargestHeld;
    try {
        if (fits) m_bytes.Resize(had + want);
    } catch (const std::bad_alloc&) {
        fits = false;
    }
    if (!fits) {
        m_failure = platform::FileError::TooLarge;
        m_end = from;
        return;
    }
    std::size_t got = 0;
    if (!m_source.ReadAt(from, m_bytes.data() + had, want, got)) {
        m_bytes.Resize(had);
        m_failure = platform::FileError::ReadFailed;
        m_end = from;
        return;
    }
    m_bytes.Resize(had + got);
    // A file that shrank since it was opened ends where its bytes end.
    if (got < want) m_end = from + got;
}

FileShortfall RecordWalk::Shortfall() const {
    FileShortfall shortfall = m_shortfall;
    shortfall.length = m_end;
    return shortfall;
}

ReadBuffer RecordWalk::TakeBytes(ReadBuffer spare) {
    const std::uint64_t end = std::max(m_bytesStart, std::min(m_position, m_end));
    const auto kept = static_cast<std::size_t>(std::min<std::uint64_t>(end - m_bytesStart, m_bytes.size()));
    spare.Assign(ByteView(m_bytes).subspan(kept));
    m_bytes.Resize(kept);
    std::swap(spare, m_bytes);
    m_bytesStart = end;
    return spare;
}

}  // namespace tallowmark
