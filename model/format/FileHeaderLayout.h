#pragma once
// The header region of an index file, from offset 0 to the first hash table: alike in
// versions 4.7 and 5.2. All integers little-endian.

#include <cstddef>
#include <cstdint>

#include "model/format/FieldLayout.h"

namespace tallowmark::fileheader {

// The fields line up in columns.
// clang-format off
//                                                       5.2    4.7  width  meaning
// "Client UrlCache MMF Ver 5.2": the signature (its first 15 bytes) and the version, to a NUL.
inline constexpr FieldLayout kVersionText    = {0x00,  0x00,  28, 28};
// u32: the file's size as it records it; the header length when kFirstHashTable holds 0.
inline constexpr FieldLayout kFileSize       = {0x1C,  0x1C,  4,  4};
// u32: the offset of the first hash table, where the header region ends and the walk begins.
inline constexpr FieldLayout kFirstHashTable = {0x20,  0x20,  4,  4};
// u32: blocks in the block area, counted from kBitmapFirstBlock.
inline constexpr FieldLayout kBlockCount     = {0x24,  0x24,  4,  4};
inline constexpr FieldLayout kBlocksInUse    = {0x28,  0x28,  4,  4};  // u32
inline constexpr FieldLayout kCacheLimit     = {0x30,  0x30,  8,  8};  // u64: the cache's size limit, bytes
inline constexpr FieldLayout kCacheSize      = {0x38,  0x38,  8,  8};  // u64: bytes of cached files in the container
inline constexpr FieldLayout kExemptSize     = {0x40,  0x40,  8,  8};  // u64: bytes exempt from scavenging
inline constexpr FieldLayout kCacheDirCount  = {0x48,  0x48,  4,  4};  // u32: cache directories n
// Cache directory i, for i below n, kCacheDirStep · i further on: the files in it, and
// its name of up to 8 characters (ended early by a NUL, if it holds one).
inline constexpr FieldLayout kCacheDirFiles  = {0x4C,  0x4C,  4,  4};  // u32
inline constexpr FieldLayout kCacheDirName   = {0x50,  0x50,  8,  8};  // characters
inline constexpr std::size_t kCacheDirStep = 12;
// The allocation bitmap, to kBitmapEnd: one bit per block from kBitmapFirstBlock on,
// least significant bit first, set for a block in use.
inline constexpr FieldLayout kBitmap         = {0x250, 0x250, 0x4000 - 0x250, 0x4000 - 0x250};
inline constexpr std::size_t kBitmapEnd = 0x4000;
inline constexpr std::uint64_t kBitmapFirstBlock = 0x4000;

// The bytes that say how long the header region is.
inline constexpr std::size_t kFieldsEnd = kFirstHashTable.Offset() + 4;

// clang-format on
}  // namespace tallowmark::fileheader
