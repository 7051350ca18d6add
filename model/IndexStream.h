#pragma once
// One pass over a cache index file, front to back, holding only the header and a piece
// of the block area at a time: for batch work on files too many or too large to load
// whole. Its walk is the one loading a TallowmarkDoc takes, so it finds exactly the
// records loading finds, with the same numbers. The walk decides where the records of a
// piece end as the piece is read; their records can then be built on other threads
// while the next pieces are read.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/ByteSource.h"
#include "model/IndexHeader.h"
#include "model/IndexRecord.h"
#include "model/Outcome.h"
#include "model/RecordWalk.h"
#include "platform/ReadOnlyFile.h"

namespace tallowmark {

// The message for a file that could not be opened or read, as loading gives it.
Outcome ReadFailure(platform::FileError error, const std::string& path);

// Whole records of the block area, as read from the file (the last one of the file may be
// cut short by its end, no other is), and where the walk found them.
struct IndexPiece {
    ReadBuffer bytes;
    std::uint64_t start = 0;            // file offset of bytes[0]
    std::vector<WalkedRecord> records;  // unrecognised blocks left out
};

class IndexStream {
public:
    IndexStream() = default;
    IndexStream(const IndexStream&) = delete;
    IndexStream& operator=(const IndexStream&) = delete;

    // Opens the file and reads its header region; fails as loading a document would.
    Outcome Open(const std::string& path);
    // The same for `source` (which outlives the stream), named `name` in messages.
    Outcome Open(ByteSource& source, const std::string& name);
    // Null for an empty file.
    const IndexHeader* Header() const { return m_pHeader.get(); }
    bool IsVersion4() const { return m_pHeader && m_pHeader->IsVersion4(); }
    // The allocation bitmap and the hash tables, read at Open.
    const BlockEvidence& Evidence() const { return m_evidence; }
    // How much of what the file says of itself it does not hold: known once every piece
    // was read.
    FileShortfall Shortfall() const { return m_pWalk ? m_pWalk->Shortfall() : FileShortfall{}; }

    static constexpr std::size_t kPieceTarget = 1 << 20;
    // The next records, about `target` bytes of them (more if one record is larger);
    // nullopt at the end. A read error ends the pieces and shows in Failure(). `spare`,
    // the bytes of a piece walked before, lends its room to the reading when given.
    std::optional<IndexPiece> NextPiece(std::size_t target = kPieceTarget, ReadBuffer spare = {});
    const Outcome& Failure() const { return m_failure; }

    // `record` and its bytes are good only during the call; `offset` is where it starts.
    using Visitor = std::function<void(const IndexRecord& record, std::uint64_t offset)>;
    // Builds every record of a piece in turn and calls `visit` with it, in file order;
    // safe on any thread.
    void WalkPiece(const IndexPiece& piece, const Visitor& visit) const;
    // Every piece in turn. Fails only if reading fails midway, after the records before
    // the failure were visited.
    Outcome Walk(const Visitor& visit);

private:
    // Reads the header region's first `end` bytes from `source` (fewer in a shorter file).
    bool ReadHeaderBytes(ByteSource& source, std::uint64_t end);

    std::string m_strName;
    std::unique_ptr<ByteSource> m_pFile;  // the file opened by path
    ReadBuffer m_headerBytes;
    std::unique_ptr<IndexHeader> m_pHeader;
    BlockEvidence m_evidence;
    std::unique_ptr<RecordWalk> m_pWalk;
    Outcome m_failure;
};

}  // namespace tallowmark
