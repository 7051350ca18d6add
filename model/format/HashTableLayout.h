#pragma once
// The HASH record: one table of the chain that begins at the header's first hash table.
// Alike in versions 4.7 and 5.2; all integers little-endian.

#include <cstddef>
#include <cstdint>

#include "model/format/FieldLayout.h"

namespace tallowmark::hashtable {

// The fields line up in columns.
// clang-format off
//                                                 5.2   4.7  width  meaning
// u32: the file offset of the next table of the chain; 0 ends it.
inline constexpr FieldLayout kNextTable = {0x08, 0x08, 4, 4};
// u32: the table's sequence number.
inline constexpr FieldLayout kSequence  = {0x0C, 0x0C, 4, 4};
// From here to the record's end, entries of kEntrySize bytes each.
inline constexpr FieldLayout kEntries   = {0x10, 0x10, 8, 8};
inline constexpr std::size_t kEntrySize = 8;

// An entry: a hash value and the file offset of the record it finds.
inline constexpr FieldLayout kEntryHash   = {0x00, 0x00, 4, 4};  // u32
inline constexpr FieldLayout kEntryRecord = {0x04, 0x04, 4, 4};  // u32

// The low six bits of the hash value are one code: 1 (deleted) and 3 (free) mark an unused
// entry; 0, 2 (locked), 5 (a redirect) and 8 are in use. An entry whose hash value is one
// of the fillers, or equals its offset, is unused too.
inline constexpr std::uint32_t kCodeMask = 0x3F;
inline constexpr std::uint32_t kCodeDeleted = 1;
inline constexpr std::uint32_t kCodeFree = 3;
inline constexpr std::uint32_t kFreeDeadBeef = 0xDEADBEEF;

// clang-format on
}  // namespace tallowmark::hashtable
