#include "model/HashTables.h"

#include <algorithm>
#include <unordered_set>

#include "model/ByteSource.h"

namespace tallowmark {

namespace {
using hashtable::kEntrySize;
constexpr std::size_t kEntriesStart = hashtable::kEntries.Offset();
}  // namespace

std::uint64_t HashTables::MarkEntries(ByteView entries) {
    // Tens of thousands of entries a file: the loop keeps what it needs at hand.
    std::uint64_t* const bits = m_targets.data();
    const std::uint64_t start = m_start, blocks = m_blocks;
    std::uint64_t inUse = 0;
    const std::uint8_t* entry = entries.data();
    for (std::size_t left = entries.size() / kEntrySize; left > 0; --left, entry += kEntrySize) {
        const std::uint32_t hash = ReadU32(ByteView(entry, kEntrySize), hashtable::kEntryHash.Offset());
        const std::uint32_t offset = ReadU32(ByteView(entry, kEntrySize), hashtable::kEntryRecord.Offset());
        if (!EntryInUse(hash, offset)) continue;
        ++inUse;
        const std::uint64_t block = (std::uint64_t{offset} - start) / BLOCK_SIZE;
        if (offset >= start && (offset - start) % BLOCK_SIZE == 0 && block < blocks)
            bits[static_cast<std::size_t>(block / 64)] |= std::uint64_t{1} << (block % 64);
    }
    return inUse;
}

bool HashTables::PointsInsideSlowly(std::uint64_t position, std::uint64_t length) const {
    for (std::uint64_t at = BLOCK_SIZE; at < length; at += BLOCK_SIZE)
        if (PointsAt(position + at)) return true;
    return false;
}

HashTables HashTables::Read(ByteSource& source, std::uint64_t firstTable, std::uint64_t blockAreaStart) {
    const std::uint64_t fileLength = source.Length();
    auto readAt = [&](std::uint64_t offset, std::uint8_t* into, std::size_t count) {
        std::size_t got = 0;
        return source.ReadAt(offset, into, count, got) ? got : std::size_t{0};
    };
    HashTables tables;
    tables.m_start = blockAreaStart;
    if (blockAreaStart < fileLength) {
        tables.m_blocks = (fileLength - blockAreaStart + BLOCK_SIZE - 1) / BLOCK_SIZE;
        tables.m_targets.assign(static_cast<std::size_t>((tables.m_blocks + 63) / 64 + 1), 0);
    }
    // However the chain runs, it reads no more than the file holds, and each table once.
    std::uint64_t budget = fileLength;
    std::unordered_set<std::uint64_t> visited;
    constexpr std::size_t kChunk = 64 << 10;  // a multiple of the entry size
    std::vector<std::uint8_t> chunk(kChunk);
    for (std::uint64_t table = firstTable; table != 0;) {
        if (table >= fileLength) {
            tables.m_end = ChainEnd::PastTheFile;
            break;
        }
        if (!visited.insert(table).second) {
            tables.m_end = ChainEnd::Loop;
            break;
        }
        // The table's first bytes, and with them all of a table of the usual size.
        constexpr std::size_t kUsualTable = 32 * BLOCK_SIZE;
        std::size_t got = readAt(table, chunk.data(),
                                 static_cast<std::size_t>(std::min<std::uint64_t>(kUsualTable, fileLength - table)));
        const ByteView start(chunk.data(), got);
        const BlockShape shape = RecogniseBlockAt(start);
        if (got < kEntriesStart || shape.kind != BlockKind::Hash) {
            tables.m_end = ChainEnd::NotATable;
            tables.m_endTable = table;
            break;
        }
        const std::uint64_t length = std::min(shape.lengthInBytes, fileLength - table);
        if (length > budget) {
            tables.m_end = ChainEnd::TooLong;
            tables.m_endTable = table;
            break;
        }
        budget -= length;
        ++tables.m_tables;
        const std::uint64_t next = ReadU32(start, hashtable::kNextTable.Offset());
        // Entries from kEntriesStart to the table's end, a chunk at a time.
        std::uint64_t chunkStart = table;
        std::size_t at = kEntriesStart;
        for (;;) {
            const std::uint64_t usable = std::min<std::uint64_t>(got, table + length - chunkStart);
            const std::size_t whole = (static_cast<std::size_t>(usable) - at) / kEntrySize * kEntrySize;
            tables.m_entriesInUse += tables.MarkEntries(ByteView(chunk.data() + at, whole));
            at += whole;
            chunkStart += at;
            if (chunkStart + kEntrySize > table + length) break;
            got = readAt(chunkStart, chunk.data(),
                         static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, table + length - chunkStart)));
            at = 0;
            if (got < kEntrySize) break;
        }
        tables.m_end = ChainEnd::Complete;
        table = next;
    }
    return tables;
}

}  // namespace tallowmark
