#include "presentation/AnsiText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#ifdef _WIN32
#include "platform/AnsiCodePage.h"
#endif

namespace tallowmark {

namespace {
// 0x80 to 0x9F; 0 marks the five undefined bytes.
constexpr std::array<char16_t, 32> kHighControls = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}
}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        char32_t code = byte;
        if (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0) code = kHighControls[byte - 0x80];
        AppendUtf8(out, code);
    }
    return out;
}

Utf8Character DecodeUtf8(std::string_view text) {
    if (text.empty()) return {};
    const auto lead = static_cast<std::uint8_t>(text.front());
    if (lead < 0x80) return {lead, 1};
    // How many continuation bytes follow and the least code point allowed, so that overlong
    // forms, surrogates and values past U+10FFFF are refused.
    std::size_t more;
    char32_t code, least;
    if ((lead & 0xE0) == 0xC0) more = 1, code = lead & 0x1F, least = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        more = 2, code = lead & 0x0F, least = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        more = 3, code = lead & 0x07, least = 0x10000;
    else
        return {};
    if (text.size() <= more) return {};
    for (std::size_t i = 1; i <= more; ++i) {
        const auto next = static_cast<std::uint8_t>(text[i]);
        if ((next & 0xC0) != 0x80) return {};
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
    return {code, more + 1};
}

namespace {
std::optional<char> ToWindows1252(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        const char32_t mapped = kHighControls[i] != 0 ? kHighControls[i] : static_cast<char32_t>(0x80 + i);
        if (mapped == code) return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}
}  // namespace

std::optional<std::string> Utf8ToWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const Utf8Character character = DecodeUtf8(utf8);
        const std::optional<char> byte = character.length ? ToWindows1252(character.code) : std::nullopt;
        if (!byte) return std::nullopt;
        out += *byte;
        utf8.remove_prefix(character.length);
    }
    return out;
}

std::string AnsiToUtf8(std::string_view bytes) {
#ifdef _WIN32
    return platform::SystemAnsiToUtf8(bytes);
#else
    return Windows1252ToUtf8(bytes);
#endif
}

std::size_t AnsiCharactersEnd(std::string_view bytes, std::size_t most) {
#ifdef _WIN32
    return platform::SystemAnsiCharactersEnd(bytes, most);
#else
    return std::min(bytes.size(), std::max<std::size_t>(most, 1));  // one byte, one character
#endif
}

bool IsValidUtf8(std::string_view bytes) {
    const auto ascii = [](char c) { return static_cast<std::uint8_t>(c) < 0x80; };
    while (!bytes.empty()) {
        if (ascii(bytes.front())) {
            // Most texts are plain ASCII: pass them eight bytes at a time.
            std::uint64_t eight;
            while (bytes.size() >= 8 && (std::memcpy(&eight, bytes.data(), 8), (eight & 0x8080808080808080ull) == 0))
                bytes.remove_prefix(8);
            while (!bytes.empty() && ascii(bytes.front())) bytes.remove_prefix(1);
            continue;
        }
        const std::size_t length = DecodeUtf8(bytes).length;
        if (length == 0) return false;
        bytes.remove_prefix(length);
    }
    return true;
}

std::string TextToUtf8(std::string_view bytes) { return IsValidUtf8(bytes) ? std::string(bytes) : AnsiToUtf8(bytes); }

}  // namespace tallowmark
