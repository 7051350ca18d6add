#pragma once
// The data area of a history entry: not header text but a list of entries, each a u16
// size (its 4 header bytes included), a u8 entry type, a u8 value type and the value.
// The page title and the file URI are UTF-16LE texts among them.

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/Format.h"

namespace tallowmark {

inline constexpr std::size_t kHistoryEntryHeaderSize = 4;
inline constexpr std::uint8_t kHistoryPageTitle = 0x10;
inline constexpr std::uint8_t kHistoryFavicon = 0x15;
inline constexpr std::uint8_t kHistoryFileUri = 0x16;
inline constexpr std::uint8_t kHistoryValueAnsi = 0x1E;
inline constexpr std::uint8_t kHistoryValueUtf16 = 0x1F;

struct HistoryDataEntry {
    std::uint8_t type;
    std::uint8_t valueType;
    ByteView value;
};

// Calls `visit(entry)` for every entry of `data` in order. The list ends at an entry
// whose size is below its own header, and at one whose size runs past the data.
template <class Visit>
void ForEachHistoryDataEntry(ByteView data, Visit&& visit) {
    while (data.size() >= kHistoryEntryHeaderSize) {
        const std::size_t size = static_cast<std::size_t>(data[0]) | static_cast<std::size_t>(data[1]) << 8;
        if (size < kHistoryEntryHeaderSize || size > data.size()) return;
        visit(
            HistoryDataEntry{data[2], data[3], data.subspan(kHistoryEntryHeaderSize, size - kHistoryEntryHeaderSize)});
        data = data.subspan(size);
    }
}

// The UTF-16LE text of the first entry of `type` whose value is such a text, up to its
// NUL (an even number of bytes); empty when there is none.
ByteView HistoryText(ByteView data, std::uint8_t type);

// Appends UTF-16LE text as UTF-8; a surrogate without its pair becomes U+FFFD.
void AppendUtf16AsUtf8(std::string& out, ByteView utf16);
std::string Utf16ToUtf8(ByteView utf16);
// Where a slice of at most `most` bytes of `utf16` may end: an even count that splits no
// surrogate pair, and at least one character when there is one.
std::size_t Utf16SliceEnd(ByteView utf16, std::size_t most);

}  // namespace tallowmark
