#include "model/AllocationBitmap.h"

#include <algorithm>

namespace tallowmark {

AllocationBitmap::AllocationBitmap(ByteView header) {
    if (header.size() < kBitmapEnd) return;
    m_bits = header.subspan(kBitmapOffset, kBitmapEnd - kBitmapOffset);
    // Only the bits of the blocks the header counts are meaningful.
    m_qwBlocks = std::min<std::uint64_t>(ReadU32(header, kBlockCountOffset), m_bits.size() * 8);
}

}  // namespace tallowmark
