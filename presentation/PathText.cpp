#include "presentation/PathText.h"

#include "presentation/AnsiText.h"

namespace tallowmark {

namespace {
constexpr std::string_view kSubstitute = "\xEF\xBF\xBD";     // U+FFFD
constexpr std::string_view kLineBreakMark = "\xE2\x90\xA4";  // U+2424 SYMBOL FOR NEWLINE
constexpr std::string_view kDeleteMark = "\xE2\x90\xA1";     // U+2421 SYMBOL FOR DELETE

// The length of the valid UTF-8 sequence at the start of `text`; 0 when there is none.
std::size_t SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = lead < 0x80             ? 1
                               : (lead & 0xE0) == 0xC0 ? 2
                               : (lead & 0xF0) == 0xE0 ? 3
                               : (lead & 0xF8) == 0xF0 ? 4
                                                       : 0;
    return length != 0 && length <= text.size() && IsValidUtf8(text.substr(0, length)) ? length : 0;
}

bool IsOtherLineBreak(std::string_view sequence) {
    return sequence == "\xC2\x85" || sequence == "\xE2\x80\xA8" || sequence == "\xE2\x80\xA9";
}

}  // namespace

std::string PathDisplayText(std::string_view path) {
    std::string shown;
    shown.reserve(path.size() + 8);
    while (!path.empty()) {
        const std::size_t length = SequenceLength(path);
        const std::string_view sequence = path.substr(0, length);
        const auto byte = static_cast<unsigned char>(path.front());
        if (length == 0) shown += kSubstitute;
        else if (byte < 0x20)
            shown += {'\xE2', '\x90', static_cast<char>(0x80 + byte)};  // U+2400 + the control's code
        else if (byte == 0x7F)
            shown += kDeleteMark;
        else if (IsOtherLineBreak(sequence))
            shown += kLineBreakMark;
        else
            shown += sequence;
        path.remove_prefix(length == 0 ? 1 : length);
    }
    return shown;
}

}  // namespace tallowmark
