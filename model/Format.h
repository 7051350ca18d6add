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

enum class BlockKind { Url, Leak, Hash, Redirect, BadFood, Blank, Unrecognised };

struct BlockShape {
    BlockKind kind;
    std::uint64_t lengthInBytes;  // effective block count times BLOCK_SIZE; may exceed 32 bits
};

// Recognises the record at a block position from its 4 signature bytes and count field.
BlockShape RecogniseBlock(ByteView signature, std::uint32_t countField);

// Where the walk goes on after a record of `shape` at `position`; a length beyond 32
// bits ends the walk after that record.
std::uint64_t NextRecordPosition(std::uint64_t position, const BlockShape& shape);

}  // namespace tallowmark
