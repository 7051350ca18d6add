#pragma once
// The allocation bitmap of the header: one bit per 128-byte block from 0x4000 on, set for
// a block in use. A record whose first block is clear was freed: deleted, its bytes left
// behind. Where the bitmap maps no block (a header region too short to hold it, a block
// past those the header counts, a block off the bitmap's grid) it says nothing.

#include <cstdint>

#include "model/Format.h"
#include "model/format/FileHeaderLayout.h"

namespace tallowmark {

enum class BlockState : std::uint8_t { Unknown, InUse, Free };

class AllocationBitmap {
public:
    // Maps nothing.
    AllocationBitmap() = default;
    // `header` is the header region as the file holds it.
    explicit AllocationBitmap(ByteView header);

    BlockState StateAt(std::uint64_t offset) const {
        if (offset < fileheader::kBitmapFirstBlock || (offset - fileheader::kBitmapFirstBlock) % BLOCK_SIZE != 0)
            return BlockState::Unknown;
        const std::uint64_t block = (offset - fileheader::kBitmapFirstBlock) / BLOCK_SIZE;
        if (block >= m_blocks) return BlockState::Unknown;
        return m_bits[static_cast<std::size_t>(block / 8)] >> (block % 8) & 1 ? BlockState::InUse : BlockState::Free;
    }
    bool InUse(std::uint64_t offset) const { return StateAt(offset) == BlockState::InUse; }
    // How many blocks it maps.
    std::uint64_t BlocksMapped() const { return m_blocks; }

private:
    ByteView m_bits;
    std::uint64_t m_blocks = 0;
};

}  // namespace tallowmark
