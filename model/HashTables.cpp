#include "model/HashTables.h"

#include <algorithm>
#include <unordered_set>

namespace tallowmark {

std::uint64_t HashTables::MarkEntries(ByteView entries) {
    // Tens of thousands of entries a file: the loop keeps what it needs at hand.
    std::uint64_t* const bits = m_targets.data();
    const std::uint64_t start = m_qwStart, blocks = m_qwBlocks;
    std::uint64_t inUse = 0;
    const std::uint8_t* entry = entries.data();
    for (std::size_t left = entries.size() / kHashEntrySize; left > 0; --left, entry += kHashEntrySize) {
        const std::uint32_t hash = ReadU32(ByteView(entry, kHashEntrySize), 0);
        const std::uint32_t offset = ReadU32(ByteView(entry, kHashEntrySize), 4);
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

HashTables HashTables::Read(const ReadAt& readAt, std::uint64_t fileLength, std::uint64_t firstTable,
                            std::uint64_t blockAreaStart) {
    HashTables tables;
    tables.m_qwStart = blockAreaStart;
    if (blockAreaStart < fileLength) {
        tables.m_qwBlocks = (fileLength - blockAreaStart + BLOCK_SIZE - 1) / BLOCK_SIZE;
        tables.m_targets.assign(static_cast<std::size_t>((tables.m_qwBlocks + 63) / 64 + 1), 0);
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
        const BlockShape shape = RecogniseBlock(start.first(std::min<std::size_t>(4, got)), ReadU32(start, 4));
        if (got < kHashEntriesOffset || shape.kind != BlockKind::Hash) {
            tables.m_end = ChainEnd::NotATable;
            tables.m_qwEndTable = table;
            break;
        }
        const std::uint64_t length = std::min(shape.lengthInBytes, fileLength - table);
        if (length > budget) {
            tables.m_end = ChainEnd::TooLong;
            tables.m_qwEndTable = table;
            break;
        }
        budget -= length;
        ++tables.m_tables;
        const std::uint64_t next = ReadU32(start, kHashNextTableOffset);
        // Entries from kHashEntriesOffset to the table's end, a chunk at a time.
        std::uint64_t chunkStart = table;
        std::size_t at = kHashEntriesOffset;
        for (;;) {
            const std::uint64_t usable = std::min<std::uint64_t>(got, table + length - chunkStart);
            const std::size_t whole = (static_cast<std::size_t>(usable) - at) / kHashEntrySize * kHashEntrySize;
            tables.m_qwEntriesInUse += tables.MarkEntries(ByteView(chunk.data() + at, whole));
            at += whole;
            chunkStart += at;
            if (chunkStart + kHashEntrySize > table + length) break;
            got = readAt(chunkStart, chunk.data(),
                         static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, table + length - chunkStart)));
            at = 0;
            if (got < kHashEntrySize) break;
        }
        tables.m_end = ChainEnd::Complete;
        table = next;
    }
    return tables;
}

}  // namespace tallowmark
