#pragma once
// The on-disk layout of a cache index file, as far as Tallowmark reads it.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace tallowmark {

using ByteView = std::span<const std::uint8_t>;

inline constexpr std::uint32_t BLOCK_SIZE = 128;
inline constexpr std::string_view HEADER_SIGNATURE = "Client UrlCache";
inline constexpr std::uint32_t BAD_FOOD_PATTERN = 0x0BADF00D;

// Header fields.
inline constexpr std::size_t kFileSizeFieldOffset = 0x1C;
inline constexpr std::size_t kFirstHashTableOffset = 0x20;
inline constexpr std::size_t kCacheDirNamesOffset = 0x50;
inline constexpr std::size_t kCacheDirEntryStep = 12;
inline constexpr std::size_t kCacheDirNameLength = 8;
// What the header tells of the container beyond the list's fields.
inline constexpr std::size_t kBlockCountOffset = 0x24;         // u32, blocks of the block area (from 0x4000)
inline constexpr std::size_t kBlocksInUseOffset = 0x28;        // u32
inline constexpr std::size_t kCacheLimitOffset = 0x30;         // u64, bytes
inline constexpr std::size_t kCacheSizeOffset = 0x38;          // u64, bytes of cached files
inline constexpr std::size_t kExemptSizeOffset = 0x40;         // u64, bytes exempt from scavenging
inline constexpr std::size_t kCacheDirCountOffset = 0x48;      // u32
inline constexpr std::size_t kCacheDirFileCountOffset = 0x4C;  // u32 per directory, kCacheDirEntryStep apart
// The allocation bitmap: one bit per block from kBitmapFirstBlock on, least significant first.
inline constexpr std::size_t kBitmapOffset = 0x250;
inline constexpr std::size_t kBitmapEnd = 0x4000;
inline constexpr std::uint64_t kBitmapFirstBlock = 0x4000;

// URL / LEAK record fields.
inline constexpr std::size_t kModifiedTimeOffset = 0x08;
inline constexpr std::size_t kAccessedTimeOffset = 0x10;
inline constexpr std::size_t kUrlOffsetFieldV5 = 0x34;
inline constexpr std::size_t kCacheDirIndexV5 = 0x38;
inline constexpr std::size_t kUrlOffsetFieldV4 = 0x38;
inline constexpr std::size_t kFileNameOffsetField = 0x3C;
inline constexpr std::size_t kHttpHeadersOffsetField = 0x44;
inline constexpr std::size_t kCacheDirIndexV4 = 0x44;
inline constexpr std::uint32_t kUrlTextOffset = 0x68;

// REDR record field.
inline constexpr std::size_t kRedirectUrlOffset = 0x10;

// HASH record fields: the chain of tables, and 8-byte entries from kHashEntriesOffset on.
inline constexpr std::size_t kHashNextTableOffset = 0x08;
inline constexpr std::size_t kHashEntriesOffset = 0x10;
inline constexpr std::size_t kHashEntrySize = 8;  // u32 hash value, u32 record offset
// The low six bits of an entry's hash value are one code: 1 (deleted) and 3 (free) mark an
// unused entry; 0, 2 (locked), 5 (a redirect) and 8 are in use.
inline constexpr std::uint32_t kHashCodeMask = 0x3F;
inline constexpr std::uint32_t kHashCodeDeleted = 1;
inline constexpr std::uint32_t kHashCodeFree = 3;
inline constexpr std::uint32_t kHashFreeDeadBeef = 0xDEADBEEF;

// The fields of a URL record past the list's, where each layout keeps them; 0 where a
// layout has none.
struct UrlFieldLayout {
    std::size_t expires;  // FAT date-time in 5.2, FileTime in 4.7
    bool expiresIsFileTime;
    std::size_t cachedSize;  // bytes of the cached file
    std::size_t cachedSizeWidth;
    std::size_t exemptDelta;       // u32 seconds exempt from scavenging
    std::size_t flags;             // u32 cache entry flags
    std::size_t dataOffset;        // u32, within the record; the list's header offset in 5.2
    std::size_t dataSize;          // u32
    std::size_t lastChecked;       // FAT date-time
    std::size_t hits;              // u32
    std::size_t cacheFileCreated;  // FAT date-time: when the cached copy was written
};
inline constexpr UrlFieldLayout kUrlFieldsV5{0x18, false, 0x20, 8, 0x2C, 0x40, 0x44, 0x48, 0x50, 0x54, 0x5C};
// As published for 4.7; no real file of that version has been at hand to check them.
inline constexpr UrlFieldLayout kUrlFieldsV4{0x18, true, 0x20, 4, 0, 0x44, 0x48, 0x4C, 0x54, 0x58, 0x60};
inline constexpr std::uint32_t kFatTimeNever = 0xFFFFFFFF;
inline constexpr std::uint64_t kFileTimeNever = 0x7FFFFFFFFFFFFFFF;

// Little-endian reads that never leave `bytes`: bytes beyond its end read as zero,
// so a field cut short by the end of a file or header reads as far as it exists.
std::uint64_t ReadLittleEndian(ByteView bytes, std::size_t offset, std::size_t width);

// The same for whole fields, inline since walks read several fields of every record.
template <class Field>
Field ReadField(ByteView bytes, std::size_t offset) {
    if (std::endian::native == std::endian::little && offset < bytes.size() && bytes.size() - offset >= sizeof(Field)) {
        Field value;
        std::memcpy(&value, bytes.data() + offset, sizeof(Field));
        return value;
    }
    return static_cast<Field>(ReadLittleEndian(bytes, offset, sizeof(Field)));
}
inline std::uint32_t ReadU32(ByteView bytes, std::size_t offset) { return ReadField<std::uint32_t>(bytes, offset); }
inline std::uint64_t ReadU64(ByteView bytes, std::size_t offset) { return ReadField<std::uint64_t>(bytes, offset); }

// The NUL-terminated text at `offset`, ended at the end of `bytes` at the latest.
std::string_view TextAt(ByteView bytes, std::size_t offset);

// Whether a file starting with `start` begins with HEADER_SIGNATURE.
bool HasHeaderSignature(ByteView start);
// The header length H: the first hash table's offset, or the file-size field when that
// offset is 0. `start` needs to hold the first 0x24 bytes; missing ones read as zero.
std::uint64_t HeaderLengthOf(ByteView start);
inline constexpr std::size_t kHeaderFieldsEnd = kFirstHashTableOffset + 4;

enum class BlockKind : std::uint8_t { Url, Leak, Hash, Redirect, BadFood, Blank, Unrecognised };

struct BlockShape {
    BlockKind kind;
    std::uint64_t lengthInBytes;  // effective block count times BLOCK_SIZE; may exceed 32 bits
};

// The four letters of a record signature as ReadU32 reads them.
constexpr std::uint32_t SignatureValue(const char (&text)[5]) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(text[i]);
    return value;
}

// Recognises the record at a block position from its 4 signature bytes and count field.
BlockShape RecogniseBlock(ByteView signature, std::uint32_t countField);
// Whether the block at the start of `bytes` begins a URL, LEAK or REDR record; inline, as
// the carver asks it of every block of an image.
inline bool HoldsEntrySignature(ByteView bytes) {
    const std::uint32_t signature = ReadU32(bytes, 0);
    return signature == SignatureValue("URL ") || signature == SignatureValue("LEAK") ||
           signature == SignatureValue("REDR");
}

// Where the walk goes on after a record of `shape` at `position`; a length beyond 32
// bits ends the walk after that record.
inline std::uint64_t NextRecordPosition(std::uint64_t position, const BlockShape& shape) {
    return shape.lengthInBytes > UINT32_MAX ? UINT64_MAX : position + shape.lengthInBytes;
}

}  // namespace tallowmark
