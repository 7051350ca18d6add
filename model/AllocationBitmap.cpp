#include "model/AllocationBitmap.h"

#include <algorithm>

namespace tallowmark {

AllocationBitmap::AllocationBitmap(ByteView header) {
    if (header.size() < kBitmapEnd) return;
    m_bits = header.subspan(kBitmapOffset, kBitmapEnd - kBitmapOffset);
    // Only the bits of the blocks the header counts are meaningful.
    m_qwBlocks = std::min<std::uint64_t>(ReadU32(header, kBlockCountOffset), m_bits.size() * 8);
}

BlockState AllocationBitmap::StateAt(std::uint64_t offset) const {
    if (offset < kBitmapFirstBlock || (offset - kBitmapFirstBlock) % BLOCK_SIZE != 0) return BlockState::Unknown;
    const std::uint64_t block = (offset - kBitmapFirstBlock) / BLOCK_SIZE;
    if (block >= m_qwBlocks) return BlockState::Unknown;
    return m_bits[static_cast<std::size_t>(block / 8)] >> (block % 8) & 1 ? BlockState::InUse : BlockState::Free;
}

}  // namespace tallowmark
