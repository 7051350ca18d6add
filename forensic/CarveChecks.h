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
// lie side by side with the first block, and only they are read. A record that lies
// within them is whole when it passes every check; one that reaches past them is judged
// by the blocks before that and is partial when those pass.
std::optional<Candidate> CheckCandidate(ByteView bytes, std::size_t together);

// The proven bytes of `candidate` as a record can be built over them: a partial record's
// copy has the offsets of the texts it does not hold whole set to zero.
std::vector<std::uint8_t> ProvenBytes(ByteView bytes, const Candidate& candidate);

struct FoundHeader {
    std::uint32_t headerLength = 0;  // where the first hash table is
    std::uint32_t fileSize = 0;      // as the file-size field records it
};

// The header of a whole index file, if the sector-aligned `bytes` start one whose fields
// agree with each other.
std::optional<FoundHeader> CheckFileHeader(ByteView bytes);

// Whether the sector at an image offset can begin a header at all: the quick test every
// sector goes through first (every block, whether it begins a record: HoldsEntrySignature).
inline bool MayBeHeader(const std::uint8_t* sector) {
    return ReadU32(ByteView(sector, 4), 0) == SignatureValue("Clie");
}

}  // namespace tallowmark::carve
