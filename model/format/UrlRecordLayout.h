#pragma once
// The URL record, and the LEAK record, which keeps its layout: the one structure whose
// fields the two versions place apart. Offsets from the record's first byte; all integers
// little-endian. Published notes on 4.7 put the directory index at 0x3C and the file
// name's offset at 0x40, where the list reads them as below; no real 4.7 file has been at
// hand to settle it, so the list keeps its reading and the 4.7 places of the fields past
// the list's are as published, unverified.

#include <cstddef>
#include <cstdint>

#include "model/format/FieldLayout.h"

namespace tallowmark::urlrecord {

// The fields line up in columns.
// clang-format off
inline constexpr std::size_t kNo = FieldLayout::kNoField;

//                                                          5.2   4.7  width  meaning
// FileTime: last modified (on the server, for a cached page).
inline constexpr FieldLayout kModifiedTime      = {0x08, 0x08, 8, 8};
// FileTime: last accessed.
inline constexpr FieldLayout kAccessedTime      = {0x10, 0x10, 8, 8};
// Expiry: a FAT date-time in 5.2, a FileTime in 4.7 (kFatTimeNever, kFileTimeNever: never).
inline constexpr FieldLayout kExpires           = {0x18, 0x18, 4, 8};
// The cached file's size, bytes.
inline constexpr FieldLayout kCachedSize        = {0x20, 0x20, 8, 4};
// u32: seconds exempt from scavenging.
inline constexpr FieldLayout kExemptDelta       = {0x2C, kNo,  4, 0};
// u32: the offset of the URL text, which only kUrlText names.
inline constexpr FieldLayout kUrlOffset         = {0x34, 0x38, 4, 4};
// u8: the cache directory's index in the header (0x80 and up: signed, none).
inline constexpr FieldLayout kCacheDirIndex     = {0x38, 0x44, 1, 1};
// u32: the offset of the cached file's name, a text.
inline constexpr FieldLayout kFileNameOffset    = {0x3C, 0x3C, 4, 4};
// u32: the cache entry flags (0x1 normal, 0x2 stable, 0x4 sticky, 0x8 edited, …).
inline constexpr FieldLayout kFlags             = {0x40, 0x44, 4, 4};
// u32: the offset of the HTTP header text, as the list reads it.
inline constexpr FieldLayout kHttpHeadersOffset = {0x44, 0x44, 4, 4};
// u32: the data area's offset (in 5.2 the same field as the headers') and its size: the
// response headers of a cached page, the entries of a visit.
inline constexpr FieldLayout kDataOffset        = {0x44, 0x48, 4, 4};
inline constexpr FieldLayout kDataSize          = {0x48, 0x4C, 4, 4};
// FAT date-time: last checked with the server.
inline constexpr FieldLayout kLastChecked       = {0x50, 0x54, 4, 4};
// u32: hits, the times the entry was used.
inline constexpr FieldLayout kHits              = {0x54, 0x58, 4, 4};
// FAT date-time: when the cached copy was written (0 where there is none).
inline constexpr FieldLayout kCacheFileCreated  = {0x5C, 0x60, 4, 4};
// The URL text, to its NUL, where kUrlOffset names this offset.
inline constexpr FieldLayout kUrlText           = {0x68, 0x68, 0, 0};

inline constexpr std::uint32_t kFatTimeNever = 0xFFFFFFFF;
inline constexpr std::uint64_t kFileTimeNever = 0x7FFFFFFFFFFFFFFF;

// clang-format on
}  // namespace tallowmark::urlrecord
