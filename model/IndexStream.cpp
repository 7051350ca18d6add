#include "model/IndexStream.h"

#include <algorithm>
#include <new>

#include "model/TallowmarkDoc.h"
#include "model/format/FileHeaderLayout.h"
#include "platform/MemoryLimit.h"

namespace tallowmark {

namespace {
// Pieces are read a little longer than asked, so that the record reaching past a piece's
// end is mostly there already.
constexpr std::size_t kPieceSlack = 64 << 10;
}  // namespace

Outcome ReadFailure(platform::FileError error, const std::string& path) {
    switch (error) {
        case platform::FileError::NotFound:
            return Outcome::Failure(FormatMessage(kMsgNotFound, path), FailureCause::NotFound);
        case platform::FileError::AccessDenied: return Outcome::Failure(FormatMessage(kMsgAccessDenied, path));
        case platform::FileError::SharingViolation: return Outcome::Failure(FormatMessage(kMsgSharingViolation, path));
        default: return Outcome::Failure(kMsgFailedToOpen);
    }
}

Outcome IndexStream::Open(const std::string& path) {
    OpenedFileSource file = OpenFileSource(path, platform::ImageFile::Kinds::FilesOnly);
    if (file.error != platform::FileError::None) return ReadFailure(file.error, path);
    m_pFile = std::move(file.source);
    return Open(*m_pFile, path);
}

Outcome IndexStream::Open(ByteSource& source, const std::string& name) {
    m_strName = name;
    if (!ReadHeaderBytes(source, fileheader::kFieldsEnd)) return m_failure;
    // An empty file holds no signature either.
    if (!HasHeaderSignature(m_headerBytes)) return Outcome::Failure(kMsgUnexpectedFormat, FailureCause::NotAnIndexFile);
    const std::uint64_t headerLength = HeaderLengthOf(m_headerBytes);
    if (!ReadHeaderBytes(source, headerLength)) return m_failure;
    m_pHeader = std::make_unique<IndexHeader>(headerLength, ByteView(m_headerBytes));
    // The walk needs the hash tables before its first piece: they are read where they lie,
    // and the reading goes on after the header.
    try {
        m_evidence = ReadBlockEvidence(*m_pHeader, source);
    } catch (const std::bad_alloc&) {
        return Outcome::Failure(kMsgFailedToOpen);
    }
    m_pWalk = std::make_unique<RecordWalk>(source, *m_pHeader, m_evidence,
                                           WalkReading{.readAhead = kPieceTarget + kPieceSlack, .keepPieces = true});
    return Outcome::Success();
}

bool IndexStream::ReadHeaderBytes(ByteSource& source, std::uint64_t end) {
    end = std::min(end, source.Length());
    if (end <= m_headerBytes.size()) {
        // A header shorter than the fields that give its length.
        m_headerBytes.Resize(static_cast<std::size_t>(end));
        return true;
    }
    // A header region that claims more than a share of the machine's memory is not read.
    static const std::uint64_t kLargestHeader = platform::UsableMemory() / 4;
    const std::size_t had = m_headerBytes.size();
    const auto want = static_cast<std::size_t>(end - had);
    try {
        if (end > kLargestHeader) throw std::bad_alloc();
        m_headerBytes.Resize(had + want);
    } catch (const std::bad_alloc&) {
        m_failure = ReadFailure(platform::FileError::TooLarge, m_strName);
        return false;
    }
    std::size_t got = 0;
    if (!source.ReadAt(had, m_headerBytes.data() + had, want, got)) {
        m_failure = ReadFailure(platform::FileError::ReadFailed, m_strName);
        return false;
    }
    m_headerBytes.Resize(had + got);
    return true;
}

std::optional<IndexPiece> IndexStream::NextPiece(std::size_t target, ReadBuffer spare) {
    if (!m_pWalk || m_pWalk->AtEnd()) return std::nullopt;
    IndexPiece piece;
    piece.start = m_pWalk->Position();
    piece.records.reserve(std::min<std::size_t>(target, kPieceTarget) / BLOCK_SIZE + 1);
    m_pWalk->SetReadAhead(target + kPieceSlack);
    // Whole records until the piece holds `target` bytes: a record larger than that makes
    // the piece larger, never beyond the file.
    while (m_pWalk->Position() - piece.start < target && m_pWalk->Next())
        if (m_pWalk->Record().kind != BlockKind::Unrecognised) piece.records.push_back(m_pWalk->Record());
    piece.bytes = m_pWalk->TakeBytes(std::move(spare));
    if (m_pWalk->Failure() != platform::FileError::None) m_failure = ReadFailure(m_pWalk->Failure(), m_strName);
    if (piece.bytes.empty()) return std::nullopt;
    return piece;
}

void IndexStream::WalkPiece(const IndexPiece& piece, const Visitor& visit) const {
    const ByteView bytes(piece.bytes);
    for (const WalkedRecord& found : piece.records) {
        const auto at = static_cast<std::size_t>(std::min<std::uint64_t>(found.offset - piece.start, bytes.size()));
        const ByteView held =
            bytes.subspan(at).first(static_cast<std::size_t>(std::min<std::uint64_t>(found.length, bytes.size() - at)));
        VisitRecord(found.kind, *m_pHeader, found.number, held, found.length, found.marks,
                    [&](const IndexRecord& record) { visit(record, found.offset); });
    }
}

Outcome IndexStream::Walk(const Visitor& visit) {
    while (const auto piece = NextPiece()) WalkPiece(*piece, visit);
    return m_failure;
}

}  // namespace tallowmark
