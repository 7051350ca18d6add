#pragma once
// The limits the carver judges candidates by, in one place. Each was set from the real
// index files (three of them, 1,100 records) and from the noise a disk or memory image is
// full of; the comment beside each says why it is where it is.

#include <cstddef>
#include <cstdint>

#include "model/Format.h"

namespace tallowmark::carve {

// A URL, LEAK or REDR record claims at most this many blocks. The largest in the real
// files is 7 (896 bytes); a URL is at most 2,083 characters in the browser that writes these
// files and its response headers a few KiB, so no real record comes near 64 blocks. The
// limit leaves four times that; a record starting near the end of a piece of the image
// is read again this far.
inline constexpr std::uint32_t kMostRecordBlocks = 256;
inline constexpr std::uint64_t kMostRecordBytes = std::uint64_t{kMostRecordBlocks} * BLOCK_SIZE;

// Where the fixed fields of a URL or LEAK record end and its texts may begin: every text
// offset of a real record is at least this (the URL itself starts here).
inline constexpr std::uint32_t kFirstTextOffset = kUrlTextOffset;

// The filler the writer leaves in fields it never set: a LEAK record may hold it as its
// URL, file-name, header offset and data size (the leak sample's first LEAK does).
inline constexpr std::uint32_t kUnsetField = 0xDEADBEEF;

// A REDR record's target starts with its scheme and a colon ("http:", "https:"): the
// colon comes within this many characters. A REDR record has no other field to prove it
// by, and text that merely contains "REDR" seldom has a colon that early after letters
// only. (URL records need no scheme: some hold file names, such as ClickOnce log entries.)
inline constexpr std::uint32_t kMostSchemeLength = 32;

// A URL record's two times are zero or fall in these years (FileTime, 100 ns since 1601):
// the real files hold the 1970 epoch and times up to 2015; anything outside is noise.
inline constexpr std::uint64_t kEarliestTime = 116'444'736'000'000'000ull;  // 1970-01-01
inline constexpr std::uint64_t kLatestTime = 157'469'184'000'000'000ull;    // 2100-01-01

// A whole index file's header starts on a sector boundary.
inline constexpr std::uint64_t kSectorSize = 512;

// Bytes that certainly lie side by side in an image: a sector's. Files get clusters of
// 4 KiB (NTFS's default and most others'), but counted from their partition's start,
// which need not lie at a multiple of 4 KiB in the image (a partition at sector 63); only
// sectors are sure. A loose record reaching past its first sector may continue
// elsewhere: it is partial, as long as the part inside that sector, and nothing past it
// is read.
inline constexpr std::uint64_t kContiguousUnit = kSectorSize;

// Within a found file, clusters count from its start: the unit in which a file's blocks
// stop being its own.
inline constexpr std::uint64_t kClusterSize = 4096;
// A found file's header region ends where its first hash table begins: at 0x4000 or
// 0x5000 in the real files, and never before the bitmap's end at 0x4000. A header
// claiming more than this is noise.
inline constexpr std::uint32_t kMostHeaderLength = 0x10000;
// The version text ("Client UrlCache MMF Ver 5.2") ends with its NUL before the file-size
// field at 0x1C.
inline constexpr std::size_t kVersionTextEnd = kFileSizeFieldOffset;

// How much of an image one piece of work reads: small enough that the bytes the system
// has just copied in are still in the core's cache when they are judged (reading 2 GiB
// in pieces of 256 KiB was 1.3 times faster than in pieces of 4 MiB), large enough that
// the reads are few.
inline constexpr std::size_t kPieceBytes = 256 << 10;

}  // namespace tallowmark::carve
