#include "model/Format.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tallowmark {

std::uint64_t ReadLittleEndian(ByteView bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    if (offset >= bytes.size()) return 0;
    const std::size_t available = std::min(width, bytes.size() - offset);
    for (std::size_t i = 0; i < available; ++i)
        value |= static_cast<std::uint64_t>(bytes[offset + i]) << (8 * i);
    return value;
}

namespace {
bool SignatureIs(ByteView signature, const char (&text)[5]) {
    return signature.size() >= 4 && std::memcmp(signature.data(), text, 4) == 0;
}
}  // namespace

std::string_view TextAt(ByteView bytes, std::size_t offset) {
    if (offset >= bytes.size()) return {};
    const auto* begin = reinterpret_cast<const char*>(bytes.data()) + offset;
    const std::size_t room = bytes.size() - offset;
    const void* nul = std::memchr(begin, 0, room);
    const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : room;
    return {begin, length};
}

bool HasHeaderSignature(ByteView start) {
    return start.size() >= HEADER_SIGNATURE.size() &&
           std::memcmp(start.data(), HEADER_SIGNATURE.data(), HEADER_SIGNATURE.size()) == 0;
}

std::uint64_t HeaderLengthOf(ByteView start) {
    const std::uint32_t firstHashTable = ReadU32(start, kFirstHashTableOffset);
    return firstHashTable != 0 ? firstHashTable : ReadU32(start, kFileSizeFieldOffset);
}

BlockShape RecogniseBlock(ByteView signature, std::uint32_t countField) {
    const bool badFood = ReadU32(signature, 0) == BAD_FOOD_PATTERN;
    const bool blank = ReadU32(signature, 0) == 0;
    BlockKind kind = BlockKind::Unrecognised;
    if (SignatureIs(signature, "URL ")) kind = BlockKind::Url;
    else if (SignatureIs(signature, "LEAK")) kind = BlockKind::Leak;
    else if (SignatureIs(signature, "HASH")) kind = BlockKind::Hash;
    else if (SignatureIs(signature, "REDR")) kind = BlockKind::Redirect;
    else if (badFood) kind = BlockKind::BadFood;
    else if (blank) kind = BlockKind::Blank;

    const bool known = kind == BlockKind::Url || kind == BlockKind::Leak || kind == BlockKind::Hash ||
                       kind == BlockKind::Redirect;
    const bool oneBlock = !known || countField == 0 || countField == BAD_FOOD_PATTERN;
    const std::uint64_t blocks = oneBlock ? 1 : countField;
    return {kind, blocks * BLOCK_SIZE};
}

std::uint64_t NextRecordPosition(std::uint64_t position, const BlockShape& shape) {
    if (shape.lengthInBytes > std::numeric_limits<std::uint32_t>::max()) return std::numeric_limits<std::uint64_t>::max();
    return position + shape.lengthInBytes;
}

}  // namespace tallowmark
