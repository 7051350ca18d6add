#include "model/Format.h"

#include <algorithm>
#include <cstring>

#include "model/format/FileHeaderLayout.h"

namespace tallowmark {

std::uint64_t ReadLittleEndian(ByteView bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    if (offset >= bytes.size()) return 0;
    const std::size_t available = std::min(width, bytes.size() - offset);
    for (std::size_t i = 0; i < available; ++i) value |= static_cast<std::uint64_t>(bytes[offset + i]) << (8 * i);
    return value;
}

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
    const std::uint32_t firstHashTable = ReadU32(start, fileheader::kFirstHashTable.Offset());
    return firstHashTable != 0 ? firstHashTable : ReadU32(start, fileheader::kFileSize.Offset());
}

BlockShape RecogniseBlock(ByteView signature, std::uint32_t countField) {
    // A signature cut short reads with zeros in place of its missing bytes, which no
    // record signature has.
    BlockKind kind = BlockKind::Unrecognised;
    switch (ReadU32(signature, 0)) {
        case SignatureValue("URL "): kind = BlockKind::Url; break;
        case SignatureValue("LEAK"): kind = BlockKind::Leak; break;
        case SignatureValue("HASH"): kind = BlockKind::Hash; break;
        case SignatureValue("REDR"): kind = BlockKind::Redirect; break;
        case BAD_FOOD_PATTERN: kind = BlockKind::BadFood; break;
        case 0: kind = BlockKind::Blank; break;
        default: break;
    }
    const bool known =
        kind == BlockKind::Url || kind == BlockKind::Leak || kind == BlockKind::Hash || kind == BlockKind::Redirect;
    const bool oneBlock = !known || countField == 0 || countField == BAD_FOOD_PATTERN;
    const std::uint64_t blocks = oneBlock ? 1 : countField;
    return {kind, blocks * BLOCK_SIZE};
}

}  // namespace tallowmark
