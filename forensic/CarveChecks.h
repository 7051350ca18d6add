#pragma once
// Whether the bytes at a block boundary of an image are a URL, LEAK or REDR record, or
// the header of a whole index file: every check the format allows, so that text, code,
// other caches and random bytes give none. The limits are in forensic/CarveLimits.h.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/Format.h"

namespace tallowmark::carve {

// Header fields a found file is judged and walked by.
inline constexpr std::size_t kBlockAreaBlocksOffset = 0x24;  // blocks from 0x4000 on
inline constexpr std::size_t kBlocksInUseOffset = 0x28;
inline constexpr std::size_t kAllocationBitmapOffset = 0x250;  // one bit per block from 0x4000
// URL and LEAK record fields the checks read beyond the list's.
inline constexpr std::size_t kDataSizeFieldV5 = 0x48;
// HASH record fields.
inline constexpr std::size_t kNextHashTableOffset = 0x08;
inline constexpr std::size_t kFirstHashEntryOffset = 0x10;

enum class Layout { Version5, Version4 };

struct Candidate {
    BlockKind kind = BlockKind::Unrecognised;
    Layout layout = Layout::Version5;
    std::uint64_t size = 0;    // the record's length as its block count claims it
    std::size_t proven = 0;    // bytes that passed: `size`, or the first blocks of a partial record
    bool fileNameCut = false;  // a partial record whose file name or headers its proven
    bool headersCut = false;   // blocks do not hold whole: left out of its fields
    bool Partial() const { return proven < size; }
};

// The record whose first block starts `bytes`, if it is one. `bytes` reach as far as the
// image is at hand; only their first `together` bytes (at least one block) are known to
// lie side by side with the first block. A record that passes every check whole is
// whole; one that fails but reaches past `together` is judged by the blocks before that
// and is partial when those pass.
std::optional<Candidate> CheckCandidate(ByteView bytes, std::size_t together);

// The proven bytes of `candidate` as a record can be built over them: a partial record's
// copy has the offsets of the texts it does not hold whole set to zero.
std::vector<std::uint8_t> ProvenBytes(ByteView bytes, const Candidate& candidate);

struct FoundHeader {
    std::uint32_t headerLength = 0;  // where the first hash table is
    std::uint32_t fileSize = 0;      // as the file-size field records it
    std::uint32_t blocks = 0;        // blocks the bitmap maps
};

// The header of a whole index file, if the sector-aligned `bytes` start one whose fields
// agree with each other.
std::optional<FoundHeader> CheckFileHeader(ByteView bytes);

// Whether bytes starting at an image offset can hold a header or a record at all: the
// quick test every block position goes through first.
inline bool MayBeRecord(const std::uint8_t* block) {
    const std::uint32_t signature = ReadU32(ByteView(block, 4), 0);
    return signature == 0x204C5255u /* "URL " */ || signature == 0x4B41454Cu /* "LEAK" */ ||
           signature == 0x52444552u /* "REDR" */;
}
inline bool MayBeHeader(const std::uint8_t* sector) {
    return ReadU32(ByteView(sector, 4), 0) == 0x65696C43u /* "Clie" */;
}

}  // namespace tallowmark::carve
