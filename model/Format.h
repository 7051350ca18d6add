#pragma once
// The blocks and records of a cache index file, and reading them. Each structure's fields
// are in its own header in model/format/.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "model/format/FieldLayout.h"

namespace tallowmark {

using ByteView = std::span<const std::uint8_t>;

inline constexpr std::uint32_t BLOCK_SIZE = 128;
inline constexpr std::string_view HEADER_SIGNATURE = "Client UrlCache";
inline constexpr std::uint32_t BAD_FOOD_PATTERN = 0x0BADF00D;

// Every record begins alike in both versions.                       5.2   4.7  width
inline constexpr FieldLayout kRecordSignature = {0x00, 0x00, 4, 4};   // four letters, or a filler
inline constexpr FieldLayout kRecordBlockCount = {0x04, 0x04, 4, 4};  // u32: the length in blocks

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

// The value of a numeric field of a structure of `version`, as wide as it is there; 0
// where that version keeps no such field.
inline std::uint64_t FieldValue(ByteView bytes, const FieldLayout& field, FormatVersion version) {
    const std::size_t offset = field.In(version);
    switch (field.WidthIn(version)) {
        case 8: return ReadU64(bytes, offset);
        case 4: return ReadU32(bytes, offset);
        case 1: return offset < bytes.size() ? bytes[offset] : 0;
        default: return ReadLittleEndian(bytes, offset, field.WidthIn(version));
    }
}

// The NUL-terminated text at `offset`, ended at the end of `bytes` at the latest.
std::string_view TextAt(ByteView bytes, std::size_t offset);

// Whether a file starting with `start` begins with HEADER_SIGNATURE.
bool HasHeaderSignature(ByteView start);
// The header length H: the first hash table's offset, or the file-size field when that
// offset is 0. `start` needs to hold the first 0x24 bytes; missing ones read as zero.
std::uint64_t HeaderLengthOf(ByteView start);

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
// The same from the record's first bytes (fewer than 8 at the end of a file).
inline BlockShape RecogniseBlockAt(ByteView record) {
    return RecogniseBlock(record.first(std::min<std::size_t>(4, record.size())),
                          ReadU32(record, kRecordBlockCount.Offset()));
}
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
