#pragma once
// The versions of the index file format, and where a structure keeps each of its fields in
// them. Versions 4.7 and 5.2 lay a URL record out differently; the other structures are
// alike in both. The headers beside this one give every structure's fields, both
// versions' offsets side by side: FileHeaderLayout.h, UrlRecordLayout.h,
// RedirectRecordLayout.h, HashTableLayout.h.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tallowmark {

// Read once from the header's version text: a text that holds " Ver 4." is version 4.7,
// every other one is read as 5.2.
enum class FormatVersion : std::uint8_t { V5_2, V4_7 };

constexpr FormatVersion FormatVersionOf(std::string_view versionText) {
    return versionText.find(" Ver 4.") != std::string_view::npos ? FormatVersion::V4_7 : FormatVersion::V5_2;
}

// Where a field lies in its structure: its offset from the structure's first byte and its
// width in bytes, in each version. A version that keeps no such field has kNoField as the
// offset, which every read takes as past the structure's end; a width of 0 is a text that
// ends with its NUL.
struct FieldLayout {
    static constexpr std::size_t kNoField = SIZE_MAX;

    std::size_t v52, v47;          // offsets
    std::size_t width52, width47;  // bytes

    constexpr std::size_t In(FormatVersion version) const { return version == FormatVersion::V4_7 ? v47 : v52; }
    constexpr std::size_t WidthIn(FormatVersion version) const {
        return version == FormatVersion::V4_7 ? width47 : width52;
    }
    constexpr bool IsIn(FormatVersion version) const { return In(version) != kNoField; }
    // The offset of a field that every version keeps at one place with one width; it does
    // not compile for a field whose place depends on the version.
    consteval std::size_t Offset() const {
        if (v52 != v47 || width52 != width47) throw "this field's place depends on the version";
        return v52;
    }
    consteval std::size_t Width() const {
        if (v52 != v47 || width52 != width47) throw "this field's width depends on the version";
        return width52;
    }
};

// A field both versions lay out alike.
constexpr FieldLayout Alike(std::size_t offset, std::size_t width) { return {offset, offset, width, width}; }

}  // namespace tallowmark
