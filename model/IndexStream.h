#pragma once
// One pass over a cache index file, front to back, holding only the header and a piece
// of the block area at a time: for batch work on files too many or too large to load
// whole. It finds exactly the records that loading a TallowmarkDoc finds, with the same
// numbers. The pieces can be walked on other threads while the next ones are read.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/IndexHeader.h"
#include "model/IndexRecord.h"
#include "model/Outcome.h"
#include "model/RecordExtent.h"
#include "platform/ReadOnlyFile.h"

namespace tallowmark {

// The message for a file that could not be opened or read, as loading gives it.
Outcome ReadFailure(platform::FileError error, const std::string& path);

// Bytes about to be read into: growing it leaves the new bytes unset, which matters for
// megabytes at a time.
class ReadBuffer {
public:
    ReadBuffer() = default;
    ReadBuffer(ReadBuffer&& other) noexcept { *this = std::move(other); }
    ReadBuffer& operator=(ReadBuffer&& other) noexcept {
        m_bytes = std::move(other.m_bytes);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
        return *this;
    }

    std::uint8_t* data() { return m_bytes.get(); }
    const std::uint8_t* data() const { return m_bytes.get(); }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    operator ByteView() const { return {m_bytes.get(), m_size}; }

    // Keeps the first min(size, new size) bytes; the others are unset.
    void Resize(std::size_t size);
    // Becomes a copy of `bytes`.
    void Assign(ByteView bytes);

private:
    std::unique_ptr<std::uint8_t[]> m_bytes;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// Whole records of the block area, as read from the file: the last one of the file may
// be cut short by its end, no other is.
struct IndexPiece {
    ReadBuffer bytes;
    std::uint64_t start = 0;        // file offset of bytes[0]
    std::uint32_t firstNumber = 0;  // walk-step number of the first record
    // Where records were cut short of their claims (rare): file offset and length, in order.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> cuts;
};

class IndexStream {
public:
    IndexStream() = default;
    IndexStream(const IndexStream&) = delete;
    IndexStream& operator=(const IndexStream&) = delete;

    // Opens the file and reads its header region; fails as loading a document would.
    Outcome Open(const std::string& path);
    // Null for an empty file.
    const IndexHeader* Header() const { return m_pHeader.get(); }
    bool IsVersion4() const { return m_pHeader && m_pHeader->IsVersion4(); }
    // The allocation bitmap and the hash tables, read at Open.
    const BlockEvidence& Evidence() const { return m_evidence; }
    // How much of what the file says of itself it does not hold: known once every piece
    // was read.
    FileShortfall Shortfall() const {
        FileShortfall shortfall = m_shortfall;
        shortfall.length = m_qwLength;
        return shortfall;
    }

    static constexpr std::size_t kPieceTarget = 1 << 20;
    // The next records, about `target` bytes of them (more if one record is larger);
    // nullopt at the end. A read error ends the pieces and shows in Failure(). The bytes
    // are read into `spare`, the bytes of a piece walked before, when one is given.
    std::optional<IndexPiece> NextPiece(std::size_t target = kPieceTarget, ReadBuffer spare = {});
    const Outcome& Failure() const { return m_failure; }

    // `record` and its bytes are good only during the call; `offset` is where it starts.
    using Visitor = std::function<void(const IndexRecord& record, std::uint64_t offset)>;
    // Calls `visit` for every record of a piece, in file order; safe on any thread.
    void WalkPiece(const IndexPiece& piece, const Visitor& visit) const;
    // Every piece in turn. Fails only if reading fails midway, after the records before
    // the failure were visited.
    Outcome Walk(const Visitor& visit);

private:
    // Makes `bytes` (which hold the file from `start`) reach `end` or the file's end. Asked
    // for every record, and nearly always there already.
    bool ReadUpTo(ReadBuffer& bytes, std::uint64_t start, std::uint64_t end) {
        return start + bytes.size() >= std::min(end, m_qwLength) || ReadMore(bytes, start, end);
    }
    bool ReadMore(ReadBuffer& bytes, std::uint64_t start, std::uint64_t end);

    std::string m_strPath;
    platform::SequentialFile m_file;
    std::uint64_t m_qwLength = 0;  // shortened if the file turns out shorter than it said
    ReadBuffer m_headerBytes;
    std::unique_ptr<IndexHeader> m_pHeader;
    BlockEvidence m_evidence;
    FileShortfall m_shortfall;
    std::uint64_t m_qwNext = 0;  // where the next piece starts
    std::uint32_t m_dwNextNumber = 0;
    ReadBuffer m_readAhead;  // bytes from m_qwNext on, read already
    Outcome m_failure;
};

}  // namespace tallowmark
