#pragma once
// The chain of hash tables: from the header's first table, each HASH record names the
// next, and its 8-byte entries point at the records the browser can find. An entry in
// use that points at a record says the browser still knew it: a live record normally is,
// a deleted one may be through a stale entry, a LEAK record never is. The chain is read
// defensively: a table past the file, one that is no HASH record, a chain that comes
// back to a table read before, or one that would read more than the file holds, ends it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "model/Format.h"

namespace tallowmark {

class HashTables {
public:
    // Reads up to `count` bytes at `offset` into `into`; fewer at the end of the file, 0
    // when it cannot.
    using ReadAt = std::function<std::size_t(std::uint64_t offset, std::uint8_t* into, std::size_t count)>;

    enum class ChainEnd : std::uint8_t { Complete, PastTheFile, NotATable, Loop, TooLong };

    HashTables() = default;
    // Follows the chain from `firstTable` in a file of `fileLength` bytes, whose records
    // start at `blockAreaStart` and every 128 bytes after it.
    static HashTables Read(const ReadAt& readAt, std::uint64_t fileLength, std::uint64_t firstTable,
                           std::uint64_t blockAreaStart);

    // Whether an entry in use points at the block at `offset` of the block area.
    bool PointsAt(std::uint64_t offset) const {
        const std::uint64_t block = BlockOf(offset);
        return block < m_qwBlocks && (m_targets[block / 64] >> (block % 64) & 1);
    }

    // Whether an entry in use points at a block after the first of the `length` bytes
    // from `position` (a record's start in the block area). Asked of every record a walk
    // steps over, so the usual claim of fewer than 64 blocks takes no branch on its length.
    bool PointsInside(std::uint64_t position, std::uint64_t length) const {
        // The blocks after the first: fewer than 64 for nearly every claim (an empty claim wraps).
        const std::uint64_t inside = (length + BLOCK_SIZE - 1) / BLOCK_SIZE - 1;
        if (position < m_qwStart || inside > 63) return PointsInsideSlowly(position, length);
        const std::uint64_t first = (position - m_qwStart) / BLOCK_SIZE + 1;
        if (first / 64 + 1 >= m_targets.size()) return PointsInsideSlowly(position, length);
        const std::size_t word = static_cast<std::size_t>(first / 64);
        const unsigned shift = static_cast<unsigned>(first % 64);
        // The 64 bits from `first` on; the padding word past the end is zero.
        const std::uint64_t bits = m_targets[word] >> shift | (m_targets[word + 1] << 1) << (63 - shift);
        return (bits & ((std::uint64_t{1} << inside) - 1)) != 0;
    }

    std::size_t TableCount() const { return m_tables; }
    std::uint64_t EntriesInUse() const { return m_qwEntriesInUse; }
    ChainEnd End() const { return m_end; }
    // Where the chain ended, when it ended at a table that was none or would read too
    // much: that table's offset; 0 otherwise.
    std::uint64_t EndTable() const { return m_qwEndTable; }

    // Whether an entry is in use: not when its value equals its offset, is one of the
    // fillers, or its code says deleted or free.
    static bool EntryInUse(std::uint32_t hash, std::uint32_t offset) {
        const std::uint32_t code = hash & kHashCodeMask;
        return offset != hash && hash != BAD_FOOD_PATTERN && hash != kHashFreeDeadBeef && code != kHashCodeDeleted &&
               code != kHashCodeFree;
    }

private:
    // Marks the blocks the entries in use point at; returns how many are in use.
    std::uint64_t MarkEntries(ByteView entries);
    bool PointsInsideSlowly(std::uint64_t position, std::uint64_t length) const;
    std::uint64_t BlockOf(std::uint64_t offset) const {
        if (offset < m_qwStart || (offset - m_qwStart) % BLOCK_SIZE != 0) return UINT64_MAX;
        return (offset - m_qwStart) / BLOCK_SIZE;
    }

    std::uint64_t m_qwStart = 0;
    std::uint64_t m_qwBlocks = 0;
    std::vector<std::uint64_t> m_targets;  // one bit per block of the block area, and a word of zeros
    std::size_t m_tables = 0;
    std::uint64_t m_qwEntriesInUse = 0;
    ChainEnd m_end = ChainEnd::Complete;
    std::uint64_t m_qwEndTable = 0;
};

}  // namespace tallowmark
