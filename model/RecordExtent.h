#pragma once
// Where a record ends. A deleted record's block count may still claim blocks that a live
// record took over after it was freed; a walk that steps over the whole count loses the
// live record. So a deleted record ends before the first block of its claim that the
// bitmap marks in use, and no record runs over a block that a hash entry in use points
// at and that begins a URL, LEAK or REDR record. A record cut this way is partial. Both
// walks, the loaded document's and the streamed one's, ask here.

#include <cstdint>

#include "model/AllocationBitmap.h"
#include "model/Format.h"
#include "model/HashTables.h"
#include "model/IndexHeader.h"
#include "model/RecordMarks.h"

namespace tallowmark {

// What the header and the hash tables say of the blocks, read once per file before its walk.
struct BlockEvidence {
    AllocationBitmap bitmap;
    HashTables hashTables;
};

struct RecordExtent {
    BlockShape shape;  // the kind, and the length the record takes
    RecordMarks marks;
};

// Reads the bitmap from `header` and follows the hash-table chain from the header's first
// table, in a file of `fileLength` bytes whose block area starts where the header ends.
BlockEvidence ReadBlockEvidence(const IndexHeader& header, std::uint64_t fileLength, const HashTables::ReadAt& readAt);

// The record of `claimed` at `position`; `held` is what the file holds of its claim, or
// less when `cutWhereHeldEnds`: a look at more of the file found another record there.
RecordExtent ExtentOf(const BlockEvidence& evidence, std::uint64_t position, const BlockShape& claimed, ByteView held,
                      bool cutWhereHeldEnds = false);

}  // namespace tallowmark
