#include "model/HistoryData.h"

#include <algorithm>

namespace tallowmark {

namespace {
std::uint32_t UnitAt(ByteView utf16, std::size_t at) {
    return static_cast<std::uint32_t>(utf16[at]) | static_cast<std::uint32_t>(utf16[at + 1]) << 8;
}
bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

void AppendCodePoint(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}
}  // namespace

ByteView HistoryText(ByteView data, std::uint8_t type) {
    ByteView text;
    bool found = false;
    ForEachHistoryDataEntry(data, [&](const HistoryDataEntry& entry) {
        if (found || entry.type != type || entry.valueType != kHistoryValueUtf16) return;
        found = true;
        std::size_t end = 0;
        while (end + 1 < entry.value.size() && (entry.value[end] | entry.value[end + 1]) != 0) end += 2;
        text = entry.value.first(end);
    });
    return text;
}

void AppendUtf16AsUtf8(std::string& out, ByteView utf16) {
    for (std::size_t at = 0; at + 1 < utf16.size(); at += 2) {
        const std::uint32_t unit = UnitAt(utf16, at);
        if (IsHighSurrogate(unit) && at + 3 < utf16.size() && IsLowSurrogate(UnitAt(utf16, at + 2))) {
            AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (UnitAt(utf16, at + 2) - 0xDC00));
            at += 2;
        } else {
            AppendCodePoint(out, IsHighSurrogate(unit) || IsLowSurrogate(unit) ? 0xFFFD : unit);
        }
    }
}

std::string Utf16ToUtf8(ByteView utf16) {
    std::string out;
    AppendUtf16AsUtf8(out, utf16);
    return out;
}

std::size_t Utf16SliceEnd(ByteView utf16, std::size_t most) {
    std::size_t end = std::min(utf16.size(), most) & ~std::size_t{1};
    if (end < utf16.size() && end >= 2 && IsHighSurrogate(UnitAt(utf16, end - 2))) end -= 2;
    return end == 0 ? std::min<std::size_t>(utf16.size() & ~std::size_t{1}, 4) : end;
}

}  // namespace tallowmark
