#include "model/IndexStream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "model/TallowmarkDoc.h"
#include "platform/MemoryLimit.h"

namespace tallowmark {

Outcome ReadFailure(platform::FileError error, const std::string& path) {
    switch (error) {
        case platform::FileError::NotFound:
            return Outcome::Failure(FormatMessage(kMsgNotFound, path), FailureCause::NotFound);
        case platform::FileError::AccessDenied: return Outcome::Failure(FormatMessage(kMsgAccessDenied, path));
        case platform::FileError::SharingViolation: return Outcome::Failure(FormatMessage(kMsgSharingViolation, path));
        default: return Outcome::Failure(kMsgFailedToOpen);
    }
}

void ReadBuffer::Resize(std::size_t size) {
    if (size > m_capacity) {
        auto larger = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        if (m_size) std::memcpy(larger.get(), m_bytes.get(), m_size);
        m_bytes = std::move(larger);
        m_capacity = size;
    }
    m_size = size;
}

void ReadBuffer::Assign(ByteView bytes) {
    Resize(bytes.size());
    if (!bytes.empty()) std::memmove(m_bytes.get(), bytes.data(), bytes.size());
}

Outcome IndexStream::Open(const std::string& path) {
    m_strPath = path;
    const platform::FileError opened = m_file.Open(path);
    if (opened != platform::FileError::None) return ReadFailure(opened, path);
    m_qwLength = m_file.Length();
    if (!ReadUpTo(m_headerBytes, 0, kHeaderFieldsEnd)) return m_failure;
    // An empty file holds no signature either.
    if (!HasHeaderSignature(m_headerBytes)) return Outcome::Failure(kMsgUnexpectedFormat, FailureCause::NotAnIndexFile);
    const std::uint64_t headerLength = HeaderLengthOf(m_headerBytes);
    if (headerLength < m_headerBytes.size()) {
        // The bytes read past a short header belong to the block area.
        m_readAhead.Assign(ByteView(m_headerBytes).subspan(static_cast<std::size_t>(headerLength)));
        m_headerBytes.Resize(static_cast<std::size_t>(headerLength));
    } else if (!ReadUpTo(m_headerBytes, 0, headerLength)) {
        return m_failure;
    }
    m_pHeader = std::make_unique<IndexHeader>(headerLength, ByteView(m_headerBytes));
    m_shortfall.recordedSize = m_pHeader->FileSizeField();
    m_shortfall.Reach(m_shortfall.recordedSize);
    m_shortfall.Reach(headerLength);
    // No walk when the header claims the whole file or more (or nothing at all).
    m_qwNext = headerLength == 0 ? m_qwLength : headerLength;
    if (m_qwNext >= m_qwLength) return Outcome::Success();
    // The walk needs the hash tables before its first piece: they are read where they lie,
    // and the sequential reads go on after the header.
    try {
        m_evidence =
            ReadBlockEvidence(*m_pHeader, m_qwLength, [&](std::uint64_t offset, std::uint8_t* into, std::size_t count) {
                std::size_t got = 0;
                return m_file.ReadAt(offset, into, count, got) == platform::FileError::None ? got : std::size_t{0};
            });
    } catch (const std::bad_alloc&) {
        return Outcome::Failure(kMsgFailedToOpen);
    }
    return Outcome::Success();
}

bool IndexStream::ReadMore(ReadBuffer& bytes, std::uint64_t start, std::uint64_t end) {
    end = std::min(end, m_qwLength);
    const std::size_t had = bytes.size();
    // A record whose length claims more than a share of the machine's memory (a few such
    // are read at once) ends the walk, as does an allocation that fails: never the program.
    static const std::uint64_t kLargestPiece = platform::UsableMemory() / 4;
    bool held = end - start <= kLargestPiece;
    const auto want = static_cast<std::size_t>(end - start - had);
    try {
        if (held) bytes.Resize(had + want);
    } catch (const std::bad_alloc&) {
        held = false;
    }
    if (!held) {
        m_failure = ReadFailure(platform::FileError::TooLarge, m_strPath);
        m_qwLength = start + had;
        return false;
    }
    std::size_t got = 0;
    if (m_file.Read(bytes.data() + had, want, got) != platform::FileError::None) {
        bytes.Resize(had);
        m_failure = ReadFailure(platform::FileError::ReadFailed, m_strPath);
        m_qwLength = start + had;  // no more pieces
        return false;
    }
    bytes.Resize(had + got);
    // A file that shrank since it was opened ends where its bytes end.
    if (got < want) m_qwLength = start + bytes.size();
    return true;
}

std::optional<IndexPiece> IndexStream::NextPiece(std::size_t target, ReadBuffer spare) {
    if (m_qwNext >= m_qwLength) return std::nullopt;
    IndexPiece piece;
    piece.start = m_qwNext;
    piece.firstNumber = m_dwNextNumber;
    piece.bytes = std::move(spare);
    piece.bytes.Assign(m_readAhead);
    // Read the piece's worth and a little more at once, so that the record reaching past
    // its end is mostly there already; then step over whole records until it is full.
    constexpr std::size_t kSlack = 64 << 10;
    ReadUpTo(piece.bytes, piece.start, piece.start + target + kSlack);
    std::uint64_t position = piece.start;
    std::uint32_t number = piece.firstNumber;
    while (position < m_qwLength && position - piece.start < target) {
        if (!ReadUpTo(piece.bytes, piece.start, position + 8) || position >= m_qwLength) break;
        const auto at = static_cast<std::size_t>(position - piece.start);
        const ByteView head = ByteView(piece.bytes).subspan(at);
        const BlockShape claimed = RecogniseBlock(head.first(std::min<std::size_t>(4, head.size())), ReadU32(head, 4));
        // A record larger than the piece makes the piece larger, never beyond the file.
        if (!ReadUpTo(piece.bytes, piece.start, position + claimed.lengthInBytes)) break;
        const auto reach =
            static_cast<std::size_t>(std::min<std::uint64_t>(claimed.lengthInBytes, piece.bytes.size() - at));
        BlockShape shape = claimed;
        if (MayBeCut(m_evidence, position, reach)) {
            const RecordStep step = CutClaim(m_evidence, position, claimed, ByteView(piece.bytes).subspan(at, reach));
            shape = step.shape;
            if (step.partial) piece.cuts.emplace_back(position, shape.lengthInBytes);
        }
        m_shortfall.Reach(position + shape.lengthInBytes);
        position = NextRecordPosition(position, shape);
        ++number;
    }
    const std::uint64_t end = std::min(position, m_qwLength);
    if (end - piece.start < piece.bytes.size()) {
        const auto kept = static_cast<std::size_t>(end - piece.start);
        m_readAhead.Assign(ByteView(piece.bytes).subspan(kept));
        piece.bytes.Resize(kept);
    } else {
        m_readAhead.Resize(0);
    }
    m_qwNext = position;
    m_dwNextNumber = number;
    if (piece.bytes.empty()) return std::nullopt;
    return piece;
}

void IndexStream::WalkPiece(const IndexPiece& piece, const Visitor& visit) const {
    const ByteView bytes(piece.bytes);
    std::uint64_t position = piece.start;
    std::uint32_t number = piece.firstNumber;
    auto cut = piece.cuts.begin();
    while (position - piece.start < bytes.size()) {
        const ByteView rest = bytes.subspan(static_cast<std::size_t>(position - piece.start));
        BlockShape shape = RecogniseBlock(rest.first(std::min<std::size_t>(4, rest.size())), ReadU32(rest, 4));
        // Where a record ends was decided as the piece was read.
        const bool wasCut = cut != piece.cuts.end() && cut->first == position;
        if (wasCut) shape.lengthInBytes = (cut++)->second;
        const ByteView held =
            rest.first(static_cast<std::size_t>(std::min<std::uint64_t>(shape.lengthInBytes, rest.size())));
        const bool partial = IsPartial(wasCut, shape, held.size());
        VisitRecord(shape.kind, *m_pHeader, number, held, shape.lengthInBytes, MarksAt(m_evidence, position, partial),
                    [&](const IndexRecord& record) { visit(record, position); });
        ++number;
        position = NextRecordPosition(position, shape);
    }
}

Outcome IndexStream::Walk(const Visitor& visit) {
    while (const auto piece = NextPiece()) WalkPiece(*piece, visit);
    return m_failure;
}

}  // namespace tallowmark
