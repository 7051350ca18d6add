#include "model/HashTables.h"

#include <algorithm>
#include <unordered_set>

namespace tallowmark {

HashTables HashTables::Read(const ReadAt& readAt, std::uint64_t fileLength, std::uint64_t firstTable,
                            std::uint64_t blockAreaStart) {
    HashTables tables;
    tables.m_qwStart = blockAreaStart;
    if (blockAreaStart < fileLength) {
        tables.m_qwBlocks = (fileLength - blockAreaStart + BLOCK_SIZE - 1) / BLOCK_SIZE;
        tables.m_targets.assign(static_cast<std::size_t>((tables.m_qwBlocks + 63) / 64), 0);
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
            break;
        }
        const std::uint64_t length = std::min(shape.lengthInBytes, fileLength - table);
        if (length > budget) {
            tables.m_end = ChainEnd::TooLong;
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
            for (; at + kHashEntrySize <= usable; at += kHashEntrySize) {
                const ByteView entry(chunk.data() + at, kHashEntrySize);
                const std::uint32_t hash = ReadU32(entry, 0), offset = ReadU32(entry, 4);
                if (!EntryInUse(hash, offset)) continue;
                ++tables.m_qwEntriesInUse;
                if (const std::uint64_t block = tables.BlockOf(offset); block < tables.m_qwBlocks)
                    tables.m_targets[static_cast<std::size_t>(block / 64)] |= std::uint64_t{1} << (block % 64);
            }
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
