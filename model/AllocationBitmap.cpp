#include "model/AllocationBitmap.h"

#include <algorithm>
#include "model/format/FileHeaderLayout.h"

namespace tallowmark {

AllocationBitmap::AllocationBitmap(ByteView header) {
    if (header.size() < fileheader::kBitmapEnd) return;
    m_bits = header.subspan(fileheader::kBitmap.Offset(), fileheader::kBitmap.Width());
    // Only the bits of the blocks the header counts are meaningful.
    m_blocks = std::min<std::uint64_t>(ReadU32(header, fileheader::kBlockCount.Offset()), m_bits.size() * 8);
}

}  // namespace tallowmark
